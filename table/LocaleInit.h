// Setting the locale machinery up from files: the locale table file
// "localeob.tbl" (a delimited table, one row per locale name in its first
// column, the operating-system locale identifier in the column "win") and
// the profile file "dvodbc.ini" (section "International": "TIMEZONE", the
// time-zone flag, and "LOCALE", the configured locale's name), both in one
// directory. Programs that want locale-dependent values call initLocale
// once; dvsql does not, so its values keep the built-in "C" settings.
#ifndef DV_TABLE_LOCALEINIT_H_
#define DV_TABLE_LOCALEINIT_H_

#include <cstdint>

#include "datum/LocaleTable.h"

namespace dv {

class Table;

inline constexpr char kLocaleTableFileName[] = "localeob.tbl";
inline constexpr char kProfileFileName[] = "dvodbc.ini";
inline constexpr char kProfileSection[] = "International";
inline constexpr char kProfileTimeZoneKey[] = "TIMEZONE";
inline constexpr char kProfileLocaleKey[] = "LOCALE";
inline constexpr char kLocaleIdColumn[] = "win";

// Reads both files from directory ("/" or a backslash as separators, with or
// without a trailing one), makes the table the locale table, sets the
// time-zone flag and the configured locale, fills the time-zone block, loads
// the system, configured and current locale objects and sets the C library's
// locale to "C". Goes on after a failure and answers the first code recorded (0 when none): 11
// when the table file cannot be read, reports an error or is empty; 10 for
// a "TIMEZONE" other than 0 or 1 (the flag is then 0; a missing key gives 0
// without a code); the look-up's code for an unknown "LOCALE"; a failed
// load's code (its object is then dropped); 7 when memory runs out; 12 when
// the C library's locale cannot be set.
int initLocale(const char* directory);

// The identifier of the locale called name in the table initLocale read:
// 0 and *id set; 9 without a table, 13 for a null argument, 17 for an empty
// name, 8 for a name without a row, 2 when the identifier cell is not a
// number, 7 when memory runs out.
int lookupLocaleName(const char* name, int32_t* id);

// The locale table over a table read from the file; holds one reference to
// it.
class FileLocaleTable : public LocaleTable {
 public:
  explicit FileLocaleTable(Table* table);
  ~FileLocaleTable() override;

  int lookup(const char* name, int32_t* id) const override;

 private:
  Table* table_;
};

}  // namespace dv

#endif  // DV_TABLE_LOCALEINIT_H_
