// A placed product's position typed as distances from the walls: where the selected
// product stands from the walls round it, and the offset that puts it at the distances
// the user typed. Plain code over the plan's text; the move itself is the engine's.
#pragma once

#include <QRectF>
#include <array>

#include "check/live_distances.h"
#include "check/plan_check.h"

namespace tessel {

// The sides of a product's upright box, in the order the distances are given.
enum WallSide { kLeftWall = 0, kTopWall = 1, kRightWall = 2, kBottomWall = 3 };
// The two axes a product moves along.
enum MoveAxis { kAcrossAxis = 0, kUpDownAxis = 1, kNoAxis = -1 };

struct ProductStand {
  bool found = false;
  int position = 0;        // from 1, as the check numbers the plan's products
  ProductOutline outline;  // as the engine places it, turned or against its wall
  QRectF box;              // the outline's upright box in worksheet pixels
  // Pixels of floor from the outline to the nearest wall to the left, above, to the
  // right and below: the least over the outline's rows or columns, measured level from
  // its outermost point there, as a fitter's tape from the wall meets the nearest point
  // of the product; -1 where no wall lies that way on the sheet.
  std::array<int, 4> wallPixels{-1, -1, -1, -1};
  // The axis the wall behind a wall-mounted product holds: it slides along its wall only.
  MoveAxis held = kNoAxis;
  // It stands against a slanted wall (a diagonal corner, a turned installation wall):
  // distances from the room's walls cannot place it, see OffsetFor.
  bool slanted = false;
  int WallCm(int side) const {
    const int px = wallPixels[static_cast<std::size_t>(side)];
    return px < 0 ? -1 : px / kPixelsPerCm;
  }
};

// The product at index `designIndex` of the furnishing list (the selection's tag less
// the design list's base), as the plan's text holds it; not found when that entry is
// no product the catalogue or its picture can size.
ProductStand StandOf(const PlanText& plan, const CheckCatalogue& catalogue, int designIndex);

// What the user typed: one distance across (from the left or the right wall) and one
// up and down (from the top or the bottom wall), in whole centimetres.
struct TypedPosition {
  WallSide across = kLeftWall;
  int acrossCm = 0;
  WallSide upDown = kTopWall;
  int upDownCm = 0;
};

enum class PositionRefusal {
  kNone,
  kNoWall,   // no wall lies on the side the distance is measured from
  kTooWide,  // the distance leaves the product no room before the opposite wall
  kSlanted,  // the product stands against a slanted wall
};

struct PositionOffset {
  int dx = 0, dy = 0;  // worksheet pixels
  PositionRefusal refusal = PositionRefusal::kNone;
  WallSide side = kLeftWall;  // the side the refusal is about
  int roomCm = 0;             // kTooWide: the most that side can take
};

// The offset that puts the product's sides at the typed distances. A held axis keeps
// its place: the wall behind the product decides it. The distances are measured to the
// walls the product sees now; a room that is notched beside the product can give other
// walls once it stands elsewhere, and the distances there are the nearest walls' again.
// A product against a slanted wall is refused: moved along one sheet axis it would
// leave its wall, and the engine would pull it back onto the nearest wall point.
PositionOffset OffsetFor(const ProductStand& stand, const TypedPosition& typed);

}  // namespace tessel
