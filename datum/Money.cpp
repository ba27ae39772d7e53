// The money value: the unit taken from the front of a text, the amount as a
// Decimal, the text form with and without the unit, and the stored form.
#include "datum/Money.h"

#include <cstring>
#include <new>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/LocalNumberForm.h"
#include "datum/Text.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// The class's copy of the locale's number punctuation, for the amounts it reads.
NumberPunctuation punctuation;

// The extra room of the text form: the unit.
constexpr int kUnitTextLength = 10;

bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The characters that end a unit: those an amount may start with.
bool endsUnit(char c) {
  return (c >= '0' && c <= '9') || isBlank(c) || c == '-' || c == '+' || c == '.' || c == ',';
}

Datum* moneyFromString(const char* text) {
  return new (std::nothrow) Money(text, nullptr);
}

void registerMoneyPrototype(const Class&) {
  static Money prototype;
  registerPrototype(&prototype, kStreamMoney);
}

[[maybe_unused]] const bool kDefaultUnitBuiltAtStartUp = (Money::defaultUnit(), true);

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Money, Decimal)

const Class& Money::desc() {
  static const Class* const bases[] = {&Decimal::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Money", bases, none, none, 1, Class::kIdent, sizeof(Money),
                            &readObjectText<Money>, &readObjectBinary<Money>,
                            &registerMoneyPrototype, nullptr, &moneyFromString);
  return d;
}

Text& Money::defaultUnit() {
  static Text unit("$");
  return unit;
}

Money::Money() {
  setUnit(nullptr);
}

Money::Money(int32_t amount, const char* unit) : Decimal(amount) {
  setUnit(unit);
}

Money::Money(double amount, const char* unit) : Decimal(amount) {
  setUnit(unit);
}

Money::Money(const char* text, const char* fmt, int16_t precision, int16_t scale, int32_t fixStyle,
             int16_t maxexp, int16_t miscFlags) {
  setUnit(nullptr);
  Parameters p;
  p.precision = precision;
  p.scale = scale;
  p.fixStyle = fixStyle;
  p.maxexp = maxexp;
  p.miscFlags = miscFlags;
  setText(text, fmt, p);
}

void Money::setUnit(const char* unit) {
  if (unit == nullptr) unit = defaultUnit().chars();
  std::size_t n = strnlen(unit, kMaxUnitLength);
  std::memcpy(unit_, unit, n);
  unit_[n] = '\0';
}

const Status* Money::setText(const char* text, const char* fmt, const Parameters& p) {
  if (p.precision < 1 || p.precision > kMaxPrecision) return fail(badNumberStatus());
  if (text == nullptr) text = "";
  const char* s = text;
  while (isBlank(*s)) ++s;
  int n = 0;
  for (; n < kMaxUnitLength && s[n] != '\0' && !endsUnit(s[n]); ++n) unit_[n] = s[n];
  unit_[n] = '\0';
  // Nothing after the unit: the whole text is the amount, and fails as one.
  const char* amount = s[n] == '\0' ? s : s + n;
  return setLocal(amount, fmt, p, &punctuation);
}

Datum* Money::newEmpty() const {
  return new (std::nothrow) Money();
}

int Money::kind() const {
  return kKindMoney;
}

int Money::typeCode() const {
  return kTypeMoney;
}

int Money::maxTextLength(const char* fmt, FormatArg arg) const {
  return Decimal::maxTextLength(fmt, arg) + kUnitTextLength;
}

char* Money::asString(char* buf, int bufSize, const char* fmt, FormatArg arg) const {
  report(arg.status, successStatus());
  if (buf == nullptr || bufSize < 1) return buf;
  std::size_t at = 0;
  if (fmt == nullptr || std::strcmp(fmt, kAbsolute) != 0) {
    at = std::strlen(unit_);
    if (at > static_cast<std::size_t>(bufSize - 1)) at = static_cast<std::size_t>(bufSize - 1);
    std::memcpy(buf, unit_, at);
  }
  format(buf + at, bufSize - static_cast<int>(at), fmt, kFloating, 0, 0, arg.status);
  return buf;
}

Object* Money::shallowCopy() const {
  return new Money(*this);
}

int Money::streamTypeNumber() const {
  return kStreamMoney;
}

Object* Money::newForStream() const {
  return new (std::nothrow) Money();
}

// Stored as the Decimal part, then the unit's length and characters.
Money::Money(OIOin& stream) : Decimal(stream) {
  int32_t n = 0;
  stream >> n;
  if (stream.severity() >= kError) return;
  if (n < 0 || n > kMaxUnitLength) {
    stream.failSyntax("a monetary unit of at most 9 characters", std::to_string(n).c_str());
    return;
  }
  stream.read(unit_, static_cast<std::size_t>(n));
  unit_[n] = '\0';
}

void Money::storer(OIOout& stream) const {
  Decimal::storer(stream);
  stream << static_cast<const char*>(unit_);
}

}  // namespace dv
