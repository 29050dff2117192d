// The preferences dialog on its own: what it shows of the groups it is
// given, what OK hands back, the checks that keep it open, the history page,
// the number fields, the page switch and its layout.
#include "settings/ui/FrToolEnv.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <tuple>

#include "controls/ui/ColorPickerButton.h"
#include "controls/ui/KyFlatFontNameComboBoxEx.h"
#include "controls/ui/KyFlatFontSizeComboBoxEx.h"
#include "controls/ui/KyFlatSpinEditInteger.h"
#include "platform/CodePage.h"
#include "platform/ui/QtText.h"
#include "results/CommaText.h"
#include "session/ui/FrTS2Main.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "settings/ui/ShortCutPage.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;
using testing::FindChild;
using Items = std::vector<std::string>;

const char* const kPages[] = {"TabSheetBasic1", "TabSheetBasic2", "ShortCutPage"};

class FrToolEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    setenv("TANSA2_HOME", home_.String().c_str(), 1);
    editor_ = Utf8ToCp932(home_.Write("bin/エディタ", "#!/bin/sh\n"));
    startDir_ = Utf8ToCp932((home_.Path() / "bin").string());
  }

  // Groups with a value in every field that differs from the defaults.
  void FillGroups(TFormToolEnv& dialog) const {
    dialog.BasicInfo = {{"Sans A", 11, 0x00123456, true, false, false}, 3, false, false};
    dialog.DirPanelInfo.Font = {"Sans B", 12};
    dialog.DirPanelInfo.InitialDir = startDir_;
    dialog.GrepInfo.AutoComplete = true;
    dialog.GrepInfo.MaxHistory = 20;
    dialog.GrepInfo.String = ToCommaText({Utf8ToCp932("東京"), "a b", "third"});
    dialog.GrepInfo.Directory = ToCommaText({"/tmp", "/usr"});
    dialog.GrepInfo.FileMask = ToCommaText({"*.c,*.h"});
    dialog.GrepInfo.DirectoryMask = "";
    dialog.GrepInfo.LastString = true;
    dialog.GrepInfo.LastFileMask = true;
    dialog.GrepInfo.NoFileExt = "exe, dll";
    dialog.GrepInfo.MaxFileSize = 25;
    dialog.GrepResultInfo = {{"Sans C", 13, 0x00000080}, 0x00FFFFFF, 0x00000001, 0x00000002, 0x00000003,
                             0x80000018, true, true, false, 7, false, true, 2};
    dialog.GrepHistoryInfo = {false, 3, 9, 10};
    dialog.EditorInfo = {editor_, "+%L %F", ToCommaText({editor_, "/usr/bin/vi"}), ToCommaText({"+%L %F", "%F"})};
  }

  std::unique_ptr<TFormToolEnv> Open(const std::function<void(TFormToolEnv&)>& fill = {}) {
    auto dialog = std::make_unique<TFormToolEnv>();
    FillGroups(*dialog);
    if (fill) fill(*dialog);
    dialog->show();
    QApplication::processEvents();
    return dialog;
  }

  template <class T>
  static T* Find(const TFormToolEnv& dialog, const char* name) {
    return FindChild<T>(dialog, name);
  }
  static bool Checked(const TFormToolEnv& dialog, const char* name) {
    return Find<QAbstractButton>(dialog, name)->isChecked();
  }
  static std::vector<QString> ListTexts(const TFormToolEnv& dialog) {
    std::vector<QString> texts;
    const auto* list = Find<QListWidget>(dialog, "KyFlatListBoxGrepHistory");
    for (int row = 0; row < list->count(); ++row) texts.push_back(list->item(row)->text());
    return texts;
  }
  static void Click(const TFormToolEnv& dialog, const char* name) { Find<QAbstractButton>(dialog, name)->click(); }

  testing::TTempDir home_;
  std::string editor_;    // an existing program, CP932
  std::string startDir_;  // an existing directory, CP932
};

