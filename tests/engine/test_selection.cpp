// Selection: the hit-area table and hit test, hovering and clicking, and the changes a
// selection allows (lifting and moving, dragging, turning, deleting, editing), each
// one history step that undo takes back to the exact bytes before it.
#include "product_fixture.h"

using namespace vrx;
using plat::POINT;

namespace {

void Area(int tag, int left, int top, int right, int bottom) {
  const POINT p[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  RegisterHitArea(tag, p, 4);
}

}  // namespace

TEST_F(EngineTest, TheLastRegisteredAreaWinsAndSidesAreOutside) {
  ClearHitAreas();
  EXPECT_EQ(HitTest(150, 120), -1) << "no areas";
  Area(3, 100, 100, 200, 150);
  Area(4, 150, 100, 250, 150);
  EXPECT_EQ(HitTest(120, 120), 0);
  EXPECT_EQ(HitTest(170, 120), 1) << "both contain it: the one drawn later";
  EXPECT_EQ(HitTest(120, 100), -1) << "on the top side";
  EXPECT_EQ(HitTest(100, 120), -1) << "on the left side";
  EXPECT_EQ(HitTest(120, 99), -1);
  Area(-1, 0, 0, 500, 500);
  EXPECT_EQ(HitAreaCount(), 2) << "a negative tag registers nothing";
  const POINT three[3] = {{0, 0}, {10, 0}, {0, 10}};
  RegisterHitArea(5, three, 3);
  EXPECT_EQ(HitAreaCount(), 2);
  // A turned area: inside by the signs of its sides, not by its box alone.
  const POINT diamond[4] = {{300, 200}, {340, 240}, {300, 280}, {260, 240}};
  RegisterHitArea(6, diamond, 4);
  EXPECT_EQ(HitTest(300, 240), 2);
  EXPECT_EQ(HitTest(265, 205), -1) << "inside the box, outside the diamond";
}

TEST_F(EngineTest, InDesignModeOnlyDesignObjectsAreHit) {
  ClearHitAreas();
  Area(2, 100, 100, 200, 200);
  EXPECT_EQ(HitTest(150, 150), 0);
  core.current = &core.design;
  EXPECT_EQ(HitTest(150, 150), -1) << "a layout object";
  Area(kDesignTagBase, 100, 100, 200, 200);
  EXPECT_EQ(HitTest(150, 150), 1);
}

TEST_F(EngineTest, AFullHitAreaTableRefusesMoreWithoutOverwriting) {
  ClearHitAreas();
  for (int i = 0; i < kMaxHitAreas + 10; ++i) Area(i, 10 * i, 0, 10 * i + 10, 10);
  EXPECT_EQ(HitAreaCount(), kMaxHitAreas);
  EXPECT_EQ(HitAreaAt(kMaxHitAreas - 1)->tag, kMaxHitAreas - 1);
  EXPECT_EQ(HitTest(10 * kMaxHitAreas + 5, 5), -1);
  EXPECT_EQ(HitAreaAt(kMaxHitAreas), nullptr);
}

class SelectionTest : public ProductTest {
 protected:
  // A room in design mode with a tub (number 200) at (700, 560).
  void Furnished() {
    Room();
    Design();
    ASSERT_TRUE(Place(200, 0, 0, "tub-2.bmp", 700, 560));
  }
  long Code(std::uint16_t code, std::uint32_t w0 = 0) { return CallTessel(code, w0, 0, 0, 0, 0); }
  std::uint32_t Serial() { return static_cast<std::uint32_t>(Info().iSerial); }
  // The pointer comes to rest on a point from a neighbouring one, so the engine sees a
  // move even right after a drop there.
  void Hover(int x, int y) {
    MoveTo(x + 1, y + 1);
    MoveTo(x, y);
  }
};

TEST_F(SelectionTest, HoverHighlightsAndAClickFixesTheSelection) {
  Furnished();
  Hover(900, 700);
  const std::vector<std::uint32_t> plain = Framebuffer();  // the ruler marker included
  Hover(700, 560);
  EXPECT_EQ(Info().iSelProdId, 200);
  EXPECT_EQ(Info().bObjSel, 0);
  EXPECT_FALSE(Framebuffer() == plain) << "the outline is shown";
  Hover(900, 700);
  EXPECT_EQ(Info().iSelProdId, 0);
  EXPECT_TRUE(Framebuffer() == plain) << "and removed again";
  Hover(705, 565);
  Code(TC_DropCursor);
  EXPECT_EQ(Info().bObjSel, 1);
  Hover(900, 700);
  EXPECT_EQ(Info().iSelProdId, 200) << "a fixed selection does not follow the pointer";
  Code(TC_DropCursor);
  EXPECT_EQ(Info().bObjSel, 0) << "a click on the floor unfixes it";
  ObjectData d{};
  Hover(700, 560);
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  EXPECT_EQ(d.iKindCode, kKindProduct);
  EXPECT_EQ(d.p0, 200);
  EXPECT_EQ(d.iSelection, kDesignTagBase + 1);
}

TEST_F(SelectionTest, OverlappingProductsHitTheOneDrawnLater) {
  Room();
  Design();
  InsertProduct(Path("tub-2.bmp"), 1, 700, 560);
  InsertProduct(Path("basin-2.bmp"), 2, 720, 560);
  FullRedraw();
  Hover(720, 560);
  EXPECT_EQ(Info().iSelProdId, 2);
  Hover(640, 560);
  EXPECT_EQ(Info().iSelProdId, 1);
}

TEST_F(SelectionTest, PickingUpAndMovingIsOneStepThatUndoTakesBack) {
  Furnished();
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 900, 450));
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  Hover(700, 560);
  EXPECT_EQ(Code(TC_SelectObjectToCursor), 200);
  EXPECT_EQ(Info().bObjAtCur, 1);
  EXPECT_EQ(core.design.count, 1) << "lifted out of its list";
  EXPECT_EQ(Code(TC_SelectObjectToCursor), 0) << "one object at a time";
  DropAt(640, 700);
  EXPECT_EQ(Serial(), serial + 1);
  ASSERT_EQ(core.design.count, 2);
  const ObjectRecord* moved = RecordOfTag(kDesignTagBase + 1);
  EXPECT_EQ(moved->p0, 200u) << "a moved object goes to the end of its list";
  EXPECT_EQ(moved->x, 640);
  EXPECT_EQ(moved->y, 700);
  EXPECT_EQ(At(640, 700), 230);
  EXPECT_EQ(At(700, 560), 255);
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(Serial(), serial);
  EXPECT_EQ(Code(TC_SelectObjectToCursor), 0) << "nothing under the pointer's last place";
}

