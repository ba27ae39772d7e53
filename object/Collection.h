// The abstract collection of objects and the interface every container of the
// framework serves: adding, removing and finding elements, iteration and
// conversion into the other kinds of collections. Containers hold pointers to
// objects and never own them: adding stores the pointer, removing hands it
// back, destroying a container destroys none of its elements. Empty slots
// hold nil(), never a null pointer.
#ifndef DV_OBJECT_COLLECTION_H_
#define DV_OBJECT_COLLECTION_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class ArrayOb;
class Iterator;
class OrderedCltn;
class Set;
class SortedCltn;

class Collection : public Object {
  DV_CLASS_MEMBERS()

 public:
  // The collection interface, in its slot order after the object's.
  // Stores ob (or finds an equal element); returns what the collection holds.
  virtual Object* add(Object& ob) = 0;
  // Adds every element of c; returns c.
  virtual const Collection& addAll(const Collection& c);
  // Adds every element of this collection to c; returns c.
  virtual Collection& addEachTo(Collection& c) const;
  // Takes an element equal to ob out; returns it.
  virtual Object* remove(const Object& ob) = 0;
  // Removes every element of c; returns c.
  virtual const Collection& removeAll(const Collection& c);
  virtual bool includes(const Object& ob) const;
  virtual bool isEmpty() const;
  virtual uint32_t occurrencesOf(const Object& ob) const = 0;
  // Makes room for n elements; returns the new size or capacity.
  virtual int32_t reSize(int32_t n) = 0;
  // The iteration protocol served to Iterator.
  virtual void iterReset(Iterator& it) const;
  // The next element, or null at the end.
  virtual Object* iterNext(Iterator& it) const = 0;
  // Ends an iteration early or at its end; by default nothing to release.
  virtual void iterFinish(Iterator& it) const;
  // Conversions: a fresh collection of the given kind holding the elements,
  // owned by the caller.
  virtual ArrayOb* asArrayOb() const;
  virtual OrderedCltn* asOrderedCltn() const;
  virtual Set* asSet() const;
  virtual SortedCltn* asSortedCltn() const;

  // Object interface.
  // Class name, "[", each element's printOn in iteration order, "]\n".
  void printOn(std::ostream& out) const override;

 protected:
  Collection() = default;
  explicit Collection(OIOin& stream) : Object(stream) {}
  Collection(const Collection&) = default;
  Collection& operator=(const Collection&) = default;
};

}  // namespace dv

#endif  // DV_OBJECT_COLLECTION_H_
