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
  bool Contains(const QString& name) const;
  // Drops the entry at position (0 the newest); the later ones move up.
  void Remove(int position);
  // Puts another spelling of the same file in the entry's place, as when a name kept
  // in the settings turns out to name the file by other bytes.
  void Replace(int position, const QString& name);

  // Reads "File1" to "File4" of the settings, up to the first one that is empty; a
  // name already read (however its path is spelt) is read once.
  void Read();
  // Writes exactly the listed names and takes away the values behind them, so that an
  // entry the user saw leave the list does not come back at the next start. False, with
  // the reason, when the list could not be kept.
  bool Write(QString* why = nullptr) const;

 private:
  QStringList names_;
};

}  // namespace tessel
