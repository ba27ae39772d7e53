// Reading delimited text files into tables.
#include "table/FileTable.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <istream>
#include <new>
#include <utility>

#include "datum/DateTime.h"
#include "datum/DatumStatus.h"
#include "datum/Interval.h"
#include "datum/Number.h"
#include "datum/Text.h"
#include "object/Allocation.h"
#include "table/Table.h"
#include "table/TableDump.h"

namespace dv {
namespace {

constexpr int kErrorSeverity = 4;
constexpr int kStartRows = 10;
constexpr int kStartCols = 10;

struct DateTimeTry {
  int32_t from;
  int32_t to;
};
constexpr DateTimeTry kDateTimeTries[] = {{1, 3}, {1, 6}, {4, 6}};

// The field being read: grows as needed up to kMaxFieldLength.
class Field {
 public:
  Field() = default;
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;
  ~Field() { deallocate(chars_); }

  bool ok() const { return chars_ != nullptr; }
  bool init() {
    chars_ = static_cast<char*>(allocate(FileTable::kFieldBufferSize));
    capacity_ = chars_ != nullptr ? FileTable::kFieldBufferSize : 0;
    clear();
    return chars_ != nullptr;
  }
  void clear() {
    length_ = 0;
    cut_ = false;
    if (chars_ != nullptr) chars_[0] = '\0';
  }
  // False only when memory runs out.
  bool append(char c) {
    if (length_ + 1 >= capacity_) {
      if (capacity_ >= FileTable::kMaxFieldLength) {
        cut_ = true;
        return true;
      }
      int32_t capacity = capacity_ * 2;
      if (capacity > FileTable::kMaxFieldLength) capacity = FileTable::kMaxFieldLength;
      char* grown = static_cast<char*>(allocate(static_cast<std::size_t>(capacity)));
      if (grown == nullptr) return false;
      std::memcpy(grown, chars_, static_cast<std::size_t>(length_));
      deallocate(chars_);
      chars_ = grown;
      capacity_ = capacity;
    }
    chars_[length_++] = c;
    chars_[length_] = '\0';
    return true;
  }
  void trimTo(int32_t keep) {
    while (length_ > keep && std::isspace(static_cast<unsigned char>(chars_[length_ - 1])))
      chars_[--length_] = '\0';
  }
  int32_t length() const { return length_; }
  const char* chars() const { return chars_; }
  bool cut() const { return cut_; }

 private:
  char* chars_ = nullptr;
  int32_t length_ = 0;
  int32_t capacity_ = 0;
  bool cut_ = false;
};

bool succeeded(const Datum& d) {
  return d.severity() < kErrorSeverity;
}

// The common plain forms of a number field, read without strtol and strtod
// (which dominate a load otherwise) but to exactly what they answer: a
// decimal integer without a leading zero (a leading zero means octal) that
// fits 32 bits, and a decimal fraction or exponent. Answers false for any
// other text, which the general reading then takes.
bool plainNumber(const char* s, std::size_t n, int32_t* asInteger, double* asDouble,
                 bool* integral) {
  const char* p = s;
  const char* end = s + n;
  bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  if (p == end) return false;
  bool pointOrExponent = false;
  for (const char* q = p; q < end; ++q) {
    char c = *q;
    if (c == '.' || c == 'e' || c == 'E') {
      pointOrExponent = true;
    } else if (!((c >= '0' && c <= '9') || ((c == '+' || c == '-') && q > p))) {
      return false;
    }
  }
  if (!pointOrExponent) {
    if (*p == '0' && end - p > 1) return false;
    if (end - p > 10) return false;
    int64_t v = 0;
    for (const char* q = p; q < end; ++q) {
      if (*q < '0' || *q > '9') return false;
      v = v * 10 + (*q - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *asInteger = static_cast<int32_t>(v);
    *integral = true;
    return true;
  }
  // from_chars takes no plus sign; an overflow or underflow (where strtod's
  // answer differs) is left to the general reading.
  if (*s == '+') return false;
  std::from_chars_result r = std::from_chars(s, end, *asDouble, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != end) return false;
  *integral = false;
  return true;
}

// Whether strtol or strtod could take the whole text: false when it holds a
// character that no number text has, or a sign that neither leads it nor
// follows an exponent letter (as in a date).
bool mayBeCNumber(const char* s, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isalnum(c) || c == '.' || c == '_' || c == '(' || c == ')') continue;
    if ((c == '+' || c == '-') && (i == 0 || std::strchr("eEpP", s[i - 1]) != nullptr)) continue;
    return false;
  }
  return true;
}

// The value of an unquoted field, or null when it stores nothing (empty) or
// memory runs out (*oom set).
Datum* fieldValue(const char* s, bool* oom) {
  if (*s == '\0') return nullptr;
  // What the value classes see of a field that holds a NUL byte ends there.
  std::size_t n = std::strlen(s);
  Datum* d = nullptr;
  int32_t asInteger = 0;
  double asDouble = 0;
  bool integral = false;
  unsigned char first = static_cast<unsigned char>(s[0]);
  if (plainNumber(s, n, &asInteger, &asDouble, &integral)) {
    d = integral ? new (std::nothrow) Number(asInteger) : new (std::nothrow) Number(asDouble);
    if (d == nullptr) *oom = true;
    return d;
  }
  // Neither strtol nor strtod takes a field that starts with another letter
  // than those of "inf" and "nan", and no date or interval starts so.
  if (std::isalpha(first) && std::strchr("iInN", first) == nullptr) {
    d = new (std::nothrow) Text(s);
    if (d == nullptr) *oom = true;
    return d;
  }
  char* end = nullptr;
  errno = 0;
  bool number = mayBeCNumber(s, n);
  long l = number ? std::strtol(s, &end, 0) : 0;
  if (number && end != s && *end == '\0' && errno == 0 && l >= INT32_MIN && l <= INT32_MAX) {
    d = new (std::nothrow) Number(static_cast<int32_t>(l));
  } else {
    double v = number ? std::strtod(s, &end) : 0;
    if (number && end != s && *end == '\0') {
      d = new (std::nothrow) Number(v);
    } else if (std::isdigit(static_cast<unsigned char>(s[0]))) {
      for (const DateTimeTry& t : kDateTimeTries) {
        d = new (std::nothrow) DateTime(s, nullptr, t.from, t.to, 0);
        if (d == nullptr || succeeded(*d)) break;
        d->release();
        d = nullptr;
      }
      if (d == nullptr && !*oom) {
        d = new (std::nothrow) Interval(s, nullptr, 13, 3, 6);
        if (d != nullptr && !succeeded(*d)) {
          d->release();
          d = nullptr;
        }
      }
    }
    if (d == nullptr) d = new (std::nothrow) Text(s);
  }
  if (d == nullptr) *oom = true;
  return d;
}

class Reader {
 public:
  Reader(Table& t, const TableTextFormat& f, int32_t options)
      : table_(t),
        format_(f),
        skipBlank_((options & kFileSkipBlankLines) != 0),
        titleLine_((options & kFileNoTitleLine) == 0) {}

