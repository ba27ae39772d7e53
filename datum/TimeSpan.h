// The units of a date/time qualifier and TimeSpan, the signed amount of time
// in which DateTime keeps its instants (Julian days counted from noon) and
// Interval its day-time amounts.
//
// A qualifier is a range of units from a start unit (precFrom) to an end unit
// (precTo): 1 year, 2 month, 3 day, 4 hour, 5 minute, 6 second, 7 to 12 a
// fraction of a second with 1 to 6 digits. A start unit is 1 to 7, an end
// unit 1 to 12; unit u is inside the qualifier when precFrom <= u <= precTo.
#ifndef DV_DATUM_TIMESPAN_H_
#define DV_DATUM_TIMESPAN_H_

#include <cstdint>

namespace dv {

enum TimeUnit : int32_t {
  kUnitYear = 1,
  kUnitMonth = 2,
  kUnitDay = 3,
  kUnitHour = 4,
  kUnitMinute = 5,
  kUnitSecond = 6,
  kUnitFraction = 7,  // fraction(1), and the start unit "fraction"
  kUnitFraction2 = 8,
  kUnitFraction3 = 9,
  kUnitFraction4 = 10,
  kUnitFraction5 = 11,
  kUnitFraction6 = 12,
};

// The name of a unit: "year" to "second", and for the fraction "fraction" as
// a start unit and "fraction(1)" to "fraction(6)" as an end unit. A unit
// outside 1 to 12 has the empty name.
const char* unitName(int32_t unit, bool isEnd);

// Whether unit lies inside the qualifier precFrom..precTo.
inline bool unitInside(int32_t precFrom, int32_t precTo, int32_t unit) {
  return precFrom <= unit && unit <= precTo;
}

// The digits of the fraction that end unit precTo keeps: 0 up to second,
// 1 to 6 for the fraction units.
inline int fractionDigits(int32_t precTo) {
  if (precTo <= kUnitSecond) return 0;
  return precTo >= kUnitFraction6 ? 6 : static_cast<int>(precTo - kUnitSecond);
}

// A signed amount of time in sign-and-magnitude form: once normalised,
// seconds is 0 to 86,399 and microseconds 0 to 999,999, all three are the
// magnitude and negative carries the sign (a zero amount may carry either).
struct TimeSpan {
  static constexpr int32_t kSecondsPerDay = 86400;
  static constexpr int32_t kMicrosecondsPerSecond = 1000000;

  int32_t days = 0;
  int32_t seconds = 0;
  int32_t microseconds = 0;
  bool negative = false;

  // Carries microseconds into seconds and seconds into days (truncating),
  // then borrows or flips the sign until all three are 0 or more.
  // REQUIRES: the amount fits 32-bit days.
  void normalize();
  // The amount grows (shrinks) by n seconds, then is normalised.
  void addSeconds(int32_t n);
  void subtractSeconds(int32_t n);
  // Flips the sign.
  void negate() { negative = !negative; }

  // The signed amounts compared by days, then seconds, then microseconds:
  // negative, 0 or positive.
  int compare(const TimeSpan& other) const;
  bool isEqual(const TimeSpan& other) const { return compare(other) == 0; }
  bool isGreater(const TimeSpan& other) const { return compare(other) > 0; }
  bool isLess(const TimeSpan& other) const { return compare(other) < 0; }

  // The signed amount in days.
  double asDays() const;

 private:
  void shift(int64_t n);
};

}  // namespace dv

#endif  // DV_DATUM_TIMESPAN_H_
