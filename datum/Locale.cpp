// The locale object, its loading from the operating system's values, the
// short date format analysis and the process-wide locale state.
#include "datum/Locale.h"

#include <cstring>
#include <ctime>
#include <initializer_list>
#include <ostream>

#include "object/Allocation.h"
#include "platform/LocaleInfo.h"

namespace dv {

namespace {

// The process-wide state. Trivially destructible, so that it stays usable by
// objects destroyed at exit.
struct LocaleState {
  const LocaleTable* table = nullptr;
  char configuredName[kConfiguredNameMax + 1] = "";
  int32_t configuredNameId = kLocaleIdNone;
  Locale* system = nullptr;
  int32_t systemId = kLocaleIdNone;
  Locale* configured = nullptr;
  int32_t configuredId = kLocaleIdNone;
  Locale* current = nullptr;
  TimeZoneSettings timeZone;
  const platform::LocaleInfoSource* source = nullptr;
  uint64_t nextSerial = 1;
};

LocaleState& state() {
  static LocaleState s;
  return s;
}

// Puts locale in slot, holding one reference to it and dropping the one held
// to the previous occupant.
void hold(Locale*& slot, Locale* locale) {
  if (locale != nullptr) locale->addRef();
  Locale* previous = slot;
  slot = locale;
  if (previous != nullptr) previous->release();
}

// The number of bytes of text (length bytes) that fit into max bytes without
// splitting a UTF-8 character: a cut that falls inside a well-formed sequence
// moves back to its lead byte.
std::size_t fittingLength(const char* text, std::size_t length, std::size_t max) {
  if (length <= max) return length;
  std::size_t n = max;
  auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  if (isContinuation(text[n])) {
    std::size_t k = n;
    while (k > 0 && n - k < 3 && isContinuation(text[k])) --k;
    if ((static_cast<unsigned char>(text[k]) & 0xC0) == 0xC0) n = k;
  }
  return n;
}

// Copies text into a field of max bytes plus the NUL; answers the length kept.
int16_t putText(const char* text, std::size_t length, char* field, std::size_t max) {
  std::size_t n = fittingLength(text, length, max);
  std::memcpy(field, text, n);
  field[n] = '\0';
  return static_cast<int16_t>(n);
}

template <std::size_t N>
int16_t putText(const char* text, std::size_t length, char (&field)[N]) {
  return putText(text, length, field, N - 1);
}

// One item's value from the operating system, read with the size the query
// asks for (the platform fails a query into a buffer too small for the
// value; the locale object cuts values itself).
class ItemText {
 public:
  ItemText() = default;
  ItemText(const ItemText&) = delete;
  ItemText& operator=(const ItemText&) = delete;
  ~ItemText() { deallocate(heap_); }

  // 0, kLocaleNotInstalled when the item cannot be read, or kLocaleOutOfMemory.
  int read(const platform::LocaleInfoSource& source, uint32_t lcid, uint32_t item) {
    item |= platform::kLocaleNoUserOverride;
    int needed = source.getLocaleInfo(lcid, item, nullptr, 0);
    if (needed <= 0) return kLocaleNotInstalled;
    char* buf = local_;
    if (static_cast<std::size_t>(needed) > sizeof local_) {
      deallocate(heap_);
      heap_ = static_cast<char*>(allocate(static_cast<std::size_t>(needed)));
      if (heap_ == nullptr) return kLocaleOutOfMemory;
      buf = heap_;
    }
    int n = source.getLocaleInfo(lcid, item, buf, needed);
    if (n <= 0 || n > needed) return kLocaleNotInstalled;
    buf[n - 1] = '\0';
    text_ = buf;
    length_ = std::strlen(buf);
    return kLocaleOk;
  }

  const char* text() const { return text_; }
  std::size_t length() const { return length_; }

