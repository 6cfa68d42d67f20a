// Undo, redo and the work modes: the ring of states, what each state brings back, and
// the use counts that keep records alive while a state still holds them.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "persistence/persistence.h"

using namespace vrx;

namespace {

// What a state shows: the kind and position of every entry of both lists.
std::string Contents() {
  std::string out;
  for (const ObjectList* list : {&core.layout, &core.design}) {
    for (int i = 0; i < list->count; ++i) {
      const ObjectRecord& r = core.table[list->entries[i]];
      out += std::string(r.kind) + "@" + std::to_string(r.x) + "," + std::to_string(r.y) + "/" +
             std::to_string(r.p0) + ";";
    }
    out += "|";
  }
  return out;
}

// Use counts must equal the holders exactly.
void ExpectUseCountsMatchHolders() {
  const std::vector<int> holders = HoldersOfRecords();
  for (int r = 0; r < kMaxRecords; ++r) {
    const int count = core.table[r].useCount < 0 ? 0 : core.table[r].useCount;
    ASSERT_EQ(count, holders[r]) << "record " << r;
  }
}

int PlacedCount() {
  return core.layout.count + core.design.count;
}

}  // namespace

class HistoryTest : public EngineTest {};

TEST_F(HistoryTest, StartUpHoldsOneStateWithNothingToUndoOrRedo) {
  const EngineInfo info = Info();
  EXPECT_EQ(info.iSerial, 33);
  EXPECT_EQ(info.bUndoAvail, 0);
  EXPECT_EQ(info.bRedoAvail, 0);
}

TEST_F(HistoryTest, UndoAndRedoStepThroughPlacements) {
  Insert("USERRECT", 1);
  EngineInfo info = Info();
  EXPECT_EQ(info.iSerial, 34);
  EXPECT_EQ(info.bUndoAvail, 1);
  EXPECT_EQ(info.bRedoAvail, 0);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.layout.count, 0);
  info = Info();
  EXPECT_EQ(info.bUndoAvail, 0);
  EXPECT_EQ(info.bRedoAvail, 1);
  CallTessel(TC_Redo, 0, 0, 0, 0, 0);
  EXPECT_EQ(core.layout.count, 1);
  EXPECT_EQ(Info().bRedoAvail, 0);
  // At the ends nothing changes, and both still answer 0.
  EXPECT_EQ(CallTessel(TC_Redo, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(core.layout.count, 1);
}

TEST_F(HistoryTest, ANewPlacementAfterUndoDropsTheRedoBranch) {
  Insert("USERRECT", 1);
  Insert("USERRECT", 2);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_EQ(Info().bRedoAvail, 1);
  Insert("USERRECT", 3);
  EXPECT_EQ(Info().bRedoAvail, 0);
  CallTessel(TC_Redo, 0, 0, 0, 0, 0);
  ASSERT_EQ(core.layout.count, 2);
  EXPECT_EQ(core.table[core.layout.entries[1]].p0, 3u);
  ExpectUseCountsMatchHolders();
}

// After two undos the state two steps ahead still carries its old stamp; a new
// placement must not let redo jump back into the branch it replaced.
TEST_F(HistoryTest, ANewPlacementAfterSeveralUndosOffersNoRedoIntoTheOldBranch) {
  Insert("USERRECT", 1);
  Insert("USERRECT", 2);
  Insert("USERRECT", 3);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  Insert("USERCRCL", 4);
  EXPECT_EQ(Info().bRedoAvail, 0);
  CallTessel(TC_Redo, 0, 0, 0, 0, 0);
  ASSERT_EQ(core.layout.count, 2);
  EXPECT_EQ(core.table[core.layout.entries[1]].p0, 4u);
  ExpectUseCountsMatchHolders();
}

TEST_F(HistoryTest, TheRingWrapsAfterThirtyTwoStatesAndFreesWhatNoStateHolds) {
  for (int i = 0; i < 40; ++i) Insert("USERRECT", static_cast<std::uint32_t>(i));
  int undone = 0;
  while (Info().bUndoAvail) {
    CallTessel(TC_Undo, 0, 0, 0, 0, 0);
    ++undone;
  }
  EXPECT_EQ(undone, 31);
  EXPECT_EQ(core.layout.count, 40 - 31);
  // Every placement lives in some list or state: nothing was freed yet.
  ExpectUseCountsMatchHolders();
  // A new placement drops the 31 redo states; the records only they held fall free.
  Insert("USERRECT", 99);
  ExpectUseCountsMatchHolders();
  int inUse = 0;
  for (const ObjectRecord& r : core.table) inUse += r.useCount >= 1;
  EXPECT_EQ(inUse, 10);
}

TEST_F(HistoryTest, ThirtyThreeInsertionsKeepExactlyTheHeldRecords) {
  std::vector<int> records;
  for (int i = 0; i < 33; ++i) {
    Insert("USERRECT", static_cast<std::uint32_t>(i));
    records.push_back(core.layout.entries[core.layout.count - 1]);
  }
  // Remove everything: each record is now held only by the states that still list it.
  core.layout.count = 0;
  RecordState();
  ExpectUseCountsMatchHolders();
  // The oldest state that still exists lists the first records; none of those may be
  // free while it does.
  for (int r : records) {
    bool held = false;
    for (const HistorySlot& slot : history.ring)
      for (int i = 0; slot.pinned && i < slot.layout.count; ++i)
        held |= slot.layout.entries[i] == r;
    EXPECT_EQ(core.table[r].useCount >= 1, held) << "record " << r;
  }
}

TEST_F(HistoryTest, ModeSwitchesDimOnceEachAndLeavingDesignDiscardsIt) {
  Insert("USERRECT", 1);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  EXPECT_TRUE(InDesignMode());
  EXPECT_EQ(Info().bUndoAvail, 0);  // the history starts afresh
  const int serial = Info().iSerial;
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);  // already: nothing recorded
  EXPECT_EQ(Info().iSerial, serial);
  // The paper is dimmed exactly once.
  const std::uint8_t paper = vrx::view.dimMap[255];
  EXPECT_EQ(vrx::SheetPixel(700, 500), paper);
  Insert("PRODUCT", 2);
  EXPECT_EQ(core.design.count, 1);
  CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
  EXPECT_FALSE(InDesignMode());
  EXPECT_EQ(core.design.count, 0);
  EXPECT_EQ(Info().bUndoAvail, 1);  // toggling keeps the earlier states
  CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
  EXPECT_TRUE(InDesignMode());
  EXPECT_EQ(vrx::SheetPixel(700, 500), paper);
  CallTessel(TC_SetLayoutMode, 0, 0, 0, 0, 0);
  EXPECT_FALSE(InDesignMode());
  EXPECT_EQ(Info().bUndoAvail, 0);
  ExpectUseCountsMatchHolders();
}

