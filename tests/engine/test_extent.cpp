// The drawn extent the program exports and prints: it holds everything drawn into the
// worksheet, not only the wall bands and dimension lines that register themselves.
#include <filesystem>
#include <string>

#include "../support/file_bytes.h"
#include "persistence/persistence.h"
#include "room_fixture.h"
#include "view/view.h"

using namespace vrx;
namespace fs = std::filesystem;

namespace {

// The worksheet's own frame along its edges is not part of the plan.
constexpr int kFrame = 3;
// The two-pixel wall pen draws a band's outline one pixel outside the rectangle it
// registers; the extent has always ended at the rectangle.
constexpr int kPenReach = 1;

class ExtentTest : public WallTest {
 protected:
  // Drawn pixels lying outside the reported extent (and the wall pen's reach round it).
  static int InkOutside() {
    const EngineInfo e = Info();
    const std::uint8_t paper = InDesignMode() ? view.dimMap[255] : 255;
    int n = 0;
    for (int y = kFrame; y < kSheetHeight - kFrame; ++y)
      for (int x = kFrame; x < kSheetWidth - kFrame; ++x) {
        if (SheetPixel(x, y) == paper) continue;
        n += x < e.iBoundLeft - kPenReach || x >= e.iBoundRight + kPenReach ||
             y < e.iBoundTop - kPenReach || y >= e.iBoundBottom + kPenReach;
      }
    return n;
  }
  static int Light(int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += SheetPixel(x, y) == Grey(20);
    return n;
  }
};

}  // namespace

TEST_F(ExtentTest, AnOutwardDoorsSwingIsInsideTheExtentAndTheExport) {
  Room();
  EXPECT_EQ(InkOutside(), 0);
  const EngineInfo room = Info();
  // 80 cm doors, one in each wall, hinged left or right and opening out or in.
  ASSERT_EQ(Door(40, 90, 32767, 0, 600, 300), 0);
  ASSERT_EQ(Door(40, 90, 32767, 1, 1070, 450), 0);
  ASSERT_EQ(Door(40, 90, 32767, 2, 800, 820), 0);
  ASSERT_EQ(Door(40, 90, 32767, 3, 450, 650), 0);
  const EngineInfo doors = Info();
  EXPECT_EQ(InkOutside(), 0);
  EXPECT_TRUE(doors.iBoundLeft < room.iBoundLeft || doors.iBoundTop < room.iBoundTop ||
              doors.iBoundRight > room.iBoundRight || doors.iBoundBottom > room.iBoundBottom);
  // The export holds every swing pixel the worksheet has.
  const fs::path out =
      fs::temp_directory_path() / ("tessel-extent-" + std::to_string(::getpid()) + ".bmp");
  ASSERT_EQ(CallTessel(TC_WorkSheetToBMP, 0, 0, 0, reinterpret_cast<long>(out.c_str()), 0), 0);
  const std::string bmp = Read(out);
  fs::remove(out);
  const int width = doors.iBoundRight - doors.iBoundLeft;
  const int height = doors.iBoundBottom - doors.iBoundTop;
  const std::size_t row = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  ASSERT_EQ(bmp.size(), 1078 + row * static_cast<std::size_t>(height));
  int exported = 0;
  for (int r = 0; r < height; ++r)
    for (int x = 0; x < width; ++x)
      exported += static_cast<std::uint8_t>(bmp[1078 + r * row + x]) == Grey(20);
  EXPECT_EQ(exported, Light(0, 0, kSheetWidth, kSheetHeight));
  EXPECT_GT(exported, 0);
}

TEST_F(ExtentTest, ShapesAndFreeWallsOutsideTheRoomAreInsideTheExtent) {
  Room();
  UserRect(40, 30, 0, 300, 200);
  UserCircle(30, 1250, 950);
  FreeWall(60, 10, 30, 1200, 200);
  EXPECT_EQ(InkOutside(), 0);
  const EngineInfo e = Info();
  EXPECT_LT(e.iBoundLeft, 300 - 30);
  EXPECT_GT(e.iBoundBottom, 950 + 20);
  // In design mode the dimmed layout is bounded the same way.
  ASSERT_EQ(CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(InkOutside(), 0);
  // And nothing drawn at all is still the whole worksheet.
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  const EngineInfo empty = Info();
  EXPECT_EQ(empty.iBoundLeft, 0);
  EXPECT_EQ(empty.iBoundTop, 0);
  EXPECT_EQ(empty.iBoundRight, kSheetWidth);
  EXPECT_EQ(empty.iBoundBottom, kSheetHeight);
}
