// IntervalConstraint: the column type of interval values: the total digits
// and the qualifier its values are read with, option bits and an optional
// display format.
#ifndef DV_DATUM_INTERVALCONSTRAINT_H_
#define DV_DATUM_INTERVALCONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DateTimeText.h"
#include "datum/DatumConstraint.h"

namespace dv {

class IntervalConstraint : public DatumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(IntervalConstraint)

 public:
  // The number the prototype is registered under.
  static constexpr int kStreamTypeNumber = 25;
  // Tags of the value stream form: the status (when not success), then the
  // fields that differ from a default constraint, the end. The format is not
  // part of it, as with the other constraints.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagPrecFrom = 2;   // 16-bit, when not -1
  static constexpr uint8_t kTagPrecTo = 3;     // 16-bit, when not -1
  static constexpr uint8_t kTagPrecTot = 4;    // 16-bit, when not -1
  static constexpr uint8_t kTagMiscFlags = 5;  // 16-bit, when not 0

  // precTot and the qualifier -1 (none yet), no options, no format.
  IntervalConstraint() = default;
  IntervalConstraint(int16_t precTot, int32_t precFrom, int32_t precTo, int16_t miscFlags)
      : precTot_(precTot), precFrom_(precFrom), precTo_(precTo), miscFlags_(miscFlags) {}
  IntervalConstraint(const IntervalConstraint&) = default;
  IntervalConstraint& operator=(const IntervalConstraint&) = default;

  int16_t precTot() const { return precTot_; }
  int32_t precFrom() const { return precFrom_; }
  int32_t precTo() const { return precTo_; }
  int16_t miscFlags() const { return miscFlags_; }
  // The display format (null: none), and its replacement by a copy of text
  // (null: none); false when memory runs out.
  const String* formatString() const { return format_.get(); }
  bool setFormatString(const char* text) { return format_.set(text); }

  // Constraint interface.
  // 0 for another class of constraint; otherwise, with d = 2 (|precFrom -
  // other precFrom| + |precTo - other precTo| + |precTot - other precTot|)
  // and s the two precTots plus the two unit spans plus 2, d capped at s:
  // (s - d) 100 / s, 0 made 1.
  int16_t similarity(const DatumConstraint& other) const override;
  // The shared nil value for empty text; otherwise a new Interval read in
  // style fmt with precTot and the qualifier. Null when it cannot be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  int typeCode() const override;  // 6, that of the values

  // Datum interface.
  // A zero Interval with precTot and the qualifier (the bad-format status
  // when they are not valid ones).
  Datum* newEmpty() const override;

  // Object interface.
  Object* shallowCopy() const override;
  // The four numbers and the formats equal.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // "Interval Constraints: precTot=13,precFrom=3,precTo=6,miscFlags=0,format=NULL".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 25
  Object* newForStream() const override;  // a new default constraint
  // The value stream form of the tags above.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  int16_t precTot_ = -1;
  int32_t precFrom_ = -1;
  int32_t precTo_ = -1;
  int16_t miscFlags_ = 0;
  ConstraintFormat format_;
};

}  // namespace dv

#endif  // DV_DATUM_INTERVALCONSTRAINT_H_
