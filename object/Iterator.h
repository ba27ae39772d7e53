// Iterator: walks any collection through the collection's iteration protocol.
// The collection decides what index, num and state mean for it.
#ifndef DV_OBJECT_ITERATOR_H_
#define DV_OBJECT_ITERATOR_H_

#include <cstdint>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class Collection;

class Iterator : public Object {
  DV_CLASS_MEMBERS()

 public:
  // Starts a walk over c, which must outlive the iterator.
  explicit Iterator(const Collection& c);
  Iterator(const Iterator& other);
  ~Iterator() override;
  Iterator& operator=(const Iterator&) = delete;

  // The next element, or null at the end; it also becomes the current object.
  Object* operator()();
  // Starts again from the beginning.
  void reset();

  const Collection& collection() const { return *collection_; }
  Object* current() const { return current_; }

  // The collection's view of the walk.
  int32_t index = 0;
  int32_t num = 0;
  Object* state;

  Object* shallowCopy() const override;
  int compare(const Object& other) const override;  // refused
  uint32_t hash() const override;
  // Same collection object, index and num, and equal states.
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;

 private:
  friend class Collection;
  const Collection* collection_;
  Object* current_ = nullptr;
};

}  // namespace dv

#endif  // DV_OBJECT_ITERATOR_H_
