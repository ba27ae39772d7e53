An account naming a database that does not exist: SQLConnect fails with 08001
and libpq's message, and dvsql ends with exit status 1 before the statement
loop. (The account is the case's own with "_missing" added to its database
name.)
=== backends
postgresql
=== args
-s {account}_missing
=== stdin
select 1
=== stderr
SQLConnect(): RETCODE=-1, SQLState="08001", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] connection to server on socket \"{pghost}/.s.PGSQL.{int}\" failed: FATAL:  database \"{database}_missing\" does not exist"
=== status
1
