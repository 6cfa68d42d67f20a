// The product bar in the main window's SelectorFrame: series and group drop-downs, a
// row of up to 16 product pictures with a scroll button at each end, and what a click
// on a picture starts (placing the product). It also owns the open catalogue, which
// names products wherever the program lists them, and the windows that ask how a
// product is mounted.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "catalogue/catalogue.h"
#include "catalogue/product_row.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace tessel {

class CatalogueDialog;
class ProductMountDialog;
class ProductRotationDialog;

// The series and group drop-downs that the bar and the catalogue window both carry.
// Refills the group list after a series change (entry 0 is `allEntry`); the group chosen
// before stays chosen when the new list offers it.
void ReplaceGroups(QComboBox* groups, const QStringList& names, const QString& allEntry);
// What the two drop-downs choose: entry 0 of either means all.
ProductFilter FilterOf(const QComboBox* series, const QComboBox* groups);
// Runs `query` with both drop-downs disabled, so that no choice is made while it reads,
// and gives the keyboard back to the one that had it.
void QueryWithDropDownsHeld(QComboBox* series, QComboBox* groups,
                            const std::function<void()>& query);

// The header row of the list for ordering, in the open language.
QStringList ProductListHeader();
// Writes a product list file beside `file` and renames it into place.
bool WriteProductList(const QByteArray& csv, const QString& file, QString* why);

class ProductBar : public QWidget {
  Q_OBJECT
 public:
  // `status` writes the main window's message line.
  ProductBar(QWidget* frame, std::function<void(const QString&)> status);
  ~ProductBar() override;

  // Opens the catalogue and fills the drop-downs and the row. A catalogue whose
  // product tables are missing leaves the bar empty; the caller says so.
  CatalogueState OpenCatalogue(const QString& file, const QString& suffix, QString* why);
  Catalogue& Products() { return catalogue_; }

  // Fits the buttons to the width and restarts the row at the first product.
  void LayoutProductbar();
  void FillProductbar();
  // One product forward (back false) or back.
  void ScrollProductbar(bool back);
  // After a drop-down change: new group list when the series changed, new products.
  void vPBQuery();
  // A click on picture button `index`: places its product.
  void PlaceProductFromBar(int index);
  // The properties of the selected object when it is a product; false when the
  // selection is not a product, so that other kinds go to their own dialogs.
  bool EditSelectedProduct();
  // The placed products, in the list window; its button opens the catalogue window on
  // the chosen one, and its export button writes the list for ordering to the file
  // `askFile` names (nothing when it names none).
  void ShowProductList(QWidget* parent, std::function<QString()> askFile = {});
  // Writes the list for ordering of the placed products to `file`; false, with the
  // reason, when it cannot be written.
  bool ExportProductList(const QList<qint64>& placed, const QString& file, QString* why);
  // The catalogue window, where it was left or (id > 0) on that product.
  void ShowCatalogue(qint64 id = 0);
  // Places the current record of the catalogue window's list.
  void PlaceCatalogueRecord(RecordSet& set);
  // Whether the planner lays out the room; the catalogue window places nothing then.
  void SetLayoutModeQuery(std::function<bool()> layoutMode) { layoutMode_ = std::move(layoutMode); }
  CatalogueDialog* CatalogueWindow() const { return catalogueDialog_.get(); }
  // The status line and sizes for the product selected in the plan; 0 clears them.
  void ShowSelectedProduct(qint64 id);

  QString ProductDescription(qint64 id) { return catalogue_.ProductDescription(id); }
  // The folder of the open catalogue's plan pictures.
  const QString& PicturesFolder() const { return images_; }
  // The product the bar hung at the pointer last (number, mount code, angle), until it
  // is dropped or given up; number 0 for none.
  struct HungProduct {
    qint64 id = 0;
    int mount = 0, angle = 0;
  };
  const HungProduct& Hung() const { return hung_; }
  void ForgetHung() { hung_ = {}; }
  void ShowProductDimensions(qint64 id);

  QComboBox* Series() const { return ddSeries_; }
  QComboBox* Groups() const { return ddProducts_; }
  QToolButton* Button(int i) const { return buttons_[static_cast<std::size_t>(i)]; }
  QToolButton* LeftScroll() const { return left_; }
  QToolButton* RightScroll() const { return right_; }
  int ButtonCount() const { return row_.Count(); }
  int SelectedButton() const { return iSelButton_; }
  qint64 ButtonProduct(int i) const { return row_.Slot(i).id; }
  bool Busy() const { return bFillingPB_; }
  ProductMountDialog* MountDialog();
  ProductRotationDialog* RotationDialog();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Sets the busy flag for one procedure and clears it on every way out; false when the
  // bar was busy already, and the procedure must not run.
  class BusyGuard;

  void ShowRow();
  void DeselectProductButton();
  void HighlightProductButton(int index);
  void Hover(int index);
  void DropDownChanged();
  // Mount, rotation and hints for the current record of `set`, then PutProduct.
  void PlaceRecord(RecordSet& set, const QPixmap& picture, const QString& name);
  void PutProduct(qint64 id, std::int16_t mount, std::int16_t angle, const QString& path,
                  int height);
  QString PlanPath(const QString& plan) const;
  QLabel* StatusLabel(const char* name) const;

  std::function<void(const QString&)> status_;
  Catalogue catalogue_;
  HungProduct hung_;
  ProductRow row_;
  QString images_;
  QComboBox* ddSeries_ = nullptr;
  QComboBox* ddProducts_ = nullptr;
  QToolButton* left_ = nullptr;
  QToolButton* right_ = nullptr;
  std::array<QToolButton*, kMaxProductButtons> buttons_{};
  std::unique_ptr<ProductMountDialog> mountDialog_;
  std::unique_ptr<ProductRotationDialog> rotationDialog_;
  std::unique_ptr<CatalogueDialog> catalogueDialog_;
  std::function<bool()> layoutMode_;
  bool bFillingPB_ = false;
  int iSelButton_ = kNoSelectedButton;
  int iLastSeries_ = -1;
};

}  // namespace tessel
