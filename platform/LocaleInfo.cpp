// Windows locale queries answered from the POSIX locale database: the
// identifier table, the picture-format derivation and the item values.
#include "platform/LocaleInfo.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace dv {
namespace platform {

namespace {

// Well-known Windows identifiers. Within one language the first row is the
// one a POSIX name without territory ("de") stands for.
const LocaleEntry kEntries[] = {
    {0x0409, "en-US", "en_US.UTF-8"}, {0x0809, "en-GB", "en_GB.UTF-8"},
    {0x0C09, "en-AU", "en_AU.UTF-8"}, {0x1009, "en-CA", "en_CA.UTF-8"},
    {0x1409, "en-NZ", "en_NZ.UTF-8"}, {0x1809, "en-IE", "en_IE.UTF-8"},
    {0x0407, "de-DE", "de_DE.UTF-8"}, {0x0C07, "de-AT", "de_AT.UTF-8"},
    {0x0807, "de-CH", "de_CH.UTF-8"}, {0x040C, "fr-FR", "fr_FR.UTF-8"},
    {0x080C, "fr-BE", "fr_BE.UTF-8"}, {0x0C0C, "fr-CA", "fr_CA.UTF-8"},
    {0x100C, "fr-CH", "fr_CH.UTF-8"}, {0x0410, "it-IT", "it_IT.UTF-8"},
    {0x0810, "it-CH", "it_CH.UTF-8"}, {0x0C0A, "es-ES", "es_ES.UTF-8"},
    {0x080A, "es-MX", "es_MX.UTF-8"}, {0x0413, "nl-NL", "nl_NL.UTF-8"},
    {0x0813, "nl-BE", "nl_BE.UTF-8"}, {0x0416, "pt-BR", "pt_BR.UTF-8"},
    {0x0816, "pt-PT", "pt_PT.UTF-8"}, {0x041D, "sv-SE", "sv_SE.UTF-8"},
    {0x0406, "da-DK", "da_DK.UTF-8"}, {0x0414, "nb-NO", "nb_NO.UTF-8"},
    {0x040B, "fi-FI", "fi_FI.UTF-8"}, {0x0415, "pl-PL", "pl_PL.UTF-8"},
    {0x0405, "cs-CZ", "cs_CZ.UTF-8"}, {0x040E, "hu-HU", "hu_HU.UTF-8"},
    {0x0408, "el-GR", "el_GR.UTF-8"}, {0x041F, "tr-TR", "tr_TR.UTF-8"},
    {0x0419, "ru-RU", "ru_RU.UTF-8"}, {0x0411, "ja-JP", "ja_JP.UTF-8"},
    {0x0412, "ko-KR", "ko_KR.UTF-8"}, {0x0804, "zh-CN", "zh_CN.UTF-8"},
    {0x0404, "zh-TW", "zh_TW.UTF-8"},
};

// Appends to a fixed buffer, always NUL-terminated; remembers an overflow.
class Writer {
 public:
  Writer(char* out, std::size_t size) : out_(out), size_(size) {
    if (size_ > 0) out_[0] = '\0';
  }
  void put(const char* s, std::size_t n) {
    if (len_ + n + 1 > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out_ + len_, s, n);
    len_ += n;
    out_[len_] = '\0';
  }
  void put(const char* s) { put(s, std::strlen(s)); }
  void fail() { ok_ = false; }
  bool ok() const { return ok_; }
  // Empties the buffer after a failure, so that no half picture is seen.
  bool finish() {
    if (!ok_ && size_ > 0) out_[0] = '\0';
    return ok_;
  }

