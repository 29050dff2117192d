#include "settings/SettingsSections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "results/CommaText.h"

#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

class SettingsSectionsTest : public ::testing::Test {
 protected:
  TIniFileEx Load(std::string_view bytes) { return TIniFileEx(dir_.Write("tansa2.ini", bytes)); }

  testing::TTempDir dir_;
};

TEST_F(SettingsSectionsTest, FirstStartWritesTheDesignedDefaultsInTheirOrder) {
  const TIniFileEx empty = Load("");
  TGrepOptions options;
  int32_t width = 153;
  TIniFileEx ini = Load("");
  WriteBasicInfo(ini, ReadBasicInfo(empty, TBasicInfo{}));
  const TDirPanelInfo dirPanel = ReadDirPanel(empty, TDirPanelInfo{}, width);
  WriteDirPanel(ini, dirPanel, width);
  WriteGrep(ini, ReadGrep(empty, TGrepInfo{}, options), options);
  WriteGrepHistory(ini, ReadGrepHistory(empty));
  WriteEditor(ini, ReadEditor(empty, TEditorInfo{}));
  EXPECT_EQ(ini.Text(),
            "[BasicInfo]\r\nShowInProgress=1\r\nShowToolBar=1\r\nShowDirPanel=1\r\n\r\n"
            "[DirPanel]\r\nFontName=\r\nFontSize=9\r\nFontColor=clWindowText\r\nFontStyleBold=0\r\n"
            "FontStyleItalic=0\r\nFontStyleUnderline=0\r\nInitialDir=\r\nWidth=153\r\n\r\n"
            "[Grep]\r\nString=\r\nDirectory=\r\nFileMask=\r\nDirectoryMask=\r\nMatchCase=0\r\n"
            "NoRegExp=0\r\nAutoCode=1\r\nSubDirectory=0\r\nAutoComplete=0\r\nMaxHistory=32\r\n"
            "LastString=0\r\nLastDirectory=0\r\nLastFileMask=0\r\nLastDirectoryMask=0\r\n"
            "NoFileExt=\r\nMaxFileSize=10\r\n\r\n"
            "[GrepHistory]\r\nUsed=1\r\nFirst=0\r\nLast=0\r\n\r\n"
            "[Editor]\r\nExeName=\r\nCmdLine=\r\nHistExeName=\r\nHistCmdLine=\r\n\r\n");
}

