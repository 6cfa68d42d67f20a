#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "view/view.h"

namespace catalogue {

namespace {

// The palette indices the drawings use. They are the plan's own colours, so a product
// looks the same in the plan as in the program's windows; the four shape colours
// (96, 178, 209, 247) are left out because the engine reads them as free floor.
struct Ink {
  std::uint8_t index;
  std::uint8_t r, g, b;
};
constexpr Ink kLine{0, 0, 0, 0};               // contours
constexpr Ink kDetail{53, 74, 74, 74};         // inner lines
constexpr Ink kPorcelain{245, 254, 254, 254};  // ceramic and enamel: opaque, not white
constexpr Ink kBowl{230, 239, 239, 239};       // the inside of a bowl, a shade deeper
constexpr Ink kShade{216, 222, 222, 222};      // cisterns, panels, sloped backs
constexpr Ink kMetal{182, 165, 165, 165};      // taps, drains, fittings
constexpr Ink kSteel{192, 181, 181, 181};      // radiators, frames, rails
constexpr Ink kWater{164, 153, 204, 255};      // standing water in a pan
constexpr Ink kWood{213, 204, 204, 153};       // cabinet bodies
constexpr Ink kWoodEdge{149, 153, 102, 51};    // door joints and handles
constexpr Ink kGlass{222, 204, 255, 255};      // mirrors and glass shelves
constexpr Ink kInks[] = {kLine,  kDetail, kPorcelain, kBowl,  kShade,   kMetal,
                         kSteel, kWater,  kWood,      kGlass, kWoodEdge};

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;
constexpr int kColourTable = 256 * 4;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

Shape Union(Shape a, Shape b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1),
          [a, b](double x, double y) { return a.inside(x, y) || b.inside(x, y); }};
}

// --- The top views. The wall side is the top edge; "2" is drawn for the right hand,
// and the mirror image serves the left.

void Tap(Painter& p, double x, double y) {
  p.Part(Ellipse(x, y, 2.0, 2.0), kMetal.index, kDetail.index);
}
void Drain(Painter& p, double x, double y, double r) {
  p.Part(Ellipse(x, y, r, r), kMetal.index, kDetail.index);
  p.Line(x - r * 0.6, y, x + r * 0.6, y, kDetail.index);
}

// A basin's top: square along the wall, rounded at the front.
void BasinTop(Painter& p) {
  const double w = p.width(), d = p.depth();
  const Shape body = Union(Rect(0, 0, w, d * 0.5), RoundRect(0, 0, w, d, std::min(w, d) * 0.3));
  p.Part(body, kPorcelain.index, kLine.index);
}

// One bowl, halfWidth across, with its tap behind it and its drain.
void Bowl(Painter& p, double bowlX, double tapX, double halfWidth) {
  const double d = p.depth();
  p.Part(Ellipse(bowlX, d * 0.58, halfWidth, d * 0.32), kBowl.index, kDetail.index);
  p.Fill(Segment(tapX, d * 0.12, tapX, d * 0.3, 2.2), kMetal.index);
  Tap(p, tapX, d * 0.12);
  Drain(p, bowlX, d * 0.62, 1.8);
}

void Basin(Painter& p, double bowlX, double tapX) {
  BasinTop(p);
  Bowl(p, bowlX, tapX, p.width() * 0.34);
}

// Two bowls on one top, each in its own half as a single basin sits in its whole.
void DoubleBasin(Painter& p) {
  const double w = p.width();
  BasinTop(p);
  for (double middle : {w / 4, w * 3 / 4}) Bowl(p, middle, middle, w * 0.17);
}

void CornerBasin(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Intersect(SuperEllipse(0, 0, w, d, 2.6), Rect(0, 0, w, d)), kPorcelain.index, kLine.index);
  p.Part(Ellipse(w * 0.43, d * 0.43, w * 0.24, d * 0.24), kBowl.index, kDetail.index);
  p.Fill(Segment(w * 0.13, d * 0.13, w * 0.25, d * 0.25, 2.2), kMetal.index);
  Tap(p, w * 0.13, d * 0.13);
  Drain(p, w * 0.45, d * 0.45, 1.8);
}

