#pragma once
// One running instance per logon. The running instance listens on a local
// socket whose name marks it; a second start connects there, hands its
// command line over and ends.
//
// Where the channel lives: the socket and the start lock lie in a folder
// only the user can enter, $XDG_RUNTIME_DIR or else "tansa2-<uid>" in the
// temporary folder (mode 0700). A name in a shared folder could be taken by
// another user first, who would then be handed the directory and the
// search string. Both ends also check that the other side is the same user.
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

// The socket's path: "TANSA2-" and the user id in the private folder. With
// TANSA2_HOME set, also a short hash of that folder, so that tests and
// portable installs never meet the user's own running instance. Empty when
// the folder is someone else's or open to others: such a start neither
// looks for a running instance nor marks itself as one.
QString InstanceName();

// Held from before a start looks for the running instance until it listens
// itself, so that two starts at the same moment can't both become the
// running instance. The lock of a crashed start is taken over.
class TStartLock {
 public:
  explicit TStartLock(const QString& name);
  void Release();

 private:
  std::optional<QLockFile> file_;
};

// Asks the running instance called `name` to come forward and then, when
// given, hands it `copyData`; returns once it has answered both or has gone.
// False when no instance of this user listens under the name: nothing was
// sent.
bool SendToRunningInstance(const QString& name, const std::optional<TCopyData>& copyData);

// The running instance's side. Requests are handled in the event loop.
class TInstanceServer {
 public:
  // Listens under `name`, once no instance answered there: a socket left
  // there by a crashed instance (or by another user) is removed first.
  // False when it can't listen: the program then runs without the mark.
  // Connections of other users are dropped unheard.
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
