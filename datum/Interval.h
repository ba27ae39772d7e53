// Interval: a length of time in the SQL manner, either year-month (years and
// months) or day-time (days, hours, minutes, seconds, fraction), with a
// qualifier precFrom..precTo over the units of datum/TimeSpan.h and a total
// number of digits, precTot, that bounds the leading field: precTot less 2
// for every later unit up to the second and 1 for every fraction digit gives
// the digits the leading field may have (leadingDigits, at most 9). The
// fields hold magnitudes, and one sign holds for the whole interval; only the
// leading field may go beyond the usual range of its unit. Day-time
// intervals also hold their amount as a TimeSpan (span), which equality,
// order and the conversion to a number use.
//
// Text: the standard form ("-" between years and months, a blank between
// days and hours, ":" between the time units, "." before the fraction, a
// leading "-" for a negative interval), the same in the locale's punctuation
// (style null or "local"), and for writing the "INGRES" form with unit names
// ("3 days 4 hrs"). A failure sets "Incorrectly formatted interval." (NULL)
// and leaves a zero interval.
#ifndef DV_DATUM_INTERVAL_H_
#define DV_DATUM_INTERVAL_H_

#include <cstdint>
#include <iosfwd>

#include "datum/Datum.h"
#include "datum/TimeSpan.h"

namespace dv {

// "Incorrectly formatted interval." 0x40020014, error, NULL.
const ErrorStatus* badIntervalStatus();

class Interval : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Interval)

 public:
  // The number the prototype is registered under.
  static constexpr int kStreamTypeNumber = 3;
  // The size of the text form, NUL included.
  static constexpr int kTextSize = 43;
  // The most digits a leading field may have: it is a 32-bit count.
  static constexpr int kMaxLeadingDigits = 9;
  // The amounts in days the Julian-day constructor takes are below this one.
  static constexpr double kJulianDaysLimit = 5373485.0;

  // XIO tags of the value stream form.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;    // when not success
  static constexpr uint8_t kTagPrecFrom = 2;  // 8-bit, with tags 3 and 4 when not day to second
  static constexpr uint8_t kTagPrecTo = 3;    // 8-bit
  static constexpr uint8_t kTagPrecTot = 4;   // 16-bit
  static constexpr uint8_t kTagYear = 5;      // 32-bit each, when not 0
  static constexpr uint8_t kTagMonth = 6;
  static constexpr uint8_t kTagDay = 7;
  static constexpr uint8_t kTagHour = 8;
  static constexpr uint8_t kTagMinute = 9;
  static constexpr uint8_t kTagSecond = 10;
  static constexpr uint8_t kTagMicrosecond = 11;
  static constexpr uint8_t kTagNegative = 12;  // 8-bit, when set

  // The digits a qualifier leaves to the leading field (see above); may be
  // negative, for a qualifier that precTot cannot hold.
  static int16_t leadingDigitsOf(int16_t precTot, int32_t precFrom, int32_t precTo);
  // Whether the qualifier is one an interval can have: start unit 1 to 7,
  // end unit 1 to 12, start not after end, a year or month start only with
  // an end unit of month or coarser, and 0 or more leading digits.
  static bool validQualifier(int16_t precTot, int32_t precFrom, int32_t precTo);

  // Zero, day to second, precTot 13 (7 leading digits).
  Interval();
  Interval(const Interval& other);
  Interval& operator=(const Interval& other);
  // An amount of days (negative: a negative interval) whose magnitude is
  // below 5,373,485, day to fraction(3) with precTot 13, half a millisecond
  // added and cut to microseconds. The days must fit the qualifier (below
  // 10,000); otherwise, and for NaN, the bad-format status.
  explicit Interval(double julianDays);
  // From fields: only those inside the qualifier are taken; the sign of the
  // leading field is the interval's; the leading field must fit precTot and
  // every later field its unit's range (months 0 to 11, days 0 to 364, hours
  // 0 to 23, minutes and seconds 0 to 59, microseconds 0 to 999,999).
  Interval(int32_t years, int32_t months, int32_t days, int32_t hours, int32_t minutes,
           int32_t seconds, int32_t microseconds, int16_t precTot, int32_t precFrom,
           int32_t precTo);
  // Reads text in style (null: the locale punctuation, and the standard one
  // when the text is not in it; "local": the locale punctuation only; any
  // other name: the standard punctuation). Empty or null text gives a zero
  // interval without error.
  Interval(const char* text, const char* style, int16_t precTot, int32_t precFrom, int32_t precTo);
  ~Interval() override;

  int32_t microsecond() const { return microsecond_; }
  int32_t second() const { return second_; }
  int32_t minute() const { return minute_; }
  int32_t hour() const { return hour_; }
  int32_t day() const { return day_; }
  int32_t month() const { return month_; }
  int32_t year() const { return year_; }
  bool negative() const { return negative_; }
  int32_t precFrom() const { return precFrom_; }
  int32_t precTo() const { return precTo_; }
  int16_t precTot() const { return precTot_; }
  int16_t leadingDigits() const { return leadingDigits_; }
  const TimeSpan& span() const { return span_; }
  // Day or finer as the start unit.
  bool isDayTime() const { return precFrom_ >= kUnitDay; }

  // Datum interface.
  // A zero interval with the same qualifier.
  Datum* newEmpty() const override;
  int kind() const override;      // 5
  int typeCode() const override;  // 6
  // The span in days (negative for a negative interval); 0.0 for a
  // year-month interval. Success.
  double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;  // 43
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  // Against another interval: the order of compare; against another kind
  // of value: the order of the kinds.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  // Object interface.
  Object* shallowCopy() const override;
  // compareKind; then day-time intervals by their spans, year-month ones by
  // their signed count of months, and every day-time interval before every
  // year-month one.
  int compare(const Object& other) const override;
  // compare answers 0: equal spans, or equal counts of months.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // The standard form and the amount in days: "1 2:03:04 [Jul 1.09]".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 3
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;
  // Takes a qualifier, fields (by unit: [1] years ... [7] microseconds) and
  // sign that came from outside, checked as the object-stream reader checks
  // them. False, with nothing changed, when they are out of range. Keeps the
  // status.
  bool takeStreamed(int32_t precFrom, int32_t precTo, int16_t precTot, const int32_t values[8],
                    bool negative);
  Object* newForStream() const override;  // a new zero interval

 private:
  struct Fields;

  // Takes the qualifier and fields as the interval's when they were read
  // and pass every check, and otherwise leaves a zero interval with the
  // bad-format status (the qualifier kept when it is a valid one). Answers
  // whether they were taken.
  bool settle(const Fields& f, bool read = true);
  // Whether f passes the checks of its qualifier.
  static bool fieldsValid(const Fields& f);
  // The standard form, into out (kTextSize bytes).
  void standardForm(char* out) const;
  // The signed count of months of a year-month interval.
  int64_t totalMonths() const;

  int32_t microsecond_ = 0;
  int32_t second_ = 0;
  int32_t minute_ = 0;
  int32_t hour_ = 0;
  int32_t day_ = 0;
  int32_t month_ = 0;
  int32_t year_ = 0;
  bool negative_ = false;
  int32_t precFrom_ = kUnitDay;
  int32_t precTo_ = kUnitSecond;
  int16_t precTot_ = 13;
  int16_t leadingDigits_ = 7;
  TimeSpan span_;
};

}  // namespace dv

#endif  // DV_DATUM_INTERVAL_H_
