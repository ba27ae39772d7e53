// Tests of DateTime without a locale: the constructors and their checks, the
// standard, "iso" and built-in locale readings with their warnings, the
// written styles, the order of values, the stored form (a negative zone
// included, damaged values refused) and DateTimeConstraint.
#include "datum/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "datum/DateTimeConstraint.h"
#include "datum/DatumStatus.h"
#include "datum/Interval.h"
#include "datum/Locale.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/Registry.h"
#include "status/Status.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

constexpr unsigned kMidnight = DateTime::kDateIfMidnight;
constexpr unsigned kTrim = DateTime::kTrimFraction;

class DateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLocaleState(); }
  void TearDown() override {
    DateTime::setDefaultZone(0, 0);
    DateTime::setCalendarReform(DateTime::kReform1752);
  }
};

std::string write(const DateTime& v, const char* style, unsigned options = 0) {
  char buf[DateTime::kLocalTextSize];
  return v.asString(buf, sizeof buf, style, FormatArg(static_cast<int>(options)));
}

// "Y-M-D h:m:s.u" of the fields, the month from 1, for comparing at a glance.
std::string fields(const DateTime& v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d.%d", v.year(), v.month() + 1, v.day(), v.hour(),
                v.minute(), v.second(), static_cast<int>(v.microsecond()));
  return buf;
}

const Status* bad() {
  return badDateTimeStatus();
}

