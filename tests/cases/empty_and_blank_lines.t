An empty line sends nothing and is not echoed; a line of blanks is sent (and
shows nothing: it is no query and no modification). With -x each statement is
echoed before it runs.
=== backends
sqlite postgresql
=== args
-x -c {account}
=== stdin

   
select 'hi' as greeting

=== stdout noeol
DVSQL: DVSQL:    
DVSQL: select 'hi' as greeting
greeting: hi
1 row
DVSQL: DVSQL: 
