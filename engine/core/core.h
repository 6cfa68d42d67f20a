// The engine core: the object table, the two lists, the request block, the
// records exchanged with the program, and the dispatch of function codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/limits.h"
#include "platform/gdi.h"
#include "vrx232.h"

namespace vrx {

// One plan object. The layout is part of the engine's contract: history states and
// plan files are built from whole records.
struct ObjectRecord {
  char kind[kKindNameSize];
  std::uint16_t x;  // worksheet pixels of the reference point
  std::uint16_t y;
  std::int16_t useCount;  // 0 free, 1 in a list, more when history states hold it too
  std::uint16_t mark;
  std::uint32_t p0;
  std::uint32_t p1;
  std::uint32_t p2;
  std::uint32_t l0;  // for products: the number of the record's file-name copy
  std::uint32_t l1;
};
static_assert(sizeof(ObjectRecord) == 40);

// Record numbers in drawing order.
struct ObjectList {
  std::uint16_t count;
  std::uint16_t entries[kMaxListEntries];
};
static_assert(sizeof(ObjectList) == 1024);

// A kind's code equals the function code that places it.
enum KindCode : int {
  kKindWallRect = 3,
  kKindDiagCorner = 4,
  kKindRoundCorner = 5,
  kKindDoor = 6,
  kKindWindow = 7,
  kKindInstWall = 8,
  kKindUserRect = 9,
  kKindUserCircle = 10,
  kKindProduct = 12,
  kKindUnknown = -1,
};
int KindCodeOf(const char* kind);
// The kind name for a code, or nullptr.
const char* KindNameOf(int code);

// --- Process-global state ---------------------------------------------------------

struct CoreState {
  bool initialised = false;
  ObjectRecord table[kMaxRecords]{};
  ObjectRecord request{};
  ObjectList layout{};
  ObjectList design{};
  ObjectList* current = &layout;
  bool replayMode = false;
  int replayTag = -1;
  std::int32_t cursorX = 0;  // room coordinates
  std::int32_t cursorY = 0;
  plat::HWND mainWindow = 0;
  int selectedTag = -1;  // -1: nothing selected
  // Objects that entered a list, so a drop can tell whether its commit inserted one.
  std::uint32_t insertions = 0;
};
extern constinit CoreState core;

// The object hanging at the cursor draws itself with TrackDraw (exclusive-or, so a
// second call erases it) and commits itself with TrackDrop.
using TrackFn = void (*)();
struct PointerState {
  plat::HWND workWindow = 0;
  TrackFn trackDraw = nullptr;
  TrackFn trackDrop = nullptr;
  bool feedbackShown = false;
  // Set while a pointer move hides the feedback it shows again at once: a feedback may
  // then leave its pixels for the showing to keep or erase.
  bool holdFeedback = false;
  bool dropAllowed = true;
  bool moving = false;
  bool dragging = false;
  bool selected = false;
  std::uint16_t buttons = 0;
  int hover = -1;
  std::int32_t lastX = 0x7FFFFFFF;  // the cursor the previous pointer move computed
  std::int32_t lastY = 0x7FFFFFFF;
};
extern constinit PointerState pointer;

void HideFeedback();
void ShowFeedback();
long SetWorkWindow(plat::HWND window);
long PassWindowMessage(plat::HWND window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam);
long CursorPosition(std::uint32_t x, std::uint32_t y, std::uint32_t buttons);
// A drop coordinate at or beyond the worksheet leaves the cursor where it is.
constexpr std::uint32_t kDropAtCursor = 9999;
long Drop(std::uint32_t x, std::uint32_t y);
long SetSelectCursor();
// The engine cursor (room coordinates) as client pixels of the work window.
plat::POINT CursorToClient(std::int32_t x, std::int32_t y);

// --- Records, lists and tags --------------------------------------------------------

// First free record (use count below 1) filled from the request block; -1 if the
// table is full. A caller that fills many records in a row, with nothing freed in
// between, passes the record after its last one: every record below it is in use.
int AllocateRecord(int from = 0);
// The list a tag points into and the position in it; false for an invalid tag.
bool ResolveTag(int tag, ObjectList** list, int* position);
// The record a valid tag names, or nullptr.
ObjectRecord* RecordOfTag(int tag);
int RecordNumberOfTag(int tag);
// Copy on write: the tag's list entry gets a fresh copy of its record; the old one
// stays for the history states that hold it. Returns the new record or nullptr.
ObjectRecord* ReplaceRecordOfTag(int tag);
// Removes a list entry; later tags move down by one.
bool RemoveTag(int tag);
// The one way objects enter a list. Returns the new tag, the replay tag during a
// replay, or -1 when the list or the table is full.
int InsertRequest(const char* kind);

// --- File-name copies of products ---------------------------------------------------

// A product record cannot hold an address in its 32-bit field, so it holds the number
// of a heap copy kept here. 0 means none.
std::uint32_t CopyName(const char* name);
const char* NameOf(std::uint32_t number);
void FreeName(std::uint32_t number);
// The name a PutProduct call passed: valid only while that call runs.
constexpr std::uint32_t kCallerName = 0xFFFFFFFFu;
void SetCallerName(const char* name);
// A product record fell free: its name is released at the next recorded state.
void QueueFreedRecord(int record);
void ReleaseQueuedNames();
void ResetNames();

// --- Records exchanged with the program ---------------------------------------------

long GetInfo(EngineInfo* info);
long GetObjectData(ObjectData* data);
long SetObjectData(const ObjectData* data);

// --- Dispatch -------------------------------------------------------------------------

struct CallArgs {
  std::uint16_t code;
  std::uint32_t w0, w1, w2;
  long l0, l1;
  const char* fileName;  // the bounded copy, for the codes that take a file name
};
using Handler = long (*)(const CallArgs& args);
constexpr int kFunctionCodes = 54;  // 0 .. 53
// The handler of each code. Tests swap entries to watch what reaches them.
Handler* HandlerTable();
void ResetHandlerTable();
long Dispatch(std::uint16_t code, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, long l0,
              long l1);
bool IsServedCode(unsigned code);
// The codes that start placing an object of a kind: 3-10 and 12.
bool IsPlacementCode(unsigned code);
// The placement set-up of a kind (its code is the function code that places it), from
// the request block; nothing for a kind that is not placed.
void RunPlacementSetUp(int kind);

// Library start-up and shut-down; the shared library runs them on load and unload.
bool EngineAttach();
void EngineDetach();

// The diagnostic line writer. The file comes from VRX232_TRACE; unset, nothing is written.
void EngineTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vrx
