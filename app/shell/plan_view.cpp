#include "shell/plan_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/window.h"
#include "shell/engine_bridge.h"

namespace tessel {

namespace {

// The drawing layer tells which part of which framebuffer changed; the widget showing
// that window repaints exactly that part.
void FramebufferChanged(plat::HWND window, const plat::RECT& changed, void* user) {
  auto* view = static_cast<PlanView*>(user);
  if (view && view->Handle() == window)
    view->update(QRect(changed.left, changed.top, changed.right - changed.left,
                       changed.bottom - changed.top));
}

// Paint, activation and palette messages of the work window go to the engine; the
// window has no other procedure.
long WorkWindowProc(plat::HWND window, unsigned message, std::uintptr_t wParam,
                    std::intptr_t lParam, void*) {
  switch (message) {
    case plat::WM_ACTIVATE:
    case plat::WM_PAINT:
    case plat::WM_QUERYNEWPALETTE:
    case plat::WM_PALETTECHANGED:
      return vCallTessel(TC_PassWindowMessage, static_cast<std::int32_t>(window),
                         static_cast<std::int32_t>(message), static_cast<std::int32_t>(wParam),
                         QVariant(static_cast<qlonglong>(lParam)), 0);
    default:
      return 0;
  }
}

// The selection: a coloured outline and filled corner handles of this many window
// pixels, so that it stands apart from the thin outline the pointer's hover draws.
constexpr int kHandleSize = 9;
constexpr int kSelectionLine = 2;
const QColor kHandleFill(0x12, 0x5f, 0xd6);

QRect HandleArea(const QPolygon& outline) {
  return outline.isEmpty() ? QRect()
                           : outline.boundingRect().adjusted(-kHandleSize, -kHandleSize,
                                                             kHandleSize, kHandleSize);
}

std::int32_t Buttons(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
         (b & Qt::MiddleButton ? 4 : 0);
}

}  // namespace

PlanView::PlanView(QWidget* parent) : QWidget(parent) {
  setObjectName("picView");
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click in the plan takes the keyboard there, so the arrow keys scroll the plan.
  setFocusPolicy(Qt::ClickFocus);
  const QPoint at = mapToGlobal(QPoint(0, 0));
  window_ = plat::CreateHostWindow(at.x(), at.y(), std::max(1, width()), std::max(1, height()));
  plat::SetWindowChangedHook(&FramebufferChanged, this);
}

PlanView::~PlanView() {
  plat::SetWindowChangedHook(nullptr, nullptr);
  plat::DestroyWindow(window_);
}

void PlanView::SetHook(bool on) {
  plat::SetWindowProc(window_, on ? &WorkWindowProc : nullptr, nullptr);
}

void PlanView::PlaceWindow() {
  const QPoint at = mapToGlobal(QPoint(0, 0));
  plat::RECT r{};
  plat::GetWindowRect(window_, &r);
  if (r.left == at.x() && r.top == at.y() && r.right - r.left == width() &&
      r.bottom - r.top == height())
    return;
  plat::MoveHostWindow(window_, at.x(), at.y(), std::max(1, width()), std::max(1, height()));
}

void PlanView::paintEvent(QPaintEvent* event) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* pixels = plat::WindowPixels(window_, &w, &h, &stride);
  QPainter painter(this);
  if (!pixels || w <= 0 || h <= 0) {
    painter.fillRect(event->rect(), Qt::white);
    return;
  }
  const QImage frame(reinterpret_cast<const uchar*>(pixels), w, h, stride * 4,
                     QImage::Format_RGB32);
  const QRect part = event->rect() & frame.rect();
  painter.drawImage(part.topLeft(), frame, part);
  if (part != event->rect())
    painter.fillRect(QRegion(event->rect()).subtracted(part).boundingRect(), Qt::white);
  if (overlay_) {
    painter.save();
    painter.setClipRect(event->rect());
    overlay_(painter);
    painter.restore();
  }
  if (selection_.isEmpty()) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kHandleFill, kSelectionLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(selection_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::white, 1));
  painter.setBrush(kHandleFill);
  for (const QPoint& corner : selection_)
    painter.drawRect(QRect(corner.x() - kHandleSize / 2, corner.y() - kHandleSize / 2,
                           kHandleSize - 1, kHandleSize - 1));
}

void PlanView::SetOverlay(std::function<void(QPainter&)> overlay) {
  overlay_ = std::move(overlay);
  update();
}

void PlanView::SetSelectionOutline(const QPolygon& outline) {
  if (outline == selection_) return;
  update(HandleArea(selection_));
  selection_ = outline;
  update(HandleArea(selection_));
}

void PlanView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceWindow();
}

void PlanView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  PlaceWindow();
}

void PlanView::mouseMoveEvent(QMouseEvent* event) {
  PlaceWindow();
  if (panning_) {
    const QPoint global = event->globalPosition().toPoint();
    const QPoint step = global - panFrom_;
    panFrom_ = global;
    if (!step.isNull()) emit panned(step.x(), step.y());
    return;
  }
  const QPoint at = event->position().toPoint();
  const QPoint global = mapToGlobal(at);
  plat::SetCursorPos(global.x(), global.y());
  emit mouseMoved(at.x(), at.y(), Buttons(event->buttons()));
}

void PlanView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    panning_ = true;
    panFrom_ = event->globalPosition().toPoint();
    setCursor(Qt::ClosedHandCursor);
    return;
  }
  buttonHeld_ = true;
  mouseMoveEvent(event);
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    panning_ = false;
    unsetCursor();
    return;
  }
  buttonHeld_ = event->buttons() != Qt::NoButton;
  const QPoint at = event->position().toPoint();
  emit mouseReleased(at.x(), at.y(), Buttons(event->button()));
}

void PlanView::wheelEvent(QWheelEvent* event) {
  const QPoint at = event->position().toPoint();
  emit wheeled(at.x(), at.y(), event->angleDelta(), event->modifiers());
  event->accept();
}

}  // namespace tessel
