// The built-in DCI driver. Handles are small positive integers: the low 16 bits
// are a slot of one table shared by environments, connections and statements,
// the bits above count how often the slot was reused, so that a stale handle
// answers SQL_INVALID_HANDLE instead of reaching the slot's new owner. Every
// call but SQLError and SQLCancel goes through runCall, which empties the
// diagnostics queue of the handle it reports on and keeps exceptions from
// leaving the C interface. SQLCancel may run in a signal handler: it only reads
// the handle table and asks the backend to stop.
#include "dci/Driver.h"

#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "dci/Backend.h"
#include "dci/BackendFactory.h"
#include "dci/Catalog.h"
#include "dci/Diagnostics.h"
#include "dci/SqlText.h"

namespace dci {
namespace {

constexpr char kSource[] = "[dvsql][DCI] ";
constexpr int kMaxSlots = 0xFFFF;
constexpr int kMaxGeneration = 0x7FFF;  // keeps handles positive
constexpr int16_t kDefaultCType = 99;   // SQL_C_DEFAULT: text for every column here

enum class Kind { kEnv, kConn, kStmt };

struct HandleObject {
  explicit HandleObject(Kind k) : kind(k) {}
  virtual ~HandleObject() = default;
  const Kind kind;
  DiagQueue diags;
};

struct Env final : HandleObject {
  static constexpr Kind kKind = Kind::kEnv;
  Env() : HandleObject(kKind) {}
  int connections = 0;
};

struct Conn final : HandleObject {
  static constexpr Kind kKind = Kind::kConn;
  explicit Conn(DciHandle e) : HandleObject(kKind), env(e) {}
  DciHandle env;
  ConnectionOptions options;
  std::unique_ptr<BackendConnection> backend;  // set while connected
};

struct Stmt final : HandleObject {
  enum class State {
    kAllocated,  // nothing executed, or closed
    kExecuted,   // executed without a result set
    kCursor,     // a result set is open
  };
  static constexpr Kind kKind = Kind::kStmt;
  explicit Stmt(DciHandle c) : HandleObject(kKind), conn(c) {}
  DciHandle conn;
  State state = State::kAllocated;
  std::unique_ptr<BackendStatement> result;
  int columns = 0;     // result->columnCount(), kept for the per-value calls
  bool onRow = false;  // the last fetch delivered a row
  // The backend works for this statement: it is being executed, or its cursor
  // has rows still to come. Read by SQLCancel, which may run in a signal
  // handler or another thread, hence atomic (and lock-free).
  std::atomic<bool> active{false};
  static_assert(std::atomic<bool>::is_always_lock_free, "read in signal handlers");
  // SQLGetData may return a long value in parts: the column being read and how
  // much of its text has been handed out.
  int partColumn = 0;
  std::size_t partOffset = 0;
  bool partDone = false;

  void resetParts() {
    partColumn = 0;
    partOffset = 0;
    partDone = false;
  }
};

void forgetCachedStatement();

struct Slot {
  int generation = 0;
  std::unique_ptr<HandleObject> object;
};

class HandleTable {
 public:
  ~HandleTable() {
    // Statements hold backend state of their connection: release them first.
    for (Kind kind : {Kind::kStmt, Kind::kConn, Kind::kEnv}) {
      for (Slot& slot : slots_) {
        if (slot.object && slot.object->kind == kind) slot.object.reset();
      }
    }
  }

