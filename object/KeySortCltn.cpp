// The collection of associations sorted by key.
#include "object/KeySortCltn.h"

#include <new>

#include "object/LookupKey.h"
#include "object/Nil.h"
#include "object/OIO.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(KeySortCltn, SortedCltn)

const Class& KeySortCltn::desc() {
  static const Class* const bases[] = {&SortedCltn::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("KeySortCltn", bases, none, none, 1, Class::kIdent, sizeof(KeySortCltn),
                       &readObjectText<KeySortCltn>, &readObjectBinary<KeySortCltn>, nullptr,
                       nullptr);
  return d;
}

Object* KeySortCltn::add(Object& ob) {
  if (!assertArgClass(ob, LookupKey::desc(), "add")) return nil();
  return SortedCltn::add(ob);
}

Object* KeySortCltn::addAssoc(Object& key, Object& value) {
  Assoc* fresh = new (std::nothrow) Assoc(key, value);
  if (fresh == nullptr) return nil();
  return SortedCltn::add(*fresh);
}

int32_t KeySortCltn::indexOfKey(const Object& key) const {
  LookupKey probe(const_cast<Object&>(key));
  int32_t i = findIndexOf(probe);
  if (i < 0 || probe.compare(*at(i)) != 0) return -1;
  return i;
}

Object* KeySortCltn::atKey(const Object& key) const {
  int32_t i = indexOfKey(key);
  return i < 0 ? nil() : static_cast<LookupKey*>(at(i))->value();
}

OrderedCltn* KeySortCltn::keys() const {
  int32_t n = static_cast<int32_t>(size());
  OrderedCltn* out = new OrderedCltn(n > 0 ? n : 1);
  for (int32_t i = 0; i < n; ++i) out->add(*static_cast<LookupKey*>(at(i))->key());
  return out;
}

OrderedCltn* KeySortCltn::values() const {
  int32_t n = static_cast<int32_t>(size());
  OrderedCltn* out = new OrderedCltn(n > 0 ? n : 1);
  for (int32_t i = 0; i < n; ++i) out->add(*static_cast<LookupKey*>(at(i))->value());
  return out;
}

OrderedCltn* KeySortCltn::elementsUpTo(const Object& key) const {
  LookupKey probe(const_cast<Object&>(key));
  int32_t last = findIndexOf(probe);
  int32_t n = static_cast<int32_t>(size());
  // Elements equal to the key that follow the one the search found count too.
  while (last >= 0 && last + 1 < n && probe.compare(*at(last + 1)) == 0) ++last;
  OrderedCltn* out = new OrderedCltn(last + 2);
  for (int32_t i = 0; i <= last; ++i) out->add(*at(i));
  return out;
}

uint32_t KeySortCltn::occurrencesOfKey(const Object& key) const {
  LookupKey probe(const_cast<Object&>(key));
  int32_t i = findIndexOf(probe);
  if (i < 0 || probe.compare(*at(i)) != 0) return 0;
  // Walk both ways from the element found: equal keys sit side by side.
  int32_t first = i;
  while (first > 0 && probe.compare(*at(first - 1)) == 0) --first;
  int32_t n = static_cast<int32_t>(size());
  int32_t last = i;
  while (last + 1 < n && probe.compare(*at(last + 1)) == 0) ++last;
  return static_cast<uint32_t>(last - first + 1);
}

Object* KeySortCltn::shallowCopy() const {
  return new KeySortCltn(*this);
}

// Its elements must be pairs: the look-ups read them as such.
KeySortCltn::KeySortCltn(OIOin& stream) : SortedCltn(stream, &LookupKey::desc()) {}

void KeySortCltn::storer(OIOout& stream) const {
  OrderedCltn::storer(stream);
}

}  // namespace dv
