// The history file: reading it, appending to it and cutting it back. Appends
// and the cut hold an exclusive flock, so that sessions sharing the file do
// not lose each other's lines.
#include "interp/HistoryFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

namespace interp {
namespace {

constexpr mode_t kHistoryFileMode = 0600;

bool isBlank(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r') return false;
  }
  return true;
}

// The lines of contents; a last line without its newline counts as a line.
std::vector<std::pair<std::size_t, std::size_t>> lineSpans(const std::string& contents) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    spans.emplace_back(start, end - start);
    start = end + 1;
  }
  return spans;
}

// Holds an exclusive flock on fd for its scope.
class FileLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FileLock() { flock(fd_, LOCK_UN); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

bool writeAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string historyPath(const char* variable, const char* home) {
  if (variable != nullptr && variable[0] != '\0') return variable;
  if (home == nullptr || home[0] == '\0') return std::string();
  std::string path = home;
  if (path.back() != '/') path += '/';
  return path + kHistoryFileName;
}

HistoryFile::HistoryFile(std::string path, OutputBuffer* err) : path_(std::move(path)), err_(err) {}

HistoryFile::~HistoryFile() {
  if (fd_ < 0) return;
  if (appended_) trim();
  ::close(fd_);
}

void HistoryFile::fail(const char* action, int error) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (warned_) return;
  warned_ = true;
  err_->puts("dvsql: cannot ");
  err_->puts(action);
  err_->puts(" history file ");
  err_->puts(path_.c_str());
  err_->puts(": ");
  err_->puts(std::strerror(error));
  err_->put('\n');
  err_->flush();
}

bool HistoryFile::readAll(std::string* contents) {
  struct stat info;
  if (fstat(fd_, &info) != 0) return false;
  off_t offset = info.st_size > maxReadBytes_ ? info.st_size - maxReadBytes_ : 0;
  contents->resize(static_cast<std::size_t>(info.st_size - offset));
  std::size_t done = 0;
  while (done < contents->size()) {
    ssize_t n = ::pread(fd_, &(*contents)[done], contents->size() - done,
                        offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(n);
  }
  contents->resize(done);
  // Read from the middle of the file: the first line is only its end.
  if (offset > 0) contents->erase(0, contents->find('\n') + 1);
  return true;
}

std::vector<std::string> HistoryFile::load(std::size_t maxLength) {
  std::vector<std::string> entries;
  if (path_.empty() || path_ == kNoHistoryPath) return entries;
  maxReadBytes_ = static_cast<off_t>(kHistoryLines * (maxLength + 1));
  fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, kHistoryFileMode);
  if (fd_ < 0) {
    fail("open", errno);
    return entries;
  }
  try {
    std::string contents;
    int error = 0;
    {
      FileLock lock(fd_);
      if (!readAll(&contents)) {
        error = errno;
      } else if (!contents.empty() && contents.back() != '\n' && !writeAll(fd_, "\n", 1)) {
        // A last line without its newline (a hand edit, a write cut short)
        // is ended, so that the next entry does not join it.
        error = errno;
      }
    }
    if (error != 0) {
      fail("read", error);
      return entries;
    }
    auto spans = lineSpans(contents);
    bool tooLong = spans.size() > kHistoryLines;
    std::size_t first = tooLong ? spans.size() - kHistoryLines : 0;
    for (std::size_t i = first; i < spans.size(); ++i) {
      if (spans[i].second == 0 || spans[i].second > maxLength) continue;
      entries.emplace_back(contents, spans[i].first, spans[i].second);
    }
    if (!entries.empty()) last_ = entries.back();
    if (tooLong) trim();
  } catch (const std::bad_alloc&) {
    entries.clear();
    fail("read", ENOMEM);
  }
  return entries;
}

bool HistoryFile::add(const char* text, std::size_t length) {
  if (length == 0 || isBlank(text, length)) return false;
  if (last_.size() == length && std::memcmp(last_.data(), text, length) == 0) return false;
  try {
    last_.assign(text, length);
  } catch (const std::bad_alloc&) {
    last_.clear();
  }
  if (fd_ < 0) return true;
  std::string line;
  try {
    line.reserve(length + 1);
    line.append(text, length);
    line += '\n';
  } catch (const std::bad_alloc&) {
    return true;  // kept in memory only
  }
  int error = 0;
  {
    FileLock lock(fd_);
    if (!writeAll(fd_, line.data(), line.size())) error = errno;
  }
  if (error != 0) {
    fail("write", error);
  } else {
    appended_ = true;
  }
  return true;
}

void HistoryFile::trim() {
  int error = 0;
  try {
    FileLock lock(fd_);
    std::string contents;
    if (!readAll(&contents)) return;
    auto spans = lineSpans(contents);
    if (spans.size() <= kHistoryLines) return;
    std::size_t keepFrom = spans[spans.size() - kHistoryLines].first;
    // O_APPEND: after the truncation the write lands at the start.
    if (ftruncate(fd_, 0) != 0 ||
        !writeAll(fd_, contents.data() + keepFrom, contents.size() - keepFrom)) {
      error = errno;
    }
  } catch (const std::bad_alloc&) {
    // The file stays as long as it is; the next session cuts it.
  }
  if (error != 0) fail("write", error);
}

}  // namespace interp
