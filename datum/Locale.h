// Locale and international settings: the locale object, which holds one
// locale's date, time, number and currency settings read from the operating
// system (through the platform's locale queries) together with a copy of the
// process's time-zone block; the setting records it hands to formatters; and
// the process-wide state that the locale initialisation fills: the locale
// table, the configured locale, the system, configured and current locale
// objects and the time-zone block.
//
// Everything has built-in values, those of the "C" locale: a record that is
// default-constructed holds them, a locale object holds them until it is
// loaded and again after every failed load, so formatters always have usable
// settings.
//
// Single-threaded: the process-wide state is not guarded.
#ifndef DV_DATUM_LOCALE_H_
#define DV_DATUM_LOCALE_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "datum/LocaleTable.h"
#include "object/Class.h"
#include "object/Object.h"

namespace dv {

namespace platform {
class LocaleInfoSource;
}

// The error codes of the locale machinery (0 is success). The loads and the
// getters answer 5, 7, 9, 13, 15 and 16; the others belong to the locale
// initialisation and the locale-name look-up.
inline constexpr int kLocaleOk = 0;
inline constexpr int kLocaleCellNotNumber = 2;     // a locale table cell is not a number
inline constexpr int kLocaleNotInstalled = 5;      // locale not installed or settings unusable
inline constexpr int kLocaleBadShortDate = 6;      // the short date format cannot be analysed
inline constexpr int kLocaleOutOfMemory = 7;       // memory ran out
inline constexpr int kLocaleNameNotInTable = 8;    // the locale name has no row
inline constexpr int kLocaleNoTable = 9;           // no locale table has been read
inline constexpr int kLocaleBadTimeZone = 10;      // the profile's time-zone flag is not 0 or 1
inline constexpr int kLocaleTableUnreadable = 11;  // the locale table file is unreadable or empty
inline constexpr int kLocaleRuntimeNotSet = 12;    // the C library's locale could not be set
inline constexpr int kLocaleNullDestination = 13;  // a null destination
inline constexpr int kLocaleNoSystemDefault = 15;  // the system gives no default locale
inline constexpr int kLocaleNoSystemDefaultName = 16;  // the system default's name is unreadable
inline constexpr int kLocaleEmptyName = 17;            // an empty locale name

// Values of localeId besides operating-system identifiers.
inline constexpr int32_t kLocaleIdNone = -1;  // not loaded, no identifier given
inline constexpr int32_t kLocaleIdC = -2;     // holds the "C" values

// The largest texts of the settings, in bytes; each field has one byte more
// for the NUL. Longer values are cut, never in the middle of a UTF-8 character.
inline constexpr int kTimeSeparatorMax = 5;
inline constexpr int kDayTextMax = 7;  // the texts for before and after noon
inline constexpr int kShortDateFormatMax = 17;
inline constexpr int kDateSeparatorMax = 5;
inline constexpr int kCurrencySymbolMax = 9;
inline constexpr int kSignMax = 4;
inline constexpr int kNumberSeparatorMax = 4;
inline constexpr int kGmtNameMax = 3;
inline constexpr int kZoneNameMax = 7;
// The configured locale name.
inline constexpr int kConfiguredNameMax = 127;

// Date orders: the order of day, month and year in the short date format.
inline constexpr int16_t kDateOrderDayMonthYear = 0;
inline constexpr int16_t kDateOrderDayYearMonth = 1;
inline constexpr int16_t kDateOrderMonthDayYear = 2;
inline constexpr int16_t kDateOrderMonthYearDay = 3;
inline constexpr int16_t kDateOrderYearDayMonth = 4;
inline constexpr int16_t kDateOrderYearMonthDay = 5;

// The setting records: copies of a locale object's fields, default-constructed
// to the "C" values. Each text is NUL-terminated and has its length beside it.
struct DateSettings {
  // The Windows picture of the short date, such as "dd.MM.yyyy".
  char shortDateFormat[kShortDateFormatMax + 1] = "MM/dd/yy";
  int16_t shortDateFormatLength = 8;
  // The rest follows from shortDateFormat (analyzeShortDateFormat).
  char dateSeparator[kDateSeparatorMax + 1] = "/";
  int16_t dateSeparatorLength = 1;
  int16_t dateOrder = kDateOrderMonthDayYear;
  int16_t dayLeadingZero = 1;
  int16_t monthLeadingZero = 1;
  int16_t fourDigitYear = 0;
};

struct TimeSettings {
  int16_t clock24 = 1;  // 1: 24-hour clock
  char timeSeparator[kTimeSeparatorMax + 1] = ":";
  int16_t timeSeparatorLength = 1;
  char amText[kDayTextMax + 1] = "AM";
  int16_t amTextLength = 2;
  char pmText[kDayTextMax + 1] = "PM";
  int16_t pmTextLength = 2;
  int16_t timeLeadingZero = 1;
};

struct NumberSettings {
  char thousandSeparator[kNumberSeparatorMax + 1] = "";
  int16_t thousandSeparatorLength = 0;
  char decimalSeparator[kNumberSeparatorMax + 1] = ".";
  int16_t decimalSeparatorLength = 1;
  int16_t grouping = 0;     // digits per group: 3 for every loaded locale
  int16_t leadingZero = 0;  // 1: a zero before the decimal point
};

struct CurrencySettings {
  char currencySymbol[kCurrencySymbolMax + 1] = "";
  int16_t currencySymbolLength = 0;
  int16_t currencyPosition = 0;  // the Windows ICURRENCY forms, 0 to 3
  int16_t currencyDigits = 2;
  int16_t negativeCurrency = 0;  // the Windows INEGCURR forms, 0 to 15
  char positiveSign[kSignMax + 1] = "";
  int16_t positiveSignLength = 0;
  char negativeSign[kSignMax + 1] = "";
  int16_t negativeSignLength = 0;
  NumberSettings number;
};

// The time-zone block; default-constructed it is the block before the locale
// initialisation.
struct TimeZoneSettings {
  int16_t timeZoneFlag = -1;  // the profile's time-zone flag, 0 or 1; -1 before initialisation
  int32_t zoneSeconds = 0;    // seconds west of UTC of standard time, as the C library's timezone
  int16_t zoneHours = 0;      // zoneSeconds / 3600
  int16_t zoneMinutes = 0;    // zoneSeconds / 60 - zoneHours * 60
  int16_t daylight = 0;       // 1: daylight saving time is in force
  char gmtName[kGmtNameMax + 1] = "GMT";
  int16_t gmtNameLength = 3;
  char zoneName[kZoneNameMax + 1] = "";  // of standard or daylight time, whichever is in force
  int16_t zoneNameLength = 0;
};

// What the date and time value classes take: the date, time and number
// settings and the time-zone block.
struct DateTimeSettings {
  DateSettings date;
  TimeSettings time;
  NumberSettings number;
  TimeZoneSettings timeZone;
};

// Stores format (cut to kShortDateFormatMax bytes) as the short date format of
// *settings and derives the separator, the order, the leading zeros and the
// four-digit-year flag from what was stored. Groups are runs of "d" (1 or 2),
// "M" (1 or 2) and "y" (2 or 4); each kind must appear once. Any other run of
// characters separates them: it must be shorter than 5 bytes, must not end the
// format, and every separator after the first must equal the first. Answers 0,
// kLocaleBadShortDate (6) when the format breaks a rule (*settings is then
// left as it was), or kLocaleNullDestination (13) for a null argument.
int analyzeShortDateFormat(const char* format, DateSettings* settings);

// One locale's settings. A default locale object takes the configured locale
// (or the system default when none is configured); one made for an
// identifier takes that identifier; the object that is the system locale
// takes the system default. The settings are loaded by the first getter
// called and, after a failed load, by the next one again.
class Locale : public Object {
  DV_CLASS_MEMBERS()

