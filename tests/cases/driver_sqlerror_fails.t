An SQLError that itself fails (SQL_ERROR, or SQL_INVALID_HANDLE): what it left
in the buffers is printed once and the report ends, instead of asking forever.
=== args
-s acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLExecDirect -1
sqlerror-stuck -2
SQLExecDirect 0
SQLNumResultCols 0 0
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
=== stdin
select 1
create table t (a)
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = "stuck"
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select 1", 8) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> -2
SQLExecDirect(3, "create table t (a)", 18) -> 0
SQLNumResultCols(3, &count) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
