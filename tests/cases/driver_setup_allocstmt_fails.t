A failing SQLAllocStmt during set-up: the report (asked with the handles known at that
point), exit status 1, and no further DCI call; the statement loop never runs.
=== args
-e acct
=== driver
{setup before SQLAllocStmt}
SQLAllocStmt -1 3
diag 08001 42 "refused"
=== stdin
select 1
=== stderr
SQLAllocStmt(): RETCODE=-1, SQLState="08001", NativeError=42
ErrorMsg = "refused"
=== status
1
=== log
{setup before SQLAllocStmt}
SQLAllocStmt(2, &stmt) -> -1
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 100
