// Products in the plan: the set-up from the product's bitmap, the wall lines a
// product snaps to, the outline that follows the pointer, the collision test, the
// drop, the turned drawing of the bitmap and the list of drawn products.
#include "products/products.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/cpu.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products_p.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

constinit ProductState products = {};
constinit ProductWork productWork = {};

namespace {

constinit DrawnProduct drawn[kMaxDrawnProducts] = {};
constinit int drawnLast = -1;

// Where each drawn product stands and its height band (0: none), so that a product
// with a band of its own may be placed over those whose bands lie wholly above or
// below it.
struct DrawnStand {
  POINT corners[4];
  std::uint32_t band;
};
constinit DrawnStand stands[kMaxDrawnProducts] = {};
constinit int bandedDrawn = 0;
// The worksheet as it was before the first product with a band was drawn into it
// since the last clearing: walls, doors and the products without a band. Under a
// product stacked out of the way, a sample is tested against this picture instead.
constinit std::uint8_t standing[static_cast<std::size_t>(kSheetStride) * kSheetHeight] = {};
constinit bool standingTaken = false;
// A sample within this many pixels outside a product's outline still counts as under
// it: the turned drawing rounds its edge pixels.
constexpr double kOutlineMargin = 1.5;

// Runs of window segments continue over neighbours whose unit directions differ by
// less than this (sum of the component differences).
constexpr double kCollinear = 0.05;
// A wall-mounted product stands this far off a room wall's line, and further off the
// lines of installation walls and diagonal corners, whose bands start on the line.
constexpr int kWallGap = 2;
constexpr int kBandGap = 4;
// Where a diagonal cut meets the next wall, a product against the cut keeps its gap off
// that wall's line and a pixel more for its whole-pixel centre. (A product against that
// wall keeps kBandGap off the cut's line, as it does standing against the cut.)
constexpr double kEndClearance = kWallGap + 1;
// No wall line is ever this far away.
constexpr double kNoWall = 100000;
// A stored centre this many pixels from the centre a line gives is that line's.
constexpr int kOnLine = 1;
// Whole-pixel centres up to this many pixels round the exact one are tried against an
// installation wall: the allowed strip, one pixel wide, holds one at most about a
// pixel and a half along the line from any point.
constexpr std::int64_t kBandSearch = 2;
// The collision test samples at most this many pixels apart along each side.
constexpr double kSampleStep = 0.125;

// floor() without the library call: the values are well inside 64 bits.
std::int64_t Floor(double v) {
  const auto t = static_cast<std::int64_t>(v);
  return t - (v < static_cast<double>(t));
}

void CursorToSheet(std::int32_t* x, std::int32_t* y) {
  *x = core.cursorX - view.roomOriginX;
  *y = core.cursorY - view.roomOriginY;
}

// Digit five places from the end, before a four-character extension: the catalogue
// keeps each product as two bitmaps that differ only there.
void PutVariantDigit(char* name, char digit) {
  const std::size_t length = std::strlen(name);
  if (length >= 5) name[length - 5] = digit;
}

void AddLine(double ax, double ay, double bx, double by, int segment, double along) {
  if (productWork.lineCount >= kMaxWallLines) return;
  const double dx = bx - ax, dy = by - ay;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 2 * along)) return;
  const double ux = dx / length, uy = dy / length;
  WallLine& l = productWork.lines[productWork.lineCount++];
  l.x1 = static_cast<std::int32_t>(ax + ux * along);
  l.y1 = static_cast<std::int32_t>(ay + uy * along);
  l.x2 = static_cast<std::int32_t>(bx - ux * along);
  l.y2 = static_cast<std::int32_t>(by - uy * along);
  l.direction = FloatPoint{static_cast<float>(ux), static_cast<float>(uy)};
  l.normal = FloatPoint{static_cast<float>(-uy), static_cast<float>(ux)};
  l.segment = segment;
  l.length = static_cast<std::int32_t>(length - 2 * along);
  l.flag = 0;
}

bool UnitDirection(const WallSegment& s, double* ux, double* uy) {
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0)) return false;
  *ux = dx / length;
  *uy = dy / length;
  return true;
}

bool Collinear(const WallSegment& a, const WallSegment& b) {
  double ax, ay, bx, by;
  if (!UnitDirection(a, &ax, &ay) || !UnitDirection(b, &bx, &by)) return false;
  return std::fabs(ax - bx) + std::fabs(ay - by) < kCollinear;
}

// The mounting table: 5 and 6 stand as 1 (6 without two sides), 7 and above as t - 6.
int Mounting(std::uint32_t p1, bool* skipSides, char* variant) {
  int t = static_cast<int>(p1 & 0xF);
  *variant = '2';
  if (t >= 7) {
    t -= 6;
    *variant = '3';
  }
  *skipSides = t == 6;
  if (t == 5 || t == 6) t = 1;
  return t;
}