 private:
  char* out_;
  std::size_t size_;
  std::size_t len_ = 0;
  bool ok_ = true;
};

// The parts of one POSIX conversion: flag (0, '-', '_' or '0') and letter.
struct Conversion {
  char flag = 0;
  char letter = 0;
};

// Reads the conversion that p points just after the '%' of; answers the
// position after it. A format that ends inside the conversion gives letter 0.
const char* readConversion(const char* p, Conversion* c) {
  while (*p != '\0' && std::strchr("_-0^#", *p) != nullptr) {
    if (*p == '_' || *p == '-' || *p == '0') c->flag = *p;
    ++p;
  }
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;  // a field width
  if (*p == 'E' || *p == 'O') ++p;
  c->letter = *p;
  return *p != '\0' ? p + 1 : p;
}

// Literal text of a picture: quoted when Windows would read letters in it.
void putLiteral(Writer& w, const char* s, std::size_t n) {
  bool quote = false;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ch = static_cast<unsigned char>(s[i]);
    if (ch == '\'' || (ch < 0x80 && std::isalpha(ch))) quote = true;
  }
  if (!quote) {
    w.put(s, n);
    return;
  }
  w.put("'");
  for (std::size_t i = 0; i < n; ++i) {
    if (s[i] == '\'') {
      w.put("''");
    } else {
      w.put(s + i, 1);
    }
  }
  w.put("'");
}

void putDatePicture(Writer& w, const char* format, const char* dateFormat, int depth) {
  const char* p = format;
  while (*p != '\0' && w.ok()) {
    if (*p != '%') {
      const char* q = p;
      while (*q != '\0' && *q != '%') ++q;
      putLiteral(w, p, static_cast<std::size_t>(q - p));
      p = q;
      continue;
    }
    Conversion c;
    p = readConversion(p + 1, &c);
    bool unpadded = c.flag == '-' || c.flag == '_';
    switch (c.letter) {
      case 'd':
        w.put(unpadded ? "d" : "dd");
        break;
      case 'e':
        w.put(c.flag == '0' ? "dd" : "d");
        break;
      case 'm':
        w.put(unpadded ? "M" : "MM");
        break;
      case 'Y':
      case 'G':
        w.put("yyyy");
        break;
      case 'y':
      case 'g':
        w.put(unpadded ? "y" : "yy");
        break;
      case 'b':
      case 'h':
        w.put("MMM");
        break;
      case 'B':
        w.put("MMMM");
        break;
      case 'a':
        w.put("ddd");
        break;
      case 'A':
        w.put("dddd");
        break;
      case 'D':
        putDatePicture(w, "%m/%d/%y", nullptr, depth + 1);
        break;
      case 'F':
        putDatePicture(w, "%Y-%m-%d", nullptr, depth + 1);
        break;
      case 'x':
        // Only one level: a date format naming itself is not representable.
        if (dateFormat == nullptr || depth > 0) {
          w.fail();
        } else {
          putDatePicture(w, dateFormat, nullptr, depth + 1);
        }
        break;
      case '%':
        putLiteral(w, "%", 1);
        break;
      case 'n':
        putLiteral(w, "\n", 1);
        break;
      case 't':
        putLiteral(w, "\t", 1);
        break;
      default:
        w.fail();
        break;
    }
  }
}

// Expands the composite time conversions, so that the hour and the text after
// it can be found in one flat format.
void expandTimeFormat(Writer& w, const char* format, const char* ampmFormat, const char* timeFormat,
                      int depth) {
  const char* p = format;
  while (*p != '\0' && w.ok()) {
    if (*p != '%') {
      w.put(p, 1);
      ++p;
      continue;
    }
    const char* start = p;
    Conversion c;
    p = readConversion(p + 1, &c);
    const char* expansion = nullptr;
    switch (c.letter) {
      case 'T':
        expansion = "%H:%M:%S";
        break;
      case 'R':
        expansion = "%H:%M";
        break;
      case 'r':
        expansion = ampmFormat;
        break;
      case 'X':
        expansion = timeFormat;
        break;
      default:
        break;
    }
    if (c.letter == 'r' && (expansion == nullptr || *expansion == '\0' || depth > 0)) {
      expansion = "%I:%M:%S %p";
    }
    if (c.letter == 'X' && (expansion == nullptr || *expansion == '\0' || depth > 0)) {
      expansion = "%H:%M:%S";
    }
    if (expansion != nullptr) {
      expandTimeFormat(w, expansion, ampmFormat, timeFormat, depth + 1);
    } else {
      w.put(start, static_cast<std::size_t>(p - start));
    }
  }
}

// Copies s into out (size bytes), cut at a character boundary.
int copyValue(const char* s, char* out, std::size_t size) {
  std::size_t n = std::strlen(s);
  if (n + 1 > size) {
    n = size - 1;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(out, s, n);
  out[n] = '\0';
  return static_cast<int>(n);
}

// The values read through localeconv, copied while the locale is in use.
struct Conventions {
  char decimalPoint[64] = "";
  char thousandsSep[64] = "";
  char currencySymbol[64] = "";
  char positiveSign[64] = "";
  char negativeSign[64] = "";
  int fracDigits = CHAR_MAX;
  int pCsPrecedes = CHAR_MAX;
  int pSepBySpace = CHAR_MAX;
  int nCsPrecedes = CHAR_MAX;
  int nSepBySpace = CHAR_MAX;
  int nSignPosn = CHAR_MAX;
};

// localeconv answers for the calling thread's locale: the locale is made the
// thread's for the call only, and the previous one (usually the global
// locale, which is never changed) is put back.
Conventions readConventions(locale_t loc) {
  Conventions c;
  locale_t previous = uselocale(loc);
  const lconv* lc = localeconv();
  copyValue(lc->decimal_point, c.decimalPoint, sizeof c.decimalPoint);
  copyValue(lc->thousands_sep, c.thousandsSep, sizeof c.thousandsSep);
  copyValue(lc->currency_symbol, c.currencySymbol, sizeof c.currencySymbol);
  copyValue(lc->positive_sign, c.positiveSign, sizeof c.positiveSign);
  copyValue(lc->negative_sign, c.negativeSign, sizeof c.negativeSign);
  c.fracDigits = lc->frac_digits;
  c.pCsPrecedes = lc->p_cs_precedes;
  c.pSepBySpace = lc->p_sep_by_space;
  c.nCsPrecedes = lc->n_cs_precedes;
  c.nSepBySpace = lc->n_sep_by_space;
  c.nSignPosn = lc->n_sign_posn;
  uselocale(previous);
  return c;
}

void putNumber(int n, char* out, std::size_t size) {
  std::snprintf(out, size, "%d", n);
}

// The value of item for a locale object; false when it has none.
bool itemValue(locale_t loc, uint32_t item, char* out, std::size_t size) {
  switch (item) {
    case kLocaleSTime:
    case kLocaleITime:
    case kLocaleITLZero: {
      const char* timeFormat = nl_langinfo_l(T_FMT, loc);
      TimeFormatInfo t =
          timeFormatInfoFromPosix(timeFormat, nl_langinfo_l(T_FMT_AMPM, loc), timeFormat);
      if (item == kLocaleSTime) {
        copyValue(t.separator, out, size);
      } else {
        putNumber(item == kLocaleITime ? t.clock24 : t.leadingZero, out, size);
      }
      return true;
    }
    case kLocaleS1159:
      copyValue(nl_langinfo_l(AM_STR, loc), out, size);
      return true;
    case kLocaleS2359:
      copyValue(nl_langinfo_l(PM_STR, loc), out, size);
      return true;
    case kLocaleSShortDate: {
      const char* dateFormat = nl_langinfo_l(D_FMT, loc);
      return datePictureFromPosix(dateFormat, dateFormat, out, size);
    }
    case kLocaleILZero:
      putNumber(1, out, size);
      return true;
    case kLocaleSDecimal:
    case kLocaleSThousand:
    case kLocaleSCurrency:
    case kLocaleICurrency:
    case kLocaleICurrDigits:
    case kLocaleINegCurr:
    case kLocaleSPositiveSign:
    case kLocaleSNegativeSign:
      break;
    default:
      return false;
  }
  Conventions c = readConventions(loc);
  switch (item) {
    case kLocaleSDecimal:
      copyValue(c.decimalPoint, out, size);
      break;
    case kLocaleSThousand:
      copyValue(c.thousandsSep, out, size);
      break;
    case kLocaleSCurrency:
      copyValue(c.currencySymbol, out, size);
      break;
    case kLocaleSPositiveSign:
      copyValue(c.positiveSign, out, size);
      break;
    case kLocaleSNegativeSign:
      copyValue(c.negativeSign, out, size);
      break;
    case kLocaleICurrency:
      putNumber(currencyPlacement(c.pCsPrecedes, c.pSepBySpace), out, size);
      break;
    case kLocaleICurrDigits:
      putNumber(c.fracDigits == CHAR_MAX ? 2 : c.fracDigits, out, size);
      break;
    default:
      putNumber(negativeCurrencyForm(c.nCsPrecedes, c.nSepBySpace, c.nSignPosn), out, size);
      break;
  }
  return true;
}

// The length of the language_TERRITORY part of a POSIX name.
std::size_t baseNameLength(const char* name) {
  return std::strcspn(name, ".@");
}

class PosixLocaleInfo : public LocaleInfoSource {
 public:
  bool isValidLocale(uint32_t lcid) const override { return platform::isValidLocale(lcid); }
  uint32_t systemDefaultLcid() const override { return platform::systemDefaultLcid(); }
  int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) const override {
    return platform::getLocaleInfo(lcid, item, buf, size);
  }
};

}  // namespace

