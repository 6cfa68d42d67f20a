#include "check/live_distances.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessel {

namespace {

constexpr int kWidth = FloorMap::kWidth, kHeight = FloorMap::kHeight;
// Counts stop here: nothing lies that way on the sheet.
constexpr std::uint16_t kOpen = 0xFFFF;
// floor() and ceil() without the library call, on every point of a pointer move.
int FloorOf(double v) {
  const int t = static_cast<int>(v);
  return t - (v < t ? 1 : 0);
}
int CeilOf(double v) {
  const int t = static_cast<int>(v);
  return t + (v > t ? 1 : 0);
}

std::size_t At(int x, int y) {
  return static_cast<std::size_t>(y) * kWidth + x;
}

}  // namespace

DistanceMap::DistanceMap(const PlanText& plan, const CheckCatalogue& catalogue)
    : catalogue_(catalogue) {
  const FloorMap floor(plan.layout);
  origin_ = floor.Origin();
  lines_ = WallLines(plan, floor);
  const std::size_t n = static_cast<std::size_t>(kWidth) * kHeight;
  // Installation walls are walls to measure to, as much as the room's.
  std::vector<std::uint8_t> free(n, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      free[At(x, y)] = floor.Floor(x, y) && !floor.InstallationWall(x, y);
  // Each product is an obstacle of its outline where the engine stands it: turned along
  // a slanted wall, turned by its angle when it stands free. The outline is convex, so
  // each pixel row it covers is one run between its two crossing edges: the pixels whose
  // centres lie between them, edges included.
  std::vector<std::pair<double, double>> runs;
  for (const CheckProduct& p : ProductsOf(plan, lines_, catalogue, FreeAreaSetting::kPrivate)) {
    const QRectF box = p.outline.Box();
    const int top = FloorOf(box.top());
    runs.assign(static_cast<std::size_t>(CeilOf(box.bottom()) - top + 1),
                {box.right(), box.left()});
    ForEachOutlineCrossing(p.outline, [&](double at, int line, bool row) {
      if (!row) return;
      auto& run = runs[static_cast<std::size_t>(line - top)];
      run.first = std::min(run.first, at);
      run.second = std::max(run.second, at);
    });
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const int y = top + static_cast<int>(i);
      if (y < 0 || y >= kHeight) continue;
      const int from = std::max(CeilOf(runs[i].first - 0.5), 0);
      const int to = std::min(FloorOf(runs[i].second - 0.5), kWidth - 1);
      for (int x = from; x <= to; ++x) free[At(x, y)] = 0;
    }
  }
  // Free pixels counted from each obstacle in the four directions.
  left_.assign(n, 0);
  right_.assign(n, 0);
  up_.assign(n, 0);
  down_.assign(n, 0);
  auto next = [](std::uint16_t v) {
    return v == kOpen ? kOpen : static_cast<std::uint16_t>(v + 1);
  };
  for (int y = 0; y < kHeight; ++y) {
    std::uint16_t run = kOpen;
    for (int x = 0; x < kWidth; ++x) left_[At(x, y)] = run = free[At(x, y)] ? next(run) : 0;
    run = kOpen;
    for (int x = kWidth - 1; x >= 0; --x) right_[At(x, y)] = run = free[At(x, y)] ? next(run) : 0;
  }
  for (int x = 0; x < kWidth; ++x) {
    std::uint16_t run = kOpen;
    for (int y = 0; y < kHeight; ++y) up_[At(x, y)] = run = free[At(x, y)] ? next(run) : 0;
    run = kOpen;
    for (int y = kHeight - 1; y >= 0; --y) down_[At(x, y)] = run = free[At(x, y)] ? next(run) : 0;
  }
}

ProductOutline DistanceMap::Place(const HangingProduct& product, QPointF pointer) const {
  int group = 0;
  QString model, name;
  double width = 0, depth = 0;
  if (IsEmpty() || !catalogue_.product ||
      !catalogue_.product(product.id, &group, &model, &name, &width, &depth))
    return {};
  const QPoint at(static_cast<int>(std::floor(pointer.x())),
                  static_cast<int>(std::floor(pointer.y())));
  return lines_.Place(product.mount, product.angle, HalfPixels(width), HalfPixels(depth), at, true);
}

std::array<int, 4> DistanceMap::Distances(const ProductOutline& outline) const {
  std::array<int, 4> out{-1, -1, -1, -1};
  if (IsEmpty() || !outline.valid) return out;
  // The outline is convex: its outermost points to the left lie on the edges that face
  // left, and so on. Each edge walks the pixel rows (or columns) whose centres it
  // crosses and reads the count beyond it there; the least count is the distance. This
  // runs on every pointer move, so an edge faces one way of each axis only, and an
  // edge along the sheet's axes keeps its pixel for all its lines.
  double area = 0;
  for (std::size_t i = 0; i < outline.corners.size(); ++i) {
    const QPointF a = outline.corners[i], b = outline.corners[(i + 1) % outline.corners.size()];
    area += a.x() * b.y() - b.x() * a.y();
  }
  const double turn = area < 0 ? -1 : 1;
  std::uint16_t least[4] = {kOpen, kOpen, kOpen, kOpen};
  bool crossed = false;
  // Lines from `b0` to `b1` (pixel rows for `rows`, else columns) along which the edge
  // lies at `a0` to `a1`; `outward` says whether the counts beyond it are read before
  // (-1) or after (1) the edge's pixel on each line.
  auto walk = [&](double a0, double a1, double b0, double b1, bool rows, int outward) {
    if (b0 == b1 || outward == 0) return;
    if (b0 > b1) {
      std::swap(a0, a1);
      std::swap(b0, b1);
    }
    const int lines = rows ? kHeight : kWidth, length = rows ? kWidth : kHeight;
    const std::vector<std::uint16_t>& counts =
        rows ? (outward < 0 ? left_ : right_) : (outward < 0 ? up_ : down_);
    std::uint16_t& keep = least[(rows ? 0 : 1) + (outward < 0 ? 0 : 2)];
    const double slope = (a1 - a0) / (b1 - b0);
    const int first = std::max(CeilOf(b0 - 0.5), 0);
    const int last = std::min(CeilOf(b1 - 0.5) - 1, lines - 1);
    const std::size_t step = rows ? kWidth : 1, across = rows ? 1 : kWidth;
    std::uint16_t found = keep;
    for (int i = first; i <= last; ++i) {
      const double at = a0 + (i + 0.5 - b0) * slope;
      const int p = outward < 0 ? FloorOf(at) - 1 : CeilOf(at);
      found = std::min(
          found,
          p >= 0 && p < length
              ? counts[static_cast<std::size_t>(i) * step + static_cast<std::size_t>(p) * across]
              : std::uint16_t{0});
      crossed = true;
    }
    keep = found;
  };
  for (std::size_t i = 0; i < outline.corners.size(); ++i) {
    const QPointF a = outline.corners[i], b = outline.corners[(i + 1) % outline.corners.size()];
    // The edge's outward normal: (dy, -dx) for a turn of positive area on the sheet.
    const double nx = (b.y() - a.y()) * turn, ny = (a.x() - b.x()) * turn;
    walk(a.x(), b.x(), a.y(), b.y(), true, nx < 0 ? -1 : nx > 0 ? 1 : 0);
    walk(a.y(), b.y(), a.x(), b.x(), false, ny < 0 ? -1 : ny > 0 ? 1 : 0);
  }
  if (!crossed) return out;
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = least[i] == kOpen ? -1 : least[i] / kPixelsPerCm;
  return out;
}

}  // namespace tessel
