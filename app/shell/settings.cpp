#include "shell/settings.h"

#include <QSettings>

namespace tessel {

namespace {

// One store per user; every value lives below the program's own path.
QSettings& Store() {
  static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV");
  return settings;
}

QString Key(const QString& section, const QString& name) {
  return "Ostara/Tessel/2.0/" + section + "/" + name;
}

}  // namespace

QString ReadSetting(const QString& section, const QString& name, const QString& fallback) {
  const QString value = Store().value(Key(section, name)).toString();
  return value.isEmpty() ? fallback : value;
}

bool WriteSetting(const QString& section, const QString& name, const QString& value) {
  // An empty value is stored as one blank, so that it reads back as set.
  Store().setValue(Key(section, name), value.isEmpty() ? QString(" ") : value);
  Store().sync();
  return Store().status() == QSettings::NoError;
}

void RemoveSetting(const QString& section, const QString& name) {
  Store().remove(Key(section, name));
  Store().sync();
}

}  // namespace tessel
