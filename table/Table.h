// Table: the concrete table. Its cells live in one contiguous row-major
// array of Datum references (the cell at row r, column c is element
// r * cols + c), each holding one reference on its value; an empty slot holds
// the shared nil datum. Changing the column count rebuilds the array once,
// moving the cells that stay without touching their reference counts; row
// inserts and deletes move whole blocks inside it.
//
// Beside the cells a table keeps one status per row (an array that stays
// empty until a row status is set), column information (a hook for
// subclasses: Table gives it no element type), a title and a names
// collection. The names collection is shared with copies and sub-tables until
// one of them edits its names: every edit first makes it private (copy on
// write).
//
// Sizes and counts are signed 32-bit values; rows x cols never exceeds
// INT32_MAX cells. When the cell array cannot be allocated the sizes stay,
// the table has no cells (every cell reads as nil) and its status is the
// out-of-memory status.
#ifndef DV_TABLE_TABLE_H_
#define DV_TABLE_TABLE_H_

#include <cstdint>
#include <iosfwd>

#include "table/AbsTable.h"
#include "table/MemArray.h"

namespace dv {

class Table : public AbsTable {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Table)

 public:
  static constexpr int kStreamTypeNumber = 1;
  // Tags of the value-stream form, each field written only when it applies:
  // the status (not success), the flags, the title's characters (not empty),
  // the names (not empty), the sizes, the three arrays (not empty); the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagFlags = 2;
  static constexpr uint8_t kTagTitle = 3;
  static constexpr uint8_t kTagNames = 4;
  static constexpr uint8_t kTagRows = 5;
  static constexpr uint8_t kTagCols = 6;
  static constexpr uint8_t kTagCells = 7;
  static constexpr uint8_t kTagRowStatus = 8;
  static constexpr uint8_t kTagColumnInfo = 9;

  // The prototype arrays of Table: cells (one Datum reference, default the
  // nil datum, stream type 12), row statuses (one Status reference, default
  // the success status, type 13) and column information (element size 0).
  static const MemArray& cellPrototype();
  static const MemArray& rowStatusPrototype();
  static const MemArray& columnInfoPrototype();

  // Every constructor takes, last, the prototypes of its three arrays.
  // 0 x 0, no names, no title.
  explicit Table(const MemArray& cells = cellPrototype(),
                 const MemArray& rowStatus = rowStatusPrototype(),
                 const MemArray& columnInfo = columnInfoPrototype());
  // 0 x 0 with the title (a reference is taken; null: none).
  explicit Table(Datum* title, const MemArray& cells = cellPrototype(),
                 const MemArray& rowStatus = rowStatusPrototype(),
                 const MemArray& columnInfo = columnInfoPrototype());
  // rows x cols nil cells (none when the product is 0). A negative size gives
  // 0 x 0 with "($01$)Attempt to resize a Table failed." as the table's status.
  Table(int32_t rows, int32_t cols, const MemArray& cells = cellPrototype(),
        const MemArray& rowStatus = rowStatusPrototype(),
        const MemArray& columnInfo = columnInfoPrototype());
  Table(Datum* title, int32_t rows, int32_t cols, const MemArray& cells = cellPrototype(),
        const MemArray& rowStatus = rowStatusPrototype(),
        const MemArray& columnInfo = columnInfoPrototype());
  // A copy of any table: its flags, its names collection (shared), its title
  // (src.title(), shared), its sizes, its cells (shared), its row statuses
  // and column information. src's copy link becomes the new table. Out of
  // memory: the copy's status is the out-of-memory status.
  explicit Table(const AbsTable& src, const MemArray& cells = cellPrototype(),
                 const MemArray& rowStatus = rowStatusPrototype(),
                 const MemArray& columnInfo = columnInfoPrototype());
  Table(const Table& src);
  // Releases the names, the title, every cell and every row status.
  ~Table() override;

  // Whether the cell array is allocated (cellCount() is rows() x cols()).
  bool hasCells() const { return cellCount_ > 0; }
  int32_t cellCount() const { return cellCount_; }

