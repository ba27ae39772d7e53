// Tests of Decimal and DecimalConstraint: every vector worked out by an
// independent oracle (datum/testdata/make_decimal_vectors.py, Python's decimal
// module), the fixed and floating text forms, the byte order of encodings
// against the order of values, the conversions through Text, the packed
// export, the stored form with damaged encodings, and the column type.
#include "datum/Decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "datum/DatumClass.h"
#include "datum/DatumStatus.h"
#include "datum/DecimalConstraint.h"
#include "datum/Money.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
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

std::string hexOf(const Decimal& d) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (int i = 0; i < d.length(); ++i) {
    s += kHex[d.bytes()[i] >> 4];
    s += kHex[d.bytes()[i] & 0xF];
  }
  return s;
}

std::string textOf(const Datum& d, const char* fmt = "plain") {
  char buf[400];
  return d.asString(buf, sizeof buf, fmt);
}

std::string formatted(const Decimal& d, int32_t fixStyle, int scale, int flags = 0) {
  char buf[400];
  return d.format(buf, sizeof buf, "plain", fixStyle, scale, flags);
}

// The oracle's vectors

const Status* statusNamed(const std::string& name) {
  if (name == "ok") return successStatus();
  if (name == "rounded") return roundedOffStatus();
  if (name == "overflow") return overflowStatus();
  if (name == "underflow") return underflowStatus();
  if (name == "infinity") return roundedToInfinityStatus();
  if (name == "bad") return badNumberStatus();
  return nullptr;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() + 1 && s[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '|')) fields.push_back(field);
  if (!line.empty() && line.back() == '|') fields.push_back("");
  return fields;
}

TEST(DecimalOracleTest, EveryVectorGivesTheStatusEncodingAndTextOfTheOracle) {
  std::ifstream file(DV_TESTDATA_DIR "/decimal_vectors.txt", std::ios::binary);
  ASSERT_TRUE(file.good()) << "no vector file in " DV_TESTDATA_DIR;
  std::string line;
  int count = 0;
  int failures = 0;
  int lineNumber = 0;
  while (std::getline(file, line)) {
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f = split(line);
    ASSERT_EQ(9u, f.size()) << "line " << lineNumber;
    ++count;
    std::string text = unescape(f[0]);
    Decimal d(text.c_str(), "plain", static_cast<int16_t>(std::stoi(f[1])),
              static_cast<int16_t>(std::stoi(f[2])), std::stoi(f[3]),
              static_cast<int16_t>(std::stoi(f[4])), static_cast<int16_t>(std::stoi(f[5])));
    const Status* expected = statusNamed(f[6]);
    bool ok = expected == d.status() && hexOf(d) == f[7] && textOf(d) == f[8] &&
              Decimal::isValidEncoding(d.bytes(), d.length());
    // What formats without error parses back to the same encoding.
    if (ok && expected->severity() < kError) {
      Decimal back(f[8].c_str(), "plain", Decimal::kMaxPrecision, 0, Decimal::kFloating,
                   Decimal::kMaxExp, Decimal::kAllowInfinity);
      ok = hexOf(back) == f[7] && back.status() == successStatus();
    }
    if (!ok && ++failures <= 20) {
      ADD_FAILURE() << "line " << lineNumber << ": " << line << "\n  got " << d.messageText()
                    << " | " << hexOf(d) << " | " << textOf(d);
    }
  }
  EXPECT_GE(count, 3000);
  EXPECT_EQ(0, failures);
}

// Text forms

TEST(DecimalFormatTest, FixedStylesScaleAndFlags) {
  Decimal one("1", nullptr);
  EXPECT_EQ("1.00", formatted(one, Decimal::kFixedLimited, 2));
  EXPECT_EQ("1.00", formatted(one, Decimal::kFixed, 2));
  EXPECT_EQ("1", formatted(one, Decimal::kFloating, 2));
  EXPECT_EQ("1.", formatted(Decimal("1", nullptr), Decimal::kFixed, 2, Decimal::kTrimZeros));
  EXPECT_EQ("1", formatted(one, Decimal::kFixed, 2, Decimal::kTrimZeros | Decimal::kTrimPoint));
  EXPECT_EQ("1.5", formatted(Decimal("1.5", nullptr), Decimal::kFixed, 4, Decimal::kTrimZeros));
  EXPECT_EQ("1000", formatted(Decimal("1000", nullptr), Decimal::kFixed, 0, Decimal::kTrimZeros));
  EXPECT_EQ("-0.0012", formatted(Decimal("-0.0012", nullptr), Decimal::kFixed, 2));
  EXPECT_EQ("0.001000", formatted(Decimal("0.001", nullptr), Decimal::kFixed, 6));
  // Beyond 12 digits the styles other than the limited one write the exponent.
  Decimal big("1e20", nullptr);
  EXPECT_EQ("1e20", formatted(big, Decimal::kFixed, 2));
  EXPECT_EQ("100000000000000000000.00", formatted(big, Decimal::kFixedLimited, 2));
  EXPECT_EQ("-Infinity", textOf(Decimal("-infinity", nullptr, 38, 0, 2, 128, 1)));
  char small[4];
  EXPECT_STREQ("123", Decimal("123456", nullptr).asString(small, sizeof small));
  EXPECT_EQ(2 + 11 + 2 * 3, Decimal("12.5", nullptr).maxTextLength());
}

