// The table initializer parser: the tokenizer (quotes, escapes, nested
// comments), the grammar of rows, clauses and nested tables, and the typing
// of cell values.
#include "table/TableInitParser.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <new>

#include "datum/DateTime.h"
#include "datum/Decimal.h"
#include "datum/Interval.h"
#include "datum/Money.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/Table.h"

namespace dv {
namespace {

constexpr int32_t kTokenStep = 256;
// Growing a table by rows: double it up to this many cells, then add this
// many cells' worth of rows at a time.
constexpr int64_t kGrowthCells = 32000;
// Class names are compared on at most this many characters.
constexpr std::size_t kMaxClassName = 32;
// The value classes the "ClassName(text)" form knows.
const char* const kValueClasses[] = {"Text",     "Number",   "Decimal", "Money",
                                     "DateTime", "Interval", "NilDatum"};

// The numeric arguments of the text constructors, as the forms pass them.
constexpr int kNumberLongCode = 2;
constexpr int kNumberDoubleCode = 4;
constexpr int16_t kDecimalPrecision = 38;
constexpr int16_t kDecimalScale = 0;
constexpr int32_t kDecimalFixStyle = 2;
constexpr int16_t kDecimalMaxExp = 128;
constexpr int16_t kIntervalPrecTot = 13;
constexpr int32_t kIntervalFrom = 3;
constexpr int32_t kIntervalTo = 6;
struct DateTimeQualifier {
  int32_t from;
  int32_t to;
};
constexpr DateTimeQualifier kDateTimeTries[] = {{1, 3}, {4, 6}, {1, 6}};

constexpr uint32_t kBadNumberCode = 0x40020017;    // "Incorrectly formatted number."
constexpr uint32_t kBadDateTimeCode = 0x4002000D;  // "Incorrectly formatted date/time."

bool succeeded(const Datum& d) {
  return d.severity() == 0;
}

// Drops a value made here (count 1) unless it is kept.
void drop(Datum* d) {
  if (d != nullptr) d->release();
}

// The offending character as messages show it.
void showChar(int c, char* out, std::size_t size) {
  if (c == 0xFF) {
    std::snprintf(out, size, "<EOF>");
  } else if ((c >= 0x20 && c < 0x7F) || c >= 0xA0) {
    out[0] = static_cast<char>(c);
    out[1] = '\0';
  } else {
    std::snprintf(out, size, "\\x%02x", c & 0xFF);
  }
}

// The length of the monetary unit at the start of text (after blanks), or
// -1 when there is no known one. *unitStart receives where it starts. The unit
// runs up to a digit, a blank or the end; with signEnds also up to a sign, a
// point or a comma, as a money value writes a negative amount ("$-5.00"), so
// that a typed Money(...) cell reads back what the dump wrote.
int currencyPrefix(const char* text, const char** unitStart, bool signEnds = false) {
  const char* p = text;
  while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) ++p;
  *unitStart = p;
  const char* q = p;
  while (*q != '\0' && !std::isdigit(static_cast<unsigned char>(*q)) &&
         !std::isspace(static_cast<unsigned char>(*q)) &&
         !(signEnds && std::strchr("+-.,", *q) != nullptr))
    ++q;
  std::size_t n = static_cast<std::size_t>(q - p);
  if (n == 1) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '$' || c == 'F' || c == 0xA3 || c == 0xA4 || c == 0xA5) return 1;
  }
  if (std::strncmp(p, "AUS$", 4) == 0 || std::strncmp(p, "DM", 2) == 0) return static_cast<int>(n);
  return -1;
}

Datum* newDecimal(const char* text) {
  return new (std::nothrow)
      Decimal(text, nullptr, kDecimalPrecision, kDecimalScale, kDecimalFixStyle, kDecimalMaxExp, 0);
}

Datum* newMoney(const char* text) {
  return new (std::nothrow)
      Money(text, nullptr, kDecimalPrecision, kDecimalScale, kDecimalFixStyle, kDecimalMaxExp, 0);
}

Datum* newInterval(const char* text) {
  return new (std::nothrow) Interval(text, nullptr, kIntervalPrecTot, kIntervalFrom, kIntervalTo);
}

