// The window buffer: which worksheet pixels the work window shows at each zoom and
// centre, the grey margins, and painting from the buffer into the window.
#include <cstring>
#include <vector>

#include "support/grey_surface.h"
#include "work_window.h"

using namespace plat;

namespace {

constexpr int kRuler = 28;
constexpr std::uint8_t kMargin = 174;
const int kZooms[] = {25, 35, 50, 75, 100, 150, 200, 300, 400};

// The buffer the view algorithm gives, worked out from the worksheet and the buffer
// as it was, with the drawing layer's blits doing the copying.
std::vector<std::uint8_t> ExpectedBuffer(const std::vector<std::uint8_t>& before, int clientW,
                                         int clientH, int cx, int cy, int z, RECT* visible) {
  const int stride = (clientW + 3) & ~3;
  GreySurface sheet(vrx::kSheetWidth, vrx::kSheetHeight);
  std::memcpy(sheet.bits, vrx::view.sheetBits, vrx::kSheetBytes);
  GreySurface buffer(stride, clientH);
  std::memcpy(buffer.bits, before.data(), before.size());
  auto fill = [&](int l, int t, int r, int b) {
    l = std::clamp(l, 0, stride);
    r = std::clamp(r, 0, stride);
    t = std::clamp(t, 0, clientH);
    b = std::clamp(b, 0, clientH);
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) buffer.bits[y * stride + x] = kMargin;
  };
  int w = clientW - kRuler, h = clientH - kRuler, padL = 0, padT = 0;
  if (z != 100) {
    const int hx = w * 50 / z, hy = h * 50 / z;
    int left = cx - hx - 1, top = cy - hy - 1, right = cx + hx - 1, bottom = cy + hy - 1;
    if (left < 0) {
      padL = -(left * z / 100);
      w -= padL;
      fill(kRuler, kRuler, padL + kRuler, clientH);
      left = 0;
    }
    if (right > vrx::kSheetWidth) {
      w -= (right - vrx::kSheetWidth) * z / 100;
      fill(kRuler + w + padL, kRuler, stride, clientH);
      right = vrx::kSheetWidth;
    }
    if (top < 0) {
      padT = -(top * z / 100);
      h -= padT;
      fill(kRuler, kRuler, stride, padT + kRuler);
      top = 0;
    }
    if (bottom > vrx::kSheetHeight) {
      h -= (bottom - vrx::kSheetHeight) * z / 100;
      fill(kRuler, kRuler + h + padT, stride, clientH);
      bottom = vrx::kSheetHeight;
    }
    if (w > 0 && h > 0)
      StretchBlt(buffer.dc, kRuler + padL, kRuler + padT, w, h, sheet.dc, left, top, right - left,
                 bottom - top, SRCCOPY);
  } else {
    BitBlt(buffer.dc, kRuler, kRuler, std::min(w, vrx::kSheetWidth), std::min(h, vrx::kSheetHeight),
           sheet.dc, cx - w / 2, cy - h / 2, SRCCOPY);
  }
  *visible = RECT{kRuler + padL, kRuler + padT, kRuler + padL + w, kRuler + padT + h};
  return buffer.Pixels();
}

std::vector<std::uint8_t> BufferPixels(int clientW, int clientH) {
  const std::size_t n = static_cast<std::size_t>((clientW + 3) & ~3) * clientH;
  return {vrx::view.bufferBits, vrx::view.bufferBits + n};
}

}  // namespace

class ViewTest : public WorkWindowTest {};

