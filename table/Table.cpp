// The concrete table: construction, the cell array and its rebuilding,
// names with copy on write, the change operations, sorting, copies, printing
// and the stored form.
#include "table/Table.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>
#include <string>

#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "object/Exception.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/Registry.h"
#include "table/TableStatus.h"

namespace dv {
namespace {

bool classMarkFlag = false;

// How deep nestedCopy is at the moment.
int nestedCopyDepth = 0;

constexpr int64_t kMaxCells = INT32_MAX;

// The element operations of the three prototype arrays.

Datum*& cellAt(void* e) {
  return *static_cast<Datum**>(e);
}
Datum* cellAt(const void* e) {
  return *static_cast<Datum* const*>(e);
}

void initCell(void* e) {
  cellAt(e) = nilDatum();
}

void releaseCell(void* e) {
  cellAt(e)->release();
}

void readCell(void* e, OIOin& stream) {
  Object* ob = stream.readObjectHeld();
  if (ob == nil()) return;
  if (!ob->isKindOf(Datum::desc())) {
    // Let go of it first: the report may unwind the reader.
    std::string found = ob->className();
    ob->release();
    stream.failSyntax("a value", found.c_str());
    return;
  }
  Datum* d = static_cast<Datum*>(ob);
  // The shared nil value comes back as itself.
  if (d != nilDatum() && d->isKindOf(NilDatum::desc()) && d->status() == nilDatum()->status()) {
    d->release();
    return;
  }
  cellAt(e) = d;
}

void storeCell(const void* e, OIOout& stream) {
  cellAt(e)->storeOn(stream);
}

void readCellBinary(void* e, OIOinbin& stream) {
  readCell(e, textSide(stream));
}

void storeCellBinary(const void* e, OIOoutbin& stream) {
  storeCell(e, textSide(stream));
}

void copyCellFrom(void* e, const AbsTable& src, uint32_t index) {
  int32_t cols = src.cols();
  Datum* d = cols > 0 ? src.cell(static_cast<int32_t>(index / static_cast<uint32_t>(cols)),
                                 static_cast<int32_t>(index % static_cast<uint32_t>(cols)))
                      : nilDatum();
  d->addRef();
  cellAt(e) = d;
}

const Status*& statusAt(void* e) {
  return *static_cast<const Status**>(e);
}
const Status* statusAt(const void* e) {
  return *static_cast<const Status* const*>(e);
}

void initRowStatus(void* e) {
  statusAt(e) = successStatus();
}

void releaseRowStatus(void* e) {
  if (statusAt(e) != nullptr) statusAt(e)->release();
}

void readRowStatus(void* e, OIOin& stream) {
  Object* ob = stream.readObjectHeld();
  if (ob == nil()) return;
  if (!ob->isKindOf(Status::desc())) {
    std::string found = ob->className();
    ob->release();
    stream.failSyntax("a status", found.c_str());
    return;
  }
  statusAt(e) = static_cast<const Status*>(ob);
}

void storeRowStatus(const void* e, OIOout& stream) {
  const Status* s = statusAt(e);
  (s != nullptr ? s : successStatus())->storeOn(stream);
}

void readRowStatusBinary(void* e, OIOinbin& stream) {
  readRowStatus(e, textSide(stream));
}

void storeRowStatusBinary(const void* e, OIOoutbin& stream) {
  storeRowStatus(e, textSide(stream));
}

void copyRowStatusFrom(void* e, const AbsTable& src, uint32_t index) {
  const Status* s = src.rowStatus(static_cast<int32_t>(index));
  s->addRef();
  statusAt(e) = s;
}

// The value-stream forms of the elements belong to the value stream.
const MemArrayOps kCellOps = {&initCell,
                              &releaseCell,
                              &readCell,
                              &storeCell,
                              &readCellBinary,
                              &storeCellBinary,
                              &copyCellFrom,
                              &Table::writeCellTagged,
                              &Table::readCellTagged};
const MemArrayOps kRowStatusOps = {&initRowStatus,
                                   &releaseRowStatus,
                                   &readRowStatus,
                                   &storeRowStatus,
                                   &readRowStatusBinary,
                                   &storeRowStatusBinary,
                                   &copyRowStatusFrom,
                                   &Table::writeRowStatusTagged,
                                   &Table::readRowStatusTagged};

void registerTablePrototypes(const Class&) {
  static Table prototype;
  registerPrototype(&prototype, Table::kStreamTypeNumber);
  registerPrototype(const_cast<MemArray*>(&Table::cellPrototype()), MemArray::kCellsTypeTag);
  registerPrototype(const_cast<MemArray*>(&Table::rowStatusPrototype()),
                    MemArray::kRowStatusTypeTag);
}

Datum* tableFromString(const char*) {
  return new (std::nothrow) Table;
}

// The descriptor, writable for the creation statistics (heap instances only:
// the prototype built while the descriptor is made is not counted).
DatumClass& tableClass() {
  static const Class* const bases[] = {&AbsTable::desc(), nullptr};
  static const Class* const members[] = {&MemArray::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static DatumClass d("Table", bases, members, none, 1, Class::kIdent, sizeof(Table),
                      &readObjectText<Table>, &readObjectBinary<Table>, &registerTablePrototypes,
                      nullptr, &tableFromString);
  return d;
}

int32_t clampToInt32(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// A copy of a table taken before the table changes itself from itself;
// null after reporting out of memory through *st.
Table* snapshotOf(const Table& t, const Status** st) {
  Table* copy = new (std::nothrow) Table(t);
  if (copy != nullptr && copy->status() != outOfMemoryStatus()) return copy;
  if (copy != nullptr) copy->release();
  *st = outOfMemoryStatus();
  return nullptr;
}

// Releases a snapshot when it goes out of scope.
struct SnapshotHolder {
  Table* table = nullptr;
  ~SnapshotHolder() {
    if (table != nullptr) table->release();
  }
};

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Table, AbsTable)

const Class& Table::desc() {
  return tableClass();
}

const MemArray& Table::cellPrototype() {
  static const MemArray prototype(sizeof(Datum*), &kCellOps, 0, MemArray::kCellsTypeTag);
  return prototype;
}

const MemArray& Table::rowStatusPrototype() {
  static const MemArray prototype(sizeof(const Status*), &kRowStatusOps, 0,
                                  MemArray::kRowStatusTypeTag);
  return prototype;
}

const MemArray& Table::columnInfoPrototype() {
  static const MemArray prototype(0, nullptr, 0, MemArray::kNotStreamable);
  return prototype;
}

// Construction

Table::Table(const MemArray& cells, const MemArray& rowStatus, const MemArray& columnInfo)
    : cells_(cells), rowStatus_(rowStatus), columnInfo_(columnInfo) {
  if (refCount() >= 1) countCreation(tableClass());
}

Table::Table(Datum* title, const MemArray& cells, const MemArray& rowStatus,
             const MemArray& columnInfo)
    : Table(cells, rowStatus, columnInfo) {
  if (title != nullptr) title->addRef();
  title_ = title;
}

Table::Table(int32_t rows, int32_t cols, const MemArray& cells, const MemArray& rowStatus,
             const MemArray& columnInfo)
    : Table(nullptr, rows, cols, cells, rowStatus, columnInfo) {}

Table::Table(Datum* title, int32_t rows, int32_t cols, const MemArray& cells,
             const MemArray& rowStatus, const MemArray& columnInfo)
    : Table(title, cells, rowStatus, columnInfo) {
  if (rows < 0 || cols < 0) {
    setStatus(tableResizeFailedStatus());
    return;
  }
  rows_ = rows;
  cols_ = cols;
  int64_t n = static_cast<int64_t>(rows) * cols;
  if (n == 0) return;
  if (n > kMaxCells || !cells_.resize(static_cast<uint32_t>(n))) {
    setStatus(outOfMemoryStatus());
    return;
  }
  cellCount_ = static_cast<int32_t>(n);
}

Table::Table(const AbsTable& src, const MemArray& cells, const MemArray& rowStatus,
             const MemArray& columnInfo)
    : AbsTable(src), cells_(cells), rowStatus_(rowStatus), columnInfo_(columnInfo) {
  if (refCount() >= 1) countCreation(tableClass());
  const NameCltn* names = src.columnNames();
  if (names != sharedEmptyNames()) {
    if (names->refCount() >= 1) {
      names_ = const_cast<NameCltn*>(names);
      names_->addRef();
    } else {
      // A collection that counting does not own cannot be shared safely.
      names_ = NameCltn::copyOf(*names);
      if (names_ == nullptr) setStatus(outOfMemoryStatus());
    }
  }
  title_ = src.title();
  title_->addRef();
  rows_ = src.rows();
  cols_ = src.cols();
  int64_t n = static_cast<int64_t>(rows_) * cols_;
  if (n > 0) {
    if (n > kMaxCells || !cells_.resize(static_cast<uint32_t>(n))) {
      setStatus(outOfMemoryStatus());
      return;
    }
    cellCount_ = static_cast<int32_t>(n);
    Datum** mine = cellData();
    if (src.isKindOf(Table::desc())) {
      const Table& t = static_cast<const Table&>(src);
      if (t.hasCells()) {
        Datum** theirs = t.cellData();
        for (int32_t i = 0; i < cellCount_; ++i) {
          theirs[i]->addRef();
          mine[i] = theirs[i];
        }
      }
    } else {
      for (int32_t i = 0; i < cellCount_; ++i) cells_.copyFrom(static_cast<uint32_t>(i), src, i);
    }
  }
  if (src.hasRowStatus()) {
    if (!rowStatus_.resize(static_cast<uint32_t>(rows_))) {
      setStatus(outOfMemoryStatus());
    } else {
      for (int32_t r = 0; r < rows_; ++r) rowStatus_.copyFrom(static_cast<uint32_t>(r), src, r);
    }
  }
  if (src.hasColumnInfo() && columnInfo_.elementSize() > 0) {
    if (!columnInfo_.resize(static_cast<uint32_t>(cols_))) {
      setStatus(outOfMemoryStatus());
    } else {
      for (int32_t c = 0; c < cols_; ++c) columnInfo_.copyFrom(static_cast<uint32_t>(c), src, c);
    }
  }
}

Table::Table(const Table& src) : Table(static_cast<const AbsTable&>(src)) {}

Table::~Table() {
  if (names_ != nullptr) names_->release();
  if (title_ != nullptr) title_->release();
  if (refCount() >= 0) countDestruction(tableClass());
}

// Small helpers

void Table::putCell(int32_t row, int32_t col, Datum* value) {
  Datum*& slot = cellData()[static_cast<int64_t>(row) * cols_ + col];
  value->addRef();
  slot->release();
  slot = value;
}

Table* Table::newEmptyTable() const {
  Datum* d = newEmpty();
  if (d == nullptr) return nullptr;
  if (!d->isKindOf(Table::desc())) {
    d->release();
    return nullptr;
  }
  return static_cast<Table*>(d);
}

const Status* Table::ensurePrivateNames() {
  if (names_ == nullptr || names_->refCount() <= 1) return successStatus();
  NameCltn* own = NameCltn::copyOf(*names_);
  if (own == nullptr) return outOfMemoryStatus();
  names_->release();
  names_ = own;
  return successStatus();
}

const Status* Table::ensureNames() {
  if (names_ != nullptr) return ensurePrivateNames();
  NameCltn* fresh = new (std::nothrow) NameCltn;
  if (fresh == nullptr) return outOfMemoryStatus();
  if (fresh->capacity() == 0) {
    fresh->release();
    return outOfMemoryStatus();
  }
  names_ = fresh;
  return successStatus();
}

const Status* Table::addNamesFrom(const NameCltn& names, int64_t first, int64_t last,
                                  int64_t shift) {
  int32_t n = static_cast<int32_t>(names.size());
  for (int32_t i = 0; i < n; ++i) {
    int64_t k = names.columnAt(i);
    if (k < first || k >= last) continue;
    const Status* st =
        addColumnName(static_cast<int32_t>(k + shift), const_cast<Text*>(&names.nameAt(i)));
    if (st != successStatus()) return st;
  }
  return successStatus();
}

template <class Moved>
void Table::noteMovedRows(int32_t first, int32_t last, Moved moved) {
  if (!hasCells()) return;
  for (int32_t c = 0; c < cols_; ++c) {
    const char* name = columnName(c, 0);
    for (int32_t r = first; r < last; ++r) {
      if (moved(r)) noteCellMoved(cellData()[static_cast<int64_t>(r) * cols_ + c], r, name);
    }
  }
}

// The cell array

const Status* Table::rebuild(int32_t newRows, int32_t newCols, int32_t colAt, int32_t colDelta) {
  int64_t n = static_cast<int64_t>(newRows) * newCols;
  if (n > kMaxCells) return outOfMemoryStatus();
  // Everything that can fail comes first; nothing changes until all of it
  // has succeeded.
  Datum** block = nullptr;
  if (n > 0) {
    block = static_cast<Datum**>(allocate(static_cast<std::size_t>(n) * sizeof(Datum*)));
    if (block == nullptr) return outOfMemoryStatus();
  }
  uint32_t infoBefore = columnInfo_.count();
  bool infoGrew = false;
  if (infoBefore > 0) {
    if (colDelta > 0 && colAt < static_cast<int32_t>(infoBefore)) {
      infoGrew =
          columnInfo_.insertGap(static_cast<uint32_t>(colAt), static_cast<uint32_t>(colDelta));
      if (!infoGrew) {
        deallocate(block);
        return outOfMemoryStatus();
      }
    }
    uint32_t want = static_cast<uint32_t>(newCols);
    if (!infoGrew && want > columnInfo_.count()) {
      if (!columnInfo_.resize(want)) {
        deallocate(block);
        return outOfMemoryStatus();
      }
      infoGrew = true;
    }
  }
  uint32_t statusBefore = rowStatus_.count();
  if (statusBefore > 0 && static_cast<uint32_t>(newRows) > statusBefore) {
    if (!rowStatus_.resize(static_cast<uint32_t>(newRows))) {
      if (infoGrew) {
        if (colDelta > 0 && colAt < static_cast<int32_t>(infoBefore)) {
          columnInfo_.removeRange(static_cast<uint32_t>(colAt), static_cast<uint32_t>(colDelta));
        } else {
          (void)columnInfo_.resize(infoBefore);
        }
      }
      deallocate(block);
      return outOfMemoryStatus();
    }
  }
  // From here on nothing fails.
  for (int64_t i = 0; i < n; ++i) block[i] = nilDatum();
  if (hasCells()) {
    Datum** old = cellData();
    for (int32_t r = 0; r < rows_; ++r) {
      for (int32_t c = 0; c < cols_; ++c) {
        Datum* d = old[static_cast<int64_t>(r) * cols_ + c];
        int64_t to = c;
        if (c >= colAt) {
          to = static_cast<int64_t>(c) + colDelta;
          if (colDelta < 0 && c < static_cast<int64_t>(colAt) - colDelta) to = -1;
        }
        if (r < newRows && to >= 0 && to < newCols) {
          block[static_cast<int64_t>(r) * newCols + to] = d;
        } else {
          d->release();
        }
      }
    }
  }
  cells_.replaceBlock(block, static_cast<uint32_t>(n));
  if (infoBefore > 0) {
    if (colDelta < 0 && colAt < static_cast<int32_t>(infoBefore)) {
      uint32_t drop = std::min(static_cast<uint32_t>(-static_cast<int64_t>(colDelta)),
                               infoBefore - static_cast<uint32_t>(colAt));
      columnInfo_.removeRange(static_cast<uint32_t>(colAt), drop);
    }
    if (columnInfo_.count() > static_cast<uint32_t>(newCols)) {
      (void)columnInfo_.resize(static_cast<uint32_t>(newCols));
    }
  }
  if (statusBefore > 0 && static_cast<uint32_t>(newRows) < statusBefore) {
    (void)rowStatus_.resize(static_cast<uint32_t>(newRows));
  }
  rows_ = newRows;
  cols_ = newCols;
  cellCount_ = static_cast<int32_t>(n);
  return successStatus();
}

const Status* Table::resize(int32_t newRows, int32_t newCols) {
  if (const Status* refused = resizeLockRefusal()) return refused;
  if (newRows < 0 || newCols < 0) return tableBoundsStatus();
  int64_t n = static_cast<int64_t>(newRows) * newCols;
  if (n > kMaxCells) {
    setStatus(outOfMemoryStatus());
    return outOfMemoryStatus();
  }
  if (hasCells() && n > 0 && newCols == cols_) {
    // The same column count: the array is cut or grown at its end.
    if (newRows < rows_) {
      (void)cells_.resize(static_cast<uint32_t>(n));
      if (hasRowStatus()) (void)rowStatus_.resize(static_cast<uint32_t>(newRows));
    } else if (newRows > rows_) {
      if (!cells_.resize(static_cast<uint32_t>(n))) {
        setStatus(outOfMemoryStatus());
        return outOfMemoryStatus();
      }
      if (hasRowStatus() && !rowStatus_.resize(static_cast<uint32_t>(newRows))) {
        (void)cells_.resize(static_cast<uint32_t>(cellCount_));
        setStatus(outOfMemoryStatus());
        return outOfMemoryStatus();
      }
    }
    rows_ = newRows;
    cellCount_ = static_cast<int32_t>(n);
    return successStatus();
  }
  bool allocating = !hasCells() && n > 0;
  const Status* st = rebuild(newRows, newCols, cols_, 0);
  if (st != successStatus()) {
    setStatus(st);
    return st;
  }
  if (allocating) setStatus(successStatus());
  return successStatus();
}

// Cells

const NameCltn* Table::columnNames() const {
  return names_ != nullptr ? names_ : sharedEmptyNames();
}

Datum* Table::cell(int32_t row, const char* colName) const {
  return cell(row, columnIndex(colName));
}

Datum* Table::cell(int32_t row, const Text& colName) const {
  return cell(row, columnIndex(colName));
}

Datum* Table::cell(int32_t row, int32_t col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_ || !hasCells()) return nilDatum();
  return cellData()[static_cast<int64_t>(row) * cols_ + col];
}

const Status* Table::setCell(int32_t row, const char* colName, Datum* value) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, value);
}