 private:
  char local_[128];
  char* heap_ = nullptr;
  const char* text_ = "";
  std::size_t length_ = 0;
};

// Reads a locale's items one after the other; after the first failure the
// others are skipped and its code kept.
class ItemReader {
 public:
  ItemReader(const platform::LocaleInfoSource& source, uint32_t lcid)
      : source_(source), lcid_(lcid) {}

  int code() const { return code_; }

  template <std::size_t N>
  void text(uint32_t item, char (&field)[N], int16_t* length) {
    ItemText value;
    if (!readInto(value, item)) return;
    *length = putText(value.text(), value.length(), field);
  }

  // A small decimal number, as Windows answers the numeric items.
  void number(uint32_t item, int16_t* field) {
    ItemText value;
    if (!readInto(value, item)) return;
    const char* p = value.text();
    bool negative = *p == '-';
    if (negative) ++p;
    if (*p == '\0') code_ = kLocaleNotInstalled;
    long n = 0;
    for (; *p != '\0' && code_ == kLocaleOk; ++p) {
      if (*p >= '0' && *p <= '9') n = n * 10 + (*p - '0');
      if (*p < '0' || *p > '9' || n > INT16_MAX) code_ = kLocaleNotInstalled;
    }
    if (code_ == kLocaleOk) *field = static_cast<int16_t>(negative ? -n : n);
  }

  bool readInto(ItemText& value, uint32_t item) {
    if (code_ != kLocaleOk) return false;
    code_ = value.read(source_, lcid_, item);
    return code_ == kLocaleOk;
  }

