// The exact decimal number: the parse of a text under precision, scale,
// fixing style and exponent limit into the base-100 encoding, its formatting,
// the conversions through Text, the packed-decimal export and the stored form.
#include "datum/Decimal.h"

#include <cstdio>
#include <cstring>
#include <iomanip>
#include <new>
#include <ostream>
#include <sstream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/LocalNumberForm.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "datum/internal/WorkBuffer.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// The class's copy of the locale's number punctuation.
NumberPunctuation punctuation;

// Encoding bytes beside the exponent byte.
constexpr unsigned char kExponentBias = 0xC0;
constexpr unsigned char kNegativeTerminator = 102;
constexpr unsigned char kPositiveInfinity[2] = {0xFF, 0x65};
constexpr unsigned char kNegativeInfinity = 0x00;

// Decimal digits a parse keeps before rounding: 38 and the one that decides
// the rounding, with room to spare.
constexpr int kKeptDigits = Decimal::kMaxPrecision + 2;
// The text forms the conversions go through: the floating style holds at
// most 46 characters with its NUL, and the locale's point may be longer than ".".
constexpr int kConversionText = 64;
// The text form printOn writes.
constexpr int kPrintText = 147;
// Exponents of the floating style's scientific form.
constexpr int kLargestPlainExponent = 12;
constexpr int kSmallestPlainExponent = -12;

bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool onlyBlanks(const char* p) {
  while (isBlank(*p)) ++p;
  return *p == '\0';
}

// "infinity" in any case, followed only by white space.
bool isInfinityWord(const char* p) {
  static const char kWord[] = "infinity";
  for (int i = 0; i < 8; ++i) {
    char c = p[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kWord[i]) return false;
  }
  return onlyBlanks(p + 8);
}

