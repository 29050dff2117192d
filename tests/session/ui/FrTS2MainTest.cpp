#include "session/ui/FrTS2Main.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSizeGrip>
#include <QSplitter>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "platform/ui/QtText.h"
#include "results/RowFormats.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/StatusPanel.h"
#include "settings/Locations.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::FromQString;
using platform::ToQString;
using platform::Utf8ToCp932;
using Clock = std::chrono::steady_clock;

std::string Sjis(const char* utf8) { return Utf8ToCp932(utf8); }
QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Runs `handle` on the next modal dialog a command opens, while it lives.
class TModalWatcher {
 public:
  explicit TModalWatcher(std::function<void(QWidget*)> handle) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this, handle] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        timer_.stop();
        handle(modal);
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

class FrTS2MainTest : public ::testing::Test {
 protected:
  // The windows read and write their settings file in a folder of their
  // own, never the user's.
  void SetUp() override {
    testing::QtApp();
    setenv("TANSA2_HOME", home_.String().c_str(), 1);
  }
  testing::TTempDir home_;

  void Open(const std::vector<std::string>& parameters = {}) {
    window_ = std::make_unique<TFormTS2Main>(parameters);
    window_->show();
    window_->activateWindow();
    QApplication::processEvents();
  }

  template <class T>
  T* Find(const char* name) const {
    return testing::FindChild<T>(*window_, name);
  }
  QAction* Action(const char* name) const { return Find<QAction>(name); }
  TKyHistoryComboBox* Field(const char* name) const { return Find<TKyHistoryComboBox>(name); }
  TKyHistoryComboBox* GrepStr() const { return Field("KyFlatComboBoxExGrepStr"); }
  TKyHistoryComboBox* GrepDir() const { return Field("KyFlatComboBoxExGrepDir"); }
  TKyHistoryComboBox* FileMask() const { return Field("KyFlatComboBoxExGrepFileMask"); }
  TKyHistoryComboBox* DirMask() const { return Field("KyFlatComboBoxExGrepDirMask"); }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  TKyGrepResult* List() const { return Find<TKyGrepResult>("KyGrepResult"); }
  QString Status() const { return Find<TStatusPanel>("KyFlatPanelStatus")->Text(); }
  QString Index() const { return Find<TStatusPanel>("KyFlatPanelIndex")->Text(); }

  static void Key(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(receiver, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(receiver, &release);
  }
  // A key press where the keyboard focus is.
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QWidget* focus = QApplication::focusWidget();
    Key(focus && focus->window() == window_.get() ? focus : window_.get(), key, modifiers);
  }
  // Replaces the field's text by typing it.
  static void Type(TKyHistoryComboBox* box, const QString& text) {
    box->lineEdit()->clear();
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(box->lineEdit(), &press);
    }
  }
  void Fill(const std::string& dir, const char* grepStr, const char* mask = "*.*") const {
    Type(GrepStr(), U(grepStr));
    Type(GrepDir(), ToQString(dir));
    Type(FileMask(), U(mask));
  }

  bool HasFocus(QWidget* widget) const {
    QWidget* focus = window_->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
  }

  // The list's rows as comma-separated lines without their line ends.
  std::vector<std::string> CsvRows() const {
    std::vector<std::string> rows;
    TKyGrepResult* list = List();
    for (int i = 0; i < list->DataCount(); ++i) {
      list->SelectData(i);
      TResultRow row{list->SelectedFileName(), list->SelectedLineNum(), list->SelectedLine(),
                     list->SelectedMatchPos(), list->SelectedMatchLen()};
      std::string line = CsvLine(row);
      line.resize(line.size() - 2);
      rows.push_back(line);
    }
    return rows;
  }

  // After a run with hits the start command waits until the history entry
  // is written.
  void WaitForHistoryEntry() const {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (!Action("ActionGrepStart")->isEnabled() && Clock::now() < deadline)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_TRUE(Action("ActionGrepStart")->isEnabled());
  }

  std::unique_ptr<TFormTS2Main> window_;
};