void Corners(ProductPlace* place) {
  const double hw = productWork.halfWidth, hh = productWork.halfHeight;
  const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 4; ++i) {
    const double a = signs[i][0] * hw, b = signs[i][1] * hh;
    place->corners[i] =
        POINT{static_cast<int>(place->centreX + a * place->axisX[0] + b * place->axisY[0]),
              static_cast<int>(place->centreY + a * place->axisX[1] + b * place->axisY[1])};
  }
}

// The product's axes against line `l`: turned by t quarter turns less one from the
// wall's direction, exactly.
void AxesOn(const WallLine& l, ProductPlace* place) {
  double ax = l.direction.x, ay = l.direction.y;
  for (int k = 1; k < productWork.mounting; ++k) {
    const double turned = -ay;
    ay = ax;
    ax = turned;
  }
  place->axisX[0] = ax;
  place->axisX[1] = ay;
  place->axisY[0] = -ay;
  place->axisY[1] = ax;
}

// A wall-mounted product's half size across its wall (its depth) and along it, in
// pixels: its picture stands turned by the mounting's quarter turns.
int Depth() {
  return productWork.mounting % 2 ? productWork.halfHeight : productWork.halfWidth;
}
int HalfAlong() {
  return productWork.mounting % 2 ? productWork.halfWidth : productWork.halfHeight;
}

// The centre that line `l` gives for a foot point on it, as plans were always drawn:
// the foot moved off the line by the product's depth and the gap, cut to whole pixels.
// Against a turned installation wall the cuts of the line's ends, the centre and the
// corners add up towards the sheet's origin, so the outline may stand anywhere from
// under one to seven pixels off the band; stored records keep these places.
void StoredCentreOff(const WallLine& l, double fx, double fy, std::int32_t* cx, std::int32_t* cy) {
  const int kind = walls.segments[l.segment].kind;
  const double off = Depth() + (kind == SEG_INSTWALL || kind == SEG_DIAGCRNR ? kBandGap : kWallGap);
  *cx = static_cast<std::int32_t>(fx + l.normal.x * off);
  *cy = static_cast<std::int32_t>(fy + l.normal.y * off);
}

// The room face of the band a line belongs to, as it is drawn: the furthest any of the
// band's drawn corners reaches along the line's normal. An installation wall's band is
// the turned rectangle it is drawn as; a diagonal corner's band is drawn outwards from
// the cut's own ends, so the cut is its face. False for the lines of other walls.
bool DrawnFace(const WallLine& l, double* face) {
  const WallSegment& s = walls.segments[l.segment];
  POINT band[4];
  int corners = 0;
  if (s.kind == SEG_INSTWALL) {
    if (!InstWallBand(l.segment, band)) return false;
    corners = 4;
  } else if (s.kind == SEG_DIAGCRNR) {
    band[0] = POINT{s.x1, s.y1};
    band[1] = POINT{s.x2, s.y2};
    corners = 2;
  } else {
    return false;
  }
  *face = -kNoWall;
  for (int i = 0; i < corners; ++i)
    *face = std::max(*face, band[i].x * static_cast<double>(l.normal.x) +
                                band[i].y * static_cast<double>(l.normal.y));
  return true;
}

// How far from the end of a line, going in along `in`, the product's side must stand
// so that its outline, `gap` off the line, keeps `clearance` off the line of the wall
// `wall` meeting it there. Where that wall turns back over the line, sliding along does
// not help: nothing is asked.
double RoomAtEnd(int wall, FloatPoint in, FloatPoint normal, int depth, double gap,
                 double clearance) {
  double wx, wy;
  if (wall < 0 || wall >= kMaxWallSegments || !UnitDirection(walls.segments[wall], &wx, &wy))
    return 0;
  // The wall's normal into the room, as the ring turns.
  const double mx = -wy, my = wx;
  const double along = in.x * mx + in.y * my, across = normal.x * mx + normal.y * my;
  if (!(along > 0)) return 0;
  double room = 0;
  for (const double off : {gap, gap + 2.0 * depth})
    room = std::max(room, (clearance - off * across) / along);
  return room;
}

// The foot moved along a wall line so that the product, `gap` off it, stands
// `clearance` off the walls meeting its segment's ends that `keep` names; where the line
// leaves no such room, its middle. A diagonal cut keeps clear of both walls meeting it,
// and a room wall of a cut meeting it: there a product would otherwise reach over the
// cut's pen at the line's end.
void KeepOffEnds(const WallLine& l, double gap, double clearance, bool (*keep)(int wall),
                 double* fx, double* fy) {
  const WallSegment& s = walls.segments[l.segment];
  const bool before = keep(s.prev), after = keep(s.next);
  if (!before && !after) return;
  const FloatPoint d = l.direction, back{-d.x, -d.y};
  const int depth = Depth();
  const double half = HalfAlong();
  const double first = s.x1 * static_cast<double>(d.x) + s.y1 * static_cast<double>(d.y);
  const double last = s.x2 * static_cast<double>(d.x) + s.y2 * static_cast<double>(d.y);
  const double low =
      first + half + (before ? RoomAtEnd(s.prev, d, l.normal, depth, gap, clearance) : 0);
  const double high =
      last - half - (after ? RoomAtEnd(s.next, back, l.normal, depth, gap, clearance) : 0);
  const double along = *fx * d.x + *fy * d.y;
  const double kept = low <= high ? std::clamp(along, low, high) : (low + high) / 2;
  *fx += d.x * (kept - along);
  *fy += d.y * (kept - along);
}

