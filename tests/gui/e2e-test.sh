#!/usr/bin/env bash
# Activity tests end to end: the program with a short tick, the simulated Zelnor service and
# the private database.
#   e2e-test.sh good       the service answers OK: the number advances, the request goes out,
#                          the reply is taken away, nothing is logged
#   e2e-test.sh no_reply   the service stays silent: the failure is logged
#   e2e-test.sh bad_reply  the service answers without "OK": the failure is logged
#   e2e-test.sh open_box   no reply ever comes and the month log cannot be written: one box
#                          opens, and the tests go on at every interval while it stays open
#   e2e-test.sh partial_reply  the service writes its good reply a byte at a time, unlocked:
#                          a first line still without its end is waited for, not judged
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly send=$MZ_WORK_DIR/zelnor/ENV/ reply=$MZ_WORK_DIR/zelnor/REC/
readonly request_file=${send}TesteAtividadeX.txt reply_file=${reply}TesteAtividadeX.txt
readonly log_dir=$MZ_WORK_DIR/run/LogZelnor
readonly failure_line='Falha ao obter a resposta do zelnor'
SIM_PID=""

trap 'stop_all; [[ -z $SIM_PID ]] || end_process "$SIM_PID" || true' EXIT

sequence() { sql "select seq_zelnor from gerente.filial where filial_id = 2"; }
sequence_at_least() { (($(sequence) >= $1)); }

# start_service MODE [OPTION...]
start_service() {
    mkdir -p "$send" "$reply"
    "$MZ_SIM" --send "$send" --reply "$reply" --mode "$@" >"$MZ_WORK_DIR/sim.log" 2>&1 &
    SIM_PID=$!
}

# A program directory whose settings make a test run every five short ticks.
start_monitor() {
    prepare_program "[zelnor]" "envio=$send" "resposta=$reply" "tempo=1000" \
        "[FilialMatriz]" "CodLogica=2"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$MZ_WORK_DIR/program/monitor_zelnor.ini"
    launch_and_settle
}

log_lines() { cat "$log_dir"/*.txt 2>/dev/null; }
failure_logged() { log_lines | grep -q "$failure_line"; }

# The request of number $1: four digits at least, the code 97, CR LF.
expect_request_of() {
    local expected
    expected=$(printf '%04d97\r\n_' "$1")
    [[ $(cat "$request_file"; echo _) == "$expected" ]] ||
        fail "request file $(od -c "$request_file" | head -n2) is not that of number $1"
}

scenario_good() {
    start_service good
    start_monitor
    wait_until 40 "an activity test advances the sequence number" sequence_at_least 1
    wait_until 10 "the service receives the first request" grep -q "request TesteAtividadeX.txt 000197" \
        "$MZ_WORK_DIR/sim.log"
    quit_from_menu
    expect_request_of "$(sequence)"
    [[ ! -e $reply_file ]] || fail "the reply file was left in $reply"
    [[ -z $(log_lines) ]] || fail "a good test was logged: $(log_lines)"
}

# The service answers with mode $1, which is no good answer: the failure is logged,
# the number is consumed all the same, and no reply is left behind.
expect_failures_logged() {
    start_service "$1"
    start_monitor
    wait_until 40 "a test without a good reply is logged" failure_logged
    quit_from_menu
    local month files
    month=$(date +%-m)
    files=$(cd "$log_dir" && ls)
    [[ $files =~ ^([1-9]|1[0-2])\.txt$ ]] || fail "unexpected log files: $files"
    # At the turn of a month the line may be in the file of the month before.
    [[ $files == "$month.txt" || $files == "$(((month + 10) % 12 + 1)).txt" ]] ||
        fail "the log file $files is not that of month $month"
    local first
    first=$(head -n1 "$log_dir/$files")
    [[ $first =~ ^[0-9].*\ -\ $failure_line$'\r'$ ]] ||
        fail "unexpected log line: $(head -n1 "$log_dir/$files" | od -c | head -n4)"
    sequence_at_least 1 || fail "the failed test did not consume a sequence number"
    expect_request_of "$(sequence)"
    [[ ! -e $reply_file ]] || fail "the reply file was left in $reply"
}

box_open() { (($(open_boxes) >= 1)); }

# A test every five short ticks (1.5 s), no service, and a folder where the month's log file
# should be: every test fails to log. The first failure's box opens and stays; the cycle must
# not wait for it, and no second box may open.
scenario_open_box() {
    prepare_program "[zelnor]" "envio=$send" "resposta=$reply" "tempo=0" \
        "[FilialMatriz]" "CodLogica=2"
    mkdir -p "$send" "$reply" "$log_dir/$(date +%-m).txt"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$MZ_WORK_DIR/program/monitor_zelnor.ini"
    launch_and_settle
    wait_until 20 "a failure to log opens a box" box_open
    local first sample started
    first=$(sequence) started=$(date +%s%N)
    # At least six intervals, the box looked at every half second.
    for sample in {1..18}; do
        sleep 0.5
        (($(open_boxes) == 1)) || fail "$(open_boxes) boxes open at sample $sample"
    done
    local tests=$(($(sequence) - first)) intervals=$((($(date +%s%N) - started) / 1500000000))
    step "$tests tests in $intervals intervals while the box stayed open"
    ((tests >= 4 && tests >= intervals - 1)) ||
        fail "only $tests tests in $intervals intervals while the box was open"
    stop_program
}

# Each reply grows over 2.5 s while the test looks once a second: the first looks meet an empty
# file or "0", "0001", ..., which judged at once would be a failure ("List index out of bounds"
# or no "OK"). Waited for, every reply is complete, or has its "OK" at least, by the last look.
answers_given() { (($(grep -c "^answer TesteAtividadeX.txt trickle" "$MZ_WORK_DIR/sim.log") >= $1)); }
scenario_partial_reply() {
    start_service trickle --hold-ms 2500
    start_monitor
    wait_until 60 "the service finishes two slow replies" answers_given 2
    # A third test has begun: the second has judged its reply.
    wait_until 20 "a third test begins" sequence_at_least 3
    (($(open_boxes) == 0)) || fail "a box opened for a reply still being written"
    quit_from_menu
    [[ -z $(log_lines) ]] || fail "a reply still being written was judged: $(log_lines)"
}

scenario_no_reply() { expect_failures_logged none; }
scenario_bad_reply() { expect_failures_logged bad; }

if [[ $# != 1 ]] || ! declare -F "scenario_$1" >/dev/null; then
    echo "usage: $0 good|no_reply|bad_reply|open_box|partial_reply" >&2
    exit 2
fi
step "$1"
"scenario_$1"
echo "PASS"
