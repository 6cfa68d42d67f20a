// Wall-mounted products snapping to their walls: against either long side of a turned
// installation wall a basin stands the same gap off the band as drawn and drops there;
// a hanging product always snaps to its wall as a fresh placement does, while a record
// redrawn from a plan keeps the place it was stored at. Driven through CallTessel as
// the program places products.
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "product_fixture.h"

using namespace vrx;

namespace {

// The basin bitmap's colours (see BasinPixel): its back row, which hangs against the
// wall, and the rest of it.
constexpr std::uint8_t kBackRow = 98;
constexpr std::uint8_t kBasinColours[] = {kBackRow, 53, 221, 0};
// The basin of the fixture: 61 x 40 pixels, so its back stands 20 pixels behind its
// centre.
constexpr int kBasinDepth = 20;
constexpr int kBasinHalfWidth = 30;
// An installation wall of 100 x 8 cm: half its thickness in sheet pixels.
constexpr int kHalfThickness = 8;
// A wall-mounted product stands four pixels off an installation wall's band and two
// off a room wall's line, as whole pixels allow; the pen draws each band's edge a
// pixel wide on either side of its line.
constexpr double kBandGap = 4;
constexpr double kPenReach = 1;
// On a slanting cut the pen's pixels reach up to a pixel's diagonal off its line.
const double kDiagonalPenReach = std::sqrt(2.0);
// Beside a room wall one clear row of pixels stays between its pen and the basin.
constexpr double kWallClearance = 2;

bool IsBasin(std::uint8_t p) {
  for (std::uint8_t c : kBasinColours)
    if (p == c) return true;
  return false;
}

// The basin drawn round a sheet point and the wall drawn beside it: the least distance
// between a pixel of the basin and a pixel of anything else drawn there, and whether
// the basin's pixels nearest the wall belong to its back row.
struct Clearance {
  double least = 1e9;
  bool backNearest = false;
  int basinPixels = 0;
};

Clearance ClearanceAround(int cx, int cy) {
  constexpr int kReach = 50;
  // Clearances beyond this are not looked for.
  constexpr int kLook = 6;
  Clearance c;
  std::uint8_t nearestColour = 255;
  for (int y = cy - kReach; y <= cy + kReach; ++y) {
    for (int x = cx - kReach; x <= cx + kReach; ++x) {
      const std::uint8_t p = SheetPixel(x, y);
      if (!IsBasin(p)) continue;
      ++c.basinPixels;
      for (int oy = y - kLook; oy <= y + kLook; ++oy) {
        for (int ox = x - kLook; ox <= x + kLook; ++ox) {
          const std::uint8_t o = SheetPixel(ox, oy);
          if (o == 255 || IsBasin(o)) continue;
          const double d = std::hypot(x - ox, y - oy);
          if (d < c.least) {
            c.least = d;
            nearestColour = p;
          }
        }
      }
    }
  }
  c.backNearest = nearestColour == kBackRow;
  return c;
}

// A wall segment's length, its unit direction, and the unit normal into the room from
// its stored edge (the band lies behind it).
struct Axes {
  double length, dx, dy, nx, ny;
};
Axes AxesOf(const WallSegment& s) {
  const double length = std::hypot(s.x2 - s.x1, s.y2 - s.y1);
  const double dx = (s.x2 - s.x1) / length, dy = (s.y2 - s.y1) / length;
  return {length, dx, dy, -dy, dx};
}

}  // namespace

class WallSnappingTest : public ProductTest {
 protected:
  // A room with an installation wall turned by `angle` round the room's middle; its
  // segment.
  int TurnedInstallationWall(int angle) {
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    Room();
    CallTessel(TC_PutFreeWall, 100, kHalfThickness, static_cast<unsigned>(angle), 0, 0);
    DropAt(760, 560);
    Design();
    for (int i = 0; i <= walls.last; ++i)
      if (walls.segments[i].kind == SEG_INSTWALL) return i;
    return -1;
  }

  // Hangs a basin at the pointer and drops it there: the record dropped, or nullptr,
  // with the failure recorded and the pointer freed, when the outline or the drop is
  // refused.
  const ObjectRecord* HangAndDrop(int px, int py) {
    EXPECT_EQ(Put(300, 1, 0, "basin-2.bmp"), 0);
    MoveTo(px, py);
    EXPECT_TRUE(pointer.dropAllowed) << "the hanging outline is refused";
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
    if (Info().bObjAtCur != 0) {
      ADD_FAILURE() << "the drop was refused";
      CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
      return nullptr;
    }
    const ObjectRecord* r = RecordOfTag(kDesignTagBase);
    EXPECT_NE(r, nullptr);
    return r;
  }
};

