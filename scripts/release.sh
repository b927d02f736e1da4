#!/usr/bin/env bash
# Builds the release packages into dist/:
#   dist/tramlune_VERSION_ARCH.deb   the native build (amd64 on x86-64)
#   dist/tramlune-VERSION-win64.zip  the Windows build (mingw-w64 cross build)
# VERSION is the one of project() in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
version=$(sed -n 's/^project(tramlune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "release.sh: no version in CMakeLists.txt" >&2; exit 1; }

rm -rf dist
mkdir -p dist

# Native: Debian package.
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTRAMLUNE_BUILD_TESTS=OFF \
  -DTRAMLUNE_REQUIRE_DAT=ON
cmake --build build-release -j"$jobs"
rm -f build-release/tramlune_*.deb
(cd build-release && cpack -G DEB)
cp build-release/tramlune_"$version"_*.deb dist/

# Windows: zip of the cross build.
if [[ ! -f src/platform/platform-win32.cc ]]; then
  echo "release.sh: src/platform/platform-win32.cc is missing;" \
       "no Windows build, so no zip" >&2
else
  cmake -S . -B build-release-win -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTRAMLUNE_BUILD_TESTS=OFF \
    -DTRAMLUNE_REQUIRE_DAT=ON
  cmake --build build-release-win -j"$jobs"
  rm -f build-release-win/tramlune-*.zip
  (cd build-release-win && cpack -G ZIP)
  cp build-release-win/tramlune-"$version"-win64.zip dist/
fi
ls -l dist
