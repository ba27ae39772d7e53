When the label block cannot be allocated (32,767 columns x 32,765-byte slots,
about 1 GiB, under a 256 MiB address-space limit) the interpreter writes "Out of
memory" and exits 1 with no further DCI call.
=== args
-s acct
=== limits
as 256M
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 8191
SQLAllocStmt 0 3
SQLExecDirect 0
SQLNumResultCols 0 32767
=== stdin
select * from wide
=== stderr
Out of memory
=== status
1
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "select * from wide", 18) -> 0
SQLNumResultCols(3, &count) -> 0
