Row counts on PostgreSQL: INSERT, UPDATE and DELETE show the server's count,
"0 rows" when nothing matched; with RETURNING they are queries and show their
records. MERGE and a WITH ... DELETE are neither kind for dvsql and show nothing.
COPY to the client is refused (S1C00) and the loop goes on.
=== backends
postgresql
=== setup
create table t (n integer)
=== args
-s {account}
=== stdin
insert into t select g from generate_series(1, 5) g
update t set n = n + 10 where n > 3
update t set n = 0 where n > 100
delete from t where n = 1 returning n
merge into t using (select 2 as k) s on t.n = s.k when matched then delete
with x as (select 14 as v) delete from t where n in (select v from x)
insert into t values (7) returning n * 2 as doubled
copy t to stdout
select n from t order by n
=== stdout
5 rows
2 rows
0 rows
n: 1
1 row
doubled: 14
1 row
n: 3

n: 7

n: 15
3 rows
=== stderr
SQLExecDirect(): RETCODE=-1, SQLState="S1C00", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] COPY ... TO STDOUT is not supported"
