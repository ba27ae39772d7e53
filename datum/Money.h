// Money: a Decimal amount with a monetary unit, a short label such as "$"
// written in front of the amount. The amount follows every rule of Decimal
// (encoding, rounding, comparison); the unit is taken from the front of a
// text when the value is parsed and written in front of the number when it is
// formatted. Nothing converts between units: two amounts compare by value
// whatever their units.
//
// Single-threaded: the class's number punctuation cache and the default unit
// are shared by all instances.
#ifndef DV_DATUM_MONEY_H_
#define DV_DATUM_MONEY_H_

#include <cstdint>

#include "datum/Decimal.h"

namespace dv {

class Text;

class Money : public Decimal {
  DV_CLASS_MEMBERS()

 public:
  // The longest unit, and its storage with the NUL.
  static constexpr int kMaxUnitLength = 9;
  static constexpr int kUnitSize = kMaxUnitLength + 1;
  // The format name that leaves the unit out (and writes the plain form).
  static constexpr const char* kAbsolute = "absolute";

  // XIO tags of the value stream form: those of Decimal, then the unit's
  // characters (when not empty), the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagEncoding = 2;
  static constexpr uint8_t kTagUnit = 3;

  // The program-wide default unit, "$" at start-up. A Money made without a
  // unit takes its first 9 characters.
  static Text& defaultUnit();

  // Zero in the default unit.
  Money();
  // The amount as Decimal makes it from the number, in unit (null: the
  // default unit), of which the first 9 characters are kept.
  explicit Money(int32_t amount, const char* unit = nullptr);
  explicit Money(double amount, const char* unit = nullptr);
  // The unit from the front of text, the amount from the rest, under the
  // given parameters (see setText).
  Money(const char* text, const char* fmt, int16_t precision = kMaxPrecision, int16_t scale = 0,
        int32_t fixStyle = kFloating, int16_t maxexp = kMaxExp, int16_t miscFlags = 0);
  Money(const Money& other) = default;
  Money& operator=(const Money& other) = default;

  const char* unit() const { return unit_; }

  // Sets unit and amount from text (null: empty). A precision outside 1 to
  // 38 gives zero with "Incorrectly formatted number.". Otherwise the unit is
  // taken from the front, after white space: at most 9 characters that are
  // not digits, white space, "-", "+", "." or ",". The amount is the rest
  // (the whole text when nothing follows the unit), read as Decimal::setText
  // reads it. The unit stays when the amount fails. Answers the status now held.
  const Status* setText(const char* text, const char* fmt, const Parameters& p) override;

  // Datum interface.
  Datum* newEmpty() const override;  // zero in the default unit
  int kind() const override;         // 3
  int typeCode() const override;     // 8
  // That of the amount plus 10.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  // The unit (left out when fmt is "absolute"), then the amount in the
  // floating style with fmt passed on; cut to bufSize - 1 characters.
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;

  // Object interface.
  Object* shallowCopy() const override;
  int streamTypeNumber() const override;  // 6
  Object* newForStream() const override;  // a new zero in the default unit
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

  // Object streams: the Decimal part, then the unit's length and characters.
  // The readers refuse a unit longer than 9 characters as damaged input.
  explicit Money(OIOin& stream);
  explicit Money(OIOinbin& stream) : Money(textSide(stream)) {}
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override { storer(textSide(stream)); }

 private:
  // Copies the first 9 characters of unit (null: the default unit).
  void setUnit(const char* unit);

  char unit_[kUnitSize] = {};
};

}  // namespace dv

#endif  // DV_DATUM_MONEY_H_
