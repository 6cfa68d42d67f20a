// Files the engine reads and writes, as a user's disk may hold them: a FIFO or a
// device where a plan or a picture should be, a file far too large to be a plan,
// links planted beside a plan or standing for it, private plans, and picture folders
// whose names hold commas. Every case goes through the C entry.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/file_bytes.h"
#include "platform/profile.h"
#include "product_fixture.h"

using namespace vrx;
namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
  return st.st_mode & 07777;
}

// A test that would wait forever on a FIFO ends the suite instead of hanging it.
class Deadline {
 public:
  explicit Deadline(unsigned seconds) { ::alarm(seconds); }
  ~Deadline() { ::alarm(0); }
};
constexpr unsigned kNeverWaits = 20;

}  // namespace

class FileTest : public ProductTest {
 protected:
  void TearDown() override {
    ::unsetenv("VRX232_TRACE");
    ProductTest::TearDown();
  }
  long Load(const fs::path& p) {
    return CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(p.c_str()), 0);
  }
  long Save(const fs::path& p) {
    return CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(p.c_str()), 0);
  }
  // A room with one product in it, saved as `p`.
  void SavedPlan(const fs::path& p) {
    Room();
    Design();
    ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 700, 500));
    ASSERT_EQ(Save(p), 0);
  }
  std::string Tracing() {
    const std::string trace = Path("trace.txt");
    ::unlink(trace.c_str());
    ::setenv("VRX232_TRACE", trace.c_str(), 1);
    return trace;
  }
  // The names in the plan's folder, so that no temporary file is left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(FileTest, APlanThatIsAFifoOrADeviceIsRefusedAtOnce) {
  SavedPlan(dir / "plan.tsd");
  const int serial = Info().iSerial;
  ASSERT_EQ(::mkfifo((dir / "fifo.tsd").c_str(), 0600), 0);
  const std::string trace = Tracing();
  {
    Deadline deadline(kNeverWaits);
    EXPECT_EQ(Load(dir / "fifo.tsd"), TR_FileUnreadable);
    EXPECT_EQ(Load("/dev/zero"), TR_FileUnreadable);
    EXPECT_EQ(Load("/dev/null"), TR_FileUnreadable);
  }
  EXPECT_EQ(core.design.count, 1);
  EXPECT_EQ(Info().iSerial, serial);
  EXPECT_NE(Read(trace).find("fifo.tsd is not a regular file"), std::string::npos) << Read(trace);
}

TEST_F(FileTest, APictureThatIsAFifoIsRefusedAtOnceWhereverItIsRead) {
  ASSERT_EQ(::mkfifo((dir / "pipe-2.bmp").c_str(), 0600), 0);
  Room();
  Design();
  const std::string trace = Tracing();
  Deadline deadline(kNeverWaits);
  // Placing it: nothing hangs at the pointer.
  EXPECT_EQ(Put(7, 0, 0, "pipe-2.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_NE(Read(trace).find("Can't use BMP for product: not a regular file"), std::string::npos)
      << Read(trace);
  // And a plan naming it opens, its other product drawn.
  ASSERT_TRUE(Place(100, 0, 0, "basin-2.bmp", 700, 500));
  InsertProduct(Path("pipe-2.bmp"), 7, 900, 700);
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 0}));
  EXPECT_EQ(core.design.count, 2);  // kept, to be saved again
}

TEST_F(FileTest, AFileTooLargeToBeAPlanIsRefusedBeforeItIsRead) {
  SavedPlan(dir / "plan.tsd");
  const std::string plan = Read(dir / "plan.tsd");
  const int serial = Info().iSerial;
  // Empty sections beyond the largest plan there can be: refused as unreadable, not
  // parsed and then found without a count.
  std::string sections;
  while (sections.size() <= static_cast<std::size_t>(kMaxPlanFileBytes)) sections += "[]\r\n";
  Write(dir / "sections.tsd", sections);
  // And a sparse file of 100 MB, which costs the disk nothing.
  { std::ofstream(dir / "huge.tsd") << "[Layout]\r\ncount=0\r\n"; }
  fs::resize_file(dir / "huge.tsd", 100u << 20);
  const std::string trace = Tracing();
  EXPECT_EQ(Load(dir / "sections.tsd"), TR_FileUnreadable);
  EXPECT_EQ(Load(dir / "huge.tsd"), TR_FileUnreadable);
  EXPECT_EQ(Info().iSerial, serial);
  EXPECT_EQ(core.design.count, 1);
  const std::string said = Read(trace);
  EXPECT_NE(said.find("huge.tsd has 104857600 bytes"), std::string::npos) << said;
  EXPECT_NE(said.find(std::to_string(sections.size()) + " bytes"), std::string::npos) << said;
  // Within the limit, whatever else a file holds is passed over: the plan in it opens.
  std::string padded = "; kept by hand\r\n";
  for (int i = 0; i < 20000; ++i) padded += "[s" + std::to_string(i) + "]\r\nx=1\r\n";
  Write(dir / "padded.tsd", padded + plan);
  ASSERT_LT(fs::file_size(dir / "padded.tsd"), static_cast<std::uintmax_t>(kMaxPlanFileBytes));
  EXPECT_EQ(Load(dir / "padded.tsd"), 0);
  EXPECT_EQ(core.design.count, 1);
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 0}));
}

