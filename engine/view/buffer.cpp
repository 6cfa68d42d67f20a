// The window buffer: the part of the worksheet around the view centre, scaled by
// the zoom, with the ruler bands; painting the work window copies from it. The
// worksheet itself is rebuilt only by a full redraw, so scrolling and zooming cost a
// stretch copy and never any geometry.
#include <cstring>

#include "core/core.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

constexpr std::uint8_t kMarginGrey = 174;

}  // namespace

void FillWindowBuffer(int left, int top, int right, int bottom, std::uint8_t index) {
  DibSurface* s = FindSurface(view.bufferDc);
  if (!s) return;
  const int w = s->header.biWidth, h = s->header.biHeight;
  auto clamp = [](int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
  left = clamp(left, w);
  top = clamp(top, h);
  right = clamp(right, w);
  bottom = clamp(bottom, h);
  if (left >= right) return;
  const int stride = (w + 3) & ~3;
  auto* bits = static_cast<std::uint8_t*>(s->bits);
  for (int y = top; y < bottom; ++y)
    std::memset(bits + static_cast<std::size_t>(y) * stride + left, index,
                static_cast<std::size_t>(right - left));
}

void ResetView() {
  view.centerX = kSheetWidth / 2;
  view.centerY = kSheetHeight / 2;
  view.zoom = 200;
  view.rulerShown = true;
  view.rulerWidth = 28;
  view.measurementShown = false;
  view.roomOriginX = view.roomOriginY = -40;
  view.visible = RECT{};
  view.topBox = view.leftBox = RECT{};
  view.markerShown = false;
}

bool CreateWindowBuffer(int width, int height) {
  if (view.bufferDc) DestroySurface(view.bufferDc);
  view.bufferDc = 0;
  view.bufferBits = nullptr;
  view.bufferClientWidth = width;
  view.bufferClientHeight = height;
  if (width <= 0 || height <= 0) {
    EngineTrace("Could not create WindowBuffer");
    return false;
  }
  view.bufferDc = CreateSurface((width + 3) & ~3, height, 8);
  if (!view.bufferDc) {
    EngineTrace("Could not create WindowBuffer");
    return false;
  }
  view.bufferBits = static_cast<std::uint8_t*>(SurfaceBits(view.bufferDc));
  if (!view.bufferBits) {
    EngineTrace("Could not retrieve WindowBuffer address");
    DestroySurface(view.bufferDc);
    view.bufferDc = 0;
    return false;
  }
  SetSurfaceColours(view.bufferDc, 0, 256, view.colours);
  std::memset(view.bufferBits, 255,
              static_cast<std::size_t>((width + 3) & ~3) * static_cast<std::size_t>(height));
  return true;
}

long AdjustWindowBuffer(std::int32_t centerX, std::int32_t centerY, std::int32_t zoom) {
  if (!view.bufferDc || !view.sheetDc || !pointer.workWindow) return -1;
  ClearHover();
  pointer.selected = false;
  // A centre below 0 keeps the current one; so does one past the coordinates the view
  // can map, where nothing but margin could show anyway.
  const std::int64_t newX = std::int64_t{centerX} + 1, newY = std::int64_t{centerY} + 1;
  if (newX >= 0 && newX <= kMaxCoordinate) view.centerX = static_cast<std::int32_t>(newX);
  if (newY >= 0 && newY <= kMaxCoordinate) view.centerY = static_cast<std::int32_t>(newY);
  // Zoom 0 would divide by zero in every mapping; it keeps the current zoom too, as
  // does a zoom past the largest the mappings can compute.
  if (zoom > 0 && zoom <= kMaxZoomPercent) view.zoom = zoom;

  RECT client{};
  GetClientRect(pointer.workWindow, &client);
  if (client.right != view.bufferClientWidth || client.bottom != view.bufferClientHeight) {
    if (!CreateWindowBuffer(client.right, client.bottom)) return -1;
  }
  DibSurface* buffer = FindSurface(view.bufferDc);
  const int bufferW = buffer->header.biWidth, bufferH = buffer->header.biHeight;
  const int r = view.rulerWidth, z = view.zoom;
  int w = client.right - r, h = client.bottom - r;
  int padL = 0, padT = 0;
  if (z != 100) {
    const int hx = w * 50 / z, hy = h * 50 / z;
    int left = view.centerX - hx - 1, top = view.centerY - hy - 1;
    int right = view.centerX + hx - 1, bottom = view.centerY + hy - 1;
    if (left < 0) {
      padL = -((left * z) / 100);
      w -= padL;
      FillWindowBuffer(r, r, padL + r, bufferH, kMarginGrey);
      left = 0;
    }
    if (right > kSheetWidth) {
      w -= (right - kSheetWidth) * z / 100;
      FillWindowBuffer(r + w + padL, r, bufferW, bufferH, kMarginGrey);
      right = kSheetWidth;
    }
    if (top < 0) {
      padT = -((top * z) / 100);
      h -= padT;
      FillWindowBuffer(r, r, bufferW, padT + r, kMarginGrey);
      top = 0;
    }
    if (bottom > kSheetHeight) {
      h -= (bottom - kSheetHeight) * z / 100;
      FillWindowBuffer(r, r + h + padT, bufferW, bufferH, kMarginGrey);
      bottom = kSheetHeight;
    }
    // A centre far off the worksheet leaves nothing to copy: the margins are all.
    if (w > 0 && h > 0 && right > left && bottom > top)
      StretchBlt(view.bufferDc, r + padL, r + padT, w, h, view.sheetDc, left, top, right - left,
                 bottom - top, SRCCOPY);
  } else {
    const int cw = w < kSheetWidth ? w : kSheetWidth;
    const int ch = h < kSheetHeight ? h : kSheetHeight;
    BitBlt(view.bufferDc, r, r, cw, ch, view.sheetDc, view.centerX - w / 2, view.centerY - h / 2,
           SRCCOPY);
  }
  view.visible = RECT{r + padL, r + padT, r + padL + w, r + padT + h};
  SelectObject(view.bufferDc, GetStockObject(BLACK_PEN));
  DrawRuler();
  InvalidateRect(pointer.workWindow, nullptr, false);
  UpdateWindow(pointer.workWindow);
  return 0;
}

namespace {

// One record through its placement code with insertion suppressed: the object draws
// itself and registers its walls exactly as when it was dropped.
void Replay(int record, int tag) {
  if (record < 0 || record >= kMaxRecords) return;
  core.replayMode = true;
  core.replayTag = tag;
  HideFeedback();
  const std::int32_t savedX = core.cursorX, savedY = core.cursorY;
  const ObjectRecord& r = core.table[record];
  core.cursorX = r.x + view.roomOriginX;
  core.cursorY = r.y + view.roomOriginY;
  core.request = r;
  if (KindCodeOf(r.kind) == kKindProduct) {
    const char* name = NameOf(r.l0);
    std::strncpy(products.fileName, name ? name : "", kMaxFileName);
    products.fileName[kMaxFileName] = '\0';
    PutProduct();
  } else {
    RunPlacementSetUp(KindCodeOf(r.kind));  // a kind it does not know draws nothing
  }
  if (pointer.trackDrop) pointer.trackDrop();
  pointer.trackDraw = nullptr;
  pointer.trackDrop = nullptr;
  pointer.feedbackShown = false;
  core.replayMode = false;
  core.replayTag = -1;
  core.cursorX = savedX;
  core.cursorY = savedY;
}

}  // namespace

void FullRedraw() {
  ClearWallTable();
  ClearHitAreas();
  ClearWorksheet();
  ClearDrawnProducts();
  view.drawnLeft = kSheetWidth;
  view.drawnTop = kSheetHeight;
  view.drawnRight = 0;
  view.drawnBottom = 0;
  SuspendOutline(true);
  for (int i = 0; i < core.layout.count; ++i) Replay(core.layout.entries[i], i);
  SuspendOutline(false);
  DrawRoomOutline();
  if (InDesignMode()) {
    DimWorksheet();
    for (int i = 0; i < core.design.count; ++i) Replay(core.design.entries[i], kDesignTagBase + i);
  }
  if (view.measurementShown) DrawMeasurement();
  // The view refresh invalidates and updates the whole work window itself.
  if (view.bufferDc && pointer.workWindow)
    AdjustWindowBuffer(view.centerX - 1, view.centerY - 1, view.zoom);
}

}  // namespace vrx
