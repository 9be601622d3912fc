#!/usr/bin/env bash
# vcsh from the command line: its usage, the start-up note when there is no
# security database (and none once keladm made one), and a session that
# checks in revisions, sets labels and a lock and lists them through the
# information items; a project made, filled and saved, and its sandbox.
#   vcsh_test.sh <path of vcsh> <path of keladm>
set -u
vcsh=$1
keladm=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
export TZ=UTC ORV_SETTINGS="$tmp"
unset ORV_KEL_ADMIN_PASSWORD
cd "$tmp"

fail() { # <what> [file to show...]
  echo "FAIL: $1"; shift
  for f in "$@"; do echo "    $(basename "$f"):"; sed 's/^/      /' "$f"; done
  failures=$((failures + 1))
}
# run <script text> [vcsh arguments...]: standard output in out, error in err.
run() {
  local script=$1; shift
  status=0
  "$vcsh" "$@" <<<"$script" >"$tmp/out" 2>"$tmp/err" || status=$?
}

# Usage.
run "" --help
[ "$status" -eq 0 ] || fail "vcsh --help gave status $status" "$tmp/err"
grep -q "^usage: vcsh" "$tmp/out" || fail "vcsh --help printed no usage" "$tmp/out"
[ -s "$tmp/err" ] && fail "vcsh --help wrote to standard error" "$tmp/err"
for c in revs labels locks archinfo setarchinfo revinfo setrevinfo sysinfo setsysinfo help; do
  grep -qE "^  $c( |$)" "$tmp/out" || fail "vcsh --help does not list $c" "$tmp/out"
done
run "" --frob
[ "$status" -eq 2 ] && grep -q "unknown option --frob" "$tmp/err" || fail "vcsh --frob gave status $status" "$tmp/err"
run "help"
grep -qE "^  revs \[HANDLE\] +list the revisions" "$tmp/out" && grep -q "^help -> 0$" "$tmp/out" ||
  fail "help does not list the commands with their help" "$tmp/out"

# A session in an installation without a security database: the library's
# start-up answers 272 and vcsh says where the database was looked for.
program="$tmp/inst/bin/orvty"
database="$tmp/inst/orvkel/orvkel"
run "init $program
set nocentury
set logname demo
setsysinfo 99 demo
open greet.c,v 4
write greet.c \"hello\\n\"
ci greet.c
write greet.c \"hello\\nworld\\n\"
ci greet.c
ci greet.c 1.1 8
label first 1.1
label second 1.2
setarchinfo 19 branch 1.1.1.1
label first 1.2
lock 1.2
setrevinfo 1.1 36 Rel
commit
revs
labels
locks
archinfo 11
labels
archinfo 8
archinfo 66
archinfo 14 second
archinfo 16 1.2
revinfo 1.2 27
revinfo 1.1 34
revinfo 1.1 33
revinfo 1.9 69
sysinfo 51
sysinfo 61
sysinfo 79
unlock 1.2
locks
access
cleanup"
grep -qxF "vcsh: no security database at $database; create one with: keladm --program $program create -a PASSWORD" "$tmp/err" ||
  fail "no note of the missing security database" "$tmp/err"
sed -E 's#[0-9]{2,4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}#DATE#; s#'"$tmp"'#TMP#g' "$tmp/out" >"$tmp/got"
cat >"$tmp/want" <<'EOF'
init TMP/inst/bin/orvty -> 272
set nocentury -> 0
set logname demo -> 0
setsysinfo 99 demo -> 0
open greet.c,v 4 -> 0 1
write greet.c "hello\n" -> 0
ci greet.c -> 0 1.1
write greet.c "hello\nworld\n" -> 0
ci greet.c -> 0 1.2
ci greet.c 1.1 8 -> 0 1.1.1.1
label first 1.1 -> 0
label second 1.2 -> 0
setarchinfo 19 branch 1.1.1.1 -> 0
label first 1.2 -> 35
lock 1.2 -> 0
setrevinfo 1.1 36 Rel -> 0
commit -> 0
revs -> 0 3
  1.2 Exp demo DATE
  1.1.1.1 Exp demo DATE
  1.1 Rel demo DATE
