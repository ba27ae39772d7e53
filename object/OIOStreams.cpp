// The text and binary object streams.
#include "object/OIOStreams.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "object/Class.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Nil.h"
#include "object/Registry.h"

namespace dv {
namespace {

constexpr char kRecordOpen = '{';
constexpr char kRecordClose = '}';
constexpr char kReference = '@';
constexpr char kNilMark = '~';
constexpr unsigned char kBinaryRecord = 'O';
constexpr unsigned char kBinaryEnd = 'E';
constexpr unsigned char kBinaryReference = 'R';
constexpr unsigned char kBinaryNil = 'N';
// Class names are short: a longer one is damage, not a name to allocate for.
constexpr int32_t kMaxClassName = 255;

bool isSpace(int c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Where the input of in ends, for an input that can seek; -1 otherwise.
int64_t inputEnd(std::istream& in) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) return -1;
  std::streampos here = buf->pubseekoff(0, std::ios::cur, std::ios::in);
  if (here == std::streampos(-1)) return -1;
  std::streampos end = buf->pubseekoff(0, std::ios::end, std::ios::in);
  buf->pubseekpos(here, std::ios::in);
  return end == std::streampos(-1) ? -1 : static_cast<int64_t>(end);
}

// The bytes between the read position of in and end (from inputEnd).
int64_t inputLeft(std::istream& in, int64_t end) {
  if (end < 0) return -1;
  std::streampos here = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
  if (here == std::streampos(-1)) return -1;
  return std::max<int64_t>(0, end - static_cast<int64_t>(here));
}

template <class T>
void putBigEndian(std::ostream& out, T value) {
  using U = std::make_unsigned_t<T>;
  U u = static_cast<U>(value);
  unsigned char buf[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    buf[sizeof(T) - 1 - i] = static_cast<unsigned char>(u & 0xFF);
    u = static_cast<U>(u >> 8);
  }
  out.write(reinterpret_cast<const char*>(buf), sizeof buf);
}

template <class T>
T fromBigEndian(const unsigned char* buf) {
  using U = std::make_unsigned_t<T>;
  U u = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>((u << 8) | buf[i]);
  return static_cast<T>(u);
}

}  // namespace

// ---------------------------------------------------------------------------
// Text output

TextOIOout::TextOIOout(std::ostream& out, int32_t version) : out_(out) {
  setVersion(version);
  int32_t format = dataFormat();
  write(&format, 1);
  if (format == kOIOFormatNew) {
    int32_t v = this->version();
    write(&v, 1);
  }
  out_ << '\n';
}

void TextOIOout::token(const char* text) {
  out_ << text << ' ';
}

// Characters go raw, with no blank after them: their count always precedes
// them, and reads of part of them stay in step.
void TextOIOout::write(const char* v, std::size_t n) {
  out_.write(v, static_cast<std::streamsize>(n));
}

void TextOIOout::write(const unsigned char* v, std::size_t n) {
  write(reinterpret_cast<const char*>(v), n);
}

#define DV_TEXT_WRITE_INTEGERS(Type, Cast, Format)        \
  void TextOIOout::write(const Type* v, std::size_t n) {  \
    char buf[32];                                         \
    for (std::size_t i = 0; i < n; ++i) {                 \
      std::snprintf(buf, sizeof buf, Format, Cast(v[i])); \
      token(buf);                                         \
    }                                                     \
  }

DV_TEXT_WRITE_INTEGERS(int16_t, static_cast<long long>, "%lld")
DV_TEXT_WRITE_INTEGERS(uint16_t, static_cast<unsigned long long>, "%llu")
DV_TEXT_WRITE_INTEGERS(int32_t, static_cast<long long>, "%lld")
DV_TEXT_WRITE_INTEGERS(uint32_t, static_cast<unsigned long long>, "%llu")
DV_TEXT_WRITE_INTEGERS(int64_t, static_cast<long long>, "%lld")
DV_TEXT_WRITE_INTEGERS(uint64_t, static_cast<unsigned long long>, "%llu")
DV_TEXT_WRITE_INTEGERS(float, static_cast<double>, "%.9g")
DV_TEXT_WRITE_INTEGERS(double, static_cast<double>, "%.17g")

