// The plan check's window (Project > Check plan): the findings of the current plan in
// the language of the texts, for a private, barrier-free or wheelchair user's bathroom;
// clicking a finding selects its product in the work window. The setting chosen here
// is the program's one: the window says when the user changes it.
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
  // `readPlan` gives the plan as it stands; `select` selects the plan object behind a
  // tag (ProductTags: a layout list position, or a design list position plus
  // kDesignTagBase), in the work mode whose list holds it; the window starts with
  // `setting`.
  PlanCheckWindow(QWidget* parent, std::function<bool(PlanText*)> readPlan,
                  CheckCatalogue catalogue, std::function<void(int)> select,
                  FreeAreaSetting setting = FreeAreaSetting::kPrivate);

  // Checks the plan again and lists what it finds.
  void Refresh();
  QListWidget* Findings() const { return list_; }
  QComboBox* Setting() const { return setting_; }

 signals:
  // The user chose another setting in the window.
  void SettingChosen(FreeAreaSetting setting);

 private:
  // A row that names no product of the plan.
  static constexpr int kNoProduct = -1;
  std::function<bool(PlanText*)> readPlan_;
  CheckCatalogue catalogue_;
  std::function<void(int)> select_;
  QComboBox* setting_ = nullptr;
  QListWidget* list_ = nullptr;
  QList<int> tags_;  // the product of each row by its tag; kNoProduct for none
};

}  // namespace tessel