// The three DateTime readings in turn; the last one is answered whatever
// its status (null when memory runs out).
Datum* newDateTime(const char* text) {
  Datum* d = nullptr;
  for (const DateTimeQualifier& q : kDateTimeTries) {
    drop(d);
    d = new (std::nothrow) DateTime(text, nullptr, q.from, q.to, 0);
    if (d == nullptr || succeeded(*d)) return d;
  }
  return d;
}

// The value of an unquoted token without a class name: the first reading
// that fits, in the fixed order, else a Text.
Datum* inferValue(const char* text) {
  Datum* d = new (std::nothrow) Number(text, kNumberLongCode, nullptr);
  if (d == nullptr || succeeded(*d)) return d;
  drop(d);
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 16);
    if (end != text && *end == '\0') {
      // A long is 32 bits wide here: out-of-range values saturate.
      if (errno == ERANGE || v > INT32_MAX) v = INT32_MAX;
      if (v < INT32_MIN) v = INT32_MIN;
      d = new (std::nothrow) Number(static_cast<int32_t>(v));
      if (d == nullptr || d->severity() < kError) return d;
      drop(d);
    }
  }
  d = newDecimal(text);
  if (d == nullptr || !(d->severity() >= kError && d->code() == kBadNumberCode)) return d;
  drop(d);
  const char* unit = nullptr;
  if (currencyPrefix(text, &unit) > 0) {
    d = newMoney(text);
    if (d == nullptr || d->code() != kBadNumberCode) return d;
    drop(d);
  }
  d = newDateTime(text);
  if (d == nullptr || succeeded(*d) || !(d->severity() >= kError && d->code() == kBadDateTimeCode))
    return d;
  drop(d);
  d = newInterval(text);
  if (d == nullptr || succeeded(*d)) return d;
  drop(d);
  return new (std::nothrow) Text(text);
}

}  // namespace

TableInitParser::TableInitParser(std::istream& input, uint8_t noTitleLine, uint8_t reserved,
                                 bool skipBlankLines, bool braces)
    : input_(input) {
  init(noTitleLine, reserved, skipBlankLines, '(', ')', ';', ',', '"', '\'', '\\',
       braces ? '{' : '\0', braces ? '}' : '\0');
}

TableInitParser::TableInitParser(std::istream& input, uint8_t noTitleLine, uint8_t reserved,
                                 bool skipBlankLines, char open, char close, char rowSep,
                                 char colSep, char quote1, char quote2, char escape, char braceOpen,
                                 char braceClose)
    : input_(input) {
  init(noTitleLine, reserved, skipBlankLines, open, close, rowSep, colSep, quote1, quote2, escape,
       braceOpen, braceClose);
}

void TableInitParser::init(uint8_t noTitleLine, uint8_t reserved, bool skipBlankLines, char open,
                           char close, char rowSep, char colSep, char quote1, char quote2,
                           char escape, char braceOpen, char braceClose) {
  auto u = [](char c) { return static_cast<int>(static_cast<unsigned char>(c)); };
  open_ = u(open);
  close_ = u(close);
  rowSep_ = u(rowSep);
  colSep_ = u(colSep);
  quote1_ = u(quote1);
  quote2_ = u(quote2);
  escape_ = u(escape);
  braceOpen_ = u(braceOpen);
  braceClose_ = u(braceClose);
  noTitleLine_ = noTitleLine;
  skipBlankLines_ = skipBlankLines;
  bool bad = reserved != 0 || escape_ == quote1_ || escape_ == quote2_ || quote1_ == 0 ||
             quote2_ == 0 || escape_ == 0;
  const int delimiters[] = {open_, close_, rowSep_, colSep_};
  for (int i = 0; i < 4; ++i) {
    int d = delimiters[i];
    if (d == 0 || d == kEof || d == quote1_ || d == quote2_ || d == escape_) bad = true;
    for (int j = i + 1; j < 4; ++j)
      if (d == delimiters[j]) bad = true;
  }
  if (bad) {
    status_ = makeErrorStatus(kInitBadArgumentCode, true, kModulErrName, "($01$)Invalid argument.",
                              0, false);
  }
  for (int d : delimiters) specials_[d] = true;
  specials_[kEof] = true;
  if (braceOpen_ != 0) specials_[braceOpen_] = true;
  if (braceClose_ != 0) specials_[braceClose_] = true;
}

