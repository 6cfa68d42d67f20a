// The program's own windows as a user meets them under a plain window manager: when one
// closes, the keyboard is the main window's again at once (Esc abandons a placement
// without the pointer crossing the window), and the open dialog finds a plan typed
// without its ending.
#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QWindow>

#include "app_fixture.h"
#include "shell/forms.h"
#include "shell/settings.h"
#include "shell/startup_windows.h"

using namespace tessel;
using namespace tessel::testing;

class WindowsTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() { QVERIFY(window = OpenWindow()); }
  void cleanup() {
    CloseWindow();
    window = nullptr;
  }

  // The tool's dialog confirmed: the wall rectangle hangs at the pointer, and Esc sent
  // to the window that has the keyboard lets go of it.
  void theKeyboardComesBackAfterAToolDialog() {
    AnswerDialog("frmRectangle", [](QDialog* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
    QTest::mouseClick(window->Tool(kWallRectTool), Qt::LeftButton);
    QTest::mouseMove(window->View(), QPoint(300, 250));
    ReadInfo();
    QVERIFY(Bridge().infoRecord.bObjAtCur != 0);
    QVERIFY(KeyboardIsTheMainWindows());
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
  }

  void theKeyboardComesBackAfterTheCreditsAndTheHint() {
    AnswerDialog("frmQuillon", [](QDialog* d) { d->accept(); });
    for (Qt::Key key :
         {Qt::Key_Q, Qt::Key_U, Qt::Key_I, Qt::Key_L, Qt::Key_L, Qt::Key_O, Qt::Key_N})
      Press(window, key);
    QVERIFY(KeyboardIsTheMainWindows());
    // The placing hint, as a product taken from the bar shows it.
    Hints().showEsc = true;
    AnswerDialog("frmStartuphelp",
                 [](QDialog* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
    StartupHelpWindow hint(window);
    hint.setMode(StartupHelpWindow::kEscHint);
    RunModal(hint);
    QVERIFY(KeyboardIsTheMainWindows());
  }

  // Every caption of the door and window dialogs is shown whole, in English and German.
  void theOpeningDialogsShowTheirCaptionsWhole_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "";
    QTest::newRow("German") << "D";
  }

  void theOpeningDialogsShowTheirCaptionsWhole() {
    QFETCH(QString, language);
    QVERIFY(OpenLanguage(language, ShippedCatalogue()));
    DrawRoom();
    for (const int tool : {kDoorTool, kWindowTool}) {
      QStringList clipped;
      AnswerDialog("frmDoor", [&clipped](QDialog* d) {
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>()) {
          const QRect inForm(b->mapTo(d, QPoint(0, 0)), b->size());
          if (b->isVisible() && (b->width() < b->sizeHint().width() || !d->rect().contains(inForm)))
            clipped << b->text();
        }
        d->findChild<QPushButton*>("cmdCancel")->click();
      });
      QTest::mouseClick(window->Tool(tool), Qt::LeftButton);
      QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(" | ")));
    }
    QVERIFY(OpenLanguage("", ShippedCatalogue()));
  }

  // While the export asks for a file name, the plan behind the dialog stays drawn.
  void thePlanStaysDrawnBehindTheExportDialogs() {
    DrawRoom();
    QVERIFY(window->View()->isVisible());
    const QColor paper = window->View()->grab().toImage().pixelColor(2, 2);
    int drawn = -1;
    window->SetFileDialog([&](bool, const QString&, const QString&, const QString&) {
      QCoreApplication::processEvents();
      const QImage view = window->View()->grab().toImage();
      drawn = 0;
      for (int y = 0; y < view.height(); y += 4)
        for (int x = 0; x < view.width(); x += 4) drawn += view.pixelColor(x, y) != paper;
      return QString();
    });
    window->ProjectItem(kExportImage)->trigger();
    QVERIFY2(drawn > 100, qPrintable(QString::number(drawn)));
    QVERIFY(KeyboardIsTheMainWindows());
  }

  // The real open dialog: "plan1" typed and Return pressed opens plan1.tsd.
  void theOpenDialogFindsAPlanTypedWithoutItsEnding() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(window->SaveProject(folder.filePath("plan1.tsd")));
    window->NewProject();
    WriteSetting(kStartupSection, "LastFolder", folder.path());
    window->SetFileDialog(nullptr);
    bool answered = false;
    QTimer::singleShot(50, [&answered] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      QVERIFY(name);
      // A dialog that refuses the name says so in a box of its own: closed, and the
      // dialog with it, rather than hang.
      QTimer::singleShot(500, [dialog] {
        if (QApplication::activeModalWidget() != dialog) QApplication::activeModalWidget()->close();
        if (dialog->isVisible()) dialog->reject();
      });
      name->setFocus();
      QTest::keyClicks(name, "plan1");
      QTest::keyClick(name, Qt::Key_Return);
      answered = true;
    });
    window->ProjectItem(kOpen)->trigger();
    QVERIFY(answered);
    QCOMPARE(window->CurrentFile(), folder.filePath("plan1.tsd"));
    QVERIFY(KeyboardIsTheMainWindows());
  }

 private:
  bool KeyboardIsTheMainWindows() {
    QCoreApplication::processEvents();
    return QApplication::activeWindow() == window &&
           QGuiApplication::focusWindow() == window->windowHandle();
  }

  MainWindow* window = nullptr;
};

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