  // Stores object and returns its handle, or DCI_NULL_HANDLE when the table is full.
  DciHandle add(std::unique_ptr<HandleObject> object) {
    std::size_t index = 0;
    while (index < slots_.size() && slots_[index].object) ++index;
    if (index == slots_.size()) {
      if (slots_.size() >= static_cast<std::size_t>(kMaxSlots)) return DCI_NULL_HANDLE;
      slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.object = std::move(object);
    return static_cast<DciHandle>((slot.generation << 16) | static_cast<int>(index + 1));
  }

  // Returns the object of handle when it is a live T, else null.
  template <class T>
  T* find(DciHandle handle) {
    Slot* slot = liveSlot(handle);
    if (slot == nullptr || slot->object->kind != T::kKind) return nullptr;
    return static_cast<T*>(slot->object.get());
  }

  // REQUIRES: handle is live.
  void remove(DciHandle handle) {
    assert(liveSlot(handle) != nullptr);
    forgetCachedStatement();
    Slot& slot = slots_[static_cast<std::size_t>(handle & 0xFFFF) - 1];
    slot.object.reset();
    slot.generation = slot.generation == kMaxGeneration ? 0 : slot.generation + 1;
  }

  // Removes every statement of connection conn.
  void removeStatementsOf(DciHandle conn) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      Slot& slot = slots_[i];
      if (slot.object && slot.object->kind == Kind::kStmt &&
          static_cast<Stmt*>(slot.object.get())->conn == conn) {
        remove(static_cast<DciHandle>((slot.generation << 16) | static_cast<int>(i + 1)));
      }
    }
  }

 private:
  // The slot of handle when it holds an object of the handle's generation, else null.
  Slot* liveSlot(DciHandle handle) {
    if (handle <= 0) return nullptr;
    std::size_t index = static_cast<std::size_t>(handle & 0xFFFF);
    int generation = handle >> 16;
    if (index == 0 || index > slots_.size()) return nullptr;
    Slot& slot = slots_[index - 1];
    if (!slot.object || slot.generation != generation) return nullptr;
    return &slot;
  }

