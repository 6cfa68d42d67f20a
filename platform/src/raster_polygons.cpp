// Polygons: edges scan-converted row by row in either fill mode, and the rectangle
// with its frame.
#include <algorithm>
#include <cstring>
#include <vector>

#include "raster_p.h"

namespace plat {
namespace detail {

void FillEdges(Canvas& c, const std::vector<Edge>& edges, int mode, const Paint& paint) {
  if (paint.style == BS_NULL) return;
  if (paint.style == BS_SOLID && c.t.bytesPerPixel == 1 && c.dc->rop2 == R2_COPYPEN) {
    // Plans fill thousands of small solid polygons: each run is written directly.
    const auto v = static_cast<std::uint8_t>(paint.fore);
    ScanEdges(edges, mode, c.clip, [&](int y, int l, int r) {
      std::memset(c.At(l, y), v, static_cast<std::size_t>(r - l));
      c.Touch(l, y, r, y + 1);
    });
    return;
  }
  ScanEdges(edges, mode, c.clip, [&](int y, int l, int r) { Span(c, y, l, r, paint); });
}

void AddPolygonEdges(std::vector<Edge>& edges, const POINT* pts, int n) {
  for (int i = 0; i < n; ++i) {
    const POINT& a = pts[i];
    const POINT& b = pts[(i + 1) % n];
    if (a.y == b.y) continue;
    if (a.y < b.y)
      edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
    else
      edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
  }
}

}  // namespace detail

using namespace detail;

bool PolyPolygon(HDC h, const POINT* pts, const int* counts, int polygons) {
  Canvas c;
  if (!pts || !counts || polygons < 1 || !Open(h, &c)) return false;
  static std::vector<Edge> edges;
  edges.clear();
  const POINT* p = pts;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return false;
    AddPolygonEdges(edges, p, counts[i]);
    p += counts[i];
  }
  FillEdges(c, edges, c.dc->fillMode, BrushPaint(c, c.dc->brush));
  p = pts;
  for (int i = 0; i < polygons; ++i) {
    Stroke(c, p, counts[i], true);
    p += counts[i];
  }
  Close(c);
  return true;
}

bool Polygon(HDC h, const POINT* pts, int n) {
  return PolyPolygon(h, pts, &n, 1);
}

bool Rectangle(HDC h, int l, int t, int r, int b) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  PenInfo pen = PenOf(c);
  // An inside-frame pen keeps the whole outline within the rectangle.
  int inset = 0, farInset = 0;
  if (pen.style == PS_INSIDEFRAME && pen.width > 1) {
    inset = pen.width / 2;
    farInset = pen.width - 1 - pen.width / 2;
  }
  const Paint paint = BrushPaint(c, c.dc->brush);
  // Without a pen the interior still loses the right column and the bottom row.
  const int fl = pen.style == PS_NULL ? l : l + 1, ft = pen.style == PS_NULL ? t : t + 1;
  const int fr = r - 1, fb = b - 1;
  if (paint.style == BS_SOLID)
    ValueRect(c, fl, ft, fr, fb, paint.fore);
  else if (paint.style != BS_NULL)
    for (long long y = std::max<long long>(ft, c.clip.top);
         y < std::min<long long>(fb, c.clip.bottom); ++y)
      Span(c, static_cast<int>(y), fl, fr, paint);
  if (pen.style != PS_NULL) {
    const POINT pts[4] = {{l + inset, t + inset},
                          {r - 1 - farInset, t + inset},
                          {r - 1 - farInset, b - 1 - farInset},
                          {l + inset, b - 1 - farInset}};
    if (pen.style == PS_INSIDEFRAME) {
      Object* o = Lookup(c.dc->pen, Kind::Pen);
      const int saved = o->pen->style;
      o->pen->style = PS_SOLID;
      Stroke(c, pts, 4, true);
      o->pen->style = saved;
    } else {
      Stroke(c, pts, 4, true);
    }
  }
  Close(c);
  return true;
}

}  // namespace plat
