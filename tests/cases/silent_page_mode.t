-s then -p: silent with page mode on. The interpreter pauses after each record
(one reply line each) without printing "(more)" and without prompts.
=== setup
create table t (n integer)
insert into t values (1), (2), (3)
=== args
-sp {account}
=== stdin
select n from t order by n
x
y
select count(*) from t
=== stdout
n: 1
n: 2
n: 3
3 rows
count(*): 3
1 row
