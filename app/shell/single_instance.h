// One planner per user: a lock held for the life of the process. The system drops it
// when the process ends in any way, so a crash never blocks the next start.
#pragma once

#include <QString>

namespace tessel {

class InstanceLock {
 public:
  // Takes the lock in `folder` (the user's runtime folder when empty).
  explicit InstanceLock(const QString& folder = QString());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  // False when another planner of this user holds it.
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace tessel
