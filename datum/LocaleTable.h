// The locale table as the locale objects see it: a look-up from a locale name
// to the operating-system locale identifier of its row. The table read from
// the locale table file implements it; MapLocaleTable is a small in-memory
// one for programs and tests that build their table themselves.
#ifndef DV_DATUM_LOCALETABLE_H_
#define DV_DATUM_LOCALETABLE_H_

#include <cstdint>
#include <map>
#include <string>

namespace dv {

class LocaleTable {
 public:
  LocaleTable() = default;
  LocaleTable(const LocaleTable&) = delete;
  LocaleTable& operator=(const LocaleTable&) = delete;
  virtual ~LocaleTable();

  // The identifier of the row named name, into *id: 0 when found, 8
  // (kLocaleNameNotInTable) when no row has that name, 2
  // (kLocaleCellNotNumber) when the row's identifier cell is not a number, 7
  // (kLocaleOutOfMemory) when memory runs out. *id is left alone unless 0 is
  // answered; a null name or id answers 13 (kLocaleNullDestination).
  virtual int lookup(const char* name, int32_t* id) const = 0;
};

// Rows kept in memory, names compared exactly.
class MapLocaleTable : public LocaleTable {
 public:
  MapLocaleTable() = default;
  ~MapLocaleTable() override;

  // Adds or replaces the row name with the identifier id. False when memory
  // runs out (the table is then unchanged).
  bool add(const char* name, int32_t id);
  // Adds or replaces a row whose identifier cell holds the text cell: a
  // decimal number, or a hexadecimal one after "0x", with optional blanks
  // around it, is a number; anything else makes the look-up answer 2.
  bool addCell(const char* name, const char* cell);
  void clear() { rows_.clear(); }

  int lookup(const char* name, int32_t* id) const override;

 private:
  std::map<std::string, std::string> rows_;
};

}  // namespace dv

#endif  // DV_DATUM_LOCALETABLE_H_
