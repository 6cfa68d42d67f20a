// The ring of plan states. A state copies the two lists of record numbers, never the
// records: use counts keep a record alive while any list or state holds it, and
// every change to a record is a copy, so a saved state never changes under undo.
#include <cstring>
#include <initializer_list>

#include "persistence/persistence.h"

namespace vrx {

constinit HistoryState history;

namespace {

int Slot(int offset) {
  return ((history.current + offset) % kHistoryStates + kHistoryStates) % kHistoryStates;
}

template <typename Fn>
void ForEachRecord(const HistorySlot& slot, Fn fn) {
  for (int i = 0; i < slot.layout.count && i < kMaxListEntries; ++i) fn(slot.layout.entries[i]);
  for (int i = 0; i < slot.design.count && i < kMaxListEntries; ++i) fn(slot.design.entries[i]);
}

// Use counts are worked out afresh from the lists and the pinned states: a record
// in a list counts 1, and each occurrence in a pinned state 1 more. Adjusting them
// step by step lets a record that undo freed and redo brought back count one holder
// too few, and a later release would then free it under a state that still holds it.
void Recount() {
  static std::int16_t counts[kMaxRecords];
  std::memset(counts, 0, sizeof counts);
  for (auto& record : core.table) record.mark = 0;
  for (const ObjectList* list : {&core.layout, &core.design})
    for (int i = 0; i < list->count && i < kMaxListEntries; ++i)
      if (list->entries[i] < kMaxRecords) core.table[list->entries[i]].mark = 1;
  for (int r = 0; r < kMaxRecords; ++r) counts[r] = static_cast<std::int16_t>(core.table[r].mark);
  for (const HistorySlot& slot : history.ring) {
    if (!slot.pinned) continue;
    ForEachRecord(slot, [](std::uint16_t r) {
      if (r < kMaxRecords) ++counts[r];
    });
  }
  for (int r = 0; r < kMaxRecords; ++r) {
    ObjectRecord& record = core.table[r];
    if (record.useCount >= 1 && counts[r] == 0 && KindCodeOf(record.kind) == kKindProduct)
      QueueFreedRecord(r);
    // A record outside every list and state stays free even if something wrote to it.
    if (record.useCount >= 1 || counts[r] > 0) record.useCount = counts[r];
  }
}

void Pin(HistorySlot& slot) {
  if (slot.pinned) return;
  slot.pinned = 1;
  Recount();
}

void Release(HistorySlot& slot) {
  if (!slot.pinned) return;
  slot.pinned = 0;
  Recount();
}

}  // namespace

void ResetHistory() {
  std::memset(&history.ring, 0, sizeof history.ring);
  for (auto& slot : history.ring) slot.stamp = kEmptyStamp;
  history.current = 0;
  history.serial = kHistoryStates;
}

void RecordState() {
  HistorySlot& slot = history.ring[history.current];
  Release(slot);
  ReleaseQueuedNames();
  slot.layout = core.layout;
  slot.design = core.design;
  Pin(slot);
  slot.stamp = history.serial;
  history.current = Slot(1);
  ++history.serial;
  // A state recorded after undoing several steps starts a new branch. The slot after
  // it may still carry the stamp the old branch gave it, which would offer that state
  // (its records already released) to redo.
  HistorySlot& next = history.ring[history.current];
  if (next.stamp == history.serial) next.stamp = kEmptyStamp;
}

bool UndoAvailable() {
  return history.ring[Slot(-2)].stamp == history.serial - 2;
}
bool RedoAvailable() {
  return history.ring[history.current].stamp == history.serial;
}

void UndoStep() {
  if (!UndoAvailable()) return;
  --history.serial;
  const HistorySlot& back = history.ring[Slot(-2)];
  core.layout = back.layout;
  core.design = back.design;
  history.current = Slot(-1);
  Release(history.ring[history.current]);
}

void RedoStep() {
  if (!RedoAvailable()) return;
  HistorySlot& slot = history.ring[history.current];
  core.layout = slot.layout;
  core.design = slot.design;
  Pin(slot);
  history.current = Slot(1);
  ++history.serial;
}

void ForgetNewestState() {
  HistorySlot& newest = history.ring[Slot(-1)];
  if (newest.stamp != history.serial - 1) return;
  newest.stamp = kEmptyStamp;
  --history.serial;
  history.current = Slot(-1);
  Release(history.ring[history.current]);
}

void ReturnToNewestState() {
  const HistorySlot& newest = history.ring[Slot(-1)];
  if (newest.stamp != history.serial - 1) return;
  core.layout = newest.layout;
  core.design = newest.design;
  Recount();
}

bool ListsBeforeNewestState(ObjectList* layout, ObjectList* design) {
  if (!UndoAvailable()) return false;
  const HistorySlot& before = history.ring[Slot(-2)];
  *layout = before.layout;
  *design = before.design;
  return true;
}

void MakeRedoUnreachable() {
  history.ring[history.current].stamp = kEmptyStamp;
}

void ClearHistory() {
  for (auto& slot : history.ring) {
    Release(slot);
    slot.stamp = kEmptyStamp;
  }
  // With no state pinned, the lists alone hold records: those they dropped fall free.
  Recount();
  ReleaseQueuedNames();
  history.current = 0;
  history.serial += kHistoryStates;
}

bool InDesignMode() {
  return core.current == &core.design;
}

}  // namespace vrx
