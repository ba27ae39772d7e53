Without -e an empty string stays an empty string and NULL stays NULL; both
print as empty values.
=== args
-s {account}
=== stdin
create table t (a text)
insert into t values (''), (null)
select a is null as is_null, a from t order by rowid
=== stdout
2 rows
is_null: 0
a: 

is_null: 1
a: 
2 rows
