// The wall segment table and the two tools that build walls: the wall rectangle (the
// first room, then niches and projections of an existing wall) and the free-standing
// installation wall. The outline is never stored: every rebuild replays the layout
// objects through these routines, so each must give the same result live and in a
// replay.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "geometry/geometry_p.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

constinit WallTable walls;

namespace {

constinit bool outlineSuspended = false;

struct PlacementLine {
  std::int32_t xa, ya, xb, yb;
};

struct WallRectTool {
  std::int32_t halfLength = 0, halfBreadth = 0;
  std::int32_t distance = -1;  // to the nearest corner, -1 for free placement
  PlacementLine candidates[kMaxWallSegments]{};
  int count = 0;
  bool wallsExist = false;
};
constinit WallRectTool rect;

struct FreeWallTool {
  std::int32_t halfLength = 0, halfThickness = 0, angle = 0;
  std::uint32_t fixed = 0;
  std::int32_t extentX = 0, extentY = 0;
};
constinit FreeWallTool freeWall;

// --- Wall rectangle ------------------------------------------------------------------

void AddCandidate(std::int32_t xa, std::int32_t ya, std::int32_t xb, std::int32_t yb) {
  if (rect.count >= kMaxWallSegments) return;
  rect.candidates[rect.count++] = PlacementLine{xa, ya, xb, yb};
}

void FindCandidates() {
  rect.count = 0;
  rect.wallsExist = false;
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth, d = rect.distance;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = Seg(i);
    if (s.kind == SEG_HWALL) {
      rect.wallsExist = true;
      const std::int32_t lo = std::min(s.x1, s.x2) + hl, hi = std::max(s.x1, s.x2) - hl;
      for (std::int32_t c : {s.y1 - hb, s.y1 + hb}) {
        if (c - hb < 0 || c + hb >= kSheetHeight) continue;
        if (d < 0) {
          AddCandidate(lo, c, hi, c);
        } else if (lo + d <= hi) {
          AddCandidate(lo + d, c, lo + d, c);
          AddCandidate(hi - d, c, hi - d, c);
        }
      }
    } else if (s.kind == SEG_VWALL) {
      rect.wallsExist = true;
      const std::int32_t lo = std::min(s.y1, s.y2) + hb, hi = std::max(s.y1, s.y2) - hb;
      for (std::int32_t c : {s.x1 - hl, s.x1 + hl}) {
        if (c - hl < 0 || c + hl >= kSheetWidth) continue;
        if (d < 0) {
          AddCandidate(c, lo, c, hi);
        } else if (lo + d <= hi) {
          AddCandidate(c, lo + d, c, lo + d);
          AddCandidate(c, hi - d, c, hi - d);
        }
      }
    }
  }
}

void SnapToCandidate() {
  std::int32_t px, py;
  CursorToSheet(&px, &py);
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth;
  if (rect.count == 0) {
    // The first room fits a frame of 1200 x 800 pixels inside the worksheet.
    px = std::min(std::max(px, 160 + hl), 1360 - hl);
    py = std::min(std::max(py, 160 + hb), 960 - hb);
    SheetToCursor(px, py);
    return;
  }
  std::int64_t best = 100000;
  std::int32_t bx = px, by = py;
  auto euclid = [](std::int64_t dx, std::int64_t dy) {
    return static_cast<std::int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
  };
  for (int i = 0; i < rect.count; ++i) {
    const PlacementLine& c = rect.candidates[i];
    std::int32_t x, y;
    std::int64_t dist;
    if (c.ya == c.yb) {
      if (c.xa <= px && px <= c.xb) {
        x = px;
        y = c.ya;
        dist = std::llabs(static_cast<std::int64_t>(py) - c.ya);
      } else {
        x = std::llabs(static_cast<std::int64_t>(px) - c.xa) <
                    std::llabs(static_cast<std::int64_t>(px) - c.xb)
                ? c.xa
                : c.xb;
        y = c.ya;
        dist = euclid(px - x, py - y);
      }
    } else if (c.ya <= py && py <= c.yb) {
      x = c.xa;
      y = py;
      dist = std::llabs(static_cast<std::int64_t>(px) - c.xa);
    } else {
      x = c.xa;
      y = std::llabs(static_cast<std::int64_t>(py) - c.yb) <=
                  std::llabs(static_cast<std::int64_t>(py) - c.ya)
              ? c.yb
              : c.ya;
      dist = euclid(px - x, py - y);
    }
    if (dist < best) {
      best = dist;
      bx = x;
      by = y;
    }
  }
  SheetToCursor(bx, by);
}

