// The class registry, the prototype table, creation statistics, deep copy and
// the dependents mechanism of the object root.
#include "object/Registry.h"

#include <cstring>
#include <ostream>

#include "object/Allocation.h"
#include "object/Dictionary.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"
#include "object/String.h"

namespace dv {
namespace {

// Process-wide state; plain pointers, constant-initialized, made on first use.
Dictionary* classDictionary = nullptr;  // lives from buildRegistry to exit
bool registryFlag = false;
Object** prototypes = nullptr;  // from the allocation routine; nil() where none
int prototypeCount = 0;
IdentDict* deepCopyMap = nullptr;  // exists during one outermost deepCopy
IdentSet* deepenedSet = nullptr;
int deepCopyDepth = 0;
IdentDict* dependence = nullptr;  // object -> OrderedCltn of dependents, while any exist

OrderedCltn* dependentsOf(const Object& ob) {
  if (dependence == nullptr) return nullptr;
  Object* assoc = dependence->assocOfKey(ob);
  if (assoc == nil()) return nullptr;
  return static_cast<OrderedCltn*>(static_cast<LookupKey*>(assoc)->value());
}

}  // namespace

void buildRegistry() {
  if (registryFlag) return;
  registryFlag = true;
  classDictionary = new Dictionary(256);
  for (const Class* c = Class::first(); c != nullptr; c = c->next()) {
    c->signature();
    Object& descriptor = const_cast<Class&>(*c);
    classDictionary->addAssoc(*new String(c->name()), descriptor);
  }
  for (const Class* c = Class::first(); c != nullptr; c = c->next()) {
    if (c->registryHook() != nullptr) c->registryHook()(*c);
  }
}

bool registryBuilt() {
  return registryFlag;
}

const Class* lookUp(const char* name) {
  if (classDictionary == nullptr || name == nullptr) return nullptr;
  // Borrowed: a look-up (for one, by a stream reading a record) must not fail
  // for want of memory.
  String key(String::Borrowed{}, name);
  Object* assoc = classDictionary->assocAt(key);
  if (assoc == nil()) return nullptr;
  return static_cast<const Class*>(static_cast<LookupKey*>(assoc)->value());
}

void registerPrototype(Object* object, int number) {
  if (number < 0) return;
  if (number >= prototypeCount) {
    int size = prototypeCount > 0 ? prototypeCount : 16;
    while (size <= number) size *= 2;
    void* block = allocate(static_cast<std::size_t>(size) * sizeof(Object*));
    if (block == nullptr) return;  // out of memory: the table stays as it was
    Object** table = static_cast<Object**>(block);
    for (int i = 0; i < size; ++i) table[i] = i < prototypeCount ? prototypes[i] : nil();
    deallocate(prototypes);
    prototypes = table;
    prototypeCount = size;
  }
  prototypes[number] = object;
}

Object* prototype(int number) {
  if (number < 0 || number >= prototypeCount) return nil();
  return prototypes[number];
}

void printCounts(std::ostream& out) {
  out << "\nObject creations and destructions by class:\n\n"
      << "Classname      Creations       Destructions\n\n";
  if (classDictionary != nullptr) {
    Iterator it(*classDictionary);
    while (Object* ob = it()) {
      const Class* c = static_cast<const Class*>(static_cast<LookupKey*>(ob)->value());
      out << c->name() << "    " << c->creations() << "    " << c->destructions() << '\n';
    }
  }
  out << '\n';
}

bool markDeepened(const Object& ob) {
  if (deepenedSet == nullptr) return true;
  Object& o = const_cast<Object&>(ob);
  if (deepenedSet->findObject(o) != nil()) return false;
  deepenedSet->add(o);
  return true;
}

Object* Object::deepCopy() const {
  if (deepCopyDepth++ == 0) {
    deepCopyMap = new IdentDict(256);
    deepenedSet = new IdentSet(256);
    deepCopyMap->addAssoc(*nil(), *nil());
  }
  Object* copy = nullptr;
  Object* known = deepCopyMap->assocAt(*this);
  if (known != nil()) {
    copy = static_cast<LookupKey*>(known)->value();
  } else {
    copy = shallowCopy();
    deepCopyMap->addAssoc(const_cast<Object&>(*this), *copy);
    copy->deepenShallowCopy();
  }
  if (--deepCopyDepth == 0) {
    // The associations go; the copies stay with their new owners.
    OrderedCltn associations(static_cast<int32_t>(deepCopyMap->size()));
    {
      Iterator it(*deepCopyMap);
      while (Object* assoc = it()) associations.add(*assoc);
    }
    Iterator each(associations);
    while (Object* assoc = each()) delete assoc;
    delete deepCopyMap;
    deepCopyMap = nullptr;
    delete deepenedSet;
    deepenedSet = nullptr;
  }
  return copy;
}

Object* Object::addDependent(Object& dependent) {
  if (dependence == nullptr) {
    dependence = new IdentDict;
    internal::anyDependents = true;
  }
  OrderedCltn* list = dependentsOf(*this);
  if (list == nullptr) {
    list = new OrderedCltn;
    dependence->addAssoc(*this, *list);
  }
  list->add(dependent);
  return &dependent;
}

void Object::changed(const Object& arg) {
  OrderedCltn* list = dependentsOf(*this);
  if (list == nullptr) return;
  // A snapshot: an update may add or remove dependents.
  OrderedCltn snapshot(*list);
  Iterator it(snapshot);
  while (Object* dependent = it()) dependent->update(*this, arg);
}

OrderedCltn* Object::dependents() const {
  OrderedCltn* list = dependentsOf(*this);
  return list != nullptr ? new OrderedCltn(*list) : new OrderedCltn;
}

void Object::releaseDependents() {
  OrderedCltn* list = dependentsOf(*this);
  if (list == nullptr) return;
  delete dependence->remove(*dependence->assocOfKey(*this));
  delete list;
  if (dependence->size() == 0) {
    // Cleared first: the dictionary's own destruction must not look itself up.
    IdentDict* empty = dependence;
    dependence = nullptr;
    internal::anyDependents = false;
    delete empty;
  }
}

Object* Object::removeDependent(const Object& dependent) {
  OrderedCltn* list = dependentsOf(*this);
  if (list == nullptr) return nil();
  // By identity: a dependent that is equal to another is still another.
  int32_t n = static_cast<int32_t>(list->size());
  for (int32_t i = 0; i < n; ++i) {
    if (list->at(i) == &dependent) {
      Object* removed = list->removeAtIndex(i);
      if (list->size() == 0) releaseDependents();
      return removed;
    }
  }
  return nil();
}

bool internal::anyDependents = false;

void internal::forgetDependentsOf(Object* ob) {
  // The dependents' own collections and associations are destroyed on the way:
  // their destructors must not start over.
  static bool busy = false;
  if (busy) return;
  busy = true;
  ob->Object::releaseDependents();
  busy = false;
}

}  // namespace dv
