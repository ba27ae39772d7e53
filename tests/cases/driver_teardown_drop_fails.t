A failing SQLFreeStmt(SQL_DROP) during tear-down: the report, exit status 1, and no further
DCI call.
=== args
-s acct
=== driver
{setup}
SQLFreeStmt -1
diag S1000 5 "cannot"
=== stderr
SQLFreeStmt(): RETCODE=-1, SQLState="S1000", NativeError=5
ErrorMsg = "cannot"
=== status
1
=== log
{setup}
SQLFreeStmt(3, 2) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
