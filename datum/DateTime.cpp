// The date/time value: calendar arithmetic between the broken-down fields and
// the Julian-day instant, the three families of text readings and writings,
// and the Datum and object interfaces.
#include "datum/DateTime.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <ostream>
#include <string>

#include "datum/DateTimeText.h"
#include "datum/DatumStatus.h"
#include "object/CompareNoCase.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {

DV_DEFINE_SHARED_ERROR_STATUS(badDateTimeStatus, 0x4002000Du, true, kDatumErrName,
                              "Incorrectly formatted date/time.");
DV_DEFINE_SHARED_ERROR_STATUS(notUnixSecondsStatus, 0x4003000Eu, true, kDatumErrName,
                              "($01$)Date cannot fit into UNIX seconds post-1970 format.");
DV_DEFINE_SHARED_ERROR_STATUS(yearNotADStatus, 0x4002000Fu, true, kDatumErrName,
                              "The year in this date must be AD.");
DV_DEFINE_SHARED_ERROR_STATUS(timeSetToMidnightStatus, 0x30020011u, true, kDatumErrName,
                              "The time part of this date/time has been set to midnight.");
DV_DEFINE_SHARED_ERROR_STATUS(
    minutesSetToZeroStatus, 0x30020012u, true, kDatumErrName,
    "The minutes and seconds parts of this date/time have been set to 0.");
DV_DEFINE_SHARED_ERROR_STATUS(secondsSetToZeroStatus, 0x30020013u, true, kDatumErrName,
                              "The seconds part of this date/time has been set to 0.");

namespace {

constexpr int32_t kSecondsPerDay = TimeSpan::kSecondsPerDay;
constexpr int32_t kHalfDay = kSecondsPerDay / 2;
// Adding this to a noon-based instant gives the day whose number mod 7 is the weekday.
constexpr int32_t kWeekdayShift = 129600;
// The default value's instant: 1 January of year 1 (Julian), midnight.
constexpr int32_t kDefaultDays = 1721423;
constexpr int32_t kDefaultSeconds = kHalfDay;
// The days of the months, February with its leap day.
constexpr int kMonthLength[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const char* const kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// The process-wide settings.
int calendarReformSetting = DateTime::kReform1752;
int16_t defaultHours = 0;
int16_t defaultMinutes = 0;

DateTimeSettingsCopy& settingsCopy() {
  static DateTimeSettingsCopy copy;
  return copy;
}

bool validQualifier(int64_t precFrom, int64_t precTo) {
  return precFrom >= kUnitYear && precFrom <= kUnitFraction && precTo >= kUnitYear &&
         precTo <= kUnitFraction6 && precFrom <= precTo;
}

// The zones a value whose day is inside may have.
bool zoneInRange(int64_t hours, int64_t minutes) {
  if (hours < -11 || hours > 12 || minutes < 0 || minutes > 59) return false;
  return hours != 12 || minutes == 0;
}

// The zones any value may have: less than a day, so that the stored form
// holds them and the instant stays within a day of its fields.
bool zoneHeld(int64_t hours, int64_t minutes) {
  return hours >= -23 && hours <= 23 && minutes >= 0 && minutes <= 59;
}

int32_t offsetOf(int32_t hours, int32_t minutes) {
  return hours >= 0 ? (hours * 60 + minutes) * 60 : (hours * 60 - minutes) * 60;
}

// Whether the date (month from 0) lies on or after the first Gregorian day of reform.
bool gregorianDate(int32_t year, int32_t month, int32_t day, int reform) {
  int32_t firstYear = 0;
  int32_t firstMonth = 0;
  int32_t firstDay = 0;
  if (reform == DateTime::kReform1582) {
    firstYear = 1582;
    firstMonth = 9;
    firstDay = 15;
  } else if (reform == DateTime::kReform1752) {
    firstYear = 1752;
    firstMonth = 8;
    firstDay = 14;
  } else {
    return false;
  }
  if (year != firstYear) return year > firstYear;
  if (month != firstMonth) return month > firstMonth;
  return day >= firstDay;
}

// Whether the date falls among the days the reform dropped.
bool droppedByReform(int32_t year, int32_t month, int32_t day, int reform) {
  if (reform == DateTime::kReform1582) return year == 1582 && month == 9 && day >= 5 && day <= 14;
  if (reform == DateTime::kReform1752) return year == 1752 && month == 8 && day >= 3 && day <= 13;
  return false;
}

// The noon-based day count of local midnight starting the date (month from 0),
// in integers: trunc(365.25 y) is 1461 y / 4 (less 0.75 before year 0) and
// trunc(30.6001 (m + 1)) is 306001 (m + 1) / 10000.
int32_t dayNumber(int32_t year, int32_t month, int32_t day, int reform) {
  int32_t y = year;
  int32_t m = month + 1;
  if (m < 3) {
    m += 12;
    y -= 1;
  }
  int32_t b = 0;
  if (gregorianDate(year, month, day, reform)) b = 2 - y / 100 + (y / 100) / 4;
  int32_t c = y < 0 ? (1461 * y - 3) / 4 : 1461 * y / 4;
  int32_t d = 306001 * (m + 1) / 10000;
  return b + c + d + day + 1720994;
}

struct CivilDate {
  int32_t year;
  int32_t month;  // 1 to 12
  int32_t day;
};

// The date of the day that starts at midnight day number j (noon-based count
// plus half a day), 0 or more. The steps of the usual Julian-day algorithm
// in exact integer arithmetic: its constants 1867216.25, 36524.25, 122.1,
// 365.25 and 30.6001 are kept as the fractions they stand for.
CivilDate civilDate(int32_t j, int reform) {
  int64_t a = j;
  if ((reform == DateTime::kReform1582 && j >= DateTime::kFirstGregorianDay1582) ||
      (reform == DateTime::kReform1752 && j >= DateTime::kFirstGregorianDay1752)) {
    int64_t alpha = (4 * a - 7468865) / 146097;
    a = a + 1 + alpha - alpha / 4;
  }
  int64_t b = a + 1524;
  int64_t c = (20 * b - 2442) / 7305;
  int64_t d = 1461 * c / 4;
  int64_t e = (b - d) * 10000 / 306001;
  CivilDate date;
  date.day = static_cast<int32_t>(b - d - e * 306001 / 10000);
  date.month = static_cast<int32_t>(e < 14 ? e - 1 : e - 13);
  date.year = static_cast<int32_t>(date.month <= 2 ? c - 4715 : c - 4716);
  return date;
}

// The year of a noon-based instant, or a year out of every range for a
// negative one.
int32_t yearOf(const TimeSpan& instant) {
  TimeSpan w = instant;
  w.addSeconds(kHalfDay);
  if (w.negative) return DateTime::kFirstYear - 1;
  return civilDate(w.days, calendarReformSetting).year;
}

// Whether utc is a valid instant of a value whose local time is utc less
// offset (less than a day): never negative, and both within the years.
bool instantValid(const TimeSpan& utc, int32_t offset) {
  if (utc.negative || utc.days < 0 || utc.seconds < 0 || utc.seconds >= kSecondsPerDay ||
      utc.microseconds < 0 || utc.microseconds >= TimeSpan::kMicrosecondsPerSecond) {
    return false;
  }
  // Local time then falls on days utc.days - 1 to utc.days + 2 (counted from
  // midnight), inside the years for these days under every reform: 0 is 1
  // January -4712 and 5,373,484 the earliest 31 December 9999 (Gregorian).
  if (utc.days >= 2 && utc.days <= 5373482) return true;
  TimeSpan local = utc;
  local.subtractSeconds(offset);
  int32_t utcYear = yearOf(utc);
  int32_t localYear = yearOf(local);
  return utcYear >= DateTime::kFirstYear && utcYear <= DateTime::kLastYear &&
         localYear >= DateTime::kFirstYear && localYear <= DateTime::kLastYear;
}

int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Whether text starts with the piece (of length n, 1 or more), ignoring the
// case of ASCII letters.
bool startsNoCase(const char* text, const char* piece, std::size_t n) {
  return n > 0 && strnlen(text, n) == n && compareNoCase(text, piece, n) == 0;
}

// Writes v in decimal into out (16 bytes or more), padded with "0" on the
// left to width characters (at most 12), a minus sign counting, as "%0*d"
// does; answers the length. No NUL is written.
std::size_t writePadded(char* out, int32_t v, int width) {
  char reversed[12];
  int n = 0;
  uint32_t m = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  do {
    reversed[n++] = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0);
  std::size_t used = 0;
  if (v < 0) out[used++] = '-';
  for (int pad = width - n - (v < 0 ? 1 : 0); pad > 0; --pad) out[used++] = '0';
  while (n > 0) out[used++] = reversed[--n];
  return used;
}

// Appends formatted text to a fixed buffer, never beyond it.
class TextBuilder {
 public:
  TextBuilder(char* out, std::size_t size) : out_(out), size_(size) { out_[0] = '\0'; }
  void put(const char* text, std::size_t n) {
    for (std::size_t i = 0; i < n && used_ + 1 < size_; ++i) out_[used_++] = text[i];
    out_[used_] = '\0';
  }
  void put(const char* text) { put(text, std::strlen(text)); }
  void number(int32_t v, int width) {
    char digits[16];
    put(digits, writePadded(digits, v, width));
  }

 private:
  char* out_;
  std::size_t size_;
  std::size_t used_ = 0;
};

Datum* dateTimeFromString(const char* text) {
  return new (std::nothrow) DateTime(text, nullptr, kUnitYear, kUnitSecond, 0);
}

void registerDateTimePrototype(const Class&) {
  static DateTime prototype;
  registerPrototype(&prototype, DateTime::kStreamTypeNumber);
}

}  // namespace

// The broken-down fields of a construction, wide enough for any number a
// text holds, so that they are checked before they are narrowed and kept.
struct DateTime::Fields {
  int32_t precFrom = kUnitYear;
  int32_t precTo = kUnitSecond;
  int64_t year = 0;
  int64_t month = 0;  // from 0
  int64_t day = 0;
  int64_t hour = 0;
  int64_t minute = 0;
  int64_t second = 0;
  int64_t microsecond = 0;
  int64_t zoneHours = defaultHours;
  int64_t zoneMinutes = defaultMinutes;
};

DV_DEFINE_CLASS_MEMBERS(DateTime, Datum)

const Class& DateTime::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("DateTime", bases, none, none, 1, Class::kIdent, sizeof(DateTime),
                            &readObjectText<DateTime>, &readObjectBinary<DateTime>,
                            &registerDateTimePrototype, nullptr, &dateTimeFromString);
  return d;
}

