// The entry: which handler each code reaches, with which request block, and the
// answers outside the served codes and outside the engine's life.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "platform/window.h"

using namespace vrx;

namespace {

struct Seen {
  int code = -1;
  CallArgs args{};
  ObjectRecord request{};
  std::string fileName;
};
std::vector<Seen> seen;

long Record(const CallArgs& a) {
  Seen s;
  s.code = a.code;
  s.args = a;
  s.request = core.request;
  if (a.fileName) s.fileName = a.fileName;
  seen.push_back(s);
  return 77;
}

std::vector<std::string> boxes;
int Box(plat::HWND, const char* text, const char* caption, unsigned type, void*) {
  boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
  return plat::IDOK;
}

class DispatchTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    seen.clear();
    boxes.clear();
    for (int c = 0; c < kFunctionCodes; ++c) HandlerTable()[c] = Record;
    plat::SetMessageBoxHook(Box, nullptr);
  }
  void TearDown() override {
    plat::SetMessageBoxHook(nullptr, nullptr);
    EngineTest::TearDown();
  }
};

}  // namespace

TEST_F(DispatchTest, PlacementCodesFillTheRequestBlockAsTabled) {
  // Code, then which of p0, p1, p2, l0 the parameters must reach.
  struct Row {
    int code;
    bool p1, p2, l0;
  } rows[] = {{3, true, true, false}, {4, true, false, false},  {5, true, false, false},
              {6, true, true, true},  {7, true, true, false},   {8, true, true, false},
              {9, true, true, false}, {10, false, false, false}};
  for (const Row& r : rows) {
    seen.clear();
    std::memset(&core.request, 0xAB, sizeof core.request);
    const long result = CallTessel(static_cast<unsigned short>(r.code), 11, 22, 33, 44, 55);
    ASSERT_EQ(seen.size(), 1u) << r.code;
    const ObjectRecord& q = seen[0].request;
    EXPECT_EQ(seen[0].code, r.code);
    EXPECT_EQ(q.kind[0], 0) << "the block is cleared first";
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.useCount, 0);
    EXPECT_EQ(q.p0, 11u);
    EXPECT_EQ(q.p1, r.p1 ? 22u : 0u) << r.code;
    EXPECT_EQ(q.p2, r.p2 ? 33u : 0u) << r.code;
    EXPECT_EQ(q.l0, r.l0 ? 44u : 0u) << r.code;
    EXPECT_EQ(q.l1, 0u) << "lParam1 is never stored";
    EXPECT_EQ(result, r.code >= 8 ? 0 : 77) << r.code;
  }
}

TEST_F(DispatchTest, PutProductPassesItsNameThroughTheCallerSlot) {
  std::string name;
  HandlerTable()[12] = [](const CallArgs& a) {
    Record(a);
    seen.back().fileName = NameOf(core.request.l0);
    return -303L;
  };
  const char* file = "katalog/images/basin1.bmp";
  EXPECT_EQ(CallTessel(12, 4711, 2, 90, reinterpret_cast<long>(file), 0), -303);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].request.p0, 4711u);
  EXPECT_EQ(seen[0].request.p1, 2u);
  EXPECT_EQ(seen[0].request.p2, 90u);
  EXPECT_EQ(seen[0].fileName, file);
  EXPECT_EQ(NameOf(kCallerName), nullptr) << "the caller's name is gone after the call";
}

TEST_F(DispatchTest, OtherCodesReachTheirHandlerWithTheirParameters) {
  for (int code = 1; code <= 42; ++code) {
    if (!IsServedCode(static_cast<unsigned>(code)) || (code >= 3 && code <= 12)) continue;
    if (code >= 13 && code <= 16) continue;
    if (code == 41) continue;
    seen.clear();
    CallTessel(static_cast<unsigned short>(code), 1, 2, 3, 4, 5);
    ASSERT_EQ(seen.size(), 1u) << code;
    EXPECT_EQ(seen[0].code, code);
    EXPECT_EQ(seen[0].args.w0, 1u);
    EXPECT_EQ(seen[0].args.w2, 3u);
    EXPECT_EQ(seen[0].args.l0, 4);
    EXPECT_EQ(seen[0].args.l1, 5);
  }
}

TEST_F(DispatchTest, FileNamesAreCopiedAndCutAt1023) {
  const std::string longName(2000, 'x');
  for (int code : {13, 14, 15, 16, 41}) {
    seen.clear();
    CallTessel(static_cast<unsigned short>(code), 0, 0, 0, reinterpret_cast<long>(longName.c_str()),
               0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].fileName, std::string(1023, 'x')) << code;
    seen.clear();
    EXPECT_EQ(CallTessel(static_cast<unsigned short>(code), 0, 0, 0, 0, 0), -1) << code;
    EXPECT_TRUE(seen.empty()) << "a null name reaches no handler";
  }
}

