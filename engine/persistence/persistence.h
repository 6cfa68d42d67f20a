// History of plan states behind undo and redo, the work modes, and plan files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/core.h"

namespace vrx {

struct HistorySlot {
  ObjectList layout;
  ObjectList design;
  std::uint32_t stamp;  // the serial it was recorded with; 0xFFFFFFFF = empty
  std::uint32_t pinned;
};

struct HistoryState {
  HistorySlot ring[kHistoryStates]{};
  int current = 0;
  std::uint32_t serial = kHistoryStates;
};
extern constinit HistoryState history;

constexpr std::uint32_t kEmptyStamp = 0xFFFFFFFFu;

void ResetHistory();
void RecordState();
void ForgetNewestState();
// Puts the lists back to the newest recorded state (a move whose drop inserted nothing
// returns to the state before its lift).
void ReturnToNewestState();
// The lists of the state before the newest one, when there is one.
bool ListsBeforeNewestState(ObjectList* layout, ObjectList* design);
void MakeRedoUnreachable();
void ClearHistory();
bool UndoAvailable();
bool RedoAvailable();
void UndoStep();
void RedoStep();
// Takes back the newest step for good: the plan as before it, redrawn, and no Redo to
// bring it back (an abandoned move or lift).
void DiscardNewestStep();
bool InDesignMode();

long Undo();
long Redo();
long ToggleWorkMode();
long SetLayoutMode();
long SetDesignMode();
long ClearDesign();
long NewLayout();

// A plan file's text, read whole before the lists change: TR_Done, or TR_NoCountKey
// (a section's count missing or beyond the lists) with the open plan left as it was.
long LoadPlanText(const char* data, std::size_t size, bool design);
// The text a save writes: the room, and with `design` the furnishing too.
std::string SavePlanText(bool design);
long LoadLayoutFile(const char* name);
long LoadDesignFile(const char* name);
long SaveLayoutFile(const char* name);
long SaveDesignFile(const char* name);

}  // namespace vrx
