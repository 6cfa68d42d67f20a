// Products on the plan: the bitmap reader against hostile files, the set-up from a
// bitmap (variant digit, halves, turned extents), snapping to walls, the collision
// test, reviewed scenes of placed products, the drawn-product list and replay.
#include <initializer_list>
#include <iterator>
#include <random>

#include "product_fixture.h"

using namespace vrx;
using plat::POINT;

namespace {

std::vector<std::uint8_t> GoodBmp(int w = 7, int h = 5) {
  return EightBitBmp(w, h, [](int x, int y) { return static_cast<std::uint8_t>(10 * y + x); });
}

BitmapResult Read(const std::vector<std::uint8_t>& bytes, ProductBitmap* out) {
  return ReadProductBitmap(bytes.data(), bytes.size(), true, out);
}

}  // namespace

TEST(ProductBitmap, AnEightBitFileGivesItsRowsTopDown) {
  ProductBitmap b;
  ASSERT_EQ(Read(GoodBmp(), &b), BitmapResult::kOk);
  EXPECT_EQ(b.width, 7);
  EXPECT_EQ(b.height, 5);
  ASSERT_NE(b.pixels, nullptr);
  EXPECT_EQ(b.pixels[0], 0) << "top-left";
  EXPECT_EQ(b.pixels[4 * 7 + 6], 46) << "bottom-right, the file's first row";
  FreeProductBitmap(&b);
  EXPECT_EQ(b.pixels, nullptr);
  FreeProductBitmap(nullptr);
}

TEST(ProductBitmap, HostileFilesAreRefusedWithTheirReason) {
  const std::vector<std::uint8_t> good = GoodBmp();
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    BitmapResult want;
  };
  auto with = [&](std::size_t at, std::uint32_t v, int width = 4) {
    std::vector<std::uint8_t> b = good;
    if (width == 2)
      Put16(b, at, v);
    else
      Put32(b, at, v);
    return b;
  };
  const std::vector<Case> cases = {
      {"empty", {}, BitmapResult::kNotBitmap},
      {"wrong magic", with(0, 'M' | ('B' << 8), 2), BitmapResult::kNotBitmap},
      {"header cut short", {good.begin(), good.begin() + 30}, BitmapResult::kTruncated},
      {"header size past the end", with(14, 0x7FFFFFF0), BitmapResult::kTruncated},
      {"core header", with(14, 12), BitmapResult::kTruncated},
      {"colour table cut short", {good.begin(), good.begin() + 200}, BitmapResult::kTruncated},
      {"too many colours", with(46, 257), BitmapResult::kTruncated},
      {"zero width", with(18, 0), BitmapResult::kBadSize},
      {"negative height", with(22, static_cast<std::uint32_t>(-40)), BitmapResult::kBadSize},
      {"huge", with(22, 100000, 4), BitmapResult::kBadSize},
      {"24 bits", with(28, 24, 2), BitmapResult::kNotEightBit},
      {"run-length rows", with(30, 1), BitmapResult::kCompressed},
      {"pixel offset past the end", with(10, 0x7FFFFFFF), BitmapResult::kPixelsPastEnd},
      {"pixel offset inside the headers", with(10, 20), BitmapResult::kPixelsPastEnd},
      {"rows cut short", {good.begin(), good.end() - 1}, BitmapResult::kPixelsPastEnd},
  };
  for (const Case& c : cases) {
    ProductBitmap b;
    EXPECT_EQ(Read(c.bytes, &b), c.want) << c.what;
    EXPECT_EQ(b.pixels, nullptr) << c.what;
  }
  std::vector<std::uint8_t> huge = with(18, 100000);
  Put32(huge, 22, 100000);
  ProductBitmap b;
  EXPECT_EQ(Read(huge, &b), BitmapResult::kBadSize) << "refused before anything is allocated";
  EXPECT_EQ(ReadProductBitmap(nullptr, 10, true, &b), BitmapResult::kNotBitmap);
  EXPECT_STREQ(BitmapResultText(BitmapResult::kCannotOpen), "Can't open BMP for product");
  EXPECT_STREQ(BitmapResultText(BitmapResult::kNoMemory), "Not enough memory");
}

