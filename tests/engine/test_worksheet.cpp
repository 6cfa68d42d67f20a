// The worksheet: its palette, the grey ramp, clearing and dimming.
#include <utility>
#include <vector>

#include "engine_fixture.h"

using namespace vrx;

TEST_F(EngineTest, AClearedWorksheetIsWhiteInsideItsGreyFrame) {
  const std::uint8_t wall = Grey(12);
  EXPECT_EQ(wall, 98);
  for (int y = 0; y < kSheetHeight; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      const bool frame = x >= 1 && x <= 1518 && y >= 1 && y <= 1118 &&
                         (x <= 2 || x >= 1517 || y <= 2 || y >= 1117);
      const std::uint8_t v = SheetPixel(x, y);
      ASSERT_EQ(v, frame ? wall : 255) << x << "," << y;
    }
  }
}

TEST_F(EngineTest, TheGreyRampLandsOnThePlanColours) {
  const int expected[34] = {0,  11,  14,  18,  27,  33,  38,  47,  53,  58,  66,  96,
                            98, 171, 172, 248, 173, 174, 176, 179, 182, 187, 192, 196,
                            7,  200, 205, 210, 216, 221, 230, 234, 245, 255};
  for (int n = 0; n < 34; ++n) EXPECT_EQ(Grey(n), expected[n]) << "G" << n;
  EXPECT_EQ(view.shapeA, 96);
  EXPECT_EQ(view.shapeB, 247);
  EXPECT_EQ(view.shapeC, 178);
  EXPECT_EQ(view.shapeD, 209);
  EXPECT_EQ(ColourFilter(178), 255);
  EXPECT_EQ(ColourFilter(98), 98);
}

TEST_F(EngineTest, TheColourTableIsAnIdentityPaletteWithTheStaticColours) {
  DibSurface* s = FindSurface(view.sheetDc);
  ASSERT_NE(s, nullptr);
  plat::PALETTEENTRY e[256];
  ASSERT_EQ(plat::GetPaletteEntries(s->palette, 0, 256, e), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(e[i].peRed, s->colours[i].rgbRed);
    EXPECT_EQ(e[i].peFlags, (i < 10 || i >= 246) ? 0 : plat::PC_NOCOLLAPSE) << i;
  }
  EXPECT_EQ(s->colours[249].rgbRed, 255);
  EXPECT_EQ(s->colours[178].rgbBlue, 156);
}

TEST_F(EngineTest, DimmingAppliesTheMapOncePerCall) {
  view.sheetBits[0] = Grey(0);
  view.sheetBits[1] = view.shapeA;
  view.sheetBits[2] = view.shapeB;
  view.sheetBits[3] = 120;  // a near-grey outside the ramp's greys stays
  view.sheetBits[4] = 178;  // C: not dimmed further
  DimWorksheet();
  EXPECT_EQ(view.sheetBits[0], Grey(8));
  EXPECT_EQ(view.sheetBits[1], view.shapeC);
  EXPECT_EQ(view.sheetBits[2], view.shapeD);
  EXPECT_EQ(view.sheetBits[4], 178);
  EXPECT_EQ(view.sheetBits[3], 120);
  DimWorksheet();
  EXPECT_EQ(view.sheetBits[0], Grey(14)) << "8 + 3 * 8 / 4";
  EXPECT_EQ(view.sheetBits[1], view.shapeC);
  EXPECT_EQ(SheetPixel(5000, 5), 255);
  EXPECT_EQ(fnVrx232(1), 65);
}

