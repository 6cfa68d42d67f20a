#include "shell/toolbox_button.h"

#include <QMouseEvent>

#include "shell/icons.h"

namespace tessel {

ToolboxButton::ToolboxButton(int index, QWidget* parent) : QLabel(parent), index_(index) {
  setObjectName(QString("TBButton%1").arg(index));
  setMouseTracking(true);
  setFixedSize(ToolboxPicture(index, kNormal).size());
  Show(kDisabled);
}

void ToolboxButton::Show(Picture picture) {
  shown_ = picture;
  setPixmap(ToolboxPicture(index_, picture));
}

// A disabled button takes no clicks: Qt delivers no mouse events to it.
void ToolboxButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit pressed(index_);
}

void ToolboxButton::mouseMoveEvent(QMouseEvent*) {
  emit hovered(index_);
}

void ToolboxButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit released(index_);
}

}  // namespace tessel
