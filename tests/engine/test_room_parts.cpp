// The rest of the room: corners cut into it, doors and windows set into its walls, and
// the user's free rectangles and circles. Each scene is checked against its reviewed
// picture, rebuilt from its saved plan to the same bytes, and undone step by step.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "persistence/persistence.h"
#include "room_fixture.h"

using namespace vrx;

namespace {

using Step = std::function<void()>;

}  // namespace

class RoomPartTest : public WallTest {
 protected:
  // Runs the steps, then checks the scene, that the saved plan rebuilds the same bytes,
  // and that undo walks back through every step's picture and redo forward again.
  void CheckScene(const std::string& name, const std::vector<Step>& steps) {
    std::vector<std::vector<std::uint8_t>> pictures{Sheet()};
    for (const Step& step : steps) {
      const int before = core.layout.count;
      step();
      ASSERT_EQ(core.layout.count, before + 1) << name << ": a step placed nothing";
      ExpectClosedRing();
      pictures.push_back(Sheet());
    }
    ExpectScene(name);
    for (std::size_t i = pictures.size() - 1; i > 0; --i) {
      CallTessel(TC_Undo, 0, 0, 0, 0, 0);
      EXPECT_TRUE(Sheet() == pictures[i - 1]) << name << ": after undoing step " << i;
    }
    for (std::size_t i = 1; i < pictures.size(); ++i) {
      CallTessel(TC_Redo, 0, 0, 0, 0, 0);
      EXPECT_TRUE(Sheet() == pictures[i]) << name << ": after redoing step " << i;
    }
    const std::string plan = SavePlanText(false);
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    ASSERT_NE(Sheet(), pictures.back());
    ASSERT_EQ(LoadPlanText(plan.data(), plan.size(), false), TR_Done) << plan;
    FullRedraw();
    EXPECT_TRUE(Sheet() == pictures.back()) << name << ": the saved plan rebuilds differently";
    EXPECT_EQ(SavePlanText(false), plan);
  }
  // Light-grey pixels: what door swings and openings are filled with.
  static int LightPixels() {
    const std::uint8_t light = Grey(20);
    int n = 0;
    for (std::size_t i = 0; i < kSheetBytes; ++i) n += view.sheetBits[i] == light;
    return n;
  }
  static const ObjectRecord& Last() {
    return core.table[core.layout.entries[core.layout.count - 1]];
  }
};

// --- Scenes --------------------------------------------------------------------------

// Hinge left or right, opening out or in: one door of each on a different wall, each
// 90 cm wide and opened a right angle.
TEST_F(RoomPartTest, DoorsOfEveryHingeAndDirection) {
  Room();
  CheckScene("room-doors-four-ways", {
                                         [&] { Door(45, 90, 32767, 0, 600, 300); },
                                         [&] { Door(45, 90, 32767, 1, 1070, 450); },
                                         [&] { Door(45, 90, 32767, 2, 800, 820); },
                                         [&] { Door(45, 90, 32767, 3, 450, 650); },
                                     });
}

// A shut door shows only its cleared opening; a window has one glazing line, in a
// straight wall and in a diagonal corner.
TEST_F(RoomPartTest, AShutDoorAndWindowsInAWallAndInACorner) {
  Room();
  CheckScene("room-shut-door-windows", {
                                           [&] { Door(40, 0, 32767, 3, 900, 310); },
                                           [&] { Window(50, 32767, 1060, 600); },
                                           [&] { DiagCorner(60, 60, 500, 770); },
                                           [&] { Window(30, 32767, 520, 750); },
                                       });
  EXPECT_EQ(SegmentsOfKind(SEG_WINDOW), 2);
}

// Bevels and quarter ellipses at the room's outer corners and at the inner corners a
// projection makes.
TEST_F(RoomPartTest, DiagonalAndRoundCornersOutsideAndInside) {
  Room();
  CheckScene("room-corners", {
                                 [&] { WallRect(100, 60, 32767, 760, 870); },
                                 [&] { DiagCorner(60, 40, 1040, 330); },
                                 [&] { RoundCorner(50, 50, 480, 790); },
                                 [&] { DiagCorner(30, 30, 875, 825); },
                                 [&] { RoundCorner(40, 40, 640, 830); },
                             });
  EXPECT_EQ(SegmentsOfKind(SEG_DIAGCRNR), 2);
  EXPECT_EQ(SegmentsOfKind(SEG_RNDCRNR), 2);
}

