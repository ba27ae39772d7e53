// The byte buffer value.
#include "datum/Binary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "datum/DatumStatus.h"
#include "object/Allocation.h"
#include "object/Exception.h"
#include "object/HexDump.h"
#include "object/OIO.h"

namespace dv {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint32_t kDefaultSize = 32;

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Binary, Datum)

const Class& Binary::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Binary", bases, none, none, 1, Class::kIdent, sizeof(Binary),
                            &readObjectText<Binary>, &readObjectBinary<Binary>, nullptr, nullptr,
                            nullptr);
  return d;
}

uint32_t Binary::roundCapacity(uint32_t n) {
  if (n < 256) return ((n + 1) / 32 + 1) * 32;
  if (n < 512) return 512;
  if (n < 768) return 768;
  if (n < 1024) return 1024;
  if (n < 2048) return 2048;
  if (n < 4096) return 4096;
  if (n < 8192) return 8192;
  if (n < 16384) return 16384;
  if (n < 32768) return 32768;
  return ((n + 1) / 32768 + 1) * 32768;
}

bool Binary::grow(uint32_t n, bool exact) {
  uint32_t size = exact ? n : roundCapacity_(n);
  // New bytes are zero, so that reads up to the capacity read defined bytes.
  unsigned char* block = static_cast<unsigned char*>(allocate(size));
  if (block == nullptr) {
    setStatus(outOfMemoryStatus());
    return false;
  }
  if (capacity_ > 0) std::memcpy(block, bytes_, capacity_);
  std::memset(block + capacity_, 0, size - capacity_);
  deallocate(bytes_);
  bytes_ = block;
  capacity_ = size;
  return true;
}

Binary::Binary() {
  grow(kDefaultSize);
}

Binary::Binary(uint32_t capacity) {
  grow(capacity);
}

Binary::Binary(const void* bytes, uint32_t n, bool copy) {
  if (!copy) {
    bytes_ = static_cast<unsigned char*>(const_cast<void*>(bytes));
    capacity_ = n;
    length_ = n;
    owned_ = false;
    roundCapacity_ = nullptr;
    return;
  }
  if (grow(n) && n > 0) {
    std::memcpy(bytes_, bytes, n);
    length_ = n;
  }
}

Binary::Binary(const Binary& other) : Datum(other) {
  if (grow(other.length_) && other.length_ > 0) {
    std::memcpy(bytes_, other.bytes_, other.length_);
    length_ = other.length_;
  }
}

Binary& Binary::operator=(const Binary& other) {
  if (this == &other) return *this;
  Datum::operator=(other);
  length_ = 0;
  write(other.bytes_, 0, other.length_);
  length_ = other.length_ <= capacity_ ? other.length_ : capacity_;
  return *this;
}

Binary::~Binary() {
  if (owned_) deallocate(bytes_);
}

uint32_t Binary::write(const void* src, uint32_t offset, uint32_t n) {
  uint64_t end = static_cast<uint64_t>(offset) + n;
  if (end > capacity_ && owned_ && end <= UINT32_MAX) grow(static_cast<uint32_t>(end));
  uint32_t room = offset < capacity_ ? capacity_ - offset : 0;
  uint32_t copied = n <= room ? n : room;
  // A buffer that cannot grow says so when it had to cut the contents; an
  // owned one that failed to grow already holds the out-of-memory status.
  if (copied < n && !owned_) setStatus(binaryTruncatedStatus());
  if (copied == 0) return 0;
  std::memcpy(bytes_ + offset, src, copied);
  if (offset + copied > length_) length_ = offset + copied;
  return copied;
}

uint32_t Binary::read(void* dst, uint32_t offset, uint32_t n) const {
  if (offset >= capacity_) return 0;
  uint32_t room = capacity_ - offset;
  uint32_t copied = n <= room ? n : room;
  if (copied > 0) std::memcpy(dst, bytes_ + offset, copied);
  return copied;
}

void Binary::setLength(uint32_t n) {
  if (n >= capacity_ && owned_ && n < UINT32_MAX) grow(n + 1);
  length_ = n <= capacity_ ? n : capacity_;
}

Datum* Binary::newEmpty() const {
  return new (std::nothrow) Binary;
}

int Binary::typeCode() const {
  return kTypeBinary;
}

int Binary::maxTextLength(const char*, FormatArg arg) const {
  int n = static_cast<int>(2 * length_ + 1);
  return (arg.options & kOptionLowDigitFirst) != 0 ? n - 1 : n;
}

char* Binary::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  return asSubstring(buf, 0, bufSize, fmt, arg);
}

char* Binary::asSubstring(char* buf, int offset, int bufSize, const char*, FormatArg arg) const {
  if (buf == nullptr || bufSize < 1) return buf;
  buf[0] = '\0';
  if (bufSize < 2 || offset < 0 || static_cast<uint32_t>(offset) >= length_) return buf;
  int room = bufSize - 1;
  int out = 0;
  for (uint32_t i = static_cast<uint32_t>(offset); i < length_ && out < room; ++i) {
    unsigned char b = bytes_[i];
    bool lowOnly = i == static_cast<uint32_t>(offset) && (arg.options & kOptionLowDigitFirst) != 0;
    if (lowOnly) {
      buf[out++] = kHexDigits[b & 0x0F];
      continue;
    }
    if (out + 2 <= room) {
      buf[out++] = kHexDigits[b >> 4];
      buf[out++] = kHexDigits[b & 0x0F];
    } else {
      // Only the high digit fits.
      if ((arg.options & kOptionKeepHalfByte) != 0) buf[out++] = kHexDigits[b >> 4];
      break;
    }
  }
  buf[out] = '\0';
  return buf;
}