TEST_F(SelectionTest, DraggingWithTheButtonHeldIsOneStep) {
  Furnished();
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  Hover(700, 560);
  MoveTo(702, 560, 1);
  EXPECT_TRUE(pointer.dragging);
  MoveTo(760, 600, 1);
  MoveTo(762, 600, 0);
  EXPECT_FALSE(pointer.dragging);
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_EQ(Serial(), serial + 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, 762);
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
}

TEST_F(SelectionTest, CancellingAMovePutsTheObjectBack) {
  Furnished();
  const std::vector<std::uint8_t> before = Sheet();
  Hover(700, 560);
  Code(TC_SelectObjectToCursor);
  Hover(640, 700);
  Code(TC_SetSelectCursor);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(Info().bRedoAvail, 0);
  EXPECT_EQ(Info().bObjAtCur, 0);
}

TEST_F(SelectionTest, TurningAFreeStandingProductKeepsItsPlaceAndMounting) {
  Furnished();
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  Hover(700, 560);
  EXPECT_EQ(Code(TC_RotateBy, 90), 0);
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->p2, 90u);
  EXPECT_EQ(r->p1, 0u);
  EXPECT_EQ(r->x, 700);
  EXPECT_EQ(r->y, 560);
  EXPECT_EQ(Serial(), serial + 1);
  EXPECT_EQ(At(700, 560 - 58), 53) << "the drain now at the top end";
  const std::vector<std::uint8_t> turned = Sheet();
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
  Code(TC_Redo);
  EXPECT_TRUE(Sheet() == turned);

  Hover(700, 561);
  Code(TC_RotateBy, static_cast<std::uint32_t>(-180));
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p2, 270u) << "kept within one turn";
  Hover(700, 560);
  Code(TC_RotateTo, 30);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p2, 30u);
  Hover(700, 561);
  Code(TC_RotateTo, 400);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p2, 40u);
}

