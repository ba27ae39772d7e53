// The numbered error facility through which the object framework reports
// programming and data errors (a wrong argument class, a missing key, a corrupt
// object stream). An error code is a facility index (bits 12 to 23) and a
// message index (bits 0 to 11); each code has a default severity, argument
// letters and a message format. Raising an error formats its message, prints it
// with the facility and severity names and ends the process when the severity
// reaches the abort threshold, unless the exception environment (see
// object/Exception.h) turns it into a RAISE.
#ifndef DV_OBJECT_ERRORFACILITY_H_
#define DV_OBJECT_ERRORFACILITY_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace dv {

// One code's entry in a facility's message table.
struct ErrorMessage {
  int severity;        // default severity, 0 to 7
  const char* types;   // one letter per argument: 'D' double, 'I' integer, 'S' text
  const char* format;  // printf format beginning with the code's bracketed name
};

// An entry of the facility table.
struct Facility {
  const char* name = nullptr;              // e.g. "NIHCL"; null while the entry is free
  const ErrorMessage* messages = nullptr;  // indexed by message index
  int32_t lastCode = 0;                    // the facility's last valid code
};

inline constexpr int kFacilityCount = 33;
inline constexpr std::size_t kMaxMessageLength = 131;

// Severities, the scale shared with statuses.
enum Severity : int {
  kSuccess = 0,
  kInfo = 1,
  kWarning = 3,
  kError = 4,
  kSevere = 6,
  kFatal = 7,
};

// Severity -1 passed to setError and seterror stands for the code's default.
inline constexpr int kDefaultSeverity = -1;

inline int facilityIndex(int32_t code) {
  return (code & 0xFFF000) >> 12;
}
inline int messageIndex(int32_t code) {
  return code & 0xFFF;
}

// The lower-case name of a severity: "success", "info", "severity 2",
// "warning", "error", "severity 5", "severe", "fatal".
const char* severityName(int severity);

// Enters a facility into the table. REQUIRES: 0 <= index < kFacilityCount;
// messages covers every message index up to that of lastCode; both outlive the
// process.
void enterFacility(int index, const char* name, const ErrorMessage* messages, int32_t lastCode);

// Accessors by code. Each validates the code: a facility index outside the
// table, or a code above its facility's last code, is reported with severity
// 4 (which ends the process with the start options); they then answer null,
// -1 or null.
const Facility* facilityOf(int32_t code);
int defaultSeverity(int32_t code);
const char* argumentTypes(int32_t code);
const char* messageFormat(int32_t code);

// The report options.
struct ReportOptions {
  int printThreshold = 3;       // a report is printed when its severity is at least this
  int abortThreshold = 4;       // the process ends when a severity is at least this
  int abortMode = 0;            // 0: end with exit status 1; otherwise abort()
  int printFlags = 3;           // bit 1: print the facility name; bit 0: the severity name
  std::FILE* output = nullptr;  // null: standard error
  std::string prefix;           // printed before every report
};

// Sets all six options at once; options() reads them back.
void setReportOptions(const ReportOptions& options);
const ReportOptions& reportOptions();

// The last code raised.
int32_t currentError();

// One argument of an error message. Pointers become integers, so that a
// message can show an object's address.
class ErrorArg {
 public:
  enum Kind { kInteger, kDouble, kText };

  ErrorArg(int value) : kind_(kInteger), integer_(value) {}
  ErrorArg(unsigned value) : kind_(kInteger), integer_(value) {}
  ErrorArg(long value) : kind_(kInteger), integer_(value) {}
  ErrorArg(unsigned long value) : kind_(kInteger), integer_(static_cast<long long>(value)) {}
  ErrorArg(long long value) : kind_(kInteger), integer_(value) {}
  ErrorArg(double value) : kind_(kDouble), double_(value) {}
  ErrorArg(const char* value) : kind_(kText), text_(value != nullptr ? value : "(null)") {}
  ErrorArg(const std::string& value) : kind_(kText), text_(value.c_str()) {}
  ErrorArg(std::nullptr_t) : kind_(kInteger), integer_(0) {}
  ErrorArg(const void* address)
      : kind_(kInteger), integer_(static_cast<long long>(reinterpret_cast<uintptr_t>(address))) {}

  Kind kind() const { return kind_; }
  long long integer() const;
  double real() const;
  // REQUIRES: the text outlives the message's formatting.
  const char* text() const { return kind_ == kText ? text_ : nullptr; }

 private:
  Kind kind_;
  long long integer_ = 0;
  double double_ = 0;
  const char* text_ = nullptr;
};

// Formats a message: conversions are filled in order with the arguments, each
// read as its letter in types says; conversions beyond the letters (or the
// arguments) stay as written, "%%" becomes "%". A '*' width or precision takes
// an argument of its own. The result is cut to kMaxMessageLength characters.
std::string formatMessage(const char* format, const char* types, const ErrorArg* args,
                          std::size_t count);

// Prints text as a report of the given severity when it reaches the print
// threshold ("%s%s%s%s\n": prefix, facility name of the current error and ": ",
// severity name and ": ", text), then ends the process when the severity
// reaches the abort threshold.
void report(int severity, const char* text);

// Raises a framework error: the handler hook and the per-code action of the
// exception environment come first (an action of raise does not return), then
// the code becomes the current error, its message is formatted and reported.
// severity kDefaultSeverity takes the code's default.
void setErrorArgs(int32_t code, int severity, const ErrorArg* args, std::size_t count);

// setErrorArgs without the exception environment, for any facility.
void seterrorArgs(int32_t code, int severity, const ErrorArg* args, std::size_t count);

template <class... Args>
void setError(int32_t code, int severity, const Args&... args) {
  const ErrorArg list[] = {ErrorArg(args)..., ErrorArg(0)};
  setErrorArgs(code, severity, list, sizeof...(Args));
}

template <class... Args>
void seterror(int32_t code, int severity, const Args&... args) {
  const ErrorArg list[] = {ErrorArg(args)..., ErrorArg(0)};
  seterrorArgs(code, severity, list, sizeof...(Args));
}

}  // namespace dv

#endif  // DV_OBJECT_ERRORFACILITY_H_
