// Ordering numbers of different classes by value.
#include "datum/AbsNumber.h"
#include "object/OIO.h"

namespace dv {
namespace {

Object* readAbstract(OIOin&) {
  Object::readAbstractClass("AbsNumber");
  return nullptr;
}
Object* readAbstractBinary(OIOinbin&) {
  Object::readAbstractClass("AbsNumber");
  return nullptr;
}

// Both values as doubles; false when either conversion reports a problem.
bool bothDoubles(const Datum& a, const Datum& b, double* x, double* y) {
  const Status* sa = successStatus();
  const Status* sb = successStatus();
  *x = a.asDouble(&sa, nullptr);
  *y = b.asDouble(&sb, nullptr);
  return sa->severity() == 0 && sb->severity() == 0;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(AbsNumber, Datum)

const Class& AbsNumber::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("AbsNumber", bases, none, none, 1, Class::kIdent, sizeof(AbsNumber),
                            &readAbstract, &readAbstractBinary, nullptr, nullptr, nullptr);
  return d;
}

bool AbsNumber::numericallyEqual(const Datum& other) const {
  double x = 0;
  double y = 0;
  return bothDoubles(*this, other, &x, &y) && x == y;
}

bool AbsNumber::isLessThan(const Datum& other) const {
  double x = 0;
  double y = 0;
  if (other.isKindOf(AbsNumber::desc()) && bothDoubles(*this, other, &x, &y)) return x < y;
  return kind() < other.kind();
}

bool AbsNumber::isGreaterThan(const Datum& other) const {
  double x = 0;
  double y = 0;
  if (other.isKindOf(AbsNumber::desc()) && bothDoubles(*this, other, &x, &y)) return x > y;
  return kind() > other.kind();
}

int AbsNumber::compare(const Object& other) const {
  int k = compareKind(other);
  if (k != 0) return k;
  const Datum& d = static_cast<const Datum&>(other);
  if (numericallyEqual(d)) return 0;
  return isGreaterThan(d) ? 1 : -1;
}

}  // namespace dv
