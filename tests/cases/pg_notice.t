Notices and warnings from the server make the call return SQL_SUCCESS_WITH_INFO
with state 01000; the message quotes the notice's own SQLSTATE (its severity, NOTICE, for a plain
notice whose SQLSTATE is 00000) and text (and its
DETAIL; a HINT is not shown). Each notice of a call is one report, and the
statement's result is shown as usual: an identifier cut to PostgreSQL's 63 bytes
(notice 42622) labels its column cut.
=== backends
postgresql
=== args
-s {account}
=== stdin
do $$ begin raise notice 'hello %', 42; end $$
do $$ begin raise notice 'with detail' using detail = 'the detail', hint = 'a hint'; end $$
do $$ begin raise warning 'careful'; end $$
do $$ begin raise notice 'first'; raise notice 'second'; end $$
drop table if exists nosuch
select 1 as {repeat:70:l}
=== stdout
{repeat:63:l}: 1
1 row
=== stderr
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] NOTICE: hello 42"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] NOTICE: with detail DETAIL: the detail"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 01000: careful"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] NOTICE: first"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] NOTICE: second"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] NOTICE: table \"nosuch\" does not exist, skipping"
SQLExecDirect(): RETCODE=1, SQLState="01000", NativeError=0
ErrorMsg = "[dvsql][PostgreSQL] 42622: identifier \"{repeat:70:l}\" will be truncated to \"{repeat:63:l}\""
