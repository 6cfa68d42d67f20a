// Products stacked by height: a product placed with a height band may stand over
// products whose bands lie wholly above or below it; walls, products without a band
// and overlapping bands still refuse the place. Driven through CallTessel as the
// program places products.
#include <fstream>
#include <sstream>

#include "product_fixture.h"

using namespace vrx;

namespace {

// Heights in centimetres above the floor, as the sample catalogue gives them.
struct Band {
  int bottom, top;
};
constexpr Band kVanity{8, 60};
constexpr Band kBasin{60, 85};
constexpr Band kMirrorCabinet{120, 190};
constexpr Band kWallCabinet{140, 200};
constexpr Band kWallHungToilet{0, 40};
constexpr Band kBathtub{0, 65};

// Against the room's top wall (y 310), so every wall-mounted product below stands
// with its back on the same line, over the ones placed before it.
constexpr int kAtTopWallX = 700, kAtTopWallY = 345;

}  // namespace

class StackingTest : public ProductTest {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    // Boxes of the sizes the catalogue draws (two pixels per centimetre).
    Bitmap("vanity-2.bmp", 120, 90, TubPixel);
    Bitmap("mirror-2.bmp", 120, 32, TubPixel);
    Bitmap("cabinet-2.bmp", 120, 60, TubPixel);
    Bitmap("toilet-2.bmp", 72, 108, TubPixel);
    Room();
    Design();
  }

  long PutWithBand(std::uint32_t number, std::uint32_t mounting, std::uint32_t angle,
                   const std::string& name, long fifth) {
    const std::string path = Path(name);
    return CallTessel(TC_PutProduct, number, mounting, angle, reinterpret_cast<long>(path.c_str()),
                      fifth);
  }
  bool PlaceWithBand(std::uint32_t number, std::uint32_t mounting, const std::string& name,
                     Band band, int x = kAtTopWallX, int y = kAtTopWallY, std::uint32_t angle = 0) {
    if (PutWithBand(number, mounting, angle, name, TesselHeightBand(band.bottom, band.top)) != 0)
      return false;
    DropAt(x, y);
    const bool dropped = Info().bObjAtCur == 0;
    if (!dropped) CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
    return dropped;
  }
  static void ClearPlanDesign() { CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0); }
};

TEST_F(StackingTest, TheBandTravelsInTheFifthValueAndOnlyABandIsKept) {
  EXPECT_EQ(TesselHeightBand(60, 85), TC_BandMark | (85 << TC_BandShift) | 60);
  EXPECT_EQ(TesselHeightBand(85, 60), 0) << "upside down";
  EXPECT_EQ(TesselHeightBand(0, 0), 0) << "no height";
  EXPECT_EQ(TesselHeightBand(0, TC_BandLimit + 1), 0);
  EXPECT_FALSE(TesselIsHeightBand(85)) << "a plain height, as older programs pass";
  EXPECT_FALSE(TesselIsHeightBand(TC_BandMark | 60)) << "top not above bottom";
  EXPECT_FALSE(TesselIsHeightBand(TesselHeightBand(60, 85) | 0x10000000));

  ASSERT_EQ(PutWithBand(101, 1, 0, "basin-2.bmp", 85), 0);
  DropAt(kAtTopWallX, kAtTopWallY);
  ASSERT_EQ(core.design.count, 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->l1, 0u) << "a plain height leaves the record as it was";
  ASSERT_TRUE(PlaceWithBand(102, 1, "basin-2.bmp", kBasin, 900, kAtTopWallY));
  EXPECT_EQ(static_cast<long>(RecordOfTag(kDesignTagBase + 1)->l1),
            TesselHeightBand(kBasin.bottom, kBasin.top));
}

TEST_F(StackingTest, VanityBasinAndMirrorCabinetStackInEitherOrder) {
  const std::pair<std::string, Band> parts[] = {
      {"vanity-2.bmp", kVanity}, {"basin-2.bmp", kBasin}, {"mirror-2.bmp", kMirrorCabinet}};
  const int orders[][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}, {1, 2, 0}};
  std::vector<std::uint8_t> first;
  for (const auto& order : orders) {
    ClearPlanDesign();
    for (int i : order)
      EXPECT_TRUE(
          PlaceWithBand(static_cast<std::uint32_t>(200 + i), 1, parts[i].first, parts[i].second))
          << parts[i].first << " after " << core.design.count << " others";
    EXPECT_EQ(core.design.count, 3);
    EXPECT_EQ(ProductList().size(), 4u);
  }
  // The places really overlap: the same products without bands refuse each other.
  ClearPlanDesign();
  ASSERT_TRUE(PlaceWithBand(200, 1, "vanity-2.bmp", kVanity));
  ASSERT_EQ(PutWithBand(201, 1, 0, "basin-2.bmp", 0), 0);
  DropAt(kAtTopWallX, kAtTopWallY);
  EXPECT_EQ(Info().bObjAtCur, 1) << "a product without a band collides as it always did";
  EXPECT_FALSE(pointer.dropAllowed);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  ClearPlanDesign();
  ASSERT_EQ(PutWithBand(201, 1, 0, "basin-2.bmp", 85), 0);
  DropAt(kAtTopWallX, kAtTopWallY);
  ASSERT_EQ(core.design.count, 1);
  EXPECT_FALSE(PlaceWithBand(200, 1, "vanity-2.bmp", kVanity))
      << "nor is anything stacked over a product placed without one";
}

