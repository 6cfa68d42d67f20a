// The plan check on rooms built by hand: the free areas and findings a fitter would
// name, the barrier-free and wheelchair settings, and the command line's exit status
// and texts in both languages with the shipped catalogue.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "check/live_distances.h"
#include "check/plan_check.h"
#include "check/product_position.h"
#include "file_bytes.h"
#include "vrx232.h"

using namespace tessel;

namespace {

// Room centre in worksheet pixels, and the offset plan files keep positions by.
constexpr int kCentreX = 760, kCentreY = 560, kFileOffset = 120;

// Products of a small catalogue of the test's own: sizes in cm, group numbers as the
// shipped catalogue has them.
enum TestProduct { kBasin = 1, kToilet = 2, kBathtub = 3, kVanity = 4, kWasher = 5 };
struct TestEntry {
  int id, group;
  double width, depth;
  const char* name;
};
constexpr TestEntry kEntries[] = {{kBasin, 1, 60, 48, "Basin"},
                                  {kToilet, 3, 40, 60, "Toilet"},
                                  {kBathtub, 9, 170, 75, "Bathtub"},
                                  {kVanity, 7, 60, 45, "Vanity"},
                                  {kWasher, 14, 60, 60, "Washer"}};

CheckCatalogue TestCatalogue() {
  CheckCatalogue c;
  c.product = [](int id, int* group, QString* model, QString* name, double* w, double* d) {
    for (const TestEntry& e : kEntries)
      if (e.id == id) {
        *group = e.group;
        *model = QString::number(1000 + id);
        *name = e.name;
        *w = e.width;
        *d = e.depth;
        return true;
      }
    return false;
  };
  // The rows the shipped catalogue holds for these groups.
  c.rule = [](int group, FreeAreaSetting setting) {
    FreeAreaRule r;
    const int side = group == 9 ? 0 : 20;
    auto set = [&](int w, int d) { r = {w, d, side, 75}; };
    if (setting == FreeAreaSetting::kBarrierFree && group != 7)
      set(120, 120);
    else if (setting == FreeAreaSetting::kWheelchair && group != 7)
      set(150, 150);
    else if (group == 1)
      set(90, 55);
    else if (group == 3)
      set(80, 60);
    else if (group == 9)
      set(90, 75);
    else if (group == 14)
      set(90, 90);
    return r;
  };
  return c;
}

// A plan text: one room of width x depth cm round the centre, then records.
struct PlanBuilder {
  QStringList layout, design;
  PlanBuilder(int widthCm, int depthCm) {
    layout << QString("WALLRECT,%1,%2,%3,%4,32767,0,0")
                  .arg(kCentreX - kFileOffset)
                  .arg(kCentreY - kFileOffset)
                  .arg(widthCm)
                  .arg(depthCm);
  }
  int Top(int depthCm) const { return kCentreY - depthCm; }
  PlanBuilder& Door(int x, int y, int widthCm, int angle, int flags) {
    layout << QString("DOOR,%1,%2,%3,%4,32767,%5,0")
                  .arg(x - kFileOffset)
                  .arg(y - kFileOffset)
                  .arg(widthCm)
                  .arg(angle)
                  .arg(flags);
    return *this;
  }
  // A product at its centre in worksheet pixels, as the engine stored it.
  PlanBuilder& Product(int id, int mount, int angle, int x, int y, long band = 0) {
    design << ProductRecord(id, mount, angle, x, y, band);
    return *this;
  }
  // The same placed in room layout mode: the room's list holds it.
  PlanBuilder& LayoutProduct(int id, int mount, int angle, int x, int y) {
    layout << ProductRecord(id, mount, angle, x, y, 0);
    return *this;
  }
  static QString ProductRecord(int id, int mount, int angle, int x, int y, long band) {
    return QString("PRODUCT,%1,%2,%3,%4,%5,p%3-2.bmp,%6")
        .arg(x - kFileOffset)
        .arg(y - kFileOffset)
        .arg(id)
        .arg(mount)
        .arg(angle)
        .arg(band);
  }
  // A layout record of another kind at (x, y) in worksheet pixels.
  PlanBuilder& Part(const char* kind, int x, int y, int p0, int p1, int p2) {
    layout << QString("%1,%2,%3,%4,%5,%6,0,0")
                  .arg(kind)
                  .arg(x - kFileOffset)
                  .arg(y - kFileOffset)
                  .arg(p0)
                  .arg(p1)
                  .arg(p2);
    return *this;
  }
  QByteArray Text() const {
    QString t = QString("[Layout]\ncount=%1\n").arg(layout.size());
    for (int i = 0; i < layout.size(); ++i)
      t += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(layout[i]);
    t += QString("[Design]\ncount=%1\n").arg(design.size());
    for (int i = 0; i < design.size(); ++i)
      t += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(design[i]);
    return t.toUtf8();
  }
};

QList<Finding> Check(const PlanBuilder& b, FreeAreaSetting setting = FreeAreaSetting::kPrivate) {
  PlanText plan;
  if (!ParsePlanText(b.Text(), &plan)) return {};
  return CheckPlan(plan, TestCatalogue(), setting);
}

// The plan's products as the check turns and fronts them.
QList<CheckProduct> Products(const PlanBuilder& b) {
  PlanText plan;
  if (!ParsePlanText(b.Text(), &plan)) return {};
  return ProductsOf(plan, FloorMap(plan.layout), TestCatalogue(), FreeAreaSetting::kPrivate);
}

QString Texts(const QList<Finding>& findings) {
  QStringList t;
  for (const Finding& f : findings) t << f.text;
  return t.join('\n');
}

// The roomy bathroom: 300 x 250 cm, a basin on the top wall, a toilet on the left
// wall, a bathtub on the bottom wall; nothing in anyone's way.
PlanBuilder Roomy() {
  PlanBuilder b(300, 250);
  const int top = kCentreY - 250, left = kCentreX - 300, bottom = kCentreY + 250;
  b.Product(kBasin, 1, 0, 760, top + 48 + 2);
  b.Product(kToilet, 1, 0, left + 60 + 2, 600);
  b.Product(kBathtub, 1, 0, 880, bottom - 75 - 2);
  return b;
}

struct Run {
  int status;
  QString out;
};

Run Tessel(const QStringList& arguments) {
  static QTemporaryDir settings;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  env.insert("XDG_CONFIG_HOME", settings.path());
  env.insert("XDG_DATA_HOME", settings.path());
  p.setProcessEnvironment(env);
  p.start(QCoreApplication::applicationDirPath() + "/tessel32", arguments);
  if (!p.waitForFinished(60000)) return {-1, "did not finish"};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput())};
}

}  // namespace

