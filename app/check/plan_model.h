// A plan as the fitter's checks see it, read from the plan file's text without the
// engine: the records of both sections, the floor of the room as a map of worksheet
// pixels (two per centimetre) and the doors with their swing. Plain code without
// widgets, shared by the plan check, the live distances and the quantities; where the
// products stand and face is the check's (`ProductsOf`) over `wall_lines`.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

namespace tessel {

// Worksheet pixels per centimetre, as the engine draws the plan.
constexpr int kPixelsPerCm = 2;

struct PlanRecord {
  QString kind;
  int x = 0, y = 0;  // worksheet pixels (the file keeps them less its offset)
  std::int32_t p0 = 0, p1 = 0, p2 = 0, l0 = 0, l1 = 0;
  QString name;  // a product's bitmap file
};

// An object's tag is its list position; the design list's tags follow the layout
// list's 511 places.
inline constexpr int kDesignTagBase = 511;

struct PlanText {
  QList<PlanRecord> layout, design;
  // The [Project] section's keys as they stand (key=value strings).
  QHash<QString, QString> project;
};

// False when the text holds no readable "Layout" section (no count), as the engine
// refuses such a file.
bool ParsePlanText(const QByteArray& text, PlanText* out);
// False with a reason when the file cannot be read or is no plan.
bool ReadPlanFile(const QString& path, PlanText* out, QString* why);

// The room's floor, replayed from the layout records: the first wall rectangle is the
// room, each further one adds a niche (its centre outside the floor) or takes a
// projection away (inside); diagonal and round corners cut the floor; installation
// walls stand on it.
class FloorMap {
 public:
  static constexpr int kWidth = 1520, kHeight = 1120;
  explicit FloorMap(const QList<PlanRecord>& layout);

  bool Floor(int x, int y) const {
    return x >= 0 && y >= 0 && x < kWidth && y < kHeight && cells_[Index(x, y)] != 0;
  }
  bool Floor(QPointF p) const;
  bool HasRoom() const { return room_; }
  // A box on the sheet that holds every floor pixel: the rectangles the floor was laid
  // from, so that a walk over the floor need not cover the whole sheet.
  QRect Extent() const { return extent_; }
  // The top left corner of the room's walls, where the engine's cursor counts from.
  QPointF Origin() const;
  // Floor area in square centimetres: the floor to be covered, so without what
  // installation walls stand on.
  double AreaCm2() const;
  // The room's outline length in centimetres, diagonal and round corners as cut.
  double PerimeterCm() const;
  // Free floor: not under an installation wall.
  bool Open(QPointF p) const;
  // The length in centimetres of the room's outline that installation walls stand
  // against, so that it shows nowhere.
  double CoveredOutlineCm() const;
  // Whether an installation wall stands on the floor pixel.
  bool InstallationWall(int x, int y) const {
    return x >= 0 && y >= 0 && x < kWidth && y < kHeight &&
           cells_[Index(x, y)] == kUnderInstallation;
  }

  // A corner cut into the floor: the box it was cut from (the corner's quarter of
  // floor, two legs long each way) and the ends of the cut on the two walls.
  struct CornerCut {
    int left = 0, top = 0, width = 0, height = 0;
    QPoint ends[2];
    QPoint inward;  // signs of the step from the corner into the room
    bool round = false;
    bool Holds(int x, int y) const {
      return x >= left && y >= top && x < left + width && y < top + height;
    }
  };
  const std::vector<CornerCut>& Cuts() const { return cuts_; }

 private:
  static std::size_t Index(int x, int y) { return static_cast<std::size_t>(y) * kWidth + x; }
  void FillRect(int left, int top, int right, int bottom, std::uint8_t value);
  void CutCorner(const PlanRecord& r, bool round);

  // What a pixel of the map is.
  enum Cell : std::uint8_t { kOutside = 0, kOpenFloor = 1, kUnderInstallation = 2 };
  std::vector<std::uint8_t> cells_;  // 0 outside, 1 floor, 2 floor under an installation wall
  bool room_ = false;
  QRect extent_;
  double perimeterCorrection_ = 0;  // in pixels: true cut lengths less their staircase
  std::vector<CornerCut> cuts_;
};

// A door as the check sees it: its opening on the wall and the area its leaf sweeps.
struct PlanDoor {
  int number = 0;  // position among the doors, from 1
  QPointF hinge;
  QPointF closed;  // unit vector from the hinge along the closed leaf
  QPointF swing;   // unit vector across the wall towards the side the leaf opens to
  double radius = 0;
  int angle = 0;  // degrees the leaf opens
  bool Sweeps(QPointF p) const;
};
QList<PlanDoor> DoorsOf(const QList<PlanRecord>& layout, const FloorMap& floor);

}  // namespace tessel
