// Pixels of the drawing primitives, derived from the documented GDI rules and from
// what a real GDI drew for the same calls.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "platform/gdi.h"
#include "support/grey_surface.h"

using namespace plat;

using Surface = GreySurface;

TEST(Raster, TwoPixelRectangleOutlineIsCentredOnThePath) {
  Surface s(16, 12, 255);
  HPEN pen = CreatePen(PS_SOLID, 2, DIBINDEX(0));
  SelectObject(s.dc, pen);
  SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(s.dc, 3, 3, 12, 9);
  const RECT box = s.Box(0);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 2);
  EXPECT_EQ(box.right, 11);
  EXPECT_EQ(box.bottom, 8);
  // Two pixels wide on every side, hollow inside.
  for (int x = 2; x <= 11; ++x) {
    EXPECT_EQ(s.At(x, 2), 0);
    EXPECT_EQ(s.At(x, 3), 0);
    EXPECT_EQ(s.At(x, 7), 0);
    EXPECT_EQ(s.At(x, 8), 0);
  }
  EXPECT_EQ(s.At(5, 5), 255);
  EXPECT_EQ(s.At(4, 5), 255);
  EXPECT_EQ(s.At(3, 5), 0);
  EXPECT_EQ(s.At(9, 5), 255);
  EXPECT_EQ(s.At(10, 5), 0);
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  EXPECT_TRUE(DeleteObject(pen));
}

// Without a pen the rectangle is one pixel smaller in width and height than the
// outline a pen would draw, which itself leaves out the right and bottom edges.
TEST(Raster, FilledRectangleLeavesRightAndBottomEdgesOut) {
  Surface s(10, 10, 0);
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  HBRUSH brush = CreateSolidBrush(DIBINDEX(7));
  SelectObject(s.dc, brush);
  Rectangle(s.dc, 2, 3, 6, 8);
  const RECT box = s.Box(7);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 3);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(box.bottom, 6);
}

TEST(Raster, OnePixelLineLeavesOutItsEndPoint) {
  Surface s(12, 12, 255);
  MoveToEx(s.dc, 1, 1, nullptr);
  LineTo(s.dc, 9, 1);
  for (int x = 1; x < 9; ++x) EXPECT_EQ(s.At(x, 1), 0) << x;
  EXPECT_EQ(s.At(9, 1), 255);
  MoveToEx(s.dc, 1, 3, nullptr);
  LineTo(s.dc, 5, 7);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.At(1 + i, 3 + i), 0);
  EXPECT_EQ(s.At(5, 7), 255);
}

