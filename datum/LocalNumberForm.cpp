// The local number form: converts numbers between plain form and the current
// locale's punctuation, using a per-class punctuation cache.
#include "datum/LocalNumberForm.h"

#include <cctype>
#include <cstring>

#include "datum/Locale.h"
#include "object/CompareNoCase.h"

namespace dv {

namespace {

void emptyCache(NumberPunctuation* cache) {
  *cache = NumberPunctuation();
}

bool startsWith(const char* text, const char* piece, std::size_t length) {
  return length > 0 && std::strncmp(text, piece, length) == 0;
}

// Appends one character; false when out has no room left for it and the NUL.
bool put(char* out, std::size_t outSize, std::size_t* used, char c) {
  if (*used + 1 >= outSize) return false;
  out[(*used)++] = c;
  return true;
}

}  // namespace

void refreshPunctuation(NumberPunctuation* cache) {
  Locale* current = currentLocale();
  if (current == nullptr) return;
  if (current == cache->locale && current->serial() == cache->serial) return;
  NumberSettings settings;
  if (current->numberSettings(&settings) != 0) {
    emptyCache(cache);
    return;
  }
  cache->locale = current;
  cache->serial = current->serial();
  // The record's fields may be shorter than the cache's: copy by length,
  // never beyond either, and keep the cache's copies NUL-terminated.
  auto copySeparator = [](char* to, std::size_t toSize, const char* from, std::size_t fromSize,
                          int length) -> int16_t {
    std::size_t n = length < 0 ? 0 : static_cast<std::size_t>(length);
    if (n > fromSize) n = fromSize;
    if (n > toSize - 1) n = toSize - 1;
    std::memset(to, 0, toSize);
    std::memcpy(to, from, n);
    return static_cast<int16_t>(n);
  };
  cache->thousandSeparatorLength = copySeparator(
      cache->thousandSeparator, sizeof cache->thousandSeparator, settings.thousandSeparator,
      sizeof settings.thousandSeparator, settings.thousandSeparatorLength);
  cache->decimalSeparatorLength = copySeparator(
      cache->decimalSeparator, sizeof cache->decimalSeparator, settings.decimalSeparator,
      sizeof settings.decimalSeparator, settings.decimalSeparatorLength);
  cache->grouping = static_cast<int16_t>(settings.grouping);
  cache->leadingZero = static_cast<int16_t>(settings.leadingZero);
}

bool localToPlain(NumberPunctuation* cache, const char* text, char* out, std::size_t outSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  refreshPunctuation(cache);
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;

  static const char* const kSpecials[] = {"+NAN", "-NAN", "+INF", "-INF"};
  for (const char* special : kSpecials) {
    if (std::strlen(p) >= 4 && compareNoCase(p, special, 4) == 0) {
      if (outSize <= 4) return false;
      std::memcpy(out, special, 4);
      out[4] = '\0';
      return true;
    }
  }

  // A locale without a decimal point keeps ".", so that no number loses it.
  const bool plainPoint = cache->locale == nullptr || cache->decimalSeparatorLength == 0;
  const bool plain = cache->locale == nullptr;
  const std::size_t decimalLength =
      plainPoint ? 1 : static_cast<std::size_t>(cache->decimalSeparatorLength);
  const char* decimal = plainPoint ? "." : cache->decimalSeparator;
  const std::size_t thousandLength =
      plain ? 0 : static_cast<std::size_t>(cache->thousandSeparatorLength);
  std::size_t used = 0;
  bool seenDecimal = false;
  while (*p != '\0') {
    unsigned char c = static_cast<unsigned char>(*p);
    bool ok = true;
    // Separators are tried before white space: a locale may group with a blank.
    if (std::isdigit(c)) {
      ok = put(out, outSize, &used, static_cast<char>(c));
      ++p;
    } else if (startsWith(p, decimal, decimalLength)) {
      ok = !seenDecimal && put(out, outSize, &used, '.');
      seenDecimal = true;
      p += decimalLength;
    } else if (startsWith(p, cache->thousandSeparator, thousandLength)) {
      ok = !seenDecimal;
      p += thousandLength;
    } else if (c == '-' || c == '+' || c == 'e' || c == 'E' || std::isspace(c)) {
      ok = put(out, outSize, &used, static_cast<char>(c));
      ++p;
    } else {
      ok = false;
    }
    if (!ok) {
      out[0] = '\0';
      return false;
    }
  }
  out[used] = '\0';
  return true;
}

void plainToLocal(NumberPunctuation* cache, const char* text, char* out, std::size_t outSize) {
  if (outSize == 0) return;
  refreshPunctuation(cache);
  std::size_t used = 0;
  bool replaced = cache->locale == nullptr || cache->decimalSeparatorLength == 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '.' && !replaced) {
      replaced = true;
      const std::size_t length = static_cast<std::size_t>(cache->decimalSeparatorLength);
      if (used + length >= outSize) break;
      std::memcpy(out + used, cache->decimalSeparator, length);
      used += length;
      continue;
    }
    if (used + 1 >= outSize) break;
    out[used++] = *p;
  }
  out[used] = '\0';
}

}  // namespace dv
