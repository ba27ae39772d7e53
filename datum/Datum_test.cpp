// Tests of the typed-value base: the defaults of the Datum operations, the
// status reference, the order of kinds, AbsNumber ordering, the constraint
// base with check and similarity, the nil value, making values by class name
// and the Datum part of the stored forms.
#include "datum/Datum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>

#include "datum/AbsNumber.h"
#include "datum/Binary.h"
#include "datum/DatumConstraint.h"
#include "datum/DatumStatus.h"
#include "datum/ExtDatumFile.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "object/Integer.h"
#include "object/OIOStreams.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

// A value with a chosen text form and a chosen small-integer reading, to
// reach the operations the base supplies.
class Probe : public Datum {
 public:
  explicit Probe(std::string text, unsigned char byte = 0) : text_(std::move(text)), byte_(byte) {}
  Datum* newEmpty() const override { return new Probe(""); }
  int typeCode() const override { return 77; }
  unsigned char asUnsignedChar(const Status** st, const char*) const override {
    report(st, successStatus());
    return byte_;
  }
  int maxTextLength(const char*, FormatArg) const override {
    return static_cast<int>(text_.size()) + 1;
  }
  char* asString(char* buf, int bufSize, const char*, FormatArg) const override {
    std::snprintf(buf, static_cast<std::size_t>(bufSize), "%s", text_.c_str());
    return buf;
  }
  bool isGreaterThan(const Datum&) const override { return false; }
  bool isLessThan(const Datum&) const override { return false; }
  int compare(const Object& other) const override { return compareKind(other); }
  uint32_t hash() const override { return 0; }
  void printOn(std::ostream& out) const override { out << text_; }

 private:
  std::string text_;
  unsigned char byte_;
};

// A number whose double conversion can be made to fail.
class TestNumber : public AbsNumber {
 public:
  explicit TestNumber(double v, bool fails = false) : value_(v), fails_(fails) {}
  Datum* newEmpty() const override { return new TestNumber(0); }
  int kind() const override { return kKindNumber; }
  int typeCode() const override { return kTypeDouble; }
  double asDouble(const Status** st, const char*) const override {
    report(st, fails_ ? badNumberStatus() : successStatus());
    return value_;
  }
  int maxTextLength(const char*, FormatArg) const override { return 32; }
  char* asString(char* buf, int bufSize, const char*, FormatArg) const override {
    std::snprintf(buf, static_cast<std::size_t>(bufSize), "%g", value_);
    return buf;
  }
  uint32_t hash() const override { return static_cast<uint32_t>(value_); }
  void printOn(std::ostream& out) const override { out << value_; }

 private:
  double value_;
  bool fails_;
};

// A numeric constraint with a chosen precision and scale that parses text
// into TestNumber values, failing on text that is not a number.
class TestConstraint : public AbsNumConstraint {
 public:
  TestConstraint(int16_t precision, int16_t scale) : precision_(precision), scale_(scale) {}
  Datum* newEmpty() const override { return new TestConstraint(0, 0); }
  int typeCode() const override { return 3; }
  void precisionAndScale(int16_t* p, int16_t* s) const override {
    *p = precision_;
    *s = scale_;
  }
  Datum* newDatum(const char* text, const char*) const override {
    if (*text == '\0') {
      nilDatum()->addRef();
      return nilDatum();
    }
    char* end = nullptr;
    double v = std::strtod(text, &end);
    TestNumber* n = new (std::nothrow) TestNumber(v);
    if (n != nullptr && *end != '\0') n->setStatus(badNumberStatus());
    return n;
  }
  uint32_t hash() const override { return static_cast<uint32_t>(precision_); }
  void printOn(std::ostream& out) const override {
    out << "Test Constraints: precision=" << precision_ << ",scale=" << scale_;
  }

 private:
  int16_t precision_;
  int16_t scale_;
};

// A constraint that is not numeric, with a long printed form.
class WordyConstraint : public DatumConstraint {
 public:
  Datum* newEmpty() const override { return new WordyConstraint; }
  int typeCode() const override { return 9; }
  int16_t similarity(const DatumConstraint&) const override { return 100; }
  Datum* newDatum(const char* text, const char*) const override { return new Text(text); }
  uint32_t hash() const override { return 0; }
  void printOn(std::ostream& out) const override { out << std::string(300, 'w'); }
};

