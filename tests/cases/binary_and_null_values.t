Binary values print as upper-case hexadecimal, NULL as an empty value, reals
in SQLite's text form.
=== args
-s {account}
=== stdin
select x'00ff10ab' as b, null as n, 1e308 * 10 as big, 0.1 + 0.2 as r, -7 as i
=== stdout
b: 00FF10AB
n: 
big: Inf
r: 0.3
i: -7
1 row
