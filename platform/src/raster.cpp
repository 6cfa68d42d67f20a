// The raster: lines, outlines, fills and blits on 8-bit and 32-bit targets. Every
// write is clipped to the target, the DC's clip and (for window DCs) the window, so
// no argument can reach memory outside the pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gdi_p.h"
#include "glyphs.h"

namespace plat {
namespace detail {
namespace {

struct Canvas {
  const DC* dc = nullptr;
  Target t;
  RECT clip{};  // inclusive-exclusive, within the target
  RECT dirty{0, 0, 0, 0};
  HWND window = 0;

  bool Inside(int x, int y) const {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
  }
  std::uint8_t* At(int x, int y) const {
    return t.bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(t.stride) +
           static_cast<std::size_t>(x) * static_cast<std::size_t>(t.bytesPerPixel);
  }
  std::uint32_t Get(int x, int y) const {
    if (t.bytesPerPixel == 1) return *At(x, y);
    std::uint32_t v;
    std::memcpy(&v, At(x, y), 4);
    return v & 0xFFFFFFu;
  }
  void Set(int x, int y, std::uint32_t v) const {
    if (t.bytesPerPixel == 1) *At(x, y) = static_cast<std::uint8_t>(v);
    else std::memcpy(At(x, y), &v, 4);
  }
  std::uint32_t Mask() const { return t.bytesPerPixel == 1 ? 0xFFu : 0xFFFFFFu; }
  void Touch(int l, int tp, int r, int b) {
    if (l >= r || tp >= b) return;
    if (dirty.left >= dirty.right) {
      dirty = RECT{l, tp, r, b};
      return;
    }
    dirty.left = std::min(dirty.left, l);
    dirty.top = std::min(dirty.top, tp);
    dirty.right = std::max(dirty.right, r);
    dirty.bottom = std::max(dirty.bottom, b);
  }
};

bool Open(HDC h, Canvas* c) {
  DC* dc = LookupDC(h);
  if (!dc || !TargetOf(*dc, &c->t)) return false;
  c->dc = dc;
  c->window = dc->window;
  RECT clip{0, 0, c->t.width, c->t.height};
  auto meet = [&](const RECT& r) {
    clip.left = std::max(clip.left, r.left);
    clip.top = std::max(clip.top, r.top);
    clip.right = std::min(clip.right, r.right);
    clip.bottom = std::min(clip.bottom, r.bottom);
  };
  if (dc->window) meet(dc->windowClip);
  if (dc->clipped) meet(dc->clip);
  if (clip.right < clip.left) clip.right = clip.left;
  if (clip.bottom < clip.top) clip.bottom = clip.top;
  c->clip = clip;
  return true;
}

void Close(Canvas& c) {
  if (c.window && c.dirty.left < c.dirty.right) WindowChanged(c.window, c.dirty);
}

std::uint32_t Rop2(int mode, std::uint32_t pen, std::uint32_t dst, std::uint32_t mask) {
  switch (mode) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(pen | dst) & mask;
    case R2_MASKNOTPEN: return ~pen & dst & mask;
    case R2_NOTCOPYPEN: return ~pen & mask;
    case R2_MASKPENNOT: return pen & ~dst & mask;
    case R2_NOT: return ~dst & mask;
    case R2_XORPEN: return (pen ^ dst) & mask;
    case R2_NOTMASKPEN: return ~(pen & dst) & mask;
    case R2_MASKPEN: return pen & dst;
    case R2_NOTXORPEN: return ~(pen ^ dst) & mask;
    case R2_NOP: return dst;
    case R2_MERGENOTPEN: return (~pen | dst) & mask;
    case R2_MERGEPENNOT: return (pen | ~dst) & mask;
    case R2_MERGEPEN: return pen | dst;
    case R2_WHITE: return mask;
    default: return pen;
  }
}

void Plot(Canvas& c, int x, int y, std::uint32_t v) {
  if (!c.Inside(x, y)) return;
  c.Set(x, y, Rop2(c.dc->rop2, v, c.Get(x, y), c.Mask()));
  c.Touch(x, y, x + 1, y + 1);
}

// What a brush paints at a pixel; false where a hatch leaves the pixel alone.
struct Paint {
  int style = BS_NULL;
  int hatch = 0;
  std::uint32_t fore = 0, back = 0;
  bool opaque = true;
  bool At(int x, int y, std::uint32_t* v) const {
    if (style == BS_SOLID) {
      *v = fore;
      return true;
    }
    if (style != BS_HATCHED) return false;
    const int px = x & 7, py = y & 7;
    bool on = false;
    switch (hatch) {
      case HS_HORIZONTAL: on = py == 4; break;
      case HS_VERTICAL: on = px == 4; break;
      case HS_FDIAGONAL: on = px == py; break;
      case HS_BDIAGONAL: on = px == 7 - py; break;
      case HS_CROSS: on = py == 4 || px == 4; break;
      default: on = px == py || px == 7 - py; break;
    }
    *v = on ? fore : back;
    return on || opaque;
  }
};

Paint BrushPaint(const Canvas& c, HBRUSH h) {
  Paint p;
  Object* o = Lookup(h, Kind::Brush);
  if (!o) return p;
  p.style = o->brush->style;
  p.hatch = o->brush->hatch;
  p.fore = ResolveColour(*c.dc, c.t, o->brush->colour);
  p.back = ResolveColour(*c.dc, c.t, c.dc->bkColour);
  p.opaque = c.dc->bkMode == OPAQUE;
  return p;
}

// A horizontal run [x0, x1) through the DC's binary raster operation.
void Span(Canvas& c, int y, int x0, int x1, const Paint& paint) {
  if (y < c.clip.top || y >= c.clip.bottom) return;
  x0 = std::max(x0, static_cast<int>(c.clip.left));
  x1 = std::min(x1, static_cast<int>(c.clip.right));
  if (x0 >= x1 || paint.style == BS_NULL) return;
  const int rop = c.dc->rop2;
  if (paint.style == BS_SOLID && rop == R2_COPYPEN && c.t.bytesPerPixel == 1) {
    std::memset(c.At(x0, y), static_cast<int>(paint.fore), static_cast<std::size_t>(x1 - x0));
  } else {
    const std::uint32_t mask = c.Mask();
    for (int x = x0; x < x1; ++x) {
      std::uint32_t v;
      if (paint.At(x, y, &v)) c.Set(x, y, Rop2(rop, v, c.Get(x, y), mask));
    }
  }
  c.Touch(x0, y, x1, y + 1);
}

// Pixels of an outline gathered first and painted once, so that overlapping strokes
// of a wide pen stay a single pass of an exclusive-or.
struct Coverage {
  RECT box{};
  int width = 0;
  std::vector<std::uint8_t> marks;
  explicit Coverage(const RECT& clip) : box(clip) {
    width = std::max(0, static_cast<int>(box.right - box.left));
    const int h = std::max(0, static_cast<int>(box.bottom - box.top));
    marks.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(h), 0);
  }
  void Mark(long long x, long long y) {
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return;
    marks[static_cast<std::size_t>(y - box.top) * static_cast<std::size_t>(width) +
          static_cast<std::size_t>(x - box.left)] = 1;
  }
  void Apply(Canvas& c, std::uint32_t v) {
    const std::uint32_t mask = c.Mask();
    for (int y = box.top; y < box.bottom; ++y) {
      const std::uint8_t* row = &marks[static_cast<std::size_t>(y - box.top) * width];
      for (int x = 0; x < width; ++x) {
        if (!row[x]) continue;
        const int px = box.left + x;
        c.Set(px, y, Rop2(c.dc->rop2, v, c.Get(px, y), mask));
        c.Touch(px, y, px + 1, y + 1);
      }
    }
  }
};

struct PenInfo {
  int style = PS_NULL;
  int width = 1;
  std::uint32_t value = 0;
};

PenInfo PenOf(const Canvas& c) {
  PenInfo p;
  Object* o = Lookup(c.dc->pen, Kind::Pen);
  if (!o) return p;
  p.style = o->pen->style;
  p.width = o->pen->width;
  p.value = ResolveColour(*c.dc, c.t, o->pen->colour);
  return p;
}

// Steps along the major axis of a line, visiting the pixel nearest the ideal line at
// each step, limited to the steps that can reach the clip box (plus a margin for the
// pen's width). `last` includes the end point.
template <typename Fn>
void WalkLine(long long x0, long long y0, long long x1, long long y1, bool last, const RECT& box,
              int margin, Fn fn) {
  const long long dx = x1 - x0, dy = y1 - y0;
  const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) {
    if (last) fn(x0, y0);
    return;
  }
  const bool xMajor = adx >= ady;
  const long long steps = xMajor ? adx : ady;
  const long long sMajor = xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1);
  const long long start = xMajor ? x0 : y0;
  const long long lo = (xMajor ? box.left : box.top) - margin;
  const long long hi = (xMajor ? box.right : box.bottom) + margin;
  // The step range [a, b] whose major coordinate lies within [lo, hi).
  long long a = 0, b = last ? steps : steps - 1;
  if (sMajor > 0) {
    a = std::max(a, lo - start);
    b = std::min(b, hi - 1 - start);
  } else {
    a = std::max(a, start - (hi - 1));
    b = std::min(b, start - lo);
  }
  const long long minor = xMajor ? dy : dx;
  const long long minor0 = xMajor ? y0 : x0;
  for (long long i = a; i <= b; ++i) {
    // Nearest minor coordinate, halves rounded toward the start.
    const long long num = 2 * i * minor;
    long long q;
    if (num >= 0) q = (num + steps - 1) / (2 * steps);
    else q = -((-num + steps) / (2 * steps));
    const long long major = start + sMajor * i;
    if (xMajor) fn(major, minor0 + q);
    else fn(minor0 + q, major);
  }
}

