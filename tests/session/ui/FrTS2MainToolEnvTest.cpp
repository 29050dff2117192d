// The preferences from the main window: OK applies every group to the
// window at once and writes its six sections; Cancel changes nothing; a
// file that can't be written is reported and the values stay applied.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "controls/ui/ColorPickerButton.h"
#include "controls/ui/KyFlatFontSizeComboBoxEx.h"
#include "platform/CodePage.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/ui/FrToolEnv.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using testing::FindChild;
using Items = std::vector<std::string>;

const char* const kFields[] = {"KyFlatComboBoxExGrepStr", "KyFlatComboBoxExGrepDir",
                               "KyFlatComboBoxExGrepFileMask", "KyFlatComboBoxExGrepDirMask"};

Items Numbered(const std::string& prefix, int count) {
  Items items;
  for (int i = 1; i <= count; ++i) items.push_back(prefix + std::to_string(i));
  return items;
}

class FrTS2MainToolEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    setenv("TANSA2_HOME", home_.String().c_str(), 1);
    window_ = std::make_unique<TFormTS2Main>();
    window_->show();
    window_->activateWindow();
    QApplication::processEvents();
  }

  template <class T>
  T* Find(const char* name) const {
    return FindChild<T>(*window_, name);
  }
  TKyHistoryComboBox* Field(const char* name) const { return Find<TKyHistoryComboBox>(name); }
  TKyGrepResult* List() const { return Find<TKyGrepResult>("KyGrepResult"); }

  // Runs the preferences command; `edit` works on the dialog, then the
  // button `close` is clicked. A message box on the way is answered and its
  // title and text kept.
  void RunToolEnv(const std::function<void(TFormToolEnv&)>& edit, const char* close = "KyFlatButtonOk") {
    bool handled = false;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxTitle_ = box->windowTitle();
        boxText_ = box->text();
        box->done(QMessageBox::Ok);
      } else if (auto* dialog = qobject_cast<TFormToolEnv*>(modal); dialog && !handled) {
        handled = true;
        edit(*dialog);
        FindChild<QPushButton>(*dialog, close)->click();
      }
    });
    watcher.start();
    Find<QAction>("ActionToolEnv")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(handled);
  }

  static std::string IniText() {
    return std::filesystem::exists(GetIniFileName()) ? TIniFileEx(GetIniFileName()).Text() : std::string();
  }

  testing::TTempDir home_;
  std::unique_ptr<TFormTS2Main> window_;
  QString boxTitle_, boxText_;
};

TEST_F(FrTS2MainToolEnvTest, AHistoryCountOf5CutsEveryFieldToItsNewestAndOkWritesTheSixSections) {
  for (const char* field : kFields) Field(field)->SetItems(Numbered(field, 8));
  RunToolEnv([this](TFormToolEnv& dialog) {
    EXPECT_EQ(dialog.font(), window_->font());
    FindChild<QSpinBox>(dialog, "KyFlatSpinEditIntegerGrepHistory")->setValue(5);
    FindChild<QCheckBox>(dialog, "KyFlatCheckBoxShowProgressCount")->setChecked(false);
    FindChild<QCheckBox>(dialog, "KyFlatCheckBoxShowProgressFile")->setChecked(false);
  });
  for (const char* field : kFields) {
    EXPECT_EQ(Field(field)->Items(), Numbered(field, 5)) << field;
    EXPECT_EQ(Field(field)->MaxHistory(), 5) << field;
  }

  const TIniFileEx ini(GetIniFileName());
  EXPECT_EQ(ini.ReadInteger("Grep", "MaxHistory", -1), 5);
  EXPECT_EQ(ini.ReadString("Grep", "String", ""), "KyFlatComboBoxExGrepStr1,KyFlatComboBoxExGrepStr2,"
                                                  "KyFlatComboBoxExGrepStr3,KyFlatComboBoxExGrepStr4,"
                                                  "KyFlatComboBoxExGrepStr5");
  EXPECT_EQ(ini.ReadInteger("BasicInfo", "ShowInProgress", -1), 0);
  // Placement and result history counters are written at close only.
  const std::string text = ini.Text();
  for (const char* section : {"[BasicInfo]", "[DirPanel]", "[Grep]", "[Editor]", "[ShortCut]", "[GrepResult]"})
    EXPECT_NE(text.find(section), std::string::npos) << section;
  for (const char* section : {"[TANSA2]", "[GrepHistory]"}) EXPECT_EQ(text.find(section), std::string::npos) << section;
  EXPECT_TRUE(boxText_.isEmpty()) << boxText_.toStdString();
}