TEST_F(FrToolEnvTest, EveryControlShowsTheValueItWasGiven) {
  auto dialog = Open();
  const TFormToolEnv& d = *dialog;
  EXPECT_EQ(d.windowTitle(), QStringLiteral("環境設定"));
  EXPECT_EQ(d.size(), QSize(593, 433));
  EXPECT_EQ(Find<QTabWidget>(d, "KyFlatPagesEnv")->currentIndex(), 0);
  EXPECT_TRUE(Find<QPushButton>(d, "KyFlatButtonOk")->isDefault());

  EXPECT_EQ(Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorExeName")->Text(), editor_);
  EXPECT_EQ(Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorExeName")->Items(), (Items{editor_, "/usr/bin/vi"}));
  EXPECT_EQ(Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorCmdLine")->Text(), "+%L %F");
  EXPECT_EQ(Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorCmdLine")->Items(), (Items{"+%L %F", "%F"}));

  const struct {
    const char* name;
    const char* size;
    std::string fontName;
    int fontSize;
  } fonts[] = {{"KyFlatFontNameComboBoxExBasic", "KyFlatFontSizeComboBoxExBasic", "Sans A", 11},
               {"KyFlatFontNameComboBoxExDirPanel", "KyFlatFontSizeComboBoxExDirPanel", "Sans B", 12},
               {"KyFlatFontNameComboBoxExGrepResult", "KyFlatFontSizeComboBoxExGrepResult", "Sans C", 13}};
  for (const auto& font : fonts) {
    EXPECT_EQ(Find<TKyFlatFontNameComboBoxEx>(d, font.name)->FontName(), font.fontName) << font.name;
    EXPECT_EQ(Find<TKyFlatFontSizeComboBoxEx>(d, font.size)->FontSize(), font.fontSize) << font.size;
  }
  EXPECT_TRUE(Checked(d, "KyFlatCheckBoxShowProgressCount"));
  EXPECT_TRUE(Checked(d, "KyFlatCheckBoxShowProgressFile"));
  EXPECT_EQ(Find<QLineEdit>(d, "KyFlatEditInitialDir")->text(), platform::ToQString(startDir_));

  EXPECT_TRUE(Checked(d, "KyFlatCheckBoxGrepAutoComplete"));
  EXPECT_EQ(Find<QSpinBox>(d, "KyFlatSpinEditIntegerGrepHistory")->value(), 20);
  EXPECT_EQ(Find<QComboBox>(d, "KyFlatComboBoxExGrepHistory")->currentText(), QStringLiteral("検索文字列"));
  EXPECT_EQ(ListTexts(d), (std::vector<QString>{QStringLiteral("東京"), QStringLiteral("a b"), QStringLiteral("third")}));
  EXPECT_FALSE(Find<QPushButton>(d, "KyFlatButtonGrepHistoryDelete")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>(d, "KyFlatEditNoFileExt")->text(), QStringLiteral("exe, dll"));

  const std::pair<const char*, uint32_t> colors[] = {
      {"ColorPickerButtonGrepResultFont", 0x00000080}, {"ColorPickerButtonGrepResultBk", 0x00FFFFFF},
      {"ColorPickerButtonGrepResultSel", 0x00000001},  {"ColorPickerButtonGrepResultSelBk", 0x00000002},
      {"ColorPickerButtonGrepResultMatch", 0x00000003}, {"ColorPickerButtonGrepResultMatchBk", 0x80000018}};
  for (const auto& [name, color] : colors) EXPECT_EQ(Find<TColorPickerButton>(d, name)->Color(), color) << name;
  const std::pair<const char*, bool> boxes[] = {
      {"KyFlatCheckBoxGrepResultDoubleBuffered", true},   {"KyFlatCheckBoxGrepResultShowFileNameOnly", true},
      {"KyFlatCheckBoxGrepResultShowGridLine", false},    {"KyFlatCheckBoxGrepResultRightClickSelect", false},
      {"KyFlatCheckBoxGrepResultHorizontalScroll", true}, {"KyFlatCheckBoxGrepLastStr", true},
      {"KyFlatCheckBoxGrepLastDir", false},               {"KyFlatCheckBoxGrepLastFileMask", true},
      {"KyFlatCheckBoxGrepLastDirMask", false},           {"KyFlatCheckBoxGrepHistoryUsed", false}};
  for (const auto& [name, checked] : boxes) EXPECT_EQ(Checked(d, name), checked) << name;
  EXPECT_EQ(Find<QSpinBox>(d, "KyFlatSpinEditIntegerWheelScrollLine")->value(), 7);
  EXPECT_TRUE(Checked(d, "KyFlatRadioButtonGrepResultSaveLineOnly"));
  EXPECT_EQ(Find<QSpinBox>(d, "KyFlatSpinEditFileSize")->value(), 25);

  // The folder button stands square at the edit's right end, over its last pixel.
  const QRect edit = Find<QLineEdit>(d, "KyFlatEditInitialDir")->geometry();
  const QRect button = Find<QPushButton>(d, "KyFlatButtonInitialDir")->geometry();
  EXPECT_EQ(button, QRect(edit.right(), edit.top(), edit.height(), edit.height()));
}

TEST_F(FrToolEnvTest, ProgressBoxesSaveTypesAndNumberFieldsFollowEveryValue) {
  struct TCase {
    int32_t showInProgress;
    bool count, file;
    int32_t saveType;
    const char* radio;  // null: none
    int32_t maxHistory, maxFileSize, wheel;
    int shownHistory, shownFileSize, shownWheel;
  };
  const TCase cases[] = {
      {0, false, false, 0, "KyFlatRadioButtonGrepResultSaveCsv", 0, 1, 0, 0, 1, 0},
      {1, true, false, 1, "KyFlatRadioButtonGrepResultSaveTag", 128, 999, 1000, 128, 999, 1000},
      {2, false, true, 2, "KyFlatRadioButtonGrepResultSaveLineOnly", 500, 5000, 2000, 128, 999, 1000},
      {3, true, true, 5, nullptr, -4, 0, -1, 0, 1, 0},
      {9, false, false, -1, nullptr, 32, 10, 100, 32, 10, 100},
  };
  const char* const radios[] = {"KyFlatRadioButtonGrepResultSaveCsv", "KyFlatRadioButtonGrepResultSaveTag",
                                "KyFlatRadioButtonGrepResultSaveLineOnly"};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.showInProgress);
    auto dialog = Open([&](TFormToolEnv& d) {
      d.BasicInfo.ShowInProgress = c.showInProgress;
      d.GrepResultInfo.SaveType = c.saveType;
      d.GrepInfo.MaxHistory = c.maxHistory;
      d.GrepInfo.MaxFileSize = c.maxFileSize;
      d.GrepResultInfo.WheelScrollLine = c.wheel;
    });
    EXPECT_EQ(Checked(*dialog, "KyFlatCheckBoxShowProgressCount"), c.count);
    EXPECT_EQ(Checked(*dialog, "KyFlatCheckBoxShowProgressFile"), c.file);
    for (const char* radio : radios) EXPECT_EQ(Checked(*dialog, radio), c.radio && std::string(c.radio) == radio);
    EXPECT_EQ(Find<QSpinBox>(*dialog, "KyFlatSpinEditIntegerGrepHistory")->value(), c.shownHistory);
    EXPECT_EQ(Find<QSpinBox>(*dialog, "KyFlatSpinEditFileSize")->value(), c.shownFileSize);
    EXPECT_EQ(Find<QSpinBox>(*dialog, "KyFlatSpinEditIntegerWheelScrollLine")->value(), c.shownWheel);

    // OK hands the boxes back as flags; a save type no button stands for stays.
    Click(*dialog, "KyFlatButtonOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->BasicInfo.ShowInProgress, (c.count ? 1 : 0) + (c.file ? 2 : 0));
    EXPECT_EQ(dialog->GrepResultInfo.SaveType, c.saveType);
    EXPECT_EQ(dialog->GrepInfo.MaxHistory, c.shownHistory);
  }
}

TEST_F(FrToolEnvTest, OkHandsBackWhatTheControlsShowAndPassesTheRestThrough) {
  auto dialog = Open();
  const TFormToolEnv& d = *dialog;
  Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorExeName")->SetText("  /bin/sh ");
  Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorCmdLine")->SetText("-c %F");
  Find<TKyFlatFontSizeComboBoxEx>(d, "KyFlatFontSizeComboBoxExBasic")->SetFontSize(14);
  Find<TKyFlatFontNameComboBoxEx>(d, "KyFlatFontNameComboBoxExDirPanel")->SetFontName("Sans D");
  Find<QCheckBox>(d, "KyFlatCheckBoxShowProgressCount")->setChecked(false);
  Find<QCheckBox>(d, "KyFlatCheckBoxShowProgressFile")->setChecked(false);
  Find<QLineEdit>(d, "KyFlatEditInitialDir")->setText(QString());
  Find<QCheckBox>(d, "KyFlatCheckBoxGrepAutoComplete")->setChecked(false);
  Find<QSpinBox>(d, "KyFlatSpinEditIntegerGrepHistory")->setValue(5);
  Find<QLineEdit>(d, "KyFlatEditNoFileExt")->setText(QStringLiteral(" txt, TXT, bak"));
  Find<QSpinBox>(d, "KyFlatSpinEditFileSize")->setValue(3);
  Find<TColorPickerButton>(d, "ColorPickerButtonGrepResultFont")->SetColor(0x00010203);
  Find<TColorPickerButton>(d, "ColorPickerButtonGrepResultMatchBk")->SetColor(0x8000000F);
  Find<QCheckBox>(d, "KyFlatCheckBoxGrepResultShowGridLine")->setChecked(true);
  Find<QSpinBox>(d, "KyFlatSpinEditIntegerWheelScrollLine")->setValue(3);
  Click(d, "KyFlatRadioButtonGrepResultSaveCsv");
  Find<QCheckBox>(d, "KyFlatCheckBoxGrepLastDirMask")->setChecked(true);
  Find<QCheckBox>(d, "KyFlatCheckBoxGrepHistoryUsed")->setChecked(true);
  Click(d, "KyFlatButtonOk");
  ASSERT_EQ(d.result(), QDialog::Accepted);

  EXPECT_EQ(d.EditorInfo.ExeName, "/bin/sh");
  EXPECT_EQ(d.EditorInfo.CmdLine, "-c %F");
  EXPECT_EQ(FromCommaText(d.EditorInfo.HistExeName), (Items{"/bin/sh", editor_, "/usr/bin/vi"}));
  EXPECT_EQ(FromCommaText(d.EditorInfo.HistCmdLine), (Items{"-c %F", "+%L %F", "%F"}));
  EXPECT_EQ(d.BasicInfo.Font.Size, 14);
  EXPECT_EQ(d.BasicInfo.Font.Name, "Sans A");
  EXPECT_TRUE(d.BasicInfo.Font.Bold);  // style and colour aren't offered and stay
  EXPECT_EQ(d.BasicInfo.Font.Color, 0x00123456u);
  EXPECT_EQ(d.BasicInfo.ShowInProgress, 0);
  EXPECT_FALSE(d.BasicInfo.ShowToolBar);
  EXPECT_FALSE(d.BasicInfo.ShowDirPanel);
  EXPECT_EQ(d.DirPanelInfo.Font.Name, "Sans D");
  EXPECT_EQ(d.DirPanelInfo.InitialDir, "");
  EXPECT_FALSE(d.GrepInfo.AutoComplete);
  EXPECT_EQ(d.GrepInfo.MaxHistory, 5);
  EXPECT_EQ(d.GrepInfo.NoFileExt, " txt, TXT, bak");
  EXPECT_EQ(d.GrepInfo.MaxFileSize, 3);
  EXPECT_TRUE(d.GrepInfo.LastString);
  EXPECT_TRUE(d.GrepInfo.LastDirectoryMask);
  EXPECT_EQ(FromCommaText(d.GrepInfo.Directory), (Items{"/tmp", "/usr"}));
  EXPECT_EQ(d.GrepResultInfo.Font.Color, 0x00010203u);
  EXPECT_EQ(d.GrepResultInfo.Font.Size, 13);
  EXPECT_EQ(d.GrepResultInfo.MatchBkColor, 0x8000000Fu);
  EXPECT_EQ(d.GrepResultInfo.MatchColor, 0x00000003u);
  EXPECT_TRUE(d.GrepResultInfo.ShowGridLine);
  EXPECT_EQ(d.GrepResultInfo.WheelScrollLine, 3);
  EXPECT_EQ(d.GrepResultInfo.SaveType, 0);
  EXPECT_TRUE(d.GrepHistoryInfo.Used);
  EXPECT_EQ(d.GrepHistoryInfo.First, 3);
  EXPECT_EQ(d.GrepHistoryInfo.Last, 9);
  EXPECT_EQ(d.GrepHistoryInfo.Current, 10);
}

// The groups a dialog edits, compared field by field.
struct TGroups {
  TBasicInfo Basic;
  TDirPanelInfo DirPanel;
  TGrepInfo Grep;
  TGrepResultInfo GrepResult;
  TGrepHistoryInfo GrepHistory;
  TEditorInfo Editor;
  TShortCutTable ShortCuts;
};

TGroups GroupsOf(const TFormToolEnv& d) {
  return {d.BasicInfo, d.DirPanelInfo, d.GrepInfo, d.GrepResultInfo, d.GrepHistoryInfo, d.EditorInfo, d.ShortCutTable};
}

auto Fields(const TFontInfo& f) { return std::tie(f.Name, f.Size, f.Color, f.Bold, f.Italic, f.Underline); }

void ExpectSameGroups(const TGroups& got, const TGroups& want) {
  const auto& [b, d, g, r, h, e, s] = got;
  const auto& [wb, wd, wg, wr, wh, we, ws] = want;
  EXPECT_EQ(Fields(b.Font), Fields(wb.Font));
  EXPECT_EQ(std::tie(b.ShowInProgress, b.ShowToolBar, b.ShowDirPanel),
            std::tie(wb.ShowInProgress, wb.ShowToolBar, wb.ShowDirPanel));
  EXPECT_EQ(Fields(d.Font), Fields(wd.Font));
  EXPECT_EQ(d.InitialDir, wd.InitialDir);
  EXPECT_EQ(std::tie(g.AutoComplete, g.MaxHistory, g.String, g.Directory, g.FileMask, g.DirectoryMask, g.LastString,
                     g.LastDirectory, g.LastFileMask, g.LastDirectoryMask, g.NoFileExt, g.MaxFileSize),
            std::tie(wg.AutoComplete, wg.MaxHistory, wg.String, wg.Directory, wg.FileMask, wg.DirectoryMask,
                     wg.LastString, wg.LastDirectory, wg.LastFileMask, wg.LastDirectoryMask, wg.NoFileExt,
                     wg.MaxFileSize));
  EXPECT_EQ(Fields(r.Font), Fields(wr.Font));
  EXPECT_EQ(std::tie(r.Color, r.SelColor, r.SelBkColor, r.MatchColor, r.MatchBkColor, r.DoubleBuffered,
                     r.ShowFileNameOnly, r.ShowGridLine, r.WheelScrollLine, r.RightClickSelect, r.HorizontalScroll,
                     r.SaveType),
            std::tie(wr.Color, wr.SelColor, wr.SelBkColor, wr.MatchColor, wr.MatchBkColor, wr.DoubleBuffered,
                     wr.ShowFileNameOnly, wr.ShowGridLine, wr.WheelScrollLine, wr.RightClickSelect,
                     wr.HorizontalScroll, wr.SaveType));
  EXPECT_EQ(std::tie(h.Used, h.First, h.Last, h.Current), std::tie(wh.Used, wh.First, wh.Last, wh.Current));
  EXPECT_EQ(std::tie(e.ExeName, e.CmdLine, e.HistExeName, e.HistCmdLine),
            std::tie(we.ExeName, we.CmdLine, we.HistExeName, we.HistCmdLine));
  ASSERT_EQ(s.CategoryCount, ws.CategoryCount);
  for (int i = 0; i < s.CategoryCount; ++i) {
    const TShortCutCategory& c = s.Categories[i];
    const TShortCutCategory& wc = ws.Categories[i];
    ASSERT_EQ(std::tie(c.Name, c.Count), std::tie(wc.Name, wc.Count));
    for (int j = 0; j < c.Count; ++j)
      EXPECT_EQ(std::tie(c.Commands[j].Name, c.Commands[j].ShortCuts),
                std::tie(wc.Commands[j].Name, wc.Commands[j].ShortCuts));
  }
}

// The fields FillGroups leaves at their defaults, given other values too,
// and a shortcut table.
void FillTheRest(TFormToolEnv& d) {
  d.GrepInfo.LastDirectory = true;
  d.GrepInfo.LastDirectoryMask = true;
  d.GrepInfo.DirectoryMask = ToCommaText({"CVS", ".git"});
  d.GrepResultInfo.ShowGridLine = true;
  d.ShortCutTable.CategoryCount = 1;
  d.ShortCutTable.Categories[0].Name = "File";
  d.ShortCutTable.Categories[0].Count = 2;
  d.ShortCutTable.Categories[0].Commands[0] = {"Open", "Ctrl+O"};
  d.ShortCutTable.Categories[0].Commands[1] = {"Save", "Ctrl+S,F2"};
}

TEST_F(FrToolEnvTest, OkWithNothingChangedHandsBackEveryFieldAsItWasGiven) {
  auto dialog = Open(FillTheRest);
  const TGroups given = GroupsOf(*dialog);
  Click(*dialog, "KyFlatButtonOk");
  ASSERT_EQ(dialog->result(), QDialog::Accepted);
  ExpectSameGroups(GroupsOf(*dialog), given);
}

// Each control changed alone changes its own field and no other, on OK;
// Cancel after changing them all hands back nothing.
TEST_F(FrToolEnvTest, EachControlLandsInItsOwnFieldOnOkAndInNoneOnCancel) {
  struct TChange {
    std::string control;
    std::function<void(TFormToolEnv&)> change;
    std::function<void(TGroups&)> expect;
  };
  std::vector<TChange> changes = {
      {"KyFlatComboBoxExEditorExeName",
       [](TFormToolEnv& d) { Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorExeName")->SetText("/bin/sh"); },
       [this](TGroups& g) {
         g.Editor.ExeName = "/bin/sh";
         g.Editor.HistExeName = ToCommaText({"/bin/sh", editor_, "/usr/bin/vi"});
       }},
      {"KyFlatComboBoxExEditorCmdLine",
       [](TFormToolEnv& d) { Find<TKyHistoryComboBox>(d, "KyFlatComboBoxExEditorCmdLine")->SetText("%F"); },
       [](TGroups& g) {
         g.Editor.CmdLine = "%F";
         g.Editor.HistCmdLine = ToCommaText({"%F", "+%L %F"});
       }},
      {"KyFlatFontSizeComboBoxExBasic",
       [](TFormToolEnv& d) { Find<TKyFlatFontSizeComboBoxEx>(d, "KyFlatFontSizeComboBoxExBasic")->SetFontSize(16); },
       [](TGroups& g) { g.Basic.Font.Size = 16; }},
      {"KyFlatCheckBoxShowProgressFile",
       [](TFormToolEnv& d) { Find<QCheckBox>(d, "KyFlatCheckBoxShowProgressFile")->setChecked(false); },
       [](TGroups& g) { g.Basic.ShowInProgress = 1; }},
      {"KyFlatFontNameComboBoxExDirPanel",
       [](TFormToolEnv& d) { Find<TKyFlatFontNameComboBoxEx>(d, "KyFlatFontNameComboBoxExDirPanel")->SetFontName("Sans D"); },
       [](TGroups& g) { g.DirPanel.Font.Name = "Sans D"; }},
      {"KyFlatEditInitialDir",
       [this](TFormToolEnv& d) { Find<QLineEdit>(d, "KyFlatEditInitialDir")->setText(platform::NameToQString(home_.String())); },
       [this](TGroups& g) { g.DirPanel.InitialDir = home_.String(); }},
      {"KyFlatSpinEditIntegerGrepHistory",
       [](TFormToolEnv& d) { Find<QSpinBox>(d, "KyFlatSpinEditIntegerGrepHistory")->setValue(5); },
       [](TGroups& g) { g.Grep.MaxHistory = 5; }},
      {"KyFlatListBoxGrepHistory",
       [](TFormToolEnv& d) {
         Find<QListWidget>(d, "KyFlatListBoxGrepHistory")->item(1)->setSelected(true);
         Click(d, "KyFlatButtonGrepHistoryDelete");
       },
       [](TGroups& g) { g.Grep.String = ToCommaText({Utf8ToCp932("東京"), "third"}); }},
      {"KyFlatEditNoFileExt",
       [](TFormToolEnv& d) { Find<QLineEdit>(d, "KyFlatEditNoFileExt")->setText(QStringLiteral("txt,表")); },
       [](TGroups& g) { g.Grep.NoFileExt = Utf8ToCp932("txt,表"); }},
      {"KyFlatSpinEditFileSize", [](TFormToolEnv& d) { Find<QSpinBox>(d, "KyFlatSpinEditFileSize")->setValue(3); },
       [](TGroups& g) { g.Grep.MaxFileSize = 3; }},
      {"KyFlatFontSizeComboBoxExGrepResult",
       [](TFormToolEnv& d) { Find<TKyFlatFontSizeComboBoxEx>(d, "KyFlatFontSizeComboBoxExGrepResult")->SetFontSize(8); },
       [](TGroups& g) { g.GrepResult.Font.Size = 8; }},
      {"KyFlatSpinEditIntegerWheelScrollLine",
       [](TFormToolEnv& d) { Find<QSpinBox>(d, "KyFlatSpinEditIntegerWheelScrollLine")->setValue(3); },
       [](TGroups& g) { g.GrepResult.WheelScrollLine = 3; }},
      {"KyFlatRadioButtonGrepResultSaveTag", [](TFormToolEnv& d) { Click(d, "KyFlatRadioButtonGrepResultSaveTag"); },
       [](TGroups& g) { g.GrepResult.SaveType = 1; }},
  };
  // Every check box of its own field, turned over.
  const std::pair<const char*, bool& (*)(TGroups&)> boxes[] = {
      {"KyFlatCheckBoxGrepAutoComplete", [](TGroups& g) -> bool& { return g.Grep.AutoComplete; }},
      {"KyFlatCheckBoxGrepLastStr", [](TGroups& g) -> bool& { return g.Grep.LastString; }},
      {"KyFlatCheckBoxGrepLastDir", [](TGroups& g) -> bool& { return g.Grep.LastDirectory; }},
      {"KyFlatCheckBoxGrepLastFileMask", [](TGroups& g) -> bool& { return g.Grep.LastFileMask; }},
      {"KyFlatCheckBoxGrepLastDirMask", [](TGroups& g) -> bool& { return g.Grep.LastDirectoryMask; }},
      {"KyFlatCheckBoxGrepResultDoubleBuffered", [](TGroups& g) -> bool& { return g.GrepResult.DoubleBuffered; }},
      {"KyFlatCheckBoxGrepResultShowGridLine", [](TGroups& g) -> bool& { return g.GrepResult.ShowGridLine; }},
      {"KyFlatCheckBoxGrepResultShowFileNameOnly", [](TGroups& g) -> bool& { return g.GrepResult.ShowFileNameOnly; }},
      {"KyFlatCheckBoxGrepResultRightClickSelect", [](TGroups& g) -> bool& { return g.GrepResult.RightClickSelect; }},
      {"KyFlatCheckBoxGrepResultHorizontalScroll", [](TGroups& g) -> bool& { return g.GrepResult.HorizontalScroll; }},
      {"KyFlatCheckBoxGrepHistoryUsed", [](TGroups& g) -> bool& { return g.GrepHistory.Used; }},
  };
  for (const auto& [name, field] : boxes)
    changes.push_back({name, [name](TFormToolEnv& d) { Find<QCheckBox>(d, name)->toggle(); },
                       [field](TGroups& g) { field(g) = !field(g); }});
  // Every colour picker of its own colour.
  const std::pair<const char*, uint32_t& (*)(TGroups&)> pickers[] = {
      {"ColorPickerButtonGrepResultFont", [](TGroups& g) -> uint32_t& { return g.GrepResult.Font.Color; }},
      {"ColorPickerButtonGrepResultBk", [](TGroups& g) -> uint32_t& { return g.GrepResult.Color; }},
      {"ColorPickerButtonGrepResultSel", [](TGroups& g) -> uint32_t& { return g.GrepResult.SelColor; }},
      {"ColorPickerButtonGrepResultSelBk", [](TGroups& g) -> uint32_t& { return g.GrepResult.SelBkColor; }},
      {"ColorPickerButtonGrepResultMatch", [](TGroups& g) -> uint32_t& { return g.GrepResult.MatchColor; }},
      {"ColorPickerButtonGrepResultMatchBk", [](TGroups& g) -> uint32_t& { return g.GrepResult.MatchBkColor; }},
  };
  for (const auto& [name, field] : pickers)
    changes.push_back({name, [name](TFormToolEnv& d) { Find<TColorPickerButton>(d, name)->SetColor(0x00ABCDEF); },
                       [field](TGroups& g) { field(g) = 0x00ABCDEF; }});

  for (const TChange& c : changes) {
    SCOPED_TRACE(c.control);
    auto dialog = Open(FillTheRest);
    TGroups expected = GroupsOf(*dialog);
    c.change(*dialog);
    Click(*dialog, "KyFlatButtonOk");
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    c.expect(expected);
    ExpectSameGroups(GroupsOf(*dialog), expected);
  }

  auto dialog = Open(FillTheRest);
  const TGroups given = GroupsOf(*dialog);
  for (const TChange& c : changes) c.change(*dialog);
  Click(*dialog, "KyFlatButtonCancel");
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  ExpectSameGroups(GroupsOf(*dialog), given);
}

TEST_F(FrToolEnvTest, AFailedCheckKeepsTheDialogOpenOnPage1WithTheFocusOnItsField) {
  const std::string missing = startDir_ + "/missing";
  struct TCase {
    std::string exe, cmdLine, dir;
    const char* focus;
    QString exeAfter, cmdLineAfter, dirAfter;
  };
  const QString q = platform::ToQString(missing);
  const TCase cases[] = {
      {" " + missing + " ", " x ", " y ", "KyFlatComboBoxExEditorExeName", q, " x ", " y "},
      {"/bin/sh", "   ", " y ", "KyFlatComboBoxExEditorCmdLine", "/bin/sh", "", " y "},
      {"", "", " " + missing, "KyFlatEditInitialDir", "", "", q},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.focus);
    auto dialog = Open();
    auto* exe = Find<TKyHistoryComboBox>(*dialog, "KyFlatComboBoxExEditorExeName");
    auto* cmdLine = Find<TKyHistoryComboBox>(*dialog, "KyFlatComboBoxExEditorCmdLine");
    auto* dir = Find<QLineEdit>(*dialog, "KyFlatEditInitialDir");
    exe->SetText(c.exe);
    cmdLine->SetText(c.cmdLine);
    dir->setText(platform::ToQString(c.dir));
    auto* pages = Find<QTabWidget>(*dialog, "KyFlatPagesEnv");
    pages->setCurrentIndex(1);
    const TEditorInfo given = dialog->EditorInfo;
    Click(*dialog, "KyFlatButtonOk");

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(pages->currentIndex(), 0);
    QWidget* focus = Find<QWidget>(*dialog, c.focus);
    QWidget* focused = dialog->focusWidget();
    EXPECT_TRUE(focused == focus || focus->isAncestorOf(focused));
    EXPECT_EQ(exe->currentText(), c.exeAfter);
    EXPECT_EQ(cmdLine->currentText(), c.cmdLineAfter);
    EXPECT_EQ(dir->text(), c.dirAfter);
    // Nothing was handed back, not even the editor's history.
    EXPECT_EQ(dialog->EditorInfo.HistExeName, given.HistExeName);
    EXPECT_EQ(exe->Items(), FromCommaText(given.HistExeName));
  }
}

TEST_F(FrToolEnvTest, HistoryPageShowsEachKindAndDeletesTheSelectedEntries) {
  auto dialog = Open();
  auto* kind = Find<QComboBox>(*dialog, "KyFlatComboBoxExGrepHistory");
  auto* list = Find<QListWidget>(*dialog, "KyFlatListBoxGrepHistory");
  auto* remove = Find<QPushButton>(*dialog, "KyFlatButtonGrepHistoryDelete");
  ASSERT_EQ(kind->count(), 4);
  EXPECT_EQ(kind->itemText(3), QStringLiteral("ディレクトリマスク"));

  // Several entries at once; the button is there only with a selection.
  list->item(0)->setSelected(true);
  list->item(2)->setSelected(true);
  EXPECT_TRUE(remove->isEnabled());
  remove->click();
  EXPECT_EQ(ListTexts(*dialog), (std::vector<QString>{QStringLiteral("a b")}));
  EXPECT_FALSE(remove->isEnabled());

  kind->setCurrentIndex(2);
  EXPECT_EQ(ListTexts(*dialog), (std::vector<QString>{QStringLiteral("*.c,*.h")}));
  kind->setCurrentIndex(3);
  EXPECT_TRUE(ListTexts(*dialog).empty());
  kind->setCurrentIndex(1);
  list->item(1)->setSelected(true);
  remove->click();
  kind->setCurrentIndex(0);
  EXPECT_EQ(ListTexts(*dialog), (std::vector<QString>{QStringLiteral("a b")}));

  // The kind shown at OK is stored too.
  kind->setCurrentIndex(2);
  list->item(0)->setSelected(true);
  remove->click();
  Click(*dialog, "KyFlatButtonOk");
  EXPECT_EQ(FromCommaText(dialog->GrepInfo.String), (Items{"a b"}));
  EXPECT_EQ(FromCommaText(dialog->GrepInfo.Directory), (Items{"/tmp"}));
  EXPECT_EQ(dialog->GrepInfo.FileMask, "");
  EXPECT_EQ(dialog->GrepInfo.DirectoryMask, "");
}

TEST_F(FrToolEnvTest, CtrlTabShowsTheNextPageAndAfterTheLastTheFirstExceptWhileAKeyIsCaught) {
  auto dialog = Open();
  auto* pages = Find<QTabWidget>(*dialog, "KyFlatPagesEnv");
  const auto ctrlTab = [&] {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : dialog.get();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    QApplication::sendEvent(target, &press);
    return pages->currentIndex();
  };
  EXPECT_EQ(ctrlTab(), 1);
  EXPECT_EQ(ctrlTab(), 2);
  EXPECT_EQ(ctrlTab(), 0);
  EXPECT_EQ(ctrlTab(), 1);

  // While the shortcut page's new-key edit has the focus, Ctrl+Tab, Enter
  // and Esc are keys to catch.
  dialog->activateWindow();
  QApplication::processEvents();
  pages->setCurrentIndex(2);
  auto* newKey = Find<QLineEdit>(*dialog, "KyFlatEditShortCutNew");
  newKey->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), newKey) << "the offscreen window got no focus";
  EXPECT_FALSE(Find<QAction>(*dialog, "ActionTabChange")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(*dialog, "KyFlatButtonOk")->isDefault());
  EXPECT_EQ(ctrlTab(), 2);
  EXPECT_EQ(newKey->text(), QStringLiteral("Ctrl+Tab"));
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &press);
    EXPECT_TRUE(dialog->isVisible()) << key;
  }

  Find<QWidget>(*dialog, "KyFlatComboBoxExShortCutCategory")->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Find<QPushButton>(*dialog, "KyFlatButtonOk")->isDefault());
  EXPECT_EQ(ctrlTab(), 0);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(dialog.get(), &escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// Runs `handle` on the modal window that clicking `button` opens.
void ClickAnswering(QAbstractButton* button, const std::function<void(QWidget&)>& handle) {
  bool handled = false;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || handled) return;
    handled = true;
    handle(*modal);
  });
  watcher.start();
  button->click();
  EXPECT_TRUE(handled);
}