bool DashOn(int style, long long n) {
  switch (style) {
    case PS_DASH: return n % 24 < 18;
    case PS_DOT: return n % 6 < 3;
    case PS_DASHDOT: return n % 30 < 18 || (n % 30 >= 24 && n % 30 < 27);
    case PS_DASHDOTDOT: return n % 36 < 18 || (n % 36 >= 24 && n % 36 < 27) ||
                               (n % 36 >= 30 && n % 36 < 33);
    default: return true;
  }
}

void StampWide(Coverage& cov, long long x, long long y, int width) {
  const int lo = -(width / 2);
  if (width <= 3) {
    for (int dy = 0; dy < width; ++dy)
      for (int dx = 0; dx < width; ++dx) cov.Mark(x + lo + dx, y + lo + dy);
    return;
  }
  const double r = width / 2.0;
  const double c = lo + r - 0.5;
  for (int dy = 0; dy < width; ++dy)
    for (int dx = 0; dx < width; ++dx) {
      const double ex = dx - c, ey = dy - c;
      if (ex * ex + ey * ey <= r * r) cov.Mark(x + lo + dx, y + lo + dy);
    }
}

// A path of points stroked with the DC's pen. Wide pens cover both end points and
// round the joins; thin pens leave out the last point of an open path.
void Stroke(Canvas& c, const POINT* pts, int n, bool closed) {
  const PenInfo pen = PenOf(c);
  if (pen.style == PS_NULL || n < 1) return;
  const int segments = closed ? n : n - 1;
  if (pen.width <= 1) {
    long long counter = 0;
    for (int i = 0; i < segments; ++i) {
      const POINT& a = pts[i];
      const POINT& b = pts[(i + 1) % n];
      WalkLine(a.x, a.y, b.x, b.y, false, c.clip, 0, [&](long long x, long long y) {
        if (DashOn(pen.style, counter++)) Plot(c, static_cast<int>(x), static_cast<int>(y), pen.value);
      });
    }
    return;
  }
  Coverage cov(c.clip);
  for (int i = 0; i < std::max(segments, 1); ++i) {
    const POINT& a = pts[i];
    const POINT& b = pts[(i + 1) % n];
    WalkLine(a.x, a.y, b.x, b.y, true, c.clip, pen.width,
             [&](long long x, long long y) { StampWide(cov, x, y, pen.width); });
  }
  cov.Apply(c, pen.value);
}

