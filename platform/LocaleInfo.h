// Locale information in the manner of the Windows locale functions
// (GetLocaleInfoA, GetSystemDefaultLCID, IsValidLocale), answered from the
// POSIX locale database. A table maps well-known Windows locale identifiers to
// POSIX locale names; every value is read from a locale object made with
// newlocale for that name, so the answers are the locale database's own values
// and never the process's environment (LC_* variables) or its global locale.
//
// Windows picture formats are derived from the POSIX formats:
//   date conversions  %d -> dd, %-d %_d %e -> d, %0e -> dd, %m -> MM,
//                     %-m %_m -> M, %Y %G -> yyyy, %y %g -> yy, %-y -> y,
//                     %b %h -> MMM, %B -> MMMM, %a -> ddd, %A -> dddd,
//                     %D -> MM/dd/yy, %F -> yyyy-MM-dd, %x -> the date format,
//                     %% -> %, %n and %t -> a newline and a tab;
//                     the E and O modifiers and the ^ and # flags are ignored;
//   literal text      copied; a run holding ASCII letters or a quote is put in
//                     single quotes, a quote inside it doubled, as Windows
//                     pictures quote literal letters.
// Not representable (the date picture is then refused and the query fails):
// any other conversion in a date format, such as day of the year (%j), week
// numbers (%U %V %W), weekday numbers (%u %w), the century (%C), era names
// (%EC) or time fields. Padding by spaces has no Windows form and becomes the
// unpadded picture.
//
// Time items come from the time format (T_FMT, with %T, %R, %r and %X
// expanded): the first hour conversion decides the clock (%H %k: 24-hour,
// %I %l: 12-hour) and the hour's leading zero (%H %I and the 0 flag: yes;
// %k %l and the - and _ flags: no); the literal text between it and the next
// conversion is the time separator (":" when there is none).
//
// The other items: S1159 and S2359 are AM_STR and PM_STR; SSHORTDATE is the
// picture of D_FMT; SCURRENCY, SPOSITIVESIGN and SNEGATIVESIGN are
// localeconv's currency_symbol, positive_sign and negative_sign; STHOUSAND
// and SDECIMAL its thousands_sep and decimal_point; ICURRDIGITS its
// frac_digits (2 when unspecified); ICURRENCY and INEGCURR as said at
// currencyPlacement and negativeCurrencyForm; ILZERO is always 1, as the C
// library writes 0.5 with its zero; SNAME is the table's Windows name.
#ifndef DV_PLATFORM_LOCALEINFO_H_
#define DV_PLATFORM_LOCALEINFO_H_

#include <cstddef>
#include <cstdint>

