A statement of exactly 20,479 characters fits the statement buffer and runs.
=== backends
sqlite postgresql
=== args
-s {account}
=== stdin
select length('{repeat:20457:a}') as n
=== stdout
n: 20457
1 row
