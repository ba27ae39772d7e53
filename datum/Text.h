// Text: the character-string value of the value library. A NUL-terminated
// byte string of at most 63,949 characters, kept in an 8-byte inline buffer
// while it fits there and in a heap block of exactly `capacity` bytes (from
// dv::allocate) beyond that. Every value can be turned into a Text, and the
// numeric classes parse theirs from one, so the conversions to numbers live
// here too. Like every Datum it never throws for bad data: problems go into
// its status or the caller's status out-parameter.
//
// Single-threaded: the class's 512-byte scratch buffer for number formatting
// and its number punctuation cache are shared by all instances.
#ifndef DV_DATUM_TEXT_H_
#define DV_DATUM_TEXT_H_

#include <cstdint>
#include <iosfwd>

#include "datum/Datum.h"

namespace dv {

class Text : public Datum {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Text)

 public:
  // Storage: the inline buffer's size, the largest block and so the longest text.
  static constexpr int32_t kInlineCapacity = 8;
  static constexpr int32_t kMaxCapacity = 63950;
  static constexpr int32_t kMaxLength = kMaxCapacity - 1;
  // The shared buffer that numbers and other values are formatted into.
  static constexpr int kScratchSize = 512;
  // The longest valid identifier, and the most storage makeIdentifier asks for.
  static constexpr int32_t kMaxIdentifierLength = 128;
  static constexpr int32_t kMaxIdentifierSize = 129;
  // XIO tags of the value stream form: the status (when not success), the
  // characters (when not empty), the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagStatus = 1;
  static constexpr uint8_t kTagCharacters = 2;

  // The argument of the constructor that reserves storage, kept apart from
  // the 32-bit integer whose text form the number constructor makes.
  struct Capacity {
    explicit constexpr Capacity(int32_t n) : bytes(n) {}
    int32_t bytes;
  };

  // Empty and NULL.
  Text();
  // Empty and NULL, with capacity.bytes reserved when above 8 (at most
  // 63,950). Out of memory: the inline buffer and the out-of-memory status.
  explicit Text(Capacity capacity);
  // A copy of text (null: empty), status success. A text longer than 63,949
  // characters is cut with "Text truncated to 63,950 characters.". Out of
  // memory: empty, with the out-of-memory status.
  explicit Text(const char* text);
  // A new heap Text of text (count 1, owned by the caller), or null when
  // memory runs out for the object or for its characters.
  static Text* make(const char* text);
  // Bounded: at most n characters of text, stopping at a NUL, with n + 1
  // bytes reserved. Otherwise the whole text, with the larger of n and its
  // length + 1 reserved. A reservation above 63,950 is cut to 63,950 with
  // "Text truncated to 63,950 characters." and the characters with it; out of
  // memory gives the empty text with the out-of-memory status.
  Text(const char* text, int32_t n, bool bounded);
  // The other text's characters and status; out of memory: empty, with the
  // out-of-memory status.
  Text(const Text& other);
  // The number's text form ("%d", "%u", "%.7g", "%.15g"), in the locale's
  // number punctuation unless fmt names a format other than "local".
  explicit Text(int32_t value, const char* fmt = nullptr);
  explicit Text(uint32_t value, const char* fmt = nullptr);
  explicit Text(float value, const char* fmt = nullptr);
  explicit Text(double value, const char* fmt = nullptr);
  // value.asString(fmt) through the 512-byte scratch buffer, so at most 511
  // characters; status success.
  explicit Text(const Datum& value, const char* fmt = nullptr);
  ~Text() override;

  // Assignment. From a NUL-terminated text: as the constructor (status
  // success). From another Text: its characters and its status.
  Text& operator=(const char* text);
  Text& operator=(const Text& other);
  // At most n characters (stopping at a NUL; n < 0: up to it) after
  // reserving n + 1 bytes; n is cut to capacity - 1 with "Text truncated."
  // when the storage cannot grow that far, and the bytes from the new length
  // up to n are zeroed. A NULL text stays NULL when nothing is assigned.
  Text& assign(const char* text, int32_t n);
  Text& assign(const Text& other, int32_t n);

  // Appending. The storage grows by growthStep; what does not fit is cut
  // with "Text truncated.". Out of memory leaves the characters as they were
  // and stores the out-of-memory status. The n forms append at most n
  // characters (stopping at a NUL; n < 0: up to the NUL).
  Text& append(const char* text);
  Text& append(const Text& other);
  Text& append(const char* text, int32_t n);
  Text& append(const Text& other, int32_t n);
  // Keeps the first pos characters and continues with count characters of
  // text (count < 0: up to its NUL); pos < 0 or beyond the length means the
  // end. The new length is pos + count, cut as for appending.
  Text& overwrite(int32_t pos, const char* text, int32_t count = -1);

