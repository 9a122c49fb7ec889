#!/usr/bin/env bash
# The package's life in a throw-away Debian root, with its maintainer scripts run by dpkg:
# install, install again, upgrade, remove, purge.
#   lifecycle-test.sh new_group       the group zelnor does not exist: the package makes it;
#                                     purging keeps the pharmacy system's sistema_tervo.ini, and
#                                     with it the directory and the group; a purge once that
#                                     file is gone takes both away
#   lifecycle-test.sh existing_group  the administrator made the group before, with a member:
#                                     it stays on purge; the package is removed and installed
#                                     again over the settings that stayed; sistema_tervo.ini
#                                     and a file of the pharmacy's own stay on purge
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# == 1 && $1 =~ ^(new_group|existing_group)$ ]] || {
    echo "usage: $0 new_group|existing_group" >&2
    exit 2
}
readonly scenario=$1
need_root
need_deb

work=$(mktemp -d /tmp/mz-package.XXXXXX)
root=$work/root
readonly work
trap 'rm -rf "$work"' EXIT
make_root "$root"

# What the program writes in the program directory (its settings, the temporary file of a Save
# cut short, its log, its lock): it stays on remove and goes on purge. The pharmacy system's
# sistema_tervo.ini stays on both.
readonly program_files=(monitor_zelnor.ini monitor_zelnor.ini.saving LogZelnor/12.txt MonitorZelnor.lock)
readonly pharmacy_file=sistema_tervo.ini
readonly user_files=("$pharmacy_file" "${program_files[@]}")
readonly foreign_file=leia-me.txt

group_line() { in_root "$root" getent group "$PKG_GROUP"; }

expect_installed() {
    local version=$1
    [[ $(package_status "$root") == "install ok installed $version" ]] ||
        fail "dpkg has the package as '$(package_status "$root")', expected version $version"
    local gid
    gid=$(group_line | cut -d: -f3) || fail "the group $PKG_GROUP does not exist"
    ((gid < 1000)) || fail "the group $PKG_GROUP is no system group (gid $gid)"
    [[ $(in_root "$root" grep -c "^$PKG_GROUP:" /etc/group) == 1 ]] ||
        fail "the group $PKG_GROUP is in /etc/group more than once"
    expect_attributes "$root" "$PKG_DIR" "2775 root $PKG_GROUP"
    expect_attributes "$root" "$PKG_DIR/MonitorZelnor" "755 root root"
    expect_attributes "$root" "$PKG_MENU" "644 root root"
    expect_attributes "$root" "$PKG_AUTOSTART" "644 root root"
    local size
    for size in 16 32 48 128; do
        expect_attributes "$root" "/usr/share/icons/hicolor/${size}x$size/apps/$PKG.png" "644 root root"
    done
    [[ $(in_root "$root" dpkg-statoverride --list "$PKG_DIR") == "root $PKG_GROUP 2775 $PKG_DIR" ]] ||
        fail "dpkg does not keep the directory's owner and mode"
}

# A member of the group writes in the program directory, and what it creates is the group's;
# someone outside the group cannot.
expect_group_writable() {
    local ids
    ids="$(in_root "$root" id -u clerk):$(in_root "$root" id -g clerk)"
    chroot --userspec="$ids" --groups="$(group_line | cut -d: -f3)" "$root" \
        /bin/sh -c "umask 002 && mkdir -p $PKG_DIR/LogZelnor && echo probe >$PKG_DIR/LogZelnor/probe" ||
        fail "a member of the group cannot write in $PKG_DIR"
    expect_attributes "$root" "$PKG_DIR/LogZelnor/probe" "664 clerk $PKG_GROUP"
    expect_attributes "$root" "$PKG_DIR/LogZelnor" "2775 clerk $PKG_GROUP"
    rm -f "$root$PKG_DIR/LogZelnor/probe"
    if chroot --userspec=65534:65534 "$root" /bin/sh -c ": >$PKG_DIR/intruder" 2>/dev/null; then
        fail "a user outside the group can write in $PKG_DIR"
    fi
}

write_user_files() {
    local file
    for file in "${user_files[@]}"; do
        mkdir -p "$(dirname "$root$PKG_DIR/$file")"
        printf '%s\r\n' "$file of the pharmacy" >"$root$PKG_DIR/$file"
    done
}

expect_user_files() {
    local file
    for file in "${user_files[@]}"; do
        [[ $(cat "$root$PKG_DIR/$file") == "$file of the pharmacy"$'\r' ]] ||
            fail "$PKG_DIR/$file was changed or removed"
    done
}

expect_pharmacy_file() {
    [[ $(cat "$root$PKG_DIR/$pharmacy_file") == "$pharmacy_file of the pharmacy"$'\r' ]] ||
        fail "$PKG_DIR/$pharmacy_file was changed or removed"
}

