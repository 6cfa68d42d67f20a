#include "check/plan_check.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QMutex>
#include <algorithm>
#include <cmath>
#include <optional>

#include "catalogue/catalogue.h"
#include "catalogue/plan_pictures.h"
#include "language/language.h"
#include "vrx232.h"

namespace tessel {

namespace {

// The texts of the findings (text table captions).
enum CheckText {
  kTextFreeArea = 7600,
  kTextSide = 7601,
  kTextFacing = 7602,
  kTextDoorSwing = 7603,
  kTextOverWall = 7604,
  kTextOverProduct = 7605,
  kTextOutside = 7606,
  kTextWallBlocking = 7607,
  kTextDoorBlocking = 7608,
  kTextProduct = 7609,
  kTextWallBeside = 7611,
  kTextFreeAreaSide = 7618,
};

// The plan file's name of a product record.
const char kProductKind[] = "PRODUCT";
// Free areas and distances are measured in steps of this many pixels (1 cm).
constexpr double kStep = kPixelsPerCm;
// Outline samples keep this far inside the outline, so that touching is no overlap.
constexpr double kInset = 2;
// The palette entry the engine leaves out when it draws a picture: white.
constexpr uchar kLeftOut = 255;
// Fronts at least this opposed face each other.
constexpr double kFacingCosine = -0.9;
// Where along a side its distance is probed, as fractions of the depth.
constexpr double kSideProbes[] = {0.25, 0.5, 0.75};

QString Label(const CheckProduct& p) {
  return CaptionOr(kTextProduct, "No. %1 (%2 %3)").arg(p.position).arg(p.model, p.name);
}

bool BandsApart(std::uint32_t a, std::uint32_t b) {
  if (a == 0 || b == 0) return false;
  return TesselBandTop(a) <= TesselBandBottom(b) || TesselBandTop(b) <= TesselBandBottom(a);
}

template <typename F>
void ForEachSample(const CheckProduct& p, double inset, F f) {
  const double ha = std::max(p.halfAcross - inset, 0.0), hd = std::max(p.halfDeep - inset, 0.0);
  const int na = static_cast<int>(2 * ha / kStep) + 1, nd = static_cast<int>(2 * hd / kStep) + 1;
  for (int i = 0; i <= na; ++i)
    for (int j = 0; j <= nd; ++j) {
      const double a = -ha + 2 * ha * i / na, d = -hd + 2 * hd * j / nd;
      if (f(p.centre + p.across * a + p.deep * d)) return;
    }
}

bool Overlap(const CheckProduct& a, const CheckProduct& b) {
  if (!a.Box().intersects(b.Box())) return false;
  bool found = false;
  ForEachSample(a, kInset, [&](QPointF q) { return found = b.Covers(q, kInset) && a.Drawn(q); });
  if (!found)
    ForEachSample(b, kInset, [&](QPointF q) { return found = a.Covers(q, kInset) && b.Drawn(q); });
  return found;
}

// The deepest reach of anything into a free area from one of its edges, in cm, and
// what reaches that far.
struct Intrusion {
  int cm = 0;
  int what = -1;
  bool door = false;
  // Keeps the deeper reach; the first found of equal reach names it.
  void Take(int reach, int by, bool byDoor) {
    if (reach <= cm) return;
    cm = reach;
    what = by;
    door = byDoor;
  }
};

double Dot(QPointF a, QPointF b) {
  return a.x() * b.x() + a.y() * b.y();
}

}  // namespace

QPointF CheckProduct::Corner(int i) const {
  const double sa = (i == 1 || i == 2) ? 1 : -1, sd = i >= 2 ? 1 : -1;
  return centre + across * (sa * halfAcross) + deep * (sd * halfDeep);
}

bool CheckProduct::PictureDrawn(QPointF p) const {
  const double dx = p.x() - centre.x(), dy = p.y() - centre.y();
  const double u = dx * outline.axisX.x() + dy * outline.axisX.y() + picture->Width() / 2;
  const double v = dx * outline.axisY.x() + dy * outline.axisY.y() + picture->Height() / 2;
  // On the box's edge the point belongs to the pixel just inside.
  return picture->Drawn(std::clamp(static_cast<int>(std::floor(u)), 0, picture->Width() - 1),
                        std::clamp(static_cast<int>(std::floor(v)), 0, picture->Height() - 1));
}

QRectF CheckProduct::Box() const {
  double left = centre.x(), top = centre.y(), right = left, bottom = top;
  for (int i = 0; i < 4; ++i) {
    const QPointF c = Corner(i);
    left = std::min(left, c.x());
    top = std::min(top, c.y());
    right = std::max(right, c.x());
    bottom = std::max(bottom, c.y());
  }
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

CheckCatalogue CheckCatalogueOf(Catalogue& catalogue) {
  CheckCatalogue c;
  c.product = [&catalogue](int id, int* group, QString* model, QString* name, double* width,
                           double* depth) {
    RecordSet& all = catalogue.AllProducts();
    if (all.RecordCount() == 0 || !all.FindFirst("KatalogID = " + QString::number(id)))
      return false;
    *group = catalogue.ProductGroup(id);
    *model = all.Field("ModellNr").toString();
    *name = all.Field("BezeichnungL").toString();
    bool okWidth = false, okDepth = false;
    *width = all.Field("Breite").toDouble(&okWidth);
    *depth = all.Field("Tiefe").toDouble(&okDepth);
    return okWidth && okDepth;
  };
  c.rule = [&catalogue](int group, FreeAreaSetting setting) {
    FreeAreaRule r;
    RecordSet& areas = catalogue.FreeAreas();
    if (areas.RecordCount() == 0 || !areas.FindFirst("Produktgruppe = " + QString::number(group)))
      return r;
    const char* suffix = setting == FreeAreaSetting::kBarrierFree  ? "BF"
                         : setting == FreeAreaSetting::kWheelchair ? "R"
                                                                   : "";
    r.width = areas.Field(QString("Breite") + suffix).toInt();
    r.depth = areas.Field(QString("Tiefe") + suffix).toInt();
    r.side = areas.Field("Seitenabstand").toInt();
    r.facing = areas.Field("Gegenueber").toInt();
    return r;
  };
  return c;
}

QList<int> ProductTags(const PlanText& plan) {
  QList<int> tags;
  for (qsizetype i = 0; i < plan.layout.size(); ++i)
    if (plan.layout[i].kind == kProductKind) tags << static_cast<int>(i);
  for (qsizetype i = 0; i < plan.design.size(); ++i)
    if (plan.design[i].kind == kProductKind) tags << kDesignTagBase + static_cast<int>(i);
  return tags;
}

namespace {

// A product the catalogue does not know keeps the size of its picture, whose name the
// record keeps less the variant digit five places from its end.
// The picture the engine draws a product record with: its name with the variant digit
// of its mounting, read where the engine would read it, or, for a name relative to the
// program's folder, from there.
QString PictureFileOf(const PlanRecord& r) {
  QString file = PictureVariant(r.name, static_cast<unsigned>(r.p1));
  if (QCoreApplication::instance() && QFileInfo(file).isRelative() && !QFileInfo::exists(file))
    file = QDir(QCoreApplication::applicationDirPath()).filePath(file);
  return file;
}

// A product the catalogue does not know keeps the size of its picture.
bool PictureHalfSize(const PlanRecord& r, int* halfWidth, int* halfHeight) {
  const QSize size = QImageReader(PictureFileOf(r)).size();
  if (!size.isValid()) return false;
  *halfWidth = size.width() / 2;
  *halfHeight = size.height() / 2;
  return true;
}

template <typename Lines>
QList<CheckProduct> ProductsOn(const PlanText& plan, Lines&& lines, const CheckCatalogue& catalogue,
                               FreeAreaSetting setting) {
  QList<CheckProduct> out;
  int position = 0;
  // A free-standing product needs no wall lines: most plans' check lays none out.
  const WallLines none;
  // As the engine draws and lists them: the room's list first, then the furnishing.
  for (const QList<PlanRecord>* list : {&plan.layout, &plan.design})
    for (const PlanRecord& r : *list) {
      if (r.kind != kProductKind) continue;
      ++position;
      CheckProduct p;
      p.position = position;
      p.id = r.p0;
      p.band = TesselIsHeightBand(r.l1) ? static_cast<std::uint32_t>(r.l1) : 0;
      int group = 0, hw = 0, hh = 0;
      double width = 0, depth = 0;
      if (catalogue.product && catalogue.product(r.p0, &group, &p.model, &p.name, &width, &depth)) {
        hw = HalfPixels(width);
        hh = HalfPixels(depth);
      } else if (PictureHalfSize(r, &hw, &hh)) {
        p.model = QString::number(r.p0);
      } else {
        continue;
      }
      if (catalogue.rule) p.rule = catalogue.rule(group, setting);
      const int t = MountingOf(r.p1);
      const QPoint stored(r.x, r.y);
      p.outline = (t == kMountFreeStanding ? none : lines()).Stand(r.p1, r.p2, hw, hh, stored);
      p.centre = p.outline.centre;
      // The picture counts only where it is the box the engine stands: a catalogue size
      // that differs from its picture leaves the box alone.
      p.picture = PictureMask::Of(PictureFileOf(r));
      if (p.picture && (p.picture->Width() / 2 != hw || p.picture->Height() / 2 != hh))
        p.picture.reset();
      const QPointF wall = p.outline.wall;
      if (!wall.isNull()) {
        // The engine turns the picture by t - 1 quarter turns from the wall's
        // direction: its width lies along the wall for odd t, its height for even t.
        // The front is the side away from the wall whichever edge of the picture that is.
        p.deep = QPointF(-wall.y(), wall.x());
        p.across = t % 2 ? p.outline.axisX : p.outline.axisY;
        p.halfDeep = t % 2 ? hh : hw;
        p.halfAcross = t % 2 ? hw : hh;
      } else {
        // Free-standing: the front is the picture's lower edge, turned by its angle.
        p.across = p.outline.axisX;
        p.deep = p.outline.axisY;
        p.halfAcross = hw;
        p.halfDeep = hh;
      }
      out << p;
    }
  return out;
}

}  // namespace

std::shared_ptr<const PictureMask> PictureMask::Of(const QString& file) {
  // Pictures are read once while their files stay as they are: a plan is checked at
  // every change, and its products share a few dozen pictures. The system's own look
  // at the file is the quick one; Qt's times go through the time zone.
  struct Kept {
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::shared_ptr<const PictureMask> mask;
  };
  static QMutex guard;
  static QHash<QString, Kept> kept;
  struct stat info {};
  if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &info) != 0 ||
      !S_ISREG(info.st_mode))
    return nullptr;
  constexpr std::int64_t kNsPerSecond = 1000000000;
  const std::int64_t modified =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNsPerSecond + info.st_mtim.tv_nsec;
  const QMutexLocker lock(&guard);
  const auto found = kept.constFind(file);
  if (found != kept.constEnd() && found->modifiedNs == modified && found->size == info.st_size)
    return found->mask;
  std::shared_ptr<const PictureMask> mask;
  const QImage image = EngineDrawsPicture(file) ? QImageReader(file, "bmp").read() : QImage();
  // Only a picture of palette entries says which pixels are the white left out.
  if (image.format() == QImage::Format_Indexed8) {
    auto m = std::make_shared<PictureMask>();
    m->width_ = image.width();
    m->height_ = image.height();
    m->drawn_.resize(static_cast<std::size_t>(m->width_) * static_cast<std::size_t>(m->height_));
    for (int y = 0; y < m->height_; ++y) {
      const uchar* row = image.constScanLine(y);
      for (int x = 0; x < m->width_; ++x)
        m->drawn_[static_cast<std::size_t>(y) * static_cast<std::size_t>(m->width_) +
                  static_cast<std::size_t>(x)] = row[x] != kLeftOut;
    }
    mask = std::move(m);
  }
  kept.insert(file, {modified, static_cast<std::int64_t>(info.st_size), mask});
  return mask;
}

