// The work window picView: a drawing-layer window whose framebuffer this widget shows.
// The engine draws into the framebuffer; the widget repaints just the rectangles the
// drawing layer reports as changed, and turns mouse events into engine calls.
#pragma once

#include <QPolygon>
#include <QWidget>
#include <functional>

#include "platform/gdi.h"

namespace tessel {

class PlanView : public QWidget {
  Q_OBJECT
 public:
  explicit PlanView(QWidget* parent = nullptr);
  ~PlanView() override;
  plat::HWND Handle() const { return window_; }
  // Puts the work-window hook in place (the engine receives paint and palette
  // messages through it) or takes it away again.
  void SetHook(bool on);
  // Keeps the drawing-layer window at this widget's place and size.
  void PlaceWindow();
  // Whether a mouse button went down on the plan and has not come up yet (a drag).
  bool ButtonHeld() const { return buttonHeld_; }
  // The selected object's outline in window pixels, empty for none: its corners get
  // handles drawn over the plan, in this window only (never in the worksheet).
  void SetSelectionOutline(const QPolygon& outline);
  const QPolygon& SelectionOutline() const { return selection_; }
  // Painted over the window's picture after every paint (View > Free areas); the
  // engine's pixels stay as they are.
  void SetOverlay(std::function<void(QPainter&)> overlay);

 signals:
  // Window pixels and the buttons held (1 left, 2 right, 4 middle).
  void mouseMoved(int x, int y, int buttons);
  void mouseReleased(int x, int y, int button);
  // A turn of the wheel over the plan: where, by how much (120 a notch), with which keys.
  void wheeled(int x, int y, QPoint angle, Qt::KeyboardModifiers modifiers);
  // The middle button drags the view: how far the pointer went since the last report.
  void panned(int dx, int dy);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  std::function<void(QPainter&)> overlay_;
  plat::HWND window_ = 0;
  bool buttonHeld_ = false;
  bool panning_ = false;
  QPoint panFrom_;
  QPolygon selection_;
};

}  // namespace tessel
