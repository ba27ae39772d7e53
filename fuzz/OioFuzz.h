// The fuzzing entry of the two object-stream readers, the targets oio_text and
// oio_binary (see fuzz/Targets.h).
//
// One input is the bytes of an object stream: the header, then top-level
// objects. They are read one by one with readObject, with the read errors of
// damaged input raised to a catch region, until the stream fails, the input is
// used up or kMaxObjectsPerInput objects have been read. What is checked:
//
// - ownership: after a read without error, the read table lists the objects of
//   that read that belong to the caller, the answer first, each once; they are
//   released once each (a sanitizer finds what that does not free, or frees
//   twice). After a failed read the answer is nil() and the table is empty.
// - round trip: an object read without error is stored with the version it
//   was read with; those bytes must read back without error and, unless the
//   graph holds a hashed collection (a Set or a class derived from it, whose
//   stored element order is not a property of its value), store again to the
//   same bytes.
//
// A broken check prints what broke on standard error and traps. A framework
// error that reaches a report ends the process with abort(), so that it leaves
// a stack trace and a crash file rather than a bare exit status.
#ifndef DV_FUZZ_OIOFUZZ_H_
#define DV_FUZZ_OIOFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// Top-level objects read from one input at most, so that an input of many
// tiny records cannot make one run endless.
inline constexpr int kMaxObjectsPerInput = 1000;

// Runs one input through TextOIOin (binary false) or BinaryOIOin (binary
// true) and checks it as described above. Returns 0 (the libFuzzer contract);
// a broken check does not return.
int runOioInput(const uint8_t* data, std::size_t size, bool binary);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_OIOFUZZ_H_
