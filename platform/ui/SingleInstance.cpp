#include "platform/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>
#include <optional>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tansa2::platform {
namespace {

constexpr quint32 kComeForward = 1;
constexpr quint32 kCopyData = 2;
constexpr qint64 kKindSize = 4;
constexpr qint64 kCopyDataHeaderSize = 12;
// Far above any command line; a longer count is garbage and ends the
// connection before anything is allocated for it.
constexpr quint32 kMaxCopyData = 4u << 20;
constexpr char kAnswer = '\x06';
constexpr int kConnectMs = 5000;
constexpr int kStartLockMs = 10000;

void AppendU32(QByteArray& bytes, quint32 value) {
  char buffer[4];
  qToBigEndian(value, buffer);
  bytes.append(buffer, sizeof buffer);
}

quint32 U32At(const QByteArray& bytes, qsizetype offset) {
  return qFromBigEndian<quint32>(bytes.constData() + offset);
}

// A folder that only this user can enter: a real directory, not a link to
// one, owned by the user, and with no rights for the group or others. No
// other user can then put a socket or a lock under the names inside it.
bool IsPrivateFolder(const QString& path) {
  struct stat status {};
  return lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The folder of the channel. The session's runtime folder is made for
// this; without one, "tansa2-<uid>" in the temporary folder, made on first
// use. Nothing when that folder is someone else's or open to others: it
// may have been set up to catch the hand-off.
std::optional<QString> ChannelFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)) return runtime;
  const QString own = QDir::tempPath() + QStringLiteral("/tansa2-") + QString::number(geteuid());
  // An existing folder is checked below like a new one.
  mkdir(QFile::encodeName(own).constData(), S_IRWXU);
  if (IsPrivateFolder(own)) return own;
  return std::nullopt;
}

// Who is on the other side of a connected local socket: this user only.
bool PeerIsThisUser(qintptr descriptor) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         size == sizeof peer && peer.uid == geteuid();
}

}  // namespace

QString InstanceName() {
  const std::optional<QString> folder = ChannelFolder();
  if (!folder) return {};
  QString name = *folder + QStringLiteral("/TANSA2-") + QString::number(geteuid());
  const QString home = qEnvironmentVariable("TANSA2_HOME");
  if (!home.isEmpty()) {
    // The same folder under another spelling is the same instance.
    const QFileInfo info(home);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    name += QLatin1Char('-') +
            QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
  }
  return name;
}

TStartLock::TStartLock(const QString& name) {
  if (name.isEmpty()) return;
  // Without the lock (a folder that can't be written, a start hanging
  // while it holds it) the start goes on all the same.
  file_.emplace(name + QStringLiteral(".lock")).tryLock(kStartLockMs);
}

void TStartLock::Release() {
  if (file_) file_->unlock();
}

bool SendToRunningInstance(const QString& name, const std::optional<TCopyData>& copyData) {
  if (name.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kConnectMs)) return false;
  // The command line goes to this user's own instance only.
  if (!PeerIsThisUser(socket.socketDescriptor())) {
    socket.abort();
    return false;
  }

  QByteArray requests;
  AppendU32(requests, kComeForward);
  int expected = 1;
  if (copyData) {
    AppendU32(requests, kCopyData);
    AppendU32(requests, copyData->Identifier);
    AppendU32(requests, static_cast<quint32>(copyData->Data.size()));
    requests.append(copyData->Data.data(), static_cast<qsizetype>(copyData->Data.size()));
    ++expected;
  }
  socket.write(requests);
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(-1)) return true;
  // The running instance answers after handling, however long a modal
  // dialog or a search keeps it; a vanished instance ends the wait.
  qint64 answers = 0;
  while (answers < expected && socket.waitForReadyRead(-1)) answers += socket.readAll().size();
  return true;
}

bool TInstanceServer::Listen(const QString& name) {
  if (name.isEmpty()) return false;
  // Only this user may hand a command line over.
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  // Nobody answered there, so a socket under the name is a dead instance's.
  QLocalServer::removeServer(name);
  return server_.listen(name);
}

void TInstanceServer::Serve(std::function<void()> comeForward,
                            std::function<void(const TCopyData& copyData)> copyData) {
  comeForward_ = std::move(comeForward);
  copyData_ = std::move(copyData);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] { AcceptPending(); });
  AcceptPending();
}

void TInstanceServer::AcceptPending() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    // Other users can't enter the folder; should one get through all the
    // same, nothing it sends is heard.
    if (!PeerIsThisUser(socket->socketDescriptor())) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Read(socket); });
    Read(socket);
  }
}

void TInstanceServer::Read(QLocalSocket* socket) {
  // A handler may pump events, in which the other side can go away.
  const QPointer<QLocalSocket> alive(socket);
  while (alive && alive->state() == QLocalSocket::ConnectedState) {
    const QByteArray head = socket->peek(kCopyDataHeaderSize);
    if (head.size() < kKindSize) return;
    const quint32 kind = U32At(head, 0);
    if (kind == kComeForward) {
      socket->skip(kKindSize);
      comeForward_();
    } else if (kind == kCopyData) {
      if (head.size() < kCopyDataHeaderSize) return;
      const quint32 length = U32At(head, 8);
      if (length > kMaxCopyData) {
        socket->abort();
        return;
      }
      if (socket->bytesAvailable() < kCopyDataHeaderSize + length) return;
      socket->skip(kCopyDataHeaderSize);
      const QByteArray data = socket->read(length);
      copyData_({U32At(head, 4), data.toStdString()});
    } else {
      socket->abort();
      return;
    }
    if (alive) alive->write(&kAnswer, 1);
  }
}

}  // namespace tansa2::platform