TEST_F(FrTS2MainTest, WindowRegionsHaveTheirSizes) {
  Open();
  EXPECT_EQ(window_->objectName(), "TFormTS2Main");
  EXPECT_EQ(window_->windowTitle(), "TANSA2");
  EXPECT_EQ(window_->size(), QSize(800, 600));

  EXPECT_EQ(Find<QWidget>("KyFlatPanelDir")->width(), 153);
  EXPECT_EQ(Find<QSplitter>("Splitter1")->handleWidth(), 4);
  EXPECT_EQ(Find<QWidget>("KyFlatPanelToolBar")->height(), 28);
  EXPECT_EQ(Find<QWidget>("ToolBarGrep")->property("iconSize").toSize(), QSize(16, 16));
  QWidget* panel = Find<QWidget>("PanelGrep");
  EXPECT_EQ(panel->height(), 153);
  QWidget* status = Find<QWidget>("PanelStatus");
  EXPECT_EQ(status->height(), 23);
  EXPECT_EQ(status->width(), 800);
  EXPECT_EQ(Find<QWidget>("KyFlatPanelIndex")->width(), 73);
  EXPECT_EQ(Find<QWidget>("KyFlatPanelStatus")->width(), 322);
  EXPECT_EQ(Find<QSizeGrip>("ImageGrip")->geometry(), QRect(800 - 16, 23 - 16, 16, 16));

  // The fields start at 136 and end together at the panel's right side,
  // also after a resize.
  for (int width : {800, 1000}) {
    window_->resize(width, 600);
    QApplication::processEvents();
    const int right = GrepStr()->geometry().right();
    EXPECT_GT(right, panel->width() - 10);
    for (TKyHistoryComboBox* box : {GrepStr(), GrepDir(), FileMask(), DirMask()}) {
      EXPECT_EQ(box->x(), 136);
      EXPECT_EQ(box->geometry().right(), right);
    }
    EXPECT_EQ(Find<QSizeGrip>("ImageGrip")->geometry().topLeft(), QPoint(width - 16, 23 - 16));
  }
  QCheckBox* matchCase = Box("KyFlatCheckBoxGrepMatchCase");
  QCheckBox* noRegExp = Box("KyFlatCheckBoxGrepNoRegExp");
  QCheckBox* autoCode = Box("KyFlatCheckBoxGrepAutoCode");
  EXPECT_EQ(matchCase->y(), noRegExp->y());
  EXPECT_EQ(noRegExp->y(), autoCode->y());
  EXPECT_LT(matchCase->geometry().right(), noRegExp->x());
  EXPECT_LT(noRegExp->geometry().right(), autoCode->x());
  EXPECT_LE(autoCode->geometry().right(), panel->width());

  // What the window sets on its result list.
  EXPECT_EQ(List()->WheelScrollLine(), 100);
  EXPECT_EQ(List()->TitleWidths(0), 140);
  EXPECT_EQ(List()->TitleWidths(1), 60);
  EXPECT_EQ(List()->PopupMenu(), Find<QMenu>("PopupMenuResult"));
}

TEST_F(FrTS2MainTest, TabOrderFollowsTheSearchPanel) {
  Open();
  const std::vector<QWidget*> order = {GrepStr(), GrepDir(), FileMask(), Box("KyFlatCheckBoxGrepSubDir"),
                                       DirMask(), Box("KyFlatCheckBoxGrepMatchCase"),
                                       Box("KyFlatCheckBoxGrepNoRegExp"), Box("KyFlatCheckBoxGrepAutoCode")};
  // Each control's next focus stop is the next control of the panel.
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    QWidget* next = order[i]->nextInFocusChain();
    while (next != order[i + 1] && (order[i]->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus)))
      next = next->nextInFocusChain();
    EXPECT_EQ(next, order[i + 1]) << i;
  }
}

