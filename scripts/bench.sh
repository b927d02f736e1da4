#!/usr/bin/env bash
# Times the whole program against the listing floor on real directories.
#
# For each name shape (game, video, photo) and size n, fills a directory
# with n empty files of that shape, then runs, alternately and REPS times
# each,
#   floor:    find DIR -maxdepth 1 -type f | LC_ALL=C sort > /dev/null
#   tramlune: tramlune 'DIR/*' > /dev/null
# and keeps the minimum and median wall time and the peak resident memory
# (GNU time's maximum resident set size). The machine may be shared, so the
# minimum is the figure to compare. Both run from the scratch directory, so
# DIR is short in the paths that both write. Then the peak memory on the
# largest n of names of exactly 40 bytes. Writes docs/bench/results.md (the
# table), docs/bench/results.dat and docs/bench/time-vs-n.png (log-log
# plot), and docs/bench/stages.txt (the in-memory stage benchmarks).
#
# Settings (environment): SIZES (default "31250 62500 125000 250000 500000
# 1000000"), SHAPES (default "game video photo"), REPS (default 5),
# SCRATCH (default /tmp/tramlune-bench; directories are reused between
# runs), CLEAN=1 to remove the directories afterwards, STAGES=0 to skip the
# stage benchmarks.
#
# Reproduce the committed table: bash scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=${SIZES:-"31250 62500 125000 250000 500000 1000000"}
shapes=${SHAPES:-"game video photo"}
reps=${REPS:-5}
scratch=${SCRATCH:-/tmp/tramlune-bench}
out=docs/bench

for tool in /usr/bin/time gnuplot cmake; do
  command -v "$tool" >/dev/null ||
    { echo "bench.sh: $tool is missing (Debian: time, gnuplot-nox, cmake)" >&2; exit 1; }
done

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release \
  -DTRAMLUNE_BUILD_TESTS=OFF -DTRAMLUNE_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
tramlune=$PWD/build-bench/tramlune
make_names=$PWD/build-bench/bench/make_names

mkdir -p "$scratch" "$out"
out=$PWD/$out
measure=$(mktemp)
trap 'rm -f "$measure"' EXIT

# Runs a command under GNU time; prints "wall-seconds kibibytes
# cpu-seconds" (CPU = user + system, of the command and its children). The
# wall time is taken here, to the microsecond (GNU time shows hundredths
# only).
timed() {
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%M %U %S' -o "$measure" "$@" >/dev/null
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" '{ printf "%.4f %d %.2f\n", b - a, $1, $2 + $3 }' "$measure"
}

# The minimum and the median of the numbers on standard input.
min_median() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%s %s\n", v[1], m }'
}

# Makes DIR (under the scratch directory) with N names of SHAPE, unless an
# earlier run finished it.
make_dir() {
  local shape=$1 n=$2 dir=$3
  if [[ ! -e $dir.done ]]; then
    echo "making $n $shape names in $scratch/$dir" >&2
    rm -rf "$dir"
    mkdir -p "$dir"
    "$make_names" "$shape" "$n" "$dir"
    touch "$dir.done"
  fi
}

dat=$out/results.dat
echo "# shape n floor_min floor_median tool_min tool_median tool_rss_kib floor_rss_kib tool_cpu_min" >"$dat"

cd "$scratch"
for shape in $shapes; do
  for n in $sizes; do
    dir=$shape-$n
    make_dir "$shape" "$n" "$dir"
    floor_times=() tool_times=() tool_cpus=() tool_rss=0 floor_rss=0
    for ((r = 0; r < reps; r++)); do
      read -r t m c < <(timed sh -c "find '$dir' -maxdepth 1 -type f | LC_ALL=C sort")
      floor_times+=("$t")
      ((m > floor_rss)) && floor_rss=$m
      read -r t m c < <(timed "$tramlune" "$dir/*")
      tool_times+=("$t")
      tool_cpus+=("$c")
      ((m > tool_rss)) && tool_rss=$m
    done
    read -r fmin fmed < <(printf '%s\n' "${floor_times[@]}" | min_median)
    read -r tmin tmed < <(printf '%s\n' "${tool_times[@]}" | min_median)
    read -r cmin cmed < <(printf '%s\n' "${tool_cpus[@]}" | min_median)
    echo "$shape $n $fmin $fmed $tmin $tmed $tool_rss $floor_rss $cmin" | tee -a "$dat" >&2
  done
