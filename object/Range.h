// Range: a first position and a length, such as a part of a string.
#ifndef DV_OBJECT_RANGE_H_
#define DV_OBJECT_RANGE_H_

#include <cstdint>

#include "object/Class.h"
#include "object/Object.h"

namespace dv {

class Range : public Object {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Range)

 public:
  explicit Range(int32_t first = 0, int32_t length = 0) : first_(first), length_(length) {}
  Range(const Range&) = default;
  Range& operator=(const Range&) = default;

  int32_t first() const { return first_; }
  int32_t length() const { return length_; }
  // The last position: first + length - 1.
  int32_t lastIndex() const { return first_ + length_ - 1; }
  void setFirst(int32_t first) { first_ = first; }
  void setLength(int32_t length) { length_ = length; }
  // A range is valid when its length is not negative.
  bool valid() const { return length_ >= 0; }

  Object* shallowCopy() const override;
  int compare(const Object& other) const override;  // refused: ranges are not ordered
  uint32_t hash() const override;                   // first exclusive-or length
  bool isEqual(const Object& other) const override;
  void printOn(std::ostream& out) const override;  // first ":" length

 private:
  int32_t first_;
  int32_t length_;
};

}  // namespace dv

#endif  // DV_OBJECT_RANGE_H_