TEST_F(StackingTest, AWallCabinetHangsOverAToiletInEitherOrder) {
  EXPECT_TRUE(PlaceWithBand(300, 1, "toilet-2.bmp", kWallHungToilet));
  EXPECT_TRUE(PlaceWithBand(301, 1, "cabinet-2.bmp", kWallCabinet));
  ClearPlanDesign();
  EXPECT_TRUE(PlaceWithBand(301, 1, "cabinet-2.bmp", kWallCabinet));
  EXPECT_TRUE(PlaceWithBand(300, 1, "toilet-2.bmp", kWallHungToilet));
  EXPECT_EQ(core.design.count, 2);
}

TEST_F(StackingTest, BandsThatOverlapRefuseEachOther) {
  ASSERT_TRUE(PlaceWithBand(100, 1, "basin-2.bmp", kBasin));
  const std::vector<std::uint8_t> before = Sheet();
  // A free-standing bathtub whose outline covers the basin: its rim and filler reach
  // the basin's height.
  EXPECT_FALSE(PlaceWithBand(400, 0, "tub-2.bmp", kBathtub, kAtTopWallX, 380));
  EXPECT_EQ(core.design.count, 1);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_TRUE(PlaceWithBand(400, 0, "tub-2.bmp", kBathtub, kAtTopWallX, 600))
      << "clear of the basin the same tub is placed";
  // The other order: the basin is refused over the tub.
  ClearPlanDesign();
  ASSERT_TRUE(PlaceWithBand(400, 0, "tub-2.bmp", kBathtub, kAtTopWallX, 380));
  EXPECT_FALSE(PlaceWithBand(100, 1, "basin-2.bmp", kBasin));
  // Two vanity units are both in each other's band.
  ClearPlanDesign();
  ASSERT_TRUE(PlaceWithBand(200, 1, "vanity-2.bmp", kVanity));
  EXPECT_FALSE(PlaceWithBand(201, 1, "vanity-2.bmp", kVanity, kAtTopWallX + 40));
  // Three deep: a basin over a vanity, and a second basin over both is refused by the
  // first basin although the vanity alone would let it.
  ASSERT_TRUE(PlaceWithBand(202, 1, "basin-2.bmp", kBasin));
  EXPECT_FALSE(PlaceWithBand(203, 1, "basin-2.bmp", kBasin, kAtTopWallX + 20));
}

TEST_F(StackingTest, WallsAlwaysCollideEvenUnderAStackedProduct) {
  // A record over the left wall, as a plan file may hold one: a vanity unit with its
  // band. A basin placed over it where the wall runs is refused by the wall.
  InsertProduct(Path("vanity-2.bmp"), 200, 470, 560, 0, 90);
  core.table[core.design.entries[0]].l1 =
      static_cast<std::uint32_t>(TesselHeightBand(kVanity.bottom, kVanity.top));
  FullRedraw();
  EXPECT_FALSE(PlaceWithBand(100, 0, "basin-2.bmp", kBasin, 470, 560));
  EXPECT_TRUE(PlaceWithBand(100, 0, "basin-2.bmp", kBasin, 500, 560))
      << "the same basin over the vanity alone";
}

TEST_F(StackingTest, BandsSurviveSavingLoadingAndMoving) {
  ASSERT_TRUE(PlaceWithBand(200, 1, "vanity-2.bmp", kVanity));
  ASSERT_TRUE(PlaceWithBand(100, 1, "basin-2.bmp", kBasin));
  const std::vector<std::uint8_t> drawn = Sheet();
  const std::string plan = Path("plan.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  std::ifstream in(plan);
  std::stringstream text;
  text << in.rdbuf();
  // The band is the product line's last number, where older planners read and keep a
  // value they do not use.
  EXPECT_NE(text.str().find("," + Path("basin-2.bmp") + "," +
                            std::to_string(TesselHeightBand(kBasin.bottom, kBasin.top))),
            std::string::npos)
      << text.str();

  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Design();
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  EXPECT_TRUE(Sheet() == drawn);
  EXPECT_TRUE(PlaceWithBand(300, 1, "mirror-2.bmp", kMirrorCabinet))
      << "the loaded products keep their bands";

  // Lifting the basin and dropping it a little along the wall: it stays over the
  // vanity, which only a band lets it.
  MoveTo(kAtTopWallX, 330);
  ASSERT_EQ(CallTessel(TC_SelectObjectToCursor, 0, 0, 0, 0, 0), 300) << "the mirror is on top";
  DropAt(kAtTopWallX + 10, kAtTopWallY);
  ASSERT_EQ(Info().bObjAtCur, 0) << "the mirror cabinet moved over basin and vanity";
  const ObjectRecord* moved = RecordOfTag(kDesignTagBase + 2);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->p0, 300u);
  EXPECT_EQ(static_cast<long>(moved->l1),
            TesselHeightBand(kMirrorCabinet.bottom, kMirrorCabinet.top));
}
