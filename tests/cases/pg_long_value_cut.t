A PostgreSQL value longer than the 20,479-byte value limit is cut with the
warning 01004, at a character boundary: here 1 + 2 x 15,000 bytes of UTF-8 are
cut to 20,477 bytes, since the next two-byte character would not fit in 20,478.
A bytea value is cut in the same way after its hexadecimal form is made.
=== backends
postgresql
=== args
-s {account}
=== stdin
select 'a' || repeat('é', 15000) as big, 'after' as next
select decode(repeat('ab', 20000), 'hex') as bin
=== stdout
big: a{repeat:10238:é}
next: after
1 row
bin: {repeat:10239:AB}
1 row
=== stderr
SQLGetData(): RETCODE=1, SQLState="01004", NativeError=0
ErrorMsg = "[dvsql][DCI] Data truncated"
SQLGetData(): RETCODE=1, SQLState="01004", NativeError=0
ErrorMsg = "[dvsql][DCI] Data truncated"