  std::vector<Slot> slots_;
};

HandleTable& handles() {
  static HandleTable table;
  return table;
}

// The statement handle looked up last: SQLGetData and SQLFetch are called for
// one statement millions of times in a row. Plain data, constant-initialized;
// cleared whenever a handle is freed.
struct StatementCache {
  DciHandle handle;
  Stmt* stmt;
};
StatementCache statementCache = {DCI_NULL_HANDLE, nullptr};

// Diagnostics of calls that have no handle to report on (SQLAllocEnv), read by
// SQLError with three null handles.
DiagQueue& globalDiags() {
  static DiagQueue queue;
  return queue;
}

// Queues a driver record; a record that cannot be made for want of memory is
// dropped rather than thrown across the C interface.
void addRecord(DiagQueue* diags, const char* state, const char* message) noexcept {
  try {
    diags->add(state, 0, std::string(kSource) + message);
  } catch (...) {
  }
}

DciReturn fail(DiagQueue* diags, const char* state, const char* message) noexcept {
  addRecord(diags, state, message);
  return SQL_ERROR;
}

DciReturn sequenceError(DiagQueue* diags) {
  return fail(diags, state::kSequence, "Function sequence error");
}

// Success, or success with information when the call queued warnings.
DciReturn succeeded(const DiagQueue& diags) {
  return diags.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

// Resolves a text length argument: SQL_NTS, or a count of bytes. Returns false
// for other negative values.
bool textLength(const char* text, long length, std::size_t* out) {
  if (length == SQL_NTS) {
    *out = std::strlen(text);
    return true;
  }
  if (length < 0) return false;
  *out = static_cast<std::size_t>(length);
  return true;
}

bool isDataSourceName(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Writes hexadecimal digits [offset, offset + count) of bytes' upper-case
// hexadecimal form to dst.
void writeHex(const char* bytes, std::size_t offset, std::size_t count, char* dst) {
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t digit = offset + i;
    unsigned char b = static_cast<unsigned char>(bytes[digit / 2]);
    dst[i] = kHexDigits[(digit % 2 == 0) ? (b >> 4) : (b & 0x0F)];
  }
}

template <class T>
T clampTo(int64_t value) {
  if (value > static_cast<int64_t>(std::numeric_limits<T>::max())) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(value);
}

void forgetCachedStatement() {
  statementCache = {DCI_NULL_HANDLE, nullptr};
}

// Returns the object of handle when it is a live T, else null.
template <class T>
T* findHandle(DciHandle handle) {
  return handles().find<T>(handle);
}

// Statements go through the cache first.
template <>
Stmt* findHandle<Stmt>(DciHandle handle) {
  if (handle == statementCache.handle && handle != DCI_NULL_HANDLE) return statementCache.stmt;
  Stmt* stmt = handles().find<Stmt>(handle);
  if (stmt != nullptr) statementCache = {handle, stmt};
  return stmt;
}

// Runs body(diags) as a call that reports on diags: sets *outHandle (when not
// null) to DCI_NULL_HANDLE, so that a call that fails leaves no handle there,
// empties the queue, and turns an exception from body into a record (S1001 for
// an allocation failure, S1000 for anything else) and SQL_ERROR, so that none
// crosses the C interface.
template <class Body>
DciReturn runCall(DiagQueue* diags, DciHandle* outHandle, Body body) noexcept {
  if (outHandle != nullptr) *outHandle = DCI_NULL_HANDLE;
  if (!diags->empty()) diags->clear();
  try {
    return body(diags);
  } catch (const std::bad_alloc&) {
    addRecord(diags, state::kNoMemory, "Memory allocation error");
  } catch (...) {
    addRecord(diags, state::kGeneral, "Internal driver error");
  }
  return SQL_ERROR;
}

// runCall on the queue of handle, with body(object, diags): a handle that is
// not a live T answers SQL_INVALID_HANDLE (*outHandle still cleared) and runs
// nothing.
template <class T, class Body>
DciReturn runCall(DciHandle handle, DciHandle* outHandle, Body body) noexcept {
  T* object = findHandle<T>(handle);
  if (object == nullptr) {
    if (outHandle != nullptr) *outHandle = DCI_NULL_HANDLE;
    return SQL_INVALID_HANDLE;
  }
  return runCall(&object->diags, outHandle,
                 [&](DiagQueue* diags) -> DciReturn { return body(object, diags); });
}

template <class T, class Body>
DciReturn runCall(DciHandle handle, Body body) noexcept {
  return runCall<T>(handle, nullptr, body);
}

// The diagnostics queue of handle when it is a live T, else null.
template <class T>
DiagQueue* queueOf(DciHandle handle) {
  T* object = findHandle<T>(handle);
  return object != nullptr ? &object->diags : nullptr;
}

// Drops the result of stmt, leaving it allocated.
void dropResult(Stmt* stmt) {
  stmt->active.store(false);
  stmt->result.reset();
  stmt->state = Stmt::State::kAllocated;
  stmt->onRow = false;
  stmt->resetParts();
}

// Makes result, when there is one, the result of stmt: an open cursor when it
// has columns. Returns the call's code.
DciReturn takeResult(Stmt* stmt, std::unique_ptr<BackendStatement> result, const DiagQueue& diags) {
  if (!result) return SQL_ERROR;
  stmt->result = std::move(result);
  stmt->columns = stmt->result->columnCount();
  stmt->state = stmt->columns > 0 ? Stmt::State::kCursor : Stmt::State::kExecuted;
  return succeeded(diags);
}

// Reads a text argument that may be absent (a null pointer) into *out.
// Returns false for a bad length.
bool optionalText(const char* text, int16_t length, std::string* out) {
  out->clear();
  if (text == nullptr) return true;
  std::size_t n = 0;
  if (!textLength(text, length, &n)) return false;
  out->assign(text, n);
  return true;
}

}  // namespace

extern "C" {

static DciReturn dciAllocEnv(DciHandle* phenv) {
  return runCall(&globalDiags(), phenv, [&](DiagQueue* diags) -> DciReturn {
    if (phenv == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    *phenv = handles().add(std::make_unique<Env>());
    if (*phenv == DCI_NULL_HANDLE) return fail(diags, state::kNoHandles, "No more handles");
    return SQL_SUCCESS;
  });
}

static DciReturn dciAllocConnect(DciHandle henv, DciHandle* phdbc) {
  return runCall<Env>(henv, phdbc, [&](Env* env, DiagQueue* diags) -> DciReturn {
    if (phdbc == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    *phdbc = handles().add(std::make_unique<Conn>(henv));
    if (*phdbc == DCI_NULL_HANDLE) return fail(diags, state::kNoHandles, "No more handles");
    ++env->connections;
    return SQL_SUCCESS;
  });
}

static DciReturn dciSetConnectOption(DciHandle hdbc, uint16_t fOption, uint32_t vParam,
                                     const char* /*szParam*/) {
  return runCall<Conn>(hdbc, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    bool* flag = nullptr;
    if (fOption == DCI_1NF_MODE_ON) {
      flag = &conn->options.flatResults;
    } else if (fOption == DCI_EMPTY_NULL) {
      flag = &conn->options.emptyNull;
    } else {
      return fail(diags, state::kOptionRange, "Option type out of range");
    }
    if (vParam > 1) return fail(diags, state::kInvalidArgument, "Invalid option value");
    *flag = vParam == 1;
    if (conn->backend) conn->backend->setOptions(conn->options);
    return SQL_SUCCESS;
  });
}

static DciReturn dciConnect(DciHandle hdbc, const char* szDSN, int16_t cbDSN, const char* szAccount,
                            int16_t cbAccount) {
  return runCall<Conn>(hdbc, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    if (conn->backend) return fail(diags, state::kConnectionInUse, "Connection in use");
    if (szDSN == nullptr || szAccount == nullptr) {
      return fail(diags, state::kInvalidArgument, "Invalid argument value");
    }
    std::size_t dsnLength = 0;
    std::size_t accountLength = 0;
    if (!textLength(szDSN, cbDSN, &dsnLength) ||
        !textLength(szAccount, cbAccount, &accountLength)) {
      return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    }
    // The data source may sit in a larger buffer: it ends at its terminator.
    std::string dataSource(szDSN, strnlen(szDSN, dsnLength));
    std::string account(szAccount, strnlen(szAccount, accountLength));
    if (!isDataSourceName(dataSource)) {
      diags->add(state::kNoDataSource, 0,
                 std::string(kSource) + "Data source name not found: " + dataSource);
      return SQL_ERROR;
    }
    conn->backend = connectBackend(account, dataSource, conn->options, diags);
    if (!conn->backend) return SQL_ERROR;
    return succeeded(*diags);
  });
}

static DciReturn dciGetInfo(DciHandle hdbc, uint16_t fInfoType, void* rgbInfoValue,
                            int16_t cbInfoValueMax, int16_t* pcbInfoValue) {
  return runCall<Conn>(hdbc, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    if (!conn->backend) return fail(diags, state::kNotConnected, "Connection not open");
    if (fInfoType != DCI_MAX_COLUMN_NAME_LEN) {
      return fail(diags, state::kInfoType, "Information type out of range");
    }
    if (rgbInfoValue == nullptr)
      return fail(diags, state::kInvalidArgument, "Invalid argument value");
    if (cbInfoValueMax < static_cast<int16_t>(sizeof(int16_t))) {
      return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    }
    int16_t value = conn->backend->maxColumnNameLength();
    std::memcpy(rgbInfoValue, &value, sizeof value);
    if (pcbInfoValue != nullptr) *pcbInfoValue = sizeof value;
    return SQL_SUCCESS;
  });
}

static DciReturn dciAllocStmt(DciHandle hdbc, DciHandle* phstmt) {
  return runCall<Conn>(hdbc, phstmt, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    if (phstmt == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    if (!conn->backend) return fail(diags, state::kNotConnected, "Connection not open");
    *phstmt = handles().add(std::make_unique<Stmt>(hdbc));
    if (*phstmt == DCI_NULL_HANDLE) return fail(diags, state::kNoHandles, "No more handles");
    return SQL_SUCCESS;
  });
}

static DciReturn dciExecDirect(DciHandle hstmt, const char* szSqlStr, int32_t cbSqlStr) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (szSqlStr == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    std::size_t length = 0;
    if (!textLength(szSqlStr, cbSqlStr, &length)) {
      return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    }
    if (stmt->state == Stmt::State::kCursor) {
      return fail(diags, state::kCursorState, "Invalid cursor state");
    }
    if (std::memchr(szSqlStr, '\0', length) != nullptr) {
      return fail(diags, state::kSyntax, "Statement text contains a NUL character");
    }
    Conn* conn = findHandle<Conn>(stmt->conn);
    dropResult(stmt);
    stmt->active.store(true);
    return takeResult(stmt, conn->backend->execute(szSqlStr, length, diags), *diags);
  });
}

