// Hit areas and selection: every drop of a selectable object registers its outline
// with its tag, the pointer hovers and selects through them, and a selected object
// can be lifted, moved, turned and deleted. Records are never hit-tested directly.
#include <cstring>

#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "products/products_p.h"
#include "view/view.h"

namespace vrx {

using namespace plat;

namespace {

constinit HitArea areas[kMaxHitAreas] = {};
constinit int areaLast = -1;
constinit bool tableFullTraced = false;

constexpr int kFullTurn = 360;

bool ViewReady() {
  return view.bufferDc && view.sheetDc && pointer.workWindow;
}

void CursorToSheet(std::int32_t* x, std::int32_t* y) {
  *x = core.cursorX - view.roomOriginX;
  *y = core.cursorY - view.roomOriginY;
}

// The tag of the highlighted area, -1 when none is.
int HighlightedTag() {
  return pointer.hover >= 0 && pointer.hover <= areaLast ? areas[pointer.hover].tag : -1;
}

int Sign(std::int64_t v) {
  return (v > 0) - (v < 0);
}

// The area's outline and diagonals in exclusive-or: drawing it twice removes it.
void DrawHighlight(int index) {
  if (index < 0 || index > areaLast || !pointer.workWindow) return;
  const HitArea& a = areas[index];
  POINT q[4];
  for (int i = 0; i < 4; ++i)
    q[i] = CursorToClient(a.x[i] + view.roomOriginX, a.y[i] + view.roomOriginY);
  HDC dc = GetDC(pointer.workWindow);
  if (!dc) return;
  const int oldRop = SetROP2(dc, R2_NOTXORPEN);
  HGDIOBJ oldPen = SelectObject(dc, view.tools.wallPen);
  CrossedBox(dc, q);
  SelectObject(dc, oldPen);
  SetROP2(dc, oldRop);
  ReleaseDC(pointer.workWindow, dc);
}

void Highlight(int index) {
  pointer.hover = index;
  core.selectedTag = index >= 0 ? areas[index].tag : -1;
  DrawHighlight(index);
}

// The angle an object can be turned from, or -1 when it cannot be turned. A product
// standing against a wall takes its direction from the wall: it is not turned.
std::int32_t AngleOf(const ObjectRecord& r) {
  const int kind = KindCodeOf(r.kind);
  const auto angle = static_cast<std::int32_t>(r.p2);
  if (kind == kKindInstWall || kind == kKindUserRect) return angle < 0 ? -1 : angle;
  if (kind == kKindProduct) {
    const std::uint32_t t = r.p1 & 0xFu;
    return t != 0 ? -1 : (angle < 0 ? -1 : angle);
  }
  return -1;
}

// An angle in whole degrees within one turn, so that turning back and forth never
// stores a negative angle, which would mean "cannot be turned".
std::int32_t WithinTurn(std::int64_t angle) {
  return static_cast<std::int32_t>(((angle % kFullTurn) + kFullTurn) % kFullTurn);
}

// Lifts the object behind `tag` and drops it at its own place again: its placement
// code redraws it with the record's new fields and registers its new outline.
void LiftAndPutBack(int tag) {
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r) return;
  const std::uint16_t x = r->x, y = r->y;
  core.cursorX = x + view.roomOriginX;
  core.cursorY = y + view.roomOriginY;
  bool lifted = false;
  LiftObject(tag, &lifted);
  if (!lifted) return;
  Drop(x, y);
  RECT window{};
  if (GetWindowRect(pointer.workWindow, &window)) {
    const POINT client = CursorToClient(core.cursorX, core.cursorY);
    SetCursorPos(window.left + client.x, window.top + client.y);
  }
}

void TurnSelected(bool by, std::int32_t value) {
  const int tag = HighlightedTag();
  if (tag < 0 || !ViewReady() || pointer.trackDraw) return;
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r) return;
  const std::int32_t angle = AngleOf(*r);
  if (angle < 0) return;
  const std::int32_t turned = WithinTurn(by ? std::int64_t{angle} + value : value);
  ObjectRecord* copy = ReplaceRecordOfTag(tag);
  if (!copy) return;
  copy->p2 = static_cast<std::uint32_t>(turned);
  LiftAndPutBack(tag);
}

