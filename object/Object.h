// The root of every class of the value library: a reference-counted object
// with the common virtual interface that collections, streams and typed values
// call through, the class tests and error reports, the checked downward cast,
// and the library start-up that the first object construction triggers.
//
// The virtual operations are declared in their fixed slot order: 0 and 1
// belong to the reference-counted root, 2 to 29 to Object; derived
// hierarchies add theirs from slot 30 on.
#ifndef DV_OBJECT_OBJECT_H_
#define DV_OBJECT_OBJECT_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <new>

namespace dv {

class Class;
class OIOin;
class OIOinbin;
class OIOout;
class OIOoutbin;
class OrderedCltn;
class TableStream;

// The library start-up counter. Every object construction and every
// construction of the framework's other classes (catch regions, cleanup
// records, exception actions, object streams) holds one count; the first count
// ever taken initialises the library: the framework's error facility "NIHCL"
// and the report options, the bit tables, and the nil object. Classes of the
// framework that are not objects hold a Startup member.
class Startup {
 public:
  Startup() { enter(); }
  ~Startup() { leave(); }
  Startup(const Startup&) { enter(); }
  Startup& operator=(const Startup&) { return *this; }

  static void enter();
  static void leave();
  // Runs the library start-up if it has not run yet.
  static void ensure();
  // The current count.
  static int count();
  // How often the start-up ran: 0 before the first count, 1 ever after.
  static int initializations();
};

// Number of allocations of objects whose constructors have not run yet that
// are remembered for heap detection.
inline constexpr int kPendingAllocations = 49;

class Object {
 public:
  // Objects are allocated through the library's allocation routine, which
  // records each block so that the constructor can tell a heap object (count
  // 1) from a static, automatic or member one (count -1). The plain form
  // throws std::bad_alloc when allocation fails; the nothrow form answers null.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* block) noexcept;
  static void operator delete(void* block, const std::nothrow_t&) noexcept;

  // Slot 0: with a count of 1 or more, drops one; the last reference destroys
  // the object. Objects not owned by counting (count -1) ignore it.
  virtual void release() const;
  // Slot 1.
  virtual ~Object();
  // Slot 2: the class's descriptor.
  virtual const Class* isA() const = 0;
  // Slot 3: a new instance made by the class's copy constructor, owned by the caller.
  virtual Object* shallowCopy() const = 0;
  // Slots 4 and 5: the tagged value-stream form; false when the class has none.
  virtual bool streamOut(TableStream& stream) const;
  virtual bool streamIn(TableStream& stream);
  // Slot 6: the number the class's prototype is registered under; -1 for none.
  virtual int streamTypeNumber() const;
  // Slot 7: a new default instance to read a streamed value into; null for none.
  virtual Object* newForStream() const;
  // Slots 8 and 9: write the object to an object stream. The root reports
  // should-not-implement for "storer".
  virtual void storer(OIOout& stream) const;
  virtual void storer(OIOoutbin& stream) const;
  // Slot 10: makes dependent depend on this object; returns it.
  virtual Object* addDependent(Object& dependent);
  // Slot 11.
  virtual uint32_t capacity() const;
  // Slot 12: calls update(*this, arg) on every dependent, in order.
  virtual void changed(const Object& arg);
  // Slot 13: changed(*nil()).
  virtual void changed();
  // Slot 14: three-way order (negative, 0, positive).
  virtual int compare(const Object& other) const = 0;
  // Slot 15: shallowCopy().
  virtual Object* copy() const;
  // Slot 16: replaces the shared parts of a fresh shallow copy by deep copies;
  // the root has none.
  virtual void deepenShallowCopy();
  // Slot 17: a new ordered collection of the dependents, owned by the caller.
  virtual OrderedCltn* dependents() const;
  // Slot 18: destroys the object. REQUIRES: it was made with new.
  virtual void destroy();
  // Slot 19: class name, "[", printOn, "]" and an end of line.
  virtual void dumpOn(std::ostream& out) const;
  // Slot 20: a hash consistent with isEqual.
  virtual uint32_t hash() const = 0;
  // Slot 21: equality of value.
  virtual bool isEqual(const Object& other) const = 0;
  // Slot 22: reports derived-class responsibility for "scanFrom".
  virtual void scanFrom(std::istream& in);
  // Slot 23: a readable form, without an end of line.
  virtual void printOn(std::ostream& out) const = 0;
  // Slot 24: forgets every dependent of this object.
  virtual void releaseDependents();
  // Slot 25: removes one dependent; returns it, or nil() when it was not one.
  virtual Object* removeDependent(const Object& dependent);
  // Slot 26.
  virtual uint32_t size() const;
  // Slot 27: isA().
  virtual const Class* species() const;
  // Slot 28: told by changed() of an object this one depends on; reports
  // derived-class responsibility for "update".
  virtual void update(const Object& dependee, const Object& arg);
  // Slot 29: this object, seen as an instance of `target`, when it is one;
  // otherwise null. Each class answers for its own descriptor and defers to its
  // bases.
  virtual void* _castdown(const Class& target) const;

