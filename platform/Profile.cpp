// The profile file reader.
#include "platform/Profile.h"

#include <climits>
#include <cstring>
#include <fstream>

namespace dv {
namespace platform {
namespace {

// Profile files are small; a larger file is read only this far.
constexpr std::size_t kMaxProfileSize = 1 << 20;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// [b, e) without blanks at either end.
void trim(const char** b, const char** e) {
  while (*b < *e && isBlank(**b)) ++*b;
  while (*e > *b && isBlank((*e)[-1])) --*e;
}

bool equalsNoCase(const char* b, const char* e, const char* word) {
  std::size_t n = std::strlen(word);
  if (static_cast<std::size_t>(e - b) != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char x = b[i];
    char y = word[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool readFile(const char* path, std::string* text) {
  if (path == nullptr) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->resize(kMaxProfileSize);
  in.read(&(*text)[0], static_cast<std::streamsize>(kMaxProfileSize));
  text->resize(static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

bool profileLookup(const char* text, std::size_t length, const char* section, const char* key,
                   std::string* value) {
  if (text == nullptr || section == nullptr || key == nullptr || value == nullptr) return false;
  const char* end = text + length;
  bool inSection = false;
  for (const char* line = text; line < end;) {
    const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', end - line));
    if (lineEnd == nullptr) lineEnd = end;
    const char* b = line;
    const char* e = lineEnd;
    line = lineEnd < end ? lineEnd + 1 : end;
    trim(&b, &e);
    if (b == e || *b == ';') continue;
    if (*b == '[') {
      const char* close = static_cast<const char*>(std::memchr(b, ']', e - b));
      const char* nb = b + 1;
      const char* ne = close != nullptr ? close : e;
      trim(&nb, &ne);
      inSection = equalsNoCase(nb, ne, section);
      continue;
    }
    if (!inSection) continue;
    const char* equals = static_cast<const char*>(std::memchr(b, '=', e - b));
    if (equals == nullptr) continue;
    const char* kb = b;
    const char* ke = equals;
    trim(&kb, &ke);
    if (!equalsNoCase(kb, ke, key)) continue;
    const char* vb = equals + 1;
    const char* ve = e;
    trim(&vb, &ve);
    if (ve - vb >= 2 && (*vb == '"' || *vb == '\'') && ve[-1] == *vb) {
      ++vb;
      --ve;
    }
    value->assign(vb, ve);
    return true;
  }
  return false;
}

int32_t profileInt(const char* path, const char* section, const char* key, int32_t defaultValue) {
  std::string text;
  std::string value;
  if (!readFile(path, &text) || !profileLookup(text.data(), text.size(), section, key, &value)) {
    return defaultValue;
  }
  const char* p = value.c_str();
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t n = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    n = n * 10 + (*p - '0');
    if (n > static_cast<int64_t>(INT32_MAX) + 1) n = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) n = -n;
  if (n > INT32_MAX) n = INT32_MAX;
  return static_cast<int32_t>(n);
}

int profileString(const char* path, const char* section, const char* key, const char* defaultValue,
                  char* buf, int size) {
  if (buf == nullptr || size < 1) return 0;
  std::string text;
  std::string value;
  if (!readFile(path, &text) || !profileLookup(text.data(), text.size(), section, key, &value)) {
    value = defaultValue != nullptr ? defaultValue : "";
  }
  std::size_t n = value.size() < static_cast<std::size_t>(size - 1)
                      ? value.size()
                      : static_cast<std::size_t>(size - 1);
  std::memcpy(buf, value.data(), n);
  buf[n] = '\0';
  return static_cast<int>(n);
}

}  // namespace platform
}  // namespace dv
