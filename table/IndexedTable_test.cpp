// Tests of IndexedTable: the threshold, the upper-case entries, findOrAddKey,
// and lookups that stay right after every kind of change to the table.
#include "table/IndexedTable.h"

#include <gtest/gtest.h>

#include <string>

#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"

namespace dv {
namespace {

// n rows keyed "k0", "k1", ... in column 0, the row number in column 1.
IndexedTable* keyed(int32_t n, int32_t threshold = 10, bool exactOnly = false) {
  IndexedTable* t = new IndexedTable(0, 2, 0, threshold, exactOnly);
  for (int32_t r = 0; r < n; ++r) {
    std::string key = "k" + std::to_string(r);
    EXPECT_EQ(successStatus(), t->setCell(r, 0, key.c_str()));
    EXPECT_EQ(successStatus(), t->setCell(r, 1, r));
  }
  return t;
}

int32_t find(const IndexedTable& t, const char* key) {
  Text k(key);
  return t.lookupRow(k, t.keyColumn());
}

TEST(IndexedTableTest, IndexOnlyAboveTheThreshold) {
  IndexedTable* ten = keyed(10);
  EXPECT_EQ(7, find(*ten, "k7"));
  EXPECT_FALSE(ten->hasIndex());
  ten->release();
  IndexedTable* eleven = keyed(11);
  EXPECT_FALSE(eleven->hasIndex());
  EXPECT_EQ(7, find(*eleven, "k7"));
  EXPECT_TRUE(eleven->hasIndex());
  EXPECT_EQ(-1, find(*eleven, "nope"));
  eleven->release();
  IndexedTable empty(0, 0, -3, 0, false);
  EXPECT_EQ(0, empty.keyColumn());
  EXPECT_EQ(IndexedTable::kDefaultThreshold, empty.threshold());
  EXPECT_EQ(-1, find(empty, "x"));
}

TEST(IndexedTableTest, ExactKeysWinOverUpperCaseForms) {
  IndexedTable* t = keyed(12);
  ASSERT_EQ(successStatus(), t->setCell(2, 0, "abc"));
  ASSERT_EQ(successStatus(), t->setCell(5, 0, "ABC"));
  EXPECT_EQ(5, find(*t, "ABC"));
  EXPECT_EQ(2, find(*t, "abc"));
  EXPECT_EQ(5, find(*t, "Abc"));
  EXPECT_EQ(3, find(*t, "K3"));
  t->release();
  IndexedTable* exact = keyed(12, 10, true);
  EXPECT_EQ(-1, find(*exact, "K3"));
  EXPECT_EQ(3, find(*exact, "k3"));
  exact->release();
}

TEST(IndexedTableTest, FindOrAddKeyAppendsOnce) {
  IndexedTable* t = keyed(20);
  Text* fresh = new Text("new");
  EXPECT_EQ(20, t->findOrAddKey(fresh));
  EXPECT_EQ(21, t->rows());
  EXPECT_EQ(20, t->findOrAddKey(fresh));
  EXPECT_EQ(21, t->rows());
  EXPECT_EQ(20, find(*t, "NEW"));
  EXPECT_EQ(4, t->findOrAddKey(t->cell(4, 0)));
  fresh->release();
  EXPECT_EQ(-1, t->findOrAddKey(nullptr));
  t->release();
}

// Every kind of change that can move or replace keys: the next lookup
// answers from the table as it now is.
TEST(IndexedTableTest, LookupsStayRightAfterChanges) {
  IndexedTable* t = keyed(30);
  EXPECT_EQ(12, find(*t, "k12"));
  ASSERT_EQ(successStatus(), t->setCell(12, 0, "moved"));
  EXPECT_EQ(-1, find(*t, "k12"));
  EXPECT_EQ(12, find(*t, "moved"));
  ASSERT_EQ(successStatus(), t->insertRows(0, 2));
  EXPECT_EQ(14, find(*t, "moved"));
  ASSERT_EQ(successStatus(), t->deleteRows(0, 5));
  EXPECT_EQ(9, find(*t, "moved"));
  EXPECT_EQ(-1, find(*t, "k1"));
  ASSERT_EQ(successStatus(), t->sortByColumn(1));
  EXPECT_EQ(t->findRow(0, Text("moved")), find(*t, "moved"));
  ASSERT_EQ(successStatus(), t->sortByColumn(0));
  EXPECT_EQ(t->findRow(0, Text("k29")), find(*t, "k29"));
  ASSERT_EQ(successStatus(), t->resize(15, 2));
  EXPECT_EQ(-1, find(*t, "k9"));
  ASSERT_EQ(successStatus(), t->insertColumns(0, 1));
  EXPECT_EQ(-1, find(*t, "k10"));  // the keys moved to column 1
  ASSERT_EQ(successStatus(), t->deleteColumns(0, 1));
  EXPECT_EQ(t->findRow(0, Text("k10")), find(*t, "k10"));
  IndexedTable* other = keyed(15);
  ASSERT_EQ(successStatus(), t->replaceRows(*other, 0, 15));
  EXPECT_EQ(3, find(*t, "k3"));
  other->release();
  IndexedTable* copy = static_cast<IndexedTable*>(t->shallowCopy());
  Text* added = new Text("only in the copy");
  EXPECT_EQ(15, copy->findOrAddKey(added));
  added->release();
  EXPECT_EQ(-1, find(*t, "only in the copy"));
  EXPECT_EQ(8, find(*copy, "k8"));
  copy->release();
  t->release();
}

TEST(IndexedTableTest, OutOfMemoryLeavesLinearSearch) {
  IndexedTable* t = keyed(40);
  AllocationFailureScope scope;
  for (uint64_t n = 1;; ++n) {
    AllocationControl::reset();
    AllocationControl::failNth(n);
    t->buildIndex();
    bool failed = AllocationControl::failures() > 0;
    AllocationControl::reset();
    EXPECT_EQ(33, find(*t, "k33"));
    if (!failed) break;
  }
  t->release();
}

}  // namespace
}  // namespace dv
