// The wall lines a wall-mounted product snaps to, re-created from the plan's text as
// the engine builds them, and a product placed on them as the engine places it. The
// plan check reads from it which wall a stored product stands against and where its
// front faces, the live distances where a hanging product would stand, and the typed
// position where the selected one stands: one reading of the engine's rule for all.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <array>
#include <vector>

#include "check/plan_model.h"

namespace tessel {

// The engine's mounting table: 0 free-standing, 1 to 4 against a wall and turned by
// one quarter turn less than the code from the wall's direction; 5 and 6 stand as 1,
// 7 and above as the code less 6.
int MountingOf(int mount);
constexpr int kMountFreeStanding = 0;  // the mounting of a product that stands free

// A product's half size in whole pixels from its size in centimetres, as the engine
// reads it from the picture: one pixel per 5 mm, halves whole.
int HalfPixels(double cm);

// Where a product stands: the four corners of its outline round it, in worksheet
// pixels, as the engine places and draws them.
struct ProductOutline {
  bool valid = false;
  std::array<QPointF, 4> corners{};
  QPoint centre;  // where the engine keeps it: the product record's place
  // Unit vectors along the picture's width and height on the sheet, before the corners
  // are truncated to whole pixels.
  QPointF axisX, axisY;
  // Unit vector along the wall it stands against, the floor on its right-hand side as
  // the sheet shows it, so that (-y, x) points off the wall towards the product's
  // front; null for a free-standing product.
  QPointF wall;
  QRectF Box() const;
  // Whether a worksheet point lies within the outline or on its edge.
  bool Covers(QPointF p) const;
  // Whether the wall it stands against runs across or up and down the sheet (a room
  // wall or a straight installation wall), not slanted.
  bool OnStraightWall() const;
};

// The lines a wall-mounted product snaps to, as the engine builds them: every straight
// room wall between its corners, doors and windows (one line through the windows of a
// wall, as the wall goes on under them), each diagonal corner's cut, and all four
// sides of every installation wall at its angle.
class WallLines {
 public:
  WallLines() = default;
  WallLines(const PlanText& plan, const FloorMap& floor);

  // The product's outline for a stored centre (or, `hanging`, a pointer) in worksheet
  // pixels: free-standing round it, turned by its angle; wall-mounted against the
  // nearest wall line, or, for a stored centre, on the line whose place it already is,
  // as the engine redraws a plan. Half sizes are the picture's whole half pixels. Not
  // valid for a wall-mounted product when no line is long enough for it.
  ProductOutline Place(int mount, int angle, int halfWidth, int halfHeight, QPoint pointer,
                       bool hanging = false) const;
  // Where the engine stands a product stored at `centre` when it draws the plan: placed
  // as above, so one stored on a wall line stays where it was and turns with that line,
  // and one stored off every line's place is moved onto the nearest; upright where it
  // was stored when no wall is left for it.
  ProductOutline Stand(int mount, int angle, int halfWidth, int halfHeight, QPoint centre) const;

 private:
  struct Line {
    double ax, ay, bx, by;  // in ring direction: the normal (-dy, dx) points off the wall
    bool band;              // an installation wall's or a diagonal corner's band line
    // The band's corners as drawn, whose face a product placed now stands off: an
    // installation wall's four, a diagonal corner's cut's two ends; none for a room wall.
    int drawnCorners;
    double drawn[4][2];
    // A diagonal corner's cut, whose products keep clear of the walls meeting its ends.
    bool cut;
    // Whether a product placed now keeps clear of the wall meeting the line's start or
    // end (at a cut's ends its walls, at a room wall's end a cut), and the unit
    // directions, in ring order, of those walls.
    bool keepBefore, keepAfter;
    double before[2], after[2];
  };
  std::vector<Line> lines_;
};

}  // namespace tessel
