// Number, Decimal and Money texts under the fuzzer (see fuzz/NumberTextFuzz.h).
#include "fuzz/NumberTextFuzz.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/Decimal.h"
#include "datum/Locale.h"
#include "datum/LocaleTable.h"
#include "datum/Money.h"
#include "datum/Number.h"
#include "fuzz/Targets.h"
#include "platform/LocaleInfo.h"
#include "status/Status.h"

namespace dv {
namespace fuzz {
namespace {

// Longer texts read like their first part: a bound keeps runs fast.
constexpr std::size_t kMaxTextInput = 512;

// The number punctuation the input can choose, each in a locale of its own.
struct Punctuation {
  uint32_t lcid;
  const char* name;
  const char* thousands;
  const char* decimal;
};
constexpr Punctuation kPunctuations[] = {
    {0x7101, "fz-AA", ",", "."},
    {0x7102, "fz-BB", ".", ","},
    {0x7103, "fz-CC", "'", ","},
    {0x7104, "fz-DD", "\xC2\xA0", "\xD9\xAB"},  // a no-break space and the Arabic decimal point
};
constexpr int kPunctuationCount = sizeof kPunctuations / sizeof kPunctuations[0];

// The locale answers of the punctuation locales: the chosen separators and
// fixed values of every other setting.
class PunctuationInfo : public platform::LocaleInfoSource {
 public:
  bool isValidLocale(uint32_t lcid) const override { return find(lcid) != nullptr; }
  uint32_t systemDefaultLcid() const override { return kPunctuations[0].lcid; }
  int getLocaleInfo(uint32_t lcid, uint32_t item, char* buf, int size) const override {
    const Punctuation* p = find(lcid);
    if (p == nullptr) return 0;
    const char* value = nullptr;
    switch (item & ~platform::kLocaleNoUserOverride) {
      case platform::kLocaleSName:
        value = p->name;
        break;
      case platform::kLocaleSThousand:
        value = p->thousands;
        break;
      case platform::kLocaleSDecimal:
        value = p->decimal;
        break;
      case platform::kLocaleITime:
        value = "1";
        break;
      case platform::kLocaleSTime:
        value = ":";
        break;
      case platform::kLocaleS1159:
        value = "AM";
        break;
      case platform::kLocaleS2359:
        value = "PM";
        break;
      case platform::kLocaleITLZero:
        value = "1";
        break;
      case platform::kLocaleSShortDate:
        value = "dd/MM/yyyy";
        break;
      case platform::kLocaleSCurrency:
        value = "$";
        break;
      case platform::kLocaleICurrency:
        value = "0";
        break;
      case platform::kLocaleICurrDigits:
        value = "2";
        break;
      case platform::kLocaleINegCurr:
        value = "1";
        break;
      case platform::kLocaleSPositiveSign:
        value = "+";
        break;
      case platform::kLocaleSNegativeSign:
        value = "-";
        break;
      case platform::kLocaleILZero:
        value = "1";
        break;
      default:
        return 0;
    }
    int needed = static_cast<int>(std::strlen(value)) + 1;
    if (size == 0) return needed;
    if (buf == nullptr || size < needed) return 0;
    std::memcpy(buf, value, static_cast<std::size_t>(needed));
    return needed;
  }