// A pan seen from above: the egg-shaped rim, the seat ring and the water.
void Pan(Painter& p, double top, bool seat) {
  const double w = p.width(), d = p.depth();
  const double length = d - top;
  const Shape rim = Union(RoundRect(w * 0.08, top, w * 0.92, top + length * 0.4, 3),
                          Ellipse(w / 2, top + length * 0.55, w / 2, length * 0.45));
  p.Part(rim, kPorcelain.index, kLine.index);
  if (seat)
    p.Outline(Ellipse(w / 2, top + length * 0.57, w * 0.4, length * 0.36), kDetail.index, 1);
  p.Part(Ellipse(w / 2, top + length * 0.6, w * 0.25, length * 0.24),
         seat ? kWater.index : kBowl.index, kDetail.index);
}

void Toilet(Painter& p, bool pump) {
  const double w = p.width(), d = p.depth();
  Pan(p, d * 0.2, true);
  p.Part(RoundRect(0, 0, w, d * 0.26, 2), kShade.index, kLine.index);
  p.Part(Ellipse(w / 2, d * 0.13, 2.5, 2.5), kMetal.index, kDetail.index);
  if (pump) p.Part(Rect(w * 0.72, d * 0.04, w * 0.94, d * 0.22), kSteel.index, kDetail.index);
}

void WallToilet(Painter& p, bool seat) {
  const double w = p.width(), d = p.depth();
  p.Part(Rect(w * 0.15, 0, w * 0.85, d * 0.06), kShade.index, kLine.index);
  Pan(p, d * 0.04, seat);
  if (!seat) {
    Tap(p, w / 2, d * 0.14);
    Drain(p, w / 2, d * 0.62, 1.5);
  }
}

void Urinal(Painter& p) {
  const double w = p.width(), d = p.depth();
  const Shape body = Intersect(
      Union(Rect(0, 0, w, d * 0.4), Ellipse(w / 2, d * 0.4, w / 2, d * 0.6)), Rect(0, 0, w, d));
  p.Part(body, kPorcelain.index, kLine.index);
  p.Part(Intersect(Ellipse(w / 2, d * 0.4, w * 0.34, d * 0.48), Rect(0, d * 0.12, w, d)),
         kBowl.index, kDetail.index);
  Drain(p, w / 2, d * 0.5, 1.5);
}

// Cabinets: the body, the door fronts along the front edge with their joints and
// handles, so a fitter sees where the doors open.
void Cabinet(Painter& p, std::uint8_t body, int doors, bool cross, bool sideHandle) {
  const double w = p.width(), d = p.depth();
  constexpr double kFront = 2.0;  // door thickness in cm
  p.Part(Rect(0, 0, w, d), body, kLine.index);
  p.Line(0, d - kFront, w, d - kFront, kDetail.index);
  for (int i = 1; i < doors; ++i)
    p.Line(w * i / doors, d - kFront, w * i / doors, d, kWoodEdge.index);
  for (int i = 0; i < doors; ++i) {
    double x = w * (i + 0.5) / doors;
    if (sideHandle) x = w - 4;
    p.Fill(Rect(x - 3, d - kFront * 0.8, x + 3, d - kFront * 0.2), kWoodEdge.index);
  }
  if (cross) {
    const double back = d - kFront;
    p.Line(1, 1, w - 1, back - 1, kDetail.index);
    p.Line(w - 1, 1, 1, back - 1, kDetail.index);
  }
}

