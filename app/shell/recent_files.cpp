#include "shell/recent_files.h"

#include <QDir>

#include "shell/settings.h"

namespace tessel {

namespace {
const char kSection[] = "RecentFiles";
QString ValueName(int position) {
  return QString("File%1").arg(position + 1);
}
// One spelling per file: "/plans/./a.tsd" and "/plans/a.tsd" are one entry.
QString Spelling(const QString& name) {
  return QDir::cleanPath(name);
}
}  // namespace

bool RecentFiles::Contains(const QString& name) const {
  const QString spelt = Spelling(name);
  for (const QString& listed : names_)
    if (Spelling(listed) == spelt) return true;
  return false;
}

void RecentFiles::Add(const QString& name) {
  if (name.isEmpty() || Contains(name)) return;
  names_.prepend(name);
  while (names_.size() > kCapacity) names_.removeLast();
}

void RecentFiles::Remove(int position) {
  if (position >= 0 && position < names_.size()) names_.removeAt(position);
}

void RecentFiles::Replace(int position, const QString& name) {
  if (position >= 0 && position < names_.size() && !name.isEmpty()) names_[position] = name;
}

void RecentFiles::Read() {
  names_.clear();
  for (int i = 0; i < kCapacity; ++i) {
    // A blank is what an empty value is stored as.
    const QString name = ReadSetting(kSection, ValueName(i), "").trimmed();
    if (name.isEmpty()) break;
    if (!Contains(name)) names_ << name;
  }
}

bool RecentFiles::Write(QString* why) const {
  // Exactly the listed names, and the values behind them taken away in the same write,
  // so that an entry the user saw leave the list does not come back at the next start.
  QList<QPair<QString, QString>> values;
  QStringList removed;
  for (int i = 0; i < kCapacity; ++i) {
    if (i < names_.size())
      values.append({ValueName(i), names_[i]});
    else
      removed << ValueName(i);
  }
  return WriteSettings(kSection, values, why, removed);
}

}  // namespace tessel
