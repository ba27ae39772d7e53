// The hashed set and the identity set.
#include "object/Set.h"

#include <cassert>
#include <iostream>
#include <string>

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Iterator.h"
#include "object/Nil.h"
#include "object/OIO.h"
#include "object/OrderedCltn.h"
#include "object/Registry.h"

namespace dv {
namespace {

constexpr uint32_t kGoldenRatio = 0x9E3779B9u;

// Bits of the table for n elements: the significant bits of n, one more when
// n is not a power of two. REQUIRES: n >= 1.
int32_t bitsFor(int32_t n) {
  assert(n >= 1);
  int32_t bits = 0;
  for (uint32_t v = static_cast<uint32_t>(n); v != 0; v >>= 1) ++bits;
  if ((n & (n - 1)) != 0) ++bits;
  return bits;
}

uint32_t addressHash(const Object& ob) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ob));
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(Set, Collection)
DV_DEFINE_CLASS_MEMBERS(IdentSet, Set)

const Class& Set::desc() {
  static const Class* const bases[] = {&Collection::desc(), nullptr};
  static const Class* const members[] = {&ArrayOb::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Set", bases, members, none, 1, Class::kIdent, sizeof(Set),
                       &readObjectText<Set>, &readObjectBinary<Set>, nullptr, nullptr);
  return d;
}

const Class& IdentSet::desc() {
  static const Class* const bases[] = {&Set::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IdentSet", bases, none, none, 1, Class::kIdent, sizeof(IdentSet),
                       &readObjectText<IdentSet>, &readObjectBinary<IdentSet>, nullptr, nullptr);
  return d;
}

Set::Set(int32_t size)
    : contents_(int32_t{1} << bitsFor(size < 1          ? 1
                                      : size > kMaxSize ? kMaxSize
                                                        : size)) {
  if (size < 1) {
    setError(nihcl::ALLOCSIZE, kDefaultSeverity, this, "Set::Set");
    size = 1;
  }
  setSizing(size > kMaxSize ? kMaxSize : size);
}

void Set::setSizing(int32_t size) {
  assert(size <= kMaxSize);
  nbits_ = bitsFor(size);
  mask_ = (int32_t{1} << nbits_) - 1;
  if (static_cast<int32_t>(contents_.size()) < slotCount()) {
    // The table could not be allocated: no slots until an addition grows it.
    nbits_ = 0;
    mask_ = -1;
  }
}

int32_t Set::h(uint32_t x) const {
  if (mask_ < 0) return 0;  // no table: every probe loop is empty
  return static_cast<int32_t>(((x * kGoldenRatio) >> (32 - nbits_)) & static_cast<uint32_t>(mask_));
}

int32_t Set::positionOf(const Object& ob) const {
  return h(ob.hash());
}

int32_t Set::findIndexOf(const Object& ob) const {
  int32_t i = h(ob.hash());
  for (int32_t probes = 0; probes <= mask_; ++probes) {
    Object* slot = contents_[i];
    if (slot == nil() || slot->isEqual(ob)) return i;
    i = (i - 1) & mask_;
  }
  return kFull;
}

const char* Set::removeDiagnosticName() const {
  return "Set";
}

Object* Set::add(Object& ob) {
  int32_t i = findIndexOf(ob);
  if (i == kFull) {
    // Only when growing failed for want of memory, again and again.
    reSize(slotCount() > 0 ? slotCount() : kDefaultSize);
    i = findIndexOf(ob);
    if (i == kFull) return nil();
  }
  Object* held = contents_[i];
  if (held != nil()) return held;
  contents_[i] = &ob;
  if (static_cast<uint32_t>(++count_) > capacity()) reSize(static_cast<int32_t>(capacity()) * 2);
  return &ob;
}

Object* Set::remove(const Object& ob) {
  int32_t i = findIndexOf(ob);
  Object* removed = i == kFull ? nil() : contents_[i];
  if (removed == nil()) {
    std::cout << "NIHCL_REMOVEERR: " << removeDiagnosticName()
              << "::remove() tried to remove an object not in Set.\n"
              << "    obP = " << static_cast<const void*>(&ob) << " (a " << ob.className() << ")\n"
              << "    computed index = " << i << "\n"
              << "Contents of Set follows: \n";
    dumpOn(std::cout);
    std::cout.flush();
    setError(nihcl::REMOVEERR, kDefaultSeverity, this, className(), ob.className(), &ob);
    return nil();
  }
  // Deletion with linear probing: an element below the hole moves into it
  // unless its home position lies cyclically in [i, j), so that every element
  // stays reachable from its home by the downward probe.
  int32_t j = i;
  contents_[j] = nil();
  for (;;) {
    i = (i - 1) & mask_;
    Object* element = contents_[i];
    if (element == nil()) break;
    int32_t r = positionOf(*element);
    bool stays = (i <= r && r < j) || (r < j && j < i) || (j < i && i <= r);
    if (!stays) {
      contents_[j] = element;
      contents_[i] = nil();
      j = i;
    }
  }
  --count_;
  return removed;
}

uint32_t Set::occurrencesOf(const Object& ob) const {
  return findObject(ob) != nil() ? 1 : 0;
}

Object* Set::findObject(const Object& ob) const {
  int32_t i = findIndexOf(ob);
  return i == kFull ? nil() : contents_[i];
}

