// The object root: heap detection, reference counts, the library start-up, the
// inherited behaviour of the virtual interface and the error reports.
#include "object/Object.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <ostream>

#include "object/Allocation.h"
#include "object/BitTables.h"
#include "object/Class.h"
#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/OIO.h"
#include "object/internal/NihclMessages.h"
#include "object/internal/Startup.h"

namespace dv {
namespace {

// Process-wide state of plain types, constant-initialized before any code runs.
void* pendingBlocks[kPendingAllocations];
int pendingCount = 0;
int startupCount = 0;
int startupRuns = 0;

void initializeLibrary() {
  enterFacility(nihcl::kFacility, "NIHCL", internal::kNihclMessages, nihcl::kLastCode);
  setReportOptions(ReportOptions());
  internal::fillBitTables();
  internal::createNil();
}

Object* readObjectText(OIOin&) {
  Object::readAbstractClass("Object");
  return nullptr;
}

Object* readObjectBinary(OIOinbin&) {
  Object::readAbstractClass("Object");
  return nullptr;
}

}  // namespace

void Startup::enter() {
  if (startupCount++ == 0) ensure();
}

void Startup::leave() {
  --startupCount;
}

void Startup::ensure() {
  if (startupRuns != 0) return;
  startupRuns = 1;  // before the work: creating nil constructs an object
  initializeLibrary();
}

int Startup::count() {
  return startupCount;
}

int Startup::initializations() {
  return startupRuns;
}

void* Object::operator new(std::size_t size) {
  void* block = operator new(size, std::nothrow);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void* Object::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (size == 0) setError(nihcl::ALLOCSIZE, kDefaultSeverity, nullptr, "Object::operator new");
  void* block = allocate(size);
  if (block != nullptr && pendingCount < kPendingAllocations) pendingBlocks[pendingCount++] = block;
  return block;
}

void Object::operator delete(void* block) noexcept {
  // A block whose constructor never took it off the stack (it failed, or the
  // object's root is not at the block's start) must not stay recorded.
  for (int i = pendingCount - 1; i >= 0; --i) {
    if (pendingBlocks[i] == block) {
      std::copy(pendingBlocks + i + 1, pendingBlocks + pendingCount, pendingBlocks + i);
      pendingBlocks[--pendingCount] = nullptr;
      break;
    }
  }
  deallocate(block);
}

void Object::operator delete(void* block, const std::nothrow_t&) noexcept {
  operator delete(block);
}

void Object::startLife() {
  if (pendingCount > 0 && pendingBlocks[pendingCount - 1] == static_cast<void*>(this)) {
    // Cleared, not only popped: a stale pointer in the table would keep a
    // leaked object reachable in a leak checker's eyes.
    pendingBlocks[--pendingCount] = nullptr;
    refCount_ = 1;
  } else {
    refCount_ = -1;
  }
}

Object::Object() {
  startLife();
}

Object::Object(const Object&) : startup_() {
  startLife();
}

Object::~Object() {
  if (refCount_ > 0) refCount_ = 0;
  // An object that goes must not leave its dependents to whatever object is
  // made at its address next.
  if (internal::anyDependents) internal::forgetDependentsOf(this);
}

void Object::release() const {
  if (refCount_ < 1) return;
  if (--refCount_ == 0) delete this;
}

void Object::addRef() const {
  if (refCount_ >= 1) ++refCount_;
}

bool Object::streamOut(TableStream&) const {
  return false;
}
bool Object::streamIn(TableStream&) {
  return false;
}
int Object::streamTypeNumber() const {
  return -1;
}
Object* Object::newForStream() const {
  return nullptr;
}
void Object::storer(OIOout&) const {
  shouldNotImplement("storer");
}
void Object::storer(OIOoutbin&) const {
  shouldNotImplement("storer");
}

uint32_t Object::capacity() const {
  return 0;
}

void Object::changed() {
  changed(*nil());
}

Object* Object::copy() const {
  return shallowCopy();
}

void Object::deepenShallowCopy() {}

void Object::destroy() {
  assert(refCount_ >= 0);  // a heap object; others are not owned by counting
  delete this;
}

void Object::dumpOn(std::ostream& out) const {
  out << className() << '[';
  printOn(out);
  out << "]\n";
}

void Object::scanFrom(std::istream&) {
  derivedClassResponsibility("scanFrom");
}

uint32_t Object::size() const {
  return 0;
}

const Class* Object::species() const {
  return isA();
}

void Object::update(const Object&, const Object&) {
  derivedClassResponsibility("update");
}

void* Object::_castdown(const Class& target) const {
  return &target == &Object::desc() ? const_cast<Object*>(this) : nullptr;
}

const char* Object::className() const {
  return isA()->name();
}

bool Object::isSpecies(const Class& descriptor) const {
  return species() == &descriptor;
}

bool Object::isKindOf(const Class& descriptor) const {
  return isA()->inherits(descriptor);
}

void Object::derivedClassResponsibility(const char* operation) const {
  setError(nihcl::DRVDCLASSRSP, kDefaultSeverity, this, className(), operation);
}

void Object::shouldNotImplement(const char* operation) const {
  setError(nihcl::ILLEGALMFCN, kDefaultSeverity, this, className(), operation);
}

void Object::invalidArgClass(const Class& expected, const char* function) const {
  setError(nihcl::BADARGCL, kDefaultSeverity, function, expected.name(), function, className());
}

void Object::invalidArgClass(const Object& arg, const Class& expected, const char* function) const {
  setError(nihcl::BADARGCLM, kDefaultSeverity, className(), function, expected.name(), className(),
           function, arg.className());
}

void Object::invalidArgSpecies(const Class& expected, const char* function) const {
  setError(nihcl::BADARGSP, kDefaultSeverity, function, expected.name(), function,
           species()->name());
}

void Object::invalidArgSpecies(const Object& arg, const Class& expected,
                               const char* function) const {
  setError(nihcl::BADARGSPM, kDefaultSeverity, className(), function, expected.name(), className(),
           function, arg.species()->name());
}

void Object::invalidClass(const Class& expected) const {
  setError(nihcl::BADCLASS, kDefaultSeverity, expected.name(), className());
}

void Object::invalidSpecies(const Class& expected) const {
  setError(nihcl::BADSPEC, kDefaultSeverity, expected.name(), species()->name());
}

bool Object::assertArgSpecies(const Object& arg, const Class& descriptor,
                              const char* operation) const {
  if (arg.isSpecies(descriptor)) return true;
  invalidArgSpecies(arg, descriptor, operation);
  return false;
}

bool Object::assertArgClass(const Object& arg, const Class& descriptor,
                            const char* operation) const {
  if (arg.isKindOf(descriptor)) return true;
  invalidArgClass(arg, descriptor, operation);
  return false;
}

void Object::invalidCastdown(const Class& target) const {
  setError(nihcl::BADCASTDN, kDefaultSeverity, this, className(), target.name());
}

void* Object::castdownBases(const Class& target, void* first, void* second) const {
  if (first != nullptr && second != nullptr && first != second) {
    setError(nihcl::AMBIGCASTDN, kDefaultSeverity, this, className(), target.name());
  }
  return first != nullptr ? first : second;
}

void Object::readAbstractClass(const char* name) {
  setError(nihcl::RDABSTCLASS, kDefaultSeverity, name);
}

void Object::readUnknownClass(const char* name) {
  setError(nihcl::RDUNKCLASS, kDefaultSeverity, name);
}

const Class& Object::desc() {
  static const Class* const none[] = {nullptr};
  static const Class descriptor("Object", none, none, none, 1, Class::kIdent, sizeof(Object),
                                &readObjectText, &readObjectBinary, nullptr, nullptr);
  return descriptor;
}

}  // namespace dv
