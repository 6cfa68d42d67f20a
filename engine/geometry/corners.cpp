// The corner tools: a diagonal bevel or a quarter ellipse cut into the corner where a
// horizontal and a vertical wall meet. Only corners whose two walls are at least as
// long as the legs are offered; the cursor snaps to the nearest one.
#include <cmath>

#include "geometry/geometry_p.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

struct CornerCandidate {
  std::uint8_t h, v;           // the horizontal and the vertical wall
  std::uint8_t first, second;  // the two in ring order: second = first.next
  std::int32_t cx, cy;         // the cut's centre
};
static_assert(kMaxWallSegments <= 256, "corner candidates keep wall indices in a byte");

struct CornerTool {
  std::int32_t legH = 0, legV = 0;  // half legs along the horizontal and vertical wall
  SegmentKind kind = SEG_DIAGCRNR;
  CornerCandidate candidates[kMaxCornerCandidates]{};
  int count = 0;
};
constinit CornerTool corner;

std::int64_t Span(std::int32_t a, std::int32_t b) {
  return b > a ? std::int64_t{b} - a : std::int64_t{a} - b;
}

void FindCornerCandidates() {
  corner.count = 0;
  const std::int32_t lh = corner.legH, lv = corner.legV;
  // A corner without a leg would leave a cut lying on a wall.
  if (lh < 1 || lv < 1) return;
  for (int i = 0; i <= walls.last && corner.count < kMaxCornerCandidates; ++i) {
    const WallSegment& s = Seg(i);
    if (!InTable(s.next)) continue;
    const WallSegment& n = Seg(s.next);
    const bool hFirst = s.kind == SEG_HWALL && n.kind == SEG_VWALL;
    const bool vFirst = s.kind == SEG_VWALL && n.kind == SEG_HWALL;
    if (!hFirst && !vFirst) continue;
    const WallSegment& h = hFirst ? s : n;
    const WallSegment& v = hFirst ? n : s;
    if (Span(h.x1, h.x2) < 2 * std::int64_t{lh} || Span(v.y1, v.y2) < 2 * std::int64_t{lv})
      continue;
    CornerCandidate c{};
    c.h = static_cast<std::uint8_t>(hFirst ? i : s.next);
    c.v = static_cast<std::uint8_t>(hFirst ? s.next : i);
    c.first = static_cast<std::uint8_t>(i);
    c.second = static_cast<std::uint8_t>(s.next);
    // The centre of the cut lies a half leg from the corner along each wall, inside
    // the corner.
    if (hFirst) {
      c.cx = v.x1 > h.x1 ? v.x1 - lh : v.x1 + lh;
      c.cy = v.y2 > v.y1 ? v.y1 + lv : v.y1 - lv;
    } else {
      c.cy = h.y1 > v.y1 ? h.y1 - lv : h.y1 + lv;
      c.cx = h.x2 > h.x1 ? h.x1 + lh : h.x1 - lh;
    }
    corner.candidates[corner.count++] = c;
  }
}

// The nearest corner to a worksheet point; the first of equals wins. -1 when none is
// nearer than the snapping reach.
int NearestCorner(std::int32_t px, std::int32_t py) {
  double best = 100000;
  int found = -1;
  for (int i = 0; i < corner.count; ++i) {
    const double dx = static_cast<double>(px) - corner.candidates[i].cx,
                 dy = static_cast<double>(py) - corner.candidates[i].cy;
    const double d = std::trunc(std::sqrt(dx * dx + dy * dy));
    if (d < best) {
      best = d;
      found = i;
    }
  }
  return found;
}

// Snaps the cursor to the nearest corner's centre.
int SnapToCorner() {
  std::int32_t px, py;
  CursorToSheet(&px, &py);
  const int i = NearestCorner(px, py);
  if (i >= 0) SheetToCursor(corner.candidates[i].cx, corner.candidates[i].cy);
  return i;
}

// Whether the candidate's two walls still meet there: the plan may have changed under a
// tool that was started earlier.
bool CornerStillThere(const CornerCandidate& c) {
  return InTable(c.first) && InTable(c.second) && Seg(c.first).next == c.second &&
         Seg(c.h).kind == SEG_HWALL && Seg(c.v).kind == SEG_VWALL;
}

