-m2 alone makes no SQLSetConnectOption call at all.
=== args
-s -m2 acct
=== driver
{setup}
{teardown}
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
