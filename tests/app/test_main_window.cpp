// The main window over the real engine, on the offscreen platform: bound at start,
// the pointer over the plan moves the engine cursor, the zoom box and the scroll bars
// move the view, and the plan shows in the widget. Each case has a fresh window.
#include <QComboBox>
#include <QScrollBar>

#include "app_fixture.h"

using namespace tessel;
using namespace tessel::testing;

class MainWindowTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() { QVERIFY(window = OpenWindow({900, 640})); }
  void cleanup() { CloseWindow(); }

  void theWindowComesUpBoundToTheEngine() {
    QVERIFY(window->bInitialized);
    QVERIFY(Bridge().workWindowHandle != 0);
    QCOMPARE(Bridge().workWindowHandle, window->View()->Handle());
    ReadInfo();
    QVERIFY(Bridge().infoRecord.hwndMain != 0);
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{0});
  }

  void thePointerOverThePlanMovesTheEngineCursor() {
    PlanView* view = window->View();
    QTest::mouseMove(view, QPoint(300, 200));
    ReadInfo();
    const int x = Bridge().infoRecord.lCursorX, y = Bridge().infoRecord.lCursorY;
    QTest::mouseMove(view, QPoint(340, 230));
    ReadInfo();
    // At 50 % every window pixel is two worksheet pixels.
    QCOMPARE(Bridge().infoRecord.lCursorX - x, 80);
    QCOMPARE(Bridge().infoRecord.lCursorY - y, 60);
  }

  void theZoomBoxAndTheScrollBarsMoveTheView() {
    QVERIFY(!window->HorizontalBar()->isVisible());  // at 50 % the whole sheet fits
    QCOMPARE(Bridge().viewCenterX, 760.0);
    window->ZoomBox()->setCurrentIndex(4);
    emit window->ZoomBox()->activated(4);
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom200});
    QVERIFY(window->HorizontalBar()->isVisible());
    QVERIFY(window->VerticalBar()->isVisible());
    // Zooming keeps the middle of the sheet in the middle.
    QCOMPARE(Bridge().viewCenterX, 760.0);
    const double before = Bridge().viewCenterX;
    window->HorizontalBar()->setValue(window->HorizontalBar()->value() + 200);
    QCOMPARE(Bridge().viewCenterX - before, 100.0);  // 200 window pixels at 200 %
    window->SetZoom(kZoom50);
    QVERIFY(!window->HorizontalBar()->isVisible());
  }

  void thePlanShowsInTheWidget() {
    const QImage shot = window->View()->grab().toImage();
    // The ruler's pale boxes, the grey margin and the white sheet are all there.
    QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(5, shot.height() - 5).red(),
             shot.pixelColor(5, shot.height() - 5).green());
    QVERIFY(shot.pixelColor(5, shot.height() - 5) != QColor(Qt::white));
  }

 private:
  MainWindow* window = nullptr;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
