// Fuzzing entry of the date/time and interval text forms (datetime_text).
// See fuzz/Targets.h.
#ifndef DV_FUZZ_DATETIMETEXTFUZZ_H_
#define DV_FUZZ_DATETIMETEXTFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The first four bytes pick the settings, the rest (up to its first NUL) is
// the text:
//   byte 0  the DateTime qualifier, one of the 63 pairs of start unit 1 to 7
//           and a later or equal end unit (from year to year upwards);
//   byte 1  bit 0 kDateIfMidnight, bit 1 kTrimFraction as reading options,
//           bits 2-3 the calendar reform (mod 3), bits 4-6 the default zone
//           (one of eight);
//   byte 2  the Interval qualifier, one of the same 63 pairs (some of which
//           an interval cannot have);
//   byte 3  the Interval's precTot, mod 24.
// The text is read as a DateTime in the locale style (the built-in
// settings), "iso" and the standard style, and as an Interval in the locale
// and the standard punctuation. A value read without error is written in
// every style; the text reads back in its style to a value with the same
// qualifier and instant (an Interval: the same qualifier, sign, fields and
// span), and an Interval's "INGRES" text spells its fields. What a text
// cannot tell is not asked of it: a DateTime without the year is held to the
// units it shows in the default zone, the locale style's two-digit years to
// 1950 to 2049, a value that ends at the hour to zones a whole number of hours
// apart, and a value past 9999 in the default zone is not written.
int runDateTimeText(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_DATETIMETEXTFUZZ_H_
