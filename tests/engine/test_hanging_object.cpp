// What hangs at the pointer never leaks into the plan: commands that replace or
// rebuild the plan end a placement or a move first, a drop that was refused is taken
// again only where the pointer is, a move that cannot be completed leaves the object
// where it was, installation walls count what stands on them now, and an object record
// handed in by the program starts only a placement.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "product_fixture.h"

using namespace vrx;

namespace {

// A record as a plan file keeps it, for comparing plans.
std::string Plan() {
  std::string out;
  for (const ObjectList* list : {&core.layout, &core.design}) {
    for (int i = 0; i < list->count; ++i) {
      const ObjectRecord& r = core.table[list->entries[i]];
      char line[160];
      const char* name = KindCodeOf(r.kind) == kKindProduct ? NameOf(r.l0) : "";
      std::snprintf(line, sizeof line, "%s@%d,%d/%u,%u,%u;", r.kind, r.x, r.y, r.p0, r.p1, r.p2);
      out += line;
      out += name ? name : "";
    }
    out += "|";
  }
  return out;
}

// The key of a list position in a plan file.
std::string Key(int position) {
  char key[16];
  std::snprintf(key, sizeof key, "%2.2d", position);
  return key;
}

// The line of a plan file under a key, without its key.
std::string LineOfKey(const std::string& file, const std::string& section, const std::string& key) {
  std::ifstream in(file);
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') current = line;
    if (current == "[" + section + "]" && line.rfind(key + "=", 0) == 0)
      return line.substr(key.size() + 1);
  }
  return {};
}

}  // namespace

class HangingObjectTest : public ProductTest {
 protected:
  // The client pixel of a worksheet pixel at the view of now.
  int ClientX(int x) const {
    return (x - view.centerX) * view.zoom / 100 + (view.rulerWidth + 600) / 2;
  }
  int ClientY(int y) const {
    return (y - view.centerY) * view.zoom / 100 + (view.rulerWidth + 400) / 2;
  }
  // A mouse move as the program reports it: the client pixel in x and y.
  void ProgramMove(int x, int y, unsigned buttons) {
    const int cx = ClientX(x), cy = ClientY(y);
    plat::SetCursorPos(kLeft + cx, kTop + cy);
    CallTessel(TC_CursorPosition, static_cast<unsigned>(cx), static_cast<unsigned>(cy), buttons, 0,
               0);
  }
  // A room in design mode with a tub (200) at (700, 560) and a basin (300) at (900, 560).
  void Furnished() {
    Room();
    Design();
    ASSERT_TRUE(Place(200, 0, 0, "tub-2.bmp", 700, 560));
    ASSERT_TRUE(Place(300, 0, 0, "basin-2.bmp", 900, 560));
  }
  // Drags the basin onto the tub and lets go there: the drop is refused (red outline),
  // and the basin keeps hanging with the move open.
  void RefusedRelease() {
    ProgramMove(901, 561, 0);
    ProgramMove(900, 560, 0);
    ProgramMove(902, 560, 1);
    ASSERT_TRUE(pointer.dragging);
    ProgramMove(720, 560, 1);
    ASSERT_FALSE(pointer.dropAllowed);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
    ASSERT_TRUE(pointer.moving);
    ASSERT_EQ(Info().bObjAtCur, 1);
  }
  void ExpectNothingHangs() {
    EXPECT_EQ(Info().bObjAtCur, 0);
    EXPECT_FALSE(pointer.moving);
    EXPECT_FALSE(pointer.dragging);
  }
};

// Every command that rebuilds the plan from its lists puts the lifted basin back
// first, and the rebuild then draws each record once.
TEST_F(HangingObjectTest, CommandsThatRebuildThePlanEndAMoveFirst) {
  for (unsigned short code : {TC_ToggleMeasurement, TC_SetDesignMode, TC_ClearDesign,
                              TC_ToggleWorkMode, TC_SetLayoutMode}) {
    SCOPED_TRACE(code);
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    Furnished();
    const std::string before = Plan();
    RefusedRelease();
    CallTessel(code, 0, 0, 0, 0, 0);
    ExpectNothingHangs();
    switch (code) {
      case TC_ToggleMeasurement:
      case TC_SetDesignMode:
        EXPECT_EQ(Plan(), before);
        EXPECT_EQ(ProductList(), (std::vector<int>{200, 300, 0}));
        break;
      case TC_ClearDesign:
        EXPECT_EQ(core.design.count, 0) << "every product removed";
        EXPECT_EQ(ProductList(), std::vector<int>{0});
        break;
      default:  // leaving design mode discards the furnishing
        EXPECT_EQ(core.layout.count, 1) << "the room alone, no second wall rectangle";
        EXPECT_EQ(core.design.count, 0);
        break;
    }
    EXPECT_EQ(core.layout.count, 1);
    if (HasFailure()) return;
  }
}

