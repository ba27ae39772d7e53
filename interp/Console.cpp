// Buffered console input and output over file descriptors.
#include "interp/Console.h"

#include <unistd.h>

#include <cassert>
#include <cerrno>

namespace interp {

OutputBuffer::OutputBuffer(int fd, ErrorHandler onError)
    : fd_(fd), onError_(onError), buffer_(new char[kOutputBufferSize]) {}

OutputBuffer::~OutputBuffer() {
  flush();
}

void OutputBuffer::putInt(long long value) {
  char digits[24];
  char* p = digits + sizeof digits;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  write(p, static_cast<std::size_t>(digits + sizeof digits - p));
}

void OutputBuffer::flush() {
  if (used_ == 0) return;
  std::size_t n = used_;
  used_ = 0;
  writeAll(buffer_.get(), n);
}

void OutputBuffer::writeSlow(const char* data, std::size_t length) {
  flush();
  if (length >= kOutputBufferSize) {
    writeAll(data, length);
  } else {
    std::memcpy(buffer_.get(), data, length);
    used_ = length;
  }
}

void OutputBuffer::writeAll(const char* data, std::size_t length) {
  while (length > 0 && !failed_) {
    ssize_t n = ::write(fd_, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      if (onError_ != nullptr) onError_(errno);
      return;
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
}

InputReader::InputReader(int fd, OutputBuffer* beforeWait, WaitFunction wait)
    : fd_(fd), beforeWait_(beforeWait), wait_(wait), buffer_(new char[kInputBufferSize]) {}

bool InputReader::fill() {
  if (ended_) return false;
  if (beforeWait_ != nullptr) beforeWait_->flush();
  for (;;) {
    if (wait_ != nullptr && !wait_(fd_)) return false;
    ssize_t n = ::read(fd_, buffer_.get(), kInputBufferSize);
    if (n > 0) {
      begin_ = 0;
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    // End of input and read errors both end the input for good.
    ended_ = true;
    return false;
  }
}

bool InputReader::nextLine(const char* prompt, LineKind, char* buffer, std::size_t capacity,
                           char* lastChar, std::size_t* length) {
  assert(prompt == nullptr || beforeWait_ != nullptr);
  if (prompt != nullptr) beforeWait_->puts(prompt);
  return readLine(buffer, capacity, lastChar, length);
}

bool InputReader::readLine(char* buffer, std::size_t capacity, char* lastChar,
                           std::size_t* length) {
  assert(capacity >= 1);
  std::size_t stored = 0;
  const std::size_t limit = capacity - 1;
  for (;;) {
    if (begin_ == end_ && !fill()) return false;
    const char* start = buffer_.get() + begin_;
    std::size_t available = end_ - begin_;
    // Copy up to the newline, or up to the room left plus the one character
    // that ends an overlong line.
    std::size_t scan = available < limit - stored + 1 ? available : limit - stored + 1;
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', scan));
    if (newline != nullptr) {
      std::size_t n = static_cast<std::size_t>(newline - start);
      std::memcpy(buffer + stored, start, n);
      stored += n;
      begin_ += n + 1;
      buffer[stored] = '\0';
      *lastChar = '\n';
      *length = stored;
      return true;
    }
    if (stored + scan > limit) {
      // The character at position limit - stored would exceed the buffer.
      std::size_t n = limit - stored;
      std::memcpy(buffer + stored, start, n);
      stored += n;
      *lastChar = start[n];
      begin_ += n + 1;
      buffer[stored] = '\0';
      *length = stored;
      return true;
    }
    std::memcpy(buffer + stored, start, scan);
    stored += scan;
    begin_ += scan;
  }
}

}  // namespace interp
