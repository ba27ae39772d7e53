// The statement loop and result display.
#include "interp/StatementLoop.h"

#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "interp/Signals.h"
#include "object/Allocation.h"
#include "object/CompareNoCase.h"

namespace interp {
namespace {

constexpr char kPrompt[] = "DVSQL: ";
constexpr char kMore[] = "(more)";
constexpr std::size_t kKeywordLength = 6;

bool isQuitLine(const char* line, std::size_t length) {
  return length == 1 && (line[0] == 'q' || line[0] == 'Q');
}

}  // namespace

bool isModification(const char* line) {
  const char* word = line;
  while (*word != '\0' && std::isspace(static_cast<unsigned char>(*word))) ++word;
  const char* blank = std::strchr(word, ' ');
  if (blank == nullptr || static_cast<std::size_t>(blank - word) != kKeywordLength) return false;
  return dv::compareNoCase(word, "DELETE", kKeywordLength) == 0 ||
         dv::compareNoCase(word, "INSERT", kKeywordLength) == 0 ||
         dv::compareNoCase(word, "UPDATE", kKeywordLength) == 0;
}

StatementLoop::StatementLoop(Session* session, const InterpreterOptions& options, LineSource* in,
                             OutputBuffer* out, OutputBuffer* err, StatementLog* log)
    : session_(session), options_(options), in_(in), out_(out), err_(err), log_(log) {
  assert(session != nullptr && session->isSetUp() && in != nullptr && out != nullptr &&
         err != nullptr && log != nullptr);
  value_[kValueBufferSize - 1] = '\0';
}

void StatementLoop::fatal(const char* message) {
  out_->flush();
  err_->puts(message);
  session_->fatalExit();
}

void StatementLoop::run() {
  while (caughtSignal() == 0) {
    char lastChar = '\0';
    std::size_t length = 0;
    if (!in_->nextLine(options_.silent ? nullptr : kPrompt, LineKind::kStatement, statement_,
                       kStatementBufferSize, &lastChar, &length)) {
      break;
    }
    if (isQuitLine(statement_, length)) break;
    if (lastChar != '\n') fatal("Input buffer overflow\n");
    if (length == 0) continue;
    // An interrupt that came after the line was entered drops it, as at the
    // prompt.
    if (takeInterrupt()) continue;
    if (options_.echo) {
      out_->write(statement_, length);
      out_->put('\n');
    }
    if (runStatement(length)) continue;
    if (caughtSignal() != 0 || !takeInterrupt()) break;
    // Interrupted: the stopped statement's cursor is closed, so that the next
    // statement finds the handle ready.
    session_->checkStatus(session_->api().freeStmt(session_->stmt(), SQL_CLOSE),
                          "SQLFreeStmt(CLOSE)", session_->env(), session_->dbc(), session_->stmt());
  }
}

bool StatementLoop::runStatement(std::size_t length) {
  int32_t rows = 0;
  log_->begin(statement_, length);
  bool completed = executeAndShow(length, &rows);
  if (!completed) log_->markCancelled();
  log_->end();
  return completed;
}

bool StatementLoop::executeAndShow(std::size_t length, int32_t* rows) {
  const dci::DciApi& api = session_->api();
  const DciHandle env = session_->env();
  const DciHandle dbc = session_->dbc();
  const DciHandle stmt = session_->stmt();
  processing_.reset();
  elapsed_.reset();
  if (options_.timing) {
    processing_.start();
    elapsed_.start();
  }
  bool executed =
      session_->checkStatus(api.execDirect(stmt, statement_, static_cast<int32_t>(length)),
                            "SQLExecDirect()", env, dbc, stmt);
  // A stopped statement is left as it is: the session's tear-down drops it,
  // or after an interrupt the loop closes it.
  if (stopRequested()) return false;
  if (!executed) return true;
  if (options_.timing) processing_.stop();
  int16_t columns = 0;
  session_->checkFatal(api.numResultCols(stmt, &columns), "SQLNumResultCols()", env, dbc, stmt);
  if (columns > 0) {
    log_->countRows(rows);
    if (!showResultSet(columns, rows)) return false;
  } else if (isModification(statement_)) {
    session_->checkFatal(api.rowCount(stmt, rows), "SQLRowCount()", env, dbc, stmt);
    log_->countRows(rows);
  } else {
    return true;
  }
  out_->putInt(*rows);
  out_->puts(*rows == 1 ? " row\n" : " rows\n");
  if (options_.timing) writeTiming();
  session_->checkStatus(api.freeStmt(stmt, SQL_CLOSE), "SQLFreeStmt(CLOSE)", env, dbc, stmt);
  return true;
}

bool StatementLoop::stoppedAfterFetch(DciReturn rc) {
  if (!stopRequested()) return false;
  if (rc != SQL_SUCCESS && rc != SQL_NO_DATA_FOUND) {
    session_->checkStatus(rc, "SQLFetch()", session_->env(), session_->dbc(), session_->stmt());
  }
  return true;
}

void StatementLoop::writeTiming() {
  // "%g" is the stream library's default floating-point form: six significant
  // digits, no trailing zeros or point.
  char line[96];
  int n = std::snprintf(line, sizeof line, "%g seconds (elapsed %g)\n", processing_.elapsed(),
                        elapsed_.elapsed());
  out_->write(line, static_cast<std::size_t>(n));
}

bool StatementLoop::showResultSet(int16_t columns, int32_t* rows) {
  const std::size_t count = static_cast<std::size_t>(columns);
  if (options_.timing) processing_.start();
  fetchLabels(count);
  DciReturn rc = session_->api().fetch(session_->stmt());
  if (options_.timing) processing_.stop();
  if (stoppedAfterFetch(rc)) return false;
  if (rc != SQL_NO_DATA_FOUND) return showRows(count, rc, rows);
  // A result without rows still shows its labels, each with an empty value.
  const char* prefixes = linePrefixes_.data();
  const std::size_t* starts = prefixStarts_.data();
  for (std::size_t i = 0; i < count; ++i) {
    out_->write(prefixes + starts[i], starts[i + 1] - starts[i]);
    out_->put('\n');
  }
  return true;
}

void StatementLoop::fetchLabels(std::size_t count) {
  const dci::DciApi& api = session_->api();
  const DciHandle env = session_->env();
  const DciHandle dbc = session_->dbc();
  const DciHandle stmt = session_->stmt();
  const std::size_t labelSize = static_cast<std::size_t>(session_->labelSize());

  // One slot of labelSize bytes per column, left uninitialized: only what the
  // driver writes is read, and a large block costs no more than the pages the
  // labels touch.
  struct Free {
    void operator()(char* block) const { dv::deallocate(block); }
  };
  std::unique_ptr<char, Free> labels(static_cast<char*>(dv::allocate(count * labelSize)));
  if (labels == nullptr) fatal("Out of memory\n");
  for (std::size_t i = 0; i < count; ++i) {
    char* slot = labels.get() + i * labelSize;
    slot[0] = '\0';
    int32_t numeric = 0;
    session_->checkFatal(
        api.colAttributes(stmt, static_cast<uint16_t>(i + 1), DCI_COLUMN_LABEL, slot,
                          static_cast<int16_t>(labelSize), nullptr, &numeric),
        "SQLColAttributes(DCI_COLUMN_LABEL)", env, dbc, stmt);
  }
  try {
    linePrefixes_.clear();
    prefixStarts_.clear();
    for (std::size_t i = 0; i < count; ++i) {
      const char* slot = labels.get() + i * labelSize;
      // Bounded by the slot: a driver that leaves no terminator cannot make the
      // label run into the next slot.
      prefixStarts_.push_back(linePrefixes_.size());
      linePrefixes_.insert(linePrefixes_.end(), slot, slot + strnlen(slot, labelSize));
      linePrefixes_.push_back(':');
      linePrefixes_.push_back(' ');
    }
    prefixStarts_.push_back(linePrefixes_.size());
  } catch (const std::bad_alloc&) {
    fatal("Out of memory\n");
  }
}

bool StatementLoop::showRows(std::size_t count, DciReturn rc, int32_t* rows) {
  assert(rc != SQL_NO_DATA_FOUND && prefixStarts_.size() == count + 1);
  // The inner loop runs for every value of the result: nothing in it
  // allocates, output is flushed only when the buffer fills or a page-mode
  // reply is awaited, and each line is one copy of its prefix, one of its
  // value and a newline.
  const dci::DciApi& api = session_->api();
  const DciHandle env = session_->env();
  const DciHandle dbc = session_->dbc();
  const DciHandle stmt = session_->stmt();
  const char* prefixes = linePrefixes_.data();
  const std::size_t* starts = prefixStarts_.data();
  bool pausing = options_.pageMode;
  for (;;) {
    if (options_.timing) processing_.start();
    session_->checkFatal(rc, "SQLFetch()", env, dbc, stmt);
    ++*rows;
    for (std::size_t i = 0; i < count; ++i) {
      // Cleared so that a driver that writes nothing for a NULL shows an
      // empty value, not the previous column's.
      value_[0] = '\0';
      int32_t valueLength = 0;
      session_->checkFatal(api.getData(stmt, static_cast<uint16_t>(i + 1), SQL_C_CHAR, value_,
                                       kValueLimit, &valueLength),
                           "SQLGetData()", env, dbc, stmt);
      out_->write(prefixes + starts[i], starts[i + 1] - starts[i]);
      out_->write(value_, std::strlen(value_));
      out_->put('\n');
    }
    rc = api.fetch(stmt);
    if (options_.timing) processing_.stop();
    if (stoppedAfterFetch(rc)) return false;
    if (rc == SQL_NO_DATA_FOUND) return true;
    if (!pausing) {
      out_->put('\n');
    } else {
      log_->pauseBegin();
      pausing = awaitReply(options_.silent ? nullptr : kMore);
      log_->pauseEnd();
      if (stopRequested()) return false;
    }
  }
}

bool StatementLoop::awaitReply(const char* prompt) {
  char lastChar = '\0';
  std::size_t length = 0;
  if (!in_->nextLine(prompt, LineKind::kReply, reply_, kReplyBufferSize, &lastChar, &length)) {
    return false;
  }
  if (lastChar != '\n') {
    // An overlong reply is read to its end and otherwise ignored.
    do {
      if (!in_->nextLine(nullptr, LineKind::kReply, reply_, kReplyBufferSize, &lastChar, &length)) {
        return false;
      }
    } while (lastChar != '\n');
    return true;
  }
  return !isQuitLine(reply_, length);
}

}  // namespace interp
