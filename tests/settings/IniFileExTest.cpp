#include "settings/IniFileEx.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/ColorNames.h"
#include "platform/FileIO.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::ColorToString;

class IniFileExTest : public ::testing::Test {
 protected:
  TIniFileEx Load(std::string_view bytes) { return TIniFileEx(dir_.Write("tansa2.ini", bytes)); }

  // What a file reads as, once written and read again, is what it wrote.
  void ExpectStableText(const TIniFileEx& ini) {
    const std::string text = ini.Text();
    EXPECT_EQ(Load(text).Text(), text);
  }

  testing::TTempDir dir_;
};

TEST_F(IniFileExTest, WriteDropsCommentsBlanksAndStrayLinesAndKeepsUnknownKeys) {
  const TIniFileEx ini = Load(
      "stray=before any section\n"
      "; a comment\r\n"
      "  [ Grep ]  \r\n"
      "\r\n"
      "  MaxHistory =  16  \n"
      "\t; indented comment\n"
      "NoValue\r\n"
      "Unknown=kept = as is\r\n"
      "[Other]\n"
      "a=1");
  EXPECT_EQ(ini.Text(),
            "[Grep]\r\nMaxHistory=16\r\nNoValue=\r\nUnknown=kept = as is\r\n\r\n"
            "[Other]\r\na=1\r\n\r\n");
  EXPECT_EQ(ini.ReadString("GREP", "maxhistory", "x"), "16");
  EXPECT_EQ(ini.ReadString("grep", "novalue", "x"), "");
  EXPECT_EQ(ini.ReadString("Grep", "stray", "x"), "x");
}

TEST_F(IniFileExTest, EmptyValueIsNotTheDefault) {
  const TIniFileEx ini = Load("[Editor]\r\nCmdLine=\r\nBlank=   \r\n");
  EXPECT_EQ(ini.ReadString("Editor", "CmdLine", "default"), "");
  EXPECT_EQ(ini.ReadString("Editor", "Blank", "default"), "");
  EXPECT_EQ(ini.ReadString("Editor", "ExeName", "default"), "default");
  EXPECT_EQ(ini.ReadString("Missing", "CmdLine", "default"), "default");
  EXPECT_EQ(ini.ReadInteger("Editor", "CmdLine", 7), 7);
}

