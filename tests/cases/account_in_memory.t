The account ":memory:" is a private in-memory database: it works without a
directory and starts empty every time.
=== args
-s :memory:
=== stdin
create table t (a)
insert into t values ('x')
select a from t
=== stdout
1 row
a: x
1 row
