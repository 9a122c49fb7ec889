#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and the library
# assertions on, runs every test with CTest (unit, db, gui and package lanes), checks the
# style, builds the Qt-free libraries with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs their tests again, then cross-builds the Windows program, runs its tests under Wine and
# builds and checks its installer. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-D_GLIBCXX_ASSERTIONS -DQT_FORCE_ASSERTS" >/dev/null
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

"$root/scripts/check-style.sh" "$build"

asan="$root/build/asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON -DMZ_SANITIZE=ON \
  -DMZ_BUILD_QT=OFF -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$asan" --output-on-failure -j"$jobs"

"$root/scripts/windows/test.sh"
"$root/scripts/windows/package.sh"
