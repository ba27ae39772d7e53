// Buffered standard input and output for the interpreter. Output is collected
// in a large buffer and written when full, when asked, and before the
// interpreter blocks waiting for input, so that a prompt or "(more)" is always
// visible while nothing is flushed per line.
#ifndef DVSQL_INTERP_CONSOLE_H_
#define DVSQL_INTERP_CONSOLE_H_

#include <cstddef>
#include <cstring>
#include <memory>

namespace interp {

inline constexpr std::size_t kOutputBufferSize = 64 * 1024;
inline constexpr std::size_t kInputBufferSize = 64 * 1024;

class OutputBuffer {
 public:
  // Called once, with errno's value, when a write to the descriptor fails.
  using ErrorHandler = void (*)(int error);

  OutputBuffer(int fd, ErrorHandler onError);
  ~OutputBuffer();
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void write(const char* data, std::size_t length) {
    if (length <= kOutputBufferSize - used_) {
      std::memcpy(buffer_.get() + used_, data, length);
      used_ += length;
    } else {
      writeSlow(data, length);
    }
  }
  void put(char c) {
    if (used_ == kOutputBufferSize) flush();
    buffer_[used_++] = c;
  }
  void puts(const char* text) { write(text, std::strlen(text)); }
  // Writes value in decimal.
  void putInt(long long value);

  // Writes everything buffered to the descriptor. After a failed write the
  // buffer discards output: the error handler has been told.
  void flush();

 private:
  void writeSlow(const char* data, std::size_t length);
  void writeAll(const char* data, std::size_t length);

  int fd_;
  ErrorHandler onError_;
  bool failed_ = false;
  std::size_t used_ = 0;
  std::unique_ptr<char[]> buffer_;
};

// What a line read by the statement loop answers: a statement, or a pause's
// "(more)" (a reply is never kept in the line history).
enum class LineKind { kStatement, kReply };

// Where the statement loop reads its lines: the plain reader below, or the
// line editor at a terminal (interp/LineEditor.h).
class LineSource {
 public:
  virtual ~LineSource() = default;

  // Shows prompt (none when null) and reads one line as InputReader::readLine
  // does, with the same limit of capacity - 1 characters.
  virtual bool nextLine(const char* prompt, LineKind kind, char* buffer, std::size_t capacity,
                        char* lastChar, std::size_t* length) = 0;
};

class InputReader : public LineSource {
 public:
  // Waits until fd has input; false when the wait was given up (a signal
  // came), which ends the line being read without ending the input.
  using WaitFunction = bool (*)(int fd);

  // Reads from fd; flushes *beforeWait (when not null) before every read that
  // may block, and then calls wait (when not null) before reading.
  InputReader(int fd, OutputBuffer* beforeWait, WaitFunction wait = nullptr);
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // Reads one line into buffer, which holds capacity bytes. A newline ends the
  // line and is not stored; other characters are stored while fewer than
  // capacity - 1 are stored, and the character that would exceed that is
  // consumed, not stored, and ends the reading. Returns true with buffer
  // NUL-terminated, *length the characters stored and *lastChar the last
  // character read (a newline for a complete line). Returns false at end of
  // input, on a read error or when the wait is given up before the line ends;
  // what was read is dropped. REQUIRES: capacity >= 1.
  bool readLine(char* buffer, std::size_t capacity, char* lastChar, std::size_t* length);

  // Writes prompt to *beforeWait, then readLine. REQUIRES: beforeWait is not
  // null when prompt is not.
  bool nextLine(const char* prompt, LineKind kind, char* buffer, std::size_t capacity,
                char* lastChar, std::size_t* length) override;

 private:
  // Refills the buffer; false at end of input, on a read error or when the
  // wait is given up.
  bool fill();

  int fd_;
  OutputBuffer* beforeWait_;
  WaitFunction wait_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
};

}  // namespace interp

#endif  // DVSQL_INTERP_CONSOLE_H_
