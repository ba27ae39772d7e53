// The date/time column type.
#include "datum/DateTimeConstraint.h"

#include <cstdlib>
#include <new>
#include <ostream>

#include "datum/DateTime.h"
#include "datum/NilDatum.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerDateTimeConstraintPrototype(const Class&) {
  static DateTimeConstraint prototype;
  registerPrototype(&prototype, DateTimeConstraint::kStreamTypeNumber);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(DateTimeConstraint, DatumConstraint)

const Class& DateTimeConstraint::desc() {
  static const Class* const bases[] = {&DatumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("DateTimeConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(DateTimeConstraint), &readObjectText<DateTimeConstraint>,
                            &readObjectBinary<DateTimeConstraint>,
                            &registerDateTimeConstraintPrototype, nullptr, nullptr);
  return d;
}

// Stored as the DatumConstraint part, the qualifier and the options as 16-bit
// words, then the format (a String, or the shared nil value for none).
DateTimeConstraint::DateTimeConstraint(OIOin& stream) : DatumConstraint(stream) {
  int16_t precFrom = 0;
  int16_t precTo = 0;
  stream >> precFrom >> precTo >> miscFlags_;
  precFrom_ = precFrom;
  precTo_ = precTo;
  if (stream.severity() >= kError) return;
  format_.readFrom(stream);
}

void DateTimeConstraint::storer(OIOout& stream) const {
  DatumConstraint::storer(stream);
  stream << static_cast<int16_t>(precFrom_) << static_cast<int16_t>(precTo_) << miscFlags_;
  format_.storeOn(stream);
}

int16_t DateTimeConstraint::similarity(const DatumConstraint& other) const {
  if (!other.isKindOf(DateTimeConstraint::desc())) return 0;
  const DateTimeConstraint& o = static_cast<const DateTimeConstraint&>(other);
  int64_t d =
      2 * (std::llabs(int64_t{precFrom_} - o.precFrom_) + std::llabs(int64_t{precTo_} - o.precTo_));
  int64_t s = (int64_t{precTo_} - precFrom_) + (int64_t{o.precTo_} - o.precFrom_) + 2;
  // Qualifiers that run backwards leave no span to measure by.
  if (s <= 0) return d == 0 ? 100 : 1;
  if (d > s) d = s;
  int16_t r = static_cast<int16_t>((s - d) * 100 / s);
  return r == 0 ? 1 : r;
}

Datum* DateTimeConstraint::newDatum(const char* text, const char* fmt) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  DateTime* value = new (std::nothrow) DateTime(text, fmt, precFrom_, precTo_, miscFlags_);
  if (value != nullptr && value->severity() < kError && (miscFlags_ & DateTime::kAdOnly) != 0 &&
      value->precFrom() == kUnitYear && value->year() < 1) {
    value->setStatus(yearNotADStatus());
  }
  return value;
}

char* DateTimeConstraint::format(const Datum& v, char* buf, int size, const char* fmt) const {
  if (v.isNull()) {
    if (buf != nullptr && size >= 1) buf[0] = '\0';
    return buf;
  }
  if (v.isKindOf(DateTime::desc())) return v.asString(buf, size, fmt, FormatArg(miscFlags_));
  return v.asString(buf, size, fmt, nullptr);
}

int DateTimeConstraint::typeCode() const {
  return kTypeDateTime;
}

Datum* DateTimeConstraint::newEmpty() const {
  return new (std::nothrow) DateTime(DateTime::Qualifier{precFrom_, precTo_});
}

Object* DateTimeConstraint::shallowCopy() const {
  return new DateTimeConstraint(*this);
}

bool DateTimeConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  const DateTimeConstraint& o = static_cast<const DateTimeConstraint&>(other);
  return precFrom_ == o.precFrom_ && precTo_ == o.precTo_ && miscFlags_ == o.miscFlags_ &&
         format_.isEqual(o.format_);
}

uint32_t DateTimeConstraint::hash() const {
  return static_cast<uint32_t>(precFrom_) << 20 ^ static_cast<uint32_t>(precTo_) << 12 ^ miscFlags_;
}

void DateTimeConstraint::printOn(std::ostream& out) const {
  out << "DateTime Constraints: "
      << "precFrom=" << precFrom_ << ",precTo=" << precTo_ << ",miscFlags=" << miscFlags_
      << ",format=";
  format_.printOn(out);
}

int DateTimeConstraint::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* DateTimeConstraint::newForStream() const {
  return new (std::nothrow) DateTimeConstraint();
}

}  // namespace dv
