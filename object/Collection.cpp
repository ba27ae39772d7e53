// Default implementations of the collection interface.
#include "object/Collection.h"

#include <ostream>

#include "object/ArrayOb.h"
#include "object/Iterator.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"
#include "object/SortedCltn.h"

namespace dv {
namespace {

Object* readCollection(OIOin&) {
  Object::readAbstractClass("Collection");
  return nullptr;
}
Object* readCollectionBinary(OIOinbin&) {
  Object::readAbstractClass("Collection");
  return nullptr;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Collection, Object)

const Class& Collection::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Collection", bases, none, none, 1, Class::kIdent, sizeof(Collection),
                       &readCollection, &readCollectionBinary, nullptr, nullptr);
  return d;
}

const Collection& Collection::addAll(const Collection& c) {
  c.addEachTo(*this);
  return c;
}

Collection& Collection::addEachTo(Collection& c) const {
  Iterator it(*this);
  while (Object* ob = it()) c.add(*ob);
  return c;
}

const Collection& Collection::removeAll(const Collection& c) {
  if (&c == this) {
    // A walk over the collection itself would skip the elements that removals
    // move under it: take out the first element left until none is left (or
    // the collection refuses to remove one).
    while (!isEmpty()) {
      Iterator first(*this);
      Object* ob = first();
      if (ob == nullptr || remove(*ob) == nil()) break;
    }
    return c;
  }
  Iterator it(c);
  while (Object* ob = it()) remove(*ob);
  return c;
}

bool Collection::includes(const Object& ob) const {
  return occurrencesOf(ob) != 0;
}

bool Collection::isEmpty() const {
  return size() == 0;
}

void Collection::iterReset(Iterator& it) const {
  it.index = 0;
  it.num = 0;
  it.current_ = nullptr;
}

void Collection::iterFinish(Iterator&) const {}

ArrayOb* Collection::asArrayOb() const {
  ArrayOb* a = new ArrayOb(static_cast<int32_t>(size()));
  Iterator it(*this);
  int32_t i = 0;
  while (Object* ob = it()) (*a)[i++] = ob;
  return a;
}

OrderedCltn* Collection::asOrderedCltn() const {
  OrderedCltn* c = new OrderedCltn(static_cast<int32_t>(size()));
  addEachTo(*c);
  return c;
}

Set* Collection::asSet() const {
  Set* c = new Set(static_cast<int32_t>(size()));
  addEachTo(*c);
  return c;
}

SortedCltn* Collection::asSortedCltn() const {
  SortedCltn* c = new SortedCltn(static_cast<int32_t>(size()));
  addEachTo(*c);
  return c;
}

void Collection::printOn(std::ostream& out) const {
  out << className() << '[';
  Iterator it(*this);
  while (Object* ob = it()) ob->printOn(out);
  out << "]\n";
}

}  // namespace dv