bool AnyWall(int) {
  return true;
}
bool ACut(int wall) {
  return wall >= 0 && wall < kMaxWallSegments && walls.segments[wall].kind == SEG_DIAGCRNR;
}

// Against an installation wall or a diagonal corner, the whole-pixel centre from which
// the product's outline, as its bitmap is drawn, stands between kBandGap and
// kBandGap + 1 pixels off the band as it is drawn, nearest the foot along the line. The
// pixels of such centres form a strip along the line, so the centre chosen for a
// pointer resting on a chosen centre is that centre again. The corners cut to whole
// pixels for the collision test lie at most a pixel nearer in each direction, still
// clear of the band's pen.
bool BandCentreOff(const WallLine& l, double fx, double fy, std::int32_t* cx, std::int32_t* cy) {
  double face;
  if (!DrawnFace(l, &face)) return false;
  const double nx = l.normal.x, ny = l.normal.y, dx = l.direction.x, dy = l.direction.y;
  if (walls.segments[l.segment].kind == SEG_DIAGCRNR)
    KeepOffEnds(l, kBandGap, kEndClearance, AnyWall, &fx, &fy);
  const double nearest = face + Depth() + kBandGap;
  // The exact centre in the middle of the strip; whole pixels round it.
  const double lift = nearest + 0.5 - (fx * nx + fy * ny);
  const double tx = fx + nx * lift, ty = fy + ny * lift;
  const double along = fx * dx + fy * dy;
  bool found = false;
  double bestAlong = kNoWall;
  const std::int64_t baseX = Floor(tx), baseY = Floor(ty);
  for (std::int64_t y = baseY - kBandSearch; y <= baseY + kBandSearch + 1; ++y) {
    for (std::int64_t x = baseX - kBandSearch; x <= baseX + kBandSearch + 1; ++x) {
      const double px = static_cast<double>(x), py = static_cast<double>(y);
      const double off = px * nx + py * ny - nearest;
      if (off < 0 || off >= 1) continue;
      const double slide = std::fabs(px * dx + py * dy - along);
      if (slide < bestAlong) {
        bestAlong = slide;
        *cx = static_cast<std::int32_t>(x);
        *cy = static_cast<std::int32_t>(y);
        found = true;
      }
    }
  }
  return found;
}

// The centre that line `l` gives for a foot point on it.
void CentreOff(const WallLine& l, double fx, double fy, std::int32_t* cx, std::int32_t* cy) {
  if (BandCentreOff(l, fx, fy, cx, cy)) return;
  const int kind = walls.segments[l.segment].kind;
  if (kind == SEG_HWALL || kind == SEG_VWALL) KeepOffEnds(l, kWallGap, kBandGap, ACut, &fx, &fy);
  StoredCentreOff(l, fx, fy, cx, cy);
}

void Foot(const WallLine& l, double px, double py, double* fx, double* fy, double* distance) {
  const double t = (px - l.x1) * l.direction.x + (py - l.y1) * l.direction.y;
  if (t < 0) {
    *fx = l.x1;
    *fy = l.y1;
  } else if (t > l.length) {
    *fx = l.x2;
    *fy = l.y2;
  } else {
    *fx = l.x1 + l.direction.x * t;
    *fy = l.y1 + l.direction.y * t;
    *distance = std::fabs((px - l.x1) * l.normal.x + (py - l.y1) * l.normal.y);
    return;
  }
  *distance = std::hypot(px - *fx, py - *fy);
}

// The line whose centre for the point lies within kOnLine of it, found with `centre`;
// -1 when there is none.
int LineThrough(std::int32_t x, std::int32_t y,
                void (*centre)(const WallLine&, double, double, std::int32_t*, std::int32_t*)) {
  for (int i = 0; i < productWork.lineCount; ++i) {
    const WallLine& l = productWork.lines[i];
    double fx, fy, distance;
    Foot(l, x, y, &fx, &fy, &distance);
    std::int32_t ox, oy;
    centre(l, fx, fy, &ox, &oy);
    if (std::abs(ox - x) <= kOnLine && std::abs(oy - y) <= kOnLine) return i;
  }
  return -1;
}

