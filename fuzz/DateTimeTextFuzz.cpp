// The date/time and interval text readers under the fuzzer (see
// fuzz/DateTimeTextFuzz.h).
#include "fuzz/DateTimeTextFuzz.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datum/DateTime.h"
#include "datum/Interval.h"
#include "datum/Locale.h"
#include "fuzz/Targets.h"
#include "status/Status.h"

namespace dv {
namespace fuzz {
namespace {

// Longer texts read like their first part: a bound keeps runs fast.
constexpr std::size_t kMaxTextInput = 512;
constexpr std::size_t kSettingBytes = 4;

struct Qualifier {
  int32_t from;
  int32_t to;
};

// Every start unit 1 to 7 with every end unit from it to 12: 63 pairs.
Qualifier qualifierOf(uint8_t byte) {
  int index = byte % 63;
  for (int32_t from = kUnitYear; from <= kUnitFraction; ++from) {
    int count = kUnitFraction6 - from + 1;
    if (index < count) return {from, from + index};
    index -= count;
  }
  return {kUnitYear, kUnitSecond};
}

struct Zone {
  int16_t hours;
  int16_t minutes;
};
constexpr Zone kDefaultZones[8] = {{0, 0},   {5, 30}, {-5, 0},  {12, 0},
                                   {-11, 0}, {1, 0},  {-3, 30}, {9, 45}};

// The process-wide settings an input picks, put back when it is done.
class SettingsScope {
 public:
  SettingsScope(int reform, Zone zone)
      : reform_(DateTime::calendarReform()),
        hours_(DateTime::defaultZoneHours()),
        minutes_(DateTime::defaultZoneMinutes()) {
    DateTime::setCalendarReform(reform);
    DateTime::setDefaultZone(zone.hours, zone.minutes);
  }
  ~SettingsScope() {
    DateTime::setCalendarReform(reform_);
    DateTime::setDefaultZone(hours_, minutes_);
  }
  SettingsScope(const SettingsScope&) = delete;
  SettingsScope& operator=(const SettingsScope&) = delete;

