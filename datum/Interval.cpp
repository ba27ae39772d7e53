// The interval value: the qualifier rules, the standard and locale readings,
// the written forms, and the Datum and object interfaces.
#include "datum/Interval.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <ostream>
#include <string>

#include "datum/DateTimeText.h"
#include "datum/DatumStatus.h"
#include "object/Allocation.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {

DV_DEFINE_SHARED_ERROR_STATUS(badIntervalStatus, 0x40020014u, true, kDatumErrName,
                              "Incorrectly formatted interval.");

namespace {

constexpr int16_t kDefaultPrecTot = 13;
// The names of the units in the "INGRES" form, year to second.
const char* const kIngresNames[7] = {"", "yrs", "mos", "days", "hrs", "mins", "secs"};
// The most microseconds a value that starts at the fraction holds.
constexpr int64_t kMicrosecondsLimit = TimeSpan::kMicrosecondsPerSecond;

// The class's copy of the locale settings; only the separators are used.
DateTimeSettingsCopy& settingsCopy() {
  static DateTimeSettingsCopy copy;
  return copy;
}

// The punctuation of the locale form: the current locale's when it
// delivered its settings, the standard one otherwise.
struct Punctuation {
  const char* date = "-";
  int dateLength = 1;
  const char* time = ":";
  int timeLength = 1;
  const char* decimal = ".";
  int decimalLength = 1;
  bool fromLocale = false;
};

Punctuation currentPunctuation() {
  DateTimeSettingsCopy& copy = settingsCopy();
  refreshSettings(&copy);
  Punctuation p;
  if (!copy.delivered) return p;
  const DateTimeSettings& s = copy.settings;
  p.date = s.date.dateSeparator;
  p.dateLength = s.date.dateSeparatorLength;
  p.time = s.time.timeSeparator;
  p.timeLength = s.time.timeSeparatorLength;
  p.decimal = s.number.decimalSeparator;
  p.decimalLength = s.number.decimalSeparatorLength;
  p.fromLocale = true;
  return p;
}

bool startsWith(const char* text, const char* piece, int n) {
  return n > 0 && std::strncmp(text, piece, static_cast<std::size_t>(n)) == 0;
}

// Rewrites text from the locale punctuation into the standard one (out holds
// at least strlen(text) + 1 bytes): digits are copied, a sign in front too,
// each separator becomes its standard character, and blanks and tabs stay
// (the local form of a day-time interval has a blank after the days, and
// must read back). False for any other character.
bool rewriteToStandard(const char* text, const Punctuation& punct, char* out) {
  const char* p = text;
  char* q = out;
  if (*p == '-' || *p == '+') *q++ = *p++;
  while (*p != '\0') {
    if (isTextDigit(*p) || *p == ' ' || *p == '\t') {
      *q++ = *p++;
    } else if (startsWith(p, punct.date, punct.dateLength)) {
      *q++ = '-';
      p += punct.dateLength;
    } else if (startsWith(p, punct.time, punct.timeLength)) {
      *q++ = ':';
      p += punct.timeLength;
    } else if (startsWith(p, punct.decimal, punct.decimalLength)) {
      *q++ = '.';
      p += punct.decimalLength;
    } else {
      return false;
    }
  }
  *q = '\0';
  return true;
}

int64_t powerOfTen(int n) {
  int64_t v = 1;
  for (int i = 0; i < n; ++i) v *= 10;
  return v;
}

Datum* intervalFromString(const char* text) {
  return new (std::nothrow) Interval(text, nullptr, kDefaultPrecTot, kUnitDay, kUnitSecond);
}

void registerIntervalPrototype(const Class&) {
  static Interval prototype;
  registerPrototype(&prototype, Interval::kStreamTypeNumber);
}

}  // namespace

// A qualifier with its fields, wide enough for any number of a text, and the
// sign.
struct Interval::Fields {
  int16_t precTot = kDefaultPrecTot;
  int32_t precFrom = kUnitDay;
  int32_t precTo = kUnitSecond;
  int64_t value[8] = {};  // by unit: [1] years ... [6] seconds, [7] microseconds
  bool negative = false;
};

DV_DEFINE_CLASS_MEMBERS(Interval, Datum)

