// Status objects: how every operation of the value library reports its
// outcome instead of throwing. A status is a reference-counted object of one
// of three classes: Status (success), NullStatus (the value is NULL) and
// ErrorStatus (a coded condition of any severity, from an information note to
// a fatal error). This header also holds the layout of the 32-bit status code,
// the severity and facility vocabulary, the shared statuses and the message
// mode that decides how internal-error messages read.
//
// Code layout, bit 0 least significant: bit 31 unused (always 0), bits 28-30
// severity, bits 17-27 facility number, bit 16 internal flag, bits 0-15 error
// number within the facility.
//
// Single-threaded: the message mode, the shared statuses and the once-only
// rewrite of an internal message are not guarded.
#ifndef DV_STATUS_STATUS_H_
#define DV_STATUS_STATUS_H_

#include <cstdint>
#include <iosfwd>

#include "object/Class.h"
#include "object/ErrorFacility.h"
#include "object/OIO.h"
#include "object/Object.h"

namespace dv {

// The code layout.
inline constexpr uint32_t kStatusUnusedBit = 0x80000000u;
inline constexpr uint32_t kStatusSeverityMask = 0x70000000u;
inline constexpr int kStatusSeverityShift = 28;
inline constexpr uint32_t kStatusFacilityMask = 0x0FFE0000u;
inline constexpr int kStatusFacilityShift = 17;
// Set for internal errors, whose message begins with kInternalMarker.
inline constexpr uint32_t kStatusInternalFlag = 0x00010000u;
inline constexpr uint32_t kStatusErrorNumberMask = 0x0000FFFFu;

// Severities: the scale of object/ErrorFacility.h (kSuccess 0, kInfo 1,
// kWarning 3, kError 4, kSevere 6, kFatal 7) with its two unnamed steps.
inline constexpr int kSeverity2 = 2;
inline constexpr int kSeverity5 = 5;
inline constexpr int kSeverityCount = 8;

// Facility numbers and names.
inline constexpr uint16_t kDatumErrFacility = 1;  // typed values and tables
inline constexpr uint16_t kModulErrFacility = 2;  // module requests
inline constexpr uint16_t kOioErrFacility = 10;   // object input
inline constexpr uint16_t kMemErrFacility = 14;   // allocation failure
inline constexpr uint16_t kXioErrFacility = 16;   // value streaming
inline constexpr const char* kDatumErrName = "DATUMERR";
inline constexpr const char* kModulErrName = "MODULERR";
inline constexpr const char* kOioErrName = "OIOERR";
inline constexpr const char* kMemErrName = "MEMERR";
inline constexpr const char* kXioErrName = "XIOERR";
// The facility name of statuses made without one.
inline constexpr const char* kUnknownFacilityName = "UNKNOWN";

// The opening of every internal-error message as raised.
inline constexpr const char* kInternalMarker = "($01$)";
// What the marker becomes when an internal message is read in message mode 0
// (see ErrorStatus::messageText). Two blanks follow the first full stop.
inline constexpr const char* kInternalErrorPreface =
    "Internal error.  Please report details to your Halvern Support contact:\n";

inline constexpr const char* kNullStatusMessage = "Null Datum value.";
inline constexpr const char* kOutOfMemoryMessage = "Out of memory.";

// Tags of the value-stream form of a status. Every field is optional and the
// end tag closes the status; Status and NullStatus write only the end tag.
inline constexpr uint8_t kStatusTagEnd = 0;
inline constexpr uint8_t kStatusTagCode = 1;         // unsigned 32-bit
inline constexpr uint8_t kStatusTagNullFlag = 2;     // one byte
inline constexpr uint8_t kStatusTagExternError = 3;  // unsigned 32-bit
inline constexpr uint8_t kStatusTagFacility = 4;     // string
inline constexpr uint8_t kStatusTagMessage = 5;      // string

// Builds a status code from its parts; each part is cut to its field.
constexpr uint32_t makeStatusCode(int severity, uint16_t facility, bool internal,
                                  uint16_t errorNumber) {
  return ((static_cast<uint32_t>(severity) << kStatusSeverityShift) & kStatusSeverityMask) |
         ((static_cast<uint32_t>(facility) << kStatusFacilityShift) & kStatusFacilityMask) |
         (internal ? kStatusInternalFlag : 0u) | errorNumber;
}

// The out-of-memory code: FATAL, MEMERR, error 1.
inline constexpr uint32_t kOutOfMemoryCode = makeStatusCode(kFatal, kMemErrFacility, false, 1);

// The upper-case name of a severity: "SUCCESS", "INFO", "SEVERITY 2",
// "WARNING", "ERROR", "SEVERITY 5", "SEVERE", "FATAL". Only the low three
// bits of severity count.
const char* statusSeverityName(int severity);

// Sets the process-wide message mode read by ErrorStatus::messageText and
// returns the previous one. The mode starts at 0.
int setMessageMode(int mode);

// Success; also the base of the other two status classes. Its instances have
// no fields of their own.
class Status : public Object {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(Status)

