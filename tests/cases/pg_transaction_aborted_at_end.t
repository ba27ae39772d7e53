A transaction that failed (the server's "aborted" state) and was never ended
still counts as open at the end of input: SQLDisconnect refuses with 25000 and
the process exits 1.
=== backends
postgresql
=== args
-s {account}
=== stdin
begin
select 1 / 0 as x
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="22012", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 22012: division by zero"
SQLDisconnect(): RETCODE=-1, SQLState="25000", NativeError=0
ErrorMsg = "[dvsql][DCI] Invalid transaction state: a transaction is still open and its changes are not committed"
=== status
1
