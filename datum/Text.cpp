// The text value: storage growth, the string operations, the conversions of
// the characters to numbers and the Datum and object interfaces.
#include "datum/Text.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <ostream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/LocalNumberForm.h"
#include "object/Allocation.h"
#include "object/Exception.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// The class's number formatting buffers: the plain form, and the same number
// in local form. Not re-entrant.
char scratch[Text::kScratchSize];
char localScratch[Text::kScratchSize];
// The class's copy of the locale's number punctuation.
NumberPunctuation punctuation;
// What at() answers beyond the end.
const char emptyText[1] = {'\0'};

// The largest float, as a double: the bounds of asFloat.
constexpr double kFloatBound = 3.4028234663852886e+38;
// The last suffix number makeUnique may go past.
constexpr long kLastSuffix = 9999999;

// ASCII classes only: the characters of a text are bytes in no known encoding.
bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isIdentifierChar(char c) {
  return isLetter(c) || isDigit(c) || c == '_';
}
int foldUpper(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u;
}
bool onlyBlanks(const char* p) {
  while (isBlank(*p)) ++p;
  return *p == '\0';
}

// True when p points into the block [base, base + size).
bool inside(const char* p, const char* base, int32_t size) {
  std::less_equal<const char*> le;
  std::less<const char*> lt;
  return le(base, p) && lt(p, base + size);
}

// Characters of text, stopping at a NUL: at most n of them (n < 0: no bound),
// and never more than a text can hold plus one, so that the sums below stay
// within 32 bits.
int32_t boundedLength(const char* text, int32_t n) {
  if (text == nullptr) return 0;
  std::size_t limit = static_cast<std::size_t>(Text::kMaxCapacity);
  if (n >= 0 && static_cast<std::size_t>(n) < limit) limit = static_cast<std::size_t>(n);
  return static_cast<int32_t>(strnlen(text, limit));
}

// A reservation of n + 1 bytes without overflow.
int32_t plusOne(int32_t n) {
  return n >= Text::kMaxCapacity ? Text::kMaxCapacity + 1 : n + 1;
}

// The number text in the scratch buffer, in local form unless fmt names
// another format.
const char* numberText(const char* fmt) {
  if (!isLocalFormat(fmt)) return scratch;
  plainToLocal(&punctuation, scratch, localScratch, sizeof localScratch);
  return localScratch;
}

// The characters to parse: in plain form when fmt asks for the local form.
// When the local form does not convert, a null fmt parses the characters as
// they are and "local" fails.
class NumberText {
 public:
  NumberText(const char* chars, int32_t length, const char* fmt) : text_(chars) {
    if (!isLocalFormat(fmt)) return;
    // The plain form is never longer than the local one.
    std::size_t size = static_cast<std::size_t>(length) + 1;
    char* out = small_;
    if (size > sizeof small_) {
      heap_ = static_cast<char*>(allocate(size));
      out = heap_;
    }
    if (out == nullptr) {
      problem_ = outOfMemoryStatus();
    } else if (localToPlain(&punctuation, chars, out, size)) {
      text_ = out;
    } else if (fmt != nullptr) {
      problem_ = conversionFailedStatus();
    }
  }
  ~NumberText() { deallocate(heap_); }
  NumberText(const NumberText&) = delete;
  NumberText& operator=(const NumberText&) = delete;

  const char* text() const { return text_; }
  // Null, or why there is nothing to parse.
  const Status* problem() const { return problem_; }

 private:
  char small_[128];
  char* heap_ = nullptr;
  const char* text_;
  const Status* problem_ = nullptr;
};

// Skips a "." and the digits after it, which an integer conversion drops
// with a warning (unless a problem was met before).
const char* skipFraction(const char* p, const Status** problem) {
  if (*p != '.' || !isDigit(p[1])) return p;
  ++p;
  while (isDigit(*p)) ++p;
  if (*problem == nullptr) *problem = truncatedToIntegerStatus();
  return p;
}

double parseDouble(const char* text, const Status** problem) {
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (end == text || !onlyBlanks(end)) {
    *problem = conversionFailedStatus();
    return 0.0;
  }
  return v;
}

// strtol gives 64 bits here: the range is checked against 32 bits.
int32_t parseLong(const char* text, const Status** problem) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (end == text) {
    *problem = conversionFailedStatus();
    return 0;
  }
  int32_t result = 0;
  if (errno == ERANGE || v > INT32_MAX || v < INT32_MIN) {
    if (v > 0) {
      result = INT32_MAX;
      *problem = overflowStatus();
    } else {
      result = INT32_MIN;
      *problem = underflowStatus();
    }
  } else {
    result = static_cast<int32_t>(v);
  }
  const char* rest = skipFraction(end, problem);
  if (!onlyBlanks(rest)) {
    *problem = conversionFailedStatus();
    return 0;
  }
  return result;
}

