// Fuzzing entry of the character mapping file loader (character_map). See
// fuzz/Targets.h.
#ifndef DV_FUZZ_CHARACTERMAPFUZZ_H_
#define DV_FUZZ_CHARACTERMAPFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The input is the text of a mapping file. Checks: a refused file leaves the
// tables as they were; in a loaded one no reserved character is mapped, and
// the two tables are each other's inverse on every entry that is not the
// identity.
int runCharacterMap(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_CHARACTERMAPFUZZ_H_
