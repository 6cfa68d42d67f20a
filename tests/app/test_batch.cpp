// The program's window-less commands, run as a user runs them: the real program in a
// process of its own, its exit status, its message and the files it writes.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
  int status;
  QString errors;
};

Run Tessel(const QStringList& arguments) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");  // the commands must not need one
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(QCoreApplication::applicationDirPath() + "/tessel32", arguments);
  if (!p.waitForFinished(60000)) return {-1, "did not finish"};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromLocal8Bit(p.readAllStandardError())};
}

QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {pdf, "-"});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class BatchTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    plan = dir.filePath("bath.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n");
  }

  void exportWritesThePlansBitmap() {
    const QString out = dir.filePath("bath.bmp");
    const Run r = Tessel({"--export", plan, out});
    QCOMPARE(r.status, 0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bmp = f.readAll();
    QVERIFY(bmp.startsWith("BM"));
    // The room with its wall bands: 660 x 560 pixels, 660 bytes a row.
    QCOMPARE(bmp.size(), 1078 + 660 * 560);
  }

  void printPdfPrintsAtTheScaleAsked() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
    const QString out = dir.filePath("bath.pdf");
    QCOMPARE(Tessel({"--print-pdf", plan, out, "--scale", "50"}).status, 0);
    QVERIFY(PdfText(out).contains("1:50"));
    // Without a scale, the smallest that fits.
    const QString fitted = dir.filePath("fitted.pdf");
    QCOMPARE(Tessel({"--print-pdf", plan, fitted}).status, 0);
    QVERIFY(PdfText(fitted).contains("1:17"));
  }

  void refusalsSayWhatWentWrong_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString missing = dir.filePath("none.tsd");
    const QString empty = dir.filePath("empty.tsd");
    QFile f(empty);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Layout]\r\ncount=0\r\n[Design]\r\ncount=0\r\n");
    f.close();
    QTest::newRow("scale too small")
        << QStringList{"--print-pdf", plan, dir.filePath("x.pdf"), "--scale", "5"} << 1
        << "smallest scale that fits is 1:17";
    QTest::newRow("scale not a number")
        << QStringList{"--print-pdf", plan, dir.filePath("x.pdf"), "--scale", "big"} << 2
        << "whole number";
    QTest::newRow("no plan") << QStringList{"--export", missing, dir.filePath("x.bmp")} << 1
                             << "cannot read the plan";
    QTest::newRow("no room") << QStringList{"--print-pdf", empty, dir.filePath("x.pdf")} << 1
                             << "no room to print";
    QTest::newRow("no output") << QStringList{"--export", plan} << 2 << "usage";
    QTest::newRow("unwritable") << QStringList{"--export", plan, dir.filePath("no/x.bmp")} << 1
                                << "cannot write";
  }
  void refusalsSayWhatWentWrong() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Run r = Tessel(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.errors.contains(message), qPrintable(r.errors));
    QVERIFY(!QFile::exists(dir.filePath("x.pdf")));
  }

 private:
  QTemporaryDir dir;
  QString plan;
};

QTEST_MAIN(BatchTest)
#include "test_batch.moc"
