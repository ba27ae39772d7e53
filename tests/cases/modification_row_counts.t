Row counts are shown for DELETE, INSERT and UPDATE in any case after leading
white space; a keyword followed by a tab, a statement that is neither (CREATE,
a WITH ... DELETE) and DDL show nothing at all after success.
=== setup
create table t (n integer)
=== args
-s {account}
=== stdin
insert into t values (1), (2), (3), (4)
  update t set n = n + 10 where n > 2
delete from t where n = 1
DELETE	FROM t WHERE n = 2
with x as (select 13 as v) delete from t where n in (select v from x)
create table u (a)
INSERT into u select n from t
select count(*) as left_over from t
=== stdout
4 rows
2 rows
1 row
1 row
left_over: 1
1 row