void WallRectFeedback() {
  SnapToCandidate();
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth;
  // Shrunk by the wall band, the rectangle may touch the wall it stands on.
  const POINT inner[4] = {{cx - (hl - 30), cy - (hb - 30)},
                          {cx - (hl - 30), cy + (hb - 30)},
                          {cx + (hl - 30), cy + (hb - 30)},
                          {cx + (hl - 30), cy - (hb - 30)}};
  const bool free = PlaceIsFree(inner);
  const POINT s = CursorToClient(core.cursorX, core.cursorY);
  const std::int32_t w = view.zoom * hl / 50, h = view.zoom * hb / 50;
  const std::int32_t left = s.x - w / 2, top = s.y - h / 2, right = left + w, bottom = top + h;
  HDC dc = GetDC(pointer.workWindow);
  if (!dc) return;
  const int oldRop = SetROP2(dc, R2_NOTXORPEN);
  HGDIOBJ oldPen = SelectObject(dc, free ? view.tools.wallPen : view.tools.redPen);
  if (!free) pointer.dropAllowed = false;
  ClippedLine(dc, left, top, right - 1, top);
  ClippedLine(dc, right, top, right, bottom);
  ClippedLine(dc, left, bottom - 1, right - 1, bottom - 1);
  ClippedLine(dc, left, top + 1, left, bottom - 1);
  ClippedLine(dc, left + 1, bottom - 2, right - 1, top);
  ClippedLine(dc, left + 1, top + 1, right - 1, bottom - 1);
  SelectObject(dc, oldPen);
  SetROP2(dc, oldRop);
  ReleaseDC(pointer.workWindow, dc);
}

// The first wall (lowest index) that a rectangle centred at (cx, cy) stands on.
int TouchedWall(std::int32_t cx, std::int32_t cy) {
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth;
  auto within = [](std::int32_t v, std::int32_t a, std::int32_t b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
  };
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = Seg(i);
    if (s.kind == SEG_HWALL && (s.y1 == cy - hb || s.y1 == cy + hb) &&
        within(cx - hl, s.x1, s.x2) && within(cx + hl, s.x1, s.x2))
      return i;
    if (s.kind == SEG_VWALL && (s.x1 == cx - hl || s.x1 == cx + hl) &&
        within(cy - hb, s.y1, s.y2) && within(cy + hb, s.y1, s.y2))
      return i;
  }
  return -1;
}

bool HasStraightWalls() {
  for (int i = 0; i <= walls.last; ++i)
    if (Seg(i).kind == SEG_HWALL || Seg(i).kind == SEG_VWALL) return true;
  return false;
}

// How many segments the rectangle at (cx, cy) takes: 4 for the first room or a split
// wall, 2 at a wall's end; 0 when it stands on no wall.
int SegmentsNeeded(std::int32_t cx, std::int32_t cy) {
  if (!HasStraightWalls()) return 4;
  const int w = TouchedWall(cx, cy);
  if (w < 0) return 0;
  const WallSegment& s = Seg(w);
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth;
  if (s.kind == SEG_HWALL) {
    const int sg = Sign(static_cast<std::int64_t>(s.x2) - s.x1);
    return (cx - hl * sg == s.x1 || cx + hl * sg == s.x2) ? 2 : 4;
  }
  const int sg = Sign(static_cast<std::int64_t>(s.y2) - s.y1);
  return (cy - hb * sg == s.y1 || cy + hb * sg == s.y2) ? 2 : 4;
}

