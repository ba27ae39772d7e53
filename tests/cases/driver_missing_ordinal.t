A driver library that lacks one of the bound ordinals is a fatal start-up
error: one line on standard error, exit status 1, no call made.
=== args
acct
=== driver
omit 15
=== stderr
dvsql: DCI driver {driver} does not export ordinal 15 (SQLExecDirect)
=== status
1
=== log
