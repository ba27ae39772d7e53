// The table interface: the operations written in terms of the others, the
// result-set hooks, the flags and the stored form of the AbsTable part.
#include "table/AbsTable.h"

#include <new>
#include <ostream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/OIO.h"
#include "table/TableStatus.h"

namespace dv {
namespace {

bool classMarkFlag = false;

Object* readAbstract(OIOin&) {
  Object::readAbstractClass("AbsTable");
  return nullptr;
}
Object* readAbstractBinary(OIOinbin&) {
  Object::readAbstractClass("AbsTable");
  return nullptr;
}

// A Text cell that takes part in lookupRow: not empty and not only blanks
// and tabs.
const Text* lookupCandidate(const Datum* cell) {
  if (!cell->isKindOf(Text::desc())) return nullptr;
  const Text* t = static_cast<const Text*>(cell);
  if (t->length() == 0 || t->spanOf(" \t") == t->length()) return nullptr;
  return t;
}

// Stores a temporary value made for a setCell overload and lets it go.
const Status* storeTemporary(AbsTable& table, int32_t row, int32_t col, Datum* value) {
  if (value == nullptr) return outOfMemoryStatus();
  if (value->status() == outOfMemoryStatus()) {
    value->release();
    return outOfMemoryStatus();
  }
  const Status* st = table.setCell(row, col, value);
  value->release();
  return st;
}

}  // namespace

Text* sharedEmptyText() {
  static Text empty;
  return &empty;
}
[[maybe_unused]] static const bool kSharedEmptyTextBuilt = (sharedEmptyText(), true);

DV_DEFINE_CLASS_MEMBERS(AbsTable, Datum)

const Class& AbsTable::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("AbsTable", bases, none, none, 1, Class::kIdent, sizeof(AbsTable),
                            &readAbstract, &readAbstractBinary, nullptr, nullptr, nullptr);
  return d;
}

AbsTable::AbsTable() = default;

AbsTable::AbsTable(const AbsTable& src) : Datum(src), flags_(src.flags_) {
  src.copyLink_ = this;
}

AbsTable::~AbsTable() = default;

int AbsTable::compareCells(const void* a, const void* b) {
  const SortRecord* x = static_cast<const SortRecord*>(a);
  const SortRecord* y = static_cast<const SortRecord*>(b);
  int c = x->table->cell(x->row, x->col)->compare(*y->table->cell(y->row, y->col));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Object and Datum interface

Object* AbsTable::shallowCopy() const {
  shouldNotImplement("shallowCopy");
  return nullptr;
}

int AbsTable::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0 || !other.isKindOf(AbsTable::desc())) return k;
  const AbsTable& o = static_cast<const AbsTable&>(other);
  int32_t r = rows() > o.rows() ? rows() : o.rows();
  int32_t c = cols() > o.cols() ? cols() : o.cols();
  for (int32_t i = 0; i < r; ++i) {
    for (int32_t j = 0; j < c; ++j) {
      int d = cell(i, j)->compare(*o.cell(i, j));
      if (d != 0) return d;
    }
  }
  return 0;
}

uint32_t AbsTable::hash() const {
  // Only cells whose compare answers 0 for equal values alone take part, so
  // that tables that compare equal hash alike.
  uint32_t h = 0;
  int32_t r = rows();
  int32_t c = cols();
  for (int32_t i = 0; i < r; ++i) {
    for (int32_t j = 0; j < c; ++j) {
      const Datum* d = cell(i, j);
      if (d->isKindOf(Text::desc()) || d->isKindOf(AbsTable::desc())) {
        h ^= d->hash() + 0x9E3779B9u * static_cast<uint32_t>(i) + static_cast<uint32_t>(j);
      }
    }
  }
  return h;
}

void AbsTable::deepenShallowCopy() {}

void AbsTable::printOn(std::ostream&) const {}

bool AbsTable::classMark() const {
  return classMarkFlag;
}

void AbsTable::clearClassMark() {
  classMarkFlag = false;
}

int AbsTable::maxTextLength(const char* fmt, FormatArg arg) const {
  return title()->maxTextLength(fmt, arg);
}

char* AbsTable::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  return title()->asString(buf, bufSize, fmt, arg);
}

bool AbsTable::isGreaterThan(const Datum&) const {
  return false;
}

bool AbsTable::isLessThan(const Datum&) const {
  return false;
}

bool AbsTable::isNull() const {
  return rows() <= 0 || cols() <= 0 || Datum::isNull();
}

// Searches

int32_t AbsTable::findRow(const char* colName, const Datum& value) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? rows() : findRow(col, value);
}

