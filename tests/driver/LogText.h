// How the scripted DCI driver writes a text argument in its log: in double quotes, escaped,
// and cut when long. The driver writes its log with these functions; the transcript runner
// writes with them the log lines it expects for a normal session (the account text of
// SQLConnect), so that the two cannot drift apart.
#ifndef DVSQL_TESTS_DRIVER_LOGTEXT_H_
#define DVSQL_TESTS_DRIVER_LOGTEXT_H_

#include <cstddef>
#include <string>

namespace script_log {

// Appends the n bytes at p with '"', '\\', newline, tab and carriage return as backslash
// escapes and every other byte outside printable ASCII as \xHH.
inline void appendEscaped(std::string& out, const char* p, std::size_t n) {
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xf];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
}

// Returns the n bytes at p quoted and escaped. Long texts (SQL statements, values) are cut so
// that log lines stay readable; the byte count still shows whether the whole text arrived.
inline std::string quoted(const char* p, std::size_t n) {
  constexpr std::size_t kLongText = 64;
  constexpr std::size_t kShownOfLong = 32;
  std::string out = "\"";
  appendEscaped(out, p, n > kLongText ? kShownOfLong : n);
  out += '"';
  if (n > kLongText) out += "...(" + std::to_string(n) + " bytes)";
  return out;
}

inline std::string quoted(const std::string& s) {
  return quoted(s.data(), s.size());
}

}  // namespace script_log

#endif  // DVSQL_TESTS_DRIVER_LOGTEXT_H_