 private:
  static const Punctuation* find(uint32_t lcid) {
    for (const Punctuation& p : kPunctuations) {
      if (p.lcid == lcid) return &p;
    }
    return nullptr;
  }
};

// Makes the punctuation locale `which` current. Some locale is current in
// every run, so that no class's punctuation cache carries over from an
// earlier input (a cache stays as it is while no locale is current).
void usePunctuation(int which) {
  static PunctuationInfo info;
  static MapLocaleTable table;
  static Locale* locales[kPunctuationCount] = {};
  if (locales[0] == nullptr) {
    setLocaleInfoSource(&info);
    setLocaleTable(&table);
    for (int i = 0; i < kPunctuationCount; ++i) {
      locales[i] = new Locale(static_cast<int32_t>(kPunctuations[i].lcid));
    }
  }
  setCurrentLocale(locales[which]);
}

bool failed(const Status* st) {
  return st != nullptr && st->severity() >= kError;
}

std::string quoted(const char* text) {
  return std::string("\"") + text + "\"";
}

const char* fmtName(const char* fmt) {
  return fmt != nullptr ? fmt : "(null)";
}

// Number: every requested code, short and long.
constexpr int kNumberCodes[] = {
    Number::kAutomatic,
    Number::kShort,
    Number::kLong,
    Number::kFloat,
    Number::kDouble,
    Number::kUnsignedLong,
    Number::kBitCode,
    Number::kSignedCharCode,
    Number::kUnsignedCharCode,
    Number::kUnsignedShortCode,
};

void checkNumber(const char* text, int code, const char* fmt) {
  Number a(text, code, fmt);
  if (failed(a.status())) return;
  char first[Number::kDoubleTextLength + 64];
  a.asString(first, sizeof first, fmt);
  std::string detail = "code " + std::to_string(code) + ", fmt " + fmtName(fmt) + ", text " +
                       quoted(text) + " written " + quoted(first);
  if (std::strlen(first) >= static_cast<std::size_t>(a.maxTextLength(fmt))) {
    violated("a Number's text does not fit its maxTextLength", detail.c_str());
  }
  Number b(first, code, fmt);
  if (failed(b.status())) {
    violated("a Number's text does not parse back", detail.c_str());
  }
  if (a.type() != kTypeDouble) {
    bool same =
        a.type() == b.type() && (a.type() == kTypeLong ? a.longValue() == b.longValue()
                                                       : a.unsignedValue() == b.unsignedValue());
    if (!same) violated("an integer Number reads back as another value", detail.c_str());
    return;
  }
  // A double: the automatic code reads an integral text back as an integer.
  if (b.type() != kTypeDouble && code != Number::kAutomatic) {
    violated("a double Number reads back as an integer", detail.c_str());
  }
  double va = a.doubleValue();
  double vb = b.asDouble();
  bool close;
  if (std::isnan(va)) {
    close = std::isnan(vb) && std::signbit(va) == std::signbit(vb);
  } else if (std::isinf(va)) {
    close = va == vb;
  } else {
    // 15 significant digits, and the spacing of the denormals.
    close = std::fabs(vb - va) <= std::fabs(va) * 1e-14 + DBL_TRUE_MIN;
  }
  if (!close) violated("a double Number reads back too far from its value", detail.c_str());
  // Any text of at most 15 digits reads back to a double that writes it again,
  // where the doubles have their full precision.
  if (b.type() == kTypeDouble && !(std::fabs(vb) < DBL_MIN && vb != 0)) {
    char second[sizeof first];
    b.asString(second, sizeof second, fmt);
    if (std::strcmp(first, second) != 0) {
      detail += ", then " + quoted(second);
      violated("a double Number's text is not written again", detail.c_str());
    }
  }
}

// Decimal and Money: the parameter sets every text is read under.
Decimal::Parameters parameters(int16_t precision, int16_t scale, int32_t fixStyle, int16_t maxexp,
                               int16_t flags) {
  Decimal::Parameters p;
  p.precision = precision;
  p.scale = scale;
  p.fixStyle = fixStyle;
  p.maxexp = maxexp;
  p.miscFlags = flags;
  return p;
}

const Decimal::Parameters kDecimalSets[] = {
    parameters(38, 0, Decimal::kFloating, 128, 0),
    parameters(38, 0, Decimal::kFloating, 128, Decimal::kAllowInfinity),
    parameters(10, 2, Decimal::kFixedLimited, 128, 0),
    parameters(5, 3, Decimal::kFixed, 20, Decimal::kAllowInfinity),
    parameters(1, 0, Decimal::kFloating, 4, Decimal::kAllowInfinity),
    parameters(38, 38, Decimal::kFixedLimited, 128, 0),
    parameters(20, -2, Decimal::kFixed, 128, 0),
    parameters(16, 40, Decimal::kFixed, 100, 0),
};

const Decimal::Parameters kMoneySets[] = {
    parameters(16, 2, Decimal::kFloating, 128, 0),
    parameters(12, 2, Decimal::kFixedLimited, 128, 0),
    parameters(38, 4, Decimal::kFixed, 128, Decimal::kAllowInfinity),
};

std::string describe(const Decimal::Parameters& p, const char* fmt, const char* text) {
  return "precision " + std::to_string(p.precision) + ", scale " + std::to_string(p.scale) +
         ", style " + std::to_string(p.fixStyle) + ", maxexp " + std::to_string(p.maxexp) +
         ", flags " + std::to_string(p.miscFlags) + ", fmt " + fmtName(fmt) + ", text " +
         quoted(text);
}

std::string hexOf(const Decimal& d) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (int i = 0; i < d.length(); ++i) {
    s += kHex[d.bytes()[i] >> 4];
    s += kHex[d.bytes()[i] & 0xF];
  }
  return s;
}

bool sameEncoding(const Decimal& a, const Decimal& b) {
  return a.length() == b.length() &&
         std::memcmp(a.bytes(), b.bytes(), static_cast<std::size_t>(a.length())) == 0;
}

// The value's text in the given style into exactly room bytes (so that a
// sanitizer sees a write past them), which must hold the whole text.
std::string written(const Decimal& d, int room, const char* fmt, int32_t style, int scale,
                    int flags, const std::string& detail) {
  std::unique_ptr<char[]> exact(new char[static_cast<std::size_t>(room)]);
  d.format(exact.get(), room, fmt, style, scale, flags);
  std::string whole(static_cast<std::size_t>(room) + 1024, '\0');
  d.format(&whole[0], static_cast<int>(whole.size()), fmt, style, scale, flags);
  whole.resize(std::strlen(whole.c_str()));
  if (whole != exact.get()) {
    violated("a Decimal's text does not fit the room its maxTextLength promises",
             (detail + ", style " + std::to_string(style) + " written " + quoted(whole.c_str()))
                 .c_str());
  }
  return whole;
}

void checkDecimal(const char* text, const char* fmt, const Decimal::Parameters& p) {
  Decimal a;
  if (failed(a.setText(text, fmt, p))) return;
  std::string detail = describe(p, fmt, text) + " gave " + hexOf(a);
  struct Form {
    int32_t style;
    int scale;
    int flags;
  };
  const Form forms[] = {
      {p.fixStyle, p.scale, 0},
      {p.fixStyle, p.scale, Decimal::kTrimZeros | Decimal::kTrimPoint},
      {Decimal::kFloating, 0, 0},
  };
  for (const Form& f : forms) {
    // The room a column of the style gives the text: its scale's zeros too.
    int room = a.maxTextLength(fmt) + (f.scale > 0 ? f.scale : 0);
    std::string t = written(a, room, fmt, f.style, f.scale, f.flags, detail);
    Decimal b;
    const Status* st = b.setText(t.c_str(), fmt, p);
    if (st != successStatus() || !sameEncoding(a, b)) {
      std::string more = detail + ", written in style " + std::to_string(f.style) + " flags " +
                         std::to_string(f.flags) + " as " + quoted(t.c_str()) + ", read back as " +
                         hexOf(b) + " (" + (st != nullptr ? st->messageText() : "") + ")";
      violated("a Decimal's text does not read back to the same encoding", more.c_str());
    }
  }
}

void checkMoney(const char* text, const char* fmt, const Decimal::Parameters& p) {
  Money a;
  if (failed(a.setText(text, fmt, p))) return;
  std::string detail = describe(p, fmt, text) + " gave " + quoted(a.unit()) + " " + hexOf(a);
  int room = a.maxTextLength(fmt);
  std::unique_ptr<char[]> exact(new char[static_cast<std::size_t>(room)]);
  a.asString(exact.get(), room, fmt);
  std::string whole(static_cast<std::size_t>(room) + 1024, '\0');
  a.asString(&whole[0], static_cast<int>(whole.size()), fmt);
  whole.resize(std::strlen(whole.c_str()));
  detail += ", written " + quoted(whole.c_str());
  if (whole != exact.get()) {
    violated("a Money's text does not fit its maxTextLength", detail.c_str());
  }
  Money b;
  const Status* st = b.setText(whole.c_str(), fmt, p);
  if (st != successStatus() || !sameEncoding(a, b) || std::strcmp(a.unit(), b.unit()) != 0) {
    detail += ", read back as " + quoted(b.unit()) + " " + hexOf(b);
    violated("a Money's text does not read back to the same unit and amount", detail.c_str());
  }
  // Without the unit: the amount alone, in the plain form.
  char amount[Decimal::kMaxExp + 128];
  a.asString(amount, sizeof amount, Money::kAbsolute);
  Decimal c;
  st = c.setText(amount, "plain", p);
  if (st != successStatus() || !sameEncoding(a, c)) {
    detail += ", amount " + quoted(amount) + " read back as " + hexOf(c);
    violated("a Money's amount without the unit does not read back", detail.c_str());
  }
}

}  // namespace

int runNumberText(const uint8_t* data, std::size_t size) {
  const char* chars = reinterpret_cast<const char*>(data);
  std::size_t length = std::find(chars, chars + size, '\0') - chars;
  std::string text(chars, std::min(length, kMaxTextInput));
  const uint8_t* extra = length < size ? data + length + 1 : data + size;
  std::size_t extraSize = static_cast<std::size_t>(data + size - extra);

  usePunctuation(extraSize > 0 ? extra[0] % kPunctuationCount : 0);
  bool chosenSet = extraSize >= 6;
  Decimal::Parameters chosen;
  if (chosenSet) {
    chosen.precision = static_cast<int16_t>(1 + extra[1] % 40);  // 39 and 40 are refused
    chosen.scale = static_cast<int8_t>(extra[2]);
    chosen.fixStyle = extra[3] % 3;
    chosen.maxexp = extra[4];
    chosen.miscFlags = extra[5] & Decimal::kAllowInfinity;
  }

  for (const char* fmt : {static_cast<const char*>(nullptr), "local", "plain"}) {
    for (int code : kNumberCodes) checkNumber(text.c_str(), code, fmt);
    for (const Decimal::Parameters& p : kDecimalSets) checkDecimal(text.c_str(), fmt, p);
    for (const Decimal::Parameters& p : kMoneySets) checkMoney(text.c_str(), fmt, p);
    if (chosenSet) {
      checkDecimal(text.c_str(), fmt, chosen);
      checkMoney(text.c_str(), fmt, chosen);
    }
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
