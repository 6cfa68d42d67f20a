// The catalogue window (frmKatalog): one offered product at a time with all its data,
// its long description and its plan picture at full size, filtered by series and group
// like the product bar, and placed in the plan with OK. It is created once with the
// catalogue and only ever hidden, so it keeps its filters and its record between uses.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <QString>
#include <array>
#include <functional>

#include "catalogue/record_set.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace tessel {

class Catalogue;

// The fields the value labels show, in label order.
constexpr int kCatalogueValueCount = 8;
constexpr int kHeightValue = 2;
constexpr int kNameValue = 5;
constexpr int kPlanValue = 6;
constexpr int kIdValue = 7;
// Captions stand beside the first four values only.
constexpr int kCatalogueCaptionCount = 4;

// What the window shows of the current record, worked out without widgets.
struct CatalogueRecordView {
  std::array<QString, kCatalogueValueCount> values;
  QString description;
  // The height caption goes with its value: no caption beside an empty height.
  bool heightCaptionShown = false;
  // Empty when the record names no usable picture; then the picture area stays empty.
  QString planFile;
};

// The current record of `set` (all empty at BOF or EOF); `images` is the folder of the
// plan pictures.
CatalogueRecordView ViewOfRecord(const RecordSet& set, const QString& images);

// Where an image of `image` size stands centred in a frame of `frame` size.
QPoint CentredIn(QSize frame, QSize image);

class CatalogueDialog : public QDialog {
  Q_OBJECT
 public:
  // `place` places the current record's product; `layoutMode` tells whether the planner
  // is laying out the room, where nothing is placed.
  CatalogueDialog(Catalogue* catalogue, QString images, std::function<void(RecordSet&)> place,
                  std::function<bool()> layoutMode, QWidget* parent = nullptr);

  // Both filters back to all, then the record of `productID`; an id that is not offered
  // leaves the first record shown.
  void vLocate(qint64 productID);
  // After a drop-down change: a new group list when the series changed, new products.
  void vQuery();
  // Shows the window modally where it stands.
  void ShowModal();

  void MoveFirst();
  void MovePrevious();
  void MoveNext();
  void MoveLast();

  QComboBox* Series() const { return ddSeries_; }
  QComboBox* Groups() const { return ddProducts_; }
  QLabel* Value(int i) const { return values_[static_cast<std::size_t>(i)]; }
  QLabel* Caption(int i) const { return captions_[static_cast<std::size_t>(i)]; }
  QPlainTextEdit* Description() const { return description_; }
  QLabel* Picture() const { return image_; }
  QLabel* PictureFrame() const { return frame_; }
  RecordSet& Records();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void DropDownChanged();
  void ShowRecord();
  void OK();

  Catalogue* catalogue_;
  QString images_;
  std::function<void(RecordSet&)> place_;
  std::function<bool()> layoutMode_;
  QComboBox* ddSeries_ = nullptr;
  QComboBox* ddProducts_ = nullptr;
  QPlainTextEdit* description_ = nullptr;
  std::array<QLabel*, kCatalogueValueCount> values_{};
  std::array<QLabel*, kCatalogueCaptionCount> captions_{};
  QLabel* frame_ = nullptr;
  QLabel* image_ = nullptr;
  bool busy_ = false;
  int lastSeries_ = 0;
};

}  // namespace tessel