int32_t AbsTable::findRow(const Text& colName, const Datum& value) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? rows() : findRow(col, value);
}

int32_t AbsTable::findRow(int32_t col, const Datum& value) const {
  int32_t n = rows();
  if (col < 0 || col >= cols()) return n;
  for (int32_t r = 0; r < n; ++r) {
    if (value.isEqual(*cell(r, col))) return r;
  }
  return n;
}

int32_t AbsTable::findRowNoCase(const char* colName, const Datum& value) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? rows() : findRowNoCase(col, value);
}

int32_t AbsTable::findRowNoCase(const Text& colName, const Datum& value) const {
  int32_t col = columnIndex(colName);
  return col < 0 ? rows() : findRowNoCase(col, value);
}

int32_t AbsTable::findRowNoCase(int32_t col, const Datum& value) const {
  if (!value.isKindOf(Text::desc())) return findRow(col, value);
  const Text& text = static_cast<const Text&>(value);
  int32_t n = rows();
  if (col < 0 || col >= cols()) return n;
  for (int32_t r = 0; r < n; ++r) {
    const Datum* c = cell(r, col);
    if (c->isKindOf(Text::desc())) {
      if (text.compareNoCase(*static_cast<const Text*>(c)) == 0) return r;
    } else if (value.isEqual(*c)) {
      return r;
    }
  }
  return n;
}

int32_t AbsTable::lookupRow(const Datum& value, int32_t col) const {
  int32_t n = rows();
  if (n < 1 || cols() < 1 || col < 0 || col >= cols()) return -1;
  for (int32_t r = 0; r < n; ++r) {
    const Text* t = lookupCandidate(cell(r, col));
    if (t != nullptr && value.compare(*t) == 0) return r;
  }
  if (!value.isKindOf(Text::desc())) return -1;
  const Text& text = static_cast<const Text&>(value);
  for (int32_t r = 0; r < n; ++r) {
    const Text* t = lookupCandidate(cell(r, col));
    if (t != nullptr && text.compareNoCase(*t) == 0) return r;
  }
  return -1;
}

int32_t AbsTable::findColumn(int32_t row, const Datum& value) const {
  int32_t n = cols();
  if (row < 0 || row >= rows()) return n;
  for (int32_t c = 0; c < n; ++c) {
    if (value.isEqual(*cell(row, c))) return c;
  }
  return n;
}

// Changes written in terms of the others

const Status* AbsTable::setCell(int32_t row, int32_t col, char* text) {
  return setCell(row, col, static_cast<const char*>(text));
}

const Status* AbsTable::setCell(int32_t row, const Text& colName, const char* text) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, text);
}

const Status* AbsTable::setCell(int32_t row, const char* colName, const char* text) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, text);
}

const Status* AbsTable::setCell(int32_t row, int32_t col, const char* text) {
  if (text == nullptr) return setCell(row, col, static_cast<Datum*>(nilDatum()));
  return storeTemporary(*this, row, col, new (std::nothrow) Text(text));
}

const Status* AbsTable::setCell(int32_t row, const Text& colName, int32_t value) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, value);
}

const Status* AbsTable::setCell(int32_t row, const char* colName, int32_t value) {
  int32_t col = columnIndex(colName);
  return col < 0 ? tableBoundsStatus() : setCell(row, col, value);
}

const Status* AbsTable::setCell(int32_t row, int32_t col, int32_t value) {
  return storeTemporary(*this, row, col, new (std::nothrow) Number(value));
}

const Status* AbsTable::setColumnName(int32_t col, const char* name) {
  if (name == nullptr) return successStatus();
  if (col < 0) return tableBoundsStatus();
  // The new name is made before the old ones go, so that running out of
  // memory changes nothing.
  Text* text = Text::make(name);
  if (text == nullptr) return outOfMemoryStatus();
  const Status* st = setColumnName(col, text);
  text->release();
  return st;
}

const Status* AbsTable::setColumnName(int32_t col, Text* name) {
  if (name == nullptr) return successStatus();
  const Status* st = removeColumnNames(col, 1);
  if (st != successStatus()) return st;
  return addColumnName(col, name);
}

const Status* AbsTable::insertColumns(const AbsTable& src, int32_t col, int32_t count) {
  // A table inserted into itself is read as it was before the insertion.
  AbsTable* snapshot = nullptr;
  if (&src == this) {
    snapshot = static_cast<AbsTable*>(shallowCopy());
    if (snapshot == nullptr) return outOfMemoryStatus();
    if (snapshot->status() == outOfMemoryStatus()) {
      snapshot->release();
      return outOfMemoryStatus();
    }
  }
  const Status* st = insertColumns(col, count);
  if (st == successStatus()) st = replaceColumns(snapshot != nullptr ? *snapshot : src, col, count);
  if (snapshot != nullptr) snapshot->release();
  return st;
}

