#!/usr/bin/env bash
# The program in the notification area, driven as a user would with the pointer and keys.
#   tray-test.sh startup|double_click|menu_show|menu_quit|minimise|escape|close_box|second_copy|
#                keys|startup_box
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"

readonly screen_width=1024 screen_height=768

trap stop_all EXIT

# Window geometry as "X Y W H" of the client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# The window comes up centred at start-up and keeps that place when it comes back.
expect_centred() {
    local x y w h
    read -r x y w h < <(geometry "$1")
    # The frame's title bar shifts the client area down a little.
    local cx=$((x + w / 2)) cy=$((y + h / 2))
    if ((cx < screen_width / 2 - 8 || cx > screen_width / 2 + 8 ||
        cy < screen_height / 2 - 8 || cy > screen_height / 2 + 30)); then
        fail "the window is not centred: client area at $x,$y size ${w}x$h"
    fi
}

show_by_double_click() {
    double_click_icon
    wait_until 10 "a double click on the icon brings the window up, active, with its taskbar button" \
        shown_and_active "$MAIN_WINDOW"
}

hide_by_double_click() {
    double_click_icon
    wait_until 10 "a double click on the icon puts the window away" put_away "$MAIN_WINDOW"
}

scenario_startup() {
    start_and_settle
    [[ -z $(xdotool search --onlyvisible --name "^${MZ_CAPTION//./\\.}\$") ]] ||
        fail "a window \"$MZ_CAPTION\" is still on screen"
    program_running || fail "the program ended"
    icon_docked || fail "the icon left the notification area"
}

scenario_double_click() {
    start_and_settle
    show_by_double_click
    expect_centred "$MAIN_WINDOW"
    local before
    before=$(geometry "$MAIN_WINDOW")
    hide_by_double_click
    show_by_double_click
    [[ $(geometry "$MAIN_WINDOW") == "$before" ]] ||
        fail "the window came back elsewhere: $(geometry "$MAIN_WINDOW"), was $before"
    hide_by_double_click
    program_running || fail "the program ended"
}

scenario_menu_show() {
    start_and_settle
    open_menu
    xdotool key Escape
    wait_until 10 "Escape closes the menu" menu_closed
    put_away "$MAIN_WINDOW" || fail "closing the menu without a choice showed the window"
    open_menu
    xdotool key c
    wait_until 10 "\"Configurações\" brings the window up, active, with its taskbar button" \
        shown_and_active "$MAIN_WINDOW"
    hide_by_double_click
    program_running || fail "the program ended"
}

scenario_menu_quit() {
    start_and_settle
    quit_from_menu
}

scenario_minimise() {
    start_and_settle
    show_by_double_click
    xdotool windowminimize "$MAIN_WINDOW"
    wait_until 10 "minimising puts the window into the tray, without a taskbar button" \
        put_away "$MAIN_WINDOW"
    show_by_double_click
    program_running || fail "the program ended"
}

scenario_escape() {
    start_and_settle
    local icon
    icon=$(tray_icon)
    show_by_double_click
    xdotool key Escape
    expect_ended_and_icon_gone "$icon"
}

scenario_close_box() {
    start_and_settle
    local icon
    icon=$(tray_icon)
    show_by_double_click
    # Asks the window manager to close the window, as its close box does.
    wmctrl -i -c "$(hex_id "$MAIN_WINDOW")"
    expect_ended_and_icon_gone "$icon"
}

one_box_open() { (($(open_boxes) == 1)); }

# The first showing cannot connect: the window comes up and goes to the tray as always, and the
# connection's box comes up once the showing is over and stays, alone, until OK.
scenario_startup_box() {
    prepare_program
    sed -i 's/^usuario=.*/usuario=nobody\r/' "$MZ_WORK_DIR/program/sistema_tervo.ini"
    launch_and_settle
    wait_until 15 "the connection's failure comes up in a box" one_box_open
    sleep 1
    one_box_open || fail "$(open_boxes) boxes open"
    put_away "$MAIN_WINDOW" || fail "the window stayed on screen under the box"
    program_running || fail "the program ended"
}

