// FileTable: reads a delimited text file (one table row per line, fields
// parted by a column separator, optional quotes and escapes, the first line
// optionally the column titles) into a Table. Unquoted fields are typed as a
// number (decimal, 0x hexadecimal, leading-zero octal, or floating), a
// date/time, an interval or a text; quoted fields stay texts.
//
// The four format characters come from the first four characters of a
// format value: column separator (default ","), row separator ("\n"), quote
// ('"') and escape ("\"). The input is read through its stream buffer in
// blocks; fields of any length are kept whole up to kMaxFieldLength (beyond
// that the rest of the field is dropped and the cell carries the
// text-truncated warning). A UTF-8 byte-order mark at the start is skipped,
// and the blanks after a closing quote (the carriage return of a CRLF line
// end among them) are not part of the field.
#ifndef DV_TABLE_FILETABLE_H_
#define DV_TABLE_FILETABLE_H_

#include <cstdint>
#include <iosfwd>

namespace dv {

class Datum;
class Table;
class Text;

// The reading options (read from a Datum with asLong).
inline constexpr int32_t kFileSkipBlankLines = 1;
inline constexpr int32_t kFileNoTitleLine = 2;

class FileTable {
 public:
  static constexpr int kNameSize = 64;
  // The field buffer starts at this size and grows as a field needs.
  static constexpr int32_t kFieldBufferSize = 8 * 1024;
  // The most characters of one field that are kept.
  static constexpr int32_t kMaxFieldLength = 1024 * 1024;

  // A reader named "FileTable".
  FileTable();
  const char* name() const { return name_; }

  // Reads the file fileName into *result, a new table owned by the caller.
  // A file that cannot be opened gives a 0 x 0 table whose status is
  // "Unable to open file: <name>" (with the system's error number). False
  // only for a null fileName; a null result answers true at once.
  static bool read(const char* fileName, const Datum* format, const Datum* options, Table** result);
  static bool read(const Text& fileName, const Datum* format, const Datum* options, Table** result);
  // Reads an open stream into *result, a new table owned by the caller
  // (null when not even that can be made). True unless result is null.
  static bool readStream(std::istream& in, const Datum* format, const Datum* options,
                         Table** result);

 private:
  char name_[kNameSize];
};

}  // namespace dv

#endif  // DV_TABLE_FILETABLE_H_
