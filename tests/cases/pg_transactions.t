Transactions on PostgreSQL: work committed in the setup's session is there in
the next, rolled-back work is not. After an error inside a transaction every
statement fails with 25000 (the server's 25P02) until it ends, and COMMIT then
rolls back, with a warning that nothing was committed; a savepoint keeps a transaction usable after an error. No
transaction is left open, so the exit status is 0.
=== backends
postgresql
=== setup
create table t (a text)
insert into t values ('from setup')
begin
insert into t values ('committed')
commit
begin
insert into t values ('rolled back')
rollback
=== args
-s {account}
=== stdin
select a from t order by a desc
begin
insert into t values ('lost')
select * from nosuch
insert into t values ('ignored')
commit
begin
insert into t values ('saved')
savepoint s
select 1 / 0 as x
rollback to savepoint s
commit
select a from t order by a desc
=== stdout
a: from setup

a: committed
2 rows
1 row
1 row
a: saved

a: from setup

a: committed
3 rows
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="S0002", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42P01: relation \"nosuch\" does not exist"
SQLExecDirect(): RETCODE=-1, SQLState="25000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 25P02: current transaction is aborted, commands ignored until end of transaction block"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] the transaction had failed: COMMIT rolled it back and nothing was committed"
SQLExecDirect(): RETCODE=-1, SQLState="22012", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 22012: division by zero"