const Class& Interval::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Interval", bases, none, none, 1, Class::kIdent, sizeof(Interval),
                            &readObjectText<Interval>, &readObjectBinary<Interval>,
                            &registerIntervalPrototype, nullptr, &intervalFromString);
  return d;
}

int16_t Interval::leadingDigitsOf(int16_t precTot, int32_t precFrom, int32_t precTo) {
  int32_t digits = precTot;
  for (int32_t unit = precTo; unit > precFrom; --unit) digits -= unit <= kUnitSecond ? 2 : 1;
  return static_cast<int16_t>(digits);
}

bool Interval::validQualifier(int16_t precTot, int32_t precFrom, int32_t precTo) {
  if (precFrom < kUnitYear || precFrom > kUnitFraction || precTo < kUnitYear ||
      precTo > kUnitFraction6 || precFrom > precTo) {
    return false;
  }
  if (precFrom <= kUnitMonth && precTo >= kUnitDay) return false;
  return leadingDigitsOf(precTot, precFrom, precTo) >= 0;
}

bool Interval::fieldsValid(const Fields& f) {
  if (!validQualifier(f.precTot, f.precFrom, f.precTo)) return false;
  static const int64_t kLimit[8] = {0, 0, 12, 365, 24, 60, 60, kMicrosecondsLimit};
  int32_t last = f.precTo < kUnitFraction ? f.precTo : kUnitFraction;
  for (int32_t unit = kUnitYear; unit <= kUnitFraction; ++unit) {
    int64_t v = f.value[unit];
    if (unit < f.precFrom || unit > last) {
      if (v != 0) return false;
    } else if (unit == f.precFrom) {
      int digits = leadingDigitsOf(f.precTot, f.precFrom, f.precTo);
      if (digits > kMaxLeadingDigits) digits = kMaxLeadingDigits;
      // A fraction that leads is read and written as the digits after a
      // point: its microseconds stay below a second whatever precTot says.
      int64_t bound = unit == kUnitFraction ? kMicrosecondsLimit : powerOfTen(digits);
      if (v < 0 || v >= bound) return false;
    } else if (v < 0 || v >= kLimit[unit]) {
      return false;
    }
  }
  return true;
}

bool Interval::settle(const Fields& f, bool read) {
  bool ok = read && fieldsValid(f);
  if (ok || validQualifier(f.precTot, f.precFrom, f.precTo)) {
    precTot_ = f.precTot;
    precFrom_ = f.precFrom;
    precTo_ = f.precTo;
    leadingDigits_ = leadingDigitsOf(precTot_, precFrom_, precTo_);
  }
  int64_t v[8] = {};
  if (ok) {
    for (int i = 0; i < 8; ++i) v[i] = f.value[i];
  }
  year_ = static_cast<int32_t>(v[kUnitYear]);
  month_ = static_cast<int32_t>(v[kUnitMonth]);
  day_ = static_cast<int32_t>(v[kUnitDay]);
  hour_ = static_cast<int32_t>(v[kUnitHour]);
  minute_ = static_cast<int32_t>(v[kUnitMinute]);
  second_ = static_cast<int32_t>(v[kUnitSecond]);
  microsecond_ = static_cast<int32_t>(v[kUnitFraction]);
  negative_ = ok && f.negative;
  span_ = TimeSpan();
  if (isDayTime()) {
    // In 64 bits: a leading count of hours or minutes can pass 32 bits of seconds.
    int64_t seconds = ((int64_t{day_} * 24 + hour_) * 60 + minute_) * 60 + second_ +
                      microsecond_ / TimeSpan::kMicrosecondsPerSecond;
    span_.days = static_cast<int32_t>(seconds / TimeSpan::kSecondsPerDay);
    span_.seconds = static_cast<int32_t>(seconds % TimeSpan::kSecondsPerDay);
    span_.microseconds = microsecond_ % TimeSpan::kMicrosecondsPerSecond;
    span_.negative = negative_;
    span_.normalize();
  }
  setStatus(ok ? static_cast<const Status*>(successStatus()) : badIntervalStatus());
  return ok;
}

// Construction

Interval::Interval() = default;
Interval::Interval(const Interval& other) = default;
Interval& Interval::operator=(const Interval& other) = default;
Interval::~Interval() = default;

