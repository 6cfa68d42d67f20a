// A user's session through the real widgets over the real engine: the menus' items and
// shortcuts, the toolbar, the file dialog replaced only at its edge, and the questions
// before work could be lost. Every case starts from a fresh window over an empty plan.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "app_fixture.h"
#include "shell/settings.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// A file of the given text.
void Write(const QString& path, const QByteArray& text) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class CommandsTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() { QVERIFY(window = OpenWindow()); }
  void cleanup() { CloseWindow(); }

  void aFreshPlannerOffersOnlySelectAndTheRoom() {
    for (int i = 0; i < kToolCount; ++i)
      QCOMPARE(window->Tool(i)->isEnabled(), i == kSelectTool || i == kWallRectTool);
    QVERIFY(!window->ToolbarButton("zoomout")->isEnabled());  // 50 % is the smallest
    QVERIFY(window->ToolbarButton("zoomin")->isEnabled());
    QVERIFY(!window->ToolbarButton("design")->isEnabled());
    QVERIFY(window->ToolbarButton("print")->isEnabled());  // even an empty sheet prints
    QVERIFY(!window->EditItem(kUndo)->isEnabled());
    QCOMPARE(window->windowTitle(), GetCaption(101) + "  -  " + GetCaption(5670));
    QCOMPARE(window->ProjectItem(kNew)->text(), GetCaption(1401));
    QCOMPARE(window->ToolbarButton("save")->toolTip(), GetCaption(1302));
  }

  void theZoomButtonsStopAtTheEndsOfTheTable() {
    window->ToolbarButton("zoomout")->trigger();
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom50});
    for (int i = 0; i < 8; ++i) window->ToolbarButton("zoomin")->trigger();
    QCOMPARE(int{Bridge().zoomIndex}, int{kZoom400});
    QVERIFY(!window->ToolbarButton("zoomin")->isEnabled());
    QCOMPARE(window->ZoomBox()->currentText(), QString("400 %"));
  }

  void aRoomIsDrawnFromTheToolbox() {
    DrawRoom();
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);
    QVERIFY(Bridge().infoRecord.bWallRect != 0);
    // A room offers every drawing tool; delete waits for a selection.
    for (int i = kUserRectTool; i < kToolCount; ++i)
      QVERIFY2(window->Tool(i)->isEnabled(), qPrintable(QString::number(i)));
    QVERIFY(!window->Tool(kDeleteTool)->isEnabled());
    QVERIFY(window->ToolbarButton("undo")->isEnabled());
    QVERIFY(window->ToolbarButton("design")->isEnabled());
    QVERIFY(window->ViewItem(kDesignModeItem)->isEnabled());
  }

  void theStatusBarShowsTheCursorInCentimetres() {
    QTest::mouseMove(window->View(), QPoint(333, 222));
    ReadInfo();
    const EngineInfo& info = Bridge().infoRecord;
    QCOMPARE(window->CursorLeft()->text(), QString::number(info.lCursorX / 2.0, 'f', 1));
    QCOMPARE(window->CursorTop()->text(), QString::number(info.lCursorY / 2.0, 'f', 1));
  }

  // ---- Esc, whatever has the focus ----

  void escAbandonsAPlacementAfterTheMenuBarWasUsedFromTheKeyboard() {
    StartPlacing(kWallRectTool);
    QTest::mouseMove(window->View(), QPoint(300, 250));
    // Alt+P opens the project menu, Esc closes it again; the menu bar keeps the focus.
    Press(window, Qt::Key_P, Qt::AltModifier);
    QMenu* project = window->menuBar()->findChild<QMenu*>("mnProject");
    QTRY_VERIFY(project->isVisible());
    QTest::keyClick(project, Qt::Key_Escape);
    QTRY_VERIFY(!project->isVisible());
    Press(window, Qt::Key_Escape);
    // The click that follows drops nothing: the wall rectangle was abandoned.
    QTest::mouseMove(window->View(), QPoint(310, 260));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(310, 260));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
    QVERIFY(!window->EditItem(kUndo)->isEnabled());
  }

  void escAbandonsAPlacementWhenThePlanHasTheFocus() {
    StartPlacing(kWallRectTool);
    window->View()->setFocus();
    QTest::mouseMove(window->View(), QPoint(300, 250));
    Press(window, Qt::Key_Escape);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(300, 250));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
  }

  // ---- the view switches show their state ----

  void theRulerItemShowsWhetherTheRulerIsShown() {
    QAction* ruler = window->ViewItem(kRuler);
    QVERIFY(ruler->isChecked());
    const QImage withRuler = window->View()->grab().toImage();
    Press(window, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(!ruler->isChecked());
    QVERIFY(window->View()->grab().toImage() != withRuler);
    ruler->trigger();  // as a click on the menu item
    QVERIFY(ruler->isChecked());
    QCOMPARE(window->View()->grab().toImage(), withRuler);
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{0});
  }

  // The engine does not draw measurements yet; the item's mark is the program's part.
  void theMeasurementItemShowsWhetherMeasurementsAreShown() {
    QAction* measurement = window->ViewItem(kMeasurement);
    QVERIFY(measurement->isCheckable());
    QVERIFY(!measurement->isChecked());
    Press(window, Qt::Key_M, Qt::ControlModifier);
    QVERIFY(measurement->isChecked());
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{0});
    measurement->trigger();
    QVERIFY(!measurement->isChecked());
  }

  // ---- saving ----

  void saveAsksForANameOnceThenWritesThatFile() {
    DrawRoom();
    nextFileName = FilePath("bath");
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs, 1);
    QVERIFY(lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(1302));
    QVERIFY(lastFilter.contains("*.tsd"));
    const QString saved = FilePath("bath.tsd");
    QVERIFY(QFile::exists(saved));
    QCOMPARE(window->CurrentFile(), saved);
    QCOMPARE(window->ProjectItem(kRecent1)->text(), saved);
    QVERIFY(window->ProjectItem(kRecent1)->isEnabled());
    QCOMPARE(window->windowTitle(), GetCaption(101) + "  -  " + saved);
    // Saving again goes to the same file without a dialog, and an unchanged plan asks
    // nothing before a new one.
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs, 1);
    QCOMPARE(window->QuerySave(5650), int{plat::IDNO});
    QVERIFY(Messages::Shown().isEmpty());
  }

  void saveAsAsksBeforeReplacingThePlanItWrites() {
    const QString existing = FilePath("kept.tsd");
    Write(existing, "the plan before\r\n");
    DrawRoom();
    nextFileName = FilePath("kept");  // typed without ".tsd"; the dialog asked about "kept"
    Messages::Answers() = {plat::IDNO};
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].contains(existing), qPrintable(Messages::Shown()[0]));
    QCOMPARE(Read(existing), QByteArray("the plan before\r\n"));
    QCOMPARE(window->CurrentFile(), QString());
    Messages::Answers() = {plat::IDYES};
    window->ProjectItem(kSaveAs)->trigger();
    QVERIFY(Read(existing).contains("[Layout]"));
    QCOMPARE(window->CurrentFile(), existing);
  }

  void aFolderWithADotStillGetsThePlanExtension() {
    QVERIFY(QDir().mkpath(FilePath("anna.berg/plans")));
    DrawRoom();
    nextFileName = FilePath("anna.berg/plans/bath");
    window->ProjectItem(kSaveAs)->trigger();
    const QString saved = FilePath("anna.berg/plans/bath.tsd");
    QVERIFY(QFile::exists(saved));
    QCOMPARE(window->CurrentFile(), saved);
    QCOMPARE(MainWindow::EnsureExtension("/plans/bad"), QString("/plans/bad.tsd"));
    QCOMPARE(MainWindow::EnsureExtension("/plans/bad.tsd"), QString("/plans/bad.tsd"));
    QCOMPARE(MainWindow::EnsureExtension("/plans/bad.v2"), QString("/plans/bad.v2"));
  }

  void aFailedSaveSaysSoAndKeepsThePlanChanged() {
    DrawRoom();
    nextFileName = FilePath("gone/folder/bath.tsd");
    window->ProjectItem(kSave)->trigger();
    QCOMPARE(Messages::Shown().size(), 1);
    const QString said = Messages::Shown()[0];
    QVERIFY2(said.contains("gone/folder/bath.tsd"), qPrintable(said));
    // The plan never had a file: nothing may claim an earlier one was kept.
    QVERIFY2(!said.contains("previous"), qPrintable(said));
    QCOMPARE(window->CurrentFile(), QString());
    QVERIFY(!window->ProjectItem(kRecent1)->isEnabled());
    QVERIFY(window->windowTitle().endsWith(" *"));
    Messages::Answers() = {plat::IDCANCEL};
    QCOMPARE(window->QuerySave(5650), int{plat::IDCANCEL});
  }

  // ---- the title tells whether the plan is saved ----

  void theTitleMarksAnUnsavedPlan() {
    const QString clean = GetCaption(101) + "  -  " + GetCaption(5670);
    QCOMPARE(window->windowTitle(), clean);
    DrawRoom();
    QCOMPARE(window->windowTitle(), clean + " *");
    nextFileName = FilePath("title.tsd");
    window->ProjectItem(kSave)->trigger();
    const QString saved = GetCaption(101) + "  -  " + FilePath("title.tsd");
    QCOMPARE(window->windowTitle(), saved);
    window->ToolbarButton("undo")->trigger();
    QCOMPARE(window->windowTitle(), saved + " *");
    window->ToolbarButton("redo")->trigger();
    QCOMPARE(window->windowTitle(), saved);  // back at the saved state
    // Undoing and then changing something else leaves the saved state behind for good.
    window->ToolbarButton("undo")->trigger();
    PlaceWithTool(kWallRectTool, {320, 260});
    ReadInfo();
    QVERIFY(!window->EditItem(kRedo)->isEnabled());
    QCOMPARE(window->windowTitle(), saved + " *");
  }

  // ---- new and open ----

  void newAsksAboutUnsavedChanges() {
    DrawRoom();
    Messages::Answers() = {plat::IDCANCEL};
    Press(window, Qt::Key_N, Qt::ControlModifier);
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);  // cancelled: the room is still there
    Messages::Answers() = {plat::IDNO};
    window->ToolbarButton("new")->trigger();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
    QCOMPARE(window->CurrentFile(), QString());
    for (int i = 0; i < kToolCount; ++i)
      QCOMPARE(window->Tool(i)->isEnabled(), i == kSelectTool || i == kWallRectTool);
  }

  void openingAPlanShowsItInDesignMode() {
    DrawRoom();
    nextFileName = FilePath("open.tsd");
    window->ProjectItem(kSave)->trigger();
    Messages::Answers() = {plat::IDNO};
    window->ProjectItem(kNew)->trigger();
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(1300));
    QCOMPARE(window->CurrentFile(), FilePath("open.tsd"));
    QCOMPARE(window->WorkMode(), kDesignMode);
    QVERIFY(window->Tool(kWallRectTool)->isHidden());
    QVERIFY(!window->Tool(kFreeWallTool)->isHidden());
    QVERIFY(window->ToolbarButton("base")->isEnabled());
    QCOMPARE(window->ProjectItem(kRecent1)->text(), FilePath("open.tsd"));
    QVERIFY(!window->PlanChanged());
    // Back to the layout: no products, so no question.
    window->ToolbarButton("base")->trigger();
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QVERIFY(Messages::Shown().isEmpty());
  }

  void aFailedOpenLeavesTheModeAndTheHistoryAsTheyWere() {
    DrawRoom();
    Write(FilePath("bad.tsd"), "not a plan\r\n");
    nextFileName = FilePath("bad.tsd");
    Messages::Answers() = {plat::IDNO};  // the changed plan is not saved first
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Messages::Shown().size(), 2);  // the question, then the damaged plan
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QCOMPARE(window->CurrentFile(), QString());
    QVERIFY(!window->ProjectItem(kRecent1)->isEnabled());
    QVERIFY(window->EditItem(kUndo)->isEnabled());
    QVERIFY(window->PlanChanged());
    // The engine is in layout mode too: the next wall goes into the room, and there is
    // no furnishing to remove.
    PlaceWithTool(kFreeWallTool, {330, 270});
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 0);
    QVERIFY(!window->EditItem(kRemoveAllProducts)->isEnabled());
    window->EditItem(kUndo)->trigger();
    window->EditItem(kUndo)->trigger();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);  // the history reaches back to the empty plan
  }

  void aFailedOpenInDesignModeStaysThere() {
    DrawRoom();
    window->ToolbarButton("design")->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    nextFileName = FilePath("missing.tsd");
    Messages::Answers() = {plat::IDNO};
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    QVERIFY(window->ToolbarButton("base")->isEnabled());
    QVERIFY(!window->ToolbarButton("design")->isEnabled());
  }

  // ---- recent files ----

  void aRecentPlanThatIsGoneIsReportedAndDropped() {
    window->AddRecentFile(FilePath("there.tsd"));
    window->AddRecentFile(FilePath("vanished.tsd"));
    window->ProjectItem(kRecent1)->trigger();
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY(Messages::Shown()[0].contains("vanished.tsd"));
    QCOMPARE(window->ProjectItem(kRecent1)->text(), FilePath("there.tsd"));
    QVERIFY(!window->ProjectItem(kRecent1 + 1)->isEnabled());
  }

  // ---- help and the hidden sequence ----

  void helpModeAnswersAToolbarButtonOnceWithItsHelp() {
    Press(window, Qt::Key_F1);
    QVERIFY(window->InHelpMode());
    window->ToolbarButton("save")->trigger();
    QCOMPARE(Messages::Shown(), QStringList{GetCaption(1302) + ": " + GetHelp(1302)});
    QVERIFY(!window->InHelpMode());
    QCOMPARE(dialogs, 0);  // help only: nothing was saved
  }

  void theHiddenKeySequenceOpensTheCredits() {
    bool opened = false;
    QTimer::singleShot(50, [&] {
      QWidget* credits = QApplication::activeModalWidget();
      opened = credits && credits->objectName() == "frmQuillon";
      if (credits) credits->close();
    });
    for (Qt::Key key :
         {Qt::Key_Q, Qt::Key_Q, Qt::Key_U, Qt::Key_I, Qt::Key_L, Qt::Key_L, Qt::Key_O, Qt::Key_N})
      Press(window, key);
    QVERIFY(opened);
  }

  // ---- exit ----

  void exitAsksWhenChangedAndWritesExactlyTheRecentFilesShown() {
    for (const char* name : {"a.tsd", "b.tsd", "c.tsd"}) window->AddRecentFile(FilePath(name));
    WriteSetting("RecentFiles", "File4", "kept");
    DrawRoom();
    window->QuitRequested = false;
    Messages::Answers() = {plat::IDCANCEL};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    Messages::Answers() = {plat::IDNO};
    QVERIFY(window->close());
    QCOMPARE(ReadSetting("RecentFiles", "File1", ""), FilePath("c.tsd"));
    QCOMPARE(ReadSetting("RecentFiles", "File3", ""), FilePath("a.tsd"));
    // A value behind the list is an entry the user saw leave it: it does not come back.
    QCOMPARE(ReadSetting("RecentFiles", "File4", ""), QString());
  }

 private:
  MainWindow* window = nullptr;
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