// strtoul would take "-1" for the largest value: a negative number is below
// the range instead, and gives 0 with the underflow status ("-0" is 0).
uint32_t parseUnsignedLong(const char* text, const Status** problem) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (!isDigit(*p)) {
    *problem = conversionFailedStatus();
    return 0;
  }
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(p, &end, 10);
  bool outOfRange = errno == ERANGE || v > UINT32_MAX;
  uint32_t result = 0;
  if (negative && (outOfRange || v != 0)) {
    *problem = underflowStatus();
  } else if (outOfRange) {
    result = UINT32_MAX;
    *problem = overflowStatus();
  } else {
    result = static_cast<uint32_t>(v);
  }
  const char* rest = skipFraction(end, problem);
  if (!onlyBlanks(rest)) {
    *problem = conversionFailedStatus();
    return 0;
  }
  return result;
}

// Clamps v to [lo, hi]. The bound reached is reported unless an error was met
// before (then that error stands, but the value still fits the type).
int32_t clampTo(int32_t v, int32_t lo, int32_t hi, const Status** problem) {
  bool replace = *problem == nullptr || (*problem)->severity() < kError;
  if (v < lo) {
    if (replace) *problem = underflowStatus();
    return lo;
  }
  if (v > hi) {
    if (replace) *problem = overflowStatus();
    return hi;
  }
  return v;
}

// The sound-code digit of a character, or 0 for one that is skipped.
char soundDigit(char c) {
  switch (foldUpper(c)) {
    case 'B':
    case 'F':
    case 'P':
    case 'V':
      return '1';
    case 'C':
    case 'G':
    case 'J':
    case 'K':
    case 'Q':
    case 'S':
    case 'X':
    case 'Z':
      return '2';
    case 'D':
    case 'T':
      return '3';
    case 'L':
      return '4';
    case 'M':
    case 'N':
      return '5';
    case 'R':
      return '6';
    default:
      return 0;
  }
}

// The identifier prefix for a text starting with c.
const char* identifierPrefix(char c) {
  if (isDigit(c)) return "Z_";
  if (isLetter(c)) return "";
  return "Z";
}

// The storage makeIdentifier asks for: room for the prefix, the characters
// and a numeric suffix, at most 129 bytes.
int32_t identifierSize(int32_t length, int32_t prefixLength) {
  int32_t size = length + 9 + prefixLength;
  return size > Text::kMaxIdentifierSize ? Text::kMaxIdentifierSize : size;
}

// Writes the identifier form of text[0, keep) after the prefix into out.
void writeIdentifier(char* out, const char* prefix, int32_t prefixLength, const char* text,
                     int32_t keep) {
  // Backwards, so that out may be text itself.
  for (int32_t i = keep - 1; i >= 0; --i) {
    out[i + prefixLength] = isIdentifierChar(text[i]) ? text[i] : '_';
  }
  std::memcpy(out, prefix, static_cast<std::size_t>(prefixLength));
  out[keep + prefixLength] = '\0';
}

// Parses characters as a number: local form first when fmt asks for it,
// then parse; st gets success or the problem met, the answer 0 on failure.
template <typename T>
T parseNumber(const char* chars, int32_t length, const Status** st, const char* fmt,
              T (*parse)(const char*, const Status**)) {
  if (st != nullptr) *st = successStatus();
  NumberText text(chars, length, fmt);
  if (text.problem() != nullptr) {
    if (st != nullptr) *st = text.problem();
    return T{0};
  }
  const Status* problem = nullptr;
  T v = parse(text.text(), &problem);
  if (problem != nullptr && st != nullptr) *st = problem;
  return v;
}

Datum* textFromString(const char* text) {
  return new (std::nothrow) Text(text);
}

void registerTextPrototype(const Class&) {
  static Text prototype;
  registerPrototype(&prototype, kStreamText);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Text, Datum)

const Class& Text::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Text", bases, none, none, 1, Class::kIdent, sizeof(Text),
                            &readObjectText<Text>, &readObjectBinary<Text>, &registerTextPrototype,
                            nullptr, &textFromString);
  return d;
}

// Construction

Text::Text() {
  setNull();
}

Text::Text(Capacity capacity) {
  setNull();
  if (capacity.bytes > kInlineCapacity) {
    const Status* r = reserve(capacity.bytes);
    if (r->severity() >= kError) setStatus(r);
  }
}

Text* Text::make(const char* text) {
  Text* made = new (std::nothrow) Text(text);
  if (made != nullptr && made->status() == outOfMemoryStatus()) {
    made->release();
    made = nullptr;
  }
  return made;
}

