// The object table, the two lists and the records exchanged with the program.
#include <cstring>

#include "core/core.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {

constinit CoreState core;

namespace {

struct KindName {
  const char* name;
  int code;
};
constexpr KindName kKinds[] = {
    {"WALLRECT", kKindWallRect}, {"DIAGCRNR", kKindDiagCorner}, {"RNDCRNR", kKindRoundCorner},
    {"DOOR", kKindDoor},         {"WINDOW", kKindWindow},       {"INSTWALL", kKindInstWall},
    {"USERRECT", kKindUserRect}, {"USERCRCL", kKindUserCircle}, {"PRODUCT", kKindProduct}};

}  // namespace

int KindCodeOf(const char* kind) {
  for (const auto& k : kKinds)
    if (std::strncmp(kind, k.name, kKindNameSize) == 0) return k.code;
  return kKindUnknown;
}

const char* KindNameOf(int code) {
  for (const auto& k : kKinds)
    if (k.code == code) return k.name;
  return nullptr;
}

int AllocateRecord(int from) {
  for (int i = from < 0 ? 0 : from; i < kMaxRecords; ++i) {
    if (core.table[i].useCount < 1) {
      // A product record that fell free may still own its file-name copy until the
      // queue of freed names is next emptied; reusing the record frees it now.
      ObjectRecord& old = core.table[i];
      if (old.l0 && KindCodeOf(old.kind) == kKindProduct) FreeName(old.l0);
      core.table[i] = core.request;
      core.table[i].useCount = 1;
      return i;
    }
  }
  return -1;
}

bool ResolveTag(int tag, ObjectList** list, int* position) {
  if (tag < 0) return false;
  ObjectList* l = tag < kDesignTagBase ? &core.layout : &core.design;
  const int pos = tag < kDesignTagBase ? tag : tag - kDesignTagBase;
  if (pos >= l->count || pos >= kMaxListEntries) return false;
  if (l->entries[pos] >= kMaxRecords) return false;
  *list = l;
  *position = pos;
  return true;
}

int RecordNumberOfTag(int tag) {
  ObjectList* list;
  int pos;
  return ResolveTag(tag, &list, &pos) ? list->entries[pos] : -1;
}

ObjectRecord* RecordOfTag(int tag) {
  const int r = RecordNumberOfTag(tag);
  return r < 0 ? nullptr : &core.table[r];
}

ObjectRecord* ReplaceRecordOfTag(int tag) {
  ObjectList* list;
  int pos;
  if (!ResolveTag(tag, &list, &pos)) return nullptr;
  const ObjectRecord& old = core.table[list->entries[pos]];
  core.request = old;
  // The copy must own its name: the old record keeps its own for the history.
  if (KindCodeOf(old.kind) == kKindProduct) core.request.l0 = CopyName(NameOf(old.l0));
  const int fresh = AllocateRecord();
  if (fresh < 0) {
    if (KindCodeOf(old.kind) == kKindProduct) FreeName(core.request.l0);
    return nullptr;
  }
  list->entries[pos] = static_cast<std::uint16_t>(fresh);
  return &core.table[fresh];
}

bool RemoveTag(int tag) {
  ObjectList* list;
  int pos;
  if (!ResolveTag(tag, &list, &pos)) return false;
  std::memmove(&list->entries[pos], &list->entries[pos + 1],
               sizeof(std::uint16_t) * static_cast<std::size_t>(list->count - pos - 1));
  --list->count;
  list->entries[list->count] = 0;
  return true;
}

int InsertRequest(const char* kind) {
  if (core.replayMode) return core.replayTag;
  ObjectList* list = core.current;
  if (list->count >= kMaxListEntries) return -1;
  std::strncpy(core.request.kind, kind, kKindNameSize - 1);
  core.request.kind[kKindNameSize - 1] = '\0';
  const bool product = KindCodeOf(core.request.kind) == kKindProduct;
  if (product) {
    core.request.l0 = CopyName(products.fileName);
    if (!core.request.l0) return -1;
  }
  const auto originX = static_cast<std::uint16_t>(view.roomOriginX);
  const auto originY = static_cast<std::uint16_t>(view.roomOriginY);
  core.request.x = static_cast<std::uint16_t>(core.request.x - originX);
  core.request.y = static_cast<std::uint16_t>(core.request.y - originY);
  const int record = AllocateRecord();
  if (record < 0) {
    if (product) FreeName(core.request.l0);
    core.request.x = static_cast<std::uint16_t>(core.request.x + originX);
    core.request.y = static_cast<std::uint16_t>(core.request.y + originY);
    EngineTrace("InsertObject: object table full");
    return -1;
  }
  list->entries[list->count++] = static_cast<std::uint16_t>(record);
  ++core.insertions;
  RecordState();
  core.request.x = static_cast<std::uint16_t>(core.request.x + originX);
  core.request.y = static_cast<std::uint16_t>(core.request.y + originY);
  const int position = list->count - 1;
  return list == &core.design ? position + kDesignTagBase : position;
}

