// Rooms built from wall rectangles and installation walls: the wall ring they leave,
// the worksheet pixels they draw (checked against reviewed golden scenes), replay,
// undo, and the ring staying closed whatever the user places.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry.h"
#include "room_fixture.h"
#include "scenes.h"
#include "work_window.h"

using namespace vrx;

TEST_F(WallTest, TheFirstRoomIsAClockwiseRingOfFourWalls) {
  Room();
  ASSERT_EQ(walls.last, 3);
  const WallSegment* s = walls.segments;
  EXPECT_EQ(s[0].kind, SEG_HWALL);
  EXPECT_EQ(s[0].x1, 460);
  EXPECT_EQ(s[0].y1, 310);
  EXPECT_EQ(s[0].x2, 1060);
  EXPECT_EQ(s[1].kind, SEG_VWALL);
  EXPECT_EQ(s[1].y2, 810);
  EXPECT_EQ(s[2].x2, 460);
  EXPECT_EQ(s[3].y2, 310);
  ExpectClosedRing();
  const EngineInfo info = Info();
  EXPECT_EQ(info.bWalls, 1);
  EXPECT_EQ(info.bWallRect, 1);
  // The bands lie outside the 600 x 500 pixel inside, 30 pixels thick.
  EXPECT_EQ(info.iBoundLeft, 430);
  EXPECT_EQ(info.iBoundTop, 280);
  EXPECT_EQ(info.iBoundRight, 1090);
  EXPECT_EQ(info.iBoundBottom, 840);
  // The room's top-left inner corner is room coordinate (0, 0).
  EXPECT_EQ(view.roomOriginX, -460);
  EXPECT_EQ(view.roomOriginY, -310);
  ExpectScene("room-300x250");
}

TEST_F(WallTest, TheFirstRoomIsKeptInsideItsFrame) {
  ASSERT_EQ(WallRect(300, 200, 32767, 100, 1100), 0);
  EXPECT_EQ(walls.segments[0].x1, 160);
  EXPECT_EQ(walls.segments[2].y1, 960);
}

TEST_F(WallTest, ANotchAtACornerMakesAnLShapedRoom) {
  Room();
  // Inside the top-right corner: flush with the top wall's end.
  ASSERT_EQ(WallRect(100, 75, 32767, 965, 380), 0);
  EXPECT_EQ(Segments(), 6);
  ExpectClosedRing();
  EXPECT_EQ(walls.segments[0].x2, 860);
  EXPECT_EQ(walls.segments[1].y1, 460);  // the right wall now starts below the notch
  ExpectScene("room-notch");
}

TEST_F(WallTest, AProjectionSplitsTheWallItStandsOn) {
  Room();
  ASSERT_EQ(WallRect(80, 40, 32767, 700, 855), 0);
  EXPECT_EQ(Segments(), 8);
  ExpectClosedRing();
  EXPECT_EQ(Info().iBoundBottom, 810 + 80 + 30);
  ExpectScene("room-projection");
}

TEST_F(WallTest, AnInstallationWallAtThirtyDegrees) {
  Room();
  FreeWall(100, 8, 30, 700, 500);
  ASSERT_EQ(Segments(), 5);
  const WallSegment& s = walls.segments[4];
  EXPECT_EQ(s.kind, SEG_INSTWALL);
  EXPECT_EQ(s.prev, -1);
  EXPECT_EQ(s.thickness, 8);
  EXPECT_EQ(s.owner, 1);
  ExpectScene("room-instwall-30");
}

TEST_F(WallTest, ReplayDrawsTheSameBytesAndUndoRestoresEachStep) {
  std::vector<std::vector<std::uint8_t>> steps{Sheet()};
  Room();
  steps.push_back(Sheet());
  WallRect(100, 75, 32767, 965, 380);
  steps.push_back(Sheet());
  WallRect(80, 40, 32767, 700, 855);
  steps.push_back(Sheet());
  FreeWall(100, 8, 30, 700, 500);
  steps.push_back(Sheet());
  // A rebuild from the list alone gives what the live placements drew.
  FullRedraw();
  EXPECT_TRUE(Sheet() == steps.back());
  const ObjectList layout = core.layout;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  core.layout = layout;
  for (int i = 0; i < layout.count; ++i) core.table[layout.entries[i]].useCount = 1;
  FullRedraw();
  EXPECT_TRUE(Sheet() == steps.back());
  core.layout.count = 0;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  // Undo walks back through the same pictures.
  for (std::size_t i = 1; i < steps.size(); ++i) {
    if (i == 1) Room();
    if (i == 2) WallRect(100, 75, 32767, 965, 380);
    if (i == 3) WallRect(80, 40, 32767, 700, 855);
    if (i == 4) FreeWall(100, 8, 30, 700, 500);
  }
  for (std::size_t i = steps.size() - 1; i > 0; --i) {
    CallTessel(TC_Undo, 0, 0, 0, 0, 0);
    EXPECT_TRUE(Sheet() == steps[i - 1]) << "after undoing step " << i;
  }
}

