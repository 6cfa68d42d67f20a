// The raster: lines, outlines, fills and blits on 8-bit and 32-bit targets. Every
// write is clipped to the target, the DC's clip and (for window DCs) the window, so
// no argument can reach memory outside the pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gdi_p.h"
#include "glyphs.h"
#include "platform/cpu.h"

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define TESSEL_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef TESSEL_WIDE_CLONES
#define TESSEL_WIDE_CLONES
#endif

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

Paint BrushPaint(const Canvas& c, HBRUSH h) {
  Paint p;
  Object* o = Lookup(h, Kind::Brush);
  if (!o) return p;
  p.style = o->brush->style;
  p.hatch = o->brush->hatch;
  p.fore = ResolveColour(*c.dc, c.t, o->brush->colour);
  // Looking up the background colour costs a search of the colour table.
  if (p.style == BS_HATCHED) p.back = ResolveColour(*c.dc, c.t, c.dc->bkColour);
  p.opaque = c.dc->bkMode == OPAQUE;
  return p;
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

void ValueRect(Canvas& c, long long l, long long t, long long r, long long b, std::uint32_t v,
               int rop) {
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

void ValueRect(Canvas& c, long long l, long long t, long long r, long long b, std::uint32_t v) {
  ValueRect(c, l, t, r, b, v, c.dc->rop2);
}

// A run [x0, x1) of one value; the run is already inside the clip.
void ValueSpan(Canvas& c, int y, int x0, int x1, std::uint32_t v) {
  ValueRect(c, x0, y, x1, y + 1, v);
}

// A horizontal run [x0, x1) of a brush through the DC's binary raster operation.
void Span(Canvas& c, int y, int x0, int x1, const Paint& paint) {
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

// Runs up to this long are written byte by byte rather than through a call.
constexpr int kShortRun = 8;

// One run of an 8-bit row in one colour. Short runs, the most of a thin wide pen's, are
// spelled out, since the compiler would make a plain loop a call to memset.
inline void FillBytes(std::uint8_t* at, std::uint8_t v, long long count) {
  static_assert(kShortRun == 8, "the cases below spell out the short runs");
  switch (count) {
    case 8:
      at[7] = v;
      [[fallthrough]];
    case 7:
      at[6] = v;
      [[fallthrough]];
    case 6:
      at[5] = v;
      [[fallthrough]];
    case 5:
      at[4] = v;
      [[fallthrough]];
    case 4:
      at[3] = v;
      [[fallthrough]];
    case 3:
      at[2] = v;
      [[fallthrough]];
    case 2:
      at[1] = v;
      [[fallthrough]];
    case 1:
      at[0] = v;
      [[fallthrough]];
    case 0:
      return;
    default:
      if (count > 0) std::memset(at, v, static_cast<std::size_t>(count));
  }
}

// Whether painting a pixel twice with the operation gives what painting it once does.
bool Idempotent(int rop) {
  switch (rop) {
    case R2_COPYPEN:
    case R2_NOTCOPYPEN:
    case R2_BLACK:
    case R2_WHITE:
    case R2_NOP:
    case R2_MASKPEN:
    case R2_MERGEPEN:
    case R2_MASKNOTPEN:
    case R2_MERGENOTPEN:
      return true;
    default:
      return false;
  }
}

// Pixels of an outline gathered first as row runs and painted once, so that
// overlapping strokes of a wide pen stay a single pass of an exclusive-or.
struct Coverage {
  struct Run {
    int y, x0, x1;
  };
  RECT box{};
  std::vector<Run> runs;
  // Set when painting a pixel twice gives what painting it once does: runs are then
  // painted as they come, with nothing gathered or sorted.
  Canvas* direct = nullptr;
  std::uint32_t value = 0;
  // Runs not yet painted in direct mode: the stamps of a walk along a curve overlap
  // the few rows around it, so runs are merged there before they are written.
  static constexpr int kPending = 4;
  Run pending[kPending]{};
  int pendingCount = 0;
  explicit Coverage(const RECT& clip) : box(clip) {}
  void PaintDirect(const Run& r) {
    if (direct->t.bytesPerPixel == 1 && direct->dc->rop2 == R2_COPYPEN) {
      std::uint8_t* at = direct->At(r.x0, r.y);
      const auto v = static_cast<std::uint8_t>(value);
      FillBytes(at, v, r.x1 - r.x0);
      direct->Touch(r.x0, r.y, r.x1, r.y + 1);
    } else {
      ValueRect(*direct, r.x0, r.y, r.x1, r.y + 1, value);
    }
  }
  void AddDirect(int y, int a, int b) {
    for (int i = 0; i < pendingCount; ++i) {
      Run& p = pending[i];
      if (p.y == y && a <= p.x1 && b >= p.x0) {
        p.x0 = std::min(p.x0, a);
        p.x1 = std::max(p.x1, b);
        return;
      }
    }
    if (pendingCount == kPending) {
      PaintDirect(pending[0]);
      std::copy(pending + 1, pending + kPending, pending);
      --pendingCount;
    }
    pending[pendingCount++] = Run{y, a, b};
  }
  void Add(long long y, long long x0, long long x1) {
    if (y < box.top || y >= box.bottom) return;
    x0 = std::max<long long>(x0, box.left);
    x1 = std::min<long long>(x1, box.right);
    if (x0 >= x1) return;
    const int yy = static_cast<int>(y), a = static_cast<int>(x0), b = static_cast<int>(x1);
    if (direct) {
      AddDirect(yy, a, b);
      return;
    }
    // Consecutive stamps mostly touch the run before them.
    if (!runs.empty()) {
      Run& last = runs.back();
      if (last.y == yy && a <= last.x1 && b >= last.x0) {
        last.x0 = std::min(last.x0, a);
        last.x1 = std::max(last.x1, b);
        return;
      }
    }
    runs.push_back(Run{yy, a, b});
  }
  void AddRect(long long l, long long t, long long r, long long b) {
    t = std::max<long long>(t, box.top);
    b = std::min<long long>(b, box.bottom);
    for (long long y = t; y < b; ++y) Add(y, l, r);
  }
  void Apply(Canvas& c, std::uint32_t v) {
    for (int i = 0; i < pendingCount; ++i) PaintDirect(pending[i]);
    pendingCount = 0;
    if (runs.empty()) return;
    int top = runs[0].y, bottom = runs[0].y;
    for (const Run& r : runs) {
      top = std::min(top, r.y);
      bottom = std::max(bottom, r.y);
    }
    // Runs sorted into rows by counting, then by start within each row.
    const std::size_t rows = static_cast<std::size_t>(bottom - top) + 1;
    // Scratch kept between calls: every wide outline comes through here.
    static std::vector<int> first, next;
    static std::vector<Run> sorted;
    first.assign(rows + 1, 0);
    for (const Run& r : runs) ++first[static_cast<std::size_t>(r.y - top) + 1];
    for (std::size_t i = 0; i < rows; ++i) first[i + 1] += first[i];
    sorted.resize(runs.size());
    next.assign(first.begin(), first.end() - 1);
    for (const Run& r : runs)
      sorted[static_cast<std::size_t>(next[static_cast<std::size_t>(r.y - top)]++)] = r;
    for (std::size_t row = 0; row < rows; ++row) {
      Run* a = sorted.data() + first[row];
      Run* e = sorted.data() + first[row + 1];
      if (a == e) continue;
      for (Run* i = a + 1; i < e; ++i)
        for (Run* j = i; j > a && j[-1].x0 > j->x0; --j) std::swap(j[-1], *j);
      int x0 = a->x0, x1 = a->x1;
      for (Run* i = a + 1; i < e; ++i) {
        if (i->x0 <= x1) {
          x1 = std::max(x1, i->x1);
          continue;
        }
        ValueSpan(c, a->y, x0, x1, v);
        x0 = i->x0;
        x1 = i->x1;
      }
      ValueSpan(c, a->y, x0, x1, v);
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

// The steps of a line from (x0, y0) toward (x1, y1) that can reach the clip box (plus
// a margin for the pen's width): along the major axis one pixel per step, the minor
// coordinate nearest the ideal line, halves rounded toward the start. `last` includes
// the end point.
struct LineSteps {
  bool xMajor = true, single = false;
  long long a = 0, b = -1;  // the step range [a, b] whose major coordinate lies in the box
  long long start = 0, sMajor = 1, minor0 = 0, sMinor = 1;
  // Minor offset q of step a and its remainder: for a rising minor
  // q = floor((2 i m + steps - 1) / 2 steps), for a falling one
  // q = -floor((2 i |m| + steps) / 2 steps). The division is done once, then carried
  // as a remainder from step to step.
  long long q = 0, rest = 0, twoSteps = 1, twoM = 0;
};

LineSteps StepsOf(long long x0, long long y0, long long x1, long long y1, bool last,
                  const RECT& box, int margin) {
  LineSteps l;
  const long long dx = x1 - x0, dy = y1 - y0;
  const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) {
    l.single = last;
    l.start = x0;
    l.minor0 = y0;
    return l;
  }
  l.xMajor = adx >= ady;
  const long long steps = l.xMajor ? adx : ady;
  l.sMajor = l.xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1);
  l.start = l.xMajor ? x0 : y0;
  const long long lo = (l.xMajor ? box.left : box.top) - margin;
  const long long hi = (l.xMajor ? box.right : box.bottom) + margin;
  l.a = 0;
  l.b = last ? steps : steps - 1;
  if (l.sMajor > 0) {
    l.a = std::max(l.a, lo - l.start);
    l.b = std::min(l.b, hi - 1 - l.start);
  } else {
    l.a = std::max(l.a, l.start - (hi - 1));
    l.b = std::min(l.b, l.start - lo);
  }
  const long long minor = l.xMajor ? dy : dx;
  l.minor0 = l.xMajor ? y0 : x0;
  const long long m = minor < 0 ? -minor : minor;
  l.sMinor = minor < 0 ? -1 : 1;
  l.twoSteps = 2 * steps;
  l.twoM = 2 * m;
  if (l.a <= l.b) {
    const long long numerator = 2 * l.a * m + (minor < 0 ? steps : steps - 1);
    l.q = numerator / l.twoSteps;
    l.rest = numerator % l.twoSteps;
  }
  return l;
}

// Visits each pixel of the line, fn(x, y).
template <typename Fn>
void WalkLine(long long x0, long long y0, long long x1, long long y1, bool last, const RECT& box,
              int margin, Fn fn) {
  LineSteps l = StepsOf(x0, y0, x1, y1, last, box, margin);
  if (l.single) fn(l.start, l.minor0);
  long long major = l.start + l.sMajor * l.a;
  for (long long i = l.a; i <= l.b; ++i, major += l.sMajor) {
    const long long at = l.minor0 + l.sMinor * l.q;
    if (l.xMajor)
      fn(major, at);
    else
      fn(at, major);
    l.rest += l.twoM;
    if (l.rest >= l.twoSteps) {
      l.rest -= l.twoSteps;
      ++l.q;
    }
  }
}

// The same pixels as WalkLine, as row runs: run(y, x0, x1) for [x0, x1). A line
// along x keeps its row for several steps, found with one division per run.
template <typename Fn>
void WalkLineRows(long long x0, long long y0, long long x1, long long y1, bool last,
                  const RECT& box, Fn run) {
  LineSteps l = StepsOf(x0, y0, x1, y1, last, box, 0);
  if (!l.xMajor || l.single) {
    WalkLine(x0, y0, x1, y1, last, box, 0, [&](long long x, long long y) { run(y, x, x + 1); });
    return;
  }
  for (long long i = l.a; i <= l.b;) {
    long long len = l.twoM ? (l.twoSteps - l.rest + l.twoM - 1) / l.twoM : l.b - i + 1;
    len = std::min(len, l.b - i + 1);
    const long long first = l.start + l.sMajor * i, lastX = first + l.sMajor * (len - 1);
    run(l.minor0 + l.sMinor * l.q, std::min(first, lastX), std::max(first, lastX) + 1);
    i += len;
    l.rest += len * l.twoM;
    if (l.rest >= l.twoSteps) {
      l.rest -= l.twoSteps;
      ++l.q;
    }
  }
}

bool DashOn(int style, long long n) {
  switch (style) {
    case PS_DASH:
      return n % 24 < 18;
    case PS_DOT:
      return n % 6 < 3;
    case PS_DASHDOT:
      return n % 30 < 18 || (n % 30 >= 24 && n % 30 < 27);
    case PS_DASHDOTDOT:
      return n % 36 < 18 || (n % 36 >= 24 && n % 36 < 27) || (n % 36 >= 30 && n % 36 < 33);
    default:
      return true;
  }
}

// The round cap of a wide pen, as runs relative to the point it sits on.
struct CapRun {
  int dy, x0, x1;
};
std::vector<CapRun> RoundCap(int width);

void Stamp(Coverage& cov, const std::vector<CapRun>& cap, long long x, long long y) {
  for (const CapRun& r : cap) cov.Add(y + r.dy, x + r.x0, x + r.x1);
}

void WideSegment(Coverage& cov, const POINT& a, const POINT& b, int width);

// Pens narrower than this keep their caps and diagonal bands once worked out.
constexpr int kCachedWidths = 8;

// The band of a one-pixel diagonal step (dx, dy) of a pen `width` wide, as runs
// relative to the step's start. Integer corners keep the band's scan exact under
// moves by whole pixels, so one copy serves every place.
const std::vector<CapRun>& DiagonalBand(int width, int dx, int dy) {
  static std::vector<CapRun> bands[kCachedWidths][4];
  static bool made[kCachedWidths][4];
  const int which = (dx > 0 ? 1 : 0) + (dy > 0 ? 2 : 0);
  std::vector<CapRun>& band = bands[width][which];
  if (!made[width][which]) {
    // Room for the widest cached pen around the origin.
    Coverage cov(
        RECT{-2 * kCachedWidths, -2 * kCachedWidths, 2 * kCachedWidths, 2 * kCachedWidths});
    WideSegment(cov, POINT{0, 0}, POINT{dx, dy}, width);
    for (const Coverage::Run& r : cov.runs) band.push_back(CapRun{r.y, r.x0, r.x1});
    made[width][which] = true;
  }
  return band;
}

// How many pixels from its point the cap, or the band of any one-pixel step, of a pen of
// a cached width reaches: worked out once from the runs themselves.
int StepReach(int width, const std::vector<CapRun>& cap) {
  static int reach[kCachedWidths];
  if (reach[width] == 0) {
    int r = 1;  // an axis step's band reaches the next pixel
    auto extend = [&r](const CapRun& run) {
      r = std::max({r, -run.dy, run.dy, -run.x0, run.x1 - 1});
    };
    for (const CapRun& run : cap) extend(run);
    for (const int dx : {-1, 1})
      for (const int dy : {-1, 1})
        for (const CapRun& run : DiagonalBand(width, dx, dy)) extend(run);
    // An axis step's band is the pen's width across, centred as the cap is.
    r = std::max({r, width / 2, width - width / 2 - 1});
    reach[width] = r;
  }
  return reach[width];
}

// A curve walked in steps of one pixel (an arc, a door's swing) drawn by copying the pen
// onto an 8-bit target, wholly inside the clip: every cap and step band is written
// where it lies, the runs neither clipped nor merged, since a pixel copied twice is
// the pixel copied once. Returns false, drawing nothing, for any other path.
bool StrokeCurveInside(Canvas& c, const POINT* pts, int n, bool closed, int width,
                       const std::vector<CapRun>& cap, std::uint32_t value) {
  if (c.t.bytesPerPixel != 1 || c.dc->rop2 != R2_COPYPEN || n < 2 || width >= kCachedWidths)
    return false;
  const int segments = closed ? n : n - 1;
  long long left = pts[0].x, right = pts[0].x, top = pts[0].y, bottom = pts[0].y;
  for (int i = 0; i < n; ++i) {
    const POINT& a = pts[i];
    if (i < segments) {
      const POINT& b = pts[(i + 1) % n];
      const long long dx = static_cast<long long>(b.x) - a.x;
      const long long dy = static_cast<long long>(b.y) - a.y;
      if (dx < -1 || dx > 1 || dy < -1 || dy > 1) return false;
    }
    left = std::min<long long>(left, a.x);
    right = std::max<long long>(right, a.x);
    top = std::min<long long>(top, a.y);
    bottom = std::max<long long>(bottom, a.y);
  }
  const int reach = StepReach(width, cap);
  if (left - reach < c.clip.left || right + reach >= c.clip.right || top - reach < c.clip.top ||
      bottom + reach >= c.clip.bottom)
    return false;
  const auto v = static_cast<std::uint8_t>(value);
  auto run = [&](long long y, long long x0, long long x1) {
    FillBytes(c.At(static_cast<int>(x0), static_cast<int>(y)), v, x1 - x0);
  };
  const int half = width / 2;
  for (int i = 0; i < n; ++i) {
    const POINT& a = pts[i];
    for (const CapRun& r : cap) run(a.y + r.dy, a.x + r.x0, a.x + r.x1);
    if (i >= segments) continue;
    const POINT& b = pts[(i + 1) % n];
    const int dx = b.x - a.x, dy = b.y - a.y;
    if (dx == 0 && dy == 0) continue;
    if (dy == 0) {
      for (int y = a.y - half; y < a.y - half + width; ++y)
        run(y, std::min(a.x, b.x), std::max(a.x, b.x));
    } else if (dx == 0) {
      for (int y = std::min(a.y, b.y); y < std::max(a.y, b.y); ++y)
        run(y, a.x - half, a.x - half + width);
    } else {
      for (const CapRun& r : DiagonalBand(width, dx, dy)) run(a.y + r.dy, a.x + r.x0, a.x + r.x1);
    }
  }
  c.Touch(static_cast<int>(left - reach), static_cast<int>(top - reach),
          static_cast<int>(right + reach + 1), static_cast<int>(bottom + reach + 1));
  return true;
}

// A path of points stroked with the DC's pen. Wide pens cover both end points and
// round the joins; thin pens leave out the last point of an open path.
void Stroke(Canvas& c, const POINT* pts, int n, bool closed) {
  const PenInfo pen = PenOf(c);
  if (pen.style == PS_NULL || n < 1) return;
  const int segments = closed ? n : n - 1;
  if (pen.width <= 1) {
    long long counter = 0;
    const std::uint32_t mask = c.Mask();
    const bool bytes = c.t.bytesPerPixel == 1;
    WithRop2<std::uint32_t>(c.dc->rop2, [&](auto op) {
      // On 8-bit targets neighbouring pixels of one row are gathered into a run and
      // written together; each pixel still gets the operation once.
      int runY = 0, runL = 0, runR = 0;
      auto flush = [&] {
        if (runL >= runR) return;
        std::uint8_t* at = c.At(runL, runY);
        for (int i = 0; i < runR - runL; ++i)
          at[i] = static_cast<std::uint8_t>(op(pen.value, at[i], mask));
        c.Touch(runL, runY, runR, runY + 1);
        runL = runR = 0;
      };
      auto plot = [&](long long x, long long y) {
        if (!c.Inside(static_cast<int>(x), static_cast<int>(y))) return;
        if (bytes) {
          const int xi = static_cast<int>(x), yi = static_cast<int>(y);
          if (runL < runR && yi == runY && xi == runR) {
            ++runR;
          } else if (runL < runR && yi == runY && xi == runL - 1) {
            --runL;
          } else {
            flush();
            runY = yi;
            runL = xi;
            runR = xi + 1;
          }
          return;
        }
        std::uint8_t* at = c.At(static_cast<int>(x), static_cast<int>(y));
        std::uint32_t d;
        std::memcpy(&d, at, 4);
        d = op(pen.value, d & mask, mask);
        std::memcpy(at, &d, 4);
        c.Touch(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + 1,
                static_cast<int>(y) + 1);
      };
      for (int i = 0; i < segments; ++i) {
        const POINT& a = pts[i];
        const POINT& b = pts[(i + 1) % n];
        if (pen.style == PS_SOLID && bytes)
          WalkLineRows(a.x, a.y, b.x, b.y, false, c.clip,
                       [&](long long y, long long x0, long long x1) {
                         // Rows are not clipped by the walk, and columns only along x.
                         x0 = std::max<long long>(x0, c.clip.left);
                         x1 = std::min<long long>(x1, c.clip.right);
                         if (y < c.clip.top || y >= c.clip.bottom || x0 >= x1) return;
                         const int yi = static_cast<int>(y), l = static_cast<int>(x0),
                                   r = static_cast<int>(x1);
                         std::uint8_t* at = c.At(l, yi);
                         for (int k = 0; k < r - l; ++k)
                           at[k] = static_cast<std::uint8_t>(op(pen.value, at[k], mask));
                         c.Touch(l, yi, r, yi + 1);
                       });
        else if (pen.style == PS_SOLID)
          WalkLine(a.x, a.y, b.x, b.y, false, c.clip, 0, plot);
        else
          WalkLine(a.x, a.y, b.x, b.y, false, c.clip, 0, [&](long long x, long long y) {
            if (DashOn(pen.style, counter++)) plot(x, y);
          });
      }
      flush();
    });
    return;
  }
  // A wide pen is the union of a band along each segment and a round cap at every
  // point, painted once.
  if (pen.width == 2 && !closed && n == 2 && (pts[0].x == pts[1].x || pts[0].y == pts[1].y)) {
    // A straight two-pixel line along an axis: band and caps make one rectangle.
    const long long l = std::min(pts[0].x, pts[1].x), r = std::max(pts[0].x, pts[1].x);
    const long long t = std::min(pts[0].y, pts[1].y), b = std::max(pts[0].y, pts[1].y);
    ValueRect(c, l - 1, t - 1, r + 1, b + 1, pen.value);
    return;
  }
  if (pen.width == 2 && closed && n == 4 && pts[0].y == pts[1].y && pts[1].x == pts[2].x &&
      pts[2].y == pts[3].y && pts[3].x == pts[0].x) {
    // An axis-parallel rectangle: four bands that do not overlap once it is 3 wide.
    const long long l = std::min(pts[0].x, pts[2].x), r = std::max(pts[0].x, pts[2].x);
    const long long t = std::min(pts[0].y, pts[2].y), b = std::max(pts[0].y, pts[2].y);
    if (r - l >= 2 && b - t >= 2) {
      ValueRect(c, l - 1, t - 1, r + 1, t + 1, pen.value);
      ValueRect(c, l - 1, b - 1, r + 1, b + 1, pen.value);
      ValueRect(c, l - 1, t + 1, l + 1, b - 1, pen.value);
      ValueRect(c, r - 1, t + 1, r + 1, b - 1, pen.value);
      return;
    }
  }
  const int w = pen.width, half = w / 2;
  // Pens are mostly one of a few widths: their caps are worked out once.
  static std::vector<CapRun> caps[kCachedWidths];
  std::vector<CapRun> wide;
  if (w < kCachedWidths && caps[w].empty()) caps[w] = RoundCap(w);
  if (w >= kCachedWidths) wide = RoundCap(w);
  const std::vector<CapRun>& cap = w < kCachedWidths ? caps[w] : wide;
  if (StrokeCurveInside(c, pts, n, closed, w, cap, pen.value)) return;
  Coverage cov(c.clip);
  if (Idempotent(c.dc->rop2)) {
    cov.direct = &c;
    cov.value = pen.value;
  }
  for (int i = 0; i < n; ++i) Stamp(cov, cap, pts[i].x, pts[i].y);
  for (int i = 0; i < segments; ++i) {
    const POINT& a = pts[i];
    const POINT& b = pts[(i + 1) % n];
    const long long dx = static_cast<long long>(b.x) - a.x, dy = static_cast<long long>(b.y) - a.y;
    if (dx == 0 && dy == 0) continue;
    if (dy == 0) {
      cov.AddRect(std::min(a.x, b.x), a.y - half, std::max(a.x, b.x), a.y - half + w);
    } else if (dx == 0) {
      cov.AddRect(a.x - half, std::min(a.y, b.y), a.x - half + w, std::max(a.y, b.y));
    } else if (w < kCachedWidths && (dx == 1 || dx == -1) && (dy == 1 || dy == -1)) {
      // Curves are walked in diagonal steps of one pixel: the band of such a step is
      // the same few runs wherever it lies, worked out once per width and direction.
      for (const CapRun& r : DiagonalBand(w, static_cast<int>(dx), static_cast<int>(dy)))
        cov.Add(a.y + r.dy, a.x + r.x0, a.x + r.x1);
    } else {
      WideSegment(cov, a, b, w);
    }
  }
  cov.Apply(c, pen.value);
}

// --- Filled shapes ------------------------------------------------------------------------

// A polygon edge from its upper to its lower end; it crosses rows y0 .. y1 - 1.
struct Edge {
  long long x0, y0, x1, y1;
  int dir;
};

long long FloorDiv(long long a, long long b) {
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

// The band of a slanted segment: a quadrilateral whose ends are offset across the
// line by half the pen's width, the wider half on one side.
void WideSegment(Coverage& cov, const POINT& a, const POINT& b, int width) {
  const long long dx = static_cast<long long>(b.x) - a.x, dy = static_cast<long long>(b.y) - a.y;
  const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  const double wx = width * static_cast<double>(dy < 0 ? -dy : dy) / len;
  const double wy = width * static_cast<double>(dx < 0 ? -dx : dx) / len;
  auto round = [](double f) { return static_cast<long long>(f > 0 ? f + 0.5 : f - 0.5); };
  long long nx = round(wx / 2), ny = round(wy / 2), fx = round((wx + 1) / 2),
            fy = round((wy + 1) / 2);
  if (dx < 0) {
    fy = -fy;
    ny = -ny;
  }
  if (dy < 0) {
    std::swap(nx, fx);
    std::swap(ny, fy);
    fx = -fx;
    nx = -nx;
  }
  const POINT q[4] = {{static_cast<int>(a.x - nx), static_cast<int>(a.y + ny)},
                      {static_cast<int>(a.x + fx), static_cast<int>(a.y - fy)},
                      {static_cast<int>(b.x + fx), static_cast<int>(b.y - fy)},
                      {static_cast<int>(b.x - nx), static_cast<int>(b.y + ny)}};
  static std::vector<Edge> edges;
  edges.clear();
  AddPolygonEdges(edges, q, 4);
  ScanEdges(edges, ALTERNATE, cov.box, [&](int y, int l, int r) { cov.Add(y, l, r); });
}

bool SaneBox(long long l, long long t, long long r, long long b) {
  const long long lim = 1LL << 24;
  return l > -lim && t > -lim && r < lim && b < lim;
}

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

std::vector<CapRun> RoundCap(int width) {
  std::vector<CapRun> cap;
  const int lo = -(width / 2), hi = (width + 1) / 2 + 1;
  RoundRectRows(lo, lo, hi, hi, hi - lo, hi - lo, [&](long long y, long long l, long long r) {
    cap.push_back(CapRun{static_cast<int>(y), static_cast<int>(l), static_cast<int>(r)});
  });
  return cap;
}

// The box a pen's outline follows: an inside-frame pen draws within the rectangle.
RECT PenBox(const PenInfo& pen, int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  RECT box{l, t, r, b};
  if (pen.style == PS_INSIDEFRAME) {
    box.left += pen.width / 2;
    box.top += pen.width / 2;
    box.right -= (pen.width - 1) / 2;
    box.bottom -= (pen.width - 1) / 2;
  }
  return box;
}

// Strokes with the pen as solid, the inside-frame style having placed the path.
void StrokeFramed(Canvas& c, const POINT* pts, int n, bool closed) {
  Object* o = Lookup(c.dc->pen, Kind::Pen);
  if (!o || o->pen->style != PS_INSIDEFRAME) {
    Stroke(c, pts, n, closed);
    return;
  }
  const int saved = o->pen->style;
  o->pen->style = PS_SOLID;
  Stroke(c, pts, n, closed);
  o->pen->style = saved;
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

// Ternary raster operation on three pixel values, bit by bit.
std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d,
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

bool UsesSource(std::uint8_t code) {
  return ((code >> 2) & 0x33) != (code & 0x33);
}

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
    return ResolveColour(*dst->dc, dst->t,
                         RGB(static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v)));
  }
};

// Colour maps of blits kept for the next blits between the same colour tables.
constexpr int kKeptSourceMaps = 4;

bool MakeSource(const Canvas& dst, const Target& src, Source* s) {
  s->t = src;
  s->dst = &dst;
  if (src.bytesPerPixel != 1) return true;
  if (dst.t.bytesPerPixel == 1 &&
      std::memcmp(src.colours, dst.t.colours, 256 * sizeof(RGBQUAD)) == 0) {
    s->direct = true;
    return true;
  }
  // The map depends only on the two colour tables (the destination's only when it has
  // one): the window's paint and the product blits repeat the same pairs, so the last
  // few maps are kept, compared by contents since tables change in place.
  struct Kept {
    RGBQUAD from[256], to[256];
    bool toTable = false, used = false;
    std::uint32_t map[256];
  };
  static Kept kept[kKeptSourceMaps];
  static int nextKept = 0;
  const bool toTable = dst.t.bytesPerPixel == 1;
  s->map.resize(256);
  for (const Kept& k : kept)
    if (k.used && k.toTable == toTable && std::memcmp(k.from, src.colours, sizeof k.from) == 0 &&
        (!toTable || std::memcmp(k.to, dst.t.colours, sizeof k.to) == 0)) {
      std::copy(k.map, k.map + 256, s->map.begin());
      return true;
    }
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = src.colours[i];
    s->map[i] = ResolveColour(*dst.dc, dst.t, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
  }
  Kept& k = kept[nextKept];
  nextKept = (nextKept + 1) % kKeptSourceMaps;
  std::memcpy(k.from, src.colours, sizeof k.from);
  if (toTable) std::memcpy(k.to, dst.t.colours, sizeof k.to);
  k.toTable = toTable;
  k.used = true;
  std::copy(s->map.begin(), s->map.end(), k.map);
  return true;
}

// Which source column or row each destination one shows, stepped like a line from
// (0, 0) to (sn, dn): enlarging repeats a source pixel; shrinking keeps the last
// source column of each destination pixel's share, but the first source row.
std::vector<int> ScaleMap(int dn, int sn, bool rows) {
  std::vector<int> m(static_cast<std::size_t>(dn), 0);
  // A single destination pixel takes its share from one source pixel fewer.
  if (dn == 1 && sn > 1) --sn;
  const long long dx = sn, dy = dn;
  if (dx > dy) {
    long long err = 3 * dy - 2 * dx;
    std::size_t j = 0;
    bool fresh = true;
    for (int i = 0; i < sn && j < m.size(); ++i) {
      if (!rows || fresh) m[j] = i;
      fresh = err > 0;
      if (err > 0) {
        ++j;
        err += 2 * dy - 2 * dx;
      } else {
        err += 2 * dy;
      }
    }
  } else {
    long long err = 3 * dx - 2 * dy;
    int i = 0;
    for (std::size_t j = 0; j < m.size(); ++j) {
      m[j] = std::min(i, sn - 1);
      if (err > 0) {
        ++i;
        err += 2 * dx - 2 * dy;
      } else {
        err += 2 * dx;
      }
    }
  }
  return m;
}

// d[i] = s[col[i]], eight at a time: the stretch's inner loop.
void Gather(std::uint8_t* d, const std::uint8_t* s, const int* col, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = v << 8 | s[col[i + static_cast<std::size_t>(k)]];
    std::memcpy(d + i, &v, 8);
  }
  for (; i < n; ++i) d[i] = s[col[i]];
}

// d[i] = s[i * step]: a shrink by a whole factor takes evenly spaced columns, which
// the compiler turns into shuffles of whole vectors for the common steps.
void GatherStrided(std::uint8_t* d, const std::uint8_t* s, std::size_t step, std::size_t n) {
  switch (step) {
    case 2:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[2 * i];
      break;
    case 4:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[4 * i];
      break;
    default:
      for (std::size_t i = 0; i < n; ++i) d[i] = s[i * step];
      break;
  }
}

// The distance between neighbouring columns when they are all equally far apart, else 0.
std::size_t EvenStep(const std::vector<int>& cols) {
  if (cols.size() < 2 || cols[1] <= cols[0]) return 0;
  const int step = cols[1] - cols[0];
  for (std::size_t i = 2; i < cols.size(); ++i)
    if (cols[i] - cols[i - 1] != step) return 0;
  return static_cast<std::size_t>(step);
}

// The binary operation of pen P and destination D that a ternary code without the
// source equals on 8-bit pixels, or 0 when there is none.
int PatternRop2(std::uint8_t code) {
  switch (code) {
    case 0xF0:
      return R2_COPYPEN;
    case 0x0F:
      return R2_NOTCOPYPEN;
    case 0x00:
      return R2_BLACK;
    case 0xFF:
      return R2_WHITE;
    case 0x55:
      return R2_NOT;
    case 0x5A:
      return R2_XORPEN;
    case 0xA5:
      return R2_NOTXORPEN;
    case 0xAA:
      return R2_NOP;
    default:
      return 0;
  }
}

bool Blit(HDC hdst, int x, int y, int w, int h, HDC hsrc, const Target* srcTarget, int sx, int sy,
          int sw, int sh, std::uint32_t rop) {
  Canvas c;
  if (!Open(hdst, &c)) return false;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const bool needSource = UsesSource(code);
  Target st{};
  if (needSource) {
    if (srcTarget)
      st = *srcTarget;
    else {
      DC* sdc = LookupDC(hsrc);
      if (!sdc || !TargetOf(*sdc, &st)) return false;
    }
  }
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (sw < 0) {
    sx += sw;
    sw = -sw;
  }
  if (sh < 0) {
    sy += sh;
    sh = -sh;
  }
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
  if (!needSource && c.t.bytesPerPixel == 1 && paint.style != BS_HATCHED) {
    // Without a source or a hatch every pixel gets the same treatment: the codes that
    // match a binary operation on one value go through the row loops.
    const int rop2 = PatternRop2(code);
    if (rop2) {
      ValueRect(c, x0, y0, x1, y1, paint.style == BS_SOLID ? paint.fore : 0, rop2);
      Close(c);
      return true;
    }
  }
  std::vector<int> cols, rows;
  if (needSource) {
    cols = ScaleMap(w, sw, false);
    rows = ScaleMap(h, sh, true);
  }
  // A plain copy of an 8-bit source, stretched or not, goes through a column table;
  // rows that repeat the source row above are copied from the row just written.
  const bool copy8 = needSource && code == 0xCC && st.bytesPerPixel == 1 && st.bits != c.t.bits;
  std::vector<int> scols;
  int ca = x1, cb = x1;
  if (copy8) {
    for (int dx = x0; dx < x1; ++dx) {
      const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
      if (scol < 0 || scol >= st.width) continue;
      if (ca == x1) ca = dx;
      cb = dx + 1;
      scols.push_back(scol);
    }
  }
  const std::size_t run = static_cast<std::size_t>(cb > ca ? cb - ca : 0);
  const std::size_t step = copy8 ? EvenStep(scols) : 0;
  int lastSrow = -1, lastDy = -1;
  for (int dy = y0; dy < y1; ++dy) {
    int srow = 0;
    if (needSource) {
      srow = sy + rows[static_cast<std::size_t>(dy - y)];
      if (srow < 0 || srow >= st.height) continue;
    }
    if (copy8) {
      if (!run) continue;
      std::uint8_t* d = c.At(ca, dy);
      if (srow == lastSrow) {
        std::memcpy(d, c.At(ca, lastDy), run * static_cast<std::size_t>(c.t.bytesPerPixel));
      } else {
        const std::uint8_t* sr = st.bits + static_cast<std::size_t>(srow) * st.stride;
        const int* col = scols.data();
        if (c.t.bytesPerPixel == 1 && src.direct) {
          if (sw == w)
            std::memcpy(d, sr + col[0], run);
          else if (step)
            GatherStrided(d, sr + col[0], step, run);
          else
            Gather(d, sr, col, run);
        } else if (c.t.bytesPerPixel == 1) {
          const std::uint32_t* map = src.map.data();
          for (std::size_t i = 0; i < run; ++i) d[i] = static_cast<std::uint8_t>(map[sr[col[i]]]);
        } else if (sw == w) {
          // The paint of a window: each index through the colour table, in order.
          const std::uint32_t* map = src.map.data();
          const std::uint8_t* from = sr + col[0];
          auto* to = reinterpret_cast<std::uint32_t*>(d);
          std::size_t i = 0;
          for (; i + 4 <= run; i += 4) {
            to[i] = map[from[i]];
            to[i + 1] = map[from[i + 1]];
            to[i + 2] = map[from[i + 2]];
            to[i + 3] = map[from[i + 3]];
          }
          for (; i < run; ++i) to[i] = map[from[i]];
        } else {
          const std::uint32_t* map = src.map.data();
          auto* to = reinterpret_cast<std::uint32_t*>(d);
          for (std::size_t i = 0; i < run; ++i) to[i] = map[sr[col[i]]];
        }
      }
      lastSrow = srow;
      lastDy = dy;
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

// d[i] = s[i] except where s[i] is the key: one colour-keyed row, same colour tables.
// The plain loop is compiled for the baseline and for wider registers, picked when the
// library loads; the build's flags stay portable.
TESSEL_WIDE_CLONES void KeyedRowBlend(std::uint8_t* d, const std::uint8_t* s, std::size_t n,
                                      std::uint8_t key) {
  for (std::size_t i = 0; i < n; ++i) d[i] = s[i] == key ? d[i] : s[i];
}

#if defined(__x86_64__)
// Where the processor can store bytes under a mask, the target is not read at all and
// 64 pixels that are all key are not touched.
constexpr std::size_t kMaskedBlock = 64;

__attribute__((target("avx512f,avx512bw,bmi2"))) void KeyedRowMasked(std::uint8_t* d,
                                                                     const std::uint8_t* s,
                                                                     std::size_t n,
                                                                     std::uint8_t key) {
  const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
  std::size_t i = 0;
  for (; i + kMaskedBlock <= n; i += kMaskedBlock) {
    const __m512i in = _mm512_loadu_si512(s + i);
    _mm512_mask_storeu_epi8(d + i, _mm512_cmpneq_epi8_mask(in, keys), in);
  }
  if (i < n) {
    const __mmask64 tail = _bzhi_u64(~0ull, static_cast<unsigned>(n - i));
    const __m512i in = _mm512_maskz_loadu_epi8(tail, s + i);
    _mm512_mask_storeu_epi8(d + i, tail & _mm512_cmpneq_epi8_mask(in, keys), in);
  }
}

#endif

void KeyedRow(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t key) {
#if defined(__x86_64__)
  if (HasCpuFeature(CpuFeature::kAvx512Bytes)) {
    KeyedRowMasked(d, s, n, key);
    return;
  }
#endif
  KeyedRowBlend(d, s, n, key);
}

bool KeyedBlit(HDC hdst, int x, int y, int w, int h, HDC hsrc, int sx, int sy, int sw, int sh,
               COLORREF key) {
  Canvas c;
  DC* sdc = LookupDC(hsrc);
  Target st{};
  if (!Open(hdst, &c) || !sdc || !TargetOf(*sdc, &st)) return false;
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
  if (!SaneBox(x, y, static_cast<long long>(x) + w, static_cast<long long>(y) + h)) return false;
  // The source box is bounded the same way, so no source row or column overflows.
  if (!SaneBox(sx, sy, static_cast<long long>(sx) + sw, static_cast<long long>(sy) + sh))
    return false;
  Source src;
  MakeSource(c, st, &src);
  // Which source values are the key: by colour, or one entry exactly for an index.
  bool keyed[256]{};
  std::uint32_t key32 = CLR_INVALID;
  int keyCount = 0, keyIndex = 0;
  const bool byIndex = (key & 0xFFFF0000u) == 0x10FF0000u;
  if (st.bytesPerPixel == 1 && byIndex) {
    keyIndex = static_cast<int>(key & 0xFFu);
    keyed[keyIndex] = true;
    keyCount = 1;
  } else if (st.bytesPerPixel == 1) {
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = st.colours[i];
      keyed[i] = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) == (key & 0xFFFFFFu);
      if (keyed[i]) {
        ++keyCount;
        keyIndex = i;
      }
    }
  } else if (!byIndex) {
    key32 = (std::uint32_t{GetRValue(key)} << 16) | (std::uint32_t{GetGValue(key)} << 8) |
            GetBValue(key);
  }  // an index means nothing in a source without a colour table: nothing is keyed
  const int x0 = std::max(x, static_cast<int>(c.clip.left));
  const int x1 = std::min(x + w, static_cast<int>(c.clip.right));
  const int y0 = std::max(y, static_cast<int>(c.clip.top));
  const int y1 = std::min(y + h, static_cast<int>(c.clip.bottom));
  if (x0 >= x1 || y0 >= y1) {
    Close(c);
    return true;
  }
  // Unstretched, one keyed index, the same colour table and the whole row in the
  // source: each row is one keyed copy of bytes, and no scale tables are needed.
  const bool plain = src.direct && c.t.bytesPerPixel == 1 && keyCount == 1 && sw == w && sh == h &&
                     sx + (x0 - x) >= 0 && sx + (x1 - x) <= st.width && st.bits != c.t.bits;
  std::vector<int> cols, rows;
  if (!plain) {
    cols = ScaleMap(w, sw, false);
    rows = ScaleMap(h, sh, true);
  }
  for (int dy = y0; dy < y1; ++dy) {
    const int srow = sy + (plain ? dy - y : rows[static_cast<std::size_t>(dy - y)]);
    if (srow < 0 || srow >= st.height) continue;
    const std::uint8_t* sr = st.bits + static_cast<std::size_t>(srow) * st.stride;
    if (plain) {
      KeyedRow(c.At(x0, dy), sr + (sx + x0 - x), static_cast<std::size_t>(x1 - x0),
               static_cast<std::uint8_t>(keyIndex));
      continue;
    }
    for (int dx = x0; dx < x1; ++dx) {
      const int scol = sx + cols[static_cast<std::size_t>(dx - x)];
      if (scol < 0 || scol >= st.width) continue;
      if (st.bytesPerPixel == 1) {
        if (keyed[sr[scol]]) continue;
      } else {
        std::uint32_t v;
        std::memcpy(&v, sr + static_cast<std::size_t>(scol) * 4, 4);
        if ((v & 0xFFFFFFu) == key32) continue;
      }
      c.Set(dx, dy, src.At(scol, srow));
    }
  }
  c.Touch(x0, y0, x1, y1);
  Close(c);
  return true;
}

}  // namespace
}  // namespace detail

using namespace detail;

bool TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    COLORREF transparent) {
  return KeyedBlit(dst, x, y, w, h, src, sx, sy, sw, sh, transparent);
}

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

