#include "check/plan_model.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessel {

namespace {

// Plan files keep positions less this offset, as the engine writes them.
constexpr int kPositionOffset = 120;
// The lists hold at most this many records each.
constexpr int kMaxListEntries = 511;
// The engine's door opening angle limit.
constexpr int kMaxDoorAngle = 180;
// Door flag bits: opens into the room; hinge at the opening's end in ring direction.
constexpr int kDoorInwards = 1;
constexpr int kDoorHingeAtEnd = 2;
// How far across a wall line the floor is probed to find its room side.
constexpr int kSideProbe = 3;

QList<PlanRecord> Section(const QHash<QString, QHash<QString, QString>>& sections,
                          const QString& name, bool* ok) {
  QList<PlanRecord> records;
  const auto found = sections.constFind(name.toLower());
  *ok = false;
  if (found == sections.constEnd()) return records;
  bool counted = false;
  const int count = found->value("count").trimmed().toInt(&counted);
  if (!counted || count < 0 || count > kMaxListEntries) return records;
  *ok = true;
  for (int i = 0; i < count; ++i) {
    const QString key = QString("%1").arg(i, 2, 10, QChar('0'));
    // Runs of commas count as one and empty fields vanish, as the engine reads them.
    const QStringList fields = found->value(key).split(',', Qt::SkipEmptyParts);
    PlanRecord r;
    r.kind = fields.value(0).trimmed();
    auto number = [&](int at) { return static_cast<std::int32_t>(fields.value(at).toLong()); };
    r.x = number(1) + kPositionOffset;
    r.y = number(2) + kPositionOffset;
    r.p0 = number(3);
    r.p1 = number(4);
    r.p2 = number(5);
    if (r.kind == "PRODUCT") {
      r.name = fields.value(6);
    } else {
      r.l0 = number(6);
    }
    r.l1 = number(7);
    records << r;
  }
  return records;
}

double QuarterEllipse(double a, double b) {
  // Ramanujan's approximation of an ellipse's circumference, a quarter of it.
  const double h = (a - b) * (a - b) / ((a + b) * (a + b));
  return std::numbers::pi * (a + b) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h))) / 4;
}

}  // namespace

bool ParsePlanText(const QByteArray& text, PlanText* out) {
  QHash<QString, QHash<QString, QString>> sections;
  QString current;
  for (const QByteArray& raw : text.split('\n')) {
    const QString line = QString::fromLocal8Bit(raw).trimmed();
    if (line.isEmpty() || line.startsWith(';')) continue;
    if (line.startsWith('[') && line.endsWith(']')) {
      current = line.mid(1, line.size() - 2).trimmed().toLower();
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0 || current.isEmpty()) continue;
    sections[current].insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
  }
  bool ok = false;
  out->layout = Section(sections, "Layout", &ok);
  if (!ok) return false;
  bool design = false;
  out->design = Section(sections, "Design", &design);
  out->project.clear();
  const auto project = sections.constFind("project");
  if (project != sections.constEnd()) out->project = *project;
  return true;
}

bool ReadPlanFile(const QString& path, PlanText* out, QString* why) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (why) *why = "cannot read the plan " + path;
    return false;
  }
  if (!ParsePlanText(file.readAll(), out)) {
    if (why) *why = path + " is not a plan file";
    return false;
  }
  return true;
}

