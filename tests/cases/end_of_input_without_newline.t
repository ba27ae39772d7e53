A last line without a newline is discarded at the end of input.
=== backends
sqlite postgresql
=== setup
create table t (n integer)
=== args
-s {account}
=== stdin noeol
insert into t values (1)
insert into t values (2)
=== stdout
1 row
