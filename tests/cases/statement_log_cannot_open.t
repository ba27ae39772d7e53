A statement log that cannot be opened is one warning before the session starts; the
session then runs as without a log.
=== env
DVSQL_LOG={tmp}/missing/statements.log
=== args
-s -c {account}
=== stdin
select 1 as a
=== stdout
a: 1
1 row
=== stderr
dvsql: cannot open statement log {tmp}/missing/statements.log: No such file or directory; statements are not logged
