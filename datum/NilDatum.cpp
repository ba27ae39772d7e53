// The nil value.
#include "datum/NilDatum.h"

#include <cstring>
#include <ostream>

#include "datum/DatumStatus.h"
#include "object/OIO.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(NilDatum, Datum)

const Class& NilDatum::desc() {
  static const Class* const bases[] = {&Datum::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("NilDatum", bases, none, none, 1, Class::kIdent, sizeof(NilDatum),
                            &readObjectText<NilDatum>, &readObjectBinary<NilDatum>, nullptr,
                            nullptr, nullptr);
  return d;
}

NilDatum* nilDatum() {
  static NilDatum shared;
  return &shared;
}

[[maybe_unused]] static const bool kNilDatumBuiltAtStartUp = (nilDatum(), true);

NilDatum::NilDatum() {
  setStatus(nullStatus());
}

NilDatum::NilDatum(OIOin& stream) : Datum(stream) {}

void NilDatum::storer(OIOout& stream) const {
  Datum::storer(stream);
}

Datum* NilDatum::newEmpty() const {
  return new (std::nothrow) NilDatum;
}

int NilDatum::typeCode() const {
  return kTypeNil;
}

int NilDatum::maxTextLength(const char*, FormatArg) const {
  return static_cast<int>(std::strlen(kText)) + 1;
}

char* NilDatum::asString(char* buf, int bufSize, const char*, FormatArg) const {
  if (buf == nullptr || bufSize < 1) return buf;
  std::size_t n = std::strlen(kText);
  if (n > static_cast<std::size_t>(bufSize - 1)) n = static_cast<std::size_t>(bufSize - 1);
  std::memcpy(buf, kText, n);
  buf[n] = '\0';
  return buf;
}

bool NilDatum::isGreaterThan(const Datum& x) const {
  if (status() == nullValueStatus() || x.status() == nullValueStatus()) return false;
  return kind() > x.kind();
}

bool NilDatum::isLessThan(const Datum& x) const {
  if (status() == nullValueStatus() || x.status() == nullValueStatus()) return false;
  return kind() < x.kind();
}

bool NilDatum::isNull() const {
  return true;
}

Object* NilDatum::shallowCopy() const {
  return new NilDatum(*this);
}

int NilDatum::compare(const Object& other) const {
  return compareKind(other);
}

uint32_t NilDatum::hash() const {
  return 0;
}

void NilDatum::printOn(std::ostream& out) const {
  out << (status() == nullValueStatus() ? kNullText : kText);
}

}  // namespace dv
