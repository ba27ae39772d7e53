-help alone prints the 18 help lines on standard error and exits 1.
=== args
-help
=== stderr
usage: dvsql [ -help options ] account
options: -[cepstx] -m<m>

Dorvane SQL interpreter for 1NF/NF2 modes.

Arguments:
account	Location of database.

Options:
-c	Turn "page mode" off (i.e., make output continuous).
-e	Turn on empty->NULL mapping.
-m<m>	Use 1NF/NF2 mode.  <m> is one of 1, 2.  Default is 1.
-s	Execute silently (no prompts; page mode is turned off; errors
	are still reported).
-p	Turn "page mode" on (default): Every record requires a <CR>
	to continue.
-t	Time each statement.
-x	Echo each statement entered.
=== status
1
