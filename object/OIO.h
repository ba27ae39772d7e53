// Object streams: the common part of the streams through which objects are
// written with their storers and read back by their reader constructors.
// OIOout and OIOin are the text-form sides, OIOoutbin and OIOinbin the binary
// ones; concrete streams (object/OIOStreams.h) supply the array operations, the
// storing of one object and the reading of one object.
//
// The store protocol: Object::storeOn stores an object that may be referred
// to again (the concrete stream writes its class and contents once and a
// reference afterwards); Object::storeMemberOn stores an object that is part of
// the enclosing one (no class, no reference), inside a storeOn only.
#ifndef DV_OBJECT_OIO_H_
#define DV_OBJECT_OIO_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <new>
#include <string>

#include "object/Object.h"
#include "object/StreamStatus.h"

namespace dv {

class Class;
class IdentDict;
class IdentSet;
class OrderedCltn;
class Status;

// Newest data version and the two layouts: format 1 up to version 3, format 2
// from version 4.
inline constexpr int32_t kOIOCurrentVersion = 6;
inline constexpr int32_t kOIOFormatOld = 1;
inline constexpr int32_t kOIOFormatNew = 2;

// The text-form input side of an object stream and the base of the binary one: objects are
// read back through their classes' reader constructors.
class OIOin {
 public:
  OIOin();
  OIOin(const OIOin&) = delete;
  OIOin& operator=(const OIOin&) = delete;

  // Releases the status, destroys the read table.
  virtual ~OIOin();
  // A block of size bytes from the library's allocation routine; null (and
  // the out-of-memory status) when that fails.
  virtual void* allocate(std::size_t size);
  // Release the held status and hold the new one (null: none); two entries
  // with the same behaviour.
  virtual void setStatus(const Status* status);
  virtual void setStatus(const Status& status);
  // The held status and what it says (the success status's answers when none
  // is held).
  virtual const Status* status() const;
  virtual uint32_t code() const;
  virtual int severity() const;
  virtual const char* messageText() const;
  // Writes the message text when there is one.
  virtual void printStatus(std::ostream& out) const;
  virtual void printOn(std::ostream& out) const;
  // Performs the closing step when closeMode is 1; returns 0.
  virtual int close();
  // The file descriptor; -1 for none.
  virtual int fd() const;
  // One value each, through the array reads. A character is
  // read as an integer holding its unsigned value; a flag as an integer that
  // is whether it is not 0.
  virtual OIOin& operator>>(char& v);
  virtual OIOin& operator>>(unsigned char& v);
  virtual OIOin& operator>>(int16_t& v);
  virtual OIOin& operator>>(uint16_t& v);
  virtual OIOin& operator>>(int32_t& v);
  virtual OIOin& operator>>(uint32_t& v);
  virtual OIOin& operator>>(int64_t& v);
  virtual OIOin& operator>>(uint64_t& v);
  virtual OIOin& operator>>(float& v);
  virtual OIOin& operator>>(double& v);
  virtual OIOin& operator>>(bool& v);
  // The concrete stream's closing step; nothing by default.
  virtual void closeStep();
  // The concrete stream's array reads of n elements. A
  // character array is read as raw characters, every other type through the
  // stream's encoding of that type.
  virtual void read(char* v, std::size_t n) = 0;
  virtual void read(unsigned char* v, std::size_t n) = 0;
  virtual void read(int16_t* v, std::size_t n) = 0;
  virtual void read(uint16_t* v, std::size_t n) = 0;
  virtual void read(int32_t* v, std::size_t n) = 0;
  virtual void read(uint32_t* v, std::size_t n) = 0;
  virtual void read(int64_t* v, std::size_t n) = 0;
  virtual void read(uint64_t* v, std::size_t n) = 0;
  virtual void read(float* v, std::size_t n) = 0;
  virtual void read(double* v, std::size_t n) = 0;
  // Reads one object stored with storeOn and returns it, with every object it
  // refers to: a new object, an object read before in the same top-level read
  // (a reference), or nil(). The concrete stream decodes what marks an object
  // (readItemHead, readItemEnd); the rest is common to every stream.
  //
  // Who owns what a top-level read (one not made by a reader constructor)
  // makes: when it succeeds, readTable() lists the objects that belong to the
  // caller, the answer first: the answer and every other object of the graph
  // that no object of the graph holds (the elements of collections, the keys
  // and values of pairs, which their containers do not own). An object that a
  // reader keeps with readObjectHeld (a value's status) belongs to its holder
  // instead. Releasing each listed object once frees the whole graph. The
  // next top-level read starts a new table.
  //
  // Damaged input is a framework error (RDEOF, RDUNKCLASS, RDBADSIG, RDSYNERR,
  // reported or raised) and an error status. A top-level read during which
  // the stream's severity reached ERROR, or that a RAISE interrupted, answers
  // nil() (or unwinds) having destroyed every object it made, and leaves the
  // table empty. The stream refuses as damaged input: counts and lengths that
  // the rest of the stream cannot hold, records nested deeper than
  // kMaxReadDepth, and an element that leads into a cycle for a collection
  // that hashes its elements. Memory is taken as the stored data arrives,
  // never by a stored count alone.
  Object* readObject();
  // readObject for a holder that keeps what it reads: the answer carries one
  // reference for the caller also when it is an object read before (so a new
  // object belongs to the holder, not to the caller of the top-level read).
  Object* readObjectHeld();
  // Reads one object that the reader does not keep (for instance an element
  // it has no room for) and lets it go.
  void readAndDrop();