TEST(Raster, PolygonFillModesDecideTheStarCentre) {
  const POINT star[5] = {{20, 2}, {32, 36}, {2, 14}, {38, 14}, {8, 36}};
  for (int mode : {ALTERNATE, WINDING}) {
    Surface s(40, 40, 255);
    SelectObject(s.dc, GetStockObject(NULL_PEN));
    HBRUSH brush = CreateSolidBrush(DIBINDEX(0));
    SelectObject(s.dc, brush);
    SetPolyFillMode(s.dc, mode);
    Polygon(s.dc, star, 5);
    EXPECT_EQ(s.At(20, 20), mode == WINDING ? 0 : 255);
    EXPECT_EQ(s.At(20, 8), 0);  // a point of the star is filled either way
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(Raster, ExclusiveOrDrawnTwiceRestoresTheSurface) {
  Surface s(64, 48, 0);
  for (int i = 0; i < 64 * 48; ++i) s.bits[i] = static_cast<std::uint8_t>(i * 7);
  const auto before = s.Pixels();
  HPEN pen = CreatePen(PS_SOLID, 2, DIBINDEX(0xA5));
  SelectObject(s.dc, pen);
  SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
  SetROP2(s.dc, R2_XORPEN);
  const POINT path[5] = {{3, 3}, {50, 10}, {40, 40}, {5, 30}, {30, 5}};
  for (int pass = 0; pass < 2; ++pass) {
    Polyline(s.dc, path, 5);
    Rectangle(s.dc, 10, 10, 30, 25);
    MoveToEx(s.dc, 60, 2, nullptr);
    LineTo(s.dc, 2, 45);
    if (pass == 0) {
      EXPECT_NE(s.Pixels(), before);
    }
  }
  EXPECT_EQ(s.Pixels(), before);
}

TEST(Raster, FloodFillStopsAtTheBorderColour) {
  Surface s(20, 20, 255);
  SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(s.dc, 4, 4, 15, 15);  // 1-px black outline
  HBRUSH brush = CreateSolidBrush(DIBINDEX(100));
  SelectObject(s.dc, brush);
  EXPECT_TRUE(ExtFloodFill(s.dc, 8, 8, DIBINDEX(0), FLOODFILLBORDER));
  EXPECT_EQ(s.At(5, 5), 100);
  EXPECT_EQ(s.At(13, 13), 100);
  EXPECT_EQ(s.At(4, 8), 0);
  EXPECT_EQ(s.At(2, 2), 255);
  EXPECT_EQ(s.At(16, 16), 255);
  // Surface mode fills the connected area of one colour.
  HBRUSH other = CreateSolidBrush(DIBINDEX(50));
  SelectObject(s.dc, other);
  EXPECT_TRUE(ExtFloodFill(s.dc, 0, 0, DIBINDEX(255), FLOODFILLSURFACE));
  EXPECT_EQ(s.At(19, 19), 50);
  EXPECT_EQ(s.At(8, 8), 100);
}

TEST(Raster, StretchKeepsTheColumnsAndRowsGdiKeeps) {
  Surface src(5, 3, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      src.bits[y * src.stride + x] = static_cast<std::uint8_t>(10 * y + x);
  Surface dst(3, 2, 255);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  StretchBlt(dst.dc, 0, 0, 3, 2, src.dc, 0, 0, 5, 3, SRCCOPY);
  const std::uint8_t expected[2][3] = {{1, 2, 4}, {21, 22, 24}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.At(x, y), expected[y][x]) << x << "," << y;

  Surface big(10, 6, 255);
  StretchBlt(big.dc, 0, 0, 10, 6, src.dc, 0, 0, 5, 3, SRCCOPY);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(big.At(x, y), src.At(x / 2, y / 2));
}

// A pixel is inside when the crossings of its row at or left of it count odd, or wind
// to non-zero: the same rule as the scan conversion, evaluated pixel by pixel.
bool InsideByRule(const std::vector<POINT>& poly, int x, int y, int mode) {
  int crossings = 0, winding = 0;
  const std::size_t n = poly.size();
  for (std::size_t i = 0; i < n; ++i) {
    POINT a = poly[i], b = poly[(i + 1) % n];
    if (a.y == b.y) continue;
    const int dir = b.y > a.y ? 1 : -1;
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    // x_c <= x  <=>  a.x * dy + (y - a.y) * dx <= x * dy, with dy > 0.
    const long long dy = b.y - a.y, dx = b.x - a.x;
    if (static_cast<long long>(a.x) * dy + (y - a.y) * dx <= static_cast<long long>(x) * dy) {
      ++crossings;
      winding += dir;
    }
  }
  return mode == WINDING ? winding != 0 : (crossings & 1) != 0;
}

TEST(Raster, RandomPolygonsFillExactlyThePixelsTheRuleGives) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-8, 71), count(3, 9);
  for (int round = 0; round < 300; ++round) {
    std::vector<POINT> poly(static_cast<std::size_t>(count(rng)));
    for (POINT& p : poly) p = POINT{coord(rng), coord(rng)};
    const int mode = round % 2 ? WINDING : ALTERNATE;
    Surface s(64, 64, 255);
    SelectObject(s.dc, GetStockObject(NULL_PEN));
    SelectObject(s.dc, GetStockObject(BLACK_BRUSH));
    SetPolyFillMode(s.dc, mode);
    Polygon(s.dc, poly.data(), static_cast<int>(poly.size()));
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        ASSERT_EQ(s.At(x, y) == 0, InsideByRule(poly, x, y, mode))
            << "round " << round << " pixel " << x << "," << y;
  }
}

TEST(Raster, FloodFillReachesExactlyTheFourConnectedRegion) {
  std::mt19937 rng(11);
  for (int round = 0; round < 50; ++round) {
    Surface s(48, 40, 255);
    for (int i = 0; i < 48 * 40 / 3; ++i) s.bits[(rng() % 40) * s.stride + rng() % 48] = 0;
    const int sx = static_cast<int>(rng() % 48), sy = static_cast<int>(rng() % 40);
    const std::vector<std::uint8_t> before = s.Pixels();
    // The region by breadth-first search over pixels that are not the border.
    std::vector<std::uint8_t> expect = before;
    if (before[sy * s.stride + sx] != 0) {
      std::vector<POINT> queue{POINT{sx, sy}};
      expect[sy * s.stride + sx] = 7;
      for (std::size_t q = 0; q < queue.size(); ++q) {
        const POINT p = queue[q];
        const POINT next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (const POINT& n : next) {
          if (n.x < 0 || n.y < 0 || n.x >= 48 || n.y >= 40) continue;
          std::uint8_t& v = expect[n.y * s.stride + n.x];
          if (v == 0 || v == 7) continue;
          v = 7;
          queue.push_back(n);
        }
      }
    }
    HBRUSH brush = CreateSolidBrush(DIBINDEX(7));
    SelectObject(s.dc, brush);
    EXPECT_EQ(FloodFill(s.dc, sx, sy, DIBINDEX(0)), before[sy * s.stride + sx] != 0);
    ASSERT_EQ(s.Pixels(), expect) << "round " << round;
    SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(Raster, ColoursResolveToTableEntries) {
  Surface s(4, 4, 0);
  EXPECT_EQ(SetPixel(s.dc, 0, 0, RGB(100, 100, 100)), RGB(100, 100, 100));
  EXPECT_EQ(s.At(0, 0), 100);
  SetPixel(s.dc, 1, 0, RGB(255, 0, 0));  // nearest grey: (255+0+0) is closest to 85
  EXPECT_EQ(s.At(1, 0), 85);
  SetPixel(s.dc, 2, 0, DIBINDEX(17));
  EXPECT_EQ(s.At(2, 0), 17);
  EXPECT_EQ(GetPixel(s.dc, 2, 0), RGB(17, 17, 17));
  EXPECT_EQ(GetPixel(s.dc, 9, 9), CLR_INVALID);
}

TEST(Raster, WildCoordinatesNeverWriteOutside) {
  // Random primitives on small surfaces: only crashes and stray writes matter here;
  // the sanitizer build watches the memory.
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> wild(-100000, 100000);
  std::uniform_int_distribution<int> near(-20, 60);
  Surface s(37, 23, 9);
  HPEN pens[2] = {CreatePen(PS_SOLID, 1, DIBINDEX(1)), CreatePen(PS_SOLID, 2, DIBINDEX(2))};
  HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, DIBINDEX(3));
  SelectObject(s.dc, brush);
  for (int i = 0; i < 3000; ++i) {
    auto v = [&]() { return (i % 3 == 0) ? wild(rng) : near(rng); };
    SelectObject(s.dc, pens[i % 2]);
    SetROP2(s.dc, (i % 2) ? R2_XORPEN : R2_COPYPEN);
    switch (i % 10) {
      case 0:
        MoveToEx(s.dc, v(), v(), nullptr);
        LineTo(s.dc, v(), v());
        break;
      case 1:
        Rectangle(s.dc, v(), v(), v(), v());
        break;
      case 2:
        Ellipse(s.dc, near(rng), near(rng), near(rng), near(rng));
        break;
      case 3: {
        POINT p[4] = {{v(), v()}, {v(), v()}, {v(), v()}, {v(), v()}};
        Polygon(s.dc, p, 4);
        break;
      }
      case 4:
        Arc(s.dc, near(rng), near(rng), near(rng), near(rng), v(), v(), v(), v());
        break;
      case 5:
        PatBlt(s.dc, v(), v(), v(), v(), PATINVERT);
        break;
      case 6:
        StretchBlt(s.dc, v(), v(), near(rng), near(rng), s.dc, v(), v(), near(rng), near(rng),
                   SRCCOPY);
        break;
      case 7:
        ExtFloodFill(s.dc, near(rng), near(rng), DIBINDEX(1), FLOODFILLBORDER);
        break;
      case 8:
        TransparentBlt(s.dc, v(), v(), near(rng), near(rng), s.dc, v(), v(), near(rng), near(rng),
                       DIBINDEX(9));
        break;
      default:
        Pie(s.dc, near(rng), near(rng), near(rng), near(rng), v(), v(), v(), v());
        break;
    }
  }
  // A source box at the ends of int is refused, never computed past them.
  EXPECT_FALSE(TransparentBlt(s.dc, 0, 0, 10, 10, s.dc, std::numeric_limits<int>::max() - 3,
                              std::numeric_limits<int>::min() + 1, 10, 10, DIBINDEX(9)));
}

TEST(Objects, HandlesFollowSelectionRules) {
  Surface s(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  const HGDIOBJ old = SelectObject(s.dc, pen);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen));  // still selected
  EXPECT_EQ(SelectObject(s.dc, old), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));  // stale handle
  EXPECT_EQ(SelectObject(s.dc, pen), 0u);
  EXPECT_FALSE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_FALSE(DeleteObject(0));
  EXPECT_EQ(GetObjectType(pen), 0);
}