 private:
  const platform::LocaleInfoSource& source_;
  uint32_t lcid_;
  int code_ = kLocaleOk;
};

char* copyName(const char* name) {
  std::size_t n = std::strlen(name);
  char* copy = static_cast<char*>(allocate(n + 1));
  if (copy != nullptr) std::memcpy(copy, name, n + 1);
  return copy;
}

bool isDateLetter(char c) {
  return c == 'd' || c == 'M' || c == 'y';
}

}  // namespace

int analyzeShortDateFormat(const char* format, DateSettings* settings) {
  if (format == nullptr || settings == nullptr) return kLocaleNullDestination;
  DateSettings r = *settings;
  r.shortDateFormatLength = putText(format, std::strlen(format), r.shortDateFormat);
  r.dateSeparator[0] = '\0';
  r.dateSeparatorLength = 0;

  const char* p = r.shortDateFormat;
  const char* end = p + r.shortDateFormatLength;
  int position = 0;
  int dayPosition = 0;
  int monthPosition = 0;
  int yearPosition = 0;
  bool haveSeparator = false;
  while (p < end) {
    if (isDateLetter(*p)) {
      char letter = *p;
      const char* q = p;
      while (q < end && *q == letter) ++q;
      std::ptrdiff_t run = q - p;
      p = q;
      if (letter == 'M' || letter == 'd') {
        int& groupPosition = letter == 'M' ? monthPosition : dayPosition;
        if (groupPosition != 0 || run > 2) return kLocaleBadShortDate;
        (letter == 'M' ? r.monthLeadingZero : r.dayLeadingZero) = run == 2 ? 1 : 0;
        groupPosition = ++position;
      } else {
        if (yearPosition != 0 || (run != 2 && run != 4)) return kLocaleBadShortDate;
        r.fourDigitYear = run == 4 ? 1 : 0;
        yearPosition = ++position;
      }
      continue;
    }
    const char* q = p;
    while (q < end && !isDateLetter(*q)) ++q;
    std::size_t length = static_cast<std::size_t>(q - p);
    if (length >= 5 || q == end) return kLocaleBadShortDate;
    if (!haveSeparator) {
      r.dateSeparatorLength = putText(p, length, r.dateSeparator);
      haveSeparator = true;
    } else if (length != static_cast<std::size_t>(r.dateSeparatorLength) ||
               std::memcmp(p, r.dateSeparator, length) != 0) {
      return kLocaleBadShortDate;
    }
    p = q;
  }
  if (dayPosition == 0 || monthPosition == 0 || yearPosition == 0) return kLocaleBadShortDate;

  // (day, month, year) positions -> order.
  static const struct {
    int day, month, year;
    int16_t order;
  } kOrders[] = {
      {1, 2, 3, kDateOrderDayMonthYear}, {1, 3, 2, kDateOrderDayYearMonth},
      {2, 1, 3, kDateOrderMonthDayYear}, {3, 1, 2, kDateOrderMonthYearDay},
      {2, 3, 1, kDateOrderYearDayMonth}, {3, 2, 1, kDateOrderYearMonthDay},
  };
  for (const auto& o : kOrders) {
    if (o.day == dayPosition && o.month == monthPosition && o.year == yearPosition) {
      r.dateOrder = o.order;
    }
  }
  *settings = r;
  return kLocaleOk;
}

DV_DEFINE_CLASS_MEMBERS(Locale, Object)

const Class& Locale::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  // Not readable from object streams: a locale's settings come from the
  // operating system, not from stored data.
  static const Class d("Locale", bases, none, none, 1, Class::kIdent, sizeof(Locale), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

Locale::Locale() : serial_(state().nextSerial++) {}

Locale::Locale(int32_t id)
    : idGiven_(1), localeId_(id), givenId_(id), serial_(state().nextSerial++) {}

Locale::Locale(const Locale& other)
    : Object(other),
      loaded_(other.loaded_),
      idGiven_(other.idGiven_),
      localeId_(other.localeId_),
      timeZone_(other.timeZone_),
      time_(other.time_),
      date_(other.date_),
      currency_(other.currency_),
      givenId_(other.givenId_),
      serial_(state().nextSerial++) {
  if (other.name_ != nullptr) {
    name_ = copyName(other.name_);
    if (name_ == nullptr) setCValues();
  }
}

Locale::~Locale() {
  deallocate(name_);
  LocaleState& s = state();
  if (s.current == this) s.current = nullptr;
  if (s.system == this) s.system = nullptr;
  if (s.configured == this) s.configured = nullptr;
}

void Locale::setCValues() {
  loaded_ = 0;
  localeId_ = kLocaleIdC;
  deallocate(name_);
  name_ = nullptr;
  time_ = TimeSettings();
  date_ = DateSettings();
  currency_ = CurrencySettings();
}

int Locale::load() {
  LocaleState& s = state();
  if (s.table == nullptr) {
    setCValues();
    return kLocaleNoTable;
  }
  timeZone_ = s.timeZone;

  const platform::LocaleInfoSource& source = localeInfoSource();
  bool systemDefault = false;
  int32_t id = kLocaleIdNone;
  if (this == s.system) {
    systemDefault = true;
  } else if (idGiven_ != 0) {
    id = givenId_;
  } else if (s.configuredName[0] != '\0') {
    id = s.configuredNameId;
  } else {
    systemDefault = true;
  }
  if (systemDefault) {
    uint32_t lcid = source.systemDefaultLcid();
    if (lcid == 0 || lcid > static_cast<uint32_t>(INT32_MAX)) {
      setCValues();
      return kLocaleNoSystemDefault;
    }
    id = static_cast<int32_t>(lcid);
  }

  for (const Locale* other : {s.system, s.configured}) {
    if (other != nullptr && other != this && other->loaded_ != 0 && other->localeId_ == id) {
      return copySettingsFrom(*other);
    }
  }
  int code = readSettings(source, id, systemDefault);
  if (code != kLocaleOk) setCValues();
  return code;
}

int Locale::readSettings(const platform::LocaleInfoSource& source, int32_t id, bool systemDefault) {
  if (id < 0 || !source.isValidLocale(static_cast<uint32_t>(id))) return kLocaleNotInstalled;
  uint32_t lcid = static_cast<uint32_t>(id);

  ItemText name;
  int code = name.read(source, lcid, platform::kLocaleSName);
  if (code == kLocaleNotInstalled && systemDefault) return kLocaleNoSystemDefaultName;
  if (code != kLocaleOk) return code;

  TimeSettings time;
  DateSettings date;
  CurrencySettings currency;
  ItemReader r(source, lcid);
  r.number(platform::kLocaleITime, &time.clock24);
  r.text(platform::kLocaleSTime, time.timeSeparator, &time.timeSeparatorLength);
  r.text(platform::kLocaleS1159, time.amText, &time.amTextLength);
  r.text(platform::kLocaleS2359, time.pmText, &time.pmTextLength);
  r.number(platform::kLocaleITLZero, &time.timeLeadingZero);
  ItemText shortDate;
  if (r.readInto(shortDate, platform::kLocaleSShortDate) &&
      analyzeShortDateFormat(shortDate.text(), &date) != kLocaleOk) {
    return kLocaleNotInstalled;
  }
  r.text(platform::kLocaleSCurrency, currency.currencySymbol, &currency.currencySymbolLength);
  r.number(platform::kLocaleICurrency, &currency.currencyPosition);
  r.number(platform::kLocaleICurrDigits, &currency.currencyDigits);
  r.number(platform::kLocaleINegCurr, &currency.negativeCurrency);
  r.text(platform::kLocaleSPositiveSign, currency.positiveSign, &currency.positiveSignLength);
  r.text(platform::kLocaleSNegativeSign, currency.negativeSign, &currency.negativeSignLength);
  NumberSettings& number = currency.number;
  r.text(platform::kLocaleSThousand, number.thousandSeparator, &number.thousandSeparatorLength);
  r.text(platform::kLocaleSDecimal, number.decimalSeparator, &number.decimalSeparatorLength);
  number.grouping = 3;
  r.number(platform::kLocaleILZero, &number.leadingZero);
  if (r.code() != kLocaleOk) return r.code();

  char* nameCopy = copyName(name.text());
  if (nameCopy == nullptr) return kLocaleOutOfMemory;
  deallocate(name_);
  name_ = nameCopy;
  time_ = time;
  date_ = date;
  currency_ = currency;
  localeId_ = id;
  loaded_ = 1;
  return kLocaleOk;
}

int Locale::copySettingsFrom(const Locale& other) {
  char* nameCopy = nullptr;
  if (other.name_ != nullptr) {
    nameCopy = copyName(other.name_);
    if (nameCopy == nullptr) {
      setCValues();
      return kLocaleOutOfMemory;
    }
  }
  deallocate(name_);
  name_ = nameCopy;
  time_ = other.time_;
  date_ = other.date_;
  currency_ = other.currency_;
  localeId_ = other.localeId_;
  loaded_ = 1;
  return kLocaleOk;
}

int Locale::localeId(int32_t* id) {
  if (id == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *id = localeId_;
  return code;
}

int Locale::localeName(char* buf, int size) {
  if (buf == nullptr || size < 1) return kLocaleNullDestination;
  int code = ensureLoaded();
  const char* name = name_ != nullptr ? name_ : "C";
  putText(name, std::strlen(name), buf, static_cast<std::size_t>(size) - 1);
  return code;
}

int Locale::dateSettings(DateSettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *settings = date_;
  return code;
}

int Locale::timeSettings(TimeSettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *settings = time_;
  return code;
}

int Locale::numberSettings(NumberSettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *settings = currency_.number;
  return code;
}

int Locale::currencySettings(CurrencySettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *settings = currency_;
  return code;
}

int Locale::timeZoneSettings(TimeZoneSettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  *settings = timeZone_;
  return code;
}

int Locale::dateTimeSettings(DateTimeSettings* settings) {
  if (settings == nullptr) return kLocaleNullDestination;
  int code = ensureLoaded();
  settings->date = date_;
  settings->time = time_;
  settings->number = currency_.number;
  settings->timeZone = timeZone_;
  return code;
}

Object* Locale::shallowCopy() const {
  return new Locale(*this);
}

int Locale::compare(const Object& other) const {
  if (!assertArgClass(other, Locale::desc(), "compare")) return 0;
  int32_t o = static_cast<const Locale&>(other).localeId_;
  return localeId_ < o ? -1 : (localeId_ > o ? 1 : 0);
}

uint32_t Locale::hash() const {
  return static_cast<uint32_t>(localeId_);
}

bool Locale::isEqual(const Object& other) const {
  if (!other.isSpecies(Locale::desc())) return false;
  const Locale& o = static_cast<const Locale&>(other);
  return o.localeId_ == localeId_ && o.loaded_ == loaded_;
}

void Locale::printOn(std::ostream& out) const {
  out << (name_ != nullptr ? name_ : "C") << " (" << localeId_ << ')';
}

void setCurrentLocale(Locale* locale) {
  hold(state().current, locale);
}

Locale* currentLocale() {
  return state().current;
}

void setLocaleTable(const LocaleTable* table) {
  state().table = table;
}

const LocaleTable* localeTable() {
  return state().table;
}

void setConfiguredLocaleName(const char* name, int32_t id) {
  LocaleState& s = state();
  if (name == nullptr) name = "";
  putText(name, std::strlen(name), s.configuredName);
  s.configuredNameId = id;
}

const char* configuredLocaleName() {
  return state().configuredName;
}

int32_t configuredLocaleNameId() {
  return state().configuredNameId;
}

void setSystemLocale(Locale* locale, int32_t id) {
  LocaleState& s = state();
  hold(s.system, locale);
  s.systemId = id;
}

Locale* systemLocale() {
  return state().system;
}

int32_t systemLocaleId() {
  return state().systemId;
}

void setConfiguredLocale(Locale* locale, int32_t id) {
  LocaleState& s = state();
  hold(s.configured, locale);
  s.configuredId = id;
}

Locale* configuredLocale() {
  return state().configured;
}

int32_t configuredLocaleId() {
  return state().configuredId;
}

const TimeZoneSettings& timeZoneBlock() {
  return state().timeZone;
}

void setTimeZoneBlock(const TimeZoneSettings& block) {
  state().timeZone = block;
}

void setTimeZoneFlag(int16_t flag) {
  state().timeZone.timeZoneFlag = flag;
}

void fillTimeZoneBlock() {
  TimeZoneSettings& b = state().timeZone;
  tzset();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  bool inDaylight = localtime_r(&now, &local) != nullptr && local.tm_isdst > 0;
  b.zoneSeconds = static_cast<int32_t>(timezone);
  b.zoneHours = static_cast<int16_t>(b.zoneSeconds / 3600);
  b.zoneMinutes = static_cast<int16_t>(b.zoneSeconds / 60 - b.zoneHours * 60);
  b.daylight = inDaylight ? 1 : 0;
  b.gmtNameLength = putText("GMT", 3, b.gmtName);
  const char* zone = tzname[inDaylight ? 1 : 0];
  if (zone == nullptr) zone = "";
  b.zoneNameLength = putText(zone, std::strlen(zone), b.zoneName);
}

void setLocaleInfoSource(const platform::LocaleInfoSource* source) {
  state().source = source;
}

const platform::LocaleInfoSource& localeInfoSource() {
  const platform::LocaleInfoSource* source = state().source;
  return source != nullptr ? *source : platform::posixLocaleInfo();
}

void resetLocaleState() {
  LocaleState& s = state();
  setCurrentLocale(nullptr);
  setSystemLocale(nullptr, kLocaleIdNone);
  setConfiguredLocale(nullptr, kLocaleIdNone);
  setConfiguredLocaleName(nullptr, kLocaleIdNone);
  s.table = nullptr;
  s.timeZone = TimeZoneSettings();
  s.source = nullptr;
}

}  // namespace dv
