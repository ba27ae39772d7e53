// Concrete object streams over C++ streams (files, strings): a text pair and a
// binary pair. Both start with the header (the format, and for format 2 the
// version); each object stored with storeOn is a record that names its class
// and signature, and an object met again within the same outermost storeOn is
// a reference to the record's number (records are numbered from 0, in the
// order they start, within one outermost storeOn).
//
// Text form. Every number is followed by one blank: integers in decimal,
// floats with 9 and doubles with 17 significant digits (so that they read back
// exactly); characters go raw, with nothing after them (their count always
// precedes them). A record is
// "{Name signature " then the object's fields then "} "; a reference is "@n ";
// nil is "~ ". Line breaks after the header and between top-level records are
// for the reader's eye only.
//
// Binary form, big-endian. 16-, 32- and 64-bit integers in 2, 4 and 8 bytes,
// floats and doubles as IEEE 754 single and double, characters raw. A record
// is the byte 'O', the class name (32-bit length and characters), the 32-bit
// signature, the object's fields and the byte 'E'; a reference is 'R' and a
// 32-bit number; nil is 'N'.
//
// Reading reports content it cannot use through the framework errors: RDEOF
// (the input ends early), RDUNKCLASS (a class name the registry does not
// know), RDBADSIG (a class whose signature changed), RDSYNERR (anything else
// malformed). The input streams build the class registry when they are made.
#ifndef DV_OBJECT_OIOSTREAMS_H_
#define DV_OBJECT_OIOSTREAMS_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "object/OIO.h"

namespace dv {

// REQUIRES for all four: the C++ stream outlives the object stream.

// Writes the text form to a C++ output stream.
class TextOIOout : public OIOout {
 public:
  // Writes the header for version (by the output version rules; -1: the
  // current version).
  explicit TextOIOout(std::ostream& out, int32_t version = -1);

  using OIOout::write;
  void write(const char* v, std::size_t n) override;
  void write(const unsigned char* v, std::size_t n) override;
  void write(const int16_t* v, std::size_t n) override;
  void write(const uint16_t* v, std::size_t n) override;
  void write(const int32_t* v, std::size_t n) override;
  void write(const uint32_t* v, std::size_t n) override;
  void write(const int64_t* v, std::size_t n) override;
  void write(const uint64_t* v, std::size_t n) override;
  void write(const float* v, std::size_t n) override;
  void write(const double* v, std::size_t n) override;
  void storeObject(const Object& ob) override;

 private:
  void token(const char* text);
  std::ostream& out_;
};

// Reads the text form from a C++ input stream.
class TextOIOin : public OIOin {
 public:
  // Reads the header.
  explicit TextOIOin(std::istream& in);

  void read(char* v, std::size_t n) override;
  void read(unsigned char* v, std::size_t n) override;
  void read(int16_t* v, std::size_t n) override;
  void read(uint16_t* v, std::size_t n) override;
  void read(int32_t* v, std::size_t n) override;
  void read(uint32_t* v, std::size_t n) override;
  void read(int64_t* v, std::size_t n) override;
  void read(uint64_t* v, std::size_t n) override;
  void read(float* v, std::size_t n) override;
  void read(double* v, std::size_t n) override;

 protected:
  void readItemHead(ItemHead* head) override;
  void readItemEnd() override;
  int64_t bytesLeft() const override;

 private:
  // The next blank-ended token, after leading white space; false at the end
  // of input or after an error.
  bool nextToken(std::string* token);
  template <class T>
  void readIntegers(T* v, std::size_t n, const char* what);
  std::istream& in_;
  int64_t end_;  // where the input ends, or -1 when it cannot tell
};

// Writes the binary form to a C++ output stream.
class BinaryOIOout : public OIOoutbin {
 public:
  explicit BinaryOIOout(std::ostream& out, int32_t version = -1);

  using OIOout::write;
  void write(const char* v, std::size_t n) override;
  void write(const unsigned char* v, std::size_t n) override;
  void write(const int16_t* v, std::size_t n) override;
  void write(const uint16_t* v, std::size_t n) override;
  void write(const int32_t* v, std::size_t n) override;
  void write(const uint32_t* v, std::size_t n) override;
  void write(const int64_t* v, std::size_t n) override;
  void write(const uint64_t* v, std::size_t n) override;
  void write(const float* v, std::size_t n) override;
  void write(const double* v, std::size_t n) override;
  void storeObject(const Object& ob) override;

 private:
  void bytes(const void* p, std::size_t n);
  std::ostream& out_;
};

// Reads the binary form from a C++ input stream.
class BinaryOIOin : public OIOinbin {
 public:
  explicit BinaryOIOin(std::istream& in);

  void read(char* v, std::size_t n) override;
  void read(unsigned char* v, std::size_t n) override;
  void read(int16_t* v, std::size_t n) override;
  void read(uint16_t* v, std::size_t n) override;
  void read(int32_t* v, std::size_t n) override;
  void read(uint32_t* v, std::size_t n) override;
  void read(int64_t* v, std::size_t n) override;
  void read(uint64_t* v, std::size_t n) override;
  void read(float* v, std::size_t n) override;
  void read(double* v, std::size_t n) override;

 protected:
  void readItemHead(ItemHead* head) override;
  void readItemEnd() override;
  int64_t bytesLeft() const override;

 private:
  // Reads n bytes; false (after reporting the end of input) when they are not there.
  bool bytes(void* p, std::size_t n);
  std::istream& in_;
  int64_t end_;
};

}  // namespace dv

#endif  // DV_OBJECT_OIOSTREAMS_H_