#undef DV_TEXT_WRITE_INTEGERS

void TextOIOout::storeObject(const Object& ob) {
  if (&ob == nil()) {
    out_ << kNilMark << ' ';
    return;
  }
  int32_t number = 0;
  switch (prepareStore(ob, &number)) {
    case StoreAs::kRefused:
      return;
    case StoreAs::kReference:
      out_ << kReference << number << ' ';
      return;
    case StoreAs::kContents:
      break;
  }
  out_ << kRecordOpen << ob.className() << ' ' << ob.isA()->signature() << ' ';
  ob.storer(*this);
  out_ << kRecordClose << ' ';
  if (nesting() == 1) out_ << '\n';
}

// ---------------------------------------------------------------------------
// Text input

TextOIOin::TextOIOin(std::istream& in) : in_(in), end_(inputEnd(in)) {
  buildRegistry();
  readHeader();
}

bool TextOIOin::nextToken(std::string* token) {
  token->clear();
  if (severity() >= kError) return false;
  std::streambuf* buf = in_.rdbuf();
  int c = buf->sbumpc();
  while (c != EOF && isSpace(c)) c = buf->sbumpc();
  if (c == EOF) {
    failEndOfInput();
    return false;
  }
  while (c != EOF && !isSpace(c)) {
    token->push_back(static_cast<char>(c));
    c = buf->sbumpc();
  }
  return true;
}

void TextOIOin::read(char* v, std::size_t n) {
  if (severity() >= kError) {
    std::memset(v, 0, n);
    return;
  }
  std::streamsize got = in_.rdbuf()->sgetn(v, static_cast<std::streamsize>(n));
  if (got != static_cast<std::streamsize>(n)) {
    std::memset(v + got, 0, n - static_cast<std::size_t>(got));
    failEndOfInput();
  }
}

void TextOIOin::read(unsigned char* v, std::size_t n) {
  read(reinterpret_cast<char*>(v), n);
}

template <class T>
void TextOIOin::readIntegers(T* v, std::size_t n, const char* what) {
  std::string token;
  for (std::size_t i = 0; i < n; ++i) {
    v[i] = T();
    if (!nextToken(&token)) continue;
    char* end = nullptr;
    errno = 0;
    bool ok = false;
    if constexpr (std::is_floating_point_v<T>) {
      double d = std::strtod(token.c_str(), &end);
      ok = end != token.c_str() && *end == '\0';
      v[i] = static_cast<T>(d);
    } else if constexpr (std::is_signed_v<T>) {
      long long x = std::strtoll(token.c_str(), &end, 10);
      ok = end != token.c_str() && *end == '\0' && errno != ERANGE &&
           x >= static_cast<long long>(std::numeric_limits<T>::min()) &&
           x <= static_cast<long long>(std::numeric_limits<T>::max());
      v[i] = static_cast<T>(x);
    } else {
      unsigned long long x = std::strtoull(token.c_str(), &end, 10);
      ok = end != token.c_str() && *end == '\0' && errno != ERANGE && token[0] != '-' &&
           x <= static_cast<unsigned long long>(std::numeric_limits<T>::max());
      v[i] = static_cast<T>(x);
    }
    if (!ok) {
      v[i] = T();
      failSyntax(what, token.c_str());
    }
  }
}

void TextOIOin::read(int16_t* v, std::size_t n) {
  readIntegers(v, n, "a 16-bit integer");
}
void TextOIOin::read(uint16_t* v, std::size_t n) {
  readIntegers(v, n, "an unsigned 16-bit integer");
}
void TextOIOin::read(int32_t* v, std::size_t n) {
  readIntegers(v, n, "a 32-bit integer");
}
void TextOIOin::read(uint32_t* v, std::size_t n) {
  readIntegers(v, n, "an unsigned 32-bit integer");
}
void TextOIOin::read(int64_t* v, std::size_t n) {
  readIntegers(v, n, "a 64-bit integer");
}
void TextOIOin::read(uint64_t* v, std::size_t n) {
  readIntegers(v, n, "an unsigned 64-bit integer");
}
void TextOIOin::read(float* v, std::size_t n) {
  readIntegers(v, n, "a number");
}
void TextOIOin::read(double* v, std::size_t n) {
  readIntegers(v, n, "a number");
}

