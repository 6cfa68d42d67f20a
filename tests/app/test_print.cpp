// Printing to scale: the smallest scale that fits, the scale dialog driven through its
// buttons, and pages printed to PDF, measured on paper and read back as text.
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

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
  job.title = "Ostara Tessel - Bathroom plan";
  job.date = "07.12.26";
  job.planName = "bath.tsd";
  job.listHeader = "Model no.       Series  -  Product";
  for (int i = 0; i < products; ++i)
    job.products << QString("%1 Linea basin %2").arg(4000 + i).arg(i);
  return job;
}

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
    QTest::addColumn<double>("pageWidth");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<int>("planWidth");
    QTest::addColumn<int>("planHeight");
    QTest::addColumn<int>("minimum");
    // 400 units of 5 mm across a 190 mm page: 2000 mm / 190 mm = 10.5, so 1:11.
    QTest::newRow("wide plan") << 19000.0 << 27700.0 << 400 << 100 << 11;
    QTest::newRow("minimum 60") << 19000.0 << 27700.0 << 2242 << 100 << 60;
    // A tall plan is bound by the height left below the title block (10 pt: 200 x 10
    // twips, 35.28 mm): 2800 mm over 241.7 mm is 11.58, so 1:12.
    QTest::newRow("tall plan") << 19000.0 << 27700.0 << 100 << 560 << 12;
    QTest::newRow("no extent") << 19000.0 << 27700.0 << 0 << 560 << 0;
  }
  void minimumScale() {
    QFETCH(double, pageWidth);
    QFETCH(double, pageHeight);
    QFETCH(int, planWidth);
    QFETCH(int, planHeight);
    QFETCH(int, minimum);
    QCOMPARE(MinimumPrintScale(pageWidth, pageHeight, planWidth, planHeight), minimum);
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
  }

  // A 330 cm room at 1:50 is 66 mm on paper; the texts are on the page.
  void pageToScale() {
    if (!HaveTool("pdftoppm") || !HaveTool("pdftotext")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("plan.pdf");
    {
      QPdfWriter writer(pdf);
      writer.setPageSize(QPageSize(QPageSize::A4));
      QVERIFY(PrintPlanPage(writer, Job(50, 3)));
    }
    const QString text = PdfText(pdf);
    for (const char* expected : {"Ostara Tessel - Bathroom plan", "07.12.26", "bath.tsd", "1:50",
                                 "Model no.", "4002 Linea basin 2"})
      QVERIFY2(text.contains(expected), expected);
    // 254 dots per inch are 10 per millimetre.
    QProcess render;
    render.start("pdftoppm",
                 {"-r", "254", "-gray", "-f", "1", "-l", "1", "-png", pdf, dir.filePath("page")});
    QVERIFY(render.waitForFinished(60000));
    const QImage page(dir.filePath("page-1.png"));
    QVERIFY(!page.isNull());
    // The widest run of the wall grey across the page.
    int widest = 0;
    for (int y = 0; y < page.height(); y += 7) {
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

  // A list longer than the page goes on over further pages: every product is printed.
  void longListGoesOn() {
    if (!HaveTool("pdftotext")) QSKIP("poppler-utils are not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("long.pdf");
    {
      QPdfWriter writer(pdf);
      writer.setPageSize(QPageSize(QPageSize::A4));
      QVERIFY(PrintPlanPage(writer, Job(20, 160)));
    }
    const QString text = PdfText(pdf);
    for (int i = 0; i < 160; ++i)
      QVERIFY2(text.contains(QString("%1 Linea basin %2").arg(4000 + i).arg(i)),
               qPrintable(QString::number(i)));
    QVERIFY(text.count('\f') >= 3);  // the plan's page and at least two of the list
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
    QVERIFY2(PreparePlanPrint(engine, 50, plan, {}, &job, &why), qPrintable(why));
    QCOMPARE(job.planWidth, 660);
    QCOMPARE(job.planHeight, 560);
    QCOMPARE(job.picture.size(), QSize(660, 560));
    QCOMPARE(job.planName, QString("room.tsd"));
    QVERIFY(job.products.isEmpty());
    QCOMPARE(QDir::temp().entryList({"tessel-print-*"}), before);
  }
};

QTEST_MAIN(PrintTest)
#include "test_print.moc"
