// The rules behind the widgets, without a window: which commands the engine's state
// allows, the recent-file list, whether a plan counts as changed, how the command line
// is read, and the view's arithmetic.
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "../support/full_disk.h"
#include "shell/change_tracker.h"
#include "shell/command_line.h"
#include "shell/control_states.h"
#include "shell/files.h"
#include "shell/recent_files.h"
#include "shell/settings.h"
#include "shell/view_geometry.h"

using namespace tessel;

Q_DECLARE_METATYPE(EngineInfo)

namespace {

struct Flags {
  int walls, wallRect, selected, undo, redo, products;
};
EngineInfo Info(Flags f) {
  EngineInfo info{};
  info.bWalls = f.walls;
  info.bWallRect = f.wallRect;
  info.bObjSel = f.selected;
  info.bUndoAvail = f.undo;
  info.bRedoAvail = f.redo;
  info.iCountDesignItems = f.products;
  return info;
}

// The tools a user can pick, as a string of their numbers.
QString Tools(const ControlStates& c) {
  QString s;
  for (int i = 0; i < kToolCount; ++i)
    if (c.tools[static_cast<std::size_t>(i)]) s += QString::number(i);
  return s;
}

}  // namespace

class ModelTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  }

  // ---- enabled states ----

  void theEngineStateDecidesWhatCanBeUsed_data() {
    QTest::addColumn<EngineInfo>("info");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QString>("tools");
    // u undo, r redo, p products, l layout, d design, t turn and copy
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QString>("zoomButtons");  // - out, + in
    // Select and the first wall rectangle always; shapes need a room, corners a room in
    // layout mode, doors and windows a wall; delete needs a selection.
    QTest::newRow("empty plan") << Info({0, 0, 0, 0, 0, 0}) << int{kLayoutMode} << int{kZoom50}
                                << "05"
                                << ""
                                << "+";
    QTest::newRow("a room") << Info({1, 1, 0, 1, 0, 0}) << int{kLayoutMode} << int{kZoom100}
                            << "023456789"
                            << "ud"
                            << "-+";
    QTest::newRow("a room, an object selected, redo")
        << Info({1, 1, 1, 1, 1, 0}) << int{kLayoutMode} << int{kZoom400} << "0123456789"
        << "urdt"
        << "-";
    QTest::newRow("walls without a closed room")
        << Info({1, 0, 0, 0, 0, 0}) << int{kLayoutMode} << int{kZoom200} << "0589"
        << "d"
        << "-+";
    QTest::newRow("design mode with products")
        << Info({1, 1, 0, 1, 0, 3}) << int{kDesignMode} << int{kZoom75} << "0234589"
        << "upl"
        << "-+";
    QTest::newRow("design mode, a product selected")
        << Info({1, 1, 1, 1, 0, 1}) << int{kDesignMode} << int{kZoom100} << "01234589"
        << "uplt"
        << "-+";
    QTest::newRow("design mode, no products")
        << Info({1, 1, 0, 0, 0, 0}) << int{kDesignMode} << int{kZoom50} << "0234589"
        << "l"
        << "+";
  }
  void theEngineStateDecidesWhatCanBeUsed() {
    QFETCH(EngineInfo, info);
    QFETCH(int, mode);
    QFETCH(int, zoom);
    const ControlStates c = DeriveControlStates(info, static_cast<WorkMode>(mode), zoom);
    QTEST(Tools(c), "tools");
    QString commands;
    if (c.undo) commands += 'u';
    if (c.redo) commands += 'r';
    if (c.removeAll) commands += 'p';
    if (c.layoutMode) commands += 'l';
    if (c.designMode) commands += 'd';
    if (c.turnAndCopy) commands += 't';
    QTEST(commands, "commands");
    QTEST(QString(c.zoomOut ? "-" : "") + (c.zoomIn ? "+" : ""), "zoomButtons");
    QCOMPARE(c.productList, info.iCountDesignItems >= 1);
  }

  // ---- recent files ----

  void theRecentListKeepsFourWithoutReordering() {
    RecentFiles recent;
    for (const char* name : {"/a.tsd", "/b.tsd", "/c.tsd", "/d.tsd", "/e.tsd"}) recent.Add(name);
    QCOMPARE(recent.Names(), (QStringList{"/e.tsd", "/d.tsd", "/c.tsd", "/b.tsd"}));
    recent.Add("/c.tsd");  // listed already: stays third
    QCOMPARE(recent.Names()[2], QString("/c.tsd"));
    recent.Remove(0);
    QCOMPARE(recent.Names(), (QStringList{"/d.tsd", "/c.tsd", "/b.tsd"}));
    recent.Remove(7);  // no such entry: nothing happens
    QCOMPARE(recent.Names().size(), 3);
  }

  void theRecentListIsReadUpToTheFirstGapAndWrittenAsShown() {
    WriteSetting("RecentFiles", "File1", "/first.tsd");
    WriteSetting("RecentFiles", "File2", "");
    WriteSetting("RecentFiles", "File3", "/third.tsd");
    WriteSetting("RecentFiles", "File4", "/fourth.tsd");
    RecentFiles recent;
    recent.Read();
    QCOMPARE(recent.Names(), QStringList{"/first.tsd"});
    recent.Add("/new.tsd");
    recent.Write();
    QCOMPARE(ReadSetting("RecentFiles", "File1", ""), QString("/new.tsd"));
    QCOMPARE(ReadSetting("RecentFiles", "File2", ""), QString("/first.tsd"));
    // What is not shown is not kept: the values behind the list go.
    QCOMPARE(ReadSetting("RecentFiles", "File3", ""), QString());
    QCOMPARE(ReadSetting("RecentFiles", "File4", ""), QString());
  }

  void theRecentListHoldsEachFileOnceHoweverItIsSpelt() {
    WriteSetting("RecentFiles", "File1", "/plans/a.tsd");
    WriteSetting("RecentFiles", "File2", "/plans/./a.tsd");
    WriteSetting("RecentFiles", "File3", "/plans/b.tsd");
    WriteSetting("RecentFiles", "File4", "/plans/a.tsd");
    RecentFiles recent;
    recent.Read();
    QCOMPARE(recent.Names(), (QStringList{"/plans/a.tsd", "/plans/b.tsd"}));
    recent.Add("/plans/../plans/b.tsd");
    QCOMPARE(recent.Names(), (QStringList{"/plans/a.tsd", "/plans/b.tsd"}));
  }

  // Writes in quick succession, each of the same size, on a file system that keeps
  // times to the nanosecond (a tmpfs where the test may mount one): every value read
  // back is the one just written, never what the store read before.
  void aValueWrittenIsReadBackAtOnce() {
    const FullDisk fast(settingsDir.filePath("fast").toStdString());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(fast.Folder()));
    // The scratch copy there too, so that nothing slows the writes down.
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(fast.Folder()));
    const auto back = qScopeGuard([this, temp] {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
      if (temp.isNull())
        qunsetenv("TMPDIR");
      else
        qputenv("TMPDIR", temp);
    });
    for (int i = 0; i < 100; ++i) {
      const QString value = i % 2 ? "1" : "0";
      QVERIFY(WriteSetting("Options", "AutoSave", value));
      QCOMPARE(ReadSetting("Options", "AutoSave", ""), value);
    }
  }

  // A disk that fills up: neither one value nor the recent list gets in, the file is
  // byte for byte what it was, and the reason names the file and the system's words.
  void settingsOntoAFullDiskKeepTheOldFileAndSayWhy() {
    const FullDisk disk(settingsDir.filePath("full").toStdString());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(disk.Folder()));
    const auto back = qScopeGuard([this] {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    });
    QVERIFY(WriteSetting("RecentFiles", "File1", "/kept.tsd"));
    const QString file =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV").fileName();
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    QVERIFY(disk.Fill());
    QString one, list;
    RecentFiles recent;
    recent.Add("/lost.tsd");
    {
      const FileSizeLimit limit(disk);
      QVERIFY(!WriteSetting("RecentFiles", "File1", "/lost.tsd", &one));
      QVERIFY(!recent.Write(&list));
    }
    if (disk.Mounted()) {
      const QString reason = QString::fromLocal8Bit(std::strerror(disk.Error()));
      for (const QString& why : {one, list})
        QVERIFY2(why.contains(file) && why.contains(reason), qPrintable(why));
    }
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(ReadSetting("RecentFiles", "File1", ""), QString("/kept.tsd"));
    QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(file).fileName()});
  }

  // ---- file names as bytes ----

  // Any bytes a file system holds come back as the same bytes; UTF-8 reads as the
  // toolkit reads it, and every other byte as a code point of its own.
  void fileNamesKeepTheirBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("ASCII") << QByteArray("/plans/bath.tsd") << true;
    QTest::newRow("UTF-8") << QByteArray(
                                  "/plans/b\xc3\xa4"
                                  "d.tsd")
                           << true;
    QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x9b\x81.tsd") << true;
    QTest::newRow("Latin-1") << QByteArray(
                                    "/plans/b\xe4"
                                    "d.tsd")
                             << false;
    QTest::newRow("overlong slash") << QByteArray(
                                           "a\xc0\xaf"
                                           "b")
                                    << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("cut short") << QByteArray("x\xe2\x82") << false;
    QTest::newRow("lone continuation") << QByteArray("\x80\xbf") << false;
  }
  void fileNamesKeepTheirBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    const QString name = FileNameFromBytes(bytes);
    QCOMPARE(FileNameBytes(name), bytes);
    if (utf8) QCOMPARE(name, QString::fromUtf8(bytes));
    // A byte that is no part of a character is one code point, U+DC00 + the byte.
    if (bytes ==
        "/plans/b\xe4"
        "d.tsd")
      QCOMPARE(name, QString("/plans/b") + QChar(0xDCE4) + "d.tsd");
  }

  // ---- changed or not ----

  void aPlanIsChangedUntilItIsBackAtItsSavedState() {
    ChangeTracker t;
    t.Saved(40);
    QVERIFY(!t.Changed());
    t.Observe(41, false);  // a wall
    QVERIFY(t.Changed());
    t.Observe(40, false);  // undo
    QVERIFY(!t.Changed());
    t.Observe(39, false);  // undo past the saved state
    QVERIFY(t.Changed());
    t.Observe(40, true);  // redo
    QVERIFY(!t.Changed());
    t.Observe(39, false);  // undo, then a different change: the same serial, another plan
    t.Observe(40, false);
    QVERIFY(t.Changed());
    t.Saved(40);
    QVERIFY(!t.Changed());
  }

  // ---- the command line ----

  void theCommandLineNamesAPlanOptionsOrTheLanguage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("unknown");
    QTest::addColumn<QStringList>("language");
    const QString existing = settingsDir.filePath("bath.plan");
    QFile(existing).open(QIODevice::WriteOnly);
    QTest::newRow("nothing") << QStringList{"tessel32"} << "" << QStringList{}
                             << QStringList{"tessel32"};
    QTest::newRow("a plan by path")
        << QStringList{"tessel32", "/home/anna.berg/plans/bath.tsd"}
        << "/home/anna.berg/plans/bath.tsd" << QStringList{} << QStringList{"tessel32"};
    QTest::newRow("an existing file of any name") << QStringList{"tessel32", existing} << existing
                                                  << QStringList{} << QStringList{"tessel32"};
    QTest::newRow("a language") << QStringList{"tessel32", "-D"} << "" << QStringList{}
                                << QStringList{"tessel32", "-D"};
    QTest::newRow("options") << QStringList{"tessel32", "--frobnicate", "-D"} << ""
                             << QStringList{"--frobnicate"} << QStringList{"tessel32", "-D"};
  }
  void theCommandLineNamesAPlanOptionsOrTheLanguage() {
    QFETCH(QStringList, arguments);
    const CommandLine line = ParseCommandLine(arguments);
    QTEST(line.planFile, "plan");
    QTEST(line.unknownOptions, "unknown");
    QTEST(line.languageArguments, "language");
    QVERIFY(!line.help);
    QVERIFY(ParseCommandLine({"tessel32", "--help"}).help);
    // A relative name is kept as the absolute path it names now.
    QCOMPARE(ParseCommandLine({"tessel32", "plans/bath.tsd"}).planFile,
             QDir::current().absoluteFilePath("plans/bath.tsd"));
  }

  // ---- the view's arithmetic ----

  void theBarsAppearOnlyWhereThePlanDoesNotFit_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    // 1520 x 1120 at 50 % is 760 x 560 plus the 28-pixel ruler.
    QTest::newRow("fits") << 788 << 588 << 0.5 << false << false;
    QTest::newRow("one pixel too narrow") << 787 << 700 << 0.5 << true << false;
    // The horizontal bar takes 12 pixels from the height, which then needs its bar too.
    QTest::newRow("the one bar brings the other") << 787 << 595 << 0.5 << true << true;
    QTest::newRow("too small for anything") << 20 << 20 << 2.0 << true << true;
  }
  void theBarsAppearOnlyWhereThePlanDoesNotFit() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, zoom);
    const BarFit f = FitScrollBars(width, height, kRulerWidth, zoom);
    QTEST(f.horizontal, "horizontal");
    QTEST(f.vertical, "vertical");
  }

  void aCentreAndItsBarValueStandForEachOther() {
    // 400 visible pixels at 200 %: the middle shows sheet x 300 when the bar is at 400.
    QCOMPARE(BarValueForCentre(300, 2.0, 400, 2640), 400);
    QCOMPARE(CentreForBarValue(400, 2.0, 400), 300.0);
    QCOMPARE(BarValueForCentre(10, 2.0, 400, 2640), 0);  // the sheet's edge
    QCOMPARE(KeepCentre(300, 2.0, 400, 2640), 300.0);
    QCOMPARE(KeepCentre(10, 2.0, 400, 2640), 100.0);
    QCOMPARE(KeepCentre(1500, 2.0, 400, 2640), 1420.0);
    // Zooming from 100 % to 200 % about a point 100 pixels right of the middle: that
    // point (sheet x 860) must stay 100 pixels right of the middle, 50 sheet pixels.
    QCOMPARE(CentreKeepingPoint(760, 1.0, 2.0, 100), 810.0);
  }

 private:
  QTemporaryDir settingsDir;
};

QTEST_GUILESS_MAIN(ModelTest)
#include "test_model.moc"
