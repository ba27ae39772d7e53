// Tables against a reference model: a long random run of edits on a few
// tables that copy one another (so names are shared and copied on write),
// checked after every step against plain vectors of values and names, with
// the reference count of every value; then nested copies, and out of memory
// at every allocation point of the operations that allocate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/NameCltn.h"
#include "table/Table.h"
#include "table/TableStatus.h"

namespace dv {
namespace {

// What a table should hold.
struct Model {
  std::vector<std::vector<Datum*>> cells;  // rows of cols values (nil: nilDatum())
  int32_t cols = 0;
  std::vector<std::pair<std::string, int32_t>> names;  // in name order
  std::vector<const Status*> rowStatus;                // empty, or one per row

  int32_t rows() const { return static_cast<int32_t>(cells.size()); }

  void resize(int32_t r, int32_t c) {
    cells.resize(static_cast<std::size_t>(r));
    for (auto& row : cells) row.resize(static_cast<std::size_t>(c), nilDatum());
    cols = c;
    if (!rowStatus.empty()) rowStatus.resize(static_cast<std::size_t>(r), successStatus());
  }
  void addName(const std::string& name, int32_t col) {
    auto at = std::upper_bound(names.begin(), names.end(), name,
                               [](const std::string& n, const auto& e) { return n < e.first; });
    names.insert(at, {name, col});
  }
  void removeNames(int64_t first, int64_t last) {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const auto& e) { return e.second >= first && e.second < last; }),
                names.end());
  }
  int count(const std::string& name) const {
    return static_cast<int>(
        std::count_if(names.begin(), names.end(), [&](const auto& e) { return e.first == name; }));
  }
};

std::string describe(const Table& t) {
  std::string s = std::to_string(t.rows()) + "x" + std::to_string(t.cols());
  for (int32_t i = 0; i < static_cast<int32_t>(t.columnNames()->size()); ++i) {
    s += " " + std::string(t.columnNames()->nameAt(i).chars()) + "=" +
         std::to_string(t.columnNames()->columnAt(i));
  }
  return s;
}

::testing::AssertionResult matches(const Table& t, const Model& m) {
  if (t.rows() != m.rows() || t.cols() != m.cols) {
    return ::testing::AssertionFailure()
           << "shape " << describe(t) << ", model " << m.rows() << "x" << m.cols;
  }
  if (t.hasCells() != (static_cast<int64_t>(m.rows()) * m.cols > 0)) {
    return ::testing::AssertionFailure() << "cell array present: " << t.hasCells();
  }
  for (int32_t r = 0; r < m.rows(); ++r) {
    for (int32_t c = 0; c < m.cols; ++c) {
      if (t.cell(r, c) != m.cells[r][c]) {
        return ::testing::AssertionFailure() << "cell " << r << "," << c << " of " << describe(t);
      }
    }
  }
  const NameCltn& names = *t.columnNames();
  if (names.size() != m.names.size()) {
    return ::testing::AssertionFailure() << "names of " << describe(t);
  }
  for (int32_t i = 0; i < static_cast<int32_t>(names.size()); ++i) {
    if (m.names[i].first != names.nameAt(i).chars() || m.names[i].second != names.columnAt(i)) {
      return ::testing::AssertionFailure() << "name " << i << " of " << describe(t);
    }
  }
  if (t.hasRowStatus() != !m.rowStatus.empty()) {
    return ::testing::AssertionFailure() << "row statuses present: " << t.hasRowStatus();
  }
  for (int32_t r = 0; r < static_cast<int32_t>(m.rowStatus.size()); ++r) {
    if (t.rowStatus(r) != m.rowStatus[r]) return ::testing::AssertionFailure() << "status " << r;
  }
  return ::testing::AssertionSuccess();
}

// The random run: up to three live tables, each with its model.
class EditRun {
 public:
  explicit EditRun(uint32_t seed) : random_(seed) {
    for (int i = 0; i < 6; ++i) values_.push_back(new Text(("v" + std::to_string(i)).c_str()));
    for (int i = 0; i < 4; ++i) values_.push_back(new Number(int32_t{i * 10}));
    for (int i = 0; i < 2; ++i) {
      statuses_.push_back(makeErrorStatus(0x40010000u + i, false, kDatumErrName, "row", 0, false));
    }
    tables_.push_back({new Table, Model{}});
  }
  ~EditRun() {
    for (auto& t : tables_) t.first->release();
    for (Datum* v : values_) v->release();
    for (const Status* s : statuses_) s->release();
  }

