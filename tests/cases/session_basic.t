A first session: a table is created and filled, and a query prints its records
as "label: value" lines separated by empty lines, then the row count. DDL shows
nothing; an INSERT shows its row count.
=== args
-c {account}
=== stdin
create table t (id integer primary key, name text, score real)
insert into t values (1, 'ann', 2.5)
insert into t values (2, 'bob', null), (3, 'cy', -1)
select * from t order by id
=== stdout noeol
DVSQL: DVSQL: 1 row
DVSQL: 2 rows
DVSQL: id: 1
name: ann
score: 2.5

id: 2
name: bob
score: 

id: 3
name: cy
score: -1.0
3 rows
DVSQL: 
