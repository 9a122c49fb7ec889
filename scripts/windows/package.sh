#!/usr/bin/env bash
# Builds the Windows installer build/windows/package/MonitorZelnor-<version>-setup.exe (NSIS),
# then tests it under Wine unless MZ_PACKAGE_TEST=0: per-user and all-users installs, upgrade
# over a running copy, the autostart shortcut, uninstall and purge, two users' sessions (the
# scenarios in installer-scenarios.sh).
#   scripts/windows/package.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=${MZ_JOBS:-2}
log() { echo "package.sh: $*" >&2; }

version=$(sed -n 's/^project(MonitorZelnor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deps=$("$root/scripts/windows/deps.sh")
build=$root/build/windows-release
out=$root/build/windows/package
stage=$out/stage

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DMZ_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DMZ_BUILD_QT=OFF \
    -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
# The program, and what the installer's test drives it with.
cmake --build "$build" -j"$jobs" --target MonitorZelnor MonitorZelnorFastTick mzdriver mz_encipher_win

rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/MonitorZelnor.exe" "$build/bin/libmariadb.dll" "$stage/"
x86_64-w64-mingw32-strip "$stage/MonitorZelnor.exe" "$stage/libmariadb.dll"
# The authentication plugins are built into libmariadb.dll (see deps.sh). Its licence: the
# source's COPYING.LIB when the cache kept it, else the same LGPL 2.1 text from Debian.
licence=$(find "$deps" -name COPYING.LIB -print -quit)
cp "${licence:-/usr/share/common-licenses/LGPL-2.1}" "$stage/COPYING.LIB"

setup=$out/MonitorZelnor-$version-setup.exe
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$setup" -DVERSION="$version" \
    -DRESOURCES="$root/resources" "$root/app/win32/installer/MonitorZelnor.nsi"
log "built $setup"

if [[ ${MZ_PACKAGE_TEST:-1} != 0 ]]; then
    MZ_INSTALLER=$setup MZ_TEST_SECONDS=${MZ_TEST_SECONDS:-600} \
        "$root/scripts/windows/frontend-test.sh" "$build" installer
fi
