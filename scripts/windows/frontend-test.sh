#!/usr/bin/env bash
# Tests the Windows program itself under Wine: the real MonitorZelnor.exe (and the test build
# with a short timer period) driven through its windows by mzdriver.exe, in a private network
# namespace with a private MariaDB server on 127.0.0.1:3306 and a private X session.
#
#   frontend-test.sh [BUILD_DIR [SCENARIO...]]   BUILD_DIR: a Windows build tree (default
#                                                build/windows); scenarios: all by default
#
# The Wine prefix is prepared once beside the build (BUILD_DIR/wine-frontend) and used read-only
# through an overlay inside the namespace, so every run starts from the same prefix and has its
# own wineserver. The simulated Zelnor service is the Linux build's tools/zelnor_sim (built into
# build/windows-linux-tools when no Linux build has one).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
bin=$build/bin
log() { echo "frontend-test: $*" >&2; }

for program in MonitorZelnor.exe MonitorZelnorFastTick.exe mzdriver.exe mz_encipher_win.exe; do
    [[ -f $bin/$program ]] || { log "$bin/$program is missing: build the Windows tree first"; exit 1; }
done

sim=${MZ_SIM:-}
if [[ -z $sim ]]; then
    for candidate in "$root"/build/*/tools/zelnor_sim; do
        [[ -x $candidate ]] && { sim=$candidate; break; }
    done
fi
if [[ -z $sim ]]; then
    tools=$root/build/windows-linux-tools
    log "building the Linux zelnor_sim in $tools"
    cmake -S "$root" -B "$tools" -DMZ_BUILD_QT=OFF -DMZ_BUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$tools" -j2 --target zelnor_sim >/dev/null
    sim=$tools/tools/zelnor_sim
fi

prefix=$build/wine-frontend
if [[ ! -f $prefix/.ready ]]; then
    log "preparing the Wine prefix $prefix (once)"
    rm -rf "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
    touch "$prefix/.ready"
fi

export MZ_WIN_BIN=$bin MZ_WIN_PREFIX=$prefix MZ_SIM=$sim
export MZ_TEST_SECONDS=${MZ_TEST_SECONDS:-280}
exec "$root/tests/gui/run-in-netns.sh" "$root/scripts/windows/frontend-scenarios.sh" "${@:2}"
