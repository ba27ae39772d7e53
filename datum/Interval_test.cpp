// Tests of Interval and IntervalConstraint without a locale: the qualifiers
// and precTot, the sign, the readings and written forms, the order by span,
// the stored form and the constraint. TimeSpan's arithmetic is tested here
// too, as the amount intervals are ordered by.
#include "datum/Interval.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "datum/DateTime.h"
#include "datum/IntervalConstraint.h"
#include "datum/Locale.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "object/Registry.h"
#include "status/Status.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

class IntervalTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLocaleState(); }
};

std::string write(const Interval& v, const char* style = "standard") {
  char buf[Interval::kTextSize];
  return v.asString(buf, sizeof buf, style);
}

const Status* bad() {
  return badIntervalStatus();
}

TEST(TimeSpanTest, NormaliseBorrowsCarriesAndFlipsTheSign) {
  TimeSpan a{0, 0, -5, false};
  a.normalize();
  EXPECT_TRUE(a.negative);
  EXPECT_EQ(5, a.microseconds);
  TimeSpan b{-3, 100, 0, false};  // -3 days + 100 s
  b.normalize();
  EXPECT_TRUE(b.negative);
  EXPECT_EQ(2, b.days);
  EXPECT_EQ(86300, b.seconds);
  TimeSpan c{1, 90000, 2500000, false};
  c.normalize();
  EXPECT_EQ(2, c.days);
  EXPECT_EQ(3602, c.seconds);
  EXPECT_EQ(500000, c.microseconds);
  TimeSpan d{0, 10, 0, true};  // -10 s, then 30 s more
  d.addSeconds(30);
  EXPECT_FALSE(d.negative);
  EXPECT_EQ(20, d.seconds);
  d.subtractSeconds(86420);
  EXPECT_TRUE(d.negative);
  EXPECT_EQ(1, d.days);
  EXPECT_EQ(0, d.seconds);
  EXPECT_TRUE((TimeSpan{0, 0, 0, true}).isEqual(TimeSpan{}));
  EXPECT_TRUE((TimeSpan{1, 0, 0, true}).isLess(TimeSpan{0, 5, 0, true}));
  EXPECT_TRUE((TimeSpan{0, 1, 0, false}).isGreater(TimeSpan{0, 0, 999999, false}));
}

