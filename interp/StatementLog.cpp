// The statement log's lines, and the account text without its password.
#include "interp/StatementLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace interp {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kPasswordKey[] = "password";
constexpr char kCancelledState[] = "S1008";
constexpr mode_t kLogFileMode = 0600;  // statements may hold what others must not read

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool isBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    int hi = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
    int lo = hi >= 0 ? hexValue(text[i + 2]) : -1;
    if (lo >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A URI: the user part's password goes, and so do password parameters. The
// user part is taken to end at the last '@' before the parameters, so that an
// unencoded '@' or '/' in a password cannot leave part of it behind.
std::string uriWithoutPassword(const std::string& uri, std::size_t authority) {
  std::size_t query = uri.find('?', authority);
  std::size_t pathEnd = query == std::string::npos ? uri.size() : query;
  std::string out;
  std::size_t at = uri.rfind('@', pathEnd == 0 ? 0 : pathEnd - 1);
  if (at != std::string::npos && at >= authority) {
    std::size_t colon = uri.find(':', authority);
    std::size_t userEnd = colon < at ? colon : at;
    out.append(uri, 0, userEnd);
    out.append(uri, at, pathEnd - at);
  } else {
    out.append(uri, 0, pathEnd);
  }
  if (query == std::string::npos) return out;
  std::string kept;
  for (std::size_t p = query + 1; p <= uri.size();) {
    std::size_t amp = uri.find('&', p);
    if (amp == std::string::npos) amp = uri.size();
    std::string param = uri.substr(p, amp - p);
    if (!param.empty() && percentDecoded(param.substr(0, param.find('='))) != kPasswordKey) {
      if (!kept.empty()) kept += '&';
      kept += param;
    }
    p = amp + 1;
  }
  if (!kept.empty()) out += '?' + kept;
  return out;
}

// key=value text: the password pairs go. Text that does not read as pairs is
// dropped from the point where the reading fails, since a password may be in it.
std::string conninfoWithoutPassword(const std::string& text) {
  std::string out;
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;;) {
    const std::size_t pairStart = i;
    while (i < n && isBlank(text[i])) ++i;
    if (i == n) {
      out.append(text, pairStart, i - pairStart);
      break;
    }
    const std::size_t keyStart = i;
    while (i < n && !isBlank(text[i]) && text[i] != '=') ++i;
    const std::string key = text.substr(keyStart, i - keyStart);
    while (i < n && isBlank(text[i])) ++i;
    if (i == n || text[i] != '=') break;
    ++i;
    while (i < n && isBlank(text[i])) ++i;
    if (i < n && text[i] == '\'') {
      for (++i; i < n && text[i] != '\''; ++i) {
        if (text[i] == '\\' && i + 1 < n) ++i;
      }
      if (i == n) break;  // unterminated
      ++i;
    } else {
      for (; i < n && !isBlank(text[i]); ++i) {
        if (text[i] == '\\' && i + 1 < n) ++i;
      }
    }
    if (key != kPasswordKey) out.append(text, pairStart, i - pairStart);
  }
  // Without a first pair that went, the text does not start with a blank.
  if (!text.empty() && !isBlank(text[0])) {
    std::size_t first = 0;
    while (first < out.size() && isBlank(out[first])) ++first;
    out.erase(0, first);
  }
  return out;
}

// Whether account is key=value text: a keyword, optional blanks, then '='.
bool isConninfo(const std::string& account) {
  std::size_t i = 0;
  while (i < account.size() && isBlank(account[i])) ++i;
  std::size_t word = i;
  while (i < account.size() &&
         (std::isalnum(static_cast<unsigned char>(account[i])) != 0 || account[i] == '_')) {
    ++i;
  }
  if (i == word) return false;
  while (i < account.size() && (account[i] == ' ' || account[i] == '\t')) ++i;
  return i < account.size() && account[i] == '=';
}

// The length of the well-formed UTF-8 sequence at p (of n bytes, n >= 1), or
// 0 when its first byte does not start one.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t n) {
  unsigned char b = p[0];
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0) low = 0xA0;   // no overlong forms
    if (b == 0xED) high = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (n < length || p[1] < low || p[1] > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return length;
}

void appendTime(std::string* out, const struct timespec& when) {
  struct tm utc = {};
  time_t seconds = when.tv_sec;
  gmtime_r(&seconds, &utc);
  char text[40];
  int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06ldZ",
                        utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                        utc.tm_sec, static_cast<long>(when.tv_nsec / 1000));
  out->append(text, static_cast<std::size_t>(n));
}

int64_t microsBetween(const struct timespec& from, const struct timespec& to) {
  return (static_cast<int64_t>(to.tv_sec) - from.tv_sec) * 1000000 +
         (static_cast<int64_t>(to.tv_nsec) - from.tv_nsec) / 1000;
}

}  // namespace

std::string accountWithoutPassword(const std::string& account) {
  for (const char* scheme : {"postgresql://", "postgres://"}) {
    if (startsWith(account, scheme)) return uriWithoutPassword(account, std::strlen(scheme));
  }
  if (isConninfo(account)) return conninfoWithoutPassword(account);
  return account;
}