// --- Filled shapes ------------------------------------------------------------------------

struct Edge {
  double x0, y0, x1, y1;
  int dir;
};

void FillEdges(Canvas& c, const std::vector<Edge>& edges, int mode, const Paint& paint) {
  if (edges.empty() || paint.style == BS_NULL) return;
  double minY = 1e300, maxY = -1e300;
  for (const Edge& e : edges) {
    minY = std::min(minY, std::min(e.y0, e.y1));
    maxY = std::max(maxY, std::max(e.y0, e.y1));
  }
  const int top = static_cast<int>(std::max<double>(c.clip.top, std::ceil(minY)));
  const int bottom = static_cast<int>(std::min<double>(c.clip.bottom, std::ceil(maxY)));
  std::vector<std::pair<double, int>> xs;
  for (int y = top; y < bottom; ++y) {
    xs.clear();
    for (const Edge& e : edges) {
      const double ya = std::min(e.y0, e.y1), yb = std::max(e.y0, e.y1);
      if (!(y >= ya && y < yb)) continue;
      const double x = e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0);
      xs.emplace_back(x, e.dir);
    }
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].second;
      const bool inside = mode == WINDING ? winding != 0 : (i % 2) == 0;
      if (!inside) continue;
      const double l = std::max<double>(std::ceil(xs[i].first), c.clip.left - 1);
      const double r = std::min<double>(std::ceil(xs[i + 1].first), c.clip.right + 1);
      if (l < r) Span(c, y, static_cast<int>(l), static_cast<int>(r), paint);
    }
  }
}

