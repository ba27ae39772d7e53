// The value-stream forms of the streamable classes: their tagged bodies,
// written by streamOut and read by streamIn, for statuses, the typed values
// (Text, Number, Decimal, Money, DateTime, Interval, the nil value), their
// column types, column names, the element arrays of tables and tables.
//
// The classes declare these members in their own layers; they are defined
// here, beside TableStream, because they are written in terms of it and no
// lower layer includes a stream header. Each reader starts from the fresh
// default instance the stream made, accepts its tags in any order until the
// end tag, and leaves the object consistent when it fails (the stream then
// releases it). Every count and length read is checked before it is used.
#include <cstring>
#include <new>

#include "datum/DateTime.h"
#include "datum/DateTimeConstraint.h"
#include "datum/Decimal.h"
#include "datum/DecimalConstraint.h"
#include "datum/Interval.h"
#include "datum/IntervalConstraint.h"
#include "datum/Money.h"
#include "datum/MoneyConstraint.h"
#include "datum/NilDatum.h"
#include "datum/Number.h"
#include "datum/NumberConstraint.h"
#include "datum/Text.h"
#include "datum/TextConstraint.h"
#include "object/Allocation.h"
#include "object/Integer.h"
#include "object/Registry.h"
#include "status/Status.h"
#include "stream/TableStream.h"
#include "table/MemArray.h"
#include "table/NameCltn.h"
#include "table/Table.h"

