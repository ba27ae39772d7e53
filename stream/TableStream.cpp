// The tagged value stream: framing, the field writers and readers, sharing
// within a message, and the byte sources and destinations under the buffers.
#include "stream/TableStream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "object/Allocation.h"
#include "object/Nil.h"
#include "object/Registry.h"
#include "stream/BufferTransfer.h"
#include "stream/ConnectionHandles.h"
#include "stream/IOBuf.h"
#include "stream/IOBufList.h"
#include "stream/IOBufMgr.h"

namespace dv {
namespace {

constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

// String length forms: n in the type byte, or a length that follows.
constexpr uint8_t kLength1 = 29;
constexpr uint8_t kLength2 = 30;
constexpr uint8_t kLength4 = 31;
// Stream type number forms.
constexpr uint8_t kNumberInline = 13;
constexpr uint8_t kNumber1 = 13;
constexpr uint8_t kNumber2 = 14;
constexpr uint8_t kNumber4 = 15;
// The name readName leaves untranslated.
constexpr const char* kUntranslatedName = "@__CSI_ID__";
// Growth of the reader's table.
constexpr uint32_t kReadTableStep = 16000;
constexpr uint32_t kReadTableStart = 16;

char facilityBuffer[64];
const bool facilityCopied =
    (std::strncpy(facilityBuffer, "TableStream", sizeof facilityBuffer - 1), true);

const char* messageOf(uint32_t code) {
  switch (code) {
    case kXioReadFailed:
      return "Failure reading data from file.";
    case kXioWriteFailed:
      return "Failure writing data to file.";
    case kXioLocalFailure:
      return "Communications connection failed locally.";
    case kXioClosedRemotely:
      return "Communications connection closed remotely.";
    case kXioReceiveTimeout:
      return "Receive timeout, closing connection.";
    case kXioSystemError:
      return "Local system error.";
    case kXioCannotInterpret:
      return "Cannot interpret input data.\nVersions incompatible.";
    case kXioNotStreamable:
      return "($01$)Attempt to stream a non-streamable object.";
    case kXioBadAttribute:
      return "($01$)Attempt to stream a non-streamable attribute.";
    default:
      return "($01$)Unknown attribute type streamed or domain/range overflow occured.";
  }
}

// The status code for a failed connection call, by the connection's kind.
uint32_t codeOfConnectionKind(int32_t kind) {
  switch (kind) {
    case Connection::kClosedByPeer:
      return kXioClosedRemotely;
    case Connection::kSocketError:
      return kXioLocalFailure;
    case Connection::kTimeLimit:
      return kXioReceiveTimeout;
    default:
      return kXioSystemError;
  }
}

int clampBufferSize(int size) {
  return size < TableStream::kMinBufferSize || size > TableStream::kMaxBufferSize
             ? TableStream::kMaxBufferSize
             : size;
}

// The shared pool of input buffers, made on first use with the first size asked.
IOBufMgr* inputPool(int bufferSize) {
  static IOBufMgr* pool = nullptr;
  if (pool != nullptr) return pool;
  IOBufIn* records = new (std::nothrow) IOBufIn[TableStream::kPoolBuffers];
  uint8_t* block = static_cast<uint8_t*>(
      allocate(static_cast<std::size_t>(TableStream::kPoolBuffers) * bufferSize));
  IOBufMgr* made = nullptr;
  if (records != nullptr && block != nullptr) {
    made = new (std::nothrow)
        IOBufMgr(records, TableStream::kPoolBuffers, static_cast<uint32_t>(bufferSize), block);
  }
  if (made == nullptr) {
    delete[] records;
    deallocate(block);
    return nullptr;
  }
  pool = made;  // held for the life of the process
  return pool;
}

void copyBytes(uint8_t* dst, const uint8_t* src, uint32_t n, bool reverse) {
  if (!reverse || n == 1) {
    std::memcpy(dst, src, n);
    return;
  }
  switch (n) {
    case 2: {
      uint16_t v;
      std::memcpy(&v, src, 2);
      v = __builtin_bswap16(v);
      std::memcpy(dst, &v, 2);
      return;
    }
    case 4: {
      uint32_t v;
      std::memcpy(&v, src, 4);
      v = __builtin_bswap32(v);
      std::memcpy(dst, &v, 4);
      return;
    }
    case 8: {
      uint64_t v;
      std::memcpy(&v, src, 8);
      v = __builtin_bswap64(v);
      std::memcpy(dst, &v, 8);
      return;
    }
    default:
      for (uint32_t i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
  }
}

// The type byte and the big-endian bytes of a number of n bytes, in out.
template <class T>
uint32_t encodeNumber(uint8_t kind, T v, uint8_t* out) {
  out[0] = kind;
  copyBytes(out + 1, reinterpret_cast<const uint8_t*>(&v), sizeof v, kLittleEndian);
  return 1 + sizeof v;
}

}  // namespace

const char* TableStream::facilityName() {
  (void)facilityCopied;
  return facilityBuffer;
}

// The refill and flush functions of the buffer lists.
struct TableStream::Io {
  static const Status* refill(IOBufList& list, void* arg, uint32_t) {
    TableStream& s = *static_cast<TableStream*>(arg);
    while (list.head() != nullptr && list.head()->remaining() == 0) list.head()->unlink();
    IOBufMgr* pool = inputPool(kMaxBufferSize);
    IOBufIn* buf = nullptr;
    if (pool == nullptr || pool->take(buf, IOBuf::kInput) != successStatus()) {
      s.failOutOfMemory();
      return s.status_;
    }
    std::size_t n = s.fill(buf->data(), buf->capacity());
    if (n == 0) {
      buf->release();
      return s.status_;
    }
    (void)buf->setWindow(0, static_cast<uint32_t>(n));
    list.append(*buf);
    buf->release();  // the list holds it now
    list.setCurrent(buf);
    return nullptr;
  }

