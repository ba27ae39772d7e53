#!/usr/bin/env bash
# Checks dvsql's manual page: man formats it without a warning, and it names
# every option that dvsql's help text lists.
# Usage: check_page.sh DVSQL PAGE
set -euo pipefail
dvsql=$1
page=$2

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "man reports for $page:" >&2
  echo "$warnings" >&2
  exit 1
fi

# The help text exits 1 by design.
help=$("$dvsql" -help 2>&1 || true)
status=0
while read -r option; do
  if ! grep -qF -- "\\${option}" "$page"; then
    echo "the manual page does not name $option" >&2
    status=1
  fi
done < <(printf '%s\n' "$help" | sed -n 's/^\(-[a-z]\).*/\1/p')
exit $status
