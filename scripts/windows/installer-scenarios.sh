# shellcheck shell=bash
# The installer's scenarios (MZ_INSTALLER names the setup to test); sourced by
# frontend-scenarios.sh, whose helpers they use. "installer" runs them all:
#   installer_user       per-user silent install, upgrade over a running copy, uninstall, purge
#   installer_autostart  the Startup shortcut from another current folder: the log lands in
#                        the program folder
#   installer_allusers   /ALLUSERS into the pharmacy system's folder, its rights, uninstall, purge
#   installer_two_users  a second Windows user's copy ends quietly; it needs the instance lock
#                        that holds across Wine servers (LockFileEx): with the lock of share
#                        modes alone it fails
# Wine stands for one Windows PC and user; two Wine prefixes with their own servers stand for two
# users' sessions, sharing a folder of the Linux side (Z:).
# shellcheck disable=SC2154 # work and bin are frontend-scenarios.sh's

readonly uninstall_subkey='Software\Microsoft\Windows\CurrentVersion\Uninstall\MonitorZelnor'
readonly run_subkey='Software\Microsoft\Windows\CurrentVersion\Run'

# prefix_path PATH: the Windows path of a file inside the prefix's drive C:.
prefix_path() {
    local p=${1#"$WINEPREFIX/drive_c"}
    echo "C:${p//\//\\}"
}
setup_exe() { realpath "${MZ_INSTALLER:?MZ_INSTALLER names the installer to test}"; }
user_home() { echo "$WINEPREFIX/drive_c/users/$(id -un)"; }
user_dir() { echo "$(user_home)/AppData/Local/Programs/MonitorZelnor"; }
user_programs() { echo "$(user_home)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }
common_programs() { echo "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"; }
setup_log() { echo "$(user_home)/Temp/MonitorZelnor-setup.log"; }
# Wine names the Startup folder "StartUp".
startup_link() { echo "$1/StartUp/Monitor Zelnor.lnk"; }

# run_setup ARGS...: the setup, silently; fails the scenario unless it ends with status 0.
run_setup() {
    local status=0
    wine "$(winpath "$(setup_exe)")" /S "$@" </dev/null >/dev/null 2>&1 || status=$?
    [[ $status == 0 ]] || fail "the setup $* ended with status $status: $(tail -n 5 "$(setup_log)")"
}

# uninstall HIVE DIR [ARGS...]: the uninstaller as the uninstall entry under HIVE (HKCU, HKLM)
# names it, silently; it copies itself away and returns at once, so this waits until it has
# removed itself from DIR and logged its end.
uninstall() {
    local hive=$1 dir=$2 command
    shift 2
    command=$(reg_value "$hive\\$uninstall_subkey" QuietUninstallString)
    [[ $command == '"'*'\Uninstall.exe" /S' ]] || fail "the uninstall entry under $hive is '$command'"
    command=${command#\"} command=${command%%\"*}
    local ends
    ends=$(grep -c "Uninstalled" "$(setup_log)" || true)
    wine "$command" /S "$@" </dev/null >/dev/null 2>&1 || fail "the uninstaller failed"
    wait_for 30 test ! -e "$dir/Uninstall.exe" || fail "the uninstaller left itself behind"
    wait_for 30 test "$(grep -c Uninstalled "$(setup_log)")" -gt "$ends" || fail "the uninstaller did not finish"
}

reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_[A-Z]* *//p'; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }

# The Linux processes of MonitorZelnor.exe copies of this Wine prefix.
program_pids() {
    local pid
    for pid in $(pgrep -f 'MonitorZelnor\.exe' || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
    return 0
}
one_copy_running() { [[ $(program_pids | wc -l) == 1 ]]; }
none_running() { [[ -z $(program_pids) ]]; }

# Ends the running copy through its tray menu, after its box when it shows one.
close_copy() {
    driver wait box 1 0.5 >/dev/null 2>&1 && expect close-box
    expect menu fechar
    expect wait-gone 15
    wait_for 15 none_running || fail "the program's process did not end"
}

# fingerprint DIR FILES...: their content hashes, to compare before and after.
fingerprint() {
    local dir=$1
    shift
    (cd "$dir" && sha256sum "$@")
}

# expect_only DIR NAMES...: DIR holds exactly these entries.
expect_only() {
    local dir=$1
    shift
    local expected actual
    expected=$(printf '%s\n' "$@" | sort)
    actual=$(find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort)
    [[ $actual == "$expected" ]] || fail "$dir holds $(echo "$actual" | tr '\n' ' '), expected $*"
}

# What the program writes in its folder, as a purge finds it after a Save cut short.
write_program_leftovers() {
    local dir=$1
    mkdir -p "$dir/LogZelnor"
    printf '10/12/2026 12:00:00 - test\r\n' >"$dir/LogZelnor/12.txt"
    printf '[MONITOR]\r\nintervalo=9\r\n' >"$dir/monitor_zelnor.ini.saving"
    : >"$dir/MonitorZelnor.lock"
}

scenario_installer_user() {
    local dir menu
    dir=$(user_dir) menu=$(user_programs)
    step "an earlier version's Run value; the pharmacy's settings in the folder (a login the server refuses)"
    wine reg add "HKCU\\$run_subkey" /v MonitorZelnor /d '"C:\old\MonitorZelnor.exe"' /f >/dev/null 2>&1
    mkdir -p "$dir"
    write_settings "$dir"
    sed -i 's/^usuario=.*/usuario=nobody\r/' "$dir/sistema_tervo.ini"

    step "silent first install: installed and running"
    run_setup
    local file
    for file in MonitorZelnor.exe libmariadb.dll COPYING.LIB monitor-zelnor.rules.yml Uninstall.exe; do
        [[ -f $dir/$file ]] || fail "$file was not installed"
    done
    [[ -f "$menu/Monitor Zelnor.lnk" ]] || fail "no Start-menu shortcut"
    [[ -f $(startup_link "$menu") ]] || fail "no Startup shortcut"
    [[ -z $(reg_value "HKCU\\$run_subkey" MonitorZelnor) ]] || fail "the earlier version's Run value stayed"
    [[ $(reg_value "HKCU\\$uninstall_subkey" QuietUninstallString) == *'Uninstall.exe" /S' ]] ||
        fail "no uninstall entry for the user"
    ! has_key "HKLM\\$uninstall_subkey" || fail "a per-user install wrote the machine's uninstall entry"
    wait_for 30 one_copy_running || fail "the program is not running after the install: $(program_pids)"
    expect wait-ready 30
    grep -q "Started .*MonitorZelnor.exe" "$(setup_log)" || fail "the setup log does not say it started the program"

    step "silent upgrade over the running copy with its error box open"
    expect wait box 1 30
    wait_for 10 test -f "$dir/monitor_zelnor.ini" || fail "the program wrote no monitor_zelnor.ini"
    local old before
    old=$(program_pids)
    before=$(fingerprint "$dir" sistema_tervo.ini monitor_zelnor.ini)
    run_setup
    wait_for 15 ended "$old" || fail "the old copy still runs after the upgrade"
    wait_for 30 one_copy_running || fail "no copy runs after the upgrade: $(program_pids)"
    [[ $(program_pids) != "$old" ]] || fail "the old copy is still the one running"
    expect wait-ready 30
    [[ $(fingerprint "$dir" sistema_tervo.ini monitor_zelnor.ini) == "$before" ]] ||
        fail "the upgrade changed the settings files"
    grep -q "Closing the copy running from" "$(setup_log)" || fail "the setup log does not say it closed the copy"

    step "silent uninstall ends the running copy and keeps the settings"
    uninstall HKCU "$dir"
    wait_for 15 none_running || fail "the uninstaller left the program running"
    for file in MonitorZelnor.exe libmariadb.dll COPYING.LIB monitor-zelnor.rules.yml; do
        [[ ! -e $dir/$file ]] || fail "$file was not removed"
    done
    [[ ! -e "$menu/Monitor Zelnor.lnk" && ! -e $(startup_link "$menu") ]] || fail "a shortcut stayed"
    ! has_key "HKCU\\$uninstall_subkey" || fail "the uninstall entry stayed"
    [[ $(fingerprint "$dir" sistema_tervo.ini monitor_zelnor.ini) == "$before" ]] ||
        fail "the uninstall changed or removed the settings"

    step "/PURGE removes what the program wrote and keeps the pharmacy's files"
    run_setup
    wait_for 30 one_copy_running || fail "the program is not running after installing again"
    write_program_leftovers "$dir"
    echo "the pharmacy's own" >"$dir/leia-me.txt"
    local pharmacy
    pharmacy=$(fingerprint "$dir" sistema_tervo.ini leia-me.txt)
    uninstall HKCU "$dir" /PURGE
    wait_for 15 none_running || fail "the uninstaller left the program running"
    expect_only "$dir" sistema_tervo.ini leia-me.txt
    [[ $(fingerprint "$dir" sistema_tervo.ini leia-me.txt) == "$pharmacy" ]] || fail "/PURGE changed the pharmacy's files"
    rm -rf "$dir"
}

# The Startup shortcut started as the shell starts it, from the system folder: the log of a
# failed test lands in the program folder and nowhere else. The installed program is swapped for
# the test build with a short timer period so that a test comes round within seconds.
scenario_installer_autostart() {
    local dir menu send=$work/autostart-zelnor/ENV/ reply=$work/autostart-zelnor/REC/
    dir=$(user_dir) menu=$(user_programs)
    # Nobody answers in the exchange folders: every test fails.
    mkdir -p "$dir" "$send" "$reply"
    write_settings "$dir" "[zelnor]" "envio=$(winpath "$send")" "resposta=$(winpath "$reply")" \
        "tempo=1000" "[FilialMatriz]" "CodLogica=2"
    printf '[MONITOR]\r\nintervalo=5\r\n' >"$dir/monitor_zelnor.ini"
    run_setup
    wait_for 30 one_copy_running || fail "the program is not running after the install"
    expect wait-ready 30
    close_copy
    cp "$bin/MonitorZelnorFastTick.exe" "$dir/MonitorZelnor.exe"

    step "start through the Startup shortcut from the system folder"
    local link
    link=$(startup_link "$menu")
    [[ -f $link ]] || fail "no Startup shortcut"
    (cd "$WINEPREFIX/drive_c/windows/system32" && exec /usr/lib/wine/wine64 start "$(prefix_path "$link")") \
        </dev/null >"$work/program.log" 2>&1 || fail "start could not open the shortcut"
    wait_for 30 one_copy_running || fail "the shortcut started no program"
    expect wait-ready 30
    local month
    month=$(date +%-m)
    wait_for 60 grep -q "Falha ao obter a resposta do zelnor" "$dir/LogZelnor/$month.txt" ||
        fail "no failed test was logged in $dir/LogZelnor/$month.txt"
    local logs
    logs=$(find "$WINEPREFIX/drive_c" "$work" -path "$work/wine" -prune -o -name LogZelnor -print)
    [[ $logs == "$dir/LogZelnor" ]] || fail "logs were written elsewhere: $logs"
    close_copy
    uninstall HKCU "$dir" /PURGE
    rm -rf "$dir"
}

# The icacls commands the setup ran, in order, from its log, with their exit codes.
icacls_runs() { tr -d '\r' <"$(setup_log)" | grep -A1 'Running .*icacls' | sed 's/^[-0-9]* [0-9:]* //'; }

scenario_installer_allusers() {
    local dir=$work/Tervo common users
    common=$(common_programs) users=$(user_programs)
    step "the pharmacy system's folder with its sistema_tervo.ini and a file of its own"
    make_pharmacy_folder "$dir"
    local pharmacy
    pharmacy=$(fingerprint "$dir" sistema_tervo.ini leia-me.txt)
    : >"$(setup_log)"

    step "silent install for all users into that folder"
    run_setup /ALLUSERS "/D=$(winpath "$dir")"
    [[ -f $dir/MonitorZelnor.exe && -f $dir/Uninstall.exe ]] || fail "the program was not installed into $dir"
    [[ -f $(startup_link "$common") && -f "$common/Monitor Zelnor.lnk" ]] || fail "no all-users shortcuts"
    [[ ! -e $(startup_link "$users") ]] || fail "an all-users install wrote the user's Startup shortcut"
    [[ $(reg_value "HKLM\\$uninstall_subkey" InstallLocation) == "$(winpath "$dir")" ]] ||
        fail "no machine uninstall entry for $dir"
    ! has_key "HKCU\\$uninstall_subkey" || fail "an all-users install wrote the user's uninstall entry"
    wait_for 30 one_copy_running || fail "the program is not running after the install"
    expect wait-ready 30
    grep -q "Started $(winpath "$dir" | sed 's/\\/\\\\/g')\\\\MonitorZelnor.exe in " "$(setup_log)" ||
        fail "the setup log does not say it started the program in $dir"

    step "the folder's rights: the binaries read-and-execute for users first, then the folder's grant"
    local w expected
    w=$(winpath "$dir")
    expected=$(
        for file in MonitorZelnor.exe libmariadb.dll COPYING.LIB monitor-zelnor.rules.yml Uninstall.exe; do
            printf '%s\n' "Running \"C:\\windows\\system32\\icacls.exe\" \"$w\\$file\" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F *S-1-5-32-545:RX" \
                "  exit code 0: "
        done
        printf '%s\n' "Running \"C:\\windows\\system32\\icacls.exe\" \"$w\" /grant *S-1-5-32-545:(OI)(CI)M" "  exit code 0: "
    )
    [[ $(icacls_runs) == "$expected" ]] || fail "the setup ran these rights commands:
$(icacls_runs)
expected:
$expected"
    # After the files were written, before the program starts.
    tr -d '\r' <"$(setup_log)" | awk '/Installing into/ {i = NR} /icacls/ && !r {r = NR} /Started/ {s = NR}
        END {exit !(i && r > i && s > r)}' || fail "the rights were not set between the copy and the start"

    step "silent uninstall keeps the pharmacy's files and the settings"
    uninstall HKLM "$dir"
    wait_for 15 none_running || fail "the uninstaller left the program running"
    [[ ! -e $(startup_link "$common") && ! -e "$common/Monitor Zelnor.lnk" ]] || fail "an all-users shortcut stayed"
    ! has_key "HKLM\\$uninstall_subkey" || fail "the machine's uninstall entry stayed"
    [[ -f $dir/monitor_zelnor.ini && ! -e $dir/MonitorZelnor.exe ]] || fail "uninstall removed the settings or kept the program"
    [[ $(fingerprint "$dir" sistema_tervo.ini leia-me.txt) == "$pharmacy" ]] || fail "uninstall changed the pharmacy's files"

    step "/PURGE keeps the pharmacy's files"
    run_setup /ALLUSERS "/D=$(winpath "$dir")"
    wait_for 30 one_copy_running || fail "the program is not running after installing again"
    write_program_leftovers "$dir"
    uninstall HKLM "$dir" /PURGE
    wait_for 15 none_running || fail "the uninstaller left the program running"
    expect_only "$dir" sistema_tervo.ini leia-me.txt
    [[ $(fingerprint "$dir" sistema_tervo.ini leia-me.txt) == "$pharmacy" ]] || fail "/PURGE changed the pharmacy's files"
}

make_pharmacy_folder() {
    mkdir -p "$1"
    write_settings "$1"
    printf 'arquivo do sistema da farmacia\r\n' >"$1/leia-me.txt"
}

# A second Wine prefix with its own server: a second user's session on the same PC.
SECOND_PREFIX=""
start_second_session() {
    local base=$work/wine2
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    mount -t overlay overlay -o "lowerdir=$MZ_WIN_PREFIX,upperdir=$base/upper,workdir=$base/work" "$base/prefix"
    SECOND_PREFIX=$base/prefix
    WINEPREFIX=$SECOND_PREFIX /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX=$SECOND_PREFIX /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
}
stop_second_session() {
    [[ -n $SECOND_PREFIX ]] || return 0
    WINEPREFIX=$SECOND_PREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
    umount "$SECOND_PREFIX" 2>/dev/null || true
    SECOND_PREFIX=""
}

# Needs the instance lock that holds across users (LockFileEx); fails with the lock of share
# modes, which each Wine server keeps to itself.
scenario_installer_two_users() {
    local dir=$work/Tervo2
    trap 'stop_second_session; cleanup' EXIT
    make_pharmacy_folder "$dir"
    step "all users install; the first user's copy runs"
    run_setup /ALLUSERS "/D=$(winpath "$dir")"
    wait_for 30 one_copy_running || fail "the program is not running after the install"
    expect wait-ready 30
    local first before
    first=$(program_pids)
    wait_for 10 test -f "$dir/monitor_zelnor.ini" || fail "the program wrote no monitor_zelnor.ini"
    before=$(fingerprint "$dir" sistema_tervo.ini monitor_zelnor.ini)

    step "a second user's session starts the same program: it ends quietly"
    start_second_session
    local second status=0
    (cd "$dir" && WINEPREFIX=$SECOND_PREFIX exec /usr/lib/wine/wine64 MonitorZelnor.exe) \
        </dev/null >"$work/second.log" 2>&1 &
    second=$!
    wait_for 20 ended "$second" || {
        WINEPREFIX=$SECOND_PREFIX /usr/lib/wine/wine64 "$bin/mzdriver.exe" state >&2 || true
        fail "the second user's copy keeps running beside the first"
    }
    wait "$second" || status=$?
    [[ $status == 0 ]] || fail "the second user's copy ended with status $status"
    alive "$first" || fail "the first user's copy ended"
    [[ $(fingerprint "$dir" sistema_tervo.ini monitor_zelnor.ini) == "$before" ]] ||
        fail "the second copy changed the settings"
    stop_second_session
    close_copy
    uninstall HKLM "$dir" /PURGE
}

# press KEY: a key to the setup's window, as a user would press it.
setup_window() { xdotool search --onlyvisible --name '^Monitor Zelnor Setup' | tail -n1; }
setup_window_up() { [[ -n $(setup_window) ]]; }
# The setup replaces its window between pages, so the one found may be gone by the time the
# key is sent (BadWindow): then the key reached nothing and goes to the next one found.
press() {
    local window _
    for _ in 1 2 3 4 5; do
        wait_for 20 setup_window_up ||
            fail "no setup window; windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>&1 | tr '\n' '|')"
        window=$(setup_window)
        xdotool windowactivate --sync "$window" 2>/dev/null || true
        xdotool key --window "$window" "$1" 2>/dev/null && return 0
        sleep 0.5
    done
    fail "the key $1 did not reach the setup window"
}

# The interactive setup, with the keyboard: the folder page warns about a folder without
# sistema_tervo.ini and lets the install go on; the finish page's ticked box starts the monitor.
scenario_installer_interactive() {
    local dir=$work/Interativo
    mkdir -p "$dir"
    : >"$(setup_log)"
    wine "$(winpath "$(setup_exe)")" "/D=$(winpath "$dir")" </dev/null >"$work/setup.log" 2>&1 &
    local setup_pid=$!
    step "the folder page: Install, then Yes to the warning"
    press Return
    wait_for 20 grep -q "which holds no sistema_tervo.ini" "$(setup_log)" || fail "no warning about the missing sistema_tervo.ini"
    sleep 1
    press Return
    wait_for 30 grep -q "^[-0-9]* [0-9:]* Installed" "$(setup_log)" || fail "the install did not go on after the warning"
    step "the finish page (the files page goes on to it by itself): Finish, its box ticked"
    for _ in 1 2 3 4 5; do
        sleep 2
        if ! alive "$setup_pid" || ! setup_window_up; then
            break
        fi
        press Return
    done
    wait_for 30 ended "$setup_pid" || fail "the setup did not end"
    wait "$setup_pid" || fail "the setup ended with an error"
    wait_for 30 one_copy_running || fail "the finish page did not start the monitor"
    expect wait-ready 30
    grep -q "Started .*MonitorZelnor.exe" "$(setup_log)" || fail "the setup log does not say it started the program"
    close_copy
    uninstall HKCU "$dir" /PURGE
}

scenario_installer() {
    scenario_installer_user
    scenario_installer_autostart
    scenario_installer_allusers
    scenario_installer_interactive
    scenario_installer_two_users
}
