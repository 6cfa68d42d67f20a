// The windows of the start and the hints, the hidden key sequence and the drawn
// pictures, on the offscreen platform with settings kept in a temporary folder.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "language/language.h"
#include "shell/icons.h"
#include "shell/settings.h"
#include "shell/startup_windows.h"

using namespace tessel;

namespace {

// The settings as the program stores them, seen from outside the program's own store.
QSettings Raw() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV");
}
QString StartupKey(const QString& name) {
  return "Ostara/Tessel/2.0/Startup/" + name;
}

QImage Image(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());

    QVERIFY(catalogueDir.isValid());
    const QString file = catalogueDir.filePath("katalog.db");
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
      db.setDatabaseName(file);
      QVERIFY(db.open());
      QSqlQuery q(db);
      QVERIFY(q.exec("CREATE TABLE tStrings (StringID INTEGER, Caption TEXT, Help TEXT)"));
      QVERIFY(q.exec("CREATE TABLE tError (ErrorID INTEGER, Caption TEXT, Errortext TEXT)"));
      const std::vector<std::tuple<int, QString, QString>> rows = {
          {101, "Ostara Tessel", ""},
          {200, "Show this hint again", "Welcome!\n\nDraw the room first."},
          {2800, "&OK", ""},
          {3201, "Placing a product", "The product hangs at the pointer.\nEsc stops."},
          {3202, "Product height", "Check the height."},
          {5010, "Loading...", ""},
          {5020, "(c) Ostara", ""},
          {5030, "Version 0.0.0 (0.0.0)", ""},
          {5040, "Ostara Tessel", ""},
          {5050, "The bathroom planner", ""},
      };
      QVERIFY(q.prepare("INSERT INTO tStrings VALUES (?, ?, ?)"));
      for (const auto& [id, caption, help] : rows) {
        q.bindValue(0, id);
        q.bindValue(1, caption);
        q.bindValue(2, help);
        QVERIFY(q.exec());
      }
      db.close();
    }
    QSqlDatabase::removeDatabase("make");
    QString why;
    QVERIFY2(OpenLanguage("", file, &why), qPrintable(why));
  }
  void init() {
    QSettings raw = Raw();
    raw.clear();
    raw.sync();
  }

  // ---- the splash band ----

  void theFirstTickClimbsToTheTopAndTurns() {
    BlueRamp ramp;
    const auto levels = ramp.NextTick();
    QCOMPARE(levels[0], 0x60);
    QCOMPARE(levels[1], 0x64);
    // 0xFC is the first level at or above 0xFB: drawn once, then the ramp falls.
    QCOMPARE(levels[39], 0xFC);
    QCOMPARE(levels[40], 0xF8);
    QCOMPARE(levels[71], 0x7C);
    QVERIFY(!ramp.Rising());
    QCOMPARE(ramp.Level(), 0x78);
  }

  void theBandFlowsOnAcrossTicksBetweenItsTurns() {
    BlueRamp ramp;
    std::vector<int> all;
    for (int tick = 0; tick < 10; ++tick)
      for (int level : ramp.NextTick()) all.push_back(level);
    QCOMPARE(all[72], 0x78);  // the second tick goes on where the first stopped
    int lowest = 0xFF, highest = 0;
    for (std::size_t i = 1; i < all.size(); ++i) {
      QCOMPARE(std::abs(all[i] - all[i - 1]), 4);
      if (i > 40) lowest = std::min(lowest, all[i]);
      highest = std::max(highest, all[i]);
    }
    QCOMPARE(lowest, 0x64);
    QCOMPARE(highest, 0xFC);
    // The bottom turn: down to 0x64, then up again.
    const auto bottom = std::find(all.begin() + 40, all.end(), 0x64);
    QCOMPARE(*(bottom - 1), 0x68);
    QCOMPARE(*(bottom + 1), 0x68);
  }

  // ---- splash ----

  void theVersionReplacesTheFirstMark_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mark") << "Version 0.0.0"
                          << "Version 2.1.3";
    QTest::newRow("first of two") << "0.0.0 / 0.0.0"
                                  << "2.1.3 / 0.0.0";
    QTest::newRow("no mark") << "Version 2"
                             << "Version 2";
    QTest::newRow("empty") << ""
                           << "";
  }
  void theVersionReplacesTheFirstMark() {
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QCOMPARE(VersionCaption(caption, "2.1.3"), shown);
  }

  void theVersionHasThreeParts() {
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("");
    QCOMPARE(ProgramVersion(), QString("2.0.0"));
    QCoreApplication::setApplicationVersion("3.4");
    QCOMPARE(ProgramVersion(), QString("3.4.0"));
    QCoreApplication::setApplicationVersion("1.2.3.4");
    QCOMPARE(ProgramVersion(), QString("1.2.3"));
    QCoreApplication::setApplicationVersion(saved);
  }

  void theSplashShowsItsCaptionsAndAnimatesAtOnce() {
    QCoreApplication::setApplicationVersion("2.0.7");
    IntroWindow intro;
    QCOMPARE(intro.objectName(), QString("frmIntro"));
    QCOMPARE(intro.findChild<QLabel*>("Label6")->text(), QString("Version 2.0.7 (0.0.0)"));
    QCOMPARE(intro.findChild<QLabel*>("lblLoading")->text(), QString("Loading..."));
    QCOMPARE(intro.findChild<QLabel*>("lblApp")->text(), QString("Ostara Tessel"));
    QCOMPARE(intro.findChild<QLabel*>("Label1")->text(), QString("The bathroom planner"));
    QCOMPARE(intro.findChild<QLabel*>("Label7")->text(), QString("(c) Ostara"));
    QVERIFY(intro.findChild<QWidget*>("picProcess"));
    QCOMPARE(intro.Strips()[0], 0x60);  // the band is drawn once at load

    intro.Present();
    QVERIFY(intro.isVisible());
    QVERIFY(intro.findChild<QPushButton*>("cmdOK")->isHidden());
    auto* timer = intro.findChild<QTimer*>("Timer1");
    QCOMPARE(timer->interval(), 1);
    QVERIFY(timer->isActive());
    QTRY_VERIFY(intro.Strips()[0] != 0x60);
    intro.close();
    QVERIFY(!timer->isActive());
    QCoreApplication::setApplicationVersion("");
  }

  // ---- hint window ----

  void eachHintHasItsTexts_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0 << "Ostara Tessel"
                           << "Welcome!\n\nDraw the room first.";
    QTest::newRow("esc") << 1 << "Placing a product"
                         << "The product hangs at the pointer.\nEsc stops.";
    QTest::newRow("height") << 2 << "Product height"
                            << "Check the height.";
  }
  void eachHintHasItsTexts() {
    QFETCH(int, id);
    QFETCH(QString, title);
    QFETCH(QString, text);
    StartupHelpWindow hint;
    hint.setMode(id);
    QCOMPARE(hint.objectName(), QString("frmStartuphelp"));
    QCOMPARE(hint.Mode(), id);
    QCOMPARE(hint.windowTitle(), title);
    QCOMPARE(hint.ShowAgainBox()->text(), QString("Show this hint again"));
    // The hints while placing are seen once unless the user asks for them again.
    QCOMPARE(hint.ShowAgainBox()->isChecked(), id == StartupHelpWindow::kStartHint);
    QCOMPARE(hint.HintText()->toPlainText(), text);
    QVERIFY(hint.HintText()->isReadOnly());
  }

  void anotherIdChangesNothing() {
    StartupHelpWindow hint;
    hint.setMode(1);
    hint.setMode(3);
    hint.setMode(-1);
    QCOMPARE(hint.Mode(), 1);
    QCOMPARE(hint.windowTitle(), QString("Placing a product"));
    QCOMPARE(hint.HintText()->toPlainText(),
             QString("The product hangs at the pointer.\nEsc stops."));
  }

  void theHintTakesTheMainWindowsIcon() {
    QWidget main;
    main.setWindowIcon(ProgramIcon());
    StartupHelpWindow hint(&main);
    QCOMPARE(hint.windowIcon().cacheKey(), main.windowIcon().cacheKey());
  }

  void okWithTheBoxClearedSwitchesTheHintOff_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("start") << 0 << "ShowHelp";
    QTest::newRow("esc") << 1 << "ShowEsc";
    QTest::newRow("height") << 2 << "ShowHeight";
  }
  void okWithTheBoxClearedSwitchesTheHintOff() {
    QFETCH(int, id);
    QFETCH(QString, name);
    HintSwitches switches;
    StartupHelpWindow hint(nullptr, &switches);
    hint.setMode(id);
    hint.show();
    hint.ShowAgainBox()->setChecked(false);
    QTest::mouseClick(hint.OkButton(), Qt::LeftButton);
    QVERIFY(!hint.isVisible());
    QCOMPARE(Raw().value(StartupKey(name)).toString(), QString("0"));
    QCOMPARE(switches.showHelp, id != 0);
    QCOMPARE(switches.showEsc, id != 1);
    QCOMPARE(switches.showHeight, id != 2);
  }

  void okWithTheBoxCheckedWritesNothing() {
    HintSwitches switches;
    StartupHelpWindow hint(nullptr, &switches);
    hint.setMode(2);
    hint.show();
    hint.ShowAgainBox()->setChecked(true);
    QTest::mouseClick(hint.OkButton(), Qt::LeftButton);
    QVERIFY(!hint.isVisible());
    QVERIFY(Raw().allKeys().isEmpty());
    QVERIFY(switches.showHelp && switches.showEsc && switches.showHeight);
  }

  void okBeforeAnyModeSwitchesNothingOff() {
    HintSwitches switches;
    StartupHelpWindow hint(nullptr, &switches);
    hint.ShowAgainBox()->setChecked(false);
    hint.Confirm();
    QVERIFY(Raw().allKeys().isEmpty());
    QVERIFY(switches.showHelp && switches.showEsc && switches.showHeight);
  }

  void onlyASettingOfOneKeepsAHintOn_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("on");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("blank") << " " << false;
    QTest::newRow("word") << "yes" << false;
    QTest::newRow("absent") << QString() << true;
  }
  void onlyASettingOfOneKeepsAHintOn() {
    QFETCH(QString, value);
    QFETCH(bool, on);
    if (!value.isNull()) {
      QSettings raw = Raw();
      raw.setValue(StartupKey("ShowEsc"), value);
      raw.sync();
    }
    HintSwitches switches{false, false, false};
    ReadHintSwitches(switches);
    QCOMPARE(switches.showEsc, on);
    // The other two are absent: on.
    QVERIFY(switches.showHelp);
    QVERIFY(switches.showHeight);
  }

  // ---- hidden key sequence ----

  void theSequenceOpensOnlyWhenTypedInOrder_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");
    QTest::newRow("whole") << "QUILLON" << true;
    QTest::newRow("first letter twice") << "QQUILLON" << true;
    QTest::newRow("started again") << "QUIQUILLON" << true;
    QTest::newRow("after a false start") << "QUIXQUILLON" << true;
    QTest::newRow("another key between") << "QUILXLON" << false;
    QTest::newRow("one L") << "QUILON" << false;
    QTest::newRow("three L") << "QUILLLON" << false;
    QTest::newRow("without the first") << "UILLON" << false;
    QTest::newRow("letters out of place") << "QUILLNON" << false;
  }
  void theSequenceOpensOnlyWhenTypedInOrder() {
    QFETCH(QString, typed);
    QFETCH(bool, opens);
    KeySequence keys;
    int opened = 0;
    for (QChar c : typed) opened += keys.Feed(Qt::Key_A + (c.unicode() - 'A')) ? 1 : 0;
    QCOMPARE(opened, opens ? 1 : 0);
    QCOMPARE(keys.State(), 0);
  }

  void eachLetterAdvancesFromTheStateThatExpectsIt() {
    KeySequence keys;
    const int expected[] = {1, 2, 3, 4, 5, 6};
    for (int n = 0; n < 6; ++n) {
      QVERIFY(!keys.Feed(KeySequence::kLetters[static_cast<std::size_t>(n)]));
      QCOMPARE(keys.State(), expected[n]);
    }
    QVERIFY(!keys.Feed(Qt::Key_Escape));
    QCOMPARE(keys.State(), 0);
    QVERIFY(!keys.Feed(Qt::Key_N));  // the last letter resets even when it does not open
    QCOMPARE(keys.State(), 0);
  }

  // ---- credits ----

  void theCreditsShowAndHideTheirGroupsStepByStep() {
    CreditsWindow credits;
    QCOMPARE(credits.objectName(), QString("frmQuillon"));
    QVERIFY(credits.isModal());
    QVERIFY(credits.findChild<QTimer*>("Timer1"));
    auto shown = [&] {
      int n = 0;
      for (int g = 0; g < CreditsWindow::kGroups; ++g) n += credits.GroupShown(g) ? 1 : 0;
      return n;
    };
    QCOMPARE(shown(), 0);
    for (int step = 1; step <= CreditsWindow::kGroups; ++step) {
      credits.Advance();
      QCOMPARE(shown(), step);
      QVERIFY(credits.GroupShown(step - 1));
    }
    credits.Advance();
    QVERIFY(!credits.GroupShown(0));  // the first to come is the first to go
    QCOMPARE(shown(), CreditsWindow::kGroups - 1);
    while (credits.Step() != 0) credits.Advance();
    QCOMPARE(shown(), 0);
  }

  void theCreditsBeepWhenPaintedAndStepOnTheirOwn() {
    CreditsWindow credits;
    credits.show();
    QVERIFY(QTest::qWaitForWindowExposed(&credits));
    const int paints = credits.Paints();
    credits.repaint();
    QVERIFY(credits.Paints() > paints);
    QTRY_VERIFY(credits.Step() >= 2);
  }

  void anyKeyOrClickClosesTheCredits() {
    CreditsWindow credits;
    credits.show();
    QTest::keyClick(&credits, Qt::Key_A);
    QVERIFY(!credits.isVisible());
    credits.show();
    QTest::mouseClick(&credits, Qt::LeftButton);
    QVERIFY(!credits.isVisible());
  }

  // ---- pictures ----

  void everyToolbarKeyHasItsOwnPicture() {
    const QStringList keys = {"new",     "open",   "save", "print",  "undo", "redo", "delete",
                              "zoomout", "zoomin", "base", "design", "list", "info", "helpon"};
    QList<QImage> seen;
    for (const QString& key : keys) {
      const QIcon icon = ToolbarIcon(key);
      QVERIFY2(!icon.isNull(), qPrintable(key));
      const QImage image = Image(icon.pixmap(kToolbarIconSize, kToolbarIconSize));
      QCOMPARE(image.size(), QSize(kToolbarIconSize, kToolbarIconSize));
      QVERIFY2(!seen.contains(image), qPrintable(key));
      seen << image;
    }
    QVERIFY(ToolbarIcon("nosuchkey").isNull());
  }

  void everyToolboxPictureDiffersFromItsNeighbours() {
    for (int tool = 0; tool < kToolboxTools; ++tool) {
      for (int list = 0; list < kToolboxLists; ++list) {
        const QPixmap picture = ToolboxPicture(tool, list);
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(kToolboxPictureSize, kToolboxPictureSize));
        QCOMPARE(ToolboxPicture(tool, list).cacheKey(), picture.cacheKey());  // drawn once
        for (int other = 0; other < list; ++other)
          QVERIFY2(Image(ToolboxPicture(tool, other)) != Image(picture),
                   qPrintable(QString("tool %1, lists %2 and %3").arg(tool).arg(other).arg(list)));
        for (int other = 0; other < tool; ++other)
          QVERIFY2(Image(ToolboxPicture(other, list)) != Image(picture),
                   qPrintable(QString("list %1, tools %2 and %3").arg(list).arg(other).arg(tool)));
      }
    }
    QVERIFY(ToolboxPicture(10, 0).isNull());
    QVERIFY(ToolboxPicture(0, 4).isNull());
  }

  void theProgramIconAndHelpPointerAreDrawn() {
    QVERIFY(!ProgramIcon().isNull());
    QVERIFY(!ProgramIcon().pixmap(32, 32).isNull());
    const QCursor help = HelpCursor();
    QCOMPARE(help.shape(), Qt::BitmapCursor);
    QVERIFY(!help.pixmap().isNull());
  }

 private:
  QTemporaryDir settingsDir;
  QTemporaryDir catalogueDir;
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
