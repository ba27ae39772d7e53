Invalid command line (a lone dash before the account): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
- {account}
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
