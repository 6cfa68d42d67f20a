// A user's session through the real widgets over the real engine: a room drawn from
// the toolbox, saved, opened again; the questions before work could be lost; the
// enabled states the engine's state gives; help mode and the hidden key sequence.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/plan_view.h"
#include "shell/settings.h"
#include "shell/toolbox_button.h"

using namespace tessel;

namespace {

// Message boxes answer from a script and remember what they said.
std::deque<int> answers;
QStringList shown;
int Scripted(plat::HWND, const char* text, const char* caption, unsigned, void*) {
  shown << QString::fromLocal8Bit(caption) + ": " + QString::fromLocal8Bit(text);
  if (answers.empty()) return plat::IDOK;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

// Clicks OK in the modal dialog that the next step opens.
void ConfirmNextDialog(const QString& firstValue = QString()) {
  QTimer::singleShot(0, [firstValue] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    if (!firstValue.isEmpty()) dialog->findChild<QLineEdit*>("Value0")->setText(firstValue);
    dialog->findChild<QPushButton*>("cmdOK")->click();
  });
}

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(settingsDir.isValid() && filesDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    plat::SetMessageBoxHook(&Scripted, nullptr);
    QVERIFY2(Engine(), qPrintable(EngineLoadError()));
    QVERIFY(OpenLanguage("", QCoreApplication::applicationDirPath() + "/katalog/katalog.db"));
    window = new MainWindow;
    window->resize(1000, 700);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->SetFileDialog([this](bool save, const QString& title, const QString& filter) {
      ++dialogs;
      lastDialogWasSave = save;
      lastTitle = title;
      lastFilter = filter;
      return nextFileName;
    });
  }
  void cleanupTestCase() { delete window; }
  void init() {
    answers.clear();
    shown.clear();
  }

  void aFreshPlannerOffersOnlySelectAndTheRoom() {
    for (int i = 0; i < 10; ++i) QCOMPARE(window->Tool(i)->isEnabled(), i == 0 || i == 5);
    QVERIFY(!window->ToolbarButton("zoomout")->isEnabled());  // 50 % is the smallest
    QVERIFY(window->ToolbarButton("zoomin")->isEnabled());
    QVERIFY(!window->ToolbarButton("design")->isEnabled());
    QVERIFY(!window->ToolbarButton("print")->isEnabled());  // not built yet: never pretends
    QVERIFY(!window->EditItem(0)->isEnabled());
    QCOMPARE(window->windowTitle(), GetCaption(101) + "  -  " + GetCaption(5670));
    QCOMPARE(window->ProjectItem(0)->text(), GetCaption(1401));
    QCOMPARE(window->ToolbarButton("save")->toolTip(), GetCaption(1302));
  }

  void theZoomButtonsStopAtTheEndsOfTheTable() {
    window->ToolbarButton("zoomout")->trigger();
    QCOMPARE(int{Bridge().zoomIndex}, 2);
    for (int i = 0; i < 8; ++i) window->ToolbarClicked("zoomin");
    QCOMPARE(int{Bridge().zoomIndex}, 8);
    QVERIFY(!window->ToolbarButton("zoomin")->isEnabled());
    QCOMPARE(window->ZoomBox()->currentText(), QString("400 %"));
    window->SetZoom(2);
    QVERIFY(!window->ToolbarButton("zoomout")->isEnabled());
  }

