#include "shell/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "catalogue/product_bar.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/forms.h"
#include "shell/icons.h"
#include "shell/message_box.h"
#include "shell/object_editing.h"
#include "shell/plan_view.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

// The smallest window in which toolbar, toolbox and status bar still fit.
constexpr int kMinWidth = 400, kMinHeight = 500;
constexpr int kStartWidth = 1024, kStartHeight = 720;
// One notch of a mouse wheel, in the eighths of a degree the wheel reports.
constexpr int kWheelNotch = 120;

}  // namespace

MainWindow::MainWindow(QWidget* parent, const QString& recoveryFolder, AutoSaveTiming timing)
    : QMainWindow(parent), keys_(new KeySequence) {
  autoSave_ = std::make_unique<AutoSave>(
      recoveryFolder, [](const QString& name) { return WritePlanQuietly(name); },
      [this] { return currentFile_; }, timing);
  // A drag lifts the object out of the plan until the button is let go.
  autoSave_->SetBusyCheck([this] {
    if (!View() || !View()->ButtonHeld()) return false;
    ReadInfo();
    return Bridge().infoRecord.bObjAtCur != 0;
  });
  connect(autoSave_.get(), &AutoSave::written, this, [this](bool ok) {
    // A failed write is said where it does not interrupt the work; the next change
    // tries again.
    if (!ok) SetStatusMessage(autoSave_->LastFailure());
  });
  setObjectName("frmMain");
  setWindowIcon(ProgramIcon());
  setMinimumSize(kMinWidth, kMinHeight);

  auto* central = new QWidget(this);
  central->setMouseTracking(true);
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
  // layout has placed it (the window's event filter watches its resizes).
  row->addWidget(area_, 1);
  toolbox_ = new QWidget(central);
  toolbox_->setObjectName("ToolboxFrame");
  toolbox_->setMouseTracking(true);
  row->addWidget(toolbox_);

  view_ = new PlanView(area_);
  hbar_ = new QScrollBar(Qt::Horizontal, area_);
  hbar_->setObjectName("hscrView");
  vbar_ = new QScrollBar(Qt::Vertical, area_);
  vbar_->setObjectName("vscrView");
  for (QScrollBar* bar : {hbar_, vbar_}) {
    bar->setMinimum(0);
    bar->setSingleStep(kScrollStep);
    // The keys belong to the plan; a click on a bar must not take them away.
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this] { ScrollChanged(); });
  }
  connect(view_, &PlanView::mouseMoved, this, [this](int x, int y, int buttons) {
    ClearToolboxHover();
    UpdateStatus(x, y, buttons);
  });
  connect(view_, &PlanView::mouseReleased, this, [this](int x, int y, int button) {
    if (button != 1) {
      // A product offers its menu; every other kind opens its tool's dialog.
      if (!ProductContextMenu(x, y)) EditSelectedObject(this);
      UpdateControlStates();
      return;
    }
    vCallTessel(TC_DropCursor, x, y, 0);
    UpdateControlStates();
  });
  connect(view_, &PlanView::wheeled, this, &MainWindow::Wheel);

  InitMenus();
  InitToolbar();
  InitStatusBar();
  InitProductBar();
  resize(kStartWidth, kStartHeight);
  QuitRequested = false;
  InitView();
  InitToolbox();
  view_->SetHook(true);
  ReadInfo();
  // The plan the window starts with; a recovery file of an earlier run stays until the
  // start has offered it.
  changes_.Saved(Bridge().infoRecord.iSerial);
  UpdateTitle();
  UpdateControlStates();
  // The window sees every key before the widget that has the focus, whichever it is,
  // so that Esc always abandons a placement.
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  view_->SetHook(false);
  // The engine forgets windows that are gone: a planner started later in this process
  // (or a test) binds its own.
  vCallTessel(TC_SetMainWindow, 0, 0, 0);
  Bridge().workWindowHandle = 0;
  delete keys_;
}

// The bar needs the status bar's size labels, and the catalogue beside the program.
void MainWindow::InitProductBar() {
  auto* frame = new QHBoxLayout(selector_);
  frame->setContentsMargins(0, 0, 0, 0);
  productBar_ = new ProductBar(selector_, [this](const QString& text) { SetStatusMessage(text); });
  frame->addWidget(productBar_);
  productBar_->SetLayoutModeQuery([this] { return workMode_ == kLayoutMode; });
  QString why;
  const QString file = QDir(QCoreApplication::applicationDirPath()).filePath("katalog/katalog.db");
  const CatalogueState state = productBar_->OpenCatalogue(file, OpenLanguageSuffix(), &why);
  if (state == CatalogueState::kNoProducts)
    ShowMessage(why + "\nThe product bar stays empty.", ProgramTitle(), plat::MB_ICONWARNING);
  else if (state != CatalogueState::kOpen)
    ShowMessage(why, ProgramTitle(), plat::MB_ICONWARNING);
}

