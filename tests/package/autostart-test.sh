#!/usr/bin/env bash
# The installed package at work in a desktop session: the program started as its autostart
# entry says (Exec in the directory Path, both inside the test root) by a user of the group
# zelnor docks its icon in the notification area, keeps running while the package is upgraded
# under it, quits from its menu, and the upgraded program starts again from the same entry.
# Runs inside tests/gui/run-in-netns.sh, which provides the X session and the database.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
# The GUI tests' helpers find the icon and the menu; their fail() also shows the program's output.
source "$here/../gui/lib.sh"

need_root
need_deb

work=""
trap 'stop_all; [[ -z $work ]] || rm -rf "$work"' EXIT
install_in_desktop_root

entry=$root$PKG_AUTOSTART
exec_line=$(desktop_key "$entry" Exec)
path=$(desktop_key "$entry" Path)
try_exec=$(desktop_key "$entry" TryExec)
# A plain absolute command without field codes or arguments, so it runs the same from a shell.
[[ $exec_line =~ ^/[^[:space:]%]+$ ]] || fail "Exec is no plain absolute command: '$exec_line'"
[[ -n $path && -d $root$path ]] || fail "Path '$path' of the autostart entry is no directory"
[[ -n $try_exec && -x $root$try_exec ]] || fail "TryExec '$try_exec' is not an installed program"
gid=$(in_root "$root" getent group "$PKG_GROUP" | cut -d: -f3)

# The pharmacy's settings: the private database of the test session.
password=$("$MZ_ENCIPHER" "$MZ_DB_PASSWORD")
printf '[ip]\r\nlocal=127.0.0.1\r\ndatabase=gerente\r\nusuario=%s\r\nsenha=%s\r\n' \
    "$MZ_DB_USER" "$password" >"$root$PKG_DIR/sistema_tervo.ini"

# Starts the program as the session would, as user nobody with the group zelnor; PROGRAM_PID.
start_from_entry() {
    (cd "$root$path" && exec setpriv --reuid=65534 --regid=65534 --groups="$gid" \
        env HOME=/nonexistent "$root$exec_line") >"$MZ_WORK_DIR/program.log" 2>&1 &
    PROGRAM_PID=$!
}

step "start from the autostart entry"
start_from_entry
wait_until 20 "the tray icon docks in the notification area" icon_docked
icon=$(tray_icon)

step "upgrade while it runs"
upgrade=$(make_upgrade "$MZ_DEB" "$work/upgrade")
install_deb "$root" "$upgrade"
[[ $(package_status "$root") == "install ok installed $(dpkg-deb -f "$upgrade" Version)" ]] ||
    fail "the upgrade did not install: $(package_status "$root")"
program_running || fail "the upgrade ended the running program"
[[ $(readlink "/proc/$PROGRAM_PID/exe") == *" (deleted)" ]] ||
    fail "the running program's file was not replaced: $(readlink "/proc/$PROGRAM_PID/exe")"
[[ $(tray_icon) == "$icon" ]] || fail "the icon left the notification area during the upgrade"
expect_attributes "$root" "$PKG_DIR" "2775 root $PKG_GROUP"

step "quit from the menu"
quit_from_menu

step "the upgraded program starts from the entry"
start_from_entry
wait_until 20 "the upgraded program's tray icon docks" icon_docked
[[ $(readlink "/proc/$PROGRAM_PID/exe") == "$root$exec_line" ]] ||
    fail "not the installed program running: $(readlink "/proc/$PROGRAM_PID/exe")"
quit_from_menu
echo "PASS"
