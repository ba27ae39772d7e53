// Tests of Money and MoneyConstraint: the unit taken from the front of a
// text and its 9-character limit, the text form with and without the unit,
// comparison by amount alone, the stored form with a damaged unit, and the
// column type.
#include "datum/Money.h"

#include <gtest/gtest.h>

#include <string>

#include "datum/DatumClass.h"
#include "datum/DatumStatus.h"
#include "datum/MoneyConstraint.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "object/Registry.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

::testing::AssertionResult isStatus(const Status* expected, const Status* actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected \"" << (expected ? expected->messageText() : "(none)") << "\", got \""
         << (actual ? actual->messageText() : "(none)") << "\"";
}

std::string textOf(const Datum& d, const char* fmt = "plain") {
  char buf[200];
  return d.asString(buf, sizeof buf, fmt);
}

TEST(MoneyUnitTest, TheUnitComesFromTheFrontOfTheText) {
  struct Case {
    const char* text;
    const char* unit;
    const char* amount;
    const Status* status;
  } cases[] = {
      {"$12.50", "$", "12.5", successStatus()},
      {"  USD 7", "USD", "7", successStatus()},
      {"12", "", "12", successStatus()},
      {"-5", "", "-5", successStatus()},
      {"DM-3.5", "DM", "-3.5", successStatus()},
      {"EUR", "EUR", "0", badNumberStatus()},
      {"ABCDEFGHIJK5", "ABCDEFGHI", "0", badNumberStatus()},
      {"ABCDEFGHI5", "ABCDEFGHI", "5", successStatus()},
      {"$1x", "$", "0", badNumberStatus()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Money m(c.text, "plain");
    EXPECT_STREQ(c.unit, m.unit());
    EXPECT_EQ(c.amount, textOf(m, Money::kAbsolute));
    EXPECT_TRUE(isStatus(c.status, m.status()));
  }
  // set takes the unit again, with the default parameters.
  Money m(5, "DM");
  EXPECT_EQ(nullptr, m.set("SEK 1.25", -1));
  EXPECT_STREQ("SEK", m.unit());
  EXPECT_EQ("SEK1.25", textOf(m));
  // The parameters round the amount as they round a Decimal.
  Money rounded("$1.255", "plain", 16, 2, Decimal::kFixed);
  EXPECT_EQ("$1.26", textOf(rounded));
  EXPECT_TRUE(isStatus(roundedOffStatus(), rounded.status()));
  EXPECT_TRUE(isStatus(badNumberStatus(), Money("$1", "plain", 0).status()));
}

TEST(MoneyUnitTest, DefaultUnitAndUnitsCutTo9Characters) {
  EXPECT_STREQ("$", Money::defaultUnit().chars());
  EXPECT_STREQ("$", Money().unit());
  EXPECT_STREQ("$", Money(2.5).unit());
  EXPECT_STREQ("123456789", Money(1, "1234567890").unit());
  EXPECT_EQ("$2.5", textOf(Money(2.5)));
  EXPECT_EQ(Decimal(int32_t{3}).maxTextLength() + 10, Money(3, "$").maxTextLength());
  char small[3];
  EXPECT_STREQ("US", Money(7, "USD").asString(small, sizeof small));
}

TEST(MoneyOrderTest, AmountsCompareWhateverTheirUnits) {
  Money dollars(5, "$");
  Money marks(5, "DM");
  EXPECT_EQ(0, dollars.compare(marks));
  EXPECT_TRUE(dollars.isEqual(marks));
  EXPECT_EQ(dollars.hash(), marks.hash());
  EXPECT_TRUE(Money(4, "DM").isLessThan(dollars));
  EXPECT_TRUE(Money(6, "$").isGreaterThan(marks));
  // Against a Decimal of the same amount: the kinds decide.
  EXPECT_EQ(1, dollars.compare(Decimal(int32_t{5})));
  EXPECT_EQ(3, dollars.kind());
  EXPECT_EQ(kTypeMoney, dollars.typeCode());
}

TEST(MoneyTextTest, InfinityAndConversionsUseTheAmount) {
  Money huge("$1e200", nullptr, 38, 0, Decimal::kFloating, 128, Decimal::kAllowInfinity);
  EXPECT_EQ("$+Infinity", textOf(huge));
  EXPECT_TRUE(isStatus(roundedToInfinityStatus(), huge.status()));
  Money back("$+Infinity", nullptr, 38, 0, Decimal::kFloating, 128, Decimal::kAllowInfinity);
  EXPECT_EQ(0, back.compare(huge));
  EXPECT_TRUE(isStatus(successStatus(), back.status()));
  const Status* st = nullptr;
  EXPECT_EQ(12, Money("$12", nullptr).asLong(&st));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(0.5, Money("USD 0.5", nullptr).asDouble(&st));
  Datum* made = DatumClass::make("Money", "DM 3.5");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ("DM3.5", textOf(*made));
  made->release();
  EXPECT_TRUE(prototype(kStreamMoney)->isKindOf(Money::desc()));
  EXPECT_TRUE(prototype(kStreamMoneyConstraint)->isKindOf(MoneyConstraint::desc()));
}

TEST(MoneyTextTest, OutOfMemoryInTheWorkBufferKeepsTheUnit) {
  std::string text = "$" + std::string(200, '1');
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  Money m(text.c_str(), nullptr);
  EXPECT_TRUE(isStatus(outOfMemoryStatus(), m.status()));
  EXPECT_STREQ("$", m.unit());
  EXPECT_TRUE(m.isZero());
}

TEST(MoneyStreamTest, UnitAndAmountReadBackAndALongUnitIsRefused) {
  for (bool binary : {false, true}) {
    for (const Money& m : {Money(-12, "SEK"), Money("12", nullptr), Money(0.25, "123456789")}) {
      SCOPED_TRACE(textOf(m));
      Object* back = testing::roundTrip(m, binary);
      ASSERT_TRUE(back->isKindOf(Money::desc()));
      const Money& b = static_cast<const Money&>(*back);
      EXPECT_STREQ(m.unit(), b.unit());
      EXPECT_EQ(0, m.compare(b));
      back->release();
    }
  }
  std::string record = "2 6 \n{Money " + std::to_string(Money::desc().signature()) + " {Status " +
                       std::to_string(Status::desc().signature()) + " } " +
                       std::to_string(2 * 256 + 0xC1) + " 1 \x02";
  Object* ok = testing::readFrom(record + "3 USD} ", false);
  ASSERT_TRUE(ok->isKindOf(Money::desc()));
  EXPECT_STREQ("USD", static_cast<Money*>(ok)->unit());
  ok->release();
  for (const char* unit : {"10 ABCDEFGHIJ} ", "-1 } "}) {
    for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      testing::DamagedRead r = testing::readDamaged(record + unit, false, mode, true);
      EXPECT_TRUE(r.answeredNil) << unit;
      EXPECT_EQ(0, r.kept) << unit;
      EXPECT_EQ(nihcl::RDSYNERR, r.error) << unit;
    }
  }
}

