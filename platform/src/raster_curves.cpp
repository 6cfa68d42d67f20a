// Curves: ellipses, rectangles with elliptic corners, arcs, pies and chords, each
// walked in integers and then stroked and filled as a path.
#include <algorithm>
#include <vector>

#include "raster_p.h"

namespace plat {
namespace detail {

namespace {

// The first quadrant of an ellipse filling a width x height box, counterclockwise from
// the x axis, in box coordinates: an error-stepping walk in integers.
std::vector<POINT> EllipseQuadrant(int width, int height) {
  const long long a = width - 1, b = height - 1;
  const long long asq = 8 * a * a, bsq = 8 * b * b;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + (b % 2));
  long long err = dx + dy + a * a * (b % 2);
  std::vector<POINT> out;
  POINT pt{static_cast<int>(a), height / 2};
  while (pt.x >= width / 2) {
    const long long e2 = 2 * err;
    out.push_back(pt);
    if (e2 >= dx) {
      --pt.x;
      err += dx += bsq;
    }
    if (e2 <= dy) {
      ++pt.y;
      err += dy += asq;
    }
  }
  return out;
}

// Which point of the quadrant, counted around the whole ellipse, a ray from the
// centre through (x, y) meets first.
int QuadrantIntersection(const std::vector<POINT>& q, long long x, long long y) {
  const int count = static_cast<int>(q.size());
  int i = 0;
  if (y >= 0) {
    if (x >= 0) {
      while (i < count && !(q[i].x * y <= q[i].y * x)) ++i;
      return i;
    }
    while (i < count && !(q[i].x * y < q[i].y * -x)) ++i;
    return 2 * count - i;
  }
  if (x >= 0) {
    while (i < count && !(q[i].x * -y <= q[i].y * x)) ++i;
    return 4 * count - i;
  }
  while (i < count && !(q[i].x * -y < q[i].y * -x)) ++i;
  return 2 * count + i;
}

std::vector<POINT> ArcPoints(int direction, const RECT& box, POINT start, POINT end) {
  const int width = box.right - box.left, height = box.bottom - box.top;
  std::vector<POINT> q = EllipseQuadrant(width, height);
  const int count = static_cast<int>(q.size());
  std::vector<POINT> out;
  if (count == 0) return out;
  for (POINT& p : q) {
    p.x -= width / 2;
    p.y -= height / 2;
  }
  if (direction != AD_CLOCKWISE) {
    start.y = -start.y;
    end.y = -end.y;
  }
  const int from = QuadrantIntersection(q, start.x, start.y);
  int to = QuadrantIntersection(q, end.x, end.y);
  if (to <= from) to += 4 * count;
  const bool cw = direction == AD_CLOCKWISE;
  const int cx0 = box.left + width / 2, cx1 = box.right - 1 - width / 2;
  const int cy0 = box.top + height / 2, cy1 = box.bottom - 1 - height / 2;
  for (int i = from; i < to; ++i) {
    const POINT& f = q[static_cast<std::size_t>(i % count)];
    const POINT& m = q[static_cast<std::size_t>(count - 1 - i % count)];
    POINT p{};
    switch ((i / count) % 4) {
      case 0:
        p = {cx0 + f.x, cw ? cy0 + f.y : cy1 - f.y};
        break;
      case 1:
        p = {cx1 - m.x, cw ? cy0 + m.y : cy1 - m.y};
        break;
      case 2:
        p = {cx1 - f.x, cw ? cy1 - f.y : cy0 + f.y};
        break;
      default:
        p = {cx0 + m.x, cw ? cy1 - m.y : cy0 + m.y};
        break;
    }
    out.push_back(p);
  }
  return out;
}

enum class ArcKind { Arc, Pie, Chord };

bool DrawArc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye, ArcKind kind) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (!SaneBox(l, t, r, b) || !SaneBox(xs, ys, xe, ye)) return true;
  const RECT box = PenBox(PenOf(c), l, t, r, b);
  const int width = box.right - box.left, height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return true;
  const int cx = box.left + width / 2, cy = box.top + height / 2;
  std::vector<POINT> pts =
      ArcPoints(c.dc->arcDirection, box, POINT{xs - cx, ys - cy}, POINT{xe - cx, ye - cy});
  if (kind == ArcKind::Pie) pts.push_back(POINT{cx, cy});
  if (pts.size() < 2) return true;
  if (kind != ArcKind::Arc) {
    std::vector<Edge> edges;
    AddPolygonEdges(edges, pts.data(), static_cast<int>(pts.size()));
    FillEdges(c, edges, WINDING, BrushPaint(c, c.dc->brush));
  }
  StrokeFramed(c, pts.data(), static_cast<int>(pts.size()), kind != ArcKind::Arc);
  Close(c);
  return true;
}

}  // namespace

}  // namespace detail

using namespace detail;

bool RoundRect(HDC h, int l, int t, int r, int b, int w, int hh) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (!SaneBox(l, t, r, b)) return true;
  const PenInfo pen = PenOf(c);
  const RECT box = PenBox(pen, l, t, r, b);
  if (box.left >= box.right || box.top >= box.bottom) return true;
  const int ew = std::min(box.right - box.left, std::abs(w));
  const int eh = std::min(box.bottom - box.top, std::abs(hh));
  if (ew <= 2 || eh <= 2) {
    Close(c);
    return Rectangle(h, l, t, r, b);
  }
  const Paint paint = BrushPaint(c, c.dc->brush);
  if (paint.style != BS_NULL)
    RoundRectRows(box.left, box.top, box.right + 1, box.bottom + 1, ew, eh,
                  [&](long long y, long long a, long long e) {
                    if (y >= c.clip.top && y < c.clip.bottom)
                      Span(c, static_cast<int>(y),
                           static_cast<int>(std::max<long long>(a, c.clip.left)),
                           static_cast<int>(std::min<long long>(e, c.clip.right)), paint);
                  });
  // The outline: one quadrant, mirrored across both axes of the box.
  std::vector<POINT> pts = EllipseQuadrant(ew, eh);
  const bool cw = c.dc->arcDirection == AD_CLOCKWISE;
  for (POINT& p : pts) {
    p.x = box.right - ew + p.x;
    p.y = cw ? box.bottom - eh + p.y : box.top + eh - 1 - p.y;
  }
  int count = static_cast<int>(pts.size());
  int end = 2 * count - 1;
  if (ew % 2 && ew == box.right - box.left) --end;
  pts.resize(static_cast<std::size_t>(end + 1));
  for (int i = 0; i < count; ++i)
    pts[static_cast<std::size_t>(end - i)] =
        POINT{box.left + box.right - 1 - pts[static_cast<std::size_t>(i)].x,
              pts[static_cast<std::size_t>(i)].y};
  count = end + 1;
  end = 2 * count - 1;
  if (eh % 2 && eh == box.bottom - box.top) --end;
  pts.resize(static_cast<std::size_t>(end + 1));
  for (int i = 0; i < count; ++i)
    pts[static_cast<std::size_t>(end - i)] =
        POINT{pts[static_cast<std::size_t>(i)].x,
              box.top + box.bottom - 1 - pts[static_cast<std::size_t>(i)].y};
  StrokeFramed(c, pts.data(), static_cast<int>(pts.size()), true);
  Close(c);
  return true;
}

bool Ellipse(HDC h, int l, int t, int r, int b) {
  return RoundRect(h, l, t, r, b, r - l, b - t);
}

bool Arc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Arc);
}
bool Pie(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Pie);
}
bool Chord(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return DrawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Chord);
}

}  // namespace plat
