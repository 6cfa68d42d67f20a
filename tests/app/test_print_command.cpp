// The print command as a user gives it: Ctrl+P in the main window, the printer chosen,
// the scale picked in the real scale dialog, the preview's print; the page lands in a
// PDF file in place of the printer.
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>

#include "app_fixture.h"
#include "catalogue/catalogue.h"
#include "file_bytes.h"
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
      proposedPdf = printer.outputFileName();
      offeredOrientation = printer.pageLayout().orientation();
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return !cancelPrinter;
    };
    PrintDialogEdges().preview = [this](QPrinter& printer,
                                        const std::function<void(QPrinter*)>& paint, QWidget*) {
      ++previewShown;
      if (changePaper) changePaper(printer);
      // What the preview shows: the pages on the printer's paper as it is now.
      QPrinter shown(QPrinter::HighResolution);
      shown.setOutputFormat(QPrinter::PdfFormat);
      shown.setOutputFileName(FilePath("preview.pdf"));
      shown.setPageLayout(printer.pageLayout());
      paint(&shown);
      return true;  // its print button
    };
    cancelPrinter = false;
    changePaper = nullptr;
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

  // A furnished room opened from its file and printed with Ctrl+P at 1:20 and at 1:50:
  // on paper the plan is as wide as its worksheet pixels' 5 mm each divided by N, and
  // the title block and the product list are in the program's language.
  void aFurnishedRoomPrintsToScale_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("scale");
    QTest::newRow("English, 1:20") << "" << 1 << 20;
    QTest::newRow("German, 1:50") << "D" << 2 << 50;
  }
  void aFurnishedRoomPrintsToScale() {
    QFETCH(QString, language);
    QFETCH(int, option);
    QFETCH(int, scale);
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty() ||
        QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("poppler-utils are not installed");
    CloseWindow();
    auto english = qScopeGuard([] { OpenLanguage("", ShippedCatalogue()); });
    QVERIFY(OpenLanguage(language, ShippedCatalogue()));
    QVERIFY(OpenWindow());
    pdf = FilePath("printed.pdf");

    nextFileName = WriteFurnishedRoom();
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(Messages::Shown().isEmpty(), qPrintable(Messages::Shown().join('\n')));
    vCallTessel(TC_GetInfo, 0, 0, 0);
    const EngineInfo& info = Bridge().infoRecord;
    const int planWidth = info.iBoundRight - info.iBoundLeft;
    QVERIFY(planWidth > 600);
    AnswerScaleDialog(option);
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(QFile::exists(pdf));

    Catalogue catalogue;
    QCOMPARE(catalogue.Open(ShippedCatalogue(), language), CatalogueState::kOpen);
    const QString text = PdfPlainText(pdf);
    for (const QString& expected :
         {GetCaption(5310), GetCaption(7510), GetCaption(7514), QString("furnished.tsd"),
          QString("1:%1").arg(scale), PrintDate(QDate::currentDate(), language),
          NameOf(catalogue, kBasin), NameOf(catalogue, kToilet),
          QString(language.isEmpty() ? "37 × 68 × 82.5" : "37 × 68 × 82,5")})
      QVERIFY2(text.contains(expected.simplified()),
               qPrintable(expected + " missing from:\n" + text));

    // Dots at 2540 per inch are hundredths of a millimetre.
    const double width = PlanWidthOnPaper(pdf);
    const double expected = planWidth * 500.0 / scale;
    qInfo("plan on paper at 1:%d: %.0f dots at 2540 dpi for %.0f", scale, width, expected);
    QVERIFY2(std::abs(width - expected) <= expected * kScaleTolerance,
             qPrintable(QString("%1 dots for %2").arg(width).arg(expected)));
  }

  // One printer dialog, then the scale and the preview. The paper made smaller in the
  // preview after 1:20 was chosen for A4: the scale is checked against the paper that
  // is printed on, the plan is never cut off, and the file holds what the preview
  // showed. The PDF proposed is the plan's own name in its folder.
  void thePreviewPrintsWhatItShowsOnThePaperChosen() {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
        QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("poppler-utils are not installed");
    nextFileName = WriteFurnishedRoom();
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    int offered20 = -1;
    QTimer::singleShot(10, [&offered20] {
      auto* setup = qobject_cast<PrintSetupDialog*>(QApplication::activeModalWidget());
      if (!setup) return;
      offered20 = setup->optSize[1]->isEnabled();
      setup->optSize[1]->setChecked(true);
      setup->cmdOK->click();
    });
    changePaper = [](QPrinter& printer) {
      printer.setPageSize(QPageSize(QPageSize::A5));
      printer.setPageOrientation(QPageLayout::Portrait);
    };
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printerAsked, 1);
    QCOMPARE(previewShown, 1);
    QCOMPARE(offered20, 1);
    QCOMPARE(proposedPdf, FilePath("furnished.pdf"));
    QVERIFY2(Messages::Shown().isEmpty(), qPrintable(Messages::Shown().join('\n')));
    // A5 within 5 mm margins leaves 138 x 152 mm for the plan: its 3300 mm need 1:24.
    const QString printed = PdfPlainText(pdf);
    QVERIFY2(printed.contains("1:24") && !printed.contains("1:20"), qPrintable(printed));
    QCOMPARE(printed, PdfPlainText(FilePath("preview.pdf")));
    QProcess info;
    info.start("pdfinfo", {pdf});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains("(A5)"));
  }

  // A PDF that cannot be written is said, with the file's name and why; the preview
  // was shown once and nothing else was asked.
  void aPdfThatCannotBeWrittenIsReported() {
    DrawRoom();
    QFile blocker(FilePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    pdf = FilePath("blocker/plan.pdf");  // a file where a folder should be
    AnswerScaleDialog(0);
    window_->ProjectItem(kPrint)->trigger();
    QCOMPARE(printerAsked, 1);
    QCOMPARE(previewShown, 1);
    QCOMPARE(Messages::Shown().size(), 1);
    QString caption, text;
    QVERIFY(GetError(11000, &caption, &text));
    QVERIFY2(Messages::Shown().front().startsWith(caption + ": ") &&
                 Messages::Shown().front().contains(pdf),
             qPrintable(Messages::Shown().front()));
    QVERIFY(!QFile::exists(pdf));
  }

  // The printer dialog opens on the paper turned the way that prints the plan larger:
  // landscape for a wide room, portrait for a tall one.
  void thePaperIsOfferedTheWayRoundThatPrintsLarger_data() {
    QTest::addColumn<QString>("room");
    QTest::addColumn<int>("orientation");
    QTest::newRow("wide") << "500,150" << int(QPageLayout::Landscape);
    QTest::newRow("tall") << "150,500" << int(QPageLayout::Portrait);
  }
  void thePaperIsOfferedTheWayRoundThatPrintsLarger() {
    QFETCH(QString, room);
    QFETCH(int, orientation);
    const QString name = FilePath("shaped.tsd");
    Write(name, QString("[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,%1,32767,0,0\r\n"
                        "[Design]\r\ncount=0\r\n")
                    .arg(room)
                    .toUtf8());
    nextFileName = name;
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    cancelPrinter = true;
    window_->ProjectItem(kPrint)->trigger();
    QCOMPARE(printerAsked, 1);
    QCOMPARE(int(offeredOrientation), orientation);
  }

 private:
  static constexpr double kScaleTolerance = 0.002;
  static constexpr int kBasin = 101, kToilet = 107;

  // The 300 x 250 cm room with a washbasin and a toilet from the shipped catalogue.
  QString WriteFurnishedRoom() {
    const QString images = QCoreApplication::applicationDirPath() + "/katalog/images/";
    const QString name = FilePath("furnished.tsd");
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(QString("[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
                    "[Design]\r\ncount=2\r\n"
                    "00=PRODUCT,500,260,%1,0,0,%2,0\r\n"
                    "01=PRODUCT,760,260,%3,0,0,%4,0\r\n")
                .arg(kBasin)
                .arg(images + "li0101p2.bmp")
                .arg(kToilet)
                .arg(images + "li0107p2.bmp")
                .toUtf8());
    return name;
  }
  static QString NameOf(Catalogue& catalogue, qint64 id) {
    return ProductListRows(catalogue, {id}).value(0).name;
  }
  static QString PdfPlainText(const QString& file) {
    QProcess text;
    text.start("pdftotext", {"-layout", file, "-"});
    text.waitForFinished(30000);
    // Columns come out as runs of spaces of their own width.
    return QString::fromUtf8(text.readAllStandardOutput()).simplified();
  }
  // The plan picture's width on the first page, in dots at 2540 per inch: its rows are
  // found at 254 per inch (the rows whose ink is centred on the page and wide), then
  // one row through their middle is rendered at 2540 per inch.
  static double PlanWidthOnPaper(const QString& file) {
    const QString dir = QFileInfo(file).absolutePath();
    auto render = [&](const QStringList& extra, const QString& stem) {
      QProcess p;
      p.start("pdftoppm", QStringList{"-gray", "-f", "1", "-l", "1", "-png"} + extra +
                              QStringList{file, dir + "/" + stem});
      p.waitForFinished(60000);
      return QImage(dir + "/" + stem + "-1.png");
    };
    auto inkRun = [](const QImage& page, int y, int* first, int* last) {
      *first = *last = -1;
      for (int x = 0; x < page.width(); ++x)
        if (qGray(page.pixel(x, y)) < kPaperGrey) {
          if (*first < 0) *first = x;
          *last = x;
        }
    };
    const QImage page = render({"-r", "254"}, "coarse");
    if (page.isNull()) return -1;
    std::vector<int> planRows;
    for (int y = 0; y < page.height(); ++y) {
      int first, last;
      inkRun(page, y, &first, &last);
      if (first >= 0 && last - first > kWidestText && std::abs(first + last - page.width()) < 100)
        planRows.push_back(y);
    }
    if (planRows.empty()) return -1;
    const int row = planRows[planRows.size() / 2] * 10;
    const QImage strip = render({"-r", "2540", "-x", "0", "-y", QString::number(row), "-W",
                                 QString::number(page.width() * 10), "-H", "1"},
                                "fine");
    if (strip.isNull()) return -1;
    int first, last;
    inkRun(strip, 0, &first, &last);
    return first < 0 ? -1 : last - first + 1;
  }
  // Anything darker than paper is ink; a text line is narrower than this many dots at
  // 254 per inch, a plan wider.
  static constexpr int kPaperGrey = 250, kWidestText = 200;

  // Waits for the scale dialog and picks option `option` in it.
  static void AnswerScaleDialog(int option) {
    QTimer::singleShot(10, [option] {
      auto* setup = qobject_cast<PrintSetupDialog*>(QApplication::activeModalWidget());
      if (!setup) return AnswerScaleDialog(option);
      setup->optSize[option]->setChecked(true);
      setup->cmdOK->click();
    });
  }
  QString pdf, printerTitle, proposedPdf;
  QPageLayout::Orientation offeredOrientation = QPageLayout::Portrait;
  std::function<void(QPrinter&)> changePaper;
  int printerAsked = 0, previewShown = 0;
  bool cancelPrinter = false;
};

QTEST_MAIN(PrintCommandTest)
#include "test_print_command.moc"
