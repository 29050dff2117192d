#include "platform/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>
#include <utility>

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

}  // namespace

QString InstanceName() {
  QString name = QStringLiteral("TANSA2-") + QString::number(getuid());
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

TStartLock::TStartLock(const QString& name)
    : file_(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock")) {
  // Without the lock (a folder that can't be written, a start hanging
  // while it holds it) the start goes on all the same.
  file_.tryLock(kStartLockMs);
}

bool SendToRunningInstance(const QString& name, const std::optional<TCopyData>& copyData) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kConnectMs)) return false;

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
