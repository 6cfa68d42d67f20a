// One picture button of the toolbox: four pictures (normal, under the mouse, pressed,
// disabled), and the press, hover and release the toolbox reacts to.
#pragma once

#include <QLabel>

namespace tessel {

class ToolboxButton : public QLabel {
  Q_OBJECT
 public:
  enum Picture { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
  ToolboxButton(int index, QWidget* parent);
  int Index() const { return index_; }
  Picture Shown() const { return shown_; }
  void Show(Picture picture);

 signals:
  void pressed(int index);
  void hovered(int index);
  void released(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
  Picture shown_ = kDisabled;
};

}  // namespace tessel
