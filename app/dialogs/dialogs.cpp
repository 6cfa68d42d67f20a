#include "dialogs/dialogs.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <numbers>

#include "language/language.h"
#include "shell/forms.h"
#include "shell/icons.h"
#include "shell/menu_items.h"

namespace tessel {

namespace {

constexpr int kTwipsPerPixel = 15;

// Lengths in centimetres and angles in degrees that the tools accept.
constexpr NumberRange kLength{10, 600};
constexpr NumberRange kBreadth{10, 400};
constexpr NumberRange kRotation{0, 359};
constexpr NumberRange kDiameter{1, 400};
constexpr NumberRange kDoorWidth{10, 600};
constexpr NumberRange kSwing{0, 180};
// The longest wall the worksheet holds; an opening and its distance share it.
constexpr NumberRange kDistance{0, 600};

// The forms' design texts, shown only where the text table has none. Their numbers
// in the text table:
enum Text {
  kInfoNumber = 1900,
  kLengthNumber = 1901,
  kWidthNumber = 1902,
  kCentimetreNumber = 1903,
  kRotationNumber = 1904,
  kDegreesNumber = 1905,
  kDiameterNumber = 1906,
  kThicknessNumber = 1907,
  kFirstLegNumber = 1908,
  kSecondLegNumber = 1909,
  kFreePlacementNumber = 1910,
  kDistanceNumber = 1911,
  kRotateCaptionNumber = 1912,
  kMountingNumber = 2002,
  kFirstMountNumber = 2003,  // the four mountings follow in order
  kOkNumber = 2800,
  kCancelNumber = 2801,
};
constexpr const char* kOptionsCaption = "Optionsfenster";
constexpr const char* kInfoText = "Wählen Sie die gewünschte Größe";
constexpr const char* kFreePlacementText = " frei plazierbar";
constexpr const char* kDistanceText = " Abstand zur nächsten Ecke:";
constexpr const char* kLengthText = "Länge:";
constexpr const char* kOkText = "&OK";
constexpr const char* kCancelText = "A&bbruch";
constexpr const char* kMountTexts[] = {" DIN links aussen", " DIN links innen",
                                       " DIN rechts aussen", " DIN rechts innen"};

// Design captions that the language tables replace when they have a text.
constexpr const char* kRectangleLabel1 = "Breite:";
constexpr const char* kRectangleLabel2 = "Rotation: ";
constexpr const char* kRectangleLabel6 = " Degrees";
constexpr const char* kDoorLabel0 = "Breite:";
constexpr const char* kDoorLabel1 = "Abstand vom Boden:";
constexpr const char* kDoorLabel5 = "cm";
constexpr const char* kDoorLabel7 = "Noch nix";

// Form widths in pixels; the heights come with each tool.
constexpr int kRectangleWidth = 360;
constexpr int kCircleWidth = 300;
constexpr int kRotateWidth = 260;
constexpr int kDoorWidthPixels = 360;

constexpr int kBoxWidth = 46;
constexpr int kRowHeight = 22;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kValue3Top = 216;

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

// The tooltip of the toolbox button that opened the form.
QString ToolCaption(int tool) {
  return CaptionOr(kToolCaptionBase + tool, kOptionsCaption);
}

// Line drawings that explain the numbers, drawn around the middle of the box so that
// a resize keeps them centred.
class Illustration : public QWidget {
 public:
  enum Kind { kRotatedRectangle, kCornerLegs, kCircle };
  Illustration(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QPointF c = QRectF(rect()).center();
    switch (kind_) {
      case kRotatedRectangle:
        DrawRotation(p, ink, c);
        break;
      case kCornerLegs:
        DrawCorner(p, ink, c);
        break;
      case kCircle:
        DrawCircle(p, ink, c);
        break;
    }
  }

 private:
  static void Arrowhead(QPainter& p, QPointF tip, double angleDegrees) {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    const double spread = 0.45, length = 7.0;
    const QPointF left(tip.x() - length * std::cos(a - spread),
                       tip.y() + length * std::sin(a - spread));
    const QPointF right(tip.x() - length * std::cos(a + spread),
                        tip.y() + length * std::sin(a + spread));
    p.drawLine(tip, left);
    p.drawLine(tip, right);
  }

