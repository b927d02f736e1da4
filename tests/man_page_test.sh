#!/usr/bin/env bash
# The manual page: renders without a warning, names the project's version
# (which the program's --version must say too), and its example shows what
# the program really writes.
# Usage: man_page_test.sh PAGE PROGRAM VERSION
set -euo pipefail
page=$1 program=$(realpath "$2") version=$3
fail() { echo "man_page_test: $*" >&2; exit 1; }
command -v groff >/dev/null && command -v man >/dev/null ||
  fail "needs groff and man (Debian packages groff-base and man-db)"

warnings=$(groff -ww -man -z "$page" 2>&1)
[[ -z $warnings ]] || fail "groff -ww warns:"$'\n'"$warnings"
warnings=$(MANWIDTH=80 man --warnings=all -l "$page" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man -l warns:"$'\n'"$warnings"

[[ $("$program" --version) == "tramlune $version" ]] ||
  fail "the program says it is $("$program" --version), not tramlune $version"

th=$(grep -m1 '^\.TH ' "$page")
[[ $th == *"\"tramlune $version\""* ]] || fail "the .TH line names no version $version: $th"

# The example: the files listed, the command, and the lines it writes, all
# read from the rendered page.
text=$(groff -man -Tascii -P-cbou "$page")
files=$(sed -n '/^EXAMPLES/,/the command/p' <<<"$text" | sed -n 's/^       \([^ ].*\.v64\)$/\1/p')
[[ $(wc -l <<<"$files") -ge 5 ]] || fail "no example files found"
command='tramlune "*.v64" "call pack" ">>log" > go.bat'
grep -qxF "       $command" <<<"$text" || fail "the example command is not: $command"
shown=$(awk '/these lines to go.bat:/ { on = 1; next }
              on && /^$/ { if (seen) exit; next }
              on { seen = 1; sub(/^       /, ""); print }' <<<"$text")
[[ -n $shown ]] || fail "no example output found"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
while IFS= read -r name; do : >"$scratch/$name"; done <<<"$files"
actual=$(cd "$scratch" && "$program" "*.v64" "call pack" ">>log" | tail -n +7 | tr -d '\r')
if [[ $actual != "$shown" ]]; then
  fail "the example shows"$'\n'"$shown"$'\n'"but the program writes"$'\n'"$actual"
fi
echo "man_page_test: $page renders cleanly; its example of $(wc -l <<<"$shown") lines holds"