Text::Text(const char* text) {
  assignText(text, text != nullptr ? std::strlen(text) : 0);
}

Text::Text(const char* text, int32_t n, bool bounded) {
  if (text == nullptr) text = "";
  if (n < 0) n = 0;
  int32_t m = 0;
  const Status* r = nullptr;
  if (bounded) {
    m = boundedLength(text, n);
    r = reserve(plusOne(n));
  } else {
    m = boundedLength(text, -1);
    r = reserve(n > m ? n : plusOne(m));
  }
  if (r->severity() >= kError) {
    setStatus(r);
    return;
  }
  if (m > capacity_ - 1) m = capacity_ - 1;
  char* b = buffer();
  std::memcpy(b, text, static_cast<std::size_t>(m));
  b[m] = '\0';
  length_ = m;
  setStatus(r);
}

Text::Text(const Text& other) : Datum(other) {
  assignText(other.chars(), static_cast<std::size_t>(other.length_));
  if (status() != outOfMemoryStatus()) setStatus(other.status());
}

Text::Text(int32_t value, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%d", value);
  const char* text = numberText(fmt);
  assignText(text, std::strlen(text));
}

Text::Text(uint32_t value, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%u", value);
  const char* text = numberText(fmt);
  assignText(text, std::strlen(text));
}

Text::Text(float value, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%.7g", static_cast<double>(value));
  const char* text = numberText(fmt);
  assignText(text, std::strlen(text));
}

Text::Text(double value, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%.15g", value);
  const char* text = numberText(fmt);
  assignText(text, std::strlen(text));
}

Text::Text(const Datum& value, const char* fmt) {
  scratch[0] = '\0';
  value.asString(scratch, kScratchSize, fmt, nullptr);
  scratch[kScratchSize - 1] = '\0';
  assignText(scratch, std::strlen(scratch));
}

Text::~Text() {
  if (onHeap()) deallocate(heap_);
}

// Stored as the Datum part, the length, then the characters.
Text::Text(OIOin& stream) : Datum(stream) {
  int32_t n = 0;
  stream >> n;
  if (stream.severity() >= kError || !stream.checkCount(n, INT32_MAX, "a text length")) return;
  if (n == 0) return;
  const Status* problem = nullptr;
  if (n >= kInlineCapacity) {
    const Status* r = reserve(plusOne(n));
    if (r == outOfMemoryStatus()) {
      // The characters cannot be kept: the read fails rather than hand out a
      // value that lost them.
      stream.failOutOfMemory();
      return;
    }
    if (r != successStatus()) problem = r;
  }
  OnUnwind freeBuffer([this] {
    if (onHeap()) deallocate(heap_);
  });
  int32_t m = n < capacity_ - 1 ? n : capacity_ - 1;
  char* b = buffer();
  std::memset(b, 0, static_cast<std::size_t>(m));
  stream.read(b, static_cast<std::size_t>(m));
  b[m] = '\0';
  length_ = m;
  // What did not fit is read and dropped, so that the stream stays in step.
  char drop[256];
  for (int32_t rest = n - m; rest > 0 && stream.severity() < kError;) {
    int32_t chunk =
        rest < static_cast<int32_t>(sizeof drop) ? rest : static_cast<int32_t>(sizeof drop);
    stream.read(drop, static_cast<std::size_t>(chunk));
    rest -= chunk;
  }
  if (m < n && problem == nullptr) problem = textTruncatedStatus();
  if (problem != nullptr) setStatus(problem);
}

void Text::storer(OIOout& stream) const {
  Datum::storer(stream);
  stream << length_;
  if (length_ != 0) stream.write(chars(), static_cast<std::size_t>(length_));
}

// Storage

void Text::dropStorage() {
  if (onHeap()) deallocate(heap_);
  capacity_ = kInlineCapacity;
  inline_[0] = '\0';
  length_ = 0;
}

void Text::assignText(const char* text, std::size_t n) {
  if (text == nullptr) n = 0;
  if (n < static_cast<std::size_t>(kInlineCapacity)) {
    // Through a copy: text may lie in the block that is about to go.
    char copy[kInlineCapacity];
    if (n > 0) std::memcpy(copy, text, n);
    dropStorage();
    if (n > 0) std::memcpy(inline_, copy, n);
    inline_[n] = '\0';
    length_ = static_cast<int32_t>(n);
    setStatus(successStatus());
    return;
  }
  const Status* result = successStatus();
  int32_t cap = 0;
  if (n >= static_cast<std::size_t>(kMaxCapacity)) {
    cap = kMaxCapacity;
    result = textTruncatedToLimitStatus();
  } else {
    cap = static_cast<int32_t>(n) + 1;
  }
  int32_t m = cap - 1;
  if (onHeap() && capacity_ == cap) {
    std::memmove(heap_, text, static_cast<std::size_t>(m));
  } else {
    char* block = static_cast<char*>(allocate(static_cast<std::size_t>(cap)));
    if (block == nullptr) {
      dropStorage();
      setStatus(outOfMemoryStatus());
      return;
    }
    std::memcpy(block, text, static_cast<std::size_t>(m));
    if (onHeap()) deallocate(heap_);
    heap_ = block;
    capacity_ = cap;
  }
  heap_[m] = '\0';
  length_ = m;
  setStatus(result);
}

