// The print scale dialog: a free scale in a box, or one of the fixed scales at which
// the plan still fits the page; scales below the smallest that fits are refused. A
// check box asks for the free areas on the printed plan.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel {

class PrintSetupDialog : public QDialog {
  Q_OBJECT
 public:
  // `minimum`: the smallest scale number at which the plan fits the page;
  // `freeAreas`: whether the free areas box starts ticked.
  explicit PrintSetupDialog(int minimum, QWidget* parent = nullptr, bool freeAreas = false);
  // The scale chosen with OK (the minimum until then).
  int Scale() const { return scale_; }
  bool FreeAreas() const;

  QRadioButton* optSize[4] = {};  // free, 1:20, 1:50, 1:75
  QLineEdit* txtSize = nullptr;
  QCheckBox* chkFreeAreas = nullptr;
  QPushButton* cmdOK = nullptr;

 private:
  void Accept();
  int minimum_;
  int scale_;
};

}  // namespace tessel
