#!/usr/bin/env bash
# A throw-away Debian root for the package tests: a minimal root of this machine's release
# (debootstrap --variant=minbase from the mirror in this machine's apt sources), made once and
# kept under /var/cache/monitor-zelnor/ in a folder named after what it holds, then copied for
# every test so that each one starts from a clean system.
#
#   test-root.sh ensure       makes the cached root unless it is there; prints its path
#   test-root.sh copy DEST    a fresh copy of the cached root in DEST (made first when missing)
#
# Needs root. Exits 77 (skip) when not root or when debootstrap is not installed.
set -euo pipefail

readonly cache=/var/cache/monitor-zelnor
# Changes to what goes into the root change this and so the folder's name.
readonly recipe=1

die() {
    echo "test-root: $*" >&2
    exit 1
}

if [[ $(id -u) != 0 ]]; then
    echo "SKIP: the package tests install into a root of their own and need to be root"
    exit 77
fi
if ! command -v debootstrap >/dev/null; then
    echo "SKIP: debootstrap is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi

# The codename and the Debian mirror of this machine: the first source of the release itself
# (not of its -updates or -security suites), in deb822 or one-line format.
codename() {
    local name
    name=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
    [[ -n $name ]] && echo "$name"
}

mirror() {
    local suite=$1 file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        awk -v suite="$suite" '
            function flush() {
                if (uris != "" && (" " suites " ") ~ (" " suite " ") && (" " types " ") ~ / deb /) {
                    split(uris, u, " "); print u[1]; found = 1; exit
                }
                uris = suites = types = ""
            }
            /^[[:space:]]*$/ { flush(); next }
            /^[[:space:]]*#/ { next }
            /^deb[[:space:]]/ {
                line = $0; sub(/\[[^]]*\]/, "", line); split(line, f, /[[:space:]]+/)
                if (f[3] == suite) { print f[2]; found = 1; exit }
                next
            }
            /^Types:/ { types = $0; sub(/^Types:[[:space:]]*/, "", types) }
            /^URIs:/ { uris = $0; sub(/^URIs:[[:space:]]*/, "", uris) }
            /^Suites:/ { suites = $0; sub(/^Suites:[[:space:]]*/, "", suites) }
            END { if (!found) flush(); exit !found }' "$file" && return 0
    done
    return 1
}

ensure() {
    local suite url arch key root
    suite=$(codename) || die "cannot read the release codename from /etc/os-release"
    url=$(mirror "$suite") || die "no apt source for \"$suite\" in /etc/apt/sources.list*"
    arch=$(dpkg --print-architecture)
    key=$(printf '%s\n' "$recipe" "$suite" "$url" "$arch" minbase | sha256sum | cut -c1-16)
    root=$cache/root-$suite-$arch-$key
    if [[ -f $root/.complete ]]; then
        echo "$root"
        return 0
    fi

    mkdir -p "$cache"
    # One maker at a time; the others wait and then find the root made.
    exec 9>"$cache/.lock"
    flock 9
    if [[ ! -f $root/.complete ]]; then
        echo "test-root: making a $suite root from $url in $root (once)" >&2
        local build=$root.new
        rm -rf "$build"
        if ! debootstrap --variant=minbase --arch="$arch" "$suite" "$build" "$url" \
            >"$cache/debootstrap.log" 2>&1; then
            tail -n 20 "$cache/debootstrap.log" >&2
            rm -rf "$build"
            die "debootstrap failed (log: $cache/debootstrap.log)"
        fi
        # The downloaded archives are of no use to the tests and only slow every copy down.
        rm -rf "$build"/var/cache/apt/archives/*.deb "$build"/var/lib/apt/lists/*_Packages
        printf '%s\n' "suite=$suite" "mirror=$url" "arch=$arch" "variant=minbase" \
            "recipe=$recipe" >"$build/.complete"
        rm -rf "$root"
        mv "$build" "$root"
    fi
    exec 9>&-
    echo "$root"
}

copy() {
    local dest=$1 root
    root=$(ensure)
    [[ ! -e $dest ]] || rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    cp -a "$root" "$dest"
    rm -f "$dest/.complete"
}

case ${1:-} in
ensure)
    [[ $# == 1 ]] || die "usage: $0 ensure"
    ensure
    ;;
copy)
    [[ $# == 2 ]] || die "usage: $0 copy DEST"
    copy "$2"
    ;;
*)
    echo "usage: $0 ensure | copy DEST" >&2
    exit 2
    ;;
esac
