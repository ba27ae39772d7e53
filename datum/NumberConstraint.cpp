// The binary number column type: Numbers of a requested type, precision and
// scale by type, and the optional display format.
#include "datum/NumberConstraint.h"

#include <new>
#include <ostream>
#include <string>
#include <utility>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// The precision and scale of the short codes 1 to 4 (short, long, float,
// double), as the numeric constraints compare them.
struct Bounds {
  int16_t precision;
  int16_t scale;        // what scale() answers
  int16_t pairedScale;  // what precisionAndScale writes
};

Bounds boundsOf(int16_t code) {
  switch (code) {
    case Number::kShort:
      return {5, 0, 0};
    case Number::kLong:
      return {10, 0, 0};
    case Number::kFloat:
      return {6, -1024, -1};
    case Number::kDouble:
      return {15, -1024, -1};
    default:
      return {0, 0, 0};
  }
}

void registerNumberConstraintPrototype(const Class&) {
  static NumberConstraint prototype;
  registerPrototype(&prototype, kStreamNumberConstraint);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(NumberConstraint, AbsNumConstraint)

const Class& NumberConstraint::desc() {
  static const Class* const bases[] = {&AbsNumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("NumberConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(NumberConstraint), &readObjectText<NumberConstraint>,
                            &readObjectBinary<NumberConstraint>, &registerNumberConstraintPrototype,
                            nullptr, nullptr);
  return d;
}

NumberConstraint::NumberConstraint(int16_t typeCode, const char* format) : typeCode_(typeCode) {
  if (format == nullptr) return;
  format_ = new (std::nothrow) Text(format);
  if (format_ == nullptr || format_->status() == outOfMemoryStatus())
    setStatus(outOfMemoryStatus());
}

NumberConstraint::NumberConstraint(const NumberConstraint& other)
    : AbsNumConstraint(other), typeCode_(other.typeCode_) {
  if (other.format_ == nullptr) return;
  format_ = new (std::nothrow) Text(*other.format_);
  if (format_ == nullptr) setStatus(outOfMemoryStatus());
}

NumberConstraint& NumberConstraint::operator=(const NumberConstraint& other) {
  if (this == &other) return *this;
  NumberConstraint copy(other);
  Datum::operator=(copy);  // the constraint bases hold no fields
  typeCode_ = copy.typeCode_;
  std::swap(format_, copy.format_);
  return *this;
}

NumberConstraint::~NumberConstraint() {
  if (format_ != nullptr) format_->release();
}

// Stored as the DatumConstraint part, the 16-bit type code, then the format
// text or nil.
NumberConstraint::NumberConstraint(OIOin& stream) : AbsNumConstraint(stream) {
  stream >> typeCode_;
  if (stream.severity() >= kError) return;
  Object* read = stream.readObjectHeld();
  if (read == nil()) return;
  if (!read->isKindOf(Text::desc())) {
    std::string found = read->className();
    read->release();
    stream.failSyntax("a format text", found.c_str());
    return;
  }
  format_ = static_cast<Text*>(read);
}

void NumberConstraint::storer(OIOout& stream) const {
  AbsNumConstraint::storer(stream);
  stream << typeCode_;
  if (format_ != nullptr) {
    format_->storeOn(stream);
  } else {
    nil()->storeOn(stream);
  }
}

Datum* NumberConstraint::newDatum(const char* text, const char* fmt) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  return new (std::nothrow) Number(text, typeCode_, fmt);
}

int16_t NumberConstraint::precision() const {
  return boundsOf(typeCode_).precision;
}

int16_t NumberConstraint::scale() const {
  return boundsOf(typeCode_).scale;
}

void NumberConstraint::precisionAndScale(int16_t* precision, int16_t* scale) const {
  // Every code answers, so that callers never read values left unset.
  Bounds b = boundsOf(typeCode_);
  if (precision != nullptr) *precision = b.precision;
  if (scale != nullptr) *scale = b.pairedScale;
}

Datum* NumberConstraint::newEmpty() const {
  return new (std::nothrow) NumberConstraint();
}

int NumberConstraint::typeCode() const {
  return typeCode_;
}

Object* NumberConstraint::shallowCopy() const {
  return new NumberConstraint(*this);
}

bool NumberConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  const NumberConstraint& c = static_cast<const NumberConstraint&>(other);
  if (typeCode_ != c.typeCode_) return false;
  if (format_ == nullptr || c.format_ == nullptr) return format_ == c.format_;
  return format_->isEqual(*c.format_);
}

uint32_t NumberConstraint::hash() const {
  uint32_t h = static_cast<uint32_t>(static_cast<uint16_t>(typeCode_));
  return format_ != nullptr ? h ^ format_->hash() : h;
}

void NumberConstraint::printOn(std::ostream& out) const {
  out << "Number Constraints: "
      << "typeCode=" << typeCode_ << ",format=";
  if (format_ == nullptr) {
    out << "NULL";
  } else {
    format_->printOn(out);
  }
}

int NumberConstraint::streamTypeNumber() const {
  return kStreamNumberConstraint;
}

Object* NumberConstraint::newForStream() const {
  return new (std::nothrow) NumberConstraint();
}

}  // namespace dv
