// Nil, the class of the single nil object: the mark of an empty slot in a
// collection and of "no object" in look-ups.
#ifndef DV_OBJECT_NIL_H_
#define DV_OBJECT_NIL_H_

#include "object/Object.h"

namespace dv {
namespace internal {
void createNil();  // the library start-up (object/internal/Startup.h)
}  // namespace internal

class Nil final : public Object {
 public:
  static const Class& desc();

  const Class* isA() const override;
  Object* shallowCopy() const override;             // nil itself
  Object* copy() const override;                    // nil itself
  int compare(const Object& other) const override;  // 0, for another Nil
  void deepenShallowCopy() override;
  void dumpOn(std::ostream& out) const override;     // "NIL"
  uint32_t hash() const override;                    // 0
  bool isEqual(const Object& other) const override;  // other is nil
  void printOn(std::ostream& out) const override;    // "NIL"
  void storer(OIOout& stream) const override;
  void storer(OIOoutbin& stream) const override;
  void* _castdown(const Class& target) const override;

 private:
  Nil() = default;
  friend void internal::createNil();
};

}  // namespace dv

#endif  // DV_OBJECT_NIL_H_
