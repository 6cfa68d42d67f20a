// One planner per user: a lock held for the life of the process. The system drops it
// when the process ends in any way, so a crash never blocks the next start.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

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

// The per-user folder the lock and the forwarding socket live in: `folder`, else the
// user's runtime folder (XDG_RUNTIME_DIR), else the temporary folder.
QString InstanceFolder(const QString& folder = QString());
// The name of the running planner's socket in that folder.
QString ForwardingSocketName(const QString& folder = QString());

// A second start hands its plan (or, with none, just the wish to be seen) to the
// running planner. True once that planner has confirmed it; false when it cannot be
// reached within `timeoutMs` (hung, or an older planner without a socket). A planner
// that is still starting gets its socket soon: the start keeps trying until then.
bool ForwardToRunningPlanner(const QString& folder, const QString& planFile, int timeoutMs);

// The running planner's end of it: listens on the socket and reports each request.
// A request is one line: "open" and an absolute path, or "show". Only the lock's
// holder listens, so a socket file left by a crash is its own to replace.
class PlanReceiver : public QObject {
  Q_OBJECT
 public:
  // planFile is empty when the other start named no plan.
  using Handler = std::function<void(const QString& planFile)>;
  explicit PlanReceiver(QObject* parent = nullptr);
  ~PlanReceiver() override;
  // False with the reason when the socket cannot be made; the planner runs on without.
  bool Listen(const QString& folder, QString* why = nullptr);
  // Who opens the plans; requests taken before there was one (while the planner was
  // still starting) go to it now, in their order.
  void SetHandler(Handler handler);

 private:
  void Read(QLocalSocket* socket);
  QLocalServer* server_ = nullptr;
  Handler handler_;
  QStringList pending_;
};

}  // namespace tessel
