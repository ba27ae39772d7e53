#!/usr/bin/env bash
# Runs scripts/check-layers on small made-up trees: it must pass a tree whose
# includes all run downwards and fail, naming the place, on each kind of
# upward include.
set -euo pipefail
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# make_tree DIR: a clean tree with one file per folder, each including the one below.
make_tree() {
  mkdir -p "$1"/{platform,object,status,datum,dv,dci,interp,tests/support}
  echo '#include <cstdio>' >"$1/platform/P.h"
  echo '#include "platform/P.h"' >"$1/object/O.h"
  printf '#include "object/O.h"\n#include "platform/P.h"\n' >"$1/status/S.h"
  echo '#include "status/S.h"' >"$1/datum/D.h"
  echo '#include "datum/D.h"' >"$1/dv/V.h"
  echo '#include "dci/C2.h"' >"$1/dci/C.h"
  printf '#include "dci/C.h"\n#include "dv/V.h"\n' >"$1/interp/I.cpp"
  echo '#include "tests/support/T.h"' >"$1/object/O_test.cpp"
}

# expect NAME STATUS TEXT DIR: check-layers on DIR exits with STATUS and prints TEXT.
expect() {
  local name=$1 want=$2 text=$3 dir=$4 out rc=0
  out=$("$check" "$dir" 2>&1) || rc=$?
  local bad=0
  [ "$rc" = "$want" ] || bad=1
  if [ -n "$text" ] && [ "${out#*"$text"}" = "$out" ]; then bad=1; fi
  if [ -z "$text" ] && [ -n "$out" ]; then bad=1; fi
  if [ "$bad" = 1 ]; then
    echo "FAIL $name: status $rc (want $want), output: $out"
    failures=$((failures + 1))
  fi
}

make_tree "$tmp/clean"
expect clean 0 "" "$tmp/clean"

make_tree "$tmp/up"
printf '// x\n#include "status/S.h"\n' >>"$tmp/up/object/O.h"
expect object-includes-status 1 "object/O.h:3: object includes status/S.h" "$tmp/up"

make_tree "$tmp/dci"
echo '#include "object/O.h"' >>"$tmp/dci/dci/C.h"
expect dci-includes-library 1 "dci/C.h:2: dci includes object/O.h" "$tmp/dci"

make_tree "$tmp/support"
echo '#include "tests/support/T.h"' >>"$tmp/support/object/O.h"
expect support-only-for-tests 1 "object/O.h:2: object includes tests/support/T.h" "$tmp/support"

make_tree "$tmp/lib-interp"
echo '#include "interp/I.h"' >>"$tmp/lib-interp/dv/V.h"
expect library-includes-interp 1 "dv/V.h:2: dv includes interp/I.h" "$tmp/lib-interp"

[ "$failures" -eq 0 ] && echo "check-layers: all cases passed"
exit $((failures > 0))