TEST_F(FrTS2MainToolEnvTest, AHistoryCountOf0EmptiesTheListsButKeepsTheFieldsTexts) {
  for (const char* field : kFields) {
    Field(field)->SetItems(Numbered(field, 3));
    Field(field)->setCurrentIndex(1);
  }
  RunToolEnv([](TFormToolEnv& dialog) {
    FindChild<QSpinBox>(dialog, "KyFlatSpinEditIntegerGrepHistory")->setValue(0);
  });
  for (const char* field : kFields) {
    EXPECT_TRUE(Field(field)->Items().empty()) << field;
    EXPECT_EQ(Field(field)->Text(), std::string(field) + "2") << field;
  }
  EXPECT_EQ(TIniFileEx(GetIniFileName()).ReadString("Grep", "String", "-"), "");
}

TEST_F(FrTS2MainToolEnvTest, ExcludedExtensionsAreWrittenAsTypedSkippedWithoutLetterCaseAndShownNormalised) {
  testing::TTempDir tree;
  for (const char* name : {"a.txt", "b.TXT", "c.bak", "d.c", "e.Bak"}) tree.Write(name, "needle\n");
  RunToolEnv([](TFormToolEnv& dialog) {
    FindChild<QLineEdit>(dialog, "KyFlatEditNoFileExt")->setText(QStringLiteral("txt, TXT, bak"));
  });
  EXPECT_EQ(TIniFileEx(GetIniFileName()).ReadString("Grep", "NoFileExt", ""), "txt, TXT, bak");
  // Shown again as the search holds them, which an untouched OK stores.
  RunToolEnv([](TFormToolEnv& dialog) {
    EXPECT_EQ(FindChild<QLineEdit>(dialog, "KyFlatEditNoFileExt")->text(), QStringLiteral("bak,txt"));
  });
  EXPECT_EQ(TIniFileEx(GetIniFileName()).ReadString("Grep", "NoFileExt", ""), "bak,txt");

  Field("KyFlatComboBoxExGrepStr")->SetText("needle");
  Field("KyFlatComboBoxExGrepDir")->SetText(platform::Utf8ToCp932(tree.String()));
  Field("KyFlatComboBoxExGrepFileMask")->SetText("*.*");
  window_->ActionGrepStartExecute();
  ASSERT_EQ(List()->DataCount(), 1);
  List()->SelectData(0);
  EXPECT_EQ(std::filesystem::path(List()->SelectedFileName()).filename(), "d.c");
}

TEST_F(FrTS2MainToolEnvTest, CancelLeavesTheWindowAndTheSettingsFileAsTheyWere) {
  for (const char* field : kFields) Field(field)->SetItems(Numbered(field, 8));
  const uint32_t matchColor = List()->ColorMatch();
  const QFont font = List()->font();
  RunToolEnv(
      [](TFormToolEnv& dialog) {
        auto* list = FindChild<QListWidget>(dialog, "KyFlatListBoxGrepHistory");
        list->selectAll();
        FindChild<QPushButton>(dialog, "KyFlatButtonGrepHistoryDelete")->click();
        FindChild<QSpinBox>(dialog, "KyFlatSpinEditIntegerGrepHistory")->setValue(1);
        FindChild<TColorPickerButton>(dialog, "ColorPickerButtonGrepResultMatch")->SetColor(0x00123456);
        FindChild<TKyFlatFontSizeComboBoxEx>(dialog, "KyFlatFontSizeComboBoxExGrepResult")->SetFontSize(20);
      },
      "KyFlatButtonCancel");
  for (const char* field : kFields) EXPECT_EQ(Field(field)->Items(), Numbered(field, 8)) << field;
  EXPECT_EQ(List()->ColorMatch(), matchColor);
  EXPECT_EQ(List()->font(), font);
  EXPECT_FALSE(std::filesystem::exists(GetIniFileName()));
}

