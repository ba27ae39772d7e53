// NameCltn: the column names of a table, a KeySortCltn of associations from
// a name (Text) to a column number (Integer), kept in ascending name order.
// Several columns may carry the same name and one column several names; an
// added name goes after every entry whose name compares equal.
//
// The collection owns its entries: each association is its own, and it holds
// one reference on each name and number. So its mutators are the ones below;
// the generic ones that would store or drop an association without that
// bookkeeping (add, remove, removeAtIndex, ...) are refused.
//
// Stored form: an empty association list (the KeySortCltn part), then the
// entry count and, for each entry in name order, the name's characters and
// the column number. Names travel by value, so a stored collection never
// refers to other objects.
#ifndef DV_TABLE_NAMECLTN_H_
#define DV_TABLE_NAMECLTN_H_

#include <cstdint>

#include "object/Integer.h"
#include "object/KeySortCltn.h"
#include "object/LookupKey.h"

namespace dv {

class Text;

class NameCltn : public KeySortCltn {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(NameCltn)

 public:
  // The stream type number, and the capacity of the registered prototype.
  static constexpr int kStreamTypeNumber = 11;
  static constexpr int32_t kPrototypeCapacity = 16;
  // Tags of the value-stream form: a name (string), its column (long), the end.
  static constexpr uint8_t kTagEnd = 0;
  static constexpr uint8_t kTagName = 1;
  static constexpr uint8_t kTagColumn = 2;

  explicit NameCltn(int32_t capacity = kDefaultCapacity);
  NameCltn(const NameCltn&) = delete;
  NameCltn& operator=(const NameCltn&) = delete;
  // Removes every entry, releasing its name and number.
  ~NameCltn() override;

  // A new collection, owned by the caller, holding the same name texts, each
  // mapped to a new Integer with the same column number; null when memory
  // runs out.
  static NameCltn* copyOf(const NameCltn& source);

  // Adds name for column: takes one reference on each and inserts the
  // association after every entry whose name compares equal. False, with
  // nothing taken, when memory runs out or an argument is null.
  [[nodiscard]] bool add(Text* name, Integer* column);
  // Removes the entry at index (name order), dropping the collection's
  // references on its name and number. False for a bad index.
  bool removeAt(int32_t index);
  // Gives the entry at index the name newName (a reference is taken, the old
  // name's dropped) and moves it to its place in name order, after every
  // entry whose name compares equal. Allocates nothing. False for a bad
  // index or a null name.
  bool renameAt(int32_t index, Text* newName);
  // The name and column of the entry at index. REQUIRES: 0 <= index < size().
  const Text& nameAt(int32_t index) const;
  int32_t columnAt(int32_t index) const;
  // The column's Integer, which only this collection holds when the
  // collection is not shared, so a table may renumber it in place.
  Integer& columnObjectAt(int32_t index) const;
  // The position of an entry whose name is name (binary search, exact), or -1.
  int32_t indexOfName(const Text& name) const;

  // Refused: each reports [ILLEGALMFCN] and changes nothing.
  Object* add(Object& ob) override;
  Object* remove(const Object& ob) override;
  const Collection& addAll(const Collection& c) override;
  Object* removeAtIndex(int32_t k) = delete;
  Object* removeLast() = delete;

  // Object interface.
  // copyOf(*this); null when memory runs out.
  Object* shallowCopy() const override;
  // Gives every entry its own copy of its name.
  void deepenShallowCopy() override;
  int streamTypeNumber() const override;  // 11
  Object* newForStream() const override;  // a new empty collection
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  // The association at index, as the collection keeps it.
  Assoc& entry(int32_t index) const;
  // Releases and destroys every entry.
  void dropEntries();
};

// The empty collection that tables hand out when they have no names
// (count -1, built before main runs). It must not be changed.
const NameCltn* sharedEmptyNames();

}  // namespace dv

#endif  // DV_TABLE_NAMECLTN_H_
