// The byte buffers.
#include "stream/IOBuf.h"

#include <cassert>
#include <cstring>
#include <new>
#include <ostream>

#include "object/Allocation.h"
#include "stream/IOBufList.h"
#include "stream/IOBufMgr.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(IOBuf, Object)

const Class& IOBuf::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IOBuf", bases, none, none, 1, Class::kIdent, sizeof(IOBuf), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

IOBuf::IOBuf(uint8_t* data, bool ownsData, uint32_t capacity, uint32_t start, uint32_t end,
             int direction)
    : status_(successStatus()), direction_(direction) {
  status_->addRef();
  if (data == nullptr && ownsData && capacity > 0) {
    data = static_cast<uint8_t*>(allocate(capacity));
    if (data == nullptr) setStatus(outOfMemoryStatus());
  }
  if (data != nullptr) {
    data_ = data;
    ownsData_ = ownsData ? 1 : 0;
    capacity_ = capacity;
  }
  limit_ = capacity_;
  (void)setWindow(start, end);
}

IOBuf::IOBuf(const IOBuf& other)
    : Object(other), status_(other.status_), direction_(other.direction_) {
  status_->addRef();
  if (other.ownsData_ != 0 && other.data_ != nullptr) {
    data_ = static_cast<uint8_t*>(allocate(other.capacity_));
    if (data_ == nullptr) {
      setStatus(outOfMemoryStatus());
      return;
    }
    std::memcpy(data_, other.data_, other.capacity_);
    ownsData_ = 1;
  } else {
    data_ = other.data_;
  }
  capacity_ = data_ != nullptr ? other.capacity_ : 0;
  limit_ = other.limit_ < capacity_ ? other.limit_ : capacity_;
  (void)setWindow(other.start(), other.stop());
}

IOBuf::~IOBuf() {
  dropBlock();
  status_->release();
}

void IOBuf::dropBlock() {
  if (ownsData_ != 0) deallocate(data_);
  data_ = nullptr;
  ownsData_ = 0;
  capacity_ = 0;
  current_ = end_ = nullptr;
}

void IOBuf::setStatus(const Status* status) {
  if (status == nullptr) status = successStatus();
  status->addRef();
  status_->release();
  status_ = status;
}

const Status* IOBuf::reset(uint32_t start, uint32_t end, uint8_t* externalData, uint32_t size) {
  if (externalData != nullptr) {
    dropBlock();
    data_ = externalData;
    capacity_ = size;
  } else if (capacity_ != size || (data_ == nullptr && size > 0)) {
    // The new block is taken before the old one goes, so that running out
    // of memory leaves the buffer as it was.
    uint8_t* fresh = size > 0 ? static_cast<uint8_t*>(allocate(size)) : nullptr;
    if (size > 0 && fresh == nullptr) {
      setStatus(outOfMemoryStatus());
      return outOfMemoryStatus();
    }
    dropBlock();
    data_ = fresh;
    ownsData_ = fresh != nullptr ? 1 : 0;
    capacity_ = size;
  }
  limit_ = capacity_;
  return setWindow(start, end);
}

const Status* IOBuf::setWindow(uint32_t start, uint32_t end) {
  uint32_t s = start < capacity_ ? start : capacity_;
  uint32_t e = end < capacity_ ? end : capacity_;
  if (e < s) e = s;
  current_ = data_ + s;
  end_ = data_ + e;
  return successStatus();
}

Object* IOBuf::shallowCopy() const {
  return new (std::nothrow) IOBuf(*this);
}

int IOBuf::compare(const Object& other) const {
  if (this == &other) return 0;
  return static_cast<const void*>(this) < static_cast<const void*>(&other) ? -1 : 1;
}

uint32_t IOBuf::hash() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 3);
}

bool IOBuf::isEqual(const Object& other) const {
  return this == &other;
}

void IOBuf::printOn(std::ostream& out) const {
  out << className() << "(capacity=" << capacity_ << ", window=" << start() << ".." << stop()
      << ')';
}

// IOBufIn

DV_DEFINE_CLASS_MEMBERS(IOBufIn, IOBuf)

const Class& IOBufIn::desc() {
  static const Class* const bases[] = {&IOBuf::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IOBufIn", bases, none, none, 1, Class::kIdent, sizeof(IOBufIn), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

IOBufIn::IOBufIn(uint8_t* data, bool ownsData, uint32_t capacity, uint32_t start, uint32_t end,
                 int direction)
    : IOBuf(data, ownsData, capacity, start, end, direction) {}

IOBufIn::IOBufIn() : IOBuf(nullptr, false, 0, 0, 0, kInput) {}

IOBufIn::IOBufIn(const IOBufIn& other) : IOBuf(other), keep_(other.keep_) {}

IOBufIn::~IOBufIn() {
  if (list_ != nullptr) list_->detach(*this);
}

void IOBufIn::release() const {
  assert(holders_ >= 1);
  if (holders_ < 1 || --holders_ > 0) return;
  IOBufIn* self = const_cast<IOBufIn*>(this);
  if (manager_ != nullptr) {
    manager_->giveBack(*self);
  } else if (refCount() >= 1) {
    Object::release();  // the only reference: the buffer goes
  }
}

void IOBufIn::unlink() {
  if (list_ == nullptr) return;
  list_->detach(*this);
  release();
}

Object* IOBufIn::shallowCopy() const {
  return new (std::nothrow) IOBufIn(*this);
}

void IOBufIn::printOn(std::ostream& out) const {
  out << className() << "(capacity=" << capacity() << ", window=" << start() << ".." << stop()
      << ", holders=" << holders_ << ')';
}

}  // namespace dv
