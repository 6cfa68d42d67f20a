#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "dialogs/dialogs_p.h"
#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {

// The mounting options inside their frame: two columns, two lines.
constexpr int kMountLeft = 10, kMountTop = 22, kMountLine = 24, kMountHeight = 20;
constexpr int kMountColumnWidth = 150, kMountGap = 10;

}  // namespace

// ---- frmDoor ----

DoorDialog::DoorDialog() : ObjectDialog("frmDoor", Utf8(kOptionsCaption), kDoorWidthPixels) {
  setWindowIcon(RectangleForm().windowIcon());
  QLabel* width = AddLabel(0, Utf8(kDoorLabel0), {12, 40, 130, kRowHeight});
  width->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddValue(0, "100", {146, 40, kBoxWidth, kRowHeight}, [] { return kDoorWidth; });
  AddLabel(4, "cm", {196, 40, 40, kRowHeight});
  QLabel* second = AddLabel(1, Utf8(kDoorLabel1), {12, 68, 130, kRowHeight});
  second->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddValue(1, "200", {146, 68, kBoxWidth, kRowHeight}, [] { return kSwing; });
  AddLabel(5, Utf8(kDoorLabel5), {196, 68, 80, kRowHeight});
  // A unit label of the design that no field uses.
  AddLabel(6, Utf8("Degrees"), {280, 68, 60, kRowHeight})->hide();

  mounting_ = new QGroupBox(Utf8("Aufhängung"), this);
  mounting_->setObjectName("Mounting");
  mounting_->setGeometry(12, 96, kDoorWidthPixels - 24, 74);
  for (std::size_t i = 0; i < mount_.size(); ++i) {
    const int column = static_cast<int>(i / 2), line = static_cast<int>(i % 2);
    QRadioButton* option =
        AddOption(mounting_, "", kMountTexts[i],
                  {kMountLeft + (kMountColumnWidth + kMountGap) * column,
                   kMountTop + kMountLine * line, kMountColumnWidth, kMountHeight});
    option->setObjectName(QString("optMount%1").arg(i));
    mount_[i] = option;
    connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) mountingIndex_ = static_cast<std::int16_t>(i);
    });
  }
  Exclusive(this, {mount_[0], mount_[1], mount_[2], mount_[3]});
  mount_[0]->setChecked(true);

  QLabel* hint = AddLabel(7, Utf8(kDoorLabel7), {12, 70, kDoorWidthPixels - 24, 100});
  hint->setWordWrap(true);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  place_[1] = AddOption(this, "optPlace1", kFreePlacementText, {12, 178, 250, kRowHeight});
  place_[0] = AddOption(this, "optPlace0", kDistanceText, {12, 204, 208, kRowHeight});
  AddValue(2, "0", {224, 204, kBoxWidth, kRowHeight}, [this] {
    // The distance and the opening share one wall of at most 600 cm.
    const std::int16_t widthNow = CheckNumber(Value(0)->text(), 0, kDistance.maximum);
    return NumberRange{kDistance.minimum, static_cast<std::int16_t>(kDistance.maximum - widthNow)};
  });
  distanceUnit_ = new QLabel(CaptionOr(kCentimetreNumber, "cm"), this);
  distanceUnit_->setObjectName("lblDistanceUnit");
  distanceUnit_->setGeometry(274, 204, 40, kRowHeight);
  Exclusive(this, {place_[0], place_[1]});
  place_[1]->setChecked(true);
  Value(2)->setEnabled(false);
  connect(place_[1], &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    Value(2)->setText("0");
    Value(2)->setEnabled(false);
  });
  connect(place_[0], &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    Value(2)->setEnabled(true);
    Value(2)->setFocus(Qt::OtherFocusReason);
  });

  AddButtons(3705);
  SetFormHeight(4635);
}

QRadioButton* DoorDialog::MountOption(int index) const {
  return index >= 0 && index < 4 ? mount_[static_cast<std::size_t>(index)] : nullptr;
}

QRadioButton* DoorDialog::PlaceOption(int index) const {
  return index >= 0 && index < 2 ? place_[static_cast<std::size_t>(index)] : nullptr;
}

void DoorDialog::ApplyTexts() {
  ObjectDialog::ApplyTexts();
  mounting_->setTitle(CaptionOr(kMountingNumber, Utf8("Aufhängung")));
  for (std::size_t i = 0; i < mount_.size(); ++i)
    mount_[i]->setText(CaptionOr(kFirstMountNumber + static_cast<int>(i), Utf8(kMountTexts[i])));
  place_[1]->setText(CaptionOr(kFreePlacementNumber, Utf8(kFreePlacementText)));
  place_[0]->setText(CaptionOr(kDistanceNumber, Utf8(kDistanceText)));
  distanceUnit_->setText(CaptionOr(kCentimetreNumber, "cm"));
  FitCaptions();
}

// The captions of the chosen language, in the desktop's font, are shown whole: the
// mounting options stand in two columns as wide as the widest of them, the distance box
// behind its option, and the form grows to hold them (never below its design width).
void DoorDialog::FitCaptions() {
  int column = kMountColumnWidth;
  for (QRadioButton* option : mount_) column = std::max(column, option->sizeHint().width());
  for (std::size_t i = 0; i < mount_.size(); ++i) {
    const int c = static_cast<int>(i / 2), line = static_cast<int>(i % 2);
    mount_[i]->setGeometry(kMountLeft + (column + kMountGap) * c, kMountTop + kMountLine * line,
                           column, kMountHeight);
  }
  const int frameWidth = 2 * kMountLeft + 2 * column + kMountGap;
  for (QRadioButton* option : place_)
    option->resize(std::max(option->width(), option->sizeHint().width()), kRowHeight);
  const int boxLeft = place_[0]->x() + place_[0]->width() + 4;
  Value(2)->move(boxLeft, Value(2)->y());
  distanceUnit_->move(boxLeft + kBoxWidth + 4, distanceUnit_->y());
  const int formWidth =
      std::max({kDoorWidthPixels, frameWidth + 24, distanceUnit_->x() + distanceUnit_->width() + 12,
                place_[1]->x() + place_[1]->width() + 12});
  mounting_->resize(formWidth - 24, mounting_->height());
  Label(7)->resize(formWidth - 24, Label(7)->height());
  SetFormWidth(formWidth);
}

void DoorDialog::Confirm() {
  DialogResults& d = Dialog();
  d.cancelled = false;
  d.value1 = Number(0, kDoorWidth);
  d.value2 = Number(1, kSwing);
  d.value3 = place_[1]->isChecked() ? kFreePlacement : Number(2, kDistance);
  d.flags = mountingIndex_;
}

}  // namespace tessel