// Seeded mutations of a good file: every answer is a refusal or a bitmap whose rows
// lie inside the file; the sanitizers watch the reads.
TEST(ProductBitmap, MutatedFilesNeverReadOutsideTheirBytes) {
  const std::vector<std::uint8_t> good = GoodBmp(13, 9);
  std::mt19937 random(1414);
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::uint8_t> bytes = good;
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % 70;  // the headers and the start of the table
      bytes[at] = static_cast<std::uint8_t>(random());
    }
    if (random() % 4 == 0) bytes.resize(random() % bytes.size());
    // An exact-size copy lets the sanitizer see any read past the end.
    auto* exact = new std::uint8_t[bytes.size() + 1];
    std::memcpy(exact, bytes.data(), bytes.size());
    ProductBitmap b;
    const BitmapResult r = ReadProductBitmap(exact, bytes.size(), true, &b);
    if (r == BitmapResult::kOk) {
      ASSERT_GE(b.width, 1);
      ASSERT_LE(b.width, kMaxProductSide);
      ASSERT_GE(b.height, 1);
      ASSERT_LE(b.height, kMaxProductSide);
      std::size_t sum = 0;
      for (int i = 0; i < b.width * b.height; ++i) sum += b.pixels[i];
      EXPECT_GE(sum, 0u);
    }
    FreeProductBitmap(&b);
    delete[] exact;
  }
}

