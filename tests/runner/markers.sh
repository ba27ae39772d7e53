#!/usr/bin/env bash
# The transcript runner's {setup} and {teardown} markers: what they expand to for several dvsql
# command lines (seen with --expand), that --print writes a normal session's log with them, and
# that a malformed marker or a command line that starts no session is refused with exit status
# 2 and a file:line: message.
#
# Usage: markers.sh TRANSCRIPT_RUNNER DVSQL SCRIPT_DRIVER
set -euo pipefail

(($# == 3)) || { echo "usage: markers.sh TRANSCRIPT_RUNNER DVSQL SCRIPT_DRIVER" >&2; exit 2; }
runner=$1
dvsql=$2
driver=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/dvsql-markers.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

run() {
  "$runner" --dvsql "$dvsql" --script-driver "$driver" "$@"
}

# expands NAME ARGS: takes the driver and log sections of a case with dvsql arguments ARGS
# from the first here-document (fd 3) and what --expand must print from standard input.
expands() {
  local name=$1 args=$2 status=0
  { printf '=== args\n%s\n' "$args"; cat <&3; } >"$work/$name.t"
  cat >"$work/$name.expected"
  run --expand "$work/$name.t" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  if ((status != 0)) || [[ -s $work/$name.err ]]; then
    fail "$name: --expand exited with $status: $(cat "$work/$name.err")"
  elif ! diff -u "$work/$name.expected" "$work/$name.out" >"$work/$name.diff"; then
    fail "$name: expanded differently:"
    cat "$work/$name.diff"
  fi
}

# refused NAME ARGS LINE MESSAGE: a case with dvsql arguments ARGS whose driver section holds
# a call and then LINE must be refused with exit status 2 and "<file>:5: MESSAGE".
refused() {
  local name=$1 args=$2 line=$3 message=$4
  printf '=== args\n%s\n=== driver\nSQLAllocEnv 0 1\n%s\n' "$args" "$line" >"$work/$name.t"
  refused_file "$name" "5: $message"
}

# refused_file NAME WHAT: the case NAME.t must be refused with exit status 2 and
# "<file>:WHAT" on standard error, nothing on standard output.
refused_file() {
  local name=$1 expected="$work/$1.t:$2" status=0
  run --expand "$work/$name.t" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  if ((status != 2)) || [[ -s $work/$name.out ]] || [[ $(cat "$work/$name.err") != "$expected" ]]; then
    fail "$name: expected exit status 2 and: $expected"
    echo "  got exit status $status, stdout: $(cat "$work/$name.out")"
    echo "  stderr: $(cat "$work/$name.err")"
  fi
}

# --- What the markers stand for -------------------------------------------------------------

# 1NF mode (the default) makes the 1NF option call; the account shows with its length.
expands default_mode '-s acct' 3<<'CASE' <<'EXPECTED'
=== driver
{setup}
SQLExecDirect 0
{teardown}
=== log
{setup}
SQLExecDirect(3, "x", 1) -> 0
{teardown}
CASE
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption 0
SQLConnect 0
SQLGetInfo 0 30
SQLAllocStmt 0 3
SQLExecDirect 0
SQLFreeStmt 0
SQLDisconnect 0
SQLFreeConnect 0
SQLFreeEnv 0
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", 4) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLExecDirect(3, "x", 1) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
EXPECTED

# Combined letters: -cem2 is empty-to-NULL in NF2 mode, the empty-NULL option alone. The account
# is escaped and counted in bytes as the driver logs it.
expands combined_letters "-cem2 'a \"b\"\\c'" 3<<'CASE' <<'EXPECTED'
=== driver
=== log
{setup}
CASE
=== driver
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1003, 1, "") -> 0
SQLConnect(2, "localdv", 127, "a \"b\"\\c", 7) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
EXPECTED

# A later mode overrides an earlier one; -e and 1NF mode make both option calls, 1NF first. A
# long account is cut as the driver cuts it.
expands both_options '-m2 -e -m1 {repeat:70:x}' 3<<'CASE' <<'EXPECTED'
=== driver
=== log
{setup}
CASE
=== driver
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLSetConnectOption(2, 1003, 1, "") -> 0
SQLConnect(2, "localdv", 127, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"...(70 bytes), 70) -> 0
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
EXPECTED

# "before" stops at the first call of a function, and a marker that stands for no call leaves
# no empty line; "with" puts the case's line, substitutions applied, in place of one call's.
expands before_and_with '-e acct' 3<<'CASE' <<'EXPECTED'
=== driver
{setup before SQLSetConnectOption}
SQLSetConnectOption -1
{setup before SQLAllocEnv}
{teardown with SQLDisconnect -{repeat:1:1}}
=== log
{setup with SQLConnect(2, "localdv", 127, "acct", {int}) -> -1}
{teardown before SQLFreeConnect}
CASE
=== driver
SQLAllocEnv 0 1
SQLAllocConnect 0 2
SQLSetConnectOption -1
SQLFreeStmt 0
SQLDisconnect -1
SQLFreeConnect 0
SQLFreeEnv 0
=== log
SQLAllocEnv(&env) -> 0
SQLAllocConnect(1, &dbc) -> 0
SQLSetConnectOption(2, 1002, 1, "") -> 0
SQLSetConnectOption(2, 1003, 1, "") -> 0
SQLConnect(2, "localdv", 127, "acct", {int}) -> -1
SQLGetInfo(2, 30, &value, 2, NULL) -> 0
SQLAllocStmt(2, &stmt) -> 0
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
EXPECTED

# A marker on a last line without a newline expands without one; {{ makes a line that starts
# like a marker literal; markers count only at the start of a line.
expands literal_and_noeol '-s acct' 3<<'CASE' <<'EXPECTED'
=== driver
{{setup}
SQLExecDirect 0 {setup}
=== log noeol
{teardown}
CASE
=== driver
{setup}
SQLExecDirect 0 {setup}
=== log noeol
SQLFreeStmt(3, 2) -> 0
SQLDisconnect(2) -> 0
SQLFreeConnect(2) -> 0
SQLFreeEnv(1) -> 0
EXPECTED

# --- --print writes a normal session's log with the markers ---------------------------------

printf '=== args\n-s acct\n=== driver\n{setup}\n{teardown}\n' >"$work/print.t"
status=0
run --print "$work/print.t" >"$work/print.out" 2>&1 || status=$?
if ((status != 0)) || ! grep -qzF $'=== log\n{setup}\n{teardown}\n' "$work/print.out"; then
  fail "print: expected a passing run whose log is printed as {setup} and {teardown}:"
  cat "$work/print.out"
fi

# --- Refused markers ------------------------------------------------------------------------

refused unclosed '-s acct' '{setup' \
  "marker '{setup' does not end in '}' (a marker is a line of its own)"
refused trailing_text '-s acct' '{setup} SQLFetch 0' \
  "marker '{setup} SQLFetch 0' does not end in '}' (a marker is a line of its own)"
refused unknown_name '-s acct' '{setups}' \
  "unknown marker '{setups}' (expected {setup} or {teardown})"
refused unknown_modifier '-s acct' '{teardown after SQLDisconnect}' \
  "unknown marker modifier 'after' (expected 'before CALL' or 'with LINE')"
refused before_nothing '-s acct' '{setup before}' \
  "'before' takes one function name: {setup before CALL}"
refused before_two '-s acct' '{setup before SQLConnect SQLGetInfo}' \
  "'before' takes one function name: {setup before CALL}"
refused before_other_call '-m2 acct' '{setup before SQLSetConnectOption}' \
  "'SQLSetConnectOption' is not a call of {setup} with these arguments (SQLAllocEnv, SQLAllocConnect, SQLConnect, SQLGetInfo, SQLAllocStmt)"
refused with_nothing '-s acct' '{teardown with }' \
  "'with' takes the line of a call: {teardown with LINE}"
refused with_other_call '-s acct' '{teardown with SQLFetch 0}' \
  "'SQLFetch' is not a call of {teardown} with these arguments (SQLFreeStmt, SQLDisconnect, SQLFreeConnect, SQLFreeEnv)"
refused with_twice '-e acct' '{setup with SQLSetConnectOption -1}' \
  "{setup} makes more than one SQLSetConnectOption call; write them out with 'before'"
refused with_bad_substitution '-s acct' '{setup with SQLGetInfo 0 {repeat:x:y}}' \
  "{repeat:N:TEXT} needs a decimal count N of at most 10000000"

refused help '-s -help acct' '{setup}' \
  "{setup} and {teardown} need dvsql arguments that start a session: -help is given"
refused no_account '-s' '{teardown}' \
  "{setup} and {teardown} need dvsql arguments that start a session: no account is given"
refused two_accounts 'a b' '{setup}' \
  "{setup} and {teardown} need dvsql arguments that start a session: two accounts are given"
refused bad_mode '-sm3 acct' '{setup}' \
  "{setup} and {teardown} need dvsql arguments that start a session: the mode of -sm3 is not 1 or 2"

# A marker in the log, after a multi-line driver section, is reported at its own line.
printf '=== args\n-s acct\n=== driver\n{setup}\n{teardown}\n=== log\n{setup}\nSQLFetch(3) -> 0\n{teardown before SQLFetch}\n' \
  >"$work/log_line.t"
refused_file log_line \
  "9: 'SQLFetch' is not a call of {teardown} with these arguments (SQLFreeStmt, SQLDisconnect, SQLFreeConnect, SQLFreeEnv)"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all marker checks passed"
