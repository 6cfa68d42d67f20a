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
#include <QTimer>
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
#include "shell/remembered.h"
#include "shell/startup_windows.h"

namespace tessel {

namespace {

// The smallest window in which toolbar, toolbox and status bar still fit.
constexpr int kMinWidth = 400, kMinHeight = 500;
constexpr int kStartWidth = 1024, kStartHeight = 720;
// One notch of a mouse wheel, in the eighths of a degree the wheel reports.
constexpr int kWheelNotch = 120;
// How often a plan handed over while a dialog is open looks again, in milliseconds.
constexpr int kForwardRetryMs = 300;

// What the user reads when the catalogue cannot fill the product bar, in the chosen
// language; the database's own words follow where they say more than the sentence.
QString CatalogueFailure(CatalogueState state, const QString& file, const QString& why) {
  switch (state) {
    case CatalogueState::kMissing:
      return CaptionOr(7302, "The catalogue %1 is missing. The product bar stays empty.").arg(file);
    case CatalogueState::kNoProducts:
      return CaptionOr(7304, "The catalogue %1 holds no products. The product bar stays empty.")
          .arg(file);
    case CatalogueState::kBadQuery:
      return CaptionOr(7305,
                       "The products of the catalogue %1 cannot be read. The product bar stays "
                       "empty.\n%2")
          .arg(file, why);
    default:
      return CaptionOr(7303, "The catalogue %1 cannot be read. The product bar stays empty.\n%2")
          .arg(file, why);
  }
}

}  // namespace

MainWindow::MainWindow(QWidget* parent, const QString& recoveryFolder, AutoSaveTiming timing)
    : QMainWindow(parent), keys_(new KeySequence) {
  freeAreaSetting_ = ReadFreeAreaSetting();
  autoSave_ = std::make_unique<AutoSave>(
      recoveryFolder, [this](const QString& name) { return WritePlanQuietly(name); },
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
  // The plan follows the hand that drags it with the middle button.
  connect(view_, &PlanView::panned, this, [this](int dx, int dy) {
    if (dx) ScrollBy(hbar_, -dx);
    if (dy) ScrollBy(vbar_, -dy);
  });

  InitMenus();
  InitToolbar();
  InitStatusBar();
  InitProductBar();
  resize(kStartWidth, kStartHeight);
  QuitRequested = false;
  InitView();
  InitToolbox();
  ApplyRememberedView();
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
  if (state != CatalogueState::kOpen)
    ShowMessage(CatalogueFailure(state, file, why), ProgramTitle(), plat::MB_ICONWARNING);
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
  const long result =
      vCallTessel(TC_AdjustWindowBuffer, static_cast<std::int32_t>(std::lround(b.viewCenterX)),
                  b.viewCenterY, zoom);
  RefreshSelection();
  return result;
}

void MainWindow::RefreshSelection() {
  std::int32_t corners[8] = {};
  const long selected =
      vCallTessel(TC_GetSelectionOutline, 0, 0, 0,
                  QVariant(static_cast<qlonglong>(reinterpret_cast<std::intptr_t>(corners))));
  QPolygon outline;
  if (selected == 1)
    for (int i = 0; i < 4; ++i) outline << QPoint(corners[2 * i], corners[2 * i + 1]);
  view_->SetSelectionOutline(outline);
}

bool MainWindow::SelectionMovable() {
  ReadInfo();
  if (Bridge().infoRecord.bObjSel == 0 || ReadObjectData() != 0) return false;
  const int kind = Bridge().objectDataRead.iKindCode;
  return kind == TC_PutProduct || kind == TC_PutUserRect || kind == TC_PutUserCircle;
}

bool MainWindow::MoveSelected(int dx, int dy) {
  const bool moved = vCallTessel(TC_MoveSelectedBy, dx, dy, 0) == 1;
  SetStatusMessage(moved ? QString()
                         : CaptionOr(7400,
                                     "The object cannot be moved there: it would overlap "
                                     "something or leave the plan."));
  UpdateControlStates();
  return moved;
}

void MainWindow::TurnSelected(int degrees) {
  ReadInfo();
  if (Bridge().infoRecord.bObjSel == 0) {
    SetStatusMessage(CaptionOr(7402, "Select a product first: click it in the plan."));
    return;
  }
  const bool turned = vCallTessel(TC_TurnSelectedBy, degrees, 0, 0) == 1;
  SetStatusMessage(turned ? QString()
                          : CaptionOr(7401, "The selected object cannot be turned here."));
  UpdateControlStates();
}

void MainWindow::DuplicateSelected() {
  ReadInfo();
  BridgeState& b = Bridge();
  if (b.infoRecord.bObjSel == 0 || ReadObjectData() != 0) {
    SetStatusMessage(CaptionOr(7402, "Select a product first: click it in the plan."));
    return;
  }
  ObjectData copy = b.objectDataRead;
  const bool placeable = copy.iKindCode == TC_PutProduct ||
                         (copy.iKindCode >= TC_PutDoor && copy.iKindCode <= TC_PutUserCircle);
  if (!placeable) return;
  // The copy finds its own wall: the original's wall tag is not its.
  if (copy.iKindCode == TC_PutProduct) copy.p1 &= kMountingBits;
  // No selection in the record starts a new placement with the record's values.
  copy.iSelection = 0;
  b.objectDataWrite = copy;
  WriteObjectData();
  SetStatusMessage(CaptionOr(7403, "Place the copy with a click; Esc abandons it."));
  UpdateControlStates();
}

void MainWindow::OpenForwardedPlan(const QString& name) {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  if (name.isEmpty()) return;
  // A dialog of this planner is open: the plan waits until the user is done with it.
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
    QTimer::singleShot(kForwardRetryMs, this, [this, name] { OpenForwardedPlan(name); });
    return;
  }
  if (QuerySave(5640) == plat::IDCANCEL) return;
  OpenProject(name);
}

void MainWindow::ZoomToFit() {
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  int left = info.iBoundLeft, top = info.iBoundTop, right = info.iBoundRight,
      bottom = info.iBoundBottom;
  if (left >= right || top >= bottom) {
    // Nothing drawn yet: the whole sheet.
    left = top = 0;
    right = kSheetWidth;
    bottom = kSheetHeight;
  } else {
    left = std::max(0, left - kFitMargin);
    top = std::max(0, top - kFitMargin);
    right = std::min(kSheetWidth, right + kFitMargin);
    bottom = std::min(kSheetHeight, bottom + kFitMargin);
  }
  BridgeState& b = Bridge();
  int index = kFirstUserZoom;
  for (int step = kLastUserZoom; step > kFirstUserZoom; --step) {
    const double z = b.zoomTable[step];
    const BarFit fit = FitScrollBars(area_->width(), area_->height(), rulerWidth_, z);
    if ((right - left) * z <= fit.planWidth && (bottom - top) * z <= fit.planHeight) {
      index = step;
      break;
    }
  }
  b.viewCenterX = (left + right) / 2.0;
  b.viewCenterY = static_cast<std::int16_t>((top + bottom) / 2);
  SetZoom(index);
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
    RunModal(credits);
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
      // A move let go of puts the product back and takes its step away again: Undo
      // and the selection's commands say so at once.
      UpdateControlStates();
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
      if (field || menuBar) return false;
      const int sign = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
      const bool shift = (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
      // A selected product moves; otherwise the keys scroll the plan.
      if ((plain || shift) && SelectionMovable()) {
        const int step = sign * kSheetPixelsPerCm * (shift ? kLargeMoveCm : kSmallMoveCm);
        const bool across = key == Qt::Key_Left || key == Qt::Key_Right;
        MoveSelected(across ? step : 0, across ? 0 : step);
        return true;
      }
      if (!plain) return false;
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

// The zoom step and the switches of the last run; where the window stands is the
// start's business, as it also knows the screen.
void MainWindow::ApplyRememberedView() {
  const RememberedWindow r = ReadRememberedWindow();
  if (!r.ruler) viewItems_[kRuler]->trigger();
  if (r.measurement) viewItems_[kMeasurement]->trigger();
  SetZoom(r.zoomIndex);
}

RememberedWindow MainWindow::Remembered() const {
  RememberedWindow r;
  r.geometry = normalGeometry();
  r.maximized = isMaximized();
  r.zoomIndex = Bridge().zoomIndex;
  r.ruler = rulerWidth_ != 0;
  r.measurement = measurementShown_;
  return r;
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
  WriteRememberedWindow(Remembered());
  // Whatever the user chose about the plan, it has been chosen: nothing is left to recover.
  autoSave_->Discard(Bridge().infoRecord.iSerial);
  QCoreApplication::quit();
}

}  // namespace tessel
