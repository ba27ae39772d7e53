#!/usr/bin/env bash
# dvsql streams a PostgreSQL result: printing 1,000,000 rows must keep its peak resident set under
# 16 MiB, however long the result. The output is checked too (its last record and row count), so
# that a run that printed nothing cannot pass.
#
# Usage: bounded_memory.sh DVSQL TIMEIT SANITIZED
#   TIMEIT     bench_timeit (reports the peak RSS), or "none" when it is not built
#   SANITIZED  1 in a sanitizer build, whose shadow memory makes RSS meaningless: the test skips
set -euo pipefail

(($# == 3)) || { echo "usage: bounded_memory.sh DVSQL TIMEIT SANITIZED" >&2; exit 2; }
dvsql=$1
timeit=$2
sanitized=$3
limit_kib=$((16 * 1024))
rows=1000000

if [[ -z ${DVSQL_TEST_PG:-} ]]; then
  echo "skipped: DVSQL_TEST_PG is not set"
  exit 77
fi
if [[ $sanitized == 1 ]]; then
  echo "skipped: peak RSS means nothing under sanitizers"
  exit 77
fi
if [[ $timeit == none || ! -x $timeit ]]; then
  echo "skipped: bench_timeit is not built (DV_BUILD_BENCH is off)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/dvsql-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "select g, md5(g::text) from generate_series(1, $rows) g" >"$work/query.sql"
# The output goes through a fifo to tail, so that 50 MB never reach the disk.
mkfifo "$work/out"
tail -n 3 <"$work/out" >"$work/last" &
tail_pid=$!
result=$("$timeit" -i "$work/query.sql" -o "$work/out" -- "$dvsql" -s -c "$DVSQL_TEST_PG dbname=postgres")
wait "$tail_pid"
read -r seconds kib <<<"$result"

expected=$(printf 'g: %d\nmd5: %s\n%d rows' "$rows" "$(printf '%d' "$rows" | md5sum | cut -d' ' -f1)" "$rows")
if [[ $(<"$work/last") != "$expected" ]]; then
  echo "FAILED: the output does not end as expected"
  echo "--- expected:"
  echo "$expected"
  echo "--- actual:"
  cat "$work/last"
  exit 1
fi
echo "$rows rows in $seconds s, peak RSS $kib KiB (limit $limit_kib KiB)"
if ((kib >= limit_kib)); then
  echo "FAILED: peak RSS $kib KiB is not under $limit_kib KiB: the result is held in memory"
  exit 1
fi
