// The strips around the work window: the toolbar, the toolbox with its drawing tools
// and the status bar, and the one place that derives every enabled state from the
// engine's state.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "catalogue/product_bar.h"
#include "dialogs/dialogs.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/icons.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/plan_view.h"
#include "shell/toolbox_button.h"

namespace tessel {

namespace {

// A toolbar button: its key, the caption number of its tooltip and help, and the menu
// command it stands for (the zoom buttons and "info" have none).
struct Button {
  const char* key;
  int tag;
  Menu menu;
  int item;
};
constexpr int kNoItem = -1;
const Button kButtons[] = {
    {"new", 1300, Menu::Project, kNew},
    {"open", 1301, Menu::Project, kOpen},
    {"save", 1302, Menu::Project, kSave},
    {"print", 1303, Menu::Project, kPrint},
    {"undo", 1304, Menu::Edit, kUndo},
    {"redo", 1305, Menu::Edit, kRedo},
    {"delete", 1306, Menu::Edit, kRemoveAllProducts},
    {"rotateleft", 1506, Menu::Edit, kRotateLeft},
    {"rotateright", 1507, Menu::Edit, kRotateRight},
    {"zoomout", 1307, Menu::View, kNoItem},
    {"zoomin", 1308, Menu::View, kNoItem},
    {"base", 1309, Menu::View, kLayoutModeItem},
    {"design", 1310, Menu::View, kDesignModeItem},
    {"list", 1311, Menu::View, kProductList},
    {"info", 1312, Menu::Help, kNoItem},
    {"helpon", 1313, Menu::Help, kHelpMode},
};

const Button* FindButton(const QString& key) {
  for (const Button& b : kButtons)
    if (key == b.key) return &b;
  return nullptr;
}

// A button is never more available than the command behind it.
bool NotYetAvailable(const QString& key) {
  const Button* b = FindButton(key);
  return b && b->item != kNoItem && CommandNotYetAvailable(b->menu, b->item);
}

// Status bar spacing in pixels: tight enough for the smallest window.
constexpr int kStatusMargin = 4, kStatusSpacing = 4;
// Room for a value box's frame and a little air around the digits.
constexpr int kValuePadding = 8;

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
    if (key == "undo" || key == "rotateleft" || key == "zoomout" || key == "base" || key == "info")
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
  if (key == "zoomout") {
    if (zoom > kFirstUserZoom) SetZoom(zoom - 1);
  } else if (key == "zoomin") {
    if (zoom < kLastUserZoom) SetZoom(zoom + 1);
  } else if (key == "info") {
    ShowHelpMessage(button->property("tag").toInt());
  } else if (const Button* b = FindButton(key); b && b->item != kNoItem) {
    MenuClick(b->menu, b->item);
  }
}

void MainWindow::ShowHelpMessage(int number) {
  ShowMessage(GetHelp(number), GetCaption(number), plat::MB_ICONINFORMATION);
  helpMode_ = false;
  unsetCursor();
}

void MainWindow::InitToolbox() {
  auto* grid = new QGridLayout(toolbox_);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  for (int i = 0; i < kToolCount; ++i) {
    auto* button = new ToolboxButton(i, toolbox_);
    button->setEnabled(false);
    button->setProperty("tag", kToolCaptionBase + i);
    button->setToolTip(GetCaption(kToolCaptionBase + i));
    button->setVisible(!(workMode_ == kDesignMode && i >= kFirstRoomTool));
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
  hoverIndex_ = kNoTool;
  SetToolboxButtonEnabled(kSelectTool, true);
  SetToolboxButtonEnabled(kWallRectTool, true);
}

void MainWindow::SetToolboxButtonEnabled(int index, bool enabled) {
  ToolboxButton* button = tools_[index];
  if (button->isEnabled() == enabled) return;
  button->setEnabled(enabled);
  button->Show(enabled ? ToolboxButton::kNormal : ToolboxButton::kDisabled);
}

void MainWindow::UpdateToolboxForMode() {
  for (int i = kFirstRoomTool; i < kToolCount; ++i) tools_[i]->setVisible(workMode_ == kLayoutMode);
}

void MainWindow::ClearToolboxHover() {
  if (hoverIndex_ >= kNoTool) return;
  if (tools_[hoverIndex_]->isEnabled()) tools_[hoverIndex_]->Show(ToolboxButton::kNormal);
  hoverIndex_ = kNoTool;
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
    ShowHelpMessage(kToolCaptionBase + index);
    return;
  }
  // What hangs at the pointer from now on is the tool's, not the bar's product.
  productBar_->ForgetHung();
  ToolHovered(index);
  tools_[index]->Show(ToolboxButton::kPressed);
  DialogResults& d = Dialog();
  d.cancelled = true;
  switch (index) {
    case kSelectTool:
      vCallTessel(TC_SetSelectCursor, 0, 0, 0);
      break;
    case kDeleteTool:
      vCallTessel(TC_DeleteSelectedObject, 0, 0, 0);
      UpdateControlStates();
      break;
    default: {
      ReadInfo();
      if (!RunToolDialog(index, Bridge().infoRecord.bWallRect != 0, this)) break;
      const std::int32_t v1 = d.value1, v2 = d.value2, v3 = d.value3;
      switch (index) {
        case kUserRectTool:
          vCallTessel(TC_PutUserRect, v1, v2, v3);
          break;
        case kUserCircleTool:
          vCallTessel(TC_PutUserCircle, v1, 0, 0);
          break;
        case kFreeWallTool:
          vCallTessel(TC_PutFreeWall, v1, v2, v3);
          break;
        case kWallRectTool:
          vCallTessel(TC_PutWallRectangle, v1, v2, v3);
          break;
        case kDiagonalCornerTool:
          vCallTessel(TC_PutDiagonalCorner, v1, v2, 0);
          break;
        case kRoundCornerTool:
          vCallTessel(TC_PutRoundCorner, v1, v2, 0);
          break;
        case kDoorTool:
          vCallTessel(TC_PutDoor, v1, v2, v3, QVariant(d.flags));
          break;
        case kWindowTool:
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
  auto* row = new QHBoxLayout(frame);
  row->setContentsMargins(kStatusMargin, 0, kStatusMargin, 0);
  row->setSpacing(kStatusSpacing);
  // Value boxes as wide as the longest value they show, so that nothing is cut in the
  // smallest window and nothing jumps while the pointer moves.
  const QFontMetrics metrics = fontMetrics();
  const int cursorWidth = metrics.horizontalAdvance("-9999.9") + kValuePadding;
  const int sizeWidth = metrics.horizontalAdvance("999") + kValuePadding;
  auto value = [](QWidget* parent, const char* name, int width) {
    auto* v = new QLabel(parent);
    v->setObjectName(name);
    v->setMinimumWidth(width);
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    v->setFrameShape(QFrame::StyledPanel);
    return v;
  };
  auto caption = [](QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
  };
  row->addWidget(caption(frame, "Label2", "X:"));
  row->addWidget(lblLeft_ = value(frame, "lblLeft", cursorWidth));
  row->addWidget(caption(frame, "Label3", "Y:"));
  row->addWidget(lblTop_ = value(frame, "lblTop", cursorWidth));
  sbMsg_ = new QLabel(frame);
  sbMsg_->setObjectName("sbMsg");
  // A long message is cut rather than widening the window.
  sbMsg_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(sbMsg_, 1);
  auto* size = new QWidget(frame);
  size->setObjectName("SizeFrame");
  auto* sizes = new QHBoxLayout(size);
  sizes->setContentsMargins(0, 0, 0, 0);
  sizes->setSpacing(kStatusSpacing);
  auto sized = [&](const char* name, int number, const char* fallback, const char* valueName) {
    sizes->addWidget(caption(size, name, CaptionOr(number, QString::fromUtf8(fallback))));
    QLabel* v = value(size, valueName, sizeWidth);
    sizes->addWidget(v);
    return v;
  };
  lblWidth_ = sized("Label5", 2204, "Breite:", "lblWidth");
  lblDepth_ = sized("Label8", 2205, "Tiefe:", "lblDepth");
  lblHeight_ = sized("Label7", 2206, "Höhe:", "lblHeight");
  row->addWidget(size);
  // The sizes say something only while a product is selected; until then their room
  // goes to the message line, which the smallest window needs.
  size->hide();
  sizeFrame_ = size;
  statusBar()->addWidget(frame, 1);
  statusBar()->setSizeGripEnabled(true);
}

void MainWindow::SetStatusMessage(const QString& text) {
  if (sbMsg_->text() != text) sbMsg_->setText(text);
}

// The engine counts half centimetres; the status bar shows centimetres.
namespace {
constexpr int kLeftButton = 1;  // in the buttons the work window reports
}  // namespace

void MainWindow::UpdateStatus(int x, int y, int buttons) {
  // A press on a selected product may start a drag of it: its values are taken now,
  // before the engine lifts it out of the plan.
  const bool pressed = (buttons & kLeftButton) != 0;
  if (!pressed) {
    dragged_ = {};
    draggedTag_ = -1;
  } else if (dragged_.id == 0 && !Bridge().infoRecord.bObjAtCur &&
             Bridge().infoRecord.iSelProdId > 0 && ReadObjectData() == 0 &&
             Bridge().objectDataRead.iKindCode == TC_PutProduct) {
    const ObjectData& d = Bridge().objectDataRead;
    dragged_ = {d.p0, d.p1, d.p2};
    draggedTag_ = d.iSelection - 1;
  }
  vCallTessel(TC_CursorPosition, x, y, buttons);
  RefreshSelection();
  ReadInfo();
  const EngineInfo& info = Bridge().infoRecord;
  if (!info.bObjAtCur && !pressed) productBar_->ForgetHung();
  if (info.bObjAtCur && workMode_ == kDesignMode) {
    const HangingProduct hanging =
        pressed ? dragged_
                : HangingProduct{static_cast<int>(productBar_->Hung().id),
                                 productBar_->Hung().mount, productBar_->Hung().angle};
    if (hanging.id > 0) {
      ShowLiveDistances(hanging);
      return;
    }
  }
  lblLeft_->setText(QString::number(info.lCursorX / 2.0, 'f', 1));
  lblTop_->setText(QString::number(info.lCursorY / 2.0, 'f', 1));
  lblLeft_->repaint();
  lblTop_->repaint();
  if (info.iSelProdId < 1) {
    SetStatusMessage("");
    lblWidth_->clear();
    lblDepth_->clear();
    lblHeight_->clear();
    sizeFrame_->hide();
  } else {
    productBar_->ShowSelectedProduct(info.iSelProdId);
  }
}

// The four distances of the hanging product in the status line. The obstacles are laid
// out again only when the plan has changed (a drag's lift changes it once).
void MainWindow::ShowLiveDistances(const HangingProduct& hanging) {
  const EngineInfo& info = Bridge().infoRecord;
  if (!liveDistances_ || liveDistancesSerial_ != info.iSerial ||
      liveDistancesExcluded_ != draggedTag_) {
    liveDistancesSerial_ = info.iSerial;
    liveDistancesExcluded_ = draggedTag_;
    PlanText plan;
    liveDistances_ = std::make_unique<DistanceMap>();
    if (ReadCurrentPlan(&plan)) {
      // The dragged product is no obstacle to itself, in whichever list it stands.
      const bool design = draggedTag_ >= kDesignTagBase;
      QList<PlanRecord>& list = design ? plan.design : plan.layout;
      const int position = design ? draggedTag_ - kDesignTagBase : draggedTag_;
      if (position >= 0 && position < list.size() && list[position].kind == "PRODUCT")
        list.removeAt(position);
      *liveDistances_ = DistanceMap(plan, CheckCatalogueOf(productBar_->Products()));
    }
  }
  const QPointF pointer = QPointF(info.lCursorX, info.lCursorY) + liveDistances_->Origin();
  const std::array<int, 4> d = liveDistances_->Distances(liveDistances_->Place(hanging, pointer));
  auto cm = [](int v) { return v < 0 ? QString("\u2013") : QString::number(v); };
  SetStatusMessage(CaptionOr(7640, "Distances: left %1 cm, top %2 cm, right %3 cm, bottom %4 cm")
                       .arg(cm(d[0]), cm(d[1]), cm(d[2]), cm(d[3])));
}

void MainWindow::UpdateControlStates() {
  if (!tools_[kWindowTool] || !iconbar_) return;  // still being built
  ObserveChanges();
  ControlStates c = DeriveControlStates(Bridge().infoRecord, workMode_, Bridge().zoomIndex);
  // Undo and redo also step over a switch of the work mode.
  c.undo = c.undo || CanUndoAcrossSwitch();
  c.redo = c.redo || CanRedoAcrossSwitch();
  for (int i = 0; i < kToolCount; ++i) SetToolboxButtonEnabled(i, c.tools[i]);
  editItems_[kUndo]->setEnabled(c.undo);
  SetToolbarButtonEnabled("undo", c.undo);
  editItems_[kRedo]->setEnabled(c.redo);
  SetToolbarButtonEnabled("redo", c.redo);
  editItems_[kRemoveAllProducts]->setEnabled(c.removeAll);
  SetToolbarButtonEnabled("delete", c.removeAll);
  viewItems_[kProductList]->setEnabled(c.productList);
  SetToolbarButtonEnabled("list", c.productList);
  viewItems_[kLayoutModeItem]->setEnabled(c.layoutMode);
  SetToolbarButtonEnabled("base", c.layoutMode);
  viewItems_[kDesignModeItem]->setEnabled(c.designMode);
  SetToolbarButtonEnabled("design", c.designMode);
  SetToolbarButtonEnabled("zoomout", c.zoomOut);
  SetToolbarButtonEnabled("zoomin", c.zoomIn);
  for (int item : {kRotateLeft, kRotateRight, kDuplicate})
    editItems_[item]->setEnabled(c.turnAndCopy);
  SetToolbarButtonEnabled("rotateleft", c.turnAndCopy);
  SetToolbarButtonEnabled("rotateright", c.turnAndCopy);
  RefreshSelection();
}

}  // namespace tessel