TEST(DecimalFormatTest, ALongFormWithoutAWorkBufferIsEmptyAndOutOfMemory) {
  Decimal tiny("-1.2345e-120", nullptr);
  std::string expected = "-0." + std::string(119, '0') + "12345";
  EXPECT_EQ(expected, formatted(tiny, Decimal::kFixedLimited, 0));
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  char buf[200] = "junk";
  const Status* st = nullptr;
  tiny.format(buf, sizeof buf, "plain", Decimal::kFixedLimited, 0, 0, &st);
  EXPECT_TRUE(isStatus(outOfMemoryStatus(), st));
  EXPECT_STREQ("", buf);
  // The short forms need no allocation.
  AllocationControl::failAfter(0);
  EXPECT_EQ("-1.2345e-120", textOf(tiny));
}

// The encoding's byte order is the order of the values

struct Exact {
  int sign;  // -1, 0, 1; infinities are 2 and -2
  int64_t p;
  std::string digits;  // significant digits
};

// The exact order of two values of the form sign 0.digits x 10^p.
int order(const Exact& a, const Exact& b) {
  if (a.sign != b.sign) return a.sign < b.sign ? -1 : 1;
  if (a.sign == 0 || a.sign == 2 || a.sign == -2) return 0;
  int magnitude = a.p != b.p                       ? (a.p < b.p ? -1 : 1)
                  : a.digits.compare(b.digits) < 0 ? -1
                  : a.digits.compare(b.digits) > 0 ? 1
                                                   : 0;
  return a.sign > 0 ? magnitude : -magnitude;
}

TEST(DecimalOrderTest, SortingByBytesEqualsSortingByValue) {
  std::mt19937 random(11);
  struct Sample {
    Exact exact;
    Decimal value;
  };
  std::vector<Sample> samples;
  for (int i = 0; i < 2000; ++i) {
    Exact e;
    int kind = static_cast<int>(random() % 40);
    e.sign = kind == 0 ? 0 : kind == 1 ? 2 : kind == 2 ? -2 : (random() % 2 ? 1 : -1);
    std::string text;
    if (e.sign == 2 || e.sign == -2) {
      text = e.sign > 0 ? "Infinity" : "-Infinity";
    } else if (e.sign == 0) {
      text = "0";
    } else {
      int n = 1 + static_cast<int>(random() % 38);
      for (int k = 0; k < n; ++k) e.digits += static_cast<char>('0' + random() % 10);
      e.digits[0] = static_cast<char>('1' + random() % 9);
      while (e.digits.back() == '0') e.digits.pop_back();
      e.p = static_cast<int64_t>(random() % 40) - 20;
      if (random() % 10 == 0) e.p = static_cast<int64_t>(random() % 250) - 126;  // the whole range
      text = (e.sign < 0 ? "-0." : "0.") + e.digits + "e" + std::to_string(e.p);
    }
    Decimal d(text.c_str(), "plain", 38, 0, Decimal::kFloating, 128, Decimal::kAllowInfinity);
    ASSERT_TRUE(isStatus(successStatus(), d.status())) << text;
    samples.push_back({e, d});
  }
  std::vector<const Sample*> byBytes;
  for (const Sample& s : samples) byBytes.push_back(&s);
  std::sort(byBytes.begin(), byBytes.end(),
            [](const Sample* a, const Sample* b) { return a->value.compare(b->value) < 0; });
  for (std::size_t i = 1; i < byBytes.size(); ++i) {
    int exact = order(byBytes[i - 1]->exact, byBytes[i]->exact);
    EXPECT_LE(exact, 0) << textOf(byBytes[i - 1]->value) << " before " << textOf(byBytes[i]->value);
    EXPECT_EQ(exact == 0, byBytes[i - 1]->value.isEqual(byBytes[i]->value));
    EXPECT_EQ(exact < 0, byBytes[i]->value.isGreaterThan(byBytes[i - 1]->value));
  }
}

