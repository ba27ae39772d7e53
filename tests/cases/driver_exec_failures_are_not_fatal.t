SQLExecDirect failing with SQL_ERROR or SQL_INVALID_HANDLE is reported and the
loop goes on with the next statement: no column count, no close for it. A
statement that is neither a query nor a modification gets no row count and no
close either; SQL_NO_DATA_FOUND from SQLExecDirect counts as success.
=== args
-s acct
=== driver
{setup}
SQLExecDirect -1
diag 37000 1 "bad"
SQLExecDirect -2
SQLExecDirect 100
SQLNumResultCols 0 0
SQLExecDirect 0
SQLNumResultCols 0 -1
SQLRowCount 0 3
SQLFreeStmt 0
{teardown}
=== stdin
selec 1
select 2
create table t (a)
update t set a = 1
=== stdout
3 rows
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=1
ErrorMsg = "bad"
=== log
{setup}
SQLExecDirect(3, "selec 1", 7) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
SQLExecDirect(3, "select 2", 8) -> -2
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
SQLExecDirect(3, "create table t (a)", 18) -> 100
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
SQLNumResultCols(3, &count) -> 0
SQLExecDirect(3, "update t set a = 1", 18) -> 0
SQLNumResultCols(3, &count) -> 0
SQLRowCount(3, &count) -> 0
SQLFreeStmt(3, 1) -> 0
{teardown}
