#!/usr/bin/env bash
# The style checks of the test command: clang-format over every C++ file of the project, then
# clang-tidy (.clang-tidy) over the Qt-free libraries and tools, with the compile database of
# the build tree given as $1. Exits non-zero on the first finding.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: check-style.sh BUILD_DIR (a tree configured with CMAKE_EXPORT_COMPILE_COMMANDS)}
cd "$root"

mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
echo "check-style: clang-format on ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

mapfile -t tidy < <(git ls-files -co --exclude-standard -- \
  'core/src/*.cpp' 'data/src/*.cpp' 'log/src/*.cpp' 'monitor/src/*.cpp' 'tools/*.cpp' |
  grep -v 'Win\.cpp$\|/WinText\.cpp$')
echo "check-style: clang-tidy on ${#tidy[@]} files"
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${tidy[@]}" >"$build/clang-tidy.log" 2>&1 || {
  grep -E 'error:|warning:' "$build/clang-tidy.log" >&2 || cat "$build/clang-tidy.log" >&2
  exit 1
}
echo "check-style: clean"
