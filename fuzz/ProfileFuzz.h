// Fuzzing entry of the profile reader (profile): profile text looked up for
// a few sections and keys. See fuzz/Targets.h.
#ifndef DV_FUZZ_PROFILEFUZZ_H_
#define DV_FUZZ_PROFILEFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The input is the text of a profile file. Each of a few keys is looked up in
// a few sections. Checks: a look-up answers the same twice; a value found has
// no line break; a value without blanks at its ends and not in quotes,
// written back as the only key of its section, reads back the same.
int runProfile(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_PROFILEFUZZ_H_
