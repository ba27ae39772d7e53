A failing SQLSetConnectOption(DCI_1NF_MODE_ON) during set-up: the report (asked with the handles known at that
point), exit status 1, and no further DCI call; the statement loop never runs.
=== args
-e acct
=== driver
{setup before SQLSetConnectOption}
SQLSetConnectOption -1
diag 08001 42 "refused"
=== stdin
select 1
=== stderr
SQLSetConnectOption(DCI_1NF_MODE_ON): RETCODE=-1, SQLState="08001", NativeError=42
ErrorMsg = "refused"
=== status
1
=== log
{setup before SQLSetConnectOption}
SQLSetConnectOption(2, 1002, 1, "") -> -1
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, -1, &state, &native, &msg, 2047, &len) -> 100