// Process-wide settings and calendar rules

int DateTime::calendarReform() {
  return calendarReformSetting;
}

bool DateTime::setCalendarReform(int reform) {
  if (reform < kReform1752 || reform > kJulianOnly) return false;
  calendarReformSetting = reform;
  return true;
}

int16_t DateTime::defaultZoneHours() {
  return defaultHours;
}

int16_t DateTime::defaultZoneMinutes() {
  return defaultMinutes;
}

bool DateTime::setDefaultZone(int16_t hours, int16_t minutes) {
  if (!zoneInRange(hours, minutes)) return false;
  defaultHours = hours;
  defaultMinutes = minutes;
  return true;
}

bool DateTime::isLeap(int32_t year, int reform) {
  if (year % 400 == 0) return true;
  if (year % 4 != 0) return false;
  if (year % 100 != 0 || reform == kJulianOnly) return true;
  return year < (reform == kReform1582 ? 1582 : 1752);
}

int32_t DateTime::yearIn(int32_t v, bool literal) {
  if (!literal && v >= 0 && v < 100) v += v < 50 ? 2000 : 1900;
  return v < 0 ? v + 1 : v;
}

int32_t DateTime::yearOut(int32_t year) {
  return year < 1 ? year - 1 : year;
}

// Construction

DateTime::DateTime() {
  zoneHours_ = defaultHours;
  zoneMinutes_ = defaultMinutes;
  utc_ = {kDefaultDays, kDefaultSeconds, 0, false};
  local_ = utc_;
  utc_.addSeconds(zoneOffset());
}

DateTime::DateTime(Qualifier qualifier) : DateTime() {
  if (!validQualifier(qualifier.precFrom, qualifier.precTo)) {
    setStatus(badDateTimeStatus());
    return;
  }
  precFrom_ = qualifier.precFrom;
  precTo_ = qualifier.precTo;
  // Without the hour the zone does not apply.
  if (precTo_ < kUnitHour) utc_ = local_;
}

