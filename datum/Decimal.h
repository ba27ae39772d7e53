// Decimal: the exact decimal number, up to 38 significant digits with a
// decimal exponent, kept in a sign-and-exponent encoding in base 100 whose
// bytes compare in the same order as the numbers. Values are made from text
// under a precision, a scale, a fixing style, an exponent limit and flags,
// which is how DecimalConstraint imposes a column type's rules. Conversions to
// the machine types go through the text form and Text.
//
// The encoding (unsigned bytes, at most 22, always followed by a 0 byte):
//   zero                 80
//   positive infinity    FF 65
//   negative infinity    00
//   v = 0.m1 m2 ... mk x 100^E, base-100 digits mi (m1 and mk not 0):
//     positive           C0+E, then mi+1 for each digit
//     negative           ~(C0+E), then 101-mi for each digit, then 66 (102)
//
// Single-threaded: the class's number punctuation cache is shared by all
// instances.
#ifndef DV_DATUM_DECIMAL_H_
#define DV_DATUM_DECIMAL_H_

#include <cstdint>
#include <iosfwd>

#include "datum/AbsNumber.h"

namespace dv {

class Number;
struct NumberPunctuation;

class Decimal : public AbsNumber {
  DV_CLASS_MEMBERS()

 public:
  // The most significant digits, and the widest exponent limit: the decimal
  // exponent p of 0.digits x 10^p then lies in -128 .. 126.
  static constexpr int16_t kMaxPrecision = 38;
  static constexpr int16_t kMaxExp = 128;
  // Encoding bytes, and the storage that holds them with the 0 after them.
  static constexpr int kMaxLength = 22;
  static constexpr int kStorageSize = 23;

  // Fixing styles: fixed with at most precision - scale integer digits;
  // fixed without that limit; floating, precision significant digits.
  static constexpr int32_t kFixedLimited = 0;
  static constexpr int32_t kFixed = 1;
  static constexpr int32_t kFloating = 2;
  // miscFlags: the text "Infinity" is accepted, and values too large are
  // rounded to infinity.
  static constexpr int16_t kAllowInfinity = 1;
  // Formatting flags: drop trailing zeros after the point, then a trailing point.
  static constexpr int kTrimZeros = 8;
  static constexpr int kTrimPoint = 16;

  // The packed-decimal export takes at most 31 digits, so 16 bytes.
  static constexpr int kPackedMaxDigits = 31;
  static constexpr int kPackedSize = kPackedMaxDigits / 2 + 1;

  // XIO tags of the value stream form: the status (when not success), the
  // encoding bytes, the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagEncoding = 2;

  // How a text becomes a value. The defaults are those of values made
  // without a constraint.
  struct Parameters {
    int16_t precision = kMaxPrecision;  // 1 to 38 significant digits
    int16_t scale = 0;                  // digits after the point in the fixed styles
    int32_t fixStyle = kFloating;
    int16_t maxexp = kMaxExp;  // exponent range -maxexp .. maxexp - 2, at most 128
    int16_t miscFlags = 0;
  };

  // Zero.
  Decimal();
  // The number's text form ("%d", "%u", "%.15g"; a Number by its type) set
  // with the default parameters.
  explicit Decimal(int32_t value);
  explicit Decimal(uint32_t value);
  explicit Decimal(double value);
  explicit Decimal(const Number& value);
  // The text set under the given parameters (see setText).
  Decimal(const char* text, const char* fmt, int16_t precision = kMaxPrecision, int16_t scale = 0,
          int32_t fixStyle = kFloating, int16_t maxexp = kMaxExp, int16_t miscFlags = 0);
  Decimal(const Decimal& other) = default;
  Decimal& operator=(const Decimal& other) = default;

  // Sets the value from text (null: empty) under p. A precision outside 1 to
  // 38 gives zero with "Incorrectly formatted number.". fmt null or "local"
  // reads the text in the locale's number punctuation first; when that does
  // not convert, "local" fails with "Incorrectly formatted number." and a
  // null fmt parses the text as it is. Answers the status now held (see
  // setPlain).
  virtual const Status* setText(const char* text, const char* fmt, const Parameters& p);

  // The encoding.
  int16_t length() const { return length_; }
  const unsigned char* bytes() const { return bytes_; }
  bool isZero() const { return length_ == 1 && bytes_[0] == kZeroByte; }
  bool isInfinite() const;
  bool isNegative() const { return (bytes_[0] & 0x80) == 0; }
  // 2 (E) for a finite value other than zero, 1 for zero and negative
  // infinity, 126 for positive infinity.
  int decimalExponent() const;
  // Whether bytes[0, length) is an encoding this class makes: the right
  // length, digit bytes in range, no leading or trailing zero digit, at most
  // 38 significant digits, the terminator of a negative value.
  static bool isValidEncoding(const unsigned char* bytes, int length);

