// Windows: invalidation, painting and drawing straight into the framebuffer.
#include <gtest/gtest.h>

#include "platform/window.h"

using namespace plat;

namespace {
int paints = 0;
RECT painted{};
long Proc(HWND w, unsigned msg, std::uintptr_t, std::intptr_t, void*) {
  if (msg != WM_PAINT) return 0;
  ++paints;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  painted = ps.rcPaint;
  EndPaint(w, &ps);
  (void)dc;
  return 0;
}
}  // namespace

TEST(Window, InvalidRectanglesUniteAndPaintOnce) {
  HWND w = CreateHostWindow(100, 50, 40, 30);
  SetWindowProc(w, Proc, nullptr);
  UpdateWindow(w);
  ValidateRect(w, nullptr);
  paints = 0;
  RECT a{1, 2, 5, 6}, b{10, 3, 12, 20};
  InvalidateRect(w, &a, false);
  InvalidateRect(w, &b, false);
  UpdateWindow(w);
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(painted.left, 1);
  EXPECT_EQ(painted.top, 2);
  EXPECT_EQ(painted.right, 12);
  EXPECT_EQ(painted.bottom, 20);
  UpdateWindow(w);
  EXPECT_EQ(paints, 1);  // nothing invalid any more
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.bottom, 80);
  DestroyWindow(w);
  EXPECT_FALSE(IsWindow(w));
}

TEST(Window, ExclusiveOrFeedbackOnTheFramebufferUndoesItself) {
  HWND w = CreateHostWindow(0, 0, 50, 40);
  HDC dc = GetDC(w);
  HBRUSH grey = CreateSolidBrush(RGB(90, 120, 150));
  RECT all{0, 0, 50, 40};
  FillRect(dc, &all, grey);
  int width, height, stride;
  const std::uint32_t* px = WindowPixels(w, &width, &height, &stride);
  std::vector<std::uint32_t> before(px, px + stride * height);
  HPEN red = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  SelectObject(dc, red);
  SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  SetROP2(dc, R2_XORPEN);
  Rectangle(dc, 5, 5, 45, 35);
  EXPECT_EQ(px[5 * stride + 20], (0x5A7896u ^ 0xFF0000u));
  Rectangle(dc, 5, 5, 45, 35);
  EXPECT_EQ(std::vector<std::uint32_t>(px, px + stride * height), before);
  ReleaseDC(w, dc);
  DeleteObject(red);
  DeleteObject(grey);
  DestroyWindow(w);
}

TEST(Window, MessageBoxWithoutHookAnswersOk) {
  EXPECT_EQ(MessageBox(0, "text", "caption", MB_YESNO), IDOK);
  SetMessageBoxHook([](HWND, const char*, const char*, unsigned, void*) { return IDNO; }, nullptr);
  EXPECT_EQ(MessageBox(0, "text", "caption", MB_YESNO), IDNO);
  SetMessageBoxHook(nullptr, nullptr);
}
