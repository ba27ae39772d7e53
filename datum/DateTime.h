// DateTime: the value of calendar dates, times of day and time stamps. Every
// value carries a qualifier, the range of units from precFrom to precTo
// (year to day for a date, hour to second for a time of day, year to
// fraction(6) for a time stamp), and only the units inside it are read,
// written and checked. The instant is held in UTC as an astronomical Julian
// day counted from noon with seconds and microseconds (utc), beside the same
// instant in the value's own zone (local) and its broken-down calendar fields.
//
// Zones: the offset of zone h:m is (h * 60 + m) * 60 seconds for h >= 0 and
// (h * 60 - m) * 60 for h < 0, and UTC is local time plus the offset, so a
// value read as 10:00 in zone +05:00 is 15:00 UTC. The zone applies only to
// values whose end unit is hour or finer; for coarser ones local equals utc.
//
// Calendars: the process-wide calendar reform says where the Gregorian
// calendar takes over from the Julian one (0, the initial choice: 14
// September 1752 after 2 September; 1: 15 October 1582 after 4 October; 2:
// never). Years are astronomical: 0 is 1 BC, -1 is 2 BC; -4712 to 9999.
//
// Text comes in three families of styles: the locale style (null or
// "local"), which takes its separators, field order and clock from the
// current locale's date/time settings; "iso"; and the standard style, which
// any other name selects ("odbc" and "absolute" are standard variants for
// writing). Reading with style null tries the locale style first and falls
// back to the standard style.
//
// Statuses: a failure sets "Incorrectly formatted date/time." (NULL); a
// reading that ends early sets one of three "set to" warnings, which are NULL
// too while the fields keep what was read. Nothing throws.
//
// Single-threaded: the calendar reform, the default zone and the copy of the
// locale settings are process-wide and unguarded.
#ifndef DV_DATUM_DATETIME_H_
#define DV_DATUM_DATETIME_H_

#include <cstdint>
#include <iosfwd>

#include "datum/Datum.h"
#include "datum/TimeSpan.h"

namespace dv {

// "Incorrectly formatted date/time." 0x4002000D, error, NULL.
const ErrorStatus* badDateTimeStatus();
// "($01$)Date cannot fit into UNIX seconds post-1970 format." 0x4003000E, error, NULL.
const ErrorStatus* notUnixSecondsStatus();
// "The year in this date must be AD." 0x4002000F, error, NULL.
const ErrorStatus* yearNotADStatus();
// "The time part of this date/time has been set to midnight." 0x30020011, warning, NULL.
const ErrorStatus* timeSetToMidnightStatus();
// "The minutes and seconds parts of this date/time have been set to 0."
// 0x30020012, warning, NULL.
const ErrorStatus* minutesSetToZeroStatus();
// "The seconds part of this date/time has been set to 0." 0x30020013, warning, NULL.
const ErrorStatus* secondsSetToZeroStatus();

class DateTime : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(DateTime)

 public:
  // The number the prototype is registered under.
  static constexpr int kStreamTypeNumber = 2;

  // Option bits: of the constraint (miscFlags), the constructors and asString.
  static constexpr unsigned kAdOnly = 1;          // the constraint refuses years before 1 AD
  static constexpr unsigned kDateIfMidnight = 2;  // a time of all zeros makes a date
  static constexpr unsigned kTrimFraction = 4;  // trailing zero fraction digits leave the qualifier
  static constexpr unsigned kStripZeros = 8;    // asString: no trailing zeros in the fraction
  static constexpr unsigned kPointWithDigits = 16;  // asString: "." only before fraction digits

  // Calendar reforms.
  static constexpr int kReform1752 = 0;
  static constexpr int kReform1582 = 1;
  static constexpr int kJulianOnly = 2;
  // The first Julian day numbers of the Gregorian calendar under each reform.
  static constexpr int32_t kFirstGregorianDay1582 = 2299161;  // 15 October 1582
  static constexpr int32_t kFirstGregorianDay1752 = 2361222;  // 14 September 1752
  // The day number of 1 January 1970, the epoch of UNIX seconds.
  static constexpr int32_t kUnixEpochDay = 2440587;
  // Julian dates from 0 up to (not including) this one are accepted.
  static constexpr double kJulianDateLimit = 5373485.0;
  // The range of years.
  static constexpr int32_t kFirstYear = -4712;
  static constexpr int32_t kLastYear = 9999;
  // Zone hours that stand for the default zone in the fields constructor.
  static constexpr int32_t kDefaultZone = -24;

  // Sizes of the text forms, NUL included: locale style, "iso", the others.
  static constexpr int kLocalTextSize = 65;
  static constexpr int kIsoTextSize = 35;
  static constexpr int kStandardTextSize = 42;