  // Makes room for n bytes (characters and NUL), the one place where the
  // storage grows: n is cut to 63,950 ("Text truncated to 63,950
  // characters."); the inline buffer moves to a block of n bytes, a heap
  // block is replaced by one of n bytes unless the status is an error
  // (severity 4 or more); when the storage is still smaller than n the
  // answer is "Text truncated.". Out of memory: nothing changes and the
  // answer is the out-of-memory status. Answers success, or the status of the
  // problem, without storing it.
  const Status* reserve(int32_t n);
  // The capacity to reserve for a needed size of x characters: the multiple
  // of 32 above x + 1 below 256, then 512, 768, 1,024, 2,048, ..., 32,768,
  // then 63,950.
  static int32_t growthStep(int32_t x);

  int32_t length() const { return length_; }
  // The NUL-terminated characters.
  const char* chars() const { return capacity_ > kInlineCapacity ? heap_ : inline_; }

  // strcmp order against text (null: empty), the whole or the first n characters.
  int compare(const char* text) const;
  int compare(const Text& other) const;
  int compare(const char* text, int32_t n) const;
  // Ignoring the case of ASCII letters (a-z fold to upper case only), the
  // difference of the first folded characters that differ, taken as
  // unsigned bytes. Whole: 1 when text ends first, -1 when this ends first,
  // 0 when both end together. First n characters: at most min(length, n)
  // compared; when all match, -1 when n exceeds the length and text has a
  // character at that position, else 0.
  int compareNoCase(const char* text) const;
  int compareNoCase(const Text& other) const;
  int compareNoCase(const char* text, int32_t n) const;
  int compareNoCase(const Text& other, int32_t n) const;

  // Searches with the meanings of strchr, strrchr, strpbrk, strspn, strcspn
  // and strstr; a pointer answer is null when nothing is found.
  const char* findChar(char c) const;
  const char* findLastChar(char c) const;
  const char* findAnyOf(const char* set) const;
  int32_t spanOf(const char* set) const;
  int32_t spanNotOf(const char* set) const;
  const char* findText(const char* text) const;

  // Fold ASCII letters in place.
  Text& upper();
  Text& lower();
  // The character at index i, or a shared empty text when i is beyond the
  // length (or negative).
  const char* at(int32_t i) const;
  // A new block from dv::allocate of at least 4 bytes holding the characters
  // and NUL (the caller frees it with dv::deallocate); null when allocation fails.
  char* copyOut() const;
  // Exclusive-or of character i with byte i mod 5 of a fixed key; the length
  // is kept and scrambling twice restores the text. The key bytes are all
  // above 127, so an ASCII character never becomes a NUL.
  Text& scramble();
  // The first character in bits 24-31, then up to three code digits (as
  // characters '1' to '6', zero for missing ones) from the characters after
  // it: B F P V 1; C G J K Q S X Z 2; D T 3; L 4; M N 5; R 6; others skipped.
  uint32_t soundCode() const;

  // Identifiers: 1 to 128 characters, an ASCII letter first, then ASCII
  // letters, digits and "_".
  bool isIdentifier() const;
  // Turns the text into an identifier in place: prefix "Z_" before a digit,
  // "Z" before anything else that is not a letter; every other character
  // that does not belong becomes "_"; at most 120 characters are kept before
  // the prefix. Leaves room for a numeric suffix (storage of length + 9 +
  // prefix bytes, at most 129). Answers null, or the out-of-memory status.
  const Status* makeIdentifier();
  // The same identifier written into a new block of the same size (from
  // dv::allocate) that replaces *buffer (a dv::allocate block or null, freed
  // here), as realloc would. Out of memory: *buffer is left alone and the
  // answer is the out-of-memory status; otherwise null.
  const Status* copyIdentifier(char** buffer) const;
  // The number of decimal digits at the end, never counting the first character.
  int32_t numericSuffixLength() const;
  // Appends "_1".
  Text& appendFirstSuffix();
  // Reserves length + 8 bytes, room for any suffix makeUnique writes, and
  // stores a problem status; answers null or that status.
  const Status* reserveSuffixRoom();
  // The next name of a series: "_1" is appended unless the text ends in "_"
  // and digits; then the number goes up by one (stem_1, stem_2, ...,
  // stem_9999999). Answers null; "Could not make name unique: more than 10
  // million names with the same stem." at 9,999,999 (the text is kept); or
  // the problem of growing the storage.
  const Status* makeUnique();

  // Prints the text folded to lines of at most width characters: lines break
  // at white space outside quotes (a character of quotes opens a quote, the
  // same one closes it; with doubledQuotes a pair of it stays inside), the
  // character after escape is never looked at, a line with no break
  // opportunity is cut at width characters and ends with continuation. Empty
  // lines are dropped; the last line has no newline. Width 0 prints the text
  // as it is. NUL for continuation or escape: none.
  void printWrapped(std::ostream& out, int width, char continuation = '\0',
                    const char* quotes = nullptr, bool doubledQuotes = false,
                    char escape = '\0') const;