TEST_F(IntervalTest, QualifiersAndTheLeadingDigits) {
  Interval v;
  EXPECT_EQ(kUnitDay, v.precFrom());
  EXPECT_EQ(kUnitSecond, v.precTo());
  EXPECT_EQ(7, v.leadingDigits());
  EXPECT_EQ(5, v.kind());
  EXPECT_EQ(6, v.typeCode());
  EXPECT_EQ(4, Interval::leadingDigitsOf(13, kUnitDay, kUnitFraction3));
  EXPECT_EQ(11, Interval::leadingDigitsOf(13, kUnitMinute, kUnitSecond));
  EXPECT_EQ(-1, Interval::leadingDigitsOf(5, kUnitDay, kUnitSecond));
  // A year or month start cannot go with a day or finer.
  EXPECT_EQ(bad(), Interval("1-2-3", nullptr, 13, kUnitYear, kUnitDay).status());
  EXPECT_EQ(bad(), Interval("1", nullptr, 13, kUnitMinute, kUnitDay).status());
  EXPECT_EQ(bad(), Interval("1", nullptr, 5, kUnitDay, kUnitSecond).status());
  EXPECT_EQ(bad(), Interval(0, 0, 0, 0, 0, 0, 0, 13, kUnitFraction2, kUnitFraction6).status());
  struct Case {
    const char* text;
    int16_t precTot;
    int32_t from, to;
    const char* written;  // null: refused
  } cases[] = {
      {"1 02:03:04", 13, kUnitDay, kUnitSecond, "1 2:03:04"},
      {"9999999 0:0:0", 13, kUnitDay, kUnitSecond, "9999999 0:00:00"},
      {"10000000 0:0:0", 13, kUnitDay, kUnitSecond, nullptr},  // precTot overflow
      {"1 24:00:00", 13, kUnitDay, kUnitSecond, nullptr},
      {"100:00:00", 7, kUnitHour, kUnitSecond, "100:00:00"},
      {"1000:00:00", 7, kUnitHour, kUnitSecond, nullptr},
      {"100:00:00", 6, kUnitHour, kUnitSecond, nullptr},
      {"3-11", 4, kUnitYear, kUnitMonth, "3-11"},
      {"3-12", 4, kUnitYear, kUnitMonth, nullptr},
      {"27", 2, kUnitMonth, kUnitMonth, "27"},
      {"12:30.5", 5, kUnitMinute, kUnitFraction, "12:30.5"},
      {"1 2:3:4.1235", 13, kUnitDay, kUnitFraction3, "1 2:03:04.124"},
      {"1 2:3:4", 13, kUnitDay, kUnitFraction3, nullptr},  // the fraction is part of it
      {"59.25", 4, kUnitSecond, kUnitFraction2, "59.25"},
      {"250", 3, kUnitFraction, kUnitFraction3, "250"},
      {".250", 3, kUnitFraction, kUnitFraction3, "250"},
      {"1 2:03:04 x", 13, kUnitDay, kUnitSecond, nullptr},
      {"1 2:03", 13, kUnitDay, kUnitSecond, nullptr},
      {"1 2-03:04", 13, kUnitDay, kUnitSecond, nullptr},
  };
  for (const Case& c : cases) {
    Interval i(c.text, "standard", c.precTot, c.from, c.to);
    if (c.written == nullptr) {
      EXPECT_EQ(bad(), i.status()) << c.text;
      EXPECT_EQ("0", write(i).substr(0, 1)) << c.text;  // a failure leaves a zero interval
    } else {
      EXPECT_EQ(0, i.severity()) << c.text;
      EXPECT_EQ(c.written, write(i)) << c.text;
    }
  }
  // The blank after the days survives the locale rewriting, in both styles.
  Interval unrewritten("1 02:03:04", nullptr, 13, kUnitDay, kUnitSecond);
  EXPECT_EQ("1 2:03:04", write(unrewritten));
  EXPECT_EQ("1 2:03:04", write(Interval("1 02:03:04", "local", 13, kUnitDay, kUnitSecond)));
  EXPECT_EQ(bad(), Interval("1 02:03:04 x", "local", 13, kUnitDay, kUnitSecond).status());
  EXPECT_EQ("2:03:04", write(Interval("2:03:04", "local", 13, kUnitHour, kUnitSecond)));
  EXPECT_EQ(0, Interval("", nullptr, 13, kUnitDay, kUnitSecond).severity());
}

TEST_F(IntervalTest, OneSignForTheWholeInterval) {
  Interval v("-1 02:03:04", nullptr, 13, kUnitDay, kUnitSecond);
  EXPECT_TRUE(v.negative());
  EXPECT_EQ(1, v.day());
  EXPECT_EQ(2, v.hour());
  EXPECT_EQ("-1 2:03:04", write(v));
  EXPECT_DOUBLE_EQ(-(1 + (2 * 3600 + 3 * 60 + 4) / 86400.0), v.asDouble());
  EXPECT_EQ(bad(), Interval("1 -02:03:04", nullptr, 13, kUnitDay, kUnitSecond).status());
  // A leading zero keeps its minus sign.
  Interval half("-0 12:00:00", nullptr, 13, kUnitDay, kUnitSecond);
  EXPECT_TRUE(half.negative());
  EXPECT_EQ(-0.5, half.asDouble());
  EXPECT_EQ("-0 12:00:00", write(half));
  Interval fields(0, 0, -3, 4, 0, 0, 0, 13, kUnitDay, kUnitSecond);
  EXPECT_TRUE(fields.negative());
  EXPECT_EQ(3, fields.day());
  EXPECT_EQ(bad(), Interval(0, 0, 3, -4, 0, 0, 0, 13, kUnitDay, kUnitSecond).status());
  Interval months(-2, 5, 0, 0, 0, 0, 0, 4, kUnitYear, kUnitMonth);
  EXPECT_EQ("-2-05", write(months));
  EXPECT_EQ(0.0, months.asDouble());
  // Fields outside the qualifier are not taken.
  EXPECT_EQ(0, Interval(7, 7, 1, 2, 3, 4, 5, 13, kUnitDay, kUnitSecond).year());
}

