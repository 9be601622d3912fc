#!/usr/bin/env bash
# diffrun from the command line: its usage, a refused option where the mode
# word belongs, and the differencer's message on standard error for the
# results 2 and 4.
#   diffrun_test.sh <path of diffrun>
set -u
diffrun=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
out="" err=""

# check <wanted status> <text standard output must hold, or ""> <text standard
# error must hold, or ""> diffrun-arguments...
check() {
  local want=$1 outtext=$2 errtext=$3
  shift 3
  local status=0
  "$diffrun" "$@" >"$tmp/out" 2>"$tmp/err" || status=$?
  out=$(cat "$tmp/out") err=$(cat "$tmp/err")
  if [ "$status" -ne "$want" ]; then
    echo "FAIL: diffrun $* gave status $status, wanted $want"
  elif [ -n "$outtext" ] && ! grep -qF -- "$outtext" <<<"$out"; then
    echo "FAIL: diffrun $* did not print: $outtext"
  elif [ -n "$errtext" ] && ! grep -qF -- "$errtext" <<<"$err"; then
    echo "FAIL: diffrun $* did not say on standard error: $errtext"
  else
    return 0
  fi
  echo "    standard output:"; sed 's/^/      /' "$tmp/out"
  echo "    standard error:"; sed 's/^/      /' "$tmp/err"
  failures=$((failures + 1))
}

cd "$tmp"
printf 'a\nb\n' >old
printf 'a\nc\n' >new
printf 'a\0b\n' >binary
{ head -c 1100 /dev/zero | tr '\0' x; echo; } >long

# Usage: --help on standard output with every mode word; wrong usage on
# standard error.
check 0 "usage: diffrun" "" --help
[ -s "$tmp/err" ] && { echo "FAIL: diffrun --help wrote to standard error"; failures=$((failures + 1)); }
for word in diff diffh bdiff dircmp diffb; do
  grep -qE "^  $word +[^ ]" <<<"$out" || { echo "FAIL: diffrun --help does not explain $word"; failures=$((failures + 1)); }
done
check 2 "" "usage: diffrun"
check 2 "" "usage: diffrun" diff old

# An option where the mode word belongs, also after -B.
check 2 "" "diffrun: expected a mode word (diff, diffh, bdiff, dircmp, diffb) before options, got '-n'" -n old new
check 2 "" "got '-c3'" -B -c3 old new
[ -s "$tmp/out" ] && { echo "FAIL: a refused mode word still gave a listing"; failures=$((failures + 1)); }

# The differencers as before.
check 0 "" "" diff old old
check 1 "2c2" "" diff old new
check 1 "d2 1" "" diff -n old new
check 1 "" "" -B diffb -n old new
check 0 "*** old" "" dircmp old new "$tmp" old new

# Result 2 and 4: the differencer's message.
check 2 "" 'file "missing": No such file or directory' diff old missing
check 2 "" 'input file "missing"' -B diffb old missing
check 2 "" 'Unknown option "-q"' diff -q old new
check 4 "1,2d0" 'file "binary" is binary' diff old binary
check 4 "" 'file "long": line too long: limit 1024' diff long old

[ "$failures" -eq 0 ] && echo "diffrun: all checks passed"
exit $((failures > 0))