int Binary::binarySize(int n) {
  if (n <= 0) return static_cast<int>(length_);
  return static_cast<uint32_t>(n) < length_ ? n : static_cast<int>(length_);
}

int Binary::asBinary(void* buf, int size, int offset) {
  if (buf == nullptr || size <= 0 || offset < 0 || static_cast<uint32_t>(offset) >= length_) {
    return 0;
  }
  uint32_t available = length_ - static_cast<uint32_t>(offset);
  uint32_t n = static_cast<uint32_t>(size) < available ? static_cast<uint32_t>(size) : available;
  std::memcpy(buf, bytes_ + offset, n);
  return static_cast<int>(n);
}

const Status* Binary::set(const char* s, int len, const char*) {
  if (s != nullptr && len > 0) write(s, 0, static_cast<uint32_t>(len));
  return nullptr;
}

#define DV_BINARY_SET(Type)                        \
  const Status* Binary::set(Type v, const char*) { \
    write(&v, 0, sizeof v);                        \
    return nullptr;                                \
  }

DV_BINARY_SET(double)
DV_BINARY_SET(float)
DV_BINARY_SET(uint32_t)
DV_BINARY_SET(int32_t)
DV_BINARY_SET(uint16_t)
DV_BINARY_SET(int16_t)
DV_BINARY_SET(unsigned char)
DV_BINARY_SET(char)

#undef DV_BINARY_SET

bool Binary::isGreaterThan(const Datum& x) const {
  return x.isKindOf(Binary::desc()) && length_ > static_cast<const Binary&>(x).length_;
}

bool Binary::isLessThan(const Datum& x) const {
  return x.isKindOf(Binary::desc()) && length_ < static_cast<const Binary&>(x).length_;
}

Object* Binary::shallowCopy() const {
  return new Binary(*this);
}

int Binary::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  const Binary& o = static_cast<const Binary&>(other);
  if (length_ != o.length_) return length_ < o.length_ ? -1 : 1;
  int c = length_ > 0 ? std::memcmp(bytes_, o.bytes_, length_) : 0;
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

uint32_t Binary::hash() const {
  uint32_t h = length_;
  for (uint32_t i = 0; i < length_; ++i) h = h * 31 + bytes_[i];
  return h;
}

void Binary::printOn(std::ostream& out) const {
  hexDump("Binary Datum", bytes_, length_, out);
}

// Stored as the capacity, the length, the owned flag, then the buffer as
// 32-bit words, byte 0 in the top byte of word 0. A capacity that is not a
// multiple of 4 gets a last, zero-padded word, so that no byte is lost.
Binary::Binary(OIOin& stream) : Datum(stream) {
  uint32_t capacity = 0;
  uint32_t length = 0;
  bool owned = true;
  stream >> capacity >> length >> owned;
  uint32_t words = capacity / 4 + (capacity % 4 != 0 ? 1 : 0);
  if (stream.severity() >= kError || !stream.checkCount(words, UINT32_MAX, "a capacity")) return;
  if (length > capacity) {
    stream.failSyntax("a length within the capacity", std::to_string(length).c_str());
    return;
  }
  // The value read always owns its buffer: a borrowed one cannot be restored.
  // The buffer grows by doubling to the stored capacity as the words arrive.
  if (capacity > 0 &&
      !grow(static_cast<uint32_t>(std::min<int64_t>(capacity, stream.roomFor(words) * 4)), true)) {
    stream.failOutOfMemory();
    return;
  }
  OnUnwind freeBuffer([this] {
    deallocate(bytes_);
    bytes_ = nullptr;
  });
  for (uint32_t w = 0; w < words && stream.severity() < kError; ++w) {
    uint32_t word = 0;
    stream >> word;
    uint64_t need = uint64_t{w} * 4 + 4;  // the bytes up to the end of this word
    if (need > capacity_ && capacity_ < capacity) {
      uint64_t more = std::max<uint64_t>(need, uint64_t{capacity_} * 2);
      if (!grow(static_cast<uint32_t>(std::min<uint64_t>(more, capacity)), true)) {
        stream.failOutOfMemory();
        return;
      }
    }
    for (int b = 0; b < 4; ++b) {
      uint32_t i = w * 4 + static_cast<uint32_t>(b);
      if (i < capacity_) bytes_[i] = static_cast<unsigned char>(word >> (24 - 8 * b));
    }
  }
  if (stream.severity() < kError) length_ = length;
}

void Binary::storer(OIOout& stream) const {
  Datum::storer(stream);
  stream << capacity_ << length_ << owned_;
  uint32_t words = capacity_ / 4 + (capacity_ % 4 != 0 ? 1 : 0);
  for (uint32_t w = 0; w < words; ++w) {
    uint32_t word = 0;
    for (int b = 0; b < 4; ++b) {
      uint32_t i = w * 4 + static_cast<uint32_t>(b);
      uint32_t byte = i < capacity_ ? bytes_[i] : 0;
      word |= byte << (24 - 8 * b);
    }
    stream << word;
  }
}

}  // namespace dv