void AddPolygonEdges(std::vector<Edge>& edges, const POINT* pts, int n) {
  for (int i = 0; i < n; ++i) {
    const POINT& a = pts[i];
    const POINT& b = pts[(i + 1) % n];
    if (a.y == b.y) continue;
    edges.push_back(Edge{double(a.x), double(a.y), double(b.x), double(b.y), b.y > a.y ? 1 : -1});
  }
}

// Points of an elliptic arc in the box [l, r) x [t, b), from angle a0 through sweep.
void EllipsePoints(int l, int t, int r, int b, double a0, double sweep, std::vector<POINT>& out) {
  const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0;
  const double rx = (r - l - 1) / 2.0, ry = (b - t - 1) / 2.0;
  const int n = std::clamp(static_cast<int>((std::fabs(rx) + std::fabs(ry)) * std::fabs(sweep)), 8, 4096);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + sweep * i / n;
    out.push_back(POINT{static_cast<std::int32_t>(std::lround(cx + rx * std::cos(a))),
                        static_cast<std::int32_t>(std::lround(cy - ry * std::sin(a)))});
  }
}

bool SaneBox(long long l, long long t, long long r, long long b) {
  const long long lim = 1LL << 24;
  return l > -lim && t > -lim && r < lim && b < lim;
}

enum class ArcKind { Arc, Pie, Chord };

bool DrawArc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye, ArcKind kind) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (!SaneBox(l, t, r, b) || r - l < 2 || b - t < 2) return true;
  const double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
  const double a0 = std::atan2(-(ys - cy) * (r - l), (xs - cx) * (b - t));
  const double a1 = std::atan2(-(ye - cy) * (r - l), (xe - cx) * (b - t));
  double sweep = a1 - a0;
  const bool ccw = c.dc->arcDirection == AD_COUNTERCLOCKWISE;
  if (ccw) {
    while (sweep <= 0) sweep += 2 * M_PI;
  } else {
    while (sweep >= 0) sweep -= 2 * M_PI;
  }
  std::vector<POINT> pts;
  EllipsePoints(l, t, r, b, a0, sweep, pts);
  if (kind == ArcKind::Pie) pts.push_back(POINT{static_cast<std::int32_t>(std::lround((l + r - 1) / 2.0)),
                                                static_cast<std::int32_t>(std::lround((t + b - 1) / 2.0))});
  if (kind != ArcKind::Arc) {
    std::vector<Edge> edges;
    AddPolygonEdges(edges, pts.data(), static_cast<int>(pts.size()));
    FillEdges(c, edges, ALTERNATE, BrushPaint(c, c.dc->brush));
  }
  Stroke(c, pts.data(), static_cast<int>(pts.size()), kind != ArcKind::Arc);
  Close(c);
  return true;
}

// Ternary raster operation on three pixel values, bit by bit.
std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d,
                   std::uint32_t mask) {
  switch (code) {
    case 0xCC: return s;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0xF0: return p;
    case 0x5A: return p ^ d;
    case 0x55: return ~d & mask;
    case 0x33: return ~s & mask;
    case 0x00: return 0;
    case 0xFF: return mask;
    default: break;
  }
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & mask;
}

bool UsesSource(std::uint8_t code) { return ((code >> 2) & 0x33) != (code & 0x33); }

