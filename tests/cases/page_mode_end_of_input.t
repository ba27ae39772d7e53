End of input at "(more)" turns pausing off: the remaining records follow without
pauses, then the loop ends at the end of input and the session closes normally.
=== backends
sqlite postgresql
=== setup
create table t (n integer)
insert into t values (1), (2), (3)
=== args
{account}
=== stdin
select n from t order by n
=== stdout noeol
DVSQL: n: 1
(more)n: 2

n: 3
3 rows
DVSQL: 