done

largest=$(printf '%s\n' $sizes | sort -n | tail -n 1)
make_dir forty "$largest" "forty-$largest"
forty_rss=0
for ((r = 0; r < reps; r++)); do
  read -r t m c < <(timed "$tramlune" "forty-$largest/*")
  ((m > forty_rss)) && forty_rss=$m
done
cd - >/dev/null

# The table: ratio to the floor, and the time of n against that of n / 2.
awk -v reps="$reps" -v cpu="$(nproc) cores, $(uname -m)" '
  BEGIN {
    print "| shape | n | floor min (s) | tramlune min (s) | tramlune / floor | time(n) / time(n/2) | tramlune median (s) | tramlune CPU min (s) | CPU(n) / CPU(n/2) | tramlune peak RSS (MiB) |"
    print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  }
  /^#/ { next }
  {
    ratio = ($3 > 0) ? sprintf("%.2f", $5 / $3) : "-"
    growth = ($1 == shape && prev > 0) ? sprintf("%.2f", $5 / prev) : "-"
    cpu_growth = ($1 == shape && prev_cpu > 0) ? sprintf("%.2f", $9 / prev_cpu) : "-"
    printf "| %s | %d | %.3f | %.3f | %s | %s | %.3f | %.2f | %s | %.1f |\n",
           $1, $2, $3, $5, ratio, growth, $6, $9, cpu_growth, $7 / 1024
    shape = $1; prev = $5; prev_cpu = $9
  }
  END {
    printf "\nWall times: minimum and median of %d runs each, alternating; %s.\n", reps, cpu
    print "CPU: user + system time of tramlune, minimum of the same runs (GNU time, hundredths)."
  }
' "$dat" >"$out/results.md"
printf '\nPeak resident memory on %d names of exactly 40 bytes: %.1f MiB.\n' \
  "$largest" "$(awk -v k="$forty_rss" 'BEGIN { print k / 1024 }')" >>"$out/results.md"
cat "$out/results.md"

xtics=$(printf '%s\n' $sizes | sort -n |
  awk '{ printf "%s\"%d\" %d", (NR > 1 ? ", " : ""), $1, $1 }')
gnuplot <<EOF
set terminal pngcairo size 900,600 font ",11"
set output "$out/time-vs-n.png"
set logscale xy 2
set xtics ($xtics)
set xlabel "files in the directory (n)"
set ylabel "wall time, minimum of $reps runs (s)"
set title "tramlune 'DIR/*' (solid) against find DIR | sort, the listing floor (dashed)"
set key top left
set grid
shapes = "$shapes"
plot for [i = 1:words(shapes)] "< grep '^".word(shapes, i)." ' $dat" using 2:5 \
       with linespoints linecolor i linewidth 2 title word(shapes, i), \
     for [i = 1:words(shapes)] "< grep '^".word(shapes, i)." ' $dat" using 2:3 \
       with lines linecolor i dashtype 2 notitle
EOF

if [[ ${STAGES:-1} != 0 ]]; then
  build-bench/bench/stages_bench --benchmark_counters_tabular=true \
    2>/dev/null | tee "$out/stages.txt"
fi

if [[ ${CLEAN:-0} == 1 ]]; then
  for shape in $shapes; do
    for n in $sizes; do
      rm -rf "${scratch:?}/$shape-$n" "$scratch/$shape-$n.done"
    done
  done
  rm -rf "${scratch:?}/forty-$largest" "$scratch/forty-$largest.done"
fi