TableInitParser::~TableInitParser() {
  deallocate(token_);
  drop(pending_);
  if (status_ != nullptr) status_->release();
}

// Reading characters

int TableInitParser::readChar() {
  if (reread_ >= 0) {
    int c = reread_;
    reread_ = -1;
    return c;
  }
  if (atEof_) return kEof;
  int c = input_.get();
  if (c == std::char_traits<char>::eof()) {
    atEof_ = true;
    ++column_;
    return kEof;
  }
  c &= 0xFF;
  if (c == '\n') {
    ++line_;
    column_ = 0;
  } else {
    ++column_;
  }
  return c;
}

void TableInitParser::unreadChar(int c) {
  reread_ = c;
}

bool TableInitParser::isBlank(int c) const {
  return c != kEof && std::isspace(c) != 0 && !isSpecial(c);
}

bool TableInitParser::append(int c) {
  if (tokenLength_ >= kMaxTokenLength) {
    formatError("Token too long", c);
    return false;
  }
  if (tokenLength_ + 1 >= tokenCapacity_) {
    // Grown by a step at first, then by half again, so that a long string
    // costs linear time.
    int32_t step = tokenCapacity_ / 2 > kTokenStep ? tokenCapacity_ / 2 : kTokenStep;
    int32_t capacity = tokenCapacity_ + step;
    char* grown = static_cast<char*>(allocate(static_cast<std::size_t>(capacity)));
    if (grown == nullptr) {
      if (status_ != nullptr) status_->release();
      status_ = outOfMemoryStatus();
      return false;
    }
    if (tokenLength_ > 0) std::memcpy(grown, token_, static_cast<std::size_t>(tokenLength_));
    deallocate(token_);
    token_ = grown;
    tokenCapacity_ = capacity;
  }
  token_[tokenLength_++] = static_cast<char>(c);
  token_[tokenLength_] = '\0';
  return true;
}

// Errors

void TableInitParser::locatedError(uint32_t code, const char* kind, const char* what,
                                   int offending) {
  char shown[16];
  showChar(offending, shown, sizeof shown);
  char message[256];
  std::snprintf(message, sizeof message,
                "%s error in parsing a table initializer string: \"%.40s\" near line %d "
                "character %d '%.40s'.",
                kind, what, static_cast<int>(line_), static_cast<int>(column_), shown);
  if (status_ != nullptr) status_->release();
  status_ = makeErrorStatus(code, true, kModulErrName, message, 0, false);
}

void TableInitParser::formatError(const char* what, int offending) {
  locatedError(kInitFormatErrorCode, "Format", what, offending);
}

void TableInitParser::syntaxError(const char* what, int offending) {
  locatedError(kInitSyntaxErrorCode, "Syntax", what, offending);
}

// Tokens

bool TableInitParser::readEscape() {
  int c = readChar();
  if (c == kEof) {
    formatError("Invalid escape sequence", c);
    return false;
  }
  auto hexValue = [](int h) {
    if (h >= '0' && h <= '9') return h - '0';
    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
    return -1;
  };
  switch (c) {
    case 'b':
      return append(8);
    case 'n':
      return append(10);
    case 'r':
      return append(13);
    case 't':
      return append(9);
    case 'x': {
      int value = 0;
      for (int i = 0; i < 2; ++i) {
        int h = readChar();
        int v = hexValue(h);
        if (v < 0) {
          formatError("Invalid escape sequence", h);
          return false;
        }
        value = value * 16 + v;
      }
      if (value == 0) {
        formatError("Null escape sequence \\x00 not allowed", '0');
        return false;
      }
      return append(value);
    }
    default:
      break;
  }
  if (c >= '0' && c <= '7') {
    int value = c - '0';
    for (int i = 0; i < 2; ++i) {
      int o = readChar();
      if (o < '0' || o > '7') {
        formatError("Invalid escape sequence", o);
        return false;
      }
      value = value * 8 + (o - '0');
    }
    if (value == 0) {
      formatError("Null escape sequence \\000 not allowed", '0');
      return false;
    }
    return append(value & 0xFF);
  }
  return append(c);
}

