Two statements on one line are refused as a whole (37000) and nothing of the
line runs; a trailing semicolon and a comment are allowed.
=== setup
create table t (a)
=== args
-s {account}
=== stdin
insert into t values (1); insert into t values (2)
insert into t values (3); -- done
select count(*) as n from t
=== stdout
1 row
n: 1
1 row
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="37000", NativeError=1
ErrorMsg = "[dvsql][SQLite] more than one statement in one call; nothing was run"