 public:
  // Identifier kLocaleIdNone, not given, "C" values.
  Locale();
  // For the operating-system locale identifier id, "C" values until loaded.
  explicit Locale(int32_t id);
  // A copy with its own name and serial number. When the name cannot be
  // copied the copy holds the "C" values, not loaded.
  Locale(const Locale& other);
  Locale& operator=(const Locale&) = delete;
  // Frees the name; a locale that is still the current, system or configured
  // locale is removed from that place.
  ~Locale() override;

  // The getters: each loads the object when it is not loaded, copies the
  // object's values to the destination (the "C" values after a failed load)
  // and answers 0, kLocaleNullDestination when the destination is null
  // (nothing is loaded then), or the load's error code.
  int localeId(int32_t* id);
  // Copies at most size - 1 bytes of the name, NUL-terminated, cut at a
  // character boundary; a size below 1 counts as a null destination.
  int localeName(char* buf, int size);
  int dateSettings(DateSettings* settings);
  int timeSettings(TimeSettings* settings);
  int numberSettings(NumberSettings* settings);
  int currencySettings(CurrencySettings* settings);
  int timeZoneSettings(TimeZoneSettings* settings);
  // The date, time and number settings and the time-zone block together.
  int dateTimeSettings(DateTimeSettings* settings);