static DciReturn dciTables(DciHandle hstmt, const char* szTableQualifier, int16_t cbTableQualifier,
                           const char* szTableOwner, int16_t cbTableOwner, const char* szTableName,
                           int16_t cbTableName, const char* szTableType, int16_t cbTableType) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    TableFilter filter;
    if (!optionalText(szTableQualifier, cbTableQualifier, &filter.qualifier) ||
        !optionalText(szTableOwner, cbTableOwner, &filter.ownerPattern) ||
        !optionalText(szTableName, cbTableName, &filter.namePattern) ||
        !optionalText(szTableType, cbTableType, &filter.typeList)) {
      return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    }
    if (stmt->state == Stmt::State::kCursor) {
      return fail(diags, state::kCursorState, "Invalid cursor state");
    }
    Conn* conn = findHandle<Conn>(stmt->conn);
    dropResult(stmt);
    stmt->active.store(true);
    std::vector<TableEntry> entries;
    if (!conn->backend->listTables(&entries, diags)) {
      stmt->active.store(false);
      return SQL_ERROR;
    }
    return takeResult(stmt, tablesResult(std::move(entries), filter), *diags);
  });
}

static DciReturn dciCancel(DciHandle hstmt) {
  // Not through runCall: the queue belongs to the call being stopped. The
  // table is only read, and the statement cache is left alone, since the call
  // this one interrupted may be reading it.
  Stmt* stmt = handles().find<Stmt>(hstmt);
  if (stmt == nullptr) return SQL_INVALID_HANDLE;
  if (!stmt->active.load()) return SQL_SUCCESS;
  Conn* conn = handles().find<Conn>(stmt->conn);
  if (conn == nullptr || !conn->backend) return SQL_SUCCESS;
  return conn->backend->cancel() ? SQL_SUCCESS : SQL_ERROR;
}