// A user rectangle turned by 30 degrees, and a circle dropped past the right margin
// that is kept on the sheet.
TEST_F(RoomPartTest, ATurnedRectangleAndACircleAtTheMargin) {
  Room();
  CheckScene("room-user-shapes", {
                                     [&] { UserRect(80, 40, 30, 700, 500); },
                                     [&] { UserCircle(80, 1500, 560); },
                                 });
  EXPECT_EQ(Last().x, 1389 - 80);
}

// --- Doors and windows -------------------------------------------------------------

TEST_F(RoomPartTest, ADoorInsideAWallSplitsItIntoWallDoorWall) {
  Room();
  ASSERT_EQ(Door(40, 90, 32767, 1, 700, 330), 0);
  EXPECT_EQ(Segments(), 6);
  const int door = FirstOfKind(SEG_DOOR);
  ASSERT_GE(door, 0);
  const WallSegment& d = walls.segments[door];
  // Snapped onto the top wall: 80 pixels wide, centred where the pointer was along it.
  EXPECT_EQ(d.x1, 660);
  EXPECT_EQ(d.x2, 740);
  EXPECT_EQ(d.y1, 310);
  EXPECT_EQ(d.y2, 310);
  EXPECT_EQ(d.owner, 1);
  EXPECT_EQ(d.thickness, 15);
  EXPECT_EQ(walls.segments[d.prev].kind, SEG_HWALL);
  EXPECT_EQ(walls.segments[d.next].kind, SEG_HWALL);
  EXPECT_EQ(walls.segments[d.next].x2, 1060);
  // The record keeps the centre on the wall line, not where the pointer stood.
  EXPECT_EQ(Last().x, 700);
  EXPECT_EQ(Last().y, 310);
  EXPECT_EQ(Info().bWinDoor, 1);
  ExpectClosedRing();
}

TEST_F(RoomPartTest, AtDistanceZeroADoorSitsFlushWithoutANewWall) {
  Room();
  ASSERT_EQ(Door(40, 90, 0, 0, 470, 300), 0);
  EXPECT_EQ(Segments(), 5);
  const WallSegment& d = walls.segments[FirstOfKind(SEG_DOOR)];
  EXPECT_EQ(d.x1, 460);
  EXPECT_EQ(walls.segments[0].x1, 540);
  // 20 cm from the corner: the door's near edge is 40 pixels from the wall's end.
  ASSERT_EQ(Door(40, 90, 20, 0, 1200, 700), 0);
  const WallSegment& e = walls.segments[walls.last - 1];
  EXPECT_EQ(e.kind, SEG_DOOR);
  EXPECT_EQ(e.y1, 690);
  EXPECT_EQ(e.y2, 770);
  EXPECT_EQ(walls.segments[e.next].y2, 810);
  ExpectClosedRing();
}

TEST_F(RoomPartTest, TheDoorAngleIsStoredClamped) {
  Room();
  ASSERT_EQ(Door(40, 2, 32767, 1, 700, 310), 0);
  EXPECT_EQ(Last().p1, 0u);
  ASSERT_EQ(Door(40, 200, 32767, 1, 700, 810), 0);
  EXPECT_EQ(Last().p1, 180u);
  ASSERT_EQ(Door(40, 45, 32767, 1, 460, 560), 0);
  EXPECT_EQ(Last().p1, 45u);
}

// An opening too narrow to show swings at all, or opened so little that the leaf
// covers the fill's seed, fills nothing but its own band.
TEST_F(RoomPartTest, ANearlyShutDoorFillsOnlyItsOpening) {
  Room();
  const int before = LightPixels();
  ASSERT_EQ(Door(40, 3, 32767, 1, 700, 310), 0);
  ASSERT_EQ(Door(40, 3, 32767, 3, 700, 810), 0);
  // Two openings of 80 x 30 pixels less their outlines, and the leaves' few pixels.
  EXPECT_LT(LightPixels() - before, 2 * 80 * 30);
  // Opened flat in every way, each swing fills a half disc of radius 80 in the room or
  // outside it (about 10000 pixels) besides its opening.
  const int xs[4] = {600, 900, 900, 600}, ys[4] = {310, 310, 810, 810};
  for (int flags = 0; flags < 4; ++flags) {
    const int at = LightPixels();
    ASSERT_EQ(Door(40, 180, 32767, flags, xs[flags], ys[flags]), 0);
    EXPECT_GT(LightPixels() - at, 9000 + 2000) << flags;
    EXPECT_LT(LightPixels() - at, 10100 + 2400) << flags;
  }
}

