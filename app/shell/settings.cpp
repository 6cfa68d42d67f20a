#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

#include "language/language.h"
#include "platform/window.h"
#include "shell/files.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

// Text caption numbers of the message of settings that could not be saved.
constexpr int kNotSavedCaption = 7102;
constexpr int kNotSavedTitle = 7103;

// One store per user; every value lives below the program's own path.
QSettings Store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV");
}

QString Key(const QString& section, const QString& name) {
  return "Ostara/Tessel/2.0/" + section + "/" + name;
}

// The settings file's text holding `values`, in the store's own format. The store
// writes it into a scratch file; its writes have been seen to report success after
// they failed on a full disk, so the scratch file is read back, value by value,
// before its text is taken.
bool SettingsText(const QMap<QString, QVariant>& values, QByteArray* text, QString* why) {
  const QTemporaryDir scratch;
  if (!scratch.isValid()) {
    if (why) *why = "no scratch folder for the settings: " + scratch.errorString();
    return false;
  }
  const QString file = scratch.filePath("settings.conf");
  {
    QSettings out(file, QSettings::IniFormat);
    for (auto v = values.cbegin(); v != values.cend(); ++v) out.setValue(v.key(), v.value());
    out.sync();
  }
  const QSettings back(file, QSettings::IniFormat);
  bool whole = back.status() == QSettings::NoError && back.allKeys().size() == values.size();
  for (auto v = values.cbegin(); whole && v != values.cend(); ++v)
    whole = back.value(v.key()) == v.value();
  QFile read(file);
  if (!whole || !read.open(QIODevice::ReadOnly)) {
    if (why) *why = "the settings could not be prepared in the temporary folder " + scratch.path();
    return false;
  }
  *text = read.readAll();
  return true;
}

// The store keeps what it read and reads the file again only when its size or its
// time, to the millisecond, changed: a new file of the old size written within the
// old one's millisecond would go unseen, so its time is set one millisecond on.
void MakeChangeSeen(const QString& file, const timespec& old) {
  constexpr long kNanosecondsPerMillisecond = 1000000;
  constexpr long kNanosecondsPerSecond = 1000000000;
  constexpr long long kMillisecondsPerSecond = 1000;
  const QByteArray name = QFile::encodeName(file);
  struct stat now {};
  if (::stat(name.constData(), &now) != 0) return;
  auto millisecond = [](const timespec& t) {
    return static_cast<long long>(t.tv_sec) * kMillisecondsPerSecond +
           t.tv_nsec / kNanosecondsPerMillisecond;
  };
  if (millisecond(now.st_mtim) > millisecond(old)) return;
  timespec times[2] = {{0, UTIME_OMIT}, old};
  times[1].tv_nsec = (old.tv_nsec / kNanosecondsPerMillisecond + 1) * kNanosecondsPerMillisecond;
  if (times[1].tv_nsec >= kNanosecondsPerSecond) {
    times[1].tv_nsec -= kNanosecondsPerSecond;
    ++times[1].tv_sec;
  }
  ::utimensat(AT_FDCWD, name.constData(), times, 0);
}

}  // namespace

QString ReadSetting(const QString& section, const QString& name, const QString& fallback) {
  const QString value = Store().value(Key(section, name)).toString();
  return value.isEmpty() ? fallback : value;
}

bool WriteSetting(const QString& section, const QString& name, const QString& value, QString* why) {
  return WriteSettings(section, {{name, value}}, why);
}

bool WriteSettings(const QString& section, const QList<QPair<QString, QString>>& named,
                   QString* why, const QStringList& removed) {
  const QSettings store = Store();
  QMap<QString, QVariant> values;
  for (const QString& key : store.allKeys()) values.insert(key, store.value(key));
  // An empty value is stored as one blank, so that it reads back as set.
  for (const auto& [name, value] : named)
    values.insert(Key(section, name), value.isEmpty() ? QString(" ") : value);
  for (const QString& name : removed) values.remove(Key(section, name));
  QByteArray text;
  if (!SettingsText(values, &text, why)) return false;
  const QString file = store.fileName();
  if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
    if (why) *why = "the folder of " + file + " cannot be made";
    return false;
  }
  struct stat before {};
  const bool existed = ::stat(QFile::encodeName(file).constData(), &before) == 0;
  if (!WriteWholeFile(file, text, why)) return false;
  if (existed) MakeChangeSeen(file, before.st_mtim);
  return true;
}

void SaySettingsNotSaved(const QString& why) {
  ShowMessage(CaptionOr(kNotSavedCaption,
                        "Your settings could not be saved:\n%1\nThe planner works on with them "
                        "until it ends; at the next start the settings saved before apply.")
                  .arg(why),
              CaptionOr(kNotSavedTitle, "Settings not saved"), plat::MB_ICONWARNING);
}

bool SaveSetting(const QString& section, const QString& name, const QString& value) {
  QString why;
  if (WriteSetting(section, name, value, &why)) return true;
  SaySettingsNotSaved(why);
  return false;
}

void RemoveSetting(const QString& section, const QString& name) {
  WriteSettings(section, {}, nullptr, {name});
}

}  // namespace tessel
