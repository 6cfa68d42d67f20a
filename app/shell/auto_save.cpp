#include "shell/auto_save.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "language/language.h"
#include "shell/files.h"

namespace tessel {

namespace {

// The engine writes beside the recovery file under this name, which is then renamed
// over it: a process killed during the write leaves the last whole copy in place.
constexpr const char kPartSuffix[] = ".part";
// The record's keys. The plan's name is percent-encoded, so a name with a line break in
// it still takes one line.
constexpr const char kPlanKey[] = "plan=";
constexpr const char kSetAsidePattern[] = "recovery-damaged-%1.tsd";
constexpr const char kSharedStem[] = "recovery";
// A planner's own copy: "recovery-<process>-<start>", with its lock beside it.
constexpr const char kOwnStem[] = "recovery-%1-%2";
constexpr const char kOwnPattern[] = R"(^recovery-\d+-\d+\.tsd$)";
constexpr const char kPlanEnding[] = ".tsd";
constexpr const char kInfoEnding[] = ".ini";
constexpr const char kLockEnding[] = ".lock";

QString Named(const QString& folder, const QString& stem, const char* ending) {
  return QDir(folder).filePath(stem + QString::fromLatin1(ending));
}

QString SystemError(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// Checked at every step and renamed into place: a full disk leaves the old record. A
// failure's reason names the file.
bool WriteRecord(const QString& file, const QString& planFile, QString* why) {
  const QByteArray text = QByteArray(kPlanKey) + planFile.toUtf8().toPercentEncoding("/") + "\n";
  return WriteWholeFile(file, text, why);
}

// Whether the planner that wrote an own copy has gone: its lock is free (or was never
// made, when it ended before its first write).
bool OwnerGone(const QString& lockFile) {
  const int fd = OpenLocked(lockFile, false);
  if (fd < 0) return errno == ENOENT;
  ::close(fd);
  return true;
}

// An own copy's lock file, once the copy it guarded is gone.
void RemoveLock(const RecoveredPlan& found) {
  const QFileInfo copy(found.recoveryFile);
  if (!QRegularExpression(kOwnPattern).match(copy.fileName()).hasMatch()) return;
  QFile::remove(Named(copy.absolutePath(), copy.completeBaseName(), kLockEnding));
}

bool SameBytes(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
  return fa.size() == fb.size() && fa.readAll() == fb.readAll();
}

QString ReadPlanFile(const QString& file) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return {};
  while (!in.atEnd()) {
    const QByteArray line = in.readLine().trimmed();
    if (line.startsWith(kPlanKey))
      return QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(qstrlen(kPlanKey))));
  }
  return {};
}

// Two names of one file, however spelt (links, "..", doubled slashes).
bool SameFile(const QString& a, const QString& b) {
  const QFileInfo fa(a), fb(b);
  const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
  if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
  return fa.absoluteFilePath() == fb.absoluteFilePath();
}

}  // namespace

QString DefaultRecoveryFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/tessel32";
}

AutoSave::AutoSave(const QString& folder, SavePlan save, PlanFile planFile, AutoSaveTiming timing)
    : folder_(folder),
      stem_(kSharedStem),
      save_(std::move(save)),
      planFile_(std::move(planFile)),
      timing_(timing) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { WriteNow(); });
}

// The lock goes last, after the copy: a copy whose lock is gone is a crashed planner's.
AutoSave::~AutoSave() {
  if (ownLock_ < 0) return;
  if (!QFileInfo::exists(RecoveryFile())) QFile::remove(Named(folder_, stem_, kLockEnding));
  ::close(ownLock_);
}

QString AutoSave::RecoveryFile() const {
  return Named(folder_, stem_, kPlanEnding);
}

QString AutoSave::InfoFile() const {
  return Named(folder_, stem_, kInfoEnding);
}

bool AutoSave::UseOwnFiles(QString* why) {
  const QString stem = QString(kOwnStem).arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
  const QString lock = Named(folder_, stem, kLockEnding);
  int fd = -1;
  if (!QDir().mkpath(folder_)) {
    *why = folder_ + ": " + SystemError(errno);
  } else if ((fd = OpenLocked(lock, true)) < 0) {
    *why = lock + ": " + SystemError(errno);
  }
  if (fd < 0) {
    Suspend();
    return false;
  }
  stem_ = stem;
  ownLock_ = fd;
  return true;
}

// Turning auto-save off also removes what it wrote: a copy that is no longer kept up
// to date would be offered after a crash as if it were the latest.
void AutoSave::SetEnabled(bool enabled, bool removeCopy) {
  enabled_ = enabled;
  if (enabled) {
    // Changes made while it was off are copied after the usual wait.
    if (changed_ && !suspended_) {
      sinceFirstChange_.start();
      timer_.start(timing_.delayMs);
    }
    return;
  }
  timer_.stop();
  if (removeCopy) RemoveOwn();
}

void AutoSave::Suspend() {
  suspended_ = true;
  timer_.stop();
}

// A user who saved the plan under the recovery file's own name keeps that file: the
// copy is then neither written over it nor removed.
bool AutoSave::IsPlanFile() const {
  const QString plan = planFile_ ? planFile_() : QString();
  return !plan.isEmpty() && SameFile(plan, RecoveryFile());
}

void AutoSave::RemoveOwn() {
  if (suspended_) return;
  if (!IsPlanFile()) QFile::remove(RecoveryFile());
  QFile::remove(InfoFile());
}

