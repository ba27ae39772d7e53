#!/usr/bin/env bash
# Runs one example program and compares its standard output byte for byte
# with the expected output; on a difference prints it and fails. The
# program's standard error is passed through, and a program that fails fails
# the check even when its output matches.
# Usage: run_example.sh EXPECTED PROGRAM [ARG...]
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 EXPECTED PROGRAM [ARG...]" >&2
  exit 2
fi
expected=$1
shift
actual=$(mktemp "${TMPDIR:-/tmp}/dv-example.XXXXXX")
trap 'rm -f "$actual"' EXIT

status=0
"$@" >"$actual" || status=$?
if ! diff -u --label expected --label actual "$expected" "$actual"; then
  echo "run_example: the output of $(basename "$1") differs from $expected" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "run_example: $(basename "$1") exited with status $status" >&2
  exit 1
fi
