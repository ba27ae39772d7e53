// AbsTable: the interface every table class serves. A table is a grid of
// rows() x cols() cells, each a shared reference to a Datum, with optional
// column names (several per column), a title and one status per row. A table
// is itself a Datum, so a cell may hold another table: that is how nested
// (NF2) values are represented.
//
// Reads never fail: a cell outside the grid is the shared nil datum, an
// unknown name gives -1 or the operation's "not found" answer. Changes answer
// a shared status (the success status, a table status of
// table/TableStatus.h, or the out-of-memory status) and never throw. Every
// index and count is checked: a bad one answers the bounds status and changes
// nothing.
//
// The virtual operations are declared in their fixed slot order after those
// of Datum. Operations implemented here are written in terms of the others;
// the result-set hooks keep fixed defaults for table classes that present
// query results (lockMode() 1 turns the lock checks on).
#ifndef DV_TABLE_ABSTABLE_H_
#define DV_TABLE_ABSTABLE_H_

#include <cstdint>
#include <iosfwd>

#include "datum/Datum.h"
#include "table/NameCltn.h"

namespace dv {

class Text;

// The empty, NULL title that tables hand out when they have none (count -1,
// built before main runs). It must not be changed.
Text* sharedEmptyText();

class AbsTable : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(AbsTable)

 public:
  // The four flags, as stored and streamed.
  static constexpr uint16_t kFlagResizable = 1;
  static constexpr uint16_t kFlagChangeable = 2;
  static constexpr uint16_t kFlag2 = 4;
  static constexpr uint16_t kFlag3 = 8;
  static constexpr uint16_t kAllFlags = 15;

  // The records a sort orders, one per row. Without an extra argument a
  // record holds the row, the sort column and the table; with one, three
  // words the comparator may use come first, and the extra argument last.
  struct SortRecord {
    int32_t row;
    int32_t col;
    const AbsTable* table;
  };
  struct ExtendedSortRecord {
    uint32_t scratch[3];
    int32_t row;
    int32_t col;
    const AbsTable* table;
    void* extra;
  };
  // Orders two records as qsort comparators do (negative, 0, positive).
  using SortComparator = int (*)(const void* a, const void* b);
  // The comparator of sortByColumn: the sign of the first record's cell
  // compared with the second's.
  static int compareCells(const void* a, const void* b);

  // The updatability answers of the result-set hooks.
  static constexpr int kUpdatable = 2;

  ~AbsTable() override;

  // Object and Datum interface.
  // Reported as not to be implemented: AbsTable is abstract.
  Object* shallowCopy() const override;
  // compareKind, then the cells row-major over the union of both shapes (a
  // cell outside a table counts as the nil datum).
  int compare(const Object& other) const override;
  // Consistent with compare: positions and hashes of the text and table cells.
  uint32_t hash() const override;
  void deepenShallowCopy() override;               // nothing
  void printOn(std::ostream& out) const override;  // nothing
  bool classMark() const override;
  void clearClassMark() override;
  // The title's.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  bool isGreaterThan(const Datum& x) const override;  // false
  bool isLessThan(const Datum& x) const override;     // false
  // True when rows() <= 0 or cols() <= 0, otherwise the status's answer.
  bool isNull() const override;

