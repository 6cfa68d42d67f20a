// Copies of the worksheet outside the view: an 8-bit bitmap file of the drawn part of
// the plan (for printing and export), and a plain copy into a window.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/core.h"
#include "persistence/persistence.h"
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

// The paper's frame, drawn by every clear along the worksheet's edge: not part of the plan.
constexpr int kFrameMargin = 3;
// How far the wall pen's outline reaches outside the rectangle it frames.
constexpr int kWallPenReach = 1;

// The first and last pixel of [from, to) that is not paper, eight at a time; false
// when there is none.
bool InkIn(const std::uint8_t* row, int from, int to, std::uint8_t paper, int* first, int* last) {
  std::uint64_t blank;
  std::memset(&blank, paper, sizeof blank);
  int a = from;
  for (; a + 8 <= to; a += 8) {
    std::uint64_t v;
    std::memcpy(&v, row + a, sizeof v);
    if (v != blank) break;
  }
  while (a < to && row[a] == paper) ++a;
  if (a >= to) return false;
  int b = to;
  for (; b - 8 > a; b -= 8) {
    std::uint64_t v;
    std::memcpy(&v, row + b - 8, sizeof v);
    if (v != blank) break;
  }
  while (row[b - 1] == paper) --b;
  *first = a;
  *last = b - 1;
  return true;
}

// Widens the extent to every pixel drawn into the worksheet. Wall bands and dimension
// lines register themselves as they are drawn, but a door's swing, shapes, products and
// labels may reach past the walls, and the export and the printed page must hold them
// too. Only the part of the worksheet outside the registered extent is searched.
void IncludeDrawnPixels() {
  if (!view.sheetBits) return;
  // Products are drawn over the dimmed paper in design mode; it is paper all the same.
  const std::uint8_t paper = InDesignMode() ? view.dimMap[255] : 255;
  const int left = kFrameMargin, right = kSheetWidth - kFrameMargin;
  const int top = kFrameMargin, bottom = kSheetHeight - kFrameMargin;
  // The registered box within the searched area; empty when nothing registered. A wall
  // band registers its rectangle, whose outline the two-pixel pen draws one pixel
  // outside it: that pixel belongs to the band, as the extent has always had it.
  const bool registered = view.drawnLeft < view.drawnRight && view.drawnTop < view.drawnBottom;
  const int reach = registered ? kWallPenReach : 0;
  const int boxLeft = std::clamp(view.drawnLeft - reach, left, right);
  const int boxRight = std::clamp(view.drawnRight + reach, boxLeft, right);
  const int boxTop = std::clamp(view.drawnTop - reach, top, bottom);
  const int boxBottom = std::clamp(view.drawnBottom + reach, boxTop, bottom);
  const bool boxEmpty = !registered || boxLeft >= boxRight || boxTop >= boxBottom;
  int inkLeft = kSheetWidth, inkRight = 0, inkTop = kSheetHeight, inkBottom = 0;
  auto ink = [&](int y, int a, int b) {
    inkLeft = std::min(inkLeft, a);
    inkRight = std::max(inkRight, b + 1);
    inkTop = std::min(inkTop, y);
    inkBottom = std::max(inkBottom, y + 1);
  };
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* row = view.sheetBits + static_cast<std::size_t>(y) * kSheetStride;
    int a, b;
    if (boxEmpty || y < boxTop || y >= boxBottom) {
      if (InkIn(row, left, right, paper, &a, &b)) ink(y, a, b);
      continue;
    }
    if (InkIn(row, left, boxLeft, paper, &a, &b)) ink(y, a, b);
    if (InkIn(row, boxRight, right, paper, &a, &b)) ink(y, a, b);
  }
  if (inkLeft >= inkRight) return;
  if (!registered) {
    view.drawnLeft = inkLeft;
    view.drawnRight = inkRight;
    view.drawnTop = inkTop;
    view.drawnBottom = inkBottom;
    return;
  }
  view.drawnLeft = std::min(view.drawnLeft, inkLeft);
  view.drawnTop = std::min(view.drawnTop, inkTop);
  view.drawnRight = std::max(view.drawnRight, inkRight);
  view.drawnBottom = std::max(view.drawnBottom, inkBottom);
}

}  // namespace

void NormaliseDrawnExtent() {
  IncludeDrawnPixels();
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
