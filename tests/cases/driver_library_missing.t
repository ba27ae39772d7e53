DVSQL_DCI naming a library that cannot be loaded is a fatal start-up error.
=== args
acct
=== env
DVSQL_DCI=/nonexistent/dci_driver.so
=== stderr
dvsql: cannot load DCI driver /nonexistent/dci_driver.so: /nonexistent/dci_driver.so: cannot open shared object file: No such file or directory
=== status
1