void Bath(Painter& p, int jets) {
  const double w = p.width(), d = p.depth();
  constexpr double kRim = 6.0;
  p.Part(RoundRect(0, 0, w, d, 3), kPorcelain.index, kLine.index);
  const Shape inner = RoundRect(kRim, kRim, w - kRim, d - kRim, (d - 2 * kRim) * 0.42);
  p.Part(inner, kBowl.index, kDetail.index);
  // The sloped back at the head end, shaded so the lying direction reads at a glance.
  p.Fill(Intersect(inner, Rect(kRim + 2, kRim + 2, kRim + w * 0.22, d - kRim - 2)), kShade.index);
  Drain(p, w - kRim - 10, d / 2, 2.5);
  p.Part(Ellipse(w - kRim / 2, d / 2, 1.6, 2.4), kMetal.index, kDetail.index);
  for (int i = 0; i < jets; ++i) {
    const double x = kRim + (w - 2 * kRim) * (0.25 + 0.25 * (i % 3));
    const double y = i < 3 ? kRim + 2 : d - kRim - 2;
    p.Part(Ellipse(x, y, 1.5, 1.5), kMetal.index, kDetail.index);
  }
}

void CornerBath(Painter& p) {
  const double w = p.width(), d = p.depth();
  constexpr double kRim = 7.0;
  constexpr double kRoundness = 3.2;  // between a quarter circle and a square
  p.Part(Intersect(SuperEllipse(0, 0, w, d, kRoundness), Rect(0, 0, w, d)), kPorcelain.index,
         kLine.index);
  // The bowl follows the front curve; the seat fills the room corner.
  const Shape bowl = Intersect(SuperEllipse(0, 0, w - kRim, d - kRim, kRoundness),
                               RoundRect(kRim, kRim, w, d, 12));
  p.Part(bowl, kBowl.index, kDetail.index);
  p.Part(Intersect(Ellipse(kRim, kRim, w * 0.22, d * 0.22), bowl), kShade.index, kDetail.index);
  Drain(p, w * 0.45, d * 0.45, 2.5);
  p.Part(Ellipse(kRim / 2 + 1, d * 0.45, 1.6, 2.4), kMetal.index, kDetail.index);
}

void OvalBath(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Ellipse(w / 2, d / 2, w / 2, d / 2), kPorcelain.index, kLine.index);
  p.Part(Ellipse(w / 2, d / 2, w / 2 - 6, d / 2 - 6), kBowl.index, kDetail.index);
  Drain(p, w / 2, d / 2, 2.5);
}

// Shower trays: the rim, the floor falling from the corners to the drain.
void Tray(Painter& p, double drainX, double drainY) {
  const double w = p.width(), d = p.depth();
  constexpr double kRim = 3.0;
  p.Part(Rect(0, 0, w, d), kPorcelain.index, kLine.index);
  p.Part(RoundRect(kRim, kRim, w - kRim, d - kRim, 3), kBowl.index, kDetail.index);
  for (double cx : {kRim + 1, w - kRim - 1})
    for (double cy : {kRim + 1, d - kRim - 1}) p.Line(cx, cy, drainX, drainY, kShade.index);
  Drain(p, drainX, drainY, 4.5);
}

void QuarterTray(Painter& p) {
  const double w = p.width(), d = p.depth();
  constexpr double kRim = 3.0;
  p.Part(Intersect(Ellipse(0, 0, w, d), Rect(0, 0, w, d)), kPorcelain.index, kLine.index);
  const Shape floor = Intersect(Ellipse(0, 0, w - kRim, d - kRim), Rect(kRim, kRim, w, d));
  p.Part(floor, kBowl.index, kDetail.index);
  const double dx = w * 0.36, dy = d * 0.36;
  p.Line(kRim + 1, kRim + 1, dx, dy, kShade.index);
  p.Line(w - kRim - 2, kRim + 1, dx, dy, kShade.index);
  p.Line(kRim + 1, d - kRim - 2, dx, dy, kShade.index);
  Drain(p, dx, dy, 4.5);
}

void MirrorCabinet(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Rect(0, 0, w, d), kShade.index, kLine.index);
  p.Part(Rect(0, d - 3, w, d), kGlass.index, kLine.index);
  const int doors = w >= 80 ? 2 : 1;
  for (int i = 1; i < doors; ++i) p.Line(w * i / doors, d - 3, w * i / doors, d, kLine.index);
  p.Fill(Segment(3, d * 0.35, w - 3, d * 0.35, 1.0), kMetal.index);  // the light
}