TEST(DecimalOrderTest, AgainstOtherClassesAndEqualityWithHash) {
  Decimal five("5", nullptr);
  EXPECT_TRUE(five.isEqual(Decimal(5)));
  EXPECT_EQ(five.hash(), Decimal(int32_t{5}).hash());
  EXPECT_FALSE(five.isEqual(Decimal("5.0001", nullptr)));
  // Other numbers: kinds first, then the AbsNumber rules.
  EXPECT_EQ(1, five.compare(Number(5)));
  EXPECT_TRUE(five.isLessThan(Number(7)));
  EXPECT_FALSE(five.isEqual(Money(5, "$")));
  EXPECT_TRUE(five.isLessThan(Money("$6", nullptr)));
  EXPECT_EQ(-1, five.compare(Text("5")));
}

// Conversions and machine numbers

TEST(DecimalConversionTest, ThroughTheTextFormWithItsStatuses) {
  const Status* st = nullptr;
  EXPECT_EQ(123, Decimal("123.7", nullptr).asLong(&st));
  EXPECT_TRUE(isStatus(truncatedToIntegerStatus(), st));
  EXPECT_EQ(INT32_MAX, Decimal("99999999999", nullptr).asLong(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  // The scientific form is no integer text.
  EXPECT_EQ(0, Decimal("1e20", nullptr).asLong(&st));
  EXPECT_TRUE(isStatus(conversionFailedStatus(), st));
  EXPECT_EQ(-32768, Decimal("-99999", nullptr).asShort(&st));
  EXPECT_TRUE(isStatus(underflowStatus(), st));
  EXPECT_EQ(0.1, Decimal("0.1", nullptr).asDouble(&st));
  EXPECT_TRUE(isStatus(successStatus(), st));
  EXPECT_EQ(1e-100, Decimal("1e-100", nullptr).asDouble(&st));
  EXPECT_EQ(HUGE_VAL, Decimal("Infinity", nullptr, 38, 0, 2, 128, 1).asDouble(&st));
  EXPECT_EQ(static_cast<float>(Number::kFloatBound), Decimal("1e39", nullptr).asFloat(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(static_cast<float>(-Number::kFloatBound), Decimal("-1e39", nullptr).asFloat(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(static_cast<float>(Number::kFloatBound),
            Decimal("Infinity", nullptr, 38, 0, 2, 128, 1).asFloat(&st));
  EXPECT_TRUE(isStatus(overflowStatus(), st));
  EXPECT_EQ(0, Decimal("Infinity", nullptr, 38, 0, 2, 128, 1).asLong(&st));
  EXPECT_TRUE(isStatus(conversionFailedStatus(), st));
  // The Text the conversions go through is a work buffer like any other.
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_EQ(0, Decimal("12345678.5", nullptr).asLong(&st));
  EXPECT_TRUE(isStatus(outOfMemoryStatus(), st));
}

TEST(DecimalConversionTest, MachineNumbersAndSet) {
  EXPECT_EQ("-5", textOf(Decimal(int32_t{-5})));
  EXPECT_EQ("4294967295", textOf(Decimal(uint32_t{4294967295u})));
  EXPECT_EQ("0.1", textOf(Decimal(0.1)));
  EXPECT_EQ("2.5", textOf(Decimal(Number(2.5))));
  Decimal d;
  EXPECT_TRUE(d.isZero());
  EXPECT_FALSE(d.isNull());
  EXPECT_EQ(nullptr, d.set(0.1f));
  EXPECT_EQ("0.1", textOf(d));
  EXPECT_EQ(nullptr, d.set(static_cast<char>(-3)));
  EXPECT_EQ("-3", textOf(d));
  EXPECT_TRUE(isStatus(overflowStatus(), d.set(1e300)));
  EXPECT_TRUE(d.isZero());
  EXPECT_TRUE(d.isNull());
  EXPECT_EQ(nullptr, d.set("  12.5xyz", 6));
  EXPECT_EQ("12.5", textOf(d));
  EXPECT_TRUE(isStatus(badNumberStatus(), d.set("1.2.3", -1)));
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("1", nullptr, 0).status()));
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("1", "local", 39).status()));
}

TEST(DecimalBinaryTest, TheEncodingIsTheBinaryForm) {
  Decimal d("-1", nullptr);
  EXPECT_EQ(3, d.binarySize());
  EXPECT_EQ(2, d.binarySize(2));
  unsigned char buf[8] = {};
  EXPECT_EQ(2, d.asBinary(buf, 8, 1));
  EXPECT_EQ(0x64, buf[0]);
  EXPECT_EQ(0x66, buf[1]);
  EXPECT_EQ(0, d.asBinary(buf, 8, 3));
  EXPECT_EQ(static_cast<void*>(const_cast<unsigned char*>(d.bytes())), d.data());
  std::ostringstream print;
  Decimal("-12.5", nullptr).printOn(print);
  EXPECT_EQ("-12.5 [double=-1.2500000000000000e+01]", print.str());
}

TEST(DecimalPackedTest, DigitsTwoToAByteWithTheSignLast) {
  struct Case {
    const char* text;
    std::vector<unsigned char> bytes;
    int digits;
    int after;
  } cases[] = {
      {"-12.5", {0x12, 0x5D}, 3, 1},
      {"12", {0x01, 0x2C}, 2, 0},
      {"0.05", {0x00, 0x5C}, 2, 2},
      {"0", {0x0C}, 1, 0},
      {"-1234567890123456789012345678901",
       {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x78, 0x90,
        0x1D},
       31,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned char out[Decimal::kPackedSize];
    std::memset(out, 0xEE, sizeof out);
    int digits = 0;
    int after = 0;
    EXPECT_EQ(nullptr, Decimal(c.text, nullptr).asPackedDecimal(out, sizeof out, &digits, &after));
    EXPECT_EQ(c.bytes, std::vector<unsigned char>(out, out + c.bytes.size()));
    EXPECT_EQ(c.digits, digits);
    EXPECT_EQ(c.after, after);
  }
  unsigned char out[Decimal::kPackedSize];
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("12345678901234567890123456789012", nullptr)
                                              .asPackedDecimal(out, sizeof out, nullptr, nullptr)));
  EXPECT_TRUE(isStatus(badNumberStatus(), Decimal("Infinity", nullptr, 38, 0, 2, 128, 1)
                                              .asPackedDecimal(out, sizeof out, nullptr, nullptr)));
  // The buffer must hold the result: 3 digits need 2 bytes.
  EXPECT_TRUE(isStatus(badNumberStatus(),
                       Decimal("125", nullptr).asPackedDecimal(out, 1, nullptr, nullptr)));
}

// Stored form

TEST(DecimalStreamTest, EncodingsReadBackInBothForms) {
  Decimal flagged("1.25", nullptr, 38, 1, Decimal::kFixed);
  const char* texts[] = {"0",
                         "1",
                         "-1",
                         "123.456",
                         "-9.9999999999999999999999999999999999999e125",
                         "-1.0000000000000000000000000000000000001",
                         "1e-130"};
  std::vector<Decimal> samples = {flagged, Decimal("Infinity", nullptr, 38, 0, 2, 128, 1),
                                  Decimal("-Infinity", nullptr, 38, 0, 2, 128, 1)};
  for (const char* t : texts) samples.emplace_back(t, nullptr);
  for (bool binary : {false, true}) {
    for (const Decimal& d : samples) {
      SCOPED_TRACE(textOf(d) + (binary ? " binary" : " text"));
      Object* back = testing::roundTrip(d, binary);
      ASSERT_TRUE(back->isKindOf(Decimal::desc()));
      EXPECT_EQ(hexOf(d), hexOf(static_cast<Decimal&>(*back)));
      EXPECT_EQ(0, d.compare(*back));
      EXPECT_EQ(d.code(), static_cast<Decimal*>(back)->code());
      back->release();
    }
  }
}

TEST(DecimalStreamTest, DamagedEncodingsAreRefused) {
  std::string head = "2 6 \n{Decimal " + std::to_string(Decimal::desc().signature()) + " {Status " +
                     std::to_string(Status::desc().signature()) + " } ";
  auto encoding = [](int length, int first, const std::string& rest) {
    std::string s = std::to_string(length * 256 + first) + " ";
    if (length > 1) s += std::to_string(rest.size()) + " " + rest;
    return s + "} ";
  };
  struct Case {
    const char* name;
    std::string fields;
  } cases[] = {
      {"23 bytes", encoding(23, 0xC1, std::string(22, '\x02'))},
      {"length 0", encoding(0, 0x80, "")},
      {"negative length", "-256 } "},
      {"rest longer than the length", encoding(2, 0xC1, "\x02\x02")},
      {"digit byte above 100", encoding(2, 0xC1, "\x70")},
      {"trailing zero digit", encoding(3, 0xC1, "\x02\x01")},
      {"negative without terminator", encoding(3, 0x3E, "\x64\x64")},
      {"one byte that is no value", encoding(1, 0x41, "")},
      {"cut short", std::to_string(5 * 256 + 0xC1) + " 4 \x02"},
  };
  for (const Case& c : cases) {
    for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      for (bool seekable : {true, false}) {
        testing::DamagedRead r = testing::readDamaged(head + c.fields, false, mode, seekable);
        EXPECT_TRUE(r.answeredNil) << c.name;
        EXPECT_GE(r.severity, kError) << c.name;
        EXPECT_EQ(0, r.kept) << c.name;
        EXPECT_TRUE(testing::isReadError(r.error)) << c.name;
      }
    }
  }
  // The same record with a sound encoding reads.
  Object* ok = testing::readFrom(head + encoding(2, 0xC1, "\x02"), false);
  ASSERT_TRUE(ok->isKindOf(Decimal::desc()));
  EXPECT_EQ("1", textOf(static_cast<Datum&>(*ok)));
  ok->release();
}

