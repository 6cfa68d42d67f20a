// The raster's private contract: the canvas a primitive draws on, the raster operations
// every family applies per pixel, and the pieces one family of primitives lends another
// (strokes, scan-converted edges, blits). The per-pixel helpers are defined here so that
// each family's inner loops can still inline them.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi_p.h"

// The raster's pieces are private to the drawing layer: hidden from its exported
// symbols, calls between the families bind directly and may inline as they did when
// they were one file.
#pragma GCC visibility push(hidden)

namespace plat::detail {

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
    if (t.bytesPerPixel == 1)
      *At(x, y) = static_cast<std::uint8_t>(v);
    else
      std::memcpy(At(x, y), &v, 4);
  }
  std::uint32_t Mask() const { return t.bytesPerPixel == 1 ? 0xFFu : 0xFFFFFFu; }
  // Only a window needs to know what changed, to show it.
  void Touch(int l, int tp, int r, int b) {
    if (!window || l >= r || tp >= b) return;
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

// Opens the DC for drawing: its target, clipped to the DC's clip and the window.
bool Open(HDC h, Canvas* c);
// Shows what a window DC drew.
void Close(Canvas& c);

// --- Raster operations ----------------------------------------------------------------

inline std::uint32_t Rop2(int mode, std::uint32_t pen, std::uint32_t dst, std::uint32_t mask) {
  switch (mode) {
    case R2_BLACK:
      return 0;
    case R2_NOTMERGEPEN:
      return ~(pen | dst) & mask;
    case R2_MASKNOTPEN:
      return ~pen & dst & mask;
    case R2_NOTCOPYPEN:
      return ~pen & mask;
    case R2_MASKPENNOT:
      return pen & ~dst & mask;
    case R2_NOT:
      return ~dst & mask;
    case R2_XORPEN:
      return (pen ^ dst) & mask;
    case R2_NOTMASKPEN:
      return ~(pen & dst) & mask;
    case R2_MASKPEN:
      return pen & dst;
    case R2_NOTXORPEN:
      return ~(pen ^ dst) & mask;
    case R2_NOP:
      return dst;
    case R2_MERGENOTPEN:
      return (~pen | dst) & mask;
    case R2_MERGEPENNOT:
      return (pen | ~dst) & mask;
    case R2_MERGEPEN:
      return pen | dst;
    case R2_WHITE:
      return mask;
    default:
      return pen;
  }
}

inline void Plot(Canvas& c, int x, int y, std::uint32_t v) {
  if (!c.Inside(x, y)) return;
  c.Set(x, y, Rop2(c.dc->rop2, v, c.Get(x, y), c.Mask()));
  c.Touch(x, y, x + 1, y + 1);
}

// Calls fn with the binary raster operation `mode` as a function object of (pen, dst,
// mask) giving a T, so that loops over many pixels choose the operation once, not per
// pixel, and byte loops stay in bytes. Each gives what Rop2 gives for the same arguments.
template <typename T, typename Fn>
void WithRop2(int mode, Fn fn) {
  switch (mode) {
    case R2_BLACK:
      return fn([](auto, auto, auto) { return T{0}; });
    case R2_NOTMERGEPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>(~(p | d) & m); });
    case R2_MASKNOTPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>(~p & d & m); });
    case R2_NOTCOPYPEN:
      return fn([](auto p, auto, auto m) { return static_cast<T>(~p & m); });
    case R2_MASKPENNOT:
      return fn([](auto p, auto d, auto m) { return static_cast<T>(p & ~d & m); });
    case R2_NOT:
      return fn([](auto, auto d, auto m) { return static_cast<T>(~d & m); });
    case R2_XORPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>((p ^ d) & m); });
    case R2_NOTMASKPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>(~(p & d) & m); });
    case R2_MASKPEN:
      return fn([](auto p, auto d, auto) { return static_cast<T>(p & d); });
    case R2_NOTXORPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>(~(p ^ d) & m); });
    case R2_NOP:
      return fn([](auto, auto d, auto) { return static_cast<T>(d); });
    case R2_MERGENOTPEN:
      return fn([](auto p, auto d, auto m) { return static_cast<T>((~p | d) & m); });
    case R2_MERGEPENNOT:
      return fn([](auto p, auto d, auto m) { return static_cast<T>((p | ~d) & m); });
    case R2_MERGEPEN:
      return fn([](auto p, auto d, auto) { return static_cast<T>(p | d); });
    case R2_WHITE:
      return fn([](auto, auto, auto m) { return static_cast<T>(m); });
    default:
      return fn([](auto p, auto, auto) { return static_cast<T>(p); });
  }
}

