// Helpers shared by DateTime, Interval and their constraints: each class's
// lazily refreshed copy of the current locale's date and time settings, the
// scanning of the numbers and fractions their readings are made of, and the
// display format a constraint owns. All character classes are ASCII: a byte
// of 128 or more is never white space or a digit.
#ifndef DV_DATUM_DATETIMETEXT_H_
#define DV_DATUM_DATETIMETEXT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/Locale.h"
#include "object/OIO.h"
#include "object/String.h"

namespace dv {

// One class's copy of the date/time settings and the locale it came from.
struct DateTimeSettingsCopy {
  const Locale* locale = nullptr;  // null: the built-in values
  uint64_t serial = 0;             // that locale's serial: an address can be reused
  bool delivered = false;          // the locale delivered its settings
  DateTimeSettings settings;
};

// Copies the current locale's settings into *copy when that locale is not
// the one copied from last. Without a current locale, or when it cannot
// deliver its settings (delivered stays false), the copy holds the built-in
// values ("C").
void refreshSettings(DateTimeSettingsCopy* copy);

// White space below 128.
inline bool isTextBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool isTextDigit(char c) {
  return c >= '0' && c <= '9';
}
inline const char* skipTextBlanks(const char* p) {
  while (isTextBlank(*p)) ++p;
  return p;
}

// The largest magnitude a scanned number keeps: more digits change nothing,
// so that a long run of digits cannot overflow and still fails every range.
inline constexpr int64_t kScannedNumberLimit = 10000000000LL;

struct ScannedNumber {
  int64_t value = 0;      // with its sign; the magnitude stops at kScannedNumberLimit
  int digits = 0;         // digits read, leading zeros included
  bool negative = false;  // a "-" was read (also for -0)
};

// Reads an optionally signed ("+" or "-" when signed is true) decimal number
// at *p, without skipping white space. Answers false, with *p unchanged, when
// no digit follows; otherwise *p moves past the digits.
bool scanNumber(const char** p, bool allowSign, ScannedNumber* out);

// The fraction digits at *p rounded half up to n digits (1 to 6), in
// microseconds: the first n digits, plus one in the last place when the next
// digit is 5 or more. A rounding that reaches 1,000,000 is answered as it is.
// Reads at most takeLimit digits (-1: all); *p moves past every digit of the
// run. Answers false, with *p unchanged, when no digit is there.
bool scanFraction(const char** p, int n, int takeLimit, int32_t* microseconds);

// The display format of a date/time or interval constraint: a String the
// constraint owns, or none. Copies are deep.
class ConstraintFormat {
 public:
  ConstraintFormat() = default;
  // A copy of other's String; none when it cannot be made.
  ConstraintFormat(const ConstraintFormat& other);
  ConstraintFormat& operator=(const ConstraintFormat& other);
  ~ConstraintFormat();

  // The String, or null for none.
  const String* get() const { return format_; }
  // Replaces the format by a copy of text (null: none); false, with no
  // format, when memory runs out.
  bool set(const char* text);
  // Both none, or equal Strings.
  bool isEqual(const ConstraintFormat& other) const;
  // The String's print form, or "NULL".
  void printOn(std::ostream& out) const;
  // The String through storeOn, or the shared nil value for none.
  void storeOn(OIOout& stream) const;
  // Reads what storeOn wrote (nil() also stands for none); anything else
  // is damaged input (failSyntax). REQUIRES: no format is held yet.
  void readFrom(OIOin& stream);

 private:
  String* format_ = nullptr;
};

}  // namespace dv

#endif  // DV_DATUM_DATETIMETEXT_H_
