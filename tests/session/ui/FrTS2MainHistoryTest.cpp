// The result history and opening a result in the editor, driven through the
// main window as the user drives them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "platform/ui/QtText.h"
#include "results/ui/KyGrepResult.h"
#include "session/ui/FrTS2Main.h"
#include "settings/IniFileEx.h"
#include "settings/Locations.h"
#include "settings/SettingsSections.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;
using platform::ToQString;

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

long LineCount(const fs::path& path) {
  const std::string text = ReadFile(path);
  return std::count(text.begin(), text.end(), '\n');
}

// Runs the event loop until `done` holds; false when it doesn't within ten
// seconds, which only a broken program takes.
bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 10000) return false;
    QApplication::processEvents();
    QThread::msleep(5);
  }
  return true;
}

class FrTS2MainHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    // The window reads and writes its settings and history under TANSA2_HOME.
    if (const char* old = std::getenv("TANSA2_HOME")) oldHome_ = old;
    setenv("TANSA2_HOME", home_.String().c_str(), 1);
    data_.Write("a.txt", "alpha\n");
    data_.Write("b.txt", "beta\nbeta two\n");
    data_.Write("c.txt", "gamma\ngamma\ngamma\n");
    data_.Write("d.txt", "delta\n");
  }
  void TearDown() override {
    if (window_) window_->close();
    window_.reset();
    if (oldHome_) setenv("TANSA2_HOME", oldHome_->c_str(), 1);
    else unsetenv("TANSA2_HOME");
  }

  // Settings the window will read when it is created.
  void WriteSettings(const std::function<void(TIniFileEx&)>& write) const {
    TIniFileEx ini(GetIniFileName());
    write(ini);
    ini.UpdateFile();
  }

  void Open() {
    window_ = std::make_unique<TFormTS2Main>();
    window_->show();
    QApplication::processEvents();
  }
  void Restart() {
    window_->close();
    window_.reset();
    Open();
  }

  QAction* Action(const char* name) const { return testing::FindChild<QAction>(*window_, name); }
  QCheckBox* Box(const char* name) const { return testing::FindChild<QCheckBox>(*window_, name); }
  TKyHistoryComboBox* Field(const char* name) const {
    return testing::FindChild<TKyHistoryComboBox>(*window_, name);
  }
  TKyHistoryComboBox* GrepStr() const { return Field("KyFlatComboBoxExGrepStr"); }
  TKyGrepResult* List() const { return testing::FindChild<TKyGrepResult>(*window_, "KyGrepResult"); }
  fs::path Tmp() const { return fs::path(GetTmpDir()); }

  // Starts a search as Enter in a field does; the entry is not written yet.
  void StartSearch(const char* text, const std::string& dir) {
    GrepStr()->SetText(text);
    Field("KyFlatComboBoxExGrepDir")->SetText(dir);
    Field("KyFlatComboBoxExGrepFileMask")->SetText("*.txt");
    window_->ActionGrepStartExecute();
  }
  // A search whose entry, if any, is on disk afterwards.
  void Search(const char* text) { Search(text, data_.String()); }
  void Search(const char* text, const std::string& dir) {
    StartSearch(text, dir);
    ASSERT_TRUE(WaitFor([this] { return Action("ActionGrepStart")->isEnabled(); }));
  }

  // What the screen shows of an entry: the search string and the row count.
  std::pair<std::string, int> Shown() const { return {GrepStr()->Text(), List()->DataCount()}; }
  using Shows = std::pair<std::string, int>;

  std::vector<std::string> Enabled() const {
    std::vector<std::string> names;
    for (const char* name : {"ActionResultPrev", "ActionResultNext", "ActionResultClearHistory"})
      if (Action(name)->isEnabled()) names.push_back(name);
    return names;
  }

  testing::TTempDir home_;
  testing::TTempDir data_;
  std::optional<std::string> oldHome_;
  std::unique_ptr<TFormTS2Main> window_;
};

