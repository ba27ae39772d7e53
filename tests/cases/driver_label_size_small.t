The label slot is 4 x the reported maximum column-name length + 1 bytes: with
a maximum of 4 the driver gets 17 bytes and cuts the 40-character label to 16.
=== args
-s acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 4
SQLAllocStmt 0 3
SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "{repeat:40:c}"
SQLFetch 100
SQLFreeStmt 0
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
=== stdin
select c from t
=== stdout
{repeat:16:c}: 
0 rows
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select c from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 17, NULL, &num) -> 0
SQLFetch(3) -> 100
SQLFreeStmt(3, 1) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
