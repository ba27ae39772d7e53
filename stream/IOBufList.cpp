// The chain of buffers.
#include "stream/IOBufList.h"

#include <ostream>

namespace dv {

DV_DEFINE_CLASS_MEMBERS(IOBufList, Object)

const Class& IOBufList::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("IOBufList", bases, none, none, 1, Class::kIdent, sizeof(IOBufList), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

IOBufList::IOBufList() : status_(successStatus()) {
  status_->addRef();
}

IOBufList::~IOBufList() {
  while (head_ != nullptr) head_->unlink();
  status_->release();
  if (stream_ != nullptr) stream_->release();
}

bool IOBufList::append(IOBufIn& buf) {
  if (buf.list_ != nullptr) return false;
  buf.retain();
  buf.list_ = this;
  buf.prev_ = tail_;
  buf.next_ = nullptr;
  if (tail_ != nullptr) {
    tail_->next_ = &buf;
  } else {
    head_ = &buf;
  }
  tail_ = &buf;
  ++count_;
  if (current_ == nullptr) current_ = &buf;
  return true;
}

bool IOBufList::prepend(IOBufIn& buf) {
  if (buf.list_ != nullptr) return false;
  buf.retain();
  buf.list_ = this;
  buf.prev_ = nullptr;
  buf.next_ = head_;
  if (head_ != nullptr) {
    head_->prev_ = &buf;
  } else {
    tail_ = &buf;
  }
  head_ = &buf;
  ++count_;
  if (current_ == nullptr) current_ = &buf;
  return true;
}

IOBufIn* IOBufList::advance() {
  if (current_ != nullptr) current_ = current_->next_;
  return current_;
}

bool IOBufList::setCurrent(IOBufIn* buf) {
  if (buf == nullptr || buf->list_ != this) return false;
  current_ = buf;
  return true;
}

void IOBufList::detach(IOBufIn& buf) {
  if (current_ == &buf) current_ = buf.next_;
  if (buf.prev_ != nullptr) {
    buf.prev_->next_ = buf.next_;
  } else {
    head_ = buf.next_;
  }
  if (buf.next_ != nullptr) {
    buf.next_->prev_ = buf.prev_;
  } else {
    tail_ = buf.prev_;
  }
  buf.next_ = buf.prev_ = nullptr;
  buf.list_ = nullptr;
  --count_;
}

void IOBufList::setStatus(const Status* status) {
  if (status == nullptr) status = successStatus();
  status->addRef();
  status_->release();
  status_ = status;
}

void IOBufList::setStream(Object* stream) {
  if (stream != nullptr) stream->addRef();
  if (stream_ != nullptr) stream_->release();
  stream_ = stream;
}

Object* IOBufList::shallowCopy() const {
  shouldNotImplement("shallowCopy");
  return nullptr;
}

int IOBufList::compare(const Object& other) const {
  if (this == &other) return 0;
  return static_cast<const void*>(this) < static_cast<const void*>(&other) ? -1 : 1;
}

uint32_t IOBufList::hash() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 3);
}

bool IOBufList::isEqual(const Object& other) const {
  return this == &other;
}

void IOBufList::printOn(std::ostream& out) const {
  out << "IOBufList(buffers=" << count_ << ')';
}

}  // namespace dv
