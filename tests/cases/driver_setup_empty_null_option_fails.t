A SQLSetConnectOption(DCI_EMPTY_NULL) answering SQL_INVALID_HANDLE during set-up: the report (asked with the handles known at that
point), exit status 1, and no further DCI call; the statement loop never runs.
=== args
-e acct
=== driver
{setup before SQLSetConnectOption}
SQLSetConnectOption 0
SQLSetConnectOption -2
diag 08001 42 "refused"
=== stdin
select 1
=== stderr
SQLSetConnectOption(DCI_EMPTY_NULL): RETCODE=-2, SQLState="08001", NativeError=42
ErrorMsg = "refused"
=== status
1
=== log
{setup before SQLSetConnectOption}
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLSetConnectOption(2, 1003, 1, "") -> -2
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 100