TEST_F(WallTest, DistancePlacementOffersOnlyPositionsNearTheCorners) {
  Room();
  // 40 pixels from either end of the top wall, measured to the rectangle's near side.
  ASSERT_EQ(WallRect(50, 50, 20, 600, 300), 0);
  ExpectClosedRing();
  EXPECT_EQ(walls.segments[0].x2, 460 + 40);  // split at the left position
  // Longer than any wall plus the distance: nothing fits.
  EXPECT_EQ(CallTessel(TC_PutWallRectangle, 700, 20, 20, 0, 0), -303);
  EXPECT_EQ(pointer.trackDraw, nullptr);
}

TEST_F(WallTest, EmptyPlansHaveNoWallsAndTheRestingOrigin) {
  FullRedraw();
  const EngineInfo info = Info();
  EXPECT_EQ(info.bWalls, 0);
  EXPECT_EQ(view.roomOriginX, -40);
  EXPECT_EQ(view.roomOriginY, -40);
  EXPECT_EQ(info.iBoundLeft, 0);
  EXPECT_EQ(info.iBoundRight, kSheetWidth);
}

// Whatever a user places, undoes and redoes, and however full the table gets, the
// ring stays closed or the placement is refused as a whole, and every record is held
// exactly as often as its use count says.
TEST_F(WallTest, RandomPlacementsKeepTheRingClosed) {
  Room();
  std::mt19937 rng(5);
  int refused = 0, fullest = 0;
  auto expectUseCounts = [] {
    const std::vector<int> holders = HoldersOfRecords();
    for (int r = 0; r < kMaxRecords; ++r) {
      const int count = core.table[r].useCount < 0 ? 0 : core.table[r].useCount;
      ASSERT_EQ(count, holders[r]) << "record " << r;
    }
  };
  // Shapes and products that collide are refused, so it takes a while to fill the table.
  for (int step = 0; step < 900; ++step) {
    const int x = static_cast<int>(rng() % 1300) + 100, y = static_cast<int>(rng() % 900) + 100;
    const int a = static_cast<int>(rng() % 60) + 5, b = static_cast<int>(rng() % 40) + 5;
    const int distance = rng() % 3 == 0 ? static_cast<int>(rng() % 30) : 32767;
    const int placed = core.layout.count;
    long answer = -1;
    switch (rng() % 16) {
      case 0:
        answer = rng() % 2 ? DiagCorner(a, b, x, y) : RoundCorner(a, b, x, y);
        break;
      case 1:
        answer =
            Door(a, static_cast<int>(rng() % 200), distance, static_cast<int>(rng() % 4), x, y);
        break;
      case 2:
        answer = Window(a, distance, x, y);
        break;
      case 3:
        if (rng() % 2)
          UserRect(a, b, static_cast<int>(rng() % 360), x, y);
        else
          UserCircle(a, x, y);
        break;
      case 4:
        FreeWall(a + 5, 8, static_cast<int>(rng() % 360), x, y);
        break;
      case 5:
        CallTessel(rng() % 3 ? TC_Undo : TC_Redo, 0, 0, 0, 0, 0);
        break;
      default:
        answer = WallRect(a + 5, b + 5, distance, x, y);
        break;
    }
    // A placement that started but put nothing into the list was refused whole.
    if (answer == 0 && core.layout.count == placed) ++refused;
    ExpectClosedRing();
    if (HasFatalFailure()) FAIL() << "after step " << step;
    expectUseCounts();
    if (HasFatalFailure()) FAIL() << "after step " << step;
    ASSERT_LE(Segments(), kMaxWallSegments);
    fullest = std::max(fullest, Segments());
  }
  EXPECT_GT(refused, 0);  // the table filled up along the way
  EXPECT_GE(fullest, kMaxWallSegments - 3);
  // The outline is a function of the list alone.
  const std::vector<std::uint8_t> drawn = Sheet();
  FullRedraw();
  EXPECT_TRUE(Sheet() == drawn);
}
