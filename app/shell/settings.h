// What the program remembers between runs, per user: string values by section and
// name under the program's settings path.
#pragma once

#include <QString>

namespace tessel {

// The section of what the start reads, and the language letter saved there.
inline constexpr char kStartupSection[] = "Startup";
inline constexpr char kLanguageSetting[] = "Language";

QString ReadSetting(const QString& section, const QString& name, const QString& fallback);
bool WriteSetting(const QString& section, const QString& name, const QString& value);
// Takes the value away, so that a later read finds nothing rather than an old value.
void RemoveSetting(const QString& section, const QString& name);

}  // namespace tessel
