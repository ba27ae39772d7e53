Invalid command line (a mode followed by more letters): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
-m2x {account}
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
