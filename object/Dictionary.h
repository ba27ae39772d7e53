// Dictionary: a Set of key/value associations (LookupKey elements) looked up
// by key; IdentDict compares keys by identity. The dictionary does not own
// its associations: addAssoc makes them, removeKey hands them back.
#ifndef DV_OBJECT_DICTIONARY_H_
#define DV_OBJECT_DICTIONARY_H_

#include <cstdint>

#include "object/Set.h"

namespace dv {

class Dictionary : public Set {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Dictionary)

 public:
  explicit Dictionary(int32_t size = kDefaultSize) : Set(size) {}

  // Adds a new Assoc(key, value) and returns it. When the key is there
  // already, the new association is destroyed, [DUPKEY] is reported and the
  // existing association is returned.
  Object* addAssoc(Object& key, Object& value);
  // The value at key; nil() after reporting [KEYNOTFOUND] when it is absent.
  Object* atKey(const Object& key) const;
  // The association of key, or nil().
  Object* assocAt(const Object& key) const;
  // The key of the first association whose value isEqual value, or nil().
  Object* keyAtValue(const Object& value) const;
  bool includesKey(const Object& key) const;
  // Takes the association of key out and returns it (the caller owns it);
  // nil() after reporting [KEYNOTFOUND] when it is absent.
  Object* removeKey(const Object& key);

  // Collection interface: the elements must be LookupKeys ([BADARGCLM]).
  Object* add(Object& ob) override;
  Object* remove(const Object& ob) override;

  Object* shallowCopy() const override;

 protected:
  Dictionary(OIOin& stream, DeferRead) : Set(stream, DeferRead{}) {}
};

// A Dictionary that compares keys by identity.
class IdentDict : public Dictionary {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(IdentDict)

 public:
  explicit IdentDict(int32_t size = kDefaultSize) : Dictionary(size) {}
  Object* shallowCopy() const override;

  // The association whose key is the object key itself, or nil(); unlike
  // assocAt it makes no temporary object, so it may run while objects are
  // being destroyed.
  Object* assocOfKey(const Object& key) const;

 protected:
  int32_t findIndexOf(const Object& ob) const override;
  int32_t positionOf(const Object& ob) const override;
  const char* removeDiagnosticName() const override;
};

}  // namespace dv

#endif  // DV_OBJECT_DICTIONARY_H_