  // A rectangle turned about its lower left corner, with the angle from the
  // unturned base line marked by an arc.
  static void DrawRotation(QPainter& p, const QColor& ink, QPointF c) {
    const QPointF pivot(c.x() - 70, c.y() + 40);
    const double angle = 25.0;
    QPen dashed(ink, 1.0, Qt::DashLine);
    p.setPen(dashed);
    p.setBrush(Qt::NoBrush);
    p.drawLine(pivot, QPointF(pivot.x() + 160, pivot.y()));
    p.drawRect(QRectF(pivot.x(), pivot.y() - 40, 120, 40));
    p.save();
    p.translate(pivot);
    p.rotate(-angle);
    p.setPen(QPen(ink, 2.0));
    p.drawRect(QRectF(0, -40, 120, 40));
    p.restore();
    p.setPen(QPen(ink, 1.0));
    const double radius = 140.0;
    p.drawArc(QRectF(pivot.x() - radius, pivot.y() - radius, 2 * radius, 2 * radius), 0,
              static_cast<int>(angle * 16));
    const double a = angle * std::numbers::pi / 180.0;
    Arrowhead(p, QPointF(pivot.x() + radius * std::cos(a), pivot.y() - radius * std::sin(a)),
              angle + 90);
  }

  // A room corner cut between a point on each wall; the two legs are measured along
  // the walls from the corner.
  static void DrawCorner(QPainter& p, const QColor& ink, QPointF c) {
    const QPointF corner(c.x() - 70, c.y() - 45);
    const double wall = 8.0, length = 150.0, leg = 60.0;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(corner.x() - wall, corner.y() - wall, length + wall, wall));
    p.drawRect(QRectF(corner.x() - wall, corner.y(), wall, length * 0.6));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 2.0));
    const QPointF onTop(corner.x() + leg, corner.y()), onSide(corner.x(), corner.y() + leg);
    p.drawLine(onTop, onSide);
    p.setPen(QPen(ink, 1.0));
    const double offset = -(wall + 8.0);  // outside the walls
    const QPointF a1(corner.x(), corner.y() + offset), a2(corner.x() + leg, corner.y() + offset);
    p.drawLine(a1, a2);
    Arrowhead(p, a1, 180);
    Arrowhead(p, a2, 0);
    const QPointF b1(corner.x() + offset, corner.y()), b2(corner.x() + offset, corner.y() + leg);
    p.drawLine(b1, b2);
    Arrowhead(p, b1, 90);
    Arrowhead(p, b2, -90);
  }

  // A circle with its diameter.
  static void DrawCircle(QPainter& p, const QColor& ink, QPointF c) {
    const double r = 30.0;
    p.setPen(QPen(ink, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(ink, 1.0));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    Arrowhead(p, QPointF(c.x() + r, c.y()), 0);
    Arrowhead(p, QPointF(c.x() - r, c.y()), 180);
  }

  Kind kind_;
};

QRadioButton* AddOption(QWidget* parent, const char* name, const char* text, const QRect& place) {
  auto* option = new QRadioButton(Utf8(text), parent);
  option->setObjectName(name);
  option->setGeometry(place);
  return option;
}

// Option buttons of one choice. Without a group, buttons of a form would also exclude
// those inside its frames.
void Exclusive(QWidget* form, std::initializer_list<QRadioButton*> options) {
  auto* group = new QButtonGroup(form);
  for (QRadioButton* option : options) group->addButton(option);
}

// The forms live as long as the application; they go before it does, while the
// windowing they belong to still exists.
QPointer<RectangleDialog> rectangleForm;
QPointer<CircleDialog> circleForm;
QPointer<RotateDialog> rotateForm;
QPointer<DoorDialog> doorForm;

void DeleteForms() {
  delete rectangleForm.data();
  delete circleForm.data();
  delete rotateForm.data();
  delete doorForm.data();
}

