Without arguments dvsql prints the two usage lines on standard error and exits 1.
=== args
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
