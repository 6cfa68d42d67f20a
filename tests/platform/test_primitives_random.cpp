// The fast primitives against plain per-pixel reference implementations kept here, on
// seeded random inputs: odd sheet sizes with padded rows, shapes reaching past the
// sheet's edges, random clip rectangles and every binary raster operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi.h"
#include "support/grey_surface.h"

using namespace plat;

namespace {

using Surface = GreySurface;
using Pixels = std::vector<std::uint8_t>;

constexpr unsigned kSeed = 190;
constexpr int kRounds = 400;

// A binary raster operation's code, less one, is its truth table: bit (2 p + d) is the
// result for pen bit p and destination bit d.
std::uint8_t RefRop2(int mode, std::uint8_t pen, std::uint8_t dst) {
  const int table = mode - 1;
  std::uint8_t out = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const int p = (pen >> bit) & 1, d = (dst >> bit) & 1;
    out = static_cast<std::uint8_t>(out | (((table >> (2 * p + d)) & 1) << bit));
  }
  return out;
}

// A ternary code is its truth table: bit (4 p + 2 s + d).
std::uint8_t RefRop3(std::uint8_t code, std::uint8_t pat, std::uint8_t src, std::uint8_t dst) {
  std::uint8_t out = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const int p = (pat >> bit) & 1, s = (src >> bit) & 1, d = (dst >> bit) & 1;
    out = static_cast<std::uint8_t>(out | (((code >> (4 * p + 2 * s + d)) & 1) << bit));
  }
  return out;
}

// A clip rectangle somewhere around the sheet, sometimes none.
struct Clip {
  bool on = false;
  RECT r{};
  bool Holds(const Surface& s, int x, int y) const {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return false;
    return !on || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
  }
};

Clip RandomClip(std::mt19937& rng, const Surface& s, HDC dc) {
  Clip c;
  SelectClipRgn(dc, 0);
  if (rng() % 3 == 0) return c;
  std::uniform_int_distribution<int> x(-5, s.width + 5), y(-5, s.height + 5);
  c.on = true;
  c.r = RECT{x(rng), y(rng), x(rng), y(rng)};
  if (c.r.left > c.r.right) std::swap(c.r.left, c.r.right);
  if (c.r.top > c.r.bottom) std::swap(c.r.top, c.r.bottom);
  IntersectClipRect(dc, c.r.left, c.r.top, c.r.right, c.r.bottom);
  return c;
}

void Noise(std::mt19937& rng, Surface& s) {
  for (std::size_t i = 0; i < s.Bytes(); ++i) s.bits[i] = static_cast<std::uint8_t>(rng());
}

// Applies f(x, y) -> should the pixel change, through rop, to a copy of the pixels.
template <typename Covered>
Pixels Expect(const Surface& s, const Pixels& before, const Clip& clip, int rop, std::uint8_t pen,
              Covered covered) {
  Pixels out = before;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (clip.Holds(s, x, y) && covered(x, y)) {
        std::uint8_t& p = out[static_cast<std::size_t>(y * s.stride + x)];
        p = RefRop2(rop, pen, p);
      }
  return out;
}

// The pixels of a one-pixel line from a toward b, its end left out: along the major
// axis one pixel per step, the minor coordinate rounded to nearest, halves toward a.
std::vector<POINT> RefLine(POINT a, POINT b) {
  std::vector<POINT> out;
  const long long dx = b.x - a.x, dy = b.y - a.y;
  const long long adx = std::abs(dx), ady = std::abs(dy);
  const bool xMajor = adx >= ady;
  const long long steps = std::max(adx, ady);
  for (long long i = 0; i < steps; ++i) {
    const long long minor = xMajor ? dy : dx;
    const long long num = 2 * i * minor;
    const long long q =
        num >= 0 ? (num + steps - 1) / (2 * steps) : -((-num + steps) / (2 * steps));
    const long long major = i * (xMajor ? (dx < 0 ? -1 : 1) : (dy < 0 ? -1 : 1));
    out.push_back(xMajor ? POINT{static_cast<int>(a.x + major), static_cast<int>(a.y + q)}
                         : POINT{static_cast<int>(a.x + q), static_cast<int>(a.y + major)});
  }
  return out;
}

