// Class descriptors, the list of all classes and class signatures.
#include "object/Class.h"
#include "object/OIO.h"

#include <cstring>
#include <ostream>

namespace dv {
namespace {

// Newest descriptor first; constant-initialized, so safe in static initializers.
const Class* firstClass = nullptr;

// Writes " name" for each entry of list, or the complaint when it is missing.
void dumpList(std::ostream& out, const char* heading, const Class* const* list,
              const char* missing) {
  out << heading;
  if (list == nullptr) {
    out << ' ' << missing;
  } else {
    for (const Class* const* c = list; *c != nullptr; ++c) out << ' ' << (*c)->name();
  }
  out << '\n';
}

}  // namespace

Class::Class(const char* name, const Class* const* baseClasses, const Class* const* memberClasses,
             const Class* const* virtualBaseClasses, uint32_t version, const char* ident,
             uint32_t instanceSize, TextReader readerText, BinaryReader readerBinary,
             Hook immediateHook, Hook registryHook)
    : name_(name),
      ident_(ident),
      baseClasses_(baseClasses),
      memberClasses_(memberClasses),
      virtualBaseClasses_(virtualBaseClasses),
      version_(version),
      instanceSize_(instanceSize),
      readerText_(readerText),
      readerBinary_(readerBinary),
      registryHook_(registryHook),
      next_(firstClass) {
  firstClass = this;
  if (immediateHook != nullptr) immediateHook(*this);
}

Class::~Class() {
  // At exit descriptors go in reverse order of construction; whatever still
  // walks the list must not meet a destroyed one.
  for (const Class** link = &firstClass; *link != nullptr;
       link = &const_cast<Class*>(*link)->next_) {
    if (*link == this) {
      *link = next_;
      break;
    }
  }
}

uint32_t Class::signature() const {
  if (signature_ != 0) return signature_;
  uint32_t s = 0;
  if (this == &Object::desc()) {
    s = version_;
  } else {
    if (baseClasses_ != nullptr) {
      for (const Class* const* c = baseClasses_; *c != nullptr; ++c) {
        s = rotateSignature(s) + (*c)->signature();
      }
    }
    if (s == 0) s = 1;
    if (memberClasses_ != nullptr) {
      for (const Class* const* c = memberClasses_; *c != nullptr; ++c) {
        s = rotateSignature(s) + (*c)->signature();
      }
    }
    if (version_ != 0) s = rotateSignature(s) + version_;
  }
  if (s == 0) s = 1;
  signature_ = s;
  return s;
}

bool Class::inherits(const Class& other) const {
  if (this == &other) return true;
  if (baseClasses_ == nullptr) return false;
  for (const Class* const* c = baseClasses_; *c != nullptr; ++c) {
    if ((*c)->inherits(other)) return true;
  }
  return false;
}

const Class* Class::first() {
  return firstClass;
}

const Class* Class::isA() const {
  return &Class::desc();
}

Object* Class::shallowCopy() const {
  // A second descriptor of a class would be a second entry in the class list.
  shouldNotImplement("shallowCopy");
  return const_cast<Class*>(this);
}

int Class::compare(const Object& other) const {
  if (!assertArgSpecies(other, Class::desc(), "compare")) return 0;
  return std::strcmp(name_, static_cast<const Class&>(other).name_);
}

void Class::deepenShallowCopy() {
  shouldNotImplement("deepenShallowCopy");
}

void Class::destroy() {}

void Class::dumpOn(std::ostream& out) const {
  out << className() << '[' << name_ << '\n';
  out << "ident: " << ident_ << '\n';
  out << "version: " << version_ << '\n';
  out << "signature: " << signature() << '\n';
  out << "number: " << number_ << '\n';
  dumpList(out, "base classes:", baseClasses_, "zero pointer to base classes!");
  dumpList(out, "member classes:", memberClasses_, "zero pointer to member classes!");
  dumpList(out, "virtual base classes:", virtualBaseClasses_,
           "zero pointer to virtual base classes!");
  out << "]\n";
}

uint32_t Class::hash() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
}

bool Class::isEqual(const Object& other) const {
  return this == &other;
}

void Class::printOn(std::ostream& out) const {
  out << name_ << ident_ << version_ << instanceSize_;
}

uint32_t Class::size() const {
  return instanceSize_;
}

void Class::storer(OIOout&) const {
  shouldNotImplement("storer");
}

void Class::storer(OIOoutbin&) const {
  shouldNotImplement("storer");
}

void* Class::_castdown(const Class& target) const {
  if (&target == &Class::desc()) return const_cast<Class*>(this);
  return Object::_castdown(target);
}

Object* Class::readText(OIOin&) {
  readUnknownClass("Class");
  return nullptr;
}

Object* Class::readBinary(OIOinbin&) {
  readUnknownClass("Class");
  return nullptr;
}

const Class& Class::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class descriptor("Class", bases, none, none, 1, kIdent, sizeof(Class), &readText,
                                &readBinary, nullptr, nullptr);
  return descriptor;
}

}  // namespace dv
