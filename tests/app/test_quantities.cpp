// The quantities of rooms built by hand, worked out on paper: rectangular, notched,
// with a niche, cornered and rounded; doors and windows deducted; the inputs from the
// plan's [Project] section; and the command line's CSV in both languages.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "check/quantities.h"

using namespace tessel;

namespace {

constexpr int kCentreX = 760, kCentreY = 560, kFileOffset = 120;

// A plan text of one 300 x 250 cm room round the centre (walls at x 460 and 1060,
// y 310 and 810) and the layout records given, in worksheet pixels.
QByteArray Room(const QStringList& more = {}, const QString& project = {}) {
  QStringList layout{QString("WALLRECT,%1,%2,300,250,32767,0,0")
                         .arg(kCentreX - kFileOffset)
                         .arg(kCentreY - kFileOffset)};
  layout << more;
  QString t = QString("[Layout]\ncount=%1\n").arg(layout.size());
  for (int i = 0; i < layout.size(); ++i)
    t += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(layout[i]);
  if (!project.isEmpty()) t += "[Project]\n" + project;
  return t.toUtf8();
}

QString Record(const char* kind, int x, int y, int p0, int p1, int p2 = 32767, int l0 = 0) {
  return QString("%1,%2,%3,%4,%5,%6,%7,0")
      .arg(kind)
      .arg(x - kFileOffset)
      .arg(y - kFileOffset)
      .arg(p0)
      .arg(p1)
      .arg(p2)
      .arg(l0);
}

Quantities Of(const QByteArray& text, QuantityInputs* inputs = nullptr) {
  PlanText plan;
  if (!ParsePlanText(text, &plan)) return {};
  const QuantityInputs in = QuantityInputsOf(plan.project);
  if (inputs) *inputs = in;
  return ComputeQuantities(plan, in);
}

QString TwoPlaces(double v) {
  return QString::number(v, 'f', 2);
}

}  // namespace

class QuantitiesTest : public QObject {
  Q_OBJECT
 private slots:
  void aRectangularRoomWithADoorAndAWindow() {
    Quantities q = Of(Room());
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.50"));
    QCOMPARE(TwoPlaces(q.perimeterM), QString("11.00"));
    QCOMPARE(TwoPlaces(q.skirtingM), QString("11.00"));
    QCOMPARE(TwoPlaces(q.wallM2), QString("22.00"));  // 11 m up to 2 m

    // An 80 cm door (2 m high by default) and a 100 cm window (sill 1 m, 1.2 m high:
    // 1 m of it below the tiling height).
    q = Of(Room({Record("DOOR", 760, 310, 80, 90, 32767, 1), Record("WINDOW", 460, 560, 100, 90)}));
    QCOMPARE(TwoPlaces(q.skirtingM), QString("10.20"));
    QCOMPARE(TwoPlaces(q.wallM2), QString("19.40"));  // 22 - 0.8 x 2 - 1 x 1
    // 30 x 30 cm floor tiles with 3 mm joints: 75000 / 30.3^2 = 81.7, with 10 % 89.9.
    QCOMPARE(q.floorTiles, 90L);
    // 20 x 25 cm wall tiles: 194000 / (20.3 x 25.3) = 377.7, with 10 % 415.5.
    QCOMPARE(q.wallTiles, 416L);
  }

  void theProjectSectionGivesTheInputs() {
    QuantityInputs in;
    const Quantities q = Of(Room({},
                                 "RoomHeight=240\nTilingHeight=120\nFloorTile=60x30\n"
                                 "WallTile=30 x 60\nJoint=0\nWaste=0\nDoorHeight=x\n"),
                            &in);
    QCOMPARE(in.roomHeight, 240);
    QCOMPARE(in.tilingHeight, 120);
    QCOMPARE(in.doorHeight, 200);  // unreadable: the default
    QCOMPARE(in.floorTileWidth, 60.0);
    QCOMPARE(TwoPlaces(q.wallM2), QString("13.20"));  // 11 m x 1.2 m
    QCOMPARE(q.floorTiles, 42L);                      // 7.5 m² / 0.18 m² = 41.7
    QCOMPARE(q.wallTiles, 74L);                       // 13.2 m² / 0.18 m² = 73.3
    // Tiling above the ceiling stops at the ceiling.
    QCOMPARE(TwoPlaces(Of(Room({}, "RoomHeight=220\nTilingHeight=300\n")).wallM2),
             QString("24.20"));
  }