void AutoSave::Observe(int serial, bool changed) {
  changed_ = changed;
  if (haveSerial_ && serial == serial_) return;
  const bool first = !haveSerial_;
  haveSerial_ = true;
  serial_ = serial;
  if (first) return;
  if (!enabled_ || suspended_) return;
  if (!timer_.isActive()) sinceFirstChange_.start();
  // Each change starts the wait again, but never beyond the longest wait since the first
  // change that is not yet written.
  const qint64 left = timing_.longestWaitMs - sinceFirstChange_.elapsed();
  timer_.start(static_cast<int>(std::clamp<qint64>(left, 0, timing_.delayMs)));
}

void AutoSave::Discard(int serial) {
  timer_.stop();
  haveSerial_ = true;
  serial_ = serial;
  changed_ = false;
  RemoveOwn();
}

void AutoSave::Adopt(int serial, const RecoveredPlan& taken) {
  if (!suspended_ && !taken.recoveryFile.isEmpty() && taken.recoveryFile != RecoveryFile() &&
      QDir().mkpath(folder_)) {
    // The record first: a copy without one is never offered, so a crash between the two
    // renames leaves the copy where it was found.
    if (QFile::exists(InfoFile())) QFile::remove(InfoFile());
    if (std::rename(QFile::encodeName(taken.infoFile).constData(),
                    QFile::encodeName(InfoFile()).constData()) == 0 &&
        std::rename(QFile::encodeName(taken.recoveryFile).constData(),
                    QFile::encodeName(RecoveryFile()).constData()) == 0)
      RemoveLock(taken);
  }
  timer_.stop();
  haveSerial_ = true;
  serial_ = serial;
  changed_ = true;
}

bool AutoSave::WriteNow() {
  timer_.stop();
  if (suspended_) return true;
  if (enabled_ && changed_ && busy_ && busy_()) {
    timer_.start(timing_.delayMs);
    return true;
  }
  // A plan that is back to what its file holds needs no copy.
  if (!changed_ || !enabled_ || IsPlanFile()) {
    RemoveOwn();
    return true;
  }
  failure_.clear();
  const QString target = RecoveryFile();
  const QString part = target + kPartSuffix;
  // The plan first, beside the copy; then its record; then the rename. A failure at any
  // step leaves the last whole copy and its record as they were.
  QString why;
  if (!QDir().mkpath(folder_)) {
    why = folder_ + ": " + SystemError(errno);
  } else if (!save_ || !save_(part)) {
    why = part + ": " + SystemError(errno);
  } else if (!WriteRecord(InfoFile(), planFile_ ? planFile_() : QString(), &why)) {
    // The reason already names the record.
  } else if (std::rename(QFile::encodeName(part).constData(),
                         QFile::encodeName(target).constData()) != 0) {
    why = target + ": " + SystemError(errno);
  }
  if (!why.isEmpty()) {
    QFile::remove(part);
    failure_ =
        CaptionOr(7210, "Auto-save could not write its copy (%1). The last copy is kept.").arg(why);
  } else {
    ++writes_;
  }
  emit written(failure_.isEmpty());
  return failure_.isEmpty();
}

namespace {

RecoveredPlan FindOne(const QString& folder, const QString& stem) {
  RecoveredPlan found;
  found.recoveryFile = Named(folder, stem, kPlanEnding);
  found.infoFile = Named(folder, stem, kInfoEnding);
  const QFileInfo recovery(found.recoveryFile);
  // The record is written before the copy, so a copy without one is not ours: it may
  // be a plan the user saved under that name.
  if (!recovery.isFile() || !QFileInfo(found.infoFile).isFile()) return found;
  found.written = recovery.lastModified();
  found.planFile = ReadPlanFile(found.infoFile);
  // The user's own plan saved under the copy's name is the user's file, not a copy.
  if (!found.planFile.isEmpty() && SameFile(found.planFile, found.recoveryFile)) {
    found.planFile.clear();
    return found;
  }
  // Only the content tells: a plan file's time changes without its content.
  const bool same = !found.planFile.isEmpty() && QFileInfo(found.planFile).isFile() &&
                    SameBytes(found.planFile, found.recoveryFile);
  found.state = same ? RecoveredPlan::kSameAsPlan : RecoveredPlan::kOffer;
  return found;
}

}  // namespace

RecoveredPlan AutoSave::Find(const QString& folder, bool withShared) {
  if (withShared) {
    const RecoveredPlan shared = FindOne(folder, kSharedStem);
    if (shared.state != RecoveredPlan::kNone) return shared;
  }
  const QRegularExpression own(kOwnPattern);
  for (const QString& name : QDir(folder).entryList({"recovery-*.tsd"}, QDir::Files, QDir::Name)) {
    if (!own.match(name).hasMatch()) continue;
    const QString stem = name.chopped(qstrlen(kPlanEnding));
    if (!OwnerGone(Named(folder, stem, kLockEnding))) continue;
    const RecoveredPlan found = FindOne(folder, stem);
    if (found.state != RecoveredPlan::kNone) return found;
  }
  return {};
}

QString AutoSave::SetAside(const QString& folder) {
  return SetAside(FindOne(folder, kSharedStem));
}

QString AutoSave::SetAside(const RecoveredPlan& found) {
  const QString to =
      QDir(QFileInfo(found.recoveryFile).absolutePath())
          .filePath(QString(kSetAsidePattern)
                        .arg(QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz")));
  const bool moved = QFile::rename(found.recoveryFile, to);
  QFile::remove(found.infoFile);
  RemoveLock(found);
  return moved ? to : QString();
}

void AutoSave::Remove(const QString& folder) {
  Remove(FindOne(folder, kSharedStem));
}

void AutoSave::Remove(const RecoveredPlan& found) {
  QFile::remove(found.recoveryFile);
  QFile::remove(found.infoFile);
  RemoveLock(found);
}

}  // namespace tessel
