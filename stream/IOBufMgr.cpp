// The buffer pool.
#include "stream/IOBufMgr.h"

#include <cassert>
#include <new>
#include <ostream>

namespace dv {

DV_DEFINE_CLASS_MEMBERS(IOBufMgr, Object)

const Class& IOBufMgr::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IOBufMgr", bases, none, none, 1, Class::kIdent, sizeof(IOBufMgr), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

IOBufMgr::IOBufMgr(IOBufIn* records, uint32_t count, uint32_t bufferSize, uint8_t* block)
    : bufferSize_(bufferSize) {
  for (uint32_t i = 0; records != nullptr && block != nullptr && i < count; ++i) {
    IOBufIn& r = records[i];
    assert(r.list_ == nullptr && r.manager_ == nullptr);
    (void)r.reset(0, 0, block + static_cast<std::size_t>(i) * bufferSize, bufferSize);
    r.manager_ = this;
    r.holders_ = 0;
    r.next_ = free_;
    free_ = &r;
    ++freeCount_;
  }
}

IOBufMgr::~IOBufMgr() {
  assert(outstanding_ == 0);
  while (free_ != nullptr) {
    IOBufIn* b = free_;
    free_ = b->next_;
    discard(*b);
  }
}

void IOBufMgr::discard(IOBufIn& buf) {
  buf.manager_ = nullptr;
  buf.next_ = nullptr;
  if (buf.refCount() >= 1) {
    buf.destroy();
  } else {
    buf.holders_ = 1;  // a record: its owner has it back as a plain buffer
  }
}

const Status* IOBufMgr::take(IOBufIn*& out, int direction) {
  out = nullptr;
  IOBufIn* b = free_;
  if (b != nullptr) {
    free_ = b->next_;
    --freeCount_;
  } else {
    b = new (std::nothrow) IOBufIn(nullptr, true, bufferSize_, 0, 0, direction);
    if (b == nullptr) return outOfMemoryStatus();
    if (bufferSize_ > 0 && b->data() == nullptr) {
      b->destroy();
      return outOfMemoryStatus();
    }
  }
  b->next_ = b->prev_ = nullptr;
  b->list_ = nullptr;
  b->manager_ = this;
  b->holders_ = 1;
  b->setStatus(successStatus());
  b->setDirection(direction);
  b->setLimit(b->capacity());
  (void)b->setWindow(0, direction != IOBuf::kInput ? b->capacity() : 0);
  ++outstanding_;
  addRef();  // the buffer holds the pool until it is back
  out = b;
  return successStatus();
}

void IOBufMgr::giveBack(IOBufIn& buf) {
  assert(buf.manager_ == this && buf.holders_ == 0 && buf.list_ == nullptr);
  if (buf.manager_ != this) return;
  assert(outstanding_ > 0);
  --outstanding_;
  if (shrinking_ != 0 && buf.keep_ == 0) {
    discard(buf);
  } else {
    buf.next_ = free_;
    free_ = &buf;
    ++freeCount_;
  }
  release();  // the buffer's hold on the pool; may be the last one
}

Object* IOBufMgr::shallowCopy() const {
  shouldNotImplement("shallowCopy");
  return nullptr;
}

int IOBufMgr::compare(const Object& other) const {
  if (this == &other) return 0;
  return static_cast<const void*>(this) < static_cast<const void*>(&other) ? -1 : 1;
}

uint32_t IOBufMgr::hash() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 3);
}

bool IOBufMgr::isEqual(const Object& other) const {
  return this == &other;
}

void IOBufMgr::printOn(std::ostream& out) const {
  out << "IOBufMgr(bufferSize=" << bufferSize_ << ", free=" << freeCount_
      << ", out=" << outstanding_ << ')';
}

}  // namespace dv
