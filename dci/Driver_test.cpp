// Tests of the built-in driver through its export table: handle checks,
// function sequence, diagnostics queues, values and labels, and the SQLite
// backend's accounts, statements and modes.
#include "dci/Driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dci/Loader.h"

namespace dci {
namespace {

struct Diag {
  std::string state;
  int32_t native;
  std::string message;
};

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(bindDriver(nullptr, &api, &error)) << error;
    ASSERT_EQ(SQL_SUCCESS, api.allocEnv(&env));
    ASSERT_EQ(SQL_SUCCESS, api.allocConnect(env, &dbc));
  }
  void TearDown() override {
    if (stmt != DCI_NULL_HANDLE) api.freeStmt(stmt, SQL_DROP);
    api.disconnect(dbc);
    api.freeConnect(dbc);
    api.freeEnv(env);
  }

  void connect(const std::string& account = ":memory:") {
    ASSERT_EQ(SQL_SUCCESS, api.connect(dbc, "localdv", SQL_NTS, account.c_str(), SQL_NTS));
    ASSERT_EQ(SQL_SUCCESS, api.allocStmt(dbc, &stmt));
  }

  DciReturn exec(const std::string& sql) {
    return api.execDirect(stmt, sql.data(), static_cast<int32_t>(sql.size()));
  }
  void run(const std::string& sql) {
    ASSERT_EQ(SQL_SUCCESS, exec(sql)) << sql << ": " << firstMessage(stmt);
    ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_CLOSE));
  }

  // Drains the diagnostics queue named by the handles.
  std::vector<Diag> diags(DciHandle e, DciHandle d, DciHandle s) {
    std::vector<Diag> out;
    for (;;) {
      char state[8] = {};
      char message[2048] = {};
      int32_t native = 0;
      int16_t length = 0;
      DciReturn rc = api.error(e, d, s, state, &native, message, 2047, &length);
      if (rc == SQL_NO_DATA_FOUND) break;
      EXPECT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO);
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
      out.push_back({state, native, message});
    }
    return out;
  }
  std::vector<Diag> stmtDiags() { return diags(env, dbc, stmt); }
  std::string firstState(std::vector<Diag> records) {
    return records.empty() ? "(none)" : records[0].state;
  }
  std::string firstMessage(DciHandle s) {
    auto records = diags(env, dbc, s);
    return records.empty() ? "(none)" : records[0].message;
  }

  std::string getText(uint16_t column, int32_t* length = nullptr,
                      DciReturn expected = SQL_SUCCESS) {
    std::vector<char> buf(20480, '#');
    buf.back() = '\0';  // what the driver leaves unwritten stays readable
    int32_t len = 0;
    EXPECT_EQ(expected, api.getData(stmt, column, SQL_C_CHAR, buf.data(), 20479, &len));
    if (length != nullptr) *length = len;
    return buf.data();
  }

  // The rows left in the open result, columns joined by '|', NULL as "NULL".
  std::vector<std::string> rows(DciHandle s) {
    int16_t columns = 0;
    EXPECT_EQ(SQL_SUCCESS, api.numResultCols(s, &columns));
    std::vector<std::string> out;
    while (api.fetch(s) == SQL_SUCCESS) {
      std::string row;
      for (uint16_t c = 1; c <= columns; ++c) {
        char buf[256] = {};
        int32_t len = 0;
        api.getData(s, c, SQL_C_CHAR, buf, sizeof buf, &len);
        row += (c > 1 ? "|" : "") + (len == SQL_NULL_DATA ? std::string("NULL") : buf);
      }
      out.push_back(row);
    }
    EXPECT_EQ(SQL_SUCCESS, api.freeStmt(s, SQL_CLOSE));
    return out;
  }
  // SQLTables with the owner and name patterns and type list (null: all).
  std::vector<std::string> tables(const char* owner, const char* name, const char* types) {
    EXPECT_EQ(SQL_SUCCESS,
              api.tables(stmt, nullptr, 0, owner, SQL_NTS, name, SQL_NTS, types, SQL_NTS));
    return rows(stmt);
  }

  DciApi api;
  DciHandle env = DCI_NULL_HANDLE;
  DciHandle dbc = DCI_NULL_HANDLE;
  DciHandle stmt = DCI_NULL_HANDLE;
};

