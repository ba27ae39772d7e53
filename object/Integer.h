// Integer: one signed 32-bit value as an object, for collections.
#ifndef DV_OBJECT_INTEGER_H_
#define DV_OBJECT_INTEGER_H_

#include <cstdint>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class Integer : public Object {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Integer)

 public:
  explicit Integer(int32_t value = 0) : value_(value) {}
  Integer(const Integer&) = default;
  Integer& operator=(const Integer&) = default;

  int32_t value() const { return value_; }
  void setValue(int32_t value) { value_ = value; }

  Object* shallowCopy() const override;
  // This value minus the other's; a difference beyond 32 bits is held at the
  // nearest bound, so its sign is always right. Reports [BADARGCLM] when
  // other is no Integer.
  int compare(const Object& other) const override;
  uint32_t hash() const override;
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;  // decimal

 private:
  int32_t value_;
};

}  // namespace dv

#endif  // DV_OBJECT_INTEGER_H_