TEST(DatumTest, DefaultsAnswerZeroOrNotImplemented) {
  Probe p("abc");
  const Status* st = nullptr;
  EXPECT_EQ(0.0, p.asDouble(&st));
  EXPECT_EQ(successStatus(), st);
  EXPECT_EQ(0, p.asLong(&st));
  EXPECT_EQ(0u, p.asUnsignedLong(&st));
  EXPECT_EQ(0, p.asShort());
  EXPECT_EQ(1000, p.kind());
  EXPECT_FALSE(p.isExternal());
  EXPECT_FALSE(p.classMark());
  EXPECT_EQ(nullptr, p.data());

  EXPECT_EQ(notImplementedStatus(), p.set(int32_t{1}));
  EXPECT_EQ(notImplementedStatus(), p.set("x", 1));
  Text out("kept");
  p.asText(out, &st);
  EXPECT_EQ(notImplementedStatus(), st);
  EXPECT_EQ(successStatus(), p.status());
  EXPECT_EQ(0, p.binarySize());
  EXPECT_EQ(notImplementedStatus(), p.status());
  EXPECT_TRUE(p.isNull());  // that status carries the NULL flag
  char buf[4];
  EXPECT_EQ(0, p.asBinary(buf, 4, 0));
}

TEST(DatumTest, StatusIsHeldByReference) {
  const Status* error = makeErrorStatus(0x40020099u, true, kDatumErrName, "probe", 0, false);
  int32_t before = error->refCount();
  {
    Probe p("x");
    EXPECT_FALSE(p.isNull());
    p.setStatus(error);
    EXPECT_EQ(before + 1, error->refCount());
    EXPECT_EQ(0x40020099u, p.code());
    EXPECT_STREQ("probe", p.messageText());
    Probe copy(p);
    EXPECT_EQ(before + 2, error->refCount());
    copy.setNull();
    EXPECT_EQ(nullStatus(), copy.status());
    EXPECT_EQ(before + 1, error->refCount());
    p.setStatus(static_cast<const Status*>(nullptr));  // never null: success
    EXPECT_EQ(successStatus(), p.status());
  }
  EXPECT_EQ(before, error->refCount());
  error->release();
}

TEST(DatumTest, AsBoolReportsValuesAboveOne) {
  const Status* st = nullptr;
  EXPECT_TRUE(Probe("", 2).asBool(&st));
  EXPECT_EQ(overflowStatus(), st);
  EXPECT_TRUE(Probe("", 1).asBool(&st));
  EXPECT_EQ(successStatus(), st);
  EXPECT_FALSE(Probe("", 0).asBool(&st));
  EXPECT_TRUE(Probe("", 200).asBool());  // without st nothing is reported
}

TEST(DatumTest, SubstringStartsAtTheOffsetWithinTheFirst128Characters) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += static_cast<char>('a' + i % 26);
  Probe p(text);
  char buf[300];
  p.asSubstring(buf, 0, sizeof buf);
  EXPECT_EQ(text, buf);  // offset 0 is asString itself, not cut to 128
  p.asSubstring(buf, 3, 5);
  EXPECT_STREQ("defg", buf);
  p.asSubstring(buf, 100, sizeof buf);
  EXPECT_EQ(text.substr(100, 27), buf);  // the scratch form ends at 127
  p.asSubstring(buf, 126, sizeof buf);
  EXPECT_EQ(text.substr(126, 1), buf);
  std::strcpy(buf, "junk");
  p.asSubstring(buf, 127, sizeof buf);
  EXPECT_STREQ("", buf);
  std::strcpy(buf, "junk");
  p.asSubstring(buf, 5000, sizeof buf);
  EXPECT_STREQ("", buf);
  Probe shortText("abc");
  p.asSubstring(nullptr, 1, 10);  // no buffer: nothing happens
  shortText.asSubstring(buf, 10, sizeof buf);
  EXPECT_STREQ("", buf);
}

