#include "check/check_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "language/language.h"

namespace tessel {

namespace {

enum WindowText {
  kTextNoFindings = 7610,
  kTextTitle = 7612,
  kTextPrivate = 7613,
  kTextBarrierFree = 7614,
  kTextWheelchair = 7615,
  kTextCheckAgain = 7616,
  kTextClose = 7617,
};
// Wide enough for a finding's line with a long product name.
constexpr int kListWidth = 640, kListHeight = 260;

}  // namespace

PlanCheckWindow::PlanCheckWindow(QWidget* parent, std::function<bool(PlanText*)> readPlan,
                                 CheckCatalogue catalogue, std::function<void(int)> select,
                                 FreeAreaSetting setting)
    : QDialog(parent),
      readPlan_(std::move(readPlan)),
      catalogue_(std::move(catalogue)),
      select_(std::move(select)) {
  setObjectName("frmCheck");
  setWindowTitle(CaptionOr(kTextTitle, "Plan check"));
  auto* layout = new QVBoxLayout(this);
  setting_ = new QComboBox(this);
  setting_->setObjectName("ddSetting");
  setting_->addItems({CaptionOr(kTextPrivate, "Private bathroom"),
                      CaptionOr(kTextBarrierFree, "Barrier-free"),
                      CaptionOr(kTextWheelchair, "Wheelchair user")});
  // The items stand in the order of the enumeration.
  setting_->setCurrentIndex(static_cast<int>(setting));
  layout->addWidget(setting_);
  list_ = new QListWidget(this);
  list_->setObjectName("lstFindings");
  list_->setMinimumSize(kListWidth, kListHeight);
  // A finding names two products and a measure: it wraps rather than scrolls.
  list_->setWordWrap(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(list_);
  auto* hint = new QLabel(GetHelp(kTextTitle), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* again =
      buttons->addButton(CaptionOr(kTextCheckAgain, "&Check again"), QDialogButtonBox::ActionRole);
  again->setObjectName("cmdCheck");
  QPushButton* close =
      buttons->addButton(CaptionOr(kTextClose, "&Close"), QDialogButtonBox::RejectRole);
  close->setObjectName("cmdClose");
  layout->addWidget(buttons);
  connect(again, &QPushButton::clicked, this, &PlanCheckWindow::Refresh);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(setting_, &QComboBox::currentIndexChanged, this, [this](int index) {
    Refresh();
    emit SettingChosen(static_cast<FreeAreaSetting>(index));
  });
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int row = list_->row(item);
    if (row >= 0 && row < tags_.size() && tags_[row] != kNoProduct && select_) select_(tags_[row]);
  });
  Refresh();
}

void PlanCheckWindow::Refresh() {
  list_->clear();
  tags_.clear();
  PlanText plan;
  if (!readPlan_ || !readPlan_(&plan)) return;
  const auto setting = static_cast<FreeAreaSetting>(setting_->currentIndex());
  // A finding names its product by its number among the plan's products; the engine
  // knows it by its tag.
  const QList<int> productTags = ProductTags(plan);
  for (const Finding& f : CheckPlan(plan, catalogue_, setting)) {
    list_->addItem(f.text);
    tags_ << (f.product >= 1 && f.product <= productTags.size() ? productTags[f.product - 1]
                                                                : kNoProduct);
  }
  if (list_->count() == 0) {
    list_->addItem(CaptionOr(kTextNoFindings, "No findings."));
    tags_ << kNoProduct;
  }
}

}  // namespace tessel
