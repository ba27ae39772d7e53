// The constraint bases: text form, value conversion (check) and the
// similarity of numeric constraints.
#include "datum/DatumConstraint.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <string>

#include "datum/Text.h"
#include "object/OIO.h"

namespace dv {
namespace {

Object* readDatumConstraint(OIOin&) {
  Object::readAbstractClass("DatumConstraint");
  return nullptr;
}
Object* readDatumConstraintBinary(OIOinbin&) {
  Object::readAbstractClass("DatumConstraint");
  return nullptr;
}
Object* readAbsNumConstraint(OIOin&) {
  Object::readAbstractClass("AbsNumConstraint");
  return nullptr;
}
Object* readAbsNumConstraintBinary(OIOinbin&) {
  Object::readAbstractClass("AbsNumConstraint");
  return nullptr;
}

// Hands *slot a new empty (NULL) Text; false when it cannot be made.
bool giveEmptyText(Text** slot) {
  if (slot == nullptr) return true;
  *slot = new (std::nothrow) Text();
  return *slot != nullptr;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(DatumConstraint, Datum)
DV_DEFINE_CLASS_MEMBERS(AbsNumConstraint, DatumConstraint)

const Class& DatumConstraint::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("DatumConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(DatumConstraint), &readDatumConstraint,
                            &readDatumConstraintBinary, nullptr, nullptr, nullptr);
  return d;
}

const Class& AbsNumConstraint::desc() {
  static const Class* const bases[] = {&DatumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("AbsNumConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(AbsNumConstraint), &readAbsNumConstraint,
                            &readAbsNumConstraintBinary, nullptr, nullptr, nullptr);
  return d;
}

char* DatumConstraint::format(const Datum& v, char* buf, int size, const char* fmt) const {
  if (v.isExternal() && size >= 1) {
    buf[0] = '\0';
    return buf;
  }
  return v.asString(buf, size, fmt, nullptr);
}

int DatumConstraint::maxTextLength(const Datum& v, const char* fmt) const {
  return v.maxTextLength(fmt, nullptr);
}

const Status* DatumConstraint::check(const Datum& v, Text** inText, Datum** converted,
                                     Text** outText, const char* fmt) const {
  if (inText != nullptr) *inText = nullptr;
  if (converted != nullptr) *converted = nullptr;
  if (outText != nullptr) *outText = nullptr;
  auto dropTexts = [&] {
    if (inText != nullptr && *inText != nullptr) {
      (*inText)->release();
      *inText = nullptr;
    }
    if (outText != nullptr && *outText != nullptr) {
      (*outText)->release();
      *outText = nullptr;
    }
  };
  // An external value is not converted: it is handed back as it is.
  if (v.isExternal()) {
    if (!giveEmptyText(inText) || !giveEmptyText(outText)) {
      dropTexts();
      return outOfMemoryStatus();
    }
    if (converted != nullptr) {
      v.addRef();
      *converted = const_cast<Datum*>(&v);
    }
    return successStatus();
  }
  // The value's text, handed out as inText when asked for.
  char* s = v.newString(fmt, &dv::allocate);
  if (s == nullptr) return outOfMemoryStatus();
  if (inText != nullptr) {
    *inText = new (std::nothrow) Text(s);
    if (*inText == nullptr || (*inText)->status() == outOfMemoryStatus()) {
      deallocate(s);
      dropTexts();
      return outOfMemoryStatus();
    }
  }
  // The converted value, made from that text, and its status.
  Datum* d = newDatum(s, fmt);
  deallocate(s);
  if (d == nullptr) {
    dropTexts();
    return outOfMemoryStatus();
  }
  const Status* result = d->status();
  result->addRef();
  // The converted value's text form, for outText, unless the conversion
  // failed.
  if (outText != nullptr && result->severity() < kError) {
    int n = d->maxTextLength(fmt, nullptr);
    if (n < 1) n = 1;
    char* buf = static_cast<char*>(allocate(static_cast<std::size_t>(n)));
    Text* text = nullptr;
    if (buf != nullptr) {
      buf[0] = '\0';
      format(*d, buf, n, fmt);
      text = new (std::nothrow) Text(buf);
      deallocate(buf);
    }
    if (text == nullptr || text->status() == outOfMemoryStatus()) {
      if (text != nullptr) text->release();
      d->release();
      result->release();
      dropTexts();
      return outOfMemoryStatus();
    }
    *outText = text;
  }
  // The converted value to the caller, or dropped when not asked for.
  if (converted != nullptr) {
    *converted = d;
  } else {
    d->release();
  }
  return result;
}

uint32_t DatumConstraint::maxLength() const {
  return 0;
}
int16_t DatumConstraint::precision() const {
  return 0;
}
int16_t DatumConstraint::scale() const {
  return 0;
}
void DatumConstraint::precisionAndScale(int16_t*, int16_t*) const {}

int DatumConstraint::maxTextLength(const char*, FormatArg) const {
  return kTextLength;
}

char* DatumConstraint::asString(char* buf, int bufSize, const char*, FormatArg) const {
  if (buf == nullptr || bufSize < 1) return buf;
  std::ostringstream out;
  printOn(out);
  std::string text = out.str();
  if (text.size() > static_cast<std::size_t>(kTextLength)) text.resize(kTextLength);
  std::size_t n = text.size() < static_cast<std::size_t>(bufSize - 1)
                      ? text.size()
                      : static_cast<std::size_t>(bufSize - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return buf;
}

bool DatumConstraint::isGreaterThan(const Datum&) const {
  return false;
}
bool DatumConstraint::isLessThan(const Datum&) const {
  return false;
}

int DatumConstraint::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  char mine[kTextLength + 1];
  char theirs[kTextLength + 1];
  asString(mine, sizeof mine);
  static_cast<const DatumConstraint&>(other).asString(theirs, sizeof theirs);
  int c = std::strcmp(mine, theirs);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int16_t AbsNumConstraint::similarity(const DatumConstraint& other) const {
  if (!other.isKindOf(AbsNumConstraint::desc())) return 0;
  int16_t p1 = 0;
  int16_t s1 = 0;
  int16_t p2 = 0;
  int16_t s2 = 0;
  precisionAndScale(&p1, &s1);
  other.precisionAndScale(&p2, &s2);
  int32_t d = 2 * (std::abs(p1 - p2) + std::abs(s1 - s2));
  int32_t t = p1 + s1 + p2 + s2;
  if (t < d) d = t;
  // A zero sum would divide by zero: identical pairs are fully similar, others barely.
  if (t == 0) return d == 0 && p1 == p2 && s1 == s2 ? 100 : 1;
  int16_t r = static_cast<int16_t>(((t - d) * 100) / t);
  return r == 0 ? 1 : r;
}

}  // namespace dv
