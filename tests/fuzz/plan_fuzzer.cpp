// Any bytes as a plan file: loaded, or refused, and a loaded plan redrawn, with the
// lists sound afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "core/core.h"
#include "persistence/persistence.h"
#include "view/view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = vrx::EngineAttach();
  if (!started) std::abort();
  const long r = vrx::LoadPlanText(reinterpret_cast<const char*>(data), size, true);
  if (r != TR_Done && r != TR_NoCountKey) std::abort();
  for (const vrx::ObjectList* list : {&vrx::core.layout, &vrx::core.design}) {
    if (list->count > vrx::kMaxListEntries) std::abort();
    for (int i = 0; i < list->count; ++i)
      if (list->entries[i] >= vrx::kMaxRecords || vrx::core.table[list->entries[i]].useCount < 1)
        std::abort();
  }
  if (r == TR_Done) {
    vrx::ClearHistory();
    vrx::RecordState();
    vrx::FullRedraw();
  }
  return 0;
}
