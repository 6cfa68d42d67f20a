// Live distances: while a product hangs at the pointer or is dragged, how far each of
// its four sides is from the nearest wall or object in that direction. The plan's
// obstacles are laid out once per change of the plan; each pointer move then only
// reads them along the product's sides.
#pragma once

#include <QPointF>
#include <QRectF>
#include <array>
#include <cstdint>
#include <vector>

#include "check/plan_check.h"

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

  // Where the product stands for the pointer at a worksheet point: free-standing round
  // it, turned by its angle (its upright box), or against the nearest wall, as the
  // engine snaps it. An empty box when the catalogue does not know the product.
  QRectF Place(const HangingProduct& product, QPointF pointer) const;
  // Centimetres from the box's left, top, right and bottom side to the nearest wall or
  // object in that direction; -1 where nothing lies that way on the sheet.
  std::array<int, 4> Distances(const QRectF& box) const;

 private:
  std::vector<std::uint8_t> walls_;                      // 1 where the floor is free of walls
  std::vector<std::uint16_t> left_, up_, right_, down_;  // free pixels in a row or column
  QPointF origin_;
  CheckCatalogue catalogue_;
};

}  // namespace tessel