Interval::Interval(double julianDays) {
  Fields f;
  f.precTo = kUnitFraction3;
  f.negative = julianDays < 0;
  double magnitude = std::fabs(julianDays);
  bool inRange = magnitude < kJulianDaysLimit;
  if (inRange) {
    double shifted = magnitude + 0.0005 / TimeSpan::kSecondsPerDay;
    double days = std::trunc(shifted);
    double s = (shifted - days) * TimeSpan::kSecondsPerDay;
    double seconds = std::trunc(s);
    auto whole = static_cast<int64_t>(seconds);
    f.value[kUnitDay] = static_cast<int64_t>(days);
    f.value[kUnitHour] = whole / 3600;
    f.value[kUnitMinute] = whole / 60 % 60;
    f.value[kUnitSecond] = whole % 60;
    f.value[kUnitFraction] = static_cast<int64_t>(std::trunc((s - seconds) * 1000000.0));
  }
  settle(f, inRange);
}

Interval::Interval(int32_t years, int32_t months, int32_t days, int32_t hours, int32_t minutes,
                   int32_t seconds, int32_t microseconds, int16_t precTot, int32_t precFrom,
                   int32_t precTo) {
  Fields f;
  f.precTot = precTot;
  f.precFrom = precFrom;
  f.precTo = precTo;
  const int32_t given[8] = {0, years, months, days, hours, minutes, seconds, microseconds};
  int32_t last = precTo < kUnitFraction ? precTo : kUnitFraction;
  for (int32_t unit = kUnitYear; unit <= kUnitFraction; ++unit) {
    if (unit >= precFrom && unit <= last) f.value[unit] = given[unit];
  }
  if (precFrom >= kUnitYear && precFrom <= kUnitFraction && f.value[precFrom] < 0) {
    f.negative = true;
    f.value[precFrom] = -f.value[precFrom];
  }
  settle(f);
}

Interval::Interval(const char* text, const char* style, int16_t precTot, int32_t precFrom,
                   int32_t precTo) {
  Fields f;
  f.precTot = precTot;
  f.precFrom = precFrom;
  f.precTo = precTo;
  if (!validQualifier(precTot, precFrom, precTo)) {
    settle(f);
    return;
  }
  if (text == nullptr || text[0] == '\0') {
    settle(f);
    return;
  }
  // The text in the standard punctuation: rewritten from the locale's for
  // style null or "local", in a block of its own when it is long.
  char small[128];
  char* heap = nullptr;
  const char* standard = text;
  if (isLocalFormat(style)) {
    std::size_t size = std::strlen(text) + 1;
    char* out = small;
    if (size > sizeof small) {
      heap = static_cast<char*>(allocate(size));
      if (heap == nullptr) {
        settle(f);
        setStatus(outOfMemoryStatus());
        return;
      }
      out = heap;
    }
    if (rewriteToStandard(text, currentPunctuation(), out)) {
      standard = out;
    } else if (style != nullptr) {
      deallocate(heap);
      settle(f, false);
      return;
    }
  }

  // The standard reading, unit by unit; white space may stand between items.
  const char* p = standard;
  bool ok = true;
  int32_t last = precTo < kUnitFraction ? precTo : kUnitFraction;
  auto expect = [&](char c) {
    p = skipTextBlanks(p);
    if (*p != c) return false;
    ++p;
    return true;
  };
  for (int32_t unit = precFrom; ok && unit <= last; ++unit) {
    p = skipTextBlanks(p);
    bool leading = unit == precFrom;
    if (unit == kUnitFraction) {
      // The fraction's digits after a "."; a value that starts at the
      // fraction is written without the point, and is read either way.
      if (leading && (*p == '-' || *p == '+')) f.negative = *p++ == '-';
      if (*p == '.') {
        ++p;
      } else if (!leading) {
        ok = false;
        break;
      }
      int32_t microseconds = 0;
      ok = scanFraction(&p, fractionDigits(precTo), -1, &microseconds);
      f.value[unit] = microseconds;
      break;
    }
    ScannedNumber n;
    if (!scanNumber(&p, true, &n)) {
      ok = false;
      break;
    }
    // The sign of the leading field is the interval's, also for -0.
    if (leading) {
      f.negative = n.negative;
      f.value[unit] = n.negative ? -n.value : n.value;
    } else {
      f.value[unit] = n.value;
    }
    bool end = unit == precTo;
    if (unit == kUnitYear || unit == kUnitMonth) {
      if (!end) ok = expect('-');
    } else if (unit == kUnitHour || unit == kUnitMinute) {
      if (!end) ok = expect(':');
    } else if (unit == kUnitSecond && precTo >= kUnitFraction) {
      p = skipTextBlanks(p);
      if (*p != '.') ok = false;
    }
  }
  if (ok) ok = *skipTextBlanks(p) == '\0';
  deallocate(heap);
  settle(f, ok);
}

