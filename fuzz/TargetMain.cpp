// The libFuzzer entry of one target, chosen by name when the target's binary
// is built (DV_FUZZ_TARGET_NAME, see fuzz/CMakeLists.txt).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const dv::fuzz::Target* target = [] {
    const dv::fuzz::Target* t = dv::fuzz::findTarget(DV_FUZZ_TARGET_NAME);
    if (t == nullptr) {
      std::fprintf(stderr, "no fuzz target named %s\n", DV_FUZZ_TARGET_NAME);
      std::abort();
    }
    return t;
  }();
  return target->run(data, size);
}
