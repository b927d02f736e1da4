#!/usr/bin/env bash
# Builds the tool and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Native build: unit and end-to-end tests.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Release packages into dist/ (the .deb and the Windows zip), then install
# the .deb and run the zip's tramlune.exe under Wine.
bash scripts/release.sh
bash tests/release_test.sh
