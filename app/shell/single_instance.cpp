#include "shell/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "shell/files.h"

namespace tessel {

namespace {

// The requests and the answer on the socket, each one line.
constexpr char kOpen[] = "open ";
constexpr char kShow[] = "show";
constexpr char kDone[] = "ok";
// A request longer than a path can be is no request of ours.
constexpr qint64 kMaxRequest = 4096 + 16;
// How long a start waits before it looks again for a socket that is not there yet.
constexpr int kRetryMs = 100;

}  // namespace

QString InstanceFolder(const QString& folder) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  return dir;
}

QString ForwardingSocketName(const QString& folder) {
  return QDir(InstanceFolder(folder)).filePath(QString("tessel32-%1.socket").arg(::getuid()));
}

bool ForwardToRunningPlanner(const QString& folder, const QString& planFile, int timeoutMs) {
  QLocalSocket socket;
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    socket.connectToServer(ForwardingSocketName(folder));
    if (socket.waitForConnected(std::max(1, timeoutMs - static_cast<int>(clock.elapsed())))) break;
    if (clock.elapsed() + kRetryMs >= timeoutMs) return false;
    QThread::msleep(kRetryMs);
  }
  const QByteArray request =
      (planFile.isEmpty() ? QByteArray(kShow) : kOpen + planFile.toUtf8()) + '\n';
  socket.write(request);
  if (!socket.waitForBytesWritten(std::max(1, timeoutMs - static_cast<int>(clock.elapsed()))))
    return false;
  // The answer says the planner took it: only then may this start end quietly.
  while (!socket.canReadLine()) {
    const int left = timeoutMs - static_cast<int>(clock.elapsed());
    if (left <= 0 || !socket.waitForReadyRead(left)) return false;
  }
  return socket.readLine().trimmed() == kDone;
}

PlanReceiver::PlanReceiver(QObject* parent) : QObject(parent) {}

PlanReceiver::~PlanReceiver() {
  if (server_) server_->close();
}

bool PlanReceiver::Listen(const QString& folder, QString* why) {
  const QString name = ForwardingSocketName(folder);
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    if (why) *why = name + ": " + server_->errorString();
    return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
      Read(socket);
    }
  });
  return true;
}

void PlanReceiver::Read(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kMaxRequest) socket->abort();
    return;
  }
  const QByteArray line = socket->readLine(kMaxRequest).trimmed();
  QString plan;
  if (line.startsWith(kOpen)) {
    plan = QString::fromUtf8(line.mid(static_cast<qsizetype>(sizeof kOpen) - 1));
    // Only an absolute path means the same file in both processes.
    if (!QDir::isAbsolutePath(plan)) {
      socket->abort();
      return;
    }
  } else if (line != kShow) {
    socket->abort();
    return;
  }
  socket->write(QByteArray(kDone) + '\n');
  socket->flush();
  if (handler_)
    handler_(plan);
  else
    pending_ << plan;
}

void PlanReceiver::SetHandler(Handler handler) {
  handler_ = std::move(handler);
  const QStringList waiting = std::exchange(pending_, {});
  if (handler_)
    for (const QString& plan : waiting) handler_(plan);
}

InstanceLock::InstanceLock(const QString& folder) {
  const QString path =
      QDir(InstanceFolder(folder)).filePath(QString("tessel32-%1.lock").arg(::getuid()));
  fd_ = OpenLocked(path, true);
  if (fd_ >= 0) {
    state_ = kHeld;
    return;
  }
  const int why = errno;
  if (why == EWOULDBLOCK) {
    state_ = kBusy;
  } else {
    state_ = kUnusable;
    failure_ = path + ": " + QString::fromLocal8Bit(std::strerror(why));
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tessel