// White space, an optional sign, then the infinity word: the text that
// formatting writes for the infinities, which is read as it is, never in
// local form.
bool isInfinityText(const char* p) {
  while (isBlank(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  return isInfinityWord(p);
}

void copyCut(const char* text, char* buf, int bufSize) {
  std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(bufSize - 1)) n = static_cast<std::size_t>(bufSize - 1);
  std::memcpy(buf, text, n);
  buf[n] = '\0';
}

// An encoding under construction.
struct Encoding {
  int16_t length = 1;
  unsigned char bytes[Decimal::kStorageSize] = {0x80};

  void setInfinity(bool negative) {
    std::memset(bytes, 0, sizeof bytes);
    if (negative) {
      length = 1;
      bytes[0] = kNegativeInfinity;
    } else {
      length = 2;
      bytes[0] = kPositiveInfinity[0];
      bytes[1] = kPositiveInfinity[1];
    }
  }

  // digits[0, n) (values 0 to 9, the first not 0) times 10^p, p even.
  void setFinite(bool negative, const unsigned char* digits, int n, int64_t p) {
    std::memset(bytes, 0, sizeof bytes);
    int pairs = (n + 1) / 2;
    unsigned char head = static_cast<unsigned char>(kExponentBias + p / 2);
    bytes[0] = negative ? static_cast<unsigned char>(~head) : head;
    for (int i = 0; i < pairs; ++i) {
      int hi = digits[2 * i];
      int lo = 2 * i + 1 < n ? digits[2 * i + 1] : 0;
      int m = hi * 10 + lo;
      bytes[1 + i] = static_cast<unsigned char>(negative ? 101 - m : m + 1);
    }
    length = static_cast<int16_t>(pairs + 1);
    if (negative) bytes[length++] = kNegativeTerminator;
  }
};

// The significant digits of a parsed text: the value is 0.digits x 10^p.
struct Digits {
  unsigned char d[kKeptDigits + 1];  // the first kKeptDigits of them, values 0 to 9
  int64_t count = 0;                 // all of them, trailing zeros dropped
  int64_t p = 0;
};

// Collects the significant digits of the runs a[0, na) and b[0, nb) (the
// integer and fraction digits), which start with a digit that is not 0.
void collect(const char* a, int64_t na, const char* b, int64_t nb, Digits* out) {
  int64_t i = 0;
  int64_t lastNonZero = 0;
  auto take = [&](char c) {
    int v = c - '0';
    if (i < kKeptDigits) out->d[i] = static_cast<unsigned char>(v);
    ++i;
    if (v != 0) lastNonZero = i;
  };
  for (int64_t k = 0; k < na; ++k) take(a[k]);
  for (int64_t k = 0; k < nb; ++k) take(b[k]);
  out->count = lastNonZero;
}

// The parse of a plain-form text into *enc under p. Answers the success
// status, the rounded-off or rounded-to-infinity warning, or the error (enc
// is then zero, or infinity for the warning).
const Status* parsePlain(const char* s, const Decimal::Parameters& p, Encoding* enc) {
  const int64_t precision = p.precision;
  const int64_t scale = p.scale;
  const int64_t maxexp = p.maxexp < Decimal::kMaxExp ? p.maxexp : Decimal::kMaxExp;
  const bool allowInfinity = (p.miscFlags & Decimal::kAllowInfinity) != 0;
  if (precision < 1 || precision > Decimal::kMaxPrecision) return badNumberStatus();

  while (isBlank(*s)) ++s;
  bool negative = false;
  if (*s == '+') {
    ++s;
  } else if (*s == '-') {
    negative = true;
    ++s;
  }
  if (*s != '\0' && !isDigit(*s) && *s != '.') {
    if (allowInfinity && isInfinityWord(s)) {
      enc->setInfinity(negative);
      return successStatus();
    }
    return badNumberStatus();
  }

  // Integer digits after the leading zeros, then the fraction digits.
  bool seen = false;
  while (*s == '0') {
    ++s;
    seen = true;
  }
  const char* integer = s;
  while (isDigit(*s)) ++s;
  int64_t integerCount = s - integer;
  const char* fraction = s;
  int64_t fractionCount = 0;
  bool point = false;
  if (*s == '.') {
    point = true;
    fraction = ++s;
    while (isDigit(*s)) ++s;
    fractionCount = s - fraction;
  }
  seen = seen || integerCount > 0 || fractionCount > 0;

  // The exponent: its significant digits, of which only 3 can be used.
  int64_t exponent = 0;
  int exponentDigits = 0;
  bool negativeExponent = false;
  if (*s == 'e' || *s == 'E') {
    if (!seen) return badNumberStatus();
    ++s;
    if (*s == '+') {
      ++s;
    } else if (*s == '-') {
      negativeExponent = true;
      ++s;
    }
    if (!isDigit(*s)) return badNumberStatus();
    while (*s == '0') ++s;
    for (; isDigit(*s); ++s) {
      if (exponentDigits < 4) exponent = exponent * 10 + (*s - '0');
      ++exponentDigits;
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (!onlyBlanks(s) || (point && !seen)) return badNumberStatus();

  // The significant digits and p, the exponent of 0.digits x 10^p.
  Digits digits;
  if (integerCount > 0) {
    collect(integer, integerCount, fraction, fractionCount, &digits);
    digits.p = integerCount;
  } else {
    int64_t zeros = 0;
    while (zeros < fractionCount && fraction[zeros] == '0') ++zeros;
    collect(fraction + zeros, fractionCount - zeros, nullptr, 0, &digits);
    digits.p = -zeros;
  }
  // Zero is zero whatever its exponent.
  if (digits.count == 0) return successStatus();
  if (exponentDigits >= 4) {
    if (negativeExponent) return underflowStatus();
    if (!allowInfinity) return overflowStatus();
    enc->setInfinity(negative);
    return roundedToInfinityStatus();
  }
  int64_t e = digits.p + exponent;

  if (p.fixStyle == Decimal::kFixedLimited && e > precision - scale) return overflowStatus();
  int64_t keep = p.fixStyle == Decimal::kFloating ? precision : e + scale;
  // The storage holds 38 digits, whatever the scale asks for.
  if (keep > Decimal::kMaxPrecision) keep = Decimal::kMaxPrecision;
  if (keep < 0) return underflowStatus();

  // Rounding half away from zero: it works on the magnitude.
  const Status* result = successStatus();
  int n = static_cast<int>(digits.count < keep ? digits.count : keep);
  if (digits.count > keep) {
    result = roundedOffStatus();
    if (digits.d[n] >= 5) {
      int i = n - 1;
      while (i >= 0 && digits.d[i] == 9) digits.d[i--] = 0;
      if (i >= 0) {
        ++digits.d[i];
      } else {
        // A carry out of the first kept digit: 10^e.
        digits.d[0] = 1;
        n = 1;
        ++e;
      }
    }
    while (n > 0 && digits.d[n - 1] == 0) --n;
    if (n == 0) return result;
    // The carry may have made one integer digit too many.
    if (p.fixStyle == Decimal::kFixedLimited && e > precision - scale) return overflowStatus();
  }

  // Pairs of digits: an odd exponent takes a leading 0 digit.
  unsigned char paired[kKeptDigits + 2];
  int m = 0;
  if (e % 2 != 0) {
    paired[m++] = 0;
    ++e;
  }
  std::memcpy(paired + m, digits.d, static_cast<std::size_t>(n));
  m += n;
  if (e < -maxexp || e > maxexp - 2) {
    if (e < -maxexp) return underflowStatus();
    if (!allowInfinity) return overflowStatus();
    enc->setInfinity(negative);
    return roundedToInfinityStatus();
  }
  enc->setFinite(negative, paired, m, e);
  return result;
}

// The decimal digits of a finite encoding, as characters, trailing zeros
// dropped and a leading 0 digit taken into the exponent: the value is
// 0.digits x 10^e. Zero is the one digit "0" with e = 1. Answers the count.
int expand(const unsigned char* bytes, int length, char* out, int* e) {
  if (length == 1) {
    out[0] = '0';
    *e = 1;
    return 1;
  }
  bool negative = (bytes[0] & 0x80) == 0;
  unsigned char head = negative ? static_cast<unsigned char>(~bytes[0]) : bytes[0];
  *e = 2 * (static_cast<int>(head & 0x7F) - 64);
  int d = 0;
  for (int i = 1; i < length; ++i) {
    if (negative && bytes[i] == kNegativeTerminator) break;
    int m = negative ? 101 - bytes[i] : bytes[i] - 1;
    out[d++] = static_cast<char>('0' + m / 10);
    out[d++] = static_cast<char>('0' + m % 10);
  }
  while (d > 1 && out[d - 1] == '0') --d;
  if (d > 1 && out[0] == '0') {
    std::memmove(out, out + 1, static_cast<std::size_t>(d - 1));
    --d;
    --*e;
  }
  return d;
}

// One of the conversions of the text form through a Text.
template <typename T, typename Convert>
T viaText(const Decimal& value, const Status** st, const char* fmt, Convert convert) {
  char text[kConversionText];
  value.format(text, sizeof text, fmt, Decimal::kFloating, 0, 0);
  Text t(text);
  if (t.status() != successStatus()) {
    if (st != nullptr) *st = t.status();
    return T{0};
  }
  return convert(t, st, fmt);
}

std::string hexOf(const unsigned char* bytes, int n) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += kHex[bytes[i] >> 4];
    s += kHex[bytes[i] & 0xF];
  }
  return s;
}

Datum* decimalFromString(const char* text) {
  return new (std::nothrow) Decimal(text, nullptr);
}

void registerDecimalPrototype(const Class&) {
  static Decimal prototype;
  registerPrototype(&prototype, kStreamDecimal);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Decimal, AbsNumber)

const Class& Decimal::desc() {
  static const Class* const bases[] = {&AbsNumber::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Decimal", bases, none, none, 1, Class::kIdent, sizeof(Decimal),
                            &readObjectText<Decimal>, &readObjectBinary<Decimal>,
                            &registerDecimalPrototype, nullptr, &decimalFromString);
  return d;
}

// Construction

Decimal::Decimal() = default;

Decimal::Decimal(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  setPlain(text, Parameters());
}

Decimal::Decimal(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  setPlain(text, Parameters());
}

Decimal::Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  setPlain(text, Parameters());
}

