// TextConstraint: the column type of text values, a maximum length. It makes
// Text values cut to that length and compares with other text constraints by
// how far apart the two lengths are.
#ifndef DV_DATUM_TEXTCONSTRAINT_H_
#define DV_DATUM_TEXTCONSTRAINT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/DatumConstraint.h"

namespace dv {

class Text;

class TextConstraint : public DatumConstraint {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(TextConstraint)

 public:
  // XIO tags of the value stream form: the status (when not success), the
  // maximum length (when not 0), the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagMaxLength = 2;

  // A maximum length of 0 sets no bound of its own: the values are only held
  // to the longest Text.
  TextConstraint() = default;
  explicit TextConstraint(uint32_t maxLength) : maxLength_(maxLength) {}
  TextConstraint(const TextConstraint&) = default;
  TextConstraint& operator=(const TextConstraint&) = default;

  // Appends text (null: nothing) to target but never past maxLength
  // characters in all; "Text truncated." in target's status when it had to cut.
  Text& appendTo(Text& target, const char* text) const;

  // Constraint interface.
  // 0 for a constraint of another class; else, with a and b the two maximum
  // lengths and t = a + b (1 when 0): ((t - 2 |a - b|) 100) / t as a 16-bit
  // value, 0 made 1. Equal lengths give 100, far apart ones negative values.
  int16_t similarity(const DatumConstraint& other) const override;
  // The shared nil value for empty text (null or ""); otherwise a new Text
  // of the first min(length, maxLength) characters, with "Text truncated."
  // when some were dropped. Null when it cannot be allocated.
  Datum* newDatum(const char* text, const char* fmt = nullptr) const override;
  uint32_t maxLength() const override;

  // Datum interface.
  Datum* newEmpty() const override;  // maximum length 0
  int typeCode() const override;     // 9

  // Object interface.
  Object* shallowCopy() const override;
  // Another TextConstraint with the same maximum length.
  bool isEqual(const Object& other) const override;
  uint32_t hash() const override;  // the maximum length
  // "Text Constraints: maxLength=N".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 20
  Object* newForStream() const override;  // a new default constraint
  // The value stream form of the tags above.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  uint32_t maxLength_ = 0;
};

}  // namespace dv

#endif  // DV_DATUM_TEXTCONSTRAINT_H_
