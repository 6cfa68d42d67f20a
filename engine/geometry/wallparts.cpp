// Doors and windows: openings that slide along the straight walls and diagonal corners
// of the room. The drop splits the wall and puts the opening's own segment into the
// ring; its band is the object's hit area.
#include <cmath>

#include "geometry/geometry_p.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

// Angles below this draw no swing: a door so nearly shut has no area to show.
constexpr std::int32_t kLeastSwing = 3;
constexpr std::int32_t kWidestSwing = 180;

struct WallPartCandidate {
  std::int32_t x1, y1, x2, y2;  // the line of allowed centres; one point when equal
  float ux, uy;                 // unit direction of the wall
  float nx, ny;                 // unit normal (-uy, ux)
  std::int32_t wall;
  std::int32_t length;  // of the line, 1 for a single point
};
static_assert(sizeof(WallPartCandidate) == 40);

struct WallPartTool {
  std::int32_t half = 0;       // half the opening's width
  std::int32_t distance = -1;  // from the wall's end, -1 for free placement
  WallPartCandidate candidates[kMaxWallPartCandidates]{};
  int count = 0;
};
constinit WallPartTool part;

void AddPart(const WallPartCandidate& c) {
  if (part.count < kMaxWallPartCandidates) part.candidates[part.count++] = c;
}

void FindWallPartCandidates() {
  part.count = 0;
  const std::int32_t h = part.half, d = part.distance;
  // An opening without width would be a segment without length.
  if (h < 1) return;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& s = Seg(i);
    if (s.kind != SEG_HWALL && s.kind != SEG_VWALL && s.kind != SEG_DIAGCRNR) continue;
    const float dx = static_cast<float>(std::int64_t{s.x2} - s.x1),
                dy = static_cast<float>(std::int64_t{s.y2} - s.y1);
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(2.0f * static_cast<float>(h) < len)) continue;
    WallPartCandidate c{};
    c.ux = dx / len;
    c.uy = dy / len;
    c.nx = -c.uy;
    c.ny = c.ux;
    c.wall = i;
    // The centre stays half the width from either end.
    const auto hx = static_cast<std::int32_t>(static_cast<float>(h) * c.ux),
               hy = static_cast<std::int32_t>(static_cast<float>(h) * c.uy);
    c.x1 = s.x1 + hx;
    c.y1 = s.y1 + hy;
    c.x2 = s.x2 - hx;
    c.y2 = s.y2 - hy;
    const float lx = static_cast<float>(c.x2 - c.x1), ly = static_cast<float>(c.y2 - c.y1);
    c.length = static_cast<std::int32_t>(std::sqrt(lx * lx + ly * ly));
    if (d < 0) {
      AddPart(c);
      continue;
    }
    if (!(2.0f * static_cast<float>(d + h) <= len)) continue;
    // At a distance: the near edge d from either end of the wall, the end first.
    const auto ex = static_cast<std::int32_t>(static_cast<float>(d) * c.ux),
               ey = static_cast<std::int32_t>(static_cast<float>(d) * c.uy);
    WallPartCandidate nearEnd = c, nearStart = c;
    nearEnd.x1 = nearEnd.x2 = c.x2 - ex;
    nearEnd.y1 = nearEnd.y2 = c.y2 - ey;
    nearStart.x1 = nearStart.x2 = c.x1 + ex;
    nearStart.y1 = nearStart.y2 = c.y1 + ey;
    nearEnd.length = nearStart.length = 1;
    AddPart(nearEnd);
    AddPart(nearStart);
  }
}

