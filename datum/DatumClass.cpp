// The class descriptor of the typed values.
#include "datum/DatumClass.h"

#include "object/Registry.h"

namespace dv {

DatumClass::DatumClass(const char* name, const Class* const* baseClasses,
                       const Class* const* memberClasses, const Class* const* virtualBaseClasses,
                       uint32_t version, const char* ident, uint32_t instanceSize,
                       TextReader readerText, BinaryReader readerBinary, Hook immediateHook,
                       Hook registryHook, Factory fromString)
    : Class(name, baseClasses, memberClasses, virtualBaseClasses, version, ident, instanceSize,
            readerText, readerBinary, immediateHook, registryHook),
      fromString_(fromString) {}

const DatumClass* DatumClass::lookUpDatumClass(const char* name) {
  // Making a value by name must not depend on whether a stream happened to
  // build the registry first.
  buildRegistry();
  const Class* c = lookUp(name);
  if (c == nullptr || !c->isKindOf(DatumClass::desc())) return nullptr;
  return static_cast<const DatumClass*>(c);
}

bool DatumClass::canMake(const char* name) {
  const DatumClass* c = lookUpDatumClass(name);
  return c != nullptr && c->fromString_ != nullptr;
}

Datum* DatumClass::make(const char* name, const char* text) {
  const DatumClass* c = lookUpDatumClass(name);
  if (c == nullptr || c->fromString_ == nullptr) return nullptr;
  return c->fromString_(text != nullptr ? text : "");
}

const Class& DatumClass::desc() {
  static const Class* const bases[] = {&Class::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("DatumClass", bases, none, none, 1, Class::kIdent, sizeof(DatumClass),
                       Class::desc().readerText(), Class::desc().readerBinary(), nullptr, nullptr);
  return d;
}

const Class* DatumClass::isA() const {
  return &DatumClass::desc();
}

void* DatumClass::_castdown(const Class& target) const {
  if (&target == &DatumClass::desc()) return const_cast<DatumClass*>(this);
  return Class::_castdown(target);
}

}  // namespace dv