// The tag the newest object of the current list has: a moved or turned object goes
// back in at the end of its list.
int NewestTag() {
  const ObjectList* list = core.current;
  if (list->count == 0) return -1;
  return list->count - 1 + (list == &core.design ? kDesignTagBase : 0);
}

// Highlights the object behind `tag` and fixes the selection on it, as a click on it
// would, so that the next key or command reaches the same object. False when no area
// has the tag.
bool SelectTag(int tag) {
  int found = -1;
  for (int k = 0; k <= areaLast; ++k)
    if (areas[k].tag == tag) found = k;
  if (found < 0) return false;
  ClearHover();
  Highlight(found);
  pointer.selected = true;
  return true;
}

// The kinds the keys move: products and the user's own shapes. Doors and windows
// follow their walls, and a free wall carries what stands against it.
bool Movable(int kind) {
  return kind == kKindProduct || kind == kKindUserRect || kind == kKindUserCircle;
}

// Mounting types 1-4 name the side of a product that stands against the wall; 5 is
// placed as 1, and 7 and above as the same side with the other bitmap. 6 leaves two
// sides of its outline out, which only the first side has: it keeps its side.
constexpr std::uint32_t kMountMask = 0xFu;
constexpr std::uint32_t kOtherBitmap = 6, kLastSide = 4, kAsFirstSide = 5;

// The mounting type with the next wall side clockwise (or anticlockwise); 0 when the
// product has no side to change.
std::uint32_t NextSide(std::uint32_t mount, bool clockwise) {
  const std::uint32_t base = mount > kOtherBitmap ? kOtherBitmap : 0;
  std::uint32_t side = mount - base;
  if (side == kAsFirstSide) side = 1;
  if (side < 1 || side > kLastSide) return 0;
  const std::uint32_t next = clockwise ? side % kLastSide + 1 : (side + 2) % kLastSide + 1;
  return base + next;
}

// Lifts the selected object (after `change` may have altered its record, copy on write)
// and drops it with its reference point at worksheet (x, y). Where it may not stand,
// or where it lands as it was, the plan is put back as it was. Either way the object
// stays selected. True when the plan changed: one history step.
template <typename Change>
bool Reposition(int tag, std::int32_t x, std::int32_t y, Change change) {
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r) return false;
  const ObjectRecord before = *r;
  if (!change(tag)) return false;
  core.cursorX = x + view.roomOriginX;
  core.cursorY = y + view.roomOriginY;
  bool lifted = false;
  LiftObject(tag, &lifted);
  if (!lifted) return false;
  Drop(kSheetWidth, kSheetHeight);
  if (pointer.trackDraw) {
    // Refused: the object would overlap something or leave the sheet.
    SetSelectCursor();
    SelectTag(tag);
    return false;
  }
  const int moved = NewestTag();
  const ObjectRecord* now = RecordOfTag(moved);
  if (now && now->x == before.x && now->y == before.y && now->p1 == before.p1 &&
      now->p2 == before.p2) {
    // A wall-mounted product that slid back onto its wall: nothing to undo later.
    DiscardNewestStep();
    SelectTag(tag);
    return false;
  }
  SelectTag(moved);
  return true;
}

}  // namespace

void ClearHitAreas() {
  areaLast = -1;
  tableFullTraced = false;
  pointer.hover = -1;
  pointer.selected = false;
  core.selectedTag = -1;
}

void RegisterHitArea(int tag, const POINT* polygon, int count) {
  if (tag < 0 || !polygon || count != 4) return;
  if (areaLast + 1 >= kMaxHitAreas) {
    // The extra objects cannot be hit; nothing else is overwritten.
    if (!tableFullTraced) EngineTrace("hit-area table full");
    tableFullTraced = true;
    return;
  }
  HitArea& a = areas[++areaLast];
  a.tag = tag;
  for (int i = 0; i < 4; ++i) {
    a.x[i] = polygon[i].x;
    a.y[i] = polygon[i].y;
    if (i == 0 || a.x[i] < a.minX) a.minX = a.x[i];
    if (i == 0 || a.x[i] > a.maxX) a.maxX = a.x[i];
    if (i == 0 || a.y[i] < a.minY) a.minY = a.y[i];
    if (i == 0 || a.y[i] > a.maxY) a.maxY = a.y[i];
  }
}

