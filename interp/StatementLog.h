// The statement log: with DVSQL_LOG=path, one JSON line per statement is
// appended to that file, telling when it ran (UTC), on which account (without
// its password), what it was, how long it took, how many rows it fetched or
// changed, how it ended and every diagnostics record reported for it. The log
// never changes what dvsql writes to standard output or error, but for one
// warning when the file cannot be opened or written (logging then stops).
#ifndef DVSQL_INTERP_STATEMENTLOG_H_
#define DVSQL_INTERP_STATEMENTLOG_H_

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "dci/dci.h"
#include "interp/Console.h"

namespace interp {

// The environment variable that names the log file.
inline constexpr char kStatementLogVariable[] = "DVSQL_LOG";

// Returns account with any password taken out: the password of a
// postgresql:// or postgres:// URI's user part and its password parameters,
// or the password pairs of libpq key=value text. Any other account is
// returned as it is.
std::string accountWithoutPassword(const std::string& account);

// Appends text[0, length) to *out as the contents of a JSON string. Valid
// UTF-8 is kept as it is; each byte that is not part of a valid UTF-8
// sequence is written \udcXX (XX its value), the form that Python's
// "surrogateescape" error handler turns back into the byte.
void appendJsonString(std::string* out, const char* text, std::size_t length);

class StatementLog {
 public:
  // Opens path (when not null or empty) for appending, creating it with mode
  // 0600; when it cannot be opened, writes one warning to *err and logs
  // nothing. account is the session's account, logged without its password.
  // REQUIRES: err outlives the log.
  StatementLog(const char* path, const char* account, OutputBuffer* out, OutputBuffer* err);
  ~StatementLog();
  StatementLog(const StatementLog&) = delete;
  StatementLog& operator=(const StatementLog&) = delete;

  bool active() const { return fd_ >= 0; }

  // Starts the record of a statement of `length` bytes, about to be sent.
  // REQUIRES: no statement is open.
  void begin(const char* text, std::size_t length);
  // The statement's row count is *counter when the record is written; without
  // this call it is null. REQUIRES: *counter outlives the statement's record.
  void countRows(const int32_t* counter) {
    if (open_) rowCounter_ = counter;
  }
  // A call of the open statement returned rc, which is not SQL_SUCCESS.
  void noteReturn(DciReturn rc);
  // A diagnostics record reported for the call `label` of the open statement.
  void noteRecord(const char* label, const char* state, int32_t native, const char* message);
  // The time between these two calls (a wait for the user) is not counted.
  void pauseBegin();
  void pauseEnd();
  // A signal stopped the open statement.
  void markCancelled() { cancelled_ = true; }
  // Writes the open statement's line and closes its record; nothing when no
  // statement is open.
  void end();

 private:
  // Says once on standard error why the log stops, and stops it.
  void fail(const std::string& why);

  int fd_ = -1;
  std::string path_;
  std::string account_;  // as logged: a JSON string's contents
  OutputBuffer* out_;
  OutputBuffer* err_;

  bool open_ = false;
  std::string line_;         // the statement's fields so far, reused between statements
  std::string diagnostics_;  // its diagnostics records as JSON objects
  struct timespec started_ = {};
  struct timespec pauseStarted_ = {};
  int64_t pausedMicros_ = 0;
  const int32_t* rowCounter_ = nullptr;
  bool failedCall_ = false;
  bool warnedCall_ = false;
  bool cancelled_ = false;
};

}  // namespace interp

#endif  // DVSQL_INTERP_STATEMENTLOG_H_