void MainWindow::InitView() {
  BridgeState& b = Bridge();
  b.viewCenterX = kSheetWidth / 2;
  b.viewCenterY = kSheetHeight / 2;
  rulerWidth_ = kRulerWidth;
  SetZoom(kZoom50);  // before the view is bound: the engine call inside is not made
  b.workWindowHandle = view_->Handle();
  vCallTessel(TC_SetMainWindow, static_cast<std::int32_t>(winId()), 0, 0);
  vCallTessel(TC_SetWorkWindow, static_cast<std::int32_t>(b.workWindowHandle), 0, 0);
}

long MainWindow::AdjustView() {
  const BridgeState& b = Bridge();
  const auto zoom = static_cast<std::int32_t>(std::lround(b.zoomTable[b.zoomIndex] * 100.0));
  return vCallTessel(TC_AdjustWindowBuffer, static_cast<std::int32_t>(std::lround(b.viewCenterX)),
                     b.viewCenterY, zoom);
}

void MainWindow::SetZoom(int index) {
  BridgeState& b = Bridge();
  b.zoomIndex = static_cast<std::int16_t>(std::clamp(index, kFirstUserZoom, kLastUserZoom));
  zoom_->setCurrentIndex(b.zoomIndex - kFirstUserZoom);
  UpdateView();
  UpdateControlStates();
}

void MainWindow::RefreshView() {
  AdjustView();
}

void MainWindow::LayoutMainWindow() {
  UpdateView();
}

// Fits the scroll bars to what the plan needs at this size and zoom. The plan point in
// the middle of the view stays where it was unless the sheet's edge is reached.
void MainWindow::UpdateView() {
  BridgeState& b = Bridge();
  const double z = b.zoomTable[b.zoomIndex];
  if (z == 0) return;
  const int r = rulerWidth_;
  fit_ = FitScrollBars(area_->width(), area_->height(), r, z);
  const int w = fit_.planWidth, h = fit_.planHeight;
  settingBars_ = true;
  hbar_->setVisible(fit_.horizontal);
  vbar_->setVisible(fit_.vertical);
  // The work window covers the ruler band and the plan area, the bars lie beside it:
  // the engine's plan area is then exactly what the user sees.
  view_->setGeometry(0, 0, std::max(1, r + w), std::max(1, r + h));
  view_->PlaceWindow();
  hbar_->setGeometry(0, r + h, r + w, kBarThickness);
  vbar_->setGeometry(r + w, 0, kBarThickness, r + h);
  double centreX = kSheetWidth / 2.0, centreY = kSheetHeight / 2.0;
  const int largeChange = static_cast<int>(std::lround(kLargeChangeSheetPixels * z));
  if (fit_.horizontal) {
    hbar_->setRange(0, fit_.horizontalMaximum);
    hbar_->setPageStep(largeChange);
    centreX = KeepCentre(b.viewCenterX, z, w, fit_.horizontalMaximum);
    hbar_->setValue(BarValueForCentre(centreX, z, w, fit_.horizontalMaximum));
  }
  if (fit_.vertical) {
    vbar_->setRange(0, fit_.verticalMaximum);
    vbar_->setPageStep(largeChange);
    centreY = KeepCentre(b.viewCenterY, z, h, fit_.verticalMaximum);
    vbar_->setValue(BarValueForCentre(centreY, z, h, fit_.verticalMaximum));
  }
  b.viewCenterX = centreX;
  b.viewCenterY = static_cast<std::int16_t>(std::lround(centreY));
  settingBars_ = false;
  AdjustView();
  bInitialized = true;
}

void MainWindow::ScrollChanged() {
  if (settingBars_) return;
  BridgeState& b = Bridge();
  const double z = b.zoomTable[b.zoomIndex];
  if (fit_.horizontal) b.viewCenterX = CentreForBarValue(hbar_->value(), z, fit_.planWidth);
  if (fit_.vertical)
    b.viewCenterY = static_cast<std::int16_t>(
        std::lround(CentreForBarValue(vbar_->value(), z, fit_.planHeight)));
  AdjustView();
}

void MainWindow::ScrollBy(QScrollBar* bar, int pixels) {
  if (bar == hbar_ ? fit_.horizontal : fit_.vertical) bar->setValue(bar->value() + pixels);
}

