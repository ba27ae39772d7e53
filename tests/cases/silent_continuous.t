-ps: silent with page mode off, as for scripts: no prompts, no pauses, records
separated by empty lines. Reply-like lines are statements here.
=== backends
sqlite postgresql
=== setup
create table t (n integer)
insert into t values (1), (2)
=== args
-ps {account}
=== stdin
select n from t order by n
select n * 10 as tens from t order by n
=== stdout
n: 1

n: 2
2 rows
tens: 10

tens: 20
2 rows
