// KeySortCltn: a SortedCltn of key/value associations kept in key order.
#ifndef DV_OBJECT_KEYSORTCLTN_H_
#define DV_OBJECT_KEYSORTCLTN_H_

#include <cstdint>

#include "object/SortedCltn.h"

namespace dv {

class KeySortCltn : public SortedCltn {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(KeySortCltn)

 public:
  explicit KeySortCltn(int32_t capacity = kDefaultCapacity) : SortedCltn(capacity) {}
  KeySortCltn(const KeySortCltn&) = default;

  // Inserts a new Assoc(key, value) in key order and returns it; the
  // collection does not own it.
  Object* addAssoc(Object& key, Object& value);
  // The index of an association whose key compares equal to key, or -1.
  int32_t indexOfKey(const Object& key) const;
  // The value at key, or nil().
  Object* atKey(const Object& key) const;
  // New collections, owned by the caller, of the keys and of the values in order.
  OrderedCltn* keys() const;
  OrderedCltn* values() const;
  // A new collection, owned by the caller, of the associations whose key is
  // not greater than key, in order.
  OrderedCltn* elementsUpTo(const Object& key) const;
  // How many associations have a key that compares equal to key.
  uint32_t occurrencesOfKey(const Object& key) const;

  // Elements must be LookupKeys ([BADARGCLM]).
  Object* add(Object& ob) override;

  Object* shallowCopy() const override;
};

}  // namespace dv

#endif  // DV_OBJECT_KEYSORTCLTN_H_