Decimal::Decimal(const Number& value) {
  char text[32];
  switch (value.type()) {
    case kTypeLong:
      std::snprintf(text, sizeof text, "%d", value.longValue());
      break;
    case kTypeUnsignedLong:
      std::snprintf(text, sizeof text, "%u", value.unsignedValue());
      break;
    default:
      std::snprintf(text, sizeof text, "%.15g", value.doubleValue());
      break;
  }
  setPlain(text, Parameters());
}

Decimal::Decimal(const char* text, const char* fmt, int16_t precision, int16_t scale,
                 int32_t fixStyle, int16_t maxexp, int16_t miscFlags) {
  Parameters p;
  p.precision = precision;
  p.scale = scale;
  p.fixStyle = fixStyle;
  p.maxexp = maxexp;
  p.miscFlags = miscFlags;
  setText(text, fmt, p);
}

const Status* Decimal::fail(const Status* status) {
  length_ = 1;
  std::memset(bytes_, 0, sizeof bytes_);
  bytes_[0] = kZeroByte;
  setStatus(status);
  return status;
}

const Status* Decimal::setPlain(const char* text, const Parameters& p) {
  Encoding enc;
  const Status* result = parsePlain(text != nullptr ? text : "", p, &enc);
  length_ = enc.length;
  std::memcpy(bytes_, enc.bytes, sizeof bytes_);
  setStatus(result);
  return result;
}