namespace dv {
namespace {

constexpr uint8_t kEnd = 0;
// The status field every typed value begins with.
constexpr uint8_t kTagDatumStatus = 1;

// Frees a string read from the stream when it goes out of scope.
struct StringHolder {
  char* s = nullptr;
  uint32_t n = 0;
  ~StringHolder() { deallocate(s); }
};

// Holds a status read from the stream until it is set on its value.
struct StatusHolder {
  const Status* st = nullptr;
  ~StatusHolder() {
    if (st != nullptr) st->release();
  }
  void take(const Status* s) {
    if (st != nullptr) st->release();
    st = s;
  }
};

// Writes tag 1 and the value's status when it is not success.
bool writeDatumStatus(TableStream& s, const Datum& d) {
  if (d.status() == successStatus()) return true;
  return s.writeTag(kTagDatumStatus) && s.writeObject(*d.status());
}

// Reads an object that must be of class descriptor; answers it held.
template <class T>
bool readObjectOf(TableStream& s, T*& out) {
  out = nullptr;
  Object* ob = nullptr;
  if (!s.readObject(ob)) return false;
  if (!ob->isKindOf(T::desc())) {
    ob->release();
    return s.fail(kXioBadAttributeType);
  }
  out = static_cast<T*>(ob);
  return true;
}

bool readStatusInto(TableStream& s, StatusHolder& holder) {
  Status* st = nullptr;
  if (!readObjectOf(s, st)) return false;
  holder.take(st);
  return true;
}

// Writes a 16-bit field under tag when it differs from its default.
bool writeShortField(TableStream& s, uint8_t tag, int32_t v, int32_t byDefault) {
  return v == byDefault || (s.writeTag(tag) && s.writeShort(static_cast<int16_t>(v)));
}

// Sets the status read, or success when none came.
void settleStatus(Datum& d, const StatusHolder& holder) {
  d.setStatus(holder.st != nullptr ? holder.st : successStatus());
}

// What a field reader made of a tag of a value's body.
enum class Field { kRead, kFailed, kUnknown };

Field fieldRead(bool ok) {
  return ok ? Field::kRead : Field::kFailed;
}

// Reads a typed value's tagged body up to its end tag, in any order: tag 1
// the status, held until the end, every other tag through field. An unknown
// tag fails the stream. At the end tag, finish takes what was read (false:
// the fields make no value of the class) and the status is set, success
// when none came.
template <class FieldReader, class Finish>
bool readDatumBody(TableStream& s, Datum& d, FieldReader field, Finish finish) {
  StatusHolder st;
  for (;;) {
    uint8_t tag = 0;
    if (!s.readTag(tag)) return false;
    if (tag == kEnd) break;
    if (tag == kTagDatumStatus) {
      if (!readStatusInto(s, st)) return false;
      continue;
    }
    Field f = field(tag);
    if (f == Field::kFailed) return false;
    if (f == Field::kUnknown) return s.fail(kXioBadAttribute);
  }
  if (!finish()) return s.fail(kXioBadAttributeType);
  settleStatus(d, st);
  return true;
}

template <class FieldReader>
bool readDatumBody(TableStream& s, Datum& d, FieldReader field) {
  return readDatumBody(s, d, field, [] { return true; });
}

}  // namespace

// Statuses.

bool Status::streamOut(TableStream& stream) const {
  return stream.writeTag(kStatusTagEnd);
}

bool Status::streamIn(TableStream& stream) {
  uint8_t tag = 0;
  if (!stream.readTag(tag)) return false;
  return tag == kStatusTagEnd || stream.fail(kXioBadAttribute);
}

bool ErrorStatus::streamOut(TableStream& stream) const {
  bool ok = true;
  if (code_ != 0) {
    ok = stream.writeTag(kStatusTagCode) && stream.writeLong(static_cast<int32_t>(code_));
  }
  if (ok && nullFlag_) ok = stream.writeTag(kStatusTagNullFlag) && stream.writeChar(1);
  if (ok && externError_ != 0) {
    ok = stream.writeTag(kStatusTagExternError) && stream.writeLong(externError_);
  }
  if (ok && facilityName_ != nullptr && facilityName_[0] != '\0') {
    ok = stream.writeTag(kStatusTagFacility) && stream.writeString(facilityName_);
  }
  if (ok && message_ != nullptr && message_[0] != '\0') {
    ok = stream.writeTag(kStatusTagMessage) && stream.writeString(message_);
  }
  return ok && stream.writeTag(kStatusTagEnd);
}

bool ErrorStatus::streamIn(TableStream& stream) {
  for (;;) {
    uint8_t tag = 0;
    if (!stream.readTag(tag)) return false;
    switch (tag) {
      case kStatusTagEnd:
        return true;
      case kStatusTagCode: {
        int32_t v = 0;
        if (!stream.readLong(v)) return false;
        code_ = static_cast<uint32_t>(v);
        break;
      }
      case kStatusTagNullFlag: {
        uint8_t v = 0;
        if (!stream.readChar(v)) return false;
        nullFlag_ = v != 0;
        break;
      }
      case kStatusTagExternError:
        if (!stream.readLong(externError_)) return false;
        break;
      case kStatusTagFacility:
      case kStatusTagMessage: {
        char* text = nullptr;
        if (!stream.readString(text)) return false;
        char*& field = tag == kStatusTagFacility ? facilityName_ : message_;
        deallocate(field);
        field = text;
        break;
      }
      default:
        return stream.fail(kXioBadAttribute);
    }
  }
}

// Text: tag 1 the status, tag 2 the characters.

bool Text::streamOut(TableStream& stream) const {
  if (!writeDatumStatus(stream, *this)) return false;
  if (length_ > 0 && !(stream.writeTag(2) && stream.writeString(chars(), length_))) return false;
  return stream.writeTag(kEnd);
}

bool Text::streamIn(TableStream& stream) {
  StatusHolder st;
  const Status* problem = nullptr;
  bool empty = true;
  for (;;) {
    uint8_t tag = 0;
    if (!stream.readTag(tag)) return false;
    if (tag == kEnd) break;
    if (tag == kTagDatumStatus) {
      if (!readStatusInto(stream, st)) return false;
    } else if (tag == 2) {
      // Straight from the buffer when it holds the whole string.
      uint32_t length = 0;
      if (!stream.readStringLength(length)) return false;
      StringHolder chars;
      const char* p = reinterpret_cast<const char*>(stream.takeBuffered(length));
      if (p == nullptr) {
        if (!stream.readStringBytes(length, chars.s)) return false;
        p = chars.s;
      }
      int n =
          length > static_cast<uint32_t>(kMaxLength) ? kMaxLength + 1 : static_cast<int>(length);
      problem = set(p, n, "absolute");
      if (problem == outOfMemoryStatus()) return stream.failOutOfMemory();
      empty = false;
    } else {
      return stream.fail(kXioBadAttribute);
    }
  }
  if (empty) set("", 0, "absolute");
  if (st.st == nullptr && problem != nullptr) {
    setStatus(problem);
  } else {
    settleStatus(*this, st);
  }
  return true;
}

// The column types. Each writes the fields that differ from a constraint
// made by default of its own class, so that every field reads back; the
// display formats are not part of the stream form.

bool TextConstraint::streamOut(TableStream& stream) const {
  if (!writeDatumStatus(stream, *this)) return false;
  if (maxLength_ != 0 &&
      !(stream.writeTag(kTagMaxLength) && stream.writeLong(static_cast<int32_t>(maxLength_))))
    return false;
  return stream.writeTag(kTagEnd);
}

bool TextConstraint::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    if (tag != kTagMaxLength) return Field::kUnknown;
    int32_t v = 0;
    if (!stream.readLong(v)) return Field::kFailed;
    maxLength_ = static_cast<uint32_t>(v);
    return Field::kRead;
  });
}

