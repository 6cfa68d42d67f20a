#include "shell/auto_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessel {

namespace {

// The engine writes beside the recovery file under this name, which is then renamed
// over it: a process killed during the write leaves the last whole copy in place.
constexpr const char kPartSuffix[] = ".part";
// The record's keys. The plan's name is percent-encoded, so a name with a line break in
// it still takes one line.
constexpr const char kPlanKey[] = "plan=";
constexpr const char kSetAsidePattern[] = "recovery-damaged-%1.tsd";

QString InFolder(const QString& folder, const char* name) {
  return QDir(folder).filePath(QString::fromLatin1(name));
}

bool WriteRecord(const QString& file, const QString& planFile, QString* why) {
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    *why = out.errorString();
    return false;
  }
  out.write(QByteArray(kPlanKey) + planFile.toUtf8().toPercentEncoding("/") + "\n");
  if (!out.commit()) {
    *why = out.errorString();
    return false;
  }
  return true;
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
    : folder_(folder), save_(std::move(save)), planFile_(std::move(planFile)), timing_(timing) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { WriteNow(); });
}

QString AutoSave::RecoveryFile() const {
  return InFolder(folder_, kRecoveryPlanName);
}

QString AutoSave::InfoFile() const {
  return InFolder(folder_, kRecoveryInfoName);
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
  if (IsPlanFile())
    QFile::remove(InfoFile());
  else
    Remove(folder_);
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

void AutoSave::Adopt(int serial) {
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
  if (!QDir().mkpath(folder_))
    failure_ = "the folder " + folder_ + " cannot be made";
  else if (!WriteRecord(InfoFile(), planFile_ ? planFile_() : QString(), &failure_))
    failure_ = InfoFile() + ": " + failure_;
  else if (!save_ || !save_(part))
    failure_ = "the plan could not be written to " + part;
  else if (std::rename(QFile::encodeName(part).constData(),
                       QFile::encodeName(target).constData()) != 0)
    failure_ = target + ": " + QString::fromLocal8Bit(std::strerror(errno));
  if (!failure_.isEmpty())
    QFile::remove(part);
  else
    ++writes_;
  emit written(failure_.isEmpty());
  return failure_.isEmpty();
}

RecoveredPlan AutoSave::Find(const QString& folder) {
  RecoveredPlan found;
  found.recoveryFile = InFolder(folder, kRecoveryPlanName);
  const QFileInfo recovery(found.recoveryFile);
  // The record is written before the copy, so a copy without one is not ours: it may
  // be a plan the user saved under that name.
  if (!recovery.isFile() || !QFileInfo(InFolder(folder, kRecoveryInfoName)).isFile()) return found;
  found.written = recovery.lastModified();
  found.planFile = ReadPlanFile(InFolder(folder, kRecoveryInfoName));
  // The user's own plan saved under the copy's name is the user's file, not a copy.
  if (!found.planFile.isEmpty() && SameFile(found.planFile, found.recoveryFile)) {
    found.planFile.clear();
    return found;
  }
  // A plan saved after the copy was written holds newer work than the copy.
  const QFileInfo plan(found.planFile);
  const bool savedSince =
      !found.planFile.isEmpty() && plan.isFile() && plan.lastModified() > recovery.lastModified();
  found.state = savedSince ? RecoveredPlan::kStale : RecoveredPlan::kOffer;
  return found;
}

QString AutoSave::SetAside(const QString& folder) {
  const QString from = InFolder(folder, kRecoveryPlanName);
  const QString to = QDir(folder).filePath(
      QString(kSetAsidePattern).arg(QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz")));
  const bool moved = QFile::rename(from, to);
  QFile::remove(InFolder(folder, kRecoveryInfoName));
  return moved ? to : QString();
}

void AutoSave::Remove(const QString& folder) {
  QFile::remove(InFolder(folder, kRecoveryPlanName));
  QFile::remove(InFolder(folder, kRecoveryInfoName));
}

}  // namespace tessel
