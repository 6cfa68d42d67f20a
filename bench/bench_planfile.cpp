// Saving a plan with both lists full, and loading it back with the replay that redraws
// it, as opening a plan from the program does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "persistence/persistence.h"
#include "platform/window.h"
#include "products/products.h"
#include "view/view.h"

namespace {

long Forward(plat::HWND w, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, void*) {
  return CallTessel(TC_PassWindowMessage, w, message, static_cast<unsigned>(wParam),
                    static_cast<long>(lParam), 0);
}

void Insert(const char* kind, int x, int y, std::uint32_t p0, std::uint32_t p1, std::uint32_t p2) {
  std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
  vrx::core.request.x = static_cast<std::uint16_t>(x + vrx::view.roomOriginX);
  vrx::core.request.y = static_cast<std::uint16_t>(y + vrx::view.roomOriginY);
  vrx::core.request.p0 = p0;
  vrx::core.request.p1 = p1;
  vrx::core.request.p2 = p2;
  vrx::InsertRequest(kind);
}

// 511 layout records (a room, installation walls and shapes) and 511 products.
const std::string& FullPlanFile() {
  static std::string path;
  if (!path.empty()) return path;
  vrx::EngineAttach();
  static plat::HWND window = plat::CreateHostWindow(0, 0, 1280, 800);
  plat::SetWindowProc(window, Forward, nullptr);
  CallTessel(TC_SetWorkWindow, window, 0, 0, 0, 0);
  CallTessel(TC_NewLayout, 0, 0, 0, 0, 0);
  Insert("WALLRECT", 760, 560, 300, 250, 32767);
  for (int i = 1; i < vrx::kMaxListEntries; ++i) {
    if (i < 200)
      Insert("INSTWALL", 500 + i % 500, 400 + i % 300, 40, 8,
             static_cast<std::uint32_t>(i * 7 % 360));
    else
      Insert("USERRECT", 500 + i % 500, 400 + i % 300, 30, 20, 0);
  }
  CallTessel(TC_SetDesignMode, 0, 0, 0, 0, 0);
  for (int i = 0; i < vrx::kMaxListEntries; ++i) {
    std::snprintf(vrx::products.fileName, sizeof vrx::products.fileName, "ostara-%03d.bmp", i);
    Insert("PRODUCT", 500 + i % 500, 400 + i % 300, static_cast<std::uint32_t>(1000 + i), 0, 0);
  }
  path = "/tmp/tessel-bench-" + std::to_string(::getpid()) + ".tsd";
  std::atexit([] { ::unlink(path.c_str()); });
  CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(path.c_str()), 0);
  return path;
}

void SaveFullPlan(benchmark::State& state) {
  const std::string& path = FullPlanFile();
  for (auto _ : state)
    CallTessel(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(path.c_str()), 0);
}
BENCHMARK(SaveFullPlan)->Unit(benchmark::kMillisecond);

void LoadFullPlanWithReplay(benchmark::State& state) {
  const std::string& path = FullPlanFile();
  for (auto _ : state)
    CallTessel(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(path.c_str()), 0);
  state.counters["records"] = vrx::core.layout.count + vrx::core.design.count;
}
BENCHMARK(LoadFullPlanWithReplay)->Unit(benchmark::kMillisecond);

}  // namespace
