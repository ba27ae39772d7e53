// Tests of Text's number conversions in local form over a real locale
// (compiled into LOCPATH by the test set-up).
#include <gtest/gtest.h>

#include <cstdlib>

#include "datum/DatumStatus.h"
#include "datum/Locale.h"
#include "datum/Text.h"

namespace dv {
namespace {

::testing::AssertionResult isStatus(const Status* expected, const Status* actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected \"" << (expected ? expected->messageText() : "(none)") << "\", got \""
         << (actual ? actual->messageText() : "(none)") << "\"";
}

class TextLocaleTest : public ::testing::Test {
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

TEST_F(TextLocaleTest, LocalFormInAGermanLocale) {
  Locale german(0x0407);
  setCurrentLocale(&german);
  const Status* st = nullptr;
  EXPECT_STREQ("1,5", Text(1.5).chars());
  EXPECT_STREQ("1,5", Text(1.5, "local").chars());
  EXPECT_STREQ("1.5", Text(1.5, "plain").chars());
  EXPECT_STREQ("-1234,25", Text(-1234.25f).chars());
  EXPECT_STREQ("1234567", Text(int32_t{1234567}).chars());  // no grouping is added
  Text t;
  EXPECT_EQ(nullptr, t.set(2.25));
  EXPECT_STREQ("2,25", t.chars());
  EXPECT_EQ(nullptr, t.set(2.25, "plain"));
  EXPECT_STREQ("2.25", t.chars());

  EXPECT_EQ(1234.5, Text("1.234,5").asDouble(&st));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(1234.5, Text("  1.234,5  ").asDouble(&st, "local"));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(1234, Text("1.234,5").asLong(&st));
  EXPECT_TRUE(isStatus(truncatedToIntegerStatus(), st));
  // "." groups thousands here.
  EXPECT_EQ(15.0, Text("1.5").asDouble(&st, "local"));
  EXPECT_EQ(1.5, Text("1.5").asDouble(&st, "plain"));
  EXPECT_EQ(0.0, Text("1,5,5").asDouble(&st, "local"));
  EXPECT_TRUE(isStatus(conversionFailedStatus(), st));
  // No format: the unconverted text is parsed, and strtod stops at the ",".
  EXPECT_EQ(0.0, Text("1,5x").asDouble(&st));
  EXPECT_TRUE(isStatus(conversionFailedStatus(), st));
  // Text keeps its punctuation while no locale is current: leave it plain.
  Locale american(0x0409);
  setCurrentLocale(&american);
  EXPECT_STREQ("1.5", Text(1.5).chars());
}

}  // namespace
}  // namespace dv
