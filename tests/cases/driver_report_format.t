The diagnostics report: every queued record in order, two lines each, with
double quotes and newlines inside the state and message escaped; SQLError is
asked with the call's handles and a 2,047-byte message limit until it answers
100. A warning whose first SQLError already answers 100 prints nothing.
=== args
-s acct
=== driver
{setup}
SQLExecDirect -1
diag 42S02 208 "first: \"quoted\""
diag "4\"2" -7 "line one\nline two"
diag S1000 0 ""
SQLExecDirect 1
SQLNumResultCols 0 0
{teardown}
=== stdin
select * from nowhere
create table x (a)
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="42S02", NativeError=208
ErrorMsg = "first: \"quoted\""
SQLExecDirect(): RETCODE=-1, SQLState="4\"2", NativeError=-7
ErrorMsg = "line one\nline two"
SQLExecDirect(): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = ""
=== log
{setup}
SQLExecDirect(3, "select * from nowhere", 21) -> -1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 0
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
SQLExecDirect(3, "create table x (a)", 18) -> 1
SQLError(1, 2, 3, &state, &native, &msg, 2047, &len) -> 100
SQLNumResultCols(3, &count) -> 0
{teardown}