  static const Status* flush(IOBufList& list, void* arg, uint32_t) {
    TableStream& s = *static_cast<TableStream*>(arg);
    IOBufIn* buf = list.current();
    if (!s.emit(buf->data(), buf->start())) return s.status_;
    (void)buf->setWindow(0, buf->capacity());
    return nullptr;
  }
};

TableStream::TableStream(int fd, int connection, const uint8_t* translation, int sharing)
    : status_(successStatus()),
      fd_(fd),
      connection_(fd >= 0 ? -1 : connection),
      translation_(translation),
      sharing_(sharing) {}

TableStream::TableStream(const uint8_t* data, std::size_t size, const uint8_t* translation,
                         int sharing)
    : status_(successStatus()),
      fd_(-1),
      connection_(-1),
      memory_(data),
      memorySize_(data != nullptr ? size : 0),
      overMemory_(true),
      translation_(translation),
      sharing_(sharing) {}

TableStream::~TableStream() {
  endMessage();
  if (input_ != nullptr) input_->release();
  if (output_ != nullptr) output_->release();
  if (outBuf_ != nullptr) outBuf_->release();
  deallocate(sharedSlots_);
  deallocate(readTable_);
  deallocate(written_);
  status_->release();
}

bool TableStream::fail(uint32_t code, int32_t externError) {
  const Status* s = makeErrorStatus(code, true, kXioErrName, messageOf(code), externError, false);
  status_->release();
  status_ = s;
  return false;
}

bool TableStream::failOutOfMemory() {
  status_->release();
  status_ = outOfMemoryStatus();
  return false;
}

// Sources and destinations.

std::size_t TableStream::fill(uint8_t* into, std::size_t n) {
  if (overMemory_) {
    std::size_t left = memorySize_ - memoryAt_;
    if (left == 0) {
      fail(kXioReadFailed, 0);
      return 0;
    }
    std::size_t m = left < n ? left : n;
    std::memcpy(into, memory_ + memoryAt_, m);
    memoryAt_ += m;
    return m;
  }
  if (fd_ >= 0) {
    for (;;) {
      ssize_t r = ::read(fd_, into, n);
      if (r > 0) return static_cast<std::size_t>(r);
      if (r < 0 && errno == EINTR) continue;
      fail(kXioReadFailed, r < 0 ? errno : 0);
      return 0;
    }
  }
  int32_t kind = 0;
  int32_t number = 0;
  int r = receiveHandle(connection_, into, static_cast<int>(n), receiveLimit_, &kind, &number);
  if (r > 0) return static_cast<std::size_t>(r);
  fail(codeOfConnectionKind(kind), number);
  return 0;
}

bool TableStream::emit(const uint8_t* bytes, std::size_t n) {
  if (n == 0) return true;
  if (overMemory_) {
    if (writtenSize_ + n > writtenCapacity_) {
      std::size_t cap = writtenCapacity_ > 0 ? writtenCapacity_ : 256;
      while (cap < writtenSize_ + n) cap *= 2;
      uint8_t* grown = static_cast<uint8_t*>(allocate(cap));
      if (grown == nullptr) return failOutOfMemory();
      if (writtenSize_ > 0) std::memcpy(grown, written_, writtenSize_);
      deallocate(written_);
      written_ = grown;
      writtenCapacity_ = cap;
    }
    std::memcpy(written_ + writtenSize_, bytes, n);
    writtenSize_ += n;
    return true;
  }
  if (fd_ >= 0) {
    std::size_t done = 0;
    while (done < n) {
      ssize_t w = ::write(fd_, bytes + done, n - done);
      if (w > 0) {
        done += static_cast<std::size_t>(w);
        continue;
      }
      if (w < 0 && errno == EINTR) continue;
      return fail(kXioWriteFailed, w < 0 ? errno : 0);
    }
    return true;
  }
  int32_t kind = 0;
  int32_t number = 0;
  int w = sendHandle(connection_, bytes, static_cast<int>(n), &kind, &number);
  if (w != static_cast<int>(n)) return fail(codeOfConnectionKind(kind), number);
  return true;
}

// Set-up and framing.

bool TableStream::prepareRead(int bufferSize) {
  if (state_ == kReading) return true;
  if (state_ == kWriting) return fail(kXioSystemError);
  // The statuses register their prototypes with the registry.
  if (!registryBuilt()) buildRegistry();
  if (inputPool(clampBufferSize(bufferSize)) == nullptr) return failOutOfMemory();
  input_ = new (std::nothrow) IOBufList();
  if (input_ == nullptr) return failOutOfMemory();
  state_ = kReading;
  return true;
}

bool TableStream::prepareWrite(int bufferSize) {
  if (state_ == kWriting) return true;
  if (state_ == kReading) return fail(kXioSystemError);
  uint32_t size = static_cast<uint32_t>(clampBufferSize(bufferSize));
  output_ = new (std::nothrow) IOBufList();
  if (output_ == nullptr) return failOutOfMemory();
  outBuf_ = new (std::nothrow) IOBufIn(nullptr, true, size, 0, size, IOBuf::kOutput);
  if (outBuf_ == nullptr || outBuf_->data() == nullptr) {
    if (outBuf_ != nullptr) outBuf_->release();
    outBuf_ = nullptr;
    output_->release();
    output_ = nullptr;
    return failOutOfMemory();
  }
  output_->append(*outBuf_);
  state_ = kWriting;
  return true;
}

bool TableStream::writeMessage(const Object& value, bool flushNow, int bufferSize) {
  if (!prepareWrite(bufferSize)) return false;
  depth_ = 0;
  bool ok = writeTag(kMessageStart) && writeObject(value);
  endMessage();
  if (ok && flushNow) ok = flush();
  return ok;
}

bool TableStream::readMessage(Object*& value, int bufferSize) {
  value = nullptr;
  if (!prepareRead(bufferSize)) return false;
  depth_ = 0;
  uint8_t first = 0;
  if (!readTag(first)) return false;
  if (first != kMessageStart) return fail(kXioCannotInterpret);
  Object* ob = nullptr;
  bool ok = readObject(ob);
  endMessage();
  if (ok) value = ob;
  return ok;
}

bool TableStream::flush() {
  if (state_ != kWriting) return true;
  if (!emit(outBuf_->data(), outBuf_->start())) return false;
  (void)outBuf_->setWindow(0, outBuf_->capacity());
  return true;
}

void TableStream::endMessage() {
  for (uint32_t i = 0; i < readReserved_; ++i) {
    if (readTable_[i] != nullptr) readTable_[i]->release();
    readTable_[i] = nullptr;
  }
  readReserved_ = 0;
  if (sharedCount_ > 0) {
    std::memset(sharedSlots_, 0, sizeof(SharedSlot) * sharedCapacity_);
    sharedCount_ = 0;
  }
}

// Raw bytes.

bool TableStream::put(const void* bytes, uint32_t n, bool reverse) {
  if (state_ != kWriting && !prepareWrite(kMaxBufferSize)) return false;
  IOBufIn* buf = output_->current();
  if (buf->remaining() >= n) {
    copyBytes(buf->current(), static_cast<const uint8_t*>(bytes), n, reverse);
    buf->consume(n);
    return true;
  }
  const Status* st = transfer(*output_, const_cast<void*>(bytes), n, reverse, &Io::flush, this);
  return st == successStatus();
}

bool TableStream::get(void* bytes, uint32_t n, bool reverse) {
  if (state_ != kReading && !prepareRead(kMaxBufferSize)) return false;
  IOBufIn* buf = input_->current();
  if (buf != nullptr && buf->remaining() >= n) {
    copyBytes(static_cast<uint8_t*>(bytes), buf->current(), n, reverse);
    buf->consume(n);
    return true;
  }
  const Status* st = transfer(*input_, bytes, n, reverse, &Io::refill, this);
  if (st != successStatus() && status_ == successStatus()) fail(kXioReadFailed);
  return st == successStatus();
}

// Writers.

bool TableStream::writeTag(uint8_t tag) {
  return put(&tag, 1, false);
}

bool TableStream::writeChar(uint8_t v) {
  uint8_t b[2] = {kChar, v};
  return put(b, 2, false);
}

bool TableStream::writeShort(int16_t v) {
  uint8_t b[3];
  return put(b, encodeNumber(kShort, v, b), false);
}

bool TableStream::writeLong(int32_t v) {
  uint8_t b[5];
  return put(b, encodeNumber(kLong, v, b), false);
}

bool TableStream::writeFloat(float v) {
  uint8_t b[5];
  return put(b, encodeNumber(kFloat, v, b), false);
}

bool TableStream::writeDouble(double v) {
  uint8_t b[9];
  return put(b, encodeNumber(kDouble, v, b), false);
}

bool TableStream::writeString(const char* s, uint32_t length) {
  if (s == nullptr) length = 0;
  uint8_t n = length < kLength1 ? static_cast<uint8_t>(length)
              : length < 256    ? kLength1
              : length < 65536  ? kLength2
                                : kLength4;
  if (!writeTag(static_cast<uint8_t>(kString | (n << 3)))) return false;
  bool ok = true;
  if (n == kLength1) {
    uint8_t l = static_cast<uint8_t>(length);
    ok = put(&l, 1, false);
  } else if (n == kLength2) {
    uint16_t l = static_cast<uint16_t>(length);
    ok = put(&l, 2, kLittleEndian);
  } else if (n == kLength4) {
    ok = put(&length, 4, kLittleEndian);
  }
  return ok && (length == 0 || put(s, length, false));
}

bool TableStream::writeString(const char* s) {
  return writeString(s, s != nullptr ? static_cast<uint32_t>(std::strlen(s)) : 0);
}

bool TableStream::lookUpShared(const Object& ob, uint32_t* number, bool* known) {
  if (sharedCount_ * 2 >= sharedCapacity_) {
    uint32_t cap = sharedCapacity_ > 0 ? sharedCapacity_ * 2 : 64;
    auto* grown = static_cast<SharedSlot*>(allocate(sizeof(SharedSlot) * cap));
    if (grown == nullptr) return failOutOfMemory();
    std::memset(grown, 0, sizeof(SharedSlot) * cap);
    for (uint32_t i = 0; i < sharedCapacity_; ++i) {
      const SharedSlot& old = sharedSlots_[i];
      if (old.ob == nullptr) continue;
      uint32_t h = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(old.ob) >> 4);
      uint32_t j = h & (cap - 1);
      while (grown[j].ob != nullptr) j = (j + 1) & (cap - 1);
      grown[j] = old;
    }
    deallocate(sharedSlots_);
    sharedSlots_ = grown;
    sharedCapacity_ = cap;
  }
  uint32_t h = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ob) >> 4);
  uint32_t j = h & (sharedCapacity_ - 1);
  while (sharedSlots_[j].ob != nullptr) {
    if (sharedSlots_[j].ob == &ob) {
      *number = sharedSlots_[j].number;
      *known = true;
      return true;
    }
    j = (j + 1) & (sharedCapacity_ - 1);
  }
  ++sharedCount_;
  sharedSlots_[j].ob = &ob;
  sharedSlots_[j].number = sharedCount_;
  *number = sharedCount_;
  *known = false;
  return true;
}

