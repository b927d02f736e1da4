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