TEST_F(FrTS2MainTest, MenusHoldTheirCommands) {
  Open();
  const auto captions = [](const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions) texts << (action->isSeparator() ? "-" : action->text().section('\t', 0, 0));
    return texts;
  };
  QList<QAction*> headers = window_->menuBar()->actions();
  EXPECT_EQ(captions(headers), (QStringList{U("ファイル(&F)"), U("検索(&G)"), U("結果(&R)"),
                                            U("ツール(&T)"), U("ヘルプ(&H)")}));
  ASSERT_EQ(headers.size(), 5);
  EXPECT_EQ(captions(headers[0]->menu()->actions()), (QStringList{U("終了(&X)")}));
  EXPECT_EQ(captions(headers[1]->menu()->actions()),
            (QStringList{U("検索開始(&S)"), U("検索中止(&C)"), "-", U("最新情報に更新(&R)")}));
  EXPECT_EQ(captions(headers[2]->menu()->actions()),
            (QStringList{U("戻る(&B)"), U("進む(&F)"), "-", U("エディタで開く(&O)"), "-",
                         U("結果を消去(&C)"), U("結果を保存(&S)..."), "-", U("結果履歴を削除(&H)")}));
  EXPECT_EQ(captions(headers[3]->menu()->actions()),
            (QStringList{U("環境設定(&E)..."), "-", U("ディレクトリパネル(&D)"), U("ツールバー(&T)")}));
  EXPECT_EQ(captions(headers[4]->menu()->actions()), (QStringList{U("バージョン情報(&A)...")}));
  EXPECT_EQ(captions(Find<QMenu>("PopupMenuResult")->actions()),
            (QStringList{U("エディタで開く(&O)"), "-", U("結果を消去(&C)"), U("結果を保存(&S)..."), "-",
                         U("結果履歴を削除(&H)")}));
  EXPECT_EQ(headers[2]->toolTip(), U("結果"));
}

TEST_F(FrTS2MainTest, CommandsHaveCaptionHintShortcutAndImage) {
  Open();
  struct Row {
    const char* name;
    const char* hint;
    const char* shortCut;
    bool image;
  };
  const Row rows[] = {
      {"ActionFileExit", "終了", "", true},
      {"ActionGrepStart", "検索開始", "F3", true},
      {"ActionGrepCancel", "検索中止", "Esc", true},
      {"ActionGrepRefreshDir", "ディレクトリツリーを最新情報に更新", "F5", true},
      {"ActionResultPrev", "戻る", "Ctrl+Left", true},
      {"ActionResultNext", "次へ", "Ctrl+Right", true},
      {"ActionResultEditor", "エディタで開く", "Ctrl+O", true},
      {"ActionResultClear", "結果を消去", "Ctrl+Del", true},
      {"ActionResultSave", "結果を保存", "Ctrl+S", true},
      {"ActionResultClearHistory", "結果履歴を削除", "", false},
      {"ActionToolEnv", "環境設定", "F10", true},
      {"ActionToolShowDirPanel", "ディレクトリパネル", "", true},
      {"ActionToolShowToolBar", "ツールバー", "", true},
      {"ActionHelpVersion", "バージョン情報", "", false},
  };
  for (const Row& row : rows) {
    QAction* action = Action(row.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->toolTip(), U(row.hint)) << row.name;
    EXPECT_EQ(action->text().section('\t', 1), QString::fromLatin1(row.shortCut)) << row.name;
    EXPECT_EQ(!action->icon().isNull(), row.image) << row.name;
    // Qt's own shortcut machinery stays out: keys go through the command list.
    EXPECT_TRUE(action->shortcut().isEmpty()) << row.name;
  }
  EXPECT_TRUE(Action("ActionToolShowDirPanel")->isChecked());
  EXPECT_TRUE(Action("ActionToolShowToolBar")->isChecked());
}

TEST_F(FrTS2MainTest, CommandLineFillsTheFieldsAndFocusGoesToTheFirstEmptyOne) {
  testing::TTempDir dir;
  // Not a first start, whose mask field is filled.
  std::ofstream(platform::NativePath(GetIniFileName())) << "[Grep]\r\n";
  Open({dir.String(), Sjis("東京"), "*.txt"});
  EXPECT_EQ(GrepStr()->Text(), Sjis("東京"));
  EXPECT_EQ(GrepDir()->Text(), dir.String());
  EXPECT_EQ(FileMask()->Text(), "*.txt");
  EXPECT_EQ(DirMask()->Text(), "");
  EXPECT_TRUE(HasFocus(GrepStr()));

  // The search string is a text: a pattern's escapes stay, and a character
  // CP932 lacks shows as typed, for the search to refuse.
  Open({dir.String(), platform::Cp932FormOfName("\\x41 caf\xC3\xA9")});
  EXPECT_EQ(GrepStr()->currentText(), U("\\x41 café"));

  // "$$BLANK$$" is an ordinary text at start.
  Open({dir.String(), "$$BLANK$$"});
  EXPECT_EQ(GrepStr()->Text(), "$$BLANK$$");
  EXPECT_TRUE(HasFocus(FileMask()));

  // A directory that doesn't exist leaves the field empty.
  Open({dir.String() + "/missing"});
  EXPECT_EQ(GrepDir()->Text(), "");
  EXPECT_TRUE(HasFocus(GrepStr()));
}

