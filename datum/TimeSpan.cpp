// Qualifier unit names and the TimeSpan arithmetic.
#include "datum/TimeSpan.h"

namespace dv {
namespace {

// Index 0 is the empty name; 7 is the fraction as a start unit, 8 to 13 the
// fraction as an end unit of 1 to 6 digits.
const char* const kUnitNames[14] = {
    "",
    "year",
    "month",
    "day",
    "hour",
    "minute",
    "second",
    "fraction",
    "fraction(1)",
    "fraction(2)",
    "fraction(3)",
    "fraction(4)",
    "fraction(5)",
    "fraction(6)",
};

}  // namespace

const char* unitName(int32_t unit, bool isEnd) {
  if (unit < kUnitYear || unit > kUnitFraction6) return kUnitNames[0];
  return kUnitNames[isEnd && unit >= kUnitFraction ? unit + 1 : unit];
}

void TimeSpan::normalize() {
  // In 64 bits, so that the carries cannot overflow on the way.
  int64_t d = days;
  int64_t s = seconds;
  int64_t u = microseconds;
  s += u / kMicrosecondsPerSecond;
  u %= kMicrosecondsPerSecond;
  d += s / kSecondsPerDay;
  s %= kSecondsPerDay;
  auto flip = [&] {
    negative = !negative;
    d = -d;
    s = -s;
    u = -u;
  };
  for (;;) {
    if (u < 0) {
      if (s != 0 || d != 0) {
        u += kMicrosecondsPerSecond;
        --s;
      } else {
        flip();
      }
    } else if (s < 0) {
      if (d != 0) {
        s += kSecondsPerDay;
        --d;
      } else {
        flip();
      }
    } else if (d < 0) {
      flip();
    } else {
      break;
    }
  }
  days = static_cast<int32_t>(d);
  seconds = static_cast<int32_t>(s);
  microseconds = static_cast<int32_t>(u);
}

void TimeSpan::addSeconds(int32_t n) {
  shift(n);
}

void TimeSpan::subtractSeconds(int32_t n) {
  shift(-int64_t{n});
}

void TimeSpan::shift(int64_t n) {
  int64_t s = static_cast<int64_t>(seconds) + (negative ? -n : n);
  // Whole days first, so that seconds stays within 32 bits.
  days = static_cast<int32_t>(days + s / kSecondsPerDay);
  seconds = static_cast<int32_t>(s % kSecondsPerDay);
  // Nothing to borrow or flip: normalize would leave the amount as it is.
  if (s >= 0 && days >= 0 && microseconds >= 0 && microseconds < kMicrosecondsPerSecond) return;
  normalize();
}

int TimeSpan::compare(const TimeSpan& other) const {
  int64_t mine[3] = {days, seconds, microseconds};
  int64_t theirs[3] = {other.days, other.seconds, other.microseconds};
  for (int i = 0; i < 3; ++i) {
    int64_t a = negative ? -mine[i] : mine[i];
    int64_t b = other.negative ? -theirs[i] : theirs[i];
    if (a != b) return a < b ? -1 : 1;
  }
  return 0;
}

double TimeSpan::asDays() const {
  double v = days + seconds / static_cast<double>(kSecondsPerDay) +
             microseconds / (static_cast<double>(kSecondsPerDay) * kMicrosecondsPerSecond);
  return negative ? -v : v;
}

}  // namespace dv
