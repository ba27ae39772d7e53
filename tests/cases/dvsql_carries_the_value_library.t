dvsql links the whole value library: its class descriptors are made before
main runs. DV_CLASS_LIST makes the library's start-up list them, newest first.
=== args
=== env
DV_CLASS_LIST=1
=== stderr
class Nil
class Class
class Object
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>
=== status
1
