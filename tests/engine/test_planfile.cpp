// Plan files: the exact text written, round trips, hand-written files, damaged files
// that must leave the open plan alone, and saves that must never lose the old file.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../support/file_bytes.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/profile.h"
#include "products/products.h"
#include "work_window.h"

using namespace vrx;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Sheet() {
  return {view.sheetBits, view.sheetBits + kSheetBytes};
}

// What the open plan is, record by record.
std::string Plan() {
  std::string out;
  for (const ObjectList* list : {&core.layout, &core.design}) {
    for (int i = 0; i < list->count; ++i) {
      const ObjectRecord& r = core.table[list->entries[i]];
      out += std::string(r.kind) + " " + std::to_string(r.x) + " " + std::to_string(r.y) + " " +
             std::to_string(r.p0) + " " + std::to_string(r.p1) + " " + std::to_string(r.p2) + " " +
             std::to_string(r.l1) +
             (KindCodeOf(r.kind) == kKindProduct ? std::string(" ") + NameOf(r.l0) : "") + "\n";
    }
    out += "--\n";
  }
  return out;
}

}  // namespace

class PlanFileTest : public WorkWindowTest {
 protected:
  void SetUp() override {
    WorkWindowTest::SetUp();
    dir = fs::temp_directory_path() / ("tessel-plans-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    plat::FailFileWritesAfter(-1);
    fs::remove_all(dir);
    WorkWindowTest::TearDown();
  }
  long Load(const fs::path& p, bool design = true) {
    return CallTessel(design ? TC_LoadDesignFile : TC_LoadLayoutFile, 0, 0, 0,
                      reinterpret_cast<long>(p.c_str()), 0);
  }
  long Save(const fs::path& p, bool design = true) {
    return CallTessel(design ? TC_SaveDesignFile : TC_SaveLayoutFile, 0, 0, 0,
                      reinterpret_cast<long>(p.c_str()), 0);
  }
  // A room with a notch and an installation wall, furnished with two products.
  void BuildPlan() {
    CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
    DropAtSheet(760, 560);
    CallTessel(TC_PutWallRectangle, 100, 75, 32767, 0, 0);
    DropAtSheet(965, 380);
    CallTessel(TC_PutFreeWall, 100, 8, 30, 0, 0);
    DropAtSheet(700, 500);
    CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
    for (const char* name : {"wc-ostara-basic.bmp", "Waschtisch 60 links.bmp"}) {
      std::strcpy(products.fileName, name);
      std::memset(&core.request, 0, sizeof core.request);
      core.request.x = static_cast<std::uint16_t>(core.cursorX);
      core.request.y = static_cast<std::uint16_t>(core.cursorY);
      core.request.p0 = 4711;
      core.request.p2 = 90;
      InsertRequest("PRODUCT");
    }
    FullRedraw();
  }
  void DropAtSheet(int x, int y) {
    core.cursorX = x + view.roomOriginX;
    core.cursorY = y + view.roomOriginY;
    HideFeedback();
    ShowFeedback();
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  fs::path dir;
};

TEST_F(PlanFileTest, ADesignFileHasTheExactTextOfTheFormat) {
  BuildPlan();
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  const std::string text = Read(dir / "plan.tsd");
  EXPECT_EQ(text.rfind("[Layout]\r\ncount=3\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\r\n[Design]\r\ncount=2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("01=PRODUCT,580,380,4711,0,90,Waschtisch 60 links.bmp,0\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find(".~tmp"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "plan.tsd.~tmp"));
}

TEST_F(PlanFileTest, SaveLoadSaveGivesTheSameFileAndTheSameWorksheet) {
  BuildPlan();
  const std::vector<std::uint8_t> drawn = Sheet();
  const std::string plan = Plan();
  ASSERT_EQ(Save(dir / "a.tsd"), 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);  // loading keeps the work mode
  ASSERT_EQ(Load(dir / "a.tsd"), 0);
  EXPECT_EQ(Plan(), plan);
  EXPECT_TRUE(Sheet() == drawn);
  EXPECT_EQ(Info().bUndoAvail, 0);
  ASSERT_EQ(Save(dir / "b.tsd"), 0);
  EXPECT_EQ(Read(dir / "a.tsd"), Read(dir / "b.tsd"));
  // A layout file holds the room only; loading it empties the design.
  ASSERT_EQ(Save(dir / "room.tsd", false), 0);
  ASSERT_EQ(Load(dir / "room.tsd", false), 0);
  EXPECT_EQ(core.design.count, 0);
  EXPECT_EQ(core.layout.count, 3);
}

TEST_F(PlanFileTest, HandWrittenFilesLoadAsTheFormatSays) {
  // A room centred on the worksheet draws exactly the reviewed room scene.
  Write(dir / "room.tsd", "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n");
  ASSERT_EQ(Load(dir / "room.tsd", false), 0);
  EXPECT_EQ(walls.last, 3);
  EXPECT_EQ(Info().bWallRect, 1);
  // Keys of two digits up to 99, then three; names and keys in any case, blanks around.
  std::string text = "; written by hand\n[layout]\nCOUNT = 105\n";
  for (int i = 0; i < 105; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "%s%2.2d = USERRECT,%d,%d,%d,40,0,0,%d\n", i % 2 ? "" : " ", i,
                  i, -20, i, i);
    text += line;
  }
  Write(dir / "many.tsd", text);
  ASSERT_EQ(Load(dir / "many.tsd", false), 0);
  ASSERT_EQ(core.layout.count, 105);
  const ObjectRecord& r = core.table[core.layout.entries[100]];
  EXPECT_EQ(r.x, 220);
  EXPECT_EQ(r.y, 100);  // -20 + 120
  EXPECT_EQ(r.p0, 100u);
  EXPECT_EQ(r.l1, 100u);
  // Two commas in a row are one: the later fields move up and the last reads 0.
  Write(dir / "commas.tsd", "[Layout]\ncount=1\n00=USERRECT,,10,20,1,2,3,4,5\n[Design]\ncount=0\n");
  ASSERT_EQ(Load(dir / "commas.tsd"), 0);
  const ObjectRecord& c = core.table[core.layout.entries[0]];
  EXPECT_EQ(c.x, 130);
  EXPECT_EQ(c.p0, 1u);
  EXPECT_EQ(c.l1, 5u);
  // An empty room.
  Write(dir / "empty.tsd", "[Layout]\ncount=0\n");
  EXPECT_EQ(Load(dir / "empty.tsd", false), 0);
  EXPECT_EQ(core.layout.count, 0);
}

// A plan that went through another editor: a UTF-8 byte order mark before the first
// section, and lines ended by LF CR, by CR alone or by LF alone, loads as the plan
// written with CR LF, record for record and pixel for pixel.
TEST_F(PlanFileTest, APlanFromAnotherEditorLoadsAsTheSamePlan) {
  BuildPlan();
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  const std::string written = Read(dir / "plan.tsd");
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  const std::string plan = Plan();
  const std::vector<std::uint8_t> drawn = Sheet();
  auto withLineEnd = [&written](const std::string& end) {
    std::string out;
    for (std::size_t at = 0; at < written.size();) {
      const std::size_t crlf = written.find("\r\n", at);
      out += written.substr(at, crlf - at) + end;
      at = crlf + 2;
    }
    return out;
  };
  const std::string kMark = "\xEF\xBB\xBF";
  for (const std::string& text : {kMark + written, withLineEnd("\n\r"), kMark + withLineEnd("\n\r"),
                                  withLineEnd("\r"), withLineEnd("\n")}) {
    CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
    CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
    Write(dir / "travelled.tsd", text);
    ASSERT_EQ(Load(dir / "travelled.tsd"), 0);
    EXPECT_EQ(Plan(), plan);
    EXPECT_TRUE(Sheet() == drawn);
  }
  // The mark counts only at the very start: inside a line it is part of the key.
  Write(dir / "marked.tsd",
        "[Layout]\r\n\xEF\xBB\xBF"
        "count=0\r\n[Design]\r\ncount=0\r\n");
  EXPECT_EQ(Load(dir / "marked.tsd"), TR_NoCountKey);
}

// Lines the engine cannot draw still belong to the user's plan: they load, draw what
// they can, and a save writes every record back as it was read.
TEST_F(PlanFileTest, OddRecordsLoadAndSaveBackAsTheyWere) {
  // The same plan without the records the engine cannot draw.
  Write(dir / "known.tsd",
        "[Layout]\ncount=5\n00=WALLRECT,640,440,300,250,32767,0,0\n01=USERRECT,5000,-300,7\n"
        "02=INSTWALL,1500,-119,100,8,30\n03=USERCRCL,abc,12x,-7,,9\n"
        "04=INSTWALL,-4000,70000,800,8,45,0,0\n[Design]\ncount=0\n");
  ASSERT_EQ(Load(dir / "known.tsd"), 0);
  const std::vector<std::uint8_t> known = Sheet();
  Write(dir / "odd.tsd",
        "[Layout]\ncount=9\n"
        "00=WALLRECT,640,440,300,250,32767,0,0\n"
        "01=SOFA,10,20,1,2,3,4,5\n"  // a kind this engine does not know
        // 02 is missing
        "03=USERRECT,5000,-300,7\n"         // off the worksheet, fields missing
        "04=INSTWALL,1500,-119,100,8,30\n"  // hangs over the right edge
        "05=USERCRCL,abc,12x,-7,,9\n"       // no digits, trailing letters, an empty field
        "06=INSTWALL,-4000,70000,800,8,45,0,0\n"
        "07=,  SOFA,1,2\n"  // blanks after a leading comma
        "08=, \t,5,6\n"     // a kind of blanks alone
        "[Design]\ncount=2\n"
        "00=PRODUCT,10,10,4711,0,90,basin 1.bmp,0\n"
        "01=LAMP,1,1,1,1,1,1,1\n");
  ASSERT_EQ(Load(dir / "odd.tsd"), 0);
  ASSERT_EQ(core.layout.count, 9);
  ASSERT_EQ(core.design.count, 2);
  auto record = [](int tag) { return *RecordOfTag(tag); };
  EXPECT_STREQ(record(1).kind, "SOFA");
  EXPECT_EQ(record(1).x, 130);
  EXPECT_EQ(record(1).l1, 5u);
  EXPECT_STREQ(record(2).kind, "");
  EXPECT_EQ(record(2).x, 120);  // an empty line reads as zeros
  EXPECT_EQ(record(3).x, 5120);
  EXPECT_EQ(record(3).y, 65356);  // -180 kept in 16 bits
  EXPECT_EQ(record(3).p0, 7u);
  EXPECT_EQ(record(3).p1, 0u);
  EXPECT_EQ(record(5).x, 120);
  EXPECT_EQ(record(5).y, 132);
  EXPECT_EQ(record(5).p0, static_cast<std::uint32_t>(-7));
  EXPECT_EQ(record(5).p1, 9u);
  EXPECT_STREQ(record(7).kind, "SOFA");
  EXPECT_EQ(record(7).x, 121);
  EXPECT_STREQ(record(8).kind, "");
  EXPECT_EQ(record(8).x, 120);  // read as the empty line it is written back as
  EXPECT_STREQ(NameOf(record(kDesignTagBase).l0), "basin 1.bmp");
  EXPECT_STREQ(record(kDesignTagBase + 1).kind, "LAMP");

  // What it cannot place draws nothing; the installation walls off the sheet are
  // drawn where the sheet can hold them, as their tool places them (the sanitizers
  // watch the worksheet's bounds).
  const std::vector<std::uint8_t> drawn = Sheet();
  EXPECT_TRUE(drawn == known);
  ASSERT_EQ(Save(dir / "again.tsd"), 0);
  const std::string saved = Read(dir / "again.tsd");
  EXPECT_NE(
      saved.find("\r\n01=SOFA,10,20,1,2,3,4,5\r\n02=\r\n03=USERRECT,5000,65236,7,0,0,0,0\r\n"),
      std::string::npos)
      << saved;
  EXPECT_NE(saved.find("\r\n07=SOFA,1,2,0,0,0,0,0\r\n08=\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\r\n01=LAMP,1,1,1,1,1,1,1\r\n"), std::string::npos) << saved;
  const std::string plan = Plan();
  ASSERT_EQ(Load(dir / "again.tsd"), 0);
  EXPECT_EQ(Plan(), plan);
  EXPECT_TRUE(Sheet() == drawn);
  ASSERT_EQ(Save(dir / "third.tsd"), 0);
  EXPECT_EQ(Read(dir / "third.tsd"), saved);
}

// Opening a full plan while a full plan is open: the table holds 1024 records, both
// plans 1022 each, so the open one must make way once the file has been checked.
TEST_F(PlanFileTest, AFullPlanOpensOverAFullPlan) {
  std::string layout = "[Layout]\ncount=511\n", design = "[Design]\ncount=511\n";
  char key[8];
  for (int i = 0; i < 511; ++i) {
    std::snprintf(key, sizeof key, "%2.2d", i);
    layout += std::string(key) + "=USERRECT,10,10,1,1,1,1,1\n";
    design += std::string(key) + "=USERCRCL,20,20,2,2,2,2,2\n";
  }
  Write(dir / "full.tsd", layout + design);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(Load(dir / "full.tsd"), 0) << round;
    ASSERT_EQ(core.layout.count, 511);
    ASSERT_EQ(core.design.count, 511);
    int inUse = 0;
    for (const ObjectRecord& r : core.table) inUse += r.useCount >= 1;
    EXPECT_EQ(inUse, 1022);
  }
}

TEST_F(PlanFileTest, RecordsAreWrittenRelativeToTheFormatsOrigin) {
  std::memset(&core.request, 0, sizeof core.request);
  core.request.x = static_cast<std::uint16_t>(100 + view.roomOriginX);
  core.request.y = static_cast<std::uint16_t>(100 + view.roomOriginY);
  core.request.p2 = static_cast<std::uint32_t>(-5);
  InsertRequest("USERCRCL");
  ASSERT_EQ(Save(dir / "p.tsd", false), 0);
  EXPECT_EQ(Read(dir / "p.tsd"), "[Layout]\r\ncount=1\r\n00=USERCRCL,-20,-20,0,0,-5,0,0\r\n");
}

// A file whose counts are missing or beyond the lists is refused with a clear result,
// and the open plan stays as it was, drawing and all.
TEST_F(PlanFileTest, DamagedFilesLeaveTheOpenPlanAlone) {
  BuildPlan();
  const std::string plan = Plan();
  const std::vector<std::uint8_t> drawn = Sheet();
  const int serial = Info().iSerial;
  const struct {
    const char* name;
    std::string text;
    long result;
  } cases[] = {
      {"no layout", "[Design]\ncount=0\n", TR_NoCountKey},
      {"no count", "[Layout]\n00=USERRECT,1,1,1,1,1,1,1\n", TR_NoCountKey},
      {"count 32767", "[Layout]\ncount=32767\n", TR_NoCountKey},
      {"count too big", "[Layout]\ncount=512\n", TR_NoCountKey},
      {"count 600", "[Layout]\ncount=600\n[Design]\ncount=0\n", TR_NoCountKey},
      {"design count 600", "[Layout]\ncount=0\n[Design]\ncount=600\n", TR_NoCountKey},
      {"negative count", "[Layout]\ncount=-3\n[Design]\ncount=0\n", TR_NoCountKey},
      {"empty count", "[Layout]\ncount=\n", TR_NoCountKey},
      {"no design count", "[Layout]\ncount=0\n", TR_NoCountKey},
      {"empty file", "", TR_NoCountKey},
      {"binary", std::string("\0\x01\xff[\x80]\n=\n\0\0", 12), TR_NoCountKey},
      {"long line",
       "[Layout]\ncount=1\n00=USERRECT,10,10,1,1,1,1,1" + std::string(100000, '7') +
           "\n[Design]\ncount=0\n",
       TR_Done},
  };
  for (const auto& c : cases) {
    Write(dir / "bad.tsd", c.text);
    const long r = Load(dir / "bad.tsd");
    EXPECT_EQ(r, c.result) << c.name;
    if (r != TR_Done) {
      EXPECT_EQ(Plan(), plan) << c.name;
      EXPECT_TRUE(Sheet() == drawn) << c.name;
      EXPECT_EQ(Info().iSerial, serial) << c.name;
    }
  }
  EXPECT_EQ(Load(dir / "missing.tsd"), TR_FileUnreadable);
  EXPECT_EQ(Load(dir), TR_FileUnreadable);  // a folder
}

// Random damage to a real plan file: whatever comes of it loads or is refused, the
// lists are always sound afterwards, and what loads redraws and saves back unchanged.
TEST_F(PlanFileTest, RandomlyDamagedFilesNeverBreakTheEngine) {
  BuildPlan();
  ASSERT_EQ(Save(dir / "good.tsd"), 0);
  const std::string good = Read(dir / "good.tsd");
  std::mt19937 rng(17);
  int loaded = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string text = good;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = rng() % text.size();
      switch (rng() % 5) {
        case 0:
          text[at] = static_cast<char>(rng());
          break;
        case 1:
          text.erase(at, 1 + rng() % 20);
          break;
        case 2:
          text.insert(at, std::string(1 + rng() % 4, ",=[]\n-9"[rng() % 7]));
          break;
        case 3:
          text.insert(at, text.substr(rng() % text.size(), 30));
          break;
        default:
          text.resize(at);
          break;
      }
    }
    const long r = LoadPlanText(text.data(), text.size(), true);
    ASSERT_TRUE(r == TR_Done || r == TR_NoCountKey) << r;
    loaded += r == TR_Done;
    for (const ObjectList* list : {&core.layout, &core.design}) {
      ASSERT_LE(list->count, kMaxListEntries);
      for (int i = 0; i < list->count; ++i) ASSERT_GE(core.table[list->entries[i]].useCount, 1);
    }
    if (r != TR_Done) continue;
    ClearHistory();
    RecordState();
    FullRedraw();
    // What was loaded saves back, and the saved text loads as the same plan.
    const std::string plan = Plan(), saved = SavePlanText(true);
    ASSERT_EQ(LoadPlanText(saved.data(), saved.size(), true), TR_Done) << saved;
    ASSERT_EQ(Plan(), plan);
    ASSERT_EQ(SavePlanText(true), saved);
  }
  EXPECT_GT(loaded, 0);
}