void InsertWallRect(std::int32_t cx, std::int32_t cy) {
  const std::int32_t hl = rect.halfLength, hb = rect.halfBreadth;
  const int needed = SegmentsNeeded(cx, cy);
  if (needed == 0) {
    EngineTrace("InsertWallRect: Wall not found!\nFunction aborted.");
    return;
  }
  // A placement that does not fit the table adds nothing, so the ring stays closed.
  if (needed > FreeSlots()) {
    EngineTrace("can't place wall part");
    return;
  }
  if (!HasStraightWalls()) {
    const int a = Take(SEG_HWALL, cx - hl, cy - hb, cx + hl, cy - hb);
    const int b = Take(SEG_VWALL, cx + hl, cy - hb, cx + hl, cy + hb);
    const int c = Take(SEG_HWALL, cx + hl, cy + hb, cx - hl, cy + hb);
    const int e = Take(SEG_VWALL, cx - hl, cy + hb, cx - hl, cy - hb);
    LinkWallSegments(a, b);
    LinkWallSegments(b, c);
    LinkWallSegments(c, e);
    LinkWallSegments(e, a);
    return;
  }
  const int w = TouchedWall(cx, cy);
  if (w < 0) return;
  WallSegment& s = Seg(w);
  const int prev = s.prev, next = s.next;
  if (s.kind == SEG_HWALL) {
    const std::int32_t x1 = s.x1, x2 = s.x2, y = s.y1;
    const int sg = Sign(static_cast<std::int64_t>(x2) - x1),
              t = Sign(static_cast<std::int64_t>(cy) - y);
    const std::int32_t d = 2 * hl * sg, h = 2 * hb * t, a = cx - hl * sg, b = cx + hl * sg;
    if (a == x1) {
      const int na = Take(SEG_HWALL, x1, y + h, x1 + d, y + h);
      const int nb = Take(SEG_VWALL, x1 + d, y + h, x1 + d, y);
      LinkWallSegments(prev, na);
      LinkWallSegments(na, nb);
      LinkWallSegments(nb, w);
      Seg(w).x1 = x1 + d;
      if (prev >= 0) {
        Seg(prev).x2 = x1;
        Seg(prev).y2 = y + h;
      }
    } else if (b == x2) {
      const int na = Take(SEG_VWALL, x2 - d, y, x2 - d, y + h);
      const int nb = Take(SEG_HWALL, x2 - d, y + h, x2, y + h);
      LinkWallSegments(w, na);
      LinkWallSegments(na, nb);
      LinkWallSegments(nb, next);
      Seg(w).x2 = x2 - d;
      if (next >= 0) {
        Seg(next).x1 = x2;
        Seg(next).y1 = y + h;
      }
    } else {
      const int na = Take(SEG_VWALL, a, y, a, y + h);
      const int nb = Take(SEG_HWALL, a, y + h, b, y + h);
      const int nc = Take(SEG_VWALL, b, y + h, b, y);
      const int ne = Take(SEG_HWALL, b, y, x2, y);
      LinkWallSegments(w, na);
      LinkWallSegments(na, nb);
      LinkWallSegments(nb, nc);
      LinkWallSegments(nc, ne);
      LinkWallSegments(ne, next);
      Seg(w).x2 = a;
    }
    return;
  }
  const std::int32_t x = s.x1, y1 = s.y1, y2 = s.y2;
  const int sg = Sign(static_cast<std::int64_t>(y2) - y1),
            t = Sign(static_cast<std::int64_t>(cx) - x);
  const std::int32_t d = 2 * hb * sg, wd = 2 * hl * t, a = cy - hb * sg, b = cy + hb * sg;
  if (a == y1) {
    const int na = Take(SEG_VWALL, x + wd, y1, x + wd, y1 + d);
    const int nb = Take(SEG_HWALL, x + wd, y1 + d, x, y1 + d);
    LinkWallSegments(prev, na);
    LinkWallSegments(na, nb);
    LinkWallSegments(nb, w);
    Seg(w).y1 = y1 + d;
    if (prev >= 0) {
      Seg(prev).x2 = x + wd;
      Seg(prev).y2 = y1;
    }
  } else if (b == y2) {
    const int na = Take(SEG_HWALL, x, y2 - d, x + wd, y2 - d);
    const int nb = Take(SEG_VWALL, x + wd, y2 - d, x + wd, y2);
    LinkWallSegments(w, na);
    LinkWallSegments(na, nb);
    LinkWallSegments(nb, next);
    Seg(w).y2 = y2 - d;
    if (next >= 0) Seg(next).x1 = x + wd;
  } else {
    const int na = Take(SEG_HWALL, x, a, x + wd, a);
    const int nb = Take(SEG_VWALL, x + wd, a, x + wd, b);
    const int nc = Take(SEG_HWALL, x + wd, b, x, b);
    const int ne = Take(SEG_VWALL, x, b, x, y2);
    LinkWallSegments(w, na);
    LinkWallSegments(na, nb);
    LinkWallSegments(nb, nc);
    LinkWallSegments(nc, ne);
    LinkWallSegments(ne, next);
    Seg(w).y2 = a;
  }
}

