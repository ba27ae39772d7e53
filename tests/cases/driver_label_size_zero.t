A maximum column-name length of 0 (or less) gives the smallest slot, 1 byte:
labels are empty, and the session goes on.
=== args
-s acct
=== driver
{setup with SQLGetInfo 0 0}
SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "{repeat:40:c}"
SQLFetch 100
SQLFreeStmt 0
{teardown}
=== stdin
select c from t
=== stdout
: 
0 rows
=== log
{setup}
SQLExecDirect(3, "select c from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 1, NULL, &num) -> 0
SQLFetch(3) -> 100
SQLFreeStmt(3, 1) -> 0
{teardown}
