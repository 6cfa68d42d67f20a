// The ruler: two bands along the top and left of the window buffer with a scale in
// room coordinates (centimetres: two worksheet pixels a unit) and a marker that
// follows the pointer. It lives in the window buffer only and is drawn again by a
// view refresh that moves, zooms or resizes the view.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/core.h"
#include "platform/window.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

constexpr std::uint8_t kBandGrey = 174;
constexpr std::uint8_t kBoxFill = 240;

struct RulerStep {
  int zoom, label, tick, longTick;
};
// Label step s (a label every 2s units), tick spacing and long-tick period in
// window pixels, per zoom.
constexpr RulerStep kSteps[] = {{25, 100, 5, 25}, {35, 50, 7, 4096}, {50, 50, 5, 10},
                                {75, 50, 3, 15},  {100, 20, 4, 20},  {150, 10, 3, 15},
                                {200, 10, 4, 20}, {300, 10, 6, 30},  {400, 10, 8, 40}};

// Zooms between the nine the program offers take the nearest row.
const RulerStep& StepFor(int zoom) {
  const RulerStep* best = &kSteps[0];
  for (const RulerStep& s : kSteps)
    if (std::abs(s.zoom - zoom) < std::abs(best->zoom - zoom)) best = &s;
  return *best;
}

int FloorDiv(int a, int b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// One scale: along the top box (horizontal) or down the left box, with ticks growing
// from the box side next to the picture.
struct Scale {
  bool horizontal;
  RECT box;
  int windowSize;        // buffer width or height
  int originPlusCentre;  // room origin + view centre on this axis
};

void DrawScale(HDC dc, const Scale& s, const RulerStep& step) {
  const int r = view.rulerWidth, z = view.zoom;
  const int lo = s.horizontal ? s.box.left : s.box.top;
  const int hi = s.horizontal ? s.box.right : s.box.bottom;
  const int near = s.horizontal ? s.box.top : s.box.left;     // far side from the ticks
  const int far = s.horizontal ? s.box.bottom : s.box.right;  // ticks grow from here
  auto windowOf = [&](int u) {
    return z * u / 100 + (r + s.windowSize) / 2 - (s.originPlusCentre * z) / 100;
  };
  auto roomOf = [&](int w) { return (w - (r + s.windowSize) / 2) * 100 / z + s.originPlusCentre; };
  auto tick = [&](int at, int end) {
    if (s.horizontal)
      Line(dc, at, far - 1, at, end);
    else
      Line(dc, far - 1, at, end, at);
  };
  IntersectClipRect(dc, s.box.left + 1, s.box.top + 1, s.box.right - 1, s.box.bottom - 1);
  SelectObject(dc, s.horizontal ? view.tools.horizontalRulerFont : view.tools.verticalRulerFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, DIBINDEX(0));
  const int period = 2 * step.label;
  const int first = FloorDiv(roomOf(lo), period) * period;
  const int last = roomOf(hi);
  int lastTick = windowOf(first);
  for (int u = first; u <= last; u += period) {
    const int at = windowOf(u);
    if (at <= lo || at >= hi) continue;
    lastTick = at;
    tick(at, (near + far) / 2);
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", std::abs(u / 2));
    const int start = at - 4 * n + 1;
    for (int i = 0; i < n; ++i) {
      if (s.horizontal)
        TextOut(dc, start + 8 * i, near + 2, digits + i, 1);
      else
        TextOut(dc, near + 2, at + 4 * n - 1 - 8 * i, digits + i, 1);
    }
    if (u < 0) {
      if (s.horizontal)
        Line(dc, at - 4 * n - 4, near + 6, at - 4 * n, near + 6);
      else
        Line(dc, near + 6, at + 4 * n + 4, near + 6, at + 4 * n);
    }
  }
  // Minor ticks both ways from the last labelled one, longer every long-tick period.
  const int shortEnd = (near + 3 * far) / 4, longEnd = (near + 2 * far) / 3;
  for (int d = step.tick; lastTick + d < hi || lastTick - d > lo; d += step.tick) {
    const int end = d % step.longTick == 0 ? longEnd : shortEnd;
    if (lastTick + d < hi) tick(lastTick + d, end);
    if (lastTick - d > lo) tick(lastTick - d, end);
  }
  SelectClipRgn(dc, 0);
}

// The marker is a line across one box at the pointer; drawn twice it disappears.
void DrawMarker(int px, int py) {
  HDC dc = view.bufferDc;
  const int r = view.rulerWidth;
  const int saved = SetROP2(dc, R2_NOTXORPEN);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  if (px > view.topBox.left && px < view.topBox.right) {
    Line(dc, px, 3, px, r - 3);
    const RECT strip{px, 3, px + 1, r - 3};
    InvalidateRect(pointer.workWindow, &strip, false);
  }
  if (py > view.leftBox.top && py < view.leftBox.bottom) {
    Line(dc, 3, py, r - 3, py);
    const RECT strip{3, py, r - 3, py + 1};
    InvalidateRect(pointer.workWindow, &strip, false);
  }
  SetROP2(dc, saved);
}

}  // namespace

