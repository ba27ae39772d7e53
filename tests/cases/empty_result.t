A query without records prints each column label with an empty value, then
"0 rows"; a page-mode pause never happens for it.
=== backends
sqlite postgresql
=== setup
create table t (id integer, name text)
=== args
{account}
=== stdin
select id, name as "the name" from t
=== stdout noeol
DVSQL: id: 
the name: 
0 rows
DVSQL: 
