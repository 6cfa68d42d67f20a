// The plan check's window (Project > Check plan): the findings of the current plan in
// the language of the texts, for a private, barrier-free or wheelchair user's bathroom;
// clicking a finding selects its product in the work window.
#pragma once

#include <QDialog>
#include <functional>

#include "check/plan_check.h"

class QComboBox;
class QListWidget;

namespace tessel {

class PlanCheckWindow : public QDialog {
  Q_OBJECT
 public:
  // `readPlan` gives the plan as it stands; `select` selects the product standing at a
  // point in room coordinates (the engine's cursor: from the room's top left corner).
  PlanCheckWindow(QWidget* parent, std::function<bool(PlanText*)> readPlan,
                  CheckCatalogue catalogue, std::function<void(QPointF)> select);

  // Checks the plan again and lists what it finds.
  void Refresh();
  QListWidget* Findings() const { return list_; }
  QComboBox* Setting() const { return setting_; }

 private:
  std::function<bool(PlanText*)> readPlan_;
  CheckCatalogue catalogue_;
  std::function<void(QPointF)> select_;
  QComboBox* setting_ = nullptr;
  QListWidget* list_ = nullptr;
  QList<QPointF> centres_;  // the product of each row, where it stands; x < 0 for none
};

}  // namespace tessel
