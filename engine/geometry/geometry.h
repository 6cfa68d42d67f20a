// Room geometry: the wall segment table and the placements that build the outline.
#pragma once

#include <cstdint>

#include "core/core.h"

namespace vrx {

enum SegmentKind : std::uint16_t {
  SEG_FREE = 0,
  SEG_HWALL = 1,
  SEG_VWALL = 2,
  SEG_DIAGCRNR = 3,
  SEG_RNDCRNR = 4,
  SEG_WINDOW = 5,
  SEG_DOOR = 6,
  SEG_INSTWALL = 7,
};

struct WallSegment {
  std::uint16_t kind;
  std::int16_t prev;
  std::int16_t next;
  std::int16_t owner;
  std::uint16_t thickness;  // half thickness in worksheet pixels
  std::uint16_t flags;
  std::int32_t x1, y1, x2, y2;
};
static_assert(sizeof(WallSegment) == 28);

struct WallTable {
  WallSegment segments[kMaxWallSegments];
  std::int32_t last = -1;  // highest slot in use, -1 when empty
};
extern WallTable walls;

void ClearWallTable();
// While suspended, placements register walls without drawing the outline.
void SuspendOutline(bool suspended);
// Draws the whole outline into the worksheet; sets the room origin and drawn extent.
void DrawRoomOutline();

// Placement set-ups: each reads the request block and installs its feedback.
long PutWallRectangle();
long PutDiagonalCorner();
long PutRoundCorner();
long PutDoor();
long PutWindow();
long PutFreeWall();
long PutUserRect();
long PutUserCircle();

}  // namespace vrx
