// MemArray: a growable array of fixed-size elements whose behaviour (default
// state, release, stream forms, copying from a table) comes from a shared
// table of element operations. Tables keep their cells, row statuses and
// column information in three of them; the value stream writes and reads
// them whole under their stream type number.
//
// An element size of 0 makes the array inert: every resize succeeds and
// nothing is ever stored. Element copies move 4 bytes at a time when the size
// is a multiple of 4, else 2 when it is even. The block comes from
// dv::allocate; shrinking never fails (a smaller block is taken only when it
// saves at least half of the old one, and the old one is kept when that
// allocation fails).
#ifndef DV_TABLE_MEMARRAY_H_
#define DV_TABLE_MEMARRAY_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class AbsTable;

// The element operations, in their fixed order. Any entry may be null.
struct MemArrayOps {
  // Puts the element in its default state; when null its bytes are zeroed.
  void (*init)(void* element);
  // Drops what the element holds (it is put back in its default state after).
  void (*release)(void* element);
  // Object-stream forms: the readers fill an element that is in its default
  // state and report damaged input on the stream.
  void (*readText)(void* element, OIOin& stream);
  void (*store)(const void* element, OIOout& stream);
  void (*readBinary)(void* element, OIOinbin& stream);
  void (*storeBinary)(const void* element, OIOoutbin& stream);
  // Sets an element in its default state from entry `index` of a table.
  void (*copyFrom)(void* element, const AbsTable& src, uint32_t index);
  // Value-stream forms; false when the stream failed.
  bool (*writeTagged)(const void* element, TableStream& stream);
  bool (*readTagged)(void* element, TableStream& stream);
};

class MemArray : public Object {
  DV_CLASS_MEMBERS()

 public:
  // The stream type numbers of the arrays a table holds.
  static constexpr int32_t kCellsTypeTag = 12;
  static constexpr int32_t kRowStatusTypeTag = 13;
  static constexpr int32_t kNotStreamable = -1;
  // Tags of the value-stream form: the element count, each element, the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagCount = 1;
  static constexpr uint8_t kTagElement = 2;

  // initialCount elements in their default state. When the block cannot be
  // allocated the array is empty. REQUIRES: ops (may be null) outlives the array.
  MemArray(uint32_t elementSize, const MemArrayOps* ops, uint32_t initialCount, int32_t typeTag);
  // The same element size, operations, type tag and count. Elements without a
  // release operation are copied byte for byte; elements with one start in
  // their default state, since a byte copy would hand what each holds to two
  // owners. When the block cannot be allocated the copy is empty.
  MemArray(const MemArray& prototype);
  MemArray& operator=(const MemArray&) = delete;
  // Releases every element and frees the block.
  ~MemArray() override;

  uint32_t elementSize() const { return elementSize_; }
  uint32_t count() const { return count_; }
  bool isEmpty() const { return count_ == 0; }
  const MemArrayOps* ops() const { return ops_; }
  int32_t typeTag() const { return typeTag_; }
  // The block (count() elements), or null.
  void* data() const { return data_; }

  // Makes the array newCount elements long. Elements from newCount on are
  // released; new elements are zeroed when zeroFirst and then put in their
  // default state. False, with nothing changed, when the block cannot grow.
  [[nodiscard]] bool resize(uint32_t newCount, bool zeroFirst = false);
  // Element index, or null when index is not below count() or there is no block.
  void* at(uint32_t index) const;
  // Copies one element's bytes into element i without releasing what it
  // held. False for a null source or a bad index.
  bool set(uint32_t i, const void* bytes);
  // Puts element i in its default state without releasing what it held.
  bool reinit(uint32_t i);
  // Puts n elements from first in their default state without releasing.
  bool reinitRange(uint32_t first, uint32_t n);
  // Releases element i, then puts it in its default state.
  bool releaseAt(uint32_t i);
  // Copies the bytes of element from over element to (without releasing
  // what to held), then puts from in its default state. True also when from
  // equals to, which changes nothing.
  bool move(uint32_t from, uint32_t to);
  // Exchanges blocks and counts with other when both have the same non-zero
  // element size and the same operations.
  bool swap(MemArray& other);
  // Releases n elements from first, moves the rest down and shrinks.
  bool removeRange(uint32_t first, uint32_t n);
  // Grows by n default elements at position at, moving the elements from at
  // up by n. False, with nothing changed, when the block cannot grow.
  [[nodiscard]] bool insertGap(uint32_t at, uint32_t n);
  // Releases element i and sets it from entry srcIndex of src through the
  // copy operation; false when there is none or i is out of range.
  bool copyFrom(uint32_t i, const AbsTable& src, uint32_t srcIndex);

  // The per-element stream calls; false for a bad index or a missing operation.
  bool storeElement(uint32_t i, OIOout& stream) const;
  bool storeElement(uint32_t i, OIOoutbin& stream) const;
  bool readElement(uint32_t i, OIOin& stream);
  bool readElement(uint32_t i, OIOinbin& stream);
  bool writeTaggedElement(uint32_t i, TableStream& stream) const;
  bool readTaggedElement(uint32_t i, TableStream& stream);

  // For owners that place elements themselves. moveBytes copies the bytes of
  // n elements from index from to index to (the ranges may overlap) and runs
  // no element operation. REQUIRES: both ranges lie within count().
  void moveBytes(uint32_t from, uint32_t to, uint32_t n);
  // Takes over block, count elements from dv::allocate (null for 0), and
  // frees the old block without releasing its elements. REQUIRES: the owner
  // has moved or released every old element, and every element of block is
  // in a valid state.
  void replaceBlock(void* block, uint32_t count);

  // Object interface.
  Object* shallowCopy() const override;  // a new copy (see the copy constructor)
  // Element size, then count, then the bytes.
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;  // "MemArray(count=N, elementSize=S)"
  uint32_t size() const override;                  // count()
  uint32_t capacity() const override;              // elements the block has room for
  int streamTypeNumber() const override;           // typeTag()
  // A new empty array of the same layout, owned by the caller; null when
  // allocation fails or the array is not streamable.
  Object* newForStream() const override;
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  struct LayoutOnly {};
  MemArray(const MemArray& prototype, LayoutOnly);
  uint8_t* element(uint32_t i) const { return data_ + static_cast<std::size_t>(i) * elementSize_; }
  std::size_t bytesFor(uint32_t n) const { return static_cast<std::size_t>(n) * elementSize_; }
  void initRange(uint32_t first, uint32_t n, bool zeroFirst);
  void releaseRange(uint32_t first, uint32_t n);
  // Shrinks the block to count_ when that saves at least half of it.
  void trim();

  uint32_t elementSize_;
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
  uint8_t* data_ = nullptr;
  const MemArrayOps* ops_;
  int32_t typeTag_;
};

}  // namespace dv

#endif  // DV_TABLE_MEMARRAY_H_
