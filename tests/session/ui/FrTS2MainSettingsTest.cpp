// The main window with its settings file: what a start reads, what a close
// writes, and the shortcuts the file holds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/CodePage.h"
#include "platform/ui/Colors.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;

const char* const kFields[] = {"KyFlatComboBoxExGrepStr", "KyFlatComboBoxExGrepDir",
                               "KyFlatComboBoxExGrepFileMask", "KyFlatComboBoxExGrepDirMask"};
const char* const kBoxes[] = {"KyFlatCheckBoxGrepSubDir", "KyFlatCheckBoxGrepMatchCase",
                              "KyFlatCheckBoxGrepNoRegExp", "KyFlatCheckBoxGrepAutoCode"};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

template <class T>
T* Find(const TFormTS2Main& window, const char* name) {
  T* child = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// What the settings file carries from one start to the next.
struct TWindowState {
  std::vector<std::vector<std::string>> Histories;
  std::vector<bool> Boxes;
  int PanelWidth = 0;
  bool ToolBarShown = false;
  bool DirPanelShown = false;
  QRect NormalGeometry;
  bool Maximized = false;

  bool operator==(const TWindowState&) const = default;
  friend void PrintTo(const TWindowState& s, std::ostream* out) {
    *out << "{histories";
    for (const auto& history : s.Histories) *out << " " << history.size();
    *out << ", boxes";
    for (bool box : s.Boxes) *out << " " << box;
    *out << ", panel " << s.PanelWidth << ", tool bar " << s.ToolBarShown << ", dir panel "
         << s.DirPanelShown << ", " << s.NormalGeometry.x() << "," << s.NormalGeometry.y() << " "
         << s.NormalGeometry.width() << "x" << s.NormalGeometry.height() << ", maximized " << s.Maximized
         << "}";
  }
};

TWindowState StateOf(const TFormTS2Main& window) {
  TWindowState state;
  for (const char* field : kFields) state.Histories.push_back(Find<TKyHistoryComboBox>(window, field)->Items());
  for (const char* box : kBoxes) state.Boxes.push_back(Find<QCheckBox>(window, box)->isChecked());
  const auto* panel = Find<QFrame>(window, "KyFlatPanelDir");
  state.DirPanelShown = panel->isVisible();
  state.PanelWidth = state.DirPanelShown ? panel->width() : -1;
  state.ToolBarShown = Find<QWidget>(window, "KyFlatPanelToolBar")->isVisible();
  state.NormalGeometry = window.isMaximized() ? window.normalGeometry() : QRect(window.pos(), window.size());
  state.Maximized = window.isMaximized();
  return state;
}

// Closes the window; a message box that opens on the way is answered, and
// its title and text are kept.
struct TCloseResult {
  QString BoxTitle;
  QString BoxText;
};

TCloseResult CloseAnsweringBoxes(TFormTS2Main& window) {
  TCloseResult result;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      result = {box->windowTitle(), box->text()};
      box->done(QMessageBox::Ok);
    }
  });
  watcher.start();
  window.close();
  QApplication::processEvents();
  return result;
}