const LocaleEntry* localeEntries() {
  return kEntries;
}

std::size_t localeEntryCount() {
  return sizeof kEntries / sizeof kEntries[0];
}

const LocaleEntry* findLocaleEntry(uint32_t lcid) {
  for (const LocaleEntry& e : kEntries) {
    if (e.lcid == lcid) return &e;
  }
  return nullptr;
}

uint32_t lcidForPosixName(const char* name) {
  if (name == nullptr) return 0;
  std::size_t n = baseNameLength(name);
  if (n == 0) return 0;
  for (const LocaleEntry& e : kEntries) {
    if (baseNameLength(e.posixName) == n && std::strncmp(e.posixName, name, n) == 0) return e.lcid;
  }
  // A language without territory: the language's first row.
  if (std::memchr(name, '_', n) == nullptr) {
    for (const LocaleEntry& e : kEntries) {
      if (e.posixName[n] == '_' && std::strncmp(e.posixName, name, n) == 0) return e.lcid;
    }
  }
  return 0;
}

bool isValidLocale(uint32_t lcid) {
  const LocaleEntry* e = findLocaleEntry(lcid);
  if (e == nullptr) return false;
  locale_t loc = newlocale(LC_ALL_MASK, e->posixName, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return false;
  freelocale(loc);
  return true;
}

uint32_t systemDefaultLcid() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    uint32_t lcid = lcidForPosixName(value);
    return lcid != 0 ? lcid : kDefaultLcid;
  }
  return kDefaultLcid;
}

