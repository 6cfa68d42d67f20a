// The quantities a fitter orders by: floor area, perimeter and skirting length (doors
// deducted), wall area up to the tiling height (doors and windows deducted), and the
// floor and wall tiles for it with joint and waste. Heights, tile sizes and waste come
// from the plan's [Project] section (key=value strings) with defaults where a key is
// missing or unreadable. Plain code without widgets.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "check/plan_model.h"

namespace tessel {

// The inputs, in centimetres unless named otherwise.
struct QuantityInputs {
  int roomHeight = 250;
  int tilingHeight = 200;
  int doorHeight = 200;
  int windowSill = 100;
  int windowHeight = 120;
  double floorTileWidth = 30, floorTileHeight = 30;
  double wallTileWidth = 20, wallTileHeight = 25;
  double jointMm = 3;
  double wastePercent = 10;
};
// Reads the keys RoomHeight, TilingHeight, DoorHeight, WindowSill, WindowHeight (cm),
// FloorTile and WallTile ("30x60", cm), Joint (mm) and Waste (percent); a missing or
// unreadable key keeps its default.
QuantityInputs QuantityInputsOf(const QHash<QString, QString>& project);

struct Quantities {
  double floorM2 = 0;
  double perimeterM = 0;
  double skirtingM = 0;
  double wallM2 = 0;
  long floorTiles = 0;
  long wallTiles = 0;
};
Quantities ComputeQuantities(const PlanText& plan, const QuantityInputs& in);

// One row per quantity: its name (with the tile size), the value and its unit, in the
// language of the texts (captions 7620-7639).
struct QuantityRow {
  QString name, value, unit;
};
QList<QuantityRow> QuantityRows(const Quantities& q, const QuantityInputs& in);
// The rows as CSV with a header row: RFC 4180 quoting, CRLF line ends.
QByteArray QuantitiesCsv(const QList<QuantityRow>& rows);
// Writes the CSV by replacing the file only once it is complete; false with a reason.
bool WriteQuantities(const QByteArray& csv, const QString& path, QString* why);

}  // namespace tessel
