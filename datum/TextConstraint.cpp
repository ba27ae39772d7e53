// The text column type: values cut to a maximum length, similarity by length.
#include "datum/TextConstraint.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "datum/Text.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

void registerTextConstraintPrototype(const Class&) {
  static TextConstraint prototype;
  registerPrototype(&prototype, kStreamTextConstraint);
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(TextConstraint, DatumConstraint)

const Class& TextConstraint::desc() {
  static const Class* const bases[] = {&DatumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("TextConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(TextConstraint), &readObjectText<TextConstraint>,
                            &readObjectBinary<TextConstraint>, &registerTextConstraintPrototype,
                            nullptr, nullptr);
  return d;
}

// Stored as the DatumConstraint part, then the maximum length.
TextConstraint::TextConstraint(OIOin& stream) : DatumConstraint(stream) {
  stream >> maxLength_;
}

void TextConstraint::storer(OIOout& stream) const {
  DatumConstraint::storer(stream);
  stream << maxLength_;
}

Text& TextConstraint::appendTo(Text& target, const char* text) const {
  if (text == nullptr) return target;
  std::size_t n = std::strlen(text);
  if (maxLength_ != 0) {
    uint32_t held = static_cast<uint32_t>(target.length());
    std::size_t room = held < maxLength_ ? maxLength_ - held : 0;
    if (n > room) {
      if (room > static_cast<std::size_t>(Text::kMaxCapacity)) room = Text::kMaxCapacity;
      target.append(text, static_cast<int32_t>(room));
      // An error of the append itself (out of memory) says more.
      if (target.severity() < kError) target.setStatus(textTruncatedStatus());
      return target;
    }
  }
  return target.append(text);
}

int16_t TextConstraint::similarity(const DatumConstraint& other) const {
  if (!other.isKindOf(TextConstraint::desc())) return 0;
  // In 64 bits: two lengths near the 32-bit limit must not wrap.
  int64_t a = maxLength_;
  int64_t b = static_cast<const TextConstraint&>(other).maxLength_;
  int64_t t = a + b;
  if (t == 0) t = 1;
  int64_t d = a > b ? a - b : b - a;
  int16_t r = static_cast<int16_t>(((t - 2 * d) * 100) / t);
  return r == 0 ? 1 : r;
}

Datum* TextConstraint::newDatum(const char* text, const char*) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  std::size_t n = std::strlen(text);
  if (maxLength_ == 0 || n <= maxLength_) return new (std::nothrow) Text(text);
  Text* value = new (std::nothrow) Text(text, static_cast<int32_t>(maxLength_), true);
  if (value != nullptr && value->severity() < kError) value->setStatus(textTruncatedStatus());
  return value;
}

uint32_t TextConstraint::maxLength() const {
  return maxLength_;
}

Datum* TextConstraint::newEmpty() const {
  return new (std::nothrow) TextConstraint();
}

int TextConstraint::typeCode() const {
  return kTypeText;
}

Object* TextConstraint::shallowCopy() const {
  return new TextConstraint(*this);
}

bool TextConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  return maxLength_ == static_cast<const TextConstraint&>(other).maxLength_;
}

uint32_t TextConstraint::hash() const {
  return maxLength_;
}

void TextConstraint::printOn(std::ostream& out) const {
  out << "Text Constraints: "
      << "maxLength=" << maxLength_;
}

int TextConstraint::streamTypeNumber() const {
  return kStreamTextConstraint;
}

Object* TextConstraint::newForStream() const {
  return new (std::nothrow) TextConstraint();
}

}  // namespace dv