int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) {
  if (size < 0) return 0;
  item &= ~kLocaleNoUserOverride;
  const LocaleEntry* e = findLocaleEntry(lcid);
  if (e == nullptr) return 0;
  char value[256];
  if (item == kLocaleSName) {
    copyValue(e->windowsName, value, sizeof value);
  } else {
    locale_t loc = newlocale(LC_ALL_MASK, e->posixName, static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return 0;
    bool ok = itemValue(loc, item, value, sizeof value);
    freelocale(loc);
    if (!ok) return 0;
  }
  int needed = static_cast<int>(std::strlen(value)) + 1;
  if (size == 0) return needed;
  if (buf == nullptr || size < needed) return 0;
  std::memcpy(buf, value, static_cast<std::size_t>(needed));
  return needed;
}

bool datePictureFromPosix(const char* format, const char* posixDateFormat, char* out,
                          std::size_t size) {
  Writer w(out, size);
  if (format == nullptr || size == 0) return false;
  putDatePicture(w, format, posixDateFormat, 0);
  return w.finish();
}

TimeFormatInfo timeFormatInfoFromPosix(const char* format, const char* ampmFormat,
                                       const char* timeFormat) {
  TimeFormatInfo info;
  if (format == nullptr) return info;
  char flat[512];
  Writer w(flat, sizeof flat);
  expandTimeFormat(w, format, ampmFormat, timeFormat, 0);
  if (!w.finish()) return info;

  const char* p = flat;
  while (*p != '\0') {
    if (*p != '%') {
      ++p;
      continue;
    }
    Conversion c;
    p = readConversion(p + 1, &c);
    if (c.letter == '\0' || std::strchr("HkIl", c.letter) == nullptr) continue;
    info.clock24 = c.letter == 'H' || c.letter == 'k';
    if (c.letter == 'H' || c.letter == 'I') {
      info.leadingZero = c.flag != '-' && c.flag != '_';
    } else {
      info.leadingZero = c.flag == '0';
    }
    // The literal text up to the next conversion is the separator.
    char sep[sizeof info.separator];
    Writer s(sep, sizeof sep);
    while (*p != '\0') {
      if (*p != '%') {
        s.put(p, 1);
        ++p;
        continue;
      }
      Conversion next;
      const char* after = readConversion(p + 1, &next);
      if (next.letter == '%') {
        s.put("%");
      } else if (next.letter == 'n') {
        s.put("\n");
      } else if (next.letter == 't') {
        s.put("\t");
      } else {
        break;
      }
      p = after;
    }
    // An empty or overlong separator leaves ":".
    if (s.ok() && sep[0] != '\0') copyValue(sep, info.separator, sizeof info.separator);
    break;
  }
  return info;
}

int currencyPlacement(int csPrecedes, int sepBySpace) {
  bool first = csPrecedes != 0;  // CHAR_MAX counts as first
  bool space = sepBySpace == 1;
  if (first) return space ? 2 : 0;
  return space ? 3 : 1;
}

int negativeCurrencyForm(int csPrecedes, int sepBySpace, int signPosn) {
  static const int kForms[5][4] = {
      {0, 4, 14, 15}, {1, 5, 9, 8}, {3, 7, 11, 10}, {1, 6, 9, 13}, {2, 7, 12, 10},
  };
  bool first = csPrecedes != 0;
  bool space = sepBySpace == 1;
  int row = signPosn >= 0 && signPosn <= 4 ? signPosn : 0;
  int column = (first ? 0 : 1) + (space ? 2 : 0);
  return kForms[row][column];
}

LocaleInfoSource::~LocaleInfoSource() = default;

const LocaleInfoSource& posixLocaleInfo() {
  static const PosixLocaleInfo source;
  return source;
}

}  // namespace platform
}  // namespace dv
