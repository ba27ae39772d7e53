A failing SQLNumResultCols is fatal: its report is printed, the process ends with exit
status 1 at once, and no further DCI call is made (no close, no tear-down).
=== args
-c acct
=== driver
{setup}
SQLExecDirect 0
SQLNumResultCols -1
diag S1000 99 "failed here"
SQLFreeStmt 0
=== stdin
select 1
select 'never'
=== stdout noeol
DVSQL: 
=== stderr
SQLNumResultCols(): RETCODE=-1, SQLState="S1000", NativeError=99
ErrorMsg = "failed here"
=== status
1
=== log
{setup}
SQLExecDirect(3, "select 1", 8) -> 0
SQLNumResultCols(3, &count) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
