// What the planner remembers from one start to the next, each case a planner started,
// used as a user would, ended through its Exit command and started again: the recent
// files, the window's place and size, the zoom step, ruler and dimension lines, the
// language, the plan check's setting. Values that do not fit the screen bring the window back onto
// it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "check/check_window.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/remembered.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "start_fixture.h"

using namespace tessel;

namespace {

QStringList& shown = testing::ShownTexts();

const char kPlan[] =
    "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n";

}  // namespace

class RememberTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    testing::UseOwnSettings(settingsDir);
    QVERIFY(plansDir.isValid());
  }
  void init() { testing::FirstRunSettings(); }
  void cleanup() { End(); }

  // A plan that has gone leaves the menu, and stays gone at the next start; a name the
  // settings hold twice is shown once.
  void theRecentListAcrossTwoStartsWithAMissingFile() {
    const QString there = WritePlan("there.tsd");
    const QString gone = plansDir.filePath("gone.tsd");
    WriteSetting("RecentFiles", "File1", there);
    WriteSetting("RecentFiles", "File2", gone);
    WriteSetting("RecentFiles", "File3", there);
    Start({"tessel32"});
    QCOMPARE(window->ProjectItem(kRecent1)->text(), there);
    QCOMPARE(window->ProjectItem(kRecent1 + 1)->text(), gone);
    QVERIFY(!window->ProjectItem(kRecent1 + 2)->isEnabled());
    window->ProjectItem(kRecent1 + 1)->trigger();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].contains(gone));
    QVERIFY(!window->ProjectItem(kRecent1 + 1)->isEnabled());
    Exit();
    Start({"tessel32"});
    QCOMPARE(window->ProjectItem(kRecent1)->text(), there);
    QVERIFY(!window->ProjectItem(kRecent1 + 1)->isEnabled());
    Exit();
    Start({"tessel32"});
    QVERIFY(!window->ProjectItem(kRecent1 + 1)->isEnabled());
  }

  void theWindowZoomSwitchesAndLanguageComeBackAfterARestart() {
    Start({"tessel32", "-D"});
    QCOMPARE(GetCaption(1401), QString("&Neu"));
    const QRect place(60, 40, 620, 520);
    window->setGeometry(place);
    QCoreApplication::processEvents();
    window->ToolbarButton("zoomin")->trigger();
    window->ToolbarButton("zoomin")->trigger();
    const int zoom = Bridge().zoomIndex;
    QCOMPARE(zoom, int{kZoom100});
    window->ViewItem(kRuler)->trigger();
    window->ViewItem(kMeasurement)->trigger();
    const QRect left = window->geometry();
    Exit();
    Start({"tessel32"});
    QCOMPARE(GetCaption(1401), QString("&Neu"));
    QCOMPARE(window->geometry(), left);
    QCOMPARE(int{Bridge().zoomIndex}, zoom);
    QCOMPARE(window->ZoomBox()->currentIndex(), zoom - kFirstUserZoom);
    QVERIFY(!window->ViewItem(kRuler)->isChecked());
    QVERIFY(window->ViewItem(kMeasurement)->isChecked());
  }

  // The setting chosen in the plan check is the one the next start checks for; a word
  // the planner never wrote is a private bathroom.
  void theFreeAreaSettingComesBackAfterARestart() {
    Start({"tessel32"});
    window->ProjectItem(kCheckPlan)->trigger();
    QCOMPARE(window->PlanCheck()->Setting()->currentIndex(), 0);
    window->PlanCheck()->Setting()->setCurrentIndex(2);
    Exit();
    Start({"tessel32"});
    window->ProjectItem(kCheckPlan)->trigger();
    QCOMPARE(window->PlanCheck()->Setting()->currentIndex(), 2);
    QCOMPARE(window->PlanCheck()->Setting()->currentText(), QString("Wheelchair user"));
    End();
    WriteSetting("Check", "FreeAreaSetting", "Sauna");
    Start({"tessel32"});
    window->ProjectItem(kCheckPlan)->trigger();
    QCOMPARE(window->PlanCheck()->Setting()->currentIndex(), 0);
  }

  void aWindowLargerThanTheScreenOrOffItComesBackOnScreen() {
    WriteSetting("Window", "Left", "5000");
    WriteSetting("Window", "Top", "-3000");
    WriteSetting("Window", "Width", "9000");
    WriteSetting("Window", "Height", "9000");
    WriteSetting("Window", "Zoom", "77");
    WriteSetting("Window", "Ruler", "maybe");
    Start({"tessel32"});
    const QRect screen = window->screen()->availableGeometry();
    // The whole window, its frame included, where the user can reach it.
    QVERIFY(screen.contains(window->frameGeometry()));
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom50});
    QVERIFY(window->ViewItem(kRuler)->isChecked());
  }

  void aSavedPlaceIsFittedToTheScreen_data() {
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QRect>("fitted");
    const QRect screen(0, 0, 1280, 1024);
    QTest::newRow("inside stays") << QRect(100, 80, 800, 600) << QRect(100, 80, 800, 600);
    QTest::newRow("off the right") << QRect(1200, 80, 800, 600) << QRect(480, 80, 800, 600);
    QTest::newRow("above the top") << QRect(100, -500, 800, 600) << QRect(100, 0, 800, 600);
    QTest::newRow("larger than the screen") << QRect(-50, -50, 3000, 2000) << screen;
    QTest::newRow("smaller than the minimum") << QRect(10, 10, 100, 100) << QRect(10, 10, 400, 500);
    QTest::newRow("never saved") << QRect() << QRect();
  }

  void aSavedPlaceIsFittedToTheScreen() {
    QFETCH(QRect, saved);
    QFETCH(QRect, fitted);
    QCOMPARE(FitOnScreen(saved, QRect(0, 0, 1280, 1024), QSize(400, 500)), fitted);
  }

 private:
  QString WritePlan(const QString& name) {
    const QString path = plansDir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(kPlan);
    return path;
  }

  void Start(const QStringList& arguments) {
    End();
    // The last start's lock lives on in this process: each start takes a folder of its own.
    lockDir = std::make_unique<QTemporaryDir>();
    options = testing::QuietStart(*lockDir);
    QCOMPARE(StartPlanner(arguments, options, &window), 0);
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  // Ends the planner as the user does, through its Exit command.
  void Exit() {
    window->ProjectItem(kExit)->trigger();
    QVERIFY(!window->isVisible());
    Forget();
  }

  // The engine outlives the window: switches the window turned off go back on.
  void End() {
    if (!window) return;
    window->QuitRequested = true;
    Forget();
  }
  void Forget() {
    if (!window->ViewItem(kRuler)->isChecked()) window->ViewItem(kRuler)->trigger();
    if (window->ViewItem(kMeasurement)->isChecked()) window->ViewItem(kMeasurement)->trigger();
    window.reset();
    CloseLanguage();
  }

  QTemporaryDir settingsDir, plansDir;
  std::unique_ptr<QTemporaryDir> lockDir;
  StartOptions options;
  std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(RememberTest)
#include "test_remember.moc"
