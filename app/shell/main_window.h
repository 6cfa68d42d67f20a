// The main window frmMain: the work window with its scroll bars and the zoom box,
// the view state kept for the engine, and the window's own keys.
#pragma once

#include <QMainWindow>

class QComboBox;
class QScrollBar;

namespace tessel {

class PlanView;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  bool bInitialized = false;
  PlanView* View() const { return view_; }
  QComboBox* ZoomBox() const { return zoom_; }
  QScrollBar* HorizontalBar() const { return hbar_; }
  QScrollBar* VerticalBar() const { return vbar_; }

  void SetZoom(int index);
  void UpdateView();
  void RefreshView();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void InitView();
  void LayoutMainWindow();
  void ScrollChanged();
  long AdjustView();

  PlanView* view_ = nullptr;
  QWidget* area_ = nullptr;
  QComboBox* zoom_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  int rulerWidth_ = 28;
  bool inResize_ = false;
  bool settingBars_ = false;
};

}  // namespace tessel
