// The common part of object streams, and the object root's part of the store
// and read protocols.
#include "object/OIO.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <exception>
#include <ostream>
#include <streambuf>
#include <string>

#include "object/Allocation.h"
#include "object/Class.h"
#include "object/Dictionary.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Registry.h"
#include "object/Set.h"

namespace dv {
namespace {

constexpr int32_t kTableCapacity = 256;

}  // namespace

OIOin& textSide(OIOinbin& stream) {
  return stream;
}

OIOout& textSide(OIOoutbin& stream) {
  return stream;
}

// The status operations of both stream sides: each answers from the
// StreamStatus the stream holds.
#define DV_FORWARD_STREAM_STATUS(Stream)              \
  void Stream::setStatus(const Status* status) {      \
    status_.set(status);                              \
  }                                                   \
  void Stream::setStatus(const Status& status) {      \
    status_.set(&status);                             \
  }                                                   \
  const Status* Stream::status() const {              \
    return status_.get();                             \
  }                                                   \
  uint32_t Stream::code() const {                     \
    return status_.code();                            \
  }                                                   \
  int Stream::severity() const {                      \
    return status_.severity();                        \
  }                                                   \
  const char* Stream::messageText() const {           \
    return status_.messageText();                     \
  }                                                   \
  void Stream::printStatus(std::ostream& out) const { \
    status_.print(out);                               \
  }                                                   \
  void Stream::printOn(std::ostream& out) const {     \
    printStatus(out);                                 \
  }

// ---------------------------------------------------------------------------
// OIOin

OIOin::OIOin() : readTable_(new OrderedCltn(kTableCapacity)) {}

OIOin::~OIOin() {
  forgetLastRead();
  delete readTable_;
}

void* OIOin::allocate(std::size_t size) {
  void* block = dv::allocate(size);
  if (block == nullptr) failOutOfMemory();
  return block;
}

DV_FORWARD_STREAM_STATUS(OIOin)

int OIOin::close() {
  if (closeMode_ == 1) closeStep();
  return 0;
}

int OIOin::fd() const {
  return -1;
}

void OIOin::closeStep() {}

// A single character travels as an integer holding its unsigned value, as
// the output side writes it.
OIOin& OIOin::operator>>(char& v) {
  int32_t i = 0;
  read(&i, 1);
  v = static_cast<char>(static_cast<unsigned char>(i));
  return *this;
}
OIOin& OIOin::operator>>(unsigned char& v) {
  int32_t i = 0;
  read(&i, 1);
  v = static_cast<unsigned char>(i);
  return *this;
}
OIOin& OIOin::operator>>(bool& v) {
  int32_t i = 0;
  read(&i, 1);
  v = i != 0;
  return *this;
}

// The single-value operators of both sides for the types that travel as
// themselves: one element through the concrete stream's array operation.
#define DV_SINGLE_VALUE_OPERATORS(Type) \
  OIOin& OIOin::operator>>(Type& v) {   \
    read(&v, 1);                        \
    return *this;                       \
  }                                     \
  OIOout& OIOout::operator<<(Type v) {  \
    write(&v, 1);                       \
    return *this;                       \
  }

DV_SINGLE_VALUE_OPERATORS(int16_t)
DV_SINGLE_VALUE_OPERATORS(uint16_t)
DV_SINGLE_VALUE_OPERATORS(int32_t)
DV_SINGLE_VALUE_OPERATORS(uint32_t)
DV_SINGLE_VALUE_OPERATORS(int64_t)
DV_SINGLE_VALUE_OPERATORS(uint64_t)
DV_SINGLE_VALUE_OPERATORS(float)
DV_SINGLE_VALUE_OPERATORS(double)

#undef DV_SINGLE_VALUE_OPERATORS

int32_t OIOin::setVersion(int32_t v) {
  if (v == -2) {
    version_ = -2;
  } else if (v == -1) {
    version_ = kOIOCurrentVersion;
    dataFormat_ = kOIOFormatNew;
  } else if (v < 4) {
    version_ = v;
    dataFormat_ = kOIOFormatOld;
  } else if (v <= kOIOCurrentVersion) {
    version_ = v;
    dataFormat_ = kOIOFormatNew;
  } else {
    version_ = kOIOCurrentVersion;
    dataFormat_ = kOIOFormatNew;
    status_.fail(StreamStatus::Failure::kVersionsIncompatible);
  }
  return version_;
}

int32_t OIOin::readHeader() {
  int32_t format = 0;
  *this >> format;
  if (format == kOIOFormatNew) {
    int32_t version = 0;
    *this >> version;
    version_ = version;
  }
  if (format == kOIOFormatOld || format == kOIOFormatNew) {
    dataFormat_ = format;
  } else {
    status_.fail(StreamStatus::Failure::kCannotInterpret);
  }
  return dataFormat_;
}

void OIOin::readUntil(std::streambuf& buffer, char delimiter) {
  while (severity() < kError) {
    char c = '\0';
    *this >> c;
    if (severity() >= kError || c == delimiter) break;
    buffer.sputc(c);
  }
}

void OIOin::readString(char* buffer, uint32_t capacity) {
  assert(buffer != nullptr && capacity >= 1);
  int32_t length = 0;
  *this >> length;
  if (length < 0) {
    failSyntax("a string length", std::to_string(length).c_str());
    buffer[0] = '\0';
    return;
  }
  uint32_t n = static_cast<uint32_t>(length);
  if (n < capacity) {
    if (n > 0) read(buffer, n);
    buffer[n] = '\0';
    return;
  }
  read(buffer, capacity);
  setError(nihcl::STROV, kDefaultSeverity, static_cast<int32_t>(capacity), buffer, n);
  // Going on: the rest of the string is skipped so that the stream stays in step.
  for (uint32_t left = n - capacity; left > 0 && severity() < kError; --left) {
    char c;
    read(&c, 1);
  }
  buffer[capacity - 1] = '\0';
}

void OIOin::failContent() {
  if (severity() >= kError) return;  // the first failure is the one that counts
  status_.fail(StreamStatus::Failure::kUnreadable);
}

void OIOin::failOutOfMemory() {
  status_.fail(StreamStatus::Failure::kOutOfMemory);
}

// The stream's status records the failure before it is reported, so that a
// caller whose catch region takes the raised error finds the stream failed
// too (and reads no further out of step).
void OIOin::failEndOfInput() {
  if (severity() >= kError) return;  // reported already: the reading is over
  failContent();
  setError(nihcl::RDEOF, kDefaultSeverity);
}

void OIOin::failSyntax(const char* expected, const char* found) {
  if (severity() >= kError) return;
  failContent();
  setError(nihcl::RDSYNERR, kDefaultSeverity, expected, found);
}

// ---------------------------------------------------------------------------
// Reading objects
//
// During a top-level read the read table holds every object the read made,
// each with one reference of its own, so that nothing the read made can go
// while the read may still refer to it or has to take it back; the frames
// record the readers that are running. At the end the table either hands the
// objects over (finishRead) or destroys them all (discardRead).

Object* OIOin::readObject() {
  bool fresh = false;
  return readDepth_ == 0 ? readTopLevel(&fresh) : readItem(&fresh);
}

Object* OIOin::readObjectHeld() {
  bool fresh = false;
  Object* ob = readDepth_ == 0 ? readTopLevel(&fresh) : readItem(&fresh);
  if (ob == nil()) return ob;
  if (!fresh) {
    ob->addRef();
  } else if (readDepth_ > 0 && ob->refCount() > 0) {
    // The holder takes over the new object's first reference. When that
    // cannot be recorded, the holder gets a reference of its own instead, so
    // that the first one is still the read's to give back (the read fails).
    if (held_ == nullptr) held_ = new (std::nothrow) IdentSet;
    if (held_ == nullptr || held_->add(*ob) == nil()) {
      ob->addRef();
      failOutOfMemory();
    }
  }
  return ob;
}

void OIOin::readAndDrop() {
  Object* ob = readObjectHeld();
  if (ob != nil()) ob->release();
}

Object* OIOin::readTopLevel(bool* fresh) {
  forgetLastRead();
  bool wasFine = severity() < kError;
  // A RAISE that leaves the read takes back what the read made.
  struct Unwind {
    OIOin& stream;
    int exceptions = std::uncaught_exceptions();
    ~Unwind() {
      if (std::uncaught_exceptions() > exceptions) stream.discardRead();
    }
  } unwind{*this};
  Object* ob = readItem(fresh);
  if (wasFine && severity() >= kError) {
    discardRead();
    *fresh = false;
    return nil();
  }
  finishRead();
  return ob;
}

Object* OIOin::readItem(bool* fresh) {
  *fresh = false;
  ItemHead head;
  readItemHead(&head);
  if (head.kind == ItemHead::kNil || head.kind == ItemHead::kFailed) return nil();
  if (head.kind == ItemHead::kReference) return resolveReference(head.reference, head.text);
  if (severity() >= kError) return nil();
  // The class must be known, unchanged and readable in this form.
  const Class* c = lookUp(head.name.c_str());
  if (c == nullptr || !hasReader(*c)) {
    failContent();
    setError(nihcl::RDUNKCLASS, kDefaultSeverity, head.name);
    return nil();
  }
  if (c->signature() != head.signature) {
    failContent();
    setError(nihcl::RDBADSIG, kDefaultSeverity, head.name, static_cast<int32_t>(c->signature()),
             static_cast<int32_t>(head.signature));
    return nil();
  }
  if (readDepth_ == kMaxReadDepth) {
    std::string limit = "objects nested at most " + std::to_string(kMaxReadDepth) + " deep";
    failSyntax(limit.c_str(), head.name.c_str());
    return nil();
  }
  Object* ob = readRecord(*c);
  *fresh = ob != nil();
  return ob;
}

Object* OIOin::resolveReference(int64_t index, const std::string& text) {
  if (index < 0 || index >= readCount() || readAt(static_cast<int32_t>(index)) == nil()) {
    failSyntax("a reference to an object read before", text.c_str());
    return nil();
  }
  int32_t entry = static_cast<int32_t>(index);
  Object* ob = readAt(entry);
  int32_t frame = frameOf(entry);
  bool cyclic = frame >= 0 || (cyclic_ != nullptr && cyclic_->findObject(*ob) != nil());
  // A reference back to a record still being read closes a cycle through
  // every record from that one to the innermost.
  if (frame >= 0) {
    for (uint32_t k = static_cast<uint32_t>(frame); k < readDepth_; ++k) frames_[k].cyclic = true;
  }
  return acceptedByReader(*ob, cyclic) ? ob : nil();
}

bool OIOin::acceptedByReader(const Object& ob, bool cyclic) {
  if (!cyclic || readDepth_ == 0) return true;
  Frame& reader = frames_[readDepth_ - 1];
  reader.cyclic = true;
  if (!reader.hashing) return true;
  failSyntax("an element that leads into no cycle (the collection hashes its elements)",
             ob.className());
  return false;
}

int32_t OIOin::frameOf(int32_t entry) const {
  for (uint32_t k = 0; k < readDepth_; ++k) {
    if (frames_[k].entry == entry) return static_cast<int32_t>(k);
  }
  return -1;
}

Object* OIOin::readRecord(const Class& c) {
  // Keeps the member depth and the frame over the reader, and marks the
  // record's entry as gone when a RAISE unwinds its construction.
  struct RecordScope {
    OIOin& stream;
    uint32_t savedMemberDepth;
    int exceptions = std::uncaught_exceptions();
    RecordScope(OIOin& s) : stream(s), savedMemberDepth(s.memberDepth_) {
      stream.frames_[stream.readDepth_++] = Frame{stream.readCount(), false, false};
      stream.memberDepth_ = 0;  // the record is entered in the read table by its root part
    }
    ~RecordScope() {
      stream.memberDepth_ = savedMemberDepth;
      int32_t entry = stream.frames_[--stream.readDepth_].entry;
      if (std::uncaught_exceptions() > exceptions) stream.markDead(entry);
    }
  };
  int32_t entry = readCount();
  bool cyclic = false;
  Object* ob = nullptr;
  {
    RecordScope scope(*this);
    ob = runReader(c);
    cyclic = frames_[readDepth_ - 1].cyclic;
  }
  bool entered = readCount() > entry;
  if (ob == nullptr) {
    // The reader could not allocate the object; an entry made for it is gone.
    if (entered) markDead(entry);
    failOutOfMemory();
    return nil();
  }
  if (!entered) {
    // Entering it failed for want of memory (reported): it cannot be
    // referred to, and is dropped here rather than lost.
    ob->release();
    return nil();
  }
  Object* made = readAt(entry);
  if (made != ob) {
    // The reader answered another object in place of the one it built (a
    // shared status for a plain one read back): the table holds what later
    // references must find, and lets the built one go.
    (*readTable_)[entry] = ob;
    ob->addRef();
    made->release();
  }
  if (cyclic && ob->refCount() > 0) {
    if (cyclic_ == nullptr) cyclic_ = new (std::nothrow) IdentSet;
    if (cyclic_ == nullptr || cyclic_->add(*ob) == nil()) failOutOfMemory();
  }
  readItemEnd();
  return acceptedByReader(*ob, cyclic) ? ob : nil();
}

bool OIOin::enter(Object& ob) {
  OrderedCltn& table = *readTable_;
  // Grows by doubling: a large read would otherwise copy the table over and
  // over in small steps.
  if (table.size() == table.capacity() && table.reSize(static_cast<int32_t>(table.capacity()) *
                                                       2) <= static_cast<int32_t>(table.size())) {
    return false;
  }
  if (table.add(ob) == nil()) return false;
  ob.addRef();
  return true;
}

void OIOin::markDead(int32_t entry) {
  if (entry >= 0 && entry < readCount()) (*readTable_)[entry] = nil();
}

void OIOin::finishRead() {
  OrderedCltn& table = *readTable_;
  int32_t kept = 0;
  int32_t n = readCount();
  for (int32_t i = 0; i < n; ++i) {
    Object* ob = table[i];
    if (ob == nil() || ob->refCount() < 0) continue;  // gone, or a shared static object
    bool belongsToHolder = held_ != nullptr && held_->findObject(*ob) != nil();
    // With only the table's reference left, the reader let the object go.
    bool caller = !belongsToHolder && ob->refCount() > 1;
    if (caller) table[kept++] = ob;
    ob->release();
  }
  while (readCount() > kept) table.removeLast();
  delete held_;
  held_ = nullptr;
  delete cyclic_;
  cyclic_ = nullptr;
}

void OIOin::discardRead() {
  OrderedCltn& table = *readTable_;
  int32_t n = readCount();
  // Every object the read made has the table's reference, and also its first
  // reference unless a holder made by the same read took that over: both go
  // here. What holders hold goes when they go, as their count drops. No entry
  // can go before its own turn, since the table's reference keeps it.
  for (int32_t i = 0; i < n; ++i) {
    Object* ob = table[i];
    if (ob == nil() || ob->refCount() < 0) continue;  // gone, or a shared static object
    bool belongsToHolder = held_ != nullptr && held_->findObject(*ob) != nil();
    if (!belongsToHolder) ob->release();
    ob->release();
  }
  forgetLastRead();
}

void OIOin::forgetLastRead() {
  while (readCount() > 0) readTable_->removeLast();
  delete held_;
  held_ = nullptr;
  delete cyclic_;
  cyclic_ = nullptr;
}

Object* OIOin::runReader(const Class& c) {
  return c.readerText()(*this);
}

bool OIOin::hasReader(const Class& c) const {
  return c.readerText() != nullptr;
}

Object* OIOinbin::runReader(const Class& c) {
  return c.readerBinary()(*this);
}

bool OIOinbin::hasReader(const Class& c) const {
  return c.readerBinary() != nullptr;
}

int64_t OIOin::bytesLeft() const {
  return -1;
}

bool OIOin::checkCount(int64_t n, int64_t limit, const char* what) {
  if (n < 0 || n > limit) {
    failSyntax(what, std::to_string(n).c_str());
    return false;
  }
  int64_t left = bytesLeft();
  if (left >= 0 && n > left) {
    // The input ends before the items it announces.
    failEndOfInput();
    return false;
  }
  return true;
}

int64_t OIOin::roomFor(int64_t n) const {
  return bytesLeft() >= 0 || n <= kReadChunk ? n : kReadChunk;
}

char* OIOin::readNewChars(int64_t n, const char* what) {
  if (!checkCount(n, INT32_MAX - 1, what)) return nullptr;
  int64_t room = roomFor(n);
  char* block = static_cast<char*>(allocate(static_cast<std::size_t>(room) + 1));
  if (block == nullptr) return nullptr;
  OnUnwind freeBlock([&block] { deallocate(block); });
  int64_t got = 0;
  while (got < n && severity() < kError) {
    if (got == room) {
      int64_t more = std::min(n, room * 2);
      char* bigger = static_cast<char*>(allocate(static_cast<std::size_t>(more) + 1));
      if (bigger == nullptr) break;
      std::memcpy(bigger, block, static_cast<std::size_t>(got));
      deallocate(block);
      block = bigger;
      room = more;
    }
    int64_t step = std::min(n, room) - got;
    read(block + got, static_cast<std::size_t>(step));
    got += step;
  }
  if (got < n || severity() >= kError) {
    deallocate(block);
    return nullptr;
  }
  block[n] = '\0';
  return block;
}

void OIOin::elementsAreHashed() {
  if (readDepth_ > 0) frames_[readDepth_ - 1].hashing = true;
}

int32_t OIOin::readCount() const {
  return static_cast<int32_t>(readTable_->size());
}

Object* OIOin::readAt(int32_t i) const {
  return readTable_->at(i);
}

// ---------------------------------------------------------------------------
// OIOout

OIOout::OIOout() = default;

OIOout::~OIOout() {
  flushPending();
  delete storedSet_;
  endStore();
}

DV_FORWARD_STREAM_STATUS(OIOout)

int OIOout::fd() const {
  return -1;
}

OIOout& OIOout::operator<<(char v) {
  int32_t i = static_cast<unsigned char>(v);
  write(&i, 1);
  return *this;
}
OIOout& OIOout::operator<<(unsigned char v) {
  int32_t i = v;
  write(&i, 1);
  return *this;
}
OIOout& OIOout::operator<<(bool v) {
  int32_t i = v ? 1 : 0;
  write(&i, 1);
  return *this;
}

OIOout& OIOout::operator<<(const char* text) {
  int32_t length = text != nullptr ? static_cast<int32_t>(std::strlen(text)) : 0;
  write(&length, 1);
  if (length > 0) write(text, static_cast<std::size_t>(length));
  return *this;
}

void OIOout::endOfStore() {}

int32_t OIOout::setVersion(int32_t v) {
  if (v == -2) {
    version_ = -2;
    dataFormat_ = kOIOFormatOld;
  } else if (v == -1) {
    version_ = kOIOCurrentVersion;
    dataFormat_ = kOIOFormatNew;
  } else if (v < 4) {
    version_ = v;
    dataFormat_ = kOIOFormatOld;
  } else if (v <= 5) {
    version_ = v;
    dataFormat_ = kOIOFormatNew;
  } else {
    // Version 6 is reached through -1 only.
    version_ = 5;
    dataFormat_ = kOIOFormatNew;
    status_.fail(StreamStatus::Failure::kVersionsIncompatible);
  }
  return version_;
}

bool OIOout::firstStore(const Object& ob) {
  if (storedSet_ == nullptr) storedSet_ = new IdentSet(kTableCapacity);
  Object& o = const_cast<Object&>(ob);
  if (storedSet_->findObject(o) != nil()) return false;
  storedSet_->add(o);
  return true;
}

void OIOout::addPending(Object& ob) {
  if (pending_ == nullptr) {
    pending_ = new (std::nothrow) OrderedCltn;
    if (pending_ == nullptr || pending_->capacity() == 0) {
      delete pending_;
      pending_ = nullptr;
      failOutOfMemory();
      return;
    }
  }
  if (pending_->add(ob) == nil()) failOutOfMemory();
}

void OIOout::flushPending() {
  if (pending_ == nullptr) return;
  OrderedCltn* queue = pending_;
  pending_ = nullptr;
  {
    Iterator it(*queue);
    while (Object* ob = it()) ob->release();
  }
  delete queue;
}

void OIOout::failOutOfMemory() {
  status_.fail(StreamStatus::Failure::kOutOfMemory);
}

void OIOout::beginStore() {
  if (nesting_++ == 0) {
    storeTable_ = new IdentDict(kTableCapacity);
    nextReference_ = 0;
  }
}

void OIOout::endStore() {
  if (nesting_ > 0 && --nesting_ > 0) return;
  if (storeTable_ == nullptr) return;
  IdentDict* table = storeTable_;
  storeTable_ = nullptr;
  OrderedCltn entries(static_cast<int32_t>(table->size()) + 1);
  {
    Iterator it(*table);
    while (Object* entry = it()) entries.add(*entry);
  }
  Iterator each(entries);
  while (Object* entry = each()) delete entry;
  delete table;
  endOfStore();
}

int32_t OIOout::storedAs(const Object& ob) const {
  if (storeTable_ == nullptr) return kNotStored;
  Object* entry = storeTable_->assocOfKey(ob);
  if (entry == nil()) return kNotStored;
  return static_cast<AssocInt*>(entry)->intValue();
}

int32_t OIOout::enterReference(const Object& ob) {
  int32_t number = nextReference_++;
  AssocInt* entry = new AssocInt(const_cast<Object&>(ob), number);
  storeTable_->add(*entry);
  return number;
}

OIOout::StoreAs OIOout::prepareStore(const Object& ob, int32_t* number) {
  int32_t entry = storedAs(ob);
  if (entry == kMember) {
    setError(nihcl::STREFMBR, kDefaultSeverity, &ob, ob.className());
    return StoreAs::kRefused;
  }
  if (entry >= 0) {
    *number = entry;
    return StoreAs::kReference;
  }
  *number = enterReference(ob);
  return StoreAs::kContents;
}

void OIOout::enterMember(const Object& ob) {
  AssocInt* entry = new AssocInt(const_cast<Object&>(ob), kMember);
  storeTable_->add(*entry);
}

// ---------------------------------------------------------------------------
// The object root's part of the protocols.

// The root part of every reader constructor: the object of a record (the
// stream's member depth was 0 inside a read) is entered in the read table, so
// that later references find it; a member object read inline by its owner is
// not.
Object::Object(OIOin& stream) {
  startLife();
  if (stream.memberDepth_++ == 0 && stream.readDepth_ > 0 && !stream.enter(*this)) {
    stream.failOutOfMemory();
  }
}

Object::Object(OIOinbin& stream) : Object(static_cast<OIOin&>(stream)) {}

void Object::storeOn(OIOout& stream) const {
  stream.beginStore();
  stream.storeObject(*this);
  stream.endStore();
}

void Object::storeOn(OIOoutbin& stream) const {
  storeOn(static_cast<OIOout&>(stream));
}

bool Object::enterAsMember(OIOout& stream) const {
  if (stream.nesting_ == 0) {
    setError(nihcl::BADSTMBR, kDefaultSeverity, this, className());
    return false;
  }
  int32_t entry = stream.storedAs(*this);
  if (entry >= 0) {
    setError(nihcl::STMBRREF, kDefaultSeverity, entry, this, className());
    return false;
  }
  if (entry == OIOout::kNotStored) stream.enterMember(*this);
  return true;
}

void Object::storeMemberOn(OIOout& stream) const {
  if (enterAsMember(stream)) storer(stream);
}

void Object::storeMemberOn(OIOoutbin& stream) const {
  if (enterAsMember(stream)) storer(stream);
}

#undef DV_FORWARD_STREAM_STATUS

}  // namespace dv
