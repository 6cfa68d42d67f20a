// Live distances: while a product hangs at the pointer or is dragged, how far each of
// its four sides is from the nearest wall or object in that direction. The plan's
// obstacles and the wall lines a product snaps to are laid out once per change of the
// plan; each pointer move then only places the product and reads the obstacles along
// its outline.
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

namespace tessel {

// The product hanging at the pointer: its catalogue number, mount code and angle.
struct HangingProduct {
  int id = 0;
  int mount = 0;
  int angle = 0;
};

// Where a product stands: the four corners of its outline round it, in worksheet
// pixels, as the engine places and draws them.
struct ProductOutline {
  bool valid = false;
  std::array<QPointF, 4> corners{};
  QPoint centre;  // where the engine keeps it: the product record's place
  // Unit vector along the wall it stands against; null for a free-standing product.
  QPointF wall;
  QRectF Box() const;
  // Whether a worksheet point lies within the outline or on its edge.
  bool Covers(QPointF p) const;
  // Whether the wall it stands against runs across or up and down the sheet (a room
  // wall or a straight installation wall), not slanted.
  bool OnStraightWall() const;
};

// The lines a wall-mounted product snaps to, re-created from the plan as the engine
// builds them: every straight room wall between its corners, doors and windows (one
// line through the windows of a wall, as the wall goes on under them), each diagonal
// corner's cut, and all four sides of every installation wall at its angle.
class WallLines {
 public:
  WallLines() = default;
  WallLines(const PlanText& plan, const FloorMap& floor);

  // The product's outline for a stored centre (or, `hanging`, a pointer) in worksheet
  // pixels: free-standing round it, turned by its angle; wall-mounted against the
  // nearest wall line, or, for a stored centre, on the line whose place it already is,
  // as the engine redraws a plan. Half sizes are the picture's whole half pixels. Not
  // valid for a wall-mounted product when no line is left.
  ProductOutline Place(int mount, int angle, int halfWidth, int halfHeight, QPoint pointer,
                       bool hanging = false) const;

 private:
  struct Line {
    double ax, ay, bx, by;  // in ring direction: the normal (-dy, dx) points off the wall
    bool band;              // an installation wall's or a diagonal corner's band line
    // The band's corners as drawn, whose face a product placed now stands off: an
    // installation wall's four, a diagonal corner's cut's two ends; none for a room wall.
    int drawnCorners;
    double drawn[4][2];
    // A diagonal corner's cut: the unit directions, in ring order, of the walls meeting
    // its start and its end, which a product placed now keeps clear of.
    bool cut;
    double before[2], after[2];
  };
  std::vector<Line> lines_;
};

// A product's half sizes in whole pixels as the engine reads them from its picture:
// from the catalogue's size, or from the picture file when the catalogue does not know
// it. False when neither gives one.
bool HalfSizeOf(const PlanRecord& product, const CheckCatalogue& catalogue, int* halfWidth,
                int* halfHeight);

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