class FrTS2MainSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    setenv("TANSA2_HOME", home_.String().c_str(), 1);
  }

  static std::unique_ptr<TFormTS2Main> Open(const std::vector<std::string>& parameters = {}) {
    auto window = std::make_unique<TFormTS2Main>(parameters);
    window->show();
    QApplication::processEvents();
    return window;
  }
  static void Close(TFormTS2Main& window) {
    const TCloseResult result = CloseAnsweringBoxes(window);
    EXPECT_TRUE(result.BoxText.isEmpty()) << result.BoxText.toStdString();
    EXPECT_FALSE(window.isVisible());
  }
  static void WriteIni(std::string_view text) {
    std::ofstream(GetIniFileName(), std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  static std::string IniText() { return ReadFile(GetIniFileName()); }

  testing::TTempDir home_;
};

TEST_F(FrTS2MainSettingsTest, FirstStartOpensAtTheDesignedPlaceAndTheNextStartsGetBackWhatEachCloseLeft) {
  ASSERT_FALSE(std::filesystem::exists(GetIniFileName()));
  auto window = Open();
  EXPECT_EQ(window->pos(), QPoint(0, 0));
  EXPECT_EQ(window->size(), QSize(800, 600));
  const TWindowState first = StateOf(*window);
  EXPECT_EQ(first.PanelWidth, 153);
  EXPECT_TRUE(first.ToolBarShown);
  EXPECT_TRUE(first.DirPanelShown);
  Close(*window);
  EXPECT_EQ(StateOf(*Open()), first);

  // Everything the file keeps changed at once; an entry with a blank, a
  // comma and a quote stays one entry.
  window = Open();
  const std::vector<std::vector<std::string>> histories = {
      {Utf8ToCp932("検索 \"語\",2"), "second"}, {home_.String()}, {"*.c,*.h", "*.txt"}, {"src*"}};
  for (size_t i = 0; i < std::size(kFields); ++i) Find<TKyHistoryComboBox>(*window, kFields[i])->SetItems(histories[i]);
  for (const char* box : kBoxes) Find<QCheckBox>(*window, box)->setChecked(true);
  auto* splitter = Find<QSplitter>(*window, "Splitter1");
  splitter->setSizes({222, splitter->width() - 222});
  Find<QAction>(*window, "ActionToolShowToolBar")->trigger();
  window->move(30, 40);
  window->resize(900, 700);
  QApplication::processEvents();
  const TWindowState changed = StateOf(*window);
  EXPECT_EQ(changed.PanelWidth, 222);
  EXPECT_FALSE(changed.ToolBarShown);
  Close(*window);
  window = Open();
  EXPECT_EQ(StateOf(*window), changed);

  // A hidden directory panel keeps its width for when it comes back.
  Find<QAction>(*window, "ActionToolShowDirPanel")->trigger();
  const TWindowState hidden = StateOf(*window);
  Close(*window);
  window = Open();
  EXPECT_EQ(StateOf(*window), hidden);
  Close(*window);
  EXPECT_EQ(TIniFileEx(GetIniFileName()).ReadInteger("DirPanel", "Width", -1), 222);
  window = Open();
  Find<QAction>(*window, "ActionToolShowDirPanel")->trigger();
  QApplication::processEvents();
  EXPECT_EQ(Find<QFrame>(*window, "KyFlatPanelDir")->width(), 222);

  // Closed maximised, the window leaves its normal bounds as the file held
  // them, and the next start maximises over those bounds.
  window->showMaximized();
  QApplication::processEvents();
  Close(*window);
  const TIniFileEx ini(GetIniFileName());
  EXPECT_EQ(ini.ReadInteger("TANSA2", "WindowState", -1), 2);
  EXPECT_EQ(QRect(ini.ReadInteger("TANSA2", "Left", -1), ini.ReadInteger("TANSA2", "Top", -1),
                  ini.ReadInteger("TANSA2", "Width", -1), ini.ReadInteger("TANSA2", "Height", -1)),
            QRect(30, 40, 900, 700));
  window = Open();
  EXPECT_TRUE(window->isMaximized());
  window->showNormal();
  QApplication::processEvents();
  EXPECT_EQ(QRect(window->pos(), window->size()), QRect(30, 40, 900, 700));
}

TEST_F(FrTS2MainSettingsTest, WindowStoredOffEveryScreenOpensOnThePrimaryScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const struct {
    int left, top, width, height;
    QRect expected;
  } cases[] = {
      {30, 40, 500, 400, QRect(30, 40, 500, 400)},
      {screen.right() + 100, 40, 500, 400, QRect(screen.topLeft(), QSize(500, 400))},
      {-2000, -1000, 500, 400, QRect(screen.topLeft(), QSize(500, 400))},
      {30, screen.bottom() - 5, 500, 400, QRect(screen.topLeft(), QSize(500, 400))},
      {screen.right() + 10, 0, screen.width() * 3, screen.height() * 3, screen},
  };
  for (const auto& c : cases) {
    WriteIni("[TANSA2]\r\nLeft=" + std::to_string(c.left) + "\r\nTop=" + std::to_string(c.top) +
             "\r\nWidth=" + std::to_string(c.width) + "\r\nHeight=" + std::to_string(c.height) + "\r\n");
    const auto window = Open();
    EXPECT_EQ(QRect(window->pos(), window->size()), c.expected) << c.left << "," << c.top;
  }
}

TEST_F(FrTS2MainSettingsTest, FirstCloseWritesEverySectionOfTheCloseAndNoOther) {
  Close(*Open());
  const std::string text = IniText();
  for (const char* section : {"[TANSA2]\r\nTop=0\r\nLeft=0\r\nWidth=800\r\nHeight=600\r\nColor=clBtnFace\r\n",
                              "[BasicInfo]\r\nShowInProgress=1\r\nShowToolBar=1\r\nShowDirPanel=1\r\n",
                              "[DirPanel]\r\n", "InitialDir=\r\nWidth=153\r\n", "[Grep]\r\nString=\r\n",
                              "MaxHistory=32\r\n", "[GrepHistory]\r\nUsed=1\r\nFirst=0\r\nLast=0\r\n"})
    EXPECT_NE(text.find(section), std::string::npos) << section << "\n" << text;
  for (const char* section : {"[Editor]", "[ShortCut]", "[GrepResult]"})
    EXPECT_EQ(text.find(section), std::string::npos) << section;
}

// Every line of a clean file is a section header, a key with "=", or the
// blank line after a section, each ended by CR LF.
void ExpectCleanFile(const std::string& text) {
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_TRUE(line.empty() || (line.front() == '[' && line.back() == ']') || line.find('=') != std::string::npos)
        << line.substr(0, 80);
    start = end + 2;
  }
}

