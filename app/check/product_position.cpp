#include "check/product_position.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr int kWidth = FloorMap::kWidth, kHeight = FloorMap::kHeight;

// Floor pixels from (x, y) on in steps of (dx, dy) before the first pixel that is no
// floor or carries an installation wall, which a fitter measures to as to any wall;
// -1 when the sheet ends first.
int FloorRun(const FloorMap& floor, int x, int y, int dx, int dy) {
  int n = 0;
  while (floor.Floor(x, y) && !floor.InstallationWall(x, y)) {
    x += dx;
    y += dy;
    ++n;
  }
  const bool onSheet = x >= 0 && y >= 0 && x < kWidth && y < kHeight;
  return onSheet ? n : -1;
}

}  // namespace

ProductStand StandOf(const PlanText& plan, const CheckCatalogue& catalogue, int designIndex) {
  ProductStand stand;
  if (designIndex < 0 || designIndex >= plan.design.size() ||
      plan.design[designIndex].kind != "PRODUCT")
    return stand;
  const int position =
      static_cast<int>(ProductTags(plan).indexOf(kDesignTagBase + designIndex)) + 1;
  const FloorMap floor(plan.layout);
  // Where the engine stands it: its stored centre is a place its wall line gives, so it
  // stays on that wall.
  const QList<CheckProduct> products =
      ProductsOf(plan, floor, catalogue, FreeAreaSetting::kPrivate);
  const auto product =
      std::find_if(products.begin(), products.end(),
                   [position](const CheckProduct& p) { return p.position == position; });
  if (product == products.end()) return stand;  // neither the catalogue nor a picture sizes it
  stand.outline = product->outline;
  stand.found = true;
  stand.position = position;
  stand.box = stand.outline.Box();
  if (!stand.outline.wall.isNull()) {
    if (!stand.outline.OnStraightWall())
      stand.slanted = true;
    else
      stand.held = stand.outline.wall.y() == 0 ? kUpDownAxis : kAcrossAxis;
  }
  // The nearest wall that way from each point where the outline crosses a pixel row or
  // column: the least is the outermost point's.
  ForEachOutlineCrossing(stand.outline, [&](double at, int line, bool row) {
    const int before = static_cast<int>(std::floor(at)) - 1;
    const int after = static_cast<int>(std::ceil(at));
    auto keep = [&stand](WallSide side, int run) {
      int& least = stand.wallPixels[static_cast<std::size_t>(side)];
      if (run >= 0 && (least < 0 || run < least)) least = run;
    };
    if (row) {
      keep(kLeftWall, FloorRun(floor, before, line, -1, 0));
      keep(kRightWall, FloorRun(floor, after, line, 1, 0));
    } else {
      keep(kTopWall, FloorRun(floor, line, before, 0, -1));
      keep(kBottomWall, FloorRun(floor, line, after, 0, 1));
    }
  });
  return stand;
}

PositionOffset OffsetFor(const ProductStand& stand, const TypedPosition& typed) {
  PositionOffset out;
  if (stand.slanted) {
    out.refusal = PositionRefusal::kSlanted;
    return out;
  }
  auto axis = [&](WallSide from, int cm, int* offset) {
    const WallSide opposite = static_cast<WallSide>((from + 2) % 4);
    const int have = stand.wallPixels[from], facing = stand.wallPixels[opposite];
    if (have < 0) {
      out.refusal = PositionRefusal::kNoWall;
      out.side = from;
      return false;
    }
    // The product may not go further than the wall it faces on the other side.
    const int room = facing < 0 ? have + (kWidth + kHeight) : have + facing;
    if (cm < 0 || cm * kPixelsPerCm > room) {
      out.refusal = PositionRefusal::kTooWide;
      out.side = from;
      out.roomCm = room / kPixelsPerCm;
      return false;
    }
    const int move = cm * kPixelsPerCm - have;
    // From the left or top wall a longer distance moves it right or down.
    *offset = from == kLeftWall || from == kTopWall ? move : -move;
    return true;
  };
  if (stand.held != kAcrossAxis && !axis(typed.across, typed.acrossCm, &out.dx)) return out;
  if (stand.held != kUpDownAxis && !axis(typed.upDown, typed.upDownCm, &out.dy)) return out;
  return out;
}

}  // namespace tessel
