// initLocale and the locale table read from the locale table file.
#include "table/LocaleInit.h"

#include <clocale>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "datum/AbsNumber.h"
#include "datum/Locale.h"
#include "platform/Profile.h"
#include "status/Status.h"
#include "table/FileTable.h"
#include "table/Table.h"

namespace dv {
namespace {

// The longest locale name a row can match: longer cells are not names.
constexpr int kNameCellSize = kConfiguredNameMax + 2;

// The locale table initLocale made, owned here until the next call.
std::unique_ptr<FileLocaleTable>& ownedTable() {
  static std::unique_ptr<FileLocaleTable> table;
  return table;
}

// directory followed by file. A backslash separates like "/" (profiles
// written for other systems use it); a separator is added unless directory
// ends in one.
std::string pathIn(const char* directory, const char* file) {
  std::string path = directory != nullptr ? directory : "";
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path.back() != '/') path += '/';
  path += file;
  return path;
}

// Keeps the first code of a run of steps.
struct FirstCode {
  int code = kLocaleOk;
  void note(int c) {
    if (code == kLocaleOk) code = c;
  }
};

// Loads a new default locale object; a failure records its code and drops
// the object. Answers the object (with the caller's reference) or null.
Locale* loadLocale(FirstCode* codes, void (*place)(Locale*, int32_t), bool system) {
  Locale* locale = new (std::nothrow) Locale();
  if (locale == nullptr) {
    codes->note(kLocaleOutOfMemory);
    return nullptr;
  }
  // The system locale object loads for the system default only while it is
  // in its place.
  if (system) place(locale, kLocaleIdNone);
  int32_t id = kLocaleIdNone;
  int code = locale->localeId(&id);
  if (code != kLocaleOk) {
    codes->note(code);
    if (system) place(nullptr, kLocaleIdNone);
    locale->release();
    return nullptr;
  }
  if (place != nullptr) place(locale, id);
  return locale;
}

}  // namespace

FileLocaleTable::FileLocaleTable(Table* table) : table_(table) {
  table_->addRef();
}

FileLocaleTable::~FileLocaleTable() {
  table_->release();
}

int FileLocaleTable::lookup(const char* name, int32_t* id) const {
  if (name == nullptr || id == nullptr) return kLocaleNullDestination;
  char cellText[kNameCellSize];
  for (int32_t row = 0; row < table_->rows(); ++row) {
    Datum* nameCell = table_->cell(row, 0);
    if (nameCell->isNull()) continue;
    nameCell->asString(cellText, sizeof cellText);
    if (std::strcmp(cellText, name) != 0) continue;
    const auto* number = dynamic_cast<const AbsNumber*>(table_->cell(row, kLocaleIdColumn));
    if (number == nullptr || number->isNull()) return kLocaleCellNotNumber;
    const Status* st = nullptr;
    int32_t value = number->asLong(&st);
    if (st != nullptr && st->severity() >= kError) return kLocaleCellNotNumber;
    *id = value;
    return kLocaleOk;
  }
  return kLocaleNameNotInTable;
}

int lookupLocaleName(const char* name, int32_t* id) {
  const LocaleTable* table = localeTable();
  if (table == nullptr) return kLocaleNoTable;
  if (name == nullptr || id == nullptr) return kLocaleNullDestination;
  if (name[0] == '\0') return kLocaleEmptyName;
  return table->lookup(name, id);
}

int initLocale(const char* directory) {
  FirstCode codes;

  // 1. The locale table.
  setLocaleTable(nullptr);
  ownedTable().reset();
  const std::string tablePath = pathIn(directory, kLocaleTableFileName);
  Table* table = nullptr;
  FileTable::read(tablePath.c_str(), nullptr, nullptr, &table);
  if (table == nullptr || table->status()->severity() >= kError || table->rows() == 0) {
    codes.note(kLocaleTableUnreadable);
  } else {
    ownedTable().reset(new (std::nothrow) FileLocaleTable(table));
    if (ownedTable() == nullptr) codes.note(kLocaleOutOfMemory);
    setLocaleTable(ownedTable().get());
  }
  if (table != nullptr) table->release();

  // 2. The time-zone flag.
  const std::string profilePath = pathIn(directory, kProfileFileName);
  int32_t flag =
      platform::profileInt(profilePath.c_str(), kProfileSection, kProfileTimeZoneKey, -1);
  if (flag == -1) {
    flag = 0;
  } else if (flag != 0 && flag != 1) {
    flag = 0;
    codes.note(kLocaleBadTimeZone);
  }
  setTimeZoneFlag(static_cast<int16_t>(flag));

  // 3. The configured locale.
  char name[kConfiguredNameMax + 1];
  platform::profileString(profilePath.c_str(), kProfileSection, kProfileLocaleKey, "", name,
                          sizeof name);
  setConfiguredLocaleName(nullptr, kLocaleIdNone);
  if (name[0] != '\0') {
    int32_t id = kLocaleIdNone;
    int code = lookupLocaleName(name, &id);
    if (code == kLocaleOk) {
      setConfiguredLocaleName(name, id);
    } else {
      codes.note(code);
    }
  }

  // 4. The time-zone block.
  fillTimeZoneBlock();

  // 5. The locale objects: the system locale, the configured one and the
  // current one, each holding its own reference here.
  setCurrentLocale(nullptr);
  setConfiguredLocale(nullptr, kLocaleIdNone);
  if (Locale* system = loadLocale(&codes, &setSystemLocale, true)) system->release();
  if (Locale* configured = loadLocale(&codes, &setConfiguredLocale, false)) configured->release();
  if (Locale* current = loadLocale(&codes, nullptr, false)) {
    setCurrentLocale(current);
    current->release();
  }

  // 6. The C library's own locale.
  if (std::setlocale(LC_ALL, "C") == nullptr) codes.note(kLocaleRuntimeNotSet);
  return codes.code;
}

}  // namespace dv
