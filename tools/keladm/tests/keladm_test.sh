#!/usr/bin/env bash
# keladm as an administrator runs it: a database made in a temporary
# installation, the current user registered, "CheckIn" resolved, and the
# failures that must end with the library's message and a non-zero status.
# A command's several changes are kept all or none, and records damaged in
# the file (cut short with the sqlite3 program) are named, not read past.
#   keladm_test.sh <path of keladm>
set -u
keladm=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset ORV_KEL_ADMIN_PASSWORD
program="$tmp/inst/bin/orvty"
failures=0
out=""

# check <wanted status> <text the output must hold, or ""> keladm-arguments...
check() {
  local want=$1 text=$2
  shift 2
  local status=0
  out=$("$keladm" --program "$program" "$@" 2>&1) || status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAIL: keladm $* gave status $status, wanted $want"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  elif [ -n "$text" ] && ! grep -qF -- "$text" <<<"$out"; then
    echo "FAIL: keladm $* did not say: $text"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

user=${LOGNAME:-$(id -un)}

# Usage.
check 2 "usage: keladm"
check 0 "usage: keladm" --help
check 2 "unknown command" frobnicate
check 2 "unknown option" --frob where
check 2 "administrator password" create

# The default database of the installation, created with its directory.
check 0 "$tmp/inst/orvkel/orvkel" where
check 0 "created $tmp/inst/orvkel/orvkel" create -a first
[ -f "$tmp/inst/orvkel/orvkel.dat" ] || { echo "FAIL: no database file"; failures=$((failures + 1)); }
check 1 "object exists" create -a first

# The current user, registered without roles, holds CheckIn through the
# default registered role; someone unknown does not.
check 0 "added user $user" add-user "$user"
check 0 "CheckIn: granted to $user" resolve "$user" CheckIn
check 1 "CheckIn: refused to stranger" resolve stranger CheckIn
check 0 "user $user exists already" add-user "$user"

# Roles, users with roles, groups with members, the listing.
check 0 "role Reader grants LockStates=Exp" add-role Reader OpenArchive CheckOut NoCheckIn "LockStates=Exp"
check 0 "gave role Reader to guest" add-user guest -r Reader
check 1 "CheckIn: refused to guest (a role says No)" resolve guest CheckIn
check 0 "LockStates = Exp: granted to guest" resolve guest LockStates
check 1 "Could not find requested object" add-user other --role NoSuchRole
# lacks <text> keladm-arguments...: the command's output must not hold text.
lacks() {
  local text=$1
  shift
  check 0 "" "$@"
  if grep -qF -- "$text" <<<"$out"; then
    echo "FAIL: keladm $* still shows: $text"; echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}
# The user of a command whose role step failed was not kept either.
lacks "user	other" list users
check 1 "nothing was changed" add-group testers -r Reader -r NoSuchRole carol
lacks "testers" list groups
lacks "carol" list users
check 1 "nothing was changed" add-role Auditor Reports ""
lacks "Auditor" list roles
check 0 "added member alice of devs" add-group devs -r Reader alice bob
check 1 "CheckIn: refused to alice" resolve alice CheckIn
check 0 "" list users groups
for line in "user	guest	Reader" "group	devs	Reader" "member	devs	alice" "member	devs	bob" "user	$user"; do
  grep -qxF -- "$line" <<<"$out" || { echo "FAIL: list lacks: $line"; echo "$out" | sed 's/^/    /'; failures=$((failures + 1)); }
done
check 0 "role	DefaultRegisteredUser	AddLabel, AddMember" list roles
check 2 "unknown kind" list widgets

# A project scope.
check 0 "added project Web" add-project Web
check 0 "role Deployer grants Promote" -P Web add-role Deployer Promote
check 0 "gave role Deployer to guest" -P Web add-user guest -r Deployer
check 0 "Promote: granted to guest" -P Web resolve guest Promote
check 1 "Promote: refused to guest" resolve guest Promote

# A scope with a password takes changes only with it.
check 0 "password of the global module set" set-password s3cret
check 1 "Incorrect password" add-user carol
check 1 "Incorrect password" -p wrong add-user carol
check 0 "added user carol" -p s3cret add-user carol

# The administrator password guards creating databases.
check 0 "administrator password set" set-admin-password first second
[ -f "$tmp/inst/orvkel/kel.adm" ] || { echo "FAIL: no kel.adm beside the default database"; failures=$((failures + 1)); }
check 1 "Incorrect password" -d "$tmp/other/db" create -a first
check 0 "created $tmp/other/db" -d "$tmp/other/db" create --admin=second
check 0 "" -d "$tmp/other/db" add-user "$user"
check 0 "CheckIn: granted to $user" -d "$tmp/other/db" resolve "$user" CheckIn

# A database that is not there.
check 1 "Cannot access Orv Kelmark database" -d "$tmp/none" resolve "$user" CheckIn

# Records damaged inside a sound database file: named with their kind and
# key, left out of listings (which still succeed), refused where needed.
dmg="$tmp/dmg/db"
sql() { sqlite3 "$dmg.dat" "$1"; }
check 0 "created $dmg" -d "$dmg" create --admin=second
check 0 "role Dev grants CheckIn" -d "$dmg" add-role Dev CheckIn
check 0 "role Ops grants CheckOut" -d "$dmg" add-role Ops CheckOut
check 0 "gave role Dev to alice" -d "$dmg" add-user alice -r Dev
check 0 "gave role Ops to bob" -d "$dmg" add-user bob -r Ops
# Dev loses its list's end and extra byte; the global statement's (empty)
# lists become a text without its NUL.
sql "UPDATE object SET rec = substr(rec, 1, length(rec) - 2) WHERE type = 6 AND name = CAST('Dev' AS BLOB);"
sql "UPDATE object SET rec = substr(rec, 1, 148) || CAST('States' AS BLOB) WHERE type = 5 AND name = CAST('Policy Statement' AS BLOB) AND parent = (SELECT id FROM object WHERE type = 1);"
[ "$(sql 'PRAGMA integrity_check;')" = ok ] || { echo "FAIL: the damaged file is not sound SQLite"; failures=$((failures + 1)); }
check 0 'damaged record: role "Dev"' -d "$dmg" list roles
grep -qxF "role	Ops	CheckOut" <<<"$out" || { echo "FAIL: list roles lost Ops"; echo "$out" | sed 's/^/    /'; failures=$((failures + 1)); }
check 0 "left out 1 damaged record" -d "$dmg" list roles
check 0 'damaged record: statement "Policy Statement"' -d "$dmg" list statements
check 0 "user	bob	Ops" -d "$dmg" list
check 1 "bad format in security file" -d "$dmg" resolve alice CheckIn
check 0 "CheckOut: granted to bob" -d "$dmg" resolve bob CheckOut
check 1 'damaged record: role "Dev"' -d "$dmg" add-user carol -r Dev
lacks "carol" -d "$dmg" list users

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all keladm checks passed"
