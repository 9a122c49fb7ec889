#!/usr/bin/env bash
# A private X session for GUI tests: Xvfb, the openbox window manager (so that activation and
# minimising are real) and trayer as the notification-area host.
#
#   x11-session.sh start STATE_DIR   starts the three on the first free display of :90 to :99,
#                                    waits until each is up, prints DISPLAY=:N
#   x11-session.sh stop STATE_DIR    ends what start began in STATE_DIR
#
# Xvfb listens on its unix socket only, so the session also works inside a private network
# namespace (unshare -n).
set -euo pipefail

readonly startup_seconds=20
# shellcheck source=lib/process.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/process.sh"

log() { echo "x11-session: $*" >&2; }

# Starts Xvfb on display $2; succeeds once the server accepts connections.
start_xvfb() {
    local state=$1 n=$2
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && return 1
    rm -f "$state/displayfd"
    # -displayfd makes Xvfb write the display number once it accepts connections.
    Xvfb ":$n" -nolisten tcp -screen 0 1024x768x24 -dpi 96 -noreset -displayfd 3 \
        3>"$state/displayfd" >"$state/xvfb.log" 2>&1 </dev/null &
    local pid=$!
    local tries=$((startup_seconds * 10))
    until [[ -s $state/displayfd ]]; do
        if ! alive "$pid" || ((tries-- <= 0)); then
            kill -KILL "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return 1
        fi
        sleep 0.1
    done
    echo "$pid" >"$state/xvfb.pid"
    echo ":$n" >"$state/display"
}

# Owner of an X selection, 0 when it has none.
selection_owner() {
    python3 - "$1" <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
if not d:
    sys.exit(2)
atom = x.XInternAtom(ctypes.c_void_p(d), sys.argv[1].encode(), 0)
print(x.XGetSelectionOwner(ctypes.c_void_p(d), ctypes.c_ulong(atom)))
EOF
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
tray_running() { [[ $(selection_owner _NET_SYSTEM_TRAY_S0) != 0 ]]; }
panel_mapped() { xdotool search --onlyvisible --class '^trayer$' >/dev/null; }

start() {
    local state=$1
    mkdir -p "$state"
    local n started=""
    for n in {90..99}; do
        if start_xvfb "$state" "$n"; then
            started=$n
            break
        fi
    done
    [[ -n $started ]] || {
        log "no free display among :90 to :99"
        return 1
    }
    export DISPLAY=:$started
    # Settings of the desktop the tests run on do not leak in: no session bus, no theme of the user.
    unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
    openbox --sm-disable >"$state/openbox.log" 2>&1 </dev/null &
    echo $! >"$state/openbox.pid"
    wait_for "$startup_seconds" wm_running || {
        log "openbox did not come up: $(cat "$state/openbox.log")"
        return 1
    }
    trayer --edge top --align right --widthtype request --height 24 --transparent false \
        >"$state/trayer.log" 2>&1 </dev/null &
    echo $! >"$state/trayer.pid"
    if ! wait_for "$startup_seconds" tray_running ||
        ! wait_for "$startup_seconds" panel_mapped; then
        log "trayer did not come up: $(cat "$state/trayer.log")"
        return 1
    fi
    echo "DISPLAY=:$started"
}

# Ends the process whose pid is in a file of the state directory.
end_recorded() {
    local file=$1
    [[ -f $file ]] || return 0
    end_process "$(cat "$file")" || log "process $(cat "$file") did not end"
    rm -f "$file"
}

stop() {
    local state=$1
    [[ -d $state ]] || return 0
    end_recorded "$state/trayer.pid"
    end_recorded "$state/openbox.pid"
    end_recorded "$state/xvfb.pid"
    if [[ -f $state/display ]]; then
        # A killed Xvfb leaves its lock and socket behind.
        local n lock owner
        n=$(cut -c2- "$state/display")
        lock=/tmp/.X$n-lock
        owner=""
        [[ ! -f $lock ]] || owner=$(tr -dc 0-9 <"$lock")
        if [[ -n $owner ]] && ! alive "$owner"; then
            rm -f "$lock" "/tmp/.X11-unix/X$n"
        fi
    fi
    rm -f "$state"/{display,displayfd,xvfb.log,openbox.log,trayer.log}
    rmdir "$state" 2>/dev/null || true
}

[[ $# == 2 ]] || {
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
}
case $1 in
start)
    if ! start "$2"; then
        stop "$2"
        exit 1
    fi
    ;;
stop) stop "$2" ;;
*)
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
