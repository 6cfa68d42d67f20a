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
#include "check/check_window.h"
#include "check/free_area_overlay.h"
#include "check/quantities_window.h"
#include "platform/window.h"
#include "shell/plan_view.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// The shipped catalogue's 45 cm washbasin (45 x 36 cm, a free area of 90 x 55 cm),
// drawn from the test's bitmap.
constexpr int kCatalogueBasin = 100;
// At 50 % a window pixel is one centimetre; in design mode, under the product bar, the
// fixture's room reaches down to about 343. The basin stands 10 cm off the bottom wall
// by the catalogue's depth.
const QPoint kNearBottomWall{300, 285};
const QPoint kEmptyFloor{300, 180};

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
  }
  void init() { QVERIFY(window = OpenWindow({900, 640})); }
  void cleanup() { CloseWindow(); }

  void theFindingsAreListedAndAClickSelectsTheirProduct() {
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    const QString path = bitmaps.filePath("basin-2.bmp");
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 0, 0, path), 0L);
    QTest::mouseMove(window->View(), kNearBottomWall + QPoint(5, 5));
    QTest::mouseMove(window->View(), kNearBottomWall);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, kNearBottomWall);
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

  void theFreeAreasLieOverTheWorkWindowOnly() {
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    const QString path = bitmaps.filePath("basin-2.bmp");
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 0, 0, path), 0L);
    QTest::mouseMove(window->View(), kNearBottomWall + QPoint(5, 5));
    QTest::mouseMove(window->View(), kNearBottomWall);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, kNearBottomWall);
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
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    const QString path = bitmaps.filePath("basin-2.bmp");
    QCOMPARE(vCallTessel(TC_PutProduct, kCatalogueBasin, 0, 0, path), 0L);
    QTest::mouseMove(window->View(), kNearBottomWall + QPoint(5, 5));
    QTest::mouseMove(window->View(), kNearBottomWall);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, kNearBottomWall);
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
  MainWindow* window = nullptr;
  QTemporaryDir bitmaps;
};

QTEST_MAIN(CheckWindowTest)
#include "test_check_window.moc"
