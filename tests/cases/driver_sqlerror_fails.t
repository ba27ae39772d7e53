An SQLError that itself fails (SQL_ERROR, or SQL_INVALID_HANDLE): what it left
in the buffers is printed once and the report ends, instead of asking forever.
=== args
-s acct
=== driver
{setup}
SQLExecDirect -1
sqlerror-stuck -2
SQLExecDirect 0
SQLNumResultCols 0 0
{teardown}
=== stdin
select 1
create table t (a)
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = "stuck"
=== log
{setup}
SQLExecDirect(3, "select 1", 8) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> -2
SQLExecDirect(3, "create table t (a)", 18) -> 0
SQLNumResultCols(3, &count) -> 0
{teardown}
