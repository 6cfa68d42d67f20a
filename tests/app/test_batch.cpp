// The program's window-less commands, run as a user runs them: the real program in a
// process of its own, its exit status, its message and the files it writes.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <functional>

#include "../support/full_disk.h"
#include "file_bytes.h"
#include "language/language.h"

using tessel::GetError;
using tessel::OpenLanguage;

namespace {

struct Run {
  int status;
  QString errors;
};

// A file size limit for a run that must find its writes refused.
constexpr rlim_t kSmallFileLimit = 16 * 1024;

QString Planner() {
  return QCoreApplication::applicationDirPath() + "/tessel32";
}

const char kRoom[] =
    "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n";

// The longest any command may take; a plan that makes the program wait for ever (a
// FIFO) runs into it.
constexpr int kCommandMilliseconds = 60000;

// `program` runs the planner itself unless a test goes through a shell; `child` runs
// in the child process before the program (a file-size limit).
Run Tessel(const QStringList& arguments, const std::function<void()>& child = {},
           const QString& program = {}) {
  // Settings of their own, so the user's saved language never decides the texts.
  static QTemporaryDir settings;
  QProcess p;
  if (child) p.setChildProcessModifier(child);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");  // the commands must not need one
  env.remove("QT_QPA_PLATFORM");
  env.insert("XDG_CONFIG_HOME", settings.path());
  env.insert("XDG_DATA_HOME", settings.path());
  p.setProcessEnvironment(env);
  p.start(program.isEmpty() ? Planner() : program, arguments);
  if (!p.waitForFinished(kCommandMilliseconds)) {
    p.kill();
    p.waitForFinished();
    return {-1, "did not finish"};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromLocal8Bit(p.readAllStandardError())};
}

QString PdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {pdf, "-"});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Products 100, 101 (twice) and 107 of the shipped catalogue in the room, their
// pictures from the catalogue beside the program.
QByteArray FurnishedPlan(const QString& images = QCoreApplication::applicationDirPath() +
                                                 "/katalog/images/") {
  return QString(
             "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
             "[Design]\r\ncount=4\r\n"
             "00=PRODUCT,560,380,101,1,0,%1li0101p2.bmp,85\r\n"
             "01=PRODUCT,700,380,100,1,0,%1li0100p2.bmp,0\r\n"
             "02=PRODUCT,560,500,107,1,0,%1li0107p2.bmp,82\r\n"
             "03=PRODUCT,700,500,101,1,0,%1li0101p2.bmp,85\r\n")
      .arg(images)
      .toUtf8();
}

}  // namespace

class BatchTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    // The texts the program's own messages are compared with.
    QVERIFY(OpenLanguage("", QCoreApplication::applicationDirPath() + "/katalog/katalog.db"));
    plan = dir.filePath("bath.tsd");
    QFile f(plan);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n[Design]\r\ncount=0\r\n");
    f.close();
    // The room furnished with products of the shipped catalogue, one of them twice.
    furnished = dir.filePath("furnished.tsd");
    QFile g(furnished);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write(FurnishedPlan());
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

  void exportWritesAPngWithTheBitmapsPixels() {
    const QString bmp = dir.filePath("pixels.bmp"), png = dir.filePath("pixels.png");
    QCOMPARE(Tessel({"--export", plan, bmp}).status, 0);
    QCOMPARE(Tessel({"--export", plan, png}).status, 0);
    QFile f(png);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8));
    const QByteArray bytes = f.readAll();
    // The true scale for programs that print it: 200 pixels a metre both ways, the
    // unit being the metre.
    const qsizetype phys = bytes.indexOf("pHYs");
    QVERIFY(phys > 0);
    QCOMPARE(bytes.mid(phys + 4, 9), QByteArray("\0\0\0\xC8\0\0\0\xC8\x01", 9));
    const QImage fromBmp(bmp, "BMP"), fromPng(png, "PNG");
    QCOMPARE(fromBmp.size(), QSize(660, 560));
    // A white margin of 24 pixels around the drawing, so no label touches the edge.
    QCOMPARE(fromPng.size(), QSize(660 + 48, 560 + 48));
    // An indexed picture with the engine's palette, pixel for pixel the bitmap inside.
    QCOMPARE(fromPng.format(), QImage::Format_Indexed8);
    const QImage rgb = fromPng.convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rgb.copy(24, 24, 660, 560), fromBmp.convertToFormat(QImage::Format_RGB32));
    for (int y = 0; y < rgb.height(); ++y)
      for (int x = 0; x < rgb.width(); ++x)
        if (x < 24 || y < 24 || x >= 24 + 660 || y >= 24 + 560)
          QVERIFY2(rgb.pixel(x, y) == qRgb(255, 255, 255),
                   qPrintable(QString("%1,%2").arg(x).arg(y)));
    // The bitmap stays exactly the engine's file: no margin, no resolution.
    QFile b(bmp);
    QVERIFY(b.open(QIODevice::ReadOnly));
    QCOMPARE(b.size(), qint64{1078 + 660 * 560});
  }

  void exportListWritesTheProductsInEitherLanguage_data() {
    QTest::addColumn<QStringList>("language");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("English")
        << QStringList{}
        << QByteArray(
               "\xEF\xBB\xBFPos.,Catalogue no.,Model no.,Series,Name,Width (cm),Depth (cm),"
               "Height (cm),Count\r\n"
               "1,100,101045,Ostara Linea,Washbasin 45,45,36,,1\r\n"
               "2,101,101055,Ostara Linea,Washbasin 55,55,44,85,2\r\n"
               "3,107,103037,Ostara Linea,Close-coupled toilet,37,68,82.5,1\r\n");
    QTest::newRow("German")
        << QStringList{"-D"}
        << QByteArray("\xEF\xBB\xBF") +
               QString(
                   "Pos.;Katalognr.;Modellnr.;Serie;Bezeichnung;Breite (cm);Tiefe (cm);"
                   "Höhe (cm);Anzahl\r\n"
                   "1;100;101045;Ostara Linea;Waschtisch 45;45;36;;1\r\n"
                   "2;101;101055;Ostara Linea;Waschtisch 55;55;44;85;2\r\n"
                   "3;107;103037;Ostara Linea;Stand-WC mit Spülkasten;37;68;82,5;1\r\n")
                   .toUtf8();
  }
  void exportListWritesTheProductsInEitherLanguage() {
    QFETCH(QStringList, language);
    const QString out = dir.filePath("order.csv");
    const Run r = Tessel(QStringList{"--export-list", furnished, out} + language);
    QCOMPARE(r.status, 0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTEST(f.readAll(), "csv");
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

  // The free areas on a window-less print, for the setting asked: drawn with their
  // legend only when asked for, and two settings at once are refused.
  void printPdfShowsTheFreeAreasWhenAsked() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
    const QString plain = dir.filePath("plain.pdf"), zoned = dir.filePath("zoned.pdf");
    QCOMPARE(Tessel({"--print-pdf", furnished, plain, "--scale", "50"}).status, 0);
    QCOMPARE(
        Tessel({"--print-pdf", furnished, zoned, "--scale", "50", "--free-areas", "--barrier-free"})
            .status,
        0);
    QVERIFY(!PdfText(plain).contains("hatched"));
    const QString page = PdfText(zoned).simplified();
    QVERIFY2(page.contains("Free areas (Barrier-free) hatched"), qPrintable(page));
    const Run both =
        Tessel({"--print-pdf", furnished, zoned, "--free-areas", "--barrier-free", "--wheelchair"});
    QCOMPARE(both.status, 2);  // words it cannot read
    QVERIFY2(both.errors.contains("--barrier-free | --wheelchair"), qPrintable(both.errors));
  }

  // The project's data, the date in the language, the room's inner size and the list
  // with sizes; the plan file itself is left as it was.
  void printPdfPrintsTheProject() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
    const QString project = dir.filePath("project.tsd");
    QFile f(project);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray text = FurnishedPlan() + QString(
                                                  "[Project]\r\nTitle=Bad Familie Müller\r\n"
                                                  "Customer=Anna Müller\r\nSite=Lindenstraße 4\r\n"
                                                  "Room=Bad OG\r\nPlanner=K. Weber\r\n"
                                                  "Notes=Fliesen bis 1,20 m\\nWC prüfen\r\n")
                                                  .toUtf8();
    f.write(text);
    f.close();
    const QString out = dir.filePath("project.pdf");
    const Run r = Tessel({"--print-pdf", project, out, "--scale", "20", "-D"});
    QCOMPARE(r.status, 0);
    const QString page = PdfText(out);
    for (const QString& expected :
         {QString("Bad Familie Müller"), QString("Anna Müller"), QString("Lindenstraße 4"),
          QString("Bad OG"), QString("K. Weber"), QString("Fliesen bis 1,20 m"),
          QString("WC prüfen"), QString("300 × 250 cm"), QString("Waschtisch 55"),
          QString("55 × 44 × 85"), QString("37 × 68 × 82,5"), QString("Bemaßung in Millimetern"),
          QLocale(QLocale::German).toString(QDate::currentDate(), "d. MMMM yyyy")})
      QVERIFY2(page.contains(expected), qPrintable(expected + " missing from\n" + page));
    QFile again(project);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), text);
  }

  // The paper goes the way round that prints the plan larger, unless it is asked for.
  void printPdfTurnsThePaperForTheLargerScale_data() {
    QTest::addColumn<QString>("room");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");  // in points
    QTest::newRow("wide") << "500,150" << QStringList{} << QSize(842, 595);
    QTest::newRow("tall") << "150,500" << QStringList{} << QSize(595, 842);
    QTest::newRow("wide, portrait asked")
        << "500,150" << QStringList{"--orientation", "portrait"} << QSize(595, 842);
    QTest::newRow("wide on A3") << "500,150" << QStringList{"--paper", "A3"} << QSize(1191, 842);
  }
  void printPdfTurnsThePaperForTheLargerScale() {
    QFETCH(QString, room);
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty()) QSKIP("poppler-utils missing");
    const QString shaped = dir.filePath("shaped.tsd");
    Write(shaped, QString("[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,%1,32767,0,0\r\n"
                          "[Design]\r\ncount=0\r\n")
                      .arg(room)
                      .toUtf8());
    const QString out = dir.filePath("shaped.pdf");
    QCOMPARE(Tessel(QStringList{"--print-pdf", shaped, out} + options).status, 0);
    QProcess info;
    info.start("pdfinfo", {out});
    info.waitForFinished(30000);
    const QString said = QString::fromUtf8(info.readAllStandardOutput());
    const auto m = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))").match(said);
    QVERIFY2(m.hasMatch(), qPrintable(said));
    QVERIFY2(std::abs(m.captured(1).toDouble() - size.width()) < 1 &&
                 std::abs(m.captured(2).toDouble() - size.height()) < 1,
             qPrintable(said));
  }

  // A PDF that cannot be written whole leaves the old file as it was, says so and
  // ends with a failure: a small file system that fills up (as root, as CI runs), else
  // a file size limit on the process.
  void printPdfOntoAFullDiskKeepsTheOldFile() {
    QTemporaryDir full;
    const QString folder = full.path();
    bool mounted = false;
    if (geteuid() == 0)
      mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder}) == 0;
    auto unmount = qScopeGuard([&] {
      if (mounted) QProcess::execute("umount", {folder});
    });
    const QString old = QDir(folder).filePath("old.pdf");
    const QByteArray oldBytes = "%PDF-1.4 the plan printed last week\n%%EOF\n";
    QFile o(old);
    QVERIFY(o.open(QIODevice::WriteOnly));
    o.write(oldBytes);
    o.close();
    Run r;
    if (mounted) {
      // Filled up to the last few kilobytes: far less than a page.
      QFile filler(QDir(folder).filePath("filler"));
      QVERIFY(filler.open(QIODevice::WriteOnly));
      filler.write(QByteArray(56 * 1024, 'x'));
      filler.close();
      r = Tessel({"--print-pdf", furnished, old});
    } else {
      r = Tessel({"--print-pdf", furnished, old}, [] {
        const rlimit limit{kSmallFileLimit, kSmallFileLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
      });
    }
    QVERIFY2(r.status != 0, qPrintable(r.errors));
    QVERIFY2(r.errors.contains("cannot"), qPrintable(r.errors));
    QFile kept(old);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), oldBytes);
    QStringList left = QDir(folder).entryList(QDir::Files);
    left.removeAll("filler");
    QCOMPARE(left, QStringList{"old.pdf"});
  }

  // A disk that fills up while an image or a list is written: the command fails with
  // the file and the system's reason on stderr, and the old file is byte for byte what
  // it was, with nothing left beside it.
  void aFullDiskKeepsTheOldFileAndSaysWhy_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << "--export"
                         << "old.png";
    QTest::newRow("bmp") << "--export"
                         << "old.bmp";
    QTest::newRow("csv") << "--export-list"
                         << "old.csv";
  }
  void aFullDiskKeepsTheOldFileAndSaysWhy() {
    QFETCH(QString, command);
    QFETCH(QString, name);
    const FullDisk disk(dir.filePath("full").toStdString());
    const QString old = dir.filePath("full/" + name);
    const QByteArray before = "what was there before\n";
    Write(old, before);
    QVERIFY(disk.Fill());
    const Run r = Tessel({command, furnished, old},
                         disk.Mounted() ? std::function<void()>() : &FullDisk::LimitWrites);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.errors.contains("cannot write"), qPrintable(r.errors));
    // Under the fallback's limit the picture may already fail on its way through the
    // temporary folder; on the full disk the reason is the disk's.
    if (disk.Mounted()) {
      QVERIFY2(r.errors.contains(old), qPrintable(r.errors));
      QVERIFY2(r.errors.contains(QString::fromLocal8Bit(std::strerror(disk.Error()))),
               qPrintable(r.errors));
    }
    QCOMPARE(Read(old), before);
    const QStringList left =
        disk.Mounted() ? QStringList{FullDisk::kFiller, name} : QStringList{name};
    QCOMPARE(QDir(dir.filePath("full")).entryList(QDir::Files | QDir::Hidden | QDir::System), left);
  }

  // A plan whose furnishing the window refuses as damaged (a count beyond the lists,
  // or no count at all) is refused by every window-less command in the same words,
  // and nothing is written.
  void aDamagedDesignIsRefusedInTheWindowsWords_data() {
    QTest::addColumn<QByteArray>("design");
    QTest::addColumn<QStringList>("command");
    const QList<QPair<const char*, QByteArray>> designs = {
        {"count 512", "[Design]\r\ncount=512\r\n"},
        {"no count", "[Design]\r\n00=USERRECT,10,10,40,40,0,0,0\r\n"},
        {"no section", ""}};
    for (const auto& [what, design] : designs) {
      QTest::addRow("%s, image", what) << design << QStringList{"--export", "out.bmp"};
      QTest::addRow("%s, pdf", what) << design << QStringList{"--print-pdf", "out.pdf"};
      QTest::addRow("%s, list", what) << design << QStringList{"--export-list", "out.csv"};
    }
  }
  void aDamagedDesignIsRefusedInTheWindowsWords() {
    QFETCH(QByteArray, design);
    QFETCH(QStringList, command);
    const QString damaged = dir.filePath("damaged.tsd");
    Write(damaged, "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n" + design);
    const QString out = dir.filePath(command[1]);
    const Run r = Tessel({command[0], damaged, out});
    QCOMPARE(r.status, 1);
    QString caption, text;
    QVERIFY(GetError(10000, &caption, &text));
    text.replace("%x", damaged);
    QVERIFY2(r.errors.contains(text), qPrintable(r.errors));
    QVERIFY(!QFile::exists(out));
  }

  // A plan name that is a FIFO (which would keep a reader waiting for a writer) or a
  // folder is refused at once by every command.
  void aPlanThatIsNoFileIsRefusedAtOnce_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("command");
    const QString fifo = dir.filePath("pipe.tsd");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 || errno == EEXIST);
    const QString folder = dir.filePath("folder.tsd");
    QVERIFY(QDir().mkpath(folder));
    for (const QString& plan : {fifo, folder}) {
      const QString what = QFileInfo(plan).baseName();
      QTest::addRow("%s, image", qPrintable(what)) << plan << QStringList{"--export", "x.bmp"};
      QTest::addRow("%s, pdf", qPrintable(what)) << plan << QStringList{"--print-pdf", "x.pdf"};
      QTest::addRow("%s, list", qPrintable(what)) << plan << QStringList{"--export-list", "x.csv"};
    }
  }
  void aPlanThatIsNoFileIsRefusedAtOnce() {
    QFETCH(QString, plan);
    QFETCH(QStringList, command);
    QElapsedTimer clock;
    clock.start();
    const Run r = Tessel({command[0], plan, dir.filePath(command[1])});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.errors.contains(plan + " is not a file"), qPrintable(r.errors));
    QVERIFY(clock.elapsed() < kCommandMilliseconds / 2);
    QVERIFY(!QFile::exists(dir.filePath(command[1])));
  }

  // A plan from an old archive: its name in Latin-1 ("b\xe4d.tsd", not UTF-8), a byte
  // order mark before its first line and LF CR line ends. It exports as the same plan
  // written the usual way.
  void aPlanThatTravelledExportsAsTheSamePlan() {
    const QByteArray travelled = "\xEF\xBB\xBF" + QByteArray(kRoom).replace("\r\n", "\n\r");
    const QByteArray latin1 = QFile::encodeName(dir.path()) +
                              "/b\xe4"
                              "d.tsd";
    // The toolkit cannot name it to remove it with the folder.
    const auto remove = qScopeGuard([&latin1] { ::unlink(latin1.constData()); });
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, travelled.constData(), static_cast<size_t>(travelled.size())),
             static_cast<ssize_t>(travelled.size()));
    ::close(fd);
    // The name goes to the planner as the bytes on disk; a shell makes them, since the
    // toolkit would hand on only its own UTF-8 reading of them.
    const QString out = dir.filePath("travelled.bmp"), usual = dir.filePath("usual.bmp");
    const Run r = Tessel({"-c", "exec \"$0\" --export \"$1$(printf 'b\\344d.tsd')\" \"$2\"",
                          Planner(), dir.path() + "/", out},
                         {}, "/bin/sh");
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    QCOMPARE(Tessel({"--export", plan, usual}).status, 0);
    QCOMPARE(Read(out), Read(usual));
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
    QTest::newRow("unwritable png")
        << QStringList{"--export", plan, dir.filePath("no/x.png")} << 1 << "cannot write";
    QTest::newRow("other image kind")
        << QStringList{"--export", plan, dir.filePath("x.jpg")} << 2 << "must end in .png or .bmp";
    QTest::newRow("list of no plan") << QStringList{"--export-list", missing, dir.filePath("x.csv")}
                                     << 1 << "cannot read the plan";
    QTest::newRow("list unwritable")
        << QStringList{"--export-list", plan, dir.filePath("no/x.csv")} << 1 << "cannot write";
    QTest::newRow("list without output") << QStringList{"--export-list", plan} << 2 << "usage";
  }
  // A plan made where the catalogue lay elsewhere (another installation, an older
  // system): its pictures are found by their names in this catalogue's folder, and the
  // products are drawn and listed as in the plan made here.
  void aPlanFromAnotherInstallationIsDrawnAndListed() {
    const QString moved = dir.filePath("moved.tsd");
    QFile f(moved);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(FurnishedPlan("C:\\Programme\\Tessel\\katalog\\images\\"));
    f.close();
    for (const char* ending : {".bmp", ".csv"}) {
      const QString here = dir.filePath(QString("here") + ending);
      const QString there = dir.filePath(QString("there") + ending);
      const QString command = QString(ending) == ".bmp" ? "--export" : "--export-list";
      const Run a = Tessel({command, furnished, here});
      const Run b = Tessel({command, moved, there});
      QCOMPARE(a.status, 0);
      QCOMPARE(b.status, 0);
      QVERIFY2(!b.errors.contains(".bmp"), qPrintable(b.errors));  // nothing missing
      QFile x(here), y(there);
      QVERIFY(x.open(QIODevice::ReadOnly) && y.open(QIODevice::ReadOnly));
      QCOMPARE(y.readAll(), x.readAll());
    }
  }

  // A picture found nowhere is named on stderr with its product by each command, which
  // still writes its output and succeeds.
  void aMissingPictureIsNamedAndTheWorkDone() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
    QByteArray text = FurnishedPlan();
    text.replace("li0100p2.bmp", "gone0100p2.bmp");
    const QString missing = dir.filePath("missing.tsd");
    QFile f(missing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    const QStringList outs{"missing.png", "missing.csv", "missing.pdf"};
    const QStringList commands{"--export", "--export-list", "--print-pdf"};
    for (int i = 0; i < commands.size(); ++i) {
      const Run r = Tessel({commands[i], missing, dir.filePath(outs[i])});
      QCOMPARE(r.status, 0);
      QCOMPARE(r.errors.count("gone0100p2.bmp"), 1);
      QVERIFY2(r.errors.contains("Washbasin"), qPrintable(r.errors));
      QVERIFY(QFileInfo(dir.filePath(outs[i])).size() > 0);
    }
    QFile csv(dir.filePath("missing.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    // Three products drawn from pictures that are there; the fourth is named above.
    QCOMPARE(csv.readAll().count("\r\n"), 1 + 2);
  }

  void refusalsSayWhatWentWrong() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Run r = Tessel(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.errors.contains(message), qPrintable(r.errors));
    for (const char* name : {"x.pdf", "x.jpg", "x.csv"})
      QVERIFY(!QFile::exists(dir.filePath(name)));
  }

 private:
  QTemporaryDir dir;
  QString plan, furnished;
};

QTEST_MAIN(BatchTest)
#include "test_batch.moc"