TEST_F(ProductTest, AMissingOrBrokenBitmapHangsNothingAtTheCursor) {
  EXPECT_EQ(Put(7, 0, 0, "nothing-1.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 0);
  WriteFile(dir / "broken-2.bmp", {'B', 'M', 1, 2, 3});
  EXPECT_EQ(Put(7, 0, 0, "broken-2.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_EQ(CallTessel(TC_PutProduct, 7, 0, 0, 0, 0), 0) << "no name at all";
  EXPECT_EQ(Info().bObjAtCur, 0);
}

TEST_F(ProductTest, TheVariantDigitChoosesTheBitmapAndMountingSevenStandsAsOne) {
  Bitmap("bowl-3.bmp", 41, 30, BasinPixel);
  EXPECT_EQ(Put(5, 0, 0, "basin-1.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 1) << "opened basin-2.bmp";
  EXPECT_EQ(std::string(products.fileName), Path("basin-2.bmp"));
  EXPECT_EQ(Put(5, 0, 0, "bowl-1.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 0) << "mounting 0 wants bowl-2.bmp, which is missing";
  Room();
  EXPECT_EQ(Put(5, 7, 0, "bowl-1.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 1);
  EXPECT_EQ(std::string(products.fileName), Path("bowl-3.bmp"));
  EXPECT_EQ(productWork.mounting, 1);
  EXPECT_EQ(productWork.halfWidth, 20);
  EXPECT_FALSE(productWork.skipSides);
  EXPECT_EQ(Put(5, 12, 0, "bowl-1.bmp"), 0);
  EXPECT_TRUE(productWork.skipSides) << "12 stands as 6: two sides left out";
  EXPECT_EQ(productWork.mounting, 1);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(Put(5, 0, 0, "a.bmp"), 0) << "a name too short for a digit is opened as it is";
}

TEST_F(ProductTest, HalvesAndTurnedExtents) {
  struct Row {
    int angle, extentX, extentY;
  };
  // A 61 x 40 basin has halves 30 and 20; its outline's half extents follow the turn.
  for (const Row& r :
       {Row{0, 30, 20}, Row{90, 20, 30}, Row{180, 30, 20}, Row{270, 20, 30}, Row{45, 35, 35}}) {
    ASSERT_EQ(Put(1, 0, static_cast<std::uint32_t>(r.angle), "basin-2.bmp"), 0);
    EXPECT_EQ(productWork.halfWidth, 30);
    EXPECT_EQ(productWork.halfHeight, 20);
    EXPECT_EQ(productWork.extentX, r.extentX) << r.angle;
    EXPECT_EQ(productWork.extentY, r.extentY) << r.angle;
  }
}

TEST_F(ProductTest, AWallMountedProductNeedsAWallLongEnough) {
  EXPECT_EQ(Put(1, 1, 0, "basin-2.bmp"), TR_PlacementFailed) << "no walls at all";
  EXPECT_EQ(Info().bObjAtCur, 0);
  Room();
  EXPECT_EQ(Put(1, 1, 0, "basin-2.bmp"), 0);
  EXPECT_EQ(productWork.lineCount, 4);
  const WallLine& top = productWork.lines[0];
  EXPECT_EQ(top.x1, 490) << "shortened by the half width";
  EXPECT_EQ(top.x2, 1030);
  EXPECT_EQ(top.y1, 310);
  EXPECT_EQ(top.length, 540);
  EXPECT_FLOAT_EQ(top.normal.y, 1.0f) << "into the room";
  Bitmap("bench-2.bmp", 1400, 10, TubPixel);
  EXPECT_EQ(Put(1, 1, 0, "bench-2.bmp"), TR_PlacementFailed) << "longer than every wall";
}

TEST_F(ProductTest, SnappingStandsTheProductOffTheNearestWall) {
  Room();
  ASSERT_EQ(Put(1, 1, 0, "basin-2.bmp"), 0);
  ProductPlace p;
  // Top wall: 20 (half depth) + 2 below its line; its back along the wall.
  ASSERT_TRUE(PlaceProduct(700, 345, &p));
  EXPECT_EQ(p.centreX, 700);
  EXPECT_EQ(p.centreY, 332);
  EXPECT_EQ(p.corners[0].x, 670);
  EXPECT_EQ(p.corners[0].y, 312);
  // Left wall, running upwards: the product turns with it.
  ASSERT_TRUE(PlaceProduct(480, 600, &p));
  EXPECT_EQ(p.centreX, 482);
  EXPECT_EQ(p.centreY, 600);
  EXPECT_EQ(p.axisX[1], -1.0);
  // Beyond a shortened end, the end point.
  ASSERT_TRUE(PlaceProduct(470, 320, &p));
  EXPECT_EQ(p.centreX, 490) << "the top line starts 30 pixels in";
  // A stored centre keeps its wall even where another wall's line passes closer.
  ASSERT_TRUE(PlaceProduct(482, 340, &p));
  const std::int32_t x = p.centreX, y = p.centreY;
  ASSERT_TRUE(PlaceProduct(x, y, &p));
  EXPECT_EQ(p.centreX, x);
  EXPECT_EQ(p.centreY, y);
}

TEST_F(ProductTest, WindowRunsAreOneLine) {
  ClearWallTable();
  const int a = AllocWallSegment(SEG_HWALL), w = AllocWallSegment(SEG_WINDOW),
            b = AllocWallSegment(SEG_HWALL);
  auto set = [](int i, int x1, int x2) {
    walls.segments[i].x1 = x1;
    walls.segments[i].x2 = x2;
    walls.segments[i].y1 = walls.segments[i].y2 = 500;
  };
  set(a, 100, 200);
  set(w, 200, 300);
  set(b, 300, 400);
  LinkWallSegments(a, w);
  LinkWallSegments(w, b);
  productWork.mounting = 1;
  productWork.halfWidth = 30;
  BuildWallLines();
  ASSERT_EQ(productWork.lineCount, 3);
  const WallLine& run = productWork.lines[2];
  EXPECT_EQ(run.segment, w);
  EXPECT_EQ(run.x1, 130);
  EXPECT_EQ(run.x2, 370);
  // A ring of collinear segments (no room has one) ends the walk by itself.
  LinkWallSegments(b, a);
  BuildWallLines();
  EXPECT_LE(productWork.lineCount, 3);
}

TEST_F(ProductTest, CollisionCountsWallsButNotUserShapes) {
  Room();
  Design();
  const POINT overWall[4] = {{440, 400}, {500, 400}, {500, 440}, {440, 440}};
  EXPECT_LT(At(450, 420), 255) << "a dimmed wall pixel";
  EXPECT_FALSE(PlaceIsFree(overWall));
  const POINT inside[4] = {{600, 400}, {660, 400}, {660, 440}, {600, 440}};
  EXPECT_TRUE(PlaceIsFree(inside));
  // User rectangles draw in the shape colours; a patch of each does not refuse.
  for (std::uint8_t shape : {view.shapeA, view.shapeB, view.shapeC, view.shapeD}) {
    for (int y = 410; y < 430; ++y) std::memset(view.sheetBits + y * kSheetStride + 610, shape, 40);
    EXPECT_TRUE(PlaceIsFree(inside)) << int{shape};
  }
  view.sheetBits[420 * kSheetStride + 630] = 98;
  EXPECT_FALSE(PlaceIsFree(inside)) << "one wall-grey pixel among them";
  const POINT outside[4] = {{-1, 400}, {60, 400}, {60, 440}, {-1, 440}};
  EXPECT_FALSE(PlaceIsFree(outside));
}

TEST_F(ProductTest, ABasinAgainstAWall) {
  Room();
  Design();
  ASSERT_TRUE(Place(100, 1, 0, "basin-2.bmp", 700, 345));
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 700);
  EXPECT_EQ(r->y, 332);
  EXPECT_EQ(r->p1, 1u) << "no installation wall";
  EXPECT_STREQ(NameOf(r->l0), Path("basin-2.bmp").c_str());
  EXPECT_EQ(At(700, 313), 98) << "the back row, two pixels off the wall line";
  ExpectScene("product-basin-on-wall");
}

TEST_F(ProductTest, ABathtubTurnedNinetyAndThirtyDegrees) {
  Room();
  Design();
  ASSERT_TRUE(Place(200, 0, 90, "tub-2.bmp", 600, 560));
  ASSERT_TRUE(Place(201, 0, 30, "tub-2.bmp", 880, 560));
  EXPECT_EQ(At(600, 560 - 80 + 22), 53) << "turned 90: the drain at the top end";
  ExpectScene("product-tub-90-30");
}

TEST_F(ProductTest, AProductOnAnInstallationWall) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  Design();
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", 760, 600));
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->y, 568 + 20 + 4) << "installation walls keep four pixels";
  EXPECT_EQ(r->p1, 1u | (1u << 4)) << "the wall's tag above the mounting";
  EXPECT_EQ(static_cast<std::int32_t>(RecordOfTag(1)->l1), 1) << "one product stands on it";
  ExpectScene("product-on-instwall");
}

TEST_F(ProductTest, AnOverlapIsRefusedAndInsertsNothing) {
  Room();
  Design();
  ASSERT_TRUE(Place(100, 0, 0, "tub-2.bmp", 700, 500));
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = static_cast<std::uint32_t>(Info().iSerial);
  EXPECT_FALSE(Place(101, 0, 0, "basin-2.bmp", 720, 510));
  EXPECT_FALSE(pointer.dropAllowed);
  EXPECT_EQ(core.design.count, 1);
  EXPECT_EQ(static_cast<std::uint32_t>(Info().iSerial), serial);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_TRUE(Sheet() == before);
  ExpectScene("product-overlap-refused");
  // Moved clear of the tub, the same placement drops.
  ASSERT_TRUE(Place(101, 0, 0, "basin-2.bmp", 900, 500));
  EXPECT_EQ(core.design.count, 2);
}

TEST_F(ProductTest, WhitePixelsLeaveWhatLiesBelow) {
  Room();
  Design();
  // Overlapping records, as a plan file may hold them: the basin's white corners
  // leave the tub's pixels, its bowl covers them.
  InsertProduct(Path("tub-2.bmp"), 1, 700, 560);
  InsertProduct(Path("basin-2.bmp"), 2, 700, 560);
  FullRedraw();
  EXPECT_EQ(At(700 - 30, 560 + 19), 230) << "a white corner of the basin: the tub shows";
  EXPECT_EQ(At(700, 560), 221) << "the basin's bowl";
  EXPECT_EQ(At(900, 560), 255) << "the floor";
  ExpectScene("product-transparency");
}

TEST_F(ProductTest, AProductAtTheWorksheetEdge) {
  Design();
  // The pointer at the edge: the outline is kept inside the worksheet; the samples
  // of the collision test lie further apart than the sheet's frame is wide.
  ASSERT_EQ(Put(1, 0, 0, "tub-2.bmp"), 0);
  ProductPlace p;
  ASSERT_TRUE(PlaceProduct(5, 700, &p));
  EXPECT_EQ(p.corners[0].x, 0);
  DropAt(5, 700);
  ASSERT_EQ(core.design.count, 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, 80);
  // Records half off the sheet, as a plan file may hold them, stand where they were
  // stored and are drawn clipped at every edge.
  InsertProduct(Path("tub-2.bmp"), 1, 10, 300, 0, 30);
  InsertProduct(Path("tub-2.bmp"), 2, 1515, 1110, 0, 0);
  InsertProduct(Path("tub-2.bmp"), 3, 700, 2, 0, 90);
  FullRedraw();
  EXPECT_NE(At(0, 300), 255) << "over the sheet's left edge";
  EXPECT_EQ(At(1519, 1110), 230) << "the tub's inside, cut at the corner";
  EXPECT_EQ(At(700, 0), 230);
  EXPECT_EQ(ProductList(), (std::vector<int>{1, 1, 2, 3, 0}));
  ExpectScene("product-sheet-edge");
}

TEST_F(ProductTest, TheProductListFollowsTheDrawnProducts) {
  Room();
  Design();
  EXPECT_EQ(ProductList(), std::vector<int>{0});
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 600, 450));
  ASSERT_TRUE(Place(200, 0, 0, "basin-2.bmp", 700, 450));
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 800, 450));
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 200, 100, 0}));
  EXPECT_STREQ(DrawnProductAt(1)->name, Path("basin-2.bmp").c_str());
  CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
  EXPECT_EQ(ProductList(), std::vector<int>{0});
}

