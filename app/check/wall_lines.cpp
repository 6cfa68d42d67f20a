#include "check/wall_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace tessel {

namespace {

constexpr int kWidth = FloorMap::kWidth;
// A wall-mounted product stands this far off a room wall's line, and further off the
// lines of installation walls and diagonal corners, whose bands start on the line.
constexpr int kWallGap = 2;
constexpr int kBandGap = 4;
// No wall line is ever this far away.
constexpr double kNoWall = 100000;
// A stored centre within this many pixels of the centre a line gives stays on that line.
constexpr int kOnLine = 1;
// Whole-pixel centres up to this many pixels round the exact one are tried against an
// installation wall, as the engine tries them.
constexpr int kBandSearch = 2;
// Where a diagonal cut meets the next wall, a product against the cut keeps its gap off
// that wall's line and a pixel more for its whole-pixel centre, as the engine keeps it.
constexpr double kEndClearance = kWallGap + 1;
// A door or window lies on a wall line when its stored point is this close to it.
constexpr int kOpeningReach = 1;
// The engine reads lengths of room parts up to twice the sheet's width.
constexpr int kLongestPart = 2 * kWidth;
constexpr int kFullTurn = 360;
constexpr int kQuarterTurn = 90;
constexpr double kRadiansPerDegree = 0.017453292222222222;
constexpr int kMountMask = 0xF, kMountMirrored = 7, kMountMirrorShift = 6, kMountAsFirst = 5;
// Corners round the outline as the engine walks them, as signs of the half sizes.
constexpr int kCornerSigns[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};

// The engine's sine and cosine: exact at quarter turns, so that walls and products at
// right angles do not drift by a pixel.
double SinDeg(int a) {
  if (a % kQuarterTurn == 0) {
    constexpr double kSin[4] = {0, 1, 0, -1};
    return kSin[(a / kQuarterTurn) & 3];
  }
  return std::sin(a * kRadiansPerDegree);
}

double CosDeg(int a) {
  if (a % kQuarterTurn == 0) {
    constexpr double kCos[4] = {1, 0, -1, 0};
    return kCos[(a / kQuarterTurn) & 3];
  }
  return std::cos(a * kRadiansPerDegree);
}

// One wall line as the engine keeps it for a product: shortened at both ends so that
// the whole product stays on it, with whole-pixel ends and single-precision axes.
struct SnapLine {
  std::int32_t x1, y1, x2, y2, length;
  float dx, dy, nx, ny;
};

bool Shortened(double ax, double ay, double bx, double by, double along, SnapLine* l) {
  const double dx = bx - ax, dy = by - ay;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 2 * along)) return false;
  const double ux = dx / length, uy = dy / length;
  l->x1 = static_cast<std::int32_t>(ax + ux * along);
  l->y1 = static_cast<std::int32_t>(ay + uy * along);
  l->x2 = static_cast<std::int32_t>(bx - ux * along);
  l->y2 = static_cast<std::int32_t>(by - uy * along);
  l->dx = static_cast<float>(ux);
  l->dy = static_cast<float>(uy);
  l->nx = static_cast<float>(-uy);
  l->ny = static_cast<float>(ux);
  l->length = static_cast<std::int32_t>(length - 2 * along);
  return true;
}

void FillCorners(ProductOutline* out, double cx, double cy, const double axisX[2],
                 const double axisY[2], int hw, int hh) {
  for (std::size_t i = 0; i < 4; ++i) {
    const double a = kCornerSigns[i][0] * double(hw), b = kCornerSigns[i][1] * double(hh);
    out->corners[i] = QPointF(static_cast<int>(cx + a * axisX[0] + b * axisY[0]),
                              static_cast<int>(cy + a * axisX[1] + b * axisY[1]));
  }
  out->centre = QPoint(static_cast<int>(cx), static_cast<int>(cy));
  out->axisX = QPointF(axisX[0], axisX[1]);
  out->axisY = QPointF(axisY[0], axisY[1]);
  out->valid = true;
}

}  // namespace

int MountingOf(int mount) {
  int t = mount & kMountMask;
  if (t >= kMountMirrored) t -= kMountMirrorShift;
  if (t >= kMountAsFirst) t = 1;
  return t;
}

int HalfPixels(double cm) {
  return static_cast<int>(std::round(cm * kPixelsPerCm)) / 2;
}