namespace {

// The pixels a flood fill may still paint, one bit each, a row a whole number of
// words so the search runs a word at a time; bits past the row's end stay clear.
constexpr std::size_t kWordBits = 64;

std::size_t WordsFor(std::size_t bits) {
  return (bits + kWordBits - 1) / kWordBits;
}

std::uint64_t BitsFrom(std::size_t i) {
  return ~std::uint64_t{0} << (i % kWordBits);
}

// The first set (or, with `set` false, clear) bit in [i, end), or end.
std::size_t NextBit(const std::uint64_t* m, std::size_t i, std::size_t end, bool set) {
  if (i >= end) return end;
  const std::uint64_t flip = set ? 0 : ~std::uint64_t{0};
  std::size_t at = i / kWordBits;
  std::uint64_t word = (m[at] ^ flip) & BitsFrom(i);
  const std::size_t lastWord = (end - 1) / kWordBits;
  while (!word && at < lastWord) word = m[++at] ^ flip;
  if (!word) return end;
  return std::min(end, at * kWordBits + static_cast<std::size_t>(__builtin_ctzll(word)));
}

// The start of the run of set bits that ends just before l.
std::size_t RunStart(const std::uint64_t* m, std::size_t l) {
  while (l > 0) {
    const std::size_t at = (l - 1) / kWordBits, used = l - at * kWordBits;
    const std::uint64_t below =
        used == kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << used) - 1;
    const std::uint64_t closed = ~m[at] & below;
    if (closed) return at * kWordBits + static_cast<std::size_t>(64 - __builtin_clzll(closed));
    l = at * kWordBits;
  }
  return 0;
}

