// Binary: a byte buffer value, written as hexadecimal text. An owned buffer
// grows by the rounding rule below; a value made over a caller's buffer uses
// it as it is and never grows.
#ifndef DV_DATUM_BINARY_H_
#define DV_DATUM_BINARY_H_

#include <cstdint>

#include "datum/Datum.h"

namespace dv {

class Binary : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Binary)

 public:
  // Option bits of the text form: the first byte gives its low digit only
  // (32); a byte whose low digit does not fit keeps its high digit (64).
  static constexpr unsigned kOptionLowDigitFirst = 32;
  static constexpr unsigned kOptionKeepHalfByte = 64;
  // XIO tags of the value stream form.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagBytes = 2;

  // The growth rule: below 256 the multiple of 32 above n, then 512, 768,
  // 1024, 2048, 4096, 8192, 16384, 32768, then multiples of 32768 above n.
  static uint32_t roundCapacity(uint32_t n);

  // Owned, roundCapacity(32) bytes, empty.
  Binary();
  // Owned, roundCapacity(capacity) bytes, empty.
  explicit Binary(uint32_t capacity);
  // With copy: an owned copy of bytes[0, n). Without: the caller's buffer as
  // it is (capacity and length n, never grown); it must outlive the value.
  Binary(const void* bytes, uint32_t n, bool copy);
  Binary(const Binary& other);  // an owned copy
  Binary& operator=(const Binary& other);
  ~Binary() override;

  // Copies n bytes to offset, growing an owned buffer as needed (out of
  // memory: only what fits the old capacity, and the out-of-memory status); a
  // buffer that cannot grow takes what fits and, when that is not all, holds
  // "($01$)Binary Datum contents truncated.". Answers the bytes copied.
  uint32_t write(const void* src, uint32_t offset, uint32_t n);
  uint32_t append(const void* src, uint32_t n) { return write(src, length_, n); }
  // Copies min(n, capacity - offset) bytes from offset; answers the count.
  uint32_t read(void* dst, uint32_t offset, uint32_t n) const;
  uint32_t read(void* dst, uint32_t n) const { return read(dst, 0, n); }
  // Copies the used bytes.
  uint32_t readAll(void* dst) const { return read(dst, 0, length_); }
  // Sets the used length, growing an owned buffer when n reaches the
  // capacity; a buffer that cannot grow gives at most its capacity.
  void setLength(uint32_t n);
  void clear() { length_ = 0; }
  uint32_t size() const override { return length_; }
  uint32_t capacity() const override { return capacity_; }
  bool owned() const { return owned_; }
  const unsigned char* bytes() const { return bytes_; }

  // Datum interface.
  using Datum::set;
  Datum* newEmpty() const override;
  int typeCode() const override;  // 1000
  // 2 length + 1, one less with kOptionLowDigitFirst.
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  char* asSubstring(char* buf, int offset, int bufSize, const char* fmt = nullptr,
                    FormatArg arg = nullptr) const override;
  int binarySize(int n = 0) override;
  int asBinary(void* buf, int size, int offset) override;
  void* data() override { return bytes_; }
  // The set forms write the value's bytes (in this machine's order) at offset
  // 0 and answer null.
  const Status* set(const char* s, int len, const char* fmt = nullptr) override;
  const Status* set(double v, const char* fmt = nullptr) override;
  const Status* set(float v, const char* fmt = nullptr) override;
  const Status* set(uint32_t v, const char* fmt = nullptr) override;
  const Status* set(int32_t v, const char* fmt = nullptr) override;
  const Status* set(uint16_t v, const char* fmt = nullptr) override;
  const Status* set(int16_t v, const char* fmt = nullptr) override;
  const Status* set(unsigned char v, const char* fmt = nullptr) override;
  const Status* set(char v, const char* fmt = nullptr) override;
  // By size only: greater when this value has more bytes.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  Object* shallowCopy() const override;
  // compareKind, then by size, then by the bytes (so that only equal contents compare 0).
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  // A hexadecimal dump of the used bytes titled "Binary Datum".
  void printOn(std::ostream& out) const override;

 private:
  // Makes room for n bytes (exactly n, or by the growth rule) in an owned
  // buffer; false (out-of-memory status) when it cannot be had.
  bool grow(uint32_t n, bool exact = false);

  unsigned char* bytes_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t length_ = 0;
  bool owned_ = true;
  uint32_t (*roundCapacity_)(uint32_t) = &Binary::roundCapacity;
};

}  // namespace dv

#endif  // DV_DATUM_BINARY_H_
