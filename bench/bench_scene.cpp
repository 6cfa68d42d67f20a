// One whole scene drawn on a 1520 x 1120 8-bit picture, by the drawing layer and by
// OpenCV primitives side by side: clearing, 200 wall bands, the flood fill of the
// room inside them, 300 colour-keyed product bitmaps, 50 door arcs and 200 thin lines.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/gdi.h"
#include "support/grey_surface.h"

#ifdef TESSEL_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace plat;

namespace {

constexpr int kW = 1520, kH = 1120;
constexpr int kBands = 200, kProducts = 300, kArcs = 50, kLines = 200;
constexpr int kProductW = 160, kProductH = 90;
constexpr std::uint8_t kPaper = 255, kWall = 96, kFloor = 200, kLine = 0, kKey = 255;
// Inner radius of the wall ring: its inside is about 700,000 pixels.
constexpr double kRoomRadius = 405;

// The scene's stages; the benchmark's argument says which are drawn, so that each
// stage's share can be looked at on its own.
enum Stage : int {
  kClear = 1,
  kWalls = 2,
  kFlood = 4,
  kProductsStage = 8,
  kArcsStage = 16,
  kLinesStage = 32,
  kWholeScene = 63
};

// The whole scene, then each stage on a cleared sheet, for both drawers alike.
void Stages(benchmark::internal::Benchmark* b) {
  for (const int stages : std::initializer_list<int>{
           kWholeScene, kClear, kClear | kWalls, kClear | kWalls | kFlood, kClear | kProductsStage,
           kClear | kArcsStage, kClear | kLinesStage})
    b->Arg(stages);
  b->Unit(benchmark::kMicrosecond);
}

struct Band {
  POINT corner[4];
};

// Quadrilaterals 24 pixels thick along a zig-zag ring; each overlaps its neighbours
// by half a step, so the ring has no gap and the flood fill (693,886 pixels) stays
// inside it.
std::vector<Band> Walls() {
  std::vector<Band> bands;
  const double cx = kW / 2.0, cy = kH / 2.0;
  for (int i = 0; i < kBands; ++i) {
    const double a0 = 2 * M_PI * (i - 0.5) / kBands, a1 = 2 * M_PI * (i + 1.5) / kBands;
    const double r0 = kRoomRadius + (i % 2 ? 0 : 20), r1 = kRoomRadius + (i % 2 ? 20 : 0);
    auto at = [&](double a, double r) {
      return POINT{static_cast<int>(cx + r * 1.3 * std::cos(a)),
                   static_cast<int>(cy + r * std::sin(a))};
    };
    bands.push_back({{at(a0, r0), at(a1, r1), at(a1, r1 + 24), at(a0, r0 + 24)}});
  }
  return bands;
}

// A product picture: a rounded tub in greys on the key colour.
void PaintProduct(std::uint8_t* bits, int stride) {
  for (int y = 0; y < kProductH; ++y)
    for (int x = 0; x < kProductW; ++x) {
      const double u = (x - kProductW / 2.0) / (kProductW / 2.0 - 4);
      const double v = (y - kProductH / 2.0) / (kProductH / 2.0 - 4);
      const double d = u * u * u * u + v * v * v * v;
      bits[y * stride + x] = d > 1 ? kKey : d > 0.8 ? 0 : static_cast<std::uint8_t>(120 + x % 64);
    }
}

POINT ProductAt(int i) {
  return POINT{20 + (i % 20) * 67, 20 + (i / 20) * 66};
}

struct ArcPlace {
  int x, y, r;
};
ArcPlace ArcAt(int i) {
  return ArcPlace{100 + (i % 10) * 130, 150 + (i / 10) * 180, 40 + (i % 5) * 8};
}

struct LinePlace {
  POINT a, b;
};
LinePlace LineAt(int i) {
  const int x = 30 + (i * 37) % 1400, y = 30 + (i * 53) % 1000;
  return LinePlace{{x, y}, {x + 60 + (i * 17) % 300, y + (i * 29) % 120 - 60}};
}

void SceneByDrawingLayer(benchmark::State& state) {
  GreySurface sheet(kW, kH, kPaper);
  GreySurface product(kProductW, kProductH, kKey);
  PaintProduct(product.bits, product.stride);
  const std::vector<Band> walls = Walls();
  HBRUSH wall = CreateSolidBrush(DIBINDEX(kWall)), floor = CreateSolidBrush(DIBINDEX(kFloor));
  HPEN door = CreatePen(PS_SOLID, 2, DIBINDEX(kLine)),
       thin = CreatePen(PS_SOLID, 1, DIBINDEX(kLine));
  const HDC dc = sheet.dc;
  const auto st = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (st & kClear) PatBlt(dc, 0, 0, kW, kH, WHITENESS);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, wall);
    if (st & kWalls)
      for (const Band& b : walls) Polygon(dc, b.corner, 4);
    SelectObject(dc, floor);
    if (st & kFlood) FloodFill(dc, kW / 2, kH / 2, DIBINDEX(kWall));
    for (int i = 0; i < kProducts * !!(st & kProductsStage); ++i) {
      const POINT p = ProductAt(i);
      TransparentBlt(dc, p.x, p.y, kProductW, kProductH, product.dc, 0, 0, kProductW, kProductH,
                     DIBINDEX(kKey));
    }
    SelectObject(dc, door);
    for (int i = 0; i < kArcs * !!(st & kArcsStage); ++i) {
      const ArcPlace a = ArcAt(i);
      Arc(dc, a.x - a.r, a.y - a.r, a.x + a.r, a.y + a.r, a.x + a.r, a.y, a.x, a.y - a.r);
    }
    SelectObject(dc, thin);
    for (int i = 0; i < kLines * !!(st & kLinesStage); ++i) {
      const LinePlace l = LineAt(i);
      MoveToEx(dc, l.a.x, l.a.y, nullptr);
      LineTo(dc, l.b.x, l.b.y);
    }
    benchmark::ClobberMemory();
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  for (HGDIOBJ o : {wall, floor, door, thin}) DeleteObject(o);
}
BENCHMARK(SceneByDrawingLayer)->Apply(Stages);

