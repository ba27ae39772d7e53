A missing account directory: SQLConnect fails with 08001 and a message naming
the path, the process ends with exit status 1 before the statement loop.
=== args
{account}/nowhere
=== stdin
select 1
=== stderr
SQLConnect(): RETCODE=-1, SQLState="08001", NativeError=0
ErrorMsg = "[dvsql][SQLite] cannot use account directory {account}/nowhere: No such file or directory"
=== status
1