const Status* Table::setCell(int32_t row, const Text& colName, Datum* value) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, value);
}

const Status* Table::setCell(int32_t row, int32_t col, Datum* value) {
  if (const Status* refused = cellLockRefusal()) return refused;
  if (row < 0 || col < 0 || row == INT32_MAX || col == INT32_MAX) return tableBoundsStatus();
  if (row >= rows_ || col >= cols_ || !hasCells()) {
    const Status* st = resize(std::max(rows_, row + 1), std::max(cols_, col + 1));
    if (st != successStatus()) return st;
  }
  putCell(row, col, value != nullptr ? value : nilDatum());
  return successStatus();
}

// Sub-tables

AbsTable* Table::rowSubtable(int32_t firstRow, int32_t count) const {
  Table* t = newEmptyTable();
  if (t == nullptr || firstRow < 0 || firstRow >= rows_ || count < 0) return t;
  count = std::min(count, rows_ - firstRow);
  if (t->resize(count, cols_) != successStatus()) return t;
  if (hasCells() && t->hasCells()) {
    Datum** from = cellData() + static_cast<int64_t>(firstRow) * cols_;
    Datum** to = t->cellData();
    for (int32_t i = 0; i < t->cellCount_; ++i) {
      from[i]->addRef();
      to[i] = from[i];
    }
  }
  if (names_ != nullptr) {
    names_->addRef();
    t->names_ = names_;
  }
  if (hasRowStatus()) {
    if (!t->rowStatus_.resize(static_cast<uint32_t>(count))) {
      t->setStatus(outOfMemoryStatus());
      return t;
    }
    for (int32_t r = 0; r < count; ++r) {
      t->rowStatus_.copyFrom(static_cast<uint32_t>(r), *this, firstRow + r);
    }
  }
  return t;
}

