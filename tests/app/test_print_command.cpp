// The print command as a user gives it: Ctrl+P in the main window, the printer chosen,
// the scale picked in the real scale dialog, the preview's print; the page lands in a
// PDF file in place of the printer.
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>

#include "app_fixture.h"
#include "print/print_command.h"
#include "print/print_setup.h"

using namespace tessel;
using namespace tessel::testing;

class PrintCommandTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() {
    QVERIFY(OpenWindow());
    pdf = FilePath("printed.pdf");
    QFile::remove(pdf);
    printerAsked = previewShown = 0;
    PrintDialogEdges().choosePrinter = [this](QPrinter& printer, const QString& title, QWidget*) {
      ++printerAsked;
      printerTitle = title;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return !cancelPrinter;
    };
    PrintDialogEdges().preview = [this](QPrinter& printer,
                                        const std::function<void(QPrinter*)>& paint, QWidget*) {
      ++previewShown;
      paint(&printer);  // the preview's print button
      return true;
    };
    cancelPrinter = false;
  }
  void cleanup() { CloseWindow(); }

  void ctrlPPrintsAtTheChosenScale() {
    DrawRoom();
    // In the scale dialog, once it is up: 1:50, then OK.
    AnswerScaleDialog(2);
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printerAsked, 1);
    QCOMPARE(previewShown, 1);
    QVERIFY(!printerTitle.isEmpty());
    QVERIFY(QFile::exists(pdf));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) return;
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(page.contains("1:50"), qPrintable(page));
    QVERIFY2(page.contains("Untitled"), qPrintable(page));  // a plan not yet saved
    QVERIFY(Messages::Shown().isEmpty());
  }

  // An empty plan: the user is told there is nothing to print before any dialog opens.
  void aPlanWithoutARoomIsNotPrinted() {
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printerAsked, 0);
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown().front().contains(GetHelp(5942)),
             qPrintable(Messages::Shown().front()));
    QVERIFY(!QFile::exists(pdf));
  }

  void aCancelledPrinterDialogPrintsNothing() {
    DrawRoom();
    cancelPrinter = true;
    window_->ProjectItem(kPrint)->trigger();
    QCOMPARE(printerAsked, 1);
    QCOMPARE(previewShown, 0);
    QVERIFY(QApplication::activeModalWidget() == nullptr);  // no scale dialog
    QVERIFY(!QFile::exists(pdf));
  }

 private:
  // Waits for the scale dialog and picks option `option` in it.
  static void AnswerScaleDialog(int option) {
    QTimer::singleShot(10, [option] {
      auto* setup = qobject_cast<PrintSetupDialog*>(QApplication::activeModalWidget());
      if (!setup) return AnswerScaleDialog(option);
      setup->optSize[option]->setChecked(true);
      setup->cmdOK->click();
    });
  }
  QString pdf, printerTitle;
  int printerAsked = 0, previewShown = 0;
  bool cancelPrinter = false;
};

QTEST_MAIN(PrintCommandTest)
#include "test_print_command.moc"
