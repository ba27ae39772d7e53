// libFuzzer target: the bytes of an input are read by BinaryOIOin (see
// fuzz/OioFuzz.h for what is checked).
#include <cstddef>
#include <cstdint>

#include "fuzz/OioFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return dv::fuzz::runOioInput(data, size, /*binary=*/true);
}
