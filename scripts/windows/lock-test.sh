#!/usr/bin/env bash
# The Windows instance lock between processes under Wine: while a first copy runs, a second
# one is refused from the same Wine prefix in a plain program folder, beside a folder named like
# the lock file and in a read-only program folder (made immutable with chattr, as root: root
# writes to any folder), and from a second Wine prefix (another user of the PC) on the same
# folder reached through drive Z:.
# Usage: lock-test.sh BUILD_DIR (the Windows lane's build, with bin/mz_lock_probe.exe)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
probe=$1/bin/mz_lock_probe.exe
run=$root/scripts/windows/wine-run.sh
export WINEDEBUG=-all
first_prefix=${WINEPREFIX:-$root/build/wine-prefix}
work=$(mktemp -d /tmp/mz-lock-test.XXXXXX)
second_prefix=$work/second-prefix
HOLDER=""
cleanup() {
    if [[ -n $HOLDER ]]; then
        exec 7>&-
        wait "$HOLDER" || true
    fi
    chattr -i "$work/read-only" 2>/dev/null || true
    if [[ -d $second_prefix ]]; then
        WINEPREFIX=$second_prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "lock-test.sh: $*" >&2
    exit 1
}
# windows_path FOLDER: the folder as a program under Wine names it, through drive Z:, ending
# with a backslash (\134) as program directories do.
windows_path() { printf 'Z:%s\134' "${1//\//\\}"; }

# hold PREFIX FOLDER: a first copy that keeps the lock until release.
hold() {
    mkfifo "$work/release"
    WINEPREFIX=$1 "$run" "$probe" "$(windows_path "$2")" <"$work/release" >"$work/holder.out" &
    HOLDER=$!
    exec 7>"$work/release"
    for _ in {1..200}; do
        [[ ! -s $work/holder.out ]] || break
        sleep 0.05
    done
    [[ $(tr -d '\r' <"$work/holder.out") == held ]] ||
        fail "the first copy in $2 did not get the lock: $(cat "$work/holder.out")"
}
release() {
    exec 7>&-
    wait "$HOLDER"
    HOLDER=""
    rm -f "$work/release" "$work/holder.out"
}
# expect_refused PREFIX FOLDER WHAT
expect_refused() {
    local answer
    answer=$(WINEPREFIX=$1 "$run" "$probe" "$(windows_path "$2")" </dev/null | tr -d '\r')
    [[ $answer == taken ]] || fail "$3: a second copy ran (it answered '$answer')"
    echo "lock-test.sh: $3: refused"
}

mkdir -p "$work/plain" "$work/named/MonitorZelnor.lock" "$work/read-only"
WINEPREFIX=$second_prefix "$run" wineboot -i >/dev/null 2>&1

hold "$first_prefix" "$work/plain"
expect_refused "$first_prefix" "$work/plain" "plain folder"
expect_refused "$second_prefix" "$work/plain" "plain folder from a second Wine prefix"
release

hold "$first_prefix" "$work/named"
expect_refused "$first_prefix" "$work/named" "a folder named MonitorZelnor.lock"
release

if chattr +i "$work/read-only" 2>/dev/null; then
    hold "$first_prefix" "$work/read-only"
    expect_refused "$first_prefix" "$work/read-only" "read-only folder"
    release
else
    echo "lock-test.sh: read-only folder: skipped (chattr +i needs root)"
fi
echo "lock-test.sh: PASS"
