The connection dies while the user's transaction is open: every later
statement fails with 08S01, and at the end SQLDisconnect reports that the
transaction's changes were not committed (25000, exit status 1) instead of
ending as if nothing had been lost.
=== backends
postgresql
=== setup
create table t (a text)
=== args
-s {account}
=== stdin
begin
insert into t values ('lost')
do $$ begin perform pg_terminate_backend(pg_backend_pid()); end $$
select 1
=== stdout
1 row
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 57P01: terminating connection due to administrator command"
SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] no connection to the server"
SQLDisconnect(): RETCODE=-1, SQLState="25000", NativeError=0
ErrorMsg = "[dvsql][DCI] Invalid transaction state: a transaction is still open and its changes are not committed"
=== status
1
