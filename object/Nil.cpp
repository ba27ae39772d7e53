// The nil object.
#include "object/Nil.h"

#include <ostream>

#include "object/Class.h"
#include "object/OIO.h"
#include "object/internal/Startup.h"

namespace dv {
Object* internal::nilObject = nullptr;  // constant-initialized; set by the library start-up

namespace {

// Nil has no fields: reading one from an object stream gives the nil object.
Object* readNilText(OIOin&) {
  return nil();
}
Object* readNilBinary(OIOinbin&) {
  return nil();
}

}  // namespace

void internal::createNil() {
  nilObject = new Nil;
}

Object* internal::startLibraryForNil() {
  Startup::ensure();
  return nilObject;
}

const Class* Nil::isA() const {
  return &Nil::desc();
}

Object* Nil::shallowCopy() const {
  return nil();
}

Object* Nil::copy() const {
  return nil();
}

int Nil::compare(const Object& other) const {
  assertArgSpecies(other, Nil::desc(), "compare");
  return 0;
}

void Nil::deepenShallowCopy() {
  shouldNotImplement("deepenShallowCopy");
}

void Nil::dumpOn(std::ostream& out) const {
  out << "NIL";
}

uint32_t Nil::hash() const {
  return 0;
}

bool Nil::isEqual(const Object& other) const {
  return &other == nil();
}

void Nil::printOn(std::ostream& out) const {
  out << "NIL";
}

void Nil::storer(OIOout&) const {
  shouldNotImplement("storer");
}

void Nil::storer(OIOoutbin&) const {
  shouldNotImplement("storer");
}

void* Nil::_castdown(const Class& target) const {
  if (&target == &Nil::desc()) return nil();
  return Object::_castdown(target);
}

const Class& Nil::desc() {
  static const Class* const objectOnly[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class descriptor("Nil", objectOnly, none, objectOnly, 1, Class::kIdent, sizeof(Nil),
                                &readNilText, &readNilBinary, nullptr, nullptr);
  return descriptor;
}

}  // namespace dv
