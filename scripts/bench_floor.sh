#!/usr/bin/env bash
# Pairs whole runs of tramlune with the listing floor (bench/listing_floor.c:
# read the directory, write the same script in 128-byte writes, nothing
# else) and prints, for each case, the median of the paired ratios
# tramlune / floor of wall time, and the medians of both's user and system
# time. The runs alternate, floor first, REPS pairs per case, both writing
# into a file on the file system of the directories.
#
# Cases: the GoodTools-style game names, the video names (every base
# begins with "["), the photo names (nothing groups), the game names with
# --naming no-intro, and the game names with --template. The case dat (not
# among the default cases) pairs No-Intro names grouped by --dat, with a DAT
# of one game per name, against the same names by --naming no-intro rather
# than the floor: CASES=dat N=100000 bash scripts/bench_floor.sh.
#
# Settings (environment): N (default 1000000 names a directory), REPS
# (default 9), SCRATCH (default /tmp/tramlune-floor; the directories are
# made once and reused), TRAMLUNE (default: a Release build in
# build-bench), CASES (default "game video photo no-intro template").
#
# usage: bash scripts/bench_floor.sh
set -euo pipefail
cd "$(dirname "$0")/.."

n=${N:-1000000}
reps=${REPS:-9}
scratch=${SCRATCH:-/tmp/tramlune-floor}
cases=${CASES:-"game video photo no-intro template"}

command -v /usr/bin/time >/dev/null ||
  { echo "bench_floor.sh: /usr/bin/time is missing (Debian: time)" >&2; exit 1; }
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release \
  -DTRAMLUNE_BUILD_TESTS=OFF -DTRAMLUNE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 >/dev/null
tramlune=$(realpath "${TRAMLUNE:-build-bench/tramlune}")
make_names=$PWD/build-bench/bench/make_names
mkdir -p "$scratch"
floor=$scratch/listing_floor
cc -O2 -o "$floor" bench/listing_floor.c

cd "$scratch"
measure=$(mktemp)
trap 'rm -f "$measure" script.out floor.out tool.out' EXIT

# Runs a command under GNU time, standard output into OUT; prints
# "wall user system" in seconds (wall to the microsecond).
timed() {
  local out=$1
  shift
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S' -o "$measure" "$@" >"$out" 2>/dev/null
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" '{ printf "%.4f %s %s\n", b - a, $1, $2 }' "$measure"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END {
    printf "%.3f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-9s %7s %7s %7s %7s %7s %7s %7s\n' case ratio min max \
  t_wall t_user t_sys f_wall
for case in $cases; do
  shape=$case args=()
  case $case in
    no-intro) shape=game args=(--naming no-intro) ;;
    template) shape=game args=(--template) ;;
  esac
  dir=$shape-$n
  reference=("$floor" "$dir" script.out floor.out) reference_out=/dev/null
  if [[ $case == dat ]]; then
    shape=no-intro dir=no-intro-$n
    args=(--dat "$dir.dat")
    reference=("$tramlune" --naming no-intro "$dir/*") reference_out=floor.out
  fi
  if [[ ! -e $dir.done ]]; then
    echo "making $n $shape names in $scratch/$dir" >&2
    rm -rf "$dir" && mkdir "$dir"
    if [[ $case == dat ]]; then
      "$make_names" "$shape" "$n" "$dir" "$dir.dat"
    else
      "$make_names" "$shape" "$n" "$dir"
    fi
    touch "$dir.done"
  fi
  args+=("$dir/*")
  [[ $case == template ]] && args+=('7zz a -sdel {dir}{title}.7z')
  "$tramlune" "${args[@]}" >script.out 2>/dev/null || true
  ratios=() walls=() users=() systems=() floors=()
  for ((r = 0; r < reps; r++)); do
    read -r fw fu fs < <(timed "$reference_out" "${reference[@]}")
    read -r tw tu ts < <(timed tool.out "$tramlune" "${args[@]}")
    cmp -s tool.out script.out || { echo "bench_floor.sh: $case: output changed" >&2; exit 1; }
    ratios+=("$(awk -v t="$tw" -v f="$fw" 'BEGIN { print t / f }')")
    walls+=("$tw") users+=("$tu") systems+=("$ts") floors+=("$fw")
  done
  printf '%-9s %7s %7s %7s %7s %7s %7s %7s\n' "$case" \
    "$(printf '%s\n' "${ratios[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | sort -g | head -1)" \
    "$(printf '%s\n' "${ratios[@]}" | sort -g | tail -1)" \
    "$(printf '%s\n' "${walls[@]}" | median)" \
    "$(printf '%s\n' "${users[@]}" | median)" \
    "$(printf '%s\n' "${systems[@]}" | median)" \
    "$(printf '%s\n' "${floors[@]}" | median)"
done
echo "n=$n, $reps alternating pairs a case; $(nproc) cores, $(uname -m), $(uname -r); load $(cut -d' ' -f1-3 /proc/loadavg)"