// Each long side of an installation wall upright or turned by 30, 150 or 330 degrees: the basin
// hangs there allowed, drops at the first try wherever along the side it is put, faces
// the wall with its back row, and stands the same gap off the band as drawn on either
// side. A side's face is the wall's stored edge, or that edge moved across the band.
TEST_F(WallSnappingTest, ABasinStandsTheSameGapOffEitherSideOfATurnedInstallationWall) {
  for (int angle : {0, 30, 150, 330}) {
    const int wall = TurnedInstallationWall(angle);
    ASSERT_GE(wall, 0);
    const WallSegment& s = walls.segments[wall];
    const int owner = s.owner;
    const auto [length, dx, dy, nx, ny] = AxesOf(s);
    for (int side : {1, -1}) {
      const double fx = s.x1 - (side < 0 ? 2 * kHalfThickness * nx : 0);
      const double fy = s.y1 - (side < 0 ? 2 * kHalfThickness * ny : 0);
      for (int along : {-90, -30, -7, 0, 11, 30, 90}) {
        SCOPED_TRACE(::testing::Message()
                     << "turned " << angle << (side > 0 ? ", stored side" : ", far side") << ", "
                     << along << " along");
        // A pointer a little in front of the side, or beyond one of its ends.
        const double mid = (length / 2 + along);
        const double at = kBasinDepth + kBandGap + 10;
        const int px = static_cast<int>(std::lround(fx + dx * mid + side * nx * at));
        const int py = static_cast<int>(std::lround(fy + dy * mid + side * ny * at));
        const ObjectRecord* r = HangAndDrop(px, py);
        if (!r) continue;
        ASSERT_EQ(core.design.count, 1);
        EXPECT_EQ(r->p1, 1u | (static_cast<std::uint32_t>(owner) << 4)) << "hung on that wall";
        const Clearance c = ClearanceAround(r->x, r->y);
        EXPECT_GT(c.basinPixels, 1000) << "the whole basin is drawn";
        EXPECT_TRUE(c.backNearest) << "its back row faces the wall";
        // Four pixels off the band's line, less the pen's second pixel where it falls on
        // the basin's side, as on the upright wall; whole pixels add less than one.
        EXPECT_GE(c.least, kBandGap - kPenReach);
        EXPECT_LE(c.least, kBandGap);
        // The next basin stands on the same wall again.
        CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
      }
    }
  }
}

// A pointer a pixel from the centre a wall gives, nearer the wall, snaps the hanging
// basin to its wall as a pointer further off does: against a room wall to the same
// centre, never a pixel nearer; against a turned installation wall, where the pixel
// also slides it along, to the same clearance off the band.
TEST_F(WallSnappingTest, APointerNextToAWallsCentreSnapsTheBasinExactly) {
  Room();
  Design();
  // Against the top wall (y 310): the back two pixels off the line, the centre 20 more.
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", 700, 345));
  const ObjectRecord* fresh = RecordOfTag(kDesignTagBase);
  ASSERT_NE(fresh, nullptr);
  ASSERT_EQ(fresh->y, 310 + 2 + kBasinDepth);
  CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
  const ObjectRecord* r = HangAndDrop(700, 310 + 2 + kBasinDepth - 1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 700);
  EXPECT_EQ(r->y, 310 + 2 + kBasinDepth);
  EXPECT_EQ(At(700, 311), 255) << "a clear row between the wall and the basin's back";
  EXPECT_EQ(At(700, 312), kBackRow);

  // Against the stored side of an installation wall turned by 30 degrees.
  const int wall = TurnedInstallationWall(30);
  ASSERT_GE(wall, 0);
  const WallSegment& s = walls.segments[wall];
  const auto [length, dx, dy, nx, ny] = AxesOf(s);
  const int mx = (s.x1 + s.x2) / 2, my = (s.y1 + s.y2) / 2;
  const auto far = kBasinDepth + kBandGap + 20;
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", static_cast<int>(std::lround(mx + nx * far)),
                    static_cast<int>(std::lround(my + ny * far))));
  const ObjectRecord* onWall = RecordOfTag(kDesignTagBase);
  ASSERT_NE(onWall, nullptr);
  const int cx = onWall->x, cy = onWall->y;
  CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
  // Each pointer a pixel from that centre, towards the wall along either axis.
  for (const auto& [px, py] : {std::pair{cx + (nx < 0 ? 1 : -1), cy}, std::pair{cx, cy - 1}}) {
    SCOPED_TRACE(::testing::Message() << "pointer at " << px << ", " << py);
    const ObjectRecord* basin = HangAndDrop(px, py);
    ASSERT_NE(basin, nullptr);
    EXPECT_NE(basin->x * nx + basin->y * ny, px * nx + py * ny) << "left where it was pointed";
    const Clearance c = ClearanceAround(basin->x, basin->y);
    EXPECT_GE(c.least, kBandGap - kPenReach);
    EXPECT_LE(c.least, kBandGap);
    CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
  }
}

