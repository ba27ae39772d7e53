// TableInitParser: reads the textual description of a table (the table
// initializer syntax) from an input stream and builds a Table. Rows of values
// are separated by configurable delimiters; the first line may hold the
// column titles; "Title(...)" and "Columns(...)" clauses set the title and
// the names; "Table(...)" nests a table in a cell to any depth (up to
// kMaxDepth); "ClassName(text)" gives a cell a value class; other tokens are
// typed by trying the value classes in a fixed order. Quoted strings take
// backslash escapes, and comments nest.
//
// Every problem is reported through a status located by line and character;
// nothing throws, the nesting depth and the token length are bounded, and no
// character is read past the end of the input.
#ifndef DV_TABLE_TABLEINITPARSER_H_
#define DV_TABLE_TABLEINITPARSER_H_

#include <cstdint>
#include <iosfwd>

#include "status/Status.h"

namespace dv {

class Datum;
class Table;

// MODULERR codes of the parser's statuses.
inline constexpr uint32_t kInitSyntaxErrorCode = 0x40040009;   // syntax errors
inline constexpr uint32_t kInitFormatErrorCode = 0x4004000A;   // token errors
inline constexpr uint32_t kInitBadClassNameCode = 0x4004000B;  // unknown class name
inline constexpr uint32_t kInitBadArgumentCode = 0x40050002;   // delimiter settings
// DATUMERR code of a Money form without a known monetary unit.
inline constexpr uint32_t kInvalidMonetaryUnitCode = 0x40020027;

class TableInitParser {
 public:
  // How deep "Table(", "Columns(" and "Title(" forms may nest; deeper input
  // fails with a syntax error instead of exhausting the stack.
  static constexpr int kMaxDepth = 200;
  // The longest token kept, well beyond the longest Text: a longer one
  // fails with a format error rather than taking all memory.
  static constexpr int32_t kMaxTokenLength = 1024 * 1024;

  // The default delimiters: "(" ")" ";" "," quotes '"' and "'", escape "\";
  // braces true makes "{" and "}" enclose the body (text before "{" is
  // ignored). noTitleLine 0: the first line of the top-level table holds the
  // column titles. reserved must be 0.
  TableInitParser(std::istream& input, uint8_t noTitleLine, uint8_t reserved, bool skipBlankLines,
                  bool braces);
  // Custom delimiters (braceOpen and braceClose 0: no braces). Settings that
  // would make the syntax ambiguous leave the parser with
  // "($01$)Invalid argument." (see parse).
  TableInitParser(std::istream& input, uint8_t noTitleLine, uint8_t reserved, bool skipBlankLines,
                  char open, char close, char rowSep, char colSep, char quote1, char quote2,
                  char escape, char braceOpen, char braceClose);
  ~TableInitParser();
  TableInitParser(const TableInitParser&) = delete;
  TableInitParser& operator=(const TableInitParser&) = delete;

  // Parses the input into result, a new table owned by the caller (null
  // only when not even an empty table could be made), and returns its
  // status: success, the first error (the table is then 0 x 0 with that
  // status) or the worst warning of the last cell stored.
  const Status* parse(Table*& result);

 private:
  static constexpr int kEof = 0xFF;

  void init(uint8_t noTitleLine, uint8_t reserved, bool skipBlankLines, char open, char close,
            char rowSep, char colSep, char quote1, char quote2, char escape, char braceOpen,
            char braceClose);
  int readChar();
  void unreadChar(int c);
  bool isSpecial(int c) const { return specials_[c & 0xFF]; }
  bool isBlank(int c) const;
  bool append(int c);
  // Reads one token into the buffer; returns the delimiter that ended it, or
  // 0 with status_ set.
  int nextToken();
  bool readEscape();
  void formatError(const char* what, int offending);
  void syntaxError(const char* what, int offending);
  void locatedError(uint32_t code, const char* kind, const char* what, int offending);
  // Builds one table up to its closing delimiter; null when the table
  // itself cannot be made. A failure leaves status_ set and the table 0 x 0
  // with that status.
  Table* parseTable(bool titles);
  const Status* store(Table& t, bool titles, int32_t row, int32_t col);
  Datum* classValue(const char* className, const char* text);

  std::istream& input_;
  int open_ = '(', close_ = ')', rowSep_ = ';', colSep_ = ',';
  int quote1_ = '"', quote2_ = '\'', escape_ = '\\';
  int braceOpen_ = 0, braceClose_ = 0;
  bool specials_[256] = {};
  uint8_t noTitleLine_ = 0;
  bool skipBlankLines_ = false;
  char* token_ = nullptr;
  int32_t tokenLength_ = 0;
  int32_t tokenCapacity_ = 0;
  bool quoted_ = false;
  bool commentSeen_ = false;
  const Status* status_ = nullptr;  // held: one reference
  Datum* pending_ = nullptr;        // held: one reference
  int depth_ = 0;
  int32_t line_ = 1;
  int32_t column_ = 0;
  int reread_ = -1;     // a character handed back to the reader
  bool atEof_ = false;  // the end was read once (counted once)
};

}  // namespace dv

#endif  // DV_TABLE_TABLEINITPARSER_H_
