// Lines and wide pens: thin lines stepped pixel by pixel (dashed or solid), and wide
// pens as the union of a band along each segment and a round cap at every point.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "raster_p.h"

namespace plat {
namespace detail {

namespace {

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

// The round cap of a wide pen, as runs relative to the point it sits on.
struct CapRun {
  int dy, x0, x1;
};
std::vector<CapRun> RoundCap(int width);

void Stamp(Coverage& cov, const std::vector<CapRun>& cap, long long x, long long y) {
  for (const CapRun& r : cap) cov.Add(y + r.dy, x + r.x0, x + r.x1);
}

void WideSegment(Coverage& cov, const POINT& a, const POINT& b, int width);

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

std::vector<CapRun> RoundCap(int width) {
  std::vector<CapRun> cap;
  const int lo = -(width / 2), hi = (width + 1) / 2 + 1;
  RoundRectRows(lo, lo, hi, hi, hi - lo, hi - lo, [&](long long y, long long l, long long r) {
    cap.push_back(CapRun{static_cast<int>(y), static_cast<int>(l), static_cast<int>(r)});
  });
  return cap;
}

}  // namespace

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

}  // namespace plat
