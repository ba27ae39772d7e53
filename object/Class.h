// The class descriptor: one static instance per class of the library, made on
// first use by the class's desc() function (so that no descriptor depends on
// the order of static initializers across files) and entered, newest first,
// in the list of all classes. Every class's descriptor is made at start-up,
// before main runs (see dv/AllClasses.cpp), bases before the classes that
// derive from them.
#ifndef DV_OBJECT_CLASS_H_
#define DV_OBJECT_CLASS_H_

#include <cstdint>
#include <iosfwd>

#include "object/Object.h"

namespace dv {

class Class : public Object {
 public:
  // Builds an instance from an object stream; the caller owns it.
  using TextReader = Object* (*)(OIOin& stream);
  using BinaryReader = Object* (*)(OIOinbin& stream);
  // Run with the descriptor: at construction (immediate hook) or when the
  // class registry is built (registry hook).
  using Hook = void (*)(const Class& descriptor);

  // The identification string of every class of the library.
  static constexpr const char* kIdent = "Unique_ID";

  // Stores the fields, zeroes the counters, signature and number, enters the
  // descriptor at the head of the list of all classes and runs immediateHook
  // (when not null) with it. The lists end with a null entry; a list itself
  // may be null. REQUIRES: name, ident and the lists outlive the descriptor.
  Class(const char* name, const Class* const* baseClasses, const Class* const* memberClasses,
        const Class* const* virtualBaseClasses, uint32_t version, const char* ident,
        uint32_t instanceSize, TextReader readerText, BinaryReader readerBinary, Hook immediateHook,
        Hook registryHook);
  ~Class() override;

  const char* name() const { return name_; }
  const char* ident() const { return ident_; }
  const Class* const* baseClasses() const { return baseClasses_; }
  const Class* const* memberClasses() const { return memberClasses_; }
  const Class* const* virtualBaseClasses() const { return virtualBaseClasses_; }
  uint32_t version() const { return version_; }
  uint32_t instanceSize() const { return instanceSize_; }
  uint32_t creations() const { return creations_; }
  uint32_t destructions() const { return destructions_; }
  TextReader readerText() const { return readerText_; }
  BinaryReader readerBinary() const { return readerBinary_; }
  Hook registryHook() const { return registryHook_; }
  const Class* next() const { return next_; }
  uint32_t number() const { return number_; }
  void setNumber(uint32_t number) { number_ = number; }
  // Statistics: one more instance created or destroyed.
  void countCreation() { ++creations_; }
  void countDestruction() { ++destructions_; }

  // The class signature, computed on first use and kept; never 0. Object's is
  // its version; any other class's combines, by 3-bit rotations, the
  // signatures of its bases and member classes and its version, so that it
  // changes when any of them changes.
  uint32_t signature() const;

  // True when this is `other` or derives from it through the base lists.
  bool inherits(const Class& other) const;

  // The newest descriptor of the list of all classes.
  static const Class* first();

  // The descriptor of Class itself.
  static const Class& desc();

  // Object interface.
  const Class* isA() const override;
  Object* shallowCopy() const override;
  int compare(const Object& other) const override;  // by name, byte-wise
  void deepenShallowCopy() override;
  void destroy() override;  // descriptors live until exit
  void dumpOn(std::ostream& out) const override;
  uint32_t hash() const override;                    // the descriptor's address
  bool isEqual(const Object& other) const override;  // identity
  void printOn(std::ostream& out) const override;    // name, ident, version, size
  uint32_t size() const override;                    // instanceSize
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override;
  void* _castdown(const Class& target) const override;

 private:
  // Descriptors are never read from object streams: [RDUNKCLASS] "Class".
  static Object* readText(OIOin& stream);
  static Object* readBinary(OIOinbin& stream);

  const char* name_;
  const char* ident_;
  const Class* const* baseClasses_;
  const Class* const* memberClasses_;
  const Class* const* virtualBaseClasses_;
  uint32_t version_;
  uint32_t instanceSize_;
  [[maybe_unused]] uint32_t reserved_ = 0;  // kept for the layout of the descriptor
  uint32_t creations_ = 0;
  uint32_t destructions_ = 0;
  TextReader readerText_;
  BinaryReader readerBinary_;
  Hook registryHook_;
  const Class* next_;
  mutable uint32_t signature_ = 0;
  uint32_t number_ = 0;
};

// Declares the members that every class of the library defines for itself:
// its descriptor, isA and _castdown.
#define DV_CLASS_MEMBERS()                 \
 public:                                   \
  static const ::dv::Class& desc();        \
  const ::dv::Class* isA() const override; \
  void* _castdown(const ::dv::Class& target) const override;

// Defines isA and _castdown for class Name with the single base Base.
#define DV_DEFINE_CLASS_MEMBERS(Name, Base)                       \
  const ::dv::Class* Name::isA() const {                          \
    return &Name::desc();                                         \
  }                                                               \
  void* Name::_castdown(const ::dv::Class& target) const {        \
    if (&target == &Name::desc()) return const_cast<Name*>(this); \
    return Base::_castdown(target);                               \
  }

// A 32-bit left rotation by 3: the step of the signature computation.
inline uint32_t rotateSignature(uint32_t s) {
  return (s << 3) | (s >> 29);
}

}  // namespace dv

#endif  // DV_OBJECT_CLASS_H_
