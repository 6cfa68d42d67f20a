// Live distances: while a product hangs at the pointer or is dragged, how far each of
// its four sides is from the nearest wall or object in that direction. The plan's
// obstacles (its products where the engine stands them) and the wall lines a product
// snaps to are laid out once per change of the plan; each pointer move then only
// places the product and reads the obstacles along its outline.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "check/plan_check.h"
#include "check/wall_lines.h"

namespace tessel {

// The product hanging at the pointer: its catalogue number, mount code and angle.
struct HangingProduct {
  int id = 0;
  int mount = 0;
  int angle = 0;
};

class DistanceMap {
 public:
  DistanceMap() = default;
  DistanceMap(const PlanText& plan, const CheckCatalogue& catalogue);
  bool IsEmpty() const { return left_.empty(); }
  QPointF Origin() const { return origin_; }

  // Where the product stands for the pointer at a worksheet point, as the engine
  // places it. Not valid when the catalogue does not know the product.
  ProductOutline Place(const HangingProduct& product, QPointF pointer) const;
  // Centimetres from the outline to the nearest wall or object to the left, above, to
  // the right and below: the least, over the outline's rows or columns, of the gap
  // between the outline's outermost point that way and what lies beyond it, as a tape
  // held level would measure it; -1 where nothing lies that way on the sheet.
  std::array<int, 4> Distances(const ProductOutline& outline) const;

 private:
  std::vector<std::uint16_t> left_, up_, right_, down_;  // free pixels in a row or column
  QPointF origin_;
  CheckCatalogue catalogue_;
  WallLines lines_;
};

// Calls `visit(at, line, row)` for each pixel row whose centre an edge of the outline
// crosses (row true; `at` is the edge's x there) and for each pixel column whose centre
// it crosses (row false; `at` is its y). Every outermost point of the outline, row by
// row and column by column, is among them; the others lie inside it.
template <typename Visit>
void ForEachOutlineCrossing(const ProductOutline& outline, Visit&& visit) {
  for (std::size_t i = 0; i < outline.corners.size(); ++i) {
    const QPointF a = outline.corners[i], b = outline.corners[(i + 1) % outline.corners.size()];
    if (a.y() != b.y()) {
      const double slope = (b.x() - a.x()) / (b.y() - a.y());
      const double high = std::max(a.y(), b.y());
      for (int y = static_cast<int>(std::ceil(std::min(a.y(), b.y()) - 0.5)); y + 0.5 < high; ++y)
        visit(a.x() + (y + 0.5 - a.y()) * slope, y, true);
    }
    if (a.x() != b.x()) {
      const double slope = (b.y() - a.y()) / (b.x() - a.x());
      const double high = std::max(a.x(), b.x());
      for (int x = static_cast<int>(std::ceil(std::min(a.x(), b.x()) - 0.5)); x + 0.5 < high; ++x)
        visit(a.y() + (x + 0.5 - a.x()) * slope, x, false);
    }
  }
}

}  // namespace tessel
