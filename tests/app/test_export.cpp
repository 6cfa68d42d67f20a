// What leaves the program from its window: the product list for ordering through the
// list window's export button, and the plan as an image through the Project menu, with
// the file dialog replaced only at its edge.
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <cstring>

#include "../support/full_disk.h"
#include "app_fixture.h"
#include "file_bytes.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// Products 101 (twice) and 100 of the shipped catalogue in a room.
QByteArray FurnishedPlan() {
  const QString images = QCoreApplication::applicationDirPath() + "/katalog/images/";
  return QString(
             "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
             "[Design]\r\ncount=3\r\n"
             "00=PRODUCT,560,380,101,1,0,%1li0101p2.bmp,85\r\n"
             "01=PRODUCT,700,380,100,1,0,%1li0100p2.bmp,0\r\n"
             "02=PRODUCT,700,500,101,1,0,%1li0101p2.bmp,85\r\n")
      .arg(images)
      .toUtf8();
}

}  // namespace

class ExportTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(SetUpProgram()); }
  void init() { QVERIFY(window = OpenWindow()); }
  void cleanup() { CloseWindow(); }

  void theListWindowExportsTheProductsForOrdering() {
    OpenFurnishedPlan();
    nextFileName = FilePath("order");  // typed without ".csv"
    const int before = dialogs;
    bool enabled = false;
    AnswerDialog("frmList", [&](QDialog* list) {
      auto* button = list->findChild<QPushButton*>("cmdExport");
      enabled = button && button->isEnabled();
      if (button) QTest::mouseClick(button, Qt::LeftButton);
      list->findChild<QPushButton*>("cmdOK")->click();
    });
    Press(window, Qt::Key_F4);
    QVERIFY(enabled);
    QCOMPARE(dialogs, before + 1);
    QVERIFY(lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(2521));
    QVERIFY(lastFilter.contains("*.csv"));
    // Without project data the plan's name is proposed.
    QCOMPARE(lastFolder, FilePath("furnished.csv"));
    QCOMPARE(Read(FilePath("order.csv")),
             QByteArray("\xEF\xBB\xBFPos.,Catalogue no.,Model no.,Series,Name,Width (cm),"
                        "Depth (cm),Height (cm),Count\r\n"
                        "1,100,101045,Ostara Linea,Washbasin 45,45,36,,1\r\n"
                        "2,101,101055,Ostara Linea,Washbasin 55,55,44,85,2\r\n"));
    QVERIFY(Messages::Shown().isEmpty());
  }

  // With a project title and customer, those name the file proposed.
  void theListFileIsNamedAfterTheProject() {
    OpenFurnishedPlan();
    AnswerDialog("frmProject", [](QDialog* d) {
      d->findChild<QLineEdit*>("txtTitle")->setText("Bath 2/OG");
      d->findChild<QLineEdit*>("txtCustomer")->setText("Anna Meier");
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    window->ProjectItem(kProperties)->trigger();
    nextFileName.clear();  // the dialog cancelled
    AnswerDialog("frmList", [](QDialog* list) {
      list->findChild<QPushButton*>("cmdExport")->click();
      list->findChild<QPushButton*>("cmdOK")->click();
    });
    window->ViewItem(kProductList)->trigger();
    QCOMPARE(lastFolder, FilePath("Bath 2_OG - Anna Meier.csv"));
  }

  void aListThatCannotBeWrittenIsReported() {
    OpenFurnishedPlan();
    nextFileName = FilePath("no/such/folder/order.csv");
    AnswerDialog("frmList", [](QDialog* list) {
      list->findChild<QPushButton*>("cmdExport")->click();
      list->findChild<QPushButton*>("cmdOK")->click();
    });
    window->ViewItem(kProductList)->trigger();
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].contains("no/such/folder/order.csv"),
             qPrintable(Messages::Shown()[0]));
  }

  void aListOntoAFullDiskKeepsTheOldListAndSaysWhy() {
    OpenFurnishedPlan();
    const FullDisk disk(FilePath("full").toStdString());
    const QString old = FilePath("full/order.csv");
    const QByteArray before = "last week's order\r\n";
    Write(old, before);
    QVERIFY(disk.Fill());
    nextFileName = old;
    AnswerDialog("frmList", [](QDialog* list) {
      list->findChild<QPushButton*>("cmdExport")->click();
      list->findChild<QPushButton*>("cmdOK")->click();
    });
    {
      const FileSizeLimit limit(disk);
      window->ViewItem(kProductList)->trigger();
    }
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].contains(old), qPrintable(Messages::Shown()[0]));
    QVERIFY2(Messages::Shown()[0].contains(QString::fromLocal8Bit(std::strerror(disk.Error()))),
             qPrintable(Messages::Shown()[0]));
    QCOMPARE(Read(old), before);
  }

  void theProjectMenuExportsThePlanAsThePixelsOfTheEngine() {
    auto* menu = window->findChild<QMenu*>("mnProject");
    QAction* item = window->ProjectItem(kExportImage);
    // Below Print, and the numbered items keep their places.
    QCOMPARE(menu->actions().indexOf(item),
             menu->actions().indexOf(window->ProjectItem(kPrint)) + 1);
    QCOMPARE(item->text(), GetCaption(1419));
    QVERIFY(item->isVisible() && item->isEnabled());
    DrawRoom();
    nextFileName = FilePath("plan");  // no ending: a PNG
    item->trigger();
    QVERIFY(lastDialogWasSave);
    QCOMPARE(lastTitle, GetCaption(5693));
    QVERIFY(lastFilter.contains("*.png") && lastFilter.contains("*.bmp"));
    nextFileName = FilePath("plan.bmp");
    item->trigger();
    QVERIFY(Messages::Shown().isEmpty());
    const QImage png(FilePath("plan.png"), "PNG"), bmp(FilePath("plan.bmp"), "BMP");
    QVERIFY(!bmp.isNull());
    QCOMPARE(png.format(), QImage::Format_Indexed8);
    // The drawing inside a white margin, at two pixels a centimetre.
    QCOMPARE(png.size(), bmp.size() + QSize(48, 48));
    QCOMPARE(png.dotsPerMeterX(), 200);
    QCOMPARE(png.dotsPerMeterY(), 200);
    QCOMPARE(png.convertToFormat(QImage::Format_RGB32).copy(24, 24, bmp.width(), bmp.height()),
             bmp.convertToFormat(QImage::Format_RGB32));
    // The plan itself is untouched by its picture.
    QVERIFY(window->PlanChanged());
    QCOMPARE(window->CurrentFile(), QString());
  }

  // The menu item onto a disk that fills up: the message names the file and the
  // system's reason, and the old picture is byte for byte what it was.
  void anExportOntoAFullDiskKeepsTheOldImageAndSaysWhy_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << "old.png";
    QTest::newRow("bmp") << "old.bmp";
  }
  void anExportOntoAFullDiskKeepsTheOldImageAndSaysWhy() {
    QFETCH(QString, name);
    DrawRoom();
    const FullDisk disk(FilePath("full").toStdString());
    const QString old = FilePath("full/" + name);
    const QByteArray before = "the picture of last week\n";
    Write(old, before);
    QVERIFY(disk.Fill());
    nextFileName = old;
    {
      const FileSizeLimit limit(disk);
      window->ProjectItem(kExportImage)->trigger();
    }
    QCOMPARE(Messages::Shown().size(), 1);
    const QString message = Messages::Shown()[0];
    QVERIFY2(message.contains(GetCaption(5693)) && message.contains(old), qPrintable(message));
    QVERIFY2(message.contains(QString::fromLocal8Bit(std::strerror(disk.Error()))),
             qPrintable(message));
    QCOMPARE(Read(old), before);
    const QStringList left =
        disk.Mounted() ? QStringList{FullDisk::kFiller, name} : QStringList{name};
    QCOMPARE(QDir(FilePath("full")).entryList(QDir::Files | QDir::Hidden | QDir::System), left);
  }

  void anImageOfAnotherKindIsRefused() {
    DrawRoom();
    nextFileName = FilePath("plan.jpg");
    window->ProjectItem(kExportImage)->trigger();
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY2(Messages::Shown()[0].contains(".png or .bmp"), qPrintable(Messages::Shown()[0]));
    QVERIFY(!QFile::exists(FilePath("plan.jpg")));
  }

 private:
  void OpenFurnishedPlan() {
    QFile f(FilePath("furnished.tsd"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(FurnishedPlan());
    f.close();
    nextFileName = FilePath("furnished.tsd");
    Press(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window->CurrentFile(), FilePath("furnished.tsd"));
    QVERIFY(window->ViewItem(kProductList)->isEnabled());
  }

  MainWindow* window = nullptr;
};

QTEST_MAIN(ExportTest)
#include "test_export.moc"
