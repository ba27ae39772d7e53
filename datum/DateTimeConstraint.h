// DateTimeConstraint: the column type of date/time values: a qualifier, the
// option bits its values are read and written with, and an optional display
// format. It makes DateTime values from text and writes them with its options.
#ifndef DV_DATUM_DATETIMECONSTRAINT_H_
#define DV_DATUM_DATETIMECONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DateTimeText.h"
#include "datum/DatumConstraint.h"

namespace dv {

class DateTimeConstraint : public DatumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(DateTimeConstraint)

 public:
  // The number the prototype is registered under.
  static constexpr int kStreamTypeNumber = 24;
  // Tags of the value stream form: the status (when not success), then the
  // fields that differ from a default constraint, the end. The format is not
  // part of it, as with the other constraints.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagPrecFrom = 2;   // 16-bit, when not -1
  static constexpr uint8_t kTagPrecTo = 3;     // 16-bit, when not -1
  static constexpr uint8_t kTagMiscFlags = 4;  // 16-bit, when not 1

  // Qualifier -1 to -1 (none yet), options kAdOnly, no format.
  DateTimeConstraint() = default;
  DateTimeConstraint(int32_t precFrom, int32_t precTo, uint16_t miscFlags)
      : precFrom_(precFrom), precTo_(precTo), miscFlags_(miscFlags) {}
  DateTimeConstraint(const DateTimeConstraint&) = default;
  DateTimeConstraint& operator=(const DateTimeConstraint&) = default;

  int32_t precFrom() const { return precFrom_; }
  int32_t precTo() const { return precTo_; }
  uint16_t miscFlags() const { return miscFlags_; }
  // The display format (null: none), and its replacement by a copy of text
  // (null: none); false when memory runs out.
  const String* formatString() const { return format_.get(); }
  bool setFormatString(const char* text) { return format_.set(text); }

  // Constraint interface.
  // 0 for another class of constraint; otherwise, with d = 2 (|precFrom -
  // other precFrom| + |precTo - other precTo|) and s the two unit spans plus
  // 2, d capped at s: (s - d) 100 / s, 0 made 1.
  int16_t similarity(const DatumConstraint& other) const override;
  // The shared nil value for empty text; otherwise a new DateTime read in
  // style fmt with the qualifier and the options. A value that starts at the
  // year with a year before 1 AD gets "The year in this date must be AD."
  // under kAdOnly. Null when it cannot be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  // The empty text for a NULL value; a DateTime written with the options;
  // any other value as it writes itself.
  char* format(const Datum& v, char* buf, int size, const char* fmt = nullptr) const override;
  int typeCode() const override;  // 5, that of the values

  // Datum interface.
  // A default DateTime with the qualifier (the bad-format status when the
  // qualifier is not a valid one).
  Datum* newEmpty() const override;

  // Object interface.
  Object* shallowCopy() const override;
  // The qualifier, the options and the formats equal.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;
  // "DateTime Constraints: precFrom=1,precTo=6,miscFlags=1,format=NULL".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 24
  Object* newForStream() const override;  // a new default constraint
  // The value stream form of the tags above.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  int32_t precFrom_ = -1;
  int32_t precTo_ = -1;
  uint16_t miscFlags_ = 1;
  ConstraintFormat format_;
};

}  // namespace dv

#endif  // DV_DATUM_DATETIMECONSTRAINT_H_
