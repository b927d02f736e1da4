#!/usr/bin/env bash
# Times the whole program against the listing floor on real directories.
#
# For each name shape (game, video, photo) and size n, fills a directory
# with n empty files of that shape, then runs, alternately and REPS times
# each, both writing into a file as users do, on the same file system:
#   floor:    find DIR -maxdepth 1 -type f | LC_ALL=C sort > floor.out
#   tramlune: tramlune 'DIR/*' > go.bat
# and keeps the median and minimum wall time, the minimum CPU time and the
# peak resident memory (GNU time's maximum resident set size). The machine
# may be shared: the medians are the figures to compare, the minima show
# what an idle machine gives. Both run from the scratch directory, so DIR is
# short in the paths that both write. Then the peak memory on the largest n
# of names of exactly 40 bytes. Writes docs/bench/results.md (the table),
# docs/bench/results.dat and docs/bench/time-vs-n.png (log-log plot), and
# docs/bench/stages.txt (the in-memory stage benchmarks).
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
cmake --build build-bench -j2 >/dev/null
tramlune=$PWD/build-bench/tramlune
make_names=$PWD/build-bench/bench/make_names

mkdir -p "$scratch" "$out"
scratch=$(cd "$scratch" && pwd)
out=$PWD/$out
measure=$(mktemp)
trap 'rm -f "$measure" "$scratch/floor.out" "$scratch/go.bat"' EXIT

# Runs a command under GNU time, its standard output into the file OUT
# (replaced); prints "wall-seconds kibibytes cpu-seconds" (CPU = user +
# system, of the command and its children). The wall time is taken here, to
# the microsecond (GNU time shows hundredths only).
timed() {
  local out=$1
  shift
  rm -f "$out"
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%M %U %S' -o "$measure" "$@" >"$out"
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
      read -r t m c < <(timed floor.out sh -c "find '$dir' -maxdepth 1 -type f | LC_ALL=C sort")
      floor_times+=("$t")
      ((m > floor_rss)) && floor_rss=$m
      read -r t m c < <(timed go.bat "$tramlune" "$dir/*")
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
  read -r t m c < <(timed go.bat "$tramlune" "forty-$largest/*")
  ((m > forty_rss)) && forty_rss=$m
done
cd - >/dev/null

# The table: medians and their ratio to the floor, minima and theirs, and
# the median time of n against that of n / 2, for both.
awk -v reps="$reps" -v cpu="$(nproc) cores, $(uname -m), $(uname -r)" '
  BEGIN {
    print "| shape | n | floor median (s) | tramlune median (s) | median ratio | floor min (s) | tramlune min (s) | min ratio | floor t(n)/t(n/2) | tramlune t(n)/t(n/2) | tramlune CPU min (s) | tramlune peak RSS (MiB) |"
    print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  }
  /^#/ { next }
  {
    ratio = ($4 > 0) ? sprintf("%.2f", $6 / $4) : "-"
    min_ratio = ($3 > 0) ? sprintf("%.2f", $5 / $3) : "-"
    same = ($1 == shape)
    floor_growth = (same && prev_floor > 0) ? sprintf("%.2f", $4 / prev_floor) : "-"
    growth = (same && prev > 0) ? sprintf("%.2f", $6 / prev) : "-"
    printf "| %s | %d | %.3f | %.3f | %s | %.3f | %.3f | %s | %s | %s | %.2f | %.1f |\n",
           $1, $2, $4, $6, ratio, $3, $5, min_ratio, floor_growth, growth, $9, $7 / 1024
    shape = $1; prev = $6; prev_floor = $4
  }
  END {
    printf "\nWall times: median and minimum of %d runs each, alternating, both writing into a file on the same file system; %s.\n", reps, cpu
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
set ylabel "wall time, median of $reps runs (s)"
set title "tramlune 'DIR/*' > go.bat (solid) against find DIR | sort > file, the listing floor (dashed)"
set key top left
set grid
shapes = "$shapes"
plot for [i = 1:words(shapes)] "< grep '^".word(shapes, i)." ' $dat" using 2:6 \
       with linespoints linecolor i linewidth 2 title word(shapes, i), \
     for [i = 1:words(shapes)] "< grep '^".word(shapes, i)." ' $dat" using 2:4 \
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