  // Object and Datum interface.
  // A new Table made by the copy constructor, owned by the caller; null when
  // it cannot be allocated.
  Object* shallowCopy() const override;
  // Gives the table its own names collection and that collection its own
  // copies of the names.
  void deepenShallowCopy() override;
  // As AbsTable, over the cells that exist: a table without a cell array
  // counts as 0 x 0, since all its cells read as nil.
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  // An empty line, the title, ":Table(R rows, C cols):", "Column names:",
  // the names, then the cells row by row, each followed by a blank (numbers
  // with two decimals), or "There are no cells in this Table.".
  void printOn(std::ostream& out) const override;
  bool classMark() const override;
  void clearClassMark() override;
  const Class* species() const override;  // Table
  Datum* newEmpty() const override;       // a new 0 x 0 Table
  int typeCode() const override;          // 11
  int streamTypeNumber() const override;  // 1
  Object* newForStream() const override;  // a new 0 x 0 Table
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;
  // The value-stream forms of a cell and of a row status, for the element
  // operations of the prototype arrays: the writers put tag 2 and the
  // element's object, the readers take the object after that tag.
  static bool writeCellTagged(const void* element, TableStream& stream);
  static bool readCellTagged(void* element, TableStream& stream);
  static bool writeRowStatusTagged(const void* element, TableStream& stream);
  static bool readRowStatusTagged(void* element, TableStream& stream);

  // AbsTable interface.
  using AbsTable::insertColumns;
  using AbsTable::setCell;
  const NameCltn* columnNames() const override;
  int32_t rows() const override { return rows_; }
  int32_t cols() const override { return cols_; }
  Datum* cell(int32_t row, const char* colName) const override;
  Datum* cell(int32_t row, const Text& colName) const override;
  Datum* cell(int32_t row, int32_t col) const override;
  AbsTable* rowSubtable(int32_t firstRow, int32_t count) const override;
  AbsTable* columnSubtable(const char* colName, int32_t count) const override;
  AbsTable* columnSubtable(const Text& colName, int32_t count) const override;
  AbsTable* columnSubtable(int32_t firstCol, int32_t count) const override;
  AbsTable* subtable(int32_t row1, const char* col1, int32_t row2, const char* col2) const override;
  AbsTable* subtable(int32_t row1, const Text& col1, int32_t row2, const Text& col2) const override;
  AbsTable* subtable(int32_t row1, int32_t col1, int32_t row2, int32_t col2) const override;
  char* columnName(int32_t col, char* buf, int32_t bufSize, int32_t alias = 0) const override;
  const char* columnName(int32_t col, int32_t alias = 0) const override;
  int32_t columnIndex(const char* name) const override;
  int32_t columnIndex(const Text& name) const override;
  int32_t columnIndexNoCase(const char* name) const override;
  int32_t columnIndexNoCase(const Text& name) const override;
  const Status* rowStatus(int32_t row) const override;
  Datum* title() const override;
  [[nodiscard]] const Status* resize(int32_t newRows, int32_t newCols) override;
  const Status* setTitle(const char* text) override;
  const Status* setTitle(Datum* title) override;
  const Status* setCell(int32_t row, const char* colName, Datum* value) override;
  const Status* setCell(int32_t row, const Text& colName, Datum* value) override;
  const Status* setCell(int32_t row, int32_t col, Datum* value) override;
  const Status* addColumnName(int32_t col, const char* name) override;
  const Status* addColumnName(int32_t col, Text* name) override;
  const Status* renameColumn(const char* oldName, const char* newName) override;
  const Status* renameColumn(const Text& oldName, Text* newName) override;
  const Status* replaceRows(const AbsTable& src, int32_t firstRow, int32_t count) override;
  const Status* replaceColumns(const AbsTable& src, const char* colName, int32_t count) override;
  const Status* replaceColumns(const AbsTable& src, const Text& colName, int32_t count) override;
  const Status* replaceColumns(const AbsTable& src, int32_t firstCol, int32_t count) override;
  const Status* replaceRange(int32_t row1, const Text& col1, int32_t row2, const Text& col2,
                             const AbsTable& src) override;
  const Status* replaceRange(int32_t row1, int32_t col1, int32_t row2, int32_t col2,
                             const AbsTable& src) override;
  const Status* setRowStatus(int32_t row, const Status* status) override;
  const Status* clearRowStatus() override;
  const Status* insertColumns(const char* colName, int32_t count) override;
  const Status* insertColumns(const Text& colName, int32_t count) override;
  const Status* insertColumns(int32_t col, int32_t count) override;
  const Status* insertRows(const AbsTable& src, int32_t row, int32_t count) override;
  const Status* insertRows(int32_t row, int32_t count) override;
  const Status* deleteColumns(const char* colName, int32_t count) override;
  const Status* deleteColumns(const Text& colName, int32_t count) override;
  const Status* deleteColumns(int32_t col, int32_t count) override;
  const Status* removeColumnNames(int32_t col, int32_t count) override;
  const Status* deleteRows(int32_t row, int32_t count) override;
  const Status* sort(SortComparator comparator, int32_t col, void* extra = nullptr) override;
  const Status* sortByColumn(const char* colName) override;
  const Status* sortByColumn(const Text& colName) override;
  const Status* sortByColumn(int32_t col) override;
  bool hasRowStatus() const override;
  bool hasColumnInfo() const override;
  const Status* copyColumnInfo(const AbsTable& src, int32_t col, int32_t srcCol) override;
  AbsTable* nestedCopy(void* arg = nullptr) const override;

