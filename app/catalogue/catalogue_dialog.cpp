#include "catalogue/catalogue_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "catalogue/catalogue.h"
#include "catalogue/product_bar.h"
#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {

// The fields behind lblValue(0..7).
constexpr const char* kValueFields[kCatalogueValueCount] = {
    "Breite", "Tiefe", "Höhe", "ModellNr", "Serie", "BezeichnungL", "Plangrafik", "KatalogID"};
// The captions beside the first four values, from the text table in the chosen language
// (the status bar's size captions and the product list's model number), with the
// design texts where a table lacks them.
constexpr int kCaptionNumbers[kCatalogueCaptionCount] = {2204, 2205, 2206, 6010};
constexpr const char* kCaptionTexts[kCatalogueCaptionCount] = {"Breite", "Tiefe", "Höhe",
                                                               "Modellnummer"};
constexpr int kCatalogueTitleNumber = 1608;  // the menu item's caption, without its "&"
constexpr int kCancelNumber = 2801;
// The tooltips of the first, previous, next and last buttons, in this order.
constexpr int kFirstTip = 7310;
// Shorter names cannot be a picture file with its extension.
constexpr int kShortestPlanName = 5;
// The picture area holds the largest plan pictures of the catalogue.
constexpr int kPictureWidth = 420, kPictureHeight = 300;
constexpr int kDropDownWidth = 190;
constexpr int kDescriptionHeight = 90;

QString FieldText(const RecordSet& set, const char* field) {
  const QVariant v = set.Field(QString::fromUtf8(field));
  return v.isNull() ? QString() : v.toString();
}

}  // namespace

CatalogueRecordView ViewOfRecord(const RecordSet& set, const QString& images) {
  CatalogueRecordView view;
  if (set.Bof() || set.Eof()) return view;
  for (int i = 0; i < kCatalogueValueCount; ++i)
    view.values[static_cast<std::size_t>(i)] = FieldText(set, kValueFields[i]);
  view.description = FieldText(set, "TextL");
  view.heightCaptionShown = !view.values[kHeightValue].isEmpty();
  const QString plan = view.values[kPlanValue];
  if (plan.size() >= kShortestPlanName) view.planFile = QDir(images).filePath(plan);
  return view;
}

QPoint CentredIn(QSize frame, QSize image) {
  return {(frame.width() - image.width()) / 2, (frame.height() - image.height()) / 2};
}

