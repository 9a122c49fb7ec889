#!/usr/bin/env bash
# The private session itself: a Qt program's tray icon docks in trayer, its window is managed
# by openbox and can be activated. Failures here point at the session, not at the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

MZ_PROGRAM=$MZ_MINIMAL_TRAY
start_program "$(dirname "$MZ_PROGRAM")" "$MZ_WORK_DIR/run"
trap stop_all EXIT

wait_until 15 "the tray icon docks in trayer" icon_docked
window=$(xdotool search --sync --onlyvisible --pid "$PROGRAM_PID" --name '^minimal_tray$' | head -n1)
wait_until 10 "the window is on the taskbar" on_taskbar "$window"
xdotool windowactivate --sync "$window"
wait_until 10 "the window becomes active" active "$window"
echo "PASS"