#ifdef TESSEL_HAVE_OPENCV
void SceneByOpenCv(benchmark::State& state) {
  cv::Mat sheet(kH, kW, CV_8UC1, cv::Scalar(kPaper));
  cv::Mat product(kProductH, kProductW, CV_8UC1);
  PaintProduct(product.data, static_cast<int>(product.step));
  const cv::Mat productMask = product != kKey;
  std::vector<std::vector<cv::Point>> walls;
  for (const Band& b : Walls()) {
    std::vector<cv::Point> p;
    for (const POINT& q : b.corner) p.emplace_back(q.x, q.y);
    walls.push_back(p);
  }
  const auto st = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (st & kClear) sheet.setTo(kPaper);
    if (st & kWalls)
      for (const auto& p : walls) cv::fillConvexPoly(sheet, p, cv::Scalar(kWall), cv::LINE_8);
    if (st & kFlood)
      cv::floodFill(sheet, cv::Point(kW / 2, kH / 2), cv::Scalar(kFloor), nullptr, 0, 0, 4);
    for (int i = 0; i < kProducts * !!(st & kProductsStage); ++i) {
      const POINT p = ProductAt(i);
      cv::Mat roi = sheet(cv::Rect(p.x, p.y, kProductW, kProductH));
      product.copyTo(roi, productMask);
    }
    for (int i = 0; i < kArcs * !!(st & kArcsStage); ++i) {
      const ArcPlace a = ArcAt(i);
      cv::ellipse(sheet, cv::Point(a.x, a.y), cv::Size(a.r, a.r), 0, -90, 0, cv::Scalar(kLine), 2,
                  cv::LINE_8);
    }
    for (int i = 0; i < kLines * !!(st & kLinesStage); ++i) {
      const LinePlace l = LineAt(i);
      cv::line(sheet, cv::Point(l.a.x, l.a.y), cv::Point(l.b.x, l.b.y), cv::Scalar(kLine), 1,
               cv::LINE_8);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(SceneByOpenCv)->Apply(Stages);
#endif

}  // namespace