static DciReturn dciNumResultCols(DciHandle hstmt, int16_t* pccol) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (pccol == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    if (stmt->state == Stmt::State::kAllocated) return sequenceError(diags);
    *pccol = clampTo<int16_t>(stmt->columns);
    return SQL_SUCCESS;
  });
}

static DciReturn dciRowCount(DciHandle hstmt, int32_t* pcrow) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (pcrow == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    if (stmt->state == Stmt::State::kAllocated) return sequenceError(diags);
    *pcrow = stmt->state == Stmt::State::kCursor ? -1 : clampTo<int32_t>(stmt->result->rowCount());
    return SQL_SUCCESS;
  });
}

static DciReturn dciColAttributes(DciHandle hstmt, uint16_t icol, uint16_t fDescType, void* rgbDesc,
                                  int16_t cbDescMax, int16_t* pcbDesc, int32_t* pfDesc) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (stmt->state == Stmt::State::kAllocated) return sequenceError(diags);
    int columns = stmt->columns;
    if (fDescType == SQL_COLUMN_COUNT) {
      if (pfDesc != nullptr) *pfDesc = columns;
      return SQL_SUCCESS;
    }
    if (fDescType != SQL_COLUMN_NAME && fDescType != DCI_COLUMN_LABEL) {
      return fail(diags, state::kDescriptorType, "Descriptor type out of range");
    }
    if (icol < 1 || icol > columns)
      return fail(diags, state::kColumnNumber, "Invalid column number");
    if (cbDescMax < 0) return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    std::size_t length = 0;
    const char* name = stmt->result->columnName(icol - 1, &length);
    bool cut = copyText(name, length, static_cast<char*>(rgbDesc), cbDescMax);
    if (pcbDesc != nullptr) *pcbDesc = clampTo<int16_t>(static_cast<int64_t>(length));
    if (!cut) return SQL_SUCCESS;
    diags->add(state::kTruncated, 0, std::string(kSource) + "Data truncated");
    return SQL_SUCCESS_WITH_INFO;
  });
}

