// The error facility: facility table, message formatting, reports and the
// error-raising entry points.
#include "object/ErrorFacility.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "object/ErrorCodes.h"
#include "object/Exception.h"
#include "object/Object.h"

namespace dv {
namespace {

struct FacilityState {
  Facility facilities[kFacilityCount];
  ReportOptions options;
  int32_t currentError = 0;
};

FacilityState& state() {
  static FacilityState s;
  return s;
}

constexpr const char* kSeverityNames[] = {"success", "info",       "severity 2", "warning",
                                          "error",   "severity 5", "severe",     "fatal"};

// A report that the code itself is not valid.
void reportInvalid(const char* format, int a, int32_t code) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, static_cast<int>(code));
  report(kError, text);
}

// The message entry of a code, or null (after a report) when it is invalid.
const ErrorMessage* messageOf(int32_t code) {
  Startup::ensure();
  int facility = facilityIndex(code);
  if (facility < 0 || facility >= kFacilityCount) {
    reportInvalid("*** Invalid Facility (%d) -- from error (%d)\n", facility, code);
    return nullptr;
  }
  const Facility& f = state().facilities[facility];
  if (f.messages == nullptr || code > f.lastCode || code < (facility << 12)) {
    reportInvalid("*** Error No.(%d) out of range -- from error (%d)\n", messageIndex(code), code);
    return nullptr;
  }
  return &f.messages[messageIndex(code)];
}

// One conversion of a format: its text, and what it needs.
struct Conversion {
  std::size_t begin;  // position of '%'
  std::size_t end;    // one past the conversion letter
  int stars;          // '*' widths and precisions, each taking an argument
  char letter;        // the conversion letter
};

bool isFlag(char c) {
  return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\'';
}

// Reads the conversion starting with '%' at p; false when it is malformed (it
// then stays as text).
bool readConversion(const char* format, std::size_t p, Conversion* out) {
  std::size_t i = p + 1;
  int stars = 0;
  while (isFlag(format[i])) ++i;
  if (format[i] == '*') {
    ++stars;
    ++i;
  } else {
    while (format[i] >= '0' && format[i] <= '9') ++i;
  }
  if (format[i] == '.') {
    ++i;
    if (format[i] == '*') {
      ++stars;
      ++i;
    } else {
      while (format[i] >= '0' && format[i] <= '9') ++i;
    }
  }
  while (std::strchr("hlLqjzt", format[i]) != nullptr && format[i] != '\0') ++i;
  char letter = format[i];
  if (letter == '\0' || std::strchr("diouxXeEfFgGaAcs", letter) == nullptr) return false;
  *out = Conversion{p, i + 1, stars, letter};
  return true;
}

// Formats one conversion with its arguments. The flags, width and precision
// are kept; the length modifier is chosen from the argument. Integers keep
// their 32-bit meaning in unsigned conversions (-1 shows as ffffffff), but a
// value beyond 32 bits, such as an object's address, is shown whole.
std::string formatOne(const char* format, const Conversion& c, const char* types,
                      const ErrorArg* args) {
  std::string conversion;
  std::size_t argument = 0;
  for (std::size_t i = c.begin; i < c.end - 1; ++i) {
    char ch = format[i];
    if (ch == '*') {
      conversion += std::to_string(static_cast<int>(args[argument++].integer()));
    } else if (std::strchr("hlLqjzt", ch) == nullptr) {
      conversion += ch;
    }
  }
  const ErrorArg& arg = args[argument];
  char kind = types[argument];
  char buffer[512];
  switch (c.letter) {
    case 'd':
    case 'i':
      conversion += "ll";
      conversion += c.letter;
      std::snprintf(buffer, sizeof buffer, conversion.c_str(), arg.integer());
      break;
    case 'o':
    case 'u':
    case 'x':
    case 'X': {
      long long v = arg.integer();
      unsigned long long u =
          (v < 0 && v >= INT32_MIN) ? static_cast<uint32_t>(v) : static_cast<unsigned long long>(v);
      conversion += "ll";
      conversion += c.letter;
      std::snprintf(buffer, sizeof buffer, conversion.c_str(), u);
      break;
    }
    case 'c':
      conversion += 'c';
      std::snprintf(buffer, sizeof buffer, conversion.c_str(), static_cast<int>(arg.integer()));
      break;
    case 's': {
      conversion += 's';
      std::string number;
      const char* text = kind == 'S' ? arg.text() : nullptr;
      if (text == nullptr) {
        number = kind == 'D' || arg.kind() == ErrorArg::kDouble ? std::to_string(arg.real())
                                                                : std::to_string(arg.integer());
        text = number.c_str();
      }
      std::snprintf(buffer, sizeof buffer, conversion.c_str(), text);
      break;
    }
    default:  // floating-point conversions
      conversion += c.letter;
      std::snprintf(buffer, sizeof buffer, conversion.c_str(), arg.real());
      break;
  }
  return buffer;
}