int TableInitParser::nextToken() {
  tokenLength_ = 0;
  if (token_ != nullptr) token_[0] = '\0';
  quoted_ = false;
  commentSeen_ = false;
  int inQuote = 0;
  bool afterQuote = false;
  int comments = 0;
  int c = readChar();
  while (isBlank(c)) c = readChar();
  for (;;) {
    if (comments > 0) {
      if (c == kEof) {
        formatError("Unbalanced comment enclosure", c);
        return 0;
      }
      if (c == '*' || c == '/') {
        int next = readChar();
        if (c == '*' && next == '/') {
          if (--comments == 0) {
            // What follows a comment starts afresh after its blanks.
            c = readChar();
            while (isBlank(c)) c = readChar();
            continue;
          }
        } else if (c == '/' && next == '*') {
          ++comments;
        } else {
          unreadChar(next);
        }
      }
      c = readChar();
      continue;
    }
    if (inQuote != 0) {
      if (c == kEof) {
        formatError("Unbalanced quotes", c);
        return 0;
      }
      if (c == escape_) {
        if (!readEscape()) return 0;
      } else if (c == inQuote) {
        inQuote = 0;
        afterQuote = true;
      } else if (!append(c)) {
        return 0;
      }
      c = readChar();
      continue;
    }
    if (c == '/') {
      int next = readChar();
      if (next == '*') {
        ++comments;
        commentSeen_ = true;
        c = readChar();
        continue;
      }
      unreadChar(next);
    }
    if (isSpecial(c)) {
      if (!quoted_) {
        while (tokenLength_ > 0 &&
               std::isspace(static_cast<unsigned char>(token_[tokenLength_ - 1])))
          token_[--tokenLength_] = '\0';
      }
      return c;
    }
    if (afterQuote) {
      if (!isBlank(c)) {
        formatError("Extra character(s) after closing quote", c);
        return 0;
      }
    } else if (c == quote1_ || c == quote2_) {
      for (int32_t i = 0; i < tokenLength_; ++i) {
        if (!std::isspace(static_cast<unsigned char>(token_[i]))) {
          formatError("Extra characters before initial quote", c);
          return 0;
        }
      }
      tokenLength_ = 0;
      if (token_ != nullptr) token_[0] = '\0';
      inQuote = c;
      quoted_ = true;
    } else if (c == escape_) {
      if (!readEscape()) return 0;
    } else if (!append(c)) {
      return 0;
    }
    c = readChar();
  }
}

// Building

Datum* TableInitParser::classValue(const char* name, const char* text) {
  if (std::strcmp(name, "Text") == 0) return new (std::nothrow) Text(text);
  if (std::strcmp(name, "Number") == 0) {
    Datum* d = new (std::nothrow) Number(text, kNumberLongCode, nullptr);
    if (d == nullptr || d->severity() == 0) return d;
    drop(d);
    return new (std::nothrow) Number(text, kNumberDoubleCode, nullptr);
  }
  if (std::strcmp(name, "Decimal") == 0) return newDecimal(text);
  if (std::strcmp(name, "Money") == 0) {
    const char* unit = nullptr;
    if (currencyPrefix(text, &unit, true) > 0) return newMoney(text);
    Datum* nil = new (std::nothrow) NilDatum;
    if (nil == nullptr) return nullptr;
    char message[160];
    std::snprintf(message, sizeof message, "Invalid monetary unit %.128s", unit);
    const Status* st =
        makeErrorStatus(kInvalidMonetaryUnitCode, true, kDatumErrName, message, 0, false);
    nil->setStatus(st);
    st->release();
    return nil;
  }
  if (std::strcmp(name, "DateTime") == 0) return newDateTime(text);
  if (std::strcmp(name, "Interval") == 0) return newInterval(text);
  return nilDatum();  // "NilDatum"
}

