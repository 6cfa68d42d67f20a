#include "catalogue/product_bar.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QResizeEvent>
#include <QToolButton>

#include "catalogue/catalogue_dialog.h"
#include "catalogue/product_list_csv.h"
#include "dialogs/product_dialogs.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/files.h"
#include "shell/forms.h"
#include "shell/message_box.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

// The measures of the bar in pixels: a picture button holds a small picture (at most
// 60 pixels) with its frame; the drop-downs stand one above the other at the left.
constexpr int kButtonSize = 66;
constexpr int kIconSize = 60;
constexpr int kScrollWidth = 18;
constexpr int kDropDownWidth = 190;
constexpr int kMargin = 4;
constexpr int kBarHeight = kButtonSize + 2 * kMargin;
constexpr int kLeftScrollLeft = kMargin + kDropDownWidth + kMargin;
// The captions of the product list file's header row: this number + the column.
// The messages about a product's plan picture.
constexpr int kPictureMissingCaption = 7300;
constexpr int kPictureUnreadableCaption = 7301;

}  // namespace

class ProductBar::BusyGuard {
 public:
  explicit BusyGuard(ProductBar* bar) : bar_(bar), entered_(!bar->bFillingPB_) {
    if (entered_) bar_->bFillingPB_ = true;
  }
  ~BusyGuard() {
    if (entered_) bar_->bFillingPB_ = false;
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  ProductBar* bar_;
  bool entered_;
};

ProductBar::ProductBar(QWidget* frame, std::function<void(const QString&)> status)
    : QWidget(frame), status_(std::move(status)) {
  setObjectName("ProductBar");
  setFixedHeight(kBarHeight);
  setMinimumWidth(0);
  const int dropHeight = (kButtonSize - kMargin) / 2;
  ddSeries_ = new QComboBox(this);
  ddSeries_->setObjectName("ddSeries");
  ddSeries_->setGeometry(kMargin, kMargin, kDropDownWidth, dropHeight);
  ddProducts_ = new QComboBox(this);
  ddProducts_->setObjectName("ddProducts");
  ddProducts_->setGeometry(kMargin, kMargin + dropHeight + kMargin, kDropDownWidth, dropHeight);
  for (QComboBox* box : {ddSeries_, ddProducts_}) {
    box->setFocusPolicy(Qt::NoFocus);
    connect(box, &QComboBox::activated, this, [this] { DropDownChanged(); });
  }
  left_ = new QToolButton(this);
  left_->setObjectName("PSLeftScroll");
  left_->setArrowType(Qt::LeftArrow);
  left_->setGeometry(kLeftScrollLeft, kMargin, kScrollWidth, kButtonSize);
  right_ = new QToolButton(this);
  right_->setObjectName("PSRightScroll");
  right_->setArrowType(Qt::RightArrow);
  right_->setGeometry(kLeftScrollLeft + kScrollWidth, kMargin, kScrollWidth, kButtonSize);
  for (QToolButton* b : {left_, right_}) b->setFocusPolicy(Qt::NoFocus);
  connect(left_, &QToolButton::clicked, this, [this] { ScrollProductbar(true); });
  connect(right_, &QToolButton::clicked, this, [this] { ScrollProductbar(false); });
  for (int i = 0; i < kMaxProductButtons; ++i) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString("PSButton%1").arg(i));
    b->setCheckable(true);
    b->setIconSize({kIconSize, kIconSize});
    b->setFocusPolicy(Qt::NoFocus);
    b->setMouseTracking(true);
    b->setGeometry(kLeftScrollLeft + kScrollWidth + i * kButtonSize, kMargin, kButtonSize,
                   kButtonSize);
    b->installEventFilter(this);
    b->hide();
    connect(b, &QToolButton::clicked, this, [this, i] {
      if (!bFillingPB_) PlaceProductFromBar(i);
    });
    buttons_[static_cast<std::size_t>(i)] = b;
  }
}

ProductBar::~ProductBar() = default;

ProductMountDialog* ProductBar::MountDialog() {
  if (!mountDialog_) mountDialog_ = std::make_unique<ProductMountDialog>(window());
  return mountDialog_.get();
}

ProductRotationDialog* ProductBar::RotationDialog() {
  if (!rotationDialog_) rotationDialog_ = std::make_unique<ProductRotationDialog>(window());
  return rotationDialog_.get();
}

