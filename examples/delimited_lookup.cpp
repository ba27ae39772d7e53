// Example: a delimited text file read into a table with FileTable, then rows
// found by key through an IndexedTable. The file has a title line and one
// row per line, fields parted by ";"; unquoted fields are typed (numbers stay
// numbers, the codes are texts). The table is keyed on its "code" column;
// with more rows than the index threshold the look-ups go through a hashed
// index, which also answers for keys given in another case.
//
// Usage: delimited_lookup FILE [KEY...]   (default keys: SE de XX)
// Exit status 0; 1 when the file cannot be read or lacks the columns; 2 for
// a bad command line. A key that is not found is reported, not an error.
#include <cstdio>
#include <string>

#include "dv/dv.h"

namespace {

std::string textOf(const dv::Datum& value) {
  char buf[128];
  return value.asString(buf, sizeof buf, "plain");
}

// Prints the row of key, or that there is none.
void lookUp(const dv::IndexedTable& table, const char* key) {
  dv::Text wanted(key);
  int32_t row = table.lookupRow(wanted, table.keyColumn());
  if (row < 0) {
    std::printf("%-4s not found\n", key);
    return;
  }
  std::printf("%-4s row %2d:", key, row);
  for (int32_t c = 0; c < table.cols(); ++c) {
    std::printf(" %s=%s", table.columnName(c), textOf(*table.cell(row, c)).c_str());
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: delimited_lookup FILE [KEY...]\n");
    return 2;
  }
  static const char* const kDefaultKeys[] = {"SE", "de", "XX"};
  const char* const* keys = argc > 2 ? argv + 2 : kDefaultKeys;
  int keyCount = argc > 2 ? argc - 2 : 3;

  // The format characters: column separator, row separator, quote, escape.
  dv::Text format(";\n\"\\");
  dv::Table* file = nullptr;
  if (!dv::FileTable::read(argv[1], &format, nullptr, &file) || file == nullptr) {
    std::fprintf(stderr, "delimited_lookup: cannot read %s\n", argv[1]);
    return 1;
  }
  // A file that cannot be opened or read gives a table carrying the error.
  if (file->severity() != 0) {
    std::fprintf(stderr, "delimited_lookup: %s\n", file->messageText());
    file->release();
    return 1;
  }
  int32_t key = file->columnIndex("code");
  int32_t population = file->columnIndex("population");
  if (key < 0 || population < 0) {
    std::fprintf(stderr, "delimited_lookup: %s lacks the columns \"code\" and \"population\"\n",
                 argv[1]);
    file->release();
    return 1;
  }
  std::printf("%s: %d rows, %d columns:", argv[1], file->rows(), file->cols());
  for (int32_t c = 0; c < file->cols(); ++c) std::printf(" %s", file->columnName(c));
  std::printf("\n");
  const dv::Datum* first = file->cell(0, population);
  std::printf("population of row 0: %s, a %s\n", textOf(*first).c_str(), first->className());

  // The indexed table shares the file table's cells; the index is built at
  // once when there are more rows than the threshold.
  dv::IndexedTable* table = new dv::IndexedTable(*file, key);
  file->release();
  std::printf("keyed on \"%s\", threshold %d: %s\n\n", table->columnName(key), table->threshold(),
              table->hasIndex() ? "indexed" : "searched row by row");
  for (int i = 0; i < keyCount; ++i) lookUp(*table, keys[i]);
  table->release();
  return 0;
}
