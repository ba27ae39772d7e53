// Tests of TableInitParser: the documented examples and messages byte for
// byte, value typing, clauses, nested tables, escapes, comments, blank
// lines, and hostile input (deep nesting, long strings, NUL bytes, input
// that ends inside a quote or a comment).
#include "table/TableInitParser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "datum/DateTime.h"
#include "datum/Decimal.h"
#include "datum/Interval.h"
#include "datum/Money.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/Table.h"

namespace dv {
namespace {

struct Parsed {
  Table* table = nullptr;
  const Status* status = nullptr;
  Parsed() = default;
  Parsed(const Parsed&) = delete;
  Parsed& operator=(const Parsed&) = delete;
  ~Parsed() {
    if (table != nullptr) table->release();
  }
  std::string message() const { return status->messageText(); }
  // The class name and text of a cell, as "Class:text".
  std::string cell(int32_t r, int32_t c) const {
    const Datum* d = table->cell(r, c);
    char* s = d->newString();
    std::string out = std::string(d->className()) + ":" + (s != nullptr ? s : "");
    deallocate(s);
    return out;
  }
};

// Parses text; newline makes the newline the row separator.
void parse(Parsed& p, const std::string& text, int noTitleLine = 1, bool skipBlank = false,
           bool newline = false) {
  std::istringstream in(text);
  TableInitParser parser(in, static_cast<uint8_t>(noTitleLine), 0, skipBlank, '(', ')',
                         newline ? '\n' : ';', ',', '"', '\'', '\\', 0, 0);
  p.status = parser.parse(p.table);
  ASSERT_NE(nullptr, p.table);
}

std::string syntax(const char* what, int line, int col, const char* shown) {
  return std::string("Syntax error in parsing a table initializer string: \"") + what +
         "\" near line " + std::to_string(line) + " character " + std::to_string(col) + " '" +
         shown + "'.";
}

std::string format(const char* what, int line, int col, const char* shown) {
  return std::string("Format error in parsing a table initializer string: \"") + what +
         "\" near line " + std::to_string(line) + " character " + std::to_string(col) + " '" +
         shown + "'.";
}

TEST(TableInitParserTest, TitleLineNamesTheColumns) {
  Parsed p;
  parse(p, "a,b;1,2;3,4", 0);
  EXPECT_EQ(successStatus(), p.status);
  ASSERT_EQ(2, p.table->rows());
  ASSERT_EQ(2, p.table->cols());
  EXPECT_STREQ("a", p.table->columnName(0));
  EXPECT_STREQ("b", p.table->columnName(1));
  EXPECT_EQ("Number:1", p.cell(0, 0));
  EXPECT_EQ("Number:4", p.cell(1, 1));
}

TEST(TableInitParserTest, TypesCellsByClassNameAndByTrying) {
  Parsed p;
  parse(p,
        "Text(12),Number(12),0x1F,\"0x1F\",1.5,$5.00,2024-01-02,10:11:12,5 10:00:00,abc,"
        "Decimal(2.50),Interval(1 02:00:00),NilDatum(x),'q'");
  EXPECT_EQ(successStatus(), p.status);
  ASSERT_EQ(1, p.table->rows());
  ASSERT_EQ(14, p.table->cols());
  EXPECT_EQ("Text:12", p.cell(0, 0));
  EXPECT_EQ("Number:12", p.cell(0, 1));
  EXPECT_EQ("Number:31", p.cell(0, 2));
  EXPECT_EQ("Text:0x1F", p.cell(0, 3));
  EXPECT_EQ("Decimal:1.5", p.cell(0, 4));
  EXPECT_STREQ("Money", p.table->cell(0, 5)->className());
  EXPECT_STREQ("DateTime", p.table->cell(0, 6)->className());
  EXPECT_STREQ("DateTime", p.table->cell(0, 7)->className());
  EXPECT_STREQ("Interval", p.table->cell(0, 8)->className());
  EXPECT_EQ("Text:abc", p.cell(0, 9));
  EXPECT_STREQ("Decimal", p.table->cell(0, 10)->className());
  EXPECT_STREQ("Interval", p.table->cell(0, 11)->className());
  EXPECT_EQ(nilDatum(), p.table->cell(0, 12));
  EXPECT_EQ("Text:q", p.cell(0, 13));
}

TEST(TableInitParserTest, BadClassFormsFail) {
  Parsed unknown;
  parse(unknown, "1,Foo(1)");
  EXPECT_EQ(kInitBadClassNameCode, unknown.status->code());
  EXPECT_EQ(
      "Invalid class name \"Foo\" while parsing a table initializer string near line 1, "
      "character 6",
      unknown.message());
  EXPECT_EQ(0, unknown.table->rows());
  EXPECT_EQ(unknown.status, unknown.table->status());
  Parsed open;
  parse(open, "Number(1");
  EXPECT_EQ(syntax("Unbalanced parentheses", 1, 9, "<EOF>"), open.message());
  EXPECT_EQ(kInitSyntaxErrorCode, open.status->code());
  Parsed extra;
  parse(extra, "1)");
  EXPECT_EQ(syntax("Unbalanced parentheses", 1, 2, ")"), extra.message());
  Parsed nullName;
  parse(nullName, "(1)");
  EXPECT_EQ(syntax("Null class name", 1, 1, "("), nullName.message());
  Parsed after;
  parse(after, "Number(1) x,2");
  EXPECT_EQ(syntax("Extra character(s) after value", 1, 12, ","), after.message());
  Parsed money;
  parse(money, "Money(X12)");
  EXPECT_EQ("Invalid monetary unit X12", money.message());
  EXPECT_EQ(kInvalidMonetaryUnitCode, money.status->code());
  // A negative amount is written right after its unit, and reads back typed.
  Parsed negative;
  parse(negative, "Money(\"\\xa4-0.2\"),Money($-5.00),$-5.00");
  EXPECT_EQ(successStatus(), negative.status);
  EXPECT_STREQ("Money", negative.table->cell(0, 0)->className());
  EXPECT_STREQ("Money", negative.table->cell(0, 1)->className());
  EXPECT_EQ("Text:$-5.00", negative.cell(0, 2));
  Parsed number;
  parse(number, "Number(abc)");
  EXPECT_GE(number.status->severity(), kError);
  EXPECT_EQ(0, number.table->cols());
}

TEST(TableInitParserTest, NestedTablesThreeLevelsDeep) {
  Parsed p;
  parse(p, "1,Table(2,Table(3,Table(4;5)));6,7");
  EXPECT_EQ(successStatus(), p.status);
  ASSERT_EQ(2, p.table->rows());
  ASSERT_EQ(2, p.table->cols());
  const AbsTable* t1 = castdown<AbsTable>(p.table->cell(0, 1));
  ASSERT_NE(nullptr, t1);
  const AbsTable* t2 = castdown<AbsTable>(t1->cell(0, 1));
  ASSERT_NE(nullptr, t2);
  const AbsTable* t3 = castdown<AbsTable>(t2->cell(0, 1));
  ASSERT_NE(nullptr, t3);
  EXPECT_EQ(2, t3->rows());
  EXPECT_EQ(1, t3->cols());
  EXPECT_EQ(5, t3->cell(1, 0)->asLong());
  EXPECT_EQ(7, p.table->cell(1, 1)->asLong());
}

TEST(TableInitParserTest, ClausesCountRowsByTheRowSeparator) {
  Parsed lines;
  parse(lines, "Columns(x,y)\n1,2\nTitle(\"tt\")\n3,4\n", 1, false, true);
  EXPECT_EQ(successStatus(), lines.status);
  EXPECT_EQ(2, lines.table->rows());
  EXPECT_EQ(1, lines.table->columnIndex("y"));
  char* title = lines.table->title()->newString();
  EXPECT_STREQ("tt", title);
  deallocate(title);
  Parsed semis;
  parse(semis, "Columns(x,y);1,2;Title(\"tt\");3,4");
  EXPECT_EQ(4, semis.table->rows());
  EXPECT_EQ(nilDatum(), semis.table->cell(0, 0));
  EXPECT_EQ(1, semis.table->cell(1, 0)->asLong());
}

TEST(TableInitParserTest, BlankLinesWithBothRowSeparators) {
  Parsed skipped;
  parse(skipped, "1\n\n2\n/* only a comment */\n", 1, true, true);
  EXPECT_EQ(2, skipped.table->rows());
  Parsed kept;
  parse(kept, "1\n\n2\n/* only a comment */\n", 1, false, true);
  EXPECT_EQ(3, kept.table->rows());
  EXPECT_EQ(nilDatum(), kept.table->cell(1, 0));
  Parsed semis;
  parse(semis, "1;;2;", 1, false);
  EXPECT_EQ(3, semis.table->rows());
  Parsed semisSkipped;
  parse(semisSkipped, "1;;2;", 1, true);
  EXPECT_EQ(2, semisSkipped.table->rows());
}

TEST(TableInitParserTest, EveryEscape) {
  Parsed p;
  parse(p, "\"\\\"\\'\\(\\)\\\\\\b\\n\\r\\t\\x41\\x6a\\101\\q\"");
  EXPECT_EQ(successStatus(), p.status);
  EXPECT_EQ(std::string("Text:\"'()\\\b\n\r\tAjAq"), p.cell(0, 0));
  Parsed hexNull;
  parse(hexNull, "\"\\x00\"");
  EXPECT_EQ(format("Null escape sequence \\x00 not allowed", 1, 5, "0"), hexNull.message());
  EXPECT_EQ(kInitFormatErrorCode, hexNull.status->code());
  Parsed octNull;
  parse(octNull, "\"\\000\"");
  EXPECT_EQ(format("Null escape sequence \\000 not allowed", 1, 5, "0"), octNull.message());
  Parsed badHex;
  parse(badHex, "\"\\x1g\"");
  EXPECT_EQ(format("Invalid escape sequence", 1, 5, "g"), badHex.message());
  Parsed control;
  parse(control, "\"\\x1\x01\"");
  EXPECT_EQ(format("Invalid escape sequence", 1, 5, "\\x01"), control.message());
}

TEST(TableInitParserTest, QuotesAndComments) {
  Parsed nested;
  parse(nested, "/* a /* b */ c */ 1, x /* y */ z");
  EXPECT_EQ(successStatus(), nested.status);
  EXPECT_EQ("Number:1", nested.cell(0, 0));
  EXPECT_EQ("Text:x z", nested.cell(0, 1));
  Parsed open;
  parse(open, "1,/* a /* b */");
  EXPECT_EQ(format("Unbalanced comment enclosure", 1, 15, "<EOF>"), open.message());
  Parsed quotes;
  parse(quotes, "1,\"abc");
  EXPECT_EQ(format("Unbalanced quotes", 1, 7, "<EOF>"), quotes.message());
  Parsed before;
  parse(before, "x\"a\"");
  EXPECT_EQ(format("Extra characters before initial quote", 1, 2, "\""), before.message());
  Parsed after;
  parse(after, "\"a\" x");
  EXPECT_EQ(format("Extra character(s) after closing quote", 1, 5, "x"), after.message());
  Parsed specials;
  parse(specials, "\"a,b;(c)\" , 'say \"hi\"'");
  EXPECT_EQ("Text:a,b;(c)", specials.cell(0, 0));
  EXPECT_EQ("Text:say \"hi\"", specials.cell(0, 1));
}

TEST(TableInitParserTest, InvalidDelimitersAreRefused) {
  std::istringstream in("1");
  TableInitParser parser(in, 1, 0, false, '(', ')', ';', ';', '"', '\'', '\\', 0, 0);
  Table* t = nullptr;
  const Status* st = parser.parse(t);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(kInitBadArgumentCode, st->code());
  EXPECT_EQ(0, t->rows());
  t->release();
  std::istringstream in2("1");
  TableInitParser reserved(in2, 1, 1, false, false);
  st = reserved.parse(t);
  EXPECT_EQ(kInitBadArgumentCode, st->code());
  t->release();
}

TEST(TableInitParserTest, BracesEncloseTheBody) {
  std::istringstream in("ignored, text { 1,2;3,4 } after");
  TableInitParser parser(in, 1, 0, false, true);
  Table* t = nullptr;
  EXPECT_EQ(successStatus(), parser.parse(t));
  EXPECT_EQ(2, t->rows());
  EXPECT_EQ(4, t->cell(1, 1)->asLong());
  t->release();
}

// Hostile input fails with a located status: no deep recursion, no
// unbounded memory, nothing past the end.
TEST(TableInitParserTest, HostileInputFailsCleanly) {
  Parsed deep;
  std::string text;
  for (int i = 0; i < 1000000; ++i) text += "Table(";
  parse(deep, text);
  EXPECT_EQ(kInitSyntaxErrorCode, deep.status->code());
  EXPECT_NE(std::string::npos, deep.message().find("Tables nested too deeply"));
  Parsed comments;
  std::string many;
  for (int i = 0; i < 1000000; ++i) many += "/*";
  parse(comments, many);
  EXPECT_NE(std::string::npos, comments.message().find("Unbalanced comment enclosure"));
  Parsed huge;
  parse(huge, "\"" + std::string(TableInitParser::kMaxTokenLength + 10, 'a') + "\"");
  EXPECT_EQ(kInitFormatErrorCode, huge.status->code());
  Parsed nul;
  parse(nul, std::string("a\0b,\"c\0d\"", 9));
  EXPECT_EQ(successStatus(), nul.status);
  EXPECT_EQ(2, nul.table->cols());
  EXPECT_EQ("Text:a", nul.cell(0, 0));
  Parsed eofEscape;
  parse(eofEscape, "\"ab\\");
  EXPECT_EQ(format("Invalid escape sequence", 1, 5, "<EOF>"), eofEscape.message());
}

// Every allocation of a parse fails in turn: no crash, no leak, and a
// failed parse leaves an empty table.
TEST(TableInitParserTest, OutOfMemoryAtEveryAllocation) {
  AllocationFailureScope scope;
  for (uint64_t n = 1;; ++n) {
    AllocationControl::reset();
    AllocationControl::failNth(n);
    Parsed p;
    std::istringstream in("a,b;\"x\",Table(1,2);3,Decimal(4.5)");
    TableInitParser parser(in, 0, 0, false, false);
    p.status = parser.parse(p.table);
    bool failed = AllocationControl::failures() > 0;
    AllocationControl::reset();
    if (!failed) {
      EXPECT_EQ(successStatus(), p.status);
      ASSERT_NE(nullptr, p.table);
      EXPECT_EQ(2, p.table->rows());
      EXPECT_GT(n, 10u);
      break;
    }
    if (p.table != nullptr && p.status->severity() >= kError) {
      EXPECT_EQ(0, p.table->cols()) << n;
    }
  }
}

}  // namespace
}  // namespace dv