const Status* TableInitParser::store(Table& t, bool titles, int32_t row, int32_t col) {
  if (tokenLength_ == 0 && !quoted_ && pending_ == nullptr) return successStatus();
  const char* text = token_ != nullptr ? token_ : "";
  if (titles && row == 0) {
    const Status* st = successStatus();
    if (tokenLength_ == 0 && pending_ != nullptr) {
      char* name = pending_->newString();
      if (name == nullptr) {
        st = outOfMemoryStatus();
      } else {
        st = t.addColumnName(col, name);
        deallocate(name);
      }
    } else {
      st = t.addColumnName(col, text);
    }
    drop(pending_);
    pending_ = nullptr;
    return st;
  }
  Datum* value = pending_;
  pending_ = nullptr;
  if (value == nullptr) value = quoted_ ? new (std::nothrow) Text(text) : inferValue(text);
  if (value == nullptr) return outOfMemoryStatus();
  int32_t at = row - (titles ? 1 : 0);
  // Grow ahead of need so that long inputs do not rebuild the table for
  // every row or column.
  if (at >= t.rows() || col >= t.cols()) {
    int64_t rows = t.rows(), cols = t.cols();
    if (at >= rows) {
      int64_t cells = rows * (cols > 0 ? cols : 1);
      rows = cells <= kGrowthCells ? rows * 2 : rows + kGrowthCells / (cols > 0 ? cols : 1);
      if (rows <= at) rows = static_cast<int64_t>(at) + 1;
    }
    if (col >= cols) cols = cols * 2 > col ? cols * 2 : static_cast<int64_t>(col) + 1;
    if (rows * cols > INT32_MAX / 2) {
      drop(value);
      return outOfMemoryStatus();
    }
    const Status* st = t.resize(static_cast<int32_t>(rows), static_cast<int32_t>(cols));
    if (st != successStatus()) {
      drop(value);
      return st;
    }
  }
  const Status* st = t.setCell(at, col, value);
  const Status* own = value->status();
  drop(value);
  if (st != successStatus()) return st;
  return own->severity() == 0 ? successStatus() : own;
}