// Plans keep their products where they were stored: a basin stored a pixel off the
// centre its wall now gives, and one against a turned installation wall where earlier
// drops put it, are drawn at their stored centres, and saving writes them back as they
// were.
TEST_F(WallSnappingTest, AStoredBasinIsRedrawnWhereItWasStored) {
  Room();
  Design();
  InsertProduct(Path("basin-2.bmp"), 300, 700, 310 + 2 + kBasinDepth + 1, 1);
  FullRedraw();
  EXPECT_EQ(At(700, 312), 255);
  EXPECT_EQ(At(700, 313), kBackRow) << "drawn at its stored centre, a pixel further off";
  EXPECT_EQ(ProductList(), (std::vector<int>{300, 0}));

  // Earlier drops put a basin against the stored side of an installation wall turned by
  // 330 degrees at (774, 585), a pixel off its band; a plan saved then still shows it there.
  ASSERT_GE(TurnedInstallationWall(330), 0);
  const std::vector<std::uint8_t> empty = Sheet();
  InsertProduct(Path("basin-2.bmp"), 301, 774, 585, 1);
  FullRedraw();
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 774);
  EXPECT_EQ(r->y, 585);
  EXPECT_EQ(ProductList(), (std::vector<int>{301, 0}));
  EXPECT_NE(At(774, 585), 255) << "the basin's bowl at its stored centre";
  const std::vector<std::uint8_t> drawn = Sheet();
  EXPECT_FALSE(drawn == empty);
  EXPECT_DOUBLE_EQ(ClearanceAround(774, 585).least, 1.0)
      << "a pixel off the band as it was stored, not where a drop now puts it";
  const std::string plan = Path("plan.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Design();
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  EXPECT_TRUE(Sheet() == drawn);
  ASSERT_NE(RecordOfTag(kDesignTagBase), nullptr);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, 774);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->y, 585);
}

namespace {

// The room's corners, and the way into the room from each.
struct RoomCorner {
  int x, y, inX, inY;
};
constexpr RoomCorner kRoomCorners[] = {
    {460, 310, 1, 1}, {1060, 310, -1, 1}, {1060, 810, -1, -1}, {460, 810, 1, -1}};

// A diagonal cut as a line: where a pixel lies along it from its first end and how far
// off it into the room.
struct CutLine {
  explicit CutLine(const WallSegment& cut)
      : x(cut.x1), y(cut.y1), length(std::hypot(cut.x2 - cut.x1, cut.y2 - cut.y1)) {
    dx = (cut.x2 - cut.x1) / length;
    dy = (cut.y2 - cut.y1) / length;
  }
  double Along(double px, double py) const { return (px - x) * dx + (py - y) * dy; }
  double Off(double px, double py) const { return (py - y) * dx - (px - x) * dy; }
  // Whether a drawn pixel is the cut's pen: beside the line, between its ends.
  bool OnPen(int px, int py) const {
    const double along = Along(px, py);
    return along >= 0 && along <= length && std::fabs(Off(px, py)) <= kDiagonalPenReach;
  }
  double x, y, dx = 0, dy = 0, length;
};

// The basin drawn round a sheet point beside a cut: how far its nearest pixel stands off
// the cut's line, and the least distances between a pixel of it and a drawn pixel of
// the cut's pen, and of anything else drawn near it.
struct CutClearance {
  double basinOff = 1e9, toCut = 1e9, toOther = 1e9;
};

CutClearance CutClearanceAround(const CutLine& cut, int cx, int cy) {
  constexpr int kReach = 50, kLook = 6;
  CutClearance c;
  for (int y = cy - kReach; y <= cy + kReach; ++y) {
    for (int x = cx - kReach; x <= cx + kReach; ++x) {
      if (!IsBasin(SheetPixel(x, y))) continue;
      c.basinOff = std::min(c.basinOff, cut.Off(x, y));
      for (int oy = y - kLook; oy <= y + kLook; ++oy) {
        for (int ox = x - kLook; ox <= x + kLook; ++ox) {
          const std::uint8_t o = SheetPixel(ox, oy);
          if (o == 255 || IsBasin(o)) continue;
          double& least = cut.OnPen(ox, oy) ? c.toCut : c.toOther;
          least = std::min(least, std::hypot(x - ox, y - oy));
        }
      }
    }
  }
  return c;
}

}  // namespace

