// The engine as the program meets it: a fresh process loads the built library, calls
// it, and ends. Run with the library's path; with --plan it also loads and saves a
// furnished plan, and with --close it unloads the library before returning. The exit
// status is 0 only when every step answered as it should and the process ended cleanly.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "vrx232.h"

namespace {

using Entry = long (*)(unsigned short, unsigned, unsigned, unsigned, long, long);

int Fail(const char* what) {
  std::fprintf(stderr, "library_probe: %s\n", what);
  return 1;
}

bool WriteFile(const std::string& path, const char* text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fputs(text, f) >= 0;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: library_probe LIBRARY [--plan] [--close]");
  bool plan = false, close = false;
  for (int i = 2; i < argc; ++i) {
    plan |= std::strcmp(argv[i], "--plan") == 0;
    close |= std::strcmp(argv[i], "--close") == 0;
  }
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!lib) return Fail(dlerror());
  auto call = reinterpret_cast<Entry>(dlsym(lib, "CallTessel"));
  if (!call) return Fail("no CallTessel");

  EngineInfo info{};
  if (call(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0) != 0)
    return Fail("GetInfo did not answer 0: the engine did not start");

  if (plan) {
    const std::string dir = "/tmp/tessel-probe-" + std::to_string(::getpid());
    const std::string in = dir + "-in.tsd", out = dir + "-out.tsd";
    const char* text =
        "[Layout]\r\ncount=1\r\n00=WALLRECT,640,440,300,250,32767,0,0\r\n"
        "[Design]\r\ncount=2\r\n00=PRODUCT,700,500,0,0,0,bath tub.bmp,0\r\n"
        "01=PRODUCT,600,400,7,1,0,basin.bmp,0\r\n";
    if (!WriteFile(in, text)) return Fail("cannot write the plan");
    const long loaded = call(TC_LoadDesignFile, 0, 0, 0, reinterpret_cast<long>(in.c_str()), 0);
    const long saved = call(TC_SaveDesignFile, 0, 0, 0, reinterpret_cast<long>(out.c_str()), 0);
    std::remove(in.c_str());
    std::remove(out.c_str());
    if (loaded != 0) return Fail("the plan did not load");
    if (saved != 0) return Fail("the plan did not save");
    if (call(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0) != 0 ||
        info.iCountDesignItems != 2)
      return Fail("the plan's products are not in the design");
  }
  if (close && dlclose(lib) != 0) return Fail(dlerror());
  return 0;
}
