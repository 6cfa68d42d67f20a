#include "shell/product_menu.h"

#include <QAction>
#include <QMenu>

#include "catalogue/product_bar.h"
#include "check/plan_check.h"
#include "check/product_position.h"
#include "dialogs/position_dialog.h"
#include "language/language.h"
#include "platform/window.h"
#include "shell/engine_bridge.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/plan_view.h"

namespace tessel {

namespace {

// The engine's answer to TC_MoveSelectedBy when the selection moved (0: refused).
constexpr long kMoved = 1;
// The mount code in a product record's p1; the bits above it name a wall.
constexpr int kMountBits = 0xF;
constexpr int kLastMountSide = kMountLeft;

enum MenuText {
  kTextMountingSide = 2530,
  kTextPosition = 7800,
  kTextRotation = 7801,
  kTextProperties = 7802,
  kTextNoWall = 7810,
  kTextTooWide = 7811,
  kTextRefused = 7812,
  kTextNotFound = 7815,
  kTextSlanted = 7660,
};

// Why a product against a slanted wall is not placed by typed distances: the dialog
// asks for distances from the room's walls, level along the sheet, and on a slanted
// wall each of them moves the product along that wall, changing the other as well; the
// typed pair would name a point off the wall, and the product would not land where the
// user typed. On a diagonal corner's short cut there is hardly any room to slide
// anyway. Dragging it along its wall shows both distances live, which is what a user
// can act on.
QString SlantedText() {
  return CaptionOr(kTextSlanted,
                   "This product stands against a slanted wall and slides only along it, so it "
                   "cannot be placed by its distances from the room's walls. Drag it along its "
                   "wall instead: the status bar shows its distances while it moves.");
}

QString RefusalText(const PositionOffset& offset, const TypedPosition& typed) {
  const QString names[4] = {
      CaptionOr(7804, "from the left wall"), CaptionOr(7806, "from the top wall"),
      CaptionOr(7805, "from the right wall"), CaptionOr(7807, "from the bottom wall")};
  const QString side = names[offset.side];
  switch (offset.refusal) {
    case PositionRefusal::kNone:
      return {};
    case PositionRefusal::kNoWall:
      return CaptionOr(kTextNoWall,
                       "No wall lies on that side of the product: %1 cannot be measured.")
          .arg(side);
    case PositionRefusal::kSlanted:
      return SlantedText();
    case PositionRefusal::kTooWide: {
      const int cm = offset.side % 2 == 0 ? typed.acrossCm : typed.upDownCm;
      return CaptionOr(kTextTooWide,
                       "%1 cm %2 does not fit: the product has room for at most %3 cm before the "
                       "wall on its other side.")
          .arg(cm)
          .arg(side)
          .arg(offset.roomCm);
    }
  }
  return {};
}

}  // namespace

bool MainWindow::ProductContextMenu(int x, int y) {
  BridgeState& b = Bridge();
  ReadInfo();
  // While something hangs at the pointer a right click places nothing and edits nothing.
  if (b.infoRecord.bObjAtCur || ReadObjectData() != 0 ||
      b.objectDataRead.iKindCode != TC_PutProduct)
    return false;
  // The right click selects what it points at, as a left click does: the menu's
  // commands work on the selection.
  if (!b.infoRecord.bObjSel) {
    vCallTessel(TC_DropCursor, x, y, 0);
    if (ReadObjectData() != 0 || b.objectDataRead.iKindCode != TC_PutProduct) return false;
  }
  const int mount = b.objectDataRead.p1 & kMountBits;
  QMenu menu(this);
  menu.setObjectName(kProductMenuName);
  QString caption = CaptionOr(kTextProperties, "&Properties\u2026");
  if (mount == kMountRotated)
    caption = CaptionOr(kTextRotation, "&Rotation\u2026");
  else if (mount <= kLastMountSide)
    caption = CaptionOr(kTextMountingSide, "Mounting side") + QString::fromUtf8("\u2026");
  QAction* properties = menu.addAction(caption);
  properties->setObjectName(kPropertiesItemName);
  // Products that stand as the catalogue fixes them have nothing to choose.
  properties->setEnabled(mount <= kLastMountSide);
  QAction* position = menu.addAction(CaptionOr(kTextPosition, "&Position\u2026"));
  position->setObjectName(kPositionItemName);
  UpdateControlStates();
  QAction* chosen = menu.exec(view_->mapToGlobal(QPoint(x, y)));
  if (chosen == properties)
    productBar_->EditSelectedProduct();
  else if (chosen == position)
    PositionSelectedProduct();
  return true;
}

void MainWindow::PositionSelectedProduct() {
  BridgeState& b = Bridge();
  if (ReadObjectData() != 0 || b.objectDataRead.iKindCode != TC_PutProduct) return;
  const QString title = CaptionOr(7803, "Position of the product");
  PlanText plan;
  const CheckCatalogue catalogue = CheckCatalogueOf(productBar_->Products());
  const ProductStand stand =
      ReadCurrentPlan(&plan)
          ? StandOf(plan, catalogue, b.objectDataRead.iSelection - 1 - kDesignTagBase)
          : ProductStand{};
  if (!stand.found) {
    ShowMessage(CaptionOr(kTextNotFound,
                          "The catalogue does not give this product's size, so its distances "
                          "from the walls cannot be worked out."),
                title, plat::MB_ICONWARNING);
    return;
  }
  if (stand.slanted) {
    ShowMessage(SlantedText(), title, plat::MB_ICONINFORMATION);
    return;
  }
  ProductPositionDialog dialog(this);
  TypedPosition typed;
  auto refusal = [&stand](const TypedPosition& t) { return RefusalText(OffsetFor(stand, t), t); };
  if (!dialog.Ask(stand, refusal, &typed)) return;
  const PositionOffset offset = OffsetFor(stand, typed);
  if (offset.dx == 0 && offset.dy == 0) return;
  // The engine's move of the selection, one history step; refused, it leaves all as it was.
  if (vCallTessel(TC_MoveSelectedBy, offset.dx, offset.dy, 0) != kMoved)
    ShowMessage(CaptionOr(kTextRefused,
                          "The product cannot stand there: it would overlap a wall or another "
                          "product at the same height, or leave the plan. It stays where it was."),
                title, plat::MB_ICONWARNING);
  UpdateControlStates();
}

}  // namespace tessel
