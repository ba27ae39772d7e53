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

  // With a count of 1 or more, drops one; the last reference destroys
  // the object. Objects not owned by counting (count -1) ignore it.
  virtual void release() const;
  // Drops the object's dependents; the count reads 0 while it is destroyed.
  virtual ~Object();
  // The class's descriptor.
  virtual const Class* isA() const = 0;
  // A new instance made by the class's copy constructor, owned by the caller.
  virtual Object* shallowCopy() const = 0;
  // The tagged value-stream form; false when the class has none.
  virtual bool streamOut(TableStream& stream) const;
  virtual bool streamIn(TableStream& stream);
  // The number the class's prototype is registered under; -1 for none.
  virtual int streamTypeNumber() const;
  // A new default instance to read a streamed value into; null for none.
  virtual Object* newForStream() const;
  // Write the object to an object stream. The root reports
  // should-not-implement for "storer".
  virtual void storer(OIOout& stream) const;
  virtual void storer(OIOoutbin& stream) const;
  // Makes dependent depend on this object; returns it.
  virtual Object* addDependent(Object& dependent);
  // How many elements the object has room for; 0 for objects that hold none.
  virtual uint32_t capacity() const;
  // Calls update(*this, arg) on every dependent, in order.
  virtual void changed(const Object& arg);
  // changed(*nil()).
  virtual void changed();
  // Three-way order (negative, 0, positive).
  virtual int compare(const Object& other) const = 0;
  // A copy owned by the caller: shallowCopy().
  virtual Object* copy() const;
  // Replaces the shared parts of a fresh shallow copy by deep copies;
  // the root has none.
  virtual void deepenShallowCopy();
  // A new ordered collection of the dependents, owned by the caller.
  virtual OrderedCltn* dependents() const;
  // Destroys the object. REQUIRES: it was made with new.
  virtual void destroy();
  // Writes the class name, "[", printOn, "]" and an end of line.
  virtual void dumpOn(std::ostream& out) const;
  // A hash consistent with isEqual.
  virtual uint32_t hash() const = 0;
  // Equality of value.
  virtual bool isEqual(const Object& other) const = 0;
  // Reading from a text stream: reports derived-class responsibility for "scanFrom".
  virtual void scanFrom(std::istream& in);
  // Writes a readable form, without an end of line.
  virtual void printOn(std::ostream& out) const = 0;
  // Forgets every dependent of this object.
  virtual void releaseDependents();
  // Removes one dependent; returns it, or nil() when it was not one.
  virtual Object* removeDependent(const Object& dependent);
  // How many elements the object holds; 0 for objects that hold none.
  virtual uint32_t size() const;
  // The class that stands for this object's kind in comparisons: isA().
  virtual const Class* species() const;
  // Told by changed() of an object this one depends on; reports
  // derived-class responsibility for "update".
  virtual void update(const Object& dependee, const Object& arg);
  // This object, seen as an instance of `target`, when it is one;
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

// The text-form side of a binary stream (the binary classes derive from the
// text ones), for code that sees the stream classes only declared.
OIOin& textSide(OIOinbin& stream);
OIOout& textSide(OIOoutbin& stream);
}  // namespace dv

// Declares a class's object-stream members: the two reader constructors,
// which read the fields in the order the storer wrote them, and the two
// storers, which write them the same way in both forms. The class's source
// file defines the text-form pair.
#define DV_STREAM_MEMBERS(Name)                                           \
 public:                                                                  \
  explicit Name(::dv::OIOin& stream);                                     \
  explicit Name(::dv::OIOinbin& stream) : Name(::dv::textSide(stream)) {} \
  void storer(::dv::OIOout& stream) const override;                       \
  void storer(::dv::OIOoutbin& stream) const override {                   \
    storer(::dv::textSide(stream));                                       \
  }

#endif  // DV_OBJECT_OBJECT_H_