bool NumberConstraint::streamOut(TableStream& stream) const {
  return writeDatumStatus(stream, *this) &&
         writeShortField(stream, kTagTypeCode, typeCode_, kNoTypeCode) && stream.writeTag(kTagEnd);
}

bool NumberConstraint::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    return tag == kTagTypeCode ? fieldRead(stream.readShort(typeCode_)) : Field::kUnknown;
  });
}

bool DecimalConstraint::streamOut(TableStream& stream) const {
  int16_t defaultScale = isKindOf(MoneyConstraint::desc()) ? MoneyConstraint::kDefaultScale : 0;
  if (!(writeDatumStatus(stream, *this) &&
        writeShortField(stream, kTagPrecision, precision_, kDefaultPrecision) &&
        writeShortField(stream, kTagScale, scale_, defaultScale) &&
        writeShortField(stream, kTagMaxexp, maxexp_, Decimal::kMaxExp)))
    return false;
  if (fixStyle_ != Decimal::kFloating &&
      !(stream.writeTag(kTagFixStyle) && stream.writeChar(static_cast<uint8_t>(fixStyle_))))
    return false;
  return writeShortField(stream, kTagMiscFlags, miscFlags_, 0) && stream.writeTag(kTagEnd);
}

bool DecimalConstraint::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    switch (tag) {
      case kTagPrecision:
        if (!stream.readShort(precision_)) return Field::kFailed;
        // No constraint is made with more: only damage brings it.
        return fieldRead(precision_ <= Decimal::kMaxPrecision || stream.fail(kXioBadAttributeType));
      case kTagScale:
        return fieldRead(stream.readShort(scale_));
      case kTagMaxexp:
        if (!stream.readShort(maxexp_)) return Field::kFailed;
        return fieldRead(maxexp_ <= Decimal::kMaxExp || stream.fail(kXioBadAttributeType));
      case kTagFixStyle: {
        uint8_t v = 0;
        if (!stream.readChar(v)) return Field::kFailed;
        fixStyle_ = v;
        return Field::kRead;
      }
      case kTagMiscFlags:
        return fieldRead(stream.readShort(miscFlags_));
      default:
        return Field::kUnknown;
    }
  });
}

bool DateTimeConstraint::streamOut(TableStream& stream) const {
  return writeDatumStatus(stream, *this) && writeShortField(stream, kTagPrecFrom, precFrom_, -1) &&
         writeShortField(stream, kTagPrecTo, precTo_, -1) &&
         writeShortField(stream, kTagMiscFlags, miscFlags_, 1) && stream.writeTag(kTagEnd);
}

bool DateTimeConstraint::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    if (tag != kTagPrecFrom && tag != kTagPrecTo && tag != kTagMiscFlags) return Field::kUnknown;
    int16_t v = 0;
    if (!stream.readShort(v)) return Field::kFailed;
    if (tag == kTagPrecFrom) precFrom_ = v;
    if (tag == kTagPrecTo) precTo_ = v;
    if (tag == kTagMiscFlags) miscFlags_ = static_cast<uint16_t>(v);
    return Field::kRead;
  });
}

