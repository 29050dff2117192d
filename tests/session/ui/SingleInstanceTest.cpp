#include "platform/ui/SingleInstance.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;

// Sets or clears an environment variable for its lifetime; the earlier
// value comes back after.
class TVariable {
 public:
  TVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~TVariable() { Set(old_); }
  TVariable(const TVariable&) = delete;
  TVariable& operator=(const TVariable&) = delete;

 private:
  void Set(const std::optional<std::string>& value) const {
    if (value) setenv(name_, value->c_str(), 1);
    else unsetenv(name_);
  }

  const char* name_;
  std::optional<std::string> old_;
};

QString NameForHome(const TTempDir& home) {
  const TVariable variable("TANSA2_HOME", home.String());
  return InstanceName();
}

// The window program with its own settings folder, offscreen.
void StartWindowProgram(QProcess& process, const TTempDir& home, const QStringList& arguments,
                        const QString& workingFolder = QString()) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TANSA2_HOME"), QString::fromStdString(home.String()));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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

// Runs the window program as a second start while this process serves as
// the running instance; its exit code, -1 when it crashed or hung.
int RunSecondStart(const TTempDir& home, const QStringList& arguments, const QString& workingFolder = QString()) {
  QProcess process;
  StartWindowProgram(process, home, arguments, workingFolder);
  const bool ended = PumpUntil([&] { return process.state() == QProcess::NotRunning; });
  if (!ended) {
    process.kill();
    process.waitForFinished();
    return -1;
  }
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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

  int SecondStart(const QStringList& arguments, const QString& workingFolder = QString()) const {
    return RunSecondStart(home_, arguments, workingFolder);
  }

  // No search ran: the list is empty and the status bar says nothing.
  void ExpectNoSearch() const {
    EXPECT_EQ(Find<TKyGrepResult>("KyGrepResult")->DataCount(), 0);
    EXPECT_TRUE(Find<TStatusPanel>("KyFlatPanelStatus")->Text().isEmpty());
  }

  TTempDir home_;
  const TVariable homeVariable_{"TANSA2_HOME", home_.String()};
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
  EXPECT_TRUE(QFile::exists(name));
  EXPECT_FALSE(SendToRunningInstance(name, std::nullopt));

  QProcess next;
  StartWindowProgram(next, home, {QString::fromStdString(home.String())});
  EXPECT_TRUE(WaitUntilListening(name, next)) << next.readAllStandardError().toStdString();
  next.kill();
  next.waitForFinished();
  QLocalServer::removeServer(name);
}

// Where the channel may live, set out per test: a temporary folder of the
// test's own, shared by all users like /tmp, no runtime folder, and a
// TANSA2_HOME of its own.
class TChannelScene {
 public:
  TChannelScene() {
    // Other users may pass through to the shared folder.
    fs::permissions(root_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
  }
  const fs::path& Root() const { return root_.Path(); }
  const fs::path& Shared() const { return shared_; }
  fs::path Own() const { return shared_ / ("tansa2-" + std::to_string(geteuid())); }
  const TTempDir& Home() const { return home_; }

 private:
  static fs::path MakeShared(const fs::path& path) {
    fs::create_directory(path);
    fs::permissions(path, fs::perms::all | fs::perms::sticky_bit);
    return fs::canonical(path);
  }

  TTempDir root_;
  TTempDir home_;
  fs::path shared_ = MakeShared(root_.Path() / "tmp");
  const TVariable temporary_{"TMPDIR", shared_.string()};
  const TVariable runtime_{"XDG_RUNTIME_DIR", std::nullopt};
  const TVariable homeVariable_{"TANSA2_HOME", home_.String()};
};

void MakeFolder(const fs::path& path, mode_t mode) {
  fs::create_directory(path);
  ASSERT_EQ(chmod(path.c_str(), mode), 0);
}

constexpr uid_t kNobody = 65534;

void GiveToNobody(const fs::path& path) { ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0); }

// In a forked child, first; only system calls there, as the parent's
// other threads may have held locks at the fork.
bool BecomeNobody() { return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0; }