TEST_F(HangingObjectTest, OpeningAPlanEndsAMoveAndShowsThatPlanAlone) {
  Room();
  CallTessel(TC_PutUserRect, 40, 20, 0, 0, 0);
  DropAt(600, 700);
  const std::string planB = Path("b.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(planB.c_str()), 0), 0);
  const std::string saved = Plan();
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Furnished();
  RefusedRelease();
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(planB.c_str()), 0), 0);
  ExpectNothingHangs();
  EXPECT_EQ(Plan(), saved);
  EXPECT_EQ(ProductList(), std::vector<int>{0});
  // The layout alone, too.
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Furnished();
  RefusedRelease();
  ASSERT_EQ(CallTessel(TC_LoadLayoutFile, 0, 0, 0, reinterpret_cast<long>(planB.c_str()), 0), 0);
  ExpectNothingHangs();
  EXPECT_EQ(Plan(), saved);
}

// A save while the basin hangs lifted writes the plan with the basin where it stood.
TEST_F(HangingObjectTest, ASaveDuringAMoveKeepsTheLiftedObject) {
  Furnished();
  const std::string before = Plan();
  RefusedRelease();
  const std::string file = Path("moving.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  EXPECT_EQ(Info().bObjAtCur, 1) << "the move goes on";
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  EXPECT_EQ(Plan(), before);
}

TEST_F(HangingObjectTest, NewAbandonsAPlacementAndAMove) {
  Room();
  CallTessel(TC_PutUserRect, 40, 20, 0, 0, 0);
  MoveTo(600, 700);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  ExpectNothingHangs();
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.layout.count, 0) << "no zeroed record stored by the click after New";
  EXPECT_EQ(core.design.count, 0);

  Furnished();
  RefusedRelease();
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  ExpectNothingHangs();
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  MoveTo(640, 500);
  EXPECT_EQ(core.layout.count + core.design.count, 0);
}

// After a refused release the next move with the button up ends the drag where the
// pointer is, judged like any drop; the program's client pixels are not worksheet ones.
TEST_F(HangingObjectTest, AfterARefusedReleaseTheObjectLandsWhereThePointerIs) {
  Furnished();
  RefusedRelease();
  ProgramMove(850, 600, 0);
  ExpectNothingHangs();
  ASSERT_EQ(core.design.count, 2);
  const ObjectRecord* basin = RecordOfTag(kDesignTagBase + 1);
  EXPECT_EQ(basin->p0, 300u);
  EXPECT_EQ(basin->x, 850);
  EXPECT_EQ(basin->y, 600);

  // Released over the tub again and moved on over it: refused, it keeps hanging until a
  // free place is clicked.
  ProgramMove(851, 601, 0);
  ProgramMove(850, 600, 0);
  ProgramMove(852, 600, 1);
  ASSERT_TRUE(pointer.dragging);
  ProgramMove(720, 560, 1);
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  ProgramMove(710, 566, 0);
  EXPECT_EQ(Info().bObjAtCur, 1) << "still over the tub: refused";
  EXPECT_EQ(core.design.count, 1);
  ProgramMove(900, 700, 0);
  EXPECT_EQ(Info().bObjAtCur, 1) << "a move alone does not drop it";
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  ExpectNothingHangs();
  ASSERT_EQ(core.design.count, 2);
  EXPECT_EQ(RecordOfTag(kDesignTagBase + 1)->x, 900);
  EXPECT_EQ(RecordOfTag(kDesignTagBase + 1)->y, 700);
}

