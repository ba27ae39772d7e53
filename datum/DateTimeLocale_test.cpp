// Tests of the locale style of DateTime and Interval over real locales
// (compiled into LOCPATH by the test set-up): German dates and decimal
// comma, the American 12-hour clock, and a Japanese locale whose dates cannot
// be analysed, so that the built-in settings stand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "datum/DateTime.h"
#include "datum/Interval.h"
#include "datum/Locale.h"

namespace dv {
namespace {

class DateTimeLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, std::getenv("LOCPATH"))
        << "run through ctest: the set-up compiles the test locales into LOCPATH";
    resetLocaleState();
    setLocaleTable(&table);
  }
  void TearDown() override { resetLocaleState(); }

  // Makes the locale of identifier id current for the rest of the test.
  void use(int32_t id) {
    locale = new Locale(id);
    setCurrentLocale(locale);
    locale->release();  // the process holds it while it is current
  }

  MapLocaleTable table;
  Locale* locale = nullptr;
};

std::string write(const Datum& v, const char* style = nullptr, int options = 0) {
  char buf[DateTime::kLocalTextSize];
  return v.asString(buf, sizeof buf, style, FormatArg(options));
}

const Status* bad() {
  return badDateTimeStatus();
}

TEST_F(DateTimeLocaleTest, GermanDatesAndDecimalComma) {
  use(0x0407);  // dd.MM.yyyy, 24 hours, ","
  DateTime v("31.12.1999 23:59:59,5", nullptr, kUnitYear, kUnitFraction);
  ASSERT_EQ(0, v.severity());
  EXPECT_EQ(1999, v.year());
  EXPECT_EQ(500000, v.microsecond());
  EXPECT_EQ("31.12.1999 23:59:59,5", write(v));
  EXPECT_EQ("1999-12-31 23:59:59.5", write(v, "odbc"));
  // Four-digit years are the setting: a short year is taken as written.
  EXPECT_EQ(99, DateTime("31.12.99", "local", kUnitYear, kUnitDay).year());
  EXPECT_EQ("31.12", write(DateTime("31.12", "local", kUnitMonth, kUnitDay)));
  EXPECT_EQ("12.1999", write(DateTime("12.1999", "local", kUnitYear, kUnitMonth)));
  // The standard reading stands behind style null only.
  EXPECT_EQ(0, DateTime("1999-12-31", nullptr, kUnitYear, kUnitDay).severity());
  EXPECT_EQ(bad(), DateTime("1999-12-31", "local", kUnitYear, kUnitDay).status());
  for (const char* text : {"12/31/1999", "31.12.1999 23.59", "32.12.1999", "31.12.1999 x"}) {
    EXPECT_EQ(bad(), DateTime(text, nullptr, kUnitYear, kUnitMinute).status()) << text;
  }
  // The minute warning keeps the date and the hour.
  DateTime warned("31.12.1999 23", nullptr, kUnitYear, kUnitSecond);
  EXPECT_EQ(static_cast<const Status*>(minutesSetToZeroStatus()), warned.status());
  EXPECT_EQ(23, warned.hour());

  // Intervals take the German punctuation too; the sign stays a sign.
  Interval i("-3.05", "local", 4, kUnitYear, kUnitMonth);
  ASSERT_EQ(0, i.severity());
  EXPECT_TRUE(i.negative());
  EXPECT_EQ("-3.05", write(i));
  EXPECT_EQ("-3-05", write(i, "standard"));
  Interval time("2:03:04,25", "local", 13, kUnitHour, kUnitFraction2);
  EXPECT_EQ("2:03:04,25", write(time));
  EXPECT_EQ(badIntervalStatus(),
            Interval("2:03:04.25", "local", 13, kUnitHour, kUnitFraction2).status());
  // With style null the rewritten text is read: "." is the German date separator.
  EXPECT_EQ(badIntervalStatus(),
            Interval("2:03:04.25", nullptr, 13, kUnitHour, kUnitFraction2).status());
  EXPECT_EQ(0, Interval("2:03:04.25", "standard", 13, kUnitHour, kUnitFraction2).severity());
  // A day-time interval's local form, with its blank after the days, reads
  // back in the locale, with style null and "local".
  Interval days("-12 2:03:04,25", "local", 13, kUnitDay, kUnitFraction2);
  ASSERT_EQ(0, days.severity());
  std::string local = write(days);
  EXPECT_EQ("-12 2:03:04,25", local);
  for (const char* style : {static_cast<const char*>(nullptr), "local"}) {
    Interval back(local.c_str(), style, 13, kUnitDay, kUnitFraction2);
    EXPECT_EQ(0, back.severity()) << (style ? style : "null");
    EXPECT_TRUE(back.isEqual(days)) << (style ? style : "null");
  }
}