TEST_F(IntervalTest, JulianDayAmounts) {
  Interval v(1.5);
  EXPECT_EQ(kUnitFraction3, v.precTo());
  EXPECT_EQ("1 12:00:00.000", write(v));
  Interval negative(-0.25);
  EXPECT_TRUE(negative.negative());
  EXPECT_EQ("-0 6:00:00.000", write(negative));
  EXPECT_EQ(bad(), Interval(10000.0).status());  // more days than the qualifier holds
  EXPECT_EQ(bad(), Interval(5373485.0).status());
}

TEST_F(IntervalTest, TheIngresForm) {
  Interval v(0, 0, 1, 0, 5, 0, 0, 13, kUnitDay, kUnitSecond);
  EXPECT_EQ("1 days 5 mins", write(v, "INGRES"));
  EXPECT_EQ("", write(Interval(), "INGRES"));
  EXPECT_EQ("3 yrs 2 mos",
            write(Interval(-3, 2, 0, 0, 0, 0, 0, 4, kUnitYear, kUnitMonth), "INGRES"));
  EXPECT_EQ("4 secs", write(Interval(0, 0, 0, 0, 0, 4, 5, 13, kUnitDay, kUnitFraction6), "INGRES"));
  EXPECT_EQ(43, v.maxTextLength());
  std::ostringstream print;
  Interval("1 02:03:04", nullptr, 13, kUnitDay, kUnitSecond).printOn(print);
  EXPECT_EQ("1 2:03:04 [Jul 1.09]", print.str());
}

TEST_F(IntervalTest, OrderBySpanAndByMonths) {
  Interval day("1 0:00:00", nullptr, 13, kUnitDay, kUnitSecond);
  Interval hours("24:00:00", nullptr, 13, kUnitHour, kUnitSecond);
  Interval more("24:00:01", nullptr, 13, kUnitHour, kUnitSecond);
  Interval minus("-2 0:00:00", nullptr, 13, kUnitDay, kUnitSecond);
  EXPECT_TRUE(day.isEqual(hours));
  EXPECT_EQ(day.hash(), hours.hash());
  EXPECT_TRUE(more.isGreaterThan(day));
  EXPECT_TRUE(day.isLessThan(more));
  EXPECT_TRUE(minus.isLessThan(day));
  EXPECT_EQ(1, day.compare(minus));
  Interval year(1, 0, 0, 0, 0, 0, 0, 4, kUnitYear, kUnitMonth);
  Interval twelve(0, 12, 0, 0, 0, 0, 0, 4, kUnitMonth, kUnitMonth);
  Interval negativeYear(-1, 0, 0, 0, 0, 0, 0, 4, kUnitYear, kUnitMonth);
  Interval negativeMonth(0, -1, 0, 0, 0, 0, 0, 4, kUnitMonth, kUnitMonth);
  EXPECT_TRUE(year.isEqual(twelve));
  EXPECT_TRUE(negativeYear.isLessThan(negativeMonth));
  EXPECT_TRUE(negativeMonth.isLessThan(year));
  // Every day-time interval comes before every year-month one.
  EXPECT_TRUE(more.isLessThan(negativeYear));
  EXPECT_FALSE(more.isGreaterThan(negativeYear));
  EXPECT_FALSE(more.isEqual(negativeYear));
  EXPECT_TRUE(day.isGreaterThan(DateTime()));
  EXPECT_TRUE(day.isLessThan(Text("x")));
}