const Status* Text::reserve(int32_t n) {
  const Status* result = successStatus();
  if (n > kMaxCapacity) {
    n = kMaxCapacity;
    result = textTruncatedToLimitStatus();
  }
  if (capacity_ < n) {
    if (!onHeap()) {
      char* block = static_cast<char*>(allocate(static_cast<std::size_t>(n)));
      if (block == nullptr) return outOfMemoryStatus();
      std::memcpy(block, inline_, static_cast<std::size_t>(length_) + 1);
      heap_ = block;
      capacity_ = n;
    } else if (severity() < kError) {
      char* block = static_cast<char*>(allocate(static_cast<std::size_t>(n)));
      if (block == nullptr) return outOfMemoryStatus();
      std::memcpy(block, heap_, static_cast<std::size_t>(length_) + 1);
      deallocate(heap_);
      heap_ = block;
      capacity_ = n;
    }
  }
  if (result->severity() < kError && capacity_ < n) result = textTruncatedStatus();
  return result;
}

int32_t Text::growthStep(int32_t x) {
  if (x < 256) return ((x + 1) / 32 + 1) * 32;
  static const int32_t kSteps[] = {512, 768, 1024, 2048, 4096, 8192, 16384, 32768};
  for (int32_t step : kSteps) {
    if (x < step) return step;
  }
  return kMaxCapacity;
}

void Text::settle(const Status* problem) {
  if (problem != nullptr) {
    setStatus(problem);
  } else if (length_ > 0 && isNull()) {
    setStatus(successStatus());
  }
}

void Text::putAt(int32_t base, const char* text, int32_t m) {
  const Status* problem = nullptr;
  if (base + m >= capacity_) {
    bool own = inside(text, chars(), capacity_);
    std::ptrdiff_t offset = text - chars();
    const Status* r = reserve(growthStep(base + m));
    if (r->severity() >= kError) {
      setStatus(r);
      return;
    }
    if (r != successStatus()) problem = r;
    if (own) text = chars() + offset;
    if (base + m >= capacity_) {
      m = capacity_ - 1 - base;
      problem = textTruncatedStatus();
    }
  }
  char* b = buffer();
  std::memmove(b + base, text, static_cast<std::size_t>(m));
  length_ = base + m;
  b[length_] = '\0';
  settle(problem);
}

// Assignment

Text& Text::operator=(const char* text) {
  assignText(text, text != nullptr ? std::strlen(text) : 0);
  return *this;
}

Text& Text::operator=(const Text& other) {
  if (this == &other) return *this;
  assignText(other.chars(), static_cast<std::size_t>(other.length_));
  if (status() != outOfMemoryStatus()) setStatus(other.status());
  return *this;
}

Text& Text::assign(const char* text, int32_t n) {
  if (text == nullptr) text = "";
  int32_t m = boundedLength(text, n);
  if (n < 0) n = m;
  bool own = inside(text, chars(), capacity_);
  std::ptrdiff_t offset = text - chars();
  const Status* r = reserve(plusOne(n));
  if (r->severity() >= kError) {
    setStatus(r);
    return *this;
  }
  if (own) text = chars() + offset;
  const Status* problem = nullptr;
  if (n > capacity_ - 1) {
    n = capacity_ - 1;
    problem = textTruncatedStatus();
  }
  if (m > n) m = n;
  char* b = buffer();
  std::memmove(b, text, static_cast<std::size_t>(m));
  std::memset(b + m, 0, static_cast<std::size_t>(n - m) + 1);
  length_ = m;
  if (problem != nullptr) {
    setStatus(problem);
  } else if (m > 0 || !isNull()) {
    setStatus(successStatus());
  }
  return *this;
}

Text& Text::assign(const Text& other, int32_t n) {
  if (n < 0 || n > other.length_) n = other.length_;
  return assign(other.chars(), n);
}

// Appending

Text& Text::append(const char* text) {
  return append(text, -1);
}

Text& Text::append(const Text& other) {
  putAt(length_, other.chars(), other.length_);
  return *this;
}

Text& Text::append(const char* text, int32_t n) {
  putAt(length_, text != nullptr ? text : "", boundedLength(text, n));
  return *this;
}

