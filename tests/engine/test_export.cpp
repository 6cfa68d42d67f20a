// The plan as an 8-bit bitmap file: the exact header, rows bottom-up and padded, the
// drawn part of the worksheet only, and an export that fails without leaving a file.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/file_bytes.h"
#include "work_window.h"

using namespace vrx;
namespace fs = std::filesystem;

namespace {

std::uint32_t U32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(s[at + i]);
  return v;
}
std::uint16_t U16(const std::string& s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) |
                                    (static_cast<std::uint8_t>(s[at + 1]) << 8));
}

class ExportTest : public WorkWindowTest {
 protected:
  void SetUp() override {
    WorkWindowTest::SetUp();
    dir = fs::temp_directory_path() / ("tessel-export-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::remove_all(dir);
    WorkWindowTest::TearDown();
  }
  long Export(const fs::path& p) {
    return CallTessel(TC_WorkSheetToBMP, 0, 0, 0, reinterpret_cast<long>(p.c_str()), 0);
  }
  fs::path dir;
};

// Checks the header of an export of `width` x `height` pixels and that each row holds
// the worksheet's pixels of that part, the bottom row first.
void ExpectBitmapOf(const std::string& bmp, int left, int top, int width, int height) {
  const std::size_t row = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  ASSERT_EQ(bmp.size(), 1078 + row * height);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(U32(bmp, 2), bmp.size());
  EXPECT_EQ(U32(bmp, 6), 0u);
  EXPECT_EQ(U32(bmp, 10), 1078u);
  EXPECT_EQ(U32(bmp, 14), 40u);
  EXPECT_EQ(U32(bmp, 18), static_cast<std::uint32_t>(width));
  EXPECT_EQ(U32(bmp, 22), static_cast<std::uint32_t>(height));
  EXPECT_EQ(U16(bmp, 26), 1);
  EXPECT_EQ(U16(bmp, 28), 8);
  EXPECT_EQ(U32(bmp, 30), 0u);
  EXPECT_EQ(U32(bmp, 34), row * height);
  EXPECT_EQ(U32(bmp, 46), 256u);
  EXPECT_EQ(U32(bmp, 50), 256u);
  // The colour table is the plan's own.
  std::size_t size = 0;
  const std::uint8_t* palette = PlanPaletteBitmap(&size);
  EXPECT_EQ(std::memcmp(bmp.data() + 54, palette + 54, 1024), 0);
  for (int r = 0; r < height; ++r) {
    const int y = top + height - 1 - r;
    ASSERT_EQ(
        std::memcmp(bmp.data() + 1078 + r * row,
                    view.sheetBits + static_cast<std::size_t>(y) * kSheetStride + left, width),
        0)
        << "row " << r;
  }
}

}  // namespace

TEST_F(ExportTest, AnEmptyPlanExportsTheWholeWorksheet) {
  ASSERT_EQ(Export(dir / "empty.bmp"), 0);
  const std::string bmp = Read(dir / "empty.bmp");
  EXPECT_EQ(bmp.size(), 1078u + 1702400u);
  ExpectBitmapOf(bmp, 0, 0, kSheetWidth, kSheetHeight);
  // The frame the cleared worksheet has is in the first and last rows of the file.
  EXPECT_EQ(static_cast<std::uint8_t>(bmp[1078 + 1520 * 2 + 5]), Grey(12));
}

TEST_F(ExportTest, ARoomExportsItsDrawnPartWithRowsPaddedToFourBytes) {
  // 151 cm: 302 pixels inside, 362 with the two wall bands, padded to 364 a row.
  CallTessel(TC_PutWallRectangle, 151, 100, 32767, 0, 0);
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  const EngineInfo info = Info();
  const int width = info.iBoundRight - info.iBoundLeft;
  const int height = info.iBoundBottom - info.iBoundTop;
  ASSERT_EQ(width, 362);
  ASSERT_EQ(height, 260);
  ASSERT_EQ(Export(dir / "room.bmp"), 0);
  ExpectBitmapOf(Read(dir / "room.bmp"), info.iBoundLeft, info.iBoundTop, width, height);
}

TEST_F(ExportTest, AnExportThatCannotBeWrittenFailsAndLeavesNoFile) {
  EXPECT_EQ(Export(dir / "no such folder" / "plan.bmp"), TR_Failed);
  EXPECT_FALSE(fs::exists(dir / "no such folder"));
  fs::create_directories(dir / "taken.bmp");
  EXPECT_EQ(Export(dir / "taken.bmp"), TR_Failed);
  EXPECT_TRUE(fs::is_directory(dir / "taken.bmp"));
  EXPECT_TRUE(fs::is_empty(dir / "taken.bmp"));
  // An export over an existing file replaces it whole.
  std::ofstream(dir / "old.bmp") << "old";
  EXPECT_EQ(Export(dir / "old.bmp"), 0);
  EXPECT_EQ(Read(dir / "old.bmp").substr(0, 2), "BM");
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_EQ(entry.path().string().find(".~tmp"), std::string::npos) << entry.path();
}

TEST_F(ExportTest, TheWindowCopyIsTheWorksheetsTopLeftTenth) {
  PatternWorksheet();
  const plat::HWND target = plat::CreateHostWindow(0, 0, 300, 200);
  ASSERT_EQ(CallTessel(TC_BitBltToWnde, 0, 0, 0, static_cast<long>(target), 0), 0);
  int w, h, stride;
  const std::uint32_t* px = plat::WindowPixels(target, &w, &h, &stride);
  const std::uint32_t inside = px[111 * stride + 151];
  const std::uint32_t outside = px[150 * stride + 200];
  EXPECT_NE(inside, outside);  // only the 152 x 112 block was copied
  EXPECT_EQ(px[112 * stride + 10], px[150 * stride + 200]);
  plat::DestroyWindow(target);
}