TEST_F(HistoryTest, ClearDesignRecordsTheUnchangedPlanThenThePlanWithoutProducts) {
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  Insert("PRODUCT", 1);
  Insert("USERCRCL", 2);
  Insert("PRODUCT", 3);
  const std::string furnished = Contents();
  CallTessel(TC_ClearDesign, 0, 0, 0, 0, 0);
  ASSERT_EQ(core.design.count, 1);
  EXPECT_EQ(KindCodeOf(core.table[core.design.entries[0]].kind), kKindUserCircle);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_EQ(Contents(), furnished);
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  EXPECT_EQ(Contents(), furnished);  // the identical earlier state
  ExpectUseCountsMatchHolders();
}

TEST_F(HistoryTest, NewLayoutEmptiesThePlanAndItsHistory) {
  Insert("USERRECT", 1);
  Insert("USERRECT", 2);
  const int serial = Info().iSerial;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  EXPECT_EQ(PlacedCount(), 0);
  const EngineInfo info = Info();
  EXPECT_EQ(info.iSerial, serial + 33);
  EXPECT_EQ(info.bUndoAvail, 0);
  EXPECT_EQ(info.bRedoAvail, 0);
  ExpectUseCountsMatchHolders();
  for (const ObjectRecord& r : core.table) EXPECT_LT(r.useCount, 1);
}

// A long random session: after every step the use counts must match the holders, and
// whenever undo or redo lands on a state, the plan must read exactly as it did when
// that state was recorded (a record freed and reused under a live state shows here).
TEST_F(HistoryTest, ARandomSessionAlwaysComesBackToWhatEachStateShowed) {
  std::srand(11);
  std::map<std::uint32_t, std::string> shown;  // serial of a state -> its contents
  auto remember = [&] { shown[history.serial - 1] = Contents(); };
  remember();
  for (int step = 0; step < 1500; ++step) {
    const int op = std::rand() % 10;
    if (op < 4) {
      const char* kinds[] = {"USERRECT", "PRODUCT", "USERCRCL", "INSTWALL"};
      if (Insert(kinds[std::rand() % 4], static_cast<std::uint32_t>(step)) >= 0) remember();
    } else if (op < 6) {
      const bool could = Info().bUndoAvail;
      CallTessel(TC_Undo, 0, 0, 0, 0, 0);
      if (could) {
        ASSERT_EQ(Contents(), shown[history.serial - 1]) << "undo at step " << step;
      }
    } else if (op < 8) {
      const bool could = Info().bRedoAvail;
      CallTessel(TC_Redo, 0, 0, 0, 0, 0);
      if (could) {
        ASSERT_EQ(Contents(), shown[history.serial - 1]) << "redo at step " << step;
      }
    } else if (op == 8) {
      CallTessel(TC_ToggleWorkMode, 0, 0, 0, 0, 0);
      if (!InDesignMode()) remember();
    } else {
      CallTessel(std::rand() % 2 ? TC_SetLayoutMode : TC_SetDesignMode, 0, 0, 0, 0, 0);
      remember();
    }
    ExpectUseCountsMatchHolders();
    if (HasFatalFailure()) FAIL() << "after step " << step;
  }
}