// A source for blits: pixel values already converted into the destination's terms.
struct Source {
  Target t;
  std::vector<std::uint32_t> map;  // 8-bit source index -> destination value
  const Canvas* dst = nullptr;
  bool direct = false;  // same colour table: copy indices
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = t.bits + static_cast<std::size_t>(y) * t.stride +
                            static_cast<std::size_t>(x) * t.bytesPerPixel;
    if (t.bytesPerPixel == 1) return direct ? *p : map[*p];
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    v &= 0xFFFFFFu;
    if (dst->t.bytesPerPixel == 4) return v;
    return ResolveColour(*dst->dc, dst->t, RGB(static_cast<std::uint8_t>(v >> 16),
                                               static_cast<std::uint8_t>(v >> 8),
                                               static_cast<std::uint8_t>(v)));
  }
};

bool MakeSource(const Canvas& dst, const Target& src, Source* s) {
  s->t = src;
  s->dst = &dst;
  if (src.bytesPerPixel != 1) return true;
  if (dst.t.bytesPerPixel == 1 && std::memcmp(src.colours, dst.t.colours, 256 * sizeof(RGBQUAD)) == 0) {
    s->direct = true;
    return true;
  }
  s->map.resize(256);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = src.colours[i];
    s->map[i] = ResolveColour(*dst.dc, dst.t, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
  }
  return true;
}

// Which source column or row each destination one shows: enlarging repeats, shrinking
// keeps the last source pixel of each destination pixel's share.
std::vector<int> ScaleMap(int dn, int sn) {
  std::vector<int> m(static_cast<std::size_t>(dn));
  for (int i = 0; i < dn; ++i) {
    long long s;
    if (sn > dn) {
      const long long num = static_cast<long long>(i + 1) * sn - dn / 2;
      s = (num + dn - 1) / dn - 1;
    } else {
      s = static_cast<long long>(i) * sn / dn;
    }
    m[static_cast<std::size_t>(i)] = static_cast<int>(std::clamp<long long>(s, 0, sn - 1));
  }
  return m;
}

bool Blit(HDC hdst, int x, int y, int w, int h, HDC hsrc, const Target* srcTarget, int sx, int sy,
          int sw, int sh, std::uint32_t rop) {
  Canvas c;
  if (!Open(hdst, &c)) return false;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const bool needSource = UsesSource(code);
  Target st{};
  if (needSource) {
    if (srcTarget) st = *srcTarget;
    else {
      DC* sdc = LookupDC(hsrc);
      if (!sdc || !TargetOf(*sdc, &st)) return false;
    }
  }
  if (w < 0) { x += w; w = -w; }
  if (h < 0) { y += h; h = -h; }
  if (sw < 0) { sx += sw; sw = -sw; }
  if (sh < 0) { sy += sh; sh = -sh; }
  if (w == 0 || h == 0 || (needSource && (sw == 0 || sh == 0))) return true;
  if (!SaneBox(x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)) return false;
  Source src;
  if (needSource) MakeSource(c, st, &src);
  const Paint paint = BrushPaint(c, c.dc->brush);
  const std::uint32_t mask = c.Mask();
  const int x0 = std::max(x, static_cast<int>(c.clip.left));
  const int x1 = std::min(x + w, static_cast<int>(c.clip.right));
  const int y0 = std::max(y, static_cast<int>(c.clip.top));
  const int y1 = std::min(y + h, static_cast<int>(c.clip.bottom));
  if (x0 >= x1 || y0 >= y1) return true;
  std::vector<int> cols, rows;
  if (needSource) {
    cols = ScaleMap(w, sw);
    rows = ScaleMap(h, sh);
  }
  for (int dy = y0; dy < y1; ++dy) {
    int srow = 0;
    if (needSource) {
      srow = sy + rows[static_cast<std::size_t>(dy - y)];
      if (srow < 0 || srow >= st.height) continue;
    }
    if (needSource && code == 0xCC && src.direct && sw == w) {
      // Plain copy of indices: clip the run to the source and move it whole.
      int a = x0, b = x1;
      a = std::max(a, x - sx);
      b = std::min(b, x - sx + st.width);
      if (a < b) {
        std::memcpy(c.At(a, dy), st.bits + static_cast<std::size_t>(srow) * st.stride + (sx + a - x),
                    static_cast<std::size_t>(b - a));
      }
      continue;
    }
    for (int dx = x0; dx < x1; ++dx) {
      std::uint32_t s = 0, p = 0;
      if (needSource) {
        const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
        if (scol < 0 || scol >= st.width) continue;
        s = src.At(scol, srow);
      }
      if (!paint.At(dx, dy, &p)) p = 0;
      c.Set(dx, dy, Rop3(code, p, s, c.Get(dx, dy), mask));
    }
  }
  c.Touch(x0, y0, x1, y1);
  Close(c);
  return true;
}

}  // namespace
}  // namespace detail

