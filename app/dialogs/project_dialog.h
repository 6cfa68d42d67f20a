// "Project > Properties…": the project's title, customer, site address, room, planner
// and notes, as the plan file keeps them and the printed page shows them, and the
// heights and tile sizes the quantities are worked out from.
#pragma once

#include <QDialog>
#include <QList>

#include "shell/project_data.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessel {

class ProjectPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ProjectPropertiesDialog(const ProjectData& data, QWidget* parent = nullptr);
  // The data with the fields as they stand; keys the dialog does not show are kept.
  ProjectData Data() const;

  QLineEdit* txtTitle = nullptr;
  QLineEdit* txtCustomer = nullptr;
  QLineEdit* txtSite = nullptr;
  QLineEdit* txtRoom = nullptr;
  QLineEdit* txtPlanner = nullptr;
  QPlainTextEdit* txtNotes = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  ProjectData data_;
  // The fields of what the quantities are worked out from, in their table's order.
  QList<QLineEdit*> measureFields_;
};

}  // namespace tessel
