// Undo, redo and the two work modes.
#include <cstring>

#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

namespace {

void RefreshView() {
  AdjustWindowBuffer(view.centerX - 1, view.centerY - 1, view.zoom);
}

void LeaveDesignMode() {
  core.design.count = 0;
  RecordState();
  // The redraw counts no product on the installation walls: the walls are free again.
  FullRedraw();
}

// Design mode shows the room dimmed under the furnishing. The furnishing is usually
// empty on the way in, and dimming the room's picture is then all; one that undo in
// layout mode brought back is drawn, so picture and product list show it.
void EnterDesignMode() {
  core.current = &core.design;
  if (core.design.count > 0)
    FullRedraw();
  else
    DimWorksheet();
}

}  // namespace

void DiscardNewestStep() {
  UndoStep();
  FullRedraw();
  MakeRedoUnreachable();
}

long Undo() {
  SetSelectCursor();
  UndoStep();
  FullRedraw();
  RefreshView();
  return 0;
}

long Redo() {
  SetSelectCursor();
  RedoStep();
  FullRedraw();
  if (!InDesignMode()) DrawRoomOutline();
  RefreshView();
  return 0;
}

long ToggleWorkMode() {
  if (InDesignMode()) {
    LeaveDesignMode();
    core.current = &core.layout;
    DrawRoomOutline();
  } else {
    EnterDesignMode();
  }
  RefreshView();
  return 0;
}

long SetLayoutMode() {
  if (!InDesignMode()) return 0;
  LeaveDesignMode();
  core.current = &core.layout;
  DrawRoomOutline();
  ClearHistory();
  RecordState();
  RefreshView();
  return 0;
}

long SetDesignMode() {
  if (InDesignMode()) return 0;
  EnterDesignMode();
  ClearHistory();
  RecordState();
  RefreshView();
  return 0;
}

long ClearDesign() {
  RecordState();
  ObjectList& d = core.design;
  int kept = 0;
  for (int i = 0; i < d.count; ++i)
    if (KindCodeOf(core.table[d.entries[i]].kind) != kKindProduct) d.entries[kept++] = d.entries[i];
  d.count = static_cast<std::uint16_t>(kept);
  RecordState();
  FullRedraw();
  return 0;
}

long NewLayout() {
  ClearHitAreas();
  ClearWorksheet();
  std::memset(&core.request, 0, sizeof core.request);
  std::memset(&core.layout, 0, sizeof core.layout);
  std::memset(&core.design, 0, sizeof core.design);
  ClearWallTable();
  core.current = &core.layout;
  return 0;
}

}  // namespace vrx
