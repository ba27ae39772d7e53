// The table texts under the fuzzer (see fuzz/TableTextFuzz.h).
#include "fuzz/TableTextFuzz.h"

#include <algorithm>
#include <sstream>
#include <string>

#include "datum/Number.h"
#include "datum/Text.h"
#include "fuzz/Targets.h"
#include "status/Status.h"
#include "table/FileTable.h"
#include "table/Table.h"
#include "table/TableDump.h"
#include "table/TableInitParser.h"

namespace dv {
namespace fuzz {
namespace {

// Longer inputs read like their first part: a bound keeps runs fast.
constexpr std::size_t kMaxInput = 64 * 1024;

// Releases a table when it goes out of scope.
struct Held {
  Table* table = nullptr;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (table != nullptr) table->release();
  }
};

const Status* parseText(const std::string& text, uint8_t settings, Held& out) {
  std::istringstream in(text);
  uint8_t noTitleLine = settings & 1;
  bool skipBlank = (settings & 2) != 0;
  char rowSep = (settings & 4) != 0 ? '\n' : ';';
  char braceOpen = (settings & 8) != 0 ? '{' : '\0';
  char braceClose = (settings & 8) != 0 ? '}' : '\0';
  TableInitParser parser(in, noTitleLine, 0, skipBlank, '(', ')', rowSep, ',', '"', '\'', '\\',
                         braceOpen, braceClose);
  const Status* st = parser.parse(out.table);
  if (out.table == nullptr) {
    if (st != outOfMemoryStatus()) violated("a parse gave no table", st->messageText());
    return st;
  }
  if (st != out.table->status()) violated("the parse answered another status", text.c_str());
  if (st->severity() >= kError && (out.table->rows() != 0 || out.table->cols() != 0))
    violated("a failed parse left cells", st->messageText());
  return st;
}

std::string dumpOf(const Table& t) {
  std::ostringstream out;
  Text format(",;");
  Number options(kDumpHeader);
  dumpTable(&t, out, &format, &options);
  return out.str();
}

void sameShape(const Table& a, const Table& b, const std::string& text) {
  if (a.rows() != b.rows() || a.cols() != b.cols())
    violated("the dump read back to another shape", text.c_str());
  for (int32_t r = 0; r < a.rows(); ++r)
    for (int32_t c = 0; c < a.cols(); ++c)
      if (a.cell(r, c)->isA() != b.cell(r, c)->isA())
        violated("the dump read back to another class", text.c_str());
}

}  // namespace

int runTableInit(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  uint8_t settings = data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), std::min(size - 1, kMaxInput));
  Held first;
  const Status* st = parseText(text, settings, first);
  if (first.table == nullptr || st->severity() >= kError) return 0;
  std::string dump1 = dumpOf(*first.table);
  Held second;
  st = parseText(dump1, 0, second);
  if (second.table == nullptr) return 0;
  if (st->severity() >= kError)
    violated("the dump did not parse", (dump1 + "\n" + st->messageText()).c_str());
  if (first.table->rows() > 0 && first.table->cols() > 0)
    sameShape(*first.table, *second.table, dump1);
  std::string dump2 = dumpOf(*second.table);
  Held third;
  st = parseText(dump2, 0, third);
  if (third.table == nullptr) return 0;
  if (st->severity() >= kError) violated("the second dump did not parse", dump2.c_str());
  if (dumpOf(*third.table) != dump2)
    violated("the dump is not a fixed point", (dump2 + "\n----\n" + dumpOf(*third.table)).c_str());
  return 0;
}

int runFileTable(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  uint8_t settings = data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), std::min(size - 1, kMaxInput));
  bool other = (settings & 4) != 0;
  char colSep = other ? '|' : ',';
  char rowSep = other ? ';' : '\n';
  Text format(other ? "|;'\\" : "");
  Number options(settings & 3);
  std::istringstream in(text);
  Held read;
  if (!FileTable::readStream(in, other ? &format : nullptr, &options, &read.table))
    violated("readStream answered false", text.c_str());
  if (read.table == nullptr) return 0;
  const Table& t = *read.table;
  int64_t rowSeps = std::count(text.begin(), text.end(), rowSep);
  int64_t colSeps = std::count(text.begin(), text.end(), colSep);
  if (t.rows() < 0 || t.cols() < 0 || t.rows() > rowSeps + 1 || t.cols() > colSeps + 1)
    violated("the table has more rows or columns than the text", text.c_str());
  if (t.status() != outOfMemoryStatus() && t.rows() > 0 && t.cols() > 0 && !t.hasCells())
    violated("a table with rows and columns has no cells", text.c_str());
  for (int32_t r = 0; r < t.rows(); ++r)
    for (int32_t c = 0; c < t.cols(); ++c) (void)t.cell(r, c)->hash();
  return 0;
}

}  // namespace fuzz
}  // namespace dv
