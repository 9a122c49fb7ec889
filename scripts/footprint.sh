#!/usr/bin/env bash
# Reports what the program costs on a desktop, next to the smallest Qt program with a window
# and a tray icon (minimal_tray), all in one private session (see tests/gui/run-in-netns.sh):
#   - resident memory (VmRSS) after start-up;
#   - resident memory after 100 activity tests, run by the short-tick build against the
#     simulated service;
#   - CPU time (user + system) spent over two idle minutes after start-up.
#
#   scripts/footprint.sh [BUILD_DIR]   (default: build/test); a few minutes
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
readonly root idle_seconds=120 tests_wanted=100

# Outside: find the programs, then run this script again inside the private session.
if [[ ${1:-} != --inside ]]; then
    build=$(cd "${1:-$root/build/test}" && pwd)
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
    export MZ_SCRIPTS_DIR=$root/scripts MZ_TEST_SECONDS=900
    exec "$root/tests/gui/run-in-netns.sh" "$0" --inside
fi

# shellcheck source=../tests/gui/lib.sh
source "$root/tests/gui/lib.sh"
trap 'echo "footprint: failed at line $LINENO" >&2' ERR
trap 'for pid in ${STARTED[*]:-}; do end_process "$pid" || true; done' EXIT
STARTED=()

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# User plus system time in clock ticks.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f MiB", k / 1024}'; }
seconds() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f s", t / hz}'; }

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

sequence() { sql "select seq_zelnor from gerente.filial where filial_id = 2"; }
sequence_at_least() { (($(sequence) >= $1)); }

send=$MZ_WORK_DIR/zelnor/ENV/
reply=$MZ_WORK_DIR/zelnor/REC/
mkdir -p "$send" "$reply"
"$MZ_SIM" --send "$send" --reply "$reply" --mode good >"$MZ_WORK_DIR/sim.log" 2>&1 &
STARTED+=($!)
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
sleep 2

declare -A rss_start cpu_start
for pid in "$minimal" "$monitor" "$fast"; do
    rss_start[$pid]=$(rss_kib "$pid")
    cpu_start[$pid]=$(cpu_ticks "$pid")
done

echo "idle for $idle_seconds s while the short-tick build runs $tests_wanted activity tests"
sleep "$idle_seconds"
idle_cpu_minimal=$(($(cpu_ticks "$minimal") - cpu_start[$minimal]))
idle_cpu_monitor=$(($(cpu_ticks "$monitor") - cpu_start[$monitor]))
wait_for 600 sequence_at_least "$tests_wanted" ||
    fail "only $(sequence) activity tests ran"
tests_run=$(sequence)
rss_fast_after=$(rss_kib "$fast")
rss_monitor_after=$(rss_kib "$monitor")
rss_minimal_after=$(rss_kib "$minimal")
failed=$( (cat "$MZ_WORK_DIR"/fast-run/LogZelnor/*.txt 2>/dev/null || true) | wc -l)

printf '\n%-24s %14s %18s %22s\n' "program" "RSS at start" "RSS at the end" "CPU over ${idle_seconds} s idle"
printf '%-24s %14s %18s %22s\n' "minimal_tray" "$(mib "${rss_start[$minimal]}")" \
    "$(mib "$rss_minimal_after")" "$(seconds "$idle_cpu_minimal")"
printf '%-24s %14s %18s %22s\n' "MonitorZelnor" "$(mib "${rss_start[$monitor]}")" \
    "$(mib "$rss_monitor_after")" "$(seconds "$idle_cpu_monitor")"
printf '%-24s %14s %18s %22s\n' "MonitorZelnorFastTick" "$(mib "${rss_start[$fast]}")" \
    "$(mib "$rss_fast_after")" "(busy)"
printf '\nThe short-tick build ran %d activity tests (%d logged as failed) and used %s of CPU.\n' \
    "$tests_run" "$failed" "$(seconds $(($(cpu_ticks "$fast") - cpu_start[$fast])))"
