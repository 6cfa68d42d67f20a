// The view as users of a desktop expect it: the wheel scrolls and, with Ctrl, zooms at
// the pointer; arrow and page keys and the scroll-bar arrows move by useful steps; laying
// the view out again never moves it; the dialogs start in a sensible folder; the status
// bar stays readable in the smallest window.
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>

#include "app_fixture.h"
#include "shell/settings.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

constexpr int kNotch = 120;

void Wheel(QWidget* view, QPoint at, QPoint angle, Qt::KeyboardModifiers modifiers = {}) {
  QWheelEvent event(at, view->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &event);
}

// The sheet point in the middle of the view, as the engine was last told.
QPointF Centre() {
  return {Bridge().viewCenterX, static_cast<double>(Bridge().viewCenterY)};
}

// Where the engine puts the cursor for a pointer at `at`.
QPoint EngineCursor(QWidget* view, QPoint at) {
  QTest::mouseMove(view, at);
  ReadInfo();
  return {Bridge().infoRecord.lCursorX, Bridge().infoRecord.lCursorY};
}

}  // namespace

class ViewTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() {
    QVERIFY(window = OpenWindow());
    window->SetZoom(kZoom200);  // both bars are needed
    QVERIFY(window->HorizontalBar()->isVisible() && window->VerticalBar()->isVisible());
  }
  void cleanup() { CloseWindow(); }

  void theWheelScrollsThePlan() {
    const int lines = QApplication::wheelScrollLines();
    const int down = window->VerticalBar()->value(), right = window->HorizontalBar()->value();
    const QPointF before = Centre();
    Wheel(window->View(), {300, 200}, {0, -kNotch});  // one notch towards the user
    QCOMPARE(window->VerticalBar()->value() - down, lines * kScrollStep);
    QCOMPARE(Centre().y() - before.y(), lines * kScrollStep / 2.0);  // at 200 %
    Wheel(window->View(), {300, 200}, {0, -kNotch}, Qt::ShiftModifier);
    QCOMPARE(window->HorizontalBar()->value() - right, lines * kScrollStep);
    // Half notches, as touchpads send them, add up to one.
    Wheel(window->View(), {300, 200}, {0, kNotch / 2});
    QCOMPARE(window->VerticalBar()->value() - down, lines * kScrollStep);
    Wheel(window->View(), {300, 200}, {0, kNotch / 2});
    QCOMPARE(window->VerticalBar()->value(), down);
  }

  void ctrlWheelZoomsAndKeepsThePointUnderThePointer() {
    window->SetZoom(kZoom100);
    const QPoint at(260, 190);
    const QPoint before = EngineCursor(window->View(), at);
    Wheel(window->View(), at, {0, kNotch}, Qt::ControlModifier);
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom150});
    QCOMPARE(window->ZoomBox()->currentText(), QString("150 %"));
    const QPoint after = EngineCursor(window->View(), at);
    // Within the rounding of one window pixel at either zoom, in half centimetres.
    QVERIFY2((after - before).manhattanLength() <= 4, qPrintable(QString("%1,%2 -> %3,%4")
                                                                     .arg(before.x())
                                                                     .arg(before.y())
                                                                     .arg(after.x())
                                                                     .arg(after.y())));
    for (int i = 0; i < 10; ++i) Wheel(window->View(), at, {0, kNotch}, Qt::ControlModifier);
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom400});  // the steps end where the box ends
    for (int i = 0; i < 10; ++i) Wheel(window->View(), at, {0, -kNotch}, Qt::ControlModifier);
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom50});
    QCOMPARE(Centre(), QPointF(kSheetWidth / 2, kSheetHeight / 2));  // the whole sheet fits
  }

  void keysAndScrollBarArrowsMoveByAStep() {
    QScrollBar* h = window->HorizontalBar();
    QScrollBar* v = window->VerticalBar();
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, {200, 200});  // the plan takes the keys
    const int x = h->value(), y = v->value();
    Press(window, Qt::Key_Right);
    QCOMPARE(h->value() - x, kScrollStep);
    Press(window, Qt::Key_Down);
    QCOMPARE(v->value() - y, kScrollStep);
    Press(window, Qt::Key_Up);
    QCOMPARE(v->value(), y);
    Press(window, Qt::Key_PageDown);
    QVERIFY(v->value() - y > window->View()->height() / 2);
    Press(window, Qt::Key_PageUp);
    QCOMPARE(v->value(), y);
    // The arrow at the right end of the bar.
    QTest::mouseClick(h, Qt::LeftButton, {}, {h->width() - 4, h->height() / 2});
    QCOMPARE(h->value() - x, 2 * kScrollStep);
  }

  void layingTheViewOutAgainNeverMovesIt() {
    window->HorizontalBar()->setValue(window->HorizontalBar()->value() + 101);
    window->VerticalBar()->setValue(window->VerticalBar()->value() + 57);
    const QPointF centre = Centre();
    for (int i = 0; i < 10; ++i) {
      window->resize(i % 2 ? 1000 : 990, i % 2 ? 700 : 690);
      QCoreApplication::processEvents();
    }
    QTRY_COMPARE(window->width(), 1000);
    QCOMPARE(Centre(), centre);
    window->ToolbarButton("zoomin")->trigger();
    window->ToolbarButton("zoomout")->trigger();
    QCOMPARE(Centre(), centre);
    window->ViewItem(kRuler)->trigger();
    window->ViewItem(kRuler)->trigger();
    QCOMPARE(Centre(), centre);
    DrawRoom({200, 200});
    window->ToolbarButton("design")->trigger();
    window->ToolbarButton("base")->trigger();
    QCOMPARE(Centre(), centre);
  }

  void fileDialogsStartInThePlansFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    nextFileName = QString();  // cancelled
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(lastFolder, QFileInfo(documents).isDir() ? documents : QDir::homePath());
    QVERIFY(QDir().mkpath(FilePath("plans")));
    nextFileName = FilePath("plans/first.tsd");
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(window->CurrentFile(), FilePath("plans/first.tsd"));
    nextFileName = QString();
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(lastFolder, FilePath("plans"));  // the current plan's folder
    window->ProjectItem(kNew)->trigger();
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(lastFolder, FilePath("plans"));  // the folder used last
    QCOMPARE(ReadSetting("Startup", "LastFolder", ""), FilePath("plans"));
  }

  void theStatusBarFitsTheSmallestWindow() {
    window->resize(window->minimumSize());
    QTRY_COMPARE(window->size(), window->minimumSize());
    QStatusBar* bar = window->statusBar();
    QVERIFY2(bar->minimumSizeHint().width() <= window->width(),
             qPrintable(QString::number(bar->minimumSizeHint().width())));
    for (const char* name : {"lblLeft", "lblTop", "sbMsg"}) {
      auto* label = bar->findChild<QLabel*>(name);
      QVERIFY(label && label->isVisible());
      QVERIFY(label->geometry().right() <= bar->width());
    }
    QTest::mouseMove(window->View(), {100, 100});
    auto* left = bar->findChild<QLabel*>("lblLeft");
    QVERIFY(left->width() >= left->fontMetrics().horizontalAdvance(left->text()));
  }

 private:
  MainWindow* window = nullptr;
};

QTEST_MAIN(ViewTest)
#include "test_view.moc"
