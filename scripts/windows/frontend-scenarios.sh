#!/usr/bin/env bash
# The Windows program's driven scenarios; run by frontend-test.sh inside run-in-netns.sh, which
# provides DISPLAY, MZ_DB_DIR, MZ_WORK_DIR and MZ_SCRIPTS_DIR. Arguments: scenario names (all
# when none).
set -euo pipefail
# shellcheck source=../lib/process.sh disable=SC1091
source "$MZ_SCRIPTS_DIR/lib/process.sh"

readonly bin=$MZ_WIN_BIN work=$MZ_WORK_DIR
PROGRAM_PID="" SIM_PID=""

fail() {
    echo "FAIL: $*" >&2
    driver state >&2 || true
    [[ ! -s $work/program.log ]] || { echo "program output:" >&2; tail -n 40 "$work/program.log" >&2; }
    exit 1
}
step() { echo "--- $*"; }

# Wine in its own prefix: the prepared one under an overlay, with this namespace's wineserver.
start_wine() {
    mkdir -p "$work/wine/upper" "$work/wine/work" "$work/wine/prefix"
    mount -t overlay overlay -o "lowerdir=$MZ_WIN_PREFIX,upperdir=$work/wine/upper,workdir=$work/wine/work" \
        "$work/wine/prefix"
    export WINEPREFIX=$work/wine/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # A persistent server, started before anything whose output is read: Wine's helper
    # processes would otherwise hold the callers' pipes open.
    /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
}
stop_wine() {
    [[ -n ${WINEPREFIX:-} ]] || return 0
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    umount "$work/wine/prefix" 2>/dev/null || true
}

