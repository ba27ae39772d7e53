Invalid command line (the mode given as a separate argument (2 is then a second account)): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
-m 2 {account}
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
