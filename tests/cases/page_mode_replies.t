Page mode (the default): "(more)" after every record but the last. An empty or
other reply keeps pausing; "q" stops pausing for the rest of that result only,
whose records then follow separated by empty lines. The next query pauses again,
and a single record has no pause.
=== backends
sqlite postgresql
=== setup
create table t (n integer)
insert into t values (1), (2), (3), (4), (5)
=== args
{account}
=== stdin
select n from t order by n

go on
q
select n from t where n < 3 order by n

select n from t where n = 4
=== stdout noeol
DVSQL: n: 1
(more)n: 2
(more)n: 3
(more)n: 4

n: 5
5 rows
DVSQL: n: 1
(more)n: 2
2 rows
DVSQL: n: 4
1 row
DVSQL: 
