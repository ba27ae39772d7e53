// Keys and key/value pairs.
#include "object/LookupKey.h"

#include <ostream>

#include "object/Nil.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(LookupKey, Object)
DV_DEFINE_CLASS_MEMBERS(Assoc, LookupKey)
DV_DEFINE_CLASS_MEMBERS(AssocInt, LookupKey)

const Class& LookupKey::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("LookupKey", bases, none, none, 1, Class::kIdent, sizeof(LookupKey),
                       &readObjectText<LookupKey>, &readObjectBinary<LookupKey>, nullptr, nullptr);
  return d;
}

const Class& Assoc::desc() {
  static const Class* const bases[] = {&LookupKey::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Assoc", bases, none, none, 1, Class::kIdent, sizeof(Assoc),
                       &readObjectText<Assoc>, &readObjectBinary<Assoc>, nullptr, nullptr);
  return d;
}

const Class& AssocInt::desc() {
  static const Class* const bases[] = {&LookupKey::desc(), nullptr};
  static const Class* const members[] = {&Integer::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("AssocInt", bases, members, none, 1, Class::kIdent, sizeof(AssocInt),
                       &readObjectText<AssocInt>, &readObjectBinary<AssocInt>, nullptr, nullptr);
  return d;
}

LookupKey::LookupKey(Object& key) : key_(&key) {}

Object* LookupKey::setKey(Object& key) {
  Object* previous = key_;
  key_ = &key;
  return previous;
}

Object* LookupKey::value() const {
  derivedClassResponsibility("value");
  return nil();
}

Object* LookupKey::setValue(Object&) {
  derivedClassResponsibility("value");
  return nil();
}

Object* LookupKey::shallowCopy() const {
  return new LookupKey(*this);
}

void LookupKey::deepenShallowCopy() {
  if (!markDeepened(*this)) return;

  key_ = key_->deepCopy();
}

int LookupKey::compare(const Object& other) const {
  if (!assertArgClass(other, LookupKey::desc(), "compare")) return 0;
  return key_->compare(*static_cast<const LookupKey&>(other).key_);
}

uint32_t LookupKey::hash() const {
  return key_->hash();
}

bool LookupKey::isEqual(const Object& other) const {
  return other.isKindOf(LookupKey::desc()) &&
         key_->isEqual(*static_cast<const LookupKey&>(other).key_);
}

void LookupKey::printOn(std::ostream& out) const {
  key_->printOn(out);
}

void LookupKey::dumpOn(std::ostream& out) const {
  out << className() << '[';
  key_->dumpOn(out);
  out << "]\n";
}

Assoc::Assoc(Object& key, Object& value) : LookupKey(key), value_(&value) {}

Object* Assoc::setValue(Object& value) {
  Object* previous = value_;
  value_ = &value;
  return previous;
}

Object* Assoc::shallowCopy() const {
  return new Assoc(*this);
}

void Assoc::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  setKey(*key()->deepCopy());
  value_ = value_->deepCopy();
}

void Assoc::printOn(std::ostream& out) const {
  key()->printOn(out);
  out << "=>";
  value_->printOn(out);
}

void Assoc::dumpOn(std::ostream& out) const {
  out << className() << '[';
  key()->dumpOn(out);
  out << "=>";
  value_->dumpOn(out);
  out << "]\n";
}

AssocInt::AssocInt(Object& key, int32_t value) : LookupKey(key), value_(value) {}

Object* AssocInt::value() const {
  return const_cast<Integer*>(&value_);
}

Object* AssocInt::setValue(Object& value) {
  if (assertArgClass(value, Integer::desc(), "setValue")) {
    value_.setValue(static_cast<Integer&>(value).value());
  }
  return &value_;
}

Object* AssocInt::shallowCopy() const {
  return new AssocInt(*this);
}

void AssocInt::printOn(std::ostream& out) const {
  key()->printOn(out);
  out << "=>";
  value_.printOn(out);
}

void AssocInt::dumpOn(std::ostream& out) const {
  out << className() << '[';
  key()->dumpOn(out);
  out << "=>";
  value_.dumpOn(out);
  out << "]\n";
}

// A key (and a value) are objects stored by reference; AssocInt's integer is
// a member of the pair.
LookupKey::LookupKey(OIOin& stream) : Object(stream), key_(stream.readObject()) {}

void LookupKey::storer(OIOout& stream) const {
  key_->storeOn(stream);
}

Assoc::Assoc(OIOin& stream) : LookupKey(stream), value_(stream.readObject()) {}

void Assoc::storer(OIOout& stream) const {
  LookupKey::storer(stream);
  value_->storeOn(stream);
}

AssocInt::AssocInt(OIOin& stream) : LookupKey(stream), value_(stream) {}

void AssocInt::storer(OIOout& stream) const {
  LookupKey::storer(stream);
  value_.storeMemberOn(stream);
}

}  // namespace dv