TEST_F(ViewTest, EveryZoomAndCentreShowsTheWorksheetPixelsTheViewAlgorithmGives) {
  PatternWorksheet();
  const int clientW = 600, clientH = 400, stride = (clientW + 3) & ~3;
  const POINT centres[] = {{760, 560},  {0, 0},       {5, 560},    {1519, 560}, {760, 3},
                           {760, 1119}, {1519, 1119}, {1400, 100}, {100, 1000}};
  for (int z : kZooms) {
    for (const POINT& c : centres) {
      const std::vector<std::uint8_t> before = BufferPixels(clientW, clientH);
      ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, c.x - 1, c.y - 1, z, 0, 0), 0);
      RECT visible;
      const std::vector<std::uint8_t> want =
          ExpectedBuffer(before, clientW, clientH, c.x, c.y, z, &visible);
      const std::vector<std::uint8_t> got = BufferPixels(clientW, clientH);
      // The ruler bands are the ruler's own drawing; everything right of and below them
      // is worksheet or margin.
      int wrong = 0, firstX = -1, firstY = -1;
      for (int y = kRuler; y < clientH; ++y)
        for (int x = kRuler; x < clientW; ++x)
          if (got[y * stride + x] != want[y * stride + x] && wrong++ == 0) {
            firstX = x;
            firstY = y;
          }
      EXPECT_EQ(wrong, 0) << "zoom " << z << " centre " << c.x << "," << c.y << ": first at "
                          << firstX << "," << firstY;
      EXPECT_EQ(vrx::view.visible.left, visible.left);
      EXPECT_EQ(vrx::view.visible.top, visible.top);
      EXPECT_EQ(vrx::view.visible.right, visible.right);
      EXPECT_EQ(vrx::view.visible.bottom, visible.bottom);
    }
  }
}

TEST_F(ViewTest, AtTwiceTheSizeTheCentredViewStartsAtColumn616AndRow466) {
  // Each worksheet pixel shows its column in the low byte of a column pattern, and its
  // row in a row pattern, so the first and last picture pixels name their source.
  for (int y = 0; y < vrx::kSheetHeight; ++y)
    for (int x = 0; x < vrx::kSheetWidth; ++x)
      vrx::view.sheetBits[y * vrx::kSheetStride + x] = static_cast<std::uint8_t>(x);
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  const int stride = 600;
  EXPECT_EQ(vrx::view.bufferBits[100 * stride + kRuler], 616 % 256);
  EXPECT_EQ(vrx::view.bufferBits[100 * stride + 599], 901 % 256);
  for (int y = 0; y < vrx::kSheetHeight; ++y)
    std::memset(vrx::view.sheetBits + y * vrx::kSheetStride, y % 256, vrx::kSheetWidth);
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0);
  EXPECT_EQ(vrx::view.bufferBits[kRuler * stride + 300], 466 % 256);
  EXPECT_EQ(vrx::view.bufferBits[399 * stride + 300], 651 % 256);
  EXPECT_EQ(vrx::view.visible.right, 600);
  EXPECT_EQ(vrx::view.visible.bottom, 400);
}

TEST_F(ViewTest, NegativeArgumentsKeepTheViewAndZeroZoomIsRefused) {
  CallTessel(TC_AdjustWindowBuffer, 299, 199, 150, 0, 0);
  EXPECT_EQ(vrx::view.centerX, 300);
  EXPECT_EQ(vrx::view.centerY, 200);
  CallTessel(TC_AdjustWindowBuffer, static_cast<unsigned>(-2), static_cast<unsigned>(-2),
             static_cast<unsigned>(-1), 0, 0);
  EXPECT_EQ(vrx::view.centerX, 300);
  EXPECT_EQ(vrx::view.zoom, 150);
  CallTessel(TC_AdjustWindowBuffer, static_cast<unsigned>(-1), static_cast<unsigned>(-1), 0, 0, 0);
  EXPECT_EQ(vrx::view.centerX, 0);
  EXPECT_EQ(vrx::view.centerY, 0);
  EXPECT_EQ(vrx::view.zoom, 150);
}

TEST_F(ViewTest, ACentreFarOffTheWorksheetShowsOnlyMargin) {
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 9000, 9000, 400, 0, 0), 0);
  const int stride = 600;
  for (int y = kRuler; y < 400; y += 37)
    for (int x = kRuler; x < 600; x += 41) ASSERT_EQ(vrx::view.bufferBits[y * stride + x], kMargin);
}

TEST_F(ViewTest, ANewClientSizeMakesANewBuffer) {
  Resize(803, 517);
  EXPECT_EQ(vrx::view.bufferClientWidth, 803);
  EXPECT_EQ(vrx::view.bufferClientHeight, 517);
  DIBSECTION ds{};
  ASSERT_TRUE(
      GetDIBSection(static_cast<HBITMAP>(GetCurrentObject(vrx::view.bufferDc, OBJ_BITMAP)), &ds));
  EXPECT_EQ(ds.header.biWidth, 804);  // rows of whole 32-bit words
  EXPECT_EQ(ds.header.biHeight, 517);
  // A size change seen only by the view refresh also renews the buffer.
  MoveHostWindow(window, kLeft, kTop, 640, 480);
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 100, 0, 0), 0);
  EXPECT_EQ(vrx::view.bufferClientWidth, 640);
  EXPECT_EQ(vrx::view.visible.right, 640);
}