// Writing text

void Interval::standardForm(char* out) const {
  std::size_t used = 0;
  auto put = [&](const char* format, int32_t v) {
    int n = std::snprintf(out + used, kTextSize - used, format, v);
    if (n > 0) used += static_cast<std::size_t>(n);
    if (used >= static_cast<std::size_t>(kTextSize)) used = kTextSize - 1;
  };
  auto text = [&](const char* piece) {
    while (*piece != '\0' && used + 1 < static_cast<std::size_t>(kTextSize)) out[used++] = *piece++;
    out[used] = '\0';
  };
  out[0] = '\0';
  if (negative_) text("-");
  int32_t last = precTo_ < kUnitFraction ? precTo_ : kUnitFraction;
  const int32_t field[7] = {0, year_, month_, day_, hour_, minute_, second_};
  for (int32_t unit = precFrom_; unit <= last; ++unit) {
    bool leading = unit == precFrom_;
    bool end = unit == precTo_;
    if (unit == kUnitFraction) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%06d", microsecond_ % TimeSpan::kMicrosecondsPerSecond);
      digits[fractionDigits(precTo_)] = '\0';
      text(digits);
      break;
    }
    bool padded = !leading && unit != kUnitYear && unit != kUnitHour;
    put(padded ? "%02d" : "%d", field[unit]);
    if (end) continue;
    if (unit <= kUnitMonth) text("-");
    if (unit == kUnitDay) text(" ");
    if (unit == kUnitHour || unit == kUnitMinute) text(":");
    if (unit == kUnitSecond) text(".");
  }
}

// Datum interface

Datum* Interval::newEmpty() const {
  return new (std::nothrow) Interval(0, 0, 0, 0, 0, 0, 0, precTot_, precFrom_, precTo_);
}

int Interval::kind() const {
  return kKindInterval;
}

int Interval::typeCode() const {
  return kTypeInterval;
}

double Interval::asDouble(const Status** st, const char*) const {
  report(st, successStatus());
  return isDayTime() ? span_.asDays() : 0.0;
}

int Interval::maxTextLength(const char*, FormatArg) const {
  return kTextSize;
}

char* Interval::asString(char* buf, int bufSize, const char* fmt, FormatArg) const {
  if (buf == nullptr || bufSize < 1) return buf;
  // Room for the longest separators of the locale form.
  char text[kTextSize * 5];
  text[0] = '\0';
  if (fmt != nullptr && std::strcmp(fmt, "INGRES") == 0) {
    std::size_t used = 0;
    const int32_t field[7] = {0, year_, month_, day_, hour_, minute_, second_};
    int32_t last = precTo_ < kUnitSecond ? precTo_ : kUnitSecond;
    for (int32_t unit = precFrom_; unit <= last; ++unit) {
      if (field[unit] == 0) continue;
      int n = std::snprintf(text + used, sizeof text - used, used == 0 ? "%d %s" : " %d %s",
                            field[unit], kIngresNames[unit]);
      if (n > 0) used += static_cast<std::size_t>(n);
    }
  } else {
    char standard[kTextSize];
    standardForm(standard);
    Punctuation punct;
    if (isLocalFormat(fmt)) punct = currentPunctuation();
    if (!punct.fromLocale) {
      std::memcpy(text, standard, sizeof standard);
    } else {
      // The sign in front stays a sign; each separator takes the locale's form.
      std::size_t used = 0;
      for (const char* p = standard; *p != '\0'; ++p) {
        const char* piece = nullptr;
        int n = 1;
        if (*p == '-' && p != standard) {
          piece = punct.date;
          n = punct.dateLength;
        } else if (*p == ':') {
          piece = punct.time;
          n = punct.timeLength;
        } else if (*p == '.') {
          piece = punct.decimal;
          n = punct.decimalLength;
        }
        if (piece == nullptr) piece = p;
        for (int i = 0; i < n && used + 1 < sizeof text; ++i) text[used++] = piece[i];
      }
      text[used] = '\0';
    }
  }
  std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(bufSize - 1)) n = static_cast<std::size_t>(bufSize - 1);
  std::memcpy(buf, text, n);
  buf[n] = '\0';
  return buf;
}