AbsTable* Table::columnSubtable(const char* colName, int32_t count) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? newEmptyTable() : columnSubtable(col, count);
}

AbsTable* Table::columnSubtable(const Text& colName, int32_t count) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? newEmptyTable() : columnSubtable(col, count);
}

AbsTable* Table::columnSubtable(int32_t firstCol, int32_t count) const {
  Table* t = newEmptyTable();
  if (t == nullptr || firstCol < 0 || firstCol >= cols_ || count < 0) return t;
  int32_t taken = std::min(count, cols_ - firstCol);
  if (t->resize(rows_, taken) != successStatus()) return t;
  if (hasCells() && t->hasCells()) {
    for (int32_t r = 0; r < rows_; ++r) {
      for (int32_t c = 0; c < taken; ++c) {
        Datum* d = cellData()[static_cast<int64_t>(r) * cols_ + firstCol + c];
        d->addRef();
        t->cellData()[static_cast<int64_t>(r) * taken + c] = d;
      }
    }
  }
  const Status* st = successStatus();
  if (names_ != nullptr) {
    st = t->addNamesFrom(*names_, firstCol, static_cast<int64_t>(firstCol) + count, -firstCol);
  }
  for (int32_t c = 0; st == successStatus() && hasColumnInfo() && c < taken; ++c) {
    st = t->copyColumnInfo(*this, c, firstCol + c);
  }
  if (st != successStatus()) t->setStatus(st);
  return t;
}

AbsTable* Table::subtable(int32_t row1, const char* col1, int32_t row2, const char* col2) const {
  int32_t c1 = columnIndex(col1);
  int32_t c2 = columnIndex(col2);
  return c1 < 0 || c2 < 0 ? newEmptyTable() : subtable(row1, c1, row2, c2);
}

AbsTable* Table::subtable(int32_t row1, const Text& col1, int32_t row2, const Text& col2) const {
  int32_t c1 = columnIndex(col1);
  int32_t c2 = columnIndex(col2);
  return c1 < 0 || c2 < 0 ? newEmptyTable() : subtable(row1, c1, row2, c2);
}

