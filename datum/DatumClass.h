// DatumClass: the class descriptor of every typed-value class. Beside the
// usual descriptor it holds a factory that makes a value of the class from a
// NUL-terminated text, so that values can be made by class name.
#ifndef DV_DATUM_DATUMCLASS_H_
#define DV_DATUM_DATUMCLASS_H_

#include "object/Class.h"

namespace dv {

class Datum;

class DatumClass : public Class {
 public:
  // Makes a new heap value of the class from text (the caller owns it).
  using Factory = Datum* (*)(const char* text);

  // The descriptor arguments of Class (ident Class::kIdent unless the class
  // says otherwise) plus the factory, which may be null.
  DatumClass(const char* name, const Class* const* baseClasses, const Class* const* memberClasses,
             const Class* const* virtualBaseClasses, uint32_t version, const char* ident,
             uint32_t instanceSize, TextReader readerText, BinaryReader readerBinary,
             Hook immediateHook, Hook registryHook, Factory fromString);

  Factory fromString() const { return fromString_; }

  // The class registered under name when it is a DatumClass; null otherwise.
  // Builds the class registry when that has not been done yet.
  static const DatumClass* lookUpDatumClass(const char* name);
  // Whether the named class exists and has a factory.
  static bool canMake(const char* name);
  // A new value of the named class made from text; null when the class or its
  // factory is missing.
  static Datum* make(const char* name, const char* text);

  // The descriptor of DatumClass itself.
  static const Class& desc();
  const Class* isA() const override;
  void* _castdown(const Class& target) const override;

 private:
  Factory fromString_;
};

}  // namespace dv

#endif  // DV_DATUM_DATUMCLASS_H_
