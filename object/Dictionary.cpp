// Dictionaries by equality and by identity of their keys.
#include "object/Dictionary.h"

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIO.h"

namespace dv {
namespace {

// The key that an element or a probe stands for: a LookupKey's key, or the
// object itself.
const Object& keyOf(const Object& ob) {
  return ob.isKindOf(LookupKey::desc()) ? *static_cast<const LookupKey&>(ob).key() : ob;
}

uint32_t addressHash(const Object& ob) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ob));
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Dictionary, Set)
DV_DEFINE_CLASS_MEMBERS(IdentDict, Dictionary)

const Class& Dictionary::desc() {
  static const Class* const bases[] = {&Set::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Dictionary", bases, none, none, 1, Class::kIdent, sizeof(Dictionary),
                       &readObjectText<Dictionary>, &readObjectBinary<Dictionary>, nullptr,
                       nullptr);
  return d;
}

const Class& IdentDict::desc() {
  static const Class* const bases[] = {&Dictionary::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IdentDict", bases, none, none, 1, Class::kIdent, sizeof(IdentDict),
                       &readObjectText<IdentDict>, &readObjectBinary<IdentDict>, nullptr, nullptr);
  return d;
}

Object* Dictionary::addAssoc(Object& key, Object& value) {
  Assoc* fresh = new (std::nothrow) Assoc(key, value);
  if (fresh == nullptr) return nil();
  Object* held = Set::add(*fresh);
  if (held != fresh) {
    delete fresh;
    if (held != nil()) {
      setError(nihcl::DUPKEY, kDefaultSeverity, this, className(), "addAssoc", key.className(),
               &key);
    }
  }
  return held;
}

Object* Dictionary::assocAt(const Object& key) const {
  LookupKey probe(const_cast<Object&>(key));
  return findObject(probe);
}

Object* Dictionary::atKey(const Object& key) const {
  Object* assoc = assocAt(key);
  if (assoc == nil()) {
    setError(nihcl::KEYNOTFOUND, kDefaultSeverity, this, className(), key.className(), &key);
    return nil();
  }
  return static_cast<LookupKey*>(assoc)->value();
}

Object* Dictionary::keyAtValue(const Object& value) const {
  Iterator it(*this);
  while (Object* ob = it()) {
    LookupKey* assoc = static_cast<LookupKey*>(ob);
    if (assoc->value()->isEqual(value)) return assoc->key();
  }
  return nil();
}

bool Dictionary::includesKey(const Object& key) const {
  return assocAt(key) != nil();
}

Object* Dictionary::removeKey(const Object& key) {
  Object* assoc = assocAt(key);
  if (assoc == nil()) {
    setError(nihcl::KEYNOTFOUND, kDefaultSeverity, this, className(), key.className(), &key);
    return nil();
  }
  return Set::remove(*assoc);
}

Object* Dictionary::add(Object& ob) {
  if (!assertArgClass(ob, LookupKey::desc(), "add")) return nil();
  return Set::add(ob);
}

Object* Dictionary::remove(const Object& ob) {
  if (!assertArgClass(ob, LookupKey::desc(), "remove")) return nil();
  return Set::remove(ob);
}

Object* Dictionary::shallowCopy() const {
  return new Dictionary(*this);
}

Object* IdentDict::shallowCopy() const {
  return new IdentDict(*this);
}

int32_t IdentDict::positionOf(const Object& ob) const {
  return h(addressHash(keyOf(ob)));
}

int32_t IdentDict::findIndexOf(const Object& ob) const {
  const Object* key = &keyOf(ob);
  int32_t i = h(addressHash(*key));
  for (int32_t probes = 0; probes < slotCount(); ++probes) {
    Object* slot = contents()[i];
    if (slot == nil() || &keyOf(*slot) == key) return i;
    i = (i - 1) & (slotCount() - 1);
  }
  return kFull;
}

const char* IdentDict::removeDiagnosticName() const {
  return "IdentDict";
}

Object* IdentDict::assocOfKey(const Object& key) const {
  int32_t i = h(addressHash(key));
  for (int32_t probes = 0; probes < slotCount(); ++probes) {
    Object* slot = contents()[i];
    if (slot == nil()) return nil();
    if (&keyOf(*slot) == &key) return slot;
    i = (i - 1) & (slotCount() - 1);
  }
  return nil();
}

Dictionary::Dictionary(OIOin& stream) : Set(stream, DeferRead{}) {
  readElements(stream, &LookupKey::desc());
}

IdentDict::IdentDict(OIOin& stream) : Dictionary(stream, DeferRead{}) {
  readElements(stream, &LookupKey::desc());
}

void Dictionary::storer(OIOout& stream) const {
  Set::storer(stream);
}

void IdentDict::storer(OIOout& stream) const {
  Set::storer(stream);
}

}  // namespace dv