// The nearest wall line and the centre it gives. A record redrawn from its list keeps
// its stored centre when some line gives that centre, as plans were drawn before or as
// a drop now places it: so it stays on the wall it was put against, even where another
// wall's line passes closer. Elsewhere it stands where its nearest line puts it, as
// plans were always drawn. A product at the pointer always snaps to its nearest line.
int SnapLine(std::int32_t x, std::int32_t y, std::int32_t* cx, std::int32_t* cy) {
  if (core.replayMode) {
    int on = LineThrough(x, y, StoredCentreOff);
    if (on < 0) on = LineThrough(x, y, CentreOff);
    if (on >= 0) {
      *cx = x;
      *cy = y;
      return on;
    }
  }
  int best = -1;
  double bestDistance = kNoWall;
  double bestX = 0, bestY = 0;
  for (int i = 0; i < productWork.lineCount; ++i) {
    const WallLine& l = productWork.lines[i];
    double fx, fy, distance;
    Foot(l, x, y, &fx, &fy, &distance);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
      bestX = fx;
      bestY = fy;
    }
  }
  *cx = x;
  *cy = y;
  if (best < 0) return best;
  if (core.replayMode)
    StoredCentreOff(productWork.lines[best], bestX, bestY, cx, cy);
  else
    CentreOff(productWork.lines[best], bestX, bestY, cx, cy);
  return best;
}

void DrawOutline(HDC dc, const POINT q[4]) {
  auto line = [&](int a, int b) { ClippedLine(dc, q[a].x, q[a].y, q[b].x, q[b].y); };
  line(0, 1);
  if (!productWork.skipSides) {
    line(1, 2);
    line(2, 3);
  }
  line(3, 0);
  line(0, 2);
  line(1, 3);
}

// The outline on screen, so that hiding it draws exactly those lines again, even if
// the view changed meanwhile, without placing and testing the product a second time.
// A pointer move hides and shows the feedback in one go: its hiding only marks the
// outline as held, and the showing keeps it when the product stands where it stood
// (a wall-mounted product slides along its wall only), else erases it first.
struct ShownOutline {
  bool shown;
  bool refused;
  bool held;
  POINT corners[4];
  RECT box;  // the window pixels its lines cover, as the clipped lines noted them
};
constinit ShownOutline shownOutline = {};

void DrawFeedbackLines(const POINT q[4], bool refused) {
  HDC dc = GetDC(pointer.workWindow);
  if (!dc) return;
  const int oldRop = SetROP2(dc, R2_NOTXORPEN);
  HGDIOBJ oldPen = SelectObject(dc, refused ? view.tools.redPen : view.tools.wallPen);
  DrawOutline(dc, q);
  SelectObject(dc, oldPen);
  SetROP2(dc, oldRop);
  ReleaseDC(pointer.workWindow, dc);
}

void EraseHeldOutline() {
  if (!shownOutline.held) return;
  shownOutline.held = false;
  DrawFeedbackLines(shownOutline.corners, shownOutline.refused);
}

void ProductFeedback() {
  if (pointer.feedbackShown) {
    // Hiding: the second drawing in exclusive-or removes the first.
    if (shownOutline.shown) {
      if (pointer.holdFeedback)
        shownOutline.held = true;
      else
        DrawFeedbackLines(shownOutline.corners, shownOutline.refused);
    }
    shownOutline.shown = false;
    return;
  }
  std::int32_t x, y;
  CursorToSheet(&x, &y);
  ProductPlace place;
  if (!PlaceProduct(x, y, &place)) {
    EraseHeldOutline();
    return;
  }
  const bool refused = Collides(place.corners, productWork.band);
  if (refused) pointer.dropAllowed = false;
  POINT corners[4];
  for (int i = 0; i < 4; ++i)
    corners[i] = CursorToClient(place.corners[i].x + view.roomOriginX,
                                place.corners[i].y + view.roomOriginY);
  if (shownOutline.held && refused == shownOutline.refused &&
      std::equal(corners, corners + 4, shownOutline.corners,
                 [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; })) {
    shownOutline.held = false;
    shownOutline.shown = true;
    view.feedbackBox = shownOutline.box;
    return;
  }
  EraseHeldOutline();
  view.feedbackBox = RECT{};
  std::copy(corners, corners + 4, shownOutline.corners);
  shownOutline.refused = refused;
  shownOutline.shown = true;
  DrawFeedbackLines(shownOutline.corners, refused);
  shownOutline.box = view.feedbackBox;
}

}  // namespace

void SettleProductFeedback() {
  EraseHeldOutline();
}

namespace {

// Takes the first empty slot; false when all are taken.
bool ListDrawn(std::uint32_t number, const char* name, const ProductPlace& place,
               std::uint32_t band) {
  if (drawnLast + 1 >= kMaxDrawnProducts) return false;
  if (band != 0) {
    if (!standingTaken && view.sheetBits) {
      std::memcpy(standing, view.sheetBits, sizeof standing);
      standingTaken = true;
    }
    ++bandedDrawn;
  }
  DrawnStand& stand = stands[drawnLast + 1];
  std::copy(place.corners, place.corners + 4, stand.corners);
  stand.band = band;
  DrawnProduct& slot = drawn[++drawnLast];
  slot.number = static_cast<std::int32_t>(number);
  // Longer names are cut: the slot keeps what a dialog could have handed over.
  const std::size_t length = std::min(std::strlen(name), std::size_t{kDrawnNameSize - 1});
  std::memcpy(slot.name, name, length);
  slot.name[length] = '\0';
  return true;
}

void ProductDrop() {
  std::int32_t x, y;
  CursorToSheet(&x, &y);
  ProductPlace place;
  if (!PlaceProduct(x, y, &place)) return;
  core.cursorX = place.centreX + view.roomOriginX;
  core.cursorY = place.centreY + view.roomOriginY;
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);

