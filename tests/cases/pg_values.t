Values print in PostgreSQL's text format, with two exceptions: bytea prints as
upper-case hexadecimal without the \x prefix, and NULL as an empty value (like
an empty string, which stays a string without -e). Session settings last from
one statement to the next: the settings that shape dates and floats are made
first, so that a cluster's own defaults do not matter.
=== backends
postgresql
=== args
-s {account}
=== stdin
set time zone 'UTC'
set datestyle = 'ISO, MDY'
set extra_float_digits = 1
select '\x00ff10ab'::bytea as b, 'abc'::bytea as text_b, ''::bytea as empty_b, null::bytea as null_b, null as n, '' as empty_text, '' is null as empty_is_null
select true as t, false as f, 42::smallint as s, -7 as i, 9007199254740993::bigint as big, 1.50::numeric(5,2) as num, 0.1::float8 + 0.2::float8 as d, 1.5::real as r, 'NaN'::float8 as nan, '-Infinity'::float8 as ninf
select date '2024-02-29' as d, timestamp '2024-02-29 13:45:00.5' as ts, timestamptz '2024-02-29 13:45:00+02' as tstz, interval '1 day 02:03:04' as iv
select array[1, 2, null] as a, '{"k": [1, "x"]}'::jsonb as j, 'a''b "c"' as quotes, 'é€' as utf8, row(1, 'x y') as rec
=== stdout
b: 00FF10AB
text_b: 616263
empty_b: 
null_b: 
n: 
empty_text: 
empty_is_null: f
1 row
t: t
f: f
s: 42
i: -7
big: 9007199254740993
num: 1.50
d: 0.30000000000000004
r: 1.5
nan: NaN
ninf: -Infinity
1 row
d: 2024-02-29
ts: 2024-02-29 13:45:00.5
tstz: 2024-02-29 11:45:00+00
iv: 1 day 02:03:04
1 row
a: {1,2,NULL}
j: {"k": [1, "x"]}
quotes: a'b "c"
utf8: é€
rec: (1,"x y")
1 row
