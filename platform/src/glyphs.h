// Glyph rasterising for TextOut: lays a string out in one font and turns it into a
// coverage mask in device pixels, rotated by the font's escapement.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace plat::glyphs {

struct FontMetrics {
  int height;  // cell height: ascent + descent
  int ascent;
  int descent;
  int internalLeading;
  int aveCharWidth;
  int maxCharWidth;
};

// Coverage of the laid-out string, 0 (none) to 255 (full), already rotated. The mask's
// top-left pixel lies at (origin.x + left, origin.y + top) where origin is the top
// left of the unrotated text cell, i.e. TextOut's reference point with TA_TOP|TA_LEFT.
struct Mask {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;  // width * height, row by row
};

// Fonts are matched by face name to the Liberation families that stand in for them
// ("Arial", "Helvetica" and unknown faces -> Liberation Sans; "Times New Roman" ->
// Liberation Serif; "Courier New" -> Liberation Mono), bold from weight 600 up.
bool Metrics(const LOGFONT& font, FontMetrics* out);
// Width and height of the string's cell, unrotated (GetTextExtentPoint32).
bool Extent(const LOGFONT& font, const char* text, int length, SIZE* out);
// `antialiased` keeps grey coverage; otherwise every value is 0 or 255.
bool Render(const LOGFONT& font, const char* text, int length, bool antialiased, Mask* out);

}  // namespace plat::glyphs