TEST_F(FrTS2MainToolEnvTest, OkShowsTheResultListsNewLookAtOnceAndItsSectionHoldsIt) {
  RunToolEnv([](TFormToolEnv& dialog) {
    FindChild<TColorPickerButton>(dialog, "ColorPickerButtonGrepResultMatch")->SetColor(0x00123456);
    FindChild<TColorPickerButton>(dialog, "ColorPickerButtonGrepResultBk")->SetColor(0x80000018);
    FindChild<TKyFlatFontSizeComboBoxEx>(dialog, "KyFlatFontSizeComboBoxExGrepResult")->SetFontSize(13);
    FindChild<QCheckBox>(dialog, "KyFlatCheckBoxGrepResultShowGridLine")->setChecked(true);
    FindChild<QSpinBox>(dialog, "KyFlatSpinEditIntegerWheelScrollLine")->setValue(4);
    FindChild<QAbstractButton>(dialog, "KyFlatRadioButtonGrepResultSaveCsv")->click();
  });
  EXPECT_EQ(List()->ColorMatch(), 0x00123456u);
  EXPECT_EQ(List()->Color(), 0x80000018u);
  EXPECT_EQ(List()->font().pointSize(), 13);
  EXPECT_TRUE(List()->ShowGridLine());
  EXPECT_EQ(List()->WheelScrollLine(), 4);
  EXPECT_EQ(List()->SaveType(), 0);

  const TIniFileEx ini(GetIniFileName());
  EXPECT_EQ(ini.ReadString("GrepResult", "MatchColor", ""), "$00123456");
  EXPECT_EQ(ini.ReadString("GrepResult", "Color", ""), "clInfoBk");
  EXPECT_EQ(ini.ReadInteger("GrepResult", "FontSize", -1), 13);
  EXPECT_TRUE(ini.ReadBool("GrepResult", "ShowGridLine", false));
  EXPECT_EQ(ini.ReadInteger("GrepResult", "SaveType", -1), 0);
}

TEST_F(FrTS2MainToolEnvTest, AShortcutAddedOnItsPageRunsItsCommandAndIsWritten) {
  RunToolEnv([](TFormToolEnv& dialog) {
    // Tool menu, "ディレクトリパネル", which has no shortcut of its own.
    FindChild<QComboBox>(dialog, "KyFlatComboBoxExShortCutCategory")->setCurrentIndex(3);
    FindChild<QListWidget>(dialog, "KyFlatListBoxShortCutCommand")->setCurrentRow(1);
    auto* newKey = FindChild<QLineEdit>(dialog, "KyFlatEditShortCutNew");
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(newKey, &f2);
    ASSERT_EQ(newKey->text(), QStringLiteral("F2"));
    FindChild<QPushButton>(dialog, "KyFlatButtonShortCutAdd")->click();
  });
  EXPECT_EQ(TIniFileEx(GetIniFileName()).ReadString("ShortCut", "ToolShowDirPanel", ""), "F2");
  ASSERT_TRUE(Find<QFrame>("KyFlatPanelDir")->isVisible());
  QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
  QApplication::sendEvent(Field("KyFlatComboBoxExGrepStr"), &f2);
  EXPECT_FALSE(Find<QFrame>("KyFlatPanelDir")->isVisible());
}

// A settings file that can't be replaced (here a folder stands in its
// place) is reported; the window keeps the new values all the same.
TEST_F(FrTS2MainToolEnvTest, AFileThatCantBeWrittenIsReportedAndTheValuesStayApplied) {
  std::filesystem::create_directories(GetIniFileName());
  for (const char* field : kFields) Field(field)->SetItems(Numbered(field, 8));
  RunToolEnv([](TFormToolEnv& dialog) {
    FindChild<QSpinBox>(dialog, "KyFlatSpinEditIntegerGrepHistory")->setValue(5);
  });
  EXPECT_EQ(boxTitle_, QStringLiteral("TANSA2"));
  EXPECT_FALSE(boxText_.isEmpty());
  for (const char* field : kFields) EXPECT_EQ(Field(field)->Items(), Numbered(field, 5)) << field;
  std::filesystem::remove_all(GetIniFileName());
}

}  // namespace
}  // namespace tansa2