// The nearest allowed centre to a worksheet point: moves the point there and gives the
// candidate, or -1 when none is within the snapping reach.
int SnapToWallPart(std::int32_t* px, std::int32_t* py) {
  double best = 100000;
  int found = -1;
  std::int32_t bx = *px, by = *py;
  for (int i = 0; i < part.count; ++i) {
    const WallPartCandidate& c = part.candidates[i];
    const double rx = static_cast<double>(*px) - c.x1, ry = static_cast<double>(*py) - c.y1;
    const double t = std::trunc(rx * c.ux + ry * c.uy);
    const double e = std::trunc(std::fabs(rx * c.nx + ry * c.ny));
    double dist;
    std::int32_t x, y;
    if (t < 0) {
      dist = std::trunc(std::sqrt(t * t + e * e));
      x = c.x1;
      y = c.y1;
    } else if (t > c.length) {
      dist = std::trunc(std::sqrt((t - c.length) * (t - c.length) + e * e));
      x = c.x2;
      y = c.y2;
    } else {
      dist = e;
      x = c.x1 + static_cast<std::int32_t>(t * c.ux);
      y = c.y1 + static_cast<std::int32_t>(t * c.uy);
    }
    if (dist < best) {
      best = dist;
      found = i;
      bx = x;
      by = y;
    }
  }
  *px = bx;
  *py = by;
  return found;
}

// Whether a candidate's wall can still take an opening: the plan may have changed under
// a tool that was started earlier.
bool WallStillTakesParts(const WallPartCandidate& c) {
  if (!InTable(c.wall)) return false;
  const std::uint16_t kind = Seg(c.wall).kind;
  return kind == SEG_HWALL || kind == SEG_VWALL || kind == SEG_DIAGCRNR;
}

// Half the opening along the candidate's wall, truncated as the segment's ends are.
POINT HalfOpening(const WallPartCandidate& c) {
  return POINT{static_cast<int>(static_cast<float>(part.half) * c.ux),
               static_cast<int>(static_cast<float>(part.half) * c.uy)};
}

// How the opening centred at (cx, cy) splits its wall: at the wall's start or end it
// needs only its own segment, inside it also the wall's far piece.
int SlotsForOpening(const WallPartCandidate& c, std::int32_t cx, std::int32_t cy) {
  const WallSegment& w = Seg(c.wall);
  const POINT half = HalfOpening(c);
  const bool atStart = cx - half.x == w.x1 && cy - half.y == w.y1;
  const bool atEnd = cx + half.x == w.x2 && cy + half.y == w.y2;
  return atStart || atEnd ? 1 : 2;
}

// Puts the opening at the cursor into the ring; gives its segment or -1.
int InsertWallPart(SegmentKind kind, int tag) {
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  const int k = SnapToWallPart(&cx, &cy);
  if (k < 0) return -1;
  const WallPartCandidate& c = part.candidates[k];
  if (!WallStillTakesParts(c)) return -1;
  if (SlotsForOpening(c, cx, cy) > FreeSlots()) {
    EngineTrace("can't place wall part");
    return -1;
  }
  const int wi = c.wall;
  const POINT half = HalfOpening(c);
  const int n = Take(kind, cx - half.x, cy - half.y, cx + half.x, cy + half.y);
  WallSegment& w = Seg(wi);
  WallSegment& seg = Seg(n);
  seg.thickness = w.thickness;
  seg.owner = static_cast<std::int16_t>(tag);
  if (seg.x1 == w.x1 && seg.y1 == w.y1) {
    LinkWallSegments(w.prev, n);
    LinkWallSegments(n, wi);
    w.x1 = seg.x2;
    w.y1 = seg.y2;
  } else if (seg.x2 == w.x2 && seg.y2 == w.y2) {
    LinkWallSegments(n, w.next);
    LinkWallSegments(wi, n);
    w.x2 = seg.x1;
    w.y2 = seg.y1;
  } else {
    const int next = w.next;
    const int m = Take(static_cast<SegmentKind>(w.kind), seg.x2, seg.y2, w.x2, w.y2);
    Seg(m).thickness = w.thickness;
    LinkWallSegments(wi, n);
    LinkWallSegments(n, m);
    LinkWallSegments(m, next);
    w.x2 = seg.x1;
    w.y2 = seg.y1;
  }
  SheetToCursor(cx, cy);
  return n;
}

