// The ordered collection.
#include "object/OrderedCltn.h"

#include <cstdlib>
#include <string>

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Iterator.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

Object* scratchElement = nullptr;

}  // namespace

DV_DEFINE_CLASS_MEMBERS(OrderedCltn, SeqCltn)

const Class& OrderedCltn::desc() {
  static const Class* const bases[] = {&SeqCltn::desc(), nullptr};
  static const Class* const members[] = {&ArrayOb::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("OrderedCltn", bases, members, none, 1, Class::kIdent, sizeof(OrderedCltn),
                       &readObjectText<OrderedCltn>, &readObjectBinary<OrderedCltn>, nullptr,
                       nullptr);
  return d;
}

OrderedCltn::OrderedCltn(int32_t capacity) : contents_(capacity) {}

Object*& OrderedCltn::operator[](int32_t i) {
  if (i < 0 || i >= endIndex_) {
    setError(nihcl::INDEXRANGE, kDefaultSeverity, this, className());
    scratchElement = nil();
    return scratchElement;
  }
  return contents_[i];
}

Object* OrderedCltn::at(int32_t i) const {
  return const_cast<OrderedCltn&>(*this)[i];
}

Object* OrderedCltn::insertAt(int32_t k, Object& ob) {
  if (k < 0 || k > endIndex_) {
    setError(nihcl::INDEXRANGE, kDefaultSeverity, this, className());
    return nil();
  }
  if (endIndex_ == static_cast<int32_t>(contents_.size()) &&
      contents_.reSize(endIndex_ + kGrowth) < 0) {
    return nil();  // out of memory: the collection is unchanged
  }
  contents_.moveSlots(k, k + 1, endIndex_ - k);
  contents_[k] = &ob;
  ++endIndex_;
  return &ob;
}

Object* OrderedCltn::addAtIndex(int32_t k, Object& ob) {
  return insertAt(k, ob);
}

Object* OrderedCltn::add(Object& ob) {
  return insertAt(endIndex_, ob);
}

Object* OrderedCltn::addAfter(const Object& existing, Object& next) {
  int32_t i = indexOf(existing);
  if (i < 0) {
    setError(nihcl::OBNOTFOUND, kDefaultSeverity, this, className(), "addAfter",
             existing.className(), &existing);
    return nil();
  }
  return insertAt(i + 1, next);
}

Object* OrderedCltn::addBefore(const Object& existing, Object& next) {
  int32_t i = indexOf(existing);
  if (i < 0) {
    setError(nihcl::OBNOTFOUND, kDefaultSeverity, this, className(), "addBefore",
             existing.className(), &existing);
    return nil();
  }
  return insertAt(i, next);
}

const Collection& OrderedCltn::addAll(const Collection& c) {
  int32_t incoming = static_cast<int32_t>(c.size());
  if (endIndex_ + incoming >= static_cast<int32_t>(contents_.size())) {
    contents_.reSize(endIndex_ + incoming + kGrowth);
  }
  if (&c == this) {
    // Adding a collection to itself: walk the elements it had at the start.
    for (int32_t i = 0; i < incoming; ++i) add(*contents_[i]);
    return c;
  }
  Iterator it(c);
  while (Object* ob = it()) add(*ob);
  return c;
}

const Collection& OrderedCltn::addAllLast(const Collection& c) {
  return OrderedCltn::addAll(c);
}

Object* OrderedCltn::addLast(Object& ob) {
  return insertAt(endIndex_, ob);
}

Object* OrderedCltn::after(const Object& ob) const {
  int32_t i = indexOf(ob);
  if (i < 0) {
    setError(nihcl::OBNOTFOUND, kDefaultSeverity, this, className(), "after", ob.className(), &ob);
    return nil();
  }
  return i + 1 < endIndex_ ? contents_[i + 1] : nil();
}

Object* OrderedCltn::before(const Object& ob) const {
  int32_t i = indexOf(ob);
  if (i < 0) {
    setError(nihcl::OBNOTFOUND, kDefaultSeverity, this, className(), "before", ob.className(), &ob);
    return nil();
  }
  return i > 0 ? contents_[i - 1] : nil();
}

Object* OrderedCltn::first() const {
  if (endIndex_ == 0) {
    setError(nihcl::CLTNEMPTY, kDefaultSeverity, this, className(), "first");
    return nil();
  }
  return contents_[0];
}

Object* OrderedCltn::last() const {
  if (endIndex_ == 0) {
    setError(nihcl::CLTNEMPTY, kDefaultSeverity, this, className(), "last");
    return nil();
  }
  return contents_[endIndex_ - 1];
}

Object* OrderedCltn::removeLast() {
  if (endIndex_ == 0) {
    setError(nihcl::CLTNEMPTY, kDefaultSeverity, this, className(), "removeLast");
    return nil();
  }
  return removeAtIndex(endIndex_ - 1);
}

Object* OrderedCltn::removeAtIndex(int32_t k) {
  if (k < 0 || k >= endIndex_) {
    setError(nihcl::INDEXRANGE, kDefaultSeverity, this, className());
    return nil();
  }
  Object* removed = contents_[k];
  contents_.moveSlots(k + 1, k, endIndex_ - k - 1);
  --endIndex_;
  contents_[endIndex_] = nil();
  return removed;
}

Object* OrderedCltn::remove(const Object& ob) {
  int32_t i = indexOf(ob);
  if (i < 0) {
    setError(nihcl::REMOVEERR, kDefaultSeverity, this, className(), ob.className(), &ob);
    return nil();
  }
  return removeAtIndex(i);
}

void OrderedCltn::atAllPut(Object& ob) {
  for (int32_t i = 0; i < endIndex_; ++i) contents_[i] = &ob;
}

int32_t OrderedCltn::indexOfSubCollection(const SeqCltn& sub, int32_t start) const {
  int32_t n = static_cast<int32_t>(sub.size());
  if (start < 0) start = 0;
  for (int32_t i = start; i + n <= endIndex_; ++i) {
    int32_t j = 0;
    while (j < n && contents_[i + j]->isEqual(*sub.at(j))) ++j;
    if (j == n) return i;
  }
  return -1;
}

void OrderedCltn::replaceFrom(int32_t start, int32_t stop, const SeqCltn& replacement,
                              int32_t startAt) {
  int32_t available = static_cast<int32_t>(replacement.size());
  if (start < 0 || stop >= endIndex_ || start > stop + 1 || startAt < 0 ||
      startAt + (stop - start + 1) > available) {
    setError(nihcl::INDEXRANGE, kDefaultSeverity, this, className());
    return;
  }
  for (int32_t i = start; i <= stop; ++i) contents_[i] = replacement.at(startAt + (i - start));
}

void OrderedCltn::sort() {
  contents_.sortFirst(endIndex_);
}

OrderedCltn* OrderedCltn::operator&(const SeqCltn& other) const {
  OrderedCltn* joined = new OrderedCltn(endIndex_ + static_cast<int32_t>(other.size()) + 1);
  for (int32_t i = 0; i < endIndex_; ++i) joined->add(*contents_[i]);
  int32_t n = static_cast<int32_t>(other.size());
  for (int32_t i = 0; i < n; ++i) joined->add(*other.at(i));
  return joined;
}

int32_t OrderedCltn::reSize(int32_t n) {
  if (n > endIndex_) contents_.reSize(n);
  return static_cast<int32_t>(contents_.size());
}

Object* OrderedCltn::shallowCopy() const {
  return new OrderedCltn(*this);
}

void OrderedCltn::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  for (int32_t i = 0; i < endIndex_; ++i) contents_[i] = contents_[i]->deepCopy();
}

