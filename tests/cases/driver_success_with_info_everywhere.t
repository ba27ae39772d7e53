SQL_SUCCESS_WITH_INFO from every kind of call: each report is printed with its
call's label, RETCODE=1 and every queued record, and the call counts as a
success, so the session runs to its normal end with exit status 0.
=== args
-c -e acct
=== driver
SQLAllocEnv 1 1
diag 01000 1 "env"
SQLAllocConnect 1 2
diag 01000 2 "dbc"
SQLSetConnectOption 1
diag 01000 3 "1nf"
SQLSetConnectOption 1
diag 01000 4 "empty"
SQLConnect 1
diag 01000 5 "connect"
diag 01S00 6 "second record"
SQLGetInfo 1 30
diag 01000 7 "info"
SQLAllocStmt 1 3
diag 01000 8 "stmt"
SQLExecDirect 1
diag 01000 9 "exec"
SQLNumResultCols 1 1
diag 01000 10 "cols"
SQLColAttributes 1 "n"
diag 01000 11 "label"
SQLFetch 1
diag 01000 12 "fetch"
SQLGetData 1 "7"
diag 01000 13 "data"
SQLFetch 100
SQLFreeStmt 1
diag 01000 14 "close"
SQLExecDirect 0
SQLNumResultCols 0 0
SQLRowCount 1 5
diag 01000 15 "rows"
SQLFreeStmt 0
SQLFreeStmt 1
diag 01000 16 "drop"
SQLDisconnect 1
diag 01000 17 "disconnect"
SQLFreeConnect 1
diag 01000 18 "free dbc"
SQLFreeEnv 1
diag 01000 19 "free env"
=== stdin
select n from t
delete from t
=== stdout noeol
DVSQL: n: 7
1 row
DVSQL: 5 rows
DVSQL: 
=== stderr
SQLAllocEnv(): RETCODE=1, SQLState="01000", NativeError=1
ErrorMsg = "env"
SQLAllocConnect(): RETCODE=1, SQLState="01000", NativeError=2
ErrorMsg = "dbc"
SQLSetConnectOption(DCI_1NF_MODE_ON): RETCODE=1, SQLState="01000", NativeError=3
ErrorMsg = "1nf"
SQLSetConnectOption(DCI_EMPTY_NULL): RETCODE=1, SQLState="01000", NativeError=4
ErrorMsg = "empty"
SQLConnect(): RETCODE=1, SQLState="01000", NativeError=5
ErrorMsg = "connect"
SQLConnect(): RETCODE=1, SQLState="01S00", NativeError=6
ErrorMsg = "second record"
SQLGetInfo(DCI_MAX_COLUMN_NAME_LEN): RETCODE=1, SQLState="01000", NativeError=7
ErrorMsg = "info"
SQLAllocStmt(): RETCODE=1, SQLState="01000", NativeError=8
ErrorMsg = "stmt"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=9
ErrorMsg = "exec"
SQLNumResultCols(): RETCODE=1, SQLState="01000", NativeError=10
ErrorMsg = "cols"
SQLColAttributes(DCI_COLUMN_LABEL): RETCODE=1, SQLState="01000", NativeError=11
ErrorMsg = "label"
SQLFetch(): RETCODE=1, SQLState="01000", NativeError=12
ErrorMsg = "fetch"
SQLGetData(): RETCODE=1, SQLState="01000", NativeError=13
ErrorMsg = "data"
SQLFreeStmt(CLOSE): RETCODE=1, SQLState="01000", NativeError=14
ErrorMsg = "close"
SQLRowCount(): RETCODE=1, SQLState="01000", NativeError=15
ErrorMsg = "rows"
SQLFreeStmt(): RETCODE=1, SQLState="01000", NativeError=16
ErrorMsg = "drop"
SQLDisconnect(): RETCODE=1, SQLState="01000", NativeError=17
ErrorMsg = "disconnect"
SQLFreeConnect(): RETCODE=1, SQLState="01000", NativeError=18
ErrorMsg = "free dbc"
SQLFreeEnv(): RETCODE=1, SQLState="01000", NativeError=19
ErrorMsg = "free env"