// Undo in layout mode can bring back a furnishing that leaving design mode discarded;
// entering design mode again draws it, so the list and the picture show what is there.
TEST_F(ProductTest, EnteringDesignModeDrawsAFurnishingThatUndoBroughtBack) {
  Room();
  CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 600, 450));
  CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.design.count, 0);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  ASSERT_EQ(Info().iCountDesignItems, 1) << "back in the lists, not drawn in layout mode";
  EXPECT_EQ(ProductList(), std::vector<int>{0});
  for (unsigned short code : {TC_ToggleWorkMode, TC_SetDesignMode}) {
    SCOPED_TRACE(code);
    CallTessel(code, 0, 0, 0, 0, 0);
    EXPECT_EQ(ProductList(), (std::vector<int>{100, 0}));
    EXPECT_LT(At(600, 450), 255);
    // Out again, and back by undo, for the other way in.
    CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
    CallTessel(TC_Undo, 0, 0, 0, 0, 0);
    ASSERT_EQ(core.design.count, 1);
    ASSERT_EQ(ProductList(), std::vector<int>{0});
  }
}

TEST_F(ProductTest, ProductsBeyondTheSixtyFourthAreNeitherDrawnNorListed) {
  Design();
  for (int i = 0; i < kMaxDrawnProducts + 6; ++i)
    InsertProduct(Path("basin-2.bmp"), static_cast<std::uint32_t>(i + 1), 100 + (i % 10) * 70,
                  100 + (i / 10) * 50);
  FullRedraw();
  const std::vector<int> list = ProductList();
  ASSERT_EQ(list.size(), static_cast<std::size_t>(kMaxDrawnProducts + 1));
  EXPECT_EQ(list[kMaxDrawnProducts - 1], kMaxDrawnProducts);
  EXPECT_EQ(list.back(), 0);
  EXPECT_EQ(At(100 + 3 * 70, 100 + 6 * 50), 221) << "the 64th is drawn";
  EXPECT_GE(HitTest(100 + 3 * 70, 100 + 6 * 50), 0);
  EXPECT_EQ(At(100 + 4 * 70, 100 + 6 * 50), 255) << "the 65th is not";
  EXPECT_EQ(HitTest(100 + 4 * 70, 100 + 6 * 50), -1) << "nor can it be hit";
}

