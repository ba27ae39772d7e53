// The interval column type.
#include "datum/IntervalConstraint.h"

#include <cstdlib>
#include <new>
#include <ostream>

#include "datum/Interval.h"
#include "datum/NilDatum.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerIntervalConstraintPrototype(const Class&) {
  static IntervalConstraint prototype;
  registerPrototype(&prototype, IntervalConstraint::kStreamTypeNumber);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(IntervalConstraint, DatumConstraint)

const Class& IntervalConstraint::desc() {
  static const Class* const bases[] = {&DatumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("IntervalConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(IntervalConstraint), &readObjectText<IntervalConstraint>,
                            &readObjectBinary<IntervalConstraint>,
                            &registerIntervalConstraintPrototype, nullptr, nullptr);
  return d;
}

// Stored as the DatumConstraint part, precTot, the qualifier and the options
// as 16-bit words, then the format (a String, or the shared nil value for
// none).
IntervalConstraint::IntervalConstraint(OIOin& stream) : DatumConstraint(stream) {
  int16_t precFrom = 0;
  int16_t precTo = 0;
  stream >> precTot_ >> precFrom >> precTo >> miscFlags_;
  precFrom_ = precFrom;
  precTo_ = precTo;
  if (stream.severity() >= kError) return;
  format_.readFrom(stream);
}

void IntervalConstraint::storer(OIOout& stream) const {
  DatumConstraint::storer(stream);
  stream << precTot_ << static_cast<int16_t>(precFrom_) << static_cast<int16_t>(precTo_)
         << miscFlags_;
  format_.storeOn(stream);
}

int16_t IntervalConstraint::similarity(const DatumConstraint& other) const {
  if (!other.isKindOf(IntervalConstraint::desc())) return 0;
  const IntervalConstraint& o = static_cast<const IntervalConstraint&>(other);
  int64_t d =
      2 * (std::llabs(int64_t{precFrom_} - o.precFrom_) + std::llabs(int64_t{precTo_} - o.precTo_) +
           std::llabs(int64_t{precTot_} - o.precTot_));
  int64_t s = int64_t{precTot_} + o.precTot_ + (int64_t{precTo_} - precFrom_) +
              (int64_t{o.precTo_} - o.precFrom_) + 2;
  // Constraints without digits or with backward qualifiers leave nothing to
  // measure by.
  if (s <= 0) return d == 0 ? 100 : 1;
  if (d > s) d = s;
  int16_t r = static_cast<int16_t>((s - d) * 100 / s);
  return r == 0 ? 1 : r;
}

Datum* IntervalConstraint::newDatum(const char* text, const char* fmt) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  return new (std::nothrow) Interval(text, fmt, precTot_, precFrom_, precTo_);
}

int IntervalConstraint::typeCode() const {
  return kTypeInterval;
}

Datum* IntervalConstraint::newEmpty() const {
  return new (std::nothrow) Interval(0, 0, 0, 0, 0, 0, 0, precTot_, precFrom_, precTo_);
}

Object* IntervalConstraint::shallowCopy() const {
  return new IntervalConstraint(*this);
}

bool IntervalConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  const IntervalConstraint& o = static_cast<const IntervalConstraint&>(other);
  return precTot_ == o.precTot_ && precFrom_ == o.precFrom_ && precTo_ == o.precTo_ &&
         miscFlags_ == o.miscFlags_ && format_.isEqual(o.format_);
}

uint32_t IntervalConstraint::hash() const {
  return static_cast<uint32_t>(precTot_) << 24 ^ static_cast<uint32_t>(precFrom_) << 16 ^
         static_cast<uint32_t>(precTo_) << 8 ^ static_cast<uint16_t>(miscFlags_);
}

void IntervalConstraint::printOn(std::ostream& out) const {
  out << "Interval Constraints: "
      << "precTot=" << precTot_ << ",precFrom=" << precFrom_ << ",precTo=" << precTo_
      << ",miscFlags=" << miscFlags_ << ",format=";
  format_.printOn(out);
}

int IntervalConstraint::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* IntervalConstraint::newForStream() const {
  return new (std::nothrow) IntervalConstraint();
}

}  // namespace dv
