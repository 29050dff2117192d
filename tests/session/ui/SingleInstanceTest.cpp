#include "platform/ui/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dirpanel/ui/KyFlatDirView.h"
#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "results/ui/KyGrepResult.h"
#include "session/HandOff.h"
#include "session/ui/FrTS2Main.h"
#include "session/ui/StatusPanel.h"
#include "settings/ui/KyHistoryComboBox.h"
#include "tests/support/FindChild.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::InstanceName;
using platform::SendToRunningInstance;
using platform::TInstanceServer;
using testing::TTempDir;

// Sets TANSA2_HOME for its lifetime; the earlier value comes back after.
class THomeVariable {
 public:
  explicit THomeVariable(const std::string& home) {
    if (const char* old = std::getenv("TANSA2_HOME")) old_ = old;
    setenv("TANSA2_HOME", home.c_str(), 1);
  }
  ~THomeVariable() {
    if (old_) setenv("TANSA2_HOME", old_->c_str(), 1);
    else unsetenv("TANSA2_HOME");
  }

 private:
  std::optional<std::string> old_;
};

QString NameForHome(const TTempDir& home) {
  const THomeVariable variable(home.String());
  return InstanceName();
}

// The window program with its own settings folder, offscreen.
void StartWindowProgram(QProcess& process, const TTempDir& home, const QStringList& arguments,
                        const QString& workingFolder = QString()) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TANSA2_HOME"), QString::fromStdString(home.String()));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("TANSA2_AUTORUN"));
  process.setProcessEnvironment(environment);
  process.setProgram(QStringLiteral(TANSA2_WINDOW_PROGRAM));
  process.setArguments(arguments);
  process.setWorkingDirectory(workingFolder);
  process.start();
}