 private:
  int reform_;
  int16_t hours_;
  int16_t minutes_;
};

std::string written(const Datum& v, const char* style) {
  char buf[DateTime::kLocalTextSize * 2];
  v.asString(buf, sizeof buf, style);
  return buf;
}

std::string styleName(const char* style) {
  return style == nullptr ? "null" : style;
}

[[noreturn]] void dateTimeViolated(const char* what, const std::string& text, const char* style,
                                   const DateTime& v, const char* writeStyle,
                                   const std::string& out, const DateTime* back) {
  std::string detail = "text \"" + text + "\" read in style " + styleName(style) + " as units " +
                       std::to_string(v.precFrom()) + " to " + std::to_string(v.precTo()) +
                       " (utc " + std::to_string(v.utc().days) + " " +
                       std::to_string(v.utc().seconds) + " " +
                       std::to_string(v.utc().microseconds) + "), written in style " + writeStyle +
                       " \"" + out + "\"";
  if (back != nullptr) {
    detail += ", read back as units " + std::to_string(back->precFrom()) + " to " +
              std::to_string(back->precTo()) + " (utc " + std::to_string(back->utc().days) + " " +
              std::to_string(back->utc().seconds) + " " + std::to_string(back->utc().microseconds) +
              ") with status severity " + std::to_string(back->severity());
  }
  violated(what, detail.c_str());
}

// The offset of a zone in seconds, as DateTime counts it.
int32_t zoneOffset(int32_t hours, int32_t minutes) {
  return hours >= 0 ? (hours * 60 + minutes) * 60 : (hours * 60 - minutes) * 60;
}

bool validDateTimeQualifier(int32_t from, int32_t to) {
  return from >= kUnitYear && from <= kUnitFraction && to >= from && to <= kUnitFraction6;
}

void checkDateTime(const std::string& text, Qualifier q, unsigned options) {
  // The built-in settings write two-digit years in the locale style.
  const bool twoDigitYears = DateTimeSettings().date.fourDigitYear == 0;
  const char* const kReadStyles[] = {nullptr, "local", "iso", "standard"};
  const char* const kWriteStyles[] = {"local", "iso", "standard", "odbc", "absolute"};
  for (const char* style : kReadStyles) {
    DateTime v(text.c_str(), style, q.from, q.to, options);
    if (v.severity() >= kError) continue;
    if (!validDateTimeQualifier(v.precFrom(), v.precTo())) {
      dateTimeViolated("a date/time read without error has no valid qualifier", text, style, v,
                       "none", "", nullptr);
    }
    const std::string standard = written(v, "standard");
    // The year as written in the default zone (with the year inside).
    const long year = v.precFrom() == kUnitYear ? std::strtol(standard.c_str(), nullptr, 10) : 0;
    // Near the end of the years, a value of another zone can lie after
    // 9999 in the default zone, where no text of it can be read.
    if (year > DateTime::kLastYear) continue;
    for (const char* writeStyle : kWriteStyles) {
      bool local = std::strcmp(writeStyle, "local") == 0;
      bool iso = std::strcmp(writeStyle, "iso") == 0;
      bool absolute = std::strcmp(writeStyle, "absolute") == 0;
      // A value that ends at the hour, written in a zone whose offset
      // differs from its own by a part of an hour, shows the hour only.
      int32_t target =
          absolute ? 0 : zoneOffset(DateTime::defaultZoneHours(), DateTime::defaultZoneMinutes());
      if (v.precTo() == kUnitHour &&
          (zoneOffset(v.zoneHours(), v.zoneMinutes()) - target) % 3600 != 0) {
        continue;
      }
      // Two digits of the year read back within 1950 to 2049 only.
      if (local && twoDigitYears && v.precFrom() == kUnitYear && v.precTo() > kUnitYear &&
          (year < 1950 || year > 2049)) {
        continue;
      }
      const std::string out = written(v, writeStyle);
      DateTime back(out.c_str(),
                    local ? "local"
                    : iso ? "iso"
                          : "standard",
                    v.precFrom(), v.precTo(), options & DateTime::kTrimFraction);
      if (back.severity() >= kWarning) {
        dateTimeViolated("a date/time does not read back from its own text", text, style, v,
                         writeStyle, out, &back);
      }
      if (back.precFrom() != v.precFrom() || back.precTo() != v.precTo()) {
        dateTimeViolated("a date/time reads back from its own text with another qualifier", text,
                         style, v, writeStyle, out, &back);
      }
      // Without the year the text cannot tell the whole instant; what it
      // shows, the units inside in the default zone, must be the same.
      bool same = v.precFrom() == kUnitYear ? back.utc().compare(v.utc()) == 0
                                            : written(back, "standard") == standard;
      if (!same) {
        dateTimeViolated("a date/time reads back from its own text as another instant", text, style,
                         v, writeStyle, out, &back);
      }
    }
  }
}

[[noreturn]] void intervalViolated(const char* what, const std::string& text, const char* style,
                                   const Interval& v, const std::string& out) {
  std::string detail = "text \"" + text + "\" read in style " + styleName(style) + " as units " +
                       std::to_string(v.precFrom()) + " to " + std::to_string(v.precTo()) + " of " +
                       std::to_string(v.precTot()) + " digits, written \"" + out + "\"";
  violated(what, detail.c_str());
}

bool sameInterval(const Interval& a, const Interval& b) {
  return a.precFrom() == b.precFrom() && a.precTo() == b.precTo() && a.precTot() == b.precTot() &&
         a.negative() == b.negative() && a.year() == b.year() && a.month() == b.month() &&
         a.day() == b.day() && a.hour() == b.hour() && a.minute() == b.minute() &&
         a.second() == b.second() && a.microsecond() == b.microsecond() &&
         a.isDayTime() == b.isDayTime() && a.compare(b) == 0 && a.span().compare(b.span()) == 0;
}

// The "INGRES" text: each field from the start unit to the earlier of the
// end unit and the second that is not 0, as its magnitude and unit name, in
// unit order, one blank between items.
bool ingresSpellsFields(const Interval& v, const std::string& out) {
  static const char* const kNames[7] = {"", "yrs", "mos", "days", "hrs", "mins", "secs"};
  const int32_t field[7] = {0, v.year(), v.month(), v.day(), v.hour(), v.minute(), v.second()};
  const int32_t last = std::min(v.precTo(), static_cast<int32_t>(kUnitSecond));
  int expected = 0;
  for (int32_t unit = v.precFrom(); unit <= last; ++unit) expected += field[unit] != 0;
  const char* p = out.c_str();
  int32_t unit = v.precFrom() - 1;
  int items = 0;
  while (*p != '\0') {
    if (items > 0 && *p++ != ' ') return false;
    if (*p < '0' || *p > '9') return false;
    char* end = nullptr;
    long n = std::strtol(p, &end, 10);
    if (*end != ' ') return false;
    p = end + 1;
    int32_t named = unit + 1;
    for (; named <= last; ++named) {
      std::size_t length = std::strlen(kNames[named]);
      if (std::strncmp(p, kNames[named], length) == 0 && (p[length] == ' ' || p[length] == '\0'))
        break;
    }
    if (named > last || n == 0 || n != field[named]) return false;
    p += std::strlen(kNames[named]);
    unit = named;
    ++items;
  }
  return items == expected;
}

void checkInterval(const std::string& text, int16_t precTot, Qualifier q) {
  const char* const kReadStyles[] = {nullptr, "local", "standard"};
  for (const char* style : kReadStyles) {
    Interval v(text.c_str(), style, precTot, q.from, q.to);
    if (v.severity() >= kError) continue;
    for (const char* writeStyle : {"standard", "local"}) {
      const std::string out = written(v, writeStyle);
      // The locale form keeps the blank after the days, which only style
      // null reads (as the standard form).
      bool local = std::strcmp(writeStyle, "local") == 0;
      Interval back(out.c_str(), local ? nullptr : writeStyle, precTot, q.from, q.to);
      if (back.severity() >= kWarning) {
        intervalViolated("an interval does not read back from its own text", text, style, v, out);
      }
      if (!sameInterval(v, back)) {
        intervalViolated("an interval reads back from its own text as another", text, style, v,
                         out);
      }
    }
    const std::string ingres = written(v, "INGRES");
    if (!ingresSpellsFields(v, ingres)) {
      intervalViolated("the INGRES text does not spell the interval's fields", text, style, v,
                       ingres);
    }
  }
}

}  // namespace

int runDateTimeText(const uint8_t* data, std::size_t size) {
  if (size < kSettingBytes) return 0;
  std::string text(reinterpret_cast<const char*>(data + kSettingBytes),
                   std::min(size - kSettingBytes, kMaxTextInput));
  text = text.substr(0, text.find('\0'));
  // An empty text reads as a NULL value without error: nothing to write.
  if (text.empty()) return 0;
  unsigned options = ((data[1] & 1u) != 0 ? DateTime::kDateIfMidnight : 0u) |
                     ((data[1] & 2u) != 0 ? DateTime::kTrimFraction : 0u);
  SettingsScope settings(((data[1] >> 2) & 3) % 3, kDefaultZones[(data[1] >> 4) & 7]);
  checkDateTime(text, qualifierOf(data[0]), options);
  checkInterval(text, static_cast<int16_t>(data[3] % 24), qualifierOf(data[2]));
  return 0;
}

}  // namespace fuzz
}  // namespace dv
