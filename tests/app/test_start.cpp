// The planner's start as a user meets it: the main window comes up with the recent
// files of the last run and the start-up hint, and a second planner is refused.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/startup.h"

using namespace tessel;

namespace {
QStringList shown;
int Remember(plat::HWND, const char* text, const char*, unsigned, void*) {
  shown << QString::fromLocal8Bit(text);
  return plat::IDOK;
}
}  // namespace

class StartTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    plat::SetMessageBoxHook(&Remember, nullptr);
    options.catalogueFile = QCoreApplication::applicationDirPath() + "/katalog/katalog.db";
    options.lockFolder = lockDir.path();
  }

  void thePlannerComesUpWithTheLastRunsFilesAndTheHint() {
    WriteSetting("RecentFiles", "File1", "/plans/first.tsd");
    WriteSetting("RecentFiles", "File3", "/plans/third.tsd");
    bool hinted = false;
    // The hint is the last step of the start; clearing its box switches it off.
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      QWidget* hint = QApplication::activeModalWidget();
      if (!hint) return;
      poll.stop();
      hinted = hint->objectName() == "frmStartuphelp";
      hint->findChild<QCheckBox*>("chkStartup")->setChecked(false);
      hint->findChild<QPushButton*>("cmdOK")->click();
    });
    poll.start(10);
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    QVERIFY(hinted);
    QCOMPARE(ReadSetting("Startup", "ShowHelp", "1"), QString("0"));
    QVERIFY(window->isVisible());
    QVERIFY(window->bInitialized);
    QVERIFY(Bridge().workWindowHandle != 0);
    QCOMPARE(window->ProjectItem(14)->text(), QString("/plans/first.tsd"));
    QVERIFY(window->ProjectItem(14)->isEnabled());
    QVERIFY(!window->ProjectItem(15)->isEnabled());  // the gap at 2 ends the list
    QVERIFY(!window->ProjectItem(16)->isEnabled());
    QVERIFY(QApplication::topLevelWidgets().size() >= 1);
    for (QWidget* w : QApplication::topLevelWidgets())
      QVERIFY(w->objectName() != "frmIntro" || !w->isVisible());
  }

  void aSecondPlannerIsRefused() {
    std::unique_ptr<MainWindow> second;
    shown.clear();
    // Another process holds the per-user lock.
    QCOMPARE(StartPlanner({"tessel32"}, options, &second), 0);
    QVERIFY(!second);
    QCOMPARE(shown, QStringList{"Es kann nur eine Instanz des Tessels laufen"});
    // The engine already has a main window.
    QTemporaryDir otherLock;
    StartOptions elsewhere = options;
    elsewhere.lockFolder = otherLock.path();
    shown.clear();
    QCOMPARE(StartPlanner({"tessel32"}, elsewhere, &second), 0);
    QVERIFY(!second);
    QCOMPARE(shown, QStringList{"Es kann nur eine Instanz des Tessels laufen"});
  }

 private:
  QTemporaryDir settingsDir, lockDir;
  StartOptions options;
  std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(StartTest)
#include "test_start.moc"