  // Reads the whole stream; false when memory ran out.
  bool run(std::istream& in) {
    if (!field_.init()) return false;
    std::streambuf* sb = in.rdbuf();
    if (sb == nullptr || !in.good()) return finish();
    // A UTF-8 byte-order mark is no part of the first field.
    static const char kBom[] = "\xEF\xBB\xBF";
    int bom = 0;
    while (bom < 3 && sb->sgetc() == static_cast<unsigned char>(kBom[bom])) {
      sb->sbumpc();
      ++bom;
    }
    for (int i = 0; i < bom && bom < 3; ++i)
      if (!add(kBom[i])) return false;
    const int eof = std::char_traits<char>::eof();
    const unsigned char quote = static_cast<unsigned char>(format_.quote);
    const unsigned char escape = static_cast<unsigned char>(format_.escape);
    const unsigned char rowSep = static_cast<unsigned char>(format_.rowSep);
    const unsigned char colSep = static_cast<unsigned char>(format_.colSep);
    int pending = -1;  // a character to read again
    auto next = [&]() { return pending >= 0 ? std::exchange(pending, -1) : sb->sbumpc(); };
    for (;;) {
      int c = next();
      if (c == eof) break;
      if (c == quote) {
        inQuotes_ = !inQuotes_;
        if (!inQuotes_) {
          quoted_ = true;
          quotedEnd_ = field_.length();
        }
        continue;
      }
      if (c == escape) {
        int e = next();
        if (e == eof) break;
        int value = e;
        if (e == 'b') value = 8;
        if (e == 'f') value = 12;
        if (e == 'n') value = 10;
        if (e == 'r') value = 13;
        if (e == 't') value = 9;
        if (e == 'v') value = 11;
        if (e == 'x') {
          int digits = 0, v = 0;
          for (; digits < 2; ++digits) {
            int h = next();
            if (h == eof || !std::isxdigit(h)) {
              pending = h == eof ? -1 : h;
              break;
            }
            v = v * 16 + (std::isdigit(h) ? h - '0' : (std::tolower(h) - 'a' + 10));
          }
          value = digits > 0 ? v : 'x';
        } else if (e >= '0' && e <= '7') {
          int v = e - '0';
          for (int digits = 1; digits < 3; ++digits) {
            int o = next();
            if (o == eof || o < '0' || o > '7') {
              pending = o == eof ? -1 : o;
              break;
            }
            v = v * 8 + (o - '0');
          }
          value = v & 0xFF;
        }
        if (!add(static_cast<char>(value))) return false;
        continue;
      }
      if (!inQuotes_ && c == rowSep) {
        if (atRowStart_ && field_.length() == 0 && !quoted_ && skipBlank_) {
          clearField();
          continue;
        }
        if (!store()) return false;
        col_ = 0;
        ++row_;
        atRowStart_ = true;
        continue;
      }
      if (!inQuotes_ && c == colSep) {
        if (!store()) return false;
        ++col_;
        atRowStart_ = false;
        continue;
      }
      if (!inQuotes_ && field_.length() == 0 && !quoted_ && std::isspace(c)) continue;
      if (!add(static_cast<char>(c))) return false;
    }
    in.setstate(std::ios_base::eofbit);
    if (!atRowStart_ || field_.length() > 0 || quoted_) {
      if (!store()) return false;
      ++row_;
    }
    return finish();
  }

