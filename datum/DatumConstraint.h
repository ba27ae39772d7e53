// DatumConstraint: the base of the column types. A constraint describes a
// type (maximum length, number type, precision, scale, display format) and
// converts any value into that type; constraints are values themselves, so
// they can be stored, streamed and printed. AbsNumConstraint is the base of
// the numeric constraints, compared by precision and scale.
#ifndef DV_DATUM_DATUMCONSTRAINT_H_
#define DV_DATUM_DATUMCONSTRAINT_H_

#include <cstdint>

#include "datum/Datum.h"

namespace dv {

class DatumConstraint : public Datum {
  DV_CLASS_MEMBERS()

 public:
  // The size of the text form of every constraint (its printOn).
  static constexpr int kTextLength = 128;

  // The constraint operations, after the value's, in their fixed order. (The type code of the
  // values a constraint makes is the constraint's own typeCode().)
  // 1 to 100, how close two constraints are; 0 when they cannot be compared.
  virtual int16_t similarity(const DatumConstraint& other) const = 0;
  // A new value of the constrained type made from text (the caller holds
  // one reference); empty text gives the shared nil value.
  virtual Datum* newDatum(const char* text, const char* fmt = nullptr) const = 0;
  // v's text form, except that an external value gives the empty text.
  virtual char* format(const Datum& v, char* buf, int size, const char* fmt = nullptr) const;
  // The buffer size for v's text form.
  virtual int maxTextLength(const Datum& v, const char* fmt) const;
  // Converts v to the constrained type: the text v had (inText), the new
  // value (converted) and its text form (outText); see the definition. Each
  // given out-parameter is first set to null; the caller owns what it gets
  // (one reference each). Answers the new value's status (one reference taken)
  // or an out-of-memory status.
  virtual const Status* check(const Datum& v, Text** inText, Datum** converted, Text** outText,
                              const char* fmt = nullptr) const;
  // The bounds of the constrained type: its maximum length, precision and
  // scale, 0 by default; precisionAndScale writes both (nothing by default).
  virtual uint32_t maxLength() const;
  virtual int16_t precision() const;
  virtual int16_t scale() const;
  virtual void precisionAndScale(int16_t* precision, int16_t* scale) const;

  // Datum interface: the text form is the printOn output, at most 128 characters.
  using Datum::maxTextLength;
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  // Constraints are not ordered among themselves.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;
  // compareKind, then the order of the text forms (equal forms: 0).
  int compare(const Object& other) const override;

 protected:
  DatumConstraint() = default;
  DatumConstraint(const DatumConstraint&) = default;
  explicit DatumConstraint(OIOin& stream) : Datum(stream) {}
};

// The base of the numeric column types, which compare by precision and scale.
class AbsNumConstraint : public DatumConstraint {
  DV_CLASS_MEMBERS()

 public:
  // 0 for a constraint that is not numeric; otherwise, from the two
  // (precision, scale) pairs: d := 2 (|p1 - p2| + |s1 - s2|), t := p1 + s1 +
  // p2 + s2, d at most t, ((t - d) 100) / t as a 16-bit value, 0 made 1.
  int16_t similarity(const DatumConstraint& other) const override;

 protected:
  AbsNumConstraint() = default;
  AbsNumConstraint(const AbsNumConstraint&) = default;
  explicit AbsNumConstraint(OIOin& stream) : DatumConstraint(stream) {}
};

}  // namespace dv

#endif  // DV_DATUM_DATUMCONSTRAINT_H_
