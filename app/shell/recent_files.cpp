#include "shell/recent_files.h"

#include "shell/settings.h"

namespace tessel {

namespace {
const char kSection[] = "RecentFiles";
QString ValueName(int position) {
  return QString("File%1").arg(position + 1);
}
}  // namespace

void RecentFiles::Add(const QString& name) {
  if (name.isEmpty() || names_.contains(name)) return;
  names_.prepend(name);
  while (names_.size() > kCapacity) names_.removeLast();
}

void RecentFiles::Remove(int position) {
  if (position >= 0 && position < names_.size()) names_.removeAt(position);
}

void RecentFiles::Read() {
  names_.clear();
  for (int i = 0; i < kCapacity; ++i) {
    // A blank is what an empty value is stored as.
    const QString name = ReadSetting(kSection, ValueName(i), "").trimmed();
    if (name.isEmpty()) break;
    names_ << name;
  }
}

bool RecentFiles::Write(QString* why) const {
  QList<QPair<QString, QString>> values;
  for (int i = 0; i < names_.size(); ++i) values.append({ValueName(i), names_[i]});
  return values.isEmpty() || WriteSettings(kSection, values, why);
}

}  // namespace tessel
