// Heap copies of product bitmap file names, named by number so that the 32-bit
// field of a record can hold them on a 64-bit system.
//
// The table is made on first use and released only by ResetNames, which the engine's
// own shut-down calls: a global with a destructor could be torn down before the
// library's unload runs, and a constructor could reset it after the load started it.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/core.h"

namespace vrx {
namespace {

struct NameTable {
  std::vector<std::unique_ptr<std::string>> names;  // number n is names[n - 1]
  std::vector<int> freedRecords;
};
constinit NameTable* table = nullptr;
constinit const char* callerName = nullptr;

NameTable& Table() {
  if (!table) table = new NameTable;
  return *table;
}

}  // namespace

std::uint32_t CopyName(const char* name) {
  if (!name) name = "";
  auto& names = Table().names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i]) {
      names[i] = std::make_unique<std::string>(name);
      return static_cast<std::uint32_t>(i + 1);
    }
  }
  names.push_back(std::make_unique<std::string>(name));
  return static_cast<std::uint32_t>(names.size());
}

const char* NameOf(std::uint32_t number) {
  if (number == kCallerName) return callerName;
  if (!table || number == 0 || number > table->names.size() || !table->names[number - 1])
    return nullptr;
  return table->names[number - 1]->c_str();
}

void FreeName(std::uint32_t number) {
  if (!table || number == 0 || number > table->names.size()) return;
  table->names[number - 1].reset();
}

void SetCallerName(const char* name) {
  callerName = name;
}

void QueueFreedRecord(int record) {
  Table().freedRecords.push_back(record);
}

void ReleaseQueuedNames() {
  if (!table) return;
  for (int r : table->freedRecords) {
    ObjectRecord& record = core.table[r];
    if (record.useCount < 1 && record.l0) {
      FreeName(record.l0);
      record.l0 = 0;
    }
  }
  table->freedRecords.clear();
}

void ResetNames() {
  delete table;
  table = nullptr;
  callerName = nullptr;
}

}  // namespace vrx
