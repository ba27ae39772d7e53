// Test support: reads damaged object-stream bytes the two ways a program can
// survive a read error (reported with the process going on, or raised to a
// catch region), over an input that can seek and one that cannot, and tells
// what the read left behind.
#ifndef DV_TESTS_SUPPORT_DAMAGEDREAD_H_
#define DV_TESTS_SUPPORT_DAMAGEDREAD_H_

#include <cstdint>
#include <istream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

#include "object/ErrorCodes.h"
#include "object/ErrorFacility.h"
#include "object/Exception.h"
#include "object/Nil.h"
#include "object/OIOStreams.h"
#include "object/OrderedCltn.h"
#include "tests/support/RoundTrip.h"

namespace dv {
namespace testing {

// A read-only buffer over bytes that cannot seek, as a pipe or socket cannot:
// the stream then cannot tell how much input is left.
class OneWayBuffer : public std::streambuf {
 public:
  explicit OneWayBuffer(const std::string& bytes) : bytes_(bytes) {
    char* p = &bytes_[0];
    setg(p, p, p + bytes_.size());
  }

 private:
  std::string bytes_;
};

// The framework errors that mean damaged input.
inline bool isReadError(int32_t code) {
  return code == nihcl::RDEOF || code == nihcl::RDSYNERR || code == nihcl::RDUNKCLASS ||
         code == nihcl::RDBADSIG || code == nihcl::RDABSTCLASS || code == nihcl::STROV;
}

// Releases the objects that the last top-level read of in handed to its
// caller, which frees what that read made.
inline void releaseRead(const OIOin& in) {
  const OrderedCltn& made = in.readTable();
  for (uint32_t i = 0; i < made.size(); ++i) made.at(static_cast<int32_t>(i))->release();
}

struct DamagedRead {
  bool answeredNil = false;  // the read answered nil() (or was unwound)
  int severity = 0;          // the stream's severity afterwards
  int32_t kept = -1;         // objects left in the read table
  int32_t error = 0;         // the framework error raised, or else the last one reported
};

enum class ReadMode { kReported, kRaised };

// Reads one top-level object from bytes. kReported: every report is printed
// nowhere and ends nothing; kRaised: the read errors are raised to a catch
// region. seekable false reads through a OneWayBuffer.
inline DamagedRead readDamaged(const std::string& bytes, bool binary, ReadMode mode,
                               bool seekable) {
  DamagedRead result;
  ReportOptions saved = reportOptions();
  ReportOptions quiet = saved;
  quiet.printThreshold = 8;
  quiet.abortThreshold = 8;
  setReportOptions(quiet);
  std::stringstream seekableInput(bytes);
  OneWayBuffer oneWay(bytes);
  std::istream oneWayInput(&oneWay);
  std::istream& input = seekable ? static_cast<std::istream&>(seekableInput) : oneWayInput;
  std::unique_ptr<OIOin> in = openIn(input, binary);
  Object* answer = nullptr;
  if (mode == ReadMode::kRaised) {
    ExceptionAction eof(nihcl::RDEOF);
    ExceptionAction syntax(nihcl::RDSYNERR);
    ExceptionAction unknown(nihcl::RDUNKCLASS);
    ExceptionAction signature(nihcl::RDBADSIG);
    ExceptionAction abstract(nihcl::RDABSTCLASS);
    ExceptionAction overflow(nihcl::STROV);
    result.error = catchRegion([&] { answer = in->readObject(); });
  } else {
    answer = in->readObject();
  }
  // A raised error never becomes the current error: the region tells which it was.
  if (result.error == 0) result.error = currentError();
  result.answeredNil = answer == nullptr || answer == nil();
  result.severity = in->severity();
  result.kept = static_cast<int32_t>(in->readTable().size());
  // A read that went through after all: give back what it made.
  if (!result.answeredNil) releaseRead(*in);
  setReportOptions(saved);
  return result;
}

}  // namespace testing
}  // namespace dv

#endif  // DV_TESTS_SUPPORT_DAMAGEDREAD_H_
