// The product bar and product placement as a user meets them: the drop-downs chosen
// from their lists, the scroll and picture buttons clicked, the dialogs answered, the
// product dropped into the plan with the mouse and edited with a right click. Under the
// bar the real catalogue and the real engine; only the engine's entry is watched, to
// see what PutProduct is handed.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolButton>
#include <cmath>
#include <memory>
#include <numbers>

#include "app_fixture.h"
#include "catalogue/product_bar.h"
#include "catalogue/product_row.h"
#include "check/live_distances.h"
#include "check/plan_model.h"
#include "dialogs/position_dialog.h"
#include "dialogs/product_dialogs.h"
#include "shell/product_menu.h"
#include "shell/settings.h"
#include "shell/startup_windows.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

struct PutCall {
  long id = 0, mount = 0, angle = 0, height = 0;
  QString file;
};
std::vector<PutCall>& Puts() {
  static std::vector<PutCall> puts;
  return puts;
}
EngineEntry realEngine = nullptr;

// The offsets the program asked the engine to move the selection by, and its answers.
struct MoveCall {
  int dx = 0, dy = 0;
  long result = 0;
};
std::vector<MoveCall>& Moves() {
  static std::vector<MoveCall> moves;
  return moves;
}
// The engine's code for moving the selection by an offset.
constexpr unsigned short kMoveSelectedByCode = 50;
// What an engine answers for a code it does not serve.
constexpr long kUnknownCode = -1;
// How long a window that should not open is given before it is sent away.
constexpr int kDialogGuardMs = 500;

// Passes every call on and notes what PutProduct was handed.
long Watching(unsigned short code, unsigned int p0, unsigned int p1, unsigned int p2, long l0,
              long l1) {
  if (code == TC_PutProduct)
    Puts().push_back({static_cast<std::int32_t>(p0), static_cast<std::int32_t>(p1),
                      static_cast<std::int16_t>(p2), l1,
                      QString::fromLocal8Bit(reinterpret_cast<const char*>(l0))});
  const long result = realEngine(code, p0, p1, p2, l0, l1);
  if (code == kMoveSelectedByCode)
    Moves().push_back({static_cast<std::int32_t>(p0), static_cast<std::int32_t>(p1), result});
  return result;
}

// Picks the item named `item` from the menu the next step opens, with the keys a user
// presses: down to the item, then Return. `look` sees the menu first.
void ChooseFromMenu(const QString& item, std::function<void(QMenu*)> look = {},
                    int tries = kAnswerTries) {
  QTimer::singleShot(10, [item, look, tries] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      QVERIFY2(tries > 0, qPrintable(item));
      ChooseFromMenu(item, look, tries - 1);
      return;
    }
    if (look) look(menu);
    for (int i = 0; i < menu->actions().size(); ++i) {
      QTest::keyClick(menu, Qt::Key_Down);
      if (menu->activeAction() && menu->activeAction()->objectName() == item) break;
    }
    QVERIFY(menu->activeAction() && menu->activeAction()->objectName() == item);
    QTest::keyClick(menu, Qt::Key_Return);
  });
}

// Runs `answer` on the modal window the next step opens.
void AnswerNextDialog(std::function<void(QDialog*)> answer) {
  QTimer::singleShot(0, [answer] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    answer(dialog);
  });
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How many lines of a plan hold `record` ("=PRODUCT,").
int Count(const QByteArray& plan, const char* record) {
  return static_cast<int>(plan.count(record));
}

int CountOf(const QString& series, const QString& group) {
  Catalogue c;
  if (c.Open(ShippedCatalogue(), "") != CatalogueState::kOpen) return -1;
  ProductFilter f;
  if (!series.isEmpty()) f.series = series;
  if (!group.isEmpty()) f.group = group;
  c.RequeryProductBar(f);
  return c.ProductBar().RecordCount();
}

}  // namespace

