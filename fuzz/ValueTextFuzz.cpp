// The value classes' text readers under the fuzzer (see fuzz/ValueTextFuzz.h).
#include "fuzz/ValueTextFuzz.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "datum/Binary.h"
#include "datum/Locale.h"
#include "datum/Text.h"
#include "fuzz/Targets.h"
#include "status/Status.h"

namespace dv {
namespace fuzz {
namespace {

// Longer texts read like their first part: a bound keeps runs fast.
constexpr std::size_t kMaxTextInput = 512;

std::string textOf(const uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), std::min(size, kMaxTextInput));
  return text.substr(0, text.find('\0'));
}

bool failed(const Status* st) {
  return st != nullptr && st->severity() >= kError;
}

// One integer conversion: a value that converts without error must convert
// back from the text the library writes for it.
template <class T, class Convert>
void checkInteger(const Text& text, const char* fmt, Convert convert) {
  const Status* st = nullptr;
  T value = convert(text, &st, fmt);
  if (failed(st)) return;
  Text written = std::is_signed_v<T> ? Text(static_cast<int32_t>(value), fmt)
                                     : Text(static_cast<uint32_t>(value), fmt);
  const Status* again = nullptr;
  T back = convert(written, &again, fmt);
  if (failed(again) || back != value) {
    std::string detail = "text \"" + std::string(text.chars()) + "\" gave " +
                         std::to_string(value) + ", written \"" + written.chars() + "\" gave " +
                         std::to_string(back);
    violated("an integer does not read back from its own text", detail.c_str());
  }
}

template <class T, class Convert>
void checkReal(const Text& text, const char* fmt, Convert convert) {
  const Status* st = nullptr;
  T value = convert(text, &st, fmt);
  if (failed(st) || std::isnan(value)) return;
  Text written(value, fmt);
  const Status* again = nullptr;
  T back = convert(written, &again, fmt);
  // The text keeps 7 (float) or 15 (double) significant digits.
  T tolerance = std::is_same_v<T, float> ? T(1e-6) : T(1e-14);
  bool close = back == value || std::fabs(back - value) <= std::fabs(value) * tolerance;
  if (failed(again) || !close) {
    std::string detail = "text \"" + std::string(text.chars()) + "\" gave " +
                         std::to_string(value) + ", written \"" + written.chars() + "\"";
    violated("a number does not read back from its own text", detail.c_str());
  }
}

}  // namespace

int runTextNumber(const uint8_t* data, std::size_t size) {
  Text text(textOf(data, size).c_str());
  for (const char* fmt : {static_cast<const char*>(nullptr), "plain"}) {
    checkInteger<int32_t>(
        text, fmt, [](const Text& t, const Status** st, const char* f) { return t.asLong(st, f); });
    checkInteger<uint32_t>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asUnsignedLong(st, f);
    });
    checkInteger<int16_t>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asShort(st, f);
    });
    checkInteger<uint16_t>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asUnsignedShort(st, f);
    });
    checkInteger<signed char>(
        text, fmt, [](const Text& t, const Status** st, const char* f) { return t.asChar(st, f); });
    checkInteger<unsigned char>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asUnsignedChar(st, f);
    });
    checkReal<double>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asDouble(st, f);
    });
    checkReal<float>(text, fmt, [](const Text& t, const Status** st, const char* f) {
      return t.asFloat(st, f);
    });
  }
  return 0;
}

int runBinaryHex(const uint8_t* data, std::size_t size) {
  // The first byte picks the buffer size the text is written into; the rest
  // are the value's bytes.
  if (size == 0) return 0;
  std::size_t limit = data[0];
  std::string bytes(reinterpret_cast<const char*>(data + 1), std::min(size - 1, kMaxTextInput));
  Binary value(bytes.data(), static_cast<uint32_t>(bytes.size()), true);
  for (unsigned options : {0u, Binary::kOptionLowDigitFirst, Binary::kOptionKeepHalfByte}) {
    FormatArg arg(static_cast<int>(options));
    // Exactly the room asked for, so that a sanitizer sees any write past it.
    int n = value.maxTextLength(nullptr, arg);
    std::unique_ptr<char[]> whole(new char[static_cast<std::size_t>(n > 0 ? n : 1)]);
    value.asString(whole.get(), n > 0 ? n : 1, nullptr, arg);
    std::unique_ptr<char[]> cut(new char[limit + 1]);
    value.asString(cut.get(), static_cast<int>(limit + 1), nullptr, arg);
    std::size_t kept = std::strlen(cut.get());
    if (kept > limit || std::strncmp(whole.get(), cut.get(), kept) != 0) {
      violated("text cut to a buffer is not the start of the whole text", whole.get());
    }
    if (options != 0) continue;
    // Two upper-case digits per byte, high digit first.
    std::string text = whole.get();
    bool same = text.size() == bytes.size() * 2;
    for (std::size_t i = 0; same && i < bytes.size(); ++i) {
      auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
      unsigned b = static_cast<unsigned>(digit(text[2 * i]) * 16 + digit(text[2 * i + 1]));
      same = b == static_cast<unsigned char>(bytes[i]) &&
             std::strchr("0123456789ABCDEF", text[2 * i]) != nullptr &&
             std::strchr("0123456789ABCDEF", text[2 * i + 1]) != nullptr;
    }
    if (!same) violated("the hexadecimal text is not the bytes", text.c_str());
  }
  return 0;
}

int runShortDate(const uint8_t* data, std::size_t size) {
  std::string picture = textOf(data, size);
  DateSettings first;
  int code = analyzeShortDateFormat(picture.c_str(), &first);
  if (code != 0 && code != kLocaleBadShortDate) {
    violated("the analysis answered neither 0 nor the bad-format code", picture.c_str());
  }
  if (code == 0) {
    bool consistent =
        first.dateOrder >= kDateOrderDayMonthYear && first.dateOrder <= kDateOrderYearMonthDay &&
        first.dateSeparatorLength >= 0 && first.dateSeparatorLength <= kDateSeparatorMax &&
        std::strlen(first.dateSeparator) == static_cast<std::size_t>(first.dateSeparatorLength) &&
        first.shortDateFormatLength <= kShortDateFormatMax;
    if (!consistent) violated("the analysis left inconsistent settings", picture.c_str());
  }
  DateSettings second;
  if (analyzeShortDateFormat(picture.c_str(), &second) != code ||
      std::memcmp(&first, &second, sizeof first) != 0) {
    violated("analysing the same picture twice gave different settings", picture.c_str());
  }
  return 0;
}

}  // namespace fuzz
}  // namespace dv
