#include "check/live_distances.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessel {

namespace {

constexpr int kWidth = FloorMap::kWidth, kHeight = FloorMap::kHeight;
// Counts stop here: nothing lies that way on the sheet.
constexpr std::uint16_t kOpen = 0xFFFF;
// A wall-mounted product stands two pixels off its wall's line; its wall is the
// nearest one within this reach of the pointer.
constexpr int kWallGap = 2;
constexpr int kMountMask = 0xF, kMountMirrored = 7, kMountMirrorShift = 6, kMountAsFirst = 5;

std::size_t At(int x, int y) {
  return static_cast<std::size_t>(y) * kWidth + x;
}

}  // namespace

DistanceMap::DistanceMap(const PlanText& plan, const CheckCatalogue& catalogue)
    : catalogue_(catalogue) {
  const FloorMap floor(plan.layout);
  origin_ = floor.Origin();
  const std::size_t n = static_cast<std::size_t>(kWidth) * kHeight;
  walls_.assign(n, 0);
  std::vector<std::uint8_t> free(n, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) walls_[At(x, y)] = free[At(x, y)] = floor.Floor(x, y);
  for (const CheckProduct& p : ProductsOf(plan, floor, catalogue, FreeAreaSetting::kPrivate)) {
    const QRect box = p.Box().toAlignedRect() & QRect(0, 0, kWidth, kHeight);
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x)
        if (p.Covers(QPointF(x + 0.5, y + 0.5))) free[At(x, y)] = 0;
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

QRectF DistanceMap::Place(const HangingProduct& product, QPointF pointer) const {
  int group = 0;
  QString model, name;
  double width = 0, depth = 0;
  if (IsEmpty() || !catalogue_.product ||
      !catalogue_.product(product.id, &group, &model, &name, &width, &depth))
    return {};
  const double hw = std::floor(std::round(width * kPixelsPerCm) / 2.0);
  const double hh = std::floor(std::round(depth * kPixelsPerCm) / 2.0);
  int t = product.mount & kMountMask;
  if (t >= kMountMirrored) t -= kMountMirrorShift;
  if (t >= kMountAsFirst) t = 1;
  if (t == 0) {
    const double a = product.angle * std::numbers::pi / 180;
    const double c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
    const double ex = hw * c + hh * s, ey = hw * s + hh * c;
    return QRectF(pointer.x() - ex, pointer.y() - ey, 2 * ex, 2 * ey);
  }
  // The nearest wall in the four directions; the product's back stands off it.
  const int px = std::clamp(static_cast<int>(pointer.x()), 0, kWidth - 1);
  const int py = std::clamp(static_cast<int>(pointer.y()), 0, kHeight - 1);
  int best = kOpen, direction = -1;
  for (int d = 0; d < 4; ++d) {
    const int dx = d == 0 ? -1 : d == 2 ? 1 : 0, dy = d == 1 ? -1 : d == 3 ? 1 : 0;
    int k = 0, x = px, y = py;
    while (x >= 0 && y >= 0 && x < kWidth && y < kHeight && walls_[At(x, y)]) {
      x += dx;
      y += dy;
      ++k;
    }
    if (x >= 0 && y >= 0 && x < kWidth && y < kHeight && k < best) {
      best = k;
      direction = d;
    }
  }
  const double back = t % 2 ? hh : hw, along = t % 2 ? hw : hh;
  if (direction < 0) return QRectF(pointer.x() - along, pointer.y() - back, 2 * along, 2 * back);
  // The wall's line lies on the edge of the last floor pixel; the back stands the gap
  // off it.
  switch (direction) {
    case 0: {  // wall to the left
      const double line = px - best + 1;
      return QRectF(line + kWallGap, pointer.y() - along, 2 * back, 2 * along);
    }
    case 2: {
      const double line = px + best;
      return QRectF(line - kWallGap - 2 * back, pointer.y() - along, 2 * back, 2 * along);
    }
    case 1: {  // wall above
      const double line = py - best + 1;
      return QRectF(pointer.x() - along, line + kWallGap, 2 * along, 2 * back);
    }
    default: {
      const double line = py + best;
      return QRectF(pointer.x() - along, line - kWallGap - 2 * back, 2 * along, 2 * back);
    }
  }
}

std::array<int, 4> DistanceMap::Distances(const QRectF& box) const {
  std::array<int, 4> out{-1, -1, -1, -1};
  if (IsEmpty() || box.isEmpty()) return out;
  const int left = static_cast<int>(std::floor(box.left())),
            right = static_cast<int>(std::ceil(box.right())) - 1,
            top = static_cast<int>(std::floor(box.top())),
            bottom = static_cast<int>(std::ceil(box.bottom())) - 1;
  const int x0 = std::clamp(left, 0, kWidth - 1), x1 = std::clamp(right, 0, kWidth - 1);
  const int y0 = std::clamp(top, 0, kHeight - 1), y1 = std::clamp(bottom, 0, kHeight - 1);
  // The nearest obstacle along a side: the least count of free pixels beyond it.
  auto side = [&](const std::vector<std::uint16_t>& counts, int fixed, bool column, int from,
                  int to) {
    if ((column && (fixed < 0 || fixed >= kWidth)) || (!column && (fixed < 0 || fixed >= kHeight)))
      return 0;
    std::uint16_t least = kOpen;
    for (int i = from; i <= to; ++i)
      least = std::min(least, counts[column ? At(fixed, i) : At(i, fixed)]);
    return least == kOpen ? -1 : least / kPixelsPerCm;
  };
  out[0] = side(left_, left - 1, true, y0, y1);
  out[1] = side(up_, top - 1, false, x0, x1);
  out[2] = side(right_, right + 1, true, y0, y1);
  out[3] = side(down_, bottom + 1, false, x0, x1);
  return out;
}

}  // namespace tessel
