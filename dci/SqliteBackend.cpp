// The SQLite backend: opens account databases, runs one statement per call and
// reports SQLite's errors in the driver's ODBC 2 state vocabulary.
#include "dci/SqliteBackend.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "dci/SqlText.h"

namespace dci {
namespace {

constexpr char kSource[] = "[dvsql][SQLite] ";
constexpr char kMemoryAccount[] = ":memory:";
constexpr char kDatabaseSuffix[] = ".db";
// How long a statement waits for another process's lock before it fails.
constexpr int kBusyTimeoutMs = 5000;

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Maps an SQLite result code and message to an ODBC 2 state. SQLite reports
// most statement errors as SQLITE_ERROR, so the message tells them apart;
// errors found while compiling are faults of the statement text.
const char* stateFor(int rc, const char* message, bool compiling) {
  switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
      return state::kConstraint;
    case SQLITE_NOMEM:
      return state::kNoMemory;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return state::kTimeout;
    case SQLITE_INTERRUPT:
      return state::kCanceled;
    case SQLITE_MISMATCH:
      return state::kAssignment;
    case SQLITE_ERROR:
      if (startsWith(message, "no such table")) return state::kTableNotFound;
      if (startsWith(message, "no such column")) return state::kColumnNotFound;
      if (startsWith(message, "no such index")) return state::kIndexNotFound;
      if (std::strstr(message, " already exists") != nullptr) {
        return startsWith(message, "index") ? state::kIndexExists : state::kTableExists;
      }
      return compiling ? state::kSyntax : state::kGeneral;
    default:
      return state::kGeneral;
  }
}

void addSqliteError(sqlite3* db, int rc, bool compiling, DiagQueue* diags) {
  const char* message = sqlite3_errmsg(db);
  if (message == nullptr) message = sqlite3_errstr(rc);
  diags->add(stateFor(rc, message, compiling), rc, std::string(kSource) + message);
}

class SqliteStatement final : public BackendStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt, bool emptyNull)
      : db_(db), stmt_(stmt), columns_(sqlite3_column_count(stmt)), emptyNull_(emptyNull) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Runs the statement up to its first row, or to its end when it has no
  // result set. Returns false with records in diags when it fails.
  bool start(DiagQueue* diags) {
    sqlite3_int64 changesBefore = sqlite3_total_changes64(db_);
    int rc = sqlite3_step(stmt_);
    if (columns_ == 0) {
      while (rc == SQLITE_ROW) rc = sqlite3_step(stmt_);
    }
    if (rc == SQLITE_ROW) {
      pendingRow_ = true;
    } else if (rc == SQLITE_DONE) {
      finished_ = true;
    } else {
      addSqliteError(db_, rc, false, diags);
      return false;
    }
    if (columns_ == 0) {
      const char* sql = sqlite3_sql(stmt_);
      if (sqlite3_total_changes64(db_) != changesBefore) {
        rowCount_ = sqlite3_changes64(db_);
      } else if (sql != nullptr && isDataChangeStatement(sql, std::strlen(sql))) {
        rowCount_ = 0;
      }
    }
    return true;
  }

  int columnCount() const override { return columns_; }

  const char* columnName(int column, std::size_t* length) override {
    assert(column >= 0 && column < columns_);
    const char* name = sqlite3_column_name(stmt_, column);
    if (name == nullptr) name = "";
    *length = std::strlen(name);
    return name;
  }

  FetchResult fetch(DiagQueue* diags) override {
    if (pendingRow_) {
      pendingRow_ = false;
      return FetchResult::kRow;
    }
    if (finished_) return FetchResult::kDone;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return FetchResult::kRow;
    finished_ = true;
    if (rc == SQLITE_DONE) return FetchResult::kDone;
    addSqliteError(db_, rc, false, diags);
    return FetchResult::kError;
  }

  ValueRef value(int column) override {
    // sqlite3_data_count() is 0 unless the statement stands on a row.
    assert(sqlite3_data_count(stmt_) > 0 && column >= 0 && column < columns_);
    switch (sqlite3_column_type(stmt_, column)) {
      case SQLITE_NULL:
        return {ValueRef::kNull, "", 0};
      case SQLITE_BLOB: {
        const void* blob = sqlite3_column_blob(stmt_, column);
        std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
        return {ValueRef::kBinary, blob ? static_cast<const char*>(blob) : "", n};
      }
      default: {
        const unsigned char* text = sqlite3_column_text(stmt_, column);
        std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
        if (text == nullptr || (n == 0 && emptyNull_)) return {ValueRef::kNull, "", 0};
        return {ValueRef::kText, reinterpret_cast<const char*>(text), n};
      }
    }
  }

  int64_t rowCount() const override { return rowCount_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  int columns_;
  bool emptyNull_;
  bool pendingRow_ = false;  // start() stepped onto a row that fetch() has not handed out
  bool finished_ = false;
  int64_t rowCount_ = -1;
};

// A statement that was only white space, semicolons and comments.
class EmptyStatement final : public BackendStatement {
 public:
  int columnCount() const override { return 0; }
  const char* columnName([[maybe_unused]] int column, std::size_t* length) override {
    assert(column < columnCount());
    *length = 0;
    return "";
  }
  FetchResult fetch(DiagQueue*) override { return FetchResult::kDone; }
  ValueRef value([[maybe_unused]] int column) override {
    assert(column < columnCount());
    return {ValueRef::kNull, "", 0};
  }
  int64_t rowCount() const override { return -1; }
};

