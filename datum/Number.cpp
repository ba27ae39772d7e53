// The binary numeric value: the requested type codes, the typed factories,
// the parse of number texts, the conversions to the machine types, the order
// of values and the stored form.
#include "datum/Number.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/LocalNumberForm.h"
#include "datum/internal/WorkBuffer.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// The class's copy of the locale's number punctuation.
NumberPunctuation punctuation;

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

// A requested code in the long code space, and whether it was the automatic one.
struct RequestedCode {
  int code = 0;
  bool automatic = false;
};

// Maps a short code to its long code; long codes stand for themselves.
// False for any other code.
bool mapCode(int code, RequestedCode* out) {
  out->automatic = false;
  switch (code) {
    case Number::kAutomatic:
      out->automatic = true;
      out->code = Number::kLongCode;
      return true;
    case Number::kShort:
      out->code = Number::kShortCode;
      return true;
    case Number::kLong:
      out->code = Number::kLongCode;
      return true;
    case Number::kFloat:
      out->code = Number::kFloatCode;
      return true;
    case Number::kDouble:
      out->code = Number::kDoubleCode;
      return true;
    case Number::kUnsignedLong:
      out->code = Number::kUnsignedLongCode;
      return true;
    default:
      out->code = code;
      return code >= Number::kBitCode && code <= Number::kDoubleCode;
  }
}

// The range and stored type of an integer long code (1001 to 1007).
struct IntegerRange {
  int64_t lo;
  int64_t hi;
  int stored;
};

IntegerRange integerRange(int code) {
  switch (code) {
    case Number::kBitCode:
      return {0, 1, kTypeUnsignedLong};
    case Number::kSignedCharCode:
      return {INT8_MIN, INT8_MAX, kTypeLong};
    case Number::kUnsignedCharCode:
      return {0, UINT8_MAX, kTypeUnsignedLong};
    case Number::kShortCode:
      return {INT16_MIN, INT16_MAX, kTypeLong};
    case Number::kUnsignedShortCode:
      return {0, UINT16_MAX, kTypeUnsignedLong};
    case Number::kUnsignedLongCode:
      return {0, UINT32_MAX, kTypeUnsignedLong};
    default:
      return {INT32_MIN, INT32_MAX, kTypeLong};
  }
}

// The integer parse: white space, an optional sign, digits (with the
// thousands separator sep, when it is not empty, skipped between them), white
// space. An empty remainder is 0. Answers null with *out set, or the problem.
const Status* parseInteger(const char* p, const IntegerRange& range, const char* sep,
                           std::size_t sepLength, int64_t* out) {
  while (isBlank(*p)) ++p;
  bool negative = false;
  uint64_t limit = static_cast<uint64_t>(range.hi);
  const Status* tooLarge = overflowStatus();
  if (*p == '+') {
    ++p;
  } else if (*p == '-') {
    if (range.lo >= 0) return underflowStatus();
    // The negative side holds one more: 128, 32,768, 2,147,483,648.
    negative = true;
    limit = static_cast<uint64_t>(-range.lo);
    tooLarge = underflowStatus();
    ++p;
  }
  if (*p == '\0') {
    *out = 0;
    return nullptr;
  }
  if (!isDigit(*p)) return badIntegerStatus();
  uint64_t v = 0;
  for (;;) {
    if (isDigit(*p)) {
      uint64_t d = static_cast<uint64_t>(*p - '0');
      if (v * 10 + d > limit) return tooLarge;
      v = v * 10 + d;
      ++p;
    } else if (sepLength > 0 && std::strncmp(p, sep, sepLength) == 0 && isDigit(p[sepLength])) {
      p += sepLength;
    } else {
      break;
    }
  }
  if (!onlyBlanks(p)) return badIntegerStatus();
  *out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return nullptr;
}

