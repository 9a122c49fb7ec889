#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, runs every test with CTest,
# then builds the core libraries with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# their tests again. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

asan="$root/build/asan"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DMZ_WERROR=ON -DMZ_SANITIZE=ON \
  -DMZ_BUILD_GUI=OFF -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$asan" --output-on-failure -j"$jobs"
