A value the driver cuts to the 20,479 bytes it is allowed (20,478 characters
and a terminator) comes with SQL_SUCCESS_WITH_INFO: the warning is reported and
the cut value is printed after it; the returned length is not consulted.
=== args
-s acct
=== driver
{setup}
SQLExecDirect 0
SQLNumResultCols 0 2
SQLColAttributes 0 "big"
SQLColAttributes 0 "small"
SQLFetch 1
diag 01S01 0 "fetch warning"
SQLGetData 1 "{repeat:30000:x}"
diag 01004 0 "String data, right truncation"
SQLGetData 0 "y"
SQLFetch 100
SQLFreeStmt 0
{teardown}
=== stdin
select big, small from t
=== stdout
big: {repeat:20478:x}
small: y
1 row
=== stderr
SQLFetch(): RETCODE=1, SQLState="01S01", NativeError=0
ErrorMsg = "fetch warning"
SQLGetData(): RETCODE=1, SQLState="01004", NativeError=0
ErrorMsg = "String data, right truncation"