TEST_F(ProductTest, ASavedPlanRedrawsTheSameBytesAndAMissingBitmapDrawsNothing) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  Design();
  ASSERT_TRUE(Place(100, 1, 0, "basin-2.bmp", 700, 345));
  ASSERT_TRUE(Place(200, 0, 30, "tub-2.bmp", 760, 700));
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", 760, 600));
  const std::vector<std::uint8_t> drawn = Sheet();
  const std::string plan = Path("plan.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Design();
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  EXPECT_TRUE(Sheet() == drawn);
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 200, 300, 0}));

  std::filesystem::remove(dir / "tub-2.bmp");
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Design();
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(plan.c_str()), 0), 0);
  EXPECT_EQ(core.design.count, 3) << "the record stays in the plan";
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 300, 0}));
  EXPECT_EQ(At(760, 700), 255);
  EXPECT_EQ(HitTest(760, 700), -1);
}

TEST_F(ProductTest, TheOutlineFollowsThePointerInRedWhereRefusedAndLeavesNoTrace) {
  Room();
  Design();
  ASSERT_TRUE(Place(2, 0, 0, "tub-2.bmp", 700, 560));
  MoveTo(850, 620);
  const std::vector<std::uint32_t> plain = Framebuffer();
  auto count = [&](std::uint32_t colour) {
    int n = 0;
    for (std::uint32_t p : Framebuffer()) n += (p & 0xFFFFFFu) == colour;
    return n;
  };
  ASSERT_EQ(Put(1, 0, 0, "basin-2.bmp"), 0);
  MoveTo(840, 600);
  EXPECT_FALSE(Framebuffer() == plain);
  EXPECT_TRUE(pointer.dropAllowed);
  EXPECT_EQ(count(0xFF0000u), 0);
  MoveTo(790, 560);  // over the tub's end
  EXPECT_FALSE(pointer.dropAllowed);
  EXPECT_GT(count(0xFF0000u), 0) << "the red pen";
  MoveTo(850, 620);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_TRUE(Framebuffer() == plain);
}

