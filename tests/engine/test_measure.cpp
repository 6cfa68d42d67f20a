// Dimension lines: what a room's measurement draws, the labels in millimetres, the
// extent they widen, and switching them off again.
#include "geometry/geometry.h"
#include "scenes.h"
#include "work_window.h"

using namespace vrx;

namespace {

class MeasureTest : public WorkWindowTest {
 protected:
  // Drops the tool's object at a worksheet pixel.
  static void DropAt(int x, int y) {
    core.cursorX = x + view.roomOriginX;
    core.cursorY = y + view.roomOriginY;
    HideFeedback();
    ShowFeedback();
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  static void Room() {
    CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
    DropAt(760, 560);
  }
  static void Notch() {
    CallTessel(TC_PutWallRectangle, 100, 75, 32767, 0, 0);
    DropAt(965, 380);
  }
  static int CountOf(std::uint8_t index) {
    int n = 0;
    for (std::size_t i = 0; i < kSheetBytes; ++i) n += view.sheetBits[i] == index;
    return n;
  }
};

}  // namespace

TEST_F(MeasureTest, ARoomGetsADimensionBesideEveryWall) {
  Room();
  const std::vector<std::uint8_t> plain = Sheet();
  const EngineInfo before = Info();
  ASSERT_EQ(CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(view.measurementShown);
  // Black ink appears only where the dimensions went: inside the room, whose white
  // floor is where the search finds space first, and the strokes at their ends, which
  // reach into the wall bands.
  const std::vector<std::uint8_t> measured = Sheet();
  int inkInside = 0, inkOutside = 0;
  for (int y = 0; y < kSheetHeight; ++y)
    for (int x = 0; x < kSheetWidth; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kSheetStride + x;
      if (measured[i] == plain[i]) continue;
      ASSERT_EQ(measured[i], 0) << x << "," << y;  // drawn in black only
      (x > 430 && x < 1090 && y > 280 && y < 840 ? inkInside : inkOutside) += 1;
    }
  EXPECT_GT(inkInside, 1000);
  EXPECT_EQ(inkOutside, 0);
  // The extent does not shrink; the room's bands still bound it.
  const EngineInfo after = Info();
  EXPECT_LE(after.iBoundLeft, before.iBoundLeft);
  EXPECT_GE(after.iBoundRight, before.iBoundRight);
  ExpectScene("room-300x250-measured");
  // Switched off, the room is drawn as before.
  ASSERT_EQ(CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Sheet() == plain);
}

TEST_F(MeasureTest, AnLShapedRoomMeasuresEachOfItsSixWalls) {
  Room();
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  const std::vector<std::uint8_t> room = Sheet();
  Notch();
  ExpectScene("room-notch-measured");
  // The measurement is part of every redraw: undoing the notch measures the room again.
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_TRUE(Sheet() == room);
}

// A straight wall with a window gets four dimensions: the two wall pieces, the window
// and the whole run; the rest of the room one each.
TEST_F(MeasureTest, AWindowsWallIsMeasuredPieceByPieceAndWhole) {
  Room();
  CallTessel(TC_PutWindow, 60, 90, 32767, 0, 0);
  DropAt(700, 310);
  ASSERT_EQ(Info().bWinDoor, 1);
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  ExpectScene("room-window-measured");
}

namespace {

// Where the worksheet shows `label` upright as the measurement draws it: black text on
// its white box, at any position. The expected glyphs come from drawing the label
// once at 0 degrees on a white corner of the sheet (which this ends by overwriting).
int CountUpright(const std::vector<std::uint8_t>& sheet, const char* label) {
  constexpr int kScratch = 4, kBox = 160;
  for (int y = 0; y < kBox; ++y)
    std::fill_n(&view.sheetBits[static_cast<std::size_t>(kScratch + y) * kSheetStride + kScratch],
                kBox, std::uint8_t{255});
  plat::SetTextColor(view.sheetDc, plat::DIBINDEX(0));
  plat::SetBkColor(view.sheetDc, plat::DIBINDEX(255));
  plat::SetBkMode(view.sheetDc, plat::OPAQUE);
  DrawLabel(label, kScratch + 2, kScratch + 2, 0);
  std::vector<std::pair<int, int>> ink;  // relative to the first black pixel, row by row
  int left = kBox, top = kBox, right = 0, bottom = 0;
  for (int y = 0; y < kBox; ++y)
    for (int x = 0; x < kBox; ++x)
      if (view.sheetBits[static_cast<std::size_t>(kScratch + y) * kSheetStride + kScratch + x] ==
          0) {
        ink.emplace_back(x, y);
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x), bottom = std::max(bottom, y);
      }
  if (ink.empty()) return -1;
  const auto [fx, fy] = ink.front();
  auto black = [&](int x, int y) {
    return sheet[static_cast<std::size_t>(y) * kSheetStride + x] == 0;
  };
  int found = 0;
  for (int y = fy - top; y + (bottom - fy) < kSheetHeight; ++y)
    for (int x = fx - left; x + (right - fx) < kSheetWidth; ++x) {
      if (!black(x, y)) continue;
      // Every pixel of the glyphs' box must agree: black where the label is, not
      // black anywhere else, so a turned or other label never matches.
      bool same = true;
      std::size_t next = 0;
      for (int by = top; by <= bottom && same; ++by)
        for (int bx = left; bx <= right && same; ++bx) {
          const bool want = next < ink.size() && ink[next] == std::pair{bx, by};
          if (want) ++next;
          same = black(x - fx + bx, y - fy + by) == want;
        }
      found += same;
    }
  return found;
}

}  // namespace

// Labels are millimetres, half the pixels rounded half up: a wall face of 301 pixels
// reads 1510, and no wall of this room reads 1500 or 1520.
// The room's top wall runs from x 460; a notch 100 cm wide dropped at 861 starts its
// cut at 761, 301 pixels on.
constexpr int kNotchFor301 = 861;

TEST_F(MeasureTest, AWallOf301PixelsReads1510) {
  Room();
  // The notch cuts the top wall where its left piece keeps 301 pixels of inner face.
  CallTessel(TC_PutWallRectangle, 100, 75, 32767, 0, 0);
  DropAt(kNotchFor301, 380);
  int faces301 = 0;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& w = walls.segments[i];
    faces301 += w.kind == SEG_HWALL && std::abs(w.x2 - w.x1) == 301 && w.y1 == w.y2;
  }
  ASSERT_EQ(faces301, 1) << "the notch no longer leaves a 301-pixel face";
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  const std::vector<std::uint8_t> measured = Sheet();
  EXPECT_EQ(CountUpright(measured, "1510"), 1);
  EXPECT_EQ(CountUpright(measured, "1500"), 0);
  EXPECT_EQ(CountUpright(measured, "1520"), 0);
}

