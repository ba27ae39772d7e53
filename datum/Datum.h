// Datum: the abstract base of every typed value (text, numbers, dates,
// intervals, binary data, external files, nil, tables). Beside its value a
// Datum holds a reference to a status, never null, that says whether it holds
// a value, holds nothing (NULL), or what its last operation left. Values are
// handled only through the virtual interface below: conversion to and from the
// scalar types and text, a binary form, ordering and NULL handling. No
// operation throws for bad data: each reports by status and leaves a defined
// fallback result.
//
// Widths: "long" is 32 bits here (int32_t / uint32_t), "short" 16.
#ifndef DV_DATUM_DATUM_H_
#define DV_DATUM_DATUM_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "datum/DatumClass.h"
#include "object/Allocation.h"
#include "object/Class.h"
#include "object/OIO.h"
#include "object/Object.h"
#include "status/Status.h"

namespace dv {

class Text;

// The allocator handed to newString; its block is freed with the matching
// counterpart (dv::deallocate for dv::allocate).
using DatumAllocator = void* (*)(std::size_t size);

// The last argument of the text-form operations (asString, asSubstring,
// maxTextLength): a status out-parameter for most classes, option bits for the
// classes that take options instead (Binary, DateTime).
struct FormatArg {
  FormatArg() = default;
  FormatArg(std::nullptr_t) {}
  FormatArg(const Status** st) : status(st) {}
  FormatArg(int optionBits) : options(static_cast<unsigned>(optionBits)) {}
  const Status** status = nullptr;
  unsigned options = 0;
};

// Kinds: the order of values of different classes (see compareKind).
inline constexpr int kKindNumber = 1;
inline constexpr int kKindDecimal = 2;
inline constexpr int kKindMoney = 3;
inline constexpr int kKindDateTime = 4;
inline constexpr int kKindInterval = 5;
inline constexpr int kKindText = 6;
inline constexpr int kKindOther = 1000;
inline constexpr int kKindExternal = -1000;

// Type codes: the storage type of a value.
inline constexpr int kTypeLong = 1;
inline constexpr int kTypeUnsignedLong = 2;
inline constexpr int kTypeDouble = 3;
inline constexpr int kTypeDateTime = 5;
inline constexpr int kTypeInterval = 6;
inline constexpr int kTypeDecimal = 7;
inline constexpr int kTypeMoney = 8;
inline constexpr int kTypeText = 9;
inline constexpr int kTypeTable = 11;
inline constexpr int kTypeBinary = 1000;

// Stream type numbers under which the value classes register prototypes.
inline constexpr int kStreamText = 0;
inline constexpr int kStreamNumber = 4;
inline constexpr int kStreamDecimal = 5;
inline constexpr int kStreamMoney = 6;
inline constexpr int kStreamTextConstraint = 20;
inline constexpr int kStreamNumberConstraint = 21;
inline constexpr int kStreamDecimalConstraint = 22;
inline constexpr int kStreamMoneyConstraint = 23;

// True when fmt asks for the locale's number punctuation: null or "local".
bool isLocalFormat(const char* fmt);

class Datum : public Object {
  DV_CLASS_MEMBERS()

 public:
  // The typed-value operations, after the object's, in their fixed order.
  // In every conversion st (may be null) is first set to the success status
  // and then to the status of a problem met; fmt names a format ("local" or
  // null: the locale's number punctuation).

