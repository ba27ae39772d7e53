// Number: the binary numeric value, a signed or unsigned 32-bit integer or a
// double in one 8-byte slot, with the conversion rules (ranges, truncation,
// overflow and underflow statuses) that the rest of the library relies on
// when it turns values into machine numbers. It also owns the text syntax of
// numbers: parsing with an automatic or a requested type, in plain or local
// form.
//
// Single-threaded: the class's number punctuation cache is shared by all
// instances.
#ifndef DV_DATUM_NUMBER_H_
#define DV_DATUM_NUMBER_H_

#include <cstdint>
#include <iosfwd>

#include "datum/AbsNumber.h"

namespace dv {

class Number : public AbsNumber {
  DV_CLASS_MEMBERS()

 public:
  // Requested types, short codes: what parsing and NumberConstraint take.
  static constexpr int kAutomatic = 0;  // long when the text is an integer that fits, else double
  static constexpr int kShort = 1;
  static constexpr int kLong = 2;
  static constexpr int kFloat = 3;
  static constexpr int kDouble = 4;
  static constexpr int kUnsignedLong = 12;
  // Requested types, long codes, which the short ones map to (kAutomatic and
  // kLong both to kLongCode). The typed factories take only these.
  static constexpr int kBitCode = 1001;
  static constexpr int kSignedCharCode = 1002;
  static constexpr int kUnsignedCharCode = 1003;
  static constexpr int kShortCode = 1004;
  static constexpr int kUnsignedShortCode = 1005;
  static constexpr int kLongCode = 1006;
  static constexpr int kUnsignedLongCode = 1007;
  static constexpr int kFloatCode = 1008;
  static constexpr int kDoubleCode = 1009;

  // The largest float, as a double: the bound of float conversions.
  static constexpr double kFloatBound = 3.4028234663852886e+38;
  // Buffer sizes of the text forms (maxTextLength).
  static constexpr int kIntegerTextLength = 60;
  static constexpr int kDoubleTextLength = 130;

  // Tags of the stored form: the 16-bit tag before the value.
  static constexpr int16_t kStoredShort = 1;  // read only: a 16-bit integer
  static constexpr int16_t kStoredLong = 2;
  static constexpr int16_t kStoredFloat = 3;  // read only: a double, as kStoredDouble
  static constexpr int16_t kStoredDouble = 4;
  static constexpr int16_t kStoredUnsignedLong = 12;

  // XIO tags of the value stream form: the status (when not success), the
  // value by its type, the end. Tags 2 and 4 are only read.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagShort = 2;
  static constexpr uint8_t kTagLong = 3;  // also an unsigned value below 2^31
  static constexpr uint8_t kTagFloat = 4;
  static constexpr uint8_t kTagDouble = 5;
  static constexpr uint8_t kTagUnsignedLong = 6;  // an unsigned value of 2^31 or more

  // The signed long 0.
  Number() = default;
  explicit Number(int32_t value);
  explicit Number(uint32_t value);
  // *st (when given) is set to success.
  explicit Number(double value, const Status** st = nullptr);
  // The text parsed with the requested code (short or long) and format; a
  // text that does not parse leaves the long 0 with the problem's status.
  Number(const char* text, int code, const char* fmt = nullptr);
  Number(const Number& other) = default;
  Number& operator=(const Number& other) = default;

  // The typed factories: a new Number (owned by the caller) holding value as
  // the type of the long code (1001 to 1009). Outside the code's range the
  // Number holds 0 with the overflow (above) or underflow (below) status; a
  // NaN for an integer code counts as above the range. A code outside 1001 to
  // 1009 gives 0 with "A bad argument was passed to an internal routine.". A
  // fraction stored as an integer is cut toward zero with "Floating-point
  // value was truncated to integer.". Null when it cannot be allocated.
  static Number* make(int32_t value, int code);
  static Number* make(uint32_t value, int code);
  static Number* make(float value, int code);
  static Number* make(double value, int code);

  // Parses text (null: empty) with the requested code and format into this
  // value: fmt null or "local" reads the locale's number punctuation. The
  // integer parse (every long code below 1008, and the automatic code) takes
  // an optional sign, digits and trailing white space; the automatic code
  // falls back to the floating parse (strtod) when that fails, as codes 1008
  // and 1009 use it directly. An empty text is 0. On success the value and
  // the success status (code 1008 beyond the float range: the bound and the
  // overflow or underflow status); on failure the value stays as it was and
  // the problem is stored. Answers the status now held.
  const Status* parse(const char* text, int code, const char* fmt = nullptr);