DateTime::DateTime(const DateTime& other) = default;
DateTime& DateTime::operator=(const DateTime& other) = default;
DateTime::~DateTime() = default;

DateTime::DateTime(uint32_t count, bool isSeconds, uint32_t epochDay) {
  zoneHours_ = defaultHours;
  zoneMinutes_ = defaultMinutes;
  precTo_ = isSeconds ? kUnitSecond : kUnitDay;
  utc_ = {kDefaultDays, kDefaultSeconds, 0, false};
  local_ = utc_;
  if (takeCount(count, isSeconds, epochDay)) {
    instantToFields();
  } else {
    setStatus(badDateTimeStatus());
  }
}

DateTime::DateTime(double julianDate) {
  zoneHours_ = defaultHours;
  zoneMinutes_ = defaultMinutes;
  precTo_ = kUnitFraction3;
  // What a rejected date leaves: 1 January -4712.
  year_ = kFirstYear;
  weekday_ = 0;
  utc_ = {kDefaultDays, kDefaultSeconds, 0, false};
  local_ = utc_;
  if (takeJulianDate(julianDate)) {
    instantToFields();
  } else {
    setStatus(badDateTimeStatus());
  }
}

DateTime::DateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second, int32_t microsecond, int32_t zoneHours, int32_t zoneMinutes,
                   int32_t precFrom, int32_t precTo, unsigned options)
    : DateTime() {
  assign(year, month, day, hour, minute, second, microsecond, zoneHours, zoneMinutes, precFrom,
         precTo, options);
}

const Status* DateTime::assign(int32_t year, int32_t month, int32_t day, int32_t hour,
                               int32_t minute, int32_t second, int32_t microsecond,
                               int32_t zoneHours, int32_t zoneMinutes, int32_t precFrom,
                               int32_t precTo, unsigned options) {
  if (!validQualifier(precFrom, precTo)) {
    setStatus(badDateTimeStatus());
    return status();
  }
  // The fields outside the qualifier: the first day whose midnight is a valid
  // instant, so that a time of day alone makes one.
  Fields f;
  f.precFrom = precFrom;
  f.precTo = precTo;
  f.year = kFirstYear;
  f.day = 2;
  auto inside = [&](int32_t unit) { return unitInside(precFrom, precTo, unit); };
  if (inside(kUnitYear)) f.year = year;
  if (inside(kUnitMonth)) f.month = int64_t{month} - 1;
  if (inside(kUnitDay)) f.day = day;
  if (inside(kUnitHour)) f.hour = hour;
  if (inside(kUnitMinute)) f.minute = minute;
  if (inside(kUnitSecond)) f.second = second;
  if (inside(kUnitFraction)) f.microsecond = microsecond;
  if (zoneHours != kDefaultZone) {
    f.zoneHours = zoneHours;
    f.zoneMinutes = zoneMinutes;
  }
  if (!settle(f, precFrom, precTo, options)) return status();
  setStatus(successStatus());
  return nullptr;
}

DateTime* DateTime::now() {
  std::time_t t = std::time(nullptr);
  return new (std::nothrow) DateTime(static_cast<uint32_t>(t), true, kUnixEpochDay);
}

int64_t DateTime::countSince(bool inSeconds, uint32_t epochDay) const {
  TimeSpan w = utc_;
  w.subtractSeconds(kHalfDay);
  int64_t days = int64_t{w.days} - epochDay;
  return inSeconds ? days * kSecondsPerDay + w.seconds : days;
}

// Calendar arithmetic

int32_t DateTime::zoneOffset() const {
  return offsetOf(zoneHours_, zoneMinutes_);
}

bool DateTime::settle(const Fields& f, int32_t requestedFrom, int32_t requestedTo,
                      unsigned options) {
  Fields g = f;
  // Only a value that holds the day can become a date.
  if ((options & kDateIfMidnight) != 0 && g.precFrom <= kUnitDay && g.precTo >= kUnitHour &&
      g.hour == 0 && g.minute == 0 && g.second == 0 && g.microsecond == 0) {
    g.precTo = kUnitDay;
  }
  auto inside = [&](int32_t unit) { return unitInside(requestedFrom, requestedTo, unit); };
  bool ok = zoneHeld(g.zoneHours, g.zoneMinutes);
  if (inside(kUnitMonth) && (g.month < 0 || g.month > 11)) ok = false;
  if (inside(kUnitYear) && (g.year < kFirstYear || g.year > kLastYear)) ok = false;
  if (ok && inside(kUnitDay)) {
    int32_t m = g.month >= 0 && g.month <= 11 ? static_cast<int32_t>(g.month) : 0;
    if (g.day < 1 || g.day > kMonthLength[m]) ok = false;
    if (m == 1 && g.day == 29 && !isLeap(static_cast<int32_t>(g.year), calendarReformSetting)) {
      ok = false;
    }
    // The days a reform dropped never existed.
    if (droppedByReform(static_cast<int32_t>(g.year), m, static_cast<int32_t>(g.day),
                        calendarReformSetting)) {
      ok = false;
    }
    if (!zoneInRange(g.zoneHours, g.zoneMinutes)) ok = false;
  }
  if (inside(kUnitHour) && (g.hour < 0 || g.hour > 23)) ok = false;
  if (inside(kUnitMinute) && (g.minute < 0 || g.minute > 59)) ok = false;
  if (inside(kUnitSecond) && (g.second < 0 || g.second > 59)) ok = false;
  if (inside(kUnitFraction) && (g.microsecond < 0 || g.microsecond >= 1000000)) ok = false;
  // The fields outside the requested qualifier were not checked: keep them
  // within the ranges of the arithmetic.
  if (g.year < kFirstYear - 1 || g.year > kLastYear + 1 || g.month < 0 || g.month > 11 ||
      g.day < 0 || g.day > 31 || g.hour < 0 || g.hour > 23 || g.minute < 0 || g.minute > 59 ||
      g.second < 0 || g.second > 59 || g.microsecond < 0 || g.microsecond >= 1000000) {
    ok = false;
  }
  // The instant of the fields (now within the ranges of the arithmetic),
  // kept only when it is valid.
  TimeSpan utc;
  if (ok) {
    int32_t offset = g.precTo >= kUnitHour ? offsetOf(static_cast<int32_t>(g.zoneHours),
                                                      static_cast<int32_t>(g.zoneMinutes))
                                           : 0;
    utc.days = dayNumber(static_cast<int32_t>(g.year), static_cast<int32_t>(g.month),
                         static_cast<int32_t>(g.day), calendarReformSetting);
    utc.seconds = static_cast<int32_t>(g.second + ((g.hour + 12) * 60 + g.minute) * 60);
    if (utc.seconds >= kSecondsPerDay) {
      utc.seconds -= kSecondsPerDay;
      utc.days += 1;
    }
    utc.microseconds = static_cast<int32_t>(g.microsecond);
    if (offset != 0) utc.addSeconds(offset);
    ok = instantValid(utc, offset);
  }
  if (!ok) {
    setStatus(badDateTimeStatus());
    return false;
  }
  precFrom_ = g.precFrom;
  precTo_ = g.precTo;
  zoneHours_ = static_cast<int16_t>(g.zoneHours);
  zoneMinutes_ = static_cast<int16_t>(g.zoneMinutes);
  utc_ = utc;
  // The fields follow from the instant.
  instantToFields();
  if ((options & kTrimFraction) != 0) trimFraction();
  return true;
}

