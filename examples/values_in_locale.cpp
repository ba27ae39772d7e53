// Example: the typed values of the dv library in a locale. Each value is read
// from text in the locale's own form (its decimal point and thousands
// separator, its date order and separators, its clock, its currency symbol),
// then printed back in the local form and in the plain form, which is the same
// in every locale. Both printed forms are read again and must give the value
// back. Binary data, external files and the nil value have one form only.
//
// Usage: values_in_locale [LOCALE]   (a POSIX locale name; default de_DE)
// The locale is read from the C library's locale files (where LOCPATH says,
// when it is set). Exit status 0, 1 when a value fails, 2 for a bad locale.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include "dv/dv.h"

namespace {

// Drops the one reference a new library object starts with.
struct Release {
  void operator()(const dv::Object* object) const { object->release(); }
};
using DatumRef = std::unique_ptr<dv::Datum, Release>;

// Reads text in a style ("local", or the plain style of the class) into a new value.
using Reader = dv::Datum* (*)(const char* text, const char* style);

dv::Datum* readNumber(const char* text, const char* style) {
  return new dv::Number(text, dv::Number::kAutomatic, style);
}
dv::Datum* readDecimal(const char* text, const char* style) {
  return new dv::Decimal(text, style);
}
dv::Datum* readMoney(const char* text, const char* style) {
  return new dv::Money(text, style);
}
dv::Datum* readTimeStamp(const char* text, const char* style) {
  return new dv::DateTime(text, style, dv::kUnitYear, dv::kUnitFraction3);
}
dv::Datum* readDate(const char* text, const char* style) {
  return new dv::DateTime(text, style, dv::kUnitYear, dv::kUnitDay);
}
dv::Datum* readYearsAndMonths(const char* text, const char* style) {
  return new dv::Interval(text, style, 6, dv::kUnitYear, dv::kUnitMonth);
}
// Interval's local reading takes digits and the locale's separators only, so
// the day-time example starts at the hour.
dv::Datum* readHoursToHundredths(const char* text, const char* style) {
  return new dv::Interval(text, style, 13, dv::kUnitHour, dv::kUnitFraction2);
}

std::string textOf(const dv::Datum& value, const char* style) {
  char buf[128];
  return value.asString(buf, sizeof buf, style);
}

// Reads one value from its local text, prints it local and plain, and reads
// both forms back. False, after a message, when a reading fails or gives
// another value.
bool show(const char* className, const std::string& input, Reader read, const char* plainStyle) {
  DatumRef value(read(input.c_str(), "local"));
  if (value->severity() != 0) {
    std::fprintf(stderr, "values_in_locale: %s \"%s\": %s\n", className, input.c_str(),
                 value->messageText());
    return false;
  }
  std::string local = textOf(*value, "local");
  std::string plain = textOf(*value, plainStyle);
  std::printf("%-12s read   %s\n%-12s local  %s\n%-12s plain  %s\n", className, input.c_str(), "",
              local.c_str(), "", plain.c_str());
  const struct {
    const std::string& text;
    const char* style;
  } forms[] = {{local, "local"}, {plain, plainStyle}};
  for (const auto& form : forms) {
    DatumRef back(read(form.text.c_str(), form.style));
    if (back->severity() != 0 || back->compare(*value) != 0) {
      std::fprintf(stderr, "values_in_locale: %s \"%s\" does not read back: %s\n", className,
                   form.text.c_str(), back->messageText());
      return false;
    }
  }
  return true;
}

// A Text holds characters whatever the locale; its number conversions use
// the locale's punctuation.
bool showText(const std::string& input) {
  dv::Text text(input.c_str());
  const dv::Status* st = nullptr;
  double number = text.asDouble(&st, "local");
  if (st->severity() != 0) {
    std::fprintf(stderr, "values_in_locale: Text \"%s\": %s\n", input.c_str(), st->messageText());
    return false;
  }
  std::printf("%-12s read   %s\n%-12s local  %s\n%-12s plain  %s\n", "Text", text.chars(), "",
              dv::Text(number).chars(), "", dv::Text(number, "plain").chars());
  return true;
}

// The values that have no local form.
void showSame(const char* className, const dv::Datum& value) {
  std::printf("%-12s %s%s\n", className, textOf(value, "local").c_str(),
              value.isNull() ? "  (NULL)" : "");
}

// 1234567 and the like with the locale's separators: the digit groups
// joined by the thousands separator, then the fraction after the decimal point.
std::string localNumber(const dv::NumberSettings& n, std::initializer_list<const char*> groups,
                        const char* fraction) {
  std::string s;
  for (const char* g : groups) {
    if (!s.empty()) s += n.thousandSeparator;
    s += g;
  }
  if (fraction != nullptr) s = s + n.decimalSeparator + fraction;
  return s;
}

std::string twoDigits(int v, bool leadingZero) {
  char buf[16];
  std::snprintf(buf, sizeof buf, leadingZero ? "%02d" : "%d", v);
  return buf;
}

// A date in the locale's short date form: its field order, separator,
// leading zeros and year digits.
std::string localDate(const dv::DateSettings& d, int year, int month, int day) {
  static const char* const kOrders[] = {"dmy", "dym", "mdy", "myd", "ydm", "ymd"};
  const char* order = kOrders[d.dateOrder >= 0 && d.dateOrder <= 5 ? d.dateOrder : 5];
  std::string s;
  for (const char* f = order; *f != '\0'; ++f) {
    if (f != order) s += d.dateSeparator;
    if (*f == 'd') s += twoDigits(day, d.dayLeadingZero != 0);
    if (*f == 'm') s += twoDigits(month, d.monthLeadingZero != 0);
    if (*f == 'y') {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%0*d", d.fourDigitYear != 0 ? 4 : 2,
                    d.fourDigitYear != 0 ? year : year % 100);
      s += buf;
    }
  }
  return s;
}

