#!/usr/bin/env bash
# Reports what the program costs on a desktop, next to the smallest program with a window and a
# tray icon built the same way, all in one private session (see tests/gui/run-in-netns.sh):
#   - Linux: MonitorZelnor next to minimal_tray (Qt);
#   - Windows, under Wine: MonitorZelnor.exe next to minimal_tray_win.exe (bench/win32), when
#     the Windows tree is built.
# For each: resident memory (VmRSS; under Wine the process's working set) after start-up and
# after the idle time, CPU time and wakeups (context switches of all its threads) over two idle
# minutes after start-up, and the ratio to the baseline. Meanwhile the Linux short-tick build
# runs 100 activity tests against the simulated service; its memory afterwards is shown too.
#
#   scripts/footprint.sh [BUILD_DIR [WINDOWS_BUILD_DIR]]
#     BUILD_DIR          a Release build of the Qt program (default build/release)
#     WINDOWS_BUILD_DIR  a Release Windows tree (default build/windows-release, as
#                        scripts/windows/package.sh builds it) with the targets MonitorZelnor,
#                        minimal_tray_win, mz_encipher_win and mzdriver
# A few minutes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly root idle_seconds=120 tests_wanted=100

# Outside: find the programs, then run this script again inside the private session.
if [[ ${1:-} != --inside ]]; then
    build=$(cd "${1:-$root/build/release}" && pwd)
    find_binary() {
        local found
        found=$(find "$build" -name "$1" -type f -perm -u+x -print -quit)
        [[ -n $found ]] || {
            echo "footprint: $1 not found under $build; build it first" >&2
            exit 1
        }
        echo "$found"
    }
    MZ_PROGRAM_REAL=$(find_binary MonitorZelnor)
    MZ_PROGRAM_FAST=$(find_binary MonitorZelnorFastTick)
    MZ_MINIMAL_TRAY=$(find_binary minimal_tray)
    MZ_ENCIPHER=$(find_binary mz_encipher)
    MZ_SIM=$(find_binary zelnor_sim)
    export MZ_PROGRAM_REAL MZ_PROGRAM_FAST MZ_MINIMAL_TRAY MZ_ENCIPHER MZ_SIM

    windows=${2:-$root/build/windows-release}
    MZ_WIN_BIN=""
    if [[ -d $windows/bin ]]; then
        windows=$(cd "$windows" && pwd)
        MZ_WIN_BIN=$windows/bin
        for program in MonitorZelnor.exe minimal_tray_win.exe mz_encipher_win.exe mzdriver.exe; do
            [[ -f $MZ_WIN_BIN/$program ]] || {
                echo "footprint: $MZ_WIN_BIN/$program is missing; build it first" >&2
                exit 1
            }
        done
        # The prefix the Windows front-end tests prepare, used read-only through an overlay.
        MZ_WIN_PREFIX=$windows/wine-frontend
        if [[ ! -f $MZ_WIN_PREFIX/.ready ]]; then
            echo "footprint: preparing the Wine prefix $MZ_WIN_PREFIX (once)" >&2
            rm -rf "$MZ_WIN_PREFIX"
            WINEPREFIX=$MZ_WIN_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
                /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
            WINEPREFIX=$MZ_WIN_PREFIX /usr/lib/wine/wineserver -w
            touch "$MZ_WIN_PREFIX/.ready"
        fi
        export MZ_WIN_PREFIX
    else
        echo "footprint: no Windows tree at $windows: measuring Linux only" >&2
    fi
    export MZ_WIN_BIN MZ_SCRIPTS_DIR=$root/scripts MZ_TEST_SECONDS=900
    exec "$root/tests/gui/run-in-netns.sh" "$0" --inside
fi

