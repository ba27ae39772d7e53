// Tests of Table and NameCltn: the edge cases of shape changes, names and
// copy on write, searches, sorting, replacing, duplicates, printing, and the
// stored forms with damaged input refused.
#include "table/Table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/OIOStreams.h"
#include "table/NameCltn.h"
#include "table/TableStatus.h"
#include "tests/support/DamagedRead.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace {

// A table of texts from rows of words ("" leaves the cell nil).
Table* tableOf(const std::vector<std::vector<const char*>>& rows) {
  Table* t = new Table;
  for (int32_t r = 0; r < static_cast<int32_t>(rows.size()); ++r) {
    for (int32_t c = 0; c < static_cast<int32_t>(rows[r].size()); ++c) {
      if (*rows[r][c] != '\0') {
        EXPECT_EQ(successStatus(), t->setCell(r, c, rows[r][c]));
      }
    }
  }
  return t;
}

// The texts of a table, row by row, "." for a nil cell.
std::string textsOf(const AbsTable& t) {
  std::string s;
  for (int32_t r = 0; r < t.rows(); ++r) {
    if (r > 0) s += "|";
    for (int32_t c = 0; c < t.cols(); ++c) {
      const Datum* d = t.cell(r, c);
      if (c > 0) s += " ";
      if (d == nilDatum()) {
        s += ".";
      } else {
        std::ostringstream out;
        d->printOn(out);
        s += out.str();
      }
    }
  }
  return s;
}

std::string namesOf(const AbsTable& t) {
  std::string s;
  const NameCltn& n = *t.columnNames();
  for (int32_t i = 0; i < static_cast<int32_t>(n.size()); ++i) {
    s +=
        (i > 0 ? " " : "") + std::string(n.nameAt(i).chars()) + "=" + std::to_string(n.columnAt(i));
  }
  return s;
}

// Shape

TEST(TableShapeTest, CellsOutsideTheGridOrWithoutAnArrayAreTheNilDatum) {
  Table t(2, 2);
  EXPECT_EQ(nilDatum(), t.cell(-1, 0));
  EXPECT_EQ(nilDatum(), t.cell(2, 0));
  EXPECT_EQ(nilDatum(), t.cell(0, 2));
  EXPECT_EQ(nilDatum(), t.cell(0, "no such name"));
  Table sized(3, 0);  // sizes set, no cells
  EXPECT_EQ(3, sized.rows());
  EXPECT_FALSE(sized.hasCells());
  EXPECT_EQ(nilDatum(), sized.cell(1, 0));
  Table refused(-1, 4);
  EXPECT_EQ(0, refused.rows());
  EXPECT_EQ(0, refused.cols());
  EXPECT_EQ(tableResizeFailedStatus(), refused.status());
}

TEST(TableShapeTest, SetCellGrowsAnEmptyTableAndNullStoresNil) {
  Table t;
  Text v("v");
  ASSERT_EQ(successStatus(), t.setCell(5, 7, &v));
  EXPECT_EQ(6, t.rows());
  EXPECT_EQ(8, t.cols());
  EXPECT_EQ(&v, t.cell(5, 7));
  EXPECT_EQ(nilDatum(), t.cell(0, 0));
  EXPECT_EQ(nilDatum(), t.cell(5, 6));
  ASSERT_EQ(successStatus(), t.setCell(5, 7, static_cast<Datum*>(nullptr)));
  EXPECT_EQ(nilDatum(), t.cell(5, 7));
  EXPECT_EQ(tableBoundsStatus(), t.setCell(-1, 0, &v));
  EXPECT_EQ(tableBoundsStatus(), t.setCell(INT32_MAX, 0, &v));
  EXPECT_EQ(6, t.rows());
  ASSERT_EQ(successStatus(), t.setCell(0, 0, int32_t{42}));
  EXPECT_EQ(42, t.cell(0, 0)->asLong());
  EXPECT_EQ(kTypeTable, t.typeCode());
}

TEST(TableShapeTest, ResizeKeepsTheTopLeftBlockAndRefusesNegativeSizes) {
  Table* t = tableOf({{"a", "b", "c", "d", "e"},
                      {"f", "g", "h", "i", "j"},
                      {"k", "l", "m", "n", "o"},
                      {"p", "q", "r", "s", "t"}});
  ASSERT_EQ(successStatus(), t->resize(2, 3));
  EXPECT_EQ("a b c|f g h", textsOf(*t));
  EXPECT_EQ(tableBoundsStatus(), t->resize(-1, 2));
  EXPECT_EQ("a b c|f g h", textsOf(*t));
  ASSERT_EQ(successStatus(), t->resize(3, 4));
  EXPECT_EQ("a b c .|f g h .|. . . .", textsOf(*t));
  ASSERT_EQ(successStatus(), t->resize(0, 5));
  EXPECT_EQ(0, t->rows());
  EXPECT_EQ(5, t->cols());
  EXPECT_FALSE(t->hasCells());
  t->release();
}

