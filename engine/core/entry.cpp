// The entry: every request of the program arrives here as a function code with up
// to five parameters, is routed into the request block or a bounded file-name copy,
// and goes to its handler; some codes add a step after the handler.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "geometry/geometry.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace vrx {
namespace {

long Unserved(const CallArgs&) {
  return -1;
}

constexpr Handler kDefaultHandlers[kFunctionCodes] = {
    Unserved,                                               // 0
    [](const CallArgs& a) { return SetWorkWindow(a.w0); },  // 1
    [](const CallArgs& a) {                                 // 2
      return PassWindowMessage(a.w0, a.w1, a.w2, static_cast<std::intptr_t>(a.l0));
    },
    [](const CallArgs&) { return PutWallRectangle(); },            // 3
    [](const CallArgs&) { return PutDiagonalCorner(); },           // 4
    [](const CallArgs&) { return PutRoundCorner(); },              // 5
    [](const CallArgs&) { return PutDoor(); },                     // 6
    [](const CallArgs&) { return PutWindow(); },                   // 7
    [](const CallArgs&) { return PutFreeWall(); },                 // 8
    [](const CallArgs&) { return PutUserRect(); },                 // 9
    [](const CallArgs&) { return PutUserCircle(); },               // 10
    Unserved,                                                      // 11
    [](const CallArgs&) { return PutProduct(); },                  // 12
    [](const CallArgs& a) { return LoadLayoutFile(a.fileName); },  // 13
    [](const CallArgs& a) { return LoadDesignFile(a.fileName); },  // 14
    [](const CallArgs& a) { return SaveLayoutFile(a.fileName); },  // 15
    [](const CallArgs& a) { return SaveDesignFile(a.fileName); },  // 16
    [](const CallArgs&) { return ToggleRuler(); },                 // 17
    [](const CallArgs&) { return ToggleWorkMode(); },              // 18
    [](const CallArgs&) { return SetSelectCursor(); },             // 19
    [](const CallArgs&) { return Undo(); },                        // 20
    [](const CallArgs&) { return Redo(); },                        // 21
    [](const CallArgs&) { return ClearDesign(); },                 // 22
    [](const CallArgs& a) {                                        // 23
      EngineTrace("SetZoom ( %dd );", static_cast<int>(a.w0));
      return 0L;
    },
    Unserved,                // 24
    [](const CallArgs& a) {  // 25
      return ShowProductlist(reinterpret_cast<std::int32_t*>(a.l0));
    },
    [](const CallArgs& a) {  // 26
      return AdjustWindowBuffer(static_cast<std::int32_t>(a.w0), static_cast<std::int32_t>(a.w1),
                                static_cast<std::int32_t>(a.w2));
    },
    [](const CallArgs& a) { return CursorPosition(a.w0, a.w1, a.w2); },  // 27
    [](const CallArgs& a) {                                              // 28
      core.mainWindow = a.w0;
      return 0L;
    },
    [](const CallArgs&) { return Drop(kDropAtCursor, kDropAtCursor); },              // 29
    [](const CallArgs&) { return NewLayout(); },                                     // 30
    [](const CallArgs&) { return DeleteSelectedObject(); },                          // 31
    [](const CallArgs& a) { return RotateTo(a.w0); },                                // 32
    [](const CallArgs& a) { return RotateBy(a.w0); },                                // 33
    [](const CallArgs&) { return SelectObjectToCursor(); },                          // 34
    [](const CallArgs& a) { return GetInfo(reinterpret_cast<EngineInfo*>(a.l0)); },  // 35
    [](const CallArgs& a) {                                                          // 36
      return GetObjectData(reinterpret_cast<ObjectData*>(a.l0));
    },
    [](const CallArgs& a) {  // 37
      return SetObjectData(reinterpret_cast<const ObjectData*>(a.l0));
    },
    [](const CallArgs&) { return SetLayoutMode(); },                                // 38
    [](const CallArgs&) { return SetDesignMode(); },                                // 39
    [](const CallArgs& a) { return BitBltToWnde(static_cast<plat::HWND>(a.l0)); },  // 40
    [](const CallArgs& a) { return WorkSheetToBMP(a.fileName); },                   // 41
    [](const CallArgs&) { return ToggleMeasurement(); },                            // 42
    Unserved,
    Unserved,
    Unserved,
    Unserved,
    Unserved,
    Unserved,
    Unserved,                // 43-49
    [](const CallArgs& a) {  // 50
      return MoveSelectedBy(static_cast<std::int32_t>(a.w0), static_cast<std::int32_t>(a.w1));
    },
    [](const CallArgs& a) { return TurnSelectedBy(static_cast<std::int32_t>(a.w0)); },  // 51
    [](const CallArgs& a) {                                                             // 52
      return GetSelectionOutline(reinterpret_cast<std::int32_t*>(a.l0));
    },
    [](const CallArgs& a) { return SelectByTag(a.w0); },  // 53
};
constinit Handler handlers[kFunctionCodes]{};
constinit bool handlersReady = false;

void EnsureHandlers() {
  if (!handlersReady) ResetHandlerTable();
}

bool TakesFileName(unsigned code) {
  return (code >= 13 && code <= 16) || code == 41;
}

long UnknownCode(std::uint16_t code, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, long l0,
                 long l1) {
  char text[512];
  // The message keeps its historic format; precision already pads with zeros.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
  std::snprintf(text, sizeof text,
                "VRX32.DLL: CallTessel \n  <wCode>    0x%04.4X\n  <wParam0>  0x%04.4X\n"
                "  <wParam1>  0x%04.4X\n  <wParam2>  0x%04.4X\n  <lParam0>  0x%08.8X\n"
                "  <lParam1>  0x%08.8X\n\n<Unbekannter Funktions-Code>",
                static_cast<unsigned>(code), w0, w1, w2, static_cast<unsigned>(l0),
                static_cast<unsigned>(l1));
#pragma GCC diagnostic pop
  plat::MessageBox(0, text, "Ostara Tessel", plat::MB_OK);
  return -1;
}

// Codes that replace the plan or rebuild it from its lists. The rebuild replays every
// record through its placement code, which would overwrite the request block and the
// placement of whatever hangs at the pointer, and a lifted object is missing from the
// lists: such a code first abandons a placement and puts a lifted object back.
bool RebuildsPlan(unsigned code) {
  switch (code) {
    case TC_LoadLayoutFile:
    case TC_LoadDesignFile:
    case TC_ToggleWorkMode:
    case TC_ClearDesign:
    case TC_NewLayout:
    case TC_SetLayoutMode:
    case TC_SetDesignMode:
    case TC_ToggleMeasurement:
      return true;
    default:
      return false;
  }
}

// A save while an object hangs lifted writes the plan as it stood before the lift: the
// object is still the user's, where it was, until the move is dropped.
long SaveKeepingLiftedObject(const CallArgs& args) {
  ObjectList layout, design;
  if (!pointer.moving || !ListsBeforeNewestState(&layout, &design))
    return handlers[args.code](args);
  const ObjectList liftedLayout = core.layout, liftedDesign = core.design;
  core.layout = layout;
  core.design = design;
  const long result = handlers[args.code](args);
  core.layout = liftedLayout;
  core.design = liftedDesign;
  return result;
}

}  // namespace

