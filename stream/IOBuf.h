// The byte buffers of the value stream. IOBuf is a window [current, end) on
// a block of bytes, read from or written to; IOBufIn is a buffer that can be
// linked into one IOBufList at a time, comes from an IOBufMgr pool or stands
// alone, and is shared through a count of its holders.
//
// For a buffer that is read from, the window holds the bytes still to read;
// for one that is written to, the room still free.
#ifndef DV_STREAM_IOBUF_H_
#define DV_STREAM_IOBUF_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/Object.h"
#include "status/Status.h"

namespace dv {

class IOBufList;
class IOBufMgr;

class IOBuf : public Object {
  DV_CLASS_MEMBERS()

 public:
  // Directions.
  static constexpr int kInput = 0;
  static constexpr int kOutput = 1;

  // A buffer over data (capacity bytes), freed by the buffer when ownsData.
  // With a null data and ownsData, the buffer allocates its own block of
  // capacity bytes (out of memory: no block, capacity 0, and the
  // out-of-memory status). The window is setWindow(start, end). REQUIRES: an
  // owned data block comes from dv::allocate.
  IOBuf(uint8_t* data, bool ownsData, uint32_t capacity, uint32_t start, uint32_t end,
        int direction);
  // An owned block is copied into a new owned block (out of memory: no block
  // and the out-of-memory status); an external one is shared.
  IOBuf(const IOBuf& other);
  IOBuf& operator=(const IOBuf&) = delete;
  // Frees an owned block and releases the status.
  ~IOBuf() override;

  // With externalData: an owned block is freed and the buffer takes
  // externalData (not owned) with capacity size. Without: when the capacity
  // differs from size, a new owned block of size bytes replaces the old one
  // (out of memory: the buffer is unchanged and its status, which is
  // answered, becomes the out-of-memory status). Then setWindow(start, end)
  // and the limit becomes the capacity.
  const Status* reset(uint32_t start, uint32_t end, uint8_t* externalData, uint32_t size);
  // Places the window at data + min(start, capacity) and data + min(end,
  // capacity); an end before the start makes the window empty at the start.
  // Answers the success status.
  const Status* setWindow(uint32_t start, uint32_t end);
  // Bytes between current and end.
  uint32_t remaining() const { return static_cast<uint32_t>(end_ - current_); }
  // Moves current on by n bytes, at most to end.
  void consume(uint32_t n) { current_ += n < remaining() ? n : remaining(); }

  // The held status, never null.
  const Status* status() const { return status_; }
  // Holds status (null: success) and drops the old one.
  void setStatus(const Status* status);
  int direction() const { return direction_; }
  bool isOutput() const { return direction_ != kInput; }
  void setDirection(int direction) { direction_ = direction; }
  uint8_t* data() const { return data_; }
  bool ownsData() const { return ownsData_ != 0; }
  uint32_t capacity() const override { return capacity_; }
  uint32_t limit() const { return limit_; }
  void setLimit(uint32_t limit) { limit_ = limit < capacity_ ? limit : capacity_; }
  uint8_t* current() const { return current_; }
  uint8_t* end() const { return end_; }
  // Offsets of the window in the block.
  uint32_t start() const { return static_cast<uint32_t>(current_ - data_); }
  uint32_t stop() const { return static_cast<uint32_t>(end_ - data_); }

  // Object interface: buffers are compared by identity.
  Object* shallowCopy() const override;  // a new copy; null when it cannot be made
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;
  // "IOBuf(capacity=C, window=S..E)".
  void printOn(std::ostream& out) const override;

 private:
  void dropBlock();

  const Status* status_;
  int direction_;
  uint8_t* data_ = nullptr;
  uint8_t ownsData_ = 0;
  uint32_t capacity_ = 0;
  uint32_t limit_ = 0;
  uint8_t* current_ = nullptr;
  uint8_t* end_ = nullptr;
};

// A buffer that can be linked into one IOBufList at a time and is shared through a count of
// its holders.
class IOBufIn : public IOBuf {
  DV_CLASS_MEMBERS()

 public:
  // A buffer as IOBuf, with one holder (its maker), in no list, from no pool.
  IOBufIn(uint8_t* data, bool ownsData, uint32_t capacity, uint32_t start, uint32_t end,
          int direction);
  // A buffer without a block: a record for a pool to set up.
  IOBufIn();
  // A copy of the buffer part, with one holder, in no list, from no pool.
  IOBufIn(const IOBufIn& other);
  ~IOBufIn() override;

  // Holders: retain adds one. release drops one; when none is left the
  // buffer goes back to its pool, or is destroyed when it has none (a buffer
  // that counting does not own, such as a pool record, is then left alone).
  // Object::addRef does not count holders of a buffer.
  void retain() const { ++holders_; }
  void release() const override;
  void addRef() const = delete;
  int32_t holders() const { return holders_; }
  // Takes the buffer out of its list, dropping the list's hold on it (which
  // may give the buffer back or destroy it). Nothing when it is in none.
  void unlink();

  IOBufIn* next() const { return next_; }
  IOBufIn* prev() const { return prev_; }
  IOBufList* list() const { return list_; }
  IOBufMgr* manager() const { return manager_; }
  // A kept buffer goes back to its pool even while the pool is shrinking.
  bool keep() const { return keep_ != 0; }
  void setKeep(bool keep) { keep_ = keep ? 1 : 0; }
  // One word for the stream that uses the buffer.
  uint32_t userWord() const { return userWord_; }
  void setUserWord(uint32_t word) { userWord_ = word; }

  Object* shallowCopy() const override;
  // "IOBufIn(capacity=C, window=S..E, holders=H)".
  void printOn(std::ostream& out) const override;

 private:
  friend class IOBufList;
  friend class IOBufMgr;

  IOBufIn* next_ = nullptr;
  IOBufIn* prev_ = nullptr;
  IOBufList* list_ = nullptr;
  IOBufMgr* manager_ = nullptr;
  mutable int32_t holders_ = 1;
  uint8_t keep_ = 0;
  uint32_t userWord_ = 0;
};

}  // namespace dv

#endif  // DV_STREAM_IOBUF_H_
