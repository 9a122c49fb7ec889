#!/usr/bin/env bash
# The metrics file end to end: the program with a short tick writes monitor_zelnor.prom into
# the folder named by [MONITOR] prometheus; promtool accepts it, and node_exporter's textfile
# collector, on loopback in the test's own network namespace, serves its values after a good
# test, after a failed one, and after the program's clean end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly send=$MZ_WORK_DIR/zelnor/ENV/ reply=$MZ_WORK_DIR/zelnor/REC/
readonly textfile=$MZ_WORK_DIR/textfile prom=$MZ_WORK_DIR/textfile/monitor_zelnor.prom
readonly exporter=http://127.0.0.1:9100/metrics
SIM_PID="" EXPORTER_PID=""

stop_helpers() {
    local pid
    for pid in $SIM_PID $EXPORTER_PID; do end_process "$pid" || true; done
}
trap 'stop_all; stop_helpers' EXIT

# One scrape of node_exporter; the program writes a test every 1.5 s, so each check reads its
# values from one snapshot.
snapshot() { SNAPSHOT=$(curl -sf "$exporter") || fail "node_exporter does not answer"; }
# The value of one sample in the snapshot; $1 is the name with its labels as the exporter
# writes them (sorted).
value() { awk -v name="$1" '$1 == name {print $2; found = 1} END {exit !found}' <<<"$SNAPSHOT"; }
expect_value() {
    local v
    v=$(value "$1") || fail "node_exporter does not serve $1"
    [[ $v == "$2" ]] || fail "$1 is $v, not $2"
}
# True once the exporter serves at least $2 for $1.
served_at_least() {
    SNAPSHOT=$(curl -sf "$exporter") || return 1
    local v
    v=$(value "$1") || return 1
    awk -v v="$v" -v n="$2" 'BEGIN {exit !(v + 0 >= n + 0)}'
}
# Numeric comparison of two values: holds A OP B.
holds() { awk -v a="$1" -v b="$3" "BEGIN {exit !(a + 0 $2 b + 0)}"; }

# promtool reads the program's own file and has nothing to say about it.
check_with_promtool() {
    local complaints
    complaints=$(promtool check metrics <"$prom" 2>&1) || fail "promtool refuses the file: $complaints"
    [[ -z $complaints ]] || fail "promtool complains: $complaints"
    ! grep -q $'\r' "$prom" || fail "the file has CR LF line ends"
    # While the program runs, its next file may stand under the temporary name for a moment.
    local file
    for file in "$textfile"/* "$textfile"/.[!.]*; do
        [[ -e $file ]] || continue
        [[ $file == "$prom" || ( -n ${1:-} && $file == "$prom.tmp" ) ]] ||
            fail "the folder holds more than the file: $file"
    done
}

mkdir -p "$send" "$reply" "$textfile"
"$MZ_SIM" --send "$send" --reply "$reply" --mode good >"$MZ_WORK_DIR/sim.log" 2>&1 &
SIM_PID=$!
prometheus-node-exporter --web.listen-address=127.0.0.1:9100 --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$textfile" \
    >"$MZ_WORK_DIR/exporter.log" 2>&1 &
EXPORTER_PID=$!

prepare_program "[zelnor]" "envio=$send" "resposta=$reply" "tempo=1000" \
    "[FilialMatriz]" "CodLogica=7"
printf '[MONITOR]\r\nintervalo=5\r\nprometheus=%s\r\n' "$textfile" \
    >"$MZ_WORK_DIR/program/monitor_zelnor.ini"
started=$(date +%s)
launch_and_settle

step "after a good test"
wait_until 20 "node_exporter serves a good test" \
    served_at_least 'monitor_zelnor_tests_total{outcome="good"}' 1
check_with_promtool running
expect_value 'monitor_zelnor_info{branch="7",version="2.3.0.4"}' 1
expect_value monitor_zelnor_up 1
expect_value monitor_zelnor_interval_seconds 300
expect_value monitor_zelnor_error_box_open 0
expect_value 'monitor_zelnor_tests_total{outcome="no_reply"}' 0
expect_value 'monitor_zelnor_tests_total{outcome="error"}' 0
success=$(value monitor_zelnor_last_success_timestamp_seconds) || fail "no last success served"
if ! holds "$success" '>=' "$((started - 1))" || ! holds "$success" '<=' "$(($(date +%s) + 1))"; then
    fail "last success $success is not between $started and now"
fi
[[ $(value monitor_zelnor_last_test_timestamp_seconds) == "$success" ]] ||
    fail "the last test is not the good one"

step "after a failed test"
end_process "$SIM_PID"
SIM_PID=""
wait_until 25 "node_exporter serves a test without a reply" \
    served_at_least 'monitor_zelnor_tests_total{outcome="no_reply"}' 1
check_with_promtool running
success=$(value monitor_zelnor_last_success_timestamp_seconds) || fail "the last success is gone"
last_test=$(value monitor_zelnor_last_test_timestamp_seconds)
holds "$last_test" '>' "$success" ||
    fail "the last test ($last_test) is not after the last success ($success)"
duration=$(value monitor_zelnor_last_test_duration_seconds)
# Three waits of one second for the reply that never comes.
if ! holds "$duration" '>=' 3 || ! holds "$duration" '<' 20; then
    fail "a test without a reply took $duration s"
fi
expect_value monitor_zelnor_up 1

step "after a clean end"
quit_from_menu
snapshot
expect_value monitor_zelnor_up 0
check_with_promtool
! grep -rq monitor_zelnor.prom "$MZ_WORK_DIR/run/LogZelnor" 2>/dev/null ||
    fail "the metrics were logged as failing: $(cat "$MZ_WORK_DIR"/run/LogZelnor/*)"
echo "PASS"