// Pumps events until `done` or, as a guard against a hang, many turns.
bool PumpUntil(const std::function<bool()>& done) {
  for (int turn = 0; turn < 20000; ++turn) {
    if (done()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return done();
}

// Until an instance answers under `name`; false when `process` ends first.
bool WaitUntilListening(const QString& name, QProcess& process) {
  for (int attempt = 0; attempt < 3000; ++attempt) {
    if (SendToRunningInstance(name, std::nullopt)) return true;
    if (process.waitForFinished(20)) return false;
  }
  return false;
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    // In the order of the program's start.
    ASSERT_TRUE(server_.Listen(InstanceName()));
    window_ = std::make_unique<TFormTS2Main>();
    window_->ServeSecondStarts(server_);
    window_->show();
    window_->activateWindow();
    QCoreApplication::processEvents();
  }

  template <class T>
  T* Find(const char* name) const {
    return testing::FindChild<T>(*window_, name);
  }
  TKyHistoryComboBox* GrepStr() const { return Find<TKyHistoryComboBox>("KyFlatComboBoxExGrepStr"); }
  TKyHistoryComboBox* GrepDir() const { return Find<TKyHistoryComboBox>("KyFlatComboBoxExGrepDir"); }
  TKyHistoryComboBox* FileMask() const { return Find<TKyHistoryComboBox>("KyFlatComboBoxExGrepFileMask"); }
  TKyHistoryComboBox* DirMask() const { return Find<TKyHistoryComboBox>("KyFlatComboBoxExGrepDirMask"); }
  bool HasFocus(QWidget* widget) const {
    QWidget* focus = window_->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
  }

  // Runs the window program as a second start while this process serves
  // as the running instance; its exit code, -1 when it crashed or hung.
  int SecondStart(const QStringList& arguments, const QString& workingFolder = QString()) {
    QProcess process;
    StartWindowProgram(process, home_, arguments, workingFolder);
    const bool ended = PumpUntil([&] { return process.state() == QProcess::NotRunning; });
    if (!ended) {
      process.kill();
      process.waitForFinished();
      return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  // No search ran: the list is empty and the status bar says nothing.
  void ExpectNoSearch() const {
    EXPECT_EQ(Find<TKyGrepResult>("KyGrepResult")->DataCount(), 0);
    EXPECT_TRUE(Find<TStatusPanel>("KyFlatPanelStatus")->Text().isEmpty());
  }

  TTempDir home_;
  THomeVariable homeVariable_{home_.String()};
  TTempDir searchDir_;
  TInstanceServer server_;
  std::unique_ptr<TFormTS2Main> window_;
};

TEST_F(SingleInstanceTest, ASecondStartFillsTheFieldsByItsParameterCount) {
  // A file that a started search would find.
  searchDir_.Write("main.c", "int main() { return 0; }\n");
  const QString dir = QString::fromStdString(searchDir_.String());
  const std::string home = home_.String();
  const std::string hyoji = platform::Utf8ToCp932("表示");
  struct TCase {
    QStringList arguments;
    std::string grepDir, grepStr, fileMask;
    const char* focus;  // nullptr: the focus stays in the directory mask
  };
  const TCase cases[] = {
      {{dir, QStringLiteral("表示"), QStringLiteral(" *.c ")}, searchDir_.String(), hyoji, "*.c", nullptr},
      {{dir, QStringLiteral("$$BLANK$$"), QStringLiteral("*.txt")}, searchDir_.String(), "", "*.txt",
       "KyFlatComboBoxExGrepStr"},
      {{dir}, searchDir_.String(), "", "", "KyFlatComboBoxExGrepStr"},
      {{QStringLiteral("  ") + dir + QStringLiteral("\t"), QStringLiteral(" main ")}, searchDir_.String(), " main ", "",
       "KyFlatComboBoxExGrepFileMask"},
      {{QString(), dir, QString(), QStringLiteral("main")}, searchDir_.String(), "main", "", "KyFlatComboBoxExGrepFileMask"},
      // Four parameters change no field; the tree still follows the field.
      {{dir, QStringLiteral("main"), QStringLiteral("*.c"), QStringLiteral("*.h")}, home, "old", "*.old", nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.arguments.join(QLatin1Char('|')).toStdString());
    GrepStr()->SetText("old");
    GrepDir()->SetText(home);
    FileMask()->SetText("*.old");
    DirMask()->SetText("*.*");
    DirMask()->setFocus();
    ASSERT_EQ(SecondStart(c.arguments), 0);
    EXPECT_EQ(GrepDir()->Text(), c.grepDir);
    EXPECT_EQ(GrepStr()->Text(), c.grepStr);
    EXPECT_EQ(FileMask()->Text(), c.fileMask);
    EXPECT_EQ(DirMask()->Text(), "*.*");
    EXPECT_EQ(Find<TKyFlatDirView>("KyFlatDirView")->GetSelectedDir(), c.grepDir);
    EXPECT_TRUE(HasFocus(c.focus ? Find<QWidget>(c.focus) : DirMask()));
    ExpectNoSearch();
  }
}

TEST_F(SingleInstanceTest, ASecondStartWithoutParametersOnlyBringsTheWindowForward) {
  GrepStr()->SetText("old");
  GrepDir()->SetText(home_.String());
  FileMask()->SetText("*.old");
  QWidget other;
  other.show();
  other.activateWindow();
  window_->showMinimized();
  ASSERT_TRUE(PumpUntil([&] { return window_->isMinimized() && QApplication::activeWindow() != window_.get(); }));

  ASSERT_EQ(SecondStart({}), 0);
  EXPECT_TRUE(PumpUntil([&] { return QApplication::activeWindow() == window_.get(); }));
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(GrepStr()->Text(), "old");
  EXPECT_EQ(GrepDir()->Text(), home_.String());
  EXPECT_EQ(FileMask()->Text(), "*.old");
  ExpectNoSearch();
}

// The running instance works in another folder: the second start sends
// the directory it meant. Names arrive as named; a search string CP932
// can't hold arrives as typed, and the search refuses it.
TEST_F(SingleInstanceTest, ASecondStartSendsItsDirectoryAndNamesAsTheyAre) {
  const std::string folder = searchDir_.String() + "/M\xC3\xBCller";
  searchDir_.Write("M\xC3\xBCller/a.txt", "caf\n");
  ASSERT_EQ(SecondStart({QStringLiteral("."), QStringLiteral("café"), QStringLiteral("*.txt")},
                        QString::fromStdString(folder)),
            0);
  EXPECT_EQ(platform::NativePath(GrepDir()->Text()), folder);
  EXPECT_EQ(GrepDir()->currentText(), QString::fromStdString(folder));
  EXPECT_EQ(GrepStr()->currentText(), QStringLiteral("café"));
  EXPECT_EQ(FileMask()->Text(), "*.txt");

  window_->ActionGrepStartExecute();
  EXPECT_EQ(Find<TKyGrepResult>("KyGrepResult")->DataCount(), 0);
  EXPECT_TRUE(HasFocus(GrepStr()));
  EXPECT_TRUE(Find<TStatusPanel>("KyFlatPanelStatus")->Text().contains(QStringLiteral("「é」")));

  ASSERT_EQ(SecondStart({QStringLiteral("..")}, QString::fromStdString(folder)), 0);
  EXPECT_EQ(GrepDir()->Text(), searchDir_.String());
}

// What a hand-off text may carry on this system: a parameter with a quote.
TEST_F(SingleInstanceTest, AParameterWithQuotesAndCommasArrivesWhole) {
  ASSERT_EQ(SecondStart({QString::fromStdString(searchDir_.String()), QStringLiteral("say \"a,b\""),
                         QStringLiteral("*.c,*.h")}),
            0);
  EXPECT_EQ(GrepStr()->Text(), "say \"a,b\"");
  EXPECT_EQ(FileMask()->Text(), "*.c,*.h");
  ExpectNoSearch();
}

TEST_F(SingleInstanceTest, AtAFirstStartTheParametersAreTakenAsTheyAre) {
  const std::string dir = searchDir_.String();
  const TFormTS2Main first({dir, std::string(kBlankSearchString), " *.c "});
  const auto field = [&](const char* name) {
    return first.findChild<TKyHistoryComboBox*>(QString::fromLatin1(name))->Text();
  };
  EXPECT_EQ(field("KyFlatComboBoxExGrepStr"), "$$BLANK$$");
  EXPECT_EQ(field("KyFlatComboBoxExGrepDir"), dir);
  EXPECT_EQ(field("KyFlatComboBoxExGrepFileMask"), " *.c ");
}

QByteArray U32(quint32 value) {
  char bytes[4];
  qToBigEndian(value, bytes);
  return QByteArray(bytes, 4);
}

QByteArray CopyData(quint32 identifier, quint32 length, const QByteArray& bytes) {
  return U32(2) + U32(identifier) + U32(length) + bytes;
}

TEST_F(SingleInstanceTest, GarbageOnTheSocketChangesNothingAndEndsOnlyThatConnection) {
  GrepStr()->SetText("old");
  const QByteArray text = QByteArray::fromStdString(HandOffData({searchDir_.String(), "new", "*.c"}));
  struct TCase {
    const char* what;
    QByteArray bytes;
    bool answered;  // else the instance ends the connection
  };
  const TCase cases[] = {
      {"another identifier", CopyData(101, text.size(), text), true},
      {"an unknown request", U32(7) + text, false},
      {"a huge length", CopyData(kHandOffIdentifier, 0xFFFFFFFFu, text), false},
      {"a length just past the limit", CopyData(kHandOffIdentifier, (4u << 20) + 1, text), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    QLocalSocket socket;
    socket.connectToServer(InstanceName());
    ASSERT_TRUE(PumpUntil([&] { return socket.state() == QLocalSocket::ConnectedState; }));
    socket.write(c.bytes);
    if (c.answered) {
      ASSERT_TRUE(PumpUntil([&] { return socket.bytesAvailable() > 0; }));
      EXPECT_EQ(socket.readAll().size(), 1);
    } else {
      EXPECT_TRUE(PumpUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }));
    }
    EXPECT_EQ(GrepStr()->Text(), "old");
  }

  // A request cut short is dropped when its sender goes.
  {
    QLocalSocket socket;
    socket.connectToServer(InstanceName());
    ASSERT_TRUE(PumpUntil([&] { return socket.state() == QLocalSocket::ConnectedState; }));
    socket.write(CopyData(kHandOffIdentifier, text.size(), text.left(5)));
    socket.flush();
    for (int turn = 0; turn < 20; ++turn) QCoreApplication::processEvents();
    socket.disconnectFromServer();
  }
  for (int turn = 0; turn < 20; ++turn) QCoreApplication::processEvents();
  EXPECT_EQ(GrepStr()->Text(), "old");

  // The instance still takes a proper hand-off afterwards.
  ASSERT_EQ(SecondStart({QString::fromStdString(searchDir_.String()), QStringLiteral("new")}), 0);
  EXPECT_EQ(GrepStr()->Text(), "new");
}

// A sender in another thread, which blocks until its answers while this
// thread pumps events for the server.
class TSenderThread {
 public:
  TSenderThread(const QString& name, std::optional<platform::TCopyData> copyData)
      : thread_([this, name, copyData] {
          sent_ = SendToRunningInstance(name, copyData);
          done_ = true;
        }) {}
  ~TSenderThread() { thread_.join(); }
  bool Done() const { return done_; }
  bool Sent() const { return sent_; }

 private:
  std::atomic<bool> done_{false};
  std::atomic<bool> sent_{false};
  std::thread thread_;
};

// A server with handlers that only note what they were given.
class InstanceServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::QtApp();
    ASSERT_TRUE(server_.Listen(name_));
  }
  void Serve() {
    server_.Serve([this] { ++comeForward_; },
                  [this](const platform::TCopyData& copyData) { copyData_.push_back(copyData); });
  }

  const TTempDir home_;
  const QString name_ = NameForHome(home_);
  TInstanceServer server_;
  int comeForward_ = 0;
  std::vector<platform::TCopyData> copyData_;
};

