// Tests of the external file value and its column type: what makes it
// external, its printed and stored forms, and the path bound.
#include "datum/ExtDatumFile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

std::string printed(const Object& ob) {
  std::ostringstream out;
  ob.printOn(out);
  return out.str();
}

TEST(ExtDatumFileTest, IsAnExternalTextWithItsOwnIdent) {
  ExtDatumFile f("/srv/files/report.pdf");
  EXPECT_TRUE(f.isExternal());
  EXPECT_EQ(-1000, f.kind());
  EXPECT_EQ(9, f.typeCode());
  EXPECT_TRUE(f.isKindOf(Text::desc()));
  EXPECT_STREQ("ExtDatumFile QRK 920804", ExtDatumFile::desc().ident());
  EXPECT_STREQ(Class::kIdent, Text::desc().ident());
  EXPECT_STREQ("/srv/files/report.pdf", f.path());
  char buf[64];
  EXPECT_STREQ("/srv/files/report.pdf", f.asString(buf, sizeof buf));
  EXPECT_EQ("<ExtDatumFile,pathname=/srv/files/report.pdf>", printed(f));
  EXPECT_TRUE(ExtDatumFile().isNull());
  EXPECT_FALSE(f.isNull());
  // Same path, other class: never equal to the plain text.
  Text t("/srv/files/report.pdf");
  EXPECT_FALSE(f.isEqual(t));
  EXPECT_FALSE(t.isEqual(f));
  EXPECT_EQ(-1, f.compareKind(t));
  EXPECT_EQ(-1, f.streamTypeNumber());
}

TEST(ExtDatumFileTest, ConstraintMakesFilesWithinTheBound) {
  ExtDatumFileConstraint bounded(8);
  EXPECT_EQ(nilDatum(), bounded.newDatum(""));
  EXPECT_EQ(nilDatum(), bounded.newDatum(nullptr));

  Datum* d = bounded.newDatum("/a/b.txt");
  ASSERT_NE(nullptr, d);
  EXPECT_TRUE(d->isKindOf(ExtDatumFile::desc()));
  EXPECT_EQ(successStatus(), d->status());
  d->release();

  d = bounded.newDatum("/a/b/c.txt");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(textTruncatedStatus(), d->status());
  EXPECT_STREQ("/a/b/c.t", static_cast<ExtDatumFile*>(d)->path());
  d->release();

  ExtDatumFileConstraint unbounded;
  d = unbounded.newDatum(std::string(500, 'p').c_str());
  EXPECT_EQ(500, static_cast<ExtDatumFile*>(d)->length());
  d->release();

  EXPECT_EQ("External File Constraints: maxPathLength=8", printed(bounded));
  EXPECT_EQ(8u, bounded.maxLength());
  EXPECT_EQ(100, bounded.similarity(ExtDatumFileConstraint(8)));
  EXPECT_EQ(50, bounded.similarity(unbounded));
  EXPECT_TRUE(bounded.isEqual(ExtDatumFileConstraint(8)));
  EXPECT_FALSE(bounded.isEqual(unbounded));
  char buf[8] = "x";
  ExtDatumFile f("/x/y");
  EXPECT_STREQ("", bounded.format(f, buf, sizeof buf));
}

TEST(ExtDatumFileTest, ConstraintCheckHandsTheFileOnUnconverted) {
  ExtDatumFileConstraint c(4);
  ExtDatumFile& f = *new ExtDatumFile("/longer/than/four");
  Datum* converted = nullptr;
  EXPECT_EQ(successStatus(), c.check(f, nullptr, &converted, nullptr));
  EXPECT_EQ(&f, converted);
  converted->release();
  f.release();
}

class ExtDatumFileStreams : public ::testing::TestWithParam<bool> {};

TEST_P(ExtDatumFileStreams, RoundTrip) {
  ExtDatumFile f("/home/user/pictures/holiday 2026.jpg");
  Object* back = testing::roundTrip(f, GetParam());
  ASSERT_TRUE(back->isSpecies(ExtDatumFile::desc()));
  EXPECT_STREQ(f.path(), static_cast<ExtDatumFile*>(back)->path());
  EXPECT_TRUE(static_cast<ExtDatumFile*>(back)->isExternal());
  EXPECT_TRUE(f.isEqual(*back));
  back->release();

  back = testing::roundTrip(ExtDatumFile(), GetParam());
  EXPECT_TRUE(static_cast<ExtDatumFile*>(back)->isNull());
  back->release();

  ExtDatumFileConstraint c(260);
  back = testing::roundTrip(c, GetParam());
  ASSERT_TRUE(back->isSpecies(ExtDatumFileConstraint::desc()));
  EXPECT_EQ(260, static_cast<ExtDatumFileConstraint*>(back)->maxPathLength());
  EXPECT_TRUE(c.isEqual(*back));
  back->release();
}

INSTANTIATE_TEST_SUITE_P(Text, ExtDatumFileStreams, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Binary, ExtDatumFileStreams, ::testing::Values(true));

}  // namespace
}  // namespace dv
