// One planner per desktop: a second start of the real program, in a process of its own,
// hands its plan to the planner already running (this test's) and ends with 0; the
// running planner opens the plan and comes to the front. A running planner that cannot
// be reached still refuses the second start with its sentence.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "language/language.h"
#include "platform/window.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/startup.h"
#include "start_fixture.h"

using namespace tessel;

namespace {

QStringList& shown = testing::ShownTexts();

// Long enough for a loaded machine to start the program; a refusal would hang longer.
constexpr int kStartTimeoutMs = 30000;

}  // namespace

class ForwardTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { testing::UseOwnSettings(settingsDir); }
  void init() {
    runtimeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(runtimeDir->isValid());
    QFile::setPermissions(runtimeDir->path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    options = testing::QuietStart(*runtimeDir);
    testing::FirstRunSettings();
  }
  void cleanup() { testing::EndPlanner(window); }

  void aSecondStartHandsItsPlanToTheRunningPlanner() {
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    const QString plan = SavedPlan("bath.tsd");
    QVERIFY(window->CurrentFile().isEmpty());

    // Typed without its ending, as from a terminal in the plan's folder.
    QProcess second;
    Start(second, {plan.chopped(4)});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, kStartTimeoutMs);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(window->CurrentFile(), plan);
    QCOMPARE(window->ProjectItem(kRecent1)->text(), plan);
    QVERIFY(window->isVisible() && !window->isMinimized());
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));

    // Without a plan the running planner is only brought forward.
    window->showMinimized();
    QProcess third;
    Start(third, {});
    QTRY_VERIFY_WITH_TIMEOUT(third.state() == QProcess::NotRunning, kStartTimeoutMs);
    QCOMPARE(third.exitCode(), 0);
    QTRY_VERIFY(!window->isMinimized());
    QCOMPARE(window->CurrentFile(), plan);
  }

  void aPlanHandedOverWhileADialogIsOpenWaitsForIt() {
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    const QString plan = SavedPlan("later.tsd");
    QDialog dialog(window.get());
    dialog.setModal(true);
    dialog.show();
    QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
    QVERIFY(ForwardToRunningPlannerInBackground(plan));
    QTest::qWait(500);
    QVERIFY(window->CurrentFile().isEmpty());
    dialog.close();
    QTRY_COMPARE(window->CurrentFile(), plan);
  }

  void plansThatComeWhileThePlannerStartsWaitForIt() {
    PlanReceiver receiver;
    QVERIFY(receiver.Listen(runtimeDir->path()));
    QVERIFY(ForwardToRunningPlannerInBackground("/plans/first.tsd"));
    QVERIFY(ForwardToRunningPlannerInBackground(""));
    QStringList opened;
    receiver.SetHandler([&opened](const QString& plan) { opened << plan; });
    QCOMPARE(opened, (QStringList{"/plans/first.tsd", ""}));
    QVERIFY(ForwardToRunningPlannerInBackground("/plans/second.tsd"));
    QCOMPARE(opened.last(), QString("/plans/second.tsd"));
  }

  void onlyAnUnreachablePlannerRefusesTheSecondStart() {
    // A planner holds the lock but has no socket (an older one, or one that hangs).
    InstanceLock held(runtimeDir->path());
    QVERIFY(held.Held());
    QVERIFY(!QFile::exists(ForwardingSocketName(runtimeDir->path())));
    QCOMPARE(StartPlanner({"tessel32", SavedPlanWithoutWindow("x.tsd")}, options, &window), 0);
    QVERIFY(!window);
    QCOMPARE(shown, QStringList{GetCaption(5062)});
  }

  void requestsThatAreNotOursAreDropped() {
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    for (const QByteArray& request :
         {QByteArray("open relative.tsd\n"), QByteArray("format c:\n"), QByteArray(5000, 'x')}) {
      QLocalSocket socket;
      socket.connectToServer(ForwardingSocketName(runtimeDir->path()));
      QVERIFY(socket.waitForConnected(1000));
      socket.write(request);
      socket.flush();
      QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
      QVERIFY(!socket.canReadLine());
    }
    QVERIFY(window->CurrentFile().isEmpty());
  }

 private:
  // The real program, as a file manager or a terminal starts it, for this user.
  void Start(QProcess& process, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimeDir->path());
    env.insert("XDG_CONFIG_HOME", settingsDir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setProgram(QCoreApplication::applicationDirPath() + "/tessel32");
    process.setArguments(arguments);
    process.start();
    QVERIFY(process.waitForStarted());
  }
  // An empty plan saved by the running planner, which then starts a new one.
  QString SavedPlan(const QString& name) {
    const QString plan = plansDir.filePath(name);
    if (!window->SaveProject(plan)) return QString();
    window->NewProject();
    return plan;
  }
  QString SavedPlanWithoutWindow(const QString& name) { return plansDir.filePath(name); }
  // The second start's side of it, from a thread of its own so that this planner's
  // event loop can answer.
  bool ForwardToRunningPlannerInBackground(const QString& plan) {
    bool taken = false;
    QThread* thread = QThread::create(
        [&] { taken = ForwardToRunningPlanner(runtimeDir->path(), plan, kStartTimeoutMs); });
    thread->start();
    while (!thread->wait(10)) QCoreApplication::processEvents();
    delete thread;
    return taken;
  }

  QTemporaryDir settingsDir, plansDir;
  std::unique_ptr<QTemporaryDir> runtimeDir;
  StartOptions options;
  std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(ForwardTest)
#include "test_forward.moc"