// The floating parse: the plain form of text when local is set, then strtod
// followed by white space only. Answers null with *out set, or the problem.
const Status* parseFloating(const char* text, bool local, double* out) {
  internal::WorkBuffer plain(local ? std::strlen(text) + 1 : 1);
  const char* p = text;
  if (local) {
    if (plain.data() == nullptr) return outOfMemoryStatus();
    if (!localToPlain(&punctuation, text, plain.data(), plain.size())) return badNumberStatus();
    p = plain.data();
  }
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(p, &end);
  bool range = errno == ERANGE;
  if (!onlyBlanks(end)) return badNumberStatus();
  // A result too small to be held keeps its sign or becomes a denormal: only
  // the infinities stand for a result too large.
  if (range) return std::isinf(v) ? overflowStatus() : underflowStatus();
  *out = end == p ? 0.0 : v;
  return nullptr;
}

// Whether a double survives the trip through a float unchanged.
bool fitsFloat(double d) {
  if (std::isinf(d)) return true;
  if (std::isnan(d) || std::fabs(d) > Number::kFloatBound) return false;
  return static_cast<double>(static_cast<float>(d)) == d;
}

// The order of two doubles, NaN last and equal to itself.
int orderDoubles(double a, double b) {
  bool na = std::isnan(a);
  bool nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : na ? 1 : -1;
  return a < b ? -1 : a > b ? 1 : 0;
}

