// Day numbers of DateTime against day counts computed here independently,
// for every day of the years 1 to 9999 under each calendar reform, and the
// round trip from fields to the instant and back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "datum/DateTime.h"

namespace dv {
namespace {

// Restores the process-wide calendar reform after each test.
class DayNumberTest : public ::testing::Test {
 protected:
  void TearDown() override { DateTime::setCalendarReform(DateTime::kReform1752); }
};

bool gregorianLeap(int64_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Python's date.toordinal() (proleptic Gregorian, 1 January of year 1 is 1),
// as its datetime module computes it: the days before the year, the days
// before the month, the day.
int64_t gregorianOrdinal(int64_t y, int64_t m, int64_t d) {
  static const int kDaysBeforeMonth[13] = {0,   0,   31,  59,  90,  120, 151,
                                           181, 212, 243, 273, 304, 334};
  int64_t before = y - 1;
  int64_t days = before * 365 + before / 4 - before / 100 + before / 400;
  days += kDaysBeforeMonth[m] + (m > 2 && gregorianLeap(y) ? 1 : 0);
  return days + d;
}

// The Julian day number of a Julian-calendar date (the U.S. Naval
// Observatory's integer formula, valid for positive years).
int64_t julianCalendarDay(int64_t y, int64_t m, int64_t d) {
  return 367 * y - (7 * (y + 5001 + (m - 9) / 7)) / 4 + (275 * m) / 9 + d + 1729777;
}

// The calendar of a reform: the Julian one up to the day before the first
// Gregorian day (none for reform 2), the Gregorian one from it on.
struct Calendar {
  int64_t year;  // of the first Gregorian day; 0: none
  int month;
  int firstDay;
  int lastJulianDay;  // the day of that month before the gap
};

Calendar calendarOf(int reform) {
  if (reform == DateTime::kReform1752) return {1752, 9, 14, 2};
  if (reform == DateTime::kReform1582) return {1582, 10, 15, 4};
  return {0, 0, 0, 0};
}

bool gregorianOn(const Calendar& c, int64_t y, int m, int d) {
  if (c.year == 0 || y != c.year) return c.year != 0 && y > c.year;
  return m != c.month ? m > c.month : d >= c.firstDay;
}

int monthLength(int64_t y, int m, bool gregorian) {
  static const int kLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = gregorian ? gregorianLeap(y) : y % 4 == 0;
  return m == 2 && leap ? 29 : kLength[m];
}

// Walks every day of years 1 to 9999 in the calendar of reform, checking that
// noon of the day is the Julian date counted independently (Python's
// ordinal for Gregorian days, the Julian formula before), that consecutive
// days have consecutive numbers, and that the fields, the weekday and the day
// of the year come back from the instant.
void checkEveryDay(int reform) {
  ASSERT_TRUE(DateTime::setCalendarReform(reform));
  Calendar c = calendarOf(reform);
  int failures = 0;
  int64_t previous = 0;
  for (int64_t y = 1; y <= 9999 && failures < 10; ++y) {
    int yearDay = 0;
    for (int m = 1; m <= 12; ++m) {
      // A month keeps the length of its calendar; the reform month ends Gregorian.
      int length = monthLength(y, m, gregorianOn(c, y, m, 31));
      for (int d = 1; d <= length; ++d) {
        if (y == c.year && m == c.month && d > c.lastJulianDay && d < c.firstDay) continue;
        ++yearDay;
        bool gregorian = gregorianOn(c, y, m, d);
        int64_t jd = gregorian ? gregorianOrdinal(y, m, d) + 1721425 : julianCalendarDay(y, m, d);
        DateTime v(static_cast<int32_t>(y), m, d, 12, 0, 0, 0, 0, 0, kUnitYear, kUnitHour);
        bool same = v.severity() == 0 && v.utc().days == jd && v.utc().seconds == 0 &&
                    v.asDouble() == static_cast<double>(jd) && v.year() == y &&
                    v.month() == m - 1 && v.day() == d && v.hour() == 12 &&
                    v.weekday() == (jd + 1) % 7 && v.yearDay() == yearDay &&
                    (previous == 0 || jd == previous + 1);
        previous = jd;
        if (!same) {
          ADD_FAILURE() << "reform " << reform << ", " << y << "-" << m << "-" << d << ": day "
                        << v.utc().days << " " << v.utc().seconds << " expected " << jd
                        << ", fields " << v.year() << "-" << v.month() + 1 << "-" << v.day()
                        << " weekday " << v.weekday() << " yearDay " << v.yearDay() << " expected "
                        << yearDay << ", status " << v.messageText();
          ++failures;
        }
      }
    }
  }
}

TEST_F(DayNumberTest, TheIndependentCountsAgreeOnTheirAnchors) {
  EXPECT_EQ(2451545, gregorianOrdinal(2000, 1, 1) + 1721425);
  EXPECT_EQ(2299161, gregorianOrdinal(1582, 10, 15) + 1721425);
  EXPECT_EQ(2299160, julianCalendarDay(1582, 10, 4));
  EXPECT_EQ(2361221, julianCalendarDay(1752, 9, 2));
  EXPECT_EQ(1721424, julianCalendarDay(1, 1, 1));
}

TEST_F(DayNumberTest, EveryDayUnderReform1582) {
  checkEveryDay(DateTime::kReform1582);
}

TEST_F(DayNumberTest, EveryDayUnderReform1752) {
  checkEveryDay(DateTime::kReform1752);
}

TEST_F(DayNumberTest, EveryDayInTheJulianCalendar) {
  checkEveryDay(DateTime::kJulianOnly);
}

TEST_F(DayNumberTest, TheDroppedDaysOfBothReforms) {
  struct Gap {
    int reform;
    int32_t year, month, lastJulian, firstGregorian;
    int32_t lastDay, firstDay;
  } gaps[] = {
      {DateTime::kReform1752, 1752, 9, 2, 14, 2361221, 2361222},
      {DateTime::kReform1582, 1582, 10, 4, 15, 2299160, 2299161},
  };
  for (const Gap& g : gaps) {
    ASSERT_TRUE(DateTime::setCalendarReform(g.reform));
    DateTime last(g.year, g.month, g.lastJulian, 12, 0, 0, 0, 0, 0, kUnitYear, kUnitHour);
    DateTime first(g.year, g.month, g.firstGregorian, 12, 0, 0, 0, 0, 0, kUnitYear, kUnitHour);
    EXPECT_EQ(g.lastDay, last.utc().days) << g.year;
    EXPECT_EQ(g.firstDay, first.utc().days) << g.year;
    EXPECT_EQ(last.weekday() + 1, first.weekday()) << g.year;  // consecutive days
    EXPECT_EQ(last.yearDay() + 1, first.yearDay()) << g.year;
    for (int32_t d = g.lastJulian + 1; d < g.firstGregorian; ++d) {
      DateTime dropped(g.year, g.month, d, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
      EXPECT_EQ(static_cast<const Status*>(badDateTimeStatus()), dropped.status()) << d;
    }
    // January of the reform year is still Julian.
    DateTime january(g.year, 1, 15, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
    EXPECT_EQ(15, january.day());
    EXPECT_EQ(0, january.month());
    DateTime newYearsEve(g.year, 12, 31, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
    EXPECT_EQ((g.year % 4 == 0 ? 366 : 365) - (g.reform == DateTime::kReform1752 ? 11 : 10),
              newYearsEve.yearDay());
  }
  // Under reform 2 the September days of 1752 exist.
  ASSERT_TRUE(DateTime::setCalendarReform(DateTime::kJulianOnly));
  DateTime kept(1752, 9, 10, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
  EXPECT_EQ(0, kept.severity());
}

TEST_F(DayNumberTest, LeapYearsUnderEachReform) {
  for (int reform : {0, 1, 2}) {
    ASSERT_TRUE(DateTime::setCalendarReform(reform));
    DateTime y1900(1900, 2, 29, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
    DateTime y2000(2000, 2, 29, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
    DateTime y1700(1700, 2, 29, 0, 0, 0, 0, 0, 0, kUnitYear, kUnitDay);
    EXPECT_EQ(reform == 2, y1900.severity() == 0) << reform;
    EXPECT_EQ(0, y2000.severity()) << reform;
    EXPECT_EQ(reform != 1, y1700.severity() == 0) << reform;  // 1700 was Julian under 0
  }
  EXPECT_TRUE(DateTime::isLeap(0, 0));
  EXPECT_TRUE(DateTime::isLeap(-4, 1));
  EXPECT_FALSE(DateTime::isLeap(-1, 2));
  EXPECT_TRUE(DateTime::isLeap(-100, 1));  // before any reform
}

}  // namespace
}  // namespace dv
