// The money column type.
#include "datum/MoneyConstraint.h"

#include <new>
#include <ostream>

#include "datum/Money.h"
#include "datum/NilDatum.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerMoneyConstraintPrototype(const Class&) {
  static MoneyConstraint prototype;
  registerPrototype(&prototype, kStreamMoneyConstraint);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(MoneyConstraint, DecimalConstraint)

const Class& MoneyConstraint::desc() {
  static const Class* const bases[] = {&DecimalConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("MoneyConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(MoneyConstraint), &readObjectText<MoneyConstraint>,
                            &readObjectBinary<MoneyConstraint>, &registerMoneyConstraintPrototype,
                            nullptr, nullptr);
  return d;
}

MoneyConstraint::MoneyConstraint() : DecimalConstraint(kDefaultPrecision, kDefaultScale) {}

MoneyConstraint::MoneyConstraint(int16_t precision, int16_t scale, int32_t fixStyle, int16_t maxexp,
                                 int16_t miscFlags, const char* format)
    : DecimalConstraint(precision, scale, fixStyle, maxexp, miscFlags, format) {}

Datum* MoneyConstraint::newDatum(const char* text, const char* fmt) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  Decimal::Parameters p = parameters();
  return new (std::nothrow)
      Money(text, fmt, p.precision, p.scale, p.fixStyle, p.maxexp, p.miscFlags);
}

Datum* MoneyConstraint::newEmpty() const {
  return new (std::nothrow) MoneyConstraint();
}

int MoneyConstraint::typeCode() const {
  return kTypeMoney;
}

Object* MoneyConstraint::shallowCopy() const {
  return new MoneyConstraint(*this);
}

void MoneyConstraint::printOn(std::ostream& out) const {
  out << "Money Constraints: ";
  printFields(out);
}

int MoneyConstraint::streamTypeNumber() const {
  return kStreamMoneyConstraint;
}

Object* MoneyConstraint::newForStream() const {
  return new (std::nothrow) MoneyConstraint();
}

}  // namespace dv