void TextOIOin::readItemHead(ItemHead* head) {
  std::string& token = head->text;
  head->kind = ItemHead::kFailed;
  if (!nextToken(&token)) return;
  if (token == std::string(1, kNilMark)) {
    head->kind = ItemHead::kNil;
    return;
  }
  if (token[0] == kReference) {
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(token.c_str() + 1, &end, 10);
    if (end == token.c_str() + 1 || *end != '\0' || errno == ERANGE || n < 0 || n > INT32_MAX) {
      failSyntax("a reference to an object read before", token.c_str());
      return;
    }
    head->kind = ItemHead::kReference;
    head->reference = n;
    return;
  }
  if (token[0] != kRecordOpen || token.size() < 2) {
    failSyntax("an object", token.c_str());
    return;
  }
  head->name = token.substr(1);
  read(&head->signature, 1);
  if (severity() < kError) head->kind = ItemHead::kRecord;
}

int64_t TextOIOin::bytesLeft() const {
  return inputLeft(in_, end_);
}

void TextOIOin::readItemEnd() {
  std::string token;
  if (nextToken(&token) && token != std::string(1, kRecordClose)) {
    failSyntax("the end of an object", token.c_str());
  }
}

// ---------------------------------------------------------------------------
// Binary output

BinaryOIOout::BinaryOIOout(std::ostream& out, int32_t version) : out_(out) {
  setVersion(version);
  int32_t format = dataFormat();
  write(&format, 1);
  if (format == kOIOFormatNew) {
    int32_t v = this->version();
    write(&v, 1);
  }
}

void BinaryOIOout::bytes(const void* p, std::size_t n) {
  out_.write(static_cast<const char*>(p), static_cast<std::streamsize>(n));
}

void BinaryOIOout::write(const char* v, std::size_t n) {
  bytes(v, n);
}
void BinaryOIOout::write(const unsigned char* v, std::size_t n) {
  bytes(v, n);
}

#define DV_BINARY_WRITE(Type, Wire)                                                        \
  void BinaryOIOout::write(const Type* v, std::size_t n) {                                 \
    for (std::size_t i = 0; i < n; ++i) putBigEndian<Wire>(out_, static_cast<Wire>(v[i])); \
  }

DV_BINARY_WRITE(int16_t, int16_t)
DV_BINARY_WRITE(uint16_t, uint16_t)
DV_BINARY_WRITE(int32_t, int32_t)
DV_BINARY_WRITE(uint32_t, uint32_t)
DV_BINARY_WRITE(int64_t, int64_t)
DV_BINARY_WRITE(uint64_t, uint64_t)

#undef DV_BINARY_WRITE

void BinaryOIOout::write(const float* v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &v[i], sizeof bits);
    putBigEndian<uint32_t>(out_, bits);
  }
}

void BinaryOIOout::write(const double* v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &v[i], sizeof bits);
    putBigEndian<uint64_t>(out_, bits);
  }
}

void BinaryOIOout::storeObject(const Object& ob) {
  if (&ob == nil()) {
    out_.put(static_cast<char>(kBinaryNil));
    return;
  }
  int32_t number = 0;
  switch (prepareStore(ob, &number)) {
    case StoreAs::kRefused:
      return;
    case StoreAs::kReference:
      out_.put(static_cast<char>(kBinaryReference));
      putBigEndian<int32_t>(out_, number);
      return;
    case StoreAs::kContents:
      break;
  }
  out_.put(static_cast<char>(kBinaryRecord));
  const char* name = ob.className();
  int32_t length = static_cast<int32_t>(std::strlen(name));
  putBigEndian<int32_t>(out_, length);
  bytes(name, static_cast<std::size_t>(length));
  putBigEndian<uint32_t>(out_, ob.isA()->signature());
  ob.storer(static_cast<OIOoutbin&>(*this));
  out_.put(static_cast<char>(kBinaryEnd));
}

