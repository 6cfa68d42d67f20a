// The object table and its lists: allocation, tags, use counts and copy on write.
#include <cstdlib>

#include "engine_fixture.h"
#include "products/products.h"

using namespace vrx;

namespace {

// Use counts as the lists and the pinned history states say they must be.
void ExpectConsistentUseCounts() {
  const std::vector<int> holders = HoldersOfRecords();
  for (int r = 0; r < kMaxRecords; ++r) {
    // A record only a list holds counts 1 whether or not a state also held it once.
    if (holders[r] == 0)
      EXPECT_LT(core.table[r].useCount, 1) << "record " << r;
    else
      EXPECT_GE(core.table[r].useCount, 1) << "record " << r;
  }
}

}  // namespace

TEST_F(EngineTest, TheFiveHundredTwelfthInsertionIsRefused) {
  for (int i = 0; i < kMaxListEntries; ++i)
    ASSERT_EQ(Insert("USERRECT", static_cast<std::uint32_t>(i)), i);
  const std::uint32_t serial = history.serial;
  EXPECT_EQ(Insert("USERRECT"), -1);
  EXPECT_EQ(core.layout.count, kMaxListEntries);
  EXPECT_EQ(history.serial, serial) << "a refused insertion records nothing";
  core.current = &core.design;
  EXPECT_EQ(Insert("PRODUCT"), kDesignTagBase) << "the other list still takes objects";
  EXPECT_EQ(Info().iCountDesignItems, 1);
}

TEST_F(EngineTest, AFullTableRefusesWithoutTouchingRecordsInUse) {
  for (int r = 0; r < kMaxRecords; ++r) {
    std::strcpy(core.table[r].kind, "USERRECT");
    core.table[r].useCount = 2;
    core.table[r].p0 = static_cast<std::uint32_t>(r);
  }
  EXPECT_EQ(Insert("USERCRCL", 999), -1);
  EXPECT_EQ(core.layout.count, 0);
  for (int r = 0; r < kMaxRecords; ++r) {
    EXPECT_STREQ(core.table[r].kind, "USERRECT");
    EXPECT_EQ(core.table[r].p0, static_cast<std::uint32_t>(r));
  }
}

TEST_F(EngineTest, TagsArePositionsAndShiftWhenAnEntryGoes) {
  for (std::uint32_t i = 0; i < 6; ++i) Insert("USERRECT", 100 + i);
  EXPECT_EQ(RecordOfTag(4)->p0, 104u);
  ASSERT_TRUE(RemoveTag(3));
  EXPECT_EQ(RecordOfTag(3)->p0, 104u);
  EXPECT_EQ(RecordOfTag(5), nullptr);
  EXPECT_EQ(RecordOfTag(-1), nullptr);
  EXPECT_EQ(RecordOfTag(kDesignTagBase), nullptr) << "the design list is empty";
  EXPECT_FALSE(RemoveTag(kDesignTagBase));
  core.selectedTag = kDesignTagBase;
  pointer.selected = true;
  ObjectData d{1, 1, 1, 1, 1, 1, 1};
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  EXPECT_EQ(d.iKindCode, 0);
  EXPECT_EQ(d.iSelection, 0);
  EXPECT_EQ(d.l1, 0);
}

TEST_F(EngineTest, InsertionStoresWorksheetPixelsAndKeepsTheBlockInRoomCoordinates) {
  // The room origin is (-40, -40) while there are no walls.
  const int tag = Insert("WALLRECT", 300);
  const ObjectRecord* r = RecordOfTag(tag);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->x, 140);
  EXPECT_EQ(r->y, 120);
  EXPECT_EQ(r->useCount, 2) << "the list and the state just recorded";
  EXPECT_EQ(core.request.x, 100);
  EXPECT_EQ(KindCodeOf(r->kind), kKindWallRect);
  EXPECT_EQ(Info().iSerial, 34);
  EXPECT_EQ(Info().bUndoAvail, 1);
}

