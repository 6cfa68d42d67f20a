#include "check/product_position.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr int kWidth = FloorMap::kWidth, kHeight = FloorMap::kHeight;

// Floor pixels from (x, y) on in steps of (dx, dy) before the first pixel that is no
// floor; -1 when the sheet ends first.
int FloorRun(const FloorMap& floor, int x, int y, int dx, int dy) {
  int n = 0;
  while (floor.Floor(x, y)) {
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
  for (const CheckProduct& p : ProductsOf(plan, floor, catalogue, FreeAreaSetting::kPrivate)) {
    if (p.position != position) continue;
    stand.found = true;
    stand.position = position;
    stand.box = p.Box();
    // Mount code 0 stands free; every other code puts the product's back to a wall.
    if ((plan.design[designIndex].p1 & 0xF) != 0)
      stand.held = std::fabs(p.deep.x()) > std::fabs(p.deep.y()) ? kAcrossAxis : kUpDownAxis;
    break;
  }
  if (!stand.found) return stand;
  const int left = static_cast<int>(std::floor(stand.box.left())),
            right = static_cast<int>(std::ceil(stand.box.right())) - 1,
            top = static_cast<int>(std::floor(stand.box.top())),
            bottom = static_cast<int>(std::ceil(stand.box.bottom())) - 1;
  // The nearest wall along a side: the least run of floor beyond it.
  auto side = [&](int fixed, bool column, int from, int to, int step) {
    int least = -1;
    for (int i = from; i <= to; ++i) {
      const int run =
          column ? FloorRun(floor, fixed, i, step, 0) : FloorRun(floor, i, fixed, 0, step);
      if (run >= 0 && (least < 0 || run < least)) least = run;
    }
    return least;
  };
  stand.wallPixels[kLeftWall] = side(left - 1, true, top, bottom, -1);
  stand.wallPixels[kTopWall] = side(top - 1, false, left, right, -1);
  stand.wallPixels[kRightWall] = side(right + 1, true, top, bottom, 1);
  stand.wallPixels[kBottomWall] = side(bottom + 1, false, left, right, 1);
  return stand;
}

PositionOffset OffsetFor(const ProductStand& stand, const TypedPosition& typed) {
  PositionOffset out;
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