  ObjectRecord* wall = nullptr;
  if (place.segment >= 0 && walls.segments[place.segment].kind == SEG_INSTWALL) {
    const int owner = walls.segments[place.segment].owner;
    wall = RecordOfTag(owner);
    if (wall && KindCodeOf(wall->kind) == kKindInstWall) {
      ++wall->l1;
      core.request.p1 = (core.request.p1 & 0xFu) | (static_cast<std::uint32_t>(owner) << 4);
    } else {
      wall = nullptr;
    }
  }
  const int tag = InsertRequest("PRODUCT");
  if (tag < 0) {
    if (wall) --wall->l1;
    return;
  }
  // A product that finds no slot is neither listed nor drawn, and so cannot be hit.
  if (!ListDrawn(core.request.p0, products.fileName, place, productWork.band)) return;
  BitmapResult result;
  const ProductBitmap* bitmap = LookUpProductBitmap(products.fileName, &result);
  if (bitmap && bitmap->pixels && view.sheetBits) {
    DrawProduct(*bitmap, place);
  } else if (bitmap) {
    EngineTrace("Not enough memory");
  }
  RegisterHitArea(tag, place.corners, 4);
}

// Reads the product from the request block and the working name; false when its
// bitmap cannot be used (nothing then hangs at the cursor).
bool ProductSetUp() {
  bool skip;
  char variant;
  const int t = Mounting(core.request.p1, &skip, &variant);
  productWork.mounting = t;
  productWork.skipSides = skip;
  productWork.angle = static_cast<std::int32_t>(core.request.p2);
  productWork.band = TesselIsHeightBand(static_cast<long>(core.request.l1)) ? core.request.l1 : 0;
  if (!core.replayMode) {
    const char* name = NameOf(core.request.l0);
    std::strncpy(products.fileName, name ? name : "", kMaxFileName);
    products.fileName[kMaxFileName] = '\0';
  }
  PutVariantDigit(products.fileName, variant);
  BitmapResult result;
  const ProductBitmap* bitmap = LookUpProductBitmap(products.fileName, &result);
  if (!bitmap) {
    if (result == BitmapResult::kCannotOpen)
      EngineTrace("Can't open BMP for product");
    else
      EngineTrace("Can't use BMP for product: %s", BitmapResultText(result));
    return false;
  }
  productWork.width = bitmap->width;
  productWork.height = bitmap->height;
  productWork.halfWidth = bitmap->width / 2;
  productWork.halfHeight = bitmap->height / 2;
  const double c = CosDeg(productWork.angle), s = SinDeg(productWork.angle);
  const double hw = productWork.halfWidth, hh = productWork.halfHeight;
  std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 4; ++i) {
    const double a = signs[i][0] * hw, b = signs[i][1] * hh;
    const auto x = static_cast<std::int32_t>(a * c - b * s);
    const auto y = static_cast<std::int32_t>(a * s + b * c);
    if (i == 0 || x < minX) minX = x;
    if (i == 0 || x > maxX) maxX = x;
    if (i == 0 || y < minY) minY = y;
    if (i == 0 || y > maxY) maxY = y;
  }
  productWork.extentX = (maxX - minX) / 2;
  productWork.extentY = (maxY - minY) / 2;
  // Free-standing products never snap: their lines would go unused.
  if (t != 0)
    BuildWallLines();
  else
    productWork.lineCount = 0;
  return true;
}

}  // namespace