const Status* Decimal::setText(const char* text, const char* fmt, const Parameters& p) {
  if (p.precision < 1 || p.precision > kMaxPrecision) return fail(badNumberStatus());
  return setLocal(text, fmt, p, &punctuation);
}

const Status* Decimal::setLocal(const char* text, const char* fmt, const Parameters& p,
                                NumberPunctuation* cache) {
  if (text == nullptr) text = "";
  if (!isLocalFormat(fmt) || isInfinityText(text)) return setPlain(text, p);
  // The plain form is never longer than the local one.
  internal::WorkBuffer plain(std::strlen(text) + 1);
  if (plain.data() == nullptr) return fail(outOfMemoryStatus());
  if (localToPlain(cache, text, plain.data(), plain.size())) return setPlain(plain.data(), p);
  if (fmt != nullptr) return fail(badNumberStatus());
  return setPlain(text, p);
}

// The encoding

bool Decimal::isInfinite() const {
  if (length_ == 1) return bytes_[0] == kNegativeInfinity;
  return length_ == 2 && bytes_[0] == kPositiveInfinity[0] && bytes_[1] == kPositiveInfinity[1];
}

int Decimal::decimalExponent() const {
  if (length_ == 1) return 1;
  unsigned char head = isNegative() ? static_cast<unsigned char>(~bytes_[0]) : bytes_[0];
  return 2 * (static_cast<int>(head & 0x7F) - 64);
}

bool Decimal::isValidEncoding(const unsigned char* bytes, int length) {
  if (bytes == nullptr || length < 1 || length > kMaxLength) return false;
  if (length == 1) return bytes[0] == kZeroByte || bytes[0] == kNegativeInfinity;
  bool negative = (bytes[0] & 0x80) == 0;
  if (!negative && length == 2 && bytes[0] == kPositiveInfinity[0] &&
      bytes[1] == kPositiveInfinity[1]) {
    return true;
  }
  int last = length - 1;
  if (negative) {
    if (length < 3 || bytes[last] != kNegativeTerminator) return false;
    --last;
  }
  // Digit bytes: m + 1 (positive) or 101 - m (negative) for m in 0 to 99.
  int pairs = last;
  for (int i = 1; i <= last; ++i) {
    int m = negative ? 101 - bytes[i] : bytes[i] - 1;
    if (m < 0 || m > 99) return false;
    if ((i == 1 || i == last) && m == 0) return false;
  }
  int first = negative ? 101 - bytes[1] : bytes[1] - 1;
  int final = negative ? 101 - bytes[last] : bytes[last] - 1;
  int significant = 2 * pairs - (first < 10 ? 1 : 0) - (final % 10 == 0 ? 1 : 0);
  return significant <= kMaxPrecision;
}

