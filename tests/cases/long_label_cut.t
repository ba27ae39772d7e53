A column label longer than the label slot (4 x 255 + 1 bytes) is cut with the
warning 01004; the result is shown with the cut label.
=== args
-s {account}
=== stdin
select 1 as {repeat:1100:L}
=== stdout
{repeat:1020:L}: 1
1 row
=== stderr
SQLColAttributes(DCI_COLUMN_LABEL): RETCODE=1, SQLState="01004", NativeError=0
ErrorMsg = "[dvsql][DCI] Data truncated"