TEST_F(DriverTest, UnknownAndStaleHandlesAnswerInvalidHandle) {
  connect();
  int16_t count = 0;
  EXPECT_EQ(SQL_INVALID_HANDLE, api.numResultCols(9999, &count));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.fetch(-1));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.fetch(0));
  // A handle of one kind is not accepted as another.
  EXPECT_EQ(SQL_INVALID_HANDLE, api.fetch(dbc));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.disconnect(stmt));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.freeEnv(dbc));

  DciHandle old = stmt;
  ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_DROP));
  ASSERT_EQ(SQL_SUCCESS, api.allocStmt(dbc, &stmt));
  EXPECT_NE(old, stmt);  // the slot is reused under a new handle
  EXPECT_EQ(SQL_INVALID_HANDLE, api.execDirect(old, "select 1", SQL_NTS));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.error(env, dbc, old, nullptr, nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(SQL_SUCCESS, exec("select 1"));
}

TEST_F(DriverTest, FailedAllocationsLeaveNoHandleBehind) {
  // The caller's variable starts out holding something else, so that a call
  // that fails without writing it would be seen.
  constexpr DciHandle kStale = 12345;
  DciHandle out = kStale;
  EXPECT_EQ(SQL_INVALID_HANDLE, api.allocConnect(dbc, &out));  // not an environment
  EXPECT_EQ(DCI_NULL_HANDLE, out);
  out = kStale;
  EXPECT_EQ(SQL_ERROR, api.allocStmt(dbc, &out));  // not connected
  EXPECT_EQ(DCI_NULL_HANDLE, out);
  out = kStale;
  EXPECT_EQ(SQL_INVALID_HANDLE, api.allocStmt(env, &out));  // not a connection
  EXPECT_EQ(DCI_NULL_HANDLE, out);
}