QRectF ProductOutline::Box() const {
  if (!valid) return {};
  double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
  for (const QPointF& c : corners) {
    left = std::min(left, c.x());
    right = std::max(right, c.x());
    top = std::min(top, c.y());
    bottom = std::max(bottom, c.y());
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool ProductOutline::Covers(QPointF p) const {
  if (!valid) return false;
  // Inside a convex outline: on the same side of all four edges.
  int positive = 0, negative = 0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const QPointF a = corners[i], b = corners[(i + 1) % corners.size()];
    const double side = (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
    positive += side > 0;
    negative += side < 0;
  }
  return positive == 0 || negative == 0;
}

bool ProductOutline::OnStraightWall() const {
  return !wall.isNull() && (wall.x() == 0 || wall.y() == 0);
}

WallLines::WallLines(const PlanText& plan, const FloorMap& floor) {
  // Doors and windows split the room's walls: a product stands beside a door, never in
  // it, but slides on under a window, where the wall goes on.
  struct Opening {
    int x, y, half;
    bool window;
  };
  std::vector<Opening> openings;
  for (const PlanRecord& r : plan.layout)
    if (r.kind == "DOOR" || r.kind == "WINDOW")
      openings.push_back(
          {r.x, r.y, std::clamp(static_cast<int>(r.p0), 0, kLongestPart), r.kind == "WINDOW"});
  const std::vector<FloorMap::CornerCut>& cuts = floor.Cuts();
  auto inCut = [&cuts](int x, int y) {
    return std::any_of(cuts.begin(), cuts.end(),
                       [x, y](const FloorMap::CornerCut& c) { return c.Holds(x, y); });
  };
  // A straight run of wall from `from` to `to` along one sheet axis at `fixed`, the
  // room lying towards `inward`: the ring runs with the room on its right-hand side.
  auto run = [&](bool across, int fixed, int from, int to, int inward) {
    auto point = [&](int at) { return across ? QPointF(at, fixed) : QPointF(fixed, at); };
    // The ring's direction is the room's side turned back by a quarter turn.
    const bool forward = across ? inward > 0 : inward < 0;
    std::vector<const Opening*> doors;
    bool window = false;
    for (const Opening& o : openings) {
      const int along = across ? o.x : o.y, off = across ? o.y : o.x;
      if (std::abs(off - fixed) > kOpeningReach || along < from || along > to) continue;
      if (o.window)
        window = true;
      else
        doors.push_back(&o);
    }
    auto add = [&](int a, int b) {
      if (b <= a) return;
      const QPointF p = point(forward ? a : b), q = point(forward ? b : a);
      lines_.push_back({p.x(), p.y(), q.x(), q.y(), false, 0, {}, false, false, false, {}, {}});
    };
    if (window) {
      add(from, to);
      return;
    }
    std::sort(doors.begin(), doors.end(), [across](const Opening* a, const Opening* b) {
      return across ? a->x < b->x : a->y < b->y;
    });
    int start = from;
    for (const Opening* d : doors) {
      const int at = across ? d->x : d->y;
      add(start, at - d->half);
      start = at + d->half;
    }
    add(start, to);
  };
  // Room walls lie on the edges of the floor's pixels, cut corners aside. The floor's
  // box is copied once with a border of no floor round it, so that each pixel's
  // neighbours are read without a test; rows are walked in memory order, the columns'
  // runs kept open across them. Outside the box no wall can lie.
  const QRect box = floor.Extent();
  const int left = box.left(), top = box.top(), right = left + box.width(),
            bottom = top + box.height();
  const int stride = box.width() + 2;
  std::vector<std::uint8_t> f(static_cast<std::size_t>(stride) * (box.height() + 2), 0);
  auto cell = [&](int x, int y) -> std::uint8_t& {
    return f[static_cast<std::size_t>(y - top + 1) * stride +
             static_cast<std::size_t>(x - left + 1)];
  };
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) cell(x, y) = floor.Floor(x, y) ? 1 : 0;
  // Open runs: [0] a wall with the room after it (below, right), [1] before it.
  int rowStart[2] = {-1, -1};
  std::vector<int> columnStart[2] = {std::vector<int>(box.width() + 1, -1),
                                     std::vector<int>(box.width() + 1, -1)};
  for (int y = top; y <= bottom; ++y) {
    // Walls across, between rows y - 1 and y.
    for (int x = left; x <= right; ++x) {
      const bool above = cell(x, y - 1), below = cell(x, y);
      if (above == below && rowStart[0] < 0 && rowStart[1] < 0) continue;
      const bool walls[2] = {below && !above && !inCut(x, y), above && !below && !inCut(x, y - 1)};
      for (int k = 0; k < 2; ++k) {
        if (walls[k] && rowStart[k] < 0) rowStart[k] = x;
        if (!walls[k] && rowStart[k] >= 0) {
          run(true, y, rowStart[k], x, k == 0 ? 1 : -1);
          rowStart[k] = -1;
        }
      }
    }
    // Walls up and down, between columns x - 1 and x, along row y.
    for (int x = left; x <= right; ++x) {
      const bool before = cell(x - 1, y), after = cell(x, y);
      const auto column = static_cast<std::size_t>(x - left);
      if (before == after && columnStart[0][column] < 0 && columnStart[1][column] < 0) continue;
      const bool walls[2] = {after && !before && !inCut(x, y),
                             before && !after && !inCut(x - 1, y)};
      for (int k = 0; k < 2; ++k) {
        int& start = columnStart[k][column];
        if (walls[k] && start < 0) start = y;
        if (!walls[k] && start >= 0) {
          run(false, x, start, y, k == 0 ? 1 : -1);
          start = -1;
        }
      }
    }
  }
  // A diagonal corner's cut, walked so that its normal points into the room. Its band
  // is drawn outwards from its ends; the walls meeting them ran on to the room's corner.
  for (const FloorMap::CornerCut& c : cuts) {
    if (c.round) continue;
    QPoint a = c.ends[0], b = c.ends[1];
    const QPoint corner(c.ends[1].x(), c.ends[0].y());
    const QPoint d = b - a;
    if (-d.y() * c.inward.x() + d.x() * c.inward.y() < 0) std::swap(a, b);
    Line l{double(a.x()),
           double(a.y()),
           double(b.x()),
           double(b.y()),
           true,
           2,
           {},
           true,
           true,
           true,
           {},
           {}};
    l.drawn[0][0] = a.x();
    l.drawn[0][1] = a.y();
    l.drawn[1][0] = b.x();
    l.drawn[1][1] = b.y();
    auto unit = [](QPoint from, QPoint to, double out[2]) {
      const QPoint v = to - from;
      const double length = std::hypot(v.x(), v.y());
      out[0] = length > 0 ? v.x() / length : 0;
      out[1] = length > 0 ? v.y() / length : 0;
    };
    unit(a, corner, l.before);
    unit(corner, b, l.after);
    lines_.push_back(l);
  }
  // A room wall's line that a cut ends on or starts from keeps its products clear of
  // the cut there.
  const std::size_t roomAndCuts = lines_.size();
  for (std::size_t i = 0; i < roomAndCuts; ++i) {
    if (!lines_[i].cut) continue;
    const Line cut = lines_[i];
    const double length = std::hypot(cut.bx - cut.ax, cut.by - cut.ay);
    const double direction[2] = {(cut.bx - cut.ax) / length, (cut.by - cut.ay) / length};
    for (std::size_t k = 0; k < roomAndCuts; ++k) {
      Line& wall = lines_[k];
      if (wall.band) continue;
      if (wall.ax == cut.bx && wall.ay == cut.by) {
        wall.keepBefore = true;
        std::copy(direction, direction + 2, wall.before);
      }
      if (wall.bx == cut.ax && wall.by == cut.ay) {
        wall.keepAfter = true;
        std::copy(direction, direction + 2, wall.after);
      }
    }
  }
  // Installation walls: all four sides of the band, each walked with its normal out of
  // the wall, from the stored edge round, as the engine lays the band out.
  for (const PlanRecord& r : plan.layout) {
    if (r.kind != "INSTWALL") continue;
    const int length = std::clamp(static_cast<int>(r.p0), 0, kLongestPart);
    const int thickness = std::clamp(static_cast<int>(r.p1), 0, kLongestPart);
    const int angle = r.p2 % kFullTurn;
    const double c = CosDeg(angle), s = SinDeg(angle);
    auto point = [&](double along, double across) {
      return QPoint(static_cast<int>(r.x + along * c + across * -s),
                    static_cast<int>(r.y + along * s + across * c));
    };
    const QPoint p1 = point(-length, thickness), p2 = point(length, thickness);
    const auto dx = static_cast<float>(p2.x() - p1.x()), dy = static_cast<float>(p2.y() - p1.y());
    const float norm = std::sqrt(dx * dx + dy * dy);
    if (norm <= 0) continue;
    const float nx = -dy / norm, ny = dx / norm;
    const double band = 2.0 * static_cast<std::uint16_t>(thickness);
    const double p[4][2] = {{double(p1.x()), double(p1.y())},
                            {double(p2.x()), double(p2.y())},
                            {p2.x() - band * nx, p2.y() - band * ny},
                            {p1.x() - band * nx, p1.y() - band * ny}};
    // The band as the engine draws it: its far corners cut to whole pixels in single
    // precision.
    const auto t2 = 2 * static_cast<float>(static_cast<std::uint16_t>(thickness));
    auto cut = [&](int x, int y) {
      return std::array<double, 2>{double(static_cast<int>(static_cast<float>(x) - t2 * nx)),
                                   double(static_cast<int>(static_cast<float>(y) - t2 * ny))};
    };
    const std::array<double, 2> far2 = cut(p2.x(), p2.y()), far1 = cut(p1.x(), p1.y());
    for (int k = 0; k < 4; ++k) {
      Line l{
          p[k][0], p[k][1], p[(k + 1) % 4][0], p[(k + 1) % 4][1], true, 4, {}, false, false, false,
          {},      {}};
      const double drawn[4][2] = {{double(p1.x()), double(p1.y())},
                                  {double(p2.x()), double(p2.y())},
                                  {far2[0], far2[1]},
                                  {far1[0], far1[1]}};
      std::copy(&drawn[0][0], &drawn[0][0] + 8, &l.drawn[0][0]);
      lines_.push_back(l);
    }
  }
}

ProductOutline WallLines::Place(int mount, int angle, int halfWidth, int halfHeight, QPoint pointer,
                                bool hanging) const {
  ProductOutline out;
  const int t = MountingOf(mount);
  const std::int32_t x = pointer.x(), y = pointer.y();
  if (t == kMountFreeStanding) {
    const double c = CosDeg(angle), s = SinDeg(angle);
    const double axisX[2] = {c, s}, axisY[2] = {-s, c};
    FillCorners(&out, x, y, axisX, axisY, halfWidth, halfHeight);
    return out;
  }
  const double along = t % 2 ? halfWidth : halfHeight;
  const int depth = t % 2 ? halfHeight : halfWidth;
  // The foot of the point on a line, and its distance from it.
  auto footOn = [&](const SnapLine& l, double* fx, double* fy) {
    const double foot = (x - l.x1) * double(l.dx) + (y - l.y1) * double(l.dy);
    if (foot < 0 || foot > l.length) {
      *fx = foot < 0 ? l.x1 : l.x2;
      *fy = foot < 0 ? l.y1 : l.y2;
      return std::hypot(x - *fx, y - *fy);
    }
    *fx = l.x1 + l.dx * foot;
    *fy = l.y1 + l.dy * foot;
    return std::fabs((x - l.x1) * double(l.nx) + (y - l.y1) * double(l.ny));
  };
  // The centre as plans were always drawn: the foot moved off by the depth and the gap,
  // cut to whole pixels.
  auto storedCentre = [&](const Line& raw, const SnapLine& l, double fx, double fy) {
    const double off = depth + (raw.band ? kBandGap : kWallGap);
    return QPoint(static_cast<std::int32_t>(fx + l.nx * off),
                  static_cast<std::int32_t>(fy + l.ny * off));
  };
  // How far from a line's end, going in along `in`, the product's side stands so that
  // its outline, `gap` off the line, keeps `clearance` off the line of the wall running
  // `wall` there.
  auto roomAtEnd = [&](const double wall[2], double inX, double inY, const SnapLine& l, double gap,
                       double clearance) {
    const double mx = -wall[1], my = wall[0];
    const double in = inX * mx + inY * my, across = l.nx * mx + l.ny * my;
    if (!(in > 0)) return 0.0;
    double room = 0;
    for (const double off : {gap, gap + 2.0 * depth})
      room = std::max(room, (clearance - off * across) / in);
    return room;
  };
  // The foot kept back from the line's ends where it keeps clear of the wall there, as
  // the engine keeps it.
  auto keepBack = [&](const Line& raw, const SnapLine& l, double gap, double clearance, double* fx,
                      double* fy) {
    if (!raw.keepBefore && !raw.keepAfter) return;
    const double dx = l.dx, dy = l.dy;
    const double low = raw.ax * dx + raw.ay * dy + along +
                       (raw.keepBefore ? roomAtEnd(raw.before, dx, dy, l, gap, clearance) : 0);
    const double high = raw.bx * dx + raw.by * dy - along -
                        (raw.keepAfter ? roomAtEnd(raw.after, -dx, -dy, l, gap, clearance) : 0);
    const double at = *fx * dx + *fy * dy;
    const double kept = low <= high ? std::clamp(at, low, high) : (low + high) / 2;
    *fx += dx * (kept - at);
    *fy += dy * (kept - at);
  };
  // As a drop now places it. Against an installation wall or a diagonal corner: the
  // whole pixel nearest the foot along the line from which the outline stands kBandGap
  // to a pixel more off the band as drawn, on a cut the foot first kept back from its
  // ends so that the outline stays clear of the walls meeting it there. Against a room
  // wall that a cut meets, the foot kept back so that the outline stays kBandGap off
  // the cut.
  auto centre = [&](const Line& raw, const SnapLine& l, double fx, double fy) {
    if (raw.drawnCorners == 0) {
      keepBack(raw, l, kWallGap, kBandGap, &fx, &fy);
      return storedCentre(raw, l, fx, fy);
    }
    const double nx = l.nx, ny = l.ny, dx = l.dx, dy = l.dy;
    double face = -kNoWall;
    for (int i = 0; i < raw.drawnCorners; ++i)
      face = std::max(face, raw.drawn[i][0] * nx + raw.drawn[i][1] * ny);
    keepBack(raw, l, kBandGap, kEndClearance, &fx, &fy);
    const double nearest = face + depth + kBandGap;
    const double lift = nearest + 0.5 - (fx * nx + fy * ny);
    const int baseX = static_cast<int>(std::floor(fx + nx * lift)),
              baseY = static_cast<int>(std::floor(fy + ny * lift));
    const double at = fx * dx + fy * dy;
    double bestSlide = kNoWall;
    QPoint best = storedCentre(raw, l, fx, fy);
    for (int cy = baseY - kBandSearch; cy <= baseY + kBandSearch + 1; ++cy)
      for (int cx = baseX - kBandSearch; cx <= baseX + kBandSearch + 1; ++cx) {
        const double off = cx * nx + cy * ny - nearest;
        if (off < 0 || off >= 1) continue;
        const double slide = std::fabs(cx * dx + cy * dy - at);
        if (slide < bestSlide) {
          bestSlide = slide;
          best = QPoint(cx, cy);
        }
      }
    return best;
  };
  SnapLine best{};
  QPoint place(x, y);
  bool found = false;
  // A stored centre stays on the line that gives it, as plans were drawn before or as
  // a drop now places it, even where another line passes closer.
  auto onLine = [&](bool now) {
    for (const Line& raw : lines_) {
      SnapLine l;
      if (!Shortened(raw.ax, raw.ay, raw.bx, raw.by, along, &l)) continue;
      double fx, fy;
      footOn(l, &fx, &fy);
      const QPoint c = now ? centre(raw, l, fx, fy) : storedCentre(raw, l, fx, fy);
      if (std::abs(c.x() - x) <= kOnLine && std::abs(c.y() - y) <= kOnLine) {
        best = l;
        return true;
      }
    }
    return false;
  };
  if (!hanging) found = onLine(false) || onLine(true);
  if (!found) {
    double bestDistance = kNoWall;
    for (const Line& raw : lines_) {
      SnapLine l;
      if (!Shortened(raw.ax, raw.ay, raw.bx, raw.by, along, &l)) continue;
      double fx, fy;
      const double distance = footOn(l, &fx, &fy);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = l;
        place = hanging ? centre(raw, l, fx, fy) : storedCentre(raw, l, fx, fy);
        found = true;
      }
    }
  }
  if (!found) return out;
  // Turned by t quarter turns less one from the wall's direction, exactly.
  double ax = best.dx, ay = best.dy;
  for (int k = 1; k < t; ++k) {
    const double turned = -ay;
    ay = ax;
    ax = turned;
  }
  const double axisX[2] = {ax, ay}, axisY[2] = {-ay, ax};
  FillCorners(&out, place.x(), place.y(), axisX, axisY, halfWidth, halfHeight);
  out.wall = QPointF(best.dx, best.dy);
  return out;
}

ProductOutline WallLines::Stand(int mount, int angle, int halfWidth, int halfHeight,
                                QPoint centre) const {
  const ProductOutline placed = Place(mount, angle, halfWidth, halfHeight, centre);
  return placed.valid ? placed : Place(kMountFreeStanding, 0, halfWidth, halfHeight, centre);
}

}  // namespace tessel
