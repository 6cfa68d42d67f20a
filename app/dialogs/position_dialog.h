// The position of a placed product typed as its distances from two walls: one across
// (from the left or the right wall) and one up and down (from the top or the bottom
// wall), in whole centimetres. It opens on the distances the product has now; a wall
// the product stands against holds its axis, which is shown but cannot be typed.
#pragma once

#include <QDialog>
#include <functional>

#include "check/product_position.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tessel {

class ProductPositionDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ProductPositionDialog(QWidget* parent = nullptr);

  // Shows the distances of `stand` and asks. OK keeps the dialog open with a message
  // while a distance is no whole number or `refusal` says why it cannot be (its text);
  // true and the distances once it can.
  bool Ask(const ProductStand& stand, std::function<QString(const TypedPosition&)> refusal,
           TypedPosition* typed);

  QComboBox* AcrossSide() const { return sides_[0]; }
  QComboBox* UpDownSide() const { return sides_[1]; }
  QLineEdit* Value(int axis) const { return values_[axis]; }

 private:
  void ShowDistance(int axis);
  void Confirm();

  ProductStand stand_;
  std::function<QString(const TypedPosition&)> refusal_;
  TypedPosition typed_;
  QComboBox* sides_[2] = {};
  QLineEdit* values_[2] = {};
  QLabel* held_ = nullptr;
};

}  // namespace tessel
