// Tests of Number and NumberConstraint: the parse at every bound of every
// requested code, the factories and conversions at their bounds, the order of
// mixed types, the binary form, the double parse against strtod, the stored
// form (damaged input included) and the column type.
#include "datum/Number.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "datum/DatumClass.h"
#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/NumberConstraint.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/Allocation.h"
#include "object/Integer.h"
#include "object/OIOStreams.h"
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

std::string textOf(const Datum& d, const char* fmt = nullptr) {
  char buf[160];
  return d.asString(buf, sizeof buf, fmt);
}

// A parse that fails must leave the value it replaces: 77.
constexpr int32_t kBefore = 77;

struct ParseCase {
  const char* text;
  int code;
  const Status* status;
  int type;  // of the result; kTypeLong with kBefore when the parse failed
  double value;
};

TEST(NumberParseTest, EveryBoundOfEveryCode) {
  const double kFloatMax = Number::kFloatBound;
  const ParseCase cases[] = {
      {"2147483647", Number::kAutomatic, successStatus(), kTypeLong, 2147483647.0},
      {"2147483648", Number::kAutomatic, successStatus(), kTypeDouble, 2147483648.0},
      {"-2147483648", Number::kAutomatic, successStatus(), kTypeLong, -2147483648.0},
      {"-2147483649", Number::kAutomatic, successStatus(), kTypeDouble, -2147483649.0},
      {"  +12  ", Number::kAutomatic, successStatus(), kTypeLong, 12},
      {"", Number::kAutomatic, successStatus(), kTypeLong, 0},
      {"1.5", Number::kAutomatic, successStatus(), kTypeDouble, 1.5},
      {"12x", Number::kAutomatic, badNumberStatus(), kTypeLong, kBefore},
      {"1,234.5", Number::kAutomatic, badNumberStatus(), kTypeLong, kBefore},
      {"2147483648", Number::kLong, overflowStatus(), kTypeLong, kBefore},
      {"-2147483649", Number::kLong, underflowStatus(), kTypeLong, kBefore},
      {"1.5", Number::kLong, badIntegerStatus(), kTypeLong, kBefore},
      {"32767", Number::kShort, successStatus(), kTypeLong, 32767},
      {"32768", Number::kShort, overflowStatus(), kTypeLong, kBefore},
      {"-32768", Number::kShort, successStatus(), kTypeLong, -32768},
      {"-32769", Number::kShort, underflowStatus(), kTypeLong, kBefore},
      {"4294967295", Number::kUnsignedLong, successStatus(), kTypeUnsignedLong, 4294967295.0},
      {"4294967296", Number::kUnsignedLong, overflowStatus(), kTypeLong, kBefore},
      {"-0", Number::kUnsignedLong, underflowStatus(), kTypeLong, kBefore},
      {"1", Number::kBitCode, successStatus(), kTypeUnsignedLong, 1},
      {"2", Number::kBitCode, overflowStatus(), kTypeLong, kBefore},
      {"9", Number::kBitCode, overflowStatus(), kTypeLong, kBefore},
      {"-128", Number::kSignedCharCode, successStatus(), kTypeLong, -128},
      {"128", Number::kSignedCharCode, overflowStatus(), kTypeLong, kBefore},
      {"255", Number::kUnsignedCharCode, successStatus(), kTypeUnsignedLong, 255},
      {"256", Number::kUnsignedCharCode, overflowStatus(), kTypeLong, kBefore},
      {"65535", Number::kUnsignedShortCode, successStatus(), kTypeUnsignedLong, 65535},
      {"65536", Number::kUnsignedShortCode, overflowStatus(), kTypeLong, kBefore},
      {"1e39", Number::kFloat, overflowStatus(), kTypeDouble, kFloatMax},
      {"-1e39", Number::kFloat, underflowStatus(), kTypeDouble, -kFloatMax},
      {"3.4e38", Number::kFloat, successStatus(), kTypeDouble, 3.4e38},
      {"1e999", Number::kDouble, overflowStatus(), kTypeLong, kBefore},
      {"1e-400", Number::kDouble, underflowStatus(), kTypeLong, kBefore},
      {"12 34", Number::kDouble, badNumberStatus(), kTypeLong, kBefore},
      {"1", 5, badArgumentStatus(), kTypeLong, kBefore},
      {"1", 1010, badArgumentStatus(), kTypeLong, kBefore},
      {"1", -1, badArgumentStatus(), kTypeLong, kBefore},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " as " + std::to_string(c.code));
    Number n(kBefore);
    EXPECT_TRUE(isStatus(c.status, n.parse(c.text, c.code)));
    EXPECT_TRUE(isStatus(c.status, n.status()));
    EXPECT_EQ(c.type, n.type());
    EXPECT_EQ(c.value, n.asDouble());
  }
}