void Shelf(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(RoundRect(0, 2, w, d, 1.5), kGlass.index, kLine.index);
  for (double x : {w * 0.15, w * 0.85})
    p.Part(Rect(x - 1.2, 0, x + 1.2, d * 0.7), kMetal.index, kDetail.index);
}

// A sectional radiator: the row of sections seen from above, the brackets to the wall
// and the valve at the inlet end.
void Radiator(Painter& p) {
  const double w = p.width(), d = p.depth();
  constexpr double kSection = 4.0;  // cm per section
  for (double x : {w * 0.2, w * 0.8})
    p.Part(Rect(x - 1, 0, x + 1, d * 0.3), kMetal.index, kDetail.index);
  const Shape body = Rect(0, d * 0.25, w - 4, d);
  p.Part(body, kSteel.index, kLine.index);
  const int sections = int((w - 4) / kSection);
  for (int i = 1; i < sections; ++i) {
    const double x = (w - 4) * i / sections;
    p.Line(x, d * 0.3, x, d * 0.95, kDetail.index);
  }
  p.Part(Ellipse(w - 2.2, d * 0.62, 2.2, 2.2), kMetal.index, kLine.index);
}

void Washer(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(RoundRect(0, 0, w, d, 2), kPorcelain.index, kLine.index);
  p.Part(Rect(2, d - 12, w - 2, d - 2), kShade.index, kDetail.index);  // the control panel
  p.Part(Ellipse(w * 0.8, d - 7, 3, 3), kMetal.index, kDetail.index);
  p.Part(Rect(w * 0.35, d - 9, w * 0.6, d - 5), kWater.index, kDetail.index);
  p.Part(Ellipse(w / 2, d * 0.4, w * 0.3, w * 0.3), kBowl.index, kDetail.index);
  p.Part(Ellipse(w / 2, d * 0.4, w * 0.2, w * 0.2), kWater.index, kDetail.index);
}

void Bar(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Segment(d / 2, d * 0.6, w - d / 2, d * 0.6, d * 0.3), kSteel.index, kLine.index);
  for (double x : {d / 2, w - d / 2}) {
    p.Part(Rect(x - 1, 0, x + 1, d * 0.6), kSteel.index, kLine.index);
    p.Part(Ellipse(x, d * 0.2, d * 0.4, d * 0.2), kMetal.index, kDetail.index);
  }
}

void Stool(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(RoundRect(0, 0, w, d, 3), kWood.index, kLine.index);
  for (int i = 1; i < 5; ++i) p.Line(2, d * i / 5, w - 2, d * i / 5, kWoodEdge.index);
}

void Seat(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Rect(w * 0.25, 0, w * 0.75, d * 0.1), kMetal.index, kDetail.index);
  p.Part(Subtract(Ellipse(w / 2, d * 0.55, w / 2, d * 0.45),
                  Ellipse(w / 2, d * 0.58, w * 0.3, d * 0.28)),
         kPorcelain.index, kLine.index);
}

void Frame(Painter& p) {
  const double w = p.width(), d = p.depth();
  p.Part(Subtract(Rect(0, 0, w, d), Rect(3, 3, w - 3, d - 3)), kSteel.index, kLine.index);
  p.Line(3, 3, w - 3, d - 3, kDetail.index);
  p.Line(w - 3, 3, 3, d - 3, kDetail.index);
}

}  // namespace

Raster Raster::Mirrored() const {
  Raster out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.pixels[std::size_t(y) * width + x] = pixels[std::size_t(y) * width + (width - 1 - x)];
  return out;
}

Shape Rect(double x0, double y0, double x1, double y1) {
  return {x0, y0, x1, y1,
          [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }};
}

Shape RoundRect(double x0, double y0, double x1, double y1, double radius) {
  const double r = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
  return {x0, y0, x1, y1, [=](double x, double y) {
            if (x < x0 || x > x1 || y < y0 || y > y1) return false;
            const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
          }};
}

Shape Ellipse(double cx, double cy, double rx, double ry) {
  return SuperEllipse(cx, cy, rx, ry, 2.0);
}

