With -t a modification prints its row count, then the timing line; a query
prints its records, row count and timing line; a statement that is neither
prints nothing, not even a timing line. The clock counts whole seconds.
=== backends
sqlite postgresql
=== args
-st {account}
=== stdin
create table t (n integer)
insert into t values (1)
select n from t
=== stdout
1 row
{int} seconds (elapsed {int})
n: 1
1 row
{int} seconds (elapsed {int})