// The same rule for a polygon's pixels as the scan conversion: a pixel is inside when
// the crossings of its row at or left of its centre count odd.
bool RefInside(const std::vector<POINT>& poly, int x, int y) {
  int crossings = 0;
  for (std::size_t i = 0; i < poly.size(); ++i) {
    POINT a = poly[i], b = poly[(i + 1) % poly.size()];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    const long long dy = b.y - a.y, dx = b.x - a.x;
    if (static_cast<long long>(a.x) * dy + (y - a.y) * dx <= static_cast<long long>(x) * dy)
      ++crossings;
  }
  return crossings & 1;
}

// Which source column (or row) each destination one shows: stepped like a line; a
// shrink keeps the last source column of a destination pixel's share but the first row.
std::vector<int> RefScale(int dn, int sn, bool rows) {
  std::vector<int> m(static_cast<std::size_t>(dn), 0);
  if (dn == 1 && sn > 1) --sn;
  for (int j = 0; j < dn; ++j) {
    if (sn > dn) {
      // Destination pixel j covers source pixels whose line step lands on j.
      int first = -1, last = -1;
      long long err = 3LL * dn - 2LL * sn;
      int jj = 0;
      for (int i = 0; i < sn; ++i) {
        if (jj == j) {
          if (first < 0) first = i;
          last = i;
        }
        if (err > 0) {
          ++jj;
          err += 2LL * dn - 2LL * sn;
        } else {
          err += 2LL * dn;
        }
      }
      m[static_cast<std::size_t>(j)] = rows ? std::max(first, 0) : std::max(last, 0);
    } else {
      long long err = 3LL * sn - 2LL * dn;
      int i = 0;
      for (int k = 0; k < j; ++k) {
        if (err > 0) {
          ++i;
          err += 2LL * sn - 2LL * dn;
        } else {
          err += 2LL * sn;
        }
      }
      m[static_cast<std::size_t>(j)] = std::min(i, sn - 1);
    }
  }
  return m;
}