 private:
  bool add(char c) { return field_.append(c); }
  void clearField() {
    field_.clear();
    quoted_ = false;
    quotedEnd_ = 0;
  }

  bool finish() {
    int64_t rows = row_ - (titleLine_ ? 1 : 0);
    if (rows < 0) rows = 0;
    const Status* st = table_.resize(static_cast<int32_t>(rows), maxCol_ + 1);
    return st == successStatus();
  }

  // Stores the field at (row_, col_) and clears it; false when memory runs
  // out.
  bool store() {
    if (col_ > maxCol_) maxCol_ = col_;
    // Blanks after a closing quote are not the field's.
    field_.trimTo(quoted_ ? quotedEnd_ : 0);
    bool ok = true;
    if (titleLine_ && row_ == 0) {
      if (field_.length() > 0 || quoted_)
        ok = table_.addColumnName(col_, field_.chars())->severity() < kErrorSeverity;
    } else {
      bool oom = false;
      Datum* d =
          quoted_ ? new (std::nothrow) Text(field_.chars()) : fieldValue(field_.chars(), &oom);
      if (d == nullptr && (oom || quoted_)) {
        ok = false;
      } else if (d != nullptr) {
        if (field_.cut()) d->setStatus(textTruncatedStatus());
        int32_t at = row_ - (titleLine_ ? 1 : 0);
        ok = grow(at) && table_.setCell(at, col_, d) == successStatus();
        d->release();
      }
    }
    clearField();
    return ok;
  }

  // Grows the table ahead of need (by half again), so that a long file does
  // not rebuild the cell array for every row.
  bool grow(int32_t at) {
    int64_t rows = table_.rows(), cols = table_.cols();
    if (at < rows && col_ < cols) return true;
    if (at >= rows) rows = rows + rows / 2 > at ? rows + rows / 2 : static_cast<int64_t>(at) + 1;
    if (col_ >= cols) cols = static_cast<int64_t>(col_) + 1;
    if (rows * cols > INT32_MAX / 2) return false;
    return table_.resize(static_cast<int32_t>(rows), static_cast<int32_t>(cols)) == successStatus();
  }

  Table& table_;
  TableTextFormat format_;
  bool skipBlank_;
  bool titleLine_;
  Field field_;
  int32_t row_ = 0;
  int32_t col_ = 0;
  int32_t maxCol_ = -1;
  bool inQuotes_ = false;
  bool quoted_ = false;
  int32_t quotedEnd_ = 0;
  bool atRowStart_ = true;
};

}  // namespace

FileTable::FileTable() {
  std::snprintf(name_, sizeof name_, "%s", "FileTable");
}

bool FileTable::read(const char* fileName, const Datum* format, const Datum* options,
                     Table** result) {
  if (fileName == nullptr) return false;
  if (result == nullptr) return true;
  // The file buffer reads the file in blocks.
  std::ifstream file(fileName, std::ios_base::in);
  if (!file.is_open()) {
    int error = errno;
    *result = new (std::nothrow) Table;
    if (*result == nullptr) return true;
    char message[512];
    std::snprintf(message, sizeof message, "Unable to open file: %s", fileName);
    ErrorStatus* st =
        new (std::nothrow) ErrorStatus(static_cast<uint32_t>(error), kErrorSeverity, true, message);
    (*result)->setStatus(st != nullptr ? static_cast<const Status*>(st) : outOfMemoryStatus());
    if (st != nullptr) st->release();
    (void)(*result)->resize(0, 0);
    return true;
  }
  readStream(file, format, options, result);
  file.close();
  return true;
}

bool FileTable::read(const Text& fileName, const Datum* format, const Datum* options,
                     Table** result) {
  return read(fileName.chars(), format, options, result);
}

bool FileTable::readStream(std::istream& in, const Datum* format, const Datum* options,
                           Table** result) {
  if (result == nullptr) return true;
  *result = new (std::nothrow) Table(kStartRows, kStartCols);
  if (*result == nullptr) return true;
  Reader reader(**result, tableTextFormat(format), options != nullptr ? options->asLong() : 0);
  if (!reader.run(in)) {
    (void)(*result)->resize(0, 0);
    (*result)->setStatus(outOfMemoryStatus());
  }
  return true;
}

}  // namespace dv