TEST(MoneyConstraintTest, MakesMoneyAndFormatsTheAmountWithoutTheUnit) {
  MoneyConstraint byDefault;
  EXPECT_EQ(
      "Money Constraints: precision=16,scale=2,fixStyle=2,maxexp=128,miscFlags=0,"
      "format=NULL",
      textOf(byDefault));
  EXPECT_EQ(kTypeMoney, byDefault.typeCode());
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), byDefault.newDatum(""));
  Datum* three = byDefault.newDatum("$3");
  ASSERT_TRUE(three->isKindOf(Money::desc()));
  EXPECT_STREQ("$", static_cast<Money*>(three)->unit());
  char buf[64];
  EXPECT_STREQ("3", byDefault.format(*three, buf, sizeof buf));  // floating, although scale 2
  three->release();
  MoneyConstraint cents(10, 2, Decimal::kFixedLimited);
  Datum* v = cents.newDatum("DM 1.005");
  EXPECT_STREQ("1.01", cents.format(*v, buf, sizeof buf, "plain"));
  EXPECT_EQ("DM1.01", textOf(*v));
  v->release();
  EXPECT_FALSE(cents.isEqual(DecimalConstraint(10, 2, Decimal::kFixedLimited)));
}

}  // namespace
}  // namespace dv
