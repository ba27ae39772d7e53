// The PostgreSQL backend: connects with libpq, sends each statement with the
// extended query protocol (which refuses a second statement in the text before
// anything runs), reads results in single-row mode and reports the server's
// errors in the driver's ODBC 2 state vocabulary, quoting its SQLSTATE.
#include "dci/PgBackend.h"

#include <libpq-fe.h>

#include <atomic>
#include <cassert>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "dci/SqlText.h"

namespace dci {
namespace {

constexpr char kSource[] = "[dvsql][PostgreSQL] ";
constexpr Oid kByteaOid = 17;
constexpr char kMultipleCommands[] = "cannot insert multiple commands into a prepared statement";
// The relations SQLTables lists: tables, views, materialized views, foreign and
// partitioned tables; temporary ones of this session only.
constexpr char kTablesQuery[] =
    "SELECT pg_catalog.current_database(), n.nspname, c.relname,"
    " CASE WHEN n.nspname IN ('pg_catalog', 'information_schema') THEN 'S'"
    " WHEN c.relpersistence = 't' THEN 'T'"
    " WHEN c.relkind IN ('v', 'm') THEN 'V' ELSE 'R' END"
    " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
    " WHERE c.relkind IN ('r', 'v', 'm', 'f', 'p')"
    " AND (c.relpersistence <> 't' OR n.oid = pg_catalog.pg_my_temp_schema())";

// Client settings given before the account's own, so that the account can
// override them: a connection attempt and a vanished peer must not wait forever,
// and values arrive as UTF-8 like every other backend's.
constexpr const char* kDefaultKeywords[] = {
    "connect_timeout",  "keepalives",      "keepalives_idle",           "keepalives_interval",
    "keepalives_count", "client_encoding", "fallback_application_name",
};
constexpr const char* kDefaultValues[] = {"10", "1", "30", "10", "3", "UTF8", "dvsql"};
static_assert(sizeof kDefaultKeywords == sizeof kDefaultValues, "one value per keyword");

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Drops trailing white space, such as the newline that ends libpq's messages.
std::string trimmed(const char* text) {
  std::string s = text != nullptr ? text : "";
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) s.pop_back();
  return s;
}

// libpq's own messages may run over several lines with indented hints: each
// line break and the blanks around it become one blank, so that a report stays
// one readable line.
std::string oneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      out += text[i];
      continue;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    while (i + 1 < text.size() && std::isspace(static_cast<unsigned char>(text[i + 1])) != 0) ++i;
    out += ' ';
  }
  return out;
}

// Maps a SQLSTATE to the ODBC 2 state that the driver reports.
const char* stateFor(const char* sqlstate) {
  struct Exact {
    const char* sqlstate;
    const char* state;
  };
  static constexpr Exact kExact[] = {
      {"42P01", state::kTableNotFound},    // undefined table
      {"42P07", state::kTableExists},      // duplicate table
      {"42703", state::kColumnNotFound},   // undefined column
      {"42704", state::kIndexNotFound},    // undefined object
      {"42710", state::kIndexExists},      // duplicate object
      {"22012", state::kDivisionByZero},   // division by zero
      {"22003", state::kNumericRange},     // numeric value out of range
      {"22001", state::kStringTruncated},  // string data right truncation
      {"40P01", state::kSerialization},    // deadlock detected
      {"40001", state::kSerialization},    // serialization failure
      {"57014", state::kCanceled},         // query canceled
      {"53200", state::kNoMemory},         // out of memory
      {"0A000", state::kNotCapable},       // feature not supported
  };
  for (const Exact& e : kExact) {
    if (std::strcmp(sqlstate, e.sqlstate) == 0) return e.state;
  }
  struct Class {
    const char* prefix;
    const char* state;
  };
  static constexpr Class kClasses[] = {
      {"08", state::kCommunicationLink},   // connection exception
      {"57P", state::kCommunicationLink},  // server shutting down or unavailable
      {"22", state::kAssignment},          // data exception
      {"23", state::kConstraint},          // integrity constraint violation
      {"24", state::kCursorState},         // invalid cursor state
      {"25", state::kTransactionState},    // invalid transaction state
      {"28", state::kAuthorization},       // the authorization is not valid
      {"42", state::kSyntax},              // syntax error or access rule violation
      {"3D", state::kNoDataSource},        // invalid catalog (database) name
      {"01", state::kGeneralWarning},      // warning
  };
  for (const Class& c : kClasses) {
    if (startsWith(sqlstate, c.prefix)) return c.state;
  }
  return state::kGeneral;
}