TEST_F(DateTimeLocaleTest, TheAmericanTwelveHourClock) {
  use(0x0409);  // MM/dd/yyyy, AM and PM
  struct Case {
    const char* text;
    int32_t to;
    int hour;  // -1: refused
  } cases[] = {
      {"12/31/1999 11:59:59 PM", kUnitSecond, 23}, {"12/31/1999 11:59:59 pm", kUnitSecond, 23},
      {"12/31/1999 12:00:00 AM", kUnitSecond, 0},  {"12/31/1999 12:30 PM", kUnitMinute, 12},
      {"12/31/1999 9:05 AM", kUnitMinute, 9},      {"12/31/1999 13:00 PM", kUnitMinute, -1},
      {"12/31/1999 11:59 PMX", kUnitMinute, -1},   {"12/31/1999 21:00", kUnitMinute, 21},
  };
  for (const Case& c : cases) {
    DateTime v(c.text, "local", kUnitYear, c.to);
    if (c.hour < 0) {
      EXPECT_EQ(bad(), v.status()) << c.text;
    } else {
      EXPECT_EQ(0, v.severity()) << c.text;
      EXPECT_EQ(c.hour, v.hour()) << c.text;
    }
  }
  // A time of hours only, its suffix after it: the minute warning.
  DateTime hours("12/31/1999 10 PM", "local", kUnitYear, kUnitMinute);
  EXPECT_EQ(static_cast<const Status*>(minutesSetToZeroStatus()), hours.status());
  EXPECT_EQ(22, hours.hour());
  // GMT sets the zone 0:00 whatever the default zone.
  ASSERT_TRUE(DateTime::setDefaultZone(3, 0));
  DateTime gmt("12/31/1999 11:59 PM GMT", "local", kUnitYear, kUnitMinute);
  EXPECT_EQ(0, gmt.zoneHours());
  EXPECT_EQ(3, DateTime("12/31/1999 11:59 PM", "local", kUnitYear, kUnitMinute).zoneHours());
  ASSERT_TRUE(DateTime::setDefaultZone(0, 0));

  DateTime midnight(2001, 3, 5, 0, 7, 0, 0, 0, 0, kUnitYear, kUnitMinute);
  DateTime evening(2001, 3, 5, 21, 7, 0, 0, 0, 0, kUnitYear, kUnitMinute);
  std::string m = write(midnight);
  std::string e = write(evening);
  EXPECT_EQ("03/05/2001 12:07 AM", m);
  EXPECT_EQ("03/05/2001 09:07 PM", e);
  EXPECT_TRUE(DateTime(m.c_str(), "local", kUnitYear, kUnitMinute).isEqual(midnight)) << m;
  EXPECT_TRUE(DateTime(e.c_str(), "local", kUnitYear, kUnitMinute).isEqual(evening)) << e;
  // A value without the hour has no suffix.
  EXPECT_EQ("03/05/2001", write(DateTime("03/05/2001", "local", kUnitYear, kUnitDay)));
}

TEST_F(DateTimeLocaleTest, AnUnusableLocaleLeavesTheBuiltInSettings) {
  use(0x0411);  // Japanese dates name their fields: the locale cannot deliver
  DateTime v("12/31/99 23:59", nullptr, kUnitYear, kUnitMinute);
  ASSERT_EQ(0, v.severity());
  EXPECT_EQ(1999, v.year());
  EXPECT_EQ("12/31/99 23:59", write(v));
  EXPECT_EQ(bad(), DateTime("1999年12月31日", "local", kUnitYear, kUnitDay).status());
  EXPECT_EQ(bad(), DateTime("31.12.1999", nullptr, kUnitYear, kUnitDay).status());
  // Intervals keep the standard punctuation.
  EXPECT_EQ("3-05", write(Interval("3-05", "local", 4, kUnitYear, kUnitMonth)));
  // Changing the current locale changes the settings used.
  use(0x0407);
  EXPECT_EQ("31.12.1999 23:59", write(v));
  EXPECT_EQ("3.05", write(Interval("3-05", "standard", 4, kUnitYear, kUnitMonth)));
  setCurrentLocale(nullptr);
  EXPECT_EQ("12/31/99 23:59", write(v));
}

}  // namespace
}  // namespace dv
