// The quantities' window (Project > Quantities...): the plan's floor, skirting, wall
// and tile quantities with their units, and an export of them as CSV.
#pragma once

#include <QDialog>
#include <functional>

#include "check/quantities.h"

class QTableWidget;

namespace tessel {

class QuantitiesWindow : public QDialog {
  Q_OBJECT
 public:
  // `readPlan` gives the plan as it stands; `askFile` the name to export to (empty
  // when the user cancelled).
  QuantitiesWindow(QWidget* parent, std::function<bool(PlanText*)> readPlan,
                   std::function<QString()> askFile);

  void Refresh();
  // Asks for a file and writes the quantities to it; a failure is shown in a box.
  void Export();
  QTableWidget* Table() const { return table_; }

 private:
  std::function<bool(PlanText*)> readPlan_;
  std::function<QString()> askFile_;
  QTableWidget* table_ = nullptr;
  QList<QuantityRow> rows_;
};

}  // namespace tessel
