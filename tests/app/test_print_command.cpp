// The print command as a user gives it: Ctrl+P in the main window, the printer chosen,
// the scale picked in the real scale dialog, the preview's print; the page lands in a
// PDF file in place of the printer.
#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>

#include "app_fixture.h"
#include "catalogue/catalogue.h"
#include "check/check_window.h"
#include "check/free_area_overlay.h"
#include "file_bytes.h"
#include "print/print_command.h"
#include "print/print_setup.h"
#include "shell/settings.h"

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

  // The free areas on the printed page when the scale dialog's box is ticked: for the
  // setting chosen in the plan check (barrier-free, 120 x 120 cm, at 1:50 one dot at
  // 254 per inch for each worksheet pixel), with a note under the dimension note. The
  // box is remembered; the exported picture of the plan stays as it was, byte for byte.
  void theFreeAreasPrintWhenAskedAndTheExportStaysAsItWas() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty() ||
        QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("poppler-utils are not installed");
    nextFileName = WriteFurnishedRoom();
    Press(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(Messages::Shown().isEmpty(), qPrintable(Messages::Shown().join('\n')));
    nextFileName = FilePath("before.png");
    window_->ProjectItem(kExportImage)->trigger();
    const QByteArray exported = Read(FilePath("before.png"));
    QVERIFY(!exported.isEmpty());

    // Unticked at first: the page as it always was.
    bool ticked = true;
    AnswerScaleDialog(2, &ticked, false);
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!ticked);
    QVERIFY(QFile::rename(pdf, FilePath("plain.pdf")));

    window_->ProjectItem(kCheckPlan)->trigger();
    window_->PlanCheck()->Setting()->setCurrentIndex(1);  // barrier-free
    window_->PlanCheck()->close();
    // The main window is active again, as a window manager makes it.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    window_->ViewItem(kFreeAreas)->trigger();
    AnswerScaleDialog(2, &ticked, true);
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(QFile::rename(pdf, FilePath("zoned.pdf")));
    QCOMPARE(ReadSetting("Print", "FreeAreas", ""), QString("1"));

    const QString note = "Free areas (Barrier-free) hatched, blocked ones cross-hatched";
    QVERIFY(PdfPlainText(FilePath("zoned.pdf")).contains(note));
    QVERIFY(!PdfPlainText(FilePath("plain.pdf")).contains(note));
    const QImage before = RenderPage(FilePath("plain.pdf")),
                 after = RenderPage(FilePath("zoned.pdf"));
    QVERIFY(!before.isNull() && before.size() == after.size());
    // The rows that changed: the zones over the plan, then well below them the note.
    QList<QRect> changed;
    for (int y = 0; y < after.height(); ++y)
      for (int x = 0; x < after.width(); ++x) {
        if (after.pixel(x, y) == before.pixel(x, y)) continue;
        if (changed.isEmpty() || y > changed.last().bottom() + kRowGap) changed << QRect();
        changed.last() |= QRect(x, y, 1, 1);
      }
    QCOMPARE(changed.size(), 2);
    QVERIFY2(changed[1].height() < kNoteLineDots, qPrintable(QString::number(changed[1].height())));
    // The zones' extent, as the check gives them for the plan's file.
    Catalogue catalogue;
    QCOMPARE(catalogue.Open(ShippedCatalogue(), ""), CatalogueState::kOpen);
    PlanText plan;
    QVERIFY(ReadPlanFile(FilePath("furnished.tsd"), &plan, nullptr));
    QRectF zones;
    for (const FreeAreaShape& zone :
         FreeAreaShapes(plan, CheckCatalogueOf(catalogue), FreeAreaSetting::kBarrierFree))
      zones |= zone.area.boundingRect();
    QVERIFY(zones.width() >= 240 && zones.height() >= 240);  // 120 cm each way at least
    // The edge's stroke reaches a dot or two past each side.
    QVERIFY2(std::abs(changed[0].width() - zones.width()) <= 4 &&
                 std::abs(changed[0].height() - zones.height()) <= 4,
             qPrintable(QString("%1 x %2 for %3 x %4")
                            .arg(changed[0].width())
                            .arg(changed[0].height())
                            .arg(zones.width())
                            .arg(zones.height())));

    // Remembered: the next print starts ticked.
    AnswerScaleDialog(2, &ticked, false);
    Press(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(ticked);
    QCOMPARE(ReadSetting("Print", "FreeAreas", ""), QString("0"));

    // Neither the zones shown in the window nor the print's choice reach the export.
    nextFileName = FilePath("after.png");
    window_->ProjectItem(kExportImage)->trigger();
    QCOMPARE(Read(FilePath("after.png")), exported);
    window_->ViewItem(kFreeAreas)->trigger();
    QVERIFY(Messages::Shown().isEmpty());
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

  // Waits for the scale dialog and picks option `option` in it; with `ticked`, notes
  // whether the free areas box was ticked and sets it to `freeAreas` by a click.
  static void AnswerScaleDialog(int option, bool* ticked = nullptr, bool freeAreas = false) {
    QTimer::singleShot(10, [option, ticked, freeAreas] {
      auto* setup = qobject_cast<PrintSetupDialog*>(QApplication::activeModalWidget());
      if (!setup) return AnswerScaleDialog(option, ticked, freeAreas);
      setup->optSize[option]->setChecked(true);
      if (ticked) {
        *ticked = setup->chkFreeAreas->isChecked();
        if (*ticked != freeAreas)
          QTest::mouseClick(setup->chkFreeAreas, Qt::LeftButton, {},
                            QPoint(6, setup->chkFreeAreas->height() / 2));
      }
      setup->cmdOK->click();
    });
  }
  // The first page in colour at 254 dots per inch.
  static QImage RenderPage(const QString& file) {
    QProcess p;
    p.start("pdftoppm", {"-r", "254", "-f", "1", "-l", "1", "-png", file, file});
    p.waitForFinished(60000);
    return QImage(file + "-1.png").convertToFormat(QImage::Format_RGB32);
  }
  // Changed rows further apart than this belong to different things on the page; the
  // note is one line of text, under 4 mm.
  static constexpr int kRowGap = 20, kNoteLineDots = 40;
  QString pdf, printerTitle, proposedPdf;
  QPageLayout::Orientation offeredOrientation = QPageLayout::Portrait;
  std::function<void(QPrinter&)> changePaper;
  int printerAsked = 0, previewShown = 0;
  bool cancelPrinter = false;
};

QTEST_MAIN(PrintCommandTest)
#include "test_print_command.moc"
