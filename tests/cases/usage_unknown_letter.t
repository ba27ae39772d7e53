Invalid command line (an unknown option letter in a cluster): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
-sz {account}
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
