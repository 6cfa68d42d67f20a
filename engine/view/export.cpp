// Copies of the worksheet outside the view: an 8-bit bitmap file of the drawn part of
// the plan (for printing and export), and a plain copy into a window.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/core.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kColourTableBytes = 256 * 4;
constexpr std::size_t kBmpHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes + kColourTableBytes;
// The block BitBltToWnde copies: a tenth of the worksheet on each axis.
constexpr int kPreviewWidth = kSheetWidth / 10;
constexpr int kPreviewHeight = kSheetHeight / 10;

void Put16(std::string& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::size_t at, std::uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

}  // namespace

void NormaliseDrawnExtent() {
  if (view.drawnLeft >= view.drawnRight) {
    view.drawnLeft = 0;
    view.drawnRight = kSheetWidth;
  }
  if (view.drawnTop >= view.drawnBottom) {
    view.drawnTop = 0;
    view.drawnBottom = kSheetHeight;
  }
}

std::string WorksheetBitmap() {
  NormaliseDrawnExtent();
  // Labels and walls may be registered past the edge; only the worksheet has pixels.
  const int left = std::max(view.drawnLeft, 0), top = std::max(view.drawnTop, 0);
  const int right = std::min(view.drawnRight, kSheetWidth);
  const int bottom = std::min(view.drawnBottom, kSheetHeight);
  const int width = std::max(right - left, 1), height = std::max(bottom - top, 1);
  // Rows are padded to 4 bytes: readers step through them a word at a time.
  const std::size_t row = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  const std::size_t image = row * static_cast<std::size_t>(height);

  std::size_t templateSize = 0;
  const std::uint8_t* palette = PlanPaletteBitmap(&templateSize);
  std::string out(kBmpHeaderBytes + image, '\0');
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, kBmpHeaderBytes);
  Put32(out, 14, kInfoHeaderBytes);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);  // planes
  Put16(out, 28, 8);  // bits per pixel
  Put32(out, 30, BI_RGB);
  Put32(out, 34, static_cast<std::uint32_t>(image));
  Put32(out, 46, 256);  // colours used
  Put32(out, 50, 256);  // colours important
  if (palette && templateSize >= kBmpHeaderBytes)
    std::memcpy(out.data() + kFileHeaderBytes + kInfoHeaderBytes,
                palette + kFileHeaderBytes + kInfoHeaderBytes, kColourTableBytes);
  // Bottom-up, as the format stores rows.
  char* pixels = out.data() + kBmpHeaderBytes;
  for (int y = bottom - 1; y >= top && view.sheetBits; --y, pixels += row)
    std::memcpy(pixels, view.sheetBits + static_cast<std::size_t>(y) * kSheetStride + left,
                static_cast<std::size_t>(right - left));
  return out;
}

long WorkSheetToBMP(const char* name) {
  if (!name || !*name || !view.sheetBits) return -1;
  // Written beside the target and renamed into place: a failed export leaves no part
  // of a file and keeps what was there.
  return ReplaceFile(name, WorksheetBitmap()) ? 0 : -1;
}

long BitBltToWnde(HWND window) {
  if (!view.sheetDc || !IsWindow(window)) return -1;
  // Drawn over the work window, the preview leaves it showing more than the buffer.
  if (window == pointer.workWindow) view.windowShowsBuffer = false;
  HDC dc = GetDC(window);
  BitBlt(dc, 0, 0, kPreviewWidth, kPreviewHeight, view.sheetDc, 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  return 0;
}

}  // namespace vrx
