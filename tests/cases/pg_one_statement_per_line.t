On PostgreSQL, two statements on one line are refused as a whole (37000) before
anything runs, even when the first would succeed alone and the second fails; a
trailing semicolon and a comment are one statement.
=== backends
postgresql
=== setup
create table t (a integer)
=== args
-s {account}
=== stdin
insert into t values (1); insert into t values (2)
insert into t values (3); select * from missing
insert into t values (4); -- done
insert into t values (5) /* done */ ;
select a from t order by a
=== stdout
1 row
1 row
a: 4

a: 5
2 rows
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] more than one statement in one call; nothing was run"
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] more than one statement in one call; nothing was run"
