Errors in the middle of a script are reported on standard error, each as two
lines, and the loop goes on with the next statement; the exit status stays 0.
Quotes and newlines inside a message are escaped.
=== setup
create table t (id integer primary key, name text not null)
=== args
-s {account}
=== stdin
insert into t values (1, 'a')
insert into t values (1, 'again')
select * from missing
select "no
insert into t values (2, null)
select count(*) as n from t
=== stdout
1 row
n: 1
1 row
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="23000", NativeError=1555
ErrorMsg = "[dvsql][SQLite] UNIQUE constraint failed: t.id"
SQLExecDirect(): RETCODE=-1, SQLState="S0002", NativeError=1
ErrorMsg = "[dvsql][SQLite] no such table: missing"
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=1
ErrorMsg = "[dvsql][SQLite] unrecognized token: \"\"no\""
SQLExecDirect(): RETCODE=-1, SQLState="23000", NativeError=1299
ErrorMsg = "[dvsql][SQLite] NOT NULL constraint failed: t.name"
