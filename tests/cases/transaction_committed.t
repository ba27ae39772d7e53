Committed work is durable: the setup's rows and a transaction committed by the
user are there for the next session (the setup ran in its own process).
=== setup
create table t (a)
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
select a from t order by rowid
=== stdout
a: from setup

a: committed
2 rows
