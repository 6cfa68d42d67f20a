// The room outline drawn into the worksheet: straight walls as solid bands outside
// the room's inner outline, installation walls as turned rectangles, corners as bands
// joining their neighbours, doors and windows as openings in the band. Drawing it also
// fixes the room origin (the room's top-left inner corner is room coordinate 0, 0)
// and the extent the program fits its view and print to.
#include <algorithm>
#include <cmath>

#include "geometry/geometry_p.h"
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

// A drawn point from floating-point arithmetic: truncated, and kept within what the
// drawing layer's integer arithmetic can take however wild the plan's numbers are.
int Trunc(double v) {
  constexpr double kReach = 1 << 24;
  return static_cast<int>(std::clamp(v, -kReach, kReach));
}
POINT At(double x, double y) {
  return POINT{Trunc(x), Trunc(y)};
}

// The outward unit normal of a direction (dx, dy) in a clockwise ring; zero stays zero.
FloatPoint Outward(double dx, double dy) {
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0) return FloatPoint{0, 0};
  return FloatPoint{static_cast<float>(dy / len), static_cast<float>(-dx / len)};
}

// Fills the connected area of the colour found at the seed with the selected brush.
// The fill stays within `box`: every area the outline fills is enclosed inside its
// part's box, so nothing can run out into the room through a gap.
void FillFrom(POINT seed, RECT box) {
  HDC dc = view.sheetDc;
  box.left = std::max(box.left, 0);
  box.top = std::max(box.top, 0);
  box.right = std::min(box.right, kSheetWidth);
  box.bottom = std::min(box.bottom, kSheetHeight);
  if (seed.x < box.left || seed.x >= box.right || seed.y < box.top || seed.y >= box.bottom) return;
  const COLORREF colour = GetPixel(dc, seed.x, seed.y);
  if (colour == CLR_INVALID) return;
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  ExtFloodFill(dc, seed.x, seed.y, colour, FLOODFILLSURFACE);
  SelectClipRgn(dc, 0);
}

// A door's swing: the sector from the opening's far end round to the leaf, turning
// towards `side`.
struct Swing {
  POINT hinge, otherEnd;
  FloatPoint leaf, side;
  double radius;

  // The angle from the opening to a direction, counted towards the swing's side.
  double AngleOf(double x, double y) const {
    const double ax = otherEnd.x - hinge.x, ay = otherEnd.y - hinge.y;
    const double turn = ax * side.y - ay * side.x >= 0 ? 1 : -1;
    return std::atan2(turn * (ax * y - ay * x), ax * x + ay * y);
  }
  double LeafAngle() const {
    const double a = AngleOf(leaf.x, leaf.y);
    // A leaf opened flat lies against the opening's line: its angle is a half turn,
    // which rounding may put on either side of it.
    return a <= 0 ? a + 2 * M_PI : a;
  }

  // Whether the fill seed lies in the swing, clear of the leaf and the arc: at very
  // small angles the leaf passes over the seed, and a fill from there would paint the
  // leaf's surroundings instead.
  bool HoldsSeed(POINT seed) const {
    constexpr double kClear = 3;  // pen width and a pixel of rounding
    const double sx = seed.x - hinge.x, sy = seed.y - hinge.y;
    const double seedAngle = AngleOf(sx, sy), between = LeafAngle() - seedAngle;
    const double dist = std::sqrt(sx * sx + sy * sy);
    const double fromLeaf = between >= M_PI / 2 ? dist : dist * std::sin(between);
    return seedAngle > 0 && between > 0 && fromLeaf >= kClear && dist + kClear <= radius;
  }

  // The sector's bounding box with the pen's width round it: its three corners and the
  // arc's extremes in the directions the swing passes.
  RECT Box(POINT leafEnd) const {
    constexpr int kPen = 3;
    RECT box{hinge.x, hinge.y, hinge.x, hinge.y};
    auto grow = [&](double x, double y) {
      box.left = std::min(box.left, Trunc(std::floor(x)));
      box.top = std::min(box.top, Trunc(std::floor(y)));
      box.right = std::max(box.right, Trunc(std::ceil(x)));
      box.bottom = std::max(box.bottom, Trunc(std::ceil(y)));
    };
    grow(otherEnd.x, otherEnd.y);
    grow(leafEnd.x, leafEnd.y);
    const double leafAngle = LeafAngle();
    const double axes[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (const auto& a : axes) {
      const double angle = AngleOf(a[0], a[1]);
      if (angle >= 0 && angle <= leafAngle) grow(hinge.x + radius * a[0], hinge.y + radius * a[1]);
    }
    return RECT{box.left - kPen, box.top - kPen, box.right + kPen + 1, box.bottom + kPen + 1};
  }
};

}  // namespace