void WallRectCommit() {
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  if (!core.replayMode && SegmentsNeeded(cx, cy) > FreeSlots()) {
    EngineTrace("can't place wall part");
    return;
  }
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  if (InsertRequest("WALLRECT") < 0) return;
  InsertWallRect(cx, cy);
}

// --- Installation wall --------------------------------------------------------------

void FreeWallFeedback() {
  ClampCursor(freeWall.extentX, freeWall.extentY);
  const double c = CosDeg(freeWall.angle), s = SinDeg(freeWall.angle);
  const double l = view.zoom * freeWall.halfLength / 100,
               t = view.zoom * freeWall.halfThickness / 100;
  const POINT at = CursorToClient(core.cursorX, core.cursorY);
  auto corner = [&](double along, double across) {
    return POINT{static_cast<int>(at.x + along * c - across * -s),
                 static_cast<int>(at.y + along * s - across * c)};
  };
  const POINT q[4] = {corner(l, t), corner(-l, t), corner(-l, -t), corner(l, -t)};
  const FeedbackDc feedback(view.tools.wallPen);
  if (feedback.dc()) CrossedBox(feedback.dc(), q);
}

void InsertInstWall(int tag) {
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  ClampToSheet(&cx, &cy, freeWall.extentX, freeWall.extentY);
  const double c = CosDeg(freeWall.angle), s = SinDeg(freeWall.angle);
  const double l = freeWall.halfLength, t = freeWall.halfThickness;
  auto point = [&](double along, double across) {
    return POINT{static_cast<int>(cx + along * c + across * -s),
                 static_cast<int>(cy + along * s + across * c)};
  };
  const POINT p[4] = {point(-l, t), point(l, t), point(l, -t), point(-l, -t)};
  const int i = AllocWallSegment(SEG_INSTWALL);
  if (i < 0) return;
  WallSegment& seg = Seg(i);
  seg.x1 = p[0].x;
  seg.y1 = p[0].y;
  seg.x2 = p[1].x;
  seg.y2 = p[1].y;
  seg.thickness = static_cast<std::uint16_t>(freeWall.halfThickness);
  seg.prev = seg.next = -1;
  seg.owner = static_cast<std::int16_t>(tag);
  // While a redraw replays the layout, the outline drawn after it paints every band
  // anyway; drawing each here as well would only double the work.
  if (!OutlineSuspended()) DrawInstWallBand(i);
  if (freeWall.fixed == 0) RegisterHitArea(tag, p, 4);
}

void FreeWallCommit() {
  if (!core.replayMode && FreeSlots() < 1) {
    EngineTrace("can't place wall part");
    return;
  }
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  const int tag = InsertRequest("INSTWALL");
  if (tag < 0) return;
  InsertInstWall(tag);
}

}  // namespace

// --- Shared by the room tools ------------------------------------------------------

int FreeSlots() {
  int n = 0;
  for (const WallSegment& s : walls.segments) n += s.kind == SEG_FREE;
  return n;
}

void CursorToSheet(std::int32_t* x, std::int32_t* y) {
  *x = core.cursorX - view.roomOriginX;
  *y = core.cursorY - view.roomOriginY;
}
void SheetToCursor(std::int32_t x, std::int32_t y) {
  core.cursorX = x + view.roomOriginX;
  core.cursorY = y + view.roomOriginY;
}

std::int32_t SheetLength(std::uint32_t value) {
  const auto v = static_cast<std::int32_t>(value);
  return std::clamp(v, 0, 2 * kSheetWidth);
}