// Rows of n pixels, n known when compiled: the two-pixel bands of wide outlines run
// down hundreds of rows, where a loop of unknown length costs more than the pixels.
template <typename T, int N, typename Op>
void OpRowsFixed(std::uint8_t* first, std::size_t stride, int rows, T v, T mask, Op op) {
  for (int y = 0; y < rows; ++y, first += stride) {
    T px[N];
    std::memcpy(px, first, sizeof px);
    for (int i = 0; i < N; ++i) px[i] = static_cast<T>(op(v, px[i], mask));
    std::memcpy(first, px, sizeof px);
  }
}

template <typename T, typename Op>
void OpRows(std::uint8_t* first, std::size_t stride, int rows, int n, T v, T mask, Op op) {
  switch (n) {
    case 1:
      return OpRowsFixed<T, 1>(first, stride, rows, v, mask, op);
    case 2:
      return OpRowsFixed<T, 2>(first, stride, rows, v, mask, op);
    case 3:
      return OpRowsFixed<T, 3>(first, stride, rows, v, mask, op);
    case 4:
      return OpRowsFixed<T, 4>(first, stride, rows, v, mask, op);
    default:
      break;
  }
  for (int y = 0; y < rows; ++y, first += stride) {
    T* p = reinterpret_cast<T*>(first);
    for (int i = 0; i < n; ++i) p[i] = static_cast<T>(op(v, p[i], mask));
  }
}

// A rectangle [l, r) x [t, b) of one value through the DC's binary raster operation,
// clipped; the operation is chosen once for all rows.
template <typename T>
void RopRows(std::uint8_t* first, std::size_t stride, int rows, int n, int rop, T v, T mask) {
  if (rop == R2_NOP) return;
  if (rop == R2_COPYPEN) {
    for (int y = 0; y < rows; ++y, first += stride) {
      if constexpr (sizeof(T) == 1) {
        std::memset(first, v, static_cast<std::size_t>(n));
      } else {
        T* p = reinterpret_cast<T*>(first);
        std::fill(p, p + n, v);
      }
    }
    return;
  }
  if (rop == R2_XORPEN) {
    // Exclusive-or leaves the bits above the mask as they were.
    OpRows<T>(first, stride, rows, n, v, mask, [](T p, T d, T) { return static_cast<T>(p ^ d); });
    return;
  }
  WithRop2<T>(rop, [&](auto op) {
    OpRows<T>(first, stride, rows, n, v, mask,
              [op](T p, T d, T m) { return op(p, static_cast<T>(d & m), m); });
  });
}

// Ternary raster operation on three pixel values, bit by bit.
inline std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d,
                          std::uint32_t mask) {
  switch (code) {
    case 0xCC:
      return s;
    case 0x66:
      return s ^ d;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0xF0:
      return p;
    case 0x5A:
      return p ^ d;
    case 0x55:
      return ~d & mask;
    case 0x33:
      return ~s & mask;
    case 0x00:
      return 0;
    case 0xFF:
      return mask;
    default:
      break;
  }
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & mask;
}

bool UsesSource(std::uint8_t code);
// The binary operation of pen P and destination D that a ternary code without the
// source equals on 8-bit pixels, or 0 when there is none.
int PatternRop2(std::uint8_t code);
// Whether painting a pixel twice with the operation gives what painting it once does.
bool Idempotent(int rop);

// --- Brushes, runs and rectangles -------------------------------------------------------

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
      case HS_HORIZONTAL:
        on = py == 3;
        break;
      case HS_VERTICAL:
        on = px == 4;
        break;
      case HS_FDIAGONAL:
        on = px == py;
        break;
      case HS_BDIAGONAL:
        on = px == 7 - py;
        break;
      case HS_CROSS:
        on = py == 3 || px == 4;
        break;
      default:
        on = px == py || px == 7 - py;
        break;
    }
    *v = on ? fore : back;
    return on || opaque;
  }
};

Paint BrushPaint(const Canvas& c, HBRUSH h);

inline void ValueRect(Canvas& c, long long l, long long t, long long r, long long b,
                      std::uint32_t v, int rop) {
  l = std::max<long long>(l, c.clip.left);
  t = std::max<long long>(t, c.clip.top);
  r = std::min<long long>(r, c.clip.right);
  b = std::min<long long>(b, c.clip.bottom);
  if (l >= r || t >= b) return;
  const int x0 = static_cast<int>(l), y0 = static_cast<int>(t);
  const int n = static_cast<int>(r - l), rows = static_cast<int>(b - t);
  const std::size_t stride = static_cast<std::size_t>(c.t.stride);
  if (c.t.bytesPerPixel == 1)
    RopRows<std::uint8_t>(c.At(x0, y0), stride, rows, n, rop, static_cast<std::uint8_t>(v), 0xFF);
  else
    RopRows<std::uint32_t>(c.At(x0, y0), stride, rows, n, rop, v & 0xFFFFFFu, 0xFFFFFFu);
  c.Touch(x0, y0, static_cast<int>(r), static_cast<int>(b));
}

