#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "dialogs/dialogs_p.h"
#include "language/language.h"
#include "shell/icons.h"

namespace tessel {

// ---- frmRectangle ----

RectangleDialog::RectangleDialog()
    : ObjectDialog("frmRectangle", Utf8(kOptionsCaption), kRectangleWidth) {
  setWindowIcon(ProgramIcon());
  const int row = 40;
  // The size captions stand right against their fields.
  AddLabel(0, Utf8(kLengthText), {8, row, 74, kRowHeight})
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddValue(0, "100", {84, row, kBoxWidth, kRowHeight}, [] { return kLength; });
  AddLabel(3, "cm", {133, row, 22, kRowHeight});
  separator_ = new QLabel("X", this);
  separator_->setObjectName("Label1");
  separator_->setAlignment(Qt::AlignCenter);
  separator_->setGeometry(155, row, 14, kRowHeight);
  AddLabel(1, Utf8(kRectangleLabel1), {170, row, 80, kRowHeight})
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddValue(1, "200", {252, row, kBoxWidth, kRowHeight}, [] { return kBreadth; });
  AddLabel(4, "cm", {301, row, 24, kRowHeight});

  dummy_ = new QFrame(this);
  dummy_->setObjectName("DummyButton1");
  dummy_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  dummy_->setGeometry(12, 72, kRectangleWidth - 24, 136);
  picRotate_ = NewIllustration(IllustrationKind::kRotatedRectangle, this);
  picRotate_->setObjectName("picRotate");
  picRotate_->setGeometry(dummy_->geometry().adjusted(2, 2, -2, -2));
  picSize_ = NewIllustration(IllustrationKind::kCornerLegs, this);
  picSize_->setObjectName("picSize");
  picSize_->setGeometry(picRotate_->geometry());

  option2_ = AddOption(this, "Option2", kFreePlacementText, {12, kValue3Top - 28, 250, kRowHeight});
  option1_ = AddOption(this, "Option1", kDistanceText, {12, kValue3Top, 258, kRowHeight});
  Exclusive(this, {option1_, option2_});
  option2_->setChecked(true);
  QLabel* rotation = AddLabel(2, Utf8(kRectangleLabel2), {12, kValue3Top, 148, kRowHeight});
  rotation->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddValue(3, "0", {0, kValue3Top, kBoxWidth, kRowHeight}, [] { return kRotation; });
  AddLabel(6, Utf8(kRectangleLabel6), {0, kValue3Top, 70, kRowHeight});
  SetValue3Left(2445);
  AddButtons(3756);
  SetFormHeight(4626);

  connect(option1_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    Value(3)->setEnabled(true);
    Value(3)->setFocus(Qt::OtherFocusReason);
  });
  connect(option2_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    Value(3)->setText("0");
    Value(3)->setEnabled(false);
  });

  InfoLabel()->setText(CaptionOr(kInfoNumber, kInfoText));
  Label(0)->setText(CaptionOr(kLengthNumber, kLengthText));
  Value(0)->setText("450");
  Label(1)->setText(CaptionOr(kWidthNumber, kRectangleLabel1));
  Value(1)->setText("200");
}

void RectangleDialog::ApplyTexts() {
  ObjectDialog::ApplyTexts();
  option2_->setText(CaptionOr(kFreePlacementNumber, Utf8(kFreePlacementText)));
  option1_->setText(CaptionOr(kDistanceNumber, Utf8(kDistanceText)));
}

void RectangleDialog::SetValue3Left(int twips) {
  const int left = TwipsToPixels(twips);
  Value(3)->move(left, Value(3)->y());
  Label(6)->move(left + kBoxWidth + 4, Label(6)->y());
}

void RectangleDialog::Confirm() {
  DialogResults& d = Dialog();
  d.cancelled = false;
  d.value1 = Number(0, kLength);
  d.value2 = Number(1, kBreadth);
  d.value3 = Number(3, kRotation);
  if (option2_->isVisibleTo(this) && option2_->isChecked()) d.value3 = kFreePlacement;
}

// ---- frmCircle ----

CircleDialog::CircleDialog() : ObjectDialog("frmCircle", Utf8(kOptionsCaption), kCircleWidth) {
  setWindowIcon(RectangleForm().windowIcon());
  AddLabel(0, CaptionOr(kDiameterNumber, Utf8("Durchmesser:")), {12, 40, 96, kRowHeight});
  AddValue(0, "100", {110, 40, kBoxWidth, kRowHeight}, [] { return kDiameter; });
  AddLabel(4, "cm", {160, 40, 30, kRowHeight});
  shape_ = NewIllustration(IllustrationKind::kCircle, this);
  shape_->setObjectName("Shape1");
  shape_->setGeometry(kCircleWidth / 2 - 40, 72, 80, 80);
  AddButtons(2490);
  SetFormHeight(3150);
  InfoLabel()->setText(CaptionOr(kInfoNumber, kInfoText));
}

void CircleDialog::ApplyTexts() {
  ObjectDialog::ApplyTexts();
  Label(0)->setText(CaptionOr(kDiameterNumber, Utf8("Durchmesser:")));
}

void CircleDialog::Confirm() {
  DialogResults& d = Dialog();
  d.cancelled = false;
  const std::int16_t diameter = Number(0, kDiameter);
  d.value1 = diameter;
  Value(0)->setText(QString::number(diameter));
}

// ---- frmRotate ----

RotateDialog::RotateDialog() : ObjectDialog("frmRotate", Utf8("Rotation eingeben"), kRotateWidth) {
  setWindowIcon(RectangleForm().windowIcon());
  InfoLabel()->hide();
  AddLabel(0, Utf8("Rotation:"), {12, 16, 70, kRowHeight});
  AddValue(0, QString(), {86, 16, kBoxWidth, kRowHeight}, [] { return kRotation; });
  AddLabel(1, Utf8("Grad"), {136, 16, 40, kRowHeight});
  AddButtons(840);
  SetFormHeight(1440);
}

void RotateDialog::ApplyTexts() {
  ObjectDialog::ApplyTexts();
  setWindowTitle(CaptionOr(kRotateCaptionNumber, Utf8("Rotation eingeben")));
  Label(0)->setText(CaptionOr(kRotationNumber, Utf8("Rotation:")));
  Label(1)->setText(CaptionOr(kDegreesNumber, Utf8("Grad")));
}

void RotateDialog::Confirm() {
  DialogResults& d = Dialog();
  d.cancelled = false;
  d.value1 = Number(0, kRotation);
}

}  // namespace tessel