# shellcheck source=../tests/gui/lib.sh
source "$root/tests/gui/lib.sh"
trap 'echo "footprint: failed at line $LINENO" >&2' ERR
cleanup() {
    for pid in "${STARTED[@]}"; do end_process "$pid" || true; done
    if [[ -n ${WINEPREFIX:-} ]]; then
        /usr/lib/wine/wineserver -k 2>/dev/null || true
        umount "$MZ_WORK_DIR/wine/prefix" 2>/dev/null || true
    fi
}
trap cleanup EXIT
STARTED=()

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# CPU time of all the process's threads, in nanoseconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{sum += $1} END {print sum}'; }
# Context switches of all the process's threads: each one a wakeup of the process.
switches() {
    cat /proc/"$1"/task/*/status | awk '/ctxt_switches:/ {sum += $2} END {print sum}'
}
mib() { awk -v k="$1" 'BEGIN {printf "%.1f MiB", k / 1024}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2fx", a / b; else print "-"}'; }

# launch NAME PROGRAM [ini lines...]: a program directory of its own; sets PID.
launch() {
    local name=$1
    MZ_PROGRAM=$2
    shift 2
    make_program_dir "$MZ_WORK_DIR/$name" "$@"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$MZ_WORK_DIR/$name/monitor_zelnor.ini"
    start_program "$MZ_WORK_DIR/$name" "$MZ_WORK_DIR/$name-run"
    PID=$PROGRAM_PID
    STARTED+=("$PID")
    wait_until 20 "$name docks its tray icon" icon_docked
}

# The monitor's window comes up and goes to the tray at start-up; wait for that to be over.
settle_monitor() {
    wait_until 20 "the window is created" main_window_exists
    wait_until 20 "the window goes to the tray" put_away "$(main_window)"
}

# Wine in a prefix of its own (the prepared one under an overlay) with this session's server.
start_wine() {
    local wine=$MZ_WORK_DIR/wine
    mkdir -p "$wine/upper" "$wine/work" "$wine/prefix"
    mount -t overlay overlay -o "lowerdir=$MZ_WIN_PREFIX,upperdir=$wine/upper,workdir=$wine/work" \
        "$wine/prefix"
    export WINEPREFIX=$wine/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
}
wine_icons() {
    xwininfo -tree -id "$(tray_panel)" | grep -c '"explorer.exe"' || true
}
more_wine_icons() { (($(wine_icons) > $1)); }

# launch_windows NAME PROGRAM: the Windows program in a directory of its own with settings that
# reach the private database, started from there; sets PID once its icon is docked.
launch_windows() {
    local name=$1 program=$2 dir=$MZ_WORK_DIR/$1 icons
    mkdir -p "$dir"
    cp "$MZ_WIN_BIN/$program" "$MZ_WIN_BIN/libmariadb.dll" "$dir/"
    # Stripped, as the installer ships them.
    x86_64-w64-mingw32-strip "$dir/$program" "$dir/libmariadb.dll"
    printf '[ip]\r\nlocal=127.0.0.1\r\ndatabase=gerente\r\nusuario=%s\r\nsenha=%s\r\n' \
        "$MZ_DB_USER" "$(/usr/lib/wine/wine64 "$MZ_WIN_BIN/mz_encipher_win.exe" "$MZ_DB_PASSWORD" |
            tr -d '\r')" >"$dir/sistema_tervo.ini"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$dir/monitor_zelnor.ini"
    icons=$(wine_icons)
    (cd "$dir" && exec /usr/lib/wine/wine64 "$program") </dev/null >"$MZ_WORK_DIR/$name.log" 2>&1 &
    PID=$!
    STARTED+=("$PID")
    wait_until 30 "$name docks its tray icon" more_wine_icons "$icons"
}
driver() { /usr/lib/wine/wine64 "$MZ_WIN_BIN/mzdriver.exe" "$@" >/dev/null; }

sequence() { sql "select seq_zelnor from gerente.filial where filial_id = 2"; }
sequence_at_least() { (($(sequence) >= $1)); }

send=$MZ_WORK_DIR/zelnor/ENV/
reply=$MZ_WORK_DIR/zelnor/REC/
mkdir -p "$send" "$reply"
"$MZ_SIM" --send "$send" --reply "$reply" --mode good >"$MZ_WORK_DIR/sim.log" 2>&1 &
STARTED+=("$!")
exchange=("[zelnor]" "envio=$send" "resposta=$reply" "tempo=1000" "[FilialMatriz]" "CodLogica=2")

echo "starting the programs"
launch minimal_tray "$MZ_MINIMAL_TRAY"
minimal=$PID
launch monitor "$MZ_PROGRAM_REAL"
monitor=$PID
settle_monitor
# The fast build's activity tests use the database row alone; the monitor (one test in five
# minutes) runs none within the idle time.
launch fast "$MZ_PROGRAM_FAST" "${exchange[@]}"
fast=$PID
settle_monitor
measured=("$minimal" "$monitor")
if [[ -n $MZ_WIN_BIN ]]; then
    start_wine
    launch_windows minimal_tray_win minimal_tray_win.exe
    minimal_win=$PID
    launch_windows monitor_win MonitorZelnor.exe
    monitor_win=$PID
    driver wait iconic 1 30 || fail "MonitorZelnor.exe did not go to the tray"
    driver wait visible 0 10 || fail "MonitorZelnor.exe did not go to the tray"
    measured+=("$minimal_win" "$monitor_win")
fi
sleep 2

declare -A rss_start cpu_start wakeups_start rss_end cpu idle_wakeups
for pid in "${measured[@]}" "$fast"; do
    rss_start[$pid]=$(rss_kib "$pid")
    cpu_start[$pid]=$(cpu_ns "$pid")
    wakeups_start[$pid]=$(switches "$pid")
done

echo "idle for $idle_seconds s while the short-tick build runs $tests_wanted activity tests"
sleep "$idle_seconds"
for pid in "${measured[@]}"; do
    cpu[$pid]=$(($(cpu_ns "$pid") - cpu_start[$pid]))
    idle_wakeups[$pid]=$(($(switches "$pid") - wakeups_start[$pid]))
    rss_end[$pid]=$(rss_kib "$pid")
done
wait_for 600 sequence_at_least "$tests_wanted" ||
    fail "only $(sequence) activity tests ran"
tests_run=$(sequence)
rss_fast_after=$(rss_kib "$fast")
failed=$( (cat "$MZ_WORK_DIR"/fast-run/LogZelnor/*.txt 2>/dev/null || true) | wc -l)

# row NAME PID [BASELINE_PID]
row() {
    local pid=$2 base=${3:-}
    printf '%-22s %12s %12s %10s %9s' "$1" "$(mib "${rss_start[$pid]}")" "$(mib "${rss_end[$pid]}")" \
        "$(awk -v n="${cpu[$pid]}" 'BEGIN {printf "%.1f ms", n / 1e6}')" \
        "$(awk -v n="${idle_wakeups[$pid]}" -v s="$idle_seconds" 'BEGIN {printf "%.2f/s", n / s}')"
    if [[ -n $base ]]; then
        printf '   memory %s, CPU %s, wakeups %s' "$(ratio "${rss_end[$pid]}" "${rss_end[$base]}")" \
            "$(ratio "${cpu[$pid]}" "${cpu[$base]}")" \
            "$(ratio "${idle_wakeups[$pid]}" "${idle_wakeups[$base]}")"
    fi
    printf '\n'
}
printf '\n%-22s %12s %12s %10s %9s   %s\n' "program" "RSS start" "RSS end" "idle CPU" \
    "wakeups" "ratio to the baseline (RSS at the end)"
row minimal_tray "$minimal"
row MonitorZelnor "$monitor" "$minimal"
if [[ -n $MZ_WIN_BIN ]]; then
    row minimal_tray_win.exe "$minimal_win"
    row MonitorZelnor.exe "$monitor_win" "$minimal_win"
fi
printf '\nIdle: %d s after start-up, hidden in the tray. Under Wine the memory is the process'"'"'s\n' \
    "$idle_seconds"
printf 'resident set (its working set); wineserver and explorer.exe are shared and not counted.\n'
printf 'The short-tick build ran %d activity tests (%d logged as failed); its RSS afterwards: %s.\n' \
    "$tests_run" "$failed" "$(mib "$rss_fast_after")"
