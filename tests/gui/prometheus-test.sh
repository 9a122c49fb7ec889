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

trap 'stop_all; for p in $SIM_PID $EXPORTER_PID; do end_process "$p" || true; done' EXIT

# The value of one sample as node_exporter serves it ("" when absent); $1 is the name with its
# labels as the exporter writes them (sorted).
served() {
    curl -sf "$exporter" | awk -v name="$1" '$1 == name {print $2; found = 1} END {exit !found}'
}
served_is() { [[ $(served "$1") == "$2" ]]; }
expect_served() {
    local value
    value=$(served "$1") || fail "node_exporter does not serve $1"
    [[ $value == "$2" ]] || fail "$1 is $value, not $2"
}

# promtool reads the program's own file and has nothing to say about it.
check_with_promtool() {
    local complaints
    complaints=$(promtool check metrics <"$prom" 2>&1) || fail "promtool refuses the file: $complaints"
    [[ -z $complaints ]] || fail "promtool complains: $complaints"
    ! grep -q $'\r' "$prom" || fail "the file has CR LF line ends"
    [[ $(ls -A "$textfile") == monitor_zelnor.prom ]] ||
        fail "the folder holds more than the file: $(ls -A "$textfile")"
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
    served_is 'monitor_zelnor_tests_total{outcome="good"}' 1
check_with_promtool
expect_served 'monitor_zelnor_info{branch="7",version="2.3.0.4"}' 1
expect_served monitor_zelnor_up 1
expect_served monitor_zelnor_interval_seconds 300
expect_served monitor_zelnor_error_box_open 0
expect_served 'monitor_zelnor_tests_total{outcome="no_reply"}' 0
success=$(served monitor_zelnor_last_success_timestamp_seconds) || fail "no last success served"
awk -v t="$success" -v a="$started" -v b="$(date +%s)" 'BEGIN {exit !(t + 0 >= a - 1 && t + 0 <= b + 1)}' ||
    fail "last success $success is not between $started and now"
[[ $(served monitor_zelnor_last_test_timestamp_seconds) == "$success" ]] ||
    fail "the last test is not the good one"

step "after a failed test"
end_process "$SIM_PID"
SIM_PID=""
wait_until 25 "node_exporter serves a test without a reply" \
    served_is 'monitor_zelnor_tests_total{outcome="no_reply"}' 1
check_with_promtool
expect_served monitor_zelnor_last_success_timestamp_seconds "$success"
last_test=$(served monitor_zelnor_last_test_timestamp_seconds)
awk -v t="$last_test" -v s="$success" 'BEGIN {exit !(t + 0 > s + 0)}' ||
    fail "the last test ($last_test) is not after the last success ($success)"
duration=$(served monitor_zelnor_last_test_duration_seconds)
# Three waits of one second for the reply that never comes.
awk -v d="$duration" 'BEGIN {exit !(d + 0 >= 3 && d + 0 < 20)}' ||
    fail "a test without a reply took $duration s"

step "after a clean end"
quit_from_menu
expect_served monitor_zelnor_up 0
check_with_promtool
! grep -rq monitor_zelnor.prom "$MZ_WORK_DIR/run/LogZelnor" 2>/dev/null ||
    fail "the metrics were logged as failing: $(cat "$MZ_WORK_DIR"/run/LogZelnor/*)"
echo "PASS"
