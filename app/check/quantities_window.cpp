#include "check/quantities_window.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "language/language.h"
#include "platform/window.h"
#include "shell/message_box.h"

namespace tessel {

namespace {

enum WindowText {
  kTextItem = 7626,
  kTextQuantity = 7627,
  kTextUnit = 7628,
  kTextTitle = 7632,
  kTextExport = 7633,
  kTextCannotWrite = 7634,
  kTextClose = 7617,
};
enum Column { kNameColumn, kValueColumn, kUnitColumn, kColumns };
constexpr int kTableWidth = 560, kTableHeight = 220;

}  // namespace

QuantitiesWindow::QuantitiesWindow(QWidget* parent, std::function<bool(PlanText*)> readPlan,
                                   std::function<QString()> askFile)
    : QDialog(parent), readPlan_(std::move(readPlan)), askFile_(std::move(askFile)) {
  setObjectName("frmQuantities");
  setWindowTitle(CaptionOr(kTextTitle, "Quantities"));
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName("tblQuantities");
  table_->setHorizontalHeaderLabels({CaptionOr(kTextItem, "Item"),
                                     CaptionOr(kTextQuantity, "Quantity"),
                                     CaptionOr(kTextUnit, "Unit")});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
  table_->setMinimumSize(kTableWidth, kTableHeight);
  layout->addWidget(table_);
  auto* hint = new QLabel(GetHelp(kTextTitle), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* exportButton =
      buttons->addButton(CaptionOr(kTextExport, "&Export..."), QDialogButtonBox::ActionRole);
  exportButton->setObjectName("cmdExport");
  QPushButton* close =
      buttons->addButton(CaptionOr(kTextClose, "&Close"), QDialogButtonBox::RejectRole);
  close->setObjectName("cmdClose");
  layout->addWidget(buttons);
  connect(exportButton, &QPushButton::clicked, this, &QuantitiesWindow::Export);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Refresh();
}

void QuantitiesWindow::Refresh() {
  PlanText plan;
  rows_.clear();
  if (readPlan_ && readPlan_(&plan)) {
    const QuantityInputs in = QuantityInputsOf(plan.project);
    rows_ = QuantityRows(ComputeQuantities(plan, in), in);
  }
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int i = 0; i < rows_.size(); ++i) {
    const QuantityRow& r = rows_[i];
    table_->setItem(i, kNameColumn, new QTableWidgetItem(r.name));
    auto* value = new QTableWidgetItem(r.value);
    value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(i, kValueColumn, value);
    table_->setItem(i, kUnitColumn, new QTableWidgetItem(r.unit));
  }
}

void QuantitiesWindow::Export() {
  if (!askFile_) return;
  QString name = askFile_();
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += ".csv";
  QString why;
  if (!WriteQuantities(QuantitiesCsv(rows_), name, &why))
    ShowMessage(CaptionOr(kTextCannotWrite, "The quantities could not be written:\n%1").arg(why),
                windowTitle(), plat::MB_ICONWARNING);
}

}  // namespace tessel