CatalogueState ProductBar::OpenCatalogue(const QString& file, const QString& suffix, QString* why) {
  BusyGuard busy(this);
  const CatalogueState state = catalogue_.Open(file, suffix, why);
  images_ = ImagesFolder(file);
  row_.SetImagesFolder(images_);
  ddSeries_->clear();
  ddSeries_->addItem(CaptionOr(5320, QString::fromUtf8("<Alle Serien>")));
  ddSeries_->addItems(catalogue_.SeriesNames());
  ddProducts_->clear();
  ddProducts_->addItem(CaptionOr(5330, QString::fromUtf8("<Alle Produkte>")));
  ddProducts_->addItems(catalogue_.GroupNames());
  ddSeries_->setCurrentIndex(0);
  ddProducts_->setCurrentIndex(0);
  iLastSeries_ = -1;
  // Made with the catalogue and kept, hidden, until the catalogue goes.
  catalogueDialog_.reset();
  catalogueDialog_ = std::make_unique<CatalogueDialog>(
      &catalogue_, images_, [this](RecordSet& set) { PlaceCatalogueRecord(set); },
      [this] { return layoutMode_ && layoutMode_(); }, window());
  return state;
}

void ProductBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) LayoutProductbar();
}

void ProductBar::LayoutProductbar() {
  {
    BusyGuard busy(this);
    if (!busy) return;
    const int n = ProductButtonCount(width(), left_->x(), left_->width(), right_->width(),
                                     buttons_[0]->width());
    row_.SetCount(n);
    for (int i = kMaxProductButtons - 1; i >= 0; --i)
      buttons_[static_cast<std::size_t>(i)]->setVisible(i < n);
    // With no button the right scroll button stays beside the left one.
    const int rightLeft = n > 0 ? buttons_[static_cast<std::size_t>(n - 1)]->geometry().right() + 1
                                : left_->geometry().right() + 1;
    right_->move(rightLeft, right_->y());
  }
  FillProductbar();
}

void ProductBar::FillProductbar() {
  BusyGuard busy(this);
  if (!busy) return;
  row_.Fill(catalogue_.ProductBar());
  ShowRow();
}

void ProductBar::ShowRow() {
  for (int i = 0; i < kMaxProductButtons; ++i) {
    const ProductSlot& slot = row_.Slot(i);
    QToolButton* b = buttons_[static_cast<std::size_t>(i)];
    // A missing small picture leaves the button empty but still clickable.
    b->setIcon(slot.picture.isEmpty() ? QIcon() : QIcon(QPixmap(slot.picture)));
    b->setToolTip(slot.name);
  }
  left_->setEnabled(row_.LeftEnabled());
  right_->setEnabled(row_.RightEnabled());
}

void ProductBar::ScrollProductbar(bool back) {
  BusyGuard busy(this);
  if (!busy) return;
  switch (row_.Scroll(catalogue_.ProductBar(), back)) {
    case ProductRow::Scrolled::kEmpty:
      status_(GetCaption(5720));
      return;
    case ProductRow::Scrolled::kNotFound:
      status_(GetCaption(5710));
      return;
    default:
      break;
  }
  // The highlight marks a button, not a product: it stays where it was.
  ShowRow();
}

void ProductBar::DropDownChanged() {
  if (bFillingPB_) return;
  QueryWithDropDownsHeld(ddSeries_, ddProducts_, [this] { vPBQuery(); });
}

void QueryWithDropDownsHeld(QComboBox* series, QComboBox* groups,
                            const std::function<void()>& query) {
  // Disabled for the query, a drop-down loses the keyboard: it gets it back, so the arrow
  // keys go on stepping through the list.
  QPointer<QWidget> keys = QApplication::focusWidget();
  series->setEnabled(false);
  groups->setEnabled(false);
  query();
  series->setEnabled(true);
  groups->setEnabled(true);
  if (keys == series || keys == groups) keys->setFocus(Qt::OtherFocusReason);
}

void ReplaceGroups(QComboBox* groups, const QStringList& names, const QString& allEntry) {
  const QString old = groups->currentText();
  groups->clear();
  groups->addItem(allEntry);
  groups->addItems(names);
  const qsizetype kept = names.indexOf(old);
  groups->setCurrentIndex(kept >= 0 ? int(kept) + 1 : 0);
}