  // The object's state, without loading.
  bool isLoaded() const { return loaded_ != 0; }
  bool isIdGiven() const { return idGiven_ != 0; }
  // The identifier field: kLocaleIdNone or the given identifier before the
  // first load, the loaded identifier, or kLocaleIdC after a failed load.
  int32_t idField() const { return localeId_; }
  // A number no other locale object of the process has had, for caches that
  // must tell a new locale object from a destroyed one at the same address.
  uint64_t serial() const { return serial_; }

  // Object interface.
  Object* shallowCopy() const override;
  // By identifier field. Reports [BADARGCLM] when other is no Locale.
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  // A Locale with the same identifier field and loaded state.
  bool isEqual(const Object& other) const override;
  // The name and the identifier field, "de-DE (1031)"; does not load.
  void printOn(std::ostream& out) const override;

 private:
  int ensureLoaded() { return loaded_ != 0 ? kLocaleOk : load(); }
  int load();
  int readSettings(const platform::LocaleInfoSource& source, int32_t id, bool systemDefault);
  int copySettingsFrom(const Locale& other);
  void setCValues();

  // The fields in their fixed order.
  int16_t loaded_ = 0;
  int16_t idGiven_ = 0;
  int32_t localeId_ = kLocaleIdNone;
  char* name_ = nullptr;  // a block of dv::allocate; null stands for "C"
  TimeZoneSettings timeZone_;
  TimeSettings time_;
  DateSettings date_;
  CurrencySettings currency_;  // the currency fields, then the number settings
  // Kept apart from localeId_, which a failed load sets to kLocaleIdC, so that
  // a later load still uses the given identifier.
  int32_t givenId_ = kLocaleIdNone;
  uint64_t serial_;
};

// The current locale: the one the value classes take their settings from
// (null: none, the built-in values stand). The process holds one reference to
// it while it is current.
void setCurrentLocale(Locale* locale);
Locale* currentLocale();

// The locale table; not owned. Without one every load answers kLocaleNoTable.
void setLocaleTable(const LocaleTable* table);
const LocaleTable* localeTable();

// The configured locale name (cut to kConfiguredNameMax bytes; null counts as
// empty) and its identifier. An empty name means no locale is configured.
void setConfiguredLocaleName(const char* name, int32_t id);
const char* configuredLocaleName();
int32_t configuredLocaleNameId();

// The system locale object (loaded for the system default) and the configured
// locale object (loaded without a given identifier), with their identifiers.
// The process holds one reference to each object set; the previous one is
// released.
void setSystemLocale(Locale* locale, int32_t id);
Locale* systemLocale();
int32_t systemLocaleId();
void setConfiguredLocale(Locale* locale, int32_t id);
Locale* configuredLocale();
int32_t configuredLocaleId();

// The process's time-zone block, copied into each locale object it loads.
const TimeZoneSettings& timeZoneBlock();
void setTimeZoneBlock(const TimeZoneSettings& block);
void setTimeZoneFlag(int16_t flag);
// Fills every field but the flag from the C library (tzset, time, localtime):
// the standard-time offset, whether daylight saving time is in force now and
// the name of the zone in force.
void fillTimeZoneBlock();

// Where the locale objects read the operating system's values (null: the
// platform's own queries, the default).
void setLocaleInfoSource(const platform::LocaleInfoSource* source);
const platform::LocaleInfoSource& localeInfoSource();

// Returns every piece of process-wide state to its start: no table, no
// configured locale, no locale objects (their references are released), the
// time-zone block before initialisation, the platform's queries.
void resetLocaleState();

}  // namespace dv

#endif  // DV_DATUM_LOCALE_H_