// However the pixels lie (runs, mixed words, the last partial block), each one takes
// exactly its mapped colour.
TEST_F(EngineTest, DimmingAMixedSheetMapsEveryPixel) {
  std::uint32_t seed = 7;
  for (std::size_t i = 0; i < kSheetBytes; ++i) {
    seed = seed * 1664525u + 1013904223u;
    // Stretches of long runs of one colour (whole blocks) alternate with noise.
    const bool longRuns = (i / 65536) % 2 == 0;
    const bool goOn = longRuns ? (seed >> 26) != 0 : (seed >> 30) == 0;
    view.sheetBits[i] =
        goOn && i > 0 ? view.sheetBits[i - 1] : static_cast<std::uint8_t>(seed >> 22);
  }
  std::vector<std::uint8_t> expected(view.sheetBits, view.sheetBits + kSheetBytes);
  for (std::uint8_t& b : expected) b = view.dimMap[b];
  DimWorksheet();
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), view.sheetBits));
}

// Any start and length maps exactly the pixels inside it (the suite runs once more with
// the baseline forms only, see the test list).
TEST_F(EngineTest, MappingPixelsTouchesExactlyTheRangeGiven) {
  // Paper (255) keeps its colour, as under the dimming map; every other index moves.
  std::uint8_t map[256];
  for (int i = 0; i < 255; ++i) map[i] = static_cast<std::uint8_t>((i + 1) % 255);
  map[255] = 255;
  std::vector<std::uint8_t> noise(4096 + 64);
  std::uint32_t seed = 11;
  std::uint8_t run = 0;
  for (std::uint8_t& b : noise) {
    seed = seed * 1664525u + 1013904223u;
    // Runs of paper, runs of one colour and noise (run 0), a few blocks long each.
    if ((seed >> 25) == 0)
      run = (seed >> 24) % 3 == 0 ? 255 : static_cast<std::uint8_t>(seed >> 16);
    b = run == 0 ? static_cast<std::uint8_t>(seed >> 20) : run;
  }
  for (const std::size_t start : {0u, 1u, 7u, 63u}) {
    for (const std::size_t length : {0u, 1u, 31u, 64u, 65u, 200u, 4096u}) {
      std::vector<std::uint8_t> mapped(noise);
      MapPixels(mapped.data() + start, length, map);
      for (std::size_t i = 0; i < noise.size(); ++i) {
        const bool inside = i >= start && i < start + length;
        ASSERT_EQ(mapped[i], inside ? map[noise[i]] : noise[i])
            << start << "+" << length << " @" << i;
      }
    }
  }
}

// Clearing writes the frame itself; it must be exactly the outline the wall pen draws.
TEST_F(EngineTest, ClearedFrameIsTheWallPenOutline) {
  using namespace plat;
  vrx::ClearWorksheet();
  const std::vector<std::uint8_t> cleared(vrx::view.sheetBits,
                                          vrx::view.sheetBits + vrx::kSheetBytes);
  std::memset(vrx::view.sheetBits, 255, vrx::kSheetBytes);
  SelectObject(vrx::view.sheetDc, vrx::view.tools.wallPen);
  SelectObject(vrx::view.sheetDc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(vrx::view.sheetDc, 2, 2, vrx::kSheetWidth - 1, vrx::kSheetHeight - 1);
  const std::vector<std::uint8_t> drawn(vrx::view.sheetBits,
                                        vrx::view.sheetBits + vrx::kSheetBytes);
  EXPECT_TRUE(cleared == drawn);
}

// A surface that cannot be completed is undone whole: nothing half-made stays in the
// engine's list, and the engine's end still releases everything and returns.
TEST_F(EngineTest, ASurfaceThatCannotBeMadeLeavesNothingBehind) {
  const DibSurface* before = view.surfaces;
  for (const auto& [w, h] : {std::pair{100000, 100000}, {0, 5}, {5, -1}, {-40, 40}, {1 << 30, 8}}) {
    EXPECT_EQ(CreateSurface(w, h, 8), 0u) << w << " x " << h;
    EXPECT_EQ(view.surfaces, before);
  }
  const plat::HDC made = CreateSurface(8, 8, 8);
  ASSERT_NE(made, 0u);
  EXPECT_EQ(FindSurface(made), view.surfaces);
  EngineDetach();
  EXPECT_EQ(view.surfaces, nullptr);
  ASSERT_TRUE(EngineAttach());
}
