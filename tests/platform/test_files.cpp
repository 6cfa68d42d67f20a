// Reading and replacing files: only regular files are read, never waiting on a FIFO;
// a size limit refuses a file before it is read; a replacement never writes through a
// link planted beside its target, saves through a link that stands for the target,
// keeps the old file's permissions, and says why it failed in errno.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/file_bytes.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

class Deadline {
 public:
  explicit Deadline(unsigned seconds) { ::alarm(seconds); }
  ~Deadline() { ::alarm(0); }
};
constexpr unsigned kNeverWaits = 20;

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tessel-files-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    plat::FailFileWritesAfter(-1);
    fs::remove_all(dir);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  fs::path dir;
};

}  // namespace

TEST_F(FileTest, OnlyRegularFilesAreReadAndNoneIsWaitedOn) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  Write(dir / "plain", "text");
  std::string out = "old";
  long long size = 0;
  Deadline deadline(kNeverWaits);
  errno = 0;
  EXPECT_FALSE(plat::ReadWholeFile((dir / "fifo").c_str(), &out));
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(plat::ReadWholeFile("/dev/zero", &out));
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(plat::ReadWholeFile(dir.c_str(), &out));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(plat::ReadWholeFile((dir / "missing").c_str(), &out, 100, &size));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(size, -1);
  EXPECT_TRUE(plat::ReadWholeFile((dir / "plain").c_str(), &out, 100, &size));
  EXPECT_EQ(out, "text");
  EXPECT_EQ(size, 4);
  // The profile functions read nothing from a FIFO either.
  char value[8] = "x";
  EXPECT_EQ(
      plat::GetPrivateProfileString("a", "b", "none", value, sizeof value, (dir / "fifo").c_str()),
      4u);
  EXPECT_STREQ(value, "none");
}

TEST_F(FileTest, AFileOverTheLimitIsRefusedWithItsSize) {
  Write(dir / "small", std::string(100, 'x'));
  std::string out;
  long long size = 0;
  EXPECT_TRUE(plat::ReadWholeFile((dir / "small").c_str(), &out, 100, &size));
  EXPECT_EQ(out.size(), 100u);
  errno = 0;
  EXPECT_FALSE(plat::ReadWholeFile((dir / "small").c_str(), &out, 99, &size));
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(size, 100);
  // Sparse: the size is refused before a byte is read.
  { std::ofstream(dir / "huge") << "x"; }
  fs::resize_file(dir / "huge", std::uintmax_t{1} << 32);
  EXPECT_FALSE(plat::ReadWholeFile((dir / "huge").c_str(), &out));
  EXPECT_EQ(errno, EFBIG);
}

TEST_F(FileTest, AFilteredProfileHoldsOnlyTheWantedKeys) {
  std::string text = "[Junk]\r\nx=1\r\n";
  for (int i = 0; i < 1000; ++i) text += "[s" + std::to_string(i) + "]\r\n";
  text += "[Plan]\r\nA=1\r\nb=2\r\na=3\r\n[plan]\r\na=4\r\n";
  const plat::Profile p =
      plat::Profile::Parse(text.data(), text.size(), [](std::string_view s, std::string_view k) {
        return s == "plan" && (k.empty() || k == "a");
      });
  EXPECT_FALSE(p.HasSection("Junk"));
  EXPECT_FALSE(p.HasSection("s10"));
  EXPECT_EQ(p.GetInt("PLAN", "a", 0), 1);  // the first wins, as unfiltered
  EXPECT_EQ(p.GetInt("plan", "b", 0), 0);
  EXPECT_EQ(p.Serialize(), "[Plan]\r\nA=1\r\n");
}

TEST_F(FileTest, AReplacementNeverWritesThroughAPlantedLink) {
  Write(dir / "victim", "mine");
  Write(dir / "plan", "old");
  for (const char* name : {"plan.~tmp", ".plan.~tmp", ".plan.~AAAAAAAA"})
    fs::create_symlink(dir / "victim", dir / name);
  const std::vector<std::string> before = Names();
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(plat::ReplaceFile((dir / "plan").c_str(), "new"));
  EXPECT_EQ(Read(dir / "victim"), "mine");
  EXPECT_EQ(Read(dir / "plan"), "new");
  EXPECT_FALSE(fs::is_symlink(dir / "plan"));
  EXPECT_EQ(Names(), before);
}

TEST_F(FileTest, AReplacementGoesThroughALinkToTheFileItNames) {
  fs::create_directories(dir / "real");
  Write(dir / "real" / "plan", "old");
  fs::create_symlink("real/plan", dir / "link");
  ASSERT_TRUE(plat::ReplaceFile((dir / "link").c_str(), "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(Read(dir / "real" / "plan"), "new");
  // A relative name without a folder, from inside the folder.
  const fs::path here = fs::current_path();
  fs::current_path(dir);
  fs::create_symlink("real/plan", "bare");
  EXPECT_TRUE(plat::ReplaceFile("bare", "bare"));
  fs::current_path(here);
  EXPECT_TRUE(fs::is_symlink(dir / "bare"));
  EXPECT_EQ(Read(dir / "real" / "plan"), "bare");
  fs::create_symlink("loop", dir / "loop");
  errno = 0;
  EXPECT_FALSE(plat::ReplaceFile((dir / "loop").c_str(), "x"));
  EXPECT_EQ(errno, ELOOP);
}

TEST_F(FileTest, AReplacementKeepsTheOldPermissions) {
  Write(dir / "plan", "old");
  for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0400}, mode_t{0755}}) {
    ASSERT_EQ(::chmod((dir / "plan").c_str(), mode), 0);
    ASSERT_TRUE(plat::ReplaceFile((dir / "plan").c_str(), "new"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "plan").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
}

TEST_F(FileTest, AFailedReplacementSaysWhyAndLeavesTheOldFile) {
  Write(dir / "plan", "old");
  const std::vector<std::string> before = Names();
  plat::FailFileWritesAfter(1);
  errno = 0;
  EXPECT_FALSE(plat::ReplaceFile((dir / "plan").c_str(), "new text"));
  EXPECT_EQ(errno, ENOSPC);
  plat::FailFileWritesAfter(-1);
  EXPECT_EQ(Read(dir / "plan"), "old");
  EXPECT_EQ(Names(), before);
  EXPECT_FALSE(plat::ReplaceFile((dir / "none" / "plan").c_str(), "x"));
  EXPECT_EQ(errno, ENOENT);
  fs::create_directories(dir / "folder");
  EXPECT_FALSE(plat::ReplaceFile((dir / "folder").c_str(), "x"));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_FALSE(plat::ReplaceFile("", "x"));
  EXPECT_EQ(errno, EINVAL);
}
