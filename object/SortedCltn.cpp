// The sorted collection.
#include "object/SortedCltn.h"

#include "object/Iterator.h"
#include "object/Nil.h"
#include "object/OIO.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(SortedCltn, OrderedCltn)

const Class& SortedCltn::desc() {
  static const Class* const bases[] = {&OrderedCltn::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("SortedCltn", bases, none, none, 1, Class::kIdent, sizeof(SortedCltn),
                       &readObjectText<SortedCltn>, &readObjectBinary<SortedCltn>, nullptr,
                       nullptr);
  return d;
}

int32_t SortedCltn::findIndexOf(const Object& ob) const {
  int32_t n = static_cast<int32_t>(size());
  if (n == 0 || ob.compare(*at(0)) < 0) return -1;
  int32_t low = 0;
  int32_t high = n - 1;
  int32_t mid = 0;
  int c = 0;
  while (low <= high) {
    mid = (low + high) / 2;
    c = ob.compare(*at(mid));
    if (c > 0) {
      low = mid + 1;
    } else if (c == 0) {
      return mid;
    } else {
      high = mid - 1;
    }
  }
  return (mid > 0 && c < 0) ? mid - 1 : mid;
}

Object* SortedCltn::add(Object& ob) {
  int32_t n = static_cast<int32_t>(size());
  if (n == 0) return insertAt(0, ob);
  int32_t i = findIndexOf(ob);
  if (i >= 0 && ob.compare(*at(i)) == 0) {
    while (i + 1 < n && ob.compare(*at(i + 1)) == 0) ++i;
  }
  return insertAt(i + 1, ob);
}

const Collection& SortedCltn::addAll(const Collection& c) {
  // Each element goes to its place; the storage grows once beforehand.
  return OrderedCltn::addAll(c);
}

Object* SortedCltn::addAtIndex(int32_t, Object&) {
  shouldNotImplement("addAtIndex");
  return nil();
}

Object* SortedCltn::addAfter(const Object&, Object&) {
  shouldNotImplement("addAfter");
  return nil();
}

Object* SortedCltn::addBefore(const Object&, Object&) {
  shouldNotImplement("addBefore");
  return nil();
}

const Collection& SortedCltn::addAllLast(const Collection& c) {
  shouldNotImplement("addAllLast");
  return c;
}

Object* SortedCltn::addLast(Object&) {
  shouldNotImplement("addLast");
  return nil();
}

void SortedCltn::atAllPut(Object&) {
  shouldNotImplement("atAllPut");
}

int32_t SortedCltn::indexOfSubCollection(const SeqCltn&, int32_t) const {
  shouldNotImplement("indexOfSubCollection");
  return -1;
}

void SortedCltn::replaceFrom(int32_t, int32_t, const SeqCltn&, int32_t) {
  shouldNotImplement("replaceFrom");
}

void SortedCltn::sort() {
  shouldNotImplement("sort");
}

OrderedCltn* SortedCltn::operator&(const SeqCltn&) const {
  shouldNotImplement("operator&");
  return nullptr;
}

Object* SortedCltn::shallowCopy() const {
  return new SortedCltn(*this);
}

SortedCltn::SortedCltn(OIOin& stream) : OrderedCltn(stream) {}

SortedCltn::SortedCltn(OIOin& stream, const Class* elementClass)
    : OrderedCltn(stream, elementClass) {}

void SortedCltn::storer(OIOout& stream) const {
  OrderedCltn::storer(stream);
}

}  // namespace dv
