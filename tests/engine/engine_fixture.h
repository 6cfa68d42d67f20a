// A freshly started engine for every test, as the library has it after loading.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/core.h"
#include "persistence/persistence.h"
#include "view/view.h"

// How many holders each record has: one for being in a list, one more for each
// occurrence in a pinned history state.
inline std::vector<int> HoldersOfRecords() {
  std::vector<int> holders(vrx::kMaxRecords, 0);
  for (const vrx::ObjectList* list : {&vrx::core.layout, &vrx::core.design})
    for (int i = 0; i < list->count; ++i) holders[list->entries[i]] = 1;
  for (const vrx::HistorySlot& slot : vrx::history.ring) {
    if (!slot.pinned) continue;
    for (const vrx::ObjectList* list : {&slot.layout, &slot.design})
      for (int i = 0; i < list->count; ++i) ++holders[list->entries[i]];
  }
  return holders;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vrx::ResetHandlerTable();
    ASSERT_TRUE(vrx::EngineAttach());
  }
  void TearDown() override {
    vrx::EngineDetach();
    vrx::ResetHandlerTable();
  }
  static EngineInfo Info() {
    EngineInfo info{};
    CallTessel(TC_GetInfo, 0, 0, 0, reinterpret_cast<long>(&info), 0);
    return info;
  }
  // Puts one record into the current list, as a placement's drop does.
  static int Insert(const char* kind, std::uint32_t p0 = 0) {
    std::memset(&vrx::core.request, 0, sizeof vrx::core.request);
    vrx::core.request.p0 = p0;
    vrx::core.request.x = 100;
    vrx::core.request.y = 80;
    return vrx::InsertRequest(kind);
  }
};
