// The view in a 1280 x 800 work window: following the pointer with feedback shown,
// refreshing the window buffer at three zooms (beside OpenCV doing the same copy and
// colour expansion), and a full redraw of full lists.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/core.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "view/view.h"

#ifdef TESSEL_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace plat;

namespace {

constexpr int kClientW = 1280, kClientH = 800;

long Forward(HWND w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, void*) {
  return CallTessel(TC_PassWindowMessage, w, message, static_cast<unsigned>(wParam),
                    static_cast<long>(lParam), 0);
}

// The engine bound to a work window of the size the aims are given for.
HWND WorkWindow() {
  static HWND window = 0;
  if (window) return window;
  vrx::EngineAttach();
  window = CreateHostWindow(0, 0, kClientW, kClientH);
  SetWindowProc(window, Forward, nullptr);
  CallTessel(TC_SetWorkWindow, window, 0, 0, 0, 0);
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0);
  return window;
}

// Feedback of the size a wall rectangle's has: its outline in exclusive-or.
void RectangleFeedback() {
  HDC dc = GetDC(vrx::pointer.workWindow);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  SetROP2(dc, R2_NOT);
  const POINT c = vrx::CursorToClient(vrx::core.cursorX, vrx::core.cursorY);
  vrx::ClippedLine(dc, c.x - 300, c.y - 250, c.x + 300, c.y - 250);
  vrx::ClippedLine(dc, c.x + 300, c.y - 250, c.x + 300, c.y + 250);
  vrx::ClippedLine(dc, c.x + 300, c.y + 250, c.x - 300, c.y + 250);
  vrx::ClippedLine(dc, c.x - 300, c.y + 250, c.x - 300, c.y - 250);
  SetROP2(dc, R2_COPYPEN);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(vrx::pointer.workWindow, dc);
}

void CursorPositionWithFeedback(benchmark::State& state) {
  WorkWindow();
  vrx::HideFeedback();
  vrx::pointer.trackDraw = RectangleFeedback;
  vrx::ShowFeedback();
  int step = 0;
  for (auto _ : state) {
    SetCursorPos(600 + (step & 15), 400 + ((step >> 4) & 7));
    ++step;
    CallTessel(TC_CursorPosition, 9999, 9999, 0, 0, 0);
  }
  vrx::HideFeedback();
  vrx::pointer.trackDraw = nullptr;
}
BENCHMARK(CursorPositionWithFeedback)->Unit(benchmark::kMicrosecond);

// The refresh copies and scales the view, draws the ruler, and paints the whole
// window: the 8-bit buffer expanded into the 32-bit framebuffer.
void AdjustWindowBuffer(benchmark::State& state) {
  WorkWindow();
  const int zoom = static_cast<int>(state.range(0));
  for (auto _ : state)
    CallTessel(TC_AdjustWindowBuffer, 759, 559, static_cast<unsigned>(zoom), 0, 0);
}
BENCHMARK(AdjustWindowBuffer)->Arg(50)->Arg(200)->Arg(400)->Unit(benchmark::kMicrosecond);

#ifdef TESSEL_HAVE_OPENCV
// The same region scaled to the picture area with nearest neighbours, then every
// index looked up in the colour table into 32-bit pixels.
void OpenCvResizeAndExpand(benchmark::State& state) {
  WorkWindow();
  const int zoom = static_cast<int>(state.range(0));
  const int w = kClientW - 28, h = kClientH - 28;
  const int hx = std::min(w * 50 / zoom, 759), hy = std::min(h * 50 / zoom, 559);
  cv::Mat sheet(vrx::kSheetHeight, vrx::kSheetWidth, CV_8UC1, vrx::view.sheetBits,
                vrx::kSheetStride);
  cv::Mat region = sheet(cv::Rect(760 - hx - 1, 560 - hy - 1, 2 * hx, 2 * hy));
  const int dw = 2 * hx * zoom / 100, dh = 2 * hy * zoom / 100;
  cv::Mat scaled(dh, dw, CV_8UC1), wide(dh, dw, CV_8UC4);
  cv::Mat lut(1, 256, CV_8UC4);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& q = vrx::view.colours[i];
    lut.at<cv::Vec4b>(0, i) = cv::Vec4b(q.rgbBlue, q.rgbGreen, q.rgbRed, 0);
  }
  for (auto _ : state) {
    cv::resize(region, scaled, scaled.size(), 0, 0, cv::INTER_NEAREST);
    cv::cvtColor(scaled, wide, cv::COLOR_GRAY2BGRA);
    cv::LUT(wide, lut, wide);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvResizeAndExpand)->Arg(50)->Arg(200)->Arg(400)->Unit(benchmark::kMicrosecond);
#endif

// Puts a record of a kind at a worksheet pixel into the current list, as a drop would.
void InsertAt(const char* kind, int x, int y, std::uint32_t p0, std::uint32_t p1 = 0,
              std::uint32_t p2 = 0, std::uint32_t l0 = 0) {
  std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
  vrx::core.request.x = static_cast<std::uint16_t>(x + vrx::view.roomOriginX);
  vrx::core.request.y = static_cast<std::uint16_t>(y + vrx::view.roomOriginY);
  vrx::core.request.p0 = p0;
  vrx::core.request.p1 = p1;
  vrx::core.request.p2 = p2;
  vrx::core.request.l0 = l0;
  vrx::InsertRequest(kind);
}