TEST_F(FrTS2MainTest, FailedChecksBeepFocusTheFieldAndKeepTheTrimmedTexts) {
  testing::TTempDir dir;
  Open();
  Type(GrepStr(), "");
  Type(GrepDir(), ToQString(dir.String()));
  Press(Qt::Key_F3);
  EXPECT_TRUE(HasFocus(GrepStr()));
  EXPECT_EQ(Status(), "");

  Type(GrepStr(), " ");  // blanks are a valid search string
  Type(GrepDir(), ToQString("  " + dir.String() + "/missing \t"));
  Press(Qt::Key_F3);
  EXPECT_TRUE(HasFocus(GrepDir()));
  EXPECT_EQ(GrepDir()->Text(), dir.String() + "/missing");
  EXPECT_EQ(Status(), "");

  Type(GrepDir(), ToQString(dir.String() + "/ "));
  Type(FileMask(), "   ");
  Press(Qt::Key_F3);
  EXPECT_TRUE(HasFocus(FileMask()));
  EXPECT_EQ(GrepDir()->Text(), dir.String() + "/");
  EXPECT_EQ(FileMask()->Text(), "");
  // Nothing entered the histories.
  EXPECT_EQ(GrepDir()->count(), 0);

  // A valid run: an empty directory mask becomes *.* with sub-directories,
  // and every field's text goes to the top of its history, except the blank
  // search string.
  Type(FileMask(), " *.txt ");
  Box("KyFlatCheckBoxGrepSubDir")->setChecked(true);
  Press(Qt::Key_F3);
  EXPECT_EQ(FileMask()->Text(), "*.txt");
  EXPECT_EQ(DirMask()->Text(), "*.*");
  EXPECT_TRUE(Status().startsWith(U("0個検索しました。"))) << Status().toStdString();
  EXPECT_EQ(GrepStr()->count(), 0);
  EXPECT_EQ(GrepDir()->Items(), std::vector<std::string>{dir.String() + "/"});
  EXPECT_EQ(FileMask()->Items(), std::vector<std::string>{"*.txt"});
  EXPECT_EQ(DirMask()->Items(), std::vector<std::string>{"*.*"});
}

// "?" is a quantifier in a pattern: a character CP932 lacks is refused,
// never searched for as "?".
TEST_F(FrTS2MainTest, ASearchStringCp932CantHoldIsRefusedNamingTheCharacter) {
  testing::TTempDir dir;
  dir.Write("a.txt", "cast iron\ncaf\n");
  const struct {
    const char* typed;
    const char* status;
  } cases[] = {
      {"café", "検索文字列の「é」(U+00E9) は Shift-JIS で表せません。"},
      {"東京😀", "検索文字列の「😀」(U+1F600) は Shift-JIS で表せません。"},
      {"한국", "検索文字列の「한」(U+D55C) は Shift-JIS で表せません。"},
  };
  Open();
  for (const auto& c : cases) {
    Fill(dir.String(), "x");
    GrepStr()->lineEdit()->setText(U(c.typed));  // pasted: an emoji is no one key
    FileMask()->setFocus();
    Press(Qt::Key_F3);
    EXPECT_EQ(Status(), U(c.status));
    EXPECT_TRUE(HasFocus(GrepStr()));
    EXPECT_EQ(GrepStr()->currentText(), U(c.typed));
    EXPECT_EQ(List()->DataCount(), 0);
    EXPECT_EQ(GrepStr()->count(), 0) << "a refused string stays out of the history";
  }
  // What CP932 holds is searched, a "?" typed as such included.
  Fill(dir.String(), "caf?");
  Press(Qt::Key_F3);
  EXPECT_EQ(List()->DataCount(), 2);
}

// A folder named with a character CP932 lacks is typed, searched, kept in
// the history and the settings file, and comes back the same folder.
TEST_F(FrTS2MainTest, AFolderCp932LacksIsTypedSearchedAndStored) {
  testing::TTempDir dir;
  const std::string folder = dir.String() + "/M\xC3\xBCller";
  dir.Write("M\xC3\xBCller/a.txt", "needle\n");
  Open();
  Fill(folder, "needle");
  Type(GrepDir(), QString::fromStdString(folder));
  Press(Qt::Key_F3);
  ASSERT_EQ(List()->DataCount(), 1);
  List()->SelectData(0);
  EXPECT_EQ(platform::NativePath(List()->SelectedFileName()), folder + "/a.txt");
  EXPECT_EQ(GrepDir()->currentText(), QString::fromStdString(folder));
  EXPECT_EQ(platform::NativePath(GrepDir()->Items().front()), folder);

  window_->close();
  Open();
  EXPECT_EQ(GrepDir()->Items().front(), platform::Cp932FormOfName(folder));
  EXPECT_EQ(GrepDir()->itemText(0), QString::fromStdString(folder));
}