  // The deepest nesting of records a read accepts.
  static constexpr uint32_t kMaxReadDepth = 200;

  // True when n (a count or length just read) is at least 0, at most limit
  // and no more than the items the rest of the stream can hold (every stored
  // item takes at least one byte). Otherwise answers false after reporting
  // RDSYNERR(what, n), or RDEOF when the input ends before n items.
  bool checkCount(int64_t n, int64_t limit, const char* what);
  // How many of n checked items to make room for before they arrive: n when
  // the stream knows that it holds them, otherwise at most kReadChunk, so that
  // a reader grows its storage as the items come.
  int64_t roomFor(int64_t n) const;
  static constexpr int64_t kReadChunk = 4096;
  // Reads a length-checked run of n characters into a new block of n + 1
  // bytes from dv::allocate, NUL-terminated, growing the block as the
  // characters arrive; the caller frees it with dv::deallocate. Null, with the
  // status set, when n fails checkCount, memory runs out or the input ends.
  char* readNewChars(int64_t n, const char* what);
  // Called by the reader of a collection that hashes its elements as it adds
  // them: such a collection cannot hold an element that leads into a cycle
  // (hashing it would not end, or would reach an object not yet built), so
  // the stream refuses one as damaged input.
  void elementsAreHashed();

  // Sets the data version by the input rules; returns the version in force.
  int32_t setVersion(int32_t v);
  // Reads the format (and, for format 2, the version) header; returns the
  // stream's format.
  int32_t readHeader();
  // Appends characters to buffer up to the delimiter (read, not appended), or
  // until the stream's severity reaches 4.
  void readUntil(std::streambuf& buffer, char delimiter);
  // Reads a length and that many characters into buffer, NUL-terminated. A
  // length of capacity or more reads capacity characters and raises STROV;
  // when the process goes on the rest of the string is skipped and the buffer
  // holds the first capacity - 1 characters. REQUIRES: capacity >= 1.
  void readString(char* buffer, uint32_t capacity);

  int32_t dataFormat() const { return dataFormat_; }
  int32_t version() const { return version_; }
  int32_t closeMode() const { return closeMode_; }
  void setCloseMode(int32_t mode) { closeMode_ = mode; }
  uint32_t memberDepth() const { return memberDepth_; }
  // During a top-level read, the objects it made so far, in reading order
  // (references resolve against it); after one, the objects that belong to
  // the caller (see readObject).
  const OrderedCltn& readTable() const { return *readTable_; }

  // Records an end of input or unreadable input: raises RDEOF and, when the
  // process goes on, leaves an error status so that loops over the stream end.
  void failEndOfInput();
  // Raises RDSYNERR(expected, found) and leaves an error status likewise;
  // readers call it for a field whose value they cannot use.
  void failSyntax(const char* expected, const char* found);
  // Leaves an error status after a reported error of the content.
  void failContent();
  // Leaves the out-of-memory status; readers call it when they cannot make
  // room for what they read.
  void failOutOfMemory();

