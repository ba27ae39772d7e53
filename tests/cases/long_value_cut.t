A value longer than the 20,479-byte value limit is cut by the driver to fit
(20,478 characters and the terminator): the warning 01004 is reported, then
the cut value is printed and the loop goes on.
=== args
-s {account}
=== stdin
select printf('%.*c', 30000, 'v') as big, 'after' as next
=== stdout
big: {repeat:20478:v}
next: after
1 row
=== stderr
SQLGetData(): RETCODE=1, SQLState="01004", NativeError=0
ErrorMsg = "[dvsql][DCI] Data truncated"
