// The plan check: what a fitter would object to before anything is ordered. Each
// product group has a free area in front of it (from the catalogue's table, for a
// private, a barrier-free or a wheelchair user's bathroom); the check finds free areas
// blocked by a wall, a door's swing or another product, sides too close to a wall or
// the next object, objects facing each other too closely, door swings over products,
// products over walls, products over one another where their heights overlap, and
// products outside the room. Plain code without widgets.
#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "check/plan_model.h"
#include "check/wall_lines.h"

namespace tessel {

class Catalogue;

enum class FreeAreaSetting { kPrivate, kBarrierFree, kWheelchair };

// The free area rules of one product group, in centimetres.
struct FreeAreaRule {
  int width = 0, depth = 0;  // 0: the group needs none
  int side = 0;              // least distance to each side
  int facing = 0;            // least distance to an object facing it
};

// A placed product as the check sees it.
// Which pixels of a product's picture are drawn: the engine leaves white (the last
// palette entry) out, so a corner bathtub or a quarter-round tray fills only part of
// its box, and a rounded basin's front corners stay free.
class PictureMask {
 public:
  // Null when the file is no 8-bit picture that can be read.
  static std::shared_ptr<const PictureMask> Of(const QString& file);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A picture pixel; outside the picture nothing is drawn.
  bool Drawn(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ &&
           drawn_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                  static_cast<std::size_t>(x)] != 0;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<char> drawn_;
};

struct CheckProduct {
  int position = 0;  // from 1, in the order of ProductTags
  int id = 0;        // catalogue number
  QString model, name;
  QPointF centre;                       // worksheet pixels
  QPointF across, deep;                 // unit vectors: along its front, and from back to front
  double halfAcross = 0, halfDeep = 0;  // pixels
  std::uint32_t band = 0;               // height band (record l1), 0 for none
  FreeAreaRule rule;
  // Its outline as the engine stands it, corners truncated to whole pixels: what the
  // live distances measure to.
  ProductOutline outline;
  QPointF Corner(int i) const;  // 0..3 round the outline
  // Its picture as the engine draws it over the outline; null when the picture could
  // not be read or is not the size of the box, and the whole box counts.
  std::shared_ptr<const PictureMask> picture;
  // Inline: the check asks it of every point it probes, for every product near.
  bool Covers(QPointF p, double inset = 0) const {
    const double dx = p.x() - centre.x(), dy = p.y() - centre.y();
    return std::fabs(dx * across.x() + dy * across.y()) <= halfAcross - inset &&
           std::fabs(dx * deep.x() + dy * deep.y()) <= halfDeep - inset &&
           (!picture || PictureDrawn(p));
  }
  // Whether the picture is drawn at a point of the box; out of line, so that Covers
  // stays small where no picture is known.
  bool Drawn(QPointF p) const { return !picture || PictureDrawn(p); }
  bool PictureDrawn(QPointF p) const;
  QPointF FrontMiddle() const { return centre + deep * halfDeep; }
  // The outline's bounding box, for a quick test before the exact one.
  QRectF Box() const;
};

enum class FindingKind {
  kFreeAreaBlocked,
  kSideDistance,
  kFacing,
  kDoorSwing,
  kOverWall,
  kOverProduct,
  kOutsideRoom,
};

struct Finding {
  FindingKind kind;
  int product = 0;  // position of the product the finding is about
  int other = 0;    // position of the other product, or a door's number, 0 for a wall
  bool byDoor = false;
  int measured = 0;  // cm: how much is short, or the distance found
  int needed = 0;    // cm
  QString text;      // in the language of the texts
};

// What the check needs of the catalogue: a product's group, model number, name and
// size, and the free area rule of a group. The catalogue gives them in the program;
// tests give their own.
struct CheckCatalogue {
  std::function<bool(int id, int* group, QString* model, QString* name, double* widthCm,
                     double* depthCm)>
      product;
  std::function<FreeAreaRule(int group, FreeAreaSetting setting)> rule;
};
CheckCatalogue CheckCatalogueOf(Catalogue& catalogue);

// The plan's products are numbered from 1 as the engine draws and lists them (and the
// printed product list counts them): those of the room's list (placed in room layout
// mode), then those of the furnishing. The tag of each, by number less one: its place
// in the layout list, or kDesignTagBase plus its place in the design list.
QList<int> ProductTags(const PlanText& plan);

// The products of both lists, turned and fronted as the engine stands them when it
// draws the plan (WallLines::Stand): a wall-mounted one against the room wall,
// diagonal corner or installation wall side it was snapped to. The wall lines are laid
// out only when a wall-mounted product needs them.
QList<CheckProduct> ProductsOf(const PlanText& plan, const FloorMap& floor,
                               const CheckCatalogue& catalogue, FreeAreaSetting setting);
// The same over wall lines laid out already.
QList<CheckProduct> ProductsOf(const PlanText& plan, const WallLines& lines,
                               const CheckCatalogue& catalogue, FreeAreaSetting setting);

// All findings, product by product in list order; the texts come from the text table
// (captions 7600-7619).
QList<Finding> CheckPlan(const PlanText& plan, const CheckCatalogue& catalogue,
                         FreeAreaSetting setting);

}  // namespace tessel
