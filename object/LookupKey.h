// Keys and key/value pairs, the elements of dictionaries and of KeySortCltn:
// LookupKey holds a key, Assoc a key and a value object, AssocInt a key and an
// integer value. Their equality, order and hash are those of their keys.
#ifndef DV_OBJECT_LOOKUPKEY_H_
#define DV_OBJECT_LOOKUPKEY_H_

#include <cstdint>

#include "object/Class.h"
#include "object/Integer.h"
#include "object/Object.h"

namespace dv {

class LookupKey : public Object {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(LookupKey)

 public:
  explicit LookupKey(Object& key);
  LookupKey(const LookupKey&) = default;

  Object* key() const { return key_; }
  // Replaces the key; returns the previous one.
  Object* setKey(Object& key);
  // The value; a bare LookupKey has none and reports derived-class
  // responsibility for "value".
  virtual Object* value() const;
  // Replaces the value; returns the previous one.
  virtual Object* setValue(Object& value);

  Object* shallowCopy() const override;
  void deepenShallowCopy() override;
  // Compares the keys. Reports [BADARGCLM] when other is no LookupKey.
  int compare(const Object& other) const override;
  uint32_t hash() const override;                    // the key's
  bool isEqual(const Object& other) const override;  // a LookupKey with an equal key
  void printOn(std::ostream& out) const override;    // the key's printOn
  // Class name, "[", the key's dump, "]\n"; pairs add "=>" and the value's dump.
  void dumpOn(std::ostream& out) const override;

 private:
  Object* key_;
};

// A key and a value object.
class Assoc : public LookupKey {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Assoc)

 public:
  Assoc(Object& key, Object& value);
  Assoc(const Assoc&) = default;

  Object* value() const override { return value_; }
  Object* setValue(Object& value) override;

  Object* shallowCopy() const override;
  void deepenShallowCopy() override;
  void printOn(std::ostream& out) const override;  // key "=>" value
  void dumpOn(std::ostream& out) const override;

 private:
  Object* value_;
};

// A key and an integer value.
class AssocInt : public LookupKey {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(AssocInt)

 public:
  explicit AssocInt(Object& key, int32_t value = 0);
  AssocInt(const AssocInt&) = default;

  // The value, an Integer held by the pair itself.
  Object* value() const override;
  // Takes the integer value of an Integer; returns the pair's Integer.
  Object* setValue(Object& value) override;
  int32_t intValue() const { return value_.value(); }
  void setIntValue(int32_t v) { value_.setValue(v); }

  Object* shallowCopy() const override;
  void printOn(std::ostream& out) const override;
  void dumpOn(std::ostream& out) const override;

 private:
  Integer value_;
};

}  // namespace dv

#endif  // DV_OBJECT_LOOKUPKEY_H_
