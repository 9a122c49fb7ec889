#!/usr/bin/env bash
# Runs a Windows program under Wine in the Windows lane's private prefix (build/wine-prefix
# unless WINEPREFIX is set), quietly. CMake uses it as the emulator for cross-built programs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec /usr/lib/wine/wine64 "$@"
