// Rooms built from wall rectangles and installation walls: the wall ring they leave,
// the worksheet pixels they draw (checked against reviewed golden scenes), replay,
// undo, and the ring staying closed whatever the user places.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry.h"
#include "scenes.h"
#include "work_window.h"

using namespace vrx;

class WallTest : public WorkWindowTest {
 protected:
  // Points the pointer at a worksheet pixel, lets the feedback snap, and drops.
  void DropAt(int x, int y) {
    // The client pixel that the pointer mapping turns into exactly this worksheet pixel.
    const int z = view.zoom, r = view.rulerWidth;
    const int cx = (x - view.centerX) * z / 100 + (r + 600) / 2;
    const int cy = (y - view.centerY) * z / 100 + (r + 400) / 2;
    PointAt(cx, cy);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  long WallRect(int length, int breadth, int distance, int x, int y) {
    const long r =
        CallTessel(TC_PutWallRectangle, static_cast<unsigned>(length),
                   static_cast<unsigned>(breadth), static_cast<unsigned>(distance), 0, 0);
    if (r == 0) DropAt(x, y);
    return r;
  }
  void FreeWall(int length, int thickness, int angle, int x, int y) {
    CallTessel(TC_PutFreeWall, static_cast<unsigned>(length), static_cast<unsigned>(thickness),
               static_cast<unsigned>(angle), 0, 0);
    DropAt(x, y);
  }
  void Room() { ASSERT_EQ(WallRect(300, 250, 32767, 760, 560), 0); }

  // The ring invariants: linked both ways, closed point to point, walls axis-parallel
  // and alternating, nothing beyond the last index.
  static void ExpectClosedRing() {
    for (int i = 0; i < kMaxWallSegments; ++i) {
      const WallSegment& s = walls.segments[i];
      if (i > walls.last) {
        ASSERT_EQ(s.kind, SEG_FREE) << i;
        continue;
      }
      if (s.kind == SEG_FREE || s.kind == SEG_INSTWALL) continue;
      ASSERT_TRUE(s.next >= 0 && s.next <= walls.last) << i;
      ASSERT_TRUE(s.prev >= 0 && s.prev <= walls.last) << i;
      const WallSegment& n = walls.segments[s.next];
      ASSERT_EQ(n.prev, i);
      ASSERT_EQ(s.x2, n.x1) << i;
      ASSERT_EQ(s.y2, n.y1) << i;
      if (s.kind == SEG_HWALL) {
        ASSERT_EQ(s.y1, s.y2) << i;
        ASSERT_EQ(n.kind, SEG_VWALL) << i;
      }
      if (s.kind == SEG_VWALL) {
        ASSERT_EQ(s.x1, s.x2) << i;
        ASSERT_EQ(n.kind, SEG_HWALL) << i;
      }
    }
  }
  static int Segments() {
    int n = 0;
    for (int i = 0; i <= walls.last; ++i) n += walls.segments[i].kind != SEG_FREE;
    return n;
  }
};

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

// Whatever a user places, and however full the table gets, the ring stays closed or
// the placement is refused as a whole.
TEST_F(WallTest, RandomPlacementsKeepTheRingClosed) {
  Room();
  std::mt19937 rng(5);
  int refused = 0;
  for (int step = 0; step < 400; ++step) {
    const int before = Segments();
    const int length = static_cast<int>(rng() % 60) + 10,
              breadth = static_cast<int>(rng() % 40) + 10;
    const int distance = rng() % 3 == 0 ? static_cast<int>(rng() % 30) : 32767;
    const int x = static_cast<int>(rng() % 1300) + 100, y = static_cast<int>(rng() % 900) + 100;
    WallRect(length, breadth, distance, x, y);
    if (rng() % 7 == 0)
      FreeWall(static_cast<int>(rng() % 80) + 5, 8, static_cast<int>(rng() % 360), x, y);
    ExpectClosedRing();
    if (HasFatalFailure()) FAIL() << "after step " << step;
    ASSERT_LE(Segments(), kMaxWallSegments);
    if (Segments() == before) ++refused;
  }
  EXPECT_GT(refused, 0);  // the table filled up along the way
  EXPECT_GE(Segments(), kMaxWallSegments - 3);
}
