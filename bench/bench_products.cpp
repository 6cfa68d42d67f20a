// Products: drawing 64 product bitmaps into the worksheet, turned and unturned, beside
// OpenCV doing the same with warpAffine and masked copies; the full redraw of the
// largest plan beside the same picture drawn with OpenCV primitives; following the
// pointer with a product at it; the hit test over a full hit-area table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/core.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "products/products_p.h"
#include "support/bmp_writer.h"
#include "view/view.h"

#ifdef TESSEL_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace plat;

namespace {

constexpr int kW = vrx::kSheetWidth, kH = vrx::kSheetHeight;
constexpr int kProducts = vrx::kMaxDrawnProducts;
constexpr int kTubW = 160, kTubH = 90;
constexpr int kClientW = 1280, kClientH = 800;

// The bitmap every benchmark product uses, in a folder of its own.
const std::string& TubPath() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() / "tessel-bench-products";
    std::filesystem::create_directories(dir);
    WriteFile(dir / "tub-2.bmp",
              EightBitBmp(kTubW, kTubH, [](int x, int y) { return TubPixel(x, y, kTubW, kTubH); }));
    return (dir / "tub-2.bmp").string();
  }();
  return path;
}

vrx::ProductBitmap Tub() {
  vrx::BitmapResult result;
  const vrx::ProductBitmap* b = vrx::LookUpProductBitmap(TubPath().c_str(), &result);
  return b ? *b : vrx::ProductBitmap{};
}

long Forward(HWND w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, void*) {
  return CallTessel(TC_PassWindowMessage, w, message, static_cast<unsigned>(wParam),
                    static_cast<long>(lParam), 0);
}

// The engine bound to a work window of the size the aims are given for.
HWND Bind() {
  static HWND window = 0;
  vrx::EngineAttach();
  if (!window) {
    window = CreateHostWindow(0, 0, kClientW, kClientH);
    SetWindowProc(window, Forward, nullptr);
  }
  CallTessel(TC_SetWorkWindow, window, 0, 0, 0, 0);
  CallTessel(TC_AdjustWindowBuffer, 759, 559, 200, 0, 0);
  return window;
}

// 64 places on an 8 x 8 grid, each turned by its own angle (none a quarter turn).
std::vector<vrx::ProductPlace> Places(bool turned) {
  vrx::productWork.mounting = 0;
  vrx::productWork.halfWidth = kTubW / 2;
  vrx::productWork.halfHeight = kTubH / 2;
  vrx::productWork.extentX = vrx::productWork.extentY = 0;
  std::vector<vrx::ProductPlace> places(kProducts);
  for (int i = 0; i < kProducts; ++i) {
    vrx::productWork.angle = turned ? 7 + 11 * i : 0;
    vrx::PlaceProduct(110 + 185 * (i % 8), 90 + 135 * (i / 8), &places[i]);
  }
  return places;
}