long GetInfo(EngineInfo* info) {
  if (!info) return -1;
  EngineInfo e{};
  e.lCursorX = core.cursorX;
  e.lCursorY = core.cursorY;
  e.hdcWorkSheet = static_cast<int>(view.sheetDc);
  e.hBmp = static_cast<int>(view.sheetBitmap);
  e.hPal = static_cast<int>(view.sheetPalette);
  e.iSerial = static_cast<int>(history.serial);
  for (int i = 0; i <= walls.last && i < kMaxWallSegments; ++i) {
    const auto kind = walls.segments[i].kind;
    if (kind == SEG_HWALL || kind == SEG_VWALL || kind == SEG_DIAGCRNR || kind == SEG_INSTWALL)
      e.bWalls = 1;
    if (kind == SEG_HWALL || kind == SEG_VWALL) e.bWallRect = 1;
    if (kind == SEG_WINDOW || kind == SEG_DOOR) e.bWinDoor = 1;
  }
  e.bObjSel = pointer.selected ? 1 : 0;
  e.bUndoAvail = UndoAvailable() ? 1 : 0;
  e.bRedoAvail = RedoAvailable() ? 1 : 0;
  // The highlighted object is the selection, whether or not a click fixed it.
  if (const ObjectRecord* r = RecordOfTag(core.selectedTag);
      r && KindCodeOf(r->kind) == kKindProduct)
    e.iSelProdId = static_cast<int>(r->p0);
  e.hwndMain = static_cast<int>(core.mainWindow);
  e.bObjAtCur = pointer.trackDraw ? 1 : 0;
  NormaliseDrawnExtent();
  e.iBoundLeft = view.drawnLeft;
  e.iBoundTop = view.drawnTop;
  e.iBoundRight = view.drawnRight;
  e.iBoundBottom = view.drawnBottom;
  const std::uint32_t version = plat::GetVersion();
  e.iWindowsVersion = static_cast<int>(version);
  e.bSystemIsWin32 = ((version & 1u) || version > 0x2000u) ? 1 : 0;
  e.iCountDesignItems = core.design.count;
  *info = e;
  return 0;
}

long GetObjectData(ObjectData* data) {
  if (!data) return -1;
  ObjectData d{};
  const ObjectRecord* r = RecordOfTag(core.selectedTag);
  if (r) {
    d.iKindCode = KindCodeOf(r->kind);
    d.p0 = static_cast<int>(r->p0);
    d.p1 = static_cast<int>(r->p1);
    d.p2 = static_cast<int>(r->p2);
    d.iSelection = core.selectedTag + 1;
    d.l0 = static_cast<int>(r->l0);
    d.l1 = static_cast<int>(r->l1);
  }
  *data = d;
  return 0;
}

long SetObjectData(const ObjectData* data) {
  if (!data) return -1;
  const ObjectData d = *data;
  // No selection (0, or any value below it) starts placing a new object. Only a kind
  // that is placed can be started: any other code would take the record's fields as
  // its arguments, and some of them read an address there.
  if (d.iSelection <= 0) {
    if (d.iKindCode < 0 || !IsPlacementCode(static_cast<unsigned>(d.iKindCode))) return 0;
    // A product names its bitmap by the number of a name copy; pass the name itself,
    // as PutProduct expects. A door's fourth value is its opening, never an address.
    long name = d.l0;
    if (d.iKindCode == kKindProduct)
      name = reinterpret_cast<long>(NameOf(static_cast<std::uint32_t>(d.l0)));
    Dispatch(static_cast<std::uint16_t>(d.iKindCode), static_cast<std::uint32_t>(d.p0),
             static_cast<std::uint32_t>(d.p1), static_cast<std::uint32_t>(d.p2), name, d.l1);
    return 0;
  }
  // One object at a time: an edit while another hangs at the cursor is ignored.
  const int tag = d.iSelection - 1;
  if (pointer.trackDraw || !RecordOfTag(tag)) return 0;
  ObjectRecord* copy = ReplaceRecordOfTag(tag);
  if (!copy) return 0;
  copy->p0 = static_cast<std::uint32_t>(d.p0);
  copy->p1 = static_cast<std::uint32_t>(d.p1);
  copy->p2 = static_cast<std::uint32_t>(d.p2);
  if (KindCodeOf(copy->kind) != kKindProduct) copy->l0 = static_cast<std::uint32_t>(d.l0);
  copy->l1 = static_cast<std::uint32_t>(d.l1);

  if (!view.bufferDc || !view.sheetDc || !pointer.workWindow) {
    // Without a work window nothing can hang at the cursor: the edit is one state
    // and a redraw.
    RecordState();
    FullRedraw();
    return 0;
  }
  // Lift the edited object itself (not whatever lies uppermost at its reference
  // point) and drop it where it was: its placement code redraws it, refits it to its
  // wall, and the whole edit is one history step.
  const std::uint16_t x = copy->x;
  const std::uint16_t y = copy->y;
  if (d.iKindCode != kKindDoor && d.iKindCode != kKindWindow) {
    core.cursorX = x + view.roomOriginX;
    core.cursorY = y + view.roomOriginY;
  }
  const std::int32_t anchorX = core.cursorX;
  const std::int32_t anchorY = core.cursorY;
  bool lifted = false;
  LiftObject(tag, &lifted);
  if (!lifted) return 0;
  core.cursorX = anchorX;
  core.cursorY = anchorY;
  Drop(x, y);

  plat::RECT window{};
  if (plat::GetWindowRect(pointer.workWindow, &window)) {
    const plat::POINT client = CursorToClient(core.cursorX, core.cursorY);
    plat::SetCursorPos(window.left + client.x, window.top + client.y);
  }
  return 0;
}

}  // namespace vrx