wine() { /usr/lib/wine/wine64 "$@"; }
# The driver's own failure is status 3, with its reason. Any other status is Wine's: a driver
# has once ended without a word of its own. The status is said and the command tried once more;
# an action that had in fact been done shows up as the wrong state afterwards.
driver() {
    local status=0
    wine "$bin/mzdriver.exe" "$@" || status=$?
    if [[ $status != 0 && $status != 3 ]]; then
        echo "mzdriver $* ended with status $status, not its own; once more" >&2
        status=0
        wine "$bin/mzdriver.exe" "$@" || status=$?
    fi
    return "$status"
}
expect() { driver "$@" || fail "mzdriver $*"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
sql() { "$MZ_SCRIPTS_DIR/private-mariadb.sh" sql "$MZ_DB_DIR" "$1"; }

# make_program_dir DIR PROGRAM [LINES...]: the program copied into DIR with a sistema_tervo.ini
# that reaches the private database; further lines are added to the file.
make_program_dir() {
    local dir=$1 program=$2
    shift 2
    mkdir -p "$dir"
    cp "$bin/$program" "$bin/libmariadb.dll" "$dir/"
    write_settings "$dir" "$@"
}

# write_settings DIR [LINES...]: sistema_tervo.ini in DIR.
write_settings() {
    local dir=$1 password user=mzuser
    shift
    password=$(wine "$bin/mz_encipher_win.exe" mz-Test-Pw1 | tr -d '\r')
    {
        printf '[ip]\r\nlocal=127.0.0.1\r\ndatabase=gerente\r\nusuario=%s\r\nsenha=%s\r\n' "$user" "$password"
        local line
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$dir/sistema_tervo.ini"
}

# start_program DIR PROGRAM [start options]: runs it from DIR; sets PROGRAM_PID.
start_program() {
    local dir=$1 program=$2
    shift 2
    (cd "$dir" && exec /usr/lib/wine/wine64 "$@" "$program") </dev/null >"$work/program.log" 2>&1 &
    PROGRAM_PID=$!
    expect wait-ready 30
}

expect_program_exit() {
    expect wait-gone 15
    wait_for 15 ended "$PROGRAM_PID" || fail "the program's process did not end"
    local status=0
    wait "$PROGRAM_PID" || status=$?
    [[ $status == 0 ]] || fail "the program ended with status $status"
    PROGRAM_PID=""
}

cleanup() {
    [[ -z $PROGRAM_PID ]] || end_process "$PROGRAM_PID" || true
    [[ -z $SIM_PID ]] || end_process "$SIM_PID" || true
    stop_wine
}
trap cleanup EXIT

# Trayer's panel holds one XEmbed window per docked icon (Wine's explorer docks them).
docked_icons() {
    local panel
    panel=$(xdotool search --classname '^panel$' | head -n1)
    xwininfo -tree -id "$panel" | grep -c '"explorer.exe"' || true
}

# The window has been up and has gone to the tray: minimised and hidden (before its first
# showing it is neither), and no taskbar button.
expect_in_tray() {
    expect wait iconic 1 30
    expect wait visible 0 10
    expect wait taskbar "" 10
}

# The window on screen: its caption carries the version, its taskbar button the title alone.
expect_button_text() {
    expect wait caption "Monitor Zelnor 1.0.0" 1
    expect wait taskbar "Monitor Zelnor" 10
    expect wait taskbar-iconic 0 1
}

# The shipped program in a fresh directory, up and back in the tray.
start_settled() {
    local dir=$1
    make_program_dir "$dir" MonitorZelnor.exe
    start_program "$dir" MonitorZelnor.exe
    expect_in_tray
}

scenario_startup() {
    local dir=$work/startup before
    before=$(docked_icons)
    make_program_dir "$dir" MonitorZelnor.exe
    start_program "$dir" MonitorZelnor.exe
    # Up once, then away to the tray at its first activation.
    expect_in_tray
    expect wait box 0 1
    expect wait field 5 1
    expect wait-prefix status "Salve a configura" 1
    grep -q "intervalo=5" "$dir/monitor_zelnor.ini" || fail "monitor_zelnor.ini was not created"
    wait_for 10 test "$(docked_icons)" -gt "$before" || fail "no icon was docked in the tray"
    step "a second start shows the running copy and ends"
    local second=0
    (cd "$dir" && /usr/lib/wine/wine64 MonitorZelnor.exe) </dev/null >/dev/null 2>&1 || second=$?
    [[ $second == 0 ]] || fail "the second start ended with status $second"
    expect wait visible 1 10
    expect wait iconic 0 1
    expect_button_text
    # The button's window is not seen.
    expect wait taskbar-size 0x0 1
    expect wait client 372x152 1
    expect wait centred 1 1
    expect wait rect-field 8,95,57,21 1
    expect wait rect-statbar 0,133,372,19 1
    expect wait rect-salvar 196,98,80,25 1
    expect wait rect-cancelar 280,98,80,25 1
    expect wait rect-image1 16,16,339,59 1
    step "a new taskbar gets the icon again, once"
    expect taskbar-created
    sleep 1
    [[ $(docked_icons) -eq $((before + 1)) ]] || fail "$(docked_icons) icons docked after TaskbarCreated"
    step "the menu's Fechar ends it and takes the icon away"
    expect tray rbuttonup
    expect pick-menu fechar 5
    expect_program_exit
    wait_for 10 test "$(docked_icons)" -eq "$before" || fail "the tray icon stayed after the end"
}

scenario_tray() {
    start_settled "$work/tray"
    # event, visible afterwards
    local rows=("tray dblclick:1" "tray dblclick:0" "menu configuracoes:1" "menu configuracoes:1"
        "syscommand minimize:0" "tray keyselect+configuracoes:1" "tray dblclick:0"
        "tray rbuttonup+configuracoes:1" "syscommand minimize button:0" "tray dblclick:1")
    local row action visible
    for row in "${rows[@]}"; do
        action=${row%:*} visible=${row##*:}
        step "$action -> visible $visible"
        if [[ $action == *+* ]]; then
            # shellcheck disable=SC2086
            expect ${action%+*}
            expect pick-menu "${action#*+}" 5
        else
            # shellcheck disable=SC2086
            expect $action
        fi
        expect wait visible "$visible" 10
        [[ $visible == 0 ]] || expect wait iconic 0 5
        # A taskbar button, reading the title alone, while the window is on screen only.
        if [[ $visible == 0 ]]; then expect wait taskbar "" 5; else expect_button_text; fi
    done
    expect menu fechar
    expect_program_exit
}

scenario_field() {
    start_settled "$work/field"
    expect menu configuracoes
    expect wait visible 1 10
    # text, key, text afterwards
    local rows=("7 up 8" "7 down 6" "30 up 30" "5 down 5" "45 down 30" "abc up 6" "12 x 12"
        "12 + +12" "12 - -12" "12 7 712" "9 spin-up 10" "9 spin-down 8" "30 spin-up 30")
    local row text key after
    for row in "${rows[@]}"; do
        read -r text key after <<<"$row"
        step "field \"$text\", key $key -> \"$after\""
        # Typed characters go in at the caret, which setting the text puts at the start.
        expect focus field
        expect set-field "$text"
        if [[ $key == spin-* ]]; then
            expect spin "${key#spin-}"
        else
            expect key "$key"
        fi
        expect wait field "$after" 5
    done
    expect syscommand close
    expect_program_exit
}

scenario_save_cancel() {
    local dir=$work/save
    start_settled "$dir"
    expect menu configuracoes
    expect wait visible 1 10
    step "Salvar writes the text and goes to the tray"
    expect set-field 12
    expect click salvar
    expect wait visible 0 10
    grep -q "intervalo=12" "$dir/monitor_zelnor.ini" || fail "Salvar did not write 12"
    step "Cancelar brings the saved text back and goes to the tray"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 20
    expect click cancelar
    expect wait visible 0 10
    expect wait field 12 1
    step "Alt+S saves"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 15
    expect key s alt
    expect wait visible 0 10
    grep -q "intervalo=15" "$dir/monitor_zelnor.ini" || fail "Alt+S did not write 15"
    step "Space on a focused Salvar saves"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 14
    expect focus salvar
    expect key space
    expect wait visible 0 10
    grep -q "intervalo=14" "$dir/monitor_zelnor.ini" || fail "Space did not write 14"
    step "Alt+C cancels"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 25
    expect key c alt
    expect wait visible 0 10
    expect wait field 14 1
    expect set-field 15
    expect click salvar
    expect wait visible 0 10
    step "Return in the field does nothing"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 16
    expect focus field
    expect key return
    sleep 1
    expect wait visible 1 1
    expect wait field 16 1
    grep -q "intervalo=15" "$dir/monitor_zelnor.ini" || fail "Return in the field saved"
    step "Return on a focused Salvar saves"
    expect focus salvar
    expect key return
    expect wait visible 0 10
    grep -q "intervalo=16" "$dir/monitor_zelnor.ini" || fail "Return on Salvar did not write 16"
    step "Space on a focused Cancelar cancels"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 22
    expect focus cancelar
    expect key space
    expect wait visible 0 10
    expect wait field 16 1
    expect set-field 15
    expect click salvar
    expect wait visible 0 10
    step "Return on a focused Cancelar cancels"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 9
    expect focus cancelar
    expect key return
    expect wait visible 0 10
    expect wait field 15 1
    step "a value past the maximum is refused with a box, and the window stays"
    expect menu configuracoes
    expect wait visible 1 10
    expect set-field 31
    expect click salvar
    expect wait box 1 10
    expect wait visible 1 1
    grep -q "intervalo=15" "$dir/monitor_zelnor.ini" || fail "a refused value was written"
    step "Escape ends the program"
    expect close-box
    expect wait box 0 10
    expect key escape
    expect_program_exit
}

# A minimised launch is a taskbar button only, reading "Monitor Zelnor": no showing of the
# window and no connection yet. A double click
# on the icon takes the button away; the first bring-up connects (its failure's box comes up
# once the window has gone on), shows the window and puts it away again; the next one keeps it.
scenario_minimised() {
    local dir=$work/minimised
    # A user the server does not know: the first showing's connection fails with a box.
    make_program_dir "$dir" MonitorZelnor.exe
    sed -i 's/^usuario=.*/usuario=nobody\r/' "$dir/sistema_tervo.ini"
    start_program "$dir" MonitorZelnor.exe start.exe /min /wait
    expect wait taskbar "Monitor Zelnor" 10
    expect wait taskbar-iconic 1 1
    expect wait visible 0 1
    sleep 1
    expect wait taskbar-iconic 1 1
    expect wait visible 0 1
    expect wait box 0 1
    step "a double click takes the taskbar button away, and connects nothing"
    expect tray dblclick
    expect wait taskbar "" 10
    expect wait visible 0 1
    sleep 1
    expect wait box 0 1
    step "the first bring-up connects, shows the window and puts it away at once"
    expect tray dblclick
    expect wait box 1 15
    expect wait visible 0 10
    expect close-box
    expect wait box 0 10
    step "the next bring-up keeps the window on screen"
    expect tray dblclick
    expect wait visible 1 10
    expect wait iconic 0 1
    sleep 1
    expect wait visible 1 1
    expect_button_text
    expect syscommand close
    expect_program_exit
}

# The same launch restored from its taskbar button (the restore goes to the button's window):
# connects, comes up and goes to the tray.
scenario_minimised_restore() {
    local dir=$work/minimised-restore
    make_program_dir "$dir" MonitorZelnor.exe
    start_program "$dir" MonitorZelnor.exe start.exe /min /wait
    expect wait taskbar-iconic 1 10
    expect syscommand restore
    expect_in_tray
    expect menu configuracoes
    expect wait visible 1 10
    expect wait iconic 0 1
    expect_button_text
    expect menu fechar
    expect_program_exit
}

# No reply ever comes and the month log cannot be written (a folder stands where the month's
# file goes): the first failure opens one box, and a test runs at every interval (five ticks of
# 300 ms) while it stays open; a failure meanwhile opens no second box.
scenario_open_box() {
    local dir=$work/open-box send=$work/zelnor/ENV/ reply=$work/zelnor/REC/
    mkdir -p "$send" "$reply"
    make_program_dir "$dir" MonitorZelnorFastTick.exe "[zelnor]" "envio=$(winpath "$send")" \
        "resposta=$(winpath "$reply")" "tempo=0" "[FilialMatriz]" "CodLogica=2"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$dir/monitor_zelnor.ini"
    mkdir -p "$dir/LogZelnor/$(date +%-m).txt"
    start_program "$dir" MonitorZelnorFastTick.exe
    expect wait boxes 1 30
    local first started
    first=$(sql "select seq_zelnor from gerente.filial where filial_id = 2") started=$(date +%s%N)
    for _ in {1..18}; do
        sleep 0.5
        expect wait boxes 1 0
    done
    local tests intervals
    tests=$(($(sql "select seq_zelnor from gerente.filial where filial_id = 2") - first))
    intervals=$((($(date +%s%N) - started) / 1500000000))
    step "$tests tests in $intervals intervals while the box stayed open"
    ((tests >= 4 && tests >= intervals - 1)) ||
        fail "only $tests tests in $intervals intervals while the box was open"
    # The log writable again, so the next failing test logs instead of opening another box.
    rmdir "$dir/LogZelnor/$(date +%-m).txt"
    expect close-box
    expect wait boxes 0 10
    expect menu fechar
    expect_program_exit
}

scenario_cycle() {
    local dir=$work/cycle send=$work/zelnor/ENV/ reply=$work/zelnor/REC/
    mkdir -p "$send" "$reply"
    "$MZ_SIM" --send "$send" --reply "$reply" --mode good >"$work/sim.log" 2>&1 &
    SIM_PID=$!
    make_program_dir "$dir" MonitorZelnorFastTick.exe "[zelnor]" "envio=$(winpath "$send")" \
        "resposta=$(winpath "$reply")" "tempo=1000" "[FilialMatriz]" "CodLogica=2"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$dir/monitor_zelnor.ini"
    start_program "$dir" MonitorZelnorFastTick.exe
    expect wait-prefix status "Ultimo arquivo de resposta: " 60
    local sequence
    sequence=$(sql "select seq_zelnor from gerente.filial where filial_id = 2")
    ((sequence >= 1)) || fail "the sequence number did not advance"
    grep -q "request TesteAtividadeX.txt" "$work/sim.log" || fail "the service saw no request"
    [[ ! -d $dir/LogZelnor ]] || fail "a good test was logged: $(cat "$dir"/LogZelnor/*)"
    expect menu fechar
    expect_program_exit
}

# The metrics file: written by the Windows program as by the Linux one, LF line ends, one
# rename from a temporary name; promtool accepts it; up 0 after Fechar.
scenario_prometheus() {
    local dir=$work/prometheus send=$work/zelnor/ENV/ reply=$work/zelnor/REC/
    local textfile=$work/textfile prom=$work/textfile/monitor_zelnor.prom
    mkdir -p "$send" "$reply" "$textfile"
    "$MZ_SIM" --send "$send" --reply "$reply" --mode good >"$work/sim.log" 2>&1 &
    SIM_PID=$!
    make_program_dir "$dir" MonitorZelnorFastTick.exe "[zelnor]" "envio=$(winpath "$send")" \
        "resposta=$(winpath "$reply")" "tempo=1000" "[FilialMatriz]" "CodLogica=2"
    printf '[MONITOR]\r\nintervalo=5\r\nprometheus=%s\r\n' "$(winpath "$textfile")" >"$dir/monitor_zelnor.ini"
    start_program "$dir" MonitorZelnorFastTick.exe
    expect wait-prefix status "Ultimo arquivo de resposta: " 60
    wait_for 10 grep -q 'monitor_zelnor_tests_total{outcome="good"} 1' "$prom" ||
        fail "no good test in the metrics file: $(cat "$prom" 2>&1)"
    expect menu fechar
    expect_program_exit
    [[ $(ls -A "$textfile") == monitor_zelnor.prom ]] || fail "the folder holds $(ls -A "$textfile")"
    ! grep -q $'\r' "$prom" || fail "the metrics file has CR LF line ends"
    local complaints
    complaints=$(promtool check metrics <"$prom" 2>&1) || fail "promtool refuses the file: $complaints"
    [[ -z $complaints ]] || fail "promtool complains: $complaints"
    # The same lines as on Linux; only the times differ.
    local shape
    shape=$(grep -v '^#' "$prom" | sed -E 's/^(monitor_zelnor_last_[a-z_]+) [0-9]+\.[0-9]{3}$/\1 T/')
    [[ $shape == 'monitor_zelnor_info{version="2.3.0.4",branch="2"} 1
monitor_zelnor_up 0
monitor_zelnor_interval_seconds 300
monitor_zelnor_tests_total{outcome="good"} 1
monitor_zelnor_tests_total{outcome="no_reply"} 0
monitor_zelnor_tests_total{outcome="bad_reply"} 0
monitor_zelnor_tests_total{outcome="error"} 0
monitor_zelnor_last_test_timestamp_seconds T
monitor_zelnor_last_success_timestamp_seconds T
monitor_zelnor_last_test_duration_seconds T
monitor_zelnor_error_box_open 0' ]] || fail "unexpected metrics: $shape"
    end_process "$SIM_PID" || true
    SIM_PID=""
}

# The installer's scenarios.
# shellcheck source=installer-scenarios.sh
source "$(dirname "${BASH_SOURCE[0]}")/installer-scenarios.sh"

scenarios=("$@")
((${#scenarios[@]})) || scenarios=(startup tray field save_cancel minimised minimised_restore open_box cycle prometheus)
start_wine
for name in "${scenarios[@]}"; do
    declare -F "scenario_$name" >/dev/null || fail "no scenario $name"
    step "scenario $name"
    "scenario_$name"
done
echo "PASS"
