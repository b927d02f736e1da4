#!/usr/bin/env bash
# Builds the tool and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Native build: unit and end-to-end tests.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
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