using namespace detail;

bool MoveToEx(HDC h, int x, int y, POINT* previous) {
  DC* dc = LookupDC(h);
  if (!dc) return false;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return true;
}

bool LineTo(HDC h, int x, int y) {
  DC* dc = LookupDC(h);
  if (!dc) return false;
  Canvas c;
  const POINT pts[2] = {dc->position, POINT{x, y}};
  dc->position = pts[1];
  if (!Open(h, &c)) return true;
  Stroke(c, pts, 2, false);
  Close(c);
  return true;
}

bool Polyline(HDC h, const POINT* pts, int n) {
  Canvas c;
  if (!pts || n < 2 || !Open(h, &c)) return false;
  Stroke(c, pts, n, false);
  Close(c);
  return true;
}

bool PolyPolygon(HDC h, const POINT* pts, const int* counts, int polygons) {
  Canvas c;
  if (!pts || !counts || polygons < 1 || !Open(h, &c)) return false;
  std::vector<Edge> edges;
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

bool Polygon(HDC h, const POINT* pts, int n) { return PolyPolygon(h, pts, &n, 1); }

bool Rectangle(HDC h, int l, int t, int r, int b) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  PenInfo pen = PenOf(c);
  // An inside-frame pen keeps the whole outline within the rectangle.
  int inset = 0;
  if (pen.style == PS_INSIDEFRAME && pen.width > 1) inset = pen.width / 2;
  const Paint paint = BrushPaint(c, c.dc->brush);
  const int fl = pen.style == PS_NULL ? l : l + 1, ft = pen.style == PS_NULL ? t : t + 1;
  const int fr = pen.style == PS_NULL ? r : r - 1, fb = pen.style == PS_NULL ? b : b - 1;
  for (long long y = std::max<long long>(ft, c.clip.top); y < std::min<long long>(fb, c.clip.bottom); ++y)
    Span(c, static_cast<int>(y), fl, fr, paint);
  if (pen.style != PS_NULL) {
    const POINT pts[4] = {{l + inset, t + inset},
                          {r - 1 - inset, t + inset},
                          {r - 1 - inset, b - 1 - inset},
                          {l + inset, b - 1 - inset}};
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

bool RoundRect(HDC h, int l, int t, int r, int b, int w, int hh) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (!SaneBox(l, t, r, b)) return true;
  w = std::clamp(std::abs(w), 2, std::max(2, r - l));
  hh = std::clamp(std::abs(hh), 2, std::max(2, b - t));
  std::vector<POINT> pts;
  EllipsePoints(r - w, t, r, t + hh, 0, M_PI / 2, pts);
  EllipsePoints(l, t, l + w, t + hh, M_PI / 2, M_PI / 2, pts);
  EllipsePoints(l, b - hh, l + w, b, M_PI, M_PI / 2, pts);
  EllipsePoints(r - w, b - hh, r, b, 3 * M_PI / 2, M_PI / 2, pts);
  std::vector<Edge> edges;
  AddPolygonEdges(edges, pts.data(), static_cast<int>(pts.size()));
  FillEdges(c, edges, ALTERNATE, BrushPaint(c, c.dc->brush));
  Stroke(c, pts.data(), static_cast<int>(pts.size()), true);
  Close(c);
  return true;
}

bool Ellipse(HDC h, int l, int t, int r, int b) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (!SaneBox(l, t, r, b) || r - l < 1 || b - t < 1) return true;
  std::vector<POINT> pts;
  EllipsePoints(l, t, r, b, 0, 2 * M_PI, pts);
  pts.pop_back();
  std::vector<Edge> edges;
  AddPolygonEdges(edges, pts.data(), static_cast<int>(pts.size()));
  FillEdges(c, edges, ALTERNATE, BrushPaint(c, c.dc->brush));
  Stroke(c, pts.data(), static_cast<int>(pts.size()), true);
  Close(c);
  return true;
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

int FillRect(HDC h, const RECT* rect, HBRUSH brush) {
  Canvas c;
  if (!rect || !Open(h, &c) || !Lookup(brush, Kind::Brush)) return 0;
  const Paint paint = BrushPaint(c, brush);
  DC saved = *c.dc;
  const_cast<DC*>(c.dc)->rop2 = R2_COPYPEN;
  for (long long y = std::max<long long>(rect->top, c.clip.top);
       y < std::min<long long>(rect->bottom, c.clip.bottom); ++y)
    Span(c, static_cast<int>(y), rect->left, rect->right, paint);
  const_cast<DC*>(c.dc)->rop2 = saved.rop2;
  Close(c);
  return 1;
}

bool PatBlt(HDC h, int x, int y, int w, int hgt, std::uint32_t rop) {
  if (UsesSource(static_cast<std::uint8_t>(rop >> 16))) return false;
  return Blit(h, x, y, w, hgt, 0, nullptr, 0, 0, w, hgt, rop);
}

bool ExtFloodFill(HDC h, int x, int y, COLORREF colour, unsigned type) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return false;
  const std::uint32_t key = ResolveColour(*c.dc, c.t, colour);
  const bool surface = type == FLOODFILLSURFACE;
  auto fillable = [&](int px, int py) {
    const std::uint32_t v = c.Get(px, py);
    return surface ? v == key : v != key;
  };
  if (!fillable(x, y)) return false;
  const Paint paint = BrushPaint(c, c.dc->brush);
  const int w = c.clip.right - c.clip.left;
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(w) * (c.clip.bottom - c.clip.top), 0);
  auto mark = [&](int px, int py) -> std::uint8_t& {
    return seen[static_cast<std::size_t>(py - c.clip.top) * w + (px - c.clip.left)];
  };
  std::vector<POINT> stack{POINT{x, y}};
  const int saved = c.dc->rop2;
  const_cast<DC*>(c.dc)->rop2 = R2_COPYPEN;
  while (!stack.empty()) {
    const POINT p = stack.back();
    stack.pop_back();
    if (mark(p.x, p.y) || !fillable(p.x, p.y)) continue;
    int l = p.x, r = p.x;
    while (l > c.clip.left && !mark(l - 1, p.y) && fillable(l - 1, p.y)) --l;
    while (r + 1 < c.clip.right && !mark(r + 1, p.y) && fillable(r + 1, p.y)) ++r;
    for (int i = l; i <= r; ++i) mark(i, p.y) = 1;
    Span(c, p.y, l, r + 1, paint);
    for (int ny : {p.y - 1, p.y + 1}) {
      if (ny < c.clip.top || ny >= c.clip.bottom) continue;
      bool inRun = false;
      for (int i = l; i <= r; ++i) {
        const bool open = !mark(i, ny) && fillable(i, ny);
        if (open && !inRun) stack.push_back(POINT{i, ny});
        inRun = open;
      }
    }
  }
  const_cast<DC*>(c.dc)->rop2 = saved;
  Close(c);
  return true;
}