// The message of a server-side error or notice: its SQLSTATE, primary message
// and, when the server sends one, its detail.
std::string serverMessage(const PGresult* res, const char* sqlstate) {
  std::string message = kSource;
  message += sqlstate;
  message += ": ";
  message += trimmed(PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY));
  const char* detail = PQresultErrorField(res, PG_DIAG_MESSAGE_DETAIL);
  if (detail != nullptr && *detail != '\0') {
    message += " DETAIL: ";
    message += trimmed(detail);
  }
  return message;
}

// Queues the error of res (or, without a result, of the connection).
void addError(PGconn* conn, const PGresult* res, DiagQueue* diags) {
  const char* sqlstate = res != nullptr ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
  if (sqlstate == nullptr) {
    // Raised by libpq itself: most often the connection is gone.
    std::string text = oneLine(trimmed(res != nullptr ? PQresultErrorMessage(res) : ""));
    if (text.empty()) text = oneLine(trimmed(PQerrorMessage(conn)));
    if (text.empty()) text = "unknown client error";
    const char* state =
        PQstatus(conn) == CONNECTION_BAD ? state::kCommunicationLink : state::kGeneral;
    diags->add(state, 0, kSource + text);
    return;
  }
  const char* primary = PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY);
  if (std::strcmp(sqlstate, "42601") == 0 && primary != nullptr &&
      std::strcmp(primary, kMultipleCommands) == 0) {
    diags->add(state::kSyntax, 0,
               std::string(kSource) + "more than one statement in one call; nothing was run");
    return;
  }
  diags->add(stateFor(sqlstate), 0, serverMessage(res, sqlstate));
}

// Reads and discards the results that remain of the current query.
void drainResults(PGconn* conn) {
  while (PGresult* res = PQgetResult(conn)) PQclear(res);
}

// True when the statement is COMMIT or END (of a transaction).
bool isCommitStatement(const std::string& sql) {
  std::size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i])) != 0) ++i;
  std::size_t word = i;
  while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])) != 0) ++i;
  std::string keyword = sql.substr(word, i - word);
  for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return keyword == "COMMIT" || keyword == "END";
}

bool isRowCountCommand(const char* status) {
  return startsWith(status, "INSERT ") || startsWith(status, "UPDATE ") ||
         startsWith(status, "DELETE ") || startsWith(status, "MERGE ");
}

class PgConnection;

class PgStatement final : public BackendStatement {
 public:
  // Takes the first result of a query: its columns, and its first row when it
  // is a single-row result. REQUIRES: first is not null.
  PgStatement(PgConnection* owner, PGconn* conn, PGresult* first, bool emptyNull,
              bool inUserTransaction);
  // A statement without a result set.
  explicit PgStatement(int64_t rowCount)
      : owner_(nullptr),
        conn_(nullptr),
        emptyNull_(false),
        inUserTransaction_(false),
        finished_(true),
        rowCount_(rowCount) {}
  ~PgStatement() override;
  PgStatement(const PgStatement&) = delete;
  PgStatement& operator=(const PgStatement&) = delete;

  int columnCount() const override { return columns_; }

  const char* columnName(int column, std::size_t* length) override {
    assert(column >= 0 && column < columns_);
    const char* name = PQfname(first_, column);
    if (name == nullptr) name = "";
    *length = std::strlen(name);
    return name;
  }

  FetchResult fetch(DiagQueue* diags) override;

  ValueRef value(int column) override {
    assert(row_ != nullptr && column >= 0 && column < columns_);
    if (PQgetisnull(row_, 0, column) != 0) return {ValueRef::kNull, "", 0};
    const char* data = PQgetvalue(row_, 0, column);
    std::size_t length = static_cast<std::size_t>(PQgetlength(row_, 0, column));
    if (bytea_[static_cast<std::size_t>(column)] != 0 && length >= 2 && data[0] == '\\' &&
        data[1] == 'x') {
      // The hex output form "\x0a1b": shown as upper-case digits without the prefix.
      hex_.assign(data + 2, length - 2);
      for (char& c : hex_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return {ValueRef::kText, hex_.data(), hex_.size()};
    }
    if (length == 0 && emptyNull_) return {ValueRef::kNull, "", 0};
    return {ValueRef::kText, data, length};
  }

  int64_t rowCount() const override { return rowCount_; }

 private:
  void releaseRow() {
    if (row_ != nullptr && row_ != first_) PQclear(row_);
    row_ = nullptr;
  }

  PgConnection* owner_;
  PGconn* conn_;
  PGresult* first_ = nullptr;  // the first result: column names and types
  PGresult* row_ = nullptr;    // the current row's result (may be first_)
  int columns_ = 0;
  std::vector<char> bytea_;  // per column: 1 for a bytea column
  std::string hex_;          // the current bytea value as shown
  bool emptyNull_;
  bool inUserTransaction_;   // the query runs inside the user's transaction block
  bool pendingRow_ = false;  // first_ holds a row that fetch() has not handed out
  bool finished_ = false;    // every result of the query has been read
  int64_t rowCount_ = -1;
};

class PgConnection final : public BackendConnection {
 public:
  PgConnection(PGconn* conn, const ConnectionOptions& options)
      : conn_(conn), options_(options), cancel_(PQgetCancel(conn)) {
    PQsetNoticeReceiver(conn_, &PgConnection::onNotice, this);
  }
  ~PgConnection() override {
    PQfreeCancel(cancel_);
    PQfinish(conn_);
  }
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Where notices of the running call go (null: nowhere).
  void setNoticeSink(DiagQueue* diags) { noticeSink_ = diags; }