ProductFilter FilterOf(const QComboBox* series, const QComboBox* groups) {
  ProductFilter filter;
  if (series->currentIndex() > 0) filter.series = series->currentText();
  if (groups->currentIndex() > 0) filter.group = groups->currentText();
  return filter;
}

void ProductBar::vPBQuery() {
  {
    BusyGuard busy(this);
    if (!busy) return;
    if (ddSeries_->currentIndex() != iLastSeries_) {
      iLastSeries_ = ddSeries_->currentIndex();
      QStringList groups;
      if (iLastSeries_ > 0) {
        QString why;
        if (!catalogue_.GroupsOfSeries(ddSeries_->currentText(), &groups, &why)) status_(why);
      } else {
        groups = catalogue_.GroupNames();
      }
      ReplaceGroups(ddProducts_, groups, "<" + GetCaption(2700) + ">");
    }
    QString why;
    if (!catalogue_.RequeryProductBar(FilterOf(ddSeries_, ddProducts_), &why)) status_(why);
  }
  FillProductbar();
}

void ProductBar::DeselectProductButton() {
  if (iSelButton_ < kNoSelectedButton)
    buttons_[static_cast<std::size_t>(iSelButton_)]->setChecked(false);
  iSelButton_ = kNoSelectedButton;
}

void ProductBar::HighlightProductButton(int index) {
  buttons_[static_cast<std::size_t>(index)]->setChecked(true);
}

