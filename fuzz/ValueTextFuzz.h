// Fuzzing entries of the value classes' text forms: Text's number
// conversions (text_number), Binary's hexadecimal text (binary_hex) and the
// locale's short date format analysis (short_date). See fuzz/Targets.h.
#ifndef DV_FUZZ_VALUETEXTFUZZ_H_
#define DV_FUZZ_VALUETEXTFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The input (up to its first NUL) as a Text, converted to every number type
// in the plain and the local form. A conversion that succeeds is checked to
// give back its value (within the digits written) from the text the library
// writes for it.
int runTextNumber(const uint8_t* data, std::size_t size);

// The input as a Binary (its first byte a buffer size): its hexadecimal text
// in each option of the text form, whole and cut to the buffer, must stay
// within the buffer, the cut text must start the whole one, and the plain
// text must spell the bytes.
int runBinaryHex(const uint8_t* data, std::size_t size);

// The input (up to its first NUL) as a short date picture. The analysis
// answers 0 or the bad-format code; after 0 the settings are consistent, and
// analysing the picture again gives the same answer and settings.
int runShortDate(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_VALUETEXTFUZZ_H_
