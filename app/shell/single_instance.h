// One planner per user: a lock held for the life of the process. The system drops it
// when the process ends in any way, so a crash never blocks the next start.
#pragma once

#include <QString>

namespace tessel {

class InstanceLock {
 public:
  enum State {
    kHeld,      // this planner is the only one
    kBusy,      // another planner of this user holds it
    kUnusable,  // the lock file could not be made: nothing is known about other planners
  };
  // Takes the lock in `folder` (the user's runtime folder when empty).
  explicit InstanceLock(const QString& folder = QString());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  State Status() const { return state_; }
  bool Held() const { return state_ == kHeld; }
  // The lock file and what the system said, when it is unusable.
  const QString& Failure() const { return failure_; }

 private:
  int fd_ = -1;
  State state_ = kUnusable;
  QString failure_;
};

}  // namespace tessel
