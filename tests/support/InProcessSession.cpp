// The byte driver and the in-process session runner. The driver keeps its
// state in one global record, since the call table holds plain functions; a
// session runs at a time.
#include "tests/support/InProcessSession.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>

#include "dci/Loader.h"
#include "dci/dci.h"
#include "interp/Console.h"
#include "interp/Session.h"
#include "interp/StatementLog.h"
#include "interp/StatementLoop.h"

namespace dvsql_test {
namespace {

constexpr DciHandle kEnv = 1;
constexpr DciHandle kDbc = 2;
constexpr DciHandle kStmt = 3;
// Bounds that keep one input's session short.
constexpr int kMaxRowsPerResult = 64;
constexpr std::size_t kMaxMessageLength = 3000;  // longer than the interpreter's buffer
constexpr int kManyColumns = 200;

struct Record {
  char state[6] = {};
  int32_t native = 0;
  std::string message;
};

struct DriverState {
  const uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;
  std::deque<Record> records;
  bool errorStuck = false;  // SQLError answers a record on every call
  enum class Stmt { kNone, kAllocated, kExecuted, kCursor } stmt = Stmt::kNone;
  int columns = 0;
  int rows = 0;
  bool onRow = false;
  SessionOutcome* outcome = nullptr;
};

DriverState g;

uint8_t take() {
  return g.next < g.size ? g.data[g.next++] : 0;
}

void broken(const char* what) {
  if (g.outcome->contractBroken.empty()) g.outcome->contractBroken = what;
}

// Queues between one and three records made of the next bytes: any bytes,
// quotes, newlines and NULs included, and messages longer than the caller's
// buffer.
void queueRecords(uint8_t selector) {
  int count = 1 + (selector >> 4) % 3;
  for (int i = 0; i < count; ++i) {
    Record r;
    for (int c = 0; c < 5; ++c) r.state[c] = static_cast<char>(take());
    r.native = static_cast<int32_t>(take()) - 128;
    std::size_t length = static_cast<std::size_t>(take()) * 12;
    if (length > kMaxMessageLength) length = kMaxMessageLength;
    uint8_t fill = take();
    for (std::size_t k = 0; k < length; ++k) r.message += static_cast<char>(fill + k % 7);
    g.records.push_back(std::move(r));
  }
  if (selector == 0xEF) g.errorStuck = true;
}

// A return code: mostly success, sometimes a warning, an error, a bad handle
// or a code no driver should give; records come with every code but success.
DciReturn answerFor(uint8_t b) {
  DciReturn rc = SQL_SUCCESS;
  switch (b % 16) {
    case 10:
    case 11:
      rc = SQL_SUCCESS_WITH_INFO;
      break;
    case 12:
      rc = SQL_ERROR;
      break;
    case 13:
      rc = SQL_INVALID_HANDLE;
      break;
    case 14:
      rc = SQL_NO_DATA_FOUND;
      break;
    case 15:
      rc = static_cast<DciReturn>(b >> 4) - 8;  // also 2 to 7 and -3 to -8
      break;
    default:
      break;
  }
  g.records.clear();
  if (rc != SQL_SUCCESS) queueRecords(b);
  return rc;
}

DciReturn answer() {
  return answerFor(take());
}

// An answer for a call whose failure ends the session.
DciReturn fatalAnswer() {
  DciReturn rc = answer();
  if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) g.outcome->driverFailedFatally = true;
  return rc;
}

DciReturn allocEnv(DciHandle* phenv) {
  *phenv = kEnv;
  return fatalAnswer();
}

DciReturn allocConnect(DciHandle henv, DciHandle* phdbc) {
  if (henv != kEnv) broken("SQLAllocConnect on another handle");
  *phdbc = kDbc;
  return fatalAnswer();
}

DciReturn setConnectOption(DciHandle hdbc, uint16_t, uint32_t, const char*) {
  if (hdbc != kDbc) broken("SQLSetConnectOption on another handle");
  return fatalAnswer();
}

DciReturn connect(DciHandle hdbc, const char* dsn, int16_t, const char* account, int16_t) {
  if (hdbc != kDbc || dsn == nullptr || account == nullptr) broken("SQLConnect arguments");
  return fatalAnswer();
}

DciReturn getInfo(DciHandle hdbc, uint16_t type, void* value, int16_t max, int16_t* length) {
  if (hdbc != kDbc || type != DCI_MAX_COLUMN_NAME_LEN || max < 2) broken("SQLGetInfo arguments");
  uint8_t b = take();
  int16_t longest = b == 0xFF ? 8191 : b == 0xFE ? INT16_MAX : static_cast<int16_t>(b % 64);
  std::memcpy(value, &longest, sizeof longest);
  if (length != nullptr) *length = sizeof longest;
  return fatalAnswer();
}

DciReturn allocStmt(DciHandle hdbc, DciHandle* phstmt) {
  if (hdbc != kDbc) broken("SQLAllocStmt on another handle");
  *phstmt = kStmt;
  g.stmt = DriverState::Stmt::kAllocated;
  return fatalAnswer();
}

DciReturn execDirect(DciHandle hstmt, const char* sql, int32_t length) {
  if (hstmt != kStmt || g.stmt == DriverState::Stmt::kNone) broken("SQLExecDirect handle");
  if (g.stmt == DriverState::Stmt::kCursor) broken("SQLExecDirect with a cursor open");
  if (length < 0 || static_cast<std::size_t>(length) >= interp::kStatementBufferSize) {
    broken("SQLExecDirect length");
    length = 0;
  }
  g.outcome->statements.emplace_back(sql, static_cast<std::size_t>(length));
  DciReturn rc = answer();
  uint8_t shape = take();
  g.columns = shape >= 0xF0 ? kManyColumns : shape % 10 - 1;  // -1 to 8, or many
  g.rows = 0;
  g.onRow = false;
  bool executed = rc != SQL_ERROR && rc != SQL_INVALID_HANDLE;
  g.stmt = !executed       ? DriverState::Stmt::kAllocated
           : g.columns > 0 ? DriverState::Stmt::kCursor
                           : DriverState::Stmt::kExecuted;
  return rc;
}

DciReturn numResultCols(DciHandle hstmt, int16_t* count) {
  if (hstmt != kStmt || g.stmt == DriverState::Stmt::kAllocated) broken("SQLNumResultCols state");
  *count = static_cast<int16_t>(g.columns);
  return fatalAnswer();
}

DciReturn colAttributes(DciHandle hstmt, uint16_t column, uint16_t type, void* desc, int16_t max,
                        int16_t* length, int32_t* numeric) {
  if (hstmt != kStmt || g.stmt != DriverState::Stmt::kCursor) broken("SQLColAttributes state");
  if (column < 1 || column > g.columns) broken("SQLColAttributes column");
  if (type != DCI_COLUMN_LABEL || desc == nullptr || max < 1) broken("SQLColAttributes buffer");
  uint8_t b = take();
  std::size_t label = b % 48;
  char* out = static_cast<char*>(desc);
  if (b == 0xFF) {
    // No terminator: the whole buffer is label.
    std::memset(out, 'L', static_cast<std::size_t>(max));
  } else {
    std::size_t n = std::min(label, static_cast<std::size_t>(max - 1));
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(take() | 0x20);
    out[n] = '\0';
  }
  if (length != nullptr) *length = static_cast<int16_t>(label);
  if (numeric != nullptr) *numeric = 0;
  return fatalAnswer();
}

DciReturn fetch(DciHandle hstmt) {
  if (hstmt != kStmt || g.stmt != DriverState::Stmt::kCursor) broken("SQLFetch state");
  uint8_t b = take();
  g.records.clear();
  if (g.rows >= kMaxRowsPerResult || b % 4 == 0) {
    g.onRow = false;
    return SQL_NO_DATA_FOUND;
  }
  DciReturn rc = answerFor(b);
  if (rc == SQL_NO_DATA_FOUND || rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) {
    g.onRow = false;
    if (rc != SQL_NO_DATA_FOUND) g.outcome->driverFailedFatally = true;
    return rc;
  }
  ++g.rows;
  g.onRow = true;
  return rc;
}

DciReturn getData(DciHandle hstmt, uint16_t column, int16_t type, void* value, int32_t max,
                  int32_t* length) {
  if (hstmt != kStmt || !g.onRow) broken("SQLGetData without a row");
  if (column < 1 || column > g.columns) broken("SQLGetData column");
  if (type != SQL_C_CHAR || value == nullptr || max < 1) broken("SQLGetData buffer");
  uint8_t b = take();
  char* out = static_cast<char*>(value);
  if (b == 0xFE) {
    *length = SQL_NULL_DATA;
    out[0] = '\0';
  } else if (b == 0xFF) {
    // A driver that fills the buffer and leaves no terminator.
    std::memset(out, 'V', static_cast<std::size_t>(max));
    *length = max;
  } else {
    std::size_t n = std::min(static_cast<std::size_t>(b) * static_cast<std::size_t>(b) / 4,
                             static_cast<std::size_t>(max - 1));
    uint8_t fill = take();
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(fill + i % 5);
    out[n] = '\0';
    *length = static_cast<int32_t>(n);
  }
  return fatalAnswer();
}

DciReturn rowCount(DciHandle hstmt, int32_t* count) {
  if (hstmt != kStmt || g.stmt != DriverState::Stmt::kExecuted) broken("SQLRowCount state");
  int32_t n = 0;
  for (int i = 0; i < 4; ++i) n = static_cast<int32_t>((static_cast<uint32_t>(n) << 8) | take());
  *count = n;
  return fatalAnswer();
}

DciReturn freeStmt(DciHandle hstmt, uint16_t option) {
  if (hstmt != kStmt || g.stmt == DriverState::Stmt::kNone) broken("SQLFreeStmt handle");
  if (option != SQL_CLOSE && option != SQL_DROP) broken("SQLFreeStmt option");
  g.onRow = false;
  if (option == SQL_DROP) {
    g.stmt = DriverState::Stmt::kNone;
    return fatalAnswer();
  }
  g.stmt = DriverState::Stmt::kAllocated;
  return answer();  // a failed close is reported, not fatal
}

DciReturn disconnect(DciHandle hdbc) {
  if (hdbc != kDbc) broken("SQLDisconnect handle");
  return fatalAnswer();
}

DciReturn freeConnect(DciHandle hdbc) {
  if (hdbc != kDbc) broken("SQLFreeConnect handle");
  return fatalAnswer();
}

DciReturn freeEnv(DciHandle henv) {
  if (henv != kEnv) broken("SQLFreeEnv handle");
  return fatalAnswer();
}

DciReturn error(DciHandle, DciHandle, DciHandle, char* state, int32_t* native, char* message,
                int16_t max, int16_t* length) {
  if (g.records.empty()) {
    if (!g.errorStuck) return SQL_NO_DATA_FOUND;
    g.records.push_back(Record{{'S', 'T', 'U', 'C', 'K', 0}, 0, "again"});
  }
  if (max < 0) return SQL_ERROR;
  Record r = std::move(g.records.front());
  g.records.pop_front();
  if (state != nullptr) std::memcpy(state, r.state, sizeof r.state);
  if (native != nullptr) *native = r.native;
  bool cut = false;
  if (message != nullptr && max > 0) {
    std::size_t n = std::min(r.message.size(), static_cast<std::size_t>(max - 1));
    cut = n < r.message.size();
    std::memcpy(message, r.message.data(), n);
    message[n] = '\0';
  }
  if (length != nullptr) *length = static_cast<int16_t>(r.message.size());
  return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

dci::DciApi byteDriver() {
  dci::DciApi api;
  api.allocEnv = &allocEnv;
  api.allocConnect = &allocConnect;
  api.setConnectOption = &setConnectOption;
  api.connect = &connect;
  api.getInfo = &getInfo;
  api.allocStmt = &allocStmt;
  api.execDirect = &execDirect;
  api.numResultCols = &numResultCols;
  api.colAttributes = &colAttributes;
  api.fetch = &fetch;
  api.getData = &getData;
  api.rowCount = &rowCount;
  api.freeStmt = &freeStmt;
  api.disconnect = &disconnect;
  api.freeConnect = &freeConnect;
  api.freeEnv = &freeEnv;
  api.error = &error;
  return api;
}

struct FatalExit {
  int status;
};

[[noreturn]] void throwFatalExit(int status) {
  throw FatalExit{status};
}

void ignoreOutputError(int) {}

// An anonymous file in memory, closed when it goes.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("dvsql-session", MFD_CLOEXEC)) {}
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  int fd() const { return fd_; }

  void fill(const char* data, std::size_t size) {
    while (size > 0) {
      ssize_t n = ::write(fd_, data, size);
      if (n <= 0) break;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    ::lseek(fd_, 0, SEEK_SET);
  }

  std::string contents() const {
    std::string text;
    char block[4096];
    ssize_t n = 0;
    ::lseek(fd_, 0, SEEK_SET);
    while ((n = ::read(fd_, block, sizeof block)) > 0)
      text.append(block, static_cast<std::size_t>(n));
    return text;
  }

 private:
  int fd_;
};

}  // namespace

SessionOutcome runSession(const interp::InterpreterOptions& given, const uint8_t* driver,
                          std::size_t driverSize, const char* input, std::size_t inputSize) {
  SessionOutcome outcome;
  g = DriverState();
  g.data = driver;
  g.size = driverSize;
  g.outcome = &outcome;
  interp::InterpreterOptions options = given;
  if (options.account == nullptr) options.account = "acct";
  const dci::DciApi api = byteDriver();

  MemoryFile in;
  MemoryFile out;
  MemoryFile err;
  in.fill(input, inputSize);
  interp::setExitFunction(&throwFatalExit);
  {
    // Flushed and dropped before the files are read.
    interp::OutputBuffer outBuffer(out.fd(), &ignoreOutputError);
    interp::OutputBuffer errBuffer(err.fd(), &ignoreOutputError);
    interp::StatementLog log(nullptr, options.account, &outBuffer, &errBuffer);
    interp::Session session(api, options, &outBuffer, &errBuffer);
    try {
      session.setUp();
      interp::InputReader reader(in.fd(), &outBuffer);
      auto loop = std::make_unique<interp::StatementLoop>(&session, options, &reader, &outBuffer,
                                                          &errBuffer, &log);
      loop->run();
      loop.reset();
      session.tearDown();
    } catch (const FatalExit& exit) {
      outcome.fatal = true;
      outcome.status = exit.status;
    }
    outBuffer.flush();
    errBuffer.flush();
  }
  interp::setExitFunction(nullptr);
  outcome.out = out.contents();
  outcome.err = err.contents();
  g = DriverState();
  return outcome;
}

}  // namespace dvsql_test
