The label slot is 4 x the reported maximum column-name length + 1 bytes: with
a maximum of 4 the driver gets 17 bytes and cuts the 40-character label to 16.
=== args
-s acct
=== driver
{setup with SQLGetInfo 0 4}
SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "{repeat:40:c}"
SQLFetch 100
SQLFreeStmt 0
{teardown}
=== stdin
select c from t
=== stdout
{repeat:16:c}: 
0 rows
=== log
{setup}
SQLExecDirect(3, "select c from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 17, NULL, &num) -> 0
SQLFetch(3) -> 100
SQLFreeStmt(3, 1) -> 0
{teardown}