void BuildWallLines() {
  productWork.lineCount = 0;
  const int t = productWork.mounting;
  const double along = t % 2 ? productWork.halfWidth : productWork.halfHeight;
  for (int i = 0; i <= walls.last && i < kMaxWallSegments; ++i) {
    const WallSegment& s = walls.segments[i];
    if (s.kind == SEG_HWALL || s.kind == SEG_VWALL || s.kind == SEG_DIAGCRNR) {
      AddLine(s.x1, s.y1, s.x2, s.y2, i, along);
    } else if (s.kind == SEG_INSTWALL) {
      // The band lies on the side away from the normal; walking its rectangle from
      // the stored edge round keeps every normal pointing out of the wall.
      FloatPoint d, n;
      if (!SegmentFrame(i, &d, &n)) continue;
      const double band = 2.0 * s.thickness;
      const double p[4][2] = {{static_cast<double>(s.x1), static_cast<double>(s.y1)},
                              {static_cast<double>(s.x2), static_cast<double>(s.y2)},
                              {s.x2 - band * n.x, s.y2 - band * n.y},
                              {s.x1 - band * n.x, s.y1 - band * n.y}};
      for (int k = 0; k < 4; ++k)
        AddLine(p[k][0], p[k][1], p[(k + 1) % 4][0], p[(k + 1) % 4][1], i, along);
    }
  }
  // Under a window the wall goes on: the run through the window and its collinear
  // neighbours is one line.
  for (int i = 0; i <= walls.last && i < kMaxWallSegments; ++i) {
    const WallSegment& s = walls.segments[i];
    if (s.kind != SEG_WINDOW) continue;
    int first = i, last = i;
    for (int step = 0; step < kMaxWallSegments; ++step) {
      const int p = walls.segments[first].prev;
      if (p < 0 || p >= kMaxWallSegments || p == i || walls.segments[p].kind == SEG_FREE ||
          !Collinear(walls.segments[p], s))
        break;
      first = p;
    }
    for (int step = 0; step < kMaxWallSegments; ++step) {
      const int n = walls.segments[last].next;
      if (n < 0 || n >= kMaxWallSegments || n == i || n == first ||
          walls.segments[n].kind == SEG_FREE || !Collinear(walls.segments[n], s))
        break;
      last = n;
    }
    AddLine(walls.segments[first].x1, walls.segments[first].y1, walls.segments[last].x2,
            walls.segments[last].y2, i, along);
  }
}

bool PlaceProduct(std::int32_t x, std::int32_t y, ProductPlace* place) {
  const int t = productWork.mounting;
  if (t == 0) {
    // The pointer keeps the outline on the sheet; a record redrawn from its list
    // stands where it was stored, and the drawing clips it at the sheet's edge.
    if (!core.replayMode) {
      const std::int32_t ex = productWork.extentX, ey = productWork.extentY;
      x = std::min(std::max(x, ex), kSheetWidth - 1 - ex);
      y = std::min(std::max(y, ey), kSheetHeight - 1 - ey);
    }
    const double c = CosDeg(productWork.angle), s = SinDeg(productWork.angle);
    place->axisX[0] = c;
    place->axisX[1] = s;
    place->axisY[0] = -s;
    place->axisY[1] = c;
    place->centreX = x;
    place->centreY = y;
    place->segment = -1;
    Corners(place);
    return true;
  }
  std::int32_t cx, cy;
  const int line = SnapLine(x, y, &cx, &cy);
  if (line < 0) return false;
  const WallLine& l = productWork.lines[line];
  AxesOn(l, place);
  place->centreX = cx;
  place->centreY = cy;
  place->segment = l.segment;
  Corners(place);
  return true;
}

bool BandsApart(std::uint32_t a, std::uint32_t b) {
  if (a == 0 || b == 0) return false;
  const auto along = static_cast<long>(a), other = static_cast<long>(b);
  return TesselBandTop(along) <= TesselBandBottom(other) ||
         TesselBandTop(other) <= TesselBandBottom(along);
}