Text& Text::append(const Text& other, int32_t n) {
  int32_t m = n < 0 || n > other.length_ ? other.length_ : n;
  putAt(length_, other.chars(), m);
  return *this;
}

Text& Text::overwrite(int32_t pos, const char* text, int32_t count) {
  if (pos < 0 || pos > length_) pos = length_;
  putAt(pos, text != nullptr ? text : "", boundedLength(text, count));
  return *this;
}

// Comparison and search

int Text::compare(const char* text) const {
  return std::strcmp(chars(), text != nullptr ? text : "");
}

int Text::compare(const Text& other) const {
  return std::strcmp(chars(), other.chars());
}

int Text::compare(const char* text, int32_t n) const {
  if (n <= 0) return 0;
  return std::strncmp(chars(), text != nullptr ? text : "", static_cast<std::size_t>(n));
}

int Text::compareNoCase(const char* text) const {
  const char* a = chars();
  const char* b = text != nullptr ? text : "";
  for (;; ++a, ++b) {
    if (*a == '\0') return *b != '\0' ? -1 : 0;
    if (*b == '\0') return 1;
    int fa = foldUpper(*a);
    int fb = foldUpper(*b);
    if (fa != fb) return fa - fb;
  }
}

int Text::compareNoCase(const Text& other) const {
  return compareNoCase(other.chars());
}

int Text::compareNoCase(const char* text, int32_t n) const {
  const char* a = chars();
  const char* b = text != nullptr ? text : "";
  int32_t m = n < length_ ? n : length_;
  for (int32_t i = 0; i < m; ++i) {
    int fa = foldUpper(a[i]);
    int fb = foldUpper(b[i]);
    if (fa != fb) return fa - fb;
    if (fb == 0) return 0;  // a NUL inside a scrambled text: both ended here
  }
  return n > length_ && b[length_] != '\0' ? -1 : 0;
}

int Text::compareNoCase(const Text& other, int32_t n) const {
  return compareNoCase(other.chars(), n);
}

const char* Text::findChar(char c) const {
  return std::strchr(chars(), c);
}

const char* Text::findLastChar(char c) const {
  return std::strrchr(chars(), c);
}

const char* Text::findAnyOf(const char* set) const {
  return std::strpbrk(chars(), set != nullptr ? set : "");
}

int32_t Text::spanOf(const char* set) const {
  return static_cast<int32_t>(std::strspn(chars(), set != nullptr ? set : ""));
}

int32_t Text::spanNotOf(const char* set) const {
  return static_cast<int32_t>(std::strcspn(chars(), set != nullptr ? set : ""));
}

const char* Text::findText(const char* text) const {
  return std::strstr(chars(), text != nullptr ? text : "");
}

// Character operations

Text& Text::upper() {
  char* b = buffer();
  for (int32_t i = 0; i < length_; ++i) {
    if (b[i] >= 'a' && b[i] <= 'z') b[i] = static_cast<char>(b[i] - ('a' - 'A'));
  }
  return *this;
}

Text& Text::lower() {
  char* b = buffer();
  for (int32_t i = 0; i < length_; ++i) {
    if (b[i] >= 'A' && b[i] <= 'Z') b[i] = static_cast<char>(b[i] + ('a' - 'A'));
  }
  return *this;
}

const char* Text::at(int32_t i) const {
  if (i < 0 || i > length_) return emptyText;
  return chars() + i;
}

char* Text::copyOut() const {
  std::size_t size = static_cast<std::size_t>(length_) + 1;
  if (size < 4) size = 4;
  char* block = static_cast<char*>(allocate(size));
  if (block == nullptr) return nullptr;
  std::memcpy(block, chars(), static_cast<std::size_t>(length_) + 1);
  return block;
}

Text& Text::scramble() {
  // Made here rather than kept as one constant, so that the key does not
  // stand in the binary as it is used.
  static const unsigned char kParts[5] = {0x2D, 0x71, 0x1E, 0x5B, 0x47};
  unsigned char key[5];
  for (int i = 0; i < 5; ++i) key[i] = static_cast<unsigned char>(kParts[i] | 0x80);
  char* b = buffer();
  for (int32_t i = 0; i < length_; ++i) {
    b[i] = static_cast<char>(static_cast<unsigned char>(b[i]) ^ key[i % 5]);
  }
  return *this;
}

uint32_t Text::soundCode() const {
  if (length_ == 0) return 0;
  const char* p = chars();
  uint32_t code = static_cast<uint32_t>(static_cast<unsigned char>(p[0])) << 24;
  int shift = 16;
  for (int32_t i = 1; i < length_ && shift >= 0; ++i) {
    char digit = soundDigit(p[i]);
    if (digit == 0) continue;
    code |= static_cast<uint32_t>(static_cast<unsigned char>(digit)) << shift;
    shift -= 8;
  }
  return code;
}