// A wall-mounted product slides along its wall: a move away from the wall leaves it
// where it stands, and its outline stays on screen untouched; a move along the wall
// takes it along, with no trace left where it was.
TEST_F(ProductTest, AWallMountedOutlineStaysWhileThePointerMovesAwayFromTheWall) {
  Room();
  Design();
  // The view on the top wall.
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 699, 399, 200, 0, 0), 0);
  MoveTo(700, 380);
  const std::vector<std::uint32_t> plain = Framebuffer();
  ASSERT_EQ(Put(1, 1, 0, "basin-2.bmp"), 0);
  MoveTo(700, 345);
  // The window right of and below the ruler bands, where the marker does not move.
  auto picture = [&] {
    std::vector<std::uint32_t> all = Framebuffer(), out;
    for (int y = 28; y < 400; ++y) out.insert(out.end(), &all[y * 600 + 28], &all[y * 600 + 600]);
    return out;
  };
  const std::vector<std::uint32_t> atTheWall = picture();
  ASSERT_FALSE(Framebuffer() == plain);
  // Reports of drawing right of and below the ruler bands: the outline's.
  static int drawings;
  drawings = 0;
  plat::SetWindowChangedHook(
      [](plat::HWND, const plat::RECT& r, void*) { drawings += r.left >= 28 && r.top >= 28; },
      nullptr);
  MoveTo(700, 352);
  MoveTo(700, 360);
  plat::SetWindowChangedHook(nullptr, nullptr);
  EXPECT_EQ(drawings, 0);
  EXPECT_TRUE(picture() == atTheWall);
  MoveTo(730, 360);
  EXPECT_FALSE(picture() == atTheWall);
  MoveTo(700, 360);
  EXPECT_TRUE(picture() == atTheWall);
  MoveTo(700, 380);
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  EXPECT_TRUE(Framebuffer() == plain);
}

// A turned product is drawn once into a picture of its own and then copied: the
// copy must give the bytes turning it in place gives, anywhere on the sheet, the
// second time as the first.
TEST_F(ProductTest, KeptTurnedPicturesGiveTheSameBytesAsTurningInPlace) {
  BitmapResult result;
  const ProductBitmap* basin = LookUpProductBitmap(Path("basin-2.bmp").c_str(), &result);
  ASSERT_NE(basin, nullptr);
  const ProductBitmap copy = *basin;  // the pointer is valid until the next look-up
  ASSERT_NE(copy.serial, 0u);
  productWork.mounting = 0;
  productWork.halfWidth = copy.width / 2;
  productWork.halfHeight = copy.height / 2;
  productWork.extentX = productWork.extentY = -200;  // no clamping: off the sheet too
  std::vector<std::uint8_t> direct(kSheetBytes);
  const int xs[] = {-20, 3, 700, 1517, 1540}, ys[] = {-15, 2, 500, 1118};
  for (int angle : {1, 30, 45, 90, 135, 200, 301, 359}) {
    productWork.angle = angle;
    for (int round = 0; round < 2; ++round) {
      for (int x : xs) {
        for (int y : ys) {
          ProductPlace place;
          PlaceProduct(x, y, &place);
          std::memset(direct.data(), 255, direct.size());
          DrawProductPixels(copy, place, direct.data(), kSheetWidth, kSheetHeight, kSheetStride);
          std::memset(view.sheetBits, 255, kSheetBytes);
          DrawProduct(copy, place);
          ASSERT_TRUE(std::memcmp(direct.data(), view.sheetBits, kSheetBytes) == 0)
              << "angle " << angle << " at " << x << ", " << y << " round " << round;
        }
      }
    }
  }
}

TEST_F(ProductTest, TheTraceSaysWhyABitmapIsRefused) {
  const std::string trace = Path("trace.txt");
  ::setenv("VRX232_TRACE", trace.c_str(), 1);
  std::vector<std::uint8_t> deep = EightBitBmp(4, 4, [](int, int) { return std::uint8_t{9}; });
  Put16(deep, 28, 24);
  WriteFile(dir / "deep-2.bmp", deep);
  Put(1, 0, 0, "gone-2.bmp");
  Put(1, 0, 0, "deep-2.bmp");
  ::unsetenv("VRX232_TRACE");
  std::ifstream in(trace);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Can't open BMP for product\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Can't use BMP for product: not 8 bits per pixel\n"), std::string::npos)
      << text;
}
