#include "print/print_setup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "language/language.h"
#include "platform/window.h"
#include "print/print.h"
#include "shell/forms.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

constexpr int kSetupCaption = 5925;
constexpr int kBelowMinimumText = 5940;
constexpr int kTooLargeText = 5941;
constexpr int kFreeAreasText = 7680;
// Space between the scales and the box, which is about what is drawn, not the scale.
constexpr int kOptionGap = 8;

void Tell(int textId, const QString& number) {
  ShowMessage(GetHelp(textId) + number, GetCaption(textId), plat::MB_OK);
}

}  // namespace

PrintSetupDialog::PrintSetupDialog(int minimum, QWidget* parent, bool freeAreas)
    : QDialog(parent), minimum_(minimum), scale_(minimum) {
  setWindowTitle(CaptionOr(kSetupCaption, "Print scale"));
  setModal(true);
  auto* grid = new QGridLayout(this);
  optSize[0] = new QRadioButton("1:", this);
  txtSize = new QLineEdit(QString::number(minimum), this);
  grid->addWidget(optSize[0], 0, 0);
  grid->addWidget(txtSize, 0, 1);
  for (int i = 1; i < 4; ++i) {
    const int fixed = kFixedPrintScales[i - 1];
    optSize[i] = new QRadioButton(QString("1:%1").arg(fixed), this);
    optSize[i]->setEnabled(PrintScaleOffered(fixed, minimum));
    grid->addWidget(optSize[i], i, 0, 1, 2);
    connect(optSize[i], &QRadioButton::toggled, this,
            [this](bool on) { txtSize->setEnabled(!on || optSize[0]->isChecked()); });
  }
  optSize[0]->setChecked(true);
  connect(optSize[0], &QRadioButton::toggled, txtSize, &QLineEdit::setEnabled);
  chkFreeAreas = new QCheckBox(CaptionOr(kFreeAreasText, "Show &free areas"), this);
  chkFreeAreas->setObjectName("chkFreeAreas");
  chkFreeAreas->setToolTip(GetHelp(kFreeAreasText));
  chkFreeAreas->setChecked(freeAreas);
  grid->setRowMinimumHeight(4, kOptionGap);
  grid->addWidget(chkFreeAreas, 5, 0, 1, 2);
  cmdOK = new QPushButton(CaptionOr(2800, "&OK"), this);
  cmdOK->setDefault(true);
  grid->addWidget(cmdOK, 6, 0, 1, 2);
  connect(cmdOK, &QPushButton::clicked, this, &PrintSetupDialog::Accept);
  CenterForm(this);
}

bool PrintSetupDialog::FreeAreas() const {
  return chkFreeAreas->isChecked();
}

void PrintSetupDialog::Accept() {
  for (int i = 1; i < 4; ++i) {
    if (optSize[i]->isChecked()) {
      scale_ = kFixedPrintScales[i - 1];
      accept();
      return;
    }
  }
  int value = 0;
  switch (CheckPrintScale(txtSize->text(), minimum_, &value)) {
    case ScaleCheck::BelowMinimum:
      Tell(kBelowMinimumText, QString::number(minimum_));
      txtSize->setText(QString::number(value));
      return;
    case ScaleCheck::TooLarge:
      Tell(kTooLargeText, QString::number(kMaxPrintScale));
      txtSize->setText(QString::number(value));
      return;
    case ScaleCheck::Accepted:
      scale_ = value;
      accept();
      return;
  }
}

}  // namespace tessel
