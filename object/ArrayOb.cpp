// The array of object pointers.
#include "object/ArrayOb.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include "object/Allocation.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Iterator.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

int compareSlots(const void* a, const void* b) {
  const Object* x = *static_cast<Object* const*>(a);
  const Object* y = *static_cast<Object* const*>(b);
  return x->compare(*y);
}

// Answered for an index out of range when there is no slot to answer.
Object* scratchSlot = nullptr;

}  // namespace

DV_DEFINE_CLASS_MEMBERS(ArrayOb, Collection)

const Class& ArrayOb::desc() {
  static const Class* const bases[] = {&Collection::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("ArrayOb", bases, none, none, 1, Class::kIdent, sizeof(ArrayOb),
                       &readObjectText<ArrayOb>, &readObjectBinary<ArrayOb>, nullptr, nullptr);
  return d;
}

bool ArrayOb::allocateSlots(int32_t n) {
  void* block = allocate(static_cast<std::size_t>(n) * sizeof(Object*));
  if (block == nullptr) return false;
  v_ = static_cast<Object**>(block);
  size_ = n;
  return true;
}

void ArrayOb::releaseSlots() {
  deallocate(v_);
  v_ = nullptr;
  size_ = 0;
}

ArrayOb::ArrayOb(int32_t size) {
  if (!allocateSlots(size < 1 ? 1 : size)) return;
  for (int32_t i = 0; i < size_; ++i) v_[i] = nil();
}

ArrayOb::ArrayOb(const ArrayOb& other) : Collection(other) {
  if (allocateSlots(other.size_ < 1 ? 1 : other.size_)) {
    std::memcpy(v_, other.v_, static_cast<std::size_t>(other.size_) * sizeof(Object*));
    for (int32_t i = other.size_; i < size_; ++i) v_[i] = nil();
  }
}

ArrayOb& ArrayOb::operator=(const ArrayOb& other) {
  if (this == &other) return *this;
  Object** old = v_;
  int32_t oldSize = size_;
  if (!allocateSlots(other.size_ < 1 ? 1 : other.size_)) {
    v_ = old;  // out of memory: keep what was there
    size_ = oldSize;
    return *this;
  }
  std::memcpy(v_, other.v_, static_cast<std::size_t>(other.size_) * sizeof(Object*));
  for (int32_t i = other.size_; i < size_; ++i) v_[i] = nil();
  deallocate(old);
  return *this;
}

ArrayOb::~ArrayOb() {
  releaseSlots();
}

Object*& ArrayOb::outOfRange() {
  setError(nihcl::INDEXRANGE, kDefaultSeverity, this, className());
  if (size_ == 0) {
    scratchSlot = nil();
    return scratchSlot;
  }
  return v_[0];
}

void ArrayOb::moveSlots(int32_t from, int32_t to, int32_t count) {
  assert(count <= 0 || (from >= 0 && to >= 0 && from + count <= size_ && to + count <= size_));
  if (count > 0) {
    std::memmove(v_ + to, v_ + from, static_cast<std::size_t>(count) * sizeof(Object*));
  }
}

void ArrayOb::sort() {
  sortFirst(size_);
}

void ArrayOb::sortFirst(int32_t n) {
  assert(n >= 0 && n <= size_);
  if (n > 1) std::qsort(v_, static_cast<std::size_t>(n), sizeof(Object*), &compareSlots);
}

void ArrayOb::dumpOn(std::ostream& out) const {
  out << "\nArrayOb(size=" << size() << ",capacity=" << capacity() << "):\n";
  for (int32_t i = 0; i < size_; ++i) {
    out << "    [" << i << "] = ";
    const Object* ob = v_[i];
    if (ob == nullptr) {
      out << "0\n";
    } else {
      out << static_cast<const void*>(ob) << " (a " << ob->className()
          << ") refcount = " << ob->refCount() << '\n';
    }
  }
}

Object* ArrayOb::add(Object& ob) {
  shouldNotImplement("add");
  return &ob;
}

Object* ArrayOb::remove(const Object&) {
  shouldNotImplement("remove");
  return nil();
}

uint32_t ArrayOb::occurrencesOf(const Object&) const {
  shouldNotImplement("occurrencesOf");
  return 0;
}

int32_t ArrayOb::reSize(int32_t n) {
  if (n < 1) n = 1;
  void* block = allocate(static_cast<std::size_t>(n) * sizeof(Object*));
  if (block == nullptr) return -1;
  Object** slots = static_cast<Object**>(block);
  int32_t kept = n < size_ ? n : size_;
  if (kept > 0) std::memcpy(slots, v_, static_cast<std::size_t>(kept) * sizeof(Object*));
  for (int32_t i = kept; i < n; ++i) slots[i] = nil();
  deallocate(v_);
  v_ = slots;
  size_ = n;
  return n;
}

Object* ArrayOb::iterNext(Iterator& it) const {
  if (it.index >= size_) return nullptr;
  return v_[it.index++];
}

ArrayOb* ArrayOb::asArrayOb() const {
  return new ArrayOb(*this);
}

Object* ArrayOb::shallowCopy() const {
  return new ArrayOb(*this);
}

void ArrayOb::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  for (int32_t i = 0; i < size_; ++i) v_[i] = v_[i]->deepCopy();
}