TEST(NumberParseTest, TheSpecialTextsAreTheFormsOfInfinityAndNaN) {
  for (const char* text : {"+INF", "-INF", "+NAN", "-nan"}) {
    SCOPED_TRACE(text);
    Number n(text, Number::kAutomatic);
    EXPECT_TRUE(isStatus(successStatus(), n.status()));
    ASSERT_EQ(kTypeDouble, n.type());
    EXPECT_FALSE(std::isfinite(n.doubleValue()));
    // The text form reads back as the same value.
    Number back(textOf(n).c_str(), Number::kAutomatic);
    EXPECT_EQ(0, back.compare(n)) << textOf(n);
    EXPECT_EQ(std::signbit(n.doubleValue()), std::signbit(back.doubleValue()));
  }
  EXPECT_EQ("+INF", textOf(Number(HUGE_VAL)));
}

// The floating parse is strtod's: random texts of every shape give what
// strtod gives, or fail where strtod leaves characters or reports a range error.
TEST(NumberParseTest, DoubleParseAgreesWithStrtod) {
  std::mt19937 random(7);
  auto pick = [&](const char* set) { return set[random() % std::strlen(set)]; };
  for (int i = 0; i < 5000; ++i) {
    std::string text;
    if (random() % 4 == 0) text += pick(" +-");
    int digits = static_cast<int>(random() % 25);
    for (int k = 0; k < digits; ++k) text += pick("0123456789");
    if (random() % 2 == 0) text += '.';
    for (int k = static_cast<int>(random() % 20); k > 0; --k) text += pick("0123456789");
    if (random() % 3 == 0)
      text += pick("eE") + std::string(1, pick("+-0")) + std::to_string(random() % 400);
    if (random() % 10 == 0) text.insert(random() % (text.size() + 1), 1, pick("x.e, "));
    SCOPED_TRACE(text);
    char* end = nullptr;
    errno = 0;
    double expected = std::strtod(text.c_str(), &end);
    bool range = errno == ERANGE;
    bool rest = std::strspn(end, " ") != std::strlen(end);
    Number n(kBefore);
    const Status* st = n.parse(text.c_str(), Number::kDouble, "plain");
    if (rest) {
      EXPECT_TRUE(isStatus(badNumberStatus(), st));
    } else if (range) {
      EXPECT_TRUE(isStatus(std::isinf(expected) ? overflowStatus() : underflowStatus(), st));
      EXPECT_EQ(kBefore, n.asDouble());
    } else {
      EXPECT_TRUE(isStatus(successStatus(), st));
      EXPECT_EQ(expected, n.doubleValue());
    }
  }
}

// The text forms are made without printf, and must be what printf writes:
// random bit patterns reach every exponent, subnormals and both zeros.
TEST(NumberTextTest, TextFormsAreWhatPrintfWrites) {
  std::mt19937_64 random(11);
  char expected[160], actual[160];
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (i % 4 == 1) d = static_cast<double>(static_cast<int64_t>(bits % 2000001) - 1000000) / 100;
    if (i % 4 == 2) d = std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 64));
    if (std::isnan(d) || std::isinf(d)) continue;
    std::snprintf(expected, sizeof expected, "%.15g", d);
    EXPECT_STREQ(expected, Number(d).asString(actual, sizeof actual, "plain"));
    int32_t l = static_cast<int32_t>(bits);
    std::snprintf(expected, sizeof expected, "%d", l);
    EXPECT_STREQ(expected, Number(l).asString(actual, sizeof actual));
    uint32_t u = static_cast<uint32_t>(bits >> 32);
    std::snprintf(expected, sizeof expected, "%u", u);
    EXPECT_STREQ(expected, Number(u).asString(actual, sizeof actual));
  }
  for (double d : {0.0, -0.0, 1e15, 1e16, 123456789012345.0, 1e-5, 0.0001, 5e-324}) {
    std::snprintf(expected, sizeof expected, "%.15g", d);
    EXPECT_STREQ(expected, Number(d).asString(actual, sizeof actual, "plain"));
  }
  EXPECT_STREQ("-2147483648", Number(INT32_MIN).asString(actual, sizeof actual));
}

