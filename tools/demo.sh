#!/usr/bin/env bash
# The demonstration run by "./orv.sh demo". First the set-up a fresh machine
# needs: the default security database of the build (build/orvkel/orvkel),
# created by keladm when it does not exist, with the current user as a
# registered user. Then two small sample files compared by the text
# differencer in each of its output forms, and by the binary differencer,
# through the diffrun driver.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
diffrun="$build/bin/diffrun"
old="$here/testdata/demo/greet-old.c"
new="$here/testdata/demo/greet-new.c"

# The security database.
keladm="$build/bin/keladm"
user=${LOGNAME:-$(id -un)}
database=$("$keladm" where)
echo "=== security database: $database"
if [ ! -e "$database.dat" ]; then
  # A new installation accepts any administrator password until one is set
  # (keladm set-admin-password); give the one in force through the variable.
  "$keladm" create -a "${ORV_KEL_ADMIN_PASSWORD:-orv}"
fi
"$keladm" add-user "$user"
"$keladm" resolve "$user" CheckIn
echo

show() { # <title> <diffrun words...>
  local title=$1; shift
  echo
  echo "=== $title: diffrun $*"
  local status=0
  "$diffrun" "$@" "$old" "$new" || status=$?
  echo "--- result $status"
  [ "$status" -le 1 ]
}

echo "Comparing $(basename "$old") (old) with $(basename "$new") (new)."
show "normal listing" diff
show "context listing, 2 lines" diff -c2
show "ed script (last change first)" diff -e
show "ed-style script in file order" diff -f
show "#ifdef merge" diff -DNEW_GREETING
show "troff change bars" diff -m
show "archive edit script" diff -n
show "block list for the visual merge program" diff -N
show "half-hearted matching" diffh -n
show "ignoring white space" diff -w -N
show "binary differencer, edit script in bytes" -B diffb -n
show "binary differencer, listing" -B diffb

# A short check-in and check-out session through the revision library, driven
# by the vcsh line-script tool: two trunk revisions and a branch of the old
# sample, a label, the revisions and labels listed, the new sample with its
# keywords expanded, then a branch deleted.
vcsh="$(cd "$build" && pwd)/bin/vcsh"
session=$(mktemp -d)
trap 'rm -rf "$session"' EXIT
cp "$old" "$session/greet.c"
{ printf '/* $Revision$ $Author$ */\n'; cat "$new"; } > "$session/greet-next.c"
echo
echo "=== revision library session: vcsh (in $session)"
(
  cd "$session"
  export ORV_SETTINGS="$session" TZ=UTC
  "$vcsh" <<SCRIPT
init
set nocentury
set logname demo
open greet.c,v 4
ci greet.c
ci greet-next.c
commit
co 1.1 greet.old
cmp greet.old $old
ci greet-next.c 1.1
label greeting 1.2
revs
labels
co 1.2 -
co 1.1.1.1 - 6
delete 1.1.1.1
co 1.1.1.1 -
commit \$h 1
cleanup
SCRIPT
)
echo "--- archive file"
cat "$session/greet.c,v" | head -24

# The workbench window program on a small sample archive and project made
# here (kept in the build directory, so the windows can open them). With a
# display the workbench opens; without one it draws its main window on the
# offscreen platform and saves that as a picture.
orvty32="$(cd "$build" && pwd)/bin/orvty32"
sample="$(cd "$build" && pwd)/workbench-demo"
mkdir -p "$sample"
cp "$old" "$sample/hello.c"
(
  cd "$sample"
  export ORV_SETTINGS="$sample" TZ=UTC
  rm -rf hello.v rcs demo.pj
  mkdir rcs
  "$vcsh" >/dev/null <<SCRIPT
init
open rcs/hello.c 4
ci hello.c
commit
popen demo.pj 5
padd a hello.c 1.1
psave
pclose
cleanup
SCRIPT
)
echo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "=== workbench: $orvty32 (close its window to end the demonstration)"
  ORV_SETTINGS="$sample" "$orvty32" "$sample/hello.c" "$sample/demo.pj"
else
  shot="$(cd "$build" && pwd)/screenshots/workbench-demo.png"
  mkdir -p "$(dirname "$shot")"
  echo "=== workbench: there is no display here, so the workbench draws its main window"
  echo "    offscreen and saves it as a picture instead of opening it"
  ORV_SETTINGS="$sample" QT_QPA_PLATFORM=offscreen \
    "$orvty32" --screenshot "$shot" "$sample/hello.c" "$sample/demo.pj"
  echo "    screenshot of the main window: $shot"
fi
