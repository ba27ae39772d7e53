// Tests of the table dump: its exact layout, the null cases, the string
// writer, and the round trip through the initializer parser as a property
// over random tables of every value class the parser knows.
#include "table/TableDump.h"

#include <gtest/gtest.h>

#include <random>
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
#include "table/TableInitParser.h"

namespace dv {
namespace {

std::string dump(const AbsTable* t, const char* format, int32_t options) {
  std::ostringstream out;
  Text f(format);
  Number o(options);
  dumpTable(t, out, format != nullptr ? &f : nullptr, &o);
  return out.str();
}

TEST(TableDumpTest, HeaderTitlesAndRowsExactly) {
  Table t;
  ASSERT_EQ(successStatus(), t.setTitle("My (title)"));
  ASSERT_EQ(successStatus(), t.setCell(0, 0, "a\"b\\c\n\x01"));
  ASSERT_EQ(successStatus(), t.setCell(0, 1, 42));
  Decimal* d = new Decimal("2.5", nullptr);
  ASSERT_EQ(successStatus(), t.setCell(1, 0, d));
  d->release();
  ASSERT_EQ(successStatus(), t.addColumnName(0, "x"));
  ASSERT_EQ(successStatus(), t.addColumnName(0, "y"));
  ASSERT_EQ(successStatus(), t.addColumnName(1, "z"));
  EXPECT_EQ(
      "Title(\"My \\(title\\)\")\n"
      "/*\n"
      "Type: Table(2 rows, 2 cols)\n"
      "Column Attributes:\n"
      "\"x\": Aliases: \"y\"\n"
      "Note: The first line is the column titles.\n"
      "*/\n"
      "\"x\",\"z\"\n"
      "\"a\\\"b\\\\c\\n\\x01\",42\n"
      "Decimal(2.5),\n",
      dump(&t, nullptr, kDumpHeader));
  EXPECT_EQ("\"x\";\"z\";\r\n\"a\\\"b\\\\c\\n\\x01\";42;\r\nDecimal(2.5);;\r\n",
            dump(&t, ";;", kDumpCrLf));
  EXPECT_EQ("\"a\\\"b\\\\c\\n\\x01\"|42\r\nDecimal(2.5)|\r\n",
            dump(&t, "|", kDumpCrLf | kDumpNoTitles));
}

TEST(TableDumpTest, NullAndEmptyTables) {
  EXPECT_EQ("\n", dump(nullptr, nullptr, 0));
  EXPECT_EQ("/* The table pointer is NULL */\n", dump(nullptr, nullptr, kDumpHeader));
  std::ostringstream out;
  EXPECT_EQ(0, dumpTable(nullptr, out));
  Table empty;
  EXPECT_EQ("\n/* The table has no cells */\n", dump(&empty, nullptr, 0));
  AbsTable* copy = nullptr;
  EXPECT_EQ(1, dumpTable(&empty, out, nullptr, nullptr, &copy));
  EXPECT_EQ(&empty, copy);
}

TEST(TableDumpTest, NestedTablesAndStatuses) {
  Table outer;
  Table* inner = new Table;
  ASSERT_EQ(successStatus(), inner->setCell(0, 0, 7));
  ASSERT_EQ(successStatus(), inner->addColumnName(0, "n"));
  ASSERT_EQ(successStatus(), outer.setCell(0, 0, inner));
  inner->release();
  ASSERT_EQ(successStatus(), outer.addColumnName(0, "col"));
  EXPECT_EQ(
      "/*\n"
      "Type: Table(1 rows, 1 cols)\n"
      "Note: The first line is the column titles.\n"
      "*/\n"
      "\"col\";\n"
      "Table(/*\n"
      "    Implied Title: Contents of col column, row 0\n"
      "    Type: Table(1 rows, 1 cols)\n"
      "    Note: The first line is the column titles.\n"
      "    */\n"
      "    \"n\";\n"
      "    7;\n"
      ");\n",
      dump(&outer, ",;", kDumpHeader));
  EXPECT_EQ("\"col\";\nTable(    \"n\";\n    7;\n);\n", dump(&outer, ",;", kDumpNestedPlain));
  ASSERT_EQ(successStatus(), outer.setRowStatus(0, outOfMemoryStatus()));
  std::string withStatus = dump(&outer, ",;", kDumpStatuses | kDumpNoTitles);
  EXPECT_EQ(0u, withStatus.find("/* Row Status: Facility: MEMERR"));
}

TEST(TableDumpTest, ColumnAttributeWords) {
  Table t(1, 1);
  std::ostringstream out;
  EXPECT_EQ(1, dumpColumnAttributes(t, 0, out));
  EXPECT_EQ("INSERT/UPDATABLE SEARCHABLE <nil>", out.str());
}

// Random tables for the round trip.
class RandomTables {
 public:
  explicit RandomTables(uint32_t seed) : random_(seed) {}

  Table* table(int depth) {
    int32_t rows = 1 + pick(4), cols = 1 + pick(4);
    Table* t = new Table(rows, cols);
    if (pick(2) == 0) {
      std::string title = text();
      if (!title.empty()) (void)t->setTitle(title.c_str());
    }
    for (int32_t c = 0; c < cols; ++c) {
      std::string name = text();
      if (!name.empty() && pick(3) != 0) (void)t->addColumnName(c, name.c_str());
    }
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < cols; ++c) {
        Datum* d = value(depth);
        EXPECT_EQ(0, d->severity()) << d->className();
        (void)t->setCell(r, c, d);
        d->release();
      }
    }
    return t;
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