TEST_F(IntervalTest, StoredFormAndDamage) {
  Interval values[] = {
      Interval("-1 02:03:04.5", nullptr, 13, kUnitDay, kUnitFraction),
      Interval(-3, 11, 0, 0, 0, 0, 0, 4, kUnitYear, kUnitMonth),
      Interval("1 x", nullptr, 13, kUnitDay, kUnitSecond),  // carrying the failure
  };
  for (bool binary : {false, true}) {
    for (const Interval& v : values) {
      Object* back = testing::roundTrip(v, binary);
      ASSERT_TRUE(back->isKindOf(Interval::desc()));
      const Interval& b = static_cast<const Interval&>(*back);
      EXPECT_TRUE(b.isEqual(v)) << write(v);
      EXPECT_EQ(write(v), write(b));
      EXPECT_EQ(v.negative(), b.negative());
      EXPECT_EQ(v.status()->code(), b.status()->code());
      back->release();
    }
  }
  std::string status = "{" + std::string(Status::desc().name()) + " " +
                       std::to_string(Status::desc().signature()) + " } ";
  auto value = [&](const std::string& words) {
    return "2 6 \n{Interval " + std::to_string(Interval::desc().signature()) + " " + status +
           words + " } ";
  };
  // from, to, precTot, years, months, days, hours, minutes, seconds, microseconds, sign
  EXPECT_FALSE(testing::readDamaged(value("3 6 13 0 0 1 2 3 4 0 1"), false,
                                    testing::ReadMode::kReported, true)
                   .answeredNil);
  for (const char* words :
       {"3 6 13 0 0 1 24 3 4 0 0", "3 6 13 0 0 10000000 0 0 0 0 0", "3 6 13 0 0 -1 0 0 0 0 0",
        "1 3 13 0 0 1 0 0 0 0 0", "3 6 13 5 0 1 0 0 0 0 0", "3 6 4 0 0 1 0 0 0 0 0",
        "3 7 13 0 0 1 0 0 0 1000000 0"}) {
    for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      testing::DamagedRead r = testing::readDamaged(value(words), false, mode, true);
      EXPECT_TRUE(r.answeredNil) << words;
      EXPECT_EQ(0, r.kept) << words;
      EXPECT_TRUE(testing::isReadError(r.error)) << words;
    }
  }
}

TEST_F(IntervalTest, RegisteredAndTheConstraint) {
  EXPECT_TRUE(prototype(Interval::kStreamTypeNumber)->isKindOf(Interval::desc()));
  EXPECT_TRUE(
      prototype(IntervalConstraint::kStreamTypeNumber)->isKindOf(IntervalConstraint::desc()));
  Datum* made = DatumClass::make("Interval", "2 03:04:05");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ("2 3:04:05", write(static_cast<Interval&>(*made)));
  made->release();

  IntervalConstraint c(7, kUnitHour, kUnitSecond, 0);
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), c.newDatum(nullptr));
  Datum* v = c.newDatum("100:00:00", "standard");
  EXPECT_EQ(0, v->severity());
  v->release();
  v = c.newDatum("1000:00:00", "standard");
  EXPECT_EQ(bad(), v->status());
  v->release();
  EXPECT_EQ(100, c.similarity(IntervalConstraint(7, kUnitHour, kUnitSecond, 1)));
  // d = 2 (1 + 0 + 1) = 4, s = 7 + 8 + 2 + 3 + 2 = 22: 81.
  EXPECT_EQ(81, c.similarity(IntervalConstraint(8, kUnitDay, kUnitSecond, 0)));
  EXPECT_EQ(100, IntervalConstraint().similarity(IntervalConstraint()));
  EXPECT_EQ(6, c.typeCode());
  std::ostringstream print;
  c.printOn(print);
  EXPECT_EQ("Interval Constraints: precTot=7,precFrom=4,precTo=6,miscFlags=0,format=NULL",
            print.str());
  ASSERT_TRUE(c.setFormatString("hh:mm"));
  for (bool binary : {false, true}) {
    Object* back = testing::roundTrip(c, binary);
    EXPECT_TRUE(back->isEqual(c));
    back->release();
  }
  Datum* empty = c.newEmpty();
  EXPECT_EQ(kUnitHour, static_cast<Interval*>(empty)->precFrom());
  EXPECT_EQ(0, empty->severity());
  empty->release();
}

TEST_F(IntervalTest, LongTextWithoutMemoryGivesTheOutOfMemoryStatus) {
  std::string text(200, '1');
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  Interval v(text.c_str(), nullptr, 13, kUnitDay, kUnitDay);
  EXPECT_EQ(outOfMemoryStatus(), v.status());
}

}  // namespace
}  // namespace dv
