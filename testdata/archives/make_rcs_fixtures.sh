#!/bin/sh
# Makes the archives of this folder that GNU RCS wrote (rcs_*.v), and beside
# them, in rcs_co/<archive>/<revision>, what `co -ko -p` gives of each
# revision. Needs the programs rcs, ci and co (Debian package rcs); the tests
# only read the files made here.
#   rcs_expand_kk.v  a trunk and a branch, keywords and '@' in the texts, a
#                    label and a lock, then `rcs -kk`: the header has "expand @k@;"
#   rcs_commitid.v   three revisions; a "commitid" line, as CVS writes one, is
#                    added to each revision's entry by hand (ci writes none)
#   rcs_integrity.v  three revisions, strict locking (`rcs -L`); an "integrity
#                    @@;" phrase is added by hand between "strict;" and
#                    "comment", where RCS 5.8 and later write it (ci offers
#                    no way to set one)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export TZ=UTC LOGNAME=alice USER=alice

# ci_at <date> <author> <message> [ci options...]: checks f in, keeping it locked.
ci_at() {
  d=$1 w=$2 m=$3
  shift 3
  ci -q -l -d"$d" -w"$w" -m"$m" "$@" f
}

printf 'first line\n$Id$\nmail: a@b\n' > f
ci_at "2021-01-02 03:04:05" alice "Initial revision" -t-"Keywords, '@' and a branch."
printf 'first line\n$Id$\nmail: a@b\n$Revision$\nsecond @@ line\n' > f
ci_at "2021-01-03 03:04:05" alice "second: a@b"
printf 'first line\n$Id$\n$Revision$\nsecond @@ line\nthird\n' > f
ci_at "2021-01-04 03:04:05" bob "third"
rcs -q -u1.3 f
rm -f f
co -q -l -r1.2 f
printf 'first line\n$Id$\nmail: a@b\n$Revision$\nbranch @ one\n' > f
ci_at "2021-02-01 00:00:00" carol "on a branch" -r1.2.1
printf 'first line\n$Id$\n$Author$\nbranch @ two\n' > f
ci_at "2021-02-02 00:00:00" carol "branch again"
rcs -q -nrel1:1.2 -kk f
mv f,v rcs_expand_kk,v
rm -f f

printf 'alpha\nbeta\n' > f
ci_at "2022-05-06 07:08:09" dave "Initial revision" -t-"Entries with commitid."
printf 'alpha\nbeta\ngamma\n' > f
ci_at "2022-05-07 07:08:09" dave "add gamma"
printf 'ALPHA\ngamma\n' > f
ci_at "2022-05-08 07:08:09" erin "change"
rcs -q -u f
awk '{ print } /^next/ { n++; printf "commitid\t10054A8E6F4C4E8%s;\n", n }' f,v > rcs_commitid,v
rm -f f f,v

printf 'one\n$Revision$\n' > f
ci_at "2023-03-04 05:06:07" alice "Initial revision" -t-"An integrity phrase before the comment."
printf 'one\n$Revision$\ntwo @ at\n' > f
ci_at "2023-03-05 05:06:07" bob "second"
printf 'zero\n$Revision$\ntwo @ at\nthree\n' > f
ci_at "2023-03-06 05:06:07" bob "third"
rcs -q -u -L f
sed 's/^comment/integrity @@;\ncomment/' f,v > rcs_integrity,v
rm -f f f,v

for name in rcs_expand_kk rcs_commitid rcs_integrity; do
  rm -rf "$here/rcs_co/$name.v"
  mkdir -p "$here/rcs_co/$name.v"
  for r in $(rlog "$name,v" | sed -n 's/^revision \([0-9.]*\).*/\1/p'); do
    co -q -ko -p"$r" "$name,v" > "$here/rcs_co/$name.v/$r"
  done
  cp "$name,v" "$here/$name.v"
done