void RotatedExtent(std::int32_t l, std::int32_t t, std::int32_t angle, std::int32_t* hx,
                   std::int32_t* hy) {
  const double c = CosDeg(angle), s = SinDeg(angle);
  const double lf = l, tf = t;
  const double xs[4] = {lf * c + tf * s, tf * s - lf * c, -lf * c - tf * s, lf * c - tf * s};
  const double ys[4] = {lf * s - tf * c, -lf * s - tf * c, tf * c - lf * s, tf * c + lf * s};
  std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    const auto x = static_cast<std::int32_t>(xs[i]), y = static_cast<std::int32_t>(ys[i]);
    if (i == 0 || x < minX) minX = x;
    if (i == 0 || x > maxX) maxX = x;
    if (i == 0 || y < minY) minY = y;
    if (i == 0 || y > maxY) maxY = y;
  }
  *hx = (maxX - minX) / 2;
  *hy = (maxY - minY) / 2;
}

namespace {

// The frame free-standing shapes stay in: 130 pixels (65 cm) inside the sheet.
constexpr std::int32_t kFrameLeft = 130, kFrameTop = 130, kFrameRight = 1390, kFrameBottom = 990;

// One axis of the clamp. A shape wider than the frame is centred in it: pushing it
// off one side would push it over the other, and a second clamp (the drop after the
// feedback, or a replay) would move it back and forth.
std::int32_t ClampAxis(std::int32_t c, std::int32_t half, std::int32_t low, std::int32_t high) {
  if (2 * std::int64_t{half} > high - low) return (low + high) / 2;
  if (c - half < low) return low + half;
  if (c + half >= high) return high - half;
  return c;
}

}  // namespace

void ClampToSheet(std::int32_t* cx, std::int32_t* cy, std::int32_t hx, std::int32_t hy,
                  std::int32_t farInset) {
  *cx = ClampAxis(*cx, hx, kFrameLeft, kFrameRight - farInset);
  *cy = ClampAxis(*cy, hy, kFrameTop, kFrameBottom - farInset);
}

void ClampCursor(std::int32_t hx, std::int32_t hy, std::int32_t farInset) {
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  ClampToSheet(&cx, &cy, hx, hy, farInset);
  SheetToCursor(cx, cy);
}

int Take(SegmentKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const int i = AllocWallSegment(kind);
  if (i < 0) return -1;
  WallSegment& s = Seg(i);
  s.x1 = x1;
  s.y1 = y1;
  s.x2 = x2;
  s.y2 = y2;
  return i;
}

void BeginTool() {
  // A replay only sets the record's kind up again; ending a move from inside the redraw
  // would undo and redraw under the replay, and the rest of it would insert records.
  if (!core.replayMode) SetSelectCursor();
  HideFeedback();
}

void InstallTool(TrackFn draw, TrackFn drop) {
  pointer.trackDraw = draw;
  pointer.trackDrop = drop;
  // A replay drops at once; drawing feedback for it would only flicker.
  if (!core.replayMode) ShowFeedback();
}

FeedbackDc::FeedbackDc(HGDIOBJ pen) : dc_(GetDC(pointer.workWindow)) {
  if (!dc_) return;
  oldRop_ = SetROP2(dc_, R2_NOTXORPEN);
  oldPen_ = SelectObject(dc_, pen);
}

FeedbackDc::~FeedbackDc() {
  if (!dc_) return;
  SelectObject(dc_, oldPen_);
  SetROP2(dc_, oldRop_);
  ReleaseDC(pointer.workWindow, dc_);
}

// --- The table --------------------------------------------------------------------

void ClearWallTable() {
  std::memset(walls.segments, 0, sizeof walls.segments);
  walls.last = -1;
  walls.firstFree = 0;
}

int AllocWallSegment(SegmentKind kind) {
  for (int i = std::max(walls.firstFree, 0); i < kMaxWallSegments; ++i) {
    WallSegment& s = Seg(i);
    if (s.kind != SEG_FREE) continue;
    s.kind = kind;
    s.thickness = 15;
    if (i > walls.last) walls.last = i;
    walls.firstFree = i + 1;
    return i;
  }
  walls.firstFree = kMaxWallSegments;
  EngineTrace("can't place wall part");
  return -1;
}