  // 117-119: Table's own hooks.
  // Told of each cell that a sort, insert or delete moved, with its new row
  // and the first name of its column (null: none). No value class here
  // keeps track of where it is, so Table does nothing.
  virtual void noteCellMoved(Datum* cell, int32_t row, const char* colName);
  // Prints rowStatus(row) when the table has row statuses.
  virtual void printRowStatus(int32_t row, std::ostream& out) const;
  // Prints the column information of col: nothing in Table.
  virtual void printColumnInfo(int32_t col, std::ostream& out) const;

 private:
  Datum** cellData() const { return static_cast<Datum**>(cells_.data()); }
  // Sets the cell at (row, col), retaining value and releasing the old one.
  // REQUIRES: the cell exists.
  void putCell(int32_t row, int32_t col, Datum* value);
  // A new empty table of this table's class, or null.
  Table* newEmptyTable() const;
  // Makes the names collection this table's own before an edit.
  const Status* ensurePrivateNames();
  // Creates an empty names collection when there is none.
  const Status* ensureNames();
  // Adds, for column k + shift, every name of names whose column k lies in
  // [first, last).
  const Status* addNamesFrom(const NameCltn& names, int64_t first, int64_t last, int64_t shift);
  // Rebuilds the table as newRows x newCols, all or nothing. Old column c
  // maps to c below colAt; from colAt on it maps to c + colDelta, and with a
  // negative colDelta the columns [colAt, colAt - colDelta) are dropped. A
  // cell whose row or mapped column falls outside is released; new cells are
  // nil. A non-empty column-information array follows the same mapping, a
  // non-empty row-status array the row count.
  const Status* rebuild(int32_t newRows, int32_t newCols, int32_t colAt, int32_t colDelta);
  // Calls noteCellMoved for the cells of rows [first, last) for which moved
  // (given the row) is true.
  template <class Moved>
  void noteMovedRows(int32_t first, int32_t last, Moved moved);
  // Applies the permutation "new row r holds old row order(r)" to the cells
  // and row statuses; false when memory runs out (nothing changed).
  template <class Order>
  bool permuteRows(Order order);
  // Reads one array of the stored form (cells, row statuses or column
  // information) of n elements.
  bool readArray(OIOin& stream, MemArray& array, int64_t n);

  int32_t cellCount_ = 0;
  int32_t rows_ = 0;
  int32_t cols_ = 0;
  MemArray cells_;
  MemArray rowStatus_;
  MemArray columnInfo_;
  NameCltn* names_ = nullptr;
  Datum* title_ = nullptr;
};

}  // namespace dv

#endif  // DV_TABLE_TABLE_H_