class SqliteConnection final : public BackendConnection {
 public:
  SqliteConnection(sqlite3* db, const ConnectionOptions& options) : db_(db), options_(options) {}
  ~SqliteConnection() override { sqlite3_close_v2(db_); }
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  std::unique_ptr<BackendStatement> execute(const char* sql, std::size_t length,
                                            DiagQueue* diags) override {
    if (options_.emptyNull && rewriteEmptyStrings(sql, length, SqlDialect::kSqlite, &rewritten_)) {
      sql = rewritten_.data();
      length = rewritten_.size();
    }
    const char* end = sql + length;
    sql = skipTerminators(sql, end);
    length = static_cast<std::size_t>(end - sql);
    if (length == 0) return std::make_unique<EmptyStatement>();
    if (length > static_cast<std::size_t>(INT_MAX)) {
      diags->add(state::kBufferLength, SQLITE_TOOBIG, std::string(kSource) + "statement too long");
      return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, static_cast<int>(length), &stmt, &tail);
    if (rc != SQLITE_OK) {
      addSqliteError(db_, rc, true, diags);
      sqlite3_finalize(stmt);
      return nullptr;
    }
    if (stmt == nullptr) return std::make_unique<EmptyStatement>();
    auto statement = std::make_unique<SqliteStatement>(db_, stmt, options_.emptyNull);
    if (tail != nullptr && !onlyTerminators(tail, end)) {
      diags->add(state::kSyntax, SQLITE_ERROR,
                 std::string(kSource) + "more than one statement in one call; nothing was run");
      return nullptr;
    }
    if (!statement->start(diags)) return nullptr;
    return statement;
  }

  void setOptions(const ConnectionOptions& options) override { options_ = options; }

  bool listTables(std::vector<TableEntry>* out, DiagQueue* diags) override {
    std::vector<std::string> schemas;
    if (!query("PRAGMA database_list", diags,
               [&](sqlite3_stmt* row) { schemas.push_back(columnText(row, 1)); })) {
      return false;
    }
    for (const std::string& schema : schemas) {
      std::string quoted = "\"";
      for (char c : schema) {
        quoted += c;
        if (c == '"') quoted += c;
      }
      quoted += '"';
      const std::string sql =
          "SELECT name, type FROM " + quoted + ".sqlite_schema WHERE type IN ('table', 'view')";
      if (!query(sql.c_str(), diags, [&](sqlite3_stmt* row) {
            std::string name = columnText(row, 0);
            const char* type = table_type::kTable;
            if (startsWith(name.c_str(), "sqlite_")) {
              type = table_type::kSystemTable;
            } else if (columnText(row, 1) == "view") {
              type = table_type::kView;
            } else if (schema == "temp") {
              type = table_type::kTemporary;
            }
            out->push_back(TableEntry{"", schema, std::move(name), type});
          })) {
        return false;
      }
    }
    return true;
  }

  // sqlite3_interrupt only sets a flag of the connection, which SQLite drops
  // when no statement is running.
  bool cancel() noexcept override {
    sqlite3_interrupt(db_);
    return true;
  }

  bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }

  int16_t maxColumnNameLength() const override { return kSqliteMaxColumnNameLength; }

 private:
  static std::string columnText(sqlite3_stmt* row, int column) {
    const unsigned char* text = sqlite3_column_text(row, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
  }

  // Runs sql, calling onRow for each of its rows. Returns false with a record
  // in diags when it fails.
  template <class OnRow>
  bool query(const char* sql, DiagQueue* diags, OnRow onRow) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr);
    // Finalized however this ends, an exception from onRow included.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, &sqlite3_finalize);
    if (rc == SQLITE_OK) {
      while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) onRow(stmt.get());
    }
    if (rc != SQLITE_DONE) addSqliteError(db_, rc, false, diags);
    return rc == SQLITE_DONE;
  }

  sqlite3* db_;
  ConnectionOptions options_;
  std::string rewritten_;  // the statement with empty literals as NULL, reused between calls
};

void addConnectError(const std::string& what, const std::string& why, DiagQueue* diags) {
  diags->add(state::kCannotConnect, 0, std::string(kSource) + what + ": " + why);
}

}  // namespace

std::unique_ptr<BackendConnection> connectSqlite(const std::string& account,
                                                 const std::string& dataSource,
                                                 const ConnectionOptions& options,
                                                 DiagQueue* diags) {
  std::string path;
  if (account == kMemoryAccount) {
    path = kMemoryAccount;
  } else {
    struct stat st;
    const std::string what = "cannot use account directory " + account;
    if (account.empty()) {
      addConnectError("cannot use account directory", "the account is empty", diags);
      return nullptr;
    }
    if (stat(account.c_str(), &st) != 0) {
      addConnectError(what, std::strerror(errno), diags);
      return nullptr;
    }
    if (!S_ISDIR(st.st_mode)) {
      addConnectError(what, std::strerror(ENOTDIR), diags);
      return nullptr;
    }
    if (access(account.c_str(), W_OK | X_OK) != 0) {
      addConnectError(what, std::strerror(errno), diags);
      return nullptr;
    }
    path = account;
    if (path.back() != '/') path += '/';
    path += dataSource;
    path += kDatabaseSuffix;
  }

  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Reading the schema makes a file that is not a database fail here rather
    // than at the first statement.
    rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    const char* message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    diags->add(state::kCannotConnect, rc,
               std::string(kSource) + "cannot open " + path + ": " + message);
    sqlite3_close_v2(db);
    return nullptr;
  }
  return std::make_unique<SqliteConnection>(db, options);
}

}  // namespace dci