void DateTime::instantToFields() {
  int reform = calendarReformSetting;
  local_ = utc_;
  int32_t offset = precTo_ >= kUnitHour ? zoneOffset() : 0;
  if (offset != 0) local_.subtractSeconds(offset);
  // Midnight-based: half a day later.
  TimeSpan w = local_;
  if (!w.negative && w.seconds >= 0 && w.seconds < kSecondsPerDay) {
    w.seconds += kHalfDay;
    if (w.seconds >= kSecondsPerDay) {
      w.seconds -= kSecondsPerDay;
      ++w.days;
    }
  } else {
    w.addSeconds(kHalfDay);
  }
  int32_t j = w.negative ? 0 : w.days;
  int32_t s = w.negative ? 0 : w.seconds;
  CivilDate date = civilDate(j, reform);
  year_ = static_cast<int16_t>(date.year);
  month_ = static_cast<int16_t>(date.month - 1);
  day_ = static_cast<int16_t>(date.day);
  second_ = static_cast<int16_t>(s % 60);
  minute_ = static_cast<int16_t>((s / 60) % 60);
  hour_ = static_cast<int16_t>(s / 3600);
  microsecond_ = local_.microseconds;

  int32_t m = date.month;
  int32_t k = isLeap(date.year, reform) ? 1 : 2;
  int32_t yd = 275 * m / 9 - k * ((m + 9) / 12) + date.day - 30;
  // The reform year counts without the dropped days.
  if (reform == kReform1582 && date.year == 1582 &&
      gregorianDate(date.year, m - 1, date.day, reform))
    yd -= 10;
  if (reform == kReform1752 && date.year == 1752 &&
      gregorianDate(date.year, m - 1, date.day, reform))
    yd -= 11;
  yearDay_ = static_cast<int16_t>(yd >= 1 && yd <= 366 ? yd : 0);

  // The day that starts at midnight day number j is weekday (j + 1) mod 7.
  if (!w.negative) {
    weekday_ = static_cast<int16_t>((w.days + 1) % 7);
    return;
  }
  TimeSpan wd = local_;
  wd.addSeconds(kWeekdayShift);
  int32_t weekday = wd.days % 7;
  weekday_ = static_cast<int16_t>(!wd.negative && weekday >= 0 && weekday <= 6 ? weekday : 0);
}

bool DateTime::takeJulianDate(double v) {
  if (!(v >= 0.0 && v < kJulianDateLimit)) return false;
  double shifted = v + 0.0005 / kSecondsPerDay;
  double days = std::trunc(shifted);
  double f = (shifted - days) * kSecondsPerDay;
  double seconds = std::trunc(f);
  int32_t microseconds = static_cast<int32_t>(std::trunc((f - seconds) * 1000000.0));
  TimeSpan utc;
  utc.days = static_cast<int32_t>(days);
  utc.seconds = static_cast<int32_t>(seconds);
  utc.microseconds = microseconds / 1000 * 1000;
  if (!instantValid(utc, precTo_ >= kUnitHour ? zoneOffset() : 0)) return false;
  utc_ = utc;
  return true;
}

bool DateTime::takeCount(int64_t count, bool isSeconds, int64_t epochDay) {
  int64_t days = isSeconds ? floorDiv(count, kSecondsPerDay) + epochDay : count + epochDay;
  int64_t seconds = isSeconds ? count - floorDiv(count, kSecondsPerDay) * kSecondsPerDay : 0;
  // Far beyond the last day: the span below would not hold it.
  if (days < 0 || days > kJulianDateLimit) return false;
  TimeSpan utc;
  utc.days = static_cast<int32_t>(days);
  utc.seconds = static_cast<int32_t>(seconds);
  utc.addSeconds(kHalfDay);
  if (!instantValid(utc, precTo_ >= kUnitHour ? zoneOffset() : 0)) return false;
  utc_ = utc;
  return true;
}

void DateTime::trimFraction() {
  // A value that starts at the fraction keeps its first digit.
  while (precTo_ >= kUnitFraction && precTo_ > precFrom_) {
    // The last digit kept and those after it, in microseconds: 10 for
    // fraction(6), 1,000,000 for fraction(1).
    int32_t place = 10;
    for (int i = fractionDigits(precTo_); i < 6; ++i) place *= 10;
    if (microsecond_ % place != 0) return;
    --precTo_;
  }
}

void DateTime::moveToZone(int16_t hours, int16_t minutes) {
  zoneHours_ = hours;
  zoneMinutes_ = minutes;
  instantToFields();
}

// Reading text

struct DateTime::Reader {
  Reader(const char* text, unsigned options) : p(text), options(options) {}

  const char* p;
  unsigned options;
  const Status* warning = nullptr;

  // The locale reading, or with iso the "iso" reading, into f.
  bool readLocale(const DateTimeSettings& s, bool iso, Fields* f);
  // The standard reading into f.
  bool readStandard(Fields* f);

