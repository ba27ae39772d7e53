// OrderedCltn: a growable sequence of object pointers, appended at the end
// and insertable anywhere; its storage grows by 32 slots when full.
#ifndef DV_OBJECT_ORDEREDCLTN_H_
#define DV_OBJECT_ORDEREDCLTN_H_

#include <cstdint>

#include "object/ArrayOb.h"
#include "object/SeqCltn.h"

namespace dv {

class OrderedCltn : public SeqCltn {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(OrderedCltn)

 public:
  static constexpr int32_t kDefaultCapacity = 16;
  static constexpr int32_t kGrowth = 32;

  explicit OrderedCltn(int32_t capacity = kDefaultCapacity);
  OrderedCltn(const OrderedCltn&) = default;
  OrderedCltn& operator=(const OrderedCltn&) = default;

  // Element i; an index outside 0..size()-1 reports [INDEXRANGE] and answers
  // nil() (and a scratch slot for the writable form).
  Object*& operator[](int32_t i);
  Object* at(int32_t i) const override;

  // Inserts ob at position k (0 <= k <= size(), [INDEXRANGE] otherwise),
  // growing the storage by 32 slots when it is full; returns ob, or nil() when
  // nothing was inserted.
  virtual Object* addAtIndex(int32_t k, Object& ob);
  // Inserts next after (before) the first element equal to existing;
  // [OBNOTFOUND] when there is none.
  virtual Object* addAfter(const Object& existing, Object& next);
  virtual Object* addBefore(const Object& existing, Object& next);
  // Appends every element of c; returns c.
  virtual const Collection& addAllLast(const Collection& c);
  // Appends ob; returns ob, or nil() when memory ran out.
  virtual Object* addLast(Object& ob);
  // The element after (before) the first one equal to ob; nil() when it is the
  // last (first); [OBNOTFOUND] when ob is absent.
  Object* after(const Object& ob) const;
  Object* before(const Object& ob) const;
  // The first and last elements; [CLTNEMPTY] and nil() when empty.
  Object* first() const;
  Object* last() const;
  // Takes the last element out and returns it; [CLTNEMPTY] and nil() when empty.
  Object* removeLast();
  // Takes element k out and returns it.
  Object* removeAtIndex(int32_t k);
  // Makes every element ob.
  virtual void atAllPut(Object& ob);
  // The first position from start at which the elements of sub occur in a
  // row, or -1.
  virtual int32_t indexOfSubCollection(const SeqCltn& sub, int32_t start = 0) const;
  // Replaces elements start..stop with those of replacement from startAt on.
  virtual void replaceFrom(int32_t start, int32_t stop, const SeqCltn& replacement,
                           int32_t startAt = 0);
  // Orders the elements by their compare.
  virtual void sort();
  // A new collection with this one's elements then other's, owned by the caller.
  virtual OrderedCltn* operator&(const SeqCltn& other) const;

  // Collection interface.
  Object* add(Object& ob) override;  // appends
  // Grows the storage once when needed, then adds each element of c with add.
  const Collection& addAll(const Collection& c) override;
  // Takes the first element equal to ob out; [REMOVEERR] and nil() when absent.
  Object* remove(const Object& ob) override;
  // Makes room for n elements (never fewer than it holds); returns the capacity.
  int32_t reSize(int32_t n) override;

  // Object interface.
  Object* shallowCopy() const override;
  void deepenShallowCopy() override;
  uint32_t size() const override;
  uint32_t capacity() const override;
  uint32_t hash() const override;  // count exclusive-or the elements' hashes

 protected:
  // Inserts without the checks a subclass may add to addAtIndex.
  Object* insertAt(int32_t k, Object& ob);
  // The reader of a subclass whose elements must be instances of elementClass.
  OrderedCltn(OIOin& stream, const Class* elementClass);

 private:
  int32_t endIndex_ = 0;
  ArrayOb contents_;
};

}  // namespace dv

#endif  // DV_OBJECT_ORDEREDCLTN_H_