// The room's two long walls run in opposite directions round the ring, at 0 and 180
// degrees; both labels read upright, left to right.
TEST_F(MeasureTest, ALabelRunningAt180DegreesIsTurnedUpright) {
  Room();
  int rightward = 0, leftward = 0;
  for (int i = 0; i <= walls.last; ++i) {
    const WallSegment& w = walls.segments[i];
    if (w.kind != SEG_HWALL || std::abs(w.x2 - w.x1) != 600) continue;
    (w.x2 > w.x1 ? rightward : leftward) += 1;
  }
  ASSERT_EQ(rightward, 1);
  ASSERT_EQ(leftward, 1);
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  EXPECT_EQ(CountUpright(Sheet(), "3000"), 2);
}

// Across each of a room's four dimension lines, a quarter of the way along it (clear of
// its label in the middle and its end strokes), the ink is the black pen's two pixels.
TEST_F(MeasureTest, DimensionLinesAreDrawnWithTheTwoPixelBlackPen) {
  Room();
  const std::vector<std::uint8_t> plain = Sheet();
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  const std::vector<std::uint8_t> measured = Sheet();
  // From a wall's inner face into the room: the length of the first run of new ink.
  auto across = [&](int x, int y, int dx, int dy) {
    int run = 0;
    for (int step = 0; step < 120; ++step, x += dx, y += dy) {
      const std::size_t i = static_cast<std::size_t>(y) * kSheetStride + x;
      const bool ink = measured[i] != plain[i] && measured[i] == 0;
      if (ink) ++run;
      if (!ink && run > 0) break;
    }
    return run;
  };
  EXPECT_EQ(across(610, 311, 0, 1), 2);    // top wall
  EXPECT_EQ(across(610, 808, 0, -1), 2);   // bottom wall
  EXPECT_EQ(across(461, 435, 1, 0), 2);    // left wall
  EXPECT_EQ(across(1058, 435, -1, 0), 2);  // right wall
}
