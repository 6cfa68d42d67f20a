// Room geometry: the wall segment table and the placements that build the outline.
#pragma once

#include <cstdint>

#include "core/core.h"
#include "geometry/vector.h"

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
  WallSegment segments[kMaxWallSegments]{};
  std::int32_t last = -1;  // highest slot in use, -1 when empty
  // Every slot below this one is in use: a full table, as the largest plans keep it
  // while their replay offers more walls, answers without a search.
  std::int32_t firstFree = 0;
};
extern constinit WallTable walls;

void ClearWallTable();
// The first free slot, taken for `kind` with the walls' half thickness of 15; -1 when
// all are in use.
int AllocWallSegment(SegmentKind kind);
void LinkWallSegments(int a, int b);
void FreeWallSegment(int i);
void PurgeEmptySegments();
// Whether a worksheet point lies inside the room ring (odd crossings from (0, 0)).
bool PointInRoom(std::int32_t x, std::int32_t y);
// The segment's direction and its unit normal (into a clockwise room); false for an
// index outside the table or a segment without length.
bool SegmentFrame(int i, FloatPoint* direction, FloatPoint* normal);
// Exact at multiples of 90 degrees, so walls at right angles do not drift.
double SinDeg(std::int32_t degrees);
double CosDeg(std::int32_t degrees);

// While suspended, placements register walls without drawing the outline.
void SuspendOutline(bool suspended);
bool OutlineSuspended();
// Draws the whole outline into the worksheet; sets the room origin and drawn extent.
void DrawRoomOutline();
// The band of one installation wall, drawn at once when it is placed.
void DrawInstWallBand(int segment);
// The corners of that band as it is drawn, the stored edge first; false for a segment
// without length.
bool InstWallBand(int segment, plat::POINT band[4]);

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