namespace dv {
namespace platform {

// The items of getLocaleInfo, with the values of the Windows constants.
inline constexpr uint32_t kLocaleSDecimal = 0x0E;       // decimal separator
inline constexpr uint32_t kLocaleSThousand = 0x0F;      // thousands separator
inline constexpr uint32_t kLocaleILZero = 0x12;         // 1: a zero before the decimal point
inline constexpr uint32_t kLocaleSCurrency = 0x14;      // local currency symbol
inline constexpr uint32_t kLocaleICurrDigits = 0x19;    // digits after the decimal point
inline constexpr uint32_t kLocaleICurrency = 0x1B;      // positive currency placement, 0 to 3
inline constexpr uint32_t kLocaleINegCurr = 0x1C;       // negative currency form, 0 to 15
inline constexpr uint32_t kLocaleSTime = 0x1E;          // time separator
inline constexpr uint32_t kLocaleSShortDate = 0x1F;     // short date picture
inline constexpr uint32_t kLocaleITime = 0x23;          // 1: 24-hour clock
inline constexpr uint32_t kLocaleITLZero = 0x25;        // 1: hours with a leading zero
inline constexpr uint32_t kLocaleS1159 = 0x28;          // text for before noon
inline constexpr uint32_t kLocaleS2359 = 0x29;          // text for after noon
inline constexpr uint32_t kLocaleSPositiveSign = 0x50;  // positive sign
inline constexpr uint32_t kLocaleSNegativeSign = 0x51;  // negative sign
inline constexpr uint32_t kLocaleSName = 0x5C;          // locale name, such as "de-DE"
// Accepted with every item and without effect: the answers are always the
// locale database's values.
inline constexpr uint32_t kLocaleNoUserOverride = 0x80000000u;

// The identifier answered when the environment names no known locale: en-US.
inline constexpr uint32_t kDefaultLcid = 0x0409;

// One row of the identifier table.
struct LocaleEntry {
  uint32_t lcid;
  const char* windowsName;  // "de-DE"
  const char* posixName;    // "de_DE.UTF-8"
};

// The identifier table, and its number of rows.
const LocaleEntry* localeEntries();
std::size_t localeEntryCount();
// The row of an identifier; null when the table does not know it.
const LocaleEntry* findLocaleEntry(uint32_t lcid);
// The identifier whose POSIX name has the language_TERRITORY part of name
// ("de_DE" of "de_DE.ISO-8859-1@euro"); 0 when none has.
uint32_t lcidForPosixName(const char* name);

// IsValidLocale: true when the table knows lcid and newlocale accepts its POSIX
// name, that is when the locale is installed where the C library looks for
// locales (LOCPATH, when set).
bool isValidLocale(uint32_t lcid);

// GetSystemDefaultLCID: the locale that the first non-empty one of LC_ALL,
// LC_TIME and LANG names, when the table knows it; otherwise kDefaultLcid.
uint32_t systemDefaultLcid();

// GetLocaleInfoA: writes the value of item (optionally with
// kLocaleNoUserOverride) for lcid into buf, NUL-terminated, and answers the
// number of bytes written including the NUL. With size 0 nothing is written
// and the size needed is answered. 0 when lcid or item is unknown, the locale
// is not installed, the value cannot be represented, or buf is null or
// smaller than the value (Windows fails such a query rather than cutting it).
// Texts are in the locale's encoding (UTF-8 for every row of the table).
int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size);

// The Windows date picture of a POSIX date format, into out (size bytes,
// NUL-terminated). posixDateFormat is what %x expands to (null: %x is not
// representable). False, with out empty, when a conversion is not
// representable or out is too small.
bool datePictureFromPosix(const char* format, const char* posixDateFormat, char* out,
                          std::size_t size);

// What a POSIX time format says of the clock; see the header comment.
struct TimeFormatInfo {
  int clock24 = 1;
  int leadingZero = 1;
  char separator[16] = ":";  // ":" also when the text is longer than 15 bytes
};
// ampmFormat and timeFormat are what %r and %X expand to (null or empty:
// "%I:%M:%S %p" and "%H:%M:%S").
TimeFormatInfo timeFormatInfoFromPosix(const char* format, const char* ampmFormat,
                                       const char* timeFormat);

// The Windows numbers of the currency forms from the C library's monetary
// fields (as in struct lconv; CHAR_MAX, "unspecified", counts as the symbol
// first, no space, and parentheses for negative amounts).
// ICURRENCY: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $" from p_cs_precedes and
// p_sep_by_space (1 is a space; 0 and 2 are none).
int currencyPlacement(int csPrecedes, int sepBySpace);
// INEGCURR from n_cs_precedes, n_sep_by_space and n_sign_posn, mapped to the
// nearest of the Windows forms:
//   sign_posn 0 (parentheses):            ($1) 0, (1$) 4, ($ 1) 14, (1 $) 15
//   sign_posn 1 (sign before all):        -$1 1,  -1$ 5,  -$ 1 9,   -1 $ 8
//   sign_posn 2 (sign after all):         $1- 3,  1$- 7,  $ 1- 11,  1 $- 10
//   sign_posn 3 (sign before the symbol): -$1 1,  1-$ 6,  -$ 1 9,   1- $ 13
//   sign_posn 4 (sign after the symbol):  $-1 2,  1$- 7,  $ -1 12,  1 $- 10
// (in each row: symbol first without space, symbol last without space,
// symbol first with space, symbol last with space). A sep_by_space of 2 (a
// space between sign and symbol) has no Windows form and counts as 0.
int negativeCurrencyForm(int csPrecedes, int sepBySpace, int signPosn);

// The three queries as an interface, so that the locale objects of the value
// library can be given other answers (tests give them made-up locales).
class LocaleInfoSource {
 public:
  virtual ~LocaleInfoSource();
  virtual bool isValidLocale(uint32_t lcid) const = 0;
  virtual uint32_t systemDefaultLcid() const = 0;
  virtual int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) const = 0;
};

// The source that answers with the functions above.
const LocaleInfoSource& posixLocaleInfo();

}  // namespace platform
}  // namespace dv

#endif  // DV_PLATFORM_LOCALEINFO_H_
