#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "language/language.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/icons.h"
#include "shell/plan_view.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

constexpr int kSheetWidth = 1520, kSheetHeight = 1120;
constexpr int kBar = 12;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), keys_(new KeySequence) {
  setObjectName("frmMain");
  setWindowIcon(ProgramIcon());
  // The smallest window in which toolbar, toolbox and status bar still fit.
  setMinimumSize(400, 500);

  auto* central = new QWidget(this);
  central->setMouseTracking(true);
  central->installEventFilter(this);
  setCentralWidget(central);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  // The product bar: shown in design mode once the catalogue can fill it.
  selector_ = new QWidget(central);
  selector_->setObjectName("SelectorFrame");
  selector_->hide();
  column->addWidget(selector_);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  column->addLayout(row, 1);
  area_ = new QWidget(central);
  // The work area's own size decides the layout: it is known only once the window's
  // layout has placed it.
  area_->installEventFilter(this);
  row->addWidget(area_, 1);
  toolbox_ = new QWidget(central);
  toolbox_->setObjectName("ToolboxFrame");
  toolbox_->setMouseTracking(true);
  toolbox_->installEventFilter(this);
  row->addWidget(toolbox_);

  view_ = new PlanView(area_);
  hbar_ = new QScrollBar(Qt::Horizontal, area_);
  hbar_->setObjectName("hscrView");
  vbar_ = new QScrollBar(Qt::Vertical, area_);
  vbar_->setObjectName("vscrView");
  hbar_->setMinimum(0);
  vbar_->setMinimum(0);
  connect(hbar_, &QScrollBar::valueChanged, this, [this] { ScrollChanged(); });
  connect(vbar_, &QScrollBar::valueChanged, this, [this] { ScrollChanged(); });
  connect(view_, &PlanView::mouseMoved, this, [this](int x, int y, int buttons) {
    ClearToolboxHover();
    UpdateStatus(x, y, buttons);
  });
  connect(view_, &PlanView::mouseReleased, this, [this](int x, int y, int button) {
    if (button != 1) return;  // the properties of the selected object come with the object dialogs
    vCallTessel(TC_DropCursor, x, y, 0);
    UpdateControlStates();
  });

  InitMenus();
  InitToolbar();
  InitStatusBar();
  resize(1024, 720);
  QuitRequested = false;
  InitView();
  InitToolbox();
  view_->SetHook(true);
  ReadInfo();
  savedSerial_ = Bridge().infoRecord.iSerial;
  UpdateTitle();
  UpdateControlStates();
}

MainWindow::~MainWindow() {
  view_->SetHook(false);
  delete keys_;
}

void MainWindow::InitView() {
  BridgeState& b = Bridge();
  b.viewCenterX = kSheetWidth / 2;
  b.viewCenterY = kSheetHeight / 2;
  rulerWidth_ = 28;
  SetZoom(2);  // before the view is bound: the engine call inside is not made
  b.workWindowHandle = view_->Handle();
  vCallTessel(TC_SetMainWindow, static_cast<std::int32_t>(winId()), 0, 0);
  vCallTessel(TC_SetWorkWindow, static_cast<std::int32_t>(b.workWindowHandle), 0, 0);
}

long MainWindow::AdjustView() {
  const BridgeState& b = Bridge();
  const auto zoom = static_cast<std::int32_t>(std::lround(b.zoomTable[b.zoomIndex] * 100.0));
  return vCallTessel(TC_AdjustWindowBuffer, static_cast<std::int32_t>(b.viewCenterX), b.viewCenterY,
                     zoom);
}

void MainWindow::SetZoom(int index) {
  BridgeState& b = Bridge();
  b.zoomIndex = static_cast<std::int16_t>(index);
  zoom_->setCurrentIndex(index - 2);
  UpdateView();
  AdjustView();
  UpdateControlStates();
}

void MainWindow::RefreshView() {
  AdjustView();
}

void MainWindow::LayoutMainWindow() {
  view_->setGeometry(0, 0, area_->width(), area_->height());
  view_->PlaceWindow();
  UpdateView();
}

