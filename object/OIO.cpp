// The common part of object streams, and the object root's part of the store
// and read protocols.
#include "object/OIO.h"

#include <cstring>
#include <ostream>
#include <streambuf>

#include "object/Allocation.h"
#include "object/Class.h"
#include "object/Dictionary.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Iterator.h"
#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OrderedCltn.h"
#include "object/Set.h"
#include "status/Status.h"

namespace dv {

// OIOERR statuses of object input: a version outside the range this library
// reads or writes (shared), and a header that names no known format.
DV_DEFINE_SHARED_ERROR_STATUS(oioVersionsIncompatibleStatus, 0x40140016u, true, kOioErrName,
                              "Object input data format error: versions incompatible.");

namespace {

constexpr uint32_t kCannotInterpretCode = 0x7014000Fu;
constexpr const char* kCannotInterpretMessage =
    "Cannot interpret input data.\nVersions incompatible.";
// A stream whose content could not be read on after a reported error.
constexpr uint32_t kUnreadableCode = 0x40140017u;
constexpr const char* kUnreadableMessage = "Object input data cannot be read.";

constexpr int32_t kTableCapacity = 256;

const Status* held(const Status* s) {
  return s != nullptr ? s : successStatus();
}

void hold(const Status*& slot, const Status* status) {
  if (status != nullptr) status->addRef();
  if (slot != nullptr) slot->release();
  slot = status;
}

}  // namespace

// ---------------------------------------------------------------------------
// OIOin

OIOin::OIOin() : readTable_(new OrderedCltn(kTableCapacity)) {}

OIOin::~OIOin() {
  hold(status_, nullptr);
  delete readTable_;
}

void* OIOin::allocate(std::size_t size) {
  void* block = dv::allocate(size);
  if (block == nullptr) setStatus(outOfMemoryStatus());
  return block;
}

void OIOin::setStatus(const Status* status) {
  hold(status_, status);
}
void OIOin::setStatus(const Status& status) {
  hold(status_, &status);
}
const Status* OIOin::status() const {
  return held(status_);
}
uint32_t OIOin::code() const {
  return held(status_)->code();
}
int OIOin::severity() const {
  return held(status_)->severity();
}
const char* OIOin::messageText() const {
  return held(status_)->messageText();
}

void OIOin::printStatus(std::ostream& out) const {
  const char* text = messageText();
  if (text != nullptr && *text != '\0') out << text;
}

void OIOin::printOn(std::ostream& out) const {
  printStatus(out);
}

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
OIOin& OIOin::operator>>(int16_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(uint16_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(int32_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(uint32_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(int64_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(uint64_t& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(float& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(double& v) {
  read(&v, 1);
  return *this;
}
OIOin& OIOin::operator>>(bool& v) {
  int32_t i = 0;
  read(&i, 1);
  v = i != 0;
  return *this;
}

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
    setStatus(oioVersionsIncompatibleStatus());
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
    const Status* s =
        makeErrorStatus(kCannotInterpretCode, true, kOioErrName, kCannotInterpretMessage, 0, false);
    setStatus(s);
    s->release();
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
  const Status* s =
      makeErrorStatus(kUnreadableCode, true, kOioErrName, kUnreadableMessage, 0, false);
  setStatus(s);
  s->release();
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
  hold(status_, nullptr);
  flushPending();
  delete storedSet_;
  endStore();
}

void OIOout::setStatus(const Status* status) {
  hold(status_, status);
}
void OIOout::setStatus(const Status& status) {
  hold(status_, &status);
}
const Status* OIOout::status() const {
  return held(status_);
}
uint32_t OIOout::code() const {
  return held(status_)->code();
}
int OIOout::severity() const {
  return held(status_)->severity();
}
const char* OIOout::messageText() const {
  return held(status_)->messageText();
}

void OIOout::printStatus(std::ostream& out) const {
  const char* text = messageText();
  if (text != nullptr && *text != '\0') out << text;
}

void OIOout::printOn(std::ostream& out) const {
  printStatus(out);
}

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
OIOout& OIOout::operator<<(int16_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(uint16_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(int32_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(uint32_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(int64_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(uint64_t v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(float v) {
  write(&v, 1);
  return *this;
}
OIOout& OIOout::operator<<(double v) {
  write(&v, 1);
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
    setStatus(oioVersionsIncompatibleStatus());
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
      setStatus(outOfMemoryStatus());
      return;
    }
  }
  if (pending_->add(ob) == nil()) setStatus(outOfMemoryStatus());
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
    stream.setStatus(outOfMemoryStatus());
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

}  // namespace dv
