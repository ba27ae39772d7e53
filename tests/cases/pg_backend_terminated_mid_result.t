The server ends the connection while a result is being read: the backend
terminates itself after sending its row. The row is shown, then SQLFetch meets
the dead connection with 08S01 (the server's 57P01), which is fatal: the session
ends at once with exit status 1, without waiting for anything, and the next
statement never runs.
=== backends
postgresql
=== args
-s -c {account}
=== stdin
select pg_terminate_backend(pg_backend_pid()) as terminated
select 'not run' as after
=== stdout
terminated: t

=== stderr
SQLFetch(): RETCODE=-1, SQLState="08S01", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 57P01: terminating connection due to administrator command"
=== status
1
=== limits
timeout 20