  // Writes the text form into buf, cut to bufSize - 1 characters: "+Infinity"
  // and "-Infinity"; otherwise the digits in the fixing style with scale,
  // scientific ("1.5e20") in the styles other than kFixedLimited when the
  // exponent is above 12 or the value below 1e-12; in the fixed styles zeros
  // are appended up to scale digits after the point. flags: kTrimZeros,
  // kTrimPoint. fmt null or "local" writes the locale's decimal point. *st
  // (when given) gets success, or the out-of-memory status when a long form
  // has no work buffer (buf is then empty). Answers buf.
  char* format(char* buf, int bufSize, const char* fmt, int32_t fixStyle, int scale, int flags,
               const Status** st = nullptr) const;

  // The value as packed binary-coded decimal for hosts that use that form:
  // its digits (fixed style, scale 0, no sign or point; a single leading "0"
  // is dropped, zero is the one digit 0) two to a byte, high half first, the
  // last byte holding the last digit and the sign (C positive, D negative),
  // a leading half-byte 0 when the digit count is even: digits / 2 + 1 bytes.
  // *digits and *fractionDigits (when given) get the digit count and the
  // digits after the point. Answers null, or "Incorrectly formatted number."
  // for infinity, more than 31 digits, or an out buffer (outSize bytes) too
  // small for the result.
  const Status* asPackedDecimal(unsigned char* out, int outSize, int* digits,
                                int* fractionDigits) const;

  // Datum interface.
  Datum* newEmpty() const override;  // zero
  int kind() const override;         // 2
  int typeCode() const override;     // 7
  // The text form (floating style) made into a Text and converted by it with
  // the same fmt; when the Text cannot be made, its status and 0.
  signed char asChar(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int16_t asShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int32_t asLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  unsigned char asUnsignedChar(const Status** st = nullptr,
                               const char* fmt = nullptr) const override;
  uint16_t asUnsignedShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  uint32_t asUnsignedLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // asDouble; 0 with its status when it reports a problem; beyond the float
  // range the bound of its sign with the overflow status.
  float asFloat(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // |decimalExponent()| + 11 + 2 length.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  // The length, or n when n is above 0 and smaller.
  int binarySize(int n = 0) override;
  // The floating style with scale 0 and no flags.
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  // min(size, length - offset) encoding bytes from offset.
  int asBinary(void* buf, int size, int offset) override;
  void* data() override;  // the encoding
  // The text (fmt as for setText) or the number's text form ("%d", "%u",
  // "%.7g", "%.15g") set with the default parameters. Answers null, or the
  // status when its severity is not 0.
  const Status* set(const char* s, int len, const char* fmt = nullptr) override;
  const Status* set(double v, const char* fmt = nullptr) override;
  const Status* set(float v, const char* fmt = nullptr) override;
  const Status* set(uint32_t v, const char* fmt = nullptr) override;
  const Status* set(int32_t v, const char* fmt = nullptr) override;
  const Status* set(uint16_t v, const char* fmt = nullptr) override;
  const Status* set(int16_t v, const char* fmt = nullptr) override;
  const Status* set(unsigned char v, const char* fmt = nullptr) override;
  const Status* set(char v, const char* fmt = nullptr) override;
  // Against another Decimal (a Money among them) the order of the encodings;
  // against other values the order of AbsNumber.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  // Object interface.
  Object* shallowCopy() const override;
  // compareKind, then between two values of the class the order of the
  // encodings byte for byte; against other numbers the AbsNumber comparison.
  int compare(const Object& other) const override;
  uint32_t hash() const override;  // of the encoding
  // The text form, then " [double=", the double in scientific notation with
  // 16 digits after the point, "]".
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 5
  Object* newForStream() const override;  // a new zero
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

  // Object streams: the AbsNumber part, (length << 8) | bytes[0] as a 32-bit
  // integer, then the other encoding bytes as a text. The readers refuse a
  // length outside 1 to 22 and any invalid encoding as damaged input.
  explicit Decimal(OIOin& stream);
  explicit Decimal(OIOinbin& stream) : Decimal(textSide(stream)) {}
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override { storer(textSide(stream)); }

 protected:
  static constexpr unsigned char kZeroByte = 0x80;

  // The parse: the value is made zero, then set from a plain-form text under
  // p; an error leaves it zero (infinity where the rounding rules say so)
  // and is stored, as is the warning of a value rounded off. Answers the
  // status now held.
  const Status* setPlain(const char* text, const Parameters& p);
  // Makes the value zero with the given status.
  const Status* fail(const Status* status);
  // Takes an encoding that came from outside (defined with the value
  // stream); false, with nothing changed, when it is no valid encoding.
  bool takeEncoding(const unsigned char* bytes, int length);
  // The number part of setText, after the precision check: text read in
  // local form with the punctuation of cache when fmt is null or "local"
  // (the infinity texts are read as they are), then setPlain.
  const Status* setLocal(const char* text, const char* fmt, const Parameters& p,
                         NumberPunctuation* cache);

 private:
  int16_t length_ = 1;
  unsigned char bytes_[kStorageSize] = {kZeroByte};
};

}  // namespace dv

#endif  // DV_DATUM_DECIMAL_H_
