// Every function code with the extremes of its numeric parameters: each call answers,
// and the sanitizers see no overflow, no division by zero and no stray access.
// Parameters that carry an address are given a real one (or none): the entry cannot
// check what an address points at.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/window.h"
#include "work_window.h"

namespace {

constexpr std::uint32_t kExtremes[] = {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u};

// What a parameter of a code is: a number the engine computes with, or an address.
enum class Role { Number, Address, FileName, Ignored };

struct Signature {
  Role w0, w1, w2, l0;
};

Signature SignatureOf(unsigned code) {
  switch (code) {
    case TC_PutProduct:
      return {Role::Number, Role::Number, Role::Number, Role::FileName};
    case TC_LoadLayoutFile:
    case TC_LoadDesignFile:
    case TC_SaveLayoutFile:
    case TC_SaveDesignFile:
    case TC_WorkSheetToBMP:
      return {Role::Ignored, Role::Ignored, Role::Ignored, Role::FileName};
    case TC_ShowProductlist:
    case TC_GetInfo:
    case TC_GetObjectData:
    case TC_SetObjectData:
      return {Role::Ignored, Role::Ignored, Role::Ignored, Role::Address};
    default:
      return {Role::Number, Role::Number, Role::Number, Role::Number};
  }
}

class ExtremeArguments : public WorkWindowTest {
 protected:
  void SetUp() override {
    WorkWindowTest::SetUp();
    plat::SetMessageBoxHook([](plat::HWND, const char*, const char*, unsigned, void*) { return 1; },
                            nullptr);
    dir =
        std::filesystem::temp_directory_path() / ("tessel-extremes-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    plan = (dir / "plan.tsd").string();
    // A furnished room, so every code finds something to work on.
    CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
    CallTessel(TC_PutFreeWall, 100, 8, 30, 0, 0);
    PointAt(300, 200);
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  }
  void TearDown() override {
    plat::SetMessageBoxHook(nullptr, nullptr);
    std::filesystem::remove_all(dir);
    WorkWindowTest::TearDown();
  }

  long Call(unsigned code, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t l0,
            std::uint32_t l1) {
    const Signature s = SignatureOf(code);
    long address = static_cast<long>(static_cast<std::int32_t>(l0));
    if (s.l0 == Role::FileName) address = l0 ? reinterpret_cast<long>(plan.c_str()) : 0;
    if (s.l0 == Role::Address) address = reinterpret_cast<long>(scratch);
    if (code == TC_SetObjectData) {
      // The record's fields are numbers; its kind decides what they feed.
      for (std::int32_t& field : scratch) field = static_cast<std::int32_t>(w0);
      scratch[0] = static_cast<std::int32_t>(w1 % 13);
    }
    return CallTessel(static_cast<unsigned short>(code), w0, w1, w2, address,
                      static_cast<long>(static_cast<std::int32_t>(l1)));
  }

  // After a placement code, move the hanging object about and drop it, as a user would.
  void Follow(unsigned code) {
    if ((code >= TC_PutWallRectangle && code <= TC_PutProduct) || code == TC_SetObjectData) {
      PointAt(5, 5);
      PointAt(590, 390, 1);
      PointAt(300, 200);
      CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
      CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
    }
    if (code == TC_SetWorkWindow || code == TC_PassWindowMessage) {
      ASSERT_EQ(CallTessel(TC_SetWorkWindow, window, 0, 0, 0, 0), 0);
    }
    ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  }

  std::filesystem::path dir;
  std::string plan;
  std::int32_t scratch[600]{};  // room for any record the engine fills
};

TEST_F(ExtremeArguments, EveryCodeAnswersEveryExtreme) {
  for (unsigned code = 1; code <= 42; ++code) {
    SCOPED_TRACE("code " + std::to_string(code));
    for (std::uint32_t v : kExtremes) {
      // All parameters at once, then one at a time beside ordinary values.
      Call(code, v, v, v, v, v);
      Follow(code);
      for (int which = 0; which < 5; ++which) {
        std::uint32_t args[5] = {100, 80, 30, 0, 0};
        args[which] = v;
        Call(code, args[0], args[1], args[2], args[3], args[4]);
        Follow(code);
      }
    }
  }
  // The engine still works: the room is there and a new view comes out right.
  EXPECT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 100, 0, 0), 0);
  EXPECT_EQ(Info().bWallRect | 1, 1);
}

TEST_F(ExtremeArguments, TheViewKeepsWhatItCannotShow) {
  // A centre past what the view can map, or a zoom past its largest, keeps the old one.
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 9000, 9000, 1000000, 0, 0), 0);
  EXPECT_EQ(vrx::view.centerX, 9001);
  EXPECT_EQ(vrx::view.zoom, 200);
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 0x7FFFFFFF, 0x7FFFFFFE, 0, 0, 0), 0);
  EXPECT_EQ(vrx::view.centerX, 9001);
  EXPECT_EQ(vrx::view.centerY, 9001);
  EXPECT_EQ(vrx::view.zoom, 200);
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, vrx::kMaxZoomPercent, 0, 0), 0);
  EXPECT_EQ(vrx::view.zoom, vrx::kMaxZoomPercent);
  // The pointer far off the screen still maps to a cursor.
  plat::SetCursorPos(INT_MAX, INT_MIN);
  EXPECT_EQ(CallTessel(TC_CursorPosition, 9999, 9999, 0, 0, 0), 0);
}

}  // namespace
