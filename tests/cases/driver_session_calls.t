The whole call sequence of a session with -e in 1NF mode, checked against the
scripted driver's log: the handles passed to each call, the buffer sizes (127
for the data source, 2 for the column-name length, 4 x 30 + 1 = 121 for labels,
20,479 for values), one SQLGetData per column, the SQL_CLOSE after the result,
SQL_DROP and the tear-down order.
=== args
-c -e acct
=== driver
{setup}
SQLExecDirect 0
SQLNumResultCols 0 2
SQLColAttributes 0 "id"
SQLColAttributes 0 "name"
SQLFetch 0
SQLGetData 0 "1"
SQLGetData 0 "ann"
SQLFetch 0
SQLGetData 0 "2"
SQLGetData 0 null
SQLFetch 100
SQLFreeStmt 0
{teardown}
=== stdin
select id, name from t
=== stdout noeol
DVSQL: id: 1
name: ann

id: 2
name: 
2 rows
DVSQL: 
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLSetConnectOption(2, 1003, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select id, name from t", 22) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 121, NULL, &num) -> 0
SQLColAttributes(3, 2, 19, &label, 121, NULL, &num) -> 0
SQLFetch(3) -> 0
SQLGetData(3, 1, 1, &value, 20479, &len) -> 0
SQLGetData(3, 2, 1, &value, 20479, &len) -> 0
SQLFetch(3) -> 0
SQLGetData(3, 1, 1, &value, 20479, &len) -> 0
SQLGetData(3, 2, 1, &value, 20479, &len) -> 0
SQLFetch(3) -> 100
SQLFreeStmt(3, 1) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
