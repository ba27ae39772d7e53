// The fuzz targets by name. Each target is one entry function that takes the
// bytes of one input, checks what it promises and returns 0; a broken check
// prints what broke and traps. The same entries run under libFuzzer
// (fuzz/TargetMain.cpp, one binary per target) and in the replay program of
// the test suite (fuzz/replay), so that an input that fails under the fuzzer
// fails the same way in a plain build.
//
// Adding a target: write its entry, list it in kTargets (fuzz/Targets.cpp)
// and give it a seed corpus folder fuzz/corpus/<name>/; the build, the replay
// tests and scripts/fuzz find it by that folder.
#ifndef DV_FUZZ_TARGETS_H_
#define DV_FUZZ_TARGETS_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

struct Target {
  const char* name;
  int (*run)(const uint8_t* data, std::size_t size);
};

// The target called name, or null.
const Target* findTarget(const char* name);

// Prints what broke and traps, so that the fuzzer and the sanitizers see a
// crash with its stack.
[[noreturn]] void violated(const char* what, const char* detail);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_TARGETS_H_