  // Adds a reference to a counted object (count 1 or more); others stay at -1.
  void addRef() const;
  // 1 or more: holders of a heap object; -1: not owned by counting; 0: being destroyed.
  int32_t refCount() const { return refCount_; }

  const char* className() const;
  // species() is descriptor.
  bool isSpecies(const Class& descriptor) const;
  // descriptor is isA() or one of its base classes, recursively.
  bool isKindOf(const Class& descriptor) const;

  // A copy in which shared parts stay shared, owned by the caller.
  Object* deepCopy() const;
  // Writes the object to an object stream, once: an object met again within
  // the same outermost storeOn is written as a reference to the first.
  void storeOn(OIOout& stream) const;
  void storeOn(OIOoutbin& stream) const;
  // Writes the object as a part of the one being stored: its contents only,
  // through its storer. Only inside a storeOn ([BADSTMBR] otherwise); an object
  // stored before by reference reports [STMBRREF].
  void storeMemberOn(OIOout& stream) const;
  void storeMemberOn(OIOoutbin& stream) const;

  // Error reports: each raises the named framework error with this object's
  // address and class name.
  // [DRVDCLASSRSP] `operation` must be implemented by the derived class.
  void derivedClassResponsibility(const char* operation) const;
  // [ILLEGALMFCN] the class refuses `operation`.
  void shouldNotImplement(const char* operation) const;
  // [BADARGCL] this object was passed to function `function` where an
  // instance of `expected` was required.
  void invalidArgClass(const Class& expected, const char* function) const;
  // [BADARGCLM] arg was passed to this object's member function `function`.
  void invalidArgClass(const Object& arg, const Class& expected, const char* function) const;
  // [BADARGSP] and [BADARGSPM]: as invalidArgClass, for species.
  void invalidArgSpecies(const Class& expected, const char* function) const;
  void invalidArgSpecies(const Object& arg, const Class& expected, const char* function) const;
  // [BADCLASS] this object should have been an instance of `expected`.
  void invalidClass(const Class& expected) const;
  // [BADSPEC] this object should have been of species `expected`.
  void invalidSpecies(const Class& expected) const;
  // Reports [BADARGSPM] naming `operation` unless arg.isSpecies(descriptor).
  // Returns whether arg passed, for callers that go on after a report.
  bool assertArgSpecies(const Object& arg, const Class& descriptor, const char* operation) const;
  // Reports [BADARGCLM] naming `operation` unless arg.isKindOf(descriptor).
  // Returns whether arg passed.
  bool assertArgClass(const Object& arg, const Class& descriptor, const char* operation) const;
  // [BADCASTDN] this object is no instance of `target`.
  void invalidCastdown(const Class& target) const;
  // For a class with two bases: the answer of _castdown from the results of
  // its bases; two different non-null results report [AMBIGCASTDN].
  void* castdownBases(const Class& target, void* first, void* second) const;

  // Readers for classes whose objects cannot be read from object streams.
  // [RDABSTCLASS] and [RDUNKCLASS] with the class name.
  static void readAbstractClass(const char* name);
  static void readUnknownClass(const char* name);

  // The descriptor of Object itself.
  static const Class& desc();

 protected:
  Object();
  // A copy is a new object: its count is decided as for any construction.
  Object(const Object&);
  // Assignment keeps each object's own count.
  Object& operator=(const Object&) { return *this; }

  // The root part of every reader constructor: it enters a top-level object
  // in the stream's read table.
  explicit Object(OIOin& stream);
  explicit Object(OIOinbin& stream);

 private:
  void startLife();
  bool enterAsMember(OIOout& stream) const;

  Startup startup_;
  mutable int32_t refCount_;
};

namespace internal {
// Set by the library start-up; read on every look at a collection slot.
extern Object* nilObject;
// True while some object has dependents: a destroyed object then drops its own.
extern bool anyDependents;
void forgetDependentsOf(Object* ob);
Object* startLibraryForNil();
}  // namespace internal

// The single object of class Nil: an empty slot, or no object. Runs the
// library start-up when it has not run.
inline Object* nil() {
  Object* n = internal::nilObject;
  return n != nullptr ? n : internal::startLibraryForNil();
}

// The checked downward cast: object as a T, or null after reporting
// [BADCASTDN] when it is none.
template <class T>
T* castdown(const Object* object) {
  void* p = object->_castdown(T::desc());
  if (p == nullptr) {
    object->invalidCastdown(T::desc());
    return nullptr;
  }
  return static_cast<T*>(p);
}

}  // namespace dv

#endif  // DV_OBJECT_OBJECT_H_
