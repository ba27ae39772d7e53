// The common part of object streams, and the object root's part of the store
// and read protocols.
#include "object/OIO.h"

#include <cassert>
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
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Registry.h"
#include "object/Set.h"

namespace dv {
namespace {

constexpr int32_t kTableCapacity = 256;

// Resolves what a record names: its class, which must be known and unchanged.
// Reports and answers null otherwise.
const Class* recordClass(const std::string& name, uint32_t signature) {
  const Class* c = lookUp(name.c_str());
  if (c == nullptr) {
    setError(nihcl::RDUNKCLASS, kDefaultSeverity, name);
    return nullptr;
  }
  if (c->signature() != signature) {
    setError(nihcl::RDBADSIG, kDefaultSeverity, name, static_cast<int32_t>(c->signature()),
             static_cast<int32_t>(signature));
    return nullptr;
  }
  return c;
}

// Keeps a stream's member depth and read depth over one record and, when a
// top-level read fails by a RAISE, takes out of the read table what the
// failed read put there (the object under construction is gone).
class RecordScope {
 public:
  using Truncate = void (*)(OIOin&, int32_t);
  RecordScope(OIOin& stream, uint32_t& memberDepth, uint32_t& readDepth, int32_t firstRecord,
              bool topLevel, Truncate truncate)
      : stream_(stream),
        memberDepth_(memberDepth),
        savedMemberDepth_(memberDepth),
        readDepth_(readDepth),
        firstRecord_(firstRecord),
        topLevel_(topLevel),
        truncate_(truncate),
        exceptions_(std::uncaught_exceptions()) {
    ++readDepth_;
    memberDepth_ = 0;  // the record is entered in the read table by its root part
  }
  ~RecordScope() {
    --readDepth_;
    memberDepth_ = savedMemberDepth_;
    if (topLevel_ && std::uncaught_exceptions() > exceptions_) truncate_(stream_, firstRecord_);
  }
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

 private:
  OIOin& stream_;
  uint32_t& memberDepth_;
  uint32_t savedMemberDepth_;
  uint32_t& readDepth_;
  int32_t firstRecord_;
  bool topLevel_;
  Truncate truncate_;
  int exceptions_;
};

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

void OIOin::failEndOfInput() {
  if (severity() >= kError) return;  // reported already: the reading is over
  setError(nihcl::RDEOF, kDefaultSeverity);
  failContent();
}

void OIOin::failSyntax(const char* expected, const char* found) {
  if (severity() >= kError) return;
  setError(nihcl::RDSYNERR, kDefaultSeverity, expected, found);
  failContent();
}

Object* OIOin::readObject() {
  ItemHead head;
  readItemHead(&head);
  if (head.kind == ItemHead::kNil || head.kind == ItemHead::kFailed) return nil();
  bool topLevel = readDepth_ == 0;
  if (topLevel) firstRecord_ = readCount();
  if (head.kind == ItemHead::kReference) {
    int64_t index = static_cast<int64_t>(firstRecord_) + head.reference;
    if (head.reference < 0 || index >= readCount()) {
      failSyntax("a reference to an object read before", head.text.c_str());
      return nil();
    }
    return readAt(static_cast<int32_t>(index));
  }
  if (severity() >= kError) return nil();
  const Class* c = recordClass(head.name, head.signature);
  if (c == nullptr || !hasReader(*c)) {
    if (c != nullptr) setError(nihcl::RDUNKCLASS, kDefaultSeverity, head.name);
    failContent();
    return nil();
  }
  return readRecord(*c, topLevel);
}

Object* OIOin::readRecord(const Class& c, bool topLevel) {
  Object* ob = nullptr;
  {
    RecordScope scope(*this, memberDepth_, readDepth_, firstRecord_, topLevel,
                      [](OIOin& s, int32_t n) { s.truncateReadTable(n); });
    ob = runReader(c);
  }
  if (ob == nullptr) {
    failOutOfMemory();
    return nil();
  }
  readItemEnd();
  return ob;
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

Object* OIOin::readObjectHeld() {
  int32_t before = readCount();
  Object* ob = readObject();
  // A new object was entered at the position the table had before the read.
  bool fresh = readCount() > before && readAt(before) == ob;
  if (!fresh && ob != nil()) ob->addRef();
  return ob;
}

int32_t OIOin::readCount() const {
  return static_cast<int32_t>(readTable_->size());
}

Object* OIOin::readAt(int32_t i) const {
  return readTable_->at(i);
}

void OIOin::truncateReadTable(int32_t n) {
  while (readCount() > n) readTable_->removeLast();
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

// The root part of every reader constructor: a top-level object (the stream's
// member depth was 0) is entered in the read table, so that later references
// find it.
Object::Object(OIOin& stream) {
  startLife();
  if (stream.memberDepth_++ == 0 && stream.readTable_->add(*this) == nil()) {
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
