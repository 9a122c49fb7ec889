#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and the library
# assertions on, runs every test with CTest (unit, db, gui and package lanes), builds the Qt-free
# libraries with AddressSanitizer and UndefinedBehaviorSanitizer and runs their tests again,
# cross-builds the Windows program and runs its tests under Wine, checks the style, and builds
# and checks the Windows installer. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-D_GLIBCXX_ASSERTIONS -DQT_FORCE_ASSERTS" >/dev/null
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

asan="$root/build/asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON -DMZ_SANITIZE=ON \
  -DMZ_BUILD_QT=OFF -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$asan" --output-on-failure -j"$jobs"

"$root/scripts/windows/test.sh"
# After the Windows build, whose compile database the Windows front end is checked with.
"$root/scripts/check-style.sh" "$build" "$root/build/windows"
"$root/scripts/windows/package.sh"
