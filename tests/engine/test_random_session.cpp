// A model-based random session: seeded sequences of what a user can do in the work
// window (place every kind, hover, press, drag, release on a free or a refused place,
// Esc, undo, redo, delete, turn, edit, switch modes, remove all products, start a new
// plan, save, open, dimension lines, zoom), all through CallTessel with a real work
// window, and after every step the rules that must always hold: no record twice in
// the lists, every listed record alive and counted right, the drawn products and the
// program's counts agreeing with the lists, installation walls counting exactly the
// products mounted on them, a lifted object missing from the plan only while it hangs
// at the pointer, and what a save wrote coming back whole on opening it.
//
// The test list runs twelve seeds of 800 steps and three full-plan sessions of 600
// steps. For a longer hunt:
//   TESSEL_RANDOM_SEEDS=200 TESSEL_RANDOM_STEPS=3000 engine_tests --gtest_filter='Random*'
// (TESSEL_RANDOM_FIRST_SEED picks where the seeds start; TESSEL_RANDOM_FULL_TABLE=1 starts
// every session from lists filled almost to the brim, so moves meet a full table.)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "persistence/persistence.h"
#include "product_fixture.h"

using namespace vrx;

namespace {

// Seeds and steps of the part the test list runs.
constexpr int kFixedSeeds = 12;
constexpr int kFixedSteps = 800;
// And of the part that starts from a full plan.
constexpr int kFixedFullTableSeeds = 3;
constexpr int kFixedFullTableSteps = 600;
// Products are kept below the drawn-product slots, so every product of the plan is
// drawn and the drawn list can be checked entry by entry.
constexpr int kMaxSessionProducts = 40;
// The kind of the records that fill the lists for the full-table sessions: the engine
// keeps records of kinds it does not know, and draws nothing for them.
constexpr const char* kFiller = "FILLER";
// Design records of those sessions: one place is left in the list.
constexpr int kFillerDesign = kMaxListEntries - 1;
// A dropped shape or free-standing product stands this close to the pointer at most
// (half the largest outline, plus the pull back onto the worksheet).
constexpr int kDropReach = 160;

int EnvNumber(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

// One record as a plan file keeps it: kind, place, parameters and a product's file
// name. The installation walls' counts are derived from the plan and compared apart.
struct Content {
  std::string kind;
  int x, y;
  std::uint32_t p0, p1, p2;
  std::string l0;
  std::uint32_t l1;
  bool operator==(const Content& o) const {
    return kind == o.kind && x == o.x && y == o.y && p0 == o.p0 && p1 == o.p1 && p2 == o.p2 &&
           l0 == o.l0;
  }
};

std::ostream& operator<<(std::ostream& out, const Content& c) {
  return out << c.kind << "@" << c.x << "," << c.y << "/" << c.p0 << "," << c.p1 << "," << c.p2
             << "," << c.l0 << "," << c.l1;
}

struct Plan {
  std::vector<Content> layout, design;
  bool operator==(const Plan& o) const { return layout == o.layout && design == o.design; }
  std::size_t Size() const { return layout.size() + design.size(); }
};

std::ostream& operator<<(std::ostream& out, const Plan& p) {
  out << "layout:";
  for (const Content& c : p.layout) out << " " << c;
  out << " design:";
  for (const Content& c : p.design) out << " " << c;
  return out;
}

Content ContentOf(const ObjectRecord& r) {
  Content c{
      std::string(r.kind, strnlen(r.kind, kKindNameSize)), r.x, r.y, r.p0, r.p1, r.p2, "", r.l1};
  if (KindCodeOf(r.kind) == kKindProduct) {
    const char* name = NameOf(r.l0);
    c.l0 = name ? name : "";
  } else {
    c.l0 = std::to_string(r.l0);
  }
  return c;
}

Plan CurrentPlan() {
  Plan p;
  for (int i = 0; i < core.layout.count; ++i)
    p.layout.push_back(ContentOf(core.table[core.layout.entries[i]]));
  for (int i = 0; i < core.design.count; ++i)
    p.design.push_back(ContentOf(core.table[core.design.entries[i]]));
  return p;
}

// Whether `shorter` is `longer` with exactly one entry taken out.
bool OneTakenOut(const std::vector<Content>& longer, const std::vector<Content>& shorter) {
  if (longer.size() != shorter.size() + 1) return false;
  std::size_t i = 0;
  while (i < shorter.size() && longer[i] == shorter[i]) ++i;
  return std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(i), shorter.end(),
                    longer.begin() + static_cast<std::ptrdiff_t>(i) + 1);
}

bool WallMounted(const Content& c) {
  return (c.p1 & 0xFu) != 0;
}

}  // namespace