// Identifiers

bool Text::isIdentifier() const {
  if (length_ < 1 || length_ > kMaxIdentifierLength) return false;
  const char* p = chars();
  if (!isLetter(p[0])) return false;
  for (int32_t i = 1; i < length_; ++i) {
    if (!isIdentifierChar(p[i])) return false;
  }
  return true;
}

const Status* Text::makeIdentifier() {
  const char* prefix = identifierPrefix(chars()[0]);
  int32_t prefixLength = static_cast<int32_t>(std::strlen(prefix));
  int32_t size = identifierSize(length_, prefixLength);
  const Status* r = reserve(size);
  if (r->severity() >= kError) {
    setStatus(r);
    return outOfMemoryStatus();
  }
  if (capacity_ < size) return outOfMemoryStatus();
  int32_t keep = length_ < size - 9 ? length_ : size - 9;
  char* b = buffer();
  writeIdentifier(b, prefix, prefixLength, b, keep);
  length_ = keep + prefixLength;
  settle(nullptr);
  return nullptr;
}

const Status* Text::copyIdentifier(char** buffer) const {
  if (buffer == nullptr) return badArgumentStatus();
  const char* prefix = identifierPrefix(chars()[0]);
  int32_t prefixLength = static_cast<int32_t>(std::strlen(prefix));
  int32_t size = identifierSize(length_, prefixLength);
  char* block = static_cast<char*>(allocate(static_cast<std::size_t>(size)));
  if (block == nullptr) return outOfMemoryStatus();
  int32_t keep = length_ < size - 9 ? length_ : size - 9;
  writeIdentifier(block, prefix, prefixLength, chars(), keep);
  deallocate(*buffer);
  *buffer = block;
  return nullptr;
}

int32_t Text::numericSuffixLength() const {
  const char* p = chars();
  int32_t k = 0;
  for (int32_t i = length_ - 1; i >= 1 && isDigit(p[i]); --i) ++k;
  return k;
}

Text& Text::appendFirstSuffix() {
  return append("_1", 2);
}

const Status* Text::reserveSuffixRoom() {
  const Status* r = reserve(length_ + 8);
  if (r->severity() == 0) return nullptr;
  setStatus(r);
  return r;
}

const Status* Text::makeUnique() {
  int32_t k = numericSuffixLength();
  const char* p = chars();
  char suffix[24];
  int32_t base = length_;
  if (k == 0 || p[length_ - k - 1] != '_') {
    std::strcpy(suffix, "_1");
  } else {
    long number = 0;
    for (int32_t i = length_ - k; i < length_; ++i) {
      number = number * 10 + (p[i] - '0');
      if (number >= kLastSuffix) return notUniqueStatus();
    }
    std::snprintf(suffix, sizeof suffix, "%ld", number + 1);
    base = length_ - k;
  }
  // The whole suffix or nothing: a cut one would repeat an earlier name.
  int32_t suffixLength = static_cast<int32_t>(std::strlen(suffix));
  int32_t need = base + suffixLength + 1;
  if (need > capacity_) {
    const Status* r = reserve(need);
    if (r->severity() >= kError) {
      setStatus(r);
      return r;
    }
    if (capacity_ < need) return r;
  }
  char* b = buffer();
  std::memcpy(b + base, suffix, static_cast<std::size_t>(suffixLength) + 1);
  length_ = base + suffixLength;
  settle(nullptr);
  return nullptr;
}

// Printing

void Text::printWrapped(std::ostream& out, int width, char continuation, const char* quotes,
                        bool doubledQuotes, char escape) const {
  if (length_ == 0) return;
  const char* p = chars();
  if (width <= 0) {
    out.write(p, length_);
    return;
  }
  int32_t start = 0;       // the current line
  int32_t lastBreak = -1;  // the last break opportunity on it
  char quote = '\0';       // the open quote
  auto softBreak = [&](int32_t at) {
    int32_t end = at;
    while (end > start && isBlank(p[end - 1])) --end;
    if (end > start) {
      out.write(p + start, end - start);
      out.put('\n');
    }
    start = at + 1;
    lastBreak = -1;
  };
  auto hardBreak = [&] {
    out.write(p + start, width);
    if (continuation != '\0') out.put(continuation);
    out.put('\n');
    start += width;
    lastBreak = -1;
  };
  for (int32_t i = 0; i <= length_; ++i) {
    bool atEnd = i == length_;
    char c = atEnd ? '\0' : p[i];
    if (!atEnd && escape != '\0' && c == escape) {
      if (i + 1 < length_) ++i;
      continue;
    }
    if (quote != '\0') {
      if (c == quote) {
        if (doubledQuotes && i + 1 < length_ && p[i + 1] == quote) {
          ++i;
        } else {
          quote = '\0';
        }
      }
      continue;
    }
    if (!atEnd && quotes != nullptr && std::strchr(quotes, c) != nullptr) {
      quote = c;
      continue;
    }
    if (!atEnd && !isBlank(c)) continue;
    // A break opportunity. A line emitted here starts a new one, for which
    // this same position is considered again.
    for (;;) {
      if (i - start > width) {
        if (lastBreak >= 0) {
          softBreak(lastBreak);
        } else {
          hardBreak();
        }
        continue;
      }
      if (c == '\n') {
        softBreak(i);
      } else {
        lastBreak = i;
      }
      break;
    }
  }
  if (start < length_) out.write(p + start, length_ - start);
}

