// Turned products, kept as pictures between redraws. The pixels of a turned product
// depend only on its bitmap, its axes and the offset from its centre, so the picture
// drawn once is copied wherever and whenever the product is drawn again: every drop,
// undo and redraw repaints all products, and turning each pixel again is the costly
// part of that.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "products/products_p.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

struct TurnedSprite {
  std::uint32_t serial;  // of the bitmap it was made from; 0 for an empty entry
  double axes[4];
  std::int32_t width, height;
  // Where the product's centre lies in the picture, and the picture's box relative
  // to the centre as the place's corners give it.
  std::int32_t centreX, centreY;
  std::uint8_t* pixels;  // white where nothing is drawn
  // Per row, the first and one past the last column that is not white: a turned
  // product fills about half its box, and the copy skips the white corners.
  std::int32_t* rowSpans;
  std::uint32_t used;
};

constinit TurnedSprite sprites[kTurnedSpriteEntries] = {};
constinit long spriteBytes = 0;
constinit std::uint32_t spriteClock = 0;

void Empty(TurnedSprite& s) {
  std::free(s.pixels);
  spriteBytes -= static_cast<long>(s.width) * s.height;
  s = TurnedSprite{};
}

bool SameAxes(const TurnedSprite& s, const ProductPlace& p) {
  return s.axes[0] == p.axisX[0] && s.axes[1] == p.axisX[1] && s.axes[2] == p.axisY[0] &&
         s.axes[3] == p.axisY[1];
}

// The box the drawing covers around the centre: the corners, one pixel wider.
void Box(const ProductPlace& p, int* left, int* top, int* right, int* bottom) {
  *left = *top = 0x7FFFFFFF;
  *right = *bottom = -0x7FFFFFFF;
  for (const POINT& c : p.corners) {
    *left = std::min(*left, c.x - 1 - p.centreX);
    *right = std::max(*right, c.x + 1 - p.centreX);
    *top = std::min(*top, c.y - 1 - p.centreY);
    *bottom = std::max(*bottom, c.y + 1 - p.centreY);
  }
}

// Draws the product into a fresh picture; nullptr when it does not fit the budget.
TurnedSprite* MakeSprite(const ProductBitmap& bitmap, const ProductPlace& place) {
  int left, top, right, bottom;
  Box(place, &left, &top, &right, &bottom);
  const long width = right - left + 1, height = bottom - top + 1;
  if (width < 1 || height < 1 || width * height > kTurnedSpriteBytes) return nullptr;
  TurnedSprite* slot = &sprites[0];
  for (TurnedSprite& s : sprites) {
    if (!s.serial) {
      slot = &s;
      break;
    }
    if (s.used < slot->used) slot = &s;
  }
  if (slot->serial) Empty(*slot);
  // The least recently used pictures make room until this one fits the budget.
  while (spriteBytes + width * height > kTurnedSpriteBytes) {
    TurnedSprite* oldest = nullptr;
    for (TurnedSprite& s : sprites)
      if (s.serial && (!oldest || s.used < oldest->used)) oldest = &s;
    if (!oldest) return nullptr;
    Empty(*oldest);
  }
  // The spans follow the pixels in the same block, at an int's alignment.
  const auto pixelBytes = static_cast<std::size_t>((width * height + 3) & ~3L);
  auto* pixels = static_cast<std::uint8_t*>(
      std::malloc(pixelBytes + static_cast<std::size_t>(height) * 2 * sizeof(std::int32_t)));
  if (!pixels) return nullptr;
  auto* spans = reinterpret_cast<std::int32_t*>(pixels + pixelBytes);
  std::memset(pixels, 255, static_cast<std::size_t>(width * height));
  ProductPlace local = place;
  local.centreX = -left;
  local.centreY = -top;
  for (int i = 0; i < 4; ++i) {
    local.corners[i].x = place.corners[i].x - place.centreX + local.centreX;
    local.corners[i].y = place.corners[i].y - place.centreY + local.centreY;
  }
  DrawProductPixels(bitmap, local, pixels, static_cast<int>(width), static_cast<int>(height),
                    static_cast<int>(width));
  for (long y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + y * width;
    long first = 0, end = width;
    while (first < end && row[first] == 255) ++first;
    while (end > first && row[end - 1] == 255) --end;
    spans[2 * y] = static_cast<std::int32_t>(first);
    spans[2 * y + 1] = static_cast<std::int32_t>(end);
  }
  *slot = TurnedSprite{bitmap.serial,
                       {place.axisX[0], place.axisX[1], place.axisY[0], place.axisY[1]},
                       static_cast<std::int32_t>(width),
                       static_cast<std::int32_t>(height),
                       local.centreX,
                       local.centreY,
                       pixels,
                       spans,
                       0};
  spriteBytes += width * height;
  return slot;
}

}  // namespace

void DrawProduct(const ProductBitmap& bitmap, const ProductPlace& place) {
  std::uint8_t* sheet = view.sheetBits;
  if (!sheet || !bitmap.pixels) return;
  const bool upright = place.axisX[0] == 1.0 && place.axisX[1] == 0.0 && place.axisY[0] == 0.0 &&
                       place.axisY[1] == 1.0;
  // Unturned products are a keyed copy already; bitmaps from outside the cache have
  // no name to keep their pictures by.
  if (upright || bitmap.serial == 0) {
    DrawProductPixels(bitmap, place, sheet, kSheetWidth, kSheetHeight, kSheetStride);
    return;
  }
  TurnedSprite* sprite = nullptr;
  for (TurnedSprite& s : sprites)
    if (s.serial == bitmap.serial && SameAxes(s, place)) sprite = &s;
  int left, top, right, bottom;
  Box(place, &left, &top, &right, &bottom);
  // A picture made for the same axes covers the same box around the centre.
  if (sprite && (sprite->centreX != -left || sprite->centreY != -top ||
                 sprite->width != right - left + 1 || sprite->height != bottom - top + 1))
    sprite = nullptr;
  if (!sprite) sprite = MakeSprite(bitmap, place);
  if (!sprite) {
    DrawProductPixels(bitmap, place, sheet, kSheetWidth, kSheetHeight, kSheetStride);
    return;
  }
  sprite->used = ++spriteClock;
  const int x0 = place.centreX - sprite->centreX, y0 = place.centreY - sprite->centreY;
  const int from = std::max(0, x0), to = std::min(kSheetWidth - 1, x0 + sprite->width - 1);
  if (from > to) return;
  const int rowFrom = std::max(0, y0), rowTo = std::min(kSheetHeight - 1, y0 + sprite->height - 1);
  for (int y = rowFrom; y <= rowTo; ++y) {
    const std::int32_t* span = sprite->rowSpans + 2 * (y - y0);
    const int first = std::max(from, x0 + span[0]), end = std::min(to + 1, x0 + span[1]);
    if (first >= end) continue;
    KeyedCopy(sheet + static_cast<std::size_t>(y) * kSheetStride + first,
              sprite->pixels + static_cast<std::size_t>(y - y0) * sprite->width + (first - x0),
              end - first);
  }
}

void ReleaseTurnedSprites() {
  for (TurnedSprite& s : sprites)
    if (s.serial) Empty(s);
  spriteBytes = 0;
  spriteClock = 0;
}

}  // namespace vrx