void WallPartBand(int i, POINT band[4]) {
  const WallSegment& s = walls.segments[i];
  FloatPoint d{}, n{};
  if (!SegmentFrame(i, &d, &n)) n = FloatPoint{0, 0};
  const double b = 2.0 * s.thickness;
  band[0] = POINT{s.x1, s.y1};
  band[1] = POINT{s.x2, s.y2};
  band[2] = At(s.x2 - b * n.x, s.y2 - b * n.y);
  band[3] = At(s.x1 - b * n.x, s.y1 - b * n.y);
}

void DrawDiagCorner(int i) {
  FloatPoint d, n;
  if (!SegmentFrame(i, &d, &n) || !view.sheetDc) return;
  const WallSegment& s = walls.segments[i];
  const WallSegment* prev = InTable(s.prev) ? &walls.segments[s.prev] : nullptr;
  const WallSegment* next = InTable(s.next) ? &walls.segments[s.next] : nullptr;
  const FloatPoint a =
      prev ? Outward(static_cast<double>(s.x1) - prev->x1, static_cast<double>(s.y1) - prev->y1)
           : FloatPoint{0, 0};
  const FloatPoint c =
      next ? Outward(static_cast<double>(next->x2) - s.x2, static_cast<double>(next->y2) - s.y2)
           : FloatPoint{0, 0};
  const double band = kCornerBand;
  const POINT p1{s.x1, s.y1}, p2{s.x2, s.y2};
  const POINT q1 = At(s.x1 - band * n.x, s.y1 - band * n.y);
  const POINT q2 = At(s.x2 - band * n.x, s.y2 - band * n.y);
  const POINT r1 = At(s.x1 + band * a.x, s.y1 + band * a.y);
  const POINT r2 = At(s.x2 + band * c.x, s.y2 + band * c.y);
  // The mitre: where the cut's outer face meets the neighbour's outer face.
  const double dx = d.x, dy = d.y;
  auto mitre = [&](const WallSegment* w, POINT q, POINT r) {
    if (w && w->kind == SEG_VWALL && dx != 0) return At(r.x, q.y - (q.x - r.x) * dy / dx);
    if (w && w->kind == SEG_HWALL && dy != 0) return At(q.x - (q.y - r.y) * dx / dy, r.y);
    return q;
  };
  const POINT m1 = mitre(prev, q1, r1), m2 = mitre(next, q2, r2);
  const POINT outline[8] = {p1, p2, r2, m2, q2, q1, m1, r1};
  SelectObject(view.sheetDc, view.tools.sheetWallPen);
  SelectObject(view.sheetDc, view.tools.wallBrush);
  Polygon(view.sheetDc, outline, 8);
}

void DrawRoundCorner(int i) {
  if (!view.sheetDc) return;
  const WallSegment& s = walls.segments[i];
  if (!InTable(s.prev) || !InTable(s.next)) return;
  const WallSegment& prev = walls.segments[s.prev];
  const WallSegment& next = walls.segments[s.next];
  const int ix = Sign(std::int64_t{s.x1} - prev.x1), iy = Sign(std::int64_t{s.y1} - prev.y1);
  const int ox = Sign(std::int64_t{next.x2} - s.x2), oy = Sign(std::int64_t{next.y2} - s.y2);
  const POINT p1{s.x1, s.y1}, p2{s.x2, s.y2};
  const RoundCornerShape r = RoundCornerOf(p1, p2, prev.kind == SEG_VWALL, ix == oy && iy == -ox);
  const POINT k = r.centre, s1 = r.outer1, s2 = r.outer2;
  HDC dc = view.sheetDc;
  SelectObject(dc, view.tools.sheetWallPen);
  SelectObject(dc, view.tools.wallBrush);
  const int left = k.x - r.rx, top = k.y - r.ry, right = k.x + r.rx, bottom = k.y + r.ry;
  const int outer = r.clockwise ? kCornerBand : -kCornerBand;
  // An inner corner tighter than the band has no band inside its arc to draw or fill.
  const bool bandFits = r.clockwise || (r.rx > kCornerBand && r.ry > kCornerBand);
  if (r.clockwise) {
    Arc(dc, left, top, right, bottom, p2.x, p2.y, p1.x, p1.y);
    Arc(dc, left - outer, top - outer, right + outer, bottom + outer, s2.x, s2.y, s1.x, s1.y);
  } else {
    Arc(dc, left, top, right, bottom, p1.x, p1.y, p2.x, p2.y);
    if (bandFits)
      Arc(dc, left - outer, top - outer, right + outer, bottom + outer, s1.x, s1.y, s2.x, s2.y);
  }
  // The end lines run outwards at an outer corner and in from the band at an inner one.
  auto line = [&](POINT from, POINT to) {
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
  };
  if (r.clockwise) {
    line(p1, s1);
    line(p2, s2);
  } else {
    line(s1, p1);
    line(s2, p2);
  }
  if (!bandFits) return;
  const int sx = Sign(std::int64_t{p2.x} - p1.x), sy = Sign(std::int64_t{p2.y} - p1.y);
  const POINT seed{(s1.x + p1.x) / 2 + 3 * sx, (s1.y + p1.y) / 2 + 3 * sy};
  const int reach = std::max(r.rx, r.ry) + kCornerBand + 2;
  FillFrom(seed, RECT{k.x - reach, k.y - reach, k.x + reach + 1, k.y + reach + 1});
}

