When the label block cannot be allocated (32,767 columns x 32,765-byte slots,
about 1 GiB, under a 256 MiB address-space limit) the interpreter writes "Out of
memory" and exits 1 with no further DCI call.
=== args
-s acct
=== limits
as 256M
=== driver
{setup with SQLGetInfo 0 8191}
SQLExecDirect 0
SQLNumResultCols 0 32767
=== stdin
select * from wide
=== stderr
Out of memory
=== status
1
=== log
{setup}
SQLExecDirect(3, "select * from wide", 18) -> 0
SQLNumResultCols(3, &count) -> 0
