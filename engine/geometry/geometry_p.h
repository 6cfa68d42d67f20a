// Helpers the room tools share: the cursor in worksheet pixels, the feedback device
// context, the sheet clamp of free-standing shapes and the slot arithmetic of the
// wall table. Private to geometry/.
#pragma once

#include <cstdint>

#include "core/core.h"
#include "geometry/geometry.h"
#include "platform/gdi.h"

namespace vrx {

// The band of corners and the distance the room tools keep from the sheet's edge.
constexpr int kCornerBand = 30;

inline WallSegment& Seg(int i) {
  return walls.segments[i];
}
inline bool InTable(int i) {
  return i >= 0 && i <= walls.last && i < kMaxWallSegments;
}
inline int Sign(std::int64_t v) {
  return (v > 0) - (v < 0);
}
int FreeSlots();

// The cursor in worksheet pixels, and back: the tools work in the worksheet, the
// cursor is kept in room coordinates.
void CursorToSheet(std::int32_t* x, std::int32_t* y);
void SheetToCursor(std::int32_t x, std::int32_t y);

// A length from the program or a plan file, as worksheet pixels: nothing larger than
// twice the worksheet can be placed, and the arithmetic on it must not overflow.
std::int32_t SheetLength(std::uint32_t value);
// An angle from the program or a plan file, brought into one turn: the same direction,
// and no overflow in the arithmetic on it.
inline std::int32_t TurnAngle(std::uint32_t value) {
  return static_cast<std::int32_t>(value) % 360;
}
// Half width and half height of a rectangle of half length l and half breadth t turned
// by `angle`, from its truncated corners.
void RotatedExtent(std::int32_t l, std::int32_t t, std::int32_t angle, std::int32_t* hx,
                   std::int32_t* hy);
// Keeps a shape of half size (hx, hy) inside the sheet's inner frame; far bounds are
// exclusive. `farInset` pulls the far side in (circles keep one pixel more).
void ClampToSheet(std::int32_t* cx, std::int32_t* cy, std::int32_t hx, std::int32_t hy,
                  std::int32_t farInset = 0);
// The same clamp on the cursor.
void ClampCursor(std::int32_t hx, std::int32_t hy, std::int32_t farInset = 0);

// A new segment with its ends; -1 when the table is full.
int Take(SegmentKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

// Every Put code first ends what hangs at the cursor.
void BeginTool();
// Installs the placement's two routines and shows the feedback (not in a replay).
void InstallTool(TrackFn draw, TrackFn drop);

// The work window's device context set up for exclusive-or feedback in one pen, given
// back when the scope ends.
class FeedbackDc {
 public:
  explicit FeedbackDc(plat::HGDIOBJ pen);
  ~FeedbackDc();
  FeedbackDc(const FeedbackDc&) = delete;
  FeedbackDc& operator=(const FeedbackDc&) = delete;
  plat::HDC dc() const { return dc_; }

 private:
  plat::HDC dc_;
  int oldRop_ = 0;
  plat::HGDIOBJ oldPen_ = 0;
};

// A door's opening angle as it is stored and drawn: below 3 degrees none, at most 180.
std::int32_t DoorSwing(std::uint32_t stored);

// Drawings of one segment into the worksheet. A door or window gives its band's four
// corners in `band` (when not null) for its hit area.
void DrawDiagCorner(int segment);
void DrawRoundCorner(int segment);
void DrawDoor(int segment, plat::POINT band[4]);
void DrawWindow(int segment, plat::POINT band[4]);
// The band of a door or window without drawing it.
void WallPartBand(int segment, plat::POINT band[4]);

// A quarter ellipse of a round corner from p1 to p2: its centre, and the ends of the arc
// kCornerBand outside the room (grown when the ring turns clockwise there, shrunk
// otherwise).
struct RoundCornerShape {
  plat::POINT centre;
  plat::POINT outer1, outer2;
  std::int32_t rx, ry;
  bool clockwise;
};
RoundCornerShape RoundCornerOf(plat::POINT p1, plat::POINT p2, bool firstVertical, bool clockwise);

}  // namespace vrx
