A failing write to the statement log is one warning; later statements are not logged and
warn no more, and the output is what it is without a log.
=== env
DVSQL_LOG=/dev/full
=== args
-s -c {account}
=== stdin
select 1 as a
select 2 as b
=== stdout
a: 1
1 row
b: 2
1 row
=== stderr
dvsql: cannot write statement log /dev/full: No space left on device; no further statements are logged
