// The worksheet's raster work, each beside the plain memory operation or the OpenCV
// call that does the same job on the same 1520 x 1120 8-bit picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/core.h"
#include "platform/gdi.h"
#include "platform/window.h"
#include "support/grey_surface.h"
#include "view/view.h"

#ifdef TESSEL_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace plat;

namespace {

constexpr int kW = vrx::kSheetWidth, kH = vrx::kSheetHeight;

// The engine as the program has it after loading, started once for all benchmarks.
struct Engine {
  Engine() { vrx::EngineAttach(); }
  ~Engine() { vrx::EngineDetach(); }
};
Engine& TheEngine() {
  static Engine engine;
  return engine;
}

// A stand-alone 8-bit picture for the primitives.
struct Sheet : GreySurface {
  Sheet(int w, int h) : GreySurface(w, h, 255) {}
  std::size_t Stride() const { return static_cast<std::size_t>(stride); }
#ifdef TESSEL_HAVE_OPENCV
  cv::Mat Mat() {
    return cv::Mat(height, width, CV_8UC1, bits, Stride());
  }
#endif
};

// 200 wall bands: quadrilaterals 24 pixels thick along a zig-zag room outline.
std::vector<std::vector<POINT>> WallBands() {
  std::vector<std::vector<POINT>> bands;
  const double cx = kW / 2.0, cy = kH / 2.0;
  for (int i = 0; i < 200; ++i) {
    const double a0 = 2 * M_PI * i / 200, a1 = 2 * M_PI * (i + 1) / 200;
    const double r0 = (i % 2 ? 480 : 500), r1 = (i % 2 ? 500 : 480);
    auto at = [&](double a, double r) {
      return POINT{static_cast<int>(cx + r * 1.3 * std::cos(a)),
                   static_cast<int>(cy + r * std::sin(a))};
    };
    bands.push_back({at(a0, r0), at(a1, r1), at(a1, r1 + 24), at(a0, r0 + 24)});
  }
  return bands;
}

// A room outline with a notch, drawn in black on white, for the interior fill.
void DrawRoom(Sheet& s) {
  std::memset(s.bits, 255, s.Bytes());
  HPEN pen = CreatePen(PS_SOLID, 2, DIBINDEX(0));
  HGDIOBJ old = SelectObject(s.dc, pen);
  SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
  const POINT room[] = {{60, 60}, {1460, 60}, {1460, 700}, {1000, 700}, {1000, 1060}, {60, 1060}};
  Polygon(s.dc, room, 6);
  SelectObject(s.dc, old);
  DeleteObject(pen);
}

void ClearWorksheet(benchmark::State& state) {
  TheEngine();
  for (auto _ : state) {
    vrx::ClearWorksheet();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(ClearWorksheet);

void MemsetOfTheWorksheet(benchmark::State& state) {
  std::vector<std::uint8_t> sheet(vrx::kSheetBytes);
  for (auto _ : state) {
    std::memset(sheet.data(), 255, sheet.size());
    benchmark::DoNotOptimize(sheet.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(MemsetOfTheWorksheet);

void DimWorksheet(benchmark::State& state) {
  TheEngine();
  vrx::ClearWorksheet();
  for (auto _ : state) {
    vrx::DimWorksheet();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(DimWorksheet);

// Dimming where no two neighbouring pixels agree: the worst case, per byte.
void DimNoisyWorksheet(benchmark::State& state) {
  TheEngine();
  std::uint32_t seed = 1;
  for (std::size_t i = 0; i < vrx::kSheetBytes; ++i) {
    seed = seed * 1664525u + 1013904223u;
    vrx::view.sheetBits[i] = static_cast<std::uint8_t>(seed >> 24);
  }
  for (auto _ : state) {
    vrx::DimWorksheet();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(DimNoisyWorksheet);

void MemcpyOfTheWorksheet(benchmark::State& state) {
  std::vector<std::uint8_t> a(vrx::kSheetBytes, 1), b(vrx::kSheetBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(MemcpyOfTheWorksheet);

void WallBandsFill(benchmark::State& state) {
  Sheet s(kW, kH);
  const auto bands = WallBands();
  HBRUSH brush = CreateSolidBrush(DIBINDEX(96));
  SelectObject(s.dc, brush);
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  for (auto _ : state) {
    for (const auto& band : bands) Polygon(s.dc, band.data(), 4);
    benchmark::ClobberMemory();
  }
  DeleteObject(brush);
}
BENCHMARK(WallBandsFill);

void RoomFloodFill(benchmark::State& state) {
  Sheet s(kW, kH);
  DrawRoom(s);
  HBRUSH a = CreateSolidBrush(DIBINDEX(200)), b = CreateSolidBrush(DIBINDEX(201));
  bool flip = false;
  for (auto _ : state) {
    SelectObject(s.dc, flip ? a : b);
    FloodFill(s.dc, 500, 500, DIBINDEX(0));
    flip = !flip;
    benchmark::ClobberMemory();
  }
  SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(a);
  DeleteObject(b);
}
BENCHMARK(RoomFloodFill);

void XorRectangleDrawnAndUndrawn(benchmark::State& state) {
  Sheet s(kW, kH);
  HPEN pen = CreatePen(PS_SOLID, 2, DIBINDEX(0));
  SelectObject(s.dc, pen);
  SelectObject(s.dc, GetStockObject(HOLLOW_BRUSH));
  SetROP2(s.dc, R2_NOT);
  for (auto _ : state) {
    Rectangle(s.dc, 300, 200, 1100, 800);
    Rectangle(s.dc, 300, 200, 1100, 800);
    benchmark::ClobberMemory();
  }
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}
BENCHMARK(XorRectangleDrawnAndUndrawn);

// The same outline as above, inverted by plain loops over its four two-pixel edges.
void XorRectanglePlainLoop(benchmark::State& state) {
  Sheet s(kW, kH);
  const std::size_t stride = s.Stride();
  auto invert = [&](int l, int t, int r, int b) {
    for (int y = t; y < b; ++y) {
      std::uint8_t* row = s.bits + static_cast<std::size_t>(y) * stride;
      for (int x = l; x < r; ++x) row[x] = static_cast<std::uint8_t>(~row[x]);
    }
  };
  for (auto _ : state) {
    for (int pass = 0; pass < 2; ++pass) {
      invert(299, 199, 1101, 201);
      invert(299, 798, 1101, 800);
      invert(299, 201, 301, 798);
      invert(1098, 201, 1100, 798);
    }
    benchmark::DoNotOptimize(s.bits);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(XorRectanglePlainLoop);

// The region a stretch of `percent` copies: shrinking takes the whole sheet, enlarging
// the part that fills a 1280 x 800 window.
void StretchSource(int percent, int* sw, int* sh) {
  *sw = percent < 100 ? kW : 1280 * 100 / percent;
  *sh = percent < 100 ? kH : 800 * 100 / percent;
}

void StretchBlitWorksheet(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  Sheet src(kW, kH);
  DrawRoom(src);
  int sw, sh;
  StretchSource(percent, &sw, &sh);
  Sheet dst(sw * percent / 100, sh * percent / 100);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  for (auto _ : state) {
    StretchBlt(dst.dc, 0, 0, dst.width, dst.height, src.dc, 0, 0, sw, sh, SRCCOPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(StretchBlitWorksheet)->Arg(25)->Arg(400);

void ExpandWorksheetTo32Bits(benchmark::State& state) {
  Sheet src(kW, kH);
  DrawRoom(src);
  HWND window = CreateHostWindow(0, 0, kW, kH);
  HDC dc = GetDC(window);
  for (auto _ : state) {
    BitBlt(dc, 0, 0, kW, kH, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  ReleaseDC(window, dc);
  DestroyWindow(window);
}
BENCHMARK(ExpandWorksheetTo32Bits);

#ifdef TESSEL_HAVE_OPENCV
void OpenCvWallBandsFill(benchmark::State& state) {
  Sheet s(kW, kH);
  cv::Mat m = s.Mat();
  std::vector<std::vector<cv::Point>> polys;
  for (const auto& band : WallBands()) {
    std::vector<cv::Point> p;
    for (const auto& q : band) p.emplace_back(q.x, q.y);
    polys.push_back(p);
  }
  for (auto _ : state) {
    for (const auto& p : polys) cv::fillConvexPoly(m, p, cv::Scalar(96), cv::LINE_8);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvWallBandsFill);

void OpenCvWallBandsFillPoly(benchmark::State& state) {
  Sheet s(kW, kH);
  cv::Mat m = s.Mat();
  std::vector<std::vector<cv::Point>> polys;
  for (const auto& band : WallBands()) {
    std::vector<cv::Point> p;
    for (const auto& q : band) p.emplace_back(q.x, q.y);
    polys.push_back(p);
  }
  for (auto _ : state) {
    for (const auto& p : polys) cv::fillPoly(m, std::vector<std::vector<cv::Point>>{p}, 96);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvWallBandsFillPoly);

void OpenCvRoomFloodFill(benchmark::State& state) {
  Sheet s(kW, kH);
  DrawRoom(s);
  cv::Mat m = s.Mat();
  bool flip = false;
  for (auto _ : state) {
    cv::floodFill(m, cv::Point(500, 500), cv::Scalar(flip ? 200 : 201), nullptr, 0, 0, 4);
    flip = !flip;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvRoomFloodFill);

void OpenCvResizeNearest(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  Sheet src(kW, kH);
  DrawRoom(src);
  int sw, sh;
  StretchSource(percent, &sw, &sh);
  cv::Mat from = src.Mat()(cv::Rect(0, 0, sw, sh));
  cv::Mat to(sh * percent / 100, sw * percent / 100, CV_8UC1);
  for (auto _ : state) {
    cv::resize(from, to, to.size(), 0, 0, cv::INTER_NEAREST);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvResizeNearest)->Arg(25)->Arg(400);

void OpenCvLutDim(benchmark::State& state) {
  TheEngine();
  Sheet s(kW, kH);
  cv::Mat m = s.Mat();
  cv::Mat lut(1, 256, CV_8UC1, vrx::view.dimMap);
  for (auto _ : state) {
    cv::LUT(m, lut, m);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvLutDim);

// The same on one thread: OpenCV splits a table look-up this large over every core,
// while the engine draws on one.
void OpenCvLutDimOneThread(benchmark::State& state) {
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  OpenCvLutDim(state);
  cv::setNumThreads(threads);
}
BENCHMARK(OpenCvLutDimOneThread);

// Palette expansion the OpenCV way: spread the index over four channels, then look
// each channel up in the colour table.
void OpenCvExpandTo32Bits(benchmark::State& state) {
  Sheet s(kW, kH);
  DrawRoom(s);
  cv::Mat m = s.Mat(), wide(kH, kW, CV_8UC4);
  cv::Mat lut(1, 256, CV_8UC4);
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uchar>(i);
    lut.at<cv::Vec4b>(0, i) = cv::Vec4b(v, v, v, 0);
  }
  for (auto _ : state) {
    cv::cvtColor(m, wide, cv::COLOR_GRAY2BGRA);
    cv::LUT(wide, lut, wide);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(OpenCvExpandTo32Bits);
#endif

}  // namespace

BENCHMARK_MAIN();