AbsTable* Table::subtable(int32_t row1, int32_t col1, int32_t row2, int32_t col2) const {
  Table* t = newEmptyTable();
  if (t == nullptr) return t;
  row1 = std::max(row1, 0);
  row2 = std::max(row2, 0);
  col1 = std::max(col1, 0);
  col2 = std::max(col2, 0);
  int32_t top = std::min(row1, row2);
  int32_t bottom = std::min(std::max(row1, row2), rows_ - 1);
  int32_t left = std::min(col1, col2);
  int32_t right = std::min(std::max(col1, col2), cols_ - 1);
  if (top >= rows_ || left >= cols_) return t;
  int32_t height = bottom - top + 1;
  int32_t width = right - left + 1;
  if (t->resize(height, width) != successStatus()) return t;
  if (hasCells() && t->hasCells()) {
    for (int32_t r = 0; r < height; ++r) {
      for (int32_t c = 0; c < width; ++c) {
        Datum* d = cellData()[static_cast<int64_t>(top + r) * cols_ + left + c];
        d->addRef();
        t->cellData()[static_cast<int64_t>(r) * width + c] = d;
      }
    }
  }
  if (names_ != nullptr) {
    const Status* st = t->addNamesFrom(*names_, left, static_cast<int64_t>(right) + 1, -left);
    if (st != successStatus()) t->setStatus(st);
  }
  return t;
}

// Names

char* Table::columnName(int32_t col, char* buf, int32_t bufSize, int32_t alias) const {
  const char* name = columnName(col, alias);
  if (name == nullptr || buf == nullptr || bufSize < 1) return nullptr;
  std::size_t n = std::min(std::strlen(name), static_cast<std::size_t>(bufSize) - 1);
  std::memcpy(buf, name, n);
  buf[n] = '\0';
  return buf;
}

const char* Table::columnName(int32_t col, int32_t alias) const {
  if (alias < 0 || names_ == nullptr) return nullptr;
  int32_t n = static_cast<int32_t>(names_->size());
  for (int32_t i = 0; i < n; ++i) {
    if (names_->columnAt(i) == col && alias-- == 0) return names_->nameAt(i).chars();
  }
  return nullptr;
}

int32_t Table::columnIndex(const char* name) const {
  if (name == nullptr || names_ == nullptr || names_->size() == 0) return -1;
  Text probe(name);
  if (probe.status() == outOfMemoryStatus()) return -1;
  return columnIndex(probe);
}

int32_t Table::columnIndex(const Text& name) const {
  if (names_ == nullptr || names_->size() == 0) return -1;
  int32_t i = names_->indexOfName(name);
  return i < 0 ? -1 : names_->columnAt(i);
}

int32_t Table::columnIndexNoCase(const char* name) const {
  if (name == nullptr || names_ == nullptr || names_->size() == 0) return -1;
  Text probe(name);
  if (probe.status() == outOfMemoryStatus()) return -1;
  return columnIndexNoCase(probe);
}

int32_t Table::columnIndexNoCase(const Text& name) const {
  int32_t col = columnIndex(name);
  if (col >= 0 || names_ == nullptr) return col;
  int32_t n = static_cast<int32_t>(names_->size());
  for (int32_t i = 0; i < n; ++i) {
    if (names_->nameAt(i).compareNoCase(name) == 0) return names_->columnAt(i);
  }
  return -1;
}

const Status* Table::addColumnName(int32_t col, const char* name) {
  if (name == nullptr) return successStatus();
  if (col < 0) return tableBoundsStatus();
  Text* text = Text::make(name);
  if (text == nullptr) return outOfMemoryStatus();
  const Status* st = addColumnName(col, text);
  text->release();
  return st;
}

const Status* Table::addColumnName(int32_t col, Text* name) {
  if (name == nullptr) return successStatus();
  if (col < 0) return tableBoundsStatus();
  bool made = names_ == nullptr;
  const Status* st = ensureNames();
  if (st != successStatus()) return st;
  Integer* number = new (std::nothrow) Integer(col);
  bool added = number != nullptr && names_->add(name, number);
  if (number != nullptr) number->release();
  if (added) return successStatus();
  if (made) {
    names_->release();
    names_ = nullptr;
  }
  return outOfMemoryStatus();
}

const Status* Table::removeColumnNames(int32_t col, int32_t count) {
  if (col < 0 || count < 0) return tableBoundsStatus();
  if (names_ == nullptr) return successStatus();
  const Status* st = ensurePrivateNames();
  if (st != successStatus()) return st;
  int64_t end = static_cast<int64_t>(col) + count;
  for (int32_t i = static_cast<int32_t>(names_->size()) - 1; i >= 0; --i) {
    int32_t k = names_->columnAt(i);
    if (k >= col && k < end) names_->removeAt(i);
  }
  return successStatus();
}

const Status* Table::renameColumn(const char* oldName, const char* newName) {
  if (oldName == nullptr || newName == nullptr) return tableBoundsStatus();
  Text probe(oldName);
  if (probe.status() == outOfMemoryStatus()) return outOfMemoryStatus();
  Text* fresh = Text::make(newName);
  if (fresh == nullptr) return outOfMemoryStatus();
  const Status* st = renameColumn(probe, fresh);
  fresh->release();
  return st;
}

const Status* Table::renameColumn(const Text& oldName, Text* newName) {
  if (names_ == nullptr || newName == nullptr) return tableBoundsStatus();
  int32_t i = names_->indexOfName(oldName);
  if (i < 0) return tableBoundsStatus();
  if (names_->nameAt(i).compare(oldName) != 0) return columnNameNotFoundStatus();
  const Status* st = ensurePrivateNames();
  if (st != successStatus()) return st;
  names_->renameAt(i, newName);
  return successStatus();
}

// Row statuses and title

const Status* Table::rowStatus(int32_t row) const {
  if (row < 0 || static_cast<uint32_t>(row) >= rowStatus_.count()) return successStatus();
  const Status* s = *static_cast<const Status* const*>(rowStatus_.at(static_cast<uint32_t>(row)));
  return s != nullptr ? s : successStatus();
}

const Status* Table::setRowStatus(int32_t row, const Status* status) {
  if (row < 0 || row == INT32_MAX) return tableBoundsStatus();
  uint32_t before = rowStatus_.count();
  uint32_t want = static_cast<uint32_t>(std::max(rows_, row + 1));
  if (before < want && !rowStatus_.resize(want)) {
    setStatus(outOfMemoryStatus());
    return outOfMemoryStatus();
  }
  if (row >= rows_) {
    const Status* st = resize(row + 1, cols_);
    if (st != successStatus()) {
      (void)rowStatus_.resize(before);
      return st;
    }
  }
  const Status*& slot = *static_cast<const Status**>(rowStatus_.at(static_cast<uint32_t>(row)));
  if (status != nullptr) status->addRef();
  if (slot != nullptr) slot->release();
  slot = status;
  return successStatus();
}

const Status* Table::clearRowStatus() {
  (void)rowStatus_.resize(0);
  return successStatus();
}

bool Table::hasRowStatus() const {
  return rowStatus_.count() > 0;
}

bool Table::hasColumnInfo() const {
  return columnInfo_.count() > 0;
}

const Status* Table::copyColumnInfo(const AbsTable& src, int32_t col, int32_t srcCol) {
  if (col < 0 || srcCol < 0 || srcCol >= src.cols()) return tableBoundsStatus();
  if (columnInfo_.elementSize() == 0) return successStatus();
  uint32_t want = static_cast<uint32_t>(col) + 1;
  if (columnInfo_.count() < want && !columnInfo_.resize(want)) return outOfMemoryStatus();
  columnInfo_.copyFrom(static_cast<uint32_t>(col), src, static_cast<uint32_t>(srcCol));
  return successStatus();
}

Datum* Table::title() const {
  return title_ != nullptr ? title_ : sharedEmptyText();
}

