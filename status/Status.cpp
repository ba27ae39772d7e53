// The three status classes, the shared statuses and the message mode.
#include "status/Status.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <ostream>

#include "object/Allocation.h"
#include "object/Exception.h"
#include "object/OIO.h"
#include "object/Registry.h"

namespace dv {
namespace {

// Process-wide; constant-initialized before any code runs.
int messageMode = 0;

// How much of the preface, and of the whole rewritten message, is kept.
constexpr std::size_t kMaxPrefaceLength = 127;
constexpr std::size_t kMaxRewrittenLength = 255;

constexpr const char* kSeverityNames[kSeverityCount] = {
    "SUCCESS", "INFO", "SEVERITY 2", "WARNING", "ERROR", "SEVERITY 5", "SEVERE", "FATAL",
};

// The leading pieces that a stripped message reads without; single blanks,
// newlines, full stops and colons are skipped besides.
constexpr const char* kStrippedPieces[] = {
    "Please report details to Customer Service",
    "Please report details to your Halvern Support contact",
    "Internal error",
    kInternalMarker,
};

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

const char* skipLeadingPieces(const char* text) {
  for (;;) {
    char c = *text;
    if (c == ' ' || c == '\n' || c == '.' || c == ':') {
      ++text;
      continue;
    }
    bool skipped = false;
    for (const char* piece : kStrippedPieces) {
      if (startsWith(text, piece)) {
        text += std::strlen(piece);
        skipped = true;
        break;
      }
    }
    if (!skipped) return text;
  }
}

// A copy of text in a block of dv::allocate; null when text is null or the
// allocation fails.
char* copyText(const char* text) {
  if (text == nullptr) return nullptr;
  std::size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(allocate(n));
  if (copy != nullptr) std::memcpy(copy, text, n);
  return copy;
}

// The message of a full-code status made without one.
char* facilityMessage(const char* facility, uint32_t code) {
  const char* severity = statusSeverityName(static_cast<int>(code >> kStatusSeverityShift));
  unsigned long value = code;
  int n = std::snprintf(nullptr, 0, "%s: %s: %s %lx", facility, severity, "Error number", value);
  if (n < 0) return nullptr;
  char* text = static_cast<char*>(allocate(static_cast<std::size_t>(n) + 1));
  if (text != nullptr) {
    std::snprintf(text, static_cast<std::size_t>(n) + 1, "%s: %s: %s %lx", facility, severity,
                  "Error number", value);
  }
  return text;
}

// The message of an error-number status made without one.
char* numberMessage(uint32_t code) {
  unsigned long value = code;
  int n = std::snprintf(nullptr, 0, "%s %lx", "Error number", value);
  if (n < 0) return nullptr;
  char* text = static_cast<char*>(allocate(static_cast<std::size_t>(n) + 1));
  if (text != nullptr) {
    std::snprintf(text, static_cast<std::size_t>(n) + 1, "%s %lx", "Error number", value);
  }
  return text;
}

// The shared statuses and the prototype of ErrorStatus. They are not const
// objects, so that they can be registered as prototypes; everyone else sees
// them through const pointers.
Status& sharedSuccess() {
  static Status status;
  return status;
}

NullStatus& sharedNull() {
  static NullStatus status;
  return status;
}

ErrorStatus& sharedOutOfMemory() {
  static ErrorStatus status(kOutOfMemoryCode, true, kMemErrName, kOutOfMemoryMessage, 0, false);
  return status;
}

ErrorStatus& errorStatusPrototype() {
  static ErrorStatus status;
  return status;
}

// Built before main runs, while allocation cannot be made to fail: the
// out-of-memory status must have its texts by the time memory runs out.
[[maybe_unused]] const bool kSharedStatusesBuilt =
    (sharedSuccess(), sharedNull(), sharedOutOfMemory(), true);

void registerStatusPrototype(const Class&) {
  registerPrototype(&sharedSuccess(), Status::kStreamTypeNumber);
}

void registerNullStatusPrototype(const Class&) {
  registerPrototype(&sharedNull(), NullStatus::kStreamTypeNumber);
}

void registerErrorStatusPrototype(const Class&) {
  registerPrototype(&errorStatusPrototype(), ErrorStatus::kStreamTypeNumber);
}

// A plain success or null status read back is the shared one again, so that
// comparisons with the shared statuses by identity hold after a round trip:
// the record is read (the stream stays in step) and the stream hands out the
// shared status in place of the one built, for this reference and every later
// one to the record.
template <class T>
Object* readShared(OIOin& stream, const Status* shared) {
  T* built = new (std::nothrow) T(stream);
  if (built == nullptr) return nullptr;
  built->release();
  return const_cast<Status*>(shared);
}

Object* readSuccessText(OIOin& stream) {
  return readShared<Status>(stream, successStatus());
}
Object* readSuccessBinary(OIOinbin& stream) {
  return readShared<Status>(stream, successStatus());
}
Object* readNullText(OIOin& stream) {
  return readShared<NullStatus>(stream, nullStatus());
}
Object* readNullBinary(OIOinbin& stream) {
  return readShared<NullStatus>(stream, nullStatus());
}

}  // namespace

const char* statusSeverityName(int severity) {
  return kSeverityNames[static_cast<unsigned>(severity) & (kSeverityCount - 1)];
}

int setMessageMode(int mode) {
  int previous = messageMode;
  messageMode = mode;
  return previous;
}

// Status

DV_DEFINE_CLASS_MEMBERS(Status, Object)
DV_DEFINE_CLASS_MEMBERS(NullStatus, Status)
DV_DEFINE_CLASS_MEMBERS(ErrorStatus, Status)

const Class& Status::desc() {
  static const Class* const bases[] = {&Object::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("Status", bases, none, none, 1, Class::kIdent, sizeof(Status),
                       &readSuccessText, &readSuccessBinary, nullptr, &registerStatusPrototype);
  return d;
}

bool Status::isNull() const {
  return false;
}

int Status::severity() const {
  return kSuccess;
}

uint16_t Status::facilityNumber() const {
  return 0;
}

uint16_t Status::errorNumber() const {
  return 0;
}

bool Status::isInternal() const {
  return true;
}

uint32_t Status::code() const {
  return 0;
}

int32_t Status::externError() const {
  return 0;
}

const char* Status::facilityName() const {
  return kUnknownFacilityName;
}

const char* Status::messageText() const {
  return "";
}

const char* Status::severityName() const {
  return statusSeverityName(severity());
}

const Status* Status::statusObject() const {
  return this;
}

Object* Status::shallowCopy() const {
  return new Status(*this);
}

int Status::compare(const Object& other) const {
  if (!other.isSpecies(*species())) return isA()->compare(*other.isA());
  return code() > static_cast<const Status&>(other).code() ? 1 : 0;
}

void Status::deepenShallowCopy() {}

uint32_t Status::hash() const {
  return 0;
}

bool Status::isEqual(const Object& other) const {
  return other.isSpecies(*species()) && static_cast<const Status&>(other).code() == code();
}

void Status::printOn(std::ostream& out) const {
  out << "Facility: " << facilityName() << " Severity: " << severityName()
      << " Error ID: " << errorNumber() << " Extern error: " << externError()
      << " Message: " << messageText();
}

int Status::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* Status::newForStream() const {
  return new (std::nothrow) Status;
}

// NullStatus

const Class& NullStatus::desc() {
  static const Class* const bases[] = {&Status::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("NullStatus", bases, none, none, 1, Class::kIdent, sizeof(NullStatus),
                       &readNullText, &readNullBinary, nullptr, &registerNullStatusPrototype);
  return d;
}

bool NullStatus::isNull() const {
  return true;
}

const char* NullStatus::messageText() const {
  return kNullStatusMessage;
}

Object* NullStatus::shallowCopy() const {
  return new NullStatus(*this);
}

int NullStatus::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* NullStatus::newForStream() const {
  return new (std::nothrow) NullStatus;
}

// ErrorStatus

const Class& ErrorStatus::desc() {
  static const Class* const bases[] = {&Status::desc(), nullptr};
  static const Class* const none[] = {nullptr};
  static const Class d("ErrorStatus", bases, none, none, 1, Class::kIdent, sizeof(ErrorStatus),
                       &readObjectText<ErrorStatus>, &readObjectBinary<ErrorStatus>, nullptr,
                       &registerErrorStatusPrototype);
  return d;
}

ErrorStatus::ErrorStatus() = default;

ErrorStatus::ErrorStatus(uint32_t code, bool nullFlag, const char* facilityName,
                         const char* message, int32_t externError, bool adopt)
    : code_(code), nullFlag_(nullFlag), externError_(externError) {
  if (facilityName == nullptr) {
    facilityName_ = copyText(kUnknownFacilityName);
  } else {
    facilityName_ = adopt ? const_cast<char*>(facilityName) : copyText(facilityName);
  }
  if (message == nullptr) {
    // From the given name rather than the stored one, which may be absent.
    message_ = facilityMessage(facilityName != nullptr ? facilityName : kUnknownFacilityName, code);
  } else {
    message_ = adopt ? const_cast<char*>(message) : copyText(message);
  }
}

ErrorStatus::ErrorStatus(uint32_t errorNumber, int severity, bool nullFlag, const char* message)
    : code_(makeStatusCode(severity, 0, true, static_cast<uint16_t>(errorNumber))),
      nullFlag_(nullFlag),
      facilityName_(copyText(kUnknownFacilityName)),
      message_(message != nullptr ? copyText(message) : numberMessage(code_)) {
  assert(severity >= kSuccess && severity <= kFatal);
}

ErrorStatus::ErrorStatus(const ErrorStatus& other)
    : Status(other),
      code_(other.code_),
      nullFlag_(other.nullFlag_),
      externError_(other.externError_),
      facilityName_(copyText(other.facilityName_)),
      message_(copyText(other.message_)) {}

ErrorStatus& ErrorStatus::operator=(const ErrorStatus& other) {
  if (this == &other) return *this;
  Status::operator=(other);
  char* facilityName = copyText(other.facilityName_);
  char* message = copyText(other.message_);
  deallocate(facilityName_);
  deallocate(message_);
  code_ = other.code_;
  nullFlag_ = other.nullFlag_;
  externError_ = other.externError_;
  facilityName_ = facilityName;
  message_ = message;
  return *this;
}

ErrorStatus::~ErrorStatus() {
  deallocate(facilityName_);
  deallocate(message_);
}

bool ErrorStatus::isNull() const {
  return nullFlag_;
}

int ErrorStatus::severity() const {
  return static_cast<int>((code_ & kStatusSeverityMask) >> kStatusSeverityShift);
}

uint16_t ErrorStatus::facilityNumber() const {
  return static_cast<uint16_t>((code_ & kStatusFacilityMask) >> kStatusFacilityShift);
}

uint16_t ErrorStatus::errorNumber() const {
  return static_cast<uint16_t>(code_ & kStatusErrorNumberMask);
}

bool ErrorStatus::isInternal() const {
  return (code_ & kStatusInternalFlag) != 0;
}

uint32_t ErrorStatus::code() const {
  return code_;
}

int32_t ErrorStatus::externError() const {
  return externError_;
}

const char* ErrorStatus::facilityName() const {
  return facilityName_ != nullptr ? facilityName_ : "";
}

const char* ErrorStatus::messageText() const {
  if (message_ == nullptr) return "";
  if (messageMode == 0 || (messageMode == 1 && isInternal())) {
    if (startsWith(message_, kInternalMarker)) return rewriteInternalMessage();
    return message_;
  }
  return skipLeadingPieces(message_);
}

const char* ErrorStatus::rewriteInternalMessage() const {
  const char* rest = message_ + std::strlen(kInternalMarker);
  std::size_t prefaceLength = std::min(std::strlen(kInternalErrorPreface), kMaxPrefaceLength);
  std::size_t restLength = std::min(std::strlen(rest), kMaxRewrittenLength - prefaceLength);
  char* text = static_cast<char*>(allocate(prefaceLength + restLength + 1));
  if (text == nullptr) return rest;
  std::memcpy(text, kInternalErrorPreface, prefaceLength);
  std::memcpy(text + prefaceLength, rest, restLength);
  text[prefaceLength + restLength] = '\0';
  deallocate(message_);
  message_ = text;
  return message_;
}

Object* ErrorStatus::shallowCopy() const {
  return new ErrorStatus(*this);
}

int ErrorStatus::streamTypeNumber() const {
  return kStreamTypeNumber;
}

Object* ErrorStatus::newForStream() const {
  return new (std::nothrow) ErrorStatus;
}

const Status* makeErrorStatus(uint32_t code, bool nullFlag, const char* facilityName,
                              const char* message, int32_t externError, bool adopt) {
  ErrorStatus* status =
      new (std::nothrow) ErrorStatus(code, nullFlag, facilityName, message, externError, adopt);
  if (status != nullptr) return status;
  if (adopt) {
    deallocate(const_cast<char*>(facilityName));
    deallocate(const_cast<char*>(message));
  }
  return &sharedOutOfMemory();
}

const Status* successStatus() {
  return &sharedSuccess();
}

const NullStatus* nullStatus() {
  return &sharedNull();
}

const ErrorStatus* outOfMemoryStatus() {
  return &sharedOutOfMemory();
}

// Object-stream forms. Status and NullStatus have no fields. An ErrorStatus
// is its code, null flag (0 or 1) and external error, then each text as its
// length and, when that is above 0, its characters (an absent text is length
// 0, and reads back as "UNKNOWN" or the generated message).

Status::Status(OIOin& stream) : Object(stream) {}

void Status::storer(OIOout&) const {}

NullStatus::NullStatus(OIOin& stream) : Status(stream) {}

void NullStatus::storer(OIOout&) const {}

namespace {

void storeText(OIOout& stream, const char* text) {
  int32_t n = text != nullptr ? static_cast<int32_t>(std::strlen(text)) : 0;
  stream << n;
  if (n > 0) stream.write(text, static_cast<std::size_t>(n));
}

}  // namespace

ErrorStatus::ErrorStatus(OIOin& stream) : Status(stream) {
  int32_t flag = 0;
  stream >> code_ >> flag >> externError_;
  nullFlag_ = flag != 0;
  // A text holds what its characters read as a C string: one that reads as
  // empty (a stored NUL) is absent, as the storer would have written it.
  auto readText = [&stream]() -> char* {
    int32_t length = 0;
    stream >> length;
    char* text = length != 0 ? stream.readNewChars(length, "a text length") : nullptr;
    if (text != nullptr && text[0] == '\0') {
      deallocate(text);
      text = nullptr;
    }
    return text;
  };
  facilityName_ = readText();
  if (facilityName_ == nullptr) facilityName_ = copyText(kUnknownFacilityName);
  OnUnwind freeTexts([this] { deallocate(facilityName_); });
  message_ = readText();
  if (message_ == nullptr && stream.severity() < kError) {
    message_ =
        facilityMessage(facilityName_ != nullptr ? facilityName_ : kUnknownFacilityName, code_);
  }
}

void ErrorStatus::storer(OIOout& stream) const {
  stream << code_ << static_cast<int32_t>(nullFlag_ ? 1 : 0) << externError_;
  storeText(stream, facilityName_);
  storeText(stream, message_);
}

}  // namespace dv
