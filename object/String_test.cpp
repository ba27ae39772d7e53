// Tests of the small value classes held in collections: String, Integer,
// Range and the key/value pairs.
#include "object/String.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "object/Allocation.h"
#include "object/Integer.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/Range.h"
#include "tests/support/ProcessCapture.h"

namespace dv {
namespace {

using testing::hexAddress;
using testing::runInChild;

// The hash: length, then little-endian 32-bit words, then the partial word.
uint32_t word(const char* s) {
  return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

TEST(StringTest, HashOfWholeWordsAndOneToThreeTrailingBytes) {
  EXPECT_EQ(0u, String("").hash());
  EXPECT_EQ(4u ^ word("abcd"), String("abcd").hash());
  EXPECT_EQ(5u ^ word("abcd") ^ 'e', String("abcde").hash());
  EXPECT_EQ(6u ^ word("abcd") ^ ('e' | 'f' << 8), String("abcdef").hash());
  EXPECT_EQ(7u ^ word("abcd") ^ ('e' | 'f' << 8 | 'g' << 16), String("abcdefg").hash());
  EXPECT_EQ(3u ^ (0xE9u | 'x' << 8 | 0xFFu << 16), String("\xE9x\xFF").hash());
}

TEST(StringTest, ConcatenationSubstringAndComparison) {
  String hello("hello");
  String world(" world");
  String both = hello & world;
  EXPECT_STREQ("hello world", both.c_str());
  EXPECT_EQ(11, both.length());
  both &= both;
  EXPECT_STREQ("hello worldhello world", both.c_str());
  EXPECT_STREQ("world", both(6, 5).c_str());
  EXPECT_STREQ("", both(22, 0).c_str());
  EXPECT_LT(hello.compare(String("world")), 0);
  EXPECT_GT(hello.compare(world), 0);  // ' ' sorts first
  EXPECT_EQ(0, hello.compare(String("hello")));
  EXPECT_TRUE(hello.isEqual(String("hello")));
  EXPECT_FALSE(hello.isEqual(Integer(5)));
  std::ostringstream out;
  both(0, 5).printOn(out);
  EXPECT_EQ("hello", out.str());

  auto range = runInChild([&] { hello(3, 3); });
  EXPECT_EQ("NIHCL: fatal: [SUBSTRERR] SubString position/length out of range: " +
                hexAddress(&hello) + "->String::operator()(3,3)\n",
            range.err);
  Integer five(5);
  auto notAString = runInChild([&] { hello.compare(five); });
  EXPECT_EQ(
      "NIHCL: fatal: [BADARGCLM] Invalid argument class: expected String::compare(String), was "
      "String::compare(Integer)\n",
      notAString.err);
}

TEST(StringTest, AllocationFailureLeavesTheStringEmptyOrUnchanged) {
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  String s("text");
  EXPECT_EQ(0, s.length());
  EXPECT_STREQ("", s.c_str());
  String t("keep");
  AllocationControl::failAfter(0);
  t &= String("more");
  AllocationControl::reset();
  EXPECT_STREQ("keep", t.c_str());
}

TEST(IntegerTest, CompareIsTheDifferenceWithItsSignAlwaysRight) {
  EXPECT_EQ(-2, Integer(3).compare(Integer(5)));
  EXPECT_EQ(0, Integer(7).compare(Integer(7)));
  // INT_MAX - (-1) does not fit in 32 bits: the sign must still say "greater".
  EXPECT_GT(Integer(INT_MAX).compare(Integer(-1)), 0);
  EXPECT_LT(Integer(INT_MIN).compare(Integer(1)), 0);
  EXPECT_TRUE(Integer(4).isEqual(Integer(4)));
  EXPECT_FALSE(Integer(4).isEqual(String("4")));
  EXPECT_EQ(static_cast<uint32_t>(-9), Integer(-9).hash());
  std::ostringstream out;
  Integer(-42).printOn(out);
  EXPECT_EQ("-42", out.str());
  String s("x");
  auto notAnInteger = runInChild([&] { Integer(1).compare(s); });
  EXPECT_NE(
      std::string::npos,
      notAnInteger.err.find("expected Integer::compare(Integer), was Integer::compare(String)"));
}

TEST(RangeTest, FieldsEqualityHashAndRefusedCompare) {
  Range r(3, 4);
  EXPECT_EQ(6, r.lastIndex());
  EXPECT_TRUE(r.isEqual(Range(3, 4)));
  EXPECT_FALSE(r.isEqual(Range(4, 3)));
  EXPECT_EQ(3u ^ 4u, r.hash());
  std::ostringstream out;
  r.printOn(out);
  EXPECT_EQ("3:4", out.str());
  auto refused = runInChild([&] { r.compare(Range()); });
  EXPECT_EQ(
      "NIHCL: fatal: [ILLEGALMFCN] Illegal function " + hexAddress(&r) + "->Range::compare()\n",
      refused.err);
}

TEST(LookupKeyTest, KeysDecideEqualityOrderAndHash) {
  String k("key");
  Integer v(7);
  Assoc a(k, v);
  LookupKey probe(*new String("key"));
  EXPECT_TRUE(a.isEqual(probe));
  EXPECT_EQ(0, a.compare(probe));
  EXPECT_EQ(k.hash(), a.hash());
  EXPECT_EQ(&v, a.value());
  std::ostringstream print;
  a.printOn(print);
  EXPECT_EQ("key=>7", print.str());
  std::ostringstream dump;
  a.dumpOn(dump);
  EXPECT_EQ("Assoc[String[key]\n=>Integer[7]\n]\n", dump.str());

  AssocInt counter(k, 41);
  counter.setIntValue(counter.intValue() + 1);
  std::ostringstream counted;
  counter.printOn(counted);
  EXPECT_EQ("key=>42", counted.str());
  EXPECT_EQ(&AssocInt::desc(), counter.isA());
  EXPECT_STREQ("Integer", AssocInt::desc().memberClasses()[0]->name());

  auto bare = runInChild([&] { probe.value(); });
  EXPECT_EQ("NIHCL: fatal: [DRVDCLASSRSP] Unimplemented function " + hexAddress(&probe) +
                "->LookupKey::value()\n",
            bare.err);
  probe.key()->release();
}

}  // namespace
}  // namespace dv
