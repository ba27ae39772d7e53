// Set: an unordered collection of distinct elements (by isEqual) in an open
// hash table of 2^nbits slots, with multiplicative hashing, a downward linear
// probe and deletion that repairs the probe chain (no tombstones). IdentSet
// compares its elements by identity.
#ifndef DV_OBJECT_SET_H_
#define DV_OBJECT_SET_H_

#include <cstdint>
#include <iosfwd>

#include "object/ArrayOb.h"
#include "object/Collection.h"

namespace dv {

class Set : public Collection {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Set)

 public:
  static constexpr int32_t kDefaultSize = 16;
  // The most elements a set is sized for: its table then has 2^30 slots.
  static constexpr int32_t kMaxSize = int32_t{1} << 29;

  // Room for size elements before the table grows: the table has 2^nbits
  // slots, nbits being the bits of size, one more when size is not a power of
  // two. A size of 0 or less reports [ALLOCSIZE] and is taken as 1.
  explicit Set(int32_t size = kDefaultSize);
  Set(const Set& other) = default;
  Set& operator=(const Set& other) = default;

  // Collection interface.
  // Stores ob unless an equal element is there; returns the element held. The
  // table doubles when the count exceeds the capacity.
  Object* add(Object& ob) override;
  // Takes the equal element out and returns it; an absent one prints the
  // set's dump to standard output and reports [REMOVEERR].
  Object* remove(const Object& ob) override;
  uint32_t occurrencesOf(const Object& ob) const override;  // 0 or 1
  // Rehashes into the table for n elements when n exceeds the count; returns n,
  // or the count when the elements cannot be moved.
  int32_t reSize(int32_t n) override;
  Object* iterNext(Iterator& it) const override;

  // The stored element equal to ob, or nil().
  Object* findObject(const Object& ob) const;

  // Object interface.
  Object* shallowCopy() const override;
  void deepenShallowCopy() override;
  uint32_t size() const override;                   // the count
  uint32_t capacity() const override;               // half the slots
  int compare(const Object& other) const override;  // refused: sets are not ordered
  uint32_t hash() const override;                   // exclusive-or of the elements' hashes
  bool isEqual(const Object& other) const override;
  // "(count=.. nbits=.. mask=..)", the size and capacity, then every slot.
  void dumpOn(std::ostream& out) const override;

  int32_t slotCount() const { return mask_ + 1; }
  int32_t nbits() const { return nbits_; }

 protected:
  // The slot for ob: where it is, or the empty slot where it would go; kFull
  // when neither exists (only after growing failed for want of memory).
  virtual int32_t findIndexOf(const Object& ob) const;
  static constexpr int32_t kFull = -1;
  // The hash position function of the table.
  int32_t h(uint32_t x) const;
  // The position of an element, as findIndexOf reads it.
  virtual int32_t positionOf(const Object& ob) const;
  // The class named in the remove diagnostic ("Set").
  virtual const char* removeDiagnosticName() const;
  // The first dump line.
  void dumpCounts(std::ostream& out) const;
  // Reader constructors of the derived classes start empty and read the
  // elements in their own body, where add and the probe are already theirs.
  struct DeferRead {};
  Set(OIOin& stream, DeferRead);
  // Reads the count and the elements; an element that is no instance of
  // elementClass (when given) is damaged input.
  void readElements(OIOin& stream, const Class* elementClass = nullptr);

  ArrayOb& contents() { return contents_; }
  const ArrayOb& contents() const { return contents_; }
  int32_t count_ = 0;

 private:
  void setSizing(int32_t size);

  int32_t nbits_ = 0;
  int32_t mask_ = 0;
  ArrayOb contents_;
};

// A Set whose elements are equal only when they are the same object.
class IdentSet : public Set {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(IdentSet)

 public:
  explicit IdentSet(int32_t size = kDefaultSize) : Set(size) {}
  Object* shallowCopy() const override;

 protected:
  int32_t findIndexOf(const Object& ob) const override;
  int32_t positionOf(const Object& ob) const override;
};

}  // namespace dv

#endif  // DV_OBJECT_SET_H_