TEST(Objects, BitmapReaderRefusesMalformedFiles) {
  // A 2 x 2 8-bit bottom-up file with four colours.
  std::vector<std::uint8_t> f(14 + 40 + 16 + 8, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&f[at], &v, 4); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<std::uint32_t>(f.size()));
  put32(10, 14 + 40 + 16);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  f[26] = 1;
  f[28] = 8;
  put32(46, 4);
  f[54 + 4 * 3 + 2] = 200;  // entry 3 is red 200
  f[70] = 3;                // bottom row, first pixel
  f[75] = 1;                // top row, second pixel
  HBITMAP b = CreateDIBFromBMP(f.data(), f.size());
  ASSERT_NE(b, 0u);
  DIBSECTION ds{};
  ASSERT_TRUE(GetDIBSection(b, &ds));
  const auto* px = static_cast<const std::uint8_t*>(ds.bits);
  EXPECT_EQ(px[1], 1);  // top row now first
  EXPECT_EQ(px[ds.stride], 3);
  DeleteObject(b);

  for (std::size_t cut = 0; cut < f.size(); ++cut) EXPECT_EQ(CreateDIBFromBMP(f.data(), cut), 0u);
  auto bad = f;
  put32(18, 0x7FFFFFFF);  // absurd width
  memcpy(bad.data() + 18, &f[18], 4);
  std::uint32_t huge = 0x7FFFFFFF;
  std::memcpy(&bad[18], &huge, 4);
  EXPECT_EQ(CreateDIBFromBMP(bad.data(), bad.size()), 0u);
  bad = f;
  bad[30] = 1;  // compressed
  EXPECT_EQ(CreateDIBFromBMP(bad.data(), bad.size()), 0u);
  EXPECT_EQ(CreateDIBFromBMP(nullptr, 100), 0u);
}

TEST(Objects, RealizingAnIdentityPaletteMapsEntriesOneToOne) {
  HDC screen = GetScreenDC();
  EXPECT_EQ(GetDeviceCaps(screen, NUMRESERVED), 20);
  PALETTEENTRY e[256];
  GetSystemPaletteEntries(screen, 0, 256, e);
  EXPECT_EQ(e[249].peRed, 255);  // static red
  EXPECT_EQ(e[7].peGreen, 192);
  for (int i = 0; i < 256; ++i)
    e[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), 1, 2, PC_NOCOLLAPSE};
  HPALETTE pal = CreatePalette(0x300, 256, e);
  HPALETTE old = SelectPalette(screen, pal, false);
  EXPECT_EQ(RealizePalette(screen), 236u);
  EXPECT_EQ(RealizePalette(screen), 0u);
  PALETTEENTRY after[256];
  GetSystemPaletteEntries(screen, 0, 256, after);
  EXPECT_EQ(after[100].peRed, 100);
  EXPECT_EQ(after[5].peRed, 128);  // static entries stay the system's
  SelectPalette(screen, old, false);
  EXPECT_TRUE(DeleteObject(pal));
}
