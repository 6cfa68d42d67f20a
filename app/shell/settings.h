// What the program remembers between runs, per user: string values by section and
// name under the program's settings path.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace tessel {

// The section of what the start reads, and the language letter saved there.
inline constexpr char kStartupSection[] = "Startup";
inline constexpr char kLanguageSetting[] = "Language";

QString ReadSetting(const QString& section, const QString& name, const QString& fallback);
// Writes one value; the whole settings file is replaced by a complete new one, so a
// disk that fills up leaves every setting as it was. False, with the file and the
// system's reason in `why`, when the value could not be kept.
bool WriteSetting(const QString& section, const QString& name, const QString& value,
                  QString* why = nullptr);
// Several values of one section at once, and the `removed` names taken away: all of it
// is kept, or none.
bool WriteSettings(const QString& section, const QList<QPair<QString, QString>>& values,
                   QString* why = nullptr, const QStringList& removed = {});
// WriteSetting for a setting the user changed in the window: a failure is said in a
// message box, since the user expects the planner to remember it.
bool SaveSetting(const QString& section, const QString& name, const QString& value);
// The message SaveSetting shows, for failures found elsewhere (the recent files).
void SaySettingsNotSaved(const QString& why);
// Takes the value away, so that a later read finds nothing rather than an old value.
void RemoveSetting(const QString& section, const QString& name);

}  // namespace tessel
