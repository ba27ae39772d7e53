The server ends the connection while a statement without a result runs: that
SQLExecDirect fails with 08S01 (the server's 57P01). Each later statement meets
the dead connection and fails with 08S01 at once, and the loop goes on as after
any failed statement; closing a dead connection is no error, so the exit status
is 0. Nothing waits for the lost server.
=== backends
postgresql
=== args
-s {account}
=== stdin
do $$ begin perform pg_terminate_backend(pg_backend_pid()); end $$
select 1 as after
insert into t values (1)
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 57P01: terminating connection due to administrator command"
SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] no connection to the server"
SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] no connection to the server"
=== limits
timeout 20