// The angle is how far the leaf stands open from its shut place, whichever end it
// hangs at: hinged left or right, a door opened 30 degrees sweeps mirrored areas.
TEST_F(RoomPartTest, BothHingesOpenByTheSameAngle) {
  Room();
  const int shut = LightPixels();
  int swept[4] = {};
  for (int flags = 0; flags < 4; ++flags) {
    ASSERT_EQ(Door(40, 30, 32767, flags, 700 + flags, 310), 0);
    swept[flags] = LightPixels() - shut;
    CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  }
  // A sector of 30 degrees and radius 80 is about 1700 pixels beside the opening's 2400.
  for (int flags = 0; flags < 4; ++flags) {
    EXPECT_GT(swept[flags], 2000 + 1200) << flags;
    EXPECT_LT(swept[flags], 2400 + 2000) << flags;
  }
  // Mirrored, the arc's and the leaf's pixels fall a little differently.
  EXPECT_NEAR(swept[0], swept[2], 150);
  EXPECT_NEAR(swept[1], swept[3], 150);
}

TEST_F(RoomPartTest, OpeningsAreRefusedWhereNoWallTakesThem) {
  // No room at all.
  EXPECT_EQ(CallTessel(TC_PutDoor, 40, 90, 32767, 0, 0), TR_PlacementFailed);
  EXPECT_EQ(CallTessel(TC_PutWindow, 40, 90, 32767, 0, 0), TR_PlacementFailed);
  Room();
  // Wider than any wall: the strict test refuses an opening exactly as long.
  EXPECT_EQ(CallTessel(TC_PutDoor, 300, 90, 32767, 1, 0), TR_PlacementFailed);
  EXPECT_EQ(pointer.trackDraw, nullptr);
  EXPECT_EQ(pointer.trackDrop, nullptr);
  EXPECT_EQ(CallTessel(TC_PutWindow, 300, 90, 32767, 0, 0), TR_PlacementFailed);
  // At a distance the opening and the distance together must fit.
  EXPECT_EQ(CallTessel(TC_PutDoor, 100, 90, 101, 1, 0), TR_PlacementFailed);
  EXPECT_EQ(CallTessel(TC_PutDoor, 100, 90, 25, 1, 0), 0);
  // Without width there is nothing to open.
  EXPECT_EQ(CallTessel(TC_PutWindow, 0, 90, 32767, 0, 0), TR_PlacementFailed);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.layout.count, 1);
  // Round corners and other openings take no openings.
  ASSERT_EQ(RoundCorner(300, 250, 1000, 400), 0);
  ASSERT_EQ(Door(140, 90, 32767, 1, 760, 810), 0);
  EXPECT_EQ(CallTessel(TC_PutWindow, 260, 90, 32767, 0, 0), TR_PlacementFailed);
}

// --- Corners -----------------------------------------------------------------------

TEST_F(RoomPartTest, ACornerCutTakesTheWholeWallsItIsAsLongAs) {
  ASSERT_EQ(WallRect(300, 200, 32767, 760, 560), 0);
  ASSERT_EQ(DiagCorner(300, 200, 1300, 200), 0);
  // The top and right walls are used up and purged; the cut joins the left and the
  // bottom wall.
  EXPECT_EQ(Segments(), 3);
  const WallSegment& cut = walls.segments[FirstOfKind(SEG_DIAGCRNR)];
  EXPECT_EQ(cut.x1, 460);
  EXPECT_EQ(cut.y1, 360);
  EXPECT_EQ(cut.x2, 1060);
  EXPECT_EQ(cut.y2, 760);
  EXPECT_EQ(walls.segments[cut.prev].kind, SEG_VWALL);
  EXPECT_EQ(walls.segments[cut.next].kind, SEG_HWALL);
  ExpectClosedRing();
  // Only horizontal and vertical walls meeting make a corner: one is left.
  EXPECT_EQ(DiagCorner(300, 200, 0, 0), 0);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
}

TEST_F(RoomPartTest, CornersAreRefusedWhereNoCornerFits) {
  EXPECT_EQ(CallTessel(TC_PutDiagonalCorner, 30, 30, 0, 0, 0), TR_PlacementFailed);
  Room();
  EXPECT_EQ(CallTessel(TC_PutDiagonalCorner, 301, 30, 0, 0, 0), TR_PlacementFailed);
  EXPECT_EQ(CallTessel(TC_PutRoundCorner, 30, 251, 0, 0, 0), TR_PlacementFailed);
  EXPECT_EQ(pointer.trackDraw, nullptr);
  EXPECT_EQ(CallTessel(TC_PutRoundCorner, 0, 30, 0, 0, 0), TR_PlacementFailed);
  EXPECT_EQ(CallTessel(TC_PutRoundCorner, 300, 250, 0, 0, 0), 0);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.layout.count, 1);
}