void ForgetHitAreasOf(int tag) {
  int kept = 0;
  for (int k = 0; k <= areaLast; ++k)
    if (areas[k].tag != tag) areas[kept++] = areas[k];
  // A highlighted area would now name another one: the highlight goes.
  if (kept != areaLast + 1) ClearHover();
  areaLast = kept - 1;
}

int HitTest(std::int32_t x, std::int32_t y) {
  int answer = -1;
  for (int k = 0; k <= areaLast; ++k) {
    const HitArea& a = areas[k];
    if (x < a.minX || x >= a.maxX || y < a.minY || y >= a.maxY) continue;
    int signs[4];
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      const std::int64_t ex = std::int64_t{a.x[j]} - a.x[i], ey = std::int64_t{a.y[j]} - a.y[i];
      const std::int64_t px = std::int64_t{x} - a.x[i], py = std::int64_t{y} - a.y[i];
      signs[i] = Sign(ex * py - ey * px);
    }
    // A point on a side has a zero there and so differs from the others: outside.
    if (signs[0] == signs[1] && signs[1] == signs[2] && signs[2] == signs[3]) answer = k;
  }
  if (answer >= 0 && areas[answer].tag < kDesignTagBase && InDesignMode()) return -1;
  return answer;
}

const HitArea* HitAreaAt(int index) {
  return index >= 0 && index <= areaLast ? &areas[index] : nullptr;
}

int HitAreaCount() {
  return areaLast + 1;
}

void ClearHover() {
  if (pointer.hover >= 0) DrawHighlight(pointer.hover);
  pointer.hover = -1;
  pointer.selected = false;
  core.selectedTag = -1;
}

void UpdateHover() {
  if (pointer.selected) return;
  std::int32_t x, y;
  CursorToSheet(&x, &y);
  const int hit = HitTest(x, y);
  if (hit < 0) {
    ClearHover();
  } else if (hit != pointer.hover) {
    ClearHover();
    Highlight(hit);
  }
}

void SelectObjectAtCursor() {
  std::int32_t x, y;
  CursorToSheet(&x, &y);
  if (HitTest(x, y) < 0) {
    pointer.selected = false;
    return;
  }
  // A click on another object moves the selection there.
  pointer.selected = false;
  UpdateHover();
  pointer.selected = pointer.hover >= 0;
}

long LiftObject(int tag, bool* lifted) {
  *lifted = false;
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r) return 0;
  const ObjectRecord copy = *r;
  const int kind = KindCodeOf(copy.kind);
  // The record's own name copy may be freed once it leaves the lists.
  char name[kMaxFileName + 1] = {};
  if (kind == kKindProduct) {
    const char* own = NameOf(copy.l0);
    std::strncpy(name, own ? own : "", kMaxFileName);
  }
  const std::int32_t anchorX = core.cursorX, anchorY = core.cursorY;
  ClearHover();
  if (!RemoveTag(tag)) return 0;
  RecordState();
  FullRedraw();
  if (kind == kKindProduct) std::memcpy(products.fileName, name, sizeof name);
  core.request = copy;
  HideFeedback();
  core.cursorX = anchorX;
  core.cursorY = anchorY;
  if (kind == kKindProduct) {
    // The name comes from the working buffer, as in a replay.
    core.replayMode = true;
    PutProduct();
    core.replayMode = false;
  } else {
    RunPlacementSetUp(kind);
  }
  if (!pointer.trackDrop) {
    // Its placement could not start (a bitmap gone, no wall left): the object goes
    // back where it was, and the removal cannot be redone.
    pointer.trackDraw = nullptr;
    DiscardNewestStep();
    core.cursorX = anchorX;
    core.cursorY = anchorY;
    return 0;
  }
  pointer.moving = true;
  core.cursorX = anchorX;
  core.cursorY = anchorY;
  ShowFeedback();
  *lifted = true;
  return kind == kKindProduct ? static_cast<long>(copy.p0) : 0;
}