// Formatting

char* Decimal::format(char* buf, int bufSize, const char* fmt, int32_t fixStyle, int scale,
                      int flags, const Status** st) const {
  report(st, successStatus());
  if (buf == nullptr || bufSize < 1) return buf;
  if (isInfinite()) {
    copyCut(isNegative() ? "-Infinity" : "+Infinity", buf, bufSize);
    return buf;
  }
  char digits[kKeptDigits + 2];
  int e = 0;
  int d = expand(bytes_, length_, digits, &e);
  bool limited = fixStyle == kFixedLimited;
  bool scientific =
      !limited && (e > kLargestPlainExponent || (e < 0 && e - d < kSmallestPlainExponent));
  // The fixed styles write scale digits after the point: zeros are appended
  // (never past what the form shows: the scientific form takes none).
  int64_t zeros = 0;
  if ((limited || (fixStyle == kFixed && !scientific)) && int64_t{d} - e < scale) {
    zeros = int64_t{scale} - (int64_t{d} - e);
  }
  int64_t wide = d + zeros;
  // Sign, "0.", the exponent or the zeros the exponent stands for, the digits, NUL.
  int64_t size = 16 + wide + (scientific ? 0 : e > 0 ? e : -e);
  internal::WorkBuffer work(static_cast<std::size_t>(size));
  if (work.data() == nullptr) {
    report(st, outOfMemoryStatus());
    buf[0] = '\0';
    return buf;
  }
  char* out = work.data();
  int64_t at = 0;
  auto digitAt = [&](int64_t i) { return i < d ? digits[i] : '0'; };
  if (isNegative()) out[at++] = '-';
  int64_t before = 0;  // digits written before the point
  if (scientific) {
    out[at++] = digits[0];
    before = 1;
  } else {
    for (; before < e; ++before) out[at++] = digitAt(before);
  }
  int64_t point = -1;
  if (before < wide) {
    if (before == 0) out[at++] = '0';
    point = at;
    out[at++] = '.';
    if (!scientific) {
      for (int64_t i = e; i < 0; ++i) out[at++] = '0';
    }
    for (int64_t i = before; i < wide; ++i) out[at++] = digitAt(i);
  }
  if (point >= 0 && (flags & kTrimZeros) != 0) {
    while (at > point + 1 && out[at - 1] == '0') --at;
  }
  if (point >= 0 && (flags & kTrimPoint) != 0 && at == point + 1) --at;
  if (scientific) {
    at += std::snprintf(out + at, static_cast<std::size_t>(size - at), "e%d", e - 1);
  }
  out[at] = '\0';
  if (isLocalFormat(fmt)) {
    plainToLocal(&punctuation, out, buf, static_cast<std::size_t>(bufSize));
  } else {
    copyCut(out, buf, bufSize);
  }
  return buf;
}

const Status* Decimal::asPackedDecimal(unsigned char* out, int outSize, int* digits,
                                       int* fractionDigits) const {
  if (isInfinite() || out == nullptr || outSize < 1) return badNumberStatus();
  int size = maxTextLength() + 1;
  internal::WorkBuffer text(static_cast<std::size_t>(size));
  if (text.data() == nullptr) return outOfMemoryStatus();
  format(text.data(), size, "mvs", kFixedLimited, 0, 0);
  const char* p = text.data();
  bool negative = *p == '-';
  if (negative) ++p;
  // The one leading "0" of a value below 1 is not packed; zero keeps it.
  if (p[0] == '0' && p[1] != '\0') ++p;
  char packed[kPackedMaxDigits + 1];
  int count = 0;
  int after = 0;
  bool point = false;
  for (; *p != '\0'; ++p) {
    if (*p == '.') {
      point = true;
      continue;
    }
    if (count == kPackedMaxDigits) return badNumberStatus();
    packed[count++] = static_cast<char>(*p - '0');
    if (point) ++after;
  }
  if (count == 0) return badNumberStatus();
  int bytes = count / 2 + 1;
  if (outSize < bytes) return badNumberStatus();
  // Half-bytes, right to left: the sign, then the digits, then a 0 pad.
  int nibble = 2 * bytes - 1;
  std::memset(out, 0, static_cast<std::size_t>(bytes));
  auto put = [&](int v) {
    unsigned char& b = out[nibble / 2];
    b = static_cast<unsigned char>(nibble % 2 == 0 ? b | (v << 4) : b | v);
    --nibble;
  };
  put(negative ? 0xD : 0xC);
  for (int i = count - 1; i >= 0; --i) put(packed[i]);
  if (digits != nullptr) *digits = count;
  if (fractionDigits != nullptr) *fractionDigits = after;
  return nullptr;
}

