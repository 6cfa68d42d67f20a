// An engine bound to a headless work window, as the program binds it: the window's
// messages go to the engine, and the pointer is the drawing layer's system pointer.
#pragma once

#include <vector>

#include "engine_fixture.h"
#include "platform/window.h"

class WorkWindowTest : public EngineTest {
 protected:
  static constexpr int kLeft = 100, kTop = 60;

  void SetUp() override {
    EngineTest::SetUp();
    Open(600, 400);
  }
  void TearDown() override {
    if (window) plat::DestroyWindow(window);
    window = 0;
    EngineTest::TearDown();
  }
  void Open(int width, int height) {
    if (window) plat::DestroyWindow(window);
    window = plat::CreateHostWindow(kLeft, kTop, width, height);
    plat::SetWindowProc(window, &Forward, nullptr);
    ASSERT_EQ(CallTessel(TC_SetWorkWindow, window, 0, 0, 0, 0), 0);
    // The program follows the binding with a view of the worksheet's middle.
    ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  }
  void Resize(int width, int height) {
    plat::MoveHostWindow(window, kLeft, kTop, width, height);
    CallTessel(TC_PassWindowMessage, window, plat::WM_SIZE, 0, 0, 0);
  }
  // Moves the system pointer to a client pixel and tells the engine.
  long PointAt(int x, int y, unsigned buttons = 0) {
    plat::SetCursorPos(kLeft + x, kTop + y);
    return CallTessel(TC_CursorPosition, 9999, 9999, buttons, 0, 0);
  }
  std::vector<std::uint32_t> Framebuffer() const {
    int w, h, stride;
    const std::uint32_t* px = plat::WindowPixels(window, &w, &h, &stride);
    return {px, px + static_cast<std::size_t>(stride) * h};
  }
  // Fills the worksheet with a pattern in which nearby pixels differ.
  static void PatternWorksheet() {
    for (int y = 0; y < vrx::kSheetHeight; ++y)
      for (int x = 0; x < vrx::kSheetWidth; ++x)
        vrx::view.sheetBits[y * vrx::kSheetStride + x] =
            static_cast<std::uint8_t>(20 + (x * 7 + y * 13) % 150);
  }

  plat::HWND window = 0;

 private:
  static long Forward(plat::HWND w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                      void*) {
    return CallTessel(TC_PassWindowMessage, w, message, static_cast<unsigned>(wParam),
                      static_cast<long>(lParam), 0);
  }
};