TEST(DatumTest, NewStringUsesTheGivenAllocator) {
  Probe p("hello");
  char* s = p.newString();
  ASSERT_NE(nullptr, s);
  EXPECT_STREQ("hello", s);
  deallocate(s);
  s = p.newString(nullptr, &std::malloc);
  EXPECT_STREQ("hello", s);
  std::free(s);
  AllocationFailureScope scope;
  AllocationControl::failNth(1);
  EXPECT_EQ(nullptr, p.newString());
}

TEST(DatumTest, CompareKindOrdersClasses) {
  TestNumber n(1);
  Text t("a");
  Binary b;
  ExtDatumFile f("/tmp/x");
  Integer i(5);
  EXPECT_EQ(-1, n.compareKind(t));
  EXPECT_EQ(1, t.compareKind(n));
  EXPECT_EQ(0, t.compareKind(Text("b")));
  EXPECT_EQ(-1, t.compareKind(b));
  EXPECT_EQ(1, b.compareKind(t));
  EXPECT_EQ(1, n.compareKind(f));  // external files sort before all
  EXPECT_EQ(-1, f.compareKind(n));
  // Two classes of the same kind: each says the other is not lower.
  EXPECT_EQ(-1, b.compareKind(*nilDatum()));
  EXPECT_EQ(-1, nilDatum()->compareKind(b));
  // Not a Datum: the order of the class descriptors, in both directions.
  int k = b.compareKind(i);
  EXPECT_NE(0, k);
  EXPECT_EQ(k, Binary::desc().compare(Integer::desc()));
}

TEST(DatumTest, AbsNumberOrdersByValueWhenConversionsSucceed) {
  TestNumber one(1), two(2), alsoTwo(2), broken(2, true);
  EXPECT_TRUE(one.isLessThan(two));
  EXPECT_TRUE(two.isGreaterThan(one));
  EXPECT_FALSE(two.isLessThan(alsoTwo));
  EXPECT_TRUE(two.numericallyEqual(alsoTwo));
  EXPECT_FALSE(two.numericallyEqual(broken));
  EXPECT_FALSE(broken.numericallyEqual(broken));
  EXPECT_EQ(0, two.compare(alsoTwo));
  EXPECT_EQ(-1, one.compare(two));
  EXPECT_EQ(1, two.compare(one));
  EXPECT_TRUE(two.isEqual(alsoTwo));
  EXPECT_TRUE(two.isGreaterOrEqual(alsoTwo));
  EXPECT_TRUE(one.isLessOrEqual(two));
  // A failed conversion falls back to the kinds, which are the same here.
  EXPECT_FALSE(one.isLessThan(broken));
  EXPECT_FALSE(broken.isGreaterThan(one));
  // Against a value that is no number: by kind.
  Text t("0");
  EXPECT_TRUE(two.isLessThan(t));
  EXPECT_FALSE(two.isGreaterThan(t));
  EXPECT_EQ(-1, two.compare(t));
}

TEST(DatumTest, SimilarityOfNumericConstraints) {
  TestConstraint five(5, 0), ten(10, 0), again(5, 0), zero(0, 0), wide(38, 30);
  EXPECT_EQ(33, five.similarity(ten));
  EXPECT_EQ(33, ten.similarity(five));
  EXPECT_EQ(100, five.similarity(again));
  EXPECT_EQ(100, zero.similarity(TestConstraint(0, 0)));  // no division by zero
  EXPECT_EQ(1, zero.similarity(TestConstraint(0, 1)));    // d capped at t: 0 becomes 1
  EXPECT_EQ(1, five.similarity(wide));
  EXPECT_EQ(0, five.similarity(WordyConstraint()));
}

TEST(DatumTest, ConstraintTextFormIsItsPrintCutTo128) {
  WordyConstraint w;
  EXPECT_EQ(128, w.maxTextLength());
  char buf[400];
  w.asString(buf, sizeof buf);
  EXPECT_EQ(std::string(128, 'w'), buf);
  w.asString(buf, 5);
  EXPECT_STREQ("wwww", buf);
  TestConstraint a(5, 0), b(10, 0);
  EXPECT_EQ(0, a.compare(TestConstraint(5, 0)));
  EXPECT_NE(0, a.compare(b));
  EXPECT_FALSE(a.isLessThan(b));
  EXPECT_FALSE(a.isGreaterThan(b));
}