TEST(DecimalClassTest, DescriptorPrototypesAndMakingByName) {
  Datum* made = DatumClass::make("Decimal", "-0.25");
  ASSERT_NE(nullptr, made);
  EXPECT_EQ("-0.25", textOf(*made));
  made->release();
  EXPECT_TRUE(prototype(kStreamDecimal)->isKindOf(Decimal::desc()));
  EXPECT_TRUE(prototype(kStreamDecimalConstraint)->isKindOf(DecimalConstraint::desc()));
}

// The column type

TEST(DecimalConstraintTest, ValuesUnderItsParametersAndItsOwnDisplay) {
  DecimalConstraint byDefault;
  EXPECT_EQ(
      "Decimal Constraints: precision=16,scale=0,fixStyle=2,maxexp=128,miscFlags=0,"
      "format=NULL",
      textOf(byDefault));
  EXPECT_EQ(-1024, byDefault.scale());
  int16_t p = 0;
  int16_t s = 0;
  byDefault.precisionAndScale(&p, &s);
  EXPECT_EQ(16, p);
  EXPECT_EQ(-1, s);
  EXPECT_EQ(kTypeDecimal, byDefault.typeCode());

  DecimalConstraint money(10, 2, Decimal::kFixedLimited, 128, 0, "#.##");
  EXPECT_EQ(2, money.scale());
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), money.newDatum(""));
  Datum* v = money.newDatum("1.005");
  EXPECT_TRUE(isStatus(roundedOffStatus(), v->status()));
  char buf[64];
  EXPECT_STREQ("1.01", money.format(*v, buf, sizeof buf, "plain"));
  EXPECT_GE(money.maxTextLength(*v, nullptr), 5);
  v->release();
  v = money.newDatum("123456789");
  EXPECT_TRUE(isStatus(overflowStatus(), v->status()));
  v->release();
  EXPECT_STREQ("hello", money.format(Text("hello"), buf, sizeof buf));
  EXPECT_EQ(DecimalConstraint(38, 0).precision(), DecimalConstraint(50, 0).precision());
  EXPECT_EQ(100, money.similarity(DecimalConstraint(10, 2, Decimal::kFixed)));
  EXPECT_TRUE(money.isEqual(DecimalConstraint(10, 2, Decimal::kFixedLimited, 128, 0, "#.##")));
  EXPECT_FALSE(money.isEqual(DecimalConstraint(10, 2, Decimal::kFixed, 128, 0, "#.##")));
}

TEST(DecimalConstraintTest, ReadsBackAndRefusesParametersNoConstraintHas) {
  for (bool binary : {false, true}) {
    for (const DecimalConstraint& c :
         {DecimalConstraint(), DecimalConstraint(7, -2, Decimal::kFixed, 20, 1, "x")}) {
      Object* back = testing::roundTrip(c, binary);
      ASSERT_TRUE(back->isKindOf(DecimalConstraint::desc()));
      EXPECT_TRUE(back->isEqual(c)) << textOf(c);
      back->release();
    }
  }
  std::string record = "2 6 \n{DecimalConstraint " +
                       std::to_string(DecimalConstraint::desc().signature()) + " {Status " +
                       std::to_string(Status::desc().signature()) + " } 50 0 2 128 0 ~ } ";
  for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
    testing::DamagedRead r = testing::readDamaged(record, false, mode, true);
    EXPECT_TRUE(r.answeredNil);
    EXPECT_EQ(0, r.kept);
    EXPECT_EQ(nihcl::RDSYNERR, r.error);
  }
}

}  // namespace
}  // namespace dv
