// The collection iterator.
#include "object/Iterator.h"

#include <ostream>

#include "object/Collection.h"
#include "object/Nil.h"

namespace dv {
DV_DEFINE_CLASS_MEMBERS(Iterator, Object)

const Class& Iterator::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Iterator", bases, none, none, 1, Class::kIdent, sizeof(Iterator), nullptr,
                       nullptr, nullptr, nullptr);
  return d;
}

Iterator::Iterator(const Collection& c) : state(nil()), collection_(&c) {
  c.iterReset(*this);
}

Iterator::Iterator(const Iterator& other)
    : Object(other),
      index(other.index),
      num(other.num),
      state(other.state),
      collection_(other.collection_),
      current_(other.current_) {}

Iterator::~Iterator() {
  collection_->iterFinish(*this);
}

Object* Iterator::operator()() {
  current_ = collection_->iterNext(*this);
  return current_;
}

void Iterator::reset() {
  collection_->iterReset(*this);
}

Object* Iterator::shallowCopy() const {
  return new Iterator(*this);
}

int Iterator::compare(const Object&) const {
  shouldNotImplement("compare");
  return 0;
}

uint32_t Iterator::hash() const {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(collection_)) ^
         static_cast<uint32_t>(index) ^ static_cast<uint32_t>(num);
}

bool Iterator::isEqual(const Object& other) const {
  if (!other.isSpecies(Iterator::desc())) return false;
  const Iterator& o = static_cast<const Iterator&>(other);
  return collection_ == o.collection_ && index == o.index && num == o.num &&
         state->isEqual(*o.state);
}

void Iterator::printOn(std::ostream& out) const {
  out << className() << "[index=" << index << " num=" << num << ']';
}

}  // namespace dv
