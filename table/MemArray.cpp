// The array of fixed-size elements.
#include "table/MemArray.h"

#include <cstring>
#include <ostream>

#include "object/Allocation.h"

namespace dv {
namespace {

// One element's bytes, 4 or 2 at a time when the size allows.
void copyElement(uint8_t* to, const uint8_t* from, uint32_t size) {
  if (size % 4 == 0) {
    for (uint32_t k = 0; k < size; k += 4) {
      uint32_t w;
      std::memcpy(&w, from + k, 4);
      std::memcpy(to + k, &w, 4);
    }
  } else if (size % 2 == 0) {
    for (uint32_t k = 0; k < size; k += 2) {
      uint16_t w;
      std::memcpy(&w, from + k, 2);
      std::memcpy(to + k, &w, 2);
    }
  } else {
    for (uint32_t k = 0; k < size; ++k) to[k] = from[k];
  }
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(MemArray, Object)

const Class& MemArray::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("MemArray", bases, none, none, 1, Class::kIdent, sizeof(MemArray), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

MemArray::MemArray(uint32_t elementSize, const MemArrayOps* ops, uint32_t initialCount,
                   int32_t typeTag)
    : elementSize_(elementSize), ops_(ops), typeTag_(typeTag) {
  if (initialCount > 0) (void)resize(initialCount, false);
}

MemArray::MemArray(const MemArray& prototype, LayoutOnly)
    : Object(prototype),
      elementSize_(prototype.elementSize_),
      ops_(prototype.ops_),
      typeTag_(prototype.typeTag_) {}

MemArray::MemArray(const MemArray& prototype) : MemArray(prototype, LayoutOnly{}) {
  if (elementSize_ == 0 || prototype.count_ == 0) return;
  if (ops_ != nullptr && ops_->release != nullptr) {
    (void)resize(prototype.count_, false);
    return;
  }
  data_ = static_cast<uint8_t*>(allocate(bytesFor(prototype.count_)));
  if (data_ == nullptr) return;
  count_ = capacity_ = prototype.count_;
  for (uint32_t i = 0; i < count_; ++i) copyElement(element(i), prototype.element(i), elementSize_);
}

MemArray::~MemArray() {
  releaseRange(0, count_);
  deallocate(data_);
}

void MemArray::initRange(uint32_t first, uint32_t n, bool zeroFirst) {
  if (n == 0) return;
  if (ops_ == nullptr || ops_->init == nullptr) {
    std::memset(element(first), 0, bytesFor(n));
    return;
  }
  if (zeroFirst) std::memset(element(first), 0, bytesFor(n));
  for (uint32_t i = first; i < first + n; ++i) ops_->init(element(i));
}

void MemArray::releaseRange(uint32_t first, uint32_t n) {
  if (ops_ == nullptr || ops_->release == nullptr) return;
  for (uint32_t i = first; i < first + n; ++i) ops_->release(element(i));
}

void MemArray::trim() {
  if (count_ == 0) {
    deallocate(data_);
    data_ = nullptr;
    capacity_ = 0;
    return;
  }
  if (count_ > capacity_ / 2) return;
  uint8_t* smaller = static_cast<uint8_t*>(allocate(bytesFor(count_)));
  if (smaller == nullptr) return;  // the larger block serves as well
  std::memcpy(smaller, data_, bytesFor(count_));
  deallocate(data_);
  data_ = smaller;
  capacity_ = count_;
}

bool MemArray::resize(uint32_t newCount, bool zeroFirst) {
  if (elementSize_ == 0 || newCount == count_) return true;
  if (newCount < count_) {
    releaseRange(newCount, count_ - newCount);
    count_ = newCount;
    trim();
    return true;
  }
  if (newCount > capacity_) {
    // Small steps grow the block by half, so that a run of appends copies
    // each element a bounded number of times.
    uint32_t room = newCount;
    if (count_ > 0 && newCount - count_ < count_ / 2 && count_ + count_ / 2 > count_) {
      room = count_ + count_ / 2;
    }
    uint8_t* bigger = static_cast<uint8_t*>(allocate(bytesFor(room)));
    if (bigger == nullptr) return false;
    if (count_ > 0) std::memcpy(bigger, data_, bytesFor(count_));
    deallocate(data_);
    data_ = bigger;
    capacity_ = room;
  }
  initRange(count_, newCount - count_, zeroFirst);
  count_ = newCount;
  return true;
}

void* MemArray::at(uint32_t index) const {
  if (index >= count_ || data_ == nullptr) return nullptr;
  return element(index);
}

bool MemArray::set(uint32_t i, const void* bytes) {
  if (bytes == nullptr || i >= count_) return false;
  copyElement(element(i), static_cast<const uint8_t*>(bytes), elementSize_);
  return true;
}

bool MemArray::reinit(uint32_t i) {
  return reinitRange(i, 1);
}

bool MemArray::reinitRange(uint32_t first, uint32_t n) {
  if (first > count_ || n > count_ - first) return false;
  initRange(first, n, false);
  return true;
}

bool MemArray::releaseAt(uint32_t i) {
  if (i >= count_) return false;
  releaseRange(i, 1);
  initRange(i, 1, false);
  return true;
}

bool MemArray::move(uint32_t from, uint32_t to) {
  if (from >= count_ || to >= count_) return false;
  if (from == to) return true;
  copyElement(element(to), element(from), elementSize_);
  initRange(from, 1, false);
  return true;
}

bool MemArray::swap(MemArray& other) {
  if (elementSize_ == 0 || elementSize_ != other.elementSize_ || ops_ != other.ops_) return false;
  std::swap(data_, other.data_);
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
  return true;
}

bool MemArray::removeRange(uint32_t first, uint32_t n) {
  if (first > count_ || n > count_ - first) return false;
  if (n == 0 || elementSize_ == 0) return true;
  releaseRange(first, n);
  uint32_t after = count_ - first - n;
  if (after > 0) std::memmove(element(first), element(first + n), bytesFor(after));
  count_ -= n;
  trim();
  return true;
}

bool MemArray::insertGap(uint32_t at, uint32_t n) {
  if (at > count_ || n > UINT32_MAX - count_) return false;
  if (n == 0 || elementSize_ == 0) return true;
  uint32_t newCount = count_ + n;
  if (newCount > capacity_) {
    uint8_t* bigger = static_cast<uint8_t*>(allocate(bytesFor(newCount)));
    if (bigger == nullptr) return false;
    if (at > 0) std::memcpy(bigger, data_, bytesFor(at));
    if (count_ > at) {
      std::memcpy(bigger + bytesFor(at + n), data_ + bytesFor(at), bytesFor(count_ - at));
    }
    deallocate(data_);
    data_ = bigger;
    capacity_ = newCount;
  } else if (count_ > at) {
    std::memmove(element(at + n), element(at), bytesFor(count_ - at));
  }
  count_ = newCount;
  initRange(at, n, false);
  return true;
}

bool MemArray::copyFrom(uint32_t i, const AbsTable& src, uint32_t srcIndex) {
  if (i >= count_ || ops_ == nullptr || ops_->copyFrom == nullptr) return false;
  releaseAt(i);
  ops_->copyFrom(element(i), src, srcIndex);
  return true;
}

bool MemArray::storeElement(uint32_t i, OIOout& stream) const {
  if (i >= count_ || ops_ == nullptr || ops_->store == nullptr) return false;
  ops_->store(element(i), stream);
  return true;
}

bool MemArray::storeElement(uint32_t i, OIOoutbin& stream) const {
  if (i >= count_ || ops_ == nullptr || ops_->storeBinary == nullptr) return false;
  ops_->storeBinary(element(i), stream);
  return true;
}

bool MemArray::readElement(uint32_t i, OIOin& stream) {
  if (i >= count_ || ops_ == nullptr || ops_->readText == nullptr) return false;
  ops_->readText(element(i), stream);
  return true;
}

bool MemArray::readElement(uint32_t i, OIOinbin& stream) {
  if (i >= count_ || ops_ == nullptr || ops_->readBinary == nullptr) return false;
  ops_->readBinary(element(i), stream);
  return true;
}

bool MemArray::writeTaggedElement(uint32_t i, TableStream& stream) const {
  if (i >= count_ || ops_ == nullptr || ops_->writeTagged == nullptr) return false;
  return ops_->writeTagged(element(i), stream);
}

bool MemArray::readTaggedElement(uint32_t i, TableStream& stream) {
  if (i >= count_ || ops_ == nullptr || ops_->readTagged == nullptr) return false;
  return ops_->readTagged(element(i), stream);
}

void MemArray::moveBytes(uint32_t from, uint32_t to, uint32_t n) {
  if (n == 0 || elementSize_ == 0) return;
  std::memmove(element(to), element(from), bytesFor(n));
}

void MemArray::replaceBlock(void* block, uint32_t count) {
  deallocate(data_);
  data_ = static_cast<uint8_t*>(block);
  count_ = capacity_ = block == nullptr ? 0 : count;
}

Object* MemArray::shallowCopy() const {
  return new (std::nothrow) MemArray(*this);
}

int MemArray::compare(const Object& other) const {
  if (!other.isKindOf(MemArray::desc())) return isA()->compare(*other.isA());
  const MemArray& o = static_cast<const MemArray&>(other);
  if (elementSize_ != o.elementSize_) return elementSize_ < o.elementSize_ ? -1 : 1;
  if (count_ != o.count_) return count_ < o.count_ ? -1 : 1;
  if (count_ == 0 || elementSize_ == 0) return 0;
  int c = std::memcmp(data_, o.data_, bytesFor(count_));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

uint32_t MemArray::hash() const {
  uint32_t h = 2166136261u ^ count_;
  std::size_t n = bytesFor(count_);
  for (std::size_t k = 0; k < n; ++k) h = (h ^ data_[k]) * 16777619u;
  return h;
}

bool MemArray::isEqual(const Object& other) const {
  return this == &other || (other.isKindOf(MemArray::desc()) && compare(other) == 0);
}

void MemArray::printOn(std::ostream& out) const {
  out << "MemArray(count=" << count_ << ", elementSize=" << elementSize_ << ')';
}

uint32_t MemArray::size() const {
  return count_;
}

uint32_t MemArray::capacity() const {
  return capacity_;
}

int MemArray::streamTypeNumber() const {
  return typeTag_;
}

Object* MemArray::newForStream() const {
  if (typeTag_ < 0) return nullptr;
  return new (std::nothrow) MemArray(*this, LayoutOnly{});
}

}  // namespace dv