const Status* Table::setTitle(const char* text) {
  if (text == nullptr) return successStatus();
  Text* fresh = new (std::nothrow) Text(text);
  if (fresh == nullptr) return outOfMemoryStatus();
  if (fresh->status() == outOfMemoryStatus()) {
    fresh->release();
    return outOfMemoryStatus();
  }
  if (title_ != nullptr) title_->release();
  title_ = fresh;
  return successStatus();
}

const Status* Table::setTitle(Datum* title) {
  if (title != nullptr) title->addRef();
  if (title_ != nullptr) title_->release();
  title_ = title;
  return successStatus();
}

// Replacing from another table

const Status* Table::replaceRows(const AbsTable& src, int32_t firstRow, int32_t count) {
  if (const Status* refused = cellLockRefusal()) return refused;
  if (firstRow < 0 || count < 0) return tableBoundsStatus();
  int64_t end = static_cast<int64_t>(firstRow) + count;
  if (end > INT32_MAX) return tableBoundsStatus();
  const Status* st = successStatus();
  SnapshotHolder snapshot;
  if (&src == this && (snapshot.table = snapshotOf(*this, &st)) == nullptr) return st;
  const AbsTable& from = snapshot.table != nullptr ? *snapshot.table : src;
  int32_t newRows = std::max(rows_, static_cast<int32_t>(end));
  int32_t newCols = std::max(cols_, from.cols());
  if (newRows != rows_ || newCols != cols_ || (!hasCells() && newRows > 0 && newCols > 0)) {
    st = resize(newRows, newCols);
    if (st != successStatus()) return st;
  }
  bool statuses = from.hasRowStatus();
  if (statuses && rowStatus_.count() < static_cast<uint32_t>(rows_) &&
      !rowStatus_.resize(static_cast<uint32_t>(rows_))) {
    return outOfMemoryStatus();
  }
  for (int32_t r = firstRow; r < end; ++r) {
    if (lockMode() == 1 && !isRowUpdatable(r)) continue;
    for (int32_t c = 0; c < cols_ && hasCells(); ++c) putCell(r, c, from.cell(r - firstRow, c));
    if (statuses) (void)setRowStatus(r, from.rowStatus(r - firstRow));
  }
  return successStatus();
}

const Status* Table::replaceColumns(const AbsTable& src, const char* colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : replaceColumns(src, col, count);
}

const Status* Table::replaceColumns(const AbsTable& src, const Text& colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : replaceColumns(src, col, count);
}

const Status* Table::replaceColumns(const AbsTable& src, int32_t firstCol, int32_t count) {
  if (const Status* refused = cellLockRefusal()) return refused;
  if (firstCol < 0 || count < 0) return tableBoundsStatus();
  int64_t end = static_cast<int64_t>(firstCol) + count;
  if (end > INT32_MAX) return tableBoundsStatus();
  const Status* st = successStatus();
  SnapshotHolder snapshot;
  if (&src == this && (snapshot.table = snapshotOf(*this, &st)) == nullptr) return st;
  const AbsTable& from = snapshot.table != nullptr ? *snapshot.table : src;
  if (from.rows() > rows_ || end > cols_ || (!hasCells() && rows_ > 0 && cols_ > 0)) {
    st = resize(std::max(rows_, from.rows()), std::max(cols_, static_cast<int32_t>(end)));
    if (st != successStatus()) return st;
  }
  bool info = from.hasColumnInfo() && columnInfo_.elementSize() > 0;
  if (info && columnInfo_.count() < static_cast<uint32_t>(cols_) &&
      !columnInfo_.resize(static_cast<uint32_t>(cols_))) {
    return outOfMemoryStatus();
  }
  // The names are made private before any cell changes, so that running out
  // of memory there leaves the table as it was.
  st = ensurePrivateNames();
  if (st != successStatus()) return st;
  for (int32_t c = firstCol; c < end && hasCells(); ++c) {
    if (lockMode() == 1 && updatability(c) == 0) continue;
    for (int32_t r = 0; r < rows_; ++r) putCell(r, c, from.cell(r, c - firstCol));
  }
  st = removeColumnNames(firstCol, count);
  if (st != successStatus()) return st;
  const NameCltn* names = from.columnNames();
  st = addNamesFrom(*names, 0, count, firstCol);
  if (st != successStatus()) return st;
  for (int32_t c = firstCol; info && c < end; ++c) {
    st = copyColumnInfo(from, c, c - firstCol);
    if (st != successStatus()) return st;
  }
  return successStatus();
}

const Status* Table::replaceRange(int32_t row1, const Text& col1, int32_t row2, const Text& col2,
                                  const AbsTable& src) {
  int32_t c1 = columnIndex(col1);
  int32_t c2 = columnIndex(col2);
  return c1 < 0 || c2 < 0 ? tableBoundsStatus() : replaceRange(row1, c1, row2, c2, src);
}

const Status* Table::replaceRange(int32_t row1, int32_t col1, int32_t row2, int32_t col2,
                                  const AbsTable& src) {
  if (const Status* refused = cellLockRefusal()) return refused;
  if (row1 < 0 || col1 < 0 || row2 < 0 || col2 < 0) return tableBoundsStatus();
  int32_t top = std::min(row1, row2);
  int32_t bottom = std::max(row1, row2);
  int32_t left = std::min(col1, col2);
  int32_t right = std::max(col1, col2);
  if (bottom == INT32_MAX || right == INT32_MAX) return tableBoundsStatus();
  const Status* st = successStatus();
  SnapshotHolder snapshot;
  if (&src == this && (snapshot.table = snapshotOf(*this, &st)) == nullptr) return st;
  const AbsTable& from = snapshot.table != nullptr ? *snapshot.table : src;
  int32_t newRows = std::max(rows_, bottom + 1);
  int32_t newCols = std::max(cols_, right + 1);
  if (newRows != rows_ || newCols != cols_ || !hasCells()) {
    st = resize(newRows, newCols);
    if (st != successStatus()) {
      setStatus(st);
      return st;
    }
  }
  for (int32_t r = bottom; r >= top; --r) {
    if (lockMode() == 1 && !isRowUpdatable(r)) continue;
    for (int32_t c = right; c >= left; --c) {
      if (lockMode() == 1 && updatability(c) == 0) continue;
      putCell(r, c, from.cell(r - top, c - left));
    }
  }
  return successStatus();
}

// Inserting and deleting

const Status* Table::insertColumns(const char* colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : insertColumns(col, count);
}

const Status* Table::insertColumns(const Text& colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : insertColumns(col, count);
}

const Status* Table::insertColumns(int32_t col, int32_t count) {
  if (const Status* refused = resizeLockRefusal()) return refused;
  if (col < 0 || count < 0) return tableBoundsStatus();
  int64_t newCols = static_cast<int64_t>(std::max(cols_, col)) + count;
  if (newCols > INT32_MAX) return tableBoundsStatus();
  if (col >= cols_ || count == 0) return resize(rows_, static_cast<int32_t>(newCols));
  const Status* st = ensurePrivateNames();
  if (st != successStatus()) return st;
  st = rebuild(rows_, static_cast<int32_t>(newCols), col, count);
  if (st != successStatus()) {
    setStatus(st);
    return st;
  }
  int32_t n = names_ != nullptr ? static_cast<int32_t>(names_->size()) : 0;
  for (int32_t i = 0; i < n; ++i) {
    Integer& number = names_->columnObjectAt(i);
    if (number.value() >= col)
      number.setValue(clampToInt32(static_cast<int64_t>(number.value()) + count));
  }
  return successStatus();
}

