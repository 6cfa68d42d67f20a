// Which commands a user can reach, derived from the engine's state alone, so that the
// rule can be read and tested without a window.
#pragma once

#include <array>

#include "shell/menu_items.h"
#include "vrx232.h"

namespace tessel {

struct ControlStates {
  std::array<bool, kToolCount> tools{};
  bool undo = false;         // edit item and toolbar button
  bool redo = false;         // edit item and toolbar button
  bool removeAll = false;    // "remove all products" item and the "delete" button
  bool productList = false;  // view item and the "list" button
  bool layoutMode = false;   // view item and the "base" button
  bool designMode = false;   // view item and the "design" button
  bool zoomOut = false;
  bool zoomIn = false;
  // Turning and copying need something selected; the command says what else stops it.
  bool turnAndCopy = false;  // the two turn items and buttons, and Duplicate
};

ControlStates DeriveControlStates(const EngineInfo& info, WorkMode mode, int zoomIndex);

// Commands whose windows do not exist yet stay disabled whatever the plan holds, so
// that nothing pretends to work.
bool CommandNotYetAvailable(Menu menu, int item);

}  // namespace tessel
