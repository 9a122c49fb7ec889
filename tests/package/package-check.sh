#!/usr/bin/env bash
# The package as Debian's tools judge it: lintian finds no error and no warning that is not
# explained in the package's lintian overrides; both desktop entries pass desktop-file-validate
# and start the program from its own directory.
#   package-check.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need_deb

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

step "lintian"
status=0
lintian -I --pedantic --fail-on error,warning "$MZ_DEB" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[[ $status == 0 ]] || fail "lintian reports errors or warnings (status $status)"

step "desktop entries"
dpkg-deb -x "$MZ_DEB" "$work/tree"
for entry in "$PKG_MENU" "$PKG_AUTOSTART"; do
    desktop-file-validate "$work/tree$entry" || fail "desktop-file-validate rejects $entry"
done
cmp -s "$work/tree$PKG_MENU" "$work/tree$PKG_AUTOSTART" ||
    fail "the autostart entry differs from the menu entry"

# key, expected value
expected_keys=(
    "Type|Application"
    "Name|Monitor Zelnor"
    "Exec|$PKG_DIR/MonitorZelnor"
    "TryExec|$PKG_DIR/MonitorZelnor"
    "Path|$PKG_DIR"
    "Icon|$PKG"
    "Terminal|false"
)
for pair in "${expected_keys[@]}"; do
    key=${pair%%|*} value=${pair#*|}
    actual=$(desktop_key "$work/tree$PKG_MENU" "$key")
    [[ $actual == "$value" ]] || fail "$key is '$actual', expected '$value'"
done
categories=$(desktop_key "$work/tree$PKG_MENU" Categories)
[[ ";$categories" == *";System;"* ]] || fail "the entry is not in the System category: $categories"
# The autostart entry must start the program in every desktop session.
for key in Hidden OnlyShowIn NotShowIn X-GNOME-Autostart-enabled; do
    [[ -z $(desktop_key "$work/tree$PKG_AUTOSTART" "$key") ]] ||
        fail "the autostart entry limits itself with $key"
done
echo "PASS"