TEST_F(FileTest, AHugePictureIsRefusedAtOnce) {
  std::vector<std::uint8_t> header = EightBitBmp(4, 4, [](int, int) { return std::uint8_t{9}; });
  WriteFile(dir / "huge-2.bmp", header);
  fs::resize_file(dir / "huge-2.bmp", static_cast<std::uintmax_t>(kMaxProductFileBytes) + 1);
  Room();
  Design();
  const std::string trace = Tracing();
  EXPECT_EQ(Put(7, 0, 0, "huge-2.bmp"), 0);
  EXPECT_EQ(Info().bObjAtCur, 0);
  EXPECT_NE(Read(trace).find("file too large for a product bitmap"), std::string::npos)
      << Read(trace);
}

TEST_F(FileTest, ASaveNeverWritesThroughALinkPlantedBesideThePlan) {
  const fs::path victim = dir / "victim.txt";
  Write(victim, "mine");
  SavedPlan(dir / "plan.tsd");
  // Links at the names a save could think of using: the old fixed one, and what a
  // guess at a temporary name would look like.
  for (const char* name : {"plan.tsd.~tmp", ".plan.tsd.~tmp", ".plan.tsd.~XXXXXXXX"})
    fs::create_symlink(victim, dir / name);
  const std::vector<std::string> before = Names();
  CallTessel(TC_Undo, 0, 0, 0, 0, 0);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  EXPECT_TRUE(Read(victim) == "mine");  // compared whole, not printed
  EXPECT_FALSE(fs::is_symlink(dir / "plan.tsd"));
  EXPECT_EQ(Names(), before);  // no temporary file left, no link touched
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  EXPECT_EQ(core.design.count, 0);
}

TEST_F(FileTest, AnExportNeverWritesThroughALinkPlantedBesideIt) {
  const fs::path victim = dir / "victim.txt";
  Write(victim, "mine");
  Room();
  fs::create_symlink(victim, dir / "plan.bmp.~tmp");
  const fs::path out = dir / "plan.bmp";
  ASSERT_EQ(CallTessel(TC_WorkSheetToBMP, 0, 0, 0, reinterpret_cast<long>(out.c_str()), 0), 0);
  EXPECT_TRUE(Read(victim) == "mine");  // compared whole, not printed
  EXPECT_EQ(Read(out).substr(0, 2), "BM");
}

TEST_F(FileTest, APlanOpenedThroughALinkIsSavedToTheFileItNames) {
  fs::create_directories(dir / "real");
  SavedPlan(dir / "real" / "plan.tsd");
  fs::create_symlink("real/plan.tsd", dir / "link.tsd");  // relative, as users make them
  fs::create_symlink(dir / "link.tsd", dir / "link2.tsd");
  ASSERT_EQ(Load(dir / "link2.tsd"), 0);
  ASSERT_TRUE(Place(200, 0, 0, "basin-2.bmp", 900, 700));
  ASSERT_EQ(Save(dir / "link2.tsd"), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.tsd"));
  EXPECT_TRUE(fs::is_symlink(dir / "link2.tsd"));
  EXPECT_NE(Read(dir / "real" / "plan.tsd").find("count=2"), std::string::npos);
  // A link to a plan not yet saved makes the file it names.
  fs::create_symlink("real/new.tsd", dir / "new-link.tsd");
  ASSERT_EQ(Save(dir / "new-link.tsd"), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "new-link.tsd"));
  EXPECT_EQ(Read(dir / "real" / "new.tsd"), Read(dir / "real" / "plan.tsd"));
  // A loop of links is refused, and creates nothing.
  fs::create_symlink("loop-b.tsd", dir / "loop-a.tsd");
  fs::create_symlink("loop-a.tsd", dir / "loop-b.tsd");
  EXPECT_EQ(Save(dir / "loop-a.tsd"), TR_SaveFailed);
  EXPECT_TRUE(fs::is_symlink(dir / "loop-a.tsd"));
}