// Files on this desktop are UTF-8, and an empty mask only beeps: a first
// start detects codes and searches every file; a stored choice stays.
TEST_F(FrTS2MainTest, AFirstStartDetectsCodesAndSearchesEveryFile) {
  testing::TTempDir dir;
  dir.Write("utf8.txt", "東京\n");
  Open({dir.String(), Sjis("東京")});
  EXPECT_TRUE(Box("KyFlatCheckBoxGrepAutoCode")->isChecked());
  EXPECT_EQ(FileMask()->Text(), "*.*");
  Press(Qt::Key_F3);
  EXPECT_EQ(List()->DataCount(), 1);

  // A mask on the command line wins.
  window_->close();
  window_.reset();
  std::filesystem::remove(platform::NativePath(GetIniFileName()));
  Open({dir.String(), Sjis("東京"), "*.c"});
  EXPECT_EQ(FileMask()->Text(), "*.c");

  // Once there is a settings file, its choices hold.
  Box("KyFlatCheckBoxGrepAutoCode")->setChecked(false);
  FileMask()->SetText("");
  window_->close();
  Open({dir.String(), Sjis("東京")});
  EXPECT_FALSE(Box("KyFlatCheckBoxGrepAutoCode")->isChecked());
  EXPECT_EQ(FileMask()->Text(), "");
}

TEST_F(FrTS2MainTest, RowsEqualTansa2GrepCsvOutput) {
  testing::TTempDir dir;
  dir.Write("a.txt", Sjis("東京\r\nnothing\r\n東京都, \"港区\"\ttab\r\n"));
  dir.Write("b.c", "/* \xe6\x9d\xb1\xe4\xba\xac utf-8 */\n");
  dir.Write("sub/c.txt", Sjis("大阪\n東京タワー\n"));
  dir.Write("sub/deeper/d.txt", Sjis("とうきょう東京\n"));
  dir.Write("sub/e.h", Sjis("東京\n"));
  dir.Write("sub dir/f.txt", Sjis("東京 with space\n"));
  Open();
  Fill(dir.String(), "東京", "*.txt,*.c");
  Box("KyFlatCheckBoxGrepSubDir")->setChecked(true);
  Box("KyFlatCheckBoxGrepAutoCode")->setChecked(true);
  Press(Qt::Key_F3);
  const std::vector<std::string> rows = CsvRows();

  const std::string command = std::string(TANSA2_GREP_PROGRAM) +
                              " --format=csv --output-encoding=sjis -g '*.txt' -g '*.c' '\xe6\x9d\xb1\xe4\xba\xac' '" +
                              dir.String() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  std::vector<std::string> expected;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) expected.push_back(line);

  // The window walks the tree once per mask, the command line once.
  std::vector<std::string> sortedRows = rows;
  std::sort(sortedRows.begin(), sortedRows.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows.size(), 6u);
  EXPECT_EQ(sortedRows, expected);
  EXPECT_EQ(Status().section(U("。"), 0, 0), U("6個検索しました"));
}

// While the search runs the list holds its paint, its rows showing at the
// end all at once, and the running hit count beside it follows the hits.
TEST_F(FrTS2MainTest, TheListWaitsForTheEndWhileTheHitCountRuns) {
  // A pattern matched against every line keeps the run going for a while.
  testing::TTempDir dir;
  std::string filler;
  for (int i = 0; i < 3000; ++i) filler += "abcdefghij klmnopqrstu vwxyz 0123456789 abcdefghij klmnopqrstu vwxyz\n";
  for (int i = 0; i < 40; ++i) dir.Write("f" + std::to_string(i) + ".txt", "xxq\n" + filler);
  Open();
  Fill(dir.String(), "(x|y)+q");
  QAction* cancel = Action("ActionGrepCancel");  // enabled while the search runs
  class TPaintWatch : public QObject {
   public:
    bool paintedWhileSearching = false;
    std::function<bool()> searchingWithRows;

   protected:
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint && searchingWithRows()) paintedWhileSearching = true;
      return false;
    }
  } watch;
  watch.searchingWithRows = [&] { return cancel->isEnabled() && List()->DataCount() > 0; };
  List()->viewport()->installEventFilter(&watch);
  bool countShown = false;
  QTimer look;
  look.setInterval(0);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (watch.searchingWithRows() && Index() == QString::number(List()->DataCount())) countShown = true;
  });
  look.start();
  Press(Qt::Key_F3);
  List()->viewport()->removeEventFilter(&watch);
  EXPECT_EQ(List()->DataCount(), 40);
  EXPECT_FALSE(watch.paintedWhileSearching);
  EXPECT_TRUE(countShown);
}