static DciReturn dciFetch(DciHandle hstmt) {
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (stmt->state == Stmt::State::kAllocated) return sequenceError(diags);
    if (stmt->state != Stmt::State::kCursor) {
      return fail(diags, state::kCursorState, "Invalid cursor state");
    }
    stmt->resetParts();
    switch (stmt->result->fetch(diags)) {
      case FetchResult::kRow:
        stmt->onRow = true;
        return succeeded(*diags);
      case FetchResult::kDone:
        stmt->onRow = false;
        stmt->active.store(false);
        return SQL_NO_DATA_FOUND;
      case FetchResult::kError:
        break;
    }
    stmt->onRow = false;
    stmt->active.store(false);
    return SQL_ERROR;
  });
}

static DciReturn dciGetData(DciHandle hstmt, uint16_t icol, int16_t fCType, void* rgbValue,
                            int32_t cbValueMax, int32_t* pcbValue) {
  // Called once per value: nothing here allocates but the truncation record.
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    if (stmt->state == Stmt::State::kAllocated) return sequenceError(diags);
    if (stmt->state != Stmt::State::kCursor || !stmt->onRow) {
      return fail(diags, state::kCursorState, "Invalid cursor state");
    }
    if (icol < 1 || icol > stmt->columns) {
      return fail(diags, state::kColumnNumber, "Invalid column number");
    }
    if (fCType != SQL_C_CHAR && fCType != kDefaultCType) {
      return fail(diags, state::kProgramType, "Program type out of range");
    }
    if (cbValueMax < 0) return fail(diags, state::kBufferLength, "Invalid string or buffer length");
    if (rgbValue == nullptr) return fail(diags, state::kInvalidArgument, "Invalid argument value");
    if (stmt->partColumn != icol) {
      stmt->partColumn = icol;
      stmt->partOffset = 0;
      stmt->partDone = false;
    } else if (stmt->partDone) {
      return SQL_NO_DATA_FOUND;  // the whole value was handed out by earlier calls
    }
    char* dst = static_cast<char*>(rgbValue);
    ValueRef value = stmt->result->value(icol - 1);
    std::size_t remaining = 0;
    std::size_t copied = 0;
    bool cut = false;
    switch (value.kind) {
      case ValueRef::kNull:
        if (cbValueMax > 0) dst[0] = '\0';
        if (pcbValue != nullptr) *pcbValue = SQL_NULL_DATA;
        stmt->partDone = true;
        return SQL_SUCCESS;
      case ValueRef::kText:
        remaining = value.length - stmt->partOffset;
        copied = copyTextFast(value.data + stmt->partOffset, remaining, dst, cbValueMax, &cut);
        break;
      case ValueRef::kBinary: {
        remaining = 2 * value.length - stmt->partOffset;
        if (cbValueMax == 0) {
          cut = true;
          break;
        }
        std::size_t room = static_cast<std::size_t>(cbValueMax) - 1;
        copied = remaining <= room ? remaining : room;
        cut = copied < remaining;
        writeHex(value.data, stmt->partOffset, copied, dst);
        dst[copied] = '\0';
        break;
      }
    }
    if (pcbValue != nullptr) *pcbValue = clampTo<int32_t>(static_cast<int64_t>(remaining));
    stmt->partOffset += copied;
    if (!cut) {
      stmt->partDone = true;
      return SQL_SUCCESS;
    }
    addRecord(diags, state::kTruncated, "Data truncated");
    return SQL_SUCCESS_WITH_INFO;
  });
}

static DciReturn dciFreeStmt(DciHandle hstmt, uint16_t fOption) {
  // After SQL_DROP the statement and its queue are gone: nothing may touch them.
  return runCall<Stmt>(hstmt, [&](Stmt* stmt, DiagQueue* diags) -> DciReturn {
    switch (fOption) {
      case SQL_CLOSE:
        dropResult(stmt);
        return SQL_SUCCESS;
      case SQL_DROP:
        handles().remove(hstmt);
        return SQL_SUCCESS;
      default:
        return fail(diags, state::kOptionRange, "Option type out of range");
    }
  });
}

static DciReturn dciDisconnect(DciHandle hdbc) {
  return runCall<Conn>(hdbc, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    if (!conn->backend) return fail(diags, state::kNotConnected, "Connection not open");
    if (conn->backend->inTransaction()) {
      return fail(diags, state::kTransactionState,
                  "Invalid transaction state: a transaction is still open and its changes are "
                  "not committed");
    }
    handles().removeStatementsOf(hdbc);
    conn->backend.reset();
    return SQL_SUCCESS;
  });
}

