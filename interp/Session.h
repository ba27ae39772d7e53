// The interpreter's connection: set-up and tear-down through the DCI call
// table, and the status check through which every call's return code passes,
// with its diagnostics report on standard error.
#ifndef DVSQL_INTERP_SESSION_H_
#define DVSQL_INTERP_SESSION_H_

#include <cstdint>

#include "dci/Loader.h"
#include "dci/dci.h"
#include "interp/Console.h"
#include "interp/Options.h"
#include "interp/StatementLog.h"

namespace interp {

// The data source every session connects to.
inline constexpr char kDataSourceName[] = "localdv";
inline constexpr int16_t kDataSourceBufferSize = 128;
inline constexpr int kStateBufferSize = 8;
inline constexpr int16_t kMessageBufferSize = 2048;
// A report stops after this many records, so that a driver whose SQLError
// never stops delivering records cannot hold the interpreter.
inline constexpr int kMaxReportRecords = 1000;

// What ends the process when a session fails fatally: std::exit, unless a
// program that runs sessions in-process (the fuzzing harness, the out-of-memory
// sweep) sets a function of its own, which must not return (it may throw).
using ExitFunction = void (*)(int status);
void setExitFunction(ExitFunction exit);

class Session {
 public:
  // REQUIRES: api is fully bound; out and err outlive the session.
  Session(const dci::DciApi& api, const InterpreterOptions& options, OutputBuffer* out,
          OutputBuffer* err);

  const dci::DciApi& api() const { return api_; }
  DciHandle env() const { return env_; }
  DciHandle dbc() const { return dbc_; }
  DciHandle stmt() const { return stmt_; }
  // 4 x the maximum column-name length + 1, kept within 1..INT16_MAX.
  int16_t labelSize() const { return labelSize_; }
  // Whether setUp() has run to its end: the statement handle is allocated.
  bool isSetUp() const { return setUp_; }

  // Hands every report from now on to *log as well, and has a fatal exit
  // write the line of the statement it ends. REQUIRES: log outlives the
  // session.
  void setStatementLog(StatementLog* log) { log_ = log; }

  // Returns whether a call that returned rc counts as successful; for any code
  // but SQL_SUCCESS prints the diagnostics report first.
  bool checkStatus(DciReturn rc, const char* label, DciHandle env, DciHandle dbc, DciHandle stmt) {
    if (rc == SQL_SUCCESS) return true;
    report(rc, label, env, dbc, stmt);
    return rc != SQL_ERROR && rc != SQL_INVALID_HANDLE;
  }

  // checkStatus; a failure ends the process with exit status 1.
  void checkFatal(DciReturn rc, const char* label, DciHandle env, DciHandle dbc, DciHandle stmt) {
    if (!checkStatus(rc, label, env, dbc, stmt)) fatalExit();
  }

  // Allocates the handles, sets the mode options and connects; ends the
  // process on a failed check.
  void setUp();
  // Drops the statement, disconnects and frees the handles; ends the process on
  // a failed check.
  void tearDown();

  // Writes the statement log's open line, flushes standard output and error
  // and ends the process with status 1 (128 + the signal's number when a
  // signal is ending the session).
  [[noreturn]] void fatalExit();

 private:
  void report(DciReturn rc, const char* label, DciHandle env, DciHandle dbc, DciHandle stmt);
  void writeEscaped(const char* text);

  const dci::DciApi& api_;
  const InterpreterOptions& options_;
  OutputBuffer* out_;
  OutputBuffer* err_;
  StatementLog* log_ = nullptr;
  DciHandle env_ = DCI_NULL_HANDLE;
  DciHandle dbc_ = DCI_NULL_HANDLE;
  DciHandle stmt_ = DCI_NULL_HANDLE;
  int16_t maxColumnNameLength_ = 0;
  int16_t labelSize_ = 1;
  bool setUp_ = false;
};

}  // namespace interp

#endif  // DVSQL_INTERP_SESSION_H_
