"q" and "Q" alone end the loop; " q" and "quit" are statements sent to the
database, whose errors are reported, and the loop goes on. Nothing after the
quit line runs.
=== args
-c {account}
=== stdin
 q
quit
Q
select 1
=== stdout noeol
DVSQL: DVSQL: DVSQL: 
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=1
ErrorMsg = "[dvsql][SQLite] near \"q\": syntax error"
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=1
ErrorMsg = "[dvsql][SQLite] near \"quit\": syntax error"