  // XIO tags of the value stream form, each field only when it differs from
  // the default value's.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;           // when not success
  static constexpr uint8_t kTagZoneHours = 2;        // 16-bit, when not 0
  static constexpr uint8_t kTagZoneMinutes = 3;      // 16-bit, when not 0
  static constexpr uint8_t kTagPrecFrom = 4;         // 8-bit, when not year
  static constexpr uint8_t kTagPrecTo = 5;           // 8-bit, when not second
  static constexpr uint8_t kTagUtcDays = 6;          // 32-bit, when not 1721423
  static constexpr uint8_t kTagUtcSeconds = 7;       // 32-bit, when not 43,200
  static constexpr uint8_t kTagUtcMicroseconds = 8;  // 32-bit, when not 0

  // The process-wide settings. setCalendarReform takes 0, 1 or 2 and
  // setDefaultZone a valid zone (hours -11 to 12, minutes 0 to 59, 12 hours
  // only with 0 minutes); both answer false and change nothing otherwise.
  static int calendarReform();
  static bool setCalendarReform(int reform);
  static int16_t defaultZoneHours();
  static int16_t defaultZoneMinutes();
  static bool setDefaultZone(int16_t hours, int16_t minutes);

  // Whether the astronomical year is a leap year under reform.
  static bool isLeap(int32_t year, int reform);
  // Year input: unless literal, 0 to 49 become 2000 to 2049 and 50 to 99
  // become 1950 to 1999; then a negative year counts as a year BC (-1 is
  // 1 BC, stored as 0). Year output: a stored year below 1 is written one
  // less (0 is written -1).
  static int32_t yearIn(int32_t v, bool literal);
  static int32_t yearOut(int32_t year);

  // A qualifier on its own, for the constructor below.
  struct Qualifier {
    int32_t precFrom;
    int32_t precTo;
  };