TEST(RandomPrimitives, FilledRectanglesMatchThePlainRule) {
  std::mt19937 rng(kSeed);
  Surface s(61, 37);
  for (int round = 0; round < kRounds; ++round) {
    Noise(rng, s);
    const Clip clip = RandomClip(rng, s, s.dc);
    std::uniform_int_distribution<int> x(-10, 70), y(-10, 45);
    const int l = x(rng), t = y(rng), r = x(rng), b = y(rng);
    const int rop = static_cast<int>(rng() % 16) + 1;
    const auto colour = static_cast<std::uint8_t>(rng());
    HBRUSH brush = CreateSolidBrush(DIBINDEX(colour));
    SelectObject(s.dc, brush);
    SelectObject(s.dc, GetStockObject(NULL_PEN));
    SetROP2(s.dc, rop);
    const Pixels before = s.Pixels();
    Rectangle(s.dc, l, t, r, b);
    // Without a pen the interior loses its right column and bottom row.
    const int fl = std::min(l, r), fr = std::max(l, r) - 1;
    const int ft = std::min(t, b), fb = std::max(t, b) - 1;
    ASSERT_EQ(s.Pixels(),
              Expect(s, before, clip, rop, colour,
                     [&](int px, int py) { return px >= fl && px < fr && py >= ft && py < fb; }))
        << "round " << round;
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
  SetROP2(s.dc, R2_COPYPEN);
}

TEST(RandomPrimitives, TwoPixelOutlinesMatchTheirFourBands) {
  std::mt19937 rng(kSeed + 1);
  Surface s(53, 41);
  HPEN pen = CreatePen(PS_SOLID, 2, DIBINDEX(0));
  for (int round = 0; round < kRounds; ++round) {
    Noise(rng, s);
    const Clip clip = RandomClip(rng, s, s.dc);
    std::uniform_int_distribution<int> x(-10, 62), y(-10, 50);
    int l = x(rng), t = y(rng), r = x(rng), b = y(rng);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    // The outline's path runs (l, t) - (r - 1, b - 1); wider than 2 it is four bands.
    if (r - 1 - l < 2 || b - 1 - t < 2) continue;
    const int rop = static_cast<int>(rng() % 16) + 1;
    const auto colour = static_cast<std::uint8_t>(rng());
    DeleteObject(pen);
    pen = CreatePen(PS_SOLID, 2, DIBINDEX(colour));
    SelectObject(s.dc, pen);
    SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
    SetROP2(s.dc, rop);
    const Pixels before = s.Pixels();
    Rectangle(s.dc, l, t, r, b);
    const int pl = l, pt = t, pr = r - 1, pb = b - 1;
    ASSERT_EQ(s.Pixels(), Expect(s, before, clip, rop, colour,
                                 [&](int px, int py) {
                                   if (px < pl - 1 || px >= pr + 1 || py < pt - 1 || py >= pb + 1)
                                     return false;
                                   return py < pt + 1 || py >= pb - 1 || px < pl + 1 ||
                                          px >= pr - 1;
                                 }))
        << "round " << round;
    SelectObject(s.dc, GetStockObject(BLACK_PEN));
  }
  DeleteObject(pen);
  SetROP2(s.dc, R2_COPYPEN);
}

TEST(RandomPrimitives, ThinLinesMatchTheSteppedLine) {
  std::mt19937 rng(kSeed + 2);
  Surface s(59, 43);
  for (int round = 0; round < kRounds; ++round) {
    Noise(rng, s);
    const Clip clip = RandomClip(rng, s, s.dc);
    // Mostly near the sheet, sometimes far beyond it.
    std::uniform_int_distribution<int> near(-30, 90), far(-5000, 5000);
    auto v = [&] { return round % 4 == 0 ? far(rng) : near(rng); };
    const POINT a{v(), v()}, b{v(), v()};
    const int rop = static_cast<int>(rng() % 16) + 1;
    const auto colour = static_cast<std::uint8_t>(rng());
    HPEN pen = CreatePen(PS_SOLID, 1, DIBINDEX(colour));
    SelectObject(s.dc, pen);
    SetROP2(s.dc, rop);
    const Pixels before = s.Pixels();
    MoveToEx(s.dc, a.x, a.y, nullptr);
    LineTo(s.dc, b.x, b.y);
    std::vector<std::uint8_t> on(static_cast<std::size_t>(s.width * s.height));
    for (const POINT& p : RefLine(a, b))
      if (p.x >= 0 && p.y >= 0 && p.x < s.width && p.y < s.height)
        on[static_cast<std::size_t>(p.y * s.width + p.x)] = 1;
    ASSERT_EQ(s.Pixels(), Expect(s, before, clip, rop, colour,
                                 [&](int px, int py) {
                                   return on[static_cast<std::size_t>(py * s.width + px)] != 0;
                                 }))
        << "round " << round;
    SelectObject(s.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
  SetROP2(s.dc, R2_COPYPEN);
}

TEST(RandomPrimitives, PolygonFillsMatchTheCrossingRule) {
  std::mt19937 rng(kSeed + 3);
  Surface s(67, 45);
  for (int round = 0; round < kRounds; ++round) {
    Noise(rng, s);
    const Clip clip = RandomClip(rng, s, s.dc);
    std::uniform_int_distribution<int> x(-15, 80), y(-15, 60), count(3, 7);
    std::vector<POINT> poly(static_cast<std::size_t>(count(rng)));
    for (POINT& p : poly) p = POINT{x(rng), y(rng)};
    // Half the rounds copy (the direct run writer), half go through other operations.
    const int rop = round % 2 ? R2_COPYPEN : static_cast<int>(rng() % 16) + 1;
    const auto colour = static_cast<std::uint8_t>(rng());
    HBRUSH brush = CreateSolidBrush(DIBINDEX(colour));
    SelectObject(s.dc, brush);
    SelectObject(s.dc, GetStockObject(NULL_PEN));
    SetPolyFillMode(s.dc, ALTERNATE);
    SetROP2(s.dc, rop);
    const Pixels before = s.Pixels();
    Polygon(s.dc, poly.data(), static_cast<int>(poly.size()));
    ASSERT_EQ(s.Pixels(), Expect(s, before, clip, rop, colour,
                                 [&](int px, int py) { return RefInside(poly, px, py); }))
        << "round " << round;
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
  SetROP2(s.dc, R2_COPYPEN);
}

// A wide outline under an operation where a second coat changes nothing is painted as
// it is worked out; under exclusive-or its pixels are gathered and painted once. On a
// black sheet both must mark the same pixels.
TEST(RandomPrimitives, WideStrokesCoverTheSamePixelsPaintedDirectlyOrGathered) {
  std::mt19937 rng(kSeed + 4);
  Surface direct(71, 53), gathered(71, 53);
  for (int round = 0; round < kRounds; ++round) {
    const int width = static_cast<int>(rng() % 6) + 2;
    std::uniform_int_distribution<int> x(-10, 80), y(-10, 62), count(2, 8);
    std::vector<POINT> path(static_cast<std::size_t>(count(rng)));
    for (POINT& p : path) p = POINT{x(rng), y(rng)};
    // Curves: arcs walk in one-pixel diagonal steps.
    const int l = x(rng), t = y(rng);
    const int r = l + static_cast<int>(rng() % 40) + 2, b = t + static_cast<int>(rng() % 40) + 2;
    // A closed walk of one-pixel steps in every direction, closing with a diagonal one.
    std::vector<POINT> walk{POINT{x(rng), y(rng)}};
    for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
      const POINT& p = walk.back();
      walk.push_back(
          POINT{p.x + static_cast<int>(rng() % 3) - 1, p.y + static_cast<int>(rng() % 3) - 1});
    }
    walk.push_back(POINT{walk.front().x + 1, walk.front().y + 1});
    HPEN pen = CreatePen(PS_SOLID, width, DIBINDEX(200));
    for (Surface* s : {&direct, &gathered}) {
      std::fill(s->bits, s->bits + s->Bytes(), 0);
      SelectClipRgn(s->dc, 0);
      if (round % 3 == 0) IntersectClipRect(s->dc, 5, 7, 60, 40);
      SelectObject(s->dc, pen);
      SelectObject(s->dc, GetStockObject(HOLLOW_BRUSH));
      SetROP2(s->dc, s == &direct ? R2_COPYPEN : R2_XORPEN);
      if (round % 2)
        Polyline(s->dc, path.data(), static_cast<int>(path.size()));
      else if (round % 4 == 0)
        Arc(s->dc, l, t, r, b, r, t, l, b);
      else
        Polygon(s->dc, walk.data(), static_cast<int>(walk.size()));
      SelectObject(s->dc, GetStockObject(BLACK_PEN));
    }
    ASSERT_EQ(direct.Pixels(), gathered.Pixels()) << "round " << round << " width " << width;
    DeleteObject(pen);
  }
  for (Surface* s : {&direct, &gathered}) SetROP2(s->dc, R2_COPYPEN);
}

TEST(RandomPrimitives, PatternBlitsMatchTheTruthTable) {
  std::mt19937 rng(kSeed + 5);
  Surface s(45, 33);
  const std::uint8_t codes[] = {0xF0, 0x0F, 0x00, 0xFF, 0x55, 0x5A, 0xA5, 0xAA};
  for (int round = 0; round < kRounds; ++round) {
    Noise(rng, s);
    const Clip clip = RandomClip(rng, s, s.dc);
    std::uniform_int_distribution<int> x(-10, 55), y(-10, 43), size(-30, 50);
    const int bx = x(rng), by = y(rng), bw = size(rng), bh = size(rng);
    const std::uint8_t code = codes[rng() % std::size(codes)];
    const auto colour = static_cast<std::uint8_t>(rng());
    const bool hollow = rng() % 4 == 0;
    HBRUSH brush = CreateSolidBrush(DIBINDEX(colour));
    SelectObject(s.dc, hollow ? GetStockObject(HOLLOW_BRUSH) : brush);
    const Pixels before = s.Pixels();
    PatBlt(s.dc, bx, by, bw, bh, static_cast<std::uint32_t>(code) << 16);
    const int l = std::min(bx, bx + bw), r = std::max(bx, bx + bw);
    const int t = std::min(by, by + bh), b = std::max(by, by + bh);
    Pixels expect = before;
    for (int py = 0; py < s.height; ++py)
      for (int px = 0; px < s.width; ++px)
        if (clip.Holds(s, px, py) && px >= l && px < r && py >= t && py < b) {
          std::uint8_t& p = expect[static_cast<std::size_t>(py * s.stride + px)];
          p = RefRop3(code, hollow ? 0 : colour, 0, p);
        }
    ASSERT_EQ(s.Pixels(), expect) << "round " << round << " code " << int{code};
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

// Copies and keyed copies, stretched or not, offsets partly off the source.
TEST(RandomPrimitives, CopiesAndKeyedCopiesMatchTheScaledPixels) {
  std::mt19937 rng(kSeed + 6);
  Surface dst(83, 57);
  for (int round = 0; round < kRounds; ++round) {
    std::uniform_int_distribution<int> side(1, 70);
    Surface src(side(rng), side(rng));
    Noise(rng, src);
    // Plenty of key pixels.
    for (std::size_t i = 0; i < src.Bytes(); ++i)
      if (rng() % 3 == 0) src.bits[i] = 255;
    Noise(rng, dst);
    const Clip clip = RandomClip(rng, dst, dst.dc);
    std::uniform_int_distribution<int> pos(-20, 80), off(-8, 20);
    const int x = pos(rng), y = pos(rng);
    // Whole shrinks by 2 and 4 and plain copies often, any size otherwise.
    int sw = side(rng), sh = side(rng), w, h;
    switch (round % 4) {
      case 0:
        w = sw, h = sh;
        break;
      case 1:
        w = std::max(1, sw / 2), h = std::max(1, sh / 2), sw = 2 * w;
        break;
      case 2:
        w = std::max(1, sw / 4), h = std::max(1, sh / 4), sw = 4 * w;
        break;
      default:
        w = side(rng), h = side(rng);
        break;
    }
    const int sx = off(rng), sy = off(rng);
    const bool keyed = rng() % 2 == 0;
    const Pixels before = dst.Pixels();
    if (keyed)
      TransparentBlt(dst.dc, x, y, w, h, src.dc, sx, sy, sw, sh, DIBINDEX(255));
    else
      StretchBlt(dst.dc, x, y, w, h, src.dc, sx, sy, sw, sh, SRCCOPY);
    const std::vector<int> cols = RefScale(w, sw, false), rows = RefScale(h, sh, true);
    Pixels expect = before;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        const int px = x + i, py = y + j;
        const int scol = sx + cols[static_cast<std::size_t>(i)];
        const int srow = sy + rows[static_cast<std::size_t>(j)];
        if (!clip.Holds(dst, px, py) || scol < 0 || srow < 0 || scol >= src.width ||
            srow >= src.height)
          continue;
        const std::uint8_t v = src.At(scol, srow);
        if (keyed && v == 255) continue;
        expect[static_cast<std::size_t>(py * dst.stride + px)] = v;
      }
    ASSERT_EQ(dst.Pixels(), expect) << "round " << round << (keyed ? " keyed" : " copy");
  }
}

TEST(RandomPrimitives, FloodFillsWithinAClipReachTheFourConnectedRegion) {
  std::mt19937 rng(kSeed + 7);
  // Rows of more than one word of the fill's bits, and of exactly two.
  Surface wide(150, 39), even(128, 20);
  for (int round = 0; round < kRounds / 4; ++round) {
    Surface& s = round % 3 == 2 ? even : wide;
    std::fill(s.bits, s.bits + s.Bytes(), 255);
    // Dense walls make small regions; sparse ones long runs across word boundaries.
    const int walls = s.width * s.height / (round % 4 < 2 ? 3 : 25);
    for (int i = 0; i < walls; ++i)
      s.bits[(rng() % static_cast<unsigned>(s.height)) * static_cast<unsigned>(s.stride) +
             rng() % static_cast<unsigned>(s.width)] = 0;
    const Clip clip = RandomClip(rng, s, s.dc);
    const int sx = static_cast<int>(rng() % static_cast<unsigned>(s.width));
    const int sy = static_cast<int>(rng() % static_cast<unsigned>(s.height));
    const bool surface = round % 2 == 0;
    const Pixels before = s.Pixels();
    // The region by breadth-first search: pixels inside the clip that are open.
    auto open = [&](int px, int py) {
      const std::uint8_t v = before[static_cast<std::size_t>(py * s.stride + px)];
      return clip.Holds(s, px, py) && (surface ? v == 255 : v != 0);
    };
    Pixels expect = before;
    const bool starts = open(sx, sy);
    if (starts) {
      std::vector<POINT> queue{POINT{sx, sy}};
      std::vector<std::uint8_t> seen(static_cast<std::size_t>(s.width * s.height));
      seen[static_cast<std::size_t>(sy * s.width + sx)] = 1;
      for (std::size_t q = 0; q < queue.size(); ++q) {
        const POINT p = queue[q];
        expect[static_cast<std::size_t>(p.y * s.stride + p.x)] = 7;
        const POINT next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (const POINT& n : next) {
          if (n.x < 0 || n.y < 0 || n.x >= s.width || n.y >= s.height) continue;
          std::uint8_t& seenHere = seen[static_cast<std::size_t>(n.y * s.width + n.x)];
          if (seenHere || !open(n.x, n.y)) continue;
          seenHere = 1;
          queue.push_back(n);
        }
      }
    }
    HBRUSH brush = CreateSolidBrush(DIBINDEX(7));
    SelectObject(s.dc, brush);
    EXPECT_EQ(ExtFloodFill(s.dc, sx, sy, surface ? DIBINDEX(255) : DIBINDEX(0),
                           surface ? FLOODFILLSURFACE : FLOODFILLBORDER),
              starts);
    ASSERT_EQ(s.Pixels(), expect) << "round " << round;
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

}  // namespace