bool FloodFill(HDC h, int x, int y, COLORREF border) {
  return ExtFloodFill(h, x, y, border, FLOODFILLBORDER);
}

COLORREF SetPixel(HDC h, int x, int y, COLORREF colour) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return CLR_INVALID;
  const std::uint32_t v = ResolveColour(*c.dc, c.t, colour);
  c.Set(x, y, v);
  c.Touch(x, y, x + 1, y + 1);
  Close(c);
  return PixelToColour(c.t, v);
}

COLORREF GetPixel(HDC h, int x, int y) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return CLR_INVALID;
  return PixelToColour(c.t, c.Get(x, y));
}

bool BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop) {
  return Blit(dst, x, y, w, h, src, nullptr, sx, sy, w, h, rop);
}

bool StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
  return Blit(dst, x, y, w, h, src, nullptr, sx, sy, sw, sh, rop);
}

int StretchDIBits(HDC dst, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFOHEADER* header, const RGBQUAD* colours,
                  unsigned, std::uint32_t rop) {
  if (!bits || !header) return 0;
  if (header->biBitCount != 8 && header->biBitCount != 32) return 0;
  if (header->biWidth <= 0 || header->biHeight == 0) return 0;
  RGBQUAD table[256]{};
  if (colours) std::memcpy(table, colours, sizeof table);
  Target t;
  t.width = header->biWidth;
  t.height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  t.bytesPerPixel = header->biBitCount / 8;
  t.stride = (t.width * t.bytesPerPixel + 3) & ~3;
  t.colours = table;
  std::vector<std::uint8_t> rows;
  t.bits = static_cast<std::uint8_t*>(const_cast<void*>(bits));
  if (header->biHeight > 0) {
    // Bottom-up rows are turned over once, so the blit reads top-down.
    rows.resize(static_cast<std::size_t>(t.stride) * t.height);
    for (int r = 0; r < t.height; ++r)
      std::memcpy(&rows[static_cast<std::size_t>(r) * t.stride],
                  t.bits + static_cast<std::size_t>(t.height - 1 - r) * t.stride,
                  static_cast<std::size_t>(t.stride));
    t.bits = rows.data();
  }
  return Blit(dst, x, y, w, h, 0, &t, sx, sy, sw, sh, rop) ? h : 0;
}

