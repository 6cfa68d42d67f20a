// Asked once per feature; the answers do not change while the program runs.
#include "platform/cpu.h"

#include <cstdlib>

namespace plat {
namespace {

bool BaselineOnly() {
  static const bool only = std::getenv("TESSEL_BASELINE_ONLY") != nullptr;
  return only;
}

bool Ask(CpuFeature feature) {
#if defined(__x86_64__)
  __builtin_cpu_init();
  switch (feature) {
    case CpuFeature::kAvx2:
      return __builtin_cpu_supports("avx2");
    case CpuFeature::kAvx512Bytes:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("bmi2");
    case CpuFeature::kAvx512TableLookUp:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
  }
#endif
  (void)feature;
  return false;
}

}  // namespace

bool HasCpuFeature(CpuFeature feature) {
  if (BaselineOnly()) return false;
  static const bool avx2 = Ask(CpuFeature::kAvx2);
  static const bool bytes = Ask(CpuFeature::kAvx512Bytes);
  static const bool lookUp = Ask(CpuFeature::kAvx512TableLookUp);
  switch (feature) {
    case CpuFeature::kAvx2:
      return avx2;
    case CpuFeature::kAvx512Bytes:
      return bytes;
    case CpuFeature::kAvx512TableLookUp:
      return lookUp;
  }
  return false;
}

}  // namespace plat