bool IsPlacementCode(unsigned code) {
  return (code >= 3 && code <= 10) || code == 12;
}

Handler* HandlerTable() {
  EnsureHandlers();
  return handlers;
}

void ResetHandlerTable() {
  std::memcpy(handlers, kDefaultHandlers, sizeof handlers);
  handlersReady = true;
}

void RunPlacementSetUp(int kind) {
  if (kind < 0 || !IsPlacementCode(static_cast<unsigned>(kind))) return;
  EnsureHandlers();
  handlers[kind](CallArgs{});
}

bool IsServedCode(unsigned code) {
  return (code >= 1 && code <= 42 && code != 11 && code != 24) ||
         (code >= TC_MoveSelectedBy && code <= TC_SelectByTag);
}

long Dispatch(std::uint16_t code, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, long l0,
              long l1) {
  if (!core.initialised) return TR_NotInitialised;
  if (!IsServedCode(code)) return UnknownCode(code, w0, w1, w2, l0, l1);
  EnsureHandlers();
  CallArgs args{code, w0, w1, w2, l0, l1, nullptr};

  if (IsPlacementCode(code)) {
    std::memset(&core.request, 0, sizeof core.request);
    core.request.p0 = w0;
    if (code != kKindUserCircle) core.request.p1 = w1;
    if (code != kKindDiagCorner && code != kKindRoundCorner && code != kKindUserCircle)
      core.request.p2 = w2;
    if (code == kKindDoor) core.request.l0 = static_cast<std::uint32_t>(l0);
    if (code == kKindProduct) {
      // The record cannot hold the caller's address; the set-up reads the name
      // through the caller slot while this call runs.
      SetCallerName(reinterpret_cast<const char*>(l0));
      core.request.l0 = l0 ? kCallerName : 0;
      // Only a height band is kept: older programs pass the plain height there, which
      // the record never held, so their plans stay as they were.
      if (TesselIsHeightBand(l1)) core.request.l1 = static_cast<std::uint32_t>(l1);
    }
    const long result = handlers[code](args);
    SetCallerName(nullptr);
    if (code >= 8 && code <= 10) return 0;
    return result;
  }

  char fileName[kMaxFileName + 1];
  if (TakesFileName(code)) {
    const char* name = reinterpret_cast<const char*>(l0);
    if (!name) return -1;
    std::strncpy(fileName, name, kMaxFileName);
    fileName[kMaxFileName] = '\0';
    args.fileName = fileName;
  }

  if (RebuildsPlan(code)) SetSelectCursor();
  const long result = code == TC_SaveLayoutFile || code == TC_SaveDesignFile
                          ? SaveKeepingLiftedObject(args)
                          : handlers[code](args);
  if ((code == TC_LoadLayoutFile || code == TC_LoadDesignFile) && result == 0) {
    FullRedraw();
    ClearHistory();
    RecordState();
  } else if (code == TC_NewLayout) {
    ClearHistory();
    FullRedraw();
    RecordState();
  } else if (code == TC_ToggleMeasurement) {
    FullRedraw();
  }
  return result;
}

