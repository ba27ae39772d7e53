// TableStream: writes and reads values (statuses, typed values, tables and
// their parts) in the tagged byte form, over a file descriptor, over a
// connection handle (stream/ConnectionHandles.h) or over a block of memory.
//
// Byte format. Every value is a type byte and its payload; the low three
// bits of the type byte give the kind: 0 char (1 byte), 1 short (2), 2 long
// (4), 3 float (IEEE single), 4 double (IEEE double), 5 string, 6 object.
// Numbers are big-endian whatever the machine's order. A string's type byte
// holds n in bits 3 to 7: below 29 the length itself, 29/30/31 a 1-, 2- or
// 4-byte length following; the writer uses the shortest form. An object's
// type byte holds the shared flag in bit 3 and n in bits 4 to 7: the stream
// type number below 13, while 13/14/15 announce a 1-, 2- or 4-byte number
// following; a shared object's reference number in the message follows as 4
// raw bytes; then the object's tagged body, unless the object was already
// sent in the message. A tagged body is a run of fields, each a raw tag byte
// and one value, closed by tag 0. A message is the raw byte 3 and one object.
//
// The tagged bodies of the classes are written and read by the classes'
// streamOut and streamIn. Those members are declared by each class in its
// own layer (the object interface names TableStream only by declaration) and
// defined in this layer, in stream/ValueForms.cpp, since they are written in
// terms of this class: no lower layer includes a stream header.
//
// Everything read is untrusted: a length is never allocated before its
// bytes have arrived (strings and arrays grow as their bytes come), a
// reference number must be one already defined or the next one, a stream
// type number must have a prototype, nesting is limited, and a message cut
// short fails. A failed read leaves nothing half built: the object being read
// is released and the answer is null.
//
// The streams of a process draw their input buffers from one shared pool,
// made at the first read. Like the library's objects, whose counts are not
// atomic, they serve one thread at a time.
//
// Failures set the stream's status (held, replacing the previous one) and
// make the call answer false; callers stop at the first false.
#ifndef DV_STREAM_TABLESTREAM_H_
#define DV_STREAM_TABLESTREAM_H_

#include <cstddef>
#include <cstdint>

#include "object/Object.h"
#include "status/Status.h"

namespace dv {

class IOBufIn;
class IOBufList;

// The XIOERR status codes of the stream (FATAL, facility 16).
inline constexpr uint32_t kXioReadFailed = 0x70200001u;        // reading from a file
inline constexpr uint32_t kXioWriteFailed = 0x70200002u;       // writing to a file
inline constexpr uint32_t kXioLocalFailure = 0x70200003u;      // connection failed locally
inline constexpr uint32_t kXioClosedRemotely = 0x70200004u;    // connection closed by the peer
inline constexpr uint32_t kXioReceiveTimeout = 0x70200005u;    // receive time limit
inline constexpr uint32_t kXioSystemError = 0x70200006u;       // other connection failures
inline constexpr uint32_t kXioCannotInterpret = 0x70200007u;   // not a message
inline constexpr uint32_t kXioNotStreamable = 0x70200008u;     // object without stream form
inline constexpr uint32_t kXioBadAttribute = 0x70200009u;      // unknown tag
inline constexpr uint32_t kXioBadAttributeType = 0x7020000Au;  // wrong kind or range

class TableStream {
 public:
  // Kinds of the type byte.
  static constexpr uint8_t kChar = 0;
  static constexpr uint8_t kShort = 1;
  static constexpr uint8_t kLong = 2;
  static constexpr uint8_t kFloat = 3;
  static constexpr uint8_t kDouble = 4;
  static constexpr uint8_t kString = 5;
  static constexpr uint8_t kObject = 6;
  static constexpr uint8_t kKindMask = 7;
  static constexpr uint8_t kSharedFlag = 8;
  // The first byte of every message.
  static constexpr uint8_t kMessageStart = 3;
  // States.
  static constexpr int kIdle = 0;
  static constexpr int kReading = 1;
  static constexpr int kWriting = 2;
  // Sharing mode in which arrays (stream types 12 to 19) are never shared;
  // any other mode shares every object with other holders.
  static constexpr int kShareNoArrays = 3;
  // Buffer sizes outside [kMinBufferSize, kMaxBufferSize] become the maximum.
  static constexpr int kMinBufferSize = 32;
  static constexpr int kMaxBufferSize = 4096;
  // Buffers of the shared input pool.
  static constexpr uint32_t kPoolBuffers = 63;
  // How deep objects may nest in a message.
  static constexpr int kMaxNesting = 64;
  // The facility name, as copied at start-up.
  static const char* facilityName();

  // Over a file descriptor or a connection handle: exactly one is used, the
  // other is -1. translation (256 bytes, may be null) maps the bytes of names
  // read; it must outlive the stream.
  TableStream(int fd, int connection, const uint8_t* translation = nullptr,
              int sharing = kShareNoArrays);
  // Over memory: reads come from data (size bytes, which must outlive the
  // stream) and writes collect in memory (see written()).
  TableStream(const uint8_t* data, std::size_t size, const uint8_t* translation = nullptr,
              int sharing = kShareNoArrays);
  TableStream(const TableStream&) = delete;
  TableStream& operator=(const TableStream&) = delete;
  // Gives the buffers back and releases the status and the objects of an
  // unfinished message. Unflushed output is dropped.
  ~TableStream();