expect_removed() {
    [[ $(package_status "$root") == "deinstall ok config-files "* ]] ||
        fail "after remove dpkg has the package as '$(package_status "$root")'"
    [[ ! -e $root$PKG_DIR/MonitorZelnor && ! -e $root$PKG_MENU ]] ||
        fail "remove left the program or its menu entry behind"
    # The autostart entry is a conffile and stays until purge; TryExec keeps sessions from
    # starting a program that is gone.
    [[ -f $root$PKG_AUTOSTART ]] || fail "remove took the autostart entry, a conffile"
    [[ $(desktop_key "$root$PKG_AUTOSTART" TryExec) == "$PKG_DIR/MonitorZelnor" ]] ||
        fail "the autostart entry left behind has no TryExec of the program"
    expect_user_files
    expect_attributes "$root" "$PKG_DIR" "2775 root $PKG_GROUP"
    group_line >/dev/null || fail "remove took the group $PKG_GROUP, which the settings still use"
}

expect_purged() {
    [[ $(package_status "$root") == not-installed || $(package_status "$root") == "unknown ok not-installed"* ]] ||
        fail "after purge dpkg has the package as '$(package_status "$root")'"
    local file
    for file in "${program_files[@]}" LogZelnor; do
        [[ ! -e $root$PKG_DIR/$file ]] || fail "purge left $PKG_DIR/$file behind"
    done
    [[ ! -e $root$PKG_AUTOSTART ]] || fail "purge left the autostart entry behind"
    [[ -z $(in_root "$root" dpkg-statoverride --list "$PKG_DIR") ]] ||
        fail "purge left the dpkg-statoverride record of $PKG_DIR"
    # dpkg still works: no record names a group that is gone.
    in_root "$root" dpkg --audit >/dev/null || fail "dpkg --audit fails after purge"
}

case $scenario in
new_group)
    group_line >/dev/null && fail "the fresh root already has a group $PKG_GROUP"
    step "install"
    install_deb "$root" "$MZ_DEB"
    version=$(dpkg-deb -f "$MZ_DEB" Version)
    expect_installed "$version"
    in_root "$root" useradd --no-create-home --groups "$PKG_GROUP" clerk
    expect_group_writable
    write_user_files

    step "install the same package again"
    install_deb "$root" "$MZ_DEB"
    expect_installed "$version"
    expect_user_files

    step "upgrade"
    upgrade=$(make_upgrade "$MZ_DEB" "$work/upgrade")
    old_inode=$(stat -c %i "$root$PKG_DIR/MonitorZelnor")
    install_deb "$root" "$upgrade"
    expect_installed "$version+1"
    [[ $(stat -c %i "$root$PKG_DIR/MonitorZelnor") != "$old_inode" ]] ||
        fail "the upgrade did not replace the program"
    expect_user_files

    step "remove"
    dpkg_in "$root" -r "$PKG"
    expect_removed
    grep -q "stay" "$root/tmp/dpkg.log" || fail "remove does not say that the settings stay"

    step "purge keeps sistema_tervo.ini, the directory and its group"
    dpkg_in "$root" -P "$PKG"
    expect_purged
    expect_pharmacy_file
    [[ $(ls -A "$root$PKG_DIR") == "$pharmacy_file" ]] ||
        fail "purge left more than $pharmacy_file: $(ls -A "$root$PKG_DIR")"
    grep -q "stays" "$root/tmp/dpkg.log" || fail "purge does not say that $PKG_DIR stays"
    group_line >/dev/null || fail "purge took the group of the directory that stays"

    step "install again; purge once the pharmacy's file is gone takes the directory and the group"
    install_deb "$root" "$MZ_DEB"
    expect_installed "$version"
    expect_pharmacy_file
    rm "$root$PKG_DIR/$pharmacy_file"
    dpkg_in "$root" -P "$PKG"
    expect_purged
    [[ ! -e $root$PKG_DIR ]] || fail "purge left $PKG_DIR: $(ls -A "$root$PKG_DIR")"
    group_line >/dev/null && fail "purge left the group $PKG_GROUP that the package made"
    [[ ! -e $root/var/lib/$PKG ]] || fail "purge left /var/lib/$PKG"

    step "purge again"
    dpkg_in "$root" -P "$PKG"
    ;;
existing_group)
    in_root "$root" groupadd --system "$PKG_GROUP"
    in_root "$root" useradd --no-create-home --groups "$PKG_GROUP" clerk
    before=$(group_line)
    step "install"
    install_deb "$root" "$MZ_DEB"
    version=$(dpkg-deb -f "$MZ_DEB" Version)
    expect_installed "$version"
    [[ $(group_line) == "$before" ]] || fail "the group changed: '$(group_line)', was '$before'"
    expect_group_writable
    write_user_files
    echo "the pharmacy's own" >"$root$PKG_DIR/$foreign_file"

    step "remove, install again"
    dpkg_in "$root" -r "$PKG"
    expect_removed
    # An administrator's loosened mode is set right again by the next install.
    chmod 0755 "$root$PKG_DIR"
    install_deb "$root" "$MZ_DEB"
    expect_installed "$version"
    expect_user_files

    step "purge"
    dpkg_in "$root" -P "$PKG"
    expect_purged
    expect_pharmacy_file
    [[ $(find "$root$PKG_DIR" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ') == "$foreign_file $pharmacy_file " ]] ||
        fail "purge did not leave the pharmacy's own files alone: $(ls -A "$root$PKG_DIR")"
    [[ ! -e $root/var/lib/$PKG ]] || fail "purge left /var/lib/$PKG"
    [[ $(group_line) == "$before" ]] || fail "purge took or changed the group the administrator made"
    ;;
esac
echo "PASS"
