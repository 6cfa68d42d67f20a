#include "shell/selection.h"

#include <QLabel>

#include "shell/engine_bridge.h"
#include "shell/main_window.h"

namespace tessel {

SelectionStatus DescribeSelection(int selectedProductId, const ProductLookup& lookup) {
  SelectionStatus s;
  if (selectedProductId < 1) return s;
  const std::optional<ProductFacts> facts =
      lookup ? lookup(selectedProductId) : std::optional<ProductFacts>{};
  if (!facts) {
    s.message = kUnknownProduct;
    return s;
  }
  s.message = facts->description;
  s.width = facts->width;
  s.depth = facts->depth;
  s.height = facts->height;
  return s;
}

void MainWindow::ShowSelection(const EngineInfo& info) {
  const SelectionStatus s = DescribeSelection(info.iSelProdId, productLookup_);
  SetStatusMessage(s.message);
  // Each size shows with its caption only when the catalogue gives it, so that an
  // empty box never claims a size of nothing.
  bool any = false;
  auto show = [&](QLabel* value, const char* caption, const QString& text) {
    value->setText(text);
    value->setVisible(!text.isEmpty());
    if (QLabel* label = sizeFrame_->findChild<QLabel*>(caption)) label->setVisible(!text.isEmpty());
    any = any || !text.isEmpty();
  };
  show(lblWidth_, "Label5", s.width);
  show(lblDepth_, "Label8", s.depth);
  show(lblHeight_, "Label7", s.height);
  sizeFrame_->setVisible(any);
}

}  // namespace tessel