// ---------------------------------------------------------------------------
// Binary input

BinaryOIOin::BinaryOIOin(std::istream& in) : in_(in), end_(inputEnd(in)) {
  buildRegistry();
  readHeader();
}

bool BinaryOIOin::bytes(void* p, std::size_t n) {
  if (severity() >= kError) {
    std::memset(p, 0, n);
    return false;
  }
  std::streamsize got = in_.rdbuf()->sgetn(static_cast<char*>(p), static_cast<std::streamsize>(n));
  if (got != static_cast<std::streamsize>(n)) {
    std::memset(static_cast<char*>(p) + got, 0, n - static_cast<std::size_t>(got));
    failEndOfInput();
    return false;
  }
  return true;
}

void BinaryOIOin::read(char* v, std::size_t n) {
  bytes(v, n);
}
void BinaryOIOin::read(unsigned char* v, std::size_t n) {
  bytes(v, n);
}

#define DV_BINARY_READ(Type)                                             \
  void BinaryOIOin::read(Type* v, std::size_t n) {                       \
    unsigned char buf[sizeof(Type)];                                     \
    for (std::size_t i = 0; i < n; ++i) {                                \
      v[i] = bytes(buf, sizeof buf) ? fromBigEndian<Type>(buf) : Type(); \
    }                                                                    \
  }

DV_BINARY_READ(int16_t)
DV_BINARY_READ(uint16_t)
DV_BINARY_READ(int32_t)
DV_BINARY_READ(uint32_t)
DV_BINARY_READ(int64_t)
DV_BINARY_READ(uint64_t)

#undef DV_BINARY_READ

void BinaryOIOin::read(float* v, std::size_t n) {
  unsigned char buf[4];
  for (std::size_t i = 0; i < n; ++i) {
    uint32_t bits = bytes(buf, sizeof buf) ? fromBigEndian<uint32_t>(buf) : 0;
    std::memcpy(&v[i], &bits, sizeof bits);
  }
}

void BinaryOIOin::read(double* v, std::size_t n) {
  unsigned char buf[8];
  for (std::size_t i = 0; i < n; ++i) {
    uint64_t bits = bytes(buf, sizeof buf) ? fromBigEndian<uint64_t>(buf) : 0;
    std::memcpy(&v[i], &bits, sizeof bits);
  }
}

namespace {

// A byte that marks nothing known, for a syntax report.
std::string byteText(unsigned char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", c);
  return text;
}

}  // namespace

void BinaryOIOin::readItemHead(ItemHead* head) {
  head->kind = ItemHead::kFailed;
  unsigned char tag = 0;
  if (!bytes(&tag, 1)) return;
  if (tag == kBinaryNil) {
    head->kind = ItemHead::kNil;
    return;
  }
  if (tag == kBinaryReference) {
    int32_t n = 0;
    read(&n, 1);
    if (severity() >= kError) return;
    head->text = std::to_string(n);
    head->kind = ItemHead::kReference;
    head->reference = n;
    return;
  }
  if (tag != kBinaryRecord) {
    failSyntax("an object", byteText(tag).c_str());
    return;
  }
  int32_t length = 0;
  read(&length, 1);
  if (severity() >= kError) return;
  if (length < 1 || length > kMaxClassName) {
    failSyntax("a class name", std::to_string(length).c_str());
    return;
  }
  head->name.assign(static_cast<std::size_t>(length), '\0');
  if (!bytes(&head->name[0], head->name.size())) return;
  read(&head->signature, 1);
  if (severity() < kError) head->kind = ItemHead::kRecord;
}

int64_t BinaryOIOin::bytesLeft() const {
  return inputLeft(in_, end_);
}

void BinaryOIOin::readItemEnd() {
  unsigned char end = 0;
  if (bytes(&end, 1) && end != kBinaryEnd)
    failSyntax("the end of an object", byteText(end).c_str());
}

}  // namespace dv
