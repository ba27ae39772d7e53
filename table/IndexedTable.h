// IndexedTable: a Table with a hashed index on one key column, so that
// lookupRow on that column does not scan the rows once the table is larger
// than a threshold; up to the threshold it searches linearly. Unless
// exactOnly, Text keys are indexed a second time in upper case, so that
// lookups may ignore case: an exact key maps to its row r, an upper-case
// form to -1 - r, and an exact key wins over an upper-case form.
//
// The index is built on the first lookup that needs it and kept correct
// afterwards: every change that can touch the key column (a cell set in it,
// rows or columns inserted, deleted or replaced, a resize, a sort) marks it
// out of date, and the next lookup rebuilds it. findOrAddKey keeps it up to
// date itself. The index holds one reference on each key.
#ifndef DV_TABLE_INDEXEDTABLE_H_
#define DV_TABLE_INDEXEDTABLE_H_

#include <cstdint>

#include "table/Table.h"

namespace dv {

class AssocInt;
class Dictionary;

class IndexedTable : public Table {
  DV_CLASS_MEMBERS()

 public:
  static constexpr int32_t kDefaultThreshold = 10;
  static constexpr int32_t kMinIndexCapacity = 32;

  // A copy of src (as the Table copy constructor) keyed on keyColumn
  // (negative: 0); the index is built at once unless deferIndex. threshold
  // below 1 becomes kDefaultThreshold.
  IndexedTable(const AbsTable& src, int32_t keyColumn, bool deferIndex = false,
               int32_t threshold = kDefaultThreshold, bool exactOnly = false);
  // rows x cols nil cells keyed on keyColumn; no index yet.
  IndexedTable(int32_t rows, int32_t cols, int32_t keyColumn = 0,
               int32_t threshold = kDefaultThreshold, bool exactOnly = false);
  // A copy with the same key column, threshold and flag; it builds its own
  // index when it needs one (an index shared between tables would answer
  // for rows the other one does not have).
  IndexedTable(const IndexedTable& src);
  // The stored form is Table's; a table read back is keyed on column 0 with
  // the default threshold.
  explicit IndexedTable(OIOin& stream);
  explicit IndexedTable(OIOinbin& stream);
  ~IndexedTable() override;

  int32_t keyColumn() const { return keyColumn_; }
  int32_t threshold() const { return threshold_; }
  bool exactOnly() const { return exactOnly_; }
  // Whether an up-to-date index exists.
  bool hasIndex() const { return index_ != nullptr && !stale_; }

  // Builds the index afresh when the table has more rows than threshold()
  // (otherwise only drops it). Out of memory leaves no index.
  void buildIndex();
  void dropIndex();
  // The row holding the key value, or the row appended for it (value stored
  // in the key column); -1 on failure.
  int32_t findOrAddKey(Datum* value);

  Object* shallowCopy() const override;
  bool classMark() const override;
  void clearClassMark() override;
  // On the key column of a table above the threshold: through the index.
  int32_t lookupRow(const Datum& value, int32_t col) const override;

  // The changes, each marking the index out of date when it can touch the
  // key column.
  using Table::deleteColumns;
  using Table::insertColumns;
  using Table::insertRows;
  using Table::replaceColumns;
  using Table::replaceRange;
  using Table::setCell;
  using Table::sort;
  [[nodiscard]] const Status* resize(int32_t newRows, int32_t newCols) override;
  const Status* setCell(int32_t row, int32_t col, Datum* value) override;
  const Status* replaceRows(const AbsTable& src, int32_t firstRow, int32_t count) override;
  const Status* replaceColumns(const AbsTable& src, int32_t firstCol, int32_t count) override;
  const Status* replaceRange(int32_t row1, int32_t col1, int32_t row2, int32_t col2,
                             const AbsTable& src) override;
  const Status* insertColumns(int32_t col, int32_t count) override;
  const Status* insertRows(int32_t row, int32_t count) override;
  const Status* deleteColumns(int32_t col, int32_t count) override;
  const Status* deleteRows(int32_t row, int32_t count) override;
  const Status* sort(SortComparator comparator, int32_t col, void* extra = nullptr) override;

 private:
  // The index work, shared by buildIndex and the lookups of a const table
  // (the index is a cache of the cells).
  void makeIndex() const;
  void freeIndex() const;
  // The entry for key, or null.
  AssocInt* entryOf(const Datum& key) const;
  // Adds key -> value (one reference on key); false when memory runs out.
  bool addEntry(Datum& key, int32_t value) const;
  void removeEntry(AssocInt* entry) const;
  // Enters row r with key k as the index build does; false when memory runs
  // out.
  bool enter(Datum& k, int32_t r) const;
  void noteKeyChange() {
    if (!ownChange_) stale_ = true;
  }

  bool exactOnly_ = false;
  int32_t keyColumn_ = 0;
  int32_t threshold_ = kDefaultThreshold;
  mutable Dictionary* index_ = nullptr;
  mutable bool stale_ = false;
  bool ownChange_ = false;  // findOrAddKey keeps the index itself
};

}  // namespace dv

#endif  // DV_TABLE_INDEXEDTABLE_H_