TEST_F(FrTS2MainHistoryTest, BackAndForwardWalkTheEntriesAndSurviveARestart) {
  Open();
  Box("KyFlatCheckBoxGrepMatchCase")->setChecked(true);
  Search("alpha");
  Box("KyFlatCheckBoxGrepMatchCase")->setChecked(false);
  Box("KyFlatCheckBoxGrepNoRegExp")->setChecked(true);
  Search("beta");
  Box("KyFlatCheckBoxGrepNoRegExp")->setChecked(false);
  Search("gamma");
  for (int n = 1; n <= 3; ++n) {
    EXPECT_TRUE(fs::exists(Tmp() / ("GrepParam." + std::to_string(n))));
    EXPECT_TRUE(fs::exists(Tmp() / ("GrepResult." + std::to_string(n))));
  }
  EXPECT_EQ(Enabled(), (std::vector<std::string>{"ActionResultPrev", "ActionResultClearHistory"}));

  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("beta", 2));
  EXPECT_TRUE(Box("KyFlatCheckBoxGrepNoRegExp")->isChecked());
  EXPECT_FALSE(Box("KyFlatCheckBoxGrepMatchCase")->isChecked());
  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("alpha", 1));
  EXPECT_TRUE(Box("KyFlatCheckBoxGrepMatchCase")->isChecked());
  EXPECT_FALSE(Box("KyFlatCheckBoxGrepNoRegExp")->isChecked());
  EXPECT_EQ(Field("KyFlatComboBoxExGrepDir")->Text(), data_.String());
  EXPECT_EQ(Enabled(), (std::vector<std::string>{"ActionResultNext", "ActionResultClearHistory"}));
  Action("ActionResultPrev")->trigger();  // disabled at the oldest entry
  EXPECT_EQ(Shown(), Shows("alpha", 1));
  Action("ActionResultNext")->trigger();
  EXPECT_EQ(Shown(), Shows("beta", 2));

  // A search while an older entry is on show becomes the newest.
  Action("ActionResultPrev")->trigger();
  Search("delta");
  EXPECT_TRUE(fs::exists(Tmp() / "GrepParam.4"));
  EXPECT_EQ(Enabled(), (std::vector<std::string>{"ActionResultPrev", "ActionResultClearHistory"}));
  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));

  Restart();
  EXPECT_EQ(List()->DataCount(), 0);
  EXPECT_EQ(Enabled(), (std::vector<std::string>{"ActionResultPrev", "ActionResultClearHistory"}));
  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("delta", 1));
}

TEST_F(FrTS2MainHistoryTest, ClearHistoryEmptiesTheTmpFolderButNotWhatALinkPointsTo) {
  testing::TTempDir outside;
  const std::string precious = outside.Write("precious.txt", "keep");
  Open();
  Search("alpha");
  Search("beta");
  std::ofstream(Tmp() / "other.txt") << "x";
  std::ofstream(Tmp() / ".hidden") << "x";
  fs::create_directories(Tmp() / "sub" / "deeper");
  std::ofstream(Tmp() / "sub" / "deeper" / "f") << "x";
  fs::create_directory_symlink(outside.Path(), Tmp() / "link");

  Action("ActionResultClearHistory")->trigger();
  EXPECT_TRUE(fs::is_directory(Tmp()));
  EXPECT_TRUE(fs::is_empty(Tmp()));
  EXPECT_EQ(ReadFile(precious), "keep");
  EXPECT_EQ(Shown(), Shows("beta", 2));
  EXPECT_TRUE(Enabled().empty());

  Search("gamma");
  EXPECT_TRUE(fs::exists(Tmp() / "GrepParam.1"));
  EXPECT_EQ(Enabled(), std::vector<std::string>{"ActionResultClearHistory"});
}

TEST_F(FrTS2MainHistoryTest, DamagedOrMissingEntriesChangeNothingOnScreen) {
  Open();
  Search("alpha");
  Search("beta");
  Search("gamma");
  std::ofstream(Tmp() / "GrepParam.2", std::ios::binary) << "beta\r\ndir\r\n*.txt\r\nx\r\n\r\n0\r\n0\r\n0\r\n";
  fs::remove(Tmp() / "GrepResult.1");

  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));
  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));
  Action("ActionResultPrev")->trigger();  // at the oldest entry: nothing to step to
  EXPECT_EQ(Shown(), Shows("gamma", 3));

  // An entry written before automatic detection could be chosen had it on.
  std::ofstream(Tmp() / "GrepParam.2", std::ios::binary)
      << "beta7\r\n" << data_.String() << "\r\n*.txt\r\n0\r\n\r\n0\r\n0\r\n";
  Box("KyFlatCheckBoxGrepAutoCode")->setChecked(false);
  Action("ActionResultNext")->trigger();
  EXPECT_EQ(Shown(), Shows("beta7", 2));
  EXPECT_TRUE(Box("KyFlatCheckBoxGrepAutoCode")->isChecked());
  Action("ActionResultNext")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));
}