TEST_F(ViewTest, PaintingCopiesExactlyTheInvalidRectangle) {
  PatternWorksheet();
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 100, 0, 0);
  HDC dc = GetDC(window);
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
  const RECT all{0, 0, 600, 400};
  FillRect(dc, &all, magenta);
  ReleaseDC(window, dc);
  DeleteObject(magenta);
  const RECT part{50, 60, 170, 95};
  InvalidateRect(window, &part, false);
  UpdateWindow(window);
  const std::vector<std::uint32_t> px = Framebuffer();
  const RGBQUAD* colours = vrx::view.colours;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) {
      const bool inside = x >= part.left && x < part.right && y >= part.top && y < part.bottom;
      const std::uint32_t v = px[y * 600 + x];
      if (!inside) {
        ASSERT_EQ(v, 0xFF00FFu) << x << "," << y;
        continue;
      }
      const RGBQUAD& c = colours[vrx::view.bufferBits[y * 600 + x]];
      ASSERT_EQ(v, (std::uint32_t{c.rgbRed} << 16) | (std::uint32_t{c.rgbGreen} << 8) | c.rgbBlue)
          << x << "," << y;
    }
}

// A refresh paints the rows whose buffer pixels it changed, no more: after it the
// window shows the whole buffer all the same.
TEST_F(ViewTest, ARefreshPaintsOnlyWhatItChanged) {
  PatternWorksheet();
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  static long paintedPixels;
  static RECT painted;
  SetWindowChangedHook(
      [](HWND, const RECT& r, void*) {
        paintedPixels += long{r.right - r.left} * (r.bottom - r.top);
        painted = r;
      },
      nullptr);
  auto showsTheBuffer = [&] {
    const std::vector<std::uint32_t> px = Framebuffer();
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 600; ++x) {
        const RGBQUAD& c = vrx::view.colours[vrx::view.bufferBits[y * 600 + x]];
        if (px[y * 600 + x] !=
            ((std::uint32_t{c.rgbRed} << 16) | (std::uint32_t{c.rgbGreen} << 8) | c.rgbBlue))
          return false;
      }
    return true;
  };
  // The same view of the same worksheet: one pixel, so the paint still happens.
  paintedPixels = 0;
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  EXPECT_EQ(paintedPixels, 1);
  EXPECT_TRUE(showsTheBuffer());
  // Ten worksheet pixels changed in one row: twenty window pixels in two rows.
  for (int x = 700; x < 710; ++x) vrx::view.sheetBits[600 * vrx::kSheetStride + x] = 3;
  paintedPixels = 0;
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  EXPECT_EQ(paintedPixels, 40);
  EXPECT_EQ(painted.bottom - painted.top, 2);
  EXPECT_TRUE(showsTheBuffer());
  // Drawn over by a preview, the window is painted whole again.
  ASSERT_EQ(CallTessel(TC_BitBltToWnde, 0, 0, 0, static_cast<long>(window), 0), 0);
  paintedPixels = 0;
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  EXPECT_EQ(paintedPixels, 600 * 400);
  EXPECT_TRUE(showsTheBuffer());
  // So is a window with lines drawn straight into it and never taken away.
  HDC dc = GetDC(window);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  vrx::ClippedLine(dc, 100, 100, 300, 200);
  ReleaseDC(window, dc);
  paintedPixels = 0;
  ASSERT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), 0);
  EXPECT_EQ(paintedPixels, 600 * 400);
  EXPECT_TRUE(showsTheBuffer());
  SetWindowChangedHook(nullptr, nullptr);
}

TEST_F(EngineTest, TheViewNeedsAWorkWindow) {
  EXPECT_EQ(CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0), -1);
  EXPECT_EQ(CallTessel(TC_CursorPosition, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(CallTessel(TC_DropCursor, 0, 0, 0, 0, 0), 0);
}
