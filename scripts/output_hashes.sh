#!/usr/bin/env bash
# Prints one line per run of TRAMLUNE over each DIR given: the options, the
# exit status and the hashes of standard output and standard error. Two
# builds print the same lines exactly when they write the same bytes with
# the same statuses. Runs from each DIR's parent, so the paths are short.
#
# usage: scripts/output_hashes.sh TRAMLUNE DIR...
set -uo pipefail
tramlune=$(realpath "$1")
shift
for dir in "$@"; do
  cd "$(dirname "$dir")" || exit 1
  base=$(basename "$dir")
  for kind in "" --sh; do
    for naming in "" "--naming no-intro"; do
      for form in "" --template --singles; do
        args=($kind $naming $form "$base/*")
        if [[ $form == --template ]]; then
          args+=('7zz a -sdel {dir}{title}.7z')
        else
          args+=('7z a' '>>log')
        fi
        "$tramlune" "${args[@]}" >/tmp/oh.out 2>/tmp/oh.err
        status=$?
        echo "$base ${args[*]:0:${#args[@]}-1} | $status" \
          "$(md5sum </tmp/oh.out | cut -c1-16) $(md5sum </tmp/oh.err | cut -c1-16)"
      done
    done
  done
  cd - >/dev/null || exit 1
done
rm -f /tmp/oh.out /tmp/oh.err