class ProductBarTest : public QObject, public AppFixture {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(SetUpProgram());
    realEngine = Engine();
    SetEngineForTesting(&Watching);
  }
  void init() {
    Hints().showEsc = Hints().showHeight = false;
    Puts().clear();
  }
  void cleanup() {
    CloseWindow();
    window = nullptr;
  }
  void cleanupTestCase() { SetEngineForTesting(realEngine); }

  // ---- plain rules ----

  void buttonsFitTheWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("count");
    // Left scroll at 200, 18 wide; right scroll 18; buttons 60: room = width - 236.
    QTest::newRow("narrower than one button") << 290 << 0;
    QTest::newRow("exactly one") << 296 << 1;
    QTest::newRow("almost two") << 355 << 1;
    QTest::newRow("room for twenty") << 236 + 20 * 60 << 16;
    QTest::newRow("nothing at all") << 100 << 0;
  }
  void buttonsFitTheWidth() {
    QFETCH(int, width);
    QTEST(ProductButtonCount(width, 200, 18, 18, 60), "count");
  }

  void theMountFollowsProductAndGroup_data() {
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("ask");
    QTest::addColumn<int>("mount");
    QTest::newRow("basin") << qint64{100} << "1" << int(MountQuestion::kNone) << 5;
    QTest::newRow("group 9 asks the side") << qint64{120} << "9" << int(MountQuestion::kSide) << 1;
    QTest::newRow("group 14 asks the side")
        << qint64{120} << "14" << int(MountQuestion::kSide) << 1;
    QTest::newRow("group 15 is free") << qint64{120} << "15" << int(MountQuestion::kNone) << 5;
    QTest::newRow("corner tub in group 10")
        << qint64{139} << "10" << int(MountQuestion::kNone) << 6;
    QTest::newRow("210 is a corner product")
        << qint64{210} << "11" << int(MountQuestion::kNone) << 6;
    QTest::newRow("239 is turned by hand")
        << qint64{239} << "15" << int(MountQuestion::kRotation) << 0;
  }
  void theMountFollowsProductAndGroup() {
    QFETCH(qint64, id);
    QFETCH(QString, group);
    const Mounting m = MountFor(id, group);
    QTEST(int(m.ask), "ask");
    QTEST(int{m.mount}, "mount");
  }

  void aTypedRotationIsLimited_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("angle");
    QTest::newRow("400") << "400" << 359;
    QTest::newRow("-5") << "-5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("words") << "abc" << 0;
    QTest::newRow("90") << "90" << 90;
  }
  void aTypedRotationIsLimited() {
    QFETCH(QString, typed);
    QTEST(int{ProductRotation(typed)}, "angle");
  }

  // ---- the bar ----

  void theBarShowsOnlyInDesignMode() {
    Furnish();
    QVERIFY(Bar()->isVisible());
    window->ViewItem(kLayoutModeItem)->trigger();
    QVERIFY(!Bar()->isVisible());
  }

  void aResultOfExactlyTheButtonCountFillsEveryButton() {
    const QString series = "Ostara Linea", group = "Washbasins";
    const int count = CountOf(series, group);
    QVERIFY(count >= 3);
    Furnish(QSize(WidthFor(count), 700));
    QCOMPARE(Bar()->ButtonCount(), count);
    Choose(Bar()->Series(), series);
    Choose(Bar()->Groups(), group);
    for (int i = 0; i < count; ++i) QVERIFY(Bar()->ButtonProduct(i) > 0);
    QVERIFY(Bar()->RightScroll()->isEnabled());
    QVERIFY(!Bar()->LeftScroll()->isEnabled());
    const QList<qint64> before = Row();
    // Past the end: the row stays, the button goes off.
    QTest::mouseClick(Bar()->RightScroll(), Qt::LeftButton);
    QCOMPARE(Row(), before);
    QVERIFY(!Bar()->RightScroll()->isEnabled());
  }

  void scrollingForwardAndBackReturnsTheRow() {
    Furnish();
    const int n = Bar()->ButtonCount();
    QVERIFY(n > 2);
    const QList<qint64> first = Row();
    QTest::mouseClick(Bar()->RightScroll(), Qt::LeftButton);
    const QList<qint64> second = Row();
    QCOMPARE(second.mid(0, n - 1), first.mid(1));
    QVERIFY(Bar()->LeftScroll()->isEnabled());
    QTest::mouseClick(Bar()->LeftScroll(), Qt::LeftButton);
    QCOMPARE(Row(), first);
    QVERIFY(!Bar()->LeftScroll()->isEnabled());
    QVERIFY(Bar()->RightScroll()->isEnabled());
    // Through the whole set and back: nothing is lost on the way.
    int steps = 0;
    while (Bar()->RightScroll()->isEnabled() && steps < 500) {
      QTest::mouseClick(Bar()->RightScroll(), Qt::LeftButton);
      ++steps;
    }
    QCOMPARE(steps, CountOf("", "") - n);
    for (int i = 0; i < steps; ++i) QTest::mouseClick(Bar()->LeftScroll(), Qt::LeftButton);
    QCOMPARE(Row(), first);
  }

  void aBarNarrowerThanOneButtonShowsNone() {
    Furnish();
    // The window cannot become that narrow; the bar itself can.
    Bar()->resize(Bar()->LeftScroll()->geometry().right() + 30, Bar()->height());
    QCOMPARE(Bar()->ButtonCount(), 0);
    for (int i = 0; i < kMaxProductButtons; ++i) QVERIFY(!Bar()->Button(i)->isVisible());
  }

  void aWindowForTwentyButtonsShowsSixteen() {
    Furnish(QSize(WidthFor(20), 700));
    QCOMPARE(Bar()->ButtonCount(), kMaxProductButtons);
    for (int i = 0; i < kMaxProductButtons; ++i) QVERIFY(Bar()->Button(i)->isVisible());
    QCOMPARE(Bar()->RightScroll()->x(), Bar()->Button(15)->geometry().right() + 1);
  }

  void aGroupChangeKeepsTheSeries() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Arco");
    const QStringList groups = Items(Bar()->Groups());
    Choose(Bar()->Groups(), "Toilets");
    QCOMPARE(Bar()->Series()->currentText(), QString("Ostara Arco"));
    QCOMPARE(Items(Bar()->Groups()), groups);
    QCOMPARE(VisibleProducts(), CountOf("Ostara Arco", "Toilets"));
  }

  void aSeriesChangeKeepsAGroupTheNewListHolds() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Toilets");
    Choose(Bar()->Series(), "Ostara Arco");
    QCOMPARE(Bar()->Groups()->currentText(), QString("Toilets"));
    QCOMPARE(Bar()->Groups()->itemText(0), "<" + GetCaption(2700) + ">");
    QCOMPARE(VisibleProducts(), CountOf("Ostara Arco", "Toilets"));
  }

  void hoveringAProductShowsItsDescriptionAndSizes() {
    Furnish();
    QTest::mouseMove(Bar()->Button(0), QPoint(10, 10));
    const qint64 id = Bar()->ButtonProduct(0);
    QCOMPARE(window->StatusMessage()->text(), Bar()->ProductDescription(id));
    QVERIFY(!window->findChild<QLabel*>("lblWidth")->text().isEmpty());
    // A slot without a product says nothing.
    Choose(Bar()->Series(), "Ostara Basis");
    const int last = Bar()->ButtonCount() - 1;
    QCOMPARE(Bar()->ButtonProduct(last), qint64{0});
    QTest::mouseMove(Bar()->Button(last), QPoint(10, 10));
    QCOMPARE(window->StatusMessage()->text(), QString());
  }

  // ---- placing ----

  // While a product hangs at the pointer, and while a placed one is dragged, the status
  // line gives its distances to the walls: a 55 cm basin in a room 450 cm wide.
  void theDistancesFollowAHangingAndADraggedProduct() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    const QRegularExpression numbers(
        "^Distances: left (\\d+) cm, top (\\d+) cm, right (\\d+) cm, bottom (\\d+) cm$");
    auto distances = [&] {
      const QRegularExpressionMatch m = numbers.match(window->StatusMessage()->text());
      QList<int> d;
      for (int i = 1; m.hasMatch() && i <= 4; ++i) d << m.captured(i).toInt();
      return d;
    };
    QTest::mouseMove(window->View(), QPoint(250, 185));
    QTest::mouseMove(window->View(), QPoint(250, 180));
    QList<int> d = distances();
    QVERIFY2(d.size() == 4, qPrintable(window->StatusMessage()->text()));
    QCOMPARE(d[1], 1);  // against the top wall, two pixels off it
    QVERIFY(std::abs(d[0] + 55 + d[2] - 450) <= 1);
    const int left = d[0];
    QTest::mouseMove(window->View(), QPoint(270, 180));
    d = distances();
    QCOMPARE(d.size(), 4);
    QVERIFY(std::abs(d[0] - left - 20) <= 1);  // 20 window pixels at 50 %: 20 cm
    Drop(QPoint(270, 180));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);

    // Picked up and dragged 30 cm along the wall.
    const QPoint on = FindProduct(QPoint(270, 180));
    QTest::mouseMove(window->View(), on);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, on);  // selects it
    QTest::mousePress(window->View(), Qt::LeftButton, {}, on);
    QTest::mouseMove(window->View(), on + QPoint(2, 0), 0);
    QTest::mouseMove(window->View(), on + QPoint(30, 0), 0);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 1);
    d = distances();
    QVERIFY2(d.size() == 4, qPrintable(window->StatusMessage()->text()));
    QCOMPARE(d[1], 1);
    // A lifted product hangs with its middle at the pointer.
    const int moved = on.x() + 30 - 270;
    QVERIFY2(std::abs(d[0] - left - moved - 20) <= 2, qPrintable(window->StatusMessage()->text()));
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, on + QPoint(30, 0));
  }

  // The catalogue's height bands reach the engine: a vanity unit and the basin above it
  // are both placed at the same spot on the wall, in either order; a second vanity unit
  // there is refused.
  void aBasinAndItsVanityUnitStackInEitherOrder() {
    const qint64 orders[][2] = {{111, 101}, {101, 111}};
    for (const auto& order : orders) {
      Furnish();
      Choose(Bar()->Series(), "Ostara Linea");
      for (qint64 id : order) {
        Choose(Bar()->Groups(), id == 111 ? "Vanity units" : "Washbasins");
        QTest::mouseClick(Bar()->Button(ButtonOf(id)), Qt::LeftButton);
        Drop(QPoint(300, 180));
        ReadInfo();
        QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
      }
      QCOMPARE(Bridge().infoRecord.iCountDesignItems, 2);
      Choose(Bar()->Groups(), "Vanity units");
      QTest::mouseClick(Bar()->Button(ButtonOf(112)), Qt::LeftButton);
      Drop(QPoint(300, 180));
      ReadInfo();
      QCOMPARE(Bridge().infoRecord.bObjAtCur, 1);
      QCOMPARE(Bridge().infoRecord.iCountDesignItems, 2);
      Press(window, Qt::Key_Escape);
      CloseWindow();
      window = nullptr;
    }
  }

  void aBasinFromTheBarReachesTheEngineAndThePlan() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    const int b = ButtonOf(101);
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    const PutCall& put = Puts().back();
    QCOMPARE(put.id, 101L);
    QCOMPARE(put.mount, 5L);
    QCOMPARE(put.angle, long{kNoRotation});
    // The catalogue gives the basin a height band (its rim at 85 cm, 25 cm below it),
    // which takes the height's place so that it may stand over a vanity unit.
    QCOMPARE(put.height, TesselHeightBand(60, 85));
    QVERIFY(put.file.endsWith("/katalog/images/li0101p2.bmp"));
    QCOMPARE(Bar()->SelectedButton(), b);
    QVERIFY(Bar()->Button(b)->isChecked());
    Drop(QPoint(300, 250));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    // The list window names it.
    AnswerNextDialog([](QDialog* list) {
      auto* lines = list->findChild<QListWidget*>("lstProducts");
      QCOMPARE(lines->count(), 1);
      QVERIFY(lines->item(0)->text().contains("Washbasin 55"));
      QVERIFY(list->findChild<QPushButton*>("Command1")->isEnabled());
      list->findChild<QPushButton*>("cmdOK")->click();
    });
    QVERIFY(window->ViewItem(kProductList)->isEnabled());
    window->ViewItem(kProductList)->trigger();
  }

  void thePlacingHintsAreSeenOnceUnlessAskedForAgain() {
    Furnish();
    ReadHintSwitches();
    QVERIFY(Hints().showEsc && Hints().showHeight);
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    const int b = ButtonOf(101);  // a basin with a height: both hints
    QStringList seen;
    const auto confirm = [&seen](QDialog* hint) {
      seen << hint->windowTitle();
      hint->findChild<QPushButton*>("cmdOK")->click();
    };
    AnswerDialog("frmStartuphelp", [&](QDialog* hint) {
      confirm(hint);
      AnswerDialog("frmStartuphelp", confirm);
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(seen, (QStringList{GetCaption(3201), GetCaption(3202)}));
    QCOMPARE(ReadSetting("Startup", "ShowEsc", "1"), QString("0"));
    QCOMPARE(ReadSetting("Startup", "ShowHeight", "1"), QString("0"));
    Press(window, Qt::Key_Escape);
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(Puts().size(), std::size_t{2});
    Press(window, Qt::Key_Escape);
    // Asked for again through the Help menu, both come back at once and say so.
    QAction* again = window->HelpItem(kShowHints);
    QCOMPARE(again->text(), QString("Show &hints again"));
    QVERIFY(again->isVisible() && again->isEnabled());
    again->trigger();
    QCOMPARE(window->StatusMessage()->text(),
             QString("The hints on placing a product and on its height are shown again the next "
                     "time you place a product."));
    QCOMPARE(ReadSetting("Startup", "ShowEsc", "0"), QString("1"));
    QCOMPARE(ReadSetting("Startup", "ShowHeight", "0"), QString("1"));
    AnswerDialog("frmStartuphelp", [&](QDialog* hint) {
      confirm(hint);
      AnswerDialog("frmStartuphelp", confirm);
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(seen,
             (QStringList{GetCaption(3201), GetCaption(3202), GetCaption(3201), GetCaption(3202)}));
    QCOMPARE(Puts().size(), std::size_t{3});
    Press(window, Qt::Key_Escape);
    // Seen once more, they are off again, for this run and the next start.
    QCOMPARE(ReadSetting("Startup", "ShowEsc", "1"), QString("0"));
    // Set on again in the settings file, a hint comes back at the next start.
    WriteSetting("Startup", "ShowEsc", "1");
    ReadHintSwitches();
    QVERIFY(Hints().showEsc);
    QVERIFY(!Hints().showHeight);
  }

  void theMountingDialogRemembersItsSide() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    const int b = 0;
    AnswerNextDialog([](QDialog* d) {
      // The English program speaks English in its windows too.
      QCOMPARE(d->windowTitle(), QString("Mounting side"));
      QCOMPARE(d->findChild<QPushButton*>("cmdCancel")->text(), QString("&Cancel"));
      QVERIFY(d->findChild<QRadioButton*>("optMount0")->isChecked());
      d->findChild<QRadioButton*>("optMount2")->click();
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    QCOMPARE(Puts().back().mount, 3L);
    Press(window, Qt::Key_Escape);
    AnswerNextDialog([](QDialog* d) {
      QVERIFY(d->findChild<QRadioButton*>("optMount2")->isChecked());
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{2});
    QCOMPARE(Puts().back().mount, 3L);
    // Cancelled, nothing is placed.
    AnswerNextDialog([](QDialog* d) { d->findChild<QPushButton*>("cmdCancel")->click(); });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{2});
  }

  void theTypedRotationIsClamped() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Arco");
    Choose(Bar()->Groups(), "Bathtubs, oval");
    const int b = ButtonOf(239);
    AnswerNextDialog([](QDialog* d) {
      QCOMPARE(d->objectName(), QString("frmProdukt"));
      QCOMPARE(d->windowTitle(), QString("Place product"));
      QVERIFY(!d->findChild<QLabel*>("lblName")->text().isEmpty());
      // The long tub is shown whole, made smaller to fit, not cut at the area's edges.
      const auto* picture = d->findChild<QLabel*>("picProduct");
      const QSize shown = picture->pixmap().size();
      QVERIFY(!shown.isEmpty());
      QVERIFY(shown.width() <= picture->width() && shown.height() <= picture->height());
      QVERIFY(shown.width() == picture->width() || shown.height() == picture->height());
      d->findChild<QLineEdit*>("Value")->setText("400");
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    QCOMPARE(Puts().back().mount, 0L);
    QCOMPARE(Puts().back().angle, 359L);
    Press(window, Qt::Key_Escape);
    AnswerNextDialog([](QDialog* d) {
      QCOMPARE(d->findChild<QLineEdit*>("Value")->text(), QString("359"));
      d->findChild<QLineEdit*>("Value")->setText("-5");
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(b), Qt::LeftButton);
    QCOMPARE(Puts().back().angle, 0L);
  }

  void theCornerTubTakesMountSixWithoutADialog() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, corner");
    QTest::mouseClick(Bar()->Button(ButtonOf(139)), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    QCOMPARE(Puts().back().mount, 6L);
    QVERIFY(Messages::Shown().isEmpty());
  }

  void aMissingPlanPictureIsReported() {
    // A catalogue of its own whose basin has lost its plan picture.
    QTemporaryDir copy;
    const QString source = QFileInfo(ShippedCatalogue()).absolutePath();
    QVERIFY(QFile::copy(source + "/katalog.db", copy.filePath("katalog.db")));
    QDir().mkpath(copy.filePath("images"));
    for (const QString& name : QDir(source + "/images").entryList(QDir::Files))
      if (name != "li0101p2.bmp")
        QVERIFY(QFile::copy(source + "/images/" + name, copy.filePath("images/" + name)));
    Furnish();
    QCOMPARE(Bar()->OpenCatalogue(copy.filePath("katalog.db"), "", nullptr), CatalogueState::kOpen);
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    QVERIFY(Puts().empty());
    QCOMPARE(Messages::Shown().size(), 1);
    QVERIFY(Messages::Shown().front().contains("li0101p2.bmp"));
  }

  // Furnished, the room edited (View > Room layout, a free wall), furnished again (View >
  // Design, a second basin): no question, the saved files hold every product, and Undo walks back
  // step by step over both switches to the plan before the first basin.
  void editingTheRoomKeepsTheFurnishing() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    Drop(QPoint(300, 250));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);

    const QPoint basin = FindProduct(QPoint(300, 250));
    QVERIFY(!basin.isNull());

    window->ViewItem(kLayoutModeItem)->trigger();
    QVERIFY(Messages::Shown().isEmpty());
    QCOMPARE(window->WorkMode(), kLayoutMode);
    QVERIFY(!Bar()->isVisible());
    // The new wall stands where the hidden basin is.
    PlaceWithTool(kFreeWallTool, basin);
    // Saved in layout mode, the file keeps the hidden product beside the new wall.
    nextFileName = FilePath("kept.tsd");
    window->ProjectItem(kSave)->trigger();
    QCOMPARE(Count(Read(FilePath("kept.tsd")), "=PRODUCT,"), 1);
    QCOMPARE(Count(Read(FilePath("kept.tsd")), "=INSTWALL,"), 1);
    QVERIFY(!window->PlanChanged());

    window->ViewItem(kDesignModeItem)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    QVERIFY(!window->PlanChanged());  // just what the file holds
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    // Overlapping the wall now, the basin is still drawn.
    std::vector<std::int32_t> drawn(kProductListCapacity, 0);
    Engine()(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(drawn.data()), 0);
    QCOMPARE(drawn[0], 101);
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    Drop(QPoint(220, 190));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 2);
    window->ProjectItem(kSave)->trigger();
    QCOMPARE(Count(Read(FilePath("kept.tsd")), "=PRODUCT,"), 2);
    QCOMPARE(Count(Read(FilePath("kept.tsd")), "=INSTWALL,"), 1);
    QVERIFY(Messages::Shown().isEmpty());

    // Back over the second basin, then over the switch into the edited room.
    window->EditItem(kUndo)->trigger();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    QVERIFY(window->EditItem(kUndo)->isEnabled());
    window->EditItem(kUndo)->trigger();
    QCOMPARE(window->WorkMode(), kLayoutMode);
    nextFileName = FilePath("room.tsd");
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(Count(Read(FilePath("room.tsd")), "=PRODUCT,"), 1);
    QCOMPARE(Count(Read(FilePath("room.tsd")), "=INSTWALL,"), 1);
    // On over the room's own steps: the wall goes, the furnishing still kept aside.
    QVERIFY(window->EditItem(kUndo)->isEnabled());
    window->EditItem(kUndo)->trigger();
    QCOMPARE(window->WorkMode(), kLayoutMode);
    nextFileName = FilePath("unwalled.tsd");
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(Count(Read(FilePath("unwalled.tsd")), "=PRODUCT,"), 1);
    QCOMPARE(Count(Read(FilePath("unwalled.tsd")), "=INSTWALL,"), 0);
    // And over the first switch to the furnished plan without the wall.
    QVERIFY(window->EditItem(kUndo)->isEnabled());
    window->EditItem(kUndo)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    nextFileName = FilePath("before.tsd");
    window->ProjectItem(kSaveAs)->trigger();
    QCOMPARE(Count(Read(FilePath("before.tsd")), "=INSTWALL,"), 0);
    // The furnishing's own steps before the first switch are still there: the basin goes.
    QVERIFY(window->EditItem(kUndo)->isEnabled());
    window->EditItem(kUndo)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 0);
    QVERIFY(!window->EditItem(kUndo)->isEnabled());
    // Redo comes forward the same way, to the second basin.
    for (int i = 0; i < 5; ++i) {
      QVERIFY(window->EditItem(kRedo)->isEnabled());
      window->EditItem(kRedo)->trigger();
    }
    QCOMPARE(window->WorkMode(), kDesignMode);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 2);
    // Removing all products is still its own command, with its question.
    Messages::Answers() = {plat::IDYES};
    window->EditItem(kRemoveAllProducts)->trigger();
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 0);
  }

  // A 50 x 50 cm room has no wall a 55 cm basin fits along: the engine refuses, the
  // user reads why, and nothing hangs at the pointer.
  void aProductNoWallCanTakeIsRefusedWithItsReason() {
    QVERIFY(window = OpenWindow());
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->findChild<QLineEdit*>("Value0")->setText("50");
      dialog->findChild<QLineEdit*>("Value1")->setText("50");
      dialog->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(window->Tool(kWallRectTool), Qt::LeftButton);
    window->activateWindow();
    Drop(QPoint(300, 250));
    window->ViewItem(kDesignModeItem)->trigger();
    QCoreApplication::processEvents();
    Messages::Reset();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    QCOMPARE(Messages::Shown().size(), 1);
    QString caption, text;
    GetError(ErrorNumberOf(TR_PlacementFailed), &caption, &text);
    QVERIFY2(Messages::Shown().front().contains(text.left(20)),
             qPrintable(Messages::Shown().front()));
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.bObjAtCur, 0);
  }

  void aCatalogueWithoutProductsLeavesTheBarEmpty() {
    QTemporaryDir copy;
    QVERIFY(QFile::copy(ShippedCatalogue(), copy.filePath("katalog.db")));
    QFile::setPermissions(copy.filePath("katalog.db"), QFile::ReadOwner | QFile::WriteOwner);
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "strip");
      db.setDatabaseName(copy.filePath("katalog.db"));
      QVERIFY(db.open());
      QVERIFY(QSqlQuery(db).exec("DROP TABLE tKatalog"));
      db.close();
    }
    QSqlDatabase::removeDatabase("strip");
    Furnish();
    QCOMPARE(Bar()->OpenCatalogue(copy.filePath("katalog.db"), "", nullptr),
             CatalogueState::kNoProducts);
    window->ViewItem(kLayoutModeItem)->trigger();
    window->ViewItem(kDesignModeItem)->trigger();
    QVERIFY(Bar()->ButtonCount() > 0);
    for (int i = 0; i < Bar()->ButtonCount(); ++i) QCOMPARE(Bar()->ButtonProduct(i), qint64{0});
    QVERIFY(!Bar()->RightScroll()->isEnabled());
    QVERIFY(!Bar()->LeftScroll()->isEnabled());
    // An empty button places nothing.
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    QVERIFY(Puts().empty());
  }

  // Return means OK every time the mounting window opens, also after a cancel with the
  // mouse (which leaves the keyboard on Cancel); editing a placed product shows its own
  // side, not the one chosen last.
  void theMountingWindowTakesReturnAsOkAndShowsTheEditedProductsSide() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    AnswerNextDialog([](QDialog* d) {
      d->findChild<QRadioButton*>("optMount2")->click();
      QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    QVERIFY(Puts().empty());
    AnswerNextDialog([](QDialog* d) {
      QVERIFY(d->findChild<QRadioButton*>("optMount2")->isChecked());
      QVERIFY(d->findChild<QPushButton*>("cmdOK")->isDefault());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    QCOMPARE(Puts().back().mount, 3L);
    const QPoint at(300, 250);
    Drop(at);
    // Another side chosen, and that placement abandoned: the window now remembers side 1.
    AnswerNextDialog([](QDialog* d) {
      d->findChild<QRadioButton*>("optMount0")->click();
      QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    const QPoint on = FindProduct(at);
    QVERIFY(!on.isNull());
    bool shown = false;
    ChooseFromMenu(kPropertiesItemName, [&shown](QMenu*) {
      AnswerNextDialog([&shown](QDialog* d) {
        shown = d->findChild<QRadioButton*>("optMount2")->isChecked();
        d->findChild<QPushButton*>("cmdCancel")->click();
      });
    });
    QTest::mouseRelease(window->View(), Qt::RightButton, {}, on);
    QVERIFY(shown);
  }

  // After each window of the furnishing closes the keyboard is the main window's again,
  // without the pointer crossing it: Esc abandons the product that hangs at the pointer.
  void theKeyboardComesBackAfterEachFurnishingWindow() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Arco");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    AnswerNextDialog([](QDialog* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    EscAbandonsTheHangingProduct("mounting side");
    Choose(Bar()->Groups(), "Bathtubs, oval");
    AnswerNextDialog([](QDialog* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
    QTest::mouseClick(Bar()->Button(ButtonOf(239)), Qt::LeftButton);
    EscAbandonsTheHangingProduct("rotation");
    // The list, and the catalogue opened from it, closed without placing anything.
    AnswerNextDialog([](QDialog* d) { d->findChild<QPushButton*>("cmdOK")->click(); });
    window->ViewItem(kProductList)->setEnabled(true);
    window->ViewItem(kProductList)->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), window);
    AnswerDialog("frmKatalog",
                 [](QDialog* d) { d->findChild<QPushButton*>("cmdCancel")->click(); });
    window->ViewItem(kCatalogue)->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), window);
  }

  void aProductIsEditedByARightClickAndUndone() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    AnswerNextDialog([](QDialog* d) {
      d->findChild<QRadioButton*>("optMount0")->click();
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    QCOMPARE(Puts().size(), std::size_t{1});
    const QPoint at(300, 250);
    Drop(at);
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 1);
    // Find the product under the pointer: it stands against a wall near the drop.
    const QPoint on = FindProduct(at);
    QVERIFY(!on.isNull());
    QCOMPARE(ReadObjectData(), 0);
    QCOMPARE(Bridge().objectDataRead.p1, 1);
    QTest::mouseMove(window->View(), on);
    // The right click offers the product's menu: its properties first, then its position.
    ChooseFromMenu(kPropertiesItemName, [](QMenu* menu) {
      QCOMPARE(menu->objectName(), QString(kProductMenuName));
      QCOMPARE(menu->actions().size(), 2);
      QCOMPARE(menu->actions()[0]->text(), QString::fromUtf8("Mounting side\u2026"));
      QCOMPARE(menu->actions()[1]->text(), QString::fromUtf8("&Position\u2026"));
      AnswerNextDialog([](QDialog* d) {
        // The English program speaks English in its windows too.
        QCOMPARE(d->windowTitle(), QString("Mounting side"));
        QCOMPARE(d->findChild<QPushButton*>("cmdCancel")->text(), QString("&Cancel"));
        QVERIFY(d->findChild<QRadioButton*>("optMount0")->isChecked());
        d->findChild<QRadioButton*>("optMount1")->click();
        d->findChild<QPushButton*>("cmdOK")->click();
      });
    });
    QTest::mouseRelease(window->View(), Qt::RightButton, {}, on);
    QTest::mouseMove(window->View(), on);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, on);
    QVERIFY(FindProductData());
    QCOMPARE(Bridge().objectDataRead.p1, 2);
    window->EditItem(kUndo)->trigger();
    QVERIFY(FindProductData());
    QCOMPARE(Bridge().objectDataRead.p1, 1);
  }

  // Right click > Position...: the dialog opens on the distances the product has from
  // the walls; a distance past the opposite wall is refused with the reason and the
  // dialog stays open; a fitting one goes to the engine as one move of the difference,
  // which Ctrl+Z takes back.
  void aProductIsPositionedFromTheWallsAndUndone() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    AnswerNextDialog([](QDialog* d) {
      d->findChild<QRadioButton*>("optMount0")->click();
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
    const QPoint at(300, 250);
    Drop(at);
    const QPoint on = FindProduct(at);
    QVERIFY(!on.isNull());
    Moves().clear();
    Messages::Reset();
    int axis = -1, side = -1, before = -1;
    bool refusedAndStayed = false;
    ChooseFromMenu(kPositionItemName, [&](QMenu*) {
      AnswerDialog("frmPosition", [&](QDialog* d) {
        auto* dialog = static_cast<ProductPositionDialog*>(d);
        QCOMPARE(dialog->windowTitle(), QString("Position of the product"));
        // Against its wall the bathtub slides along it only: one distance can be typed.
        QVERIFY(dialog->Value(0)->isEnabled() != dialog->Value(1)->isEnabled());
        axis = dialog->Value(0)->isEnabled() ? 0 : 1;
        side = (axis == 0 ? dialog->AcrossSide() : dialog->UpDownSide())->currentIndex();
        bool number = false;
        before = dialog->Value(axis)->text().toInt(&number);
        QVERIFY(number);
        QCOMPARE(dialog->focusWidget(), dialog->Value(axis));
        // The text is selected: typing replaces it.
        QTest::keyClicks(dialog->Value(axis), "900");
        QTest::keyClick(dialog->Value(axis), Qt::Key_Return);
        refusedAndStayed = dialog->isVisible() && Messages::Shown().size() == 1 &&
                           Messages::Shown().front().contains("900 cm");
        dialog->Value(axis)->selectAll();
        QTest::keyClicks(dialog->Value(axis), QString::number(before + 10));
        QTest::keyClick(dialog->Value(axis), Qt::Key_Return);
      });
    });
    QTest::mouseMove(window->View(), on);
    QTest::mouseRelease(window->View(), Qt::RightButton, {}, on);
    QTRY_VERIFY_WITH_TIMEOUT(axis >= 0, kPatientMs);
    QVERIFY2(refusedAndStayed, qPrintable(Messages::Shown().join('\n')));
    QCOMPARE(Moves().size(), std::size_t{1});
    // Ten centimetres farther from the wall it is measured from: right or down from the
    // left or top wall, left or up from the others. The distance shown is whole
    // centimetres of a sheet of half centimetres, so the move may take half a centimetre
    // less to land on the typed one.
    const int step = (side == 0 ? 10 : -10) * 2;
    const int moved = axis == 0 ? Moves()[0].dx : Moves()[0].dy;
    QVERIFY2(moved == step || moved == step - (step > 0 ? 1 : -1),
             qPrintable(QString::number(moved)));
    QCOMPARE(axis == 0 ? Moves()[0].dy : Moves()[0].dx, 0);
    if (Moves()[0].result == kUnknownCode)
      QSKIP(
          "This engine does not move the selection by an offset: the move and its undo are "
          "not seen here");
    QCOMPARE(Moves()[0].result, 1L);
    // The dialog opened again shows the typed distance; after Ctrl+Z the old one.
    auto shown = [&] {
      int distance = -1;
      ChooseFromMenu(kPositionItemName, [&](QMenu*) {
        AnswerDialog("frmPosition", [&](QDialog* d) {
          distance = static_cast<ProductPositionDialog*>(d)->Value(axis)->text().toInt();
          d->findChild<QPushButton*>("cmdCancel")->click();
        });
      });
      const QPoint p = FindProduct(at);
      QTest::mouseRelease(window->View(), Qt::RightButton, {}, p);
      [&] { QTRY_VERIFY_WITH_TIMEOUT(distance >= 0, kPatientMs); }();
      return distance;
    };
    QCOMPARE(shown(), before + 10);
    // The main window is active again, as a window manager makes it once the dialog has
    // gone, and takes the keys.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(shown(), before);
    QCOMPARE(Moves().size(), std::size_t{1});
  }

  // The live distances place a hanging basin where the engine then drops it, against
  // every kind of wall line: a diagonal corner's cut, both long sides of an installation
  // wall turned by 30 degrees, the top wall under a window (the wall goes on there),
  // the bottom wall beside a door (never in it), the back of a niche, a cut of unequal
  // legs by its end at the bottom wall, where the basin is kept clear of that wall, and
  // the left wall by the end of another such cut, where it is kept clear of the cut. Each drop is
  // compared with the place the status line's distances were worked out for.
  void theLiveDistancesPlaceAProductWhereTheEngineDrops() {
    QVERIFY(window = OpenWindow({1000, 700}));
    // A 300 x 250 cm room round (760, 560) in sheet pixels, walls at x 460 and 1060,
    // y 310 and 810; plan files keep positions 120 pixels less.
    const QString file = FilePath("lines.tsd");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(
          "[Layout]\ncount=8\n"
          "00=WALLRECT,640,440,300,250,32767,0,0\n"
          "01=DIAGCRNR,440,290,100,100,0,0,0\n"
          "02=INSTWALL,780,480,80,10,30,0,0\n"
          "03=WINDOW,780,190,60,90,32767,0,0\n"
          "04=DOOR,640,690,80,90,32767,0,0\n"
          "05=WALLRECT,970,440,30,60,32767,0,0\n"
          "06=DIAGCRNR,900,620,40,70,0,0,0\n"
          "07=DIAGCRNR,380,620,40,70,0,0,0\n"
          "[Design]\ncount=0\n");
    }
    nextFileName = file;
    window->ProjectItem(kOpen)->trigger();
    QCOMPARE(window->CurrentFile(), file);
    if (window->WorkMode() != kDesignMode) window->ViewItem(kDesignModeItem)->trigger();
    QCOMPARE(window->WorkMode(), kDesignMode);
    PlanText room;
    QVERIFY(ParsePlanText(Read(file), &room));
    const DistanceMap map(room, CheckCatalogueOf(Bar()->Products()));
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    // Window pixels to sheet pixels: two a pixel at 50 %, from where the pointer is.
    const QPoint w0(300, 250);
    QTest::mouseMove(window->View(), w0);
    ReadInfo();
    const QPoint s0 =
        QPoint(Bridge().infoRecord.lCursorX, Bridge().infoRecord.lCursorY) + map.Origin().toPoint();
    struct Target {
      const char* where;
      QPoint sheet;
      bool slanted;
    };
    const Target targets[] = {{"the diagonal corner", {570, 420}, true},
                              {"the turned installation wall", {915, 574}, true},
                              {"its other side", {882, 632}, true},
                              {"under the window", {900, 340}, false},
                              {"beside the door", {740, 790}, false},
                              {"in a niche of the right wall", {1066, 560}, false},
                              {"the end of a cut of 40 x 70 cm", {987, 757}, true},
                              {"the left wall by the end of such a cut", {480, 640}, false}};
    int placed = 0;
    for (const Target& t : targets) {
      QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
      const QPoint w = w0 + (t.sheet - s0) / 2;
      QTest::mouseMove(window->View(), w + QPoint(2, 0));
      QTest::mouseMove(window->View(), w);
      ReadInfo();
      const QPoint pointer = QPoint(Bridge().infoRecord.lCursorX, Bridge().infoRecord.lCursorY) +
                             map.Origin().toPoint();
      const ProductOutline outline =
          map.Place({101, Bar()->Hung().mount, Bar()->Hung().angle}, pointer);
      QVERIFY2(outline.valid, t.where);
      QCOMPARE(!outline.OnStraightWall(), t.slanted);
      QVERIFY2(window->StatusMessage()->text().startsWith("Distances: left "), t.where);
      Drop(w);
      ReadInfo();
      QVERIFY2(Bridge().infoRecord.iCountDesignItems == ++placed, t.where);
      window->ProjectItem(kSave)->trigger();
      PlanText dropped;
      QVERIFY(ParsePlanText(Read(file), &dropped));
      const PlanRecord& basin = dropped.design.value(placed - 1);
      QVERIFY2(QPoint(basin.x, basin.y) == outline.centre,
               qPrintable(QString("%1: engine %2,%3, live %4,%5")
                              .arg(t.where)
                              .arg(basin.x)
                              .arg(basin.y)
                              .arg(outline.centre.x())
                              .arg(outline.centre.y())));
    }
    // Right click > Position... on the basin in the diagonal corner: it slides along
    // that wall only, so typed distances from the room's walls are refused with what
    // to do instead, and nothing moves.
    const QPoint corner = FindProduct(w0 + (targets[0].sheet - s0) / 2);
    QVERIFY(!corner.isNull());
    Moves().clear();
    Messages::Reset();
    // Should the dialog open after all, it is sent away rather than left waiting.
    auto asked = std::make_shared<bool>(false);
    QTimer::singleShot(kDialogGuardMs, [asked] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || d->objectName() != "frmPosition") return;
      *asked = true;
      d->reject();
    });
    ChooseFromMenu(kPositionItemName);
    QTest::mouseRelease(window->View(), Qt::RightButton, {}, corner);
    QTRY_COMPARE_WITH_TIMEOUT(Messages::Shown().size(), 1, kPatientMs);
    QVERIFY2(Messages::Shown().front().contains("slanted wall") &&
                 Messages::Shown().front().contains("Drag it along its wall"),
             qPrintable(Messages::Shown().front()));
    QVERIFY(!*asked);
    QVERIFY(Moves().empty());
  }

  // A free-standing oval bathtub turned by 30 degrees near the left wall, a basin on
  // that wall beside its upper end: while it hangs the status line gives the level gap
  // from the tub's outline to the basin, which its upright box would put much nearer.
  // Position... gives the tub's distance from the wall, from its outermost point, puts
  // that point at the typed distance in one move, and Ctrl+Z takes it back.
  void aTurnedProductIsMeasuredAndPositionedFromItsOutline() {
    Furnish();
    // The room drawn is 450 x 200 cm, its left wall at 165 and its top at 113 in the
    // window, a centimetre a pixel.
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Washbasins");
    QTest::mouseClick(Bar()->Button(ButtonOf(101)), Qt::LeftButton);
    Drop(QPoint(175, 150));
    Choose(Bar()->Series(), "Ostara Arco");
    Choose(Bar()->Groups(), "Bathtubs, oval");
    AnswerNextDialog([](QDialog* d) {
      auto* angle = d->findChild<QLineEdit*>("Value");
      QVERIFY(angle);
      angle->setText("30");
      d->findChild<QPushButton*>("cmdOK")->click();
    });
    QTest::mouseClick(Bar()->Button(ButtonOf(239)), Qt::LeftButton);
    const QRegularExpression numbers(
        "^Distances: left (\\d+) cm, top (\\d+) cm, right (\\d+) cm, bottom (\\d+) cm$");
    // The tub turned is 168 cm from top to bottom.
    const QPoint at(330, 213);
    QTest::mouseMove(window->View(), at + QPoint(4, 0));
    QTest::mouseMove(window->View(), at);
    const QRegularExpressionMatch m = numbers.match(window->StatusMessage()->text());
    QVERIFY2(m.hasMatch(), qPrintable(window->StatusMessage()->text()));
    const int hanging = m.captured(1).toInt();
    Drop(at);
    ReadInfo();
    QVERIFY2(Bridge().infoRecord.iCountDesignItems == 2, qPrintable(m.captured(0)));

    // Where the plan keeps the room's left wall, the basin and the tub, in sheet pixels.
    nextFileName = FilePath("turned.tsd");
    auto plan = [&] {
      window->ProjectItem(kSave)->trigger();
      PlanText text;
      [&] { QVERIFY(ParsePlanText(Read(FilePath("turned.tsd")), &text)); }();
      return text;
    };
    const PlanText before = plan();
    QCOMPARE(before.design.size(), 2);
    const int wall = before.layout[0].x - before.layout[0].p0;
    const QPoint centre(before.design[1].x, before.design[1].y);
    // 180 x 90 cm, two pixels a centimetre, turned by 30 degrees: its leftmost corner
    // lies this far left of its centre. The basin is 44 cm deep.
    const double reach = 180 * std::cos(std::numbers::pi / 6) + 90 * std::sin(std::numbers::pi / 6);
    const double wallGap = (centre.x() - reach - wall) / 2;
    const double boxGap = (centre.x() - reach - (before.design[0].x + 44)) / 2;
    QVERIFY2(hanging >= boxGap + 10 && hanging < wallGap - 10,
             qPrintable(QString("%1 between %2 and %3").arg(hanging).arg(boxGap).arg(wallGap)));

    const QPoint on = FindProduct(at + QPoint(40, 0));
    QVERIFY(!on.isNull());
    QCOMPARE(Bridge().infoRecord.iSelProdId, 239);
    Moves().clear();
    int shown = -1;
    ChooseFromMenu(kPositionItemName, [&](QMenu*) {
      AnswerDialog("frmPosition", [&](QDialog* d) {
        auto* dialog = static_cast<ProductPositionDialog*>(d);
        QVERIFY(dialog->Value(0)->isEnabled() && dialog->Value(1)->isEnabled());
        QCOMPARE(dialog->AcrossSide()->currentIndex(), 0);  // from the left wall
        shown = dialog->Value(0)->text().toInt();
        dialog->Value(0)->selectAll();
        QTest::keyClicks(dialog->Value(0), "50");
        QTest::keyClick(dialog->Value(0), Qt::Key_Return);
      });
    });
    QTest::mouseMove(window->View(), on);
    QTest::mouseRelease(window->View(), Qt::RightButton, {}, on);
    QTRY_VERIFY_WITH_TIMEOUT(shown >= 0, kPatientMs);
    QVERIFY2(std::abs(shown - wallGap) <= 1, qPrintable(QString::number(shown)));
    QCOMPARE(Moves().size(), std::size_t{1});
    QCOMPARE(Moves()[0].dy, 0);
    if (Moves()[0].result == kUnknownCode)
      QSKIP("This engine does not move the selection by an offset: the move is not seen here");
    QCOMPARE(Moves()[0].result, 1L);
    const PlanRecord moved = plan().design.value(1);
    const double now = moved.x - reach - wall;
    QVERIFY2(std::abs(now - 50 * 2) <= 1, qPrintable(QString::number(now)));
    QCOMPARE(moved.y, centre.y());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    Press(window, Qt::Key_Z, Qt::ControlModifier);
    const PlanRecord back = plan().design.value(1);
    QCOMPARE(QPoint(back.x, back.y), centre);
  }

  // A typed position where the product would overlap another one at its height: the
  // engine refuses it, the user is told why, and the product stays where it stood.
  void aPositionOverAnotherProductIsRefused() {
    Furnish();
    Choose(Bar()->Series(), "Ostara Linea");
    Choose(Bar()->Groups(), "Bathtubs, rectangular");
    // Two bathtubs side by side on the top wall, a little apart.
    for (const QPoint at : {QPoint(300, 250), QPoint(500, 250)}) {
      AnswerNextDialog([](QDialog* d) {
        d->findChild<QRadioButton*>("optMount0")->click();
        d->findChild<QPushButton*>("cmdOK")->click();
      });
      QTest::mouseClick(Bar()->Button(0), Qt::LeftButton);
      Drop(at);
    }
    ReadInfo();
    QCOMPARE(Bridge().infoRecord.iCountDesignItems, 2);
    const QPoint on = FindProduct(QPoint(300, 250));
    QVERIFY(!on.isNull());
    Moves().clear();
    Messages::Reset();
    auto position = [&](const QString& typed) {
      int shown = -1;
      ChooseFromMenu(kPositionItemName, [&](QMenu*) {
        AnswerDialog("frmPosition", [&](QDialog* d) {
          auto* dialog = static_cast<ProductPositionDialog*>(d);
          QVERIFY(dialog->Value(0)->isEnabled());
          QCOMPARE(dialog->AcrossSide()->currentIndex(), 0);
          shown = dialog->Value(0)->text().toInt();
          if (typed.isEmpty()) {
            d->findChild<QPushButton*>("cmdCancel")->click();
            return;
          }
          QTest::keyClicks(dialog->Value(0), typed);
          QTest::keyClick(dialog->Value(0), Qt::Key_Return);
        });
      });
      QTest::mouseMove(window->View(), on);
      QTest::mouseRelease(window->View(), Qt::RightButton, {}, on);
      [&] {
        QTRY_VERIFY2_WITH_TIMEOUT(
            shown >= 0, qPrintable("no position window; messages: " + Messages::Shown().join('|')),
            kPatientMs);
      }();
      return shown;
    };
    const int before = position("200");
    QCOMPARE(Moves().size(), std::size_t{1});
    if (Moves()[0].result == kUnknownCode)
      QSKIP("This engine does not move the selection by an offset: its refusal is not seen here");
    QCOMPARE(Moves()[0].result, 0L);
    QVERIFY2(
        Messages::Shown().size() == 1 && Messages::Shown().front().contains("cannot stand there"),
        qPrintable(Messages::Shown().join('\n')));
    QCOMPARE(position(QString()), before);
  }

 private:
  ProductBar* Bar() const { return window->Bar(); }

  // A room drawn and design mode entered, as the user does it.
  void Furnish(QSize size = {1000, 700}) {
    QVERIFY(window = OpenWindow(size));
    DrawRoom();
    window->ViewItem(kDesignModeItem)->trigger();
    QVERIFY(Bar()->isVisible());
    QCoreApplication::processEvents();
  }

  int WidthFor(int buttons) const {
    ProductBar* bar = window ? Bar() : nullptr;
    const int fixed =
        bar ? bar->LeftScroll()->geometry().right() + 1 + bar->RightScroll()->width() : 240;
    const int button = bar ? bar->Button(0)->width() : 66;
    return fixed + buttons * button + button / 2;
  }

  // Opens the drop-down and clicks the entry, as the mouse does.
  static void Choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->showPopup();
    auto* view = box->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(box->currentText(), text);
  }

  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }

  QList<qint64> Row() const {
    QList<qint64> ids;
    for (int i = 0; i < Bar()->ButtonCount(); ++i) ids << Bar()->ButtonProduct(i);
    return ids;
  }
  int VisibleProducts() const {
    int n = 0;
    for (qint64 id : Row()) n += id > 0;
    return n;
  }

  // The button that shows a product, scrolling forward to it.
  int ButtonOf(qint64 id) {
    for (int step = 0; step < 200; ++step) {
      for (int i = 0; i < Bar()->ButtonCount(); ++i)
        if (Bar()->ButtonProduct(i) == id) return i;
      if (!Bar()->RightScroll()->isEnabled()) break;
      QTest::mouseClick(Bar()->RightScroll(), Qt::LeftButton);
    }
    [] { QFAIL("product not on the bar"); }();
    return 0;
  }

  // The window the system gives keys to is the main window, and Esc sent there lets go
  // of the product at the pointer.
  void EscAbandonsTheHangingProduct(const char* after) {
    QCoreApplication::processEvents();
    ReadInfo();
    QVERIFY2(Bridge().infoRecord.bObjAtCur != 0, after);
    QVERIFY2(QApplication::activeWindow() == window, after);
    QWindow* keys = QGuiApplication::focusWindow();
    QVERIFY2(keys && keys == window->windowHandle(), after);
    QTest::keyClick(keys, Qt::Key_Escape);
    QCoreApplication::processEvents();
    ReadInfo();
    QVERIFY2(Bridge().infoRecord.bObjAtCur == 0, after);
  }

  void Drop(QPoint at) {
    QTest::mouseMove(window->View(), at);
    QTest::mouseRelease(window->View(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
  }

  // A point over the placed product near `at`, found by moving the pointer in a grid.
  QPoint FindProduct(QPoint at) {
    for (int r = 0; r < 400; r += 8)
      for (int dy = -r; dy <= r; dy += 8)
        for (int dx : {-r, r}) {
          const QPoint p = at + QPoint(dx, dy);
          if (p.x() < 30 || p.y() < 30) continue;
          QTest::mouseMove(window->View(), p);
          ReadInfo();
          if (Bridge().infoRecord.iSelProdId > 0) return p;
        }
    return {};
  }
  bool FindProductData() {
    if (FindProduct(QPoint(300, 250)).isNull()) return false;
    return ReadObjectData() == 0 && Bridge().objectDataRead.iKindCode == TC_PutProduct;
  }

  MainWindow* window = nullptr;
};

QTEST_MAIN(ProductBarTest)
#include "test_product_bar.moc"
