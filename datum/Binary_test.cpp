// Tests of Binary: the growth rule, owned and borrowed buffers, the
// hexadecimal text with its options, ordering, out of memory and the stored
// form.
#include "datum/Binary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "datum/DatumStatus.h"
#include "object/Allocation.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

std::string hexText(const Binary& b, int bufSize, int options = 0, int offset = 0) {
  std::vector<char> buf(static_cast<std::size_t>(bufSize) + 1, 'x');
  b.asSubstring(buf.data(), offset, bufSize, nullptr, options);
  return buf.data();
}

TEST(BinaryTest, GrowthRuleSteps) {
  EXPECT_EQ(32u, Binary::roundCapacity(0));
  EXPECT_EQ(64u, Binary::roundCapacity(31));  // (31 + 1) / 32 + 1 = 2
  EXPECT_EQ(64u, Binary::roundCapacity(32));
  EXPECT_EQ(128u, Binary::roundCapacity(100));
  EXPECT_EQ(288u, Binary::roundCapacity(255));  // (256 / 32 + 1) 32
  EXPECT_EQ(512u, Binary::roundCapacity(256));
  EXPECT_EQ(768u, Binary::roundCapacity(600));
  EXPECT_EQ(1024u, Binary::roundCapacity(1000));
  EXPECT_EQ(32768u, Binary::roundCapacity(32767));
  EXPECT_EQ(65536u, Binary::roundCapacity(32768));
  EXPECT_EQ(98304u, Binary::roundCapacity(65535));
}

