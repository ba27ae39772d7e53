// MoneyConstraint: the column type of money, the parameters of
// DecimalConstraint with a default scale of 2. It makes Money values, taking
// each unit from the front of the text, and formats the amounts as
// DecimalConstraint does, without the unit.
#ifndef DV_DATUM_MONEYCONSTRAINT_H_
#define DV_DATUM_MONEYCONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DecimalConstraint.h"

namespace dv {

class MoneyConstraint : public DecimalConstraint {
  DV_CLASS_MEMBERS()

 public:
  // The scale of a constraint made by default.
  static constexpr int16_t kDefaultScale = 2;

  // Precision 16, scale 2, floating, maxexp 128, no flags, no format.
  MoneyConstraint();
  // As DecimalConstraint: the precision cut to 38, maxexp to 128.
  MoneyConstraint(int16_t precision, int16_t scale, int32_t fixStyle = Decimal::kFloating,
                  int16_t maxexp = Decimal::kMaxExp, int16_t miscFlags = 0,
                  const char* format = nullptr);
  MoneyConstraint(const MoneyConstraint& other) = default;
  MoneyConstraint& operator=(const MoneyConstraint& other) = default;

  // Constraint interface.
  // The shared nil value for empty text (null or ""); otherwise a new Money
  // from text and fmt under the constraint's parameters. Null when it cannot
  // be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;

  // Datum interface.
  Datum* newEmpty() const override;  // a default constraint
  int typeCode() const override;     // 8

  // Object interface.
  Object* shallowCopy() const override;
  // "Money Constraints: " and the fields as DecimalConstraint writes them.
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 23
  Object* newForStream() const override;  // a new default constraint

  // Object streams: stored as DecimalConstraint is.
  explicit MoneyConstraint(OIOin& stream) : DecimalConstraint(stream) {}
  explicit MoneyConstraint(OIOinbin& stream) : MoneyConstraint(textSide(stream)) {}
};

}  // namespace dv

#endif  // DV_DATUM_MONEYCONSTRAINT_H_