class RandomSessionTest : public ProductTest {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    Bitmap("basin-3.bmp", 61, 40, BasinPixel);
    Bitmap("tub-3.bmp", 160, 90, TubPixel);
  }

  // The client pixel the program reports, as its mouse handlers pass it.
  void Point(int cx, int cy, unsigned buttons) {
    plat::SetCursorPos(kLeft + cx, kTop + cy);
    pointerSheetX = (cx - (view.rulerWidth + kWidth) / 2) * 100 / view.zoom + view.centerX;
    pointerSheetY = (cy - (view.rulerWidth + kHeight) / 2) * 100 / view.zoom + view.centerY;
    CallTessel(TC_CursorPosition, static_cast<unsigned>(cx), static_cast<unsigned>(cy), buttons, 0,
               0);
  }
  // A client pixel: often over something that can be hit, now and then beside an
  // installation wall (where products are mounted), else anywhere in the window.
  void Aim(int* cx, int* cy) {
    auto at = [&](int x, int y) {
      *cx = std::clamp((x - view.centerX) * view.zoom / 100 + (view.rulerWidth + kWidth) / 2, 0,
                       kWidth - 1);
      *cy = std::clamp((y - view.centerY) * view.zoom / 100 + (view.rulerWidth + kHeight) / 2, 0,
                       kHeight - 1);
    };
    if (Chance(15)) {
      std::vector<int> instWalls;
      for (int i = 0; i <= walls.last; ++i)
        if (walls.segments[i].kind == SEG_INSTWALL) instWalls.push_back(i);
      if (!instWalls.empty()) {
        const WallSegment& s = walls.segments[instWalls[Below(static_cast<int>(instWalls.size()))]];
        at((s.x1 + s.x2) / 2 + Below(61) - 30, (s.y1 + s.y2) / 2 + Below(61) - 30);
        return;
      }
    }
    if (HitAreaCount() > 0 && Chance(50)) {
      const HitArea* a = HitAreaAt(Below(HitAreaCount()));
      at((a->minX + a->maxX) / 2 + Below(7) - 3, (a->minY + a->maxY) / 2 + Below(7) - 3);
      return;
    }
    *cx = Below(kWidth);
    *cy = Below(kHeight);
  }
  void PointSomewhere(unsigned buttons) {
    int cx, cy;
    Aim(&cx, &cy);
    Point(cx, cy, buttons);
  }

  int Below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  long Code(unsigned short code, unsigned w0 = 0, unsigned w1 = 0, unsigned w2 = 0, long l0 = 0) {
    return CallTessel(code, w0, w1, w2, l0, 0);
  }

  int ProductsInPlan() const {
    int n = 0;
    for (const ObjectList* list : {&core.layout, &core.design})
      for (int i = 0; i < list->count; ++i)
        n += KindCodeOf(core.table[list->entries[i]].kind) == kKindProduct;
    return n;
  }

  // Starts placing one object of a random kind, with parameters a dialog could give.
  void StartPlacement() {
    const bool design = InDesignMode();
    switch (Below(design ? 9 : 8)) {
      case 0:
        Code(TC_PutWallRectangle, 40 + Below(200), 30 + Below(150), Chance(70) ? 32767 : Below(80));
        break;
      case 1:
        if (!design)
          Code(Chance(50) ? TC_PutDiagonalCorner : TC_PutRoundCorner, 20 + Below(60),
               20 + Below(60));
        break;
      case 2:
        Code(TC_PutDoor, 60 + Below(40), 90, Chance(70) ? 32767 : Below(100),
             static_cast<long>(Below(4)));
        break;
      case 3:
        Code(TC_PutWindow, 50 + Below(100), 90, 32767);
        break;
      case 4:
        Code(TC_PutFreeWall, 40 + Below(100), 5 + Below(10),
             Chance(60) ? 90 * Below(4) : Below(180));
        break;
      case 5:
        Code(TC_PutUserRect, 15 + Below(50), 15 + Below(40), Chance(60) ? 0 : Below(90));
        break;
      case 6:
        Code(TC_PutUserCircle, 15 + Below(40));
        break;
      default:
        if (design && ProductsInPlan() < kMaxSessionProducts) {
          const char* names[] = {"basin-1.bmp", "tub-1.bmp"};
          const std::string path = Path(names[Below(2)]);
          const unsigned angles[] = {0, 30, 90, 180, 270};
          CallTessel(TC_PutProduct, nextProduct++, static_cast<unsigned>(Below(8)),
                     angles[Below(5)], reinterpret_cast<long>(path.c_str()), 0);
        }
        break;
    }
  }

  // An edit through the object record, as the program's property windows make it, or a
  // record naming no placing kind, which must start nothing.
  void EditThroughObjectData() {
    ObjectData d{};
    if (Chance(30)) {
      const int codes[] = {1, 2, 13, 14, 15, 16, 17, 19, 20, 25, 30, 35, 36, 37, 40, 41, 42, 99};
      d.iKindCode = codes[Below(18)];
      d.l0 = Below(4096);
      d.p0 = Below(100);
      Code(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d));
      return;
    }
    Code(TC_GetObjectData, 0, 0, 0, reinterpret_cast<long>(&d));
    if (d.iSelection <= 0) return;
    if (d.iKindCode == kKindProduct)
      d.p2 = Chance(50) ? 0 : 90;
    else
      d.p0 = std::max(15, d.p0 + Below(21) - 10);
    Code(TC_SetObjectData, 0, 0, 0, reinterpret_cast<long>(&d));
  }

  // --- The rules after every step -----------------------------------------------------

  void ExpectSound(const char* action) {
    SCOPED_TRACE(action);
    // No record twice, every listed record alive, use counts exact.
    std::vector<int> seen(kMaxRecords, 0);
    for (const ObjectList* list : {&core.layout, &core.design}) {
      ASSERT_LE(list->count, kMaxListEntries);
      for (int i = 0; i < list->count; ++i) {
        const int r = list->entries[i];
        ASSERT_LT(r, kMaxRecords);
        ASSERT_EQ(seen[r]++, 0) << "record " << r << " is listed twice";
        ASSERT_GE(core.table[r].useCount, 1) << "record " << r << " is listed but free";
        if (std::strcmp(core.table[r].kind, kFiller) != 0) {
          ASSERT_NE(KindCodeOf(core.table[r].kind), kKindUnknown) << "record " << r;
        }
      }
    }
    const std::vector<int> holders = HoldersOfRecords();
    for (int r = 0; r < kMaxRecords; ++r)
      ASSERT_EQ(std::max<int>(core.table[r].useCount, 0), holders[r]) << "record " << r;

    // Product numbers are given once each: a number twice is a record doubled.
    std::map<std::uint32_t, int> numbers;
    const Plan plan = CurrentPlan();
    for (const auto* list : {&plan.layout, &plan.design})
      for (const Content& c : *list)
        if (c.kind == "PRODUCT") {
          ASSERT_EQ(numbers[c.p0]++, 0) << "product " << c.p0 << " twice";
        }

    const EngineInfo info = Info();
    ASSERT_EQ(info.iCountDesignItems, core.design.count);
    ASSERT_EQ(info.bObjAtCur != 0, pointer.trackDraw != nullptr);
    if (!info.bObjAtCur) {
      ASSERT_FALSE(pointer.moving || pointer.dragging);
    }

    // The drawn products are the plan's products in drawing order; a wall-mounted one may
    // be missing when no wall is long enough for it.
    std::vector<const Content*> drawnPlan;
    for (const Content& c : plan.layout)
      if (c.kind == "PRODUCT") drawnPlan.push_back(&c);
    if (InDesignMode())
      for (const Content& c : plan.design)
        if (c.kind == "PRODUCT") drawnPlan.push_back(&c);
    const std::vector<int> drawn = ProductList();
    std::size_t j = 0;
    int mountedDrawn = 0;
    for (const Content* c : drawnPlan) {
      if (j + 1 < drawn.size() && static_cast<std::uint32_t>(drawn[j]) == c->p0) {
        ++j;
        mountedDrawn += WallMounted(*c);
        continue;
      }
      ASSERT_TRUE(WallMounted(*c)) << "free-standing product " << c->p0 << " is not drawn\n"
                                   << plan << "\ndrawn: " << ::testing::PrintToString(drawn);
    }
    ASSERT_EQ(j + 1, drawn.size()) << "the drawn list holds products the plan does not";

    // Installation walls count the products mounted on them now, and a redraw that
    // changes nothing keeps every count.
    std::int64_t counted = 0;
    std::vector<std::uint32_t> counts;
    for (const ObjectList* list : {&core.layout, &core.design})
      for (int i = 0; i < list->count; ++i) {
        const ObjectRecord& r = core.table[list->entries[i]];
        if (KindCodeOf(r.kind) != kKindInstWall) continue;
        const auto n = static_cast<std::int32_t>(r.l1);
        ASSERT_GE(n, 0) << "installation wall count";
        counted += n;
        counts.push_back(r.l1);
      }
    ASSERT_LE(counted, mountedDrawn) << "installation walls count more products than stand";

    // While an object is lifted the plan lacks exactly it; otherwise the plan is what
    // the next step starts from.
    if (pointer.moving) {
      ASSERT_TRUE((plan.layout == committed.layout && OneTakenOut(committed.design, plan.design)) ||
                  (plan.design == committed.design && OneTakenOut(committed.layout, plan.layout)))
          << "a lifted object must be missing alone\nbefore: " << committed << "\nnow:    " << plan;
    } else {
      committed = plan;
    }
  }

  // With TESSEL_RANDOM_FULL_TABLE set, a session starts from a plan whose lists are
  // filled almost to the brim: the room's list with records that draw nothing, the
  // furnishing with small circles that can be hit, lifted and moved. A few moves or
  // turns then take the last free records, and the moves after them meet a full table.
  void FillTable() {
    const ObjectRecord& room = core.table[core.layout.entries[0]];
    char line[128];
    std::string text = "[Layout]\ncount=" + std::to_string(kMaxListEntries) + "\n";
    std::snprintf(line, sizeof line, "00=WALLRECT,%d,%d,%u,%u,%u,0,0\n", room.x - 120, room.y - 120,
                  room.p0, room.p1, room.p2);
    text += line;
    for (int i = 1; i < kMaxListEntries; ++i) {
      std::snprintf(line, sizeof line, "%2.2d=%s,0,0,0,0,0,0,0\n", i, kFiller);
      text += line;
    }
    text += "[Design]\ncount=" + std::to_string(kFillerDesign) + "\n";
    for (int i = 0; i < kFillerDesign; ++i) {
      // A grid of circles inside the room (460 to 1060 by 310 to 810).
      std::snprintf(line, sizeof line, "%2.2d=USERCRCL,%d,%d,3,0,0,0,0\n", i,
                    475 + (i % 26) * 22 - 120, 325 + (i / 26) * 22 - 120);
      text += line;
    }
    WriteFile(dir / "full.tsd", std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::string file = Path("full.tsd");
    ASSERT_EQ(Code(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(file.c_str())), 0);
    Code(TC_SetDesignMode);
  }

  // --- One session -----------------------------------------------------------------------

  void Session(unsigned seed, int steps, bool full) {
    rng.seed(seed);
    nextProduct = 1000;
    saved.clear();
    committed = CurrentPlan();
    Room();
    fullTable = full;
    if (fullTable) FillTable();
    ExpectSound("room");
    for (int step = 0; step < steps; ++step) {
      std::ostringstream what;
      what << "seed " << seed << " step " << step << ": ";
      Step(what);
      ExpectSound(what.str().c_str());
      // The first broken rule tells; what follows from it only repeats it.
      if (HasFailure()) return;
    }
  }

  void Step(std::ostringstream& what) {
    const Plan before = committed;
    const bool wasMoving = pointer.moving;
    int choice = Below(100);
    // A full-table session stays with its full plan: it does not leave design mode,
    // start a new plan or open another one.
    if (fullTable &&
        ((choice >= 84 && choice < 88) || choice == 90 || (choice >= 94 && choice < 96)))
      choice = 30;
    if (choice < 14) {
      what << "put";
      SCOPED_TRACE(what.str());
      StartPlacement();
    } else if (choice < 30) {
      what << "hover";
      SCOPED_TRACE(what.str());
      PointSomewhere(pointer.buttons & 1u);
    } else if (choice < 36) {
      what << "press";
      SCOPED_TRACE(what.str());
      PointSomewhere(1);
    } else if (choice < 44) {
      what << "drag";
      SCOPED_TRACE(what.str());
      PointSomewhere(1);
      PointSomewhere(1);
    } else if (choice < 56) {
      // The button goes up: the program reports the release, then the next move.
      what << "release";
      SCOPED_TRACE(what.str());
      Code(TC_DropCursor);
      if (wasMoving && !pointer.moving) {
        ExpectDroppedAtPointer(before);
        PointSomewhere(0);
      } else {
        PointSomewhere(0);
        if (wasMoving && !pointer.moving) ExpectDroppedAtPointer(before);
      }
    } else if (choice < 62) {
      what << "click";
      SCOPED_TRACE(what.str());
      Code(TC_DropCursor);
      if (wasMoving && !pointer.moving) ExpectDroppedAtPointer(before);
    } else if (choice < 66) {
      what << "esc";
      SCOPED_TRACE(what.str());
      Code(TC_SetSelectCursor);
      EXPECT_EQ(CurrentPlan(), before) << "Esc puts a lifted object back where it was";
    } else if (choice < 71) {
      what << "undo";
      SCOPED_TRACE(what.str());
      Code(TC_Undo);
    } else if (choice < 75) {
      what << "redo";
      SCOPED_TRACE(what.str());
      Code(TC_Redo);
    } else if (choice < 78) {
      what << "delete";
      SCOPED_TRACE(what.str());
      Code(TC_DeleteSelectedObject);
    } else if (choice < 81) {
      what << "turn";
      SCOPED_TRACE(what.str());
      if (Chance(50))
        Code(TC_RotateBy, Chance(50) ? 90u : static_cast<unsigned>(-15));
      else
        Code(TC_RotateTo, static_cast<unsigned>(Below(360)));
      // Turned where its new outline is refused, it hangs at the pointer to be placed.
      if (!wasMoving && !pointer.moving) {
        EXPECT_EQ(CurrentPlan().Size(), before.Size()) << "turning keeps the object";
      }
    } else if (choice < 84) {
      what << "edit";
      SCOPED_TRACE(what.str());
      EditThroughObjectData();
      if (!wasMoving && !pointer.trackDraw) {
        EXPECT_EQ(CurrentPlan().Size(), before.Size()) << "an edit keeps the object";
      }
    } else if (choice < 88) {
      const unsigned short codes[] = {TC_ToggleWorkMode, TC_SetLayoutMode, TC_SetDesignMode};
      const unsigned short code = codes[Below(3)];
      what << "mode " << code;
      SCOPED_TRACE(what.str());
      const bool design = InDesignMode();
      Code(code);
      ExpectNothingHangs();
      const bool leaves = design && (code == TC_ToggleWorkMode || code == TC_SetLayoutMode);
      Plan want = before;
      if (leaves) want.design.clear();
      EXPECT_TRUE(SameRecords(CurrentPlan(), want))
          << "before: " << before << "\nnow: " << CurrentPlan();
    } else if (choice < 90) {
      what << "remove all";
      SCOPED_TRACE(what.str());
      Code(TC_ClearDesign);
      ExpectNothingHangs();
      Plan want = before;
      std::erase_if(want.design, [](const Content& c) { return c.kind == "PRODUCT"; });
      EXPECT_TRUE(SameRecords(CurrentPlan(), want))
          << "before: " << before << "\nnow: " << CurrentPlan();
    } else if (choice < 91) {
      what << "new";
      SCOPED_TRACE(what.str());
      Code(TC_NewLayout);
      ExpectNothingHangs();
      EXPECT_EQ(CurrentPlan().Size(), 0u);
      if (Chance(70)) {
        Room();
      }
    } else if (choice < 94) {
      const bool design = Chance(70);
      const std::string file = Path(Chance(50) ? "a.tsd" : "b.tsd");
      what << "save " << file << (design ? " design" : " layout");
      SCOPED_TRACE(what.str());
      ASSERT_EQ(Code(design ? TC_SaveDesignFile : TC_SaveLayoutFile, 0, 0, 0,
                     reinterpret_cast<long>(file.c_str())),
                0);
      // A save while an object hangs lifted keeps it where it stood.
      Plan want = before;
      if (!design) want.design.clear();
      saved[file] = Saved{want, design, InDesignMode()};
    } else if (choice < 96) {
      if (saved.empty()) return;
      auto it = saved.begin();
      std::advance(it, Below(static_cast<int>(saved.size())));
      const bool design = Chance(70);
      what << "open " << it->first << (design ? " design" : " layout");
      SCOPED_TRACE(what.str());
      const long result = Code(design ? TC_LoadDesignFile : TC_LoadLayoutFile, 0, 0, 0,
                               reinterpret_cast<long>(it->first.c_str()));
      ExpectNothingHangs();
      if (design && !it->second.design) {
        EXPECT_EQ(result, TR_NoCountKey);
        EXPECT_TRUE(SameRecords(CurrentPlan(), before));
      } else {
        EXPECT_EQ(result, 0);
        Plan want = it->second.plan;
        if (!design) want.design.clear();
        const Plan now = CurrentPlan();
        EXPECT_TRUE(SameRecords(now, want)) << "saved: " << want << "\nopened: " << now;
        // The counts of the walls come back as they were saved.
        if (design && it->second.inDesignMode == InDesignMode()) {
          for (std::size_t i = 0; i < now.layout.size() && i < want.layout.size(); ++i)
            EXPECT_EQ(now.layout[i].l1, want.layout[i].l1) << now.layout[i];
        }
      }
    } else if (choice < 98) {
      what << "dimension lines";
      SCOPED_TRACE(what.str());
      Code(TC_ToggleMeasurement);
      ExpectNothingHangs();
      EXPECT_TRUE(SameRecords(CurrentPlan(), before));
    } else {
      const int zooms[] = {50, 100, 200, 400};
      const int zoom = zooms[Below(4)];
      what << "zoom " << zoom;
      SCOPED_TRACE(what.str());
      Code(TC_AdjustWindowBuffer, static_cast<unsigned>(759 + Below(201) - 100),
           static_cast<unsigned>(559 + Below(201) - 100), static_cast<unsigned>(zoom));
    }
  }

  // Records alike apart from the walls' counts, which the redraw works out.
  static bool SameRecords(const Plan& a, const Plan& b) { return a == b; }

  void ExpectNothingHangs() {
    EXPECT_EQ(Info().bObjAtCur, 0) << "the command leaves nothing at the pointer";
    EXPECT_FALSE(pointer.moving);
  }

  // A move that ended with a drop keeps the object in the plan, and puts it where the
  // pointer is (for the kinds that stand where they are dropped).
  void ExpectDroppedAtPointer(const Plan& before) {
    const Plan now = CurrentPlan();
    ASSERT_EQ(now.Size(), before.Size())
        << "a move lost its object\nbefore: " << before << "\nnow: " << now;
    if (now == before) return;  // put back: the move could not be completed
    const ObjectList* list = core.current;
    if (list->count == 0) return;
    const Content moved = ContentOf(core.table[list->entries[list->count - 1]]);
    const bool standsAtDrop = moved.kind == "USERRECT" || moved.kind == "USERCRCL" ||
                              (moved.kind == "PRODUCT" && !WallMounted(moved));
    if (!standsAtDrop) return;
    const int px = std::clamp(pointerSheetX, 0, kSheetWidth - 1);
    const int py = std::clamp(pointerSheetY, 0, kSheetHeight - 1);
    EXPECT_LE(std::abs(moved.x - px), kDropReach)
        << moved << " dropped away from the pointer at " << px << "," << py;
    EXPECT_LE(std::abs(moved.y - py), kDropReach)
        << moved << " dropped away from the pointer at " << px << "," << py;
  }

  static constexpr int kWidth = 600, kHeight = 400;

  struct Saved {
    Plan plan;
    bool design;
    bool inDesignMode;  // the walls' counts depend on whether the furnishing is drawn
  };
  void Sessions(int seeds, int steps, int first, bool full);

  std::mt19937 rng;
  bool fullTable = false;
  unsigned nextProduct = 1000;
  int pointerSheetX = 0, pointerSheetY = 0;
  Plan committed;
  std::map<std::string, Saved> saved;
};

// Every session runs from a freshly loaded engine.
void RandomSessionTest::Sessions(int seeds, int steps, int first, bool full) {
  for (int seed = first; seed < first + seeds; ++seed) {
    if (seed != first) {
      TearDown();
      SetUp();
    }
    Session(static_cast<unsigned>(seed), steps, full);
    if (HasFailure()) return;
  }
}

TEST_F(RandomSessionTest, RandomSessionsKeepThePlanWhole) {
  Sessions(EnvNumber("TESSEL_RANDOM_SEEDS", kFixedSeeds),
           EnvNumber("TESSEL_RANDOM_STEPS", kFixedSteps), EnvNumber("TESSEL_RANDOM_FIRST_SEED", 1),
           EnvNumber("TESSEL_RANDOM_FULL_TABLE", 0) != 0);
}

// The same on lists filled almost to the brim, where moves soon meet a full table.
TEST_F(RandomSessionTest, RandomSessionsOnAFullTableKeepThePlanWhole) {
  Sessions(kFixedFullTableSeeds, kFixedFullTableSteps, 1, true);
}