void appendJsonString(std::string* out, const char* text, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = 0; i < length;) {
    unsigned char c = p[i];
    if (c >= 0x80) {
      std::size_t n = utf8SequenceLength(p + i, length - i);
      if (n > 0) {
        out->append(text + i, n);
        i += n;
      } else {
        *out += "\\udc";
        *out += kHexDigits[c >> 4];
        *out += kHexDigits[c & 0xF];
        ++i;
      }
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        *out += "\\\"";
        break;
      case '\\':
        *out += "\\\\";
        break;
      case '\n':
        *out += "\\n";
        break;
      case '\r':
        *out += "\\r";
        break;
      case '\t':
        *out += "\\t";
        break;
      default:
        if (c < 0x20) {
          *out += "\\u00";
          *out += kHexDigits[c >> 4];
          *out += kHexDigits[c & 0xF];
        } else {
          *out += static_cast<char>(c);
        }
    }
  }
}

StatementLog::StatementLog(const char* path, const char* account, OutputBuffer* out,
                           OutputBuffer* err)
    : out_(out), err_(err) {
  if (path == nullptr || *path == '\0') return;
  path_ = path;
  fd_ = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kLogFileMode);
  if (fd_ < 0) {
    int error = errno;
    err_->puts("dvsql: cannot open statement log ");
    err_->puts(path);
    err_->puts(": ");
    err_->puts(std::strerror(error));
    err_->puts("; statements are not logged\n");
    err_->flush();
    return;
  }
  std::string plain = accountWithoutPassword(account != nullptr ? account : "");
  appendJsonString(&account_, plain.data(), plain.size());
}

StatementLog::~StatementLog() {
  if (fd_ >= 0) ::close(fd_);
}

void StatementLog::begin(const char* text, std::size_t length) {
  if (fd_ < 0) return;
  open_ = true;
  rowCounter_ = nullptr;
  pausedMicros_ = 0;
  failedCall_ = false;
  warnedCall_ = false;
  cancelled_ = false;
  diagnostics_.clear();
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  clock_gettime(CLOCK_MONOTONIC, &started_);
  line_ = "{\"time\":\"";
  appendTime(&line_, now);
  line_ += "\",\"account\":\"";
  line_ += account_;
  line_ += "\",\"statement\":\"";
  appendJsonString(&line_, text, length);
  line_ += '"';
}

void StatementLog::noteReturn(DciReturn rc) {
  if (!open_) return;
  if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) {
    failedCall_ = true;
  } else if (rc != SQL_SUCCESS) {
    warnedCall_ = true;
  }
}

void StatementLog::noteRecord(const char* label, const char* state, int32_t native,
                              const char* message) {
  if (!open_) return;
  if (std::strcmp(state, kCancelledState) == 0) cancelled_ = true;
  diagnostics_ += diagnostics_.empty() ? "{\"call\":\"" : ",{\"call\":\"";
  appendJsonString(&diagnostics_, label, std::strlen(label));
  diagnostics_ += "\",\"sqlstate\":\"";
  appendJsonString(&diagnostics_, state, std::strlen(state));
  diagnostics_ += "\",\"native\":";
  diagnostics_ += std::to_string(native);
  diagnostics_ += ",\"message\":\"";
  appendJsonString(&diagnostics_, message, std::strlen(message));
  diagnostics_ += "\"}";
}

void StatementLog::pauseBegin() {
  if (open_) clock_gettime(CLOCK_MONOTONIC, &pauseStarted_);
}

void StatementLog::pauseEnd() {
  if (!open_) return;
  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  pausedMicros_ += microsBetween(pauseStarted_, now);
}

void StatementLog::end() {
  if (!open_) return;
  open_ = false;
  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  int64_t micros = microsBetween(started_, now) - pausedMicros_;
  const char* outcome = cancelled_    ? "cancelled"
                        : failedCall_ ? "error"
                        : warnedCall_ ? "success_with_info"
                                      : "success";
  line_ += ",\"duration_us\":";
  line_ += std::to_string(micros < 0 ? 0 : micros);
  line_ += ",\"rows\":";
  line_ += rowCounter_ != nullptr ? std::to_string(*rowCounter_) : "null";
  line_ += ",\"outcome\":\"";
  line_ += outcome;
  line_ += "\",\"diagnostics\":[";
  line_ += diagnostics_;
  line_ += "]}\n";
  // One write for the line, so that lines of sessions sharing the file never mix.
  ssize_t n = 0;
  do {
    n = ::write(fd_, line_.data(), line_.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    fail(std::strerror(errno));
  } else if (static_cast<std::size_t>(n) != line_.size()) {
    fail("only " + std::to_string(n) + " of " + std::to_string(line_.size()) + " bytes written");
  }
}

void StatementLog::fail(const std::string& why) {
  out_->flush();
  err_->puts("dvsql: cannot write statement log ");
  err_->puts(path_.c_str());
  err_->puts(": ");
  err_->puts(why.c_str());
  err_->puts("; no further statements are logged\n");
  err_->flush();
  ::close(fd_);
  fd_ = -1;
}

}  // namespace interp