 protected:
  // What marks the next item of the stream, as the concrete stream decodes it.
  struct ItemHead {
    enum Kind {
      kNil,        // nil()
      kReference,  // the object of record number `reference` of this top-level read
      kRecord,     // an object of class `name` with `signature`, contents follow
      kFailed,     // nothing usable: the failure has been reported
    };
    Kind kind = kFailed;
    int64_t reference = 0;
    std::string name;
    uint32_t signature = 0;
    // The undecoded mark, for the report of a bad reference.
    std::string text;
  };
  // Decodes the mark of the next item.
  virtual void readItemHead(ItemHead* head) = 0;
  // Reads the mark that closes a record; reports (failSyntax) when it is
  // something else.
  virtual void readItemEnd() = 0;
  // Runs the reader of class c for this stream's form; null when the object
  // cannot be allocated. The text form runs readerText.
  virtual Object* runReader(const Class& c);
  // Whether class c has a reader for this stream's form.
  virtual bool hasReader(const Class& c) const;
  // How many bytes the rest of the input holds; -1 when the stream cannot
  // tell (the default).
  virtual int64_t bytesLeft() const;

  uint32_t memberDepth_ = 0;

 private:
  friend class Object;  // the reader constructors of the root part

  // A record whose reader is running.
  struct Frame {
    int32_t entry;  // its read-table position; -1 when it has none
    bool hashing;   // its reader hashes the elements it adds
    bool cyclic;    // it lies on a cycle or leads into one
  };

  // One object of the stream with its references, at any depth; *fresh tells
  // whether it is a new one.
  Object* readItem(bool* fresh);
  Object* readTopLevel(bool* fresh);
  // Reads the contents of a record of class c.
  Object* readRecord(const Class& c);
  // Resolves a reference to record `index` of this top-level read.
  Object* resolveReference(int64_t index, const std::string& text);
  // Refuses ob for a hashing reader when it leads into a cycle.
  bool acceptedByReader(const Object& ob, bool cyclic);
  // The position in frames_ of the record under construction at read-table
  // position entry, or -1.
  int32_t frameOf(int32_t entry) const;
  // Enters a new object in the read table (with a reference held by the
  // table until the top-level read ends); false when there is no room.
  bool enter(Object& ob);
  // The end of a top-level read: hands over to the caller (finishRead) or
  // destroys what the read made (discardRead).
  void finishRead();
  void discardRead();
  void forgetLastRead();
  // Marks entry as gone (its construction was unwound).
  void markDead(int32_t entry);
  int32_t readCount() const;
  Object* readAt(int32_t i) const;

  Startup startup_;
  StreamStatus status_;
  int32_t closeMode_ = 0;
  OrderedCltn* readTable_;
  int32_t dataFormat_ = kOIOFormatNew;
  int32_t version_ = kOIOCurrentVersion;
  // The records being read, innermost last.
  Frame frames_[kMaxReadDepth];
  uint32_t readDepth_ = 0;
  // Of the current top-level read: objects a holder took over (they do not
  // belong to the caller), and finished objects that lie on or lead into a
  // cycle. Made on first use.
  IdentSet* held_ = nullptr;
  IdentSet* cyclic_ = nullptr;
};

// The binary-form input stream: the same protocol, its own reader slot.
class OIOinbin : public OIOin {
 protected:
  Object* runReader(const Class& c) override;  // readerBinary
  bool hasReader(const Class& c) const override;
};

// The text-form output side of an object stream and the base of the binary one: objects are
// written through their storers.
class OIOout {
 public:
  OIOout();
  OIOout(const OIOout&) = delete;
  OIOout& operator=(const OIOout&) = delete;