// The sample plans, and inputs that once broke the reader or the replay.
TEST_F(PlanFileTest, EveryKeptPlanLoadsOrIsRefusedAndRedraws) {
  for (const auto& entry : fs::directory_iterator(fs::path(TESSEL_TEST_DATA) / "plans")) {
    const std::string text = Read(entry.path());
    const long r = LoadPlanText(text.data(), text.size(), true);
    EXPECT_TRUE(r == TR_Done || r == TR_NoCountKey) << entry.path();
    if (r == TR_Done) {
      ClearHistory();
      RecordState();
      FullRedraw();
    }
  }
}

TEST_F(PlanFileTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
  BuildPlan();
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  const std::string before = Read(dir / "plan.tsd");
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);  // the plan changes; the file must not
  plat::FailFileWritesAfter(100);
  EXPECT_EQ(Save(dir / "plan.tsd"), TR_SaveFailed);
  plat::FailFileWritesAfter(-1);
  EXPECT_EQ(Read(dir / "plan.tsd"), before);
  EXPECT_FALSE(fs::exists(dir / "plan.tsd.~tmp"));
  EXPECT_EQ(Save(dir / "no such folder" / "plan.tsd"), TR_SaveFailed);
  fs::create_directories(dir / "taken.tsd");
  EXPECT_EQ(Save(dir / "taken.tsd"), TR_SaveFailed);
  EXPECT_TRUE(fs::is_directory(dir / "taken.tsd"));
  // And a save that works replaces the file whole.
  EXPECT_EQ(Save(dir / "plan.tsd"), 0);
  EXPECT_NE(Read(dir / "plan.tsd"), before);
}