// Datum interface

Datum* Decimal::newEmpty() const {
  return new (std::nothrow) Decimal();
}

int Decimal::kind() const {
  return kKindDecimal;
}

int Decimal::typeCode() const {
  return kTypeDecimal;
}

signed char Decimal::asChar(const Status** st, const char* fmt) const {
  return viaText<signed char>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asChar(s, f);
  });
}

int16_t Decimal::asShort(const Status** st, const char* fmt) const {
  return viaText<int16_t>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asShort(s, f);
  });
}

int32_t Decimal::asLong(const Status** st, const char* fmt) const {
  return viaText<int32_t>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asLong(s, f);
  });
}

unsigned char Decimal::asUnsignedChar(const Status** st, const char* fmt) const {
  return viaText<unsigned char>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asUnsignedChar(s, f);
  });
}

uint16_t Decimal::asUnsignedShort(const Status** st, const char* fmt) const {
  return viaText<uint16_t>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asUnsignedShort(s, f);
  });
}

uint32_t Decimal::asUnsignedLong(const Status** st, const char* fmt) const {
  return viaText<uint32_t>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asUnsignedLong(s, f);
  });
}

double Decimal::asDouble(const Status** st, const char* fmt) const {
  return viaText<double>(*this, st, fmt, [](const Text& t, const Status** s, const char* f) {
    return t.asDouble(s, f);
  });
}

float Decimal::asFloat(const Status** st, const char* fmt) const {
  const Status* problem = successStatus();
  double d = asDouble(&problem, fmt);
  if (problem->severity() != 0) {
    report(st, problem);
    return 0.0f;
  }
  if (d > Number::kFloatBound || d < -Number::kFloatBound) {
    report(st, overflowStatus());
    return static_cast<float>(d > 0 ? Number::kFloatBound : -Number::kFloatBound);
  }
  report(st, successStatus());
  return static_cast<float>(d);
}

int Decimal::maxTextLength(const char*, FormatArg arg) const {
  report(arg.status, successStatus());
  int e = decimalExponent();
  return (e < 0 ? -e : e) + 11 + 2 * length_;
}

int Decimal::binarySize(int n) {
  return n > 0 && n < length_ ? n : length_;
}

char* Decimal::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  return format(buf, bufSize, fmt, kFloating, 0, 0, arg.status);
}

int Decimal::asBinary(void* buf, int size, int offset) {
  if (buf == nullptr || size <= 0 || offset < 0 || offset >= length_) return 0;
  int n = length_ - offset < size ? length_ - offset : size;
  std::memcpy(buf, bytes_ + offset, static_cast<std::size_t>(n));
  return n;
}

void* Decimal::data() {
  return bytes_;
}

const Status* Decimal::set(const char* s, int len, const char* fmt) {
  internal::TerminatedText text(s, len);
  if (text.text() == nullptr) return fail(outOfMemoryStatus());
  return answer(setText(text.text(), fmt, Parameters()));
}

const Status* Decimal::set(double v, const char*) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", v);
  return answer(setPlain(text, Parameters()));
}

const Status* Decimal::set(float v, const char*) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(v));
  return answer(setPlain(text, Parameters()));
}

const Status* Decimal::set(uint32_t v, const char*) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", v);
  return answer(setPlain(text, Parameters()));
}