QList<CheckProduct> ProductsOf(const PlanText& plan, const FloorMap& floor,
                               const CheckCatalogue& catalogue, FreeAreaSetting setting) {
  std::optional<WallLines> lines;
  return ProductsOn(
      plan,
      [&]() -> const WallLines& {
        if (!lines) lines.emplace(plan, floor);
        return *lines;
      },
      catalogue, setting);
}

QList<CheckProduct> ProductsOf(const PlanText& plan, const WallLines& lines,
                               const CheckCatalogue& catalogue, FreeAreaSetting setting) {
  return ProductsOn(
      plan, [&]() -> const WallLines& { return lines; }, catalogue, setting);
}

QList<Finding> CheckPlan(const PlanText& plan, const CheckCatalogue& catalogue,
                         FreeAreaSetting setting) {
  const FloorMap floor(plan.layout);
  const QList<PlanDoor> doors = DoorsOf(plan.layout, floor);
  const QList<CheckProduct> products = ProductsOf(plan, floor, catalogue, setting);
  const qsizetype n = products.size();
  // Products standing over one another belong together (a basin on its vanity unit):
  // neither blocks the other's free area or sides.
  std::vector<char> together(static_cast<std::size_t>(n * n), 0);
  for (qsizetype i = 0; i < n; ++i)
    for (qsizetype j = i + 1; j < n; ++j)
      together[i * n + j] = together[j * n + i] = Overlap(products[i], products[j]);

  std::vector<QRectF> boxes;
  for (const CheckProduct& p : products) boxes.push_back(p.Box());
  // The products that may stand in a region of product i's: those whose boxes meet it.
  std::vector<qsizetype> near;
  auto gather = [&](qsizetype i, const QRectF& region) {
    near.clear();
    for (qsizetype j = 0; j < n; ++j)
      if (j != i && !together[i * n + j] && boxes[j].intersects(region)) near.push_back(j);
  };
  QList<Finding> findings;
  auto add = [&](Finding f) { findings << f; };
  // What stands at a point of the region gathered last: -1 nothing, 0 a wall, k > 0
  // product k (position), or a door's number with `door` set.
  auto obstacle = [&](QPointF q, bool withDoors, bool* door) {
    *door = false;
    // Installation walls are walls here: nothing stands in them.
    if (!floor.Open(q)) return 0;
    for (qsizetype j : near)
      if (products[j].Covers(q)) return products[j].position;
    if (withDoors)
      for (const PlanDoor& d : doors)
        if (d.Sweeps(q)) {
          *door = true;
          return d.number;
        }
    return -1;
  };
  auto nameOf = [&](int what, bool door, int wallText, const char* wallEnglish) {
    if (door) return CaptionOr(kTextDoorBlocking, "the swing of door %1").arg(what);
    if (what == 0) return CaptionOr(wallText, wallEnglish);
    for (const CheckProduct& p : products)
      if (p.position == what) return Label(p);
    return QString();
  };

  for (qsizetype i = 0; i < n; ++i) {
    const CheckProduct& p = products[i];
    const QString label = Label(p);
    if (!floor.Floor(p.centre)) {
      add({FindingKind::kOutsideRoom, p.position, 0, false, 0, 0,
           CaptionOr(kTextOutside, "%1: stands outside the room").arg(label)});
    } else {
      bool overWall = false;
      ForEachSample(p, kInset, [&](QPointF q) { return overWall = !floor.Open(q); });
      if (overWall)
        add({FindingKind::kOverWall, p.position, 0, false, 0, 0,
             CaptionOr(kTextOverWall, "%1: overlaps a wall").arg(label)});
    }
    for (qsizetype j = 0; j < i; ++j)
      if (together[i * n + j] && !BandsApart(p.band, products[j].band))
        add({FindingKind::kOverProduct, p.position, products[j].position, false, 0, 0,
             CaptionOr(kTextOverProduct, "%1: overlaps %2 at the same height")
                 .arg(label, Label(products[j]))});
    for (const PlanDoor& d : doors) {
      bool swept = false;
      ForEachSample(p, kInset, [&](QPointF q) { return swept = d.Sweeps(q); });
      if (swept)
        add({FindingKind::kDoorSwing, p.position, d.number, true, 0, 0,
             CaptionOr(kTextDoorSwing, "%1: door %2 swings over it").arg(label).arg(d.number)});
    }
    const FreeAreaRule& rule = p.rule;
    if (rule.width > 0 && rule.depth > 0) {
      // The free area, row by row from the front: the first row with anything in it
      // says how much depth is missing and what takes it.
      const QPointF front = p.FrontMiddle();
      const int half = rule.width * kPixelsPerCm / 2;
      const double reach = rule.depth * kStep;
      gather(i,
             QRectF(front - p.across * half, front + p.across * half + p.deep * reach)
                 .normalized()
                 .united(QRectF(front + p.across * half, front - p.across * half + p.deep * reach)
                             .normalized()));
      // How far whatever stands in it reaches in, from the area's far edge or from
      // either side: the least of the three is what the area is short of, as a fitter
      // would move the obstacle back or aside. A side wall 8 cm into a washbasin's
      // area leaves it 8 cm too narrow, not its whole depth too short.
      // Rows and columns a centimetre apart, probed at their middles, so that what only
      // touches an edge reaches nothing in.
      const int columns = rule.width;
      auto probe = [&](int row, int column, Intrusion* into, int reach) {
        bool door = false;
        const int what = obstacle(front + p.deep * (row * kStep + kStep / 2) +
                                      p.across * (column * kStep + kStep / 2 - half),
                                  true, &door);
        if (what < 0) return false;
        into->Take(reach, what, door);
        return true;
      };
      // The far edge's reach: the first row from the front with anything in it.
      Intrusion far, left, right;
      int firstRow = -1;
      for (int r = 0; r < rule.depth && firstRow < 0; ++r)
        for (int c = 0; c < columns; ++c)
          if (probe(r, c, &far, rule.depth - r)) {
            firstRow = r;
            break;
          }
      // The sides' reaches need only the outermost and innermost columns with anything
      // in them, each found by walking columns from one end; the rows before the first
      // blocked one are free. A column's first blocked row names what is in it.
      auto blockedColumn = [&](int from, int to, int step, Intrusion* into, bool fromLeft) {
        for (int c = from; c != to; c += step)
          for (int r = firstRow; r < rule.depth; ++r)
            if (probe(r, c, into, fromLeft ? c + 1 : columns - c)) return c;
        return -1;
      };
      if (firstRow >= 0) {
        const int middle = columns / 2;
        // The innermost blocked column of each half, looked for from the middle out.
        Intrusion innerLeft, innerRight;
        const int leftHalf = blockedColumn(middle - 1, -1, -1, &innerLeft, true);
        const int rightHalf = blockedColumn(middle, columns, 1, &innerRight, false);
        if (rightHalf < 0) {
          left = innerLeft;  // all in the left half: its innermost column is the reach
        } else if (leftHalf < 0) {
          right = innerRight;
        } else {
          // Both halves taken: each side's reach runs to the far half's outermost column.
          blockedColumn(columns - 1, rightHalf - 1, -1, &left, true);
          blockedColumn(0, leftHalf + 1, 1, &right, false);
        }
      }
      const Intrusion* least = &far;
      for (const Intrusion* side : {&left, &right})
        if (side->cm > 0 && side->cm < least->cm) least = side;
      if (least->cm > 0) {
        const bool fromFar = least == &far;
        add({FindingKind::kFreeAreaBlocked, p.position, least->what, least->door, least->cm,
             fromFar ? rule.depth : rule.width,
             (fromFar
                  ? CaptionOr(kTextFreeArea, "%1: free area %2 × %3 cm blocked by %4, %5 cm short")
                  : CaptionOr(kTextFreeAreaSide,
                              "%1: free area %2 × %3 cm blocked by %4 at its side, %5 cm "
                              "too narrow"))
                 .arg(label)
                 .arg(rule.width)
                 .arg(rule.depth)
                 .arg(nameOf(least->what, least->door, kTextWallBlocking, "a wall"))
                 .arg(least->cm)});
      }
    }
    if (rule.side > 0) {
      int nearest = rule.side, by = -1;
      const double margin = rule.side * kStep;
      gather(i, boxes[i].adjusted(-margin, -margin, margin, margin));
      for (int sign : {-1, 1})
        for (double f : kSideProbes) {
          const QPointF start =
              p.centre + p.across * (sign * p.halfAcross) + p.deep * (p.halfDeep * (2 * f - 1));
          for (int k = 0; k < nearest * kPixelsPerCm; ++k) {
            bool door = false;
            const int what = obstacle(start + p.across * (sign * (k + 0.5)), false, &door);
            if (what < 0) continue;
            nearest = k / kPixelsPerCm;
            by = what;
            break;
          }
        }
      if (by >= 0)
        add({FindingKind::kSideDistance, p.position, by, false, nearest, rule.side,
             CaptionOr(kTextSide, "%1: %2 cm to the side from %3, %4 cm needed")
                 .arg(label)
                 .arg(nearest)
                 .arg(nameOf(by, false, kTextWallBeside, "a wall"))
                 .arg(rule.side)});
    }
    if (rule.facing > 0) {
      for (qsizetype j = 0; j < n; ++j) {
        const CheckProduct& o = products[j];
        if (j == i || o.rule.facing <= 0 || Dot(p.deep, o.deep) > kFacingCosine) continue;
        const QPointF v = o.centre - p.centre;
        const double ahead = Dot(v, p.deep);
        if (ahead <= 0 || std::fabs(Dot(v, p.across)) >= p.halfAcross + o.halfAcross) continue;
        const double gap = (ahead - p.halfDeep - o.halfDeep) / kPixelsPerCm;
        const int needed = std::max(rule.facing, o.rule.facing);
        if (gap >= needed) continue;
        add({FindingKind::kFacing, p.position, o.position, false, int(std::floor(gap)), needed,
             CaptionOr(kTextFacing, "%1: %2 cm from %3 facing it, %4 cm needed")
                 .arg(label)
                 .arg(int(std::floor(gap)))
                 .arg(Label(o))
                 .arg(needed)});
      }
    }
  }
  return findings;
}

}  // namespace tessel