bool TableStream::writeObject(const Object& ob) {
  int number = ob.streamTypeNumber();
  if (number < 0 || depth_ >= kMaxNesting) return fail(kXioNotStreamable);
  bool shared = ob.refCount() != 1 && !(sharing_ == kShareNoArrays && number >= 12 && number <= 19);
  uint32_t reference = 0;
  bool known = false;
  if (shared && !lookUpShared(ob, &reference, &known)) return false;
  uint32_t u = static_cast<uint32_t>(number);
  uint8_t n = u < kNumberInline ? static_cast<uint8_t>(u)
              : u < 256         ? kNumber1
              : u < 65536       ? kNumber2
                                : kNumber4;
  uint8_t type = static_cast<uint8_t>(kObject | (shared ? kSharedFlag : 0) | (n << 4));
  bool ok = writeTag(type);
  if (ok && n == kNumber1) {
    uint8_t b = static_cast<uint8_t>(u);
    ok = put(&b, 1, false);
  } else if (ok && n == kNumber2) {
    uint16_t b = static_cast<uint16_t>(u);
    ok = put(&b, 2, kLittleEndian);
  } else if (ok && n == kNumber4) {
    ok = put(&u, 4, kLittleEndian);
  }
  if (ok && shared) ok = put(&reference, 4, kLittleEndian);
  if (!ok || known) return ok;
  ++depth_;
  ok = ob.streamOut(*this);
  --depth_;
  if (!ok && status_ == successStatus()) fail(kXioNotStreamable);
  return ok;
}