uint32_t OrderedCltn::size() const {
  return static_cast<uint32_t>(endIndex_);
}

uint32_t OrderedCltn::capacity() const {
  return contents_.size();
}

uint32_t OrderedCltn::hash() const {
  uint32_t h = static_cast<uint32_t>(endIndex_);
  for (int32_t i = 0; i < endIndex_; ++i) h ^= contents_[i]->hash();
  return h;
}

// Stored as the count, then every element in order. Reading appends them in
// that order, which also keeps a sorted collection's order.
OrderedCltn::OrderedCltn(OIOin& stream) : OrderedCltn(stream, nullptr) {}

OrderedCltn::OrderedCltn(OIOin& stream, const Class* elementClass)
    : SeqCltn(stream), contents_(kDefaultCapacity) {
  int32_t n = 0;
  stream >> n;
  if (!stream.checkCount(n, INT32_MAX, "an element count")) return;
  if (n > kDefaultCapacity) contents_.reSize(static_cast<int32_t>(stream.roomFor(n)));
  for (int32_t i = 0; i < n && stream.severity() < kError; ++i) {
    Object* ob = stream.readObject();
    if (elementClass != nullptr && ob != nil() && !ob->isKindOf(*elementClass)) {
      stream.failSyntax(elementClass->name(), ob->className());
      return;
    }
    // The storage grows by doubling up to the stored count as the elements
    // arrive.
    int32_t room = static_cast<int32_t>(contents_.size());
    if (endIndex_ == room && contents_.reSize(room < n / 2 ? room * 2 : n) < 0) {
      stream.failOutOfMemory();
      return;
    }
    if (insertAt(endIndex_, *ob) == nil() && ob != nil()) {
      stream.failOutOfMemory();
      return;
    }
  }
}

void OrderedCltn::storer(OIOout& stream) const {
  stream << endIndex_;
  for (int32_t i = 0; i < endIndex_; ++i) contents_[i]->storeOn(stream);
}

}  // namespace dv