long ToggleRuler() {
  view.rulerShown = !view.rulerShown;
  view.rulerWidth = view.rulerShown ? 28 : 0;
  return 0;
}

long ToggleMeasurement() {
  view.measurementShown = !view.measurementShown;
  return 0;
}

void DrawRuler() {
  DibSurface* buffer = FindSurface(view.bufferDc);
  if (!view.rulerShown || !buffer || view.zoom <= 0) {
    view.rulerDrawn = false;
    return;
  }
  HDC dc = view.bufferDc;
  const int r = view.rulerWidth;
  const int bw = buffer->header.biWidth, bh = buffer->header.biHeight;
  const RECT& v = view.visible;
  // Nothing but the ruler and its marker writes into the bands: a refresh of the same
  // view (every full redraw ends with one) finds them as drawn, less the marker.
  const RulerStamp stamp{bw,
                         bh,
                         r,
                         view.zoom,
                         view.roomOriginX + view.centerX,
                         view.roomOriginY + view.centerY,
                         v.left,
                         v.top,
                         v.right,
                         v.bottom};
  if (view.rulerDrawn && stamp == view.rulerStamp) {
    if (view.markerShown) DrawMarker(view.markerX, view.markerY);
    view.markerShown = false;
    return;
  }
  view.markerShown = false;
  FillWindowBuffer(r, 0, bw, r, kBandGrey);
  FillWindowBuffer(0, 0, r, bh, kBandGrey);
  view.topBox = RECT{std::max(r - 1, static_cast<int>(v.left) - 10), 3,
                     std::min(bw - 2, static_cast<int>(v.right) + 10), r - 3};
  view.leftBox = RECT{3, std::max(r - 1, static_cast<int>(v.top) - 10), r - 3,
                      std::min(bh - 2, static_cast<int>(v.bottom) + 10)};
  HBRUSH fill = CreateSolidBrush(DIBINDEX(kBoxFill));
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
  for (const RECT& box : {view.topBox, view.leftBox})
    if (box.right > box.left && box.bottom > box.top)
      Rectangle(dc, box.left, box.top, box.right, box.bottom);
  const RulerStep& step = StepFor(view.zoom);
  DrawScale(dc, Scale{true, view.topBox, bw, view.roomOriginX + view.centerX}, step);
  DrawScale(dc, Scale{false, view.leftBox, bh, view.roomOriginY + view.centerY}, step);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBrush);
  DeleteObject(fill);
  view.rulerStamp = stamp;
  view.rulerDrawn = true;
}

void MoveRulerMarker(int x, int y) {
  if (!view.bufferDc || !pointer.workWindow) return;
  if (view.markerShown) DrawMarker(view.markerX, view.markerY);
  view.markerShown = false;
  if (view.rulerShown) {
    DrawMarker(x, y);
    view.markerShown = true;
  }
  view.markerX = x;
  view.markerY = y;
  UpdateWindow(pointer.workWindow);
}

}  // namespace vrx
