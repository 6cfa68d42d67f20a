#include "check/quantities.h"

#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <numbers>

#include "catalogue/product_list_csv.h"
#include "language/language.h"
#include "platform/profile.h"

namespace tessel {

namespace {

enum QuantityText {
  kTextFloor = 7620,
  kTextPerimeter = 7621,
  kTextSkirting = 7622,
  kTextWall = 7623,
  kTextFloorTiles = 7624,
  kTextWallTiles = 7625,
  kTextItem = 7626,
  kTextQuantity = 7627,
  kTextUnit = 7628,
  kTextSquareMetres = 7629,
  kTextMetres = 7630,
  kTextPieces = 7631,
};

constexpr double kCm2PerM2 = 10000;
constexpr double kCmPerM = 100;
constexpr double kMmPerCm = 10;
constexpr double kPercent = 100;
// Heights and sizes beyond these are typing errors, not rooms.
constexpr int kMaxHeightCm = 1000;
constexpr double kMaxTileCm = 300;
constexpr double kMaxJointMm = 30;
constexpr double kMaxWastePercent = 100;
// An installation wall's side is probed every quarter pixel, a pixel and a half
// outside it: there no pixel's centre lies within the wall, whatever its angle.
constexpr double kSideStep = 0.25;
constexpr double kSideProbe = 1.5;

void ReadInt(const QHash<QString, QString>& project, const char* key, int* value) {
  bool ok = false;
  const int v = project.value(QString(key).toLower()).trimmed().toInt(&ok);
  if (ok && v >= 0 && v <= kMaxHeightCm) *value = v;
}

void ReadNumber(const QHash<QString, QString>& project, const char* key, double limit,
                double* value) {
  bool ok = false;
  const double v = project.value(QString(key).toLower()).trimmed().replace(',', '.').toDouble(&ok);
  if (ok && v >= 0 && v <= limit) *value = v;
}

void ReadTile(const QHash<QString, QString>& project, const char* key, double* w, double* h) {
  static const QRegularExpression size(R"(^\s*(\d+(?:[.,]\d+)?)\s*[xX×*]\s*(\d+(?:[.,]\d+)?)\s*$)");
  const QRegularExpressionMatch m = size.match(project.value(QString(key).toLower()));
  if (!m.hasMatch()) return;
  const double a = m.captured(1).replace(',', '.').toDouble();
  const double b = m.captured(2).replace(',', '.').toDouble();
  if (a > 0 && b > 0 && a <= kMaxTileCm && b <= kMaxTileCm) {
    *w = a;
    *h = b;
  }
}

// Tiles for an area: each tile covers its size and one joint; the waste comes on top,
// and a piece begun is a piece bought.
long Tiles(double areaCm2, double w, double h, const QuantityInputs& in) {
  const double joint = in.jointMm / kMmPerCm;
  const double each = (w + joint) * (h + joint);
  if (!(each > 0) || !(areaCm2 > 0)) return 0;
  // A hair below a whole number is that number: areas come as sums of half-pixels.
  return static_cast<long>(std::ceil(areaCm2 / each * (1 + in.wastePercent / kPercent) - 1e-9));
}

// The length of the installation walls' sides that face free floor, in centimetres:
// each side of the wall as typed (2L by 2T pixels round its centre, turned by its
// angle) is probed just outside it at short steps, beyond any pixel it stands on.
double ExposedInstallationCm(const QList<PlanRecord>& layout, const FloorMap& floor) {
  double exposed = 0;
  for (const PlanRecord& r : layout) {
    if (r.kind != "INSTWALL" || r.p0 <= 0 || r.p1 <= 0) continue;
    const double a = r.p2 * std::numbers::pi / 180;
    const QPointF u(std::cos(a), std::sin(a)), n(-u.y(), u.x()), c(r.x, r.y);
    const double l = r.p0, t = r.p1;
    const QPointF corners[4] = {c - u * l + n * t, c + u * l + n * t, c + u * l - n * t,
                                c - u * l - n * t};
    for (int k = 0; k < 4; ++k) {
      const QPointF from = corners[k], to = corners[(k + 1) % 4];
      const double length = k % 2 ? 2 * t : 2 * l;
      const QPointF along = (to - from) / length;
      const QPointF out = (from + to) / 2 - c;
      const QPointF outward = out / std::hypot(out.x(), out.y());
      const int steps = static_cast<int>(std::ceil(length / kSideStep));
      int open = 0;
      for (int i = 0; i < steps; ++i)
        open += floor.Open(from + along * ((i + 0.5) * length / steps) + outward * kSideProbe);
      exposed += length * open / steps;
    }
  }
  return exposed / kPixelsPerCm;
}

QString Decimal(double v, int places) {
  return QString::number(v, 'f', places);
}

}  // namespace

QuantityInputs QuantityInputsOf(const QHash<QString, QString>& project) {
  QuantityInputs in;
  ReadInt(project, "RoomHeight", &in.roomHeight);
  ReadInt(project, "TilingHeight", &in.tilingHeight);
  ReadInt(project, "DoorHeight", &in.doorHeight);
  ReadInt(project, "WindowSill", &in.windowSill);
  ReadInt(project, "WindowHeight", &in.windowHeight);
  ReadTile(project, "FloorTile", &in.floorTileWidth, &in.floorTileHeight);
  ReadTile(project, "WallTile", &in.wallTileWidth, &in.wallTileHeight);
  ReadNumber(project, "Joint", kMaxJointMm, &in.jointMm);
  ReadNumber(project, "Waste", kMaxWastePercent, &in.wastePercent);
  return in;
}

Quantities ComputeQuantities(const PlanText& plan, const QuantityInputs& in) {
  const FloorMap floor(plan.layout);
  Quantities q;
  if (!floor.HasRoom()) return q;
  const double floorCm2 = floor.AreaCm2();
  const double perimeterCm = floor.PerimeterCm();
  // Tiles reach the tiling height, but no higher than the room.
  const double tiled = std::min(in.tilingHeight, in.roomHeight);
  double doorsCm = 0, openingsCm2 = 0;
  for (const PlanRecord& r : plan.layout) {
    if (r.kind == "DOOR") {
      doorsCm += r.p0;
      openingsCm2 += r.p0 * std::min<double>(in.doorHeight, tiled);
    } else if (r.kind == "WINDOW") {
      // Only the part of the window below the tiling height takes wall area away.
      const double low = std::min<double>(in.windowSill, tiled);
      const double high = std::min<double>(in.windowSill + in.windowHeight, tiled);
      openingsCm2 += r.p0 * std::max(high - low, 0.0);
    }
  }
  // Installation walls are tiled where they face the floor (the front and the free
  // ends, all round for one standing free), and the room's wall behind one is hidden.
  // Neither the plan nor the project keeps an installation wall's height, so its faces
  // count up to the tiling height, as a wall reaching it would. The skirting runs
  // along the same faces where they meet the floor.
  const double facesCm =
      perimeterCm - floor.CoveredOutlineCm() + ExposedInstallationCm(plan.layout, floor);
  const double wallCm2 = std::max(facesCm * tiled - openingsCm2, 0.0);
  q.floorM2 = floorCm2 / kCm2PerM2;
  q.perimeterM = perimeterCm / kCmPerM;
  q.skirtingM = std::max(facesCm - doorsCm, 0.0) / kCmPerM;
  q.wallM2 = wallCm2 / kCm2PerM2;
  q.floorTiles = Tiles(floorCm2, in.floorTileWidth, in.floorTileHeight, in);
  q.wallTiles = Tiles(wallCm2, in.wallTileWidth, in.wallTileHeight, in);
  return q;
}

QList<QuantityRow> QuantityRows(const Quantities& q, const QuantityInputs& in) {
  const QString m2 = CaptionOr(kTextSquareMetres, "m²"), m = CaptionOr(kTextMetres, "m"),
                pieces = CaptionOr(kTextPieces, "pieces");
  return {
      {CaptionOr(kTextFloor, "Floor area"), Decimal(q.floorM2, 2), m2},
      {CaptionOr(kTextPerimeter, "Perimeter"), Decimal(q.perimeterM, 2), m},
      {CaptionOr(kTextSkirting, "Skirting (doors deducted)"), Decimal(q.skirtingM, 2), m},
      {CaptionOr(kTextWall, "Wall area up to %1 cm (doors and windows deducted)")
           .arg(std::min(in.tilingHeight, in.roomHeight)),
       Decimal(q.wallM2, 2), m2},
      {CaptionOr(kTextFloorTiles, "Floor tiles %1 × %2 cm, %3 mm joint, %4 % waste")
           .arg(in.floorTileWidth)
           .arg(in.floorTileHeight)
           .arg(in.jointMm)
           .arg(in.wastePercent),
       QString::number(q.floorTiles), pieces},
      {CaptionOr(kTextWallTiles, "Wall tiles %1 × %2 cm, %3 mm joint, %4 % waste")
           .arg(in.wallTileWidth)
           .arg(in.wallTileHeight)
           .arg(in.jointMm)
           .arg(in.wastePercent),
       QString::number(q.wallTiles), pieces},
  };
}

QByteArray QuantitiesCsv(const QList<QuantityRow>& rows) {
  QString csv = CsvField(CaptionOr(kTextItem, "Item")) + "," +
                CsvField(CaptionOr(kTextQuantity, "Quantity")) + "," +
                CsvField(CaptionOr(kTextUnit, "Unit")) + "\r\n";
  for (const QuantityRow& r : rows)
    csv += CsvField(r.name) + "," + CsvField(r.value) + "," + CsvField(r.unit) + "\r\n";
  return csv.toUtf8();
}

bool WriteQuantities(const QByteArray& csv, const QString& path, QString* why) {
  errno = 0;
  if (plat::ReplaceFile(QFile::encodeName(path).constData(), csv.toStdString())) return true;
  if (why) *why = path + ": " + QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
  return false;
}

}  // namespace tessel
