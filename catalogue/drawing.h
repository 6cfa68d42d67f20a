// Top views of the sample products, drawn in the plan's palette indices into 8-bit
// pictures and written as bitmap files the engine and the product bar read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace catalogue {

// White is what the engine leaves out when it copies a product into the plan, so it is
// the ground every drawing stands on.
constexpr std::uint8_t kTransparent = 255;

// An 8-bit picture, top row first.
struct Raster {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;

  Raster(int w, int h)
      : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), kTransparent) {}
  std::uint8_t& at(int x, int y) {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
  // The picture for the other hand: left and right swapped.
  Raster Mirrored() const;
};

// A region of the product in centimetres: x along the wall, y away from it (the wall
// side is the top edge, which the engine sets against the wall by default).
struct Shape {
  double x0, y0, x1, y1;  // bounding box
  std::function<bool(double x, double y)> inside;
};

Shape Rect(double x0, double y0, double x1, double y1);
Shape RoundRect(double x0, double y0, double x1, double y1, double radius);
Shape Ellipse(double cx, double cy, double rx, double ry);
// Between a circle and a rectangle: |dx/rx|^p + |dy/ry|^p <= 1.
Shape SuperEllipse(double cx, double cy, double rx, double ry, double power);
// A stroke of the given width in centimetres.
Shape Segment(double x0, double y0, double x1, double y1, double width);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);

// Draws shapes at a scale into a raster: the plan pictures at the plan's true scale,
// the small pictures at whatever scale fits their square.
class Painter {
 public:
  // The product (width x depth in cm) at `scale` pixels per cm, centred in the raster.
  Painter(Raster* raster, double widthCm, double depthCm, double scale, int contourPixels);

  double width() const { return width_; }
  double depth() const { return depth_; }
  // Line widths in pixels: the contour is thicker in the plan so that it survives the
  // view's zoom-out, where every second pixel is dropped.
  int contour() const { return contour_; }

  void Fill(const Shape& shape, std::uint8_t colour);
  void Outline(const Shape& shape, std::uint8_t colour, int pixels);
  // A line one pixel wide at any scale: joints, slopes, sections.
  void Line(double x0, double y0, double x1, double y1, std::uint8_t colour);
  // The usual way a part is drawn: filled, with the contour round it.
  void Part(const Shape& shape, std::uint8_t fill, std::uint8_t line);

 private:
  template <typename Visit>
  void Scan(const Shape& shape, int margin, Visit visit);

  Raster* raster_;
  double width_, depth_, scale_, left_, top_;
  int contour_;
};

// Draws the top view of a product of the given kind; false for an unknown kind.
bool DrawTopView(const std::string& kind, Painter& painter);

// The plan's colour table (256 entries of blue, green, red, 0) and named indices into
// it, checked against the table so that a changed palette stops the build.
struct Palette {
  std::vector<std::uint8_t> quads;
  bool ok = false;
  std::string problem;
};
Palette LoadPlanPalette();

// An uncompressed 8-bit bitmap file with the plan's colour table.
bool WriteBitmap(const std::string& path, const Raster& raster, const Palette& palette);

}  // namespace catalogue