  // 1-21: the shape, cells, names and title.
  // The names collection, never null: a shared empty one when there are
  // none. The caller must not change it.
  virtual const NameCltn* columnNames() const = 0;
  virtual int32_t rows() const = 0;
  virtual int32_t cols() const = 0;
  // The cell, never null: the shared nil datum outside the grid, in an empty
  // slot, or for an unknown column name.
  virtual Datum* cell(int32_t row, const char* colName) const = 0;
  virtual Datum* cell(int32_t row, const Text& colName) const = 0;
  virtual Datum* cell(int32_t row, int32_t col) const = 0;
  // New tables owned by the caller, sharing the cells; a new empty table for
  // a request out of range; null only when the new table cannot be made.
  virtual AbsTable* rowSubtable(int32_t firstRow, int32_t count) const = 0;
  virtual AbsTable* columnSubtable(const char* colName, int32_t count) const = 0;
  virtual AbsTable* columnSubtable(const Text& colName, int32_t count) const = 0;
  virtual AbsTable* columnSubtable(int32_t firstCol, int32_t count) const = 0;
  virtual AbsTable* subtable(int32_t row1, const char* col1, int32_t row2,
                             const char* col2) const = 0;
  virtual AbsTable* subtable(int32_t row1, const Text& col1, int32_t row2,
                             const Text& col2) const = 0;
  virtual AbsTable* subtable(int32_t row1, int32_t col1, int32_t row2, int32_t col2) const = 0;
  // The alias-th name (from 0, in name order) of column col, copied with its
  // NUL into buf (at most bufSize bytes, cut to fit); buf, or null when there
  // is no such name.
  virtual char* columnName(int32_t col, char* buf, int32_t bufSize, int32_t alias = 0) const = 0;
  // The alias-th name of column col, or null. The characters live as long as
  // the name stays in the table.
  virtual const char* columnName(int32_t col, int32_t alias = 0) const = 0;
  // The column carrying name (exact), or -1.
  virtual int32_t columnIndex(const char* name) const = 0;
  virtual int32_t columnIndex(const Text& name) const = 0;
  // columnIndex, else the first name in name order equal to name ignoring
  // the case of ASCII letters, else -1.
  virtual int32_t columnIndexNoCase(const char* name) const = 0;
  virtual int32_t columnIndexNoCase(const Text& name) const = 0;
  // The row's status, never null: the success status outside the array.
  virtual const Status* rowStatus(int32_t row) const = 0;
  // The title, never null: sharedEmptyText() when there is none.
  virtual Datum* title() const = 0;

  // 22-29: searches, through the value's own isEqual and compare.
  // The first row whose cell in the column equals value; rows() when none,
  // for an unknown name or a column outside the table.
  virtual int32_t findRow(const char* colName, const Datum& value) const;
  virtual int32_t findRow(const Text& colName, const Datum& value) const;
  virtual int32_t findRow(int32_t col, const Datum& value) const;
  // findRow, except that a Text value matches Text cells ignoring case.
  virtual int32_t findRowNoCase(const char* colName, const Datum& value) const;
  virtual int32_t findRowNoCase(const Text& colName, const Datum& value) const;
  virtual int32_t findRowNoCase(int32_t col, const Datum& value) const;
  // The first row whose cell in col is a Text with a character other than
  // blank and tab that compares equal to value; failing that, for a Text
  // value, the first such cell equal ignoring case; -1 when none.
  virtual int32_t lookupRow(const Datum& value, int32_t col) const;
  // The first column whose cell in row equals value; cols() when none.
  virtual int32_t findColumn(int32_t row, const Datum& value) const;

