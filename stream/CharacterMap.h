// Character mapping files: pairs of single-byte codes that the value stream
// exchanges when text crosses between this side and the host, loaded into
// two 256-entry translation tables. The file is in the table initializer
// format with "=" between the two columns and one pair per line: the first
// column a character of this side, the second its host character, each a
// number or a text of one character.
#ifndef DV_STREAM_CHARACTERMAP_H_
#define DV_STREAM_CHARACTERMAP_H_

#include <cstdint>
#include <istream>
#include <ostream>

#include "object/String.h"

namespace dv {

inline constexpr int kCharacterMapSize = 256;

// Whether code may not be mapped: 0, the ASCII letters and digits and the
// characters of "_()<=>!%*.- \t\n\b\r\f".
bool isReservedCharacter(int code);

// Loads the file name into the tables: fromTable maps each host character
// to its character on this side, toTable each character of this side to its
// host character; both start as the identity. A name that starts with "/" or
// "./" is opened as it is; any other is looked for in directory ("./"
// followed by directory when that is relative). Problems are written to the
// standard error stream, a line each. False, the tables untouched, when the
// file cannot be opened or parsed; true otherwise, even when rows were
// refused ("Invalid entry in character mapping file NAME line N.").
bool loadCharacterMap(const String& name, const char* directory, uint8_t* fromTable,
                      uint8_t* toTable);

// The same with the file already open (path names it in messages) and the
// messages written to err.
bool loadCharacterMap(std::istream& in, const char* path, uint8_t* fromTable, uint8_t* toTable,
                      std::ostream& err);

}  // namespace dv

#endif  // DV_STREAM_CHARACTERMAP_H_