void DrawDoor(int i, POINT band[4]) {
  const WallSegment& s = walls.segments[i];
  POINT q[4];
  WallPartBand(i, q);
  if (band) std::copy(q, q + 4, band);
  if (!view.sheetDc) return;
  HDC dc = view.sheetDc;
  FloatPoint d{}, n{};
  const bool hasLength = SegmentFrame(i, &d, &n);
  SelectObject(dc, view.tools.sheetWallPen);
  SelectObject(dc, view.tools.lightBrush);
  // The light band clears the wall in the opening; the wall pen draws its edges.
  Polygon(dc, q, 4);
  const ObjectRecord* owner = RecordOfTag(s.owner);
  const std::int32_t angle = owner ? DoorSwing(owner->p1) : 0;
  if (hasLength && angle != 0) {
    const std::uint32_t flags = owner->l0;
    const bool inward = flags & 1u, atEnd = flags & 2u;
    const double dx = d.x, dy = d.y, r = std::sqrt(dx * dx + dy * dy);
    const double alpha = (360 - angle) * 0.017453292222222222;
    const double ca = std::cos(alpha), sa = std::sin(alpha), k = (r + 2) / r;
    // The wall's direction turned by the angle towards the room (+n) or away from it.
    const FloatPoint towardRoom{static_cast<float>(k * (dx * ca + dy * sa)),
                                static_cast<float>(k * (-dx * sa + dy * ca))};
    const FloatPoint awayFromRoom{static_cast<float>(k * (dx * ca - dy * sa)),
                                  static_cast<float>(k * (dx * sa + dy * ca))};
    // A leaf hinged at the opening's end closes towards its start, so it turns from the
    // reversed direction: the opening angle is measured from the closed leaf either way.
    const POINT p1 = q[0], p2 = q[1], p1o = q[3], p2o = q[2];
    POINT hinge, other, start, end;
    FloatPoint w;
    if (inward) {
      hinge = atEnd ? p2 : p1;
      other = atEnd ? p1 : p2;
      w = atEnd ? FloatPoint{-awayFromRoom.x, -awayFromRoom.y} : towardRoom;
    } else {
      hinge = atEnd ? p2o : p1o;
      other = atEnd ? p1o : p2o;
      w = atEnd ? FloatPoint{-towardRoom.x, -towardRoom.y} : awayFromRoom;
    }
    const POINT leafEnd =
        At(hinge.x + static_cast<double>(w.x), hinge.y + static_cast<double>(w.y));
    // Arcs run counter-clockwise on the screen from start to end.
    if (inward == atEnd) {
      start = other;
      end = leafEnd;
    } else {
      start = leafEnd;
      end = other;
    }
    MoveToEx(dc, hinge.x, hinge.y, nullptr);
    LineTo(dc, leafEnd.x, leafEnd.y);
    const int ri = Trunc(r);
    Arc(dc, hinge.x - ri, hinge.y - ri, hinge.x + ri, hinge.y + ri, start.x, start.y, end.x, end.y);
    const POINT seed = inward
                           ? At((s.x1 + s.x2) / 2 + 4.0 * n.x, (s.y1 + s.y2) / 2 + 4.0 * n.y)
                           : At((p1o.x + p2o.x) / 2 - 4.0 * n.x, (p1o.y + p2o.y) / 2 - 4.0 * n.y);
    const Swing swing{hinge, other, w, inward ? n : FloatPoint{-n.x, -n.y}, r};
    if (swing.HoldsSeed(seed)) FillFrom(seed, swing.Box(leafEnd));
  }
  SelectObject(dc, view.tools.wallBrush);
}

