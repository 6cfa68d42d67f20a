// The catalogue window as a user meets it: opened from the View menu and from the list
// of placed products, walked record by record, filtered with its drop-downs, and OK
// pressed to place the product shown. Under it the shipped catalogue and the real
// engine; only the engine's entry is watched, to see what PutProduct is handed.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app_fixture.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_dialog.h"
#include "catalogue/product_bar.h"
#include "shell/startup_windows.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

std::vector<long>& PutIds() {
  static std::vector<long> ids;
  return ids;
}
EngineEntry realEngine = nullptr;

// Passes every call on and notes which product PutProduct was handed.
long Watching(unsigned short code, unsigned int p0, unsigned int p1, unsigned int p2, long l0,
              long l1) {
  if (code == TC_PutProduct) PutIds().push_back(static_cast<std::int32_t>(p0));
  return realEngine(code, p0, p1, p2, l0, l1);
}

// The ids of the offered products in the catalogue's own order, without a window.
QList<qint64> OfferedIds(const QString& series = QString(), const QString& group = QString()) {
  Catalogue c;
  QList<qint64> ids;
  if (c.Open(ShippedCatalogue(), "") != CatalogueState::kOpen) return ids;
  ProductFilter f;
  if (!series.isEmpty()) f.series = series;
  if (!group.isEmpty()) f.group = group;
  c.RequeryDialog(f);
  RecordSet& set = c.DialogProducts();
  for (set.MoveFirst(); !set.Eof(); set.MoveNext()) ids << set.Field("KatalogID").toLongLong();
  return ids;
}

}  // namespace

class CatalogueDialogTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(SetUpProgram());
    realEngine = Engine();
    SetEngineForTesting(&Watching);
  }
  void init() {
    Hints().showEsc = Hints().showHeight = false;
    PutIds().clear();
  }
  void cleanup() {
    CloseWindow();
    window = nullptr;
  }
  void cleanupTestCase() { SetEngineForTesting(realEngine); }

  // ---- plain rules ----

  void anImageIsCentredInItsFrame() {
    QCOMPARE(CentredIn({400, 300}, {100, 50}), QPoint(150, 125));
    QCOMPARE(CentredIn({400, 300}, {0, 0}), QPoint(200, 150));
  }

  // ---- the window ----

  void theViewCommandOpensTheWindow() {
    QVERIFY(window = OpenWindow());
    QAction* command = window->ViewItem(kCatalogue);
    QVERIFY(command->isEnabled());
    bool shown = false;
    AnswerDialog("frmKatalog", [&shown](QDialog* dialog) {
      shown = dialog->isVisible();
      dialog->findChild<QPushButton*>("cmdCancel")->click();
    });
    command->trigger();
    QVERIFY(shown);
    QVERIFY(!Dialog()->isVisible());
  }

  void nextAndPreviousWalkTheRecordsAndTheLabelsFollow() {
    QVERIFY(window = OpenWindow());
    const QList<qint64> ids = OfferedIds();
    QVERIFY(ids.size() > 2);
    QCOMPARE(ShownId(), ids[0]);
    Click("cmdNext");
    QCOMPARE(ShownId(), ids[1]);
    QCOMPARE(Dialog()->Value(5)->text(), Dialog()->Records().Field("BezeichnungL").toString());
    Click("cmdNext");
    QCOMPARE(ShownId(), ids[2]);
    Click("cmdPrevious");
    QCOMPARE(ShownId(), ids[1]);
    Click("cmdLast");
    QCOMPARE(ShownId(), ids.last());
    // The ends hold: no empty record beyond them.
    Click("cmdNext");
    QCOMPARE(ShownId(), ids.last());
    Click("cmdFirst");
    Click("cmdPrevious");
    QCOMPARE(ShownId(), ids[0]);
  }

  void aGroupChangeKeepsTheSeries() {
    QVERIFY(window = OpenWindow());
    Choose(Dialog()->Series(), "Ostara Arco");
    const QStringList groups = Items(Dialog()->Groups());
    QCOMPARE(groups.first(), GetCaption(5330));
    Choose(Dialog()->Groups(), "Toilets");
    QCOMPARE(Dialog()->Series()->currentText(), QString("Ostara Arco"));
    QCOMPARE(Items(Dialog()->Groups()), groups);
    const QList<qint64> ids = OfferedIds("Ostara Arco", "Toilets");
    QVERIFY(!ids.isEmpty());
    QCOMPARE(Dialog()->Records().RecordCount(), int(ids.size()));
    QCOMPARE(ShownId(), ids[0]);
  }

  void aProductWithoutHeightHidesTheCaption() {
    QVERIFY(window = OpenWindow());
    Dialog()->vLocate(100);
    QCOMPARE(ShownId(), qint64{100});
    QVERIFY(Dialog()->Caption(2)->isHidden());
    QVERIFY(Dialog()->Value(2)->text().isEmpty());
    Dialog()->vLocate(101);
    QVERIFY(!Dialog()->Caption(2)->isHidden());
    QCOMPARE(Dialog()->Value(2)->text(), QString("85"));
    // Its plan picture stands in the middle of the frame.
    QVERIFY(!Dialog()->Picture()->pixmap().isNull());
    QCOMPARE(Dialog()->Picture()->pos(),
             CentredIn(Dialog()->PictureFrame()->size(), Dialog()->Picture()->size()));
  }

  void typingIntoTheDescriptionChangesNothing() {
    QVERIFY(window = OpenWindow());
    Dialog()->vLocate(101);
    QPlainTextEdit* text = Dialog()->Description();
    const QString before = text->toPlainText();
    QVERIFY(!before.isEmpty());
    QTest::keyClicks(text, "abc");
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClick(text, Qt::Key_Delete);
    QCOMPARE(text->toPlainText(), before);
  }

  void okInDesignModePlacesTheShownProduct() {
    Furnish();
    OkInCatalogueOn(101);
    QCOMPARE(PutIds().size(), std::size_t{1});
    QCOMPARE(PutIds().back(), 101L);
    QVERIFY(!Dialog()->isVisible());
  }

  void okInLayoutModePlacesNothing() {
    QVERIFY(window = OpenWindow());
    QCOMPARE(window->WorkMode(), kLayoutMode);
    OkInCatalogueOn(101);
    QVERIFY(PutIds().empty());
    QVERIFY(!Dialog()->isVisible());
  }

  void theListButtonOpensTheWindowOnTheChosenProductWithAllFilters() {
    Furnish();
    OkInCatalogueOn(101);
    QCOMPARE(PutIds().size(), std::size_t{1});
    QTest::mouseMove(window->View(), QPoint(300, 250));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, QPoint(300, 250));
    QCoreApplication::processEvents();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    // The window left on another series and group.
    Choose(Dialog()->Series(), "Ostara Arco");
    Choose(Dialog()->Groups(), "Toilets");
    QVERIFY(ShownId() != 101);
    QString series, group;
    qint64 shown = 0;
    AnswerDialog("frmList", [&](QDialog* list) {
      auto* lines = list->findChild<QListWidget*>("lstProducts");
      lines->item(0)->setSelected(true);
      AnswerDialog("frmKatalog", [&](QDialog* dialog) {
        series = Dialog()->Series()->currentText();
        group = Dialog()->Groups()->currentText();
        shown = ShownId();
        dialog->findChild<QPushButton*>("cmdCancel")->click();
      });
      auto* button = list->findChild<QPushButton*>("Command1");
      QVERIFY(button->isEnabled());
      button->click();
    });
    window->ViewItem(kProductList)->trigger();
    QCOMPARE(shown, qint64{101});
    QCOMPARE(series, Dialog()->Series()->itemText(0));
    QCOMPARE(group, Dialog()->Groups()->itemText(0));
  }

  void theCloseBoxOnlyHidesTheWindow() {
    QVERIFY(window = OpenWindow());
    Dialog()->vLocate(102);
    AnswerDialog("frmKatalog", [](QDialog* dialog) { dialog->close(); });
    window->ViewItem(kCatalogue)->trigger();
    QVERIFY(!Dialog()->isVisible());
    // Opened again, it shows the product it was left on.
    QCOMPARE(ShownId(), qint64{102});
  }

 private:
  CatalogueDialog* Dialog() const { return window->Bar()->CatalogueWindow(); }
  // The catalogue window opened through its menu item on one product, and left with OK.
  void OkInCatalogueOn(long id) {
    Dialog()->vLocate(id);
    AnswerDialog("frmKatalog",
                 [](QDialog* dialog) { dialog->findChild<QPushButton*>("cmdOK")->click(); });
    window->ViewItem(kCatalogue)->trigger();
  }
  qint64 ShownId() const { return Dialog()->Value(7)->text().toLongLong(); }
  void Click(const char* name) { Dialog()->findChild<QToolButton*>(name)->click(); }

  void Furnish() {
    QVERIFY(window = OpenWindow());
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
  }

  // An entry chosen as a click on it does: the drop-down's own signal.
  static void Choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
  }

  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }

  MainWindow* window = nullptr;
};

QTEST_MAIN(CatalogueDialogTest)
#include "test_catalogue_dialog.moc"
