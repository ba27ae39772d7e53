// The statement loop: reads one statement per line, runs it through the DCI
// call table and shows what comes back (records as "label: value" lines, row
// counts, timing lines), pausing between records in page mode. A caught
// signal (interp/Signals.h) stops the statement's output and ends the loop; an
// interrupt at a terminal stops the statement and the loop reads the next.
#ifndef DVSQL_INTERP_STATEMENTLOOP_H_
#define DVSQL_INTERP_STATEMENTLOOP_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "interp/Console.h"
#include "interp/HookedAllocator.h"
#include "interp/Options.h"
#include "interp/Session.h"
#include "interp/StatementLog.h"
#include "interp/Stopwatch.h"

namespace interp {

inline constexpr std::size_t kStatementBufferSize = 20480;
inline constexpr std::size_t kReplyBufferSize = 20480;
inline constexpr std::size_t kValueBufferSize = 20480;
// SQLGetData may fill all but the last byte of the value buffer, which stays a
// terminator whatever the driver writes.
inline constexpr int32_t kValueLimit = static_cast<int32_t>(kValueBufferSize) - 1;

// Returns whether a statement line is a modification whose row count is shown:
// after leading white space, a word of exactly six characters followed by a
// blank (code 32) that reads DELETE, INSERT or UPDATE in any case.
bool isModification(const char* line);

class StatementLoop {
 public:
  // REQUIRES: session is set up; all pointers outlive the loop.
  StatementLoop(Session* session, const InterpreterOptions& options, LineSource* in,
                OutputBuffer* out, OutputBuffer* err, StatementLog* log);

  // Runs statements until a quit line, the end of input or a caught signal;
  // after an interrupt, closes what the stopped statement left open.
  // Ends the process on fatal failures.
  void run();

 private:
  // Runs the statement line of `length` bytes in statement_ and shows what it
  // gives, with its line in the statement log; returns false when a signal
  // stopped it.
  bool runStatement(std::size_t length);
  // runStatement without the log line; *rows is the statement's row count.
  bool executeAndShow(std::size_t length, int32_t* rows);
  // Shows the result set of the current statement; adds its records to *rows.
  // Returns false when a signal stopped it.
  bool showResultSet(int16_t columns, int32_t* rows);
  // Reads the label of each of the `count` result columns and keeps "label: "
  // of each in linePrefixes_ and prefixStarts_. Ends the process when a label
  // cannot be read or kept.
  void fetchLabels(std::size_t count);
  // Shows the records of the current result set until a fetch finds no more,
  // and adds them to *rows; rc is what the first fetch returned, checked like
  // every later one. Returns false when a signal stopped it. REQUIRES: rc is
  // not SQL_NO_DATA_FOUND; fetchLabels(count) ran for this result set.
  bool showRows(std::size_t count, DciReturn rc, int32_t* rows);
  // Whether a signal was caught; if so, reports a fetch's rc (without ending
  // the process) unless it is a success or the end of the rows.
  bool stoppedAfterFetch(DciReturn rc);
  // Shows prompt (null: none) and waits for the reply to the pause; returns
  // whether to go on pausing.
  bool awaitReply(const char* prompt);
  void writeTiming();
  [[noreturn]] void fatal(const char* message);

  Session* session_;
  const InterpreterOptions& options_;
  LineSource* in_;
  OutputBuffer* out_;
  OutputBuffer* err_;
  StatementLog* log_;
  Stopwatch processing_;
  Stopwatch elapsed_;
  // "label: " of every column of the current result set, one after the other,
  // and where each starts (one more entry for the end): the lines of a record
  // are then written with one copy per label. Kept between result sets so that
  // printing needs no allocation once they are large enough.
  std::vector<char, HookedAllocator<char>> linePrefixes_;
  std::vector<std::size_t, HookedAllocator<std::size_t>> prefixStarts_;
  char statement_[kStatementBufferSize];
  char reply_[kReplyBufferSize];
  char value_[kValueBufferSize];
};

}  // namespace interp

#endif  // DVSQL_INTERP_STATEMENTLOOP_H_
