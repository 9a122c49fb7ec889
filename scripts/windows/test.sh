#!/usr/bin/env bash
# The Windows lane: installs what is missing, builds the Windows dependencies (cached, see
# deps.sh), cross-builds the Qt-free libraries and their tests with mingw-w64 and runs them under
# Wine with CTest, in a Wine prefix of the lane's own (build/wine-prefix). Stops what it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=${MZ_JOBS:-$(nproc)}

"$root/scripts/install-deps.sh"
prefix=$(MZ_JOBS=$jobs "$root/scripts/windows/deps.sh")

build="$root/build/windows"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
  -DMZ_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON -DMZ_BUILD_GUI=OFF \
  -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

export WINEPREFIX="$root/build/wine-prefix" WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver
stop_wine() { "$wineserver" -k 2>/dev/null || true; }
trap stop_wine EXIT

# A cold Wine start takes seconds; a persistent server keeps each test's start short and keeps
# Wine's helper processes from holding CTest's output pipe open.
mkdir -p "$WINEPREFIX"
"$wineserver" -p </dev/null >/dev/null 2>&1
"$root/scripts/windows/wine-run.sh" wineboot -i >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j"$jobs"
"$root/scripts/windows/frontend-test.sh" "$build"
