// IndexedTable: the key index, its upkeep through the change operations,
// and the indexed lookups.
#include "table/IndexedTable.h"

#include <new>

#include "datum/DatumClass.h"
#include "datum/Text.h"
#include "object/Dictionary.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIO.h"

namespace dv {
namespace {

bool classMarkFlag = false;

// A new upper-case copy of a Text key, or null when memory runs out.
Text* upperCopy(const Datum& key) {
  Text* u = new (std::nothrow) Text(static_cast<const Text&>(key));
  if (u == nullptr) return nullptr;
  if (u->status() == outOfMemoryStatus()) {
    u->release();
    return nullptr;
  }
  u->upper();
  return u;
}

bool isText(const Datum& d) {
  return d.isKindOf(Text::desc());
}

int32_t rowOf(const AssocInt* entry) {
  int32_t v = entry->intValue();
  return v >= 0 ? v : -1 - v;
}

DatumClass& indexedTableClass() {
  static const Class* const bases[] = {&Table::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static DatumClass d("IndexedTable", bases, none, none, 1, Class::kIdent, sizeof(IndexedTable),
                      &readObjectText<IndexedTable>, &readObjectBinary<IndexedTable>, nullptr,
                      nullptr, nullptr);
  return d;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(IndexedTable, Table)

const Class& IndexedTable::desc() {
  return indexedTableClass();
}

IndexedTable::IndexedTable(const AbsTable& src, int32_t keyColumn, bool deferIndex,
                           int32_t threshold, bool exactOnly)
    : Table(src),
      exactOnly_(exactOnly),
      keyColumn_(keyColumn < 0 ? 0 : keyColumn),
      threshold_(threshold < 1 ? kDefaultThreshold : threshold) {
  if (!deferIndex) buildIndex();
}

IndexedTable::IndexedTable(int32_t rows, int32_t cols, int32_t keyColumn, int32_t threshold,
                           bool exactOnly)
    : Table(rows, cols),
      exactOnly_(exactOnly),
      keyColumn_(keyColumn < 0 ? 0 : keyColumn),
      threshold_(threshold < 1 ? kDefaultThreshold : threshold) {}

IndexedTable::IndexedTable(const IndexedTable& src)
    : Table(static_cast<const AbsTable&>(src)),
      exactOnly_(src.exactOnly_),
      keyColumn_(src.keyColumn_),
      threshold_(src.threshold_) {}

IndexedTable::IndexedTable(OIOin& stream) : Table(stream) {}

IndexedTable::IndexedTable(OIOinbin& stream) : Table(stream) {}

IndexedTable::~IndexedTable() {
  freeIndex();
}

Object* IndexedTable::shallowCopy() const {
  return new (std::nothrow) IndexedTable(*this);
}

bool IndexedTable::classMark() const {
  return classMarkFlag;
}

void IndexedTable::clearClassMark() {
  classMarkFlag = false;
}

// The index

void IndexedTable::freeIndex() const {
  if (index_ == nullptr) return;
  {
    // The walk reads the slots only, so the entries can go as it passes.
    Iterator it(*index_);
    while (Object* o = it()) {
      AssocInt* entry = static_cast<AssocInt*>(o);
      entry->key()->release();
      entry->release();
    }
  }
  index_->release();
  index_ = nullptr;
}

AssocInt* IndexedTable::entryOf(const Datum& key) const {
  Object* found = index_->assocAt(key);
  return found == nil() ? nullptr : static_cast<AssocInt*>(found);
}

bool IndexedTable::addEntry(Datum& key, int32_t value) const {
  AssocInt* entry = new (std::nothrow) AssocInt(key, value);
  if (entry == nullptr) return false;
  if (index_->add(*entry) != entry) {
    entry->release();
    return false;
  }
  key.addRef();
  return true;
}

void IndexedTable::removeEntry(AssocInt* entry) const {
  index_->remove(*entry);
  entry->key()->release();
  entry->release();
}

bool IndexedTable::enter(Datum& k, int32_t r) const {
  AssocInt* entry = entryOf(k);
  if (entry == nullptr) {
    if (!addEntry(k, r)) return false;
  } else if (!exactOnly_ && entry->intValue() < 0) {
    // An exact key wins over the upper-case form of an earlier one.
    removeEntry(entry);
    if (!addEntry(k, r)) return false;
  }
  if (!exactOnly_ && isText(k)) {
    Text* u = upperCopy(k);
    if (u == nullptr) return false;
    bool ok = entryOf(*u) != nullptr || addEntry(*u, -1 - r);
    u->release();
    if (!ok) return false;
  }
  return true;
}

void IndexedTable::makeIndex() const {
  freeIndex();
  stale_ = false;
  int32_t n = rows();
  if (n <= threshold_) return;
  int64_t capacity = static_cast<int64_t>(n) * (exactOnly_ ? 2 : 4);
  if (capacity < kMinIndexCapacity) capacity = kMinIndexCapacity;
  if (capacity > INT32_MAX / 4) capacity = INT32_MAX / 4;
  index_ = new (std::nothrow) Dictionary(static_cast<int32_t>(capacity));
  if (index_ == nullptr) return;
  for (int32_t r = 0; r < n; ++r) {
    if (!enter(*cell(r, keyColumn_), r)) {
      freeIndex();
      return;
    }
  }
}

void IndexedTable::buildIndex() {
  makeIndex();
}

void IndexedTable::dropIndex() {
  freeIndex();
  stale_ = false;
}

int32_t IndexedTable::lookupRow(const Datum& value, int32_t col) const {
  if (col != keyColumn_) return AbsTable::lookupRow(value, col);
  if (rows() <= 0) return -1;
  if (rows() <= threshold_) return AbsTable::lookupRow(value, col);
  if (index_ == nullptr || stale_) makeIndex();
  if (index_ == nullptr) return AbsTable::lookupRow(value, col);
  if (const AssocInt* entry = entryOf(value)) return rowOf(entry);
  if (!exactOnly_ && isText(value)) {
    Text* u = upperCopy(value);
    if (u == nullptr) return AbsTable::lookupRow(value, col);
    const AssocInt* entry = entryOf(*u);
    u->release();
    if (entry != nullptr) return rowOf(entry);
  }
  return -1;
}

int32_t IndexedTable::findOrAddKey(Datum* value) {
  if (value == nullptr) return -1;
  int32_t r = lookupRow(*value, keyColumn_);
  if (r >= 0) return r;
  r = rows();
  bool wasCurrent = index_ != nullptr && !stale_;
  ownChange_ = true;
  const Status* st = Table::setCell(r, keyColumn_, value);
  ownChange_ = false;
  if (st != successStatus()) {
    stale_ = true;
    return -1;
  }
  if (r < threshold_) {
    // Still searched linearly: an index, if any, is out of date.
    if (index_ != nullptr) stale_ = true;
    return r;
  }
  if (!wasCurrent) {
    makeIndex();  // the new row is in it
    return index_ != nullptr ? r : -1;
  }
  if (!enter(*value, r)) {
    freeIndex();
    return -1;
  }
  return r;
}

// The changes

const Status* IndexedTable::resize(int32_t newRows, int32_t newCols) {
  noteKeyChange();
  return Table::resize(newRows, newCols);
}

const Status* IndexedTable::setCell(int32_t row, int32_t col, Datum* value) {
  if (col == keyColumn_) noteKeyChange();
  return Table::setCell(row, col, value);
}

const Status* IndexedTable::replaceRows(const AbsTable& src, int32_t firstRow, int32_t count) {
  noteKeyChange();
  return Table::replaceRows(src, firstRow, count);
}

const Status* IndexedTable::replaceColumns(const AbsTable& src, int32_t firstCol, int32_t count) {
  noteKeyChange();
  return Table::replaceColumns(src, firstCol, count);
}

const Status* IndexedTable::replaceRange(int32_t row1, int32_t col1, int32_t row2, int32_t col2,
                                         const AbsTable& src) {
  noteKeyChange();
  return Table::replaceRange(row1, col1, row2, col2, src);
}

const Status* IndexedTable::insertColumns(int32_t col, int32_t count) {
  noteKeyChange();
  return Table::insertColumns(col, count);
}

const Status* IndexedTable::insertRows(int32_t row, int32_t count) {
  noteKeyChange();
  return Table::insertRows(row, count);
}

const Status* IndexedTable::deleteColumns(int32_t col, int32_t count) {
  noteKeyChange();
  return Table::deleteColumns(col, count);
}

const Status* IndexedTable::deleteRows(int32_t row, int32_t count) {
  noteKeyChange();
  return Table::deleteRows(row, count);
}

const Status* IndexedTable::sort(SortComparator comparator, int32_t col, void* extra) {
  noteKeyChange();
  return Table::sort(comparator, col, extra);
}

}  // namespace dv
