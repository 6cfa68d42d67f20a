// What the processor offers beyond x86-64's baseline, for the few loops that have a
// wider form chosen when the program runs (the build's flags stay portable).
//
// Setting TESSEL_BASELINE_ONLY in the environment answers no to every question, so
// the tests can run the baseline forms on a machine that has the wider ones.
#pragma once

namespace plat {

enum class CpuFeature {
  kAvx2,              // 32-byte integer registers
  kAvx512Bytes,       // 64-byte registers, byte compares into masks and masked stores
  kAvx512TableLookUp  // the same, and byte look-ups in a 128-entry table of two registers
};

bool HasCpuFeature(CpuFeature feature);

}  // namespace plat