namespace {

// Whether a worksheet point lies within the (convex) outline, or at most the margin
// outside it.
bool UnderOutline(const POINT q[4], double x, double y) {
  double area = 0;
  for (int i = 0; i < 4; ++i) {
    const POINT& a = q[i];
    const POINT& b = q[(i + 1) % 4];
    area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  const double orientation = area < 0 ? -1 : 1;
  for (int i = 0; i < 4; ++i) {
    const POINT& a = q[i];
    const POINT& b = q[(i + 1) % 4];
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double length = std::sqrt(ex * ex + ey * ey);
    if (!(length > 0)) return false;
    const double side = (ex * (y - a.y) - ey * (x - a.x)) / length * orientation;
    if (side < -kOutlineMargin) return false;
  }
  return true;
}

bool Paper(std::uint8_t p) {
  return p == 255 || p == view.shapeA || p == view.shapeB || p == view.shapeC || p == view.shapeD;
}

// A drawn pixel at a sample is no obstacle for a product with `band` when only
// products stacked out of its way were drawn there, and what lay there before them
// was paper.
bool StackedAway(std::size_t x, std::size_t y, std::uint32_t band) {
  bool away = false;
  for (int i = 0; i <= drawnLast; ++i) {
    const DrawnStand& stand = stands[i];
    if (!UnderOutline(stand.corners, static_cast<double>(x), static_cast<double>(y))) continue;
    if (!BandsApart(band, stand.band)) return false;
    away = true;
  }
  return away && standingTaken && Paper(standing[y * kSheetStride + x]);
}

}  // namespace

bool Collides(const POINT corners[4], std::uint32_t band) {
  const bool stacking = band != 0 && bandedDrawn > 0;
  for (int i = 0; i < 4; ++i)
    if (corners[i].x < 0 || corners[i].y < 0 || corners[i].x >= kSheetWidth ||
        corners[i].y >= kSheetHeight)
      return true;
  const std::uint8_t* bits = view.sheetBits;
  if (!bits) return false;
  const double ax = corners[3].x - corners[0].x, ay = corners[3].y - corners[0].y;
  const double bx = corners[1].x - corners[0].x, by = corners[1].y - corners[0].y;
  const int na = static_cast<int>(std::max(std::fabs(ax), std::fabs(ay)) * kSampleStep + 1);
  const int nb = static_cast<int>(std::max(std::fabs(bx), std::fabs(by)) * kSampleStep + 1);
  // Every sample lies inside the quadrilateral, whose corners are on the sheet, so
  // the rounded sample is a sheet pixel and no coordinate is negative.
  const std::uint8_t a = view.shapeA, b = view.shapeB, c = view.shapeC, d = view.shapeD;
  for (int i = 0; i < nb; ++i) {
    const double rowX = corners[0].x + i * bx / nb + 0.5, rowY = corners[0].y + i * by / nb + 0.5;
    for (int j = 0; j < na; ++j) {
      const auto x = static_cast<std::size_t>(Floor(rowX + j * ax / na));
      const auto y = static_cast<std::size_t>(Floor(rowY + j * ay / na));
      const std::uint8_t p = bits[y * kSheetStride + x];
      if (p != 255 && p != a && p != b && p != c && p != d &&
          !(stacking && StackedAway(x, y, band)))
        return true;
    }
  }
  return false;
}

namespace {

// Narrows [*first, *last] to the steps k at which start + k * step, in 16.16 fixed
// point, lies in [0, size << 16). Floating point finds the ends; each end is then
// checked with the same integer arithmetic the copy loop does, so the loop needs no
// test of its own. A row's run is one interval, so moving an end by a step or two
// settles it.
void KeepInside(std::int64_t start, std::int64_t step, std::int64_t size, std::int64_t* first,
                std::int64_t* last) {
  const std::int64_t end = (size << 16) - 1;
  auto inside = [&](std::int64_t k) {
    const std::int64_t at = start + k * step;
    return at >= 0 && at <= end;
  };
  if (step == 0) {
    if (!inside(0)) *last = *first - 1;
    return;
  }
  double a = static_cast<double>(-start) / static_cast<double>(step);
  double b = static_cast<double>(end - start) / static_cast<double>(step);
  if (a > b) std::swap(a, b);
  const double lo = std::max(static_cast<double>(*first), static_cast<double>(-Floor(-a)));
  const double hi = std::min(static_cast<double>(*last), static_cast<double>(Floor(b)));
  if (lo > hi + 2) {
    *last = *first - 1;
    return;
  }
  const std::int64_t low = *first, high = *last;
  std::int64_t f = static_cast<std::int64_t>(lo), l = static_cast<std::int64_t>(hi);
  while (f <= l && !inside(f)) ++f;
  while (f - 1 >= low && inside(f - 1)) --f;
  while (l >= f && !inside(l)) --l;
  while (l + 1 <= high && inside(l + 1)) ++l;
  *first = f;
  *last = l;
}

// One row of an unturned product: white is the colour key.
void KeyedCopyPlain(std::uint8_t* dst, const std::uint8_t* src, int count) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i white = _mm_set1_epi8(static_cast<char>(0xFF));
  for (; i + 16 <= count; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i keep = _mm_cmpeq_epi8(s, white);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
  }
#endif
  for (; i < count; ++i) dst[i] = src[i] == 255 ? dst[i] : src[i];
}

#if defined(__x86_64__)
// The same 32 pixels at a time where the processor has the wider registers.
__attribute__((target("avx2"))) void KeyedCopyWide(std::uint8_t* dst, const std::uint8_t* src,
                                                   int count) {
  int i = 0;
  const __m256i white = _mm256_set1_epi8(static_cast<char>(0xFF));
  for (; i + 32 <= count; i += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                        _mm256_blendv_epi8(s, d, _mm256_cmpeq_epi8(s, white)));
  }
  KeyedCopyPlain(dst + i, src + i, count - i);
}
#endif

void KeyedCopyBest(std::uint8_t* dst, const std::uint8_t* src, int count) {
#if defined(__x86_64__)
  if (plat::HasCpuFeature(plat::CpuFeature::kAvx2)) {
    KeyedCopyWide(dst, src, count);
    return;
  }
#endif
  KeyedCopyPlain(dst, src, count);
}

}  // namespace

void KeyedCopy(std::uint8_t* dst, const std::uint8_t* src, int count) {
  KeyedCopyBest(dst, src, count);
}

