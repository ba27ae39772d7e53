Errors raised by the server reach the report with the mapped state and the text
"[dvsql][PostgreSQL] <SQLSTATE>: <primary message>", then " DETAIL: <detail>"
when the server sends one; quotes are escaped. Each failed statement is
reported and the loop goes on, so the exit status stays 0.
=== backends
postgresql
=== setup
create table t (id integer primary key, name text not null)
=== args
-s {account}
=== stdin
insert into t values (1, 'a')
insert into t values (1, 'again')
select * from missing
selec 1
select "no
select nosuch from t
insert into t values (2, null)
create table t (x integer)
select count(*) as n from t
=== stdout
1 row
n: 1
1 row
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="23000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 23505: duplicate key value violates unique constraint \"t_pkey\" DETAIL: Key (id)=(1) already exists."
SQLExecDirect(): RETCODE=-1, SQLState="S0002", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42P01: relation \"missing\" does not exist"
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42601: syntax error at or near \"selec\""
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42601: unterminated quoted identifier at or near \"\"no\""
SQLExecDirect(): RETCODE=-1, SQLState="S0022", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42703: column \"nosuch\" does not exist"
SQLExecDirect(): RETCODE=-1, SQLState="23000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 23502: null value in column \"name\" of relation \"t\" violates not-null constraint DETAIL: Failing row contains (2, null)."
SQLExecDirect(): RETCODE=-1, SQLState="S0001", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42P07: relation \"t\" already exists"