bool IntervalConstraint::streamOut(TableStream& stream) const {
  return writeDatumStatus(stream, *this) && writeShortField(stream, kTagPrecFrom, precFrom_, -1) &&
         writeShortField(stream, kTagPrecTo, precTo_, -1) &&
         writeShortField(stream, kTagPrecTot, precTot_, -1) &&
         writeShortField(stream, kTagMiscFlags, miscFlags_, 0) && stream.writeTag(kTagEnd);
}

bool IntervalConstraint::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    if (tag < kTagPrecFrom || tag > kTagMiscFlags) return Field::kUnknown;
    int16_t v = 0;
    if (!stream.readShort(v)) return Field::kFailed;
    if (tag == kTagPrecFrom) precFrom_ = v;
    if (tag == kTagPrecTo) precTo_ = v;
    if (tag == kTagPrecTot) precTot_ = v;
    if (tag == kTagMiscFlags) miscFlags_ = v;
    return Field::kRead;
  });
}

// Number: tag 1 the status; tag 3 a long (type 1, or type 2 below 2^31),
// tag 6 an unsigned long, tag 5 a double; read also tag 2 (short) and tag 4
// (float).

bool Number::streamOut(TableStream& stream) const {
  if (!writeDatumStatus(stream, *this)) return false;
  bool ok = true;
  switch (type_) {
    case kTypeLong:
      ok = stream.writeTag(3) && stream.writeLong(value_.l);
      break;
    case kTypeUnsignedLong:
      ok = stream.writeTag(value_.u < 0x80000000u ? 3 : 6) &&
           stream.writeLong(static_cast<int32_t>(value_.u));
      break;
    case kTypeDouble:
      ok = stream.writeTag(5) && stream.writeDouble(value_.d);
      break;
    default:
      return stream.fail(kXioBadAttributeType);
  }
  return ok && stream.writeTag(kEnd);
}

bool Number::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    switch (tag) {
      case 2: {
        int16_t v = 0;
        if (!stream.readShort(v)) return Field::kFailed;
        type_ = kTypeLong;
        value_.l = v;
        return Field::kRead;
      }
      case 3:
      case 6: {
        int32_t v = 0;
        if (!stream.readLong(v)) return Field::kFailed;
        if (tag == 3) {
          type_ = kTypeLong;
          value_.l = v;
        } else {
          type_ = kTypeUnsignedLong;
          value_.u = static_cast<uint32_t>(v);
        }
        return Field::kRead;
      }
      case 4: {
        float v = 0;
        if (!stream.readFloat(v)) return Field::kFailed;
        type_ = kTypeDouble;
        value_.d = v;
        return Field::kRead;
      }
      case 5: {
        double v = 0;
        if (!stream.readDouble(v)) return Field::kFailed;
        type_ = kTypeDouble;
        value_.d = v;
        return Field::kRead;
      }
      default:
        return Field::kUnknown;
    }
  });
}

// Decimal: tag 1 the status, tag 2 the encoding bytes; Money adds tag 3,
// the unit.

bool Decimal::takeEncoding(const unsigned char* bytes, int length) {
  if (length < 1 || length > kMaxLength || !isValidEncoding(bytes, length)) return false;
  std::memset(bytes_, 0, sizeof bytes_);
  std::memcpy(bytes_, bytes, static_cast<std::size_t>(length));
  length_ = static_cast<int16_t>(length);
  return true;
}

namespace {

bool writeDecimalFields(TableStream& s, const Decimal& d) {
  if (!writeDatumStatus(s, d)) return false;
  if (d.length() == 0) return true;
  return s.writeTag(2) &&
         s.writeString(reinterpret_cast<const char*>(d.bytes()), static_cast<uint32_t>(d.length()));
}

// Reads the encoding of tag 2 as a string of 1 to 22 bytes.
bool readEncoding(TableStream& s, StringHolder& bytes) {
  if (!s.readString(bytes.s, &bytes.n)) return false;
  if (bytes.n < 1 || bytes.n > static_cast<uint32_t>(Decimal::kMaxLength) ||
      !Decimal::isValidEncoding(reinterpret_cast<const unsigned char*>(bytes.s),
                                static_cast<int>(bytes.n))) {
    return s.fail(kXioBadAttributeType);
  }
  return true;
}

}  // namespace

bool Decimal::streamOut(TableStream& stream) const {
  return writeDecimalFields(stream, *this) && stream.writeTag(kEnd);
}