CatalogueDialog::CatalogueDialog(Catalogue* catalogue, QString images,
                                 std::function<void(RecordSet&)> place,
                                 std::function<bool()> layoutMode, QWidget* parent)
    : QDialog(parent),
      catalogue_(catalogue),
      images_(std::move(images)),
      place_(std::move(place)),
      layoutMode_(std::move(layoutMode)) {
  setObjectName("frmKatalog");
  setWindowTitle(CaptionOr(kCatalogueTitleNumber, QString::fromUtf8("Katalog")).remove('&'));
  setModal(true);
  auto* column = new QVBoxLayout(this);

  auto* filters = new QHBoxLayout;
  ddSeries_ = new QComboBox(this);
  ddSeries_->setObjectName("ddSeries");
  ddProducts_ = new QComboBox(this);
  ddProducts_->setObjectName("ddProducts");
  for (QComboBox* box : {ddSeries_, ddProducts_}) {
    box->setMinimumWidth(kDropDownWidth);
    filters->addWidget(box);
    connect(box, &QComboBox::activated, this, [this] { DropDownChanged(); });
  }
  filters->addStretch(1);
  column->addLayout(filters);

  frame_ = new QLabel(this);
  frame_->setObjectName("picPlangrafik");
  frame_->setFixedSize(kPictureWidth, kPictureHeight);
  frame_->setFrameShape(QFrame::Box);
  image_ = new QLabel(frame_);
  image_->setObjectName("imgPlangrafik");
  column->addWidget(frame_, 0, Qt::AlignHCenter);

  auto* grid = new QGridLayout;
  for (int i = 0; i < kCatalogueValueCount; ++i) {
    auto* value = new QLabel(this);
    value->setObjectName(QString("lblValue%1").arg(i));
    values_[static_cast<std::size_t>(i)] = value;
  }
  for (int i = 0; i < kCatalogueCaptionCount; ++i) {
    auto* caption =
        new QLabel(CaptionOr(kCaptionNumbers[i], QString::fromUtf8(kCaptionTexts[i])), this);
    caption->setObjectName(QString("lblCaption%1").arg(i));
    captions_[static_cast<std::size_t>(i)] = caption;
    grid->addWidget(caption, i, 0);
    grid->addWidget(values_[static_cast<std::size_t>(i)], i, 1);
  }
  // Series, name, picture file and product number stand on their own, right of the sizes.
  for (int i = kCatalogueCaptionCount; i < kCatalogueValueCount; ++i)
    grid->addWidget(values_[static_cast<std::size_t>(i)], i - kCatalogueCaptionCount, 2);
  // The picture file's name only drives the picture, and the catalogue number only finds
  // the record: the user sees the product, its name standing out.
  values_[kPlanValue]->hide();
  values_[kIdValue]->hide();
  QFont name = values_[kNameValue]->font();
  name.setBold(true);
  values_[kNameValue]->setFont(name);
  grid->setColumnStretch(2, 1);
  column->addLayout(grid);

  description_ = new QPlainTextEdit(this);
  description_->setObjectName("txtBezeichnung");
  // The description is the catalogue's, not the user's.
  description_->setReadOnly(true);
  description_->setFixedHeight(kDescriptionHeight);
  column->addWidget(description_);

  auto* row = new QHBoxLayout;
  // First and last jump to the ends, as in a media player; previous and next step.
  auto navigation = [this, row](const char* name, QStyle::StandardPixmap picture, int tip,
                                const char* fallback, void (CatalogueDialog::*move)()) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(picture));
    b->setToolTip(CaptionOr(tip, fallback));
    connect(b, &QToolButton::clicked, this, move);
    row->addWidget(b);
  };
  navigation("cmdFirst", QStyle::SP_MediaSkipBackward, kFirstTip, "First product",
             &CatalogueDialog::MoveFirst);
  navigation("cmdPrevious", QStyle::SP_ArrowLeft, kFirstTip + 1, "Previous product",
             &CatalogueDialog::MovePrevious);
  navigation("cmdNext", QStyle::SP_ArrowRight, kFirstTip + 2, "Next product",
             &CatalogueDialog::MoveNext);
  navigation("cmdLast", QStyle::SP_MediaSkipForward, kFirstTip + 3, "Last product",
             &CatalogueDialog::MoveLast);
  row->addStretch(1);
  auto* ok = new QPushButton(CaptionOr(2800, "&OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(CaptionOr(kCancelNumber, QString::fromUtf8("&Abbruch")), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, &CatalogueDialog::OK);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  row->addWidget(ok);
  row->addWidget(cancel);
  column->addLayout(row);

  ddSeries_->addItem(CaptionOr(5320, QString::fromUtf8("<Alle Serien>")));
  ddSeries_->addItems(catalogue_->SeriesNames());
  ddProducts_->addItem(CaptionOr(5330, QString::fromUtf8("<Alle Produkte>")));
  ddProducts_->addItems(catalogue_->GroupNames());
  ddSeries_->setCurrentIndex(0);
  ddProducts_->setCurrentIndex(0);
  // The start list of the catalogue has no long descriptions; the dialog's own
  // statement over all products has.
  catalogue_->RequeryDialog(ProductFilter{});
  ShowRecord();
}

RecordSet& CatalogueDialog::Records() {
  return catalogue_->DialogProducts();
}

void CatalogueDialog::DropDownChanged() {
  if (busy_) return;
  QueryWithDropDownsHeld(ddSeries_, ddProducts_, [this] { vQuery(); });
}

void CatalogueDialog::vQuery() {
  if (busy_) return;
  busy_ = true;
  if (ddSeries_->currentIndex() != lastSeries_) {
    lastSeries_ = ddSeries_->currentIndex();
    QStringList groups;
    if (lastSeries_ > 0)
      catalogue_->GroupsOfSeries(ddSeries_->currentText(), &groups);
    else
      groups = catalogue_->GroupNames();
    ReplaceGroups(ddProducts_, groups, GetCaption(5330));
  }
  // A failed query leaves an empty list, which shows as empty fields.
  catalogue_->RequeryDialog(FilterOf(ddSeries_, ddProducts_));
  ShowRecord();
  busy_ = false;
}

void CatalogueDialog::vLocate(qint64 productID) {
  ddSeries_->setCurrentIndex(0);
  ddProducts_->setCurrentIndex(0);
  vQuery();
  Records().FindFirst("KatalogID=" + QString::number(productID));
  ShowRecord();
}

void CatalogueDialog::ShowModal() {
  RunModal(*this);
}

// The navigation stops at the ends instead of showing an empty record beyond them.
void CatalogueDialog::MoveFirst() {
  Records().MoveFirst();
  ShowRecord();
}

void CatalogueDialog::MovePrevious() {
  RecordSet& set = Records();
  set.MovePrevious();
  if (set.Bof()) set.MoveFirst();
  ShowRecord();
}

void CatalogueDialog::MoveNext() {
  RecordSet& set = Records();
  set.MoveNext();
  if (set.Eof()) set.MoveLast();
  ShowRecord();
}

void CatalogueDialog::MoveLast() {
  Records().MoveLast();
  ShowRecord();
}

void CatalogueDialog::ShowRecord() {
  const CatalogueRecordView view = ViewOfRecord(Records(), images_);
  for (int i = 0; i < kCatalogueValueCount; ++i)
    values_[static_cast<std::size_t>(i)]->setText(view.values[static_cast<std::size_t>(i)]);
  description_->setPlainText(view.description);
  captions_[kHeightValue]->setVisible(view.heightCaptionShown);
  // A missing or unreadable picture leaves the area empty; it is not reported here.
  const QPixmap picture = view.planFile.isEmpty() ? QPixmap() : QPixmap(view.planFile);
  image_->setPixmap(picture);
  image_->resize(picture.size());
  image_->move(CentredIn(frame_->size(), picture.size()));
}

void CatalogueDialog::OK() {
  hide();
  accept();
  if (layoutMode_ && layoutMode_()) return;
  RecordSet& set = Records();
  if (set.Bof() || set.Eof() || !place_) return;
  place_(set);
}

void CatalogueDialog::closeEvent(QCloseEvent* event) {
  // The close box only hides the window, which keeps its filters and record.
  event->ignore();
  reject();
}

}  // namespace tessel