TEST(TableShapeTest, InsertsAppendAtTheEndAndShiftInTheMiddle) {
  Table* t = tableOf({{"a", "b"}, {"c", "d"}});
  ASSERT_EQ(successStatus(), t->addColumnName(0, "first"));
  ASSERT_EQ(successStatus(), t->addColumnName(1, "second"));
  ASSERT_EQ(successStatus(), t->insertRows(t->rows(), 2));
  EXPECT_EQ("a b|c d|. .|. .", textsOf(*t));
  ASSERT_EQ(successStatus(), t->insertColumns(t->cols(), 2));
  EXPECT_EQ("a b . .|c d . .|. . . .|. . . .", textsOf(*t));
  EXPECT_EQ("first=0 second=1", namesOf(*t));
  ASSERT_EQ(successStatus(), t->insertColumns(1, 1));
  EXPECT_EQ("a . b . .|c . d . .|. . . . .|. . . . .", textsOf(*t));
  EXPECT_EQ("first=0 second=2", namesOf(*t));
  ASSERT_EQ(successStatus(), t->insertRows(1, 1));
  EXPECT_EQ("a . b . .|. . . . .|c . d . .", textsOf(*t).substr(0, 29));
  EXPECT_EQ(tableBoundsStatus(), t->insertRows(-1, 1));
  EXPECT_EQ(tableBoundsStatus(), t->insertColumns("missing", 1));
  t->release();
}

TEST(TableShapeTest, DeletesRefuseTheWholeWidthAndIgnoreWhatIsNotThere) {
  Table* t = tableOf({{"a", "b", "c"}, {"d", "e", "f"}});
  EXPECT_EQ(tableBoundsStatus(), t->deleteColumns(0, t->cols()));
  EXPECT_EQ(successStatus(), t->deleteColumns(t->cols() + 1, 1));
  EXPECT_EQ("a b c|d e f", textsOf(*t));
  ASSERT_EQ(successStatus(), t->addColumnName(2, "last"));
  ASSERT_EQ(successStatus(), t->deleteColumns(0, 2));
  EXPECT_EQ("c|f", textsOf(*t));
  EXPECT_EQ("last=0", namesOf(*t));
  EXPECT_EQ(tableBoundsStatus(), t->deleteRows(2, 1));
  ASSERT_EQ(successStatus(), t->deleteRows(0, 1));
  EXPECT_EQ(1, t->rows());
  EXPECT_EQ("f", textsOf(*t));
  ASSERT_EQ(successStatus(), t->deleteRows(0, 5));  // the count is cut to what is there
  EXPECT_EQ(0, t->rows());
  t->release();
  Table noCells(4, 0);
  EXPECT_EQ(successStatus(), noCells.deleteRows(1, 2));
  EXPECT_EQ(4, noCells.rows());
}

// Names

TEST(TableNamesTest, AliasesLookupsAndCaseInsensitiveLookups) {
  Table t(1, 3);
  ASSERT_EQ(successStatus(), t.addColumnName(1, "Total"));
  ASSERT_EQ(successStatus(), t.addColumnName(1, "sum"));
  ASSERT_EQ(successStatus(), t.addColumnName(2, "count"));
  EXPECT_STREQ("Total", t.columnName(1, 0));
  EXPECT_STREQ("sum", t.columnName(1, 1));
  EXPECT_EQ(nullptr, t.columnName(2, 1));
  EXPECT_EQ(nullptr, t.columnName(1, -1));
  char small[4];
  EXPECT_EQ(small, t.columnName(1, small, sizeof small, 0));
  EXPECT_STREQ("Tot", small);
  EXPECT_EQ(1, t.columnIndex("sum"));
  EXPECT_EQ(-1, t.columnIndex("TOTAL"));
  EXPECT_EQ(1, t.columnIndexNoCase("TOTAL"));
  EXPECT_EQ(-1, t.columnIndexNoCase("none"));
  ASSERT_EQ(successStatus(), t.renameColumn("sum", "aaa"));
  EXPECT_EQ("Total=1 aaa=1 count=2", namesOf(t));
  EXPECT_EQ(tableBoundsStatus(), t.renameColumn("sum", "x"));
  ASSERT_EQ(successStatus(), t.setColumnName(1, "only"));
  EXPECT_EQ("count=2 only=1", namesOf(t));
  EXPECT_EQ(tableBoundsStatus(), t.addColumnName(-1, "x"));
}