  std::unique_ptr<BackendStatement> execute(const char* sql, std::size_t length,
                                            DiagQueue* diags) override {
    if (options_.emptyNull && rewriteEmptyStrings(sql, length, SqlDialect::kPostgres, &query_)) {
      // query_ holds the rewritten text
    } else {
      query_.assign(sql, length);
    }
    NoticeScope scope(this, diags);
    PGTransactionStatusType before = PQtransactionStatus(conn_);
    bool inUserTransaction = before != PQTRANS_IDLE;
    TransactionWatch watch(this);
    queryActive_.store(true);
    if (PQsendQueryParams(conn_, query_.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 0) {
      addError(conn_, nullptr, diags);
      return nullptr;
    }
    PQsetSingleRowMode(conn_);
    PGresult* res = PQgetResult(conn_);
    if (res == nullptr) return std::make_unique<PgStatement>(-1);
    switch (PQresultStatus(res)) {
      case PGRES_SINGLE_TUPLE:
      case PGRES_TUPLES_OK:
        return std::make_unique<PgStatement>(this, conn_, res, options_.emptyNull,
                                             inUserTransaction);
      case PGRES_COMMAND_OK: {
        const char* status = PQcmdStatus(res);
        int64_t rows = isRowCountCommand(status) ? std::atoll(PQcmdTuples(res)) : -1;
        if (before == PQTRANS_INERROR && std::strcmp(status, "ROLLBACK") == 0 &&
            isCommitStatement(query_)) {
          diags->add(state::kGeneralWarning, 0,
                     std::string(kSource) +
                         "the transaction had failed: COMMIT rolled it back and nothing was "
                         "committed");
        }
        PQclear(res);
        drainResults(conn_);
        return std::make_unique<PgStatement>(rows);
      }
      case PGRES_EMPTY_QUERY:
        PQclear(res);
        drainResults(conn_);
        return std::make_unique<PgStatement>(-1);
      case PGRES_COPY_IN:
        PQclear(res);
        PQputCopyEnd(conn_, "COPY from the client is not supported");
        drainResults(conn_);
        diags->add(state::kNotCapable, 0,
                   std::string(kSource) + "COPY ... FROM STDIN is not supported");
        return nullptr;
      case PGRES_COPY_OUT:
      case PGRES_COPY_BOTH: {
        PQclear(res);
        char* buffer = nullptr;
        while (PQgetCopyData(conn_, &buffer, 0) > 0) PQfreemem(buffer);
        drainResults(conn_);
        diags->add(state::kNotCapable, 0,
                   std::string(kSource) + "COPY ... TO STDOUT is not supported");
        return nullptr;
      }
      default:
        addError(conn_, res, diags);
        PQclear(res);
        drainResults(conn_);
        return nullptr;
    }
  }

  void setOptions(const ConnectionOptions& options) override { options_ = options; }

  bool listTables(std::vector<TableEntry>* out, DiagQueue* diags) override {
    NoticeScope scope(this, diags);
    TransactionWatch watch(this);
    queryActive_.store(true);
    PGresult* res = PQexecParams(conn_, kTablesQuery, 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (PQresultStatus(res) != PGRES_TUPLES_OK) {
      addError(conn_, res, diags);
      PQclear(res);
      return false;
    }
    // Freed however this ends, an exception from push_back included.
    std::unique_ptr<PGresult, void (*)(PGresult*)> holder(res, &PQclear);
    for (int row = 0; row < PQntuples(res); ++row) {
      const char* type = table_type::kTable;
      switch (*PQgetvalue(res, row, 3)) {
        case 'S':
          type = table_type::kSystemTable;
          break;
        case 'T':
          type = table_type::kTemporary;
          break;
        case 'V':
          type = table_type::kView;
          break;
      }
      out->push_back(TableEntry{PQgetvalue(res, row, 0), PQgetvalue(res, row, 1),
                                PQgetvalue(res, row, 2), type});
    }
    return true;
  }

  // PQcancel is safe in a signal handler when its error buffer is on the
  // handler's stack; the cancel object was made at connect time, since
  // making one allocates. It is sent only while a query runs: a request that
  // reaches the server after the query ended could stop the next one.
  bool cancel() noexcept override {
    if (!queryActive_.load()) return true;
    if (cancel_ == nullptr) return false;
    char error[256];
    return PQcancel(cancel_, error, sizeof error) == 1;
  }

  // A connection that was lost keeps the state it last reported: a
  // transaction open then was lost with it, uncommitted.
  bool inTransaction() const override {
    if (PQstatus(conn_) == CONNECTION_BAD) return lastInTransaction_;
    PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
  }

  // Records the transaction state that a call leaves while the connection is
  // alive, and whether a query is still running.
  void noteTransactionState() {
    if (PQstatus(conn_) == CONNECTION_BAD) {
      queryActive_.store(false);
      return;
    }
    PGTransactionStatusType status = PQtransactionStatus(conn_);
    queryActive_.store(status == PQTRANS_ACTIVE);
    if (status == PQTRANS_ACTIVE) return;  // a result is still being read
    lastInTransaction_ = status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
  }

  class TransactionWatch {
   public:
    explicit TransactionWatch(PgConnection* owner) : owner_(owner) {}
    ~TransactionWatch() { owner_->noteTransactionState(); }
    TransactionWatch(const TransactionWatch&) = delete;
    TransactionWatch& operator=(const TransactionWatch&) = delete;

   private:
    PgConnection* owner_;
  };

  int16_t maxColumnNameLength() const override { return kPgMaxColumnNameLength; }

  // Routes the notices of one call to its diagnostics queue.
  class NoticeScope {
   public:
    NoticeScope(PgConnection* owner, DiagQueue* diags) : owner_(owner) {
      owner_->setNoticeSink(diags);
    }
    ~NoticeScope() { owner_->setNoticeSink(nullptr); }
    NoticeScope(const NoticeScope&) = delete;
    NoticeScope& operator=(const NoticeScope&) = delete;

   private:
    PgConnection* owner_;
  };

 private:
  static void onNotice(void* arg, const PGresult* res) {
    auto* self = static_cast<PgConnection*>(arg);
    if (self->noticeSink_ == nullptr) return;
    // A plain notice carries SQLSTATE 00000 ("successful completion"): its
    // severity says more.
    const char* sqlstate = PQresultErrorField(res, PG_DIAG_SQLSTATE);
    if (sqlstate == nullptr || std::strcmp(sqlstate, "00000") == 0) {
      sqlstate = PQresultErrorField(res, PG_DIAG_SEVERITY_NONLOCALIZED);
      if (sqlstate == nullptr) sqlstate = "NOTICE";
    }
    self->noticeSink_->add(state::kGeneralWarning, 0, serverMessage(res, sqlstate));
  }

  PGconn* conn_;
  ConnectionOptions options_;
  DiagQueue* noticeSink_ = nullptr;
  std::string query_;  // the statement as sent, reused between calls
  bool lastInTransaction_ = false;
  PGcancel* cancel_;  // null when libpq could not make it
  // A query was sent and its results are not all read. Read by cancel(),
  // which may run in a signal handler, hence atomic (and lock-free).
  std::atomic<bool> queryActive_{false};
  static_assert(std::atomic<bool>::is_always_lock_free, "read in signal handlers");
};

PgStatement::PgStatement(PgConnection* owner, PGconn* conn, PGresult* first, bool emptyNull,
                         bool inUserTransaction)
    : owner_(owner),
      conn_(conn),
      first_(first),
      columns_(PQnfields(first)),
      emptyNull_(emptyNull),
      inUserTransaction_(inUserTransaction) {
  assert(first != nullptr);
  bytea_.resize(static_cast<std::size_t>(columns_));
  for (int i = 0; i < columns_; ++i)
    bytea_[static_cast<std::size_t>(i)] = PQftype(first, i) == kByteaOid ? 1 : 0;
  if (PQresultStatus(first) == PGRES_SINGLE_TUPLE) {
    pendingRow_ = true;
  } else {
    drainResults(conn_);  // a result without rows is complete
    finished_ = true;
  }
}

PgStatement::~PgStatement() {
  if (!finished_ && conn_ != nullptr) {
    // An unfinished result: within the user's transaction the rest is read and
    // dropped, since a cancel would abort the whole transaction; otherwise the
    // query is cancelled (a read-only query loses nothing).
    if (!inUserTransaction_) owner_->cancel();
    PgConnection::NoticeScope scope(owner_, nullptr);
    drainResults(conn_);
    owner_->noteTransactionState();
  }
  releaseRow();
  PQclear(first_);
}

FetchResult PgStatement::fetch(DiagQueue* diags) {
  if (pendingRow_) {
    pendingRow_ = false;
    row_ = first_;
    return FetchResult::kRow;
  }
  releaseRow();
  if (finished_) return FetchResult::kDone;
  PgConnection::NoticeScope scope(owner_, diags);
  PGresult* res = PQgetResult(conn_);
  if (res == nullptr) {
    finished_ = true;
    owner_->noteTransactionState();
    return FetchResult::kDone;
  }
  switch (PQresultStatus(res)) {
    case PGRES_SINGLE_TUPLE:
      row_ = res;
      return FetchResult::kRow;
    case PGRES_TUPLES_OK:
      PQclear(res);
      drainResults(conn_);
      finished_ = true;
      owner_->noteTransactionState();
      return FetchResult::kDone;
    default:
      addError(conn_, res, diags);
      PQclear(res);
      drainResults(conn_);
      finished_ = true;
      owner_->noteTransactionState();
      return FetchResult::kError;
  }
}

}  // namespace

bool isPostgresAccount(const std::string& account) {
  if (startsWith(account.c_str(), "postgresql://") || startsWith(account.c_str(), "postgres://")) {
    return true;
  }
  // key=value conninfo: a keyword, optional blanks, then '='.
  std::size_t i = 0;
  while (i < account.size() && std::isspace(static_cast<unsigned char>(account[i])) != 0) ++i;
  std::size_t word = i;
  while (i < account.size() &&
         (std::isalnum(static_cast<unsigned char>(account[i])) != 0 || account[i] == '_')) {
    ++i;
  }
  if (i == word) return false;
  while (i < account.size() && (account[i] == ' ' || account[i] == '\t')) ++i;
  return i < account.size() && account[i] == '=';
}

std::unique_ptr<BackendConnection> connectPostgres(const std::string& account,
                                                   const std::string& dataSource,
                                                   const ConnectionOptions& options,
                                                   DiagQueue* diags) {
  char* parseError = nullptr;
  PQconninfoOption* parsed = PQconninfoParse(account.c_str(), &parseError);
  if (parsed == nullptr) {
    diags->add(state::kCannotConnect, 0,
               kSource + trimmed(parseError != nullptr ? parseError : "invalid account"));
    PQfreemem(parseError);
    return nullptr;
  }
  bool namesDatabase = false;
  for (PQconninfoOption* o = parsed; o->keyword != nullptr; ++o) {
    if (std::strcmp(o->keyword, "dbname") == 0 && o->val != nullptr && *o->val != '\0') {
      namesDatabase = true;
    }
  }
  PQconninfoFree(parsed);

  std::vector<const char*> keywords(std::begin(kDefaultKeywords), std::end(kDefaultKeywords));
  std::vector<const char*> values(std::begin(kDefaultValues), std::end(kDefaultValues));
  // The first dbname is expanded as a conninfo or URI; a later one overrides
  // the database it names, so it is added only when the account names none.
  keywords.push_back("dbname");
  values.push_back(account.c_str());
  if (!namesDatabase) {
    keywords.push_back("dbname");
    values.push_back(dataSource.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);

  PGconn* conn = PQconnectdbParams(keywords.data(), values.data(), 1);
  if (conn == nullptr) {
    diags->add(state::kNoMemory, 0, std::string(kSource) + "out of memory");
    return nullptr;
  }
  if (PQstatus(conn) != CONNECTION_OK) {
    diags->add(state::kCannotConnect, 0, kSource + oneLine(trimmed(PQerrorMessage(conn))));
    PQfinish(conn);
    return nullptr;
  }
  // Binary values are shown in hexadecimal whatever the server's default.
  PQclear(PQexec(conn, "SET bytea_output = 'hex'"));
  return std::make_unique<PgConnection>(conn, options);
}

}  // namespace dci
