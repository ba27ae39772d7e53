A failing SQLFreeConnect during tear-down: the report, exit status 1, and no further
DCI call.
=== args
-s acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect -1
diag S1000 5 "cannot"
=== stderr
SQLFreeConnect(): RETCODE=-1, SQLState="S1000", NativeError=5
ErrorMsg = "cannot"
=== status
1
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> -1
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 100