Shape SuperEllipse(double cx, double cy, double rx, double ry, double power) {
  return {cx - rx, cy - ry, cx + rx, cy + ry, [=](double x, double y) {
            return std::pow(std::abs(x - cx) / rx, power) +
                       std::pow(std::abs(y - cy) / ry, power) <=
                   1.0;
          }};
}

Shape Segment(double x0, double y0, double x1, double y1, double width) {
  const double h = width / 2;
  return {std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h,
          [=](double x, double y) {
            const double dx = x1 - x0, dy = y1 - y0;
            const double length2 = dx * dx + dy * dy;
            double t = length2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
            return ex * ex + ey * ey <= h * h;
          }};
}

Shape Intersect(Shape a, Shape b) {
  return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1),
          [a, b](double x, double y) { return a.inside(x, y) && b.inside(x, y); }};
}

Shape Subtract(Shape a, Shape b) {
  return {a.x0, a.y0, a.x1, a.y1,
          [a, b](double x, double y) { return a.inside(x, y) && !b.inside(x, y); }};
}

Painter::Painter(Raster* raster, double widthCm, double depthCm, double scale, int contourPixels)
    : raster_(raster),
      width_(widthCm),
      depth_(depthCm),
      scale_(scale),
      left_((raster->width - widthCm * scale) / 2),
      top_((raster->height - depthCm * scale) / 2),
      contour_(contourPixels) {}