bool Decimal::streamIn(TableStream& stream) {
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    if (tag != 2) return Field::kUnknown;
    StringHolder bytes;
    if (!readEncoding(stream, bytes)) return Field::kFailed;
    takeEncoding(reinterpret_cast<const unsigned char*>(bytes.s), static_cast<int>(bytes.n));
    return Field::kRead;
  });
}

bool Money::streamOut(TableStream& stream) const {
  if (!writeDecimalFields(stream, *this)) return false;
  if (unit_[0] != '\0' && !(stream.writeTag(3) && stream.writeString(unit_))) return false;
  return stream.writeTag(kEnd);
}

bool Money::streamIn(TableStream& stream) {
  unit_[0] = '\0';
  return readDatumBody(stream, *this, [&](uint8_t tag) {
    if (tag == 2) {
      StringHolder bytes;
      if (!readEncoding(stream, bytes)) return Field::kFailed;
      takeEncoding(reinterpret_cast<const unsigned char*>(bytes.s), static_cast<int>(bytes.n));
      return Field::kRead;
    }
    if (tag != 3) return Field::kUnknown;
    StringHolder unit;
    if (!stream.readString(unit.s, &unit.n)) return Field::kFailed;
    if (unit.n > static_cast<uint32_t>(kMaxUnitLength) || std::strlen(unit.s) != unit.n) {
      stream.fail(kXioBadAttributeType);
      return Field::kFailed;
    }
    std::memcpy(unit_, unit.s, unit.n + 1);
    return Field::kRead;
  });
}

// DateTime: each field only when it differs from the default value.

namespace {
constexpr int32_t kDefaultUtcDays = 1721423;
constexpr int32_t kDefaultUtcSeconds = 43200;
}  // namespace

bool DateTime::streamOut(TableStream& stream) const {
  bool ok = writeDatumStatus(stream, *this);
  if (ok && zoneHours_ != 0) ok = stream.writeTag(2) && stream.writeShort(zoneHours_);
  if (ok && zoneMinutes_ != 0) ok = stream.writeTag(3) && stream.writeShort(zoneMinutes_);
  if (ok && precFrom_ != kUnitYear) {
    ok = stream.writeTag(4) && stream.writeChar(static_cast<uint8_t>(precFrom_));
  }
  if (ok && precTo_ != kUnitSecond) {
    ok = stream.writeTag(5) && stream.writeChar(static_cast<uint8_t>(precTo_));
  }
  if (ok && utc_.days != kDefaultUtcDays) ok = stream.writeTag(6) && stream.writeLong(utc_.days);
  if (ok && utc_.seconds != kDefaultUtcSeconds) {
    ok = stream.writeTag(7) && stream.writeLong(utc_.seconds);
  }
  if (ok && utc_.microseconds != 0) ok = stream.writeTag(8) && stream.writeLong(utc_.microseconds);
  return ok && stream.writeTag(kEnd);
}

bool DateTime::streamIn(TableStream& stream) {
  int16_t hours = 0;
  int16_t minutes = 0;
  uint8_t from = kUnitYear;
  uint8_t to = kUnitSecond;
  TimeSpan utc;
  utc.days = kDefaultUtcDays;
  utc.seconds = kDefaultUtcSeconds;
  return readDatumBody(
      stream, *this,
      [&](uint8_t tag) {
        switch (tag) {
          case 2:
            return fieldRead(stream.readShort(hours));
          case 3:
            return fieldRead(stream.readShort(minutes));
          case 4:
            return fieldRead(stream.readChar(from));
          case 5:
            return fieldRead(stream.readChar(to));
          case 6:
            return fieldRead(stream.readLong(utc.days));
          case 7:
            return fieldRead(stream.readLong(utc.seconds));
          case 8:
            return fieldRead(stream.readLong(utc.microseconds));
          default:
            return Field::kUnknown;
        }
      },
      [&] { return takeStreamed(hours, minutes, from, to, utc); });
}

// Interval: the qualifier when it is not day to second (or its digits are
// not the default 13), the fields that are not 0, the sign when set.

namespace {
constexpr int16_t kDefaultIntervalDigits = 13;
}  // namespace

