#!/usr/bin/env bash
# scripts/setup.sh against stand-ins for dpkg-query, apt-get, locale,
# locale-gen and sudo, with no terminal: what it runs and prints, and its
# exit status, when everything is there, when a package or a locale is
# missing and root is or is not to be had. Run from scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "setup_test: FAILED: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
cp scripts/setup.sh "$scratch/setup.sh"
setsid=$(command -v setsid) setpriv=$(command -v setpriv)
bin=$scratch/bin state=$scratch/state
mkdir "$bin" "$state"
for tool in bash cat tr sed grep wc dirname basename; do
  ln -s "$(command -v "$tool")" "$bin/$tool"
done
stand_in() { printf '#!/bin/bash\n%s\n' "$2" >"$bin/$1"; chmod 755 "$bin/$1"; }
stand_in dpkg-query 'grep -qxF "${@: -1}" "$STATE/missing" || printf installed'
stand_in apt-get 'echo "apt-get $*" >>"$STATE/calls"; [[ $* != *install* ]] || : >"$STATE/missing"'
stand_in locale 'cat "$STATE/locales"'
stand_in locale-gen 'echo "locale-gen $*" >>"$STATE/calls"'
stand_in sudo 'echo "sudo $*" >>"$STATE/calls"; [[ $* != "-n true" || -f $STATE/sudo-n ]]'
touch "$state/calls" "$state/missing" "$state/locales"
chmod -R a+rwX "$scratch"

# check NAME USER MISSING LOCALES SUDO STATUS STDOUT CALLS: setup.sh run as
# USER (root, or nobody: any user but root, the caller when that is not
# root), with the packages MISSING (blank-separated), the locales LOCALES and
# sudo as SUDO (none, password, nopassword) must exit with STATUS, print
# STDOUT and make the CALLS (one a line).
check() {
  local name=$1 user=$2 missing=$3 locales=$4 sudo=$5 status=$6 out=$7 calls=$8
  local got_status=0 as=()
  tr ' ' '\n' <<<"$missing" | sed '/^$/d' >"$state/missing"
  tr ' ' '\n' <<<"$locales" >"$state/locales"
  : >"$state/calls"
  rm -f "$state/sudo-n" "$bin/sudo.off"
  [[ $sudo == nopassword ]] && touch "$state/sudo-n"
  [[ $sudo == none ]] && mv "$bin/sudo" "$bin/sudo.off"
  [[ $user == root || $EUID -ne 0 ]] || as=("$setpriv" --reuid=65534 --regid=65534 --clear-groups)
  env -i PATH="$bin" STATE="$state" "$setsid" -w "${as[@]}" "$bin/bash" \
    "$scratch/setup.sh" >"$scratch/out" 2>"$scratch/err" || got_status=$?
  [[ $sudo == none ]] && mv "$bin/sudo.off" "$bin/sudo"
  [[ $got_status == "$status" ]] || fail "$name: status $got_status, not $status: $(cat "$scratch/err")"
  [[ $(cat "$scratch/out") == "$out" ]] || fail "$name: printed '$(cat "$scratch/out")', not '$out'"
  [[ $(cat "$state/calls") == "$calls" ]] || fail "$name: ran '$(cat "$state/calls")', not '$calls'"
  echo "setup_test: ok: $name"
}

all_locales='C
ja_JP.utf8
en_US.utf8'
apt='apt-get -q -o DPkg::Lock::Timeout=600'
check "nothing missing: no apt-get, no root" nobody "" "$all_locales" none 0 "" ""
check "locale spelt UTF-8" nobody "" "ja_JP.UTF-8 en_US.UTF-8" none 0 "" ""
check "no root to be had: the command to run" nobody "wine" "$all_locales" none 1 \
  "su -c 'bash $scratch/setup.sh'" ""
check "sudo that asks, no terminal: the command to run" nobody "" "C" password 1 \
  "sudo bash $scratch/setup.sh" "sudo -n true"
check "sudo without a question: runs itself through it" nobody "valgrind" "$all_locales" \
  nopassword 0 "" "sudo -n true
sudo -n bash $scratch/setup.sh"
if [[ $EUID -eq 0 ]]; then
  check "root: installs only what is missing" root "wine unzip" "$all_locales" none 0 "" \
    "$apt update
$apt install -y --no-install-recommends wine unzip"
else
  echo "setup_test: SKIPPED: the installation as root needs root"
fi
echo "setup_test: all checks passed"
