// The date/time settings copies and the number scanning of the date, time
// and interval readings.
#include "datum/DateTimeText.h"

#include <cstring>
#include <new>
#include <ostream>
#include <string>

#include "datum/NilDatum.h"
#include "object/Nil.h"

namespace dv {

void refreshSettings(DateTimeSettingsCopy* copy) {
  Locale* current = currentLocale();
  if (current == nullptr) {
    if (copy->locale != nullptr) *copy = DateTimeSettingsCopy();
    return;
  }
  if (current == copy->locale && current->serial() == copy->serial) return;
  DateTimeSettings settings;
  copy->locale = current;
  copy->serial = current->serial();
  // A locale that fails to load holds the built-in values, and so does the copy.
  copy->delivered = current->dateTimeSettings(&settings) == kLocaleOk;
  if (!copy->delivered) settings = DateTimeSettings();
  copy->settings = settings;
}

bool scanNumber(const char** p, bool allowSign, ScannedNumber* out) {
  const char* q = *p;
  ScannedNumber n;
  if (allowSign && (*q == '+' || *q == '-')) {
    n.negative = *q == '-';
    ++q;
  }
  if (!isTextDigit(*q)) return false;
  for (; isTextDigit(*q); ++q) {
    ++n.digits;
    if (n.value < kScannedNumberLimit) n.value = n.value * 10 + (*q - '0');
  }
  if (n.value > kScannedNumberLimit) n.value = kScannedNumberLimit;
  if (n.negative) n.value = -n.value;
  *out = n;
  *p = q;
  return true;
}

bool scanFraction(const char** p, int n, int takeLimit, int32_t* microseconds) {
  const char* q = *p;
  if (!isTextDigit(*q)) return false;
  int32_t kept = 0;
  int keptDigits = 0;
  int taken = 0;
  bool roundUp = false;
  for (; isTextDigit(*q); ++q, ++taken) {
    if (takeLimit >= 0 && taken >= takeLimit) continue;
    if (taken < n) {
      kept = kept * 10 + (*q - '0');
      ++keptDigits;
    } else if (taken == n) {
      roundUp = *q >= '5';
    }
  }
  for (int i = keptDigits; i < n; ++i) kept *= 10;
  if (roundUp) ++kept;
  for (int i = n; i < 6; ++i) kept *= 10;
  *microseconds = kept;
  *p = q;
  return true;
}

ConstraintFormat::ConstraintFormat(const ConstraintFormat& other) {
  if (other.format_ != nullptr) set(other.format_->c_str());
}

ConstraintFormat& ConstraintFormat::operator=(const ConstraintFormat& other) {
  if (this != &other) set(other.format_ != nullptr ? other.format_->c_str() : nullptr);
  return *this;
}

ConstraintFormat::~ConstraintFormat() {
  if (format_ != nullptr) format_->release();
}

bool ConstraintFormat::set(const char* text) {
  String* made = nullptr;
  if (text != nullptr) {
    made = new (std::nothrow) String(text);
    // A String whose storage could not be had is left empty.
    if (made != nullptr && static_cast<std::size_t>(made->length()) != std::strlen(text)) {
      made->release();
      made = nullptr;
    }
  }
  if (format_ != nullptr) format_->release();
  format_ = made;
  return text == nullptr || made != nullptr;
}

bool ConstraintFormat::isEqual(const ConstraintFormat& other) const {
  if (format_ == nullptr || other.format_ == nullptr) return format_ == other.format_;
  return format_->isEqual(*other.format_);
}

void ConstraintFormat::printOn(std::ostream& out) const {
  if (format_ == nullptr) {
    out << "NULL";
  } else {
    format_->printOn(out);
  }
}

void ConstraintFormat::storeOn(OIOout& stream) const {
  if (format_ == nullptr) {
    nilDatum()->storeOn(stream);
  } else {
    format_->storeOn(stream);
  }
}

void ConstraintFormat::readFrom(OIOin& stream) {
  Object* read = stream.readObjectHeld();
  if (read == nil()) return;
  if (read->isKindOf(NilDatum::desc())) {
    read->release();
    return;
  }
  if (!read->isKindOf(String::desc())) {
    // Let go of it first: the report may unwind the reader.
    std::string found = read->className();
    read->release();
    stream.failSyntax("a format string", found.c_str());
    return;
  }
  format_ = static_cast<String*>(read);
}

}  // namespace dv