class PlanCheckTest : public QObject {
  Q_OBJECT
 private slots:
  void aToiletFortyCentimetresShortOfItsFreeArea() {
    // 81 cm deep: the toilet's 60 cm and two pixels off the wall leave 20 cm in front.
    PlanBuilder b(200, 81);
    b.Product(kToilet, 1, 0, kCentreX, b.Top(81) + 60 + 2);
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 1);
    QCOMPARE(f[0].kind, FindingKind::kFreeAreaBlocked);
    QCOMPARE(f[0].product, 1);
    QCOMPARE(f[0].other, 0);
    QCOMPARE(f[0].measured, 40);
    QCOMPARE(f[0].text, QString("No. 1 (1002 Toilet): free area 80 × 60 cm blocked by a wall, "
                                "40 cm short"));
  }

  void aBasinFifteenCentimetresFromASideWall() {
    PlanBuilder b(300, 250);
    const int left = kCentreX - 300, top = b.Top(250);
    b.Product(kBasin, 1, 0, left + 30 + 60, top + 48 + 2);
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 1);
    QCOMPARE(f[0].kind, FindingKind::kSideDistance);
    QCOMPARE(f[0].measured, 15);
    QCOMPARE(f[0].needed, 20);
    QCOMPARE(f[0].text, QString("No. 1 (1001 Basin): 15 cm to the side from a wall, 20 cm needed"));
  }

  void twoObjectsSixtyCentimetresApartFacingEachOther() {
    // 170 cm deep: 48 + 60 cm of objects, two pixels off each wall, 60 cm between.
    PlanBuilder b(300, 170);
    const int top = b.Top(170), bottom = kCentreY + 170;
    b.Product(kBasin, 1, 0, kCentreX, top + 48 + 2);
    b.Product(kToilet, 3, 0, kCentreX, bottom - 60 - 2);
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 2);
    for (const Finding& one : f) {
      QCOMPARE(one.kind, FindingKind::kFacing);
      QCOMPARE(one.measured, 60);
      QCOMPARE(one.needed, 75);
    }
    QCOMPARE(f[0].other, 2);
    QCOMPARE(f[1].other, 1);
    QCOMPARE(f[0].text,
             QString("No. 1 (1001 Basin): 60 cm from No. 2 (1002 Toilet) facing it, 75 cm needed"));
  }

  void aDoorSwingingOverAProduct() {
    PlanBuilder b(300, 250);
    const int top = b.Top(250);
    // 80 cm, opening 90 degrees into the room, hinged at its left end.
    b.Door(kCentreX, top, 80, 90, 1);
    b.Product(kWasher, 0, 0, kCentreX, top + 90);
    // The swing covers the washer and the part of its free area on the hinge's side.
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 2);
    QCOMPARE(f[0].kind, FindingKind::kDoorSwing);
    QCOMPARE(f[0].other, 1);
    QCOMPARE(f[0].text, QString("No. 1 (1005 Washer): door 1 swings over it"));
    QCOMPARE(f[1].kind, FindingKind::kFreeAreaBlocked);
    QVERIFY(f[1].byDoor);
    QCOMPARE(f[1].text, QString("No. 1 (1005 Washer): free area 90 × 90 cm blocked by the swing of "
                                "door 1 at its side, 31 cm too narrow"));
    // Opening outwards it sweeps nothing in the room.
    PlanBuilder out(300, 250);
    out.Door(kCentreX, top, 80, 90, 0);
    out.Product(kWasher, 0, 0, kCentreX, top + 90);
    QVERIFY(Check(out).isEmpty());
  }

  void aRoomyBathroomHasNoFindingsButNotForAWheelchair() {
    QCOMPARE(Texts(Check(Roomy())), QString());
    // Barrier-free: 120 x 120 in front of each; the toilet's reaches the bathtub, whose
    // top edge lies 62 pixels inside the area's lower side.
    QList<Finding> f = Check(Roomy(), FreeAreaSetting::kBarrierFree);
    QCOMPARE(f.size(), 1);
    QCOMPARE(f[0].kind, FindingKind::kFreeAreaBlocked);
    QCOMPARE(f[0].product, 2);
    QCOMPARE(f[0].other, 3);
    QCOMPARE(f[0].measured, 62 / kPixelsPerCm);
    QCOMPARE(f[0].text, QString("No. 2 (1002 Toilet): free area 120 × 120 cm blocked by No. 3 "
                                "(1003 Bathtub) at its side, 31 cm too narrow"));
    f = Check(Roomy(), FreeAreaSetting::kWheelchair);
    QVERIFY(f.size() >= 2);
    QCOMPARE(f[0].product, 1);  // the basin's 150 cm reach the bathtub too
    QCOMPARE(f[1].measured, (150 - 120 + 62) / kPixelsPerCm);
  }

  void overlapsWallsAndTheRoomsEdge() {
    PlanBuilder b(300, 250);
    const int top = b.Top(250), left = kCentreX - 300;
    const long vanity = TesselHeightBand(8, 60), basin = TesselHeightBand(60, 85);
    // A basin on its vanity unit: bands apart, no finding; each is the other's.
    b.Product(kVanity, 1, 0, 700, top + 45 + 2, vanity);
    b.Product(kBasin, 1, 0, 700, top + 48 + 2, basin);
    // Two washers over each other, as a plan file may hold them.
    b.Product(kWasher, 0, 0, 900, 600);
    b.Product(kWasher, 0, 0, 920, 600);
    // One across the left wall, one outside the room.
    b.Product(kWasher, 0, 0, left, 600);
    b.Product(kWasher, 0, 0, 200, 200);
    const QList<Finding> f = Check(b);
    QList<FindingKind> kinds;
    for (const Finding& one : f) kinds << one.kind;
    QVERIFY2(kinds.contains(FindingKind::kOverProduct), qPrintable(Texts(f)));
    QVERIFY(kinds.contains(FindingKind::kOverWall));
    QVERIFY(kinds.contains(FindingKind::kOutsideRoom));
    for (const Finding& one : f) {
      QVERIFY2(one.product > 2, qPrintable(one.text));
      if (one.kind == FindingKind::kOverProduct) {
        QCOMPARE(one.product, 4);
        QCOMPARE(one.other, 3);
        QCOMPARE(one.text,
                 QString("No. 4 (1005 Washer): overlaps No. 3 (1005 Washer) at the same height"));
      }
      if (one.kind == FindingKind::kOverWall) QCOMPARE(one.product, 5);
      if (one.kind == FindingKind::kOutsideRoom) QCOMPARE(one.product, 6);
    }
    // Without bands the basin and its vanity unit overlap at the same height.
    PlanBuilder plain(300, 250);
    plain.Product(kVanity, 1, 0, 700, top + 45 + 2);
    plain.Product(kBasin, 1, 0, 700, top + 48 + 2);
    const QList<Finding> g = Check(plain);
    QCOMPARE(g.size(), 1);
    QCOMPARE(g[0].kind, FindingKind::kOverProduct);
  }

  // A basin mounted on a diagonal corner's cut faces along the cut's normal, and its
  // free area lies in front of it there: free in an empty room, blocked by a vanity
  // unit turned the same way whose back stands 40 cm into it.
  void aBasinOnADiagonalCornerHasItsFreeAreaAlongTheCut() {
    // The room's top left corner cut 80 cm along each wall: from (460, 470) to (620,
    // 310). The basin (120 x 96 pixels) stands off the cut's middle (540, 390) by its
    // depth and four pixels, as the engine puts it, truncated: (576.8, 426.8).
    PlanBuilder b(300, 250);
    b.Part("DIAGCRNR", 540, 390, 80, 80, 0);
    b.Product(kBasin, 1, 0, 576, 426);
    const QList<CheckProduct> products = Products(b);
    QCOMPARE(products.size(), 1);
    const double half = std::sqrt(0.5);
    QVERIFY(std::fabs(products[0].deep.x() - half) < 1e-6);
    QVERIFY(std::fabs(products[0].deep.y() - half) < 1e-6);
    QVERIFY(std::fabs(std::fabs(products[0].across.x()) - half) < 1e-6);
    QCOMPARE(products[0].halfDeep, 48.0);
    QCOMPARE(products[0].halfAcross, 60.0);
    // Standing upright it would reach into the cut; along it, nothing is in its way.
    QCOMPARE(Texts(Check(b)), QString());

    // A vanity unit turned by -45 degrees, its back 79.5 pixels in front of the basin's
    // front middle (609.9, 459.9): the free area's row at 40 cm is the first it takes.
    b.Product(kVanity, 0, 315, 698, 548);
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 1);
    QCOMPARE(f[0].kind, FindingKind::kFreeAreaBlocked);
    QCOMPARE(f[0].other, 2);
    QCOMPARE(f[0].measured, 15);
    QCOMPARE(f[0].text, QString("No. 1 (1001 Basin): free area 90 × 55 cm blocked by No. 2 "
                                "(1004 Vanity), 15 cm short"));
  }

  // The same on the side of an installation wall turned by 30 degrees: 100 x 10 cm
  // round (800, 500), its +T side from (708, 458) to (881, 558); the basin off its
  // middle (794.5, 508) by 52 pixels along the side's normal (-0.5, 0.866).
  void aBasinOnATurnedInstallationWallFacesAwayFromIt() {
    PlanBuilder b(300, 250);
    b.Part("INSTWALL", 800, 500, 100, 10, 30);
    b.Product(kBasin, 1, 0, 768, 553);
    const QList<CheckProduct> products = Products(b);
    QCOMPARE(products.size(), 1);
    QVERIFY(std::fabs(products[0].deep.x() + 0.5) < 0.01);
    QVERIFY(std::fabs(products[0].deep.y() - 0.866) < 0.01);
    QCOMPARE(Texts(Check(b)), QString());
    // A vanity unit turned the same way, its back 60.7 pixels in front: 25 cm short.
    b.Product(kVanity, 0, 30, 691, 686);
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 1);
    QCOMPARE(f[0].measured, 25);
    QCOMPARE(f[0].other, 2);
    // Upright and off its wall, the same basin would overlap the installation wall.
    PlanBuilder upright(300, 250);
    upright.Part("INSTWALL", 800, 500, 100, 10, 30);
    upright.Product(kBasin, 0, 0, 768, 553);
    QVERIFY(Texts(Check(upright)).contains("overlaps a wall"));
  }

  // Products placed in room layout mode stand in the room's list: they are numbered
  // first, as the engine draws and lists them, have findings of their own and stand
  // in the way of others.
  void productsOfTheRoomsListAreCheckedToo() {
    PlanBuilder b(300, 250);
    const int top = b.Top(250);
    b.LayoutProduct(kToilet, 1, 0, 600, top + 60 + 2);
    // The vanity unit's top edge 100 pixels below the toilet's front (y 432).
    b.Product(kVanity, 0, 0, 560, 577);
    // A washer facing up, its front at y 600: the toilet stands 168 pixels ahead, its
    // right side 10 pixels into the washer's free area.
    b.Product(kWasher, 0, 180, 720, 660);
    PlanText plan;
    QVERIFY(ParsePlanText(b.Text(), &plan));
    QCOMPARE(ProductTags(plan), (QList<int>{1, kDesignTagBase, kDesignTagBase + 1}));
    const QList<Finding> f = Check(b);
    QCOMPARE(f.size(), 2);
    QCOMPARE(f[0].text, QString("No. 1 (1002 Toilet): free area 80 × 60 cm blocked by No. 2 "
                                "(1004 Vanity), 10 cm short"));
    QCOMPARE(f[1].product, 3);
    QCOMPARE(f[1].text, QString("No. 3 (1005 Washer): free area 90 × 90 cm blocked by No. 1 "
                                "(1002 Toilet) at its side, 5 cm too narrow"));
    // The typed position names the washer by the same number.
    QCOMPARE(StandOf(plan, TestCatalogue(), 1).position, 3);
  }

  // A typed position: the distances a product has from the walls round it, and the
  // offset that puts it at the typed ones. A wall-mounted basin slides along its wall
  // only; a free-standing washer moves both ways, but not past the opposite wall.
  void aTypedPositionMovesByTheDistancesFromTheWalls() {
    PlanBuilder b(300, 250);
    const int left = kCentreX - 300, top = b.Top(250);
    b.Product(kBasin, 1, 0, left + 30 + 60, top + 48 + 2);
    b.Door(kCentreX, kCentreY + 250, 80, 90, 0);
    b.Product(kWasher, 0, 0, kCentreX, kCentreY);
    PlanText plan;
    QVERIFY(ParsePlanText(b.Text(), &plan));
    const ProductStand basin = StandOf(plan, TestCatalogue(), 0);
    QVERIFY(basin.found);
    QCOMPARE(basin.position, 1);
    QCOMPARE(basin.held, kUpDownAxis);
    QCOMPARE(basin.WallCm(kLeftWall), 15);
    QCOMPARE(basin.WallCm(kRightWall), 300 - 15 - 60);
    PositionOffset o = OffsetFor(basin, {kRightWall, 40, kTopWall, 70});
    QCOMPARE(o.refusal, PositionRefusal::kNone);
    QCOMPARE(o.dx, (225 - 40) * kPixelsPerCm);
    QCOMPARE(o.dy, 0);

    const ProductStand washer = StandOf(plan, TestCatalogue(), 1);
    QVERIFY(washer.found);
    QCOMPARE(washer.position, 2);
    QCOMPARE(washer.held, kNoAxis);
    QCOMPARE(washer.WallCm(kLeftWall), 120);
    QCOMPARE(washer.WallCm(kRightWall), 120);
    QCOMPARE(washer.WallCm(kTopWall), 95);
    QCOMPARE(washer.WallCm(kBottomWall), 95);
    o = OffsetFor(washer, {kLeftWall, 50, kBottomWall, 20});
    QCOMPARE(o.refusal, PositionRefusal::kNone);
    QCOMPARE(o.dx, -70 * kPixelsPerCm);
    QCOMPARE(o.dy, 75 * kPixelsPerCm);
    // Right up to the far wall fits; a centimetre more does not, and says how much does.
    QCOMPARE(OffsetFor(washer, {kLeftWall, 240, kTopWall, 95}).dx, 120 * kPixelsPerCm);
    o = OffsetFor(washer, {kLeftWall, 241, kTopWall, 95});
    QCOMPARE(o.refusal, PositionRefusal::kTooWide);
    QCOMPARE(o.side, kLeftWall);
    QCOMPARE(o.roomCm, 240);
    o = OffsetFor(washer, {kRightWall, 50, kTopWall, 191});
    QCOMPARE(o.refusal, PositionRefusal::kTooWide);
    QCOMPARE(o.side, kTopWall);
    QCOMPARE(o.roomCm, 190);

    // Entries that are no product, and entries beyond the list, stand nowhere.
    b.design.insert(1, "USERRECT,640,440,40,40,0,0,0");
    QVERIFY(ParsePlanText(b.Text(), &plan));
    QVERIFY(!StandOf(plan, TestCatalogue(), 1).found);
    QCOMPARE(StandOf(plan, TestCatalogue(), 2).position, 2);
    QVERIFY(!StandOf(plan, TestCatalogue(), 3).found);
    QVERIFY(!StandOf(plan, TestCatalogue(), -1).found);
  }

  // A washer turned by 45 degrees stands as a diamond: its distances from the walls
  // are measured from its corners, not from its upright box, and the offset puts the
  // nearest corner at the typed distance. An installation wall between it and a room
  // wall is the wall a fitter measures to. A basin on a diagonal corner's cut slides
  // along that cut only and is not placed by typed distances.
  void aTurnedProductIsPositionedByItsCorners() {
    PlanBuilder b(300, 250);
    const int left = kCentreX - 300, top = b.Top(250);
    // 60 x 60 cm turned by 45 degrees: its corners lie 84.85 pixels from its centre.
    b.Product(kWasher, 0, 45, left + 200, top + 300);
    PlanText plan;
    QVERIFY(ParsePlanText(b.Text(), &plan));
    ProductStand washer = StandOf(plan, TestCatalogue(), 0);
    QVERIFY(washer.found);
    QCOMPARE(washer.held, kNoAxis);
    QVERIFY(!washer.slanted);
    // (200 - 84.85) / 2 and (300 - 84.85) / 2 cm, less the half centimetre a corner's
    // pixel takes.
    QCOMPARE(washer.WallCm(kLeftWall), 57);
    QCOMPARE(washer.WallCm(kTopWall), 107);
    PositionOffset o = OffsetFor(washer, {kLeftWall, 20, kTopWall, 107});
    QCOMPARE(o.refusal, PositionRefusal::kNone);
    QCOMPARE(o.dx, 20 * kPixelsPerCm - washer.wallPixels[kLeftWall]);
    QCOMPARE(o.dy, 107 * kPixelsPerCm - washer.wallPixels[kTopWall]);
    // Moved by the offset, the corner stands the typed 20 cm from the wall.
    b.design[0] = QString("PRODUCT,%1,%2,%3,0,45,p%3-2.bmp,0")
                      .arg(left + 200 + o.dx - kFileOffset)
                      .arg(top + 300 - kFileOffset)
                      .arg(kWasher);
    QVERIFY(ParsePlanText(b.Text(), &plan));
    washer = StandOf(plan, TestCatalogue(), 0);
    QCOMPARE(washer.WallCm(kLeftWall), 20);
    QCOMPARE(washer.wallPixels[kLeftWall], 20 * kPixelsPerCm);

    // An installation wall 10 cm thick and 40 cm long, upright, 5 cm off the left wall:
    // the corner is 5 cm from it.
    b.layout << QString("INSTWALL,%1,%2,10,40,0,0,0")
                    .arg(left + 20 - kFileOffset)
                    .arg(top + 300 - kFileOffset);
    QVERIFY(ParsePlanText(b.Text(), &plan));
    washer = StandOf(plan, TestCatalogue(), 0);
    QCOMPARE(washer.WallCm(kLeftWall), 5);

    // A basin against the cut of a diagonal corner, 100 cm along each wall.
    PlanBuilder c(300, 250);
    c.layout << QString("DIAGCRNR,%1,%2,100,100,0,0,0")
                    .arg(left + 100 - kFileOffset)
                    .arg(top + 100 - kFileOffset);
    c.Product(kBasin, 1, 0, left + 110, top + 110);
    QVERIFY(ParsePlanText(c.Text(), &plan));
    const ProductStand basin = StandOf(plan, TestCatalogue(), 0);
    QVERIFY(basin.found);
    QVERIFY(basin.slanted);
    // Its back runs along the cut, four pixels off it.
    const QPointF back = basin.outline.corners[1] - basin.outline.corners[0];
    QVERIFY(std::abs(back.x() + back.y()) <= 2);
    QCOMPARE(OffsetFor(basin, {kLeftWall, 10, kTopWall, 10}).refusal, PositionRefusal::kSlanted);
  }

  // A basin on a diagonal corner's cut stands turned along it: a product hanging beside
  // it is measured to that turned outline, not to an upright box round its centre.
  void theLiveDistancesSeeAProductOnADiagonalWallTurned() {
    PlanBuilder b(300, 250);
    const int left = kCentreX - 300, top = b.Top(250);
    b.layout << QString("DIAGCRNR,%1,%2,100,100,0,0,0")
                    .arg(left + 100 - kFileOffset)
                    .arg(top + 100 - kFileOffset);
    PlanText plan;
    QVERIFY(ParsePlanText(b.Text(), &plan));
    // Where the engine puts a basin (60 x 48 cm) hung near the cut's middle.
    const ProductOutline basin =
        WallLines(plan, FloorMap(plan.layout)).Place(1, 0, 60, 48, {left + 110, top + 110});
    QVERIFY(basin.valid && !basin.OnStraightWall());
    b.Product(kBasin, 1, 0, basin.centre.x(), basin.centre.y());
    QVERIFY(ParsePlanText(b.Text(), &plan));
    const DistanceMap map(plan, TestCatalogue());
    // A toilet (40 x 60 cm, upright) whose left side is 70 pixels right of the basin's
    // centre and whose top is 25 below it. There the basin's outline reaches 43 pixels
    // right of its centre (its corner at 76 pixels lies 8.5 above its centre, its edge
    // falls off at 45 degrees), an upright box would reach 60.
    const QPointF at(basin.centre.x() + 70 + 40, basin.centre.y() + 25 + 60);
    const ProductOutline toilet = map.Place({kToilet, 0, 0}, at);
    QVERIFY(toilet.valid);
    const std::array<int, 4> d = map.Distances(toilet);
    QVERIFY2(d[0] >= 12 && d[0] <= 14, qPrintable(QString::number(d[0])));
  }

  void theCommandLineSaysItInBothLanguagesWithItsExitStatus() {
    QTemporaryDir dir;
    const QString clean = dir.filePath("clean.tsd"), tight = dir.filePath("tight.tsd");
    // The shipped catalogue's wall-hung toilet (36 x 54 cm) in a room 75 cm deep.
    PlanBuilder t(200, 75);
    t.Product(108, 1, 0, kCentreX, t.Top(75) + 54 + 2);
    Write(tight, t.Text());
    PlanBuilder c(200, 200);
    c.Product(108, 1, 0, kCentreX, c.Top(200) + 54 + 2);
    Write(clean, c.Text());

    Run r = Tessel({"--check", clean});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QString());
    r = Tessel({"--check", tight});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString("No. 1 (103036 Wall-hung toilet): free area 80 × 60 cm blocked by a "
                            "wall, 40 cm short\n"));
    r = Tessel({"--check", tight, "-D"});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString("Nr. 1 (103036 Wand-WC): Bewegungsfläche 80 × 60 cm verstellt durch "
                            "eine Wand, 40 cm zu wenig\n"));
    r = Tessel({"--check", clean, "--wheelchair"});
    QCOMPARE(r.status, 1);
    QVERIFY(r.out.contains("150 × 150"));
    QCOMPARE(Tessel({"--check", clean, "--barrier-free"}).status, 0);  // 120 cm fit, 150 do not
    QCOMPARE(Tessel({"--check", dir.filePath("missing.tsd")}).status, 2);
    const QString broken = dir.filePath("broken.tsd");
    Write(broken, "[Layout]\nno count here\n");
    QCOMPARE(Tessel({"--check", broken}).status, 2);
    QCOMPARE(Tessel({"--check"}).status, 2);
    QCOMPARE(Tessel({"--check", clean, "--barrier-free", "--wheelchair"}).status, 2);
  }

  // The shipped catalogue's double washbasin 120 (120 x 48 cm) wants 150 x 55 cm in
  // front of it: in a room 90 cm deep it has 41 cm, in one 180 cm deep it has 131 cm,
  // enough for a barrier-free bathroom's 120 and not for a wheelchair's 150.
  void aDoubleWashbasinWantsItsWiderFreeArea() {
    constexpr int kDoubleBasin120 = 273, kDepth = 48;
    QTemporaryDir dir;
    const QString tight = dir.filePath("tight.tsd"), roomy = dir.filePath("roomy.tsd");
    PlanBuilder t(200, 90);
    t.Product(kDoubleBasin120, 1, 0, kCentreX, t.Top(90) + kDepth + 2);
    Write(tight, t.Text());
    PlanBuilder r(200, 180);
    r.Product(kDoubleBasin120, 1, 0, kCentreX, r.Top(180) + kDepth + 2);
    Write(roomy, r.Text());

    Run run = Tessel({"--check", tight});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QString("No. 1 (121120 Double washbasin 120): free area 150 × 55 cm blocked "
                              "by a wall, 14 cm short\n"));
    run = Tessel({"--check", tight, "-D"});
    QCOMPARE(run.out, QString("Nr. 1 (121120 Doppelwaschtisch 120): Bewegungsfläche 150 × 55 cm "
                              "verstellt durch eine Wand, 14 cm zu wenig\n"));
    QCOMPARE(Tessel({"--check", roomy}).status, 0);
    QCOMPARE(Tessel({"--check", roomy, "--barrier-free"}).status, 0);
    run = Tessel({"--check", roomy, "--wheelchair"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.contains("150 × 150 cm blocked by a wall, 19 cm short"), qPrintable(run.out));
  }
};

QTEST_GUILESS_MAIN(PlanCheckTest)
#include "test_plan_check.moc"
