A transaction left open at the end of input: SQLDisconnect refuses with 25000,
the process exits 1, and the uncommitted row is not in the database.
=== setup
create table t (a)
=== args
-s {account}
=== stdin
begin
insert into t values (1)
=== stdout
1 row
=== stderr
SQLDisconnect(): RETCODE=-1, SQLState="25000", NativeError=0
ErrorMsg = "[dvsql][DCI] Invalid transaction state: a transaction is still open and its changes are not committed"
=== status
1
