A driver library whose export table has another interface version is refused
at start-up.
=== args
acct
=== driver
abi 7
=== stderr
dvsql: DCI driver {driver} has interface version 7, expected 1
=== status
1