  // Datum interface.
  Datum* newEmpty() const override;  // a NULL Text
  int kind() const override;         // 6
  int typeCode() const override;     // 9
  // Conversions of the characters: fmt null or "local" converts them from
  // the locale's number punctuation first (when that fails with "local"
  // given: 0 and "Conversion to numeric value failed."; with fmt null the
  // characters are parsed as they are). Only ASCII white space may follow a
  // number. Out of range gives the nearest bound with the overflow or
  // underflow status; a fraction after an integer is dropped with
  // "Floating-point value was truncated to integer."; anything else gives 0
  // with "Conversion to numeric value failed.". A negative number (other
  // than 0) as an unsigned value gives 0 with the underflow status.
  double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const override;
  float asFloat(const Status** st = nullptr, const char* fmt = nullptr) const override;
  signed char asChar(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int16_t asShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int32_t asLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  unsigned char asUnsignedChar(const Status** st = nullptr,
                               const char* fmt = nullptr) const override;
  uint16_t asUnsignedShort(const Status** st = nullptr, const char* fmt = nullptr) const override;
  uint32_t asUnsignedLong(const Status** st = nullptr, const char* fmt = nullptr) const override;
  int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const override;
  // The length, or n when n is above 0 and smaller.
  int binarySize(int n = 0) override;
  char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                 FormatArg arg = nullptr) const override;
  char* asSubstring(char* buf, int offset, int bufSize, const char* fmt = nullptr,
                    FormatArg arg = nullptr) const override;
  // min(size, length - offset) characters from offset, without a NUL.
  int asBinary(void* buf, int size, int offset) override;
  Text& asText(Text& out, const Status** st = nullptr, const char* fmt = nullptr) const override;
  Text& appendToText(Text& out, const Status** st = nullptr,
                     const char* fmt = nullptr) const override;
  void* data() override;  // the characters
  // At most capacity - 1 of the len characters (stopping at a NUL; len < 0:
  // up to the NUL) after reserving len + 1 bytes, "Text truncated." when
  // cut; a null text or len 0 gives the empty, non-NULL text.
  const Status* set(const char* s, int len, const char* fmt = nullptr) override;
  // The number's text form, in the locale's punctuation unless fmt names a
  // format other than "local".
  const Status* set(double v, const char* fmt = nullptr) override;
  const Status* set(float v, const char* fmt = nullptr) override;
  const Status* set(uint32_t v, const char* fmt = nullptr) override;
  const Status* set(int32_t v, const char* fmt = nullptr) override;
  const Status* set(uint16_t v, const char* fmt = nullptr) override;
  const Status* set(int16_t v, const char* fmt = nullptr) override;
  const Status* set(unsigned char v, const char* fmt = nullptr) override;
  const Status* set(char v, const char* fmt = nullptr) override;
  // strcmp order with another Text; false for any other value.
  bool isGreaterThan(const Datum& x) const override;
  bool isLessThan(const Datum& x) const override;

  // Object interface.
  Object* shallowCopy() const override;
  // compareKind, then strcmp order (-1, 0, 1).
  int compare(const Object& other) const override;
  // A Text of the same class: the same length and characters.
  bool isEqual(const Object& other) const override;
  // The length, exclusive-or each whole 4-byte group as a little-endian
  // word, exclusive-or the last 1 to 3 characters as a word with the first in
  // bits 24-31 (each sign-extended).
  uint32_t hash() const override;
  void printOn(std::ostream& out) const override;  // the characters
  uint32_t capacity() const override;              // bytes of storage
  uint32_t size() const override;                  // the length
  int streamTypeNumber() const override;           // 0
  Object* newForStream() const override;           // a new NULL Text
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  bool onHeap() const { return capacity_ > kInlineCapacity; }
  char* buffer() { return onHeap() ? heap_ : inline_; }
  // Frees a heap block and goes back to the empty inline buffer.
  void dropStorage();
  // The NUL-terminated assignment: exact storage for the text.
  void assignText(const char* text, std::size_t n);
  // Appends m characters of text after the first base characters (text may
  // lie in this text's own storage).
  void putAt(int32_t base, const char* text, int32_t m);
  // Status bookkeeping of the string operations: a problem is stored;
  // otherwise a NULL text that now holds characters becomes non-NULL.
  void settle(const Status* problem);
  // Writes the number text of the scratch buffer in local form, unless fmt
  // names another format, and sets the value from it.
  const Status* setFromScratch(const char* fmt);

  int32_t capacity_ = kInlineCapacity;
  int32_t length_ = 0;
  union {
    char inline_[kInlineCapacity] = {};
    char* heap_;
  };
};

}  // namespace dv

#endif  // DV_DATUM_TEXT_H_
