A driver whose SQLError keeps delivering records forever: the report stops
after 1,000 records and the session goes on.
=== args
-s acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLExecDirect -1
sqlerror-stuck 0
SQLExecDirect 0
SQLNumResultCols 0 0
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
=== stdin
select 1
create table t (a)
=== stderr noeol
{repeat:1000:SQLExecDirect(): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = "stuck"
}