TEST_F(RoomPartTest, ACornerSnapsToTheNearestFittingCorner) {
  Room();
  ASSERT_EQ(DiagCorner(50, 50, 700, 700), 0);
  // The bottom-left corner is nearest: the cut runs from the bottom wall up the left.
  const WallSegment& cut = walls.segments[FirstOfKind(SEG_DIAGCRNR)];
  EXPECT_EQ(cut.x1, 560);
  EXPECT_EQ(cut.y1, 810);
  EXPECT_EQ(cut.x2, 460);
  EXPECT_EQ(cut.y2, 710);
  EXPECT_EQ(Last().x, 510);
  EXPECT_EQ(Last().y, 760);
}

// --- User shapes -------------------------------------------------------------------

TEST_F(RoomPartTest, ShapesStayInsideTheSheetsFrame) {
  UserRect(80, 80, 0, 0, 0);
  EXPECT_EQ(Last().x, 210);
  EXPECT_EQ(Last().y, 210);
  UserRect(80, 80, 0, 1500, 1100);
  EXPECT_EQ(Last().x, 1310);
  EXPECT_EQ(Last().y, 910);
  // Turned a right angle, the extent is (50, 100).
  UserRect(100, 50, 90, 1500, 0);
  EXPECT_EQ(Last().x, 1340);
  EXPECT_EQ(Last().y, 230);
  UserCircle(80, 1480, 20);
  EXPECT_EQ(Last().x, 1309);
  EXPECT_EQ(Last().y, 210);
  // Larger than the frame, a shape is centred in it, wherever it is dropped.
  UserCircle(700, 100, 100);
  EXPECT_EQ(Last().x, 759);
  EXPECT_EQ(Last().y, 559);
  // So does a rectangle wider than the frame (the circle goes again first: the two
  // would collide); one wider than the sheet could never be placed at all.
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  UserRect(680, 30, 0, 100, 100);
  EXPECT_EQ(Last().x, 760);
  const std::vector<std::uint8_t> placed = Sheet();
  FullRedraw();
  EXPECT_TRUE(Sheet() == placed);
}

TEST_F(RoomPartTest, AUserRectangleTakesItsAngleFromP2) {
  UserRect(100, 50, 0, 700, 500);
  const std::vector<std::uint8_t> flat = Sheet();
  // A re-placement of the same record at a new angle, as turning does it.
  ObjectRecord* copy = ReplaceRecordOfTag(0);
  ASSERT_NE(copy, nullptr);
  copy->p2 = 90;
  FullRedraw();
  EXPECT_FALSE(Sheet() == flat);
  UserRect(100, 50, 90, 900, 500);
  // The turned rectangle's pixels match a new one placed turned, shifted by 200.
  for (int y = 420; y < 580; ++y)
    for (int x = 620; x < 780; ++x)
      ASSERT_EQ(SheetPixel(x, y), SheetPixel(x + 200, y)) << x << ", " << y;
}

// --- Feedback ------------------------------------------------------------------------

// Every tool's feedback shows at the cursor and, drawn again, leaves the window as it
// was: following the pointer and abandoning the tool leave no trace.
TEST_F(RoomPartTest, EveryFeedbackErasesItself) {
  Room();
  ASSERT_EQ(WallRect(100, 60, 32767, 760, 870), 0);
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 50, 0, 0);
  struct Tool {
    unsigned short code;
    unsigned p0, p1, p2;
    long l0;
  };
  const Tool tools[] = {
      {TC_PutDoor, 40, 60, 32767, 3},       {TC_PutWindow, 40, 90, 20, 0},
      {TC_PutDiagonalCorner, 40, 30, 0, 0}, {TC_PutRoundCorner, 40, 50, 0, 0},
      {TC_PutRoundCorner, 30, 30, 0, 0},  // the projection's inner corners fit these
      {TC_PutUserRect, 80, 40, 30, 0},      {TC_PutUserCircle, 60, 0, 0, 0},
  };
  for (const Tool& t : tools) {
    SCOPED_TRACE(t.code);
    PointAt(200, 150);
    const std::vector<std::uint32_t> before = Framebuffer();
    ASSERT_EQ(CallTessel(t.code, t.p0, t.p1, t.p2, t.l0, 0), 0);
    EXPECT_NE(Framebuffer(), before);
    for (int x : {250, 400, 320, 150}) PointAt(x, 180);
    PointAt(200, 150);
    CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
    EXPECT_EQ(Framebuffer(), before);
  }
}

