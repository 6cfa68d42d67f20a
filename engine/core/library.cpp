// Loading the library starts the engine and unloading ends it, so the program never
// sees an engine without its worksheet. A start-up that fails leaves the entry
// answering "not initialised" rather than failing the host process.
#include "core/core.h"

namespace {

__attribute__((constructor)) void LibraryAttach() {
  vrx::EngineAttach();
}
__attribute__((destructor)) void LibraryDetach() {
  vrx::EngineDetach();
}

}  // namespace
