#!/usr/bin/env bash
# Compiles the locales that the locale tests use into one directory, which the
# tests name in LOCPATH, so that they depend on the C library's locale sources
# only and never on the locales the machine has installed. The machine's own
# locale configuration is left alone.
#
# Usage: build-locales.sh DIR SOURCE...   (SOURCE such as de_DE; the locale is
# DIR/SOURCE.UTF-8). A locale already built from an unchanged source is kept.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 DIR SOURCE..." >&2
  exit 2
fi
dir=$1
shift
i18n=/usr/share/i18n

fail() {
  echo "build-locales: $1." >&2
  echo "build-locales: install Debian's 'locales' package (scripts/deps installs it)." >&2
  exit 1
}

command -v localedef >/dev/null 2>&1 || fail "localedef is missing"
[ -e "$i18n/charmaps/UTF-8.gz" ] || [ -e "$i18n/charmaps/UTF-8" ] ||
  fail "the UTF-8 character map is missing from $i18n/charmaps"

mkdir -p "$dir"
for source in "$@"; do
  input=$i18n/locales/$source
  [ -f "$input" ] || fail "the locale source $input is missing"
  out=$dir/$source.UTF-8
  if [ -f "$out/LC_IDENTIFICATION" ] && [ "$out/LC_IDENTIFICATION" -nt "$input" ]; then
    continue
  fi
  # Built aside and moved into place, so that an interrupted run leaves no
  # half-built locale that a later run would take as complete.
  work=$(mktemp -d "$dir/.build-$source.XXXXXX")
  # -c writes the locale also when localedef warns (status 1); status 4 and
  # above mean no usable output.
  status=0
  localedef -c -i "$input" -f UTF-8 "$work/$source.UTF-8" >"$work/log" 2>&1 || status=$?
  if [ $status -gt 1 ] || [ ! -f "$work/$source.UTF-8/LC_IDENTIFICATION" ]; then
    cat "$work/log" >&2
    rm -rf "$work"
    fail "localedef could not compile $source (status $status)"
  fi
  rm -rf "$out"
  mv "$work/$source.UTF-8" "$out"
  rm -rf "$work"
done