namespace {

void ResetCore() {
  std::memset(core.table, 0, sizeof core.table);
  std::memset(&core.request, 0, sizeof core.request);
  std::memset(&core.layout, 0, sizeof core.layout);
  std::memset(&core.design, 0, sizeof core.design);
  core.current = &core.layout;
  core.replayMode = false;
  core.replayTag = -1;
  core.cursorX = 0;
  core.cursorY = 0;
  core.mainWindow = 0;
  core.selectedTag = -1;
  pointer = PointerState{};
  ResetNames();
}

}  // namespace

bool EngineAttach() {
  if (core.initialised) return true;
  if (!CreateWorksheet()) {
    DestroyWorksheet();
    return false;
  }
  ResetCore();
  ResetView();
  ResetHistory();
  RecordState();
  ClearWallTable();
  ClearDrawnProducts();
  ClearHitAreas();
  core.initialised = true;
  return true;
}

void EngineDetach() {
  core.initialised = false;
  DestroyWorksheet();
  view.bufferDc = 0;
  view.bufferBits = nullptr;
  ResetNames();
  ReleaseProductBitmaps();
}

void EngineTrace(const char* format, ...) {
  static bool opened = false;
  const char* path = std::getenv("VRX232_TRACE");
  if (!path || !*path) return;
  std::FILE* f = std::fopen(path, opened ? "a" : "w");
  if (!f) return;
  opened = true;
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fputc('\n', f);
  std::fclose(f);
}

}  // namespace vrx

extern "C" __attribute__((visibility("default"))) long CallTessel(unsigned short code,
                                                                  unsigned int wParam0,
                                                                  unsigned int wParam1,
                                                                  unsigned int wParam2,
                                                                  long lParam0, long lParam1) {
  return vrx::Dispatch(code, wParam0, wParam1, wParam2, lParam0, lParam1);
}

extern "C" __attribute__((visibility("default"))) int fnVrx232(int value) {
  return value + 64;
}
