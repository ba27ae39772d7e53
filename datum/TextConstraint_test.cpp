// Tests of TextConstraint: the values it makes, similarity by length, the
// bounded append, its text form, the conversion through check and the
// stored form.
#include "datum/TextConstraint.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/OIOStreams.h"
#include "object/Registry.h"
#include "status/Status.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

using testing::roundTrip;

// A constraint of another class, for the comparisons that must refuse it.
class OtherConstraint : public DatumConstraint {
 public:
  const Class* isA() const override { return &DatumConstraint::desc(); }
  int16_t similarity(const DatumConstraint&) const override { return 0; }
  Datum* newDatum(const char*, const char*) const override { return nullptr; }
  Datum* newEmpty() const override { return nullptr; }
  int typeCode() const override { return 0; }
  Object* shallowCopy() const override { return nullptr; }
  uint32_t hash() const override { return 0; }
  void printOn(std::ostream& out) const override { out << "Other"; }
};

TEST(TextConstraintTest, NewDatumCutsToTheMaximumLength) {
  TextConstraint three(3);
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), three.newDatum(""));
  EXPECT_EQ(static_cast<Datum*>(nilDatum()), three.newDatum(nullptr));

  Datum* cut = three.newDatum("abcdef");
  ASSERT_TRUE(cut->isKindOf(Text::desc()));
  EXPECT_STREQ("abc", static_cast<Text*>(cut)->chars());
  EXPECT_EQ(static_cast<const Status*>(textTruncatedStatus()), cut->status());
  EXPECT_FALSE(cut->isNull());
  cut->release();

  Datum* fits = three.newDatum("abc");
  EXPECT_STREQ("abc", static_cast<Text*>(fits)->chars());
  EXPECT_EQ(successStatus(), fits->status());
  fits->release();

  // No maximum: only the limit of a Text holds.
  Datum* whole = TextConstraint().newDatum("a long enough text");
  EXPECT_STREQ("a long enough text", static_cast<Text*>(whole)->chars());
  EXPECT_EQ(successStatus(), whole->status());
  whole->release();
}

TEST(TextConstraintTest, SimilarityByTheDistanceOfTheLengths) {
  EXPECT_EQ(100, TextConstraint(10).similarity(TextConstraint(10)));
  EXPECT_EQ(100, TextConstraint().similarity(TextConstraint()));
  EXPECT_EQ(33, TextConstraint(10).similarity(TextConstraint(20)));   // (30 - 20) * 100 / 30
  EXPECT_EQ(1, TextConstraint(10).similarity(TextConstraint(30)));    // 0 is made 1
  EXPECT_EQ(-96, TextConstraint(1).similarity(TextConstraint(100)));  // (101 - 198) * 100 / 101
  EXPECT_EQ(-100, TextConstraint(0).similarity(TextConstraint(4000000000u)));
  EXPECT_EQ(100, TextConstraint(4000000000u).similarity(TextConstraint(4000000000u)));
  EXPECT_EQ(0, TextConstraint(10).similarity(OtherConstraint()));
}

TEST(TextConstraintTest, EqualityTextFormAndInterface) {
  TextConstraint twelve(12);
  EXPECT_TRUE(twelve.isEqual(TextConstraint(12)));
  EXPECT_FALSE(twelve.isEqual(TextConstraint(13)));
  EXPECT_FALSE(twelve.isEqual(Text("12")));
  EXPECT_FALSE(twelve.isEqual(OtherConstraint()));
  EXPECT_EQ(0, twelve.compare(TextConstraint(12)));
  EXPECT_EQ(TextConstraint(12).hash(), twelve.hash());

  std::ostringstream print;
  twelve.printOn(print);
  EXPECT_EQ("Text Constraints: maxLength=12", print.str());
  char buf[64];
  EXPECT_STREQ("Text Constraints: maxLength=12", twelve.asString(buf, sizeof buf));

  EXPECT_EQ(9, twelve.typeCode());
  EXPECT_EQ(12u, twelve.maxLength());
  EXPECT_EQ(0, twelve.precision());
  EXPECT_EQ(0, twelve.scale());
  EXPECT_EQ(20, twelve.streamTypeNumber());
  Object* proto = prototype(kStreamTextConstraint);
  ASSERT_TRUE(proto->isKindOf(TextConstraint::desc()));
  EXPECT_EQ(0u, static_cast<TextConstraint*>(proto)->maxLength());
  Object* fresh = twelve.newForStream();
  EXPECT_TRUE(fresh->isEqual(TextConstraint()));
  fresh->release();
  Datum* empty = twelve.newEmpty();
  EXPECT_TRUE(empty->isEqual(TextConstraint()));
  empty->release();
  Object* copy = twelve.shallowCopy();
  EXPECT_TRUE(copy->isEqual(twelve));
  copy->release();
  EXPECT_TRUE(TextConstraint::desc().isKindOf(DatumClass::desc()));
  EXPECT_EQ(nullptr, static_cast<const DatumClass&>(TextConstraint::desc()).fromString());
}

TEST(TextConstraintTest, AppendStopsAtTheMaximumLength) {
  TextConstraint five(5);
  Text t("abc");
  five.appendTo(t, "d");
  EXPECT_STREQ("abcd", t.chars());
  EXPECT_EQ(successStatus(), t.status());
  five.appendTo(t, "efg");
  EXPECT_STREQ("abcde", t.chars());
  EXPECT_EQ(static_cast<const Status*>(textTruncatedStatus()), t.status());
  Text longer("abcdefgh");
  five.appendTo(longer, "x");
  EXPECT_STREQ("abcdefgh", longer.chars());
  EXPECT_EQ(static_cast<const Status*>(textTruncatedStatus()), longer.status());
  Text unbounded("abc");
  TextConstraint().appendTo(unbounded, "defghij");
  EXPECT_STREQ("abcdefghij", unbounded.chars());
  EXPECT_EQ(successStatus(), unbounded.status());
}

TEST(TextConstraintTest, CheckConvertsAValueToTheConstrainedText) {
  TextConstraint three(3);
  Text* in = nullptr;
  Datum* converted = nullptr;
  Text* out = nullptr;
  const Status* st = three.check(Text("abcdef"), &in, &converted, &out);
  EXPECT_EQ(static_cast<const Status*>(textTruncatedStatus()), st);
  ASSERT_NE(nullptr, in);
  ASSERT_NE(nullptr, converted);
  ASSERT_NE(nullptr, out);
  EXPECT_STREQ("abcdef", in->chars());
  EXPECT_STREQ("abc", static_cast<Text*>(converted)->chars());
  EXPECT_STREQ("abc", out->chars());
  st->release();
  in->release();
  converted->release();
  out->release();
}

TEST(TextConstraintTest, ReadsBackFromBothStreamForms) {
  for (bool binary : {false, true}) {
    for (uint32_t maxLength : {0u, 40u, 4000000000u}) {
      SCOPED_TRACE(std::to_string(maxLength) + (binary ? " binary" : " text"));
      TextConstraint c(maxLength);
      Object* back = roundTrip(c, binary);
      ASSERT_TRUE(back->isKindOf(TextConstraint::desc()));
      EXPECT_EQ(maxLength, static_cast<TextConstraint*>(back)->maxLength());
      EXPECT_EQ(successStatus(), static_cast<TextConstraint*>(back)->status());
      back->release();
    }
  }
  std::stringstream buffer;
  {
    TextOIOout out(buffer);
    TextConstraint(77).storeOn(out);
  }
  EXPECT_NE(std::string::npos, buffer.str().find("} 77 } ")) << buffer.str();
}

}  // namespace
}  // namespace dv
