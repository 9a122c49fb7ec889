# shellcheck shell=bash
# Helpers of the GUI test scripts; source it. They run inside run-in-netns.sh, which provides
# DISPLAY, MZ_DB_DIR, MZ_WORK_DIR and MZ_SCRIPTS_DIR.

readonly MZ_CAPTION='Monitor Zelnor 1.0.0'
readonly MZ_DB_USER=mzuser MZ_DB_PASSWORD=mz-Test-Pw1

# shellcheck source=../../scripts/lib/process.sh
source "$MZ_SCRIPTS_DIR/lib/process.sh"

fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${MAIN_WINDOW:-} ]]; then
        echo "main window: viewable=$(viewable "$MAIN_WINDOW" && echo yes || echo no)" \
            "active=$(active "$MAIN_WINDOW" && echo yes || echo no)" \
            "taskbar=$(on_taskbar "$MAIN_WINDOW" && echo yes || echo no)" \
            "geometry=$(xwininfo -id "$MAIN_WINDOW" 2>/dev/null | awk '/-geometry/ {print $2}')" >&2
    fi
    if [[ -s $MZ_WORK_DIR/program.log ]]; then
        echo "program output:" >&2
        tail -n 20 "$MZ_WORK_DIR/program.log" >&2
    fi
    exit 1
}

step() { echo "--- $*"; }

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails the test with WHAT.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    wait_for "$seconds" "$@" || fail "$what (waited $seconds s)"
}

sql() { "$MZ_SCRIPTS_DIR/private-mariadb.sh" sql "$MZ_DB_DIR" "$1"; }

# make_program_dir DIR: the program copied into DIR (it reads its settings files next to itself)
# with a sistema_tervo.ini that reaches the private database. Extra lines for the file follow
# as further arguments.
make_program_dir() {
    local dir=$1
    shift
    mkdir -p "$dir"
    cp "$MZ_PROGRAM" "$dir/"
    local password
    password=$("$MZ_ENCIPHER" "$MZ_DB_PASSWORD")
    {
        printf '[ip]\r\nlocal=127.0.0.1\r\ndatabase=gerente\r\nusuario=%s\r\nsenha=%s\r\n' \
            "$MZ_DB_USER" "$password"
        local line
        for line in "$@"; do
            printf '%s\r\n' "$line"
        done
    } >"$dir/sistema_tervo.ini"
}

# start_program DIR CWD: runs the copy in DIR with CWD as its working directory; sets PROGRAM_PID.
start_program() {
    local dir=$1 cwd=$2
    mkdir -p "$cwd"
    (cd "$cwd" && exec "$dir/$(basename "$MZ_PROGRAM")") >"$MZ_WORK_DIR/program.log" 2>&1 &
    PROGRAM_PID=$!
}

program_running() { [[ -n ${PROGRAM_PID:-} ]] && alive "$PROGRAM_PID"; }

# Waits for the program to end and checks its exit status.
expect_program_exit() {
    wait_until 15 "the program ends" ended "$PROGRAM_PID"
    local status=0
    wait "$PROGRAM_PID" || status=$?
    [[ $status == 0 ]] || fail "the program ended with status $status"
}

stop_program() {
    if program_running; then
        end_process "$PROGRAM_PID" || true
    fi
}

hex_id() { printf '0x%x' "$1"; }

tray_panel() { xdotool search --classname '^panel$' | head -n1; }

