// The table dump and the column-attribute words.
#include "table/TableDump.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "datum/AbsNumber.h"
#include "datum/DateTime.h"
#include "datum/DatumConstraint.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "status/Status.h"
#include "table/AbsTable.h"

namespace dv {
namespace {

constexpr uint32_t kWarningStatusCode = 0x10030025;  // shown as "/*WS*/"
// Any style name other than the locale's and "iso" selects the standard one.
constexpr const char* kStandardDateTimeStyle = "standard";

struct Writer {
  std::ostream& os;
  TableTextFormat format;
  int32_t options;
  int indent;

  bool crlf() const { return (options & kDumpCrLf) != 0; }
  void eol() const {
    if (crlf()) os << '\r';
    os << '\n';
  }
  void ind() const {
    for (int i = 0; i < indent; ++i) os << "    ";
  }
  // The row terminator, and a line end when the row separator is not one.
  void endRow() const {
    if (format.rowSep == '\n') {
      if (crlf()) os << '\r';
      os << '\n';
    } else {
      os << format.rowSep;
      eol();
    }
  }
  // Text in quotes: the quote, the escape and the parentheses escaped,
  // other unprintable bytes as escapes. In a comment, whose text the parser
  // skips, a "*/" or "/*" is parted by a blank as in commentText: quotes do
  // not protect it there.
  void quoted(const char* s, bool inComment = false) const {
    os << format.quote;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p != '\0'; ++p) {
      unsigned char c = *p;
      if (inComment && ((c == '*' && p[1] == '/') || (c == '/' && p[1] == '*'))) {
        os << static_cast<char>(c) << ' ';
      } else if (c == static_cast<unsigned char>(format.quote) ||
                 c == static_cast<unsigned char>(format.escape) || c == '(' || c == ')') {
        os << format.escape << static_cast<char>(c);
      } else if (c < 0x20 || c >= 0x7F) {
        os << format.escape;
        switch (c) {
          case 8:
            os << 'b';
            break;
          case 9:
            os << 't';
            break;
          case 10:
            os << 'n';
            break;
          case 13:
            os << 'r';
            break;
          default: {
            char hex[4];
            std::snprintf(hex, sizeof hex, "x%02x", c);
            os << hex;
          }
        }
      } else {
        os << static_cast<char>(c);
      }
    }
    os << format.quote;
  }
  // Text inside a comment: a "*/" or "/*" in it would end or open one, so
  // its two characters are parted by a blank.
  void commentText(const char* s) const {
    for (const char* p = s; *p != '\0'; ++p) {
      os << *p;
      if ((p[0] == '*' && p[1] == '/') || (p[0] == '/' && p[1] == '*')) os << ' ';
    }
  }
  // Whether a value's text can stand unquoted: nothing in it that the
  // parser would take for a delimiter, quote, escape or comment, and no
  // blank at either end.
  bool plain(const char* s) const {
    if (*s == '\0') return false;
    std::size_t n = std::strlen(s);
    if (std::isspace(static_cast<unsigned char>(s[0])) ||
        std::isspace(static_cast<unsigned char>(s[n - 1])))
      return false;
    for (const char* p = s; *p != '\0'; ++p) {
      char c = *p;
      if (c == format.colSep || c == format.rowSep || c == format.quote || c == format.escape ||
          c == '"' || c == '\'' || c == '(' || c == ')' || c == ';' || c == ',' || c == '{' ||
          c == '}' || c == '\n' || c == '\r' || static_cast<unsigned char>(c) < 0x20 ||
          static_cast<unsigned char>(c) >= 0x7F)
        return false;
      if (c == '/' && p[1] == '*') return false;
    }
    return true;
  }
};

// A value's text form, in a block of dv::allocate freed with the holder.
struct TextForm {
  char* chars = nullptr;
  TextForm() = default;
  TextForm(const TextForm&) = delete;
  TextForm& operator=(const TextForm&) = delete;
  ~TextForm() { deallocate(chars); }
  bool make(const Datum& d) {
    deallocate(chars);
    // Date/time values in the standard style: the locale's two-digit years
    // would not read back to the same instant.
    chars = d.newString(d.isKindOf(DateTime::desc()) ? kStandardDateTimeStyle : nullptr);
    return chars != nullptr;
  }
};

// Whether a number's text reads back as a Number when written bare: the
// parser takes other number texts for Decimals.
bool integerText(const char* s) {
  if (*s == '-') ++s;
  if (*s == '\0') return false;
  for (; *s != '\0'; ++s)
    if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
  return true;
}

bool isKind(const Datum& d, const Class& c) {
  return d.isKindOf(c);
}

}  // namespace

