#!/usr/bin/env bash
# Runs scripts/reference on a small made-up header tree: the list of undocumented declarations
# must be exactly the ones the header leaves without a comment (so the comment filter keeps and
# drops what it should), the pages must carry the comments, and the baseline check must pass an
# exact baseline and fail, naming the entry, on a new undocumented declaration, on an entry
# that is documented now and without doxygen.
#
#   docs/reference_test.sh SCRIPT WORKDIR
set -euo pipefail
reference=$1
work=$2
rm -rf "$work"
mkdir -p "$work/tree/object" "$work/tree/object/internal"
failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

cat >"$work/tree/object/Fixture.h" <<'EOF'
// Fixture: a made-up class whose description is this opening paragraph.
//
// A second paragraph of the file comment.
#ifndef DV_OBJECT_FIXTURE_H_
#define DV_OBJECT_FIXTURE_H_

namespace dv {

// The fixture's flags.
inline constexpr int kFixtureFirst = 1;
inline constexpr int kFixtureSecond = 2;  // the second flag

// A heading over what follows, with a blank line after it: it documents nothing.

int undocumentedFunction(int x);

// Answers x plus one.
int documentedFunction(int x);

class Fixture {
 public:
  // The value as a small number, "in \n quotes", \n outside them, user@example.
  int asShort() const;
  int asLong() const;
  int unrelated() const;
  int trailing() const;  // documented after its declaration
  int withBody() const {
    // A comment inside a body documents nothing.
    return 0;
  }

 private:
  // Private members are not in the reference.
  int hidden_ = 0;
};

}  // namespace dv

#endif  // DV_OBJECT_FIXTURE_H_
EOF
# Internal headers are not installed, so they are not read.
printf 'namespace dv {\nint internalHelper();\n}\n' >"$work/tree/object/internal/Helper.h"

cat >"$work/expected.txt" <<'EOF'
object/Fixture.h:dv::Fixture::unrelated() const
object/Fixture.h:dv::Fixture::withBody() const
object/Fixture.h:dv::undocumentedFunction(int x)
EOF

# run NAME WANT-STATUS BASELINE TEXT...: the check with BASELINE exits WANT-STATUS and its
# output holds each TEXT.
run() {
  local name=$1 want=$2 baseline=$3 rc=0 text
  shift 3
  "$reference" --root "$work/tree" --check "$baseline" "$work/out-$name" >"$work/$name.out" 2>&1 ||
    rc=$?
  [ "$rc" = "$want" ] || fail "$name: status $rc (want $want): $(cat "$work/$name.out")"
  for text in "$@"; do
    grep -qF -- "$text" "$work/$name.out" || fail "$name: no \"$text\" in: $(cat "$work/$name.out")"
  done
}

run exact 0 "$work/expected.txt" "are those of"
if ! cmp -s "$work/expected.txt" "$work/out-exact/undocumented.txt"; then
  fail "list: got $(cat "$work/out-exact/undocumented.txt")"
fi

# The pages carry the comments: the class its file's paragraph, a run of related members the
# comment above the first, constants the comment above the group, escapes as written.
html=$work/out-exact/html
# page_text PAGE: the page's text without its tags, on one line; empty for a missing page.
page_text() {
  if [ -f "$1" ]; then
    sed -e 's/<[^>]*>//g' "$1" | tr -s ' \n' ' '
  else
    fail "pages: no $1" >&2
  fi
}
page_text "$html/classdv_1_1Fixture.html" >"$work/class.txt"
page_text "$html/Fixture_8h.html" >"$work/file.txt"
for text in "Fixture: a made-up class whose description is this opening paragraph." \
    "A second paragraph of the file comment." "The value as a small number" \
    '"in \n quotes", \n outside them, user@example' "documented after its declaration"; do
  grep -qF -- "$text" "$work/class.txt" || fail "class page: no \"$text\""
done
grep -qE 'asLong \(\) const [^A-Za-z]*The value as a small number' "$work/class.txt" ||
  fail "class page: asLong does not share the comment of asShort"
grep -qF "inside a body" "$work/class.txt" && fail "class page: a comment from a body"
grep -qF "Private members" "$work/class.txt" && fail "class page: a private member's comment"
for text in "Fixture: a made-up class" "A second paragraph of the file comment." \
    "Answers x plus one." "The fixture's flags." "the second flag"; do
  grep -qF -- "$text" "$work/file.txt" || fail "file page: no \"$text\""
done
grep -qF "A heading over what follows" "$work/file.txt" && fail "file page: a heading documents"
grep -qF "internalHelper" "$work/file.txt" "$work/class.txt" "$work/out-exact/undocumented.txt" &&
  fail "an internal header was read"

# A declaration that loses its comment is new in the list.
sed -i '/The value as a small number/d' "$work/tree/object/Fixture.h"
run new 1 "$work/expected.txt" "FAILED: undocumented" \
  "object/Fixture.h:dv::Fixture::asShort() const" "object/Fixture.h:dv::Fixture::asLong() const"

# With them in the baseline the check passes; an entry whose declaration has a comment must
# leave the baseline.
{
  cat "$work/expected.txt"
  echo "object/Fixture.h:dv::Fixture::asLong() const"
  echo "object/Fixture.h:dv::Fixture::asShort() const"
} | LC_ALL=C sort >"$work/now.txt"
run now 0 "$work/now.txt" "are those of"
cp "$work/now.txt" "$work/stale.txt"
echo "object/Fixture.h:dv::documentedFunction(int x)" >>"$work/stale.txt"
run stale 1 "$work/stale.txt" "remove these lines" "object/Fixture.h:dv::documentedFunction(int x)"

# Without doxygen the check fails instead of passing unchecked.
mkdir -p "$work/bin"
for tool in bash env dirname basename cat mkdir rm python3 sed grep sort comm wc; do
  ln -sf "$(command -v "$tool")" "$work/bin/$tool"
done
rc=0
PATH=$work/bin "$reference" --root "$work/tree" --check "$work/now.txt" "$work/out-nodoxygen" \
  >"$work/nodoxygen.out" 2>&1 || rc=$?
[ "$rc" = 1 ] || fail "no doxygen: status $rc (want 1)"
grep -qF "doxygen is not installed" "$work/nodoxygen.out" ||
  fail "no doxygen: $(cat "$work/nodoxygen.out")"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "scripts/reference: list, pages and baseline check behave"