TEST(Profile, LookUpFollowsTheProfileRules) {
  const std::string text =
      "[Plan]\r\n  Name = \"Bad oben\"  \r\nsize=  "
      "-12abc\r\nsize=99\r\nempty=\r\n[plan]\r\nname=second\r\n"
      "junk line\r\n[Other]\r\nx=1";
  const plat::Profile p = plat::Profile::Parse(text.data(), text.size());
  char buf[8];
  EXPECT_EQ(p.GetString("PLAN", "name", "", buf, sizeof buf), 7u);
  EXPECT_STREQ(buf, "Bad obe");  // quotes gone, cut to the buffer
  EXPECT_EQ(p.GetInt("plan", "SIZE", 5), -12);
  EXPECT_EQ(p.GetInt("plan", "empty", 5), 5);
  EXPECT_EQ(p.GetInt("plan", "none", 5), 5);
  EXPECT_EQ(p.GetInt("other", "x", 0), 1);
  EXPECT_FALSE(p.HasSection("Layout"));
  plat::Profile q;
  q.SetString("A", "k", "1");
  q.SetString("B", "k", "2");
  q.SetString("a", "K", "3");
  EXPECT_EQ(q.Serialize(), "[A]\r\nk=3\r\n[B]\r\nk=2\r\n");
}