int orderIntegers(int64_t a, int64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// The order of two Numbers' values, whatever their types: int32 and uint32
// values are exact as doubles and as int64.
int orderNumbers(const Number& a, const Number& b) {
  if (a.type() == kTypeDouble || b.type() == kTypeDouble) {
    return orderDoubles(a.asDouble(), b.asDouble());
  }
  auto wide = [](const Number& n) -> int64_t {
    return n.type() == kTypeLong ? int64_t{n.longValue()} : int64_t{n.unsignedValue()};
  };
  return orderIntegers(wide(a), wide(b));
}

// Writes n little-endian bytes of v into out.
void putLittleEndian(uint64_t v, int n, unsigned char* out) {
  for (int i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

Datum* numberFromString(const char* text) {
  return new (std::nothrow) Number(text, Number::kAutomatic, nullptr);
}

void registerNumberPrototype(const Class&) {
  static Number prototype;
  registerPrototype(&prototype, kStreamNumber);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Number, AbsNumber)

const Class& Number::desc() {
  static const Class* const bases[] = {&AbsNumber::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Number", bases, none, none, 1, Class::kIdent, sizeof(Number),
                            &readObjectText<Number>, &readObjectBinary<Number>,
                            &registerNumberPrototype, nullptr, &numberFromString);
  return d;
}

// Construction

Number::Number(int32_t value) {
  store(value);
}

Number::Number(uint32_t value) {
  storeUnsigned(value);
}

Number::Number(double value, const Status** st) {
  storeDouble(value);
  report(st, successStatus());
}

Number::Number(const char* text, int code, const char* fmt) {
  parse(text, code, fmt);
}

const Status* Number::store(int32_t v) {
  type_ = kTypeLong;
  value_.d = 0;
  value_.l = v;
  setStatus(successStatus());
  return successStatus();
}

const Status* Number::storeUnsigned(uint32_t v) {
  type_ = kTypeUnsignedLong;
  value_.d = 0;
  value_.u = v;
  setStatus(successStatus());
  return successStatus();
}

const Status* Number::storeDouble(double v) {
  type_ = kTypeDouble;
  value_.d = v;
  setStatus(successStatus());
  return successStatus();
}

Number* Number::make(int32_t value, int code) {
  return makeInteger(value, code);
}

Number* Number::make(uint32_t value, int code) {
  return makeInteger(value, code);
}

Number* Number::make(float value, int code) {
  return makeFloating(value, code);
}

Number* Number::make(double value, int code) {
  return makeFloating(value, code);
}

Number* Number::makeInteger(int64_t value, int code) {
  Number* n = new (std::nothrow) Number();
  if (n == nullptr) return nullptr;
  if (code < kBitCode || code > kDoubleCode) {
    n->setStatus(badArgumentStatus());
  } else if (code == kFloatCode || code == kDoubleCode) {
    // Every 32-bit integer lies well inside the float range.
    n->storeDouble(static_cast<double>(value));
  } else {
    IntegerRange r = integerRange(code);
    if (value < r.lo) {
      n->setStatus(underflowStatus());
    } else if (value > r.hi) {
      n->setStatus(overflowStatus());
    } else if (r.stored == kTypeUnsignedLong) {
      n->storeUnsigned(static_cast<uint32_t>(value));
    } else {
      n->store(static_cast<int32_t>(value));
    }
  }
  return n;
}

Number* Number::makeFloating(double value, int code) {
  Number* n = new (std::nothrow) Number();
  if (n == nullptr) return nullptr;
  if (code < kBitCode || code > kDoubleCode) {
    n->setStatus(badArgumentStatus());
  } else if (code == kDoubleCode) {
    n->storeDouble(value);
  } else if (code == kFloatCode) {
    if (value > kFloatBound) {
      n->setStatus(overflowStatus());
    } else if (value < -kFloatBound) {
      n->setStatus(underflowStatus());
    } else {
      n->storeDouble(value);
    }
  } else {
    IntegerRange r = integerRange(code);
    if (std::isnan(value) || value > static_cast<double>(r.hi)) {
      n->setStatus(overflowStatus());
    } else if (value < static_cast<double>(r.lo)) {
      n->setStatus(underflowStatus());
    } else {
      double whole = std::trunc(value);
      if (r.stored == kTypeUnsignedLong) {
        n->storeUnsigned(static_cast<uint32_t>(whole));
      } else {
        n->store(static_cast<int32_t>(whole));
      }
      if (whole != value) n->setStatus(truncatedToIntegerStatus());
    }
  }
  return n;
}

// Parsing

const Status* Number::parse(const char* text, int code, const char* fmt) {
  if (text == nullptr) text = "";
  RequestedCode requested;
  if (!mapCode(code, &requested)) {
    setStatus(badArgumentStatus());
    return status();
  }
  refreshPunctuation(&punctuation);
  const bool local = isLocalFormat(fmt);
  const Status* problem = nullptr;
  if (requested.automatic || requested.code < kFloatCode) {
    IntegerRange range = integerRange(requested.code);
    const char* sep = "";
    std::size_t sepLength = 0;
    if (local && punctuation.locale != nullptr && punctuation.thousandSeparatorLength > 0) {
      sep = punctuation.thousandSeparator;
      sepLength = static_cast<std::size_t>(punctuation.thousandSeparatorLength);
    }
    int64_t v = 0;
    problem = parseInteger(text, range, sep, sepLength, &v);
    if (problem == nullptr) {
      if (range.stored == kTypeUnsignedLong) return storeUnsigned(static_cast<uint32_t>(v));
      return store(static_cast<int32_t>(v));
    }
    if (!requested.automatic) {
      setStatus(problem);
      return problem;
    }
  }
  double d = 0;
  problem = parseFloating(text, local, &d);
  if (problem != nullptr) {
    setStatus(problem);
    return problem;
  }
  storeDouble(d);
  if (requested.code == kFloatCode) {
    if (d > kFloatBound) {
      value_.d = kFloatBound;
      setStatus(overflowStatus());
    } else if (d < -kFloatBound) {
      value_.d = -kFloatBound;
      setStatus(underflowStatus());
    }
  }
  return status();
}

// Conversions

int64_t Number::integerIn(int64_t lo, int64_t hi, const Status** st) const {
  int64_t v = 0;
  switch (type_) {
    case kTypeLong:
      v = value_.l;
      break;
    case kTypeUnsignedLong:
      v = value_.u;
      break;
    case kTypeDouble: {
      double d = value_.d;
      if (std::isnan(d)) {
        report(st, overflowStatus());
        return 0;
      }
      if (d < static_cast<double>(lo)) {
        report(st, underflowStatus());
        return lo;
      }
      if (d > static_cast<double>(hi)) {
        report(st, overflowStatus());
        return hi;
      }
      double whole = std::trunc(d);
      report(st, whole != d ? truncatedToIntegerStatus() : successStatus());
      return static_cast<int64_t>(whole);
    }
    default:
      report(st, badArgumentStatus());
      return 0;
  }
  if (v < lo) {
    report(st, underflowStatus());
    return lo;
  }
  if (v > hi) {
    report(st, overflowStatus());
    return hi;
  }
  report(st, successStatus());
  return v;
}

signed char Number::asChar(const Status** st, const char*) const {
  return static_cast<signed char>(integerIn(INT8_MIN, INT8_MAX, st));
}

int16_t Number::asShort(const Status** st, const char*) const {
  return static_cast<int16_t>(integerIn(INT16_MIN, INT16_MAX, st));
}

int32_t Number::asLong(const Status** st, const char*) const {
  return static_cast<int32_t>(integerIn(INT32_MIN, INT32_MAX, st));
}

unsigned char Number::asUnsignedChar(const Status** st, const char*) const {
  return static_cast<unsigned char>(integerIn(0, UINT8_MAX, st));
}

uint16_t Number::asUnsignedShort(const Status** st, const char*) const {
  return static_cast<uint16_t>(integerIn(0, UINT16_MAX, st));
}

uint32_t Number::asUnsignedLong(const Status** st, const char*) const {
  return static_cast<uint32_t>(integerIn(0, UINT32_MAX, st));
}

double Number::asDouble(const Status** st, const char*) const {
  switch (type_) {
    case kTypeLong:
      report(st, successStatus());
      return value_.l;
    case kTypeUnsignedLong:
      report(st, successStatus());
      return value_.u;
    case kTypeDouble:
      report(st, successStatus());
      return value_.d;
    default:
      report(st, badArgumentStatus());
      return 0.0;
  }
}

float Number::asFloat(const Status** st, const char* fmt) const {
  const Status* problem = successStatus();
  double d = asDouble(&problem, fmt);
  if (d > kFloatBound) {
    d = kFloatBound;
    problem = overflowStatus();
  } else if (d < -kFloatBound) {
    d = -kFloatBound;
    problem = underflowStatus();
  }
  report(st, problem);
  return static_cast<float>(d);
}

int Number::maxTextLength(const char*, FormatArg arg) const {
  report(arg.status, successStatus());
  switch (type_) {
    case kTypeLong:
    case kTypeUnsignedLong:
      return kIntegerTextLength;
    case kTypeDouble:
      return kDoubleTextLength;
    default:
      return 0;
  }
}

char* Number::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  report(arg.status, successStatus());
  if (buf == nullptr || bufSize < 1) return buf;
  char plain[kDoubleTextLength];
  // The conversions write what "%d", "%u" and "%.15g" write, at a fraction
  // of printf's cost: whole tables are written through here.
  char* const plainEnd = plain + sizeof plain - 1;
  switch (type_) {
    case kTypeLong:
      *std::to_chars(plain, plainEnd, value_.l).ptr = '\0';
      break;
    case kTypeUnsignedLong:
      *std::to_chars(plain, plainEnd, value_.u).ptr = '\0';
      break;
    case kTypeDouble:
      // The special texts of the parse, so that every value reads back.
      if (std::isnan(value_.d)) {
        std::strcpy(plain, std::signbit(value_.d) ? "-NAN" : "+NAN");
      } else if (std::isinf(value_.d)) {
        std::strcpy(plain, value_.d < 0 ? "-INF" : "+INF");
      } else {
        *std::to_chars(plain, plainEnd, value_.d, std::chars_format::general, 15).ptr = '\0';
        // Next to the largest doubles 15 digits may round past them, to a
        // text that would read as an overflow: 17 digits read back exactly.
        if (std::fabs(value_.d) > 1e308 && std::isinf(std::strtod(plain, nullptr))) {
          std::snprintf(plain, sizeof plain, "%.17g", value_.d);
        }
      }
      break;
    default:
      std::snprintf(plain, sizeof plain, "Unknown Number type %d!", type_);
      break;
  }
  if (isLocalFormat(fmt) && type_ == kTypeDouble) {
    plainToLocal(&punctuation, plain, buf, static_cast<std::size_t>(bufSize));
  } else {
    std::size_t n = std::strlen(plain);
    if (n > static_cast<std::size_t>(bufSize - 1)) n = static_cast<std::size_t>(bufSize - 1);
    std::memcpy(buf, plain, n);
    buf[n] = '\0';
  }
  return buf;
}

int Number::binarySize(int n) {
  switch (type_) {
    case kTypeLong: {
      int32_t v = value_.l;
      if (n < 2 && v >= INT8_MIN && v <= INT8_MAX) return 1;
      if (n < 4 && v >= INT16_MIN && v <= INT16_MAX) return 2;
      return 4;
    }
    case kTypeUnsignedLong: {
      uint32_t v = value_.u;
      if (n < 2 && v <= UINT8_MAX) return 1;
      if (n < 4 && v <= UINT16_MAX) return 2;
      return 4;
    }
    case kTypeDouble:
      return n < 8 && fitsFloat(value_.d) ? 4 : 8;
    default:
      return 0;
  }
}

int Number::asBinary(void* buf, int size, int offset) {
  int s = binarySize(size);
  if (buf == nullptr || size <= 0) return 0;
  unsigned char bytes[8] = {};
  if (type_ == kTypeDouble) {
    if (s == 4) {
      float f = static_cast<float>(value_.d);
      uint32_t bits = 0;
      std::memcpy(&bits, &f, sizeof bits);
      putLittleEndian(bits, 4, bytes);
    } else {
      uint64_t bits = 0;
      std::memcpy(&bits, &value_.d, sizeof bits);
      putLittleEndian(bits, 8, bytes);
    }
  } else {
    // The low bytes of the integer, whatever its sign: two's complement.
    uint32_t bits = type_ == kTypeLong ? static_cast<uint32_t>(value_.l) : value_.u;
    putLittleEndian(bits, s, bytes);
  }
  unsigned char* out = static_cast<unsigned char*>(buf);
  if (s < size) std::memset(out + s, 0, static_cast<std::size_t>(size - s));
  if (offset < 0 || offset > s) return 0;
  int n = s - offset < size ? s - offset : size;
  std::memcpy(out, bytes + offset, static_cast<std::size_t>(n));
  return n;
}

void* Number::data() {
  return &value_;
}

const Status* Number::set(const char* s, int len, const char* fmt) {
  setStatus(successStatus());
  internal::TerminatedText text(s, len);
  if (text.text() == nullptr) {
    setStatus(outOfMemoryStatus());
    return outOfMemoryStatus();
  }
  return answer(parse(text.text(), kAutomatic, fmt));
}

const Status* Number::set(double v, const char*) {
  storeDouble(v);
  return nullptr;
}

const Status* Number::set(float v, const char*) {
  storeDouble(v);
  return nullptr;
}

const Status* Number::set(uint32_t v, const char*) {
  storeUnsigned(v);
  return nullptr;
}

const Status* Number::set(int32_t v, const char*) {
  store(v);
  return nullptr;
}

const Status* Number::set(uint16_t v, const char*) {
  storeUnsigned(v);
  return nullptr;
}

const Status* Number::set(int16_t v, const char*) {
  store(v);
  return nullptr;
}

const Status* Number::set(unsigned char v, const char*) {
  storeUnsigned(v);
  return nullptr;
}

const Status* Number::set(char v, const char*) {
  store(static_cast<signed char>(v));
  return nullptr;
}

bool Number::isGreaterThan(const Datum& x) const {
  if (!x.isKindOf(Number::desc())) return AbsNumber::isGreaterThan(x);
  return orderNumbers(*this, static_cast<const Number&>(x)) > 0;
}

bool Number::isLessThan(const Datum& x) const {
  if (!x.isKindOf(Number::desc())) return AbsNumber::isLessThan(x);
  return orderNumbers(*this, static_cast<const Number&>(x)) < 0;
}

// Datum and object interface

Datum* Number::newEmpty() const {
  return new (std::nothrow) Number();
}

int Number::kind() const {
  return kKindNumber;
}

int Number::typeCode() const {
  return type_;
}

Object* Number::shallowCopy() const {
  return new Number(*this);
}

int Number::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  if (!other.isKindOf(Number::desc())) return AbsNumber::compare(other);
  return orderNumbers(*this, static_cast<const Number&>(other));
}

uint32_t Number::hash() const {
  switch (type_) {
    case kTypeLong:
      return static_cast<uint32_t>(value_.l);
    case kTypeUnsignedLong:
      return value_.u;
    case kTypeDouble: {
      double d = value_.d;
      if (std::isnan(d)) return 0x7FF80000u;  // every NaN equals every other
      if (d == std::trunc(d) && d >= INT32_MIN && d <= UINT32_MAX) {
        return d < 0 ? static_cast<uint32_t>(static_cast<int32_t>(d)) : static_cast<uint32_t>(d);
      }
      uint64_t bits = 0;
      std::memcpy(&bits, &d, sizeof bits);
      return static_cast<uint32_t>(bits) ^ static_cast<uint32_t>(bits >> 32);
    }
    default:
      return 0;
  }
}

void Number::printOn(std::ostream& out) const {
  switch (type_) {
    case kTypeLong:
      out << value_.l;
      break;
    case kTypeUnsignedLong:
      out << value_.u;
      break;
    case kTypeDouble:
      out << value_.d;
      break;
    default:
      out << "Number::printOn(ostream&): unknown type";
      break;
  }
}

int Number::streamTypeNumber() const {
  return kStreamNumber;
}

Object* Number::newForStream() const {
  return new (std::nothrow) Number();
}

// Stored as the AbsNumber part, then a 16-bit tag and the value.
Number::Number(OIOin& stream) : AbsNumber(stream) {
  int16_t tag = 0;
  stream >> tag;
  if (stream.severity() >= kError) return;
  switch (tag) {
    case kStoredShort: {
      int16_t v = 0;
      stream >> v;
      value_.l = v;
      break;
    }
    case kStoredLong:
      stream >> value_.l;
      break;
    case kStoredFloat:
    case kStoredDouble:
      type_ = kTypeDouble;
      stream >> value_.d;
      break;
    case kStoredUnsignedLong:
      type_ = kTypeUnsignedLong;
      stream >> value_.u;
      break;
    default:
      // A damaged file must not end the program that reads it.
      stream.failSyntax("a Number type tag (1, 2, 3, 4 or 12)", std::to_string(tag).c_str());
      break;
  }
}

void Number::storer(OIOout& stream) const {
  storeValue(stream, "Number::storer(OIOout&): unknown Number type = ");
}

void Number::storer(OIOoutbin& stream) const {
  storeValue(textSide(stream), "Number::storer(OIOoutbin&): unknown Number type =");
}

void Number::storeValue(OIOout& stream, const char* report) const {
  AbsNumber::storer(stream);
  switch (type_) {
    case kTypeLong:
      stream << kStoredLong << value_.l;
      break;
    case kTypeUnsignedLong:
      stream << kStoredUnsignedLong << value_.u;
      break;
    case kTypeDouble:
      stream << kStoredDouble << value_.d;
      break;
    default:
      // Only a corrupted object can get here: its type is set by this class alone.
      std::cerr << report << type_ << std::endl;
      std::exit(1);
  }
}

}  // namespace dv
