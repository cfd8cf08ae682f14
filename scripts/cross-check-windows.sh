#!/bin/sh
# Cross-compiles the RadezOvu library with its Windows layer (and the probe program that links it) with
# mingw-w64, so that the Windows transport keeps building on Linux.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-mingw"}
generator=""
if command -v ninja >/dev/null 2>&1; then
    generator="-G Ninja"
fi
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" $generator \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DSTRATA_RADEZOVU_ONLY=ON -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS="-Werror" >/dev/null
cmake --build "$build" --target radezovu radezovu-probe -j 2
echo "radezovu cross-compiled for Windows: $build/bin/radezovu-probe.exe"
