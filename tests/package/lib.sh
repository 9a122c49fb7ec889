# shellcheck shell=bash
# Helpers of the package tests; source it. MZ_DEB names the package made by package-build.sh.

# shellcheck disable=SC2034 # used by the scripts that source this file
readonly PKG=monitor-zelnor PKG_DIR=/opt/monitor-zelnor PKG_GROUP=zelnor
# shellcheck disable=SC2034
readonly PKG_AUTOSTART=/etc/xdg/autostart/monitor-zelnor.desktop
# shellcheck disable=SC2034
readonly PKG_MENU=/usr/share/applications/monitor-zelnor.desktop
PACKAGE_TESTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly PACKAGE_TESTS

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step() { echo "--- $*"; }

need_root() {
    if [[ $(id -u) != 0 ]]; then
        echo "SKIP: installing the package into a test root needs root"
        exit 77
    fi
}

need_deb() {
    [[ -n ${MZ_DEB:-} && -f $MZ_DEB ]] || fail "no package at '${MZ_DEB:-}' (the test package_build makes it)"
}

# in_root ROOT COMMAND...: runs COMMAND inside the test root, as dpkg's maintainer scripts run.
in_root() {
    local root=$1
    shift
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 "$@"
}

# make_root DIR: a fresh copy of the cached Debian root in DIR.
make_root() {
    "$PACKAGE_TESTS/test-root.sh" copy "$1" >/dev/null
}

# dpkg_in ROOT ARGS...: dpkg inside the root. The root holds no Qt or MariaDB libraries (the
# program does not run inside it), hence --force-depends; the maintainer scripts run for real.
dpkg_in() {
    local root=$1
    shift
    in_root "$root" dpkg --force-depends "$@" >"$root/tmp/dpkg.log" 2>&1 || {
        cat "$root/tmp/dpkg.log" >&2
        fail "dpkg $* failed in the test root"
    }
}

# install_in_desktop_root: the package installed in a fresh test root, for the tests that run the
# program in the desktop session. Sets work (the test's directory) and root. The directory is
# outside run-in-netns's private one, which only root may enter: the program runs as another user
# from inside the root.
install_in_desktop_root() {
    work=$(mktemp -d /tmp/mz-package.XXXXXX)
    chmod 755 "$work"
    root=$work/root
    step "install into a test root"
    make_root "$root"
    install_deb "$root" "$MZ_DEB"
}

# install_deb ROOT DEB: copies DEB into the root and installs it with dpkg -i.
install_deb() {
    local root=$1 deb=$2
    cp "$deb" "$root/tmp/"
    dpkg_in "$root" -i "/tmp/$(basename "$deb")"
}

# make_upgrade DEB DIR: the same package with a higher version in DIR; prints its path.
make_upgrade() {
    local deb=$1 dir=$2 version
    rm -rf "$dir/tree"
    mkdir -p "$dir"
    dpkg-deb -R "$deb" "$dir/tree"
    version=$(dpkg-deb -f "$deb" Version)+1
    sed -i "s/^Version: .*/Version: $version/" "$dir/tree/DEBIAN/control"
    dpkg-deb -b "$dir/tree" "$dir/${PKG}_${version}_upgrade.deb" >/dev/null
    rm -rf "$dir/tree"
    echo "$dir/${PKG}_${version}_upgrade.deb"
}

# The status of the package in the root as dpkg-query shows it, "not-installed" when unknown.
package_status() {
    # shellcheck disable=SC2016 # dpkg-query's own fields
    in_root "$1" dpkg-query -W -f='${Status} ${Version}' "$PKG" 2>/dev/null || echo not-installed
}

# attributes ROOT PATH: "MODE OWNER GROUP" with names as the root knows them.
attributes() { in_root "$1" stat -c '%a %U %G' "$2"; }

expect_attributes() {
    local root=$1 path=$2 expected=$3 actual
    actual=$(attributes "$root" "$path") || fail "$path is missing"
    [[ $actual == "$expected" ]] || fail "$path is '$actual', expected '$expected'"
}

# desktop_key FILE KEY: the value of KEY in the [Desktop Entry] group of FILE.
desktop_key() {
    awk -v key="$2" '
        /^\[/ { group = $0; next }
        group == "[Desktop Entry]" && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }
    ' "$1"
}
