// SortedCltn: an OrderedCltn kept in ascending compare order. Equal elements
// keep their order of insertion, the newest last. The positional operations
// that could break the order are refused.
#ifndef DV_OBJECT_SORTEDCLTN_H_
#define DV_OBJECT_SORTEDCLTN_H_

#include <cstdint>

#include "object/OrderedCltn.h"

namespace dv {

class SortedCltn : public OrderedCltn {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(SortedCltn)

 public:
  explicit SortedCltn(int32_t capacity = kDefaultCapacity) : OrderedCltn(capacity) {}
  SortedCltn(const SortedCltn&) = default;

  // Inserts ob after every element that does not compare greater.
  Object* add(Object& ob) override;
  // Adds every element of c in order; returns c.
  const Collection& addAll(const Collection& c) override;

  // The index of an element that compares equal to ob, or of the last one
  // less than it; -1 when ob is less than every element (or there are none).
  int32_t findIndexOf(const Object& ob) const;

  // Refused: each reports [ILLEGALMFCN] naming itself, changes nothing and
  // returns a null result (nil(), -1 or a null pointer).
  Object* addAtIndex(int32_t k, Object& ob) override;
  Object* addAfter(const Object& existing, Object& next) override;
  Object* addBefore(const Object& existing, Object& next) override;
  const Collection& addAllLast(const Collection& c) override;
  Object* addLast(Object& ob) override;
  void atAllPut(Object& ob) override;
  int32_t indexOfSubCollection(const SeqCltn& sub, int32_t start = 0) const override;
  void replaceFrom(int32_t start, int32_t stop, const SeqCltn& replacement,
                   int32_t startAt = 0) override;
  void sort() override;
  OrderedCltn* operator&(const SeqCltn& other) const override;

  Object* shallowCopy() const override;

 protected:
  // The reader of a subclass whose elements must be instances of elementClass.
  SortedCltn(OIOin& stream, const Class* elementClass);
};

}  // namespace dv

#endif  // DV_OBJECT_SORTEDCLTN_H_
