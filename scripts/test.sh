#!/usr/bin/env bash
# Builds the tool and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Native build: unit and end-to-end tests. The benchmarks are built too, so
# that they keep compiling; scripts/bench.sh runs them.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTRAMLUNE_BUILD_BENCH=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Windows build, cross-compiled, its tests run under Wine; the native
# end-to-end tests run once more against tramlune.exe.
cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DTRAMLUNE_HOST_END_TO_END_TESTS="$PWD/build/tests/end_to_end_tests"
cmake --build build-win -j"$jobs"
# In a subshell, so that Wine's settings and server end with this block.
(
  # One Wine server, with Wine's own services, for the whole run: without it
  # every Wine program starts them anew, which takes seconds. The services keep
  # the standard handles of the program that starts them, so they are started
  # here, away from the pipes through which CTest reads a test's output.
  export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml="  # no offer to install .NET or Gecko
  wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
  [[ -x $wine ]] || wine=wine64
  [[ -x $wineserver ]] || wineserver=wineserver
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p </dev/null >/dev/null 2>&1
  trap '"$wineserver" -k' EXIT
  if [[ -d $WINEPREFIX/drive_c ]]; then
    "$wine" cmd.exe /c rem </dev/null >/dev/null 2>&1
  else
    "$wine" wineboot -i </dev/null >/dev/null 2>&1
  fi
  ctest --test-dir build-win --output-on-failure
)

# The same tests built with the address and undefined-behaviour sanitizers;
# any finding fails its test.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAMLUNE_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Memcheck of the tool on the bundled examples: no error, no leak.
valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
  --errors-for-leak-kinds=all ./build/tramlune 'examples/*.v64' echo >/dev/null

# A short run of every fuzz target from its seed corpus (TRAMLUNE_FUZZ_SECONDS
# each, 30 by default); new inputs go to build-fuzz/corpus, not to fuzz/.
fuzz_seconds=${TRAMLUNE_FUZZ_SECONDS:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRAMLUNE_FUZZ=ON -DTRAMLUNE_BUILD_TESTS=OFF
cmake --build build-fuzz -j"$jobs"
for target in command_line file_names grouping; do
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
# the .deb and run the zip's tramlune.exe under Wine.
bash scripts/release.sh
bash tests/release_test.sh