TEST_F(FrTS2MainSettingsTest, DamagedFileNeverStopsTheStartAndTheNextCloseWritesACleanFile) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 167 + 13) % 256);
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"binary garbage", garbage},
      {"garbage inside sections", "[TANSA2]\r\n" + garbage + "\r\n[Grep]\n" + garbage},
      {"a 10 MB line", "[Grep]\r\n" + std::string(10 << 20, 'x') + "\r\nMaxHistory=8\r\n"},
      {"keys without =", "[TANSA2]\r\nWidth\r\nHeight\r\n[Grep]\r\nMaxHistory\r\nSubDirectory\r\n"},
      {"a header without ]", "[Nonsense\r\nWidth=333\r\nSubDirectory=1\r\n"},
      {"values of the wrong kind",
       "[TANSA2]\r\nWidth=wide\r\nTop=\r\nFontSize=huge\r\nWindowState=9\r\n[DirPanel]\r\nWidth=-40\r\n"
       "[Grep]\r\nMaxHistory=abc\r\nSubDirectory=yes\r\n[GrepResult]\r\nSaveType=7\r\nTitleWidths0=99999999\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteIni(c.text);
    auto window = Open();
    ASSERT_TRUE(window->isVisible());
    // What couldn't be read keeps its default.
    EXPECT_EQ(window->size(), QSize(800, 600));
    EXPECT_FALSE(Find<QCheckBox>(*window, "KyFlatCheckBoxGrepSubDir")->isChecked());
    const uint16_t maxHistory = Find<TKyHistoryComboBox>(*window, kFields[0])->MaxHistory();
    EXPECT_EQ(maxHistory, std::string_view(c.name) == "a 10 MB line" ? 8 : 32);
    Close(*window);
    ExpectCleanFile(IniText());
  }
}

TEST_F(FrTS2MainSettingsTest, SettingsThatCantBeWrittenAreReportedAndTheWindowClosesAllTheSame) {
  // A folder where the file should be: no user, root included, can replace it.
  std::filesystem::create_directory(GetIniFileName());
  auto window = Open();
  const TCloseResult result = CloseAnsweringBoxes(*window);
  EXPECT_EQ(result.BoxTitle, QStringLiteral("TANSA2"));
  EXPECT_TRUE(result.BoxText.contains(QStringLiteral("tansa2.ini"))) << result.BoxText.toStdString();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(FrTS2MainSettingsTest, ReadOnlyFolderKeepsTheOldFileWholeWhileTheWindowCloses) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  Close(*Open());
  const std::string before = IniText();
  const std::filesystem::path folder = std::filesystem::path(GetIniFileName()).parent_path();
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  auto window = Open();
  Find<TKyHistoryComboBox>(*window, kFields[0])->SetItems({"new entry"});
  const TCloseResult result = CloseAnsweringBoxes(*window);
  chmod(folder.c_str(), 0755);
  EXPECT_FALSE(result.BoxText.isEmpty());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(IniText(), before);
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 1u);
}

