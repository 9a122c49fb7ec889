# shellcheck shell=bash
# Process helpers shared by the test-session scripts; source it, do not run it.

# Polls a command every 0.1 s for at most $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    until "$@" >/dev/null 2>&1; do
        ((tries-- > 0)) || return 1
        sleep 0.1
    done
}

# A zombie counts as ended: once the script that started a process has returned, nobody may be
# left to reap it.
alive() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    [[ ${stat##*) } != Z* ]]
}

ended() { ! alive "$1"; }

# Ends a process: TERM, then KILL when it is still there after $2 seconds (default 5).
end_process() {
    local pid=$1 grace=${2:-5}
    alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    wait_for "$grace" ended "$pid" && return 0
    kill -KILL "$pid" 2>/dev/null || true
    wait_for 5 ended "$pid"
}
