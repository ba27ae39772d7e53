A maximum column-name length of 9,000 would make 4 x 9,000 + 1 overflow the
16-bit label size; it is held at 32,767 instead of wrapping negative.
=== args
-s acct
=== driver
{setup with SQLGetInfo 0 9000}
SQLExecDirect 0
SQLNumResultCols 0 1
SQLColAttributes 0 "{repeat:40:c}"
SQLFetch 100
SQLFreeStmt 0
{teardown}
=== stdin
select c from t
=== stdout
{repeat:40:c}: 
0 rows
=== log
{setup}
SQLExecDirect(3, "select c from t", 15) -> 0
SQLNumResultCols(3, &count) -> 0
SQLColAttributes(3, 1, 19, &label, 32767, NULL, &num) -> 0
SQLFetch(3) -> 100
SQLFreeStmt(3, 1) -> 0
{teardown}