// Readers.

bool TableStream::readTag(uint8_t& tag) {
  return get(&tag, 1, false);
}

bool TableStream::readNumber(uint8_t type, double* asDouble, int64_t* asInteger, bool* integral) {
  switch (type & kKindMask) {
    case kChar: {
      int8_t v = 0;
      if (!get(&v, 1, false)) return false;
      *asInteger = v;
      *integral = true;
      return true;
    }
    case kShort: {
      int16_t v = 0;
      if (!get(&v, 2, kLittleEndian)) return false;
      *asInteger = v;
      *integral = true;
      return true;
    }
    case kLong: {
      int32_t v = 0;
      if (!get(&v, 4, kLittleEndian)) return false;
      *asInteger = v;
      *integral = true;
      return true;
    }
    case kFloat: {
      float v = 0;
      if (!get(&v, 4, kLittleEndian)) return false;
      *asDouble = v;
      *integral = false;
      return true;
    }
    case kDouble: {
      double v = 0;
      if (!get(&v, 8, kLittleEndian)) return false;
      *asDouble = v;
      *integral = false;
      return true;
    }
    default:
      return fail(kXioBadAttributeType);
  }
}

bool TableStream::readChar(uint8_t& v) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  uint8_t kind = type & kKindMask;
  if (kind != kChar && kind != kShort && kind != kLong) return fail(kXioBadAttributeType);
  double d = 0;
  int64_t i = 0;
  bool integral = false;
  if (!readNumber(type, &d, &i, &integral)) return false;
  if (kind == kChar) {
    v = static_cast<uint8_t>(i);
  } else if (i >= 0 && i <= 255) {
    v = static_cast<uint8_t>(i);
  }
  return true;
}

