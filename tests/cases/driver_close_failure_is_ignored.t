A failing SQLFreeStmt(SQL_CLOSE) is reported and otherwise ignored.
=== args
-s acct
=== driver
{setup}
SQLExecDirect 0
SQLNumResultCols 0 0
SQLRowCount 0 1
SQLFreeStmt -1
diag S1000 0 "cannot close"
SQLExecDirect 0
SQLNumResultCols 0 0
SQLRowCount 0 0
SQLFreeStmt 0
{teardown}
=== stdin
insert into t values (1)
delete from t where 0
=== stdout
1 row
0 rows
=== stderr
SQLFreeStmt(CLOSE): RETCODE=-1, SQLState="S1000", NativeError=0
ErrorMsg = "cannot close"
