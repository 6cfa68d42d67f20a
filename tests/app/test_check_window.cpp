// Project > Check plan on a real main window over the real engine: the window lists
// the findings of the plan as it stands, follows the chosen setting, and a click on a
// finding selects its product in the work window.
#include <QComboBox>
#include <QListWidget>
#include <QSettings>
#include <QTableWidget>
#include <filesystem>

#include "../support/bmp_writer.h"
#include "app_fixture.h"
#include "catalogue/product_bar.h"
#include "check/check_window.h"
#include "check/free_area_overlay.h"
#include "check/plan_check.h"
#include "check/quantities_window.h"
#include "platform/window.h"
#include "shell/plan_view.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// The shipped catalogue's 45 cm washbasin (45 x 36 cm, a free area of 90 x 55 cm),
// drawn from the test's bitmap.
constexpr int kCatalogueBasin = 100;
// The sample catalogue's corner bathtub of 140 x 140 cm, and a stool it does not know.
constexpr int kCornerBath = 139, kStool = 7002;
const char kCornerBathPicture[] = "/katalog/images/li0139p2.bmp";
const char kStoolPicture[] = "stool-2.bmp";
constexpr int kStoolSide = 20;
// At 50 % a window pixel is one centimetre; in design mode, under the product bar, the
// fixture's room reaches down to about 343. The basin stands 10 cm off the bottom wall
// by the catalogue's depth.
const QPoint kNearBottomWall{300, 285};
const QPoint kEmptyFloor{300, 180};

// The same basin's picture at the catalogue's size, 90 x 72 pixels, so that the check
// and the engine size it alike.
const char kTrueBasin[] = "basin45-2.bmp";
constexpr double kTrueHalfWidth = 45, kTrueHalfDepth = 36;

// The test's own catalogue for that basin: its size and the free area of its group.
CheckCatalogue BasinCatalogue() {
  CheckCatalogue c;
  c.product = [](int id, int* group, QString* model, QString* name, double* w, double* d) {
    if (id != kCatalogueBasin) return false;
    *group = 1;
    *model = "101045";
    *name = "Washbasin 45";
    *w = 2 * kTrueHalfWidth / kPixelsPerCm;
    *d = 2 * kTrueHalfDepth / kPixelsPerCm;
    return true;
  };
  c.rule = [](int, FreeAreaSetting) { return FreeAreaRule{90, 55, 20, 75}; };
  return c;
}

// A plan file of a 300 x 250 cm room (its walls at x 460 and 1060, y 310 and 810 in
// worksheet pixels) and the records given, positions less the file's offset of 120.
QByteArray RoomPlan(const QStringList& layout, const QStringList& design = {}) {
  QStringList all{"WALLRECT,640,440,300,250,32767,0,0"};
  all << layout;
  QByteArray t = "[Layout]\ncount=" + QByteArray::number(all.size()) + "\n";
  for (int i = 0; i < all.size(); ++i)
    t += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(all[i]).toUtf8();
  t += "[Design]\ncount=" + QByteArray::number(design.size()) + "\n";
  for (int i = 0; i < design.size(); ++i)
    t += QString("%1=%2\n").arg(i, 2, 10, QChar('0')).arg(design[i]).toUtf8();
  return t;
}

// Counts the events of one type a widget gets.
class EventCounter : public QObject {
 public:
  EventCounter(QEvent::Type type, int* count) : type_(type), count_(count) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++*count_;
    return false;
  }

 private:
  QEvent::Type type_;
  int* count_;
};

}  // namespace

class CheckWindowTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(SetUpProgram());
    QVERIFY(bitmaps.isValid());
    WriteFile(std::filesystem::path(bitmaps.path().toStdString()) / "basin-2.bmp",
              EightBitBmp(61, 40, [](int x, int y) { return BasinPixel(x, y, 61, 40); }));
    WriteFile(std::filesystem::path(bitmaps.path().toStdString()) / kTrueBasin,
              EightBitBmp(90, 72, [](int x, int y) { return BasinPixel(x, y, 90, 72); }));
    WriteFile(std::filesystem::path(bitmaps.path().toStdString()) / kStoolPicture,
              EightBitBmp(kStoolSide, kStoolSide,
                          [](int x, int y) { return TubPixel(x, y, kStoolSide, kStoolSide); }));
  }
  void init() { QVERIFY(window = OpenWindow({900, 640})); }
  void cleanup() { CloseWindow(); }

  void theFindingsAreListedAndAClickSelectsTheirProduct() {
    PutBasinNearTheBottomWall();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    // Nothing selected: a click on the empty floor.
    QTest::mouseMove(window->View(), kEmptyFloor);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, kEmptyFloor);

    QAction* check = window->ProjectItem(kCheckPlan);
    QCOMPARE(check->text(), QString("Chec&k plan"));
    check->trigger();
    PlanCheckWindow* checkWindow = window->PlanCheck();
    QVERIFY(checkWindow && checkWindow->isVisible());
    QCOMPARE(checkWindow->windowTitle(), QString("Plan check"));
    QListWidget* list = checkWindow->Findings();
    QCOMPARE(list->count(), 1);
    QVERIFY2(list->item(0)->text().startsWith(
                 "No. 1 (101045 Washbasin 45): free area 90 × 55 cm blocked by a wall"),
             qPrintable(list->item(0)->text()));

    ReadInfo();
    const QPoint cursor(Bridge().infoRecord.lCursorX, Bridge().infoRecord.lCursorY);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iSelProdId, kCatalogueBasin);
    QCOMPARE(Bridge().infoRecord.bObjSel, 1);
    // Selected by the engine directly: the user's pointer stays where it was.
    QCOMPARE(QPoint(Bridge().infoRecord.lCursorX, Bridge().infoRecord.lCursorY), cursor);

    // The wheelchair setting asks 150 x 150 cm.
    checkWindow->Setting()->setCurrentIndex(2);
    QCOMPARE(list->count(), 1);
    QVERIFY(list->item(0)->text().contains("150 × 150"));

    // Moved clear of the wall by a drag, the check finds nothing once asked again.
    QTest::mousePress(window->View(), Qt::LeftButton, {}, kNearBottomWall);
    QTest::mouseMove(window->View(), kNearBottomWall + QPoint(2, 1));
    for (int step = 1; step <= 4; ++step)
      QTest::mouseMove(window->View(),
                       kNearBottomWall + (QPoint(300, 200) - kNearBottomWall) * step / 4);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(300, 200));
    checkWindow->Setting()->setCurrentIndex(0);
    QTest::mouseClick(checkWindow->findChild<QPushButton*>("cmdCheck"), Qt::LeftButton);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(),
             QString("No findings: the plan leaves every free area and distance clear."));
  }

  // A basin put against a diagonal corner's cut by the pointer: the check turns it as
  // the engine drew it, along the cut, and finds its free area in front of it there.
  void aBasinOnADiagonalCornerIsCheckedAsTheEngineDrewIt() {
    // The top left corner cut 80 cm along each wall: from (460, 470) to (620, 310).
    OpenPlan(RoomPlan({"DIAGCRNR,420,270,80,80,0,0,0"}));
    window->ViewItem(kDesignModeItem)->trigger();
    Calibrate();
    const QPointF normal(std::sqrt(0.5), std::sqrt(0.5));
    const QString path = bitmaps.filePath(kTrueBasin);
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 1, 0, path), 0L);
    Drop(QPointF(540, 390) + normal * 60);

    PlanText plan = SavedPlan();
    QCOMPARE(plan.design.size(), 1);
    const FloorMap floor(plan.layout);
    QList<CheckProduct> products =
        ProductsOf(plan, floor, BasinCatalogue(), FreeAreaSetting::kPrivate);
    QCOMPARE(products.size(), 1);
    const CheckProduct basin = products[0];
    QVERIFY(std::hypot(basin.deep.x() - normal.x(), basin.deep.y() - normal.y()) < 1e-6);
    // The engine's outline of it, as its selection shows it, is the check's.
    DrawnAsChecked(kDesignTagBase, basin);
    window->ProjectItem(kCheckPlan)->trigger();
    QListWidget* list = window->PlanCheck()->Findings();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(),
             QString("No findings: the plan leaves every free area and distance clear."));

    // A second basin standing free 20 cm into the first one's free area.
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 0, 0, path), 0L);
    Drop(basin.FrontMiddle() + normal * ((kTrueHalfWidth + kTrueHalfDepth) * std::sqrt(0.5) + 40));
    QTest::mouseClick(window->PlanCheck()->findChild<QPushButton*>("cmdCheck"), Qt::LeftButton);
    QVERIFY(list->count() >= 1);
    QVERIFY2(list->item(0)->text().startsWith("No. 1 (101045 Washbasin 45): free area 90 × 55 cm "
                                              "blocked by No. 2 (101045 Washbasin 45)"),
             qPrintable(list->item(0)->text()));
  }

  // A corner bathtub's picture fills its box only up to its curved front: the check
  // counts the pixels the engine draws, so a stool in the box's empty corner, which the
  // engine lets stand there, overlaps nothing.
  void aCornerBathtubCountsWhereItsPictureIsDrawn() {
    OpenPlan(RoomPlan({}));
    window->ViewItem(kDesignModeItem)->trigger();
    Calibrate();
    const QString bath = QCoreApplication::applicationDirPath() + kCornerBathPicture;
    QCOMPARE(vCallTessel(TC_PutProduct, kCornerBath, 1, 0, bath), 0L);
    Drop(QPointF(460 + 150, 310 + 150));
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    PlanText plan = SavedPlan();
    QCOMPARE(plan.design.size(), 1);
    const CheckCatalogue catalogue = CheckCatalogueOf(window->Bar()->Products());
    const CheckProduct tub =
        ProductsOf(plan, FloorMap(plan.layout), catalogue, FreeAreaSetting::kPrivate).at(0);
    QVERIFY(tub.picture);

    // Point by point over its box, the check covers what the engine drew; only pixels on
    // the curve may fall either way.
    const auto sheet = static_cast<plat::HDC>(Bridge().infoRecord.hdcWorkSheet);
    const plat::COLORREF paper = plat::GetPixel(sheet, 900, 700);
    const ProductOutline& o = tub.outline;
    const int hw = tub.picture->Width() / 2, hh = tub.picture->Height() / 2;
    int samples = 0, differ = 0, drawn = 0;
    for (int a = -hw + 2; a < hw - 2; a += 3)
      for (int b = -hh + 2; b < hh - 2; b += 3) {
        const QPointF q = QPointF(o.centre) + o.axisX * (a + 0.5) + o.axisY * (b + 0.5);
        const bool engine =
            plat::GetPixel(sheet, static_cast<int>(q.x()), static_cast<int>(q.y())) != paper;
        ++samples;
        drawn += engine;
        differ += engine != tub.Covers(q);
      }
    QVERIFY2(drawn * 20 < samples * 19, "the curve leaves a corner of the box empty");
    QVERIFY2(differ * 50 <= samples,
             qPrintable(QString("%1 of %2 points differ").arg(differ).arg(samples)));

    // A stool in the corner of the box that the curve leaves free.
    const QPointF empty = QPointF(o.centre) + o.axisX * (hw - 14) + o.axisY * (hh - 14);
    QVERIFY(!tub.Covers(empty));
    QCOMPARE(vCallTessel(TC_PutProduct, kStool, 0, 0, bitmaps.filePath(kStoolPicture)), 0L);
    Drop(empty);
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    plan = SavedPlan();
    QCOMPARE(plan.design.size(), 2);
    for (const Finding& f : CheckPlan(plan, catalogue, FreeAreaSetting::kPrivate))
      QVERIFY2(f.kind != FindingKind::kOverProduct, qPrintable(f.text));
  }

  // A plan file may hold a wall-hung basin off the place its wall gives it (a hand-made
  // file, or one whose room changed under it): the engine draws it against the nearest
  // wall, and the check sees it there, not where the file keeps it.
  void aBasinStoredOffItsWallIsCheckedWhereTheEngineDrawsIt() {
    // The top wall (y 310) gives the basin the centre 310 + 36 + 2 = 348; the file keeps
    // it 30 pixels lower.
    const QByteArray text = RoomPlan({}, {QString("PRODUCT,%1,%2,100,1,0,%3,0")
                                              .arg(760 - 120)
                                              .arg(378 - 120)
                                              .arg(bitmaps.filePath(kTrueBasin))});
    OpenPlan(text);
    window->ViewItem(kDesignModeItem)->trigger();
    Calibrate();
    PlanText plan;
    QVERIFY(ParsePlanText(text, &plan));
    const QList<CheckProduct> products =
        ProductsOf(plan, FloorMap(plan.layout), BasinCatalogue(), FreeAreaSetting::kPrivate);
    QCOMPARE(products.size(), 1);
    QCOMPARE(products[0].centre, QPointF(760, 348));
    QCOMPARE(products[0].deep, QPointF(0, 1));
    DrawnAsChecked(kDesignTagBase, products[0]);
  }

  // Products placed in room layout mode stand in the room's list: the check numbers
  // them first, and a click on one of their findings switches to room layout mode and
  // selects it there; a furnishing product's finding switches back.
  void aFindingOfTheRoomsListSelectsItsProductInRoomMode() {
    const QString name = bitmaps.filePath(kTrueBasin);
    // Both against a wall by the engine's rule (depth and two pixels), 15 and 10 cm
    // from a side wall.
    OpenPlan(
        RoomPlan({QString("PRODUCT,%1,%2,100,1,0,%3,0").arg(535 - 120).arg(348 - 120).arg(name)},
                 {QString("PRODUCT,%1,%2,100,1,0,%3,0").arg(995 - 120).arg(772 - 120).arg(name)}));
    window->ViewItem(kDesignModeItem)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    window->ProjectItem(kCheckPlan)->trigger();
    QListWidget* list = window->PlanCheck()->Findings();
    // Each too near its side wall, and so its free area too: the 90 cm area reaches
    // 22.5 cm past the basin's side, 7.5 cm into the wall 15 cm away.
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(0)->text(), QString("No. 1 (101045 Washbasin 45): free area 90 × 55 cm "
                                            "blocked by a wall at its side, 7 cm too narrow"));
    QCOMPARE(list->item(1)->text(),
             QString("No. 1 (101045 Washbasin 45): 15 cm to the side from a wall, 20 cm needed"));
    QCOMPARE(list->item(3)->text(),
             QString("No. 2 (101045 Washbasin 45): 10 cm to the side from a wall, 20 cm needed"));

    auto click = [&](int row) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(row)).center());
      ReadInfo();
      QCOMPARE(Bridge().infoRecord.bObjSel, 1);
      QCOMPARE(ReadObjectData(), 0);
    };
    click(0);
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QCOMPARE(Bridge().objectDataRead.iSelection, 1 + 1);  // the room's list, place 1
    QCOMPARE(Bridge().infoRecord.iSelProdId, kCatalogueBasin);
    click(3);
    QCOMPARE(window->WorkMode(), kDesignMode);
    QCOMPARE(Bridge().objectDataRead.iSelection, kDesignTagBase + 1);
    // The furnishing came back whole with the switch.
    QCOMPARE(list->count(), 4);
    QCOMPARE(SavedPlan().design.size(), 1);
  }

  void theFreeAreasLieOverTheWorkWindowOnly() {
    PutBasinNearTheBottomWall();
    QCoreApplication::processEvents();
    // Between the basin's front (by the catalogue's depth) and the bottom wall.
    const QPoint inFront = kNearBottomWall + QPoint(0, 22), aside = kNearBottomWall + QPoint(80, 0);
    const QImage before = window->View()->grab().toImage();
    int w = 0, h = 0, stride = 0;
    const std::uint32_t* pixels = plat::WindowPixels(window->View()->Handle(), &w, &h, &stride);
    QVERIFY(pixels);
    const std::vector<std::uint32_t> engine(pixels, pixels + std::size_t(stride) * h);

    QAction* item = window->ViewItem(kFreeAreas);
    QCOMPARE(item->text(), QString("&Free areas"));
    QVERIFY(item->isCheckable());
    item->trigger();
    QCoreApplication::processEvents();
    const QImage shown = window->View()->grab().toImage();
    const QColor blocked = shown.pixelColor(inFront), plain = before.pixelColor(inFront);
    QVERIFY2(blocked != plain, "the zone tints the window");
    QVERIFY(blocked.red() > blocked.green() + 40);  // red: the wall is in its way
    QCOMPARE(shown.pixelColor(aside), before.pixelColor(aside));
    pixels = plat::WindowPixels(window->View()->Handle(), &w, &h, &stride);
    QVERIFY(std::equal(engine.begin(), engine.end(), pixels));  // the engine's picture untouched

    item->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(window->View()->grab().toImage().pixelColor(inFront), plain);
  }

  // One setting for the check and the work window: barrier-free chosen in the check
  // window widens the zones in the work window at once (120 x 120 cm, at 50 % as many
  // window pixels), and the program keeps the choice for its next run.
  void theCheckWindowsSettingIsTheWorkWindows() {
    PutBasinNearTheBottomWall();
    QCoreApplication::processEvents();
    // In front of the basin, 52 cm to the side of its middle: past the private zone's
    // 45, inside the barrier-free one's 60.
    const QPoint aside = kNearBottomWall + QPoint(52, 22),
                 inFront = kNearBottomWall + QPoint(0, 22);
    const QImage bare = window->View()->grab().toImage();
    window->ViewItem(kFreeAreas)->trigger();
    window->ProjectItem(kCheckPlan)->trigger();
    PlanCheckWindow* checkWindow = window->PlanCheck();
    QVERIFY(checkWindow);
    QCOMPARE(checkWindow->Setting()->currentIndex(), 0);
    QCoreApplication::processEvents();
    QImage shown = window->View()->grab().toImage();
    QVERIFY(shown.pixelColor(inFront) != bare.pixelColor(inFront));
    QCOMPARE(shown.pixelColor(aside), bare.pixelColor(aside));

    // The window repaints as soon as the setting changes, with no other event.
    int paints = 0;
    EventCounter counter(QEvent::Paint, &paints);
    window->View()->installEventFilter(&counter);
    checkWindow->Setting()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    window->View()->removeEventFilter(&counter);
    QVERIFY(paints > 0);
    shown = window->View()->grab().toImage();
    const QColor wide = shown.pixelColor(aside);
    QVERIFY2(wide != bare.pixelColor(aside), "the barrier-free zone reaches 60 cm aside");
    QVERIFY(wide.red() > wide.green() + 40);  // 120 cm deep: the bottom wall is in its way
    QVERIFY(checkWindow->Findings()->item(0)->text().contains("120 × 120"));
    QCOMPARE(ReadFreeAreaSetting(), FreeAreaSetting::kBarrierFree);
    QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV")
                 .value("Ostara/Tessel/2.0/Check/FreeAreaSetting")
                 .toString(),
             QString("BarrierFree"));

    // Back to a private bathroom: the zone narrows again.
    checkWindow->Setting()->setCurrentIndex(0);
    QCoreApplication::processEvents();
    QCOMPARE(window->View()->grab().toImage().pixelColor(aside), bare.pixelColor(aside));
    QCOMPARE(ReadFreeAreaSetting(), FreeAreaSetting::kPrivate);
    window->ViewItem(kFreeAreas)->trigger();
  }

  void theQuantitiesWindowShowsTheRoomAndExportsIt() {
    DrawRoom();  // the wall rectangle dialog's default: 450 x 200 cm
    QAction* item = window->ProjectItem(kQuantities);
    QCOMPARE(item->text(), QString("&Quantities..."));
    item->trigger();
    QuantitiesWindow* quantities = window->QuantitiesView();
    QVERIFY(quantities && quantities->isVisible());
    QTableWidget* table = quantities->Table();
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(table->item(0, 0)->text(), QString("Floor area"));
    QCOMPARE(table->item(0, 1)->text(), QString("9.00"));
    QCOMPARE(table->item(0, 2)->text(), QString("m²"));
    QCOMPARE(table->item(1, 1)->text(), QString("13.00"));

    nextFileName = FilePath("quantities");
    QTest::mouseClick(quantities->findChild<QPushButton*>("cmdExport"), Qt::LeftButton);
    QCOMPARE(dialogs, 1);
    QVERIFY(lastDialogWasSave);
    QFile csv(FilePath("quantities.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readAll().startsWith("Item,Quantity,Unit\r\nFloor area,9.00,m\xc2\xb2\r\n"));
  }

  // The plan's own file keeps the [Project] section; the quantities take their inputs
  // from it.
  void theQuantitiesTakeTheProjectInputsFromThePlansFile() {
    const QString plan = FilePath("tiled.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "[Layout]\ncount=1\n00=WALLRECT,640,440,300,250,32767,0,0\n"
        "[Design]\ncount=0\n[Project]\nTilingHeight=100\nWallTile=50x50\n");
    f.close();
    nextFileName = plan;
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(window->CurrentFile(), plan);
    window->ProjectItem(kQuantities)->trigger();
    QTableWidget* table = window->QuantitiesView()->Table();
    QCOMPARE(table->item(0, 1)->text(), QString("7.50"));
    QCOMPARE(table->item(3, 0)->text(),
             QString("Wall area up to 100 cm (doors and windows deducted)"));
    QCOMPARE(table->item(3, 1)->text(), QString("11.00"));
    QVERIFY(table->item(5, 0)->text().startsWith("Wall tiles 50 × 50 cm"));
  }

 private:
  // Engine truncation and the window's scale leave a corner this many window pixels off.
  static constexpr double kPixelSlack = 2;

  // The fixture's room in design mode, with the basin standing free by the bottom wall,
  // put there with the pointer.
  void PutBasinNearTheBottomWall() {
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    const QString path = bitmaps.filePath("basin-2.bmp");
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 0, 0, path), 0L);
    QTest::mouseMove(window->View(), kNearBottomWall + QPoint(5, 5));
    QTest::mouseMove(window->View(), kNearBottomWall);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, kNearBottomWall);
  }

  void OpenPlan(const QByteArray& text) {
    const QString plan = FilePath("plan.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    nextFileName = plan;
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(window->CurrentFile(), plan);
  }
  // Where the engine's cursor stands for a window point, in worksheet pixels: it counts
  // from the room's top left wall corner, (460, 310) in these plans.
  QPointF SheetAt(QPoint p) {
    QTest::mouseMove(window->View(), p);
    ReadInfo();
    return QPointF(Bridge().infoRecord.lCursorX + 460, Bridge().infoRecord.lCursorY + 310);
  }
  // Window pixels from worksheet pixels, measured from two pointer positions.
  void Calibrate() {
    const QPoint a(150, 120), b(450, 320);
    sheetA = SheetAt(a);
    const QPointF sheetB = SheetAt(b);
    windowA = a;
    scale = QPointF((sheetB.x() - sheetA.x()) / (b.x() - a.x()),
                    (sheetB.y() - sheetA.y()) / (b.y() - a.y()));
  }
  QPointF WindowAt(QPointF sheet) const {
    return QPointF(windowA.x() + (sheet.x() - sheetA.x()) / scale.x(),
                   windowA.y() + (sheet.y() - sheetA.y()) / scale.y());
  }
  // The hanging product dropped with the pointer at a worksheet point.
  void Drop(QPointF sheet) {
    const QPoint at = WindowAt(sheet).toPoint();
    QTest::mouseMove(window->View(), at + QPoint(5, 5));
    QTest::mouseMove(window->View(), at);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, at);
    ReadInfo();
  }
  // The engine's outline of the object with `tag`, as its selection shows it, has the
  // corners the check gives the product.
  void DrawnAsChecked(int tag, const CheckProduct& product) {
    window->SelectPlanObject(tag);
    const QPolygon drawn = window->View()->SelectionOutline();
    QCOMPARE(drawn.size(), 4);
    for (int i = 0; i < 4; ++i) {
      const QPointF corner = WindowAt(product.Corner(i));
      double nearest = 1e9;
      for (const QPoint& q : drawn)
        nearest = std::min(nearest, std::hypot(q.x() - corner.x(), q.y() - corner.y()));
      QVERIFY2(nearest <= kPixelSlack,
               qPrintable(QString("corner %1 is %2 off").arg(i).arg(nearest)));
    }
  }
  // The plan as the engine stores it.
  PlanText SavedPlan() {
    const QString saved = FilePath("saved.tsd");
    PlanText plan;
    if (vCallTessel(TC_SaveDesignFile, 0, 0, 0, saved) != TR_Done) return plan;
    ReadPlanFile(saved, &plan, nullptr);
    return plan;
  }

  MainWindow* window = nullptr;
  QTemporaryDir bitmaps;
  QPointF sheetA, scale;
  QPoint windowA;
};

QTEST_MAIN(CheckWindowTest)
#include "test_check_window.moc"