# The program's icon window docked in trayer: a window of the program below trayer's panel.
tray_icon() {
    local panel ids id
    panel=$(tray_panel) || return 1
    [[ -n $panel ]] || return 1
    ids=$(xwininfo -tree -id "$panel" | awk '$1 ~ /^0x/ {print $1}')
    for id in $(xdotool search --pid "$PROGRAM_PID" 2>/dev/null); do
        if grep -qx "$(hex_id "$id")" <<<"$ids"; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

icon_docked() { tray_icon >/dev/null; }

# The top-level window with the program's caption, mapped or not.
main_window() {
    xdotool search --pid "$PROGRAM_PID" --name "^${MZ_CAPTION//./\\.}\$" 2>/dev/null | head -n1
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
hidden() { ! viewable "$1"; }

# A window manager lists the windows that get a taskbar button in _NET_CLIENT_LIST; a window
# asking to be skipped by the taskbar gets none.
on_taskbar() {
    xprop -root _NET_CLIENT_LIST | grep -qw "$(hex_id "$1")" &&
        ! xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR
}
off_taskbar() { ! on_taskbar "$1"; }

active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }

shown_and_active() { viewable "$1" && active "$1" && on_taskbar "$1"; }
put_away() { hidden "$1" && off_taskbar "$1"; }

# A visible popup menu of the program: a window of its own, on screen, that the window
# manager leaves alone (override-redirect), other than the docked icon.
popup_menu() {
    local id icon
    icon=$(tray_icon) || icon=""
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [[ $id != "$icon" ]] || continue
        if xwininfo -id "$id" | grep -q 'Override Redirect State: yes'; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
menu_open() { popup_menu >/dev/null; }
menu_closed() { ! menu_open; }

# Clicks on the icon. Clicks closer together than the double-click interval (400 ms in Qt) would
# pair up with the clicks before them, as they would for a user, so a new click waits that long.
LAST_CLICK_NS=0
click_icon() {
    local button=$1 repeat=${2:-1} gap
    gap=$(((LAST_CLICK_NS + 700000000 - $(date +%s%N)) / 1000000))
    ((gap <= 0)) || sleep "0.$(printf '%03d' "$gap")"
    xdotool mousemove --window "$(tray_icon)" 11 11 click --repeat "$repeat" --delay 120 "$button"
    LAST_CLICK_NS=$(date +%s%N)
}
double_click_icon() { click_icon 1 2; }

open_menu() {
    click_icon 3
    wait_until 10 "a right click on the icon opens the menu" menu_open
}

# Waits for the program to end by itself and its tray icon to go.
expect_ended_and_icon_gone() {
    local icon=$1
    expect_program_exit
    wait_until 10 "the icon leaves the notification area" bash -c "! xwininfo -id $icon"
}

quit_from_menu() {
    local icon
    icon=$(tray_icon)
    open_menu
    xdotool key f
    expect_ended_and_icon_gone "$icon"
}

# Starts the program and waits until start-up is over: the icon docked, the window come up
# (seen by x11-watch.py, as it may go again faster than polling sees) and put away again.
start_and_settle() {
    prepare_program "$@"
    launch_and_settle
}

# The program directory of the test, with extra lines for sistema_tervo.ini as arguments.
prepare_program() { make_program_dir "$MZ_WORK_DIR/program" "$@"; }

launch_and_settle() {
    local watch=$MZ_WORK_DIR/watch.log
    python3 "$(dirname "${BASH_SOURCE[0]}")/x11-watch.py" >"$watch" &
    WATCHER_PID=$!
    wait_until 10 "the window watcher starts" grep -q watching "$watch"
    start_program "$MZ_WORK_DIR/program" "$MZ_WORK_DIR/run"
    wait_until 15 "the tray icon docks in the notification area" icon_docked
    wait_until 15 "the main window is created" main_window_exists
    MAIN_WINDOW=$(main_window)
    wait_until 15 "the main window comes on screen at start-up" came_on_screen "$MAIN_WINDOW"
    wait_until 15 "the main window goes to the tray after start-up" put_away "$MAIN_WINDOW"
}

# The program's error boxes on screen: dialog windows of its own, mapped, with the program's
# title (the tray icon's window has that title too).
open_boxes() {
    local id count=0
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" --name '^Monitor Zelnor$' 2>/dev/null); do
        if xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG; then
            count=$((count + 1))
        fi
    done
    echo "$count"
}

main_window_exists() { [[ -n $(main_window) ]]; }

# The window manager took the window into a frame: it was mapped.
came_on_screen() {
    awk -v id="$(hex_id "$1")" '$2 == id && $3 != $4 {found = 1} END {exit !found}' \
        "$MZ_WORK_DIR/watch.log"
}

# Ends what the test started; the EXIT trap of every test script.
stop_all() {
    stop_program
    [[ -z ${WATCHER_PID:-} ]] || end_process "$WATCHER_PID" || true
}