TEST_F(FrTS2MainTest, ZeroHitsShowTheSummaryAndLeaveTheHistoryAlone) {
  testing::TTempDir dir;
  dir.Write("a.txt", "nothing here\n");
  Open();
  Fill(dir.String(), "absent");
  Press(Qt::Key_F3);
  EXPECT_TRUE(QRegularExpression(U("^0個検索しました。\\(Elapsed time 0:00\\.\\d{3}\\)$")).match(Status()).hasMatch())
      << Status().toStdString();
  // No row to number.
  EXPECT_EQ(Index(), "");
  EXPECT_TRUE(Action("ActionGrepStart")->isEnabled());
  EXPECT_FALSE(Action("ActionResultClearHistory")->isEnabled());
  EXPECT_FALSE(Action("ActionResultSave")->isEnabled());
}

TEST_F(FrTS2MainTest, CommandStatesBeforeDuringAndAfterARunAndEscCancelsPromptly) {
  // Enough text for a search of a good part of a second: the pattern is
  // matched against every line.
  testing::TTempDir dir;
  std::string filler;
  for (int i = 0; i < 3000; ++i) filler += "abcdefghij klmnopqrstu vwxyz 0123456789 abcdefghij klmnopqrstu vwxyz\n";
  for (int i = 0; i < 5; ++i) dir.Write("hit" + std::to_string(i) + ".txt", "xxq\n" + filler);
  for (int i = 0; i < 150; ++i) dir.Write("sub/f" + std::to_string(i) + ".txt", filler);
  Open();
  Fill(dir.String(), "(x|y)+q");
  Box("KyFlatCheckBoxGrepSubDir")->setChecked(true);

  const std::vector<const char*> all = {
      "ActionFileExit",   "ActionGrepStart",       "ActionGrepCancel",         "ActionGrepRefreshDir",
      "ActionResultPrev", "ActionResultNext",      "ActionResultEditor",       "ActionResultClear",
      "ActionResultSave", "ActionResultClearHistory", "ActionToolEnv",         "ActionToolShowDirPanel",
      "ActionToolShowToolBar", "ActionHelpVersion"};
  const auto enabled = [&] {
    std::vector<std::string> names;
    for (const char* name : all)
      if (Action(name)->isEnabled()) names.push_back(name);
    return names;
  };
  EXPECT_EQ(enabled(), (std::vector<std::string>{"ActionFileExit", "ActionGrepStart",
                                                 "ActionGrepRefreshDir", "ActionToolEnv",
                                                 "ActionToolShowDirPanel", "ActionToolShowToolBar",
                                                 "ActionHelpVersion"}));

  std::vector<std::string> during;
  QString countDuring;
  bool panelsDisabled = false;
  Clock::time_point escAt;
  Clock::time_point lastTick = Clock::now();
  Clock::duration longestGap{};
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    longestGap = std::max(longestGap, now - lastTick);
    lastTick = now;
  });
  // Once the hits of the first directory are in, the sub-directory's files
  // still keep the run busy.
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (Index() != "5" || escAt != Clock::time_point()) return;
    poll.stop();
    during = enabled();
    countDuring = Index();
    panelsDisabled = !Find<QWidget>("PanelGrep")->isEnabled() && !Find<QWidget>("KyFlatPanelDir")->isEnabled();
    // Every shortcut but Esc does nothing now; F3 doesn't start a second run.
    Press(Qt::Key_F3);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    escAt = Clock::now();
    Press(Qt::Key_Escape);
  });
  ticker.start();
  poll.start();
  lastTick = Clock::now();
  Press(Qt::Key_F3);
  const Clock::time_point endedAt = Clock::now();
  ticker.stop();

  EXPECT_EQ(during, std::vector<std::string>{"ActionGrepCancel"});
  EXPECT_TRUE(panelsDisabled);
  EXPECT_EQ(countDuring, "5");
  ASSERT_NE(escAt, Clock::time_point());
  EXPECT_LT(endedAt - escAt, std::chrono::milliseconds(200));
  EXPECT_LT(longestGap, std::chrono::milliseconds(100));

  // The cancelled run keeps its rows and reports them the same way.
  EXPECT_EQ(List()->DataCount(), 5);
  EXPECT_TRUE(Status().startsWith(U("5個検索しました。(Elapsed time 0:0"))) << Status().toStdString();
  EXPECT_EQ(Index(), "1");
  // Its history entry waits to be written, and the start and history commands with it.
  EXPECT_EQ(enabled(), (std::vector<std::string>{"ActionFileExit", "ActionGrepRefreshDir",
                                                 "ActionResultEditor", "ActionResultClear",
                                                 "ActionResultSave", "ActionToolEnv",
                                                 "ActionToolShowDirPanel", "ActionToolShowToolBar",
                                                 "ActionHelpVersion"}));
  WaitForHistoryEntry();
  EXPECT_EQ(enabled(), (std::vector<std::string>{"ActionFileExit", "ActionGrepStart",
                                                 "ActionGrepRefreshDir", "ActionResultEditor",
                                                 "ActionResultClear", "ActionResultSave",
                                                 "ActionResultClearHistory", "ActionToolEnv",
                                                 "ActionToolShowDirPanel", "ActionToolShowToolBar",
                                                 "ActionHelpVersion"}));

  // Idle again: Esc does nothing, F3 runs again; a second stored run makes
  // Back possible.
  Press(Qt::Key_Escape);
  EXPECT_TRUE(Status().startsWith(U("5個")));
  Type(GrepStr(), "xxq");
  Press(Qt::Key_F3);
  EXPECT_EQ(List()->DataCount(), 5);
  WaitForHistoryEntry();
  EXPECT_TRUE(Action("ActionResultPrev")->isEnabled());
  EXPECT_FALSE(Action("ActionResultNext")->isEnabled());
}

