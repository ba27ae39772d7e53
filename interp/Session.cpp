// Connection set-up and tear-down, status checks and diagnostics reports.
#include "interp/Session.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#include "interp/Signals.h"

namespace interp {
namespace {

// Whether every function of the call table is bound.
[[maybe_unused]] bool fullyBound(const dci::DciApi& api) {
  return api.allocEnv != nullptr && api.allocConnect != nullptr &&
         api.setConnectOption != nullptr && api.connect != nullptr && api.getInfo != nullptr &&
         api.allocStmt != nullptr && api.execDirect != nullptr && api.numResultCols != nullptr &&
         api.rowCount != nullptr && api.colAttributes != nullptr && api.fetch != nullptr &&
         api.getData != nullptr && api.freeStmt != nullptr && api.disconnect != nullptr &&
         api.freeConnect != nullptr && api.freeEnv != nullptr && api.error != nullptr;
}

ExitFunction exitFunction = nullptr;

}  // namespace

void setExitFunction(ExitFunction exit) {
  exitFunction = exit;
}

Session::Session(const dci::DciApi& api, const InterpreterOptions& options, OutputBuffer* out,
                 OutputBuffer* err)
    : api_(api), options_(options), out_(out), err_(err) {
  assert(fullyBound(api) && out != nullptr && err != nullptr);
}

void Session::fatalExit() {
  // The exit frees the driver's handles: the signal handler must not reach them.
  stopCancelling();
  if (log_ != nullptr) log_->end();
  out_->flush();
  err_->flush();
  if (exitFunction != nullptr) exitFunction(exitStatus(1));
  std::exit(exitStatus(1));
}

void Session::writeEscaped(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '"') {
      err_->write("\\\"", 2);
    } else if (*p == '\n') {
      err_->write("\\n", 2);
    } else {
      err_->put(*p);
    }
  }
}

void Session::report(DciReturn rc, const char* label, DciHandle env, DciHandle dbc,
                     DciHandle stmt) {
  out_->flush();
  if (log_ != nullptr) log_->noteReturn(rc);
  char state[kStateBufferSize];
  char message[kMessageBufferSize];
  for (int record = 0; record < kMaxReportRecords; ++record) {
    // Cleared before each call so that a driver that writes nothing leaves
    // empty texts rather than the previous record's.
    state[0] = '\0';
    message[0] = '\0';
    int32_t native = 0;
    int16_t messageLength = 0;
    DciReturn answer =
        api_.error(env, dbc, stmt, state, &native, message, kMessageBufferSize - 1, &messageLength);
    if (answer == SQL_NO_DATA_FOUND) break;
    state[kStateBufferSize - 1] = '\0';
    message[kMessageBufferSize - 1] = '\0';
    writeEscaped(label);
    err_->puts(": RETCODE=");
    err_->putInt(rc);
    err_->puts(", SQLState=\"");
    writeEscaped(state);
    err_->puts("\", NativeError=");
    err_->putInt(native);
    err_->puts("\nErrorMsg = \"");
    writeEscaped(message);
    err_->puts("\"\n");
    if (log_ != nullptr) log_->noteRecord(label, state, native, message);
    // An SQLError that fails answers the same on every further call.
    if (answer == SQL_ERROR || answer == SQL_INVALID_HANDLE) break;
  }
  err_->flush();
}

void Session::setUp() {
  checkFatal(api_.allocEnv(&env_), "SQLAllocEnv()", DCI_NULL_HANDLE, DCI_NULL_HANDLE,
             DCI_NULL_HANDLE);
  checkFatal(api_.allocConnect(env_, &dbc_), "SQLAllocConnect()", env_, DCI_NULL_HANDLE,
             DCI_NULL_HANDLE);
  if (options_.mode == 1) {
    checkFatal(api_.setConnectOption(dbc_, DCI_1NF_MODE_ON, 1, ""),
               "SQLSetConnectOption(DCI_1NF_MODE_ON)", env_, dbc_, DCI_NULL_HANDLE);
  }
  if (options_.emptyToNull) {
    checkFatal(api_.setConnectOption(dbc_, DCI_EMPTY_NULL, 1, ""),
               "SQLSetConnectOption(DCI_EMPTY_NULL)", env_, dbc_, DCI_NULL_HANDLE);
  }
  char dataSource[kDataSourceBufferSize] = {};
  std::strcpy(dataSource, kDataSourceName);
  std::size_t accountLength = std::strlen(options_.account);
  // The length argument is 16 bits wide; a longer account is passed as a
  // NUL-terminated text instead of with a wrapped length.
  int16_t accountArg = accountLength <= INT16_MAX ? static_cast<int16_t>(accountLength) : SQL_NTS;
  checkFatal(
      api_.connect(dbc_, dataSource, kDataSourceBufferSize - 1, options_.account, accountArg),
      "SQLConnect()", env_, dbc_, DCI_NULL_HANDLE);
  checkFatal(api_.getInfo(dbc_, DCI_MAX_COLUMN_NAME_LEN, &maxColumnNameLength_,
                          sizeof maxColumnNameLength_, nullptr),
             "SQLGetInfo(DCI_MAX_COLUMN_NAME_LEN)", env_, dbc_, DCI_NULL_HANDLE);
  checkFatal(api_.allocStmt(dbc_, &stmt_), "SQLAllocStmt()", env_, dbc_, DCI_NULL_HANDLE);
  // Computed wide: a maximum above 8,191 would wrap the 16-bit size negative.
  int32_t size = 4 * static_cast<int32_t>(maxColumnNameLength_) + 1;
  if (size < 1) size = 1;
  if (size > INT16_MAX) size = INT16_MAX;
  labelSize_ = static_cast<int16_t>(size);
  setUp_ = true;
}

void Session::tearDown() {
  checkFatal(api_.freeStmt(stmt_, SQL_DROP), "SQLFreeStmt()", env_, dbc_, stmt_);
  checkFatal(api_.disconnect(dbc_), "SQLDisconnect()", env_, dbc_, DCI_NULL_HANDLE);
  checkFatal(api_.freeConnect(dbc_), "SQLFreeConnect()", env_, dbc_, DCI_NULL_HANDLE);
  checkFatal(api_.freeEnv(env_), "SQLFreeEnv()", env_, DCI_NULL_HANDLE, DCI_NULL_HANDLE);
  out_->flush();
  err_->flush();
}

}  // namespace interp