int32_t Set::reSize(int32_t n) {
  if (n <= count_) return n;
  if (n > kMaxSize) {
    // The table would outgrow what a 32-bit slot index reaches.
    if (count_ >= kMaxSize) return count_;
    n = kMaxSize;
  }
  int32_t slots = int32_t{1} << bitsFor(n);
  if (count_ == 0) {
    if (contents_.reSize(slots) < 0) return count_;
    setSizing(n);
    return n;
  }
  OrderedCltn moved(count_);
  if (moved.capacity() < static_cast<uint32_t>(count_)) return count_;
  for (int32_t i = 0; i <= mask_; ++i) {
    if (contents_[i] != nil()) {
      moved.add(*contents_[i]);
      contents_[i] = nil();
    }
  }
  bool resized = contents_.reSize(slots) >= 0;
  if (resized) setSizing(n);  // otherwise the elements go back into the old table
  count_ = 0;
  Iterator it(moved);
  while (Object* ob = it()) add(*ob);
  return resized ? n : count_;
}

Object* Set::iterNext(Iterator& it) const {
  while (it.index <= mask_) {
    Object* ob = contents_[it.index++];
    if (ob != nil()) return ob;
  }
  return nullptr;
}

Object* Set::shallowCopy() const {
  return new Set(*this);
}

void Set::deepenShallowCopy() {
  if (!markDeepened(*this)) return;
  // The copies may hash elsewhere (an identity set hashes addresses): the
  // table is filled anew with them.
  OrderedCltn copies(count_ > 0 ? count_ : 1);
  for (int32_t i = 0; i <= mask_; ++i) {
    if (contents_[i] != nil()) {
      copies.add(*contents_[i]->deepCopy());
      contents_[i] = nil();
    }
  }
  count_ = 0;
  Iterator it(copies);
  while (Object* ob = it()) add(*ob);
}

uint32_t Set::size() const {
  return static_cast<uint32_t>(count_);
}

uint32_t Set::capacity() const {
  return static_cast<uint32_t>(mask_ + 1) / 2;
}

int Set::compare(const Object&) const {
  shouldNotImplement("compare");
  return 0;
}

uint32_t Set::hash() const {
  uint32_t x = 0;
  for (int32_t i = 0; i <= mask_; ++i) {
    if (contents_[i] != nil()) x ^= contents_[i]->hash();
  }
  return x;
}

bool Set::isEqual(const Object& other) const {
  if (!other.isSpecies(*species())) return false;
  const Set& o = static_cast<const Set&>(other);
  if (count_ != o.count_) return false;
  for (int32_t i = 0; i <= mask_; ++i) {
    if (contents_[i] != nil() && !o.includes(*contents_[i])) return false;
  }
  return true;
}

void Set::dumpCounts(std::ostream& out) const {
  out << className() << "(count=" << count_ << " nbits=" << nbits_ << " mask=" << mask_ << ")\n"
      << "size() = " << size() << " capacity() = " << capacity() << '\n';
}

void Set::dumpOn(std::ostream& out) const {
  dumpCounts(out);
  for (int32_t i = 0; i <= mask_; ++i) {
    out << "    [" << i << "] = ";
    const Object* ob = contents_[i];
    if (ob == nil()) {
      out << "0\n";
      continue;
    }
    out << static_cast<const void*>(ob) << " (a " << ob->className()
        << ") refcount = " << ob->refCount() << " hash = " << ob->hash()
        << " Set::h(pObj) = " << positionOf(*ob) << '\n';
  }
}

Object* IdentSet::shallowCopy() const {
  return new IdentSet(*this);
}

int32_t IdentSet::positionOf(const Object& ob) const {
  return h(addressHash(ob));
}

int32_t IdentSet::findIndexOf(const Object& ob) const {
  int32_t i = h(addressHash(ob));
  for (int32_t probes = 0; probes < slotCount(); ++probes) {
    Object* slot = contents()[i];
    if (slot == nil() || slot == &ob) return i;
    i = (i - 1) & (slotCount() - 1);
  }
  return kFull;
}

// Stored as the count, then every element.
Set::Set(OIOin& stream, DeferRead) : Collection(stream), contents_(2) {
  setSizing(1);
}

Set::Set(OIOin& stream) : Set(stream, DeferRead{}) {
  readElements(stream);
}

IdentSet::IdentSet(OIOin& stream) : Set(stream, DeferRead{}) {
  readElements(stream);
}

void Set::readElements(OIOin& stream, const Class* elementClass) {
  stream.elementsAreHashed();
  int32_t n = 0;
  stream >> n;
  if (!stream.checkCount(n, kMaxSize, "an element count")) return;
  // The table grows with the elements as they arrive (add doubles it).
  if (n > 0) reSize(static_cast<int32_t>(stream.roomFor(n)));
  for (int32_t i = 0; i < n && stream.severity() < kError; ++i) {
    Object* ob = stream.readObject();
    if (ob == nil()) continue;
    if (elementClass != nullptr && !ob->isKindOf(*elementClass)) {
      stream.failSyntax(elementClass->name(), ob->className());
      return;
    }
    // Probing compares the new element with those it meets; some classes
    // refuse to be compared with others ([BADARGCLM]), which for stored
    // elements means damaged input, not a reason to end the process.
    Object* added = nil();
    int32_t refused = catchRegion([&] {
      ExceptionAction incomparable(nihcl::BADARGCLM);
      added = add(*ob);
    });
    if (refused != 0) {
      stream.failSyntax("elements that compare with each other", ob->className());
      return;
    }
    if (added == nil()) {
      // The table is full and could not grow: the element would be lost.
      stream.failOutOfMemory();
      return;
    }
  }
}

void Set::storer(OIOout& stream) const {
  stream << count_;
  for (int32_t i = 0; i <= mask_; ++i) {
    if (contents_[i] != nil()) contents_[i]->storeOn(stream);
  }
}

void IdentSet::storer(OIOout& stream) const {
  Set::storer(stream);
}

}  // namespace dv
