// Selecting, moving, deleting and editing placed objects with the mouse and the keys,
// on a real main window over the real engine: the pointer over an object highlights
// it, a click fixes the selection, a press and drag moves it, Delete removes it, the
// status bar describes a selected product, and a right click opens the object's
// dialog with its values and writes the changes back as one undoable step. Doors,
// windows and corners come from the toolbox through their dialogs.
#include <QLabel>
#include <QRadioButton>
#include <filesystem>

#include "../support/bmp_writer.h"
#include "app_fixture.h"
#include "catalogue/product_bar.h"
#include "shell/object_editing.h"

using namespace tessel;
using namespace tessel::testing;

Q_DECLARE_METATYPE(ObjectData)

namespace {

// The catalogue numbers the test bitmap is placed under: one the shipped catalogue
// lacks, and its 45 cm washbasin.
constexpr int kTestProduct = 7001, kCatalogueBasin = 100;
// Mounting 0 stands free, turned by the angle given; the engine reads the bitmap of
// the variant whose digit stands five places from the end of the name.
constexpr int kFreeStanding = 0, kNoTurn = 0;

// The ruler band along the top and left of the work window, with a little to spare.
constexpr int kRulerBand = 30;

// At 50 % a window pixel is one centimetre. The room the fixture draws at (300, 250) is
// 450 x 200 cm inside, from about 115 to 565 across and 150 to 350 down; the test
// product (61 x 40 pixels, 30 x 20 cm) stands in its middle.
const QPoint kMiddle{300, 250};
const QPoint kEmptyFloor{300, 180};
// An installation wall stands against the nearest room wall: dropped here, it sticks
// out from the left wall into the room, about 100 to 216 across and 243 to 258 down.
const QPoint kWallSpot{160, 250};
// Near the walls inside the room, and on the walls' bands (15 cm thick, outside).
const QPoint kBottomInside{300, 340}, kTopInside{400, 160}, kTopLeftInside{125, 160};
const QPoint kBottomWallBand{300, 357}, kTopWallBand{400, 142};

}  // namespace

class SelectionTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(SetUpProgram());
    QVERIFY(bitmaps.isValid());
    const std::filesystem::path dir = bitmaps.path().toStdString();
    WriteFile(dir / "basin-2.bmp", BasinBmp(61, 40));
  }
  void init() { QVERIFY(window = OpenWindow({900, 640})); }
  void cleanup() { CloseWindow(); }

  // ---- plain rules ----

  void eachKindIsEditedByItsToolsDialog_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("tool");
    QTest::addColumn<ObjectData>("written");  // from {kind, 1, 2, 3, tag, 4, 5} and 10, 20, 30, 40
    const auto row = [](int kind, int p0, int p1, int p2, int l0) {
      return ObjectData{kind, p0, p1, p2, 7, l0, 5};
    };
    QTest::newRow("nothing selected") << 0 << -1 << row(0, 1, 2, 3, 4);
    QTest::newRow("wall rectangle") << 3 << -1 << row(3, 1, 2, 3, 4);
    QTest::newRow("round corner") << 5 << -1 << row(5, 1, 2, 3, 4);
    QTest::newRow("door") << 6 << int{kDoorTool} << row(6, 10, 20, 30, 40);
    QTest::newRow("window") << 7 << int{kWindowTool} << row(7, 10, 20, 30, 40);
    QTest::newRow("installation wall") << 8 << int{kFreeWallTool} << row(8, 10, 20, 30, 4);
    QTest::newRow("user rectangle") << 9 << int{kUserRectTool} << row(9, 10, 20, 30, 4);
    QTest::newRow("user circle") << 10 << int{kUserCircleTool} << row(10, 10, 2, 3, 4);
    QTest::newRow("kind 11") << 11 << -1 << row(11, 1, 2, 3, 4);
    // Products have the product bar's dialogs.
    QTest::newRow("product") << 12 << -1 << row(12, 1, 2, 3, 4);
  }
  void eachKindIsEditedByItsToolsDialog() {
    QFETCH(int, kind);
    const EditPlan plan = EditPlanOf(kind);
    QTEST(plan.tool, "tool");
    DialogResults d;
    d.cancelled = false;
    d.value1 = 10, d.value2 = 20, d.value3 = 30, d.flags = 40;
    const ObjectData read{kind, 1, 2, 3, 7, 4, 5};
    const ObjectData o = plan.tool < 0 ? read : EditedObject(read, d, plan);
    QFETCH(ObjectData, written);
    QCOMPARE(std::vector<int>({o.iKindCode, o.p0, o.p1, o.p2, o.iSelection, o.l0, o.l1}),
             std::vector<int>({written.iKindCode, written.p0, written.p1, written.p2,
                               written.iSelection, written.l0, written.l1}));
  }

  // ---- the mouse and the keys on the window ----

  void anInstallationWallIsHighlightedSelectedMovedAndDeleted() {
    DrawRoom();
    PlaceWithTool(kFreeWallTool, kWallSpot);
    PlanView* view = window->View();

    // The pointer over the wall highlights it; over the bare floor nothing is.
    QTest::mouseMove(view, kEmptyFloor);
    QCOMPARE(KindUnderPointer(), 0);
    const QImage plain = PlanArea();
    QTest::mouseMove(view, kWallSpot);
    QCOMPARE(KindUnderPointer(), 8);
    // The highlight shows in the widget, and goes again with the pointer.
    QVERIFY(PlanArea() != plain);
    QTest::mouseMove(view, kEmptyFloor);
    QCOMPARE(PlanArea(), plain);
    QTest::mouseMove(view, kWallSpot);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjSel, 0);
    QVERIFY(!window->Tool(kDeleteTool)->isEnabled());

    // A click fixes the selection: the pointer leaving it no longer changes it, and
    // the delete tool can be used.
    QTest::mouseClick(view, Qt::LeftButton, {}, kWallSpot);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjSel, 1);
    QVERIFY(window->Tool(kDeleteTool)->isEnabled());
    QTest::mouseMove(view, kEmptyFloor);
    QCOMPARE(KindUnderPointer(), 8);

    // Press on it, drag it 50 cm down along its wall, let go: it stands there now,
    // and the whole move is one step back.
    QTest::mouseMove(view, kWallSpot);
    ReadInfo();
    const int serial = Bridge().infoRecord.iSerial;
    const QPoint moved = kWallSpot + QPoint(0, 50);
    DragTo(kWallSpot, moved);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    QVERIFY(Bridge().infoRecord.iSerial != serial);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    QCOMPARE(KindUnderPointer(), 0);
    QTest::mouseMove(view, moved);
    QCOMPARE(KindUnderPointer(), 8);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    QCOMPARE(KindUnderPointer(), 8);

    // Selected, the Delete key removes it and the delete tool is off again.
    QTest::mouseClick(view, Qt::LeftButton, {}, kWallSpot);
    Press(window, Qt::Key_Delete);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    QCOMPARE(KindUnderPointer(), 0);
    QVERIFY(!window->Tool(kDeleteTool)->isEnabled());
    QVERIFY(window->EditItem(kUndo)->isEnabled());
  }

  void aProductIsSelectedMovedAndDeletedWithTheDeleteTool() {
    DrawRoom();
    PlaceProduct(kMiddle);
    PlanView* view = window->View();
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kMiddle);
    QCOMPARE(KindUnderPointer(), 12);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iSelProdId, kTestProduct);

    const QPoint moved = kMiddle + QPoint(-60, 20);
    DragTo(kMiddle, moved);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kMiddle);
    QCOMPARE(KindUnderPointer(), 0);
    QTest::mouseMove(view, moved);
    QCOMPARE(KindUnderPointer(), 12);

    // Esc while dragging puts the product back where it stood.
    ReadInfo();
    const int serial = Bridge().infoRecord.iSerial;
    QTest::mousePress(view, Qt::LeftButton, {}, moved);
    QTest::mouseMove(view, moved + QPoint(2, 1));
    QTest::mouseMove(view, moved + QPoint(-40, -30));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 1);
    Press(window, Qt::Key_Escape);
    QTest::mouseRelease(view, Qt::LeftButton, {}, moved + QPoint(-40, -30));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    QCOMPARE(Bridge().infoRecord.iSerial, serial);
    QCOMPARE(Bridge().infoRecord.bRedoAvail, 0);
    QCOMPARE(KindUnderPointer(), 0);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, moved);
    QCOMPARE(KindUnderPointer(), 12);

    QTest::mouseClick(view, Qt::LeftButton, {}, moved);
    QVERIFY(window->Tool(kDeleteTool)->isEnabled());
    QTest::mouseClick(window->Tool(kDeleteTool), Qt::LeftButton);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, moved);
    QCOMPARE(KindUnderPointer(), 0);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iSelProdId, 0);
  }

  void theStatusBarShowsTheProductUnderThePointer() {
    DrawRoom();
    PlaceProduct(kMiddle, kCatalogueBasin);
    const QPoint unknown = kMiddle + QPoint(120, 0);
    PlaceProduct(unknown, kTestProduct);
    PlanView* view = window->View();
    auto label = [this](const char* name) { return window->findChild<QLabel*>(name); };
    QWidget* sizes = window->findChild<QWidget*>("SizeFrame");

    QTest::mouseMove(view, kEmptyFloor);
    QCOMPARE(window->StatusMessage()->text(), QString());
    QVERIFY(!sizes->isVisible());

    // The catalogue's line for the product: model number, series and name; its width
    // and depth, and no height, which the catalogue leaves empty for this basin.
    QTest::mouseMove(view, kMiddle);
    const QString line = window->StatusMessage()->text();
    QCOMPARE(line, window->Bar()->ProductDescription(kCatalogueBasin));
    QVERIFY(line.startsWith("101045    ") && line.endsWith("  -  Washbasin 45"));
    QVERIFY(sizes->isVisible());
    QCOMPARE(label("lblWidth")->text(), QString("45"));
    QVERIFY(label("lblWidth")->isVisible() && label("Label5")->isVisible());
    QCOMPARE(label("lblDepth")->text(), QString("36"));
    QVERIFY(label("lblDepth")->isVisible() && label("Label8")->isVisible());
    QVERIFY(!label("lblHeight")->isVisible() && !label("Label7")->isVisible());
    // The cursor boxes keep following the pointer in centimetres.
    ReadInfo();
    QCOMPARE(window->CursorLeft()->text(),
             QString::number(Bridge().infoRecord.lCursorX / 2.0, 'f', 1));

    // Fixed by a click, the selection stays described while the pointer moves on.
    QTest::mouseClick(view, Qt::LeftButton, {}, kMiddle);
    QTest::mouseMove(view, kEmptyFloor);
    QCOMPARE(window->StatusMessage()->text(), line);
    QTest::mouseClick(view, Qt::LeftButton, {}, kEmptyFloor);

    // A product the catalogue lacks reads "<>" and shows no sizes.
    QTest::mouseMove(view, unknown);
    QCOMPARE(KindUnderPointer(), 12);
    QCOMPARE(window->StatusMessage()->text(), QString("<>"));
    QVERIFY(!sizes->isVisible());
  }

  void aRightClickEditsAnInstallationWallAndUndoTakesItBack() {
    DrawRoom();
    PlaceWithTool(kFreeWallTool, kWallSpot);
    PlanView* view = window->View();
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    QCOMPARE(KindUnderPointer(), 8);

    // The dialog shows the wall as it stands; it is made 200 cm long.
    QStringList shown;
    AnswerNextDialog([&](QDialog* dialog) {
      shown << dialog->objectName() << dialog->windowTitle() << Text(dialog, "Value0")
            << Text(dialog, "Value1") << Text(dialog, "Value3");
      dialog->findChild<QLineEdit*>("Value0")->setText("200");
      return true;
    });
    QTest::mouseClick(view, Qt::RightButton, {}, kWallSpot);
    QCOMPARE(shown, (QStringList{"frmRectangle", GetCaption(kToolCaptionBase + kFreeWallTool),
                                 "116", "15", "0"}));
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 8);
    QCOMPARE(Bridge().objectDataRead.p0, 200);
    QCOMPARE(Bridge().objectDataRead.p1, 15);
    QCOMPARE(Bridge().objectDataRead.p2, 0);
    QVERIFY(window->EditItem(kUndo)->isEnabled());

    // Longer, the wall now reaches 100 cm further into the room.
    const QPoint further = kWallSpot + QPoint(100, 0);
    QTest::mouseMove(view, further);
    QCOMPARE(KindUnderPointer(), 8);

    // One Ctrl+Z gives the wall back as it was; the wall itself stays.
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kWallSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 8);
    QCOMPARE(Bridge().objectDataRead.p0, 116);
    QTest::mouseMove(view, further);
    QCOMPARE(KindUnderPointer(), 0);
    QTest::mouseMove(view, kWallSpot);

    // Cancelled, the dialog changes nothing and adds no step.
    ReadInfo();
    const int serial = Bridge().infoRecord.iSerial;
    AnswerNextDialog([](QDialog* dialog) {
      dialog->findChild<QLineEdit*>("Value0")->setText("300");
      return false;
    });
    QTest::mouseClick(view, Qt::RightButton, {}, kWallSpot);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iSerial, serial);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.p0, 116);
  }

  void doorsWindowsAndCornersArePlacedFromTheToolboxAndADoorIsEdited() {
    DrawRoom();
    PlanView* view = window->View();
    // The room parts are offered once there are walls.
    for (int tool : {kDoorTool, kWindowTool, kDiagonalCornerTool, kRoundCornerTool})
      QVERIFY(window->Tool(tool)->isEnabled());

    // Each dialog confirmed as it comes; each part snaps to the wall nearest the drop:
    // the door into the bottom wall, the window into the top one, a corner cut off at
    // the top left.
    PlaceWithTool(kDoorTool, kBottomInside);
    PlaceWithTool(kWindowTool, kTopInside);
    ReadInfo();
    const int serial = Bridge().infoRecord.iSerial;
    PlaceWithTool(kDiagonalCornerTool, kTopLeftInside);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    QVERIFY(Bridge().infoRecord.iSerial != serial);
    QVERIFY(Messages::Shown().isEmpty());

    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kTopWallBand);
    QCOMPARE(KindUnderPointer(), 7);
    QTest::mouseMove(view, kBottomWallBand);
    QCOMPARE(KindUnderPointer(), 6);

    // A right click on the door shows it as placed: 80 cm, swinging 90 degrees, hinged
    // left and opening outwards, placed freely. It is made 100 cm wide, opening inwards.
    QStringList shown;
    AnswerNextDialog([&](QDialog* dialog) {
      shown << dialog->objectName() << dialog->windowTitle() << Text(dialog, "Value0")
            << Text(dialog, "Value1");
      shown << Checked(dialog, "optMount0") << Checked(dialog, "optPlace1");
      dialog->findChild<QLineEdit*>("Value0")->setText("100");
      dialog->findChild<QRadioButton*>("optMount1")->setChecked(true);
      return true;
    });
    QTest::mouseClick(view, Qt::RightButton, {}, kBottomWallBand);
    QCOMPARE(shown, (QStringList{"frmDoor", GetCaption(kToolCaptionBase + kDoorTool), "80", "90",
                                 "checked", "checked"}));
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kBottomWallBand);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 6);
    QCOMPARE(Bridge().objectDataRead.p0, 100);
    QCOMPARE(Bridge().objectDataRead.p1, 90);
    QCOMPARE(Bridge().objectDataRead.p2, int{kFreePlacement});
    QCOMPARE(Bridge().objectDataRead.l0, 1);

    // Ctrl+Z takes the edit back in one step: the door is as it was, and still there.
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, kBottomWallBand);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 6);
    QCOMPARE(Bridge().objectDataRead.p0, 80);
    QCOMPARE(Bridge().objectDataRead.l0, 0);
  }

  void userRectanglesAndCirclesAreEditedWithTheirOwnDialogs() {
    DrawRoom();
    PlanView* view = window->View();
    // Away from where the room was dropped, where the engine last saw the pointer.
    const QPoint rectSpot{250, 260};
    const QPoint circleSpot = QPoint(450, 250);
    PlaceWithTool(kUserRectTool, rectSpot);
    PlaceWithTool(kUserCircleTool, circleSpot);

    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, rectSpot);
    QCOMPARE(KindUnderPointer(), 9);
    QStringList shown;
    AnswerNextDialog([&](QDialog* dialog) {
      shown << dialog->objectName() << dialog->windowTitle() << Text(dialog, "Value0")
            << Text(dialog, "Value1") << Text(dialog, "Value3");
      dialog->findChild<QLineEdit*>("Value3")->setText("45");
      return true;
    });
    QTest::mouseClick(view, Qt::RightButton, {}, rectSpot);
    QCOMPARE(shown, (QStringList{"frmRectangle", GetCaption(kToolCaptionBase + kUserRectTool), "80",
                                 "80", "0"}));
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, rectSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 9);
    QCOMPARE(Bridge().objectDataRead.p2, 45);

    QTest::mouseMove(view, circleSpot);
    QCOMPARE(KindUnderPointer(), 10);
    shown.clear();
    AnswerNextDialog([&](QDialog* dialog) {
      shown << dialog->objectName() << dialog->windowTitle() << Text(dialog, "Value0");
      dialog->findChild<QLineEdit*>("Value0")->setText("120");
      return true;
    });
    QTest::mouseClick(view, Qt::RightButton, {}, circleSpot);
    QCOMPARE(shown,
             (QStringList{"frmCircle", GetCaption(kToolCaptionBase + kUserCircleTool), "80"}));
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, circleSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 10);
    QCOMPARE(Bridge().objectDataRead.p0, 120);

    // Each edit is one step: two undos give back both as they were placed.
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseMove(view, kEmptyFloor);
    QTest::mouseMove(view, circleSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.p0, 80);
    QTest::mouseMove(view, rectSpot);
    ReadObjectData();
    QCOMPARE(Bridge().objectDataRead.iKindCode, 9);
    QCOMPARE(Bridge().objectDataRead.p2, 0);
  }

  void aDoorWiderThanEveryWallIsRefusedWithTheEnginesText() {
    DrawRoom();
    ConfirmNextDialog("600");
    QTest::mouseClick(window->Tool(kDoorTool), Qt::LeftButton);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
    QCOMPARE(Messages::Shown().size(), 1);
    QString caption, text;
    QVERIFY(GetError(ErrorNumberOf(TR_PlacementFailed), &caption, &text));
    QVERIFY(Messages::Shown().front().endsWith(text));
  }

  void aRightClickOverTheBareFloorOpensNothing() {
    DrawRoom();
    QTest::mouseMove(window->View(), kEmptyFloor);
    QTest::mouseClick(window->View(), Qt::RightButton, {}, kEmptyFloor);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(Messages::Shown().isEmpty());
  }

 private:
  // The kind of the object the engine has highlighted or selected; 0 for none.
  int KindUnderPointer() {
    if (ReadObjectData() != 0) return -1;
    return Bridge().objectDataRead.iKindCode;
  }

  // The work window without its rulers, where the pointer's marker runs.
  QImage PlanArea() const {
    const QImage shot = window->View()->grab().toImage();
    return shot.copy(shot.rect().adjusted(kRulerBand, kRulerBand, 0, 0));
  }

  // A press, a drag with the left button held and a release, as a hand makes them:
  // the first step of the drag lifts the object, the release drops it.
  void DragTo(QPoint from, QPoint to) {
    PlanView* view = window->View();
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    // The first step stays on the object, which is where the engine picks it up.
    QTest::mouseMove(view, from + QPoint(2, 1));
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(view, from + (to - from) * step / 4);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  }

  // The test bitmap hung at the pointer under a catalogue number, as the product bar
  // hangs a product, and dropped at `at`.
  void PlaceProduct(QPoint at, int number = kTestProduct) {
    const QString path = bitmaps.filePath("basin-2.bmp");
    QCOMPARE(vCallTessel(TC_PutProduct, number, kFreeStanding, kNoTurn, path), 0L);
    // The product hangs where the engine last saw the pointer, which the room's drop
    // moved; the pointer's way to the spot brings it along.
    QTest::mouseMove(window->View(), at + QPoint(5, 5));
    QTest::mouseMove(window->View(), at);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, at);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
  }

  // Answers the modal dialog the next step opens: OK when `answer` says so, else Cancel.
  static void AnswerNextDialog(std::function<bool(QDialog*)> answer) {
    QTimer::singleShot(0, [answer] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      const bool ok = answer(dialog);
      dialog->findChild<QPushButton*>(ok ? "cmdOK" : "cmdCancel")->click();
    });
  }
  static QString Checked(QDialog* dialog, const char* name) {
    return dialog->findChild<QRadioButton*>(name)->isChecked() ? "checked" : "not checked";
  }
  static QString Text(QDialog* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(name)->text();
  }

  MainWindow* window = nullptr;
  QTemporaryDir bitmaps;
};

QTEST_MAIN(SelectionTest)
#include "test_selection.moc"
