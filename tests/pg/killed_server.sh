#!/usr/bin/env bash
# A PostgreSQL server killed under a running dvsql session: the next statement must fail with
# state 08S01 within seconds (no hang on the dead socket), and dvsql must still read its input to
# the end and exit normally (status 0 or 1, no signal). Uses a throwaway cluster of its own, since
# the shared test cluster must survive.
#
# Usage: killed_server.sh DVSQL PG_CLUSTER     (skips with 77 when DVSQL_TEST_PG is not set)
set -euo pipefail

if [[ -z ${DVSQL_TEST_PG:-} ]]; then
  echo "skipped: DVSQL_TEST_PG is not set"
  exit 77
fi
(($# == 2)) || { echo "usage: killed_server.sh DVSQL PG_CLUSTER" >&2; exit 2; }
dvsql=$1
pg_cluster=$2

fail() {
  echo "FAILED: $*"
  for part in out err; do
    [[ -f $work/$part ]] || continue
    echo "--- dvsql's std$part:"
    cat -A "$work/$part" | cut -c 1-300
  done
  exit 1
}

# The cluster directory must be reachable by the server's user, so it is not inside $work
# (mktemp makes directories that only their owner may enter).
work=$(mktemp -d "${TMPDIR:-/tmp}/dvsql-killed.XXXXXX")
cluster=$(mktemp -d "${TMPDIR:-/tmp}/dvsql-killed-pg.XXXXXX")
dvsql_pid=
cleanup() {
  exec 3>&- 2>/dev/null || true
  if [[ -n $dvsql_pid ]] && kill -0 "$dvsql_pid" 2>/dev/null; then kill -KILL "$dvsql_pid" || true; fi
  "$pg_cluster" stop "$cluster" >/dev/null || echo "warning: could not remove the cluster in $cluster"
  rm -rf "$work"
}
trap cleanup EXIT

conninfo=$("$pg_cluster" start "$cluster")

# Waits up to $1 seconds for file $2 to contain the fixed string $3.
wait_for() {
  local deadline=$((SECONDS + $1))
  while ! grep -qF -- "$3" "$2"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# dvsql reads statements from a fifo, so that the test decides when each one arrives.
mkfifo "$work/in"
"$dvsql" -s -c "$conninfo dbname=postgres" <"$work/in" >"$work/out" 2>"$work/err" &
dvsql_pid=$!
exec 3>"$work/in"

echo "select 'alive' as state" >&3
wait_for 10 "$work/out" "1 row" || fail "the first query gave no result within 10 s"

# The postmaster and every process it started, the session's backend included, die without a
# word. The postmaster is stopped first: otherwise a backend may see it die and send a farewell
# error before its own SIGKILL arrives, and the postmaster must not restart the killed children.
postmaster=$(sed -n 1p "$cluster/data/postmaster.pid")
[[ $postmaster =~ ^[0-9]+$ ]] || fail "no postmaster pid in $cluster/data/postmaster.pid"
kill -STOP "$postmaster"
# shellcheck disable=SC2046
kill -KILL $(ps -o pid= --ppid "$postmaster")
kill -KILL "$postmaster"

start=$SECONDS
echo "select 'dead' as state" >&3
wait_for 5 "$work/err" 'SQLState="08S01"' ||
  fail "no 08S01 report within 5 s of the statement sent to the dead server"
echo "08S01 reported after $((SECONDS - start)) s (whole seconds)"

# The end of input must end the session, with or without an error at disconnection.
exec 3>&-
deadline=$((SECONDS + 10))
while kill -0 "$dvsql_pid" 2>/dev/null; do
  ((SECONDS < deadline)) || fail "dvsql did not end within 10 s of the end of its input"
  sleep 0.05
done
status=0
wait "$dvsql_pid" || status=$?
dvsql_pid=
((status <= 1)) || fail "dvsql ended with status $status (over 128: killed by signal $((status - 128)))"

[[ $(<"$work/out") == $'state: alive\n1 row' ]] || fail "unexpected standard output"
grep -q '^SQLExecDirect(): RETCODE=-1, SQLState="08S01", NativeError=0$' "$work/err" ||
  fail "the failing call is not SQLExecDirect with state 08S01"
grep -q '^ErrorMsg = "\[dvsql\]\[PostgreSQL\] ' "$work/err" ||
  fail "the report has no PostgreSQL message"
echo "passed: exit status $status"
echo "--- dvsql's stderr:"
cat "$work/err"
