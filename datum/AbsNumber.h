// AbsNumber: the abstract base of the numeric values (Number, Decimal,
// Money), which orders numbers of different classes by value.
#ifndef DV_DATUM_ABSNUMBER_H_
#define DV_DATUM_ABSNUMBER_H_

#include "datum/Datum.h"

namespace dv {

class AbsNumber : public Datum {
  DV_CLASS_MEMBERS()

 public:
  // Both values convert to a double without problem and the doubles are equal.
  bool numericallyEqual(const Datum& other) const;
  // With another number whose conversions succeed: the doubles' order;
  // otherwise the order of the kinds.
  bool isLessThan(const Datum& other) const override;
  bool isGreaterThan(const Datum& other) const override;
  // compareKind, then 0 when numerically equal, 1 when greater, else -1.
  int compare(const Object& other) const override;

 protected:
  AbsNumber() = default;
  AbsNumber(const AbsNumber&) = default;
  explicit AbsNumber(OIOin& stream) : Datum(stream) {}
};

}  // namespace dv

#endif  // DV_DATUM_ABSNUMBER_H_