// The wheel scrolls the plan as in any document: down and up, sideways with Shift or
// on a sideways wheel; with Ctrl it zooms and keeps the point under the pointer.
void MainWindow::Wheel(int x, int y, QPoint angle, Qt::KeyboardModifiers modifiers) {
  wheelRest_ += angle;
  const int notchesY = wheelRest_.y() / kWheelNotch, notchesX = wheelRest_.x() / kWheelNotch;
  wheelRest_ -= QPoint(notchesX * kWheelNotch, notchesY * kWheelNotch);
  if (modifiers & Qt::ControlModifier) {
    BridgeState& b = Bridge();
    const int index = std::clamp(b.zoomIndex + notchesY, kFirstUserZoom, kLastUserZoom);
    if (index == b.zoomIndex) return;
    const double oldZoom = b.zoomTable[b.zoomIndex], newZoom = b.zoomTable[index];
    const double offsetX = x - rulerWidth_ - fit_.planWidth / 2.0;
    const double offsetY = y - rulerWidth_ - fit_.planHeight / 2.0;
    b.viewCenterX = CentreKeepingPoint(b.viewCenterX, oldZoom, newZoom, offsetX);
    b.viewCenterY = static_cast<std::int16_t>(
        std::lround(CentreKeepingPoint(b.viewCenterY, oldZoom, newZoom, offsetY)));
    SetZoom(index);
    return;
  }
  const int lines = QApplication::wheelScrollLines();
  // A wheel turned away from the user shows what lies above: the view moves up.
  int down = -notchesY * lines * kScrollStep, right = -notchesX * lines * kScrollStep;
  if (modifiers & Qt::ShiftModifier) std::swap(down, right);
  if (right) ScrollBy(hbar_, right);
  if (down) ScrollBy(vbar_, down);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    // Once per key: at the widget it is first sent to, not again while it travels up
    // to the parents. Keys of menus, dialogs and other windows are theirs.
    if (widget->window() == this && widget == (focus ? focus : this) &&
        !QApplication::activePopupWidget() && !QApplication::activeModalWidget())
      return PreviewKey(static_cast<QKeyEvent*>(event), focus);
    return false;
  }
  // A window made smaller than its minimum from outside (a window manager that ignores
  // the hint, a tool) grows back to it, so toolbar, toolbox and status bar stay whole.
  if (watched == this && event->type() == QEvent::Resize && !isMinimized() && !isMaximized() &&
      !isFullScreen() && (width() < kMinWidth || height() < kMinHeight)) {
    resize(std::max(width(), kMinWidth), std::max(height(), kMinHeight));
    return false;
  }
  if (watched == area_ && event->type() == QEvent::Resize && !inResize_ && !isMinimized()) {
    inResize_ = true;
    LayoutMainWindow();
    inResize_ = false;
  }
  // The pointer on the frames around the tools has left every tool.
  if (event->type() == QEvent::MouseMove &&
      (watched == centralWidget() || watched == toolbox_ || watched->objectName() == "StatusFrame"))
    ClearToolboxHover();
  return false;
}

bool MainWindow::PreviewKey(QKeyEvent* event, QWidget* focus) {
  const int key = event->key();
  if (keys_->Feed(key)) {
    CreditsWindow credits(this);
    CenterForm(&credits);
    credits.exec();
    return true;
  }
  // The plan's own keys act wherever the focus is, except where a field or the menu bar
  // needs the same key for itself.
  const bool field = qobject_cast<QLineEdit*>(focus) != nullptr;
  const bool menuBar = qobject_cast<QMenuBar*>(focus) != nullptr;
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  switch (key) {
    case Qt::Key_Escape:
      vCallTessel(TC_SetSelectCursor, 0, 0, 0);
      // The widget with the focus still sees Esc: the menu bar leaves its keyboard mode.
      return false;
    case Qt::Key_Delete:
      if (field) return false;
      vCallTessel(TC_DeleteSelectedObject, 0, 0, 0);
      UpdateControlStates();
      return true;
    case Qt::Key_F1:
      if (event->modifiers() != Qt::NoModifier) return false;
      MenuClick(Menu::Help, kHelpMode);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (field || menuBar || !plain) return false;
      const int sign = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
      ScrollBy(key == Qt::Key_Left || key == Qt::Key_Right ? hbar_ : vbar_, sign * kScrollStep);
      return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      if (field || menuBar || !plain) return false;
      // A page less one step, so that a strip of what was seen stays in view.
      const int page = std::max(kScrollStep, fit_.planHeight - kScrollStep);
      ScrollBy(vbar_, key == Qt::Key_PageUp ? -page : page);
      return true;
    }
    default:
      return false;
  }
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshView();
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
  // Whatever the user chose about the plan, it has been chosen: nothing is left to recover.
  autoSave_->Discard(Bridge().infoRecord.iSerial);
  QCoreApplication::quit();
}

}  // namespace tessel