class DiagonalCornerSnappingTest : public WallSnappingTest {
 protected:
  // A room with the given corner cut by legs of legH x legV cm; the cut's segment.
  int CutCorner(const RoomCorner& corner, int legH, int legV) {
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    Room();
    if (CallTessel(TC_PutDiagonalCorner, static_cast<unsigned>(legH), static_cast<unsigned>(legV),
                   0, 0, 0) != 0)
      return -1;
    DropAt(corner.x + corner.inX * legH, corner.y + corner.inY * legV);
    Design();
    for (int i = 0; i <= walls.last; ++i)
      if (walls.segments[i].kind == SEG_DIAGCRNR) return i;
    return -1;
  }
};

// A basin hangs allowed against a diagonal corner of any legs at each of the room's
// corners, wherever along the cut the pointer is, and drops where it hangs: with its
// back row to the cut, its pixels the same gap off the cut's line as off a turned
// installation wall's band, and at the cut's ends slid along so that it stays clear of
// the walls beside it. Against those walls by the cut's ends it stays clear of the cut.
TEST_F(DiagonalCornerSnappingTest, ABasinDropsAllAlongACutOfAnyLegs) {
  const std::pair<int, int> legs[] = {{100, 40}, {40, 100}, {100, 70}, {60, 40}, {50, 50}};
  for (const RoomCorner& corner : kRoomCorners) {
    for (const auto& [legH, legV] : legs) {
      SCOPED_TRACE(::testing::Message() << "legs " << legH << " x " << legV << " at the corner "
                                        << corner.x << ", " << corner.y);
      const int cutIndex = CutCorner(corner, legH, legV);
      ASSERT_GE(cutIndex, 0);
      const CutLine cut(walls.segments[cutIndex]);
      // A pointer a little in front of the cut.
      auto pointerAt = [&](double along) {
        const double at = kBasinDepth + kBandGap + 10;
        return std::pair{static_cast<int>(std::lround(cut.x + cut.dx * along - cut.dy * at)),
                         static_cast<int>(std::lround(cut.y + cut.dy * along + cut.dx * at))};
      };
      // Every pointer position along the cut and a basin's width beyond its ends, where
      // the basin stands against the cut or against the wall beside it.
      ASSERT_EQ(Put(300, 1, 0, "basin-2.bmp"), 0);
      int refused = 0, positions = 0;
      for (int along = -2 * kBasinHalfWidth; along <= cut.length + 2 * kBasinHalfWidth; ++along) {
        const auto [px, py] = pointerAt(along);
        MoveTo(px, py);
        ++positions;
        if (!pointer.dropAllowed) ++refused;
      }
      EXPECT_EQ(refused, 0) << "of " << positions << " pointer positions";
      CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
      const double first = kBasinHalfWidth, last = cut.length - kBasinHalfWidth;
      for (double along : {first, first + 1, first + 9, cut.length / 2, last - 9, last - 1, last}) {
        SCOPED_TRACE(::testing::Message() << along << " along");
        const auto [px, py] = pointerAt(along);
        const ObjectRecord* r = HangAndDrop(px, py);
        if (!r) continue;
        ASSERT_EQ(core.design.count, 1);
        EXPECT_EQ(r->p1, 1u) << "hung on a room wall";
        // The record at the cut: its centre the basin's depth and the gap off the line,
        // between the cut's ends as whole pixels allow.
        EXPECT_GE(cut.Off(r->x, r->y), kBasinDepth + kBandGap);
        EXPECT_LT(cut.Off(r->x, r->y), kBasinDepth + kBandGap + 1);
        EXPECT_GT(cut.Along(r->x, r->y), first - 1);
        EXPECT_LT(cut.Along(r->x, r->y), last + 1);
        if (along == cut.length / 2) {
          EXPECT_NEAR(cut.Along(r->x, r->y), along, 1) << "where the pointer was";
        }
        const Clearance whole = ClearanceAround(r->x, r->y);
        EXPECT_GT(whole.basinPixels, 1000) << "the whole basin is drawn";
        EXPECT_TRUE(whole.backNearest) << "its back row faces the cut";
        const CutClearance c = CutClearanceAround(cut, r->x, r->y);
        EXPECT_GE(c.basinOff, kBandGap) << "the basin's pixels off the cut's line";
        EXPECT_LT(c.basinOff, kBandGap + 1);
        EXPECT_GE(c.toCut, kBandGap - kDiagonalPenReach) << "clear of the cut's pen";
        EXPECT_LE(c.toCut, kBandGap + 1);
        EXPECT_GE(c.toOther, kWallClearance) << "clear of the walls beside the cut";
        CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
      }
      // Just beyond either end, where the wall beside the cut is as near as the cut, the
      // basin drops clear of the cut's pen.
      for (double along : {-10.0, cut.length + 10}) {
        SCOPED_TRACE(::testing::Message() << along << " along");
        const auto [px, py] = pointerAt(along);
        const ObjectRecord* r = HangAndDrop(px, py);
        if (!r) continue;
        EXPECT_GT(ClearanceAround(r->x, r->y).basinPixels, 1000) << "the whole basin is drawn";
        EXPECT_GE(CutClearanceAround(cut, r->x, r->y).toCut, kWallClearance);
        CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
      }
    }
  }
}

