A failing SQLFreeEnv during tear-down: the report, exit status 1, and no further
DCI call.
=== args
-s acct
=== driver
{setup}
{teardown before SQLFreeEnv}
SQLFreeEnv -1
diag S1000 5 "cannot"
=== stderr
SQLFreeEnv(): RETCODE=-1, SQLState="S1000", NativeError=5
ErrorMsg = "cannot"
=== status
1
=== log
{setup}
{teardown before SQLFreeEnv}
SQLFreeEnv(1) -> -1
SQLError(1, -1, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, -1, -1, &state, &native, &msg, 2047, &len) -> 100