  // The stored type: kTypeLong, kTypeUnsignedLong or kTypeDouble.
  int type() const { return type_; }
  int32_t longValue() const { return value_.l; }
  uint32_t unsignedValue() const { return value_.u; }
  double doubleValue() const { return value_.d; }

  // Datum interface.
  Datum* newEmpty() const override;  // the long 0
  int kind() const override;         // 1
  int typeCode() const override;     // the stored type
  // From an integer, the target's nearest bound with the underflow or
  // overflow status when the value lies outside its range; from a double
  // likewise, and a value inside the range is cut toward zero, with
  // "Floating-point value was truncated to integer." when that changed it.
  // A NaN gives 0 with the overflow status.
  signed char asChar(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int16_t asShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int32_t asLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  unsigned char asUnsignedChar(const Status** st = nullptr,
                               const char* fmt = nullptr) const override;
  uint16_t asUnsignedShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  uint32_t asUnsignedLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // Beyond the float range: the bound, with overflow above and underflow below.
  float asFloat(const Status** st = nullptr, const char* fmt = nullptr) const override;
  // 60 for an integer, 130 for a double.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  // "%d", "%u" or "%.15g" (infinities and NaN as "+INF", "-INF", "+NAN",
  // "-NAN", which parse back; "%.17g" for the doubles next to the largest,
  // whose 15 digits would round past the range), in the locale's punctuation
  // when fmt is null or "local"; cut to bufSize - 1 characters.
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  // The smallest size of 1, 2, 4 (or, for a double, 4 as a float and 8)
  // bytes that holds the value exactly, and not below n.
  int binarySize(int n = 0) override;
  // The value in binarySize(size) bytes, little-endian (a 4-byte double as a
  // float): the bytes from offset on are copied to buf, at most size of them,
  // and buf is zero-filled from the value's size up to size. Answers the
  // bytes copied.
  int asBinary(void* buf, int size, int offset) override;
  void* data() override;  // the value slot
  // Status success; the text parsed with the automatic type and fmt.
  // Answers null, or the status when its severity is not 0.
  const Status* set(const char* s, int len, const char* fmt = nullptr) override;
  const Status* set(double v, const char* fmt = nullptr) override;
  const Status* set(float v, const char* fmt = nullptr) override;
  const Status* set(uint32_t v, const char* fmt = nullptr) override;
  const Status* set(int32_t v, const char* fmt = nullptr) override;
  const Status* set(uint16_t v, const char* fmt = nullptr) override;
  const Status* set(int16_t v, const char* fmt = nullptr) override;
  const Status* set(unsigned char v, const char* fmt = nullptr) override;
  const Status* set(char v, const char* fmt = nullptr) override;
  // Against another Number: the order of the two values (see compare);
  // against other values the order of AbsNumber.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  // Object interface.
  Object* shallowCopy() const override;
  // compareKind, then between two Numbers the exact order of their values,
  // whatever their types; a NaN sorts after every other value and equals
  // another NaN. Against other numbers the AbsNumber comparison.
  int compare(const Object& other) const override;
  // The integer value; a double that holds an integer of either 32-bit type
  // hashes as that integer (so that equal Numbers hash alike), any other the
  // exclusive-or of its two 32-bit halves.
  uint32_t hash() const override;
  // The value with the stream's formatting of its type.
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 4
  Object* newForStream() const override;  // a new long 0
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

  // Object streams: the AbsNumber part, then a 16-bit tag and the value.
  // The readers refuse an unknown tag as damaged input.
  explicit Number(OIOin& stream);
  explicit Number(OIOinbin& stream) : Number(textSide(stream)) {}
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override;

 private:
  // Stores a value and the success status.
  const Status* store(int32_t v);
  const Status* storeUnsigned(uint32_t v);
  const Status* storeDouble(double v);
  // The storer of either stream form; report opens the fatal report of a
  // type that cannot be stored.
  void storeValue(OIOout& stream, const char* report) const;
  // The value as an integer of the range [lo, hi] (see asLong).
  int64_t integerIn(int64_t lo, int64_t hi, const Status** st) const;
  // The factories' work, from an integer or a floating value.
  static Number* makeInteger(int64_t value, int code);
  static Number* makeFloating(double value, int code);

  int16_t type_ = kTypeLong;
  union {
    int32_t l;
    uint32_t u;
    double d = 0;
  } value_;
};

}  // namespace dv

#endif  // DV_DATUM_NUMBER_H_