// With every record of the table taken, the move's drop finds no record for the object
// at its new place: the object stays where it was and the plan is unchanged.
TEST_F(HangingObjectTest, AMoveThatCannotBeCompletedLeavesTheObjectWhereItWas) {
  Room();
  Design();
  ASSERT_TRUE(Place(200, 0, 0, "tub-2.bmp", 700, 560));
  // Fill both lists to the brim through a plan file, with records that draw nothing.
  std::string text = "[Layout]\ncount=511\n";
  const ObjectRecord& room = core.table[core.layout.entries[0]];
  char line[128];
  std::snprintf(line, sizeof line, "00=WALLRECT,%d,%d,%u,%u,%u,0,0\n", room.x - 120, room.y - 120,
                room.p0, room.p1, room.p2);
  text += line;
  for (int i = 1; i < kMaxListEntries; ++i) text += Key(i) + "=FILLER,0,0,0,0,0,0,0\n";
  text += "[Design]\ncount=511\n";
  const ObjectRecord& tub = core.table[core.design.entries[0]];
  std::snprintf(line, sizeof line, "00=PRODUCT,%d,%d,200,0,0,%s,0\n", tub.x - 120, tub.y - 120,
                Path("tub-2.bmp").c_str());
  text += line;
  for (int i = 1; i < kMaxListEntries; ++i) text += Key(i) + "=FILLER,0,0,0,0,0,0,0\n";
  const std::string file = Path("full.tsd");
  WriteFile(dir / "full.tsd", std::vector<std::uint8_t>(text.begin(), text.end()));
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  ASSERT_EQ(core.layout.count + core.design.count, 2 * kMaxListEntries);
  // A few turns of the tub, each keeping its old record for undo, take the rest.
  auto freeRecords = [] {
    int n = 0;
    for (const ObjectRecord& r : core.table) n += r.useCount < 1;
    return n;
  };
  for (int turn = 0; turn < 8 && freeRecords() > 0; ++turn) {
    MoveTo(701, 561);
    MoveTo(700, 560);
    CallTessel(TC_RotateBy, 180, 0, 0, 0, 0);
  }
  ASSERT_EQ(freeRecords(), 0);
  const std::string before = Plan();
  const int serial = Info().iSerial;
  MoveTo(701, 561);
  MoveTo(700, 560);
  MoveTo(702, 560, 1);
  ASSERT_TRUE(pointer.dragging);
  MoveTo(900, 700, 1);
  MoveTo(902, 700, 0);
  ExpectNothingHangs();
  EXPECT_TRUE(Plan() == before) << "the tub stays where it was";
  ASSERT_EQ(core.design.count, kMaxListEntries);
  EXPECT_EQ(RecordOfTag(kDesignTagBase + kMaxListEntries - 1)->p0, 200u) << "turned last";
  EXPECT_EQ(Info().iSerial, serial);
  EXPECT_EQ(ProductList(), (std::vector<int>{200, 0}));
}

// The count of an installation wall is the number of products standing on it now.
TEST_F(HangingObjectTest, AnInstallationWallCountsTheProductsOnItNow) {
  Room();
  CallTessel(TC_PutFreeWall, 100, 8, 0, 0, 0);
  DropAt(760, 560);
  Design();
  auto count = [] { return static_cast<std::int32_t>(RecordOfTag(1)->l1); };
  ASSERT_TRUE(Place(300, 1, 0, "basin-2.bmp", 760, 600));
  EXPECT_EQ(count(), 1);
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  CallTessel(TC_ToggleMeasurement, 0, 0, 0, 0, 0);
  EXPECT_EQ(count(), 1) << "a redraw counts it once again from nothing";
  ASSERT_TRUE(Place(301, 1, 0, "basin-2.bmp", 660, 600));
  EXPECT_EQ(count(), 2);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_EQ(count(), 1);
  CallTessel(TC_Redo, 0, 0, 0, 0, 0);
  EXPECT_EQ(count(), 2);
  const std::string file = Path("walls.tsd");
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  ASSERT_EQ(CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  EXPECT_EQ(count(), 2);
  ASSERT_EQ(CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str()), 0), 0);
  const std::string wall = LineOfKey(file, "Layout", "01");
  EXPECT_EQ(wall.substr(wall.rfind(',')), ",2") << wall;
  MoveTo(761, 593);
  MoveTo(760, 592);
  ASSERT_EQ(Info().iSelProdId, 300);
  CallTessel(TC_DeleteSelectedObject, 0, 0, 0, 0, 0);
  EXPECT_EQ(count(), 1);
  CallTessel(TC_SetLayoutMode, 0, 0, 0, 0, 0);
  EXPECT_EQ(count(), 0);
}

// Only the placing kinds are started from an object record; its 32-bit fields never
// become an address. A kind that reads a file name or a record would take one.
TEST_F(HangingObjectTest, AnObjectRecordStartsOnlyAPlacement) {
  Furnished();
  const std::string before = Plan();
  const int serial = Info().iSerial;
  for (int kind : {13, 14, 15, 16, 25, 35, 36, 37, 41, 1, 2, 19, 20, 22, 30, 42, 0, 11, 99, -1}) {
    SCOPED_TRACE(kind);
    ObjectData d{kind, 1, 2, 3, 0, 8, 0};
    EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0), 0);
    EXPECT_EQ(Info().bObjAtCur, 0);
  }
  EXPECT_EQ(Plan(), before);
  EXPECT_EQ(Info().iSerial, serial);
  // A product record names its picture by the number of the name kept for it.
  ObjectData d{};
  MoveTo(901, 561);
  MoveTo(900, 560);
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  ASSERT_EQ(d.iKindCode, kKindProduct);
  d.iSelection = 0;
  d.p0 = 301;
  EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0), 0);
  EXPECT_EQ(Info().bObjAtCur, 1) << "a new basin hangs at the pointer";
  DropAt(900, 700);
  EXPECT_EQ(ProductList(), (std::vector<int>{200, 300, 301, 0}));
}
