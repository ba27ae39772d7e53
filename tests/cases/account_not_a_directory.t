An account that is a file, and an account directory whose localdv.db is not a
database, both fail at SQLConnect with 08001.
=== setup
create table t (a)
=== args
{account}/localdv.db
=== stdin
select 1
=== stderr
SQLConnect(): RETCODE=-1, SQLState="08001", NativeError=0
ErrorMsg = "[dvsql][SQLite] cannot use account directory {account}/localdv.db: Not a directory"
=== status
1