static DciReturn dciFreeConnect(DciHandle hdbc) {
  return runCall<Conn>(hdbc, [&](Conn* conn, DiagQueue* diags) -> DciReturn {
    if (conn->backend) return sequenceError(diags);
    if (Env* env = findHandle<Env>(conn->env)) --env->connections;
    handles().remove(hdbc);
    return SQL_SUCCESS;
  });
}

static DciReturn dciFreeEnv(DciHandle henv) {
  return runCall<Env>(henv, [&](Env* env, DiagQueue* diags) -> DciReturn {
    if (env->connections > 0) return sequenceError(diags);
    handles().remove(henv);
    return SQL_SUCCESS;
  });
}

static DciReturn dciError(DciHandle henv, DciHandle hdbc, DciHandle hstmt, char* szSqlState,
                          int32_t* pfNativeError, char* szErrorMsg, int16_t cbErrorMsgMax,
                          int16_t* pcbErrorMsg) {
  // The most specific handle given names the queue, as in ODBC 2. The queue is
  // read, not emptied first: it holds what the calls before reported.
  DiagQueue* diags = hstmt != DCI_NULL_HANDLE  ? queueOf<Stmt>(hstmt)
                     : hdbc != DCI_NULL_HANDLE ? queueOf<Conn>(hdbc)
                     : henv != DCI_NULL_HANDLE ? queueOf<Env>(henv)
                                               : &globalDiags();
  if (diags == nullptr) return SQL_INVALID_HANDLE;
  if (cbErrorMsgMax < 0) return SQL_ERROR;
  return diags->pop(szSqlState, pfNativeError, szErrorMsg, cbErrorMsgMax, pcbErrorMsg);
}

}  // extern "C"

namespace {

template <class F>
DciProc proc(F f) {
  return reinterpret_cast<DciProc>(f);
}

struct BuiltinTable {
  DciProc procs[DCI_ORD_COUNT] = {};
  DciExportTable table{DCI_ABI_VERSION, DCI_ORD_COUNT, procs};

  BuiltinTable() {
    procs[DCI_ORD_SQLALLOCCONNECT] = proc(&dciAllocConnect);
    procs[DCI_ORD_SQLALLOCENV] = proc(&dciAllocEnv);
    procs[DCI_ORD_SQLALLOCSTMT] = proc(&dciAllocStmt);
    procs[DCI_ORD_SQLCOLATTRIBUTES] = proc(&dciColAttributes);
    procs[DCI_ORD_SQLCONNECT] = proc(&dciConnect);
    procs[DCI_ORD_SQLDISCONNECT] = proc(&dciDisconnect);
    procs[DCI_ORD_SQLERROR] = proc(&dciError);
    procs[DCI_ORD_SQLEXECDIRECT] = proc(&dciExecDirect);
    procs[DCI_ORD_SQLFETCH] = proc(&dciFetch);
    procs[DCI_ORD_SQLFREECONNECT] = proc(&dciFreeConnect);
    procs[DCI_ORD_SQLFREEENV] = proc(&dciFreeEnv);
    procs[DCI_ORD_SQLFREESTMT] = proc(&dciFreeStmt);
    procs[DCI_ORD_SQLGETDATA] = proc(&dciGetData);
    procs[DCI_ORD_SQLGETINFO] = proc(&dciGetInfo);
    procs[DCI_ORD_SQLNUMRESULTCOLS] = proc(&dciNumResultCols);
    procs[DCI_ORD_SQLROWCOUNT] = proc(&dciRowCount);
    procs[DCI_ORD_SQLSETCONNECTOPTION] = proc(&dciSetConnectOption);
    procs[DCI_ORD_SQLCANCEL] = proc(&dciCancel);
    procs[DCI_ORD_SQLTABLES] = proc(&dciTables);
  }
};

}  // namespace

const DciExportTable* builtinExportTable() {
  static const BuiltinTable builtin;
  return &builtin.table;
}

}  // namespace dci