template <class Form>
Form& Instance(QPointer<Form>& slot) {
  static const bool registered = [] {
    qAddPostRoutine(&DeleteForms);
    return true;
  }();
  (void)registered;
  if (!slot) slot = new Form;
  return *slot;
}

}  // namespace

DialogResults& Dialog() {
  static DialogResults results;
  return results;
}

int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// ---- common ground ----

ObjectDialog::ObjectDialog(const char* name, const QString& caption, int width) {
  setObjectName(name);
  setWindowTitle(caption);
  setModal(true);
  setFixedWidth(width);
  info_ = new QLabel(Utf8(kInfoText), this);
  info_->setObjectName("lblInfo");
  info_->setAlignment(Qt::AlignCenter);
  info_->setGeometry(12, 10, width - 24, 18);
}

QLineEdit* ObjectDialog::AddValue(int index, const QString& text, const QRect& place,
                                  std::function<NumberRange()> range) {
  auto* box = new QLineEdit(text, this);
  box->setObjectName(QString("Value%1").arg(index));
  box->setGeometry(place);
  box->installEventFilter(this);
  const auto i = static_cast<std::size_t>(index);
  values_[i] = box;
  ranges_[i] = std::move(range);
  return box;
}

QLabel* ObjectDialog::AddLabel(int index, const QString& text, const QRect& place) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QString("Label%1").arg(index));
  label->setGeometry(place);
  labels_[static_cast<std::size_t>(index)] = label;
  return label;
}

void ObjectDialog::AddButtons(int topTwips) {
  ok_ = new QPushButton(Utf8(kOkText), this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  cancel_ = new QPushButton(Utf8(kCancelText), this);
  cancel_->setObjectName("cmdCancel");
  const int middle = width() / 2;
  ok_->setGeometry(middle - 6 - kButtonWidth, 0, kButtonWidth, kButtonHeight);
  cancel_->setGeometry(middle + 6, 0, kButtonWidth, kButtonHeight);
  SetButtonsTop(topTwips);
  connect(ok_, &QPushButton::clicked, this, [this] {
    Confirm();
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &ObjectDialog::reject);
}

QLineEdit* ObjectDialog::Value(int index) const {
  return index >= 0 && index < static_cast<int>(values_.size())
             ? values_[static_cast<std::size_t>(index)]
             : nullptr;
}

QLabel* ObjectDialog::Label(int index) const {
  return index >= 0 && index < static_cast<int>(labels_.size())
             ? labels_[static_cast<std::size_t>(index)]
             : nullptr;
}

std::int16_t ObjectDialog::Number(int index, NumberRange range) const {
  const QLineEdit* box = Value(index);
  return CheckNumber(box ? box->text() : QString(), range.minimum, range.maximum);
}

void ObjectDialog::Limit(std::size_t index) {
  const NumberRange range = ranges_[index]();
  values_[index]->setText(
      QString::number(CheckNumber(values_[index]->text(), range.minimum, range.maximum)));
}

void ObjectDialog::SetButtonsTop(int twips) {
  const int top = TwipsToPixels(twips);
  ok_->move(ok_->x(), top);
  cancel_->move(cancel_->x(), top);
}

void ObjectDialog::SetFormHeight(int twips) {
  setFixedSize(width(), TwipsToPixels(twips));
}

void ObjectDialog::ApplyTexts() {
  ok_->setText(CaptionOr(kOkNumber, Utf8(kOkText)));
  cancel_->setText(CaptionOr(kCancelNumber, Utf8(kCancelText)));
  if (info_->isVisibleTo(this)) info_->setText(CaptionOr(kInfoNumber, Utf8(kInfoText)));
}

bool ObjectDialog::Run(QWidget* parent) {
  Dialog().cancelled = true;
  ApplyTexts();
  // The form belongs to no window, so that it outlives any; the window manager is
  // only told to keep it above the one that opened it.
  if (parent) {
    winId();
    if (QWindow* own = windowHandle()) own->setTransientParent(parent->window()->windowHandle());
  }
  exec();
  // The form belongs to no window, so no window manager hands the keyboard back by
  // itself: the window that opened it takes it, and its shortcuts work at once.
  if (parent) parent->window()->activateWindow();
  return !Dialog().cancelled;
}

void ObjectDialog::reject() {
  Dialog().cancelled = true;
  QDialog::reject();
}

void ObjectDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    CenterForm(this);
    centred_ = true;
  }
  if (values_[0]) values_[0]->setFocus(Qt::OtherFocusReason);
}

