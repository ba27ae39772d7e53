// A scratch block for the numeric value classes: the NUL-terminated copy of a
// text given with a length, the plain form of a local-form number, a text
// form that is too long for the caller's stack. Small blocks live inside the
// object; larger ones come from dv::allocate, so that a failed allocation is
// reported as the out-of-memory status like any other.
#ifndef DV_DATUM_INTERNAL_WORKBUFFER_H_
#define DV_DATUM_INTERNAL_WORKBUFFER_H_

#include <cstddef>
#include <cstring>

#include "object/Allocation.h"

namespace dv {
namespace internal {

class WorkBuffer {
 public:
  static constexpr std::size_t kInlineSize = 128;

  // A block of size bytes (at least 1); data() is null when it could not be
  // allocated.
  explicit WorkBuffer(std::size_t size) {
    if (size == 0) size = 1;
    if (size <= kInlineSize) {
      data_ = inline_;
    } else {
      heap_ = static_cast<char*>(allocate(size));
      data_ = heap_;
    }
    size_ = data_ != nullptr ? size : 0;
  }
  ~WorkBuffer() { deallocate(heap_); }
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;

  char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  char inline_[kInlineSize];
  char* heap_ = nullptr;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

// The characters of (s, len) as a NUL-terminated text: s itself when len is
// negative (s is then NUL-terminated), otherwise a copy of at most len
// characters, stopping at a NUL. text() is null when the copy could not be
// allocated; a null s reads as the empty text.
class TerminatedText {
 public:
  TerminatedText(const char* s, int len)
      : buffer_(s == nullptr || len < 0 ? 1 : static_cast<std::size_t>(len) + 1) {
    if (s == nullptr) {
      text_ = "";
    } else if (len < 0) {
      text_ = s;
    } else if (buffer_.data() != nullptr) {
      std::size_t n = strnlen(s, static_cast<std::size_t>(len));
      std::memcpy(buffer_.data(), s, n);
      buffer_.data()[n] = '\0';
      text_ = buffer_.data();
    }
  }
  const char* text() const { return text_; }

 private:
  WorkBuffer buffer_;
  const char* text_ = nullptr;
};

}  // namespace internal
}  // namespace dv

#endif  // DV_DATUM_INTERNAL_WORKBUFFER_H_