// Both lists full of records. The layout is a room with its four corners cut, eight
// doors and eight windows, then small user shapes up to the list's end.
void FillBothLists() {
  WorkWindow();
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  InsertAt("WALLRECT", 760, 560, 300, 250, 32767);
  InsertAt("DIAGCRNR", 1030, 340, 30, 30);
  InsertAt("RNDCRNR", 1030, 780, 30, 30);
  InsertAt("DIAGCRNR", 490, 780, 30, 30);
  InsertAt("RNDCRNR", 490, 340, 30, 30);
  for (int i = 0; i < 4; ++i) {
    InsertAt("DOOR", 600 + 100 * i, 310, 30, 90, 32767, static_cast<std::uint32_t>(i));
    InsertAt("DOOR", 1060, 420 + 100 * i, 30, 60, 32767, static_cast<std::uint32_t>(i));
    InsertAt("WINDOW", 600 + 100 * i, 810, 30, 90, 32767);
    InsertAt("WINDOW", 460, 420 + 100 * i, 30, 90, 32767);
  }
  for (int i = vrx::core.layout.count; i < vrx::kMaxListEntries; ++i)
    InsertAt(i % 2 ? "USERRECT" : "USERCRCL", 140 + i % 500, 140 + i % 300, 0);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  for (int i = 0; i < vrx::kMaxListEntries; ++i) {
    std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
    vrx::InsertRequest("USERRECT");
  }
}

// The redraw replays every record, dims for design mode and refreshes the window.
void FullRedrawOfFullLists(benchmark::State& state) {
  FillBothLists();
  for (auto _ : state) vrx::FullRedraw();
  state.counters["entries"] = vrx::core.layout.count + vrx::core.design.count;
  int parts = 0;
  for (int i = 0; i <= vrx::walls.last; ++i)
    parts += vrx::walls.segments[i].kind >= vrx::SEG_DIAGCRNR &&
             vrx::walls.segments[i].kind <= vrx::SEG_DOOR;
  state.counters["corners_doors_windows"] = parts;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(FullRedrawOfFullLists)->Unit(benchmark::kMicrosecond);

// What the program asks after every pointer move: the engine's state and the drawn
// extent, with nothing drawn since the last time.
void InfoOfAFullPlan(benchmark::State& state) {
  FillBothLists();
  vrx::FullRedraw();
  EngineInfo info{};
  for (auto _ : state) {
    CallTessel(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0);
    benchmark::DoNotOptimize(info);
  }
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(InfoOfAFullPlan)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// A room built from 40 wall rectangles, 20 installation walls, corners, doors and
// windows, as a user would place them, redrawn from its list.
void FullRedrawOfABusyRoom(benchmark::State& state) {
  HWND window = WorkWindow();
  (void)window;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  vrx::FullRedraw();
  auto dropAt = [](int x, int y) {
    vrx::core.cursorX = x + vrx::view.roomOriginX;
    vrx::core.cursorY = y + vrx::view.roomOriginY;
    vrx::HideFeedback();
    vrx::ShowFeedback();  // snaps the cursor onto the nearest wall
    CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  };
  CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
  dropAt(760, 560);
  std::uint32_t seed = 3;
  int walls = 1, free = 0;
  while (walls < 40) {
    seed = seed * 1664525u + 1013904223u;
    const int x = 300 + static_cast<int>(seed >> 8) % 900,
              y = 200 + static_cast<int>(seed >> 4) % 700;
    if (CallTessel(TC_PutWallRectangle, 20 + (seed >> 20) % 30, 10 + (seed >> 12) % 20, 32767, 0,
                   0) != 0)
      continue;
    const int before = vrx::core.layout.count;
    dropAt(x, y);
    walls += vrx::core.layout.count > before;
  }
  while (free < 20) {
    seed = seed * 1664525u + 1013904223u;
    CallTessel(TC_PutFreeWall, 40 + (seed >> 20) % 60, 8, (seed >> 8) % 360, 0, 0);
    dropAt(500 + static_cast<int>(seed >> 10) % 500, 400 + static_cast<int>(seed >> 14) % 300);
    ++free;
  }
  // Corners cut where they fit, then doors (each hinge and direction, opened at several
  // angles, so every swing is filled) and windows, some of them in the bevels.
  int corners = 0, doors = 0, windows = 0;
  for (int tries = 0; tries < 400 && (corners < 8 || doors < 8 || windows < 8); ++tries) {
    seed = seed * 1664525u + 1013904223u;
    const int x = 300 + static_cast<int>(seed >> 8) % 900,
              y = 200 + static_cast<int>(seed >> 4) % 700;
    const int before = vrx::core.layout.count;
    if (corners < 8) {
      const unsigned short code = corners % 2 ? TC_PutRoundCorner : TC_PutDiagonalCorner;
      if (CallTessel(code, 10 + (seed >> 20) % 20, 10 + (seed >> 12) % 20, 0, 0, 0) != 0) continue;
      dropAt(x, y);
      corners += vrx::core.layout.count > before;
    } else if (doors < 8) {
      if (CallTessel(TC_PutDoor, 30 + (seed >> 20) % 20, 30 + 20 * doors, 32767, doors % 4, 0) != 0)
        continue;
      dropAt(x, y);
      doors += vrx::core.layout.count > before;
    } else {
      if (CallTessel(TC_PutWindow, 20 + (seed >> 20) % 30, 90, 32767, 0, 0) != 0) continue;
      dropAt(x, y);
      windows += vrx::core.layout.count > before;
    }
  }
  for (auto _ : state) vrx::FullRedraw();
  state.counters["objects"] = vrx::core.layout.count;
  state.counters["corners"] = corners;
  state.counters["doors"] = doors;
  state.counters["windows"] = windows;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(FullRedrawOfABusyRoom)->Unit(benchmark::kMicrosecond);

}  // namespace
