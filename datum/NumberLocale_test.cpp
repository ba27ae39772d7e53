// Tests of the numeric values in local form over real locales (compiled into
// LOCPATH by the test set-up): an American locale, which groups thousands
// with ",", and a German one, with its decimal comma.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/Decimal.h"
#include "datum/Locale.h"
#include "datum/Money.h"
#include "datum/Number.h"

namespace dv {
namespace {

::testing::AssertionResult isStatus(const Status* expected, const Status* actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected \"" << (expected ? expected->messageText() : "(none)") << "\", got \""
         << (actual ? actual->messageText() : "(none)") << "\"";
}

std::string textOf(const Datum& d, const char* fmt = nullptr) {
  char buf[200];
  return d.asString(buf, sizeof buf, fmt);
}

class NumberLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, std::getenv("LOCPATH"))
        << "run through ctest: the set-up compiles the test locales into LOCPATH";
    resetLocaleState();
    setLocaleTable(&table);
  }
  void TearDown() override { resetLocaleState(); }

  MapLocaleTable table;
};

TEST_F(NumberLocaleTest, AmericanThousandsSeparator) {
  Locale american(0x0409);
  setCurrentLocale(&american);
  Number grouped("1,234", Number::kAutomatic);
  EXPECT_EQ(kTypeLong, grouped.type());
  EXPECT_EQ(1234, grouped.longValue());
  EXPECT_EQ(4294967295u, Number("4,294,967,295", Number::kUnsignedLong).unsignedValue());
  EXPECT_TRUE(isStatus(overflowStatus(), Number("4,294,967,296", Number::kUnsignedLong).status()));
  Number fraction("1,234.5", Number::kAutomatic);
  EXPECT_EQ(kTypeDouble, fraction.type());
  EXPECT_EQ(1234.5, fraction.doubleValue());
  EXPECT_TRUE(isStatus(badIntegerStatus(), Number("1,234", Number::kLong, "plain").status()));
  EXPECT_TRUE(isStatus(badNumberStatus(), Number("1,234", Number::kAutomatic, "plain").status()));
  EXPECT_TRUE(isStatus(badNumberStatus(), Number("1.5,5", Number::kAutomatic).status()));
  EXPECT_EQ("1234.5", textOf(fraction));  // no grouping is written

  Decimal d("-1,234,567.125", nullptr);
  EXPECT_TRUE(isStatus(successStatus(), d.status()));
  EXPECT_EQ("-1234567.125", textOf(d));
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("1,234", "plain").status()));

  Money m("$1,234.50", nullptr);
  EXPECT_STREQ("$", m.unit());
  EXPECT_EQ("$1234.5", textOf(m));
  EXPECT_EQ("1234.5", textOf(m, Money::kAbsolute));
  EXPECT_TRUE(isStatus(badNumberStatus(), Money("$1,2.3.4", "local").status()));
}

TEST_F(NumberLocaleTest, GermanDecimalComma) {
  Locale german(0x0407);
  setCurrentLocale(&german);
  Number grouped("1.234", Number::kAutomatic);
  EXPECT_EQ(kTypeLong, grouped.type());
  EXPECT_EQ(1234, grouped.longValue());
  Number comma("-1,5", Number::kAutomatic);
  EXPECT_EQ(-1.5, comma.doubleValue());
  EXPECT_EQ("-1,5", textOf(comma));
  EXPECT_EQ("-1.5", textOf(comma, "plain"));
  EXPECT_EQ(1.5, Number("1.5", Number::kDouble, "plain").doubleValue());
  EXPECT_TRUE(isStatus(badNumberStatus(), Number("1,5", Number::kDouble, "plain").status()));
  EXPECT_EQ(static_cast<float>(Number::kFloatBound), Number("1e39", Number::kFloat).asFloat());

  Decimal d("1.234,5", nullptr);
  EXPECT_EQ("1234,5", textOf(d));
  EXPECT_EQ("1234.5", textOf(d, "plain"));
  EXPECT_EQ(1234.5, d.asDouble());
  EXPECT_EQ(1234, d.asLong());
  char buf[32];
  EXPECT_STREQ("1234,50", d.format(buf, sizeof buf, nullptr, Decimal::kFixed, 2, 0));
  // "local" must convert; with no format the text is read as it is.
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("1,2,3", "local").status()));
  EXPECT_EQ("15", textOf(Decimal("1.5", nullptr)));  // "." groups thousands here
  Money euro(
      "\xE2\x82\xAC"
      "1.234,50",
      nullptr);
  EXPECT_STREQ("\xE2\x82\xAC", euro.unit());
  EXPECT_EQ(
      "\xE2\x82\xAC"
      "1234,5",
      textOf(euro));
}

}  // namespace
}  // namespace dv
