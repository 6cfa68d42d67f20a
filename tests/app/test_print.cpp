// Printing to scale: the smallest scale that fits, the scale dialog driven through its
// buttons, and pages printed to PDF, measured on paper and read back as text.
#include <QCheckBox>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/bmp_writer.h"
#include "platform/window.h"
#include "print/print.h"
#include "print/print_setup.h"
#include "shell/engine_bridge.h"

using namespace tessel;

namespace {

std::vector<std::string> shown;
int Record(plat::HWND, const char* text, const char*, unsigned, void*) {
  shown.emplace_back(text);
  return plat::IDOK;
}

// A plan picture: a dark frame around white, as the worksheet shows a room's walls.
QImage Room(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (x < 30 || y < 30 || x >= width - 30 || y >= height - 30) image.setPixel(x, y, 0x606060);
  return image;
}

PlanPrintJob Job(int scale, int products) {
  PlanPrintJob job;
  job.scale = scale;
  job.planWidth = 660;
  job.planHeight = 560;
  job.picture = Room(660, 560);
  job.heading = "Bathroom Miller";
  job.fields = {{"Customer:", "Anna Miller"},   {"Site address:", "4 Linden Road"},
                {"Room:", "Upstairs bathroom"}, {"Planner:", "K. Weaver"},
                {"Date:", "8 December 2026"},   {"Room (inside):", "300 × 250 cm"}};
  job.notesLabel = "Notes:";
  job.notes = "Tiles to 1.20 m\nWall-hung WC";
  job.scaleText = QString("1:%1").arg(scale);
  job.dimensionNote = "Dimension lines in millimetres";
  job.listTitle = "Products";
  job.continued = "Products (continued)";
  job.pageText = "Page %1 of %2";
  job.listHeader = QStringList{"Pos.", "Model no.", "Series", "Name", "W × D × H (cm)", "Count"};
  for (int i = 0; i < products; ++i) {
    ProductListRow row;
    row.position = i + 1;
    row.id = 100 + i;
    row.model = QString::number(4000 + i);
    row.series = "Linea";
    row.name = QString("Basin %1").arg(i);
    row.width = 45 + i;
    row.depth = 36;
    row.height = 82.5;
    row.count = 1 + i % 2;
    job.products << row;
    job.marks << PositionMark{row.position, QPointF(100 + 40 * (i % 10), 100 + 30 * (i / 10 % 10)),
                              22.5, 36};
  }
  return job;
}

// A4 portrait as the program lays it out: 5 mm margins.
QPageLayout A4(QPageLayout::Orientation orientation = QPageLayout::Portrait) {
  return PrintPageLayout({QPageSize::A4, orientation});
}

bool PrintTo(const QString& pdf, const PlanPrintJob& job, const QPageLayout& layout = A4()) {
  QString why;
  const bool ok = WritePlanPdf(job, layout, pdf, &why);
  if (!ok) qWarning("%s", qPrintable(why));
  return ok;
}

QString Run(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QImage Render(const QString& pdf, const QString& stem, const QStringList& options) {
  QProcess p;
  p.start("pdftoppm",
          QStringList{"-gray", "-f", "1", "-l", "1", "-png"} + options + QStringList{pdf, stem});
  p.waitForFinished(60000);
  return QImage(stem + "-1.png");
}

// The first dot and length of the longest run of dark dots in a row.
std::pair<int, int> LongestDarkRun(const QImage& image, int y) {
  int best = 0, bestFirst = -1, run = 0;
  for (int x = 0; x < image.width(); ++x) {
    if (qGray(image.pixel(x, y)) < 128) {
      if (++run > best) {
        best = run;
        bestFirst = x - run + 1;
      }
    } else {
      run = 0;
    }
  }
  return {bestFirst, best};
}

// Longer than any text's grey: a run of it is the plan's wall.
constexpr int kWallRun = 300;

bool HaveTool(const char* name) {
  return !QStandardPaths::findExecutable(name).isEmpty();
}

QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    shown.clear();
    plat::SetMessageBoxHook(Record, nullptr);
  }
  void cleanup() { plat::SetMessageBoxHook(nullptr, nullptr); }

