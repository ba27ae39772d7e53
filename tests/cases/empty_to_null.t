-e maps empty strings to NULL: an empty literal is stored as NULL, and an empty
text read back reports NULL (printed as an empty value either way).
=== args
-se {account}
=== stdin
create table t (a text, b text)
insert into t values ('', 'x')
select a is null as a_null, a, b from t
select '' is null as literal_null
=== stdout
1 row
a_null: 1
a: 
b: x
1 row
literal_null: 1
1 row