sockaddr_un SocketAddress(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

// Another user's socket at `path`: a child that has become nobody listens
// there and counts the bytes that reach it.
class TForeignListener {
 public:
  explicit TForeignListener(const fs::path& path) {
    int stop[2];
    int report[2];
    if (pipe2(stop, O_CLOEXEC) != 0) return;
    if (pipe2(report, O_CLOEXEC) != 0) {
      close(stop[0]);
      close(stop[1]);
      return;
    }
    const sockaddr_un address = SocketAddress(path);
    child_ = fork();
    if (child_ == 0) {
      close(stop[1]);
      close(report[0]);
      Listen(address, stop[0], report[1]);
    }
    close(stop[0]);
    close(report[1]);
    stop_ = stop[1];
    report_ = report[0];
    char ready = 0;
    ready_ = child_ > 0 && read(report_, &ready, 1) == 1;
  }
  ~TForeignListener() {
    if (stop_ >= 0) close(stop_);
    if (report_ >= 0) close(report_);
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }
  TForeignListener(const TForeignListener&) = delete;
  TForeignListener& operator=(const TForeignListener&) = delete;

  bool Ready() const { return ready_; }

  // Ends the listener; the bytes it heard, -1 when it failed.
  long Heard() {
    close(stop_);
    stop_ = -1;
    long heard = -1;
    if (read(report_, &heard, sizeof heard) != sizeof heard) heard = -1;
    waitpid(child_, nullptr, 0);
    child_ = -1;
    return heard;
  }

 private:
  [[noreturn]] static void Listen(const sockaddr_un& address, int stop, int report) {
    if (!BecomeNobody()) _exit(1);
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    if (server < 0 || bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(server, 8) != 0 || write(report, "R", 1) != 1)
      _exit(1);
    constexpr nfds_t kMaxFds = 16;
    pollfd fds[kMaxFds] = {{stop, POLLIN, 0}, {server, POLLIN, 0}};
    nfds_t count = 2;
    long heard = 0;
    while (poll(fds, count, -1) >= 0 || errno == EINTR) {
      if (fds[0].revents != 0) break;
      if ((fds[1].revents & POLLIN) != 0 && count < kMaxFds) {
        const int connection = accept(server, nullptr, nullptr);
        if (connection >= 0) fds[count++] = {connection, POLLIN, 0};
      }
      for (nfds_t i = 2; i < count; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        // Whatever it hears, it hangs up without an answer, so that a start
        // that talks to it ends instead of waiting.
        char buffer[512];
        const ssize_t size = read(fds[i].fd, buffer, sizeof buffer);
        if (size > 0) heard += size;
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    _exit(write(report, &heard, sizeof heard) == sizeof heard ? 0 : 1);
  }

  pid_t child_ = -1;
  int stop_ = -1;
  int report_ = -1;
  bool ready_ = false;
};

TEST(SingleInstanceChannelTest, ASocketOfAnotherUserHearsNothingAndTheStartIsAFirstStart) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
  testing::QtApp();
  enum TPlace { plOldPublicName, plOpenRuntimeFolder, plRuntimeFolderOfNobody, plMovedIntoOurFolder };
  struct TCase {
    const char* what;
    TPlace place;
  };
  const TCase cases[] = {
      {"at the old public name in the temporary folder", plOldPublicName},
      {"in a runtime folder open to others", plOpenRuntimeFolder},
      {"in a runtime folder of another user", plRuntimeFolderOfNobody},
      // Only root could do that, but the start still checks who listens.
      {"moved into our own folder", plMovedIntoOurFolder},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TChannelScene scene;
    const fs::path runtime = scene.Root() / "run";
    const std::string socketName = QFileInfo(InstanceName()).fileName().toStdString();
    std::optional<std::string> runtimeVariable;
    fs::path taken = scene.Shared() / socketName;
    if (c.place == plOpenRuntimeFolder || c.place == plRuntimeFolderOfNobody) {
      MakeFolder(runtime, c.place == plOpenRuntimeFolder ? 0777 : 0700);
      if (c.place == plRuntimeFolderOfNobody) GiveToNobody(runtime);
      runtimeVariable = runtime.string();
      taken = runtime / socketName;
    } else if (c.place == plMovedIntoOurFolder) {
      taken = scene.Shared() / "taken";
    }
    const TVariable runtimeSetting("XDG_RUNTIME_DIR", runtimeVariable);
    TForeignListener listener(taken);
    ASSERT_TRUE(listener.Ready());
    const QString name = InstanceName();
    ASSERT_FALSE(name.isEmpty());
    if (c.place == plMovedIntoOurFolder) {
      ASSERT_EQ(rename(taken.c_str(), name.toStdString().c_str()), 0);
    }

    QProcess start;
    StartWindowProgram(start, scene.Home(),
                       {QString::fromStdString(scene.Home().String()), QStringLiteral("秘密の検索語"), QStringLiteral("*.txt")});
    EXPECT_TRUE(WaitUntilListening(name, start)) << start.readAllStandardError().toStdString();
    start.kill();
    start.waitForFinished();
    EXPECT_EQ(listener.Heard(), 0);
  }
}

// Forks a child that becomes nobody, connects to `path` and sends
// `bytes`; it ends with 0 when no answer came, 1 when one did, 2 when it
// couldn't connect.
pid_t SendAsNobody(const fs::path& path, const QByteArray& bytes) {
  const sockaddr_un address = SocketAddress(path);
  const pid_t child = fork();
  if (child != 0) return child;
  if (!BecomeNobody()) _exit(2);
  const int connection = socket(AF_UNIX, SOCK_STREAM, 0);
  if (connection < 0 || connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    _exit(2);
  send(connection, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL);
  char answer = 0;
  _exit(read(connection, &answer, 1) == 1 ? 1 : 0);
}

TEST(SingleInstanceChannelTest, TheRunningInstanceDoesNotHearAnotherUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
  testing::QtApp();
  const TChannelScene scene;
  const QString name = InstanceName();
  TInstanceServer server;
  ASSERT_TRUE(server.Listen(name));
  int comeForward = 0;
  std::vector<platform::TCopyData> copyData;
  server.Serve([&] { ++comeForward; }, [&](const platform::TCopyData& data) { copyData.push_back(data); });

  // A way past the private folder, as only root could open one.
  const fs::path door = scene.Shared() / "door";
  ASSERT_EQ(link(name.toStdString().c_str(), door.c_str()), 0);
  ASSERT_EQ(chmod(door.c_str(), 0777), 0);
  const QByteArray text = QByteArray::fromStdString(HandOffData({"/src", "word"}));
  const pid_t sender = SendAsNobody(door, U32(1) + CopyData(kHandOffIdentifier, text.size(), text));
  int status = -1;
  const bool ended = PumpUntil([&] { return waitpid(sender, &status, WNOHANG) == sender; });
  if (!ended) {
    kill(sender, SIGKILL);
    waitpid(sender, &status, 0);
  }
  ASSERT_TRUE(ended);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: answered, 2: not connected";
  EXPECT_EQ(comeForward, 0);
  EXPECT_TRUE(copyData.empty());

  // The user's own starts still get through.
  {
    TSenderThread own(name, platform::TCopyData{kHandOffIdentifier, text.toStdString()});
    ASSERT_TRUE(PumpUntil([&] { return own.Done(); }));
    EXPECT_TRUE(own.Sent());
  }
  EXPECT_EQ(comeForward, 1);
  EXPECT_EQ(copyData.size(), 1u);
}

enum TChannelFolder { cfRuntime, cfOwn, cfNone };

struct TFolderCase {
  const char* what;
  bool runtimeSet;
  // What lies at the runtime folder's and our own folder's place; nothing
  // when empty.
  std::function<void(const fs::path& path)> runtime, own;
  TChannelFolder expected;
};

// Prepares each case in a scene of its own and looks where the channel
// goes; a folder that the start makes is private.
void ExpectChannelFolders(const std::vector<TFolderCase>& cases) {
  for (const TFolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TChannelScene scene;
    const fs::path runtime = scene.Root() / "run";
    if (c.runtime) c.runtime(runtime);
    if (c.own) c.own(scene.Own());
    const TVariable runtimeSetting("XDG_RUNTIME_DIR",
                                   c.runtimeSet ? std::optional<std::string>(runtime.string()) : std::nullopt);
    const QString name = InstanceName();
    const std::string folder = name.isEmpty() ? std::string() : QFileInfo(name).path().toStdString();
    const std::string expected[] = {runtime.string(), scene.Own().string(), std::string()};
    EXPECT_EQ(folder, expected[c.expected]);
    if (c.expected == cfOwn) {
      struct stat status {};
      ASSERT_EQ(lstat(scene.Own().c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 07777, 0700u);
    }
  }
}

TEST(SingleInstanceChannelTest, TheChannelLivesInAFolderOnlyTheUserCanEnter) {
  const auto folder = [](mode_t mode) { return [mode](const fs::path& path) { MakeFolder(path, mode); }; };
  const auto linkToPrivate = [](const fs::path& path) {
    MakeFolder(path.string() + "-real", 0700);
    fs::create_directory_symlink(path.string() + "-real", path);
  };
  const auto file = [](const fs::path& path) { std::ofstream(path).put('x'); };
  ExpectChannelFolders({
      {"no runtime folder: our own is made", false, nullptr, nullptr, cfOwn},
      {"a private runtime folder", true, folder(0700), nullptr, cfRuntime},
      {"a runtime folder open to others", true, folder(0777), nullptr, cfOwn},
      {"a runtime folder open to the group", true, folder(0750), nullptr, cfOwn},
      {"a runtime folder others may pass", true, folder(0701), nullptr, cfOwn},
      {"a link to a private runtime folder", true, linkToPrivate, nullptr, cfOwn},
      {"a runtime folder that isn't there", true, nullptr, nullptr, cfOwn},
      {"our own folder already there", false, nullptr, folder(0700), cfOwn},
      {"our own folder open to others", false, nullptr, folder(0777), cfNone},
      {"our own folder open to the group", false, nullptr, folder(0770), cfNone},
      {"our own folder a link to a private one", false, nullptr, linkToPrivate, cfNone},
      {"our own folder a file", false, nullptr, file, cfNone},
      {"both open to others", true, folder(0777), folder(0777), cfNone},
  });
}

TEST(SingleInstanceChannelTest, AFolderOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  const auto ofNobody = [](const fs::path& path) {
    MakeFolder(path, 0700);
    GiveToNobody(path);
  };
  ExpectChannelFolders({
      {"a runtime folder of another user", true, ofNobody, nullptr, cfOwn},
      {"our own folder of another user", false, nullptr, ofNobody, cfNone},
  });
}

TEST(SingleInstanceChannelTest, TwoStartsOfTheSameUserMeetWithAndWithoutARuntimeFolder) {
  testing::QtApp();
  const TTempDir searchDir;
  const std::string dir = searchDir.String();
  for (const bool withRuntime : {true, false}) {
    SCOPED_TRACE(withRuntime ? "with a runtime folder" : "without a runtime folder");
    const TChannelScene scene;
    const fs::path runtime = scene.Root() / "run";
    MakeFolder(runtime, 0700);
    const TVariable runtimeSetting("XDG_RUNTIME_DIR",
                                   withRuntime ? std::optional<std::string>(runtime.string()) : std::nullopt);
    const QString name = InstanceName();
    EXPECT_EQ(QFileInfo(name).path().toStdString(), (withRuntime ? runtime : scene.Own()).string());
    TInstanceServer server;
    ASSERT_TRUE(server.Listen(name));
    TFormTS2Main window;
    window.ServeSecondStarts(server);
    window.show();
    ASSERT_EQ(RunSecondStart(scene.Home(), {QString::fromStdString(dir), QStringLiteral("word"), QStringLiteral("*.c")}),
              0);
    EXPECT_EQ(testing::FindChild<TKyHistoryComboBox>(window, "KyFlatComboBoxExGrepStr")->Text(), "word");
    EXPECT_EQ(testing::FindChild<TKyHistoryComboBox>(window, "KyFlatComboBoxExGrepFileMask")->Text(), "*.c");
  }
}

}  // namespace
}  // namespace tansa2
