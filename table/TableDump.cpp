// The table dump and the column-attribute words.
#include "table/TableDump.h"

#include <cctype>
#include <charconv>
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

// The bytes the parser skips as white space around a value.
bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The dump's output, gathered in a block and handed to the stream in large
// pieces: an insertion per character costs more than the formatting itself.
// Nested tables share the block of the outermost dump.
class Out {
 public:
  explicit Out(std::ostream& os) : os_(os) {}
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;
  ~Out() { flush(); }
  void put(char c) {
    if (n_ == sizeof buf_) flush();
    buf_[n_++] = c;
  }
  void put(const char* s) { put(s, std::strlen(s)); }
  void put(const char* s, std::size_t len) {
    if (len > sizeof buf_ - n_) {
      flush();
      if (len >= sizeof buf_) {
        os_.write(s, static_cast<std::streamsize>(len));
        return;
      }
    }
    std::memcpy(buf_ + n_, s, len);
    n_ += len;
  }
  void putInt(long v) {
    char b[24];
    char* end = std::to_chars(b, b + sizeof b, v).ptr;
    put(b, static_cast<std::size_t>(end - b));
  }
  // The stream itself, with everything gathered so far written, for the
  // operations that print on a stream (statuses).
  std::ostream& stream() {
    flush();
    return os_;
  }
  void flush() {
    if (n_ == 0) return;
    os_.write(buf_, static_cast<std::streamsize>(n_));
    n_ = 0;
  }

 private:
  std::ostream& os_;
  std::size_t n_ = 0;
  char buf_[16384];
};

struct Writer {
  Out& out;
  TableTextFormat format;
  int32_t options;
  int indent;

  bool crlf() const { return (options & kDumpCrLf) != 0; }
  void eol() const {
    if (crlf()) out.put('\r');
    out.put('\n');
  }
  void ind() const {
    for (int i = 0; i < indent; ++i) out.put("    ", 4);
  }
  // The row terminator, and a line end when the row separator is not one.
  void endRow() const {
    if (format.rowSep == '\n') {
      if (crlf()) out.put('\r');
      out.put('\n');
    } else {
      out.put(format.rowSep);
      eol();
    }
  }
  // Text in quotes: the quote, the escape and the parentheses escaped,
  // other unprintable bytes as escapes. In a comment, whose text the parser
  // skips, a "*/" or "/*" is parted by a blank as in commentText: quotes do
  // not protect it there. Runs of bytes that need nothing are copied whole.
  void quoted(const char* s, bool inComment = false) const {
    out.put(format.quote);
    const unsigned char* run = reinterpret_cast<const unsigned char*>(s);
    const unsigned char* p = run;
    for (; *p != '\0'; ++p) {
      unsigned char c = *p;
      bool commentPair = inComment && ((c == '*' && p[1] == '/') || (c == '/' && p[1] == '*'));
      bool special = c == static_cast<unsigned char>(format.quote) ||
                     c == static_cast<unsigned char>(format.escape) || c == '(' || c == ')' ||
                     c < 0x20 || c >= 0x7F;
      if (!commentPair && !special) continue;
      out.put(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
      run = p + 1;
      if (commentPair) {
        out.put(static_cast<char>(c));
        out.put(' ');
      } else if (c >= 0x20 && c < 0x7F) {
        out.put(format.escape);
        out.put(static_cast<char>(c));
      } else {
        out.put(format.escape);
        switch (c) {
          case 8:
            out.put('b');
            break;
          case 9:
            out.put('t');
            break;
          case 10:
            out.put('n');
            break;
          case 13:
            out.put('r');
            break;
          default: {
            char hex[4];
            std::snprintf(hex, sizeof hex, "x%02x", c);
            out.put(hex, 3);
          }
        }
      }
    }
    out.put(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
    out.put(format.quote);
  }
  // Text inside a comment: a "*/" or "/*" in it would end or open one, so
  // its two characters are parted by a blank.
  void commentText(const char* s) const {
    for (const char* p = s; *p != '\0'; ++p) {
      out.put(*p);
      if ((p[0] == '*' && p[1] == '/') || (p[0] == '/' && p[1] == '*')) out.put(' ');
    }
  }
  // Whether a value's text can stand unquoted: nothing in it that the
  // parser would take for a delimiter, quote, escape or comment, and no
  // blank at either end.
  bool plain(const char* s) {
    if (*s == '\0') return false;
    if (!unsafeMade) makeUnsafe();
    const char* p = s;
    for (; *p != '\0'; ++p) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (unsafe[c] || (c == '/' && p[1] == '*')) return false;
    }
    return !isBlank(s[0]) && !isBlank(p[-1]);
  }

  // The bytes plain() refuses wherever they stand, looked up rather than
  // compared one by one: every date and decimal cell goes through it.
  bool unsafe[256] = {};
  bool unsafeMade = false;
  void makeUnsafe() {
    for (int c = 0; c < 256; ++c) unsafe[c] = c < 0x20 || c >= 0x7F;
    for (char c : {format.colSep, format.rowSep, format.quote, format.escape, '"', '\'', '(', ')',
                   ';', ',', '{', '}'})
      unsafe[static_cast<unsigned char>(c)] = true;
    unsafeMade = true;
  }
};

// A value's text form: in a small block of its own when it fits (numbers,
// dates and money always do), else in a block of dv::allocate freed with the
// holder.
struct TextForm {
  char* chars = nullptr;
  TextForm() = default;
  TextForm(const TextForm&) = delete;
  TextForm& operator=(const TextForm&) = delete;
  ~TextForm() { release(); }
  // Date/time values are written in the standard style: the locale's
  // two-digit years would not read back to the same instant.
  bool make(const Datum& d, bool dateTime) {
    release();
    const char* style = dateTime ? kStandardDateTimeStyle : nullptr;
    int n = d.maxTextLength(style, nullptr);
    if (n >= 1 && n <= static_cast<int>(sizeof small)) {
      small[0] = '\0';
      chars = d.asString(small, n, style, nullptr);
      return true;
    }
    chars = d.newString(style);
    return chars != nullptr;
  }

