// Fuzzing entry of the exact and binary number texts: Number, Decimal and
// Money parsed from text and written back (number_text). See fuzz/Targets.h.
#ifndef DV_FUZZ_NUMBERTEXTFUZZ_H_
#define DV_FUZZ_NUMBERTEXTFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The input up to its first NUL is the text. The bytes after the NUL, when
// there are any, choose the number punctuation of the current locale (the
// first: "," and "." by default, "." and ",", "'" and ",", or two-byte
// separators) and one more set of Decimal parameters (the next five:
// precision, scale, fixing style, exponent limit, infinity flag).
//
// The text is parsed in the plain and the local forms as a Number under
// every requested code, as a Decimal and as a Money under several parameter
// sets and the extra one. A value that parses without error must be written
// (in the parameters' fixing style and scale, with and without the trimming
// flags, and in the floating style) into the room its maxTextLength promises,
// and that text must parse back under the same parameters without error to
// the same encoding (Decimal: the same bytes, without a rounding warning;
// Money: those and the same unit; Number: the same type and value, a double
// within the 15 digits its text keeps, and its text again).
int runNumberText(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_NUMBERTEXTFUZZ_H_