void ClearBits(std::uint64_t* m, std::size_t l, std::size_t r) {
  if (l >= r) return;
  const std::size_t first = l / kWordBits, last = (r - 1) / kWordBits;
  const std::uint64_t head = BitsFrom(l),
                      tail = ~std::uint64_t{0} >> (kWordBits - 1 - (r - 1) % kWordBits);
  if (first == last) {
    m[first] &= ~(head & tail);
    return;
  }
  m[first] &= ~head;
  for (std::size_t k = first + 1; k < last; ++k) m[k] = 0;
  m[last] &= ~tail;
}

// Bit i set where p[i] is (`equal`) or is not the key, for a row of w bytes; bits past
// the row's end stay clear.
void OpenBitsPlain(const std::uint8_t* p, std::size_t w, std::uint8_t key, bool equal,
                   std::uint64_t* m) {
  constexpr std::size_t kChunk = 16;  // bytes compared at once
  const std::uint64_t flip = equal ? 0 : ~std::uint64_t{0};
#if defined(__SSE2__)
  const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
  auto same = [&](const std::uint8_t* at) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(in, keys)))};
  };
#endif
  for (std::size_t i = 0; i < w; i += kWordBits) {
    const std::size_t n = std::min(kWordBits, w - i);
    std::uint64_t word = 0;
    std::size_t j = 0;
#if defined(__SSE2__)
    if (n == kWordBits) {
      // Four independent compares, not a chain through the word.
      word = same(p + i) | same(p + i + 16) << 16 | same(p + i + 32) << 32 | same(p + i + 48) << 48;
      j = n;
    }
    for (; j + kChunk <= n; j += kChunk) word |= same(p + i + j) << j;
#endif
    for (; j < n; ++j) word |= std::uint64_t{p[i + j] == key} << j;
    const std::uint64_t used = n == kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
    m[i / kWordBits] = (word ^ flip) & used;
  }
}

