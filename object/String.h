// String: a character string object for collections, with concatenation,
// substrings and strcmp ordering. Its storage comes from the library's
// allocation routine; when that fails the string is left empty.
#ifndef DV_OBJECT_STRING_H_
#define DV_OBJECT_STRING_H_

#include <cstdint>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class String : public Object {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(String)

 public:
  String();
  // A copy of the NUL-terminated text (null: empty).
  explicit String(const char* text);
  // A copy of text[0, length).
  String(const char* text, int32_t length);
  // A string over the NUL-terminated text that copies nothing, for look-ups
  // that must not allocate. REQUIRES: text outlives the string, and nothing
  // changes the string.
  struct Borrowed {};
  String(Borrowed, const char* text);
  String(const String& other);
  String& operator=(const String& other);
  ~String() override;

  // NUL-terminated characters.
  const char* c_str() const { return p_; }
  int32_t length() const { return length_; }

  // The concatenation of this string and other.
  String operator&(const String& other) const;
  // Appends other; on allocation failure the string stays as it was.
  String& operator&=(const String& other);
  // The length characters from position pos. Outside the string it reports
  // [SUBSTRERR] and answers an empty string.
  String operator()(int32_t pos, int32_t length) const;

  Object* shallowCopy() const override;
  // strcmp order. Reports [BADARGCLM] when other is no String.
  int compare(const Object& other) const override;
  // The length, exclusive-or every whole 32-bit little-endian word of the
  // characters, exclusive-or the last 1 to 3 characters as a partial word.
  uint32_t hash() const override;
  // A String with the same characters; false for any other class.
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;  // the characters
  uint32_t size() const override;                  // the length
  uint32_t capacity() const override;

 private:
  // Makes room for n characters and a terminator, keeping the content;
  // false when the allocation fails.
  bool reserve(int32_t n);
  void assign(const char* text, int32_t length);

  char* p_;
  int32_t length_ = 0;
  int32_t allocation_ = 0;  // 0: p_ is the shared empty text
};

}  // namespace dv

#endif  // DV_OBJECT_STRING_H_