 private:
  void release() {
    if (chars != small) deallocate(chars);
    chars = nullptr;
  }
  char small[160];
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

// How a cell is written.
enum class CellForm { kText, kTable, kConstraint, kEmpty, kNumber, kDateTime, kValue };

// The classes of the common cells, looked up once per dump: they are told
// by their class alone, the others by the kind tests, which walk the class
// tree.
struct CellClasses {
  const Class* text = &Text::desc();
  const Class* number = &Number::desc();
  const Class* dateTime = &DateTime::desc();
};

CellForm cellForm(const Datum& d, const CellClasses& k) {
  const Class* cls = d.isA();
  if (cls == k.text) return CellForm::kText;
  if (cls == k.number) return CellForm::kNumber;
  if (cls == k.dateTime) return CellForm::kDateTime;
  if (isKind(d, AbsTable::desc())) return CellForm::kTable;
  if (isKind(d, DatumConstraint::desc())) return CellForm::kConstraint;
  if (d.isExternal() || &d == nilDatum()) return CellForm::kEmpty;
  if (isKind(d, Number::desc())) return CellForm::kNumber;
  if (isKind(d, DateTime::desc())) return CellForm::kDateTime;
  return CellForm::kValue;
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

namespace {

int dumpInto(Out& os, const AbsTable* table, const Datum* format, const Datum* options,
             AbsTable** copyOut, int indent, int impliedRow, const char* impliedColumn) {
  int32_t opt = options != nullptr ? options->asLong() : 0;
  Writer w{os, tableTextFormat(format), opt, indent};
  if (table == nullptr) {
    if (opt & kDumpHeader) os.put("/* The table pointer is NULL */");
    w.eol();
    return 0;
  }
  if (table->isExternal()) {
    if (opt & kDumpHeader) {
      os.put("/* The table is actually a nil/null datum */");
      w.eol();
    }
    return 1;
  }
  int32_t rows = table->rows(), cols = table->cols();
  bool commentOpen = false;
  auto openComment = [&] {
    if (commentOpen) return;
    os.put("/*");
    w.eol();
    w.ind();
    commentOpen = true;
  };
  if (opt & kDumpHeader) {
    TextForm title;
    if (!title.make(*table->title(), table->title()->isKindOf(DateTime::desc()))) return 0;
    if (title.chars[0] != '\0') {
      os.put("Title(");
      w.quoted(title.chars);
      os.put(")");
      w.eol();
      w.ind();
    }
    openComment();
    if (impliedColumn != nullptr) {
      os.put("Implied Title: Contents of ");
      w.commentText(impliedColumn);
      os.put(" column, row ");
      os.putInt(impliedRow);
      w.eol();
      w.ind();
    }
    os.put("Type: Table(");
    os.putInt(rows);
    os.put(" rows, ");
    os.putInt(cols);
    os.put(" cols)");
    w.eol();
    w.ind();
  }
  if ((opt & kDumpStatuses) && table->severity() != 0) {
    openComment();
    os.put("Table Status: ");
    table->status()->printOn(os.stream());
    w.eol();
    w.ind();
  }
  if ((opt & kDumpHeader) && !(opt & kDumpNoTitles)) {
    openComment();
    bool first = true;
    for (int32_t c = 0; c < cols; ++c) {
      if (table->columnName(c, 1) == nullptr) continue;
      if (first) {
        os.put("Column Attributes:");
        w.eol();
        w.ind();
        first = false;
      }
      w.quoted(table->columnName(c, 0), true);
      os.put(": Aliases: ");
      for (int32_t a = 1; table->columnName(c, a) != nullptr; ++a) {
        if (a > 1) os.put(w.format.colSep);
        w.quoted(table->columnName(c, a), true);
      }
      w.eol();
      w.ind();
    }
    os.put("Note: The first line is the column titles.");
    w.eol();
    w.ind();
  }
  if (commentOpen) {
    os.put("*/");
    w.eol();
  }
  if (!(opt & kDumpNoTitles)) {
    w.ind();
    for (int32_t c = 0; c < cols; ++c) {
      if (c > 0) os.put(w.format.colSep);
      // A column without a name leaves its place empty.
      const char* name = table->columnName(c, 0);
      if (name != nullptr) w.quoted(name);
    }
    w.endRow();
  }
  // The row statuses print their numbers with two decimals.
  std::ostream& stream = os.stream();
  std::ios_base::fmtflags flags = stream.flags();
  std::streamsize precision = stream.precision();
  stream.precision(2);
  stream.setf(std::ios_base::fixed | std::ios_base::showpoint);
  struct Restore {
    std::ostream& os;
    std::ios_base::fmtflags flags;
    std::streamsize precision;
    ~Restore() {
      os.flags(flags);
      os.precision(precision);
    }
  } restore{stream, flags, precision};
  if (rows <= 0 || cols <= 0) {
    w.ind();
    os.put("/* The table has no cells */");
    w.eol();
  } else {
    TextForm text;
    CellClasses classes;
    for (int32_t r = 0; r < rows; ++r) {
      if ((opt & kDumpStatuses) && table->hasRowStatus() &&
          table->rowStatus(r) != successStatus()) {
        os.put("/* Row Status: ");
        table->rowStatus(r)->printOn(os.stream());
        os.put(" */");
      }
      w.ind();
      for (int32_t c = 0; c < cols; ++c) {
        if (c > 0) os.put(w.format.colSep);
        const Datum* d = table->cell(r, c);
        if (opt & kDumpRefCounts) {
          os.put("/*");
          os.putInt(d->refCount());
          os.put("*/");
        }
        CellForm form = cellForm(*d, classes);
        if (form == CellForm::kText) {
          w.quoted(static_cast<const Text*>(d)->chars());
        } else if (form == CellForm::kTable) {
          if (opt & kDumpBare) {
            if (w.crlf()) os.put('\r');
          } else {
            os.put("Table(");
          }
          int32_t nestedOptions = opt;
          if (opt & kDumpNestedPlain) nestedOptions &= ~kDumpHeader;
          Number nested(nestedOptions);
          if (dumpInto(os, static_cast<const AbsTable*>(d), format, &nested, nullptr, indent + 1, r,
                       table->columnName(c, 0)) == 0)
            return 0;
          if (!(opt & kDumpBare)) {
            w.ind();
            os.put(")");
          }
        } else if (form == CellForm::kConstraint) {
          if (!text.make(*d, false)) return 0;
          os.put("/* ");
          w.commentText(text.chars);
          os.put(" */");
        } else if (form == CellForm::kEmpty) {
          // An empty place, which reads back as the nil datum.
        } else if (d->isA() == classes.number &&
                   static_cast<const Number*>(d)->type() == kTypeLong) {
          // The commonest cell, written as its text form ("%d") would be.
          os.putInt(static_cast<const Number*>(d)->longValue());
        } else {
          if (!text.make(*d, form == CellForm::kDateTime)) return 0;
          if (opt & kDumpBare) {
            os.put(text.chars);
          } else if (form == CellForm::kNumber && integerText(text.chars)) {
            os.put(text.chars);
          } else {
            os.put(d->className());
            os.put('(');
            // A text the parser would split is written in quotes.
            if (w.plain(text.chars))
              os.put(text.chars);
            else
              w.quoted(text.chars);
            os.put(")");
          }
        }
        if ((opt & kDumpStatuses) && d->severity() > 0) {
          if (d->code() == kWarningStatusCode) {
            os.put("/*WS*/");
          } else {
            os.put("/* Cell Status: ");
            w.commentText(d->messageText());
            os.put(" */");
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

}  // namespace

int dumpTable(const AbsTable* table, std::ostream& os, const Datum* format, const Datum* options,
              AbsTable** copyOut, int indent, int impliedRow, const char* impliedColumn) {
  Out out(os);
  return dumpInto(out, table, format, options, copyOut, indent, impliedRow, impliedColumn);
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