bool ObjectDialog::eventFilter(QObject* watched, QEvent* event) {
  for (std::size_t i = 0; i < values_.size(); ++i) {
    QLineEdit* box = values_[i];
    if (!box || watched != box) continue;
    if (event->type() == QEvent::FocusIn) {
      box->selectAll();
      // A click places the cursor after the focus has arrived: select once it has.
      if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Another window coming to the front does not leave the field.
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Limit(i);
    }
    break;
  }
  return QDialog::eventFilter(watched, event);
}

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
  picRotate_ = new Illustration(Illustration::kRotatedRectangle, this);
  picRotate_->setObjectName("picRotate");
  picRotate_->setGeometry(dummy_->geometry().adjusted(2, 2, -2, -2));
  picSize_ = new Illustration(Illustration::kCornerLegs, this);
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
  shape_ = new Illustration(Illustration::kCircle, this);
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
        AddOption(mounting_, "", kMountTexts[i], {10 + 160 * column, 22 + 24 * line, 150, 20});
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
}

void DoorDialog::Confirm() {
  DialogResults& d = Dialog();
  d.cancelled = false;
  d.value1 = Number(0, kDoorWidth);
  d.value2 = Number(1, kSwing);
  d.value3 = place_[1]->isChecked() ? kFreePlacement : Number(2, kDistance);
  d.flags = mountingIndex_;
}

// ---- the one instance of each ----

RectangleDialog& RectangleForm() {
  return Instance(rectangleForm);
}
CircleDialog& CircleForm() {
  return Instance(circleForm);
}
RotateDialog& RotateForm() {
  return Instance(rotateForm);
}
DoorDialog& DoorForm() {
  return Instance(doorForm);
}

// ---- preparation per tool ----

