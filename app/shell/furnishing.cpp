#include "shell/furnishing.h"

#include <QList>

namespace tessel {

namespace {

constexpr char kDesignHeader[] = "[design]";

// The section a line opens, lower case without its brackets' surroundings; empty for a
// line that opens none.
QByteArray SectionOf(const QByteArray& line) {
  const QByteArray t = line.trimmed();
  return t.startsWith('[') && t.endsWith(']') ? t.toLower() : QByteArray();
}

// Where the furnishing section begins and ends in `plan`; begin == end when it has none.
void FindFurnishing(const QByteArray& plan, qsizetype* begin, qsizetype* end) {
  *begin = *end = plan.size();
  qsizetype at = 0;
  bool inside = false;
  while (at < plan.size()) {
    qsizetype next = plan.indexOf('\n', at);
    next = next < 0 ? plan.size() : next + 1;
    const QByteArray section = SectionOf(plan.mid(at, next - at));
    if (!section.isEmpty()) {
      if (inside) {
        *end = at;
        return;
      }
      if (section == kDesignHeader) {
        inside = true;
        *begin = at;
      }
    }
    at = next;
  }
}

}  // namespace

QByteArray JoinFurnishing(const QByteArray& room, const QByteArray& furnished) {
  qsizetype from = 0, to = 0;
  FindFurnishing(furnished, &from, &to);
  if (from == to) return room;
  qsizetype roomFrom = 0, roomTo = 0;
  FindFurnishing(room, &roomFrom, &roomTo);
  QByteArray joined = room.left(roomFrom);
  if (!joined.isEmpty() && !joined.endsWith('\n')) joined += "\r\n";
  joined += furnished.mid(from, to - from);
  if (!joined.endsWith('\n')) joined += "\r\n";
  joined += room.mid(roomTo);
  return joined;
}

}  // namespace tessel