  // Texts with the characters that the dump must escape or quote.
  std::string text() {
    static const char* const pieces[] = {
        "a",    "Z",    "0",  " ",     "\"", "'",  "\\", ",", ";",        "(",
        ")",    "\n",   "\t", "\r",    "/*", "*/", "{",  "}", "\xC3\xA9", "\xE2\x82\xAC",
        "\x7F", "\x01", "x",  "Table("};
    std::string s;
    int n = pick(8);
    for (int i = 0; i < n; ++i) s += pieces[pick(sizeof pieces / sizeof pieces[0])];
    return s;
  }

  Datum* value(int depth) {
    char buf[64];
    switch (pick(depth < 2 ? 9 : 8)) {
      case 0:
        return new Text(text().c_str());
      case 1:
        return new Number(static_cast<int32_t>(random_()));
      case 2:
        return new Number(static_cast<double>(static_cast<int32_t>(random_() % 100000)) / 8.0);
      case 3:
        std::snprintf(buf, sizeof buf, "%d.%02d", pick(100000) - 50000, pick(100));
        return new Decimal(buf, nullptr, 38, 0, 2, 128, 0);
      case 4: {
        // Every unit the parser knows, negative amounts included.
        static const char* const units[] = {"$", "F", "\xa3", "\xa4", "\xa5", "AUS$", "DM"};
        std::snprintf(buf, sizeof buf, "%s %d.%02d", units[pick(7)], pick(100000) - 50000,
                      pick(100));
        return new Money(buf, nullptr, 38, 0, 2, 128, 0);
      }
      case 5: {
        // The three qualifiers the parser tries: year to day, hour to
        // second, year to second.
        int kind = pick(3);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", 1900 + pick(200),
                      1 + pick(12), 1 + pick(28), pick(24), pick(60), pick(60));
        if (kind == 0) return new DateTime(std::string(buf, 10).c_str(), "standard", 1, 3, 0);
        if (kind == 1) return new DateTime(buf + 11, "standard", 4, 6, 0);
        return new DateTime(buf, "standard", 1, 6, 0);
      }
      case 6:
        std::snprintf(buf, sizeof buf, "%d %02d:%02d:%02d", pick(300), pick(24), pick(60),
                      pick(60));
        return new Interval(buf, nullptr, 13, 3, 6);
      case 7:
        return nilDatum();
      default:
        return table(depth + 1);
    }
  }

  std::mt19937 random_;
};

std::string textForm(const Datum& d) {
  char* s = d.newString();
  std::string out = s != nullptr ? s : "";
  deallocate(s);
  return out;
}

// The first difference between two tables, or "".
std::string difference(const AbsTable& a, const AbsTable& b, const std::string& at) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) {
    return at + ": shape " + std::to_string(a.rows()) + "x" + std::to_string(a.cols()) +
           " against " + std::to_string(b.rows()) + "x" + std::to_string(b.cols());
  }
  if (textForm(*a.title()) != textForm(*b.title())) return at + ": title";
  for (int32_t c = 0; c < a.cols(); ++c) {
    const char* x = a.columnName(c);
    const char* y = b.columnName(c);
    if ((x == nullptr) != (y == nullptr) || (x != nullptr && std::string(x) != y))
      return at + ": name of column " + std::to_string(c);
  }
  for (int32_t r = 0; r < a.rows(); ++r) {
    for (int32_t c = 0; c < a.cols(); ++c) {
      const Datum* x = a.cell(r, c);
      const Datum* y = b.cell(r, c);
      std::string where = at + " (" + std::to_string(r) + "," + std::to_string(c) + ")";
      if (x->isA() != y->isA()) {
        return where + ": " + x->className() + " " + textForm(*x) + " against " + y->className() +
               " " + textForm(*y);
      }
      if (x->isKindOf(AbsTable::desc())) {
        std::string d =
            difference(*static_cast<const AbsTable*>(x), *static_cast<const AbsTable*>(y), where);
        if (!d.empty()) return d;
      } else if (x->compare(*y) != 0) {
        return where + ": " + textForm(*x) + " against " + textForm(*y);
      }
    }
  }
  return "";
}

// Dumped with the semicolon as row separator and without status comments,
// every table reads back through the parser cell by cell, names and title
// included.
TEST(TableDumpTest, RoundTripThroughTheParser) {
  RandomTables random(20261208);
  for (int i = 0; i < 400; ++i) {
    Table* t = random.table(0);
    std::string text = dump(t, ",;", kDumpHeader);
    std::istringstream in(text);
    TableInitParser parser(in, 0, 0, false, false);
    Table* back = nullptr;
    const Status* st = parser.parse(back);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(0, st->severity()) << st->messageText() << "\n" << text;
    std::string d = difference(*t, *back, "table");
    EXPECT_EQ("", d) << text;
    t->release();
    back->release();
    if (!d.empty() || st->severity() != 0) break;
  }
}

}  // namespace
}  // namespace dv