TEST_F(FileTest, APrivatePlanStaysPrivate) {
  SavedPlan(dir / "plan.tsd");
  for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0444}}) {
    ASSERT_EQ(::chmod((dir / "plan.tsd").c_str(), mode), 0);
    ASSERT_EQ(Save(dir / "plan.tsd"), 0);
    EXPECT_EQ(ModeOf(dir / "plan.tsd"), mode);
  }
  // A new file gets what the user's mask leaves of read and write for its owner and
  // read for the rest.
  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_EQ(Save(dir / "new.tsd"), 0);
  EXPECT_EQ(ModeOf(dir / "new.tsd"), 0644 & ~mask);
}

TEST_F(FileTest, APictureInAFolderWithACommaInItsNameOpensAgain) {
  fs::create_directories(dir / "Bad, oben");
  fs::copy_file(dir / "basin-2.bmp", dir / "Bad, oben" / "basin-2.bmp");
  fs::create_directories(dir / "a,,b");
  fs::copy_file(dir / "basin-2.bmp", dir / "a,,b" / "basin-2.bmp");
  Room();
  Design();
  ASSERT_TRUE(Place(100, 0, 0, "Bad, oben/basin-2.bmp", 700, 500));
  ASSERT_TRUE(Place(200, 0, 0, "a,,b/basin-2.bmp", 900, 700));
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  const std::string saved = Read(dir / "plan.tsd");
  EXPECT_NE(saved.find("Bad, oben/basin-2.bmp,0\r\n"), std::string::npos) << saved;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Design();  // loading keeps the work mode, and products show in design mode
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  EXPECT_EQ(ProductList(), (std::vector<int>{100, 200, 0}));
  EXPECT_STREQ(NameOf(core.table[core.design.entries[0]].l0),
               Path("Bad, oben/basin-2.bmp").c_str());
  EXPECT_STREQ(NameOf(core.table[core.design.entries[1]].l0), Path("a,,b/basin-2.bmp").c_str());
  ASSERT_EQ(Save(dir / "again.tsd"), 0);
  EXPECT_EQ(Read(dir / "again.tsd"), saved);
}

TEST_F(FileTest, ProductLinesWithoutCommasInTheirNamesReadAsTheyAlwaysDid) {
  const std::string text =
      "[Layout]\r\ncount=0\r\n[Design]\r\ncount=4\r\n"
      "00=PRODUCT,0,0,1,0,0,plain.bmp,3\r\n"     // the written form
      "01=PRODUCT,0,0,2,0,0,,plain.bmp,,4\r\n"   // empty fields vanish
      "02=PRODUCT,0,0,3,0,0,short.bmp\r\n"       // no l1: 0
      "03=PRODUCT,0,0,4,0,0,x, y ,z.bmp,5\r\n";  // commas: all between field 6 and the last
  Write(dir / "plan.tsd", text);
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  ASSERT_EQ(core.design.count, 4);
  const struct {
    const char* name;
    std::uint32_t l1;
  } expected[] = {{"plain.bmp", 3}, {"plain.bmp", 4}, {"short.bmp", 0}, {"x, y ,z.bmp", 5}};
  for (int i = 0; i < 4; ++i) {
    const ObjectRecord& r = core.table[core.design.entries[i]];
    EXPECT_STREQ(NameOf(r.l0), expected[i].name) << i;
    EXPECT_EQ(r.l1, expected[i].l1) << i;
    EXPECT_EQ(r.p0, static_cast<std::uint32_t>(i + 1)) << i;
  }
}

TEST_F(FileTest, APictureReachedThroughALinkOrKeptPrivateIsRead) {
  fs::create_directories(dir / "catalogue");
  fs::copy_file(dir / "tub-2.bmp", dir / "catalogue" / "tub-2.bmp");
  ASSERT_EQ(::chmod((dir / "catalogue" / "tub-2.bmp").c_str(), 0600), 0);
  fs::create_symlink("catalogue/tub-2.bmp", dir / "linked-2.bmp");
  Room();
  Design();
  ASSERT_TRUE(Place(300, 0, 0, "linked-2.bmp", 700, 500));
  ASSERT_TRUE(Place(301, 0, 0, "catalogue/tub-2.bmp", 800, 700));
  EXPECT_EQ(ProductList(), (std::vector<int>{300, 301, 0}));
  // Saved and opened again, the linked name is kept as the user chose it.
  ASSERT_EQ(Save(dir / "plan.tsd"), 0);
  ASSERT_EQ(Load(dir / "plan.tsd"), 0);
  EXPECT_STREQ(NameOf(core.table[core.design.entries[0]].l0), Path("linked-2.bmp").c_str());
  EXPECT_EQ(ProductList(), (std::vector<int>{300, 301, 0}));
}
