// DecimalConstraint: the column type of decimal numbers, the parameters
// under which Decimal reads a text (precision, scale, fixing style, exponent
// limit, flags) and an optional display format. It makes Decimals under those
// parameters, formats them in its style, and compares with the other numeric
// constraints by precision and scale. MoneyConstraint (datum/MoneyConstraint.h)
// is the same for Money.
#ifndef DV_DATUM_DECIMALCONSTRAINT_H_
#define DV_DATUM_DECIMALCONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DatumConstraint.h"
#include "datum/Decimal.h"

namespace dv {

class Text;

class DecimalConstraint : public AbsNumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(DecimalConstraint)

 public:
  // XIO tags of the value stream form: the status (when not success), then
  // the fields that differ from the defaults, the end. The format is not
  // part of it.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagPrecision = 2;
  static constexpr uint8_t kTagScale = 3;
  static constexpr uint8_t kTagMaxexp = 4;
  static constexpr uint8_t kTagFixStyle = 5;
  static constexpr uint8_t kTagMiscFlags = 6;
  // The precision of a constraint made by default.
  static constexpr int16_t kDefaultPrecision = 16;
  // What scale() answers for the floating style, which has no fixed scale,
  // and the scale precisionAndScale writes for it.
  static constexpr int16_t kFloatingScale = -1024;
  static constexpr int16_t kFloatingPairedScale = -1;

  // Precision 16, scale 0, floating, maxexp 128, no flags, no format.
  DecimalConstraint();
  // The precision is cut to 38 and maxexp to 128; the format (null: none)
  // is copied.
  DecimalConstraint(int16_t precision, int16_t scale, int32_t fixStyle = Decimal::kFloating,
                    int16_t maxexp = Decimal::kMaxExp, int16_t miscFlags = 0,
                    const char* format = nullptr);
  DecimalConstraint(const DecimalConstraint& other);
  DecimalConstraint& operator=(const DecimalConstraint& other);
  ~DecimalConstraint() override;

  int32_t fixStyle() const { return fixStyle_; }
  int16_t maxexp() const { return maxexp_; }
  int16_t miscFlags() const { return miscFlags_; }
  // The parameters values are made under.
  Decimal::Parameters parameters() const;
  // The display format, or null.
  const Text* format() const { return format_; }

  // Constraint interface.
  // The shared nil value for empty text (null or ""); otherwise a new
  // Decimal from text and fmt under the constraint's parameters. Null when it
  // cannot be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  // A Decimal (a Money among them, without its unit) in the constraint's
  // fixing style and scale, no flags; an external value as the empty text;
  // any other value in its own text form.
  char* format(const Datum& v, char* buf, int size, const char* fmt = nullptr) const override;
  // For a Decimal, its text form's size with room for the scale's zeros.
  int maxTextLength(const Datum& v, const char* fmt) const override;
  using DatumConstraint::maxTextLength;
  int16_t precision() const override;
  // The scale; kFloatingScale in the floating style.
  int16_t scale() const override;
  // (precision, scale), the scale being kFloatingPairedScale in the floating style.
  void precisionAndScale(int16_t* precision, int16_t* scale) const override;

  // Datum interface.
  Datum* newEmpty() const override;  // a default constraint
  int typeCode() const override;     // 7

  // Object interface.
  Object* shallowCopy() const override;
  // A constraint of the same class with the same five parameters and an
  // equal format.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // "Decimal Constraints: precision=16,scale=0,fixStyle=2,maxexp=128,
  // miscFlags=0,format=NULL" (the format's text when there is one).
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 22
  Object* newForStream() const override;  // a new default constraint
  // The value stream form of the tags above.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 protected:
  // Writes the fields of printOn after the title.
  void printFields(std::ostream& out) const;

 private:
  int16_t precision_ = kDefaultPrecision;
  int16_t scale_ = 0;
  int16_t maxexp_ = Decimal::kMaxExp;
  int32_t fixStyle_ = Decimal::kFloating;
  int16_t miscFlags_ = 0;
  Text* format_ = nullptr;  // owned: one reference
};

}  // namespace dv

#endif  // DV_DATUM_DECIMALCONSTRAINT_H_