// The ends of the cut the drop makes at a candidate.
void CutEnds(const CornerCandidate& c, POINT* a, POINT* b) {
  const WallSegment& h = Seg(c.h);
  const WallSegment& v = Seg(c.v);
  const int sh = Sign(std::int64_t{h.x2} - h.x1), sv = Sign(std::int64_t{v.y2} - v.y1);
  *a = POINT{c.cx - corner.legH * sh, c.cy - corner.legV * sv};
  *b = POINT{c.cx + corner.legH * sh, c.cy + corner.legV * sv};
}

// A worksheet point of the cut in window pixels, measured from the centre's.
POINT ToWindow(POINT centreWindow, POINT centre, POINT p) {
  return POINT{centreWindow.x + (p.x - centre.x) * view.zoom / 100,
               centreWindow.y + (p.y - centre.y) * view.zoom / 100};
}

void DiagCornerFeedback() {
  const int i = SnapToCorner();
  if (i < 0) return;
  const CornerCandidate& c = corner.candidates[i];
  POINT a, b;
  CutEnds(c, &a, &b);
  const POINT centre{c.cx, c.cy};
  const POINT s = CursorToClient(core.cursorX, core.cursorY);
  const POINT sa = ToWindow(s, centre, a), sb = ToWindow(s, centre, b);
  // The band lies on the side away from the room: against the ring's inward normal.
  const double dx = sb.x - sa.x, dy = sb.y - sa.y, len = std::sqrt(dx * dx + dy * dy);
  const double w = kCornerBand * view.zoom / 100;
  const double mx = len > 0 ? dy / len : 0, my = len > 0 ? -dx / len : 0;
  const POINT oa{static_cast<int>(sa.x + w * mx), static_cast<int>(sa.y + w * my)};
  const POINT ob{static_cast<int>(sb.x + w * mx), static_cast<int>(sb.y + w * my)};
  const FeedbackDc feedback(view.tools.wallPen);
  if (!feedback.dc()) return;
  ClippedLine(feedback.dc(), sa.x, sa.y, sb.x, sb.y);
  ClippedLine(feedback.dc(), oa.x, oa.y, ob.x, ob.y);
  ClippedLine(feedback.dc(), sb.x, sb.y, ob.x, ob.y);
  ClippedLine(feedback.dc(), sa.x, sa.y, oa.x, oa.y);
}

void RoundCornerFeedback() {
  const int i = SnapToCorner();
  if (i < 0) return;
  const CornerCandidate& c = corner.candidates[i];
  POINT a, b;
  CutEnds(c, &a, &b);
  const WallSegment& first = Seg(c.first);
  const WallSegment& second = Seg(c.second);
  const bool clockwise =
      Sign(std::int64_t{first.x2} - first.x1) == Sign(std::int64_t{second.y2} - second.y1) &&
      Sign(std::int64_t{first.y2} - first.y1) == -Sign(std::int64_t{second.x2} - second.x1);
  const RoundCornerShape r = RoundCornerOf(a, b, first.kind == SEG_VWALL, clockwise);
  const POINT centre{c.cx, c.cy};
  const POINT s = CursorToClient(core.cursorX, core.cursorY);
  const POINT k = ToWindow(s, centre, r.centre);
  const POINT sa = ToWindow(s, centre, a), sb = ToWindow(s, centre, b);
  const POINT oa = ToWindow(s, centre, r.outer1), ob = ToWindow(s, centre, r.outer2);
  const int band = clockwise ? kCornerBand / 2 : -kCornerBand / 2;
  const int rx = view.zoom * corner.legH / 50, ry = view.zoom * corner.legV / 50;
  const int ox = view.zoom * (corner.legH + band) / 50, oy = view.zoom * (corner.legV + band) / 50;
  const FeedbackDc feedback(view.tools.wallPen);
  if (!feedback.dc()) return;
  // Arcs run counter-clockwise on the screen, so their ends swap with the turn.
  if (clockwise) {
    ClippedArc(feedback.dc(), k.x, k.y, rx, ry, sb.x, sb.y, sa.x, sa.y);
    ClippedArc(feedback.dc(), k.x, k.y, ox, oy, ob.x, ob.y, oa.x, oa.y);
  } else {
    ClippedArc(feedback.dc(), k.x, k.y, rx, ry, sa.x, sa.y, sb.x, sb.y);
    ClippedArc(feedback.dc(), k.x, k.y, ox, oy, oa.x, oa.y, ob.x, ob.y);
  }
  ClippedLine(feedback.dc(), sa.x, sa.y, oa.x, oa.y);
  ClippedLine(feedback.dc(), sb.x, sb.y, ob.x, ob.y);
}

