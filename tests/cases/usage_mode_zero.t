Invalid command line (mode 0 is neither 1 nor 2): the usage lines, exit status 1, and no
connection is made (the scripted driver's log stays empty).
=== args
-m0 {account}
=== driver
=== log
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