uint32_t ArrayOb::size() const {
  return static_cast<uint32_t>(size_);
}

uint32_t ArrayOb::capacity() const {
  return static_cast<uint32_t>(size_);
}

int ArrayOb::compare(const Object& other) const {
  if (!assertArgClass(other, ArrayOb::desc(), "compare")) return 0;
  const ArrayOb& o = static_cast<const ArrayOb&>(other);
  for (int32_t i = 0; i < size_ && i < o.size_; ++i) {
    int c = v_[i]->compare(*o.v_[i]);
    if (c != 0) return c;
  }
  return size_ < o.size_ ? -1 : size_ > o.size_ ? 1 : 0;
}

uint32_t ArrayOb::hash() const {
  uint32_t h = static_cast<uint32_t>(size_);
  for (int32_t i = 0; i < size_; ++i) h ^= v_[i]->hash();
  return h;
}

bool ArrayOb::isEqual(const Object& other) const {
  if (!other.isKindOf(ArrayOb::desc())) return false;
  const ArrayOb& o = static_cast<const ArrayOb&>(other);
  if (size_ != o.size_) return false;
  for (int32_t i = 0; i < size_; ++i) {
    if (!v_[i]->isEqual(*o.v_[i])) return false;
  }
  return true;
}

// Stored as the slot count, then every slot's object (nil included).
ArrayOb::ArrayOb(OIOin& stream) : Collection(stream) {
  int32_t n = 0;
  stream >> n;
  bool counted = stream.checkCount(n, INT32_MAX / static_cast<int32_t>(sizeof(Object*)),
                                   "a slot count of 1 or more");
  if (!counted || n < 1) {
    if (counted) stream.failSyntax("a slot count of 1 or more", std::to_string(n).c_str());
    n = 0;
  }
  // The slots grow by doubling up to the stored count as the objects arrive.
  if (!allocateSlots(n > 0 ? static_cast<int32_t>(stream.roomFor(n)) : 1)) {
    stream.failOutOfMemory();
    return;
  }
  for (int32_t i = 0; i < size_; ++i) v_[i] = nil();
  OnUnwind freeSlots([this] { releaseSlots(); });
  for (int32_t i = 0; i < n && stream.severity() < kError; ++i) {
    if (i == size_ && reSize(size_ < n / 2 ? size_ * 2 : n) < 0) {
      stream.failOutOfMemory();
      return;
    }
    v_[i] = stream.readObject();
  }
}

void ArrayOb::storer(OIOout& stream) const {
  stream << size_;
  for (int32_t i = 0; i < size_; ++i) v_[i]->storeOn(stream);
}

}  // namespace dv