namespace {

void PrepareRotatedShape(RectangleDialog& f, int tool) {
  const bool freeWall = tool == 4;
  f.Value(0)->setText(freeWall ? "116" : "80");
  f.Value(1)->setText(freeWall ? "15" : "80");
  f.Value(3)->setText("0");
  f.Value(3)->setVisible(true);
  f.Value(3)->setEnabled(true);
  f.Label(2)->setVisible(true);
  f.Label(6)->setVisible(true);
  f.Option1()->setVisible(false);
  f.Option2()->setVisible(false);
  // Each label names what its field holds: a wall has a thickness, a rectangle a width.
  f.Label(0)->setText(CaptionOr(kLengthNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(freeWall ? kThicknessNumber : kWidthNumber, kRectangleLabel1));
  f.Label(2)->setText(CaptionOr(kRotationNumber, kRectangleLabel2));
  f.Label(6)->setText(CaptionOr(kDegreesNumber, kRectangleLabel6));
  f.DummyButton1()->setVisible(true);
  f.SizePicture()->setVisible(false);
  f.RotatePicture()->setVisible(true);
  f.SetValue3Left(2445);
  f.SetButtonsTop(3756);
  f.SetFormHeight(4626);
}

void PrepareWallRectangle(RectangleDialog& f, bool wallRectExists) {
  f.Value(0)->setText("450");
  f.Value(1)->setText("200");
  if (wallRectExists) {
    f.Value(3)->setText("0");
    f.Value(3)->setVisible(true);
    f.Value(3)->setEnabled(false);
    f.Label(6)->setVisible(true);
    f.Label(6)->setText(CaptionOr(kCentimetreNumber, "cm"));
    f.Label(2)->setVisible(false);
    f.Option1()->setVisible(true);
    f.Option2()->setVisible(true);
    f.Option2()->setChecked(true);
    f.SetValue3Left(4125);
    f.SetButtonsTop(4005);
    f.SetFormHeight(4875);
  } else {
    f.Value(3)->setText("0");
    f.Value(3)->setVisible(false);
    f.Label(2)->setVisible(false);
    f.Label(6)->setVisible(false);
    f.Option1()->setVisible(false);
    f.Option2()->setVisible(false);
    f.SetButtonsTop(1185);
    f.SetFormHeight(2055);
  }
  f.Label(0)->setText(CaptionOr(kLengthNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(kWidthNumber, kRectangleLabel1));
  f.DummyButton1()->setVisible(false);
  f.SizePicture()->setVisible(false);
  f.RotatePicture()->setVisible(false);
}

void PrepareCorner(RectangleDialog& f) {
  f.Value(0)->setText("30");
  f.Value(1)->setText("30");
  f.Value(3)->setVisible(false);
  f.Label(2)->setVisible(false);
  f.Label(6)->setVisible(false);
  f.Option1()->setVisible(false);
  f.Option2()->setVisible(false);
  // The corner is cut between a point on each wall: the fields are the two legs.
  f.Label(0)->setText(CaptionOr(kFirstLegNumber, kLengthText));
  f.Label(1)->setText(CaptionOr(kSecondLegNumber, kRectangleLabel1));
  f.DummyButton1()->setVisible(true);
  f.SizePicture()->setVisible(true);
  f.RotatePicture()->setVisible(false);
  f.SetButtonsTop(3345);
  f.SetFormHeight(4215);
}

void PrepareOpening(DoorDialog& f, bool door) {
  f.Label(0)->setText(CaptionOr(door ? 2000 : 2100, kDoorLabel0));
  f.Value(0)->setText(door ? "80" : "60");
  f.Label(1)->setText(CaptionOr(door ? 2001 : 2101, kDoorLabel1));
  f.Label(5)->setText(CaptionOr(door ? 1905 : 1903, kDoorLabel5));
  if (!door) f.Label(7)->setText(CaptionOr(7000, kDoorLabel7));
  f.Value(1)->setText("90");
  for (int i = 0; i < 4; ++i) f.MountOption(i)->setVisible(door);
  f.Label(1)->setVisible(door);
  f.Value(1)->setVisible(door);
  f.Mounting()->setVisible(door);
  f.Label(5)->setVisible(door);
  f.Label(7)->setVisible(!door);
  f.PlaceOption(0)->setVisible(true);
  f.PlaceOption(1)->setVisible(true);
  f.PlaceOption(1)->setChecked(true);
  f.Value(2)->setText("0");
  f.Value(2)->setEnabled(false);
  f.SetButtonsTop(3705);
  f.SetFormHeight(4635);
}

}  // namespace

ObjectDialog* PrepareToolDialog(int tool, bool wallRectExists) {
  ObjectDialog* form = nullptr;
  switch (tool) {
    case 2:
    case 4: {
      RectangleDialog& f = RectangleForm();
      PrepareRotatedShape(f, tool);
      form = &f;
      break;
    }
    case 3: {
      CircleDialog& f = CircleForm();
      f.Value(0)->setText("80");
      form = &f;
      break;
    }
    case 5: {
      RectangleDialog& f = RectangleForm();
      PrepareWallRectangle(f, wallRectExists);
      form = &f;
      break;
    }
    case 6:
    case 7: {
      RectangleDialog& f = RectangleForm();
      PrepareCorner(f);
      form = &f;
      break;
    }
    case 8:
    case 9: {
      DoorDialog& f = DoorForm();
      PrepareOpening(f, tool == 8);
      form = &f;
      break;
    }
    default:
      return nullptr;
  }
  form->setWindowTitle(ToolCaption(tool));
  return form;
}

bool RunToolDialog(int tool, bool wallRectExists, QWidget* parent) {
  ObjectDialog* form = PrepareToolDialog(tool, wallRectExists);
  if (!form) {
    Dialog().cancelled = true;
    return false;
  }
  return form->Run(parent);
}

bool RunRotateDialog(QWidget* parent) {
  return RotateForm().Run(parent);
}

}  // namespace tessel
