-e on PostgreSQL (DCI_EMPTY_NULL): every empty string literal is sent as NULL,
in each of PostgreSQL's forms ('', E'', U&'', $$$$), while quoted quotes,
comments and bit strings stay as they are; an empty text computed by the server
is not NULL there but reads back as NULL (printed as an empty value).
=== backends
postgresql
=== args
-se {account}
=== stdin
create table t (a text, b text)
insert into t values ('', 'x'), ('y', '')
select a is null as a_null, a, b is null as b_null, b from t order by a nulls first
select '' is null as literal_null, 'it''s' as kept, '''' as quote, '' /* '' */ is null as c -- ''
select E'' is null as escape_null, U&'' is null as unicode_null, $$$$ is null as dollar_null
select repeat('x', 0) is null as computed_null, repeat('x', 0) as v, B'' as bits
=== stdout
2 rows
a_null: t
a: 
b_null: f
b: x

a_null: f
a: y
b_null: t
b: 
2 rows
literal_null: t
kept: it's
quote: '
c: t
1 row
escape_null: t
unicode_null: t
dollar_null: t
1 row
computed_null: f
v: 
bits: 
1 row
