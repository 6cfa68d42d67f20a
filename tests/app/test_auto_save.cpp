// Auto-save and recovery through the real program: changes made with the toolbox and
// the keys, the copy written after the wait (short waits here, the program's are
// seconds), removed again by save, New, Open and Exit, switched off in the Project
// menu, and offered by the next start as the user meets it.
#include <sys/resource.h>

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <csignal>

#include "app_fixture.h"
#include "file_bytes.h"
#include "shell/auto_save.h"
#include "shell/settings.h"
#include "shell/startup.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// Short enough for a test, long enough that the checks right after a change come first.
constexpr AutoSaveTiming kQuick{1000, 8000};
constexpr AutoSaveTiming kPatient{4000, 20000};

}  // namespace

class AutoSaveTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() {
    autoSaveTiming = kQuick;
    // Each start takes the lock anew: a folder of its own per case.
    lockDir = std::make_unique<QTemporaryDir>();
    QVERIFY(window = OpenWindow());
    saver = window->AutoSaver();
    recovery = saver->RecoveryFile();
  }
  void cleanup() {
    CloseWindow();
    started.reset();
    AutoSave::Remove(RecoveryFolder());
    WriteSetting("Startup", "ShowHelp", "0");
  }

  // ---- when the copy is written ----

  void aChangeIsWrittenOnceAfterTheWait() {
    QCOMPARE(saver->Folder(), RecoveryFolder());
    DrawRoom();
    QVERIFY(saver->Pending());
    QVERIFY(!QFile::exists(recovery));
    QTRY_COMPARE(saver->Writes(), 1);
    QVERIFY(QFile::exists(recovery));
    QVERIFY(!QFile::exists(recovery + ".part"));
    // Pointer moves are no changes: nothing waits to be written after them.
    for (int x = 100; x < 400; x += 50) QTest::mouseMove(window->View(), QPoint(x, 200));
    QVERIFY(!saver->Pending());
    // The copy is what saving the plan writes, and it was never written over the plan.
    const QByteArray copy = Read(recovery);
    QVERIFY(copy.contains("WALLRECT"));
    nextFileName = FilePath("wait.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Read(FilePath("wait.tsd")), copy);
  }

  void manyChangesWithinTheWaitMakeOneWrite() {
    // A wait no loaded machine outlasts between two of these steps.
    CloseWindow();
    autoSaveTiming = kPatient;
    QVERIFY(window = OpenWindow());
    saver = window->AutoSaver();
    DrawRoom();
    for (int i = 0; i < 3; ++i) {
      Press(window, Qt::Key_Z, Qt::ControlModifier);
      Press(window, Qt::Key_Y, Qt::ControlModifier);
    }
    QVERIFY(saver->Pending());
    QCOMPARE(saver->Writes(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(saver->Writes(), 1, 2 * kPatient.delayMs);
    QTest::qWait(2 * kPatient.delayMs);
    QCOMPARE(saver->Writes(), 1);
  }

  // A drag lifts the object out of the plan until the button comes up: a copy written
  // meanwhile would lose it, so the write waits for the drop.
  void aDragPutsTheWriteOffUntilTheObjectIsDown() {
    CloseWindow();
    QVERIFY(window = OpenWindow({900, 640}));
    saver = window->AutoSaver();
    PlanView* view = window->View();
    // At 50 % the room drawn at (300, 250) reaches from about 115 to 565 across; an
    // installation wall dropped here stands against its left wall.
    const QPoint wallSpot{160, 250}, moved = wallSpot + QPoint(0, 50);
    DrawRoom();
    PlaceWithTool(kFreeWallTool, wallSpot);
    QTRY_COMPARE(saver->Writes(), 1);
    QTest::mouseMove(view, wallSpot);
    QTest::mouseClick(view, Qt::LeftButton, {}, wallSpot);
    QTest::mousePress(view, Qt::LeftButton, {}, wallSpot);
    QTest::mouseMove(view, wallSpot + QPoint(2, 1));
    QTest::mouseMove(view, moved);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 1);
    QTest::qWait(3 * kQuick.delayMs);
    QCOMPARE(saver->Writes(), 1);
    QVERIFY(saver->Pending());
    QVERIFY(Read(recovery).contains("INSTWALL"));
    QTest::mouseRelease(view, Qt::LeftButton, {}, moved);
    QTRY_COMPARE(saver->Writes(), 2);
    QVERIFY(Read(recovery).contains("INSTWALL"));
  }

  void aStreamOfChangesIsWrittenByTheLongestWait() {
    CloseWindow();
    // A wait far beyond the test's patience: only the cap can bring the write.
    autoSaveTiming = {600000, 300};
    QVERIFY(window = OpenWindow());
    saver = window->AutoSaver();
    DrawRoom();
    QTRY_COMPARE(saver->Writes(), 1);
    QVERIFY(QFile::exists(recovery));
  }

  void theCopyNamesThePlanItBelongsTo() {
    DrawRoom();
    nextFileName = FilePath("named.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    PlaceWithTool(kWallRectTool, {330, 260});
    QTRY_COMPARE(saver->Writes(), 1);
    const RecoveredPlan found = AutoSave::Find(RecoveryFolder());
    QCOMPARE(found.planFile, FilePath("named.tsd"));
    QCOMPARE(found.recoveryFile, recovery);
    QCOMPARE(int{found.state}, int{RecoveredPlan::kOffer});
  }

  void aPlanSavedUnderTheCopysNameIsNeverWrittenOverNorRemoved() {
    DrawRoom();
    nextFileName = recovery;
    Press(window, Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = Read(recovery);
    QVERIFY(saved.contains("WALLRECT"));
    PlaceWithTool(kWallRectTool, {330, 260});
    QTest::qWait(2 * kQuick.delayMs);
    QCOMPARE(saver->Writes(), 0);
    QCOMPARE(Read(recovery), saved);
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(recovery));
    QVERIFY(Read(recovery) != saved);
    // Nor is it offered as a recovered plan.
    QCOMPARE(int{AutoSave::Find(RecoveryFolder()).state}, int{RecoveredPlan::kNone});
  }

  // ---- what removes it ----

  void savingRemovesTheCopy() {
    WrittenCopy();
    nextFileName = FilePath("saved.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!QFile::exists(recovery));
    QVERIFY(!QFile::exists(saver->InfoFile()));
  }

  void newRemovesTheCopy() {
    WrittenCopy();
    Messages::Answers() = {plat::IDNO};
    Press(window, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(!QFile::exists(recovery));
    QVERIFY(!saver->Pending());
  }

  void openRemovesTheCopy() {
    Write(
        FilePath("other.tsd"),
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n");
    WrittenCopy();
    nextFileName = FilePath("other.tsd");
    Messages::Answers() = {plat::IDNO};
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window->CurrentFile(), FilePath("other.tsd"));
    QVERIFY(!QFile::exists(recovery));
  }

  void aFailedOpenKeepsTheCopy() {
    Write(FilePath("broken.tsd"), "not a plan\r\n");
    WrittenCopy();
    nextFileName = FilePath("broken.tsd");
    Messages::Answers() = {plat::IDNO};
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(window->PlanChanged());
    QVERIFY(QFile::exists(recovery));
  }

  void exitRemovesTheCopy() {
    WrittenCopy();
    Messages::Answers() = {plat::IDNO};  // the changes are not wanted
    Press(window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window->isVisible());
    QVERIFY(!QFile::exists(recovery));
  }

  void undoingBackToTheFileRemovesTheCopy() {
    DrawRoom();
    nextFileName = FilePath("undo.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    PlaceWithTool(kWallRectTool, {330, 260});
    QTRY_COMPARE(saver->Writes(), 1);
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!window->PlanChanged());
    QTRY_VERIFY(!QFile::exists(recovery));
  }

  // ---- the menu item ----

  void theMenuItemIsShownCheckedAndKeepsItsState() {
    QAction* item = window->ProjectItem(kAutoSave);
    auto* menu = window->findChild<QMenu*>("mnProject");
    QVERIFY(menu);
    QCOMPARE(menu->actions().indexOf(item), qsizetype{kAutoSave});
    QVERIFY(item->isVisible());
    QVERIFY(item->isCheckable());
    QVERIFY(item->isChecked());
    QCOMPARE(item->text(), GetCaption(1409));
    WrittenCopy();
    // Off: the copy goes, since it would no longer follow the plan, and none is written.
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(!QFile::exists(recovery));
    QCOMPARE(ReadSetting("Options", "AutoSave", ""), QString("0"));
    PlaceWithTool(kWallRectTool, {330, 260});
    QVERIFY(!saver->Pending());
    // The next planner starts with it off.
    CloseWindow();
    window_ = std::make_unique<MainWindow>(nullptr, RecoveryFolder(), kQuick);
    window = window_.get();
    QVERIFY(!window->ProjectItem(kAutoSave)->isChecked());
    QVERIFY(!window->AutoSaver()->Enabled());
    window->ProjectItem(kAutoSave)->trigger();
    QCOMPARE(ReadSetting("Options", "AutoSave", ""), QString("1"));
    QVERIFY(window->AutoSaver()->Enabled());
  }

  // ---- the next start ----

  void theNextStartOffersTheRecoveredPlanOfItsFile() {
    DrawRoom();
    nextFileName = FilePath("kitchen.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    PlaceWithTool(kWallRectTool, {330, 260});
    QTRY_COMPARE(saver->Writes(), 1);
    const QByteArray before = Read(recovery);
    Crash();
    Messages::Answers() = {plat::IDYES};
    QVERIFY(Start());
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].startsWith(GetCaption(5701) + ": "),
             qPrintable(Messages::Shown()[0]));
    QVERIFY2(Messages::Shown()[0].contains(FilePath("kitchen.tsd")),
             qPrintable(Messages::Shown()[0]));
    // The recovered plan is changed, belongs to its old file, and Save writes it there
    // without asking.
    QCOMPARE(started->CurrentFile(), FilePath("kitchen.tsd"));
    QVERIFY(started->windowTitle().endsWith(FilePath("kitchen.tsd") + " *"));
    QVERIFY(started->PlanChanged());
    QVERIFY(QFile::exists(recovery));  // the only copy until the plan is saved
    started->SetFileDialog([this](bool, const QString&, const QString&, const QString&) {
      ++dialogs;
      return QString();
    });
    dialogs = 0;
    started->ProjectItem(kSave)->trigger();
    QCOMPARE(dialogs, 0);
    QCOMPARE(Read(FilePath("kitchen.tsd")), before);
    QVERIFY(!started->PlanChanged());
    QVERIFY(!QFile::exists(recovery));
  }

  void anUntitledPlanIsOfferedAsUntitled() {
    WrittenCopy();
    const QByteArray before = Read(recovery);
    Crash();
    Messages::Answers() = {plat::IDYES};
    QVERIFY(Start());
    QVERIFY2(Messages::Shown().value(0).contains(GetCaption(5670)),
             qPrintable(Messages::Shown().value(0)));
    QCOMPARE(started->CurrentFile(), QString());
    QVERIFY(started->PlanChanged());
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);
    // Save asks for a name, as for any untitled plan.
    started->SetFileDialog([this](bool, const QString&, const QString&, const QString&) {
      ++dialogs;
      return FilePath("untitled.tsd");
    });
    dialogs = 0;
    started->ProjectItem(kSave)->trigger();
    QCOMPARE(dialogs, 1);
    QCOMPARE(Read(FilePath("untitled.tsd")), before);
  }

  void declinedTheCopyIsDiscarded() {
    WrittenCopy();
    Crash();
    Messages::Answers() = {plat::IDNO};
    QVERIFY(Start());
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY(!QFile::exists(recovery));
    QVERIFY(!started->PlanChanged());
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
  }

  void aDamagedCopyIsReportedAndSetAside() {
    WrittenCopy();
    Crash();
    Write(recovery, "[Layout]\r\ncount=3\r\n00=WALLRECT,640,44");
    Messages::Answers() = {plat::IDYES};
    QVERIFY(Start());
    QCOMPARE(Messages::Shown().size(), 2);
    QVERIFY2(Messages::Shown()[1].contains("damaged"), qPrintable(Messages::Shown()[1]));
    QVERIFY(!QFile::exists(recovery));
    const QStringList aside =
        QDir(RecoveryFolder()).entryList({"recovery-damaged-*.tsd"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QVERIFY(Messages::Shown()[1].contains(aside[0]));
    QCOMPARE(Read(RecoveryFolder() + "/" + aside[0]),
             QByteArray("[Layout]\r\ncount=3\r\n00=WALLRECT,640,44"));
    // Nothing of it was loaded.
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
    QVERIFY(!started->PlanChanged());
    QFile::remove(RecoveryFolder() + "/" + aside[0]);
  }

  // A backup tool or a sync client touches the plan's file after the crash: its time
  // says nothing about its content, and the copy that differs is offered.
  void aCopyOfATouchedPlanIsStillOffered() {
    DrawRoom();
    nextFileName = FilePath("later.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    PlaceWithTool(kWallRectTool, {330, 260});
    QTRY_COMPARE(saver->Writes(), 1);
    const QByteArray copy = Read(recovery);
    Crash();
    QFile plan(FilePath("later.tsd"));
    QVERIFY(plan.open(QIODevice::ReadWrite));
    QVERIFY(plan.setFileTime(QFileInfo(recovery).lastModified().addSecs(60),
                             QFileDevice::FileModificationTime));
    plan.close();
    Messages::Answers() = {plat::IDYES};
    QVERIFY(Start());
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY(Messages::Shown()[0].startsWith(GetCaption(5701) + ": "));
    QCOMPARE(started->CurrentFile(), FilePath("later.tsd"));
    QVERIFY(started->PlanChanged());
    QCOMPARE(Read(recovery), copy);
  }

  // Only a copy that holds byte for byte what its plan's file holds goes unasked.
  void aCopyTheSameAsItsPlanIsRemovedUnasked() {
    DrawRoom();
    nextFileName = FilePath("same.tsd");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    PlaceWithTool(kWallRectTool, {330, 260});
    QTRY_COMPARE(saver->Writes(), 1);
    Crash();
    Write(FilePath("same.tsd"), Read(recovery));
    QVERIFY(Start());
    QVERIFY(Messages::Shown().isEmpty());
    QVERIFY(!QFile::exists(recovery));
  }

  // The disk fills up: the copy's write fails at some step, the last whole copy stays as
  // it was, nothing half written is left beside it, and the status line says so.
  void aFullDiskKeepsTheLastCopyAndSaysSo() {
    WrittenCopy();
    const QByteArray copy = Read(recovery);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(copy.size() + 8);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QSignalSpy written(saver, &AutoSave::written);
    PlaceWithTool(kFreeWallTool, {330, 270});
    PlaceWithTool(kFreeWallTool, {360, 300});
    const bool ended = written.wait(4 * kQuick.delayMs);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
    QVERIFY(ended);
    QCOMPARE(written.back().value(0).toBool(), false);
    QVERIFY(!saver->LastFailure().isEmpty());
    QCOMPARE(window->StatusMessage()->text(), saver->LastFailure());
    QCOMPARE(Read(recovery), copy);
    QCOMPARE(QDir(RecoveryFolder()).entryList(QDir::Files).size(), 2);  // copy and record
  }

  void aSecondPlannerLeavesTheFirstOnesCopyAlone() {
    CloseWindow();
    QVERIFY(Start());
    MainWindow* first = started.get();
    first->activateWindow();
    (void)QTest::qWaitForWindowActive(first);
    ConfirmNextDialog();
    QTest::mouseClick(first->Tool(kWallRectTool), Qt::LeftButton);
    first->activateWindow();
    QTest::mouseMove(first->View(), {300, 250});
    QTest::mouseRelease(first->View(), Qt::LeftButton, {}, {300, 250});
    QTRY_COMPARE(first->AutoSaver()->Writes(), 1);
    const QByteArray copy = Read(recovery);
    const QDateTime written = QFileInfo(recovery).lastModified();
    std::unique_ptr<MainWindow> second;
    Messages::Reset();
    QCOMPARE(StartPlanner({"tessel32"}, Options(), &second), 0);
    QVERIFY(!second);
    QCOMPARE(Messages::Shown(), QStringList{GetCaption(101) + ": " + GetCaption(5062)});
    QCOMPARE(Read(recovery), copy);
    QCOMPARE(QFileInfo(recovery).lastModified(), written);
  }

  // Without the single-instance lock another planner may share the folder: its copy is
  // neither offered nor written over nor removed; this planner keeps one of its own,
  // which the next start offers once this planner has gone.
  void aPlannerWithoutTheLockKeepsACopyOfItsOwn() {
    WrittenCopy();
    Crash();
    const QByteArray copy = Read(recovery);
    QTemporaryDir blocked;
    Write(blocked.filePath("file"), "a file where the lock folder would be");
    StartOptions options = Options();
    options.lockFolder = blocked.filePath("file/locks");
    WriteSetting("Startup", "ShowHelp", "0");
    QCOMPARE(StartPlanner({"tessel32"}, options, &started), 0);
    QVERIFY(started);
    started->QuitRequested = false;
    QCOMPARE(Messages::Shown().size(), 1);  // the lock's warning, no offer
    QVERIFY(Messages::Shown()[0].contains(GetCaption(7211).section("\n", -1).left(20)));
    QVERIFY(started->AutoSaver()->OwnFiles());
    QVERIFY(started->ProjectItem(kAutoSave)->isChecked());
    const QString own = started->AutoSaver()->RecoveryFile();
    QVERIFY(own != recovery);
    DrawRoomIn(started.get());
    QTRY_COMPARE(started->AutoSaver()->Writes(), 1);
    QCOMPARE(Read(recovery), copy);
    QVERIFY(QFile::exists(own));
    const QByteArray mine = Read(own);
    // Killed; the next planner without the lock offers this one's copy, not the other.
    started->QuitRequested = true;
    started.reset();
    Engine()(TC_NewLayout, 0, 0, 0, 0, 0);
    Messages::Reset();
    Messages::Answers() = {plat::IDOK, plat::IDYES};
    QCOMPARE(StartPlanner({"tessel32"}, options, &started), 0);
    QVERIFY(started);
    started->QuitRequested = false;
    QCOMPARE(Messages::Shown().size(), 2);
    QVERIFY(Messages::Shown()[1].startsWith(GetCaption(5701) + ": "));
    QVERIFY(started->PlanChanged());
    QCOMPARE(Read(recovery), copy);
    started->SetFileDialog([this](bool, const QString&, const QString&, const QString&) {
      return FilePath("mine.tsd");
    });
    started->ProjectItem(kSave)->trigger();
    QCOMPARE(Read(FilePath("mine.tsd")), mine);
    // Saved, the taken copy is gone with its lock; the other planner's stays.
    QCOMPARE(QDir(RecoveryFolder()).entryList({"recovery-*.tsd", "recovery-*.ini"}, QDir::Files),
             QStringList());
    started->close();
    QCOMPARE(Read(recovery), copy);
  }

  // Neither the lock nor a copy of its own can be made: auto-save is off, and the
  // window says so instead of showing a check mark.
  void withoutAnyCopyAutoSaveIsPlainlyOff() {
    CloseWindow();
    QTemporaryDir blocked;
    Write(blocked.filePath("file"), "a file where the folders would be");
    StartOptions options = Options();
    options.lockFolder = blocked.filePath("file/locks");
    options.recoveryFolder = blocked.filePath("file/recovery");
    WriteSetting("Startup", "ShowHelp", "0");
    QCOMPARE(StartPlanner({"tessel32"}, options, &started), 0);
    QVERIFY(started);
    started->QuitRequested = false;
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY(Messages::Shown()[0].contains(blocked.filePath("file/recovery")));
    QAction* item = started->ProjectItem(kAutoSave);
    QVERIFY(!item->isChecked());
    QVERIFY(!item->isEnabled());
    QCOMPARE(started->StatusMessage()->text(), GetCaption(7213));
    QVERIFY(item->toolTip().contains(blocked.filePath("file/locks")));
    DrawRoomIn(started.get());
    QTest::qWait(2 * kQuick.delayMs);
    QCOMPARE(started->AutoSaver()->Writes(), 0);
    started->QuitRequested = true;
  }

 private:
  // A change whose copy has been written.
  void WrittenCopy() {
    DrawRoom();
    QTRY_COMPARE(saver->Writes(), 1);
    QVERIFY(QFile::exists(recovery));
  }

  // The planner ends without its way out (as when killed): the copy stays, and the
  // engine forgets the plan as a new process would not have it.
  void Crash() {
    window_->QuitRequested = true;
    window_.reset();
    window = nullptr;
    Engine()(TC_NewLayout, 0, 0, 0, 0, 0);
    Messages::Reset();
  }

  StartOptions Options() const {
    StartOptions options;
    options.catalogueFile = ShippedCatalogue();
    options.lockFolder = lockDir->path();
    options.recoveryFolder = RecoveryFolder();
    options.showSplash = false;
    return options;
  }

  static void DrawRoomIn(MainWindow* w) {
    w->activateWindow();
    (void)QTest::qWaitForWindowActive(w);
    ConfirmNextDialog();
    QTest::mouseClick(w->Tool(kWallRectTool), Qt::LeftButton);
    w->activateWindow();
    QTest::mouseMove(w->View(), {300, 250});
    QTest::mouseRelease(w->View(), Qt::LeftButton, {}, {300, 250});
  }

  // A start as the program makes it, with the folders of this test.
  bool Start() {
    WriteSetting("Startup", "ShowHelp", "0");
    if (StartPlanner({"tessel32"}, Options(), &started) != 0 || !started) return false;
    started->QuitRequested = false;
    return true;
  }

  MainWindow* window = nullptr;
  AutoSave* saver = nullptr;
  QString recovery;
  std::unique_ptr<MainWindow> started;
  std::unique_ptr<QTemporaryDir> lockDir;
};

QTEST_MAIN(AutoSaveTest)
#include "test_auto_save.moc"