TEST_F(SelectionTest, WallMountedProductsAndUnselectedObjectsAreNotTurned) {
  Room();
  Design();
  ASSERT_TRUE(Place(100, 1, 0, "basin-2.bmp", 700, 345));
  const std::uint32_t serial = Serial();
  Code(TC_RotateTo, 30);
  EXPECT_EQ(Serial(), serial) << "nothing highlighted";
  Hover(700, 335);
  ASSERT_EQ(Info().iSelProdId, 100);
  Code(TC_RotateBy, 90);
  EXPECT_EQ(Serial(), serial) << "its direction is the wall's";
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p2, 0u);
}

TEST_F(SelectionTest, DeletingIsOneStepAndUndoRestoresTheBytes) {
  Furnished();
  const std::vector<std::uint8_t> before = Sheet();
  EXPECT_EQ(Code(TC_DeleteSelectedObject), 0) << "nothing highlighted";
  EXPECT_EQ(core.design.count, 1);
  Hover(700, 560);
  Code(TC_DeleteSelectedObject);
  EXPECT_EQ(core.design.count, 0);
  EXPECT_EQ(At(700, 560), 255);
  EXPECT_EQ(ProductList(), std::vector<int>{0});
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(ProductList(), (std::vector<int>{200, 0}));
}

TEST_F(SelectionTest, DeletingAProductOnAnInstallationWallLowersItsCount) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  Design();
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", 760, 600));
  const ObjectRecord* wall = RecordOfTag(1);
  ASSERT_EQ(KindCodeOf(wall->kind), kKindInstWall);
  ASSERT_EQ(wall->l1, 1u);
  Hover(760, 592);
  ASSERT_EQ(Info().iSelProdId, 300);
  Code(TC_DeleteSelectedObject);
  EXPECT_EQ(static_cast<std::int32_t>(RecordOfTag(1)->l1), 0);
  EXPECT_EQ(core.design.count, 0);
}

TEST_F(SelectionTest, EditingASelectedInstallationWallRedrawsAndIsOneStep) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  const int oldRecord = RecordNumberOfTag(1);
  Hover(760, 560);
  ObjectData d{};
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  ASSERT_EQ(d.iKindCode, kKindInstWall);
  EXPECT_EQ(d.iSelection, 2);
  EXPECT_EQ(d.p0, 100);
  d.p0 = 150;
  d.p2 = 90;
  EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0), 0);
  EXPECT_EQ(Info().bObjAtCur, 0) << "put back where it was";
  EXPECT_EQ(Serial(), serial + 1);
  const ObjectRecord* r = RecordOfTag(1);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->p0, 150u);
  EXPECT_EQ(r->p2, 90u);
  EXPECT_EQ(r->x, core.table[oldRecord].x);
  EXPECT_EQ(r->y, core.table[oldRecord].y);
  EXPECT_FALSE(Sheet() == before) << "redrawn";
  EXPECT_LT(At(760, 560 + 140), 255) << "the wall now runs down through here";
  Code(TC_Undo);
  EXPECT_EQ(RecordOfTag(1)->p0, 100u) << "the old record";
  EXPECT_EQ(RecordNumberOfTag(1), oldRecord);
  EXPECT_TRUE(Sheet() == before);
}

TEST_F(SelectionTest, EditingASelectedProductKeepsItsBitmapAndPlace) {
  Furnished();
  Hover(700, 560);
  ObjectData d{};
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  d.p0 = 201;
  d.p2 = 90;
  CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->p0, 201u);
  EXPECT_EQ(r->x, 700);
  EXPECT_STREQ(NameOf(r->l0), Path("tub-2.bmp").c_str());
  EXPECT_EQ(ProductList(), (std::vector<int>{201, 0}));
}