const Status* Table::insertRows(const AbsTable& src, int32_t row, int32_t count) {
  const Status* st = successStatus();
  SnapshotHolder snapshot;
  if (&src == this && (snapshot.table = snapshotOf(*this, &st)) == nullptr) return st;
  st = insertRows(row, count);
  if (st != successStatus()) return st;
  return replaceRows(snapshot.table != nullptr ? *snapshot.table : src, row, count);
}

const Status* Table::insertRows(int32_t row, int32_t count) {
  if (const Status* refused = resizeLockRefusal()) return refused;
  if (row < 0 || count < 0) return tableBoundsStatus();
  int64_t newRows = static_cast<int64_t>(std::max(rows_, row)) + count;
  if (newRows > INT32_MAX) return tableBoundsStatus();
  int32_t oldRows = rows_;
  bool hadCells = hasCells();
  const Status* st = resize(static_cast<int32_t>(newRows), cols_);
  if (st != successStatus()) return st;
  if (row >= oldRows || count == 0) return successStatus();
  // The rows from row on move down by count; the gap becomes nil. The
  // resize has grown every array at its end.
  if (hadCells && hasCells()) {
    uint32_t width = static_cast<uint32_t>(cols_);
    cells_.moveBytes(static_cast<uint32_t>(row) * width, static_cast<uint32_t>(row + count) * width,
                     static_cast<uint32_t>(oldRows - row) * width);
    cells_.reinitRange(static_cast<uint32_t>(row) * width, static_cast<uint32_t>(count) * width);
  }
  if (hasRowStatus()) {
    rowStatus_.moveBytes(static_cast<uint32_t>(row), static_cast<uint32_t>(row + count),
                         static_cast<uint32_t>(oldRows - row));
    rowStatus_.reinitRange(static_cast<uint32_t>(row), static_cast<uint32_t>(count));
  }
  noteMovedRows(row + count, rows_, [](int32_t) { return true; });
  return successStatus();
}

const Status* Table::deleteColumns(const char* colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : deleteColumns(col, count);
}

const Status* Table::deleteColumns(const Text& colName, int32_t count) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : deleteColumns(col, count);
}

const Status* Table::deleteColumns(int32_t col, int32_t count) {
  if (const Status* refused = resizeLockRefusal()) return refused;
  if (count < 1 || col < 0 || count >= cols_) return tableBoundsStatus();
  int32_t n = std::min(count, cols_ - col);
  if (n <= 0) return successStatus();
  const Status* st = ensurePrivateNames();
  if (st != successStatus()) return st;
  st = rebuild(rows_, cols_ - n, col, -n);
  if (st != successStatus()) {
    setStatus(st);
    return st;
  }
  int32_t last = names_ != nullptr ? static_cast<int32_t>(names_->size()) - 1 : -1;
  for (int32_t i = last; i >= 0; --i) {
    Integer& number = names_->columnObjectAt(i);
    if (number.value() >= col && number.value() < col + n) {
      names_->removeAt(i);
    } else if (number.value() >= col + n) {
      number.setValue(number.value() - n);
    }
  }
  return successStatus();
}

const Status* Table::deleteRows(int32_t row, int32_t count) {
  if (lockMode() == 1 && !isResizable()) return tableLockedStatus();
  if (row < 0 || count < 0) return tableBoundsStatus();
  if (!hasCells()) return successStatus();
  if (row >= rows_) return tableBoundsStatus();
  int32_t n = std::min(count, rows_ - row);
  if (n == 0) return successStatus();
  uint32_t width = static_cast<uint32_t>(cols_);
  cells_.removeRange(static_cast<uint32_t>(row) * width, static_cast<uint32_t>(n) * width);
  if (hasRowStatus()) rowStatus_.removeRange(static_cast<uint32_t>(row), static_cast<uint32_t>(n));
  rows_ -= n;
  cellCount_ = static_cast<int32_t>(cells_.count());
  noteMovedRows(row, rows_, [](int32_t) { return true; });
  return successStatus();
}

// Sorting

template <class Order>
bool Table::permuteRows(Order order) {
  int32_t n = rows_;
  // A row of cells and a bit per row: the permutation is applied in place,
  // one cycle at a time.
  std::size_t width = static_cast<std::size_t>(cols_);
  Datum** spare =
      width > 0 && hasCells() ? static_cast<Datum**>(allocate(width * sizeof(Datum*))) : nullptr;
  if (width > 0 && hasCells() && spare == nullptr) return false;
  uint8_t* done = static_cast<uint8_t*>(allocate(static_cast<std::size_t>(n) / 8 + 1));
  if (done == nullptr) {
    deallocate(spare);
    return false;
  }
  std::memset(done, 0, static_cast<std::size_t>(n) / 8 + 1);
  auto isDone = [done](int32_t r) { return (done[r >> 3] >> (r & 7)) & 1; };
  auto markDone = [done](int32_t r) { done[r >> 3] |= static_cast<uint8_t>(1u << (r & 7)); };
  Datum** cells = hasCells() ? cellData() : nullptr;
  const Status** statuses =
      hasRowStatus() ? static_cast<const Status**>(rowStatus_.data()) : nullptr;
  std::size_t rowBytes = width * sizeof(Datum*);
  for (int32_t r = 0; r < n; ++r) {
    if (isDone(r)) continue;
    if (order(r) == r) {
      markDone(r);
      continue;
    }
    if (cells != nullptr && width > 0) std::memcpy(spare, cells + r * width, rowBytes);
    const Status* spareStatus = statuses != nullptr ? statuses[r] : nullptr;
    int32_t j = r;
    for (;;) {
      markDone(j);
      int32_t k = order(j);
      if (k == r) {
        if (cells != nullptr && width > 0) std::memcpy(cells + j * width, spare, rowBytes);
        if (statuses != nullptr) statuses[j] = spareStatus;
        break;
      }
      if (cells != nullptr && width > 0)
        std::memcpy(cells + j * width, cells + k * width, rowBytes);
      if (statuses != nullptr) statuses[j] = statuses[k];
      j = k;
    }
  }
  deallocate(spare);
  deallocate(done);
  return true;
}

const Status* Table::sort(SortComparator comparator, int32_t col, void* extra) {
  if (col < 0 || col >= cols_) return tableBoundsStatus();
  if (comparator == nullptr) comparator = &compareCells;
  int32_t n = rows_;
  bool extended = extra != nullptr;
  std::size_t recordSize = extended ? sizeof(ExtendedSortRecord) : sizeof(SortRecord);
  void* records = allocate(static_cast<std::size_t>(n) * recordSize);
  if (records == nullptr) return outOfMemoryStatus();
  SortRecord* plain = static_cast<SortRecord*>(records);
  ExtendedSortRecord* wide = static_cast<ExtendedSortRecord*>(records);
  for (int32_t r = 0; r < n; ++r) {
    if (extended) {
      wide[r] = ExtendedSortRecord{{0, 0, 0}, r, col, this, extra};
    } else {
      plain[r] = SortRecord{r, col, this};
    }
  }
  if (extended && comparator == &compareCells) {
    // The default order reads the wider records' own row and column.
    std::stable_sort(wide, wide + n, [](const ExtendedSortRecord& a, const ExtendedSortRecord& b) {
      return a.table->cell(a.row, a.col)->compare(*b.table->cell(b.row, b.col)) < 0;
    });
  } else if (extended) {
    std::stable_sort(wide, wide + n,
                     [comparator](const ExtendedSortRecord& a, const ExtendedSortRecord& b) {
                       return comparator(&a, &b) < 0;
                     });
  } else if (comparator == &compareCells && hasCells()) {
    // The default order reads each row's key cell once, not on every
    // comparison.
    struct Keyed {
      Datum* key;
      int32_t row;
    };
    Keyed* keyed = static_cast<Keyed*>(allocate(static_cast<std::size_t>(n) * sizeof(Keyed)));
    if (keyed == nullptr) {
      deallocate(records);
      return outOfMemoryStatus();
    }
    Datum** cells = cellData();
    for (int32_t r = 0; r < n; ++r)
      keyed[r] = Keyed{cells[static_cast<int64_t>(r) * cols_ + col], r};
    std::stable_sort(keyed, keyed + n,
                     [](const Keyed& a, const Keyed& b) { return a.key->compare(*b.key) < 0; });
    for (int32_t r = 0; r < n; ++r) plain[r].row = keyed[r].row;
    deallocate(keyed);
  } else {
    std::stable_sort(plain, plain + n, [comparator](const SortRecord& a, const SortRecord& b) {
      return comparator(&a, &b) < 0;
    });
  }
  auto order = [&](int32_t r) { return extended ? wide[r].row : plain[r].row; };
  if (!permuteRows(order)) {
    deallocate(records);
    return outOfMemoryStatus();
  }
  noteMovedRows(0, n, [&](int32_t r) { return order(r) != r; });
  const Status* st = afterSort(records, n, extended);
  deallocate(records);
  return st;
}

