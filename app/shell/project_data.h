// The project's own data in the plan file: for whom and where the bathroom is planned,
// kept in a section "[Project]" of its own. The engine reads only its "Layout" and
// "Design" sections and skips any other, so older planners open such plans unchanged;
// the program writes the section back into every plan it saves. Keys this program does
// not know are kept exactly as the file had them, in their order, so that what another
// version of the planner keeps there survives a save.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace tessel {

class ProjectData {
 public:
  static constexpr const char* kSection = "Project";
  // The keys "Project > Properties…" edits, in the order of its fields.
  static constexpr const char* kTitle = "Title";
  static constexpr const char* kCustomer = "Customer";
  static constexpr const char* kSite = "Site";
  static constexpr const char* kRoom = "Room";
  static constexpr const char* kPlanner = "Planner";
  static constexpr const char* kNotes = "Notes";

  // The section of a plan file's text (UTF-8); empty data when it has none.
  static ProjectData FromPlanText(const QByteArray& text);
  // The section of a plan file; empty data when the file cannot be read.
  static ProjectData FromFile(const QString& path);

  // A value as the user typed it, line breaks included; empty for a missing key.
  QString Value(const QString& key) const;
  // Sets a key (an empty value removes it); a new key goes after the others.
  void SetValue(const QString& key, const QString& value);
  bool IsEmpty() const { return entries_.isEmpty(); }

  // The plan text with this section in place of the one it held, or after its last
  // line when it held none. Data without keys leaves a text without the section
  // byte for byte as it was and removes an empty section the text had.
  QByteArray WriteInto(const QByteArray& planText) const;

  bool operator==(const ProjectData& other) const = default;

 private:
  // Keys with their values as the file holds them: one line each, so a line break is
  // written as "\n" and a backslash as "\\".
  QList<std::pair<QString, QString>> entries_;
};

}  // namespace tessel