bool Interval::streamOut(TableStream& stream) const {
  bool ok = writeDatumStatus(stream, *this);
  // A day-to-second interval with other than the default digits keeps them
  // too: read back without them its fields could fall outside the default.
  if (ok &&
      (precFrom_ != kUnitDay || precTo_ != kUnitSecond || precTot_ != kDefaultIntervalDigits)) {
    ok = stream.writeTag(2) && stream.writeChar(static_cast<uint8_t>(precFrom_)) &&
         stream.writeTag(3) && stream.writeChar(static_cast<uint8_t>(precTo_)) &&
         stream.writeTag(4) && stream.writeShort(precTot_);
  }
  const int32_t fields[7] = {year_, month_, day_, hour_, minute_, second_, microsecond_};
  for (int i = 0; ok && i < 7; ++i) {
    if (fields[i] != 0)
      ok = stream.writeTag(static_cast<uint8_t>(5 + i)) && stream.writeLong(fields[i]);
  }
  if (ok && negative_) ok = stream.writeTag(12) && stream.writeChar(1);
  return ok && stream.writeTag(kEnd);
}

bool Interval::streamIn(TableStream& stream) {
  uint8_t from = kUnitDay;
  uint8_t to = kUnitSecond;
  int16_t tot = kDefaultIntervalDigits;
  int32_t values[8] = {};
  uint8_t negative = 0;
  return readDatumBody(
      stream, *this,
      [&](uint8_t tag) {
        if (tag == 2) return fieldRead(stream.readChar(from));
        if (tag == 3) return fieldRead(stream.readChar(to));
        if (tag == 4) return fieldRead(stream.readShort(tot));
        if (tag >= 5 && tag <= 11) return fieldRead(stream.readLong(values[kUnitYear + (tag - 5)]));
        if (tag == 12) return fieldRead(stream.readChar(negative));
        return Field::kUnknown;
      },
      [&] { return takeStreamed(from, to, tot, values, negative != 0); });
}

// The nil value.

namespace {
const bool nilRegistered = (registerPrototype(nilDatum(), NilDatum::kStreamTypeNumber), true);
}  // namespace

int NilDatum::streamTypeNumber() const {
  (void)nilRegistered;
  return kStreamTypeNumber;
}

Object* NilDatum::newForStream() const {
  return nilDatum();
}

bool NilDatum::streamOut(TableStream& stream) const {
  return stream.writeTag(kEnd);
}

bool NilDatum::streamIn(TableStream& stream) {
  uint8_t tag = 0;
  if (!stream.readTag(tag)) return false;
  return tag == kEnd || stream.fail(kXioBadAttribute);
}

// Column names: tag 1 a name, tag 2 its column, for each entry in order.

bool NameCltn::streamOut(TableStream& stream) const {
  int32_t n = static_cast<int32_t>(size());
  for (int32_t i = 0; i < n; ++i) {
    const Text& name = nameAt(i);
    if (!(stream.writeTag(kTagName) &&
          stream.writeString(name.chars(), static_cast<uint32_t>(name.length())) &&
          stream.writeTag(kTagColumn) && stream.writeLong(columnAt(i)))) {
      return false;
    }
  }
  return stream.writeTag(kTagEnd);
}

bool NameCltn::streamIn(TableStream& stream) {
  StringHolder kept;
  for (;;) {
    uint8_t tag = 0;
    if (!stream.readTag(tag)) return false;
    if (tag == kTagEnd) return true;
    if (tag == kTagName) {
      deallocate(kept.s);
      kept.s = nullptr;
      if (!stream.readName(kept.s, &kept.n)) return false;
    } else if (tag == kTagColumn) {
      if (kept.s == nullptr) return stream.fail(kXioBadAttributeType);
      int32_t column = 0;
      if (!stream.readLong(column)) return false;
      Text* name = new (std::nothrow) Text(kept.s);
      deallocate(kept.s);
      kept.s = nullptr;
      Integer* number = new (std::nothrow) Integer(column);
      bool added = name != nullptr && number != nullptr && name->status() != outOfMemoryStatus() &&
                   add(name, number);
      if (name != nullptr) name->release();
      if (number != nullptr) number->release();
      if (!added) return stream.failOutOfMemory();
    } else {
      return stream.fail(kXioBadAttribute);
    }
  }
}

