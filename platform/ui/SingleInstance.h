#pragma once
// One running instance per logon. The running instance listens on a local
// socket whose name marks it; a second start connects there, hands its
// command line over and ends.
//
// The exchange: every request is a 32-bit kind (big-endian) and, for copy
// data, a 32-bit identifier, a 32-bit byte count and the bytes. The running
// instance answers each request with one byte once it has handled it.
// Come forward: kind 1. Copy data: kind 2.
#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QLocalSocket;

namespace tansa2::platform {

struct TCopyData {
  uint32_t Identifier = 0;
  std::string Data;
};

// "TANSA2-" and the user id. With TANSA2_HOME set, also a short hash of
// that folder, so that tests and portable installs never meet the user's
// own running instance.
QString InstanceName();

// Held from before a start looks for the running instance until it listens
// itself, so that two starts at the same moment can't both become the
// running instance. The lock of a crashed start is taken over.
class TStartLock {
 public:
  explicit TStartLock(const QString& name);
  void Release() { file_.unlock(); }

 private:
  QLockFile file_;
};

// Asks the running instance called `name` to come forward and then, when
// given, hands it `copyData`; returns once it has answered both or has gone.
// False when no instance listens under the name: nothing was sent.
bool SendToRunningInstance(const QString& name, const std::optional<TCopyData>& copyData);

// The running instance's side. Requests are handled in the event loop.
class TInstanceServer {
 public:
  // Listens under `name`, once no instance answered there: a socket left
  // there by a crashed instance is removed first. False when it can't
  // listen: the program then runs without the mark.
  bool Listen(const QString& name);

  // From now on requests go to the two handlers; those of second starts
  // that connected since Listen are handled first.
  void Serve(std::function<void()> comeForward, std::function<void(const TCopyData& copyData)> copyData);

 private:
  void AcceptPending();
  void Read(QLocalSocket* socket);

  QLocalServer server_;
  std::function<void()> comeForward_;
  std::function<void(const TCopyData& copyData)> copyData_;
};

}  // namespace tansa2::platform
