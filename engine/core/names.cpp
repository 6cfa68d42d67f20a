// Heap copies of product bitmap file names, named by number so that the 32-bit
// field of a record can hold them on a 64-bit system.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/core.h"

namespace vrx {
namespace {

std::vector<std::unique_ptr<std::string>> names;  // number n is names[n - 1]
std::vector<int> freedRecords;
const char* callerName = nullptr;

}  // namespace

std::uint32_t CopyName(const char* name) {
  if (!name) name = "";
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
  if (number == 0 || number > names.size() || !names[number - 1]) return nullptr;
  return names[number - 1]->c_str();
}

void FreeName(std::uint32_t number) {
  if (number == 0 || number > names.size()) return;
  names[number - 1].reset();
}

void SetCallerName(const char* name) {
  callerName = name;
}

void QueueFreedRecord(int record) {
  freedRecords.push_back(record);
}

void ReleaseQueuedNames() {
  for (int r : freedRecords) {
    ObjectRecord& record = core.table[r];
    if (record.useCount < 1 && record.l0) {
      FreeName(record.l0);
      record.l0 = 0;
    }
  }
  freedRecords.clear();
}

void ResetNames() {
  names.clear();
  freedRecords.clear();
  callerName = nullptr;
}

}  // namespace vrx
