// Inside the products area: the bitmap reader and its cache, the placement geometry
// of a product and the drawing of its pixels. Other areas use products.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/core.h"
#include "geometry/vector.h"

namespace vrx {

// --- Product bitmaps ------------------------------------------------------------------

// Why a bitmap could not be used; each has a trace text.
enum class BitmapResult {
  kOk,
  kNotBitmap,       // no "BM" magic
  kTruncated,       // headers or colour table cut short
  kBadSize,         // width or height not within 1 .. kMaxProductSide
  kNotEightBit,     // only 8-bit palette bitmaps carry the plan's indexes
  kCompressed,      // run-length or other packed rows
  kPixelsPastEnd,   // the rows do not lie wholly inside the file
  kNoMemory,        // the rows could not be allocated
  kCannotOpen,      // the file is missing or unreadable
  kTooLarge,        // the file is larger than any product bitmap can be
  kNotRegularFile,  // a FIFO, a device or a folder: never opened for reading
};
const char* BitmapResultText(BitmapResult result);

// An 8-bit product bitmap, rows top-down and `width` bytes apart.
struct ProductBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint8_t* pixels = nullptr;  // owned by whoever read it; nullptr when not loaded
  // Names the decoded pixels for the turned pictures made from them; 0 for a bitmap
  // read outside the cache, whose pictures are not kept.
  std::uint32_t serial = 0;
};

// Checks a bitmap file image in memory. With `withPixels` the rows are copied into a
// fresh allocation (release with FreeProductBitmap); without, only the size is read.
BitmapResult ReadProductBitmap(const std::uint8_t* data, std::size_t size, bool withPixels,
                               ProductBitmap* out);
void FreeProductBitmap(ProductBitmap* bitmap);

// The bitmap of a product file, read once and then kept: a file is checked again
// (size, time, inode) once per generation, so a changed or removed file is noticed
// at the next redraw. Returns nullptr and says why through `result`. The pointer
// stays valid until the next lookup.
const ProductBitmap* LookUpProductBitmap(const char* path, BitmapResult* result);
// A new generation: every cached file is checked again at its next lookup.
void NextBitmapGeneration();

// --- Placement geometry ---------------------------------------------------------------

// A straight piece of wall a product may stand against, already shortened so that the
// whole product stays on it.
struct WallLine {
  std::int32_t x1, y1, x2, y2;
  FloatPoint direction;  // unit vector from start to end
  FloatPoint normal;     // direction turned by 90 degrees: (-dy, dx)
  std::int32_t segment;  // the wall segment it comes from
  std::int32_t length;
  std::int32_t flag;
};

// Where a product stands: its centre (worksheet pixels), its axes (the bitmap's rows
// run along `axisX`, its columns along `axisY`) and the corners of its outline.
struct ProductPlace {
  std::int32_t centreX = 0, centreY = 0;
  double axisX[2] = {1, 0};
  double axisY[2] = {0, 1};
  plat::POINT corners[4] = {};
  int segment = -1;  // wall segment stood against, -1 when free-standing
};

struct ProductWork {
  std::int32_t width = 0, height = 0;
  std::int32_t halfWidth = 0, halfHeight = 0;
  std::int32_t extentX = 0, extentY = 0;  // half extents of the turned outline
  std::int32_t angle = 0;
  int mounting = 0;        // 0 free-standing, 1-4 against a wall
  std::uint32_t band = 0;  // height band (record l1), 0 for none
  bool skipSides = false;
  WallLine lines[kMaxWallLines];
  int lineCount = 0;
};
extern ProductWork productWork;

// The place for a cursor in worksheet pixels: clamped into the worksheet (not in a
// replay), or snapped to the nearest wall line. False for a wall-mounted product with
// no wall line.
bool PlaceProduct(std::int32_t x, std::int32_t y, ProductPlace* place);
// Builds the wall lines for the product set up last.
void BuildWallLines();
// Whether a quadrilateral touches anything drawn (shape colours count as paper). With a
// height band, products drawn there whose bands lie wholly above or below it are no
// obstacle; walls always are.
bool Collides(const plat::POINT corners[4], std::uint32_t band);
// Whether two height bands (product record l1) lie one wholly above the other; a
// product without a band (0) is apart from nothing.
bool BandsApart(std::uint32_t a, std::uint32_t b);
// Copies the bitmap, turned into the place, into an 8-bit picture; index 255 is
// transparent. Pixels outside the picture are left out.
void DrawProductPixels(const ProductBitmap& bitmap, const ProductPlace& place, std::uint8_t* sheet,
                       int sheetWidth, int sheetHeight, int stride);

// Draws a product into the worksheet: as DrawProductPixels, but a turned product is
// drawn once into a picture of its own and then copied, by this and later redraws.
void DrawProduct(const ProductBitmap& bitmap, const ProductPlace& place);
void ReleaseTurnedSprites();
// One row with white as the colour key: `count` pixels of `src` over `dst`.
void KeyedCopy(std::uint8_t* dst, const std::uint8_t* src, int count);

// --- Drawn products and hit areas -----------------------------------------------------

struct DrawnProduct {
  std::int32_t number;  // -1: empty
  char name[kDrawnNameSize];
};

struct HitArea {
  std::int32_t x[4], y[4];
  std::int32_t minX, minY, maxX, maxY;
  std::int32_t tag;
};

// The hit area under a worksheet point, the last registered winning; -1 for none. In
// design mode only design objects are hit.
int HitTest(std::int32_t x, std::int32_t y);
const HitArea* HitAreaAt(int index);
int HitAreaCount();
int DrawnProductCount();
const DrawnProduct* DrawnProductAt(int slot);

}  // namespace vrx
