// Tests of the local number form over real locales (compiled into LOCPATH by
// the test set-up): plain and local conversions both ways, the punctuation
// cache's refresh rules, and text that is not a number.
#include "datum/LocalNumberForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "datum/Locale.h"

namespace dv {
namespace {

class LocalNumberFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, std::getenv("LOCPATH"))
        << "run through ctest: the set-up compiles the test locales into LOCPATH";
    resetLocaleState();
    setLocaleTable(&table);
  }
  void TearDown() override { resetLocaleState(); }

  // The plain form of text, or "FAIL".
  std::string plain(const char* text, std::size_t size = 64) {
    char out[64] = "junk";
    bool ok = localToPlain(&cache, text, out, size);
    if (!ok) {
      EXPECT_STREQ("", out);
      return "FAIL";
    }
    return out;
  }
  std::string local(const char* text, std::size_t size = 64) {
    char out[64];
    plainToLocal(&cache, text, out, size);
    return out;
  }

  MapLocaleTable table;
  NumberPunctuation cache;
};

TEST_F(LocalNumberFormTest, EmptyCacheMeansThePlainForm) {
  EXPECT_EQ("-12.5e+3", plain("  -12.5e+3"));
  EXPECT_EQ("7 ", plain("7 "));
  EXPECT_EQ("FAIL", plain("1.2.3"));
  EXPECT_EQ("FAIL", plain("1,234.5"));
  EXPECT_EQ("FAIL", plain("12x"));
  EXPECT_EQ("", plain(""));
  EXPECT_EQ("+INF", plain("+INF"));
  EXPECT_EQ("-NAN", plain("  -nan"));
  EXPECT_EQ("+INF", plain("+Infinity"));
  EXPECT_EQ("FAIL", plain("INF"));  // only the signed forms are kept
  EXPECT_EQ("1.5", local("1.5"));
  EXPECT_EQ("1.5", local("1.5"));
  // Output is cut to the buffer, never past it.
  EXPECT_EQ("FAIL", plain("123456", 4));
  EXPECT_EQ("123", local("123456", 4));
}

TEST_F(LocalNumberFormTest, GermanDecimalComma) {
  Locale german(0x0407);
  setCurrentLocale(&german);
  EXPECT_EQ("1234.5", plain("1.234,5"));
  EXPECT_EQ("-0.25", plain("-0,25"));
  EXPECT_EQ("FAIL", plain("1,2,3"));
  EXPECT_EQ("FAIL", plain("1,23.4"));  // no grouping after the decimal point
  EXPECT_EQ("FAIL", plain("1;5"));
  EXPECT_EQ("12", plain("1.2"));  // a "." is a thousands separator here
  EXPECT_EQ("1,5", local("1.5"));
  EXPECT_EQ("1234567,125", local("1234567.125"));  // no grouping inserted
  EXPECT_EQ("-3e+20", local("-3e+20"));
  EXPECT_EQ("-INF", plain("-inf"));
  // The decimal comma needs its room like any character.
  EXPECT_EQ("1", local("1.5", 2));
  EXPECT_EQ(&german, cache.locale);
  EXPECT_EQ(1, cache.decimalSeparatorLength);
}

TEST_F(LocalNumberFormTest, CacheFollowsTheCurrentLocale) {
  Locale german(0x0407);
  Locale american(0x0409);
  setCurrentLocale(&german);
  EXPECT_EQ("2,5", local("2.5"));
  setCurrentLocale(&american);
  EXPECT_EQ("2.5", local("2.5"));
  EXPECT_EQ("1234.5", plain("1,234.5"));
  // Without a current locale the cache stays as it is.
  setCurrentLocale(nullptr);
  EXPECT_EQ("1234.5", plain("1,234.5"));
  EXPECT_EQ(&american, cache.locale);

  // A locale that cannot be loaded empties the cache: the plain form again.
  Locale missing(0x040C);  // fr-FR is not among the compiled locales
  setCurrentLocale(&missing);
  EXPECT_EQ("FAIL", plain("1,234.5"));
  EXPECT_EQ(nullptr, cache.locale);
  EXPECT_EQ("2.5", local("2.5"));
}

TEST_F(LocalNumberFormTest, ANewLocaleAtAnOldAddressIsReloaded) {
  // Two locale objects built in the same storage one after the other: the
  // second must not be taken for the first.
  alignas(Locale) unsigned char storage[sizeof(Locale)];
  Locale* first = ::new (storage) Locale(0x0407);
  setCurrentLocale(first);
  EXPECT_EQ("2,5", local("2.5"));
  setCurrentLocale(nullptr);
  first->~Locale();
  Locale* second = ::new (storage) Locale(0x0409);
  ASSERT_EQ(static_cast<void*>(first), static_cast<void*>(second));
  setCurrentLocale(second);
  EXPECT_EQ("2.5", local("2.5"));
  setCurrentLocale(nullptr);
  second->~Locale();
}

}  // namespace
}  // namespace dv
