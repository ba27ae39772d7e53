// IOBufList: an ordered chain of IOBufIn buffers with a current one, the
// status of the transfers that run over it and the stream object it serves.
// The list holds one reference (a holder count) on every buffer it links.
// How a stream's input is cut into buffers is the stream's affair; the list
// only keeps the chain and the position in it.
#ifndef DV_STREAM_IOBUFLIST_H_
#define DV_STREAM_IOBUFLIST_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/Object.h"
#include "status/Status.h"
#include "stream/IOBuf.h"

namespace dv {

class IOBufList : public Object {
  DV_CLASS_MEMBERS()

 public:
  IOBufList();
  IOBufList(const IOBufList&) = delete;
  IOBufList& operator=(const IOBufList&) = delete;
  // Unlinks every buffer (dropping the list's holds) and releases the status
  // and the stream object.
  ~IOBufList() override;

  // Links buf at the tail (append) or the head (prepend) and holds it; it
  // becomes the current buffer when there was none. False, with nothing
  // done, when buf is already in a list.
  bool append(IOBufIn& buf);
  bool prepend(IOBufIn& buf);
  // Moves to the buffer after the current one and answers it (null at the end).
  IOBufIn* advance();

  IOBufIn* head() const { return head_; }
  IOBufIn* tail() const { return tail_; }
  IOBufIn* current() const { return current_; }
  // Makes buf, a buffer of this list, the current one. False otherwise.
  bool setCurrent(IOBufIn* buf);
  // How many buffers the list links.
  uint32_t size() const override { return count_; }

  // The status of the transfers, never null (success at first).
  const Status* status() const { return status_; }
  // Holds status (null: success) and drops the old one.
  void setStatus(const Status* status);
  // The stream object the list serves (held; null: none).
  Object* stream() const { return stream_; }
  void setStream(Object* stream);

  // Object interface: lists are compared by identity and cannot be copied.
  Object* shallowCopy() const override;  // reported as not to be implemented
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;  // "IOBufList(buffers=N)"

 private:
  friend class IOBufIn;
  // Takes buf out of the chain without touching its holders.
  void detach(IOBufIn& buf);

  IOBufIn* head_ = nullptr;
  IOBufIn* tail_ = nullptr;
  IOBufIn* current_ = nullptr;
  uint32_t count_ = 0;
  const Status* status_;
  Object* stream_ = nullptr;
};

}  // namespace dv

#endif  // DV_STREAM_IOBUFLIST_H_
