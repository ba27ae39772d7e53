-m2 selects NF2 mode: no 1NF option is set; SQLite's tables are flat, so
results look the same.
=== backends
sqlite postgresql
=== args
-s -m2 {account}
=== stdin
select 1 as one, 'two' as two
=== stdout
one: 1
two: two
1 row
