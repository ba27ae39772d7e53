// Tests of the driver's text helpers: cutting at character boundaries and the
// bits of SQL lexing the driver relies on.
#include "dci/SqlText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace dci {
namespace {

TEST(CopyTextTest, FitsOrCutsAndAlwaysTerminates) {
  char buf[6];
  EXPECT_FALSE(copyText("hello", 5, buf, sizeof buf));
  EXPECT_STREQ("hello", buf);
  EXPECT_TRUE(copyText("hello!", 6, buf, sizeof buf));
  EXPECT_STREQ("hello", buf);
  EXPECT_TRUE(copyText("x", 1, buf, 1));
  EXPECT_STREQ("", buf);
}

TEST(CopyTextTest, ZeroBufferWritesNothingAndNullBufferAsksForLengthOnly) {
  char buf[2] = {'#', '#'};
  EXPECT_TRUE(copyText("", 0, buf, 0));  // not even the terminator fits
  EXPECT_EQ('#', buf[0]);
  EXPECT_FALSE(copyText("abc", 3, nullptr, 10));
}

TEST(CopyTextTest, NeverSplitsAUtf8Character) {
  // "é" is two bytes, "€" three, "😀" four.
  const std::string text =
      "ab\xC3\xA9"
      "\xE2\x82\xAC"
      "\xF0\x9F\x98\x80";
  char buf[16];
  bool cut = false;
  EXPECT_EQ(2u, copyTextPart(text.data(), text.size(), buf, 4, &cut));  // room 3: "ab" + half of é
  EXPECT_TRUE(cut);
  EXPECT_EQ(4u, copyTextPart(text.data(), text.size(), buf, 5, &cut));  // "abé"
  EXPECT_EQ(4u, copyTextPart(text.data(), text.size(), buf, 7, &cut));  // € needs 3
  EXPECT_EQ(7u, copyTextPart(text.data(), text.size(), buf, 8, &cut));
  EXPECT_EQ(7u, copyTextPart(text.data(), text.size(), buf, 11, &cut));
  EXPECT_EQ(11u, copyTextPart(text.data(), text.size(), buf, 12, &cut));
  EXPECT_FALSE(cut);
}

TEST(CopyTextTest, MalformedUtf8IsCutWhereTheLimitFalls) {
  const std::string stray = "abc\x80\x80\x80\x80";  // continuation bytes without a lead
  EXPECT_EQ(5u, utf8CutPoint(stray.data(), stray.size(), 5));
  const std::string latin1 = "caf\xE9 au lait";  // a lead byte followed by a blank
  EXPECT_EQ(4u, utf8CutPoint(latin1.data(), latin1.size(), 4));
}

bool only(const char* text) {
  return onlyTerminators(text, text + std::strlen(text));
}

TEST(StatementTailTest, TerminatorsCommentsAndFurtherStatements) {
  EXPECT_TRUE(only(""));
  EXPECT_TRUE(only(" ; ;\n\t"));
  EXPECT_TRUE(only("-- trailing comment"));
  EXPECT_TRUE(only("; /* block */ -- line\n;"));
  EXPECT_TRUE(only("/* unterminated"));
  EXPECT_FALSE(only("; select 2"));
  EXPECT_FALSE(only("-- comment\nselect 2"));
  EXPECT_FALSE(only("/* a */ x"));
  EXPECT_FALSE(only("-"));
}

bool dataChange(const char* text) {
  return isDataChangeStatement(text, std::strlen(text));
}

TEST(StatementKindTest, FirstKeywordAfterSpaceAndComments) {
  EXPECT_TRUE(dataChange("insert into t values (1)"));
  EXPECT_TRUE(dataChange("  /* why */ -- note\n\tDELETE FROM t"));
  EXPECT_TRUE(dataChange("Update t set a = 1"));
  EXPECT_TRUE(dataChange("replace into t values (1)"));
  EXPECT_FALSE(dataChange("insertx"));
  EXPECT_FALSE(dataChange("select 1"));
  EXPECT_FALSE(dataChange("create table deleted (a)"));
  EXPECT_FALSE(dataChange(""));
}

std::string rewrite(const char* sql, SqlDialect dialect = SqlDialect::kSqlite) {
  std::string out;
  rewriteEmptyStrings(sql, std::strlen(sql), dialect, &out);
  return out;
}

std::string rewritePg(const char* sql) {
  return rewrite(sql, SqlDialect::kPostgres);
}

TEST(EmptyStringRewriteTest, ReplacesOnlyEmptyStringLiterals) {
  EXPECT_EQ("insert into t values (NULL, 'a', NULL)",
            rewrite("insert into t values ('', 'a', '')"));
  EXPECT_EQ("select 'it''s', NULL", rewrite("select 'it''s', ''"));
  EXPECT_EQ("select ''''", rewrite("select ''''"));          // a string holding one quote
  EXPECT_EQ("select x'', X''", rewrite("select x'', X''"));  // empty blobs stay
  EXPECT_EQ("select max NULL", rewrite("select max''"));
  EXPECT_EQ("select NULL as a", rewrite("select''as a"));
  EXPECT_EQ("select NULL ", rewrite("select'' "));
}

TEST(EmptyStringRewriteTest, LeavesIdentifiersAndCommentsAlone) {
  EXPECT_EQ("select \"''\", [''], `''` -- ''\n/* '' */",
            rewrite("select \"''\", [''], `''` -- ''\n/* '' */"));
  EXPECT_EQ("select 'unterminated ''", rewrite("select 'unterminated ''"));
  std::string out;
  EXPECT_FALSE(rewriteEmptyStrings("select 1", 8, SqlDialect::kSqlite, &out));
  EXPECT_EQ("select 1", out);
}

TEST(EmptyStringRewriteTest, PostgresLiteralForms) {
  EXPECT_EQ("select NULL, NULL, NULL, NULL", rewritePg("select E'', n'', U&'', ''"));
  EXPECT_EQ("select NULL, 'x'", rewritePg("select $$$$, 'x'"));
  EXPECT_EQ("select $t$ '' $t$, NULL", rewritePg("select $t$ '' $t$, $a$$a$"));
  // A backslash escapes the quote inside E'..': the string does not end early.
  EXPECT_EQ("select E'\\'', NULL", rewritePg("select E'\\'', ''"));
  EXPECT_EQ("select E'it\\'s', NULL", rewritePg("select E'it\\'s', ''"));
  EXPECT_EQ("select B'', X'', $1", rewritePg("select B'', X'', $1"));
  EXPECT_EQ("select \"''\" from a[1]", rewritePg("select \"''\" from a[1]"));
  EXPECT_EQ("select NULL::text", rewritePg("select ''::text"));
}

}  // namespace
}  // namespace dci
