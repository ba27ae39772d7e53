// Test support: runs a whole dvsql session in this process, over a DCI driver
// whose every answer is taken from a string of bytes, and tells how it ended:
// the statements the driver was given, what was written, whether it ended
// through the fatal exit. The fuzzing harness and the out-of-memory sweep of
// the interpreter both drive sessions through it.
#ifndef DVSQL_TESTS_SUPPORT_INPROCESSSESSION_H_
#define DVSQL_TESTS_SUPPORT_INPROCESSSESSION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "interp/Options.h"

namespace dvsql_test {

struct SessionOutcome {
  bool fatal = false;  // ended through the fatal exit, with status
  int status = 0;
  std::string out;
  std::string err;
  std::vector<std::string> statements;  // as SQLExecDirect received them
  // A call whose failure the interpreter treats as fatal returned SQL_ERROR
  // or SQL_INVALID_HANDLE.
  bool driverFailedFatally = false;
  // Not empty when the interpreter called the driver against its contract
  // (a column outside the result, a buffer too small, a call out of order).
  std::string contractBroken;
};

// The answers of the byte driver: each call takes the next bytes of `driver`
// to choose its return code, its diagnostics records, result columns, labels,
// rows and values; once they run out every call succeeds and results are
// empty. `input` is the session's standard input.
SessionOutcome runSession(const interp::InterpreterOptions& options, const uint8_t* driver,
                          std::size_t driverSize, const char* input, std::size_t inputSize);

}  // namespace dvsql_test

#endif  // DVSQL_TESTS_SUPPORT_INPROCESSSESSION_H_