bool TableStream::readShort(int16_t& v) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  uint8_t kind = type & kKindMask;
  if (kind != kChar && kind != kShort && kind != kLong) return fail(kXioBadAttributeType);
  double d = 0;
  int64_t i = 0;
  bool integral = false;
  if (!readNumber(type, &d, &i, &integral)) return false;
  if (kind != kLong) {
    v = static_cast<int16_t>(i);
  } else if (i >= 0 && i <= 65535) {
    v = static_cast<int16_t>(static_cast<uint16_t>(i));
  }
  return true;
}

bool TableStream::readLong(int32_t& v) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  uint8_t kind = type & kKindMask;
  if (kind != kChar && kind != kShort && kind != kLong) return fail(kXioBadAttributeType);
  double d = 0;
  int64_t i = 0;
  bool integral = false;
  if (!readNumber(type, &d, &i, &integral)) return false;
  v = static_cast<int32_t>(i);
  return true;
}

bool TableStream::readFloat(float& v) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  double d = 0;
  int64_t i = 0;
  bool integral = false;
  if (!readNumber(type, &d, &i, &integral)) return false;
  v = integral ? static_cast<float>(i) : static_cast<float>(d);
  return true;
}

bool TableStream::readDouble(double& v) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  double d = 0;
  int64_t i = 0;
  bool integral = false;
  if (!readNumber(type, &d, &i, &integral)) return false;
  v = integral ? static_cast<double>(i) : d;
  return true;
}

