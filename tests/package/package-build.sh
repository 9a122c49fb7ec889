#!/usr/bin/env bash
# Makes the package with CPack from this build tree and checks what it is made of:
# name and version, dependencies found by dpkg-shlibdeps, maintainer scripts, and the files
# with their owners and modes.
#   package-build.sh CPACK_CONFIG OUT_DIR VERSION
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[[ $# == 3 ]] || {
    echo "usage: $0 CPACK_CONFIG OUT_DIR VERSION" >&2
    exit 2
}
readonly config=$1 out=$2 version=$3
arch=$(dpkg --print-architecture)
readonly deb=$out/${PKG}_${version}_$arch.deb

step "cpack"
rm -rf "$out"
mkdir -p "$out"
cpack --config "$config" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log" >&2
    fail "cpack failed"
}
[[ -f $deb ]] || fail "cpack made no $deb: $(ls "$out")"

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == "$PKG" ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', the program is $version"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
# The libraries the program links with, each with the version dpkg-shlibdeps found.
for library in libqt6widgets6 libqt6gui6 libqt6core6 libmariadb3 'libfmt[0-9]+' libstdc\\+\\+6 libc6 passwd; do
    [[ $depends =~ (^|, )$library( \(>= [^\)]+\))?(,|$) ]] ||
        fail "Depends lacks $library: $depends"
done
[[ $depends =~ libqt6widgets6\ \(\>=\  ]] || fail "Depends has no version for Qt 6 Widgets: $depends"

step "maintainer scripts"
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -tvf -)
for script in postinst postrm; do
    grep -Eq "^-rwxr-xr-x root/root .* \./$script$" <<<"$control" ||
        fail "$script is missing or not 0755 root/root: $control"
done
grep -Eq "^-rw-r--r-- root/root .* \./conffiles$" <<<"$control" || fail "conffiles is missing"
[[ $(dpkg-deb -I "$deb" conffiles) == "$PKG_AUTOSTART" ]] ||
    fail "the autostart entry is not the only conffile: $(dpkg-deb -I "$deb" conffiles)"

step "files"
# Every file and directory of the package: type and mode, owner, path.
listing=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $NF}' | sed 's| \./| /|; s|/$||' | sort -k3)
expected_files=(
    "-rwxr-xr-x root/root $PKG_DIR/MonitorZelnor"
    "drwxr-xr-x root/root $PKG_DIR"
    "-rw-r--r-- root/root $PKG_AUTOSTART"
    "-rw-r--r-- root/root $PKG_MENU"
    "-rw-r--r-- root/root /usr/share/icons/hicolor/16x16/apps/$PKG.png"
    "-rw-r--r-- root/root /usr/share/icons/hicolor/32x32/apps/$PKG.png"
    "-rw-r--r-- root/root /usr/share/icons/hicolor/48x48/apps/$PKG.png"
    "-rw-r--r-- root/root /usr/share/icons/hicolor/128x128/apps/$PKG.png"
    "-rw-r--r-- root/root /usr/share/doc/$PKG/copyright"
    "-rw-r--r-- root/root /usr/share/doc/$PKG/changelog.gz"
    "-rw-r--r-- root/root /usr/share/lintian/overrides/$PKG"
    "-rw-r--r-- root/root /usr/share/$PKG/monitor-zelnor.rules.yml"
)
for line in "${expected_files[@]}"; do
    grep -Fxq -- "$line" <<<"$listing" || fail "the package lacks '$line'; it holds:
$listing"
done
# Nothing else but the directories leading to those files.
unexpected=$(grep -v '^d' <<<"$listing" | grep -Fxv -f <(printf '%s\n' "${expected_files[@]}") || true)
[[ -z $unexpected ]] || fail "unexpected files in the package: $unexpected"
bad_dirs=$(grep '^d' <<<"$listing" | grep -v '^drwxr-xr-x root/root ' || true)
[[ -z $bad_dirs ]] || fail "directories not 0755 root/root: $bad_dirs"

step "program and icons"
tree=$out/tree
dpkg-deb -x "$deb" "$tree"
file -b "$tree$PKG_DIR/MonitorZelnor" | grep -q '^ELF .*, stripped$' ||
    fail "the program is not a stripped ELF file: $(file -b "$tree$PKG_DIR/MonitorZelnor")"
for size in 16 32 48 128; do
    file -b "$tree/usr/share/icons/hicolor/${size}x$size/apps/$PKG.png" |
        grep -q "^PNG image data, $size x $size," || fail "the ${size}px icon is no ${size}x$size PNG"
done
rm -rf "$tree"
echo "PASS"