TEST_F(EngineTest, ReplayInsertsNothing) {
  core.replayMode = true;
  core.replayTag = 7;
  EXPECT_EQ(Insert("USERRECT"), 7);
  core.replayMode = false;
  EXPECT_EQ(core.layout.count, 0);
}

TEST_F(EngineTest, CopyOnWriteKeepsTheOldRecordForTheHistory) {
  Insert("USERRECT", 120);
  const int before = RecordNumberOfTag(0);
  ObjectRecord* copy = ReplaceRecordOfTag(0);
  ASSERT_NE(copy, nullptr);
  copy->p0 = 200;
  const int after = RecordNumberOfTag(0);
  EXPECT_NE(after, before);
  EXPECT_EQ(core.table[before].p0, 120u);
  EXPECT_GE(core.table[before].useCount, 1) << "the recorded state still holds it";
  RecordState();
  UndoStep();
  EXPECT_EQ(RecordOfTag(0)->p0, 120u);
  RedoStep();
  EXPECT_EQ(RecordOfTag(0)->p0, 200u);
  ExpectConsistentUseCounts();
}

TEST_F(EngineTest, ProductCopiesOwnTheirFileNames) {
  core.current = &core.design;
  std::strcpy(products.fileName, "images/wc.bmp");
  const int tag = Insert("PRODUCT", 31);
  const ObjectRecord* r = RecordOfTag(tag);
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(NameOf(r->l0), "images/wc.bmp");
  ObjectRecord* copy = ReplaceRecordOfTag(tag);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->l0, r->l0);
  EXPECT_STREQ(NameOf(copy->l0), "images/wc.bmp");
}

TEST_F(EngineTest, UseCountsFollowListsAndStatesThroughARandomSession) {
  std::srand(7);
  for (int step = 0; step < 400; ++step) {
    const int op = std::rand() % 5;
    switch (op) {
      case 0:
      case 1:
        Insert(std::rand() % 2 ? "USERRECT" : "PRODUCT", static_cast<std::uint32_t>(step));
        break;
      case 2:
        UndoStep();
        break;
      case 3:
        RedoStep();
        break;
      default:
        if (core.layout.count) {
          RemoveTag(std::rand() % core.layout.count);
          RecordState();
        }
        break;
    }
    ExpectConsistentUseCounts();
    if (HasFailure()) FAIL() << "after step " << step;
  }
}

TEST_F(EngineTest, GetObjectDataMirrorsTheSelectedRecord) {
  Insert("USERRECT", 150);
  ObjectRecord* r = RecordOfTag(0);
  r->p1 = 60;
  r->p2 = 45;
  r->l1 = 3;
  core.selectedTag = 0;
  pointer.selected = true;
  ObjectData d{};
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  EXPECT_EQ(d.iKindCode, kKindUserRect);
  EXPECT_EQ(d.p0, 150);
  EXPECT_EQ(d.p1, 60);
  EXPECT_EQ(d.p2, 45);
  EXPECT_EQ(d.iSelection, 1);
  EXPECT_EQ(d.l1, 3);
  core.selectedTag = -1;  // nothing highlighted
  CallTessel(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0);
  EXPECT_EQ(d.iKindCode, 0);
}

TEST_F(EngineTest, SetObjectDataWithoutSelectionStartsAPlacementOfThatKind) {
  static ObjectRecord started;
  HandlerTable()[kKindUserRect] = [](const CallArgs&) {
    started = core.request;
    return 0L;
  };
  ObjectData d{kKindUserRect, 80, 40, 15, 0, 0, 0};
  EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0), 0);
  EXPECT_EQ(started.p0, 80u);
  EXPECT_EQ(started.p1, 40u);
  EXPECT_EQ(started.p2, 15u);
  d.iSelection = 300;  // names no record: ignored
  EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d), 0), 0);
  EXPECT_EQ(core.layout.count, 0);
}
