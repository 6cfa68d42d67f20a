// The windows of product placement: the mounting side (frmProductMount), the typed
// rotation (frmProdukt) and the list of placed products (frmList). Like the tool
// dialogs they only collect values; the product bar hands them to the engine.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tessel {

// The wall side of a product: the four option buttons around its picture (above,
// right, below, left give mount codes 1 to 4). Hidden, not destroyed, after OK or
// Cancel, so the side chosen last is offered for the next product. OK is the default
// button at every showing, so Return places the product however the last one ended.
class ProductMountDialog : public QDialog {
  Q_OBJECT
 public:
  // Which side the window shows when it opens: the one chosen last (a new product), or
  // the one handed in (a placed product being edited).
  enum class StartSide { kLastChosen, kGiven };

  explicit ProductMountDialog(QWidget* parent = nullptr);
  // Shows the picture and asks; true and the side (1-4) on OK.
  bool Ask(const QPixmap& picture, std::int16_t* mount, StartSide start = StartSide::kLastChosen);
  QRadioButton* Side(int index) const { return sides_[static_cast<std::size_t>(index)]; }
  QLabel* Picture() const { return picture_; }
  QPushButton* OkButton() const { return ok_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::array<QRadioButton*, 4> sides_{};
  QLabel* picture_ = nullptr;
  QPushButton* ok_ = nullptr;
  std::int16_t mount_ = 1;
  bool centred_ = false;
};

// The angle of a product the user turns himself, 0 to 359 degrees.
class ProductRotationDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ProductRotationDialog(QWidget* parent = nullptr);
  // True and the limited angle on OK.
  bool Ask(const QPixmap& picture, const QString& name, std::int16_t* angle);
  QLineEdit* Value() const { return value_; }
  QLabel* Picture() const { return picture_; }
  QLabel* Name() const { return name_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
  QLabel* picture_ = nullptr;
  QLabel* name_ = nullptr;
  QLineEdit* value_ = nullptr;
};

// The placed products, one description a line. The button that shows the chosen one in
// the catalogue is on once the products' numbers are offered; the export button once
// there is something to write the list with.
class ProductListDialog : public QDialog {
  Q_OBJECT
 public:
  ProductListDialog(const QStringList& lines, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }
  QPushButton* CatalogueButton() const { return catalogue_; }
  QPushButton* ExportButton() const { return export_; }
  // What the export button does: ask for a file and write the list there.
  void OfferExport(std::function<void()> exporter);
  // The product number of each line that can be shown in the catalogue.
  void OfferCatalogue(const QList<qint64>& ids);
  // The product to show in the catalogue after the window closed, 0 for none.
  qint64 ChosenProduct() const { return chosen_; }

 private:
  void ChooseForCatalogue();

  QList<qint64> ids_;
  qint64 chosen_ = 0;
  QListWidget* list_ = nullptr;
  QPushButton* catalogue_ = nullptr;
  QPushButton* export_ = nullptr;
  std::function<void()> exporter_;
};

// The angle a rotation box stands for: 0 to 359, 0 for an empty or foreign text.
std::int16_t ProductRotation(const QString& text);

}  // namespace tessel