// Plans keep their basins on a cut where they were stored or dropped: a basin that
// earlier drops put against a cut of 100 x 40 cm, two and a half pixels off it, one on
// the wall beside it hard by the cut's end, and one dropped now against a cut of
// 100 x 70 cm are redrawn at their centres, and a saved plan loads to the same picture.
TEST_F(DiagonalCornerSnappingTest, ABasinOnACutIsRedrawnWhereItWasStoredOrDropped) {
  const int cutIndex = CutCorner(kRoomCorners[0], 100, 40);
  ASSERT_GE(cutIndex, 0);
  const CutLine cut(walls.segments[cutIndex]);
  ASSERT_EQ(cut.x, 460);
  ASSERT_EQ(cut.y, 390);
  InsertProduct(Path("basin-2.bmp"), 301, 568, 371, 1);
  // And one at the start of the top wall's line, hard by the cut's end, where the top
  // wall put it and a drop now keeps it back.
  InsertProduct(Path("basin-2.bmp"), 303, 690, 332, 1);
  FullRedraw();
  const ObjectRecord* stored = RecordOfTag(kDesignTagBase);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->x, 568);
  EXPECT_EQ(stored->y, 371);
  const ObjectRecord* byTheCut = RecordOfTag(kDesignTagBase + 1);
  ASSERT_NE(byTheCut, nullptr);
  EXPECT_EQ(byTheCut->x, 690);
  EXPECT_EQ(byTheCut->y, 332);
  EXPECT_EQ(At(690, 312), kBackRow) << "drawn at its stored centre";
  EXPECT_EQ(ProductList(), (std::vector<int>{301, 303, 0}));
  EXPECT_LT(CutClearanceAround(cut, 568, 371).basinOff, kBandGap)
      << "as near the cut as it was stored, not where a drop now puts it";
  const std::vector<std::uint8_t> old = Sheet();

  const int wideIndex = CutCorner(kRoomCorners[0], 100, 70);
  ASSERT_GE(wideIndex, 0);
  const CutLine wide(walls.segments[wideIndex]);
  const int px = static_cast<int>(std::lround(wide.x + wide.dx * 100 - wide.dy * 40));
  const int py = static_cast<int>(std::lround(wide.y + wide.dy * 100 + wide.dx * 40));
  ASSERT_TRUE(Place(302, 1, 0, "basin-2.bmp", px, py));
  const ObjectRecord* dropped = RecordOfTag(kDesignTagBase);
  ASSERT_NE(dropped, nullptr);
  const int dx = dropped->x, dy = dropped->y;
  FullRedraw();
  const std::vector<std::uint8_t> fresh = Sheet();
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, dx);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->y, dy);
  EXPECT_GE(CutClearanceAround(wide, dx, dy).basinOff, kBandGap);

  // Each plan saved and loaded again draws as before.
  for (const auto& [legV, x, y, number, picture] :
       {std::tuple{40, 568, 371, 301, &old}, std::tuple{70, dx, dy, 302, &fresh}}) {
    SCOPED_TRACE(::testing::Message() << "legs 100 x " << legV);
    ASSERT_GE(CutCorner(kRoomCorners[0], 100, legV), 0);
    InsertProduct(Path("basin-2.bmp"), static_cast<std::uint32_t>(number), x, y, 1);
    if (legV == 40) InsertProduct(Path("basin-2.bmp"), 303, 690, 332, 1);
    FullRedraw();
    const std::string plan = Path("plan.tsd");
    ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    Design();
    ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
    EXPECT_TRUE(Sheet() == *picture);
    const ObjectRecord* r = RecordOfTag(kDesignTagBase);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->x, x);
    EXPECT_EQ(r->y, y);
  }
}
