#include "dialogs/position_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "language/language.h"
#include "platform/window.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

enum PositionText {
  kTextTitle = 7803,
  kTextFromLeft = 7804,
  kTextFromRight = 7805,
  kTextFromTop = 7806,
  kTextFromBottom = 7807,
  kTextCm = 7808,
  kTextHeld = 7809,
  kTextWholeNumber = 7814,
};
// Wider than the sheet's longer side in centimetres: no distance on the sheet is longer.
constexpr int kMostCm = 999;

}  // namespace

ProductPositionDialog::ProductPositionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmPosition");
  setWindowTitle(CaptionOr(kTextTitle, "Position of the product"));
  setModal(true);
  auto* column = new QVBoxLayout(this);
  auto* hint = new QLabel(GetHelp(kTextTitle), this);
  hint->setWordWrap(true);
  column->addWidget(hint);
  auto* grid = new QGridLayout;
  const QStringList names[2] = {{CaptionOr(kTextFromLeft, "from the left wall"),
                                 CaptionOr(kTextFromRight, "from the right wall")},
                                {CaptionOr(kTextFromTop, "from the top wall"),
                                 CaptionOr(kTextFromBottom, "from the bottom wall")}};
  for (int axis = 0; axis < 2; ++axis) {
    values_[axis] = new QLineEdit(this);
    values_[axis]->setObjectName(QString("Value%1").arg(axis));
    values_[axis]->setValidator(new QIntValidator(0, kMostCm, values_[axis]));
    sides_[axis] = new QComboBox(this);
    sides_[axis]->setObjectName(axis == 0 ? "ddAcross" : "ddUpDown");
    sides_[axis]->addItems(names[axis]);
    grid->addWidget(values_[axis], axis, 0);
    grid->addWidget(new QLabel(CaptionOr(kTextCm, "cm"), this), axis, 1);
    grid->addWidget(sides_[axis], axis, 2);
    connect(sides_[axis], &QComboBox::currentIndexChanged, this,
            [this, axis] { ShowDistance(axis); });
  }
  column->addLayout(grid);
  held_ = new QLabel(CaptionOr(kTextHeld, "The product stands against a wall; it slides along it."),
                     this);
  held_->setObjectName("lblHeld");
  held_->setWordWrap(true);
  column->addWidget(held_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton(CaptionOr(2800, "&OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(CaptionOr(2801, "&Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, &ProductPositionDialog::Confirm);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  row->addWidget(ok);
  row->addWidget(cancel);
  column->addLayout(row);
}

void ProductPositionDialog::ShowDistance(int axis) {
  const int side = axis + 2 * sides_[axis]->currentIndex();
  const int cm = stand_.WallCm(side);
  values_[axis]->setText(cm < 0 ? QString() : QString::number(cm));
}

bool ProductPositionDialog::Ask(const ProductStand& stand,
                                std::function<QString(const TypedPosition&)> refusal,
                                TypedPosition* typed) {
  stand_ = stand;
  refusal_ = std::move(refusal);
  const MoveAxis held[2] = {kAcrossAxis, kUpDownAxis};
  for (int axis = 0; axis < 2; ++axis) {
    // The side nearer to a wall is offered first: that is the wall one measures from.
    const int near = axis, far = axis + 2;
    const int a = stand.wallPixels[near], b = stand.wallPixels[far];
    const int index = a < 0 || (b >= 0 && b < a) ? 1 : 0;
    sides_[axis]->blockSignals(true);
    sides_[axis]->setCurrentIndex(index);
    sides_[axis]->blockSignals(false);
    ShowDistance(axis);
    const bool free = stand.held != held[axis];
    values_[axis]->setEnabled(free);
    sides_[axis]->setEnabled(free);
  }
  held_->setVisible(stand.held != kNoAxis);
  QLineEdit* first = values_[stand.held == kAcrossAxis ? 1 : 0];
  first->setFocus();
  first->selectAll();
  if (exec() != QDialog::Accepted) return false;
  *typed = typed_;
  return true;
}

void ProductPositionDialog::Confirm() {
  TypedPosition t;
  int* cms[2] = {&t.acrossCm, &t.upDownCm};
  for (int axis = 0; axis < 2; ++axis) {
    const WallSide side = static_cast<WallSide>(axis + 2 * sides_[axis]->currentIndex());
    (axis == 0 ? t.across : t.upDown) = side;
    if (!values_[axis]->isEnabled()) continue;
    bool ok = false;
    *cms[axis] = values_[axis]->text().trimmed().toInt(&ok);
    if (!ok || *cms[axis] < 0) {
      ShowMessage(
          CaptionOr(kTextWholeNumber, "Enter the distance as a whole number of centimetres."),
          windowTitle(), plat::MB_ICONWARNING);
      values_[axis]->setFocus();
      values_[axis]->selectAll();
      return;
    }
  }
  const QString why = refusal_ ? refusal_(t) : QString();
  if (!why.isEmpty()) {
    ShowMessage(why, windowTitle(), plat::MB_ICONWARNING);
    return;
  }
  typed_ = t;
  accept();
}

}  // namespace tessel