TEST_F(FrTS2MainHistoryTest, RunsWithoutHitsOrWithTheHistoryOffMakeNoEntry) {
  Open();
  Search("absent");
  EXPECT_TRUE(fs::is_empty(Tmp()));
  EXPECT_TRUE(Enabled().empty());
  window_->close();
  window_.reset();

  WriteSettings([](TIniFileEx& ini) { WriteGrepHistory(ini, TGrepHistoryInfo{false, 1, 2, 0}); });
  std::ofstream(Tmp() / "GrepParam.1") << "kept";
  Open();
  Search("alpha");
  // Nothing waits to be written: the start command is free at once.
  EXPECT_TRUE(Action("ActionGrepStart")->isEnabled());
  EXPECT_EQ(ReadFile(Tmp() / "GrepParam.1"), "kept");
  EXPECT_FALSE(fs::exists(Tmp() / "GrepParam.3"));
  EXPECT_EQ(Enabled(), std::vector<std::string>{"ActionResultClearHistory"});
}

TEST_F(FrTS2MainHistoryTest, AWaitingEntryBlocksTheHistoryAndIsWrittenBeforeTheNextSearch) {
  Open();
  Search("alpha");
  Search("beta");
  StartSearch("gamma", data_.String());
  EXPECT_FALSE(Action("ActionGrepStart")->isEnabled());
  EXPECT_TRUE(Enabled().empty());
  Action("ActionResultPrev")->trigger();
  Action("ActionResultClearHistory")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));
  EXPECT_FALSE(fs::exists(Tmp() / "GrepParam.3"));

  // Enter in a field starts the next search at once; the waiting entry is
  // written from its own search first.
  StartSearch("delta", data_.String());
  EXPECT_EQ(ReadFile(Tmp() / "GrepParam.3").substr(0, 7), "gamma\r\n");
  EXPECT_EQ(LineCount(Tmp() / "GrepResult.3"), 3);
  ASSERT_TRUE(WaitFor([this] { return Action("ActionGrepStart")->isEnabled(); }));
  EXPECT_EQ(ReadFile(Tmp() / "GrepParam.4").substr(0, 7), "delta\r\n");
  EXPECT_EQ(Enabled(), (std::vector<std::string>{"ActionResultPrev", "ActionResultClearHistory"}));

  // Emptying the list keeps the waiting entry's rows first.
  StartSearch("beta", data_.String());
  Action("ActionResultClear")->trigger();
  EXPECT_EQ(List()->DataCount(), 0);
  EXPECT_EQ(LineCount(Tmp() / "GrepResult.5"), 2);
}

TEST_F(FrTS2MainHistoryTest, AWindowClosedRightAfterASearchStillWritesItsEntry) {
  Open();
  StartSearch("gamma", data_.String());
  Restart();
  EXPECT_EQ(LineCount(Tmp() / "GrepResult.1"), 3);
  Action("ActionResultPrev")->trigger();
  EXPECT_EQ(Shown(), Shows("gamma", 3));
}

