// The decimal column type: Decimals under its parameters, its own fixed or
// floating display, precision and scale for comparisons, the stored form.
#include "datum/DecimalConstraint.h"

#include <new>
#include <ostream>
#include <string>
#include <utility>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerDecimalConstraintPrototype(const Class&) {
  static DecimalConstraint prototype;
  registerPrototype(&prototype, kStreamDecimalConstraint);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(DecimalConstraint, AbsNumConstraint)

const Class& DecimalConstraint::desc() {
  static const Class* const bases[] = {&AbsNumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("DecimalConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(DecimalConstraint), &readObjectText<DecimalConstraint>,
                            &readObjectBinary<DecimalConstraint>,
                            &registerDecimalConstraintPrototype, nullptr, nullptr);
  return d;
}

DecimalConstraint::DecimalConstraint() = default;

DecimalConstraint::DecimalConstraint(int16_t precision, int16_t scale, int32_t fixStyle,
                                     int16_t maxexp, int16_t miscFlags, const char* format)
    : precision_(precision < Decimal::kMaxPrecision ? precision : Decimal::kMaxPrecision),
      scale_(scale),
      maxexp_(maxexp < Decimal::kMaxExp ? maxexp : Decimal::kMaxExp),
      fixStyle_(fixStyle),
      miscFlags_(miscFlags) {
  if (format == nullptr) return;
  format_ = new (std::nothrow) Text(format);
  if (format_ == nullptr || format_->status() == outOfMemoryStatus())
    setStatus(outOfMemoryStatus());
}

DecimalConstraint::DecimalConstraint(const DecimalConstraint& other)
    : AbsNumConstraint(other),
      precision_(other.precision_),
      scale_(other.scale_),
      maxexp_(other.maxexp_),
      fixStyle_(other.fixStyle_),
      miscFlags_(other.miscFlags_) {
  if (other.format_ == nullptr) return;
  format_ = new (std::nothrow) Text(*other.format_);
  if (format_ == nullptr) setStatus(outOfMemoryStatus());
}

DecimalConstraint& DecimalConstraint::operator=(const DecimalConstraint& other) {
  if (this == &other) return *this;
  DecimalConstraint copy(other);
  Datum::operator=(copy);  // the constraint bases hold no fields
  precision_ = copy.precision_;
  scale_ = copy.scale_;
  maxexp_ = copy.maxexp_;
  fixStyle_ = copy.fixStyle_;
  miscFlags_ = copy.miscFlags_;
  std::swap(format_, copy.format_);
  return *this;
}

DecimalConstraint::~DecimalConstraint() {
  if (format_ != nullptr) format_->release();
}

// Stored as the DatumConstraint part, the five parameters as 16-bit values,
// then the format text or nil.
DecimalConstraint::DecimalConstraint(OIOin& stream) : AbsNumConstraint(stream) {
  int16_t fixStyle = 0;
  stream >> precision_ >> scale_ >> fixStyle >> maxexp_ >> miscFlags_;
  fixStyle_ = fixStyle;
  if (stream.severity() >= kError) return;
  // No constraint is made with these: only damage can bring them.
  if (precision_ > Decimal::kMaxPrecision) {
    stream.failSyntax("a precision of at most 38", std::to_string(precision_).c_str());
    return;
  }
  if (maxexp_ > Decimal::kMaxExp) {
    stream.failSyntax("a maxexp of at most 128", std::to_string(maxexp_).c_str());
    return;
  }
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

void DecimalConstraint::storer(OIOout& stream) const {
  AbsNumConstraint::storer(stream);
  stream << precision_ << scale_ << static_cast<int16_t>(fixStyle_) << maxexp_ << miscFlags_;
  if (format_ != nullptr) {
    format_->storeOn(stream);
  } else {
    nil()->storeOn(stream);
  }
}

Decimal::Parameters DecimalConstraint::parameters() const {
  Decimal::Parameters p;
  p.precision = precision_;
  p.scale = scale_;
  p.fixStyle = fixStyle_;
  p.maxexp = maxexp_;
  p.miscFlags = miscFlags_;
  return p;
}

Datum* DecimalConstraint::newDatum(const char* text, const char* fmt) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  return new (std::nothrow) Decimal(text, fmt, precision_, scale_, fixStyle_, maxexp_, miscFlags_);
}

char* DecimalConstraint::format(const Datum& v, char* buf, int size, const char* fmt) const {
  if (v.isExternal() || !v.isKindOf(Decimal::desc())) {
    return DatumConstraint::format(v, buf, size, fmt);
  }
  return static_cast<const Decimal&>(v).format(buf, size, fmt, fixStyle_, scale_, 0);
}

int DecimalConstraint::maxTextLength(const Datum& v, const char* fmt) const {
  int n = v.maxTextLength(fmt, nullptr);
  if (v.isKindOf(Decimal::desc()) && scale_ > 0) n += scale_;
  return n;
}

int16_t DecimalConstraint::precision() const {
  return precision_;
}

int16_t DecimalConstraint::scale() const {
  return fixStyle_ == Decimal::kFloating ? kFloatingScale : scale_;
}

void DecimalConstraint::precisionAndScale(int16_t* precision, int16_t* scale) const {
  if (precision != nullptr) *precision = precision_;
  if (scale != nullptr) *scale = fixStyle_ == Decimal::kFloating ? kFloatingPairedScale : scale_;
}

Datum* DecimalConstraint::newEmpty() const {
  return new (std::nothrow) DecimalConstraint();
}

int DecimalConstraint::typeCode() const {
  return kTypeDecimal;
}

Object* DecimalConstraint::shallowCopy() const {
  return new DecimalConstraint(*this);
}

bool DecimalConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  const DecimalConstraint& c = static_cast<const DecimalConstraint&>(other);
  if (precision_ != c.precision_ || scale_ != c.scale_ || fixStyle_ != c.fixStyle_ ||
      maxexp_ != c.maxexp_ || miscFlags_ != c.miscFlags_) {
    return false;
  }
  if (format_ == nullptr || c.format_ == nullptr) return format_ == c.format_;
  return format_->isEqual(*c.format_);
}

uint32_t DecimalConstraint::hash() const {
  uint32_t h = static_cast<uint32_t>(static_cast<uint16_t>(precision_)) << 16 ^
               static_cast<uint32_t>(static_cast<uint16_t>(scale_)) ^
               static_cast<uint32_t>(fixStyle_) << 8 ^ static_cast<uint32_t>(maxexp_) << 4 ^
               static_cast<uint32_t>(static_cast<uint16_t>(miscFlags_));
  return format_ != nullptr ? h ^ format_->hash() : h;
}

void DecimalConstraint::printOn(std::ostream& out) const {
  out << "Decimal Constraints: ";
  printFields(out);
}

void DecimalConstraint::printFields(std::ostream& out) const {
  out << "precision=" << precision_ << ",scale=" << scale_ << ",fixStyle=" << fixStyle_
      << ",maxexp=" << maxexp_ << ",miscFlags=" << miscFlags_ << ",format=";
  if (format_ == nullptr) {
    out << "NULL";
  } else {
    format_->printOn(out);
  }
}

int DecimalConstraint::streamTypeNumber() const {
  return kStreamDecimalConstraint;
}

Object* DecimalConstraint::newForStream() const {
  return new (std::nothrow) DecimalConstraint();
}

}  // namespace dv