bool Interval::isGreaterThan(const Datum& x) const {
  if (!x.isKindOf(Interval::desc())) return kind() > x.kind();
  return compare(x) > 0;
}

bool Interval::isLessThan(const Datum& x) const {
  if (!x.isKindOf(Interval::desc())) return kind() < x.kind();
  return compare(x) < 0;
}

// Object interface

Object* Interval::shallowCopy() const {
  return new Interval(*this);
}

int64_t Interval::totalMonths() const {
  int64_t months = int64_t{year_} * 12 + month_;
  return negative_ ? -months : months;
}

int Interval::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  const Interval& o = static_cast<const Interval&>(other);
  if (isDayTime() != o.isDayTime()) return isDayTime() ? -1 : 1;
  if (isDayTime()) {
    int c = span_.compare(o.span_);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  int64_t a = totalMonths();
  int64_t b = o.totalMonths();
  return a < b ? -1 : a > b ? 1 : 0;
}

bool Interval::isEqual(const Object& other) const {
  if (this == &other) return true;
  return other.isSpecies(*species()) && compare(other) == 0;
}

uint32_t Interval::hash() const {
  if (!isDayTime()) return static_cast<uint32_t>(totalMonths());
  // Equal spans hash alike whatever the sign of a zero.
  bool zero = span_.days == 0 && span_.seconds == 0 && span_.microseconds == 0;
  uint32_t h = static_cast<uint32_t>(span_.days) * 86400u + static_cast<uint32_t>(span_.seconds);
  h ^= static_cast<uint32_t>(span_.microseconds) << 7;
  return span_.negative && !zero ? ~h : h;
}

void Interval::printOn(std::ostream& out) const {
  char text[kTextSize];
  standardForm(text);
  char days[32];
  std::snprintf(days, sizeof days, "%.2f", asDouble());
  out << text << " [Jul " << days << ']';
}

int Interval::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* Interval::newForStream() const {
  return new (std::nothrow) Interval();
}

// Object streams. Stored as the Datum part, the start and end units
// (32-bit), precTot (16-bit), the years, months, days, hours, minutes,
// seconds and microseconds (32-bit each) and the sign.
Interval::Interval(OIOin& stream) : Datum(stream) {
  Fields f;
  int32_t v[8] = {};
  stream >> f.precFrom >> f.precTo >> f.precTot;
  for (int32_t unit = kUnitYear; unit <= kUnitFraction; ++unit) stream >> v[unit];
  stream >> f.negative;
  if (stream.severity() >= kError) return;
  for (int i = 0; i < 8; ++i) f.value[i] = v[i];
  if (!fieldsValid(f)) {
    std::string found = "units " + std::to_string(f.precFrom) + " to " + std::to_string(f.precTo) +
                        ", " + std::to_string(f.precTot) + " digits,";
    for (int32_t unit = kUnitYear; unit <= kUnitFraction; ++unit) {
      found += " " + std::to_string(v[unit]);
    }
    stream.failSyntax("an interval within its ranges", found.c_str());
    return;
  }
  // settle sets the status: the stored one is put back.
  const Status* stored = status();
  stored->addRef();
  settle(f);
  setStatus(stored);
  stored->release();
}

bool Interval::takeStreamed(int32_t precFrom, int32_t precTo, int16_t precTot,
                            const int32_t values[8], bool negative) {
  Fields f;
  f.precFrom = precFrom;
  f.precTo = precTo;
  f.precTot = precTot;
  f.negative = negative;
  for (int i = 0; i < 8; ++i) f.value[i] = values[i];
  if (!fieldsValid(f)) return false;
  const Status* kept = status();
  kept->addRef();
  settle(f);
  setStatus(kept);
  kept->release();
  return true;
}

void Interval::storer(OIOout& stream) const {
  Datum::storer(stream);
  stream << precFrom_ << precTo_ << precTot_ << year_ << month_ << day_ << hour_ << minute_
         << second_ << microsecond_ << negative_;
}

}  // namespace dv
