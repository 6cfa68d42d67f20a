#include "shell/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace tessel {

InstanceLock::InstanceLock(const QString& folder) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  const QString path = QDir(dir).filePath(QString("tessel32-%1.lock").arg(::getuid()));
  fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    failure_ = path + ": " + QString::fromLocal8Bit(std::strerror(errno));
    state_ = kUnusable;
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    state_ = kHeld;
    return;
  }
  const int why = errno;
  ::close(fd_);
  fd_ = -1;
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
