// Fuzzing entry of the tagged value stream (table_stream). See fuzz/Targets.h.
#ifndef DV_FUZZ_TABLESTREAMFUZZ_H_
#define DV_FUZZ_TABLESTREAMFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The input is read as a run of messages from memory, through the same
// buffer list a descriptor's input goes through, until a read fails (at
// most a few messages). A failed read answers null and leaves nothing
// behind (the leak checker sees what is left). A message that reads without
// error must write again without error, and what it writes must read back
// and write to the very same bytes: the writer's form is a fixed point (a
// message already in the writer's form, as every seed is, comes back byte
// for byte; others may differ in the freedoms the reader allows, such as a
// neighbouring number kind, a longer length form or the order of tags).
int runTableStream(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_TABLESTREAMFUZZ_H_
