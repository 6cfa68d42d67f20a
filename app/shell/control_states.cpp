#include "shell/control_states.h"

namespace tessel {

// Every command's window exists now; the check stays for commands that come later.
bool CommandNotYetAvailable(Menu, int) {
  return false;
}

ControlStates DeriveControlStates(const EngineInfo& info, WorkMode mode, int zoomIndex) {
  ControlStates s;
  const bool layout = mode == kLayoutMode;
  const bool walls = info.bWalls != 0;
  const bool room = info.bWallRect != 0;
  // Selecting and the first wall rectangle are always possible; the rest needs a room.
  s.tools[kSelectTool] = true;
  s.tools[kWallRectTool] = true;
  s.tools[kDeleteTool] = info.bObjSel != 0;
  s.tools[kUserRectTool] = s.tools[kUserCircleTool] = s.tools[kFreeWallTool] = room;
  s.tools[kDiagonalCornerTool] = s.tools[kRoundCornerTool] = room && layout;
  // Doors and windows need a wall to sit in.
  s.tools[kDoorTool] = s.tools[kWindowTool] = walls;
  s.undo = info.bUndoAvail != 0;
  s.redo = info.bRedoAvail != 0;
  s.removeAll = info.iCountDesignItems >= 1;
  s.productList = info.iCountDesignItems >= 1 && !CommandNotYetAvailable(Menu::View, kProductList);
  // There is no furnishing without a room, and no switching to the mode one is in.
  s.designMode = layout && walls;
  s.layoutMode = !layout;
  s.zoomOut = zoomIndex > kFirstUserZoom;
  s.zoomIn = zoomIndex < kLastUserZoom;
  s.turnAndCopy = info.bObjSel != 0;
  return s;
}

}  // namespace tessel