  void minimumScale_data() {
    QTest::addColumn<int>("planWidth");
    QTest::addColumn<int>("planHeight");
    QTest::addColumn<int>("minimum");
    // A4 portrait within 5 mm margins: 200 x 287 mm, less the title block (31 mm), two
    // gaps of 4 mm and the scale's row (9 mm) leaves 200 x 239 mm for the plan.
    // 400 units of 5 mm are 2000 mm: 1:10 fills the width exactly.
    QTest::newRow("wide plan") << 400 << 100 << 10;
    QTest::newRow("minimum 60") << 2400 << 100 << 60;
    QTest::newRow("a hair wider") << 2401 << 100 << 61;
    // 560 units are 2800 mm over 239 mm: 11.7, so 1:12.
    QTest::newRow("tall plan") << 100 << 560 << 12;
    QTest::newRow("no extent") << 0 << 560 << 0;
  }
  void minimumScale() {
    QFETCH(int, planWidth);
    QFETCH(int, planHeight);
    QFETCH(int, minimum);
    QCOMPARE(MinimumPrintScale(A4(), planWidth, planHeight), minimum);
  }

  // The paper goes the way round that prints the plan larger.
  void orientationFollowsThePlan() {
    QCOMPARE(LargerScaleOrientation(QPageSize::A4, 1000, 400), QPageLayout::Landscape);
    QCOMPARE(LargerScaleOrientation(QPageSize::A4, 400, 1000), QPageLayout::Portrait);
    QCOMPARE(LargerScaleOrientation(QPageSize::A3, 1400, 600), QPageLayout::Landscape);
    // On A3 the same wide plan prints larger than on A4.
    QVERIFY(MinimumPrintScale(PrintPageLayout({QPageSize::A3, QPageLayout::Landscape}), 1400, 600) <
            MinimumPrintScale(A4(QPageLayout::Landscape), 1400, 600));
  }

