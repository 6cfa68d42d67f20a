// The planner's start as a user meets it: the main window comes up with the recent
// files of the last run and the start-up hint; a plan named on the command line opens;
// options and language letters; a second planner is refused, and a lock that cannot be
// made is reported without keeping the user from planning. Each case starts a planner
// of its own and ends it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/catalogue.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "start_fixture.h"

using namespace tessel;

namespace {

QStringList& shown = testing::ShownTexts();

// Closes the start-up hint once it shows, clearing its box when asked to.
void AnswerTheHint(bool* hinted, bool switchOff = false) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, hinted, switchOff] {
    QWidget* hint = QApplication::activeModalWidget();
    if (!hint) return;
    poll->stop();
    poll->deleteLater();
    *hinted = hint->objectName() == "frmStartuphelp";
    if (switchOff) hint->findChild<QCheckBox*>("chkStartup")->setChecked(false);
    hint->findChild<QPushButton*>("cmdOK")->click();
  });
  poll->start(10);
}

const char kPlan[] =
    "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n";

}  // namespace

class StartTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { testing::UseOwnSettings(settingsDir); }
  void init() {
    lockDir = std::make_unique<QTemporaryDir>();
    QVERIFY(lockDir->isValid());
    options = testing::QuietStart(*lockDir);
    testing::FirstRunSettings();
  }
  void cleanup() { testing::EndPlanner(window); }

  void thePlannerComesUpWithTheLastRunsFilesAndTheHint() {
    WriteSetting("Startup", "ShowHelp", "1");
    WriteSetting("RecentFiles", "File1", "/plans/first.tsd");
    WriteSetting("RecentFiles", "File3", "/plans/third.tsd");
    bool hinted = false;
    AnswerTheHint(&hinted, true);
    options.showSplash = true;
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    QVERIFY(hinted);
    QCOMPARE(ReadSetting("Startup", "ShowHelp", "1"), QString("0"));
    QVERIFY(window->isVisible());
    QVERIFY(window->bInitialized);
    QVERIFY(Bridge().workWindowHandle != 0);
    QCOMPARE(window->ProjectItem(kRecent1)->text(), QString("/plans/first.tsd"));
    QVERIFY(window->ProjectItem(kRecent1)->isEnabled());
    QVERIFY(!window->ProjectItem(kRecent1 + 1)->isEnabled());  // the gap at 2 ends the list
    for (QWidget* w : QApplication::topLevelWidgets())
      QVERIFY(w->objectName() != "frmIntro" || !w->isVisible());
    QCOMPARE(GetCaption(1401), QString("&New"));
  }

  void aPlanOnTheCommandLineOpensAsFromTheOpenDialog() {
    QVERIFY(plansDir.isValid());
    const QString plan = plansDir.filePath("bath.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kPlan);
    f.close();
    // What a file manager runs: the language stays the setting's, not the "d" of ".tsd".
    QCOMPARE(StartPlanner({"tessel32", plan}, options, &window), 0);
    QVERIFY(window);
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));
    QCOMPARE(GetCaption(1401), QString("&New"));
    QCOMPARE(window->CurrentFile(), plan);
    QCOMPARE(window->WorkMode(), kDesignMode);
    QCOMPARE(window->ProjectItem(kRecent1)->text(), plan);
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);
  }

  void aPlanThatIsNotThereIsReportedInTheChosenLanguage() {
    const QString missing = plansDir.filePath("gone/bath.tsd");
    QCOMPARE(StartPlanner({"tessel32", missing}, options, &window), 0);
    QVERIFY(window);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(missing), qPrintable(shown[0]));
    QCOMPARE(GetCaption(1401), QString("&New"));
    QCOMPARE(window->CurrentFile(), QString());
    QCOMPARE(window->WorkMode(), kLayoutMode);
  }

  void aLanguageLetterStillChoosesTheLanguage() {
    QCOMPARE(StartPlanner({"tessel32", "-D"}, options, &window), 0);
    QVERIFY(window);
    QCOMPARE(GetCaption(1401), QString("&Neu"));
    QCOMPARE(window->ProjectItem(kNew)->text(), QString("&Neu"));
  }

  void aLetterWithoutTextsFallsBackToEnglish() {
    QCOMPARE(StartPlanner({"tessel32", "-X"}, options, &window), 0);
    QVERIFY(window);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains("\"X\"") && shown[0].contains("English"), qPrintable(shown[0]));
    QCOMPARE(window->ProjectItem(kNew)->text(), QString("&New"));
  }

  void optionsAreTheProgramsAndUnknownOnesAreRefused() {
    QCOMPARE(StartPlanner({"tessel32", "--no-such-option"}, options, &window), 2);
    QVERIFY(!window);
    QVERIFY(shown.isEmpty());  // said on the terminal, not in a box
    QCOMPARE(StartPlanner({"tessel32", "--help"}, options, &window), 0);
    QVERIFY(!window);
  }

  void aLockThatCannotBeMadeIsReportedAndThePlannerStarts() {
    // A folder below a regular file cannot exist, whoever runs the test.
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    options.lockFolder = blocker.fileName() + "/runtime";
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(blocker.fileName() + "/runtime") &&
                 shown[0].contains("could not be created"),
             qPrintable(shown[0]));
    QVERIFY(!shown[0].contains("Instanz"));
  }

  // A plan on the command line that is a FIFO is refused at once with a message; the
  // planner comes up with an empty plan.
  void aFifoOnTheCommandLineIsRefusedAtOnce() {
    QVERIFY(plansDir.isValid());
    const QString fifo = plansDir.filePath("pipe.tsd");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 || errno == EEXIST);
    QCOMPARE(StartPlanner({"tessel32", fifo}, options, &window), 0);
    QVERIFY(window);
    QCOMPARE(shown, QStringList{GetCaption(7100).arg(fifo)});
    QCOMPARE(window->CurrentFile(), QString());
    QCOMPARE(window->WorkMode(), kLayoutMode);
  }

  // What a file manager hands over for a plan with a Latin-1 name: its bytes, which the
  // program keeps as they are (main reads them so).
  void aPlanWithALatin1NameOpensFromTheCommandLine() {
    const QByteArray bytes = QFile::encodeName(plansDir.filePath("b")) +
                             "\xe4"
                             "d.tsd";
    const auto remove = qScopeGuard([&bytes] { ::unlink(bytes.constData()); });
    const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, kPlan, sizeof kPlan - 1), static_cast<ssize_t>(sizeof kPlan - 1));
    ::close(fd);
    QCOMPARE(StartPlanner({"tessel32", FileNameFromBytes(bytes)}, options, &window), 0);
    QVERIFY(window);
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));
    QCOMPARE(FileNameBytes(window->CurrentFile()), bytes);
    QCOMPARE(window->WorkMode(), kDesignMode);
  }

  // Another program holds the catalogue locked: the planner waits a little, then says
  // the catalogue is in use, naming it, and never asks for a reinstall.
  void aLockedCatalogueIsNamedAsInUse() {
    const QString copy = plansDir.filePath("katalog.db");
    QFile::remove(copy);
    QVERIFY(QFile::copy(options.catalogueFile, copy));
    options.catalogueFile = copy;
    {
      QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
      holder.setDatabaseName(copy);
      QVERIFY(holder.open());
      QSqlQuery lock(holder);
      QVERIFY2(lock.exec("BEGIN EXCLUSIVE"), qPrintable(lock.lastError().text()));
      QElapsedTimer clock;
      clock.start();
      QCOMPARE(StartPlanner({"tessel32", "-D"}, options, &window), 1);
      QVERIFY(!window);
      QVERIFY(clock.elapsed() >= kCatalogueBusyMilliseconds * 9 / 10);
      QCOMPARE(shown, QStringList{CatalogueInUseText(copy, "D")});
      QVERIFY(shown[0].contains(copy) && shown[0].contains("gesperrt"));
      QVERIFY(!shown[0].contains("reinstall"));
      // The product bar's catalogue and the product list say the same.
      Catalogue catalogue;
      QString why;
      QCOMPARE(catalogue.Open(copy, "", &why), CatalogueState::kBusy);
      QCOMPARE(why, CatalogueInUseText(copy, ""));
      QVERIFY(lock.exec("ROLLBACK"));
      holder.close();
    }
    QSqlDatabase::removeDatabase("holder");
    // A lock held for a moment is waited for: the planner starts once it is let go.
    QProcess other;
    other.start("sqlite3", {copy});
    if (!other.waitForStarted()) QSKIP("sqlite3 missing");
    other.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n.shell sleep 1\nROLLBACK;\n.quit\n");
    QVERIFY(other.waitForReadyRead(10000));
    QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("locked"));
    shown.clear();
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));
    other.waitForFinished();
  }

  void aSecondPlannerIsRefused() {
    QCOMPARE(StartPlanner({"tessel32"}, options, &window), 0);
    QVERIFY(window);
    std::unique_ptr<MainWindow> second;
    // Another planner holds the per-user lock.
    QCOMPARE(StartPlanner({"tessel32"}, options, &second), 0);
    QVERIFY(!second);
    QCOMPARE(shown, QStringList{GetCaption(5062)});
    // The engine already has a main window.
    QTemporaryDir otherLock;
    StartOptions elsewhere = options;
    elsewhere.lockFolder = otherLock.path();
    shown.clear();
    QCOMPARE(StartPlanner({"tessel32"}, elsewhere, &second), 0);
    QVERIFY(!second);
    QCOMPARE(shown, QStringList{GetCaption(5062)});
    // In German the refusal reads as a German user would say it.
    QVERIFY(OpenLanguage("D", options.catalogueFile));
    QCOMPARE(GetCaption(5062), QString::fromUtf8("Ostara Tessel läuft bereits. Es kann immer nur "
                                                 "ein Ostara Tessel geöffnet sein."));
  }

 private:
  QTemporaryDir settingsDir, plansDir;
  std::unique_ptr<QTemporaryDir> lockDir;
  StartOptions options;
  std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(StartTest)
#include "test_start.moc"