  // 30-56: changes.
  // Keeps every cell whose row and column both survive, in place; new cells
  // are nil.
  [[nodiscard]] virtual const Status* resize(int32_t newRows, int32_t newCols) = 0;
  // A new Text title from text; a null text changes nothing.
  virtual const Status* setTitle(const char* text) = 0;
  // Holds title (null clears it).
  virtual const Status* setTitle(Datum* title) = 0;
  // Store a new Text of the characters (null: the nil datum), growing the
  // table to fit.
  virtual const Status* setCell(int32_t row, int32_t col, char* text);
  virtual const Status* setCell(int32_t row, const Text& colName, const char* text);
  virtual const Status* setCell(int32_t row, const char* colName, const char* text);
  virtual const Status* setCell(int32_t row, int32_t col, const char* text);
  // Store a new Number holding value, growing the table to fit.
  virtual const Status* setCell(int32_t row, const Text& colName, int32_t value);
  virtual const Status* setCell(int32_t row, const char* colName, int32_t value);
  virtual const Status* setCell(int32_t row, int32_t col, int32_t value);
  // Store value (null: the nil datum), growing the table to fit. The table
  // takes a reference.
  virtual const Status* setCell(int32_t row, const char* colName, Datum* value) = 0;
  virtual const Status* setCell(int32_t row, const Text& colName, Datum* value) = 0;
  virtual const Status* setCell(int32_t row, int32_t col, Datum* value) = 0;
  // Adds a name for column col (not checked against cols()); the Text form
  // takes a reference on name. A null name adds nothing.
  virtual const Status* addColumnName(int32_t col, const char* name) = 0;
  virtual const Status* addColumnName(int32_t col, Text* name) = 0;
  // Replaces every name of column col by name; a null name does nothing.
  virtual const Status* setColumnName(int32_t col, const char* name);
  virtual const Status* setColumnName(int32_t col, Text* name);
  // Gives the column carrying oldName the name newName instead.
  virtual const Status* renameColumn(const char* oldName, const char* newName) = 0;
  virtual const Status* renameColumn(const Text& oldName, Text* newName) = 0;
  // Rows firstRow.. of this table take the cells (and row statuses) of the
  // rows 0.. of src, sharing them; columns beyond src's width become nil.
  virtual const Status* replaceRows(const AbsTable& src, int32_t firstRow, int32_t count) = 0;
  // Columns firstCol.. take the cells and names of the columns 0.. of src.
  virtual const Status* replaceColumns(const AbsTable& src, const char* colName, int32_t count) = 0;
  virtual const Status* replaceColumns(const AbsTable& src, const Text& colName, int32_t count) = 0;
  virtual const Status* replaceColumns(const AbsTable& src, int32_t firstCol, int32_t count) = 0;
  // The rectangle between the two corners takes the cells of src from its
  // top-left corner on.
  virtual const Status* replaceRange(int32_t row1, const Text& col1, int32_t row2, const Text& col2,
                                     const AbsTable& src) = 0;
  virtual const Status* replaceRange(int32_t row1, int32_t col1, int32_t row2, int32_t col2,
                                     const AbsTable& src) = 0;
  // Holds status as the status of row (a null status is kept as none),
  // growing the table to fit.
  virtual const Status* setRowStatus(int32_t row, const Status* status) = 0;
  // Drops every row status.
  virtual const Status* clearRowStatus() = 0;

  // 57-67: inserting and deleting.
  // insertColumns(col, count), then replaceColumns(src, col, count).
  virtual const Status* insertColumns(const AbsTable& src, int32_t col, int32_t count);
  // count nil columns before col (before the name's column), names of later
  // columns moving with them.
  virtual const Status* insertColumns(const char* colName, int32_t count) = 0;
  virtual const Status* insertColumns(const Text& colName, int32_t count) = 0;
  virtual const Status* insertColumns(int32_t col, int32_t count) = 0;
  // insertRows(row, count), then replaceRows(src, row, count).
  virtual const Status* insertRows(const AbsTable& src, int32_t row, int32_t count) = 0;
  // count nil rows before row.
  virtual const Status* insertRows(int32_t row, int32_t count) = 0;
  // Deletes up to count columns from col, with their names; the last column
  // cannot be deleted (count >= cols() is refused).
  virtual const Status* deleteColumns(const char* colName, int32_t count) = 0;
  virtual const Status* deleteColumns(const Text& colName, int32_t count) = 0;
  virtual const Status* deleteColumns(int32_t col, int32_t count) = 0;
  // Removes every name of the columns col to col + count - 1.
  virtual const Status* removeColumnNames(int32_t col, int32_t count) = 0;
  // Deletes up to count rows from row.
  virtual const Status* deleteRows(int32_t row, int32_t count) = 0;

  // 68-76: sorting and the arrays.
  // Orders the rows by comparator over one record per row (see SortRecord),
  // keeping rows with equal keys in their order, then calls afterSort.
  virtual const Status* sort(SortComparator comparator, int32_t col, void* extra = nullptr) = 0;
  // sort(compareCells, col): ascending order of the column.
  virtual const Status* sortByColumn(const char* colName) = 0;
  virtual const Status* sortByColumn(const Text& colName) = 0;
  virtual const Status* sortByColumn(int32_t col) = 0;
  // Deletes every row equal in every column to a later row, so that the last
  // of each group of equal rows stays and the survivors keep their order.
  virtual const Status* removeDuplicateRows();
  // Called at the end of a sort with the records in their new order; the
  // success status.
  virtual const Status* afterSort(const void* records, int32_t count, bool extended);
  virtual bool hasRowStatus() const = 0;
  virtual bool hasColumnInfo() const = 0;
  // Column col takes the column information of column srcCol of src.
  virtual const Status* copyColumnInfo(const AbsTable& src, int32_t col, int32_t srcCol) = 0;