TEST_F(InstanceServerTest, RequestsBeforeServingWaitForTheHandlers) {
  TSenderThread sender(name_, platform::TCopyData{kHandOffIdentifier, std::string("\"/src\"\0", 7)});
  // Long enough for the connection and its bytes to arrive unserved.
  for (int turn = 0; turn < 50; ++turn) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  EXPECT_FALSE(sender.Done());
  Serve();
  ASSERT_TRUE(PumpUntil([&] { return sender.Done(); }));
  EXPECT_TRUE(sender.Sent());
  EXPECT_EQ(comeForward_, 1);
  ASSERT_EQ(copyData_.size(), 1u);
  EXPECT_EQ(copyData_[0].Identifier, kHandOffIdentifier);
  EXPECT_EQ(copyData_[0].Data, std::string("\"/src\"\0", 7));
}

TEST_F(InstanceServerTest, AnOversizedHandOffIsRefusedAndTheSenderStillEnds) {
  Serve();
  {
    TSenderThread sender(name_, platform::TCopyData{kHandOffIdentifier, std::string((4u << 20) + 1, 'x')});
    ASSERT_TRUE(PumpUntil([&] { return sender.Done(); }));
    EXPECT_TRUE(sender.Sent());
  }
  EXPECT_EQ(comeForward_, 1);
  EXPECT_TRUE(copyData_.empty());
  // Nobody listens under another name: nothing is sent.
  EXPECT_FALSE(SendToRunningInstance(name_ + QStringLiteral("-none"), std::nullopt));
}

TEST(SingleInstanceCrashTest, AfterAKilledInstanceTheNextStartIsAFirstStart) {
  testing::QtApp();
  const TTempDir home;
  const QString name = NameForHome(home);
  ASSERT_NE(name, InstanceName());

  QProcess first;
  StartWindowProgram(first, home, {});
  ASSERT_TRUE(WaitUntilListening(name, first));
  first.kill();
  ASSERT_TRUE(first.waitForFinished());
  // The dead instance's socket is still there, and nobody answers on it.
  EXPECT_TRUE(QFile::exists(QDir::tempPath() + QLatin1Char('/') + name));
  EXPECT_FALSE(SendToRunningInstance(name, std::nullopt));

  QProcess next;
  StartWindowProgram(next, home, {QString::fromStdString(home.String())});
  EXPECT_TRUE(WaitUntilListening(name, next)) << next.readAllStandardError().toStdString();
  next.kill();
  next.waitForFinished();
  QLocalServer::removeServer(name);
}

}  // namespace
}  // namespace tansa2
