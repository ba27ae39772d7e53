A failing first SQLFetch is fatal: its report is printed, the process ends with exit
status 1 at once, and no further DCI call is made (no close, no tear-down).
=== args
-c acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "a"
SQLFetch -1
diag S1000 99 "failed here"
SQLFreeStmt 0
=== stdin
select a from t
select 'never'
=== stdout noeol
DVSQL: 
=== stderr
SQLFetch(): RETCODE=-1, SQLState="S1000", NativeError=99
ErrorMsg = "failed here"
=== status
1
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select a from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 121, NULL, &num) -> 0
SQLFetch(3) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