const Status* Table::sortByColumn(const char* colName) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : sortByColumn(col);
}

const Status* Table::sortByColumn(const Text& colName) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : sortByColumn(col);
}

const Status* Table::sortByColumn(int32_t col) {
  return sort(&compareCells, col, nullptr);
}

// Copies

AbsTable* Table::nestedCopy(void* arg) const {
  if (nestedCopyDepth >= kMaxNesting) return nullptr;
  struct Depth {
    Depth() { ++nestedCopyDepth; }
    ~Depth() { --nestedCopyDepth; }
  } depth;
  Table* copy = new (std::nothrow) Table;
  if (copy == nullptr) return nullptr;
  copy->setFlags(flags());
  if (names_ != nullptr) names_->addRef();
  copy->names_ = names_;
  if (title_ != nullptr) title_->addRef();
  copy->title_ = title_;
  copy->rows_ = rows_;
  copy->cols_ = cols_;
  if (hasCells()) {
    if (!copy->cells_.resize(static_cast<uint32_t>(cellCount_))) {
      copy->release();
      return nullptr;
    }
    copy->cellCount_ = cellCount_;
    Datum** from = cellData();
    Datum** to = copy->cellData();
    for (int32_t i = 0; i < cellCount_; ++i) {
      if (from[i]->isKindOf(AbsTable::desc())) {
        AbsTable* inner = static_cast<AbsTable*>(from[i])->nestedCopy(arg);
        if (inner == nullptr) {
          copy->release();
          return nullptr;
        }
        to[i] = inner;
      } else {
        from[i]->addRef();
        to[i] = from[i];
      }
    }
  }
  if (hasRowStatus()) {
    if (!copy->rowStatus_.resize(static_cast<uint32_t>(rows_))) {
      copy->release();
      return nullptr;
    }
    for (int32_t r = 0; r < rows_; ++r)
      copy->rowStatus_.copyFrom(static_cast<uint32_t>(r), *this, r);
  }
  for (int32_t c = 0; hasColumnInfo() && c < cols_; ++c) {
    if (copy->copyColumnInfo(*this, c, c) != successStatus()) {
      copy->release();
      return nullptr;
    }
  }
  return copy;
}

Object* Table::shallowCopy() const {
  return new (std::nothrow) Table(*this);
}

void Table::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  if (names_ == nullptr || ensurePrivateNames() != successStatus()) return;
  names_->deepenShallowCopy();
}

// Comparison

int Table::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0 || !other.isKindOf(AbsTable::desc())) return k;
  const AbsTable& o = static_cast<const AbsTable&>(other);
  bool otherIsTable = o.isKindOf(Table::desc());
  bool otherHasCells = !otherIsTable || static_cast<const Table&>(o).hasCells();
  int32_t myRows = hasCells() ? rows_ : 0;
  int32_t myCols = hasCells() ? cols_ : 0;
  int32_t theirRows = otherHasCells ? o.rows() : 0;
  int32_t theirCols = otherHasCells ? o.cols() : 0;
  int32_t r = std::max(myRows, theirRows);
  int32_t c = std::max(myCols, theirCols);
  for (int32_t i = 0; i < r; ++i) {
    for (int32_t j = 0; j < c; ++j) {
      int d = cell(i, j)->compare(*o.cell(i, j));
      if (d != 0) return d;
    }
  }
  return 0;
}

uint32_t Table::hash() const {
  return hasCells() ? AbsTable::hash() : 0;
}

// Printing

void Table::printOn(std::ostream& out) const {
  std::ios_base::fmtflags savedFlags = out.flags();
  std::streamsize savedPrecision = out.precision();
  out << '\n';
  if (title_ != nullptr) title_->printOn(out);
  out << std::dec << ":Table(" << rows_ << " rows, " << cols_ << " cols):" << '\n';
  out << "Column names:" << '\n';
  if (names_ != nullptr) names_->printOn(out);
  out << '\n';
  if (hasColumnInfo()) {
    out << "Column Information:\n";
    for (int32_t c = 0; c < cols_; ++c) {
      printColumnInfo(c, out);
      out << '\n';
    }
  }
  out.precision(2);
  out.setf(std::ios_base::fixed, std::ios_base::floatfield);
  out.setf(std::ios_base::showpoint);
  if (!hasCells()) {
    out << "There are no cells in this Table." << '\n';
  } else {
    for (int32_t r = 0; r < rows_; ++r) {
      for (int32_t c = 0; c < cols_; ++c) {
        cellData()[static_cast<int64_t>(r) * cols_ + c]->printOn(out);
        out << ' ';
      }
      if (hasRowStatus()) {
        out << '\n';
        printRowStatus(r, out);
      }
      out << '\n';
    }
    out << '\n';
  }
  out.flags(savedFlags);
  out.precision(savedPrecision);
}

void Table::noteCellMoved(Datum*, int32_t, const char*) {}

void Table::printRowStatus(int32_t row, std::ostream& out) const {
  if (hasRowStatus()) rowStatus(row)->printOn(out);
}

void Table::printColumnInfo(int32_t, std::ostream&) const {}

// The rest of the Datum interface

bool Table::classMark() const {
  return classMarkFlag;
}

void Table::clearClassMark() {
  classMarkFlag = false;
}

const Class* Table::species() const {
  return &Table::desc();
}

Datum* Table::newEmpty() const {
  return new (std::nothrow) Table;
}

int Table::typeCode() const {
  return kTypeTable;
}

int Table::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* Table::newForStream() const {
  return new (std::nothrow) Table;
}

// Stored form, after the AbsTable part:
//   format 1: the names as a member NameCltn (empty when there are none),
//             the title as a member Text (empty and NULL when none);
//   format 2: a 16-bit flag, then (when 1) the names collection by
//             reference; the same for the title;
//   rows and cols; the rows x cols cells by reference, row-major (none when
//   the product is 0); the row-status count (rows or 0) and the statuses by
//   reference; the column-information count (cols or 0) and its elements.
// A table whose cell array could not be allocated is stored as 0 x 0 (its
// status says why): all its cells read as nil anyway.

