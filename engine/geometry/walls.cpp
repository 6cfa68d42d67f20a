// The wall segment table. The placements that fill it come with the room tools.
#include <cstring>

#include "geometry/geometry.h"

namespace vrx {

WallTable walls;

namespace {
bool outlineSuspended = false;
}

void ClearWallTable() {
  std::memset(walls.segments, 0, sizeof walls.segments);
  walls.last = -1;
}

void SuspendOutline(bool suspended) { outlineSuspended = suspended; }

// An empty table draws nothing, and the room origin stays at its resting place.
void DrawRoomOutline() {
  if (outlineSuspended) return;
}

// No room tool is installed yet: nothing hangs at the cursor and nothing is placed.
long PutWallRectangle() { return SetSelectCursor(); }
long PutDiagonalCorner() { return SetSelectCursor(); }
long PutRoundCorner() { return SetSelectCursor(); }
long PutDoor() { return SetSelectCursor(); }
long PutWindow() { return SetSelectCursor(); }
long PutFreeWall() { return SetSelectCursor(); }
long PutUserRect() { return SetSelectCursor(); }
long PutUserCircle() { return SetSelectCursor(); }

}  // namespace vrx