#if defined(__x86_64__)
// A word of bits from one compare where the processor has 64-byte registers.
__attribute__((target("avx512f,avx512bw,bmi2"))) void OpenBitsWide(const std::uint8_t* p,
                                                                   std::size_t w, std::uint8_t key,
                                                                   bool equal, std::uint64_t* m) {
  const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
  const std::uint64_t flip = equal ? 0 : ~std::uint64_t{0};
  std::size_t i = 0;
  for (; i + kWordBits <= w; i += kWordBits)
    m[i / kWordBits] = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p + i), keys) ^ flip;
  if (i < w) {
    const __mmask64 used = _bzhi_u64(~0ull, static_cast<unsigned>(w - i));
    m[i / kWordBits] =
        (_mm512_cmpeq_epi8_mask(_mm512_maskz_loadu_epi8(used, p + i), keys) ^ flip) & used;
  }
}
#endif

void OpenBits(const std::uint8_t* p, std::size_t w, std::uint8_t key, bool equal,
              std::uint64_t* m) {
#if defined(__x86_64__)
  if (HasCpuFeature(CpuFeature::kAvx512Bytes)) {
    OpenBitsWide(p, w, key, equal, m);
    return;
  }
#endif
  OpenBitsPlain(p, w, key, equal, m);
}

}  // namespace