 public:
  static constexpr int kStreamTypeNumber = 26;

  Status() = default;
  Status(const Status&) = default;
  Status& operator=(const Status&) = default;
  ~Status() override = default;

  // The status operations, after the object's, in their fixed order.
  // Whether the value carrying this status counts as NULL. Status: false.
  virtual bool isNull() const;
  // 0 to 7. Status: 0.
  virtual int severity() const;
  // Status: 0.
  virtual uint16_t facilityNumber() const;
  // Status: 0.
  virtual uint16_t errorNumber() const;
  // Status: true.
  virtual bool isInternal() const;
  // The whole code. Status: 0.
  virtual uint32_t code() const;
  // An error number from outside the library; 0 when none. Status: 0.
  virtual int32_t externError() const;
  // Never null. Status: "UNKNOWN".
  virtual const char* facilityName() const;
  // Never null. Status: empty text.
  virtual const char* messageText() const;
  // statusSeverityName(severity()), for every class.
  virtual const char* severityName() const;
  // This status itself, for every class.
  virtual const Status* statusObject() const;

  // Object interface, shared by the three classes.
  // A new heap copy (count 1), owned by the caller.
  Object* shallowCopy() const override;
  // With a status of the same species: 1 when this code is greater, otherwise
  // 0. With any other object: the order of the two class descriptors (by
  // class name).
  int compare(const Object& other) const override;
  // Statuses hold no shared parts.
  void deepenShallowCopy() override;
  uint32_t hash() const override;  // 0
  // A status of the same species with the same code().
  bool isEqual(const Object& other) const override;
  // "Facility: <facilityName> Severity: <severityName> Error ID: <errorNumber>
  // Extern error: <externError> Message: <messageText>", numbers in decimal,
  // no end of line.
  void printOn(std::ostream& out) const override;
  int streamTypeNumber() const override;  // 26
  // A new heap Status (count 1) owned by the caller; null when allocation fails.
  Object* newForStream() const override;
  // The value-stream form (defined with the stream): the end tag only.
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;
};

// The value is NULL: isNull() true, message "Null Datum value.", otherwise
// the answers of Status.
class NullStatus : public Status {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(NullStatus)

 public:
  static constexpr int kStreamTypeNumber = 27;

  NullStatus() = default;
  NullStatus(const NullStatus&) = default;
  NullStatus& operator=(const NullStatus&) = default;
  ~NullStatus() override = default;

  bool isNull() const override;              // true
  const char* messageText() const override;  // "Null Datum value."

  Object* shallowCopy() const override;
  int streamTypeNumber() const override;  // 27
  // A new heap NullStatus (count 1) owned by the caller; null when allocation fails.
  Object* newForStream() const override;
};

// A coded condition: code, null flag, external error number, facility name and
// message. The two texts are owned and live in blocks of dv::allocate; a text
// whose allocation failed is absent, and its accessor then answers empty text.
class ErrorStatus : public Status {
  DV_CLASS_MEMBERS()
  DV_STREAM_MEMBERS(ErrorStatus)

 public:
  static constexpr int kStreamTypeNumber = 8;

