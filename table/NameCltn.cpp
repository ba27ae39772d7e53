// The collection of column names.
#include "table/NameCltn.h"

#include <cstring>
#include <new>

#include "datum/Text.h"
#include "object/Allocation.h"
#include "object/Exception.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerNameCltnPrototype(const Class&) {
  static NameCltn prototype(NameCltn::kPrototypeCapacity);
  registerPrototype(&prototype, NameCltn::kStreamTypeNumber);
}

// The descriptor, writable for the creation statistics (heap instances only:
// the prototype built while the descriptor is made is not counted).
Class& nameCltnClass() {
  static const Class* const bases[] = {&KeySortCltn::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static Class d("NameCltn", bases, none, none, 1, Class::kIdent, sizeof(NameCltn),
                 &readObjectText<NameCltn>, &readObjectBinary<NameCltn>, &registerNameCltnPrototype,
                 nullptr);
  return d;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(NameCltn, KeySortCltn)

const Class& NameCltn::desc() {
  return nameCltnClass();
}

const NameCltn* sharedEmptyNames() {
  static const NameCltn empty(1);
  return &empty;
}
[[maybe_unused]] static const bool kSharedEmptyNamesBuilt = (sharedEmptyNames(), true);

NameCltn::NameCltn(int32_t capacity) : KeySortCltn(capacity) {
  if (refCount() >= 1) countCreation(nameCltnClass());
}

NameCltn::~NameCltn() {
  dropEntries();
  if (refCount() >= 0) countDestruction(nameCltnClass());
}

void NameCltn::dropEntries() {
  while (size() > 0) removeAt(static_cast<int32_t>(size()) - 1);
}

Assoc& NameCltn::entry(int32_t index) const {
  return *static_cast<Assoc*>(at(index));
}

const Text& NameCltn::nameAt(int32_t index) const {
  return *static_cast<const Text*>(entry(index).key());
}

int32_t NameCltn::columnAt(int32_t index) const {
  return columnObjectAt(index).value();
}

Integer& NameCltn::columnObjectAt(int32_t index) const {
  return *static_cast<Integer*>(entry(index).value());
}

bool NameCltn::add(Text* name, Integer* column) {
  if (name == nullptr || column == nullptr) return false;
  Assoc* a = new (std::nothrow) Assoc(*name, *column);
  if (a == nullptr) return false;
  if (SortedCltn::add(*a) == nil()) {
    a->release();
    return false;
  }
  name->addRef();
  column->addRef();
  return true;
}

bool NameCltn::removeAt(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(size())) return false;
  Assoc* a = static_cast<Assoc*>(OrderedCltn::removeAtIndex(index));
  a->key()->release();
  a->value()->release();
  a->release();
  return true;
}

bool NameCltn::renameAt(int32_t index, Text* newName) {
  if (newName == nullptr || index < 0 || index >= static_cast<int32_t>(size())) return false;
  // Taking the entry out leaves room for it, so putting it back cannot fail.
  Assoc* a = static_cast<Assoc*>(OrderedCltn::removeAtIndex(index));
  newName->addRef();
  a->setKey(*newName)->release();
  SortedCltn::add(*a);
  return true;
}

int32_t NameCltn::indexOfName(const Text& name) const {
  return indexOfKey(name);
}

NameCltn* NameCltn::copyOf(const NameCltn& source) {
  int32_t n = static_cast<int32_t>(source.size());
  NameCltn* copy = new (std::nothrow) NameCltn(n > 0 ? n : 1);
  if (copy == nullptr) return nullptr;
  if (copy->capacity() == 0) {
    copy->release();
    return nullptr;
  }
  for (int32_t i = 0; i < n; ++i) {
    Integer* column = new (std::nothrow) Integer(source.columnAt(i));
    bool added = column != nullptr && copy->add(const_cast<Text*>(&source.nameAt(i)), column);
    if (column != nullptr) column->release();
    if (!added) {
      copy->release();
      return nullptr;
    }
  }
  return copy;
}

Object* NameCltn::add(Object&) {
  shouldNotImplement("add");
  return nil();
}

Object* NameCltn::remove(const Object&) {
  shouldNotImplement("remove");
  return nil();
}

const Collection& NameCltn::addAll(const Collection& c) {
  shouldNotImplement("addAll");
  return c;
}

Object* NameCltn::shallowCopy() const {
  return copyOf(*this);
}

void NameCltn::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  int32_t n = static_cast<int32_t>(size());
  for (int32_t i = 0; i < n; ++i) {
    Assoc& a = entry(i);
    Text* copy = new (std::nothrow) Text(nameAt(i));
    if (copy == nullptr) continue;  // out of memory: the name stays shared
    if (copy->status() == outOfMemoryStatus()) {
      copy->release();
      continue;
    }
    Object* old = a.setKey(*copy);
    old->release();
  }
}

int NameCltn::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* NameCltn::newForStream() const {
  return new (std::nothrow) NameCltn(kPrototypeCapacity);
}

NameCltn::NameCltn(OIOin& stream) : KeySortCltn(stream) {
  if (refCount() >= 1) countCreation(nameCltnClass());
  // A RAISE that unwinds this constructor skips the destructor: the entries
  // made so far go here.
  OnUnwind dropMade([this] { dropEntries(); });
  if (size() != 0) {
    // Associations in the KeySortCltn part belong to the read, not to this
    // collection (it holds no references on them).
    while (size() > 0) OrderedCltn::removeAtIndex(static_cast<int32_t>(size()) - 1);
    stream.failSyntax("an empty association list before the names", "associations");
    return;
  }
  int32_t n = 0;
  stream >> n;
  if (stream.severity() >= kError || !stream.checkCount(n, INT32_MAX, "a name count")) return;
  for (int32_t i = 0; i < n && stream.severity() < kError; ++i) {
    int32_t length = 0;
    stream >> length;
    if (stream.severity() >= kError) return;
    if (!stream.checkCount(length, Text::kMaxLength, "a column name length")) return;
    char* chars = stream.readNewChars(length, "a column name length");
    if (chars == nullptr) return;
    OnUnwind freeChars([&chars] { deallocate(chars); });
    int32_t column = 0;
    stream >> column;
    if (stream.severity() >= kError) {
      deallocate(chars);
      chars = nullptr;
      return;
    }
    Text* name = new (std::nothrow) Text(chars);
    deallocate(chars);
    chars = nullptr;
    Integer* number = new (std::nothrow) Integer(column);
    bool added = name != nullptr && number != nullptr && name->status() != outOfMemoryStatus() &&
                 add(name, number);
    if (name != nullptr) name->release();
    if (number != nullptr) number->release();
    if (!added) {
      stream.failOutOfMemory();
      return;
    }
  }
}

void NameCltn::storer(OIOout& stream) const {
  stream << int32_t{0};  // the KeySortCltn part: no associations
  int32_t n = static_cast<int32_t>(size());
  stream << n;
  for (int32_t i = 0; i < n; ++i) {
    stream << nameAt(i).chars();
    stream << columnAt(i);
  }
}

}  // namespace dv