  // 1 January of year 1 (Julian calendar) 00:00:00, year to second, in the
  // default zone: utc is day 1721423 and 43,200 seconds when that zone is
  // 0:00. Weekday 6 (Saturday), yearDay 0 (not known).
  DateTime();
  // The default value with another qualifier; a qualifier that is not valid
  // (start unit 1 to 7, end unit 1 to 12, start not after end) keeps year to
  // second and gives the bad-format status.
  explicit DateTime(Qualifier qualifier);
  DateTime(const DateTime& other);
  DateTime& operator=(const DateTime& other);
  // From a count since the midnight (UTC) that starts day epochDay: seconds
  // (end unit second) or days (end unit day); start unit year. An instant
  // after 9999 gives the bad-format status.
  DateTime(uint32_t count, bool isSeconds, uint32_t epochDay);
  // From a Julian date, 0 <= julianDate < 5,373,485, cut to whole
  // milliseconds (half a millisecond is added first); year to fraction(3).
  // Anything else (NaN included) gives the bad-format status.
  explicit DateTime(double julianDate);
  // From fields: month 1 to 12, the astronomical year, zone hours of
  // kDefaultZone for the default zone. Only the fields inside the qualifier
  // are taken; the others are 2 January -4712 00:00:00. Every field taken is
  // checked (and the zone when the day is inside), with the options
  // kDateIfMidnight and kTrimFraction applied; a failure gives the bad-format
  // status.
  DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
           int32_t microsecond, int32_t zoneHours, int32_t zoneMinutes, int32_t precFrom,
           int32_t precTo, unsigned options = 0);
  // Reads text in style (null: the locale style, then the standard one;
  // "local"; "iso"; any other name: the standard style). Empty or null text
  // gives a NULL value (no error) with the fields at 0 and the day 1. Options:
  // kDateIfMidnight, kTrimFraction.
  DateTime(const char* text, const char* style, int32_t precFrom, int32_t precTo,
           unsigned options = 0);
  ~DateTime() override;

  // A new heap value for the current system time, year to second (null when
  // it cannot be allocated).
  static DateTime* now();

  // Assigns from fields as the fields constructor does (the fields outside
  // the qualifier are 2 January -4712 00:00:00); on failure the value holds
  // the bad-format status. Answers null or that status.
  const Status* assign(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                       int32_t second, int32_t microsecond, int32_t zoneHours, int32_t zoneMinutes,
                       int32_t precFrom, int32_t precTo, unsigned options = 0);

  // The count since the midnight that starts day epochDay: days, or seconds
  // with inSeconds; negative before it.
  int64_t countSince(bool inSeconds, uint32_t epochDay) const;

  // The fields: the broken-down local time (month 0 to 11).
  int32_t microsecond() const { return microsecond_; }
  int16_t second() const { return second_; }
  int16_t minute() const { return minute_; }
  int16_t hour() const { return hour_; }
  int16_t day() const { return day_; }
  int16_t month() const { return month_; }
  int16_t year() const { return year_; }
  int16_t weekday() const { return weekday_; }  // 0 Sunday to 6 Saturday
  int16_t yearDay() const { return yearDay_; }  // from 1; 0 when not known
  int16_t zoneHours() const { return zoneHours_; }
  int16_t zoneMinutes() const { return zoneMinutes_; }
  int32_t precFrom() const { return precFrom_; }
  int32_t precTo() const { return precTo_; }
  const TimeSpan& utc() const { return utc_; }
  const TimeSpan& local() const { return local_; }

  // Datum interface.
  using Datum::set;
  // A default value with the same qualifier.
  Datum* newEmpty() const override;
  int kind() const override;      // 4
  int typeCode() const override;  // 5
  // The Julian date of utc; success.
  double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // UNIX seconds of utc (32-bit). Success only for a value that starts at
  // the year with a year of 1970 to 2033; otherwise the same arithmetic with
  // "Date cannot fit into UNIX seconds post-1970 format." in *st.
  int32_t asLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // 65 for the locale style, 35 for "iso", 42 for any other.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  // The text form in style fmt; arg carries the option bits.
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  // A Julian date (as the Julian-date constructor) or UNIX seconds (negative
  // before 1970); the qualifier and the zone stay. Null, or the bad-format
  // status for a date out of range.
  const Status* set(double v, const char* fmt = nullptr) override;
  const Status* set(int32_t v, const char* fmt = nullptr) override;
  const Status* set(uint32_t v, const char* fmt = nullptr) override;
  // Not a date: the bad-format status.
  const Status* set(float v, const char* fmt = nullptr) override;
  const Status* set(uint16_t v, const char* fmt = nullptr) override;
  const Status* set(int16_t v, const char* fmt = nullptr) override;
  const Status* set(unsigned char v, const char* fmt = nullptr) override;
  const Status* set(char v, const char* fmt = nullptr) override;
  // Against another DateTime: the order of compare. Against another kind of
  // value: the order of the kinds.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  // Object interface.
  Object* shallowCopy() const override;
  // compareKind, then the start unit, the end unit and the instant (utc).
  int compare(const Object& other) const override;
  // Another DateTime with the same qualifier and instant.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // The "absolute" form, the weekday name, ".", yearDay, and the Julian date:
  // "2000-01-01 00:00:00 +0:0 Sat.1 [Jul 2451544.50]".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 2
  Object* newForStream() const override;  // a new default value
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;
  // Takes a zone, qualifier and instant that came from outside, checked as
  // the object-stream reader checks them, and derives the fields. False,
  // with nothing changed, when they are out of range.
  bool takeStreamed(int16_t hours, int16_t minutes, int32_t precFrom, int32_t precTo,
                    const TimeSpan& utc);

 private:
  struct Fields;
  struct Reader;

  // Checks f (the units inside the requested qualifier, the zone when the day
  // is inside) and computes the instant from it; keeps it (trimmed with
  // kTrimFraction) when it is valid, and otherwise changes nothing but the
  // status, which becomes the bad-format status.
  bool settle(const Fields& f, int32_t requestedFrom, int32_t requestedTo, unsigned options);
  // Derives local and the fields from utc.
  void instantToFields();
  // Takes a Julian date into utc; false when it is out of range.
  bool takeJulianDate(double v);
  // Takes seconds (or days) since epochDay into utc; false when out of range.
  bool takeCount(int64_t count, bool isSeconds, int64_t epochDay);
  // Drops trailing zero digits of the fraction from the end unit.
  void trimFraction();
  // Moves the value to zone hours:minutes and derives the fields again.
  void moveToZone(int16_t hours, int16_t minutes);
  int32_t zoneOffset() const;
  // Writes the text form into out (at least kLocalTextSize bytes).
  void format(char* out, const char* style, unsigned options) const;

  int32_t microsecond_ = 0;
  int16_t second_ = 0;
  int16_t minute_ = 0;
  int16_t hour_ = 0;
  int16_t day_ = 1;
  int16_t month_ = 0;
  int16_t year_ = 1;
  int16_t weekday_ = 6;
  int16_t yearDay_ = 0;
  int16_t zoneHours_ = 0;
  int16_t zoneMinutes_ = 0;
  int32_t precFrom_ = kUnitYear;
  int32_t precTo_ = kUnitSecond;
  TimeSpan utc_;
  TimeSpan local_;
};

}  // namespace dv

#endif  // DV_DATUM_DATETIME_H_
