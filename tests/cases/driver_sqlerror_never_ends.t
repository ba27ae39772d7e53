A driver whose SQLError keeps delivering records forever: the report stops
after 1,000 records and the session goes on.
=== args
-s acct
=== driver
{setup}
SQLExecDirect -1
sqlerror-stuck 0
SQLExecDirect 0
SQLNumResultCols 0 0
{teardown}
=== stdin
select 1
create table t (a)
=== stderr noeol
{repeat:1000:SQLExecDirect(): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = "stuck"
}
