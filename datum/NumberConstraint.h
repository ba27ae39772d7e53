// NumberConstraint: the column type of binary numbers, a requested type in
// the short code space of Number and an optional display format. It makes
// Numbers of that type from text and compares with the other numeric
// constraints by precision and scale.
#ifndef DV_DATUM_NUMBERCONSTRAINT_H_
#define DV_DATUM_NUMBERCONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DatumConstraint.h"

namespace dv {

class Text;

class NumberConstraint : public AbsNumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(NumberConstraint)

 public:
  // XIO tags of the value stream form: the status (when not success), the
  // type code (when not 0), the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagTypeCode = 2;
  // The type code of a constraint made by default: no type of its own.
  static constexpr int16_t kNoTypeCode = -1;

  NumberConstraint() = default;
  // A requested type in the short code space, and a display format (null:
  // none), which the constraint copies.
  explicit NumberConstraint(int16_t typeCode, const char* format = nullptr);
  NumberConstraint(const NumberConstraint& other);
  NumberConstraint& operator=(const NumberConstraint& other);
  ~NumberConstraint() override;

  // The display format, or null.
  const Text* format() const { return format_; }
  using DatumConstraint::format;

  // Constraint interface.
  // The shared nil value for empty text (null or ""); otherwise a new Number
  // parsed with the constraint's type code and fmt. Null when it cannot be
  // allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  // 5, 10, 6 and 15 for the codes 1 to 4; 0 otherwise.
  int16_t precision() const override;
  // 0 for the codes 1 and 2, -1024 for 3 and 4; 0 otherwise.
  int16_t scale() const override;
  // (5, 0), (10, 0), (6, -1) and (15, -1) for the codes 1 to 4; (0, 0) otherwise.
  void precisionAndScale(int16_t* precision, int16_t* scale) const override;

  // Datum interface.
  Datum* newEmpty() const override;  // a default constraint
  int typeCode() const override;     // the constraint's type code

  // Object interface.
  Object* shallowCopy() const override;
  // Another NumberConstraint with the same type code and an equal format.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // "Number Constraints: typeCode=N,format=" and the format or "NULL".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 21
  Object* newForStream() const override;  // a new default constraint
  // The value stream form of the tags above.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  int16_t typeCode_ = kNoTypeCode;
  Text* format_ = nullptr;  // owned: one reference
};

}  // namespace dv

#endif  // DV_DATUM_NUMBERCONSTRAINT_H_