Table* TableInitParser::parseTable(bool titles) {
  Table* t = new (std::nothrow) Table(1, 1);
  if (t == nullptr) return nullptr;
  int32_t row = 0, col = -1, maxCol = -1;
  bool bodyOpen = braceOpen_ == 0 || depth_ > 0;
  bool clauseOnLine = false;
  const Status* last = successStatus();
  // Marks the table failed with status_ (or st) and answers it.
  auto fail = [&](const Status* st) {
    if (st != nullptr && st != status_) {
      st->addRef();
      if (status_ != nullptr) status_->release();
      status_ = st;
    }
    (void)t->resize(0, 0);
    t->setStatus(status_);
    return t;
  };
  // Whether the row ending with the current token counts.
  auto rowCounts = [&]() {
    if (tokenLength_ > 0 || quoted_ || pending_ != nullptr || col >= 0) return true;
    if (skipBlankLines_ && !(titles && row == 0)) return false;
    if (rowSep_ == '\n' && (commentSeen_ || clauseOnLine)) return false;
    return true;
  };
  // Stores the current token as the last of its row.
  auto endRow = [&](bool finishing) {
    bool counts = rowCounts();
    if (finishing && tokenLength_ == 0 && !quoted_ && pending_ == nullptr && col < 0)
      counts = false;
    if (counts) {
      ++col;
      if (col > maxCol) maxCol = col;
      last = store(*t, titles, row, col);
      ++row;
    }
    col = -1;
    clauseOnLine = false;
    return last->severity() < kError;
  };
  for (;;) {
    int d = nextToken();
    if (d == 0) {
      if (status_ != nullptr && status_->severity() > 0) return fail(nullptr);
      return t;
    }
    if (!bodyOpen && d != kEof) {
      if (d == braceOpen_) bodyOpen = true;
      continue;
    }
    if (pending_ != nullptr && tokenLength_ > 0) {
      syntaxError("Extra character(s) after value", d);
      return fail(nullptr);
    }
    if (d == colSep_) {
      ++col;
      if (col > maxCol) maxCol = col;
      last = store(*t, titles, row, col);
      if (last->severity() >= kError) return fail(last);
    } else if (d == rowSep_) {
      if (!endRow(false)) return fail(last);
    } else if (d == open_) {
      if (tokenLength_ == 0) {
        syntaxError("Null class name", d);
        return fail(nullptr);
      }
      char name[kMaxClassName + 1];
      std::snprintf(name, sizeof name, "%s", token_);
      bool isTable = std::strcmp(name, "Table") == 0;
      bool isColumns = std::strcmp(name, "Columns") == 0;
      bool isTitle = std::strcmp(name, "Title") == 0;
      if (isTable || isColumns || isTitle) {
        if (depth_ >= kMaxDepth) {
          syntaxError("Tables nested too deeply", d);
          return fail(nullptr);
        }
        ++depth_;
        Table* nested = parseTable(isTable ? titles : false);
        --depth_;
        if (nested == nullptr) return fail(outOfMemoryStatus());
        if (nested->severity() >= kError) {
          const Status* st = nested->status();
          st->addRef();
          nested->release();
          fail(st);
          st->release();
          return t;
        }
        if (isTable) {
          pending_ = nested;
          continue;
        }
        if (isColumns) {
          int32_t k = 0;
          for (int32_t r = 0; r < nested->rows(); ++r) {
            for (int32_t c = 0; c < nested->cols(); ++c) {
              Datum* cell = nested->cell(r, c);
              if (!cell->isSpecies(Text::desc())) continue;
              const Status* st = t->addColumnName(k, static_cast<Text*>(cell));
              if (st->severity() >= kError) {
                nested->release();
                return fail(st);
              }
              if (k > maxCol) maxCol = k;
              ++k;
            }
          }
        } else {
          Datum* cell = nested->cell(0, 0);
          if (cell->isSpecies(Text::desc())) (void)t->setTitle(cell);
        }
        nested->release();
        clauseOnLine = true;
        // The clause itself is no cell: the token after it starts afresh.
        continue;
      }
      bool known = false;
      for (const char* c : kValueClasses) known = known || std::strcmp(name, c) == 0;
      if (!known) {
        char message[256];
        std::snprintf(message, sizeof message,
                      "Invalid class name \"%.40s\" while parsing a table initializer string "
                      "near line %d, character %d",
                      name, static_cast<int>(line_), static_cast<int>(column_));
        const Status* st =
            makeErrorStatus(kInitBadClassNameCode, true, kModulErrName, message, 0, false);
        fail(st);
        st->release();
        return t;
      }
      int end = nextToken();
      if (end == 0) return fail(nullptr);
      if (end != close_) {
        syntaxError("Unbalanced parentheses", end);
        return fail(nullptr);
      }
      Datum* value = classValue(name, token_ != nullptr ? token_ : "");
      if (value == nullptr) return fail(outOfMemoryStatus());
      if (value->severity() >= kError) {
        const Status* st = value->status();
        st->addRef();
        drop(value);
        fail(st);
        st->release();
        return t;
      }
      pending_ = value;
      // The value stands alone: the next token must be empty.
      tokenLength_ = 0;
      if (token_ != nullptr) token_[0] = '\0';
      continue;
    } else if (d == close_ || d == kEof || (d == braceClose_ && braceClose_ != 0)) {
      if (d == close_ && depth_ == 0) {
        syntaxError("Unbalanced parentheses", d);
        return fail(nullptr);
      }
      if (d != close_ && depth_ > 0) {
        syntaxError("Unbalanced parentheses", d);
        return fail(nullptr);
      }
      if (!endRow(true)) return fail(last);
      int32_t rows = row - (titles ? 1 : 0);
      if (rows < 0) rows = 0;
      const Status* st = t->resize(rows, maxCol + 1);
      const Status* worse = st->severity() > last->severity() ? st : last;
      if (worse->severity() >= kError) return fail(worse);
      t->setStatus(worse);
      return t;
    } else {
      syntaxError("Should never happen", d);
      return fail(nullptr);
    }
  }
}

const Status* TableInitParser::parse(Table*& result) {
  if (status_ != nullptr) {
    result = new (std::nothrow) Table;
    if (result == nullptr) return outOfMemoryStatus();
    result->setStatus(status_);
    return result->status();
  }
  depth_ = 0;
  line_ = 1;
  column_ = 0;
  result = parseTable(noTitleLine_ == 0);
  deallocate(token_);
  token_ = nullptr;
  tokenLength_ = 0;
  tokenCapacity_ = 0;
  drop(pending_);
  pending_ = nullptr;
  if (result == nullptr) return outOfMemoryStatus();
  return result->status();
}

}  // namespace dv
