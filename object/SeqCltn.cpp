// Sequences: comparison, equality and iteration by position.
#include "object/SeqCltn.h"

#include "object/Iterator.h"
#include "object/OIO.h"

namespace dv {
namespace {

Object* readSeqCltn(OIOin&) {
  Object::readAbstractClass("SeqCltn");
  return nullptr;
}
Object* readSeqCltnBinary(OIOinbin&) {
  Object::readAbstractClass("SeqCltn");
  return nullptr;
}

}  // namespace

DV_DEFINE_CLASS_MEMBERS(SeqCltn, Collection)

const Class& SeqCltn::desc() {
  static const Class* const bases[] = {&Collection::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("SeqCltn", bases, none, none, 1, Class::kIdent, sizeof(SeqCltn),
                       &readSeqCltn, &readSeqCltnBinary, nullptr, nullptr);
  return d;
}

int32_t SeqCltn::indexOf(const Object& ob) const {
  int32_t n = static_cast<int32_t>(size());
  for (int32_t i = 0; i < n; ++i) {
    if (at(i)->isEqual(ob)) return i;
  }
  return -1;
}

Object* SeqCltn::iterNext(Iterator& it) const {
  if (it.index >= static_cast<int32_t>(size())) return nullptr;
  return at(it.index++);
}

uint32_t SeqCltn::occurrencesOf(const Object& ob) const {
  uint32_t count = 0;
  int32_t n = static_cast<int32_t>(size());
  for (int32_t i = 0; i < n; ++i) {
    if (at(i)->isEqual(ob)) ++count;
  }
  return count;
}

int SeqCltn::compare(const Object& other) const {
  if (!assertArgClass(other, SeqCltn::desc(), "compare")) return 0;
  const SeqCltn& o = static_cast<const SeqCltn&>(other);
  int32_t mine = static_cast<int32_t>(size());
  int32_t theirs = static_cast<int32_t>(o.size());
  for (int32_t i = 0;; ++i) {
    if (i >= mine) return i < theirs ? -1 : 0;
    if (i >= theirs) return 1;
    int c = at(i)->compare(*o.at(i));
    if (c != 0) return c;
  }
}

bool SeqCltn::isEqual(const Object& other) const {
  if (!assertArgClass(other, SeqCltn::desc(), "isEqual")) return false;
  const SeqCltn& o = static_cast<const SeqCltn&>(other);
  if (size() != o.size()) return false;
  int32_t n = static_cast<int32_t>(size());
  for (int32_t i = 0; i < n; ++i) {
    if (!at(i)->isEqual(*o.at(i))) return false;
  }
  return true;
}

}  // namespace dv
