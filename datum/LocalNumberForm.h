// The local number form: conversion between plain numbers ("." as decimal
// point, no grouping) and the current locale's decimal point and thousands
// separator. Each class that formats numbers keeps its own punctuation cache,
// refreshed before each use from the current locale; an empty cache (the
// state at start-up, and after a failed load) means the plain form.
#ifndef DV_DATUM_LOCALNUMBERFORM_H_
#define DV_DATUM_LOCALNUMBERFORM_H_

#include <cstddef>
#include <cstdint>

namespace dv {

class Locale;

// One class's copy of the numeric punctuation.
struct NumberPunctuation {
  const Locale* locale = nullptr;  // the locale it was taken from; null: empty cache
  uint64_t serial = 0;             // that locale's serial: an address can be reused
  char thousandSeparator[6] = {};
  int16_t thousandSeparatorLength = 0;
  char decimalSeparator[6] = {};
  int16_t decimalSeparatorLength = 0;
  int16_t grouping = 0;     // kept with the record, not used by number handling
  int16_t leadingZero = 0;  // likewise
};

// Reloads the cache when a locale is current and differs from the cached one;
// a failed load empties it. Without a current locale the cache stays.
void refreshPunctuation(NumberPunctuation* cache);

// Converts text in local form to plain form into out (outSize bytes, NUL
// terminated), after refreshing the cache. Leading white space is skipped;
// text that begins with "+NAN", "-NAN", "+INF" or "-INF" (any case) gives
// that literal, in capitals. Answers false, with out empty, when the text is
// not a number in that form or does not fit.
bool localToPlain(NumberPunctuation* cache, const char* text, char* out, std::size_t outSize);

// Converts a plain number to local form into out, after refreshing the cache:
// the "." becomes the locale's decimal point; no grouping is inserted. With
// an empty cache the text is copied unchanged.
void plainToLocal(NumberPunctuation* cache, const char* text, char* out, std::size_t outSize);

}  // namespace dv

#endif  // DV_DATUM_LOCALNUMBERFORM_H_