// Fits the scroll bars to what the plan needs at this size and zoom, keeping the plan
// point in the middle of the view where it was.
void MainWindow::UpdateView() {
  BridgeState& b = Bridge();
  const double z = b.zoomTable[b.zoomIndex];
  if (z == 0) return;
  const int r = rulerWidth_;
  int w = area_->width() - r, h = area_->height() - r;
  const double oldX = b.viewCenterX, oldY = b.viewCenterY;
  settingBars_ = true;
  auto maximum = [&](int sheet, int visible) {
    return static_cast<int>(std::lround(sheet * z - visible));
  };
  int hmax = maximum(kSheetWidth, w);
  bool hshown = hmax > 0;
  if (hshown) h -= kBar;
  int vmax = maximum(kSheetHeight, h);
  bool vshown = vmax > 0;
  if (vshown) {
    w -= kBar;
    hmax = maximum(kSheetWidth, w);
    if (!hshown && hmax > 0) {
      hshown = true;
      h -= kBar;
      vmax = maximum(kSheetHeight, h);
    }
  }
  hbar_->setVisible(hshown);
  vbar_->setVisible(vshown);
  hbar_->setGeometry(0, area_->height() - kBar, r + w, kBar);
  vbar_->setGeometry(area_->width() - kBar, 0, kBar, r + h);
  b.viewCenterX = kSheetWidth / 2;
  b.viewCenterY = kSheetHeight / 2;
  if (hshown) {
    hbar_->setRange(0, hmax);
    hbar_->setPageStep(static_cast<int>(std::lround(32 * z)));
    const int value = std::clamp(static_cast<int>(std::lround(oldX * z - w / 2.0)), 0, hmax);
    hbar_->setValue(value);
    b.viewCenterX = (w / 2.0 + (value - 1)) / z;
  }
  if (vshown) {
    vbar_->setRange(0, vmax);
    vbar_->setPageStep(static_cast<int>(std::lround(32 * z)));
    const int value = std::clamp(static_cast<int>(std::lround(oldY * z - h / 2.0)), 0, vmax);
    vbar_->setValue(value);
    b.viewCenterY = static_cast<std::int16_t>(std::lround((h / 2.0 + (value - 1)) / z));
  }
  settingBars_ = false;
  AdjustView();
  bInitialized = true;
}

void MainWindow::ScrollChanged() {
  if (settingBars_) return;
  BridgeState& b = Bridge();
  const double z = b.zoomTable[b.zoomIndex];
  const int r = rulerWidth_;
  const int w = area_->width() - r - (vbar_->isVisible() ? kBar : 0);
  const int h = area_->height() - r - (hbar_->isVisible() ? kBar : 0);
  if (hbar_->isVisible()) b.viewCenterX = (w / 2.0 + (hbar_->value() - 1)) / z;
  if (vbar_->isVisible())
    b.viewCenterY = static_cast<std::int16_t>(std::lround((h / 2.0 + (vbar_->value() - 1)) / z));
  AdjustView();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_ && event->type() == QEvent::Resize && !inResize_ && !isMinimized()) {
    inResize_ = true;
    LayoutMainWindow();
    inResize_ = false;
  }
  if (event->type() == QEvent::MouseMove && watched != area_) ClearToolboxHover();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshView();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (keys_->Feed(key)) {
    CreditsWindow credits(this);
    CenterForm(&credits);
    credits.exec();
    return;
  }
  switch (key) {
    case Qt::Key_Escape:
      vCallTessel(TC_SetSelectCursor, 0, 0, 0);
      return;
    case Qt::Key_Delete:
      vCallTessel(TC_DeleteSelectedObject, 0, 0, 0);
      UpdateControlStates();
      return;
    case Qt::Key_F1:
      if (event->modifiers() == Qt::NoModifier) {
        MenuClick(3, 0);
        return;
      }
      break;
    default:
      break;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (exited_) {
    event->accept();
    return;
  }
  if (!QuitRequested && QuerySave(3100) == 2) {
    event->ignore();
    return;
  }
  event->accept();
  ExitPath();
}

// What a planner does once on its way out: the engine stops hearing from the work
// window and the recent files are remembered for the next start.
void MainWindow::ExitPath() {
  exited_ = true;
  view_->SetHook(false);
  WriteRecentFiles();
  QCoreApplication::quit();
}

}  // namespace tessel