  void notchedRoomsAndNiches() {
    // A 100 x 50 cm projection into the room from the middle of the top wall.
    Quantities q = Of(Room({Record("WALLRECT", 760, 310 + 50, 100, 50)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.00"));
    QCOMPARE(TwoPlaces(q.perimeterM), QString("12.00"));
    // The same rectangle outside the wall is a niche.
    q = Of(Room({Record("WALLRECT", 760, 310 - 25, 100, 25)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.75"));
    QCOMPARE(TwoPlaces(q.perimeterM), QString("11.50"));
    // A projection flush with a corner adds no wall.
    q = Of(Room({Record("WALLRECT", 460 + 100, 310 + 50, 100, 50)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.00"));
    QCOMPARE(TwoPlaces(q.perimeterM), QString("11.00"));
  }

  void cornersCutTheFloorAndTheWall() {
    // A diagonal corner 60 cm along the top wall and 40 cm down the left one.
    Quantities q = Of(Room({Record("DIAGCRNR", 460 + 60, 310 + 40, 60, 40, 0)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.38"));      // 7.5 - 0.6 x 0.4 / 2
    QCOMPARE(TwoPlaces(q.perimeterM), QString("10.72"));  // 11 - 1 + 0.72
    // A round corner of 50 cm: a quarter circle.
    q = Of(Room({Record("RNDCRNR", 1060 - 50, 810 - 50, 50, 50, 0)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.45"));      // 7.5 - (1 - pi/4) x 0.25
    QCOMPARE(TwoPlaces(q.perimeterM), QString("10.79"));  // 11 - 1 + pi/4
  }

  void anInstallationWallIsNoFloor() {
    // 50 x 8 cm standing in the room (the record keeps half sizes in pixels).
    const Quantities q = Of(Room({Record("INSTWALL", 760, 560, 50, 8, 0)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.46"));
    QCOMPARE(TwoPlaces(q.perimeterM), QString("11.00"));
  }

  // An installation wall is tiled where it faces the floor, up to the tiling height, and
  // has skirting there; the room's wall behind it has neither.
  void installationWallsAreTiledOnTheirOpenSides() {
    // 50 x 8 cm against the top wall (x 710 to 810, y 310 to 326): the wall loses the
    // 50 cm behind it and gains the 50 cm front and two 8 cm ends: 11 - 0.5 + 0.66 m,
    // 2 m high.
    Quantities q = Of(Room({Record("INSTWALL", 760, 318, 50, 8, 0)}));
    QCOMPARE(TwoPlaces(q.floorM2), QString("7.46"));      // 7.5 - 0.5 x 0.08
    QCOMPARE(TwoPlaces(q.perimeterM), QString("11.00"));  // the room's own outline
    QCOMPARE(TwoPlaces(q.wallM2), QString("22.32"));      // 11.16 m x 2 m
    QCOMPARE(TwoPlaces(q.skirtingM), QString("11.16"));   // along the same faces
    // 20 x 25 cm wall tiles with 3 mm joints: 223200 / (20.3 x 25.3) = 434.6, with
    // 10 % 478.1.
    QCOMPARE(q.wallTiles, 479L);
    // The same standing free in the room, turned by 30 degrees: tiled all round,
    // 2 x (0.5 + 0.08) m more than the room's 11 m.
    q = Of(Room({Record("INSTWALL", 760, 560, 50, 8, 30)}));
    QCOMPARE(TwoPlaces(q.wallM2), QString("24.32"));
    QCOMPARE(TwoPlaces(q.skirtingM), QString("12.16"));
    // Up to 1.2 m, and a door deducted as before: (11.16 m x 1.2 m) - 0.8 m x 1.2 m.
    q = Of(
        Room({Record("INSTWALL", 760, 318, 50, 8, 0), Record("DOOR", 760, 810, 80, 90, 32767, 1)},
             "TilingHeight=120\n"));
    QCOMPARE(TwoPlaces(q.wallM2), QString("12.43"));
    QCOMPARE(TwoPlaces(q.skirtingM), QString("10.36"));  // 11.16 m - 0.8 m
  }

  void theCommandLineWritesTheListInBothLanguages() {
    QTemporaryDir dir;
    const QString plan = dir.filePath("bath.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Room({Record("DOOR", 760, 310, 80, 90, 32767, 1)}));
    f.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static QTemporaryDir settings;
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.insert("XDG_CONFIG_HOME", settings.path());
    auto run = [&](const QStringList& arguments) {
      QProcess p;
      p.setProcessEnvironment(env);
      p.start(QCoreApplication::applicationDirPath() + "/tessel32", arguments);
      return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString out = dir.filePath("q.csv");
    QCOMPARE(run({"--quantities", plan, out}), 0);
    QFile csv(out);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString english = QString::fromUtf8(csv.readAll());
    csv.close();
    QVERIFY2(english.startsWith("Item,Quantity,Unit\r\nFloor area,7.50,m²\r\n"
                                "Perimeter,11.00,m\r\nSkirting (doors deducted),10.20,m\r\n"),
             qPrintable(english));
    QVERIFY(english.contains("\"Floor tiles 30 × 30 cm, 3 mm joint, 10 % waste\",90,pieces\r\n"));
    QCOMPARE(run({"--quantities", plan, out, "-D"}), 0);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString german = QString::fromUtf8(csv.readAll());
    QVERIFY2(german.startsWith("Position,Menge,Einheit\r\nBodenfläche,7.50,m²\r\n"),
             qPrintable(german));
    QVERIFY(german.contains("Stück"));
    QCOMPARE(run({"--quantities", dir.filePath("missing.tsd"), out}), 2);
    QCOMPARE(run({"--quantities", plan, dir.filePath("no/such/folder/q.csv")}), 1);
    QCOMPARE(run({"--quantities", plan}), 2);
  }
};

QTEST_GUILESS_MAIN(QuantitiesTest)
#include "test_quantities.moc"
