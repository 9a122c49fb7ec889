#!/usr/bin/env bash
# Runs one GUI test script in namespaces of its own, with what the program meets on a desktop:
#   - a network namespace with only loopback up, where a private MariaDB server has port 3306
#     (the port the program always uses) without touching the host;
#   - a pid namespace, so that everything started inside ends with it, also when the test is
#     killed from outside;
#   - a private X session (Xvfb, openbox, trayer).
# The script gets DISPLAY, MZ_DB_DIR (for private-mariadb.sh sql) and MZ_WORK_DIR (an empty
# directory of its own); it is stopped after MZ_TEST_SECONDS (45) so that the cleanup still runs
# within CTest's time-out. Exit code 77 (skip) when Xvfb is not installed.
#
#   run-in-netns.sh SCRIPT [ARGS...]
set -euo pipefail

if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed"
    exit 77
fi
[[ $# -ge 1 ]] || {
    echo "usage: $0 SCRIPT [ARGS...]" >&2
    exit 2
}

if [[ ${MZ_INSIDE_NAMESPACE:-} != 1 ]]; then
    exec unshare --net --pid --fork --kill-child --mount-proc \
        env MZ_INSIDE_NAMESPACE=1 "$0" "$@"
fi

scripts=${MZ_SCRIPTS_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)}
readonly scripts test_seconds=${MZ_TEST_SECONDS:-45}

ip link set lo up
work=$(mktemp -d /tmp/mz-gui.XXXXXX)
readonly work

cleanup() {
    local status=$?
    "$scripts/x11-session.sh" stop "$work/x11" || true
    "$scripts/private-mariadb.sh" stop "$work/db" || true
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

"$scripts/private-mariadb.sh" start "$work/db" 3306
session=$("$scripts/x11-session.sh" start "$work/x11")
export "${session?}"
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
export MZ_DB_DIR=$work/db MZ_WORK_DIR=$work/test MZ_SCRIPTS_DIR=$scripts
mkdir -p "$MZ_WORK_DIR"

# Not exec: the cleanup above must run after the script.
status=0
timeout --kill-after=5 "$test_seconds" "$@" || status=$?
if [[ $status == 124 || $status == 137 ]]; then
    echo "FAIL: $1 did not finish within $test_seconds s" >&2
fi
exit "$status"
