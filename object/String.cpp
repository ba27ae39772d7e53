// The character string object.
#include "object/String.h"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "object/Allocation.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/OIO.h"

namespace dv {
namespace {

char emptyText[1] = {'\0'};

}  // namespace

DV_DEFINE_CLASS_MEMBERS(String, Object)

const Class& String::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("String", bases, none, none, 1, Class::kIdent, sizeof(String),
                       &readObjectText<String>, &readObjectBinary<String>, nullptr, nullptr);
  return d;
}

String::String() : p_(emptyText) {}

String::String(const char* text) : p_(emptyText) {
  if (text != nullptr) assign(text, static_cast<int32_t>(std::strlen(text)));
}

String::String(const char* text, int32_t length) : p_(emptyText) {
  if (text != nullptr && length > 0) assign(text, length);
}

String::String(Borrowed, const char* text)
    : p_(const_cast<char*>(text)), length_(static_cast<int32_t>(std::strlen(text))) {}

String::String(const String& other) : Object(other), p_(emptyText) {
  assign(other.p_, other.length_);
}

String& String::operator=(const String& other) {
  if (this != &other) assign(other.p_, other.length_);
  return *this;
}

String::~String() {
  if (allocation_ != 0) deallocate(p_);
}

bool String::reserve(int32_t n) {
  if (n < allocation_) return true;
  if (n < 0 || n == INT32_MAX) return false;  // no room for the terminator
  int32_t size = n + 1;
  char* block = static_cast<char*>(allocate(static_cast<std::size_t>(size)));
  if (block == nullptr) return false;
  std::memcpy(block, p_, static_cast<std::size_t>(length_) + 1);
  if (allocation_ != 0) deallocate(p_);
  p_ = block;
  allocation_ = size;
  return true;
}

void String::assign(const char* text, int32_t length) {
  if (length == 0) {
    if (allocation_ != 0) p_[0] = '\0';
    length_ = 0;
    return;
  }
  if (text == p_) return;
  length_ = 0;
  if (allocation_ != 0) p_[0] = '\0';
  if (!reserve(length)) return;  // out of memory: empty
  std::memcpy(p_, text, static_cast<std::size_t>(length));
  p_[length] = '\0';
  length_ = length;
}

String String::operator&(const String& other) const {
  String joined(*this);
  joined &= other;
  return joined;
}

String& String::operator&=(const String& other) {
  int32_t add = other.length_;
  if (add == 0) return *this;
  // Copied first: other may be this string itself.
  String tail(other);
  if (!reserve(length_ + add)) return *this;
  std::memcpy(p_ + length_, tail.p_, static_cast<std::size_t>(add));
  length_ += add;
  p_[length_] = '\0';
  return *this;
}

String String::operator()(int32_t pos, int32_t length) const {
  if (pos < 0 || length < 0 || pos > length_ || length > length_ - pos) {
    setError(nihcl::SUBSTRERR, kDefaultSeverity, this, className(), pos, length);
    return String();
  }
  return String(p_ + pos, length);
}

Object* String::shallowCopy() const {
  return new String(*this);
}

int String::compare(const Object& other) const {
  if (!assertArgClass(other, String::desc(), "compare")) return 0;
  return std::strcmp(p_, static_cast<const String&>(other).p_);
}

uint32_t String::hash() const {
  uint32_t h = static_cast<uint32_t>(length_);
  const unsigned char* s = reinterpret_cast<const unsigned char*>(p_);
  int32_t i = 0;
  for (; i + 4 <= length_; i += 4) {
    h ^= static_cast<uint32_t>(s[i]) | static_cast<uint32_t>(s[i + 1]) << 8 |
         static_cast<uint32_t>(s[i + 2]) << 16 | static_cast<uint32_t>(s[i + 3]) << 24;
  }
  uint32_t partial = 0;
  for (int32_t shift = 0; i < length_; ++i, shift += 8) {
    partial |= static_cast<uint32_t>(s[i]) << shift;
  }
  return h ^ partial;
}

bool String::isEqual(const Object& other) const {
  if (!other.isKindOf(String::desc())) return false;
  const String& o = static_cast<const String&>(other);
  return length_ == o.length_ && std::memcmp(p_, o.p_, static_cast<std::size_t>(length_)) == 0;
}

void String::printOn(std::ostream& out) const {
  out.write(p_, static_cast<std::streamsize>(length_));
}

uint32_t String::size() const {
  return static_cast<uint32_t>(length_);
}

uint32_t String::capacity() const {
  return static_cast<uint32_t>(allocation_ > 0 ? allocation_ - 1 : 0);
}

// Stored as the length, then the characters.
String::String(OIOin& stream) : Object(stream), p_(emptyText) {
  int32_t n = 0;
  stream >> n;
  if (n == 0) return;
  char* text = stream.readNewChars(n, "a string length");
  if (text == nullptr) return;
  p_ = text;
  allocation_ = n + 1;
  length_ = n;
}

void String::storer(OIOout& stream) const {
  stream << length_;
  if (length_ > 0) stream.write(p_, static_cast<std::size_t>(length_));
}

}  // namespace dv
