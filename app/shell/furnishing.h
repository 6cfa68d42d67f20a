// The furnishing kept while the room is edited. The engine's layout mode holds the room
// alone (leaving design mode empties its furnishing list), so the program keeps the
// plan's text from before the switch and joins its furnishing to the edited room on
// the way back; saving in layout mode joins them the same way, so the file never loses
// a product. Plain text work without widgets.
#pragma once

#include <QByteArray>

namespace tessel {

// The room of `room` (everything before its furnishing section) with the furnishing
// section of `furnished`; `room` unchanged when `furnished` has no furnishing section.
QByteArray JoinFurnishing(const QByteArray& room, const QByteArray& furnished);

}  // namespace tessel
