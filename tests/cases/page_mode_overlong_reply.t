A reply longer than the 20,479-character reply buffer is read to the end of its
line and leaves pausing on; it is not an error. A "q" that only ends an
overlong reply does not stop pausing.
=== backends
sqlite postgresql
=== setup
create table t (n integer)
insert into t values (1), (2), (3), (4)
=== args
{account}
=== stdin
select n from t order by n
{repeat:50000:r}
{repeat:20480:z}q

=== stdout noeol
DVSQL: n: 1
(more)n: 2
(more)n: 3
(more)n: 4
4 rows
DVSQL: 
