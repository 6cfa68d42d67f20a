// Auto-save and recovery: while the user works, the plan is written now and then to a
// recovery file in the user's data folder, never over the user's own file, so that a
// crash or a killed process loses at most the last few seconds. The next start finds
// the file and offers it. A plain class without widgets: the main window feeds it the
// history serial and tells it when the plan is saved; tests drive it the same way.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace tessel {

// How long the planner waits after the last change before it writes, and the longest a
// stream of changes may put the write off: a user who keeps working without a pause
// still has a copy no older than that.
struct AutoSaveTiming {
  int delayMs = 3000;
  int longestWaitMs = 10000;
};

// The user's data folder for the planner ($XDG_DATA_HOME/tessel32 on Linux).
QString DefaultRecoveryFolder();

// The names inside the recovery folder.
constexpr const char kRecoveryPlanName[] = "recovery.tsd";
constexpr const char kRecoveryInfoName[] = "recovery.ini";

// What a recovery folder holds from an earlier run.
struct RecoveredPlan {
  enum State {
    kNone,        // nothing to offer
    kSameAsPlan,  // byte for byte what its plan's file holds: removed without a question
    kOffer,       // offer it
  };
  State state = kNone;
  QString recoveryFile;  // the recovered plan
  QString infoFile;      // its record
  QString planFile;      // the file the plan belonged to; empty for an untitled plan
  QDateTime written;     // when it was written
};

class AutoSave : public QObject {
  Q_OBJECT
 public:
  // Writes the plan to the given name (the engine's save); false when it could not.
  using SavePlan = std::function<bool(const QString& name)>;
  // The file the plan belongs to now; empty for an untitled plan.
  using PlanFile = std::function<QString()>;

  AutoSave(const QString& folder, SavePlan save, PlanFile planFile, AutoSaveTiming timing = {});
  ~AutoSave() override;

  QString Folder() const { return folder_; }
  QString RecoveryFile() const;
  QString InfoFile() const;

  // Turning it off removes what it wrote, unless `removeCopy` is false (the setting read
  // at start, before any copy of a previous run has been offered).
  void SetEnabled(bool enabled, bool removeCopy = true);
  // Another planner may be running with the same folder (the single-instance lock could
  // not be made): this one then neither writes nor removes anything there.
  void Suspend();
  bool Suspended() const { return suspended_; }
  // Without the single-instance lock another planner may share the folder: this one
  // then keeps its copy in files of its own, held by a lock of its own while it runs,
  // which a later start offers once their planner has gone. False, with the reason,
  // when those files cannot be made (auto-save is then suspended).
  bool UseOwnFiles(QString* why);
  bool OwnFiles() const { return ownLock_ >= 0; }
  // Whether something lifted from the plan hangs at the pointer: the plan without it is
  // no copy to keep, so a write waits until it is put down.
  void SetBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
  bool Enabled() const { return enabled_; }

  // The history serial after a command and whether the plan differs from its file. Only a
  // new serial counts as a change: pointer moves and repaints leave it as it was.
  void Observe(int serial, bool changed);
  // The plan is in its file now (saved, opened, new, or the planner ends cleanly): the
  // recovery file goes, and the serial is the new starting point.
  void Discard(int serial);
  // Keeps the recovery file that was just offered and taken: until the next write it
  // is the only copy of the recovered plan. A copy another planner left under its own
  // names is moved to this one's, so that the next write or save replaces it.
  void Adopt(int serial, const RecoveredPlan& taken = {});

  // Whether a write is waiting for its time.
  bool Pending() const { return timer_.isActive(); }
  // Writes now what is waiting (the timer's work); false when the write failed.
  bool WriteNow();
  // How many writes have been made, for the status and for tests.
  int Writes() const { return writes_; }
  // The reason of the last failed write; empty when the last write succeeded.
  const QString& LastFailure() const { return failure_; }

  // What a start finds in the folder: the shared copy (only for a planner that holds the
  // single-instance lock, `withShared`), else a copy of its own left by a planner that
  // has gone. A copy is offered whenever it differs from its plan's file, however new
  // that file's time is (a backup or sync tool may touch it).
  static RecoveredPlan Find(const QString& folder, bool withShared = true);
  // Moves a recovery file that cannot be read aside, so it is neither offered again nor
  // lost; the new name, or empty when it could not be moved.
  static QString SetAside(const QString& folder);
  static QString SetAside(const RecoveredPlan& found);
  // Removes the recovery file and its record.
  static void Remove(const QString& folder);
  static void Remove(const RecoveredPlan& found);

 signals:
  // After every write; ok false with LastFailure() when it failed.
  void written(bool ok);

 private:
  bool IsPlanFile() const;
  // Removes what this planner wrote, never the plan's own file.
  void RemoveOwn();

  QString folder_;
  // The names of the copy and its record without their endings.
  QString stem_;
  int ownLock_ = -1;
  SavePlan save_;
  PlanFile planFile_;
  AutoSaveTiming timing_;
  QTimer timer_;
  QElapsedTimer sinceFirstChange_;
  std::function<bool()> busy_;
  bool enabled_ = true;
  bool suspended_ = false;
  bool changed_ = false;
  // The first serial seen is where the window starts, not a change.
  bool haveSerial_ = false;
  int serial_ = 0;
  int writes_ = 0;
  QString failure_;
};

}  // namespace tessel