TEST(DatumTest, CheckConvertsThroughText) {
  TestConstraint c(10, 2);
  Text in("12.5");
  Text* inText = nullptr;
  Datum* converted = nullptr;
  Text* outText = nullptr;
  const Status* st = c.check(in, &inText, &converted, &outText);
  EXPECT_EQ(successStatus(), st);
  ASSERT_NE(nullptr, inText);
  ASSERT_NE(nullptr, converted);
  ASSERT_NE(nullptr, outText);
  EXPECT_STREQ("12.5", inText->chars());
  EXPECT_EQ(12.5, converted->asDouble());
  EXPECT_STREQ("12.5", outText->chars());
  st->release();
  inText->release();
  converted->release();
  outText->release();

  // A failed conversion answers the status and gives no output text.
  Text bad("12x");
  st = c.check(bad, &inText, &converted, &outText);
  EXPECT_EQ(badNumberStatus(), st);
  EXPECT_NE(nullptr, converted);
  EXPECT_EQ(nullptr, outText);
  st->release();
  inText->release();
  converted->release();

  // Empty text gives the nil value; nothing asked for, nothing handed out.
  st = c.check(Text(""), nullptr, &converted, nullptr);
  EXPECT_EQ(nilDatum(), converted);
  st->release();
  converted->release();
}

TEST(DatumTest, CheckHandsBackAnExternalValue) {
  TestConstraint c(10, 2);
  ExtDatumFile& f = *new ExtDatumFile("/data/images/one.png");
  Text* inText = reinterpret_cast<Text*>(1);
  Datum* converted = nullptr;
  Text* outText = nullptr;
  int32_t before = f.refCount();
  EXPECT_EQ(successStatus(), c.check(f, &inText, &converted, &outText));
  EXPECT_EQ(&f, converted);
  EXPECT_EQ(before + 1, f.refCount());
  ASSERT_NE(nullptr, inText);
  ASSERT_NE(nullptr, outText);
  EXPECT_EQ(0u, inText->length());
  EXPECT_EQ(0u, outText->length());
  EXPECT_TRUE(inText->isNull());
  char buf[8] = "x";
  c.format(f, buf, sizeof buf);
  EXPECT_STREQ("", buf);
  inText->release();
  outText->release();
  converted->release();
  EXPECT_EQ(before, f.refCount());
  f.release();
}

TEST(DatumTest, CheckAnswersOutOfMemoryAtEveryAllocation) {
  TestConstraint c(10, 2);
  Text in("7.25");
  ExtDatumFile f("/x");
  AllocationFailureScope scope;
  for (const Datum* v : {static_cast<const Datum*>(&in), static_cast<const Datum*>(&f)}) {
    bool succeeded = false;
    for (uint64_t n = 1; n < 40 && !succeeded; ++n) {
      AllocationControl::reset();
      AllocationControl::failNth(n);
      Text* inText = nullptr;
      Datum* converted = nullptr;
      Text* outText = nullptr;
      const Status* st = c.check(*v, &inText, &converted, &outText);
      bool failed = AllocationControl::failures() > 0;
      AllocationControl::reset();
      if (st == outOfMemoryStatus()) {
        EXPECT_TRUE(failed);
        EXPECT_EQ(nullptr, inText);
        EXPECT_EQ(nullptr, converted);
        EXPECT_EQ(nullptr, outText);
        continue;
      }
      ASSERT_EQ(successStatus(), st) << "allocation " << n;
      succeeded = !failed;
      st->release();
      ASSERT_NE(nullptr, converted);
      if (inText != nullptr) inText->release();
      converted->release();
      if (outText != nullptr) outText->release();
    }
    EXPECT_TRUE(succeeded);
  }
}