const Status* AbsTable::removeDuplicateRows() {
  int32_t c = cols();
  for (int32_t i = rows() - 2; i >= 0; --i) {
    for (int32_t j = i + 1; j < rows(); ++j) {
      int32_t k = 0;
      while (k < c && cell(i, k)->isEqual(*cell(j, k))) ++k;
      if (k < c) continue;
      const Status* st = deleteRows(i, 1);
      if (st != successStatus()) return st;
      break;
    }
  }
  return successStatus();
}

const Status* AbsTable::afterSort(const void*, int32_t, bool) {
  return successStatus();
}

// Lock checks

const Status* AbsTable::cellLockRefusal() const {
  return lockMode() == 1 && !isChangeable() ? tableLockedStatus() : nullptr;
}

const Status* AbsTable::resizeLockRefusal() const {
  return lockMode() == 1 && !isResizable() ? tableResizeLockedStatus() : nullptr;
}

// Result-set hooks and flags

void AbsTable::resultSetHook77() {}
int AbsTable::lockMode() const {
  return 0;
}
const Status* AbsTable::resultSetHook79() {
  return successStatus();
}

bool AbsTable::flag3() const {
  return (flags_ & kFlag3) != 0;
}
void AbsTable::setFlag3(bool on) {
  setFlag(kFlag3, on);
}
bool AbsTable::flag2() const {
  return (flags_ & kFlag2) != 0;
}
void AbsTable::setFlag2(bool on) {
  setFlag(kFlag2, on);
}
bool AbsTable::isChangeable() const {
  return (flags_ & kFlagChangeable) != 0;
}
void AbsTable::setChangeable(bool on) {
  setFlag(kFlagChangeable, on);
}
bool AbsTable::isResizable() const {
  return (flags_ & kFlagResizable) != 0;
}
void AbsTable::setResizable(bool on) {
  setFlag(kFlagResizable, on);
}

bool AbsTable::isSearchable(int32_t) const {
  return true;
}
bool AbsTable::resultSetHook89() const {
  return true;
}
const Status* AbsTable::resultSetHook90() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook91() {
  return notImplementedStatus();
}
bool AbsTable::resultSetHook92() const {
  return false;
}
void AbsTable::resultSetHook93() {}
int AbsTable::updatability(int32_t) const {
  return kUpdatable;
}
int AbsTable::resultSetHook95() const {
  return kUpdatable;
}
const Status* AbsTable::resultSetHook96() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook97() {
  return notImplementedStatus();
}
int AbsTable::resultSetHook98() const {
  return 0;
}
const Status* AbsTable::resultSetHook99() {
  return notImplementedStatus();
}
int AbsTable::resultSetHook100() const {
  return 0;
}
const Status* AbsTable::resultSetHook101() {
  return notImplementedStatus();
}
bool AbsTable::isRowUpdatable(int32_t) const {
  return true;
}
const Status* AbsTable::resultSetHook103() {
  return successStatus();
}
const Status* AbsTable::resultSetHook104() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook105() {
  return notImplementedStatus();
}
bool AbsTable::resultSetHook106() const {
  return false;
}
const Status* AbsTable::resultSetHook107() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook108() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook109() {
  return notImplementedStatus();
}
const Status* AbsTable::resultSetHook110() {
  return notImplementedStatus();
}
Datum* AbsTable::prototypeSubtable(int32_t) const {
  return nilDatum();
}
Datum* AbsTable::resultSetHook112() const {
  return nilDatum();
}
Datum* AbsTable::resultSetHook113() const {
  return nilDatum();
}
void AbsTable::resultSetHook115() {}
void AbsTable::resultSetHook116() {}

// Stored form: the Datum part, then the four flags as one 16-bit value.

AbsTable::AbsTable(OIOin& stream) : Datum(stream) {
  uint16_t flags = kAllFlags;
  stream >> flags;
  if (stream.severity() >= kError) return;
  if ((flags & ~kAllFlags) != 0) {
    stream.failSyntax("table flags (bits 0 to 3)", std::to_string(flags).c_str());
    return;
  }
  flags_ = flags;
}

void AbsTable::storer(OIOout& stream) const {
  Datum::storer(stream);
  stream << flags_;
}

}  // namespace dv