TEST(NumberParseTest, SetFromTextIsBoundedAndReportsOutOfMemory) {
  Number n;
  EXPECT_EQ(nullptr, n.set("123456", 3));
  EXPECT_EQ(123, n.longValue());
  EXPECT_TRUE(isStatus(badNumberStatus(), n.set("1x", -1)));
  EXPECT_EQ(123, n.longValue());  // a failed parse keeps the value
  EXPECT_TRUE(n.isNull());
  EXPECT_EQ(nullptr, n.set("5", 1));
  EXPECT_FALSE(n.isNull());

  // The copy of a long text and its plain form are work buffers.
  std::string longText(200, '1');
  longText += ".5";
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_TRUE(isStatus(outOfMemoryStatus(), n.set(longText.c_str(), 150)));
  EXPECT_EQ(5, n.longValue());
  AllocationControl::failNth(1);
  EXPECT_TRUE(isStatus(outOfMemoryStatus(), n.parse(longText.c_str(), Number::kDouble)));
  AllocationControl::reset();
  EXPECT_TRUE(isStatus(successStatus(), n.parse(longText.c_str(), Number::kDouble)));
  EXPECT_DOUBLE_EQ(std::strtod(longText.c_str(), nullptr), n.doubleValue());
}

TEST(NumberFactoryTest, ValuesOutsideTheCodesRangeGiveZeroWithTheStatus) {
  struct Case {
    Number* made;
    const Status* status;
    int type;
    double value;
  } cases[] = {
      {Number::make(int32_t{1}, Number::kBitCode), successStatus(), kTypeUnsignedLong, 1},
      {Number::make(int32_t{2}, Number::kBitCode), overflowStatus(), kTypeLong, 0},
      {Number::make(int32_t{-129}, Number::kSignedCharCode), underflowStatus(), kTypeLong, 0},
      {Number::make(uint32_t{70000}, Number::kUnsignedShortCode), overflowStatus(), kTypeLong, 0},
      {Number::make(uint32_t{4000000000u}, Number::kLongCode), overflowStatus(), kTypeLong, 0},
      {Number::make(int32_t{-1}, Number::kUnsignedLongCode), underflowStatus(), kTypeLong, 0},
      {Number::make(int32_t{-1}, Number::kDoubleCode), successStatus(), kTypeDouble, -1},
      {Number::make(3.5e38, Number::kFloatCode), overflowStatus(), kTypeLong, 0},
      {Number::make(-3.5e38, Number::kFloatCode), underflowStatus(), kTypeLong, 0},
      {Number::make(1e300, Number::kDoubleCode), successStatus(), kTypeDouble, 1e300},
      {Number::make(2.75f, Number::kShortCode), truncatedToIntegerStatus(), kTypeLong, 2},
      {Number::make(-2.0, Number::kShortCode), successStatus(), kTypeLong, -2},
      {Number::make(4294967295.0, Number::kUnsignedLongCode), successStatus(), kTypeUnsignedLong,
       4294967295.0},
      {Number::make(std::nan(""), Number::kLongCode), overflowStatus(), kTypeLong, 0},
      {Number::make(int32_t{1}, 1000), badArgumentStatus(), kTypeLong, 0},
      {Number::make(1.0, 1010), badArgumentStatus(), kTypeLong, 0},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(i++);
    ASSERT_NE(nullptr, c.made);
    EXPECT_TRUE(isStatus(c.status, c.made->status()));
    EXPECT_EQ(c.type, c.made->type());
    EXPECT_EQ(c.value, c.made->asDouble());
    c.made->release();
  }
}