const Status* Decimal::set(int32_t v, const char*) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", v);
  return answer(setPlain(text, Parameters()));
}

const Status* Decimal::set(uint16_t v, const char* fmt) {
  return set(static_cast<uint32_t>(v), fmt);
}

const Status* Decimal::set(int16_t v, const char* fmt) {
  return set(static_cast<int32_t>(v), fmt);
}

const Status* Decimal::set(unsigned char v, const char* fmt) {
  return set(static_cast<uint32_t>(v), fmt);
}

const Status* Decimal::set(char v, const char* fmt) {
  return set(static_cast<int32_t>(static_cast<signed char>(v)), fmt);
}

bool Decimal::isGreaterThan(const Datum& x) const {
  if (!x.isKindOf(Decimal::desc())) return AbsNumber::isGreaterThan(x);
  return std::memcmp(bytes_, static_cast<const Decimal&>(x).bytes_, sizeof bytes_) > 0;
}

bool Decimal::isLessThan(const Datum& x) const {
  if (!x.isKindOf(Decimal::desc())) return AbsNumber::isLessThan(x);
  return std::memcmp(bytes_, static_cast<const Decimal&>(x).bytes_, sizeof bytes_) < 0;
}

// Object interface

Object* Decimal::shallowCopy() const {
  return new Decimal(*this);
}

int Decimal::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  if (!other.isKindOf(Decimal::desc())) return AbsNumber::compare(other);
  // The bytes past either length are 0, as the order of encodings wants them.
  int c = std::memcmp(bytes_, static_cast<const Decimal&>(other).bytes_, sizeof bytes_);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

uint32_t Decimal::hash() const {
  uint32_t h = 2166136261u;
  for (int i = 0; i < length_; ++i) h = (h ^ bytes_[i]) * 16777619u;
  return h;
}

void Decimal::printOn(std::ostream& out) const {
  char text[kPrintText];
  asString(text, sizeof text);
  std::ostringstream d;
  d << std::scientific << std::setprecision(16) << std::showpoint << asDouble();
  out << text << " [double=" << d.str() << "]";
}

int Decimal::streamTypeNumber() const {
  return kStreamDecimal;
}

Object* Decimal::newForStream() const {
  return new (std::nothrow) Decimal();
}

// Stored as the AbsNumber part, (length << 8) | bytes[0], then the other
// encoding bytes as a text (they hold no 0 byte).
Decimal::Decimal(OIOin& stream) : AbsNumber(stream) {
  int32_t head = 0;
  stream >> head;
  if (stream.severity() >= kError) return;
  uint32_t length = static_cast<uint32_t>(head) >> 8;
  if (length < 1 || length > static_cast<uint32_t>(kMaxLength)) {
    stream.failSyntax("a Decimal encoding length of 1 to 22", std::to_string(length).c_str());
    return;
  }
  unsigned char bytes[kStorageSize] = {};
  bytes[0] = static_cast<unsigned char>(head & 0xFF);
  if (length > 1) {
    int32_t rest = 0;
    stream >> rest;
    if (stream.severity() >= kError) return;
    if (rest != static_cast<int32_t>(length) - 1) {
      stream.failSyntax("the rest of the Decimal encoding", std::to_string(rest).c_str());
      return;
    }
    stream.read(reinterpret_cast<char*>(bytes + 1), static_cast<std::size_t>(rest));
    if (stream.severity() >= kError) return;
  }
  if (!isValidEncoding(bytes, static_cast<int>(length))) {
    stream.failSyntax("a Decimal encoding", hexOf(bytes, static_cast<int>(length)).c_str());
    return;
  }
  length_ = static_cast<int16_t>(length);
  std::memcpy(bytes_, bytes, sizeof bytes_);
}

void Decimal::storer(OIOout& stream) const {
  AbsNumber::storer(stream);
  stream << static_cast<int32_t>((static_cast<uint32_t>(length_) << 8) | bytes_[0]);
  if (length_ > 1) stream << reinterpret_cast<const char*>(bytes_ + 1);
}

}  // namespace dv