void LinkWallSegments(int a, int b) {
  if (a >= 0) Seg(a).next = static_cast<std::int16_t>(b);
  if (b >= 0) Seg(b).prev = static_cast<std::int16_t>(a);
}

void FreeWallSegment(int i) {
  if (i < 0 || i >= kMaxWallSegments) return;
  WallSegment& s = Seg(i);
  s.kind = SEG_FREE;
  walls.firstFree = std::min(walls.firstFree, i);
  if (i == walls.last) walls.last = i - 1;
  if (s.prev == i) {
    walls.last = -1;
    return;
  }
  if (s.prev >= 0) Seg(s.prev).next = s.next;
  if (s.next >= 0) Seg(s.next).prev = s.prev;
}

void PurgeEmptySegments() {
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = Seg(i);
    if (s.kind != SEG_FREE && s.x1 == s.x2 && s.y1 == s.y2) FreeWallSegment(i);
  }
}

bool PointInRoom(std::int32_t x, std::int32_t y) {
  const FloatPoint origin{0, 0}, point{static_cast<float>(x), static_cast<float>(y)};
  int crossings = 0;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = Seg(i);
    if (s.kind < SEG_HWALL || s.kind > SEG_DOOR) continue;
    const FloatPoint a{static_cast<float>(s.x1), static_cast<float>(s.y1)};
    const FloatPoint b{static_cast<float>(s.x2), static_cast<float>(s.y2)};
    crossings += SegmentsCross(&origin, &point, &a, &b);
  }
  return crossings % 2 == 1;
}

bool SegmentFrame(int i, FloatPoint* direction, FloatPoint* normal) {
  if (i < 0 || i > walls.last) return false;
  const WallSegment& s = Seg(i);
  const float dx = static_cast<float>(s.x2 - s.x1), dy = static_cast<float>(s.y2 - s.y1);
  const float length = std::sqrt(dx * dx + dy * dy);
  if (direction) *direction = FloatPoint{dx, dy};
  if (length <= 0) return false;
  if (normal) *normal = FloatPoint{-dy / length, dx / length};
  return true;
}

double SinDeg(std::int32_t a) {
  if (a % 90 == 0) {
    constexpr double kSin[4] = {0, 1, 0, -1};
    return kSin[(a / 90) & 3];
  }
  return std::sin(a * 0.017453292222222222);
}

double CosDeg(std::int32_t a) {
  if (a % 90 == 0) {
    constexpr double kCos[4] = {1, 0, -1, 0};
    return kCos[(a / 90) & 3];
  }
  return std::cos(a * 0.017453292222222222);
}

void SuspendOutline(bool suspended) {
  outlineSuspended = suspended;
}
bool OutlineSuspended() {
  return outlineSuspended;
}

// --- The tools --------------------------------------------------------------------

long PutWallRectangle() {
  BeginTool();
  rect.halfLength = SheetLength(core.request.p0);
  rect.halfBreadth = SheetLength(core.request.p1);
  const std::int64_t d = 2 * static_cast<std::int64_t>(static_cast<std::int32_t>(core.request.p2));
  rect.distance = d >= kSheetWidth || d < 0 ? -1 : static_cast<std::int32_t>(d);
  if (!core.replayMode) {
    FindCandidates();
    if (rect.wallsExist && rect.count == 0) return -303;
  } else {
    rect.count = 0;
  }
  InstallTool(WallRectFeedback, WallRectCommit);
  return 0;
}

long PutFreeWall() {
  BeginTool();
  freeWall.halfLength = SheetLength(core.request.p0);
  freeWall.halfThickness = SheetLength(core.request.p1);
  freeWall.angle = TurnAngle(core.request.p2);
  freeWall.fixed = core.request.l1;
  RotatedExtent(freeWall.halfLength, freeWall.halfThickness, freeWall.angle, &freeWall.extentX,
                &freeWall.extentY);
  InstallTool(FreeWallFeedback, FreeWallCommit);
  return 0;
}

}  // namespace vrx