inline void ValueRect(Canvas& c, long long l, long long t, long long r, long long b,
                      std::uint32_t v) {
  ValueRect(c, l, t, r, b, v, c.dc->rop2);
}

// A run [x0, x1) of one value; the run is already inside the clip.
inline void ValueSpan(Canvas& c, int y, int x0, int x1, std::uint32_t v) {
  ValueRect(c, x0, y, x1, y + 1, v);
}

// A horizontal run [x0, x1) of a brush through the DC's binary raster operation.
inline void Span(Canvas& c, int y, int x0, int x1, const Paint& paint) {
  if (y < c.clip.top || y >= c.clip.bottom) return;
  x0 = std::max(x0, static_cast<int>(c.clip.left));
  x1 = std::min(x1, static_cast<int>(c.clip.right));
  if (x0 >= x1 || paint.style == BS_NULL) return;
  if (paint.style == BS_SOLID) {
    ValueSpan(c, y, x0, x1, paint.fore);
    return;
  }
  const int rop = c.dc->rop2;
  const std::uint32_t mask = c.Mask();
  for (int x = x0; x < x1; ++x) {
    std::uint32_t v;
    if (paint.At(x, y, &v)) c.Set(x, y, Rop2(rop, v, c.Get(x, y), mask));
  }
  c.Touch(x0, y, x1, y + 1);
}

// --- Pens and outlines ---------------------------------------------------------------

struct PenInfo {
  int style = PS_NULL;
  int width = 1;
  std::uint32_t value = 0;
};

PenInfo PenOf(const Canvas& c);

// A path of points stroked with the DC's pen. Wide pens cover both end points and
// round the joins; thin pens leave out the last point of an open path.
void Stroke(Canvas& c, const POINT* pts, int n, bool closed);
// Strokes with the pen as solid, the inside-frame style having placed the path.
void StrokeFramed(Canvas& c, const POINT* pts, int n, bool closed);
// The box a pen's outline follows: an inside-frame pen draws within the rectangle.
RECT PenBox(const PenInfo& pen, int l, int t, int r, int b);

// --- Filled shapes ----------------------------------------------------------------------

// A polygon edge from its upper to its lower end; it crosses rows y0 .. y1 - 1.
struct Edge {
  long long x0, y0, x1, y1;
  int dir;
};