  // Skips white space; true when the text has ended.
  bool atEnd() {
    p = skipTextBlanks(p);
    return *p == '\0';
  }
  // The separator (n bytes; 0 always matches), consumed when it is there.
  bool separator(const char* text, int n) {
    if (n > 0 && std::strncmp(p, text, static_cast<std::size_t>(n)) != 0) return false;
    p += n;
    return true;
  }
  // A number with white space skipped around it; false (nothing consumed)
  // when there is none.
  bool number(bool allowSign, ScannedNumber* n) {
    const char* q = skipTextBlanks(p);
    if (!scanNumber(&q, allowSign, n)) return false;
    p = skipTextBlanks(q);
    return true;
  }
  // Where the before/after-noon text and "GMT" that may follow q end.
  const char* suffixEnd(const char* q, const DateTimeSettings& s) const {
    q = skipTextBlanks(q);
    if (s.time.clock24 == 0) {
      if (startsNoCase(q, s.time.amText, static_cast<std::size_t>(s.time.amTextLength))) {
        q = skipTextBlanks(q + s.time.amTextLength);
      } else if (startsNoCase(q, s.time.pmText, static_cast<std::size_t>(s.time.pmTextLength))) {
        q = skipTextBlanks(q + s.time.pmTextLength);
      }
    }
    if (startsNoCase(q, "GMT", 3)) q = skipTextBlanks(q + 3);
    return q;
  }
};

bool DateTime::Reader::readLocale(const DateTimeSettings& s, bool iso, Fields* f) {
  const char* dateSep = iso ? "-" : s.date.dateSeparator;
  int dateSepLength = iso ? 1 : s.date.dateSeparatorLength;
  const char* timeSep = iso ? "." : s.time.timeSeparator;
  int timeSepLength = iso ? 1 : s.time.timeSeparatorLength;
  const char* decimalSep = iso ? "." : s.number.decimalSeparator;
  int decimalSepLength = iso ? 1 : s.number.decimalSeparatorLength;
  bool literalYears = iso || s.date.fourDigitYear != 0;
  int order = s.date.dateOrder;
  int32_t from = f->precFrom;
  int32_t to = f->precTo;

  // The date part: numbers joined by the date separator.
  ScannedNumber n;
  auto dateNumber = [&](char which, bool first) {
    if (!first && !separator(dateSep, dateSepLength)) return false;
    if (!number(true, &n)) return false;
    if (which == 'y')
      f->year = yearIn(static_cast<int32_t>(n.value), literalYears || n.digits >= 3);
    if (which == 'm') f->month = n.value - 1;
    if (which == 'd') f->day = n.value;
    return true;
  };
  auto dateNumbers = [&](const char* fields) {
    for (int i = 0; fields[i] != '\0'; ++i) {
      if (!dateNumber(fields[i], i == 0)) return false;
    }
    return true;
  };
  static const char* const kThreeFields[6] = {"dmy", "dym", "mdy", "myd", "ydm", "ymd"};
  bool yearFirst = order == 1 || order >= 4;
  bool dayFirst = order == 0 || order == 1 || order == 4;
  bool ok = true;
  if (from == kUnitYear) {
    if (to == kUnitYear) {
      ok = dateNumbers("y");
    } else if (to == kUnitMonth) {
      ok = dateNumbers(iso || yearFirst ? "ym" : "my");
    } else {
      ok = dateNumbers(iso ? "ymd" : kThreeFields[order < 5 ? order : 5]);
    }
  } else if (from == kUnitMonth) {
    // "iso" puts the month first, as it writes it.
    ok = dateNumbers(to == kUnitMonth ? "m" : (!iso && dayFirst ? "dm" : "md"));
  } else if (from == kUnitDay) {
    ok = dateNumbers("d");
  }
  if (!ok) return false;

  if (to >= kUnitHour) {
    if (iso && from <= kUnitDay && !atEnd() && !separator("-", 1)) return false;
    bool hourInside = from <= kUnitHour;
    int32_t last = to < kUnitFraction ? to : kUnitFraction;
    for (int32_t unit = from > kUnitHour ? from : kUnitHour; unit <= last; ++unit) {
      if (unit == kUnitHour) {
        if (atEnd()) {
          if ((options & kDateIfMidnight) != 0 && from <= kUnitDay) {
            f->precTo = kUnitDay;
          } else {
            warning = timeSetToMidnightStatus();
          }
          break;
        }
        if (!number(true, &n)) return false;
        f->hour = n.value;
        separator(timeSep, timeSepLength);
      } else if (unit == kUnitMinute || unit == kUnitSecond) {
        const Status* early =
            unit == kUnitMinute ? minutesSetToZeroStatus() : secondsSetToZeroStatus();
        if (atEnd()) {
          warning = early;
          break;
        }
        if (!number(true, &n)) {
          if (!iso && hourInside && *suffixEnd(p, s) == '\0') {
            warning = early;
            break;
          }
          return false;
        }
        if (unit == kUnitMinute) {
          f->minute = n.value;
          separator(timeSep, timeSepLength);
        } else {
          f->second = n.value;
          if (to < kUnitFraction || decimalSepLength == 0 ||
              std::strncmp(p, decimalSep, static_cast<std::size_t>(decimalSepLength)) != 0) {
            break;
          }
          p += decimalSepLength;
        }
      } else {
        p = skipTextBlanks(p);
        if (from == kUnitFraction) separator(decimalSep, decimalSepLength);
        int digits = fractionDigits(to);
        int32_t microseconds = 0;
        if (!scanFraction(&p, digits, digits + 1, &microseconds)) return false;
        f->microsecond = microseconds;
        p = skipTextBlanks(p);
      }
    }
    if (!iso && hourInside && to >= kUnitHour) {
      p = skipTextBlanks(p);
      if (s.time.clock24 == 0) {
        if (startsNoCase(p, s.time.amText, static_cast<std::size_t>(s.time.amTextLength))) {
          if (f->hour == 12) f->hour = 0;
          p = skipTextBlanks(p + s.time.amTextLength);
        } else if (startsNoCase(p, s.time.pmText, static_cast<std::size_t>(s.time.pmTextLength))) {
          f->hour += 12;
          if (f->hour == 24) f->hour = 12;
          p = skipTextBlanks(p + s.time.pmTextLength);
        }
      }
      if (startsNoCase(p, "GMT", 3)) {
        f->zoneHours = 0;
        f->zoneMinutes = 0;
        p += 3;
      }
    }
  }
  return atEnd();
}