TEST_F(DriverTest, CallsOutOfSequenceAnswerS1010) {
  int16_t maxLength = 0;
  EXPECT_EQ(SQL_ERROR, api.getInfo(dbc, DCI_MAX_COLUMN_NAME_LEN, &maxLength, 2, nullptr));
  EXPECT_EQ("08003", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  DciHandle early = DCI_NULL_HANDLE;
  EXPECT_EQ(SQL_ERROR, api.allocStmt(dbc, &early));
  EXPECT_EQ(DCI_NULL_HANDLE, early);
  EXPECT_EQ("08003", firstState(diags(env, dbc, DCI_NULL_HANDLE)));

  connect();
  int16_t count = 0;
  int32_t rows = 0;
  EXPECT_EQ(SQL_ERROR, api.numResultCols(stmt, &count));
  EXPECT_EQ("S1010", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.rowCount(stmt, &rows));
  EXPECT_EQ("S1010", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.fetch(stmt));
  EXPECT_EQ("S1010", firstState(stmtDiags()));

  // An open cursor must be closed before the handle runs another statement.
  ASSERT_EQ(SQL_SUCCESS, exec("select 1"));
  EXPECT_EQ(SQL_ERROR, exec("select 2"));
  EXPECT_EQ("24000", firstState(stmtDiags()));
  // No current row before the first fetch and after the last.
  getText(1, nullptr, SQL_ERROR);
  EXPECT_EQ("24000", firstState(stmtDiags()));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  ASSERT_EQ(SQL_NO_DATA_FOUND, api.fetch(stmt));
  EXPECT_EQ(SQL_NO_DATA_FOUND, api.fetch(stmt));
  getText(1, nullptr, SQL_ERROR);
  EXPECT_EQ("24000", firstState(stmtDiags()));

  // Freeing in the wrong order.
  EXPECT_EQ(SQL_ERROR, api.freeConnect(dbc));
  EXPECT_EQ("S1010", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.freeEnv(env));
  EXPECT_EQ("S1010", firstState(diags(env, DCI_NULL_HANDLE, DCI_NULL_HANDLE)));
}

TEST_F(DriverTest, BadArgumentsAreDiagnosedNotCrashed) {
  EXPECT_EQ(SQL_ERROR, api.setConnectOption(dbc, 4711, 1, ""));
  EXPECT_EQ("S1092", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.setConnectOption(dbc, DCI_EMPTY_NULL, 7, nullptr));
  EXPECT_EQ("S1009", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, nullptr, 0, ":memory:", SQL_NTS));
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", -7, ":memory:", SQL_NTS));
  EXPECT_EQ("S1090", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "../etc", SQL_NTS, ":memory:", SQL_NTS));
  EXPECT_EQ("IM002", firstState(diags(env, dbc, DCI_NULL_HANDLE)));

  connect();
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, ":memory:", SQL_NTS));
  EXPECT_EQ("08002", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  int16_t value = 0;
  EXPECT_EQ(SQL_ERROR, api.getInfo(dbc, 31, &value, 2, nullptr));
  EXPECT_EQ("S1096", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.freeStmt(stmt, 3));
  EXPECT_EQ("S1092", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.execDirect(stmt, nullptr, 0));
  EXPECT_EQ(SQL_ERROR, api.execDirect(stmt, "select 1", -5));
  EXPECT_EQ("S1090", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.execDirect(stmt, "select 1\0 x", 11));
  EXPECT_EQ("37000", firstState(stmtDiags()));

  ASSERT_EQ(SQL_SUCCESS, exec("select 1, 2"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  char buf[8];
  int32_t len = 0;
  EXPECT_EQ(SQL_ERROR, api.getData(stmt, 3, SQL_C_CHAR, buf, sizeof buf, &len));
  EXPECT_EQ("S1002", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.getData(stmt, 0, SQL_C_CHAR, buf, sizeof buf, &len));
  EXPECT_EQ(SQL_ERROR, api.getData(stmt, 1, 4, buf, sizeof buf, &len));
  EXPECT_EQ("S1003", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.getData(stmt, 1, SQL_C_CHAR, buf, -1, &len));
  EXPECT_EQ("S1090", firstState(stmtDiags()));
  EXPECT_EQ(SQL_ERROR, api.colAttributes(stmt, 1, 77, buf, sizeof buf, nullptr, nullptr));
  EXPECT_EQ("S1091", firstState(stmtDiags()));
}

TEST_F(DriverTest, DiagnosticsQueueInOrderAndClearedByTheNextCall) {
  connect();
  ASSERT_EQ(SQL_ERROR, exec("select * from missing"));
  ASSERT_EQ(SQL_ERROR, exec("select * from missing"));
  auto records = stmtDiags();
  ASSERT_EQ(1u, records.size());  // the second call's record only
  EXPECT_EQ("S0002", records[0].state);
  EXPECT_EQ(1, records[0].native);  // SQLite's SQLITE_ERROR
  EXPECT_EQ("[dvsql][SQLite] no such table: missing", records[0].message);
  EXPECT_TRUE(stmtDiags().empty());

  ASSERT_EQ(SQL_ERROR, exec("select * from missing"));
  EXPECT_EQ(SQL_SUCCESS, exec("select 1"));
  EXPECT_TRUE(stmtDiags().empty());
}

TEST_F(DriverTest, LongMessagesAreCutWithInfo) {
  connect();
  ASSERT_EQ(SQL_ERROR, exec("select * from " + std::string(3000, 'x')));
  char state[8];
  char message[32];
  int32_t native = 0;
  int16_t length = 0;
  EXPECT_EQ(SQL_SUCCESS_WITH_INFO,
            api.error(env, dbc, stmt, state, &native, message, sizeof message, &length));
  EXPECT_EQ(31u, std::strlen(message));
  EXPECT_GT(length, 3000);
}

TEST_F(DriverTest, SqliteErrorsMapToOdbcStates) {
  connect();
  run("create table t (id integer primary key, name text not null)");
  struct Case {
    const char* sql;
    const char* state;
  } cases[] = {
      {"create table t (a)", "S0001"},
      {"select nope from t", "S0022"},
      {"selec 1", "37000"},
      {"insert into t values (1, null)", "23000"},
      {"drop index nothere", "S0012"},
      {"select 1; select 2", "37000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SQL_ERROR, exec(c.sql)) << c.sql;
    EXPECT_EQ(c.state, firstState(stmtDiags())) << c.sql;
  }
}

TEST_F(DriverTest, SecondStatementInTheTextRunsNothing) {
  connect();
  run("create table t (a)");
  EXPECT_EQ(SQL_ERROR, exec("insert into t values (1); insert into t values (2)"));
  run("insert into t values (3);  ;\n -- done");
  ASSERT_EQ(SQL_SUCCESS, exec("select count(*) from t"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ("1", getText(1));
}

TEST_F(DriverTest, RowCountsForDataChangesOnly) {
  connect();
  int32_t rows = 99;
  ASSERT_EQ(SQL_SUCCESS, exec("create table t (a)"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(stmt, &rows));
  EXPECT_EQ(-1, rows);
  ASSERT_EQ(SQL_SUCCESS, exec("insert into t values (1), (2), (3)"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(stmt, &rows));
  EXPECT_EQ(3, rows);
  // DDL after DML does not inherit the previous count.
  ASSERT_EQ(SQL_SUCCESS, exec("create table u (b)"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(stmt, &rows));
  EXPECT_EQ(-1, rows);
  ASSERT_EQ(SQL_SUCCESS, exec("delete from t where a > 5"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(stmt, &rows));
  EXPECT_EQ(0, rows);
  ASSERT_EQ(SQL_SUCCESS, exec("update t set a = a + 1 where a < 3"));
  ASSERT_EQ(SQL_SUCCESS, api.rowCount(stmt, &rows));
  EXPECT_EQ(2, rows);
  int16_t columns = 7;
  ASSERT_EQ(SQL_SUCCESS, api.numResultCols(stmt, &columns));
  EXPECT_EQ(0, columns);
}

TEST_F(DriverTest, ValuesAsTextNullAndHexadecimalBlobs) {
  connect();
  run("create table t (i integer, r real, s text, b blob, n)");
  run("insert into t values (-42, 2.5, 'héllo', x'00ff7a', null)");
  ASSERT_EQ(SQL_SUCCESS, exec("select * from t"));
  int16_t columns = 0;
  ASSERT_EQ(SQL_SUCCESS, api.numResultCols(stmt, &columns));
  EXPECT_EQ(5, columns);
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  int32_t len = 0;
  EXPECT_EQ("-42", getText(1, &len));
  EXPECT_EQ(3, len);
  EXPECT_EQ("2.5", getText(2));
  EXPECT_EQ("héllo", getText(3, &len));
  EXPECT_EQ(6, len);
  EXPECT_EQ("00FF7A", getText(4, &len));
  EXPECT_EQ(6, len);
  EXPECT_EQ("", getText(5, &len));
  EXPECT_EQ(SQL_NULL_DATA, len);
}

TEST_F(DriverTest, LongValuesAreCutWith01004AndCanBeReadInParts) {
  connect();
  run("create table t (s text, b blob)");
  run("insert into t values ('" + std::string(25000, 'v') + "', randomblob(12000))");
  ASSERT_EQ(SQL_SUCCESS, exec("select s, b, s from t"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  int32_t len = 0;
  EXPECT_EQ(std::string(20478, 'v'), getText(1, &len, SQL_SUCCESS_WITH_INFO));
  EXPECT_EQ(25000, len);
  auto records = stmtDiags();
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ("01004", records[0].state);
  EXPECT_EQ(std::string(25000 - 20478, 'v'), getText(1, &len));  // the rest
  EXPECT_EQ(25000 - 20478, len);
  getText(1, nullptr, SQL_NO_DATA_FOUND);  // nothing more

  // A blob's hexadecimal form is read in parts too, without losing a digit.
  std::string hex = getText(2, &len, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(24000, len);
  char small[4];
  std::string rest;
  DciReturn rc;
  while ((rc = api.getData(stmt, 2, SQL_C_CHAR, small, sizeof small, &len)) ==
         SQL_SUCCESS_WITH_INFO) {
    rest += small;
  }
  ASSERT_EQ(SQL_SUCCESS, rc);
  rest += small;
  EXPECT_EQ(24000u, hex.size() + rest.size());
  EXPECT_EQ(std::string::npos, (hex + rest).find_first_not_of("0123456789ABCDEF"));
  // Moving to another column starts it from its beginning.
  EXPECT_EQ(std::string(20478, 'v'), getText(3, &len, SQL_SUCCESS_WITH_INFO));
}

TEST_F(DriverTest, LabelsAreCutToTheBufferWith01004) {
  connect();
  ASSERT_EQ(SQL_SUCCESS, exec("select 1 as abcdefghij, 2 as \"é€\""));
  char label[6];
  int16_t length = 0;
  EXPECT_EQ(SQL_SUCCESS_WITH_INFO,
            api.colAttributes(stmt, 1, DCI_COLUMN_LABEL, label, sizeof label, &length, nullptr));
  EXPECT_STREQ("abcde", label);
  EXPECT_EQ(10, length);
  EXPECT_EQ("01004", firstState(stmtDiags()));
  // "é€" is 5 bytes: with room for 4, only whole characters are kept.
  EXPECT_EQ(SQL_SUCCESS_WITH_INFO,
            api.colAttributes(stmt, 2, DCI_COLUMN_LABEL, label, 5, &length, nullptr));
  EXPECT_STREQ("é", label);
  EXPECT_EQ(SQL_SUCCESS,
            api.colAttributes(stmt, 2, DCI_COLUMN_LABEL, label, sizeof label, &length, nullptr));
  EXPECT_STREQ("é€", label);
  int32_t count = 0;
  EXPECT_EQ(SQL_SUCCESS, api.colAttributes(stmt, 0, SQL_COLUMN_COUNT, nullptr, 0, nullptr, &count));
  EXPECT_EQ(2, count);
  EXPECT_EQ(SQL_ERROR, api.colAttributes(stmt, 3, DCI_COLUMN_LABEL, label, 6, nullptr, nullptr));
  EXPECT_EQ("S1002", firstState(stmtDiags()));

  int16_t maxLength = 0;
  ASSERT_EQ(SQL_SUCCESS, api.getInfo(dbc, DCI_MAX_COLUMN_NAME_LEN, &maxLength, 2, nullptr));
  EXPECT_GT(maxLength, 0);
}

TEST_F(DriverTest, EmptyNullModeWritesAndReadsEmptyTextAsNull) {
  ASSERT_EQ(SQL_SUCCESS, api.setConnectOption(dbc, DCI_EMPTY_NULL, 1, ""));
  connect();
  run("create table t (a text, b blob)");
  run("insert into t values ('', x'')");
  run("insert into t values (substr('abc', 9), x'01')");  // an empty text made by an expression
  ASSERT_EQ(SQL_SUCCESS, exec("select a is null, a, b from t"));
  int32_t len = 0;
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ("1", getText(1));  // stored as NULL
  EXPECT_EQ("", getText(2, &len));
  EXPECT_EQ(SQL_NULL_DATA, len);
  EXPECT_EQ("", getText(3, &len));
  EXPECT_EQ(0, len);  // an empty blob is not text
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ("0", getText(1));  // stored as empty text...
  getText(2, &len);
  EXPECT_EQ(SQL_NULL_DATA, len);  // ...and read back as NULL
  ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_CLOSE));

  // Turned off on the open connection: empty text is text again.
  ASSERT_EQ(SQL_SUCCESS, api.setConnectOption(dbc, DCI_EMPTY_NULL, 0, ""));
  ASSERT_EQ(SQL_SUCCESS, exec("select '' as e"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  getText(1, &len);
  EXPECT_EQ(0, len);
}

TEST_F(DriverTest, EmptyStatementHasNoResult) {
  connect();
  for (const char* sql : {"   ", ";", "-- just a comment", "/* */ ;"}) {
    ASSERT_EQ(SQL_SUCCESS, exec(sql)) << sql;
    int16_t columns = 1;
    ASSERT_EQ(SQL_SUCCESS, api.numResultCols(stmt, &columns));
    EXPECT_EQ(0, columns);
  }
  ASSERT_EQ(SQL_SUCCESS, exec("; select 5"));  // leading terminators are skipped
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ("5", getText(1));
}

TEST_F(DriverTest, DisconnectRefusesWhileATransactionIsOpen) {
  connect();
  run("create table t (a)");
  run("begin");
  run("insert into t values (1)");
  EXPECT_EQ(SQL_ERROR, api.disconnect(dbc));
  EXPECT_EQ("25000", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  run("commit");
  EXPECT_EQ(SQL_SUCCESS, api.disconnect(dbc));
  // Disconnecting freed the statement.
  EXPECT_EQ(SQL_INVALID_HANDLE, api.fetch(stmt));
  stmt = DCI_NULL_HANDLE;
}

TEST_F(DriverTest, TablesListsTablesAndViewsByTypeAndName) {
  connect();
  for (const char* sql :
       {"create table b_t (a)", "create table A_t (a)", "create view v1 as select 1",
        "create temp table tmp (a)", "create table \"x%y\" (a)", "create table xzy (a)",
        "create table \"\u00e91\" (a)",
        "create table seq (id integer primary key autoincrement)"}) {
    run(sql);
  }
  ASSERT_EQ(SQL_SUCCESS, api.tables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
  char label[32] = {};
  ASSERT_EQ(SQL_SUCCESS, api.colAttributes(stmt, 3, DCI_COLUMN_LABEL, label, 32, nullptr, nullptr));
  EXPECT_STREQ("TABLE_NAME", label);
  EXPECT_EQ((std::vector<std::string>{
                "NULL|temp|tmp|LOCAL TEMPORARY|NULL", "NULL|main|sqlite_sequence|SYSTEM TABLE|NULL",
                "NULL|main|A_t|TABLE|NULL", "NULL|main|b_t|TABLE|NULL", "NULL|main|seq|TABLE|NULL",
                "NULL|main|x%y|TABLE|NULL", "NULL|main|xzy|TABLE|NULL",
                "NULL|main|\u00e91|TABLE|NULL", "NULL|main|v1|VIEW|NULL"}),
            rows(stmt));

  using Names = std::vector<std::string>;
  auto names = [&](const char* owner, const char* name, const char* types) {
    Names out;
    for (const std::string& row : tables(owner, name, types)) {
      std::size_t from = row.find('|', row.find('|') + 1) + 1;
      out.push_back(row.substr(from, row.find('|', from) - from));
    }
    return out;
  };
  EXPECT_EQ((Names{"x%y", "xzy"}), names(nullptr, "x%y", nullptr));
  EXPECT_EQ((Names{"x%y"}), names(nullptr, "x\\%y", nullptr));
  EXPECT_EQ((Names{"A_t", "b_t"}), names(nullptr, "%\\_t", nullptr));
  // '_' is one character, of one byte or two.
  EXPECT_EQ((Names{"\u00e91", "v1"}), names(nullptr, "_1", nullptr));
  EXPECT_EQ((Names{"tmp", "v1"}), names(nullptr, nullptr, " 'view', Local Temporary"));
  EXPECT_EQ((Names{"tmp"}), names("te_p", nullptr, ""));
  EXPECT_EQ(Names{}, names(nullptr, "A_T", nullptr));  // patterns keep case

  ASSERT_EQ(SQL_SUCCESS, exec("select 1"));
  EXPECT_EQ(SQL_ERROR, api.tables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
  EXPECT_EQ("24000", firstState(stmtDiags()));
  ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_CLOSE));
  EXPECT_EQ(SQL_ERROR, api.tables(stmt, nullptr, 0, nullptr, 0, "t", -5, nullptr, 0));
  EXPECT_EQ("S1090", firstState(stmtDiags()));
}

TEST_F(DriverTest, CancelStopsWhatTheStatementRunsAndNothingElse) {
  connect();
  run("create table t (a)");
  run("insert into t values (1)");
  // A statement that would run forever, in another thread, cancelled until it stops.
  DciReturn rc = SQL_SUCCESS;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    rc = exec(
        "insert into t with recursive c(x) as (select 1 union all select x + 1 from c) "
        "select x from c");
    done = true;
  });
  auto start = std::chrono::steady_clock::now();
  while (!done && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    EXPECT_EQ(SQL_SUCCESS, api.cancel(stmt));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(SQL_ERROR, rc);
  EXPECT_EQ("S1008", firstState(stmtDiags()));
  ASSERT_EQ(SQL_SUCCESS, exec("select count(*) from t"));  // nothing of it is kept
  EXPECT_EQ((std::vector<std::string>{"1"}), rows(stmt));

  // A cancel of a statement with nothing running does nothing, even while another statement's
  // cursor on the connection is open; an open cursor's own cancel ends it at its next fetch.
  const char* endless =
      "with recursive c(x) as (select 1 union all select x + 1 from c) select x from c";
  ASSERT_EQ(SQL_SUCCESS, exec(endless));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  DciHandle other = DCI_NULL_HANDLE;
  ASSERT_EQ(SQL_SUCCESS, api.allocStmt(dbc, &other));
  ASSERT_EQ(SQL_SUCCESS, api.execDirect(other, "select 1", SQL_NTS));
  EXPECT_EQ((std::vector<std::string>{"1"}), rows(other));
  EXPECT_EQ(SQL_SUCCESS, api.cancel(other));
  EXPECT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ(SQL_SUCCESS, api.freeStmt(other, SQL_DROP));
  EXPECT_EQ(SQL_SUCCESS, api.cancel(stmt));
  EXPECT_EQ(SQL_ERROR, api.fetch(stmt));
  EXPECT_EQ("S1008", firstState(stmtDiags()));
  ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_CLOSE));
  EXPECT_EQ(SQL_SUCCESS, api.cancel(stmt));  // closed: nothing runs
  ASSERT_EQ(SQL_SUCCESS, exec("select 2"));
  EXPECT_EQ((std::vector<std::string>{"2"}), rows(stmt));
  EXPECT_EQ(SQL_INVALID_HANDLE, api.cancel(dbc));
}

class AccountTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    char dir[] = "/tmp/dvsql-account-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    account = dir;
  }
  void TearDown() override {
    DriverTest::TearDown();
    std::string db = account + "/localdv.db";
    unlink(db.c_str());
    rmdir(account.c_str());
  }
  std::string account;
};

TEST_F(AccountTest, DatabaseIsCreatedInTheAccountAndCommittedDataPersists) {
  connect(account);
  run("create table t (a)");
  run("insert into t values ('kept')");
  ASSERT_EQ(SQL_SUCCESS, api.freeStmt(stmt, SQL_DROP));
  stmt = DCI_NULL_HANDLE;
  ASSERT_EQ(SQL_SUCCESS, api.disconnect(dbc));
  struct stat st;
  ASSERT_EQ(0, stat((account + "/localdv.db").c_str(), &st));

  connect(account + "/");  // a trailing slash names the same directory
  ASSERT_EQ(SQL_SUCCESS, exec("select a from t"));
  ASSERT_EQ(SQL_SUCCESS, api.fetch(stmt));
  EXPECT_EQ("kept", getText(1));
}

TEST_F(AccountTest, UnusableAccountsFailToConnectWith08001) {
  std::string missing = account + "/missing";
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, missing.c_str(), SQL_NTS));
  auto records = diags(env, dbc, DCI_NULL_HANDLE);
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ("08001", records[0].state);
  EXPECT_EQ(
      "[dvsql][SQLite] cannot use account directory " + missing + ": No such file or directory",
      records[0].message);

  // A file where the directory should be, and a database file that is not one.
  std::string file = account + "/localdv.db";
  FILE* f = fopen(file.c_str(), "w");
  ASSERT_NE(nullptr, f);
  fputs("this is not a database, just some text that is long enough to matter\n", f);
  fclose(f);
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, file.c_str(), SQL_NTS));
  EXPECT_EQ("08001", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, account.c_str(), SQL_NTS));
  records = diags(env, dbc, DCI_NULL_HANDLE);
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ("08001", records[0].state);
  EXPECT_NE(std::string::npos, records[0].message.find("not a database")) << records[0].message;
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, "", 0));
  EXPECT_EQ("08001", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
}

TEST_F(AccountTest, ReadOnlyAccountDirectoryIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  ASSERT_EQ(0, chmod(account.c_str(), 0500));
  EXPECT_EQ(SQL_ERROR, api.connect(dbc, "localdv", SQL_NTS, account.c_str(), SQL_NTS));
  EXPECT_EQ("08001", firstState(diags(env, dbc, DCI_NULL_HANDLE)));
  chmod(account.c_str(), 0700);
}

TEST(LoaderTest, RefusesTablesWithWrongVersionOrMissingOrdinal) {
  DciApi api;
  std::string error;
  DciProc procs[DCI_ORD_COUNT] = {};
  const DciExportTable* builtin = builtinExportTable();
  for (uint32_t i = 0; i < builtin->count; ++i) procs[i] = builtin->procs[i];
  DciExportTable table{DCI_ABI_VERSION, DCI_ORD_COUNT, procs};
  ASSERT_TRUE(bindTable(&table, "t", &api, &error));

  procs[DCI_ORD_SQLEXECDIRECT] = nullptr;
  EXPECT_FALSE(bindTable(&table, "t", &api, &error));
  EXPECT_EQ("DCI driver t does not export ordinal 15 (SQLExecDirect)", error);
  procs[DCI_ORD_SQLEXECDIRECT] = builtin->procs[DCI_ORD_SQLEXECDIRECT];
  table.count = DCI_ORD_SQLSETCONNECTOPTION;  // too short to hold ordinal 28
  EXPECT_FALSE(bindTable(&table, "t", &api, &error));
  table.count = DCI_ORD_COUNT;
  table.abiVersion = 2;
  EXPECT_FALSE(bindTable(&table, "t", &api, &error));
  EXPECT_EQ("DCI driver t has interface version 2, expected 1", error);
  // A driver made before the optional ordinals binds without them.
  table.abiVersion = DCI_ABI_VERSION;
  table.count = DCI_ORD_SQLCANCEL;
  ASSERT_TRUE(bindTable(&table, "t", &api, &error)) << error;
  EXPECT_EQ(nullptr, api.cancel);
  EXPECT_EQ(nullptr, api.tables);
  table.count = DCI_ORD_COUNT;
  procs[DCI_ORD_SQLTABLES] = nullptr;
  ASSERT_TRUE(bindTable(&table, "t", &api, &error)) << error;
  EXPECT_NE(nullptr, api.cancel);
  EXPECT_EQ(nullptr, api.tables);
  EXPECT_FALSE(bindDriver("/nonexistent/driver.so", &api, &error));
  EXPECT_EQ(0u, error.find("cannot load DCI driver /nonexistent/driver.so: "));
}

}  // namespace
}  // namespace dci
