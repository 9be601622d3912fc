#!/usr/bin/env bash
# keladm as an administrator runs it: a database made in a temporary
# installation, the current user registered, "CheckIn" resolved, and the
# failures that must end with the library's message and a non-zero status.
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

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all keladm checks passed"
