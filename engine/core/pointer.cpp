// The work window, the engine cursor and the object that hangs at it: placing,
// hovering, picking up, dragging and dropping.
#include "core/core.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

constinit PointerState pointer;

void HideFeedback() {
  if (!pointer.feedbackShown) return;
  pointer.dropAllowed = true;
  if (pointer.trackDraw) pointer.trackDraw();
  pointer.feedbackShown = false;
}

namespace {

FeedbackStamp CurrentStamp() {
  const RECT& v = view.visible;
  return FeedbackStamp{core.cursorX, core.cursorY,    view.centerX,     view.centerY,
                       view.zoom,    view.rulerWidth, view.roomOriginX, view.roomOriginY,
                       v.left,       v.top,           v.right,          v.bottom};
}

// Whether a paint writing these rectangles may meet the feedback. When the feedback is
// shown, drawn for the view and cursor of now, and clear of every rectangle, the copy
// leaves its pixels alone: undrawing and drawing it again around the copy would only
// draw the same lines twice.
bool PaintTouchesFeedback(const RECT* parts, int count) {
  if (!pointer.feedbackShown || !pointer.trackDraw || !(view.feedbackStamp == CurrentStamp()))
    return true;
  const RECT& f = view.feedbackBox;
  for (int i = 0; i < count; ++i) {
    const RECT& p = parts[i];
    if (p.left < f.right && f.left < p.right && p.top < f.bottom && f.top < p.bottom) return true;
  }
  return false;
}

}  // namespace

void ShowFeedback() {
  if (pointer.feedbackShown) return;
  pointer.dropAllowed = true;
  view.feedbackBox = RECT{};
  view.collectingFeedback = true;
  if (pointer.trackDraw) pointer.trackDraw();
  view.collectingFeedback = false;
  // Taken after the drawing, which may have pulled the cursor inside the sheet.
  view.feedbackStamp = CurrentStamp();
  pointer.feedbackShown = true;
}

long SetWorkWindow(HWND window) {
  pointer.workWindow = window;
  view.windowShowsBuffer = false;
  RECT client{};
  GetClientRect(window, &client);
  const bool made = CreateWindowBuffer(client.right, client.bottom);
  InvalidateRect(window, nullptr, false);
  UpdateWindow(window);
  return made ? 0 : -1;
}

long PassWindowMessage(HWND window, unsigned message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case WM_SIZE:
      SetWorkWindow(window);
      return 0;
    case WM_PAINT:
      if (window == pointer.workWindow) {
        static constexpr PaintOverlay kFeedback{PaintTouchesFeedback, HideFeedback, ShowFeedback};
        PaintSurface(window, view.bufferDc, message, &kFeedback);
        return 0;
      }
      [[fallthrough]];
    case WM_ACTIVATE:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      HideFeedback();
      if (window != pointer.workWindow) SetWorkWindow(window);
      PaintSurface(window, view.bufferDc, message);
      ShowFeedback();
      return 0;
    default:
      return 0;
  }
}

namespace {

bool ViewReady() {
  return view.bufferDc && view.sheetDc && pointer.workWindow;
}

// The pointer in room coordinates: the window centre (less the ruler) is the view
// centre, and every window pixel is 100 / zoom worksheet pixels.
void PointerToCursor(std::int32_t* x, std::int32_t* y, POINT* windowPixel) {
  POINT p{};
  GetCursorPos(&p);
  RECT window{}, client{};
  GetWindowRect(pointer.workWindow, &window);
  GetClientRect(pointer.workWindow, &client);
  // The pointer may stand anywhere on a large screen: the sums run in 64 bits.
  const std::int64_t sx = std::int64_t{p.x} - window.left;
  const std::int64_t sy = std::int64_t{p.y} - (std::int64_t{window.bottom} - client.bottom);
  const std::int64_t r = view.rulerWidth, z = view.zoom;
  *x = ClampCoordinate((sx - (r + client.right) / 2) * 100 / z + view.roomOriginX + view.centerX);
  *y = ClampCoordinate((sy - (r + client.bottom) / 2) * 100 / z + view.roomOriginY + view.centerY);
  *windowPixel = POINT{ClampCoordinate(sx), ClampCoordinate(sy)};
}

}  // namespace

