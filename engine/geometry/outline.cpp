// The room outline drawn into the worksheet: straight walls as solid bands outside
// the room's inner outline, installation walls as turned rectangles. Drawing it also
// fixes the room origin (the room's top-left inner corner is room coordinate 0, 0)
// and the extent the program fits its view and print to.
#include <algorithm>

#include "geometry/geometry.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

bool Straight(int i) {
  return i >= 0 && i < kMaxWallSegments &&
         (walls.segments[i].kind == SEG_HWALL || walls.segments[i].kind == SEG_VWALL);
}

void GrowExtent(int l, int t, int r, int b) {
  view.drawnLeft = std::min(view.drawnLeft, l);
  view.drawnTop = std::min(view.drawnTop, t);
  view.drawnRight = std::max(view.drawnRight, r);
  view.drawnBottom = std::max(view.drawnBottom, b);
}

void WallBand(int l, int t, int r, int b) {
  Rectangle(view.sheetDc, l, t, r, b);
  GrowExtent(l, t, r, b);
}

// The band lies outside a clockwise room; at an outer corner the wall reaches on by
// the band's width so that the corner square is filled once.
void DrawHorizontalWall(const WallSegment& s) {
  const int b = 2 * s.thickness;
  const bool nextStraight = Straight(s.next);
  const WallSegment* next = nextStraight ? &walls.segments[s.next] : nullptr;
  if (s.x1 >= s.x2) {
    const int left = next && next->y2 < s.y1 ? s.x2 - b : s.x2;
    WallBand(left, s.y1, s.x1, s.y1 + b);
  } else {
    const int right = next && next->y2 > s.y1 ? s.x2 + b : s.x2;
    WallBand(s.x1, s.y1 - b, right, s.y1);
  }
}

void DrawVerticalWall(const WallSegment& s) {
  const int b = 2 * s.thickness;
  const WallSegment* next = Straight(s.next) ? &walls.segments[s.next] : nullptr;
  if (s.y1 < s.y2) {
    const int bottom = next && next->x2 < s.x1 ? s.y2 + b : s.y2;
    WallBand(s.x1, s.y1, s.x1 + b, bottom);
  } else {
    const int top = next && next->x2 > s.x1 ? s.y2 - b : s.y2;
    WallBand(s.x1 - b, top, s.x1, s.y1);
  }
}

}  // namespace

void DrawInstWallBand(int i) {
  FloatPoint d, n;
  if (!SegmentFrame(i, &d, &n) || !view.sheetDc) return;
  const WallSegment& s = walls.segments[i];
  // A wall that carries products of the design is drawn in the installation grey.
  const ObjectRecord* owner = s.owner >= kDesignTagBase ? RecordOfTag(s.owner) : nullptr;
  const bool carrying = owner && owner->l1 > 0;
  HDC dc = view.sheetDc;
  SelectObject(dc, carrying ? view.tools.installationPen : view.tools.wallPen);
  SelectObject(dc, carrying ? view.tools.installationBrush : view.tools.wallBrush);
  const float t = s.thickness;
  auto offset = [&](std::int32_t x, std::int32_t y, float k) {
    return POINT{static_cast<int>(static_cast<float>(x) - k * n.x),
                 static_cast<int>(static_cast<float>(y) - k * n.y)};
  };
  const POINT whole[4] = {
      {s.x1, s.y1}, {s.x2, s.y2}, offset(s.x2, s.y2, 2 * t), offset(s.x1, s.y1, 2 * t)};
  Polygon(dc, whole, 4);
  const POINT half[4] = {{s.x1, s.y1}, {s.x2, s.y2}, offset(s.x2, s.y2, t), offset(s.x1, s.y1, t)};
  Polygon(dc, half, 4);
  SelectObject(dc, view.tools.wallPen);
  SelectObject(dc, view.tools.wallBrush);
}

void DrawRoomOutline() {
  if (OutlineSuspended() || !view.sheetDc) return;
  view.drawnLeft = kSheetWidth;
  view.drawnTop = kSheetHeight;
  view.drawnRight = 0;
  view.drawnBottom = 0;
  HDC dc = view.sheetDc;
  SelectObject(dc, view.tools.wallPen);
  SelectObject(dc, view.tools.wallBrush);
  std::int32_t minX = kSheetWidth, minY = kSheetHeight;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = walls.segments[i];
    if (s.kind == SEG_FREE) continue;
    minX = std::min(minX, s.x1);
    minY = std::min(minY, s.y1);
  }
  view.roomOriginX = minX < kSheetWidth ? -minX : -40;
  view.roomOriginY = minY < kSheetHeight ? -minY : -40;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = walls.segments[i];
    if (s.kind == SEG_HWALL)
      DrawHorizontalWall(s);
    else if (s.kind == SEG_VWALL)
      DrawVerticalWall(s);
  }
  for (int i = 0; i <= walls.last; ++i)
    if (walls.segments[i].kind == SEG_INSTWALL) DrawInstWallBand(i);
  SelectObject(dc, view.tools.wallPen);
  SelectObject(dc, view.tools.wallBrush);
  // Corners, doors and windows paint over the bands they touch; their drawings come
  // with their tools.
}

}  // namespace vrx
