#!/usr/bin/env bash
# The release packages that scripts/release.sh left in dist/:
# - the .deb holds the expected files and depends on the C and C++ runtime
#   only; installed with dpkg -i, its /usr/bin/tramlune writes the README's
#   example script byte for byte and passes the end-to-end tests;
# - the zip holds exactly tramlune.exe, the README and the licence, and its
#   tramlune.exe, self-contained, writes the same script under Wine.
# Run from scripts/test.sh after the native build and scripts/release.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(tramlune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=dist/tramlune_${version}_amd64.deb
zip=dist/tramlune-${version}-win64.zip
checks=0
fail() { echo "release_test: FAILED: $*" >&2; exit 1; }
pass() { checks=$((checks + 1)); echo "release_test: ok: $*"; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The README's example: the command is quoted there, and the script it
# writes is the fenced block after it, each line ended by CR LF.
grep -qF "./build/tramlune 'examples/*.v64' echo" README.md ||
  fail "README.md no longer shows the example command"
awk '/^The script it writes/ { on = 1; next }
     on && /^```$/ { if (inside) exit; inside = 1; next }
     inside { printf "%s\r\n", $0 }' README.md >"$scratch/expected.bat"
[[ $(wc -l <"$scratch/expected.bat") -ge 7 ]] || fail "no example script in README.md"

# Runs "$@ 'examples/*.v64' echo" in the source tree and compares its
# output with the README's example script.
check_example() {
  local what=$1; shift
  (cd "$root" && "$@" 'examples/*.v64' echo) >"$scratch/actual.bat" ||
    fail "$what: exit status $?"
  cmp "$scratch/expected.bat" "$scratch/actual.bat" ||
    fail "$what: the example script differs from README.md:
$(diff <(cat -A "$scratch/expected.bat") <(cat -A "$scratch/actual.bat"))"
  pass "$what writes the README example byte for byte"
}

# --- cmake --install -------------------------------------------------------
cmake --install build-release --prefix "$scratch/prefix" >/dev/null
(cd "$scratch/prefix" && find . -type f | sort) >"$scratch/installed"
printf '%s\n' ./bin/tramlune ./share/doc/tramlune/CHANGELOG.md \
  ./share/doc/tramlune/README.md ./share/doc/tramlune/copyright \
  ./share/man/man1/tramlune.1 >"$scratch/expected-installed"
diff "$scratch/expected-installed" "$scratch/installed" ||
  fail "cmake --install put other files than expected"
pass "cmake --install puts bin/tramlune and share/man/man1/tramlune.1"

# --- the .deb -----------------------------------------------------------
[[ -f $deb ]] || fail "$deb is missing"
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tramlune && $(field Version) == "$version" &&
   $(field Architecture) == amd64 ]] || fail "$deb: wrong package, version or architecture"
[[ $(field Description) == *$'\n'* ]] || fail "$deb: no long description"
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort | tr '\n' ' ')
[[ $depends == "libc6 libgcc-s1 libstdc++6 " ]] ||
  fail "$deb depends on more or less than the C and C++ runtime: $depends"
pass "$deb: package, version, description, depends on $depends"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$scratch/deb-files"
sed 's|^\./|./usr/|; s|\.1$|.1.gz|' "$scratch/expected-installed" |
  diff - "$scratch/deb-files" || fail "$deb holds other files than expected"
pass "$deb holds exactly the installed files under /usr, the manual page gzipped"

if [[ $EUID -ne 0 ]]; then
  echo "release_test: SKIPPED: dpkg -i $deb needs root"
else
  dpkg -s tramlune >/dev/null 2>&1 && fail "a tramlune package is already installed; remove it first"
  dpkg -i "$deb" >/dev/null
  trap 'dpkg -r tramlune >/dev/null 2>&1; rm -rf "$scratch"' EXIT
  [[ $(dpkg-query -W -f '${Status}' tramlune) == "install ok installed" ]] ||
    fail "dpkg -i $deb did not install tramlune"
  [[ $(command -v tramlune) == /usr/bin/tramlune ]] || fail "tramlune is not /usr/bin/tramlune"
  [[ $(man -w tramlune) == /usr/share/man/man1/tramlune.1.gz ]] || fail "man finds no tramlune(1)"
  zcat /usr/share/man/man1/tramlune.1.gz | cmp - docs/tramlune.1 ||
    fail "the installed manual page is not docs/tramlune.1"
  pass "dpkg -i installs /usr/bin/tramlune and tramlune(1)"
  check_example /usr/bin/tramlune /usr/bin/tramlune
  [[ -x build/tests/end_to_end_tests ]] ||
    fail "build/tests/end_to_end_tests is missing: run scripts/test.sh, which builds it first"
  TRAMLUNE_UNDER_TEST=/usr/bin/tramlune build/tests/end_to_end_tests --gtest_brief=1 ||
    fail "/usr/bin/tramlune fails the end-to-end tests"
  pass "/usr/bin/tramlune passes the end-to-end tests"
  dpkg -r tramlune >/dev/null
  [[ ! -e /usr/bin/tramlune && ! -e /usr/share/man/man1/tramlune.1.gz ]] ||
    fail "dpkg -r left files behind"
  pass "dpkg -r removes it again"
fi

# --- the Windows zip ----------------------------------------------------
if [[ ! -f src/platform/platform-win32.cc ]]; then
  echo "release_test: SKIPPED: src/platform/platform-win32.cc is missing, so there is no Windows build and no $zip"
else
  [[ -f $zip ]] || fail "$zip is missing"
  top=tramlune-${version}-win64
  printf '%s\n' "$top/LICENSE.txt" "$top/README.md" "$top/tramlune.exe" \
    >"$scratch/expected-zip"
  unzip -Z1 "$zip" | sort | diff "$scratch/expected-zip" - ||
    fail "$zip holds other files than expected"
  unzip -q "$zip" -d "$scratch"
  cmp LICENSE "$scratch/$top/LICENSE.txt" && cmp README.md "$scratch/$top/README.md" ||
    fail "$zip: README.md or LICENSE.txt is not the project's"
  pass "$zip holds exactly $top/ with tramlune.exe, README.md, LICENSE.txt"
  # Self-contained: it imports from Windows' own DLLs only, no MinGW runtime.
  imports=$(x86_64-w64-mingw32-objdump -p "$scratch/$top/tramlune.exe" |
            sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
  for dll in $imports; do
    [[ ${dll,,} =~ ^(kernel32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$ ]] ||
      fail "tramlune.exe needs $dll, which Windows does not have"
  done
  pass "tramlune.exe imports only $imports"
  export WINEPREFIX=$root/build-release-win/wineprefix WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wine=/usr/lib/wine/wine64
  # A first run sets the prefix up; its chatter goes to a log.
  "$wine" wineboot --init >"$scratch/wineboot.log" 2>&1 || true
  check_example "tramlune.exe under Wine" "$wine" "$scratch/$top/tramlune.exe"
  status=0
  "$wine" "$scratch/$top/tramlune.exe" >"$scratch/usage.txt" || status=$?
  [[ $status -eq 1 ]] && grep -q $'^Syntax:\r$' "$scratch/usage.txt" ||
    fail "tramlune.exe without arguments: status $status, no usage text"
  pass "tramlune.exe under Wine writes its usage text with status 1"
fi
echo "release_test: $checks checks passed"