// --- Refusals when the wall table is full ---------------------------------------------

class FullTableTest : public RoomPartTest {
 protected:
  // Takes every free slot but `spare` with segments outside the ring, as a plan with
  // very many walls would.
  static void FillTable(int spare) {
    int free = 0;
    for (const WallSegment& s : walls.segments) free += s.kind == SEG_FREE;
    for (int i = 0; i < free - spare; ++i) {
      const int n = AllocWallSegment(SEG_INSTWALL);
      walls.segments[n].prev = walls.segments[n].next = -1;
    }
  }
};

TEST_F(FullTableTest, APartThatDoesNotFitIsRefusedWhole) {
  Room();
  // A door inside a wall needs two slots; with one left nothing is placed.
  ASSERT_EQ(CallTessel(TC_PutDoor, 40, 90, 32767, 1, 0), 0);
  FillTable(1);
  const int serial = Info().iSerial;
  DropAt(700, 310);
  EXPECT_EQ(core.layout.count, 1);
  EXPECT_EQ(Info().iSerial, serial);
  EXPECT_EQ(SegmentsOfKind(SEG_DOOR), 0);
  ExpectClosedRing();
  // Flush with the wall's start it needs only its own.
  ASSERT_EQ(CallTessel(TC_PutDoor, 40, 90, 0, 1, 0), 0);
  FillTable(1);
  DropAt(500, 310);
  EXPECT_EQ(core.layout.count, 2);
  EXPECT_EQ(SegmentsOfKind(SEG_DOOR), 1);
  // A corner with no slot at all.
  ASSERT_EQ(CallTessel(TC_PutDiagonalCorner, 40, 40, 0, 0, 0), 0);
  FillTable(0);
  DropAt(1040, 790);
  EXPECT_EQ(core.layout.count, 2);
  EXPECT_EQ(SegmentsOfKind(SEG_DIAGCRNR), 0);
  ExpectClosedRing();
}

// --- Plans with any numbers -------------------------------------------------------

// Records of every room part with extreme numbers, as a damaged or hand-made plan may
// hold them: the replay keeps the ring closed, draws nothing beyond the sheet (the
// sanitizers watch every pixel write) and draws the same again.
TEST_F(RoomPartTest, WildRecordsReplayWithoutHarm) {
  const char* kinds[] = {"DIAGCRNR", "RNDCRNR", "DOOR", "WINDOW", "USERRECT", "USERCRCL"};
  const long long values[] = {0,           1,     -1,     2,    80,   179,        181,
                              32767,       65535, -32768, 3040, 3041, 2147483647, -2147483648LL,
                              4294967295LL};
  std::string plan = "[Layout]\ncount=120\n00=WALLRECT,640,440,300,250,32767,0,0\n";
  std::uint32_t seed = 7;
  auto pick = [&] {
    seed = seed * 1664525u + 1013904223u;
    return values[(seed >> 8) % (sizeof values / sizeof values[0])];
  };
  for (int i = 1; i < 120; ++i) {
    seed = seed * 1664525u + 1013904223u;
    char line[256];
    std::snprintf(line, sizeof line, "%2.2d=%s,%lld,%lld,%lld,%lld,%lld,%lld,0\n", i,
                  kinds[(seed >> 8) % 6], i % 3 ? 200 + 7 * i : pick(),
                  i % 3 ? 150 + 5 * i : pick(), i % 2 ? 10 + i % 70 : pick(), pick(),
                  i % 4 ? 32767 : pick(), pick());
    plan += line;
  }
  plan += "[Design]\ncount=0\n";
  ASSERT_EQ(LoadPlanText(plan.data(), plan.size(), false), TR_Done);
  FullRedraw();
  ExpectClosedRing();
  EXPECT_GT(Segments(), 4);
  const std::vector<std::uint8_t> drawn = Sheet();
  FullRedraw();
  EXPECT_TRUE(Sheet() == drawn);
}

// A tool started before the outline changed under it finds its wall or corner gone and
// places nothing rather than splitting a slot that is no longer a wall.
TEST_F(RoomPartTest, APlanChangedUnderTheToolTakesNothing) {
  Room();
  for (unsigned short code : {TC_PutDoor, TC_PutWindow, TC_PutDiagonalCorner, TC_PutRoundCorner}) {
    ASSERT_EQ(CallTessel(code, 40, 40, 32767, 0, 0), 0) << code;
    ClearWallTable();
    DropAt(700, 310);
    EXPECT_EQ(core.layout.count, 1) << code;
    FullRedraw();
    ExpectClosedRing();
  }
}