TableTextFormat tableTextFormat(const Datum* format) {
  TableTextFormat f;
  if (format == nullptr) return f;
  char buf[5] = {0, 0, 0, 0, 0};
  format->asString(buf, sizeof buf);
  if (buf[0] != '\0') {
    f.colSep = buf[0];
    if (buf[1] != '\0') {
      f.rowSep = buf[1];
      if (buf[2] != '\0') {
        f.quote = buf[2];
        if (buf[3] != '\0') f.escape = buf[3];
      }
    }
  }
  return f;
}

int dumpTable(const AbsTable* table, std::ostream& os, const Datum* format, const Datum* options,
              AbsTable** copyOut, int indent, int impliedRow, const char* impliedColumn) {
  int32_t opt = options != nullptr ? options->asLong() : 0;
  Writer w{os, tableTextFormat(format), opt, indent};
  if (table == nullptr) {
    if (opt & kDumpHeader) os << "/* The table pointer is NULL */";
    w.eol();
    return 0;
  }
  if (table->isExternal()) {
    if (opt & kDumpHeader) {
      os << "/* The table is actually a nil/null datum */";
      w.eol();
    }
    return 1;
  }
  int32_t rows = table->rows(), cols = table->cols();
  bool commentOpen = false;
  auto openComment = [&] {
    if (commentOpen) return;
    os << "/*";
    w.eol();
    w.ind();
    commentOpen = true;
  };
  if (opt & kDumpHeader) {
    TextForm title;
    if (!title.make(*table->title())) return 0;
    if (title.chars[0] != '\0') {
      os << "Title(";
      w.quoted(title.chars);
      os << ")";
      w.eol();
      w.ind();
    }
    openComment();
    if (impliedColumn != nullptr) {
      os << "Implied Title: Contents of ";
      w.commentText(impliedColumn);
      os << " column, row " << impliedRow;
      w.eol();
      w.ind();
    }
    os << "Type: Table(" << rows << " rows, " << cols << " cols)";
    w.eol();
    w.ind();
  }
  if ((opt & kDumpStatuses) && table->severity() != 0) {
    openComment();
    os << "Table Status: ";
    table->status()->printOn(os);
    w.eol();
    w.ind();
  }
  if ((opt & kDumpHeader) && !(opt & kDumpNoTitles)) {
    openComment();
    bool first = true;
    for (int32_t c = 0; c < cols; ++c) {
      if (table->columnName(c, 1) == nullptr) continue;
      if (first) {
        os << "Column Attributes:";
        w.eol();
        w.ind();
        first = false;
      }
      w.quoted(table->columnName(c, 0), true);
      os << ": Aliases: ";
      for (int32_t a = 1; table->columnName(c, a) != nullptr; ++a) {
        if (a > 1) os << w.format.colSep;
        w.quoted(table->columnName(c, a), true);
      }
      w.eol();
      w.ind();
    }
    os << "Note: The first line is the column titles.";
    w.eol();
    w.ind();
  }
  if (commentOpen) {
    os << "*/";
    w.eol();
  }
  if (!(opt & kDumpNoTitles)) {
    w.ind();
    for (int32_t c = 0; c < cols; ++c) {
      if (c > 0) os << w.format.colSep;
      // A column without a name leaves its place empty.
      const char* name = table->columnName(c, 0);
      if (name != nullptr) w.quoted(name);
    }
    w.endRow();
  }
  std::ios_base::fmtflags flags = os.flags();
  std::streamsize precision = os.precision();
  os.precision(2);
  os.setf(std::ios_base::fixed | std::ios_base::showpoint);
  struct Restore {
    std::ostream& os;
    std::ios_base::fmtflags flags;
    std::streamsize precision;
    ~Restore() {
      os.flags(flags);
      os.precision(precision);
    }
  } restore{os, flags, precision};
  if (rows <= 0 || cols <= 0) {
    w.ind();
    os << "/* The table has no cells */";
    w.eol();
  } else {
    TextForm text;
    for (int32_t r = 0; r < rows; ++r) {
      if ((opt & kDumpStatuses) && table->hasRowStatus() &&
          table->rowStatus(r) != successStatus()) {
        os << "/* Row Status: ";
        table->rowStatus(r)->printOn(os);
        os << " */";
      }
      w.ind();
      for (int32_t c = 0; c < cols; ++c) {
        if (c > 0) os << w.format.colSep;
        const Datum* d = table->cell(r, c);
        if (opt & kDumpRefCounts) os << "/*" << d->refCount() << "*/";
        if (d->isA() == &Text::desc()) {
          w.quoted(static_cast<const Text*>(d)->chars());
        } else if (isKind(*d, AbsTable::desc())) {
          if (opt & kDumpBare) {
            if (w.crlf()) os << '\r';
          } else {
            os << "Table(";
          }
          int32_t nestedOptions = opt;
          if (opt & kDumpNestedPlain) nestedOptions &= ~kDumpHeader;
          Number nested(nestedOptions);
          if (dumpTable(static_cast<const AbsTable*>(d), os, format, &nested, nullptr, indent + 1,
                        r, table->columnName(c, 0)) == 0)
            return 0;
          if (!(opt & kDumpBare)) {
            w.ind();
            os << ")";
          }
        } else if (isKind(*d, DatumConstraint::desc())) {
          if (!text.make(*d)) return 0;
          os << "/* ";
          w.commentText(text.chars);
          os << " */";
        } else if (d->isExternal() || d == nilDatum()) {
          // An empty place, which reads back as the nil datum.
        } else {
          if (!text.make(*d)) return 0;
          bool number = isKind(*d, Number::desc());
          if (opt & kDumpBare) {
            os << text.chars;
          } else if (number && integerText(text.chars)) {
            os << text.chars;
          } else {
            os << d->className() << "(";
            // A text the parser would split is written in quotes.
            if (w.plain(text.chars))
              os << text.chars;
            else
              w.quoted(text.chars);
            os << ")";
          }
        }
        if ((opt & kDumpStatuses) && d->severity() > 0) {
          if (d->code() == kWarningStatusCode) {
            os << "/*WS*/";
          } else {
            os << "/* Cell Status: ";
            w.commentText(d->messageText());
            os << " */";
          }
        }
      }
      w.endRow();
    }
  }
  if (copyOut != nullptr) {
    table->addRef();
    *copyOut = const_cast<AbsTable*>(table);
  }
  return 1;
}

int dumpColumnAttributes(const AbsTable& table, int32_t col, std::ostream& os, const Datum* format,
                         const Datum* options, int indent) {
  int32_t opt = options != nullptr ? options->asLong() : 0;
  switch (table.updatability(col)) {
    case 0:
      os << "NOT_UPDATABLE ";
      break;
    case 1:
      os << "UPDATABLE ";
      break;
    case 2:
      os << "INSERT/UPDATABLE ";
      break;
    default:
      os << "BAD_UPDATABILITY! ";
  }
  os << (table.isSearchable(col) ? "SEARCHABLE " : "NOT_SEARCHABLE ");
  Datum* prototype = table.prototypeSubtable(col);
  if (prototype->isKindOf(AbsTable::desc())) {
    os << "Prototype SubTable(";
    (void)dumpTable(static_cast<AbsTable*>(prototype), os, format, options, nullptr, indent + 1);
    for (int i = 0; i < indent; ++i) os << "    ";
    os << ")";
    if (opt & kDumpCrLf) os << '\r';
    return 0;
  }
  prototype->printOn(os);
  return 1;
}

}  // namespace dv
