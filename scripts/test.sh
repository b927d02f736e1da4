#!/usr/bin/env bash
# Makes the machine ready (scripts/setup.sh), builds the tool and runs every
# test. It stops at the first failure; its last line then names the stage
# that failed and, for a test stage, the tests that failed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

stage=setup
ctest_dir=
# Names the failed stage, and the failed tests of CTest's last run there.
report() {
  local status=$? failed=
  if ((status == 0)); then
    echo "test.sh: every stage passed, in $SECONDS s"
    return
  fi
  [[ -n $ctest_dir && -f $ctest_dir/Testing/Temporary/LastTestsFailed.log ]] &&
    failed=$(sed 's/^[0-9]*://' "$ctest_dir/Testing/Temporary/LastTestsFailed.log" |
             tr '\n' ' ')
  echo "test.sh: FAILED in stage '$stage' (status $status, at $SECONDS s)${failed:+; failed tests: $failed}" >&2
}
trap report EXIT

# begin NAME [CTEST_DIR]: the stage NAME starts; CTest runs in CTEST_DIR.
begin() {
  stage=$1 ctest_dir=${2:-}
  echo "test.sh: --- $stage (at $SECONDS s)"
  [[ -z $ctest_dir ]] || rm -f "$ctest_dir/Testing/Temporary/LastTestsFailed.log"
}

begin setup
bash tests/setup_test.sh
bash scripts/setup.sh

# Native build: unit and end-to-end tests. The benchmarks are built too, so
# that they keep compiling; scripts/bench.sh runs them.
begin "native tests" build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTRAMLUNE_BUILD_TESTS=ON -DTRAMLUNE_WERROR=ON \
  -DTRAMLUNE_BUILD_BENCH=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Windows build, cross-compiled, its tests run under Wine; the native
# end-to-end tests run once more against tramlune.exe.
begin "Windows build"
cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTRAMLUNE_BUILD_TESTS=ON -DTRAMLUNE_WERROR=ON \
  -DTRAMLUNE_HOST_END_TO_END_TESTS="$PWD/build/tests/end_to_end_tests"
cmake --build build-win -j"$jobs"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no offer to install .NET or Gecko
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
[[ -x $wine ]] || wine=wine64
[[ -x $wineserver ]] || wineserver=wineserver

# wine_prefix DIR: makes the Wine prefix DIR, unless an earlier run made it
# whole, and returns once its first start is over: the prefix is written,
# Wine's services have started and stopped again, and its server has ended.
# A prefix whose first start was cut short is made anew.
wine_prefix() {
  local dir=$1
  [[ -f $dir/.tramlune-ready ]] && return
  echo "test.sh: making the Wine prefix $dir"
  WINEPREFIX=$dir "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$dir"
  mkdir -p "$dir"
  # wineboot's own status is no verdict: it has been seen to fail on the
  # 32-bit half (syswow64) that a wine64-only install lacks, in a prefix that
  # then works. What counts is that the prefix runs a program afterwards.
  WINEPREFIX=$dir "$wine" wineboot -i </dev/null >"$dir.log" 2>&1 || true
  WINEPREFIX=$dir "$wineserver" -w
  WINEPREFIX=$dir "$wine" cmd.exe /c echo ready </dev/null >"$dir.answer" 2>&1 || true
  WINEPREFIX=$dir "$wineserver" -w
  [[ $(tr -d '\r' <"$dir.answer") == ready ]] ||
    { cat "$dir.log" "$dir.answer"; return 1; }
  touch "$dir/.tramlune-ready"
}

# In a subshell, so that Wine's settings and server end with this block.
begin "Windows tests under Wine" build-win
wine_prefix "$PWD/build-win/wineprefix"
(
  # One Wine server, with Wine's own services, for the whole run: without it
  # every Wine program starts them anew, which takes seconds. The services keep
  # the standard handles of the program that starts them, so they are started
  # here, away from the pipes through which CTest reads a test's output; the
  # first program waits until they run, and it must answer before any test
  # starts.
  export WINEPREFIX=$PWD/build-win/wineprefix
  "$wineserver" -p </dev/null >/dev/null 2>&1
  trap '"$wineserver" -k' EXIT
  answer=$WINEPREFIX/../wine-answer.txt
  "$wine" cmd.exe /c echo ready </dev/null >"$answer" 2>&1 || true
  [[ $(tr -d '\r' <"$answer") == ready ]] ||
    { echo "Wine does not run cmd.exe in $WINEPREFIX:"; cat "$answer"; exit 1; }
  ctest --test-dir build-win --output-on-failure
)

# The same tests built with the address and undefined-behaviour sanitizers;
# any finding fails its test.
begin "sanitizer tests" build-asan
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMLUNE_BUILD_TESTS=ON -DTRAMLUNE_WERROR=ON \
  -DTRAMLUNE_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Memcheck of the tool on the bundled examples: no error, no leak.
begin valgrind
valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
  --errors-for-leak-kinds=all ./build/tramlune 'examples/*.v64' echo >/dev/null

# A short run of every fuzz target from its seed corpus (TRAMLUNE_FUZZ_SECONDS
# each, 30 by default); new inputs go to build-fuzz/corpus, not to fuzz/.
begin fuzz
fuzz_seconds=${TRAMLUNE_FUZZ_SECONDS:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRAMLUNE_FUZZ=ON -DTRAMLUNE_BUILD_TESTS=OFF -DTRAMLUNE_WERROR=ON
cmake --build build-fuzz -j"$jobs"
for target in command_line dat_file file_names grouping; do
  stage="fuzz $target"
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/$target.log"
  if ! "build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$fuzz_seconds" \
      -artifact_prefix="build-fuzz/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $target found a fault; the input is in build-fuzz/" >&2
    exit 1
  fi
  echo "fuzz $target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")"
done

# Release packages into dist/ (the .deb and the Windows zip), then install
# the .deb and run the zip's tramlune.exe under Wine, in a prefix made here.
begin release
bash scripts/release.sh
wine_prefix "$PWD/build-release-win/wineprefix"
bash tests/release_test.sh