template <typename Visit>
void Painter::Scan(const Shape& shape, int margin, Visit visit) {
  const int x0 = std::max(0, int(std::floor(left_ + shape.x0 * scale_)) - margin - 1);
  const int y0 = std::max(0, int(std::floor(top_ + shape.y0 * scale_)) - margin - 1);
  const int x1 =
      std::min(raster_->width - 1, int(std::ceil(left_ + shape.x1 * scale_)) + margin + 1);
  const int y1 =
      std::min(raster_->height - 1, int(std::ceil(top_ + shape.y1 * scale_)) + margin + 1);
  if (x1 < x0 || y1 < y0) return;
  const int w = x1 - x0 + 1, h = y1 - y0 + 1;
  std::vector<char> mask(std::size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      mask[std::size_t(y) * w + x] =
          shape.inside((x0 + x + 0.5 - left_) / scale_, (y0 + y + 0.5 - top_) / scale_);
  auto in = [&](int x, int y) {
    // Outside the scanned box lies outside the shape; outside the picture too, so a part
    // cut by the picture's edge keeps its contour there.
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    return mask[std::size_t(y) * w + x] != 0;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (in(x, y)) visit(x0 + x, y0 + y, in, x, y);
}

void Painter::Fill(const Shape& shape, std::uint8_t colour) {
  Scan(shape, 0, [&](int px, int py, auto&, int, int) { raster_->at(px, py) = colour; });
}

void Painter::Outline(const Shape& shape, std::uint8_t colour, int pixels) {
  Scan(shape, pixels, [&](int px, int py, auto& in, int x, int y) {
    for (int dy = -pixels; dy <= pixels; ++dy)
      for (int dx = -pixels; dx <= pixels; ++dx)
        if (std::abs(dx) + std::abs(dy) <= pixels && !in(x + dx, y + dy)) {
          raster_->at(px, py) = colour;
          return;
        }
  });
}

void Painter::Line(double x0, double y0, double x1, double y1, std::uint8_t colour) {
  // A hair over one pixel wide, so that a line between pixel centres still covers one.
  constexpr double kHairline = 1.05;
  Fill(Segment(x0, y0, x1, y1, kHairline / scale_), colour);
}

void Painter::Part(const Shape& shape, std::uint8_t fill, std::uint8_t line) {
  Fill(shape, fill);
  Outline(shape, line, line == kLine.index ? contour_ : 1);
}

bool DrawTopView(const std::string& kind, Painter& p) {
  const double w = p.width();
  if (kind == "basin") {
    Basin(p, w / 2, w / 2);
  } else if (kind == "basin_double") {
    DoubleBasin(p);
  } else if (kind == "handbasin") {
    Basin(p, w * 0.44, w * 0.8);
  } else if (kind == "basin_corner") {
    CornerBasin(p);
  } else if (kind == "toilet") {
    Toilet(p, false);
  } else if (kind == "toilet_pump") {
    Toilet(p, true);
  } else if (kind == "toilet_wall") {
    WallToilet(p, true);
  } else if (kind == "bidet") {
    WallToilet(p, false);
  } else if (kind == "urinal") {
    Urinal(p);
  } else if (kind == "vanity") {
    Cabinet(p, kWood.index, w > 60 ? 2 : 1, false, false);
  } else if (kind == "tall") {
    Cabinet(p, kWood.index, 1, true, true);
  } else if (kind == "wall_cabinet") {
    Cabinet(p, kShade.index, 2, true, false);
  } else if (kind == "mirror_cabinet") {
    MirrorCabinet(p);
  } else if (kind == "shelf") {
    Shelf(p);
  } else if (kind == "radiator") {
    Radiator(p);
  } else if (kind == "bath") {
    Bath(p, 0);
  } else if (kind == "whirlpool") {
    Bath(p, 6);
  } else if (kind == "bath_corner") {
    CornerBath(p);
  } else if (kind == "bath_oval") {
    OvalBath(p);
  } else if (kind == "tray") {
    Tray(p, w / 2, p.depth() / 2);
  } else if (kind == "tray_rect") {
    Tray(p, w * 0.8, p.depth() / 2);
  } else if (kind == "tray_quarter") {
    QuarterTray(p);
  } else if (kind == "washer") {
    Washer(p);
  } else if (kind == "grab_bar" || kind == "towel_rail") {
    Bar(p);
  } else if (kind == "stool") {
    Stool(p);
  } else if (kind == "seat") {
    Seat(p);
  } else if (kind == "frame") {
    Frame(p);
  } else {
    return false;
  }
  return true;
}

Palette LoadPlanPalette() {
  Palette palette;
  std::size_t size = 0;
  const std::uint8_t* bmp = vrx::PlanPaletteBitmap(&size);
  if (size < std::size_t(kFileHeader + kInfoHeader + kColourTable)) {
    palette.problem = "the plan palette is too short";
    return palette;
  }
  palette.quads.assign(bmp + kFileHeader + kInfoHeader,
                       bmp + kFileHeader + kInfoHeader + kColourTable);
  for (const Ink& ink : kInks) {
    const std::uint8_t* q = &palette.quads[std::size_t(ink.index) * 4];
    if (q[2] != ink.r || q[1] != ink.g || q[0] != ink.b) {
      char text[120];
      std::snprintf(text, sizeof text, "palette index %d is no longer (%d, %d, %d)", ink.index,
                    ink.r, ink.g, ink.b);
      palette.problem = text;
      return palette;
    }
  }
  palette.ok = true;
  return palette;
}

bool WriteBitmap(const std::string& path, const Raster& raster, const Palette& palette) {
  // Rows are padded to 4 bytes and stored bottom-up, as every bitmap reader expects.
  const std::uint32_t stride = (std::uint32_t(raster.width) + 3u) & ~3u;
  const std::uint32_t offBits = kFileHeader + kInfoHeader + kColourTable;
  const std::uint32_t imageSize = stride * std::uint32_t(raster.height);
  std::vector<std::uint8_t> out;
  out.reserve(offBits + imageSize);
  Put16(out, 0x4D42);
  Put32(out, offBits + imageSize);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, kInfoHeader);
  Put32(out, std::uint32_t(raster.width));
  Put32(out, std::uint32_t(raster.height));
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  Put32(out, 0);  // uncompressed
  Put32(out, imageSize);
  Put32(out, 0);  // no physical resolution: one pixel is 5 mm by agreement, not by header
  Put32(out, 0);
  Put32(out, 256);
  Put32(out, 0);
  out.insert(out.end(), palette.quads.begin(), palette.quads.end());
  for (int y = raster.height - 1; y >= 0; --y) {
    const auto row = raster.pixels.begin() + std::ptrdiff_t(y) * raster.width;
    out.insert(out.end(), row, row + raster.width);
    out.insert(out.end(), stride - std::uint32_t(raster.width), 0);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace catalogue