TEST_F(DateTimeTest, DefaultValueJulianDatesAndCounts) {
  DateTime v;
  EXPECT_EQ(1721423.5, v.asDouble());
  EXPECT_EQ(6, v.weekday());
  EXPECT_EQ(0, v.yearDay());
  EXPECT_EQ(kUnitYear, v.precFrom());
  EXPECT_EQ(kUnitSecond, v.precTo());
  EXPECT_EQ(4, v.kind());
  EXPECT_EQ(5, v.typeCode());

  DateTime jd(2451544.5);
  EXPECT_EQ("2000-1-1 0:0:0.0", fields(jd));
  EXPECT_EQ(kUnitFraction3, jd.precTo());
  EXPECT_EQ("2000-01-01 00:00:00.000", write(jd, "odbc"));
  // Cut to the millisecond after half of one is added.
  EXPECT_EQ(123000, DateTime(2451544.5 + 0.1234 / 86400).microsecond());
  EXPECT_EQ(124000, DateTime(2451544.5 + 0.1239 / 86400).microsecond());
  for (double out : {5373485.0, -0.5, std::nan("")}) {
    EXPECT_EQ(bad(), DateTime(out).status()) << out;
  }
  // set(double) keeps the qualifier; a date out of range changes nothing else.
  DateTime date(2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
  EXPECT_EQ(nullptr, date.set(2451910.5));  // 1 January 2001
  EXPECT_EQ("2001-01-01", write(date, "odbc"));
  EXPECT_EQ(bad(), date.set(-1.0));
  EXPECT_EQ(2451910.5, date.asDouble());

  DateTime epoch(0u, true, DateTime::kUnixEpochDay);
  EXPECT_EQ("1970-01-01 00:00:00", write(epoch, "odbc"));
  const Status* st = nullptr;
  EXPECT_EQ(0, epoch.asLong(&st));
  EXPECT_EQ(successStatus(), st);
  DateTime days(3u, false, DateTime::kUnixEpochDay);
  EXPECT_EQ("1970-01-04", write(days, "odbc"));
  EXPECT_EQ(3, days.countSince(false, DateTime::kUnixEpochDay));
  EXPECT_EQ(bad(), DateTime(4000000000u, false, DateTime::kUnixEpochDay).status());
  DateTime later(2034, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitSecond);
  EXPECT_EQ(2019686400, later.asLong(&st));
  EXPECT_EQ(static_cast<const Status*>(notUnixSecondsStatus()), st);
  // Seconds before 1970 through set.
  EXPECT_EQ(nullptr, epoch.set(int32_t{-86400}));
  EXPECT_EQ("1969-12-31 00:00:00", write(epoch, "odbc"));
  EXPECT_EQ(-86400, epoch.countSince(true, DateTime::kUnixEpochDay));
  EXPECT_EQ(bad(), epoch.set(1.5f));
  EXPECT_EQ(bad(), epoch.set(int16_t{1}));
  EXPECT_EQ(static_cast<const Status*>(notImplementedStatus()), epoch.set("2000", 4));
}

TEST_F(DateTimeTest, FieldsAreCheckedInsideTheQualifierOnly) {
  struct Case {
    int32_t y, mo, d, h, mi, s, us, zh, zm, from, to;
    bool valid;
  } cases[] = {
      {2000, 12, 31, 23, 59, 59, 999999, 0, 0, kUnitYear, kUnitFraction6, true},
      {2000, 13, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay, false},
      {2000, 4, 31, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay, false},
      {2000, 1, 1, 24, 0, 0, 0, 0, 0, kUnitYear, kUnitHour, false},
      {2000, 1, 1, 0, 60, 0, 0, 0, 0, kUnitYear, kUnitMinute, false},
      {2000, 1, 1, 0, 0, 0, 1000000, 0, 0, kUnitYear, kUnitFraction6, false},
      {10000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitYear, false},
      {75535, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitYear, false},  // not cut to 16 bits
      {-4712, 1, 2, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay, true},    // the first whole day
      {-4712, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay, false},   // begins before day 0
      {2000, 1, 1, 0, 0, 0, 0, 12, 0, kUnitYear, kUnitHour, true},
      {2000, 1, 1, 0, 0, 0, 0, 12, 30, kUnitYear, kUnitHour, false},
      {2000, 1, 1, 0, 0, 0, 0, -12, 0, kUnitYear, kUnitHour, false},
      {2000, 1, 1, 0, 0, 0, 0, 5, 60, kUnitYear, kUnitHour, false},
      {0, 0, 0, 10, 0, 0, 0, -12, 0, kUnitHour, kUnitSecond, true},   // no day: no zone check
      {99, 99, 99, 10, 0, 0, 0, 0, 0, kUnitHour, kUnitSecond, true},  // outside: not taken
      {2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitSecond, kUnitYear, false},
      {2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitFraction2, kUnitFraction6, false},
  };
  for (const Case& c : cases) {
    DateTime v(c.y, c.mo, c.d, c.h, c.mi, c.s, c.us, c.zh, c.zm, c.from, c.to);
    EXPECT_EQ(c.valid, v.severity() == 0)
        << c.y << "-" << c.mo << "-" << c.d << " " << c.h << " zone " << c.zh << ":" << c.zm;
  }
  // Zone hours of -24 take the default zone.
  ASSERT_TRUE(DateTime::setDefaultZone(-3, 30));
  EXPECT_FALSE(DateTime::setDefaultZone(13, 0));
  DateTime v(2000, 1, 1, 10, 0, 0, 0, DateTime::kDefaultZone, 0, kUnitYear, kUnitHour);
  EXPECT_EQ(-3, v.zoneHours());
  EXPECT_EQ(30, v.zoneMinutes());
  EXPECT_EQ("2000-1-1 10:0:0.0", fields(v));
  // UTC is local time plus the offset, and -3:30 is minus three and a half hours.
  EXPECT_EQ(2451544, v.utc().days);
  EXPECT_EQ(18 * 3600 + 1800, v.utc().seconds);  // 06:30 UTC, counted from noon before
  // The assignment of a time of day alone gives a valid instant.
  EXPECT_EQ(nullptr, v.assign(0, 0, 0, 9, 30, 0, 0, 0, 0, kUnitHour, kUnitMinute));
  EXPECT_EQ(9, v.hour());
  EXPECT_EQ("13:00", write(v, "odbc"));  // in the default zone
  EXPECT_EQ(bad(), v.assign(0, 0, 0, 25, 0, 0, 0, 0, 0, kUnitHour, kUnitMinute));
}

DateTime standard(const char* text, int32_t from, int32_t to, unsigned options = 0) {
  return DateTime(text, "standard", from, to, options);
}

TEST_F(DateTimeTest, TheStandardReading) {
  DateTime v = standard(" 1999-12-31 23:59:59.5 ", kUnitYear, kUnitFraction6);
  EXPECT_EQ(0, v.severity());
  EXPECT_EQ("1999-12-31 23:59:59.500000", write(v, "odbc"));
  EXPECT_EQ(123457, standard("2000-1-1 0:0:0.1234567", kUnitYear, kUnitFraction6).microsecond());
  EXPECT_EQ(bad(), standard("2000-1-1 0:0:0.9999996", kUnitYear, kUnitFraction6).status());
  // No fraction: the value ends at the second.
  v = standard("2000-01-01 10:00:00", kUnitYear, kUnitFraction6);
  EXPECT_EQ(0, v.severity());
  EXPECT_EQ(kUnitSecond, v.precTo());
  // Years are literal; -1 is 1 BC, stored as 0, and -4713 the earliest year.
  EXPECT_EQ(49, standard("49-01-01", kUnitYear, kUnitDay).year());
  EXPECT_EQ(0, standard("-1-06-01", kUnitYear, kUnitDay).year());
  EXPECT_EQ("-1-06-01", write(standard("-1-06-01", kUnitYear, kUnitDay), "standard"));
  EXPECT_EQ(-4712, standard("-4713-06-01", kUnitYear, kUnitDay).year());
  EXPECT_EQ(bad(), standard("-4714-06-01", kUnitYear, kUnitDay).status());

  // A trailing zone, only at an end unit of hour or finer: UTC is local time plus it.
  v = standard("2000-01-01 10:00 +05:30", kUnitYear, kUnitMinute);
  EXPECT_EQ(0, v.severity());
  EXPECT_EQ(5, v.zoneHours());
  EXPECT_EQ(30, v.zoneMinutes());
  EXPECT_EQ(2451545, v.utc().days);
  EXPECT_EQ(3 * 3600 + 1800, v.utc().seconds);  // 15:30 UTC, counted from noon
  EXPECT_EQ("2000-01-01 15:30", write(v, "odbc"));
  EXPECT_EQ(-5, standard("10:00 -5:0", kUnitHour, kUnitMinute).zoneHours());
  for (const char* text : {"2000-01-01 10:00 +12:30", "2000-01-01 10:00 -12:00",
                           "2000-01-01 10:00 -00:30", "2000-01-01 10:00 +5", "2000-01-01 10:00 x",
                           "2000-01-01T10:00", "2000-01-01 10:00:00", "2000-13-01 10:00"}) {
    EXPECT_EQ(bad(), standard(text, kUnitYear, kUnitMinute).status()) << text;
  }
  EXPECT_EQ(bad(), standard("2000-01-01 +05:00", kUnitYear, kUnitDay).status());
  EXPECT_EQ(bad(), standard("2000-01-01-05", kUnitYear, kUnitDay).status());
  // A time of day does not check its zone.
  EXPECT_EQ(0, standard("10:00 +13:00", kUnitHour, kUnitMinute).severity());
  // Without the hour too: the "absolute" text of a minute to second value reads back.
  ASSERT_TRUE(DateTime::setDefaultZone(5, 30));
  v = standard("24:00", kUnitMinute, kUnitSecond);
  EXPECT_EQ("54:00 +0:0", write(v, "absolute"));
  EXPECT_EQ("24:00", write(standard("54:00 +0:0", kUnitMinute, kUnitSecond), "standard"));
}

TEST_F(DateTimeTest, EachSetToWarningKeepsWhatWasRead) {
  struct Case {
    const char* style;
    const char* text;
    const Status* warning;
    const char* fields;
  } cases[] = {
      {"standard", "2000-02-03", timeSetToMidnightStatus(), "2000-2-3 0:0:0.0"},
      {"standard", "2000-02-03 10", minutesSetToZeroStatus(), "2000-2-3 10:0:0.0"},
      {"standard", "2000-02-03 10:20", secondsSetToZeroStatus(), "2000-2-3 10:20:0.0"},
      {nullptr, "02/03/2000", timeSetToMidnightStatus(), "2000-2-3 0:0:0.0"},
      {nullptr, "02/03/2000 10", minutesSetToZeroStatus(), "2000-2-3 10:0:0.0"},
      {"local", "02/03/2000 10:20", secondsSetToZeroStatus(), "2000-2-3 10:20:0.0"},
      {"local", "02/03/2000 10 GMT", minutesSetToZeroStatus(), "2000-2-3 10:0:0.0"},
      {"iso", "2000-02-03-10.20", secondsSetToZeroStatus(), "2000-2-3 10:20:0.0"},
  };
  for (const Case& c : cases) {
    DateTime v(c.text, c.style, kUnitYear, kUnitSecond);
    EXPECT_EQ(c.warning, v.status()) << c.text;
    EXPECT_TRUE(v.isNull()) << c.text;
    EXPECT_EQ(c.fields, fields(v)) << c.text;
    EXPECT_EQ(kUnitSecond, v.precTo()) << c.text;
  }
  // With dateIfMidnight a missing time, or one of zeros, makes a date.
  for (const char* text : {"2000-02-03", "2000-02-03 0:00:00"}) {
    DateTime v(text, "standard", kUnitYear, kUnitSecond, kMidnight);
    EXPECT_EQ(0, v.severity()) << text;
    EXPECT_EQ(kUnitDay, v.precTo()) << text;
  }
  // A time of day stays one.
  for (const char* text : {" ", "00:00:00"}) {
    DateTime v(text, "standard", kUnitHour, kUnitSecond, kMidnight);
    EXPECT_EQ(kUnitHour, v.precFrom()) << text;
    EXPECT_EQ(kUnitSecond, v.precTo()) << text;
    EXPECT_EQ("0:00:00", write(v, "standard", kMidnight)) << text;
  }
  // Empty text: NULL without an error.
  DateTime empty("", nullptr, kUnitYear, kUnitSecond);
  EXPECT_EQ(nullStatus(), empty.status());
  EXPECT_EQ(bad(), DateTime("2000", nullptr, kUnitDay, kUnitYear).status());
}

TEST_F(DateTimeTest, TheBuiltInLocaleReadingAndItsFallback) {
  DateTime v("03/05/01 09:07", nullptr, kUnitYear, kUnitMinute);
  EXPECT_EQ("2001-3-5 9:7:0.0", fields(v));
  EXPECT_EQ("03/05/01 09:07", write(v, nullptr));
  EXPECT_EQ(2049, DateTime("01/01/49", "local", kUnitYear, kUnitDay).year());
  EXPECT_EQ(1950, DateTime("01/01/50", "local", kUnitYear, kUnitDay).year());
  EXPECT_EQ(50, DateTime("01/01/050", "local", kUnitYear, kUnitDay).year());  // 3 digits: literal
  EXPECT_EQ("2000-3", fields(DateTime("03/2000", "local", kUnitYear, kUnitMonth)).substr(0, 6));
  EXPECT_EQ(12, DateTime("12/31", "local", kUnitMonth, kUnitDay).month() + 1);
  // Up to one digit more than kept is rounded; further digits are skipped.
  EXPECT_EQ(124000, DateTime("10:00:00.1235", "local", kUnitHour, kUnitFraction3).microsecond());
  EXPECT_EQ(123000, DateTime("10:00:00.12349", "local", kUnitHour, kUnitFraction3).microsecond());
  EXPECT_EQ(0, DateTime("10:00:00 GMT", "local", kUnitHour, kUnitSecond).severity());
  // Style null falls back to the standard reading; "local" does not.
  v = DateTime("2001-03-05 09:07", nullptr, kUnitYear, kUnitMinute);
  EXPECT_EQ("2001-3-5 9:7:0.0", fields(v));
  EXPECT_EQ(bad(), DateTime("2001-03-05 09:07", "local", kUnitYear, kUnitMinute).status());
  // Text left over fails every reading.
  for (const char* style : {"local", "iso", "standard"}) {
    EXPECT_EQ(bad(), DateTime("2001 x", style, kUnitYear, kUnitYear).status()) << style;
    EXPECT_EQ(0, DateTime("2001", style, kUnitYear, kUnitYear).severity()) << style;
  }
}

TEST_F(DateTimeTest, TheIsoReading) {
  DateTime v("1999-12-31-23.59.59.500000", "iso", kUnitYear, kUnitFraction6);
  EXPECT_EQ(0, v.severity());
  EXPECT_EQ("1999-12-31-23.59.59.500000", write(v, "iso"));
  EXPECT_EQ(49, DateTime("49-01-01", "iso", kUnitYear, kUnitDay).year());
  EXPECT_EQ(bad(), DateTime("1999-12-31 23.59.59", "iso", kUnitYear, kUnitSecond).status());
  EXPECT_EQ(bad(), DateTime("1999-12-31-23:59:59", "iso", kUnitYear, kUnitSecond).status());
  // A month and day are read as they are written.
  v = DateTime("12-31", "iso", kUnitMonth, kUnitDay);
  EXPECT_EQ("12-31", write(v, "iso"));
  EXPECT_EQ(bad(), DateTime("31-12", "iso", kUnitMonth, kUnitDay).status());
}

TEST_F(DateTimeTest, TrimFraction) {
  DateTime v("12:00:00.120", "standard", kUnitHour, kUnitFraction3, kTrim);
  EXPECT_EQ(kUnitFraction2, v.precTo());
  EXPECT_EQ(kUnitSecond,
            DateTime("12:00:00.000", "standard", kUnitHour, kUnitFraction3, kTrim).precTo());
  EXPECT_EQ(kUnitFraction6,
            DateTime("12:00:00.000001", "local", kUnitHour, kUnitFraction6, kTrim).precTo());
  DateTime f(2000, 1, 1, 0, 0, 0, 500000, 0, 0, kUnitYear, kUnitFraction6, kTrim);
  EXPECT_EQ(kUnitFraction, f.precTo());
  // A value that starts at the fraction keeps its first digit.
  EXPECT_EQ(kUnitFraction,
            DateTime("000", "standard", kUnitFraction, kUnitFraction3, kTrim).precTo());
}

TEST_F(DateTimeTest, WrittenStyles) {
  DateTime v(1999, 12, 31, 23, 59, 59, 500000, 0, 0, kUnitYear, kUnitFraction6);
  EXPECT_EQ("1999-12-31 23:59:59.500000", write(v, "odbc"));
  EXPECT_EQ("1999-12-31-23.59.59.500000", write(v, "iso"));
  EXPECT_EQ("1999-12-31 23:59:59.500000", write(v, "standard"));
  EXPECT_EQ("1999-12-31 23:59:59.5", write(v, "standard", DateTime::kStripZeros));
  EXPECT_EQ("12/31/99 23:59:59.500000", write(v, nullptr));
  DateTime early(5, 3, 1, 7, 5, 0, 0, 0, 0, kUnitYear, kUnitFraction2);
  EXPECT_EQ("5-03-01 7:05:00.00", write(early, "standard"));
  EXPECT_EQ("0005-03-01 07:05:00.00", write(early, "odbc"));
  EXPECT_EQ("5-03-01 7:05:00",
            write(early, "standard", DateTime::kStripZeros | DateTime::kPointWithDigits));
  DateTime midnight(2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitSecond);
  EXPECT_EQ("2000-01-01", write(midnight, "odbc", kMidnight));
  EXPECT_EQ("01/01/00", write(midnight, "local", kMidnight));
  // "absolute" shows UTC; the other styles the default zone.
  DateTime zoned(2000, 1, 1, 10, 0, 0, 0, 5, 0, kUnitYear, kUnitSecond);
  EXPECT_EQ("2000-01-01 15:00:00 +0:0", write(zoned, "absolute"));
  EXPECT_EQ("2000-01-01 15:00:00", write(zoned, "odbc"));
  ASSERT_TRUE(DateTime::setDefaultZone(-2, 0));
  EXPECT_EQ("2000-01-01 17:00:00", write(zoned, "odbc"));
  ASSERT_TRUE(DateTime::setDefaultZone(0, 0));
  // A year-only value writes its full year; a date has no zone to move.
  EXPECT_EQ("2001", write(DateTime("2001", nullptr, kUnitYear, kUnitYear), nullptr));
  EXPECT_EQ(65, v.maxTextLength(nullptr));
  EXPECT_EQ(35, v.maxTextLength("iso"));
  EXPECT_EQ(42, v.maxTextLength("odbc"));
  char small[5];
  EXPECT_STREQ("1999", v.asString(small, sizeof small, "odbc"));
  std::ostringstream print;
  DateTime(2451544.5).printOn(print);
  EXPECT_EQ("2000-01-01 0:00:00.000 +0:0 Sat.1 [Jul 2451544.50]", print.str());
}

TEST_F(DateTimeTest, OrderByStartUnitThenEndUnitThenInstant) {
  DateTime date(2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
  DateTime stamp(1999, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitSecond);
  DateTime time(0, 0, 0, 1, 0, 0, 0, 0, 0, kUnitHour, kUnitSecond);
  DateTime sameDate(2000, 1, 1, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
  DateTime laterDate(2000, 1, 2, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
  // Equal start units, different end units: one order, the same in every operation.
  EXPECT_TRUE(stamp.isGreaterThan(date));
  EXPECT_FALSE(stamp.isLessThan(date));
  EXPECT_TRUE(date.isLessThan(stamp));
  EXPECT_FALSE(date.isGreaterThan(stamp));
  EXPECT_EQ(1, stamp.compare(date));
  EXPECT_EQ(-1, date.compare(stamp));
  EXPECT_EQ(1, time.compare(stamp));
  EXPECT_TRUE(time.isGreaterThan(date));
  EXPECT_EQ(0, date.compare(sameDate));
  EXPECT_TRUE(date.isEqual(sameDate));
  EXPECT_FALSE(date.isEqual(stamp));
  EXPECT_EQ(date.hash(), sameDate.hash());
  EXPECT_TRUE(laterDate.isGreaterThan(date));
  EXPECT_TRUE(date.isLessOrEqual(sameDate));
  // Other kinds of value: by kind (a DateTime is 4, an Interval 5, a Text 6).
  EXPECT_TRUE(date.isLessThan(Interval()));
  EXPECT_TRUE(date.isLessThan(Text("x")));
  EXPECT_EQ(1, Text("x").compare(date));
  EXPECT_EQ(-1, date.compare(Text("x")));
}

// Text-form records of the stored form, for damaged input.
std::string record(const Class& c, const std::string& fields) {
  return "{" + std::string(c.name()) + " " + std::to_string(c.signature()) + " " + fields;
}

TEST_F(DateTimeTest, StoredFormRoundTripsEveryZone) {
  for (bool binary : {false, true}) {
    for (int32_t zone : {-11, -5, 0, 5, 12}) {
      int32_t minutes = zone == 12 ? 0 : 30;
      DateTime v(2000, 6, 15, 10, 20, 30, 123456, zone, minutes, kUnitYear, kUnitFraction6);
      ASSERT_EQ(0, v.severity());
      std::string bytes;
      Object* back = testing::roundTrip(v, binary, &bytes);
      ASSERT_TRUE(back->isKindOf(DateTime::desc())) << zone;
      const DateTime& b = static_cast<const DateTime&>(*back);
      EXPECT_TRUE(b.isEqual(v)) << zone;
      EXPECT_EQ(zone, b.zoneHours());
      EXPECT_EQ(minutes, b.zoneMinutes());
      EXPECT_EQ(fields(v), fields(b)) << zone;
      EXPECT_EQ(v.weekday(), b.weekday());
      back->release();
      // The zone word keeps the zone hours' byte as it always was: +5:30 is 0x1E05.
      if (!binary && zone == 5) {
        EXPECT_NE(std::string::npos, bytes.find(" 7685 ")) << bytes;
      }
      if (!binary && zone == -5) {
        EXPECT_NE(std::string::npos, bytes.find(" 7931 ")) << bytes;
      }
    }
  }
  // A value carrying a warning keeps it.
  DateTime warned("2000-02-03", "standard", kUnitYear, kUnitSecond);
  Object* back = testing::roundTrip(warned, true);
  EXPECT_EQ(timeSetToMidnightStatus()->code(), static_cast<Datum*>(back)->code());
  back->release();
}

TEST_F(DateTimeTest, DamagedStoredValuesAreRefused) {
  std::string status = record(Status::desc(), "} ");
  auto value = [&](const std::string& words) {
    return record(DateTime::desc(), status + words + " } ");
  };
  // zone word, qualifier word (1 to 6 is 1537), days, seconds, microseconds
  std::string good = value("0 1537 2451545 0 0");
  EXPECT_FALSE(
      testing::readDamaged("2 6 \n" + good, false, testing::ReadMode::kReported, true).answeredNil);
  const char* damaged[] = {
      "13 1537 2451545 0 0",     // zone 13 with the day inside
      "15360 1537 2451545 0 0",  // zone minutes 60
      "12300 1537 2451545 0 0",  // 12:48
      "0 775 2451545 0 0",       // units 7 to 3
      "0 3329 2451545 0 0",      // end unit 13
      "0 1537 2451545 86400 0",  // a second beyond the day
      "0 1537 -1 0 0",           // before day 0
      "0 1537 2451545 0 1000000",
      "0 1537 5373485 0 0",  // after 9999
  };
  for (const char* words : damaged) {
    for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      testing::DamagedRead r = testing::readDamaged("2 6 \n" + value(words), false, mode, false);
      EXPECT_TRUE(r.answeredNil) << words;
      EXPECT_GE(r.severity, kError) << words;
      EXPECT_EQ(0, r.kept) << words;
      EXPECT_TRUE(testing::isReadError(r.error)) << words;
    }
  }
}

TEST_F(DateTimeTest, RegisteredAndMadeByName) {
  EXPECT_TRUE(prototype(DateTime::kStreamTypeNumber)->isKindOf(DateTime::desc()));
  EXPECT_TRUE(
      prototype(DateTimeConstraint::kStreamTypeNumber)->isKindOf(DateTimeConstraint::desc()));
  Datum* made = DatumClass::make("DateTime", "2001-02-03 04:05:06");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ("2001-02-03 04:05:06", write(static_cast<DateTime&>(*made), "odbc"));
  made->release();
  EXPECT_STREQ("year", unitName(kUnitYear, false));
  EXPECT_STREQ("fraction", unitName(kUnitFraction, false));
  EXPECT_STREQ("fraction(3)", unitName(kUnitFraction3, true));
  EXPECT_STREQ("", unitName(13, true));
}

TEST_F(DateTimeTest, TheConstraint) {
  DateTimeConstraint c(kUnitYear, kUnitDay, DateTime::kAdOnly | DateTime::kStripZeros);
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), c.newDatum(""));
  Datum* bc = c.newDatum("-44-03-15", "standard");
  EXPECT_EQ(static_cast<const Status*>(yearNotADStatus()), bc->status());
  bc->release();
  Datum* ad = c.newDatum("2000-03-15", "standard");
  EXPECT_EQ(0, ad->severity());
  char buf[64];
  EXPECT_STREQ("2000-03-15", c.format(*ad, buf, sizeof buf, "odbc"));
  ad->release();
  DateTimeConstraint fraction(kUnitHour, kUnitFraction6, DateTime::kStripZeros);
  DateTime t(0, 0, 0, 10, 0, 0, 250000, 0, 0, kUnitHour, kUnitFraction6);
  EXPECT_STREQ("10:00:00.25", fraction.format(t, buf, sizeof buf, "odbc"));
  DateTime nullValue("", nullptr, kUnitYear, kUnitDay);
  EXPECT_STREQ("", fraction.format(nullValue, buf, sizeof buf));

  EXPECT_EQ(100, c.similarity(DateTimeConstraint(kUnitYear, kUnitDay, 0)));
  EXPECT_EQ(60, c.similarity(DateTimeConstraint(kUnitYear, kUnitMonth, 0)));  // d 2, s 5
  EXPECT_EQ(1, c.similarity(DateTimeConstraint(kUnitHour, kUnitFraction6, 0)));
  EXPECT_EQ(100, DateTimeConstraint().similarity(DateTimeConstraint()));
  EXPECT_EQ(0, c.similarity(TextConstraint(5)));
  EXPECT_EQ(5, c.typeCode());

  std::ostringstream print;
  DateTimeConstraint().printOn(print);
  EXPECT_EQ("DateTime Constraints: precFrom=-1,precTo=-1,miscFlags=1,format=NULL", print.str());
  ASSERT_TRUE(c.setFormatString("YYYY"));
  EXPECT_FALSE(c.isEqual(DateTimeConstraint(kUnitYear, kUnitDay, 9)));
  for (bool binary : {false, true}) {
    Object* back = testing::roundTrip(c, binary);
    ASSERT_TRUE(back->isKindOf(DateTimeConstraint::desc()));
    EXPECT_TRUE(back->isEqual(c));
    EXPECT_STREQ("YYYY", static_cast<DateTimeConstraint*>(back)->formatString()->c_str());
    back->release();
  }
  Datum* empty = c.newEmpty();
  EXPECT_TRUE(empty->isKindOf(DateTime::desc()));
  EXPECT_EQ(kUnitDay, static_cast<DateTime*>(empty)->precTo());
  empty->release();
  empty = DateTimeConstraint().newEmpty();
  EXPECT_EQ(bad(), empty->status());
  empty->release();
}

}  // namespace
}  // namespace dv