void DrawProductPixels(const ProductBitmap& bitmap, const ProductPlace& place, std::uint8_t* sheet,
                       int sheetWidth, int sheetHeight, int stride) {
  if (!bitmap.pixels || bitmap.width < 1 || bitmap.height < 1) return;
  const int w = bitmap.width, h = bitmap.height;
  const double xx = place.axisX[0], xy = place.axisX[1];
  const double yx = place.axisY[0], yy = place.axisY[1];
  int left = sheetWidth, top = sheetHeight, right = -1, bottom = -1;
  for (const POINT& p : place.corners) {
    left = std::min(left, p.x - 1);
    right = std::max(right, p.x + 1);
    top = std::min(top, p.y - 1);
    bottom = std::max(bottom, p.y + 1);
  }
  // Each row is worked out from the left of the whole box, clipped or not, so the
  // pixels of a product depend only on where it stands relative to its centre.
  const int boxLeft = left;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, sheetWidth - 1);
  bottom = std::min(bottom, sheetHeight - 1);
  if (left > right || top > bottom) return;
  // The source position of a target pixel, measured from the product's centre and
  // turned back into the bitmap: (u, v) = (d . axisX + w / 2, d . axisY + h / 2); the
  // nearest source pixel is (floor u, floor v). Along a row it changes by a constant
  // step, kept in 16.16 fixed point.
  constexpr double kOne = 65536.0;
  const double halfW = w / 2.0, halfH = h / 2.0;
  const auto stepU = static_cast<std::int64_t>(std::lround(xx * kOne));
  const auto stepV = static_cast<std::int64_t>(std::lround(yx * kOne));
  if (xx == 1.0 && xy == 0.0 && yx == 0.0 && yy == 1.0) {
    // Unturned, the formula is exact in integers: source column px - centre + w / 2,
    // the same for every row, so each row is one keyed copy.
    const int x0 = place.centreX - w / 2, y0 = place.centreY - h / 2;
    const int from = std::max(left, x0), to = std::min(right, x0 + w - 1);
    if (from > to) return;
    for (int py = std::max(top, y0); py <= std::min(bottom, y0 + h - 1); ++py)
      KeyedCopyBest(sheet + static_cast<std::size_t>(py) * static_cast<std::size_t>(stride) + from,
                    bitmap.pixels +
                        static_cast<std::size_t>(py - y0) * static_cast<std::size_t>(w) +
                        (from - x0),
                    to - from + 1);
    return;
  }
  const double dx = boxLeft - place.centreX;

  for (int py = top; py <= bottom; ++py) {
    const double dy = py - place.centreY;
    const std::int64_t u0 = Floor((dx * xx + dy * xy + halfW) * kOne);
    const std::int64_t v0 = Floor((dx * yx + dy * yy + halfH) * kOne);
    std::int64_t first = left - boxLeft, last = right - boxLeft;
    KeepInside(u0, stepU, w, &first, &last);
    KeepInside(v0, stepV, h, &first, &last);
    if (first > last) continue;
    std::uint8_t* row = sheet + static_cast<std::size_t>(py) * static_cast<std::size_t>(stride);
    auto u = static_cast<std::int32_t>(u0 + first * stepU);
    auto v = static_cast<std::int32_t>(v0 + first * stepV);
    const auto su = static_cast<std::int32_t>(stepU), sv = static_cast<std::int32_t>(stepV);
    // Locals the stores cannot alias, so the loop keeps them in registers.
    std::uint8_t* __restrict out = row + (boxLeft + first);
    last -= first;
    first = 0;
    const std::uint8_t* __restrict src = bitmap.pixels;
    const std::int32_t width = w;
    for (std::int64_t k = first; k <= last; ++k, u += su, v += sv) {
      const std::uint8_t p = src[(v >> 16) * width + (u >> 16)];
      if (p != 255) out[k] = p;
    }
  }
}

bool PlaceIsFree(const POINT corners[4]) {
  return !Collides(corners, 0);
}

long PutProduct() {
  // A replay (or a lift, which sets the product up as one) only sets it up again.
  if (!core.replayMode) SetSelectCursor();
  HideFeedback();
  // A new placement starts without a highlighted object.
  if (!core.replayMode) ClearHover();
  if (!ProductSetUp()) return 0;
  if (productWork.mounting != 0 && productWork.lineCount == 0) {
    pointer.trackDraw = nullptr;
    pointer.trackDrop = nullptr;
    return TR_PlacementFailed;
  }
  EraseHeldOutline();
  shownOutline.shown = false;
  pointer.trackDraw = ProductFeedback;
  pointer.trackDrop = ProductDrop;
  if (!core.replayMode) ShowFeedback();
  return 0;
}

long ShowProductlist(std::int32_t* numbers) {
  if (!numbers) return -1;
  int n = 0;
  for (int i = 0; i <= drawnLast; ++i) numbers[n++] = drawn[i].number;
  numbers[n] = 0;
  return 0;
}

void ClearDrawnProducts() {
  for (DrawnProduct& d : drawn) {
    d.number = -1;
    d.name[0] = '\0';
  }
  drawnLast = -1;
  bandedDrawn = 0;
  standingTaken = false;
  // A redraw checks every product file once more, so a changed file shows.
  NextBitmapGeneration();
}

int DrawnProductCount() {
  return drawnLast + 1;
}

const DrawnProduct* DrawnProductAt(int slot) {
  return slot >= 0 && slot <= drawnLast ? &drawn[slot] : nullptr;
}

}  // namespace vrx