TEST_F(FrToolEnvTest, TheButtonsBesideTheFieldsFillThemFromTheirDialogs) {
  auto dialog = Open([](TFormToolEnv& d) {
    d.EditorInfo = {};
    d.DirPanelInfo.InitialDir = "";
  });
  auto* exe = Find<TKyHistoryComboBox>(*dialog, "KyFlatComboBoxExEditorExeName");
  auto* cmdLine = Find<TKyHistoryComboBox>(*dialog, "KyFlatComboBoxExEditorCmdLine");
  auto* dir = Find<QLineEdit>(*dialog, "KyFlatEditInitialDir");

  ClickAnswering(Find<QAbstractButton>(*dialog, "KyFlatButtonEditorProgram"), [&](QWidget& modal) {
    auto* files = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(files, nullptr);
    files->selectFile(QString::fromStdString(platform::Cp932ToUtf8(editor_)));
    QMetaObject::invokeMethod(files, "accept");
  });
  EXPECT_EQ(exe->Text(), editor_);

  // The help window opens in the dialog's font; a double-click on a
  // template chooses it.
  QString chosen;
  ClickAnswering(Find<QAbstractButton>(*dialog, "KyFlatBitBtnEditorCmdLine"), [&](QWidget& modal) {
    EXPECT_EQ(modal.objectName(), QStringLiteral("TFormCmdLineHelp"));
    EXPECT_EQ(modal.font(), dialog->font());
    auto* list = FindChild<QTreeWidget>(modal, "ListViewEditor");
    QTreeWidgetItem* item = list->topLevelItem(list->topLevelItemCount() - 1);
    chosen = item->text(1);
    emit list->itemDoubleClicked(item, 0);
  });
  EXPECT_FALSE(chosen.isEmpty());
  EXPECT_EQ(cmdLine->currentText(), chosen);
  EXPECT_EQ(dialog->focusWidget(), cmdLine);

  // The folder dialog starts at the edit's folder; cancelled, it changes nothing.
  dir->setText(platform::ToQString(startDir_));
  ClickAnswering(Find<QAbstractButton>(*dialog, "KyFlatButtonInitialDir"),
                 [](QWidget& modal) { FindChild<QAbstractButton>(modal, "ButtonCancel")->click(); });
  EXPECT_EQ(dir->text(), platform::ToQString(startDir_));
  ClickAnswering(Find<QAbstractButton>(*dialog, "KyFlatButtonInitialDir"), [](QWidget& modal) {
    EXPECT_FALSE(FindChild<QCheckBox>(modal, "CheckBoxRelativePath")->isVisible());
    FindChild<QAbstractButton>(modal, "ButtonOk")->click();
  });
  EXPECT_TRUE(dir->text().startsWith(platform::ToQString(startDir_))) << dir->text().toStdString();
}

