// The external file value and its column type.
#include "datum/ExtDatumFile.h"

#include <cstring>
#include <new>
#include <ostream>

#include "datum/DatumStatus.h"
#include "datum/NilDatum.h"
#include "object/OIO.h"

namespace dv {

DV_DEFINE_CLASS_MEMBERS(ExtDatumFile, Text)
DV_DEFINE_CLASS_MEMBERS(ExtDatumFileConstraint, DatumConstraint)

const Class& ExtDatumFile::desc() {
  static const Class* const bases[] = {&Text::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("ExtDatumFile", bases, none, none, 1, kIdent, sizeof(ExtDatumFile),
                            &readObjectText<ExtDatumFile>, &readObjectBinary<ExtDatumFile>, nullptr,
                            nullptr, nullptr);
  return d;
}

// Stored as the Text it is.
ExtDatumFile::ExtDatumFile(OIOin& stream) : Text(stream) {}

void ExtDatumFile::storer(OIOout& stream) const {
  Text::storer(stream);
}

Datum* ExtDatumFile::newEmpty() const {
  return new (std::nothrow) ExtDatumFile;
}

int ExtDatumFile::kind() const {
  return kKindExternal;
}

bool ExtDatumFile::isExternal() const {
  return true;
}

Object* ExtDatumFile::shallowCopy() const {
  return new ExtDatumFile(*this);
}

int ExtDatumFile::streamTypeNumber() const {
  return -1;
}

Object* ExtDatumFile::newForStream() const {
  return nullptr;
}

void ExtDatumFile::printOn(std::ostream& out) const {
  out << "<ExtDatumFile,pathname=" << path() << ">";
}

const Class& ExtDatumFileConstraint::desc() {
  static const Class* const bases[] = {&DatumConstraint::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("ExtDatumFileConstraint", bases, none, none, 1, Class::kIdent,
                            sizeof(ExtDatumFileConstraint), &readObjectText<ExtDatumFileConstraint>,
                            &readObjectBinary<ExtDatumFileConstraint>, nullptr, nullptr, nullptr);
  return d;
}

// Stored as the DatumConstraint part, then the bound.
ExtDatumFileConstraint::ExtDatumFileConstraint(OIOin& stream) : DatumConstraint(stream) {
  stream >> maxPathLength_;
}

void ExtDatumFileConstraint::storer(OIOout& stream) const {
  DatumConstraint::storer(stream);
  stream << maxPathLength_;
}

int16_t ExtDatumFileConstraint::similarity(const DatumConstraint& other) const {
  if (!other.isKindOf(ExtDatumFileConstraint::desc())) return 0;
  return static_cast<const ExtDatumFileConstraint&>(other).maxPathLength_ == maxPathLength_ ? 100
                                                                                            : 50;
}

Datum* ExtDatumFileConstraint::newDatum(const char* text, const char*) const {
  if (text == nullptr || text[0] == '\0') return nilDatum();
  std::size_t n = std::strlen(text);
  if (maxPathLength_ <= 0 || n <= static_cast<std::size_t>(maxPathLength_)) {
    return new (std::nothrow) ExtDatumFile(text);
  }
  ExtDatumFile* value = new (std::nothrow) ExtDatumFile;
  if (value == nullptr) return nullptr;
  value->assign(text, maxPathLength_);
  // An error of the assignment itself (out of memory) says more.
  if (value->severity() < kError) value->setStatus(textTruncatedStatus());
  return value;
}

uint32_t ExtDatumFileConstraint::maxLength() const {
  return maxPathLength_ > 0 ? static_cast<uint32_t>(maxPathLength_) : 0;
}

Datum* ExtDatumFileConstraint::newEmpty() const {
  return new (std::nothrow) ExtDatumFileConstraint;
}

int ExtDatumFileConstraint::typeCode() const {
  return kTypeText;
}

Object* ExtDatumFileConstraint::shallowCopy() const {
  return new ExtDatumFileConstraint(*this);
}

bool ExtDatumFileConstraint::isEqual(const Object& other) const {
  if (this == &other) return true;
  if (!other.isSpecies(*species())) return false;
  return maxPathLength_ == static_cast<const ExtDatumFileConstraint&>(other).maxPathLength_;
}

uint32_t ExtDatumFileConstraint::hash() const {
  return static_cast<uint32_t>(maxPathLength_);
}

void ExtDatumFileConstraint::printOn(std::ostream& out) const {
  out << "External File Constraints: maxPathLength=" << maxPathLength_;
}

}  // namespace dv
