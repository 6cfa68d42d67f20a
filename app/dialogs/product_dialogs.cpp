#include "dialogs/product_dialogs.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {

constexpr std::int16_t kMaxAngle = 359;
constexpr int kFirstSide = 1, kLastSide = 4;
// The picture area of both dialogs: the largest small picture with a margin.
constexpr int kMountPicture = 140;
constexpr int kRotationPictureWidth = 329, kRotationPictureHeight = 197;
constexpr int kListWidth = 460, kListHeight = 260;

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  return b;
}

QHBoxLayout* OkCancel(QDialog* dialog, QPushButton** okButton = nullptr) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* ok = Button("cmdOK", CaptionOr(2800, "&OK"), dialog);
  if (okButton) *okButton = ok;
  ok->setDefault(true);
  QPushButton* cancel = Button("cmdCancel", CaptionOr(2801, QString::fromUtf8("A&bbruch")), dialog);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

}  // namespace

std::int16_t ProductRotation(const QString& text) {
  return CheckNumber(text, 0, kMaxAngle);
}

ProductMountDialog::ProductMountDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProductMount");
  setWindowTitle(CaptionOr(2530, QString::fromUtf8("Montageseite")));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  picture_ = new QLabel(this);
  picture_->setObjectName("PSImage");
  picture_->setFixedSize(kMountPicture, kMountPicture);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setFrameShape(QFrame::Box);
  for (int i = 0; i < 4; ++i) {
    auto* side = new QRadioButton(this);
    side->setObjectName(QString("optMount%1").arg(i));
    sides_[static_cast<std::size_t>(i)] = side;
    connect(side, &QRadioButton::clicked, this,
            [this, i] { mount_ = static_cast<std::int16_t>(i + 1); });
  }
  grid->addWidget(sides_[0], 0, 1, Qt::AlignHCenter);
  grid->addWidget(sides_[3], 1, 0, Qt::AlignVCenter);
  grid->addWidget(picture_, 1, 1);
  grid->addWidget(sides_[1], 1, 2, Qt::AlignVCenter);
  grid->addWidget(sides_[2], 2, 1, Qt::AlignHCenter);
  sides_[0]->setChecked(true);
  column->addLayout(grid);
  column->addLayout(OkCancel(this, &ok_));
}

void ProductMountDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred once its layout has given it its size; afterwards it stays where the user
  // put it.
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
}

bool ProductMountDialog::Ask(const QPixmap& picture, std::int16_t* mount, StartSide start) {
  picture_->setPixmap(picture);
  if (start == StartSide::kGiven && *mount >= kFirstSide && *mount <= kLastSide) {
    mount_ = *mount;
    sides_[static_cast<std::size_t>(mount_ - kFirstSide)]->setChecked(true);
  }
  // A button that had the focus when the window last closed (Cancel) would be the
  // default again: the focus goes to the chosen side and OK is the default.
  ok_->setDefault(true);
  sides_[static_cast<std::size_t>(std::clamp<std::int16_t>(mount_, kFirstSide, kLastSide) -
                                  kFirstSide)]
      ->setFocus(Qt::OtherFocusReason);
  if (RunModal(*this) != QDialog::Accepted) return false;
  *mount = std::clamp<std::int16_t>(mount_, kFirstSide, kLastSide);
  return true;
}

ProductRotationDialog::ProductRotationDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProdukt");
  setWindowTitle(CaptionOr(2531, QString::fromUtf8("Produkt platzieren")));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  picture_ = new QLabel(this);
  picture_->setObjectName("picProduct");
  // The picture stays in the middle of its area whatever its size.
  picture_->setFixedSize(kRotationPictureWidth, kRotationPictureHeight);
  picture_->setAlignment(Qt::AlignCenter);
  name_ = new QLabel(this);
  name_->setObjectName("lblName");
  column->addWidget(picture_);
  column->addWidget(name_);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(CaptionOr(2532, "Rotation:"), this);
  label->setObjectName("Label1");
  value_ = new QLineEdit("0", this);
  value_->setObjectName("Value");
  value_->installEventFilter(this);
  label->setBuddy(value_);
  row->addWidget(label);
  row->addWidget(value_);
  row->addStretch(1);
  column->addLayout(row);
  column->addLayout(OkCancel(this));
}

void ProductRotationDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
}

bool ProductRotationDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == value_) {
    // The whole text is selected on entry, so typing replaces it; on leaving, the box
    // shows the angle that will be used.
    if (event->type() == QEvent::FocusIn)
      QTimer::singleShot(0, value_, [this] { value_->selectAll(); });
    else if (event->type() == QEvent::FocusOut)
      value_->setText(QString::number(ProductRotation(value_->text())));
  }
  return QDialog::eventFilter(watched, event);
}

bool ProductRotationDialog::Ask(const QPixmap& picture, const QString& name, std::int16_t* angle) {
  // A long product (a bathtub) is shown whole, made smaller to fit the picture area.
  const QSize area = picture_->size();
  picture_->setPixmap(picture.width() > area.width() || picture.height() > area.height()
                          ? picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                          : picture);
  name_->setText(name);
  value_->setFocus();
  if (RunModal(*this) != QDialog::Accepted) return false;
  *angle = ProductRotation(value_->text());
  value_->setText(QString::number(*angle));
  return true;
}

ProductListDialog::ProductListDialog(const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setObjectName("frmList");
  setWindowTitle(CaptionOr(2500, QString::fromUtf8("Liste der platzierten Produkte")));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("lstProducts");
  list_->addItems(lines);
  list_->setMinimumSize(kListWidth, kListHeight);
  column->addWidget(list_);
  auto* row = new QHBoxLayout;
  catalogue_ = Button(
      "Command1", CaptionOr(2501, QString::fromUtf8("Ausgewähltes Produkt im Katalog anzeigen …")),
      this);
  // Without product numbers there is nothing to look up.
  catalogue_->setEnabled(false);
  connect(catalogue_, &QPushButton::clicked, this, &ProductListDialog::ChooseForCatalogue);
  export_ = Button("cmdExport", CaptionOr(2502, QString::fromUtf8("&Exportieren\u2026")), this);
  export_->setEnabled(false);
  connect(export_, &QPushButton::clicked, this, [this] {
    if (exporter_) exporter_();
  });
  QPushButton* ok = Button("cmdOK", CaptionOr(2800, "&OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  row->addWidget(catalogue_);
  row->addWidget(export_);
  row->addStretch(1);
  row->addWidget(ok);
  column->addLayout(row);
}

void ProductListDialog::OfferCatalogue(const QList<qint64>& ids) {
  ids_ = ids;
  catalogue_->setEnabled(true);
}

void ProductListDialog::OfferExport(std::function<void()> exporter) {
  exporter_ = std::move(exporter);
  export_->setEnabled(static_cast<bool>(exporter_));
}

void ProductListDialog::ChooseForCatalogue() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  // Without a selection the button does nothing.
  if (selected.isEmpty()) return;
  const int row = list_->row(selected.first());
  if (row < 0 || row >= ids_.size()) return;
  chosen_ = ids_[row];
  accept();
}

}  // namespace tessel