void printReport(int severity, const char* text) {
  const ReportOptions& o = state().options;
  if (severity < o.printThreshold) return;
  const char* facility = "";
  int index = facilityIndex(state().currentError);
  if ((o.printFlags & 2) != 0 && index >= 0 && index < kFacilityCount &&
      state().facilities[index].name != nullptr) {
    facility = state().facilities[index].name;
  }
  std::FILE* out = o.output != nullptr ? o.output : stderr;
  std::fprintf(out, "%s%s%s%s%s%s\n", o.prefix.c_str(), facility, *facility != '\0' ? ": " : "",
               (o.printFlags & 1) != 0 ? severityName(severity) : "",
               (o.printFlags & 1) != 0 ? ": " : "", text);
  std::fflush(out);
}

void raiseError(int32_t code, int severity, const ErrorArg* args, std::size_t count) {
  const ErrorMessage* message = messageOf(code);
  if (message == nullptr) return;
  state().currentError = code;
  if (severity == kDefaultSeverity) severity = message->severity;
  std::string text = formatMessage(message->format, message->types, args, count);
  report(severity, text.c_str());
  if (severity >= state().options.abortThreshold) {
    std::fprintf(stderr, "NIHCL: fatal: Tried to continue after error %d\n",
                 static_cast<int>(code));
    std::abort();
  }
}

}  // namespace

const char* severityName(int severity) {
  if (severity < 0 || severity > kFatal) return "severity ?";
  return kSeverityNames[severity];
}

void enterFacility(int index, const char* name, const ErrorMessage* messages, int32_t lastCode) {
  assert(index >= 0 && index < kFacilityCount && name != nullptr && messages != nullptr);
  Facility& f = state().facilities[index];
  f.name = name;
  f.messages = messages;
  f.lastCode = lastCode;
}

const Facility* facilityOf(int32_t code) {
  return messageOf(code) != nullptr ? &state().facilities[facilityIndex(code)] : nullptr;
}

int defaultSeverity(int32_t code) {
  const ErrorMessage* m = messageOf(code);
  return m != nullptr ? m->severity : -1;
}

const char* argumentTypes(int32_t code) {
  const ErrorMessage* m = messageOf(code);
  return m != nullptr ? m->types : nullptr;
}

const char* messageFormat(int32_t code) {
  const ErrorMessage* m = messageOf(code);
  return m != nullptr ? m->format : nullptr;
}

void setReportOptions(const ReportOptions& options) {
  state().options = options;
}

const ReportOptions& reportOptions() {
  return state().options;
}

int32_t currentError() {
  return state().currentError;
}

long long ErrorArg::integer() const {
  switch (kind_) {
    case kInteger:
      return integer_;
    case kDouble:
      return static_cast<long long>(double_);
    case kText:
      break;
  }
  return 0;
}

double ErrorArg::real() const {
  switch (kind_) {
    case kInteger:
      return static_cast<double>(integer_);
    case kDouble:
      return double_;
    case kText:
      break;
  }
  return 0;
}

std::string formatMessage(const char* format, const char* types, const ErrorArg* args,
                          std::size_t count) {
  std::string out;
  const std::size_t letters = std::min(std::strlen(types), count);
  std::size_t used = 0;  // arguments consumed
  for (std::size_t i = 0; format[i] != '\0';) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    Conversion c;
    if (!readConversion(format, i, &c)) {
      out += format[i++];
      continue;
    }
    std::size_t needed = static_cast<std::size_t>(c.stars) + 1;
    if (used + needed <= letters) {
      out += formatOne(format, c, types + used, args + used);
      used += needed;
    } else {
      used = letters;  // the arguments are used up: later conversions stay as written
      out.append(format + c.begin, c.end - c.begin);
    }
    i = c.end;
  }
  if (out.size() > kMaxMessageLength) out.resize(kMaxMessageLength);
  return out;
}

void report(int severity, const char* text) {
  printReport(severity, text);
  const ReportOptions& o = state().options;
  if (severity >= o.abortThreshold) {
    if (o.abortMode == 0) std::exit(1);
    std::abort();
  }
}

void setErrorArgs(int32_t code, int severity, const ErrorArg* args, std::size_t count) {
  Startup::ensure();
  applyExceptionEnvironment(&code, &severity);
  raiseError(code, severity, args, count);
}

void seterrorArgs(int32_t code, int severity, const ErrorArg* args, std::size_t count) {
  Startup::ensure();
  raiseError(code, severity, args, count);
}

}  // namespace dv