TEST(DatumTest, NilValue) {
  NilDatum* nil = nilDatum();
  EXPECT_EQ(nil, nilDatum());
  EXPECT_EQ(-1, nil->refCount());
  EXPECT_TRUE(nil->isNull());
  EXPECT_EQ(6, nil->maxTextLength());
  char buf[8];
  nil->asString(buf, sizeof buf);
  EXPECT_STREQ("<nil>", buf);
  nil->asString(buf, 3);
  EXPECT_STREQ("<n", buf);
  std::ostringstream printed;
  nil->printOn(printed);
  EXPECT_EQ("<nil>", printed.str());

  NilDatum marked;
  marked.setStatus(nullValueStatus());
  std::ostringstream printedNull;
  marked.printOn(printedNull);
  EXPECT_EQ("<NULL>", printedNull.str());
  EXPECT_TRUE(marked.isNull());

  Text t("a");
  EXPECT_TRUE(nil->isGreaterThan(t));  // kind 1000 against 6
  EXPECT_FALSE(nil->isLessThan(t));
  EXPECT_TRUE(nil->isGreaterThan(TestNumber(1)));
  EXPECT_FALSE(marked.isGreaterThan(TestNumber(1)));
  EXPECT_FALSE(marked.isLessThan(TestNumber(1)));
  EXPECT_EQ(0, nil->compare(marked));
  EXPECT_TRUE(nil->isEqual(marked));
}

TEST(DatumTest, ValuesAreMadeByClassName) {
  EXPECT_NE(nullptr, DatumClass::lookUpDatumClass("Binary"));
  EXPECT_EQ(nullptr, DatumClass::lookUpDatumClass("Integer"));  // not a typed value
  EXPECT_EQ(nullptr, DatumClass::lookUpDatumClass("NoSuchClass"));
  EXPECT_TRUE(DatumClass::canMake("Text"));
  EXPECT_FALSE(DatumClass::canMake("Binary"));
  EXPECT_FALSE(DatumClass::canMake("NoSuchClass"));
  EXPECT_EQ(nullptr, DatumClass::make("Binary", "00"));
  Datum* d = DatumClass::make("Text", "made by name");
  ASSERT_NE(nullptr, d);
  EXPECT_TRUE(d->isKindOf(Text::desc()));
  char buf[32];
  EXPECT_STREQ("made by name", d->asString(buf, sizeof buf));
  d->release();
  EXPECT_TRUE(Binary::desc().isKindOf(DatumClass::desc()));
}

class DatumStreams : public ::testing::TestWithParam<bool> {};

TEST_P(DatumStreams, StatusesComeBackAsTheSharedOnes) {
  Binary b;
  b.setNull();
  Object* back = testing::roundTrip(b, GetParam());
  EXPECT_EQ(nullStatus(), static_cast<Datum*>(back)->status());
  back->release();

  NilDatum marked;
  marked.setStatus(nullValueStatus());
  back = testing::roundTrip(marked, GetParam());
  ASSERT_TRUE(back->isKindOf(NilDatum::desc()));
  EXPECT_EQ(nullValueStatus()->code(), static_cast<Datum*>(back)->code());
  EXPECT_TRUE(static_cast<Datum*>(back)->isNull());
  back->release();

  back = testing::roundTrip(*nilDatum(), GetParam());
  EXPECT_TRUE(back->isKindOf(NilDatum::desc()));
  EXPECT_EQ(nullStatus(), static_cast<Datum*>(back)->status());
  back->release();
}

// Stores ob through the chosen form at version, reads it back and checks
// that the read went through; the objects the read made are the caller's
// through *in.
std::unique_ptr<OIOin> storeAndRead(const Object& ob, bool binary, int32_t version,
                                    std::stringstream* buffer, Object** back) {
  ob.storeOn(*testing::openOut(*buffer, binary, version));
  std::unique_ptr<OIOin> in = testing::openIn(*buffer, binary);
  *back = in->readObject();
  EXPECT_EQ(0, in->severity()) << in->messageText();
  return in;
}