FloorMap::FloorMap(const QList<PlanRecord>& layout)
    : cells_(static_cast<std::size_t>(kWidth) * kHeight, 0) {
  for (const PlanRecord& r : layout) {
    if (r.kind == "WALLRECT") {
      const int left = r.x - r.p0, top = r.y - r.p1, right = r.x + r.p0, bottom = r.y + r.p1;
      if (!room_) {
        FillRect(left, top, right, bottom, 1);
        room_ = true;
      } else {
        // The engine reroutes the wall round the rectangle: a niche when its centre lies
        // outside the room, a projection into the room otherwise.
        FillRect(left, top, right, bottom, Floor(r.x, r.y) ? 0 : 1);
      }
    } else if (r.kind == "DIAGCRNR" || r.kind == "RNDCRNR") {
      CutCorner(r, r.kind == "RNDCRNR");
    }
  }
  for (const PlanRecord& r : layout) {
    if (r.kind != "INSTWALL") continue;
    const double a = r.p2 * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    const double reach = std::hypot(r.p0, r.p1) + 1;
    for (int y = int(r.y - reach); y <= int(r.y + reach); ++y)
      for (int x = int(r.x - reach); x <= int(r.x + reach); ++x) {
        const double dx = x + 0.5 - r.x, dy = y + 0.5 - r.y;
        if (std::fabs(dx * c + dy * s) <= r.p0 && std::fabs(-dx * s + dy * c) <= r.p1 && x >= 0 &&
            y >= 0 && x < kWidth && y < kHeight && cells_[Index(x, y)])
          cells_[Index(x, y)] = 2;
      }
  }
}

bool FloorMap::Floor(QPointF p) const {
  return Floor(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

void FloorMap::FillRect(int left, int top, int right, int bottom, std::uint8_t value) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, kWidth);
  bottom = std::min(bottom, kHeight);
  if (value != kOutside && right > left && bottom > top)
    extent_ |= QRect(left, top, right - left, bottom - top);
  for (int y = top; y < bottom; ++y)
    std::fill(cells_.begin() + static_cast<std::ptrdiff_t>(Index(left, y)),
              cells_.begin() + static_cast<std::ptrdiff_t>(Index(std::max(left, right), y)), value);
}

void FloorMap::CutCorner(const PlanRecord& r, bool round) {
  const int lh = r.p0, lv = r.p1;
  // The cut's centre lies half a leg from the corner along each wall; the corner is the
  // one of the four candidates with floor only on its inner side.
  for (int sx : {-1, 1})
    for (int sy : {-1, 1}) {
      const int cx = r.x + sx * lh, cy = r.y + sy * lv;
      if (!Floor(sx < 0 ? cx : cx - 1, sy < 0 ? cy : cy - 1)) continue;
      if (Floor(sx < 0 ? cx - 1 : cx, sy < 0 ? cy : cy - 1) ||
          Floor(sx < 0 ? cx : cx - 1, sy < 0 ? cy - 1 : cy))
        continue;
      const double a = 2.0 * lh, b = 2.0 * lv;
      // The corner box spans from the corner 2lh and 2lv into the room.
      const int x0 = sx < 0 ? cx : cx - int(a), y0 = sy < 0 ? cy : cy - int(b);
      for (int y = y0; y < y0 + int(b); ++y)
        for (int x = x0; x < x0 + int(a); ++x) {
          // Distances from the corner, along each wall, of the pixel's centre.
          const double u = std::fabs(x + 0.5 - cx) / a, v = std::fabs(y + 0.5 - cy) / b;
          const bool cut = round ? (1 - u) * (1 - u) + (1 - v) * (1 - v) > 1 : u + v < 1;
          if (cut && x >= 0 && y >= 0 && x < kWidth && y < kHeight) cells_[Index(x, y)] = 0;
        }
      CornerCut cut;
      cut.left = x0;
      cut.top = y0;
      cut.width = int(a);
      cut.height = int(b);
      cut.ends[0] = QPoint(cx - sx * int(a), cy);
      cut.ends[1] = QPoint(cx, cy - sy * int(b));
      cut.inward = QPoint(-sx, -sy);
      cut.round = round;
      cuts_.push_back(cut);
      const double staircase = a + b;
      perimeterCorrection_ += (round ? QuarterEllipse(a, b) : std::hypot(a, b)) - staircase;
      return;
    }
}

