// The four plans opened or saved last, newest first, as the project menu shows them
// and the settings keep them between runs.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

class RecentFiles {
 public:
  static constexpr int kCapacity = 4;

  const QStringList& Names() const { return names_; }
  // A name already listed keeps its place, so the menu does not shuffle under the
  // user's hand; a new one goes first and pushes the oldest out.
  void Add(const QString& name);
  // Drops the entry at position (0 the newest); the later ones move up.
  void Remove(int position);

  // Reads "File1" to "File4" of the settings, up to the first one that is empty.
  void Read();
  // Writes one value per listed name and leaves the values behind them as they are.
  // False, with the reason, when the list could not be kept.
  bool Write(QString* why = nullptr) const;

 private:
  QStringList names_;
};

}  // namespace tessel
