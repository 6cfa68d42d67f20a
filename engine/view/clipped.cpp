// Lines and arcs of the feedback picture, drawn straight into the work window but
// only inside the visible rectangle, so the feedback never marks the ruler bands or
// the grey margins. The arithmetic is integer throughout, as the picture of every
// placement depends on where these land.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

// Divisions truncate toward zero, as the 32-bit arithmetic this mirrors did; wide
// intermediate values keep wild coordinates from overflowing.
std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
  return c == 0 ? 0 : a * b / c;
}

std::int64_t ISqrt(std::int64_t v) {
  if (v <= 0) return 0;
  auto r = static_cast<std::int64_t>(std::sqrt(static_cast<double>(v)));
  while (r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}

// How far a feedback pen's pixels reach beyond the ideal path: half its two-pixel width,
// a pixel of the rounded caps, and a pixel to spare.
constexpr std::int64_t kFeedbackPenReach = 3;

// Grows the noted feedback extent by a box of window pixels (edges inclusive).
void NoteFeedback(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  if (!view.collectingFeedback) return;
  const RECT box{ClampCoordinate(left - kFeedbackPenReach),
                 ClampCoordinate(top - kFeedbackPenReach),
                 ClampCoordinate(right + kFeedbackPenReach + 1),
                 ClampCoordinate(bottom + kFeedbackPenReach + 1)};
  RECT& b = view.feedbackBox;
  if (b.left >= b.right || b.top >= b.bottom) {
    b = box;
    return;
  }
  b.left = std::min(b.left, box.left);
  b.top = std::min(b.top, box.top);
  b.right = std::max(b.right, box.right);
  b.bottom = std::max(b.bottom, box.bottom);
}

}  // namespace

void ClippedLine(HDC dc, int ax, int ay, int bx, int by) {
  const RECT& clip = view.visible;
  std::int64_t x1 = ax, y1 = ay, x2 = bx, y2 = by;
  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  if ((y1 < clip.top && y2 < clip.top) || (y1 >= clip.bottom && y2 >= clip.bottom)) return;
  if (x1 >= x2) {
    if (x2 < clip.left) {
      if (x1 != x2) y2 = MulDiv(clip.left - x2, dy, dx) + y2;
      x2 = clip.left;
    }
    if (x1 > clip.right) {
      if (x1 != x2) y1 = MulDiv(clip.right - x1, dy, dx) + y1;
      x1 = clip.right;
    }
    if (x2 > x1) return;
  } else {
    if (x1 < clip.left) {
      y1 = MulDiv(clip.left - x1, dy, dx) + y1;
      x1 = clip.left;
    }
    if (x2 > clip.right) {
      y2 = MulDiv(clip.right - x2, dy, dx) + y2;
      x2 = clip.right;
    }
    if (x1 > x2) return;
  }
  if (y1 < y2) {
    if (y1 < clip.top) {
      if (dy != 0) x1 = MulDiv(clip.top - y1, dx, dy) + x1;
      y1 = clip.top;
    }
    if (y2 > clip.bottom) {
      if (dy != 0) x2 = MulDiv(clip.bottom - y2, dx, dy) + x2;
      y2 = clip.bottom;
    }
    if (y1 > y2) return;
  } else {
    if (y2 < clip.top) {
      x2 = MulDiv(clip.top - y2, dx, dy) + x2;
      y2 = clip.top;
    }
    if (y1 > clip.bottom) {
      x1 = MulDiv(clip.bottom - y1, dx, dy) + x1;
      y1 = clip.bottom;
    }
    if (y2 > y1) return;
  }
  // Clipped lines sit one pixel right of the points they are given.
  view.windowShowsBuffer = false;
  NoteFeedback(std::min(x1, x2) + 1, std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2));
  MoveToEx(dc, static_cast<int>(x1 + 1), static_cast<int>(y1), nullptr);
  LineTo(dc, static_cast<int>(x2 + 1), static_cast<int>(y2));
}

void ClippedArc(HDC dc, int cx, int cy, int radius, int xs, int ys, int xe, int ye) {
  ClippedArc(dc, cx, cy, radius, radius, xs, ys, xe, ye);
}

void ClippedArc(HDC dc, int cx, int cy, int rx, int ry, int xs, int ys, int xe, int ye) {
  const RECT& clip = view.visible;
  const std::int64_t r = rx, q = ry;
  if (r <= 0 || q <= 0) return;
  // Where an end point is pulled onto the clip edge it is moved along the circle; the
  // integer steps of this make it land on the circle's extreme or on the centre line.
  auto across = [&](std::int64_t offset, std::int64_t* out) {
    // The quotient is taken first, as the integer formula has it; beyond 1 the value
    // under the root is negative, and multiplying it out could overflow.
    const std::int64_t k = (offset * offset / r) / r;
    if (k > 1) return false;
    const std::int64_t v = (1 - k) * q * q;
    *out = ISqrt(v);
    return true;
  };
  auto pullX = [&](std::int64_t& x, std::int64_t& y, std::int64_t otherY) {
    if (x >= clip.left && x < clip.right) return;
    x = x < clip.left ? clip.left : clip.right - 1;
    std::int64_t d;
    if (across(x - cx, &d)) y = cy + d < std::min(y, otherY) ? cy - d : cy + d;
  };
  auto pullY = [&](std::int64_t& x, std::int64_t& y, std::int64_t otherX) {
    if (y >= clip.top && y < clip.bottom) return;
    y = y < clip.top ? clip.top : clip.bottom - 1;
    std::int64_t d;
    if (across(y - cy, &d)) x = cx + d < std::min(x, otherX) ? cx - d : cx + d;
  };
  std::int64_t sx = xs, sy = ys, ex = xe, ey = ye;
  pullX(ex, ey, sy);
  pullY(ex, ey, sx);
  pullX(sx, sy, ey);
  pullY(sx, sy, ex);
  auto inside = [&](std::int64_t x, std::int64_t y) {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
  };
  if (!inside(sx, sy) || !inside(ex, ey)) return;
  // The arc between its clipped ends may leave the visible rectangle: its whole
  // ellipse is noted.
  NoteFeedback(cx - r, cy - q, cx + r, cy + q);
  view.windowShowsBuffer = false;
  Arc(dc, cx - rx, cy - ry, cx + rx, cy + ry, static_cast<int>(sx), static_cast<int>(sy),
      static_cast<int>(ex), static_cast<int>(ey));
}

void CrossedBox(HDC dc, const POINT q[4]) {
  ClippedLine(dc, q[0].x, q[0].y, q[1].x, q[1].y);
  ClippedLine(dc, q[1].x, q[1].y, q[2].x, q[2].y);
  ClippedLine(dc, q[2].x, q[2].y, q[3].x, q[3].y);
  ClippedLine(dc, q[3].x, q[3].y, q[0].x, q[0].y);
  ClippedLine(dc, q[0].x, q[0].y, q[2].x, q[2].y);
  ClippedLine(dc, q[1].x, q[1].y, q[3].x, q[3].y);
}

}  // namespace vrx