bool FloorMap::Open(QPointF p) const {
  const int x = static_cast<int>(std::floor(p.x())), y = static_cast<int>(std::floor(p.y()));
  return Floor(x, y) && cells_[Index(x, y)] == kOpenFloor;
}

double FloorMap::CoveredOutlineCm() const {
  long edges = 0;
  auto covered = [](std::uint8_t a, std::uint8_t b) {
    return (a == kUnderInstallation && b == kOutside) || (a == kOutside && b == kUnderInstallation);
  };
  for (int y = 0; y + 1 < kHeight; ++y)
    for (int x = 0; x + 1 < kWidth; ++x) {
      const std::uint8_t here = cells_[Index(x, y)];
      edges += covered(here, cells_[Index(x + 1, y)]) + covered(here, cells_[Index(x, y + 1)]);
    }
  return static_cast<double>(edges) / kPixelsPerCm;
}

QPointF FloorMap::Origin() const {
  int left = kWidth, top = kHeight;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < left; ++x)
      if (cells_[Index(x, y)]) {
        left = std::min(left, x);
        top = std::min(top, y);
        break;
      }
  return left < kWidth ? QPointF(left, top) : QPointF();
}

double FloorMap::AreaCm2() const {
  const auto n = std::count_if(cells_.begin(), cells_.end(), [](std::uint8_t c) { return c == 1; });
  return static_cast<double>(n) / (kPixelsPerCm * kPixelsPerCm);
}

double FloorMap::PerimeterCm() const {
  long edges = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool here = cells_[Index(x, y)] != 0;
      const bool right = x + 1 < kWidth && cells_[Index(x + 1, y)] != 0;
      const bool below = y + 1 < kHeight && cells_[Index(x, y + 1)] != 0;
      edges += (here != right) + (here != below);
      if (x == 0) edges += here;
      if (y == 0) edges += here;
    }
  return (static_cast<double>(edges) + perimeterCorrection_) / kPixelsPerCm;
}

bool PlanDoor::Sweeps(QPointF p) const {
  const QPointF v = p - hinge;
  const double along = v.x() * closed.x() + v.y() * closed.y();
  const double across = v.x() * swing.x() + v.y() * swing.y();
  if (std::hypot(along, across) > radius || across < 0) return false;
  const double turned = std::atan2(across, along) * 180 / std::numbers::pi;
  return turned >= 0 && turned <= angle;
}

QList<PlanDoor> DoorsOf(const QList<PlanRecord>& layout, const FloorMap& floor) {
  QList<PlanDoor> doors;
  int number = 0;
  for (const PlanRecord& r : layout) {
    if (r.kind != "DOOR") continue;
    ++number;
    const int angle = std::clamp(static_cast<int>(r.p1), 0, kMaxDoorAngle);
    // The room side of the wall the door sits in: floor on one side of its line only.
    QPointF inside;
    if (floor.Floor(r.x, r.y + kSideProbe) != floor.Floor(r.x, r.y - kSideProbe))
      inside = QPointF(0, floor.Floor(r.x, r.y + kSideProbe) ? 1 : -1);
    else if (floor.Floor(r.x + kSideProbe, r.y) != floor.Floor(r.x - kSideProbe, r.y))
      inside = QPointF(floor.Floor(r.x + kSideProbe, r.y) ? 1 : -1, 0);
    else
      continue;
    if (angle == 0) continue;
    // The ring runs with the room on its right-hand side.
    const QPointF ring(inside.y(), -inside.x());
    const bool atEnd = (r.l0 & kDoorHingeAtEnd) != 0;
    PlanDoor d;
    d.number = number;
    d.radius = 2.0 * r.p0;
    d.hinge = QPointF(r.x, r.y) + ring * (atEnd ? r.p0 : -r.p0);
    d.closed = atEnd ? -ring : ring;
    d.swing = (r.l0 & kDoorInwards) ? inside : -inside;
    d.angle = angle;
    doors << d;
  }
  return doors;
}

}  // namespace tessel
