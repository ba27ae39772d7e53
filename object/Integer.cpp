// The boxed 32-bit integer.
#include "object/Integer.h"
#include "object/OIO.h"

#include <climits>
#include <ostream>

namespace dv {

DV_DEFINE_CLASS_MEMBERS(Integer, Object)

const Class& Integer::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Integer", bases, none, none, 1, Class::kIdent, sizeof(Integer),
                       &readObjectText<Integer>, &readObjectBinary<Integer>, nullptr, nullptr);
  return d;
}

Object* Integer::shallowCopy() const {
  return new Integer(*this);
}

int Integer::compare(const Object& other) const {
  if (!assertArgClass(other, Integer::desc(), "compare")) return 0;
  int64_t difference = static_cast<int64_t>(value_) - static_cast<const Integer&>(other).value_;
  if (difference > INT_MAX) return INT_MAX;
  if (difference < INT_MIN) return INT_MIN;
  return static_cast<int>(difference);
}

uint32_t Integer::hash() const {
  return static_cast<uint32_t>(value_);
}

bool Integer::isEqual(const Object& other) const {
  return other.isSpecies(Integer::desc()) && static_cast<const Integer&>(other).value_ == value_;
}

void Integer::printOn(std::ostream& out) const {
  out << value_;
}

Integer::Integer(OIOin& stream) : Object(stream) {
  stream >> value_;
}

void Integer::storer(OIOout& stream) const {
  stream << value_;
}

}  // namespace dv
