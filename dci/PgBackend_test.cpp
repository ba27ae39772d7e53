// Tests of the PostgreSQL backend through the built-in driver, against the
// server named by DVSQL_TEST_PG (a conninfo without dbname); skipped without it.
#include "dci/PgBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "dci/Loader.h"

namespace dci {
namespace {

TEST(PgAccountTest, UrisAndConninfoSelectPostgres) {
  EXPECT_TRUE(isPostgresAccount("postgresql://u@h/db"));
  EXPECT_TRUE(isPostgresAccount("postgres://h"));
  EXPECT_TRUE(isPostgresAccount("host=/tmp port=5432"));
  EXPECT_TRUE(isPostgresAccount("  dbname = x"));
  EXPECT_FALSE(isPostgresAccount("/var/db/acct"));
  EXPECT_FALSE(isPostgresAccount("./host=x"));  // a directory that needs a path prefix
  EXPECT_FALSE(isPostgresAccount(":memory:"));
  EXPECT_FALSE(isPostgresAccount("postgresql:/x"));
  EXPECT_FALSE(isPostgresAccount(""));
}

// One connection to the test server, through the driver's call table.
class PgSession {
 public:
  explicit PgSession(const DciApi& api) : api_(api) {}
  ~PgSession() {
    if (stmt_ != DCI_NULL_HANDLE) api_.freeStmt(stmt_, SQL_DROP);
    if (dbc_ != DCI_NULL_HANDLE) {
      api_.disconnect(dbc_);
      api_.freeConnect(dbc_);
    }
    if (env_ != DCI_NULL_HANDLE) api_.freeEnv(env_);
  }

  DciReturn open(const std::string& account) {
    api_.allocEnv(&env_);
    api_.allocConnect(env_, &dbc_);
    DciReturn rc = api_.connect(dbc_, "localdv", SQL_NTS, account.c_str(), SQL_NTS);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) api_.allocStmt(dbc_, &stmt_);
    return rc;
  }
  DciReturn exec(const std::string& sql) {
    return api_.execDirect(stmt_, sql.data(), static_cast<int32_t>(sql.size()));
  }
  DciReturn close() { return api_.freeStmt(stmt_, SQL_CLOSE); }
  // Runs a statement that must succeed and closes it.
  void run(const std::string& sql) {
    DciReturn rc = exec(sql);
    EXPECT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) << sql << ": " << firstMessage();
    close();
  }
  // The first value of the first row of a query.
  std::string scalar(const std::string& sql) {
    std::string value = "(error)";
    if (exec(sql) == SQL_SUCCESS && api_.fetch(stmt_) == SQL_SUCCESS) value = text(1);
    close();
    return value;
  }
  std::string text(uint16_t column, int32_t* length = nullptr) {
    char buf[20480] = {};
    int32_t len = 0;
    api_.getData(stmt_, column, SQL_C_CHAR, buf, 20479, &len);
    if (length != nullptr) *length = len;
    return buf;
  }
  std::vector<std::string> states(DciHandle stmt) {
    std::vector<std::string> out;
    char state[8];
    char message[2048];
    int32_t native = 0;
    int16_t length = 0;
    while (api_.error(env_, dbc_, stmt, state, &native, message, 2047, &length) !=
           SQL_NO_DATA_FOUND) {
      out.push_back(std::string(state) + " " + message);
    }
    return out;
  }
  std::string firstMessage() {
    auto records = states(stmt_);
    return records.empty() ? "(none)" : records[0];
  }
  std::string firstState(DciHandle stmt) {
    auto records = states(stmt);
    return records.empty() ? "(none)" : records[0].substr(0, 5);
  }

  // The rows of SQLTables with the owner and name patterns, columns joined by
  // '|', NULL as "NULL".
  std::vector<std::string> tables(const char* owner, const char* name) {
    std::vector<std::string> out;
    EXPECT_EQ(SQL_SUCCESS,
              api_.tables(stmt_, nullptr, 0, owner, SQL_NTS, name, SQL_NTS, nullptr, 0))
        << firstMessage();
    while (api_.fetch(stmt_) == SQL_SUCCESS) {
      std::string row;
      for (uint16_t column = 1; column <= 5; ++column) {
        int32_t length = 0;
        std::string value = text(column, &length);
        row += (column > 1 ? "|" : "") + (length == SQL_NULL_DATA ? "NULL" : value);
      }
      out.push_back(row);
    }
    close();
    return out;
  }

