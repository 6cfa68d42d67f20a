// The commands a planner expects on a selected product, on a real main window over the
// real engine: rotating from the Edit menu, the toolbar and the keys, moving with the
// arrow keys sent to the focused work window, duplicating with Ctrl+D, each undoable;
// the selection's handles; zoom to fit at several room sizes; the middle button
// dragging the view.
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QToolBar>
#include <filesystem>

#include "../support/bmp_writer.h"
#include "app_fixture.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// A catalogue number the shipped catalogue lacks; mounting 0 stands free.
constexpr int kTestProduct = 7001, kFreeStanding = 0, kNoTurn = 0;
// The test bitmap: 61 x 40 pixels, 30 x 20 cm, so a quarter turn shows in its outline.
constexpr int kProductWidth = 61, kProductHeight = 40;
// At 50 % a window pixel is one centimetre; the fixture's room (450 x 200 cm) spans
// about 115 to 565 across and 150 to 350 down, the product stands in its middle.
const QPoint kMiddle{300, 250};
const QPoint kEmptyFloor{450, 200};
// The room's inner left wall at 50 %, in window pixels.
constexpr int kInnerLeftWall = 115;
// The ruler band along the top and left of the work window, with a little to spare.
constexpr int kRulerBand = 30;
// Walls are drawn in a mid grey; the floor and the sheet around the room are white.
constexpr int kWallGrey = 128;

QRect Box(const QPolygon& outline) {
  return outline.boundingRect();
}

}  // namespace

class EditCommandsTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(SetUpProgram());
    QVERIFY(bitmaps.isValid());
    const std::filesystem::path dir = bitmaps.path().toStdString();
    WriteFile(dir / "basin-2.bmp", BasinBmp(kProductWidth, kProductHeight));
  }
  void init() { QVERIFY(window = OpenWindow({900, 640})); }
  void cleanup() { CloseWindow(); }

  void theRotateCommandsTurnTheSelectedProductAndUndoTakesEachBack() {
    DrawRoom();
    PlaceProduct(kMiddle);
    QVERIFY(!window->EditItem(kRotateRight)->isEnabled());
    QVERIFY(!window->ToolbarButton("rotateright")->isEnabled());
    Select(kMiddle);
    QVERIFY(window->EditItem(kRotateRight)->isEnabled());
    QVERIFY(window->ToolbarButton("rotateleft")->isEnabled());
    // The handles sit on the product's outline: wider than deep before the turn.
    const QRect before = Box(window->View()->SelectionOutline());
    QCOMPARE(window->View()->SelectionOutline().size(), 4);
    QVERIFY(before.width() > before.height());
    const int serial = Serial();

    window->EditItem(kRotateRight)->trigger();
    QCOMPARE(SelectedAngle(), 90);
    QCOMPARE(Serial(), serial + 1);
    const QRect turned = Box(window->View()->SelectionOutline());
    QVERIFY2(turned.height() > turned.width(), "still selected, now deeper than wide");
    QVERIFY(qAbs(turned.center().x() - before.center().x()) <= 1);

    // With Shift, by the key: a small step back.
    window->View()->setFocus();
    Press(window, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(SelectedAngle(), 75);
    // The toolbar's button, a quarter turn to the left: never a negative angle.
    QTest::mouseClick(Toolbar()->widgetForAction(window->ToolbarButton("rotateleft")),
                      Qt::LeftButton);
    QCOMPARE(SelectedAngle(), 345);
    QCOMPARE(Serial(), serial + 3);

    Press(window, Qt::Key_Z, Qt::ControlModifier);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(AngleAt(kMiddle), 90);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(AngleAt(kMiddle), 0);
  }

  void aProductAgainstTheWallTurnsToItsNextSide() {
    DrawRoom();
    // Mounting 1: its first side against the nearest wall, the bottom one here.
    const QPoint nearWall{300, 284};
    QCOMPARE(vCallTessel(TC_PutProduct, kTestProduct, 1, 32767, bitmaps.filePath("basin-2.bmp")),
             0L);
    QTest::mouseMove(window->View(), nearWall + QPoint(5, 5));
    QTest::mouseMove(window->View(), nearWall);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, nearWall);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    Select(nearWall);
    QVERIFY(ReadObjectData() == 0);
    QCOMPARE(Bridge().objectDataRead.p1 & kMountingBits, 1);
    window->EditItem(kRotateRight)->trigger();
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.p1 & kMountingBits, 2);
    window->EditItem(kRotateLeft)->trigger();
    window->EditItem(kRotateLeft)->trigger();
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.p1 & kMountingBits, 4);
  }

  void theArrowKeysMoveTheSelectedProductAndScrollOtherwise() {
    DrawRoom();
    PlaceProduct(kMiddle);
    Select(kMiddle);
    window->View()->setFocus();
    const QRect start = Box(window->View()->SelectionOutline());
    const int serial = Serial();

    // 1 cm, then 10 cm: one and ten window pixels at 50 %, one undo step each.
    Press(window, Qt::Key_Right);
    QCOMPARE(Box(window->View()->SelectionOutline()).topLeft(), start.topLeft() + QPoint(1, 0));
    Press(window, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Box(window->View()->SelectionOutline()).topLeft(), start.topLeft() + QPoint(1, 10));
    QCOMPARE(Serial(), serial + 2);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Serial(), serial + 1);
    QCOMPARE(KindAt(start.center() + QPoint(1, 10)), 0);
    QCOMPARE(KindAt(start.center() + QPoint(1, 0)), 12);

    // Against the wall the move is refused and said; the plan stays as it was.
    Select(start.center() + QPoint(1, 0));
    window->View()->setFocus();
    for (int i = 0; i < 30; ++i) Press(window, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(window->StatusMessage()->text(), GetCaption(7400));
    const QRect stopped = Box(window->View()->SelectionOutline());
    QVERIFY2(stopped.left() >= kInnerLeftWall, qPrintable(QString::number(stopped.left())));
    QVERIFY2(stopped.left() < kInnerLeftWall + 10, "it went as far as the wall allows");

    // With nothing selected the keys scroll the plan, as before.
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, kEmptyFloor);
    window->SetZoom(kZoom200);
    window->View()->setFocus();
    const int serialNow = Serial();
    const int bar = window->HorizontalBar()->value();
    Press(window, Qt::Key_Right);
    QVERIFY(window->HorizontalBar()->value() > bar);
    QCOMPARE(Serial(), serialNow);
  }

  void duplicateHangsACopyAtThePointerAndUndoRemovesIt() {
    DrawRoom();
    PlaceProduct(kMiddle);
    Select(kMiddle);
    QTest::mouseMove(window->View(), kEmptyFloor);
    Press(window, Qt::Key_D, Qt::ControlModifier);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 1);
    const QPoint spot = kEmptyFloor + QPoint(-20, 40);
    QTest::mouseMove(window->View(), spot);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, spot);
    QCOMPARE(KindAt(spot), 12);
    QCOMPARE(Bridge().objectDataRead.p0, kTestProduct);
    QCOMPARE(KindAt(kMiddle), 12);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(KindAt(spot), 0);
    QCOMPARE(KindAt(kMiddle), 12);
  }

  void theSelectionsHandlesAreInTheWorkWindowOnly() {
    DrawRoom();
    PlaceProduct(kMiddle);
    QTest::mouseMove(window->View(), kEmptyFloor);
    QTest::mouseMove(window->View(), kMiddle);
    QVERIFY2(window->View()->SelectionOutline().isEmpty(), "hovering is not selecting");
    const QImage hovered = window->View()->grab().toImage();
    Select(kMiddle);
    const QImage selected = window->View()->grab().toImage();
    QVERIFY(hovered != selected);
    // The engine's worksheet does not know about them: the exported picture is the same.
    QTemporaryDir dir;
    const QString a = dir.filePath("a.bmp"), b = dir.filePath("b.bmp");
    QCOMPARE(vCallTessel(TC_WorkSheetToBMP, 0, 0, 0, a), 0L);
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, kEmptyFloor);
    QVERIFY(window->View()->SelectionOutline().isEmpty());
    QCOMPARE(vCallTessel(TC_WorkSheetToBMP, 0, 0, 0, b), 0L);
    QFile fa(a), fb(b);
    QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
    QCOMPARE(fa.readAll(), fb.readAll());
  }

  void zoomToFitShowsTheWholeRoomAtTheLargestStep_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("depth");
    QTest::addColumn<QString>("zoom");
    // The window's plan area is about 770 x 470 pixels.
    QTest::newRow("450 x 200 cm") << "450"
                                  << "200"
                                  << "75 %";
    QTest::newRow("100 x 200 cm") << "100"
                                  << "200"
                                  << "100 %";
    QTest::newRow("60 x 60 cm") << "60"
                                << "60"
                                << "200 %";
  }
  void zoomToFitShowsTheWholeRoomAtTheLargestStep() {
    QFETCH(QString, width);
    QFETCH(QString, depth);
    QFETCH(QString, zoom);
    QTimer::singleShot(0, [width, depth] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->findChild<QLineEdit*>("Value0")->setText(width);
      dialog->findChild<QLineEdit*>("Value1")->setText(depth);
      dialog->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(window->Tool(kWallRectTool), Qt::LeftButton);
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    // Placed off centre, and looked at closely first: the command must find it.
    const QPoint at{380, 280};
    QTest::mouseMove(window->View(), at);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, at);
    window->SetZoom(kZoom400);
    Press(window, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(window->ZoomBox()->currentText(), zoom);
    QVERIFY2(WallsInsidePlanArea(), "the whole room is in view");
    window->ToolbarButton("zoomin")->trigger();
    QVERIFY2(!WallsInsidePlanArea(), "one step larger cuts the room");
    // The menu item does the same.
    window->SetZoom(kZoom400);
    window->ViewItem(kZoomToFit)->trigger();
    QCOMPARE(window->ZoomBox()->currentText(), zoom);
  }

  void theMiddleButtonDragsTheView() {
    DrawRoom();
    window->SetZoom(kZoom200);
    const int h = window->HorizontalBar()->value(), v = window->VerticalBar()->value();
    PlanView* view = window->View();
    QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(300, 300));
    QTest::mouseMove(view, QPoint(260, 280));
    QTest::mouseMove(view, QPoint(240, 270));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(240, 270));
    QCOMPARE(window->HorizontalBar()->value(), h + 60);
    QCOMPARE(window->VerticalBar()->value(), v + 30);
    QVERIFY2(!QApplication::activeModalWidget(), "the middle button edits nothing");
  }

 private:
  void PlaceProduct(QPoint at) {
    QCOMPARE(vCallTessel(TC_PutProduct, kTestProduct, kFreeStanding, kNoTurn,
                         bitmaps.filePath("basin-2.bmp")),
             0L);
    QTest::mouseMove(window->View(), at + QPoint(5, 5));
    QTest::mouseMove(window->View(), at);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, at);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
  }
  // A click on the object, as the user selects it.
  void Select(QPoint at) {
    QTest::mouseMove(window->View(), kEmptyFloor);
    QTest::mouseMove(window->View(), at);
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, at);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjSel, 1);
  }
  QToolBar* Toolbar() const { return window->findChild<QToolBar*>("Iconbar"); }
  int Serial() {
    ReadInfo();
    return Bridge().infoRecord.iSerial;
  }
  int SelectedAngle() {
    if (ReadObjectData() != 0) return -1;
    return Bridge().objectDataRead.p2;
  }
  // The kind under the pointer at `at`, with the selection let go first; 0 for none.
  int KindAt(QPoint at) {
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, kEmptyFloor + QPoint(0, -30));
    QTest::mouseMove(window->View(), kEmptyFloor + QPoint(0, -30));
    QTest::mouseMove(window->View(), at);
    if (ReadObjectData() != 0) return -1;
    return Bridge().objectDataRead.iKindCode;
  }
  int AngleAt(QPoint at) { return KindAt(at) == 12 ? Bridge().objectDataRead.p2 : -1; }
  // Whether every dark wall pixel lies inside the plan area with white around it.
  bool WallsInsidePlanArea() {
    const QImage shot = window->View()->grab().toImage();
    const QRect plan = shot.rect().adjusted(kRulerBand, kRulerBand, 0, 0);
    QRect dark;
    for (int y = plan.top(); y <= plan.bottom(); ++y)
      for (int x = plan.left(); x <= plan.right(); ++x)
        if (qGray(shot.pixel(x, y)) < kWallGrey) dark |= QRect(x, y, 1, 1);
    return !dark.isEmpty() && plan.adjusted(1, 1, -1, -1).contains(dark);
  }

  MainWindow* window = nullptr;
  QTemporaryDir bitmaps;
};

QTEST_MAIN(EditCommandsTest)
#include "test_edit_commands.moc"
