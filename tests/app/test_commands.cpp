// A user's session through the real widgets over the real engine: the menus' items and
// shortcuts, the toolbar, the file dialog replaced only at its edge, and the questions
// before work could be lost. Every case starts from a fresh window over an empty plan.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>

#include "../support/full_disk.h"
#include "app_fixture.h"
#include "file_bytes.h"
#include "platform/profile.h"
#include "shell/files.h"
#include "shell/settings.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// "bäd.tsd" in Latin-1 after the given start: a name from an old archive, which is no
// UTF-8 and so no name the toolkit's own file calls can spell.
QByteArray Latin1PlanName(const QString& start) {
  return QFile::encodeName(start) +
         "\xe4"
         "d.tsd";
}

// Writes a file under exactly these name bytes.
void PlantByName(const QByteArray& name, const QByteArray& bytes) {
  const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  QVERIFY(fd >= 0);
  QCOMPARE(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())),
           static_cast<ssize_t>(bytes.size()));
  ::close(fd);
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

  // A plan made on another installation: the pictures are found in this catalogue's
  // folder by their names; the one found nowhere is named once, with its products, and
  // the others are drawn.
  void aPlanFromElsewhereIsDrawnAndItsMissingPictureNamed() {
    const QString elsewhere = "/media/old-disk/Tessel/katalog/images/";
    Write(FilePath("travelled.tsd"),
          QString("[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
                  "[Design]\r\ncount=4\r\n"
                  "00=PRODUCT,560,380,101,1,0,%1li0101p2.bmp,85\r\n"
                  "01=PRODUCT,700,380,100,1,0,%1gone0100p2.bmp,0\r\n"
                  "02=PRODUCT,560,500,107,1,0,%1li0107p2.bmp,82\r\n"
                  "03=PRODUCT,700,500,100,1,0,%1gone0100p2.bmp,0\r\n")
              .arg(elsewhere)
              .toUtf8());
    nextFileName = FilePath("travelled.tsd");
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window->CurrentFile(), FilePath("travelled.tsd"));
    QCOMPARE(Messages::Shown().size(), 1);
    const QString said = Messages::Shown()[0];
    QVERIFY2(said.startsWith(GetCaption(7221) + ": "), qPrintable(said));
    QCOMPARE(said.count("gone0100p2.bmp"), 1);
    QVERIFY2(said.contains("Washbasin 45"), qPrintable(said));
    QVERIFY(!said.contains("li0101p2.bmp"));
    std::vector<std::int32_t> drawn(kProductListCapacity, 0);
    Engine()(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(drawn.data()), 0);
    QCOMPARE(drawn[0], 101);
    QCOMPARE(drawn[1], 107);
    QCOMPARE(drawn[2], 0);
    // The plan keeps every product: saved, the missing ones are still in it.
    window->ProjectItem(kSave)->trigger();
    const QByteArray saved = Read(FilePath("travelled.tsd"));
    QCOMPARE(saved.count("=PRODUCT,"), 4);
    // Names that travel: the catalogue's pictures from the program folder, as every
    // reader of the format finds them; the missing one as the plan had it.
    QVERIFY2(saved.contains("=PRODUCT,560,380,101,1,0,katalog/images/li0101p2.bmp,85\r\n"),
             saved.constData());
    QVERIFY(saved.contains(",/media/old-disk/Tessel/katalog/images/gone0100p2.bmp,0\r\n"));
    // Read again, wherever the program runs from, the products are drawn as before.
    Messages::Answers() = {plat::IDNO};
    window->ProjectItem(kNew)->trigger();
    Messages::Reset();
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Messages::Shown().size(), 1);
    drawn.assign(kProductListCapacity, 0);
    Engine()(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(drawn.data()), 0);
    QCOMPARE(drawn[0], 101);
    QCOMPARE(drawn[1], 107);
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

  // A plan name that is a FIFO would keep the engine's reader waiting for a writer: the
  // open dialog and the recent list refuse it at once, and the plan stays as it was.
  void aPlanThatIsNoFileIsRefusedFromTheDialogAndTheRecentList() {
    DrawRoom();
    const QString fifo = FilePath("pipe.tsd");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 || errno == EEXIST);
    nextFileName = fifo;
    Messages::Answers() = {plat::IDNO};  // the changed plan is not saved first
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Messages::Shown().size(), 2);
    QCOMPARE(Messages::Shown()[1], GetCaption(7101) + ": " + GetCaption(7100).arg(fifo));
    QCOMPARE(window->CurrentFile(), QString());
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QVERIFY(window->PlanChanged());
    window->AddRecentFile(fifo);
    Messages::Reset();
    Messages::Answers() = {plat::IDNO};
    window->ProjectItem(kRecent1)->trigger();
    QCOMPARE(Messages::Shown().size(), 2);
    QVERIFY2(Messages::Shown()[1].contains(fifo + " is not a file"),
             qPrintable(Messages::Shown()[1]));
    QCOMPARE(window->CurrentFile(), QString());
  }

  // A plan from an old archive: a Latin-1 name, which the toolkit cannot show (the user
  // types it as it reads), a byte order mark and LF CR line ends. It opens, and Save
  // writes it back to that very file.
  void aPlanFromAnOldArchiveOpensAndSavesUnderItsOwnName() {
    const QByteArray bytes = Latin1PlanName(FilePath("b"));
    const auto remove = qScopeGuard([&bytes] { ::unlink(bytes.constData()); });
    const QByteArray plan =
        "\xEF\xBB\xBF[Layout]\n\rcount=1\n\r"
        "00=WALLRECT,640,440,300,250,32767,0,0\n\r[Design]\n\rcount=0\n\r";
    PlantByName(bytes, plan);
    nextFileName = FilePath(QString::fromUtf8("bäd.tsd"));
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(Messages::Shown().isEmpty(), qPrintable(Messages::Shown().join('|')));
    QCOMPARE(FileNameBytes(window->CurrentFile()), bytes);
    QCOMPARE(window->WorkMode(), kDesignMode);
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);
    PlaceWithTool(kFreeWallTool, {330, 270});
    Press(window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!window->PlanChanged());
    std::string saved;
    QVERIFY(plat::ReadWholeFile(bytes.constData(), &saved));
    // Written as the engine writes every plan, with the wall placed since.
    QVERIFY2(QByteArray::fromStdString(saved).startsWith("[Layout]\r\ncount=1\r\n") &&
                 saved.find("[Design]\r\ncount=1\r\n00=INSTWALL") != std::string::npos,
             saved.c_str());
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

  // A name kept as it reads ("bäd.tsd") for a file whose name is Latin-1 bytes: the
  // entry opens that file and takes its true name in its own place, listed once.
  void aRecentPlanWithALatin1NameOpensAndStaysOneEntry() {
    const QByteArray bytes = Latin1PlanName(FilePath("b"));
    const auto remove = qScopeGuard([&bytes] { ::unlink(bytes.constData()); });
    const QByteArray plan =
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
        "[Design]\r\ncount=0\r\n";
    PlantByName(bytes, plan);
    window->AddRecentFile(FilePath("other.tsd"));
    window->AddRecentFile(FilePath(QString::fromUtf8("bäd.tsd")));
    window->ProjectItem(kRecent1)->trigger();
    QVERIFY2(Messages::Shown().isEmpty(), qPrintable(Messages::Shown().join('|')));
    QCOMPARE(FileNameBytes(window->CurrentFile()), bytes);
    QCOMPARE(window->ProjectItem(kRecent1)->text(), window->CurrentFile());
    QCOMPARE(window->ProjectItem(kRecent1 + 1)->text(), FilePath("other.tsd"));
    QVERIFY(!window->ProjectItem(kRecent1 + 2)->isEnabled());
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

  // The recent list is written as the planner ends: a disk that fills up keeps the
  // list of the last run and says so, through the exit item the user chose.
  void aRecentListThatCannotBeKeptAtExitIsSaid() {
    const FullDisk disk(FilePath("config").toStdString());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(disk.Folder()));
    const auto back = qScopeGuard([this] {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, SettingsFolder());
    });
    QVERIFY(WriteSetting("RecentFiles", "File1", FilePath("last-run.tsd")));
    const QString file =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon", "MRV").fileName();
    const QByteArray before = Read(file);
    QVERIFY(disk.Fill());
    window->AddRecentFile(FilePath("a.tsd"));
    {
      const FileSizeLimit limit(disk);
      window->ProjectItem(kExit)->trigger();
    }
    QVERIFY(!window->isVisible());
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].startsWith(GetCaption(7103) + ": "),
             qPrintable(Messages::Shown()[0]));
    if (disk.Mounted())
      QVERIFY2(Messages::Shown()[0].contains(file), qPrintable(Messages::Shown()[0]));
    QCOMPARE(Read(file), before);
  }

 private:
  MainWindow* window = nullptr;
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
