// Any bytes as a plan file: loaded or refused; a loaded plan is redrawn and saved, and
// the saved text loads again as the same plan and saves to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "core/core.h"
#include "persistence/persistence.h"
#include "view/view.h"

namespace {

void CheckLists() {
  for (const vrx::ObjectList* list : {&vrx::core.layout, &vrx::core.design}) {
    if (list->count > vrx::kMaxListEntries) std::abort();
    for (int i = 0; i < list->count; ++i)
      if (list->entries[i] >= vrx::kMaxRecords || vrx::core.table[list->entries[i]].useCount < 1)
        std::abort();
  }
}

// The records of both lists, field by field (use counts and marks aside).
std::string Records() {
  std::string out;
  for (const vrx::ObjectList* list : {&vrx::core.layout, &vrx::core.design}) {
    for (int i = 0; i < list->count; ++i) {
      vrx::ObjectRecord r = vrx::core.table[list->entries[i]];
      const bool product = vrx::KindCodeOf(r.kind) == vrx::kKindProduct;
      const char* name = product ? vrx::NameOf(r.l0) : nullptr;
      r.useCount = 0;
      r.mark = 0;
      if (product) r.l0 = 0;  // the number of its name copy differs from load to load
      out.append(reinterpret_cast<const char*>(&r), sizeof r);
      out += name ? name : "";
      out += '\n';
    }
    out += "--\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = vrx::EngineAttach();
  if (!started) std::abort();
  const long r = vrx::LoadPlanText(reinterpret_cast<const char*>(data), size, true);
  if (r != TR_Done && r != TR_NoCountKey) std::abort();
  CheckLists();
  if (r != TR_Done) return 0;
  vrx::ClearHistory();
  vrx::RecordState();
  vrx::FullRedraw();
  const std::string records = Records(), saved = vrx::SavePlanText(true);
  if (vrx::LoadPlanText(saved.data(), saved.size(), true) != TR_Done) std::abort();
  CheckLists();
  const std::string again = vrx::SavePlanText(true);
  if (Records() != records || again != saved) {
    // Both texts, so that a failure on a machine far away can be read from its log.
    std::fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", saved.c_str(), again.c_str());
    std::abort();
  }
  return 0;
}
