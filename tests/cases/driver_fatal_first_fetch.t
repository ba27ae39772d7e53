A failing first SQLFetch is fatal: its report is printed, the process ends with exit
status 1 at once, and no further DCI call is made (no close, no tear-down).
=== args
-c acct
=== driver
{setup}
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
{setup}
SQLExecDirect(3, "select a from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 121, NULL, &num) -> 0
SQLFetch(3) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