TEST_F(SelectionTest, AnInstallationWallIsMovedAndTurnedInLayoutMode) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  const std::vector<std::uint8_t> before = Sheet();
  Hover(760, 560);
  EXPECT_EQ(Code(TC_SelectObjectToCursor), 0) << "not a product";
  EXPECT_EQ(Info().bObjAtCur, 1);
  DropAt(700, 500);
  ASSERT_EQ(core.layout.count, 2);
  EXPECT_EQ(RecordOfTag(1)->x, 700);
  EXPECT_EQ(At(700, 500), Grey(12)) << "the band at its new place";
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
  Hover(760, 560);
  Code(TC_RotateBy, 90);
  EXPECT_EQ(RecordOfTag(1)->p2, 90u);
  EXPECT_EQ(At(760, 520), Grey(12)) << "now running down";
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
}

TEST_F(SelectionTest, ANewPlacementStartsWithoutAHighlight) {
  Furnished();
  Hover(700, 560);
  Code(TC_DropCursor);
  ASSERT_EQ(Info().bObjSel, 1);
  ASSERT_EQ(Put(1, 0, 0, "basin-2.bmp"), 0);
  EXPECT_EQ(Info().bObjSel, 0);
  EXPECT_EQ(Info().iSelProdId, 0);
  EXPECT_EQ(Info().bObjAtCur, 1);
}

// The later codes: moving by an offset and turning keep the object selected, are one
// step each, and a refused change leaves the worksheet and the history exactly as they
// were; the outline comes back in client pixels only while something is selected.
TEST_F(SelectionTest, MovingByAnOffsetIsOneStepAndKeepsTheSelection) {
  Furnished();
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  Hover(700, 560);
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 2, 0, 0, 0, 0), 0) << "hovered is not selected";
  EXPECT_EQ(Serial(), serial);
  Code(TC_DropCursor);
  ASSERT_EQ(Info().bObjSel, 1);
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 20, static_cast<std::uint32_t>(-4), 0, 0, 0), 1);
  EXPECT_EQ(Serial(), serial + 1);
  const ObjectRecord* r = RecordOfTag(kDesignTagBase);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 720);
  EXPECT_EQ(r->y, 556);
  EXPECT_EQ(Info().bObjSel, 1) << "still selected for the next key";
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 2, 0, 0, 0, 0), 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, 722);
  Code(TC_Undo);
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(Serial(), serial);
}

TEST_F(SelectionTest, AMoveOrTurnIntoTheWallIsRefusedAndChangesNothing) {
  Furnished();
  Hover(700, 560);
  Code(TC_DropCursor);
  const std::vector<std::uint8_t> before = Sheet();
  const std::uint32_t serial = Serial();
  // Far into the wall and beyond the sheet.
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 0, static_cast<std::uint32_t>(-230), 0, 0, 0), 0);
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 5000, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(Serial(), serial);
  EXPECT_EQ(Info().bObjAtCur, 0) << "nothing left hanging at the pointer";
  EXPECT_EQ(Info().bObjSel, 1);
  EXPECT_EQ(Info().bRedoAvail, 0);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->x, 700);
}

TEST_F(SelectionTest, TurningByTheLaterCodeKeepsTheSelectionAndWallProductsChangeSide) {
  Room();
  Design();
  ASSERT_TRUE(Place(100, 1, 0, "basin-2.bmp", 700, 345));
  const std::uint32_t serial = Serial();
  Hover(700, 335);
  EXPECT_EQ(CallTessel(TC_TurnSelectedBy, 90, 0, 0, 0, 0), 0) << "not selected yet";
  Code(TC_DropCursor);
  ASSERT_EQ(Info().bObjSel, 1);
  EXPECT_EQ(CallTessel(TC_TurnSelectedBy, 90, 0, 0, 0, 0), 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p1 & 0xFu, 2u) << "the next side against the wall";
  EXPECT_EQ(CallTessel(TC_TurnSelectedBy, static_cast<std::uint32_t>(-90), 0, 0, 0, 0), 1);
  EXPECT_EQ(CallTessel(TC_TurnSelectedBy, static_cast<std::uint32_t>(-15), 0, 0, 0, 0), 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase)->p1 & 0xFu, 4u) << "any turn left goes a side back";
  EXPECT_EQ(Serial(), serial + 3);
  EXPECT_EQ(Info().bObjSel, 1);

  std::int32_t corners[8] = {};
  EXPECT_EQ(CallTessel(TC_GetSelectionOutline, 0, 0, 0, reinterpret_cast<long>(corners), 0), 1);
  const plat::POINT centre = CursorToClient(RecordOfTag(kDesignTagBase)->x + view.roomOriginX,
                                            RecordOfTag(kDesignTagBase)->y + view.roomOriginY);
  const int midX = (corners[0] + corners[2] + corners[4] + corners[6]) / 4;
  const int midY = (corners[1] + corners[3] + corners[5] + corners[7]) / 4;
  EXPECT_LE(std::abs(midX - centre.x), 1);
  EXPECT_LE(std::abs(midY - centre.y), 1);
  Hover(900, 500);
  Code(TC_DropCursor);
  std::int32_t none[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  EXPECT_EQ(CallTessel(TC_GetSelectionOutline, 0, 0, 0, reinterpret_cast<long>(none), 0), 0);
  EXPECT_EQ(none[0], 7) << "nothing written without a selection";
  EXPECT_EQ(CallTessel(TC_GetSelectionOutline, 0, 0, 0, 0, 0), 0);
}