  // Writes the byte 3 and value, and flushes when asked. bufferSize sizes
  // the output buffer on first use.
  bool writeMessage(const Object& value, bool flush = true, int bufferSize = kMaxBufferSize);
  // Reads one message; on success *value is the object, with one reference
  // owned by the caller. On failure it is null.
  bool readMessage(Object*& value, int bufferSize = kMaxBufferSize);
  // Writes what the output buffer holds.
  bool flush();

  // Field writers.
  bool writeTag(uint8_t tag);
  bool writeChar(uint8_t v);
  bool writeShort(int16_t v);
  bool writeLong(int32_t v);
  bool writeFloat(float v);
  bool writeDouble(double v);
  bool writeString(const char* s, uint32_t length);
  bool writeString(const char* s);
  bool writeObject(const Object& ob);

  // Field readers. Each answers true and stores the value, or false with the
  // stream's status set. The numeric readers take neighbouring kinds: char
  // takes a short or long in 0..255 (other values leave v unchanged), short
  // takes a char (sign-extended) or a long in 0..65535 (else unchanged),
  // long a char or short (sign-extended), float and double any number.
  bool readTag(uint8_t& tag);
  bool readChar(uint8_t& v);
  bool readShort(int16_t& v);
  bool readLong(int32_t& v);
  bool readFloat(float& v);
  bool readDouble(double& v);
  // A NUL-terminated heap copy (free it with dv::deallocate), its length in
  // *length when given.
  bool readString(char*& s, uint32_t* length = nullptr);
  // readString with every byte passed through the translation table, except
  // for the name "@__CSI_ID__".
  bool readName(char*& s, uint32_t* length = nullptr);
  // readString in two steps, for readers that keep the bytes themselves:
  // the type byte and length, then the bytes (readStringBytes makes the
  // heap copy as readString does). takeBuffered answers the next n bytes in
  // place when the current buffer holds them all (they stay valid until the
  // next read), else null and nothing is consumed.
  bool readStringLength(uint32_t& length);
  const uint8_t* takeBuffered(uint32_t n);
  bool readStringBytes(uint32_t n, char*& s);
  // The object, with one reference owned by the caller; null on failure.
  bool readObject(Object*& ob);

  // Fails the stream with a new XIOERR status of code (one of the kXio
  // codes) and external error number; answers false.
  bool fail(uint32_t code, int32_t externError = 0);
  // Fails the stream with the out-of-memory status; answers false.
  bool failOutOfMemory();

  // The held status; success until a failure.
  const Status* status() const { return status_; }
  int state() const { return state_; }
  int sharing() const { return sharing_; }
  // The receive time limit over a connection, in seconds (< 1: none).
  void setReceiveLimit(int seconds) { receiveLimit_ = seconds; }
  // The bytes written over memory so far.
  const uint8_t* written() const { return written_; }
  std::size_t writtenSize() const { return writtenSize_; }
  void clearWritten() { writtenSize_ = 0; }

  // Internal plumbing for the refill and flush of the buffer list.
  struct Io;

 private:
  friend struct Io;
  bool prepareRead(int bufferSize);
  bool prepareWrite(int bufferSize);
  bool put(const void* bytes, uint32_t n, bool reverse);
  bool get(void* bytes, uint32_t n, bool reverse);
  // Reads a type byte and the number of the given kind.
  bool readNumber(uint8_t type, double* asDouble, int64_t* asInteger, bool* integral);
  // Reads an object whose type byte has been read: its header, then the object.
  bool readObjectWithHeader(uint8_t type, Object*& ob);
  // Sends the output bytes to the destination.
  bool emit(const uint8_t* bytes, std::size_t n);
  // Fills into up to n bytes from the source; answers the count (0: failed).
  std::size_t fill(uint8_t* into, std::size_t n);
  // Forgets the objects of the current message.
  void endMessage();
  // The writer's table: reference number of ob, 0 when new (then entered).
  bool lookUpShared(const Object& ob, uint32_t* number, bool* known);
  bool enterRead(uint32_t number, Object* ob);

  const Status* status_;
  int fd_;
  int connection_;
  const uint8_t* memory_ = nullptr;
  std::size_t memorySize_ = 0;
  std::size_t memoryAt_ = 0;
  bool overMemory_ = false;
  const uint8_t* translation_;
  int sharing_;
  int state_ = kIdle;
  int receiveLimit_ = 0;
  int depth_ = 0;
  IOBufList* input_ = nullptr;
  IOBufList* output_ = nullptr;
  IOBufIn* outBuf_ = nullptr;
  // Writer: open-addressed table of (object, reference number).
  struct SharedSlot {
    const Object* ob;
    uint32_t number;
  };
  SharedSlot* sharedSlots_ = nullptr;
  uint32_t sharedCapacity_ = 0;
  uint32_t sharedCount_ = 0;
  // Reader: objects by reference number (index = number - 1); reserved
  // counts the numbers given out so far.
  Object** readTable_ = nullptr;
  uint32_t readCapacity_ = 0;
  uint32_t readReserved_ = 0;
  // Output over memory.
  uint8_t* written_ = nullptr;
  std::size_t writtenSize_ = 0;
  std::size_t writtenCapacity_ = 0;
};

}  // namespace dv

#endif  // DV_STREAM_TABLESTREAM_H_
