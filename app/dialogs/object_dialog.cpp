#include <QButtonGroup>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>

#include "dialogs/dialogs_p.h"
#include "language/language.h"
#include "shell/forms.h"

namespace tessel {

namespace {

constexpr int kTwipsPerPixel = 15;

}  // namespace

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

void ObjectDialog::SetFormWidth(int pixels) {
  setFixedSize(pixels, height());
  info_->setGeometry(12, 10, pixels - 24, 18);
  const int middle = pixels / 2;
  ok_->move(middle - 6 - kButtonWidth, ok_->y());
  cancel_->move(middle + 6, cancel_->y());
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
  RunModal(*this);
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

}  // namespace tessel