  // Releases the status, destroys the stored set and the store table.
  virtual ~OIOout();
  // Release the held status and hold the new one, as for OIOin.
  virtual void setStatus(const Status* status);
  virtual void setStatus(const Status& status);
  // The held status and what it says, as for OIOin.
  virtual const Status* status() const;
  virtual uint32_t code() const;
  virtual int severity() const;
  virtual const char* messageText() const;
  virtual void printStatus(std::ostream& out) const;
  virtual void printOn(std::ostream& out) const;
  // The file descriptor; -1 for none.
  virtual int fd() const;
  // One value each, through the array writes. A character is
  // written as an integer holding its unsigned value; a flag as 0 or 1.
  virtual OIOout& operator<<(char v);
  virtual OIOout& operator<<(unsigned char v);
  virtual OIOout& operator<<(int16_t v);
  virtual OIOout& operator<<(uint16_t v);
  virtual OIOout& operator<<(int32_t v);
  virtual OIOout& operator<<(uint32_t v);
  virtual OIOout& operator<<(int64_t v);
  virtual OIOout& operator<<(uint64_t v);
  virtual OIOout& operator<<(float v);
  virtual OIOout& operator<<(double v);
  virtual OIOout& operator<<(bool v);
  // A text: its length as an integer, then its characters (null: length 0).
  virtual OIOout& operator<<(const char* text);
  // The concrete stream's array writes.
  virtual void write(const char* v, std::size_t n) = 0;
  virtual void write(const unsigned char* v, std::size_t n) = 0;
  virtual void write(const int16_t* v, std::size_t n) = 0;
  virtual void write(const uint16_t* v, std::size_t n) = 0;
  virtual void write(const int32_t* v, std::size_t n) = 0;
  virtual void write(const uint32_t* v, std::size_t n) = 0;
  virtual void write(const int64_t* v, std::size_t n) = 0;
  virtual void write(const uint64_t* v, std::size_t n) = 0;
  virtual void write(const float* v, std::size_t n) = 0;
  virtual void write(const double* v, std::size_t n) = 0;
  // Stores one object for storeOn: its class and contents the first time in
  // the current outermost storeOn, a reference afterwards, or nil().
  virtual void storeObject(const Object& ob) = 0;
  // Runs when the outermost storeOn ends; nothing by default.
  virtual void endOfStore();

  // Sets the data version by the output rules; returns the version in force.
  int32_t setVersion(int32_t v);
  // True the first time ob is offered to this stream, false afterwards.
  bool firstStore(const Object& ob);
  // Queues ob to be released at flushPending (out-of-memory status when the
  // queue cannot be made).
  void addPending(Object& ob);
  // Releases every queued object and discards the queue.
  void flushPending();
  // Leaves the out-of-memory status.
  void failOutOfMemory();

  int32_t dataFormat() const { return dataFormat_; }
  int32_t version() const { return version_; }
  uint32_t nesting() const { return nesting_; }

 protected:
  // The store table of the current outermost storeOn: each stored object with
  // its reference number, or kMember for a member object.
  static constexpr int32_t kMember = -1;
  static constexpr int32_t kNotStored = -2;
  // The entry of ob: its reference number, kMember, or kNotStored.
  int32_t storedAs(const Object& ob) const;
  // Enters ob with a new reference number, which is returned, or as a member.
  int32_t enterReference(const Object& ob);
  void enterMember(const Object& ob);
  // What storeObject does with ob: write its contents (it is entered with the
  // new reference number *number), write a reference (*number), or nothing
  // (it was stored as a member: STREFMBR is reported).
  enum class StoreAs { kContents, kReference, kRefused };
  StoreAs prepareStore(const Object& ob, int32_t* number);

 private:
  friend class Object;  // storeOn and storeMemberOn
  void beginStore();
  void endStore();

  Startup startup_;
  StreamStatus status_;
  OrderedCltn* pending_ = nullptr;
  uint32_t nesting_ = 0;
  IdentSet* storedSet_ = nullptr;
  IdentDict* storeTable_ = nullptr;
  int32_t nextReference_ = 0;
  int32_t dataFormat_ = kOIOFormatNew;
  int32_t version_ = kOIOCurrentVersion;
};

// The binary-form output stream: the same protocol, its own storer slot.
class OIOoutbin : public OIOout {};

// The readers that a class's descriptor names: a new object built by the
// class's reader constructor (null when it cannot be allocated).
template <class T>
Object* readObjectText(OIOin& stream) {
  return new (std::nothrow) T(stream);
}
template <class T>
Object* readObjectBinary(OIOinbin& stream) {
  return new (std::nothrow) T(stream);
}

}  // namespace dv

#endif  // DV_OBJECT_OIO_H_