  // One random edit; false (with a message) when the table and model differ.
  ::testing::AssertionResult step() {
    std::size_t which = below(static_cast<int>(tables_.size()));
    Table& t = *tables_[which].first;
    Model& m = tables_[which].second;
    const Status* st = successStatus();
    const Status* want = successStatus();
    int32_t r = below(m.rows() + 3) - 1;  // now and then -1: refused
    int32_t c = below(m.cols + 3) - 1;
    int32_t n = below(4);
    const char* op = "";
    switch (below(17)) {
      case 0:
      case 1: {
        op = "setCell";
        Datum* v = chance(15) ? nullptr : values_[below(static_cast<int>(values_.size()))];
        st = t.setCell(r, c, v);
        if (r < 0 || c < 0) {
          want = tableBoundsStatus();
        } else {
          m.resize(std::max(m.rows(), r + 1), std::max(m.cols, c + 1));
          m.cells[r][c] = v != nullptr ? v : nilDatum();
        }
        break;
      }
      case 2:
        op = "insertRows";
        st = t.insertRows(r, n);
        if (r < 0) {
          want = tableBoundsStatus();
        } else if (r < m.rows()) {
          m.cells.insert(m.cells.begin() + r, n, std::vector<Datum*>(m.cols, nilDatum()));
          if (!m.rowStatus.empty()) m.rowStatus.insert(m.rowStatus.begin() + r, n, successStatus());
        } else {
          m.resize(r + n, m.cols);
        }
        break;
      case 3:
        op = "deleteRows";
        st = t.deleteRows(r, n);
        if (r < 0) {
          want = tableBoundsStatus();
        } else if (static_cast<int64_t>(m.rows()) * m.cols == 0) {
        } else if (r >= m.rows()) {
          want = tableBoundsStatus();
        } else {
          int32_t k = std::min(n, m.rows() - r);
          m.cells.erase(m.cells.begin() + r, m.cells.begin() + r + k);
          if (!m.rowStatus.empty()) {
            m.rowStatus.erase(m.rowStatus.begin() + r, m.rowStatus.begin() + r + k);
          }
        }
        break;
      case 4:
        op = "insertColumns";
        st = t.insertColumns(c, n);
        if (c < 0) {
          want = tableBoundsStatus();
        } else if (c < m.cols && n > 0) {
          for (auto& row : m.cells) row.insert(row.begin() + c, n, nilDatum());
          m.cols += n;
          for (auto& e : m.names) e.second += e.second >= c ? n : 0;
        } else {
          m.resize(m.rows(), std::max(m.cols, c) + n);
        }
        break;
      case 5: {
        op = "deleteColumns";
        st = t.deleteColumns(c, n);
        if (n < 1 || c < 0 || n >= m.cols) {
          want = tableBoundsStatus();
        } else if (int32_t k = std::min(n, m.cols - c); k > 0) {
          for (auto& row : m.cells) row.erase(row.begin() + c, row.begin() + c + k);
          m.cols -= k;
          m.removeNames(c, static_cast<int64_t>(c) + k);
          for (auto& e : m.names) e.second -= e.second >= c + k ? k : 0;
        }
        break;
      }
      case 6:
        op = "resize";
        st = t.resize(r, c);
        if (r < 0 || c < 0) {
          want = tableBoundsStatus();
        } else {
          m.resize(r, c);
        }
        break;
      case 7:
      case 8: {
        op = "addColumnName";
        std::string name = word();
        st = t.addColumnName(c, name.c_str());
        if (c < 0) {
          want = tableBoundsStatus();
        } else {
          m.addName(name, c);
        }
        break;
      }
      case 9:
        op = "removeColumnNames";
        st = t.removeColumnNames(c, n);
        if (c < 0) {
          want = tableBoundsStatus();
        } else {
          m.removeNames(c, static_cast<int64_t>(c) + n);
        }
        break;
      case 10: {
        op = "renameColumn";
        std::string from = word();
        std::string to = word();
        if (m.count(from) > 1) break;  // which of equal names is found is not fixed
        st = t.renameColumn(from.c_str(), to.c_str());
        if (m.count(from) == 0) {
          want = tableBoundsStatus();
        } else {
          auto e = std::find_if(m.names.begin(), m.names.end(),
                                [&](const auto& x) { return x.first == from; });
          int32_t col = e->second;
          m.names.erase(e);
          m.addName(to, col);
        }
        break;
      }
      case 11:
      case 12: {
        op = "replace";
        std::size_t other = below(static_cast<int>(tables_.size()));
        const Table& src = *tables_[other].first;
        Model s = tables_[other].second;  // a copy: src may be t itself
        if (chance(50)) {
          st = t.replaceRows(src, r, n);
          if (r < 0) {
            want = tableBoundsStatus();
            break;
          }
          m.resize(std::max(m.rows(), r + n), std::max(m.cols, s.cols));
          if (!s.rowStatus.empty() && m.rowStatus.empty()) {
            m.rowStatus.assign(m.rows(), successStatus());
          }
          for (int32_t i = r; i < r + n; ++i) {
            for (int32_t j = 0; j < m.cols; ++j) {
              m.cells[i][j] = i - r < s.rows() && j < s.cols ? s.cells[i - r][j] : nilDatum();
            }
            if (!s.rowStatus.empty()) {
              m.rowStatus[i] = i - r < s.rows() ? s.rowStatus[i - r] : successStatus();
            }
          }
        } else {
          st = t.replaceColumns(src, c, n);
          if (c < 0) {
            want = tableBoundsStatus();
            break;
          }
          if (s.rows() > m.rows() || c + n > m.cols) {
            m.resize(std::max(m.rows(), s.rows()), std::max(m.cols, c + n));
          }
          for (int32_t j = c; j < c + n; ++j) {
            for (int32_t i = 0; i < m.rows(); ++i) {
              m.cells[i][j] = i < s.rows() && j - c < s.cols ? s.cells[i][j - c] : nilDatum();
            }
          }
          m.removeNames(c, static_cast<int64_t>(c) + n);
          for (const auto& e : s.names) {
            if (e.second >= 0 && e.second < n) m.addName(e.first, e.second + c);
          }
        }
        break;
      }
      case 13: {
        op = "setRowStatus";
        const Status* given = statuses_[below(2)];
        st = t.setRowStatus(r, given);
        if (r < 0) {
          want = tableBoundsStatus();
        } else {
          if (m.rowStatus.size() < static_cast<std::size_t>(std::max(m.rows(), r + 1))) {
            m.rowStatus.resize(static_cast<std::size_t>(std::max(m.rows(), r + 1)),
                               successStatus());
          }
          if (r >= m.rows()) m.resize(r + 1, m.cols);
          m.rowStatus[r] = given;
        }
        if (chance(20)) {
          (void)t.clearRowStatus();
          m.rowStatus.clear();
        }
        break;
      }
      case 14:
        op = "sortByColumn";
        st = t.sortByColumn(c);
        if (c < 0 || c >= m.cols) {
          want = tableBoundsStatus();
        } else {
          std::vector<int32_t> order(static_cast<std::size_t>(m.rows()));
          for (int32_t i = 0; i < m.rows(); ++i) order[i] = i;
          std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
            return m.cells[a][c]->compare(*m.cells[b][c]) < 0;
          });
          Model sorted = m;
          for (int32_t i = 0; i < m.rows(); ++i) {
            sorted.cells[i] = m.cells[order[i]];
            if (!m.rowStatus.empty()) sorted.rowStatus[i] = m.rowStatus[order[i]];
          }
          m = sorted;
        }
        break;
      case 15:
        op = "copy";
        if (tables_.size() < 3) {
          tables_.push_back({new Table(t), m});
        } else {
          tables_[which == 0 ? 1 : 0].first->release();
          tables_.erase(tables_.begin() + (which == 0 ? 1 : 0));
        }
        break;
      default: {
        op = "subtables";
        // Sub-tables share cells; making and dropping them must leave the
        // counts as they were.
        AbsTable* parts[] = {t.rowSubtable(r, n), t.columnSubtable(c, n),
                             t.subtable(r, c, r + n, c + n)};
        for (AbsTable* p : parts) p->release();
        break;
      }
    }
    if (st != want) {
      return ::testing::AssertionFailure()
             << op << " answered " << st->messageText() << ", wanted " << want->messageText();
    }
    for (auto& entry : tables_) {
      ::testing::AssertionResult same = matches(*entry.first, entry.second);
      if (!same) return same << " after " << op;
    }
    return countsAgree(op);
  }

 private:
  int below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  std::string word() {
    static const char* const words[] = {"a", "b", "c", "id", "Name", "name"};
    return words[below(6)];
  }

  // Every value is held once by the run and once per cell of every table.
  ::testing::AssertionResult countsAgree(const char* op) {
    for (Datum* v : values_) {
      int32_t holders = 1;
      for (auto& entry : tables_) {
        for (auto& row : entry.second.cells) holders += std::count(row.begin(), row.end(), v);
      }
      if (v->refCount() != holders) {
        return ::testing::AssertionFailure()
               << "count " << v->refCount() << ", " << holders << " holders, after " << op;
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::mt19937 random_;
  std::vector<Datum*> values_;
  std::vector<const Status*> statuses_;
  std::vector<std::pair<Table*, Model>> tables_;
};

TEST(TableModelTest, TenThousandRandomEditsMatchTheModelAndKeepEveryCount) {
  uint32_t seed = 7;
  if (const char* s = std::getenv("DV_TABLE_SEED")) seed = std::strtoul(s, nullptr, 10);
  uint32_t tablesBefore = Table::desc().creations() - Table::desc().destructions();
  uint32_t namesBefore = NameCltn::desc().creations() - NameCltn::desc().destructions();
  {
    EditRun run(seed);
    for (int i = 0; i < 10000; ++i) {
      ::testing::AssertionResult ok = run.step();
      ASSERT_TRUE(ok) << "step " << i << " (seed " << seed << ")";
    }
  }
  // Every table and names collection made on the way is gone again.
  EXPECT_EQ(tablesBefore, Table::desc().creations() - Table::desc().destructions());
  EXPECT_EQ(namesBefore, NameCltn::desc().creations() - NameCltn::desc().destructions());
}

// Nested copies

TEST(TableModelTest, NestedCopyOfThreeLevelsSharesNoTableAndEveryLeaf) {
  Text* leaf = new Text("leaf");
  Number* number = new Number(int32_t{5});
  Table* inner = new Table(1, 2);
  (void)inner->setCell(0, 0, leaf);
  (void)inner->setCell(0, 1, number);
  Table* middle = new Table(2, 1);
  (void)middle->setCell(0, 0, inner);
  (void)middle->setCell(1, 0, leaf);
  Table* outer = new Table(2, 2);
  (void)outer->setCell(0, 0, middle);
  (void)outer->setCell(1, 1, number);
  (void)outer->addColumnName(0, "nested");
  (void)outer->setTitle("outer");
  (void)outer->setRowStatus(1, nullValueStatus());
  inner->release();
  middle->release();
  ASSERT_EQ(3, leaf->refCount());
  ASSERT_EQ(3, number->refCount());

  AbsTable* copy = outer->nestedCopy();
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(outer->title(), copy->title());
  EXPECT_EQ(outer->columnNames(), copy->columnNames());
  EXPECT_EQ(nullValueStatus(), copy->rowStatus(1));
  EXPECT_EQ(number, copy->cell(1, 1));
  auto* middleCopy = static_cast<AbsTable*>(copy->cell(0, 0));
  ASSERT_TRUE(middleCopy->isKindOf(Table::desc()));
  EXPECT_NE(outer->cell(0, 0), middleCopy);
  EXPECT_EQ(leaf, middleCopy->cell(1, 0));
  auto* innerCopy = static_cast<AbsTable*>(middleCopy->cell(0, 0));
  ASSERT_TRUE(innerCopy->isKindOf(Table::desc()));
  EXPECT_NE(middle->cell(0, 0), innerCopy);
  EXPECT_EQ(leaf, innerCopy->cell(0, 0));
  EXPECT_EQ(number, innerCopy->cell(0, 1));
  EXPECT_EQ(1, middleCopy->refCount());  // held by the copy alone
  EXPECT_EQ(1, innerCopy->refCount());
  EXPECT_EQ(5, leaf->refCount());  // every leaf shared, none copied
  EXPECT_EQ(5, number->refCount());
  EXPECT_EQ(0, copy->compare(*outer));
  copy->release();
  EXPECT_EQ(3, leaf->refCount());
  outer->release();
  EXPECT_EQ(1, leaf->refCount());
  EXPECT_EQ(1, number->refCount());
  leaf->release();
  number->release();
}

// A table holding itself cannot be copied cell by cell for ever.
TEST(TableModelTest, NestedCopyOfATableHoldingItselfStopsAndLeavesNothing) {
  Table* t = new Table(1, 1);
  (void)t->setCell(0, 0, t);
  EXPECT_EQ(nullptr, t->nestedCopy());
  (void)t->setCell(0, 0, static_cast<Datum*>(nullptr));  // breaks the cycle
  EXPECT_EQ(1, t->refCount());
  t->release();
}

// Out of memory

// What a table holds, to tell whether a failed operation changed it.
std::string stateOf(const Table& t) {
  std::string s = describe(t) + (t.hasCells() ? " cells" : " no cells");
  for (int32_t r = 0; r < t.rows(); ++r) {
    for (int32_t c = 0; c < t.cols(); ++c) s += " " + std::to_string(t.cell(r, c)->hash());
    s += " |" + std::to_string(t.rowStatus(r)->code());
  }
  return s;
}

// Runs op on a fresh table with the nth allocation failing, for n = 1, 2,
// ... until op runs without a failure. Every failing run must answer the
// out-of-memory status and leave the table as it was.
void sweep(const char* name, const std::function<const Status*(Table&)>& op) {
  Text* a = new Text("alpha");
  Text* b = new Text("beta-longer-than-inline");
  uint64_t points = 0;
  for (uint64_t n = 1;; ++n) {
    Table* t = new Table(3, 4);
    for (int32_t r = 0; r < 3; ++r) {
      for (int32_t c = 0; c < 4; ++c) (void)t->setCell(r, c, (r + c) % 2 != 0 ? a : b);
    }
    (void)t->addColumnName(1, "one");
    (void)t->addColumnName(3, "three");
    (void)t->setRowStatus(2, outOfMemoryStatus());
    Table* sharer = new Table(*t);  // shares the names: edits copy them first
    std::string before = stateOf(*t);
    const Status* st = nullptr;
    uint64_t failures = 0;
    {
      AllocationFailureScope scope;
      AllocationControl::failNth(n);
      st = op(*t);
      failures = AllocationControl::failures();
    }
    if (failures == 0) {
      EXPECT_EQ(successStatus(), st) << name;
      t->release();
      sharer->release();
      break;
    }
    ++points;
    EXPECT_EQ(outOfMemoryStatus(), st) << name << ", allocation " << n;
    EXPECT_EQ(before, stateOf(*t)) << name << ", allocation " << n;
    EXPECT_EQ(before, stateOf(*sharer)) << name << ", allocation " << n;
    t->release();
    sharer->release();
    EXPECT_EQ(1, a->refCount()) << name << ", allocation " << n;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(points, 0u) << name << " never allocated";
  a->release();
  b->release();
}

// Copies answer through their own status, or null.
const Status* copyStatus(AbsTable* copy) {
  if (copy == nullptr) return outOfMemoryStatus();
  const Status* st = copy->status();
  copy->release();
  return st == outOfMemoryStatus() ? st : successStatus();
}

TEST(TableModelTest, EveryAllocationOfResizeInsertAndCopyFailsCleanly) {
  sweep("resize, same columns", [](Table& t) { return t.resize(40, 4); });
  sweep("resize, new columns", [](Table& t) { return t.resize(5, 7); });
  sweep("insertRows", [](Table& t) { return t.insertRows(1, 30); });
  sweep("insertColumns", [](Table& t) { return t.insertColumns(1, 2); });
  sweep("deleteColumns", [](Table& t) { return t.deleteColumns(1, 2); });
  sweep("insertRows from a table", [](Table& t) { return t.insertRows(t, 1, 2); });
  sweep("copy", [](Table& t) { return copyStatus(new (std::nothrow) Table(t)); });
  sweep("nestedCopy", [](Table& t) { return copyStatus(t.nestedCopy()); });
  sweep("sortByColumn", [](Table& t) { return t.sortByColumn(0); });
}

}  // namespace
}  // namespace dv