// Keys typed into a number field, then the field loses the focus.
TEST_F(FrToolEnvTest, NumberFieldsTakeDigitsAndBringTheTypedValueIntoRangeOnLeaving) {
  struct TCase {
    const char* typed;
    int minimum, maximum;
    int value;
  };
  const TCase cases[] = {
      {"200", 0, 128, 128},   {"-5", 0, 128, 0},    {"", 0, 128, 0},        {"-", 1, 999, 1},
      {"12a3", 0, 1000, 123}, {"0", 1, 999, 1},     {"99999999999999999999", 0, 1000, 1000},
      {"7", 0, 1000, 7},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.typed);
    TKyFlatSpinEditInteger field(c.minimum, c.maximum);
    field.setValue(c.maximum / 2 + 1);
    field.show();
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(&field, &selectAll);
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&field, &erase);
    for (const char* p = c.typed; *p; ++p) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(*p)));
      QApplication::sendEvent(&field, &key);
    }
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
    EXPECT_EQ(field.value(), c.value);
    EXPECT_EQ(field.text(), QString::number(c.value));
  }
}

QString Caption(const QWidget& widget) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) return group->title();
  return {};
}

// Room for the whole caption: what the widget asks for, except that a push
// button needs only its text's width, not the style's usual button width.
QSize NeededSize(const QWidget& widget, const QString& caption) {
  const QFontMetrics metrics = widget.fontMetrics();
  if (qobject_cast<const QPushButton*>(&widget))
    return {metrics.horizontalAdvance(caption) + 4, metrics.height()};
  if (qobject_cast<const QGroupBox*>(&widget)) return {metrics.horizontalAdvance(caption), metrics.height()};
  return widget.sizeHint();
}

