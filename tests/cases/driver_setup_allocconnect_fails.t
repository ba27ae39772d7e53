A failing SQLAllocConnect during set-up: the report (asked with the handles known at that
point), exit status 1, and no further DCI call; the statement loop never runs.
=== args
-e acct
=== driver
SQLAllocEnv 0 1
SQLAllocConnect -1 2
diag 08001 42 "refused"
=== stdin
select 1
=== stderr
SQLAllocConnect(): RETCODE=-1, SQLState="08001", NativeError=42
ErrorMsg = "refused"
=== status
1
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> -1
SQLError(1, -1, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, -1, -1, &state, &native, &msg, 2047, &len) -> 100