bool Table::readArray(OIOin& stream, MemArray& array, int64_t n) {
  // The array grows as the elements arrive, never by a stored count alone.
  int64_t room = stream.roomFor(n);
  if (!array.resize(static_cast<uint32_t>(room))) {
    setStatus(outOfMemoryStatus());
    stream.failOutOfMemory();
    return false;
  }
  for (int64_t i = 0; i < n; ++i) {
    if (i == static_cast<int64_t>(array.count())) {
      int64_t more = std::min(n, static_cast<int64_t>(array.count()) * 2);
      if (!array.resize(static_cast<uint32_t>(more))) {
        setStatus(outOfMemoryStatus());
        stream.failOutOfMemory();
        return false;
      }
    }
    array.readElement(static_cast<uint32_t>(i), stream);
    if (stream.severity() >= kError) return false;
  }
  return true;
}

Table::Table(OIOin& stream)
    : AbsTable(stream),
      cells_(cellPrototype()),
      rowStatus_(rowStatusPrototype()),
      columnInfo_(columnInfoPrototype()) {
  if (refCount() >= 1) countCreation(tableClass());
  // A RAISE that unwinds this constructor skips the destructor; the arrays
  // are members and release their elements themselves.
  OnUnwind dropHeld([this] {
    if (names_ != nullptr) names_->release();
    if (title_ != nullptr) title_->release();
    if (refCount() >= 0) countDestruction(tableClass());
  });
  if (stream.severity() >= kError) return;
  if (stream.dataFormat() == kOIOFormatOld) {
    NameCltn* names = new (std::nothrow) NameCltn(stream);
    if (names == nullptr) {
      stream.failOutOfMemory();
      return;
    }
    if (names->size() == 0 || stream.severity() >= kError) {
      names->release();
    } else {
      names_ = names;
    }
    if (stream.severity() >= kError) return;
    Text* title = new (std::nothrow) Text(stream);
    if (title == nullptr) {
      stream.failOutOfMemory();
      return;
    }
    if ((title->isNull() && title->length() == 0) || stream.severity() >= kError) {
      title->release();
    } else {
      title_ = title;
    }
  } else {
    int16_t present = 0;
    stream >> present;
    if (stream.severity() >= kError) return;
    if (present != 0 && present != 1) {
      stream.failSyntax("a names flag (0 or 1)", std::to_string(present).c_str());
      return;
    }
    if (present == 1) {
      Object* ob = stream.readObjectHeld();
      if (ob != nil() && !ob->isKindOf(NameCltn::desc())) {
        std::string found = ob->className();
        ob->release();
        stream.failSyntax("a NameCltn", found.c_str());
        return;
      }
      if (ob != nil()) names_ = static_cast<NameCltn*>(ob);
    }
    stream >> present;
    if (stream.severity() >= kError) return;
    if (present != 0 && present != 1) {
      stream.failSyntax("a title flag (0 or 1)", std::to_string(present).c_str());
      return;
    }
    if (present == 1) {
      Object* ob = stream.readObjectHeld();
      if (ob != nil() && !ob->isKindOf(Datum::desc())) {
        std::string found = ob->className();
        ob->release();
        stream.failSyntax("a value", found.c_str());
        return;
      }
      if (ob != nil()) title_ = static_cast<Datum*>(ob);
    }
  }
  if (stream.severity() >= kError) return;
  int32_t rows = 0;
  int32_t cols = 0;
  stream >> rows >> cols;
  if (stream.severity() >= kError) return;
  if (rows < 0 || cols < 0) rows = cols = 0;
  int64_t n = static_cast<int64_t>(rows) * cols;
  if (n > 0) {
    if (!stream.checkCount(n, kMaxCells, "a cell count")) return;
    if (!readArray(stream, cells_, n)) return;
    cellCount_ = static_cast<int32_t>(n);
  }
  rows_ = rows;
  cols_ = cols;
  int32_t statuses = 0;
  stream >> statuses;
  if (stream.severity() >= kError) return;
  if (statuses != 0 && statuses != rows_) {
    stream.failSyntax(("0 or " + std::to_string(rows_) + " row statuses").c_str(),
                      std::to_string(statuses).c_str());
    return;
  }
  if (statuses > 0) {
    if (!stream.checkCount(statuses, kMaxCells, "a row-status count")) return;
    if (!readArray(stream, rowStatus_, statuses)) return;
  }
  int32_t infos = 0;
  stream >> infos;
  if (stream.severity() >= kError) return;
  bool readable = columnInfo_.elementSize() > 0 && columnInfo_.ops() != nullptr &&
                  columnInfo_.ops()->readText != nullptr;
  if (infos != 0 && (infos != cols_ || !readable)) {
    stream.failSyntax(readable ? ("0 or " + std::to_string(cols_) + " column entries").c_str()
                               : "no column information",
                      std::to_string(infos).c_str());
    return;
  }
  if (infos > 0) {
    if (!stream.checkCount(infos, kMaxCells, "a column-information count")) return;
    (void)readArray(stream, columnInfo_, infos);
  }
}

void Table::storer(OIOout& stream) const {
  AbsTable::storer(stream);
  bool sized = hasCells() || static_cast<int64_t>(rows_) * cols_ == 0;
  int32_t rows = sized ? rows_ : 0;
  int32_t cols = sized ? cols_ : 0;
  if (stream.dataFormat() == kOIOFormatOld) {
    // Fresh copies, held by the stream until it is flushed, so that no
    // other object takes their addresses while the store table knows them.
    NameCltn* names = names_ != nullptr ? NameCltn::copyOf(*names_) : new (std::nothrow) NameCltn;
    Text* title = nullptr;
    if (names != nullptr) {
      if (title_ == nullptr) {
        title = new (std::nothrow) Text;
      } else if (title_->isKindOf(Text::desc())) {
        title = new (std::nothrow) Text(*static_cast<const Text*>(title_));
      } else {
        title = new (std::nothrow) Text(*title_);
      }
    }
    if (names == nullptr || title == nullptr || title->status() == outOfMemoryStatus()) {
      if (names != nullptr) names->release();
      if (title != nullptr) title->release();
      stream.failOutOfMemory();
      return;
    }
    for (Object* member : {static_cast<Object*>(names), static_cast<Object*>(title)}) {
      member->storeMemberOn(stream);
      bool wasFine = stream.severity() < kError;
      stream.addPending(*member);
      // The stream could not keep it: it has failed, and the copy goes now.
      if (wasFine && stream.severity() >= kError) member->release();
    }
  } else {
    bool names = names_ != nullptr;
    stream << static_cast<int16_t>(names ? 1 : 0);
    if (names) names_->storeOn(stream);
    bool title = title_ != nullptr && title_ != sharedEmptyText();
    stream << static_cast<int16_t>(title ? 1 : 0);
    if (title) title_->storeOn(stream);
  }
  stream << rows << cols;
  int64_t n = static_cast<int64_t>(rows) * cols;
  for (int64_t i = 0; i < n; ++i) cells_.storeElement(static_cast<uint32_t>(i), stream);
  int32_t statuses = hasRowStatus() && rows > 0 ? rows : 0;
  stream << statuses;
  for (int32_t r = 0; r < statuses; ++r) rowStatus_.storeElement(static_cast<uint32_t>(r), stream);
  bool storable = columnInfo_.ops() != nullptr && columnInfo_.ops()->store != nullptr;
  int32_t infos = hasColumnInfo() && storable && sized ? cols : 0;
  stream << infos;
  for (int32_t c = 0; c < infos; ++c) columnInfo_.storeElement(static_cast<uint32_t>(c), stream);
}

}  // namespace dv