TEST_F(DispatchTest, UnknownCodesShowTheirMessageAndFail) {
  for (int c : {0, 11, 24, 43, 65535}) {
    const auto code = static_cast<unsigned short>(c);
    boxes.clear();
    EXPECT_EQ(CallTessel(code, 0x12, 0x3456, 0xFFFF, 0x1234ABCD, -1), -1);
    ASSERT_EQ(boxes.size(), 1u);
    char code4[8];
    std::snprintf(code4, sizeof code4, "%04X", code);
    EXPECT_EQ(boxes[0], std::string("Ostara Tessel|VRX32.DLL: CallTessel \n  <wCode>    0x") +
                            code4 +
                            "\n  <wParam0>  0x0012\n  <wParam1>  0x3456\n  <wParam2>  0xFFFF\n"
                            "  <lParam0>  0x1234ABCD\n  <lParam1>  0xFFFFFFFF\n\n"
                            "<Unbekannter Funktions-Code>|0");
  }
  EXPECT_TRUE(seen.empty());
}

TEST_F(EngineTest, NothingIsServedOutsideTheEnginesLife) {
  EngineDetach();
  EngineInfo info{};
  EXPECT_EQ(CallTessel(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0), -601);
  EXPECT_EQ(CallTessel(11, 0, 0, 0, 0, 0), -601);
  EXPECT_EQ(fnVrx232(1), 65);
  ASSERT_TRUE(EngineAttach());
  EXPECT_EQ(CallTessel(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0), 0);
}

TEST_F(EngineTest, AStartUpThatFailsLeavesTheEngineRefusing) {
  EngineDetach();
  plat::SetScreenBitsPerPixel(4);
  EXPECT_FALSE(EngineAttach());
  plat::SetScreenBitsPerPixel(8);
  EXPECT_EQ(CallTessel(TC_Undo, 0, 0, 0, 0, 0), -601);
  ASSERT_TRUE(EngineAttach());
}

TEST_F(EngineTest, NullAddressesAreRefused) {
  EXPECT_EQ(CallTessel(TC_GetInfo, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(CallTessel(TC_GetObjectData, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(CallTessel(TC_SetObjectData, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(CallTessel(TC_ShowProductlist, 0, 0, 0, 0, 0), -1);
}

TEST_F(EngineTest, StartStateAsTheProgramReadsIt) {
  const EngineInfo e = Info();
  EXPECT_EQ(e.iSerial, 33);
  EXPECT_EQ(e.bUndoAvail, 0);
  EXPECT_EQ(e.bRedoAvail, 0);
  EXPECT_EQ(e.bWalls, 0);
  EXPECT_EQ(e.iBoundLeft, 0);
  EXPECT_EQ(e.iBoundTop, 0);
  EXPECT_EQ(e.iBoundRight, 1520);
  EXPECT_EQ(e.iBoundBottom, 1120);
  EXPECT_EQ(e.bSystemIsWin32, 1);
  EXPECT_EQ(e.hdcWorkSheet, static_cast<int>(view.sheetDc));
  EXPECT_NE(e.hBmp, 0);
  EXPECT_NE(e.hPal, 0);
  CallTessel(TC_SetMainWindow, 0x10203, 0, 0, 0, 0);
  EXPECT_EQ(Info().hwndMain, 0x10203);
  EXPECT_EQ(CallTessel(TC_SetZoomFactor, 300, 0, 0, 0, 0), 0);
  EXPECT_EQ(view.zoom, 200);
  std::int32_t list[4] = {9, 9, 9, 9};
  EXPECT_EQ(CallTessel(TC_ShowProductlist, 0, 0, 0, reinterpret_cast<long>(list), 0), 0);
  EXPECT_EQ(list[0], 0);
}

TEST(Library, LoadsInitialisedAndExportsItsEntry) {
  void* lib = dlopen(VRX232_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  using Entry = long (*)(unsigned short, unsigned, unsigned, unsigned, long, long);
  auto call = reinterpret_cast<Entry>(dlsym(lib, "CallTessel"));
  auto fn = reinterpret_cast<int (*)(int)>(dlsym(lib, "fnVrx232"));
  ASSERT_NE(call, nullptr);
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(dlsym(lib, "_ZN3vrx8DispatchEtjjjll"), nullptr) << "internals stay hidden";
  EXPECT_EQ(fn(1), 65);
  EngineInfo info{};
  EXPECT_EQ(call(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0), 0);
  EXPECT_EQ(info.iSerial, 33);
  dlclose(lib);
}
