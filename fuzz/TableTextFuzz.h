// Fuzzing entries of the table texts: the table initializer parser with the
// dump read back through it (table_init), and FileTable reading delimited
// text (file_table). See fuzz/Targets.h.
#ifndef DV_FUZZ_TABLETEXTFUZZ_H_
#define DV_FUZZ_TABLETEXTFUZZ_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace fuzz {

// The first byte chooses the parser's settings (bit 0 no title line, bit 1
// skip blank lines, bit 2 the newline as row separator, bit 3 braces); the
// rest is the text. Every parse ends with a table: a failed one is 0 x 0
// and carries the error. A parse without error is dumped (semicolon as row
// separator, with the header comment) and the dump must parse without error
// to a table of the same shape whose cells have the same classes; dumping
// that table and parsing the dump again must give the same dump (the dump
// is a fixed point after one round).
int runTableInit(const uint8_t* data, std::size_t size);

// The first byte chooses the options (bits 0 and 1) and the format (bit 2:
// "|", ";", "'" and "\" instead of the defaults); the rest is the file's
// text. The table read never has more rows than the text has row
// separators plus one, nor more columns than it has column separators plus
// one, and every cell reads.
int runFileTable(const uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace dv

#endif  // DV_FUZZ_TABLETEXTFUZZ_H_
