A server error in the middle of a result, after some records were printed
(division by zero on the third row): the rows before it are shown, then SQLFetch
fails with 22012 and the session ends at once with exit status 1; nothing after
that statement runs.
=== backends
postgresql
=== args
-s -c {account}
=== stdin
select g, 10 / (3 - g) as q from generate_series(1, 5) g
select 'not run' as after
=== stdout
g: 1
q: 5

g: 2
q: 10

=== stderr
SQLFetch(): RETCODE=-1, SQLState="22012", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 22012: division by zero"
=== status
1