// Every caption shows whole inside its page at the designed size with the
// window's own font.
TEST_F(FrToolEnvTest, EveryCaptionFitsItsPageAtTheDesignedSize) {
  auto dialog = Open([](TFormToolEnv& d) { d.setFont(TFormTS2Main::DefaultFont()); });
  auto* pages = Find<QTabWidget>(*dialog, "KyFlatPagesEnv");
  for (int index = 0; index < pages->count(); ++index) {
    pages->setCurrentIndex(index);
    QApplication::processEvents();
    QWidget* page = pages->widget(index);
    EXPECT_EQ(page->objectName(), QString::fromLatin1(kPages[index]));
    for (QWidget* widget : page->findChildren<QWidget*>()) {
      const QString caption = Caption(*widget);
      if (!widget->isVisible() || caption.isEmpty()) continue;
      const QString name = widget->objectName().isEmpty() ? caption : widget->objectName();
      const QRect onPage(widget->mapTo(page, QPoint(0, 0)), widget->size());
      EXPECT_TRUE(page->rect().contains(onPage)) << name.toStdString();
      const QSize needed = NeededSize(*widget, caption);
      EXPECT_GE(widget->width(), needed.width()) << name.toStdString();
      EXPECT_GE(widget->height(), needed.height()) << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace tansa2
