// The Datum base: status handling, the default conversions and the shared
// parts of comparison and storing.
#include "datum/Datum.h"

#include <cstring>
#include <ostream>
#include <string>

#include "datum/DatumStatus.h"
#include "datum/Text.h"
#include "object/Nil.h"
#include "object/OIO.h"

namespace dv {
namespace {

// The class-wide mark of the first two operations: no value class sets it.
bool classMarkFlag = false;

constexpr int kSubstringScratch = 128;

Object* readAbstract(OIOin&) {
  Object::readAbstractClass("Datum");
  return nullptr;
}
Object* readAbstractBinary(OIOinbin&) {
  Object::readAbstractClass("Datum");
  return nullptr;
}

}  // namespace

bool isLocalFormat(const char* fmt) {
  return fmt == nullptr || std::strcmp(fmt, "local") == 0;
}

DV_DEFINE_CLASS_MEMBERS(Datum, Object)

const Class& Datum::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const DatumClass d("Datum", bases, none, none, 1, Class::kIdent, sizeof(Datum),
                            &readAbstract, &readAbstractBinary, nullptr, nullptr, nullptr);
  return d;
}

Datum::Datum() : status_(successStatus()) {
  status_->addRef();
}

Datum::Datum(const Datum& other) : Object(other), status_(other.status_) {
  status_->addRef();
}

Datum& Datum::operator=(const Datum& other) {
  Object::operator=(other);
  setStatus(other.status_);
  return *this;
}

Datum::~Datum() {
  status_->release();
}

void Datum::setStatus(const Status& status) {
  setStatus(&status);
}

void Datum::setStatus(const Status* status) {
  if (status == nullptr) status = successStatus();
  status->addRef();
  status_->release();
  status_ = status;
}

void Datum::printStatus(std::ostream& out) const {
  out << status_->messageText();
}

const Status* Datum::answer(const Status* status) {
  return status->severity() == 0 ? nullptr : status;
}

bool Datum::classMark() const {
  return classMarkFlag;
}
void Datum::clearClassMark() {
  classMarkFlag = false;
}
int Datum::kind() const {
  return kKindOther;
}
bool Datum::isExternal() const {
  return false;
}

double Datum::asDouble(const Status** st, const char*) const {
  report(st, successStatus());
  return 0.0;
}
float Datum::asFloat(const Status** st, const char*) const {
  report(st, successStatus());
  return 0.0f;
}
signed char Datum::asChar(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}
int16_t Datum::asShort(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}
int32_t Datum::asLong(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}
unsigned char Datum::asUnsignedChar(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}
uint16_t Datum::asUnsignedShort(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}
uint32_t Datum::asUnsignedLong(const Status** st, const char*) const {
  report(st, successStatus());
  return 0;
}

int Datum::binarySize(int) {
  setStatus(notImplementedStatus());
  return 0;
}

char* Datum::asSubstring(char* buf, int offset, int bufSize, const char* fmt, FormatArg arg) const {
  if (buf == nullptr) return buf;
  if (offset == 0) return asString(buf, bufSize, fmt, arg);
  if (bufSize < 1) return buf;
  if (offset < kSubstringScratch - 1) {
    char scratch[kSubstringScratch];
    asString(scratch, kSubstringScratch, fmt, arg);
    std::size_t available = std::strlen(scratch);
    std::size_t from =
        static_cast<std::size_t>(offset) < available ? static_cast<std::size_t>(offset) : available;
    std::strncpy(buf, scratch + from, static_cast<std::size_t>(bufSize - 1));
    buf[bufSize - 1] = '\0';
  } else {
    buf[0] = '\0';
  }
  return buf;
}

int Datum::asBinary(void*, int, int) {
  setStatus(notImplementedStatus());
  return 0;
}

bool Datum::asBool(const Status** st, const char* fmt) const {
  unsigned char v = asUnsignedChar(st, fmt);
  if (v > 1 && st != nullptr) *st = overflowStatus();
  return v != 0;
}

Text& Datum::asText(Text& out, const Status** st, const char*) const {
  report(st, notImplementedStatus());
  return out;
}

Text& Datum::appendToText(Text& out, const Status** st, const char*) const {
  report(st, notImplementedStatus());
  return out;
}

char* Datum::newString(const char* fmt, DatumAllocator allocate) const {
  int n = maxTextLength(fmt, nullptr);
  if (n < 1) n = 1;
  char* p = static_cast<char*>(allocate(static_cast<std::size_t>(n)));
  if (p == nullptr) return nullptr;
  p[0] = '\0';
  asString(p, n, fmt, nullptr);
  return p;
}

void* Datum::data() {
  return nullptr;
}

const Status* Datum::set(const char*, int, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(double, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(float, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(uint32_t, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(int32_t, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(uint16_t, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(int16_t, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(unsigned char, const char*) {
  return notImplementedStatus();
}
const Status* Datum::set(char, const char*) {
  return notImplementedStatus();
}

bool Datum::isGreaterOrEqual(const Datum& x) const {
  return isGreaterThan(x) || isEqual(x);
}

bool Datum::isLessOrEqual(const Datum& x) const {
  return isLessThan(x) || isEqual(x);
}

bool Datum::isNull() const {
  return status_->isNull();
}

void Datum::setNull() {
  setStatus(nullStatus());
}

int Datum::compareKind(const Object& other) const {
  if (other.isSpecies(*species())) return 0;
  if (other.isKindOf(Datum::desc())) {
    return static_cast<const Datum&>(other).kind() < kind() ? 1 : -1;
  }
  return isA()->compare(*other.isA());
}

Object* Datum::shallowCopy() const {
  shouldNotImplement("shallowCopy");
  return nullptr;
}

bool Datum::isEqual(const Object& other) const {
  return this == &other || compare(other) == 0;
}

void Datum::storer(OIOout& stream) const {
  if (stream.dataFormat() == kOIOFormatOld) stream << int32_t{0} << int32_t{0} << int32_t{0};
  status_->storeOn(stream);
}

void Datum::storer(OIOoutbin& stream) const {
  storer(static_cast<OIOout&>(stream));
}

Datum::Datum(OIOin& stream) : Object(stream), status_(successStatus()) {
  status_->addRef();
  if (stream.dataFormat() == kOIOFormatOld) {
    int32_t unused = 0;
    stream >> unused >> unused >> unused;
  }
  // A plain success or null status comes back as the shared one (the status
  // readers see to that).
  Object* read = stream.readObjectHeld();
  if (read == nil()) return;
  if (!read->isKindOf(Status::desc())) {
    // Let go of it first: the report may unwind this constructor.
    std::string found = read->className();
    read->release();
    stream.failSyntax("a status", found.c_str());
    return;
  }
  const Status* status = static_cast<const Status*>(read);
  setStatus(status);
  status->release();
}

}  // namespace dv