TEST(TableNamesTest, CopiesShareNamesUntilOneEditsThem) {
  Table* t = tableOf({{"a", "b"}});
  ASSERT_EQ(successStatus(), t->addColumnName(0, "x"));
  Table* copy = new Table(*t);
  EXPECT_EQ(t->columnNames(), copy->columnNames());
  EXPECT_EQ(t, copy->copyLink() == nullptr ? t : nullptr);
  EXPECT_EQ(copy, t->copyLink());
  ASSERT_EQ(successStatus(), copy->addColumnName(1, "y"));
  EXPECT_NE(t->columnNames(), copy->columnNames());
  EXPECT_EQ("x=0", namesOf(*t));
  EXPECT_EQ("x=0 y=1", namesOf(*copy));
  // Inserting shifts the copy's numbers only.
  ASSERT_EQ(successStatus(), t->insertColumns(0, 1));
  EXPECT_EQ("x=1", namesOf(*t));
  EXPECT_EQ("x=0 y=1", namesOf(*copy));
  // The name texts themselves stay shared.
  EXPECT_EQ(&t->columnNames()->nameAt(0), &copy->columnNames()->nameAt(0));
  t->release();
  copy->release();
}

TEST(NameCltnTest, KeepsNameOrderAndEqualNamesInTheirOrderOfAdding) {
  NameCltn* n = new NameCltn;
  Text* b = new Text("b");
  Text* a = new Text("a");
  Text* a2 = new Text("a");
  Integer* one = new Integer(1);
  Integer* zero = new Integer(0);
  Integer* two = new Integer(2);
  ASSERT_TRUE(n->add(b, one));
  ASSERT_TRUE(n->add(a, zero));
  ASSERT_TRUE(n->add(a2, two));
  ASSERT_EQ(3u, n->size());
  EXPECT_EQ(a, &n->nameAt(0));
  EXPECT_EQ(a2, &n->nameAt(1));
  EXPECT_EQ(b, &n->nameAt(2));
  EXPECT_EQ(2, a->refCount());
  EXPECT_FALSE(n->add(nullptr, one));
  EXPECT_TRUE(n->removeAt(0));
  EXPECT_FALSE(n->removeAt(5));
  EXPECT_EQ(1, a->refCount());
  std::ostringstream out;
  n->printOn(out);
  EXPECT_EQ("NameCltn[a=>2b=>1]\n", out.str());
  n->release();
  EXPECT_EQ(1, b->refCount());
  EXPECT_EQ(1, one->refCount());
  for (Object* o : std::vector<Object*>{a, a2, b, one, zero, two}) o->release();
}

// Searches

TEST(TableSearchTest, NotFoundAnswersAndLookupsSkipBlankCells) {
  Table* t = tableOf({{"apple", "1"}, {" \t", "2"}, {"Pear", "3"}});
  ASSERT_EQ(successStatus(), t->addColumnName(0, "fruit"));
  Text pear("pear");
  Text blank(" \t");
  EXPECT_EQ(t->rows(), t->findRow(0, pear));
  EXPECT_EQ(2, t->findRowNoCase("fruit", pear));
  EXPECT_EQ(t->rows(), t->findRow("nothing", pear));
  EXPECT_EQ(t->rows(), t->findRow(9, pear));
  EXPECT_EQ(1, t->findRow(0, blank));
  EXPECT_EQ(-1, t->lookupRow(blank, 0));
  EXPECT_EQ(2, t->lookupRow(pear, 0));
  EXPECT_EQ(-1, t->lookupRow(pear, 5));
  Text two("2");
  EXPECT_EQ(1, t->findColumn(1, two));
  EXPECT_EQ(t->cols(), t->findColumn(0, two));
  EXPECT_EQ(t->cols(), t->findColumn(-1, two));
  t->release();
}

// Sorting, duplicates, replacing

