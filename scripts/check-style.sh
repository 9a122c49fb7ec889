#!/usr/bin/env bash
# The style checks of the test command: clang-format over every C++ file of the project, the
# shell-script check (.shellcheckrc) over every shell script, then clang-tidy (.clang-tidy) over the
# Qt-free libraries, the tools and the Qt front end with the compile database of the build tree
# given as $1, and over the Windows front end with that of a mingw-w64 build tree given as $2
# (skipped when none is given). Exits non-zero on the first finding.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: check-style.sh BUILD_DIR [WINDOWS_BUILD_DIR] (trees configured with CMAKE_EXPORT_COMPILE_COMMANDS)}
windows=${2:-}
cd "$root"

mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
echo "check-style: clang-format on ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

mapfile -t scripts < <(git ls-files -co --exclude-standard -- '*.sh' .ci/run)
echo "check-style: shellcheck on ${#scripts[@]} scripts"
shellcheck -x "${scripts[@]}"

# run_tidy LOG BUILD_DIR [clang-tidy options...] -- FILES...
run_tidy() {
  local log=$1 tree=$2
  shift 2
  local options=()
  while [[ $1 != -- ]]; do options+=("$1"); shift; done
  shift
  run-clang-tidy -quiet -p "$tree" -j "$(nproc)" "${options[@]}" "$@" >"$log" 2>&1 || {
    grep -E 'error:|warning:' "$log" >&2 || cat "$log" >&2
    exit 1
  }
}

mapfile -t tidy < <(git ls-files -co --exclude-standard -- \
  'core/src/*.cpp' 'data/src/*.cpp' 'log/src/*.cpp' 'monitor/src/*.cpp' 'tools/*.cpp' \
  'app/qt/*.cpp' | grep -v 'Win\.cpp$\|/WinText\.cpp$')
echo "check-style: clang-tidy on ${#tidy[@]} files"
run_tidy "$build/clang-tidy.log" "$build" -- "${tidy[@]}"

if [[ -n $windows ]]; then
  # The Windows files with the cross compiler's C++ library; clang brings its own intrinsics.
  mapfile -t win < <(git ls-files -co --exclude-standard -- 'app/win32/*.cpp')
  mapfile -t includes < <(echo | x86_64-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here:/,/End of search list./p' | grep '^ .*c++' |
    sed 's/^ */-extra-arg=-isystem/')
  echo "check-style: clang-tidy on ${#win[@]} Windows files"
  run_tidy "$windows/clang-tidy.log" "$windows" -extra-arg=--target=x86_64-w64-mingw32 \
    -extra-arg=-nostdinc++ "${includes[@]}" -- "${win[@]/#/$root/}"
fi
echo "check-style: clean"