bool DateTime::Reader::readStandard(Fields* f) {
  int32_t from = f->precFrom;
  int32_t to = f->precTo;
  int32_t last = to < kUnitFraction ? to : kUnitFraction;
  ScannedNumber n;
  // After a year or a month: "-" before the next unit, nothing after the end unit.
  auto dash = [&](int32_t unit) {
    if (atEnd()) return true;
    if (*p != '-' || unit == to) return false;
    ++p;
    return true;
  };
  // After an hour or a minute: ":" before the end unit, a zone's sign after it.
  auto colon = [&](int32_t unit) {
    if (atEnd()) return true;
    if (unit < to) {
      if (*p != ':') return false;
      ++p;
      return true;
    }
    return *p == '+' || *p == '-';
  };
  for (int32_t unit = from; unit <= last; ++unit) {
    if (unit == kUnitYear) {
      if (!number(true, &n)) return false;
      f->year = yearIn(static_cast<int32_t>(n.value), true);
      if (!dash(unit)) return false;
    } else if (unit == kUnitMonth) {
      if (!number(false, &n)) return false;
      f->month = n.value - 1;
      if (!dash(unit)) return false;
    } else if (unit == kUnitDay) {
      if (!number(false, &n)) return false;
      f->day = n.value;
    } else if (unit == kUnitHour || unit == kUnitMinute) {
      if (!number(false, &n)) {
        if (unit == kUnitHour && (options & kDateIfMidnight) != 0 && from <= kUnitDay) {
          f->precTo = kUnitDay;
        } else {
          warning = unit == kUnitHour ? timeSetToMidnightStatus() : minutesSetToZeroStatus();
        }
        break;
      }
      (unit == kUnitHour ? f->hour : f->minute) = n.value;
      if (!colon(unit)) return false;
    } else if (unit == kUnitSecond) {
      if (!number(false, &n)) {
        warning = secondsSetToZeroStatus();
        break;
      }
      f->second = n.value;
      if (atEnd() || *p != '.' || to < kUnitFraction) {
        if (f->precTo > kUnitSecond) f->precTo = kUnitSecond;
        break;
      }
    } else {
      // The fraction: its digits after a "."; a value that starts at the
      // fraction is written without the point, and is read either way.
      p = skipTextBlanks(p);
      if (*p == '.') {
        ++p;
      } else if (from != kUnitFraction) {
        return false;
      }
      int32_t microseconds = 0;
      if (!scanFraction(&p, fractionDigits(to), -1, &microseconds)) return false;
      f->microsecond = microseconds;
    }
  }
  // The zone applies, and may be given, when the end unit is the hour or
  // finer: the "absolute" form writes it for every such value.
  if (!atEnd()) {
    if ((*p != '+' && *p != '-') || to < kUnitHour) return false;
    bool west = *p == '-';
    ++p;
    ScannedNumber hours;
    ScannedNumber minutes;
    if (!number(false, &hours) || *p != ':') return false;
    ++p;
    if (!number(false, &minutes)) return false;
    // Zone hours carry the sign: a western zone of less than an hour has none.
    if (west && hours.value == 0 && minutes.value != 0) return false;
    f->zoneHours = west ? -hours.value : hours.value;
    f->zoneMinutes = minutes.value;
  }
  return atEnd();
}

DateTime::DateTime(const char* text, const char* style, int32_t precFrom, int32_t precTo,
                   unsigned options) {
  zoneHours_ = defaultHours;
  zoneMinutes_ = defaultMinutes;
  year_ = 0;
  weekday_ = 0;
  utc_ = {kDefaultDays, kDefaultSeconds, 0, false};
  local_ = utc_;
  if (!validQualifier(precFrom, precTo)) {
    setStatus(badDateTimeStatus());
    return;
  }
  precFrom_ = precFrom;
  precTo_ = precTo;
  if (text == nullptr || text[0] == '\0') {
    setNull();
    return;
  }
  bool local = isLocalFormat(style);
  bool iso = !local && std::strcmp(style, "iso") == 0;
  // The fields start at 0, but for a day of 1: a day of 0 outside the
  // qualifier would move a year and month to the month before.
  Fields start;
  start.precFrom = precFrom;
  start.precTo = precTo;
  start.day = 1;
  if (local || iso) {
    DateTimeSettingsCopy& copy = settingsCopy();
    refreshSettings(&copy);
    Reader reader(text, options);
    Fields f = start;
    // When the checks fail, settle changes nothing but the status, and the
    // standard reading may still follow.
    if (reader.readLocale(copy.settings, iso, &f) && settle(f, precFrom, precTo, options)) {
      setStatus(reader.warning != nullptr ? reader.warning : successStatus());
      return;
    }
    if (style != nullptr) {
      setStatus(badDateTimeStatus());
      return;
    }
  }
  Reader reader(text, options);
  Fields f = start;
  if (!reader.readStandard(&f)) {
    setStatus(badDateTimeStatus());
    return;
  }
  if (settle(f, precFrom, precTo, options)) {
    setStatus(reader.warning != nullptr ? reader.warning : successStatus());
  }
}

// Writing text

