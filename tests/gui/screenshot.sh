#!/usr/bin/env bash
# Takes a picture of the window as the user sees it after a double click on the tray icon.
#   MZ_PROGRAM=... run-in-netns.sh screenshot.sh OUT.png
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# == 1 ]] || {
    echo "usage: $0 OUT.png" >&2
    exit 2
}
out=$(realpath "$1")
trap stop_all EXIT

start_and_settle
double_click_icon
wait_until 10 "the window comes up" shown_and_active "$MAIN_WINDOW"
# Let the window finish painting before the picture is taken.
sleep 1
import -frame -window "$MAIN_WINDOW" -strip "$out"
identify "$out"