TEST(BinaryTest, OwnedBufferGrowsAndKeepsItsBytes) {
  Binary b;
  EXPECT_EQ(64u, b.capacity());
  EXPECT_EQ(0u, b.size());
  EXPECT_TRUE(b.owned());
  EXPECT_FALSE(b.isNull());

  std::vector<unsigned char> bytes(40000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  EXPECT_EQ(100u, b.write(bytes.data(), 0, 100));
  EXPECT_EQ(128u, b.capacity());
  EXPECT_EQ(100u, b.size());

  EXPECT_EQ(39900u, b.append(bytes.data() + 100, 39900));
  EXPECT_EQ(65536u, b.capacity());
  EXPECT_EQ(40000u, b.size());
  std::vector<unsigned char> back(40000);
  EXPECT_EQ(40000u, b.readAll(back.data()));
  EXPECT_EQ(bytes, back);

  // A write inside the used bytes does not shorten them; one past them
  // leaves a zero gap.
  unsigned char ff = 0xFF;
  b.write(&ff, 10, 1);
  EXPECT_EQ(40000u, b.size());
  b.clear();
  b.write(&ff, 70000, 1);
  EXPECT_EQ(70001u, b.size());
  unsigned char gap = 1;
  b.read(&gap, 69999, 1);
  EXPECT_EQ(0, gap);

  b.setLength(98304);  // at the capacity: grows to hold one more
  EXPECT_EQ(98304u, b.size());
  EXPECT_EQ(131072u, b.capacity());
}

TEST(BinaryTest, BorrowedBufferNeverGrows) {
  unsigned char buffer[10] = {};
  Binary b(buffer, sizeof buffer, false);
  EXPECT_FALSE(b.owned());
  EXPECT_EQ(10u, b.capacity());
  EXPECT_EQ(10u, b.size());

  unsigned char src[16];
  std::memset(src, 0xAB, sizeof src);
  EXPECT_EQ(6u, b.write(src, 4, 16));
  EXPECT_EQ(binaryTruncatedStatus(), b.status());
  EXPECT_EQ(buffer, b.bytes());
  EXPECT_EQ(10u, b.capacity());
  EXPECT_EQ(0xAB, buffer[9]);
  EXPECT_EQ(0, buffer[3]);
  EXPECT_EQ(0u, b.write(src, 10, 1));
  EXPECT_EQ(0u, b.write(src, 4000000000u, 1));

  b.setLength(50);
  EXPECT_EQ(10u, b.size());
  unsigned char out[20] = {};
  EXPECT_EQ(2u, b.read(out, 8, 20));
  EXPECT_EQ(0u, b.read(out, 10, 1));

  // A copy owns its bytes.
  Binary copy(b);
  EXPECT_TRUE(copy.owned());
  EXPECT_NE(buffer, copy.bytes());
  EXPECT_EQ(0, copy.compare(b));
}

TEST(BinaryTest, HexadecimalTextAndItsOptions) {
  const unsigned char bytes[] = {0x1F, 0xA0};
  Binary b(bytes, 2, true);
  EXPECT_EQ(5, b.maxTextLength());
  EXPECT_EQ(4, b.maxTextLength(nullptr, Binary::kOptionLowDigitFirst));
  EXPECT_EQ("1FA0", hexText(b, 5));
  EXPECT_EQ("FA0", hexText(b, 5, Binary::kOptionLowDigitFirst));
  EXPECT_EQ("1FA", hexText(b, 4, Binary::kOptionKeepHalfByte));
  EXPECT_EQ("1F", hexText(b, 4));
  EXPECT_EQ("", hexText(b, 1));
  EXPECT_EQ("A0", hexText(b, 5, 0, 1));
  EXPECT_EQ("0", hexText(b, 5, Binary::kOptionLowDigitFirst, 1));
  EXPECT_EQ("", hexText(b, 5, 0, 2));

  char* s = b.newString();
  ASSERT_NE(nullptr, s);
  EXPECT_STREQ("1FA0", s);
  deallocate(s);

  Binary empty;
  EXPECT_EQ("", hexText(empty, 10));
}

TEST(BinaryTest, SetFormsAndBinaryForm) {
  Binary b;
  EXPECT_EQ(nullptr, b.set(int32_t{0x01020304}));
  EXPECT_EQ(4u, b.size());
  EXPECT_EQ(nullptr, b.set(char{'z'}));
  EXPECT_EQ(4u, b.size());  // the end written so far stays
  EXPECT_EQ('z', b.bytes()[0]);
  EXPECT_EQ(nullptr, b.set(1.5));
  EXPECT_EQ(8u, b.size());
  double d = 0;
  std::memcpy(&d, b.bytes(), sizeof d);
  EXPECT_EQ(1.5, d);
  EXPECT_EQ(nullptr, b.set("hello", 5));
  EXPECT_EQ(0, std::memcmp(b.bytes(), "hello", 5));

  EXPECT_EQ(8, b.binarySize());
  EXPECT_EQ(3, b.binarySize(3));
  char out[8] = {};
  EXPECT_EQ(3, b.asBinary(out, 3, 2));
  EXPECT_EQ(0, std::memcmp(out, "llo", 3));
  EXPECT_EQ(0, b.asBinary(out, 3, 8));
  EXPECT_EQ(0, b.asBinary(nullptr, 3, 0));
  EXPECT_EQ(0, b.asBinary(out, 0, 0));
}

TEST(BinaryTest, OrderIsBySizeAndEqualityByContents) {
  Binary a(reinterpret_cast<const unsigned char*>("abc"), 3, true);
  Binary z(reinterpret_cast<const unsigned char*>("zzz"), 3, true);
  Binary longer(reinterpret_cast<const unsigned char*>("abcd"), 4, true);
  EXPECT_FALSE(a.isGreaterThan(z));
  EXPECT_FALSE(a.isLessThan(z));
  EXPECT_FALSE(z.isGreaterThan(a));
  EXPECT_TRUE(longer.isGreaterThan(z));
  EXPECT_TRUE(z.isLessThan(longer));
  EXPECT_FALSE(a.isEqual(z));
  EXPECT_LT(a.compare(z), 0);
  EXPECT_GT(longer.compare(z), 0);
  Binary again(a);
  EXPECT_TRUE(a.isEqual(again));
  EXPECT_EQ(a.hash(), again.hash());
  EXPECT_EQ(1000, a.kind());
  EXPECT_EQ(1000, a.typeCode());
}

TEST(BinaryTest, OutOfMemoryKeepsTheOldBuffer) {
  AllocationFailureScope scope;
  Binary b;
  std::vector<unsigned char> bytes(200, 0x5A);
  b.write(bytes.data(), 0, 64);
  const unsigned char* before = b.bytes();
  AllocationControl::failAfter(0);
  EXPECT_EQ(64u, b.write(bytes.data(), 0, 200));
  AllocationControl::reset();
  EXPECT_EQ(outOfMemoryStatus(), b.status());
  EXPECT_EQ(before, b.bytes());
  EXPECT_EQ(64u, b.capacity());
  EXPECT_EQ(64u, b.size());

  AllocationControl::failAfter(0);
  Binary none(100);
  EXPECT_EQ(0u, none.capacity());
  EXPECT_EQ(0u, none.write(bytes.data(), 0, 1));
  AllocationControl::reset();
  EXPECT_EQ(outOfMemoryStatus(), none.status());
  EXPECT_EQ("", hexText(none, 5));
  // Once memory is back the value grows again.
  EXPECT_EQ(1u, none.write(bytes.data(), 0, 1));
  EXPECT_EQ("5A", hexText(none, 5));
}

TEST(BinaryTest, PrintsAHexDump) {
  Binary b(reinterpret_cast<const unsigned char*>("AB"), 2, true);
  std::ostringstream out;
  b.printOn(out);
  EXPECT_NE(std::string::npos, out.str().find("Binary Datum")) << out.str();
  EXPECT_NE(std::string::npos, out.str().find("41 42")) << out.str();
}

class BinaryStreams : public ::testing::TestWithParam<bool> {};

TEST_P(BinaryStreams, EveryByteSurvivesTheStoredForm) {
  // A capacity that is not a multiple of 4 keeps its last bytes.
  unsigned char bytes[7] = {0, 1, 0x80, 0xFF, 0x7F, 0x10, 0xEE};
  Binary borrowed(bytes, 7, false);
  borrowed.setStatus(binaryTruncatedStatus());
  Object* back = testing::roundTrip(borrowed, GetParam());
  ASSERT_TRUE(back->isKindOf(Binary::desc()));
  Binary* b = static_cast<Binary*>(back);
  EXPECT_EQ(7u, b->size());
  EXPECT_TRUE(b->owned());
  EXPECT_EQ(0, std::memcmp(bytes, b->bytes(), 7));
  EXPECT_EQ(binaryTruncatedStatus()->code(), b->code());
  back->release();

  Binary grown;
  std::vector<unsigned char> many(300);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<unsigned char>(255 - i);
  grown.write(many.data(), 0, 300);
  back = testing::roundTrip(grown, GetParam());
  b = static_cast<Binary*>(back);
  EXPECT_EQ(grown.capacity(), b->capacity());
  EXPECT_EQ(0, grown.compare(*b));
  EXPECT_EQ(successStatus(), b->status());
  back->release();
}

INSTANTIATE_TEST_SUITE_P(Text, BinaryStreams, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Binary, BinaryStreams, ::testing::Values(true));

}  // namespace
}  // namespace dv