TEST(NumberConversionTest, IntegersAndDoublesAtTheBoundsOfEveryTarget) {
  const Status* st = nullptr;
  EXPECT_EQ(255, Number(300.7).asUnsignedChar(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(200, Number(200.7).asUnsignedChar(&st));
  EXPECT_TRUE(isStatus(truncatedToIntegerStatus(), st));
  EXPECT_EQ(-5, Number(-5.0).asLong(&st));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(INT32_MIN, Number(-3e9).asLong(&st));
  EXPECT_TRUE(isStatus(underflowStatus(), st));
  EXPECT_EQ(127, Number(uint32_t{3000000000u}).asChar(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(0u, Number(-1).asUnsignedLong(&st));
  EXPECT_TRUE(isStatus(underflowStatus(), st));
  EXPECT_EQ(-32768, Number(-40000).asShort(&st));
  EXPECT_TRUE(isStatus(underflowStatus(), st));
  EXPECT_EQ(65535, Number(uint32_t{4000000000u}).asUnsignedShort(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(4294967295u, Number(uint32_t{4294967295u}).asUnsignedLong(&st));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(0, Number(std::nan("")).asLong(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(static_cast<float>(Number::kFloatBound), Number(1e39).asFloat(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(static_cast<float>(-Number::kFloatBound), Number(-HUGE_VAL).asFloat(&st));
  EXPECT_TRUE(isStatus(underflowStatus(), st));
}

TEST(NumberBinaryTest, SmallestSizeAndLittleEndianBytesNeverPastTheBuffer) {
  EXPECT_EQ(4, Number(70000).binarySize(0));
  EXPECT_EQ(1, Number(100).binarySize(0));
  EXPECT_EQ(2, Number(100).binarySize(2));
  EXPECT_EQ(1, Number(uint32_t{200}).binarySize(0));
  EXPECT_EQ(2, Number(200).binarySize(0));
  EXPECT_EQ(4, Number(0.5).binarySize(0));
  EXPECT_EQ(8, Number(0.1).binarySize(0));
  EXPECT_EQ(8, Number(1e300).binarySize(0));
  EXPECT_EQ(8, Number(0.5).binarySize(8));

  unsigned char buf[8];
  std::memset(buf, 0xEE, sizeof buf);
  Number big(0x01020304);
  EXPECT_EQ(4, big.asBinary(buf, 6, 0));
  const unsigned char expected[] = {0x04, 0x03, 0x02, 0x01, 0, 0, 0xEE, 0xEE};
  EXPECT_EQ(0, std::memcmp(expected, buf, sizeof buf));
  // A buffer smaller than the value gets only what it holds.
  std::memset(buf, 0xEE, sizeof buf);
  EXPECT_EQ(1, big.asBinary(buf, 1, 0));
  EXPECT_EQ(0x04, buf[0]);
  EXPECT_EQ(0xEE, buf[1]);
  EXPECT_EQ(2, big.asBinary(buf, 8, 2));
  EXPECT_EQ(0x02, buf[0]);
  Number half(0.5);
  EXPECT_EQ(4, half.asBinary(buf, 4, 0));
  float f = 0;
  std::memcpy(&f, buf, sizeof f);  // the test host is little-endian, as the form is
  EXPECT_EQ(0.5f, f);
}

TEST(NumberOrderTest, MixedTypesCompareByExactValue) {
  Number minusOne(-1), zeroU(uint32_t{0}), maxLong(INT32_MAX), big(uint32_t{3000000000u});
  Number five(5), fiveD(5.0), fiveHalf(5.5), nan(std::nan(""));
  EXPECT_EQ(-1, minusOne.compare(zeroU));
  EXPECT_EQ(1, zeroU.compare(minusOne));
  EXPECT_FALSE(zeroU.isEqual(minusOne));
  EXPECT_EQ(-1, maxLong.compare(big));
  EXPECT_EQ(1, big.compare(maxLong));
  EXPECT_TRUE(big.isGreaterThan(maxLong));
  EXPECT_TRUE(zeroU.isGreaterThan(minusOne));
  EXPECT_TRUE(five.isLessThan(fiveHalf));
  EXPECT_FALSE(five.isGreaterThan(fiveHalf));
  EXPECT_TRUE(five.isEqual(fiveD));
  EXPECT_EQ(five.hash(), fiveD.hash());
  EXPECT_EQ(Number(-7).hash(), Number(-7.0).hash());
  EXPECT_EQ(big.hash(), Number(3e9).hash());
  EXPECT_EQ(1, nan.compare(Number(1e300)));
  EXPECT_EQ(0, nan.compare(Number(-std::nan(""))));
  EXPECT_EQ(nan.hash(), Number(-std::nan("")).hash());
  // Against other values: kinds first, numbers before texts.
  EXPECT_EQ(-1, five.compare(Text("5")));
  EXPECT_EQ(1, Text("5").compare(five));
}

TEST(NumberTextTest, TextFormsAndMakingByName) {
  EXPECT_EQ("4294967295", textOf(Number(uint32_t{4294967295u})));
  EXPECT_EQ("123456789012346", textOf(Number(123456789012345.6)));
  // 15 digits of the largest doubles would round past the range.
  EXPECT_EQ("1.79769313486231e+308", textOf(Number(1.7976931348623149e308)));
  EXPECT_EQ("-1.7976931348623157e+308", textOf(Number(-1.7976931348623157e308)));
  EXPECT_EQ(-1.7976931348623157e308,
            Number(textOf(Number(-1.7976931348623157e308)).c_str(), Number::kDouble).doubleValue());
  char buf[4];
  EXPECT_STREQ("-12", Number(-1234).asString(buf, sizeof buf));
  Datum* made = DatumClass::make("Number", "2147483648");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ(kTypeDouble, made->typeCode());
  made->release();
  EXPECT_TRUE(prototype(kStreamNumber)->isKindOf(Number::desc()));
  EXPECT_TRUE(prototype(kStreamNumberConstraint)->isKindOf(NumberConstraint::desc()));
}

// Stored form

class NumberStreamTest : public ::testing::TestWithParam<bool> {};

TEST_P(NumberStreamTest, EveryTypeReadsBackWithItsStatus) {
  Number flagged(9.5);
  flagged.setStatus(overflowStatus());
  const Number samples[] = {Number(-5),        Number(uint32_t{4000000000u}), Number(0.1),
                            Number(-HUGE_VAL), Number(std::nan("")),          flagged};
  for (const Number& n : samples) {
    SCOPED_TRACE(textOf(n));
    Object* back = testing::roundTrip(n, GetParam());
    ASSERT_TRUE(back->isKindOf(Number::desc()));
    const Number& b = static_cast<const Number&>(*back);
    EXPECT_EQ(n.type(), b.type());
    EXPECT_EQ(0, std::memcmp(const_cast<Number&>(n).data(), const_cast<Number&>(b).data(), 8));
    EXPECT_EQ(n.code(), b.code());
    back->release();
  }
}

TEST_P(NumberStreamTest, AnUnknownTypeTagIsDamagedInputNotTheEnd) {
  // A long whose stored tag is changed to 7.
  std::string bytes;
  Object* back = testing::roundTrip(Number(0x12345678), GetParam(), &bytes);
  back->release();
  std::string tagAndValue =
      GetParam() ? std::string("\x00\x02\x12\x34\x56\x78", 6) : std::string("2 305419896 ");
  std::size_t at = bytes.find(tagAndValue);
  ASSERT_NE(std::string::npos, at);
  bytes[at + (GetParam() ? 1 : 0)] = '7';
  for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
    for (bool seekable : {true, false}) {
      testing::DamagedRead r = testing::readDamaged(bytes, GetParam(), mode, seekable);
      EXPECT_TRUE(r.answeredNil);
      EXPECT_GE(r.severity, kError);
      EXPECT_EQ(0, r.kept);
      EXPECT_EQ(nihcl::RDSYNERR, r.error);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TextForm, NumberStreamTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(BinaryForm, NumberStreamTest, ::testing::Values(true));

TEST(NumberStreamFormTest, TheReadOnlyTagsAreRead) {
  std::string head = "2 6 \n{Number " + std::to_string(Number::desc().signature()) + " {Status " +
                     std::to_string(Status::desc().signature()) + " } ";
  Object* shortOne = testing::readFrom(head + "1 -300 } ", false);
  EXPECT_EQ(-300, static_cast<Number*>(shortOne)->longValue());
  shortOne->release();
  Object* floatOne = testing::readFrom(head + "3 2.5 } ", false);
  EXPECT_EQ(2.5, static_cast<Number*>(floatOne)->doubleValue());
  floatOne->release();
}

// The column type

TEST(NumberConstraintTest, PrecisionAndScaleAnswerForEveryCode) {
  const int16_t expected[][3] = {{Number::kShort, 5, 0},
                                 {Number::kLong, 10, 0},
                                 {Number::kFloat, 6, -1},
                                 {Number::kDouble, 15, -1},
                                 {-1, 0, 0},
                                 {Number::kUnsignedLong, 0, 0}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e[0]);
    NumberConstraint c(e[0]);
    int16_t p = 99;
    int16_t s = 99;  // never left as they were
    c.precisionAndScale(&p, &s);
    EXPECT_EQ(e[1], p);
    EXPECT_EQ(e[2], s);
    EXPECT_EQ(e[1], c.precision());
    EXPECT_EQ(e[2] == -1 ? -1024 : 0, c.scale());
  }
  EXPECT_EQ(33, NumberConstraint(Number::kShort).similarity(NumberConstraint(Number::kLong)));
  EXPECT_EQ(100, NumberConstraint(Number::kLong).similarity(NumberConstraint(Number::kLong)));
  EXPECT_EQ(0, NumberConstraint(Number::kLong).similarity(TextConstraint(3)));
}

TEST(NumberConstraintTest, ValuesTextFormAndEquality) {
  NumberConstraint shorts(Number::kShort, "#,##0");
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), shorts.newDatum(""));
  Datum* v = shorts.newDatum("40000");
  EXPECT_TRUE(isStatus(overflowStatus(), v->status()));
  v->release();
  v = NumberConstraint(Number::kUnsignedLong).newDatum("4000000000");
  EXPECT_EQ(kTypeUnsignedLong, v->typeCode());
  v->release();
  EXPECT_EQ(Number::kShort, shorts.typeCode());
  EXPECT_EQ("Number Constraints: typeCode=1,format=#,##0", textOf(shorts));
  EXPECT_EQ("Number Constraints: typeCode=-1,format=NULL", textOf(NumberConstraint()));
  EXPECT_TRUE(shorts.isEqual(NumberConstraint(Number::kShort, "#,##0")));
  EXPECT_FALSE(shorts.isEqual(NumberConstraint(Number::kShort)));
  EXPECT_FALSE(shorts.isEqual(NumberConstraint(Number::kLong, "#,##0")));
  NumberConstraint copy(shorts);
  EXPECT_TRUE(copy.isEqual(shorts));
  EXPECT_NE(shorts.format(), copy.format());  // each owns its format
  EXPECT_EQ(shorts.hash(), copy.hash());
}

TEST(NumberConstraintTest, ReadsBackFromBothFormsAndRefusesAFormatThatIsNoText) {
  for (bool binary : {false, true}) {
    for (const NumberConstraint& c :
         {NumberConstraint(), NumberConstraint(Number::kFloat, "0.0")}) {
      Object* back = testing::roundTrip(c, binary);
      ASSERT_TRUE(back->isKindOf(NumberConstraint::desc()));
      EXPECT_TRUE(back->isEqual(c)) << textOf(c);
      back->release();
    }
  }
  std::string record = "2 6 \n{NumberConstraint " +
                       std::to_string(NumberConstraint::desc().signature()) + " {Status " +
                       std::to_string(Status::desc().signature()) + " } 2 {Integer " +
                       std::to_string(Integer::desc().signature()) + " 5 } } ";
  for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
    testing::DamagedRead r = testing::readDamaged(record, false, mode, true);
    EXPECT_TRUE(r.answeredNil);
    EXPECT_EQ(0, r.kept);
    EXPECT_EQ(nihcl::RDSYNERR, r.error);
  }
}

}  // namespace
}  // namespace dv