// The band of the opening on the screen: 2h along the wall, the wall's thickness
// across it, centred on the wall line. No collision test: an opening is in the wall.
void WallPartFeedback() {
  std::int32_t px, py;
  CursorToSheet(&px, &py);
  const int k = SnapToWallPart(&px, &py);
  if (k < 0) return;
  const WallPartCandidate& c = part.candidates[k];
  const POINT s = CursorToClient(px + view.roomOriginX, py + view.roomOriginY);
  const double f = view.zoom * 0.01, h = part.half, t = Seg(c.wall).thickness;
  auto corner = [&](double along, double across) {
    return POINT{static_cast<int>(s.x + f * (along * c.ux + across * c.nx)),
                 static_cast<int>(s.y + f * (along * c.uy + across * c.ny))};
  };
  const POINT q[4] = {corner(-h, t), corner(h, t), corner(h, -t), corner(-h, -t)};
  const FeedbackDc feedback(view.tools.wallPen);
  if (!feedback.dc()) return;
  for (int i = 0; i < 4; ++i)
    ClippedLine(feedback.dc(), q[i].x, q[i].y, q[(i + 1) % 4].x, q[(i + 1) % 4].y);
}

void WallPartCommit(const char* kindName, SegmentKind kind) {
  if (!core.replayMode) {
    // The object keeps the centre on the wall line, so a replay snaps it to the same
    // place wherever the pointer stood. A drop that cannot be placed whole is refused.
    std::int32_t px, py;
    CursorToSheet(&px, &py);
    const int k = SnapToWallPart(&px, &py);
    if (k < 0 || !WallStillTakesParts(part.candidates[k])) return;
    if (SlotsForOpening(part.candidates[k], px, py) > FreeSlots()) {
      EngineTrace("can't place wall part");
      return;
    }
    SheetToCursor(px, py);
  }
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  const int tag = InsertRequest(kindName);
  if (tag < 0) return;
  const int n = InsertWallPart(kind, tag);
  if (n < 0) return;
  POINT band[4];
  // While the layout is replayed the outline draws every opening once it is whole;
  // drawing it here as well would only repeat the same pixels.
  if (OutlineSuspended())
    WallPartBand(n, band);
  else if (kind == SEG_DOOR)
    DrawDoor(n, band);
  else
    DrawWindow(n, band);
  RegisterHitArea(tag, band, 4);
}

void DoorCommit() {
  WallPartCommit("DOOR", SEG_DOOR);
}
void WindowCommit() {
  WallPartCommit("WINDOW", SEG_WINDOW);
}

void SetUpWallPart() {
  part.half = SheetLength(core.request.p0);
  const std::int64_t d = 2 * std::int64_t{static_cast<std::int32_t>(core.request.p2)};
  part.distance = d >= kSheetWidth || d < 0 ? -1 : static_cast<std::int32_t>(d);
  FindWallPartCandidates();
}

}  // namespace

std::int32_t DoorSwing(std::uint32_t stored) {
  const auto angle = static_cast<std::int32_t>(stored);
  if (angle < kLeastSwing) return 0;
  return angle > kWidestSwing ? kWidestSwing : angle;
}

long PutDoor() {
  BeginTool();
  // The stored door keeps the angle it is drawn with.
  core.request.p1 = static_cast<std::uint32_t>(DoorSwing(core.request.p1));
  SetUpWallPart();
  pointer.trackDraw = WallPartFeedback;
  pointer.trackDrop = DoorCommit;
  if (core.replayMode) return 0;
  ShowFeedback();
  if (part.count == 0) {
    HideFeedback();
    pointer.trackDraw = nullptr;
    pointer.trackDrop = nullptr;
    return -303;
  }
  return 0;
}

long PutWindow() {
  BeginTool();
  SetUpWallPart();
  if (part.count == 0 && !core.replayMode) return -303;
  InstallTool(WallPartFeedback, WindowCommit);
  return 0;
}

}  // namespace vrx
