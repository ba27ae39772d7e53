// Ranges of positions.
#include "object/Range.h"
#include "object/OIO.h"

#include <ostream>

namespace dv {

DV_DEFINE_CLASS_MEMBERS(Range, Object)

const Class& Range::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Range", bases, none, none, 1, Class::kIdent, sizeof(Range),
                       &readObjectText<Range>, &readObjectBinary<Range>, nullptr, nullptr);
  return d;
}

Object* Range::shallowCopy() const {
  return new Range(*this);
}

int Range::compare(const Object&) const {
  shouldNotImplement("compare");
  return 0;
}

uint32_t Range::hash() const {
  return static_cast<uint32_t>(first_ ^ length_);
}

bool Range::isEqual(const Object& other) const {
  if (!other.isSpecies(Range::desc())) return false;
  const Range& o = static_cast<const Range&>(other);
  return first_ == o.first_ && length_ == o.length_;
}

void Range::printOn(std::ostream& out) const {
  out << first_ << ':' << length_;
}

Range::Range(OIOin& stream) : Object(stream) {
  stream >> first_ >> length_;
}

void Range::storer(OIOout& stream) const {
  stream << first_ << length_;
}

}  // namespace dv