// Values that share the shared success or null status store it once and refer
// back to it; every reference must find the live shared status.
TEST_P(DatumStreams, ValuesSharingTheSharedStatusesReadBack) {
  for (int32_t version : {-1, 4, 3, 1}) {
    Text x("x"), y("y"), nullOne, nullTwo;
    nullOne.setNull();
    nullTwo.setNull();
    Binary b;
    OrderedCltn c;
    for (Object* ob : std::initializer_list<Object*>{&x, &y, &nullOne, &nullTwo, &b}) c.add(*ob);
    std::stringstream buffer;
    Object* back = nullptr;
    auto in = storeAndRead(c, GetParam(), version, &buffer, &back);
    ASSERT_NE(nil(), back) << "version " << version;
    OrderedCltn* seq = static_cast<OrderedCltn*>(back);
    ASSERT_EQ(5u, seq->size());
    EXPECT_TRUE(seq->at(0)->isEqual(x));
    EXPECT_TRUE(seq->at(1)->isEqual(y));
    EXPECT_EQ(successStatus(), static_cast<Datum*>(seq->at(1))->status());
    EXPECT_EQ(nullStatus(), static_cast<Datum*>(seq->at(2))->status());
    EXPECT_EQ(nullStatus(), static_cast<Datum*>(seq->at(3))->status());
    EXPECT_EQ(successStatus(), static_cast<Datum*>(seq->at(4))->status());
    EXPECT_EQ(6u, in->readTable().size());  // the sequence and its five values
    testing::releaseRead(*in);
  }
}

// Two values holding one error status: it is read once and held by both.
TEST_P(DatumStreams, AnErrorStatusSharedByTwoValuesIsHeldByBoth) {
  Text a("a"), b("b");
  const Status* shared = makeErrorStatus(0x4001000Bu, false, kDatumErrName, "Odd.", 0, false);
  a.setStatus(shared);
  b.setStatus(shared);
  shared->release();
  OrderedCltn c;
  c.add(a);
  c.add(b);
  std::stringstream buffer;
  Object* back = nullptr;
  auto in = storeAndRead(c, GetParam(), -1, &buffer, &back);
  OrderedCltn* seq = static_cast<OrderedCltn*>(back);
  const Status* first = static_cast<Datum*>(seq->at(0))->status();
  EXPECT_EQ(first, static_cast<Datum*>(seq->at(1))->status());
  EXPECT_EQ(2, first->refCount());
  EXPECT_STREQ("Odd.", first->messageText());
  EXPECT_EQ(3u, in->readTable().size());  // the status belongs to its holders
  testing::releaseRead(*in);
}

std::string textRecord(const Class& c, const std::string& fields) {
  return "{" + std::string(c.name()) + " " + std::to_string(c.signature()) + " " + fields;
}

TEST(DatumStreamDamageTest, DamagedValuesFailCleanly) {
  std::string status = textRecord(Status::desc(), "} ");
  struct Case {
    const char* name;
    std::string records;
  } cases[] = {
      // A value whose status refers back to the value while it is being read.
      {"status back to its value",
       textRecord(Text::desc(), textRecord(Set::desc(), "1 @0 } ") + "0 } ")},
      {"status that is no status",
       textRecord(Text::desc(), textRecord(Integer::desc(), "1 } ") + "0 } ")},
      {"text longer than the input", textRecord(Text::desc(), status + "2147483647 x")},
      {"binary capacity without data", textRecord(Binary::desc(), status + "4294967295 0 1 } ")},
      {"binary cut short", textRecord(Binary::desc(), status + "1073741824 4 1 1 2 3 ")},
      {"binary length above capacity", textRecord(Binary::desc(), status + "4 8 1 0 } ")},
  };
  for (const Case& c : cases) {
    for (auto mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      for (bool seekable : {true, false}) {
        testing::DamagedRead r = testing::readDamaged("2 6 \n" + c.records, false, mode, seekable);
        EXPECT_TRUE(r.answeredNil) << c.name;
        EXPECT_GE(r.severity, kError) << c.name;
        EXPECT_EQ(0, r.kept) << c.name;
        EXPECT_TRUE(testing::isReadError(r.error)) << c.name;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Text, DatumStreams, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Binary, DatumStreams, ::testing::Values(true));

}  // namespace
}  // namespace dv