  // 77-79: result-set hooks.
  virtual void resultSetHook77();
  // 1 turns the lock checks on; 0 here.
  virtual int lockMode() const;
  virtual const Status* resultSetHook79();

  // 80-87: the flags.
  virtual bool flag3() const;
  virtual void setFlag3(bool on);
  virtual bool flag2() const;
  virtual void setFlag2(bool on);
  // Cell changes are allowed (the lock check reads it when lockMode() is 1).
  virtual bool isChangeable() const;
  virtual void setChangeable(bool on);
  // Resizing is allowed (likewise).
  virtual bool isResizable() const;
  virtual void setResizable(bool on);

  // 88-113: result-set hooks with fixed defaults; "not implemented" is the
  // DATUMERR status "($01$)Method not implemented on subclass.".
  virtual bool isSearchable(int32_t col) const;         // true
  virtual bool resultSetHook89() const;                 // true
  virtual const Status* resultSetHook90();              // not implemented
  virtual const Status* resultSetHook91();              // not implemented
  virtual bool resultSetHook92() const;                 // false
  virtual void resultSetHook93();                       // nothing
  virtual int updatability(int32_t col) const;          // kUpdatable
  virtual int resultSetHook95() const;                  // kUpdatable
  virtual const Status* resultSetHook96();              // not implemented
  virtual const Status* resultSetHook97();              // not implemented
  virtual int resultSetHook98() const;                  // 0
  virtual const Status* resultSetHook99();              // not implemented
  virtual int resultSetHook100() const;                 // 0
  virtual const Status* resultSetHook101();             // not implemented
  virtual bool isRowUpdatable(int32_t row) const;       // true
  virtual const Status* resultSetHook103();             // success
  virtual const Status* resultSetHook104();             // not implemented
  virtual const Status* resultSetHook105();             // not implemented
  virtual bool resultSetHook106() const;                // false
  virtual const Status* resultSetHook107();             // not implemented
  virtual const Status* resultSetHook108();             // not implemented
  virtual const Status* resultSetHook109();             // not implemented
  virtual const Status* resultSetHook110();             // not implemented
  virtual Datum* prototypeSubtable(int32_t col) const;  // the nil datum
  virtual Datum* resultSetHook112() const;              // the nil datum
  virtual Datum* resultSetHook113() const;              // the nil datum

  // 114-116.
  // A new table owned by the caller, sharing names, title and every cell
  // that is not a table; cells that are tables are replaced by their own
  // nestedCopy(arg). Null when any part cannot be made (nothing is left
  // behind) or the tables nest deeper than kMaxNesting.
  virtual AbsTable* nestedCopy(void* arg = nullptr) const = 0;
  virtual void resultSetHook115();
  virtual void resultSetHook116();

  // How deep nestedCopy follows tables in cells: a table that holds itself
  // would otherwise never end.
  static constexpr int kMaxNesting = 256;

  // The flags as one value (kFlag... bits).
  uint16_t flags() const { return flags_; }
  void setFlags(uint16_t flags) { flags_ = flags & kAllFlags; }
  // The latest table copied from this one by the copy constructor, or null.
  // No table operation reads it.
  const AbsTable* copyLink() const { return copyLink_; }

 protected:
  // All four flags set, no copy link.
  AbsTable();
  // The flags of src; src's copy link becomes this table.
  AbsTable(const AbsTable& src);
  AbsTable& operator=(const AbsTable&) = delete;

  // The lock checks: the locked status when lockMode() is 1 and the table
  // refuses the change, otherwise null.
  const Status* cellLockRefusal() const;
  const Status* resizeLockRefusal() const;

 private:
  void setFlag(uint16_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }

  uint16_t flags_ = kAllFlags;
  mutable const AbsTable* copyLink_ = nullptr;
};

}  // namespace dv

#endif  // DV_TABLE_ABSTABLE_H_