// Element arrays: tag 1 the count, each element (tag 2 and its object), the
// end tag; only the end tag when the array is empty or its elements have no
// tagged form.

bool MemArray::streamOut(TableStream& stream) const {
  if (count_ > 0 && ops_ != nullptr && ops_->writeTagged != nullptr) {
    if (count_ > static_cast<uint32_t>(INT32_MAX)) return stream.fail(kXioBadAttributeType);
    if (!(stream.writeTag(kTagCount) && stream.writeLong(static_cast<int32_t>(count_)))) {
      return false;
    }
    for (uint32_t i = 0; i < count_; ++i) {
      if (!writeTaggedElement(i, stream)) return false;
    }
  }
  return stream.writeTag(kTagEnd);
}

bool MemArray::streamIn(TableStream& stream) {
  // The array grows with the elements that arrive, never to the announced
  // count ahead of them.
  int64_t announced = -1;
  uint32_t filled = 0;
  for (;;) {
    uint8_t tag = 0;
    if (!stream.readTag(tag)) return false;
    if (tag == kTagEnd) {
      if (announced >= 0 && filled != announced) return stream.fail(kXioBadAttributeType);
      if (!resize(filled)) return stream.failOutOfMemory();
      return true;
    }
    if (tag == kTagCount) {
      int32_t n = 0;
      if (!stream.readLong(n)) return false;
      if (n < 0 || announced >= 0) return stream.fail(kXioBadAttributeType);
      announced = n;
    } else if (tag == kTagElement) {
      if (ops_ == nullptr || ops_->readTagged == nullptr || elementSize_ == 0) {
        return stream.fail(kXioBadAttribute);
      }
      if (announced < 0 || filled >= announced) return stream.fail(kXioBadAttributeType);
      if (filled >= count_) {
        uint64_t want = count_ < 32 ? 64 : static_cast<uint64_t>(count_) * 2;
        if (want > static_cast<uint64_t>(announced)) want = static_cast<uint64_t>(announced);
        if (!resize(static_cast<uint32_t>(want))) return stream.failOutOfMemory();
      }
      if (!readTaggedElement(filled, stream)) return false;
      ++filled;
    } else {
      return stream.fail(kXioBadAttribute);
    }
  }
}

// Tables.

bool Table::writeCellTagged(const void* element, TableStream& stream) {
  const Datum* d = *static_cast<const Datum* const*>(element);
  return stream.writeTag(MemArray::kTagElement) && stream.writeObject(*d);
}

bool Table::readCellTagged(void* element, TableStream& stream) {
  Datum* d = nullptr;
  if (!readObjectOf(stream, d)) return false;
  Datum*& cell = *static_cast<Datum**>(element);
  cell->release();
  cell = d;
  return true;
}

bool Table::writeRowStatusTagged(const void* element, TableStream& stream) {
  const Status* s = *static_cast<const Status* const*>(element);
  return stream.writeTag(MemArray::kTagElement) &&
         stream.writeObject(s != nullptr ? *s : *successStatus());
}

bool Table::readRowStatusTagged(void* element, TableStream& stream) {
  Status* s = nullptr;
  if (!readObjectOf(stream, s)) return false;
  const Status*& slot = *static_cast<const Status**>(element);
  if (slot != nullptr) slot->release();
  slot = s;
  return true;
}

