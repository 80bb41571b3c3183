# Helpers for the command-line tests: CLI is the tool, SRC the source tree.
set -u
CLI="$1"
SRC="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
checks=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# same NAME EXPECTED-FILE ACTUAL-FILE
same() {
  checks=$((checks + 1))
  if ! cmp -s "$2" "$3"; then
    fail "$1"
    diff "$2" "$3" | head -20 >&2
  fi
}

# equal NAME EXPECTED ACTUAL
equal() {
  checks=$((checks + 1))
  [[ "$2" == "$3" ]] || fail "$1: expected [$2], got [$3]"
}

# contains NAME NEEDLE FILE
contains() {
  checks=$((checks + 1))
  grep -qF -- "$2" "$3" || { fail "$1: [$2] not in $3"; cat "$3" >&2; }
}

finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [[ $failures -eq 0 ]]
}