interval_saved() { grep -q "^intervalo=$1"$'\r'"\$" "$MZ_WORK_DIR/program/monitor_zelnor.ini"; }

# The taskbar button's text, and the keys of the window: Enter in the field does nothing, Enter
# or Space on a focused button runs it.
scenario_keys() {
    start_and_settle
    show_by_double_click
    xprop -id "$MAIN_WINDOW" _NET_WM_ICON_NAME | grep -q '= "Monitor Zelnor"$' ||
        fail "the taskbar button reads $(xprop -id "$MAIN_WINDOW" _NET_WM_ICON_NAME)"
    xprop -id "$MAIN_WINDOW" _NET_WM_NAME | grep -q "= \"$MZ_CAPTION\"\$" ||
        fail "the caption reads $(xprop -id "$MAIN_WINDOW" _NET_WM_NAME)"
    step "Enter in the field does nothing"
    # The first activation gave the field the focus.
    xdotool key ctrl+a type 12
    xdotool key Return
    sleep 1
    shown_and_active "$MAIN_WINDOW" || fail "Enter in the field put the window away"
    interval_saved 5 || fail "Enter in the field saved"
    step "Enter on a focused Salvar saves"
    xdotool key Tab
    sleep 0.3
    xdotool key Return
    wait_until 10 "Enter on Salvar puts the window away" put_away "$MAIN_WINDOW"
    interval_saved 12 || fail "Enter on Salvar did not save 12"
    step "Space on a focused Salvar saves"
    show_by_double_click
    xdotool key shift+Tab ctrl+a type 13
    xdotool key Tab
    sleep 0.3
    xdotool key space
    wait_until 10 "Space on Salvar puts the window away" put_away "$MAIN_WINDOW"
    interval_saved 13 || fail "Space on Salvar did not save 13"
    step "Enter on a focused Cancelar cancels"
    # The window comes back with the focus where it was: on Salvar.
    show_by_double_click
    xdotool key Tab
    sleep 0.3
    xdotool key Return
    wait_until 10 "Enter on Cancelar puts the window away" put_away "$MAIN_WINDOW"
    step "Space on a focused Cancelar cancels"
    show_by_double_click
    xdotool key space
    wait_until 10 "Space on Cancelar puts the window away" put_away "$MAIN_WINDOW"
    interval_saved 13 || fail "Cancelar saved"
    program_running || fail "the program ended"
}

# Icons docked in the notification area, whoever they belong to.
docked_icons() { xwininfo -children -id "$(tray_panel)" | awk '$1 ~ /^0x/' | wc -l; }

scenario_second_copy() {
    start_and_settle
    local first=$PROGRAM_PID icons
    icons=$(docked_icons)
    # A second start from the same program directory brings the first window up and ends.
    (cd "$MZ_WORK_DIR/run" && exec "$MZ_WORK_DIR/program/$(basename "$MZ_PROGRAM")") \
        >"$MZ_WORK_DIR/second.log" 2>&1 &
    local second=$!
    wait_until 15 "the second copy ends" ended "$second"
    local status=0
    wait "$second" || status=$?
    [[ $status == 0 ]] || fail "the second copy ended with status $status"
    wait_until 10 "the second start brings the first copy's window up" \
        shown_and_active "$MAIN_WINDOW"
    [[ $(docked_icons) == "$icons" ]] || fail "a second icon docked"
    # A crash leaves no lock behind: the next start runs.
    kill -KILL "$first"
    wait_until 10 "the first copy is gone" ended "$first"
    wait "$first" 2>/dev/null || true
    launch_and_settle
    program_running || fail "the start after a crash did not stay up"
    icon_docked || fail "the start after a crash shows no icon"
}

if [[ $# != 1 ]] || ! declare -F "scenario_$1" >/dev/null; then
    echo "usage: $0 startup|double_click|menu_show|menu_quit|minimise|escape|close_box|second_copy|keys|startup_box" >&2
    exit 2
fi
step "$1"
"scenario_$1"
echo "PASS"