void DrawProducts(benchmark::State& state) {
  vrx::EngineAttach();
  const vrx::ProductBitmap tub = Tub();
  const std::vector<vrx::ProductPlace> places = Places(state.range(0) != 0);
  std::vector<std::uint8_t> sheet(static_cast<std::size_t>(kW) * kH, 255);
  for (auto _ : state) {
    for (const vrx::ProductPlace& p : places)
      vrx::DrawProductPixels(tub, p, sheet.data(), kW, kH, kW);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(DrawProducts)->ArgName("turned")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The same 64 as a redraw draws them: each turned product's picture, made at the
// first drawing, is copied with white as the colour key.
void DrawKeptProducts(benchmark::State& state) {
  vrx::EngineAttach();
  const vrx::ProductBitmap tub = Tub();
  const std::vector<vrx::ProductPlace> places = Places(true);
  for (auto _ : state) {
    for (const vrx::ProductPlace& p : places) vrx::DrawProduct(tub, p);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(DrawKeptProducts)->Unit(benchmark::kMicrosecond);

#ifdef TESSEL_HAVE_OPENCV
// Where a turned product goes in OpenCV's terms: the box its corners cover on the sheet,
// and for each box pixel its source position (the inverse of the place's turn).
struct WarpJob {
  cv::Rect box;
  cv::Mat toBox;
};
WarpJob WarpOf(const vrx::ProductPlace& p, const vrx::ProductBitmap& tub) {
  int l = kW, t = kH, r = 0, b = 0;
  for (const POINT& c : p.corners) {
    l = std::min(l, c.x);
    t = std::min(t, c.y);
    r = std::max(r, c.x);
    b = std::max(b, c.y);
  }
  const cv::Rect box = cv::Rect(l, t, r - l + 1, b - t + 1) & cv::Rect(0, 0, kW, kH);
  cv::Mat m =
      (cv::Mat_<double>(2, 3) << p.axisX[0], p.axisX[1],
       tub.width / 2.0 - p.axisX[0] * (p.centreX - box.x) - p.axisX[1] * (p.centreY - box.y),
       p.axisY[0], p.axisY[1],
       tub.height / 2.0 - p.axisY[0] * (p.centreX - box.x) - p.axisY[1] * (p.centreY - box.y));
  return {box, m};
}

// The same products with OpenCV: each warped into the box of its place with nearest
// neighbours (the rest of the box white), then copied where it is not white. The
// unturned ones are one masked copy each, with the mask made beforehand.
void OpenCvDrawProducts(benchmark::State& state) {
  vrx::EngineAttach();
  const bool turned = state.range(0) != 0;
  const vrx::ProductBitmap tub = Tub();
  const cv::Mat src(tub.height, tub.width, CV_8UC1, tub.pixels);
  const cv::Mat srcMask = src != 255;
  const std::vector<vrx::ProductPlace> places = Places(turned);
  cv::Mat sheet(kH, kW, CV_8UC1, cv::Scalar(255));
  std::vector<WarpJob> jobs;
  for (const vrx::ProductPlace& p : places) jobs.push_back(WarpOf(p, tub));
  cv::Mat warped, mask;
  for (auto _ : state) {
    for (const WarpJob& j : jobs) {
      cv::Mat roi = sheet(j.box);
      if (turned) {
        cv::warpAffine(src, warped, j.toBox, j.box.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                       cv::BORDER_CONSTANT, cv::Scalar(255));
        cv::compare(warped, 255, mask, cv::CMP_NE);
        warped.copyTo(roi, mask);
      } else {
        const int w = std::min(j.box.width, src.cols), h = std::min(j.box.height, src.rows);
        src(cv::Rect(0, 0, w, h)).copyTo(roi(cv::Rect(0, 0, w, h)), srcMask(cv::Rect(0, 0, w, h)));
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(OpenCvDrawProducts)->ArgName("turned")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
#endif

// The largest plan: 511 layout records (a room, then installation walls until the
// wall table is full, and more beyond it) and 511 design records: 64 drawn tubs,
// then installation walls and tubs beyond the 64th.
void BuildLargestPlan() {
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  auto insert = [](const char* kind, int x, int y, std::uint32_t p0, std::uint32_t p1,
                   std::uint32_t p2) {
    std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
    vrx::core.request.x = static_cast<std::uint16_t>(x + vrx::view.roomOriginX);
    vrx::core.request.y = static_cast<std::uint16_t>(y + vrx::view.roomOriginY);
    vrx::core.request.p0 = p0;
    vrx::core.request.p1 = p1;
    vrx::core.request.p2 = p2;
    vrx::InsertRequest(kind);
  };
  insert("WALLRECT", 760, 560, 720, 530, 32767);
  vrx::FullRedraw();
  for (int i = 1; i < vrx::kMaxListEntries; ++i)
    insert("INSTWALL", 200 + (i * 37) % 1100, 150 + (i * 53) % 800, 20 + i % 30, 6, (i * 13) % 360);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  std::strncpy(vrx::products.fileName, TubPath().c_str(), vrx::kMaxFileName);
  for (int i = 0; i < vrx::kMaxListEntries; ++i) {
    if (i < kProducts || i % 2)
      insert("PRODUCT", 110 + 185 * (i % 8), 90 + 135 * ((i / 8) % 8), 1000 + i, 0, 7 + 11 * i);
    else
      insert("INSTWALL", 200 + (i * 31) % 1100, 150 + (i * 41) % 800, 30, 6, i % 360);
  }
}

void FullRedrawOfTheLargestPlan(benchmark::State& state) {
  HWND window = Bind();
  BuildLargestPlan();
  // The worksheet alone; refreshing the work window is measured with the view.
  vrx::pointer.workWindow = 0;
  vrx::FullRedraw();
  for (auto _ : state) vrx::FullRedraw();
  state.counters["records"] = vrx::core.layout.count + vrx::core.design.count;
  state.counters["drawn"] = vrx::DrawnProductCount();
  vrx::pointer.workWindow = window;
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(FullRedrawOfTheLargestPlan)->Unit(benchmark::kMicrosecond);

#ifdef TESSEL_HAVE_OPENCV
// The same picture with OpenCV primitives: white sheet and frame, the room's wall
// bands and every installation wall band as filled polygons, dimming by a table, and
// the 64 tubs warped and copied through their masks.
void OpenCvRedrawOfTheLargestPlan(benchmark::State& state) {
  Bind();
  BuildLargestPlan();
  vrx::FullRedraw();
  std::vector<std::vector<cv::Point>> bands;
  for (int i = 0; i <= vrx::walls.last; ++i) {
    const vrx::WallSegment& s = vrx::walls.segments[i];
    vrx::FloatPoint d, n;
    if (s.kind == vrx::SEG_FREE || !vrx::SegmentFrame(i, &d, &n)) continue;
    const double t = s.kind == vrx::SEG_INSTWALL ? 2.0 * s.thickness : 30.0;
    bands.push_back(
        {{s.x1, s.y1},
         {s.x2, s.y2},
         {static_cast<int>(s.x2 - t * double{n.x}), static_cast<int>(s.y2 - t * double{n.y})},
         {static_cast<int>(s.x1 - t * double{n.x}), static_cast<int>(s.y1 - t * double{n.y})}});
  }
  cv::Mat lut(1, 256, CV_8UC1);
  for (int i = 0; i < 256; ++i) lut.at<std::uint8_t>(i) = vrx::view.dimMap[i];
  const vrx::ProductBitmap tub = Tub();
  const cv::Mat src(tub.height, tub.width, CV_8UC1, tub.pixels);
  const std::vector<vrx::ProductPlace> places = Places(true);
  cv::Mat sheet(kH, kW, CV_8UC1), warped, mask;
  for (auto _ : state) {
    sheet.setTo(255);
    cv::rectangle(sheet, cv::Rect(1, 1, kW - 2, kH - 2), cv::Scalar(98), 2);
    for (const auto& band : bands)
      cv::fillPoly(sheet, std::vector<std::vector<cv::Point>>{band}, cv::Scalar(98));
    cv::LUT(sheet, lut, sheet);
    for (const vrx::ProductPlace& p : places) {
      const WarpJob j = WarpOf(p, tub);
      const cv::Rect& box = j.box;
      const cv::Mat& m = j.toBox;
      cv::warpAffine(src, warped, m, box.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                     cv::BORDER_CONSTANT, cv::Scalar(255));
      cv::compare(warped, 255, mask, cv::CMP_NE);
      cv::Mat roi = sheet(box);
      warped.copyTo(roi, mask);
    }
    benchmark::ClobberMemory();
  }
  state.counters["bands"] = static_cast<double>(bands.size());
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(OpenCvRedrawOfTheLargestPlan)->Unit(benchmark::kMicrosecond);
#endif

// A wall-mounted basin hanging at the pointer in a furnished room: each move undraws
// the outline, snaps, tests the place and draws it again.
void CursorPositionWithAProduct(benchmark::State& state) {
  Bind();
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
  vrx::core.cursorX = 760 + vrx::view.roomOriginX;
  vrx::core.cursorY = 560 + vrx::view.roomOriginY;
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  CallTessel(TC_PutFreeWall, 100, 8, 30, 0, 0);
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  const std::string& path = TubPath();
  CallTessel(TC_PutProduct, 7, 1, 0, reinterpret_cast<long>(path.c_str()), 0);
  int step = 0;
  for (auto _ : state) {
    // Two window pixels a step: one worksheet pixel at zoom 200, so every call moves.
    SetCursorPos(500 + 2 * (step & 63), 300 + 2 * ((step >> 6) & 15));
    ++step;
    CallTessel(TC_CursorPosition, 9999, 9999, 0, 0, 0);
  }
  state.counters["lines"] = vrx::productWork.lineCount;
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(CursorPositionWithAProduct)->Unit(benchmark::kMicrosecond);

// The engine's own share of such a move, without the six lines drawn twice in the
// window: snapping the hanging product to the nearest wall and testing its place.
void PlaceAndTestAProduct(benchmark::State& state) {
  Bind();
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  CallTessel(TC_PutWallRectangle, 300, 250, 32767, 0, 0);
  vrx::core.cursorX = 760 + vrx::view.roomOriginX;
  vrx::core.cursorY = 560 + vrx::view.roomOriginY;
  CallTessel(TC_DropCursor, 0, 0, 0, 0, 0);
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  const std::string& path = TubPath();
  CallTessel(TC_PutProduct, 7, 1, 0, reinterpret_cast<long>(path.c_str()), 0);
  int step = 0, refused = 0;
  for (auto _ : state) {
    vrx::ProductPlace place;
    vrx::PlaceProduct(500 + (step & 63), 350 + ((step >> 6) & 15), &place);
    ++step;
    refused += vrx::Collides(place.corners, 0);
    benchmark::DoNotOptimize(refused);
  }
  CallTessel(TC_SetSelectCursor, 0, 0, 0, 0, 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
}
BENCHMARK(PlaceAndTestAProduct)->Unit(benchmark::kMicrosecond);

// The hit test over a full table of turned areas, at points spread over the sheet.
void HitTestOfAFullTable(benchmark::State& state) {
  vrx::EngineAttach();
  vrx::ClearHitAreas();
  const std::vector<vrx::ProductPlace> places = Places(true);
  for (int i = 0; i < vrx::kMaxHitAreas; ++i)
    vrx::RegisterHitArea(vrx::kDesignTagBase + i, places[i % kProducts].corners, 4);
  int step = 0, hits = 0;
  for (auto _ : state) {
    const int x = (step * 97) % kW, y = (step * 61) % kH;
    ++step;
    hits += vrx::HitTest(x, y) >= 0;
    benchmark::DoNotOptimize(hits);
  }
  state.counters["areas"] = vrx::HitAreaCount();
  vrx::ClearHitAreas();
}
BENCHMARK(HitTestOfAFullTable);

}  // namespace
