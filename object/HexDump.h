// Hexadecimal dumps of byte buffers for diagnostics: a title line, then 16
// bytes per line in hexadecimal and as characters.
#ifndef DV_OBJECT_HEXDUMP_H_
#define DV_OBJECT_HEXDUMP_H_

#include <cstddef>
#include <cstdio>
#include <iosfwd>

namespace dv {

// Writes the dump of buffer[0, length) to out and flushes it. Bytes show as
// "%3x" from column 0 and as characters from column 56, where a byte below
// 0x80 that is not printable, and any byte from 0x80 to 0x9F, shows as '_';
// every line is 72 characters, blank where unused.
void hexDump(const char* title, const void* buffer, std::size_t length, std::FILE* out);
void hexDump(const char* title, const void* buffer, std::size_t length, std::ostream& out);

}  // namespace dv

#endif  // DV_OBJECT_HEXDUMP_H_