// A time of day in the locale's form: its clock, time separator and decimal point.
std::string localTime(const dv::TimeSettings& t, const dv::NumberSettings& n, int hour, int minute,
                      int second, const char* fraction) {
  int shown = hour;
  if (t.clock24 == 0) shown = hour % 12 == 0 ? 12 : hour % 12;
  std::string s = twoDigits(shown, t.timeLeadingZero != 0) + t.timeSeparator +
                  twoDigits(minute, true) + t.timeSeparator + twoDigits(second, true);
  if (fraction != nullptr) s = s + n.decimalSeparator + fraction;
  if (t.clock24 == 0) s = s + " " + (hour < 12 ? t.amText : t.pmText);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const char* name = argc > 1 ? argv[1] : "de_DE";
  uint32_t id = dv::platform::lcidForPosixName(name);
  if (id == 0) {
    std::fprintf(stderr, "values_in_locale: no locale identifier is known for \"%s\"\n", name);
    return 2;
  }
  // Locale objects are made for an identifier; the table that maps
  // configured names to identifiers is not needed then, but must exist.
  dv::MapLocaleTable names;
  dv::setLocaleTable(&names);
  dv::Locale* locale = new dv::Locale(static_cast<int32_t>(id));
  dv::DateSettings date;
  dv::TimeSettings time;
  dv::CurrencySettings currency;
  char windowsName[32];
  int code = locale->localeName(windowsName, sizeof windowsName);
  if (code == dv::kLocaleOk) code = locale->dateSettings(&date);
  if (code == dv::kLocaleOk) code = locale->timeSettings(&time);
  if (code == dv::kLocaleOk) code = locale->currencySettings(&currency);
  if (code != dv::kLocaleOk) {
    std::fprintf(stderr, "values_in_locale: the locale %s cannot be loaded (code %d)%s\n", name,
                 code, code == dv::kLocaleNotInstalled ? ": is it installed?" : "");
    locale->release();
    dv::resetLocaleState();
    return 2;
  }
  // The values take their settings from the current locale.
  dv::setCurrentLocale(locale);
  locale->release();  // the process holds it while it is current
  const dv::NumberSettings& number = currency.number;
  std::printf("Locale %s (%s): decimal point \"%s\", thousands \"%s\", dates %s, %s clock\n\n",
              name, windowsName, number.decimalSeparator, number.thousandSeparator,
              date.shortDateFormat, time.clock24 != 0 ? "24-hour" : "12-hour");

  std::string unit = currency.currencySymbol[0] != '\0' ? currency.currencySymbol : "$";
  std::string dateSep = date.dateSeparator;
  std::string timeSep = time.timeSeparator;
  int failures = 0;
  auto count = [&failures](bool ok) {
    if (!ok) ++failures;
  };
  count(showText(localNumber(number, {"1", "234"}, "5")));
  count(show("Number", localNumber(number, {"1", "234", "567"}, nullptr), &readNumber, "plain"));
  count(show("Number", "-" + localNumber(number, {"1", "234"}, "5"), &readNumber, "plain"));
  count(show("Decimal", localNumber(number, {"12", "345", "678"}, "90123456789"), &readDecimal,
             "plain"));
  count(show("Money", unit + localNumber(number, {"1", "234"}, "50"), &readMoney, "plain"));
  std::string leapDay = localDate(date, 2024, 2, 29);
  count(show("DateTime", leapDay + " " + localTime(time, number, 13, 45, 30, "125"), &readTimeStamp,
             "standard"));
  count(show("DateTime", leapDay, &readDate, "standard"));
  count(show("Interval", "-3" + dateSep + "05", &readYearsAndMonths, "standard"));
  count(show("Interval", "26" + timeSep + "04" + timeSep + "05" + number.decimalSeparator + "25",
             &readHoursToHundredths, "standard"));

  const unsigned char bytes[] = {0xDE, 0xAD, 0x00, 0x7F};
  showSame("Binary", dv::Binary(bytes, sizeof bytes, true));
  showSame("ExtDatumFile", dv::ExtDatumFile("/srv/reports/2024.pdf"));
  showSame("NilDatum", *dv::nilDatum());

  dv::resetLocaleState();
  return failures == 0 ? 0 : 1;
}