bool TableStream::readStringLength(uint32_t& length) {
  uint8_t type = 0;
  if (!readTag(type)) return false;
  if ((type & kKindMask) != kString) return fail(kXioBadAttributeType);
  uint32_t n = type >> 3;
  if (n == kLength1) {
    uint8_t l = 0;
    if (!get(&l, 1, false)) return false;
    n = l;
  } else if (n == kLength2) {
    uint16_t l = 0;
    if (!get(&l, 2, kLittleEndian)) return false;
    n = l;
  } else if (n == kLength4) {
    if (!get(&n, 4, kLittleEndian)) return false;
  }
  length = n;
  return true;
}

const uint8_t* TableStream::takeBuffered(uint32_t n) {
  if (state_ != kReading) return nullptr;
  IOBufIn* buf = input_->current();
  if (buf == nullptr || buf->remaining() < n) return nullptr;
  const uint8_t* p = buf->current();
  buf->consume(n);
  return p;
}

bool TableStream::readStringBytes(uint32_t n, char*& s) {
  s = nullptr;
  // The block grows with the bytes that have arrived, never to the
  // announced length ahead of them.
  std::size_t total = n;
  std::size_t cap = total < kMaxBufferSize ? total : kMaxBufferSize;
  char* block = static_cast<char*>(allocate(cap + 1));
  if (block == nullptr) return failOutOfMemory();
  std::size_t have = 0;
  while (have < total) {
    if (have == cap) {
      std::size_t grown = cap * 2 < total ? cap * 2 : total;
      char* bigger = static_cast<char*>(allocate(grown + 1));
      if (bigger == nullptr) {
        deallocate(block);
        return failOutOfMemory();
      }
      std::memcpy(bigger, block, have);
      deallocate(block);
      block = bigger;
      cap = grown;
    }
    uint32_t chunk = static_cast<uint32_t>(cap - have);
    if (!get(block + have, chunk, false)) {
      deallocate(block);
      return false;
    }
    have += chunk;
  }
  block[total] = '\0';
  s = block;
  return true;
}