bool Table::streamOut(TableStream& stream) const {
  bool ok = true;
  if (status() != successStatus())
    ok = stream.writeTag(kTagStatus) && stream.writeObject(*status());
  if (ok) ok = stream.writeTag(kTagFlags) && stream.writeShort(static_cast<int16_t>(flags()));
  if (ok && title_ != nullptr) {
    if (title_->isKindOf(Text::desc())) {
      const Text* t = static_cast<const Text*>(title_);
      if (t->length() > 0) {
        ok = stream.writeTag(kTagTitle) &&
             stream.writeString(t->chars(), static_cast<uint32_t>(t->length()));
      }
    } else {
      int n = title_->maxTextLength();
      char* text = n > 0 ? static_cast<char*>(allocate(static_cast<std::size_t>(n))) : nullptr;
      if (n > 0 && text == nullptr) return stream.failOutOfMemory();
      if (text != nullptr) {
        title_->asString(text, n);
        if (text[0] != '\0') ok = stream.writeTag(kTagTitle) && stream.writeString(text);
        deallocate(text);
      }
    }
  }
  if (ok && names_ != nullptr && names_->size() > 0) {
    ok = stream.writeTag(kTagNames) && stream.writeObject(*names_);
  }
  if (ok) ok = stream.writeTag(kTagRows) && stream.writeLong(rows_);
  if (ok) ok = stream.writeTag(kTagCols) && stream.writeLong(cols_);
  if (ok && cells_.size() > 0) ok = stream.writeTag(kTagCells) && stream.writeObject(cells_);
  if (ok && rowStatus_.size() > 0) {
    ok = stream.writeTag(kTagRowStatus) && stream.writeObject(rowStatus_);
  }
  if (ok && columnInfo_.size() > 0) {
    ok = stream.writeTag(kTagColumnInfo) && stream.writeObject(columnInfo_);
  }
  return ok && stream.writeTag(kTagEnd);
}

bool Table::streamIn(TableStream& stream) {
  StatusHolder st;
  int32_t rows = 0;
  int32_t cols = 0;
  for (;;) {
    uint8_t tag = 0;
    if (!stream.readTag(tag)) return false;
    switch (tag) {
      case kTagEnd: {
        int64_t cells = static_cast<int64_t>(rows) * cols;
        if (rows < 0 || cols < 0 || cells > INT32_MAX) return stream.fail(kXioBadAttributeType);
        // The cells come with the table: sizes without them are refused
        // rather than allocated ahead of any bytes.
        if (cells_.size() != static_cast<uint64_t>(cells) && !(cells == 0 && cells_.size() == 0)) {
          return stream.fail(kXioBadAttributeType);
        }
        if (cells == 0 && cells_.size() > 0) return stream.fail(kXioBadAttributeType);
        if (rowStatus_.size() != 0 && rowStatus_.size() != static_cast<uint32_t>(rows)) {
          return stream.fail(kXioBadAttributeType);
        }
        if (columnInfo_.size() != 0 && columnInfo_.size() != static_cast<uint32_t>(cols)) {
          return stream.fail(kXioBadAttributeType);
        }
        rows_ = rows;
        cols_ = cols;
        cellCount_ = static_cast<int32_t>(cells_.size());
        if (st.st != nullptr) {
          setStatus(st.st);
        } else {
          setStatus(successStatus());
        }
        return true;
      }
      case kTagStatus:
        if (!readStatusInto(stream, st)) return false;
        break;
      case kTagFlags: {
        int16_t f = 0;
        if (!stream.readShort(f)) return false;
        setFlags(static_cast<uint16_t>(f));
        break;
      }
      case kTagTitle: {
        StringHolder text;
        if (!stream.readString(text.s, &text.n)) return false;
        Text* title = new (std::nothrow) Text(text.s);
        if (title == nullptr || title->status() == outOfMemoryStatus()) {
          if (title != nullptr) title->release();
          return stream.failOutOfMemory();
        }
        if (title_ != nullptr) title_->release();
        title_ = title;
        break;
      }
      case kTagNames: {
        NameCltn* names = nullptr;
        if (!readObjectOf(stream, names)) return false;
        if (names_ != nullptr) names_->release();
        names_ = names;
        break;
      }
      case kTagRows:
        if (!stream.readLong(rows)) return false;
        break;
      case kTagCols:
        if (!stream.readLong(cols)) return false;
        break;
      case kTagCells:
      case kTagRowStatus:
      case kTagColumnInfo: {
        MemArray* received = nullptr;
        if (!readObjectOf(stream, received)) return false;
        MemArray& mine = tag == kTagCells       ? cells_
                         : tag == kTagRowStatus ? rowStatus_
                                                : columnInfo_;
        bool swapped = received->typeTag() == mine.typeTag() && received->size() > 0 &&
                       mine.size() == 0 && mine.swap(*received);
        received->release();
        if (!swapped) return stream.fail(kXioBadAttributeType);
        break;
      }
      default:
        return stream.fail(kXioBadAttribute);
    }
  }
}

}  // namespace dv