bool ExtFloodFill(HDC h, int x, int y, COLORREF colour, unsigned type) {
  Canvas c;
  if (!Open(h, &c) || !c.Inside(x, y)) return false;
  const std::uint32_t key = ResolveColour(*c.dc, c.t, colour);
  const bool surface = type == FLOODFILLSURFACE;
  // Which pixels may still be filled, decided once from the pixels as they were;
  // a pixel leaves the set when it is painted, so every pixel is painted once.
  const int left = c.clip.left, top = c.clip.top;
  const std::size_t w = static_cast<std::size_t>(c.clip.right - c.clip.left);
  const std::size_t rows = static_cast<std::size_t>(c.clip.bottom - c.clip.top);
  const std::size_t words = WordsFor(w);
  // Scratch kept between calls: a room's fill covers most of the worksheet. A row's
  // bits are worked out when the fill first reaches it.
  static std::vector<std::uint64_t> open;
  static std::vector<std::uint8_t> known;
  open.resize(words * rows);
  known.assign(rows, 0);
  auto row = [&](int py) {
    const auto r = static_cast<std::size_t>(py - top);
    std::uint64_t* m = &open[r * words];
    if (known[r]) return m;
    known[r] = 1;
    if (c.t.bytesPerPixel == 1) {
      OpenBits(c.At(left, py), w, static_cast<std::uint8_t>(key), surface, m);
      return m;
    }
    std::fill(m, m + words, 0);
    for (std::size_t i = 0; i < w; ++i)
      if ((c.Get(left + static_cast<int>(i), py) == key) == surface)
        m[i / kWordBits] |= std::uint64_t{1} << (i % kWordBits);
    return m;
  };
  auto isOpen = [](const std::uint64_t* m, std::size_t i) {
    return (m[i / kWordBits] >> (i % kWordBits)) & 1;
  };
  if (!isOpen(row(y), static_cast<std::size_t>(x - left))) return false;
  const Paint paint = BrushPaint(c, c.dc->brush);
  const int saved = c.dc->rop2;
  const_cast<DC*>(c.dc)->rop2 = R2_COPYPEN;
  // Runs of row y - dy in [l, r) were filled; row y is searched under them only. A
  // run found there that reaches past [l, r) sends the search back to row y - dy for
  // the part the earlier run did not cover, so no row is searched twice.
  struct Pending {
    int y, dy;
    std::size_t l, r;
  };
  static std::vector<Pending> stack;
  stack.clear();
  auto fill = [&](int py, std::size_t l, std::size_t r) {
    ClearBits(row(py), l, r);
    Span(c, py, left + static_cast<int>(l), left + static_cast<int>(r), paint);
  };
  {
    const std::uint64_t* m = row(y);
    const std::size_t l = RunStart(m, static_cast<std::size_t>(x - left));
    const std::size_t r = NextBit(m, static_cast<std::size_t>(x - left), w, false);
    fill(y, l, r);
    stack.push_back(Pending{y + 1, 1, l, r});
    stack.push_back(Pending{y - 1, -1, l, r});
  }
  while (!stack.empty()) {
    const Pending s = stack.back();
    stack.pop_back();
    if (s.y < top || s.y >= c.clip.bottom) continue;
    const std::uint64_t* m = row(s.y);
    std::size_t i = s.l;
    if (isOpen(m, i))
      i = RunStart(m, i);
    else
      i = NextBit(m, i, s.r, true);
    while (i < s.r) {
      const std::size_t e = NextBit(m, i, w, false);
      fill(s.y, i, e);
      stack.push_back(Pending{s.y + s.dy, s.dy, i, e});
      if (i < s.l) stack.push_back(Pending{s.y - s.dy, -s.dy, i, s.l});
      if (e > s.r) stack.push_back(Pending{s.y - s.dy, -s.dy, s.r, e});
      i = e < s.r ? NextBit(m, e, s.r, true) : s.r;
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
  const unsigned align = c.dc->textAlign;
  // Measuring the string loads every glyph again: only for alignment and background.
  const bool measure = (align & (TA_CENTER | TA_RIGHT)) != 0 || c.dc->bkMode == OPAQUE;
  if (!glyphs::Render(lf, text, length, lf.lfQuality == ANTIALIASED_QUALITY, &mask) ||
      !glyphs::Metrics(lf, &m) || (measure && !glyphs::Extent(lf, text, length, &extent)))
    return false;
  // The reference point moves with the alignment, along the rotated baseline.
  double ox = 0, oy = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    ox = -extent.cx / 2.0;
  else if (align & TA_RIGHT)
    ox = -extent.cx;
  if ((align & TA_BASELINE) == TA_BASELINE)
    oy = -m.ascent;
  else if (align & TA_BOTTOM)
    oy = -m.height;
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
  *tm = TEXTMETRIC{m.height, m.ascent,       m.descent,      m.internalLeading,
                   0,        m.aveCharWidth, m.maxCharWidth, f->font->lf.lfWeight};
  return true;
}

}  // namespace plat