bool TableStream::readString(char*& s, uint32_t* length) {
  s = nullptr;
  uint32_t n = 0;
  if (!readStringLength(n) || !readStringBytes(n, s)) return false;
  if (length != nullptr) *length = n;
  return true;
}

bool TableStream::readName(char*& s, uint32_t* length) {
  uint32_t n = 0;
  if (!readString(s, &n)) return false;
  if (length != nullptr) *length = n;
  if (translation_ == nullptr || std::strcmp(s, kUntranslatedName) == 0) return true;
  for (uint32_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>(translation_[static_cast<uint8_t>(s[i])]);
  }
  return true;
}

bool TableStream::enterRead(uint32_t number, Object* ob) {
  readTable_[number - 1] = ob;
  if (ob != nullptr) ob->addRef();
  return true;
}

bool TableStream::readObject(Object*& ob) {
  ob = nullptr;
  uint8_t type = 0;
  if (!readTag(type)) return false;
  return readObjectWithHeader(type, ob);
}

bool TableStream::readObjectWithHeader(uint8_t type, Object*& ob) {
  ob = nullptr;
  if ((type & kKindMask) != kObject) return fail(kXioBadAttributeType);
  uint32_t number = type >> 4;
  if (number == kNumber1) {
    uint8_t b = 0;
    if (!get(&b, 1, false)) return false;
    number = b;
  } else if (number == kNumber2) {
    uint16_t b = 0;
    if (!get(&b, 2, kLittleEndian)) return false;
    number = b;
  } else if (number == kNumber4) {
    if (!get(&number, 4, kLittleEndian)) return false;
  }
  bool shared = (type & kSharedFlag) != 0;
  uint32_t reference = 0;
  if (shared) {
    if (!get(&reference, 4, kLittleEndian)) return false;
    if (reference == 0 || reference > readReserved_ + 1) return fail(kXioBadAttributeType);
    if (reference <= readReserved_) {
      // Sent before in this message: the object itself, once more. One
      // whose body is still being read cannot be referred to.
      Object* known = readTable_[reference - 1];
      if (known == nullptr || static_cast<uint32_t>(known->streamTypeNumber()) != number) {
        return fail(kXioBadAttributeType);
      }
      known->addRef();
      ob = known;
      return true;
    }
  }
  Object* proto = number <= INT32_MAX ? prototype(static_cast<int>(number)) : nil();
  if (proto == nullptr || proto == nil()) return fail(kXioNotStreamable);
  if (depth_ >= kMaxNesting) return fail(kXioBadAttributeType);
  if (shared) {
    if (reference > readCapacity_) {
      uint32_t cap = readCapacity_ > 0 ? readCapacity_ : kReadTableStart;
      while (cap < reference) cap = cap < kReadTableStep ? cap * 2 : cap + kReadTableStep;
      auto** grown = static_cast<Object**>(allocate(sizeof(Object*) * cap));
      if (grown == nullptr) return failOutOfMemory();
      std::memset(grown, 0, sizeof(Object*) * cap);
      if (readReserved_ > 0) std::memcpy(grown, readTable_, sizeof(Object*) * readReserved_);
      deallocate(readTable_);
      readTable_ = grown;
      readCapacity_ = cap;
    }
    readTable_[reference - 1] = nullptr;
    readReserved_ = reference;
  }
  Object* fresh = proto->newForStream();
  if (fresh == nullptr) return failOutOfMemory();
  ++depth_;
  bool ok = fresh->streamIn(*this);
  --depth_;
  if (!ok) {
    if (status_ == successStatus()) fail(kXioBadAttribute);
    fresh->release();
    return false;
  }
  // Success and NULL come back as the shared statuses.
  if (fresh->isA() == &Status::desc()) {
    fresh->release();
    fresh = const_cast<Status*>(successStatus());
  } else if (fresh->isA() == &NullStatus::desc()) {
    fresh->release();
    fresh = const_cast<NullStatus*>(nullStatus());
  }
  if (shared) enterRead(reference, fresh);
  ob = fresh;
  return true;
}

}  // namespace dv