  // A class-wide flag that no value class sets, and its reset.
  virtual bool classMark() const;
  virtual void clearClassMark();
  // A new heap value of the same class in its default state.
  virtual Datum* newEmpty() const = 0;
  // The order of the value's class among other classes; 1000 by default.
  virtual int kind() const;
  // The storage type.
  virtual int typeCode() const = 0;
  // Whether the value stands for an external file.
  virtual bool isExternal() const;
  // The value as a scalar; 0 and success by default.
  virtual double asDouble(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual float asFloat(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual signed char asChar(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual int16_t asShort(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual int32_t asLong(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual unsigned char asUnsignedChar(const Status** st = nullptr,
                                       const char* fmt = nullptr) const;
  virtual uint16_t asUnsignedShort(const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual uint32_t asUnsignedLong(const Status** st = nullptr, const char* fmt = nullptr) const;
  // The size of a buffer that holds the text form and its NUL.
  virtual int maxTextLength(const char* fmt = nullptr, FormatArg arg = nullptr) const = 0;
  // The size of the binary form; by default the status becomes "Method not
  // implemented on subclass." and the answer is 0.
  virtual int binarySize(int n = 0);
  // Writes the NUL-terminated text form into buf, cut to bufSize - 1
  // characters; answers buf.
  virtual char* asString(char* buf, int bufSize, const char* fmt = nullptr,
                         FormatArg arg = nullptr) const = 0;
  // The text form from character offset on (see the default's rule).
  virtual char* asSubstring(char* buf, int offset, int bufSize, const char* fmt = nullptr,
                            FormatArg arg = nullptr) const;
  // The binary form; by default "Method not implemented on subclass.", 0.
  virtual int asBinary(void* buf, int size, int offset);
  // Whether asUnsignedChar is not 0 (above 1: the overflow status in st).
  virtual bool asBool(const Status** st = nullptr, const char* fmt = nullptr) const;
  // The text form put into (or appended to) out; st gets out's status.
  // By default st gets "Method not implemented on subclass.".
  virtual Text& asText(Text& out, const Status** st = nullptr, const char* fmt = nullptr) const;
  virtual Text& appendToText(Text& out, const Status** st = nullptr,
                             const char* fmt = nullptr) const;
  // The text form in a new block of maxTextLength bytes from allocate (the
  // caller frees it with the counterpart); null when allocation fails.
  virtual char* newString(const char* fmt = nullptr, DatumAllocator allocate = &dv::allocate) const;
  // The raw value storage; null by default.
  virtual void* data();
  // Assign a value converted from the argument. They answer null
  // when the new status has severity 0 and otherwise the status now held; by
  // default "Method not implemented on subclass.".
  virtual const Status* set(const char* s, int len, const char* fmt = nullptr);
  virtual const Status* set(double v, const char* fmt = nullptr);
  virtual const Status* set(float v, const char* fmt = nullptr);
  virtual const Status* set(uint32_t v, const char* fmt = nullptr);
  virtual const Status* set(int32_t v, const char* fmt = nullptr);
  virtual const Status* set(uint16_t v, const char* fmt = nullptr);
  virtual const Status* set(int16_t v, const char* fmt = nullptr);
  virtual const Status* set(unsigned char v, const char* fmt = nullptr);
  virtual const Status* set(char v, const char* fmt = nullptr);
  // Order among values.
  virtual bool isGreaterThan(const Datum& x) const = 0;
  virtual bool isLessThan(const Datum& x) const = 0;
  virtual bool isGreaterOrEqual(const Datum& x) const;
  virtual bool isLessOrEqual(const Datum& x) const;
  // NULL is what the status says; setNull makes it the null status.
  virtual bool isNull() const;
  virtual void setNull();
  // The first step of every value comparison: 0 for the same species; for
  // another Datum 1 when its kind is lower, else -1; for anything else the
  // order of the two class descriptors.
  virtual int compareKind(const Object& other) const;

  // The status, never null.
  const Status* status() const { return status_; }
  // Holds status (a reference is taken on it and dropped on the old one).
  void setStatus(const Status& status);
  void setStatus(const Status* status);
  int severity() const { return status_->severity(); }
  uint32_t code() const { return status_->code(); }
  const char* messageText() const { return status_->messageText(); }
  // Writes the status's message text.
  void printStatus(std::ostream& out) const;

  // Object interface shared by the value classes.
  // The Datum default refuses ("shallowCopy") for classes that cannot copy.
  Object* shallowCopy() const override;
  // The same object, or compare answers 0.
  bool isEqual(const Object& other) const override;
  // The Datum part of the stored form: with format 1 three zero integers,
  // then the status object.
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override;

 protected:
  // New values hold the success status.
  Datum();
  Datum(const Datum& other);
  Datum& operator=(const Datum& other);
  ~Datum() override;
  explicit Datum(OIOin& stream);
  explicit Datum(OIOinbin& stream) : Datum(static_cast<OIOin&>(stream)) {}

  // Answers for set operations: null when status has severity 0, else status.
  static const Status* answer(const Status* status);
  // Sets *st when st is given.
  static void report(const Status** st, const Status* status) {
    if (st != nullptr) *st = status;
  }

 private:
  const Status* status_;
};

}  // namespace dv

#endif  // DV_DATUM_DATUM_H_
