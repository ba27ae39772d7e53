// The locale table interface and the in-memory table.
#include "datum/LocaleTable.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "datum/Locale.h"

namespace dv {

namespace {

// The cell as a number: decimal, or hexadecimal after "0x", within 32 bits,
// with nothing but blanks around it.
bool cellNumber(const std::string& cell, int32_t* value) {
  const char* p = cell.c_str();
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  int base = 10;
  const char* digits = p;
  if (*p == '-' || *p == '+') ++digits;
  if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) base = 16;
  if (!std::isxdigit(static_cast<unsigned char>(base == 16 ? digits[2] : digits[0]))) return false;
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(p, &end, base);
  if (errno != 0 || n < INT32_MIN || n > INT32_MAX) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0') return false;
  *value = static_cast<int32_t>(n);
  return true;
}

}  // namespace

LocaleTable::~LocaleTable() = default;

MapLocaleTable::~MapLocaleTable() = default;

bool MapLocaleTable::add(const char* name, int32_t id) {
  char cell[16];
  std::snprintf(cell, sizeof cell, "%ld", static_cast<long>(id));
  return addCell(name, cell);
}

bool MapLocaleTable::addCell(const char* name, const char* cell) {
  if (name == nullptr || cell == nullptr) return false;
  try {
    rows_[name] = cell;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int MapLocaleTable::lookup(const char* name, int32_t* id) const {
  if (name == nullptr || id == nullptr) return kLocaleNullDestination;
  try {
    auto row = rows_.find(name);
    if (row == rows_.end()) return kLocaleNameNotInTable;
    return cellNumber(row->second, id) ? 0 : kLocaleCellNotNumber;
  } catch (const std::bad_alloc&) {
    return kLocaleOutOfMemory;
  }
}

}  // namespace dv
