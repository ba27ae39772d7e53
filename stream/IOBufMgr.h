// IOBufMgr: a pool of equal-sized buffers. The pool is set up over records
// and one memory block that its owner provides (each record gets its slice
// of the block); when the free list runs dry a new buffer with a block of
// its own is made. Buffers come back when their last holder releases them
// and are handed out again newest first, so buffers are recycled rather
// than freed. A pool that is shrinking destroys what comes back, except
// buffers marked keep.
//
// A pool on the heap is held by every buffer it has handed out, so it lives
// until the last one is back.
#ifndef DV_STREAM_IOBUFMGR_H_
#define DV_STREAM_IOBUFMGR_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/Object.h"
#include "status/Status.h"
#include "stream/IOBuf.h"

namespace dv {

class IOBufMgr : public Object {
  DV_CLASS_MEMBERS()

 public:
  // A pool of count records (may be 0, with records null) over block, of
  // count x bufferSize bytes: record i takes bytes [i x bufferSize, (i + 1)
  // x bufferSize) and goes on the free list. REQUIRES: the records and the
  // block outlive the pool; the records are in no list and from no pool.
  IOBufMgr(IOBufIn* records, uint32_t count, uint32_t bufferSize, uint8_t* block);
  IOBufMgr(const IOBufMgr&) = delete;
  IOBufMgr& operator=(const IOBufMgr&) = delete;
  // Destroys the free buffers it made and lets its records go.
  // REQUIRES: every buffer it handed out has come back.
  ~IOBufMgr() override;

  // Hands out a buffer in *out with one holder: the newest free one, else a
  // new one of bufferSize() bytes. It is set up for direction, with the
  // status success and a window of the whole block for output, an empty one
  // for input. Out of memory: *out is null and the answer is the
  // out-of-memory status; otherwise the success status.
  const Status* take(IOBufIn*& out, int direction);
  // Takes back a buffer of this pool whose last holder released it.
  void giveBack(IOBufIn& buf);

  uint32_t bufferSize() const { return bufferSize_; }
  // Buffers on the free list, and buffers handed out and not yet back.
  uint32_t freeCount() const { return freeCount_; }
  uint32_t outstanding() const { return outstanding_; }
  bool shrinking() const { return shrinking_ != 0; }
  void setShrinking(bool shrinking) { shrinking_ = shrinking ? 1 : 0; }

  // Object interface: pools are compared by identity and cannot be copied.
  Object* shallowCopy() const override;  // reported as not to be implemented
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;
  // "IOBufMgr(bufferSize=S, free=F, out=O)".
  void printOn(std::ostream& out) const override;

 private:
  // Destroys a buffer that leaves the pool: one it made goes, a record is
  // only let go.
  void discard(IOBufIn& buf);

  uint32_t bufferSize_;
  IOBufIn* free_ = nullptr;
  uint32_t freeCount_ = 0;
  uint32_t outstanding_ = 0;
  uint8_t shrinking_ = 0;
};

}  // namespace dv

#endif  // DV_STREAM_IOBUFMGR_H_