void DateTime::format(char* out, const char* style, unsigned options) const {
  TextBuilder text(out, kLocalTextSize);
  bool local = isLocalFormat(style);
  bool iso = !local && std::strcmp(style, "iso") == 0;
  bool odbc = !local && std::strcmp(style, "odbc") == 0;
  bool absolute = !local && std::strcmp(style, "absolute") == 0;
  // The fields shown: this value's, or a copy's moved to the zone written.
  std::optional<DateTime> moved;
  if (precTo_ >= kUnitHour) {
    int16_t h = absolute ? 0 : defaultHours;
    int16_t m = absolute ? 0 : defaultMinutes;
    if (zoneHours_ != h || zoneMinutes_ != m) {
      moved.emplace(*this);
      moved->moveToZone(h, m);
    }
  }
  const DateTime& c = moved ? *moved : *this;
  int32_t from = c.precFrom_;
  int32_t to = c.precTo_;
  if ((options & kDateIfMidnight) != 0 && from <= kUnitDay && to >= kUnitHour && c.hour_ == 0 &&
      c.minute_ == 0 && c.second_ == 0 && c.microsecond_ == 0) {
    to = kUnitDay;
  }
  int32_t last = to < kUnitFraction ? to : kUnitFraction;
  char fraction[16];
  fraction[writePadded(fraction, c.microsecond_, 6)] = '\0';
  fraction[fractionDigits(to)] = '\0';

  if (local) {
    DateTimeSettingsCopy& copy = settingsCopy();
    refreshSettings(&copy);
    const DateTimeSettings& s = copy.settings;
    int32_t year = from == kUnitYear ? yearOut(c.year_) : c.year_;
    int yearWidth = 4;
    if (s.date.fourDigitYear == 0 && to > kUnitYear) {
      yearWidth = 2;
      year %= 100;
    }
    int dayWidth = s.date.dayLeadingZero != 0 ? 2 : 1;
    int monthWidth = s.date.monthLeadingZero != 0 ? 2 : 1;
    int timeWidth = s.time.timeLeadingZero != 0 ? 2 : 1;
    bool hourInside = unitInside(from, to, kUnitHour);
    bool twelveHour = s.time.clock24 == 0 && hourInside;
    int32_t hour = c.hour_;
    bool afternoon = hour >= 12;
    if (twelveHour) {
      if (hour > 12) hour -= 12;
      if (hour == 0) hour = 12;
    }
    auto dateField = [&](char which) {
      if (which == 'y') text.number(year, yearWidth);
      if (which == 'm') text.number(c.month_ + 1, monthWidth);
      if (which == 'd') text.number(c.day_, dayWidth);
    };
    auto dateFields = [&](const char* fields) {
      for (int i = 0; fields[i] != '\0'; ++i) {
        if (i > 0)
          text.put(s.date.dateSeparator, static_cast<std::size_t>(s.date.dateSeparatorLength));
        dateField(fields[i]);
      }
    };
    static const char* const kThreeFields[6] = {"dmy", "dym", "mdy", "myd", "ydm", "ymd"};
    int order = s.date.dateOrder;
    bool yearFirst = order == 1 || order >= 4;
    bool dayFirst = order == 0 || order == 1 || order == 4;
    if (from == kUnitYear) {
      if (to == kUnitYear) {
        dateFields("y");
      } else if (to == kUnitMonth) {
        dateFields(yearFirst ? "ym" : "my");
      } else {
        dateFields(kThreeFields[order >= 0 && order < 5 ? order : 5]);
      }
    } else if (from == kUnitMonth) {
      dateFields(to == kUnitMonth ? "m" : (dayFirst ? "dm" : "md"));
    } else if (from == kUnitDay) {
      dateFields("d");
    }
    if (from <= kUnitDay && to >= kUnitHour) text.put(" ");
    for (int32_t unit = from > kUnitHour ? from : kUnitHour; unit <= last; ++unit) {
      if (unit == kUnitHour) text.number(hour, timeWidth);
      if (unit == kUnitMinute) text.number(c.minute_, timeWidth);
      if (unit == kUnitSecond) text.number(c.second_, timeWidth);
      if (unit == kUnitFraction) text.put(fraction);
      if (unit < kUnitSecond && unit < to) {
        text.put(s.time.timeSeparator, static_cast<std::size_t>(s.time.timeSeparatorLength));
      }
      if (unit == kUnitSecond && unit < to) {
        text.put(s.number.decimalSeparator,
                 static_cast<std::size_t>(s.number.decimalSeparatorLength));
      }
    }
    if (twelveHour) {
      text.put(" ");
      if (afternoon) {
        text.put(s.time.pmText, static_cast<std::size_t>(s.time.pmTextLength));
      } else {
        text.put(s.time.amText, static_cast<std::size_t>(s.time.amTextLength));
      }
    }
    return;
  }

  bool padded = iso || odbc;
  for (int32_t unit = from; unit <= last; ++unit) {
    bool end = unit == to;
    switch (unit) {
      case kUnitYear:
        text.number(yearOut(c.year_), padded ? 4 : 1);
        if (!end) text.put("-");
        break;
      case kUnitMonth:
        text.number(c.month_ + 1, 2);
        if (!end) text.put("-");
        break;
      case kUnitDay:
        text.number(c.day_, 2);
        if (!end) text.put(iso ? "-" : " ");
        break;
      case kUnitHour:
      case kUnitMinute:
        text.number(unit == kUnitHour ? c.hour_ : c.minute_, unit == kUnitMinute || padded ? 2 : 1);
        if (!end) text.put(iso ? "." : ":");
        break;
      case kUnitSecond:
        text.number(c.second_, 2);
        if (!end && (options & kPointWithDigits) == 0) text.put(".");
        break;
      default: {
        std::size_t n = std::strlen(fraction);
        if ((options & kStripZeros) != 0) {
          while (n > 0 && fraction[n - 1] == '0') --n;
        }
        if (n > 0 && (options & kPointWithDigits) != 0) text.put(".");
        text.put(fraction, n);
        break;
      }
    }
  }
  if (absolute && to >= kUnitHour) text.put(" +0:0");
}

// Datum interface

Datum* DateTime::newEmpty() const {
  return new (std::nothrow) DateTime(Qualifier{precFrom_, precTo_});
}

int DateTime::kind() const {
  return kKindDateTime;
}

int DateTime::typeCode() const {
  return kTypeDateTime;
}

double DateTime::asDouble(const Status** st, const char*) const {
  report(st, successStatus());
  return utc_.asDays();
}

int32_t DateTime::asLong(const Status** st, const char*) const {
  int64_t v = (int64_t{utc_.days} - kUnixEpochDay) * kSecondsPerDay + utc_.seconds - kHalfDay;
  bool fits = precFrom_ == kUnitYear && year_ >= 1970 && year_ <= 2033;
  report(st, fits ? static_cast<const Status*>(successStatus()) : notUnixSecondsStatus());
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

int DateTime::maxTextLength(const char* fmt, FormatArg) const {
  if (isLocalFormat(fmt)) return kLocalTextSize;
  return std::strcmp(fmt, "iso") == 0 ? kIsoTextSize : kStandardTextSize;
}

char* DateTime::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  if (buf == nullptr || bufSize < 1) return buf;
  char text[kLocalTextSize];
  format(text, fmt, arg.options);
  std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(bufSize - 1)) n = static_cast<std::size_t>(bufSize - 1);
  std::memcpy(buf, text, n);
  buf[n] = '\0';
  return buf;
}