// Datum interface

Datum* Text::newEmpty() const {
  return new (std::nothrow) Text();
}

int Text::kind() const {
  return kKindText;
}

int Text::typeCode() const {
  return kTypeText;
}

double Text::asDouble(const Status** st, const char* fmt) const {
  return parseNumber(chars(), length_, st, fmt, &parseDouble);
}

float Text::asFloat(const Status** st, const char* fmt) const {
  const Status* problem = nullptr;
  double v = asDouble(&problem, fmt);
  if (problem == successStatus()) problem = nullptr;
  if (v < -kFloatBound) {
    v = -kFloatBound;
    if (problem == nullptr) problem = underflowStatus();
  } else if (v > kFloatBound) {
    v = kFloatBound;
    if (problem == nullptr) problem = overflowStatus();
  }
  report(st, problem != nullptr ? problem : successStatus());
  return static_cast<float>(v);
}

int32_t Text::asLong(const Status** st, const char* fmt) const {
  return parseNumber(chars(), length_, st, fmt, &parseLong);
}

uint32_t Text::asUnsignedLong(const Status** st, const char* fmt) const {
  return parseNumber(chars(), length_, st, fmt, &parseUnsignedLong);
}

int16_t Text::asShort(const Status** st, const char* fmt) const {
  const Status* problem = nullptr;
  int32_t v = asLong(&problem, fmt);
  if (problem == successStatus()) problem = nullptr;
  v = clampTo(v, INT16_MIN, INT16_MAX, &problem);
  report(st, problem != nullptr ? problem : successStatus());
  return static_cast<int16_t>(v);
}

signed char Text::asChar(const Status** st, const char* fmt) const {
  const Status* problem = nullptr;
  int32_t v = asShort(&problem, fmt);
  if (problem == successStatus()) problem = nullptr;
  v = clampTo(v, SCHAR_MIN, SCHAR_MAX, &problem);
  report(st, problem != nullptr ? problem : successStatus());
  return static_cast<signed char>(v);
}

unsigned char Text::asUnsignedChar(const Status** st, const char* fmt) const {
  const Status* problem = nullptr;
  int32_t v = asShort(&problem, fmt);
  if (problem == successStatus()) problem = nullptr;
  v = clampTo(v, 0, UCHAR_MAX, &problem);
  report(st, problem != nullptr ? problem : successStatus());
  return static_cast<unsigned char>(v);
}

uint16_t Text::asUnsignedShort(const Status** st, const char* fmt) const {
  const Status* problem = nullptr;
  int32_t v = asLong(&problem, fmt);
  if (problem == successStatus()) problem = nullptr;
  v = clampTo(v, 0, UINT16_MAX, &problem);
  report(st, problem != nullptr ? problem : successStatus());
  return static_cast<uint16_t>(v);
}

int Text::maxTextLength(const char*, FormatArg arg) const {
  report(arg.status, successStatus());
  return length_ + 1;
}

int Text::binarySize(int n) {
  return n > 0 && n < length_ ? n : length_;
}

char* Text::asString(char* buf, int bufSize, const char*, FormatArg arg) const {
  report(arg.status, successStatus());
  if (buf == nullptr || bufSize < 1) return buf;
  int32_t n = length_ < bufSize - 1 ? length_ : bufSize - 1;
  std::memcpy(buf, chars(), static_cast<std::size_t>(n));
  buf[n] = '\0';
  buf[bufSize - 1] = '\0';
  return buf;
}

char* Text::asSubstring(char* buf, int offset, int bufSize, const char*, FormatArg arg) const {
  report(arg.status, successStatus());
  if (buf == nullptr || bufSize < 1) return buf;
  if (offset < 0 || offset >= length_) {
    buf[0] = '\0';
    return buf;
  }
  int32_t rest = length_ - offset;
  int32_t n = rest < bufSize - 1 ? rest : bufSize - 1;
  std::memcpy(buf, chars() + offset, static_cast<std::size_t>(n));
  buf[n] = '\0';
  buf[bufSize - 1] = '\0';
  return buf;
}