TEST_F(FrTS2MainTest, DisabledCommandsIgnoreTheirShortcuts) {
  Open();
  bool dialogOpened = false;
  TModalWatcher noDialog([&](QWidget* modal) {
    dialogOpened = true;
    modal->close();
  });
  Press(Qt::Key_S, Qt::ControlModifier);
  Press(Qt::Key_O, Qt::ControlModifier);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_FALSE(dialogOpened);
  // A disabled command's key goes on to the control: Ctrl+Left moves the cursor.
  Type(GrepStr(), "abc def");
  Key(GrepStr()->lineEdit(), Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(GrepStr()->lineEdit()->cursorPosition(), 4);
}

TEST_F(FrTS2MainTest, EnterStartsASearchUnlessTheListIsDroppedDown) {
  testing::TTempDir dir;
  dir.Write("a.txt", "abc\n");
  Open();
  Fill(dir.String(), "abc");
  GrepStr()->AddHistory();
  GrepStr()->showPopup();
  ASSERT_TRUE(GrepStr()->DroppedDown());
  Key(GrepStr()->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Status(), "");
  GrepStr()->hidePopup();

  const std::vector<QWidget*> receivers = {GrepStr()->lineEdit(), DirMask()->lineEdit(),
                                           Box("KyFlatCheckBoxGrepNoRegExp"),
                                           Find<TKyFlatDirView>("KyFlatDirView")};
  for (QWidget* receiver : receivers) {
    List()->ClearData();
    Find<TStatusPanel>("KyFlatPanelStatus")->SetText(QString());
    Key(receiver, Qt::Key_Return);
    EXPECT_EQ(List()->DataCount(), 1) << receiver->metaObject()->className();
    EXPECT_TRUE(Status().startsWith(U("1個"))) << receiver->metaObject()->className();
  }
}

TEST_F(FrTS2MainTest, SubDirectoryBoxEnablesTheDirectoryMaskOnChangeOnly) {
  Open();
  QCheckBox* subDir = Box("KyFlatCheckBoxGrepSubDir");
  EXPECT_FALSE(subDir->isChecked());
  EXPECT_TRUE(DirMask()->isEnabled());
  subDir->setChecked(true);
  EXPECT_TRUE(DirMask()->isEnabled());
  subDir->setChecked(false);
  EXPECT_FALSE(DirMask()->isEnabled());
}

TEST_F(FrTS2MainTest, ViewTogglesShowAndHidePanels) {
  Open();
  QWidget* dirPanel = Find<QWidget>("KyFlatPanelDir");
  QSplitter* splitter = Find<QSplitter>("Splitter1");
  Action("ActionToolShowDirPanel")->trigger();
  EXPECT_FALSE(Action("ActionToolShowDirPanel")->isChecked());
  EXPECT_FALSE(dirPanel->isVisible());
  EXPECT_FALSE(splitter->handle(1)->isEnabled());
  Action("ActionToolShowDirPanel")->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(dirPanel->isVisible());
  EXPECT_TRUE(splitter->handle(1)->isEnabled());
  EXPECT_EQ(dirPanel->width(), 153);

  Action("ActionToolShowToolBar")->trigger();
  EXPECT_FALSE(Find<QWidget>("KyFlatPanelToolBar")->isVisible());
  Action("ActionToolShowToolBar")->trigger();
  EXPECT_TRUE(Find<QWidget>("KyFlatPanelToolBar")->isVisible());
}

TEST_F(FrTS2MainTest, SaveAsksForANameRemembersItAndWritesTheList) {
  testing::TTempDir dir;
  dir.Write("a.txt", "one abc\ntwo\nthree abc\n");
  Open();
  Fill(dir.String(), "abc");
  Press(Qt::Key_F3);
  ASSERT_EQ(List()->DataCount(), 2);

  const QString target = ToQString(dir.String() + "/saved.txt");
  QStringList filters;
  bool confirmsOverwrite = false;
  TModalWatcher saveDialog([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(target);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(filters, QStringList{U("すべてのファイル (*)")});
  EXPECT_TRUE(confirmsOverwrite);
  std::ifstream in(FromQString(target), std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = dir.String() + "/a.txt";
  EXPECT_EQ(saved, path + "(1):one abc\r\n" + path + "(3):three abc\r\n");

  // The next save starts from the last name; cancelling keeps the commands.
  QString offered;
  TModalWatcher reopenedDialog([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    offered = dialog->selectedFiles().value(0);
    dialog->reject();
  });
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(offered, target);
  EXPECT_TRUE(Action("ActionResultSave")->isEnabled());

  // Clearing empties the list and the status text, and the commands follow.
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(List()->DataCount(), 0);
  EXPECT_EQ(Status(), "");
  EXPECT_FALSE(Action("ActionResultSave")->isEnabled());
  EXPECT_FALSE(Action("ActionResultClear")->isEnabled());
}

TEST_F(FrTS2MainTest, AnErrorInTheRunEndsItWithAnErrorBox) {
  testing::TTempDir dir;
  dir.Write("a.txt", "abc\n");
  Open();
  Fill(dir.String(), "(abc");
  QString title;
  QString text;
  TModalWatcher errorBox([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    box->close();
  });
  Press(Qt::Key_F3);
  EXPECT_EQ(title, "TANSA2");
  EXPECT_FALSE(text.isEmpty());
  EXPECT_TRUE(Status().startsWith(U("0個検索しました。")));
  EXPECT_TRUE(Find<QWidget>("PanelGrep")->isEnabled());
  EXPECT_TRUE(Action("ActionGrepStart")->isEnabled());
  EXPECT_FALSE(Action("ActionGrepCancel")->isEnabled());
}

TEST_F(FrTS2MainTest, ContextMenuRefreshesTheResultCommands) {
  testing::TTempDir dir;
  dir.Write("a.txt", "abc\n");
  Open();
  Fill(dir.String(), "abc");
  Press(Qt::Key_F3);
  WaitForHistoryEntry();
  // Emptied behind the commands' back: the states wait for the next refresh.
  List()->ClearData();
  EXPECT_TRUE(Action("ActionResultSave")->isEnabled());
  ASSERT_TRUE(List()->OnPopup);
  List()->OnPopup();
  EXPECT_FALSE(Action("ActionResultSave")->isEnabled());
  EXPECT_FALSE(Action("ActionResultEditor")->isEnabled());
  EXPECT_TRUE(Action("ActionResultClearHistory")->isEnabled());
}

}  // namespace
}  // namespace tansa2