TEST_F(FrTS2MainSettingsTest, ClosingDuringASearchCancelsItAndSavesTheCloseTimeSettings) {
  testing::TTempDir tree;
  constexpr int kFiles = 200;
  for (int i = 0; i < kFiles; ++i) tree.Write("d" + std::to_string(i % 10) + "/f" + std::to_string(i) + ".txt", "hit\n");
  auto window = Open({tree.String(), "hit", "*.txt"});
  Find<QCheckBox>(*window, "KyFlatCheckBoxGrepSubDir")->setChecked(true);
  // Comes while the search runs: its first turn of the event loop.
  QTimer::singleShot(0, window.get(), [&window] { window->close(); });
  window->ActionGrepStartExecute();
  EXPECT_FALSE(window->isVisible());
  EXPECT_LT(Find<TKyGrepResult>(*window, "KyGrepResult")->DataCount(), kFiles);
  const TIniFileEx ini(GetIniFileName());
  EXPECT_EQ(ini.ReadString("Grep", "String", ""), "hit");
  EXPECT_EQ(ini.ReadBool("Grep", "SubDirectory", false), true);
}

TEST_F(FrTS2MainSettingsTest, InitialFieldsTakeTheNewestEntriesAskedForAndTheCommandLineWins) {
  testing::TTempDir initial, newest, given;
  const std::string histories = "[Grep]\r\nString=newest,older\r\nDirectory=" + newest.String() + "," +
                                initial.String() + "\r\nFileMask=*.c,*.h\r\nDirectoryMask=src*,lib*\r\n";
  const struct {
    const char* flags;
    std::vector<std::string> parameters;
    std::vector<std::string> expected;  // search string, directory, file mask, directory mask
  } cases[] = {
      {"", {}, {"", initial.String(), "", ""}},
      {"LastString=1\r\nLastDirectory=1\r\nLastFileMask=1\r\nLastDirectoryMask=1\r\n",
       {},
       {"newest", newest.String(), "*.c", "src*"}},
      {"LastString=1\r\nLastFileMask=1\r\n", {}, {"newest", initial.String(), "*.c", ""}},
      {"LastString=1\r\nLastDirectory=1\r\nLastFileMask=1\r\nLastDirectoryMask=1\r\n",
       {given.String(), " as given ", "$$BLANK$$"},
       {" as given ", given.String(), "$$BLANK$$", "src*"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    WriteIni("[DirPanel]\r\nInitialDir=" + initial.String() + "\r\n" + histories + c.flags);
    auto window = Open(c.parameters);
    std::vector<std::string> texts;
    for (const char* field : kFields) texts.push_back(Find<TKyHistoryComboBox>(*window, field)->Text());
    EXPECT_EQ(texts, c.expected);
    EXPECT_EQ(Find<TKyFlatDirView>(*window, "KyFlatDirView")->GetSelectedDir(), c.expected[1]);
  }
}

TEST_F(FrTS2MainSettingsTest, GrepSectionSetsTheFieldsAndTheSearchFilters) {
  testing::TTempDir tree;
  for (const char* name : {"a.txt", "b.BAK", "c.c", "d.bak"}) tree.Write(name, "hit\n");
  tree.Write("big.c", "hit\n" + std::string((1 << 20) - 4, 'x'));
  std::string history;
  for (int i = 0; i < 20; ++i) history += "e" + std::to_string(i) + ",";
  WriteIni("[Grep]\r\nString=" + history + "\r\nMaxHistory=0x10\r\nAutoComplete=1\r\nNoFileExt= txt , ,BAK,txt\r\n"
           "MaxFileSize=1\r\n");
  auto window = Open({tree.String(), "hit", "*.*"});
  auto* grepStr = Find<TKyHistoryComboBox>(*window, kFields[0]);
  EXPECT_EQ(grepStr->count(), 16);
  EXPECT_EQ(grepStr->MaxHistory(), 16);
  for (const char* field : kFields) EXPECT_TRUE(Find<TKyHistoryComboBox>(*window, field)->Complete()) << field;

  // Only c.c is searched: the extensions without case, and big.c is 1 MB.
  window->ActionGrepStartExecute();
  auto* list = Find<TKyGrepResult>(*window, "KyGrepResult");
  ASSERT_EQ(list->DataCount(), 1);
  list->SelectData(0);
  EXPECT_EQ(list->SelectedFileName(), tree.String() + "/c.c");

  Close(*window);
  EXPECT_NE(IniText().find("NoFileExt=txt , ,BAK,txt\r\n"), std::string::npos);
}

TEST_F(FrTS2MainSettingsTest, FontsAndColoursReachTheWindowTreeAndListAndGoBackByName) {
  WriteIni("[TANSA2]\r\nFontSize=14\r\nFontStyleBold=1\r\nFontColor=clRed\r\nColor=$00FFFFFF\r\n"
           "[DirPanel]\r\nFontSize=11\r\nFontStyleItalic=1\r\n"
           "[GrepResult]\r\nFontSize=12\r\nFontStyleBold=0\r\nFontColor=$00123456\r\nSaveType=0\r\n");
  auto window = Open();
  EXPECT_EQ(window->font().pointSize(), 14);
  EXPECT_TRUE(window->font().bold());
  EXPECT_EQ(window->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::white));

  // The tree starts from the window's font, the list from its own.
  auto* tree = Find<TKyFlatDirView>(*window, "KyFlatDirView");
  EXPECT_EQ(tree->font().pointSize(), 11);
  EXPECT_TRUE(tree->font().bold());
  EXPECT_TRUE(tree->font().italic());
  EXPECT_EQ(tree->palette().color(QPalette::Text), QColor(Qt::red));
  auto* list = Find<TKyGrepResult>(*window, "KyGrepResult");
  EXPECT_EQ(list->font().pointSize(), 12);
  EXPECT_FALSE(list->font().bold());
  EXPECT_EQ(list->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(list->SaveType(), 0);

  Close(*window);
  const TIniFileEx ini(GetIniFileName());
  EXPECT_EQ(ini.ReadString("TANSA2", "Color", ""), "clWhite");
  EXPECT_EQ(ini.ReadString("TANSA2", "FontColor", ""), "clRed");
  EXPECT_EQ(ini.ReadString("TANSA2", "FontSize", ""), "14");
  EXPECT_EQ(ini.ReadString("DirPanel", "FontStyleItalic", ""), "1");
  EXPECT_EQ(ini.ReadString("DirPanel", "FontColor", ""), "clRed");
  // The list's section is the preferences' to write, not the close's.
  EXPECT_EQ(ini.ReadString("GrepResult", "FontColor", ""), "$00123456");
}

// Key presses in the search-string field, as the user types them.
class FrTS2MainShortCutTest : public FrTS2MainSettingsTest {
 protected:
  void OpenWith(const std::string& shortCuts) {
    WriteIni("[ShortCut]\r\n" + shortCuts);
    window_ = Open();
    QObject::connect(Find<QAction>(*window_, "ActionGrepStart"), &QAction::triggered, [this] { ++starts_; });
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(Find<TKyHistoryComboBox>(*window_, kFields[0])->lineEdit(), &press);
  }
  int Starts() {
    const int starts = starts_;
    starts_ = 0;
    return starts;
  }
  QString StartMenuText() const { return Find<QAction>(*window_, "ActionGrepStart")->text(); }

  std::unique_ptr<TFormTS2Main> window_;
  int starts_ = 0;
};

TEST_F(FrTS2MainShortCutTest, EveryShortCutOfAListRunsItsCommand) {
  OpenWith("GrepStart=F3,Ctrl+G\r\n");
  Press(Qt::Key_F3);
  EXPECT_EQ(Starts(), 1);
  Press(Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(Starts(), 1);
  EXPECT_EQ(StartMenuText(), QStringLiteral("検索開始(&S)\tF3"));
}

TEST_F(FrTS2MainShortCutTest, EmptyValueLeavesTheCommandWithoutShortCutAndAnAbsentKeyGivesTheDesignedOne) {
  OpenWith("GrepStart=\r\n");
  Press(Qt::Key_F3);
  EXPECT_EQ(Starts(), 0);
  EXPECT_EQ(StartMenuText(), QStringLiteral("検索開始(&S)"));
  // GrepCancel and ResultSave were not in the file.
  EXPECT_EQ(Find<QAction>(*window_, "ActionResultSave")->text(), QStringLiteral("結果を保存(&S)...\tCtrl+S"));
}

TEST_F(FrTS2MainShortCutTest, UnknownFirstTextLeavesNoPrimaryButTheFurtherOnesWork) {
  OpenWith("GrepStart=Bogus,Ctrl+G\r\n");
  Press(Qt::Key_F3);
  EXPECT_EQ(Starts(), 0);
  Press(Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(Starts(), 1);
  EXPECT_EQ(StartMenuText(), QStringLiteral("検索開始(&S)"));
  EXPECT_EQ(window_->GetShortCutTable().Categories[1].Commands[0].ShortCuts, "");
}

TEST_F(FrTS2MainShortCutTest, DisabledFirstCommandLetsTheKeyGoOnAndNoLaterOneRunsIt) {
  // The cancel command comes first in the list and is disabled while idle.
  OpenWith("GrepCancel=Esc,Ctrl+K\r\nToolShowToolBar=Ctrl+K\r\nToolShowDirPanel=Ctrl+D\r\n");
  auto* toolBar = Find<QWidget>(*window_, "KyFlatPanelToolBar");
  Press(Qt::Key_K, Qt::ControlModifier);
  EXPECT_TRUE(toolBar->isVisible());
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_FALSE(Find<QFrame>(*window_, "KyFlatPanelDir")->isVisible());
}

TEST_F(FrTS2MainShortCutTest, TableRoundTripsThroughTheCommandsAndTheSettingsFile) {
  OpenWith("");
  TShortCutTable table = window_->GetShortCutTable();
  ASSERT_EQ(table.CategoryCount, 5);
  const int counts[] = {1, 3, 6, 3, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(table.Categories[i].Count, counts[i]) << i;
  EXPECT_EQ(table.Categories[5].Count, 0);
  EXPECT_EQ(table.Categories[1].Name, Utf8ToCp932("検索"));
  EXPECT_EQ(table.Categories[1].Commands[0].Name, Utf8ToCp932("検索開始"));
  EXPECT_EQ(table.Categories[1].Commands[0].ShortCuts, "F3");
  EXPECT_EQ(table.Categories[2].Commands[1].Name, Utf8ToCp932("次へ"));
  EXPECT_EQ(table.Categories[2].Commands[1].ShortCuts, "Ctrl+Right");
  EXPECT_EQ(table.Categories[4].Commands[0].ShortCuts, "");

  table.Categories[1].Commands[0].ShortCuts = "F3,Ctrl+G";
  table.Categories[1].Commands[1].ShortCuts = "";
  table.Categories[2].Commands[1].ShortCuts = "ctrl+right,ALT+RIGHT";
  table.Categories[0].Commands[0].ShortCuts = "^Q";
  window_->ApplyShortCutTable(table);
  Press(Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(Starts(), 1);
  const TShortCutTable applied = window_->GetShortCutTable();
  EXPECT_EQ(applied.Categories[1].Commands[0].ShortCuts, "F3,Ctrl+G");
  EXPECT_EQ(applied.Categories[1].Commands[1].ShortCuts, "");
  EXPECT_EQ(applied.Categories[2].Commands[1].ShortCuts, "Ctrl+Right,Alt+Right");
  EXPECT_EQ(applied.Categories[0].Commands[0].ShortCuts, "Ctrl+Q");

  TIniFileEx ini(GetIniFileName());
  window_->WriteShortCut(ini);
  ini.UpdateFile();
  EXPECT_NE(IniText().find("[ShortCut]\r\nFileExit=Ctrl+Q\r\nGrepStart=F3,Ctrl+G\r\nGrepCancel=\r\n"),
            std::string::npos);
  auto next = Open();
  const TShortCutTable reread = next->GetShortCutTable();
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < counts[i]; ++j)
      EXPECT_EQ(reread.Categories[i].Commands[j].ShortCuts, applied.Categories[i].Commands[j].ShortCuts) << i << j;
}

}  // namespace
}  // namespace tansa2