bool ProductBar::eventFilter(QObject* watched, QEvent* event) {
  for (int i = 0; i < kMaxProductButtons; ++i) {
    if (watched != buttons_[static_cast<std::size_t>(i)]) continue;
    switch (event->type()) {
      case QEvent::MouseMove:
      case QEvent::Enter:
        Hover(i);
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ProductBar::Hover(int index) {
  const qint64 id = row_.Slot(index).id;
  // An empty slot has nothing to say: the status line is cleared, not filled with "<>".
  status_(id > 0 ? ProductDescription(id) : QString());
  ShowProductDimensions(id);
}

QLabel* ProductBar::StatusLabel(const char* name) const {
  return window()->findChild<QLabel*>(name);
}

void ProductBar::ShowProductDimensions(qint64 id) {
  struct Size {
    const char* caption;
    const char* value;
    const char* field;
  };
  static constexpr Size kSizes[] = {{"Label5", "lblWidth", "Breite"},
                                    {"Label8", "lblDepth", "Tiefe"},
                                    {"Label7", "lblHeight", "Höhe"}};
  RecordSet& all = catalogue_.AllProducts();
  const bool found =
      id > 0 && all.RecordCount() > 0 && all.FindFirst("KatalogID = " + QString::number(id));
  bool any = false;
  for (const Size& s : kSizes) {
    QLabel* caption = StatusLabel(s.caption);
    QLabel* value = StatusLabel(s.value);
    if (!caption || !value) continue;
    const QVariant v = found ? all.Field(QString::fromUtf8(s.field)) : QVariant();
    const bool shown = v.isValid() && !v.isNull() && !v.toString().isEmpty();
    caption->setVisible(shown);
    value->setVisible(shown);
    value->setText(shown ? v.toString() : QString());
    any = any || shown;
  }
  if (QWidget* frame = window()->findChild<QWidget*>("SizeFrame")) frame->setVisible(any);
}

void ProductBar::ShowSelectedProduct(qint64 id) {
  status_(id > 0 ? ProductDescription(id) : QString());
  ShowProductDimensions(id);
}

QString ProductBar::PlanPath(const QString& plan) const {
  return QDir(images_).filePath(plan);
}

void ProductBar::PlaceProductFromBar(int index) {
  BusyGuard busy(this);
  if (!busy) return;
  QToolButton* button = buttons_[static_cast<std::size_t>(index)];
  if (iSelButton_ != index) {
    DeselectProductButton();
    iSelButton_ = index;
  }
  // A click toggles the button; the highlight follows the last product clicked.
  HighlightProductButton(index);
  const ProductSlot& slot = row_.Slot(index);
  if (slot.id <= 0) return;
  RecordSet& set = catalogue_.ProductBar();
  if (!set.FindFirst("KatalogID = " + QString::number(slot.id))) return;
  const QPixmap picture = button->icon().pixmap(kIconSize, kIconSize);
  PlaceRecord(set, picture, slot.name);
}

void ProductBar::PlaceRecord(RecordSet& set, const QPixmap& picture, const QString& name) {
  const QString plan = set.Field("Plangrafik").toString();
  if (plan.isEmpty()) return;
  const QString path = PlanPath(plan);
  // The engine would only note a missing or broken picture in its trace and place
  // nothing; the user learns which file it is.
  if (!QFileInfo(path).isFile()) {
    ShowMessage(
        CaptionOr(kPictureMissingCaption, "The plan picture of this product is missing:\n%1")
            .arg(path),
        ProgramTitle(), plat::MB_ICONWARNING);
    return;
  }
  if (!QImageReader(path).canRead()) {
    ShowMessage(
        CaptionOr(kPictureUnreadableCaption, "The plan picture of this product cannot be read:\n%1")
            .arg(path),
        ProgramTitle(), plat::MB_ICONWARNING);
    return;
  }
  auto hint = [this](int mode) {
    StartupHelpWindow window(this->window());
    window.setMode(mode);
    RunModal(window);
  };
  if (Hints().showEsc) hint(StartupHelpWindow::kEscHint);
  const qint64 id = set.Field("KatalogID").toLongLong();
  const QVariant height = set.Field(QString::fromUtf8("Höhe"));
  // A product with a height band hands the band to the engine in place of its height,
  // so that it may stand over products out of its way; the engine keeps nothing else.
  int productHeight = ProductHeight(height);
  int bottom = 0, top = 0;
  if (catalogue_.HeightBand(id, &bottom, &top))
    productHeight = static_cast<int>(TesselHeightBand(bottom, top));
  if (!height.isNull() && !height.toString().isEmpty() && Hints().showHeight)
    hint(StartupHelpWindow::kHeightHint);
  const Mounting mounting = MountFor(id, set.Field("Produktgruppe").toString());
  switch (mounting.ask) {
    case MountQuestion::kNone:
      if (HasPlacementCaution(id)) MsgBoxHelp(6500, plat::MB_OK, 6500);
      PutProduct(id, mounting.mount, kNoRotation, path, productHeight);
      break;
    case MountQuestion::kSide: {
      std::int16_t side = mounting.mount;
      if (MountDialog()->Ask(picture, &side))
        PutProduct(id, side, kNoRotation, path, productHeight);
      break;
    }
    case MountQuestion::kRotation: {
      std::int16_t angle = 0;
      if (RotationDialog()->Ask(QPixmap(path), name, &angle))
        PutProduct(id, kMountRotated, angle, path, productHeight);
      break;
    }
  }
}

void ProductBar::PutProduct(qint64 id, std::int16_t mount, std::int16_t angle, const QString& path,
                            int height) {
  BridgeState& b = Bridge();
  EngineEntry engine = Engine();
  if (b.workWindowHandle == 0 || !engine) return;
  const QByteArray ansi = QFile::encodeName(path);
  auto u = [](std::int32_t v) { return static_cast<unsigned>(v); };
  const long result = engine(TC_PutProduct, u(static_cast<std::int32_t>(id)), u(mount), u(angle),
                             reinterpret_cast<long>(ansi.constData()), height);
  b.lastEngineResult = static_cast<std::int16_t>(result);
  hung_ = result == TR_Done ? HungProduct{id, mount, angle} : HungProduct{};
  // A wall-mounted product with no wall long enough for it cannot hang at the cursor.
  if (result == TR_PlacementFailed) ShowEngineError(b.lastEngineResult);
}

bool ProductBar::EditSelectedProduct() {
  BridgeState& b = Bridge();
  if (ReadObjectData() != 0 || b.objectDataRead.iKindCode != TC_PutProduct) return false;
  b.objectDataWrite = b.objectDataRead;
  const ObjectData& read = b.objectDataRead;
  std::int16_t mount = static_cast<std::int16_t>(read.p1);
  std::int16_t angle = static_cast<std::int16_t>(read.p2);
  QString path;
  RecordSet& all = catalogue_.AllProducts();
  if (all.FindFirst("KatalogID = " + QString::number(read.p0))) {
    const QString plan = all.Field("Plangrafik").toString();
    if (!plan.isEmpty() && QFileInfo(PlanPath(plan)).isFile()) path = PlanPath(plan);
  }
  bool ok = true;
  if (mount == kMountRotated) {
    ok = RotationDialog()->Ask(path.isEmpty() ? QPixmap() : QPixmap(path),
                               all.NoMatch() ? QString() : all.Field("BezeichnungL").toString(),
                               &angle);
  } else if (mount < kMountFree) {
    const QString small =
        path.isEmpty() ? QString() : PlanPath(SmallPictureName(all.Field("Plangrafik").toString()));
    // The window shows the side the product hangs on now.
    ok = MountDialog()->Ask(small.isEmpty() ? QPixmap() : QPixmap(small), &mount,
                            ProductMountDialog::StartSide::kGiven);
  }
  if (!ok) return true;
  b.objectDataWrite.p1 = mount;
  b.objectDataWrite.p2 = angle;
  WriteObjectData();
  return true;
}

QStringList ProductListHeader() {
  // The position number first, as on the printed list; sizes with their unit.
  struct Column {
    int caption;
    const char* fallback;
  };
  static const Column kColumns[kProductListColumns] = {
      {7510, "Pos."},       {2510, "Catalogue no."}, {2511, "Model no."},
      {2512, "Series"},     {2513, "Name"},          {7511, "Width (cm)"},
      {7512, "Depth (cm)"}, {7513, "Height (cm)"},   {2517, "Count"}};
  QStringList header;
  for (const Column& column : kColumns) header << CaptionOr(column.caption, column.fallback);
  return header;
}

bool WriteProductList(const QByteArray& csv, const QString& file, QString* why) {
  return WriteWholeFile(file, csv, why);
}

bool ProductBar::ExportProductList(const QList<qint64>& placed, const QString& file, QString* why) {
  return WriteProductList(
      ProductListCsv(catalogue_, placed, ProductListHeader(), CsvStyleFor(OpenLanguageSuffix())),
      file, why);
}

void ProductBar::ShowProductList(QWidget* parent, std::function<QString()> askFile) {
  BridgeState& b = Bridge();
  vCallTessel(TC_ShowProductlist, 0, 0, 0);
  QStringList lines;
  QList<qint64> placed;
  for (int i = 0; i < kProductListCapacity && b.productListBuffer[i] > 0; ++i) {
    lines << ProductDescription(b.productListBuffer[i]) + " ";
    placed << b.productListBuffer[i];
  }
  // Only the products the engine counts can be looked up.
  ReadInfo();
  const qsizetype counted = std::min<qsizetype>(lines.size(), b.infoRecord.iCountDesignItems);
  QList<qint64> ids;
  for (qsizetype i = 0; i < counted; ++i) ids << b.productListBuffer[i];
  ProductListDialog list(lines, parent);
  list.OfferCatalogue(ids);
  if (askFile)
    list.OfferExport([this, &list, placed, askFile] {
      const QString file = askFile();
      if (file.isEmpty()) return;
      QString why;
      if (!ExportProductList(placed, file, &why))
        ShowMessage(CaptionOr(2522, "The product list could not be written:\n%1").arg(why),
                    CaptionOr(2521, "Export product list"), plat::MB_ICONWARNING);
      list.activateWindow();
    });
  RunModal(list);
  if (list.ChosenProduct() > 0) ShowCatalogue(list.ChosenProduct());
}

void ProductBar::ShowCatalogue(qint64 id) {
  if (!catalogueDialog_) return;
  if (id > 0) catalogueDialog_->vLocate(id);
  catalogueDialog_->ShowModal();
}

void ProductBar::PlaceCatalogueRecord(RecordSet& set) {
  BusyGuard busy(this);
  if (!busy) return;
  // The mounting window shows the small picture beside the plan picture.
  const QString plan = set.Field("Plangrafik").toString();
  const QString small = plan.isEmpty() ? QString() : PlanPath(SmallPictureName(plan));
  const QPixmap picture =
      !small.isEmpty() && QFileInfo(small).isFile() ? QPixmap(small) : QPixmap();
  PlaceRecord(set, picture, set.Field("BezeichnungL").toString());
}

}  // namespace tessel