TEST_F(IniFileExTest, WritesReplaceInPlaceAndAppendAtTheEnds) {
  TIniFileEx ini = Load("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
  ini.WriteString("a", "X", "changed");
  ini.WriteInteger("A", "new", -12);
  ini.WriteBool("C", "flag", true);
  ini.WriteBool("B", "off", false);
  EXPECT_EQ(ini.Text(),
            "[A]\r\nx=changed\r\ny=2\r\nnew=-12\r\n\r\n"
            "[B]\r\nz=3\r\noff=0\r\n\r\n"
            "[C]\r\nflag=1\r\n\r\n");
  EXPECT_EQ(TIniFileEx(dir_.String() + "/none.ini").Text(), "");
}

TEST_F(IniFileExTest, UpdateFileWritesTheTextAndReportsAFailure) {
  TIniFileEx ini(dir_.String() + "/new.ini");
  ini.WriteString("S", "k", "v");
  ini.UpdateFile();
  EXPECT_EQ(platform::ReadWholeFile(dir_.String() + "/new.ini"), "[S]\r\nk=v\r\n\r\n");
  TIniFileEx lost(dir_.String() + "/missing/new.ini");
  lost.WriteString("S", "k", "v");
  EXPECT_THROW(lost.UpdateFile(), platform::EInOutError);
}

TEST_F(IniFileExTest, IntegersAndBooleans) {
  struct TCase {
    const char* text;
    int32_t expected;  // 99 is the default
  };
  const std::vector<TCase> cases = {
      {"16", 16},           {"-5", -5},          {"+7", 7},           {"0x10", 16},
      {"0X1f", 31},         {"$10", 16},         {"$ff", 255},        {"$FFFFFFFF", -1},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
      {"abc", 99},          {"", 99},            {"12abc", 99},       {"1 2", 99},
      {"0x", 99},           {"$", 99},           {"$-1", 99},         {"0x+1", 99},
      {"--1", 99},          {"+-1", 99},         {"2147483648", 99},  {"-2147483649", 99},
      {"$100000000", 99},   {"99999999999999999999", 99},             {"1.5", 99},
  };
  for (const TCase& c : cases) {
    const TIniFileEx ini = Load(std::string("[S]\r\nk=") + c.text + "\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 99), c.expected) << c.text;
    EXPECT_EQ(ini.ReadBool("S", "k", true), c.expected != 0) << c.text;
    EXPECT_EQ(ini.ReadBool("S", "k", false), c.expected != 0 && c.expected != 99) << c.text;
  }
}

TEST_F(IniFileExTest, ColoursByNameOrNumberWrittenByNameWhenThereIsOne) {
  struct TCase {
    const char* text;
    uint32_t read;
    const char* written;
  };
  const std::vector<TCase> cases = {
      {"clBlue", 0x00FF0000, "clBlue"},
      {"$00FF0000", 0x00FF0000, "clBlue"},
      {"CLBLUE", 0x00FF0000, "clBlue"},
      {"0xff0000", 0x00FF0000, "clBlue"},
      {"16711680", 0x00FF0000, "clBlue"},
      {"$00123456", 0x00123456, "$00123456"},
      {"$80000005", 0x80000005, "clWindow"},
      {"cl3ddkshadow", 0x80000015, "cl3DDkShadow"},
      {"clNone", 0x1FFFFFFF, "clNone"},
      {"$8000001F", 0x8000001F, "$8000001F"},
      {"-1", 0xFFFFFFFF, "$FFFFFFFF"},
      {"clPink", 0x12345678, "$12345678"},
      {"", 0x12345678, "$12345678"},
  };
  for (const TCase& c : cases) {
    TIniFileEx ini = Load(std::string("[S]\r\nColor=") + c.text + "\r\n");
    const uint32_t color = ini.ReadColor("S", "Color", 0x12345678);
    EXPECT_EQ(color, c.read) << c.text;
    ini.WriteColor("S", "Color", color);
    EXPECT_EQ(ini.ReadString("S", "Color", ""), c.written) << c.text;
  }
  // Red 0x56, green 0x34, blue 0x12.
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
}

TEST_F(IniFileExTest, EveryColourNameReadsBackToItself) {
  const std::vector<std::string> names = {
      "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal",
      "clGray", "clSilver", "clRed", "clLime", "clYellow", "clBlue", "clFuchsia",
      "clAqua", "clWhite", "clMoneyGreen", "clSkyBlue", "clCream", "clMedGray",
      "clActiveBorder", "clActiveCaption", "clAppWorkSpace", "clBackground", "clBtnFace",
      "clBtnHighlight", "clBtnShadow", "clBtnText", "clCaptionText", "clDefault",
      "clGradientActiveCaption", "clGradientInactiveCaption", "clGrayText", "clHighlight",
      "clHighlightText", "clHotLight", "clInactiveBorder", "clInactiveCaption",
      "clInactiveCaptionText", "clInfoBk", "clInfoText", "clMenu", "clMenuBar",
      "clMenuHighlight", "clMenuText", "clNone", "clScrollBar", "cl3DDkShadow", "cl3DLight",
      "clWindow", "clWindowFrame", "clWindowText"};
  ASSERT_EQ(names.size(), 52u);
  std::vector<uint32_t> values;
  for (const std::string& name : names) {
    uint32_t color = 0;
    ASSERT_TRUE(StringToColor(name, color)) << name;
    EXPECT_EQ(ColorToString(color), name);
    values.push_back(color);
  }
  std::sort(values.begin(), values.end());
  EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end()) << "two names share a value";
}

TEST_F(IniFileExTest, FontKeysEachDefaultToTheFontGiven) {
  TFontInfo given;
  given.Name = "Sans";
  given.Size = 11;
  given.Color = 0x000000FF;
  given.Italic = true;
  given.Underline = true;
  const TIniFileEx ini = Load("[DirPanel]\r\nFontStyleBold=1\r\nFontSize=abc\r\nFontColor=clNavy\r\n");
  const TFontInfo font = ini.ReadFont("DirPanel", "", given);
  EXPECT_EQ(font.Name, "Sans");
  EXPECT_EQ(font.Size, 11);
  EXPECT_EQ(font.Color, 0x00800000u);
  EXPECT_TRUE(font.Bold);
  EXPECT_TRUE(font.Italic) << "FontStyleItalic is absent: the flag given stays";
  EXPECT_TRUE(font.Underline);

  TIniFileEx written = Load("");
  written.WriteFont("S", "List", font);
  EXPECT_EQ(written.Text(),
            "[S]\r\nListFontName=Sans\r\nListFontSize=11\r\nListFontColor=clNavy\r\n"
            "ListFontStyleBold=1\r\nListFontStyleItalic=1\r\nListFontStyleUnderline=1\r\n\r\n");
}

TEST_F(IniFileExTest, MaximisedWindowKeepsTheNormalBoundsOfTheFile) {
  TIniFileEx ini = Load("[TANSA2]\r\nTop=10\r\nLeft=20\r\nWidth=640\r\nHeight=480\r\n");
  TFormPlacement maximised = ini.ReadForm("TANSA2", TFormPlacement{});
  EXPECT_EQ(maximised.Top, 10);
  EXPECT_EQ(maximised.Width, 640);
  maximised.Top = maximised.Left = 0;
  maximised.Width = 1920;
  maximised.Height = 1080;
  maximised.WindowState = 2;
  ini.WriteForm("TANSA2", maximised);
  const TFormPlacement next = Load(ini.Text()).ReadForm("TANSA2", TFormPlacement{});
  EXPECT_EQ(next.Top, 10);
  EXPECT_EQ(next.Left, 20);
  EXPECT_EQ(next.Width, 640);
  EXPECT_EQ(next.Height, 480);
  EXPECT_EQ(next.WindowState, 2);
  EXPECT_EQ(ini.Text(),
            "[TANSA2]\r\nTop=10\r\nLeft=20\r\nWidth=640\r\nHeight=480\r\nColor=clBtnFace\r\n"
            "FontName=\r\nFontSize=9\r\nFontColor=clWindowText\r\nFontStyleBold=0\r\n"
            "FontStyleItalic=0\r\nFontStyleUnderline=0\r\nWindowState=2\r\n\r\n");
}

TEST_F(IniFileExTest, FirstStartPlacementTopLeftAtZeroWithTheCurrentSize) {
  TFormPlacement current;
  current.Top = 50;
  current.Left = 60;
  current.Width = 800;
  current.Height = 600;
  current.WindowState = 1;
  const TFormPlacement read = Load("").ReadForm("TANSA2", current);
  EXPECT_EQ(read.Top, 0);
  EXPECT_EQ(read.Left, 0);
  EXPECT_EQ(read.Width, 800);
  EXPECT_EQ(read.Height, 600);
  EXPECT_EQ(read.WindowState, 1);
  EXPECT_EQ(read.Color, current.Color);
}

// A value that holds a line break, such as a folder name, can't start a
// section or a key of its own in the file.
TEST_F(IniFileExTest, ValueWithALineBreakStaysOneLine) {
  TIniFileEx ini = Load("");
  ini.WriteString("DirPanel", "InitialDir", "/tmp/a\r\n[Editor]\r\nExeName=/bin/evil");
  ini.WriteString("DirPanel", "Other", std::string("x\0y", 3));
  const TIniFileEx read = Load(ini.Text());
  EXPECT_EQ(read.ReadString("DirPanel", "InitialDir", ""), "/tmp/a");
  EXPECT_EQ(read.ReadString("DirPanel", "Other", ""), "x");
  EXPECT_EQ(read.ReadString("Editor", "ExeName", "none"), "none");
}

TEST_F(IniFileExTest, DamagedFilesReadWhatTheyCanAndWriteCleanText) {
  // A header without "]" still opens its section.
  TIniFileEx broken = Load("[Grep\r\nMaxHistory=5\r\n[Editor] tail\r\nExeName=vi\r\n");
  EXPECT_EQ(broken.ReadInteger("Grep", "MaxHistory", 32), 5);
  EXPECT_EQ(broken.ReadString("Editor", "ExeName", ""), "vi");
  EXPECT_EQ(broken.Text(), "[Grep]\r\nMaxHistory=5\r\n\r\n[Editor]\r\nExeName=vi\r\n\r\n");

  // A NUL byte ends its line's text; CR alone ends a line.
  const TIniFileEx nul = Load(std::string("[S]\r\nk=ab\0cd\rj=2\r\n", 17));
  EXPECT_EQ(nul.ReadString("S", "k", ""), "ab");
  EXPECT_EQ(nul.ReadInteger("S", "j", 0), 2);

  // A later copy of a key or a section reads as the first and is not written.
  const TIniFileEx twice = Load("[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nm=4\r\n");
  EXPECT_EQ(twice.ReadInteger("S", "k", 0), 1);
  EXPECT_EQ(twice.Text(), "[S]\r\nk=1\r\nm=4\r\n\r\n");

  std::string longLine = "[S]\r\nlong=";
  longLine.append(10 << 20, 'a');
  longLine += "\r\nafter=1\r\n";
  const TIniFileEx large = Load(longLine);
  EXPECT_EQ(large.ReadString("S", "long", "").size(), size_t{10} << 20);
  EXPECT_EQ(large.ReadInteger("S", "after", 0), 1);

  std::mt19937 random(11);
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  ExpectStableText(Load(garbage));
  ExpectStableText(Load("[S]\r\n" + garbage));

  // Many short lines of one section: read in one pass, not compared pairwise.
  std::string lines = "[S]\n";
  for (int i = 0; i < 200000; ++i) lines.append("k").append(std::to_string(i)).append("\n");
  const TIniFileEx many = Load(lines);
  EXPECT_EQ(many.ReadString("S", "k199999", "absent"), "");
}

// The second byte of a double-byte character is not a letter, nor a
// bracket, even when it looks like one.
TEST_F(IniFileExTest, DoubleByteNamesAreNotFoldedInTheirTrailBytes) {
  // 0x83 0x41 and 0x83 0x61 are two different katakana.
  const TIniFileEx ini = Load("[S]\r\n\x83\x41=1\r\n\x83\x61=2\r\n");
  EXPECT_EQ(ini.ReadInteger("S", "\x83\x41", 0), 1);
  EXPECT_EQ(ini.ReadInteger("s", "\x83\x61", 0), 2);
  // Nor is a second byte 0x5D the end of a section name.
  const TIniFileEx bracket = Load("[\x83\x5D]\r\nk=1\r\n");
  EXPECT_EQ(bracket.ReadInteger("\x83\x5D", "k", 0), 1);
  EXPECT_EQ(bracket.Text(), "[\x83\x5D]\r\nk=1\r\n\r\n");
  // A name cut after a first byte loses it, or its "]" would be that
  // character's second byte in the file written.
  EXPECT_EQ(Load("[ab\x83").Text(), "[ab]\r\n\r\n");
  EXPECT_EQ(Load("[ab \x83 ]").Text(), "[ab]\r\n\r\n");
}

}  // namespace
}  // namespace tansa2
