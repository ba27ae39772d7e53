// Hexadecimal dumps.
#include "object/HexDump.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

namespace dv {
namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kTextColumn = 56;
constexpr std::size_t kLineWidth = 72;

bool isPrintableAscii(unsigned char c) {
  return c >= 0x20 && c < 0x7F;
}

// The whole dump as text.
std::string dumpText(const char* title, const void* buffer, std::size_t length) {
  std::string out;
  char head[256];
  int n = std::snprintf(
      head, sizeof head, "\n%s  (buffer at %lx, length = %d)\n", title != nullptr ? title : "",
      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(buffer)), static_cast<int>(length));
  if (n >= static_cast<int>(sizeof head)) {
    // A very long title: format it without the fixed buffer.
    out += '\n';
    out += title;
    std::snprintf(head, sizeof head, "  (buffer at %lx, length = %d)\n",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(buffer)),
                  static_cast<int>(length));
  }
  out += head;
  const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
  for (std::size_t start = 0; start < length; start += kBytesPerLine) {
    char line[kLineWidth + 1];
    std::memset(line, ' ', kLineWidth);
    std::size_t count = std::min(kBytesPerLine, length - start);
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char c = bytes[start + i];
      char hex[4];
      std::snprintf(hex, sizeof hex, "%3x", c);
      std::memcpy(line + 3 * i, hex, 3);
      bool hidden = (c < 0x80 && !isPrintableAscii(c)) || (c >= 0x80 && c <= 0x9F);
      line[kTextColumn + i] = hidden ? '_' : static_cast<char>(c);
    }
    line[kLineWidth] = '\n';
    out.append(line, kLineWidth + 1);
  }
  return out;
}

}  // namespace

void hexDump(const char* title, const void* buffer, std::size_t length, std::FILE* out) {
  std::string text = dumpText(title, buffer, length);
  std::fwrite(text.data(), 1, text.size(), out);
  std::fflush(out);
}

void hexDump(const char* title, const void* buffer, std::size_t length, std::ostream& out) {
  std::string text = dumpText(title, buffer, length);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
}

}  // namespace dv