TEST_F(SelectionTest, SelectingByTagIsAClickWithoutThePointer) {
  Furnished();
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 900, 450));
  Hover(900, 700);  // the floor: nothing highlighted
  ASSERT_EQ(Info().iSelProdId, 0);
  const std::vector<std::uint8_t> before = Sheet();
  const std::vector<std::uint32_t> plain = Framebuffer();
  const std::uint32_t serial = Serial();
  EXPECT_EQ(Code(TC_SelectByTag, kDesignTagBase), 1);
  EXPECT_EQ(Info().iSelProdId, 200);
  EXPECT_EQ(Info().bObjSel, 1);
  EXPECT_FALSE(Framebuffer() == plain) << "highlighted as under the pointer";
  std::int32_t corners[8] = {};
  ASSERT_EQ(CallTessel(TC_GetSelectionOutline, 0, 0, 0, reinterpret_cast<long>(corners), 0), 1);
  const plat::POINT centre = CursorToClient(RecordOfTag(kDesignTagBase)->x + view.roomOriginX,
                                            RecordOfTag(kDesignTagBase)->y + view.roomOriginY);
  EXPECT_LE(std::abs((corners[0] + corners[2] + corners[4] + corners[6]) / 4 - centre.x), 1);
  EXPECT_LE(std::abs((corners[1] + corners[3] + corners[5] + corners[7]) / 4 - centre.y), 1);

  // Another tag takes the selection over; the pointer's moves leave it fixed there.
  EXPECT_EQ(Code(TC_SelectByTag, kDesignTagBase + 1), 1);
  EXPECT_EQ(Info().iSelProdId, 100);
  Hover(700, 560);
  EXPECT_EQ(Info().iSelProdId, 100);
  // No such object, the room's walls under the furnishing, a tag beyond every list.
  EXPECT_EQ(Code(TC_SelectByTag, kDesignTagBase + 2), 0);
  EXPECT_EQ(Code(TC_SelectByTag, 0), 0);
  EXPECT_EQ(Code(TC_SelectByTag, 0xFFFFFFFFu), 0);
  EXPECT_EQ(Info().iSelProdId, 100) << "a refusal keeps the selection";
  EXPECT_EQ(Info().bObjSel, 1);
  EXPECT_TRUE(Sheet() == before);
  EXPECT_EQ(Serial(), serial);
  EXPECT_EQ(Info().bUndoAvail, 1);
  EXPECT_EQ(Info().bRedoAvail, 0);

  // The selection serves what a click's serves: the key's move reaches it.
  EXPECT_EQ(CallTessel(TC_MoveSelectedBy, 2, 0, 0, 0, 0), 1);
  EXPECT_EQ(RecordOfTag(kDesignTagBase + 1)->p0, 100u);
  EXPECT_EQ(RecordOfTag(kDesignTagBase + 1)->x, 902);
  Code(TC_Undo);
  EXPECT_TRUE(Sheet() == before);

  // What hangs at the pointer owns it: nothing is selected under it.
  ASSERT_EQ(Put(100, 0, 0, "basin-2.bmp"), 0);
  EXPECT_EQ(Code(TC_SelectByTag, kDesignTagBase), 0);
  EXPECT_EQ(Info().bObjAtCur, 1);
  Code(TC_SetSelectCursor);
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_EQ(Code(TC_SelectByTag, kDesignTagBase), 1);
}