labels -> 0 3
  branch 1.1.1.1
  second 1.2
  first 1.1
locks -> 0 1
  demo 1.2
archinfo 11 -> 0 branch 1.1.1.1
labels -> 0 3
  branch 1.1.1.1
  second 1.2
  first 1.1
archinfo 8 -> 0 1.2
archinfo 66 -> 0 3
archinfo 14 second -> 0 1.2
archinfo 16 1.2 -> 0 demo
revinfo 1.2 27 -> 0 demo
revinfo 1.1 34 -> 0 Rel
revinfo 1.1 33 -> 48
revinfo 1.9 69 -> 48
sysinfo 51 -> 0 38
sysinfo 61 -> 0 demo
sysinfo 79 -> 0 TMP/inst/orvkel/orvkel
unlock 1.2 -> 0
locks -> 0 0
access -> 0 0
cleanup -> 0
EOF
diff -u "$tmp/want" "$tmp/got" >"$tmp/diff" || fail "the session's output differs" "$tmp/diff"

# A project made, filled and saved from a script, followed through a sandbox.
mkdir -p "$tmp/proj"
cd "$tmp/proj"
run "init $tmp/proj/bin/orvty
setsysinfo 99 demo
popen demo.prj 5
pset \"description=the demo project\"
pblock onsave \"echo saved\\necho again\"
psave
pset title=two
pdrop title
psave
plog
pblockget onsave
pclose
sbopen demo.sbx 6
sbset masterproject=demo.prj
sbsave
sbclose
popen demo.sbx 0
pget description
pclose
pclose
cleanup"
printf -- '--ORV Project--\n$Revision$\ndescription=the demo project\nblock onsave\necho saved\necho again\nend\nEndOptions\n' >"$tmp/want"
cmp -s "$tmp/want" demo.prj || fail "the project file differs" demo.prj "$tmp/out"
printf -- '--ORV Project--Sandbox--\nmasterproject=demo.prj\n' >"$tmp/want"
cmp -s "$tmp/want" demo.sbx || fail "the sandbox file differs" demo.sbx "$tmp/out"
grep -c '^+.*/demo.prj .* revision null by demo$' demo.trn | grep -qx 2 ||
  fail "two saves did not log two records" demo.trn
for line in "psave -> 0" "pdrop title -> 0" "  set description=the demo project" \
  "  drop [was title=two] title" "  echo again" "pget description -> 0 the demo project" \
  "pclose -> 60"; do
  grep -qxF -- "$line" "$tmp/out" || fail "no line: $line" "$tmp/out"
done
cd "$tmp"

# With the database keladm makes there, the start-up answers 0 without a note.
"$keladm" --program "$program" create -a first >/dev/null || fail "keladm could not create the database"
run "init $program
sysinfo 79
cleanup"
grep -qx "init $program -> 0" "$tmp/out" && grep -qx "sysinfo 79 -> 0 $database" "$tmp/out" ||
  fail "the start-up with a database did not answer 0" "$tmp/out" "$tmp/err"
[ -s "$tmp/err" ] && fail "a note although the database exists" "$tmp/err"

# A database file that does not open is named as such, not as missing.
mkdir -p "$tmp/bad/orvkel"
echo "not a database" >"$tmp/bad/orvkel/orvkel.dat"
run "init $tmp/bad/bin/orvty
cleanup"
grep -q "vcsh: security database $tmp/bad/orvkel/orvkel: " "$tmp/err" && ! grep -q "no security database" "$tmp/err" ||
  fail "a database that does not open was not reported as such" "$tmp/err"

[ "$failures" -eq 0 ] && echo "vcsh: all checks passed"
exit $((failures > 0))