inline long long FloorDiv(long long a, long long b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Each row is painted from the first pixel centre at or right of a crossing to the
// last one left of the next: crossings are rounded up, exactly, in integers.
template <typename Sink>
void ScanEdges(const std::vector<Edge>& edges, int mode, const RECT& clip, Sink sink) {
  if (edges.empty()) return;
  struct Active {
    long long q, s, stepQ, stepS, dy;  // crossing = q - s / dy, 0 <= s < dy
    long long end;
    int dir;
  };
  // Scratch kept between calls (the drawing layer is used from one thread): a plan
  // draws thousands of small polygons.
  static std::vector<const Edge*> order;
  static std::vector<Active> active;
  order.clear();
  active.clear();
  long long minY = edges[0].y0, maxY = edges[0].y1;
  for (const Edge& e : edges) {
    order.push_back(&e);
    minY = std::min(minY, e.y0);
    maxY = std::max(maxY, e.y1);
  }
  std::sort(order.begin(), order.end(), [](const Edge* a, const Edge* b) { return a->y0 < b->y0; });
  const long long top = std::max<long long>(clip.top, minY);
  const long long bottom = std::min<long long>(clip.bottom, maxY);
  std::size_t next = 0;
  long long event = top;  // the next row where an edge starts or ends
  auto step = [](Active& a) {
    a.q += a.stepQ;
    a.s -= a.stepS;
    if (a.s < 0) {
      a.s += a.dy;
      a.q += 1;
    }
  };
  long long y = top;
  while (y < bottom) {
    if (y >= event) {
      std::erase_if(active, [y](const Active& a) { return a.end <= y; });
      while (next < order.size() && order[next]->y0 <= y) {
        const Edge& e = *order[next++];
        if (e.y1 <= y) continue;
        const long long dy = e.y1 - e.y0, dx = e.x1 - e.x0;
        const long long num = e.x0 * dy + (y - e.y0) * dx;
        Active a;
        a.dy = dy;
        a.q = -FloorDiv(-num, dy);
        a.s = a.q * dy - num;
        a.stepQ = FloorDiv(dx, dy);
        a.stepS = dx - a.stepQ * dy;
        a.end = e.y1;
        a.dir = e.dir;
        active.push_back(a);
      }
      event = next < order.size() ? order[next]->y0 : bottom;
      for (const Active& a : active) event = std::min(event, a.end);
    }
    if (active.size() == 2) {
      // Most rows of most shapes cross two edges: until the next event the run lies
      // between them, whichever is left, in either fill mode.
      Active& a = active[0];
      Active& b = active[1];
      const long long stop = std::min(event, bottom);
      for (; y < stop; ++y) {
        const long long l = std::max<long long>(std::min(a.q, b.q), clip.left);
        const long long r = std::min<long long>(std::max(a.q, b.q), clip.right);
        if (l < r) sink(static_cast<int>(y), static_cast<int>(l), static_cast<int>(r));
        step(a);
        step(b);
      }
      continue;
    }
    // Crossings stay nearly in order from row to row.
    for (std::size_t i = 1; i < active.size(); ++i)
      for (std::size_t j = i; j > 0 && active[j - 1].q > active[j].q; --j)
        std::swap(active[j - 1], active[j]);
    int winding = 0;
    for (std::size_t i = 0; i + 1 < active.size(); ++i) {
      winding += active[i].dir;
      const bool inside = mode == WINDING ? winding != 0 : (i % 2) == 0;
      if (!inside) continue;
      const long long l = std::max<long long>(active[i].q, clip.left);
      const long long r = std::min<long long>(active[i + 1].q, clip.right);
      if (l < r) sink(static_cast<int>(y), static_cast<int>(l), static_cast<int>(r));
    }
    for (Active& a : active) step(a);
    ++y;
  }
}

void FillEdges(Canvas& c, const std::vector<Edge>& edges, int mode, const Paint& paint);
void AddPolygonEdges(std::vector<Edge>& edges, const POINT* pts, int n);

inline bool SaneBox(long long l, long long t, long long r, long long b) {
  const long long lim = 1LL << 24;
  return l > -lim && t > -lim && r < lim && b < lim;
}

// The rows of a rectangle with elliptic corners, as a region holds them: the box
// loses its last column and row, and row(y, l, r) receives each run.
template <typename Fn>
void RoundRectRows(long long left, long long top, long long right, long long bottom, long long ew,
                   long long eh, Fn row) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  --right;
  --bottom;
  ew = std::min(right - left, ew < 0 ? -ew : ew);
  eh = std::min(bottom - top, eh < 0 ? -eh : eh);
  if (ew < 2 || eh < 2) {
    for (long long y = top; y < bottom; ++y) row(y, left, right);
    return;
  }
  std::vector<std::pair<long long, long long>> runs(static_cast<std::size_t>(eh), {left, right});
  const long long a = ew - 1, b = eh - 1;
  const long long asq = 8 * a * a, bsq = 8 * b * b;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + (b % 2));
  long long err = dx + dy + a * a * (b % 2);
  long long x = 0, y = eh / 2;
  while (x <= ew / 2) {
    const long long e2 = 2 * err;
    if (e2 >= dx) {
      ++x;
      err += dx += bsq;
    }
    if (e2 <= dy) {
      ++y;
      err += dy += asq;
      if (y < eh) runs[static_cast<std::size_t>(y)] = {left + x, right - x};
    }
  }
  for (long long i = 0; i < eh / 2; ++i)
    runs[static_cast<std::size_t>(i)] = runs[static_cast<std::size_t>(b - i)];
  for (long long i = 0; i < eh; ++i) {
    const auto [l, r] = runs[static_cast<std::size_t>(i)];
    if (l >= r) continue;
    if (i < eh / 2) {
      row(top + i, l, r);
    } else if (i == eh / 2) {
      // The middle run reaches up to the straight part of the sides.
      for (long long yy = top + eh / 2; yy < bottom - eh + i + 1; ++yy) row(yy, l, r);
    } else {
      row(bottom - eh + i, l, r);
    }
  }
}

// --- Blits -----------------------------------------------------------------------------

// A blit of a source DC (or of `srcTarget`, or of no source) through the ternary
// raster operation `rop`, stretched from sw x sh to w x h.
bool Blit(HDC hdst, int x, int y, int w, int h, HDC hsrc, const Target* srcTarget, int sx, int sy,
          int sw, int sh, std::uint32_t rop);

}  // namespace plat::detail

#pragma GCC visibility pop