// A script as the editor: it writes the arguments it was given, each ended
// by a zero byte, next to itself.
class FrTS2MainEditorTest : public FrTS2MainHistoryTest {
 protected:
  void UseEditor(const std::string& exeName, const char* cmdLine) const {
    WriteSettings([&](TIniFileEx& ini) {
      TEditorInfo editor;
      editor.ExeName = exeName;
      editor.CmdLine = cmdLine;
      WriteEditor(ini, editor);
    });
  }
  std::string WriteScript() const {
    const std::string script = tools_.Write("bin dir/editor.sh",
                                            "#!/bin/sh\n"
                                            "out=\"$(dirname \"$0\")/args\"\n"
                                            "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.part\"\n"
                                            "mv \"$out.part\" \"$out\"\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
  }
  // The arguments of the editor's latest start, which is then forgotten.
  std::vector<std::string> EditorArguments() const {
    const fs::path out = tools_.Path() / "bin dir" / "args";
    if (!WaitFor([&] { return fs::exists(out); })) return {};
    const std::string text = ReadFile(out);
    fs::remove(out);
    std::vector<std::string> args;
    for (size_t pos = 0, end; (end = text.find('\0', pos)) != std::string::npos; pos = end + 1)
      args.push_back(text.substr(pos, end - pos));
    return args;
  }
  static void Key(QWidget* receiver, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
  }
  void DoubleClickFirstRow() const {
    const QFontMetrics metrics(List()->font());
    const QPointF point(20, metrics.height() + 6 + (metrics.height() + 4) / 2);
    QMouseEvent click(QEvent::MouseButtonDblClick, point, List()->viewport()->mapToGlobal(point),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &click);
  }

  testing::TTempDir tools_;
};

TEST_F(FrTS2MainEditorTest, TheEditorGetsTheRowsFileLineAndMatchedText) {
  UseEditor(WriteScript(), "-n%L %F %s");
  const std::string name = data_.Write("sub dir/東京 a.txt", "x\nsay \"hi\" now\n");
  Open();
  Box("KyFlatCheckBoxGrepNoRegExp")->setChecked(true);
  Box("KyFlatCheckBoxGrepSubDir")->setChecked(true);
  Search("\"hi\"");
  ASSERT_EQ(List()->DataCount(), 1);
  const std::vector<std::string> expected = {"-n2", name, "\"hi\""};

  List()->setFocus();
  Key(List(), Qt::Key_Return);
  EXPECT_EQ(EditorArguments(), expected);
  Action("ActionResultEditor")->trigger();
  EXPECT_EQ(EditorArguments(), expected);
  DoubleClickFirstRow();
  EXPECT_EQ(EditorArguments(), expected);
}

// Names that differ only in characters CP932 lacks, names that look like
// others once those become "?", and names in legacy encodings: each file is
// found once under its own name, shown with its true characters, and the
// editor gets the path the file system knows.
TEST_F(FrTS2MainEditorTest, EveryKindOfNameIsFoundOnceShownAsItIsAndOpenedAsItIs) {
  UseEditor(WriteScript(), "%F");
  testing::TTempDir tree;
  const struct {
    const char* name;
    const char* shown;
  } files[] = {
      {"\xC3\xA9/a.txt", "é/a.txt"},
      {"\xC3\xA8/a.txt", "è/a.txt"},
      {"r\xC3\xA9s.txt", "rés.txt"},
      {"r?s.txt", "r?s.txt"},
      {"\xF0\x9F\x98\x80.txt", "😀.txt"},
      {"\xC3\xA9.txt", "é.txt"},
      {"\x83\x5C\x83\x74\x83\x67.txt", "\\x83\\\\x83t\\x83g.txt"},  // ソフト in Shift-JIS bytes
      {"\xC6\xFC\xCB\xDC.txt", "\\xC6\\xFC\\xCB\\xDC.txt"},        // 日本 in EUC-JP bytes
  };
  std::map<std::string, QString> expected;  // native path -> shown path
  for (const auto& file : files)
    expected[tree.Write(file.name, "needle\n")] = QString::fromStdString(tree.String() + "/") + QString::fromUtf8(file.shown);
  Open();
  Box("KyFlatCheckBoxGrepSubDir")->setChecked(true);
  Search("needle", tree.String());

  ASSERT_EQ(List()->DataCount(), static_cast<int>(std::size(files)));
  std::map<std::string, int> found;
  for (int i = 0; i < List()->DataCount(); ++i) {
    List()->SelectData(i);
    const std::string native = platform::NativePath(List()->SelectedFileName());
    ++found[native];
    ASSERT_TRUE(expected.count(native)) << native;
    EXPECT_EQ(platform::NameToQString(List()->SelectedFileName()), expected[native]);
    Action("ActionResultEditor")->trigger();
    EXPECT_EQ(EditorArguments(), std::vector<std::string>{native});
  }
  for (const auto& [native, count] : found) EXPECT_EQ(count, 1) << native;
}

TEST_F(FrTS2MainEditorTest, AMissingEditorIsReportedAndNothingElseHappens) {
  UseEditor(tools_.String() + "/no such/editor", "%F");
  Open();
  Search("beta");
  QString text;
  int boxes = 0;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++boxes;
      text = box->text();
      box->close();
    }
  });
  watcher.start();
  Action("ActionResultEditor")->trigger();
  watcher.stop();
  EXPECT_EQ(boxes, 1);
  EXPECT_TRUE(text.startsWith(ToQString(tools_.String() + "/no such/editor") + QStringLiteral(" を起動できませんでした。")))
      << text.toStdString();
  EXPECT_EQ(Shown(), Shows("beta", 2));
  EXPECT_TRUE(Action("ActionResultEditor")->isEnabled());
}

TEST_F(FrTS2MainEditorTest, WithoutAnEditorOpeningDoesNothing) {
  UseEditor("", "%F");
  Open();
  Search("beta");
  List()->setFocus();
  Key(List(), Qt::Key_Return);
  Action("ActionResultEditor")->trigger();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Shown(), Shows("beta", 2));
}

}  // namespace
}  // namespace tansa2