// Every key reads back what was written: what the read gives writes the
// same text again.
TEST_F(SettingsSectionsTest, EveryKeyReadsBackWhatWasWritten) {
  TBasicInfo basic;
  basic.ShowInProgress = 3;
  basic.ShowToolBar = false;
  TDirPanelInfo dirPanel;
  dirPanel.Font.Name = "IPAGothic";
  dirPanel.Font.Size = 12;
  dirPanel.Font.Italic = true;
  dirPanel.InitialDir = "/home/suzuki/\x93\x8c\x8b\x9e";  // a CP932 folder name
  TGrepInfo grep;
  grep.String = R"("a b","c,d","say ""hi""",plain)";
  grep.Directory = "/src";
  grep.FileMask = "*.c";
  grep.DirectoryMask = "*.*";
  grep.AutoComplete = true;
  grep.MaxHistory = 100;
  grep.LastString = grep.LastFileMask = true;
  grep.NoFileExt = "exe,dll";
  grep.MaxFileSize = -1;
  const TGrepOptions options{true, false, true, false};
  TGrepHistoryInfo history;
  history.Used = false;
  history.First = 3;
  history.Last = 9;
  TEditorInfo editor{"/usr/bin/vim", "+%L %F", "/usr/bin/vim,/usr/bin/emacs", "\"+%L %F\""};

  TIniFileEx ini = Load("");
  WriteBasicInfo(ini, basic);
  WriteDirPanel(ini, dirPanel, 200);
  WriteGrep(ini, grep, options);
  WriteGrepHistory(ini, history);
  WriteEditor(ini, editor);
  const std::string text = ini.Text();

  const TIniFileEx read = Load(text);
  TIniFileEx again = Load("");
  int32_t width = 153;
  TGrepOptions readOptions;
  const TGrepInfo readGrep = ReadGrep(read, TGrepInfo{}, readOptions);
  WriteBasicInfo(again, ReadBasicInfo(read, TBasicInfo{}));
  const TDirPanelInfo readDirPanel = ReadDirPanel(read, TDirPanelInfo{}, width);
  WriteDirPanel(again, readDirPanel, width);
  WriteGrep(again, readGrep, readOptions);
  const TGrepHistoryInfo readHistory = ReadGrepHistory(read);
  WriteGrepHistory(again, readHistory);
  WriteEditor(again, ReadEditor(read, TEditorInfo{}));
  EXPECT_EQ(again.Text(), text);
  EXPECT_EQ(width, 200);
  EXPECT_EQ(readGrep.String, grep.String);
  EXPECT_EQ(readHistory.Current, 10);
}

TEST_F(SettingsSectionsTest, UnreadableValuesFallBackAndTextIsKeptAsTyped) {
  const TIniFileEx ini = Load(
      "[Grep]\r\nMaxHistory=abc\r\nMaxFileSize=0x10\r\nMatchCase=yes\r\nNoRegExp=2\r\n"
      "NoFileExt= txt , ,BAK,txt\r\nString=\r\n"
      "[Editor]\r\nCmdLine=\r\n"
      "[BasicInfo]\r\nShowToolBar=\r\n"
      "[DirPanel]\r\nWidth=wide\r\n");
  TGrepInfo held;
  held.String = "held";
  TGrepOptions options;
  options.MatchCase = true;
  const TGrepInfo grep = ReadGrep(ini, held, options);
  EXPECT_EQ(grep.MaxHistory, 32);
  EXPECT_EQ(grep.MaxFileSize, 16);
  EXPECT_TRUE(options.MatchCase) << "the check box keeps its state";
  EXPECT_TRUE(options.NoRegExp);
  EXPECT_EQ(grep.NoFileExt, "txt , ,BAK,txt");
  EXPECT_EQ(grep.String, "") << "present and empty is not the default";

  TEditorInfo editor;
  editor.CmdLine = "held";
  EXPECT_EQ(ReadEditor(ini, editor).CmdLine, "");
  EXPECT_TRUE(ReadBasicInfo(ini, TBasicInfo{}).ShowToolBar);
  int32_t width = 153;
  ReadDirPanel(ini, TDirPanelInfo{}, width);
  EXPECT_EQ(width, 153);

  TIniFileEx written = Load("");
  WriteGrep(written, grep, options);
  EXPECT_EQ(written.ReadString("Grep", "NoFileExt", ""), "txt , ,BAK,txt");
}

// Files on this desktop are UTF-8: detection is on until the file says no.
TEST_F(SettingsSectionsTest, AutoCodeIsOnUntilTheFileStoresAChoice) {
  const struct {
    const char* file;
    bool autoCode;
  } cases[] = {{"", true}, {"[Grep]\r\nMatchCase=1\r\n", true}, {"[Grep]\r\nAutoCode=0\r\n", false},
               {"[Grep]\r\nAutoCode=1\r\n", true}};
  for (const auto& c : cases) {
    TGrepOptions options;
    ReadGrep(Load(c.file), TGrepInfo{}, options);
    EXPECT_EQ(options.AutoCode, c.autoCode) << c.file;
  }
}

// Histories of names keep the CP932 form: plain names as before, others
// with their escapes, each leading back to the very bytes of the name.
TEST_F(SettingsSectionsTest, NameHistoriesKeepTheirFormAndLeadBackToTheName) {
  const std::vector<std::string> natives = {"/home/u/\xE6\x97\xA5\xE6\x9C\xAC", "/home/u/M\xC3\xBCller",
                                            "/old/\x83\x5C\x83\x74", "/old/\xC6\xFC\xCB\xDC", "*.\xF0\x9F\x98\x80"};
  std::vector<std::string> forms;
  for (const std::string& native : natives) forms.push_back(platform::Cp932FormOfName(native));
  EXPECT_EQ(forms[0], platform::Utf8ToCp932(natives[0])) << "a name CP932 holds keeps its plain form";
  TGrepInfo grep;
  grep.Directory = ToCommaText(forms);
  grep.FileMask = forms.back();
  TIniFileEx written = Load("");
  WriteGrep(written, grep, TGrepOptions{});

  TGrepOptions options;
  const TGrepInfo read = ReadGrep(Load(written.Text()), TGrepInfo{}, options);
  const std::vector<std::string> readForms = FromCommaText(read.Directory);
  ASSERT_EQ(readForms, forms);
  EXPECT_EQ(read.FileMask, forms.back());
  for (size_t i = 0; i < natives.size(); ++i) EXPECT_EQ(platform::NativePath(readForms[i]), natives[i]);
}

TEST_F(SettingsSectionsTest, CurrentHistoryEntryFollowsLast) {
  struct TCase {
    const char* text;
    int32_t current;
  };
  for (const TCase& c : {TCase{"Last=5", 6}, TCase{"Last=1", 2}, TCase{"Last=0", 0},
                         TCase{"Last=-3", 0}, TCase{"Last=x", 0}, TCase{"", 0}}) {
    const TGrepHistoryInfo info = ReadGrepHistory(Load(std::string("[GrepHistory]\r\n") + c.text + "\r\n"));
    EXPECT_EQ(info.Current, c.current) << c.text;
    EXPECT_TRUE(info.Used);
  }
}

// A save writes its own sections into the file as it stands: keys and
// sections the program doesn't know stay where they were.
TEST_F(SettingsSectionsTest, SavingKeepsWhatTheFileHeldBeside) {
  TIniFileEx ini = Load(
      "[Mine]\r\nx=1\r\n"
      "[GrepHistory]\r\nLast=4\r\nNote=kept\r\n");
  TGrepHistoryInfo history;
  history.First = 1;
  history.Last = 5;
  WriteGrepHistory(ini, history);
  EXPECT_EQ(ini.Text(),
            "[Mine]\r\nx=1\r\n\r\n"
            "[GrepHistory]\r\nLast=5\r\nNote=kept\r\nUsed=1\r\nFirst=1\r\n\r\n");
}

}  // namespace
}  // namespace tansa2