POINT CursorToClient(std::int32_t x, std::int32_t y) {
  RECT client{};
  GetClientRect(pointer.workWindow, &client);
  const std::int64_t r = view.rulerWidth, z = view.zoom;
  return POINT{
      ClampCoordinate((r + client.right) / 2 -
                      ((std::int64_t{view.roomOriginX} - x + view.centerX - 1) * z) / 100),
      ClampCoordinate((r + client.bottom) / 2 -
                      ((std::int64_t{view.roomOriginY} - y + view.centerY - 1) * z) / 100)};
}

// The x and y the program passes are its window's pixels; the cursor comes from the
// system pointer, and a drag ends where that is.
long CursorPosition(std::uint32_t, std::uint32_t, std::uint32_t buttons) {
  if (!ViewReady() || view.zoom == 0) return 0;
  std::int32_t cx, cy;
  POINT windowPixel;
  PointerToCursor(&cx, &cy, &windowPixel);
  if (cx == pointer.lastX && cy == pointer.lastY) return 0;
  pointer.lastX = cx;
  pointer.lastY = cy;
  pointer.holdFeedback = true;
  HideFeedback();
  pointer.holdFeedback = false;
  core.cursorX = cx;
  core.cursorY = cy;
  if (pointer.trackDraw) {
    ClearHover();
    pointer.selected = false;
  } else if (!pointer.selected) {
    UpdateHover();
  }
  ShowFeedback();
  SettleProductFeedback();
  MoveRulerMarker(windowPixel.x, windowPixel.y);
  pointer.buttons = static_cast<std::uint16_t>(buttons);
  if (pointer.dragging) {
    if (!(buttons & 1u)) {
      // The program reports the move in its window's pixels: the drag ends where the
      // pointer is, the place the feedback just judged, never at x and y taken as
      // worksheet pixels. Refused there, the object keeps hanging until a click.
      Drop(kDropAtCursor, kDropAtCursor);
      pointer.dragging = false;
    }
  } else if (buttons & 1u) {
    SelectObjectToCursor();
    if (pointer.moving) pointer.dragging = true;
  }
  return 0;
}

long Drop(std::uint32_t x, std::uint32_t y) {
  if (!ViewReady() || !pointer.dropAllowed) return 0;
  HideFeedback();
  const bool move = pointer.moving || pointer.dragging;
  if (move) {
    pointer.moving = false;
    pointer.dragging = false;
    ForgetNewestState();
  }
  const auto wx = static_cast<std::uint16_t>(x);
  const auto wy = static_cast<std::uint16_t>(y);
  if (pointer.trackDrop) {
    if (wx < kSheetWidth) core.cursorX = wx + view.roomOriginX;
    if (wy < kSheetHeight) core.cursorY = wy + view.roomOriginY;
    TrackFn drop = pointer.trackDrop;
    const std::uint32_t inserted = core.insertions;
    drop();
    pointer.trackDraw = nullptr;
    pointer.trackDrop = nullptr;
    // A moved object that found no room at its new place (a full table, no wall to
    // stand on) goes back where it was: the plan is as before the lift.
    if (move && core.insertions == inserted) ReturnToNewestState();
    FullRedraw();
    return 0;
  }
  SelectObjectAtCursor();
  pointer.trackDraw = nullptr;
  pointer.trackDrop = nullptr;
  return 0;
}

long SetSelectCursor() {
  if (!pointer.moving && !pointer.dragging) {
    HideFeedback();
    pointer.trackDraw = nullptr;
    pointer.trackDrop = nullptr;
    return 0;
  }
  pointer.moving = false;
  pointer.dragging = false;
  // Nothing may hang at the pointer while the redraw replays the plan.
  HideFeedback();
  pointer.trackDraw = nullptr;
  pointer.trackDrop = nullptr;
  const ObjectRecord kept = core.request;
  DiscardNewestStep();
  core.request = kept;
  return 0;
}

}  // namespace vrx
