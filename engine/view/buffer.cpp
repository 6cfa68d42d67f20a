// The window buffer: the part of the worksheet around the view centre, scaled by
// the zoom, with the ruler bands; painting the work window copies from it. The
// worksheet itself is rebuilt only by a full redraw, so scrolling and zooming cost a
// stretch copy and never any geometry.
#include <algorithm>
#include <cstdlib>
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
// Runs of changed rows closer than this are repainted as one part: a part costs a
// paint call and a look-up of the buffer, more than copying a few unchanged rows.
constexpr int kJoinRows = 8;

// Keeps a copy of the window buffer as the window shows it, for the refresh to compare.
bool KeepShownBuffer(std::size_t bytes) {
  if (view.shownBytes != bytes) {
    std::free(view.shownBits);
    view.shownBits = static_cast<std::uint8_t*>(std::malloc(bytes));
    view.shownBytes = view.shownBits ? bytes : 0;
  }
  if (!view.shownBits) return false;
  std::memcpy(view.shownBits, view.bufferBits, bytes);
  return true;
}

// Invalidates the parts of the work window whose buffer pixels differ from what the
// window shows: runs of changed rows, each as wide as its changes.
void InvalidateChanges(const std::uint8_t* before, const std::uint8_t* after, int width,
                       int height) {
  const auto w = static_cast<std::size_t>(width);
  RECT run{};
  int lastChanged = -1;
  bool any = false;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* a = before + y * w;
    const std::uint8_t* b = after + y * w;
    if (std::memcmp(a, b, w) == 0) continue;
    std::size_t l = 0, r = w;
    while (a[l] == b[l]) ++l;
    while (a[r - 1] == b[r - 1]) --r;
    const int left = static_cast<int>(l), right = static_cast<int>(r);
    if (lastChanged >= 0 && y - lastChanged <= kJoinRows) {
      run.left = std::min(run.left, left);
      run.right = std::max(run.right, right);
      run.bottom = y + 1;
    } else {
      if (lastChanged >= 0) InvalidateRect(pointer.workWindow, &run, false);
      run = RECT{left, y, right, y + 1};
    }
    lastChanged = y;
    any = true;
  }
  if (lastChanged >= 0) InvalidateRect(pointer.workWindow, &run, false);
  // A refresh always paints, as the paint settles the state of the feedback; with
  // nothing changed a pixel does for that.
  if (!any) {
    const RECT pixel{0, 0, 1, 1};
    InvalidateRect(pointer.workWindow, &pixel, false);
  }
}

}  // namespace

void ReleaseShownBuffer() {
  std::free(view.shownBits);
  view.shownBits = nullptr;
  view.shownBytes = 0;
  view.windowShowsBuffer = false;
}

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
  view.rulerDrawn = false;
}

bool CreateWindowBuffer(int width, int height) {
  if (view.bufferDc) DestroySurface(view.bufferDc);
  view.bufferDc = 0;
  view.bufferBits = nullptr;
  view.bufferClientWidth = width;
  view.bufferClientHeight = height;
  view.rulerDrawn = false;
  view.windowShowsBuffer = false;
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
  const std::size_t bufferBytes = static_cast<std::size_t>(bufferW) * bufferH;
  // Only what the refresh changes needs painting when the window shows the buffer as it
  // is and no feedback hangs at the pointer: a hanging object is drawn again by every
  // paint, as the plan below it may have changed its colour. Anything drawn straight
  // into the window since the last whole paint (feedback, highlights, even lines a
  // hiding left behind) is wiped only by painting the whole window.
  const bool compare = view.windowShowsBuffer && !pointer.trackDraw && KeepShownBuffer(bufferBytes);
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
  if (compare)
    InvalidateChanges(view.shownBits, view.bufferBits, bufferW, bufferH);
  else
    InvalidateRect(pointer.workWindow, nullptr, false);
  // Set before the paint: a feedback the paint draws again clears it.
  view.windowShowsBuffer = true;
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

// An installation wall's count of mounted products is worked out by the redraw: every
// product dropped against it in the replay adds one. A wall that carries products
// keeps no hit area, so it cannot be moved from under them; its own replay comes before
// the products', so its area is taken away once they are counted.
void ZeroMountedCounts() {
  for (const ObjectList* list : {&core.layout, &core.design})
    for (int i = 0; i < list->count; ++i) {
      ObjectRecord& r = core.table[list->entries[i]];
      if (KindCodeOf(r.kind) == kKindInstWall) r.l1 = 0;
    }
}

void FixMountedWalls() {
  for (const ObjectList* list : {&core.layout, &core.design})
    for (int i = 0; i < list->count; ++i) {
      const ObjectRecord& r = core.table[list->entries[i]];
      if (KindCodeOf(r.kind) == kKindInstWall && r.l1 != 0)
        ForgetHitAreasOf(list == &core.layout ? i : kDesignTagBase + i);
    }
}

}  // namespace

void FullRedraw() {
  ZeroMountedCounts();
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
  FixMountedWalls();
  if (view.measurementShown) DrawMeasurement();
  // The view refresh invalidates and updates the whole work window itself.
  if (view.bufferDc && pointer.workWindow)
    AdjustWindowBuffer(view.centerX - 1, view.centerY - 1, view.zoom);
}

}  // namespace vrx
