// Loading character mapping files through the table initializer parser.
#include "stream/CharacterMap.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "datum/AbsNumber.h"
#include "datum/Datum.h"
#include "datum/Text.h"
#include "table/Table.h"
#include "table/TableInitParser.h"

namespace dv {
namespace {

// Paths are cut to this many bytes in messages.
constexpr std::size_t kMessagePathMax = 128;

std::string shown(const char* path) {
  std::string p = path != nullptr ? path : "";
  if (p.size() > kMessagePathMax) p.resize(kMessagePathMax);
  return p;
}

const Text* asText(const Datum* cell) {
  return dynamic_cast<const Text*>(cell);
}

// Empty: the nil value, or a text of nothing but blanks and tabs.
bool isBlankCell(const Datum* cell) {
  if (cell->isNull()) return true;
  const Text* text = asText(cell);
  if (text == nullptr) return false;
  const char* chars = text->chars();
  for (int32_t i = 0; i < text->length(); ++i) {
    if (chars[i] != ' ' && chars[i] != '\t') return false;
  }
  return true;
}

// The code a cell gives: a number's low byte, a one-character text's
// character, 0 for anything else.
int codeOf(const Datum* cell) {
  if (cell->isNull()) return 0;
  if (const Text* text = asText(cell)) {
    return text->length() == 1 ? static_cast<unsigned char>(text->chars()[0]) : 0;
  }
  if (dynamic_cast<const AbsNumber*>(cell) != nullptr) {
    return static_cast<int>(static_cast<uint32_t>(cell->asLong()) & 0xFF);
  }
  return 0;
}

}  // namespace

bool isReservedCharacter(int code) {
  if (code <= 0 || code >= kCharacterMapSize) return true;
  if ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z') ||
      (code >= '0' && code <= '9')) {
    return true;
  }
  static constexpr char kReserved[] = "_()<=>!%*.- \t\n\b\r\f";
  return std::memchr(kReserved, code, sizeof kReserved - 1) != nullptr;
}

bool loadCharacterMap(std::istream& in, const char* path, uint8_t* fromTable, uint8_t* toTable,
                      std::ostream& err) {
  // "(" ")" newline "=" and both quotes and the backslash; no title line, blank
  // lines kept as rows so that row numbers are line numbers; no braces.
  TableInitParser parser(in, 1, 0, false, '(', ')', '\n', '=', '"', '\'', '\\', 0, 0);
  Table* table = nullptr;
  const Status* st = parser.parse(table);
  if (table == nullptr || st->severity() >= kError) {
    err << "Character mapping file " << shown(path) << " is invalid: " << st->messageText() << '\n';
    if (table != nullptr) table->release();
    return false;
  }
  for (int i = 0; i < kCharacterMapSize; ++i) {
    fromTable[i] = static_cast<uint8_t>(i);
    toTable[i] = static_cast<uint8_t>(i);
  }
  for (int32_t r = 0; r < table->rows(); ++r) {
    const Datum* first = table->cell(r, 0);
    const Datum* second = table->cell(r, 1);
    if (first->isNull()) continue;
    if (asText(second) != nullptr && isBlankCell(second)) continue;
    if (asText(first) != nullptr && isBlankCell(first) && second->isNull()) continue;
    int a = codeOf(first);
    int b = codeOf(second);
    bool valid =
        !isReservedCharacter(a) && !isReservedCharacter(b) && fromTable[b] == b && toTable[a] == a;
    if (!valid) {
      err << "Invalid entry in character mapping file " << shown(path) << " line " << r + 1
          << ".\n";
      continue;
    }
    fromTable[b] = static_cast<uint8_t>(a);
    toTable[a] = static_cast<uint8_t>(b);
  }
  table->release();
  return true;
}

bool loadCharacterMap(const String& name, const char* directory, uint8_t* fromTable,
                      uint8_t* toTable) {
  const std::string file = name.c_str() != nullptr ? name.c_str() : "";
  std::string path;
  if (file.compare(0, 1, "/") == 0 || file.compare(0, 2, "./") == 0) {
    path = file;
  } else {
    // An absolute directory stays absolute.
    std::string dir = directory != nullptr ? directory : "";
    if (dir.empty() || dir[0] != '/') dir = "./" + dir;
    if (dir.back() != '/') dir += '/';
    path = dir + file;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    int error = errno;
    std::cerr << "Character mapping file " << shown(path.c_str())
              << " not found or not accessible. errno=" << error << '\n';
    return false;
  }
  return loadCharacterMap(in, path.c_str(), fromTable, toTable, std::cerr);
}

}  // namespace dv