void DrawWindow(int i, POINT band[4]) {
  POINT q[4];
  WallPartBand(i, q);
  if (band) std::copy(q, q + 4, band);
  if (!view.sheetDc) return;
  HDC dc = view.sheetDc;
  SelectObject(dc, view.tools.sheetWallPen);
  SelectObject(dc, view.tools.lightBrush);
  Polygon(dc, q, 4);
  SelectObject(dc, view.tools.wallBrush);
  // The glazing: one line along the middle of the wall.
  MoveToEx(dc, (q[0].x + q[3].x) / 2, (q[0].y + q[3].y) / 2, nullptr);
  LineTo(dc, (q[1].x + q[2].x) / 2, (q[1].y + q[2].y) / 2);
}

namespace {

// A point of an installation wall's band, `k` pixels off its stored edge.
POINT BandOffset(std::int32_t x, std::int32_t y, float k, FloatPoint n) {
  return POINT{static_cast<int>(static_cast<float>(x) - k * n.x),
               static_cast<int>(static_cast<float>(y) - k * n.y)};
}

}  // namespace

bool InstWallBand(int i, POINT band[4]) {
  FloatPoint d, n;
  if (!SegmentFrame(i, &d, &n)) return false;
  const WallSegment& s = walls.segments[i];
  const float t = s.thickness;
  band[0] = POINT{s.x1, s.y1};
  band[1] = POINT{s.x2, s.y2};
  band[2] = BandOffset(s.x2, s.y2, 2 * t, n);
  band[3] = BandOffset(s.x1, s.y1, 2 * t, n);
  return true;
}

void DrawInstWallBand(int i) {
  FloatPoint d, n;
  if (!SegmentFrame(i, &d, &n) || !view.sheetDc) return;
  const WallSegment& s = walls.segments[i];
  // A wall that carries products of the design is drawn in the installation grey.
  const ObjectRecord* owner = s.owner >= kDesignTagBase ? RecordOfTag(s.owner) : nullptr;
  const bool carrying = owner && owner->l1 > 0;
  HDC dc = view.sheetDc;
  SelectObject(dc, carrying ? view.tools.installationPen : view.tools.sheetWallPen);
  SelectObject(dc, carrying ? view.tools.installationBrush : view.tools.wallBrush);
  const float t = s.thickness;
  auto offset = [&](std::int32_t x, std::int32_t y, float k) { return BandOffset(x, y, k, n); };
  POINT whole[4];
  InstWallBand(i, whole);
  Polygon(dc, whole, 4);
  // The band's half at the wall line, in the same pen and brush, adds to the whole band
  // only where the truncated middle points stand off its short ends: its long edges and
  // its fill lie within the band already. So only those two short edges are drawn.
  const POINT nearEnd[2] = {{s.x2, s.y2}, offset(s.x2, s.y2, t)};
  const POINT nearStart[2] = {offset(s.x1, s.y1, t), {s.x1, s.y1}};
  Polyline(dc, nearEnd, 2);
  Polyline(dc, nearStart, 2);
  SelectObject(dc, view.tools.sheetWallPen);
  SelectObject(dc, view.tools.wallBrush);
}

void DrawRoomOutline() {
  if (OutlineSuspended() || !view.sheetDc) return;
  view.drawnLeft = kSheetWidth;
  view.drawnTop = kSheetHeight;
  view.drawnRight = 0;
  view.drawnBottom = 0;
  HDC dc = view.sheetDc;
  SelectObject(dc, view.tools.sheetWallPen);
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
  SelectObject(dc, view.tools.sheetWallPen);
  SelectObject(dc, view.tools.wallBrush);
  // Corners, doors and windows paint over the bands they touch.
  for (int i = 0; i <= walls.last; ++i) {
    switch (walls.segments[i].kind) {
      case SEG_DIAGCRNR:
        DrawDiagCorner(i);
        break;
      case SEG_RNDCRNR:
        DrawRoundCorner(i);
        break;
      case SEG_DOOR:
        DrawDoor(i, nullptr);
        break;
      case SEG_WINDOW:
        DrawWindow(i, nullptr);
        break;
      default:
        break;
    }
  }
}

}  // namespace vrx