  void aRoomIsDrawnFromTheToolbox() {
    ConfirmNextDialog();
    QTest::mouseClick(window->Tool(5), Qt::LeftButton);
    QTest::mouseMove(window->View(), QPoint(300, 250));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(300, 250));
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);
    QVERIFY(Bridge().infoRecord.bWallRect != 0);
    QVERIFY(window->Tool(4)->isEnabled());
    // Shapes the engine cannot place yet stay disabled rather than doing nothing.
    for (int i : {2, 3, 6, 7, 8, 9})
      QVERIFY2(!window->Tool(i)->isEnabled(), qPrintable(QString::number(i)));
    QVERIFY(window->ToolbarButton("undo")->isEnabled());
    QVERIFY(window->ToolbarButton("design")->isEnabled());
    QVERIFY(window->ViewItem(4)->isEnabled());
  }

  void theStatusBarShowsTheCursorInCentimetres() {
    QTest::mouseMove(window->View(), QPoint(333, 222));
    ReadInfo();
    const EngineInfo& info = Bridge().infoRecord;
    QCOMPARE(window->CursorLeft()->text(), QString::number(info.lCursorX / 2.0, 'f', 1));
    QCOMPARE(window->CursorTop()->text(), QString::number(info.lCursorY / 2.0, 'f', 1));
  }

  void saveAsksForANameOnceThenWritesThatFile() {
    nextFileName = filesDir.filePath("bath");
    dialogs = 0;
    window->MenuClick(0, 5);
    QCOMPARE(dialogs, 1);
    QVERIFY(lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(1302));
    QVERIFY(lastFilter.contains("*.tsd"));
    const QString saved = filesDir.filePath("bath.tsd");
    QVERIFY(QFile::exists(saved));
    QCOMPARE(window->CurrentFile(), saved);
    QCOMPARE(window->ProjectItem(14)->text(), saved);
    QVERIFY(window->ProjectItem(14)->isEnabled());
    QVERIFY(window->windowTitle().endsWith("  -  " + saved));
    // Saving again goes to the same file without a dialog, and an unchanged plan
    // asks nothing before a new one.
    window->MenuClick(0, 5);
    QCOMPARE(dialogs, 1);
    QCOMPARE(window->QuerySave(5650), int{plat::IDNO});
    QVERIFY(shown.isEmpty());
  }

  void aFailedSaveSaysSoAndKeepsThePlanChanged() {
    ConfirmNextDialog();
    QTest::mouseClick(window->Tool(4),
                      Qt::LeftButton);  // an installation wall, so the plan changes
    QTest::mouseMove(window->View(), QPoint(320, 260));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(320, 260));
    const QString before = window->CurrentFile();
    nextFileName = filesDir.filePath("gone/folder/bath.tsd");
    QCOMPARE(window->SaveAsDialog(), int{plat::IDCANCEL});
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains("gone/folder/bath.tsd"), qPrintable(shown[0]));
    QCOMPARE(window->CurrentFile(), before);
    QVERIFY(!window->ProjectItem(15)->isEnabled());
    // Still changed: the next question comes, and Cancel there stops.
    answers = {plat::IDCANCEL};
    QCOMPARE(window->QuerySave(5650), int{plat::IDCANCEL});
  }

  void newAsksAboutUnsavedChanges() {
    answers = {plat::IDCANCEL};
    window->MenuClick(0, 0);
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bWalls != 0);  // cancelled: the room is still there
    answers = {plat::IDNO};
    window->MenuClick(0, 0);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bWalls, 0);
    QCOMPARE(window->CurrentFile(), QString());
    for (int i = 0; i < 10; ++i) QCOMPARE(window->Tool(i)->isEnabled(), i == 0 || i == 5);
  }

  void openingAPlanShowsItInDesignModeAndKeepsTheRecentOrder() {
    const QString saved = filesDir.filePath("bath.tsd");
    nextFileName = saved;
    window->MenuClick(0, 1);
    QVERIFY(!lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(1300));
    QCOMPARE(window->CurrentFile(), saved);
    QCOMPARE(window->WorkMode(), kDesignMode);
    QVERIFY(window->Tool(5)->isHidden());
    QVERIFY(!window->Tool(4)->isHidden());
    QVERIFY(window->ToolbarButton("base")->isEnabled());
    QCOMPARE(window->ProjectItem(14)->text(), saved);
    QVERIFY(!window->ProjectItem(15)->isEnabled());
    // Back to the layout: no products, so no question.
    window->MenuClick(2, 3);
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QVERIFY(shown.isEmpty());
  }

  void aDamagedPlanIsRefusedAndTheRecentListStays() {
    const QString bad = filesDir.filePath("bad.tsd");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a plan\r\n");
    f.close();
    const QString before = window->CurrentFile();
    QVERIFY(!window->OpenProject(bad));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(window->CurrentFile(), before);
    QVERIFY(!window->ProjectItem(15)->isEnabled());
    QCOMPARE(window->WorkMode(), kLayoutMode);
  }

  void aRecentPlanThatIsGoneIsReportedAndDropped() {
    window->AddRecentFile(filesDir.filePath("vanished.tsd"));
    QCOMPARE(window->ProjectItem(14)->text(), filesDir.filePath("vanished.tsd"));
    window->MenuClick(0, 14);
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].contains("vanished.tsd"));
    QCOMPARE(window->ProjectItem(14)->text(), filesDir.filePath("bath.tsd"));
    QVERIFY(!window->ProjectItem(15)->isEnabled());
  }

  void theRecentListKeepsFourAndDoesNotReorder() {
    for (const char* name : {"a.tsd", "b.tsd", "c.tsd", "d.tsd"})
      window->AddRecentFile(filesDir.filePath(name));
    QCOMPARE(window->ProjectItem(14)->text(), filesDir.filePath("d.tsd"));
    QCOMPARE(window->ProjectItem(17)->text(), filesDir.filePath("a.tsd"));  // bath.tsd dropped out
    window->AddRecentFile(filesDir.filePath("b.tsd"));
    QCOMPARE(window->ProjectItem(16)->text(), filesDir.filePath("b.tsd"));
  }

  void namesWithoutAnyDotGetThePlanExtension() {
    QCOMPARE(MainWindow::EnsureExtension("/plans/bad"), QString("/plans/bad.tsd"));
    QCOMPARE(MainWindow::EnsureExtension("/my.plans/bad"), QString("/my.plans/bad"));
    QCOMPARE(MainWindow::EnsureExtension("/plans/bad.tsd"), QString("/plans/bad.tsd"));
  }

  void theRulerCommandTogglesTheBand() {
    QVERIFY(window->ViewItem(0)->isChecked());
    window->MenuClick(2, 0);
    QVERIFY(!window->ViewItem(0)->isChecked());
    const QImage shot = window->View()->grab().toImage();
    QCOMPARE(Bridge().lastEngineResult, std::int16_t{0});
    window->MenuClick(2, 0);
    QVERIFY(window->ViewItem(0)->isChecked());
    QVERIFY(window->View()->grab().toImage() != shot);
  }

  void helpModeAnswersAToolbarButtonOnceWithItsHelp() {
    QTest::keyClick(window, Qt::Key_F1);
    QVERIFY(window->InHelpMode());
    window->ToolbarButton("save")->trigger();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0], GetCaption(1302) + ": " + GetHelp(1302));
    QVERIFY(!window->InHelpMode());
    QVERIFY(QFile::exists(filesDir.filePath("bath.tsd")));
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
      QTest::keyClick(window, key);
    QVERIFY(opened);
  }

  // Last: the window goes.
  void exitAsksWhenChangedAndWritesTheRecentFiles() {
    ConfirmNextDialog();
    QTest::mouseClick(window->Tool(5), Qt::LeftButton);
    QTest::mouseMove(window->View(), QPoint(300, 250));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(300, 250));
    answers = {plat::IDCANCEL};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    WriteSetting("RecentFiles", "File4", "kept");
    window->ProjectItem(17)->setEnabled(false);  // three shown
    answers = {plat::IDNO};
    QVERIFY(window->close());
    QCOMPARE(ReadSetting("RecentFiles", "File1", ""), filesDir.filePath("d.tsd"));
    QCOMPARE(ReadSetting("RecentFiles", "File3", ""), filesDir.filePath("b.tsd"));
    QCOMPARE(ReadSetting("RecentFiles", "File4", ""), QString("kept"));
  }

 private:
  QTemporaryDir settingsDir, filesDir;
  MainWindow* window = nullptr;
  int dialogs = 0;
  bool lastDialogWasSave = false;
  QString lastTitle, lastFilter, nextFileName;
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