  // Margins are never below 5 mm; a printer whose printable area is smaller keeps its
  // own, and the plan then gets less room.
  void marginsAreAtLeastFiveMillimetres() {
    const QPageLayout ours = A4();
    QCOMPARE(ours.margins(QPageLayout::Millimeter), QMarginsF(5, 5, 5, 5));
    const QPageLayout printer =
        PrintPageLayout({QPageSize::A4, QPageLayout::Portrait}, QMarginsF(3, 8, 3, 12.5));
    QCOMPARE(printer.margins(QPageLayout::Millimeter), QMarginsF(5, 8, 5, 12.5));
    // 560 units are 2800 mm; the plan's room shrinks from 239 to 228.5 mm: 1:13.
    QCOMPARE(MinimumPrintScale(printer, 100, 560), 13);
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("narrow.pdf"));
    writer.setPageMargins(QMarginsF(2, 2, 2, 20), QPageLayout::Millimeter);
    KeepPrintMargins(writer);
    QCOMPARE(writer.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(5, 5, 5, 20));
  }

  void datesInTheLanguage() {
    QCOMPARE(PrintDate(QDate(2026, 12, 8), "D"), QString("8. Dezember 2026"));
    QCOMPARE(PrintDate(QDate(2026, 12, 8), ""), QString("8 December 2026"));
  }

  void typedScale_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("scale");
    const int below = int(ScaleCheck::BelowMinimum), ok = int(ScaleCheck::Accepted),
              large = int(ScaleCheck::TooLarge);
    QTest::newRow("the minimum") << "11" << ok << 11;
    QTest::newRow("below") << "10" << below << 11;
    QTest::newRow("empty") << "" << below << 11;
    QTest::newRow("letters") << "abc" << below << 11;
    QTest::newRow("trailing letters") << "70 cm" << ok << 70;
    QTest::newRow("999") << "999" << ok << 999;
    QTest::newRow("1000") << "1000" << large << 1000;
    QTest::newRow("huge") << "99999999999999999999" << below << 11;
  }
  void typedScale() {
    QFETCH(QString, typed);
    QFETCH(int, result);
    QFETCH(int, scale);
    int got = 0;
    QCOMPARE(int(CheckPrintScale(typed, 11, &got)), result);
    QCOMPARE(got, scale);
  }

  // The dialog through its own buttons: fixed scales only where the plan fits, a typed
  // scale below the minimum refused with the minimum put back.
  void setupDialog() {
    {
      PrintSetupDialog dialog(60);
      QVERIFY(dialog.optSize[0]->isChecked());
      QCOMPARE(dialog.txtSize->text(), QString("60"));
      QVERIFY(!dialog.optSize[1]->isEnabled());
      QVERIFY(!dialog.optSize[2]->isEnabled());
      QVERIFY(dialog.optSize[3]->isEnabled());
      // OK at once prints at the minimum.
      QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(dialog.Scale(), 60);
    }
    {
      PrintSetupDialog dialog(11);
      dialog.show();
      dialog.txtSize->selectAll();
      QTest::keyClicks(dialog.txtSize, "8");
      QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
      QVERIFY(dialog.isVisible());
      QCOMPARE(dialog.txtSize->text(), QString("11"));
      QCOMPARE(shown.size(), size_t{1});
      QVERIFY(QString::fromStdString(shown[0]).endsWith("11"));
      dialog.txtSize->selectAll();
      QTest::keyClicks(dialog.txtSize, "1200");
      QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
      QCOMPARE(dialog.txtSize->text(), QString("1000"));
      QVERIFY(dialog.isVisible());
      // A fixed scale greys the box and is taken as it stands.
      // On the button's round mark: the button itself is wider than what it can be hit by.
      QTest::mouseClick(dialog.optSize[2], Qt::LeftButton, {},
                        QPoint(6, dialog.optSize[2]->height() / 2));
      QVERIFY(!dialog.txtSize->isEnabled());
      QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
      QCOMPARE(dialog.Scale(), 50);
      QVERIFY(!dialog.isVisible());
    }
    // The free areas: the box starts as the caller remembers it, and a click turns it.
    for (bool remembered : {false, true}) {
      PrintSetupDialog dialog(20, nullptr, remembered);
      dialog.show();
      QCOMPARE(dialog.chkFreeAreas->text(), QString("Show &free areas"));
      QCOMPARE(dialog.FreeAreas(), remembered);
      QTest::mouseClick(dialog.chkFreeAreas, Qt::LeftButton, {},
                        QPoint(6, dialog.chkFreeAreas->height() / 2));
      QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(dialog.FreeAreas(), !remembered);
    }
  }

  // A 330 cm room at 1:50 is 66 mm on paper; the project's data, the scale and the
  // list with sizes are on the page as text.
  void pageToScale() {
    if (!HaveTool("pdftoppm") || !HaveTool("pdftotext")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("plan.pdf");
    QVERIFY(PrintTo(pdf, Job(50, 3)));
    const QString text = PdfText(pdf);
    for (const char* expected :
         {"Bathroom Miller", "Anna Miller", "4 Linden Road", "Upstairs bathroom", "K. Weaver",
          "8 December 2026", "300 × 250 cm", "Tiles to 1.20 m", "Wall-hung WC", "1:50",
          "Dimension lines in millimetres", "Page 1 of 1", "W × D × H (cm)", "4002", "Basin 2",
          "47 × 36 × 82.5"})
      QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    // 254 dots per inch are 10 per millimetre.
    QProcess render;
    render.start("pdftoppm",
                 {"-r", "254", "-gray", "-f", "1", "-l", "1", "-png", pdf, dir.filePath("page")});
    QVERIFY(render.waitForFinished(60000));
    const QImage page(dir.filePath("page-1.png"));
    QVERIFY(!page.isNull());
    // The widest run of the wall grey across the plan's rows: below the title block
    // (5 mm margin, 31 mm block, 4 mm gap), 56 mm high at 1:50.
    int widest = 0;
    for (int y = 400; y < 960; y += 7) {
      int first = -1, last = -1;
      for (int x = 0; x < page.width(); ++x) {
        const int v = qGray(page.pixel(x, y));
        if (v > 64 && v < 160) {
          if (first < 0) first = x;
          last = x;
        }
      }
      widest = std::max(widest, first < 0 ? 0 : last - first + 1);
    }
    QVERIFY2(std::abs(widest - 660) <= 3, qPrintable(QString::number(widest)));
  }

  // The plan's pixels go into the file without loss, at the worksheet's own size.
  void thePlanIsEmbeddedLosslessly() {
    if (!HaveTool("pdfimages")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("plan.pdf");
    QVERIFY(PrintTo(pdf, Job(20, 2)));
    const QStringList lines = Run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);  // the header, its rule and one image
    const QStringList image = lines[2].simplified().split(' ');
    QCOMPARE(image[3], QString("660"));
    QCOMPARE(image[4], QString("560"));
    QCOMPARE(image[9], QString("no"));  // not interpolated
    for (const char* lossy : {"jpeg", "jp2", "jbig2", "ccitt"})
      QVERIFY2(image[8] != lossy, qPrintable(lines[2]));
    QVERIFY(!Run("strings", {pdf}).contains("DCTDecode"));
  }

  // The scale bar on paper: 1 m at 1:20 is 50 mm, 2 m at 1:50 is 40 mm.
  void theScaleBarMeasures_data() {
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("millimetres");
    QTest::newRow("1:20") << 20 << 50.0;
    QTest::newRow("1:50") << 50 << 40.0;
  }
  void theScaleBarMeasures() {
    QFETCH(int, scale);
    QFETCH(double, millimetres);
    if (!HaveTool("pdftoppm")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("bar.pdf");
    QVERIFY(PrintTo(pdf, Job(scale, 0)));
    // At 254 dots per inch: the bar's bottom line is the lowest long solid run that
    // starts right of the scale text (5 mm margin, 18 mm); then rows around it again at
    // 2540 (100 dots a millimetre).
    const QImage page = Render(pdf, dir.filePath("coarse"), {"-r", "254"});
    int barRow = -1;
    for (int y = page.height() - 1; y > 0 && barRow < 0; --y) {
      const auto [first, length] = LongestDarkRun(page, y);
      if (std::abs(first - 230) <= 3 && length > 150) barRow = y;
    }
    QVERIFY(barRow > 0);
    const QImage strip = Render(pdf, dir.filePath("fine"),
                                {"-r", "2540", "-x", "0", "-y", QString::number(barRow * 10 - 20),
                                 "-W", QString::number(page.width() * 10), "-H", "40"});
    int longest = 0;
    for (int y = 0; y < strip.height(); ++y)
      longest = std::max(longest, LongestDarkRun(strip, y).second);
    const double length = longest / 100.0;
    qInfo("scale bar at 1:%d: %.2f mm", scale, length);
    QVERIFY2(std::abs(length - millimetres) <= millimetres * 0.002,
             qPrintable(QString::number(length)));
  }

  // Every word lies inside the page's 5 mm margin, portrait and landscape, on every
  // page of a list that runs over several.
  void everyTextStaysInsideTheMargin_data() {
    QTest::addColumn<int>("orientation");
    QTest::newRow("portrait") << int(QPageLayout::Portrait);
    QTest::newRow("landscape") << int(QPageLayout::Landscape);
  }
  void everyTextStaysInsideTheMargin() {
    QFETCH(int, orientation);
    if (!HaveTool("pdftotext")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("margin.pdf");
    PlanPrintJob job = Job(20, 70);
    job.products[3].name = QString(200, 'W');  // far too long for its column
    QVERIFY(PrintTo(pdf, job, A4(QPageLayout::Orientation(orientation))));
    const QString html = Run("pdftotext", {"-bbox", pdf, "-"});
    const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re");
    const auto pm = page.match(html);
    QVERIFY(pm.hasMatch());
    const double width = pm.captured(1).toDouble(), height = pm.captured(2).toDouble();
    QCOMPARE(width > height, orientation == int(QPageLayout::Landscape));
    constexpr double kMarginPoints = 5 / 25.4 * 72;
    int words = 0;
    for (auto it = word.globalMatch(html); it.hasNext(); ++words) {
      const auto m = it.next();
      const double x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble(),
                   x1 = m.captured(3).toDouble(), y1 = m.captured(4).toDouble();
      QVERIFY2(x0 >= kMarginPoints && y0 >= kMarginPoints && x1 <= width - kMarginPoints &&
                   y1 <= height - kMarginPoints,
               qPrintable(m.captured(0)));
    }
    QVERIFY(words > 300);
    QVERIFY(html.count("<page ") >= 2);
  }

  // A list longer than the page goes on over further pages under the title: every
  // product is printed.
  void longListGoesOn() {
    if (!HaveTool("pdftotext")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("long.pdf");
    QVERIFY(PrintTo(pdf, Job(20, 160)));
    const QString text = PdfText(pdf);
    for (int i = 0; i < 160; ++i)
      QVERIFY2(
          text.contains(QString("Basin %1\n").arg(i)) || text.contains(QString("Basin %1 ").arg(i)),
          qPrintable(QString::number(i)));
    const int pages = static_cast<int>(text.count('\f'));
    QVERIFY(pages >= 3);  // the plan's page and at least two of the list
    QCOMPARE(text.count("Bathroom Miller"), pages);
    QVERIFY(text.contains(QString("Page %1 of %1").arg(pages)));
    QVERIFY(text.contains("Products (continued)"));
  }

  // The free areas on paper: at the plan's scale, over the plan only, hatched so they
  // read in grey, cross-hatched where blocked; nothing else on the page changes.
  void theFreeAreasPrintOverThePlanOnly() {
    if (!HaveTool("pdftoppm")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    PlanPrintJob plain = Job(50, 2);
    // In the picture's pixels (two a centimetre): a free 90 x 55 cm zone, and a blocked
    // 120 x 120 cm one that runs past the picture's right and bottom edges.
    const QRectF freeZone(100, 100, 180, 110), blockedZone(480, 400, 240, 240);
    PlanPrintJob zoned = plain;
    for (const auto& [rect, blocked] : {std::pair{freeZone, false}, std::pair{blockedZone, true}})
      zoned.freeAreas << FreeAreaShape{QPolygonF(rect), blocked};
    QVERIFY(PrintTo(dir.filePath("plain.pdf"), plain));
    QVERIFY(PrintTo(dir.filePath("zoned.pdf"), zoned));
    // 254 dots per inch: ten a millimetre, so at 1:50 one dot is one picture pixel.
    auto colour = [&](const char* stem) {
      QProcess p;
      p.start("pdftoppm", {"-r", "254", "-f", "1", "-l", "1", "-png", dir.filePath(stem) + ".pdf",
                           dir.filePath(stem)});
      p.waitForFinished(60000);
      return QImage(dir.filePath(stem) + "-1.png").convertToFormat(QImage::Format_RGB32);
    };
    const QImage before = colour("plain"), after = colour("zoned");
    QVERIFY(!before.isNull() && before.size() == after.size());
    // The plan on paper, found by the long runs of its walls' grey (text is shorter).
    QRect plan;
    for (int y = 0; y < before.height(); ++y) {
      int run = 0;
      for (int x = 0; x < before.width(); ++x) {
        const int v = qGray(before.pixel(x, y));
        run = v > 64 && v < 160 ? run + 1 : 0;
        if (run > kWallRun) plan |= QRect(x - run + 1, y, run, 1);
      }
    }
    QVERIFY2(std::abs(plan.width() - 660) <= 2, qPrintable(QString::number(plan.width())));
    auto onPaper = [&](const QRectF& zone) {
      return zone.translated(plan.topLeft()).toAlignedRect() & plan;
    };
    // A dot of the edge's stroke may reach a dot past the zone.
    constexpr int kStroke = 2;
    QRect freeInk, blockedInk;
    for (int y = 0; y < after.height(); ++y)
      for (int x = 0; x < after.width(); ++x) {
        if (after.pixel(x, y) == before.pixel(x, y)) continue;
        const QPoint at(x, y);
        if (onPaper(freeZone).adjusted(-kStroke, -kStroke, kStroke, kStroke).contains(at))
          freeInk |= QRect(at, at);
        else if (onPaper(blockedZone).adjusted(-kStroke, -kStroke, kStroke, kStroke).contains(at))
          blockedInk |= QRect(at, at);
        else
          QFAIL(qPrintable(QString("changed outside the zones at %1, %2").arg(x).arg(y)));
      }
    // 90 x 55 cm at 1:50 are 18 x 11 mm, and the edge's stroke on either side; the
    // blocked zone stops at the plan's edge.
    QVERIFY2(std::abs(freeInk.width() - 180) <= 2 * kStroke &&
                 std::abs(freeInk.height() - 110) <= 2 * kStroke,
             qPrintable(QString("%1 x %2").arg(freeInk.width()).arg(freeInk.height())));
    QVERIFY(plan.contains(blockedInk));
    QCOMPARE(blockedInk.right(), plan.right());
    QCOMPARE(blockedInk.bottom(), plan.bottom());
    // Red where blocked, in its middle, away from the walls' grey.
    const QColor red = after.pixelColor(onPaper(blockedZone).topLeft() + QPoint(40, 40));
    QVERIFY2(red.red() > red.green() + 20, qPrintable(red.name()));

    // In grey, as a black and white printer prints: lines across the zone, twice as many
    // where it is blocked.
    const QImage grey = Render(dir.filePath("zoned.pdf"), dir.filePath("grey"), {"-r", "254"});
    QCOMPARE(grey.size(), after.size());
    auto inkShare = [&](const QRect& area) {
      int ink = 0;
      for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ink += qGray(grey.pixel(x, y)) < 200;
      return double(ink) / (area.width() * area.height());
    };
    const QRect freeMiddle = onPaper(freeZone).adjusted(20, 20, -20, -20);
    const QRect blockedMiddle =
        QRect(onPaper(blockedZone).topLeft() + QPoint(20, 20), QSize(60, 60));
    const double freeShare = inkShare(freeMiddle), blockedShare = inkShare(blockedMiddle);
    QVERIFY2(freeShare > 0.03 && freeShare < 0.5, qPrintable(QString::number(freeShare)));
    QVERIFY2(blockedShare > 1.5 * freeShare, qPrintable(QString::number(blockedShare)));

    // The note says what the hatching means, under the dimension note.
    if (!HaveTool("pdftotext")) return;
    zoned.freeAreaNote = "Free areas (Barrier-free) hatched, blocked ones cross-hatched";
    QVERIFY(PrintTo(dir.filePath("noted.pdf"), zoned));
    QVERIFY(PdfText(dir.filePath("noted.pdf")).contains(zoned.freeAreaNote));
    QVERIFY(!PdfText(dir.filePath("plain.pdf")).contains("hatched"));
  }

  void nothingToPrint() {
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("none.pdf"));
    PlanPrintJob job = Job(50, 0);
    job.picture = QImage();
    QString why;
    QVERIFY(!PrintPlanPage(writer, job, &why));
    QVERIFY(!why.isEmpty());
  }

  // From the real engine: a loaded plan's extent and pixels, the temporary bitmap gone.
  void preparedFromTheEngine() {
    EngineCall engine = Engine();
    QVERIFY2(engine, qPrintable(EngineLoadError()));
    QTemporaryDir dir;
    const QString plan = dir.filePath("room.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n");
    f.close();
    const QByteArray name = QFile::encodeName(plan);
    QCOMPARE(engine(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(name.constData()), 0), 0L);
    const QStringList before = QDir::temp().entryList({"tessel-print-*"});
    PlanPrintJob job;
    QString why;
    PrintSource source;
    source.currentFile = plan;
    QVERIFY2(PreparePlanPrint(engine, 50, source, &job, &why), qPrintable(why));
    QCOMPARE(job.planWidth, 660);
    QCOMPARE(job.planHeight, 560);
    QCOMPARE(job.picture.size(), QSize(660, 560));
    QCOMPARE(job.fields[2].second, QString("room.tsd"));  // no room named: the file
    QCOMPARE(job.fields[5].second, QString("300 × 250 cm"));
    QVERIFY(job.products.isEmpty());
    QCOMPARE(QDir::temp().entryList({"tessel-print-*"}), before);
  }

  // A product placed in room layout mode stands in the room's list; the list counts
  // it as a drawn product, and the plan carries its number beside it as for the
  // furnishing's.
  void productsOfTheRoomsListAreMarked() {
    EngineCall engine = Engine();
    QVERIFY2(engine, qPrintable(EngineLoadError()));
    QTemporaryDir dir;
    WriteFile(std::filesystem::path(dir.filePath("basin-2.bmp").toStdString()), BasinBmp(90, 72));
    const QString picture = dir.filePath("basin-2.bmp");
    const QString plan = dir.filePath("room.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    // Against the top wall from the room's list, against the bottom wall from the
    // furnishing, each by its depth and two pixels.
    f.write(QString("[Layout]\r\ncount=2\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
                    "01=PRODUCT,480,228,100,1,0,%1,0\r\n[Design]\r\ncount=1\r\n"
                    "00=PRODUCT,480,652,108,1,0,%1,0\r\n")
                .arg(picture)
                .toLocal8Bit());
    f.close();
    const QByteArray name = QFile::encodeName(plan);
    QCOMPARE(engine(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(name.constData()), 0), 0L);
    // The page is made in design mode, where the furnishing is drawn too.
    engine(TC_SetDesignMode, 0, 0, 0, 0, 0);
    PlanPrintJob job;
    QString why;
    PrintSource source;
    QVERIFY2(PreparePlanPrint(engine, 50, source, &job, &why), qPrintable(why));
    QCOMPARE(job.products.size(), 2);
    QCOMPARE(job.products[0].id, 100);
    QCOMPARE(job.products[1].id, 108);
    QCOMPARE(job.marks.size(), 2);
    QCOMPARE(job.marks[0].position, 1);
    QCOMPARE(job.marks[1].position, 2);
    // Each beside its own product: the room's above the furnishing's.
    QVERIFY(job.marks[0].centre.y() < job.marks[1].centre.y());
  }
};

QTEST_MAIN(PrintTest)
#include "test_print.moc"
