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