long SelectObjectToCursor() {
  if (pointer.trackDraw) return 0;
  std::int32_t x, y;
  CursorToSheet(&x, &y);
  const int hit = HitTest(x, y);
  if (hit < 0) return 0;
  bool lifted = false;
  return LiftObject(areas[hit].tag, &lifted);
}

long DeleteSelectedObject() {
  const int tag = HighlightedTag();
  if (tag < 0 || pointer.trackDraw) return 0;
  if (!RecordOfTag(tag)) return 0;
  // The redraw after the removal counts the products left on each installation wall.
  ClearHover();
  if (RemoveTag(tag)) {
    RecordState();
    FullRedraw();
  }
  return 0;
}

long RotateTo(std::uint32_t angle) {
  TurnSelected(false, static_cast<std::int32_t>(angle));
  return 0;
}

long RotateBy(std::uint32_t angle) {
  TurnSelected(true, static_cast<std::int32_t>(angle));
  return 0;
}

long MoveSelectedBy(std::int32_t dx, std::int32_t dy) {
  const int tag = HighlightedTag();
  if (tag < 0 || !pointer.selected || !ViewReady() || pointer.trackDraw) return 0;
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r || !Movable(KindCodeOf(r->kind))) return 0;
  const std::int32_t x = std::int32_t{r->x} + dx, y = std::int32_t{r->y} + dy;
  if (x < 0 || x >= kSheetWidth || y < 0 || y >= kSheetHeight) return 0;
  return Reposition(tag, x, y, [](int) { return true; }) ? 1 : 0;
}

long TurnSelectedBy(std::int32_t delta) {
  const int tag = HighlightedTag();
  if (tag < 0 || !pointer.selected || !ViewReady() || pointer.trackDraw || delta == 0) return 0;
  const ObjectRecord* r = RecordOfTag(tag);
  if (!r) return 0;
  const bool product = KindCodeOf(r->kind) == kKindProduct;
  const std::uint32_t mount = product ? r->p1 & kMountMask : 0;
  const std::int32_t angle = AngleOf(*r);
  std::uint32_t side = 0;
  if (product && mount != 0) {
    side = NextSide(mount, delta > 0);
    if (side == 0) return 0;
  } else if (angle < 0) {
    return 0;
  }
  const auto turn = [&](int t) {
    ObjectRecord* copy = ReplaceRecordOfTag(t);
    if (!copy) return false;
    if (side != 0)
      copy->p1 = (copy->p1 & ~kMountMask) | side;
    else
      copy->p2 = static_cast<std::uint32_t>(WithinTurn(std::int64_t{angle} + delta));
    return true;
  };
  return Reposition(tag, r->x, r->y, turn) ? 1 : 0;
}

long GetSelectionOutline(std::int32_t* corners) {
  if (!corners || !pointer.selected || pointer.hover < 0 || pointer.hover > areaLast ||
      !pointer.workWindow)
    return 0;
  const HitArea& a = areas[pointer.hover];
  for (int i = 0; i < 4; ++i) {
    const POINT p = CursorToClient(a.x[i] + view.roomOriginX, a.y[i] + view.roomOriginY);
    corners[2 * i] = p.x;
    corners[2 * i + 1] = p.y;
  }
  return 1;
}

long SelectByTag(std::uint32_t tag) {
  // A placement or a move owns the pointer; a selection now would be dropped with it.
  if (pointer.trackDraw || pointer.moving) return 0;
  if (tag >= static_cast<std::uint32_t>(kDesignTagBase + kMaxListEntries)) return 0;
  const int t = static_cast<int>(tag);
  if (!RecordOfTag(t)) return 0;
  // A click in design mode passes over the room's own parts.
  if (t < kDesignTagBase && InDesignMode()) return 0;
  return SelectTag(t) ? 1 : 0;
}

}  // namespace vrx
