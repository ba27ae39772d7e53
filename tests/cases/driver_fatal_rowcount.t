A failing SQLRowCount is fatal: its report is printed, the process ends with exit
status 1 at once, and no further DCI call is made (no close, no tear-down).
=== args
-c acct
=== driver
{setup}
SQLExecDirect 0
SQLNumResultCols 0 0
SQLRowCount -1
diag S1000 99 "failed here"
SQLFreeStmt 0
=== stdin
delete from t
select 'never'
=== stdout noeol
DVSQL: 
=== stderr
SQLRowCount(): RETCODE=-1, SQLState="S1000", NativeError=99
ErrorMsg = "failed here"
=== status
1
=== log
{setup}
SQLExecDirect(3, "delete from t", 13) -> 0
SQLNumResultCols(3, &count) -> 0
SQLRowCount(3, &count) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