TEST(TableSortTest, SortByColumnKeepsEqualKeysInOrderWithTheirRowStatuses) {
  Table* t = tableOf({{"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}});
  ASSERT_EQ(successStatus(), t->setRowStatus(2, nullValueStatus()));
  ASSERT_EQ(successStatus(), t->sortByColumn(0));
  EXPECT_EQ("a 2|a 4|b 1|b 3", textsOf(*t));
  EXPECT_EQ(nullValueStatus(), t->rowStatus(3));
  EXPECT_EQ(successStatus(), t->rowStatus(0));
  EXPECT_EQ(tableBoundsStatus(), t->sortByColumn(2));
  EXPECT_EQ(tableBoundsStatus(), t->sortByColumn("none"));
  t->release();
}

// Descending by the second column through records with room for the comparator.
int descending(const void* a, const void* b) {
  auto* x = static_cast<const AbsTable::ExtendedSortRecord*>(a);
  auto* y = static_cast<const AbsTable::ExtendedSortRecord*>(b);
  EXPECT_EQ(&descending, x->extra);
  return y->table->cell(y->row, y->col)->compare(*x->table->cell(x->row, x->col));
}

TEST(TableSortTest, SortWithExtraArgumentUsesTheWideRecords) {
  Table* t = tableOf({{"x", "1"}, {"y", "3"}, {"z", "2"}});
  ASSERT_EQ(successStatus(), t->sort(&descending, 1, reinterpret_cast<void*>(&descending)));
  EXPECT_EQ("y 3|z 2|x 1", textsOf(*t));
  t->release();
}

TEST(TableSortTest, RemoveDuplicateRowsKeepsTheLastOfEachGroupInOrder) {
  Table* t = tableOf({{"A", "1"}, {"B", "2"}, {"A", "1"}, {"C", "3"}, {"B", "2"}});
  ASSERT_EQ(successStatus(), t->removeDuplicateRows());
  EXPECT_EQ("A 1|C 3|B 2", textsOf(*t));
  t->release();
}

TEST(TableReplaceTest, NarrowerAndShorterSourcesAndTheTableItself) {
  Table* t = tableOf({{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
  Table* narrow = tableOf({{"1"}});
  ASSERT_EQ(successStatus(), t->replaceRows(*narrow, 0, 1));
  EXPECT_EQ("1 . .|d e f|g h i", textsOf(*t));
  ASSERT_EQ(successStatus(), narrow->addColumnName(0, "n"));
  ASSERT_EQ(successStatus(), t->replaceColumns(*narrow, t->cols(), 1));
  EXPECT_EQ("1 . . 1|d e f .|g h i .", textsOf(*t));
  EXPECT_EQ("n=3", namesOf(*t));
  // From itself: the source is the table as it was before.
  ASSERT_EQ(successStatus(), t->replaceRows(*t, 1, 2));
  EXPECT_EQ("1 . . 1|1 . . 1|d e f .", textsOf(*t));
  ASSERT_EQ(successStatus(), t->replaceRange(0, 1, 1, 2, *narrow));
  EXPECT_EQ("1 1 . 1|1 . . 1|d e f .", textsOf(*t));
  EXPECT_EQ(tableBoundsStatus(), t->replaceRows(*narrow, -1, 1));
  EXPECT_EQ(tableBoundsStatus(), t->replaceColumns(*narrow, "missing", 1));
  narrow->release();
  t->release();
}

TEST(TableSubtableTest, SubtablesShareCellsAndRenumberNames) {
  Table* t = tableOf({{"a", "b", "c"}, {"d", "e", "f"}});
  ASSERT_EQ(successStatus(), t->addColumnName(1, "mid"));
  ASSERT_EQ(successStatus(), t->addColumnName(2, "end"));
  AbsTable* cols = t->columnSubtable(1, 5);
  EXPECT_EQ("b c|e f", textsOf(*cols));
  EXPECT_EQ("end=1 mid=0", namesOf(*cols));
  EXPECT_EQ(t->cell(0, 1), cols->cell(0, 0));
  AbsTable* rect = t->subtable(1, 2, 0, 1);
  EXPECT_EQ("b c|e f", textsOf(*rect));
  AbsTable* rows = t->rowSubtable(1, 9);
  EXPECT_EQ("d e f", textsOf(*rows));
  EXPECT_EQ(t->columnNames(), rows->columnNames());
  AbsTable* none = t->rowSubtable(2, 1);
  EXPECT_EQ(0, none->rows());
  for (AbsTable* s : {cols, rect, rows, none}) s->release();
  t->release();
}

// Printing

TEST(TablePrintTest, EmptyTablePrintsItsFramesLineByLine) {
  Table t;
  std::ostringstream out;
  t.printOn(out);
  EXPECT_EQ("\n:Table(0 rows, 0 cols):\nColumn names:\n\nThere are no cells in this Table.\n",
            out.str());
}

TEST(TablePrintTest, CellsWithTitleNamesAndRowStatusesAndTheStreamRestored) {
  Table* t = tableOf({{"a"}});
  ASSERT_EQ(successStatus(), t->resize(1, 2));
  ASSERT_EQ(successStatus(), t->setTitle("T"));
  ASSERT_EQ(successStatus(), t->addColumnName(0, "x"));
  ASSERT_EQ(successStatus(), t->setRowStatus(0, successStatus()));
  std::ostringstream out;
  out.precision(9);
  t->printOn(out);
  EXPECT_EQ(
      "\nT:Table(1 rows, 2 cols):\nColumn names:\nNameCltn[x=>0]\n\n"
      "a <nil> \nFacility: UNKNOWN Severity: SUCCESS Error ID: 0 Extern error: 0 Message: \n\n",
      out.str());
  EXPECT_EQ(9, out.precision());
  EXPECT_FALSE(out.flags() & std::ios_base::fixed);
  t->release();
}

// Stored forms

TEST(TableStoreTest, RoundTripsInBothFormsAndBothLayouts) {
  Table* t = tableOf({{"a", "b"}, {"", "c"}});
  ASSERT_EQ(successStatus(), t->addColumnName(1, "second"));
  ASSERT_EQ(successStatus(), t->addColumnName(1, "alias"));
  ASSERT_EQ(successStatus(), t->setTitle("title"));
  ASSERT_EQ(successStatus(), t->setRowStatus(1, nullValueStatus()));
  t->setFlag2(false);
  for (bool binary : {false, true}) {
    for (int32_t version : {-1, 3}) {
      std::stringstream buffer;
      t->storeOn(*testing::openOut(buffer, binary, version));
      std::unique_ptr<OIOin> in = testing::openIn(buffer, binary);
      Object* back = in->readObject();
      ASSERT_EQ(0, in->severity()) << in->messageText();
      ASSERT_TRUE(back->isKindOf(Table::desc()));
      const Table& b = *static_cast<const Table*>(back);
      EXPECT_EQ(textsOf(*t), textsOf(b));
      EXPECT_EQ(nilDatum(), b.cell(1, 0));  // the shared nil value comes back as itself
      EXPECT_EQ("alias=1 second=1", namesOf(b));
      EXPECT_STREQ("title", static_cast<const Text*>(b.title())->chars());
      EXPECT_EQ(nullValueStatus()->code(), b.rowStatus(1)->code());
      EXPECT_EQ(t->flags(), b.flags());
      testing::releaseRead(*in);
    }
  }
  t->release();
}

// good with the first occurrence of from replaced by to.
std::string replaced(const std::string& good, const std::string& from, const std::string& to) {
  std::size_t at = good.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  if (at == std::string::npos) return good;
  return good.substr(0, at) + to + good.substr(at + from.size());
}

TEST(TableStoreTest, DamagedTablesAreRefusedCleanly) {
  Table* t = tableOf({{"a", "b"}});
  ASSERT_EQ(successStatus(), t->addColumnName(1, "x"));
  ASSERT_EQ(successStatus(), t->setRowStatus(0, successStatus()));
  std::stringstream buffer;
  t->storeOn(*testing::openOut(buffer, false));
  t->release();
  // "{Table s {Status s } 15 1 {NameCltn s 0 1 1 x1 } 0 1 2 {Text ...} {Text ...} 1 @1 0 } "
  // (records are numbered from 0: the table, its status, its names).
  const std::string good = buffer.str();
  std::vector<std::string> damaged = {
      replaced(good, " 15 ", " 99 "),                 // flags beyond the four
      replaced(good, " 15 1 {", " 15 7 {"),           // a names flag that is neither 0 nor 1
      replaced(good, " 0 1 1 x1 }", " 0 1 -4 x1 }"),  // a negative name length
      replaced(good, " 0 1 1 x1 }", " 0 3 1 x1 }"),   // more names than stored
      replaced(good, "{Text", "@2 } {Text"),          // a cell that is no value
      replaced(good, " 1 @1 0 }", " 3 @1 0 }"),       // row statuses for rows that are not there
      replaced(good, " 1 @1 0 }", " 1 @2 0 }"),       // a row status that is no status
      replaced(good, " 1 @1 0 }", " 1 @1 1 }"),       // column information Table cannot read
  };
  for (std::size_t cut = 10; cut + 1 < good.size(); cut += 6)
    damaged.push_back(good.substr(0, cut));
  for (const std::string& bytes : damaged) {
    for (testing::ReadMode mode : {testing::ReadMode::kReported, testing::ReadMode::kRaised}) {
      for (bool seekable : {true, false}) {
        testing::DamagedRead r = testing::readDamaged(bytes, false, mode, seekable);
        EXPECT_TRUE(r.answeredNil) << bytes;
        EXPECT_GE(r.severity, kError) << bytes;
        EXPECT_EQ(0, r.kept) << bytes;
        EXPECT_TRUE(testing::isReadError(r.error)) << bytes;
      }
    }
  }
}

}  // namespace
}  // namespace dv