const Status* DateTime::set(double v, const char*) {
  if (!takeJulianDate(v)) {
    setStatus(badDateTimeStatus());
    return status();
  }
  instantToFields();
  setStatus(successStatus());
  return nullptr;
}

const Status* DateTime::set(int32_t v, const char*) {
  if (!takeCount(v, true, kUnixEpochDay)) {
    setStatus(badDateTimeStatus());
    return status();
  }
  instantToFields();
  setStatus(successStatus());
  return nullptr;
}

const Status* DateTime::set(uint32_t v, const char*) {
  if (!takeCount(v, true, kUnixEpochDay)) {
    setStatus(badDateTimeStatus());
    return status();
  }
  instantToFields();
  setStatus(successStatus());
  return nullptr;
}

const Status* DateTime::set(float, const char*) {
  setStatus(badDateTimeStatus());
  return status();
}
const Status* DateTime::set(uint16_t, const char*) {
  setStatus(badDateTimeStatus());
  return status();
}
const Status* DateTime::set(int16_t, const char*) {
  setStatus(badDateTimeStatus());
  return status();
}
const Status* DateTime::set(unsigned char, const char*) {
  setStatus(badDateTimeStatus());
  return status();
}
const Status* DateTime::set(char, const char*) {
  setStatus(badDateTimeStatus());
  return status();
}

bool DateTime::isGreaterThan(const Datum& x) const {
  if (!x.isKindOf(DateTime::desc())) return kind() > x.kind();
  return compare(x) > 0;
}

bool DateTime::isLessThan(const Datum& x) const {
  if (!x.isKindOf(DateTime::desc())) return kind() < x.kind();
  return compare(x) < 0;
}

// Object interface

Object* DateTime::shallowCopy() const {
  return new DateTime(*this);
}

int DateTime::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  const DateTime& o = static_cast<const DateTime&>(other);
  if (precFrom_ != o.precFrom_) return precFrom_ < o.precFrom_ ? -1 : 1;
  if (precTo_ != o.precTo_) return precTo_ < o.precTo_ ? -1 : 1;
  int c = utc_.compare(o.utc_);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool DateTime::isEqual(const Object& other) const {
  if (this == &other) return true;
  return other.isSpecies(*species()) && compare(other) == 0;
}

uint32_t DateTime::hash() const {
  uint32_t h = static_cast<uint32_t>(utc_.days) * 86400u + static_cast<uint32_t>(utc_.seconds);
  h ^= static_cast<uint32_t>(utc_.microseconds) << 7;
  return h ^ static_cast<uint32_t>(precFrom_ << 4 | precTo_);
}

void DateTime::printOn(std::ostream& out) const {
  char text[kLocalTextSize];
  format(text, "absolute", 0);
  char julian[32];
  std::snprintf(julian, sizeof julian, "%.2f", asDouble());
  out << text << ' ' << kWeekdayNames[weekday_ >= 0 && weekday_ <= 6 ? weekday_ : 0] << '.'
      << yearDay_ << " [Jul " << julian << ']';
}

int DateTime::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* DateTime::newForStream() const {
  return new (std::nothrow) DateTime();
}

// Object streams. Stored as the Datum part; a 16-bit word with the zone hours
// (as a signed byte) low and the zone minutes high; a 16-bit word with the
// start unit low and the end unit high; then the days, seconds and
// microseconds of utc as 32-bit integers. The fields are derived again.
DateTime::DateTime(OIOin& stream) : Datum(stream) {
  uint16_t zone = 0;
  uint16_t qualifier = 0;
  TimeSpan utc;
  stream >> zone >> qualifier >> utc.days >> utc.seconds >> utc.microseconds;
  if (stream.severity() >= kError) return;
  int16_t hours = static_cast<int8_t>(static_cast<uint8_t>(zone & 0xFFu));
  int16_t minutes = static_cast<int16_t>(zone >> 8);
  int32_t precFrom = qualifier & 0xFFu;
  int32_t precTo = qualifier >> 8;
  bool valid = validQualifier(precFrom, precTo) && zoneHeld(hours, minutes) &&
               (!unitInside(precFrom, precTo, kUnitDay) || zoneInRange(hours, minutes)) &&
               instantValid(utc, precTo >= kUnitHour ? offsetOf(hours, minutes) : 0);
  if (!valid) {
    std::string found = "zone " + std::to_string(hours) + ":" + std::to_string(minutes) +
                        ", units " + std::to_string(precFrom) + " to " + std::to_string(precTo) +
                        ", instant " + std::to_string(utc.days) + " " +
                        std::to_string(utc.seconds) + " " + std::to_string(utc.microseconds);
    stream.failSyntax("a date/time within its ranges", found.c_str());
    return;
  }
  zoneHours_ = hours;
  zoneMinutes_ = minutes;
  precFrom_ = precFrom;
  precTo_ = precTo;
  utc_ = utc;
  instantToFields();
}

bool DateTime::takeStreamed(int16_t hours, int16_t minutes, int32_t precFrom, int32_t precTo,
                            const TimeSpan& utc) {
  bool valid = validQualifier(precFrom, precTo) && zoneHeld(hours, minutes) &&
               (!unitInside(precFrom, precTo, kUnitDay) || zoneInRange(hours, minutes)) &&
               instantValid(utc, precTo >= kUnitHour ? offsetOf(hours, minutes) : 0);
  if (!valid) return false;
  zoneHours_ = hours;
  zoneMinutes_ = minutes;
  precFrom_ = precFrom;
  precTo_ = precTo;
  utc_ = utc;
  instantToFields();
  return true;
}

void DateTime::storer(OIOout& stream) const {
  Datum::storer(stream);
  uint16_t zone = static_cast<uint16_t>(static_cast<uint8_t>(static_cast<int8_t>(zoneHours_)) |
                                        (static_cast<uint16_t>(zoneMinutes_) << 8));
  uint16_t qualifier =
      static_cast<uint16_t>(static_cast<uint8_t>(precFrom_) | (static_cast<uint8_t>(precTo_) << 8));
  stream << zone << qualifier << utc_.days << utc_.seconds << utc_.microseconds;
}

}  // namespace dv
