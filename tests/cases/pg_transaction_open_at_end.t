A transaction left open at the end of input on PostgreSQL: SQLDisconnect refuses
with 25000, the process exits 1 (the server rolls the transaction back when the
connection closes).
=== backends
postgresql
=== setup
create table t (a integer)
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
