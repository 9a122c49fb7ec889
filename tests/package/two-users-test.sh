#!/usr/bin/env bash
# One monitor per PC: the installed package started from its autostart entry by two users of the
# group zelnor, one after the other; the second user's copy ends quietly (status 0, no window,
# no icon) while the first one's keeps running. Needs the instance lock that holds across users
# (a lock on the program directory itself): with the lock file alone, which the first user
# creates writable by that user only, the second copy runs and this test fails.
# Runs inside tests/gui/run-in-netns.sh, which provides the X session and the database.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/../gui/lib.sh"

need_root
need_deb

work=""
SECOND_PID=""
trap '[[ -z $SECOND_PID ]] || end_process "$SECOND_PID" || true; stop_all; [[ -z $work ]] || rm -rf "$work"' EXIT
install_in_desktop_root
exec_line=$(desktop_key "$root$PKG_AUTOSTART" Exec)
path=$(desktop_key "$root$PKG_AUTOSTART" Path)
gid=$(in_root "$root" getent group "$PKG_GROUP" | cut -d: -f3)
password=$("$MZ_ENCIPHER" "$MZ_DB_PASSWORD")
printf '[ip]\r\nlocal=127.0.0.1\r\ndatabase=gerente\r\nusuario=%s\r\nsenha=%s\r\n' \
    "$MZ_DB_USER" "$password" >"$root$PKG_DIR/sistema_tervo.ini"

# start_as UID LOG: the program as the session of user UID (group zelnor) starts it; STARTED_PID.
start_as() {
    (cd "$root$path" && exec setpriv --reuid="$1" --regid="$1" --groups="$gid" \
        env HOME=/nonexistent "$root$exec_line") >"$2" 2>&1 &
    STARTED_PID=$!
}

step "the first user's copy starts"
start_as 65534 "$MZ_WORK_DIR/program.log"
# shellcheck disable=SC2034 # the GUI tests' helpers find the icon of PROGRAM_PID
PROGRAM_PID=$STARTED_PID
wait_until 20 "the first user's tray icon docks" icon_docked
icon=$(tray_icon)
wait_until 10 "the first copy writes monitor_zelnor.ini" test -f "$root$PKG_DIR/monitor_zelnor.ini"
before=$(sha256sum "$root$PKG_DIR/sistema_tervo.ini" "$root$PKG_DIR/monitor_zelnor.ini")

step "the second user's copy ends quietly"
start_as 65533 "$MZ_WORK_DIR/second.log"
SECOND_PID=$STARTED_PID
second_shown() { [[ -n $(xdotool search --onlyvisible --pid "$SECOND_PID" 2>/dev/null) ]]; }
for _ in {1..150}; do
    ended "$SECOND_PID" && break
    ! second_shown || fail "the second user's copy shows a window: $(cat "$MZ_WORK_DIR/second.log")"
    sleep 0.1
done
ended "$SECOND_PID" || fail "the second user's copy keeps running beside the first"
status=0
wait "$SECOND_PID" || status=$?
SECOND_PID=""
[[ $status == 0 ]] || fail "the second user's copy ended with status $status: $(cat "$MZ_WORK_DIR/second.log")"
program_running || fail "the first user's copy ended"
[[ $(tray_icon) == "$icon" ]] || fail "the first user's icon left the notification area"
[[ $(sha256sum "$root$PKG_DIR/sistema_tervo.ini" "$root$PKG_DIR/monitor_zelnor.ini") == "$before" ]] ||
    fail "the second copy changed the settings"

step "quit the first user's copy"
quit_from_menu
echo "PASS"