// Cuts the corner at the cursor: the first wall ends where the cut starts and the
// second starts where it ends. A wall the cut takes whole is left without length and
// purged.
void InsertDiagCorner(SegmentKind kind) {
  const int i = SnapToCorner();
  if (i < 0 || !CornerStillThere(corner.candidates[i])) {
    EngineTrace("InsertDiagCorner: Corner not found!\nFunction aborted.");
    return;
  }
  const CornerCandidate c = corner.candidates[i];
  POINT a, b;
  CutEnds(c, &a, &b);
  const int n = Take(kind, a.x, a.y, b.x, b.y);
  if (n < 0) return;
  LinkWallSegments(c.first, n);
  LinkWallSegments(n, c.second);
  Seg(c.first).x2 = a.x;
  Seg(c.first).y2 = a.y;
  Seg(c.second).x1 = b.x;
  Seg(c.second).y1 = b.y;
  PurgeEmptySegments();
}

void CornerCommit() {
  if (!core.replayMode) {
    // Refused whole: an object without its corner would only trace on every rebuild.
    const int i = SnapToCorner();
    if (i < 0 || !CornerStillThere(corner.candidates[i])) return;
    if (FreeSlots() < 1) {
      EngineTrace("can't place wall part");
      return;
    }
  }
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  if (InsertRequest(corner.kind == SEG_DIAGCRNR ? "DIAGCRNR" : "RNDCRNR") < 0) return;
  InsertDiagCorner(corner.kind);
}

long PutCorner(SegmentKind kind, TrackFn feedback) {
  BeginTool();
  corner.legH = SheetLength(core.request.p0);
  corner.legV = SheetLength(core.request.p1);
  corner.kind = kind;
  FindCornerCandidates();
  // A replayed corner still drops, so a corner the outline no longer has is traced.
  if (corner.count == 0 && !core.replayMode) {
    pointer.trackDraw = nullptr;
    pointer.trackDrop = nullptr;
    return -303;
  }
  InstallTool(feedback, CornerCommit);
  return 0;
}

}  // namespace

RoundCornerShape RoundCornerOf(POINT p1, POINT p2, bool firstVertical, bool clockwise) {
  const int sx = Sign(std::int64_t{p2.x} - p1.x), sy = Sign(std::int64_t{p2.y} - p1.y);
  RoundCornerShape r{};
  r.rx = p2.x > p1.x ? p2.x - p1.x : p1.x - p2.x;
  r.ry = p2.y > p1.y ? p2.y - p1.y : p1.y - p2.y;
  r.clockwise = clockwise;
  r.centre = firstVertical ? POINT{p2.x, p1.y} : POINT{p1.x, p2.y};
  // Outside the room is against the turn: beyond the arc at an outer corner, inside it
  // at an inner one.
  const int out = clockwise ? kCornerBand : -kCornerBand;
  if (!firstVertical) {
    r.outer1 = POINT{p1.x, p1.y - out * sy};
    r.outer2 = POINT{p2.x + out * sx, p2.y};
  } else {
    r.outer1 = POINT{p1.x - out * sx, p1.y};
    r.outer2 = POINT{p2.x, p2.y + out * sy};
  }
  return r;
}

long PutDiagonalCorner() {
  return PutCorner(SEG_DIAGCRNR, DiagCornerFeedback);
}

long PutRoundCorner() {
  return PutCorner(SEG_RNDCRNR, RoundCornerFeedback);
}

}  // namespace vrx
