// The table dump: a commented text form of a table that reads back through
// the table initializer parser. An optional header comment (title, type and
// size, statuses, column aliases) comes first, then a line of column titles,
// then one line per row: each cell as a quoted Text, a bare number,
// "ClassName(text)" or a nested "Table(" ... ")". The four format
// characters are those of delimited files (see FileTable.h).
#ifndef DV_TABLE_TABLEDUMP_H_
#define DV_TABLE_TABLEDUMP_H_

#include <cstdint>
#include <iosfwd>

namespace dv {

class AbsTable;
class Datum;

// The dump options (read from a Datum with asLong; absent: 0).
inline constexpr int32_t kDumpHeader = 0x1;         // header comment and column notes
inline constexpr int32_t kDumpStatuses = 0x2;       // table, row and cell statuses
inline constexpr int32_t kDumpRefCounts = 0x4;      // each cell's reference count
inline constexpr int32_t kDumpNoTitles = 0x8;       // no column notes, no titles line
inline constexpr int32_t kDumpCrLf = 0x10;          // a carriage return before each line end
inline constexpr int32_t kDumpBare = 0x20;          // cells without class or table wrappers
inline constexpr int32_t kDumpNestedPlain = 0x100;  // nested tables without header

// The four format characters, from the first four characters of format
// (null, or a NUL in a position: that position's default).
struct TableTextFormat {
  char colSep = ',';
  char rowSep = '\n';
  char quote = '"';
  char escape = '\\';
};
TableTextFormat tableTextFormat(const Datum* format);

// Writes table to os in the dump form, indented by indent times four blanks.
// impliedRow and impliedColumn (null: none) say, for a nested table, which
// cell of the outer table holds it. Returns 0 for a null table (with
// kDumpHeader a comment says so) or when a cell's text cannot be made, else
// 1. When copyOut is given it receives table with one more reference.
int dumpTable(const AbsTable* table, std::ostream& os, const Datum* format = nullptr,
              const Datum* options = nullptr, AbsTable** copyOut = nullptr, int indent = 0,
              int impliedRow = 0, const char* impliedColumn = nullptr);

// Writes the attribute words of column col (its updatability and whether it
// is searchable), then its prototype sub-table dumped one level deeper
// (answers 0) or the prototype value's printOn (answers 1).
int dumpColumnAttributes(const AbsTable& table, int32_t col, std::ostream& os,
                         const Datum* format = nullptr, const Datum* options = nullptr,
                         int indent = 0);

}  // namespace dv

#endif  // DV_TABLE_TABLEDUMP_H_
