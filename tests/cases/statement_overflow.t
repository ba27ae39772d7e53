A statement line of 20,480 characters ends the process with "Input buffer
overflow" and exit status 1 at once: earlier output is kept, nothing later runs,
and the connection is not closed (no further DCI call).
=== args
-c {account}
=== driver
SQLAllocEnv 0
SQLAllocConnect 0
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0
SQLExecDirect 0
SQLNumResultCols 0 0
=== stdin
create table t (a)
select length('{repeat:20458:a}') as n
select 1
=== stdout noeol
DVSQL: DVSQL: 
=== stderr
Input buffer overflow
=== status
1
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(1, 1002, 1, "") -> 0
SQLConnect(1, "localdv", 127, "{account}", {int}) -> 0
SQLGetInfo(1, 30, &value, 2, NULL) -> 0
SQLAllocStmt(1, &stmt) -> 0
SQLExecDirect(1, "create table t (a)", 18) -> 0
SQLNumResultCols(1, &count) -> 0