int Text::asBinary(void* buf, int size, int offset) {
  if (buf == nullptr || size <= 0 || offset < 0 || offset >= length_) return 0;
  int32_t rest = length_ - offset;
  int32_t n = size < rest ? size : rest;
  std::memcpy(buf, chars() + offset, static_cast<std::size_t>(n));
  return n;
}

Text& Text::asText(Text& out, const Status** st, const char*) const {
  out = *this;
  report(st, out.status());
  return out;
}

Text& Text::appendToText(Text& out, const Status** st, const char*) const {
  out.append(*this);
  report(st, out.status());
  return out;
}

void* Text::data() {
  return buffer();
}

const Status* Text::set(const char* s, int len, const char*) {
  if (s == nullptr || len == 0) {
    char* b = buffer();
    b[0] = '\0';
    length_ = 0;
    setStatus(successStatus());
    return nullptr;
  }
  int32_t m = boundedLength(s, len);
  if (len < 0) len = m;
  bool own = inside(s, chars(), capacity_);
  std::ptrdiff_t offset = s - chars();
  const Status* r = reserve(plusOne(len));
  if (r->severity() >= kError) {
    setStatus(r);
    return r;
  }
  if (own) s = chars() + offset;
  const Status* result = successStatus();
  if (m > capacity_ - 1) {
    m = capacity_ - 1;
    result = textTruncatedStatus();
  }
  char* b = buffer();
  std::memmove(b, s, static_cast<std::size_t>(m));
  b[m] = '\0';
  length_ = m;
  setStatus(result);
  return answer(result);
}

const Status* Text::setFromScratch(const char* fmt) {
  const char* text = numberText(fmt);
  return set(text, static_cast<int>(std::strlen(text)), nullptr);
}

const Status* Text::set(double v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%.15g", v);
  return setFromScratch(fmt);
}

const Status* Text::set(float v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%.7g", static_cast<double>(v));
  return setFromScratch(fmt);
}

const Status* Text::set(uint32_t v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%u", v);
  return setFromScratch(fmt);
}

const Status* Text::set(int32_t v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%d", v);
  return setFromScratch(fmt);
}

const Status* Text::set(uint16_t v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%u", static_cast<unsigned>(v));
  return setFromScratch(fmt);
}

const Status* Text::set(int16_t v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%d", static_cast<int>(v));
  return setFromScratch(fmt);
}

const Status* Text::set(unsigned char v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%u", static_cast<unsigned>(v));
  return setFromScratch(fmt);
}

const Status* Text::set(char v, const char* fmt) {
  std::snprintf(scratch, sizeof scratch, "%d", static_cast<int>(v));
  return setFromScratch(fmt);
}

bool Text::isGreaterThan(const Datum& x) const {
  if (!x.isKindOf(Text::desc())) return false;
  return std::strcmp(chars(), static_cast<const Text&>(x).chars()) > 0;
}

bool Text::isLessThan(const Datum& x) const {
  if (!x.isKindOf(Text::desc())) return false;
  return std::strcmp(chars(), static_cast<const Text&>(x).chars()) < 0;
}

// Object interface

Object* Text::shallowCopy() const {
  return new Text(*this);
}

int Text::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  int c = std::strcmp(chars(), static_cast<const Text&>(other).chars());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool Text::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  const Text& t = static_cast<const Text&>(other);
  return length_ == t.length_ && (length_ == 0 || std::strcmp(chars(), t.chars()) == 0);
}

uint32_t Text::hash() const {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(chars());
  uint32_t h = static_cast<uint32_t>(length_);
  int32_t i = 0;
  for (; i + 4 <= length_; i += 4) {
    h ^= static_cast<uint32_t>(p[i]) | static_cast<uint32_t>(p[i + 1]) << 8 |
         static_cast<uint32_t>(p[i + 2]) << 16 | static_cast<uint32_t>(p[i + 3]) << 24;
  }
  int32_t rest = length_ - i;
  if (rest > 0) {
    auto extended = [&](int32_t j) {
      return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(p[j])));
    };
    uint32_t w = extended(i) << 24;
    if (rest > 1) w |= extended(i + 1) << 16;
    if (rest > 2) w |= extended(i + 2) << 8;
    h ^= w;
  }
  return h;
}

void Text::printOn(std::ostream& out) const {
  if (length_ > 0) out.write(chars(), length_);
}

uint32_t Text::capacity() const {
  return static_cast<uint32_t>(capacity_);
}

uint32_t Text::size() const {
  return static_cast<uint32_t>(length_);
}

int Text::streamTypeNumber() const {
  return kStreamText;
}

Object* Text::newForStream() const {
  return new (std::nothrow) Text();
}

}  // namespace dv
