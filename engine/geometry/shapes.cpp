// User rectangles and circles: free-standing placeholders drawn straight into the
// worksheet in the shape colours, with a hit area so they can be selected like
// products. They are not part of the wall table.
#include <cmath>
#include <utility>

#include "geometry/geometry_p.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

// cos 45 degrees as the circle's inscribed square uses it, and the same per cent of
// the zoom on the screen.
constexpr double kHalfDiagonal = 0.707;
constexpr double kHalfDiagonalPerZoom = 0.00707;
// Circles keep one pixel more from the frame's far sides than rectangles.
constexpr std::int32_t kCircleInset = 1;

struct UserRectTool {
  std::int32_t halfLength = 0, halfBreadth = 0, angle = 0;
  std::int32_t extentX = 0, extentY = 0;
  POINT corners[4]{};  // the last outline, in worksheet pixels
};
constinit UserRectTool userRect;

struct UserCircleTool {
  std::int32_t radius = 0;
  POINT square[4]{};
};
constinit UserCircleTool userCircle;

// The rectangle's corners around a centre: along the turned length and breadth,
// truncated point by point.
void RectCorners(POINT centre, std::int32_t l, std::int32_t b, POINT out[4]) {
  const double c = CosDeg(userRect.angle), s = SinDeg(userRect.angle);
  auto corner = [&](double along, double across) {
    return POINT{static_cast<int>(centre.x + along * c - across * -s),
                 static_cast<int>(centre.y + along * s - across * c)};
  };
  out[0] = corner(l, b);
  out[1] = corner(-l, b);
  out[2] = corner(-l, -b);
  out[3] = corner(l, -b);
}

void UserRectFeedback() {
  ClampCursor(userRect.extentX, userRect.extentY);
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  POINT area[4];
  RectCorners(POINT{cx, cy}, userRect.halfLength, userRect.halfBreadth, area);
  const bool free = PlaceIsFree(area);
  if (!free) pointer.dropAllowed = false;
  POINT q[4];
  RectCorners(CursorToClient(core.cursorX, core.cursorY), view.zoom * userRect.halfLength / 100,
              view.zoom * userRect.halfBreadth / 100, q);
  const FeedbackDc feedback(free ? view.tools.wallPen : view.tools.redPen);
  if (feedback.dc()) CrossedBox(feedback.dc(), q);
}

// A line looks the same whichever way its ends were passed: drawn from the end with
// the smaller x.
void EvenLine(HDC dc, POINT a, POINT b) {
  if (b.x < a.x) std::swap(a, b);
  MoveToEx(dc, a.x, a.y, nullptr);
  LineTo(dc, b.x, b.y);
}

void UserRectCommit() {
  // A replayed shape is kept on the sheet as the feedback kept the placed one.
  ClampCursor(userRect.extentX, userRect.extentY);
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  const int tag = InsertRequest("USERRECT");
  if (tag < 0) return;
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  POINT* p = userRect.corners;
  RectCorners(POINT{cx, cy}, userRect.halfLength, userRect.halfBreadth, p);
  HDC dc = view.sheetDc;
  if (dc) {
    SelectObject(dc, view.tools.shapePen);
    SelectObject(dc, view.tools.shapeBrush);
    Polygon(dc, p, 4);
    EvenLine(dc, p[0], p[1]);
    EvenLine(dc, p[1], p[2]);
    EvenLine(dc, p[2], p[3]);
    EvenLine(dc, p[3], p[0]);
    EvenLine(dc, p[0], p[2]);
    EvenLine(dc, p[1], p[3]);
    SelectObject(dc, view.tools.sheetWallPen);
    SelectObject(dc, view.tools.lightBrush);
  }
  RegisterHitArea(tag, p, 4);
}

// The square inscribed in the circle, half side k.
void SquareAround(std::int32_t cx, std::int32_t cy, std::int32_t k, POINT out[4]) {
  out[0] = POINT{cx - k, cy - k};
  out[1] = POINT{cx - k, cy + k};
  out[2] = POINT{cx + k, cy + k};
  out[3] = POINT{cx + k, cy - k};
}

void UserCircleFeedback() {
  const std::int32_t r = userCircle.radius;
  ClampCursor(r, r, kCircleInset);
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  // The collision test sees the inscribed square only.
  POINT area[4];
  SquareAround(cx, cy, static_cast<std::int32_t>(kHalfDiagonal * r), area);
  const bool free = PlaceIsFree(area);
  if (!free) pointer.dropAllowed = false;
  const POINT s = CursorToClient(core.cursorX, core.cursorY);
  const auto k = static_cast<int>(view.zoom * r * kHalfDiagonalPerZoom);
  const int radius = view.zoom * r / 100;
  const FeedbackDc feedback(free ? view.tools.wallPen : view.tools.redPen);
  HDC dc = feedback.dc();
  if (!dc) return;
  ClippedLine(dc, s.x + k, s.y - k, s.x - k, s.y + k);
  ClippedLine(dc, s.x - k, s.y - k, s.x + k, s.y + k);
  // Four quarters between the diagonals' ends, counter-clockwise on the screen.
  const POINT ends[4] = {
      {s.x + k, s.y - k}, {s.x - k, s.y - k}, {s.x - k, s.y + k}, {s.x + k, s.y + k}};
  for (int i = 0; i < 4; ++i)
    ClippedArc(dc, s.x, s.y, radius, ends[i].x, ends[i].y, ends[(i + 1) % 4].x,
               ends[(i + 1) % 4].y);
}

void UserCircleCommit() {
  const std::int32_t r = userCircle.radius;
  ClampCursor(r, r, kCircleInset);
  core.request.x = static_cast<std::uint16_t>(core.cursorX);
  core.request.y = static_cast<std::uint16_t>(core.cursorY);
  const int tag = InsertRequest("USERCRCL");
  if (tag < 0) return;
  std::int32_t cx, cy;
  CursorToSheet(&cx, &cy);
  HDC dc = view.sheetDc;
  if (dc) {
    SelectObject(dc, view.tools.shapePen);
    SelectObject(dc, view.tools.shapeBrush);
    Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
    const auto k = static_cast<std::int32_t>(kHalfDiagonal * r);
    MoveToEx(dc, cx - k, cy - k, nullptr);
    LineTo(dc, cx + k, cy + k);
    MoveToEx(dc, cx - k, cy + k, nullptr);
    LineTo(dc, cx + k, cy - k);
    SelectObject(dc, view.tools.sheetWallPen);
    SelectObject(dc, view.tools.wallBrush);
  }
  SquareAround(cx, cy, r, userCircle.square);
  RegisterHitArea(tag, userCircle.square, 4);
}

}  // namespace

long PutUserRect() {
  BeginTool();
  userRect.halfLength = SheetLength(core.request.p0);
  userRect.halfBreadth = SheetLength(core.request.p1);
  // The angle lives in p2, which turning the shape changes.
  userRect.angle = TurnAngle(core.request.p2);
  RotatedExtent(userRect.halfLength, userRect.halfBreadth, userRect.angle, &userRect.extentX,
                &userRect.extentY);
  InstallTool(UserRectFeedback, UserRectCommit);
  return 0;
}

long PutUserCircle() {
  BeginTool();
  userCircle.radius = SheetLength(core.request.p0);
  InstallTool(UserCircleFeedback, UserCircleCommit);
  return 0;
}

}  // namespace vrx