bool TextOut(HDC h, int x, int y, const char* text, int length) {
  Canvas c;
  if (!Open(h, &c)) return false;
  if (!text || length <= 0) return true;
  Object* f = Lookup(c.dc->font, Kind::Font);
  if (!f) return false;
  const LOGFONT& lf = f->font->lf;
  glyphs::Mask mask;
  glyphs::FontMetrics m{};
  SIZE extent{};
  if (!glyphs::Render(lf, text, length, lf.lfQuality == ANTIALIASED_QUALITY, &mask) ||
      !glyphs::Metrics(lf, &m) || !glyphs::Extent(lf, text, length, &extent))
    return false;
  // The reference point moves with the alignment, along the rotated baseline.
  double ox = 0, oy = 0;
  const unsigned align = c.dc->textAlign;
  if ((align & TA_CENTER) == TA_CENTER) ox = -extent.cx / 2.0;
  else if (align & TA_RIGHT) ox = -extent.cx;
  if ((align & TA_BASELINE) == TA_BASELINE) oy = -m.ascent;
  else if (align & TA_BOTTOM) oy = -m.height;
  const double angle = lf.lfEscapement * M_PI / 1800.0;
  const double cs = std::cos(angle), sn = std::sin(angle);
  const int rx = x + static_cast<int>(std::lround(ox * cs + oy * sn));
  const int ry = y + static_cast<int>(std::lround(-ox * sn + oy * cs));
  const std::uint32_t fore = ResolveColour(*c.dc, c.t, c.dc->textColour);
  if (c.dc->bkMode == OPAQUE) {
    const Paint back{BS_SOLID, 0, ResolveColour(*c.dc, c.t, c.dc->bkColour), 0, true};
    if (lf.lfEscapement % 3600 == 0)
      for (int yy = ry; yy < ry + extent.cy; ++yy) Span(c, yy, rx, rx + extent.cx, back);
  }
  for (int my = 0; my < mask.height; ++my)
    for (int mx = 0; mx < mask.width; ++mx) {
      const std::uint8_t cov = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
      if (cov < 128) continue;
      Plot(c, rx + mask.left + mx, ry + mask.top + my, fore);
    }
  Close(c);
  return true;
}

bool GetTextExtentPoint32(HDC h, const char* text, int length, SIZE* size) {
  DC* dc = LookupDC(h);
  if (!dc || !size) return false;
  Object* f = Lookup(dc->font, Kind::Font);
  return f && glyphs::Extent(f->font->lf, text, length, size);
}

bool GetTextMetrics(HDC h, TEXTMETRIC* tm) {
  DC* dc = LookupDC(h);
  if (!dc || !tm) return false;
  Object* f = Lookup(dc->font, Kind::Font);
  glyphs::FontMetrics m{};
  if (!f || !glyphs::Metrics(f->font->lf, &m)) return false;
  *tm = TEXTMETRIC{m.height, m.ascent, m.descent, m.internalLeading, 0,
                   m.aveCharWidth, m.maxCharWidth, f->font->lf.lfWeight};
  return true;
}

}  // namespace plat
