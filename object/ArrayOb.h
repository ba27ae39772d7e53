// ArrayOb: a fixed-length array of object pointers, indexed from 0. New slots
// hold nil(). It is the storage of Set and OrderedCltn.
#ifndef DV_OBJECT_ARRAYOB_H_
#define DV_OBJECT_ARRAYOB_H_

#include <cstdint>

#include "object/Collection.h"

namespace dv {

class ArrayOb : public Collection {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(ArrayOb)

 public:
  static constexpr int32_t kDefaultSize = 16;

  // size slots, all nil(); a size below 1 gives one slot. When the array
  // cannot be allocated the ArrayOb has no slots (size() is 0).
  explicit ArrayOb(int32_t size = kDefaultSize);
  ArrayOb(const ArrayOb& other);
  ArrayOb& operator=(const ArrayOb& other);
  ~ArrayOb() override;

  // Slot i. An index outside 0..size()-1 reports [INDEXRANGE] and answers
  // slot 0 (or, without slots, a scratch slot holding nil()).
  Object*& operator[](int32_t i) {
    if (static_cast<uint32_t>(i) < static_cast<uint32_t>(size_)) return v_[i];
    return outOfRange();
  }
  Object* operator[](int32_t i) const { return const_cast<ArrayOb&>(*this)[i]; }

  // Moves count slots from position from to position to (the ranges may
  // overlap). REQUIRES: both ranges lie within the array.
  void moveSlots(int32_t from, int32_t to, int32_t count);

  // Orders the slots by the elements' compare (the first element's compare
  // with the second), with qsort.
  void sort();
  // Orders the first n slots only. REQUIRES: 0 <= n <= size().
  void sortFirst(int32_t n);
  void dumpOn(std::ostream& out) const override;

  // Collection interface. An ArrayOb has a fixed set of slots: add, remove and
  // occurrencesOf are refused as illegal member functions.
  Object* add(Object& ob) override;
  Object* remove(const Object& ob) override;
  uint32_t occurrencesOf(const Object& ob) const override;
  // Reallocates to max(n, 1) slots, new ones nil(); returns the new size, or
  // -1 (nothing changed) when the allocation fails.
  int32_t reSize(int32_t n) override;
  Object* iterNext(Iterator& it) const override;
  ArrayOb* asArrayOb() const override;

  // Object interface.
  Object* shallowCopy() const override;
  void deepenShallowCopy() override;
  uint32_t size() const override;
  uint32_t capacity() const override;
  int compare(const Object& other) const override;  // slot by slot
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;

 private:
  Object*& outOfRange();
  bool allocateSlots(int32_t n);
  void releaseSlots();

  Object** v_ = nullptr;
  int32_t size_ = 0;
};

}  // namespace dv

#endif  // DV_OBJECT_ARRAYOB_H_