  // Runs sql in another thread and cancels it until it ends; returns the
  // state it failed with.
  std::string cancelled(const std::string& sql) {
    DciReturn rc = SQL_SUCCESS;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      rc = exec(sql);
      done = true;
    });
    auto start = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
      EXPECT_EQ(SQL_SUCCESS, api_.cancel(stmt_));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    return rc == SQL_ERROR ? firstState(stmt_) : "(not stopped)";
  }

  DciHandle dbc() const { return dbc_; }
  DciHandle stmt() const { return stmt_; }

 private:
  const DciApi& api_;
  DciHandle env_ = DCI_NULL_HANDLE;
  DciHandle dbc_ = DCI_NULL_HANDLE;
  DciHandle stmt_ = DCI_NULL_HANDLE;
};

class PgBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* server = std::getenv("DVSQL_TEST_PG");
    if (server == nullptr || *server == '\0') GTEST_SKIP() << "DVSQL_TEST_PG is not set";
    account = std::string(server) + " dbname=postgres";
    std::string error;
    ASSERT_TRUE(bindDriver(nullptr, &api, &error)) << error;
  }
  DciApi api;
  std::string account;
};

TEST_F(PgBackendTest, ValuesRowCountsAndNulls) {
  PgSession s(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account)) << s.firstState(DCI_NULL_HANDLE);
  s.run("create temp table t (id int, b bytea, n text)");
  ASSERT_EQ(SQL_SUCCESS, s.exec("insert into t values (1, '\\x00ab10', null), (2, '', 'x')"));
  int32_t rows = 0;
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(s.stmt(), &rows));
  EXPECT_EQ(2, rows);
  s.close();
  ASSERT_EQ(SQL_SUCCESS, s.exec("create temp table u (a int)"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(s.stmt(), &rows));
  EXPECT_EQ(-1, rows);
  s.close();

  ASSERT_EQ(SQL_SUCCESS, s.exec("select b, n from t order by id"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  int32_t length = 0;
  EXPECT_EQ("00AB10", s.text(1));
  EXPECT_EQ("", s.text(2, &length));
  EXPECT_EQ(SQL_NULL_DATA, length);
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  EXPECT_EQ("", s.text(1, &length));  // an empty bytea is an empty value, not NULL
  EXPECT_EQ(0, length);
  EXPECT_EQ(SQL_NO_DATA_FOUND, api.fetch(s.stmt()));
  s.close();
}

TEST_F(PgBackendTest, ClosingAnUnfinishedResultStopsItAndKeepsTheConnection) {
  PgSession s(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account));
  // Far more rows than anyone would read, produced as they are sent: a close
  // must not wait for them all.
  ASSERT_EQ(SQL_SUCCESS, s.exec("select generate_series(1, 1000000000)"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  EXPECT_EQ("1", s.text(1));
  ASSERT_EQ(SQL_SUCCESS, s.close());
  EXPECT_EQ("2", s.scalar("select 2"));

  // Inside the user's transaction the rest is read instead, so the transaction
  // is not aborted by a cancel.
  s.run("begin");
  s.run("create temp table kept (a int)");
  ASSERT_EQ(SQL_SUCCESS, s.exec("select g from generate_series(1, 1000) g"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  ASSERT_EQ(SQL_SUCCESS, s.close());
  s.run("insert into kept values (1)");
  s.run("commit");
  EXPECT_EQ("1", s.scalar("select count(*) from kept"));
}

TEST_F(PgBackendTest, ErrorsMidResultFailTheFetch) {
  PgSession s(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account));
  ASSERT_EQ(SQL_SUCCESS, s.exec("select 10 / (3 - g) from generate_series(1, 5) g"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(s.stmt()));
  EXPECT_EQ(SQL_ERROR, api.fetch(s.stmt()));
  EXPECT_EQ("22012", s.firstState(s.stmt()));
  s.close();
  EXPECT_EQ("ok", s.scalar("select 'ok'"));
}

TEST_F(PgBackendTest, NoticesAreWarnings) {
  PgSession s(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account));
  EXPECT_EQ(SQL_SUCCESS_WITH_INFO, s.exec("drop table if exists surely_not_there"));
  auto records = s.states(s.stmt());
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ(0u, records[0].find("01000 [dvsql][PostgreSQL] NOTICE: table \"surely_not_there\""))
      << records[0];
  s.close();
}

TEST_F(PgBackendTest, TerminatedBackendIsACommunicationError) {
  PgSession victim(api);
  PgSession killer(api);
  ASSERT_EQ(SQL_SUCCESS, victim.open(account));
  ASSERT_EQ(SQL_SUCCESS, killer.open(account));
  std::string pid = victim.scalar("select pg_backend_pid()");
  EXPECT_EQ("t", killer.scalar("select pg_terminate_backend(" + pid + ", 5000)"));
  EXPECT_EQ(SQL_ERROR, victim.exec("select 1"));
  EXPECT_EQ("08S01", victim.firstState(victim.stmt()));
  // Later calls keep failing the same way, at once.
  EXPECT_EQ(SQL_ERROR, victim.exec("select 1"));
  EXPECT_EQ("08S01", victim.firstState(victim.stmt()));
  EXPECT_FALSE(victim.dbc() == DCI_NULL_HANDLE);
}

TEST_F(PgBackendTest, CancelStopsARunningQueryAndAbortsTheTransactionItRunsIn) {
  PgSession s(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account));
  EXPECT_EQ(SQL_SUCCESS, api.cancel(s.stmt()));  // nothing runs: nothing is sent
  EXPECT_EQ("1", s.scalar("select 1"));
  EXPECT_EQ("S1008", s.cancelled("select pg_sleep(30)"));
  EXPECT_EQ("2", s.scalar("select 2"));
  s.run("begin");
  EXPECT_EQ("S1008", s.cancelled("select pg_sleep(30)"));
  EXPECT_EQ(SQL_ERROR, s.exec("select 3"));
  EXPECT_EQ("25000", s.firstState(s.stmt()));  // the transaction is aborted
  s.run("rollback");
  EXPECT_EQ("4", s.scalar("select 4"));
}

TEST_F(PgBackendTest, TablesListsSchemasRelationsAndOwnTemporaryTablesOnly) {
  PgSession s(api);
  PgSession other(api);
  ASSERT_EQ(SQL_SUCCESS, s.open(account));
  ASSERT_EQ(SQL_SUCCESS, other.open(account));
  s.run("create temp table dv_tmp_mine (a int)");
  other.run("create temp table dv_tmp_theirs (a int)");
  using Rows = std::vector<std::string>;
  EXPECT_EQ(Rows{"postgres|pg_catalog|pg_class|SYSTEM TABLE|NULL"},
            s.tables("pg\\_catalog", "pg\\_class"));
  EXPECT_EQ(Rows{"postgres|information_schema|tables|SYSTEM TABLE|NULL"},
            s.tables("information%", "tables"));
  auto mine = s.tables(nullptr, "dv\\_tmp\\_%");
  ASSERT_EQ(1u, mine.size());
  EXPECT_EQ(0u, mine[0].find("postgres|pg_temp_")) << mine[0];
  EXPECT_NE(std::string::npos, mine[0].find("|dv_tmp_mine|LOCAL TEMPORARY|NULL")) << mine[0];
}

TEST_F(PgBackendTest, BadAccountsFailToConnectWith08001) {
  for (const std::string& bad :
       {account + " dbname=surely_no_such_database",
        std::string("host=/nonexistent-socket-dir port=1"), account + " no_such_option=1"}) {
    PgSession s(api);
    EXPECT_EQ(SQL_ERROR, s.open(bad)) << bad;
    EXPECT_EQ("08001", s.firstState(DCI_NULL_HANDLE)) << bad;
  }
}

}  // namespace
}  // namespace dci
