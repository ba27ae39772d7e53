Invalid command line (two non-option arguments): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
{account} other
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