  // An empty status to read a streamed one into: code 0, null flag clear,
  // no external error, both texts absent. Allocates nothing.
  ErrorStatus();
  // From a full code. facilityName null: "UNKNOWN". message null: generated
  // as "<facility>: <severity name>: Error number <code in lower-case hex>".
  // Without adopt the given texts are copied. With adopt the status takes
  // over the given texts as they are and frees them with dv::deallocate when
  // destroyed. REQUIRES: with adopt, each non-null text is a block from
  // dv::allocate that nobody else frees.
  ErrorStatus(uint32_t code, bool nullFlag, const char* facilityName, const char* message,
              int32_t externError, bool adopt);
  // From an error number and a severity: the code is severity, facility 0,
  // internal flag set and the low 16 bits of errorNumber; the facility is
  // "UNKNOWN"; message null: "Error number <code in lower-case hex>". The
  // message is copied. REQUIRES: 0 <= severity <= 7.
  ErrorStatus(uint32_t errorNumber, int severity, bool nullFlag, const char* message = nullptr);
  // Copies get their own copies of both texts.
  ErrorStatus(const ErrorStatus& other);
  ErrorStatus& operator=(const ErrorStatus& other);
  ~ErrorStatus() override;

  bool isNull() const override;  // the null flag
  int severity() const override;
  uint16_t facilityNumber() const override;
  uint16_t errorNumber() const override;
  bool isInternal() const override;  // the internal flag of the code
  uint32_t code() const override;
  int32_t externError() const override;
  const char* facilityName() const override;  // "" when absent
  // The message as the message mode says, "" when absent:
  // - mode 0, or mode 1 for an internal status (isInternal()): a message that
  //   begins with "($01$)" is rewritten once and for all into
  //   kInternalErrorPreface followed by the text after the marker (at most
  //   255 characters in all) and the stored message is replaced; any other
  //   message is answered as it is. When the rewrite cannot allocate its
  //   text, the stored message stays as it was (so a later call tries again)
  //   and the answer is the text after the marker.
  // - any other case: the stored message without its leading pieces "Please
  //   report details to Customer Service", "Please report details to your
  //   Halvern Support contact", "Internal error", "($01$)", blanks, newlines,
  //   full stops and colons, skipped repeatedly in any order. The stored
  //   message is left alone.
  // The answer lives in the status until it is destroyed or assigned to, or a
  // later call rewrites the message.
  const char* messageText() const override;

  Object* shallowCopy() const override;
  int streamTypeNumber() const override;  // 8
  // A new heap ErrorStatus made by the empty constructor (count 1), owned by
  // the caller; null when allocation fails.
  Object* newForStream() const override;
  // The value-stream form (defined with the stream).
  bool streamOut(TableStream& stream) const override;
  bool streamIn(TableStream& stream) override;

 private:
  // Replaces a message that begins with the marker by its rewritten form and
  // answers the new text (or, on allocation failure, the text after the marker).
  const char* rewriteInternalMessage() const;

  uint32_t code_ = 0;
  bool nullFlag_ = false;
  int32_t externError_ = 0;
  char* facilityName_ = nullptr;
  mutable char* message_ = nullptr;  // replaced by the once-only rewrite
};

// A new heap ErrorStatus made by the full-code constructor, with one reference
// held by the caller (drop it with release()). When the allocation fails the
// answer is the shared out-of-memory status instead, so that the caller always
// gets a status; release() leaves that one alone. With adopt, the given texts
// belong to the status even then: they are freed at once.
const Status* makeErrorStatus(uint32_t code, bool nullFlag, const char* facilityName,
                              const char* message, int32_t externError, bool adopt);

// The shared statuses: static objects built before main runs and destroyed at
// exit. Their count is -1, so addRef() and release() leave them alone; hand
// out these pointers, never copies.
// The success status; code 0.
const Status* successStatus();
// The null status.
const NullStatus* nullStatus();
// Code 0x701C0001 (FATAL, MEMERR, error 1), null flag set, facility "MEMERR",
// message "Out of memory.".
const ErrorStatus* outOfMemoryStatus();

}  // namespace dv

// Defines `const ::dv::ErrorStatus* name()`, the accessor of one shared
// fixed-message status of a facility: a function-local static ErrorStatus
// made from code, null flag, facility name and message (copied, no external
// error), built before main runs and destroyed at exit, with count -1. Use it
// once, at namespace scope in a source file; declare `name()` in a header for
// other files.
#define DV_DEFINE_SHARED_ERROR_STATUS(name, code, nullFlag, facility, message)                   \
  const ::dv::ErrorStatus* name() {                                                              \
    static const ::dv::ErrorStatus status_((code), (nullFlag), (facility), (message), 0, false); \
    return &status_;                                                                             \
  }                                                                                              \
  [[maybe_unused]] static const bool name##BuiltAtStartUp_ = (name(), true)

#endif  // DV_STATUS_STATUS_H_
