// The strips around the work window: the toolbar, the toolbox with its drawing tools
// and the status bar, and the one place that derives every enabled state from the
// engine's state.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "dialogs/dialogs.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/icons.h"
#include "shell/main_window.h"
#include "shell/plan_view.h"
#include "shell/toolbox_button.h"

namespace tessel {

namespace {

struct Button {
  const char* key;
  int tag;
};
const Button kButtons[] = {{"new", 1300},    {"open", 1301},  {"save", 1302},   {"print", 1303},
                           {"undo", 1304},   {"redo", 1305},  {"delete", 1306}, {"zoomout", 1307},
                           {"zoomin", 1308}, {"base", 1309},  {"design", 1310}, {"list", 1311},
                           {"info", 1312},   {"helpon", 1313}};

// Commands whose windows the program does not have yet stay disabled whatever the
// plan holds, so that nothing pretends to work.
bool NotYetAvailable(const QString& key) {
  return key == "print" || key == "list";
}
// The same for the tools whose shapes the engine cannot place yet: the corners,
// doors, windows and the free rectangle and circle.
bool ToolNotYetAvailable(int tool) {
  return tool == 2 || tool == 3 || (tool >= 6 && tool <= 9);
}

}  // namespace

QAction* MainWindow::ToolbarButton(const QString& key) const {
  return iconbar_ ? iconbar_->findChild<QAction*>(key, Qt::FindDirectChildrenOnly) : nullptr;
}

void MainWindow::InitToolbar() {
  iconbar_ = addToolBar("Iconbar");
  iconbar_->setObjectName("Iconbar");
  iconbar_->setMovable(false);
  iconbar_->setIconSize(QSize(24, 24));
  for (const Button& b : kButtons) {
    const QString key = b.key;
    if (key == "undo" || key == "zoomout" || key == "base" || key == "info")
      iconbar_->addSeparator();
    auto* action = new QAction(ToolbarIcon(key), key, iconbar_);
    action->setObjectName(key);
    action->setProperty("tag", b.tag);
    const QString tip = GetCaption(b.tag);
    action->setToolTip(tip.isEmpty() ? key : tip);
    action->setEnabled(!NotYetAvailable(key));
    connect(action, &QAction::triggered, this, [this, key] { ToolbarClicked(key); });
    iconbar_->addAction(action);
    if (key == "zoomin") {
      zoom_ = new QComboBox(iconbar_);
      zoom_->setObjectName("cbZoom");
      zoom_->addItems({"50 %", "75 %", "100 %", "150 %", "200 %", "300 %", "400 %"});
      zoom_->setFocusPolicy(Qt::NoFocus);
      iconbar_->addWidget(zoom_);
      connect(zoom_, &QComboBox::activated, this, [this](int position) {
        if (position + 2 != Bridge().zoomIndex) SetZoom(position + 2);
      });
    }
  }
  for (const char* key : {"delete", "base", "design", "list"}) SetToolbarButtonEnabled(key, false);
}

void MainWindow::SetToolbarButtonEnabled(const QString& key, bool enabled) {
  if (QAction* button = ToolbarButton(key)) button->setEnabled(enabled && !NotYetAvailable(key));
}

void MainWindow::ToolbarClicked(const QString& key) {
  const QAction* button = ToolbarButton(key);
  if (!button) return;
  if (helpMode_) {
    ShowHelpMessage(button->property("tag").toInt());
    return;
  }
  const int zoom = Bridge().zoomIndex;
  if (key == "new")
    MenuClick(0, 0);
  else if (key == "open")
    MenuClick(0, 1);
  else if (key == "save")
    MenuClick(0, 5);
  else if (key == "print")
    MenuClick(0, 10);
  else if (key == "undo")
    MenuClick(1, 0);
  else if (key == "redo")
    MenuClick(1, 1);
  else if (key == "delete")
    MenuClick(1, 3);
  else if (key == "zoomout") {
    if (zoom >= 3) SetZoom(zoom - 1);
  } else if (key == "zoomin") {
    if (zoom < 8) SetZoom(zoom + 1);
  } else if (key == "base")
    MenuClick(2, 3);
  else if (key == "design")
    MenuClick(2, 4);
  else if (key == "list")
    MenuClick(2, 6);
  else if (key == "info")
    ShowHelpMessage(1312);
  else if (key == "helpon")
    MenuClick(3, 0);
}

void MainWindow::ShowHelpMessage(int number) {
  plat::MessageBox(0, GetHelp(number).toLocal8Bit().constData(),
                   GetCaption(number).toLocal8Bit().constData(), plat::MB_ICONINFORMATION);
  helpMode_ = false;
  unsetCursor();
}

void MainWindow::InitToolbox() {
  auto* grid = new QGridLayout(toolbox_);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  for (int i = 0; i < 10; ++i) {
    auto* button = new ToolboxButton(i, toolbox_);
    button->setEnabled(false);
    button->setProperty("tag", 1350 + i);
    button->setToolTip(GetCaption(1350 + i));
    button->setVisible(!(workMode_ == kDesignMode && i >= 5));
    grid->addWidget(button, i / 2, i % 2);
    connect(button, &ToolboxButton::pressed, this, &MainWindow::ToolClicked);
    connect(button, &ToolboxButton::hovered, this, &MainWindow::ToolHovered);
    connect(button, &ToolboxButton::released, this, [this](int index) {
      tools_[index]->Show(index == hoverIndex_ ? ToolboxButton::kHover : ToolboxButton::kNormal);
    });
    tools_[i] = button;
  }
  grid->setRowStretch(5, 1);
  const int buttonWidth = tools_[0]->width();
  toolbox_->setFixedWidth(2 * buttonWidth + 12);
  hoverIndex_ = 10;
  SetToolboxButtonEnabled(0, true);
  SetToolboxButtonEnabled(5, true);
}

void MainWindow::SetToolboxButtonEnabled(int index, bool enabled) {
  ToolboxButton* button = tools_[index];
  enabled = enabled && !ToolNotYetAvailable(index);
  if (button->isEnabled() == enabled) return;
  button->setEnabled(enabled);
  button->Show(enabled ? ToolboxButton::kNormal : ToolboxButton::kDisabled);
}

void MainWindow::UpdateToolboxForMode() {
  for (int i = 5; i < 10; ++i) tools_[i]->setVisible(workMode_ == kLayoutMode);
}

void MainWindow::ClearToolboxHover() {
  if (hoverIndex_ >= 10) return;
  if (tools_[hoverIndex_]->isEnabled()) tools_[hoverIndex_]->Show(ToolboxButton::kNormal);
  hoverIndex_ = 10;
}

void MainWindow::ToolHovered(int index) {
  if (index == hoverIndex_) return;
  ClearToolboxHover();
  if (tools_[index]->isEnabled()) tools_[index]->Show(ToolboxButton::kHover);
  SetStatusMessage(tools_[index]->toolTip());
  hoverIndex_ = index;
}

void MainWindow::ToolClicked(int index) {
  if (helpMode_) {
    ShowHelpMessage(1350 + index);
    return;
  }
  ToolHovered(index);
  tools_[index]->Show(ToolboxButton::kPressed);
  DialogResults& d = Dialog();
  d.cancelled = true;
  switch (index) {
    case 0:
      vCallTessel(TC_SetSelectCursor, 0, 0, 0);
      break;
    case 1:
      vCallTessel(TC_DeleteSelectedObject, 0, 0, 0);
      UpdateControlStates();
      break;
    default: {
      ReadInfo();
      if (!RunToolDialog(index, Bridge().infoRecord.bWallRect != 0, this)) break;
      const std::int32_t v1 = d.value1, v2 = d.value2, v3 = d.value3;
      switch (index) {
        case 2:
          vCallTessel(TC_PutUserRect, v1, v2, v3);
          break;
        case 3:
          vCallTessel(TC_PutUserCircle, v1, 0, 0);
          break;
        case 4:
          vCallTessel(TC_PutFreeWall, v1, v2, v3);
          break;
        case 5:
          vCallTessel(TC_PutWallRectangle, v1, v2, v3);
          break;
        case 6:
          vCallTessel(TC_PutDiagonalCorner, v1, v2, 0);
          break;
        case 7:
          vCallTessel(TC_PutRoundCorner, v1, v2, 0);
          break;
        case 8:
          vCallTessel(TC_PutDoor, v1, v2, v3, QVariant(d.flags));
          break;
        case 9:
          vCallTessel(TC_PutWindow, v1, v2, v3, QVariant(d.flags));
          break;
        default:
          break;
      }
      break;
    }
  }
  if (tools_[index]->isEnabled())
    tools_[index]->Show(index == hoverIndex_ ? ToolboxButton::kHover : ToolboxButton::kNormal);
}

void MainWindow::InitStatusBar() {
  auto* frame = new QWidget(this);
  frame->setObjectName("StatusFrame");
  frame->setMouseTracking(true);
  frame->installEventFilter(this);
  auto* row = new QHBoxLayout(frame);
  row->setContentsMargins(6, 2, 6, 2);
  auto label = [&](const char* name, const QString& text, int width) {
    auto* l = new QLabel(text, frame);
    l->setObjectName(name);
    if (width) {
      l->setMinimumWidth(width);
      l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      l->setFrameShape(QFrame::StyledPanel);
    }
    row->addWidget(l);
    return l;
  };
  label("Label2", "X:", 0);
  lblLeft_ = label("lblLeft", "", 56);
  label("Label3", "Y:", 0);
  lblTop_ = label("lblTop", "", 56);
  row->addSpacing(12);
  sbMsg_ = new QLabel(frame);
  sbMsg_->setObjectName("sbMsg");
  row->addWidget(sbMsg_, 1);
  auto* size = new QWidget(frame);
  size->setObjectName("SizeFrame");
  auto* sizes = new QHBoxLayout(size);
  sizes->setContentsMargins(0, 0, 0, 0);
  auto sized = [&](const char* name, int number, const char* fallback, const char* valueName) {
    auto* l = new QLabel(CaptionOr(number, QString::fromUtf8(fallback)), size);
    l->setObjectName(name);
    sizes->addWidget(l);
    auto* v = new QLabel(size);
    v->setObjectName(valueName);
    v->setMinimumWidth(40);
    v->setFrameShape(QFrame::StyledPanel);
    sizes->addWidget(v);
    return v;
  };
  lblWidth_ = sized("Label5", 2204, "Breite:", "lblWidth");
  lblDepth_ = sized("Label8", 2205, "Tiefe:", "lblDepth");
  lblHeight_ = sized("Label7", 2206, "Höhe:", "lblHeight");
  row->addWidget(size);
  statusBar()->addWidget(frame, 1);
  statusBar()->setSizeGripEnabled(true);
}

void MainWindow::SetStatusMessage(const QString& text) {
  if (sbMsg_->text() != text) sbMsg_->setText(text);
}

// The engine counts half centimetres; the status bar shows centimetres.
void MainWindow::UpdateStatus(int x, int y, int buttons) {
  vCallTessel(TC_CursorPosition, x, y, buttons);
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  lblLeft_->setText(QString::number(info.lCursorX / 2.0, 'f', 1));
  lblTop_->setText(QString::number(info.lCursorY / 2.0, 'f', 1));
  lblLeft_->repaint();
  lblTop_->repaint();
  if (info.iSelProdId < 1) {
    SetStatusMessage("");
    lblWidth_->clear();
    lblDepth_->clear();
    lblHeight_->clear();
  }
}

void MainWindow::UpdateControlStates() {
  if (!tools_[9] || !iconbar_) return;  // still being built
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  const bool layout = workMode_ == kLayoutMode;
  if (info.bWalls == 0) {
    viewItems_[4]->setEnabled(false);
    SetToolbarButtonEnabled("design", false);
    SetToolboxButtonEnabled(8, false);
    SetToolboxButtonEnabled(9, false);
  } else if (layout) {
    viewItems_[4]->setEnabled(true);
    SetToolbarButtonEnabled("design", true);
    SetToolboxButtonEnabled(8, true);
    SetToolboxButtonEnabled(9, true);
  }
  const bool room = info.bWallRect != 0;
  for (int i : {2, 3, 4}) SetToolboxButtonEnabled(i, room);
  for (int i : {6, 7}) SetToolboxButtonEnabled(i, room && layout);
  SetToolboxButtonEnabled(1, info.bObjSel != 0);
  editItems_[0]->setEnabled(info.bUndoAvail != 0);
  SetToolbarButtonEnabled("undo", info.bUndoAvail != 0);
  editItems_[1]->setEnabled(info.bRedoAvail != 0);
  SetToolbarButtonEnabled("redo", info.bRedoAvail != 0);
  const bool products = info.iCountDesignItems >= 1;
  editItems_[3]->setEnabled(products);
  SetToolbarButtonEnabled("delete", products);
  viewItems_[6]->setEnabled(false);  // the product list comes with the catalogue
  SetToolbarButtonEnabled("list", products);
  const int zoom = Bridge().zoomIndex;
  SetToolbarButtonEnabled("zoomout", zoom != 2);
  SetToolbarButtonEnabled("zoomin", zoom != 8);
  if (!layout) {
    viewItems_[3]->setEnabled(true);
    SetToolbarButtonEnabled("base", true);
    viewItems_[4]->setEnabled(false);
    SetToolbarButtonEnabled("design", false);
  } else {
    viewItems_[3]->setEnabled(false);
    SetToolbarButtonEnabled("base", false);
  }
}

}  // namespace tessel
